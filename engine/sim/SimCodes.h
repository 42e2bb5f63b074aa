// The exit code that the program makes of the simulated PC's answers, kept
// item by item as the program keeps it: the engine writes it as the last
// line of its log, so the log and the run tell the same.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CExitCode
{
public:
    // An eError text: a code of its own, a bit, or the general error bit
    // for a text the program does not know.
    void Error(const std::string& text);
    void Warning() { m_nValue |= 1; }
    // A non-zero status that ends Execute.
    void Status(ULONG ulStatus);
    // The eJobDone code; 0 leaves what was collected.
    void JobDone(int nCode);
    // The value of the item "Action status".
    void ActionStatus(const std::string& text);
    uint32_t Value() const { return m_nValue; }

private:
    uint32_t m_nValue = 0;
};
