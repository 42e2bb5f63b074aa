// Free helpers shared by all subsystems: string-table texts, custom
// resources, error texts and BSTR conversion.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <memory>
#include <string>

// Process-local lock over an unnamed semaphore (count 1).
class CMscCritSect
{
public:
    CMscCritSect();
    ~CMscCritSect();
    CMscCritSect(const CMscCritSect&) = delete;
    CMscCritSect& operator=(const CMscCritSect&) = delete;
    bool Enter();
    void Leave();

private:
    HANDLE m_hSemaphore;
};

extern CMscCritSect g_mscCritSect;

// The module that holds the program's resources.
HMODULE MscResourceModule();

// String-table text from a ring of ten 256-byte slots: valid for the next
// nine calls.
const char* MscLoadStringResource(HMODULE hModule, UINT uID);
const char* MscLoadStringResource(UINT uID);

// Copies a custom resource into a block owned by the caller; 0 on failure.
size_t MscCustomResourceToMem(HMODULE hModule, const char* szType, const char* szName,
                              std::unique_ptr<char[]>& data);

// Text of a Win32 error code or HRESULT.
void MscErrorText(DWORD dwCode, char* szBuffer, size_t nSize);
const char* MscErrorTextGet(DWORD dwCode);
const char* MscLastErrorText();

// Narrow (ANSI code page) text to and from BSTR.
BSTR MscBstrFromText(const std::string& text);
std::string MscTextFromBstr(BSTR bstr);
