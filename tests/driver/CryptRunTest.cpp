// /CRYPT end to end: the obfuscated password on standard output, exit code
// 0, no engine and no elevation needed.
#include "crypt/CryptTestSupport.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
const std::string g_prefix = "The encrypted password is: ";

const CKnownText* KnownTextFind(const char* szClear)
{
    for (const CKnownText& known : g_aKnownTexts)
    {
        if (strcmp(known.szClear, szClear) == 0)
            return &known;
    }
    return nullptr;
}

// The engine records its creation into `record`, should it ever be created.
CKorlixRun CryptRun(const std::string& arguments, const CTempFile& record, bool fLimited = false)
{
    CKorlixStart start;
    start.arguments = arguments;
    start.environment["DIDEREVE_RECORD"] = record.Path();
    start.fLimited = fLimited;
    return KorlixRun(start);
}

struct CCryptRunCase
{
    const char* szName;
    const char* szArguments;
    bool fLimited;
    const char* szClear;  // the password the text must encode; empty: no text
};

using CryptRunTest = testing::TestWithParam<CCryptRunCase>;

// The key prompt prints nothing when the output is redirected.
TEST_P(CryptRunTest, PrintsTheObfuscatedPassword)
{
    const CCryptRunCase& c = GetParam();
    CTempFile record(".rec");
    CKorlixRun result = CryptRun(c.szArguments, record, c.fLimited);
    EXPECT_EQ(result.dwExitCode, 0u);
    EXPECT_EQ(result.err, "");
    ASSERT_EQ(result.out.substr(0, g_prefix.size()), g_prefix);
    const std::string text = result.out.substr(g_prefix.size());
    if (*c.szClear == '\0')
    {
        EXPECT_EQ(text, "");
    }
    else
    {
        const CKnownText* pKnown = KnownTextFind(c.szClear);
        ASSERT_NE(pKnown, nullptr);
        EXPECT_EQ(text, KnownTextFor(*pKnown, text));
    }
    EXPECT_EQ(record.Read(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, CryptRunTest,
    testing::Values(CCryptRunCase{"Plain", "/CRYPT=abc", false, "abc"},
                    CCryptRunCase{"LowerCase", "/crypt=a", false, "a"},
                    CCryptRunCase{"QuietStillPrints", "/CRYPT=abc /S", false, "abc"},
                    CCryptRunCase{"WithLogFile", "/CRYPT=Secret#1 /LF=crypt.log", false, "Secret#1"},
                    CCryptRunCase{"QuotedBlank", "\"/CRYPT=my pass\"", false, "my pass"},
                    CCryptRunCase{"PercentSigns", "/CRYPT=50%s%d", false, "50%s%d"},
                    CCryptRunCase{"SixteenBytes", "/CRYPT=0123456789ABCDEF", false, "0123456789ABCDEF"},
                    CCryptRunCase{"Empty", "/CRYPT=", false, ""},
                    CCryptRunCase{"NotElevated", "/CRYPT=abc", true, "abc"},
                    CCryptRunCase{"EmptyNotElevated", "/CRYPT=", true, ""}),
    [](const testing::TestParamInfo<CCryptRunCase>& info) { return std::string(info.param.szName); });

struct COtherAnswerCase
{
    const char* szArguments;
    DWORD dwExitCode;
    const char* szErr;
};

using CryptOtherAnswerTest = testing::TestWithParam<COtherAnswerCase>;

// Syntax checks come first; nothing is printed on standard output.
TEST_P(CryptOtherAnswerTest, NoPasswordText)
{
    const COtherAnswerCase& c = GetParam();
    CTempFile record(".rec");
    CKorlixRun result = CryptRun(c.szArguments, record);
    EXPECT_EQ(result.dwExitCode, c.dwExitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.szErr);
    EXPECT_EQ(record.Read(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CryptOtherAnswerTest,
    testing::Values(COtherAnswerCase{"/CRYPT=abc /syntax", 0, ""},
                    COtherAnswerCase{"/CRYPT", 4, "\r\nInvalid command line\r\n"},
                    COtherAnswerCase{"/CRYPT=abc /UPD", 4, "\r\nInvalid command line\r\n"},
                    COtherAnswerCase{"/CRYPT=abc /S /O=x.bup", 4, ""}));
}  // namespace
