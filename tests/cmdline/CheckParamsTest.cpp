#include "cmdline/DfCmdLine.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
class CheckParamsTest : public testing::TestWithParam<CCheckCase>
{
};

TEST_P(CheckParamsTest, JudgesTheCombination)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    const std::string csBefore = OptionsText(cmd);
    EXPECT_EQ(cmd.CheckParams(), GetParam().fValid);
    EXPECT_EQ(OptionsText(cmd), csBefore);  // validation never changes the tokens
}

INSTANTIATE_TEST_SUITE_P(
    Update, CheckParamsTest,
    testing::Values(
        CCheckCase{{"/UPD", "/O=x.bup", "/OV", "/LF", "/ARB", "/W", "/S", "/IAC", "/OVERRIDEACCHECKS",
                    "/BPC=30", "/WHE", "/QHE", "/ESTAT", "/FORCECAPSULEONDISK", "/FORCERUNTIME", "/PWD=p",
                    "/PWC=q", "/WD=c:\\w", "/KRLXVER=1", "/LC=ON", "/CML=1", "/BO", "/EXAREAMODE"},
                   true},
        CCheckCase{{"/UPD", "/NVU"}, false}, CCheckCase{{"/UPD", "/UPDATELOGO"}, false},
        CCheckCase{{"/UPD", "/BIOSCODE"}, false}, CCheckCase{{"/UPD", "/CHK"}, false},
        CCheckCase{{"/UPD", "/INFO"}, false}, CCheckCase{{"/UPD", "/AST"}, false},
        CCheckCase{{"/UPD", "/AR"}, false}, CCheckCase{{"/UPD", "/DFXRF=r"}, false},
        CCheckCase{{"/UPD", "/BINP=b"}, false}, CCheckCase{{"/UPD", "/BUPINFO"}, false}));

INSTANTIATE_TEST_SUITE_P(
    NvramUpdate, CheckParamsTest,
    testing::Values(CCheckCase{{"/NVU", "/O=a.nvux", "/NRB", "/BO", "/EXAREAMODE", "/PWC=x"}, true},
                    CCheckCase{{"/NVU", "/OV"}, false}, CCheckCase{{"/NVU", "/UPDATELOGO"}, false},
                    CCheckCase{{"/NVU", "/BIOSCODE", "/EXAREAMODE"}, false}));

// Selective restore: explicit area mode with at least one restorable area.
INSTANTIATE_TEST_SUITE_P(
    Selective, CheckParamsTest,
    testing::Values(
        CCheckCase{{"/EXAREAMODE", "/BIOSCODE", "/LOGO", "/SYSTEMDATA", "/NVRAM", "/PASSWORDS", "/BO",
                    "/O=a.nvux", "/OV", "/FRB", "/PWD=x"},
                   true},
        CCheckCase{{"/EXAREAMODE", "/PASSWORDS"}, false},  // no object file
        CCheckCase{{"/EXAREAMODE", "/PASSWORDS", "/O=a.nvux", "/DEBUGCODE"}, false},
        CCheckCase{{"/EXAREAMODE", "/BO", "/O=a.nvux", "/MAKE"}, false},
        // the debug code alone does not make a selective restore
        CCheckCase{{"/EXAREAMODE", "/DEBUGCODE"}, true},
        // without area mode the area switches name no command
        CCheckCase{{"/BIOSCODE", "/DEBUGCODE"}, true}));

INSTANTIATE_TEST_SUITE_P(
    OtherCommands, CheckParamsTest,
    testing::Values(
        CCheckCase{{"/UPDATELOGO", "/O=x.bmp", "/FRB", "/PWD=x", "/LC=AUTO"}, true},
        CCheckCase{{"/UPDATELOGO", "/OV"}, false}, CCheckCase{{"/UPDATELOGO", "/BO"}, false},
        CCheckCase{{"/ARC", "/O=a.nvux", "/OV", "/DEBUGCODE", "/PWD=x", "/S", "/W"}, true},
        CCheckCase{{"/ARC", "/FRB"}, false}, CCheckCase{{"/ARC", "/AR"}, false},
        CCheckCase{{"/MAKE", "/CINP=a.nvux", "/BINP=b.bup", "/O=c.bup", "/S", "/LC=OFF"}, true},
        CCheckCase{{"/MAKE", "/PWD=x"}, false}, CCheckCase{{"/MAKE", "/OV"}, false},
        CCheckCase{{"/BUPINFO", "/O=x.bup", "/LF", "/WD=c:\\w", "/BPC=30"}, true},
        CCheckCase{{"/BUPINFO", "/LC=ON"}, false}, CCheckCase{{"/BUPINFO", "/S"}, false},
        CCheckCase{{"/BUPINFO", "/W"}, false},
        CCheckCase{{"/CRYPT=x", "/LF", "/W", "/WHE", "/KRLXVER=1", "/CML=2"}, true},
        CCheckCase{{"/CRYPT=x", "/WD=c:\\w"}, false}, CCheckCase{{"/CRYPT=x", "/O=a.bup"}, false},
        CCheckCase{{"/CRYPT=x", "/BPC=50"}, false}, CCheckCase{{"/CRYPT=x", "/S"}, false}));

// Commands without a list, and the rules that follow the command rule.
INSTANTIATE_TEST_SUITE_P(
    Rules, CheckParamsTest,
    testing::Values(CCheckCase{{}, true}, CCheckCase{{"/AST", "/OV"}, true}, CCheckCase{{"/INFO", "/AR"}, true},
                    CCheckCase{{"/LF"}, true}, CCheckCase{{"/UPD", "/NRB", "/FRB"}, false},
                    CCheckCase{{"/UPD", "/ARB", "/FRB", "/NRB"}, false}, CCheckCase{{"/NRB", "/ARB"}, false},
                    CCheckCase{{"/UPD", "/BPC=19"}, false}, CCheckCase{{"/UPD", "/BPC=20"}, true},
                    CCheckCase{{"/UPD", "/BPC=100"}, true}, CCheckCase{{"/UPD", "/BPC=101"}, false},
                    CCheckCase{{"/UPD", "/BPC="}, false}, CCheckCase{{"/UPD", "/BPC=HIGHRISK"}, true},
                    CCheckCase{{"/MAKE", "/BPC=10"}, false}, CCheckCase{{"/AST", "/BPC=5"}, false}));

struct CPathCase
{
    std::string csObjectFile;
    std::string csWrkDir;
    std::string csObjectAfter;
    std::string csWrkDirAfter;
};

class ObjectFileNormalizeTest : public testing::TestWithParam<CPathCase>
{
};

TEST_P(ObjectFileNormalizeTest, MovesAnAbsoluteFolderIntoTheWorkingDirectory)
{
    const CPathCase& c = GetParam();
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/O=" + c.csObjectFile, "/WD=" + c.csWrkDir});
    EXPECT_TRUE(cmd.CheckParams());
    EXPECT_EQ(cmd.m_csObjectFile, c.csObjectAfter);
    EXPECT_EQ(cmd.m_csWrkDir, c.csWrkDirAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ObjectFileNormalizeTest,
    testing::Values(CPathCase{"c:\\bios\\x.bup", "d:\\w", "x.bup", "c:\\bios"},
                    CPathCase{"C:\\Bios\\Sub\\B7710.BUP", "", "B7710.BUP", "C:\\Bios\\Sub"},
                    CPathCase{"c:\\x.bup", "d:\\w", "x.bup", "c:"},
                    CPathCase{"c:\\bios\\\\x.bup", "d:\\w", "x.bup", "c:\\bios"},
                    CPathCase{"c:\\bios\\", "d:\\w", "", "c:\\bios"},
                    CPathCase{"x.bup", "c:\\w\\", "x.bup", "c:\\w\\"},
                    CPathCase{"bios\\x.bup", "d:\\w", "bios\\x.bup", "d:\\w"},
                    CPathCase{"\\bios\\x.bup", "d:\\w", "\\bios\\x.bup", "d:\\w"},
                    CPathCase{"c:x.bup", "d:\\w", "c:x.bup", "d:\\w"},
                    // network paths: the root is the first prefix that answers a
                    // free-space query (a device path does here, no server does)
                    CPathCase{"\\\\.\\C:\\bios\\a.b.c", "d:\\w", "a.b.c", "\\\\.\\C:\\bios"},
                    CPathCase{"\\\\.\\C:\\x.bup", "", "x.bup", "\\\\.\\C:"},
                    CPathCase{"\\\\nosuchserver\\share\\x.bup", "d:\\w",
                              "\\\\nosuchserver\\share\\x.bup", "d:\\w"}));

struct CLengthCase
{
    size_t nWrkDir;
    std::string csObjectFile;
    bool fValid;
};

class PathLengthTest : public testing::TestWithParam<CLengthCase>
{
};

TEST_P(PathLengthTest, KeepsTheJoinedPathWithinMaxPath)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/O=" + GetParam().csObjectFile, "/WD=" + std::string(GetParam().nWrkDir, 'w')});
    EXPECT_EQ(cmd.CheckParams(), GetParam().fValid);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PathLengthTest,
                         testing::Values(CLengthCase{250, "abc.bup", true},     // 260
                                         CLengthCase{250, "abcd.bup", false},   // 261
                                         CLengthCase{0, std::string(257, 'o'), true},
                                         CLengthCase{0, std::string(258, 'o'), false},
                                         CLengthCase{300, "", false}));

TEST(PathLength, CountsTheNormalisedPath)
{
    // c:\ddd...d (252) + x.bup (5) + 3 = 260 after the split; the given
    // working directory no longer counts.
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/O=c:\\" + std::string(249, 'd') + "\\x.bup", "/WD=" + std::string(250, 'w')});
    EXPECT_TRUE(cmd.CheckParams());
    EXPECT_EQ(cmd.m_csWrkDir.size() + cmd.m_csObjectFile.size() + 3, 260u);
}

TEST(CheckParams, FirstFailingRuleEndsTheCheck)
{
    // The command rule fails, so the object file is not normalised.
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/NVU", "/O=c:\\bios\\x.bup"});
    EXPECT_FALSE(cmd.CheckParams());
    EXPECT_EQ(cmd.m_csObjectFile, "c:\\bios\\x.bup");
    EXPECT_EQ(cmd.m_csWrkDir, "");
}
}  // namespace
