// The answers of one run of the simulated PC, built up call by call: each
// block is what one Execute or Continue call hands back. The exit code that
// the program will make of them is kept alongside.
#pragma once

#include "Script.h"
#include "SimCodes.h"

#include <string>
#include <vector>

class CAnswers
{
public:
    CAnswers() : m_blocks(1) {}
    void Out(const std::string& token, const std::string& text)
    {
        m_blocks.back().output += "<" + token + ">" + text + "\n";
        if (token == "eWarning")
            m_code.Warning();
    }
    // The item "Action status" of /AST.
    void ActionStatus(const std::string& text)
    {
        Out("eActionStatus", "Action status\t" + text);
        m_code.ActionStatus(text);
    }
    void Next(DWORD dwSleepMs = 0)
    {
        m_blocks.emplace_back();
        m_blocks.back().dwSleepMs = dwSleepMs;
    }
    // The engine holds on the current block when the test hook names this
    // point (see HoldPointReach).
    void Hold(const char* szPoint) { m_blocks.back().holdPoint = szPoint; }
    // Ends the dialogue with the exit code of the job.
    void Done(int nCode)
    {
        Out("eJobDone", std::to_string(nCode));
        m_code.JobDone(nCode);
        if (m_blocks.size() == 1)
            Next();  // Execute answers first, the end comes with Continue
        m_blocks.back().ulStatus = 1;
    }
    // An error text; nCode goes with eJobDone where no text stands for it.
    void Fail(const std::string& text, int nCode = 0)
    {
        m_fFailed = true;
        Out("eError", text);
        m_code.Error(text);
        Done(nCode);
    }
    // Ends the dialogue at once with a status of Execute.
    void Status(ULONG ulStatus)
    {
        m_fFailed = true;
        m_blocks.resize(1);
        m_blocks[0].ulStatus = ulStatus;
        m_code.Status(ulStatus);
    }
    // Fail and Status for the steps of a job that tell whether it goes on.
    bool FailStep(const std::string& text)
    {
        Fail(text);
        return false;
    }
    bool StatusStep(ULONG ulStatus)
    {
        Status(ulStatus);
        return false;
    }
    // A failed job changes nothing on the machine.
    bool Failed() const { return m_fFailed; }
    uint32_t Code() const { return m_code.Value(); }
    const std::vector<CScriptBlock>& Blocks() const { return m_blocks; }
    std::vector<CScriptBlock> Take() { return std::move(m_blocks); }

private:
    std::vector<CScriptBlock> m_blocks;
    CExitCode m_code;
    bool m_fFailed = false;
};
