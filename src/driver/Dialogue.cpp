#include "driver/Dialogue.h"

#include "driver/ExitFlags.h"
#include "driver/Formatter.h"
#include "driver/Program.h"
#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <cstdio>

namespace
{
constexpr DWORD g_dwEmptyPollPause = 250;

// The texts of one engine call, converted and freed.
struct CEngineReply
{
    CCBstr output;
    CCBstr errorText;
    ULONG ulStatus = 0;
    bool fEmpty = true;  // both texts of the last call were empty

    void Deliver()
    {
        std::string out = MscTextFromBstr(output.get());
        std::string err = MscTextFromBstr(errorText.get());
        output.reset();
        errorText.reset();
        fEmpty = out.empty() && err.empty();
        FormattedOutput(out, err);
    }
};

void CallLeaveTrace(const char* szFunction, HRESULT hr, ULONG ulStatus)
{
    KRLX_TRACE(eTrcVerbose, szFunction, "Leave", "", "hr=0x%8.8lx, ulStatus=%lu", static_cast<unsigned long>(hr),
               ulStatus);
}

void CallFailTrace(const char* szText, HRESULT hr)
{
    KRLX_TRACE(eTrcError, "main", "Internal", szText, "hr=0x%8.8lx, '%s'", static_cast<unsigned long>(hr),
               MscErrorTextGet(hr));
}
}  // namespace

void DiDEreveDialogueRun(IDiDEreveObj* pEngine, const std::string& cmdLine, const std::string& cmdLineOri)
{
    CCBstr bstrCmdLine(MscBstrFromText(cmdLine));
    CCBstr bstrCmdLineOri(MscBstrFromText(cmdLineOri));
    CEngineReply reply;

    KRLX_TRACE(eTrcVerbose, "DiDEreve::Execute", "Enter", "", "");
    HRESULT hr = pEngine->Execute(bstrCmdLine.get(), bstrCmdLineOri.get(), reply.output.put(), reply.errorText.put(),
                                  &reply.ulStatus);
    CallLeaveTrace("DiDEreve::Execute", hr, reply.ulStatus);
    if (FAILED(hr))
    {
        CallFailTrace("pDiDEreveObj->Execute failed", hr);
        g_exitFlags.Or(CExitFlags::eGeneralError);
        return;
    }
    reply.Deliver();
    if (reply.ulStatus != 0)
    {
        ExecuteStatusEvaluate(reply.ulStatus);
        return;
    }
    while (reply.ulStatus == 0)
    {
        KRLX_TRACE(eTrcVerbose, "DiDEreve::Continue", "Enter", "", "");
        hr = pEngine->Continue(reply.output.put(), reply.errorText.put(), &reply.ulStatus);
        CallLeaveTrace("DiDEreve::Continue", hr, reply.ulStatus);
        if (FAILED(hr))
        {
            CallFailTrace("pDiDEreveObj->Continue failed", hr);
            return;
        }
        reply.Deliver();
        if (reply.ulStatus == 0 && reply.fEmpty)
            Sleep(g_dwEmptyPollPause);
    }
}

std::string DiDEreveStatusName(ULONG ulStatus)
{
    static const struct
    {
        ULONG ulStatus;
        const char* szName;
    } rgNames[] = {
        {0x80040200, "SYNTAX ERROR"},
        {0x80040201, "SETUP AWAITS REBBOOT ERROR"},
        {0x80040202, "INTERRUPTED BY SHUTDOWN"},
        {0x80040203, "KORLIX AWAITS REBBOOT ERROR"},
        {0x80040204, "Operation was cancelled by the user"},
        {0x80040205, "No support module for this hardware found"},
        {0x8004F206, "System Firmware Rollback Forbidden"},
        {0x8004FFFF, "GENERIC ERROR"},
    };
    if (((ulStatus >> 16) & 0xFFF) == 0x004)
    {
        for (const auto& entry : rgNames)
        {
            if (entry.ulStatus == ulStatus)
                return entry.szName;
        }
    }
    return MscErrorTextGet(ulStatus);
}

void ExecuteStatusEvaluate(ULONG ulStatus)
{
    static const struct
    {
        ULONG ulStatus;
        const char* szTrace;
        unsigned idMessage;  // 0: no console message
        uint32_t nCode;
    } rgCases[] = {
        {0x80040201, "pDiDEreveObj->Execute returned status", 0, 301},
        {0x80040203, "pDiDEreveObj->Execute returned status", 0, 301},
        {0x80040202, "Execution was interrupted by shutdown", 0, 307},
        {0x80040204, "Operation cancelled by the user", 0, 1039},
        {0x80040205, "No support module for this hardware found", 5330, 1040},
        {0x8004F206, "System Firmware Rollback Forbidden", 5337, 1049},
    };
    std::string name = DiDEreveStatusName(ulStatus);
    for (const auto& entry : rgCases)
    {
        if (entry.ulStatus != ulStatus)
            continue;
        KRLX_TRACE(eTrcError, "main", "Internal", entry.szTrace, "ulStatus=0x%8.8lx '%s'", ulStatus, name.c_str());
        if (entry.idMessage && !g_fQuiet)
            fprintf(stderr, "\n%s\n", MscLoadStringResource(entry.idMessage));
        g_exitFlags.Set(entry.nCode);
        return;
    }
    KRLX_TRACE(eTrcError, "main", "Internal", "pDiDEreveObj->Execute returned status", "ulStatus=0x%8.8lx '%s'",
               ulStatus, name.c_str());
    g_exitFlags.Or(CExitFlags::eGeneralError);
}
