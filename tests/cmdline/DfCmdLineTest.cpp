#include "cmdline/DfCmdLine.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace
{
struct CTokenCase
{
    std::vector<std::string> args;
    const char* szOptions;
};

using DfKeywordTest = testing::TestWithParam<CTokenCase>;

TEST_P(DfKeywordTest, AddsTheTokens)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(OptionsText(cmd), GetParam().szOptions);
}

// Every keyword and alias, in mixed case and with both switch characters.
INSTANTIATE_TEST_SUITE_P(
    Keywords, DfKeywordTest,
    testing::Values(
        CTokenCase{{"/update", "-Upd"}, "eUpdate"},
        CTokenCase{{"/ArchiveConfiguration", "/arc"}, "eArchiveConfiguration"},
        CTokenCase{{"/nvramupdate", "/NVU"}, "eNvramUpdate"}, CTokenCase{{"/UpdateLogo"}, "eUpdateLogo"},
        CTokenCase{{"/debugcode", "/BIOSCODE", "/passwords", "/systemdata", "/logo", "/nvram"},
                   "eBiosCodeArea eDebugCodeArea eLogoArea eSystemDataArea eNvRamArea ePasswordArea"},
        CTokenCase{{"/bootorder"}, "eBootOrderVariablesArea"}, CTokenCase{{"/BO"}, "eBootOrderVariablesArea"},
        CTokenCase{{"/make"}, "eMake"},
        CTokenCase{{"/CRYPT=x", "/pwd=x", "/PwC=x", "/BINP=x", "/cinp=x"}, "eCrypt ePwd ePwc eBinp eCinp"},
        CTokenCase{{"/allowreboot", "/ARB"}, "eAllowReboot"}, CTokenCase{{"/forcereboot", "/frb"}, "eForceReboot"},
        CTokenCase{{"/NoReboot"}, "eNoReboot"}, CTokenCase{{"/nrb"}, "eNoReboot"},
        CTokenCase{{"/archive"}, "<unknown>"}, CTokenCase{{"/AR"}, "<unknown>"},
        CTokenCase{{"/overwrite"}, "eOverwrite"}, CTokenCase{{"/OV"}, "eOverwrite"},
        CTokenCase{{"/logfile=a"}, "eLogfile"}, CTokenCase{{"/LF=a"}, "eLogfile"}, CTokenCase{{"/logfile"}, "eLogfile"},
        CTokenCase{{"/lf"}, "eLogfile"}, CTokenCase{{"/checkupdatefileex"}, "eCheckUpdateFileEx"},
        CTokenCase{{"/CHKEX"}, "eCheckUpdateFileEx"}, CTokenCase{{"/checkupdatefile"}, "eCheckUpdateFile"},
        CTokenCase{{"/chk"}, "eCheckUpdateFile"}, CTokenCase{{"/waithandlerend", "/WHE"}, "eWaitHandlerEnd"},
        CTokenCase{{"/quickhandlerend", "/qhe"}, "eQuickHandlerEnd"}, CTokenCase{{"/IgnoreAC"}, "eIgnoreAc"},
        CTokenCase{{"/iac"}, "eIgnoreAc"}, CTokenCase{{"/overrideacchecks"}, "eOverrideAcChecks"},
        CTokenCase{{"/extendedstatus"}, "eExtendedStatus"}, CTokenCase{{"/ESTAT"}, "eExtendedStatus"},
        CTokenCase{{"/Warn=Off"}, "eWarningOff"}, CTokenCase{{"/w"}, "eWarningOff"}, CTokenCase{{"/silent"}, "eSilent"},
        CTokenCase{{"/S"}, "eSilent"}, CTokenCase{{"/dfxrf=r.xml"}, "eDfxResponseFile"},
        CTokenCase{{"/O=x.bup"}, "eObjectFile"}, CTokenCase{{"/workingdirectory=c:\\w"}, "eWorkingDirectory"},
        CTokenCase{{"/WD=c:\\w"}, "eWorkingDirectory"},
        CTokenCase{{"/battpercent=highrisk"}, "eBatPercent eBatPercentHighRisk"},
        CTokenCase{{"/BPC=HighRisk"}, "eBatPercent eBatPercentHighRisk"},
        CTokenCase{{"/battpercent=50"}, "eBatPercent"}, CTokenCase{{"/bpc=50"}, "eBatPercent"},
        CTokenCase{{"/ExAreaMode"}, "eExplicitAreaMode"}, CTokenCase{{"/cml=5"}, "eClientMessageLevel"},
        CTokenCase{{"/localcache=on"}, "eLocalCache"}, CTokenCase{{"/LC=off"}, "eLocalCache"},
        CTokenCase{{"/korlixversion=6"}, "eKorlixVersion"}, CTokenCase{{"/KRLXVER=6"}, "eKorlixVersion"},
        CTokenCase{{"/info"}, "eGetDetailInfo"}, CTokenCase{{"/BupInfo"}, "eListBupInfo"},
        CTokenCase{{"/actionstatus"}, "eActionStatus"}, CTokenCase{{"/ast"}, "eActionStatus"},
        CTokenCase{{"/forcecapsuleondisk", "/ForceRuntime"}, "eForceCapsuleOnDisk eForceRuntime"}));

// Whole keywords must match completely, prefix keywords need their "=";
// parsing goes on after an error.
INSTANTIATE_TEST_SUITE_P(
    Refused, DfKeywordTest,
    testing::Values(CTokenCase{{"/updat"}, "eError"}, CTokenCase{{"/updatex"}, "eError"},
                    CTokenCase{{"/pwd"}, "eError"}, CTokenCase{{"/o"}, "eError"}, CTokenCase{{"/warningoff"}, "eError"},
                    CTokenCase{{"/warn=on"}, "eError"}, CTokenCase{{"/info=1"}, "eError"}, CTokenCase{{"/"}, "eError"},
                    CTokenCase{{"x.bup"}, "eError"}, CTokenCase{{"/bpc=highrisk2"}, "eError eBatPercent"},
                    CTokenCase{{"/bpc=-5"}, "eError eBatPercent"}, CTokenCase{{"/bpc= 5"}, "eError eBatPercent"},
                    CTokenCase{{"/bpc=50%"}, "eError eBatPercent"}, CTokenCase{{"/bpc=101"}, "eError eBatPercent"},
                    CTokenCase{{"/lc=maybe"}, "eError eLocalCache"},
                    CTokenCase{{"/x", "/UPD", "y", "/frb"}, "eError eUpdate eForceReboot"}));

struct CTextValueCase
{
    std::vector<std::string> args;
    std::string CDfCmdLine::*pcsField;
    std::string csValue;
};

using DfTextValueTest = testing::TestWithParam<CTextValueCase>;

TEST_P(DfTextValueTest, StoresTheValueAsTyped)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.*GetParam().pcsField, GetParam().csValue);
    EXPECT_FALSE(cmd.OptionExists(eError));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DfTextValueTest,
    testing::Values(CTextValueCase{{"/O=C:\\Bios\\X.BUP"}, &CDfCmdLine::m_csObjectFile, "C:\\Bios\\X.BUP"},
                    CTextValueCase{{"/LF"}, &CDfCmdLine::m_csLogFile, "DeDAvodu.log"},
                    CTextValueCase{{"/LF="}, &CDfCmdLine::m_csLogFile, ""},
                    CTextValueCase{{"/logfile=\" a=b.log\""}, &CDfCmdLine::m_csLogFile, "\" a=b.log\""},
                    CTextValueCase{{"/PWD="}, &CDfCmdLine::m_csPassword, ""},
                    CTextValueCase{{"/PWD=a", "/PWC=b"}, &CDfCmdLine::m_csPassword, "b"},
                    CTextValueCase{{"/crypt=Secret"}, &CDfCmdLine::m_csPassword, "Secret"},
                    CTextValueCase{{"/cinp=a.nvux"}, &CDfCmdLine::m_csConfigInputFile, "a.nvux"},
                    CTextValueCase{{"/binp=B.bup"}, &CDfCmdLine::m_csBiosInputFile, "B.bup"},
                    CTextValueCase{{"/dfxrf=R.xml"}, &CDfCmdLine::m_csDfxResponseFile, "R.xml"},
                    CTextValueCase{{"/krlxver=6.22.89.0"}, &CDfCmdLine::m_csKorlixVersion, "6.22.89.0"},
                    CTextValueCase{{"/WorkingDirectory=d:\\a", "/wd=E:\\B\\"}, &CDfCmdLine::m_csWrkDir, "E:\\B\\"}));

TEST(DfCmdLine, ExpandsObjectFileAndWorkingDirectoryOnly)
{
    SetEnvironmentVariableA("KRLX_TEST_DIR", "c:\\temp\\x");
    SetEnvironmentVariableA("KRLX_TEST_LONG", std::string(2000, 'L').c_str());
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/o=%KRLX_TEST_LONG%\\%KRLX_TEST_LONG%.bup", "/wd=%KRLX_TEST_DIR%\\%KRLX_TEST_UNSET%",
                    "/lf=%KRLX_TEST_DIR%"});
    EXPECT_EQ(cmd.m_csObjectFile, std::string(2000, 'L') + "\\" + std::string(2000, 'L') + ".bup");
    EXPECT_EQ(cmd.m_csWrkDir, "c:\\temp\\x\\%KRLX_TEST_UNSET%");
    EXPECT_EQ(cmd.m_csLogFile, "%KRLX_TEST_DIR%");
    SetEnvironmentVariableA("KRLX_TEST_DIR", nullptr);
    SetEnvironmentVariableA("KRLX_TEST_LONG", nullptr);
}

// Beyond the system's expansion limit the values stay as typed.
TEST(DfCmdLine, KeepsValuesTooLongToExpand)
{
    const std::string longName(40000, 'x');
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/o=" + longName + ".bup", "/wd=C:\\" + longName});
    EXPECT_EQ(cmd.m_csObjectFile, longName + ".bup");
    EXPECT_EQ(cmd.m_csWrkDir, "C:\\" + longName);
}

struct CNumberCase
{
    std::vector<std::string> args;
    int CDfCmdLine::*pnField;
    int nValue;
};

using DfNumberTest = testing::TestWithParam<CNumberCase>;

TEST_P(DfNumberTest, ReadsTheNumber)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.*GetParam().pnField, GetParam().nValue);
}

INSTANTIATE_TEST_SUITE_P(Values, DfNumberTest,
                         testing::Values(CNumberCase{{}, &CDfCmdLine::m_nBatPercent, 20},
                                         CNumberCase{{"/bpc=007"}, &CDfCmdLine::m_nBatPercent, 7},
                                         CNumberCase{{"/bpc="}, &CDfCmdLine::m_nBatPercent, 0},
                                         CNumberCase{{"/bpc=highrisk"}, &CDfCmdLine::m_nBatPercent, 0},
                                         CNumberCase{
                                             {"/bpc=101"}, &CDfCmdLine::m_nBatPercent, 101},  // refused, but kept
                                         CNumberCase{{"/bpc=30", "/bpc=-5"}, &CDfCmdLine::m_nBatPercent, 30},
                                         CNumberCase{{}, &CDfCmdLine::m_nClientMessageLevel, 10},
                                         CNumberCase{{"/CML= -3x"}, &CDfCmdLine::m_nClientMessageLevel, -3},
                                         CNumberCase{{"/cml=abc"}, &CDfCmdLine::m_nClientMessageLevel, 0},
                                         CNumberCase{{}, &CDfCmdLine::m_nLocalCache, 0},
                                         CNumberCase{{"/lc=ON"}, &CDfCmdLine::m_nLocalCache, 1},
                                         CNumberCase{{"/localcache=off"}, &CDfCmdLine::m_nLocalCache, 2},
                                         CNumberCase{{"/lc=Auto"}, &CDfCmdLine::m_nLocalCache, 3},
                                         CNumberCase{{"/lc=on", "/lc=maybe"}, &CDfCmdLine::m_nLocalCache, 1}));
}  // namespace
