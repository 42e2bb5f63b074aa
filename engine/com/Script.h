// The stand-in engine's script: one block of answers per engine call.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CScriptBlock
{
    HRESULT hr = S_OK;
    ULONG ulStatus = 0;
    std::string output;
    std::string errorText;
    DWORD dwSleepMs = 0;
    // A test hook's point at which the engine pauses before answering
    // (simulated PC only; scripts leave it empty).
    std::string holdPoint;
};

// Parses a script text; on failure `reason` says what and where.
bool ScriptParse(const std::string& text, std::vector<CScriptBlock>& blocks, std::string& reason);

// Resolves the escapes \n \r \t \\ and \xHH.
bool TextUnescape(const std::string& text, std::string& result, std::string& reason);

// Escapes a text for one field of a record line: backslash, tab, line feed,
// carriage return and other bytes below 0x20.
std::string TextEscape(const std::string& text);
