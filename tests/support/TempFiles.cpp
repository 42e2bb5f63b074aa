#include "support/TempFiles.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <utility>

std::string TempDirGet()
{
    char szDir[MAX_PATH];
    GetTempPathA(MAX_PATH, szDir);
    return szDir;
}

std::string TempNameNew(const char* szSuffix, const char* szPrefix)
{
    static std::atomic<unsigned> s_nNext{0};
    return TempDirGet() + szPrefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(s_nNext++) + szSuffix;
}

void TreeRemove(const std::string& path)
{
    {
        WIN32_FIND_DATAA found;
        CCUniqueFind search(FindFirstFileA((path + "\\*").c_str(), &found));
        for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
        {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                TreeRemove(child);
            else
                DeleteFileA(child.c_str());
        }
    }
    RemoveDirectoryA(path.c_str());
    DeleteFileA(path.c_str());
}

CTempFile::CTempFile(const char* szSuffix) : m_path(TempNameNew(szSuffix))
{
    DeleteFileA(m_path.c_str());
}

CTempFile::~CTempFile()
{
    DeleteFileA(m_path.c_str());
}

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    FILE* pFile = fopen(path.c_str(), "rb");
    if (!pFile)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        bytes.append(buffer, n);
    fclose(pFile);
    return bytes;
}

void FileWrite(const std::string& path, const std::string& bytes)
{
    FILE* pFile = fopen(path.c_str(), "wb");
    if (!pFile)
        return;
    fwrite(bytes.data(), 1, bytes.size(), pFile);
    fclose(pFile);
}

void CTempFile::Write(const std::string& bytes) const
{
    FileWrite(m_path, bytes);
}

std::string CTempFile::Read() const
{
    return FileBytes(m_path);
}

COwnedFile::COwnedFile(std::string path, const std::string& bytes) : m_path(std::move(path))
{
    FileWrite(m_path, bytes);
}

COwnedFile::~COwnedFile()
{
    DeleteFileA(m_path.c_str());
}

CTempDir::CTempDir() : m_path(TempNameNew(".dir"))
{
    TreeRemove(m_path);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

CTempDir::~CTempDir()
{
    TreeRemove(m_path);
}
