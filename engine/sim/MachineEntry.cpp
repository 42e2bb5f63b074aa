// Entry points for rundll32: reset the simulated PC to its factory state and
// boot it. Both act on DIDEREVE_MACHINE or the default machine file.
#include "FactoryMachine.h"
#include "MachineFile.h"
#include "Record.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

namespace
{
// The machine file, even when the default one does not exist yet.
std::string MachineTargetGet()
{
    std::string path = MachinePathGet();
    if (!path.empty())
        return path;
    char szPath[MAX_PATH];
    DWORD dwLen = GetEnvironmentVariableA("ProgramData", szPath, sizeof(szPath));
    if (dwLen == 0 || dwLen >= sizeof(szPath))
        return std::string();
    return std::string(szPath) + "\\Tervane\\DiDEreve\\Machine.xml";
}

void MachineResetRun()
{
    std::string reason;
    std::string path = MachineTargetGet();
    if (!FileWriteAtomic(path, g_szFactoryMachine, reason))
        RecordWrite({"error", reason});
    else
        RecordWrite({"reset", path});
}

void MachineRebootRun()
{
    CCComApartment apartment(COINIT_MULTITHREADED);
    std::string reason;
    std::string path = MachineTargetGet();
    CValueMap machine;
    if (!XmlFileRead(path, "Machine", machine, reason))
    {
        RecordWrite({"error", reason});
        return;
    }
    MachineBoot(machine);
    if (!XmlFileWrite(path, "Machine", machine, reason))
        RecordWrite({"error", reason});
    else
        RecordWrite({"reboot", path});
}
}  // namespace

extern "C" void CALLBACK MachineReset(HWND, HINSTANCE, LPSTR, int)
{
    try
    {
        MachineResetRun();
    }
    catch (...)
    {
    }
}

extern "C" void CALLBACK MachineReboot(HWND, HINSTANCE, LPSTR, int)
{
    try
    {
        MachineRebootRun();
    }
    catch (...)
    {
    }
}
