#include "Script.h"

#include <gtest/gtest.h>

namespace
{
std::vector<CScriptBlock> ParseOk(const std::string& text)
{
    std::vector<CScriptBlock> blocks;
    std::string reason;
    EXPECT_TRUE(ScriptParse(text, blocks, reason)) << reason;
    return blocks;
}

TEST(ScriptParse, BlocksWithAllKeywords)
{
    auto blocks = ParseOk("# first comes Execute\n"
                          "\n"
                          "call\n"
                          "hr 0x80004005\n"
                          "status 0x80040205\n"
                          "out <eAction> Checking update file(s)\\n\n"
                          "out <eJobDone>0\\n\n"
                          "err Invalid password\n"
                          "sleep 300\n"
                          "end\n"
                          "call\r\n"
                          "status 7\r\n"
                          "end\r\n");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(static_cast<unsigned long>(blocks[0].hr), 0x80004005ul);
    EXPECT_EQ(blocks[0].ulStatus, 0x80040205ul);
    EXPECT_EQ(blocks[0].output, "<eAction> Checking update file(s)\n<eJobDone>0\n");
    EXPECT_EQ(blocks[0].errorText, "Invalid password");
    EXPECT_EQ(blocks[0].dwSleepMs, 300u);
    EXPECT_EQ(blocks[1].hr, S_OK);
    EXPECT_EQ(blocks[1].ulStatus, 7u);
    EXPECT_EQ(blocks[1].output, "");
    EXPECT_EQ(blocks[1].dwSleepMs, 0u);
}

TEST(ScriptParse, TextIsEverythingAfterTheOneBlank)
{
    auto blocks = ParseOk("call\nout   two blanks kept \nerr\nend");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].output, "  two blanks kept ");
    EXPECT_EQ(blocks[0].errorText, "");
}

struct CEscapeCase
{
    const char* szInput;
    const char* szExpected;
};

using TextUnescapeTest = testing::TestWithParam<CEscapeCase>;

TEST_P(TextUnescapeTest, Resolves)
{
    std::string result, reason;
    ASSERT_TRUE(TextUnescape(GetParam().szInput, result, reason)) << reason;
    EXPECT_EQ(result, GetParam().szExpected);
}

INSTANTIATE_TEST_SUITE_P(Escapes, TextUnescapeTest,
                         testing::Values(CEscapeCase{"a\\nb", "a\nb"}, CEscapeCase{"\\r\\n", "\r\n"},
                                         CEscapeCase{"x\\ty", "x\ty"}, CEscapeCase{"\\\\n", "\\n"},
                                         CEscapeCase{"\\x41\\x7a", "Az"}, CEscapeCase{"\\xE4", "\xE4"},
                                         CEscapeCase{"plain", "plain"}));

struct CBadScript
{
    const char* szName;
    const char* szText;
    const char* szReason;
};

using ScriptParseBadTest = testing::TestWithParam<CBadScript>;

TEST_P(ScriptParseBadTest, FailsWithReason)
{
    std::vector<CScriptBlock> blocks;
    std::string reason;
    EXPECT_FALSE(ScriptParse(GetParam().szText, blocks, reason));
    EXPECT_EQ(reason, GetParam().szReason);
    EXPECT_TRUE(blocks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bad, ScriptParseBadTest,
    testing::Values(CBadScript{"Empty", "", "no 'call' block"},
                    CBadScript{"OnlyComments", "# nothing\n\n", "no 'call' block"},
                    CBadScript{"TextOutsideBlock", "out x\n", "line 1: 'call' expected"},
                    CBadScript{"MissingEnd", "call\nout x\n", "line 2: block without 'end'"},
                    CBadScript{"NestedCall", "call\ncall\nend\n", "line 2: 'call' inside a block"},
                    CBadScript{"UnknownKeyword", "call\nstatuss 1\nend\n", "line 2: unknown keyword 'statuss'"},
                    CBadScript{"BadNumber", "call\nstatus 12z\nend\n", "line 2: bad number '12z' for status"},
                    CBadScript{"NegativeNumber", "call\nsleep -1\nend\n", "line 2: bad number '-1' for sleep"},
                    CBadScript{"TooLarge", "call\nhr 0x100000000\nend\n", "line 2: bad number '0x100000000' for hr"},
                    CBadScript{"ShortHex", "call\nout \\x4\nend\n", "line 2: \\x needs two hexadecimal digits"},
                    CBadScript{"UnknownEscape", "call\nerr \\q\nend\n", "line 2: unknown escape \\q"},
                    CBadScript{"TrailingBackslash", "call\nout a\\\nend\n", "line 2: text ends in a backslash"}),
    [](const testing::TestParamInfo<CBadScript>& info) { return std::string(info.param.szName); });

TEST(TextEscape, EscapesControlBytesAndBackslash)
{
    EXPECT_EQ(TextEscape("a\tb\nc\rd\\e\x01\x1f"
                         "f\xE4"),
              "a\\tb\\nc\\rd\\\\e\\x01\\x1Ff\xE4");
}

TEST(TextEscape, RoundTripsThroughUnescape)
{
    std::string original = "\"C:\\Program Files\\K.exe\" /UPD\t\x02";
    std::string back, reason;
    ASSERT_TRUE(TextUnescape(TextEscape(original), back, reason)) << reason;
    EXPECT_EQ(back, original);
}
}  // namespace
