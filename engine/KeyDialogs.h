// The key entry dialogs: before every conversion run the user enters the key
// (twice for encryption), and only its KeyHash leaves the dialog.
#pragma once

#include <windows.h>

// Modes of the key dialogs.
constexpr int kKeyForDecoding = 0;
constexpr int kKeyForEncryption = 1;

// Failed entries in a row after which the dialog closes as cancelled.
constexpr int kKeyAttempts = 3;

// Asks for the key in dialog 3100 (encryption) or 3250 (decoding), owned by
// `owner`, after the status text 7013 or 7014. Returns 1 and stores the
// KeyHash of the key in `keyHash` when the user confirmed a valid key; 0
// when the dialog was cancelled or closed after three failed entries
// (`keyHash` is then left alone).
int AskKey(HWND owner, int mode, DWORD* keyHash);

// The OK handler of an open key dialog: remembers the dialog's place as the
// key dialogs' place ("DeskTop\Password"), reads the key (and in encryption
// mode its confirmation) and returns 1 when it is valid; the hash is then
// kept for AskKey and the failure count starts again. An empty key or a
// confirmation that differs counts a failure, empties the fields, puts the
// dialog back in its place and reports it in a box; returns 0. The key text
// is wiped from the program's buffers and from the edit fields once read.
int ValidateKey(HWND dialog, int mode);

// Empties the key field (and in encryption mode the confirmation) and moves
// the dialog, unsized and shown, to the remembered place, kept 70 pixels
// inside the right and bottom edges of the desktop.
void ResetKeyDialog(HWND dialog, int mode);
