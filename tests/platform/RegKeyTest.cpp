#include "platform/RegKey.h"
#include "support/RegValues.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
constexpr char g_szTestKey[] = "SOFTWARE\\Tervane\\KorlixTests\\RegKey";
constexpr char g_szTestPath[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tervane\\KorlixTests\\RegKey";

struct CRootCase
{
    const char* szPath;
    HKEY hRoot;
    const char* szKeyName;
};

using RegKeyRootTest = testing::TestWithParam<CRootCase>;

TEST_P(RegKeyRootTest, SplitsRootAndSubkey)
{
    CCRegKey key(GetParam().szPath, KEY_READ);
    EXPECT_EQ(key.Root(), GetParam().hRoot);
    ASSERT_NE(key.KeyName(), nullptr);
    EXPECT_STREQ(key.KeyName(), GetParam().szKeyName);
}

INSTANTIATE_TEST_SUITE_P(
    Roots, RegKeyRootTest,
    testing::Values(CRootCase{"HKEY_LOCAL_MACHINE\\SOFTWARE\\X", HKEY_LOCAL_MACHINE, "SOFTWARE\\X"},
                    CRootCase{"HKEY_CURRENT_USER\\Software", HKEY_CURRENT_USER, "Software"},
                    CRootCase{"HKEY_CLASSES_ROOT\\CLSID", HKEY_CLASSES_ROOT, "CLSID"},
                    CRootCase{"HKEY_USERS\\.DEFAULT", HKEY_USERS, ".DEFAULT"},
                    CRootCase{"HKEY_CURRENT_CONFIG\\System", HKEY_CURRENT_CONFIG, "System"},
                    // Lower case matches no root; the empty row takes one character away.
                    CRootCase{"hkey_local_machine\\SOFTWARE", nullptr, "key_local_machine\\SOFTWARE"}));

TEST(RegKey, KeyWithoutRootNeverOpens)
{
    CCRegKey key("hkey_local_machine\\SOFTWARE", KEY_READ);
    EXPECT_FALSE(key.Open(KEY_READ));
    EXPECT_NE(key.LastError(), ERROR_SUCCESS);
}

class RegKeyValueTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_values.String("Text", "6.81 SP1");
        m_values.Raw("Binary", REG_BINARY, "abc", 3);
        m_values.Dword("Number", 7);
    }

    CRegValues m_values{g_szTestKey};
};

TEST_F(RegKeyValueTest, ReadsAStringAfterAskingForItsSize)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    ASSERT_TRUE(key.Open(KEY_READ));
    DWORD dwType = 0, dwSize = 0;
    ASSERT_TRUE(key.ValueQuery("Text", dwType, nullptr, dwSize));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(dwSize, 9u);
    char szBuffer[16];
    dwSize = sizeof(szBuffer);
    ASSERT_TRUE(key.ValueGetString("Text", szBuffer, dwSize));
    EXPECT_STREQ(szBuffer, "6.81 SP1");
    EXPECT_EQ(dwSize, 9u);
    EXPECT_TRUE(key.Close());
}

TEST_F(RegKeyValueTest, ClosedKeyOpensOnDemandWithItsOwnRights)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    char szBuffer[16];
    DWORD dwSize = sizeof(szBuffer);
    EXPECT_TRUE(key.ValueGetString("Text", szBuffer, dwSize));
    EXPECT_EQ(key.LastError(), ERROR_SUCCESS);
}

// The value of the next handle the process gets: freed handles are handed
// out again, so a leaked one shows as a higher value.
uintptr_t NextHandleValue()
{
    CCUniqueHKey probe;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, probe.put());
    return reinterpret_cast<uintptr_t>(probe.get());
}

// A key the caller opened stays open after a query; one opened for the
// query alone is closed again, its handle with it.
TEST_F(RegKeyValueTest, QueryClosesOnlyTheKeyItOpened)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    DWORD dwType = 0, dwSize = 0;
    bool fOpenedHere = false;
    uintptr_t nBefore = NextHandleValue();
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(key.ValueQuery("Text", dwType, nullptr, dwSize));
    EXPECT_EQ(NextHandleValue(), nBefore);
    EXPECT_TRUE(key.PrepareOpen(KEY_QUERY_VALUE, fOpenedHere));
    EXPECT_TRUE(fOpenedHere);
    ASSERT_TRUE(key.Close());
    ASSERT_TRUE(key.Open(KEY_READ));
    ASSERT_TRUE(key.ValueQuery("Text", dwType, nullptr, dwSize));
    EXPECT_TRUE(key.PrepareOpen(KEY_QUERY_VALUE, fOpenedHere));
    EXPECT_FALSE(fOpenedHere);
}

TEST_F(RegKeyValueTest, SmallerRightsAreNotWidened)
{
    CCRegKey key(g_szTestPath, KEY_QUERY_VALUE);
    bool fOpenedHere = true;
    EXPECT_FALSE(key.PrepareOpen(KEY_READ, fOpenedHere));
    EXPECT_TRUE(fOpenedHere);
    ASSERT_TRUE(key.Open(KEY_QUERY_VALUE));
    EXPECT_FALSE(key.PrepareOpen(KEY_READ, fOpenedHere));
    EXPECT_FALSE(fOpenedHere);
    EXPECT_TRUE(key.PrepareOpen(KEY_QUERY_VALUE, fOpenedHere));
}

TEST_F(RegKeyValueTest, TextInABinaryValueIsInvalidData)
{
    // Wine's narrow query always terminates REG_SZ data, so an unterminated
    // string shows up as text stored under another type.
    CCRegKey key(g_szTestPath, KEY_READ);
    DWORD dwType = 0, dwSize = 0;
    ASSERT_TRUE(key.ValueQuery("Binary", dwType, nullptr, dwSize));
    std::string buffer(dwSize, 'x');
    EXPECT_FALSE(key.ValueGetString("Binary", &buffer[0], dwSize));
    EXPECT_EQ(key.LastError(), ERROR_INVALID_DATA);
    EXPECT_EQ(dwSize, 3u);
    EXPECT_EQ(buffer, "abc");
}

TEST_F(RegKeyValueTest, NumberIsNotAString)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    char szBuffer[16];
    DWORD dwSize = sizeof(szBuffer);
    EXPECT_FALSE(key.ValueGetString("Number", szBuffer, dwSize));
    EXPECT_EQ(key.LastError(), ERROR_INVALID_DATA);
}

TEST_F(RegKeyValueTest, MissingValueKeepsTheSystemResult)
{
    CCRegKey key(g_szTestPath, KEY_READ);
    char szBuffer[16];
    DWORD dwSize = sizeof(szBuffer);
    EXPECT_FALSE(key.ValueGetString("Absent", szBuffer, dwSize));
    EXPECT_EQ(key.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(dwSize, 0u);
}
}  // namespace
