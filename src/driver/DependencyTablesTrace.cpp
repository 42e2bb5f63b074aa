// The dependency tables the component model loaded, dumped into the trace.
#include "component/Assembly.h"
#include "driver/ProgramInfo.h"
#include "trace/QuillTrace.h"

#include <cstdio>

namespace
{
// One line per entry of a map, in map order.
std::string IdentityLines(const CCAssemblyIdentityMap& map, const char* szFormat)
{
    std::string lines;
    for (const auto& entry : map)
    {
        const AssemblyIdentity& identity = entry.second;
        char szLine[4 * MAX_PATH + 80];
        snprintf(szLine, sizeof(szLine), szFormat, identity.m_szName, identity.m_szVersion,
                 identity.m_szVersionIndependentProgID, identity.m_szPath);
        lines += szLine;
    }
    return lines;
}
}  // namespace

void TrcOutDependencyTables(CCAssembly& assembly)
{
    if (!g_trace.m_fEnabled)
        return;
    std::string com =
        IdentityLines(assembly.GetAssemblyIdentityMapCOM(), "\nName='%s', Version='%s', ProgID='%s', Path='%s'");
    std::string win32 = IdentityLines(assembly.GetAssemblyIdentityMapWin32(),
                                      "\nName='%s', Version='%s', VersionIndependentProgID='%s', Path='%s'");
    if (com.empty() && win32.empty())
        KRLX_TRACE(eTrcWarning, "TrcOutDependencyTables", "Internal", "DEPENDENCY TABLE is empty!", "");
    else
        KRLX_TRACE(eTrcVerbose, "TrcOutDependencyTables", "Internal", "DEPENDENCY TABLE", "%s%s", com.c_str(),
                   win32.c_str());
}
