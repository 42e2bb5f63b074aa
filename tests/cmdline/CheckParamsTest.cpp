#include "cmdline/DfCmdLine.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using CheckParamsTest = testing::TestWithParam<CCheckCase>;

TEST_P(CheckParamsTest, JudgesTheCombination)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    const std::string csBefore = OptionsText(cmd);
    EXPECT_EQ(cmd.CheckParams(), GetParam().fValid);
    EXPECT_EQ(OptionsText(cmd), csBefore);  // validation never changes the tokens
}

// Each command with everything its list allows, then with what it refuses.
INSTANTIATE_TEST_SUITE_P(
    Commands, CheckParamsTest,
    testing::Values(CCheckCase{{"/UPD",
                                "/O=x.bup",
                                "/OV",
                                "/LF",
                                "/ARB",
                                "/W",
                                "/S",
                                "/IAC",
                                "/OVERRIDEACCHECKS",
                                "/BPC=30",
                                "/WHE",
                                "/QHE",
                                "/ESTAT",
                                "/FORCECAPSULEONDISK",
                                "/FORCERUNTIME",
                                "/PWD=p",
                                "/PWC=q",
                                "/WD=c:\\w",
                                "/KRLXVER=1",
                                "/LC=ON",
                                "/CML=1",
                                "/BO",
                                "/EXAREAMODE"},
                               true},
                    CCheckCase{{"/UPD", "/BIOSCODE"}, false}, CCheckCase{{"/UPD", "/CHK"}, false},
                    CCheckCase{{"/UPD", "/AST"}, false}, CCheckCase{{"/UPD", "/AR"}, false},
                    CCheckCase{{"/UPD", "/DFXRF=r"}, false}, CCheckCase{{"/UPD", "/INFO"}, false},
                    CCheckCase{{"/NVU", "/O=a.nvux", "/NRB", "/BO", "/EXAREAMODE", "/PWC=x"}, true},
                    CCheckCase{{"/NVU", "/OV"}, false}, CCheckCase{{"/NVU", "/UPDATELOGO"}, false},
                    CCheckCase{{"/EXAREAMODE", "/BIOSCODE", "/LOGO", "/SYSTEMDATA", "/NVRAM", "/PASSWORDS", "/BO",
                                "/O=a.nvux", "/OV", "/FRB", "/PWD=x"},
                               true},
                    CCheckCase{{"/EXAREAMODE", "/PASSWORDS"}, false},  // needs an object file
                    CCheckCase{{"/EXAREAMODE", "/PASSWORDS", "/O=a.nvux", "/DEBUGCODE"}, false},
                    CCheckCase{{"/EXAREAMODE", "/DEBUGCODE"}, true},  // the debug code is no restore area
                    CCheckCase{{"/UPDATELOGO", "/O=x.bmp", "/FRB", "/PWD=x", "/LC=AUTO"}, true},
                    CCheckCase{{"/UPDATELOGO", "/OV"}, false}, CCheckCase{{"/UPDATELOGO", "/BO"}, false},
                    CCheckCase{{"/ARC", "/O=a.nvux", "/OV", "/DEBUGCODE", "/PWD=x", "/S", "/W"}, true},
                    CCheckCase{{"/MAKE", "/CINP=a.nvux", "/BINP=b.bup", "/O=c.bup", "/S", "/LC=OFF"}, true},
                    CCheckCase{{"/MAKE", "/OV"}, false},
                    CCheckCase{{"/BUPINFO", "/O=x.bup", "/LF", "/WD=c:\\w", "/BPC=30"}, true},
                    CCheckCase{{"/BUPINFO", "/S"}, false}, CCheckCase{{"/BUPINFO", "/W"}, false},
                    CCheckCase{{"/CRYPT=x", "/LF", "/W", "/WHE", "/KRLXVER=1", "/CML=2"}, true},
                    CCheckCase{{"/CRYPT=x", "/O=a.bup"}, false}, CCheckCase{{"/CRYPT=x", "/BPC=50"}, false}));

// Without a command there is no list; the reboot and battery rules still apply
// (the command lines CommandLineRunTest and CmdLineTraceTest run are not repeated).
INSTANTIATE_TEST_SUITE_P(Rules, CheckParamsTest,
                         testing::Values(CCheckCase{{"/INFO", "/AR"}, true}, CCheckCase{{"/UPD", "/BPC=100"}, true},
                                         CCheckCase{{"/AST", "/BPC=5"}, false}));

struct CPathCase
{
    std::string csObjectFile;
    std::string csWrkDir;
    std::string csObjectAfter;
    std::string csWrkDirAfter;
};

using ObjectFileNormalizeTest = testing::TestWithParam<CPathCase>;

TEST_P(ObjectFileNormalizeTest, MovesAnAbsoluteFolderIntoTheWorkingDirectory)
{
    const CPathCase& c = GetParam();
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/O=" + c.csObjectFile, "/WD=" + c.csWrkDir});
    EXPECT_TRUE(cmd.CheckParams());
    EXPECT_EQ(cmd.m_csObjectFile, c.csObjectAfter);
    EXPECT_EQ(cmd.m_csWrkDir, c.csWrkDirAfter);
}

INSTANTIATE_TEST_SUITE_P(Paths, ObjectFileNormalizeTest,
                         testing::Values(CPathCase{"c:\\bios\\x.bup", "d:\\w", "x.bup", "c:\\bios"},
                                         CPathCase{"c:\\x.bup", "", "x.bup", "c:"},
                                         CPathCase{"c:\\bios\\\\x.bup", "d:\\w", "x.bup", "c:\\bios"},
                                         CPathCase{"x.bup", "c:\\w\\", "x.bup", "c:\\w\\"},
                                         CPathCase{"bios\\x.bup", "d:\\w", "bios\\x.bup", "d:\\w"},
                                         CPathCase{"c:x.bup", "d:\\w", "c:x.bup", "d:\\w"},
                                         // network paths: the root is the first prefix that answers a
                                         // free-space query (a device path does here, no server does)
                                         CPathCase{"\\\\.\\C:\\bios\\a.b.c", "d:\\w", "a.b.c", "\\\\.\\C:\\bios"},
                                         CPathCase{"\\\\.\\C:\\x.bup", "", "x.bup", "\\\\.\\C:"},
                                         CPathCase{"\\\\nosuchserver\\share\\x.bup", "d:\\w",
                                                   "\\\\nosuchserver\\share\\x.bup", "d:\\w"}));

TEST(CheckParams, JoinedPathStaysWithinMaxPath)
{
    struct
    {
        std::string csObjectFile;
        std::string csWrkDir;
        bool fValid;
    } rgCases[] = {
        {"abc.bup", std::string(250, 'w'), true},    // 7 + 250 + 3 = 260
        {"abcd.bup", std::string(250, 'w'), false},  // 261
        {std::string(258, 'o'), "", false},
        // counted after the split: c:\ddd...d (252) + x.bup (5) + 3 = 260
        {"c:\\" + std::string(249, 'd') + "\\x.bup", std::string(250, 'w'), true},
    };
    for (const auto& c : rgCases)
    {
        CDfCmdLine cmd;
        ArgsParse(cmd, {"/UPD", "/O=" + c.csObjectFile, "/WD=" + c.csWrkDir});
        EXPECT_EQ(cmd.CheckParams(), c.fValid) << c.csObjectFile.size() << " + " << c.csWrkDir.size();
    }
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
