#include "platform/RegistryFixture.h"

#include <utility>

CTestRegistryValue::CTestRegistryValue(const char* szKey, const char* szName, DWORD dwType,
                                       const void* pData, DWORD dwSize)
    : m_csKey(szKey), m_csName(szName)
{
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        &dwDisposition) != ERROR_SUCCESS)
        return;
    m_fKeyCreated = dwDisposition == REG_CREATED_NEW_KEY;
    RegSetValueExA(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), dwSize);
    RegCloseKey(hKey);
}

CTestRegistryValue::CTestRegistryValue(CTestRegistryValue&& other) noexcept
    : m_csKey(std::move(other.m_csKey)), m_csName(std::move(other.m_csName)), m_fKeyCreated(other.m_fKeyCreated)
{
    other.m_csKey.clear();
}

CTestRegistryValue::~CTestRegistryValue()
{
    if (m_csKey.empty())
        return;
    if (m_fKeyCreated)
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_csKey.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_csKey.c_str());
        return;
    }
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_csKey.c_str(), 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS)
    {
        RegDeleteValueA(hKey, m_csName.c_str());
        RegCloseKey(hKey);
    }
}

CTestRegistryValue CTestRegistryValue::Dword(const char* szKey, const char* szName, DWORD dwValue)
{
    return CTestRegistryValue(szKey, szName, REG_DWORD, &dwValue, sizeof(dwValue));
}
