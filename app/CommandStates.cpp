// The refresh of the commands' states from one table: when each command is
// enabled, whether its tool-bar button follows, and which option checks it.
#include "app/CommandStates.h"

#include <commctrl.h>

#include <cstdio>

#include "app/ToolBar.h"
#include "context/AppContext.h"
#include "resource.h"

namespace {

// What the rules look at, taken once per refresh.
struct Situation {
  bool idle;
  int encryptEntries;
  int decodeEntries;
  bool encryptSelected;
  bool decodeSelected;
  bool helpFile;
};

enum class Rule {
  kAlways,
  kIdle,
  kIdleWithSelection,  // either list
  kIdleWithEncryptEntries,
  kIdleWithEncryptSelection,
  kIdleWithDecodeEntries,
  kIdleWithDecodeSelection,
  kHelpFile,
};

enum class Button {
  kNone,         // no button, or one that is never refreshed and stays enabled
  kFollowsMenu,  // enabled exactly when the menu item is
};

struct CommandRule {
  UINT id;
  Rule rule;
  Button button;
  LONG ProgramOptions::*check;  // the option that checks the item, or none
};

// In the order the refresh walks them.
const CommandRule kRules[] = {
    {IDM_PROPERTIES, Rule::kIdleWithSelection, Button::kFollowsMenu, nullptr},
    {IDM_ACCESS, Rule::kAlways, Button::kNone, nullptr},
    {IDM_OPTIONS, Rule::kIdle, Button::kFollowsMenu, nullptr},
    {IDM_EXIT, Rule::kAlways, Button::kNone, nullptr},
    {IDM_ENCRYPT, Rule::kIdleWithEncryptEntries, Button::kFollowsMenu, nullptr},
    {IDM_ENCRYPT_ADD, Rule::kIdle, Button::kFollowsMenu, nullptr},
    {IDM_ENCRYPT_REMOVE, Rule::kIdleWithEncryptSelection, Button::kFollowsMenu, nullptr},
    {IDM_ENCRYPT_CLEAR, Rule::kIdleWithEncryptEntries, Button::kNone, nullptr},
    {IDM_DECODE, Rule::kIdleWithDecodeEntries, Button::kFollowsMenu, nullptr},
    {IDM_DECODE_ADD, Rule::kIdle, Button::kFollowsMenu, nullptr},
    {IDM_DECODE_REMOVE, Rule::kIdleWithDecodeSelection, Button::kFollowsMenu, nullptr},
    {IDM_DECODE_CLEAR, Rule::kIdleWithDecodeEntries, Button::kNone, nullptr},
    {IDM_STATUS_BAR, Rule::kAlways, Button::kNone, &ProgramOptions::Status},
    {IDM_TOOL_BAR, Rule::kAlways, Button::kNone, &ProgramOptions::ToolBar},
    {IDM_FONT, Rule::kAlways, Button::kFollowsMenu, nullptr},
    {IDM_MINIMIZE_ON_USE, Rule::kAlways, Button::kNone, &ProgramOptions::Hide},
    {IDM_TOPMOST, Rule::kAlways, Button::kFollowsMenu, &ProgramOptions::TopMost},
    {IDM_HELP_CONTENTS, Rule::kHelpFile, Button::kNone, nullptr},
    {IDM_HELP_SEARCH, Rule::kHelpFile, Button::kNone, nullptr},
    {IDM_HELP_ON_HELP, Rule::kAlways, Button::kNone, nullptr},
    {IDM_SETUP, Rule::kIdle, Button::kNone, nullptr},
    {IDM_WEB_SITE, Rule::kAlways, Button::kNone, nullptr},
    {IDM_ABOUT, Rule::kAlways, Button::kNone, nullptr},
};

bool Enabled(Rule rule, const Situation& now) {
  switch (rule) {
    case Rule::kAlways: return true;
    case Rule::kIdle: return now.idle;
    case Rule::kIdleWithSelection: return now.idle && (now.encryptSelected || now.decodeSelected);
    case Rule::kIdleWithEncryptEntries: return now.idle && now.encryptEntries > 0;
    case Rule::kIdleWithEncryptSelection: return now.idle && now.encryptSelected;
    case Rule::kIdleWithDecodeEntries: return now.idle && now.decodeEntries > 0;
    case Rule::kIdleWithDecodeSelection: return now.idle && now.decodeSelected;
    case Rule::kHelpFile: return now.helpFile;
  }
  return false;
}

int EntryCount(HWND list) { return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0; }

// The tool bar and the list headers repaint for every state or title they
// are given, and the refresh runs after every notification of a list (each
// repaint of a list among them): only what changes is set.

// Shows the button of `id` and makes it react or greys it, drawn pressed
// when `pressed`.
void SetButton(UINT id, bool enabled, bool pressed) {
  const LRESULT wanted = (enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE) | (pressed ? TBSTATE_CHECKED : 0);
  if (!App().toolBar || SendMessageA(App().toolBar, TB_GETSTATE, id, 0) == wanted) return;
  EnableToolButton(id, enabled);
  if (pressed) CheckToolButton(id, 1);
}

// "Files for Encryption", with ": 3" while the list has entries.
void WriteCaption(HWND list, const char* title, int entries) {
  if (!list) return;
  char caption[kPathSize];
  if (entries != 0) {
    std::snprintf(caption, sizeof caption, "%s: %d", title, entries);
  } else {
    std::snprintf(caption, sizeof caption, "%s", title);
  }
  char shown[kPathSize] = "";
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT;
  column.pszText = shown;
  column.cchTextMax = sizeof shown;
  SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  if (lstrcmpA(shown, caption) != 0) SetListCaption(list, caption);
}

}  // namespace

int UpdateCommandStates(HWND mainWindow, const ProgramOptions* options) {
  HWND encryptList = MainWindowList(mainWindow, true);
  HWND decodeList = MainWindowList(mainWindow, false);
  Situation now = {};
  now.idle = options->Busy == kIdle;
  now.encryptEntries = EntryCount(encryptList);
  now.decodeEntries = EntryCount(decodeList);
  now.encryptSelected = options->EncryptSelection != -1;
  now.decodeSelected = options->DecodeSelection != -1;
  now.helpFile = App().paths.helpFile[0] != '\0';

  HMENU menu = GetMenu(mainWindow);
  for (const CommandRule& command : kRules) {
    const bool enabled = Enabled(command.rule, now);
    EnableMenuItem(menu, command.id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
    // The "Always On Top" button is also drawn pressed while it is on.
    const bool pressed = command.id == IDM_TOPMOST && options->TopMost;
    if (command.button == Button::kFollowsMenu) SetButton(command.id, enabled, pressed);
    if (command.check) {
      CheckMenuItem(menu, command.id, MF_BYCOMMAND | (options->*command.check ? MF_CHECKED : MF_UNCHECKED));
    }
  }
  WriteCaption(encryptList, "Files for Encryption", now.encryptEntries);
  WriteCaption(decodeList, "Files for Decoding", now.decodeEntries);
  return 1;
}

void SetListCaption(HWND list, const char* text) {
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT;
  column.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_SETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}
