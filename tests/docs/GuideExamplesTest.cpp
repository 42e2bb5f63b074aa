// The administrator's guide run as written against simulated PCs: the
// command table's examples, the command-prompt rehearsal, the batch script
// under cmd.exe in every machine state it branches on, the /CRYPT text the
// scripts use, and the modifier and refusal tables against what the program
// accepts. Each example carries its exit code beside it ("0: 1.30 flashed",
// "& rem 400: prepared for POST"); a code block that no test runs is listed
// with its reason.
#include "docs/GuideText.h"
#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
using CEdits = std::vector<std::pair<std::string, std::string>>;

const char g_szEngineDll[] =
    "C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\6.22.12.0\\DiDEreve.dll";
const char g_szKorlixDir[] = "C:\\Program Files\\Tervane\\Ambrel\\Korlix";
// SHA-256 of the guide's setup password MySetupPassword, and of another one.
const char g_szPasswordSha256[] = "3ccc55df7e4ed4ebb7a4b2ca9226dc27017ba62575f68a9118d24a1798c9835c";
const char g_szOtherSha256[] = "f419be166df9d34819ed3ee330e39b781ccca137c55ede23ec0e780039eb59a5";

// Blocks that no test runs, by their first line, and why.
const std::map<std::string, const char*> g_notRun = {
    {"rem Install, or upgrade whatever version of Korlix is installed",
     "installs and removes the package: package_tests does that in a prefix of its own"},
    {"# bios-update.ps1: update the BIOS and branch on the exit code.", "Wine has no PowerShell"},
    {"set KEY=HKLM\\Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22",
     "no Korlix command: trace settings, which trace_tests cover"},
    {"reg add \"HKLM\\SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe\" /v CommandLineExt /t REG_SZ /d \"/S "
     "/LF=C:\\Logs\\#name#-#date#.log\" /f",
     "no Korlix command: it would extend every run of the prefix the tests share"},
};

std::string Unquoted(const std::string& cell)
{
    return cell.size() >= 2 && cell.front() == '`' && cell.back() == '`' ? cell.substr(1, cell.size() - 2) : cell;
}

// "400: prepared for POST" as 400 and its text; false without a code.
bool OutcomeParse(const std::string& text, DWORD& dwCode, std::string& what)
{
    std::smatch match;
    if (!std::regex_search(text, match, std::regex("^(\\d+)(:\\s*(.*))?$")))
        return false;
    dwCode = std::stoul(match[1]);
    what = match[3];
    return true;
}

// The names of the files that match a pattern of file names.
std::vector<std::string> Found(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    CCUniqueFind search(FindFirstFileA(pattern.c_str(), &found));
    for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
        names.push_back(found.cFileName);
    return names;
}

void FilesCopy(const std::string& from, const std::string& pattern, const std::string& to)
{
    for (const std::string& name : Found(from + "\\" + pattern))
        CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
}

// The state the guide's examples are about: the factory machine in a folder
// of its own, the package's update files in C:\BIOS, an archive of the PC in
// C:\Archive\PC-0001.nvux and the folder C:\Logs; a folder of stand-ins
// (shutdown, schtasks, Korlix) first on PATH.
class CRehearsalPc
{
public:
    explicit CRehearsalPc(const CEdits& edits = {})
    {
        std::string data = KORLIX_MACHINE_DATA;
        std::replace(data.begin(), data.end(), '/', '\\');
        FoldersRemove();
        for (const std::string& folder : {std::string("C:\\BIOS"), std::string("C:\\Archive"), std::string("C:\\Logs"),
                                          m_dir.File("bin"), m_dir.File("package")})
            CreateDirectoryA(folder.c_str(), nullptr);
        FilesCopy(data, "*.bup", "C:\\BIOS");
        CopyFileA((data + "\\Machine.xml").c_str(), Machine().c_str(), FALSE);
        for (const char* szStub : {"shutdown.exe", "schtasks.exe", "Korlix.exe"})
            CopyFileA(KORLIX_DOC_STUB, m_dir.File("bin\\" + std::string(szStub)).c_str(), FALSE);
        EXPECT_EQ(0u, Cmd("Korlix /ARC /WD=C:\\Archive /O=PC-0001.nvux /S").dwExitCode) << "the archive of the PC";
        for (const auto& edit : edits)
            Edit(Machine(), edit.first, edit.second);
        FileWrite(Calls(), "");
    }
    ~CRehearsalPc() { FoldersRemove(); }
    CRehearsalPc(const CRehearsalPc&) = delete;
    CRehearsalPc& operator=(const CRehearsalPc&) = delete;

    static void FoldersRemove()
    {
        for (const char* szFolder : {"C:\\BIOS", "C:\\Archive", "C:\\Logs", "C:\\Rehearsal"})
            TreeRemove(szFolder);
    }
    std::string Machine() const { return m_dir.File("Machine.xml"); }
    std::string Package() const { return m_dir.File("package"); }
    std::string Calls() const { return m_dir.File("calls.txt"); }

    static void Edit(const std::string& path, const std::string& name, const std::string& value)
    {
        std::string text = FileBytes(path);
        std::regex attribute("( " + name + "=\")[^\"]*\"");
        EXPECT_TRUE(std::regex_search(text, attribute)) << name << " in " << path;
        FileWrite(path, std::regex_replace(text, attribute, "$01" + value + "\""));
    }
    std::string Attribute(const std::string& name) const
    {
        std::smatch match;
        std::string text = FileBytes(Machine());
        return std::regex_search(text, match, std::regex(" " + name + "=\"([^\"]*)\"")) ? match[1].str() : "";
    }

    // A command line as typed at a prompt in an empty folder.
    CKorlixRun Cmd(const std::string& line) const
    {
        CKorlixStart start;
        start.program = "C:\\windows\\system32\\cmd.exe";
        start.programText = "cmd.exe";
        start.arguments = "/c " + line;
        start.environment = {{"DIDEREVE_MACHINE", Machine()},
                             {"DIDEREVE_SCRIPT", ""},
                             {"DIDEREVE_RECORD", ""},
                             {"DOCS_CALLS", Calls()},
                             {"PATH", m_dir.File("bin") + ";" + g_szKorlixDir + ";" + getenv("PATH")}};
        start.workingDirectory = m_dir.File("package");
        return KorlixRun(start);
    }
    void Reboot() const { Cmd(std::string("rundll32 \"") + g_szEngineDll + "\",MachineReboot"); }

    // The stand-ins' calls since the last look, as "name<TAB>code<TAB>arguments":
    // those of Korlix, or those of the others.
    std::vector<std::string> CallsTaken(bool fKorlix) const
    {
        std::vector<std::string> calls;
        for (const std::string& call : Lines(FileBytes(Calls())))
            if ((call.rfind("korlix\t", 0) == 0) == fKorlix)
                calls.push_back(call);
        FileWrite(Calls(), "");
        return calls;
    }

private:
    CTempDir m_dir;
};

// What the text beside an example promises: "1.30 flashed" is the BIOS
// version afterwards, "`C:\Archive\x.nvux` written" a file that exists.
void EffectsCheck(const CRehearsalPc& pc, const std::string& what, const std::string& example)
{
    std::smatch match;
    if (std::regex_search(what, match, std::regex("(\\d+\\.\\d+) flashed")))
    {
        EXPECT_EQ(match[1].str(), pc.Attribute("Version")) << example;
    }
    std::regex written("`([^`]+)` written");
    for (auto it = std::sregex_iterator(what.begin(), what.end(), written); it != std::sregex_iterator(); ++it)
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((*it)[1].str().c_str())) << example;
}

TEST(GuideExamples, CommandTableGivesTheStatedCodes)
{
    std::vector<CRow> rows = GuideTable({"Command"});
    ASSERT_EQ(14u, rows.size());
    for (const CRow& row : rows)
    {
        ASSERT_EQ(4u, row.size());
        const std::string example = Unquoted(row[2]);
        DWORD dwCode = 0;
        std::string what;
        ASSERT_TRUE(OutcomeParse(row[3], dwCode, what)) << "no exit code beside " << example;
        CRehearsalPc pc;
        CKorlixRun run = pc.Cmd(example);
        EXPECT_EQ(dwCode, run.dwExitCode) << example << "\n" << run.out << run.err;
        EffectsCheck(pc, what, example);
    }
}

// Each row: a change of the machine, a command, its code, and the code of
// the same command after a boot.
TEST(GuideExamples, StateTableGivesTheStatedCodesBeforeAndAfterABoot)
{
    std::vector<CRow> rows = GuideTable({"Change in `Machine.xml`"});
    ASSERT_EQ(20u, rows.size());
    const std::regex attribute("(\\w+)=\"([^\"]*)\"");
    for (const CRow& row : rows)
    {
        ASSERT_EQ(4u, row.size());
        CEdits edits;
        for (auto it = std::sregex_iterator(row[0].begin(), row[0].end(), attribute); it != std::sregex_iterator();
             ++it)
            edits.emplace_back((*it)[1], (*it)[2]);
        CRehearsalPc pc(edits);
        const std::string command = Unquoted(row[1]);
        EXPECT_EQ(std::stoul(row[2]), pc.Cmd(command).dwExitCode) << row[0] << " " << command;
        pc.Reboot();
        EXPECT_EQ(std::stoul(row[3]), pc.Cmd(command).dwExitCode) << row[0] << " " << command << ", after a boot";
    }
}

// The code of each "Korlix ... & rem 400: ..." line of a block, in order.
std::vector<DWORD> StatedCodes(const CBlock& block)
{
    std::vector<DWORD> codes;
    for (const std::string& line : block.lines)
    {
        size_t nRem = line.find("& rem ");
        DWORD dwCode = 0;
        std::string what;
        if (line.rfind("Korlix ", 0) == 0 && nRem != std::string::npos &&
            OutcomeParse(line.substr(nRem + 6), dwCode, what))
            codes.push_back(dwCode);
    }
    return codes;
}

// A block typed at one prompt: "rem Edit <file>: Name="value" ..." lines are
// the administrator's edits, made between the parts; "set" lines carry over.
TEST(GuideExamples, PromptBlocksGiveTheStatedCodes)
{
    const std::regex edit("^rem Edit (\\S+): (\\w+)=\"([^\"]*)\".*");
    int nBlocks = 0;
    for (const CBlock& block : GuideBlocks())
    {
        std::vector<DWORD> stated = StatedCodes(block);
        if (block.language != "bat" || stated.empty())
            continue;
        ++nBlocks;
        CRehearsalPc pc;
        std::string part, sets;
        auto partRun = [&] {
            FileWrite(pc.Package() + "\\part.cmd", "@echo off\r\n" + sets + part);
            pc.Cmd(pc.Package() + "\\part.cmd");
            part.clear();
        };
        for (const std::string& line : block.lines)
        {
            std::smatch match;
            if (std::regex_match(line, match, edit))
            {
                partRun();
                CRehearsalPc::Edit(match[1], match[2], match[3]);
                continue;
            }
            part += line + "\r\n";
            if (line.rfind("set ", 0) == 0)
                sets += line + "\r\n";
        }
        partRun();
        std::vector<DWORD> got;
        for (const std::string& call : pc.CallsTaken(true))
            got.push_back(std::stoul(call.substr(7)));
        EXPECT_EQ(stated, got) << block.lines[0];
    }
    EXPECT_EQ(1, nBlocks) << "the POST rehearsal";
}

struct CScriptStep
{
    const char* szArguments;
    bool fRebootFirst;
    DWORD dwExitCode;
    const char* szLastLine;
    std::vector<std::string> calls;  // shutdown and schtasks, %SCRIPT% the script's path
};

struct CScriptCase
{
    const char* szName;
    CEdits machine;
    const char* szUpdateFiles;
    std::vector<CScriptStep> steps;
};

void PrintTo(const CScriptCase& c, std::ostream* os)
{
    *os << c.szName;
}

const std::string g_taskCreate =
    "schtasks\t0\t/create /tn KorlixAst /sc onstart /ru SYSTEM /rl highest /tr \"\\\"%SCRIPT%\\\" /after-boot\" /f";
const std::string g_taskDelete = "schtasks\t0\t/delete /tn KorlixAst /f";
const std::string g_restart = "shutdown\t0\t/r /t 60 /c \"BIOS update\"";
const char g_szStaged[] = "BIOS update staged, the PC restarts in a minute.";

const CScriptCase g_scriptCases[] = {
    {"Update",
     {},
     "*.bup",
     {{"", false, 0, "BIOS update done (0).", {}}, {"", false, 0, "BIOS update done (1047).", {}}}},
    {"PostSucceeds",
     {{"PostUpdate", "1"}},
     "*.bup",
     {{"", false, 0, g_szStaged, {g_taskCreate, g_restart}},
      {"/after-boot", false, 0, g_szStaged, {g_taskDelete, g_taskCreate, g_restart}},
      {"/after-boot", true, 0, "BIOS update done (0).", {g_taskDelete}}}},
    {"PostFails",
     {{"PostUpdate", "1"}, {"Outcome", "failed"}},
     "*.bup",
     {{"", false, 0, g_szStaged, {g_taskCreate, g_restart}},
      {"/after-boot", true, 401, "The POST update failed: 401", {g_taskDelete}}}},
    {"PendingReboot",
     {{"KorlixAwaitsReboot", "1"}},
     "*.bup",
     {{"", false, 301, "Reboot the PC and run the update again.", {}}}},
    {"ShutdownPending",
     {{"ShutdownPending", "1"}},
     "*.bup",
     {{"", false, 307, "Reboot the PC and run the update again.", {}}, {"", true, 0, "BIOS update done (0).", {}}}},
    {"OnBattery",
     {{"Type", "notebook"}, {"Ac", "disconnected"}, {"Battery", "80"}},
     "*.bup",
     {{"", false, 1031, "Connect AC power or charge the battery, then run again.", {}}}},
    {"BitLocker",
     {{"BitLocker", "1"}},
     "*.bup",
     {{"", false, 1024, "Suspend BitLocker for one restart, then run again.", {}}}},
    {"Password", {{"SetupPasswordSha256", g_szPasswordSha256}}, "*.bup", {{"", false, 0, "BIOS update done (0).", {}}}},
    {"OtherPassword",
     {{"SetupPasswordSha256", g_szOtherSha256}},
     "*.bup",
     {{"", false, 2, "Korlix failed with 2 (general error bit: 2)", {}}}},
    {"NoFileOfTheBoard", {}, "B8820-2.00.bup", {{"", false, 8, "Provide the right update file, then run again.", {}}}},
};

// The guide's batch script: its first bat block that starts with "@echo off".
std::string ScriptText()
{
    std::string text;
    for (const CBlock& block : GuideBlocks())
        if (text.empty() && block.language == "bat" && !block.lines.empty() && block.lines[0] == "@echo off")
            for (const std::string& line : block.lines)
                text += line + "\r\n";
    return text;
}

using GuideScriptTest = testing::TestWithParam<CScriptCase>;

TEST_P(GuideScriptTest, BranchAndExitCode)
{
    const CScriptCase& c = GetParam();
    CRehearsalPc pc(c.machine);
    const std::string script = pc.Package() + "\\bios-update.cmd";
    FileWrite(script, ScriptText());
    FilesCopy("C:\\BIOS", c.szUpdateFiles, pc.Package());
    for (const CScriptStep& step : c.steps)
    {
        if (step.fRebootFirst)
            pc.Reboot();
        CKorlixRun run = pc.Cmd(script + " " + step.szArguments);
        EXPECT_EQ(step.dwExitCode, run.dwExitCode) << run.out << run.err;
        std::vector<std::string> out = Lines(run.out);
        EXPECT_EQ(step.szLastLine, out.empty() ? std::string() : out.back()) << run.out << run.err;
        std::vector<std::string> expected;
        for (const std::string& call : step.calls)
            expected.push_back(std::regex_replace(call, std::regex("%SCRIPT%"), script));
        EXPECT_EQ(expected, pc.CallsTaken(false));
        if (!*step.szArguments)
        {
            EXPECT_FALSE(Found("C:\\Logs\\PC-0001-*.log").empty()) << "the update's log";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(States, GuideScriptTest, testing::ValuesIn(g_scriptCases),
                         [](const testing::TestParamInfo<CScriptCase>& info) { return info.param.szName; });

TEST(GuideExamples, PwcTextIsACryptOutputThatOpensThePc)
{
    std::string crypted;
    for (const CBlock& block : GuideBlocks())
        if (block.lines.size() == 2 && block.lines[0] == "Korlix /CRYPT=MySetupPassword")
            crypted = block.lines[1].substr(block.lines[1].rfind(' ') + 1);
    CRehearsalPc pc(CEdits{{"SetupPasswordSha256", g_szPasswordSha256}});
    CKorlixRun run = pc.Cmd("Korlix /CRYPT=MySetupPassword");
    EXPECT_TRUE(std::regex_match(run.out, std::regex("The encrypted password is: [0-9A-F]{50}"))) << run.out;
    EXPECT_TRUE(std::regex_match(crypted, std::regex("[0-9A-F]{50}"))) << crypted;
    const std::string guide = GuideText();
    std::regex pwc("(PWC=|\\$pwc = ')([0-9A-F]+)");
    for (auto it = std::sregex_iterator(guide.begin(), guide.end(), pwc); it != std::sregex_iterator(); ++it)
        EXPECT_EQ(crypted, (*it)[2].str());
    EXPECT_EQ(0u, pc.Cmd("Korlix /ARC /WD=C:\\Archive /S /PWC=" + crypted).dwExitCode);
    EXPECT_EQ(2u, pc.Cmd("Korlix /ARC /WD=C:\\Archive /S").dwExitCode) << "/ARC without the password";
}

// A modifier's form with its placeholders filled, one command line per
// alternative value.
std::vector<std::string> FormsFilled(const std::string& form)
{
    static const std::pair<const char*, const char*> s_values[] = {
        {"<file or pattern>", "B7710*.bup"}, {"<dir>", "C:\\BIOS"},
        {"<password>", "MySetupPassword"},   {"<crypted_pwd>", "0123"},
        {"<log>", "C:\\Logs\\x.log"},        {"<percent>", "50"},
        {"<archive>", "PC-0001.nvux"},       {"<update.bup>", "B7710-1.30.bup"}};
    std::string filled = form;
    for (const auto& value : s_values)
        filled = std::regex_replace(filled, std::regex(value.first), value.second);
    size_t nEq = filled.find('=');
    if (filled.find('|') == std::string::npos)
        return {filled};
    std::vector<std::string> forms;
    std::istringstream values(filled.substr(nEq + 1));
    for (std::string value; std::getline(values, value, '|');)
        forms.push_back(filled.substr(0, nEq + 1) + value);
    return forms;
}

// The exit code of the installed program with these arguments.
DWORD ExitCode(const std::string& arguments)
{
    CKorlixStart start;
    start.arguments = arguments;
    return KorlixRun(start).dwExitCode;
}

TEST(GuideExamples, ModifierTableFormsAreAccepted)
{
    std::vector<CRow> rows = GuideTable({"Modifier"});
    ASSERT_EQ(19u, rows.size());
    for (const CRow& row : rows)
    {
        ASSERT_EQ(3u, row.size());
        std::vector<std::string> forms = {Unquoted(row[0])};
        std::istringstream aliases(row[1]);
        for (std::string alias; std::getline(aliases, alias, ',');)
            forms.push_back(Unquoted(Trimmed(alias)));
        for (const std::string& form : forms)
        {
            const char* szCommand = form.rfind("/CINP", 0) == 0 || form.rfind("/BINP", 0) == 0 ? "/MAKE " : "/UPD ";
            for (const std::string& filled : FormsFilled(form))
                EXPECT_EQ(0u, ExitCode("/SYNTAX " + (szCommand + filled))) << szCommand << filled;
        }
    }
}

TEST(GuideExamples, RefusedTableIsRefused)
{
    std::vector<CRow> rows = GuideTable({"Refused command line"});
    ASSERT_EQ(8u, rows.size());
    for (const CRow& row : rows)
    {
        const std::string line = Unquoted(row[0]);
        ASSERT_EQ(0u, line.rfind("Korlix ", 0)) << line;
        EXPECT_EQ(4u, ExitCode("/SYNTAX " + line.substr(7))) << line;
        EXPECT_EQ(4u, ExitCode(line.substr(7))) << line;
    }
}

// Every code block either runs in a test above or is listed with its reason.
TEST(GuideExamples, EveryBlockRunsOrSaysWhyNot)
{
    for (const CBlock& block : GuideBlocks())
    {
        const std::string first = block.lines.empty() ? std::string() : block.lines[0];
        bool fRuns = first == "@echo off" || first == "Korlix /CRYPT=MySetupPassword" || !StatedCodes(block).empty();
        if (fRuns)
            continue;
        auto notRun = g_notRun.find(first);
        if (notRun != g_notRun.end())
            printf("[ NOT RUN  ] %s\n             %s\n", first.c_str(), notRun->second);
        else
            ADD_FAILURE() << "a block that no test runs and no reason lists: " << first;
    }
}
}  // namespace
