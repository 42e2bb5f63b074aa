// TEMPORARY: minimal path and password helpers so that the command-line tests
// link until the platform implementations are merged. Remove after merging.
#include "platform/Msc.h"

#include <cstdlib>

const char* MscHidePassword(const char* szText, const char*)
{
    static std::string s_csCopy;
    s_csCopy = szText;
    return s_csCopy.c_str();
}

void MscSplitPath(const char* szPath, std::string* pDrive, std::string* pDir, std::string* pFname,
                  std::string* pExt)
{
    char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szFname[_MAX_FNAME], szExt[_MAX_EXT];
    _splitpath(szPath, szDrive, szDir, szFname, szExt);
    if (pDrive)
        *pDrive = szDrive;
    if (pDir)
        *pDir = szDir;
    if (pFname)
        *pFname = szFname;
    if (pExt)
        *pExt = szExt;
}

void MscMakePath(std::string& path, const char* szDrive, const char* szDir, const char* szFname,
                 const char* szExt)
{
    char szPath[_MAX_PATH];
    _makepath(szPath, szDrive, szDir, szFname, szExt);
    path = szPath;
}
