#include "cmdline/KorlixCmdLine.h"

#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <optional>

CKorlixCmdLine::CKorlixCmdLine()
{
    // Named in full: in a constructor the call reaches this class's version.
    CKorlixCmdLine::ResetOptions();
}

void CKorlixCmdLine::ResetOptions()
{
    CDfCmdLine::ResetOptions();
    m_FrontEndOptions.clear();
}

bool CKorlixCmdLine::FrontEndOptionExists(KorlixOption eOption) const
{
    return m_FrontEndOptions.count(eOption) != 0;
}

void CKorlixCmdLine::ParseParam(const char* lpszParam, bool bFlag, bool bLast)
{
    constexpr char szFunction[] = "CKorlixCmdLine::ParseParam";
    KRLX_TRACE(eTrcVerbose, szFunction, "Enter", "", "lpszParam=%s, bFlag=%d, bLast=%d",
               MscHidePassword(lpszParam, "pw"), bFlag, bLast);

    // A plain parameter is refused here and never reaches CDfCmdLine.
    if (!bFlag)
        m_Options.Add(eError);
    else if (!FrontEndKeywordApply(lpszParam))
        CDfCmdLine::ParseParam(lpszParam, bFlag, bLast);

    KRLX_TRACE(eTrcVerbose, szFunction, "Leave", "", "OptionExists(eError)=%s", BoolText(OptionExists(eError)));
}

bool CKorlixCmdLine::FrontEndKeywordApply(const char* szParam)
{
    struct CFrontEndRow
    {
        CKeyword keyword;
        std::optional<KorlixOption> eFrontEnd;
        COptionEffect effect;
    };
    // Tested in this order, the first match wins. The refused rows are
    // engine options meant for other callers of the engine; the short "s"
    // is quiet mode here, while "silent" still reaches the engine.
    static const CFrontEndRow s_rgRows[] = {
        {{"syntax", nullptr, eWholeMatch}, eSyntax, {}},
        {{"instant", nullptr, eWholeMatch}, eInstant, {}},
        {{"logfile=", "lf=", ePrefixMatch}, {}, {eLogfile, &CKorlixCmdLine::m_csLogFile}},
        {{"logfile", "lf", eWholeMatch}, {}, {eLogfile, &CKorlixCmdLine::m_csLogFile, nullptr, "Korlix.log"}},
        {{"lang=", nullptr, ePrefixMatch}, {}, {eError}},
        {{"checkupdatefileex", "chkex", eWholeMatch}, {}, {eError}},
        {{"checkupdatefile", "chk", eWholeMatch}, {}, {eError}},
        {{"dfxrf=", nullptr, ePrefixMatch}, {}, {eError}},
        {{"warn=", nullptr, ePrefixMatch}, {}, {eError}},
        {{"exareamode", nullptr, eWholeMatch}, {}, {eError}},
        {{"cml=", nullptr, ePrefixMatch}, {}, {eError}},
        {{"waithandlerend", "whe", eWholeMatch}, {}, {eWaitHandlerEnd}},
        {{"quickhandlerend", "qhe", eWholeMatch}, {}, {eQuickHandlerEnd}},
        {{"w", nullptr, eWholeMatch}, {}, {eWarningOff}},
        {{"e", nullptr, eWholeMatch}, eErrorLevels, {}},
        {{"?", "h", eWholeMatch}, eHelp, {}},
        {{"help", nullptr, eWholeMatch}, eHelp, {}},
        {{"s", nullptr, eWholeMatch}, eQuiet, {}},
    };

    std::string csValue;
    const CFrontEndRow* pRow = KeywordRowFind(s_rgRows, szParam, csValue);
    if (!pRow)
        return false;
    if (pRow->eFrontEnd)
        m_FrontEndOptions.insert(*pRow->eFrontEnd);
    EffectApply(pRow->effect, csValue);
    return true;
}

bool CKorlixCmdLine::CheckParams()
{
    constexpr char szFunction[] = "CKorlixCmdLine::CheckParams";
    KRLX_TRACE(eTrcInfo, szFunction, "Enter", "", "");

    bool fValid = true;
    if (FrontEndOptionExists(eHelp) || FrontEndOptionExists(eErrorLevels))
        KRLX_TRACE(eTrcVerbose, szFunction, "Internal", "help, syntax or errorlevel parameter used", "");
    else
        fValid = CDfCmdLine::CheckParams();  // a syntax-only run validates in full

    KRLX_TRACE(eTrcInfo, szFunction, "Leave", "", "ret=%s", BoolText(fValid));
    return fValid;
}
