#include "trace/QuillTrace.h"

#include <cstdarg>
#include <cstdlib>

namespace
{
const char* const g_rgszLevelNames[] = {"\tError",   "\tWarning", "\tInfo",
                                        "\tVerbose", "\tInfoCC",  "\tVerboseCC"};
}

CCQuillTrace* gg_ptrc = nullptr;

CCQuillTrace::CCQuillTrace(const char*, unsigned, const char* szLockPrefix, const char*)
{
    m_ppszLevelNames = g_rgszLevelNames;
    m_nBufferSize = 4096;
    m_pBuffer = static_cast<uint8_t*>(calloc(m_nBufferSize, 1));
    m_pszFileName = static_cast<wchar_t*>(calloc(MAX_PATH, sizeof(wchar_t)));
    m_pszLockPrefix = szLockPrefix;
    Configure();
}

CCQuillTrace::~CCQuillTrace()
{
    if (m_hLock)
        CloseHandle(m_hLock);
    free(m_pBuffer);
    free(m_pszFileName);
    free(m_pszModuleName);
    m_fEnabled = 0;
}

bool CCQuillTrace::AttachToHost(const char*, CCQuillTrace* pSelf, CCQuillTrace** ppExportVariable)
{
    *ppExportVariable = pSelf;
    return false;
}

void CCQuillTrace::Configure()
{
    AttachToHost("gg_ptrc", this, &gg_ptrc);
}

void CCQuillTrace::Trace(unsigned nLevel, const char*, const char*, const char*, const char*, ...)
{
    if (!m_fEnabled || nLevel > m_nLevel)
        return;
}

void CCQuillTrace::TraceBuildInfo(unsigned nLevel, const char* szFunction, const char* szLabel)
{
    Trace(nLevel, szFunction, szLabel, "BUILD INFORMATION", "RELEASE %s; TIME=%s, %s, this=0x%p",
          "(amd64)", __DATE__, __TIME__, static_cast<void*>(this));
}

HMODULE CCQuillTrace::GetModuleHandleRaw()
{
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(reinterpret_cast<const void*>(&CCQuillTrace::GetModuleHandleRaw), &mbi,
                      sizeof(mbi)))
        return nullptr;
    return static_cast<HMODULE>(mbi.AllocationBase);
}
