#include "platform/Msc.h"

#include "platform/MscErrorLookup.h"
#include "platform/MscWmiErrors.h"
#include "platform/ScopedHandle.h"

#include <cstdio>
#include <cstring>

namespace
{
// Shared by MscErrorTextGet and MscLastErrorText.
char g_szErrorText[4096];

constexpr DWORD g_dwFacilityWindows = 8;
constexpr DWORD g_dwFacilityMessageQueuing = 14;
constexpr DWORD g_dwUserDefaultLanguage = 0x400;

CCUniqueModule DataModuleLoad(const char* szName)
{
    return CCUniqueModule(LoadLibraryExA(szName, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// The system's text for a code, from its tables or from a message module.
CCUniqueLocal MessageFormat(DWORD dwCode, HMODULE hSource)
{
    DWORD dwFlags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER |
        (hSource ? FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS : FORMAT_MESSAGE_FROM_SYSTEM);
    char* szMessage = nullptr;
    if (!FormatMessageA(dwFlags, hSource, dwCode, g_dwUserDefaultLanguage, reinterpret_cast<char*>(&szMessage), 0,
                        nullptr))
        return CCUniqueLocal();
    return CCUniqueLocal(szMessage);
}

void TextCopy(char* szBuffer, size_t nSize, const char* szText)
{
    size_t nLen = strlen(szText);
    if (nLen >= nSize)
        nLen = nSize - 1;
    memcpy(szBuffer, szText, nLen);
    szBuffer[nLen] = '\0';
}

const char* WmiErrorText(DWORD dwCode)
{
    for (const CMscWmiError* pRow = g_rgMscWmiErrors; pRow->dwCode; ++pRow)
    {
        if (pRow->dwCode == dwCode)
            return pRow->szText;
    }
    return nullptr;
}
}  // namespace

void MscErrorTextLookup(DWORD dwCode, char* szBuffer, size_t nSize, std::initializer_list<const char*> extraModules)
{
    if (!szBuffer || nSize == 0)
        return;
    szBuffer[0] = '\0';
    DWORD dwFacility = (dwCode >> 16) & 0x1FFF;
    DWORD dwLookup = dwFacility == g_dwFacilityWindows ? (dwCode & 0xFFFF) : dwCode;
    CCUniqueModule source;
    if (dwFacility == g_dwFacilityMessageQueuing)
        source = DataModuleLoad("MQUTIL.DLL");

    CCUniqueLocal message = MessageFormat(dwLookup, source.get());
    if (source)
    {
        if (!message)
            message = MessageFormat(dwLookup, nullptr);
        for (const char* szModule : extraModules)
        {
            if (message)
                break;
            CCUniqueModule extra = DataModuleLoad(szModule);
            if (extra)
            {
                message = MessageFormat(dwLookup, extra.get());
                source = std::move(extra);
            }
        }
    }
    if (message)
    {
        char* szText = static_cast<char*>(message.get());
        size_t nLen = strlen(szText);
        while (nLen && (szText[nLen - 1] == '\r' || szText[nLen - 1] == '\n'))
            szText[--nLen] = '\0';
        TextCopy(szBuffer, nSize, szText);
        return;
    }
    const char* szWmi = WmiErrorText(dwCode);
    TextCopy(szBuffer, nSize, szWmi ? szWmi : "unknown");
}

void MscErrorText(DWORD dwCode, char* szBuffer, size_t nSize)
{
    MscErrorTextLookup(dwCode, szBuffer, nSize, {"NETMSG.DLL", "wmiutils.dll"});
}

const char* MscErrorTextGet(DWORD dwCode)
{
    MscErrorText(dwCode, g_szErrorText, sizeof(g_szErrorText));
    return g_szErrorText;
}

const char* MscLastErrorText()
{
    DWORD dwError = GetLastError();
    int nPrefix = snprintf(g_szErrorText, sizeof(g_szErrorText), "err=%lu, '", dwError);
    MscErrorText(dwError, g_szErrorText + nPrefix, sizeof(g_szErrorText) - nPrefix - 1);
    // The text above left room for the closing quote.
    size_t nLen = strlen(g_szErrorText);
    g_szErrorText[nLen] = '\'';
    g_szErrorText[nLen + 1] = '\0';
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
