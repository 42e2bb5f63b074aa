// Hexadecimal test data for the cipher and the obfuscated password texts:
// known texts of fixed passwords for each of the four key rows.
#pragma once

#include "support/HexText.h"

#include <cstdint>
#include <string>

// Characters 17 and 18 of an obfuscated text hold the selector byte.
constexpr size_t g_nSelectorPos = 16;

struct CKnownText
{
    const char* szClear;
    // For selector bytes 0 to 3; another selector with the same two low
    // bits gives the same text apart from the selector characters.
    const char* aszText[4];
};

inline const CKnownText g_aKnownTexts[] = {
    {"a",
     {"983DFD1DEEB2E89300F055B01F1A02BB43", "1BBE57F66BEA52990119CA43D3A2A3C8FF", "BE22C4921F47B85D02CBDF2564ADE1C319",
      "D9489DBF1C6B45650349A7AF97F9D1161D"}},
    {"abc",
     {"60A4143FB8EF5B500025DE76E49E10D821", "7B3C774B559B29870146439AAD7D6E899B", "AC4B7BEAF7D7481102C5EBB01B41587102",
      "BB860BC86A8005BA03C6F659E5CF4AD77F"}},
    {"my pass",
     {"AABA29338B2C6DA10038870C1C56325C11", "DF80F14985EC124501FBBD53E4C25FABD3", "134156CA12EA23820225BAEEC91F1917EA",
      "911E91EF69EED0E103B1824BFF1D91A010"}},
    {"50%s%d",
     {"121769AB6FC90068008CB15CAB7308684A", "9D6069828E3CA1A901E174751DF000ADCE", "05ED57141EF2334402770AD7D74561B712",
      "48B8CF567643E0BB03013BE4ECF36D0F36"}},
    {"Secret#1",
     {"750DFE7FAE7A237B0031BEE13912D0C019FE961AC546462637", "4BDB8A580D3EDD4A01E1FA0653891A7C7CB1C1A06D01F10F43",
      "B1E054E3A868430B029A43C226D4F0706BD3CEBE0BF656F56E", "DD8355EAF570F453033F696D3F2DF33F7B6E6510A54E17E364"}},
    {"0123456789ABCDEF",
     {"338455059C42F360006F441C45C306F2038C7583C2252511D7FE961AC546462637",
      "2F7EDB6C9DE5AE4E014A5218E54686E3D42DE7FD112764CC81B1C1A06D01F10F43",
      "1C893C9AEA20BCD802D03F3CBAB5A058C45AE3ED31FD58A377D3CEBE0BF656F56E",
      "ECDBD003AA4EE338037A9CBB0CC805C9B20F3F7FA67FB252946E6510A54E17E364"}},
};

// The text the known table predicts for the selector byte that `actual`
// carries; empty when `actual` is too short to carry one.
inline std::string KnownTextFor(const CKnownText& known, const std::string& actual)
{
    if (actual.size() < g_nSelectorPos + 2)
        return "";
    const std::string selector = actual.substr(g_nSelectorPos, 2);
    const uint8_t bSelector = HexBytes(selector)[0];
    std::string expected = known.aszText[bSelector & 3];
    return expected.replace(g_nSelectorPos, 2, HexText(&bSelector, 1));
}
