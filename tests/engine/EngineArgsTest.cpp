// The engine's reading of the normalised command line.
#include "EngineArgs.h"

#include <gtest/gtest.h>

namespace
{
// The command and the switches the engine read, each value as a switch of
// its own; or why it refused the line.
std::string Parsed(const std::string& line)
{
    CEngineArgs args;
    std::string reason;
    if (!args.Parse(line, reason))
        return "refused: " + reason;
    std::string text = args.Command();
    for (const std::string name : {"O", "LF", "WD", "OV", "W", "FRB"})
    {
        const std::vector<std::string> values = args.Values(name.c_str());
        text += values.empty() && args.Has(name.c_str()) ? " " + name : "";
        for (const std::string& value : values)
            text += " " + name + "=" + value;
    }
    return text;
}

TEST(EngineArgsTest, CommandSwitchesAndValues)
{
    EXPECT_EQ(Parsed("/upd /o=\"C:\\a b\\x.bup\" /ov /krlxver=6.22.89.0"), "UPD O=C:\\a b\\x.bup OV");
    EXPECT_EQ(Parsed("/BUPINFO /O=a.bup /O=b.bup"), "BUPINFO O=a.bup O=b.bup");
    // Long spellings go by the short name.
    EXPECT_EQ(Parsed("/bootorder /O=a.nvux /LogFile=\"C:\\l.log\" /forcereboot /WorkingDirectory=C:\\w"),
              "BO O=a.nvux LF=C:\\l.log WD=C:\\w FRB");
    EXPECT_EQ(Parsed("/W /krlxver=1"), " W");
    EXPECT_EQ(Parsed("/UPD stray"), "refused: not a switch: stray");
    EXPECT_EQ(Parsed("/AST /systemdata=1"), "refused: unknown switch: /systemdata");
}
}  // namespace
