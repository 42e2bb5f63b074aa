// Registry values below HKEY_LOCAL_MACHINE set or deleted for one test; when
// the owner goes, values that existed before get their old type and data
// back, new ones are removed together with the keys it had to create: tests
// share the prefix's registry. Every change is journalled in a file before it
// is made, so that a test process that dies leaves an undo behind, which
// TestLeftoversUndo carries out at the start of the next run.
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
    CCUniqueHKey KeyCreate();
    // Journals a value as it was before the test first changes it.
    void Save(HKEY hKey, const char* szName);
    void JournalAppend(const std::string& record);

    std::string m_keyPath;
    std::string m_journal;
    std::vector<std::string> m_savedNames;
};

// Undoes the registry changes of test processes that died before their
// owners could, and removes the temporary files and folders they left; the
// processes still running are left alone. Returns the number of journals
// undone.
int TestLeftoversUndo();
