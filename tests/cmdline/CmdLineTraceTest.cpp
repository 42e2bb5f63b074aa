// Real runs of the installed program with every level traced: the records
// of each, in full and in order, against CmdLineTraces.txt. The parser's and
// checker's records, those of the registry key, the component loader and the
// program flow are all in it, so any change of a record's text, level or
// order shows.
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace
{
constexpr char g_szKorlixKey[] = "Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22";
constexpr char g_szNotElevated[] = " (not elevated)";

struct CTraceCase
{
    std::string arguments;
    DWORD dwExitCode = 0;
    bool fLimited = false;               // not elevated
    std::string script = "call\nend\n";  // the scripted engine's
    std::string records;                 // after the time, process and thread columns
};

// Shows a failing case by its command line.
std::ostream& operator<<(std::ostream& os, const CTraceCase& c)
{
    return os << "'" << c.arguments << "'";
}

// Each case starts with "=== arguments => exit code", and " (not elevated)"
// for a run without elevation; a line "script: " with the engine's script,
// its lines separated by " ; ", and the records follow.
std::vector<CTraceCase> CasesRead()
{
    std::vector<CTraceCase> cases;
    std::istringstream lines(FileBytes(KORLIX_TRACE_CASES));
    for (std::string line; std::getline(lines, line);)
    {
        const size_t nArrow = line.rfind(" => ");
        if (line.compare(0, 4, "=== ") == 0 && nArrow != std::string::npos)
        {
            const bool fLimited =
                line.size() > strlen(g_szNotElevated) &&
                line.compare(line.size() - strlen(g_szNotElevated), std::string::npos, g_szNotElevated) == 0;
            cases.push_back(
                {line.substr(4, nArrow - 4), std::stoul(line.substr(nArrow + 4)), fLimited, "call\nend\n", ""});
        }
        else if (line.compare(0, 8, "script: ") == 0 && !cases.empty())
        {
            std::string& script = cases.back().script;
            script = line.substr(8) + "\n";
            for (size_t nPos; (nPos = script.find(" ; ")) != std::string::npos;)
                script.replace(nPos, 3, "\n");
        }
        else if (!cases.empty())
            cases.back().records += line + "\n";
    }
    return cases;
}

// A run with every level traced, without the module column, as the table
// holds it: the build time, the address of the program's build record and
// the thread id of the string loader's record masked.
std::string TracedRun(const CTraceCase& c, DWORD& dwExitCode)
{
    CRegValues values(g_szKorlixKey);
    values.Dword("Trace", 1);
    values.Dword("TraceLevel", 6);
    values.Dword("TraceGlobalEnable", 0);
    CTempDir dir;
    CTempFile script(".scn");
    script.Write(c.script);
    CKorlixStart start;
    start.arguments = c.arguments;
    start.workingDirectory = dir.Path();
    start.fLimited = c.fLimited;
    start.environment["DIDEREVE_SCRIPT"] = script.Path();
    dwExitCode = KorlixRun(start).dwExitCode;
    static const std::regex reBuild("TIME=.*, this=0x[0-9A-F]+");
    static const std::regex reThread("TID=[0-9]+");
    std::string records;
    for (const std::string& line : TraceLines(TraceFileRead(dir.File("Trace.trc")).text))
    {
        // "\tpid\ttid\tlevel..." of a record: from its level on.
        const std::string after = AfterTime(line);
        const size_t nTid = after.find('\t', 1);
        const size_t nLevel = nTid == std::string::npos ? nTid : after.find('\t', nTid + 1);
        const std::string columns = nLevel == std::string::npos ? line : after.substr(nLevel + 1);
        const std::string masked = std::regex_replace(columns, reBuild, "TIME=(build time), this=(address)");
        records += std::regex_replace(masked, reThread, "TID=(thread)") + "\n";
    }
    return records;
}

using CmdLineTraceTest = testing::TestWithParam<CTraceCase>;

TEST_P(CmdLineTraceTest, RecordsInFull)
{
    const CTraceCase& c = GetParam();
    DWORD dwExitCode = 0;
    EXPECT_EQ(c.records, TracedRun(c, dwExitCode));
    EXPECT_EQ(c.dwExitCode, dwExitCode);
}

const std::vector<CTraceCase> g_cases = CasesRead();

INSTANTIATE_TEST_SUITE_P(Runs, CmdLineTraceTest, testing::ValuesIn(g_cases));

TEST(CmdLineTraceCasesTest, AllRead)
{
    EXPECT_EQ(18u, g_cases.size());
}
}  // namespace
