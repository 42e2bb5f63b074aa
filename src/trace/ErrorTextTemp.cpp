// TEMPORARY until the platform's definition lands; delete before finishing.
#include "platform/Msc.h"
#include "trace/QuillTrace.h"

const char* CCQuillTrace::ErrorText(DWORD dwCode)
{
    static char s_szText[4096];
    MscErrorText(dwCode, s_szText, sizeof(s_szText));
    return s_szText;
}
