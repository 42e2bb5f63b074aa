#include "crypt/RandomRange.h"

#include <cstdlib>
#include <ctime>

CRandomRange::CRandomRange(uint32_t nLow, uint32_t nHigh)
{
    SetRange(nLow, nHigh);
}

void CRandomRange::SetRange(uint32_t nLow, uint32_t nHigh)
{
    const bool fOrdered = nLow <= nHigh;
    m_nLow = fOrdered ? nLow : 0;
    m_nHigh = fOrdered ? nHigh : 1;
}

// The date is added so that the seed does not follow the clock alone.
void CRandomRange::Seed()
{
    const time_t tNow = time(nullptr);
    const tm* pLocal = localtime(&tNow);
    uint64_t nSeed = static_cast<uint64_t>(tNow);
    if (pLocal)
        nSeed += pLocal->tm_mday + (pLocal->tm_mon + 1) + (pLocal->tm_year + 1900);
    srand(static_cast<unsigned>(nSeed));
}

uint32_t CRandomRange::Next()
{
    // 64 bits, so that the full 32-bit range does not wrap to 0.
    const uint64_t nSpan = static_cast<uint64_t>(m_nHigh) - m_nLow + 1;
    return m_nLow + static_cast<uint32_t>(static_cast<uint64_t>(rand()) % nSpan);
}

void CRandomRange::Fill(uint8_t* pBuffer, size_t nCount)
{
    SetRange(0, 255);
    Seed();
    for (size_t i = 0; i < nCount; ++i)
        pBuffer[i] = static_cast<uint8_t>(Next());
}
