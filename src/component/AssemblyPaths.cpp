#include "component/AssemblyPaths.h"

#include "component/AssemblyText.h"
#include "platform/ScopedHandle.h"

#include <cstring>

namespace
{
constexpr char g_szCommonKey[] = "SOFTWARE\\Tervane\\Common";
}  // namespace

LONG AssemblyCommonPathGet(const char* szValueName, char (&szPath)[MAX_PATH])
{
    CCUniqueHKey key;
    LONG lResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szCommonKey, 0, KEY_QUERY_VALUE, key.put());
    if (lResult != ERROR_SUCCESS)
        return lResult;
    // One byte more than the field, so that the text always ends.
    char szValue[MAX_PATH + 1] = "";
    DWORD dwType = 0;
    DWORD dwSize = MAX_PATH;
    lResult = RegQueryValueExA(key.get(), szValueName, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &dwSize);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    if (dwType != REG_SZ && dwType != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (strlen(szValue) >= MAX_PATH)
        return ERROR_MORE_DATA;
    AssemblyTextCopy(szPath, szValue);
    AssemblyPathExpand(szPath);
    return ERROR_SUCCESS;
}

void AssemblyPathExpand(char (&szPath)[MAX_PATH])
{
    char szExpanded[MAX_PATH];
    DWORD dwNeeded = ExpandEnvironmentStringsA(szPath, szExpanded, MAX_PATH);
    if (dwNeeded != 0 && dwNeeded <= MAX_PATH)
        AssemblyTextCopy(szPath, szExpanded);
}
