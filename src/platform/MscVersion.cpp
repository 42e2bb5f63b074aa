#include "platform/Msc.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
// Language and code page prefixes tried when the caller names none; each is
// completed with "B0" (the Unicode code page 1200 = 0x04B0).
const char* const g_rgszDefaultTranslations[] = {
    "000004", "040904", "040704", "080904", "040C04", "080704", "100C04", "041004", "081604", "080A04",
    "040A04", "041604", "0C0C04", "041104", "0C0A04", "040104", "040304", "040504", "040804", "040B04",
    "040D04", "040F04", "041304", "081004", "081404", "041704", "041804", "041A04", "041C04", "041E04",
    "042004", "080404", "080C04", "081A04", "040204", "040404", "040604", "040E04", "041204", "041404",
    "081304", "041504", "041904", "041B04", "041D04", "041F04", "042104"};

bool StringValueGet(const std::vector<char>& block, const std::string& table, const char* szName, std::string& value)
{
    char* szValue = nullptr;
    UINT uLen = 0;
    std::string query = table + szName;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&szValue), &uLen) || !szValue ||
        uLen == 0 || !*szValue)
        return false;
    value = szValue;
    return true;
}

// The first string table that holds a FileDescription value.
bool StringTableFind(const std::vector<char>& block, std::initializer_list<const char*> languages, std::string& table)
{
    std::vector<std::string> candidates;
    if (languages.size())
    {
        for (const char* szLanguage : languages)
            candidates.push_back(std::string("\\StringFileInfo\\") + szLanguage + "\\");
    }
    else
    {
        for (const char* szTranslation : g_rgszDefaultTranslations)
            candidates.push_back(std::string("\\StringFileInfo\\") + szTranslation + "B0\\");
    }
    std::string probe;
    for (const std::string& candidate : candidates)
    {
        if (StringValueGet(block, candidate, "FileDescription", probe))
        {
            table = candidate;
            return true;
        }
    }
    return false;
}
}  // namespace

bool MscVersionInfoGet(const char* szFileName, CMscVersionInfo& info, std::initializer_list<const char*> languages)
{
    DWORD dwHandle = 0;
    DWORD dwSize = GetFileVersionInfoSizeA(szFileName, &dwHandle);
    if (dwSize == 0)
        return false;
    std::vector<char> block(dwSize);
    if (!GetFileVersionInfoA(szFileName, 0, dwSize, block.data()))
        return false;
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT uLen = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pFixed), &uLen) && pFixed)
        memcpy(&info.fixed, pFixed, uLen < sizeof(info.fixed) ? uLen : sizeof(info.fixed));

    std::string table;
    if (!StringTableFind(block, languages, table))
        return false;
    const struct
    {
        const char* szName;
        std::string CMscVersionInfo::*pText;
    } rgFields[] = {
        {"CompanyName", &CMscVersionInfo::csCompanyName},
        {"FileDescription", &CMscVersionInfo::csFileDescription},
        {"FileVersion", &CMscVersionInfo::csFileVersion},
        {"InternalName", &CMscVersionInfo::csInternalName},
        {"LegalCopyright", &CMscVersionInfo::csLegalCopyright},
        {"LegalTrademarks", &CMscVersionInfo::csLegalTrademarks},
        {"OriginalFilename", &CMscVersionInfo::csOriginalFilename},
        {"PrivateBuild", &CMscVersionInfo::csPrivateBuild},
        {"ProductName", &CMscVersionInfo::csProductName},
        {"ProductVersion", &CMscVersionInfo::csProductVersion},
        {"SpecialBuild", &CMscVersionInfo::csSpecialBuild},
        {"FeatureName", &CMscVersionInfo::csFeatureName},
    };
    for (const auto& field : rgFields)
        StringValueGet(block, table, field.szName, info.*field.pText);
    return true;
}
