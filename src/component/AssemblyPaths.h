// Folders of the component model: values of the suite's common registry key
// and environment references in them.
#pragma once

#include <windows.h>

// Reads a string value of HKEY_LOCAL_MACHINE\SOFTWARE\Tervane\Common into the
// field and expands it; the registry result code (0 on success).
LONG AssemblyCommonPathGet(const char* szValueName, char (&szPath)[MAX_PATH]);

// Expands environment references in place; a text whose expansion fails or
// does not fit stays as it was.
void AssemblyPathExpand(char (&szPath)[MAX_PATH]);
