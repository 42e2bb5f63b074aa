// The log file of /LF[=<log>]: every item that the job answered, one line
// each with date, time and kind, appended to the log.
#pragma once

#include "EngineArgs.h"
#include "MachineFile.h"
#include "Script.h"

#include <vector>

// Without a name the log is Korlix.log in the working directory. The
// placeholders of the name are replaced (all but #system#).
void EngineLogWrite(const CEngineArgs& args, const CValueMap& machine, const std::vector<CScriptBlock>& blocks);
