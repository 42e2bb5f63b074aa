#include "cmdline/CommandLineInfo.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct CCall
{
    std::string csParam;
    bool bFlag;
    bool bLast;
    bool operator==(const CCall& other) const
    {
        return csParam == other.csParam && bFlag == other.bFlag && bLast == other.bLast;
    }
};

std::ostream& operator<<(std::ostream& os, const CCall& call)
{
    return os << "{'" << call.csParam << "', " << call.bFlag << ", " << call.bLast << "}";
}

// Records what the tokenizer hands to the concrete class.
class CRecordingCmdLine : public CCCommandLineInfo
{
public:
    CRecordingCmdLine() : CCCommandLineInfo("/-") {}
    void ParseParam(const char* lpszParam, bool bFlag, bool bLast) override
    {
        m_calls.push_back({lpszParam, bFlag, bLast});
    }
    void ResetOptions() override { m_calls.clear(); }
    std::vector<CCall> m_calls;
};

struct CTokenizeCase
{
    std::vector<std::string> args;
    std::vector<CCall> calls;
};

class TokenizeTest : public testing::TestWithParam<CTokenizeCase>
{
};

TEST_P(TokenizeTest, HandsEachParameterOnce)
{
    CRecordingCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.m_calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, TokenizeTest,
    testing::Values(
        CTokenizeCase{{}, {}},
        CTokenizeCase{{"/UPD"}, {{"UPD", true, true}}},
        CTokenizeCase{{"-o=x"}, {{"o=x", true, true}}},
        CTokenizeCase{{"UPD"}, {{"UPD", false, true}}},
        // only the first switch character goes
        CTokenizeCase{{"//x", "-/y"}, {{"/x", true, false}, {"/y", true, true}}},
        CTokenizeCase{{"/"}, {{"", true, true}}},
        CTokenizeCase{{""}, {{"", false, true}}},
        CTokenizeCase{{"/a", "b", "-c"}, {{"a", true, false}, {"b", false, false}, {"c", true, true}}},
        // other characters do not start a switch
        CTokenizeCase{{"\\x", "+y"}, {{"\\x", false, false}, {"+y", false, true}}}));

struct CCompareCase
{
    const char* szParam;
    const char* szKeyword;
    bool fIgnoreCase;
    bool fEqual;
};

class CompareParamTest : public testing::TestWithParam<CCompareCase>
{
};

TEST_P(CompareParamTest, ComparesWholeTexts)
{
    const CCompareCase& c = GetParam();
    EXPECT_EQ(CCCommandLineInfo::CompareParam(c.szParam, c.szKeyword, c.fIgnoreCase), c.fEqual);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareParamTest,
                         testing::Values(CCompareCase{"UPD", "upd", true, true},
                                         CCompareCase{"UPD", "upd", false, false},
                                         CCompareCase{"upd", "upd", false, true},
                                         CCompareCase{"updx", "upd", true, false},
                                         CCompareCase{"up", "upd", true, false},
                                         CCompareCase{"", "", true, true},
                                         CCompareCase{"", "s", true, false}));

struct CPrefixCase
{
    const char* szKeyword;
    const char* szParam;
    bool fIgnoreCase;
    int nResult;
    int nLength;  // -2: left as it was
};

class CompareParamPrefixTest : public testing::TestWithParam<CPrefixCase>
{
};

TEST_P(CompareParamPrefixTest, FindsKeywordAtTheStart)
{
    const CPrefixCase& c = GetParam();
    int nLength = -2;
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix(c.szKeyword, c.szParam, c.fIgnoreCase, &nLength),
              c.nResult);
    EXPECT_EQ(nLength, c.nLength);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareParamPrefixTest,
                         testing::Values(CPrefixCase{"o=", "O=c:\\x.bup", true, 0, 2},
                                         CPrefixCase{"crypt=", "CRYPT=abc", true, 0, 6},
                                         CPrefixCase{"crypt=", "crypt", true, -1, -2},
                                         CPrefixCase{"crypt=", "crypt=", true, 0, 6},
                                         CPrefixCase{"o=", "O=x", false, -1, -2},
                                         CPrefixCase{"o=", "o=x", false, 0, 2},
                                         CPrefixCase{"lf=", "xlf=a", true, -1, -2}));

TEST(CompareParamPrefix, LengthIsOptional)
{
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix("wd=", "WD=c:\\w", true), 0);
}
}  // namespace
