// The command line handed to the engine: the user's command line without the
// program name and the front end's own switches, the log file made absolute,
// and the front end's version appended.
#pragma once

#include <string>

class CKorlixCmdLine;

void EngineCmdLineBuild(const std::string& commandLine, const char* szArgv0, CKorlixCmdLine& cmd,
                        const std::string& fileVersion, std::string& cmdLineOri, std::string& cmdLine);
