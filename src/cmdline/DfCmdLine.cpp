#include "cmdline/DfCmdLine.h"

#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace
{
constexpr char g_szFunction[] = "CDfCmdLine::ParseParam";
constexpr int g_nDefaultBatPercent = 20;
constexpr int g_nDefaultClientMessageLevel = 10;

// Expands %NAME% environment strings; the raw value is kept when that fails.
// Only the working directory reports a failure.
std::string EnvironmentExpand(const std::string& csRaw, bool fReport)
{
    const DWORD dwSize = MscExpandEnvironmentStrings(csRaw.c_str(), nullptr, 0);
    if (!dwSize)
    {
        if (fReport)
            KRLX_TRACE(eTrcError, g_szFunction, "Internal", "ExpandEnvironmentStrings for m_csWrkDir failed", "Err=%s",
                       MscLastErrorText());
        return csRaw;
    }
    std::vector<char> buffer(dwSize);
    if (!MscExpandEnvironmentStrings(csRaw.c_str(), buffer.data(), dwSize))
    {
        if (fReport)
            KRLX_TRACE(eTrcError, g_szFunction, "Internal", "ExpandEnvironmentStrings for m_csWrkDir failed",
                       "Err=%s, dwSize=%lu", MscLastErrorText(), dwSize);
        return csRaw;
    }
    return buffer.data();
}
}  // namespace

CDfCmdLine::CDfCmdLine() : CCCommandLineInfo("/-") {}

void CDfCmdLine::ResetOptions()
{
    m_Options.Clear();
    m_csObjectFile.clear();
    m_csLogFile.clear();
    m_csWrkDir.clear();
    m_csDfxResponseFile.clear();
    m_csKorlixVersion.clear();
    m_csPassword.clear();
    m_csBiosInputFile.clear();
    m_csConfigInputFile.clear();
    m_nClientMessageLevel = g_nDefaultClientMessageLevel;
    m_nBatPercent = g_nDefaultBatPercent;
    m_nLocalCache = 0;
}

void CDfCmdLine::ParseParam(const char* lpszParam, bool bFlag, bool bLast)
{
    // A switch may carry a password, so it is masked before it is traced.
    const std::string csTraced = bFlag ? MscHidePassword((std::string("/") + lpszParam).c_str()) : lpszParam;
    KRLX_TRACE(eTrcVerboseCC, g_szFunction, "Enter", "", "lpszParam='%s', bFlag=%d, bLast=%d", csTraced.c_str(), bFlag,
               bLast);

    if (!bFlag)
    {
        m_Options.Add(eError);
    }
    else if (!KeywordApply(lpszParam))
    {
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Unknown command line option", "csParam='%s'", lpszParam);
        m_Options.Add(eError);
    }

    KRLX_TRACE(eTrcVerboseCC, g_szFunction, "Leave", "", "OptionExists(eError)=%s", BoolText(OptionExists(eError)));
}

void CDfCmdLine::EffectApply(const COptionEffect& effect, const std::string& csValue)
{
    if (effect.eToken != eInvalidOption)
        m_Options.Add(effect.eToken);
    if (effect.eSecondToken != eInvalidOption)
        m_Options.Add(effect.eSecondToken);
    if (effect.pcsField)
        this->*effect.pcsField = effect.szFixedValue ? effect.szFixedValue : csValue;
    if (effect.pfnValue)
        (this->*effect.pfnValue)(csValue);
}

bool CDfCmdLine::KeywordApply(const char* szParam)
{
    struct CKeywordRow
    {
        CKeyword keyword;
        COptionEffect effect;
    };
    // Tested in this order, the first match wins: whole keywords that begin
    // like a prefix keyword ("bpc=highrisk") come before that prefix.
    static const CKeywordRow s_rgRows[] = {
        {{"update", "upd", eWholeMatch}, {eUpdate}},
        {{"archiveconfiguration", "arc", eWholeMatch}, {eArchiveConfiguration}},
        {{"nvramupdate", "nvu", eWholeMatch}, {eNvramUpdate}},
        {{"updatelogo", nullptr, eWholeMatch}, {eUpdateLogo}},
        {{"debugcode", nullptr, eWholeMatch}, {eDebugCodeArea}},
        {{"bioscode", nullptr, eWholeMatch}, {eBiosCodeArea}},
        {{"passwords", nullptr, eWholeMatch}, {ePasswordArea}},
        {{"systemdata", nullptr, eWholeMatch}, {eSystemDataArea}},
        {{"logo", nullptr, eWholeMatch}, {eLogoArea}},
        {{"nvram", nullptr, eWholeMatch}, {eNvRamArea}},
        {{"bootorder", "bo", eWholeMatch}, {eBootOrderVariablesArea}},
        {{"make", nullptr, eWholeMatch}, {eMake}},
        {{"crypt=", nullptr, ePrefixMatch}, {eCrypt, &CDfCmdLine::m_csPassword}},
        {{"pwd=", nullptr, ePrefixMatch}, {ePwd, &CDfCmdLine::m_csPassword}},
        {{"pwc=", nullptr, ePrefixMatch}, {ePwc, &CDfCmdLine::m_csPassword}},
        {{"cinp=", nullptr, ePrefixMatch}, {eCinp, &CDfCmdLine::m_csConfigInputFile}},
        {{"binp=", nullptr, ePrefixMatch}, {eBinp, &CDfCmdLine::m_csBiosInputFile}},
        {{"allowreboot", "arb", eWholeMatch}, {eAllowReboot}},
        {{"forcereboot", "frb", eWholeMatch}, {eForceReboot}},
        {{"noreboot", "nrb", eWholeMatch}, {eNoReboot}},
        {{"archive", "ar", eWholeMatch}, {eArchive}},
        {{"overwrite", "ov", eWholeMatch}, {eOverwrite}},
        {{"logfile=", "lf=", ePrefixMatch}, {eLogfile, &CDfCmdLine::m_csLogFile}},
        {{"logfile", "lf", eWholeMatch}, {eLogfile, &CDfCmdLine::m_csLogFile, nullptr, "DeDAvodu.log"}},
        {{"checkupdatefileex", "chkex", eWholeMatch}, {eCheckUpdateFileEx}},
        {{"checkupdatefile", "chk", eWholeMatch}, {eCheckUpdateFile}},
        {{"waithandlerend", "whe", eWholeMatch}, {eWaitHandlerEnd}},
        {{"quickhandlerend", "qhe", eWholeMatch}, {eQuickHandlerEnd}},
        {{"ignoreac", "iac", eWholeMatch}, {eIgnoreAc}},
        {{"overrideacchecks", nullptr, eWholeMatch}, {eOverrideAcChecks}},
        {{"extendedstatus", "estat", eWholeMatch}, {eExtendedStatus}},
        {{"warn=off", "w", eWholeMatch}, {eWarningOff}},
        {{"silent", "s", eWholeMatch}, {eSilent}},
        {{"dfxrf=", nullptr, ePrefixMatch}, {eDfxResponseFile, &CDfCmdLine::m_csDfxResponseFile}},
        {{"o=", nullptr, ePrefixMatch}, {eObjectFile, nullptr, &CDfCmdLine::ObjectFileSet}},
        {{"workingdirectory=", "wd=", ePrefixMatch}, {eWorkingDirectory, nullptr, &CDfCmdLine::WrkDirSet}},
        {{"battpercent=highrisk", "bpc=highrisk", eWholeMatch},
         {eBatPercent, nullptr, &CDfCmdLine::BatPercentHighRiskSet, nullptr, eBatPercentHighRisk}},
        {{"battpercent=", "bpc=", ePrefixMatch}, {eBatPercent, nullptr, &CDfCmdLine::BatPercentSet}},
        {{"exareamode", nullptr, eWholeMatch}, {eExplicitAreaMode}},
        {{"cml=", nullptr, ePrefixMatch}, {eClientMessageLevel, nullptr, &CDfCmdLine::ClientMessageLevelSet}},
        {{"localcache=", "lc=", ePrefixMatch}, {eLocalCache, nullptr, &CDfCmdLine::LocalCacheSet}},
        {{"korlixversion=", "krlxver=", ePrefixMatch}, {eKorlixVersion, &CDfCmdLine::m_csKorlixVersion}},
        {{"info", nullptr, eWholeMatch}, {eGetDetailInfo}},
        {{"bupinfo", nullptr, eWholeMatch}, {eListBupInfo}},
        {{"actionstatus", "ast", eWholeMatch}, {eActionStatus}},
        {{"forcecapsuleondisk", nullptr, eWholeMatch}, {eForceCapsuleOnDisk}},
        {{"forceruntime", nullptr, eWholeMatch}, {eForceRuntime}},
    };

    std::string csValue;
    const CKeywordRow* pRow = KeywordRowFind(s_rgRows, szParam, csValue);
    if (!pRow)
        return false;
    EffectApply(pRow->effect, csValue);
    return true;
}

void CDfCmdLine::ObjectFileSet(const std::string& csValue)
{
    m_csObjectFile = EnvironmentExpand(csValue, false);
}

void CDfCmdLine::WrkDirSet(const std::string& csValue)
{
    m_csWrkDir = EnvironmentExpand(csValue, true);
}

void CDfCmdLine::BatPercentHighRiskSet(const std::string&)
{
    // High risk: no battery threshold at all.
    m_nBatPercent = 0;
}

void CDfCmdLine::BatPercentSet(const std::string& csValue)
{
    // Digits only, so that signs, blanks and "%" are refused; an empty value
    // reads as 0 and is refused later by the lower bound.
    if (csValue.find_first_not_of("0123456789") != std::string::npos)
    {
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Invalid number format for battpercent", "val='%s'",
                   csValue.c_str());
        m_Options.Add(eError);
        return;
    }
    m_nBatPercent = atoi(csValue.c_str());
    if (m_nBatPercent < 0 || m_nBatPercent > 100)
    {
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Out of range for battpercent", "m_nBatPercent=%d",
                   m_nBatPercent);
        m_Options.Add(eError);
    }
}

void CDfCmdLine::ClientMessageLevelSet(const std::string& csValue)
{
    m_nClientMessageLevel = atoi(csValue.c_str());
}

void CDfCmdLine::LocalCacheSet(const std::string& csValue)
{
    static const struct
    {
        const char* szValue;
        int nMode;
    } s_rgModes[] = {{"on", 1}, {"off", 2}, {"auto", 3}};

    for (const auto& mode : s_rgModes)
    {
        if (CompareParam(csValue.c_str(), mode.szValue, true))
        {
            m_nLocalCache = mode.nMode;
            return;
        }
    }
    KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Invalid value for /localcache", "val='%s'", csValue.c_str());
    m_Options.Add(eError);
}
