// Deciphering in the cipher mode. Kept apart from Des.cpp so that only the
// engine, which reads /PWC texts back, links it.
#include "crypt/Des.h"

#include <cstring>

namespace
{
// The length of the text before its padding: a 0x80 byte in the last block
// followed by zero bytes only; -1 when the padding is damaged.
int32_t UnpaddedLengthGet(const uint8_t* pData, int32_t nLength)
{
    int32_t nPos = nLength - 1;
    while (nPos >= nLength - CDes::eBlockSize && pData[nPos] == 0)
        --nPos;
    return nPos >= nLength - CDes::eBlockSize && pData[nPos] == 0x80 ? nPos : -1;
}
}  // namespace

bool CDes::Decipher(const uint8_t* pIn, int32_t nInLength, uint8_t* pOut, int32_t* pnOutLength)
{
    if (m_bMode != eModeCipher || m_nKeySize != eTripleKeySize || nInLength <= 0 || nInLength % eBlockSize != 0 ||
        *pnOutLength < nInLength)
        return false;
    for (int32_t nBlock = 0; nBlock < nInLength; nBlock += eBlockSize)
    {
        memcpy(pOut + nBlock, pIn + nBlock, eBlockSize);
        TripleDecipher(pOut + nBlock);
    }
    const int32_t nText = UnpaddedLengthGet(pOut, nInLength);
    if (nText < 0)
    {
        SecureZeroMemory(pOut, nInLength);
        return false;
    }
    SecureZeroMemory(pOut + nText, nInLength - nText);
    *pnOutLength = nText;
    return true;
}

void CDes::TripleDecipher(uint8_t* pBlock)
{
    SingleStep(m_abWorkKeys + 16, eDecipher, pBlock);
    SingleStep(m_abWorkKeys + 8, eEncipher, pBlock);
    SingleStep(m_abWorkKeys, eDecipher, pBlock);
}
