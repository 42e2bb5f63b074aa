// Runs the installed Korlix.exe as a child process and captures its
// standard output, standard error and exit code.
#pragma once

#include <windows.h>

#include <map>
#include <string>

inline constexpr char g_szInstalledKorlix[] = "C:\\Program Files\\Tervane\\Ambrel\\Korlix\\Korlix.exe";

struct CKorlixRun
{
    DWORD dwExitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

struct CKorlixStart
{
    // Everything after the program name, as the child sees it.
    std::string arguments;
    // Variables set (or, with an empty value, removed) for the child only.
    std::map<std::string, std::string> environment;
    // Start with the token's linked (limited) token: the child is not elevated.
    bool fLimited = false;
    // Standard error into the pipe of standard output, as a console shows
    // both: out holds the two streams in the order they were written.
    bool fOneStream = false;
    std::string workingDirectory;
    // The program file started, and its name as it appears at the start of
    // the command line.
    std::string program = g_szInstalledKorlix;
    std::string programText = std::string("\"") + g_szInstalledKorlix + "\"";
};

CKorlixRun KorlixRun(const CKorlixStart& start);

// A start whose engine answers from a script and records its calls.
CKorlixStart ScriptedStart(const std::string& arguments, const std::string& scriptPath, const std::string& recordPath);

// The engine's CmdLine and CmdLineOri from its record, tab-separated, with the
// record's backslash escapes undone; empty when the engine never ran.
std::string EngineCommandLines(const std::string& record);

// The common case: arguments plus a script and a record file for the engine.
CKorlixRun KorlixRun(const std::string& arguments, const std::string& scriptPath, const std::string& recordPath);
