// Texts the tool prints that may hold bytes from outside: a stored path read
// from a file's header, a file name from a folder. Neither may carry control
// characters to the terminal or break a script's JSON.
#pragma once

#include <string>

// A JSON string literal, quotes included, for any bytes: valid UTF-8
// sequences pass as they are, control characters are escaped, and every
// byte that is not part of a valid UTF-8 sequence stands as the character
// of the same number (\u0080 to \u00ff), as an 8-bit Windows text reads.
std::string JsonString(const std::string& bytes);

// The text for a terminal line: valid UTF-8 as it is, a byte outside UTF-8
// as the character of its number (as JsonString reads it), and control
// characters (below 32, 127, the C1 controls, the marks and overrides of
// writing direction) as \xNN for each of their bytes.
std::string ShownText(const std::string& bytes);
