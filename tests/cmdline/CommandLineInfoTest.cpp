#include "cmdline/CommandLineInfo.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// Records what the tokenizer hands to the concrete class, one
// "text|flag|last" entry per call.
class CRecordingCmdLine : public CCCommandLineInfo
{
public:
    CRecordingCmdLine() : CCCommandLineInfo("/-") {}
    void ParseParam(const char* lpszParam, bool bFlag, bool bLast) override
    {
        m_calls.push_back(std::string(lpszParam) + "|" + (bFlag ? "1" : "0") + "|" + (bLast ? "1" : "0"));
    }
    void ResetOptions() override { m_calls.clear(); }
    std::vector<std::string> m_calls;
};

struct CTokenizeCase
{
    std::vector<std::string> args;
    std::vector<std::string> calls;
};

using TokenizeTest = testing::TestWithParam<CTokenizeCase>;

TEST_P(TokenizeTest, HandsEachParameterOnce)
{
    CRecordingCmdLine cmd;
    ArgsParse(cmd, GetParam().args);
    EXPECT_EQ(cmd.m_calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, TokenizeTest,
    testing::Values(CTokenizeCase{{}, {}}, CTokenizeCase{{"/UPD"}, {"UPD|1|1"}}, CTokenizeCase{{"-o=x"}, {"o=x|1|1"}},
                    CTokenizeCase{{"UPD"}, {"UPD|0|1"}}, CTokenizeCase{{"/"}, {"|1|1"}}, CTokenizeCase{{""}, {"|0|1"}},
                    // only the first switch character goes; no other character starts a switch
                    CTokenizeCase{{"//x", "\\y", "+z", "-/w"}, {"/x|1|0", "\\y|0|0", "+z|0|0", "/w|1|1"}}));

TEST(CompareParam, MatchesWholeTextsWithOrWithoutCase)
{
    EXPECT_TRUE(CCCommandLineInfo::CompareParam("UPD", "upd", true));
    EXPECT_FALSE(CCCommandLineInfo::CompareParam("UPD", "upd", false));
    EXPECT_FALSE(CCCommandLineInfo::CompareParam("updx", "upd", true));
    EXPECT_FALSE(CCCommandLineInfo::CompareParam("up", "upd", true));
}

TEST(CompareParamPrefix, GivesWhereTheValueBegins)
{
    int nLength = -2;
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix("o=", "O=c:\\x.bup", true, &nLength), 0);
    EXPECT_EQ(nLength, 2);
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix("crypt=", "CRYPT=", true, &nLength), 0);
    EXPECT_EQ(nLength, 6);

    nLength = -2;  // left alone on a mismatch
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix("crypt=", "crypt", true, &nLength), -1);
    EXPECT_EQ(CCCommandLineInfo::CompareParamPrefix("o=", "O=x", false, &nLength), -1);
    EXPECT_EQ(nLength, -2);
}
}  // namespace
