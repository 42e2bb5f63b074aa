// The commands of the simulated PC, one function each. Each answers through
// `answers` and changes `machine` only when it succeeds.
#pragma once

#include "EngineArgs.h"
#include "MachineFile.h"
#include "SimAnswers.h"

#include <string>

// /NVU, /NVRAM, /PASSWORDS, /BOOTORDER (/BO): restore from an archive.
void RestoreRun(CValueMap& machine, const CEngineArgs& args, CAnswers& answers);
// /ARC: save the configuration in an archive.
void ArchiveRun(const CValueMap& machine, const CEngineArgs& args, CAnswers& answers);
// /MAKE: an update file and an archive into one combined file.
void MakeRun(const CValueMap& machine, const CEngineArgs& args, CAnswers& answers);
// /BUPINFO: what update files, archives and combined files hold.
void BupInfoRun(const std::string& machinePath, const CValueMap& machine, const CEngineArgs& args, CAnswers& answers);
// The areas that a restore command line selects.
unsigned RestoreAreasGet(const CEngineArgs& args);
