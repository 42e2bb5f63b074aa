#include "platform/RegKey.h"

#include "trace/QuillTrace.h"

#include <cstring>
#include <new>

namespace
{
struct CRootName
{
    const char* szName;
    HKEY hKey;
};

// Matched in this order as a case-sensitive prefix; the empty name matches
// everything and leaves the root null.
const CRootName g_rgRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {"HKEY_USERS", HKEY_USERS},
    {"", nullptr},
};

bool IsPredefinedRoot(HKEY hKey)
{
    for (const CRootName& root : g_rgRoots)
    {
        if (root.hKey && root.hKey == hKey)
            return true;
    }
    return false;
}

bool HasRights(REGSAM samHeld, REGSAM samRequired)
{
    return (samHeld & samRequired) == samRequired;
}
}  // namespace

CCRegKey::CCRegKey(const char* szPath, REGSAM samRequired)
{
    KRLX_TRACE(eTrcVerboseCC, "CCRegKey::CCRegKey", "Enter", "", "name='%s'", szPath ? szPath : "");
    const char* szPathText = szPath ? szPath : "";
    for (const CRootName& root : g_rgRoots)
    {
        size_t nLen = strlen(root.szName);
        if (strncmp(szPathText, root.szName, nLen) == 0)
        {
            m_hKeyParent = root.hKey;
            // The subkey follows the root name and one separator.
            NameCopy(strlen(szPathText) > nLen ? szPathText + nLen + 1 : szPathText + nLen);
            break;
        }
    }
    m_samCurrent = samRequired;
    KRLX_TRACE(eTrcVerboseCC, "CCRegKey::CCRegKey", "Leave", "", "");
}

CCRegKey::~CCRegKey()
{
    KRLX_TRACE(eTrcVerboseCC, "CCRegKey::~CCRegKey", "Enter", "", "");
    Close();
    m_hKeyParent = nullptr;
    delete[] m_lpszKeyName;
    m_lpszKeyName = nullptr;
    KRLX_TRACE(eTrcVerboseCC, "CCRegKey::~CCRegKey", "Leave", "", "");
}

void CCRegKey::NameCopy(const char* szName)
{
    if (!szName)
    {
        KRLX_TRACE(eTrcError, "CCRegKey::NameCopy", "Internal", "lpszKeyName is null", "");
        return;
    }
    size_t nLen = strlen(szName) + 1;
    char* szCopy = new (std::nothrow) char[nLen];
    if (!szCopy)
    {
        KRLX_TRACE(eTrcError, "CCRegKey::NameCopy", "Internal", "Memory allocation error", "nLen=%d",
                   static_cast<int>(nLen));
        return;
    }
    memcpy(szCopy, szName, nLen);
    delete[] m_lpszKeyName;
    m_lpszKeyName = szCopy;
}

bool CCRegKey::Open(REGSAM sam)
{
    KRLX_TRACE(eTrcInfoCC, "CCRegKey::Open", "Enter", "", "sam=0x%X", static_cast<unsigned>(sam));
    HKEY hKey = nullptr;
    m_lLastErr = m_hKeyParent ? RegOpenKeyExA(m_hKeyParent, m_lpszKeyName, 0, sam, &hKey) : ERROR_INVALID_HANDLE;
    if (m_lLastErr == ERROR_SUCCESS)
    {
        Close();
        m_hKey = hKey;
        m_samCurrent = sam;
    }
    KRLX_TRACE(eTrcInfoCC, "CCRegKey::Open", "Leave", "", "lLastErr=%ld", m_lLastErr);
    return m_lLastErr == ERROR_SUCCESS;
}

bool CCRegKey::Close()
{
    bool fOk = true;
    if (m_hKey)
    {
        fOk = RegCloseKey(m_hKey) == ERROR_SUCCESS;
        m_hKey = nullptr;
    }
    if (m_hKeyParent && !IsPredefinedRoot(m_hKeyParent))
    {
        fOk = RegCloseKey(m_hKeyParent) == ERROR_SUCCESS && fOk;
        m_hKeyParent = nullptr;
    }
    return fOk;
}

bool CCRegKey::PrepareOpen(REGSAM samRequired, bool& fOpenedHere)
{
    fOpenedHere = false;
    if (m_hKey)
    {
        if (HasRights(m_samCurrent, samRequired))
            return true;
        KRLX_TRACE(eTrcError, "CCRegKey::PrepareOpen", "Internal", "Missing required access right",
                   "samRequired=0x%X, m_samCurrent=0x%X", static_cast<unsigned>(samRequired),
                   static_cast<unsigned>(m_samCurrent));
        return false;
    }
    if (m_lpszKeyName)
        fOpenedHere = true;
    if (HasRights(m_samCurrent, samRequired))
        return Open(m_samCurrent);
    KRLX_TRACE(eTrcError, "CCRegKey::PrepareOpen", "Internal", "Missing required access rights #2",
               "samRequired=0x%X, m_samCurrent=0x%X", static_cast<unsigned>(samRequired),
               static_cast<unsigned>(m_samCurrent));
    return false;
}

bool CCRegKey::ValueQuery(const char* szName, DWORD& dwType, BYTE* pData, DWORD& dwSize)
{
    bool fOpenedHere = false;
    if (!PrepareOpen(KEY_QUERY_VALUE, fOpenedHere))
        return false;
    m_lLastErr = RegQueryValueExA(m_hKey, szName, nullptr, &dwType, pData, &dwSize);
    if (fOpenedHere)
    {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    return m_lLastErr == ERROR_SUCCESS;
}

bool CCRegKey::ValueGetString(const char* szName, char* szBuffer, DWORD& dwSize)
{
    DWORD dwCapacity = dwSize;
    dwSize = 0;
    DWORD dwType = REG_NONE;
    if (!ValueQuery(szName, dwType, reinterpret_cast<BYTE*>(szBuffer), dwCapacity))
        return false;
    dwSize = dwCapacity;
    if (!szBuffer)
        return true;
    if ((dwType == REG_SZ || dwType == REG_EXPAND_SZ) && dwSize > 0 && szBuffer[dwSize - 1] == '\0')
        return true;
    m_lLastErr = ERROR_INVALID_DATA;
    return false;
}
