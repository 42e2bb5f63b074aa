// The log file of /LF[=<log>]: every item that the job answered, one line
// each with date, time, kind and the console's label, appended to the log;
// the last line is the exit code of the run.
#pragma once

#include "EngineArgs.h"
#include "MachineFile.h"
#include "SimAnswers.h"

#include <string>

// Names the log (without a name Korlix.log in the working directory; the
// placeholders but #system# replaced), creates its missing folders and
// checks that it can be appended to. False when it cannot; `path` names it
// either way.
bool EngineLogPrepare(const CEngineArgs& args, const CValueMap& machine, std::string& path);

// Appends the job's lines to the prepared log.
void EngineLogWrite(const std::string& path, const CEngineArgs& args, const CAnswers& answers);
