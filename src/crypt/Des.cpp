#include "crypt/Des.h"

#include <algorithm>
#include <cstring>

namespace
{
// The DES tables of FIPS 46-3; entries are bit positions counted from 1 at
// the most significant bit of the input.
constexpr uint8_t g_abInitialPermutation[64] = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                                                62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                                                57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                                                61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

constexpr uint8_t g_abFinalPermutation[64] = {40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
                                              38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
                                              36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
                                              34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};

constexpr uint8_t g_abExpansion[48] = {32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
                                       12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
                                       22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

constexpr uint8_t g_abPermutationP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                          2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr uint8_t g_abPermutedChoice1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
                                             35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
                                             46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr uint8_t g_abPermutedChoice2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                                             26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                                             51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

// Left rotations of both key halves before each round.
constexpr uint8_t g_abRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// Rows of 16 entries, row chosen by the outer bits of the 6-bit input.
constexpr uint8_t g_abSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8, 14, 6,  11, 3,  4, 9, 7, 2,  13, 12, 0, 5, 10, 3,  13, 4,  7, 15, 2,  8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0,  14, 7, 11, 10, 4,  13, 1, 5, 8, 12, 6,  9,  3, 2, 15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6, 7, 12, 0, 5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0, 8, 13, 3,  12, 9, 7, 5, 10, 6, 1, 13, 0,  11, 7, 4, 9, 1,  10, 14, 3, 5, 12, 2,  15, 8, 6,
     1, 4,  11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5,  9, 2, 6,  11, 13, 8, 1, 4, 10, 7,  9,  5, 0, 15, 14, 2,  3, 12},
    {13, 2, 8, 4, 6,  15, 11, 1, 10, 9,  3,  14, 5, 0, 12, 7, 1, 15, 13, 8, 10, 3, 7,  4,  12, 5, 6, 11, 0, 14, 9, 2, 7,
     11, 4, 1, 9, 12, 14, 2,  0, 6,  10, 13, 15, 3, 5, 8,  2, 1, 14, 7,  4, 10, 8, 13, 15, 12, 9, 0, 3,  5, 6,  11}};

// Picks the bits of an nInBits-wide value that the table names, first entry
// to the most significant output bit.
template <size_t nOutBits>
uint64_t Permute(uint64_t nIn, unsigned nInBits, const uint8_t (&abTable)[nOutBits])
{
    uint64_t nOut = 0;
    for (uint8_t nPosition : abTable)
        nOut = (nOut << 1) | ((nIn >> (nInBits - nPosition)) & 1);
    return nOut;
}

uint64_t BlockLoad(const uint8_t* pBlock)
{
    uint64_t nValue = 0;
    for (int i = 0; i < CDes::eBlockSize; ++i)
        nValue = (nValue << 8) | pBlock[i];
    return nValue;
}

void BlockStore(uint64_t nValue, uint8_t* pBlock)
{
    for (int i = CDes::eBlockSize - 1; i >= 0; --i, nValue >>= 8)
        pBlock[i] = static_cast<uint8_t>(nValue);
}

uint32_t Rotate28(uint32_t nHalf, unsigned nBits)
{
    return ((nHalf << nBits) | (nHalf >> (28 - nBits))) & 0x0FFFFFFF;
}

// Block number nBlock of the padded input: the input bytes, then one 0x80
// byte and zero bytes up to the block's end.
void PaddedBlockGet(const uint8_t* pIn, int32_t nInLength, int32_t nBlock, uint8_t* pBlock)
{
    const int32_t nOffset = nBlock * CDes::eBlockSize;
    const int32_t nCopy = std::max(0, std::min<int32_t>(CDes::eBlockSize, nInLength - nOffset));
    memset(pBlock, 0, CDes::eBlockSize);
    memcpy(pBlock, pIn + nOffset, nCopy);
    if (nCopy < CDes::eBlockSize)
        pBlock[nCopy] = 0x80;
}
}  // namespace

CDes::CDes(const uint8_t* pKey, int32_t nKeyLength, uint8_t bMode, const uint8_t* pIv)
    : m_bMode(bMode), m_nKeyLength(nKeyLength)
{
    memset(m_abIv, 0, sizeof(m_abIv));
    memset(m_abKey, 0, sizeof(m_abKey));
    memset(m_abWorkKeys, 0, sizeof(m_abWorkKeys));
    if (pIv)
        memcpy(m_abIv, pIv, eBlockSize);
    if (pKey && nKeyLength >= 1)
        memcpy(m_abKey, pKey, std::min<size_t>(nKeyLength, sizeof(m_abKey)));
    PrepareKey();
}

CDes::~CDes()
{
    SecureZeroMemory(m_abIv, sizeof(m_abIv));
    SecureZeroMemory(m_abKey, sizeof(m_abKey));
    SecureZeroMemory(m_abWorkKeys, sizeof(m_abWorkKeys));
    // The subkeys give the key away as well.
    SecureZeroMemory(m_anSubkeys, sizeof(m_anSubkeys));
}

// Triple DES takes K1, K2 and K3 from the first 24 key bytes; further bytes
// are ignored.
void CDes::PrepareKey()
{
    if ((m_bMode & eModeTriple) && m_nKeyLength >= eTripleKeySize)
    {
        m_nKeySize = eTripleKeySize;
        memcpy(m_abWorkKeys, m_abKey, eTripleKeySize);
    }
}

bool CDes::CanEncipher() const
{
    return m_bDirection == eEncipher && (m_bMode & ~eModeMac) == eModeCipher && m_nKeySize == eTripleKeySize;
}

bool CDes::Crypt(const uint8_t* pIn, const int32_t* pnInLength, uint8_t* pOut, int32_t* pnOutLength, uint8_t bDirection)
{
    const bool fMac = (m_bMode & eModeMac) != 0;
    if (fMac && *pnOutLength < eBlockSize)
        return false;
    m_bDirection = bDirection;
    if (!CanEncipher() || *pnInLength < 0)
        return false;

    // Padding always adds at least one byte, a whole block after a full one.
    const int32_t nPadded = (*pnInLength / eBlockSize + 1) * eBlockSize;
    *pnOutLength = nPadded;
    if (fMac)
    {
        MacCompute(pIn, *pnInLength, pOut);
        *pnOutLength = eBlockSize;
        return true;
    }
    uint8_t abBlock[eBlockSize];
    for (int32_t nBlock = 0; nBlock < nPadded / eBlockSize; ++nBlock)
    {
        PaddedBlockGet(pIn, *pnInLength, nBlock, abBlock);
        TripleEncipher(abBlock);
        memcpy(pOut + static_cast<size_t>(nBlock) * eBlockSize, abBlock, eBlockSize);
    }
    return true;
}

// CBC under K1 from the initialisation vector; the last chain value is
// further deciphered under K2 and enciphered under K3, which makes the last
// step a whole triple-DES step.
void CDes::MacCompute(const uint8_t* pIn, int32_t nInLength, uint8_t* pMac)
{
    uint8_t abChain[eBlockSize];
    uint8_t abBlock[eBlockSize];
    memcpy(abChain, m_abIv, eBlockSize);
    const int32_t nLast = nInLength / eBlockSize;
    for (int32_t nBlock = 0; nBlock <= nLast; ++nBlock)
    {
        PaddedBlockGet(pIn, nInLength, nBlock, abBlock);
        for (int i = 0; i < eBlockSize; ++i)
            abChain[i] ^= abBlock[i];
        if (nBlock < nLast)
            SingleStep(m_abWorkKeys, eEncipher, abChain);
        else
            TripleEncipher(abChain);
    }
    memcpy(pMac, abChain, eBlockSize);
}

void CDes::TripleEncipher(uint8_t* pBlock)
{
    SingleStep(m_abWorkKeys, eEncipher, pBlock);
    SingleStep(m_abWorkKeys + 8, eDecipher, pBlock);
    SingleStep(m_abWorkKeys + 16, eEncipher, pBlock);
}

// The schedule is made anew for every single-DES step.
void CDes::SingleStep(const uint8_t* pKey, uint8_t bDirection, uint8_t* pBlock)
{
    ScheduleKey(pKey, bDirection);
    CryptBlock(pBlock, pBlock);
}

// Each S-box output, placed at its four bits of the round function's
// result, already passed through P.
void CDes::TablesBuild()
{
    for (int nBox = 0; nBox < 8; ++nBox)
    {
        for (int nInput = 0; nInput < 64; ++nInput)
        {
            const int nRow = ((nInput >> 4) & 2) | (nInput & 1);
            const int nColumn = (nInput >> 1) & 15;
            const uint64_t nOutput = static_cast<uint64_t>(g_abSBoxes[nBox][nRow * 16 + nColumn]) << (28 - 4 * nBox);
            m_anSpBox[nBox][nInput] = static_cast<uint32_t>(Permute(nOutput, 32, g_abPermutationP));
        }
    }
    m_fTablesBuilt = true;
}

void CDes::ScheduleKey(const uint8_t* pKey, uint8_t bDirection)
{
    if (!m_fTablesBuilt)
        TablesBuild();
    const uint64_t nChoice = Permute(BlockLoad(pKey), 64, g_abPermutedChoice1);
    uint32_t nC = static_cast<uint32_t>(nChoice >> 28);
    uint32_t nD = static_cast<uint32_t>(nChoice & 0x0FFFFFFF);
    for (int nRound = 0; nRound < 16; ++nRound)
    {
        nC = Rotate28(nC, g_abRotations[nRound]);
        nD = Rotate28(nD, g_abRotations[nRound]);
        const uint64_t nSubkey = Permute((static_cast<uint64_t>(nC) << 28) | nD, 56, g_abPermutedChoice2);
        m_anSubkeys[bDirection == eEncipher ? nRound : 15 - nRound] = nSubkey;
    }
}

void CDes::CryptBlock(const uint8_t* pIn, uint8_t* pOut) const
{
    const uint64_t nPermuted = Permute(BlockLoad(pIn), 64, g_abInitialPermutation);
    uint32_t nLeft = static_cast<uint32_t>(nPermuted >> 32);
    uint32_t nRight = static_cast<uint32_t>(nPermuted);
    for (uint64_t nSubkey : m_anSubkeys)
    {
        const uint64_t nMixed = Permute(nRight, 32, g_abExpansion) ^ nSubkey;
        uint32_t nRound = 0;
        for (int nBox = 0; nBox < 8; ++nBox)
            nRound |= m_anSpBox[nBox][(nMixed >> (42 - 6 * nBox)) & 63];
        const uint32_t nNewRight = nLeft ^ nRound;
        nLeft = nRight;
        nRight = nNewRight;
    }
    // The halves leave the last round swapped.
    const uint64_t nPreOutput = (static_cast<uint64_t>(nRight) << 32) | nLeft;
    BlockStore(Permute(nPreOutput, 64, g_abFinalPermutation), pOut);
}
