#include "driver/CmdLineExt.h"

#include "cmdline/KorlixCmdLine.h"
#include "platform/RegKey.h"

#include <cstring>
#include <vector>

namespace
{
constexpr char g_szConsumerKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe";
constexpr DWORD g_dwExtensionSize = 256;

// Splits the buffer in place at blanks outside double quotes; several blanks
// give empty words, a trailing blank an empty last word.
std::vector<char*> WordsSplit(char* szText)
{
    std::vector<char*> words{szText};
    bool fQuoted = false;
    for (char* p = szText; *p; ++p)
    {
        if (*p == '"')
            fQuoted = !fQuoted;
        else if (*p == ' ' && !fQuoted)
        {
            *p = '\0';
            words.push_back(p + 1);
        }
    }
    return words;
}
}  // namespace

bool CmdLineExtensionFromRegistryGet(char* szCmdLine, DWORD dwSize)
{
    CCRegKey key(g_szConsumerKey, KEY_READ);
    memset(szCmdLine, 0, dwSize);
    DWORD dwRead = dwSize;
    // Whatever the read left in the buffer counts, even when the value was
    // not a terminated string.
    if (key.Open(KEY_READ))
        key.ValueGetString("CommandLineExt", szCmdLine, dwRead);
    szCmdLine[dwSize - 1] = '\0';
    return szCmdLine[0] != '\0';
}

void GetCommandLineExt(std::string& csCmdLine)
{
    csCmdLine = GetCommandLineA();
    char szExtension[g_dwExtensionSize];
    if (!CmdLineExtensionFromRegistryGet(szExtension, sizeof(szExtension)))
        return;
    if (szExtension[0] != ' ')
        csCmdLine += ' ';
    csCmdLine += szExtension;
}

void CmdInfoParseExt(CKorlixCmdLine& cmd, int argc, char* argv[])
{
    char szExtension[g_dwExtensionSize];
    if (!CmdLineExtensionFromRegistryGet(szExtension, sizeof(szExtension)))
    {
        cmd.Parse(argc, argv);
        return;
    }
    std::vector<char*> words = WordsSplit(szExtension);
    std::vector<char*> arguments(argv, argv + argc);
    arguments.insert(arguments.end(), words.begin(), words.end());
    arguments.push_back(nullptr);
    cmd.Parse(static_cast<int>(arguments.size() - 1), arguments.data());
}
