#include "driver/ProgramInfo.h"

#include "platform/Msc.h"
#include "platform/RegKey.h"
#include "trace/QuillTrace.h"

#include <conio.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr char g_szAmbrelKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\Ambrel";
constexpr char g_szAmbrelKeyOld[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane Morlund Computers\\Ambrel";
constexpr REGSAM g_samRead = KEY_READ;

std::string TextFormat(const char* szFormat, unsigned a, unsigned b, unsigned c = 0, unsigned d = 0)
{
    char szText[64];
    snprintf(szText, sizeof(szText), szFormat, a, b, c, d);
    return szText;
}

// The name shown in the header: the original file name without ".exe".
std::string ProgramNameGet(const std::string& originalFilename)
{
    size_t nLen = originalFilename.size();
    if (nLen >= 4 && _stricmp(originalFilename.c_str() + nLen - 4, ".exe") == 0)
        return originalFilename.substr(0, nLen - 4);
    return originalFilename;
}

// Reads a string value from the suite key, or from the old key when the new
// one cannot be opened.
bool AmbrelValueGet(const char* szValue, const char* szFunction, std::string& version)
{
    for (const char* szPath : {g_szAmbrelKey, g_szAmbrelKeyOld})
    {
        CCRegKey key(szPath, g_samRead);
        if (!key.Open(g_samRead))
            continue;
        DWORD dwType = 0, dwSize = 0;
        if (!key.ValueQuery(szValue, dwType, nullptr, dwSize))
            return false;
        std::vector<char> buffer(dwSize + 1, '\0');
        bool fOk = key.ValueGetString(szValue, buffer.data(), dwSize);
        key.Close();
        if (fOk)
            version = buffer.data();
        return fOk;
    }
    KRLX_TRACE(eTrcWarning, szFunction, "Internal", "Could not open registry key for reading",
               "possible keys={'%s', '%s'}", g_szAmbrelKey, g_szAmbrelKeyOld);
    return false;
}

bool BigTextLoad(std::string& text, const char* szName)
{
    std::unique_ptr<char[]> data;
    size_t nSize = MscCustomResourceToMem(MscResourceModule(), "BIGTEXT", szName, data);
    if (nSize == 0)
        return true;
    std::string body(data.get(), nSize);
    text = g_programInfo.csNameAndVersion + "\n" + g_programInfo.csCopyright + "\n\n" + g_programInfo.csDescription +
           "\n\n" + body + "\n";
    return true;
}
}  // namespace

bool ProgramInfoExtract(std::string& csNameAndVersion, std::string& csCopyright, std::string& csDescription,
                        std::string& csFileVersion, bool fInstant)
{
    KRLX_TRACE(eTrcInfo, "ProgramInfoExtract", "Enter", "", "fInstant=%s", fInstant ? "true" : "false");
    char szPath[MAX_PATH];
    GetModuleFileNameA(MscResourceModule(), szPath, MAX_PATH);
    CMscVersionInfo texts, numbers;
    if (!MscVersionInfoGet(szPath, texts) || !MscVersionInfoGet(szPath, numbers))
    {
        csNameAndVersion.clear();
        csCopyright.clear();
        csDescription.clear();
        return false;
    }
    csDescription = texts.csFeatureName + "\n" + texts.csFileDescription;
    csCopyright = texts.csLegalCopyright;
    std::string name = ProgramNameGet(texts.csOriginalFilename);
    std::string registryVersion;
    bool fRegistry = fInstant ? CCAmbrelProductVersion::RegistryInstantVersionGet(registryVersion)
                              : CCAmbrelProductVersion::RegistryVersionGet(registryVersion);
    const VS_FIXEDFILEINFO& fixed = numbers.fixed;
    csNameAndVersion =
        name + " Version " +
        (fRegistry ? registryVersion
                   : TextFormat("%1.1d.%2.2d", HIWORD(fixed.dwProductVersionMS), LOWORD(fixed.dwProductVersionMS)));
    csFileVersion = TextFormat("%1.1d.%2.2d.%d.%d", HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                               HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS));
    KRLX_TRACE(eTrcInfo, "ProgramInfoExtract", "Leave", "",
               "ret=%s\ncsNameAndVersion='%s'\ncsCopyright='%s'\ncsDescription='%s'\ncsFileVersion='%s'", "true",
               csNameAndVersion.c_str(), csCopyright.c_str(), csDescription.c_str(), csFileVersion.c_str());
    return true;
}

bool HelpTextLoad(std::string& text, bool fInstant)
{
    return BigTextLoad(text, fInstant ? "FLASH_CMDOPTX.txt" : "FLASH_CMDOPT.TXT");
}

bool ErrorLevelTextLoad(std::string& text, bool fInstant)
{
    return BigTextLoad(text, fInstant ? "FLASH_ELEVELSX.TXT" : "FLASH_ELEVELS.TXT");
}

void PressAnyKey()
{
    KRLX_TRACE(eTrcInfo, "PressAnyKey", "Enter", "Method PressAnyKey has been entered.", "");
    DWORD dwMode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &dwMode))
    {
        printf("\nPress any key to continue...\n");
        fflush(stdout);
        _getch();
    }
    KRLX_TRACE(eTrcInfo, "PressAnyKey", "Leave", "Method PressAnyKey has been left.", "");
}

bool CCAmbrelProductVersion::RegistryVersionGet(std::string& version)
{
    return AmbrelValueGet("AmbrelVersion", "CCAmbrelProductVersion::RegistryVersionGet", version);
}

bool CCAmbrelProductVersion::RegistryInstantVersionGet(std::string& version)
{
    return AmbrelValueGet("AmbrelInstantVersion", "CCAmbrelProductVersion::RegistryInstantVersionGet", version);
}
