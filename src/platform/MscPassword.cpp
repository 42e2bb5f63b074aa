#include "platform/Msc.h"

#include <cctype>

namespace
{
constexpr int g_nPasswordSlots = 3;
constexpr int g_nPasswordSlotSize = 260;
constexpr int g_nStarBudget = 4;
char g_rgszPasswordRing[g_nPasswordSlots][g_nPasswordSlotSize];
int g_nPasswordSlot = g_nPasswordSlots - 1;

enum EHideState
{
    eSearching,
    eMatching,
    eMatched,
    eValue,
};
}  // namespace

const char* MscHidePassword(const char* szText, const char* szKeyword)
{
    const char* szKey = szKeyword ? szKeyword : "/pw";
    g_nPasswordSlot = (g_nPasswordSlot + 1) % g_nPasswordSlots;
    char* szOut = g_rgszPasswordRing[g_nPasswordSlot];
    int nOut = 0;
    int nStars = g_nStarBudget;
    int nKeyPos = 0;
    EHideState eState = eSearching;
    for (const char* p = szText ? szText : ""; *p && p - szText < g_nPasswordSlotSize - 1; ++p)
    {
        char ch = *p;
        char chLower = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        if (eState == eValue)
        {
            if (ch == ' ' || ch == '"')
            {
                szOut[nOut++] = ch;
                eState = eSearching;
                nKeyPos = 0;
            }
            else if (nStars > 0)
            {
                szOut[nOut++] = '*';
                --nStars;
            }
            continue;
        }
        szOut[nOut++] = ch;
        if (eState == eSearching && chLower == szKey[0])
        {
            eState = eMatching;
            nKeyPos = 1;
        }
        else if (eState == eMatching)
        {
            if (chLower == szKey[nKeyPos])
                ++nKeyPos;
            else
                eState = eSearching;
        }
        else if (eState == eMatched && ch == '=')
            eState = eValue;
        if (eState == eMatching && szKey[nKeyPos] == '\0')
            eState = eMatched;
    }
    szOut[nOut] = '\0';
    return szOut;
}
