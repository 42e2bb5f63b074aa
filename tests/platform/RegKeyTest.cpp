// The registry key: string values and the rights it opens with.
// ProgramInfoTest and the extension runs of CommandLineRunTest read values
// through it end to end; CmdLineTraceTest shows its records.
#include "platform/RegKey.h"
#include "support/RegValues.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr char g_szTestKey[] = "SOFTWARE\\Tervane\\KorlixTests\\RegKey";
constexpr char g_szTestPath[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\KorlixTests\\RegKey";

class RegKeyValueTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_values.String("Text", "6.81 SP1");
        m_values.String("Expand", "%x%", REG_EXPAND_SZ);
        m_values.Raw("Binary", REG_BINARY, "abc", 3);
        m_values.Dword("Number", 7);
    }

    CRegValues m_values{g_szTestKey};
};

// Result, last error, size and text of a string read through a closed key.
std::string StringRead(const char* szName)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    char szBuffer[16] = {};
    DWORD dwSize = sizeof(szBuffer);
    const bool fOk = key.ValueGetString(szName, szBuffer, dwSize);
    return std::to_string(fOk) + " " + std::to_string(key.LastError()) + " " + std::to_string(dwSize) + " " + szBuffer;
}

// A closed key opens for the read with its owner's rights; a string is text
// of a string type with its terminator (13: invalid data, 2: not found).
// Wine's narrow query always terminates REG_SZ data, so an unterminated
// string is text of another type.
TEST_F(RegKeyValueTest, StringValues)
{
    EXPECT_EQ(StringRead("Text"), "1 0 9 6.81 SP1");
    EXPECT_EQ(StringRead("Expand"), "1 0 4 %x%");
    EXPECT_EQ(StringRead("Binary"), "0 13 3 abc");
    EXPECT_EQ(StringRead("Number"), "0 13 4 \7");
    EXPECT_EQ(StringRead("Absent"), "0 2 0 ");
}

// Rights are never widened: a read that needs more than the key was opened
// with, or is to be opened with, is refused.
TEST_F(RegKeyValueTest, RightsAreNotWidened)
{
    CCRegKey key(g_szTestPath, KEY_QUERY_VALUE);
    bool fOpenedHere = false;
    EXPECT_FALSE(key.PrepareOpen(KEY_READ, fOpenedHere));
    EXPECT_TRUE(key.PrepareOpen(KEY_QUERY_VALUE, fOpenedHere));
    EXPECT_TRUE(fOpenedHere);
    EXPECT_FALSE(key.PrepareOpen(KEY_READ, fOpenedHere));
    EXPECT_TRUE(key.PrepareOpen(KEY_QUERY_VALUE, fOpenedHere));
    EXPECT_FALSE(fOpenedHere);
}
}  // namespace
