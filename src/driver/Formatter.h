// Turns the engine's tagged output into labelled console lines and feeds
// its messages into the exit flags.
#pragma once

#include <string>

// Called with both texts of every engine call.
void FormattedOutput(std::string& output, std::string& errorText);

// Writes prefix, label and text, blanks out what a longer previous text
// left on the line, then the suffix. A zero prefix or suffix is not written.
void PrintLine(char chPrefix, char chSuffix, const char* szLabel, const char* szText);
