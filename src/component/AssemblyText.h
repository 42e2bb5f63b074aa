// Bounded copies into the component model's fixed text fields: 259
// characters and the terminating zero.
#pragma once

#include <cstddef>
#include <cstring>

// Copies as much of the text as fits; false when it had to be cut.
template <size_t N>
bool AssemblyTextCopy(char (&szDest)[N], const char* szSource)
{
    static_assert(N > 0, "a text field holds at least its terminating zero");
    size_t nLen = szSource ? strlen(szSource) : 0;
    const bool fFits = nLen < N;
    if (!fFits)
        nLen = N - 1;
    memcpy(szDest, szSource ? szSource : "", nLen);
    szDest[nLen] = '\0';
    return fFits;
}
