// One registry key named by a full path that starts with a root name such
// as "HKEY_LOCAL_MACHINE"; opened on demand with the rights its owner gave.
#pragma once

#include <windows.h>

#include <cstdint>

class CCRegKey
{
public:
    CCRegKey(const char* szPath, REGSAM samRequired);
    ~CCRegKey();
    CCRegKey(const CCRegKey&) = delete;
    CCRegKey& operator=(const CCRegKey&) = delete;

    bool Open(REGSAM sam);
    bool Close();
    bool PrepareOpen(REGSAM samRequired, bool& fOpenedHere);
    bool ValueQuery(const char* szName, DWORD& dwType, BYTE* pData, DWORD& dwSize);
    bool ValueGetString(const char* szName, char* szBuffer, DWORD& dwSize);

    LONG LastError() const { return m_lLastErr; }
    HKEY Root() const { return m_hKeyParent; }
    const char* KeyName() const { return m_lpszKeyName; }

private:
    void NameCopy(const char* szName);

    HKEY m_hKey = nullptr;
    HKEY m_hKeyParent = nullptr;
    char* m_lpszKeyName = nullptr;
    REGSAM m_samCurrent = 0;
    LONG m_lLastErr = 0;
};
