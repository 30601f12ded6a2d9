// Overwriting the text of keys and passwords.
#include "ui/SecretText.h"

#include <string>

void WipeText(char* text, std::size_t bytes) {
  if (text) SecureZeroMemory(text, bytes);
}

void WipeEdit(HWND dialog, int id) {
  HWND edit = GetDlgItem(dialog, id);
  if (!edit) return;
  // The edit overwrites its own buffer in place when the new text is no
  // longer than the old, so a filler of the same length goes in first.
  const int length = GetWindowTextLengthA(edit);
  const std::string filler(length > 0 ? static_cast<std::size_t>(length) : 0, '*');
  SetWindowTextA(edit, filler.c_str());
  SetWindowTextA(edit, "");
  SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

void TakeEditText(HWND dialog, int id, char (&text)[256]) {
  text[0] = '\0';
  GetDlgItemTextA(dialog, id, text, sizeof text);
  WipeEdit(dialog, id);
}
