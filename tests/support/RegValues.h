// Registry values below HKEY_LOCAL_MACHINE set or deleted for one test; when
// the owner goes, values that existed before get their old type and data
// back, new ones are removed together with the keys it had to create: tests
// share the prefix's registry.
#pragma once

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <string>
#include <vector>

class CRegValues
{
public:
    explicit CRegValues(std::string keyPath);
    ~CRegValues();
    CRegValues(const CRegValues&) = delete;
    CRegValues& operator=(const CRegValues&) = delete;

    void Dword(const char* szName, DWORD dwValue);
    void String(const char* szName, const std::string& value, DWORD dwType = REG_SZ);
    // Any type with any bytes, for values of the wrong type or size.
    void Raw(const char* szName, DWORD dwType, const void* pData, DWORD dwSize);
    // Removes a value for the test.
    void Delete(const char* szName);

private:
    struct CSaved
    {
        std::string name;
        bool fExisted = false;
        DWORD dwType = 0;
        std::vector<BYTE> data;
    };

    CCUniqueHKey KeyCreate();
    // Remembers a value as it was before the test first changes it.
    void Save(HKEY hKey, const char* szName);

    std::string m_keyPath;
    std::vector<std::string> m_createdKeys;
    std::vector<CSaved> m_saved;
};
