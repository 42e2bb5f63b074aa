// Reading back the obfuscated password text of /CRYPT, handed in with /PWC.
#pragma once

#include <string>

// The clear-text password of an obfuscated text. False, with the password
// left empty, when the text breaks the length rule, is not uppercase hex,
// carries a MAC that does not fit its ciphertext under the key its selector
// chooses, or deciphers to damaged padding.
bool PwcTextDecode(const std::string& text, std::string& password);
