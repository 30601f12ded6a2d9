// The key entry dialogs: the dialog procedure, the check of an entry, the
// reset after a failed one, and the hash that is all the run gets back.
#include "engine/KeyDialogs.h"

#include "context/AppContext.h"
#include "ui/WindowPlacement.h"
#include "core/KeyHash.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "ui/Messages.h"
#include "ui/SecretText.h"

namespace {

// Keeps the dialog this far inside the desktop's right and bottom edges.
constexpr int kDesktopMargin = 70;

// The state of the one key dialog that can be open at a time.
struct KeyEntry {
  int mode = kKeyForDecoding;
  int failures = 0;
  DWORD hash = 0;
};

KeyEntry& Entry() {
  static KeyEntry entry;
  return entry;
}

// A failed entry: counted, the fields emptied and the dialog put back
// before the box says why. True when it was the last try.
bool CountFailure(HWND dialog, int mode) {
  const bool last = ++Entry().failures >= kKeyAttempts;
  ResetKeyDialog(dialog, mode);
  return last;
}

INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ResetKeyDialog(dialog, Entry().mode);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (ValidateKey(dialog, Entry().mode)) {
            EndDialog(dialog, 1);
          } else if (Entry().failures >= kKeyAttempts) {
            EndDialog(dialog, 0);
          }
          return TRUE;
        case IDCANCEL:
          WipeEdit(dialog, IDC_KEY_TEXT);
          WipeEdit(dialog, IDC_KEY_CONFIRM);
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void ResetKeyDialog(HWND dialog, int mode) {
  WipeEdit(dialog, IDC_KEY_TEXT);
  if (mode == kKeyForEncryption) WipeEdit(dialog, IDC_KEY_CONFIRM);

  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  const WindowPosition& place = Options().PasswordDialog;
  const LONG right = desktop.right - desktop.left - kDesktopMargin;
  const LONG bottom = desktop.bottom - desktop.top - kDesktopMargin;
  const LONG x = place.Left < right ? place.Left : right;
  const LONG y = place.Top < bottom ? place.Top : bottom;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  // The next try starts in the key field, also after a box about this one.
  SetFocus(GetDlgItem(dialog, IDC_KEY_TEXT));
}

int ValidateKey(HWND dialog, int mode) {
  SaveWindowPlacement(dialog, &Options().PasswordDialog);

  const bool encrypting = mode == kKeyForEncryption;
  char key[kStringSize] = "";
  char confirmation[kStringSize] = "";
  GetDlgItemTextA(dialog, IDC_KEY_TEXT, key, sizeof key);
  if (encrypting) GetDlgItemTextA(dialog, IDC_KEY_CONFIRM, confirmation, sizeof confirmation);
  const bool empty = key[0] == '\0';
  const bool differ = !empty && encrypting && lstrcmpA(key, confirmation) != 0;
  const bool valid = !empty && !differ;
  if (valid) Entry().hash = static_cast<DWORD>(KeyHash(key));
  WipeText(key);
  WipeText(confirmation);

  if (valid) {
    Entry().failures = 0;
    WipeEdit(dialog, IDC_KEY_TEXT);
    WipeEdit(dialog, IDC_KEY_CONFIRM);
    return 1;
  }
  if (empty) {
    const bool last = CountFailure(dialog, mode);
    return ShowMessageText(dialog, encrypting ? "Encryption Key Error" : "Decoding Key Error",
                           "\rYou must enter a key for file %s.\r\r%s", encrypting ? "encryption" : "decoding",
                           last ? "Conversion canceled." : "Please enter a key now.");
  }
  const bool last = CountFailure(dialog, mode);
  return ShowMessageText(dialog, "Encryption Confirmation Error", "\rThe encryption keys do not match.\r\r%s",
                         last ? "File encryption canceled." : "Please reenter these keys now.");
}

int AskKey(HWND owner, int mode, DWORD* keyHash) {
  KeyEntry& entry = Entry();
  entry.failures = 0;
  entry.mode = mode == kKeyForEncryption ? kKeyForEncryption : kKeyForDecoding;
  entry.hash = 0;
  const bool encrypting = entry.mode == kKeyForEncryption;
  SetStatusText(encrypting ? IDS_KEY_FOR_ENCRYPTION : IDS_KEY_FOR_DECODING);

  const INT_PTR ended = DialogBoxParamA(App().instance, MAKEINTRESOURCEA(encrypting ? IDD_KEY_ENCRYPT : IDD_KEY_DECODE),
                                        owner, KeyDialogProc, 0);
  const DWORD hash = entry.hash;
  entry.hash = 0;
  if (ended != 1) return 0;
  if (keyHash) *keyHash = hash;
  if (owner) UpdateWindow(owner);
  return 1;
}
