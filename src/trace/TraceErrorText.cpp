#include "platform/MscErrorLookup.h"
#include "trace/QuillTrace.h"

const char* CCQuillTrace::ErrorText(DWORD dwCode)
{
    static char s_szText[4096];
    MscErrorTextLookup(dwCode, s_szText, sizeof(s_szText), {"NETMSG.DLL", "wmiutils.dll", "winhttp.dll"});
    return s_szText;
}
