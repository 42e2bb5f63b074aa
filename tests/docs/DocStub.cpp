// Stands in for a program that a documented script calls (copied as
// shutdown.exe, schtasks.exe, Korlix.exe into a folder early on PATH): it
// appends its name, exit code and arguments to the file named by DOCS_CALLS.
// As Korlix it runs the installed program with the same arguments and exits
// with its code, so a script's every Korlix call can be compared with the
// exit code the document states beside it.
#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// The command line after the program's own name.
std::string ArgumentsGet()
{
    const char* p = GetCommandLineA();
    if (*p == '"')
    {
        p = strchr(p + 1, '"');
        p = p ? p + 1 : "";
    }
    else
    {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

std::string OwnNameGet()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string name = szPath;
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.rfind('.'));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

DWORD InstalledKorlixRun(const std::string& arguments)
{
    std::string cmdLine = std::string("\"") + g_szInstalledKorlix + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // Under load Wine now and then fails a process start with an internal
    // error; a second attempt succeeds.
    BOOL fStarted = FALSE;
    for (int nAttempt = 0; nAttempt < 3 && !fStarted; ++nAttempt)
    {
        if (nAttempt)
            Sleep(200);
        fStarted =
            CreateProcessA(g_szInstalledKorlix, &cmdLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        if (!fStarted && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    if (!fStarted)
        return 9009;
    CCUniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD dwCode = 9009;
    GetExitCodeProcess(process.get(), &dwCode);
    return dwCode;
}
}  // namespace

int main()
{
    const std::string name = OwnNameGet();
    const std::string arguments = ArgumentsGet();
    DWORD dwCode = name == "korlix" ? InstalledKorlixRun(arguments) : 0;
    if (const char* szCalls = getenv("DOCS_CALLS"))
    {
        if (FILE* pFile = fopen(szCalls, "ab"))
        {
            fprintf(pFile, "%s\t%lu\t%s\n", name.c_str(), dwCode, arguments.c_str());
            fclose(pFile);
        }
    }
    return static_cast<int>(dwCode);
}
