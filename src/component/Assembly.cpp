// The component loader's life and the steps shared by the program's own
// initialisation and a host's.
#include "component/Assembly.h"

#include "component/AssemblyText.h"
#include "component/AssemblyTrace.h"

#include <cstdint>

namespace
{
// Any function of this file lies in the module that holds the component
// model's code.
void ModuleAnchor() {}
}  // namespace

CCAssembly::CCAssembly()
{
    CCMethodTrace trace("CCAssembly::CCAssembly", "");
    InitializeCriticalSection(&m_cs);
    trace.LeaveWith("");
}

CCAssembly::~CCAssembly()
{
    CCMethodTrace trace("CCAssembly::~CCAssembly", "An instance of CCAssembly has been destructed");
    m_hModuleMutex.reset();
    DeleteCriticalSection(&m_cs);
    trace.LeaveWith("");
}

bool CCAssembly::InitializeCommon()
{
    static const char s_szFunction[] = "CCAssembly::InitializeCommon";
    CCMethodTrace trace(s_szFunction, "Method InitializeCommon has been called");
    const struct
    {
        bool (CCAssembly::*pfnStep)();
        const char* szFailure;
    } rgSteps[] = {
        {&CCAssembly::InitializeFileNames, "InitializeFileNames failed"},
        {&CCAssembly::InitializeFileVersion, "InitializeFileVersion failed"},
        {&CCAssembly::InitializeDependencyTablesPath, "InitializeDependencyTablesPath failed"},
    };
    for (const auto& step : rgSteps)
    {
        if (!(this->*step.pfnStep)())
        {
            AssemblyErrorTrace(s_szFunction, step.szFailure);
            return trace.Leave(false);
        }
    }
    return trace.Leave(true);
}

bool CCAssembly::InitializeFeature(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName)
{
    static const char s_szFunction[] = "CCAssembly::InitializeFeature";
    CCMethodTrace trace(s_szFunction, "Method InitializeFeature has been called");
    AssemblyTextCopy(m_szFeatureName, szFeatureName);
    AssemblyTextCopy(m_szFeatureVersion, szFeatureVersion);
    AssemblyTextCopy(m_szContextName, szContextName);
    if (!InitializeFeatureList())
    {
        AssemblyErrorTrace(s_szFunction, "InitializeFeatureList failed");
        return trace.Leave(false);
    }
    m_fInitialized = true;
    return trace.Leave(true);
}

HMODULE CCAssembly::GetModuleHandleRaw()
{
    CCMethodTrace trace("CCAssembly::GetModuleHandleRaw", "Method GetModuleHandleRaw has been called");
    MEMORY_BASIC_INFORMATION mbi{};
    HMODULE hModule = nullptr;
    if (VirtualQuery(reinterpret_cast<const void*>(&ModuleAnchor), &mbi, sizeof(mbi)))
        hModule = static_cast<HMODULE>(mbi.AllocationBase);
    trace.LeaveWith("hReturn: 0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(hModule)));
    return hModule;
}
