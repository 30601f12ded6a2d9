// The exit question: its template, its dialog procedure and the answer.
#include "ui/ExitConfirmation.h"

#include "context/AppContext.h"
#include "ui/WindowPlacement.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/Splash.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {

// The "Confirm" option of the open question; null when none was given.
LONG* confirmFlag = nullptr;

// Puts the text of `window` into `text`, to serve as a format.
void WindowTextOf(HWND window, char (&text)[kStringSize]) {
  text[0] = '\0';
  GetWindowTextA(window, text, sizeof text);
}

BOOL InitExitQuestion(HWND dialog) {
  char name[kStringSize];
  char title[kStringSize];
  GetString(name, IDS_PROGRAM_NAME);
  GetString(title, IDS_PRODUCT_NAME);
  char format[kStringSize];
  WindowTextOf(dialog, format);
  SetWindowTextF(dialog, format, title);
  WindowTextOf(GetDlgItem(dialog, IDC_EXIT_TEXT), format);
  SetItemTextF(dialog, IDC_EXIT_TEXT, format, title, name);
  HWND always = GetDlgItem(dialog, IDC_EXIT_ALWAYS_CONFIRM);
  if (confirmFlag) {
    WindowTextOf(always, format);
    SetItemTextF(dialog, IDC_EXIT_ALWAYS_CONFIRM, format, name);
    CheckDlgButton(dialog, IDC_EXIT_ALWAYS_CONFIRM, *confirmFlag ? BST_CHECKED : BST_UNCHECKED);
  } else {
    ShowWindow(always, SW_HIDE);
  }
  // Above a main window that is topmost itself.
  SetTopmost(dialog, 1);
  return TRUE;  // the default button "&Yes" takes the focus
}

INT_PTR CALLBACK ExitQuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return InitExitQuestion(dialog);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (confirmFlag) *confirmFlag = IsDlgButtonChecked(dialog, IDC_EXIT_ALWAYS_CONFIRM) == BST_CHECKED ? 1 : 0;
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void* BuildExitTemplate() {
  void* block = LockDialogTemplate();
  if (!block) return nullptr;
  // The system menu gives the caption its close box, which answers No.
  const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
  const DWORD child = WS_CHILD | WS_VISIBLE;
  BYTE* p = BeginTemplate(block, style, WS_EX_TOOLWINDOW | WS_EX_STATICEDGE, 5, 0, 0, 230, 76, " Exit %s");
  p = AddItem(p, child | SS_ICON, 0, 9, 8, 18, 20, 0xFFFF, kStaticAtom, "#1000");
  p = AddItem(p, child | SS_LEFT | SS_NOPREFIX, 0, 37, 10, 190, 16, IDC_EXIT_TEXT, kStaticAtom,
              "You are about to exit %s.\rAre you sure you want to quit %s at this time?");
  p = AddItem(p, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 58, 54, 40, 14, IDOK, kButtonAtom, "&Yes");
  p = AddItem(p, child | WS_TABSTOP | BS_PUSHBUTTON, 0, 130, 54, 40, 14, IDCANCEL, kButtonAtom, "&No");
  AddItem(p, child | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 50, 35, 135, 8, IDC_EXIT_ALWAYS_CONFIRM, kButtonAtom,
          "&Always Confirm %s Exits");
  return block;
}

int ConfirmExit(HWND owner, LONG* confirm) {
  CloseSplash();
  if (confirm && *confirm == 0) return 1;
  void* block = BuildExitTemplate();
  if (!block) return 0;
  confirmFlag = confirm;
  const INT_PTR answer = DialogBoxIndirectParamA(App().instance, static_cast<LPCDLGTEMPLATEA>(block), owner,
                                                 ExitQuestionProc, 0);
  confirmFlag = nullptr;
  ReleaseTemplateBlock(block);
  // A dialog that could not be created (-1) lets the program end.
  return answer == 0 ? 0 : 1;
}
