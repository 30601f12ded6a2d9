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

// The bytes for a terminal line: control characters (below 32 and 127) as
// \xNN, everything else as it is.
std::string ShownText(const std::string& bytes);
