// Does the process run with administrator rights? Also yes when the
// machine's override value says to skip the check.
#pragma once

class CCElevation
{
public:
    static bool IsElevated();
    static bool IsIgnoreRegkeySet();
};
