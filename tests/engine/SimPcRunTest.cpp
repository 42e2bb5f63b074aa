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

const CValues g_damaged = {{"Image.Sha256", Sha256Hex("other")}};

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
        FileWrite(m_dir.File("damaged.bup"), UpdateText("B7710", "1.40", g_damaged));
        // What the requirements of an update file refuse and allow.
        FileWrite(m_dir.File("needs-korlix.bup"), UpdateText("B7710", "1.30", {{"Requires.KorlixVersion", "6.30"}}));
        FileWrite(m_dir.File("needs-bios.bup"), UpdateText("B7710", "1.30", {{"Requires.BiosVersion", "1.25"}}));
        FileWrite(m_dir.File("incompatible.bup"), UpdateText("B7710", "1.30", {{"Requires.UpdateFrom", "1.0*,1.1?"}}));
        FileWrite(m_dir.File("compatible.bup"), UpdateText("B7710", "1.30",
                                                           {{"Requires.UpdateFrom", "1.1?,1.2*"},
                                                            {"Requires.KorlixVersion", "6.22"},
                                                            {"Requires.BiosVersion", "1.20"}}));
        // The newest intact file of the board among B7710-*.bup: 1.40 of the
        // later date; 1.50 is damaged, 9.00 of another board.
        FileWrite(m_dir.File("B7710-1.40.bup"), UpdateText("B7710", "1.40"));
        FileWrite(m_dir.File("B7710-1.40-later.bup"), UpdateText("B7710", "1.40", {{"Target.Date", "02/01/2027"}}));
        FileWrite(m_dir.File("B7710-1.50.bup"), UpdateText("B7710", "1.50", g_damaged));
        FileWrite(m_dir.File("B7710-9.00.bup"), UpdateText("B8820", "9.00"));
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

CValues Notebook(const std::string& ac, const std::string& battery, const char* szIac = "1")
{
    return {
        {"Power.Type", "notebook"}, {"Power.Ac", ac}, {"Power.Battery", battery}, {"Power.IgnoreAcSupported", szIac}};
}

const std::string g_newer = "/UPD /O=%DIR%\\new.bup";
const std::string g_restore = "/NVU /O=%DIR%\\archive.nvux";
const CValues g_password = {{"Security.SetupPasswordSha256", Sha256Hex("secret")}};

using SimPcConditionTest = testing::TestWithParam<CConditionCase>;

// Every run also writes a log (unless the row names one): its last line is
// the exit code the run returns.
TEST_P(SimPcConditionTest, ExitCodeConsoleAndLog)
{
    const CConditionCase& c = GetParam();
    CSimPc pc(c.machine);
    const std::string before = FileBytes(pc.Machine());
    const bool fOwnLog = c.arguments.find("/LF") != std::string::npos;
    CKorlixRun run = pc.Run(c.arguments + (fOwnLog ? "" : " /LF=%DIR%\\run.log"));
    EXPECT_EQ(c.dwExitCode, run.dwExitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find(c.out)) << run.out;
    // A job that fails leaves the machine as it was.
    if (c.dwExitCode != 0 && c.dwExitCode != 1 && c.dwExitCode != 400)
    {
        EXPECT_EQ(before, FileBytes(pc.Machine()));
    }
    const std::string log = FileBytes(pc.Dir() + "\\run.log");
    const std::string last = "Exit code: " + std::to_string(run.dwExitCode) + "\r\n";
    if (!fOwnLog && c.dwExitCode != 4)
    {
        EXPECT_TRUE(log.size() > last.size() && log.compare(log.size() - last.size(), last.size(), last) == 0) << log;
    }
}

const CConditionCase g_rgConditions[] = {
    // Update: files and versions.
    {"Update", {}, g_newer, 0, "Flashed vers.....1.30"},
    {"SameVersion",
     {},
     "/UPD /O=%DIR%\\same.bup",
     1047,
     "Overwriting the same version is not possiblie with this BIOS"},
    {"SameVersionOverwrite",
     {{"Bios.SameVersionOverwrite", "1"}},
     "/UPD /O=%DIR%\\same.bup /OV",
     0,
     "Flashed vers.....1.20"},
    {"Downgrade",
     {{"Bios.DowngradeProhibited", "1"}},
     "/UPD /O=%DIR%\\old.bup",
     1035,
     "Downgrading to this BIOS version is prohibited."},
    {"Rollback", {{"Bios.RollbackForbidden", "1"}}, "/UPD /O=%DIR%\\old.bup", 1049, ""},
    {"Missing", {}, "/UPD /O=%DIR%\\missing.bup", 8, "invalid or missing file(s)"},
    {"Damaged", {}, "/UPD /O=%DIR%\\damaged.bup", 8, "Can't load BIOS file"},
    {"NotOurs", {}, "/UPD /O=%DIR%\\notours.bup", 8, "Can't load BIOS file"},
    {"Malformed", {}, "/UPD /O=%DIR%\\broken.bup", 8, "Can't load BIOS file"},
    {"OtherBoard", {}, "/UPD /O=%DIR%\\other.bup", 1040, ""},
    {"NeedsKorlix",
     {},
     "/UPD /O=%DIR%\\needs-korlix.bup",
     1041,
     "The Korlix version is not compatible with the requirement in the update file."},
    {"NeedsBios", {}, "/UPD /O=%DIR%\\needs-bios.bup", 1042, "Update to a Korlix compatible BIOS version is required."},
    {"Incompatible",
     {},
     "/UPD /O=%DIR%\\incompatible.bup",
     1036,
     "The BIOS version in the file is not update compatible with the version installed."},
    {"RequirementsMet", {}, "/UPD /O=%DIR%\\compatible.bup", 0, "Flashed vers.....1.30"},
    {"Post", {{"Bios.PostUpdate", "1"}}, g_newer, 400, "BIOS update prepared for POST flash"},
    {"UpdateCombinedOtherBoard", {}, "/UPD /O=%DIR%\\combined-otherboard.bup", 1046, "Invalid file(s) for full update"},
    {"UpdateCombined", {}, "/UPD /O=%DIR%\\combined.bup", 0, "NVRAM updating completed"},
    {"UpdateHuge", {}, "/UPD /O=%DIR%\\huge.nvux", 8, "Can't load BIOS file"},
    {"UpdateUnreadable", {}, "/UPD /O=%DIR%\\folder.nvux", 8, "Can't load BIOS file"},
    {"UpdateWorkDirMissing", {}, "/UPD /WD=%DIR%\\nodir /O=new.bup", 2, "invalid directory"},
    // Patterns: the newest intact file of the board among the matches.
    {"Pattern", {}, "/UPD /O=%DIR%\\B7710*.BUP", 0, "B7710-1.40-later.bup"},
    {"PatternInWorkDir", {}, "/UPD /WD=%DIR% /O=B7710-1.?0.bup", 0, "B7710-1.40.bup"},
    {"PatternNoMatch", {}, "/UPD /O=%DIR%\\X*.bup", 8, "invalid or missing file(s)"},
    {"PatternOnlyOtherBoard", {}, "/UPD /O=%DIR%\\B7710-9*.bup", 8, "invalid or missing file(s)"},
    {"NoFileNewestOfBoard", {}, "/UPD", 0, "B7710-1.40-later.bup"},
    {"BupInfoPattern", {}, "/BUPINFO /O=%DIR%\\B*.bup", 0, "B7710-1.40-later.bup"},
    {"BupInfoArchivePattern", {}, "/BUPINFO /O=%DIR%\\*.nvux", 0, "archive.nvux"},
    {"RestorePattern", {}, "/NVRAM /O=%DIR%\\*.nvux", 0, "archive.nvux"},
    {"MakePattern", {}, "/MAKE /WD=%DIR% /CINP=arch*.nvux /BINP=B7710-1.4*.bup", 0, "B7710-1.40-later-combined.bup"},
    // The machine: system, access, password.
    {"BitLocker",
     {{"Security.BitLocker", "1"}},
     g_newer,
     1024,
     "No update action possible with Bitlocker protected drives"},
    {"Txt", {{"Security.Txt", "1"}}, g_newer, 1038, "No update action possible with TXT processor extension enabled"},
    {"SetupReboot", {{"Security.SetupAwaitsReboot", "1"}}, g_newer, 301, "Ambrel setup awaits reboot"},
    {"KorlixReboot", {{"Security.KorlixAwaitsReboot", "1"}}, g_newer, 301, "Korlix awaits reboot"},
    {"Os", {{"Security.UnsupportedOs", "1"}}, g_newer, 305, "Unsupported Operating System"},
    {"BlockedPrevious",
     {{"Bios.AccessBlocked", "previous"}},
     g_newer,
     1043,
     "BIOS access was blocked after previous operation"},
    {"BlockedReboot",
     {{"Bios.AccessBlocked", "untilreboot"}},
     g_newer,
     1044,
     "BIOS access is blocked until next reboot"},
    {"BlockedCheck", {{"Bios.AccessBlocked", "checkfailed"}}, g_newer, 1045, "Checking BIOS access state failed"},
    {"AccessDenied", {{"Bios.AccessBlocked", "denied"}}, g_newer, 1037, "Access denied."},
    {"WriteProtected", {{"Bios.WriteProtected", "1"}}, g_newer, 2, "Flash device is write protected"},
    {"Shutdown", {{"Power.ShutdownPending", "1"}}, g_newer, 307, ""},
    {"ConfirmationMissing", {{"Security.Confirm", "missing"}}, g_newer, 32, "Missing confirmation(s)"},
    {"Cancelled", {{"Security.Confirm", "cancel"}}, g_newer, 1039, "Checking update file(s)"},
    // Hyper-V: a warning that a bit keeps and a whole code replaces, or a block.
    {"HyperV", {{"Security.HyperV", "1"}}, g_newer, 1, "Microsoft-Hyper-V-Hypervisor is active"},
    {"HyperVThenMissingFile", {{"Security.HyperV", "1"}}, "/UPD /O=%DIR%\\missing.bup", 9, ""},
    {"HyperVThenSameVersion", {{"Security.HyperV", "1"}}, "/UPD /O=%DIR%\\same.bup", 1047, ""},
    {"HyperVThenWriteProtected",
     {{"Security.HyperV", "1"}, {"Bios.WriteProtected", "1"}},
     g_newer,
     1,
     "Flash device is write protected"},
    {"HyperVBlocks",
     {{"Security.HyperV", "block"}},
     g_newer,
     33,
     "Error............Microsoft-Hyper-V-Hypervisor is active"},
    {"PasswordMissing", g_password, g_newer, 2, "Invalid password"},
    {"PasswordWrong", g_password, g_newer + " /PWD=wrong", 2, "Invalid password"},
    {"PasswordRight", g_password, g_newer + " /PWD=secret", 0, "1.30"},
    {"PwcMalformed", g_password, g_newer + " /PWC=0123456789", 2, "Invalid password"},
    {"EngineUnknownSwitch", {}, "/AST /SYSTEMDATA", 4, "Invalid command line"},
    // Power, one row per row of the README's table (minimum 20 % or /BPC).
    {"PowerDesktop", {{"Power.Battery", "5"}}, g_newer + " /W /IAC", 0, "1.30"},
    {"PowerIacUnsupported",
     {{"Power.IgnoreAcSupported", "0"}},
     g_newer + " /IAC",
     1034,
     "/IGNOREAC parameter is not supported on this system."},
    {"PowerWUnknownOnAc", Notebook("connected", "unknown"), g_newer + " /W", 1026,
     "The battery capacity couldn't be recognized. Please do not use /W parameter."},
    {"PowerWUnknownNoAc", Notebook("disconnected", "unknown"), g_newer + " /W /IAC", 1033,
     "Please connect AC adapter and do not use /W parameter."},
    {"PowerWAbsent", Notebook("connected", "absent"), g_newer + " /W", 1027,
     "The battery is not attached. Please plug in charged battery or do not use /W"},
    {"PowerWLow", Notebook("connected", "19"), g_newer + " /W", 1025,
     "The remaining battery capacity is too low. Please charge the battery or do not use /W"},
    {"PowerWLowBpc", Notebook("connected", "50"), g_newer + " /W /BPC=60", 1025, ""},
    {"PowerAcUnknown", Notebook("unknown", "80"), g_newer, 1032,
     "Could not recognize AC adapter on the notebook system."},
    {"PowerAcDisconnected", Notebook("disconnected", "80"), g_newer, 1031,
     "AC adapter is not connected on the notebook system."},
    {"PowerAcConnected", Notebook("connected", "absent"), g_newer, 0, "1.30"},
    {"PowerIacUnknown", Notebook("disconnected", "unknown"), g_newer + " /IAC", 1029,
     "Could not recognize battery capacity on the notebook system."},
    {"PowerIacAbsent", Notebook("unknown", "absent"), g_newer + " /IAC", 1030,
     "The battery is not attached. Please plug in charged battery and try again."},
    {"PowerIacLow", Notebook("disconnected", "19"), g_newer + " /IAC", 1028,
     "The remaining battery capacity is too low. Please charge the battery and try again."},
    {"PowerIacLowBpc", Notebook("disconnected", "40"), g_newer + " /IAC /BPC=90", 1028, ""},
    {"PowerIacMinimum", Notebook("disconnected", "20"), g_newer + " /IAC", 0, "1.30"},
    {"PowerIacHighRisk", Notebook("disconnected", "5"), g_newer + " /IAC /BPC=HIGHRISK", 0, "1.30"},
    // /AST
    {"AstUnsupported",
     {{"Bios.AstSupported", "0"}},
     "/AST",
     1048,
     "Display last action status information is not supported"},
    {"AstNothingStaged", {}, "/AST", 0, "Action status....POST update action succeeded"},
    {"AstPending", {{"Post.Status", "pending"}}, "/AST", 402, "POST update action pending"},
    {"AstFailed", {{"Post.Status", "failed"}}, "/AST", 401, "POST update action failed"},
    {"AstSkipped", {{"Post.Status", "skipped"}}, "/AST", 401, "POST update action skipped"},
    {"AstSucceeded", {{"Post.Status", "succeeded"}}, "/AST", 0, "POST update action succeeded"},
    // Restores
    {"Restore", {}, g_restore, 0, "Restoring system configuration data completed"},
    {"RestoreNewestArchive", {}, "/NVU", 0, "archive.nvux"},
    {"RestoreUnknownSetting",
     {},
     "/NVU /O=%DIR%\\stranger.nvux",
     1,
     "Warning..........Setting 'Turbo' is unknown on this system, skipped"},
    {"RestoreUnknownDevice",
     {},
     "/BOOTORDER /O=%DIR%\\stranger.nvux",
     1,
     "Warning..........Boot device 'NVME' is unknown on this system, skipped"},
    {"RestoreFromCombined", {}, "/NVRAM /O=%DIR%\\combined.bup", 0, "completed"},
    {"RestoreOtherBoard", {}, "/NVU /O=%DIR%\\otherboard.nvux", 2, "NVRAM update not supported"},
    {"RestoreMissing", {}, "/NVRAM /O=%DIR%\\missing.nvux", 8, "invalid or missing file(s)"},
    {"RestoreNotOurs", {}, "/NVU /O=%DIR%\\notours.nvux", 8, "Can't load CMOS image file"},
    {"RestoreUpdateFile", {}, "/NVU /O=%DIR%\\new.bup", 8, "Can't load CMOS image file"},
    {"RestoreMalformed", {}, "/PASSWORDS /O=%DIR%\\broken.nvux", 8, "Can't load CMOS image file"},
    {"RestoreHuge", {}, "/NVU /O=%DIR%\\huge.nvux", 8, "Can't load CMOS image file"},
    {"RestoreUnreadable", {}, "/NVU /O=%DIR%\\folder.nvux", 8, "Can't load CMOS image file"},
    {"RestoreBitLocker",
     {{"Security.BitLocker", "1"}},
     g_restore,
     1024,
     "No update action possible with Bitlocker protected drives"},
    {"RestorePasswordMissing", g_password, g_restore, 2, "Invalid password"},
    {"RestorePasswordRight", g_password, g_restore + " /PWD=secret", 0, "completed"},
    {"RestoreShutdown", {{"Power.ShutdownPending", "1"}}, g_restore, 307, ""},
    {"RestoreCancelled", {{"Security.Confirm", "cancel"}}, g_restore, 1039, ""},
    {"RestoreAcDisconnected", Notebook("disconnected", "80"), g_restore, 1031,
     "AC adapter is not connected on the notebook system."},
    {"RestoreForcedReboot", {}, g_restore + " /FRB", 0, "Warning..........Shutting down"},
    // Archives and combined files
    {"Archive", {}, "/ARC /O=%DIR%\\saved.nvux", 0, "Archiving configuration data completed"},
    {"ArchiveDefaultName", {}, "/ARC", 0, "B7710.nvux"},
    {"ArchiveExists", {}, "/ARC /O=%DIR%\\archive.nvux", 2, "Error............Can't overwrite file"},
    {"ArchiveOverwrite", {}, "/ARC /O=%DIR%\\archive.nvux /OV", 0, "completed"},
    {"ArchivePattern",
     {},
     "/ARC /WD=%DIR% /O=#system#_#model#_#biosversion#_#no#.nvux",
     0,
     "\\B7710_Korvana D7710_1.20_1.nvux"},
    {"ArchiveUnwritable", {}, "/ARC /O=%DIR%\\folder.nvux /OV", 64, "Could not write to archive"},
    {"ArchiveNoFolder", {}, "/ARC /O=%DIR%\\nodir\\x.nvux", 2, "invalid directory"},
    {"ArchiveNoSpace", {{"Disk.FreeBytes", "100"}}, "/ARC /O=%DIR%\\saved.nvux", 16, "Insufficient disk space"},
    {"ArchiveAwaitsReboot", {{"Security.KorlixAwaitsReboot", "1"}}, "/ARC", 301, "Korlix awaits reboot"},
    {"ArchivePassword", g_password, "/ARC /PWD=wrong", 2, "Invalid password"},
    {"Make", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup", 0, "new-combined.bup"},
    {"MakeDamaged", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=damaged.bup", 8, "Can't load BIOS file"},
    {"MakeNotAnArchive", {}, "/MAKE /WD=%DIR% /CINP=notours.nvux /BINP=new.bup", 8, "Can't load CMOS image file"},
    {"MakeMissing", {}, "/MAKE /WD=%DIR% /CINP=missing.nvux /BINP=new.bup", 8, "invalid or missing file(s)"},
    {"MakeOtherBoard", {}, "/MAKE /WD=%DIR% /CINP=otherboard.nvux /BINP=new.bup", 2, "Making combined archive failed"},
    {"MakeExists", {}, "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup /O=old.bup", 2, "Can't overwrite file"},
    {"MakeNoSpace",
     {{"Disk.FreeBytes", "200"}},
     "/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup",
     16,
     "Insufficient disk space"},
    {"BupInfoUpdate", {}, "/BUPINFO /O=%DIR%\\new.bup", 0, "BIOS version.....1.30"},
    {"BupInfoTwo", {}, "/BUPINFO /O=%DIR%\\new.bup /O=%DIR%\\archive.nvux", 0, "Boot order.......USB,HDD,PXE"},
    {"BupInfoCombined", {}, "/BUPINFO /O=%DIR%\\combined.bup", 0, "Archive BIOS ID..B7710"},
    {"BupInfoDamaged", {}, "/BUPINFO /O=%DIR%\\damaged.bup", 1, "Image............damaged"},
    {"BupInfoMissing", {}, "/BUPINFO /O=%DIR%\\missing.bup", 8, "invalid or missing file(s)"},
    {"BupInfoHuge", {}, "/BUPINFO /O=%DIR%\\huge.nvux", 8, "Can't load CMOS image file"},
    {"BupInfoNotOurs", {}, "/BUPINFO /O=%DIR%\\notours.bup", 8, "Can't load BIOS file"},
    {"BupInfoUnsupported",
     {{"Bios.BupInfoSupported", "0"}},
     "/BUPINFO /O=%DIR%\\new.bup",
     255,
     "List content of BupInfo.xml is not supported"},
    // A log that cannot be written is a warning.
    {"LogUnwritable", {}, "/INFO /LF=%DIR%\\folder.nvux", 1, "cannot be written"},
    {"LogInMissingWorkDir", {}, "/UPD /WD=%DIR%\\nodir /O=new.bup /LF", 3, "invalid directory"},
};

INSTANTIATE_TEST_SUITE_P(Conditions, SimPcConditionTest, testing::ValuesIn(g_rgConditions),
                         [](const testing::TestParamInfo<CConditionCase>& info) {
                             return std::string(info.param.szName);
                         });

// Every code of the exit-code table but the program's own 4 and 22 has a
// row above: a state of the simulated PC produces it.
TEST(SimPcCodeTest, EveryDocumentedCodeHasARow)
{
    CKorlixStart start;
    start.arguments = "/E";
    std::istringstream lines(KorlixRun(start).out);
    std::set<DWORD> rows;
    for (const CConditionCase& c : g_rgConditions)
        rows.insert(c.dwExitCode);
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
}

// A run of steps, Korlix runs and boots, and what the machine holds after.
struct CStep
{
    std::string arguments;  // g_szBoot boots the machine
    DWORD dwExitCode;
};

struct CSequenceCase
{
    const char* szName;
    CValues machine;
    std::vector<CStep> steps;
    CValues after;
};

void PrintTo(const CSequenceCase& c, std::ostream* os)
{
    *os << c.szName;
}

using SimPcSequenceTest = testing::TestWithParam<CSequenceCase>;

TEST_P(SimPcSequenceTest, StepsAndMachineAfterwards)
{
    const CSequenceCase& c = GetParam();
    CSimPc pc(c.machine);
    for (const CStep& step : c.steps)
    {
        CKorlixRun run = pc.Run(step.arguments);
        EXPECT_EQ(step.dwExitCode, run.dwExitCode) << step.arguments << "\n" << run.out;
    }
    CValueMap state = pc.State();
    for (const auto& entry : c.after)
        EXPECT_EQ(entry.second, state[entry.first]) << entry.first;
}

const CStep g_boot = {g_szBoot, 0};

const CSequenceCase g_rgSequences[] = {
    {"UpdateThenSameVersion",
     {},
     {{g_newer, 0}, {g_newer, 1047}},
     {{"Bios.Version", "1.30"}, {"Bios.Date", "01/02/2027"}}},
    {"NoRebootChangesNothing", {}, {{g_newer + " /NRB", 0}}, {{"Security.KorlixAwaitsReboot", "0"}}},
    {"ForcedRebootAwaitsBoot",
     {},
     {{g_newer + " /FRB", 0}, {"/UPD /O=%DIR%\\same.bup", 301}, g_boot, {g_newer, 1047}},
     {{"Security.KorlixAwaitsReboot", "0"}}},
    {"PostSucceeded",
     {{"Bios.PostUpdate", "1"}},
     {{g_newer, 400}, {"/AST", 402}, g_boot, {"/AST", 0}},
     {{"Bios.Version", "1.30"}, {"Post.Status", "succeeded"}}},
    {"PostFailed",
     {{"Bios.PostUpdate", "1"}, {"Post.Outcome", "failed"}},
     {{g_newer, 400}, g_boot, {"/AST", 401}},
     {{"Bios.Version", "1.20"}, {"Post.Status", "failed"}}},
    {"PostSkipped",
     {{"Bios.PostUpdate", "1"}, {"Post.Outcome", "skipped"}},
     {{g_newer, 400}, g_boot, {"/AST", 401}},
     {{"Bios.Version", "1.20"}}},
    // What a boot clears and what it leaves.
    {"BootEndsShutdown",
     {{"Power.ShutdownPending", "1"}},
     {{g_newer, 307}, g_boot, {g_newer, 0}},
     {{"Power.ShutdownPending", "0"}}},
    {"BootEndsSetupReboot", {{"Security.SetupAwaitsReboot", "1"}}, {{g_newer, 301}, g_boot, {g_newer, 0}}, {}},
    {"BootEndsPreviousBlock",
     {{"Bios.AccessBlocked", "previous"}},
     {{g_newer, 1043}, g_boot, {g_newer, 0}},
     {{"Bios.AccessBlocked", "none"}}},
    {"BootEndsRebootBlock", {{"Bios.AccessBlocked", "untilreboot"}}, {{g_newer, 1044}, g_boot, {g_newer, 0}}, {}},
    {"BootKeepsFailedCheck", {{"Bios.AccessBlocked", "checkfailed"}}, {{g_newer, 1045}, g_boot, {g_newer, 1045}}, {}},
    {"BootKeepsDenied", {{"Bios.AccessBlocked", "denied"}}, {{g_newer, 1037}, g_boot, {g_newer, 1037}}, {}},
    {"BootKeepsPower", Notebook("disconnected", "80"), {{g_newer, 1031}, g_boot, {g_newer, 1031}}, {}},
    // The archive holds the password's hash; a restore puts it back as stored.
    {"ArchivedPasswordComesBackAsStored",
     g_password,
     {{"/ARC /O=%DIR%\\saved.nvux /PWD=secret", 0},
      {"/PASSWORDS /O=%DIR%\\combined.bup /PWD=secret", 0},
      {"/PASSWORDS /O=%DIR%\\saved.nvux /PWD=new", 0}},
     {{"Security.SetupPasswordSha256", Sha256Hex("secret")}}},
    {"MadeCombinedFileUpdatesBiosAndConfiguration",
     {},
     {{"/MAKE /WD=%DIR% /CINP=archive.nvux /BINP=new.bup /O=made.bup", 0}, {"/UPD /O=%DIR%\\made.bup", 0}},
     {{"Bios.Version", "1.30"}, {"Settings.NumLock", "Off"}}},
};

INSTANTIATE_TEST_SUITE_P(Sequences, SimPcSequenceTest, testing::ValuesIn(g_rgSequences),
                         [](const testing::TestParamInfo<CSequenceCase>& info) {
                             return std::string(info.param.szName);
                         });

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

INSTANTIATE_TEST_SUITE_P(
    Files, SimPcMalformedTest,
    testing::Values(CMalformedCase{"Truncated", "<Machine><Bios Version=\"1.20\""},
                    CMalformedCase{"NotAMachine", "<?xml version=\"1.0\"?>\n<Other/>\n"}, CMalformedCase{"Empty", ""},
                    CMalformedCase{"Huge", MachineText({{"System.Filler", std::string(1100000, 'x')}})}),
    [](const testing::TestParamInfo<CMalformedCase>& info) { return std::string(info.param.szName); });

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
        CLogCase{"ExitCode", "/BUPINFO /O=%DIR%\\new.bup /LF=%DIR%\\info.log", "info.log", "INFO Exit code: 0"},
        CLogCase{"FolderCreated", "/INFO /LF=%DIR%\\logs\\sub\\info.log", "logs\\sub\\info.log", "INFO Exit code: 0"},
        CLogCase{"Command", "/INFO /LF=%DIR%\\info.log", "info.log", "INFO Command: /INFO"},
        CLogCase{"Current", g_newer + " /LF=%DIR%\\up.log", "up.log", "INFO Version: 1.20"},
        CLogCase{"File", g_newer + " /LF=%DIR%\\up.log", "up.log", "INFO File version: 1.30"},
        CLogCase{"Flashed", g_newer + " /LF=%DIR%\\up.log", "up.log", "INFO Flashed vers.: 1.30"},
        CLogCase{"Failed", "/UPD /O=%DIR%\\same.bup /LF=%DIR%\\up.log", "up.log", "ERRO Exit code: 1047"},
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
    testing::Values(CPwcCase{"Genuine", [](const std::string& t) { return t; }, 0},
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
