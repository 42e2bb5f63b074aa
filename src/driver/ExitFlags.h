// The process exit code: bits that accumulate over the run and whole codes
// that replace everything collected so far.
#pragma once

#include <cstdint>

class CExitFlags
{
public:
    enum : uint32_t
    {
        eWarningBit = 1,
        eGeneralError = 2,
        eSyntaxError = 4,
        eBiosFileMissing = 8,
        eDiskSpace = 16,
        eConfirmations = 32,
        ePrivileges = 64,
        eBitlocker = 1024,
    };

    uint32_t Get() const { return m_nValue; }
    void Set(uint32_t nValue) { m_nValue = nValue; }
    void Or(uint32_t nBits) { m_nValue |= nBits; }

    // Maps an engine message to the exit code; false for unknown messages.
    bool ErrText2Flag(const char* szTxt);
    // Maps the value of an "Action status" item; false for other values.
    bool ActionStatus2Flag(const char* szValue);

private:
    uint32_t m_nValue = 0;
};

extern CExitFlags g_exitFlags;
