#include "driver/EngineCmdLine.h"

#include "cmdline/KorlixCmdLine.h"
#include "platform/Msc.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
std::string LowerCopy(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(tolower(ch)); });
    return lower;
}

// Drops the program name, a closing quote behind it and the blank after it.
std::string ProgramNameRemove(const std::string& commandLine, const char* szArgv0)
{
    std::string argv0 = szArgv0 ? szArgv0 : "";
    size_t nPos = commandLine.find(argv0);
    if (argv0.empty() || nPos == std::string::npos)
        return commandLine;
    size_t q = nPos + argv0.size();
    while (q + 1 < commandLine.size() && commandLine[q] != ' ')
        ++q;
    return q + 1 < commandLine.size() ? commandLine.substr(q + 1) : std::string();
}

// Removes the front end's own switches (first occurrence of each, with the
// blank behind it).
void FrontEndSwitchesRemove(std::string& text)
{
    text += ' ';
    for (const char* szSwitch : {"/instant ", "/syntax ", "/e "})
    {
        size_t nPos = LowerCopy(text).find(szSwitch);
        if (nPos != std::string::npos)
            text.erase(nPos, strlen(szSwitch));
    }
}

void TrailingBlanksRemove(std::string& text)
{
    size_t nEnd = text.find_last_not_of(' ');
    text.erase(nEnd == std::string::npos ? 0 : nEnd + 1);
}

std::string Trim(const std::string& text)
{
    size_t nStart = text.find_first_not_of(' ');
    if (nStart == std::string::npos)
        return std::string();
    return text.substr(nStart, text.find_last_not_of(' ') - nStart + 1);
}

// The log file as the engine needs it: unquoted, below the working
// directory when it names no directory of its own, absolute.
void LogFileResolve(CKorlixCmdLine& cmd)
{
    std::string& logFile = cmd.m_csLogFile;
    if (!logFile.empty() && logFile.front() == '"')
        logFile.erase(0, 1);
    if (!logFile.empty() && logFile.back() == '"')
        logFile.pop_back();
    std::string drive, dir;
    MscSplitPath(logFile.c_str(), &drive, &dir, nullptr, nullptr);
    if (!cmd.m_csWrkDir.empty() && drive.empty() && dir.empty())
        logFile = cmd.m_csWrkDir + "\\" + logFile;
    MscMakeRealPath(logFile);
}

// Replaces the user's log switch by one with the resolved, quoted file name.
void LogSwitchRewrite(std::string& text, CKorlixCmdLine& cmd)
{
    size_t nStart = LowerCopy(text).find("/lf=");
    if (nStart == std::string::npos)
        return;
    size_t n = cmd.m_csLogFile.size() + 4;
    if (nStart + 4 < text.size() && text[nStart + 4] == '"')
        ++n;
    if (nStart > 0 && text[nStart - 1] == '"')
    {
        --nStart;
        ++n;
    }
    if (nStart + n < text.size() && text[nStart + n] == '"')
        ++n;
    std::string before = text.substr(0, nStart);
    std::string after = nStart + n < text.size() ? text.substr(nStart + n) : std::string();
    LogFileResolve(cmd);
    text = before + "/lf=\"" + cmd.m_csLogFile + "\"" + after;
}
}  // namespace

void EngineCmdLineBuild(const std::string& commandLine, const char* szArgv0, CKorlixCmdLine& cmd,
                        const std::string& fileVersion, std::string& cmdLineOri, std::string& cmdLine)
{
    std::string text = ProgramNameRemove(commandLine, szArgv0);
    cmdLineOri = text;
    FrontEndSwitchesRemove(text);
    TrailingBlanksRemove(text);
    if (!cmd.m_csLogFile.empty())
        LogSwitchRewrite(text, cmd);
    cmdLine = Trim(text) + " /krlxver=" + fileVersion;
}
