#include "cmdline/KorlixCmdLine.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
std::set<KorlixOption> FrontEndOptions(const CKorlixCmdLine& cmd)
{
    std::set<KorlixOption> options;
    for (KorlixOption eOption : {eHelp, eQuiet, eSyntax, eInstant, eErrorLevels})
        if (cmd.FrontEndOptionExists(eOption))
            options.insert(eOption);
    return options;
}

struct CFrontEndCase
{
    std::vector<std::string> args;
    std::set<KorlixOption> frontEnd;
    const char* szOptions;
};

class FrontEndParseTest : public testing::TestWithParam<CFrontEndCase>
{
};

TEST_P(FrontEndParseTest, SortsFrontEndAndEngineOptions)
{
    CKorlixCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(FrontEndOptions(cmd), GetParam().frontEnd);
    EXPECT_EQ(OptionsText(cmd), GetParam().szOptions);
}

INSTANTIATE_TEST_SUITE_P(
    FrontEnd, FrontEndParseTest,
    testing::Values(CFrontEndCase{{"/?"}, {eHelp}, ""}, CFrontEndCase{{"/h"}, {eHelp}, ""},
                    CFrontEndCase{{"/HELP"}, {eHelp}, ""}, CFrontEndCase{{"-help"}, {eHelp}, ""},
                    CFrontEndCase{{"/E"}, {eErrorLevels}, ""}, CFrontEndCase{{"/e"}, {eErrorLevels}, ""},
                    CFrontEndCase{{"/S"}, {eQuiet}, ""}, CFrontEndCase{{"/Syntax"}, {eSyntax}, ""},
                    CFrontEndCase{{"/INSTANT"}, {eInstant}, ""},
                    CFrontEndCase{{"/instant", "/e", "/s", "/syntax", "/?"},
                                  {eHelp, eQuiet, eSyntax, eInstant, eErrorLevels},
                                  ""}));

INSTANTIATE_TEST_SUITE_P(
    EngineOptions, FrontEndParseTest,
    testing::Values(CFrontEndCase{{"/silent"}, {}, "eSilent"}, CFrontEndCase{{"/W"}, {}, "eWarningOff"},
                    CFrontEndCase{{"/whe"}, {}, "eWaitHandlerEnd"},
                    CFrontEndCase{{"/WaitHandlerEnd"}, {}, "eWaitHandlerEnd"},
                    CFrontEndCase{{"/QHE"}, {}, "eQuickHandlerEnd"},
                    CFrontEndCase{{"/quickhandlerend"}, {}, "eQuickHandlerEnd"},
                    CFrontEndCase{{"/UPD", "/O=x.bup", "/S"}, {eQuiet}, "eObjectFile eUpdate"},
                    CFrontEndCase{{"/bpc=HighRisk"}, {}, "eBatPercent eBatPercentHighRisk"}));

// Options reserved for other callers of the engine, plain parameters and
// near misses of the front-end switches.
INSTANTIATE_TEST_SUITE_P(
    Refused, FrontEndParseTest,
    testing::Values(CFrontEndCase{{"/warn=off"}, {}, "eError"}, CFrontEndCase{{"/WARN=ON"}, {}, "eError"},
                    CFrontEndCase{{"/cml=5"}, {}, "eError"}, CFrontEndCase{{"/exareamode"}, {}, "eError"},
                    CFrontEndCase{{"/chkex"}, {}, "eError"}, CFrontEndCase{{"/CheckUpdateFileEx"}, {}, "eError"},
                    CFrontEndCase{{"/chk"}, {}, "eError"}, CFrontEndCase{{"/checkupdatefile"}, {}, "eError"},
                    CFrontEndCase{{"/lang=de"}, {}, "eError"}, CFrontEndCase{{"/LANG="}, {}, "eError"},
                    CFrontEndCase{{"/dfxrf=a"}, {}, "eError"}, CFrontEndCase{{"x.bup"}, {}, "eError"},
                    CFrontEndCase{{"?"}, {}, "eError"}, CFrontEndCase{{"/helpme"}, {}, "eError"},
                    CFrontEndCase{{"/ss"}, {}, "eError"}, CFrontEndCase{{"/syntax=1"}, {}, "eError"},
                    CFrontEndCase{{"/lang"}, {}, "eError"},
                    CFrontEndCase{{"/S", "/upd", "extra"}, {eQuiet}, "eError eUpdate"}));

struct CLogFileCase
{
    std::vector<std::string> args;
    std::string csLogFile;
};

class FrontEndLogFileTest : public testing::TestWithParam<CLogFileCase>
{
};

TEST_P(FrontEndLogFileTest, NamesTheFrontEndsLogFile)
{
    CKorlixCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.m_csLogFile, GetParam().csLogFile);
    EXPECT_EQ(OptionsText(cmd), "eLogfile");
}

INSTANTIATE_TEST_SUITE_P(LogFile, FrontEndLogFileTest,
                         testing::Values(CLogFileCase{{"/LF"}, "Korlix.log"},
                                         CLogFileCase{{"/logfile"}, "Korlix.log"},
                                         CLogFileCase{{"/LF=x.log"}, "x.log"},
                                         CLogFileCase{{"/LogFile=\"c:\\a b\\x.log\""}, "\"c:\\a b\\x.log\""},
                                         CLogFileCase{{"/lf="}, ""},
                                         CLogFileCase{{"/lf=a.log", "/lf"}, "Korlix.log"}));

class FrontEndCheckTest : public testing::TestWithParam<CCheckCase>
{
};

TEST_P(FrontEndCheckTest, SkipsTheEngineRulesForHelpOnly)
{
    CKorlixCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.CheckParams(), GetParam().fValid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrontEndCheckTest,
    testing::Values(CCheckCase{{"/?", "/UPD", "/NVU"}, true},
                    CCheckCase{{"/h", "/UPD", "/bpc=5"}, true},
                    CCheckCase{{"/E", "/UPD", "/NRB", "/FRB"}, true},
                    CCheckCase{{"/syntax", "/UPD", "/NVU"}, false},
                    CCheckCase{{"/instant", "/UPD", "/NVU"}, false},
                    CCheckCase{{"/S", "/UPD", "/bpc=19"}, false},
                    CCheckCase{{"/syntax", "/UPD", "/O=x.bup", "/S"}, true},
                    CCheckCase{{"/BUPINFO", "/silent"}, false},
                    CCheckCase{{"/BUPINFO", "/S"}, true}));

TEST(FrontEnd, StartsFromTheDefaultsAndResets)
{
    CKorlixCmdLine cmd;
    EXPECT_EQ(cmd.m_nBatPercent, 20);
    EXPECT_EQ(cmd.m_nClientMessageLevel, 10);
    ArgsParse(cmd, {"/?", "/UPD", "/lf"});
    cmd.ResetOptions();
    EXPECT_EQ(FrontEndOptions(cmd), std::set<KorlixOption>{});
    EXPECT_EQ(OptionsText(cmd), "");
    EXPECT_EQ(cmd.m_csLogFile, "");
}
}  // namespace
