// KorlixRun ARGS...: starts the installed Korlix.exe with the arguments as
// given, waits for it and exits with its exit code. A code that does not fit
// a Linux exit status is written as ERRORLEVEL=<code> to standard error and
// the launcher exits 255.
#include <windows.h>

#include <cstdio>
#include <string>

namespace
{
const wchar_t g_szKorlix[] = L"C:\\Program Files\\Tervane\\Ambrel\\Korlix\\Korlix.exe";

// The launcher's own command line without its program name.
const wchar_t* ArgumentsGet()
{
    const wchar_t* p = GetCommandLineW();
    bool fQuoted = false;
    for (; *p && (fQuoted || (*p != L' ' && *p != L'\t')); ++p)
    {
        if (*p == L'"')
            fQuoted = !fQuoted;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}
}  // namespace

int main()
{
    std::wstring cmdLine = std::wstring(L"\"") + g_szKorlix + L"\"";
    const wchar_t* szArgs = ArgumentsGet();
    if (*szArgs)
        cmdLine += std::wstring(L" ") + szArgs;

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    // Wine now and then fails a process start with an internal error under
    // load; a second attempt succeeds.
    BOOL fStarted = FALSE;
    for (int nAttempt = 0; nAttempt < 3 && !fStarted; ++nAttempt)
    {
        if (nAttempt)
            Sleep(200);
        fStarted = CreateProcessW(g_szKorlix, &cmdLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        if (!fStarted && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    if (!fStarted)
    {
        fprintf(stderr, "KorlixRun: cannot start Korlix.exe (error %lu)\n", GetLastError());
        return 255;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD dwCode = 255;
    GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (dwCode > 255)
    {
        fprintf(stderr, "ERRORLEVEL=%lu\n", dwCode);
        return 255;
    }
    return static_cast<int>(dwCode);
}
