// The process trace object: one record per call, tab-separated columns,
// written into a UTF-16 trace file configured in the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

enum ETraceLevel : unsigned
{
    eTrcError = 1,
    eTrcWarning = 2,
    eTrcInfo = 3,
    eTrcVerbose = 4,
    eTrcInfoCC = 5,
    eTrcVerboseCC = 6,
};

class CCQuillTrace
{
public:
    // keyTemplate: registry key below baseKey ("%ModuleName%\%ModuleVersion%");
    // flags: construction flags; lockPrefix: start of the trace lock's name.
    CCQuillTrace(const char* szKeyTemplate, unsigned nFlags, const char* szLockPrefix,
                 const char* szBaseKey);
    ~CCQuillTrace();
    CCQuillTrace(const CCQuillTrace&) = delete;
    CCQuillTrace& operator=(const CCQuillTrace&) = delete;

    // Slot 0: adopts the settings of the main executable's trace object
    // when that one is already tracing; else publishes this object.
    virtual bool AttachToHost(const char* szExportName, CCQuillTrace* pSelf,
                              CCQuillTrace** ppExportVariable);
    // Slot 1: reads the configuration from the registry.
    virtual void Configure();

    void Trace(unsigned nLevel, const char* szFunction, const char* szLabel, const char* szText,
               const char* szFormat, ...);
    void TraceBuildInfo(unsigned nLevel, const char* szFunction, const char* szLabel);

    static HMODULE GetModuleHandleRaw();

    // Text of an HRESULT or system error code, in a static buffer of its own.
    static const char* ErrorText(DWORD dwCode);

    // Fields in their interface order: other modules of the process reach
    // this object through gg_ptrc.
    uint8_t m_fClear = 0;
    uint8_t m_fFilePending = 0;
    uint8_t m_fKeepHistory = 0;
    HANDLE m_hLock = nullptr;
    wchar_t* m_pszFileName = nullptr;
    uint32_t m_nLevel = 0;
    uint32_t m_nLimitSize = 0;
    uint32_t m_nFileSize = 0;
    uint32_t m_nLimitTime = 0;
    int64_t m_tNextSwitch = 0;
    wchar_t* m_pszModuleName = nullptr;
    uint8_t* m_pBuffer = nullptr;
    uint32_t m_nBufferSize = 0;
    uint64_t m_nBufferPos = 0;
    const char* m_pszLockPrefix = nullptr;
    FILE* m_pFile = nullptr;
    uint8_t m_fKeepFileOpen = 0;
    const char* const* m_ppszLevelNames = nullptr;
    uint8_t m_fEnabled = 0;
    uint8_t m_fModuleColumn = 0;
    uint8_t m_fInfoShown = 0;
};

// The process trace object and the exported pointer to it.
extern CCQuillTrace g_trace;
extern "C" __declspec(dllexport) CCQuillTrace* gg_ptrc;

#define KRLX_TRACE(...) g_trace.Trace(__VA_ARGS__)
