#include "driver/Program.h"

#include "component/ComponentInterfaces.h"
#include "driver/Dialogue.h"
#include "driver/ExitFlags.h"
#include "platform/Elevation.h"
#include "platform/Msc.h"
#include "platform/ScopedHandle.h"
#include "trace/QuillTrace.h"

#include <cstdio>
#include <string>

namespace
{
constexpr DWORD g_dwReleasePause = 20;
constexpr unsigned g_idNotElevated = 5191;

// The front end's own error messages go to standard error.
void ErrorMessagePrint(unsigned idMessage)
{
    fprintf(stderr, "\n%s\n", MscLoadStringResource(idMessage));
}

// Engine work needs administrator rights.
bool ElevationRequire()
{
    if (CCElevation::IsElevated())
        return true;
    KRLX_TRACE(eTrcError, "main", "Internal", "NOT ELEVATED", "");
    g_exitFlags.Set(22);
    if (!g_fQuiet)
        ErrorMessagePrint(g_idNotElevated);
    return false;
}

// Creates the engine and runs the dialogue with it; the engine is released
// before this returns.
void EngineRun(const std::string& cmdLine, const std::string& cmdLineOri)
{
    CCComPtr<IUnknown> engine;
    HRESULT hr = DiDEreveCreate(engine);
    if (FAILED(hr))
    {
        KRLX_TRACE(eTrcError, "main", "Internal", "Business logic library not initialized",
                   "Instance of %s missing, hr=0x%8.8lx '%s'", g_szDiDEreveProgID,
                   static_cast<unsigned long>(hr), MscErrorTextGet(hr));
        g_exitFlags.Or(CExitFlags::eGeneralError);
        return;
    }
    KRLX_TRACE(eTrcInfo, "main", "Internal", "Provider is initialized", "");
    KRLX_TRACE(eTrcVerbose, "main", "Internal", "Calling pDiDEreveObj->Execute",
               "\nCmdLine='%s'\ncsCmdLineOri='%s'", cmdLine.c_str(), cmdLineOri.c_str());

    // The IUnknown the engine hands out is its engine interface.
    DiDEreveDialogueRun(reinterpret_cast<IDiDEreveObj*>(engine.get()), cmdLine, cmdLineOri);

    KRLX_TRACE(eTrcInfo, "main", "Internal", "Releasing DiDEreve", "");
    engine.reset();
    Sleep(g_dwReleasePause);
}
}  // namespace

int KorlixMain(int, char*[])
{
    g_trace.TraceBuildInfo(eTrcInfo, "main", "Internal");
    g_exitFlags.Set(0);
    {
        CCComApartment apartment(COINIT_MULTITHREADED);
        if (FAILED(apartment.Result()))
        {
            KRLX_TRACE(eTrcError, "main", "Internal", "CoInitializeEx failed", "hr=0x%X, '%s'",
                       static_cast<unsigned>(apartment.Result()), MscErrorTextGet(apartment.Result()));
            g_exitFlags.Or(CExitFlags::eGeneralError);
        }
        else
        {
            if (!CCElevation::IsElevated())
                KRLX_TRACE(eTrcWarning, "main", "Internal", "NOT ELEVATED", "");
            std::string cmdLine = GetCommandLineA();
            if (ElevationRequire())
                EngineRun(cmdLine, cmdLine);
        }
        KRLX_TRACE(eTrcInfo, "main", "Leave", "", "ERRORLEVEL=%d", static_cast<int>(g_exitFlags.Get()));
    }
    return static_cast<int>(g_exitFlags.Get());
}
