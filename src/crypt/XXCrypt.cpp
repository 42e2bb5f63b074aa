#include "crypt/XXCrypt.h"

#include "crypt/Des.h"
#include "crypt/SecretWipe.h"
#include "trace/QuillTrace.h"

#include <cstdint>
#include <vector>

namespace
{
constexpr int32_t g_nMacSize = 8;

// MAC, selector and ciphertext of the clear text, under a key derived
// from a fresh random selector. The key lives only on this stack frame and
// in the two cipher objects, which wipe their copies.
std::vector<uint8_t> ObfuscatedBytesMake(const CDes& host, const std::string& csClearText)
{
    uint8_t abKey[CDes::eTripleKeySize] = {};
    CSecretWipe keyWipe(abKey, sizeof(abKey));
    uint8_t bSelector = 0;
    host.MakeKey(abKey, sizeof(abKey), &bSelector);
    CDes cipher(abKey, sizeof(abKey), CDes::eModeCipher, nullptr);
    CDes mac(abKey, sizeof(abKey), CDes::eModeCipherMac, nullptr);

    const int32_t nClear = static_cast<int32_t>(csClearText.size());
    int32_t nCipher = (nClear / CDes::eBlockSize + 1) * CDes::eBlockSize;
    std::vector<uint8_t> bytes(g_nMacSize + 1 + nCipher);
    uint8_t* pCipher = bytes.data() + g_nMacSize + 1;
    cipher.Crypt(reinterpret_cast<const uint8_t*>(csClearText.data()), &nClear, pCipher, &nCipher, CDes::eEncipher);
    int32_t nMac = g_nMacSize;
    mac.Crypt(pCipher, &nCipher, bytes.data(), &nMac, CDes::eEncipher);
    bytes[g_nMacSize] = bSelector;
    return bytes;
}

std::string TextRender(const CDes& host, const std::vector<uint8_t>& bytes)
{
    std::vector<char> text(2 * bytes.size() + 2);
    int32_t nCapacity = static_cast<int32_t>(text.size());
    host.BytesToText(bytes.data(), static_cast<int32_t>(bytes.size()), text.data(), &nCapacity, "00");
    return text.data();
}
}  // namespace

// The parameter is the working string: Encrypt's own copy of the clear
// text, which it overwrites once the obfuscated text is made.
std::string CXXCrypt::Encrypt(std::string csWork) const
{
    KRLX_TRACE(eTrcVerboseCC, "CXXCrypt::Encrypt", "Enter", "", "crypt: %s", csWork.c_str());
    if (csWork.empty())
        return csWork;
    // An allocation failure leaves the working string as far as it got;
    // nothing is reported to the caller.
    try
    {
        const CDes host(nullptr, 0, 0, nullptr);
        const std::string csText = TextRender(host, ObfuscatedBytesMake(host, csWork));
        SecretTextWipe(csWork);
        csWork = csText;
    }
    catch (...)
    {
    }
    return csWork;
}
