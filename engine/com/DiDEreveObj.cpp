#include "DiDEreveObj.h"

#include "EngineText.h"
#include "MachineFile.h"
#include "Record.h"
#include "SimPc.h"

#include <cstdio>
#include <new>

LONG g_cEngineModuleRefs = 0;

namespace
{
bool FileRead(const std::string& path, std::string& text)
{
    FILE* pFile = fopen(path.c_str(), "rb");
    if (!pFile)
        return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        text.append(buffer, n);
    bool fOk = !ferror(pFile);
    fclose(pFile);
    return fOk;
}

// Without a script the engine has nothing to do: it finishes at once.
std::vector<CScriptBlock> DefaultBlocks()
{
    CScriptBlock execute;
    CScriptBlock done;
    done.output = "<eJobDone>0\n";
    done.ulStatus = 1;
    return {execute, done};
}
}  // namespace

CDiDEreveObj::CDiDEreveObj()
{
    InterlockedIncrement(&g_cEngineModuleRefs);
    RecordWrite({"create"});
}

CDiDEreveObj::~CDiDEreveObj()
{
    RecordWrite({"release"});
    InterlockedDecrement(&g_cEngineModuleRefs);
}

HRESULT CDiDEreveObj::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown))
        *ppv = static_cast<IDiDEreveObj*>(this);
    else if (IsEqualIID(riid, IID_IComponentInit))
        *ppv = static_cast<IComponentInit*>(this);
    else
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CDiDEreveObj::AddRef()
{
    return InterlockedIncrement(&m_cRef);
}

ULONG CDiDEreveObj::Release()
{
    LONG cRef = InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    return cRef;
}

bool CDiDEreveObj::ScriptLoad(const std::string& cmdLine, std::string& reason)
{
    char szPath[MAX_PATH];
    DWORD dwLen = GetEnvironmentVariableA("DIDEREVE_SCRIPT", szPath, sizeof(szPath));
    if (dwLen == 0)
    {
        // Without a script the simulated PC answers, when there is one.
        std::string machinePath = MachinePathGet();
        if (!machinePath.empty())
            return SimPcRun(machinePath, cmdLine, m_blocks, reason);
        m_blocks = DefaultBlocks();
        return true;
    }
    std::string text;
    if (dwLen >= sizeof(szPath) || !FileRead(szPath, text))
    {
        reason = std::string("cannot read script ") + szPath;
        return false;
    }
    return ScriptParse(text, m_blocks, reason);
}

HRESULT CDiDEreveObj::Answer(const CScriptBlock& block, BSTR* output, BSTR* errorText, ULONG* status)
{
    if (block.dwSleepMs)
        Sleep(block.dwSleepMs);
    if (!block.holdPoint.empty())
        HoldPointReach(block.holdPoint.c_str());
    *status = block.ulStatus;
    if (FAILED(block.hr))
        return block.hr;
    *output = BstrFromText(block.output);
    *errorText = BstrFromText(block.errorText);
    if (!*output || !*errorText)
    {
        SysFreeString(*output);
        SysFreeString(*errorText);
        *output = *errorText = nullptr;
        return E_OUTOFMEMORY;
    }
    return block.hr;
}

HRESULT CDiDEreveObj::Execute(BSTR CmdLine, BSTR CmdLineOri, BSTR* output, BSTR* errorText, ULONG* status)
{
    if (!output || !errorText || !status)
        return E_POINTER;
    *output = *errorText = nullptr;
    try
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::string cmdLine = TextFromBstr(CmdLine);
        RecordWrite({"execute", cmdLine, TextFromBstr(CmdLineOri)});
        std::string reason;
        m_blocks.clear();
        if (!ScriptLoad(cmdLine, reason))
        {
            RecordWrite({"error", reason});
            return E_FAIL;
        }
        m_nNextBlock = 1;
        return Answer(m_blocks[0], output, errorText, status);
    }
    catch (...)
    {
        return E_UNEXPECTED;
    }
}

HRESULT CDiDEreveObj::Continue(BSTR* output, BSTR* errorText, ULONG* status)
{
    if (!output || !errorText || !status)
        return E_POINTER;
    *output = *errorText = nullptr;
    try
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        RecordWrite({"continue"});
        if (m_nNextBlock >= m_blocks.size())
        {
            CScriptBlock finished;
            finished.ulStatus = 1;
            return Answer(finished, output, errorText, status);
        }
        return Answer(m_blocks[m_nNextBlock++], output, errorText, status);
    }
    catch (...)
    {
        return E_UNEXPECTED;
    }
}

HRESULT CDiDEreveObj::Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName, VARIANT_BOOL* success)
{
    if (!success)
        return E_POINTER;
    try
    {
        RecordWrite({"init", TextFromBstr(featureName), TextFromBstr(featureVersion), TextFromBstr(contextName)});
        *success = VARIANT_TRUE;
        return S_OK;
    }
    catch (...)
    {
        *success = VARIANT_FALSE;
        return E_UNEXPECTED;
    }
}
