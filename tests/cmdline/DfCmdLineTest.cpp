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

class DfKeywordTest : public testing::TestWithParam<CTokenCase>
{
};

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
        CTokenCase{{"/update"}, "eUpdate"}, CTokenCase{{"/UPD"}, "eUpdate"},
        CTokenCase{{"-Upd"}, "eUpdate"},
        CTokenCase{{"/ArchiveConfiguration"}, "eArchiveConfiguration"},
        CTokenCase{{"/arc"}, "eArchiveConfiguration"},
        CTokenCase{{"/nvramupdate"}, "eNvramUpdate"}, CTokenCase{{"/NVU"}, "eNvramUpdate"},
        CTokenCase{{"/UpdateLogo"}, "eUpdateLogo"}, CTokenCase{{"/debugcode"}, "eDebugCodeArea"},
        CTokenCase{{"/BIOSCODE"}, "eBiosCodeArea"}, CTokenCase{{"/passwords"}, "ePasswordArea"},
        CTokenCase{{"/systemdata"}, "eSystemDataArea"}, CTokenCase{{"/logo"}, "eLogoArea"},
        CTokenCase{{"/nvram"}, "eNvRamArea"}, CTokenCase{{"/bootorder"}, "eBootOrderVariablesArea"},
        CTokenCase{{"/BO"}, "eBootOrderVariablesArea"}, CTokenCase{{"/make"}, "eMake"},
        CTokenCase{{"/CRYPT=x"}, "eCrypt"}, CTokenCase{{"/pwd=x"}, "ePwd"},
        CTokenCase{{"/PwC=x"}, "ePwc"}, CTokenCase{{"/cinp=x"}, "eCinp"},
        CTokenCase{{"/BINP=x"}, "eBinp"}, CTokenCase{{"/allowreboot"}, "eAllowReboot"},
        CTokenCase{{"/ARB"}, "eAllowReboot"}, CTokenCase{{"/forcereboot"}, "eForceReboot"},
        CTokenCase{{"/frb"}, "eForceReboot"}, CTokenCase{{"/NoReboot"}, "eNoReboot"},
        CTokenCase{{"/nrb"}, "eNoReboot"}, CTokenCase{{"/archive"}, "<unknown>"},
        CTokenCase{{"/AR"}, "<unknown>"}, CTokenCase{{"/overwrite"}, "eOverwrite"},
        CTokenCase{{"/OV"}, "eOverwrite"}, CTokenCase{{"/logfile=a.log"}, "eLogfile"},
        CTokenCase{{"/LF=a.log"}, "eLogfile"}, CTokenCase{{"/logfile"}, "eLogfile"},
        CTokenCase{{"/lf"}, "eLogfile"}, CTokenCase{{"/checkupdatefileex"}, "eCheckUpdateFileEx"},
        CTokenCase{{"/CHKEX"}, "eCheckUpdateFileEx"}, CTokenCase{{"/checkupdatefile"}, "eCheckUpdateFile"},
        CTokenCase{{"/chk"}, "eCheckUpdateFile"}, CTokenCase{{"/waithandlerend"}, "eWaitHandlerEnd"},
        CTokenCase{{"/WHE"}, "eWaitHandlerEnd"}, CTokenCase{{"/quickhandlerend"}, "eQuickHandlerEnd"},
        CTokenCase{{"/qhe"}, "eQuickHandlerEnd"}, CTokenCase{{"/IgnoreAC"}, "eIgnoreAc"},
        CTokenCase{{"/iac"}, "eIgnoreAc"}, CTokenCase{{"/overrideacchecks"}, "eOverrideAcChecks"},
        CTokenCase{{"/extendedstatus"}, "eExtendedStatus"}, CTokenCase{{"/ESTAT"}, "eExtendedStatus"},
        CTokenCase{{"/Warn=Off"}, "eWarningOff"}, CTokenCase{{"/w"}, "eWarningOff"},
        CTokenCase{{"/silent"}, "eSilent"}, CTokenCase{{"/S"}, "eSilent"},
        CTokenCase{{"/dfxrf=r.xml"}, "eDfxResponseFile"}, CTokenCase{{"/O=x.bup"}, "eObjectFile"},
        CTokenCase{{"/workingdirectory=c:\\w"}, "eWorkingDirectory"},
        CTokenCase{{"/WD=c:\\w"}, "eWorkingDirectory"},
        CTokenCase{{"/battpercent=highrisk"}, "eBatPercent eBatPercentHighRisk"},
        CTokenCase{{"/BPC=HighRisk"}, "eBatPercent eBatPercentHighRisk"},
        CTokenCase{{"/battpercent=50"}, "eBatPercent"}, CTokenCase{{"/bpc=50"}, "eBatPercent"},
        CTokenCase{{"/ExAreaMode"}, "eExplicitAreaMode"}, CTokenCase{{"/cml=5"}, "eClientMessageLevel"},
        CTokenCase{{"/localcache=on"}, "eLocalCache"}, CTokenCase{{"/LC=off"}, "eLocalCache"},
        CTokenCase{{"/korlixversion=6"}, "eKorlixVersion"}, CTokenCase{{"/KRLXVER=6"}, "eKorlixVersion"},
        CTokenCase{{"/info"}, "eGetDetailInfo"}, CTokenCase{{"/BupInfo"}, "eListBupInfo"},
        CTokenCase{{"/actionstatus"}, "eActionStatus"}, CTokenCase{{"/ast"}, "eActionStatus"},
        CTokenCase{{"/forcecapsuleondisk"}, "eForceCapsuleOnDisk"},
        CTokenCase{{"/ForceRuntime"}, "eForceRuntime"}));

// Whole keywords must match completely; prefix keywords need their "=".
INSTANTIATE_TEST_SUITE_P(
    Refused, DfKeywordTest,
    testing::Values(
        CTokenCase{{"/updat"}, "eError"}, CTokenCase{{"/updatex"}, "eError"},
        CTokenCase{{"/u"}, "eError"}, CTokenCase{{"/pwd"}, "eError"}, CTokenCase{{"/o"}, "eError"},
        CTokenCase{{"/warningoff"}, "eError"}, CTokenCase{{"/warn=on"}, "eError"},
        CTokenCase{{"/info=1"}, "eError"}, CTokenCase{{"/"}, "eError"}, CTokenCase{{"-"}, "eError"},
        CTokenCase{{"x.bup"}, "eError"}, CTokenCase{{""}, "eError"},
        CTokenCase{{"/lc"}, "eError"}, CTokenCase{{"/bpc"}, "eError"},
        CTokenCase{{"/bpc=highrisk2"}, "eError eBatPercent"}, CTokenCase{{"/bpc=-5"}, "eError eBatPercent"},
        CTokenCase{{"/bpc=+5"}, "eError eBatPercent"}, CTokenCase{{"/bpc= 5"}, "eError eBatPercent"},
        CTokenCase{{"/bpc=50%"}, "eError eBatPercent"}, CTokenCase{{"/bpc=101"}, "eError eBatPercent"},
        CTokenCase{{"/lc=maybe"}, "eError eLocalCache"}, CTokenCase{{"/lc="}, "eError eLocalCache"}));

// Parsing goes on after an error; repeated switches add nothing new.
INSTANTIATE_TEST_SUITE_P(
    Several, DfKeywordTest,
    testing::Values(CTokenCase{{"/UPD", "/O=x.bup", "/S"}, "eObjectFile eUpdate eSilent"},
                    CTokenCase{{"/UPD", "-upd", "/Update"}, "eUpdate"},
                    CTokenCase{{"/x", "/UPD", "y", "/frb"}, "eError eUpdate eForceReboot"},
                    CTokenCase{{"/PWD=a", "/PWC=b"}, "ePwd ePwc"},
                    CTokenCase{{"/bpc=5", "/bpc=highrisk"}, "eBatPercent eBatPercentHighRisk"}));

struct CTextValueCase
{
    std::vector<std::string> args;
    std::string CDfCmdLine::*pcsField;
    std::string csValue;
};

class DfTextValueTest : public testing::TestWithParam<CTextValueCase>
{
};

TEST_P(DfTextValueTest, StoresTheValueAsTyped)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.*GetParam().pcsField, GetParam().csValue);
    EXPECT_FALSE(cmd.OptionExists(eError));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DfTextValueTest,
    testing::Values(
        CTextValueCase{{"/O=C:\\Bios\\X.BUP"}, &CDfCmdLine::m_csObjectFile, "C:\\Bios\\X.BUP"},
        CTextValueCase{{"/o="}, &CDfCmdLine::m_csObjectFile, ""},
        CTextValueCase{{"/LF"}, &CDfCmdLine::m_csLogFile, "DeDAvodu.log"},
        CTextValueCase{{"/logfile"}, &CDfCmdLine::m_csLogFile, "DeDAvodu.log"},
        CTextValueCase{{"/LF="}, &CDfCmdLine::m_csLogFile, ""},
        CTextValueCase{{"/Lf=My.Log"}, &CDfCmdLine::m_csLogFile, "My.Log"},
        CTextValueCase{{"/logfile=\"a b.log\""}, &CDfCmdLine::m_csLogFile, "\"a b.log\""},
        CTextValueCase{{"/lf= x "}, &CDfCmdLine::m_csLogFile, " x "},
        CTextValueCase{{"/lf=a=b"}, &CDfCmdLine::m_csLogFile, "a=b"},
        CTextValueCase{{"/crypt=Secret"}, &CDfCmdLine::m_csPassword, "Secret"},
        CTextValueCase{{"/PWD="}, &CDfCmdLine::m_csPassword, ""},
        CTextValueCase{{"/PWD=a", "/PWC=b"}, &CDfCmdLine::m_csPassword, "b"},
        CTextValueCase{{"/cinp=a.nvux"}, &CDfCmdLine::m_csConfigInputFile, "a.nvux"},
        CTextValueCase{{"/binp=B.bup"}, &CDfCmdLine::m_csBiosInputFile, "B.bup"},
        CTextValueCase{{"/dfxrf=R.xml"}, &CDfCmdLine::m_csDfxResponseFile, "R.xml"},
        CTextValueCase{{"/krlxver=6.22.89.0"}, &CDfCmdLine::m_csKorlixVersion, "6.22.89.0"},
        CTextValueCase{{"/KorlixVersion=x"}, &CDfCmdLine::m_csKorlixVersion, "x"},
        CTextValueCase{{"/wd=D:\\W\\"}, &CDfCmdLine::m_csWrkDir, "D:\\W\\"},
        CTextValueCase{{"/WorkingDirectory=d:\\a", "/wd=e:\\b"}, &CDfCmdLine::m_csWrkDir, "e:\\b"}));

class DfEnvironmentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("KRLX_TEST_DIR", "c:\\temp\\x");
        SetEnvironmentVariableA("KRLX_TEST_LONG", std::string(2000, 'L').c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("KRLX_TEST_DIR", nullptr);
        SetEnvironmentVariableA("KRLX_TEST_LONG", nullptr);
    }
};

TEST_F(DfEnvironmentTest, ExpandsObjectFileAndWorkingDirectory)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/o=%KRLX_TEST_DIR%\\a.bup", "/wd=%KRLX_TEST_DIR%\\w", "/lf=%KRLX_TEST_DIR%"});
    EXPECT_EQ(cmd.m_csObjectFile, "c:\\temp\\x\\a.bup");
    EXPECT_EQ(cmd.m_csWrkDir, "c:\\temp\\x\\w");
    EXPECT_EQ(cmd.m_csLogFile, "%KRLX_TEST_DIR%");  // only those two are expanded
}

TEST_F(DfEnvironmentTest, ExpansionHasNoLengthLimit)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/O=%KRLX_TEST_LONG%\\%KRLX_TEST_LONG%.bup"});
    EXPECT_EQ(cmd.m_csObjectFile, std::string(2000, 'L') + "\\" + std::string(2000, 'L') + ".bup");
}

TEST_F(DfEnvironmentTest, UnknownVariablesStay)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/wd=%KRLX_TEST_UNSET%\\w"});
    EXPECT_EQ(cmd.m_csWrkDir, "%KRLX_TEST_UNSET%\\w");
    EXPECT_EQ(OptionsText(cmd), "eWorkingDirectory");
}

struct CNumberCase
{
    std::vector<std::string> args;
    int CDfCmdLine::*pnField;
    int nValue;
    const char* szOptions;
};

class DfNumberTest : public testing::TestWithParam<CNumberCase>
{
};

TEST_P(DfNumberTest, ReadsTheNumber)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.*GetParam().pnField, GetParam().nValue);
    EXPECT_EQ(OptionsText(cmd), GetParam().szOptions);
}

INSTANTIATE_TEST_SUITE_P(
    Battery, DfNumberTest,
    testing::Values(CNumberCase{{}, &CDfCmdLine::m_nBatPercent, 20, ""},
                    CNumberCase{{"/bpc=50"}, &CDfCmdLine::m_nBatPercent, 50, "eBatPercent"},
                    CNumberCase{{"/battpercent=100"}, &CDfCmdLine::m_nBatPercent, 100, "eBatPercent"},
                    CNumberCase{{"/bpc=007"}, &CDfCmdLine::m_nBatPercent, 7, "eBatPercent"},
                    CNumberCase{{"/bpc=0"}, &CDfCmdLine::m_nBatPercent, 0, "eBatPercent"},
                    CNumberCase{{"/bpc="}, &CDfCmdLine::m_nBatPercent, 0, "eBatPercent"},
                    CNumberCase{{"/bpc=highrisk"}, &CDfCmdLine::m_nBatPercent, 0,
                                "eBatPercent eBatPercentHighRisk"},
                    // out of range: the number stays
                    CNumberCase{{"/bpc=101"}, &CDfCmdLine::m_nBatPercent, 101, "eError eBatPercent"},
                    // not a number: the previous value stays
                    CNumberCase{{"/bpc=-5"}, &CDfCmdLine::m_nBatPercent, 20, "eError eBatPercent"},
                    CNumberCase{{"/bpc=30", "/bpc=3x"}, &CDfCmdLine::m_nBatPercent, 30,
                                "eError eBatPercent"},
                    CNumberCase{{"/bpc=highrisk2"}, &CDfCmdLine::m_nBatPercent, 20,
                                "eError eBatPercent"}));

INSTANTIATE_TEST_SUITE_P(
    ClientMessageLevel, DfNumberTest,
    testing::Values(CNumberCase{{}, &CDfCmdLine::m_nClientMessageLevel, 10, ""},
                    CNumberCase{{"/cml=5"}, &CDfCmdLine::m_nClientMessageLevel, 5, "eClientMessageLevel"},
                    CNumberCase{{"/CML= -3x"}, &CDfCmdLine::m_nClientMessageLevel, -3, "eClientMessageLevel"},
                    CNumberCase{{"/cml=500"}, &CDfCmdLine::m_nClientMessageLevel, 500, "eClientMessageLevel"},
                    CNumberCase{{"/cml=abc"}, &CDfCmdLine::m_nClientMessageLevel, 0, "eClientMessageLevel"}));

INSTANTIATE_TEST_SUITE_P(
    LocalCache, DfNumberTest,
    testing::Values(CNumberCase{{}, &CDfCmdLine::m_nLocalCache, 0, ""},
                    CNumberCase{{"/lc=ON"}, &CDfCmdLine::m_nLocalCache, 1, "eLocalCache"},
                    CNumberCase{{"/localcache=off"}, &CDfCmdLine::m_nLocalCache, 2, "eLocalCache"},
                    CNumberCase{{"/lc=Auto"}, &CDfCmdLine::m_nLocalCache, 3, "eLocalCache"},
                    CNumberCase{{"/lc=maybe"}, &CDfCmdLine::m_nLocalCache, 0, "eError eLocalCache"},
                    CNumberCase{{"/lc=on", "/lc=onx"}, &CDfCmdLine::m_nLocalCache, 1, "eError eLocalCache"}));

TEST(DfCmdLine, ResetRestoresTheDefaults)
{
    CDfCmdLine cmd;
    ArgsParse(cmd, {"/UPD", "/o=a.bup", "/lf", "/wd=c:\\w", "/dfxrf=r", "/bpc=50", "/lc=on", "/cml=3",
                    "/krlxver=1", "/pwd=p", "/binp=b", "/cinp=c", "x"});
    cmd.ResetOptions();
    EXPECT_EQ(OptionsText(cmd), "");
    for (const std::string& value : {cmd.m_csObjectFile, cmd.m_csLogFile, cmd.m_csWrkDir,
                                     cmd.m_csDfxResponseFile, cmd.m_csKorlixVersion, cmd.m_csPassword,
                                     cmd.m_csBiosInputFile, cmd.m_csConfigInputFile})
        EXPECT_EQ(value, "");
    EXPECT_EQ(cmd.m_nBatPercent, 20);
    EXPECT_EQ(cmd.m_nLocalCache, 0);
    EXPECT_EQ(cmd.m_nClientMessageLevel, 10);
}
}  // namespace
