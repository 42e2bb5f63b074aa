// The key table of the obfuscated password text, shared by the program,
// which writes such texts, and the engine, which reads them.
#pragma once

#include "crypt/Des.h"

#include <cstdint>

extern const uint8_t g_abPwcKeyTable[CDes::eKeyTableRows][CDes::eKeyTableRowSize];
