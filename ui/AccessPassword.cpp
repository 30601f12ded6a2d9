// The program access password: the prompt at start-up and the change
// dialog. The typed texts are hashed and wiped at once; only hashes stay.
#include "ui/AccessPassword.h"

#include <cstring>
#include <initializer_list>

#include "context/AppContext.h"
#include "core/KeyHash.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/SecretText.h"
#include "ui/Splash.h"

namespace {

constexpr int kPasswordTextSize = 256;  // at most 255 characters are read

// The state of the one password dialog that can be open at a time.
struct PasswordEntry {
  DWORD expected = 0;  // the hash the current password must have
  int attempts = 0;    // wrong entries in a row
};

PasswordEntry& Entry() {
  static PasswordEntry entry;
  return entry;
}

DWORD HashOf(const char* text) { return static_cast<DWORD>(KeyHash(text)); }

// Reports a refused entry: the box `captionId` with the text `messageId`,
// completed with the string `reasonId`. Returns 0.
int Refuse(HWND dialog, UINT captionId, UINT messageId, UINT reasonId) {
  char reason[kStringSize];
  GetString(reason, reasonId);
  return ShowMessage(dialog, captionId, messageId, reason);
}

void PrepareEdits(HWND dialog, std::initializer_list<int> ids) {
  for (int id : ids) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kPasswordTextSize - 1, 0);
}

void WipeEdits(HWND dialog, std::initializer_list<int> ids) {
  for (int id : ids) WipeEdit(dialog, id);
}

// After a refused entry the dialog either closes as cancelled (the third in
// a row) or waits in its first field for the next try.
void AfterRefusal(HWND dialog) {
  if (Entry().attempts >= kPasswordAttempts) {
    EndDialog(dialog, 0);
  } else {
    SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
  }
}

// OK in the prompt: 1 when the password is right.
int CheckPassword(HWND dialog) {
  PasswordEntry& entry = Entry();
  ++entry.attempts;
  char text[kPasswordTextSize];
  TakeEditText(dialog, IDC_PASSWORD, text);
  const DWORD hash = HashOf(text);
  WipeText(text);
  if (hash == entry.expected) {
    entry.attempts = 0;
    return 1;
  }
  const bool last = entry.attempts >= kPasswordAttempts;
  return Refuse(dialog, IDS_PASSWORD_INVALID_CAPTION, IDS_PASSWORD_INVALID,
                last ? IDS_PASSWORD_ACCESS_DENIED : IDS_PASSWORD_ENTER_AGAIN);
}

INT_PTR CALLBACK AskPasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Entry() = PasswordEntry{static_cast<DWORD>(lParam), 0};
      PrepareEdits(dialog, {IDC_PASSWORD});
      // At start-up the prompt is the program's only window.
      SetForegroundWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (CheckPassword(dialog)) {
            EndDialog(dialog, 1);
          } else {
            AfterRefusal(dialog);
          }
          return TRUE;
        case IDCANCEL:
          WipeEdits(dialog, {IDC_PASSWORD});
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// OK in the change dialog: 1 when the password was changed or removed, after
// the box that says so.
int ChangePassword(HWND dialog) {
  PasswordEntry& entry = Entry();
  ++entry.attempts;
  char current[kPasswordTextSize];
  char fresh[kPasswordTextSize];
  char verification[kPasswordTextSize];
  TakeEditText(dialog, IDC_PASSWORD, current);
  TakeEditText(dialog, IDC_PASSWORD_NEW, fresh);
  TakeEditText(dialog, IDC_PASSWORD_VERIFY, verification);
  const DWORD currentHash = HashOf(current);
  const DWORD freshHash = HashOf(fresh);
  const std::size_t freshLength = std::strlen(fresh);
  const bool verified = std::strcmp(fresh, verification) == 0;
  WipeText(current);
  WipeText(fresh);
  WipeText(verification);

  const bool last = entry.attempts >= kPasswordAttempts;
  if (currentHash != entry.expected) {
    return Refuse(dialog, IDS_PASSWORD_INVALID_CAPTION, IDS_PASSWORD_INVALID,
                  last ? IDS_PASSWORD_NOT_CHANGED : IDS_PASSWORD_ENTER_AGAIN);
  }
  if (!verified) {
    return Refuse(dialog, IDS_PASSWORD_NEW_INVALID_CAPTION, IDS_PASSWORD_DIFFERENT,
                  last ? IDS_PASSWORD_NOT_CHANGED : IDS_PASSWORD_ENTER_AGAIN);
  }
  if (freshLength > 0 && freshLength < kMinimumPasswordLength) {
    return Refuse(dialog, IDS_PASSWORD_INVALID_CAPTION, IDS_PASSWORD_TOO_SHORT,
                  last ? IDS_PASSWORD_NOT_CHANGED : IDS_PASSWORD_CHOOSE_LONGER);
  }
  // A hash of 0 is stored as "no password": accepting such a password would
  // announce a change while nothing guards the program.
  if (freshLength > 0 && freshHash == 0) {
    return Refuse(dialog, IDS_PASSWORD_INVALID_CAPTION, IDS_PASSWORD_UNUSABLE,
                  last ? IDS_PASSWORD_NOT_CHANGED : IDS_PASSWORD_CHOOSE_ANOTHER);
  }
  entry.expected = freshHash;
  entry.attempts = 0;
  if (freshLength > 0) {
    ShowMessage(dialog, IDS_PASSWORD_CHANGED_CAPTION, IDS_PASSWORD_CHANGED);
  } else {
    ShowMessage(dialog, IDS_PASSWORD_REMOVED_CAPTION, IDS_PASSWORD_REMOVED);
  }
  return 1;
}

INT_PTR CALLBACK ChangePasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Entry() = PasswordEntry{static_cast<DWORD>(lParam), 0};
      PrepareEdits(dialog, {IDC_PASSWORD, IDC_PASSWORD_NEW, IDC_PASSWORD_VERIFY});
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (ChangePassword(dialog)) {
            EndDialog(dialog, 1);
          } else {
            AfterRefusal(dialog);
          }
          return TRUE;
        case IDCANCEL:
          WipeEdits(dialog, {IDC_PASSWORD, IDC_PASSWORD_NEW, IDC_PASSWORD_VERIFY});
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int AskAccessPassword(HWND owner, DWORD storedHash) {
  CloseSplash();
  const INT_PTR ended = DialogBoxParamA(App().instance, MAKEINTRESOURCEA(IDD_ACCESS_PASSWORD), owner,
                                        AskPasswordProc, static_cast<LPARAM>(storedHash));
  Entry() = PasswordEntry{};
  return ended == 1 ? 1 : 0;
}

int ChangeAccessPassword(HWND owner, DWORD* storedHash) {
  CloseSplash();
  SetStatusText(IDS_HINT_ACCESS);
  if (!storedHash) return 0;
  const INT_PTR ended = DialogBoxParamA(App().instance, MAKEINTRESOURCEA(IDD_CHANGE_PASSWORD), owner,
                                        ChangePasswordProc, static_cast<LPARAM>(*storedHash));
  const DWORD changed = Entry().expected;
  Entry() = PasswordEntry{};
  if (ended != 1) return 0;
  *storedHash = changed;
  return 1;
}
