// The cipher class: single-DES known answers, triple DES with padding, the
// MAC, refused requests and the wiping of the key on destruction.
#include "crypt/Des.h"
#include "crypt/CryptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

namespace
{
// Three different keys: K1, K2, K3.
constexpr char g_szTripleKey[] = "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123";
constexpr char g_szFox[] = "54686520717566636B2062726F776E20666F78206A756D70";  // "The qufck brown fox jump"

struct CCryptResult
{
    bool fOk = false;
    int32_t nOutLength = 0;
    std::string output;
};

CCryptResult CryptRun(const std::string& key, uint8_t bMode, const std::string& input, int32_t nRoom = 64,
                      uint8_t bDirection = CDes::eEncipher, const uint8_t* pIv = nullptr)
{
    std::vector<uint8_t> keyBytes = HexBytes(key);
    std::vector<uint8_t> in = HexBytes(input);
    std::vector<uint8_t> out(64, 0xEE);
    CDes des(keyBytes.data(), static_cast<int32_t>(keyBytes.size()), bMode, pIv);
    CCryptResult result;
    const int32_t nIn = static_cast<int32_t>(in.size());
    result.nOutLength = nRoom;
    result.fOk = des.Crypt(in.data(), &nIn, out.data(), &result.nOutLength, bDirection);
    result.output = HexText(out.data(), result.fOk ? result.nOutLength : 8);
    return result;
}

struct CBlockCase
{
    const char* szKey;
    const char* szPlain;
    const char* szCipher;
};

using SingleDesTest = testing::TestWithParam<CBlockCase>;

// With K1 = K2 = K3 the triple step collapses to single DES.
TEST_P(SingleDesTest, EqualKeysGiveSingleDes)
{
    const CBlockCase& c = GetParam();
    const std::string key = std::string(c.szKey) + c.szKey + c.szKey;
    CCryptResult result = CryptRun(key, CDes::eModeCipher, c.szPlain);
    ASSERT_TRUE(result.fOk);
    ASSERT_EQ(result.nOutLength, 16);
    EXPECT_EQ(result.output.substr(0, 16), c.szCipher);
}

INSTANTIATE_TEST_SUITE_P(KnownAnswers, SingleDesTest,
                         testing::Values(CBlockCase{"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
                                         CBlockCase{"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
                                         CBlockCase{"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
                                         CBlockCase{"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
                                         CBlockCase{"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
                                         CBlockCase{"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
                                         CBlockCase{"0101010101010101", "0000000000000000", "8CA64DE9C1B123A7"},
                                         CBlockCase{"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
                                         CBlockCase{"3000000000000000", "1000000000000001", "958E6E627A05557B"},
                                         // Parity bits are ignored: this is the first key with every low bit flipped.
                                         CBlockCase{"123556789ABDDEF0", "0123456789ABCDEF", "85E813540F0AB405"}));

struct CPaddedCase
{
    const char* szName;
    uint8_t bMode;
    const char* szKey;
    const char* szInput;
    const char* szOutput;
};

using PaddedInputTest = testing::TestWithParam<CPaddedCase>;

TEST_P(PaddedInputTest, CiphertextOrMac)
{
    const CPaddedCase& c = GetParam();
    CCryptResult result = CryptRun(c.szKey, c.bMode, c.szInput);
    ASSERT_TRUE(result.fOk);
    EXPECT_EQ(result.nOutLength, static_cast<int32_t>(strlen(c.szOutput) / 2));
    EXPECT_EQ(result.output, c.szOutput);
}

constexpr uint8_t g_bCipher = CDes::eModeCipher;
constexpr uint8_t g_bMac = CDes::eModeCipherMac;

INSTANTIATE_TEST_SUITE_P(
    KnownAnswers, PaddedInputTest,
    testing::Values(CPaddedCase{"CipherThreeBlocks", g_bCipher, g_szTripleKey, g_szFox,
                                "A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B9006529C3F0E679EF74"},
                    CPaddedCase{"CipherEmpty", g_bCipher, g_szTripleKey, "", "6529C3F0E679EF74"},
                    CPaddedCase{"CipherSevenBytes", g_bCipher, g_szTripleKey, "31323334353637", "194DA75E13DA3921"},
                    CPaddedCase{"CipherOneFullBlock", g_bCipher, g_szTripleKey, "0000000000000000",
                                "4EBA739C998BCB606529C3F0E679EF74"},
                    // Single DES of the zero block and of the padding block 80 00 ... 00.
                    CPaddedCase{"CipherPaddingBlock", g_bCipher, "010101010101010101010101010101010101010101010101",
                                "0000000000000000", "8CA64DE9C1B123A795F8A5E5DD31D900"},
                    // Key bytes behind the first 24 do not count.
                    CPaddedCase{"CipherLongerKey", g_bCipher,
                                "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123FFFFFFFFFFFFFFFF", "",
                                "6529C3F0E679EF74"},
                    // The MAC of one block is its triple-DES ciphertext; longer inputs are chained under K1.
                    CPaddedCase{"MacEmpty", g_bMac, g_szTripleKey, "", "6529C3F0E679EF74"},
                    CPaddedCase{"MacSevenBytes", g_bMac, g_szTripleKey, "31323334353637", "194DA75E13DA3921"},
                    CPaddedCase{"MacOneFullBlock", g_bMac, g_szTripleKey, "0000000000000000", "4A0908881D5679A4"},
                    CPaddedCase{"MacThreeBlocks", g_bMac, g_szTripleKey, g_szFox, "83A9D72BFAE16C7C"}),
    [](const testing::TestParamInfo<CPaddedCase>& info) { return std::string(info.param.szName); });

TEST(Mac, StartsTheChainFromTheInitialisationVector)
{
    std::vector<uint8_t> iv = HexBytes("1122334455667788");
    CCryptResult result = CryptRun(g_szTripleKey, CDes::eModeCipherMac, "", 8, CDes::eEncipher, iv.data());
    ASSERT_TRUE(result.fOk);
    EXPECT_EQ(result.output, "3859FC9E5561D1F3");
}

// Too little room leaves output and length untouched.
TEST(Mac, NeedsEightBytesOfRoom)
{
    CCryptResult result = CryptRun(g_szTripleKey, CDes::eModeCipherMac, g_szFox, 7);
    EXPECT_FALSE(result.fOk);
    EXPECT_EQ(result.nOutLength, 7);
    EXPECT_EQ(result.output, "EEEEEEEEEEEEEEEE");
    result = CryptRun(g_szTripleKey, CDes::eModeCipherMac, g_szFox, 8);
    EXPECT_TRUE(result.fOk);
    EXPECT_EQ(result.output, "83A9D72BFAE16C7C");
}

struct CRefusedCase
{
    const char* szName;
    const char* szKey;
    uint8_t bMode;
    uint8_t bDirection;
};

using RefusedTest = testing::TestWithParam<CRefusedCase>;

TEST_P(RefusedTest, ReturnsFalseAndWritesNothing)
{
    const CRefusedCase& c = GetParam();
    CCryptResult result = CryptRun(c.szKey, c.bMode, "0011223344556677", 64, c.bDirection);
    EXPECT_FALSE(result.fOk);
    EXPECT_EQ(result.output, "EEEEEEEEEEEEEEEE");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RefusedTest,
    testing::Values(CRefusedCase{"HostObject", "", 0, CDes::eEncipher},
                    CRefusedCase{"Decipher", g_szTripleKey, CDes::eModeCipher, CDes::eDecipher},
                    CRefusedCase{"ShortKey", "0123456789ABCDEF23456789ABCDEF01", CDes::eModeCipher, CDes::eEncipher},
                    CRefusedCase{"SingleDesMode", g_szTripleKey, 0x92, CDes::eEncipher},
                    CRefusedCase{"NoPadding", g_szTripleKey, 0xC2, CDes::eEncipher}),
    [](const testing::TestParamInfo<CRefusedCase>& info) { return std::string(info.param.szName); });

// Deciphering gives back the text before its padding; a length that is no
// whole number of blocks or too little room is refused untouched, damaged
// padding is refused with the clear text wiped.
struct CDecipherCase
{
    const char* szInput;
    int32_t nRoom;
    bool fOk;
    const char* szOutput;  // the clear text, or the first block after a refusal
};

TEST(Decipher, UndoesThePaddedCipher)
{
    const char szUntouched[] = "EEEEEEEEEEEEEEEE";
    const CDecipherCase rgCases[] = {
        {"A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B9006529C3F0E679EF74", 32, true, g_szFox},
        {"194DA75E13DA3921", 8, true, "31323334353637"},
        {"6529C3F0E679EF74", 8, true, ""},
        {"194DA75E13DA3921", 7, false, szUntouched},
        {"194DA75E13DA39", 8, false, szUntouched},
        {"194DA75E13DA3921194DA7", 16, false, szUntouched},
        {"", 8, false, szUntouched},
        {"4EBA739C998BCB60", 8, false, "0000000000000000"},  // the zero block: no padding
    };
    std::vector<uint8_t> key = HexBytes(g_szTripleKey);
    for (const CDecipherCase& c : rgCases)
    {
        SCOPED_TRACE(c.szInput);
        CDes des(key.data(), static_cast<int32_t>(key.size()), CDes::eModeCipher, nullptr);
        std::vector<uint8_t> input = HexBytes(c.szInput);
        std::vector<uint8_t> output(64, 0xEE);
        int32_t nLength = c.nRoom;
        ASSERT_EQ(des.Decipher(input.data(), static_cast<int32_t>(input.size()), output.data(), &nLength), c.fOk);
        EXPECT_EQ(HexText(output.data(), c.fOk ? nLength : 8), c.szOutput);
    }
}

// The object's own bytes, read after the destructor ran, no longer hold
// any 8-byte part of the key.
TEST(DesLifetime, DestructionWipesTheKey)
{
    std::vector<uint8_t> key = HexBytes(g_szTripleKey);
    std::aligned_storage_t<sizeof(CDes), alignof(CDes)> storage;
    auto* pBytes = reinterpret_cast<const uint8_t*>(&storage);
    auto keyPartFound = [&](size_t nPart) {
        const uint8_t* pPart = key.data() + 8 * nPart;
        return std::search(pBytes, pBytes + sizeof(CDes), pPart, pPart + 8) != pBytes + sizeof(CDes);
    };
    CDes* pDes = new (&storage) CDes(key.data(), 24, CDes::eModeCipher, nullptr);
    uint8_t abOut[8];
    int32_t nIn = 0, nOut = 8;
    ASSERT_TRUE(pDes->Crypt(key.data(), &nIn, abOut, &nOut, CDes::eEncipher));
    for (size_t nPart = 0; nPart < 3; ++nPart)
        ASSERT_TRUE(keyPartFound(nPart)) << nPart;
    pDes->~CDes();
    for (size_t nPart = 0; nPart < 3; ++nPart)
        EXPECT_FALSE(keyPartFound(nPart)) << nPart;
}
}  // namespace
