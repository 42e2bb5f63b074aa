// Registry values below HKEY_LOCAL_MACHINE set for one test and removed again
// when the owner goes, together with the keys it had to create: tests share
// the prefix's registry.
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

private:
    CCUniqueHKey KeyCreate();

    std::string m_keyPath;
    std::vector<std::string> m_createdKeys;
    std::vector<std::string> m_names;
};
