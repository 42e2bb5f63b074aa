// The engine's option tokens and the ordered option set that collects them.
#pragma once

#include <initializer_list>
#include <set>
#include <string>

// Token values are fixed: the program driver asks for options by value, so
// new tokens go at the end.
enum DfOption
{
    eInvalidOption = 0,
    eObjectFile = 1,
    eError = 2,
    eNvramUpdate = 3,
    eUpdateLogo = 4,
    eUpdate = 5,
    eEventlogOff = 6,
    eArchive = 7,
    eOverwrite = 8,
    eLogfile = 9,
    eCheckUpdateFile = 10,
    eCheckUpdateFileEx = 11,
    eAllowReboot = 12,
    eForceReboot = 13,
    eNoReboot = 14,
    eWarningOff = 15,
    eSilent = 16,
    eExe = 17,
    eIgnoreAc = 18,
    eOverrideAcChecks = 19,
    eBatPercent = 20,
    eBatPercentHighRisk = 21,
    eWaitHandlerEnd = 22,
    eQuickHandlerEnd = 23,
    eGetDetailInfo = 24,
    eListBupInfo = 25,
    eExtendedStatus = 26,
    eActionStatus = 27,
    eForceCapsuleOnDisk = 28,
    eForceRuntime = 29,
    eArchiveConfiguration = 30,
    eMake = 31,
    eCrypt = 32,
    ePwd = 33,
    ePwc = 34,
    eBinp = 35,
    eCinp = 36,
    eWorkingDirectory = 37,
    eDfxResponseFile = 38,
    eKorlixVersion = 39,
    eLocalCache = 40,
    eClientMessageLevel = 41,
    eBiosCodeArea = 42,
    eDebugCodeArea = 43,
    eLogoArea = 44,
    eSystemDataArea = 45,
    eNvRamArea = 46,
    ePasswordArea = 47,
    eBootOrderVariablesArea = 48,
    eExplicitAreaMode = 49,
};

// Name of a token as it appears in trace records; "<unknown>" for a value
// without a name (eArchive has none).
const char* DfOptionName(DfOption eOption);

// Ordered set of tokens without duplicates, iterated in ascending value order.
class COptionSet
{
public:
    COptionSet() = default;
    COptionSet(std::initializer_list<DfOption> options);

    // Adding a token that is present already changes nothing.
    void Add(DfOption eOption);
    void Clear();

    bool OptionExists(DfOption eOption) const;
    // Empties outside, then fills it with every token of this set that
    // allowed does not hold; returns their number.
    int ExtractOptionsOutside(const COptionSet& allowed, COptionSet& outside) const;
    // How many tokens of group this set holds.
    int CountOptionsInside(const COptionSet& group) const;
    // Appends the token names, each separated by one blank from what stands
    // before it; returns text.
    std::string& ToText(std::string& text) const;

private:
    std::set<DfOption> m_options;
};
