// Test keys below HKEY_LOCAL_MACHINE that are removed again afterwards.
#pragma once

#include <windows.h>

#include <string>

class CTestRegistryValue
{
public:
    // Sets a value; the value (and a key this object created) goes at the end.
    CTestRegistryValue(const char* szKey, const char* szName, DWORD dwType, const void* pData,
                       DWORD dwSize);
    ~CTestRegistryValue();
    CTestRegistryValue(CTestRegistryValue&& other) noexcept;
    CTestRegistryValue(const CTestRegistryValue&) = delete;
    CTestRegistryValue& operator=(const CTestRegistryValue&) = delete;

    static CTestRegistryValue Dword(const char* szKey, const char* szName, DWORD dwValue);

private:
    std::string m_csKey;
    std::string m_csName;
    bool m_fKeyCreated = false;
};
