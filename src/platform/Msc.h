// Free helpers shared by all subsystems: string-table texts, custom
// resources, error texts and BSTR conversion.
#pragma once

#include "platform/ScopedHandle.h"

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

// Process-local lock over an unnamed semaphore (maximum count 1). An
// interlocked count of the threads that hold or want the lock sits in front
// of it, so that the semaphore is waited on and signalled only when two
// threads meet: an uncontended Enter and Leave stay out of the kernel.
class CMscCritSect
{
public:
    CMscCritSect();
    CMscCritSect(const CMscCritSect&) = delete;
    CMscCritSect& operator=(const CMscCritSect&) = delete;
    bool Enter();
    void Leave();

private:
    CCUniqueHandle m_semaphore;
    volatile LONG m_nWanted = 0;
};

extern CMscCritSect g_mscCritSect;

// The module that holds the program's resources.
HMODULE MscResourceModule();

// String-table text from a ring of ten 256-byte slots: valid for the next
// nine calls.
const char* MscLoadStringResource(HMODULE hModule, UINT uID);
const char* MscLoadStringResource(UINT uID);

// Copies a custom resource into a block owned by the caller; 0 on failure.
size_t MscCustomResourceToMem(HMODULE hModule, const char* szType, const char* szName, std::unique_ptr<char[]>& data);

// ExpandEnvironmentStringsA that refuses texts beyond the system's limit of
// 32,766 characters (some versions answer them with a small count and an
// unterminated buffer) and always leaves szDst terminated.
DWORD MscExpandEnvironmentStrings(const char* szSrc, char* szDst, DWORD dwSize);

// Expands %NAME% environment strings and makes the path absolute, in place.
bool MscMakeRealPath(std::string& path);

// Copy of a text with password values replaced by stars (at most four per
// call), from a ring of three slots. The keyword is lower case; null means
// "/pw".
const char* MscHidePassword(const char* szText, const char* szKeyword = nullptr);

// Splits a path, network roots included; absent outputs are not written.
void MscSplitPath(const char* szPath, std::string* pDrive, std::string* pDir, std::string* pFname, std::string* pExt);
void MscMakePath(std::string& path, const char* szDrive, const char* szDir, const char* szFname, const char* szExt);

// A file's version record: the fixed part and twelve texts.
struct CMscVersionInfo
{
    VS_FIXEDFILEINFO fixed{};
    std::string csCompanyName;
    std::string csFileDescription;
    std::string csFileVersion;
    std::string csInternalName;
    std::string csLegalCopyright;
    std::string csLegalTrademarks;
    std::string csOriginalFilename;
    std::string csPrivateBuild;
    std::string csProductName;
    std::string csProductVersion;
    std::string csSpecialBuild;
    std::string csFeatureName;
};

// Reads the version record; with no languages, the default translation list
// is tried.
bool MscVersionInfoGet(const char* szFileName, CMscVersionInfo& info,
                       std::initializer_list<const char*> languages = {});

// Text of a Win32 error code or HRESULT.
void MscErrorText(DWORD dwCode, char* szBuffer, size_t nSize);
const char* MscErrorTextGet(DWORD dwCode);
const char* MscLastErrorText();

// Narrow (ANSI code page) text to and from BSTR.
BSTR MscBstrFromText(const std::string& text);
std::string MscTextFromBstr(BSTR bstr);
