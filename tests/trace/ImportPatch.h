// Points one import of the test program at a replacement for the owner's
// lifetime, so that code under test calls the replacement instead of the
// system (for example a message box that would wait for a user).
#pragma once

class CImportPatch
{
public:
    CImportPatch(const char* szDll, const char* szFunction, void* pReplacement);
    ~CImportPatch();
    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;

    bool Active() const { return m_ppSlot != nullptr; }

private:
    void SlotWrite(void* pValue);

    void** m_ppSlot = nullptr;
    void* m_pOriginal = nullptr;
};
