#include "platform/Msc.h"

#include "trace/QuillTrace.h"

#include <cstring>

namespace
{
constexpr int g_nStringSlots = 10;
constexpr int g_nStringSlotSize = 256;
char g_rgszStringRing[g_nStringSlots][g_nStringSlotSize];
int g_nStringSlot = g_nStringSlots - 1;  // the first call takes slot 0
}  // namespace

// The semaphore starts unsignalled: it only hands the lock from the thread
// that leaves to one that waits.
CMscCritSect::CMscCritSect() : m_semaphore(CreateSemaphoreW(nullptr, 0, 1, nullptr)) {}

bool CMscCritSect::Enter()
{
    if (InterlockedIncrement(&m_nWanted) == 1)
        return true;
    DWORD dwWait = WaitForSingleObject(m_semaphore.get(), INFINITE);
    if (dwWait == WAIT_FAILED)
    {
        KRLX_TRACE(eTrcWarning, "CMscCritSect::Enter", "Internal", "WaitForSingleObject failed", "%s",
                   MscLastErrorText());
        return false;
    }
    return dwWait == WAIT_OBJECT_0;
}

void CMscCritSect::Leave()
{
    if (InterlockedDecrement(&m_nWanted) > 0)
        ReleaseSemaphore(m_semaphore.get(), 1, nullptr);
}

HMODULE MscResourceModule()
{
    return GetModuleHandleW(nullptr);
}

const char* MscLoadStringResource(HMODULE hModule, UINT uID)
{
    g_mscCritSect.Enter();
    int nSlot = g_nStringSlot = (g_nStringSlot + 1) % g_nStringSlots;
    g_mscCritSect.Leave();

    char* szSlot = g_rgszStringRing[nSlot];
    if (LoadStringA(hModule, uID, szSlot, g_nStringSlotSize) > 0)
    {
        KRLX_TRACE(eTrcVerbose, "MscLoadStringResource", "Internal", "",
                   "Str[%d]='%s'\nTID=%lu, hModule=0x%8.8lx, uID=%d", nSlot, szSlot, GetCurrentThreadId(),
                   static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hModule)), uID);
    }
    else
    {
        DWORD dwError = GetLastError();
        KRLX_TRACE(eTrcWarning, "MscLoadStringResource", "Internal", "Error calling LoadString#2",
                   "(hModule=0x%8.8lx, uID = %d): (0x%8.8lx) '%s'",
                   static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hModule)), uID, dwError,
                   MscErrorTextGet(dwError));
    }
    return szSlot;
}

const char* MscLoadStringResource(UINT uID)
{
    return MscLoadStringResource(MscResourceModule(), uID);
}

namespace
{
size_t CustomResourceFail(const char* szWhat)
{
    DWORD dwError = GetLastError();
    KRLX_TRACE(eTrcWarning, "MscCustomResourceToMem", "Internal", szWhat, "ret=0x%X, '%s'", dwError,
               MscErrorTextGet(dwError));
    return 0;
}
}  // namespace

size_t MscCustomResourceToMem(HMODULE hModule, const char* szType, const char* szName, std::unique_ptr<char[]>& data)
{
    HRSRC hResInfo = FindResourceA(hModule, szName, szType);
    if (!hResInfo)
        return CustomResourceFail("FindResource failed");
    HGLOBAL hRes = LoadResource(hModule, hResInfo);
    if (!hRes)
        return CustomResourceFail("LoadResource failed");
    const void* pBytes = LockResource(hRes);
    if (!pBytes)
        return CustomResourceFail("LockResource failed");
    DWORD dwSize = SizeofResource(hModule, hResInfo);
    std::unique_ptr<char[]> block(new (std::nothrow) char[dwSize ? dwSize : 1]);
    if (!block)
    {
        KRLX_TRACE(eTrcWarning, "MscCustomResourceToMem", "Internal", "new failed", "bytes=%d",
                   static_cast<int>(dwSize));
        return 0;
    }
    memcpy(block.get(), pBytes, dwSize);
    data = std::move(block);
    return dwSize;
}
