// Validation of a parsed engine command line: which options may go with the
// command, the reboot and battery rules, and the object-file path.
#include "cmdline/DfCmdLine.h"

#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <windows.h>

namespace
{
constexpr char g_szFunction[] = "CDfCmdLine::CheckParams";

// One bit per command that has a list of allowed options.
enum ECommandList : unsigned
{
    eForUpd = 1u << 0,
    eForNvu = 1u << 1,
    eForSel = 1u << 2,
    eForLogo = 1u << 3,
    eForArc = 1u << 4,
    eForMake = 1u << 5,
    eForBupInfo = 1u << 6,
    eForCrypt = 1u << 7,
};
constexpr unsigned eForAll = eForUpd | eForNvu | eForSel | eForLogo | eForArc | eForMake | eForBupInfo | eForCrypt;
constexpr unsigned eForUpdates = eForUpd | eForNvu | eForSel | eForLogo;  // the commands that flash

// For each option the commands it may accompany; options missing here go
// with none of them.
struct CAllowedRow
{
    DfOption eOption;
    unsigned nLists;
};
const CAllowedRow g_rgAllowed[] = {
    {eObjectFile, eForAll & ~eForCrypt},
    {eNvramUpdate, eForNvu},
    {eUpdateLogo, eForLogo},
    {eUpdate, eForUpd},
    {eOverwrite, eForUpd | eForSel | eForArc},
    {eLogfile, eForAll},
    {eAllowReboot, eForUpdates},
    {eForceReboot, eForUpdates},
    {eNoReboot, eForUpdates},
    {eWarningOff, eForAll & ~eForBupInfo},
    {eSilent, eForUpdates | eForArc | eForMake},
    {eIgnoreAc, eForAll},
    {eOverrideAcChecks, eForAll},
    {eBatPercent, eForAll & ~eForCrypt},
    {eBatPercentHighRisk, eForAll & ~eForCrypt},
    {eWaitHandlerEnd, eForAll},
    {eQuickHandlerEnd, eForAll},
    {eListBupInfo, eForBupInfo},
    {eExtendedStatus, eForAll & ~eForCrypt},
    {eForceCapsuleOnDisk, eForUpdates},
    {eForceRuntime, eForUpdates},
    {eArchiveConfiguration, eForArc},
    {eMake, eForMake},
    {eCrypt, eForCrypt},
    {ePwd, eForUpdates | eForArc},
    {ePwc, eForUpdates | eForArc},
    {eBinp, eForMake},
    {eCinp, eForMake},
    {eWorkingDirectory, eForAll & ~eForCrypt},
    {eKorlixVersion, eForAll},
    {eLocalCache, eForUpdates | eForArc | eForMake},
    {eClientMessageLevel, eForAll},
    {eBiosCodeArea, eForSel},
    {eDebugCodeArea, eForArc},
    {eLogoArea, eForSel},
    {eSystemDataArea, eForSel},
    {eNvRamArea, eForSel},
    {ePasswordArea, eForSel},
    {eBootOrderVariablesArea, eForUpd | eForNvu | eForSel},
    {eExplicitAreaMode, eForUpd | eForNvu | eForSel},
};

// The commands in the order they are looked for; the first one present
// decides which list applies.
struct CCommandRow
{
    DfOption eCommand;
    bool fNeedsArea;  // selective restore: only together with an area switch
    ECommandList eList;
    const char* szMessage;
};
const CCommandRow g_rgCommands[] = {
    {eUpdate, false, eForUpd, "invalid parameter combination for /UPD"},
    {eNvramUpdate, false, eForNvu, "invalid parameter combination for /NVU"},
    {eExplicitAreaMode, true, eForSel, "invalid parameter combination for selective switches"},
    {eUpdateLogo, false, eForLogo, "invalid parameter combination for /UPDATELOGO"},
    {eArchiveConfiguration, false, eForArc, "invalid parameter combination for /ARC"},
    {eMake, false, eForMake, "invalid parameter combination for /MAKE"},
    {eListBupInfo, false, eForBupInfo, "invalid parameter combination for /BUPINFO"},
    {eCrypt, false, eForCrypt, "invalid parameter combination for /CRYPT"},
};

// The areas of a selective restore; the debug code is archived, never restored.
const COptionSet g_restoreAreas = {eBiosCodeArea, eBootOrderVariablesArea, eLogoArea,
                                   eNvRamArea,    ePasswordArea,           eSystemDataArea};
const COptionSet g_rebootSwitches = {eAllowReboot, eForceReboot, eNoReboot};

constexpr int g_nMinBatPercent = 20;
constexpr int g_nMaxBatPercent = 100;

COptionSet AllowedOptions(ECommandList eList)
{
    COptionSet allowed;
    for (const CAllowedRow& row : g_rgAllowed)
        if (row.nLists & eList)
            allowed.Add(row.eOption);
    return allowed;
}

// The command whose list applies; null when no command with a list is given.
const CCommandRow* CommandFind(const COptionSet& options)
{
    for (const CCommandRow& command : g_rgCommands)
    {
        if (!options.OptionExists(command.eCommand))
            continue;
        if (command.fNeedsArea && options.CountOptionsInside(g_restoreAreas) == 0)
            continue;
        return &command;
    }
    return nullptr;
}

bool CommandRuleCheck(const COptionSet& options)
{
    const CCommandRow* pCommand = CommandFind(options);
    if (!pCommand)
        return true;
    COptionSet outside;
    if (options.ExtractOptionsOutside(AllowedOptions(pCommand->eList), outside) > 0)
    {
        std::string csOutside;
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal", pCommand->szMessage, "m_Options.ExtractOptionsOutside=%s",
                   outside.ToText(csOutside).c_str());
        return false;
    }
    if (pCommand->eList == eForSel && !options.OptionExists(eObjectFile))
    {
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal",
                   "for selective switches without /UPD and /NVU we require an explicit object file", "");
        return false;
    }
    return true;
}

bool RebootRuleCheck(const COptionSet& options)
{
    const int nReboot = options.CountOptionsInside(g_rebootSwitches);
    if (nReboot > 1)
    {
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal", "At least only one reboot control switch allowed",
                   "CountOptionsInside=%d", nReboot);
        return false;
    }
    return true;
}

bool BatteryRuleCheck(const COptionSet& options, int nBatPercent)
{
    if (!options.OptionExists(eBatPercent) || options.OptionExists(eBatPercentHighRisk))
        return true;
    if (nBatPercent < g_nMinBatPercent)
    {
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "BatPercent is lower than 20%. This is not possible.", "");
        return false;
    }
    if (nBatPercent > g_nMaxBatPercent)
    {
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "BatPercent is higher than 100%. This is not possible.", "");
        return false;
    }
    return true;
}

// An object file with drive and directory names its own folder, which then
// replaces the working directory.
void ObjectFileNormalize(std::string& csObjectFile, std::string& csWrkDir)
{
    std::string csDrive, csDir, csFname, csExt;
    MscSplitPath(csObjectFile.c_str(), &csDrive, &csDir, &csFname, &csExt);
    if (csDrive.empty() || csDir.empty())
        return;
    MscMakePath(csWrkDir, csDrive.c_str(), csDir.c_str(), "", "");
    while (!csWrkDir.empty() && csWrkDir.back() == '\\')
        csWrkDir.pop_back();
    csObjectFile = csFname + csExt;
}

// The engine joins working directory and object file into one path, which
// must stay within MAX_PATH.
bool PathLengthRuleCheck(const std::string& csObjectFile, const std::string& csWrkDir)
{
    const int nLength = static_cast<int>(csObjectFile.size() + csWrkDir.size() + 3);
    if (nLength <= MAX_PATH)
        return true;
    const int nShown = MAX_PATH - 2 - static_cast<int>(csWrkDir.size());
    const std::string csShown = nShown > 0 ? csObjectFile.substr(0, nShown) : std::string();
    KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Length of file path is exceeding limit!",
               "length=%d, m_csTarget='%s\\%s ...'", nLength, csWrkDir.c_str(), csShown.c_str());
    return false;
}
}  // namespace

bool CDfCmdLine::CheckParams()
{
    std::string csOptions;
    KRLX_TRACE(eTrcInfo, g_szFunction, "Enter", "", "\nOpt=%s", m_Options.ToText(csOptions).c_str());

    bool fValid =
        CommandRuleCheck(m_Options) && RebootRuleCheck(m_Options) && BatteryRuleCheck(m_Options, m_nBatPercent);
    if (fValid)
    {
        ObjectFileNormalize(m_csObjectFile, m_csWrkDir);
        fValid = PathLengthRuleCheck(m_csObjectFile, m_csWrkDir);
    }

    KRLX_TRACE(eTrcInfo, g_szFunction, "Leave", "", "ret=%s", BoolText(fValid));
    return fValid;
}
