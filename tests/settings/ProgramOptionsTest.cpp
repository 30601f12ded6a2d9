// The program options against the real registry: the registry names and
// defaults that users' existing settings rely on, the first run, the value
// kinds, clamping, and the status line after a save.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "context/AppContext.h"
#include "settings/ProgramOptions.h"
#include "settings/SettingsStore.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/DialogDriver.h"

namespace {

// Every value below the settings root, written by hand from the options'
// documentation: section, value name, kind and the default when missing.
// A rename here means users lose their settings.
struct PinnedValue {
  std::string section;
  std::string name;
  DWORD type;
  DWORD number;      // REG_DWORD
  const char* text;  // REG_SZ; nullptr: any text (the maker's contact details)
};

std::vector<PinnedValue> PinnedValues() {
  std::vector<PinnedValue> values = {
      {"Options", "FileSpec", REG_SZ, 0, ""},
      {"Options", "Path", REG_SZ, 0, ""},
      {"Options", "ToolBar", REG_DWORD, 1, nullptr},
      {"Options", "Status", REG_DWORD, 1, nullptr},
      {"Options", "Tips", REG_DWORD, 1, nullptr},
      {"Options", "TopMost", REG_DWORD, 0, nullptr},
      {"Options", "Hide", REG_DWORD, 0, nullptr},
      {"Options", "Confirm", REG_DWORD, 1, nullptr},
      {"Options", "Code", REG_DWORD, 0, nullptr},
      {"Options", "NSAErasures", REG_DWORD, 0, nullptr},
      {"Options", "LogFile", REG_DWORD, 1, nullptr},
      {"Options", "Cleanup", REG_DWORD, 1, nullptr},
      {"Options", "TaskTray", REG_DWORD, 0, nullptr},
      {"Options", "Minimized", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "Duplicates", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "FileNotFound", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "WrongFormat", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "BadPassword", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "TempFile", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "FolderType", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "MissingExt", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "LockedFile", REG_DWORD, 0, nullptr},
      {"Options\\Warnings", "Sounds", REG_DWORD, 1, nullptr},
      {"Options\\Encrypt", "Column-1", REG_DWORD, 150, nullptr},
      {"Options\\Encrypt", "Column-2", REG_DWORD, 150, nullptr},
      {"Options\\Encrypt", "Column-3", REG_DWORD, 150, nullptr},
      {"Options\\Decode", "Column-1", REG_DWORD, 150, nullptr},
      {"Options\\Decode", "Column-2", REG_DWORD, 150, nullptr},
      {"Options\\Decode", "Column-3", REG_DWORD, 150, nullptr},
      {"Font\\Display", "FaceName", REG_SZ, 0, "MS Sans Serif"},
      {"Font\\Display", "Height", REG_DWORD, 0xFFFFFFF6u, nullptr},  // -10
      {"Font\\Display", "Width", REG_DWORD, 0, nullptr},
      {"Font\\Display", "Escapement", REG_DWORD, 0, nullptr},
      {"Font\\Display", "Orientation", REG_DWORD, 0, nullptr},
      {"Font\\Display", "Weight", REG_DWORD, 400, nullptr},
      {"Font\\Display", "Italic", REG_DWORD, 0, nullptr},
      {"Font\\Display", "Underline", REG_DWORD, 0, nullptr},
      {"Font\\Display", "StrikeOut", REG_DWORD, 0, nullptr},
      {"Font\\Display", "CharSet", REG_DWORD, 0, nullptr},
      {"Font\\Display", "OutPrecision", REG_DWORD, 1, nullptr},
      {"Font\\Display", "ClipPrecision", REG_DWORD, 2, nullptr},
      {"Font\\Display", "Quality", REG_DWORD, 1, nullptr},
      {"Font\\Display", "PitchFamily", REG_DWORD, 34, nullptr},
      {"Font\\Display", "Colour", REG_DWORD, 0, nullptr},
      {"Abstract", "Warning", REG_SZ, 0,
       "These settings are used by Orvane for Windows 95/NT v3.1. Do NOT modify these settings "
       "manually!"},
      {"Application", "Program", REG_SZ, 0, "Orvane for Windows 95/NT"},
      {"Application", "Version", REG_SZ, 0, "v3.1"},
      {"Application", "Author", REG_SZ, 0, nullptr},
      {"Application", "Company", REG_SZ, 0, "Norvik Studio"},
      {"Application", "Address", REG_SZ, 0, nullptr},
      {"Application", "Post Office", REG_SZ, 0, nullptr},
      {"Application", "Telephone", REG_SZ, 0, nullptr},
      {"Application", "CompuServe", REG_SZ, 0, nullptr},
      {"Application", "AOL", REG_SZ, 0, "No Longer Available"},
      {"Application", "WebSite", REG_SZ, 0, nullptr},
      {"Application", "Email", REG_SZ, 0, nullptr},
  };
  for (const char* section : {"DeskTop\\Window", "DeskTop\\Password", "DeskTop\\Options",
                              "DeskTop\\GetFile", "DeskTop\\PutFile", "DeskTop\\Setup",
                              "DeskTop\\Property"}) {
    values.push_back({section, "Top", REG_DWORD, 35, nullptr});
    values.push_back({section, "Left", REG_DWORD, 35, nullptr});
    values.push_back({section, "Height", REG_DWORD, 200, nullptr});
    values.push_back({section, "Width", REG_DWORD, 350, nullptr});
    values.push_back({section, "Show", REG_DWORD, 1, nullptr});
  }
  return values;
}

std::set<std::pair<std::string, std::string>> PinnedNames() {
  std::set<std::pair<std::string, std::string>> names;
  for (const PinnedValue& value : PinnedValues()) names.insert({value.section, value.name});
  return names;
}

// The flags with the field each one fills.
struct FlagField {
  const char* section;
  const char* name;
  LONG defaultValue;
  LONG& (*field)(ProgramOptions&);
};

#define FIELD(member) [](ProgramOptions& o) -> LONG& { return o.member; }
const FlagField kFlagFields[] = {
    {"Options", "ToolBar", 1, FIELD(ToolBar)},
    {"Options", "Status", 1, FIELD(Status)},
    {"Options", "Tips", 1, FIELD(Tips)},
    {"Options", "TopMost", 0, FIELD(TopMost)},
    {"Options", "Hide", 0, FIELD(Hide)},
    {"Options", "Confirm", 1, FIELD(Confirm)},
    {"Options", "NSAErasures", 0, FIELD(NSAErasures)},
    {"Options", "LogFile", 1, FIELD(LogFile)},
    {"Options", "Cleanup", 1, FIELD(Cleanup)},
    {"Options", "TaskTray", 0, FIELD(TaskTray)},
    {"Options", "Minimized", 0, FIELD(Minimized)},
    {"Options\\Warnings", "Duplicates", 0, FIELD(Warnings[kWarnDuplicates])},
    {"Options\\Warnings", "FileNotFound", 0, FIELD(Warnings[kWarnFileNotFound])},
    {"Options\\Warnings", "WrongFormat", 0, FIELD(Warnings[kWarnWrongFormat])},
    {"Options\\Warnings", "BadPassword", 0, FIELD(Warnings[kWarnBadPassword])},
    {"Options\\Warnings", "TempFile", 0, FIELD(Warnings[kWarnTempFile])},
    {"Options\\Warnings", "FolderType", 0, FIELD(Warnings[kWarnFolderType])},
    {"Options\\Warnings", "MissingExt", 0, FIELD(Warnings[kWarnMissingExt])},
    {"Options\\Warnings", "LockedFile", 0, FIELD(Warnings[kWarnLockedFile])},
    {"Options\\Warnings", "Sounds", 1, FIELD(Sounds)},
};
#undef FIELD

// A settings root of the test's own, a known desktop, and the process-wide
// companions and flags restored afterwards.
class ProgramOptionsTest : public SettingsRootTest {
 protected:
  void SetUp() override {
    SettingsRootTest::SetUp();
    savedDesktop_ = App().desktopRect;
    savedStatusBar_ = App().statusBar;
    savedFont_ = DisplayFont();
    savedDialogs_ = DialogPositions();
    savedFlags_[0] = SoundsFlag;
    savedFlags_[1] = LogFlag;
    savedFlags_[2] = FirstRun;
    App().desktopRect = {0, 0, 1024, 768};
    App().statusBar = nullptr;
  }

  void TearDown() override {
    App().desktopRect = savedDesktop_;
    App().statusBar = savedStatusBar_;
    DisplayFont() = savedFont_;
    DialogPositions() = savedDialogs_;
    SoundsFlag = savedFlags_[0];
    LogFlag = savedFlags_[1];
    FirstRun = savedFlags_[2];
    SettingsRootTest::TearDown();
  }

  // An existing but empty root: no first run, every value missing.
  void CreateEmptyRoot() const {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // The pinned values that differ from their defaults after a first run on
  // this test's 1024 x 768 desktop.
  static DWORD FirstRunValue(const PinnedValue& value) {
    const std::pair<const char*, DWORD> columns[] = {
        {"Column-1", 270}, {"Column-2", 60}, {"Column-3", 140}};
    if (value.section == "Options\\Encrypt" || value.section == "Options\\Decode")
      for (const auto& column : columns)
        if (value.name == column.first) return column.second;
    if (value.section == "DeskTop\\Window") {
      if (value.name == "Top") return (768 - 335) / 2;
      if (value.name == "Left") return (1024 - 500) / 2;
      if (value.name == "Height") return 335;
      if (value.name == "Width") return 500;
    }
    if (value.section == "DeskTop\\Options") {
      if (value.name == "Top") return (768 - 375) / 2;
      if (value.name == "Left") return (1024 - 500) / 2;
    }
    return value.number;
  }

  void ExpectStored(const PinnedValue& value, DWORD number) const {
    SCOPED_TRACE(value.section + " / " + value.name);
    RawValue raw = Raw(value.section.c_str(), value.name.c_str());
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, value.type);
    if (value.type == REG_DWORD) {
      EXPECT_EQ(raw.size, 4u);
      EXPECT_EQ(raw.number, number);
    } else {
      EXPECT_EQ(raw.size, raw.text.size() + 1);
      if (value.text) {
        EXPECT_EQ(raw.text, value.text);
      }
    }
  }

  RECT savedDesktop_;
  HWND savedStatusBar_;
  DisplayFontSetting savedFont_;
  DialogPositionSet savedDialogs_;
  int savedFlags_[3];
};

TEST_F(ProgramOptionsTest, MissingValuesLoadTheirDefaultsAndSaveUnderTheirNames) {
  CreateEmptyRoot();
  ProgramOptions options = {};
  EXPECT_EQ(LoadOptions(&options), 1);
  EXPECT_EQ(FirstRun, 0);
  EXPECT_EQ(SaveOptions(&options), 1);

  for (const PinnedValue& value : PinnedValues()) ExpectStored(value, value.number);
  EXPECT_EQ(AllValues(), PinnedNames());
}

TEST_F(ProgramOptionsTest, FirstRunCentresTheWindowAndWritesEverything) {
  App().desktopRect = {0, 0, 1023, 767};  // odd sizes: halves round down
  ProgramOptions options = {};
  EXPECT_EQ(LoadOptions(&options), 1);
  EXPECT_EQ(FirstRun, 1);

  for (const LONG* columns : {options.EncryptColumns, options.DecodeColumns}) {
    EXPECT_EQ(columns[0], 270);
    EXPECT_EQ(columns[1], 60);
    EXPECT_EQ(columns[2], 140);
  }
  ExpectPosition(options.Window, 216, 261, 335, 500, 1);
  ExpectPosition(options.OptionsSheet, 196, 261, 200, 350, 1);
  ExpectPosition(options.PasswordDialog, 35, 35, 200, 350, 1);
  ExpectPosition(DialogPositions().GetFile, 35, 35, 200, 350, 1);
  EXPECT_STREQ(DisplayFont().Font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(DisplayFont().Font.lfHeight, -10);
  EXPECT_EQ(options.ToolBar, 1);
  EXPECT_EQ(options.TopMost, 0);
  EXPECT_EQ(options.Code, 0u);
  EXPECT_EQ(SoundsFlag, 1);
  EXPECT_EQ(LogFlag, 1);

  EXPECT_EQ(AllValues(), PinnedNames());
  EXPECT_EQ(Raw("DeskTop\\Window", "Top").number, 216u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Left").number, 261u);
  EXPECT_EQ(Raw("DeskTop\\Options", "Top").number, 196u);
  EXPECT_EQ(Raw("Options\\Decode", "Column-2").number, 60u);

  ProgramOptions again = {};
  LoadOptions(&again);
  EXPECT_EQ(FirstRun, 0);
  ExpectPosition(again.Window, 216, 261, 335, 500, 1);
  EXPECT_EQ(again.EncryptColumns[0], 270);
}

TEST_F(ProgramOptionsTest, FirstRunOnTheTestDesktopStoresTheCentredValues) {
  ProgramOptions options = {};
  LoadOptions(&options);
  for (const PinnedValue& value : PinnedValues()) ExpectStored(value, FirstRunValue(value));
}

TEST_F(ProgramOptionsTest, EachFlagFillsItsOwnFieldAndIsSavedAsZeroOrOne) {
  for (const FlagField& flag : kFlagFields) {
    SCOPED_TRACE(std::string(flag.section) + " / " + flag.name);
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
    CreateEmptyRoot();
    // A stored 5 is a set flag like a stored 1.
    SetNumber(flag.section, flag.name, flag.defaultValue ? 0 : 5);

    ProgramOptions options = {};
    LoadOptions(&options);
    for (const FlagField& other : kFlagFields) {
      LONG expected = &other == &flag ? !flag.defaultValue : other.defaultValue;
      EXPECT_EQ(other.field(options), expected) << other.name;
    }
    EXPECT_EQ(SoundsFlag, options.Sounds);
    EXPECT_EQ(LogFlag, options.LogFile);

    SaveOptions(&options);
    EXPECT_EQ(Raw(flag.section, flag.name).number, flag.defaultValue ? 0u : 1u);
  }
}

TEST_F(ProgramOptionsTest, NumbersTextsAndPositionsFillTheirOwnFields) {
  SetNumber("Options", "Code", 0xFFFFFFFFu);
  SetText("Options", "FileSpec", "c:\\data\\report.doc");
  SetText("Options", "Path", "c:\\data");
  SetNumber("Options\\Encrypt", "Column-1", 11);
  SetNumber("Options\\Encrypt", "Column-3", 13);
  SetNumber("Options\\Decode", "Column-2", 22);
  const char* sections[] = {"DeskTop\\Window",  "DeskTop\\Password", "DeskTop\\Options",
                            "DeskTop\\GetFile", "DeskTop\\PutFile",  "DeskTop\\Setup",
                            "DeskTop\\Property"};
  for (DWORD i = 0; i < 7; ++i) {
    SetNumber(sections[i], "Top", 100 + i);
    SetNumber(sections[i], "Left", 200 + i);
    SetNumber(sections[i], "Height", 300 + i);
    SetNumber(sections[i], "Width", 400 + i);
    SetNumber(sections[i], "Show", 7 + i);
  }
  SetText("Font\\Display", "FaceName", "Courier New");
  SetNumber("Font\\Display", "Weight", 700);
  SetNumber("Font\\Display", "CharSet", 238);
  SetNumber("Font\\Display", "Colour", RGB(10, 20, 30));

  ProgramOptions options = {};
  LoadOptions(&options);
  EXPECT_EQ(options.Code, 0xFFFFFFFFu);
  EXPECT_STREQ(options.FileSpec, "c:\\data\\report.doc");
  EXPECT_STREQ(options.Path, "c:\\data");
  EXPECT_EQ(options.EncryptColumns[0], 11);
  EXPECT_EQ(options.EncryptColumns[1], 150);
  EXPECT_EQ(options.EncryptColumns[2], 13);
  EXPECT_EQ(options.DecodeColumns[1], 22);
  ExpectPosition(options.Window, 100, 200, 300, 400, 7);
  ExpectPosition(options.PasswordDialog, 101, 201, 301, 401, 8);
  ExpectPosition(options.OptionsSheet, 102, 202, 302, 402, 9);
  ExpectPosition(DialogPositions().GetFile, 103, 203, 303, 403, 10);
  ExpectPosition(DialogPositions().PutFile, 104, 204, 304, 404, 11);
  ExpectPosition(DialogPositions().Setup, 105, 205, 305, 405, 12);
  ExpectPosition(DialogPositions().Property, 106, 206, 306, 406, 13);
  EXPECT_STREQ(DisplayFont().Font.lfFaceName, "Courier New");
  EXPECT_EQ(DisplayFont().Font.lfWeight, 700);
  EXPECT_EQ(DisplayFont().Font.lfCharSet, 238);
  EXPECT_EQ(DisplayFont().Colour, static_cast<COLORREF>(RGB(10, 20, 30)));

  // The run-time fields are never stored.
  options.Busy = kEncrypting;
  options.EncryptSelection = 4;
  options.Explorer.CreateDesktop = 1;
  SaveOptions(&options);
  SaveOptions(&options);
  EXPECT_EQ(Raw("Options", "Code").number, 0xFFFFFFFFu);
  EXPECT_EQ(Raw("Options", "FileSpec").text, "c:\\data\\report.doc");
  for (DWORD i = 0; i < 7; ++i) {
    SCOPED_TRACE(sections[i]);
    EXPECT_EQ(Raw(sections[i], "Top").number, 100 + i);
    EXPECT_EQ(Raw(sections[i], "Show").number, 7 + i);
  }
  EXPECT_EQ(AllValues(), PinnedNames());
}

TEST_F(ProgramOptionsTest, LoadedPositionsAreClampedOntoTheDesktop) {
  SetNumber("DeskTop\\Window", "Top", static_cast<DWORD>(-4));
  SetNumber("DeskTop\\Window", "Left", static_cast<DWORD>(-1));
  SetNumber("DeskTop\\Password", "Top", static_cast<DWORD>(-5));
  SetNumber("DeskTop\\Password", "Left", 1024 - 34);
  SetNumber("DeskTop\\Property", "Top", 768 - 34);
  SetNumber("DeskTop\\Property", "Left", 1024 - 35);

  ProgramOptions options = {};
  LoadOptions(&options);
  EXPECT_EQ(options.Window.Top, -4);
  EXPECT_EQ(options.Window.Left, 0);
  EXPECT_EQ(options.PasswordDialog.Top, 0);
  EXPECT_EQ(options.PasswordDialog.Left, 1024 - 35);
  EXPECT_EQ(DialogPositions().Property.Top, 768 - 35);
  EXPECT_EQ(DialogPositions().Property.Left, 1024 - 35);
}

TEST_F(ProgramOptionsTest, AMissingSectionOrAnOverlongFaceNameGivesDefaults) {
  ProgramOptions options = {};
  LoadOptions(&options);  // the first run writes everything
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, Key("Options\\Encrypt").c_str()), ERROR_SUCCESS);
  SetText("Font\\Display", "FaceName", std::string(32, 'A'));

  ProgramOptions again = {};
  LoadOptions(&again);
  EXPECT_EQ(FirstRun, 0);
  EXPECT_EQ(again.EncryptColumns[0], 150);
  EXPECT_EQ(again.EncryptColumns[1], 150);
  EXPECT_EQ(again.EncryptColumns[2], 150);
  EXPECT_EQ(again.DecodeColumns[0], 270);
  EXPECT_STREQ(DisplayFont().Font.lfFaceName, "MS Sans Serif");
}

TEST_F(ProgramOptionsTest, WithoutARecordNothingIsLoadedOrSaved) {
  EXPECT_EQ(LoadOptions(nullptr), 0);
  EXPECT_EQ(SaveOptions(nullptr), 0);
  EXPECT_EQ(SetFirstRunDefaults(nullptr), 0);
  EXPECT_EQ(SettingsKeyExists(), 0);
}

TEST_F(ProgramOptionsTest, ASaveThatCannotWriteIsSilent) {
  MakeRootVolatile();
  ProgramOptions options = {};
  DialogScript noBoxes;
  EXPECT_EQ(noBoxes.Run([&] { return LoadOptions(&options) + SaveOptions(&options); }), 2);
  EXPECT_TRUE(noBoxes.Passed()) << noBoxes.Report();
  EXPECT_TRUE(AllValues().empty());
}

// A visible frame with a status bar standing in for the main window's.
class StatusLine {
 public:
  StatusLine() {
    frame_ = CreateWindowExA(0, "STATIC", "Orvane", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400,
                             200, nullptr, nullptr, App().instance, nullptr);
    IgnoreWindow(frame_);
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame_,
                           reinterpret_cast<HMENU>(1003), App().instance, nullptr);
  }
  ~StatusLine() { DestroyWindow(frame_); }
  HWND bar() const { return bar_; }
  std::string Text() const {
    char text[256] = "";
    SendMessageA(bar_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }

 private:
  HWND frame_;
  HWND bar_;
};

// The store shows nothing: "Options saved" is its callers' to show (the
// options sheet's test sees it after OK).
TEST_F(ProgramOptionsTest, ASaveLeavesTheStatusLineToItsCaller) {
  StatusLine status;
  ASSERT_TRUE(status.bar());
  App().statusBar = status.bar();
  ProgramOptions options = {};
  LoadOptions(&options);

  SendMessageA(status.bar(), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("before"));
  DialogScript noBoxes;
  EXPECT_EQ(noBoxes.Run([&] { return SaveOptions(&options); }), 1);
  EXPECT_TRUE(noBoxes.Passed()) << noBoxes.Report();
  EXPECT_EQ(status.Text(), "before");
  EXPECT_FALSE(AllValues().empty());
}

}  // namespace
