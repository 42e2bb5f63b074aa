// Gaps in mingw-w64's Windows headers that this program relies on.
#pragma once

#include <windows.h>

// Token elevation type values (winnt.h has them only for newer targets).
#ifndef TokenElevationTypeDefault
#define TokenElevationTypeDefault 1
#endif
