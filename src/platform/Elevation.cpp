#include "platform/Elevation.h"

#include "platform/ScopedHandle.h"
#include "trace/QuillTrace.h"

#include <windows.h>

namespace
{
// The thread's own token, else the process token.
CCUniqueHandle QueryTokenOpen()
{
    CCUniqueHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()))
        return token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return token;
    KRLX_TRACE(eTrcError, "CCElevation::IsElevated", "Internal", "OpenProcessToken failed with ", "%d",
               static_cast<int>(GetLastError()));
    return CCUniqueHandle();
}

bool TokenIsElevated()
{
    CCUniqueHandle token = QueryTokenOpen();
    if (!token)
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD dwSize = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &dwSize) &&
           elevation.TokenIsElevated != 0;
}

bool IgnoreValueRead()
{
    CCUniqueHKey key;
    LONG lResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tervane\\Common", 0, KEY_READ, key.put());
    if (lResult != ERROR_SUCCESS)
    {
        KRLX_TRACE(eTrcError, "CCElevation::IsIgnoreRegkeySet", "Internal", "",
                   "Could not open regkey HKLM\\SOFTWARE\\Tervane\\Common. RegOpenKeyEx returned: 0x%x",
                   static_cast<unsigned>(lResult));
        return false;
    }
    BYTE rgValue[4] = {};
    DWORD dwSize = sizeof(rgValue);
    lResult = RegQueryValueExA(key.get(), "IgnoreElevationCheck", nullptr, nullptr, rgValue, &dwSize);
    if (lResult != ERROR_SUCCESS)
    {
        KRLX_TRACE(eTrcError, "CCElevation::IsIgnoreRegkeySet", "Internal", "",
                   "Could not query the value of \"IgnoreElevationCheck\". RegQueryValueEx returned: 0x%x",
                   static_cast<unsigned>(lResult));
        return false;
    }
    if (!(rgValue[0] | rgValue[1] | rgValue[2] | rgValue[3]))
        return false;
    KRLX_TRACE(eTrcInfo, "CCElevation::IsIgnoreRegkeySet", "Internal",
               "Found \"IgnoreElevationCheck\" with other value then zero. ElevationCheck will be ignorde!", "");
    return true;
}
}  // namespace

bool CCElevation::IsElevated()
{
    KRLX_TRACE(eTrcInfoCC, "CCElevation::IsElevated", "Enter", "Method IsElevated has been entered.", "");
    bool fResult = TokenIsElevated() || IsIgnoreRegkeySet();
    KRLX_TRACE(eTrcInfoCC, "CCElevation::IsElevated", "Leave", "Method IsElevated has been left.", "%d",
               fResult ? 1 : 0);
    return fResult;
}

bool CCElevation::IsIgnoreRegkeySet()
{
    KRLX_TRACE(eTrcInfoCC, "CCElevation::IsIgnoreRegkeySet", "Enter", "", "");
    bool fResult = IgnoreValueRead();
    KRLX_TRACE(eTrcInfoCC, "CCElevation::IsIgnoreRegkeySet", "Leave", "", "return: %s", fResult ? "true" : "false");
    return fResult;
}
