#include "platform/Msc.h"

#include "trace/QuillTrace.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace
{
void OutputSet(std::string* pOut, const std::string& value)
{
    if (pOut)
        *pOut = value;
}

// The runtime's drive/directory/name/extension split, done on strings: the
// runtime's own writes into fixed buffers and overruns them on long names.
void StandardSplit(const std::string& path, std::string* pDrive, std::string* pDir, std::string* pFname,
                   std::string* pExt)
{
    size_t nDirStart = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    size_t nLastSlash = path.find_last_of("\\/");
    size_t nNameStart = nLastSlash == std::string::npos || nLastSlash < nDirStart ? nDirStart : nLastSlash + 1;
    size_t nDot = path.rfind('.');
    size_t nExtStart = nDot == std::string::npos || nDot < nNameStart ? path.size() : nDot;
    OutputSet(pDrive, path.substr(0, nDirStart));
    OutputSet(pDir, path.substr(nDirStart, nNameStart - nDirStart));
    OutputSet(pFname, path.substr(nNameStart, nExtStart - nNameStart));
    OutputSet(pExt, path.substr(nExtStart));
}

// Position of the backslash that ends the root of a network path: the first
// prefix for which the system can tell the free disk space.
size_t NetworkRootFind(const std::string& path)
{
    for (size_t nPos = path.find('\\', 2); nPos != std::string::npos; nPos = path.find('\\', nPos + 1))
    {
        ULARGE_INTEGER free;
        if (GetDiskFreeSpaceExA(path.substr(0, nPos + 1).c_str(), &free, nullptr, nullptr))
            return nPos;
    }
    return std::string::npos;
}
}  // namespace

DWORD MscExpandEnvironmentStrings(const char* szSrc, char* szDst, DWORD dwSize)
{
    constexpr size_t nExpandLimit = 32767;
    if (strlen(szSrc) >= nExpandLimit)
    {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    const DWORD dwLen = ExpandEnvironmentStringsA(szSrc, szDst, dwSize);
    // A result that fits ends before the last byte, so this changes nothing.
    if (szDst && dwSize)
        szDst[dwSize - 1] = '\0';
    return dwLen;
}

bool MscMakeRealPath(std::string& path)
{
    char szExpanded[MAX_PATH];
    DWORD dwLen = MscExpandEnvironmentStrings(path.c_str(), szExpanded, MAX_PATH);
    if (dwLen == 0 || dwLen > MAX_PATH)
    {
        KRLX_TRACE(eTrcError, "MscMakeRealPath", "Internal", "ExpandEnvironmentStrings failed", "%s",
                   MscLastErrorText());
        return true;
    }
    char szFull[MAX_PATH];
    errno = 0;
    if (!_fullpath(szFull, szExpanded, MAX_PATH))
    {
        KRLX_TRACE(eTrcError, "MscMakeRealPath", "Internal", "_tfullpath failed", "errno=%d", errno);
        path = szExpanded;
        return true;
    }
    path = szFull;
    return true;
}

void MscSplitPath(const char* szPath, std::string* pDrive, std::string* pDir, std::string* pFname, std::string* pExt)
{
    std::string path = szPath ? szPath : "";
    size_t nRoot = path.compare(0, 2, "\\\\") == 0 && pDrive ? NetworkRootFind(path) : std::string::npos;
    if (nRoot == std::string::npos)
    {
        StandardSplit(path, pDrive, pDir, pFname, pExt);
        return;
    }
    size_t nLastSlash = path.rfind('\\');
    size_t nDot = path.find('.', nLastSlash + 1);
    OutputSet(pDrive, path.substr(0, nRoot));
    OutputSet(pDir, path.substr(nRoot, nLastSlash + 1 - nRoot));
    if (nDot != std::string::npos)
        OutputSet(pExt, path.substr(nDot));
    OutputSet(pFname,
              path.substr(nLastSlash + 1, nDot == std::string::npos ? std::string::npos : nDot - nLastSlash - 1));
}

// The runtime's path builder, done on strings so that long parts cannot
// overrun a buffer: a drive letter with its colon, the directory closed by a
// backslash, the name, and the extension with its dot.
static std::string StandardJoin(const char* szDrive, const char* szDir, const char* szFname, const char* szExt)
{
    std::string path;
    if (szDrive && *szDrive)
        path = std::string(1, *szDrive) + ':';
    if (szDir && *szDir)
    {
        path += szDir;
        if (path.back() != '\\' && path.back() != '/')
            path += '\\';
    }
    if (szFname)
        path += szFname;
    if (szExt && *szExt)
        path += std::string(*szExt == '.' ? "" : ".") + szExt;
    return path;
}

void MscMakePath(std::string& path, const char* szDrive, const char* szDir, const char* szFname, const char* szExt)
{
    if (szDrive && strncmp(szDrive, "\\\\", 2) == 0)
        path = std::string(szDrive) + StandardJoin(nullptr, szDir, szFname, szExt);
    else
        path = StandardJoin(szDrive, szDir, szFname, szExt);
}
