// The administrator's guide run as written on simulated PCs, at prompts of
// cmd.exe that check the exit code each example states beside it ("& rem
// 402: pending", "0: 1.30 flashed"), with GuideRuns.md for what the guide
// leaves open; its tables of commands, aliases and exit codes are those the
// program prints. A code block that no test runs says why.
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{
using CRow = std::vector<std::string>;

struct CStepRun
{
    DWORD dwCode;
    std::string out;
};

const char g_szReboot[] = "rundll32 \"C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\6.22.12.0"
                          "\\DiDEreve.dll\",MachineReboot";
// The exit code a line states at its end: "& rem 400: prepared for POST".
const std::regex g_stated("& rem (\\d+)(:.*)?$");

// Copied as shutdown.exe and schtasks.exe, the test program stands in for
// the programs the guide's script calls: before any test it appends its name
// and its arguments as one line to the file DOCS_CALLS names, and exits.
const bool g_fStandIn = [] {
    const std::string name = std::regex_replace(_pgmptr, std::regex(".*\\\\|\\.exe$"), "");
    if (name != "shutdown" && name != "schtasks")
        return false;
    if (FILE* pFile = getenv("DOCS_CALLS") ? fopen(getenv("DOCS_CALLS"), "ab") : nullptr)
    {
        const std::regex program("^(\"[^\"]*\"|\\S+)\\s*");
        fprintf(pFile, "%s %s\n", name.c_str(), std::regex_replace(GetCommandLineA(), program, "").c_str());
        fclose(pFile);
    }
    ExitProcess(0);
}();

const std::string g_guide = FileBytes(KORLIX_ADMIN_GUIDE), g_runs = FileBytes(KORLIX_GUIDE_RUNS);

// The parts of a text between separators: its lines by default.
CRow Split(const std::string& text, const char* szSeparator = "\r*\n")
{
    const std::regex separator(szSeparator);
    return text.empty() ? CRow() : CRow(std::sregex_token_iterator(text.begin(), text.end(), separator, -1), {});
}

// The body rows of the first table whose header starts with this cell: each
// cell trimmed and without backquotes around it, a `\|` in it as `|`. A
// table without rows, or with a line before the next empty line that is not
// a row of the header's cells, fails the test.
std::vector<CRow> GuideTable(const std::string& header, const std::string& text = g_guide)
{
    static const std::regex cell("\\|\\s*(`?)((?:\\\\\\||[^|])*?)\\1\\s*(?=\\|)"), bar("\\\\\\|");
    auto cells = [&](const std::string& line) {
        CRow cells;
        for (std::sregex_iterator it(line.begin(), line.end(), cell), end; it != end && line[0] == '|'; ++it)
            cells.push_back(std::regex_replace((*it)[2].str(), bar, "|"));
        return cells;
    };
    const CRow lines = Split(text);
    auto it = std::find_if(lines.begin(), lines.end(), [&](auto& l) { return !l.rfind("| " + header + " |", 0); });
    const size_t nCells = it == lines.end() ? 0 : cells(*it).size();
    std::vector<CRow> rows;
    for (it += std::min<ptrdiff_t>(2, lines.end() - it); it != lines.end() && !it->empty(); ++it)
        if (cells(*it).size() == nCells)
            rows.push_back(cells(*it));
        else
            ADD_FAILURE() << "not a row of the table " << header << ": " << *it;
    EXPECT_FALSE(rows.empty()) << "the table " << header;
    return rows;
}

// The fenced code blocks: each its language, then its lines.
std::vector<CRow> GuideBlocks()
{
    const CRow parts = Split(g_guide, "\r?\n```");
    std::vector<CRow> blocks;
    for (size_t i = 1; i < parts.size(); i += 2)
        blocks.push_back(Split(parts[i]));
    return blocks;
}

bool CodesStated(const CRow& block)
{
    return std::any_of(block.begin(), block.end(), [](auto& line) { return std::regex_search(line, g_stated); });
}

// A path in the tests' own folder: a new one, numbered, unless fNew is false.
std::string Temp(const std::string& name, bool fNew = true)
{
    static CTempDir s_dir;
    static std::atomic<int> s_nNext{0};
    return s_dir.File(fNew ? name + std::to_string(s_nNext++) : name);
}

// A machine file with a change as the guide writes it, such as
// `Type="notebook" Ac="disconnected"` or none: the one at path, or a new one
// made from the factory machine.
std::string Machine(const std::string& change, std::string path = "")
{
    std::string text = FileBytes(path.empty() ? KORLIX_MACHINE_DATA "/Machine.xml" : path);
    const std::regex attribute("(\\w+)=\"([^\"]*)\"");
    for (std::sregex_iterator it(change.begin(), change.end(), attribute), end; it != end; ++it)
    {
        std::regex old("( " + (*it)[1].str() + "=\")[^\"]*\"");
        EXPECT_TRUE(std::regex_search(text, old)) << (*it)[1] << " in the machine file";
        text = std::regex_replace(text, old, "$01" + (*it)[2].str() + "\"");
    }
    FileWrite(path = path.empty() ? Temp("machine") + ".xml" : path, text);
    return path;
}

// Groups of batch steps typed at nPrompts prompts of cmd.exe side by side,
// which take the groups in turn, in the tests' folder with the stand-ins and
// Korlix first on PATH. Each step's run, in order: what it printed and its
// exit code, which must be the one the step states. (Under Wine, more than
// two Korlix runs that create the engine at once now and then end with 2.)
std::vector<CStepRun> Prompt(const std::vector<CRow>& groups, size_t nPrompts = 1)
{
    CRow steps;
    std::vector<size_t> prompts;  // of each step
    for (size_t i = 0; i < groups.size(); ++i)
        for (const std::string& step : groups[i])
            steps.push_back(step), prompts.push_back(i % nPrompts);
    std::vector<CStepRun> runs(steps.size(), {9009, ""});
    const auto prompt = [&](size_t nPrompt) {
        CKorlixStart start;
        start.program = "C:\\windows\\system32\\cmd.exe";
        start.programText = "cmd.exe";
        start.arguments = "/c " + Temp("prompt") + ".cmd";
        start.workingDirectory = Temp(".", false);
        const std::string path = Temp("bin", false) + ";C:\\Program Files\\Tervane\\Ambrel\\Korlix;" + getenv("PATH");
        start.environment = {{"DIDEREVE_SCRIPT", ""}, {"DIDEREVE_RECORD", ""}, {"PATH", path}};
        std::string text = "@echo off\r\n";
        std::vector<size_t> mine;
        for (size_t i = 0; i < steps.size(); ++i)
            if (prompts[i] == nPrompt)
                text += steps[i] + "\r\necho #:#%ERRORLEVEL%\r\n", mine.push_back(i);
        FileWrite(start.arguments.substr(3), text);
        const CKorlixRun run = KorlixRun(start);
        const std::regex marker("#:#(\\d+)\r?\n");  // each step's output, then its exit code
        const CRow parts(std::sregex_token_iterator(run.out.begin(), run.out.end(), marker, {-1, 1}), {});
        for (size_t i = 0; i < mine.size(); ++i)
            runs[mine[i]] = 2 * i + 1 < parts.size()
                                ? CStepRun{static_cast<DWORD>(std::stoul(parts[2 * i + 1])), parts[2 * i]}
                                : CStepRun{9009, run.out + run.err};
    };
    std::vector<std::thread> threads;
    for (size_t n = 0; n < nPrompts; ++n)
        threads.emplace_back(prompt, n);
    for (std::thread& thread : threads)
        thread.join();
    std::smatch stated;
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_TRUE(!std::regex_search(steps[i], stated, g_stated) || std::stoul(stated[1]) == runs[i].dwCode)
            << steps[i] << "\ngave " << runs[i].dwCode << ":\n"
            << runs[i].out;
    return runs;
}

// The state the guide's examples are about: the package's update files in
// C:\BIOS, an archive of the factory PC in C:\Archive\PC-0001.nvux and an
// empty folder C:\Logs; the stand-ins.
class CRehearsal : public testing::Environment
{
    void SetUp() override
    {
        TearDown();
        const std::string bin = Temp("bin", false), copy = "copy \"" + std::string(_pgmptr) + "\" " + bin;
        Prompt(
            {{"md C:\\BIOS C:\\Archive C:\\Logs " + bin + " & copy \"" KORLIX_MACHINE_DATA "/*.bup\" C:\\BIOS & rem 0",
              copy + "\\shutdown.exe >nul & " + copy + "\\schtasks.exe & rem 0",
              "set DIDEREVE_MACHINE=" + Machine("none") +
                  "\r\nKorlix /ARC /WD=C:\\Archive /O=PC-0001.nvux /S & rem 0"}});
    }
    void TearDown() override
    {
        for (const char* szFolder : {"C:\\BIOS", "C:\\Archive", "C:\\Logs", "C:\\Rehearsal"})
            TreeRemove(szFolder);
    }
};
testing::Environment* const g_rehearsal = testing::AddGlobalTestEnvironment(new CRehearsal);

// Each row's example on a machine of its own, with what the text beside it
// promises: "1.30 flashed" the BIOS version afterwards, "`C:\x.nvux` written"
// a file (removed again). The rows are the commands that /? prints, and
// /SYNTAX; the guide names the help's aliases. The exit-code table is the one
// /E prints (a line without a code continues a meaning), with causes and actions.
TEST(GuideExamples, CommandTableIsTheHelpsAndGivesTheStatedCodes)
{
    const std::vector<CRow> rows = GuideTable("Command");
    CRow steps, machines, commands, documented;
    std::smatch match;
    for (const CRow& row : rows)
    {
        EXPECT_TRUE(std::regex_match(row[3], match, std::regex("(\\d+)(: .*)?"))) << "no exit code: " << row[2];
        EXPECT_EQ(0u, row[2].rfind("Korlix " + row[0], 0)) << row[2];
        documented.push_back(row[0]);
        machines.push_back(Machine("none"));
        steps.push_back("set DIDEREVE_MACHINE=" + machines.back() + "\r\n" + row[2] + " & rem " + match[1].str());
    }
    const std::vector<CStepRun> runs = Prompt({steps});
    std::map<std::string, std::string> printed;
    const std::regex flashed("(\\d+\\.\\d+) flashed"), written("`([^`]+)` written");
    for (size_t i = 0; i < rows.size(); ++i)
    {
        printed[rows[i][0]] = runs[i].out;
        if (std::regex_search(rows[i][3], match, flashed))
        {
            EXPECT_NE(std::string::npos, FileBytes(machines[i]).find(" Version=\"" + match[1].str())) << rows[i][2];
        }
        for (std::sregex_iterator it(rows[i][3].begin(), rows[i][3].end(), written), end; it != end; ++it)
            EXPECT_TRUE(DeleteFileA((*it)[1].str().c_str())) << rows[i][2] << ": " << (*it)[1];
    }
    const std::string help = printed["/?"], aliases = help.substr(std::min(help.find("aliases are"), help.size()));
    const std::string codes = std::regex_replace(printed["/E"], std::regex(" *\r*\n *\t"), " ");
    const std::regex usage("\nKorlix (/[^ =[\r\n]+)"), alias("[\\w?,] +(/[\\w?]+)"), code("(\\d+)\t(.*?)\\s*\r*\n");
    for (std::sregex_iterator it(help.begin(), help.end(), usage), end; it != end; ++it)
        commands.push_back((*it)[1]);
    commands.push_back("/SYNTAX");
    EXPECT_EQ(commands, documented);
    int nAliases = 0;
    for (std::sregex_iterator it(aliases.begin(), aliases.end(), alias), end; it != end; ++it, ++nAliases)
        EXPECT_NE(std::string::npos, g_guide.find("`" + (*it)[1].str())) << (*it)[1] << " is not in the guide";
    EXPECT_EQ(15, nAliases);
    std::vector<CRow> program, guide;
    for (std::sregex_iterator it(codes.begin(), codes.end(), code), end; it != end; ++it)
        program.push_back({(*it)[1], (*it)[2]});
    for (const CRow& row : GuideTable("Code"))
    {
        EXPECT_TRUE(!row[2].empty() && row[3].find("**") != std::string::npos) << "cause, action: " << row[0];
        guide.push_back({row[0], row[1]});
    }
    EXPECT_EQ(program, guide);
}

// Each row: a change of the machine, a command, its code, and the code of
// the same command after a boot.
TEST(GuideExamples, StateTableGivesTheStatedCodesBeforeAndAfterABoot)
{
    std::vector<CRow> groups;
    for (const CRow& row : GuideTable("Change in `Machine.xml`"))
        groups.push_back(
            {"rem " + row[0] + "\r\nset DIDEREVE_MACHINE=" + Machine(row[0]) + "\r\n" + row[1] + " & rem " + row[2],
             g_szReboot + ("\r\n" + row[1] + " & rem " + row[3])});
    Prompt(groups, 2);
}

// A block typed at a prompt: a "rem Edit <file>: Name="value" ..." line is
// the administrator's edit, made before the rest of the block runs at another
// prompt, where the "set" lines carry over.
TEST(GuideExamples, PromptBlocksGiveTheStatedCodes)
{
    const std::regex edit("rem Edit (\\S+): (.*)");
    int nBlocks = 0;
    for (const CRow& block : GuideBlocks())
    {
        if (block[0] != "bat" || !CodesStated(block))
            continue;
        ++nBlocks;
        CRow part, sets;
        std::smatch match;
        for (auto line = block.begin() + 1; line != block.end(); ++line)
        {
            if (std::regex_match(*line, match, edit))
            {
                Prompt({std::exchange(part, sets)});
                Machine(match[2], match[1]);
                continue;
            }
            part.push_back(*line);
            if (line->rfind("set ", 0) == 0)
                sets.push_back(*line);
        }
        Prompt({part});
    }
    EXPECT_EQ(1, nBlocks) << "the POST rehearsal";
}

// The guide's batch script (its bat block that starts with "@echo off") run
// by cmd.exe in the states of GuideRuns.md, each in a folder of its own.
// After each run a step lists and removes the state's update logs in C:\Logs,
// and a run without arguments leaves one.
TEST(GuideExamples, BatchScriptTakesTheStatedBranches)
{
    std::string script;
    for (const CRow& block : GuideBlocks())
        for (size_t i = 1; block[0] == "bat" && block.at(1) == "@echo off" && i < block.size(); ++i)
            script += block[i] + "\r\n";
    const std::vector<CRow> rows = GuideTable("State", g_runs);
    std::map<std::string, std::string> lines;  // of the calls
    for (const CRow& row : GuideTable("Call", g_runs))
        lines[row[0]] = row[1];
    std::vector<CRow> states;
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const std::string dir = Temp(rows[i][0], false);
        std::string step = "set DOCS_CALLS=" + dir + "\\calls" + std::to_string(i);
        if (i == 0 || rows[i][0] != rows[i - 1][0])
        {
            CreateDirectoryA(dir.c_str(), nullptr);
            FileWrite(dir + "\\bios-update.cmd", script);
            step += "\r\ncopy C:\\BIOS\\" + rows[i][2] + " " + dir +
                    " >nul\r\nset DIDEREVE_MACHINE=" + Machine(rows[i][1] + " NetworkName=\"" + rows[i][0] + "\"");
            states.emplace_back();
        }
        states.back().push_back(step + (rows[i][3].empty() ? "" : "\r\n" + std::string(g_szReboot)) + "\r\ncmd /c " +
                                dir + "\\bios-update.cmd " + rows[i][4] + " & rem " + rows[i][5]);
        states.back().push_back("dir /b C:\\Logs\\" + rows[i][0] + "-*\r\ndel /q C:\\Logs\\" + rows[i][0] + "-*");
    }
    const std::vector<CStepRun> runs = Prompt(states, 2);  // two steps a row
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const std::string dir = Temp(rows[i][0], false);
        const CRow out = Split(runs[2 * i].out);
        CRow calls;
        for (const std::string& call : Split(rows[i][7], "; "))
            calls.push_back(std::regex_replace(lines[call], std::regex("%~f0"), dir + "\\bios-update.cmd"));
        EXPECT_EQ(rows[i][6], out.empty() ? "" : out.back()) << "row " << i + 1 << "\n" << runs[2 * i].out;
        EXPECT_EQ(calls, Split(FileBytes(dir + "\\calls" + std::to_string(i)))) << "row " << i + 1;
        const std::regex log(rows[i][0] + "-[0-9-]+\\.log\r?\n");
        EXPECT_EQ(rows[i][4].empty(), std::regex_match(runs[2 * i + 1].out, log)) << "row " << i + 1;
    }
}

// The guide's /CRYPT output has the form the program prints, is the text
// every script of the guide uses, and opens the PC with the guide's password
// (whose SHA-256 the machine holds) where /ARC without it gives 2.
TEST(GuideExamples, PwcTextIsACryptOutputThatOpensThePc)
{
    const std::regex printed("The encrypted password is: ([0-9A-F]{50})"), pwc("(PWC=|\\$pwc = ')([0-9A-F]+)");
    std::smatch match;
    std::string crypted = "(no /CRYPT block)";
    for (const CRow& block : GuideBlocks())
        if (block.size() == 3 && block[1] == "Korlix /CRYPT=MySetupPassword")
            crypted = std::regex_match(block[2], match, printed) ? match[1].str() : block[2];
    for (std::sregex_iterator it(g_guide.begin(), g_guide.end(), pwc), end; it != end; ++it)
        EXPECT_EQ(crypted, (*it)[2].str());
    const std::string machine =
        Machine("SetupPasswordSha256=\"3ccc55df7e4ed4ebb7a4b2ca9226dc27017ba62575f68a9118d24a1798c9835c\"");
    const std::vector<CStepRun> runs = Prompt(
        {{"set DIDEREVE_MACHINE=" + machine + "\r\nKorlix /CRYPT=MySetupPassword & rem 0",
          "Korlix /ARC /WD=C:\\Archive /S /PWC=" + crypted + " & rem 0", "Korlix /ARC /WD=C:\\Archive /S & rem 2"}});
    EXPECT_TRUE(std::regex_match(runs[0].out, printed)) << runs[0].out;
}

// Every form of the modifier table (its placeholders filled as GuideRuns.md
// says, one command line per alternative value) passes /SYNTAX with a
// command that takes it; every line of the refused table gives 4, with
// /SYNTAX and without. None of them creates the engine: four prompts run
// them side by side.
TEST(GuideExamples, ModifierFormsAreAcceptedAndRefusedLinesRefused)
{
    std::vector<CRow> lines, values = GuideTable("Placeholder", g_runs);
    for (const CRow& row : GuideTable("Modifier"))
        for (std::string form : {row[0], row[1]})
        {
            for (const CRow& value : values)
                form = std::regex_replace(form, std::regex(value[0]), value[1]);
            const size_t nValue = form.find('=') + 1;  // 0 without a value
            const char* szCommand = form.rfind("/CINP", 0) && form.rfind("/BINP", 0) ? "/UPD " : "/MAKE ";
            for (const std::string& value : Split(form.substr(nValue), "\\|"))
                lines.push_back({"Korlix /SYNTAX " + (szCommand + form.substr(0, nValue)) + value + " & rem 0"});
        }
    for (const CRow& row : GuideTable("Refused command line"))
    {
        EXPECT_EQ(0u, row[0].rfind("Korlix ", 0)) << row[0];
        lines.push_back({row[0] + " & rem 4", "Korlix /SYNTAX " + row[0].substr(7) + " & rem 4"});
    }
    Prompt(lines, 4);
}

// Every code block runs in a test above, or GuideRuns.md says why not.
TEST(GuideExamples, EveryBlockRunsOrSaysWhyNot)
{
    const std::vector<CRow> notRun = GuideTable("Block that starts with", g_runs);
    for (const CRow& block : GuideBlocks())
    {
        const std::string first = block.size() > 1 ? block[1] : "";
        if (first == "@echo off" || first == "Korlix /CRYPT=MySetupPassword" || CodesStated(block))
            continue;
        auto why = std::find_if(notRun.begin(), notRun.end(), [&](const CRow& row) { return !first.rfind(row[0], 0); });
        ASSERT_NE(notRun.end(), why) << "a block that no test runs and GuideRuns.md does not name: " << first;
        printf("[ NOT RUN  ] %s\n             %s\n", first.c_str(), (*why)[1].c_str());
    }
}
}  // namespace
