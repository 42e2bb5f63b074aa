#include "cmdline/DfOption.h"

#include <iterator>

namespace
{
// Indexed by token value; eArchive deliberately has no name.
const char* const g_rgszOptionNames[] = {
    "eInvalidOption",
    "eObjectFile",
    "eError",
    "eNvramUpdate",
    "eUpdateLogo",
    "eUpdate",
    "eEventlogOff",
    nullptr,
    "eOverwrite",
    "eLogfile",
    "eCheckUpdateFile",
    "eCheckUpdateFileEx",
    "eAllowReboot",
    "eForceReboot",
    "eNoReboot",
    "eWarningOff",
    "eSilent",
    "eExe",
    "eIgnoreAc",
    "eOverrideAcChecks",
    "eBatPercent",
    "eBatPercentHighRisk",
    "eWaitHandlerEnd",
    "eQuickHandlerEnd",
    "eGetDetailInfo",
    "eListBupInfo",
    "eExtendedStatus",
    "eActionStatus",
    "eForceCapsuleOnDisk",
    "eForceRuntime",
    "eArchiveConfiguration",
    "eMake",
    "eCrypt",
    "ePwd",
    "ePwc",
    "eBinp",
    "eCinp",
    "eWorkingDirectory",
    "eDfxResponseFile",
    "eKorlixVersion",
    "eLocalCache",
    "eClientMessageLevel",
    "eBiosCodeArea",
    "eDebugCodeArea",
    "eLogoArea",
    "eSystemDataArea",
    "eNvRamArea",
    "ePasswordArea",
    "eBootOrderVariablesArea",
    "eExplicitAreaMode",
};
static_assert(std::size(g_rgszOptionNames) == eExplicitAreaMode + 1, "one name per token");
}  // namespace

const char* DfOptionName(DfOption eOption)
{
    const int nIndex = static_cast<int>(eOption);
    if (nIndex < 0 || nIndex >= static_cast<int>(std::size(g_rgszOptionNames)) || !g_rgszOptionNames[nIndex])
        return "<unknown>";
    return g_rgszOptionNames[nIndex];
}

COptionSet::COptionSet(std::initializer_list<DfOption> options) : m_options(options) {}

void COptionSet::Add(DfOption eOption)
{
    m_options.insert(eOption);
}

void COptionSet::Clear()
{
    m_options.clear();
}

bool COptionSet::OptionExists(DfOption eOption) const
{
    return m_options.count(eOption) != 0;
}

int COptionSet::ExtractOptionsOutside(const COptionSet& allowed, COptionSet& outside) const
{
    outside.Clear();
    for (DfOption eOption : m_options)
        if (!allowed.OptionExists(eOption))
            outside.Add(eOption);
    return static_cast<int>(outside.m_options.size());
}

int COptionSet::CountOptionsInside(const COptionSet& group) const
{
    int nCount = 0;
    for (DfOption eOption : group.m_options)
        if (OptionExists(eOption))
            ++nCount;
    return nCount;
}

std::string& COptionSet::ToText(std::string& text) const
{
    for (DfOption eOption : m_options)
    {
        if (!text.empty())
            text += ' ';
        text += DfOptionName(eOption);
    }
    return text;
}
