// Random numbers from a range, drawn from the C runtime's generator.
#pragma once

#include <cstddef>
#include <cstdint>

class CRandomRange
{
public:
    CRandomRange(uint32_t nLow, uint32_t nHigh);

    // Inclusive bounds; a reversed range becomes 0..1.
    void SetRange(uint32_t nLow, uint32_t nHigh);
    // Seeds the generator from the clock and the local date.
    void Seed();
    uint32_t Next();
    // Fresh seed, then one value of 0..255 per byte.
    void Fill(uint8_t* pBuffer, size_t nCount);

private:
    uint32_t m_nLow = 0;
    uint32_t m_nHigh = 1;
};
