// The settings store against the real registry and profile files: defaults,
// value kinds, buffer edges, position clamping, the application stamp, the
// settings-file mode and silence when nothing can be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "context/AppContext.h"
#include "settings/SettingsStore.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/DialogDriver.h"

namespace {

using SettingsStore = SettingsRootTest;

TEST_F(SettingsStore, MissingRootSectionOrValueGivesTheDefault) {
  // Missing root; root without the section; section without the value.
  struct Situation {
    const char* what;
    const char* presentSection;  // a value stored beforehand, if any
    const char* presentName;
  };
  const Situation situations[] = {
      {"no root", nullptr, nullptr},
      {"no section", "Other", "Value"},
      {"no value", "Options", "Other"},
  };
  for (const Situation& situation : situations) {
    SCOPED_TRACE(situation.what);
    if (situation.presentSection) SetNumber(situation.presentSection, situation.presentName, 9);
    EXPECT_EQ(ReadFlag("Options", "Value", 7), 1);
    EXPECT_EQ(ReadFlag("Options", "Value", -1), 1);
    EXPECT_EQ(ReadFlag("Options", "Value", 0), 0);
    EXPECT_EQ(ReadNumber("Options", "Value", -123456), -123456);
    char text[16] = "garbage";
    EXPECT_EQ(ReadText("Options", "Value", "fallback", text), 1);
    EXPECT_STREQ(text, "fallback");
  }
}

TEST_F(SettingsStore, SettingsKeyExistsOnlyOnceSomethingWasWritten) {
  EXPECT_EQ(SettingsKeyExists(), 0);
  WriteFlag("Options", "ToolBar", 1);
  EXPECT_EQ(SettingsKeyExists(), 1);
}

TEST_F(SettingsStore, FlagsAreStoredAsZeroOrOneAndAnyNonZeroReadsAsOne) {
  WriteFlag("Options", "Five", 5);
  WriteFlag("Options", "Negative", -1);
  WriteFlag("Options", "Zero", 0);
  for (const char* name : {"Five", "Negative"}) {
    RawValue raw = Raw("Options", name);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(raw.size, 4u) << name;
    EXPECT_EQ(raw.number, 1u) << name;
  }
  EXPECT_EQ(Raw("Options", "Zero").number, 0u);

  SetNumber("Options", "Stored5", 5);
  SetNumber("Options", "StoredHigh", 0x80000000u);
  EXPECT_EQ(ReadFlag("Options", "Stored5", 0), 1);
  EXPECT_EQ(ReadFlag("Options", "StoredHigh", 0), 1);
  EXPECT_EQ(ReadFlag("Options", "Zero", 1), 0);
}

TEST_F(SettingsStore, NumbersKeepTheirBitPattern) {
  WriteNumber("Options", "Minus", -1);
  WriteNumber("Options", "Height", -10);
  RawValue minus = Raw("Options", "Minus");
  EXPECT_EQ(minus.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(minus.size, 4u);
  EXPECT_EQ(minus.number, 0xFFFFFFFFu);
  EXPECT_EQ(Raw("Options", "Height").number, 0xFFFFFFF6u);
  EXPECT_EQ(ReadNumber("Options", "Minus", 0), -1);
  EXPECT_EQ(ReadNumber("Options", "Height", 0), -10);

  // A value too big for a number is not a number.
  SetText("Options", "Long", "longer than four bytes");
  EXPECT_EQ(ReadNumber("Options", "Long", 42), 42);
}

TEST_F(SettingsStore, TextIsStoredWithItsTerminator) {
  WriteText("Options", "Path", "c:\\data");
  RawValue raw = Raw("Options", "Path");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.size, 8u);
  EXPECT_EQ(raw.text, "c:\\data");
  WriteText("Options", "Empty", "");
  EXPECT_EQ(Raw("Options", "Empty").size, 1u);
}

TEST_F(SettingsStore, TextMustFitTheBufferWithItsTerminator) {
  SetText("Options", "Seven", "1234567");
  SetText("Options", "Eight", "12345678");
  char buffer[8];
  ReadText("Options", "Seven", "default", buffer);
  EXPECT_STREQ(buffer, "1234567");
  ReadText("Options", "Eight", "default", buffer);
  EXPECT_STREQ(buffer, "default");

  // Values of other types are read as they stand, but always come back as a
  // terminated text: a binary value that fills the buffer does not fit.
  WriteRaw(HKEY_CURRENT_USER, Key("Options"), "Binary8", REG_BINARY, "abcdefgh", 8);
  WriteRaw(HKEY_CURRENT_USER, Key("Options"), "Binary3", REG_BINARY, "xyz", 3);
  std::memset(buffer, 'Q', sizeof buffer);
  ReadText("Options", "Binary8", "default", buffer);
  EXPECT_STREQ(buffer, "default");
  std::memset(buffer, 'Q', sizeof buffer);
  ReadText("Options", "Binary3", "default", buffer);
  EXPECT_STREQ(buffer, "xyz");
}

TEST(ClampPosition, KeepsTheCornerOnTheDesktop) {
  struct Case {
    RECT desktop;
    LONG top, left;
    LONG clampedTop, clampedLeft;
  };
  const Case cases[] = {
      {{0, 0, 1024, 768}, -4, 0, -4, 0},       // up to 4 pixels above the top
      {{0, 0, 1024, 768}, -5, -1, 0, 0},
      {{0, 0, 1024, 768}, 733, 989, 733, 989},  // 35 pixels inside the bottom right
      {{0, 0, 1024, 768}, 734, 990, 733, 989},
      {{0, 0, 1024, 768}, 5000, 5000, 733, 989},
      {{100, 50, 800, 600}, 46, 100, 46, 100},
      {{100, 50, 800, 600}, 45, 99, 50, 100},
      {{100, 50, 800, 600}, 566, 766, 565, 765},
  };
  for (const Case& c : cases) {
    WindowPosition position = {c.top, c.left, 123, 456, 7};
    ClampPosition(position, c.desktop);
    EXPECT_EQ(position.Top, c.clampedTop) << c.top << "," << c.left;
    EXPECT_EQ(position.Left, c.clampedLeft) << c.top << "," << c.left;
    EXPECT_EQ(position.Height, 123);
    EXPECT_EQ(position.Width, 456);
    EXPECT_EQ(position.Show, 7);
  }
}

TEST_F(SettingsStore, PositionsAreClampedWhenReadNotWhenWritten) {
  RECT saved = App().desktopRect;
  App().desktopRect = {0, 0, 1024, 768};

  WindowPosition position = {};
  ReadPosition("DeskTop\\Missing", position);
  ExpectPosition(position, 35, 35, 200, 350, 1);

  WindowPosition off = {-5, 990, 300, 400, 0};
  WritePosition("DeskTop\\Window", off);
  EXPECT_EQ(Raw("DeskTop\\Window", "Top").number, static_cast<DWORD>(-5));
  EXPECT_EQ(Raw("DeskTop\\Window", "Left").number, 990u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Height").number, 300u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Width").number, 400u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Show").number, 0u);
  ReadPosition("DeskTop\\Window", position);
  ExpectPosition(position, 0, 989, 300, 400, 0);

  App().desktopRect = saved;
}

TEST_F(SettingsStore, ColumnWidthsAreNumberedFromOne) {
  const LONG widths[3] = {270, 60, 140};
  StoreColumnWidths("Options\\Encrypt", 3, widths);
  EXPECT_EQ(Raw("Options\\Encrypt", "Column-1").number, 270u);
  EXPECT_EQ(Raw("Options\\Encrypt", "Column-2").number, 60u);
  EXPECT_EQ(Raw("Options\\Encrypt", "Column-3").number, 140u);
  EXPECT_FALSE(Raw("Options\\Encrypt", "Column-0").found);

  LONG read[4] = {};
  LoadColumnWidths("Options\\Encrypt", 4, read);
  EXPECT_EQ(read[0], 270);
  EXPECT_EQ(read[1], 60);
  EXPECT_EQ(read[2], 140);
  EXPECT_EQ(read[3], 150);  // missing
}

TEST_F(SettingsStore, FontKeepsTheLowEightBitsOfItsByteFields) {
  LOGFONTA font = {};
  COLORREF colour = 99;
  ReadFont("Font\\Display", font, colour);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -10);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(font.lfOutPrecision, 1);
  EXPECT_EQ(font.lfClipPrecision, 2);
  EXPECT_EQ(font.lfQuality, 1);
  EXPECT_EQ(font.lfPitchAndFamily, 34);
  EXPECT_EQ(colour, 0u);

  font.lfCharSet = 238;
  font.lfItalic = 255;
  std::strcpy(font.lfFaceName, "Courier New");
  WriteFont("Font\\Display", font, RGB(1, 2, 3));
  EXPECT_EQ(Raw("Font\\Display", "CharSet").number, 238u);  // unsigned, not -18
  EXPECT_EQ(Raw("Font\\Display", "Italic").number, 255u);
  EXPECT_EQ(Raw("Font\\Display", "PitchFamily").number, 34u);
  EXPECT_EQ(Raw("Font\\Display", "Colour").number, static_cast<DWORD>(RGB(1, 2, 3)));
  EXPECT_EQ(Raw("Font\\Display", "FaceName").text, "Courier New");

  SetNumber("Font\\Display", "Underline", 0x1FF);
  LOGFONTA back = {};
  ReadFont("Font\\Display", back, colour);
  EXPECT_EQ(back.lfUnderline, 0xFF);
  EXPECT_EQ(back.lfCharSet, 238);
  EXPECT_STREQ(back.lfFaceName, "Courier New");
  EXPECT_EQ(colour, static_cast<COLORREF>(RGB(1, 2, 3)));

  SetText("Font\\Display", "FaceName", std::string(32, 'F'));
  ReadFont("Font\\Display", back, colour);
  EXPECT_STREQ(back.lfFaceName, "MS Sans Serif");
  SetText("Font\\Display", "FaceName", std::string(31, 'F'));
  ReadFont("Font\\Display", back, colour);
  EXPECT_EQ(std::string(back.lfFaceName), std::string(31, 'F'));
}

// Stamps for a product of the test's own and removes its machine-wide
// entries before and after, so that nothing left by an earlier run counts.
class ApplicationStamp : public SettingsRootTest {
 protected:
  void SetUp() override {
    SettingsRootTest::SetUp();
    savedPaths_ = App().paths;
    RemoveMachineEntries();
  }
  void TearDown() override {
    RemoveMachineEntries();
    App().paths = savedPaths_;
    SettingsRootTest::TearDown();
  }

  static void RemoveMachineEntries() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kAppPaths);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik Studio\\OrvaneTest Stamp");
    HKEY help;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHelp, 0, KEY_SET_VALUE, &help) == ERROR_SUCCESS) {
      RegDeleteValueA(help, "orvane.hlp");
      RegCloseKey(help);
    }
    WriteProfileStringA("Norvik Studio", kTitle, nullptr);
  }

  // The names of the application-path keys, as stored (the registry itself
  // compares them without regard to case).
  static std::set<std::string> AppPathNames() {
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                      0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
      return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof name;
      if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      names.insert(name);
    }
    RegCloseKey(key);
    return names;
  }

  static constexpr const char* kTitle = "OrvaneTest Stamp";
  static constexpr const char* kAppPaths =
      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVANE.EXE";
  static constexpr const char* kHelp = "Software\\Microsoft\\Windows\\Help";
  AppPaths savedPaths_;
};

TEST_F(ApplicationStamp, WritesTheMachineWideEntriesForTheModule) {
  struct Case {
    const char* module;
    const char* folder;
  };
  const Case cases[] = {
      {"c:\\tools\\orvane.exe", "c:\\tools"},
      {"c:\\orvane.exe", "c:\\"},  // a drive's root keeps its backslash
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    RemoveMachineEntries();
    FillAppPaths(c.module, App().paths);
    EXPECT_EQ(WriteApplicationStamp(kTitle, "v9.9"), 1);

    EXPECT_EQ(AppPathNames().count("ORVANE.EXE"), 1u);
    RawValue path = ReadRaw(HKEY_LOCAL_MACHINE, kAppPaths, nullptr);
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path.text, c.module);
    EXPECT_EQ(path.size, std::strlen(c.module) + 1);
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kAppPaths, "Path").text, c.folder);
    RawValue help = ReadRaw(HKEY_LOCAL_MACHINE, kHelp, "orvane.hlp");
    EXPECT_EQ(help.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(help.text, c.folder);
    RawValue version =
        ReadRaw(HKEY_LOCAL_MACHINE, "Software\\Norvik Studio\\OrvaneTest Stamp\\Version", nullptr);
    EXPECT_EQ(version.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(version.text, "v9.9");
    char line[64] = "";
    GetProfileStringA("Norvik Studio", kTitle, "", line, sizeof line);
    EXPECT_STREQ(line, "v9.9");
  }
}

TEST_F(ApplicationStamp, WritesTheAbstractAndApplicationSections) {
  FillAppPaths("c:\\tools\\orvane.exe", App().paths);
  WriteApplicationStamp(kTitle, "v9.9");
  EXPECT_EQ(Raw("Abstract", "Warning").text,
            "These settings are used by OrvaneTest Stamp v9.9. Do NOT modify these settings "
            "manually!");
  EXPECT_EQ(Raw("Application", "Program").text, kTitle);
  EXPECT_EQ(Raw("Application", "Version").text, "v9.9");
  EXPECT_EQ(Raw("Application", "Company").text, "Norvik Studio");
  EXPECT_EQ(Raw("Application", "AOL").text, "No Longer Available");
  for (const char* contact :
       {"Author", "Address", "Post Office", "Telephone", "CompuServe", "WebSite", "Email"}) {
    RawValue value = Raw("Application", contact);
    EXPECT_TRUE(value.found) << contact;
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ)) << contact;
  }
  EXPECT_EQ(AllValues().size(), 1u + 11u);  // "Abstract" and "Application" only
}

// An empty root sends every single value to the settings file.
class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    savedRoot_ = SettingsRoot();
    savedPaths_ = App().paths;
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::snprintf(App().paths.settingsFile, sizeof App().paths.settingsFile,
                  "%sorvane-settings-test.ini", folder);
    DeleteFileA(App().paths.settingsFile);
    SetSettingsRoot("");
  }
  void TearDown() override {
    DeleteFileA(App().paths.settingsFile);
    App().paths = savedPaths_;
    SetSettingsRoot(savedRoot_.c_str());
    machineEntries_.Restore();
  }

  std::string FileValue(const char* section, const char* name) const {
    char text[256];
    GetPrivateProfileStringA(section, name, "<missing>", text, sizeof text,
                             App().paths.settingsFile);
    return text;
  }

  std::string savedRoot_;
  AppPaths savedPaths_;
  MachineEntries machineEntries_;
};

TEST_F(SettingsFile, SingleValuesGoToTheProfileFile) {
  EXPECT_EQ(ReadFlag("Options", "ToolBar", 7), 1);
  EXPECT_EQ(ReadFlag("Options", "ToolBar", 0), 0);
  EXPECT_EQ(ReadNumber("Options", "Code", 77), 77);

  WriteFlag("Options", "ToolBar", 5);
  WriteFlag("Options", "Hide", 0);
  WriteNumber("Options", "Code", -1);
  WriteNumber("DeskTop\\Window", "Top", 120);
  WriteText("Options", "Path", "c:\\data");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, App().paths.settingsFile);

  EXPECT_EQ(FileValue("Options", "ToolBar"), "1");
  EXPECT_EQ(FileValue("Options", "Hide"), "0");
  EXPECT_EQ(FileValue("Options", "Code"), "4294967295");
  EXPECT_EQ(FileValue("DeskTop\\Window", "Top"), "120");
  EXPECT_EQ(FileValue("Options", "Path"), "c:\\data");

  EXPECT_EQ(ReadFlag("Options", "ToolBar", 0), 1);
  EXPECT_EQ(ReadFlag("Options", "Hide", 1), 0);
  EXPECT_EQ(ReadNumber("DeskTop\\Window", "Top", 0), 120);
  EXPECT_EQ(ReadNumber("Options", "Code", 0), -1);
  char text[32];
  ReadText("Options", "Path", "", text);
  EXPECT_STREQ(text, "c:\\data");
  ReadText("Options", "Missing", "fallback", text);
  EXPECT_STREQ(text, "fallback");

  WriteApplicationStamp("Orvane for Windows 95/NT", "v3.1");
  EXPECT_EQ(FileValue("Abstract", "Warning"),
            "These settings are used by Orvane for Windows 95/NT v3.1. Do NOT modify these "
            "settings manually!");
  EXPECT_EQ(FileValue("Application", "AOL"), "No Longer Available");
}

TEST_F(SettingsStore, WritesThatCannotBeCreatedAreSilent) {
  MakeRootVolatile();
  HKEY section;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key("Options").c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &section, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);

  DialogScript noBoxes;
  int results = noBoxes.Run([] {
    const WindowPosition position = {1, 2, 3, 4, 5};
    const LONG widths[3] = {1, 2, 3};
    LOGFONTA font = {};
    return WriteFlag("Options", "ToolBar", 1) + WriteNumber("Options", "Code", 5) +
           WriteText("Options", "Path", "c:\\") + WritePosition("DeskTop\\Window", position) +
           StoreColumnWidths("Options\\Encrypt", 3, widths) +
           WriteFont("Font\\Display", font, 0);
  });
  EXPECT_EQ(results, 6);
  EXPECT_TRUE(noBoxes.Passed()) << noBoxes.Report();
  EXPECT_TRUE(AllValues().empty());
  EXPECT_EQ(ReadNumber("Options", "Code", 9), 9);
}

TEST_F(SettingsStore, ASectionKeyTooLongForItsBufferIsNeitherReadNorWritten) {
  // Root and section need 258 characters; cut to the 255 that fit, the path
  // would name the key "Options\Warni" below the root.
  std::string longRoot = root_ + "\\" + std::string(241 - root_.size() - 1, 'r');
  ASSERT_EQ(longRoot.size() + 1 + std::strlen("Options\\Warnings"), 258u);
  const std::string cut = longRoot + "\\Options\\Warni";
  WriteRawNumber(HKEY_CURRENT_USER, cut, "Sounds", 5);
  SetSettingsRoot(longRoot.c_str());

  EXPECT_EQ(ReadNumber("Options\\Warnings", "Sounds", 1), 1);
  WriteNumber("Options\\Warnings", "Sounds", 7);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, cut, "Sounds").number, 5u);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, longRoot + "\\Options\\Warnings", "Sounds").found);
}

}  // namespace
