// Texts of the WMI error codes, the last resort of the error-text lookup.
#pragma once

#include <windows.h>

struct CMscWmiError
{
    DWORD dwCode;
    const char* szText;
};

// Ascending codes, ended by a row with code 0.
extern const CMscWmiError g_rgMscWmiErrors[];
