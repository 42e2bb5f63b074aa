// The dialogue with the business-logic engine: one Execute, then Continue
// until the engine reports a non-zero status.
#pragma once

#include "component/ComponentInterfaces.h"
#include "platform/ScopedHandle.h"

#include <string>

// Runs the whole dialogue; every output goes to the formatter and changes
// the exit flags.
void DiDEreveDialogueRun(IDiDEreveObj* pEngine, const std::string& cmdLine, const std::string& cmdLineOri);

// Name of an engine status for the trace.
std::string DiDEreveStatusName(ULONG ulStatus);

// Applies a non-zero status returned by Execute to the exit flags.
void ExecuteStatusEvaluate(ULONG ulStatus);
