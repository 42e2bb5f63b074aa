// The stand-in engine's record file (DIDEREVE_RECORD): one line per event,
// fields separated by a tab.
#pragma once

#include <initializer_list>
#include <string>

void RecordWrite(std::initializer_list<std::string> fields) noexcept;
