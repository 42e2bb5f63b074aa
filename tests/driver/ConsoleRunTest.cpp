// Runs of the installed program against scripted engines, a row of
// ConsoleRuns.txt each: exit code, the console bytes of both streams, the
// calls the engine received and the command line it was given; and both
// streams in one pipe.
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{
struct CConsoleCase
{
    std::string name;
    std::string arguments;
    std::string script;  // empty: the engine runs without a script
    DWORD dwExitCode = 0;
    std::string out;
    std::string err;
    std::string events;       // empty: not checked; "-": the engine is never created
    std::string engineLines;  // empty: not checked
};

void PrintTo(const CConsoleCase& c, std::ostream* os)
{
    *os << c.name << " '" << c.arguments << "'";
}

std::string Trim(const std::string& text)
{
    const size_t nFirst = text.find_first_not_of(' ');
    return nFirst == std::string::npos ? std::string() : text.substr(nFirst, text.find_last_not_of(' ') - nFirst + 1);
}

// A help or exit-code text as the program prints it: the header, then the
// resource text, whose CR LF line ends reach the pipe as CR CR LF through
// the text-mode output.
std::string ResourceText(const std::string& name)
{
    HRSRC hInfo = FindResourceA(nullptr, name.c_str(), "BIGTEXT");
    const char* pText = static_cast<const char*>(LockResource(LoadResource(nullptr, hInfo)));
    const std::string text =
        "Korlix Version 6.81\nCopyright (C) 2026 Tervane. All rights reserved.\n\nBIOS Management "
        "(Update & Archive)\nAmbrel tool to update and archive BIOS and BIOS settings (64 bit)\n\n" +
        std::string(pText ? pText : "", pText ? SizeofResource(nullptr, hInfo) : 0) + "\n";
    std::string out;
    for (char ch : text)
        out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return out;
}

// \r, \n, \t and \\ of a console field; %SIGNON% is the program's sign-on,
// %TEXT:name% a help or exit-code text.
std::string Unescape(const std::string& field)
{
    std::string text;
    for (size_t i = 0; i < field.size(); ++i)
    {
        const size_t nEnd = field.find('%', i + 6);
        if (field.compare(i, 8, "%SIGNON%") == 0)
        {
            text += g_signOn;
            i += 7;
        }
        else if (field.compare(i, 6, "%TEXT:") == 0 && nEnd != std::string::npos)
        {
            text += ResourceText(field.substr(i + 6, nEnd - i - 6));
            i = nEnd;
        }
        else if (field[i] == '\\' && i + 1 < field.size())
        {
            const char ch = field[++i];
            text += ch == 'r' ? '\r' : ch == 'n' ? '\n' : ch == 't' ? '\t' : ch;
        }
        else
            text += field[i];
    }
    return text;
}

std::vector<CConsoleCase> CasesRead()
{
    std::vector<CConsoleCase> cases;
    std::istringstream lines(FileBytes(KORLIX_CONSOLE_RUNS));
    for (std::string line; std::getline(lines, line);)
    {
        std::vector<std::string> fields;
        std::istringstream stream(line + " ");
        for (std::string field; std::getline(stream, field, '|');)
            fields.push_back(Trim(field));
        if (line.empty() || line[0] == '#' || fields.size() < 6)
            continue;
        std::string script = fields[2] == "(none)" ? "" : fields[2] + "\n";
        for (size_t nPos; (nPos = script.find(" ; ")) != std::string::npos;)
            script.replace(nPos, 3, "\n");
        // A row named "-" is named by its place.
        const std::string name = fields[0] == "-" ? "CommandLine" + std::to_string(cases.size()) : fields[0];
        cases.push_back({name, fields[1], script, std::stoul(fields[3]), Unescape(fields[4]), Unescape(fields[5]),
                         fields.size() > 6 ? fields[6] : "", fields.size() > 7 ? Unescape(fields[7]) : ""});
    }
    return cases;
}

// The first field of every line of the engine's record.
std::string Events(const std::string& record)
{
    std::string events;
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);)
        events += (events.empty() ? "" : " ") + line.substr(0, line.find('\t'));
    return events;
}

using ConsoleRunTest = testing::TestWithParam<CConsoleCase>;

TEST_P(ConsoleRunTest, CodeBytesAndEngineCalls)
{
    const CConsoleCase& c = GetParam();
    CTempFile script(".scn"), record(".rec");
    script.Write(c.script);
    CKorlixStart start = ScriptedStart(c.arguments, c.script.empty() ? "" : script.Path(), record.Path());
    start.workingDirectory = "C:\\windows\\temp";
    CKorlixRun run = KorlixRun(start);
    EXPECT_EQ(c.dwExitCode, run.dwExitCode);
    EXPECT_EQ(c.out, run.out);
    EXPECT_EQ(c.err, run.err);
    if (!c.events.empty())
    {
        EXPECT_EQ(c.events == "-" ? "" : c.events, Events(record.Read()));
    }
    if (!c.engineLines.empty())
    {
        EXPECT_EQ(c.engineLines, EngineCommandLines(record.Read()));
    }
}

const std::vector<CConsoleCase> g_cases = CasesRead();

INSTANTIATE_TEST_SUITE_P(Runs, ConsoleRunTest, testing::ValuesIn(g_cases),
                         [](const testing::TestParamInfo<CConsoleCase>& info) { return info.param.name; });

// The program's own lines on standard output reach the pipe before a later
// error message on standard error, as a script capturing both sees them.
TEST(ConsoleRunStreamsTest, KeepTheirOrderInOnePipe)
{
    CTempFile script(".scn"), record(".rec");
    script.Write("call\nout <eAction> one\\n\nend\ncall\nerr Invalid password\nstatus 1\nend\n");
    CKorlixStart start = ScriptedStart("/UPD", script.Path(), record.Path());
    start.fOneStream = true;
    CKorlixRun run = KorlixRun(start);
    EXPECT_EQ(run.dwExitCode, 2u);
    EXPECT_EQ(run.out, g_signOn + "\rAction...........one\r\nInvalid password");
}

TEST(ConsoleRunCasesTest, AllRead)
{
    EXPECT_EQ(169u, g_cases.size());
}
}  // namespace
