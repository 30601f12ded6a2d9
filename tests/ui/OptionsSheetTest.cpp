// The options sheet driven for real: its pages opened, boxes clicked, the
// sheet moved, accepted or cancelled, and what reaches the options record,
// the settings, the tray and the shortcuts of a scratch profile.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "context/AppContext.h"
#include "app/Startup.h"
#include "ui/TrayIcon.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/settings/ScratchShellFolders.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/SheetPages.h"
#include "tests/support/StandInMainWindow.h"
#include "ui/Messages.h"
#include "ui/OptionsSheet.h"

namespace {

constexpr char kSheetTitle[] = " Orvane Options";

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

int PageCount(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  return static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
}

HWND SelectPage(HWND sheet, int index) {
  SendMessageA(sheet, PSM_SETCURSEL, index, 0);
  return CurrentPage(sheet);
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != 0; }
void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }

POINT SheetCorner(HWND sheet) {
  RECT rect;
  GetWindowRect(sheet, &rect);
  return POINT{rect.left, rect.top};
}

// A settings root of the test's own, a scratch profile for the shortcuts,
// and an owner window with a status bar standing in for the main window.
class OptionsSheetTest : public SettingsRootTest {
 protected:
  void SetUp() override {
    SettingsRootTest::SetUp();
    options_.Confirm = 1;
    options_.Cleanup = 1;
    options_.Sounds = 1;
    options_.LogFile = 1;
    options_.Code = 0x1234;
    options_.Warnings[kWarnTempFile] = 1;
    options_.OptionsSheet = WindowPosition{120, 150, 200, 350, 1};
  }
  void TearDown() override {
    RemoveTrayIcon(owner_);
    SettingsRootTest::TearDown();
  }

  // Opens the sheet on `startPage`; `action` works on the open sheet and
  // ends it.
  int Open(int startPage, DialogScript::Action action, DialogScript* more = nullptr) {
    DialogScript own;
    DialogScript& script = more ? *more : own;
    script.Expect(kSheetTitle, std::move(action));
    const int result = script.Run([&] { return OpenOptionsSheet(owner_, &options_, startPage); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    return result;
  }

  StandInMainWindow main_;
  HWND owner_ = main_.Window();
  ProgramOptions options_ = {};
  ScratchShellFolders folders_;
};

TEST_F(OptionsSheetTest, StartPages) {
  struct Case {
    int start;
    const char* title;
  } cases[] = {{0, "General"}, {1, "Explorer"}, {2, "Version"}, {7, "General"}, {-1, "General"}};
  for (const Case& c : cases) {
    std::string title;
    int pages = 0;
    EXPECT_EQ(Open(c.start,
                   [&](HWND sheet) {
                     title = CurrentPageTitle(sheet);
                     pages = PageCount(sheet);
                     PressButton(sheet, IDCANCEL);
                   }),
              0);
    EXPECT_EQ(title, c.title) << c.start;
    EXPECT_EQ(pages, 3) << c.start;
  }
}

TEST_F(OptionsSheetTest, SetupAtStartUpOpensTheExplorerPageOnceWithTheStartMenuTicked) {
  struct Case {
    int firstRun;
    const char* tail;
    bool opens;
  } cases[] = {
      {1, "", true}, {1, "/setup", true}, {0, "-SeTuP", true}, {0, "/setup", true}, {0, "", false},
      {0, "C:\\a\\b.txt", false},
  };
  const int savedFirstRun = FirstRun;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    FirstRun = c.firstRun;
    ProgramOptions options = options_;
    ASSERT_EQ(ReadCommandLine(c.tail, &options), 1);
    DialogScript script;
    if (c.opens) {
      script.Expect(kSheetTitle, [](HWND sheet) {
        EXPECT_EQ(CurrentPageTitle(sheet), "Explorer");
        HWND page = CurrentPage(sheet);
        EXPECT_TRUE(Checked(page, IDC_EXP_CREATE_START_MENU));
        EXPECT_TRUE(Enabled(page, IDC_EXP_CREATE_START_MENU));
        EXPECT_FALSE(Checked(page, IDC_EXP_CREATE_DESKTOP));
        EXPECT_EQ(ItemText(page, IDC_EXP_START_MENU_TEXT),
                  "To include or remove Orvane on the MS Windows Explorer Start Menu check one of the boxes below.");
        // No owner: the sheet stands on its own before the main window.
        EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr);
        PressButton(sheet, IDCANCEL);
      });
    }
    script.Run([&] {
      OpenSetupPages(c.tail, &options);
      return 0;
    });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(script.Served(), c.opens ? 1u : 0u);
  }
  FirstRun = savedFirstRun;
}

TEST_F(OptionsSheetTest, CancelChangesNothingAndWritesNothing) {
  const ProgramOptions before = options_;
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   Click(page, IDC_OPT_CONFIRM);
                   Click(page, IDC_OPT_TASK_TRAY);
                   Click(page, IDC_OPT_CLEANUP);
                   Click(page, IDC_OPT_WARNING_FIRST);
                   page = SelectPage(sheet, kExplorerPage);
                   Click(page, IDC_EXP_CREATE_DESKTOP);
                   PressButton(sheet, IDCANCEL);
                 }),
            0);
  EXPECT_EQ(std::memcmp(&options_, &before, sizeof before), 0);
  EXPECT_TRUE(AllValues().empty());
  EXPECT_EQ(RemoveTrayIcon(owner_), 0);
  EXPECT_EQ(GetFileAttributesA(folders_.DesktopLink().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OptionsSheetTest, OkWithoutChangesSavesTheOptions) {
  ProgramOptions expected = options_;
  EXPECT_EQ(Open(kGeneralPage, [](HWND sheet) { PressButton(sheet, IDOK); }), 1);
  // Only the sheet's own size is new: its place is captured whole.
  expected.OptionsSheet.Height = options_.OptionsSheet.Height;
  expected.OptionsSheet.Width = options_.OptionsSheet.Width;
  EXPECT_EQ(std::memcmp(&options_, &expected, sizeof expected), 0);
  EXPECT_EQ(Raw("Options", "Confirm").number, 1u);
  EXPECT_EQ(Raw("Options", "Code").number, 0x1234u);
  EXPECT_EQ(Raw("Options\\Warnings", "TempFile").number, 1u);
  EXPECT_EQ(Raw("DeskTop\\Options", "Left").number, 150u);
  EXPECT_EQ(main_.StatusText(), "Options saved");
}

TEST_F(OptionsSheetTest, GeneralPageEditsReachTheOptionsAndSurviveAPageSwitch) {
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   EXPECT_TRUE(Checked(page, IDC_OPT_CONFIRM));
                   EXPECT_TRUE(Checked(page, IDC_OPT_WARNING_FIRST + kWarnTempFile));
                   Click(page, IDC_OPT_CONFIRM);
                   Click(page, IDC_OPT_MINIMIZED);
                   Click(page, IDC_OPT_SOUNDS);
                   Click(page, IDC_OPT_LOG_FILE);
                   Click(page, IDC_OPT_WARNING_FIRST + kWarnLockedFile);
                   SelectPage(sheet, kVersionPage);
                   page = SelectPage(sheet, kGeneralPage);
                   EXPECT_FALSE(Checked(page, IDC_OPT_CONFIRM));
                   EXPECT_TRUE(Checked(page, IDC_OPT_MINIMIZED));
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(options_.Confirm, 0);
  EXPECT_EQ(options_.Minimized, 1);
  EXPECT_EQ(options_.Sounds, 0);
  EXPECT_EQ(options_.LogFile, 0);
  EXPECT_EQ(options_.Warnings[kWarnLockedFile], 1);
  EXPECT_EQ(options_.Warnings[kWarnTempFile], 1);
  EXPECT_EQ(SoundsFlag, 0);
  EXPECT_EQ(LogFlag, 0);
  EXPECT_EQ(Raw("Options", "Minimized").number, 1u);
  EXPECT_EQ(Raw("Options\\Warnings", "LockedFile").number, 1u);
  SoundsFlag = 1;
  LogFlag = 1;
}

TEST_F(OptionsSheetTest, ErasureFollowsTheRemovalBox) {
  options_.NSAErasures = 1;
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   EXPECT_TRUE(Checked(page, IDC_OPT_CLEANUP));
                   EXPECT_TRUE(Enabled(page, IDC_OPT_NSA_ERASURES));
                   Click(page, IDC_OPT_CLEANUP);
                   // Grey, but its tick is kept as it stands.
                   EXPECT_FALSE(Checked(page, IDC_OPT_CLEANUP));
                   EXPECT_FALSE(Enabled(page, IDC_OPT_NSA_ERASURES));
                   EXPECT_TRUE(Checked(page, IDC_OPT_NSA_ERASURES));
                   Click(page, IDC_OPT_CLEANUP);
                   EXPECT_TRUE(Enabled(page, IDC_OPT_NSA_ERASURES));
                   Click(page, IDC_OPT_CLEANUP);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(options_.Cleanup, 0);
  EXPECT_EQ(options_.NSAErasures, 1);
  EXPECT_EQ(Raw("Options", "Cleanup").number, 0u);
  EXPECT_EQ(Raw("Options", "NSAErasures").number, 1u);

  // Opened again with the removal off, the erasure box starts grey.
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   EXPECT_FALSE(Enabled(CurrentPage(sheet), IDC_OPT_NSA_ERASURES));
                   PressButton(sheet, IDCANCEL);
                 }),
            0);
}

TEST_F(OptionsSheetTest, TrayChangeAppliesAtOnce) {
  // On: the icon is there when the sheet has closed.
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   Click(CurrentPage(sheet), IDC_OPT_TASK_TRAY);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(options_.TaskTray, 1);
  EXPECT_EQ(AddTrayIcon(owner_, "Orvane"), 0);  // one is there already

  // Off: the icon is gone.
  EXPECT_EQ(Open(kGeneralPage,
                 [](HWND sheet) {
                   Click(CurrentPage(sheet), IDC_OPT_TASK_TRAY);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(options_.TaskTray, 0);
  EXPECT_EQ(RemoveTrayIcon(owner_), 0);
}

TEST_F(OptionsSheetTest, ShortcutsCreatedAndRemovedOnOk) {
  folders_.Profile().MakeFile("Startup\\Orvane.lnk", "an old shortcut");
  EXPECT_EQ(Open(kExplorerPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   // Only what makes sense can be asked for.
                   EXPECT_TRUE(Enabled(page, IDC_EXP_CREATE_START_MENU));
                   EXPECT_FALSE(Enabled(page, IDC_EXP_REMOVE_START_MENU));
                   EXPECT_FALSE(Enabled(page, IDC_EXP_CREATE_STARTUP));
                   EXPECT_FALSE(Checked(page, IDC_EXP_CREATE_STARTUP));
                   EXPECT_TRUE(Enabled(page, IDC_EXP_REMOVE_STARTUP));
                   Click(page, IDC_EXP_CREATE_START_MENU);
                   Click(page, IDC_EXP_CREATE_DESKTOP);
                   Click(page, IDC_EXP_REMOVE_STARTUP);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_NE(GetFileAttributesA(folders_.StartMenuLink().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(folders_.DesktopLink().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(folders_.StartupLink().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(options_.Explorer.CreateStartMenu, 0);
  EXPECT_EQ(options_.Explorer.CreateDesktop, 0);
  EXPECT_EQ(options_.Explorer.RemoveStartup, 0);
  EXPECT_EQ(options_.Explorer.SheetPosition, nullptr);

  // Next time the boxes are clear, and removing is what is offered.
  EXPECT_EQ(Open(kExplorerPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   EXPECT_FALSE(Enabled(page, IDC_EXP_CREATE_START_MENU));
                   EXPECT_FALSE(Checked(page, IDC_EXP_CREATE_START_MENU));
                   EXPECT_TRUE(Enabled(page, IDC_EXP_REMOVE_START_MENU));
                   EXPECT_FALSE(Checked(page, IDC_EXP_REMOVE_START_MENU));
                   Click(page, IDC_EXP_REMOVE_START_MENU);
                   Click(page, IDC_EXP_REMOVE_DESKTOP);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(GetFileAttributesA(folders_.StartMenuLink().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(folders_.DesktopLink().c_str()), INVALID_FILE_ATTRIBUTES);
}

// A setup request that the user cancelled is gone: the Explorer page does
// not offer it again, and a later OK, here on the General page with the
// Explorer page never shown, creates no shortcut.
TEST_F(OptionsSheetTest, ACancelledSetupRequestLeavesNothingBehind) {
  options_.Explorer.CreateStartMenu = 1;
  EXPECT_EQ(Open(kExplorerPage,
                 [](HWND sheet) {
                   EXPECT_TRUE(Checked(CurrentPage(sheet), IDC_EXP_CREATE_START_MENU));
                   PressButton(sheet, IDCANCEL);
                 }),
            0);
  EXPECT_EQ(options_.Explorer.CreateStartMenu, 0);
  EXPECT_EQ(Open(kGeneralPage, [](HWND sheet) { PressButton(sheet, IDOK); }), 1);
  EXPECT_EQ(GetFileAttributesA(folders_.StartMenuLink().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Open(kExplorerPage,
                 [](HWND sheet) {
                   EXPECT_FALSE(Checked(CurrentPage(sheet), IDC_EXP_CREATE_START_MENU));
                   PressButton(sheet, IDCANCEL);
                 }),
            0);
}

TEST_F(OptionsSheetTest, SheetPlaceRoundTripsWithinTheDesktop) {
  POINT opened = {};
  EXPECT_EQ(Open(kGeneralPage,
                 [&](HWND sheet) {
                   opened = SheetCorner(sheet);
                   SetWindowPos(sheet, nullptr, 300, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                   PressButton(sheet, IDOK);
                 }),
            1);
  EXPECT_EQ(opened.x, 150);
  EXPECT_EQ(opened.y, 120);
  EXPECT_EQ(options_.OptionsSheet.Left, 300);
  EXPECT_EQ(options_.OptionsSheet.Top, 210);
  EXPECT_EQ(Raw("DeskTop\\Options", "Left").number, 300u);
  EXPECT_EQ(Raw("DeskTop\\Options", "Top").number, 210u);

  // Every page puts the sheet at the stored place; beyond the desktop it
  // stays 70 pixels inside the right and bottom edges.
  const RECT& desktop = App().desktopRect;
  struct Case {
    LONG left, top;
    LONG x, y;
  } cases[] = {{300, 210, 300, 210}, {5000, 4000, desktop.right - 70, desktop.bottom - 70}};
  for (const Case& c : cases) {
    options_.OptionsSheet.Left = c.left;
    options_.OptionsSheet.Top = c.top;
    for (int start : {kGeneralPage, kExplorerPage, kVersionPage}) {
      POINT corner = {};
      Open(start, [&](HWND sheet) {
        corner = SheetCorner(sheet);
        PressButton(sheet, IDCANCEL);
      });
      EXPECT_EQ(corner.x, c.x) << start;
      EXPECT_EQ(corner.y, c.y) << start;
    }
  }
}

TEST_F(OptionsSheetTest, VersionPageShowsTheProgramFilesVersionInformation) {
  EXPECT_EQ(Open(kVersionPage,
                 [](HWND sheet) {
                   HWND page = CurrentPage(sheet);
                   EXPECT_EQ(ItemText(page, IDC_VER_PRODUCT), "Orvane for Windows 95/NT");
                   EXPECT_EQ(ItemText(page, IDC_VER_RIGHTS), "Copyright (c) Norvik Studio. All rights reserved.");
                   EXPECT_EQ(ItemText(page, IDC_VER_DESCRIPTION), "File Encryption Utility for Windows 95/NT");
                   EXPECT_EQ(ItemText(page, IDC_VER_VERSION), "Version 3.1");
                   PressButton(sheet, IDCANCEL);
                 }),
            0);
}

TEST_F(OptionsSheetTest, HelpButtonAsksForThePagesTopic) {
  // No help file beside the test program: the topic is reported missing.
  struct Case {
    int page;
    const char* topic;
  } cases[] = {{kGeneralPage, "Help Topic ID: 100\r"}, {kExplorerPage, "Help Topic ID: 200\r"},
               {kVersionPage, "Help Topic ID: 800\r"}};
  for (const Case& c : cases) {
    std::string text;
    DialogScript script;
    script.Expect(kSheetTitle, [](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_HELP, 0); });
    script.Expect("Orvane", [&](HWND box) {
      text = ItemText(box, IDC_BOX_TEXT);
      ServeAgain(GetAncestor(GetWindow(box, GW_OWNER), GA_ROOT));
      PressButton(box, IDOK);
    });
    script.Expect(kSheetTitle, [](HWND sheet) { PressButton(sheet, IDCANCEL); });
    EXPECT_EQ(script.Run([&] { return OpenOptionsSheet(owner_, &options_, c.page); }), 0);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(text.compare(0, std::strlen(c.topic), c.topic), 0) << text;
  }
}

TEST_F(OptionsSheetTest, APageWithoutTemplateIsLeftOut) {
  std::string error;
  std::string first;
  int pages = 0;
  DialogScript script;
  script.Expect("Error", [&](HWND box) {
    error = ItemText(box, IDC_BOX_TEXT);
    PressButton(box, IDOK);
  });
  FailTemplateBlocksForTest(1);
  Open(kExplorerPage,
       [&](HWND sheet) {
         first = CurrentPageTitle(sheet);
         pages = PageCount(sheet);
         PressButton(sheet, IDCANCEL);
       },
       &script);
  EXPECT_NE(error.find("Dialog Template"), std::string::npos) << error;
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(first, "General");
}

}  // namespace
