// The stand-in engine object: answers Execute and Continue from a script
// (DIDEREVE_SCRIPT), from the simulated PC (DIDEREVE_MACHINE) or with a
// harmless default, and records every call.
#pragma once

#include "Script.h"
#include "component/ComponentInterfaces.h"

#include <mutex>
#include <vector>

// {6F0C2B5E-3A1D-4E8B-9C7A-52D1E0B4A9F3}
inline constexpr CLSID CLSID_DiDEreveObj = {
    0x6F0C2B5E, 0x3A1D, 0x4E8B, {0x9C, 0x7A, 0x52, 0xD1, 0xE0, 0xB4, 0xA9, 0xF3}};

// Number of live objects and server locks; the DLL can unload at zero.
extern LONG g_cEngineModuleRefs;

class CDiDEreveObj final : public IDiDEreveObj, public IComponentInit
{
public:
    CDiDEreveObj();

    // IUnknown (the engine interface's own is the object's identity)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDiDEreveObj
    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Execute(BSTR CmdLine, BSTR CmdLineOri, BSTR* output, BSTR* errorText,
                                      ULONG* status) override;
    HRESULT STDMETHODCALLTYPE Continue(BSTR* output, BSTR* errorText, ULONG* status) override;

    // IComponentInit
    HRESULT STDMETHODCALLTYPE Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName,
                                         VARIANT_BOOL* success) override;

private:
    ~CDiDEreveObj();
    HRESULT Answer(const CScriptBlock& block, BSTR* output, BSTR* errorText, ULONG* status);
    bool ScriptLoad(const std::string& cmdLine, std::string& reason);

    LONG m_cRef = 1;
    std::mutex m_mutex;
    std::vector<CScriptBlock> m_blocks;
    size_t m_nNextBlock = 0;
};
