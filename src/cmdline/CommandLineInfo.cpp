#include "cmdline/CommandLineInfo.h"

#include "trace/QuillTrace.h"

#include <cctype>
#include <cstring>

namespace
{
bool CharEqual(char chA, char chB, bool fIgnoreCase)
{
    if (!fIgnoreCase)
        return chA == chB;
    return tolower(static_cast<unsigned char>(chA)) == tolower(static_cast<unsigned char>(chB));
}
}  // namespace

CCCommandLineInfo::CCCommandLineInfo(const char* szSwitchChars) : m_csSwitchChars(szSwitchChars) {}

void CCCommandLineInfo::Parse(int argc, char* argv[])
{
    KRLX_TRACE(eTrcInfoCC, "CCCommandLineInfo::Parse", "Enter", "", "argc=%d", argc);
    for (int i = 1; i < argc; ++i)
    {
        const char* szArg = argv[i];
        const bool bFlag = szArg[0] != '\0' && m_csSwitchChars.find(szArg[0]) != std::string::npos;
        const bool bLast = i >= argc - 1;
        ParseParam(bFlag ? szArg + 1 : szArg, bFlag, bLast);
    }
    KRLX_TRACE(eTrcInfoCC, "CCCommandLineInfo::Parse", "Leave", "", "");
}

bool CCCommandLineInfo::CompareParam(const char* szParam, const char* szKeyword, bool fIgnoreCase)
{
    for (; *szParam && *szKeyword; ++szParam, ++szKeyword)
        if (!CharEqual(*szParam, *szKeyword, fIgnoreCase))
            return false;
    return *szParam == *szKeyword;
}

int CCCommandLineInfo::CompareParamPrefix(const char* szKeyword, const char* szParam, bool fIgnoreCase,
                                          int* pnKeywordLength)
{
    int nLength = 0;
    for (; szKeyword[nLength]; ++nLength)
        if (!CharEqual(szKeyword[nLength], szParam[nLength], fIgnoreCase))
            return -1;  // also stops at the end of a shorter parameter
    if (pnKeywordLength)
        *pnKeywordLength = nLength;
    return 0;
}

bool CCCommandLineInfo::KeywordMatch(const CKeyword& keyword, const char* szParam, std::string& csValue)
{
    for (const char* szKeyword : {keyword.szFirst, keyword.szSecond})
    {
        if (!szKeyword)
            continue;
        int nLength = 0;
        if (keyword.eMatch == eWholeMatch && CompareParam(szParam, szKeyword, true))
        {
            csValue.clear();
            return true;
        }
        if (keyword.eMatch == ePrefixMatch && CompareParamPrefix(szKeyword, szParam, true, &nLength) == 0)
        {
            csValue.assign(szParam + nLength);
            return true;
        }
    }
    return false;
}
