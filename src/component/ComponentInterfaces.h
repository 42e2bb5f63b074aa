// Interfaces shared by the program and the components it creates: the
// business-logic engine's interface and the component model's own
// initialisation interface. The stand-in engine includes this header too.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

// The engine's interface. The program reaches it through the IUnknown
// pointer it creates, so the method order is the contract: the three
// IUnknown methods, four methods the program never calls, Execute, Continue.
struct IDiDEreveObj : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(BSTR CmdLine, BSTR CmdLineOri, BSTR* output, BSTR* errorText,
                                              ULONG* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE Continue(BSTR* output, BSTR* errorText, ULONG* status) = 0;
};

// {887003CB-46B0-4BF4-9F4A-3CD45130F60A}
struct IComponentInit : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName,
                                                 VARIANT_BOOL* success) = 0;
};

inline constexpr IID IID_IComponentInit = {
    0x887003CB, 0x46B0, 0x4BF4, {0x9F, 0x4A, 0x3C, 0xD4, 0x51, 0x30, 0xF6, 0x0A}};

// The engine's ProgID and the class context the program creates it with
// (in-process server and handler, local and remote server).
inline constexpr char g_szDiDEreveProgID[] = "DiDEreve.DiDEreveObj";
inline constexpr DWORD g_dwDiDEreveClsCtx = 0x17;
