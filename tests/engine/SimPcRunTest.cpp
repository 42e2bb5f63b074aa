// End-to-end runs of the installed program against simulated PCs: machine
// files and update files made by the tests, one run per condition, and the
// machine state before and after.
#include "MachineFile.h"

#include "crypt/CryptTestSupport.h"
#include "crypt/Des.h"

#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using CValues = std::map<std::string, std::string>;

const char g_szEngineDll[] =
    "C:\\Program Files\\Common Files\\Tervane\\Components\\DiDEreve.dll\\6.22.12.0\\DiDEreve.dll";

// Values with some of them changed, as an XML file text of the engine's kind.
std::string ValuesText(const char* szRoot, CValueMap values, const CValues& overrides = {})
{
    for (const auto& entry : overrides)
        values[entry.first] = entry.second;
    std::map<std::string, std::string> elements;
    std::map<std::string, std::string> texts;
    for (const auto& entry : values)
    {
        size_t nDot = entry.first.find('.');
        if (nDot == std::string::npos)
            texts[entry.first] = entry.second;
        else
            elements[entry.first.substr(0, nDot)] += " " + entry.first.substr(nDot + 1) + "=\"" + entry.second + "\"";
    }
    std::string xml = std::string("<?xml version=\"1.0\"?>\n<") + szRoot + ">\n";
    for (const auto& element : elements)
    {
        auto text = texts.find(element.first);
        xml += "  <" + element.first + element.second +
               (text == texts.end() ? "/>\n" : ">" + text->second + "</" + element.first + ">\n");
    }
    return xml + "</" + szRoot + ">\n";
}

// The factory machine with some values changed, as a machine file text.
std::string MachineText(const CValues& overrides)
{
    return ValuesText("Machine", MachineFactory(), overrides);
}

// An archive of the factory board with the setting NumLock off, the password
// "new" and another boot order.
const CValues g_archive = {{"Archive.Format", "1"},        {"Archive.Created", "2027-01-05T10:00:00Z"},
                           {"System.BiosId", "B7710"},     {"System.BiosVersion", "1.20"},
                           {"Settings.NumLock", "Off"},    {"BootOrder.Devices", "USB,HDD,PXE"},
                           {"Passwords.SetupSha256", "11507a0e2f5e69d5dfa40a62a1bd7b6ee57e6bcd85c67c9b8431b36fff21c437"}};

std::string ArchiveText(const CValues& overrides = {})
{
    return ValuesText("ConfigArchive", CValueMap(g_archive.begin(), g_archive.end()), overrides);
}

// An update file as a map, for combining it with an archive.
CValueMap UpdateValues(const std::string& biosId, const std::string& version)
{
    const std::string image = "IMAGE-" + biosId + "-" + version;
    return {{"Target.BiosId", biosId}, {"Target.Date", "01/02/2027"}, {"Target.PostOnly", "0"},
            {"Target.Version", version}, {"Image", image}, {"Image.Sha256", Sha256Hex(image)}};
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
        FileWrite(m_dir.File("archive.nvux"), ArchiveText());
        FileWrite(m_dir.File("stranger.nvux"), ArchiveText({{"Settings.Turbo", "On"},
                                                            {"BootOrder.Devices", "NVME,HDD"},
                                                            {"Archive.Created", "2026-01-01T00:00:00Z"}}));
        FileWrite(m_dir.File("otherboard.nvux"), ArchiveText({{"System.BiosId", "B8820"}}));
        FileWrite(m_dir.File("notours.nvux"), "<?xml version=\"1.0\"?>\n<Something/>\n");
        FileWrite(m_dir.File("broken.nvux"), "<ConfigArchive><Settings");
        FileWrite(m_dir.File("huge.nvux"), ArchiveText({{"Settings.Filler", std::string(1100000, 'x')}}));
        CreateDirectoryA(m_dir.File("folder.nvux").c_str(), nullptr);
        CValueMap combined = UpdateValues("B7710", "1.30");
        combined.insert(g_archive.begin(), g_archive.end());
        FileWrite(m_dir.File("combined.bup"), ValuesText("BiosUpdate", combined));
        combined["System.BiosId"] = "B8820";
        FileWrite(m_dir.File("combined-otherboard.bup"), ValuesText("BiosUpdate", combined));
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
const std::string g_restore = "/NVU /O=%DIR%\\archive.nvux";
const CValues g_password = {{"Security.SetupPasswordSha256", Sha256Hex("secret")}};

using SimPcConditionTest = testing::TestWithParam<CConditionCase>;

TEST_P(SimPcConditionTest, ExitCodeAndConsole)
{
    const CConditionCase& c = GetParam();
    CSimPc pc(c.machine);
    const std::string before = FileBytes(pc.Machine());
    CKorlixRun run = pc.Run(c.arguments);
    EXPECT_EQ(c.dwExitCode, run.dwExitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find(c.out)) << run.out;
    // A job that fails leaves the machine as it was.
    if (c.dwExitCode != 0 && c.dwExitCode != 1 && c.dwExitCode != 400)
    {
        EXPECT_EQ(before, FileBytes(pc.Machine()));
    }
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
        CConditionCase{"AstSucceeded", {{"Post.Status", "succeeded"}}, "/AST", 0, "POST update action succeeded"},
        CConditionCase{"UpdateCombinedOtherBoard", {}, "/UPD /O=%DIR%\\combined-otherboard.bup", 1046,
                       "Invalid file(s) for full update"},
        CConditionCase{"UpdateCombined", {}, "/UPD /O=%DIR%\\combined.bup", 0, "NVRAM updating completed"},
        CConditionCase{"UpdateHuge", {}, "/UPD /O=%DIR%\\huge.nvux", 8, "Can't load BIOS file"},
        CConditionCase{"UpdateUnreadable", {}, "/UPD /O=%DIR%\\folder.nvux", 8, "Can't load BIOS file"},
        CConditionCase{"UpdateWorkDirMissing", {}, "/UPD /WD=%DIR%\\nodir /O=new.bup", 2, "invalid directory"},
        CConditionCase{"PwcMalformed", g_password, g_newer + " /PWC=0123456789", 2, "Invalid password"},
        CConditionCase{"EngineUnknownSwitch", {}, "/AST /SYSTEMDATA", 4, "Invalid command line"},
        CConditionCase{"Restore", {}, g_restore, 0, "Restoring system configuration data completed"},
        CConditionCase{"RestoreNewestArchive", {}, "/NVU", 0, "archive.nvux"},
        CConditionCase{"RestoreUnknownSetting", {}, "/NVU /O=%DIR%\\stranger.nvux", 1,
                       "Warning..........Setting 'Turbo' is unknown on this system, skipped"},
        CConditionCase{"RestoreUnknownDevice", {}, "/BOOTORDER /O=%DIR%\\stranger.nvux", 1,
                       "Warning..........Boot device 'NVME' is unknown on this system, skipped"},
        CConditionCase{"RestoreFromCombined", {}, "/NVRAM /O=%DIR%\\combined.bup", 0, "completed"},
        CConditionCase{"RestoreOtherBoard", {}, "/NVU /O=%DIR%\\otherboard.nvux", 2, "NVRAM update not supported"},
        CConditionCase{"RestoreMissing", {}, "/NVRAM /O=%DIR%\\missing.nvux", 8, "invalid or missing file(s)"},
        CConditionCase{"RestoreNotOurs", {}, "/NVU /O=%DIR%\\notours.nvux", 8, "Can't load CMOS image file"},
        CConditionCase{"RestoreUpdateFile", {}, "/NVU /O=%DIR%\\new.bup", 8, "Can't load CMOS image file"},
        CConditionCase{"RestoreMalformed", {}, "/PASSWORDS /O=%DIR%\\broken.nvux", 8, "Can't load CMOS image file"},
        CConditionCase{"RestoreHuge", {}, "/NVU /O=%DIR%\\huge.nvux", 8, "Can't load CMOS image file"},
        CConditionCase{"RestoreUnreadable", {}, "/NVU /O=%DIR%\\folder.nvux", 8, "Can't load CMOS image file"},
        CConditionCase{"RestoreBitLocker", {{"Security.BitLocker", "1"}}, g_restore, 1024,
                       "No update action possible with Bitlocker protected drives"},
        CConditionCase{"RestorePasswordMissing", g_password, g_restore, 2, "Invalid password"},
        CConditionCase{"RestorePasswordRight", g_password, g_restore + " /PWD=secret", 0, "completed"},
        CConditionCase{"RestoreShutdown", {{"Power.ShutdownPending", "1"}}, g_restore, 307, ""},
        CConditionCase{"RestoreAcDisconnected", Notebook("disconnected", "80"), g_restore, 1031,
                       "AC adapter is not connected on the notebook system."},
        CConditionCase{"RestoreForcedReboot", {}, g_restore + " /FRB", 0, "Warning..........Shutting down"},
        CConditionCase{"Archive", {}, "/ARC /O=%DIR%\\saved.nvux", 0, "Archiving configuration data completed"},
        CConditionCase{"ArchiveDefaultName", {}, "/ARC", 0, "B7710.nvux"},
        CConditionCase{"ArchiveExists", {}, "/ARC /O=%DIR%\\archive.nvux", 2, "Error............Can't overwrite file"},
        CConditionCase{"ArchiveOverwrite", {}, "/ARC /O=%DIR%\\archive.nvux /OV", 0, "completed"},
        CConditionCase{"ArchivePattern", {}, "/ARC /WD=%DIR% /O=#system#_#model#_#biosversion#_#no#.nvux", 0,
                       "\\B7710_Korvana D7710_1.20_1.nvux"},
        CConditionCase{"ArchiveUnwritable", {}, "/ARC /O=%DIR%\\folder.nvux /OV", 64,
                       "Could not write to archive"},
        CConditionCase{"ArchiveNoFolder", {}, "/ARC /O=%DIR%\\nodir\\x.nvux", 2, "invalid directory"},
        CConditionCase{"ArchiveAwaitsReboot", {{"Security.KorlixAwaitsReboot", "1"}}, "/ARC", 301,
                       "Korlix awaits reboot"},
        CConditionCase{"ArchivePassword", g_password, "/ARC /PWD=wrong", 2, "Invalid password"},
        CConditionCase{"Make", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup", 0, "new-combined.bup"},
        CConditionCase{"MakeDamaged", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=damaged.bup", 8,
                       "Can't load BIOS file"},
        CConditionCase{"MakeNotAnArchive", {}, "/MAKE /WD=%DIR% /CINP=notours.nvux /BINP=new.bup", 8,
                       "Can't load CMOS image file"},
        CConditionCase{"MakeMissing", {}, "/MAKE /WD=%DIR% /CINP=missing.nvux /BINP=new.bup", 8,
                       "invalid or missing file(s)"},
        CConditionCase{"MakeOtherBoard", {}, "/MAKE /WD=%DIR% /CINP=otherboard.nvux /BINP=new.bup", 2,
                       "Making combined archive failed"},
        CConditionCase{"MakeExists", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup /O=old.bup", 2,
                       "Can't overwrite file"},
        CConditionCase{"BupInfoUpdate", {}, "/BUPINFO /O=%DIR%\\new.bup", 0, "BIOS version.....1.30"},
        CConditionCase{"BupInfoTwo", {}, "/BUPINFO /O=%DIR%\\new.bup /O=%DIR%\\archive.nvux", 0,
                       "Boot order.......USB,HDD,PXE"},
        CConditionCase{"BupInfoCombined", {}, "/BUPINFO /O=%DIR%\\combined.bup", 0,
                       "Archive BIOS ID..B7710"},
        CConditionCase{"BupInfoDamaged", {}, "/BUPINFO /O=%DIR%\\damaged.bup", 1, "Image............damaged"},
        CConditionCase{"BupInfoMissing", {}, "/BUPINFO /O=%DIR%\\missing.bup", 8, "invalid or missing file(s)"},
        CConditionCase{"BupInfoHuge", {}, "/BUPINFO /O=%DIR%\\huge.nvux", 8, "Can't load CMOS image file"},
        CConditionCase{"BupInfoNotOurs", {}, "/BUPINFO /O=%DIR%\\notours.bup", 8, "Can't load BIOS file"}),
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
                                         CMalformedCase{"Empty", ""},
                                         CMalformedCase{"Huge", MachineText({{"System.Filler", std::string(1100000, 'x')}})}),
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

struct CRestoreCase
{
    const char* szName;
    std::string arguments;
    bool fSettings;
    bool fPassword;
    bool fBootOrder;
};

void PrintTo(const CRestoreCase& c, std::ostream* os)
{
    *os << c.szName;
}

using SimPcRestoreTest = testing::TestWithParam<CRestoreCase>;

// The archive differs from the machine in all three areas; the command
// decides which of them come back.
TEST_P(SimPcRestoreTest, TheCommandChoosesTheAreas)
{
    const CRestoreCase& c = GetParam();
    CSimPc pc(CValues{});
    CKorlixRun run = pc.Run(c.arguments);
    EXPECT_EQ(0u, run.dwExitCode) << run.out;
    CValueMap state = pc.State();
    EXPECT_EQ(c.fSettings ? "Off" : "On", state["Settings.NumLock"]);
    EXPECT_EQ(c.fPassword ? Sha256Hex("new") : "", state["Security.SetupPasswordSha256"]);
    EXPECT_EQ(c.fBootOrder ? "USB,HDD,PXE" : "HDD,USB,PXE", state["BootOrder.Devices"]);
    EXPECT_EQ("Enabled", state["Settings.SecureBoot"]);  // not in the archive
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SimPcRestoreTest,
    testing::Values(CRestoreCase{"Nvu", "/NVU /O=%DIR%\\archive.nvux", true, true, false},
                    CRestoreCase{"NvuBootOrder", "/NVU /O=%DIR%\\archive.nvux /BO", true, true, true},
                    CRestoreCase{"Nvram", "/NVRAM /O=%DIR%\\archive.nvux", true, false, false},
                    CRestoreCase{"Passwords", "/PASSWORDS /O=%DIR%\\archive.nvux", false, true, false},
                    CRestoreCase{"BootOrder", "/BOOTORDER /O=%DIR%\\archive.nvux", false, false, true},
                    CRestoreCase{"Bo", "/BO /O=%DIR%\\archive.nvux", false, false, true},
                    CRestoreCase{"NvramAndPasswords", "/NVRAM /PASSWORDS /O=%DIR%\\archive.nvux", true, true, false},
                    CRestoreCase{"UpdateCombined", "/UPD /O=%DIR%\\combined.bup", true, true, false},
                    CRestoreCase{"UpdateCombinedBootOrder", "/UPD /O=%DIR%\\combined.bup /BO", true, true, true}),
    [](const testing::TestParamInfo<CRestoreCase>& info) { return std::string(info.param.szName); });

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

TEST(SimPcStateTest, ArchivedPasswordComesBackAsStored)
{
    CSimPc pc(g_password);
    ASSERT_EQ(0u, pc.Run("/ARC /O=%DIR%\\saved.nvux /PWD=secret").dwExitCode);
    FileWrite(pc.Machine(), MachineText({}));
    ASSERT_EQ(0u, pc.Run("/PASSWORDS /O=%DIR%\\saved.nvux").dwExitCode);
    EXPECT_EQ(Sha256Hex("secret"), pc.State()["Security.SetupPasswordSha256"]);
}

TEST(SimPcStateTest, MadeCombinedFileUpdatesBiosAndConfiguration)
{
    CSimPc pc(CValues{});
    ASSERT_EQ(0u, pc.Run("/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup /O=made.bup").dwExitCode);
    CKorlixRun run = pc.Run("/UPD /O=%DIR%\\made.bup");
    EXPECT_EQ(0u, run.dwExitCode) << run.out;
    EXPECT_EQ("1.30", pc.State()["Bios.Version"]);
    EXPECT_EQ("Off", pc.State()["Settings.NumLock"]);
}

TEST(SimPcStateTest, NumberedArchivesTakeTheNextFreeNumber)
{
    CSimPc pc(CValues{});
    for (const char* szName : {"PC-0001-1.nvux", "PC-0001-2.nvux"})
    {
        CKorlixRun run = pc.Run("/ARC /O=%DIR%\\#name#-#no#.nvux");
        EXPECT_EQ(0u, run.dwExitCode) << run.out;
        EXPECT_NE(std::string::npos, run.out.find(szName)) << run.out;
    }
}

struct CLogCase
{
    const char* szName;
    std::string arguments;
    const char* szLogFile;
    std::string line;  // a line of the log, without date and time
};

void PrintTo(const CLogCase& c, std::ostream* os)
{
    *os << c.szName;
}

using SimPcLogTest = testing::TestWithParam<CLogCase>;

TEST_P(SimPcLogTest, TheEngineWritesTheLog)
{
    const CLogCase& c = GetParam();
    CSimPc pc(CValues{});
    pc.Run(c.arguments);
    const std::string log = FileBytes(pc.Dir() + "\\" + c.szLogFile);
    EXPECT_NE(std::string::npos, log.find(" " + c.line + "\r\n")) << log;
    // Every line starts with the date and the time of the run.
    EXPECT_EQ(' ', log.size() > 17 ? log[10] : 0) << log;
    EXPECT_EQ(' ', log.size() > 17 ? log[17] : 0) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, SimPcLogTest,
    testing::Values(
        CLogCase{"Bare", "/ARC /WD=%DIR% /O=a.nvux /LF", "Korlix.log", "INFO Archiving configuration data completed"},
        CLogCase{"Named", "/NVU /O=%DIR%\\stranger.nvux /LF=%DIR%\\#name#_#model#.log", "PC-0001_Korvana D7710.log",
                 "WARN Setting 'Turbo' is unknown on this system, skipped"},
        CLogCase{"InWorkDir", "/UPD /WD=%DIR% /O=missing.bup /LF=up-#no#.log", "up-1.log",
                 "ERRO invalid or missing file(s)"},
        CLogCase{"ExitCode", "/BUPINFO /O=%DIR%\\new.bup /LF=%DIR%\\info.log", "info.log", "INFO Exit code 0"},
        CLogCase{"Items", "/BUPINFO /O=%DIR%\\new.bup /LF=%DIR%\\info.log", "info.log", "INFO BIOS version: 1.30"}),
    [](const testing::TestParamInfo<CLogCase>& info) { return std::string(info.param.szName); });

// The obfuscated text of "secret" as the installed program prints it.
std::string CryptedGet()
{
    CKorlixStart start;
    start.arguments = "/CRYPT=secret";
    const std::string out = KorlixRun(start).out;
    const std::string lead = "The encrypted password is: ";
    size_t nPos = out.find(lead);
    return nPos == std::string::npos ? std::string() : out.substr(nPos + lead.size(), 34);
}

// A text with a fitting MAC whose one block deciphers without padding.
std::string UnpaddedTextMake()
{
    uint8_t abKey[CDes::eTripleKeySize] = {};
    CDes(nullptr, 0, 0, nullptr).DeriveKey(abKey, sizeof(abKey), 0);
    uint8_t abPadded[16] = {};
    int32_t nClear = 8;
    int32_t nPadded = sizeof(abPadded);
    CDes(abKey, sizeof(abKey), CDes::eModeCipher, nullptr)
        .Crypt(reinterpret_cast<const uint8_t*>("ABCDEFGH"), &nClear, abPadded, &nPadded, CDes::eEncipher);
    uint8_t abMac[8] = {};
    int32_t nBlock = 8;
    int32_t nMac = sizeof(abMac);
    CDes(abKey, sizeof(abKey), CDes::eModeCipherMac, nullptr).Crypt(abPadded, &nBlock, abMac, &nMac, CDes::eEncipher);
    const uint8_t bSelector = 0;
    return HexText(abMac, 8) + HexText(&bSelector, 1) + HexText(abPadded, 8);
}

// The lowest bit of one hexadecimal digit of the text flipped.
std::string DigitChange(std::string text, size_t nPos)
{
    const char* szDigits = "0123456789ABCDEF";
    const char* pDigit = strchr(szDigits, text[nPos]);
    text[nPos] = pDigit ? szDigits[(pDigit - szDigits) ^ 1] : '0';
    return text;
}

struct CPwcCase
{
    const char* szName;
    std::string (*pfnText)(const std::string& crypted);
    DWORD dwExitCode;
    const char* szPassword = "secret";  // of the machine
};

void PrintTo(const CPwcCase& c, std::ostream* os)
{
    *os << c.szName;
}

using SimPcPwcTest = testing::TestWithParam<CPwcCase>;

TEST_P(SimPcPwcTest, CryptedPasswordIsCheckedByTheEngine)
{
    static const std::string crypted = CryptedGet();
    ASSERT_EQ(34u, crypted.size());
    const CPwcCase& c = GetParam();
    CSimPc pc(CValues{{"Security.SetupPasswordSha256", Sha256Hex(c.szPassword)}});
    CKorlixRun run = pc.Run(g_newer + " /PWC=" + c.pfnText(crypted));
    EXPECT_EQ(c.dwExitCode, run.dwExitCode) << run.out;
    EXPECT_EQ(c.dwExitCode == 0 ? "1.30" : "1.20", pc.State()["Bios.Version"]);
    if (c.dwExitCode != 0)
    {
        EXPECT_NE(std::string::npos, run.out.find("Error............Invalid password")) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SimPcPwcTest,
    testing::Values(
        CPwcCase{"Genuine", [](const std::string& t) { return t; }, 0},
        CPwcCase{"MacChanged", [](const std::string& t) { return DigitChange(t, 3); }, 2},
        CPwcCase{"SelectorChanged", [](const std::string& t) { return DigitChange(t, 17); }, 2},
        CPwcCase{"CipherChanged", [](const std::string& t) { return DigitChange(t, 30); }, 2},
        CPwcCase{"Shortened", [](const std::string& t) { return t.substr(0, 32); }, 2},
        CPwcCase{"Lengthened", [](const std::string& t) { return t + "00"; }, 2},
        CPwcCase{"NoCipherBlock", [](const std::string& t) { return t.substr(0, 18); }, 2},
        CPwcCase{"LowerCase",
                 [](const std::string& t) {
                     std::string lower = t;
                     for (char& ch : lower)
                         ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
                     return lower == t ? lower + "X" : lower;
                 },
                 2},
        CPwcCase{"NotHex", [](const std::string& t) { return "G" + t.substr(1); }, 2},
        // The whole block would be the password, were the padding not checked.
        CPwcCase{"PaddingDamaged", [](const std::string&) { return UnpaddedTextMake(); }, 2, "ABCDEFGH"}),
    [](const testing::TestParamInfo<CPwcCase>& info) { return std::string(info.param.szName); });

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
                         [](const testing::TestParamInfo<CKillCase>& info) {
                             return std::string(info.param.szPoint);
                         });
}  // namespace
