// Creating a component that the dependency table lists, and handing it the
// feature of this module through IComponentInit.
#include "component/Assembly.h"

#include "component/AssemblyTrace.h"
#include "component/ComponentInterfaces.h"
#include "platform/Msc.h"

namespace
{
const char g_szCoCreateInstance[] = "CCAssembly::CoCreateInstance";
}  // namespace

HRESULT CCAssembly::CoCreateInstance(const char* szProgID, void** ppv, IUnknown* pUnkOuter, DWORD dwClsContext,
                                     REFIID riid)
{
    CCMethodTrace trace(g_szCoCreateInstance, "Method CoCreateInstance has been called", "szProgID: %s", szProgID);
    HRESULT hr = ComponentCreate(szProgID, ppv, pUnkOuter, dwClsContext, riid);
    trace.LeaveWith("hr: 0x%08X, '%s'", static_cast<unsigned>(hr), CCQuillTrace::ErrorText(static_cast<DWORD>(hr)));
    return hr;
}

// The interface the caller asked for stays with the caller even when the
// component's initialisation fails.
HRESULT CCAssembly::ComponentCreate(const char* szProgID, void** ppv, IUnknown* pUnkOuter, DWORD dwClsContext,
                                    REFIID riid)
{
    if (!m_fInitialized)
    {
        AssemblyErrorTrace(g_szCoCreateInstance, "Component model not intialized. No work can be done!");
        return E_FAIL;
    }
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(szProgID, &clsid);
    if (FAILED(hr))
    {
        AssemblyHrErrorTrace(g_szCoCreateInstance, "CLSIDFromProgId returned an error!", hr);
        return hr;
    }
    CCComPtr<IUnknown> component;
    hr = ::CoCreateInstance(clsid, pUnkOuter, dwClsContext, IID_IUnknown, component.put_void());
    if (FAILED(hr))
    {
        AssemblyHrErrorTrace(g_szCoCreateInstance, "CoCreateInstance on IUnknown failed!", hr);
        return hr;
    }
    hr = component->QueryInterface(riid, ppv);
    if (FAILED(hr))
    {
        AssemblyHrErrorTrace(g_szCoCreateInstance, "QueryInterface on the requested Interface failed!", hr);
        return hr;
    }
    KRLX_TRACE(eTrcVerboseCC, g_szCoCreateInstance, "Internal", "COM creation succeeded, now calling IComponentInit!",
               "");
    return ComponentInitialize(component.get());
}

HRESULT CCAssembly::ComponentInitialize(IUnknown* pComponent)
{
    CCComPtr<IComponentInit> init;
    HRESULT hr = pComponent->QueryInterface(IID_IComponentInit, init.put_void());
    if (FAILED(hr))
    {
        AssemblyHrErrorTrace(g_szCoCreateInstance, "QueryInterface on IComponentInit failed!", hr);
        return hr;
    }
    CCBstr featureName(MscBstrFromText(m_szFeatureName));
    CCBstr featureVersion(MscBstrFromText(m_szFeatureVersion));
    CCBstr contextName(MscBstrFromText(m_szContextName));
    VARIANT_BOOL vbSuccess = VARIANT_FALSE;
    hr = init->Initialize(featureName.get(), featureVersion.get(), contextName.get(), &vbSuccess);
    if (vbSuccess == VARIANT_FALSE)
    {
        AssemblyHrErrorTrace(g_szCoCreateInstance, "Calling IComponentInit->Initialize failed!", hr);
        if (SUCCEEDED(hr))
            hr = E_UNEXPECTED;
    }
    return hr;
}
