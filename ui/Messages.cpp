// The reporting mechanism: texts by message id, the error, message and
// question boxes built in memory, and the status line.
#include "ui/Messages.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "ui/MessageTable.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {

constexpr SIZE_T kBoxTemplateSize = 2048;

enum class BoxKind { kError, kMessage, kQuestion };

// What one box shows; travels to the dialog procedure as its parameter.
struct Box {
  BoxKind kind;
  const char* caption;
  const char* text;
  int yesIsDefault;
};

int blocksToFail = 0;
int beepCount = 0;

// Whether status texts wait for the pictures of a long operation that holds
// the message loop, and what brings its window up to date before a box.
bool statusPaced = false;
RepaintCatchUp paceCatchUp = nullptr;
RepaintCatchUp boxCatchUp = nullptr;
WindowCloser closeBeforeBoxes = nullptr;

// While status texts are paced, the text waits here for the next picture,
// and only the last one is given to the bar: the bar repaints itself for
// every text it takes, which under Wine costs about a millisecond, as much
// as converting a small file.
char waitingStatus[kStatusTextSize] = "";
bool statusWaiting = false;

void GiveStatusText(const char* text) {
  HWND bar = App().statusBar;
  if (bar && IsWindowVisible(bar)) SendMessageA(bar, SB_SETTEXTA, 0 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text));
}

void* LockBlock(SIZE_T bytes) {
  if (blocksToFail > 0) {
    --blocksToFail;
    return nullptr;
  }
  return LockTemplateBlock(bytes);
}

// Completes `format` into `out`; a longer result is cut to fit. The result
// is final: it is shown as it stands and never used as a format again, so a
// '%' that an argument brings in shows literally.
template <size_t N>
void Compose(char (&out)[N], const char* format, va_list args) {
  if (std::vsnprintf(out, N, format ? format : "", args) < 0) out[0] = '\0';
}

// The one template of all three boxes. Without memory for it the boxes
// cannot work at all, so the system's own box says so.
void* BuildMessageTemplate(bool question) {
  void* block = LockBlock(kBoxTemplateSize);
  if (!block) {
    MessageBoxA(nullptr, "Cannot allocate memory for dialog box template", "Error", MB_ICONERROR);
    return nullptr;
  }
  const DWORD style =
      WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SYSMODAL;
  const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  BYTE* p = BeginTemplate(block, style, 0, question ? 4 : 3, 90, 70, 230, 90, "DialogTmp");
  p = AddItem(p, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 8, 9, 18, 20, IDC_BOX_ICON, kStaticAtom, " ");
  p = AddItem(p, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 37, 8, 185, 56, IDC_BOX_TEXT, kStaticAtom,
              " ");
  if (question) {
    p = AddItem(p, button | BS_DEFPUSHBUTTON, 0, 74, 70, 36, 14, IDYES, kButtonAtom, "&Yes");
    AddItem(p, button | BS_PUSHBUTTON, 0, 120, 70, 36, 14, IDNO, kButtonAtom, "&No");
  } else {
    AddItem(p, button | BS_DEFPUSHBUTTON, 0, 96, 70, 36, 14, IDOK, kButtonAtom, "OK");
  }
  return block;
}

UINT IconOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::kError:
      return IDI_BOX_ERROR;
    case BoxKind::kQuestion:
      return IDI_BOX_QUESTION;
    case BoxKind::kMessage:
      break;
  }
  return IDI_BOX_INFORMATION;
}

BOOL InitBox(HWND dialog, const Box& box) {
  HICON icon = LoadIconA(App().instance, MAKEINTRESOURCEA(IconOf(box.kind)));
  SendDlgItemMessageA(dialog, IDC_BOX_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  CentreDialog(dialog);
  SetWindowTextA(dialog, box.caption ? box.caption : "");
  // DS_SYSMODAL alone does not keep the box above other programs' windows.
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetDlgItemTextA(dialog, IDC_BOX_TEXT, box.text);
  if (box.kind != BoxKind::kQuestion) return TRUE;  // the dialog manager focuses OK

  const int yes = box.yesIsDefault;
  SendDlgItemMessageA(dialog, IDYES, BM_SETSTYLE, yes ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SendDlgItemMessageA(dialog, IDNO, BM_SETSTYLE, yes ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
  // The dialog manager keeps its own note of the default button (taken from
  // the template, so Yes); it must agree, or Tab and Enter would revive Yes.
  SendMessageA(dialog, DM_SETDEFID, yes ? IDYES : IDNO, 0);
  SetFocus(GetDlgItem(dialog, yes ? IDYES : IDNO));
  return FALSE;
}

// OK ends a box with 1, Yes with IDYES; No, Esc and the close box (both
// IDCANCEL) with 0.
INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return InitBox(dialog, *reinterpret_cast<const Box*>(lParam));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDYES:
          EndDialog(dialog, IDYES);
          return TRUE;
        case IDNO:
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// Announces, builds and runs one box; returns what the box ended with (0
// when it could not be shown).
INT_PTR RunBox(HWND owner, const Box& box) {
  // The box is looked at for a while: what stands behind it is up to date.
  ShowWaitingStatusText();
  if (paceCatchUp) paceCatchUp();
  if (boxCatchUp) boxCatchUp();
  if (closeBeforeBoxes) closeBeforeBoxes();
  if (SoundsFlag) AlertBeep();
  void* block = BuildMessageTemplate(box.kind == BoxKind::kQuestion);
  if (!block) return 0;
  INT_PTR result = DialogBoxIndirectParamA(App().instance, static_cast<LPCDLGTEMPLATEA>(block), owner, BoxProc,
                                           reinterpret_cast<LPARAM>(&box));
  ReleaseTemplateBlock(block);
  // Repaint the area the box covered now: the caller may go on working
  // without returning to its message loop for a while.
  if (owner) UpdateWindow(owner);
  return result;
}

int ShowComposedMessage(HWND owner, const char* caption, const char* text) {
  RunBox(owner, Box{BoxKind::kMessage, caption, text, 0});
  return 0;
}

// Puts an operation prefix such as "PicSize(GetDC): " on a line of its own,
// followed by an empty line; only the first such prefix counts.
int ShowComposedError(char* text) {
  if (char* prefixEnd = std::strstr(text, "): ")) {
    prefixEnd[1] = '\r';
    prefixEnd[2] = '\r';
  }
  // Before the main window exists (and after it is gone) the box has no owner.
  HWND owner = IsWindow(App().mainWindow) ? App().mainWindow : nullptr;
  RunBox(owner, Box{BoxKind::kError, "Error", text, 0});
  return 0;
}

int AskComposed(HWND owner, int yesIsDefault, const char* caption, const char* text) {
  return RunBox(owner, Box{BoxKind::kQuestion, caption, text, yesIsDefault ? 1 : 0}) == IDYES ? 1 : 0;
}

}  // namespace

int GetString(char (&buffer)[kStringSize], UINT id) {
  int length = 0;
  if (id >= kMessageTableFirst && id <= kMessageTableLast) {
    length = std::snprintf(buffer, sizeof buffer, "%s", MessageTable[id - kMessageTableFirst]);
    // The table's one unused id has no text: it fails as a missing string.
    if (length < 1) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  } else {
    length = LoadStringA(App().instance, id, buffer, sizeof buffer);
  }
  if (length > 0) return length;
  const DWORD code = GetLastError();
  buffer[0] = '\0';
  return ShowErrorText("GetString(LoadString): Cannot load string resource (ID:%u)\r\rCode %d", id,
                       static_cast<int>(code));
}

int ShowMessage(HWND owner, UINT captionId, UINT messageId, ...) {
  if (closeBeforeBoxes) closeBeforeBoxes();
  char caption[kStringSize];
  char format[kStringSize];
  if (!GetString(caption, captionId) || !GetString(format, messageId)) return 0;
  char text[kMessageTextSize];
  va_list args;
  va_start(args, messageId);
  Compose(text, format, args);
  va_end(args);
  return ShowComposedMessage(owner, caption, text);
}

int ShowMessageText(HWND owner, const char* caption, const char* format, ...) {
  char text[kMessageTextSize];
  va_list args;
  va_start(args, format);
  Compose(text, format, args);
  va_end(args);
  return ShowComposedMessage(owner, caption, text);
}

int ShowError(UINT messageId, ...) {
  char format[kStringSize];
  if (!GetString(format, messageId)) return 0;
  char text[kMessageTextSize];
  va_list args;
  va_start(args, messageId);
  Compose(text, format, args);
  va_end(args);
  return ShowComposedError(text);
}

int ShowErrorText(const char* format, ...) {
  char text[kMessageTextSize];
  va_list args;
  va_start(args, format);
  Compose(text, format, args);
  va_end(args);
  return ShowComposedError(text);
}

int AskYesNo(HWND owner, int yesIsDefault, UINT captionId, UINT messageId, ...) {
  char caption[kStringSize];
  char format[kStringSize];
  if (!GetString(caption, captionId) || !GetString(format, messageId)) return 0;
  char text[kMessageTextSize];
  va_list args;
  va_start(args, messageId);
  Compose(text, format, args);
  va_end(args);
  return AskComposed(owner, yesIsDefault, caption, text);
}

int AskYesNoText(HWND owner, int yesIsDefault, const char* caption, const char* format, ...) {
  char text[kMessageTextSize];
  va_list args;
  va_start(args, format);
  Compose(text, format, args);
  va_end(args);
  return AskComposed(owner, yesIsDefault, caption, text);
}

void SetStatusText(UINT messageId, ...) {
  // A text set while the bar is hidden is dropped, not kept for later: the
  // bar shows "Ready ..." when it comes back.
  HWND bar = App().statusBar;
  if (!bar || !IsWindowVisible(bar)) return;
  char format[kStringSize];
  if (!GetString(format, messageId)) return;
  char text[kStatusTextSize];
  va_list args;
  va_start(args, messageId);
  Compose(text, format, args);
  va_end(args);
  if (statusPaced) {
    std::memcpy(waitingStatus, text, sizeof text);
    statusWaiting = true;
    return;
  }
  statusWaiting = false;
  GiveStatusText(text);
  // Show it at once: the text may come from a long operation that does not
  // return to the message loop for a while.
  if (App().mainWindow) UpdateWindow(App().mainWindow);
}

void PaceStatusTexts(bool on, RepaintCatchUp catchUp) {
  // The last text of a paced stretch is shown when the pacing ends.
  if (!on) ShowWaitingStatusText();
  statusPaced = on;
  paceCatchUp = on ? catchUp : nullptr;
}

void ShowWaitingStatusText() {
  if (!statusWaiting) return;
  statusWaiting = false;
  GiveStatusText(waitingStatus);
}

void CloseBeforeBoxes(WindowCloser close) { closeBeforeBoxes = close; }

RepaintCatchUp CatchUpBeforeBoxes(RepaintCatchUp catchUp) {
  const RepaintCatchUp previous = boxCatchUp;
  boxCatchUp = catchUp;
  return previous;
}

int AlertBeep() {
  ++beepCount;
  MessageBeep(MB_ICONASTERISK);
  return 0;
}

int CentreDialog(HWND window) {
  RECT& desktop = App().desktopRect;
  if (IsRectEmpty(&desktop)) TakeDesktopRect();
  RECT rect;
  if (!GetWindowRect(window, &rect)) SetRectEmpty(&rect);
  const int x = (RectWidth(&desktop) - RectWidth(&rect)) / 2;
  const int y = (RectHeight(&desktop) - RectHeight(&rect)) / 2;
  SetWindowPos(window, HWND_NOTOPMOST, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
  return 1;
}

void* LockDialogTemplate() {
  void* block = LockBlock(kDialogTemplateSize);
  if (!block) ShowError(IDS_NO_MEMORY, "Dialog Template", static_cast<int>(kDialogTemplateSize));
  return block;
}

int AlertBeepCount() { return beepCount; }

void FailTemplateBlocksForTest(int count) { blocksToFail = count; }
