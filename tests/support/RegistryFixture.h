// Test keys below HKEY_LOCAL_MACHINE that are removed again afterwards.
#pragma once

#include <windows.h>

#include <string>

class CTestRegistryValue
{
public:
    // Sets a value; the value, or the keys this object had to create, go at the end.
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
    std::string m_csCreatedKey;  // the topmost key this object created
};
