// Console bytes of engine output, end to end. The program's standard output
// is in text mode, so every line feed reaches the pipe as CR LF.
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace
{
struct CConsoleCase
{
    const char* szName;
    const char* szScript;
    const char* szArguments;
    const char* szOut;
    const char* szErr;
    DWORD dwExitCode;
};

using ConsoleOutputTest = testing::TestWithParam<CConsoleCase>;

TEST_P(ConsoleOutputTest, Bytes)
{
    const CConsoleCase& c = GetParam();
    CTempFile script(".scn"), record(".rec");
    script.Write(c.szScript);
    CKorlixRun run = KorlixRun(c.szArguments, script.Path(), record.Path());
    // Quiet runs print no sign-on.
    bool fQuiet = std::string(c.szArguments).find("/S") != std::string::npos;
    EXPECT_EQ(run.out, (fQuiet ? std::string() : g_signOn) + c.szOut);
    EXPECT_EQ(run.err, c.szErr);
    EXPECT_EQ(run.dwExitCode, c.dwExitCode);
}

#define DONE "call\nout <eJobDone>0\\n\nstatus 1\nend\n"

INSTANTIATE_TEST_SUITE_P(
    Items, ConsoleOutputTest,
    testing::Values(
        CConsoleCase{"ActionWithBlanks", "call\nout <eAction>   Checking update file(s)\\n\nend\n" DONE, "/UPD",
                     "\rAction...........Checking update file(s)\r\n\r\n", "", 0},
        CConsoleCase{"TwoItemsInOneOutput", "call\nout <eInfo> one\\n<eSystem> B7710\\n\nend\n" DONE, "/UPD",
                     "\rInfo.............one\r\n\rSystem...........B7710\r\n\r\n", "", 0},
        CConsoleCase{"ShorterLineBlanksTheRest",
                     "call\nout <eActionPart> Updating block 12 of 40\\n\nend\n"
                     "call\nout <eAction> Done\\n\nend\n" DONE,
                     "/UPD",
                     "\rPart.............Updating block 12 of 40"
                     "\rAction...........Done                   \r\n\r\n",
                     "", 0},
        CConsoleCase{"LongerLineNeedsNoBlanks",
                     "call\nout <eActionPart> 1%\\n\nend\ncall\nout <eActionPart> 100%\\n\nend\n" DONE, "/UPD",
                     "\rPart.............1%\rPart.............100%\r\n", "", 0},
        CConsoleCase{"FileNameClearsTheLineFirst", "call\nout <eActionPart> abc\\n<eFileName> x.bup\\n\nend\n" DONE,
                     "/UPD", "\rPart.............abc\r   \r\n\rFile.............x.bup\r\n\r\n", "", 0},
        CConsoleCase{"LabelsOfEveryPlainToken",
                     "call\nout <eUpdateArea> A\\n<eBiosCurrentVersion> B\\n<eBiosFlashedVersion> C\\n"
                     "<eBiosFileVersion> D\\n<eSignOn> E\\n<eBiosInterfaceVersion> F\\n<eCpuId> G\\n"
                     "<eSteppings> H\\n<eMicroCodeInfo> I\\n\nend\n" DONE,
                     "/UPD",
                     "\rUpdate area(s)...A\r\n\rVersion..........B\r\n\rFlashed vers.....C\r\n"
                     "\rFile version.....D\r\n\rSignOn...........E\r\n\rBIOS interface...F\r\n"
                     "\rCPU ID...........G\r\n\rProc. steppings..H\r\n\rMicro code.......I\r\n\r\n",
                     "", 0},
        CConsoleCase{"ShutDownPrintsItsOwnText", "call\nout <eShutDown> bye\\n\nend\n" DONE, "/UPD",
                     "\rWarning..........Shutting down\r\n\r\n", "", 0},
        CConsoleCase{"WarningSetsOne", "call\nout <eWarning> Battery low\\n\nend\n" DONE, "/UPD",
                     "\rWarning..........Battery low\r\n\r\n", "", 1},
        CConsoleCase{"IgnoredAndUnknownTokens", "call\nout <eProgress> 50\\n<eEmpty>\\n<eBogus> x\\n\nend\n" DONE,
                     "/UPD", "\r\n", "", 0},
        CConsoleCase{"PlainTextOnlyInQuietMode", "call\nout no item here\\n\nend\n" DONE, "/UPD", "\r\n", "", 0},
        CConsoleCase{"LessThanNotAtTheStartIsPlainText", "call\nout x <eInfo> y\\n\nend\n" DONE, "/UPD", "\r\n", "", 0},
        CConsoleCase{"LessThanInsideATextStartsAnItem", "call\nout <eInfo> a <eSystem> b\\n\nend\n" DONE, "/UPD",
                     "\rInfo.............a <eSystem> b\r\n\rSystem...........b            \r\n\r\n", "", 0},
        CConsoleCase{"ItemListBody",
                     "call\nout <eListBupInfo>System\\tB7710\\nVersion\\t1.08\\n<eInfo> end\\n\nend\n" DONE, "/UPD",
                     "\rSystem...........B7710\r\n\rVersion..........1.08 \r\n\rInfo.............end \r\n\r\n", "", 0},
        CConsoleCase{"ItemListStartingWithTabPrintsNothing", "call\nout <eListBupInfo>\\tB7710\\n\nend\n" DONE, "/UPD",
                     "\r\n", "", 0},
        CConsoleCase{"ActionStatusItemSetsTheCode",
                     "call\nout <eActionStatus>Action status\\tPOST update action pending\\n\nend\n"
                     "call\nstatus 1\nend\n",
                     "/UPD", "\rAction status....POST update action pending\r\n", "", 402},
        CConsoleCase{"ErrorTokenKnownText", "call\nout <eError> Invalid password\\n\nend\n" DONE, "/UPD",
                     "\rError............Invalid password\r\n\r\n", "", 2},
        CConsoleCase{"ErrorTokenUnknownTextAlwaysOrsTwo", "call\nout <eWarning> w\\n<eError> Strange\\n\nend\n" DONE,
                     "/UPD", "\rWarning..........w\r\n\rError............Strange\r\n\r\n", "", 3},
        CConsoleCase{"ErrorTextUnknownOnlyWhenZero", "call\nout <eWarning> w\\n\nend\ncall\nerr Strange\\n\nend\n" DONE,
                     "/UPD", "\rWarning..........w\r\n\r\n", "Strange\r\n", 1},
        CConsoleCase{"ErrorTextUnknownFromZero", "call\nerr Strange\nend\n" DONE, "/UPD", "\r\n", "Strange", 2},
        CConsoleCase{"WarningErrorThenJobDone",
                     "call\nout <eWarning> w\\n\nerr BIOS update failed\nend\n"
                     "call\nout <eJobDone>1046\\n\nstatus 1\nend\n",
                     "/UPD", "\rWarning..........w\r\n\r\n", "BIOS update failed", 1046},
        CConsoleCase{"JobDoneZeroOrLettersKeepTheValue",
                     "call\nend\ncall\nout <eWarning> w\\n<eJobDone>0\\n<eJobDone>abc\\n\nstatus 1\nend\n", "/UPD",
                     "\rWarning..........w\r\n\r\n\r\n", "", 1},
        CConsoleCase{"QuietPrintsOnlyPlainText", "call\nout plain words\\n\nend\ncall\nout <eAction> x\\n\nend\n" DONE,
                     "/UPD /S", "plain words\r\n", "", 0},
        CConsoleCase{"QuietKeepsTheExitCodes",
                     "call\nout <eWarning> w\\n<eError> Strange\\n\nerr BIOS update failed\nend\n" DONE, "/UPD /S", "",
                     "", 3},
        CConsoleCase{"QuietKeepsTheStatusSwitch", "call\nstatus 0x80040205\nend\n", "/UPD /S", "", "", 1040},
        CConsoleCase{
            "QuietKeepsActionStatus",
            "call\nend\ncall\nout <eActionStatus>Action status\\tPOST update action failed\\n\nstatus 1\nend\n",
            "/UPD /S", "", "", 401}),
    [](const testing::TestParamInfo<CConsoleCase>& info) { return std::string(info.param.szName); });
}  // namespace
