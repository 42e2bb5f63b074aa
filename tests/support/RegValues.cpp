#include "support/RegValues.h"

#include "support/HexText.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace
{
// Journal records, one a line, tab-separated:
//   K <key>                                   a key created by the test
//   V <key> <name> <existed> <type> <hex>     a value as it was before
constexpr char g_szJournalPrefix[] = "krlx_undo_";

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

void RecordUndo(const std::vector<std::string>& f)
{
    if (f.size() == 2 && f[0] == "K")
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, f[1].c_str());
        return;
    }
    if (f.size() < 5 || f[0] != "V")
        return;
    CCUniqueHKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, f[1].c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
        return;
    if (f[3] == "1")
    {
        std::vector<BYTE> data = HexBytes(f.size() > 5 ? f[5] : "");
        RegSetValueExA(key.get(), f[2].c_str(), 0, std::stoul(f[4]), data.data(), static_cast<DWORD>(data.size()));
    }
    else
        RegDeleteValueA(key.get(), f[2].c_str());
}

// Carries out a journal's records, the newest first, and removes it.
void JournalUndo(const std::string& path)
{
    std::istringstream in(FileBytes(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        RecordUndo(Fields(*it));
    DeleteFileA(path.c_str());
}

bool ProcessAlive(DWORD dwPid)
{
    CCUniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, dwPid));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// The process that wrote a file named krlx_[undo_]<pid>_...
DWORD WriterPid(const std::string& name)
{
    size_t nStart =
        name.compare(0, sizeof(g_szJournalPrefix) - 1, g_szJournalPrefix) == 0 ? sizeof(g_szJournalPrefix) - 1 : 5;
    return static_cast<DWORD>(strtoul(name.c_str() + nStart, nullptr, 10));
}
}  // namespace

CRegValues::CRegValues(std::string keyPath)
    : m_keyPath(std::move(keyPath)), m_journal(TempNameNew(".reg", g_szJournalPrefix))
{
}

CRegValues::~CRegValues()
{
    JournalUndo(m_journal);
}

void CRegValues::JournalAppend(const std::string& record)
{
    FILE* pFile = fopen(m_journal.c_str(), "ab");
    bool fWritten = pFile && fputs((record + "\n").c_str(), pFile) >= 0;
    if (pFile)
        fWritten = fclose(pFile) == 0 && fWritten;
    if (!fWritten)
        ADD_FAILURE() << "cannot journal " << record;
}

// Creates the key and every missing key above it, journalling the new ones;
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
            JournalAppend("K\t" + path);
    }
    return key;
}

void CRegValues::Save(HKEY hKey, const char* szName)
{
    if (std::find(m_savedNames.begin(), m_savedNames.end(), szName) != m_savedNames.end())
        return;
    m_savedNames.emplace_back(szName);
    DWORD dwType = 0;
    DWORD dwSize = 0;
    std::vector<BYTE> data;
    bool fExisted = RegQueryValueExA(hKey, szName, nullptr, &dwType, nullptr, &dwSize) == ERROR_SUCCESS;
    if (fExisted)
    {
        data.resize(dwSize);
        fExisted = RegQueryValueExA(hKey, szName, nullptr, &dwType, data.data(), &dwSize) == ERROR_SUCCESS;
    }
    JournalAppend("V\t" + m_keyPath + "\t" + szName + "\t" + (fExisted ? "1" : "0") + "\t" + std::to_string(dwType) +
                  "\t" + HexText(data.data(), fExisted ? dwSize : 0));
}

void CRegValues::Raw(const char* szName, DWORD dwType, const void* pData, DWORD dwSize)
{
    CCUniqueHKey key = KeyCreate();
    if (key)
        Save(key.get(), szName);
    if (!key || RegSetValueExA(key.get(), szName, 0, dwType, static_cast<const BYTE*>(pData), dwSize) != ERROR_SUCCESS)
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

int TestLeftoversUndo()
{
    std::string dir = TempDirGet();
    std::vector<std::pair<ULONGLONG, std::string>> journals;
    std::vector<std::string> others;
    WIN32_FIND_DATAA found;
    CCUniqueFind search(FindFirstFileA((dir + "krlx_*").c_str(), &found));
    for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
    {
        std::string name = found.cFileName;
        if (ProcessAlive(WriterPid(name)))
            continue;
        if (name.compare(0, sizeof(g_szJournalPrefix) - 1, g_szJournalPrefix) == 0)
            journals.emplace_back((ULONGLONG(found.ftCreationTime.dwHighDateTime) << 32) |
                                      found.ftCreationTime.dwLowDateTime,
                                  dir + name);
        else
            others.push_back(dir + name);
    }
    search.reset();
    // The newest journal first, so that a value two dead tests changed gets
    // the state from before the first.
    std::sort(journals.rbegin(), journals.rend());
    for (const auto& journal : journals)
        JournalUndo(journal.second);
    for (const std::string& other : others)
        TreeRemove(other);
    return static_cast<int>(journals.size());
}
