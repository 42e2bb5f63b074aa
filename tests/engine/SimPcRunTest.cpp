// End-to-end runs of the installed program against simulated PCs: machine
// files and update files made by the tests, one run per condition, and the
// machine state before and after.
#include "MachineFile.h"

#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace
{
using CValues = std::map<std::string, std::string>;

const char g_szEngineDll[] =
    "C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\6.22.12.0\\DiDEreve.dll";

// The factory machine with some values changed, as a machine file text.
std::string MachineText(const CValues& overrides)
{
    CValueMap machine = MachineFactory();
    for (const auto& entry : overrides)
        machine[entry.first] = entry.second;
    std::map<std::string, std::string> elements;
    for (const auto& entry : machine)
    {
        size_t nDot = entry.first.find('.');
        elements[entry.first.substr(0, nDot)] += " " + entry.first.substr(nDot + 1) + "=\"" + entry.second + "\"";
    }
    std::string xml = "<?xml version=\"1.0\"?>\n<Machine>\n";
    for (const auto& element : elements)
        xml += "  <" + element.first + element.second + "/>\n";
    return xml + "</Machine>\n";
}

std::string UpdateText(const std::string& biosId, const std::string& version, bool fDamaged = false)
{
    const std::string image = "IMAGE-" + biosId + "-" + version;
    const std::string hash = fDamaged ? Sha256Hex("other") : Sha256Hex(image);
    return "<?xml version=\"1.0\"?>\n<BiosUpdate>\n  <Target BiosId=\"" + biosId + "\" Date=\"01/02/2027\" "
           "PostOnly=\"0\" Version=\"" + version + "\"/>\n  <Image Sha256=\"" + hash + "\">" + image +
           "</Image>\n</BiosUpdate>\n";
}

// A folder with a machine file and the update files the cases name.
class CSimPc
{
public:
    explicit CSimPc(const CValues& overrides)
    {
        FileWrite(Machine(), MachineText(overrides));
        FileWrite(m_dir.File("new.bup"), UpdateText("B7710", "1.30"));
        FileWrite(m_dir.File("same.bup"), UpdateText("B7710", "1.20"));
        FileWrite(m_dir.File("old.bup"), UpdateText("B7710", "1.10"));
        FileWrite(m_dir.File("other.bup"), UpdateText("B8820", "2.00"));
        FileWrite(m_dir.File("damaged.bup"), UpdateText("B7710", "1.40", true));
        FileWrite(m_dir.File("notours.bup"), "<?xml version=\"1.0\"?>\n<Something/>\n");
        FileWrite(m_dir.File("broken.bup"), "<BiosUpdate><Target");
    }
    std::string Machine() const { return m_dir.File("Machine.xml"); }
    std::string Dir() const { return m_dir.Path(); }

    // Replaces %DIR% in the arguments by the folder.
    CKorlixRun Run(std::string arguments) const
    {
        for (size_t nPos; (nPos = arguments.find("%DIR%")) != std::string::npos;)
            arguments.replace(nPos, 5, m_dir.Path());
        CKorlixStart start;
        start.arguments = arguments;
        start.environment["DIDEREVE_SCRIPT"] = "";
        start.environment["DIDEREVE_MACHINE"] = Machine();
        start.workingDirectory = m_dir.Path();
        return KorlixRun(start);
    }
    CValueMap State() const
    {
        CCComApartment apartment(COINIT_MULTITHREADED);
        CValueMap machine;
        std::string reason;
        EXPECT_TRUE(XmlFileRead(Machine(), "Machine", machine, reason)) << reason;
        return machine;
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

struct CConditionCase
{
    const char* szName;
    CValues machine;
    std::string arguments;
    DWORD dwExitCode;
    std::string out;  // a text the console shows
};

void PrintTo(const CConditionCase& c, std::ostream* os)
{
    *os << c.szName;
}

const CValues g_notebook = {{"Power.Type", "notebook"}};

CValues Notebook(const std::string& ac, const std::string& battery, const char* szIac = "1")
{
    return {{"Power.Type", "notebook"}, {"Power.Ac", ac}, {"Power.Battery", battery},
            {"Power.IgnoreAcSupported", szIac}};
}

const std::string g_newer = "/UPD /O=%DIR%\\new.bup";

using SimPcConditionTest = testing::TestWithParam<CConditionCase>;

TEST_P(SimPcConditionTest, ExitCodeAndConsole)
{
    const CConditionCase& c = GetParam();
    CSimPc pc(c.machine);
    CKorlixRun run = pc.Run(c.arguments);
    EXPECT_EQ(c.dwExitCode, run.dwExitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find(c.out)) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, SimPcConditionTest,
    testing::Values(
        CConditionCase{"Update", {}, g_newer, 0, "Flashed vers.....1.30"},
        CConditionCase{"SameVersion", {}, "/UPD /O=%DIR%\\same.bup", 1047,
                       "Overwriting the same version is not possiblie with this BIOS"},
        CConditionCase{"SameVersionOverwrite", {{"Bios.SameVersionOverwrite", "1"}},
                       "/UPD /O=%DIR%\\same.bup /OV", 0, "Flashed vers.....1.20"},
        CConditionCase{"Downgrade", {{"Bios.DowngradeProhibited", "1"}}, "/UPD /O=%DIR%\\old.bup", 1035,
                       "Downgrading to this BIOS version is prohibited."},
        CConditionCase{"Rollback", {{"Bios.RollbackForbidden", "1"}}, "/UPD /O=%DIR%\\old.bup", 1049, ""},
        CConditionCase{"Missing", {}, "/UPD /O=%DIR%\\missing.bup", 8, "invalid or missing file(s)"},
        CConditionCase{"Damaged", {}, "/UPD /O=%DIR%\\damaged.bup", 8, "Can't load BIOS file"},
        CConditionCase{"NotOurs", {}, "/UPD /O=%DIR%\\notours.bup", 8, "Can't load BIOS file"},
        CConditionCase{"Malformed", {}, "/UPD /O=%DIR%\\broken.bup", 8, "Can't load BIOS file"},
        CConditionCase{"OtherBoard", {}, "/UPD /O=%DIR%\\other.bup", 1040, ""},
        CConditionCase{"Post", {{"Bios.PostUpdate", "1"}}, g_newer, 400, "BIOS update prepared for POST flash"},
        CConditionCase{"BitLocker", {{"Security.BitLocker", "1"}}, g_newer, 1024,
                       "No update action possible with Bitlocker protected drives"},
        CConditionCase{"Txt", {{"Security.Txt", "1"}}, g_newer, 1038,
                       "No update action possible with TXT processor extension enabled"},
        CConditionCase{"SetupReboot", {{"Security.SetupAwaitsReboot", "1"}}, g_newer, 301,
                       "Ambrel setup awaits reboot"},
        CConditionCase{"KorlixReboot", {{"Security.KorlixAwaitsReboot", "1"}}, g_newer, 301,
                       "Korlix awaits reboot"},
        CConditionCase{"Os", {{"Security.UnsupportedOs", "1"}}, g_newer, 305, "Unsupported Operating System"},
        CConditionCase{"BlockedPrevious", {{"Bios.AccessBlocked", "previous"}}, g_newer, 1043,
                       "BIOS access was blocked after previous operation"},
        CConditionCase{"BlockedReboot", {{"Bios.AccessBlocked", "untilreboot"}}, g_newer, 1044,
                       "BIOS access is blocked until next reboot"},
        CConditionCase{"BlockedCheck", {{"Bios.AccessBlocked", "checkfailed"}}, g_newer, 1045,
                       "Checking BIOS access state failed"},
        CConditionCase{"WriteProtected", {{"Bios.WriteProtected", "1"}}, g_newer, 2,
                       "Flash device is write protected"},
        CConditionCase{"HyperV", {{"Security.HyperV", "1"}}, g_newer, 1, "Microsoft-Hyper-V-Hypervisor is active"},
        CConditionCase{"Shutdown", {{"Power.ShutdownPending", "1"}}, g_newer, 307, ""},
        CConditionCase{"BatteryLowW", Notebook("connected", "20"), g_newer + " /W", 1025,
                       "The remaining battery capacity is too low. Please charge the battery or do not use /W"},
        CConditionCase{"BatteryUnknownW", Notebook("connected", "unknown"), g_newer + " /W", 1026,
                       "The battery capacity couldn't be recognized. Please do not use /W parameter."},
        CConditionCase{"BatteryAbsentW", Notebook("connected", "absent"), g_newer + " /W", 1027,
                       "The battery is not attached. Please plug in charged battery or do not use /W"},
        CConditionCase{"BatteryLowIac", Notebook("disconnected", "10"), g_newer + " /IAC", 1028,
                       "The remaining battery capacity is too low. Please charge the battery and try again."},
        CConditionCase{"BatteryUnknownIac", Notebook("disconnected", "unknown"), g_newer + " /IAC", 1029,
                       "Could not recognize battery capacity on the notebook system."},
        CConditionCase{"BatteryAbsentIac", Notebook("disconnected", "absent"), g_newer + " /IAC", 1030,
                       "The battery is not attached. Please plug in charged battery and try again."},
        CConditionCase{"AcDisconnected", Notebook("disconnected", "80"), g_newer, 1031,
                       "AC adapter is not connected on the notebook system."},
        CConditionCase{"AcUnknown", Notebook("unknown", "80"), g_newer, 1032,
                       "Could not recognize AC adapter on the notebook system."},
        CConditionCase{"BatteryUnknownAcW", Notebook("disconnected", "unknown"), g_newer + " /W", 1033,
                       "Please connect AC adapter and do not use /W parameter."},
        CConditionCase{"IacUnsupported", Notebook("disconnected", "80", "0"), g_newer + " /IAC", 1034,
                       "/IGNOREAC parameter is not supported on this system."},
        CConditionCase{"BatteryFine", Notebook("disconnected", "80"), g_newer + " /IAC", 0, "1.30"},
        CConditionCase{"PasswordMissing", {{"Security.SetupPasswordSha256", Sha256Hex("secret")}}, g_newer, 2,
                       "Invalid password"},
        CConditionCase{"PasswordWrong", {{"Security.SetupPasswordSha256", Sha256Hex("secret")}},
                       g_newer + " /PWD=wrong", 2, "Invalid password"},
        CConditionCase{"PasswordRight", {{"Security.SetupPasswordSha256", Sha256Hex("secret")}},
                       g_newer + " /PWD=secret", 0, "1.30"},
        CConditionCase{"AstUnsupported", {{"Bios.AstSupported", "0"}}, "/AST", 1048,
                       "Display last action status information is not supported"},
        CConditionCase{"AstPending", {{"Post.Status", "pending"}}, "/AST", 402, "POST update action pending"},
        CConditionCase{"AstFailed", {{"Post.Status", "failed"}}, "/AST", 401, "POST update action failed"},
        CConditionCase{"AstSucceeded", {{"Post.Status", "succeeded"}}, "/AST", 0, "POST update action succeeded"}),
    [](const testing::TestParamInfo<CConditionCase>& info) { return std::string(info.param.szName); });

TEST(SimPcStateTest, UpdateFlashesAndSecondRunIsRefused)
{
    CSimPc pc(CValues{});
    EXPECT_EQ("1.20", pc.State()["Bios.Version"]);
    CKorlixRun first = pc.Run(g_newer);
    EXPECT_EQ(0u, first.dwExitCode) << first.out;
    EXPECT_NE(std::string::npos, first.out.find("Version..........1.20")) << first.out;
    EXPECT_EQ("1.30", pc.State()["Bios.Version"]);
    EXPECT_EQ(1047u, pc.Run(g_newer).dwExitCode);
}

TEST(SimPcStateTest, WithoutFileTheNewestMatchingOneInTheWorkingDirectoryIsUsed)
{
    CSimPc pc(CValues{});
    FileWrite(pc.Dir() + "\\B7710-1.50.bup", UpdateText("B7710", "1.50"));
    FileWrite(pc.Dir() + "\\B7710-1.40.bup", UpdateText("B7710", "1.40"));
    EXPECT_EQ(0u, pc.Run("/UPD").dwExitCode);
    EXPECT_EQ("1.50", pc.State()["Bios.Version"]);
}

TEST(SimPcStateTest, RefusedUpdateLeavesTheMachineFileAsItWas)
{
    CSimPc pc(CValues{{"Security.BitLocker", "1"}});
    std::string before = FileBytes(pc.Machine());
    pc.Run(g_newer);
    EXPECT_EQ(before, FileBytes(pc.Machine()));
}

struct CPostCase
{
    const char* szOutcome;
    DWORD dwAstCode;
    const char* szVersion;
};

using SimPcPostTest = testing::TestWithParam<CPostCase>;

TEST_P(SimPcPostTest, RebootCompletesThePostUpdate)
{
    const CPostCase& c = GetParam();
    CSimPc pc(CValues{{"Bios.PostUpdate", "1"}, {"Post.Outcome", c.szOutcome}});
    EXPECT_EQ(400u, pc.Run(g_newer).dwExitCode);
    EXPECT_EQ(402u, pc.Run("/AST").dwExitCode);
    EXPECT_EQ("1.20", pc.State()["Bios.Version"]);
    pc.Reboot();
    EXPECT_EQ(c.dwAstCode, pc.Run("/AST").dwExitCode);
    EXPECT_EQ(c.szVersion, pc.State()["Bios.Version"]);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, SimPcPostTest,
                         testing::Values(CPostCase{"succeeded", 0, "1.30"}, CPostCase{"failed", 401, "1.20"},
                                         CPostCase{"skipped", 401, "1.20"}));

TEST(SimPcStateTest, ForcedRebootAwaitsTheRebootUntilMachineReboot)
{
    CSimPc pc(CValues{});
    CKorlixRun run = pc.Run(g_newer + " /FRB");
    EXPECT_EQ(0u, run.dwExitCode) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("Shutting down")) << run.out;
    EXPECT_EQ(301u, pc.Run("/UPD /O=%DIR%\\same.bup").dwExitCode);
    pc.Reboot();
    EXPECT_EQ("0", pc.State()["Security.KorlixAwaitsReboot"]);
}

TEST(SimPcStateTest, NoRebootSwitchChangesNothing)
{
    CSimPc pc(CValues{});
    CKorlixRun run = pc.Run(g_newer + " /NRB");
    EXPECT_EQ(0u, run.dwExitCode);
    EXPECT_EQ(std::string::npos, run.out.find("Shutting down"));
    EXPECT_EQ("0", pc.State()["Security.KorlixAwaitsReboot"]);
}

struct CMalformedCase
{
    const char* szName;
    std::string bytes;
};

using SimPcMalformedTest = testing::TestWithParam<CMalformedCase>;

TEST_P(SimPcMalformedTest, ExecuteFailsAndNothingIsWritten)
{
    CSimPc pc(CValues{});
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
    EXPECT_NE(std::string::npos, record.Read().find("error\t")) << record.Read();
}

INSTANTIATE_TEST_SUITE_P(Files, SimPcMalformedTest,
                         testing::Values(CMalformedCase{"Truncated", "<Machine><Bios Version=\"1.20\""},
                                         CMalformedCase{"NotAMachine", "<?xml version=\"1.0\"?>\n<Other/>\n"},
                                         CMalformedCase{"Empty", ""}),
                         [](const testing::TestParamInfo<CMalformedCase>& info) {
                             return std::string(info.param.szName);
                         });

TEST(SimPcStateTest, MissingMachineFileFailsExecute)
{
    CSimPc pc(CValues{});
    CKorlixStart start;
    start.arguments = "/UPD";
    start.environment["DIDEREVE_SCRIPT"] = "";
    start.environment["DIDEREVE_MACHINE"] = pc.Dir() + "\\none.xml";
    EXPECT_EQ(2u, KorlixRun(start).dwExitCode);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((pc.Dir() + "\\none.xml").c_str()));
}

TEST(SimPcStateTest, RunKilledDuringTheFlashLeavesALoadableMachine)
{
    CSimPc pc(CValues{});
    std::string path = "\"" + std::string(g_szInstalledKorlix) + "\" /UPD /O=" + pc.Dir() + "\\new.bup";
    SetEnvironmentVariableA("DIDEREVE_MACHINE", pc.Machine().c_str());
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(g_szInstalledKorlix, &path[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableA("DIDEREVE_MACHINE", "-");
    CCUniqueHandle process(pi.hProcess);
    CCUniqueHandle thread(pi.hThread);
    Sleep(900);
    TerminateProcess(process.get(), 9);
    WaitForSingleObject(process.get(), 5000);
    std::string version = pc.State()["Bios.Version"];
    EXPECT_TRUE(version == "1.20" || version == "1.30") << version;
}
}  // namespace
