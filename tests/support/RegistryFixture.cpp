#include "support/RegistryFixture.h"

#include <utility>

namespace
{
// The first key of the path that does not exist yet, or an empty text.
std::string FirstMissingKey(const std::string& path)
{
    for (size_t nEnd = path.find('\\'); ; nEnd = path.find('\\', nEnd + 1))
    {
        std::string prefix = path.substr(0, nEnd);
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, prefix.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return prefix;
        RegCloseKey(hKey);
        if (nEnd == std::string::npos)
            return std::string();
    }
}
}  // namespace

CTestRegistryValue::CTestRegistryValue(const char* szKey, const char* szName, DWORD dwType,
                                       const void* pData, DWORD dwSize)
    : m_csKey(szKey), m_csName(szName), m_csCreatedKey(FirstMissingKey(szKey))
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), dwSize);
    RegCloseKey(hKey);
}

CTestRegistryValue::CTestRegistryValue(CTestRegistryValue&& other) noexcept
    : m_csKey(std::move(other.m_csKey)), m_csName(std::move(other.m_csName)),
      m_csCreatedKey(std::move(other.m_csCreatedKey))
{
    other.m_csKey.clear();
}

CTestRegistryValue::~CTestRegistryValue()
{
    if (m_csKey.empty())
        return;
    if (!m_csCreatedKey.empty())
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_csCreatedKey.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_csCreatedKey.c_str());
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
