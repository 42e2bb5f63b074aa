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

void StandardSplit(const char* szPath, std::string* pDrive, std::string* pDir, std::string* pFname,
                   std::string* pExt)
{
    char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szFname[_MAX_FNAME], szExt[_MAX_EXT];
    _splitpath(szPath, szDrive, szDir, szFname, szExt);
    OutputSet(pDrive, szDrive);
    OutputSet(pDir, szDir);
    OutputSet(pFname, szFname);
    OutputSet(pExt, szExt);
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

bool MscMakeRealPath(std::string& path)
{
    char szExpanded[MAX_PATH];
    DWORD dwLen = ExpandEnvironmentStringsA(path.c_str(), szExpanded, MAX_PATH);
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

void MscSplitPath(const char* szPath, std::string* pDrive, std::string* pDir, std::string* pFname,
                  std::string* pExt)
{
    std::string path = szPath ? szPath : "";
    size_t nRoot = path.compare(0, 2, "\\\\") == 0 && pDrive ? NetworkRootFind(path) : std::string::npos;
    if (nRoot == std::string::npos)
    {
        StandardSplit(path.c_str(), pDrive, pDir, pFname, pExt);
        return;
    }
    size_t nLastSlash = path.rfind('\\');
    size_t nDot = path.find('.', nLastSlash + 1);
    OutputSet(pDrive, path.substr(0, nRoot));
    OutputSet(pDir, path.substr(nRoot, nLastSlash + 1 - nRoot));
    if (nDot != std::string::npos)
        OutputSet(pExt, path.substr(nDot));
    OutputSet(pFname, path.substr(nLastSlash + 1, nDot == std::string::npos ? std::string::npos
                                                                             : nDot - nLastSlash - 1));
}

void MscMakePath(std::string& path, const char* szDrive, const char* szDir, const char* szFname,
                 const char* szExt)
{
    char szPath[MAX_PATH];
    if (szDrive && strncmp(szDrive, "\\\\", 2) == 0)
    {
        _makepath(szPath, nullptr, szDir, szFname, szExt);
        path = std::string(szDrive) + szPath;
        return;
    }
    _makepath(szPath, szDrive, szDir, szFname, szExt);
    path = szPath;
}
