// The configuration commands of the simulated PC: restoring from an
// archive, archiving, combining and listing files.
#include "ConfigArchive.h"
#include "SimCommands.h"
#include "SimCommon.h"

namespace
{
const ULONG g_ulInterruptedByShutdown = 0x80040202;

unsigned AreaIf(bool fSelected, EConfigArea eArea)
{
    return fSelected ? static_cast<unsigned>(eArea) : 0u;
}

// The newest archive of the board in the folder; empty when none.
std::string ArchiveFileFind(const std::string& dir, const std::string& biosId)
{
    std::string best;
    std::string bestCreated;
    FilesVisit(dir, "*.nvux", [&](const std::string& path) {
        CValueMap archive;
        std::string reason;
        if (ConfigFileRead(path, archive, reason) && Value(archive, "System.BiosId") == biosId &&
            Value(archive, "Archive.Created") >= bestCreated)
        {
            best = path;
            bestCreated = Value(archive, "Archive.Created");
        }
    });
    return best;
}

// The archive a restore reads; false when the job ended.
bool RestoreArchiveLoad(const CValueMap& machine, const CEngineArgs& args, CValueMap& archive, CAnswers& answers)
{
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.FailStep("invalid directory");
    std::vector<std::string> values = args.Values("O");
    const std::string path = values.empty() ? ArchiveFileFind(dir, Value(machine, "System.BiosId"))
                                            : PathResolve(dir, values[0]);
    if (path.empty() || !FileExists(path))
        return answers.FailStep("invalid or missing file(s)");
    answers.Out("eFileName", path);
    std::string reason;
    if (!ConfigFileRead(path, archive, reason))
        return answers.FailStep("Can't load CMOS image file");
    if (Value(archive, "System.BiosId") != Value(machine, "System.BiosId"))
        return answers.FailStep("NVRAM update not supported");
    return true;
}

// A file that /ARC or /MAKE writes; empty when the job ended.
std::string TargetPathGet(const std::string& dir, const std::string& name, const CEngineArgs& args,
                          CAnswers& answers)
{
    const std::string path = PathResolve(dir, name);
    const char* szRefusal = nullptr;
    if (FileExists(path) && !args.Has("OV"))
        szRefusal = "Can't overwrite file";
    else if (!FileExists(FolderOf(path)))
        szRefusal = "invalid directory";
    if (!szRefusal)
        return path;
    answers.Fail(szRefusal);
    return std::string();
}

// Lines of item, tab, value for one update file or archive.
std::string UpdateItems(const CValueMap& update)
{
    return "BIOS ID\t" + Value(update, "Target.BiosId") + "\nBIOS version\t" + Value(update, "Target.Version") +
           "\nBIOS date\t" + Value(update, "Target.Date") + "\nImage\t" +
           (UpdateImageIntact(update) ? "valid" : "damaged") + "\n";
}

std::string ArchiveItems(const CValueMap& archive)
{
    size_t nSettings = 0;
    for (const auto& entry : archive)
        nSettings += entry.first.compare(0, 9, "Settings.") == 0;
    return "Archive BIOS ID\t" + Value(archive, "System.BiosId") + "\nArchived version\t" +
           Value(archive, "System.BiosVersion") + "\nCreated\t" + Value(archive, "Archive.Created") +
           "\nSettings\t" + std::to_string(nSettings) + "\nSetup password\t" +
           (Value(archive, "Passwords.SetupSha256").empty() ? "none" : "set") + "\nBoot order\t" +
           Value(archive, "BootOrder.Devices") + "\n";
}

// Lists one file; false when the job ended.
bool FileInfoList(const std::string& path, CAnswers& answers)
{
    if (!FileExists(path))
        return answers.FailStep("invalid or missing file(s)");
    answers.Out("eFileName", path);
    CValueMap values;
    std::string reason;
    if (XmlFileRead(path, "BiosUpdate", values, reason))
    {
        answers.Out("eListBupInfo", UpdateItems(values) + (UpdateIsCombined(values) ? ArchiveItems(values) : ""));
        if (!UpdateImageIntact(values))
            answers.Out("eWarning", "The BIOS image of the file is damaged");
        return true;
    }
    if (ConfigFileRead(path, values, reason))
    {
        answers.Out("eListBupInfo", ArchiveItems(values));
        return true;
    }
    const bool fArchive = path.size() > 5 && _stricmp(path.c_str() + path.size() - 5, ".nvux") == 0;
    return answers.FailStep(fArchive ? "Can't load CMOS image file" : "Can't load BIOS file");
}
}  // namespace

unsigned RestoreAreasGet(const CEngineArgs& args)
{
    const bool fWhole = args.Has("NVU") || args.Has("UPD");
    return AreaIf(fWhole || args.Has("NVRAM"), eAreaSettings) | AreaIf(fWhole || args.Has("PASSWORDS"), eAreaPasswords) |
           AreaIf(args.Has("BO"), eAreaBootOrder);
}

void RestoreRun(CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Restoring system configuration data");
    const std::string block = JobBlockGet(machine, args, true);
    if (!block.empty())
        return answers.Fail(block);
    CValueMap archive;
    if (!RestoreArchiveLoad(machine, args, archive, answers))
        return;
    if (Flag(machine, "Power.ShutdownPending"))
        return answers.Status(g_ulInterruptedByShutdown);
    CValueMap restored = machine;
    std::vector<std::string> warnings;
    ArchiveRestore(archive, RestoreAreasGet(args), restored, warnings);
    for (const std::string& warning : warnings)
        answers.Out("eWarning", warning);
    answers.Out("eInfo", "Restoring system configuration data completed");
    RebootHandle(restored, args, answers);
    machine = std::move(restored);
    answers.Done(0);
}

void ArchiveRun(const CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Archiving system configuration data");
    const std::string block = JobBlockGet(machine, args, false);
    if (!block.empty())
        return answers.Fail(block);
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.Fail("invalid directory");
    std::vector<std::string> values = args.Values("O");
    const std::string pattern = values.empty() ? std::string("#system#.nvux") : values[0];
    const std::string path = TargetPathGet(dir, PlaceholdersExpand(pattern, machine, true, dir), args, answers);
    if (path.empty())
        return;
    std::string reason;
    if (!XmlFileWrite(path, "ConfigArchive", ArchiveFromMachine(machine), reason))
        return answers.Fail("Could not write to archive");
    answers.Out("eFileName", path);
    answers.Out("eInfo", "Archiving configuration data completed");
    answers.Done(0);
}

void MakeRun(const CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Making combined archive");
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.Fail("invalid directory");
    std::vector<std::string> bios = args.Values("BINP");
    std::vector<std::string> config = args.Values("CINP");
    if (bios.empty() || config.empty() || !FileExists(PathResolve(dir, bios[0])) ||
        !FileExists(PathResolve(dir, config[0])))
        return answers.Fail("invalid or missing file(s)");
    CValueMap update;
    CValueMap archive;
    std::string reason;
    if (!XmlFileRead(PathResolve(dir, bios[0]), "BiosUpdate", update, reason) || !UpdateImageIntact(update) ||
        UpdateIsCombined(update))
        return answers.Fail("Can't load BIOS file");
    if (!ConfigFileRead(PathResolve(dir, config[0]), archive, reason))
        return answers.Fail("Can't load CMOS image file");
    if (Value(archive, "System.BiosId") != Value(update, "Target.BiosId"))
        return answers.Fail("Making combined archive failed");
    std::vector<std::string> values = args.Values("O");
    const std::string name = values.empty() ? bios[0].substr(0, bios[0].find_last_of('.')) + "-combined.bup"
                                            : values[0];
    const std::string path = TargetPathGet(dir, PlaceholdersExpand(name, machine, true, dir), args, answers);
    if (path.empty())
        return;
    update.insert(archive.begin(), archive.end());
    if (!XmlFileWrite(path, "BiosUpdate", update, reason))
        return answers.Fail("Could not write to archive");
    answers.Out("eFileName", path);
    answers.Out("eInfo", "Combined archive created");
    answers.Done(0);
}

void BupInfoRun(const std::string& machinePath, const CValueMap& machine, const CEngineArgs& args,
                CAnswers& answers)
{
    answers.Out("eAction", "Getting detail information");
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.Fail("invalid directory");
    std::vector<std::string> paths;
    for (const std::string& value : args.Values("O"))
        paths.push_back(PathResolve(dir, value));
    if (paths.empty())
    {
        std::string found = UpdateFileFind(dir, Value(machine, "System.BiosId"));
        paths.push_back(found.empty() ? UpdateFileFind(FolderOf(machinePath), Value(machine, "System.BiosId"))
                                      : found);
    }
    for (const std::string& path : paths)
        if (!FileInfoList(path, answers))
            return;
    answers.Out("eInfo", "List BUP info completed");
    answers.Done(0);
}
