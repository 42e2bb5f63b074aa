#include "support/KorlixProcess.h"

#include "platform/ScopedHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{
// The current environment with the overrides applied, as a block.
std::string EnvironmentBlock(const std::map<std::string, std::string>& overrides)
{
    std::map<std::string, std::string> vars;
    char* pBlock = GetEnvironmentStringsA();
    for (const char* p = pBlock; *p; p += strlen(p) + 1)
    {
        std::string entry = p;
        size_t nEq = entry.find('=', 1);
        if (nEq != std::string::npos)
            vars[entry.substr(0, nEq)] = entry.substr(nEq + 1);
    }
    FreeEnvironmentStringsA(pBlock);
    for (const auto& [name, value] : overrides)
    {
        if (value.empty())
            vars.erase(name);
        else
            vars[name] = value;
    }
    std::string block;
    for (const auto& [name, value] : vars)
        block += name + "=" + value + '\0';
    return block + '\0';
}

// Moves what the pipe holds now into the text; false once no write end is
// left. The reads never wait on an open pipe: a process the child started
// may hold its write end long after the child ended (Wine's own services,
// started by the first process of a prefix, are such), and a blocking read
// would wait for it forever. Without a write end a read cannot wait, and it
// takes what is still there.
bool PipeTake(HANDLE hRead, std::string& text)
{
    char buffer[4096];
    DWORD dwAvailable = 0;
    DWORD dwRead = 0;
    const bool fOpen = PeekNamedPipe(hRead, nullptr, 0, nullptr, &dwAvailable, nullptr);
    while ((!fOpen || dwAvailable) && ReadFile(hRead, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead)
    {
        text.append(buffer, dwRead);
        dwAvailable -= std::min(dwAvailable, dwRead);
    }
    return fOpen;
}

// A run that hangs (a fault in the program or the engine) fails its test
// instead of holding up the suite.
constexpr DWORD g_dwRunLimitMs = 90000;

// A job that ends the started process and everything it starts when the job
// is closed: when the run is over, and also when the test process dies, so
// that no child outlives its test and holds the installed files.
CCUniqueHandle KillingJobCreate()
{
    CCUniqueHandle job(CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return job;
}

CCUniqueHandle LimitedTokenGet()
{
    CCUniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, token.put()))
        return CCUniqueHandle();
    TOKEN_LINKED_TOKEN linked{};
    DWORD dwSize = 0;
    if (!GetTokenInformation(token.get(), TokenLinkedToken, &linked, sizeof(linked), &dwSize))
        return CCUniqueHandle();
    return CCUniqueHandle(linked.LinkedToken);
}
}  // namespace

CKorlixRun KorlixRun(const CKorlixStart& start)
{
    CKorlixRun run;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    CCUniqueHandle outRead, outWrite, errRead, errWrite, nulIn;
    if (!CreatePipe(outRead.put(), outWrite.put(), &sa, 0) || !CreatePipe(errRead.put(), errWrite.put(), &sa, 0))
    {
        ADD_FAILURE() << "CreatePipe failed";
        return run;
    }
    SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);
    nulIn.reset(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr));

    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nulIn.get();
    si.hStdOutput = outWrite.get();
    si.hStdError = start.fOneStream ? outWrite.get() : errWrite.get();
    PROCESS_INFORMATION pi{};
    std::string cmdLine = start.programText + (start.arguments.empty() ? "" : " " + start.arguments);
    std::string env = EnvironmentBlock(start.environment);
    const char* szDir = start.workingDirectory.empty() ? nullptr : start.workingDirectory.c_str();

    CCUniqueHandle limited;
    if (start.fLimited)
    {
        limited = LimitedTokenGet();
        if (!limited)
        {
            ADD_FAILURE() << "no linked token";
            return run;
        }
    }
    // Under load Wine now and then fails a process start with an internal
    // error; a second attempt succeeds.
    BOOL fStarted = FALSE;
    for (int nAttempt = 0; nAttempt < 3 && !fStarted; ++nAttempt)
    {
        if (nAttempt)
            Sleep(200);
        fStarted = limited ? CreateProcessAsUserA(limited.get(), start.program.c_str(), &cmdLine[0], nullptr, nullptr,
                                                  TRUE, CREATE_SUSPENDED, &env[0], szDir, &si, &pi)
                           : CreateProcessA(start.program.c_str(), &cmdLine[0], nullptr, nullptr, TRUE,
                                            CREATE_SUSPENDED, &env[0], szDir, &si, &pi);
        if (!fStarted && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    if (!fStarted)
    {
        ADD_FAILURE() << "cannot start " << start.program << ", error " << GetLastError();
        return run;
    }
    CCUniqueHandle process(pi.hProcess), thread(pi.hThread);
    CCUniqueHandle job = KillingJobCreate();
    AssignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());
    outWrite.reset();
    errWrite.reset();
    const ULONGLONG ullLimit = GetTickCount64() + g_dwRunLimitMs;
    // After the child ended, its output may take up to a second to arrive
    // while a write end stays open.
    bool fEnded = false;
    for (int nGrace = 100; nGrace > 0; nGrace -= fEnded ? 1 : 0)
    {
        fEnded = fEnded || WaitForSingleObject(process.get(), 5) == WAIT_OBJECT_0;
        if (!fEnded && GetTickCount64() > ullLimit)
        {
            ADD_FAILURE() << cmdLine << " ran longer than " << g_dwRunLimitMs / 1000 << " s and was ended";
            TerminateJobObject(job.get(), 0xFFFFFFFF);
            WaitForSingleObject(process.get(), INFINITE);
            fEnded = true;
        }
        const bool fOutOpen = PipeTake(outRead.get(), run.out);
        if (!PipeTake(errRead.get(), run.err) && !fOutOpen)
            break;
        Sleep(fEnded ? 10 : 0);
    }
    GetExitCodeProcess(process.get(), &run.dwExitCode);
    return run;
}

CKorlixStart ScriptedStart(const std::string& arguments, const std::string& scriptPath, const std::string& recordPath)
{
    CKorlixStart start;
    start.arguments = arguments;
    start.environment["DIDEREVE_SCRIPT"] = scriptPath;
    start.environment["DIDEREVE_RECORD"] = recordPath;
    return start;
}

CKorlixRun KorlixRun(const std::string& arguments, const std::string& scriptPath, const std::string& recordPath)
{
    return KorlixRun(ScriptedStart(arguments, scriptPath, recordPath));
}

std::string EngineCommandLines(const std::string& record)
{
    std::string lines;
    const size_t nPos = record.find("execute\t");
    for (size_t i = nPos + 8; nPos != std::string::npos && i < record.size() && record[i] != '\n'; ++i)
        lines += record[i] == '\\' ? record[++i] : record[i];
    return lines;
}
