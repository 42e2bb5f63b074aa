// The options the BIOS engine understands: command, area and modifier
// switches and the value options, collected as tokens and values.
#pragma once

#include "cmdline/CommandLineInfo.h"
#include "cmdline/DfOption.h"

#include <string>

class CDfCmdLine : public CCCommandLineInfo
{
public:
    CDfCmdLine();

    // A recognised switch adds its tokens and stores its value; anything
    // else adds eError. Parsing never stops early.
    void ParseParam(const char* lpszParam, bool bFlag, bool bLast) override;
    void ResetOptions() override;

    bool OptionExists(DfOption eOption) const { return m_Options.OptionExists(eOption); }
    const COptionSet& Options() const { return m_Options; }

    // Whether the options form a valid command; may move the directory of an
    // absolute object file into m_csWrkDir.
    bool CheckParams();

    // Values exactly as typed behind their keyword (case, quotes and blanks
    // kept); the object file and working directory with environment strings
    // expanded.
    std::string m_csObjectFile;
    std::string m_csLogFile;
    std::string m_csWrkDir;
    std::string m_csDfxResponseFile;
    int m_nBatPercent = 20;
    int m_nLocalCache = 0;  // 0 not given, 1 ON, 2 OFF, 3 AUTO
    int m_nClientMessageLevel = 10;
    std::string m_csKorlixVersion;
    std::string m_csPassword;  // shared by /CRYPT=, /PWD= and /PWC=
    std::string m_csBiosInputFile;
    std::string m_csConfigInputFile;

protected:
    // What a recognised switch does: add its tokens, then store the value in
    // a field (or the fixed value instead), then run a value rule.
    struct COptionEffect
    {
        DfOption eToken = eInvalidOption;  // eInvalidOption: none
        std::string CDfCmdLine::*pcsField = nullptr;
        void (CDfCmdLine::*pfnValue)(const std::string& csValue) = nullptr;
        const char* szFixedValue = nullptr;
        DfOption eSecondToken = eInvalidOption;
    };

    void EffectApply(const COptionEffect& effect, const std::string& csValue);

    COptionSet m_Options;

private:
    bool KeywordApply(const char* szParam);

    void ObjectFileSet(const std::string& csValue);
    void WrkDirSet(const std::string& csValue);
    void BatPercentHighRiskSet(const std::string& csValue);
    void BatPercentSet(const std::string& csValue);
    void ClientMessageLevelSet(const std::string& csValue);
    void LocalCacheSet(const std::string& csValue);
};
