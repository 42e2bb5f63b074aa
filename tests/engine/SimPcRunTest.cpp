// End-to-end runs of the installed program against simulated PCs: machine
// files and update files made by the tests, one run per condition, and the
// machine state before and after.
#include "MachineFile.h"

#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace
{
using CValues = std::map<std::string, std::string>;

// A step that boots the machine instead of running Korlix.
const char g_szBoot[] = "(boot)";

const char g_szEngineDll[] =
    "C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\6.22.12.0\\DiDEreve.dll";

// Values with some of them changed, as an XML file text of the engine's kind.
std::string ValuesText(const char* szRoot, CValueMap values, const CValues& overrides = {})
{
    for (const auto& entry : overrides)
        values[entry.first] = entry.second;
    return XmlTextBuild(szRoot, values);
}

// The factory machine with some values changed, as a machine file text.
std::string MachineText(const CValues& overrides)
{
    return ValuesText("Machine", MachineFactory(), overrides);
}

// An archive of the factory board with the setting NumLock off, the password
// "new" and another boot order.
const CValues g_archive = {
    {"Archive.Format", "1"},
    {"Archive.Created", "2027-01-05T10:00:00Z"},
    {"System.BiosId", "B7710"},
    {"System.BiosVersion", "1.20"},
    {"Settings.NumLock", "Off"},
    {"BootOrder.Devices", "USB,HDD,PXE"},
    {"Passwords.SetupSha256", "11507a0e2f5e69d5dfa40a62a1bd7b6ee57e6bcd85c67c9b8431b36fff21c437"}};

std::string ArchiveText(const CValues& overrides = {})
{
    return ValuesText("ConfigArchive", CValueMap(g_archive.begin(), g_archive.end()), overrides);
}

// An update file as a map, for combining it with an archive.
CValueMap UpdateValues(const std::string& biosId, const std::string& version)
{
    const std::string image = "IMAGE-" + biosId + "-" + version;
    return {{"Target.BiosId", biosId}, {"Target.Date", "01/02/2027"},
            {"Target.PostOnly", "0"},  {"Target.Version", version},
            {"Image", image},          {"Image.Sha256", Sha256Hex(image)}};
}

std::string UpdateText(const std::string& biosId, const std::string& version, const CValues& overrides = {})
{
    return ValuesText("BiosUpdate", UpdateValues(biosId, version), overrides);
}

const std::string g_newer = "/UPD /O=%DIR%\\new.bup";

const CValues g_damaged = {{"Image.Sha256", Sha256Hex("other")}};

// The update files and archives every case finds in its folder, written
// once and copied into each case's folder.
void FilesWrite(const CTempDir& dir)
{
    FileWrite(dir.File("new.bup"), UpdateText("B7710", "1.30"));
    FileWrite(dir.File("same.bup"), UpdateText("B7710", "1.20"));
    FileWrite(dir.File("old.bup"), UpdateText("B7710", "1.10"));
    FileWrite(dir.File("other.bup"), UpdateText("B8820", "2.00"));
    FileWrite(dir.File("damaged.bup"), UpdateText("B7710", "1.40", g_damaged));
    // What the requirements of an update file refuse and allow.
    FileWrite(dir.File("needs-korlix.bup"), UpdateText("B7710", "1.30", {{"Requires.KorlixVersion", "6.30"}}));
    FileWrite(dir.File("needs-bios.bup"), UpdateText("B7710", "1.30", {{"Requires.BiosVersion", "1.25"}}));
    FileWrite(dir.File("incompatible.bup"), UpdateText("B7710", "1.30", {{"Requires.UpdateFrom", "1.0*,1.1?"}}));
    FileWrite(dir.File("compatible.bup"), UpdateText("B7710", "1.30",
                                                     {{"Requires.UpdateFrom", "1.1?,1.2*"},
                                                      {"Requires.KorlixVersion", "6.22"},
                                                      {"Requires.BiosVersion", "1.20"}}));
    // The newest intact file of the board among B7710-*.bup: 1.40 of the
    // later date; 1.50 is damaged, 9.00 of another board.
    FileWrite(dir.File("B7710-1.40.bup"), UpdateText("B7710", "1.40"));
    FileWrite(dir.File("B7710-1.40-later.bup"), UpdateText("B7710", "1.40", {{"Target.Date", "02/01/2027"}}));
    FileWrite(dir.File("B7710-1.50.bup"), UpdateText("B7710", "1.50", g_damaged));
    FileWrite(dir.File("B7710-9.00.bup"), UpdateText("B8820", "9.00"));
    FileWrite(dir.File("notours.bup"), "<?xml version=\"1.0\"?>\n<Something/>\n");
    FileWrite(dir.File("broken.bup"), "<BiosUpdate><Target");
    FileWrite(dir.File("archive.nvux"), ArchiveText());
    FileWrite(dir.File("stranger.nvux"), ArchiveText({{"Settings.Turbo", "On"},
                                                      {"BootOrder.Devices", "NVME,HDD"},
                                                      {"Archive.Created", "2026-01-01T00:00:00Z"}}));
    FileWrite(dir.File("otherboard.nvux"), ArchiveText({{"System.BiosId", "B8820"}}));
    FileWrite(dir.File("notours.nvux"), "<?xml version=\"1.0\"?>\n<Something/>\n");
    FileWrite(dir.File("broken.nvux"), "<ConfigArchive><Settings");
    FileWrite(dir.File("huge.nvux"), ArchiveText({{"Settings.Filler", std::string(1100000, 'x')}}));
    CValueMap combined = UpdateValues("B7710", "1.30");
    combined.insert(g_archive.begin(), g_archive.end());
    FileWrite(dir.File("combined.bup"), ValuesText("BiosUpdate", combined));
    combined["System.BiosId"] = "B8820";
    FileWrite(dir.File("combined-otherboard.bup"), ValuesText("BiosUpdate", combined));
}

const CTempDir& Files()
{
    static const CTempDir s_dir;
    static const bool s_fWritten = (FilesWrite(s_dir), true);
    (void)s_fWritten;
    return s_dir;
}

// A folder with a machine file and the update files the cases name.
class CSimPc
{
public:
    explicit CSimPc(const CValues& overrides)
    {
        WIN32_FIND_DATAA found;
        CCUniqueFind search(FindFirstFileA(Files().File("*").c_str(), &found));
        for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                CopyFileA(Files().File(found.cFileName).c_str(), m_dir.File(found.cFileName).c_str(), TRUE);
        }
        CreateDirectoryA(m_dir.File("folder.nvux").c_str(), nullptr);
        FileWrite(Machine(), MachineText(overrides));
    }
    std::string Machine() const { return m_dir.File("Machine.xml"); }
    std::string Dir() const { return m_dir.Path(); }

    // Replaces %DIR% in the arguments by the folder.
    CKorlixRun Run(std::string arguments) const
    {
        if (arguments == g_szBoot)
        {
            Reboot();
            CKorlixRun booted;
            booted.dwExitCode = 0;
            return booted;
        }
        for (size_t nPos; (nPos = arguments.find("%DIR%")) != std::string::npos;)
            arguments.replace(nPos, 5, m_dir.Path());
        CKorlixStart start;
        start.arguments = arguments;
        start.environment["DIDEREVE_SCRIPT"] = "";
        start.environment["DIDEREVE_MACHINE"] = Machine();
        start.workingDirectory = m_dir.Path();
        return KorlixRun(start);
    }
    CValueMap State() const { return Read(Machine(), "Machine"); }
    CValueMap Read(const std::string& path, const char* szRoot) const
    {
        CCComApartment apartment(COINIT_MULTITHREADED);
        CValueMap values;
        std::string reason;
        EXPECT_TRUE(XmlFileRead(path, szRoot, values, reason)) << reason;
        return values;
    }
    void Reboot() const
    {
        CKorlixStart start;
        start.program = "C:\\windows\\system32\\rundll32.exe";
        start.programText = "rundll32";
        start.arguments = std::string("\"") + g_szEngineDll + "\",MachineReboot";
        start.environment["DIDEREVE_MACHINE"] = Machine();
        KorlixRun(start);
    }

private:
    CTempDir m_dir;
};

// A row of SimPcCases.txt: a machine, the steps run on it and what holds
// afterwards.
struct CStep
{
    std::string arguments;  // g_szBoot boots the machine
    DWORD dwExitCode = 0;
};

struct CSimPcCase
{
    std::string name;
    CValues machine;
    std::vector<CStep> steps;
    std::vector<std::string> checks;
};

void PrintTo(const CSimPcCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Trim(const std::string& text)
{
    const size_t nFirst = text.find_first_not_of(' ');
    return nFirst == std::string::npos ? std::string() : text.substr(nFirst, text.find_last_not_of(' ') - nFirst + 1);
}

std::vector<std::string> Split(const std::string& text, char chSeparator)
{
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, chSeparator);)
        if (!Trim(part).empty())
            parts.push_back(Trim(part));
    return parts;
}

// "Section.Name=value", where a value sha256(text) is the hash of text.
std::pair<std::string, std::string> ValueParse(const std::string& text)
{
    const size_t nEquals = text.find('=');
    std::string value = text.substr(nEquals + 1);
    if (value.compare(0, 7, "sha256(") == 0 && value.back() == ')')
        value = Sha256Hex(value.substr(7, value.size() - 8));
    return {text.substr(0, nEquals), value};
}

std::vector<CSimPcCase> CasesRead()
{
    std::vector<CSimPcCase> cases;
    std::istringstream lines(FileBytes(KORLIX_SIMPC_CASES));
    for (std::string line; std::getline(lines, line);)
    {
        std::vector<std::string> fields;
        std::istringstream stream(line + " ");
        for (std::string field; std::getline(stream, field, '|');)
            fields.push_back(Trim(field));
        if (line.empty() || line[0] == '#' || fields.size() != 4)
            continue;
        CSimPcCase c{fields[0], {}, {}, Split(fields[3], ';')};
        for (const std::string& value : Split(fields[1], ' '))
            c.machine.insert(ValueParse(value));
        for (const std::string& step : Split(fields[2], ';'))
        {
            const size_t nArrow = step.find("=>");
            c.steps.push_back(nArrow == std::string::npos
                                  ? CStep{g_szBoot}
                                  : CStep{Trim(step.substr(0, nArrow)), std::stoul(step.substr(nArrow + 2))});
        }
        cases.push_back(c);
    }
    return cases;
}

const std::vector<CSimPcCase> g_cases = CasesRead();

// One step; a run that fails leaves the machine file as it was, and the last
// line of its log is the exit code it returns. A step that names its working
// directory runs as written, so that a log there is the run's own.
CKorlixRun StepRun(const CSimPc& pc, const CStep& step)
{
    const std::string before = FileBytes(pc.Machine());
    const bool fOwnLog = step.arguments.find("/LF") != std::string::npos ||
                         step.arguments.find("/WD=") != std::string::npos || step.arguments == g_szBoot;
    CKorlixRun run = pc.Run(step.arguments + (fOwnLog ? "" : " /LF=%DIR%\\run.log"));
    EXPECT_EQ(step.dwExitCode, run.dwExitCode) << step.arguments << "\n" << run.out << run.err;
    if (step.dwExitCode != 0 && step.dwExitCode != 1 && step.dwExitCode != 400)
    {
        EXPECT_EQ(before, FileBytes(pc.Machine())) << step.arguments;
    }
    const std::string log = FileBytes(pc.Dir() + "\\run.log");
    const std::string last = "Exit code: " + std::to_string(run.dwExitCode) + "\r\n";
    if (!fOwnLog && step.dwExitCode != 4)
    {
        EXPECT_TRUE(log.size() > last.size() && log.compare(log.size() - last.size(), last.size(), last) == 0) << log;
    }
    return run;
}

using SimPcCaseTest = testing::TestWithParam<CSimPcCase>;

TEST_P(SimPcCaseTest, StepsThenConsoleLogAndMachine)
{
    const CSimPcCase& c = GetParam();
    CSimPc pc(c.machine);
    CKorlixRun run;
    for (const CStep& step : c.steps)
        run = StepRun(pc, step);
    const CValueMap state = pc.State();
    for (const std::string& check : c.checks)
    {
        const size_t nColon = check.find(": ");
        if (check.compare(0, 9, "console: ") == 0)
        {
            EXPECT_NE(std::string::npos, run.out.find(check.substr(9))) << run.out;
        }
        else if (check.compare(0, 4, "log ") == 0 && nColon != std::string::npos)
        {
            // Every line starts with the date and the time of the run; "(none)": no log was written, "!": no such line.
            const std::string log = FileBytes(pc.Dir() + "\\" + check.substr(4, nColon - 4)),
                              line = check.substr(nColon + 2);
            EXPECT_TRUE(line == "(none)" ? log.empty()
                        : line[0] == '!' ? log.find(" " + line.substr(1) + "\r\n") == std::string::npos
                                         : log.size() > 17 && log.find(" " + line + "\r\n") != std::string::npos &&
                                               log[10] == ' ' && log[17] == ' ')
                << log;
        }
        else
        {
            const auto value = ValueParse(check);
            EXPECT_EQ(value.second, state.count(value.first) ? state.at(value.first) : "") << value.first;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SimPcCaseTest, testing::ValuesIn(g_cases),
                         [](const testing::TestParamInfo<CSimPcCase>& info) { return info.param.name; });

// Every code of the exit-code table but the program's own 4 and 22 has a
// row: a state of the simulated PC produces it.
TEST(SimPcCodeTest, EveryDocumentedCodeHasARow)
{
    CKorlixStart start;
    start.arguments = "/E";
    std::istringstream lines(KorlixRun(start).out);
    std::set<DWORD> rows;
    for (const CSimPcCase& c : g_cases)
        for (const CStep& step : c.steps)
            rows.insert(step.dwExitCode);
    size_t nCodes = 0;
    for (std::string line; std::getline(lines, line);)
    {
        const size_t nTab = line.find('\t');
        const size_t nDigit = line.find_first_not_of(' ');
        if (nTab == std::string::npos || nDigit >= nTab || !isdigit(static_cast<unsigned char>(line[nDigit])))
            continue;
        const DWORD dwCode = strtoul(line.c_str(), nullptr, 10);
        ++nCodes;
        EXPECT_TRUE(dwCode == 4 || dwCode == 22 || rows.count(dwCode)) << dwCode;
    }
    EXPECT_LT(40u, nCodes);
    EXPECT_LT(150u, g_cases.size());
}

// The package installs the factory machine; a reset writes the same bytes.
TEST(SimPcStateTest, ResetWritesTheInstalledFactoryMachine)
{
    CSimPc pc(CValues{{"Bios.Version", "9.99"}});
    CKorlixStart start;
    start.program = "C:\\windows\\system32\\rundll32.exe";
    start.programText = "rundll32";
    start.arguments = std::string("\"") + g_szEngineDll + "\",MachineReset";
    start.environment["DIDEREVE_MACHINE"] = pc.Machine();
    KorlixRun(start);
    EXPECT_EQ(FileBytes(KORLIX_FACTORY_MACHINE), FileBytes(pc.Machine()));
    EXPECT_EQ(MachineFactory(), pc.State());
}

struct CMalformedCase
{
    const char* szName;
    std::string bytes;
    bool fMissing = false;  // no machine file at all
};

using SimPcMalformedTest = testing::TestWithParam<CMalformedCase>;

TEST_P(SimPcMalformedTest, ExecuteFailsAndNothingIsWritten)
{
    CSimPc pc(CValues{});
    if (GetParam().fMissing)
        DeleteFileA(pc.Machine().c_str());
    else
        FileWrite(pc.Machine(), GetParam().bytes);
    CTempFile record(".rec");
    CKorlixStart start;
    start.arguments = "/UPD /O=" + pc.Dir() + "\\new.bup";
    start.environment["DIDEREVE_SCRIPT"] = "";
    start.environment["DIDEREVE_MACHINE"] = pc.Machine();
    start.environment["DIDEREVE_RECORD"] = record.Path();
    CKorlixRun run = KorlixRun(start);
    EXPECT_EQ(2u, run.dwExitCode);
    EXPECT_EQ(GetParam().bytes, FileBytes(pc.Machine()));
    EXPECT_EQ(GetParam().fMissing, GetFileAttributesA(pc.Machine().c_str()) == INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(std::string::npos, record.Read().find("error\t")) << record.Read();
}

INSTANTIATE_TEST_SUITE_P(
    Files, SimPcMalformedTest,
    testing::Values(CMalformedCase{"Truncated", "<Machine><Bios Version=\"1.20\""},
                    CMalformedCase{"NotAMachine", "<?xml version=\"1.0\"?>\n<Other/>\n"}, CMalformedCase{"Empty", ""},
                    CMalformedCase{"Huge", MachineText({{"System.Filler", std::string(1100000, 'x')}})},
                    CMalformedCase{"Missing", "", true}),
    [](const testing::TestParamInfo<CMalformedCase>& info) { return std::string(info.param.szName); });

TEST(SimPcStateTest, ArchiveHoldsTheMachineConfiguration)
{
    CSimPc pc(CValues{{"Settings.WakeOnLan", "Enabled"}, {"BootOrder.Devices", "PXE,HDD"}, {"Bios.Version", "1.25"}});
    ASSERT_EQ(0u, pc.Run("/ARC /O=%DIR%\\saved.nvux").dwExitCode);
    CValueMap archive = pc.Read(pc.Dir() + "\\saved.nvux", "ConfigArchive");
    EXPECT_EQ("B7710", archive["System.BiosId"]);
    EXPECT_EQ("1.25", archive["System.BiosVersion"]);
    EXPECT_EQ("Enabled", archive["Settings.WakeOnLan"]);
    EXPECT_EQ("Enabled", archive["Settings.SecureBoot"]);
    EXPECT_EQ("PXE,HDD", archive["BootOrder.Devices"]);
    EXPECT_EQ("", archive["Passwords.SetupSha256"]);
    EXPECT_EQ(20u, archive["Archive.Created"].size()) << archive["Archive.Created"];
}

struct CKillCase
{
    const char* szPoint;    // where the engine holds when the run is killed
    const char* szVersion;  // the machine's BIOS afterwards
    DWORD dwNextExitCode;   // of the same update run once more
};

void PrintTo(const CKillCase& c, std::ostream* os)
{
    *os << c.szPoint;
}

using SimPcKillTest = testing::TestWithParam<CKillCase>;

// The update is killed while the engine holds at a point of the job; the
// machine file is then the old one or the new one, whole, and loads.
TEST_P(SimPcKillTest, KilledUpdateLeavesTheOldOrTheNewMachine)
{
    const CKillCase& c = GetParam();
    CSimPc pc(CValues{});
    const CValueMap before = pc.State();
    const std::string marker = pc.Dir() + "\\held";
    std::string path = "\"" + std::string(g_szInstalledKorlix) + "\" /UPD /O=" + pc.Dir() + "\\new.bup";
    SetEnvironmentVariableA("DIDEREVE_MACHINE", pc.Machine().c_str());
    SetEnvironmentVariableA("DIDEREVE_HOLD", (std::string(c.szPoint) + ":" + marker).c_str());
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const BOOL fStarted = CreateProcessA(g_szInstalledKorlix, &path[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                         nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("DIDEREVE_MACHINE", "-");
    SetEnvironmentVariableA("DIDEREVE_HOLD", nullptr);
    ASSERT_TRUE(fStarted);
    CCUniqueHandle process(pi.hProcess);
    CCUniqueHandle thread(pi.hThread);
    for (int i = 0; i < 300 && GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str())) << "the engine never held";
    TerminateProcess(process.get(), 9);
    WaitForSingleObject(process.get(), 10000);
    CValueMap after = pc.State();
    EXPECT_EQ(c.szVersion, after["Bios.Version"]);
    // Killed while writing, the new bytes are left beside the machine file.
    if (std::string(c.szPoint) == "write")
    {
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((pc.Machine() + ".tmp").c_str()));
    }
    CValueMap expected = before;
    if (after["Bios.Version"] != before.at("Bios.Version"))
    {
        expected["Bios.Version"] = "1.30";
        expected["Bios.Date"] = "01/02/2027";
    }
    EXPECT_EQ(expected, after);
    EXPECT_EQ(c.dwNextExitCode, pc.Run(g_newer).dwExitCode);
}

INSTANTIATE_TEST_SUITE_P(Points, SimPcKillTest,
                         testing::Values(CKillCase{"write", "1.20", 0}, CKillCase{"flash", "1.30", 1047}),
                         [](const testing::TestParamInfo<CKillCase>& info) { return std::string(info.param.szPoint); });
}  // namespace
