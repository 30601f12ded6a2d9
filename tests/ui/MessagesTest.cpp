// The reporting mechanism under Wine: the three boxes opened by id and by
// literal text and read back while they are open, how they end, the texts of
// the message table and the string table, the status line, and the system
// message box that stands in when no template memory can be had.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "ui/MessageTable.h"
#include "ui/Messages.h"
#include "ui/TemplateWriter.h"

namespace {

// A file name that a format would misread and a label would underline.
constexpr char kTrickyName[] = "C:\\100% & more\\a&b %d %s.txt";
// Ids that no string of the program has: one in a block of the string table
// that holds other strings, one far from any.
constexpr UINT kMissingNearId = IDS_HINT_PROPERTIES + 1;
constexpr UINT kMissingFarId = 4321;
// The one id of the message table without a text.
constexpr UINT kUnusedTableId = 60111;

struct ButtonView {
  int id;
  std::string text;
  bool isDefault;  // drawn as the default button
};

// What a user sees of an open box.
struct BoxView {
  std::string caption;
  std::string text;
  HICON icon = nullptr;
  std::vector<ButtonView> buttons;
  int defaultId = 0;  // the dialog manager's default (Enter)
  int focusId = 0;
  bool topmost = false;
  RECT rect{};
};

BoxView ReadBox(HWND box) {
  BoxView view;
  view.caption = WindowText(box);
  view.text = ItemText(box, IDC_BOX_TEXT);
  view.icon = ItemIcon(box, IDC_BOX_ICON);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) continue;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    view.buttons.push_back({GetDlgCtrlID(child), WindowText(child), (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON});
  }
  LRESULT defId = SendMessageA(box, DM_GETDEFID, 0, 0);
  view.defaultId = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0;
  view.focusId = GetFocus() ? GetDlgCtrlID(GetFocus()) : 0;
  view.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  GetWindowRect(box, &view.rect);
  return view;
}

HICON ProgramIcon(UINT id) { return LoadIconA(App().instance, MAKEINTRESOURCEA(id)); }

void PressEnter(HWND box) {
  HWND target = GetFocus() ? GetFocus() : box;
  PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

std::string StatusText(HWND bar) {
  char text[512] = "";
  SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

// Runs `body` while the script serves one box, which `action` reads and
// closes; returns what body returned.
int RunWithBox(const char* caption, const std::function<void(HWND)>& action, const std::function<int()>& body,
               BoxView* seen = nullptr) {
  DialogScript script;
  script.Expect(caption, [&](HWND box) {
    if (seen) *seen = ReadBox(box);
    action(box);
  });
  int result = script.Run(body);
  EXPECT_TRUE(script.Passed()) << script.Report();
  return result;
}

class Messages : public testing::Test {
 protected:
  void SetUp() override {
    savedSounds_ = SoundsFlag;
    savedDesktop_ = App().desktopRect;
    SoundsFlag = 0;
  }
  void TearDown() override {
    SoundsFlag = savedSounds_;
    App().desktopRect = savedDesktop_;
    App().mainWindow = nullptr;
    App().statusBar = nullptr;
  }

 private:
  int savedSounds_ = 0;
  RECT savedDesktop_{};
};

// ---------------------------------------------------------------- boxes

struct BoxCase {
  const char* name;
  std::function<int()> open;
  const char* caption;
  std::string text;
  UINT icon;
  std::vector<ButtonView> buttons;
  int press;   // the button the user presses
  int result;  // what the call returns then
};

TEST_F(Messages, EachBoxShowsItsCaptionTextIconAndButtons) {
  const std::vector<ButtonView> ok = {{IDOK, "OK", true}};
  const std::vector<ButtonView> yesFirst = {{IDYES, "&Yes", true}, {IDNO, "&No", false}};
  const std::vector<ButtonView> noFirst = {{IDYES, "&Yes", false}, {IDNO, "&No", true}};
  const std::vector<BoxCase> cases = {
      {"ShowMessage", [] { return ShowMessage(nullptr, IDS_PROGRAM_NAME, IDS_FILE_NOT_FOUND, "C:\\a.txt"); },
       "Orvane", "File: C:\\a.txt\r\rFile not found.", IDI_BOX_INFORMATION, ok, IDOK, 0},
      {"ShowMessageText", [] { return ShowMessageText(nullptr, "Tally", "%d file%s", 2, "s"); }, "Tally",
       "2 files", IDI_BOX_INFORMATION, ok, IDOK, 0},
      {"ShowError", [] { return ShowError(IDS_FILE_OPEN_FAILED, "C:\\b.txt", 5); }, "Error",
       "File: C:\\b.txt\r\rError detected opening this disk file\r\rCode 5", IDI_BOX_ERROR, ok, IDOK, 0},
      {"ShowErrorText", [] { return ShowErrorText("Disk %c is full", 'D'); }, "Error", "Disk D is full",
       IDI_BOX_ERROR, ok, IDOK, 0},
      {"AskYesNo", [] { return AskYesNo(nullptr, 1, IDS_PROGRAM_NAME, IDS_CONFIRM_QUIT_LISTED); }, "Orvane",
       "\rThere are files selected for conversion\r\rAre you sure you want to quit?", IDI_BOX_QUESTION, yesFirst,
       IDYES, 1},
      {"AskYesNoText", [] { return AskYesNoText(nullptr, 0, "Erase", "Erase %s?", "c.txt"); }, "Erase",
       "Erase c.txt?", IDI_BOX_QUESTION, noFirst, IDYES, 1},
      {"AskYesNoText answered No", [] { return AskYesNoText(nullptr, 1, "Erase", "Sure?"); }, "Erase", "Sure?",
       IDI_BOX_QUESTION, yesFirst, IDNO, 0},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoxView view;
    int result = RunWithBox(c.caption, [&](HWND box) { PressButton(box, c.press); }, c.open, &view);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(view.text, c.text);
    EXPECT_EQ(view.icon, ProgramIcon(c.icon));
    ASSERT_EQ(view.buttons.size(), c.buttons.size());
    for (size_t i = 0; i < c.buttons.size(); ++i) {
      EXPECT_EQ(view.buttons[i].id, c.buttons[i].id) << i;
      EXPECT_EQ(view.buttons[i].text, c.buttons[i].text) << i;
      EXPECT_EQ(view.buttons[i].isDefault, c.buttons[i].isDefault) << i;
      // The focus and the dialog manager's default sit on the default button.
      if (c.buttons[i].isDefault) {
        EXPECT_EQ(view.focusId, c.buttons[i].id);
        EXPECT_EQ(view.defaultId, c.buttons[i].id);
      }
    }
  }
}

TEST_F(Messages, EnterAnswersWithTheDefaultButton) {
  EXPECT_EQ(RunWithBox("Q", PressEnter, [] { return AskYesNoText(nullptr, 1, "Q", "Go on?"); }), 1);
  EXPECT_EQ(RunWithBox("Q", PressEnter, [] { return AskYesNoText(nullptr, 0, "Q", "Go on?"); }), 0);
}

TEST_F(Messages, EscapeAndTheCloseBoxAnswerNoAndEndEveryBox) {
  const std::vector<std::pair<const char*, std::function<void(HWND)>>> closers = {
      {"Esc", PressEscape}, {"close box", PressCloseBox}};
  for (const auto& [how, close] : closers) {
    SCOPED_TRACE(how);
    EXPECT_EQ(RunWithBox("Q", close, [] { return AskYesNoText(nullptr, 1, "Q", "Go on?"); }), 0);
    EXPECT_EQ(RunWithBox("M", close, [] { return ShowMessageText(nullptr, "M", "Note"); }), 0);
    EXPECT_EQ(RunWithBox("Error", close, [] { return ShowErrorText("Broken"); }), 0);
  }
}

TEST_F(Messages, BoxFollowsTheTemplateLayout) {
  struct ItemLayout {
    int id;
    const char* cls;
    LONG style;  // bits that must be set
    RECT units;  // x, y, cx, cy in dialog units
  };
  const std::vector<ItemLayout> message = {
      {IDC_BOX_ICON, "Static", WS_VISIBLE | SS_ICON, {8, 9, 18, 20}},
      {IDC_BOX_TEXT, "Static", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {37, 8, 185, 56}},
      {IDOK, "Button", WS_VISIBLE | WS_TABSTOP, {96, 70, 36, 14}},
  };
  std::vector<ItemLayout> question(message.begin(), message.end() - 1);
  question.push_back({IDYES, "Button", WS_VISIBLE | WS_TABSTOP, {74, 70, 36, 14}});
  question.push_back({IDNO, "Button", WS_VISIBLE | WS_TABSTOP, {120, 70, 36, 14}});

  auto check = [](const std::vector<ItemLayout>& items) {
    return [&items](HWND box) {
      LONG style = GetWindowLongA(box, GWL_STYLE);
      const LONG boxBits = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SYSMODAL;
      EXPECT_EQ(style & boxBits, boxBits);
      RECT client;
      GetClientRect(box, &client);
      RECT size = {0, 0, 230, 90};
      MapDialogRect(box, &size);
      EXPECT_EQ(client.right, size.right);
      EXPECT_EQ(client.bottom, size.bottom);

      HWND child = GetWindow(box, GW_CHILD);
      for (const ItemLayout& item : items) {
        SCOPED_TRACE(item.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), item.id);
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_STREQ(cls, item.cls);
        EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & item.style, item.style);
        // Mapped one by one, as the dialog manager maps each value.
        RECT expected = item.units;
        MapDialogRect(box, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (item.id != IDC_BOX_ICON) {  // an icon control takes the icon's size
          EXPECT_EQ(actual.right - actual.left, expected.right);
          EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        }
        child = GetWindow(child, GW_HWNDNEXT);
      }
      EXPECT_EQ(child, nullptr) << "more items than the layout has";
      PressEscape(box);
    };
  };
  RunWithBox("M", check(message), [] { return ShowMessageText(nullptr, "M", "Note"); });
  RunWithBox("Error", check(message), [] { return ShowErrorText("Broken"); });
  RunWithBox("Q", check(question), [] { return AskYesNoText(nullptr, 0, "Q", "Go on?"); });
}

TEST_F(Messages, BoxOpensCentredOnTheDesktopAndTopmost) {
  // An empty desktop rectangle is taken when the first box needs it.
  SetRectEmpty(&App().desktopRect);
  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  BoxView view;
  RunWithBox("M", PressEscape, [] { return ShowMessageText(nullptr, "M", "Note"); }, &view);
  EXPECT_TRUE(EqualRect(&App().desktopRect, &desktop));
  EXPECT_TRUE(view.topmost);
  const int width = view.rect.right - view.rect.left;
  const int height = view.rect.bottom - view.rect.top;
  EXPECT_EQ(view.rect.left, (desktop.right - width) / 2);
  EXPECT_EQ(view.rect.top, (desktop.bottom - height) / 2);
}

TEST_F(Messages, OwnerIsRepaintedAfterTheBoxButNoOtherWindow) {
  auto makeWindow = [] {
    HWND w = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                             App().instance, nullptr);
    IgnoreWindow(w);
    return w;
  };
  HWND owner = makeWindow();
  HWND bystander = makeWindow();
  PumpMessages(50);
  // Invalidated just before OK is pressed: the box's loop ends at once and
  // paints nothing more, so only UpdateWindow can repaint afterwards.
  auto invalidateAndClose = [&](HWND box) {
    InvalidateRect(owner, nullptr, TRUE);
    InvalidateRect(bystander, nullptr, TRUE);
    PressButton(box, IDOK);
  };
  RunWithBox("M", invalidateAndClose, [&] { return ShowMessageText(owner, "M", "Note"); });
  EXPECT_FALSE(GetUpdateRect(owner, nullptr, FALSE));
  EXPECT_TRUE(GetUpdateRect(bystander, nullptr, FALSE));

  PumpMessages(50);
  RunWithBox("M", invalidateAndClose, [] { return ShowMessageText(nullptr, "M", "Note"); });
  EXPECT_TRUE(GetUpdateRect(owner, nullptr, FALSE));

  // The error box belongs to the main window when there is one.
  PumpMessages(50);
  App().mainWindow = owner;
  HWND boxOwner = nullptr;
  RunWithBox("Error", [&](HWND box) { boxOwner = GetWindow(box, GW_OWNER); invalidateAndClose(box); },
             [] { return ShowErrorText("Broken"); });
  EXPECT_EQ(boxOwner, owner);
  EXPECT_FALSE(GetUpdateRect(owner, nullptr, FALSE));

  DestroyWindow(owner);
  DestroyWindow(bystander);
}

TEST_F(Messages, OperationPrefixGetsALineOfItsOwnOnlyOnce) {
  BoxView view;
  RunWithBox("Error", PressEscape, [] { return ShowError(IDS_GETDC_FAILED, "PicSize", 6); }, &view);
  EXPECT_EQ(view.text, "PicSize(GetDC)\r\rError detected reading screen device context\r\rCode 6");

  RunWithBox("Error", PressEscape, [] { return ShowErrorText("Load(Open): first): second (x): third"); }, &view);
  EXPECT_EQ(view.text, "Load(Open)\r\rfirst): second (x): third");

  // Message and question boxes leave the text alone.
  RunWithBox("M", PressEscape, [] { return ShowMessageText(nullptr, "M", "Load(Open): x"); }, &view);
  EXPECT_EQ(view.text, "Load(Open): x");
}

TEST_F(Messages, PercentAndAmpersandInAFileNameShowLiterally) {
  const std::string notFound = std::string("File: ") + kTrickyName + "\r\rFile not found.";
  const std::vector<std::pair<const char*, std::function<int()>>> openers = {
      {"File Not Found",
       [] { return ShowMessage(nullptr, IDS_CAPTION_NOT_FOUND, IDS_FILE_NOT_FOUND, kTrickyName); }},
      {"M", [] { return ShowMessageText(nullptr, "M", "File: %s\r\rFile not found.", kTrickyName); }},
      {"Error", [] { return ShowError(IDS_FILE_NOT_FOUND, kTrickyName); }},
      {"Error", [] { return ShowErrorText("File: %s\r\rFile not found.", kTrickyName); }},
      {"File Not Found",
       [] { return AskYesNo(nullptr, 1, IDS_CAPTION_NOT_FOUND, IDS_FILE_NOT_FOUND, kTrickyName); }},
      {"Q", [] { return AskYesNoText(nullptr, 1, "Q", "File: %s\r\rFile not found.", kTrickyName); }},
  };
  for (const auto& [caption, open] : openers) {
    BoxView view;
    RunWithBox(caption, PressEscape, open, &view);
    EXPECT_EQ(view.text, notFound) << caption;
  }
}

TEST_F(Messages, ComposedTextIsCutAt1023Characters) {
  const std::string longText(1500, 'x');
  BoxView view;
  RunWithBox("M", PressEscape, [&] { return ShowMessageText(nullptr, "M", "%s", longText.c_str()); }, &view);
  EXPECT_EQ(view.text, std::string(1023, 'x'));

  const std::string name(1100, 'n');
  RunWithBox("Error", PressEscape, [&] { return ShowError(IDS_FILE_NOT_FOUND, name.c_str()); }, &view);
  EXPECT_EQ(view.text, ("File: " + name).substr(0, 1023));
}

// ------------------------------------------------------------- failures

TEST_F(Messages, MissingStringShowsOneErrorBoxInsteadOfTheRequestedOne) {
  struct Case {
    const char* name;
    UINT missing;
    std::function<int()> call;
    const char* code;  // nullptr: whatever LoadString left
  };
  const std::vector<Case> cases = {
      {"message text", kMissingFarId, [] { return ShowMessage(nullptr, IDS_PROGRAM_NAME, kMissingFarId, 1); }, nullptr},
      {"message caption", kMissingNearId, [] { return ShowMessage(nullptr, kMissingNearId, IDS_READY); }, nullptr},
      {"error", kMissingNearId, [] { return ShowError(kMissingNearId, "x"); }, nullptr},
      {"question caption", kMissingFarId, [] { return AskYesNo(nullptr, 1, kMissingFarId, IDS_READY); }, nullptr},
      {"question text", kMissingNearId, [] { return AskYesNo(nullptr, 1, IDS_PROGRAM_NAME, kMissingNearId); }, nullptr},
      // The table's one unused id has no text and fails the same way, as
      // a name that is not found (ERROR_RESOURCE_NAME_NOT_FOUND).
      {"unused table id", kUnusedTableId, [] { return ShowError(kUnusedTableId); }, "1814"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxView view;
    // Yes is never there to press; OK ends the error box. Any further box
    // would fail the script as unexpected.
    int result = RunWithBox("Error", [](HWND box) { PressButton(box, IDOK); }, c.call, &view);
    EXPECT_EQ(result, 0);
    const std::string head =
        "GetString(LoadString)\r\rCannot load string resource (ID:" + std::to_string(c.missing) + ")\r\rCode ";
    ASSERT_EQ(view.text.substr(0, head.size()), head);
    const std::string code = view.text.substr(head.size());
    EXPECT_FALSE(code.empty());
    EXPECT_EQ(code.find_first_not_of("-0123456789"), std::string::npos) << code;
    if (c.code) {
      EXPECT_EQ(code, c.code);
    }
  }
}

TEST_F(Messages, WithoutTemplateMemoryTheSystemBoxSaysSo) {
  auto systemBox = [](HWND box) {
    const std::vector<std::string> texts = StaticTexts(box);
    bool found = false;
    for (const std::string& t : texts) found = found || t == "Cannot allocate memory for dialog box template";
    EXPECT_TRUE(found);
    PressButton(box, IDOK);
  };
  const std::vector<std::function<int()>> calls = {
      [] { return ShowMessageText(nullptr, "M", "Note"); },
      [] { return ShowError(IDS_FILE_NOT_FOUND, "a.txt"); },
      // Pressing OK on the system's box counts as No.
      [] { return AskYesNoText(nullptr, 1, "Q", "Go on?"); },
  };
  for (const auto& call : calls) {
    FailTemplateBlocksForTest(1);
    EXPECT_EQ(RunWithBox("Error", systemBox, call), 0);
  }
}

TEST_F(Messages, DialogTemplateBlockOrItsErrorBox) {
  void* block = LockDialogTemplate();
  ASSERT_NE(block, nullptr);
  EXPECT_GE(GlobalSize(GlobalHandle(block)), kDialogTemplateSize);
  const BYTE* bytes = static_cast<const BYTE*>(block);
  bool zero = true;
  for (SIZE_T i = 0; i < kDialogTemplateSize; ++i) zero = zero && bytes[i] == 0;
  EXPECT_TRUE(zero);
  ReleaseTemplateBlock(block);

  FailTemplateBlocksForTest(1);
  BoxView view;
  void* failed = reinterpret_cast<void*>(1);
  RunWithBox("Error", PressEscape, [&] { failed = LockDialogTemplate(); return 0; }, &view);
  EXPECT_EQ(failed, nullptr);
  EXPECT_EQ(view.text, "\rCannot allocate memory for Dialog Template\r\rSize: 4098 bytes requested");
}

// ---------------------------------------------------------------- sound

TEST_F(Messages, SoundsFlagDecidesWhetherBoxesBeep) {
  auto threeBoxes = [] {
    RunWithBox("M", PressEscape, [] { return ShowMessageText(nullptr, "M", "Note"); });
    RunWithBox("Error", PressEscape, [] { return ShowErrorText("Broken"); });
    RunWithBox("Q", PressEscape, [] { return AskYesNoText(nullptr, 1, "Q", "Go on?"); });
  };
  SoundsFlag = 0;
  int before = AlertBeepCount();
  threeBoxes();
  EXPECT_EQ(AlertBeepCount(), before);

  SoundsFlag = 1;
  before = AlertBeepCount();
  threeBoxes();
  EXPECT_EQ(AlertBeepCount(), before + 3);

  // The alert itself sounds regardless of the option.
  SoundsFlag = 0;
  before = AlertBeepCount();
  EXPECT_EQ(AlertBeep(), 0);
  EXPECT_EQ(AlertBeepCount(), before + 1);
}

// ---------------------------------------------------------- status line

class StatusLine : public Messages {
 protected:
  void SetUp() override {
    Messages::SetUp();
    main_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 300, nullptr, nullptr,
                            App().instance, nullptr);
    IgnoreWindow(main_);
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main_, nullptr,
                           App().instance, nullptr);
    App().mainWindow = main_;
    App().statusBar = bar_;
  }
  void TearDown() override {
    DestroyWindow(main_);
    Messages::TearDown();
  }
  HWND main_ = nullptr;
  HWND bar_ = nullptr;
};

TEST_F(StatusLine, ShowsTheComposedTextWithoutBorders) {
  SetStatusText(IDS_READY);
  EXPECT_EQ(StatusText(bar_), "Ready ...");
  EXPECT_EQ(HIWORD(SendMessageA(bar_, SB_GETTEXTLENGTHA, 0, 0)), SBT_NOBORDERS);

  SetStatusText(IDS_ADDED_TO_ENCRYPT_LIST, 3, "s");
  EXPECT_EQ(StatusText(bar_), "3 files added to the encrpytion list ...");

  SetStatusText(IDS_ENCRYPTING_FILE, kTrickyName);
  EXPECT_EQ(StatusText(bar_), std::string("Encrypting ") + kTrickyName + " ...");
}

TEST_F(StatusLine, TextIsCutAt255Characters) {
  const std::string name(300, 'n');
  SetStatusText(IDS_ENCRYPTING_FILE, name.c_str());
  EXPECT_EQ(StatusText(bar_), ("Encrypting " + name).substr(0, 255));
}

TEST_F(StatusLine, TextsAreDroppedWhileTheBarIsHiddenOrMissing) {
  SetStatusText(IDS_READY);
  ShowWindow(bar_, SW_HIDE);
  SetStatusText(IDS_DECODED_COUNT, 1, "");
  ShowWindow(bar_, SW_SHOW);
  EXPECT_EQ(StatusText(bar_), "Ready ...");

  // A hidden main window hides its bar too (the program sits in the tray).
  ShowWindow(main_, SW_HIDE);
  SetStatusText(IDS_DECODED_COUNT, 2, "s");
  ShowWindow(main_, SW_SHOW);
  EXPECT_EQ(StatusText(bar_), "Ready ...");

  App().statusBar = nullptr;
  SetStatusText(IDS_DECODED_COUNT, 2, "s");  // nothing to write to: no effect, no box
  EXPECT_EQ(StatusText(bar_), "Ready ...");
}

TEST_F(StatusLine, MissingStringShowsTheErrorBoxAndLeavesTheLine) {
  SetStatusText(IDS_READY);
  BoxView view;
  DialogScript script;
  script.Expect("Error", [&](HWND box) {
    view = ReadBox(box);
    PressButton(box, IDOK);
  });
  script.Run([] { SetStatusText(kMissingFarId, 1); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(view.text.find("Cannot load string resource (ID:4321)"), 23u) << view.text;
  EXPECT_EQ(StatusText(bar_), "Ready ...");
}

// -------------------------------------------------------------- strings

TEST_F(Messages, MessageTableSpansItsIdRange) {
  EXPECT_EQ(kMessageTableCount, 115);
  char text[kStringSize];
  EXPECT_EQ(GetString(text, 60000), 9);
  EXPECT_STREQ(text, "Ready ...");
  EXPECT_EQ(GetString(text, 60114), 1);
  EXPECT_STREQ(text, " ");

  const std::vector<std::pair<UINT, const char*>> spotChecks = {
      {60008, "\rCannot allocate memory for %s\r\rSize: %d bytes requested"},
      {60053, "\r\r\tThe Clipboard is empty"},
      {60066, "Options saved"},
      {60087, "Replaced '%s' with '%s' %d time%s"},
      {60110, "File: %s\r\rThis document has been edited.\rDo you want to discard these changes?"},
      {60112, "File: %s\r\rThis document is a BACKUP copy of a file.\rAre you sure you want to load it?"},
      {60113, "File: %s\r\rError detected copying this file\rTo: %s\r\rCode %u"},
  };
  for (const auto& [id, expected] : spotChecks) {
    EXPECT_EQ(GetString(text, id), static_cast<int>(std::strlen(expected))) << id;
    EXPECT_STREQ(text, expected) << id;
  }
}

TEST_F(Messages, IdsBesideTheTableComeFromTheStringTable) {
  // Neither neighbour of the table is a string of the program: each one is
  // looked up, fails and is reported.
  for (UINT id : {59999u, 60115u}) {
    BoxView view;
    char text[kStringSize] = "untouched";
    int length = RunWithBox("Error", PressEscape, [&] { return GetString(text, id); }, &view);
    EXPECT_EQ(length, 0);
    EXPECT_STREQ(text, "");
    EXPECT_NE(view.text.find("(ID:" + std::to_string(id) + ")"), std::string::npos) << view.text;
  }
}

TEST_F(Messages, StringTableHoldsTheExactTexts) {
  const std::vector<std::pair<UINT, const char*>> spotChecks = {
      {IDS_HINT_PROPERTIES, "Show the selected file's properties"},
      {IDS_PROGRAM_NAME, "Orvane"},
      {IDS_MAIN_TITLE, "%s - Orvane"},
      {IDS_PRODUCT_NAME, "Orvane for Windows 95/NT"},
      {IDS_TIP_ABOUT, "About"},
      {IDS_DECODE_FILES_FILTER, "Encrypted Files|*.(=*|All Files|*.*|"},
      {IDS_FILE_LOCKED,
       "File: %s\r\rThis file is write-protected on the disk.\rPlease unlock the file before converting it."},
      {IDS_TEMPORARY_FILE,
       "File: %s\r\rOrvane cannot convert temporary files\rthat use the 'tmp' file name extension"},
      {IDS_PASSWORD_INVALID, "\rInvalid password detected...\r\r%s"},
      {IDS_ADDED_TO_ENCRYPT_LIST, "%d file%s added to the encrpytion list ..."},
      {IDS_ENCRYPTED_COUNT, "%d file%s successfully encrpyted ..."},
      {IDS_LOG_DECODE_RUN_BEGUN,
       "\n\nFile Decoding begun on %s\n"
       "==========================================================================="},
  };
  for (const auto& [id, expected] : spotChecks) {
    char text[kStringSize];
    EXPECT_EQ(GetString(text, id), static_cast<int>(std::strlen(expected))) << id;
    EXPECT_STREQ(text, expected) << id;
  }
  // The escapes arrive as control bytes, not as backslashes.
  char text[kStringSize];
  GetString(text, IDS_LOG_DECODE_RUN_BEGUN);
  EXPECT_EQ(text[0], 10);
  GetString(text, IDS_PASSWORD_INVALID);
  EXPECT_EQ(text[0], 13);
  EXPECT_EQ(std::string(text).find('\\'), std::string::npos);

  char rights[kStringSize];
  EXPECT_GT(GetString(rights, IDS_RIGHTS), 0);
  EXPECT_NE(std::string(rights).find("Norvik Studio"), std::string::npos);
}

// -------------------------------------------------------------- centring

TEST_F(Messages, CentreDialogPlacesAnyWindowInTheMiddle) {
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP, 0, 0, 301, 201, nullptr, nullptr,
                                App().instance, nullptr);
  IgnoreWindow(window);
  App().desktopRect = RECT{0, 0, 1000, 700};
  EXPECT_EQ(CentreDialog(window), 1);
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, (1000 - 301) / 2);
  EXPECT_EQ(r.top, (700 - 201) / 2);
  EXPECT_EQ(r.right - r.left, 301);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  DestroyWindow(window);
}

}  // namespace
