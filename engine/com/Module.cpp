// The stand-in engine's COM server entry points: class factory and
// self-registration under the engine's ProgIDs.
#include "DiDEreveObj.h"

#include "platform/ScopedHandle.h"

#include <olectl.h>

#include <new>
#include <string>

namespace
{
HMODULE g_hEngineModule = nullptr;

const wchar_t g_szProgID[] = L"DiDEreve.DiDEreveObj";
const wchar_t g_szProgIDVersioned[] = L"DiDEreve.DiDEreveObj.1";
const wchar_t g_szDescription[] = L"DiDEreve business logic (stand-in)";

class CDiDEreveFactory final : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
        {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is a static object that lives as long as the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        CDiDEreveObj* pObj = new (std::nothrow) CDiDEreveObj();
        if (!pObj)
            return E_OUTOFMEMORY;
        HRESULT hr = pObj->QueryInterface(riid, ppv);
        pObj->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override
    {
        if (fLock)
            InterlockedIncrement(&g_cEngineModuleRefs);
        else
            InterlockedDecrement(&g_cEngineModuleRefs);
        return S_OK;
    }
};

CDiDEreveFactory g_factory;

std::wstring ClsidText()
{
    wchar_t szClsid[40];
    StringFromGUID2(CLSID_DiDEreveObj, szClsid, 40);
    return szClsid;
}

// Writes one string value below HKEY_CLASSES_ROOT, creating the key.
bool ClassesValueSet(const std::wstring& keyPath, const wchar_t* szName, const std::wstring& value)
{
    CCUniqueHKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

HRESULT RegisterServer()
{
    wchar_t szPath[MAX_PATH];
    DWORD dwLen = GetModuleFileNameW(g_hEngineModule, szPath, MAX_PATH);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return SELFREG_E_CLASS;
    const std::wstring clsid = ClsidText();
    const std::wstring clsidKey = L"CLSID\\" + clsid;
    bool fOk = ClassesValueSet(clsidKey, nullptr, g_szDescription) &&
               ClassesValueSet(clsidKey + L"\\InprocServer32", nullptr, szPath) &&
               ClassesValueSet(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
               ClassesValueSet(clsidKey + L"\\ProgID", nullptr, g_szProgIDVersioned) &&
               ClassesValueSet(clsidKey + L"\\VersionIndependentProgID", nullptr, g_szProgID) &&
               ClassesValueSet(g_szProgID, nullptr, g_szDescription) &&
               ClassesValueSet(std::wstring(g_szProgID) + L"\\CLSID", nullptr, clsid) &&
               ClassesValueSet(std::wstring(g_szProgID) + L"\\CurVer", nullptr, g_szProgIDVersioned) &&
               ClassesValueSet(g_szProgIDVersioned, nullptr, g_szDescription) &&
               ClassesValueSet(std::wstring(g_szProgIDVersioned) + L"\\CLSID", nullptr, clsid);
    return fOk ? S_OK : SELFREG_E_CLASS;
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hEngineModule = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_DiDEreveObj))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return g_cEngineModuleRefs == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllRegisterServer()
{
    try
    {
        return RegisterServer();
    }
    catch (...)
    {
        return SELFREG_E_CLASS;
    }
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    const std::wstring clsidKey = L"CLSID\\" + ClsidText();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, clsidKey.c_str());
    for (const wchar_t* szProgID : {g_szProgID, g_szProgIDVersioned})
    {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, szProgID);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, szProgID);
    }
    return S_OK;
}
