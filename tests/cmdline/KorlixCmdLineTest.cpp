#include "cmdline/KorlixCmdLine.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// The front-end options as letters: H(elp), Q(uiet), S(yntax), I(nstant), E(rror levels).
std::string FrontEndText(const CKorlixCmdLine& cmd)
{
    std::string text;
    for (KorlixOption eOption : {eHelp, eQuiet, eSyntax, eInstant, eErrorLevels})
        if (cmd.FrontEndOptionExists(eOption))
            text += "HQSIE"[eOption];
    return text;
}

struct CFrontEndCase
{
    std::vector<std::string> args;
    const char* szFrontEnd;
    const char* szOptions;
    std::string csLogFile = "";
};

using FrontEndParseTest = testing::TestWithParam<CFrontEndCase>;

TEST_P(FrontEndParseTest, SortsFrontEndAndEngineOptions)
{
    CKorlixCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(FrontEndText(cmd), GetParam().szFrontEnd);
    EXPECT_EQ(OptionsText(cmd), GetParam().szOptions);
    EXPECT_EQ(cmd.m_csLogFile, GetParam().csLogFile);
}

INSTANTIATE_TEST_SUITE_P(FrontEnd, FrontEndParseTest,
                         testing::Values(CFrontEndCase{{"/?"}, "H", ""}, CFrontEndCase{{"/h"}, "H", ""},
                                         CFrontEndCase{{"/HELP"}, "H", ""}, CFrontEndCase{{"-help"}, "H", ""},
                                         CFrontEndCase{{"/E"}, "E", ""}, CFrontEndCase{{"/e"}, "E", ""},
                                         CFrontEndCase{{"/S"}, "Q", ""}, CFrontEndCase{{"/Syntax"}, "S", ""},
                                         CFrontEndCase{{"/INSTANT"}, "I", ""},
                                         CFrontEndCase{{"/UPD", "/O=x.bup", "/s"}, "Q", "eObjectFile eUpdate"}));

INSTANTIATE_TEST_SUITE_P(
    EngineOptions, FrontEndParseTest,
    testing::Values(CFrontEndCase{{"/silent"}, "", "eSilent"}, CFrontEndCase{{"/W"}, "", "eWarningOff"},
                    CFrontEndCase{{"/whe"}, "", "eWaitHandlerEnd"},
                    CFrontEndCase{{"/QuickHandlerEnd"}, "", "eQuickHandlerEnd"},
                    CFrontEndCase{{"/LF"}, "", "eLogfile", "Korlix.log"},
                    CFrontEndCase{{"/logfile"}, "", "eLogfile", "Korlix.log"},
                    CFrontEndCase{{"/LF=x.log"}, "", "eLogfile", "x.log"},
                    CFrontEndCase{{"/LogFile=\"c:\\a b\\x.log\""}, "", "eLogfile", "\"c:\\a b\\x.log\""},
                    CFrontEndCase{{"/lf="}, "", "eLogfile", ""}));

// Options reserved for other callers of the engine and near misses of the
// front-end switches; CommandLineRunTest runs the other refused ones.
INSTANTIATE_TEST_SUITE_P(Refused, FrontEndParseTest,
                         testing::Values(CFrontEndCase{{"/chkex"}, "", "eError"},
                                         CFrontEndCase{{"/CheckUpdateFile"}, "", "eError"},
                                         CFrontEndCase{{"?"}, "", "eError"}, CFrontEndCase{{"/helpme"}, "", "eError"},
                                         CFrontEndCase{{"/lang"}, "", "eError"}));

using FrontEndCheckTest = testing::TestWithParam<CCheckCase>;

TEST_P(FrontEndCheckTest, SkipsTheEngineRulesForHelpOnly)
{
    CKorlixCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.CheckParams(), GetParam().fValid);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrontEndCheckTest,
                         testing::Values(CCheckCase{{"/E", "/UPD", "/NRB", "/FRB"}, true},
                                         CCheckCase{{"/S", "/UPD", "/bpc=19"}, false},
                                         CCheckCase{{"/BUPINFO", "/S"}, true}));

TEST(FrontEnd, StartsFromTheDefaultsAndResets)
{
    CKorlixCmdLine cmd;
    EXPECT_EQ(cmd.m_nBatPercent, 20);
    EXPECT_EQ(cmd.m_nClientMessageLevel, 10);
    ArgsParse(cmd, {"/?", "/UPD", "/lf", "/o=x", "/bpc=50"});
    cmd.ResetOptions();
    EXPECT_EQ(FrontEndText(cmd), "");
    EXPECT_EQ(OptionsText(cmd), "");
    EXPECT_EQ(cmd.m_csLogFile + cmd.m_csObjectFile, "");
    EXPECT_EQ(cmd.m_nBatPercent, 20);
}
}  // namespace
