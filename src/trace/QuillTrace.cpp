// The trace object itself: its life, the record layout, the growing record
// buffer, the named trace lock and the hand-over to other modules.
#include "trace/QuillTrace.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const g_rgszLevelNames[] = {"\tError", "\tWarning", "\tInfo", "\tVerbose", "\tInfoCC", "\tVerboseCC"};
constexpr unsigned g_nLevelCount = sizeof(g_rgszLevelNames) / sizeof(g_rgszLevelNames[0]);
constexpr uint32_t g_nBufferStartSize = 4096;
// Characters that may not appear in a semaphore name or that come from the
// path syntax of the file name.
constexpr wchar_t g_szLockNameDropped[] = L"<>:\"/\\|";

#ifdef _WIN64
constexpr char g_szPlatform[] = "(amd64)";
#else
constexpr char g_szPlatform[] = "(x86)";
#endif

// "Class::Method" gives the class and the method column; a plain name
// belongs to no class.
const char* SplitFunctionName(const char* szFunction, char (&szClass)[MAX_PATH])
{
    const char* pSeparator = strstr(szFunction, "::");
    if (!pSeparator)
    {
        static constexpr char s_szGlobal[] = "<global>";
        memcpy(szClass, s_szGlobal, sizeof(s_szGlobal));
        return szFunction;
    }
    size_t nClass = static_cast<size_t>(pSeparator - szFunction);
    if (nClass >= MAX_PATH)
        nClass = MAX_PATH - 1;
    memcpy(szClass, szFunction, nClass);
    szClass[nClass] = '\0';
    return pSeparator + 2;
}

// The file name and extension of a path.
const char* PathFileNamePart(const char* szPath)
{
    const char* szName = szPath;
    for (const char* p = szPath; *p; ++p)
    {
        if (*p == '\\' || *p == '/' || *p == ':')
            szName = p + 1;
    }
    return szName;
}
}  // namespace

CCQuillTrace* gg_ptrc = nullptr;

CCQuillTrace::CCQuillTrace(const char* szKeyTemplate, unsigned nFlags, const char* szLockPrefix, const char* szBaseKey)
{
    m_ppszLevelNames = g_rgszLevelNames;
    m_pBuffer = static_cast<uint8_t*>(malloc(g_nBufferStartSize));
    m_nBufferSize = m_pBuffer ? g_nBufferStartSize : 0;
    m_pszFileName = static_cast<wchar_t*>(calloc(MAX_PATH, sizeof(wchar_t)));
    m_pszLockPrefix = szLockPrefix;
    // Without its two blocks the object cannot trace; it stays off.
    if (m_pBuffer && m_pszFileName)
        Configure(szKeyTemplate, nFlags, szBaseKey);
}

CCQuillTrace::~CCQuillTrace()
{
    if (m_fKeepFileOpen && m_pFile)
    {
        fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (m_hLock)
        CloseHandle(m_hLock);
    m_hLock = nullptr;
    BufferResize(0);
    free(m_pszFileName);
    m_pszFileName = nullptr;
    free(m_pszModuleName);
    m_pszModuleName = nullptr;
    m_fEnabled = 0;
}

bool CCQuillTrace::AttachToHost(const char* szExportName, CCQuillTrace* pSelf, CCQuillTrace** ppExportVariable)
{
    FARPROC pExport = GetProcAddress(GetModuleHandleA(nullptr), szExportName);
    CCQuillTrace* pHost = pExport ? *reinterpret_cast<CCQuillTrace**>(reinterpret_cast<void*>(pExport)) : nullptr;
    if (!pHost || !pHost->m_fEnabled || !pHost->m_fModuleColumn)
    {
        *ppExportVariable = pSelf;
        return false;
    }
    SettingsAdopt(*pHost);
    return true;
}

// Takes over the executable's settings, so that all modules write into one
// file under one lock.
void CCQuillTrace::SettingsAdopt(const CCQuillTrace& host)
{
    m_fClear = host.m_fClear;
    m_fFilePending = host.m_fFilePending;
    m_fKeepHistory = host.m_fKeepHistory;
    m_fInfoShown = host.m_fInfoShown;
    m_nLevel = host.m_nLevel;
    m_nLimitSize = host.m_nLimitSize;
    m_nFileSize = host.m_nFileSize;
    m_nLimitTime = host.m_nLimitTime;
    m_tNextSwitch = host.m_tNextSwitch;
    wcsncpy(m_pszFileName, host.m_pszFileName, MAX_PATH - 1);
    m_pszFileName[MAX_PATH - 1] = L'\0';
    m_fEnabled = 1;
    m_fModuleColumn = 1;
    HANDLE hProcess = GetCurrentProcess();
    if (!DuplicateHandle(hProcess, host.m_hLock, hProcess, &m_hLock, 0, FALSE, DUPLICATE_SAME_ACCESS))
        m_hLock = nullptr;
    ModuleNameSet();
}

void CCQuillTrace::Trace(unsigned nLevel, const char* szFunction, const char* szLabel, const char* szText,
                         const char* szFormat, ...)
{
    if (!LevelLock(nLevel))
        return;
    va_list args;
    va_start(args, szFormat);
    if (RecordFormat(nLevel, szFunction, szLabel, szText, szFormat, args))
        RecordEnd();
    va_end(args);
    LockRelease();
}

void CCQuillTrace::TraceBuildInfo(unsigned nLevel, const char* szFunction, const char* szLabel)
{
    Trace(nLevel, szFunction, szLabel, "BUILD INFORMATION", "RELEASE %s; TIME=%s, %s, this=0x%p", g_szPlatform,
          __DATE__, __TIME__, static_cast<void*>(this));
}

HMODULE CCQuillTrace::GetModuleHandleRaw()
{
    static const char s_szFunction[] = "CCQuillTrace::GetModuleHandleRaw";
    Trace(eTrcInfoCC, s_szFunction, "Enter", "", "");
    MEMORY_BASIC_INFORMATION mbi{};
    HMODULE hModule = nullptr;
    // Any function of this file lies in the module's image.
    if (VirtualQuery(reinterpret_cast<const void*>(&SplitFunctionName), &mbi, sizeof(mbi)))
        hModule = static_cast<HMODULE>(mbi.AllocationBase);
    Trace(eTrcInfoCC, s_szFunction, "Leave", "", "hReturn: 0x%08X",
          static_cast<unsigned>(reinterpret_cast<uintptr_t>(hModule)));
    return hModule;
}

// Records above the configured level cost one comparison and no lock.
bool CCQuillTrace::LevelLock(unsigned nLevel)
{
    if (!m_fEnabled || nLevel > m_nLevel || nLevel == 0 || nLevel > g_nLevelCount)
        return false;
    if (!m_hLock)
        LockCreate();
    return m_hLock && WaitForSingleObject(m_hLock, INFINITE) == WAIT_OBJECT_0;
}

// The lock is named after the process and the trace file, so that every
// trace object of the process that writes this file shares it.
void CCQuillTrace::LockCreate()
{
    char szName[MAX_PATH];
    int nLen = _snprintf(szName, sizeof(szName), "%s%8.8lx_", m_pszLockPrefix, GetCurrentProcessId());
    if (nLen < 0)
        return;
    for (const wchar_t* p = m_pszFileName; *p; ++p)
    {
        char szChar[MB_LEN_MAX];
        int nChar = wcschr(g_szLockNameDropped, *p) ? 0 : wctomb(szChar, *p);
        if (nChar <= 0)
            continue;
        if (nLen + nChar >= MAX_PATH)
            break;
        memcpy(szName + nLen, szChar, static_cast<size_t>(nChar));
        nLen += nChar;
    }
    szName[nLen] = '\0';
    m_hLock = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, szName);
    if (!m_hLock)
        m_hLock = CreateSemaphoreA(nullptr, 1, 1, szName);
}

void CCQuillTrace::LockRelease()
{
    ReleaseSemaphore(m_hLock, 1, nullptr);
}

// The columns and the detail of one record; false when tracing had to stop.
bool CCQuillTrace::RecordFormat(unsigned nLevel, const char* szFunction, const char* szLabel, const char* szText,
                                const char* szFormat, va_list args)
{
    char szClass[MAX_PATH];
    const char* szMethod = SplitFunctionName(szFunction, szClass);
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_nBufferPos = 0;
    bool fOk = BufferAppend("%02u.%02u.%04u %02u:%02u:%02u.", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute,
                            now.wSecond) &&
               BufferAppend("%03u", now.wMilliseconds) &&
               BufferAppend("\t%04u\t%04u", GetCurrentProcessId(), GetCurrentThreadId()) &&
               BufferAppend("%s", m_ppszLevelNames[nLevel - 1]);
    if (fOk && m_fModuleColumn)
        fOk = BufferAppend("\t%S\t%s\t%s\t%s\t%s\t", m_pszModuleName, szClass, szMethod, szLabel, szText);
    else if (fOk)
        fOk = BufferAppend("\t%s\t%s\t%s\t%s\t", szClass, szMethod, szLabel, szText);
    return fOk && BufferAppendV(szFormat, args);
}

// The line feed ends the record; the record then goes to the file.
void CCQuillTrace::RecordEnd()
{
    if (m_nBufferPos + 1 < m_nBufferSize)
    {
        m_pBuffer[m_nBufferPos++] = '\n';
        m_pBuffer[m_nBufferPos] = '\0';
        Flush();
    }
    else
        WriteText(L"No space for end marker left in buffer");
}

bool CCQuillTrace::BufferAppend(const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    bool fOk = BufferAppendV(szFormat, args);
    va_end(args);
    return fOk;
}

// Appends at m_nBufferPos, growing the buffer until the text fits. False
// only when the buffer could not grow; tracing is then off.
bool CCQuillTrace::BufferAppendV(const char* szFormat, va_list args)
{
    va_list argsTry;
    va_copy(argsTry, args);
    // The runtime's truncating form: -1 when the text exceeds the free space.
    int nLen =
        _vsnprintf(reinterpret_cast<char*>(m_pBuffer + m_nBufferPos), m_nBufferSize - m_nBufferPos, szFormat, argsTry);
    va_end(argsTry);
    if (nLen < 0)
    {
        va_copy(argsTry, args);
        int nNeeded = _vscprintf(szFormat, argsTry);
        va_end(argsTry);
        // A text the runtime cannot render at all (a wide text without a
        // narrow form) leaves the column empty; more room would not help.
        if (nNeeded < 0)
            return true;
        if (!BufferGrow(static_cast<size_t>(nNeeded)))
            return false;
        va_copy(argsTry, args);
        nLen = _vsnprintf(reinterpret_cast<char*>(m_pBuffer + m_nBufferPos), m_nBufferSize - m_nBufferPos, szFormat,
                          argsTry);
        va_end(argsTry);
    }
    m_nBufferPos += static_cast<uint64_t>(nLen);
    return true;
}

// Doubles the buffer until nNeeded bytes are free after m_nBufferPos.
bool CCQuillTrace::BufferGrow(size_t nNeeded)
{
    while (m_nBufferSize - m_nBufferPos < nNeeded)
    {
        uint64_t nDoubled = 2ull * m_nBufferSize;
        if (nDoubled > UINT32_MAX || !BufferResize(static_cast<uint32_t>(nDoubled)))
        {
            m_fEnabled = 0;
            WriteText(L"Buffer allocation failed, tracing was disabled");
            return false;
        }
    }
    return true;
}

// Grows the buffer keeping the current record; 0 releases it. The buffer
// never shrinks otherwise.
bool CCQuillTrace::BufferResize(uint32_t nNewSize)
{
    if (nNewSize == 0)
    {
        free(m_pBuffer);
        m_pBuffer = nullptr;
        m_nBufferSize = 0;
        return true;
    }
    if (nNewSize <= m_nBufferSize)
        return true;
    uint8_t* pNew = static_cast<uint8_t*>(malloc(nNewSize));
    if (!pNew)
    {
        m_fEnabled = 0;
        return false;
    }
    memcpy(pNew, m_pBuffer, m_nBufferPos);
    free(m_pBuffer);
    m_pBuffer = pNew;
    m_nBufferSize = nNewSize;
    return true;
}

// Full path of the module that holds the trace code; returns its file name
// part, or null on failure.
const char* CCQuillTrace::ModulePathGet(char (&szPath)[MAX_PATH])
{
    DWORD dwLen = GetModuleFileNameA(GetModuleHandleRaw(), szPath, MAX_PATH);
    if (dwLen == 0 || dwLen >= MAX_PATH)
        return nullptr;
    return PathFileNamePart(szPath);
}

// The module column: the module's file name with extension, in UTF-16.
void CCQuillTrace::ModuleNameSet()
{
    free(m_pszModuleName);
    m_pszModuleName = static_cast<wchar_t*>(calloc(MAX_PATH, sizeof(wchar_t)));
    char szPath[MAX_PATH];
    const char* szName = m_pszModuleName ? ModulePathGet(szPath) : nullptr;
    if (szName)
        MultiByteToWideChar(CP_ACP, 0, szName, -1, m_pszModuleName, MAX_PATH);
}
