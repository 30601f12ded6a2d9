// The command table and each command's action; the menu hints and the tool
// tips.
#include "app/Commands.h"

#include "app/FileArrivals.h"
#include "app/ListCommands.h"
#include "app/MainWindow.h"
#include "app/RunConversion.h"
#include "ui/WindowPlacement.h"
#include "resource.h"
#include "ui/AccessPassword.h"
#include "ui/Help.h"
#include "ui/Messages.h"
#include "ui/OptionsSheet.h"
#include "ui/Splash.h"

namespace {

constexpr UINT kTipOffset = 1000;  // a command's tip is the string id + 1000
constexpr UINT kFirstHint = 101;
constexpr UINT kLastHint = 999;

HWND ListOf(HWND mainWindow, bool encryptList) {
  return GetDlgItem(mainWindow, encryptList ? IDC_ENCRYPT_LIST : IDC_DECODE_LIST);
}

const char* Plural(int count) { return count == 1 ? "" : "s"; }

// ---- Files and lists --------------------------------------------------------

void Properties(HWND mainWindow, ProgramOptions* options) { ShowSelectedProperties(mainWindow, options); }

void Encrypt(HWND mainWindow, ProgramOptions* options) { RunConversion(mainWindow, kRunEncrypt, options); }

void Decode(HWND mainWindow, ProgramOptions* options) { RunConversion(mainWindow, kRunDecode, options); }

// Goes the way of the close box, through the exit confirmation.
void Exit(HWND mainWindow, ProgramOptions*) {
  CloseSplash();
  SendMessageA(mainWindow, WM_CLOSE, 0, 0);
}

// ---- Access password and options --------------------------------------------

// A new password is written at once, so that it holds even if the run ends
// abnormally.
void ChangePassword(HWND mainWindow, ProgramOptions* options) {
  if (ChangeAccessPassword(mainWindow, &options->Code)) {
    SaveOptions(options);
    SetStatusText(IDS_OPTIONS_SAVED);
  }
}

void OpenOptions(HWND mainWindow, ProgramOptions* options) { OpenOptionsSheet(mainWindow, options, kGeneralPage); }

void OpenSetup(HWND mainWindow, ProgramOptions* options) { OpenOptionsSheet(mainWindow, options, kExplorerPage); }

void AddFiles(HWND mainWindow, ProgramOptions* options, bool encryptList) {
  SetStatusText(encryptList ? IDM_ENCRYPT_ADD : IDM_DECODE_ADD);
  const int added = encryptList ? AddFilesFromDialog(mainWindow, options, ListOf(mainWindow, true),
                                                     IDS_ENCRYPT_FILES_FILTER, IDS_ENCRYPT_FILES_TITLE)
                                : AddFilesFromDialog(mainWindow, options, ListOf(mainWindow, false),
                                                     IDS_DECODE_FILES_FILTER, IDS_DECODE_FILES_TITLE);
  if (added > 0) {
    SetStatusText(encryptList ? IDS_ADDED_TO_ENCRYPT_LIST : IDS_ADDED_TO_DECODE_LIST, added, Plural(added));
  }
}

void RemoveFile(HWND mainWindow, ProgramOptions* options, bool encryptList) {
  SetStatusText(encryptList ? IDM_ENCRYPT_REMOVE : IDM_DECODE_REMOVE);
  RemoveSelectedFile(mainWindow, options, encryptList);
}

void ClearList(HWND mainWindow, ProgramOptions* options, bool encryptList) {
  SetStatusText(encryptList ? IDM_ENCRYPT_CLEAR : IDM_DECODE_CLEAR);
  ClearFileList(mainWindow, options, encryptList);
}

void AddToEncryptList(HWND mainWindow, ProgramOptions* options) { AddFiles(mainWindow, options, true); }
void RemoveFromEncryptList(HWND mainWindow, ProgramOptions* options) { RemoveFile(mainWindow, options, true); }
void ClearEncryptList(HWND mainWindow, ProgramOptions* options) { ClearList(mainWindow, options, true); }
void AddToDecodeList(HWND mainWindow, ProgramOptions* options) { AddFiles(mainWindow, options, false); }
void RemoveFromDecodeList(HWND mainWindow, ProgramOptions* options) { RemoveFile(mainWindow, options, false); }
void ClearDecodeList(HWND mainWindow, ProgramOptions* options) { ClearList(mainWindow, options, false); }

// ---- View -------------------------------------------------------------------
// The switches change the record only; it is written with all other options
// when the program ends.

void ToggleStatusBar(HWND mainWindow, ProgramOptions* options) {
  options->Status = !options->Status;
  ShowStatusBar(mainWindow, options->Status);
}

void ToggleToolBar(HWND mainWindow, ProgramOptions* options) {
  options->ToolBar = !options->ToolBar;
  ShowToolBar(mainWindow, options->ToolBar);
}

void ToggleMinimizeOnUse(HWND, ProgramOptions* options) { options->Hide = !options->Hide; }

void ToggleTopmost(HWND mainWindow, ProgramOptions* options) {
  options->TopMost = !options->TopMost;
  SetTopmost(mainWindow, options->TopMost);
}

// Both lists share the one list font; a chosen font is stored at once, so
// that it survives a run that ends abnormally.
void ChooseFont(HWND mainWindow, ProgramOptions* options) {
  SetStatusText(IDM_FONT);
  if (!ChooseListFont(mainWindow, IDC_ENCRYPT_LIST)) return;
  SendMessageA(ListOf(mainWindow, false), WM_SETFONT, reinterpret_cast<WPARAM>(App().listFont), TRUE);
  SaveOptions(options);
  SetStatusText(IDS_OPTIONS_SAVED);
}

// ---- Help -------------------------------------------------------------------

void HelpContents(HWND mainWindow, ProgramOptions*) { UserHelp(mainWindow, IDM_HELP_CONTENTS, nullptr); }
void HelpSearch(HWND mainWindow, ProgramOptions*) { UserHelp(mainWindow, IDM_HELP_SEARCH, nullptr); }
void HelpOnHelp(HWND mainWindow, ProgramOptions*) { UserHelp(mainWindow, IDM_HELP_ON_HELP, nullptr); }
void WebSite(HWND mainWindow, ProgramOptions*) { OpenWebSite(mainWindow); }
void About(HWND, ProgramOptions*) { ShowSplash(); }

// Every command of the menu, the accelerators and the tool bar.
constexpr Command kCommands[] = {
    {IDM_PROPERTIES, Properties},
    {IDM_ACCESS, ChangePassword},
    {IDM_OPTIONS, OpenOptions},
    {IDM_SETUP, OpenSetup},
    {IDM_ENCRYPT, Encrypt},
    {IDM_DECODE, Decode},
    {IDM_EXIT, Exit},
    {IDM_ENCRYPT_ADD, AddToEncryptList},
    {IDM_ENCRYPT_REMOVE, RemoveFromEncryptList},
    {IDM_ENCRYPT_CLEAR, ClearEncryptList},
    {IDM_DECODE_ADD, AddToDecodeList},
    {IDM_DECODE_REMOVE, RemoveFromDecodeList},
    {IDM_DECODE_CLEAR, ClearDecodeList},
    {IDM_STATUS_BAR, ToggleStatusBar},
    {IDM_TOOL_BAR, ToggleToolBar},
    {IDM_MINIMIZE_ON_USE, ToggleMinimizeOnUse},
    {IDM_TOPMOST, ToggleTopmost},
    {IDM_FONT, ChooseFont},
    {IDM_HELP_CONTENTS, HelpContents},
    {IDM_HELP_SEARCH, HelpSearch},
    {IDM_HELP_ON_HELP, HelpOnHelp},
    {IDM_WEB_SITE, WebSite},
    {IDM_ABOUT, About},
};

}  // namespace

CommandAction FindCommand(UINT id) {
  for (const Command& command : kCommands) {
    if (command.id == id) return command.action;
  }
  return nullptr;
}

bool RunCommand(HWND mainWindow, UINT id, ProgramOptions* options) {
  CommandAction action = FindCommand(id);
  if (!action) return false;
  action(mainWindow, options);
  return true;
}

void ShowMenuHint(WPARAM menuSelect) {
  const UINT item = LOWORD(menuSelect);
  const UINT flags = HIWORD(menuSelect);
  if (item < kFirstHint || item > kLastHint) {
    SetStatusText(IDS_READY);
  } else if (!(flags & (MF_POPUP | MF_SYSMENU))) {
    SetStatusText(item);
  }
}

void SupplyToolTip(NMHDR* notification, LONG tips) {
  if (notification->code != TTN_NEEDTEXTA) return;
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(notification);
  // The tip's own buffer holds 80 characters; a tip may have 255. The text
  // must outlive this call: the tool tip reads it afterwards.
  static char text[kStringSize];
  text[0] = '\0';
  if (tips) GetString(text, static_cast<UINT>(notification->idFrom) + kTipOffset);
  info->hinst = nullptr;
  info->lpszText = text;
}
