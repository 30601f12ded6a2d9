// The rules a key must meet before a conversion starts: the key dialogs'
// rules, with their words, for keys typed, read from a file or from
// standard input.
#pragma once

#include <cstddef>
#include <string>

// The largest key the dialogs take; a longer one is refused rather than cut.
constexpr std::size_t kLongestKey = 255;

// Why a key entry is refused, or an empty text when it is accepted.
// `confirmation` is null where no second entry is asked for.
std::string KeyRefusal(const std::string& key, const std::string* confirmation, bool encrypting);

// What the dialogs add after a refusal: the request to try again, or after
// the last of kKeyTries the end of the run.
constexpr int kKeyTries = 3;
const char* KeyRetryText(bool last, bool mismatch);

// A key file's or standard input's key: the text up to the first line end
// ("\n" or "\r\n"), which is not part of it.
std::string KeyFromText(const std::string& text);

// Overwrites a text that held a key before it is dropped.
void WipeKey(std::string& key);
