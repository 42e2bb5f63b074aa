// Password obfuscation: key derivation, refused key arguments, rendering as
// text, the random numbers and what Encrypt draws; CryptRunTest checks the
// whole texts of known passwords.
#include "crypt/CryptTestSupport.h"
#include "crypt/Des.h"
#include "crypt/RandomRange.h"
#include "crypt/XXCrypt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

namespace
{
const CDes g_host(nullptr, 0, 0, nullptr);
const std::string g_invalid = "status 2147942487", g_badLength = "status 24";  // E_INVALIDARG, ERROR_BAD_LENGTH
// In place of a selector byte: MakeKey draws one, or is given no place for it.
constexpr int g_nMake = -1, g_nMakeNoPlace = -2;

// The values the C runtime's rand() gives after srand(nSeed).
std::vector<uint32_t> RandValues(uint32_t nSeed, size_t nCount)
{
    std::vector<uint32_t> values;
    for (size_t i = 0; i < nCount; ++i)
        values.push_back(((nSeed = nSeed * 214013 + 2531011) >> 16) & 0x7FFF);
    return values;
}

// The bytes Fill gives when it seeds at time t: the clock plus day, month
// and year.
std::string FillText(time_t t, size_t nCount)
{
    const tm* pLocal = localtime(&t);
    const auto nSeed = static_cast<uint32_t>(t + pLocal->tm_mday + pLocal->tm_mon + 1 + pLocal->tm_year + 1900);
    std::vector<uint8_t> bytes;
    for (uint32_t nValue : RandValues(nSeed, nCount))
        bytes.push_back(static_cast<uint8_t>(nValue));
    return HexText(bytes.data(), nCount);
}

// The key DeriveKey (or MakeKey) writes into 32 bytes of 0xEE, or its
// status; "+" marks a write behind the key or any write of a refused call.
std::string Key(int32_t nLength, int nSelector, bool fKey = true)
{
    std::vector<uint8_t> key(32, 0xEE);
    uint8_t bSelector = 0xEE;
    uint8_t* pKey = fKey ? key.data() : nullptr;
    const DWORD dwStatus = nSelector < 0 ? g_host.MakeKey(pKey, nLength, nSelector == g_nMake ? &bSelector : nullptr)
                                         : g_host.DeriveKey(pKey, nLength, static_cast<uint8_t>(nSelector));
    if (dwStatus == 0)
        return HexText(key.data(), nLength) + (key[nLength] == 0xEE ? "" : "+");
    const bool fUntouched = key == std::vector<uint8_t>(32, 0xEE) && bSelector == 0xEE;
    return "status " + std::to_string(dwStatus) + (fUntouched ? "" : "+");
}

// The selector's two low bits pick the key. E_INVALIDARG for a missing
// buffer or a length of 0 or less, ERROR_BAD_LENGTH for one that is not 8,
// 16 or 24; nothing is written then.
TEST(XXCrypt, KeyFromTheSelectorsLowBits)
{
    EXPECT_EQ(Key(8, 0), "8BE98C1D88560D4A");
    EXPECT_EQ(Key(8, 1), "35ADA66C10EE8F02");
    EXPECT_EQ(Key(8, 0x80), "8BE98C1D88560D4A");
    EXPECT_EQ(Key(16, 0), "7F8943526C3B7AECF460CF4FE46D77A6");
    EXPECT_EQ(Key(16, 3), "67E277CD3B188896F800B4305B92DFEE");
    EXPECT_EQ(Key(24, 0), "72D3F113CDA2F642143A3036310A5D38ED004D3874FEA630");
    EXPECT_EQ(Key(24, 1), "8D5DC951A0FADA6A1806FD4ECB6B8BB1A0F692737B7FDED9");
    EXPECT_EQ(Key(24, 2), "18C856500832B631B8B73EE1CFFD6ECF219E01F246F7D81F");
    EXPECT_EQ(Key(24, 3), "764FAEF57EA37598C3B165F8F50F81D82A1C08F0EB26A338");
    EXPECT_EQ(Key(24, 0xFD), "8D5DC951A0FADA6A1806FD4ECB6B8BB1A0F692737B7FDED9");
    for (int nSelector : {1, g_nMake})
    {
        EXPECT_EQ(Key(24, nSelector, false), g_invalid);
        EXPECT_EQ(Key(0, nSelector), g_invalid);
        EXPECT_EQ(Key(-8, nSelector), g_invalid);
        EXPECT_EQ(Key(12, nSelector), g_badLength);
        EXPECT_EQ(Key(7, nSelector), g_badLength);
        EXPECT_EQ(Key(32, nSelector), g_badLength);
    }
    EXPECT_EQ(Key(24, g_nMakeNoPlace), g_invalid);
}

// Two uppercase digits per byte and the terminating zero, which needs room;
// another format is refused and nothing is written.
std::string Text(const std::string& bytes, const char* szFormat, int32_t nCapacity)
{
    std::vector<uint8_t> in = HexBytes(bytes);
    std::string text(64, 'x');
    const bool fOk = g_host.BytesToText(in.data(), static_cast<int32_t>(in.size()), &text[0], &nCapacity, szFormat);
    std::replace(text.begin(), text.end(), '\0', '|');
    return (fOk ? "" : "refused") + text.substr(0, text.find('x')) + " " + std::to_string(nCapacity);
}

TEST(XXCrypt, BytesToText)
{
    EXPECT_EQ(Text("00ff0a7bc3", "00", 11), "00FF0A7BC3| 10");  // | for the terminating zero
    EXPECT_EQ(Text("", "00", 1), "| 0");
    EXPECT_EQ(Text("00ff0a7bc3", "00", 10), "refused 10");
    EXPECT_EQ(Text("00ff", "xx", 64), "refused 64");
    EXPECT_EQ(Text("00ff", "000", 64), "refused 64");
    EXPECT_EQ(Text("00ff", "", 64), "refused 64");
}

// Next is the low bound plus rand() modulo the span (all 32 bits without
// wrapping); a reversed range is 0..1.
std::string Draws(uint32_t nLow, uint32_t nHigh)
{
    CRandomRange random(nLow, nHigh);
    srand(7);
    std::string values;
    for (int i = 0; i < 5; ++i)
        values += std::to_string(random.Next()) + " ";
    return values;
}

TEST(RandomRange, NextAfterASeed)
{
    EXPECT_EQ(Draws(0, 255), "61 14 111 128 161 ");
    EXPECT_EQ(Draws(10, 13), "11 12 13 10 11 ");
    EXPECT_EQ(Draws(5, 5), "5 5 5 5 5 ");
    EXPECT_EQ(Draws(0, 0xFFFFFFFF), "61 17422 15215 7040 15521 ");
    EXPECT_EQ(Draws(20, 10), "1 0 1 0 1 ");
}

// Fill seeds from the clock and draws from 0..255 whatever the range was;
// the selector in an obfuscated text is the first such draw. Nothing is
// drawn for an empty password. Texts hold nine bytes plus the padded
// length in uppercase hexadecimal digits.
TEST(XXCrypt, EncryptDrawsTheSelectorAfterAClockSeed)
{
    CRandomRange random(5, 5);
    uint8_t abBytes[6] = {};
    const time_t tBefore = time(nullptr);
    random.Fill(abBytes, sizeof(abBytes));
    const std::string text = CXXCrypt().Encrypt("abc");
    const time_t tAfter = time(nullptr);
    const std::string bytes = HexText(abBytes, 6);
    EXPECT_TRUE(bytes == FillText(tBefore, 6) || bytes == FillText(tAfter, 6)) << bytes;
    ASSERT_EQ(text.size(), 34u);
    const std::string selector = text.substr(g_nSelectorPos, 2);
    EXPECT_TRUE(selector == FillText(tBefore, 1) || selector == FillText(tAfter, 1)) << selector;

    srand(77);
    EXPECT_EQ(CXXCrypt().Encrypt(""), "");
    EXPECT_EQ(static_cast<uint32_t>(rand()), RandValues(77, 1)[0]);
    const std::string longText = CXXCrypt().Encrypt(std::string(100, 'p'));
    EXPECT_EQ(longText.size(), 226u);
    EXPECT_EQ(longText.find_first_not_of("0123456789ABCDEF"), std::string::npos) << longText;
}
}  // namespace
