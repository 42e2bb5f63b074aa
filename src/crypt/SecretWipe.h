// Overwriting secrets (clear-text passwords, key bytes) before their memory
// is given up, so that they do not linger on the stack or the heap.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Wipes a text's characters and empties it.
inline void SecretTextWipe(std::string& text)
{
    if (!text.empty())
        SecureZeroMemory(&text[0], text.size());
    text.clear();
}

// Wipes a buffer when the scope ends, on every way out of it.
class CSecretWipe
{
public:
    CSecretWipe(void* pBuffer, size_t nSize) : m_pBuffer(pBuffer), m_nSize(nSize) {}
    ~CSecretWipe() { SecureZeroMemory(m_pBuffer, m_nSize); }
    CSecretWipe(const CSecretWipe&) = delete;
    CSecretWipe& operator=(const CSecretWipe&) = delete;

private:
    void* m_pBuffer;
    size_t m_nSize;
};
