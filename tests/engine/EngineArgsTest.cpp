// The engine's reading of the normalised command line.
#include "EngineArgs.h"

#include <gtest/gtest.h>

namespace
{
TEST(EngineArgsTest, SwitchesValuesAndCommand)
{
    CEngineArgs args;
    std::string reason;
    ASSERT_TRUE(args.Parse("/upd /o=\"C:\\a b\\x.bup\" /ov /krlxver=6.22.89.0", reason));
    EXPECT_EQ("UPD", args.Command());
    EXPECT_TRUE(args.Has("OV"));
    EXPECT_FALSE(args.Has("W"));
    EXPECT_EQ(std::vector<std::string>{"C:\\a b\\x.bup"}, args.Values("O"));
}

TEST(EngineArgsTest, TwoValuesInOrder)
{
    CEngineArgs args;
    std::string reason;
    ASSERT_TRUE(args.Parse("/BUPINFO /O=a.bup /O=b.bup", reason));
    EXPECT_EQ((std::vector<std::string>{"a.bup", "b.bup"}), args.Values("O"));
    EXPECT_EQ("BUPINFO", args.Command());
}

TEST(EngineArgsTest, AWordThatIsNoSwitchIsRefused)
{
    CEngineArgs args;
    std::string reason;
    EXPECT_FALSE(args.Parse("/UPD stray", reason));
    EXPECT_EQ("not a switch: stray", reason);
}

TEST(EngineArgsTest, LongSpellingsGoByTheShortName)
{
    CEngineArgs args;
    std::string reason;
    ASSERT_TRUE(args.Parse("/bootorder /O=a.nvux /LogFile=\"C:\\l.log\" /forcereboot /WorkingDirectory=C:\\w", reason));
    EXPECT_EQ("BO", args.Command());
    EXPECT_TRUE(args.Has("FRB"));
    EXPECT_EQ(std::vector<std::string>{"C:\\l.log"}, args.Values("LF"));
    EXPECT_EQ(std::vector<std::string>{"C:\\w"}, args.Values("WD"));
}

TEST(EngineArgsTest, ASwitchTheEngineDoesNotTakeIsRefused)
{
    CEngineArgs args;
    std::string reason;
    EXPECT_FALSE(args.Parse("/AST /systemdata=1", reason));
    EXPECT_EQ("unknown switch: /systemdata", reason);
}

TEST(EngineArgsTest, NoCommand)
{
    CEngineArgs args;
    std::string reason;
    ASSERT_TRUE(args.Parse("/W /krlxver=1", reason));
    EXPECT_EQ("", args.Command());
}
}  // namespace
