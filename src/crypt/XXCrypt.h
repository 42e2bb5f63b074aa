// The obfuscated text of a setup password that /CRYPT prints and /PWC takes:
// uppercase hexadecimal of an 8-byte MAC, the random selector byte the key
// was derived from, and the triple-DES ciphertext of the padded password.
#pragma once

#include <string>

class CXXCrypt
{
public:
    // An empty clear text gives an empty text. Encrypt wipes its copy of the
    // clear text once the obfuscated text is made; should an allocation fail
    // before, the copy is returned as it stands.
    std::string Encrypt(std::string csClearText) const;
};
