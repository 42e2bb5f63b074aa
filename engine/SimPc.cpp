#include "SimPc.h"

#include "EngineArgs.h"
#include "MachineFile.h"

#include <windows.h>

#include <cstdlib>

namespace
{
const ULONG g_ulNoSupportModule = 0x80040205;
const ULONG g_ulRollbackForbidden = 0x8004F206;
const ULONG g_ulInterruptedByShutdown = 0x80040202;

// The answers of one run, built up call by call.
class CAnswers
{
public:
    CAnswers() : m_blocks(1) {}
    void Out(const std::string& token, const std::string& text)
    {
        m_blocks.back().output += "<" + token + ">" + text + "\n";
    }
    void Next(DWORD dwSleepMs = 0)
    {
        m_blocks.emplace_back();
        m_blocks.back().dwSleepMs = dwSleepMs;
    }
    // Ends the dialogue with the exit code of the job.
    void Done(int nCode)
    {
        Out("eJobDone", std::to_string(nCode));
        if (m_blocks.size() == 1)
            Next();  // Execute answers first, the end comes with Continue
        m_blocks.back().ulStatus = 1;
    }
    void Fail(const std::string& text)
    {
        Out("eError", text);
        Done(0);
    }
    // Ends the dialogue at once with a status of Execute.
    void Status(ULONG ulStatus)
    {
        m_blocks.resize(1);
        m_blocks[0].ulStatus = ulStatus;
    }
    std::vector<CScriptBlock> Take() { return std::move(m_blocks); }

private:
    std::vector<CScriptBlock> m_blocks;
};

bool Flag(const CValueMap& machine, const char* szName)
{
    auto it = machine.find(szName);
    return it != machine.end() && it->second == "1";
}

std::string Value(const CValueMap& values, const char* szName)
{
    auto it = values.find(szName);
    return it == values.end() ? std::string() : it->second;
}

std::string FolderOf(const std::string& path)
{
    size_t nSlash = path.find_last_of("\\/");
    return nSlash == std::string::npos ? std::string(".") : path.substr(0, nSlash);
}

// Conditions of the operating system and the security state that stop any
// update; empty when there is none.
std::string SystemBlockGet(const CValueMap& machine)
{
    if (Flag(machine, "Security.UnsupportedOs"))
        return "Unsupported Operating System";
    if (Flag(machine, "Security.SetupAwaitsReboot"))
        return "Ambrel setup awaits reboot";
    if (Flag(machine, "Security.KorlixAwaitsReboot"))
        return "Korlix awaits reboot";
    if (Flag(machine, "Security.BitLocker"))
        return "No update action possible with Bitlocker protected drives";
    if (Flag(machine, "Security.Txt"))
        return "No update action possible with TXT processor extension enabled";
    const std::string blocked = Value(machine, "Bios.AccessBlocked");
    if (blocked == "previous")
        return "BIOS access was blocked after previous operation";
    if (blocked == "untilreboot")
        return "BIOS access is blocked until next reboot";
    if (blocked == "checkfailed")
        return "Checking BIOS access state failed";
    return std::string();
}

bool PasswordAccepted(const CValueMap& machine, const CEngineArgs& args)
{
    const std::string stored = Value(machine, "Security.SetupPasswordSha256");
    if (stored.empty())
        return true;
    std::vector<std::string> values = args.Values("PWD");
    bool fOk = !values.empty() && Sha256Hex(values[0]) == stored;
    for (std::string& value : values)
        SecureZeroMemory(&value[0], value.size());
    return fOk;
}

// Power conditions of the update; empty when the update may go on.
std::string PowerBlockGet(const CValueMap& machine, const CEngineArgs& args)
{
    const bool fIac = args.Has("IAC");
    if (fIac && !Flag(machine, "Power.IgnoreAcSupported"))
        return "/IGNOREAC parameter is not supported on this system.";
    if (Value(machine, "Power.Type") != "notebook")
        return std::string();
    const std::string ac = Value(machine, "Power.Ac");
    const std::string battery = Value(machine, "Power.Battery");
    const bool fBatteryPercent = !battery.empty() && isdigit(static_cast<unsigned char>(battery[0]));
    const int nPercent = fBatteryPercent ? atoi(battery.c_str()) : 0;
    if (args.Has("W"))
    {
        if (battery == "unknown")
            return ac == "connected" ? "The battery capacity couldn't be recognized. Please do not use /W parameter."
                                     : "The battery capacity couldn't be recognized. Please connect AC adapter and do not use /W parameter.";
        if (battery == "absent")
            return "The battery is not attached. Please plug in charged battery or do not use /W parameter.";
        if (nPercent < 50)
            return "The remaining battery capacity is too low. Please charge the battery or do not use /W parameter.";
    }
    if (ac == "unknown" && !fIac)
        return "Could not recognize AC adapter on the notebook system. Please contact support helpdesk.";
    if (ac == "disconnected" && !fIac)
        return "AC adapter is not connected on the notebook system. Please plug in AC adapter cable.";
    if (ac == "connected")
        return std::string();
    if (battery == "unknown")
        return "Could not recognize battery capacity on the notebook system. Please contact support helpdesk.";
    if (battery == "absent")
        return "The battery is not attached. Please plug in charged battery and try again.";
    if (nPercent < 30)
        return "The remaining battery capacity is too low. Please charge the battery and try again.";
    return std::string();
}

// Checks an update file's image against its hash; false when damaged.
bool UpdateImageIntact(const CValueMap& update)
{
    const std::string image = Value(update, "Image");
    return !image.empty() && Sha256Hex(image) == Value(update, "Image.Sha256");
}

// The newest intact update file of this board in a folder; empty when none.
std::string UpdateFileFind(const std::string& folder, const std::string& biosId)
{
    WIN32_FIND_DATAA data;
    std::string best;
    std::string bestVersion;
    HANDLE hFind = FindFirstFileA((folder + "\\" + biosId + "-*.bup").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return best;
    do
    {
        std::string path = folder + "\\" + data.cFileName;
        CValueMap update;
        std::string reason;
        if (!XmlFileRead(path, "BiosUpdate", update, reason) || Value(update, "Target.BiosId") != biosId ||
            !UpdateImageIntact(update))
            continue;
        if (best.empty() || VersionCompare(Value(update, "Target.Version"), bestVersion) > 0)
        {
            best = path;
            bestVersion = Value(update, "Target.Version");
        }
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return best;
}

std::string UpdatePathGet(const std::string& machinePath, const CValueMap& machine, const CEngineArgs& args)
{
    std::vector<std::string> values = args.Values("O");
    if (!values.empty())
        return values[0];
    const std::string biosId = Value(machine, "System.BiosId");
    std::string path = UpdateFileFind(".", biosId);
    return path.empty() ? UpdateFileFind(FolderOf(machinePath), biosId) : path;
}

void FlashProgress(CAnswers& answers)
{
    answers.Out("eAction", "Updating system BIOS");
    for (int nPercent = 25; nPercent <= 100; nPercent += 25)
    {
        answers.Next(150);
        answers.Out("eActionPart", std::to_string(nPercent) + "%");
    }
    answers.Next();
}

void RebootHandle(CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    if (args.Has("FRB") || args.Has("ARB"))
    {
        answers.Out("eShutDown", "");
        machine["Security.KorlixAwaitsReboot"] = "1";
    }
}

void UpdateRun(const std::string& machinePath, CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    answers.Out("eAction", "Checking update file(s)");
    std::string block = SystemBlockGet(machine);
    if (block.empty() && !PasswordAccepted(machine, args))
        block = "Invalid password";
    if (block.empty())
        block = PowerBlockGet(machine, args);
    if (!block.empty())
        return answers.Fail(block);
    if (Flag(machine, "Security.HyperV"))
        answers.Out("eWarning", "Microsoft-Hyper-V-Hypervisor is active");
    const std::string path = UpdatePathGet(machinePath, machine, args);
    CValueMap update;
    std::string reason;
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return answers.Fail("invalid or missing file(s)");
    answers.Out("eFileName", path);
    if (!XmlFileRead(path, "BiosUpdate", update, reason) || !UpdateImageIntact(update))
        return answers.Fail("Can't load BIOS file");
    if (Value(update, "Target.BiosId") != Value(machine, "System.BiosId"))
        return answers.Status(g_ulNoSupportModule);
    const std::string current = Value(machine, "Bios.Version");
    const std::string version = Value(update, "Target.Version");
    answers.Out("eBiosCurrentVersion", current);
    answers.Out("eBiosFileVersion", version);
    const int nOrder = VersionCompare(version, current);
    if (nOrder == 0 && !(args.Has("OV") && Flag(machine, "Bios.SameVersionOverwrite")))
        return answers.Fail("Overwriting the same version is not possiblie with this BIOS");
    if (nOrder < 0 && Flag(machine, "Bios.RollbackForbidden"))
        return answers.Status(g_ulRollbackForbidden);
    if (nOrder < 0 && Flag(machine, "Bios.DowngradeProhibited"))
        return answers.Fail("Downgrading to this BIOS version is prohibited.");
    if (Flag(machine, "Bios.WriteProtected"))
        return answers.Fail("Flash device is write protected");
    if (Flag(machine, "Power.ShutdownPending"))
        return answers.Status(g_ulInterruptedByShutdown);
    if (Flag(machine, "Bios.PostUpdate") || Flag(update, "Target.PostOnly"))
    {
        machine["Post.Action"] = "pending";
        machine["Post.Status"] = "pending";
        machine["Post.PendingVersion"] = version;
        machine["Post.PendingDate"] = Value(update, "Target.Date");
        answers.Out("eInfo", "BIOS update prepared for POST flash");
        RebootHandle(machine, args, answers);
        return answers.Done(400);
    }
    FlashProgress(answers);
    machine["Bios.Version"] = version;
    machine["Bios.Date"] = Value(update, "Target.Date");
    answers.Out("eBiosFlashedVersion", version);
    answers.Out("eInfo", "BIOS update completed");
    RebootHandle(machine, args, answers);
    answers.Done(0);
}

void ActionStatusRun(const CValueMap& machine, CAnswers& answers)
{
    if (Value(machine, "Bios.AstSupported") == "0")
        return answers.Fail("Display last action status information is not supported");
    const std::string status = Value(machine, "Post.Status");
    const char* szText = "POST update action succeeded";
    if (status == "failed")
        szText = "POST update action failed";
    else if (status == "pending")
        szText = "POST update action pending";
    else if (status == "skipped")
        szText = "POST update action skipped";
    // The item list starts right after the token.
    answers.Out("eActionStatus", std::string("Action status\t") + szText);
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
    if (!args.Parse(cmdLine, argsReason))
        answers.Fail("Invalid command line");
    else if (args.Command() == "UPD")
        UpdateRun(machinePath, machine, args, answers);
    else if (args.Command() == "AST")
        ActionStatusRun(machine, answers);
    else if (args.Command() == "INFO")
        InfoRun(machine, answers);
    else
        answers.Done(0);
    if (machine != before && !XmlFileWrite(machinePath, "Machine", machine, reason))
        return false;
    blocks = answers.Take();
    return true;
}
