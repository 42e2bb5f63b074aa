#include "platform/Msc.h"

#include <cstdio>
#include <cstring>

namespace
{
char g_szErrorText[4096];
}

void MscErrorText(DWORD dwCode, char* szBuffer, size_t nSize)
{
    if (!szBuffer || nSize == 0)
        return;
    szBuffer[0] = '\0';
    DWORD dwLookup = HRESULT_FACILITY(dwCode) == FACILITY_WINDOWS ? (dwCode & 0xFFFF) : dwCode;
    char* szMessage = nullptr;
    DWORD dwLen = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                                 dwLookup, 0x400, reinterpret_cast<char*>(&szMessage), 0, nullptr);
    if (dwLen && szMessage)
    {
        while (dwLen && (szMessage[dwLen - 1] == '\r' || szMessage[dwLen - 1] == '\n'))
            szMessage[--dwLen] = '\0';
        snprintf(szBuffer, nSize, "%s", szMessage);
        LocalFree(szMessage);
        return;
    }
    snprintf(szBuffer, nSize, "%s", "unknown");
}

const char* MscErrorTextGet(DWORD dwCode)
{
    MscErrorText(dwCode, g_szErrorText, sizeof(g_szErrorText));
    return g_szErrorText;
}

const char* MscLastErrorText()
{
    DWORD dwError = GetLastError();
    int n = snprintf(g_szErrorText, sizeof(g_szErrorText), "err=%lu, '", dwError);
    MscErrorText(dwError, g_szErrorText + n, sizeof(g_szErrorText) - n - 1);
    strcat(g_szErrorText, "'");
    return g_szErrorText;
}

BSTR MscBstrFromText(const std::string& text)
{
    int nChars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR bstr = SysAllocStringLen(nullptr, nChars);
    if (bstr && nChars)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bstr, nChars);
    return bstr;
}

std::string MscTextFromBstr(BSTR bstr)
{
    int nChars = static_cast<int>(SysStringLen(bstr));
    if (!bstr || nChars == 0)
        return std::string();
    int nBytes = WideCharToMultiByte(CP_ACP, 0, bstr, nChars, nullptr, 0, nullptr, nullptr);
    std::string text(nBytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, bstr, nChars, &text[0], nBytes, nullptr, nullptr);
    return text;
}
