// The main window's commands through its window procedure: the hint of
// every menu item and the tip of every tool-bar button by command id, the
// view switches, the list commands with their dialogs, help, web page,
// about box and font, commands the table does not know, and the ways out
// (Ctrl+Q and a log-off) with files still listed.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/FileArrivals.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "app/Startup.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/TempFolder.h"
#include "ui/Help.h"
#include "ui/Splash.h"

namespace {

// Every command with its hint and, for tool-bar buttons, its tip.
struct CommandTexts {
  UINT id;
  const char* hint;
  const char* tip;
};
const CommandTexts kCommandTexts[] = {
    {103, "Show the selected file's properties", "Properties"},
    {130, "Change Orvane's program access password", nullptr},
    {133, "Configure the application", "Options"},
    {134, "Integrate Orvane with MS Windows Explorer", nullptr},
    {146, "Encrypt all listed files", "Encrypt"},
    {147, "Decode all listed files", "Decode"},
    {199, "Exit the application", nullptr},
    {250, "Add selected files to the encryption list", "Add"},
    {251, "Remove files from the encryption list", "Remove"},
    {252, "Clear the entire encryption list", nullptr},
    {253, "Add selected files to the decoding list", "Add"},
    {254, "Remove files from the decoding list", "Remove"},
    {255, "Clear the entire decoding list", nullptr},
    {301, "Turn status region on and off", nullptr},
    {302, "Turn tool bar ribbon on and off", nullptr},
    {398, "Minimize window when encrypting and decoding files", nullptr},
    {399, "Make the application window topmost", "Topmost"},
    {430, "Select the font for display lists", "Font"},
    {901, "Open the application help window", "Help"},
    {902, "Search for a specific help topic", nullptr},
    {903, "Display instructions for using help", nullptr},
    {997, "Visit the Norvik Studio web site", nullptr},
    {999, "Display program information, version number and copyright notice", "About"},
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const CommandTexts* TextsOf(UINT id) {
  for (const CommandTexts& texts : kCommandTexts) {
    if (texts.id == id) return &texts;
  }
  return nullptr;
}

class CommandsTest : public MainWindowFixture {
 protected:
  void Highlight(UINT item, UINT flags) {
    SendMessageA(window_, WM_MENUSELECT, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(GetMenu(window_)));
  }

  // The tip the window hands the tool bar's tool tip for button `id`.
  std::string Tip(UINT id) {
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(App().toolBar, TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = id;
    info.hdr.code = TTN_NEEDTEXTA;
    lstrcpyA(info.szText, "untouched");
    info.lpszText = info.szText;
    SendMessageA(window_, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : "(null)";
  }
};

TEST_F(CommandsTest, EveryMenuItemShowsItsHintAndEveryButtonItsTip) {
  HMENU menu = GetMenu(window_);
  int items = 0;
  for (int popup = 0; popup < GetMenuItemCount(menu); ++popup) {
    Highlight(popup, MF_POPUP | MF_HILITE);
    EXPECT_EQ(StatusText(), "Ready ...") << "popup " << popup;
    HMENU entries = GetSubMenu(menu, popup);
    for (int position = 0; position < GetMenuItemCount(entries); ++position) {
      const UINT id = GetMenuItemID(entries, position);
      if (id == 0) continue;  // separator
      ++items;
      const CommandTexts* texts = TextsOf(id);
      ASSERT_NE(texts, nullptr) << "menu item " << id;
      Highlight(id, MF_HILITE);
      EXPECT_EQ(StatusText(), texts->hint) << id;
    }
  }
  EXPECT_EQ(items, 23);
  // Leaving the menu, and the system menu's commands, show "Ready ...".
  Highlight(103, MF_HILITE);
  Highlight(0, 0xFFFF);
  EXPECT_EQ(StatusText(), "Ready ...");
  Highlight(103, MF_HILITE);
  Highlight(SC_CLOSE, MF_SYSMENU | MF_HILITE);
  EXPECT_EQ(StatusText(), "Ready ...");
  // An entry flagged as a popup or of the system menu changes nothing.
  Highlight(146, MF_POPUP | MF_HILITE);
  EXPECT_EQ(StatusText(), "Ready ...");
  Highlight(146, MF_SYSMENU | MF_HILITE);
  EXPECT_EQ(StatusText(), "Ready ...");

  for (int i = 0; i < SendMessageA(App().toolBar, TB_BUTTONCOUNT, 0, 0); ++i) {
    TBBUTTON button = {};
    SendMessageA(App().toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.fsStyle & TBSTYLE_SEP) continue;
    const CommandTexts* texts = TextsOf(button.idCommand);
    ASSERT_NE(texts, nullptr) << button.idCommand;
    ASSERT_NE(texts->tip, nullptr) << button.idCommand;
    EXPECT_EQ(Tip(button.idCommand), texts->tip);
  }
  options_.Tips = 0;
  EXPECT_EQ(Tip(IDM_ENCRYPT), "");
}

TEST_F(CommandsTest, HiddenStatusBarShowsNoHintsAndReadyWhenBack) {
  Command(IDM_STATUS_BAR);
  PumpMessages(20);
  EXPECT_EQ(options_.Status, 0);
  EXPECT_FALSE(IsWindowVisible(App().statusBar));
  EXPECT_FALSE(MenuChecked(IDM_STATUS_BAR));
  Highlight(IDM_PROPERTIES, MF_HILITE);
  EXPECT_EQ(StatusText(), "Ready ...");
  Command(IDM_STATUS_BAR);
  PumpMessages(20);
  EXPECT_EQ(options_.Status, 1);
  EXPECT_TRUE(IsWindowVisible(App().statusBar));
  EXPECT_TRUE(MenuChecked(IDM_STATUS_BAR));
  EXPECT_EQ(StatusText(), "Ready ...");
}

// Each switch inverts its option and its check mark; nothing is written
// until the program ends.
TEST_F(CommandsTest, ViewSwitchesInvertTheirOptions) {
  struct Switch {
    UINT id;
    LONG ProgramOptions::*field;
  };
  const Switch switches[] = {{IDM_TOOL_BAR, &ProgramOptions::ToolBar},
                             {IDM_MINIMIZE_ON_USE, &ProgramOptions::Hide},
                             {IDM_TOPMOST, &ProgramOptions::TopMost}};
  for (const Switch& s : switches) {
    const LONG before = options_.*s.field;
    Command(s.id);
    PumpMessages(20);
    EXPECT_EQ(options_.*s.field, !before) << s.id;
    EXPECT_EQ(MenuChecked(s.id), !before) << s.id;
    EXPECT_EQ(Raw("Options", s.id == IDM_TOPMOST ? "TopMost" : s.id == IDM_TOOL_BAR ? "ToolBar" : "Hide").number,
              static_cast<DWORD>(before))
        << s.id;
  }
  EXPECT_FALSE(IsWindowVisible(App().toolBar));
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(SendMessageA(App().toolBar, TB_ISBUTTONCHECKED, IDM_TOPMOST, 0));
  Command(IDM_TOPMOST);
  EXPECT_FALSE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(SendMessageA(App().toolBar, TB_ISBUTTONCHECKED, IDM_TOPMOST, 0));
}

// A command the table does not know goes to the default handling, and the
// command states are refreshed all the same.
TEST_F(CommandsTest, UnknownCommandStillRefreshesTheCommandStates) {
  ASSERT_TRUE(MenuEnabled(IDM_ENCRYPT_ADD));
  options_.Busy = kEncrypting;
  EXPECT_EQ(Command(4321), 0);
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT_ADD));
  EXPECT_FALSE(ButtonEnabled(IDM_ENCRYPT_ADD));
  options_.Busy = kIdle;
  Command(4321);
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT_ADD));
}

TEST_F(CommandsTest, ListCommandsAskAndActThroughTheirDialogs) {
  TempFolder folder("commands-lists");
  const std::string chosen = folder.MakeFile("chosen.txt", "plain text");
  const std::string other = folder.MakeFile("other.txt", "more plain text");

  DialogScript add;
  add.Expect("Select Files for Encryption", [&](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(chosen.c_str()));
    PressButton(dialog, IDOK);
  });
  add.Run([&] { return Command(IDM_ENCRYPT_ADD); });
  ASSERT_TRUE(add.Passed()) << add.Report();
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{chosen});
  EXPECT_EQ(StatusText(), "1 file added to the encrpytion list ...");
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT));

  DialogScript cancelled;
  cancelled.Expect("Select Files for Decoding", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  cancelled.Run([&] { return Command(IDM_DECODE_ADD); });
  ASSERT_TRUE(cancelled.Passed()) << cancelled.Report();
  EXPECT_TRUE(Listed(IDC_DECODE_LIST).empty());
  EXPECT_EQ(StatusText(), "Add selected files to the decoding list");

  // The properties of the selected entry, with the focus on its list.
  AddListedFile(List(IDC_ENCRYPT_LIST), other.c_str());
  LVITEMA selected = {};
  selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(IDC_ENCRYPT_LIST), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
  ASSERT_EQ(options_.EncryptSelection, 1);
  SetFocus(List(IDC_ENCRYPT_LIST));
  DialogScript properties;
  properties.Expect(" File Properties", [](HWND dialog) { PressButton(dialog, IDOK); });
  properties.Run([&] { return Command(IDM_PROPERTIES); });
  EXPECT_TRUE(properties.Passed()) << properties.Report();

  DialogScript remove;
  remove.Expect("Remove File", [&](HWND box) {
    EXPECT_EQ(ItemText(box, IDC_BOX_TEXT),
              "File: " + other + "\r\rAre you sure you want to delete this\rfile from the encryption list?");
    PressButton(box, IDYES);
  });
  remove.Run([&] { return Command(IDM_ENCRYPT_REMOVE); });
  ASSERT_TRUE(remove.Passed()) << remove.Report();
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{chosen});
  EXPECT_TRUE(Exists(other));

  DialogScript clear;
  clear.Expect("Clear Encryption List", [](HWND box) { PressButton(box, IDYES); });
  clear.Run([&] { return Command(IDM_ENCRYPT_CLEAR); });
  ASSERT_TRUE(clear.Passed()) << clear.Report();
  EXPECT_TRUE(Listed(IDC_ENCRYPT_LIST).empty());
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT));
}

struct HelpCallRecord {
  UINT command;
  std::string file;
};
std::vector<HelpCallRecord> helpCalls;
BOOL WINAPI RecordHelp(HWND, LPCSTR file, UINT command, ULONG_PTR) {
  helpCalls.push_back({command, file ? file : ""});
  return TRUE;
}
std::vector<std::string> shellOpened;
HINSTANCE WINAPI RecordShell(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  shellOpened.push_back(file ? file : "");
  return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(CommandsTest, HelpWebPageAboutBoxAndFont) {
  TempFolder folder("commands-help");
  const std::string helpFile = folder.MakeFile("orvane.hlp", "help");
  char savedHelp[kPathSize];
  lstrcpyA(savedHelp, App().paths.helpFile);
  lstrcpyA(App().paths.helpFile, helpFile.c_str());
  RouteHelpCallsForTest(RecordHelp);
  RouteShellOpenForTest(RecordShell);
  helpCalls.clear();
  shellOpened.clear();

  Command(IDM_HELP_CONTENTS);
  Command(IDM_HELP_SEARCH);
  Command(IDM_HELP_ON_HELP);
  Command(IDM_WEB_SITE);
  RouteHelpCallsForTest(nullptr);
  RouteShellOpenForTest(nullptr);
  lstrcpyA(App().paths.helpFile, savedHelp);
  ASSERT_EQ(helpCalls.size(), 3u);
  EXPECT_EQ(helpCalls[0].command, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(helpCalls[1].command, static_cast<UINT>(HELP_PARTIALKEY));
  EXPECT_EQ(helpCalls[2].command, static_cast<UINT>(HELP_HELPONHELP));
  EXPECT_EQ(helpCalls[0].file, helpFile);
  ASSERT_EQ(shellOpened.size(), 1u);
  EXPECT_NE(shellOpened[0].find("orvane.htm"), std::string::npos);

  static const int splashClass = RegisterSplashClass();
  ASSERT_EQ(splashClass, 1);
  Command(IDM_ABOUT);
  HWND splash = FindWindowA(MAKEINTATOM(500), "Splash");
  EXPECT_TRUE(splash && IsWindowVisible(splash));
  EXPECT_EQ(StatusText(), "Display program information, version number and copyright notice");
  CloseSplash();

  // A chosen font goes to both lists and is stored at once.
  std::string chosenFace;
  DialogScript font;
  font.Expect("Font", [&](HWND dialog) {
    HWND faces = GetDlgItem(dialog, cmb1);
    const int count = static_cast<int>(SendMessageA(faces, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && chosenFace.empty(); ++i) {
      char face[LF_FACESIZE * 2] = "";
      SendMessageA(faces, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
      if (lstrcmpiA(face, "MS Sans Serif") != 0 && face[0] != '@') {
        chosenFace = face;
        SendMessageA(faces, CB_SETCURSEL, i, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
      }
    }
    PressButton(dialog, IDOK);
  });
  font.Run([&] { return Command(IDM_FONT); });
  ASSERT_TRUE(font.Passed()) << font.Report();
  ASSERT_FALSE(chosenFace.empty());
  for (int id : {IDC_ENCRYPT_LIST, IDC_DECODE_LIST}) {
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(List(id), WM_GETFONT, 0, 0)), App().listFont) << id;
  }
  EXPECT_EQ(Raw("Font\\Display", "FaceName").text, chosenFace);
}

// Ctrl+Q and a log-off with a file listed ask 2050; No keeps the program
// with its list; with nothing listed a log-off closes at once.
TEST_F(CommandsTest, CtrlQAndLogOffWithFilesListedAskFirst) {
  options_.Confirm = 0;
  ASSERT_EQ(LoadMainAccelerators(), 1);
  AddListedFile(List(IDC_ENCRYPT_LIST), "C:\\letter.txt");
  const auto question = [](HWND box) {
    EXPECT_EQ(ItemText(box, IDC_BOX_TEXT),
              "\rThere are files selected for conversion\r\rAre you sure you want to quit?");
    PressButton(box, IDNO);
  };

  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE withControl[256];
  std::copy(keys, keys + 256, withControl);
  withControl[VK_CONTROL] = 0x80;
  SetKeyboardState(withControl);
  MSG ctrlQ = {window_, WM_KEYDOWN, 'Q', 1, GetTickCount(), {}};
  DialogScript exit;
  exit.Expect("Orvane", question);
  const int translated = exit.Run([&] { return TranslateAcceleratorA(window_, App().accelerators, &ctrlQ); });
  SetKeyboardState(keys);
  EXPECT_TRUE(exit.Passed()) << exit.Report();
  EXPECT_NE(translated, 0);
  ASSERT_TRUE(IsWindow(window_));
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{"C:\\letter.txt"});

  DialogScript logOff;
  logOff.Expect("Orvane", question);
  EXPECT_EQ(logOff.Run([&] { return SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); }), 0);
  EXPECT_TRUE(logOff.Passed()) << logOff.Report();
  ASSERT_TRUE(IsWindow(window_));

  SendMessageA(List(IDC_ENCRYPT_LIST), LVM_DELETEALLITEMS, 0, 0);
  DialogScript none;
  EXPECT_EQ(none.Run([&] { return SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); }), 1);
  EXPECT_TRUE(none.Passed()) << none.Report();
  EXPECT_FALSE(IsWindow(window_));
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
