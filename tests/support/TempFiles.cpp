#include "support/TempFiles.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

CTempFile::CTempFile(const char* szSuffix)
{
    static std::atomic<unsigned> s_nNext{0};
    char szDir[MAX_PATH];
    GetTempPathA(MAX_PATH, szDir);
    m_path = std::string(szDir) + "krlx_" + std::to_string(GetCurrentProcessId()) + "_" +
             std::to_string(s_nNext++) + szSuffix;
    DeleteFileA(m_path.c_str());
}

CTempFile::~CTempFile()
{
    DeleteFileA(m_path.c_str());
}

void CTempFile::Write(const std::string& bytes) const
{
    FILE* pFile = fopen(m_path.c_str(), "wb");
    if (!pFile)
        return;
    fwrite(bytes.data(), 1, bytes.size(), pFile);
    fclose(pFile);
}

std::string CTempFile::Read() const
{
    std::string text;
    FILE* pFile = fopen(m_path.c_str(), "rb");
    if (!pFile)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        text.append(buffer, n);
    fclose(pFile);
    return text;
}

std::string::size_type LinesCount(const std::string& text)
{
    std::string::size_type n = 0;
    for (char ch : text)
        n += ch == '\n';
    return n;
}
