// /CRYPT end to end: the obfuscated password on standard output, exit code
// 0, no engine and no elevation needed; syntax checks come first.
#include "crypt/CryptTestSupport.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
const std::string g_prefix = "The encrypted password is: ";
const char g_szInvalid[] = "\r\nInvalid command line\r\n";

struct CCryptRunCase
{
    const char* szName;
    const char* szArguments;
    const char* szClear;  // the password the text must encode; empty: no text; null: nothing printed
    bool fLimited = false;
    DWORD dwExitCode = 0;
    const char* szErr = "";
};

using CryptRunTest = testing::TestWithParam<CCryptRunCase>;

// The key prompt prints nothing when the output is redirected.
TEST_P(CryptRunTest, AnswerWithoutTheEngine)
{
    const CCryptRunCase& c = GetParam();
    CTempFile record(".rec");  // the engine would record its creation here
    CKorlixStart start;
    start.arguments = c.szArguments;
    start.environment["DIDEREVE_RECORD"] = record.Path();
    start.fLimited = c.fLimited;
    CKorlixRun result = KorlixRun(start);
    EXPECT_EQ(result.dwExitCode, c.dwExitCode);
    EXPECT_EQ(result.err, c.szErr);
    EXPECT_EQ(record.Read(), "");
    if (!c.szClear)
    {
        EXPECT_EQ(result.out, "");
        return;
    }
    ASSERT_EQ(result.out.substr(0, g_prefix.size()), g_prefix);
    const std::string text = result.out.substr(g_prefix.size());
    if (*c.szClear == '\0')
    {
        EXPECT_EQ(text, "");
    }
    else
    {
        const CKnownText* pKnown =
            std::find_if(std::begin(g_aKnownTexts), std::end(g_aKnownTexts),
                         [&](const CKnownText& k) { return k.szClear == std::string(c.szClear); });
        ASSERT_NE(pKnown, std::end(g_aKnownTexts));
        EXPECT_EQ(text, KnownTextFor(*pKnown, text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, CryptRunTest,
    testing::Values(CCryptRunCase{"Plain", "/CRYPT=abc", "abc"}, CCryptRunCase{"LowerCase", "/crypt=a", "a"},
                    CCryptRunCase{"QuietStillPrints", "/CRYPT=abc /S", "abc"},
                    CCryptRunCase{"WithLogFile", "/CRYPT=Secret#1 /LF=crypt.log", "Secret#1"},
                    CCryptRunCase{"QuotedBlank", "\"/CRYPT=my pass\"", "my pass"},
                    CCryptRunCase{"PercentSigns", "/CRYPT=50%s%d", "50%s%d"},
                    CCryptRunCase{"SixteenBytes", "/CRYPT=0123456789ABCDEF", "0123456789ABCDEF"},
                    CCryptRunCase{"Empty", "/CRYPT=", ""}, CCryptRunCase{"NotElevated", "/CRYPT=abc", "abc", true},
                    CCryptRunCase{"EmptyNotElevated", "/CRYPT=", "", true},
                    CCryptRunCase{"Syntax", "/CRYPT=abc /syntax", nullptr},
                    CCryptRunCase{"NoValue", "/CRYPT", nullptr, false, 4, g_szInvalid},
                    CCryptRunCase{"WithACommand", "/CRYPT=abc /UPD", nullptr, false, 4, g_szInvalid},
                    CCryptRunCase{"QuietWithAnObjectFile", "/CRYPT=abc /S /O=x.bup", nullptr, false, 4}),
    [](const testing::TestParamInfo<CCryptRunCase>& info) { return std::string(info.param.szName); });
}  // namespace
