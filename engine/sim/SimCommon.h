// What the commands of the simulated PC share: reading the machine's
// values, the checks before any access to the BIOS, file names and paths.
#pragma once

#include "EngineArgs.h"
#include "MachineFile.h"
#include "SimAnswers.h"

#include <string>

bool Flag(const CValueMap& values, const char* szName);
std::string Value(const CValueMap& values, const char* szName);

// What stops a job before it looks at any file, in this order: the
// operating system and pending reboots, for a job that writes to the BIOS
// BitLocker and TXT, the BIOS access state, the setup password, and for a
// job that writes the power state. Empty when the job may go on.
std::string JobBlockGet(const CValueMap& machine, const CEngineArgs& args, bool fWrites);
// The last steps before the BIOS is written: a machine that asks for a
// confirmation that nobody gives (32) or that its user cancels (1039), and
// a shutdown that interrupts the job (307). False when the job ended.
bool WriteStart(const CValueMap& machine, CAnswers& answers);
// /FRB and /ARB announce the shutdown and leave the machine awaiting it.
void RebootHandle(CValueMap& machine, const CEngineArgs& args, CAnswers& answers);

bool UpdateImageIntact(const CValueMap& update);

// The folder that relative names are taken from: /WD, else the current
// directory ("."). False when /WD names no folder.
bool WorkDirGet(const CEngineArgs& args, std::string& dir);
// A name below the folder unless it has a drive or starts at a root.
std::string PathResolve(const std::string& dir, const std::string& name);
bool FileExists(const std::string& path);
std::string FolderOf(const std::string& path);
// Replaces the placeholders of a file name pattern (#system# only with
// fSystem); #no# becomes the lowest number from 1 whose file does not exist
// below dir.
std::string PlaceholdersExpand(const std::string& pattern, const CValueMap& machine, bool fSystem,
                               const std::string& dir);
