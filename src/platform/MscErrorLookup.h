// The error-text lookup shared by the Msc functions and the trace object;
// they differ only in their buffers and the extra message modules they try.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>

void MscErrorTextLookup(DWORD dwCode, char* szBuffer, size_t nSize, std::initializer_list<const char*> extraModules);
