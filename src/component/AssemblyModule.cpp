// What the loader knows about its own module: file names, file version and
// the folder of the dependency tables.
#include "component/Assembly.h"

#include "component/AssemblyPaths.h"
#include "component/AssemblyText.h"
#include "component/AssemblyTrace.h"

#include <cstdio>
#include <memory>
#include <new>

namespace
{
constexpr char g_szConfigSuffix[] = ".config.xml";

// The string block of the first translation the record names, or US
// English in Unicode when it names none.
std::string VersionSubBlockGet(const void* pVersionInfo)
{
    struct CTranslation
    {
        WORD wLanguage;
        WORD wCodePage;
    };
    void* pData = nullptr;
    UINT uLen = 0;
    if (VerQueryValueA(pVersionInfo, "\\VarFileInfo\\Translation", &pData, &uLen) && uLen >= sizeof(CTranslation))
    {
        const CTranslation* pFirst = static_cast<const CTranslation*>(pData);
        char szBlock[64];
        snprintf(szBlock, sizeof(szBlock), "\\StringFileInfo\\%04x%04x\\", pFirst->wLanguage, pFirst->wCodePage);
        return szBlock;
    }
    return "\\StringFileInfo\\040904b0\\";
}
}  // namespace

bool CCAssembly::InitializeFileNames()
{
    static const char s_szFunction[] = "CCAssembly::InitializeFileNames";
    CCMethodTrace trace(s_szFunction, "Method InitializeFileName has been called");
    DWORD dwLen = GetModuleFileNameA(GetModuleHandleRaw(), m_szModulePath, MAX_PATH);
    if (dwLen == 0 || dwLen >= MAX_PATH)
    {
        AssemblyErrorTrace(s_szFunction, "GetModuleFileName failed", "LastErr=0x%8.8lx", GetLastError());
        return trace.Leave(false);
    }
    snprintf(m_szConfigFile, sizeof(m_szConfigFile), "%s%s", m_szModulePath, g_szConfigSuffix);

    // The file system's spelling of the name, which the tables must match.
    WIN32_FIND_DATAA found;
    CCUniqueFind search(FindFirstFileA(m_szModulePath, &found));
    if (!search)
    {
        AssemblyErrorTrace(s_szFunction, "::FindFirstFile failed", "LastErr=0x%8.8lx", GetLastError());
        return trace.Leave(false);
    }
    AssemblyTextCopy(m_szModuleFileName, found.cFileName);
    return trace.Leave(true);
}

bool CCAssembly::InitializeFileVersion()
{
    static const char s_szFunction[] = "CCAssembly::InitializeFileVersion";
    CCMethodTrace trace(s_szFunction, "Method InitializeFileVersion has been called");
    DWORD dwHandle = 0;
    DWORD dwSize = GetFileVersionInfoSizeA(m_szModulePath, &dwHandle);
    if (dwSize == 0)
        return trace.Leave(false);
    std::unique_ptr<char[]> versionInfo(new (std::nothrow) char[dwSize]);
    if (!versionInfo || !GetFileVersionInfoA(m_szModulePath, 0, dwSize, versionInfo.get()))
        return trace.Leave(false);

    std::string query = VersionSubBlockGet(versionInfo.get()) + "FileVersion";
    void* pValue = nullptr;
    UINT uLen = 0;
    if (!VerQueryValueA(versionInfo.get(), query.c_str(), &pValue, &uLen) || !pValue)
    {
        AssemblyErrorTrace(s_szFunction, "VerQueryValue failed when retrieving the fileversion from the resources");
        return trace.Leave(false);
    }
    AssemblyTextCopy(m_szFileVersion, static_cast<const char*>(pValue));
    return trace.Leave(true);
}

bool CCAssembly::InitializeDependencyTablesPath()
{
    static const char s_szFunction[] = "CCAssembly::InitializeDependencyTablesPath";
    CCMethodTrace trace(s_szFunction, "Method InitializeDependencyTablesPath has been called");
    LONG lResult = AssemblyCommonPathGet("DependencyTables", m_szDependencyTables);
    if (lResult != ERROR_SUCCESS)
    {
        AssemblyErrorTrace(s_szFunction, "Error accessing registry for getting deptables path", "Error: %d",
                           static_cast<int>(lResult));
        return trace.Leave(false);
    }
    return trace.Leave(true);
}
