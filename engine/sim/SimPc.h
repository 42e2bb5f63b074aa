// The simulated PC: runs one command of the command line against the
// machine file and hands back the engine's answers, one block per call.
#pragma once

#include "Script.h"

#include <string>
#include <vector>

// Loads the machine, runs the command, writes the changed machine. False
// with a reason when the machine file cannot be read or written; the
// machine file is then unchanged.
bool SimPcRun(const std::string& machinePath, const std::string& cmdLine, std::vector<CScriptBlock>& blocks,
              std::string& reason);

// Compares dotted version texts part by part: <0, 0, >0.
int VersionCompare(const std::string& left, const std::string& right);
