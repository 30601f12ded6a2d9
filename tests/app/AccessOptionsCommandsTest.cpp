// The commands that open the access password dialog and the options sheet
// from the main window, and the exit question on the way out, through the
// main window's procedure.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileArrivals.h"
#include "app/HandOff.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "core/KeyHash.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/settings/ScratchShellFolders.h"
#include "tests/support/SheetPages.h"

namespace {

constexpr char kChangeTitle[] = " Change Orvane Program Access Password";
constexpr char kSheetTitle[] = " Orvane Options";
constexpr char kExitTitle[] = " Exit Orvane for Windows 95/NT";

DWORD Hash(const char* text) { return static_cast<DWORD>(KeyHash(text)); }

class AccessOptionsCommandsTest : public MainWindowFixture {
 protected:
  ScratchShellFolders folders_;  // the Explorer page looks for the shortcuts
};

TEST_F(AccessOptionsCommandsTest, AccessCommandSavesAChangedPasswordAtOnce) {
  // Cancelled: nothing is written.
  SetNumber("Options", "Code", 77);
  DialogScript cancelled;
  cancelled.Expect(kChangeTitle, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  cancelled.Run([&] { return Command(IDM_ACCESS); });
  EXPECT_TRUE(cancelled.Passed()) << cancelled.Report();
  EXPECT_EQ(Raw("Options", "Code").number, 77u);

  std::string hint;
  DialogScript changed;
  changed.Expect(kChangeTitle, [&](HWND dialog) {
    hint = StatusText();
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window_);
    TypeInto(dialog, IDC_PASSWORD_NEW, "Gate 1998");
    TypeInto(dialog, IDC_PASSWORD_VERIFY, "Gate 1998");
    PressButton(dialog, IDOK);
  });
  changed.Expect("Password Changed", [](HWND box) { PressButton(box, IDOK); });
  changed.Run([&] { return Command(IDM_ACCESS); });
  EXPECT_TRUE(changed.Passed()) << changed.Report();
  EXPECT_EQ(hint, "Change Orvane's program access password");
  EXPECT_EQ(options_.Code, Hash("Gate 1998"));
  EXPECT_EQ(Raw("Options", "Code").number, Hash("Gate 1998"));
}

TEST_F(AccessOptionsCommandsTest, OptionsAndSetupCommandsOpenTheirPages) {
  struct Case {
    UINT command;
    const char* page;
    const char* hint;
  } cases[] = {{IDM_OPTIONS, "General", "Configure the application"},
               {IDM_SETUP, "Explorer", "Integrate Orvane with MS Windows Explorer"}};
  for (const Case& c : cases) {
    std::string page;
    std::string hint;
    DialogScript script;
    script.Expect(kSheetTitle, [&](HWND sheet) {
      EXPECT_EQ(GetWindow(sheet, GW_OWNER), window_);
      page = CurrentPageTitle(sheet);
      hint = StatusText();
      PressButton(sheet, IDCANCEL);
    });
    script.Run([&] { return Command(c.command); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(page, c.page);
    EXPECT_EQ(hint, c.hint);
  }
}

TEST_F(AccessOptionsCommandsTest, CloseAsksWhileConfirmIsOn) {
  ASSERT_EQ(options_.Confirm, 1);
  DialogScript no;
  no.Expect(kExitTitle, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  no.Run([&] { return SendMessageA(window_, WM_CLOSE, 0, 0); });
  EXPECT_TRUE(no.Passed()) << no.Report();
  ASSERT_TRUE(IsWindow(window_));

  // Yes with the box cleared: the program ends and asks no more.
  DialogScript yes;
  yes.Expect(kExitTitle, [](HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_EXIT_ALWAYS_CONFIRM, BM_CLICK, 0, 0);
    PressButton(dialog, IDOK);
  });
  yes.Run([&] { return SendMessageA(window_, WM_CLOSE, 0, 0); });
  EXPECT_TRUE(yes.Passed()) << yes.Report();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(options_.Confirm, 0);
}

TEST_F(AccessOptionsCommandsTest, ExitWithFilesListedAsksTwiceAndNoKeepsTheProgram) {
  AddListedFile(List(IDC_ENCRYPT_LIST), "C:\\letter.txt");
  DialogScript script;
  script.Expect(kExitTitle, [](HWND dialog) { PressButton(dialog, IDOK); });
  script.Expect("Orvane", [](HWND box) { PressButton(box, IDNO); });
  script.Run([&] { return Command(IDM_EXIT); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(options_.Confirm, 1);
}

TEST_F(AccessOptionsCommandsTest, ConfirmOffClosesAtOnce) {
  options_.Confirm = 0;
  DialogScript none;
  none.Run([&] { return SendMessageA(window_, WM_CLOSE, 0, 0); });
  EXPECT_TRUE(none.Passed()) << none.Report();
  EXPECT_FALSE(IsWindow(window_));
}

// Files handed over by another start while the exit question is open are
// not dropped with the window: it stays and lists them.
TEST_F(AccessOptionsCommandsTest, FilesHandedOverDuringTheExitQuestionKeepTheWindow) {
  TempFolder folder("exit-hand-off");
  const std::string handed = folder.MakeFile("handed.txt", "text");
  DialogScript script;
  script.Expect(kExitTitle, [&](HWND dialog) {
    SwitchedFiles files;
    files.target = FileTarget::Encrypt;
    files.paths = {handed};
    QueueFiles(files);
    PressButton(dialog, IDOK);
  });
  script.Run([&] { return SendMessageA(window_, WM_CLOSE, 0, 0); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  ASSERT_TRUE(IsWindow(window_));
  PumpMessages(100);
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{handed});
}

}  // namespace
