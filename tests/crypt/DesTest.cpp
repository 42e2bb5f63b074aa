// The cipher class: single-DES known answers, triple DES with padding, the
// MAC, refused requests, deciphering and the wiping of the key on
// destruction.
#include "crypt/Des.h"
#include "crypt/CryptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <type_traits>

namespace
{
const std::string g_key = "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123";  // K1, K2 and K3 all differ
const std::string g_fox = "54686520717566636B2062726F776E20666F78206A756D70";  // "The qufck brown fox jump"
const std::string g_foxCipher = "A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B9006529C3F0E679EF74";
constexpr uint8_t g_bCipher = CDes::eModeCipher, g_bMac = CDes::eModeCipherMac;

// With K1 = K2 = K3 the triple step collapses to single DES.
const auto K3 = [](const std::string& key) { return key + key + key; };

// The bytes produced into a buffer of 0xEE bytes with nRoom bytes of room;
// "refused" when the call returns false with output and length untouched,
// "refused, wiped" when the first nWiped bytes are zero instead.
std::string Outcome(bool fOk, const std::vector<uint8_t>& out, int32_t nLength, int32_t nRoom, size_t nWiped = 0)
{
    if (fOk)
        return HexText(out.data(), static_cast<size_t>(std::clamp(nLength, 0, 64)));
    if (nLength == nRoom && out == std::vector<uint8_t>(64, 0xEE))
        return "refused";
    const bool fWiped = nWiped && std::all_of(out.begin(), out.begin() + nWiped, [](uint8_t b) { return b == 0; });
    return fWiped ? "refused, wiped" : "refused, changed " + HexText(out.data(), 64) + " " + std::to_string(nLength);
}

// Pads the input and enciphers it or computes its MAC.
std::string Crypt(uint8_t bMode, const std::string& key, const std::string& input, int32_t nRoom = 64,
                  uint8_t bDirection = CDes::eEncipher, const std::string& iv = "")
{
    std::vector<uint8_t> keyBytes = HexBytes(key), in = HexBytes(input), ivBytes = HexBytes(iv), out(64, 0xEE);
    CDes des(keyBytes.data(), static_cast<int32_t>(keyBytes.size()), bMode, iv.empty() ? nullptr : ivBytes.data());
    const int32_t nIn = static_cast<int32_t>(in.size());
    int32_t nLength = nRoom;
    const bool fOk = des.Crypt(in.data(), &nIn, out.data(), &nLength, bDirection);
    return Outcome(fOk, out, nLength, nRoom);
}

TEST(Des, CryptKnownAnswersAndRefusals)
{
    EXPECT_EQ(Crypt(g_bCipher, K3("133457799BBCDFF1"), "0123456789ABCDEF"), "85E813540F0AB40587AB78D11E188DF6");
    EXPECT_EQ(Crypt(g_bCipher, K3("0E329232EA6D0D73"), "8787878787878787"), "00000000000000007DE8D9B828ABD519");
    EXPECT_EQ(Crypt(g_bCipher, K3("0123456789ABCDEF"), "4E6F772069732074"), "3FA40E8A984D4815CAEE534C523E1E79");
    EXPECT_EQ(Crypt(g_bCipher, K3("0101010101010101"), "8000000000000000"), "95F8A5E5DD31D90095F8A5E5DD31D900");
    EXPECT_EQ(Crypt(g_bCipher, K3("8001010101010101"), "0000000000000000"), "95A8D72813DAA94D6A7FC86C02379A5E");
    EXPECT_EQ(Crypt(g_bCipher, K3("7CA110454A1A6E57"), "01A1D6D039776742"), "690F5B0D9A26939B7F5955C41624CEBB");
    EXPECT_EQ(Crypt(g_bCipher, K3("0101010101010101"), "0000000000000000"), "8CA64DE9C1B123A795F8A5E5DD31D900");
    EXPECT_EQ(Crypt(g_bCipher, K3("FFFFFFFFFFFFFFFF"), "FFFFFFFFFFFFFFFF"), "7359B2163E4EDC580882B755225E0E44");
    EXPECT_EQ(Crypt(g_bCipher, K3("3000000000000000"), "1000000000000001"), "958E6E627A05557B0CF04DAF318B259B");
    // Parity bits are ignored: the first key with every low bit flipped.
    EXPECT_EQ(Crypt(g_bCipher, K3("123556789ABDDEF0"), "0123456789ABCDEF"), "85E813540F0AB40587AB78D11E188DF6");
    // Padding: one 0x80 byte and zero bytes, a whole block after a full one.
    EXPECT_EQ(Crypt(g_bCipher, g_key, g_fox), g_foxCipher);
    EXPECT_EQ(Crypt(g_bCipher, g_key, ""), "6529C3F0E679EF74");
    EXPECT_EQ(Crypt(g_bCipher, g_key, "31323334353637"), "194DA75E13DA3921");
    EXPECT_EQ(Crypt(g_bCipher, g_key, "0000000000000000"), "4EBA739C998BCB606529C3F0E679EF74");
    // Key bytes behind the first 24 do not count.
    EXPECT_EQ(Crypt(g_bCipher, g_key + "FFFFFFFFFFFFFFFF", ""), "6529C3F0E679EF74");
    // The MAC of one block is its triple-DES ciphertext; longer inputs are
    // chained under K1 from the initialisation vector. It needs 8 bytes of
    // room.
    EXPECT_EQ(Crypt(g_bMac, g_key, ""), "6529C3F0E679EF74");
    EXPECT_EQ(Crypt(g_bMac, g_key, "31323334353637"), "194DA75E13DA3921");
    EXPECT_EQ(Crypt(g_bMac, g_key, "0000000000000000"), "4A0908881D5679A4");
    EXPECT_EQ(Crypt(g_bMac, g_key, g_fox, 8), "83A9D72BFAE16C7C");
    EXPECT_EQ(Crypt(g_bMac, g_key, "", 8, CDes::eEncipher, "1122334455667788"), "3859FC9E5561D1F3");
    EXPECT_EQ(Crypt(g_bMac, g_key, g_fox, 7), "refused");
    // Only enciphering in these two modes with a 24-byte key.
    EXPECT_EQ(Crypt(0, "", "0011223344556677"), "refused");
    EXPECT_EQ(Crypt(g_bCipher, g_key, "0011223344556677", 64, CDes::eDecipher), "refused");
    EXPECT_EQ(Crypt(g_bCipher, g_key.substr(0, 32), "0011223344556677"), "refused");
    EXPECT_EQ(Crypt(0x92, g_key, "0011223344556677"), "refused");  // single DES
    EXPECT_EQ(Crypt(0xC2, g_key, "0011223344556677"), "refused");  // no padding
}

// Deciphering gives back the text before its padding; a length that is no
// whole number of blocks or too little room is refused untouched, damaged
// padding is refused with the clear text wiped.
std::string Decipher(const std::string& input, int32_t nRoom)
{
    std::vector<uint8_t> key = HexBytes(g_key), in = HexBytes(input), out(64, 0xEE);
    CDes des(key.data(), static_cast<int32_t>(key.size()), CDes::eModeCipher, nullptr);
    int32_t nLength = nRoom;
    const bool fOk = des.Decipher(in.data(), static_cast<int32_t>(in.size()), out.data(), &nLength);
    return Outcome(fOk, out, nLength, nRoom, in.size());
}

TEST(Des, DecipherUndoesThePaddedCipher)
{
    EXPECT_EQ(Decipher(g_foxCipher, 32), g_fox);
    EXPECT_EQ(Decipher("194DA75E13DA3921", 8), "31323334353637");
    EXPECT_EQ(Decipher("6529C3F0E679EF74", 8), "");
    EXPECT_EQ(Decipher("194DA75E13DA3921", 7), "refused");
    EXPECT_EQ(Decipher("194DA75E13DA39", 8), "refused");
    EXPECT_EQ(Decipher("", 8), "refused");
    EXPECT_EQ(Decipher("4EBA739C998BCB60", 8), "refused, wiped");  // the zero block
    EXPECT_EQ(Decipher("A826FD8CE53B855F", 8), "refused, wiped");  // "The qufc"
}

// The object's own bytes, read after the destructor ran, no longer hold
// any 8-byte part of the key.
TEST(Des, DestructionWipesTheKey)
{
    const std::vector<uint8_t> key = HexBytes(g_key);
    std::aligned_storage_t<sizeof(CDes), alignof(CDes)> storage;
    const auto* pBytes = reinterpret_cast<const uint8_t*>(&storage);
    const auto partsFound = [&] {
        std::string found;
        for (size_t n = 0; n < 24; n += 8)
            found +=
                std::search(pBytes, pBytes + sizeof(CDes), &key[n], &key[n] + 8) != pBytes + sizeof(CDes) ? 'K' : '-';
        return found;
    };
    CDes* pDes = new (&storage) CDes(key.data(), 24, CDes::eModeCipher, nullptr);
    uint8_t abOut[8];
    int32_t nIn = 0, nOut = 8;
    ASSERT_TRUE(pDes->Crypt(key.data(), &nIn, abOut, &nOut, CDes::eEncipher));
    EXPECT_EQ(partsFound(), "KKK");
    pDes->~CDes();
    EXPECT_EQ(partsFound(), "---");
}
}  // namespace
