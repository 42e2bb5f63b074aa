// DES for single 8-byte blocks, wrapped into triple DES (encipher, decipher,
// encipher) in ECB form with padding and into a retail MAC, selected by the
// mode byte given at construction. The password obfuscation also uses an
// object of this class to make and derive its key and to render bytes as
// text.
#pragma once

#include <windows.h>

#include <cstdint>

class CDes
{
public:
    // Bits of the mode byte.
    enum EMode : uint8_t
    {
        eModeMac = 0x01,           // output the MAC of the padded input, not the ciphertext
        eModeEcb = 0x02,           // bits 0x06: block chaining form
        eModePad80 = 0x10,         // bits 0x18: pad by one 0x80 byte and zero bytes
        eModeTriple = 0x40,        // bits 0x60: triple DES with a 24-byte key
        eModeNoKeyFolding = 0x80,  // key bytes beyond the key size are ignored
        // The modes the program uses: the ciphertext of a password and its MAC.
        eModeCipher = eModeNoKeyFolding | eModeTriple | eModePad80 | eModeEcb,
        eModeCipherMac = eModeCipher | eModeMac,
    };

    enum EDirection : uint8_t
    {
        eDecipher = 0,
        eEncipher = 1,
    };

    enum : int32_t
    {
        eBlockSize = 8,
        eTripleKeySize = 24,
        // The key table of the obfuscated password (KeyTable.h).
        eKeyTableRows = 4,
        eKeyTableRowSize = 256,
    };

    // pKey may be null; pIv, when given, points to 8 bytes.
    CDes(const uint8_t* pKey, int32_t nKeyLength, uint8_t bMode, const uint8_t* pIv);
    // Wipes the key bytes, the working keys, the round subkeys and the
    // initialisation vector.
    virtual ~CDes();
    CDes(const CDes&) = delete;
    CDes& operator=(const CDes&) = delete;

    // Pads the input and enciphers it (or computes its MAC) into pOut.
    // *pnOutLength is the room in pOut on entry and the bytes produced on
    // return; the room must hold the padded length. Only enciphering in the
    // two modes above with a 24-byte key is supported; anything else, and a
    // MAC with less than 8 bytes of room, returns false.
    bool Crypt(const uint8_t* pIn, const int32_t* pnInLength, uint8_t* pOut, int32_t* pnOutLength, uint8_t bDirection);

    // The reverse of Crypt in the cipher mode (DesDecipher.cpp): deciphers
    // whole blocks and strips the 0x80 padding. False for a MAC object, a
    // length that is no whole number of blocks, too little room or damaged
    // padding. The program only enciphers; the engine reads /PWC texts back
    // with this.
    bool Decipher(const uint8_t* pIn, int32_t nInLength, uint8_t* pOut, int32_t* pnOutLength);

    // Password obfuscation (DesPassword.cpp); these use no state of the
    // object. Statuses: 0, E_INVALIDARG for a missing buffer or a length of
    // 0, ERROR_BAD_LENGTH for a length that is not 8, 16 or 24.
    // Draws a random selector byte and derives the key from it.
    DWORD MakeKey(uint8_t* pKey, int32_t nLength, uint8_t* pbSelector) const;
    // The key of nLength bytes that the two low bits of the selector choose.
    DWORD DeriveKey(uint8_t* pKey, int32_t nLength, uint8_t bSelector) const;
    // Renders the bytes as text; the format "00" gives two uppercase
    // hexadecimal digits per byte. *pnCapacity is the room in characters on
    // entry and the characters written on return. False for an unknown
    // format or too little room.
    bool BytesToText(const uint8_t* pBytes, int32_t nCount, char* szText, int32_t* pnCapacity,
                     const char* szFormat) const;

private:
    void PrepareKey();
    bool CanEncipher() const;
    void TablesBuild();
    void ScheduleKey(const uint8_t* pKey, uint8_t bDirection);
    void CryptBlock(const uint8_t* pIn, uint8_t* pOut) const;
    void SingleStep(const uint8_t* pKey, uint8_t bDirection, uint8_t* pBlock);
    void TripleEncipher(uint8_t* pBlock);
    void TripleDecipher(uint8_t* pBlock);
    void MacCompute(const uint8_t* pIn, int32_t nInLength, uint8_t* pMac);

    // Each S-box merged with the permutation P that follows it.
    uint32_t m_anSpBox[8][64] = {};
    bool m_fTablesBuilt = false;
    uint8_t m_abIv[eBlockSize + 1];
    uint8_t m_bDirection = eEncipher;
    uint8_t m_bMode;
    uint8_t m_abKey[256];
    int32_t m_nKeyLength;
    uint8_t m_abWorkKeys[eTripleKeySize];  // K1, K2, K3
    int32_t m_nKeySize = 0;
    // 48-bit subkeys in the order the rounds use them.
    uint64_t m_anSubkeys[16] = {};
};
