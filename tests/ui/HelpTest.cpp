// Help, the web page and the list font under Wine: the help commands with and
// without the help file (the help program itself is replaced by a recorder,
// except for one run against the real help file that cannot block), the help
// topics, the web page through the shell, and the font dialog cancelled and
// confirmed.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"
#include "ui/Help.h"
#include "ui/Messages.h"

namespace {

struct HelpRequest {
  HWND window;
  std::string file;
  UINT command;
  ULONG_PTR data;
  std::string keyword;  // HELP_PARTIALKEY's text
};

std::vector<HelpRequest> helpRequests;
BOOL helpAnswer = TRUE;
DWORD helpError = 0;

BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
  helpRequests.push_back({window, file ? file : "(null)", command, data,
                          command == HELP_PARTIALKEY ? reinterpret_cast<const char*>(data) : ""});
  SetLastError(helpError);
  return helpAnswer;
}

struct ShellRequest {
  std::string verb;
  std::string file;
  int show;
};

std::vector<ShellRequest> shellRequests;
INT_PTR shellAnswer = 42;

HINSTANCE WINAPI RecordShell(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
  EXPECT_EQ(parameters, nullptr);
  EXPECT_EQ(folder, nullptr);
  shellRequests.push_back({verb ? verb : "(default)", file ? file : "", show});
  return reinterpret_cast<HINSTANCE>(shellAnswer);
}

// Runs `body`; every box it opens is read into `boxes` (caption, then text)
// and closed with OK.
template <class Body>
auto RunReadingBoxes(int expected, std::vector<std::string>* boxes, Body body) -> decltype(body()) {
  DialogScript script;
  for (int i = 0; i < expected; ++i) {
    script.Expect(nullptr, [boxes](HWND box) {
      boxes->push_back(WindowText(box));
      boxes->push_back(ItemText(box, IDC_BOX_TEXT));
      PressButton(box, IDOK);
    });
  }
  auto result = script.Run(body);
  EXPECT_TRUE(script.Passed()) << script.Report();
  return result;
}

class Help : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = App().paths;
    savedSounds_ = SoundsFlag;
    SoundsFlag = 0;
    helpRequests.clear();
    shellRequests.clear();
    helpAnswer = TRUE;
    helpError = 0;
    RouteHelpCallsForTest(RecordHelp);
    RouteShellOpenForTest(RecordShell);
    // An existing file stands for the help file: only its presence counts.
    helpPath_ = folder_.Path("orvane.hlp");
    HANDLE file = CreateFileA(helpPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
  }
  void TearDown() override {
    RouteHelpCallsForTest(nullptr);
    RouteShellOpenForTest(nullptr);
    App().paths = saved_;
    SoundsFlag = savedSounds_;
  }
  void HelpFilePresent(bool present) {
    lstrcpyA(App().paths.helpFile, present ? helpPath_.c_str() : "");
  }

  TempFolder folder_{"help"};
  std::string helpPath_;

 private:
  AppPaths saved_{};
  int savedSounds_ = 0;
};

TEST_F(Help, CommandsOpenTheHelpFileOrReportItMissing) {
  struct Case {
    const char* name;
    bool present;
    UINT command;
    const char* keyword;
    UINT helpCommand;         // 0: the help program is not asked
    const char* keywordSent;  // for HELP_PARTIALKEY
    const char* error;        // the error box's text, or nullptr for none
  };
  const Case cases[] = {
      {"contents", true, IDM_HELP_CONTENTS, nullptr, HELP_FINDER, "", nullptr},
      {"search", true, IDM_HELP_SEARCH, "keys", HELP_PARTIALKEY, "keys", nullptr},
      {"search without a keyword", true, IDM_HELP_SEARCH, nullptr, HELP_PARTIALKEY, "", nullptr},
      {"help on help", true, IDM_HELP_ON_HELP, nullptr, HELP_HELPONHELP, "", nullptr},
      {"contents, no file", false, IDM_HELP_CONTENTS, nullptr, 0, "", "File: \r\rFile not found."},
      {"search, no file", false, IDM_HELP_SEARCH, "keys", 0, "", "File: \r\rFile not found."},
      // Help on help needs the help program's own file, not ours.
      {"help on help, no file", false, IDM_HELP_ON_HELP, nullptr, HELP_HELPONHELP, "", nullptr},
      {"no help command", true, IDM_WEB_SITE, nullptr, 0, "",
       "UserHelp(item)\r\rInvalid help item specified (item:997)"},
  };
  HWND window = reinterpret_cast<HWND>(0x1234);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HelpFilePresent(c.present);
    helpRequests.clear();
    std::vector<std::string> boxes;
    RunReadingBoxes(c.error ? 1 : 0, &boxes, [&] {
      UserHelp(window, c.command, c.keyword);
      return 0;
    });
    if (c.error) {
      ASSERT_EQ(boxes.size(), 2u);
      EXPECT_EQ(boxes[0], "Error");
      EXPECT_EQ(boxes[1], c.error);
    }
    if (!c.helpCommand) {
      EXPECT_TRUE(helpRequests.empty());
      continue;
    }
    ASSERT_EQ(helpRequests.size(), 1u);
    EXPECT_EQ(helpRequests[0].window, window);
    EXPECT_EQ(helpRequests[0].file, App().paths.helpFile);
    EXPECT_EQ(helpRequests[0].command, c.helpCommand);
    EXPECT_EQ(helpRequests[0].keyword, c.keywordSent);
  }
}

TEST_F(Help, TopicsOpenByContextOrSayWhyNot) {
  App().mainWindow = nullptr;
  HelpFilePresent(true);
  EXPECT_EQ(ShowHelpTopic(nullptr, IDH_OPTIONS_EXPLORER), 1);
  ASSERT_EQ(helpRequests.size(), 1u);
  EXPECT_EQ(helpRequests[0].command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(helpRequests[0].data, static_cast<ULONG_PTR>(IDH_OPTIONS_EXPLORER));
  EXPECT_EQ(helpRequests[0].file, helpPath_);

  struct Case {
    const char* name;
    bool present;
    DWORD error;
    const char* text;
    size_t requests;
  };
  const Case cases[] = {
      {"the help program fails", true, ERROR_ACCESS_DENIED,
       "Help Topic ID: 800\r\rTopic not found in help file.\rCode: 5", 1},
      {"no help file", false, 0, "Help Topic ID: 800\r\rTopic not found in help file.\rCode: 2", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HelpFilePresent(c.present);
    helpRequests.clear();
    helpAnswer = FALSE;
    helpError = c.error;
    std::vector<std::string> boxes;
    EXPECT_EQ(RunReadingBoxes(1, &boxes, [] { return ShowHelpTopic(nullptr, IDH_OPTIONS_VERSION); }), 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Orvane");
    EXPECT_EQ(boxes[1], c.text);
    EXPECT_EQ(helpRequests.size(), c.requests);
  }
}

TEST_F(Help, TheWebPageOpensThroughTheShellOrOnlyBeeps) {
  lstrcpyA(App().paths.module, "c:\\program files\\orvane\\orvane.exe");
  char address[kPathSize];
  WebSiteAddress(address);
  EXPECT_STREQ(address, "c:\\program files\\orvane\\orvane.htm");

  EXPECT_EQ(RunReadingBoxes(0, nullptr, [] { return OpenWebSite(nullptr); }), 1);
  ASSERT_EQ(shellRequests.size(), 1u);
  EXPECT_EQ(shellRequests[0].verb, "(default)");
  EXPECT_EQ(shellRequests[0].file, address);
  EXPECT_EQ(shellRequests[0].show, SW_SHOW);

  // No browser, no page: the alert sound and nothing else.
  for (INT_PTR failure : {0, 2, 31, 32}) {
    shellAnswer = failure;
    const int beeps = AlertBeepCount();
    EXPECT_EQ(RunReadingBoxes(0, nullptr, [] { return OpenWebSite(nullptr); }), 0) << failure;
    EXPECT_EQ(AlertBeepCount(), beeps + 1);
  }
  shellAnswer = 33;
  EXPECT_EQ(OpenWebSite(nullptr), 1);
  shellAnswer = 42;
}

DWORD WINAPI OpenGeneralTopic(LPVOID result) {
  *static_cast<int*>(result) = ShowHelpTopic(nullptr, IDH_OPTIONS_GENERAL);
  return 0;
}

// The real help program with the real help file: a topic that exists opens
// without a question, so the call cannot block. It runs on a thread of its
// own all the same, so that a hang fails the test instead of stopping it.
TEST_F(Help, TheBuiltHelpFileOpensItsTopicInTheHelpProgram) {
  RouteHelpCallsForTest(nullptr);
  char built[kPathSize];
  lstrcpyA(built, "Z:" ORVANE_TEST_PROGRAM_DIR "/" ORVANE_HELP_FILE);
  ASSERT_NE(GetFileAttributesA(built), INVALID_FILE_ATTRIBUTES) << built;
  lstrcpyA(App().paths.helpFile, built);
  App().mainWindow = nullptr;

  int result = -1;
  HANDLE thread = CreateThread(nullptr, 0, OpenGeneralTopic, &result, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0) << "the help program did not answer";
  CloseHandle(thread);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(FindWindowA("MS_WINHELP", nullptr));
  WinHelpA(nullptr, built, HELP_QUIT, 0);
}

// ------------------------------------------------------------------ fonts

// The text the help program shows in its window: its topic text sits in a
// rich-edit control, which answers WM_GETTEXT across processes.
BOOL CALLBACK CollectShownText(HWND window, LPARAM text) {
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::strncmp(className, "RichEdit", 8) == 0 || std::strcmp(className, "RICHEDIT") == 0) {
    char part[4096] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof part, reinterpret_cast<LPARAM>(part), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    *reinterpret_cast<std::string*>(text) += part;
    *reinterpret_cast<std::string*>(text) += "\n";
  }
  return TRUE;
}

std::string ShownHelpText() {
  std::string text;
  HWND help = FindWindowA("MS_WINHELP", nullptr);
  if (help) EnumChildWindows(help, CollectShownText, reinterpret_cast<LPARAM>(&text));
  return text;
}

struct HelpCall {
  const char* file;
  UINT command;
  ULONG_PTR data;
};

DWORD WINAPI CallHelpProgram(LPVOID call) {
  const auto* c = static_cast<const HelpCall*>(call);
  WinHelpA(nullptr, c->file, c->command, c->data);
  return 0;
}

// Waits until the help program shows the topic titled `title`; false when
// it never does.
bool HelpShows(const std::string& title) {
  for (int wait = 0; wait < 100; ++wait) {
    const std::string shown = ShownHelpText();
    // The topic's title is the first line the window shows.
    if (shown.compare(0, title.size(), title) == 0 && shown.size() > title.size() &&
        (shown[title.size()] == '\r' || shown[title.size()] == '\n')) {
      return true;
    }
    Sleep(100);
  }
  return false;
}

// Every topic of the help file opens in the real help program with its own
// title: by name, as a link of the contents page finds it (the help
// program's "-i" switch looks a topic up by its name the same way), and by
// context number, as the options pages' Help buttons open it. A topic the
// help program cannot find shows an empty window.
TEST_F(Help, EveryTopicOfTheBuiltHelpFileOpensWithItsTitle) {
  RouteHelpCallsForTest(nullptr);
  char built[kPathSize];
  lstrcpyA(built, "Z:" ORVANE_TEST_PROGRAM_DIR "/" ORVANE_HELP_FILE);
  ASSERT_NE(GetFileAttributesA(built), INVALID_FILE_ATTRIBUTES) << built;
  struct Topic {
    const char* name;
    const char* title;
    UINT context;  // 0: opened by name only
  };
  const Topic topics[] = {
      {"overview", "What Orvane does", 0},
      {"lists", "Filling the lists", 0},
      {"keys", "Keys", 0},
      {"commands", "Menus, tool bar and keys", 0},
      {"options", "Options", 0},
      {"options.general", "Options: the General page", IDH_OPTIONS_GENERAL},
      {"options.explorer", "Options: the Explorer page", IDH_OPTIONS_EXPLORER},
      {"options.version", "Options: the Version page", IDH_OPTIONS_VERSION},
      {"password", "Program access password", 0},
      {"limits", "What the encryption protects, and what it does not", 0},
  };
  for (const Topic& topic : topics) {
    SCOPED_TRACE(topic.name);
    std::string command = std::string("winhlp32.exe -i ") + topic.name + " " + built;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION help = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &help));
    EXPECT_TRUE(HelpShows(topic.title)) << "by name; the help program shows: " << ShownHelpText();
    TerminateProcess(help.hProcess, 0);
    WaitForSingleObject(help.hProcess, 5000);
    CloseHandle(help.hProcess);
    CloseHandle(help.hThread);
    if (!topic.context) continue;
    HelpCall call = {built, HELP_CONTEXT, topic.context};
    HANDLE thread = CreateThread(nullptr, 0, CallHelpProgram, &call, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0) << "the help program did not answer";
    CloseHandle(thread);
    EXPECT_TRUE(HelpShows(topic.title)) << "by context; the help program shows: " << ShownHelpText();
    WinHelpA(nullptr, built, HELP_QUIT, 0);
    for (int wait = 0; wait < 50 && FindWindowA("MS_WINHELP", nullptr); ++wait) Sleep(100);
  }
}

class Fonts : public testing::Test {
 protected:
  void SetUp() override {
    savedFont_ = DisplayFont();
    savedListFont_ = App().listFont;
    App().listFont = nullptr;
    main_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                            App().instance, nullptr);
    IgnoreWindow(main_);
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 100, main_,
                            reinterpret_cast<HMENU>(IDC_ENCRYPT_LIST), App().instance, nullptr);
    DisplayFont().Font = LOGFONTA{};
    DisplayFont().Font.lfHeight = -16;
    DisplayFont().Font.lfWeight = FW_NORMAL;
    lstrcpyA(DisplayFont().Font.lfFaceName, "Arial");
    DisplayFont().Colour = RGB(10, 20, 30);
  }
  void TearDown() override {
    DestroyWindow(main_);
    if (App().listFont) DeleteObject(App().listFont);
    App().listFont = savedListFont_;
    DisplayFont() = savedFont_;
  }

  HWND main_ = nullptr;
  HWND list_ = nullptr;

 private:
  DisplayFontSetting savedFont_{};
  HFONT savedListFont_ = nullptr;
};

TEST_F(Fonts, ACancelledFontDialogChangesNothing) {
  const LOGFONTA before = DisplayFont().Font;
  HFONT listFont = CreateFontIndirectA(&before);
  App().listFont = listFont;
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);

  DialogScript script;
  script.Expect("Font", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  EXPECT_EQ(script.Run([&] { return ChooseListFont(main_, IDC_ENCRYPT_LIST); }), 0);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(std::memcmp(&DisplayFont().Font, &before, sizeof before), 0);
  EXPECT_EQ(DisplayFont().Colour, RGB(10, 20, 30));
  EXPECT_EQ(App().listFont, listFont);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0)), listFont);
  EXPECT_NE(GetObjectType(listFont), 0u);

  // The same for the dialog on its own, with a colour to offer.
  LOGFONTA font = before;
  COLORREF colour = RGB(1, 2, 3);
  DialogScript again;
  again.Expect("Font", [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  EXPECT_EQ(again.Run([&] { return ChooseFontDialog(main_, &font, &colour); }), nullptr);
  EXPECT_TRUE(again.Passed()) << again.Report();
  EXPECT_EQ(std::memcmp(&font, &before, sizeof before), 0);
  EXPECT_EQ(colour, RGB(1, 2, 3));
}

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM faces) {
  if (font->lfFaceName[0] != '@') reinterpret_cast<std::set<std::string>*>(faces)->insert(font->lfFaceName);
  return 1;
}

// The first face, by name, that the screen really has: which faces a fresh
// prefix offers differs between machines and between 32- and 64-bit Wine.
std::string FirstScreenFace() {
  std::set<std::string> faces;
  HDC screen = GetDC(nullptr);
  LOGFONTA all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(screen, &all, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, screen);
  return faces.empty() ? std::string() : *faces.begin();
}

TEST_F(Fonts, AChosenFontReplacesTheListFont) {
  const std::string storedFace = FirstScreenFace();
  ASSERT_FALSE(storedFace.empty());
  lstrcpynA(DisplayFont().Font.lfFaceName, storedFace.c_str(), LF_FACESIZE);
  HFONT oldFont = CreateFontIndirectA(&DisplayFont().Font);
  App().listFont = oldFont;
  std::string chosenFace;
  DialogScript script;
  script.Expect("Font", [&](HWND dialog) {
    // The dialog starts on the stored face; the user picks another one.
    HWND faces = GetDlgItem(dialog, cmb1);
    char current[LF_FACESIZE] = "";
    GetWindowTextA(faces, current, sizeof current);
    EXPECT_STREQ(current, storedFace.c_str());
    const int count = static_cast<int>(SendMessageA(faces, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count && chosenFace.empty(); ++i) {
      char face[LF_FACESIZE * 2] = "";
      SendMessageA(faces, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
      if (lstrcmpiA(face, storedFace.c_str()) != 0 && face[0] != '@') {
        chosenFace = face;
        SendMessageA(faces, CB_SETCURSEL, i, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
      }
    }
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(script.Run([&] { return ChooseListFont(main_, IDC_ENCRYPT_LIST); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
  ASSERT_FALSE(chosenFace.empty());
  EXPECT_STREQ(DisplayFont().Font.lfFaceName, chosenFace.c_str());
  ASSERT_NE(App().listFont, oldFont);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0)), App().listFont);
  EXPECT_EQ(GetObjectType(oldFont), 0u);  // the previous font is deleted
  LOGFONTA created{};
  GetObjectA(App().listFont, sizeof created, &created);
  EXPECT_STREQ(created.lfFaceName, chosenFace.c_str());
}

}  // namespace
