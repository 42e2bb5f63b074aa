// The records of a real run of the installed program: level, class, method,
// label, text and detail of each, in order; those of the command-line
// classes, and those the program flow writes.
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace
{
constexpr char g_szKorlixKey[] = "Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22";

// A run with every level traced, without the module column.
std::string TracedRun(const std::string& arguments, bool fLimited, DWORD& dwExitCode)
{
    CRegValues values(g_szKorlixKey);
    values.Dword("Trace", 1);
    values.Dword("TraceLevel", 6);
    values.Dword("TraceGlobalEnable", 0);
    CTempDir dir;
    CTempFile script(".scn");
    script.Write("call\nend\n");
    CKorlixStart start;
    start.arguments = arguments;
    start.workingDirectory = dir.Path();
    start.fLimited = fLimited;
    start.environment["DIDEREVE_SCRIPT"] = script.Path();
    dwExitCode = KorlixRun(start).dwExitCode;
    return TraceFileRead(dir.File("Trace.trc")).text;
}

// The columns after the thread column of one record, tab-separated, with
// the line end of the file.
std::string Record(const char* szLevel, const char* szFunction, const char* szLabel, const std::string& text,
                   const std::string& detail)
{
    std::string function = szFunction;
    size_t nColons = function.find("::");
    return std::string("\t") + szLevel + "\t" + function.substr(0, nColons) + "\t" + function.substr(nColons + 2) +
           "\t" + szLabel + "\t" + text + "\t" + detail + "\r\n";
}

struct CTraceCase
{
    std::string arguments;
    DWORD dwExitCode;
    std::vector<std::string> records;  // found in this order
    bool fLimited = false;             // not elevated
};

// Shows a failing case by its command line.
std::ostream& operator<<(std::ostream& os, const CTraceCase& c)
{
    return os << "'" << c.arguments << "'";
}

using CmdLineTraceTest = testing::TestWithParam<CTraceCase>;

TEST_P(CmdLineTraceTest, RecordsInOrder)
{
    const CTraceCase& c = GetParam();
    DWORD dwExitCode = 0;
    const std::string text = TracedRun(c.arguments, c.fLimited, dwExitCode);
    EXPECT_EQ(dwExitCode, c.dwExitCode);
    size_t nPos = 0;
    for (const std::string& record : c.records)
    {
        size_t nFound = text.find(record, nPos);
        EXPECT_NE(nFound, std::string::npos) << record << "\nnot found after:\n" << text.substr(nPos, 2000);
        if (nFound != std::string::npos)
            nPos = nFound + record.size();
    }
}

const char g_szKorlixParse[] = "CKorlixCmdLine::ParseParam";
const char g_szDfParse[] = "CDfCmdLine::ParseParam";
const char g_szKorlixCheck[] = "CKorlixCmdLine::CheckParams";
const char g_szDfCheck[] = "CDfCmdLine::CheckParams";

INSTANTIATE_TEST_SUITE_P(
    Parsing, CmdLineTraceTest,
    testing::Values(
        CTraceCase{"/UPD /PWD=abcdef",
                   0,
                   {Record("InfoCC", "CCCommandLineInfo::Parse", "Enter", "", "argc=3"),
                    Record("Verbose", g_szKorlixParse, "Enter", "", "lpszParam=UPD, bFlag=1, bLast=0"),
                    Record("VerboseCC", g_szDfParse, "Enter", "", "lpszParam='/UPD', bFlag=1, bLast=0"),
                    Record("VerboseCC", g_szDfParse, "Leave", "", "OptionExists(eError)=false"),
                    Record("Verbose", g_szKorlixParse, "Leave", "", "OptionExists(eError)=false"),
                    Record("Verbose", g_szKorlixParse, "Enter", "", "lpszParam=PWD=****, bFlag=1, bLast=1"),
                    Record("VerboseCC", g_szDfParse, "Enter", "", "lpszParam='/PWD=****', bFlag=1, bLast=1"),
                    Record("InfoCC", "CCCommandLineInfo::Parse", "Leave", "", ""),
                    Record("Info", g_szKorlixCheck, "Enter", "", ""),
                    Record("Info", g_szDfCheck, "Enter", "", "\r\nOpt=eUpdate ePwd"),
                    Record("Info", g_szDfCheck, "Leave", "", "ret=true"),
                    Record("Info", g_szKorlixCheck, "Leave", "", "ret=true")}},
        CTraceCase{"x.bup /updat",
                   4,
                   {Record("Verbose", g_szKorlixParse, "Enter", "", "lpszParam=x.bup, bFlag=0, bLast=0"),
                    Record("Verbose", g_szKorlixParse, "Leave", "", "OptionExists(eError)=true"),
                    Record("VerboseCC", g_szDfParse, "Enter", "", "lpszParam='/updat', bFlag=1, bLast=1"),
                    Record("Error", g_szDfParse, "Internal", "Unknown command line option", "csParam='updat'"),
                    Record("VerboseCC", g_szDfParse, "Leave", "", "OptionExists(eError)=true")}},
        CTraceCase{"/UPD /bpc=5x /bpc=101 /lc=maybe",
                   4,
                   {Record("Error", g_szDfParse, "Internal", "Invalid number format for battpercent", "val='5x'"),
                    Record("Error", g_szDfParse, "Internal", "Out of range for battpercent", "m_nBatPercent=101"),
                    Record("Error", g_szDfParse, "Internal", "Invalid value for /localcache", "val='maybe'")}}));

INSTANTIATE_TEST_SUITE_P(
    Validation, CmdLineTraceTest,
    testing::Values(CTraceCase{"/UPD /NVU /AST",
                               4,
                               {Record("Warning", g_szDfCheck, "Internal", "invalid parameter combination for /UPD",
                                       "m_Options.ExtractOptionsOutside=eNvramUpdate eActionStatus"),
                                Record("Info", g_szDfCheck, "Leave", "", "ret=false"),
                                Record("Info", g_szKorlixCheck, "Leave", "", "ret=false")}},
                    CTraceCase{"/BUPINFO /silent",
                               4,
                               {Record("Warning", g_szDfCheck, "Internal", "invalid parameter combination for /BUPINFO",
                                       "m_Options.ExtractOptionsOutside=eSilent")}},
                    CTraceCase{"/NRB /ARB",
                               4,
                               {Record("Warning", g_szDfCheck, "Internal",
                                       "At least only one reboot control switch allowed", "CountOptionsInside=2")}},
                    CTraceCase{"/UPD /BPC=19",
                               4,
                               {Record("Error", g_szDfCheck, "Internal",
                                       "BatPercent is lower than 20%. This is not possible.", "")}},
                    CTraceCase{"/UPD /O=abcd.bup /WD=C:\\" + std::string(247, 'w'),
                               4,
                               {Record("Error", g_szDfCheck, "Internal", "Length of file path is exceeding limit!",
                                       "length=261, m_csTarget='C:\\" + std::string(247, 'w') + "\\abcd.bup ...'")}},
                    CTraceCase{"/UPD /O=" + std::string(258, 'o') + ".bup",
                               4,
                               {Record("Error", g_szDfCheck, "Internal", "Length of file path is exceeding limit!",
                                       "length=265, m_csTarget='\\" + std::string(258, 'o') + " ...'")}},
                    CTraceCase{"/? /UPD /NVU",
                               0,
                               {Record("Info", g_szKorlixCheck, "Enter", "", ""),
                                Record("Verbose", g_szKorlixCheck, "Internal",
                                       "help, syntax or errorlevel parameter used", ""),
                                Record("Info", g_szKorlixCheck, "Leave", "", "ret=true")}}));
const char g_szMain[] = "<global>::main";

INSTANTIATE_TEST_SUITE_P(
    Program, CmdLineTraceTest,
    testing::Values(
        CTraceCase{
            "/UPD",
            0,
            {Record("VerboseCC", "CCRegKey::CCRegKey", "Enter", "",
                    "name='HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe'"),
             Record("InfoCC", "CCRegKey::Open", "Enter", "", "sam=0x20019"),
             Record("InfoCC", "CCRegKey::Open", "Leave", "", "lLastErr=2"),
             Record("Warning", "CCAmbrelProductVersion::RegistryVersionGet", "Internal",
                    "Could not open registry key for reading",
                    "possible keys={'HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\Ambrel', "
                    "'HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane Morlund Computers\\Ambrel'}"),
             Record("InfoCC", "CCAssembly::Initialize", "Enter", "Method Initialize has been called", ""),
             Record("InfoCC", "CCAssembly::InitializeCommon", "Enter", "Method InitializeCommon has been called", ""),
             Record("InfoCC", "CCAssembly::InitializeCommon", "Leave", "Method InitializeCommon has been called",
                    "bReturn: 1"),
             Record("VerboseCC", "CCAssembly::InitializeFeatureList", "Internal", "Com entry found",
                    "caller Korlix.exe V6.22.89.0: name DiDEreve.dll, version 6.22.12.0, progId "
                    "DiDEreve.DiDEreveObj.1, viProgId DiDEreve.DiDEreveObj"),
             Record("InfoCC", "CCAssembly::Initialize", "Leave", "Method Initialize has been called", "bReturn: 1"),
             Record("InfoCC", "CCAssembly::CoCreateInstance", "Enter", "Method CoCreateInstance has been called",
                    "szProgID: DiDEreve.DiDEreveObj"),
             Record("Info", g_szMain, "Internal", "Provider is initialized", ""),
             Record("Verbose", g_szMain, "Internal", "Calling pDiDEreveObj->Execute", ""),
             Record("Verbose", "DiDEreve::Execute", "Leave", "", "hr=0x00000000, ulStatus=0"),
             Record("Info", "<global>::FormattedOutput", "Leave", "", ""),
             Record("Verbose", "DiDEreve::Continue", "Leave", "", "hr=0x00000000, ulStatus=1"),
             Record("Info", g_szMain, "Internal", "Releasing DiDEreve", ""),
             Record("Info", g_szMain, "Leave", "", "ERRORLEVEL=0")}},
        CTraceCase{"/UPD",
                   22,
                   {Record("Warning", g_szMain, "Internal", "NOT ELEVATED", ""),
                    Record("Error", g_szMain, "Internal", "NOT ELEVATED", ""),
                    Record("Info", g_szMain, "Leave", "", "ERRORLEVEL=22")},
                   true}));
}  // namespace
