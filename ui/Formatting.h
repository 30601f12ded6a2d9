// Date, time and size texts: file sizes in bytes, K, M or G; file time stamps
// as a long English date and time; the current date and time after the
// user's regional settings (profile section "Intl").
#pragma once

#include <windows.h>

#include <cstddef>

constexpr int kFormatTextSize = 256;  // every formatted text fits 255 characters

// Writes the size as "%u" below 1024, else with two decimals and " K", " M"
// or " G" (1536 gives "1.50 K"); a ".00" is dropped ("2 K", "1 M"). Returns
// `buffer`. The text is cut to fit `bufferSize`.
char* FormatSize(DWORD size, char* buffer, std::size_t bufferSize);
template <std::size_t N>
char* FormatSize(DWORD size, char (&buffer)[N]) {
  return FormatSize(size, buffer, N);
}

// Writes a UTC file time as local "Monday, December 7, 2026 - 9:05 PM".
// Returns 1, or 0 with an empty text when both halves of the time are 0 (or
// the time cannot be converted).
int FormatFileTime(const FILETIME& time, char* buffer, std::size_t bufferSize);
template <std::size_t N>
int FormatFileTime(const FILETIME& time, char (&buffer)[N]) {
  return FormatFileTime(time, buffer, N);
}

// The current local time (or `*at` when given) after "iTime", "iTLZero",
// "sTime", "s1159" and "s2359" of the "Intl" section, read on every call:
// "9:05 PM" with the usual settings. The result lives in a static buffer
// that the next call overwrites; it is also copied into `buffer` when one is
// given (cut to `bufferSize`). Returns the static buffer.
const char* FormatIntlTime(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at = nullptr);

// The current local date (or `*at`) after the long-date picture "sLongDate"
// of the "Intl" section: "Mon Dec 7 2026 " (with its trailing blank) for the
// default picture. Static result and copy as FormatIntlTime.
const char* FormatIntlDate(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at = nullptr);

// FormatIntlDate, two blanks, FormatIntlTime, for one and the same instant:
// "Mon Dec 7 2026   9:05 PM". Static result and copy as FormatIntlTime.
const char* FormatIntlDateTime(char* buffer, std::size_t bufferSize, const SYSTEMTIME* at = nullptr);

inline const char* FormatIntlTime() { return FormatIntlTime(nullptr, 0); }
inline const char* FormatIntlDate() { return FormatIntlDate(nullptr, 0); }
inline const char* FormatIntlDateTime() { return FormatIntlDateTime(nullptr, 0); }
template <std::size_t N>
const char* FormatIntlTime(char (&buffer)[N], const SYSTEMTIME* at = nullptr) {
  return FormatIntlTime(buffer, N, at);
}
template <std::size_t N>
const char* FormatIntlDate(char (&buffer)[N], const SYSTEMTIME* at = nullptr) {
  return FormatIntlDate(buffer, N, at);
}
template <std::size_t N>
const char* FormatIntlDateTime(char (&buffer)[N], const SYSTEMTIME* at = nullptr) {
  return FormatIntlDateTime(buffer, N, at);
}

// Splits `text` into tokens at the characters of `separators`, writing a
// terminator over the separator that ends each token. Called with a text it
// starts a new split; called with nullptr it continues the last one. Returns
// the next token, or nullptr when none is left; after that it forgets the
// text, and continuing gives nullptr until a new split starts. Keeps its own
// position, so it never disturbs a strtok split that is under way.
char* NextToken(char* text, const char* separators);
