// The CDes operations that only the password obfuscation needs: making and
// deriving its key, and rendering bytes as text.
#include "crypt/Des.h"
#include "crypt/KeyTable.h"
#include "crypt/RandomRange.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
constexpr DWORD g_dwInvalidArgument = static_cast<DWORD>(E_INVALIDARG);
constexpr int g_nGroups = 6;

DWORD KeyArgumentsCheck(const uint8_t* pKey, int32_t nLength)
{
    if (!pKey || nLength <= 0)
        return g_dwInvalidArgument;
    if (nLength % CDes::eBlockSize != 0 || nLength > CDes::eTripleKeySize)
        return ERROR_BAD_LENGTH;
    return 0;
}
}  // namespace

DWORD CDes::MakeKey(uint8_t* pKey, int32_t nLength, uint8_t* pbSelector) const
{
    if (!pbSelector)
        return g_dwInvalidArgument;
    const DWORD dwStatus = KeyArgumentsCheck(pKey, nLength);
    if (dwStatus != 0)
        return dwStatus;
    CRandomRange random(0, 255);
    random.Fill(pbSelector, 1);
    return DeriveKey(pKey, nLength, *pbSelector);
}

// Six groups of eight bytes, each from the row after the previous group's,
// each byte looked up through the row twice; then the groups are folded
// onto the key length by XOR.
DWORD CDes::DeriveKey(uint8_t* pKey, int32_t nLength, uint8_t bSelector) const
{
    const DWORD dwStatus = KeyArgumentsCheck(pKey, nLength);
    if (dwStatus != 0)
        return dwStatus;
    const int nFirstRow = bSelector & 3;
    uint8_t abWork[2 * g_nGroups * eBlockSize] = {};
    for (int nGroup = 0; nGroup < g_nGroups; ++nGroup)
    {
        const uint8_t* pRow = g_abPwcKeyTable[(nFirstRow + nGroup) % CDes::eKeyTableRows];
        for (int k = nGroup * eBlockSize; k < (nGroup + 1) * eBlockSize; ++k)
            abWork[k] = pRow[pRow[k]];
    }
    for (int j = 1; j < static_cast<int>(sizeof(abWork)) / nLength / 2; ++j)
    {
        for (int i = 0; i < nLength; ++i)
            abWork[i] ^= abWork[i + nLength * j];
    }
    memcpy(pKey, abWork, nLength);
    SecureZeroMemory(abWork, sizeof(abWork));
    return 0;
}

bool CDes::BytesToText(const uint8_t* pBytes, int32_t nCount, char* szText, int32_t* pnCapacity,
                       const char* szFormat) const
{
    char szName[10] = {};
    strncpy(szName, szFormat, sizeof(szName) - 1);
    for (char& ch : szName)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    if (strcmp(szName, "00") != 0 || nCount < 0 || *pnCapacity <= 2 * nCount)
        return false;
    for (int32_t i = 0; i < nCount; ++i)
        sprintf(szText + 2 * static_cast<size_t>(i), "%.2X", pBytes[i]);
    szText[2 * static_cast<size_t>(nCount)] = '\0';
    *pnCapacity = 2 * nCount;
    return true;
}
