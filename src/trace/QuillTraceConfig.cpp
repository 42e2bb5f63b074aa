// The trace configuration: read once, at construction, from the tracing key
// of the program's own executable and version.
#include "trace/QuillTrace.h"

#include "platform/Msc.h"
#include "platform/ScopedHandle.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace
{
constexpr char g_szDefaultFileName[] = "Trace.trc";

// Construction flags: settings defaults applied before the registry is read.
constexpr unsigned g_nFlagModuleColumn = 0x01;
constexpr unsigned g_nFlagClear = 0x02;
constexpr unsigned g_nFlagKeepHistory = 0x10;
constexpr unsigned g_nFlagKeepFileOpen = 0x40;

// A REG_DWORD value of four bytes; otherwise dwDefault and false. Nothing is
// stored when the key cannot be opened.
bool RegDwordRead(HKEY hRoot, const char* szPath, const char* szName, DWORD& dwOut, DWORD dwDefault)
{
    CCUniqueHKey key;
    if (RegOpenKeyExA(hRoot, szPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD dwSize = sizeof(dwValue);
    if (RegQueryValueExA(key.get(), szName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &dwSize) ==
            ERROR_SUCCESS &&
        dwType == REG_DWORD && dwSize == sizeof(dwValue))
    {
        dwOut = dwValue;
        return true;
    }
    dwOut = dwDefault;
    return false;
}

// A REG_SZ value cut to nCapacity bytes with its zero; otherwise szDefault.
bool RegStringRead(HKEY hRoot, const char* szPath, const char* szName, char* szOut, size_t nCapacity,
                   const char* szDefault)
{
    CCUniqueHKey key;
    if (RegOpenKeyExA(hRoot, szPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD dwType = 0;
    DWORD dwSize = 0;
    bool fFound = false;
    if (RegQueryValueExA(key.get(), szName, nullptr, &dwType, nullptr, &dwSize) == ERROR_SUCCESS)
    {
        // One byte more than asked for, so that a value stored without its
        // zero still ends in one.
        std::vector<char> value(dwSize + 1, '\0');
        fFound = RegQueryValueExA(key.get(), szName, nullptr, &dwType, reinterpret_cast<BYTE*>(value.data()),
                                  &dwSize) == ERROR_SUCCESS &&
                 dwType == REG_SZ;
        if (fFound)
            strncpy(szOut, value.data(), nCapacity - 1);
    }
    if (!fFound)
        strncpy(szOut, szDefault, nCapacity - 1);
    szOut[nCapacity - 1] = '\0';
    return fFound;
}

// Copies a key template, replacing %ModuleName% and %ModuleVersion%; "%%" is
// one "%", unknown or unclosed names vanish. The output is cut to fit.
void KeyTemplateExpand(const char* szTemplate, const char* szModuleName, const char* szVersion, char* szOut,
                       size_t nCapacity)
{
    enum EState
    {
        eCopying,
        ePercent,
        eName
    } eState = eCopying;
    size_t nOut = 0;
    auto put = [&](const char* szText, size_t nLen) {
        for (size_t i = 0; i < nLen && nOut + 1 < nCapacity; ++i)
            szOut[nOut++] = szText[i];
    };
    auto isName = [](const char* pName, size_t nLen, const char* szName) {
        return nLen == strlen(szName) && strncmp(pName, szName, nLen) == 0;
    };
    const char* pName = nullptr;
    for (const char* p = szTemplate; *p; ++p)
    {
        switch (eState)
        {
        case eCopying:
            if (*p == '%')
                eState = ePercent;
            else
                put(p, 1);
            break;
        case ePercent:
            if (*p == '%')
            {
                put(p, 1);
                eState = eCopying;
            }
            else
            {
                pName = p;
                eState = eName;
            }
            break;
        case eName:
            if (*p == '%')
            {
                size_t nName = static_cast<size_t>(p - pName);
                if (isName(pName, nName, "ModuleName"))
                    put(szModuleName, strlen(szModuleName));
                else if (isName(pName, nName, "ModuleVersion"))
                    put(szVersion, strlen(szVersion));
                eState = eCopying;
            }
            break;
        }
    }
    szOut[nOut] = '\0';
}
}  // namespace

void CCQuillTrace::Configure(const char* szKeyTemplate, unsigned nFlags, const char* szBaseKey)
{
    char szPath[MAX_PATH];
    _snprintf(szPath, sizeof(szPath), "%s%s", szBaseKey, szKeyTemplate);
    szPath[MAX_PATH - 1] = '\0';
    ConfigRead(HKEY_LOCAL_MACHINE, szPath, nFlags);
}

// Every value is read on its own; a missing value or one of the wrong type
// leaves its default.
void CCQuillTrace::ConfigRead(HKEY hRoot, const char* szPath, unsigned nFlags)
{
    if (m_fEnabled)
        return;
    ResetSettings();
    if (AttachToHost("gg_ptrc", this, &gg_ptrc))
        return;
    ApplyFlags(nFlags);
    char szKey[MAX_PATH];
    KeyPathExpand(szPath, szKey, sizeof(szKey));
    CCUniqueHKey key;
    if (RegOpenKeyExA(hRoot, szKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;

    DWORD dwValue = 0;
    if (RegDwordRead(hRoot, szKey, "Trace", dwValue, 0) && dwValue)
    {
        m_fEnabled = 1;
        if (RegDwordRead(hRoot, szKey, "TraceClear", dwValue, 0))
            m_fClear = dwValue != 0;
        char szFileName[MAX_PATH] = "";
        RegStringRead(hRoot, szKey, "TraceFile", szFileName, sizeof(szFileName), "");
        if (szFileName[0])
            FileNameExpand(szFileName);
    }
    RegDwordRead(hRoot, szKey, "TraceLevel", dwValue, 0);
    m_nLevel = dwValue;
    RegDwordRead(hRoot, szKey, "TraceGlobalEnable", dwValue, 0);
    m_fModuleColumn = dwValue != 0;
    if (m_fModuleColumn)
        ModuleNameSet();
    if (RegDwordRead(hRoot, szKey, "TraceKeepFileOpen", dwValue, 0))
        m_fKeepFileOpen = dwValue != 0;
    if (RegDwordRead(hRoot, szKey, "TraceKeepHistory", dwValue, 0))
        m_fKeepHistory = dwValue != 0;
    RegDwordRead(hRoot, szKey, "TraceLimitSize", dwValue, 0);
    m_nLimitSize = dwValue;
    RegDwordRead(hRoot, szKey, "TraceLimitTime", dwValue, 0);
    m_nLimitTime = dwValue;
    if (RegDwordRead(hRoot, szKey, "TraceInfo", dwValue, 0) && dwValue)
    {
        m_fInfoShown = 1;
        ShowEnableInfo();
    }
}

void CCQuillTrace::ResetSettings()
{
    m_fFilePending = 1;
    m_fModuleColumn = 0;
    m_fClear = 0;
    m_fKeepHistory = 0;
    m_nLevel = 0;
    m_nLimitSize = 0;
    m_nFileSize = 0;
    m_nLimitTime = 0;
    m_tNextSwitch = 0;
    MultiByteToWideChar(CP_ACP, 0, g_szDefaultFileName, -1, m_pszFileName, MAX_PATH);
}

void CCQuillTrace::ApplyFlags(unsigned nFlags)
{
    if (nFlags & g_nFlagModuleColumn)
        m_fModuleColumn = 1;
    if (nFlags & g_nFlagClear)
        m_fClear = 1;
    if (nFlags & g_nFlagKeepHistory)
        m_fKeepHistory = 1;
    if (nFlags & g_nFlagKeepFileOpen)
        m_fKeepFileOpen = 1;
}

// The key path with the module's file name and "major.minor" file version
// filled in. A module without a version record gets an empty version.
void CCQuillTrace::KeyPathExpand(const char* szTemplate, char* szOut, size_t nCapacity)
{
    char szModulePath[MAX_PATH];
    const char* szModuleName = ModulePathGet(szModulePath);
    char szVersion[32] = "";
    // Only the fixed part counts; it is filled even without a string table.
    CMscVersionInfo info;
    if (szModuleName)
        MscVersionInfoGet(szModulePath, info);
    if (info.fixed.dwSignature == VS_FFI_SIGNATURE)
        _snprintf(szVersion, sizeof(szVersion), "%u.%2.2u", HIWORD(info.fixed.dwFileVersionMS),
                  LOWORD(info.fixed.dwFileVersionMS));
    KeyTemplateExpand(szTemplate, szModuleName ? szModuleName : "", szVersion, szOut, nCapacity);
}

// Environment variables first; a name that does not expand within MAX_PATH
// keeps the default file name.
void CCQuillTrace::FileNameExpand(const char* szFileName)
{
    char szExpanded[MAX_PATH];
    DWORD dwLen = ExpandEnvironmentStringsA(szFileName, szExpanded, sizeof(szExpanded));
    if (dwLen == 0 || dwLen > sizeof(szExpanded))
        return;
    szExpanded[MAX_PATH - 1] = '\0';
    MultiByteToWideChar(CP_ACP, 0, szExpanded, -1, m_pszFileName, MAX_PATH);
    FileNameTokens();
}

// The first "%PID%" and the first "%TID%" become the ids of the process and
// of the thread that configures tracing, so that runs can write files of
// their own.
void CCQuillTrace::FileNameTokens()
{
    const struct
    {
        const wchar_t* szToken;
        DWORD dwId;
    } rgTokens[] = {{L"%PID%", GetCurrentProcessId()}, {L"%TID%", GetCurrentThreadId()}};
    for (const auto& token : rgTokens)
    {
        const wchar_t* pFound = wcsstr(m_pszFileName, token.szToken);
        if (!pFound)
            continue;
        wchar_t szResult[MAX_PATH];
        _snwprintf(szResult, MAX_PATH, L"%.*s%04u%s", static_cast<int>(pFound - m_pszFileName), m_pszFileName,
                   static_cast<unsigned>(token.dwId), pFound + wcslen(token.szToken));
        szResult[MAX_PATH - 1] = L'\0';
        wcscpy(m_pszFileName, szResult);
    }
}

// Tells whoever starts the program by hand where the trace goes; the
// program waits until the box is closed.
void CCQuillTrace::ShowEnableInfo()
{
    char szText[MAX_PATH] = "Enable_By_RegKey: trace disabled";
    if (m_fEnabled)
        _snprintf(szText, sizeof(szText), "Enable_By_RegKey: TRACE ENABLED:\r\nFile='%S'", m_pszFileName);
    szText[MAX_PATH - 1] = '\0';
    MessageBoxA(nullptr, szText, "CCQuillTrace", MB_OK);
}
