// The engine's (CDfCmdLine) and the front end's (CKorlixCmdLine) command
// lines: the keywords, values, refusals and boundaries that the runs of
// CommandLineRunTest and the records of CmdLineTraceTest do not show.
#include "cmdline/KorlixCmdLine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <utility>
#include <vector>

namespace
{
// The parameters of a text, split at blanks, parsed behind a program name.
template <class TCmdLine>
TCmdLine Parsed(const std::string& args)
{
    std::vector<std::string> texts{"Korlix.exe"};
    std::istringstream words(args);
    for (std::string word; words >> word;)
        texts.push_back(word);
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    TCmdLine cmd;
    cmd.Parse(static_cast<int>(argv.size()), argv.data());
    return cmd;
}

// " name=value" when the value differs from where a parse starts.
std::string Value(const char* szName, const std::string& value, const char* szStart = "")
{
    return value == szStart ? "" : std::string(" ") + szName + "=" + value;
}

// What parsing leaves: the tokens, then the values.
template <class TCmdLine>
std::string State(TCmdLine& cmd)
{
    std::string text;
    return cmd.Options().ToText(text) + Value("o", cmd.m_csObjectFile) + Value("lf", cmd.m_csLogFile) +
           Value("wd", cmd.m_csWrkDir) + Value("dfxrf", cmd.m_csDfxResponseFile) + Value("ver", cmd.m_csKorlixVersion) +
           Value("pw", cmd.m_csPassword) + Value("binp", cmd.m_csBiosInputFile) +
           Value("cinp", cmd.m_csConfigInputFile) + Value("bpc", std::to_string(cmd.m_nBatPercent), "20") +
           Value("cml", std::to_string(cmd.m_nClientMessageLevel), "10") +
           Value("lc", std::to_string(cmd.m_nLocalCache), "0");
}

template <class TCmdLine>
std::string Verdict(TCmdLine& cmd)
{
    return cmd.CheckParams() ? "valid" : "refused";
}

// The verdict, then the object file and the working directory.
std::string Folder(CDfCmdLine& cmd)
{
    return Verdict(cmd) + " " + cmd.m_csObjectFile + " " + cmd.m_csWrkDir;
}

// Command lines and the outcome each gives.
using CRows = std::vector<std::pair<std::string, std::string>>;

template <class TCmdLine>
void RowsCheck(std::string (*pfnOutcome)(TCmdLine&), const CRows& rows)
{
    for (const auto& [args, outcome] : rows)
    {
        TCmdLine cmd = Parsed<TCmdLine>(args);
        EXPECT_EQ(pfnOutcome(cmd), outcome) << args;
    }
}

// Every keyword and alias, in mixed case and with both switch characters; a
// row names each token once, so that a keyword taken for another shows. The
// values are kept as typed; /O= and /WD= expand environment strings.
const CRows g_engineParses = {
    {"", ""},
    {"/update /nvramupdate /UpdateLogo", "eNvramUpdate eUpdateLogo eUpdate"},
    {"-Upd /NVU /ArchiveConfiguration /make", "eNvramUpdate eUpdate eArchiveConfiguration eMake"},
    {"/arc /info /BupInfo /overrideacchecks", "eOverrideAcChecks eGetDetailInfo eListBupInfo eArchiveConfiguration"},
    {"/debugcode /BIOSCODE /passwords", "eBiosCodeArea eDebugCodeArea ePasswordArea"},
    {"/systemdata /logo /nvram /bootorder", "eLogoArea eSystemDataArea eNvRamArea eBootOrderVariablesArea"},
    {"/allowreboot /forcereboot /NoReboot /overwrite", "eOverwrite eAllowReboot eForceReboot eNoReboot"},
    {"/ARB /frb /nrb /OV", "eOverwrite eAllowReboot eForceReboot eNoReboot"},
    {"/archive /checkupdatefileex /checkupdatefile", "<unknown> eCheckUpdateFile eCheckUpdateFileEx"},
    {"/AR /CHKEX /chk", "<unknown> eCheckUpdateFile eCheckUpdateFileEx"},
    {"/waithandlerend /quickhandlerend /IgnoreAC", "eIgnoreAc eWaitHandlerEnd eQuickHandlerEnd"},
    {"/WHE /qhe /iac /extendedstatus", "eIgnoreAc eWaitHandlerEnd eQuickHandlerEnd eExtendedStatus"},
    {"/Warn=Off /silent /actionstatus", "eWarningOff eSilent eActionStatus"},
    {"/w /S /ast /ESTAT", "eWarningOff eSilent eExtendedStatus eActionStatus"},
    {"/forcecapsuleondisk /ForceRuntime /ExAreaMode /BO",
     "eForceCapsuleOnDisk eForceRuntime eBootOrderVariablesArea eExplicitAreaMode"},
    {"/O=C:\\Bios\\X.BUP /LF=a /WD=E:\\B\\",
     "eObjectFile eLogfile eWorkingDirectory o=C:\\Bios\\X.BUP lf=a wd=E:\\B\\"},
    {"/logfile=\"a=b.log\" /WorkingDirectory=d:\\a", "eLogfile eWorkingDirectory lf=\"a=b.log\" wd=d:\\a"},
    {"/o=%KRLX_DIR%\\x.bup /lf=%KRLX_DIR%", "eObjectFile eLogfile o=c:\\t\\x.bup lf=%KRLX_DIR%"},
    {"/wd=%KRLX_DIR%\\%KRLX_UNSET%", "eWorkingDirectory wd=c:\\t\\%KRLX_UNSET%"},
    {"/crypt=Secret /dfxrf=R.xml", "eCrypt eDfxResponseFile dfxrf=R.xml pw=Secret"},
    {"/PWD=a /cinp=c.nvux /korlixversion=6", "ePwd eCinp eKorlixVersion ver=6 pw=a cinp=c.nvux"},
    {"/PwC=b /BINP=B.bup /krlxver=6.22.89.0", "ePwc eBinp eKorlixVersion ver=6.22.89.0 pw=b binp=B.bup"},
    {"/LF= /PWD= /bpc=", "eLogfile eBatPercent ePwd bpc=0"},  // refused later by the battery's lower bound
    {"/logfile /localcache=on", "eLogfile eLocalCache lf=DeDAvodu.log lc=1"},
    {"/lf /LC=off", "eLogfile eLocalCache lf=DeDAvodu.log lc=2"},
    {"/battpercent=highrisk /lc=Auto", "eBatPercent eBatPercentHighRisk eLocalCache bpc=0 lc=3"},
    {"/BPC=HighRisk /CML=-3x", "eBatPercent eBatPercentHighRisk eClientMessageLevel bpc=0 cml=-3"},
    {"/battpercent=50 /cml=abc", "eBatPercent eClientMessageLevel bpc=50 cml=0"},
    {"/bpc=007", "eBatPercent bpc=7"},
    {"/bpc=100", "eBatPercent bpc=100"},
    // Whole keywords match completely, prefix keywords need their "=", only
    // "/" and "-" start a switch and only one of them goes; parsing goes on
    // after an error, and a number out of range is kept.
    {"/updatex /o /info=1 /warn=on x.bup +upd \\upd //update", "eError"},
    {"/bpc=highrisk2 /bpc=+5 /bpc=50%", "eError eBatPercent"},
    {"/bpc=24689", "eError eBatPercent bpc=24689"},
    {"/x /UPD y /frb", "eError eUpdate eForceReboot"},
};

TEST(DfCmdLine, TokensAndValues)
{
    SetEnvironmentVariableA("KRLX_DIR", "c:\\t");
    RowsCheck(State<CDfCmdLine>, g_engineParses);
    SetEnvironmentVariableA("KRLX_DIR", nullptr);
}

// Expansion is not bound to MAX_PATH; beyond the system's limit of 32,767
// characters a value stays as typed.
TEST(DfCmdLine, LongValues)
{
    const std::string l(2000, 'L'), x(40000, 'x');
    SetEnvironmentVariableA("KRLX_LONG", l.c_str());
    const CDfCmdLine cmd = Parsed<CDfCmdLine>("/o=%KRLX_LONG%\\%KRLX_LONG%.bup /wd=C:\\" + x);
    EXPECT_EQ(cmd.m_csObjectFile, l + "\\" + l + ".bup");
    EXPECT_EQ(cmd.m_csWrkDir, "C:\\" + x);
    EXPECT_EQ(Parsed<CDfCmdLine>("/o=" + x + ".bup").m_csObjectFile, x + ".bup");
    SetEnvironmentVariableA("KRLX_LONG", nullptr);
}

// The front end's own log default and the options it refuses; the others
// reach the engine's parser as above.
const CRows g_frontEndParses = {
    {"", ""},
    {"/W /whe /QuickHandlerEnd", "eWarningOff eWaitHandlerEnd eQuickHandlerEnd"},
    {"/LF", "eLogfile lf=Korlix.log"},
    {"/logfile", "eLogfile lf=Korlix.log"},
    {"/LogFile=\"c:\\x.log\"", "eLogfile lf=\"c:\\x.log\""},
    {"/lf=", "eLogfile"},
    {"/CheckUpdateFile /chk /checkupdatefileex /helpme /lang", "eError"},
};

TEST(KorlixCmdLine, TokensAndValues)
{
    RowsCheck(State<CKorlixCmdLine>, g_frontEndParses);
}

const std::string g_w250(250, 'w');

// Each command with everything its list allows, then with what it refuses.
const CRows g_engineChecks = {
    {"/UPD /O=x.bup /OV /LF /ARB /W /S /IAC /OVERRIDEACCHECKS /BPC=30 /WHE /QHE /ESTAT /BO", "valid"},
    {"/UPD /FORCECAPSULEONDISK /FORCERUNTIME /PWD=p /PWC=q /WD=c:\\w /KRLXVER=1 /LC=ON /CML=1 /EXAREAMODE", "valid"},
    {"/UPD /BIOSCODE", "refused"},
    {"/UPD /CHK", "refused"},
    {"/UPD /AST", "refused"},
    {"/UPD /AR", "refused"},
    {"/UPD /DFXRF=r", "refused"},
    {"/UPD /INFO", "refused"},
    {"/NVU /O=a.nvux /NRB /BO /EXAREAMODE /PWC=x", "valid"},
    {"/NVU /OV", "refused"},
    {"/NVU /UPDATELOGO", "refused"},
    {"/EXAREAMODE /BIOSCODE /LOGO /SYSTEMDATA /NVRAM /PASSWORDS /BO /O=a.nvux /OV /FRB /PWD=x", "valid"},
    {"/EXAREAMODE /PASSWORDS", "refused"},  // needs an object file
    {"/EXAREAMODE /PASSWORDS /O=a.nvux /DEBUGCODE", "refused"},
    {"/EXAREAMODE /DEBUGCODE", "valid"},  // the debug code is no restore area
    {"/UPDATELOGO /O=x.bmp /FRB /PWD=x /LC=AUTO", "valid"},
    {"/UPDATELOGO /OV", "refused"},
    {"/UPDATELOGO /BO", "refused"},
    {"/ARC /O=a.nvux /OV /DEBUGCODE /PWD=x /S /W", "valid"},
    {"/MAKE /CINP=a.nvux /BINP=b.bup /O=c.bup /S /LC=OFF", "valid"},
    {"/MAKE /OV", "refused"},
    {"/BUPINFO /O=x.bup /LF /WD=c:\\w /BPC=30", "valid"},
    {"/BUPINFO /W", "refused"},
    {"/CRYPT=x /LF /W /WHE /KRLXVER=1 /CML=2", "valid"},
    {"/CRYPT=x /O=a.bup", "refused"},
    {"/CRYPT=x /BPC=50", "refused"},
    // Without a command there is no list; the battery rule still applies.
    {"/UPD /BPC=100", "valid"},
    {"/AST /BPC=5", "refused"},
    // The joined path may be MAX_PATH long, counted after the split.
    {"/UPD /O=abc.bup /WD=" + g_w250, "valid"},
    {"/UPD /O=c:\\" + std::string(249, 'd') + "\\x.bup /WD=" + g_w250, "valid"},
};

// An absolute object file's folder replaces the working directory; network
// roots are the first prefix that answers a free-space query (a device path
// does here, no server does).
const CRows g_folders = {
    {"/UPD /O=c:\\bios\\x.bup /WD=d:\\w", "valid x.bup c:\\bios"},
    {"/UPD /O=c:\\x.bup", "valid x.bup c:"},
    {"/UPD /O=c:\\bios\\\\x.bup /WD=d:\\w", "valid x.bup c:\\bios"},
    {"/UPD /O=x.bup /WD=c:\\w\\", "valid x.bup c:\\w\\"},
    {"/UPD /O=bios\\x.bup /WD=d:\\w", "valid bios\\x.bup d:\\w"},
    {"/UPD /O=c:x.bup /WD=d:\\w", "valid c:x.bup d:\\w"},
    {"/UPD /O=\\\\.\\C:\\bios\\a.b.c /WD=d:\\w", "valid a.b.c \\\\.\\C:\\bios"},
    {"/UPD /O=\\\\.\\C:\\x.bup", "valid x.bup \\\\.\\C:"},
    {"/UPD /O=\\\\nosuchserver\\share\\x.bup /WD=d:\\w", "valid \\\\nosuchserver\\share\\x.bup d:\\w"},
};

TEST(CheckParams, CommandListsRulesAndFolders)
{
    RowsCheck(Verdict<CDfCmdLine>, g_engineChecks);
    RowsCheck(Folder, g_folders);
}

// Help and the exit-code table skip the engine's rules; there /S is quiet
// mode, not the silent switch that /BUPINFO refuses.
TEST(CheckParams, FrontEnd)
{
    RowsCheck(Verdict<CKorlixCmdLine>, {{"/E /UPD /NRB /FRB", "valid"}, {"/BUPINFO /S", "valid"}});
}
}  // namespace
