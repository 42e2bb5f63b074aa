#include "PwcText.h"

#include "crypt/Des.h"
#include "crypt/SecretWipe.h"

#include <cstdint>
#include <vector>

namespace
{
constexpr size_t g_nMacSize = 8;
constexpr size_t g_nHeaderSize = g_nMacSize + 1;  // MAC and selector

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;  // /CRYPT writes no lower-case digits
}

// Two digits per byte; the ciphertext is at least one block, a whole
// number of blocks.
bool TextBytesGet(const std::string& text, std::vector<uint8_t>& bytes)
{
    const size_t nBlockText = 2 * static_cast<size_t>(CDes::eBlockSize);
    if (text.size() < 2 * g_nHeaderSize + nBlockText || (text.size() - 2 * g_nHeaderSize) % nBlockText != 0)
        return false;
    bytes.resize(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        const int nHigh = HexDigitValue(text[2 * i]);
        const int nLow = HexDigitValue(text[2 * i + 1]);
        if (nHigh < 0 || nLow < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(nHigh * 16 + nLow);
    }
    return true;
}

bool MacFits(const uint8_t* pKey, const std::vector<uint8_t>& bytes)
{
    CDes mac(pKey, CDes::eTripleKeySize, CDes::eModeCipherMac, nullptr);
    const int32_t nCipher = static_cast<int32_t>(bytes.size() - g_nHeaderSize);
    uint8_t abMac[g_nMacSize] = {};
    int32_t nMac = sizeof(abMac);
    if (!mac.Crypt(bytes.data() + g_nHeaderSize, &nCipher, abMac, &nMac, CDes::eEncipher))
        return false;
    uint8_t bDiffer = 0;
    for (size_t i = 0; i < g_nMacSize; ++i)
        bDiffer |= abMac[i] ^ bytes[i];
    return bDiffer == 0;
}
}  // namespace

bool PwcTextDecode(const std::string& text, std::string& password)
{
    password.clear();
    std::vector<uint8_t> bytes;
    if (!TextBytesGet(text, bytes))
        return false;
    // Every selector byte is valid; its two low bits choose the key.
    uint8_t abKey[CDes::eTripleKeySize] = {};
    CSecretWipe keyWipe(abKey, sizeof(abKey));
    const CDes host(nullptr, 0, 0, nullptr);
    if (host.DeriveKey(abKey, sizeof(abKey), bytes[g_nMacSize]) != 0 || !MacFits(abKey, bytes))
        return false;
    CDes cipher(abKey, sizeof(abKey), CDes::eModeCipher, nullptr);
    const int32_t nCipher = static_cast<int32_t>(bytes.size() - g_nHeaderSize);
    std::vector<uint8_t> clear(nCipher);
    int32_t nClear = nCipher;
    const bool fOk = cipher.Decipher(bytes.data() + g_nHeaderSize, nCipher, clear.data(), &nClear);
    if (fOk)
        password.assign(reinterpret_cast<const char*>(clear.data()), nClear);
    SecureZeroMemory(clear.data(), clear.size());
    return fOk;
}
