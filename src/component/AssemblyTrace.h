// Entry and leave records of the component model's operations (level 5):
// the entry record when the owner is built, the leave record on request,
// both under the operation's name and with the same text.
#pragma once

#include "trace/QuillTrace.h"

#include <windows.h>

class CCMethodTrace
{
public:
    template <typename... Args>
    CCMethodTrace(const char* szFunction, const char* szText, const char* szFormat = "", Args... args)
        : m_szFunction(szFunction), m_szText(szText)
    {
        KRLX_TRACE(eTrcInfoCC, m_szFunction, "Enter", m_szText, szFormat, args...);
    }
    CCMethodTrace(const CCMethodTrace&) = delete;
    CCMethodTrace& operator=(const CCMethodTrace&) = delete;

    // The leave record of an operation with a boolean result; returns it.
    bool Leave(bool fResult) const
    {
        KRLX_TRACE(eTrcInfoCC, m_szFunction, "Leave", m_szText, "bReturn: %d", fResult ? 1 : 0);
        return fResult;
    }
    template <typename... Args>
    void LeaveWith(const char* szFormat, Args... args) const
    {
        KRLX_TRACE(eTrcInfoCC, m_szFunction, "Leave", m_szText, szFormat, args...);
    }

private:
    const char* m_szFunction;
    const char* m_szText;
};

// An error record of the component model: level 1, label "Internal".
template <typename... Args>
void AssemblyErrorTrace(const char* szFunction, const char* szText, const char* szFormat = "", Args... args)
{
    KRLX_TRACE(eTrcError, szFunction, "Internal", szText, szFormat, args...);
}

// An error record for a failed COM call, with the code and its text.
inline void AssemblyHrErrorTrace(const char* szFunction, const char* szText, HRESULT hr)
{
    AssemblyErrorTrace(szFunction, szText, "hr: 0x%08X, '%s'", static_cast<unsigned>(hr),
                       CCQuillTrace::ErrorText(static_cast<DWORD>(hr)));
}
