// Base of the command-line classes: walks the argument vector and hands each
// parameter, switch character removed, to the concrete class.
#pragma once

#include <cstddef>
#include <string>

class CCCommandLineInfo
{
public:
    explicit CCCommandLineInfo(const char* szSwitchChars);
    virtual ~CCCommandLineInfo() = default;

    // Calls ParseParam for argv[1] to argv[argc - 1]; argv[0] is the program.
    void Parse(int argc, char* argv[]);

    virtual void ParseParam(const char* lpszParam, bool bFlag, bool bLast) = 0;
    virtual void ResetOptions() = 0;

    // True when both texts are equal over their whole length.
    static bool CompareParam(const char* szParam, const char* szKeyword, bool fIgnoreCase);
    // 0 when keyword is a prefix of param (or equal to it), then *pnKeywordLength
    // gets where the value begins; -1 otherwise, leaving *pnKeywordLength alone.
    static int CompareParamPrefix(const char* szKeyword, const char* szParam, bool fIgnoreCase,
                                  int* pnKeywordLength = nullptr);

protected:
    // A keyword row of the parsers' tables: one or two spellings that match
    // the whole parameter or its beginning.
    enum EMatch
    {
        eWholeMatch,
        ePrefixMatch,
    };
    struct CKeyword
    {
        const char* szFirst;
        const char* szSecond;  // null when the row has one spelling only
        EMatch eMatch;
    };

    // Case-insensitive match of one row; for a prefix row csValue receives
    // the text behind the keyword, for a whole row it is emptied.
    static bool KeywordMatch(const CKeyword& keyword, const char* szParam, std::string& csValue);

    // First row of a table whose keyword matches, or null.
    template <class TRow, size_t N>
    static const TRow* KeywordRowFind(const TRow (&rgRows)[N], const char* szParam, std::string& csValue)
    {
        for (const TRow& row : rgRows)
            if (KeywordMatch(row.keyword, szParam, csValue))
                return &row;
        return nullptr;
    }

    static const char* BoolText(bool f) { return f ? "true" : "false"; }

private:
    std::string m_csSwitchChars;
};
