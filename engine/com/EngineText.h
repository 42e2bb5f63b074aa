// Conversions between the engine's narrow texts (the ANSI code page) and the
// wide texts of COM and the file system.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

std::wstring WideFromText(const std::string& text);
std::string TextFromBstr(BSTR bstr);
// A new BSTR owned by the caller; null when memory runs out.
BSTR BstrFromText(const std::string& text);
