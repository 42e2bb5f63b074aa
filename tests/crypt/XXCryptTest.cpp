// Password obfuscation: key derivation, the random selector, rendering as
// text and the selector and length of obfuscated texts.
#include "crypt/CryptTestSupport.h"
#include "crypt/Des.h"
#include "crypt/RandomRange.h"
#include "crypt/XXCrypt.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>

namespace
{
constexpr DWORD g_dwInvalidArgument = 0x80070057;
constexpr DWORD g_dwBadLength = 24;

// The C runtime's generator: the values rand() gives after srand(nSeed).
std::vector<uint32_t> RandValues(uint32_t nSeed, size_t nCount)
{
    std::vector<uint32_t> values;
    for (size_t i = 0; i < nCount; ++i)
    {
        nSeed = nSeed * 214013 + 2531011;
        values.push_back((nSeed >> 16) & 0x7FFF);
    }
    return values;
}

// The seed Seed() takes at time t: the clock plus day, month and year.
uint32_t ClockSeed(time_t t)
{
    const tm* pLocal = localtime(&t);
    return static_cast<uint32_t>(t + pLocal->tm_mday + pLocal->tm_mon + 1 + pLocal->tm_year + 1900);
}

// The bytes Fill gives when it seeds at time t.
std::vector<uint8_t> FillBytes(time_t t, size_t nCount)
{
    std::vector<uint8_t> bytes;
    for (uint32_t nValue : RandValues(ClockSeed(t), nCount))
        bytes.push_back(static_cast<uint8_t>(nValue % 256));
    return bytes;
}

struct CDeriveCase
{
    int32_t nLength;
    uint8_t bSelector;
    const char* szKey;
};

using DeriveKeyTest = testing::TestWithParam<CDeriveCase>;

TEST_P(DeriveKeyTest, KeyFromTheSelectorsLowBits)
{
    const CDeriveCase& c = GetParam();
    const CDes host(nullptr, 0, 0, nullptr);
    std::vector<uint8_t> key(32, 0xEE);
    EXPECT_EQ(host.DeriveKey(key.data(), c.nLength, c.bSelector), 0u);
    EXPECT_EQ(HexText(key.data(), c.nLength), c.szKey);
    EXPECT_EQ(key[c.nLength], 0xEE);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DeriveKeyTest,
                         testing::Values(CDeriveCase{8, 0, "8BE98C1D88560D4A"}, CDeriveCase{8, 1, "35ADA66C10EE8F02"},
                                         CDeriveCase{16, 0, "7F8943526C3B7AECF460CF4FE46D77A6"},
                                         CDeriveCase{16, 3, "67E277CD3B188896F800B4305B92DFEE"},
                                         CDeriveCase{24, 0, "72D3F113CDA2F642143A3036310A5D38ED004D3874FEA630"},
                                         CDeriveCase{24, 1, "8D5DC951A0FADA6A1806FD4ECB6B8BB1A0F692737B7FDED9"},
                                         CDeriveCase{24, 2, "18C856500832B631B8B73EE1CFFD6ECF219E01F246F7D81F"},
                                         CDeriveCase{24, 3, "764FAEF57EA37598C3B165F8F50F81D82A1C08F0EB26A338"},
                                         CDeriveCase{24, 0xFD, "8D5DC951A0FADA6A1806FD4ECB6B8BB1A0F692737B7FDED9"},
                                         CDeriveCase{8, 0x80, "8BE98C1D88560D4A"}));

struct CStatusCase
{
    const char* szName;
    bool fKey;
    bool fSelector;
    int32_t nLength;
    DWORD dwStatus;
};

using KeyStatusTest = testing::TestWithParam<CStatusCase>;

TEST_P(KeyStatusTest, RefusedArgumentsWriteNothing)
{
    const CStatusCase& c = GetParam();
    const CDes host(nullptr, 0, 0, nullptr);
    std::vector<uint8_t> key(32, 0xEE);
    uint8_t* pKey = c.fKey ? key.data() : nullptr;
    uint8_t bSelector = 0xEE;
    EXPECT_EQ(host.MakeKey(pKey, c.nLength, c.fSelector ? &bSelector : nullptr), c.dwStatus);
    EXPECT_EQ(bSelector, 0xEE);
    if (c.fSelector)
    {
        EXPECT_EQ(host.DeriveKey(pKey, c.nLength, 1), c.dwStatus);
    }
    EXPECT_EQ(key, std::vector<uint8_t>(32, 0xEE));
}

INSTANTIATE_TEST_SUITE_P(Arguments, KeyStatusTest,
                         testing::Values(CStatusCase{"NoKey", false, true, 24, g_dwInvalidArgument},
                                         CStatusCase{"NoSelector", true, false, 24, g_dwInvalidArgument},
                                         CStatusCase{"LengthZero", true, true, 0, g_dwInvalidArgument},
                                         CStatusCase{"NegativeLength", true, true, -8, g_dwInvalidArgument},
                                         CStatusCase{"NotAMultipleOfEight", true, true, 12, g_dwBadLength},
                                         CStatusCase{"SevenBytes", true, true, 7, g_dwBadLength},
                                         CStatusCase{"LongerThanTripleDes", true, true, 32, g_dwBadLength}),
                         [](const testing::TestParamInfo<CStatusCase>& info) {
                             return std::string(info.param.szName);
                         });

// The selector is the first draw after a seed from the clock.
TEST(MakeKey, DerivesTheKeyFromAFreshSelector)
{
    const CDes host(nullptr, 0, 0, nullptr);
    uint8_t abKey[24] = {};
    uint8_t bSelector = 0;
    const time_t tBefore = time(nullptr);
    ASSERT_EQ(host.MakeKey(abKey, 24, &bSelector), 0u);
    const time_t tAfter = time(nullptr);
    EXPECT_TRUE(bSelector == FillBytes(tBefore, 1)[0] || bSelector == FillBytes(tAfter, 1)[0]);
    uint8_t abDerived[24] = {};
    ASSERT_EQ(host.DeriveKey(abDerived, 24, bSelector), 0u);
    EXPECT_EQ(HexText(abKey, 24), HexText(abDerived, 24));
}

struct CTextCase
{
    const char* szBytes;
    const char* szFormat;
    int32_t nCapacity;
    bool fOk;
    const char* szText;
    int32_t nCapacityOut;
};

using BytesToTextTest = testing::TestWithParam<CTextCase>;

TEST_P(BytesToTextTest, TwoUppercaseDigitsPerByte)
{
    const CTextCase& c = GetParam();
    const CDes host(nullptr, 0, 0, nullptr);
    std::vector<uint8_t> bytes = HexBytes(c.szBytes);
    std::vector<char> text(64, 'x');
    text.back() = '\0';
    int32_t nCapacity = c.nCapacity;
    EXPECT_EQ(host.BytesToText(bytes.data(), static_cast<int32_t>(bytes.size()), text.data(), &nCapacity, c.szFormat),
              c.fOk);
    EXPECT_EQ(std::string(text.data()).substr(0, strlen(c.szText) + 1),
              c.fOk ? c.szText : std::string(strlen(c.szText) + 1, 'x'));
    EXPECT_EQ(nCapacity, c.nCapacityOut);
}

INSTANTIATE_TEST_SUITE_P(Formats, BytesToTextTest,
                         testing::Values(CTextCase{"00ff0a7bc3", "00", 12, true, "00FF0A7BC3", 10},
                                         CTextCase{"00ff0a7bc3", "00", 11, true, "00FF0A7BC3", 10},
                                         CTextCase{"abcdef", "00", 64, true, "ABCDEF", 6},
                                         CTextCase{"", "00", 1, true, "", 0},
                                         // No room for the terminating zero.
                                         CTextCase{"00ff0a7bc3", "00", 10, false, "xxxxxxxxxx", 10},
                                         CTextCase{"00ff", "xx", 64, false, "xxxx", 64},
                                         CTextCase{"00ff", "000", 64, false, "xxxx", 64},
                                         CTextCase{"00ff", "", 64, false, "xxxx", 64}));

struct CRangeCase
{
    uint32_t nLow;
    uint32_t nHigh;
    uint32_t nSeed;
    uint32_t nLowUsed;  // a reversed range is used as 0..1
    uint32_t nHighUsed;
};

using RandomRangeTest = testing::TestWithParam<CRangeCase>;

TEST_P(RandomRangeTest, NextIsLowPlusRandModuloTheSpan)
{
    const CRangeCase& c = GetParam();
    CRandomRange random(c.nLow, c.nHigh);
    srand(c.nSeed);
    const uint64_t nSpan = uint64_t{c.nHighUsed} - c.nLowUsed + 1;
    for (uint32_t nValue : RandValues(c.nSeed, 5))
        EXPECT_EQ(random.Next(), c.nLowUsed + nValue % nSpan);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RandomRangeTest,
                         testing::Values(CRangeCase{0, 255, 1, 0, 255}, CRangeCase{0, 255, 12345, 0, 255},
                                         CRangeCase{10, 13, 7, 10, 13}, CRangeCase{5, 5, 99, 5, 5},
                                         CRangeCase{1000, 1000000, 3, 1000, 1000000},
                                         CRangeCase{0, 0xFFFFFFFF, 42, 0, 0xFFFFFFFF}, CRangeCase{20, 10, 8, 0, 1}));

// Fill seeds from the clock and draws from 0..255 whatever the range was.
TEST(RandomRange, FillSeedsAndDrawsBytes)
{
    CRandomRange random(5, 5);
    uint8_t abBytes[6] = {};
    const time_t tBefore = time(nullptr);
    random.Fill(abBytes, sizeof(abBytes));
    const time_t tAfter = time(nullptr);
    const std::vector<uint8_t> bytes(abBytes, abBytes + sizeof(abBytes));
    EXPECT_TRUE(bytes == FillBytes(tBefore, 6) || bytes == FillBytes(tAfter, 6)) << HexText(abBytes, 6);
}

// The selector byte in the text is the first draw after a seed from the
// clock; CryptRunTest checks the whole texts of the known passwords.
TEST(Encrypt, SelectorIsTheFirstDrawAfterAClockSeed)
{
    const time_t tBefore = time(nullptr);
    const std::string text = CXXCrypt().Encrypt("abc");
    const time_t tAfter = time(nullptr);
    ASSERT_EQ(text.size(), 34u);
    const std::string selector = text.substr(g_nSelectorPos, 2);
    EXPECT_TRUE(selector == HexText(FillBytes(tBefore, 1).data(), 1) ||
                selector == HexText(FillBytes(tAfter, 1).data(), 1))
        << selector;
}

// Nine bytes plus the padded length, in uppercase hexadecimal digits.
TEST(Encrypt, TextLengthOfLongerPasswords)
{
    EXPECT_EQ(CXXCrypt().Encrypt(std::string(15, 'p')).size(), 50u);
    const std::string text = CXXCrypt().Encrypt(std::string(100, 'p'));
    EXPECT_EQ(text.size(), 226u);
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
}

// Nothing is drawn for an empty password: the generator goes on where it was.
TEST(Encrypt, EmptyPasswordDrawsNoRandomValue)
{
    srand(77);
    EXPECT_EQ(CXXCrypt().Encrypt(""), "");
    EXPECT_EQ(static_cast<uint32_t>(rand()), RandValues(77, 1)[0]);
}
}  // namespace
