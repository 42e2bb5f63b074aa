// Bytes as upper-case hexadecimal digits and back, for test data and the
// registry journal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline std::vector<uint8_t> HexBytes(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    return bytes;
}

inline std::string HexText(const uint8_t* pBytes, size_t nCount)
{
    std::string text;
    char szByte[3];
    for (size_t i = 0; i < nCount; ++i)
    {
        snprintf(szByte, sizeof(szByte), "%.2X", pBytes[i]);
        text += szByte;
    }
    return text;
}
