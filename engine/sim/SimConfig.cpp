// The configuration commands of the simulated PC: restoring from an
// archive, archiving, combining and listing files.
#include "ConfigArchive.h"
#include "FileSelect.h"
#include "SimCommands.h"
#include "SimCommon.h"

#include <cstdlib>

namespace
{
unsigned AreaIf(bool fSelected, EConfigArea eArea)
{
    return fSelected ? static_cast<unsigned>(eArea) : 0u;
}

// The archive a restore reads; false when the job ended.
bool RestoreArchiveLoad(const CValueMap& machine, const CEngineArgs& args, CValueMap& archive, CAnswers& answers)
{
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.FailStep("invalid directory");
    std::vector<std::string> values = args.Values("O");
    const std::string path = ObjectFileResolve(dir, values.empty() ? std::string("*.nvux") : values[0], eFileArchive,
                                               Value(machine, "System.BiosId"));
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
std::string TargetPathGet(const std::string& dir, const std::string& name, const CEngineArgs& args, CAnswers& answers)
{
    std::string path = PathResolve(dir, name);
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

// Writes a file of /ARC or /MAKE when the disk has room for it; false when
// the job ended.
bool ValuesFileWrite(const CValueMap& machine, const std::string& path, const char* szRoot, const CValueMap& values,
                     CAnswers& answers)
{
    const std::string text = XmlTextBuild(szRoot, values);
    const std::string free = Value(machine, "Disk.FreeBytes");
    if (!free.empty() && text.size() > strtoull(free.c_str(), nullptr, 10))
        return answers.FailStep("Insufficient disk space");
    std::string reason;
    if (!FileWriteAtomic(path, text, reason))
        return answers.FailStep("Could not write to archive");
    answers.Out("eFileName", path);
    return true;
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
           Value(archive, "System.BiosVersion") + "\nCreated\t" + Value(archive, "Archive.Created") + "\nSettings\t" +
           std::to_string(nSettings) + "\nSetup password\t" +
           (Value(archive, "Passwords.SetupSha256").empty() ? "none" : "set") + "\nBoot order\t" +
           Value(archive, "BootOrder.Devices") + "\n";
}

bool ArchiveNamed(const std::string& name)
{
    return name.size() > 5 && _stricmp(name.c_str() + name.size() - 5, ".nvux") == 0;
}

// Lists one file; false when the job ended.
bool FileInfoList(const std::string& path, CAnswers& answers)
{
    if (path.empty() || !FileExists(path))
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
    return answers.FailStep(ArchiveNamed(path) ? "Can't load CMOS image file" : "Can't load BIOS file");
}
}  // namespace

unsigned RestoreAreasGet(const CEngineArgs& args)
{
    const bool fWhole = args.Has("NVU") || args.Has("UPD");
    return AreaIf(fWhole || args.Has("NVRAM"), eAreaSettings) |
           AreaIf(fWhole || args.Has("PASSWORDS"), eAreaPasswords) | AreaIf(args.Has("BO"), eAreaBootOrder);
}

void RestoreRun(CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Restoring system configuration data");
    const std::string block = JobBlockGet(machine, args, true);
    if (!block.empty())
        return answers.Fail(block);
    CValueMap archive;
    if (!RestoreArchiveLoad(machine, args, archive, answers) || !WriteStart(machine, answers))
        return;
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
    if (!ValuesFileWrite(machine, path, "ConfigArchive", ArchiveFromMachine(machine), answers))
        return;
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
    const std::string biosId = Value(machine, "System.BiosId");
    const std::string biosPath = bios.empty() ? std::string() : ObjectFileResolve(dir, bios[0], eFileUpdate, biosId);
    const std::string configPath =
        config.empty() ? std::string() : ObjectFileResolve(dir, config[0], eFileArchive, biosId);
    if (biosPath.empty() || configPath.empty() || !FileExists(biosPath) || !FileExists(configPath))
        return answers.Fail("invalid or missing file(s)");
    CValueMap update;
    CValueMap archive;
    std::string reason;
    if (!XmlFileRead(biosPath, "BiosUpdate", update, reason) || !UpdateImageIntact(update) || UpdateIsCombined(update))
        return answers.Fail("Can't load BIOS file");
    if (!ConfigFileRead(configPath, archive, reason))
        return answers.Fail("Can't load CMOS image file");
    if (Value(archive, "System.BiosId") != Value(update, "Target.BiosId"))
        return answers.Fail("Making combined archive failed");
    std::vector<std::string> values = args.Values("O");
    const std::string biosName = biosPath.substr(biosPath.find_last_of("\\/") + 1);
    const std::string name =
        values.empty() ? biosName.substr(0, biosName.find_last_of('.')) + "-combined.bup" : values[0];
    const std::string path = TargetPathGet(dir, PlaceholdersExpand(name, machine, true, dir), args, answers);
    if (path.empty())
        return;
    update.insert(archive.begin(), archive.end());
    if (!ValuesFileWrite(machine, path, "BiosUpdate", update, answers))
        return;
    answers.Out("eInfo", "Combined archive created");
    answers.Done(0);
}

void BupInfoRun(const std::string& machinePath, const CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Getting detail information");
    if (Value(machine, "Bios.BupInfoSupported") == "0")
        return answers.Fail("List content of BupInfo.xml is not supported");
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.Fail("invalid directory");
    // A pattern lists the file that /UPD (or, for archives, /NVU) would take.
    const std::string biosId = Value(machine, "System.BiosId");
    std::vector<std::string> paths;
    for (const std::string& value : args.Values("O"))
        paths.push_back(ObjectFileResolve(dir, value, ArchiveNamed(value) ? eFileArchive : eFileUpdate, biosId));
    if (paths.empty())
        paths.push_back(UpdateFileChoose(machinePath, dir, std::string(), biosId));
    for (const std::string& path : paths)
        if (!FileInfoList(path, answers))
            return;
    answers.Out("eInfo", "List BUP info completed");
    answers.Done(0);
}
