#include "SimCommon.h"

#include "PwcText.h"
#include "SimPc.h"
#include "crypt/SecretWipe.h"
#include "platform/ScopedHandle.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <ctime>

namespace
{
const ULONG g_ulInterruptedByShutdown = 0x80040202;
const ULONG g_ulCancelledByUser = 0x80040204;

const char* OsBlockGet(const CValueMap& machine)
{
    if (Flag(machine, "Security.UnsupportedOs"))
        return "Unsupported Operating System";
    if (Flag(machine, "Security.SetupAwaitsReboot"))
        return "Ambrel setup awaits reboot";
    if (Flag(machine, "Security.KorlixAwaitsReboot"))
        return "Korlix awaits reboot";
    return nullptr;
}

const char* AccessBlockGet(const CValueMap& machine)
{
    const std::string blocked = Value(machine, "Bios.AccessBlocked");
    if (blocked == "previous")
        return "BIOS access was blocked after previous operation";
    if (blocked == "untilreboot")
        return "BIOS access is blocked until next reboot";
    if (blocked == "checkfailed")
        return "Checking BIOS access state failed";
    if (blocked == "denied")
        return "Access denied.";
    return nullptr;
}

// The clear text given with /PWD or read back from /PWC; false for a /PWC
// text that cannot be read.
bool PasswordGiven(const CEngineArgs& args, std::string& password, bool& fGiven)
{
    std::vector<std::string> crypted = args.Values("PWC");
    std::vector<std::string> clear = args.Values("PWD");
    fGiven = !crypted.empty() || !clear.empty();
    bool fOk = true;
    if (!crypted.empty())
        fOk = PwcTextDecode(crypted.back(), password);
    else if (!clear.empty())
        password = clear.back();
    for (std::string& value : crypted)
        SecretTextWipe(value);
    for (std::string& value : clear)
        SecretTextWipe(value);
    return fOk;
}

std::string DateText(const char* szFormat)
{
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_s(&local, &now);
    char sz[32] = {};
    strftime(sz, sizeof(sz), szFormat, &local);
    return sz;
}

bool Replace(std::string& text, const char* szPlaceholder, const std::string& value)
{
    const std::string placeholder = szPlaceholder;
    bool fFound = false;
    for (size_t nPos = 0; nPos + placeholder.size() <= text.size();)
    {
        if (_strnicmp(text.c_str() + nPos, szPlaceholder, placeholder.size()) != 0)
        {
            ++nPos;
            continue;
        }
        text.replace(nPos, placeholder.size(), value);
        nPos += value.size();
        fFound = true;
    }
    return fFound;
}
}  // namespace

bool Flag(const CValueMap& values, const char* szName)
{
    auto it = values.find(szName);
    return it != values.end() && it->second == "1";
}

std::string Value(const CValueMap& values, const char* szName)
{
    auto it = values.find(szName);
    return it == values.end() ? std::string() : it->second;
}

namespace
{
// BitLocker and TXT only stop jobs that write to the BIOS.
std::string SystemBlockGet(const CValueMap& machine, bool fWrites)
{
    if (const char* szBlock = OsBlockGet(machine))
        return szBlock;
    if (fWrites && Flag(machine, "Security.BitLocker"))
        return "No update action possible with Bitlocker protected drives";
    if (fWrites && Flag(machine, "Security.Txt"))
        return "No update action possible with TXT processor extension enabled";
    const char* szBlock = AccessBlockGet(machine);
    return szBlock ? szBlock : std::string();
}

// The setup password of /PWD or /PWC against the stored one. A /PWC text
// that cannot be read back is refused even without a stored password.
bool PasswordAccepted(const CValueMap& machine, const CEngineArgs& args)
{
    std::string password;
    bool fGiven = false;
    if (!PasswordGiven(args, password, fGiven))
        return false;
    const std::string stored = Value(machine, "Security.SetupPasswordSha256");
    const bool fOk = stored.empty() || (fGiven && Sha256Hex(password) == stored);
    SecretTextWipe(password);
    return fOk;
}

// The minimum battery capacity: /BPC=<percent>, none with /BPC=HIGHRISK,
// else 20 percent.
int BatteryMinimumGet(const CEngineArgs& args)
{
    std::vector<std::string> values = args.Values("BPC");
    if (values.empty())
        return 20;
    return _stricmp(values.back().c_str(), "HIGHRISK") == 0 ? 0 : atoi(values.back().c_str());
}

// The battery with /W, on AC or not; empty when it will do.
const char* WarningOffBatteryBlockGet(const std::string& ac, const std::string& battery, bool fLow)
{
    if (battery == "unknown")
        return ac == "connected" ? "The battery capacity couldn't be recognized. Please do not use /W parameter."
                                 : "The battery capacity couldn't be recognized. Please connect AC adapter and do not "
                                   "use /W parameter.";
    if (battery == "absent")
        return "The battery is not attached. Please plug in charged battery or do not use /W parameter.";
    if (fLow)
        return "The remaining battery capacity is too low. Please charge the battery or do not use /W parameter.";
    return "";
}

// The battery when the notebook runs without AC (/IAC); empty when it will do.
const char* BatteryOnlyBlockGet(const std::string& battery, bool fLow)
{
    if (battery == "unknown")
        return "Could not recognize battery capacity on the notebook system. Please contact support helpdesk.";
    if (battery == "absent")
        return "The battery is not attached. Please plug in charged battery and try again.";
    if (fLow)
        return "The remaining battery capacity is too low. Please charge the battery and try again.";
    return "";
}

// Power conditions of a job that writes to the BIOS; empty when it may go on.
std::string PowerBlockGet(const CValueMap& machine, const CEngineArgs& args)
{
    const bool fIac = args.Has("IAC");
    if (fIac && !Flag(machine, "Power.IgnoreAcSupported"))
        return "/IGNOREAC parameter is not supported on this system.";
    if (Value(machine, "Power.Type") != "notebook")
        return std::string();
    const std::string ac = Value(machine, "Power.Ac");
    const std::string battery = Value(machine, "Power.Battery");
    const bool fLow = atoi(battery.c_str()) < BatteryMinimumGet(args);
    if (args.Has("W"))
    {
        const char* szBlock = WarningOffBatteryBlockGet(ac, battery, fLow);
        if (*szBlock)
            return szBlock;
    }
    if (ac == "unknown" && !fIac)
        return "Could not recognize AC adapter on the notebook system. Please contact support helpdesk.";
    if (ac == "disconnected" && !fIac)
        return "AC adapter is not connected on the notebook system. Please plug in AC adapter cable.";
    return ac == "connected" ? std::string() : std::string(BatteryOnlyBlockGet(battery, fLow));
}

}  // namespace

std::string JobBlockGet(const CValueMap& machine, const CEngineArgs& args, bool fWrites)
{
    std::string block = SystemBlockGet(machine, fWrites);
    if (block.empty() && !PasswordAccepted(machine, args))
        block = "Invalid password";
    return block.empty() && fWrites ? PowerBlockGet(machine, args) : block;
}

bool WriteStart(const CValueMap& machine, CAnswers& answers)
{
    const std::string confirm = Value(machine, "Security.Confirm");
    if (confirm == "missing")
        return answers.FailStep("Missing confirmation(s)");
    if (confirm == "cancel")
        return answers.StatusStep(g_ulCancelledByUser);
    if (Flag(machine, "Power.ShutdownPending"))
        return answers.StatusStep(g_ulInterruptedByShutdown);
    return true;
}

void RebootHandle(CValueMap& machine, const CEngineArgs& args, CAnswers& answers)
{
    if (args.Has("FRB") || args.Has("ARB"))
    {
        answers.Out("eShutDown", "");
        machine["Security.KorlixAwaitsReboot"] = "1";
    }
}

bool UpdateImageIntact(const CValueMap& update)
{
    const std::string image = Value(update, "Image");
    return !image.empty() && Sha256Hex(image) == Value(update, "Image.Sha256");
}

bool WorkDirGet(const CEngineArgs& args, std::string& dir)
{
    std::vector<std::string> values = args.Values("WD");
    dir = values.empty() ? std::string(".") : values.back();
    // A drive's root keeps its backslash.
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/') && dir[dir.size() - 2] != ':')
        dir.pop_back();
    const DWORD dwAttributes = GetFileAttributesA(dir.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PathResolve(const std::string& dir, const std::string& name)
{
    const bool fAbsolute =
        (name.size() > 1 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
    return fAbsolute || dir == "." ? name : dir + "\\" + name;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FolderOf(const std::string& path)
{
    size_t nSlash = path.find_last_of("\\/");
    return nSlash == std::string::npos ? std::string(".") : path.substr(0, nSlash);
}

std::string PlaceholdersExpand(const std::string& pattern, const CValueMap& machine, bool fSystem,
                               const std::string& dir)
{
    std::string text = pattern;
    if (fSystem)
        Replace(text, "#system#", Value(machine, "System.BiosId"));
    Replace(text, "#name#", Value(machine, "System.NetworkName"));
    Replace(text, "#domain#", Value(machine, "System.Domain"));
    Replace(text, "#date#", DateText("%m-%d-%Y"));
    Replace(text, "#time#", DateText("%H%M%S"));
    Replace(text, "#baseboard#", Value(machine, "System.BaseBoard"));
    Replace(text, "#model#", Value(machine, "System.Model"));
    Replace(text, "#biosversion#", Value(machine, "Bios.Version"));
    for (int nNo = 1; nNo < 10000; ++nNo)
    {
        std::string numbered = text;
        if (!Replace(numbered, "#no#", std::to_string(nNo)) || !FileExists(PathResolve(dir, numbered)))
            return numbered;
    }
    return text;
}
