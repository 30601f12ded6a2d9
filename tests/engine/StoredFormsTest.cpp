// What both Windows builds store, byte for byte: the 32-bit and the 64-bit
// program must read each other's files and settings. The encrypted file is
// checked against one computed by the independent model of the format
// (tests/data/stored-forms/make_files.py); the settings against the listing
// that a save of the same options gives (options.txt). A build that matches
// both reads what the other one writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "core/KeyHash.h"
#include "settings/ProgramOptions.h"
#include "tests/engine/ConverterFixture.h"
#include "tests/settings/RegistryFixture.h"

namespace {

const std::string kData = "Z:" ORVANE_STORED_FORMS_DIR "\\";
const std::string kFolder = "C:\\orvane-stored-forms\\";

DWORD StoredKey() { return static_cast<DWORD>(KeyHash("Stored forms")); }

class StoredFiles : public ConverterTest {
 protected:
  void SetUp() override {
    ConverterTest::SetUp();
    CreateDirectoryA(kFolder.c_str(), nullptr);
    keyValue = StoredKey();
    options.Cleanup = 0;
  }
  void TearDown() override {
    for (const char* name : {"Report.doc", "Report.(=doc=)", "Report.tmp"}) DeleteFileA((kFolder + name).c_str());
    RemoveDirectoryA(kFolder.c_str());
    ConverterTest::TearDown();
  }
};

TEST_F(StoredFiles, EncryptionGivesTheModelsFileByteForByte) {
  WriteBytes(kFolder + "Report.doc", ReadBytes(kData + "Report.doc"));
  ASSERT_EQ(Encrypt(kFolder + "Report.doc"), 1);
  const std::string made = ReadBytes(kFolder + "Report.(=doc=)");
  const std::string expected = ReadBytes(kData + "Report.(=doc=)");
  ASSERT_EQ(expected.size(), 3277u);
  EXPECT_TRUE(made == expected) << "the encrypted file differs from the model's";
}

TEST_F(StoredFiles, TheModelsFileDecodesToThePlainFile) {
  WriteBytes(kFolder + "Report.(=doc=)", ReadBytes(kData + "Report.(=doc=)"));
  ASSERT_EQ(Decode(kFolder + "Report.(=doc=)"), 1);
  const std::string plain = ReadBytes(kData + "Report.doc");
  ASSERT_EQ(plain.size(), 3001u);
  EXPECT_TRUE(ReadBytes(kFolder + "Report.doc") == plain) << "the decoded file differs from the plain file";
}

// Every value below the settings root as "section\name = type: bytes in
// hex", sorted by the registry's own order of keys and values.
void ListValues(HKEY root, const std::string& path, const std::string& section, std::string& out) {
  HKEY key;
  const std::string full = section.empty() ? path : path + "\\" + section;
  if (RegOpenKeyExA(root, full.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::set<std::string> lines;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[2048];
    DWORD nameLength = sizeof name, size = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    char line[5000];
    int at = std::snprintf(line, sizeof line, "%s\\%s = %lu:", section.c_str(), name, static_cast<unsigned long>(type));
    for (DWORD b = 0; b < size && at < static_cast<int>(sizeof line) - 4; ++b) {
      at += std::snprintf(line + at, sizeof line - at, " %02x", data[b]);
    }
    lines.insert(line);
  }
  for (const std::string& line : lines) out += line + "\n";
  std::set<std::string> sections;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    sections.insert(section.empty() ? name : section + "\\" + name);
  }
  RegCloseKey(key);
  for (const std::string& s : sections) ListValues(root, path, s, out);
}

class StoredSettings : public SettingsRootTest {
 protected:
  std::string Listing() const {
    std::string out;
    ListValues(HKEY_CURRENT_USER, root_, "", out);
    return out;
  }
};

// Options unlike the first run's in every kind of value: flags, numbers, the
// code, texts, positions, column widths and the font.
void FillDistinctOptions(ProgramOptions& options) {
  lstrcpyA(options.FileSpec, "C:\\orvane-stored-forms\\Report.doc");
  lstrcpyA(options.Path, "C:\\orvane-stored-forms");
  options.Window = WindowPosition{40, 30, 420, 610, SW_SHOWMAXIMIZED};
  options.PasswordDialog = WindowPosition{100, 200, 150, 300, SW_SHOWNORMAL};
  options.OptionsSheet = WindowPosition{50, 60, 380, 420, SW_SHOWNORMAL};
  options.ToolBar = 0;
  options.TopMost = 1;
  options.Code = 0x89ABCDEFu;
  options.NSAErasures = 1;
  options.Cleanup = 0;
  options.TaskTray = 1;
  options.Warnings[kWarnBadPassword] = 1;
  options.Warnings[kWarnLockedFile] = 1;
  const LONG encrypt[3] = {211, 97, 123}, decode[3] = {180, 64, 140};
  for (int i = 0; i < 3; ++i) {
    options.EncryptColumns[i] = encrypt[i];
    options.DecodeColumns[i] = decode[i];
  }
  DialogPositions().Property = WindowPosition{70, 80, 330, 290, SW_SHOWNORMAL};
  DisplayFont().Font.lfHeight = -19;
  DisplayFont().Font.lfWeight = FW_BOLD;
  DisplayFont().Font.lfItalic = 1;
  lstrcpyA(DisplayFont().Font.lfFaceName, "Courier New");
  DisplayFont().Colour = RGB(12, 34, 56);
}

TEST_F(StoredSettings, SavedOptionsAreTheListingByteForByteAndReadBackTheSame) {
  const std::string expected = ReadBytes(kData + "options.txt");
  const ProgramOptions savedOptions = Options();
  const DisplayFontSetting savedFont = DisplayFont();
  const DialogPositionSet savedPositions = DialogPositions();

  ProgramOptions options{};
  LoadOptions(&options);  // a first run: the defaults, saved
  FillDistinctOptions(options);
  SaveOptions(&options);
  const std::string written = Listing();
  EXPECT_EQ(written, expected);

  // What the listing holds reads back into the same record, and saves again
  // to the same listing.
  ProgramOptions loaded{};
  DisplayFont() = DisplayFontSetting{};
  DialogPositions() = DialogPositionSet{};
  LoadOptions(&loaded);
  EXPECT_STREQ(loaded.FileSpec, options.FileSpec);
  EXPECT_EQ(loaded.Code, 0x89ABCDEFu);
  EXPECT_EQ(loaded.NSAErasures, 1);
  EXPECT_EQ(loaded.Cleanup, 0);
  EXPECT_EQ(loaded.Window.Width, 610);
  EXPECT_EQ(loaded.EncryptColumns[0], 211);
  EXPECT_EQ(DialogPositions().Property.Left, 80);
  EXPECT_STREQ(DisplayFont().Font.lfFaceName, "Courier New");
  EXPECT_EQ(DisplayFont().Colour, RGB(12, 34, 56));
  DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
  SaveOptions(&loaded);
  EXPECT_EQ(Listing(), expected);

  Options() = savedOptions;
  DisplayFont() = savedFont;
  DialogPositions() = savedPositions;
}

}  // namespace
