#include "trace/ImportPatch.h"

#include <windows.h>

#include <cstring>

namespace
{
// The import address slot of szDll!szFunction in the program's image.
void** ImportSlotFind(const char* szDll, const char* szFunction)
{
    auto pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto pDescriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
    for (; pDescriptor->Name; ++pDescriptor)
    {
        if (_stricmp(reinterpret_cast<const char*>(pBase + pDescriptor->Name), szDll) != 0)
            continue;
        auto pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->OriginalFirstThunk);
        auto pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->FirstThunk);
        for (; pNames->u1.AddressOfData; ++pNames, ++pSlots)
        {
            if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                continue;
            auto pName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(pName->Name), szFunction) == 0)
                return reinterpret_cast<void**>(&pSlots->u1.Function);
        }
    }
    return nullptr;
}
}  // namespace

CImportPatch::CImportPatch(const char* szDll, const char* szFunction, void* pReplacement)
    : m_ppSlot(ImportSlotFind(szDll, szFunction))
{
    if (!m_ppSlot)
        return;
    m_pOriginal = *m_ppSlot;
    SlotWrite(pReplacement);
}

CImportPatch::~CImportPatch()
{
    if (m_ppSlot)
        SlotWrite(m_pOriginal);
}

void CImportPatch::SlotWrite(void* pValue)
{
    DWORD dwOld = 0;
    VirtualProtect(m_ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
    *m_ppSlot = pValue;
    VirtualProtect(m_ppSlot, sizeof(void*), dwOld, &dwOld);
}
