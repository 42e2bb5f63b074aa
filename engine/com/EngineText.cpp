#include "EngineText.h"

std::wstring WideFromText(const std::string& text)
{
    int nChars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(nChars, L'\0');
    if (nChars)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], nChars);
    return wide;
}

std::string TextFromBstr(BSTR bstr)
{
    int nChars = static_cast<int>(SysStringLen(bstr));
    if (nChars == 0)
        return std::string();
    int nBytes = WideCharToMultiByte(CP_ACP, 0, bstr, nChars, nullptr, 0, nullptr, nullptr);
    std::string text(nBytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, bstr, nChars, &text[0], nBytes, nullptr, nullptr);
    return text;
}

BSTR BstrFromText(const std::string& text)
{
    int nChars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR bstr = SysAllocStringLen(nullptr, nChars);
    if (bstr && nChars)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bstr, nChars);
    return bstr;
}
