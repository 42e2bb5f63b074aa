// The process trace object: one record per call, tab-separated columns,
// written into a UTF-16 trace file configured in the registry.
#pragma once

#include <windows.h>

#include <cstdarg>
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

// Final: the layout, two virtual slots included, is shared with other
// modules, so nothing may derive from it.
class CCQuillTrace final
{
public:
    // keyTemplate: registry key below baseKey ("%ModuleName%\%ModuleVersion%");
    // flags: construction flags; lockPrefix: start of the trace lock's name.
    CCQuillTrace(const char* szKeyTemplate, unsigned nFlags, const char* szLockPrefix, const char* szBaseKey);
    ~CCQuillTrace();
    CCQuillTrace(const CCQuillTrace&) = delete;
    CCQuillTrace& operator=(const CCQuillTrace&) = delete;

    // Slot 0: adopts the settings of the main executable's trace object
    // when that one is already tracing; else publishes this object.
    virtual bool AttachToHost(const char* szExportName, CCQuillTrace* pSelf, CCQuillTrace** ppExportVariable);
    // Slot 1: reads the configuration from HKEY_LOCAL_MACHINE\baseKey+keyTemplate.
    virtual void Configure(const char* szKeyTemplate, unsigned nFlags, const char* szBaseKey);

    void Trace(unsigned nLevel, const char* szFunction, const char* szLabel, const char* szText, const char* szFormat,
               ...);
    void TraceBuildInfo(unsigned nLevel, const char* szFunction, const char* szLabel);

    // Base address of the module that holds the trace code.
    HMODULE GetModuleHandleRaw();

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

private:
    struct CPayload;

    // Records (QuillTrace.cpp).
    bool LevelLock(unsigned nLevel);
    void LockCreate();
    void LockRelease();
    bool RecordFormat(unsigned nLevel, const char* szFunction, const char* szLabel, const char* szText,
                      const char* szFormat, va_list args);
    void RecordEnd();
    bool BufferAppend(const char* szFormat, ...);
    bool BufferAppendV(const char* szFormat, va_list args);
    bool BufferGrow(size_t nNeeded);
    bool BufferResize(uint32_t nNewSize);
    void SettingsAdopt(const CCQuillTrace& host);
    const char* ModulePathGet(char (&szPath)[MAX_PATH]);
    void ModuleNameSet();

    // Configuration (QuillTraceConfig.cpp).
    void ConfigRead(HKEY hRoot, const char* szPath, unsigned nFlags);
    void ResetSettings();
    void ApplyFlags(unsigned nFlags);
    void KeyPathExpand(const char* szTemplate, char* szOut, size_t nCapacity);
    void FileNameExpand(const char* szFileName);
    void FileNameTokens();
    void ShowEnableInfo();

    // Files (QuillTraceFile.cpp).
    void Flush();
    void WriteText(const wchar_t* szText);
    void PayloadWrite(const CPayload& payload);
    void PayloadAppend(const CPayload& payload);
    void FileInitCheck();
    bool LimitCheck(const CPayload& payload);
    bool FileSwitch(const CPayload& payload);
    void SwitchNameBuild(wchar_t* szOut, size_t nCapacity);
    void FallbackWrite(const char* szFormat, ...);
    void FileCreate();
    static bool FileExists(const wchar_t* szName);
};

// The process trace object and the exported pointer to it.
extern CCQuillTrace g_trace;
extern "C" __declspec(dllexport) CCQuillTrace* gg_ptrc;

#define KRLX_TRACE(...) g_trace.Trace(__VA_ARGS__)
