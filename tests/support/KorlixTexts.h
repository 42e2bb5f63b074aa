// Console texts of the installed program that many tests expect.
#pragma once

#include <string>

// The sign-on printed before the engine runs (no suite version registered).
inline const std::string g_signOn = "Korlix Version 6.81\r\nCopyright (C) 2026 Tervane. All rights reserved.\r\n\r\n";
