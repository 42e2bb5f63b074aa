// The command line plus its extension from the registry value
// "CommandLineExt", which administrators use to add switches to every run.
#pragma once

#include <windows.h>

#include <string>

class CKorlixCmdLine;

// True when a non-empty extension was read into the buffer.
bool CmdLineExtensionFromRegistryGet(char* szCmdLine, DWORD dwSize);

// The process command line with the extension appended.
void GetCommandLineExt(std::string& csCmdLine);

// Parses the arguments followed by the extension's words.
void CmdInfoParseExt(CKorlixCmdLine& cmd, int argc, char* argv[]);
