#include "support/RegValues.h"

#include "platform/ScopedHandle.h"

#include <gtest/gtest.h>

#include <algorithm>

CRegValues::CRegValues(std::string keyPath) : m_keyPath(std::move(keyPath)) {}

CRegValues::~CRegValues()
{
    CCUniqueHKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
    {
        for (const CSaved& saved : m_saved)
        {
            if (saved.fExisted)
                RegSetValueExA(key.get(), saved.name.c_str(), 0, saved.dwType, saved.data.data(),
                               static_cast<DWORD>(saved.data.size()));
            else
                RegDeleteValueA(key.get(), saved.name.c_str());
        }
    }
    key.reset();
    for (auto it = m_createdKeys.rbegin(); it != m_createdKeys.rend(); ++it)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, it->c_str());
}

// Creates the key and every missing key above it, remembering the new ones;
// returns the key open for setting values.
CCUniqueHKey CRegValues::KeyCreate()
{
    CCUniqueHKey key;
    for (size_t nEnd = 0; nEnd != std::string::npos;)
    {
        nEnd = m_keyPath.find('\\', nEnd + 1);
        std::string path = m_keyPath.substr(0, nEnd);
        DWORD dwDisposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                            key.put(), &dwDisposition) != ERROR_SUCCESS)
            return CCUniqueHKey();
        if (dwDisposition == REG_CREATED_NEW_KEY)
            m_createdKeys.push_back(path);
    }
    return key;
}

void CRegValues::Save(HKEY hKey, const char* szName)
{
    if (std::any_of(m_saved.begin(), m_saved.end(), [&](const CSaved& saved) { return saved.name == szName; }))
        return;
    CSaved saved;
    saved.name = szName;
    DWORD dwSize = 0;
    if (RegQueryValueExA(hKey, szName, nullptr, &saved.dwType, nullptr, &dwSize) == ERROR_SUCCESS)
    {
        saved.data.resize(dwSize);
        saved.fExisted = RegQueryValueExA(hKey, szName, nullptr, &saved.dwType, saved.data.data(), &dwSize) ==
                         ERROR_SUCCESS;
    }
    m_saved.push_back(saved);
}

void CRegValues::Raw(const char* szName, DWORD dwType, const void* pData, DWORD dwSize)
{
    CCUniqueHKey key = KeyCreate();
    if (key)
        Save(key.get(), szName);
    if (!key ||
        RegSetValueExA(key.get(), szName, 0, dwType, static_cast<const BYTE*>(pData), dwSize) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot set " << m_keyPath << "\\" << szName;
}

void CRegValues::Delete(const char* szName)
{
    CCUniqueHKey key = KeyCreate();
    if (!key)
        return;
    Save(key.get(), szName);
    RegDeleteValueA(key.get(), szName);
}

void CRegValues::Dword(const char* szName, DWORD dwValue)
{
    Raw(szName, REG_DWORD, &dwValue, sizeof(dwValue));
}

void CRegValues::String(const char* szName, const std::string& value, DWORD dwType)
{
    Raw(szName, dwType, value.c_str(), static_cast<DWORD>(value.size() + 1));
}
