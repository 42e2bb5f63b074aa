// A host that loads this module passes its feature in through the exported
// DllInitialize and lets go with DllUninitialize. While initialised, the
// module holds a mutex named after the process, the module and its version.
#include "component/Assembly.h"

#include "component/AssemblyTrace.h"
#include "component/ModuleEntry.h"

#include <cstdio>

bool CCAssembly::DllInitialize(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName)
{
    static const char s_szFunction[] = "CCAssembly::DllInitialize";
    CCMethodTrace trace(s_szFunction, "Method DllInitialize has been called",
                        "szFeatureName: %s szFeatureVersion: %s szContextName: %s", szFeatureName, szFeatureVersion,
                        szContextName);
    {
        CLock lock(m_cs);
        if (!InitializeCommon())
            return trace.Leave(false);
    }
    CriticalEnter();
    bool fResult;
    {
        CLock lock(m_cs);
        fResult = InitializeFeature(szFeatureName, szFeatureVersion, szContextName);
    }
    if (!fResult)
        AssemblyErrorTrace(s_szFunction, "Initialize Feature failed");
    return trace.Leave(fResult);
}

bool CCAssembly::DllUninitialize()
{
    CCMethodTrace trace("CCAssembly::DllUninitialize", "Method DllUninitialize has been called");
    CriticalLeave();
    return trace.Leave(true);
}

bool CCAssembly::CriticalEnter()
{
    static const char s_szFunction[] = "CCAssembly::CriticalEnter";
    CCMethodTrace trace(s_szFunction, "Method CriticalEnter has been called");
    if (!m_hModuleMutex)
    {
        // Named after the process: other processes never contend.
        char szName[MAX_PATH];
        snprintf(szName, sizeof(szName), "CCAssembly_PID_%8.8lx_%s_%s", GetCurrentProcessId(), m_szModuleFileName,
                 m_szFileVersion);
        m_hModuleMutex.reset(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, szName));
        if (!m_hModuleMutex)
            m_hModuleMutex.reset(CreateMutexA(nullptr, FALSE, szName));
        if (!m_hModuleMutex)
            AssemblyErrorTrace(s_szFunction, "Error creating mutex", "GetLastError: %d",
                               static_cast<int>(GetLastError()));
    }
    // An abandoned mutex does not count as acquired.
    bool fAcquired = m_hModuleMutex && WaitForSingleObject(m_hModuleMutex.get(), INFINITE) == WAIT_OBJECT_0;
    return trace.Leave(fAcquired);
}

void CCAssembly::CriticalLeave()
{
    CCMethodTrace trace("CCAssembly::CriticalLeave", "Method CriticalLeave has been called");
    // Fails quietly when this thread does not own the mutex.
    if (m_hModuleMutex)
        ReleaseMutex(m_hModuleMutex.get());
    trace.LeaveWith("");
}

BOOL DllInitialize(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName)
{
    KRLX_TRACE(eTrcInfoCC, "DllInitialize", "Enter", "", "");
    bool fResult = false;
    try
    {
        fResult = g_assembly.DllInitialize(szFeatureName ? szFeatureName : "", szFeatureVersion ? szFeatureVersion : "",
                                           szContextName ? szContextName : "");
    }
    catch (...)
    {
        AssemblyErrorTrace("DllInitialize", "Unexpected exception");
    }
    KRLX_TRACE(eTrcInfoCC, "DllInitialize", "Leave", "", "bReturn: %d", fResult ? 1 : 0);
    return fResult;
}

BOOL DllUninitialize()
{
    KRLX_TRACE(eTrcInfoCC, "DllUninitialize", "Enter", "", "");
    bool fResult = false;
    try
    {
        fResult = g_assembly.DllUninitialize();
    }
    catch (...)
    {
        AssemblyErrorTrace("DllUninitialize", "Unexpected exception");
    }
    KRLX_TRACE(eTrcInfoCC, "DllUninitialize", "Leave", "", "bReturn: %d", fResult ? 1 : 0);
    return fResult;
}
