// The help commands, the help topics, the web page and the list font.
#include "ui/Help.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>

#include "resource.h"
#include "settings/ProgramOptions.h"
#include "ui/Messages.h"
#include "ui/Splash.h"
#include "ui/TextRoutines.h"

namespace {

HelpCall helpCall = WinHelpA;
ShellOpen shellOpen = ShellExecuteA;

bool HelpFileExists() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(App().paths.helpFile, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// Contents and search need the file: without it the help program would ask
// a question of its own, in another process.
void OpenHelpFile(HWND window, UINT command, UINT helpCommand, ULONG_PTR data) {
  SetStatusText(command);
  if (!HelpFileExists()) {
    ShowError(IDS_FILE_NOT_FOUND, App().paths.helpFile);
    return;
  }
  helpCall(window, App().paths.helpFile, helpCommand, data);
}

}  // namespace

void UserHelp(HWND window, UINT command, const char* keyword) {
  switch (command) {
    case IDM_HELP_CONTENTS:
      OpenHelpFile(window, command, HELP_FINDER, 0);
      return;
    case IDM_HELP_SEARCH:
      OpenHelpFile(window, command, HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>(keyword ? keyword : ""));
      return;
    case IDM_HELP_ON_HELP:
      SetStatusText(command);
      helpCall(window, App().paths.helpFile, HELP_HELPONHELP, 0);
      return;
  }
  ShowErrorText("UserHelp(item): Invalid help item specified (item:%d)", static_cast<int>(command));
}

int ShowHelpTopic(HWND owner, DWORD contextId) {
  // Asked for a missing file, the help program would put up a question in
  // its own process while this one waits for it.
  if (!HelpFileExists()) {
    return ShowMessage(owner, IDS_PROGRAM_NAME, IDS_HELP_TOPIC_NOT_FOUND, static_cast<unsigned>(contextId),
                       ERROR_FILE_NOT_FOUND);
  }
  if (!helpCall(App().mainWindow, App().paths.helpFile, HELP_CONTEXT, contextId)) {
    return ShowMessage(owner, IDS_PROGRAM_NAME, IDS_HELP_TOPIC_NOT_FOUND, static_cast<unsigned>(contextId),
                       static_cast<int>(GetLastError()));
  }
  return 1;
}

void WebSiteAddress(char (&address)[kPathSize]) {
  const char* module = App().paths.module;
  const char* slash = FindLastChar(module, '\\');
  const int folder = slash ? static_cast<int>(slash - module + 1) : 0;
  std::snprintf(address, sizeof address, "%.*s%s", folder, module, kWebPageName);
}

int OpenWebSite(HWND window) {
  SetStatusText(IDM_WEB_SITE);
  char address[kPathSize];
  WebSiteAddress(address);
  // The default verb: the shell opens the page with the user's browser.
  HINSTANCE result = shellOpen(window, nullptr, address, nullptr, nullptr, SW_SHOW);
  if (reinterpret_cast<INT_PTR>(result) <= 32) return AlertBeep();
  return 1;
}

HFONT ChooseFontDialog(HWND owner, LOGFONTA* font, COLORREF* colour) {
  CloseSplash();
  SetStatusText(IDM_FONT);
  // The dialog works on a copy, so that a cancelled dialog changes nothing.
  LOGFONTA chosen{};
  if (font) chosen = *font;
  CHOOSEFONTA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpLogFont = &chosen;
  dialog.Flags = CF_SCREENFONTS | (font ? CF_INITTOLOGFONTSTRUCT : 0) | (colour ? CF_EFFECTS : 0);
  dialog.rgbColors = colour ? *colour : DisplayFont().Colour;
  dialog.nFontType = SCREEN_FONTTYPE;
  if (!ChooseFontA(&dialog)) return nullptr;

  DisplayFont().Colour = dialog.rgbColors;
  if (colour) *colour = dialog.rgbColors;
  if (font) *font = chosen;
  HFONT created = CreateFontIndirectA(&chosen);
  if (!created) {
    ShowError(IDS_FONT_CREATE_FAILED, chosen.lfFaceName, static_cast<int>(chosen.lfHeight),
              static_cast<int>(GetLastError()));
  }
  return created;
}

int ChooseListFont(HWND mainWindow, int listId) {
  HWND target = listId ? GetDlgItem(mainWindow, listId) : mainWindow;
  SetStatusText(IDM_FONT);
  HFONT font = ChooseFontDialog(mainWindow, &DisplayFont().Font, nullptr);
  if (!font) return 0;
  if (App().listFont) DeleteObject(App().listFont);
  App().listFont = font;
  SendMessageA(target, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  InvalidateRect(mainWindow, nullptr, TRUE);
  return 1;
}

void RouteHelpCallsForTest(HelpCall call) { helpCall = call ? call : WinHelpA; }

void RouteShellOpenForTest(ShellOpen open) { shellOpen = open ? open : ShellExecuteA; }
