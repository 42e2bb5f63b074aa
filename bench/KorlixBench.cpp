// Start-up and dialogue cost of the installed Korlix.exe, each beside a floor
// measured in the same run: bench_floor.exe, a program with the same imports
// that initialises COM, opens one registry key and writes the same console
// bytes through the C runtime. Standard output goes to a file, as in a
// deployment script that keeps the log. Run by ./run-bench.
#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
constexpr unsigned g_nContinueBlocks = 100;

struct CTimedRun
{
    double dSeconds = 0;
    DWORD dwExitCode = 0xFFFFFFFF;
};

// One start of a program with standard output into a file; the time runs
// from the start to the end of the process.
CTimedRun ProcessTime(const std::string& program, const std::string& arguments, const std::string& outPath)
{
    CTimedRun run;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    CCUniqueFile out(CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    CCUniqueFile nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul.get();
    si.hStdOutput = out.get();
    si.hStdError = nul.get();
    std::string cmdLine = "\"" + program + "\" " + arguments;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), &cmdLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    {
        fprintf(stderr, "cannot start %s, error %lu\n", program.c_str(), GetLastError());
        return run;
    }
    CCUniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    QueryPerformanceCounter(&end);
    GetExitCodeProcess(process.get(), &run.dwExitCode);
    run.dSeconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    return run;
}

// The best of a few runs: what other processes on the machine add to a run
// is never part of its cost. A run that fails is reported.
double BestTime(const std::string& program, const std::string& arguments, const std::string& outPath, int nRuns)
{
    double dBest = 1e30;
    for (int i = 0; i < nRuns; ++i)
    {
        CTimedRun run = ProcessTime(program, arguments, outPath);
        if (run.dwExitCode != 0)
            printf("  (%s %s exited with %lu)\n", program.c_str(), arguments.c_str(), run.dwExitCode);
        dBest = std::min(dBest, run.dSeconds);
    }
    return dBest;
}

std::string FloorProgram()
{
    char szPath[MAX_PATH];
    DWORD dwLen = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, dwLen);
    return path.substr(0, path.find_last_of('\\') + 1) + "bench_floor.exe";
}

// Korlix and the floor writing the bytes Korlix wrote, side by side.
void FigurePrint(const char* szName, const std::string& arguments, const CTempDir& dir, int nRuns,
                 double* pdKorlix = nullptr)
{
    std::string korlixOut = dir.File("korlix.out");
    double dKorlix = BestTime(g_szInstalledKorlix, arguments, korlixOut, nRuns);
    std::string floorOut = dir.File("floor.out");
    double dFloor = BestTime(FloorProgram(), "\"" + korlixOut + "\"", floorOut, nRuns);
    std::string bytes = FileBytes(korlixOut);
    printf("%-32s %7.3f s  floor %7.3f s  ratio %5.2f  %6.2f MB%s\n", szName, dKorlix, dFloor, dKorlix / dFloor,
           bytes.size() / 1e6, bytes == FileBytes(floorOut) ? "" : "  (floor bytes differ!)");
    if (pdKorlix)
        *pdKorlix = dKorlix;
}

// A script of 100 Continue answers that together carry nItems items.
std::string DialogueScript(unsigned nItems)
{
    std::string script = "call\nend\n";
    unsigned nItem = 0;
    for (unsigned nBlock = 0; nBlock < g_nContinueBlocks; ++nBlock)
    {
        script += "call\nout ";
        unsigned nEnd = nItems * (nBlock + 1) / g_nContinueBlocks;
        for (; nItem < nEnd; ++nItem)
        {
            char szItem[64];
            snprintf(szItem, sizeof(szItem), "<eAction> Checking update file %06u\\n", nItem);
            script += szItem;
        }
        script += "\nend\n";
    }
    return script + "call\nstatus 1\nout <eJobDone>0\\n\nend\n";
}

// One item whose body is a list of nLines name/value lines.
std::string ListScript(unsigned nLines)
{
    std::string script = "call\nend\ncall\nout <eListBupInfo>\\n";
    for (unsigned i = 0; i < nLines; ++i)
    {
        char szLine[64];
        snprintf(szLine, sizeof(szLine), "Setting %05u\\tvalue %05u\\n", i, i);
        script += szLine;
    }
    return script + "\nend\ncall\nstatus 1\nout <eJobDone>0\\n\nend\n";
}

void ScriptedFigurePrint(const char* szName, const std::string& script, const CTempDir& dir, double* pdKorlix = nullptr)
{
    std::string scriptPath = dir.File("bench.scn");
    FileWrite(scriptPath, script);
    SetEnvironmentVariableA("DIDEREVE_SCRIPT", scriptPath.c_str());
    FigurePrint(szName, "/UPD /O=x.bup", dir, 5, pdKorlix);
    SetEnvironmentVariableA("DIDEREVE_SCRIPT", nullptr);
}
}  // namespace

int main()
{
    CTempDir dir;
    SetEnvironmentVariableA("DIDEREVE_RECORD", nullptr);
    printf("Start-up (best of 9 runs)\n");
    FigurePrint("  /SYNTAX /UPD /O=x.bup", "/SYNTAX /UPD /O=x.bup", dir, 9);
    FigurePrint("  /?", "/?", dir, 9);

    printf("Dialogue, %u Continue answers of eAction items (best of 5 runs)\n", g_nContinueBlocks);
    double d100k = 0, d200k = 0;
    ScriptedFigurePrint("  10,000 items", DialogueScript(10000), dir);
    ScriptedFigurePrint("  100,000 items", DialogueScript(100000), dir, &d100k);
    ScriptedFigurePrint("  200,000 items", DialogueScript(200000), dir, &d200k);
    printf("  linearity 200k / 100k          %7.2f\n", d200k / d100k);

    printf("Item list (best of 5 runs)\n");
    ScriptedFigurePrint("  eListBupInfo of 10,000 lines", ListScript(10000), dir);
    return 0;
}
