#include "SimPc.h"

#include "ConfigArchive.h"
#include "EngineLog.h"
#include "FileSelect.h"
#include "SimCommands.h"
#include "SimCommon.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>

namespace
{
const ULONG g_ulNoSupportModule = 0x80040205;
const ULONG g_ulRollbackForbidden = 0x8004F206;
// What Hyper-V does to a flash: nothing, a warning, or a policy that blocks.
const int g_nHyperVBlocks = 33;

// Each quarter of the flash comes with an answer of its own, a moment after
// the one before, so the front end shows the progress in turn.
constexpr DWORD g_dwFlashStepMs = 40;

void FlashProgress(CAnswers& answers)
{
    answers.Out("eAction", "Updating system BIOS");
    for (int nPercent = 25; nPercent <= 100; nPercent += 25)
    {
        answers.Next(g_dwFlashStepMs);
        answers.Out("eActionPart", std::to_string(nPercent) + "%");
        if (nPercent == 50)
            answers.Hold("flash");
    }
    answers.Next();
}

// Loads the update file; false when the job ended.
bool UpdateLoad(const std::string& path, const CValueMap& machine, CValueMap& update, CAnswers& answers)
{
    std::string reason;
    if (path.empty() || !FileExists(path))
        return answers.FailStep("invalid or missing file(s)");
    answers.Out("eFileName", path);
    if (!XmlFileRead(path, "BiosUpdate", update, reason) || !UpdateImageIntact(update))
        return answers.FailStep("Can't load BIOS file");
    if (Value(update, "Target.BiosId") != Value(machine, "System.BiosId"))
        return answers.StatusStep(g_ulNoSupportModule);
    // The configuration of a combined file must be of this board as well.
    if (UpdateIsCombined(update) && Value(update, "System.BiosId") != Value(machine, "System.BiosId"))
        return answers.FailStep("Invalid file(s) for full update");
    return true;
}

// Whether a version is in a list of version patterns ("1.10,1.2*").
bool VersionListed(const std::string& version, const std::string& list)
{
    std::istringstream patterns(list);
    std::string pattern;
    while (std::getline(patterns, pattern, ','))
        if (NameMatches(pattern.c_str(), version.c_str()))
            return true;
    return false;
}

// What the update file requires: a Korlix version (/krlxver), an installed
// BIOS that Korlix can flash from, an installed version the file can
// follow. False when the job ended.
bool UpdateRequirementsMet(const CValueMap& machine, const CValueMap& update, const CEngineArgs& args,
                           CAnswers& answers)
{
    const std::string current = Value(machine, "Bios.Version");
    const std::string korlix = Value(update, "Requires.KorlixVersion");
    std::vector<std::string> given = args.Values("KRLXVER");
    if (!korlix.empty() && (given.empty() || VersionCompare(given.back(), korlix) < 0))
        return answers.FailStep("The Korlix version is not compatible with the requirement in the update file.");
    const std::string bios = Value(update, "Requires.BiosVersion");
    if (!bios.empty() && VersionCompare(current, bios) < 0)
        return answers.FailStep("Update to a Korlix compatible BIOS version is required. Please update the BIOS "
                                "using the appropriate XKJ version, e.g. 2.08XKJ.");
    const std::string from = Value(update, "Requires.UpdateFrom");
    if (!from.empty() && !VersionListed(current, from))
        return answers.FailStep("The BIOS version in the file is not update compatible with the version installed.");
    return true;
}

// The version rules and the flash device; false when the job ended.
bool UpdateAllowed(const CValueMap& machine, const CValueMap& update, const CEngineArgs& args, CAnswers& answers)
{
    const std::string current = Value(machine, "Bios.Version");
    const std::string version = Value(update, "Target.Version");
    answers.Out("eBiosCurrentVersion", current);
    answers.Out("eBiosFileVersion", version);
    if (!UpdateRequirementsMet(machine, update, args, answers))
        return false;
    const int nOrder = VersionCompare(version, current);
    if (nOrder == 0 && !(args.Has("OV") && Flag(machine, "Bios.SameVersionOverwrite")))
        return answers.FailStep("Overwriting the same version is not possiblie with this BIOS");
    if (nOrder < 0 && Flag(machine, "Bios.RollbackForbidden"))
        return answers.StatusStep(g_ulRollbackForbidden);
    if (nOrder < 0 && Flag(machine, "Bios.DowngradeProhibited"))
        return answers.FailStep("Downgrading to this BIOS version is prohibited.");
    if (Flag(machine, "Bios.WriteProtected"))
        return answers.FailStep("Flash device is write protected");
    return true;
}

// The configuration part of a combined file goes on with the BIOS.
void CombinedConfigRestore(const CValueMap& update, const CEngineArgs& args, CValueMap& machine, CAnswers& answers)
{
    if (!UpdateIsCombined(update))
        return;
    std::vector<std::string> warnings;
    ArchiveRestore(ArchivePartGet(update), RestoreAreasGet(args), machine, warnings);
    for (const std::string& warning : warnings)
        answers.Out("eWarning", warning);
    answers.Out("eInfo", "NVRAM updating completed");
}

void UpdateApply(const CValueMap& update, const CEngineArgs& args, CValueMap& machine, CAnswers& answers)
{
    const std::string version = Value(update, "Target.Version");
    if (Flag(machine, "Bios.PostUpdate") || Flag(update, "Target.PostOnly"))
    {
        machine["Post.Action"] = "pending";
        machine["Post.Status"] = "pending";
        machine["Post.PendingVersion"] = version;
        machine["Post.PendingDate"] = Value(update, "Target.Date");
        answers.Out("eInfo", "BIOS update prepared for POST flash");
        CombinedConfigRestore(update, args, machine, answers);
        RebootHandle(machine, args, answers);
        return answers.Done(400);
    }
    FlashProgress(answers);
    machine["Bios.Version"] = version;
    machine["Bios.Date"] = Value(update, "Target.Date");
    answers.Out("eBiosFlashedVersion", version);
    answers.Out("eInfo", "BIOS update completed");
    CombinedConfigRestore(update, args, machine, answers);
    RebootHandle(machine, args, answers);
    answers.Done(0);
}

void UpdateRun(const std::string& machinePath, CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Checking update file(s)");
    const std::string block = JobBlockGet(machine, args, true);
    if (!block.empty())
        return answers.Fail(block);
    std::string dir;
    if (!WorkDirGet(args, dir))
        return answers.Fail("invalid directory");
    const std::string hyperV = Value(machine, "Security.HyperV");
    if (hyperV == "block")
        return answers.Fail("Microsoft-Hyper-V-Hypervisor is active", g_nHyperVBlocks);
    if (hyperV == "1")
        answers.Out("eWarning", "Microsoft-Hyper-V-Hypervisor is active");
    std::vector<std::string> names = args.Values("O");
    const std::string path =
        UpdateFileChoose(machinePath, dir, names.empty() ? std::string() : names[0], Value(machine, "System.BiosId"));
    CValueMap update;
    if (UpdateLoad(path, machine, update, answers) && UpdateAllowed(machine, update, args, answers) &&
        WriteStart(machine, answers))
        UpdateApply(update, args, machine, answers);
}

void ActionStatusRun(const CValueMap& machine, CAnswers& answers)
{
    if (Value(machine, "Bios.AstSupported") == "0")
        return answers.Fail("Display last action status information is not supported");
    // Nothing staged yet ("") reads as succeeded: no POST update is owed.
    const std::string status = Value(machine, "Post.Status");
    const char* szText = "POST update action succeeded";
    if (status == "failed")
        szText = "POST update action failed";
    else if (status == "pending")
        szText = "POST update action pending";
    else if (status == "skipped")
        szText = "POST update action skipped";
    answers.ActionStatus(szText);
    answers.Done(0);
}

void InfoRun(const CValueMap& machine, CAnswers& answers)
{
    answers.Out("eSystem", Value(machine, "System.Model") + " (" + Value(machine, "System.BiosId") + ")");
    answers.Out("eBiosCurrentVersion", Value(machine, "Bios.Version"));
    answers.Out("eCpuId", Value(machine, "System.CpuId"));
    answers.Out("eSteppings", Value(machine, "System.Steppings"));
    answers.Out("eMicroCodeInfo", Value(machine, "System.MicroCode"));
    answers.Out("eBiosInterfaceVersion", Value(machine, "System.BiosInterface"));
    answers.Done(0);
}
void CommandRun(const std::string& machinePath, CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    const std::string command = args.Command();
    if (command == "UPD")
        UpdateRun(machinePath, machine, args, answers);
    else if (command == "NVU" || command == "NVRAM" || command == "PASSWORDS" || command == "BO")
        RestoreRun(machine, args, answers);
    else if (command == "ARC")
        ArchiveRun(machine, args, answers);
    else if (command == "MAKE")
        MakeRun(machine, args, answers);
    else if (command == "BUPINFO")
        BupInfoRun(machinePath, machine, args, answers);
    else if (command == "AST")
        ActionStatusRun(machine, answers);
    else if (command == "INFO")
        InfoRun(machine, answers);
    else
        answers.Done(0);
}
}  // namespace

int VersionCompare(const std::string& left, const std::string& right)
{
    size_t nLeft = 0;
    size_t nRight = 0;
    while (nLeft < left.size() || nRight < right.size())
    {
        long nPartLeft = atol(left.c_str() + nLeft);
        long nPartRight = atol(right.c_str() + nRight);
        if (nPartLeft != nPartRight)
            return nPartLeft < nPartRight ? -1 : 1;
        size_t nDotLeft = left.find('.', nLeft);
        size_t nDotRight = right.find('.', nRight);
        nLeft = nDotLeft == std::string::npos ? left.size() : nDotLeft + 1;
        nRight = nDotRight == std::string::npos ? right.size() : nDotRight + 1;
    }
    return 0;
}

bool SimPcRun(const std::string& machinePath, const std::string& cmdLine, std::vector<CScriptBlock>& blocks,
              std::string& reason)
{
    CValueMap machine;
    if (!XmlFileRead(machinePath, "Machine", machine, reason))
        return false;
    CEngineArgs args;
    CAnswers answers;
    std::string argsReason;
    const CValueMap before = machine;
    const bool fArgs = args.Parse(cmdLine, argsReason);
    // A log that cannot be written is a warning before the job starts.
    const bool fLog = fArgs && args.Has("LF");
    std::string logPath;
    const bool fLogReady = fLog && EngineLogPrepare(args, machine, logPath);
    if (fLog && !fLogReady)
        answers.Out("eWarning", "Log file " + logPath + " cannot be written");
    if (!fArgs)
        answers.Fail("Invalid command line");
    else
        CommandRun(machinePath, machine, args, answers);
    // A failed job leaves the machine as it was.
    if (!answers.Failed() && machine != before && !XmlFileWrite(machinePath, "Machine", machine, reason))
        return false;
    if (fLogReady)
        EngineLogWrite(logPath, args, answers);
    blocks = answers.Take();
    return true;
}
