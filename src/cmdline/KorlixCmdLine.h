// The console front end's command line: help, exit-code table, syntax-only
// run, text variant and quiet mode on top of the engine's options.
#pragma once

#include "cmdline/DfCmdLine.h"

#include <set>

// Front-end switches; they never reach the engine's option set.
enum KorlixOption
{
    eHelp = 0,
    eQuiet = 1,
    eSyntax = 2,
    eInstant = 3,
    eErrorLevels = 4,
};

class CKorlixCmdLine : public CDfCmdLine
{
public:
    CKorlixCmdLine();

    // Front-end switches are taken here, options reserved for other callers
    // of the engine are refused, everything else goes to CDfCmdLine.
    void ParseParam(const char* lpszParam, bool bFlag, bool bLast) override;
    void ResetOptions() override;

    bool FrontEndOptionExists(KorlixOption eOption) const;

    // Help and the exit-code table need no valid engine command.
    bool CheckParams();

private:
    bool FrontEndKeywordApply(const char* szParam);

    std::set<KorlixOption> m_FrontEndOptions;
};
