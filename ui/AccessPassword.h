// The program access password: when one is set, the program asks for it
// before its window opens and ends without it. Only the password's KeyHash
// is kept ("Code" of the options; 0 means no password), never its text.
#pragma once

#include <windows.h>

// Wrong entries in a row after which a password dialog closes as cancelled.
constexpr int kPasswordAttempts = 3;
// A new password is empty (no password) or at least this long.
constexpr int kMinimumPasswordLength = 4;

// Asks for the password in dialog 5100, owned by `owner` (none at start-up).
// Returns 1 when the text typed hashes to `storedHash`; 0 when the dialog was
// cancelled or closed after the third wrong entry, whose box ends with
// "Program access denied".
int AskAccessPassword(HWND owner, DWORD storedHash);

// Sets, changes or removes the password in dialog 5110, owned by `owner`:
// the current password (empty when none is set), the new one and its
// verification. Returns 1 when the password was changed or removed;
// `*storedHash` then holds the new hash (0 for none) and the caller saves
// the options. Returns 0 when the dialog was cancelled or closed after three
// failed entries; `*storedHash` is then unchanged. A new password of 1 to 3
// characters is refused, and so is one whose hash is 0, which would read as
// no password at all.
int ChangeAccessPassword(HWND owner, DWORD* storedHash);
