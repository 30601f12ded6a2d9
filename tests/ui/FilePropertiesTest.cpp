// The file properties record, the file-type lookup and the dialog, on real
// files and real registry entries, read back from the open dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/LocalTimes.h"
#include "tests/support/TempFolder.h"
#include "ui/FileProperties.h"
#include "ui/Formatting.h"
#include "ui/Messages.h"

namespace {

constexpr char kTitle[] = " File Properties";

// File types registered for the test under HKEY_CLASSES_ROOT and removed
// afterwards:
//   .ovt  complete: description and an icon of this program file
//   .ovd  description but no DefaultIcon
//   .ovn  DefaultIcon without an index
//   .ovz  DefaultIcon naming a file that holds no icons
//   .ove  complete, the icon path an expandable text with a variable
class TestFileTypes {
 public:
  explicit TestFileTypes(const std::string& noIconFile) {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    Register(".ovt", "OrvaneTestType", "Orvane Test Document", std::string(module) + ",0");
    Register(".ovd", "OrvaneTestNoIcon", "Orvane Test Without Icon", "");
    Register(".ovn", "OrvaneTestNoIndex", "Orvane Test Without Index", module);
    Register(".ovz", "OrvaneTestNotIcons", "Orvane Test Bad Icon File", noIconFile + ",0");
    SetEnvironmentVariableA("ORVANE_TEST_MODULE", module);
    Register(".ove", "OrvaneTestExpand", "Orvane Test Expanded", "%ORVANE_TEST_MODULE%,0", REG_EXPAND_SZ);
  }
  ~TestFileTypes() {
    for (const char* name : {".ovt", ".ovd", ".ovn", ".ovz", ".ove", "OrvaneTestType\\DefaultIcon", "OrvaneTestType",
                             "OrvaneTestNoIcon", "OrvaneTestNoIndex\\DefaultIcon", "OrvaneTestNoIndex",
                             "OrvaneTestNotIcons\\DefaultIcon", "OrvaneTestNotIcons", "OrvaneTestExpand\\DefaultIcon",
                             "OrvaneTestExpand"}) {
      RegDeleteKeyA(HKEY_CLASSES_ROOT, name);
    }
  }
  TestFileTypes(const TestFileTypes&) = delete;
  TestFileTypes& operator=(const TestFileTypes&) = delete;

 private:
  static void SetDefault(const std::string& keyName, const std::string& value, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << keyName;
    RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
  }
  static void Register(const char* extension, const char* className, const char* description,
                       const std::string& icon, DWORD iconType = REG_SZ) {
    SetDefault(extension, className);
    SetDefault(className, description);
    if (!icon.empty()) SetDefault(std::string(className) + "\\DefaultIcon", icon, iconType);
  }
};

// Everything the dialog shows, read while it is open.
struct Shown {
  std::string name, type, folder, size, mode, dosName, created, modified, accessed;
  HICON icon = nullptr;
  RECT window = {};
};

Shown ReadDialog(HWND dialog) {
  Shown shown;
  shown.name = ItemText(dialog, kPropertiesNameId);
  shown.type = ItemText(dialog, kPropertiesTypeId);
  shown.folder = ItemText(dialog, kPropertiesFolderId);
  shown.size = ItemText(dialog, kPropertiesSizeId);
  shown.mode = ItemText(dialog, kPropertiesModeId);
  shown.dosName = ItemText(dialog, kPropertiesDosNameId);
  shown.created = ItemText(dialog, kPropertiesCreatedId);
  shown.modified = ItemText(dialog, kPropertiesModifiedId);
  shown.accessed = ItemText(dialog, kPropertiesAccessedId);
  shown.icon = ItemIcon(dialog, kPropertiesIconId);
  GetWindowRect(dialog, &shown.window);
  return shown;
}

class FilePropertiesTest : public testing::Test {
 protected:
  FilePropertiesTest() : files_("orvane-properties"), types_(files_.MakeFile("plain.txt", "no icons here")) {
    DialogPositions().Property = WindowPosition{35, 35, 0, 0, 0};
  }

  // Opens the dialog for `path`, reads it and closes it with `closeId`.
  Shown Show(const std::string& path, int closeId = IDOK) {
    Shown shown;
    DialogScript script;
    script.Expect(kTitle, [&](HWND dialog) {
      shown = ReadDialog(dialog);
      PressButton(dialog, closeId);
    });
    EXPECT_EQ(script.Run([&] { return ShowFileProperties(nullptr, path.c_str()); }), 1);
    EXPECT_TRUE(script.Passed()) << script.Report();
    return shown;
  }

  TempFolder files_;
  TestFileTypes types_;
};

TEST_F(FilePropertiesTest, ShowsARegisteredFile) {
  const std::string path = files_.MakeFile("sample.ovt", std::string(1024, 'x'));
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const FILETIME modified = LocalToFileTime(At(2026, 12, 7, 1, 21, 5));
  const FILETIME accessed = LocalToFileTime(At(2027, 1, 1, 5, 0, 0));
  ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, &modified));
  CloseHandle(file);
  // The file system decides the creation time; it is shown like the others.
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  char created[kFormatTextSize];
  FormatFileTime(data.ftCreationTime, created);

  Shown shown = Show(path);
  EXPECT_EQ(shown.name, "sample.ovt");
  EXPECT_EQ(shown.type, "Orvane Test Document");
  EXPECT_EQ(shown.folder, files_.Folder());
  EXPECT_EQ(shown.size, "1 K Bytes (1024)");
  EXPECT_EQ(shown.mode, "Read / Write Access");
  EXPECT_EQ(shown.dosName, "SAMPLE.OVT");
  EXPECT_EQ(shown.modified, "Monday, December 7, 2026 - 9:05 PM");
  EXPECT_EQ(shown.accessed, "Friday, January 1, 2027 - 12:00 AM");
  EXPECT_EQ(shown.created, created);
  EXPECT_NE(shown.created, "");

  // The type's icon came from ExtractIconA: shown, then destroyed when the
  // dialog closed.
  ASSERT_NE(shown.icon, nullptr);
  EXPECT_NE(shown.icon, LoadIconA(nullptr, IDI_WINLOGO));
  ICONINFO info;
  EXPECT_FALSE(GetIconInfo(shown.icon, &info));
}

TEST_F(FilePropertiesTest, ShowsAReadOnlyFileWithALongName) {
  const std::string path = files_.MakeFile("A Rather Long Name.ovd", std::string(1023, 'x'));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  char shortPath[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath), 0u);
  std::string shortName = std::strrchr(shortPath, '\\') + 1;
  CharUpperA(&shortName[0]);

  Shown shown = Show(path, IDCANCEL);
  EXPECT_EQ(shown.name, "A Rather Long Name.ovd");
  EXPECT_EQ(shown.size, "1023 Bytes (1023)");
  EXPECT_EQ(shown.mode, "Read Only Access");
  EXPECT_EQ(shown.dosName, shortName);
  // A description without an icon entry is no complete registration.
  EXPECT_EQ(shown.type, "Document");
  EXPECT_EQ(shown.icon, LoadIconA(nullptr, IDI_WINLOGO));
}

TEST_F(FilePropertiesTest, MissingFileShowsTheProgramIconAndEmptyTexts) {
  Shown shown = Show(files_.Path("gone.ovt"));
  const HICON programIcon = LoadIconA(App().instance, MAKEINTRESOURCEA(IDI_ENCRYPTED_FILE));
  ASSERT_NE(programIcon, nullptr);
  EXPECT_EQ(shown.icon, programIcon);
  for (const std::string* text : {&shown.name, &shown.type, &shown.folder, &shown.size, &shown.dosName,
                                  &shown.created, &shown.modified, &shown.accessed}) {
    EXPECT_EQ(*text, "");
  }
  EXPECT_EQ(shown.mode, "Read / Write Access");
  // The program's own icon is shared, never destroyed.
  ICONINFO info;
  EXPECT_TRUE(GetIconInfo(programIcon, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(FilePropertiesTest, NamesWithoutExtensionAmpersandOrFolder) {
  files_.MakeFolder("My.Files");
  Shown readme = Show(files_.MakeFile("My.Files\\readme", "text"));
  EXPECT_EQ(readme.name, "readme");
  EXPECT_EQ(readme.folder, files_.Path("My.Files\\"));
  EXPECT_EQ(readme.type, "Document");
  EXPECT_EQ(readme.dosName, "README");
  EXPECT_EQ(readme.size, "4 Bytes (4)");

  Shown ampersand = Show(files_.MakeFile("Tom & Jerry.ovt", std::string(1536, 'x')));
  EXPECT_EQ(ampersand.name, "Tom & Jerry.ovt");
  EXPECT_EQ(ampersand.type, "Orvane Test Document");
  EXPECT_EQ(ampersand.size, "1.50 K Bytes (1536)");

  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(files_.Folder().c_str()));
  Shown bare = Show("Tom & Jerry.ovt");
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(bare.name, "Tom & Jerry.ovt");
  EXPECT_EQ(bare.folder, "");
  EXPECT_EQ(bare.size, "1.50 K Bytes (1536)");
}

TEST_F(FilePropertiesTest, TemplateLayoutAsTheDialogManagerBuildsIt) {
  const std::string path = files_.MakeFile("Tom & Jerry.ovt", "x");
  DialogScript script;
  script.Expect(kTitle, [&](HWND dialog) {
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    RECT client;
    GetClientRect(dialog, &client);
    RECT expected = {0, 0, 225, 165};
    MapDialogRect(dialog, &expected);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);

    // Labels in child order; each value shows an ampersand literally.
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      const LONG childStyle = GetWindowLongA(child, GWL_STYLE);
      if (id == 0xFFFF && (childStyle & SS_TYPEMASK) == SS_RIGHT) labels.push_back(WindowText(child));
      if (id >= kPropertiesNameId && id <= kPropertiesDosNameId) {
        EXPECT_EQ(childStyle & SS_NOPREFIX, SS_NOPREFIX) << id;
      }
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"File:", "Type:", "Location:", "Size:", "Mode:", "MS DOS:",
                                                "Created:", "Modified:", "Accessed:"}));

    // The location value has room for two lines; OK sits at the foot.
    RECT folder;
    GetWindowRect(GetDlgItem(dialog, kPropertiesFolderId), &folder);
    RECT twoLines = {0, 0, 150, 16};
    MapDialogRect(dialog, &twoLines);
    EXPECT_EQ(folder.bottom - folder.top, twoLines.bottom);
    HWND ok = GetDlgItem(dialog, IDOK);
    EXPECT_EQ(WindowText(ok), "OK");
    EXPECT_FALSE(GetWindowLongA(ok, GWL_STYLE) & WS_TABSTOP);
    RECT okRect;
    GetWindowRect(ok, &okRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&okRect), 2);
    // The dialog manager converts position and size each on its own.
    RECT okPlace = {165, 145, 50, 14};
    MapDialogRect(dialog, &okPlace);
    EXPECT_EQ(okRect.left, okPlace.left);
    EXPECT_EQ(okRect.top, okPlace.top);
    EXPECT_EQ(okRect.right - okRect.left, okPlace.right);
    EXPECT_EQ(okRect.bottom - okRect.top, okPlace.bottom);
    PressEscape(dialog);
  });
  EXPECT_EQ(script.Run([&] { return ShowFileProperties(nullptr, path.c_str()); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST_F(FilePropertiesTest, OpensAtTheSavedPlacePulledBackOntoTheDesktop) {
  const std::string path = files_.MakeFile("sample.ovt", "x");
  ASSERT_EQ(App().desktopRect.right, 1024);
  ASSERT_EQ(App().desktopRect.bottom, 768);

  DialogPositions().Property = WindowPosition{5000, 5000, 0, 0, 0};
  Shown offScreen = Show(path);
  EXPECT_EQ(offScreen.window.left, 954);
  EXPECT_EQ(offScreen.window.top, 698);

  DialogPositions().Property = WindowPosition{120, 200, 0, 0, 0};
  Shown inside = Show(path);
  EXPECT_EQ(inside.window.left, 200);
  EXPECT_EQ(inside.window.top, 120);
}

TEST_F(FilePropertiesTest, ClosingKeepsThePositionForTheNextOpening) {
  const std::string path = files_.MakeFile("sample.ovt", "x");
  for (int closeId : {IDOK, IDCANCEL}) {
    DialogPositions().Property = WindowPosition{35, 35, 0, 0, 0};
    DialogScript script;
    RECT shown = {};
    script.Expect(kTitle, [&](HWND dialog) {
      SetWindowPos(dialog, nullptr, 300 + closeId, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      GetWindowRect(dialog, &shown);
      PressButton(dialog, closeId);
    });
    EXPECT_EQ(script.Run([&] { return ShowFileProperties(nullptr, path.c_str()); }), 1);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(DialogPositions().Property.Left, 300 + closeId);
    EXPECT_EQ(DialogPositions().Property.Top, 250);
    // The whole window placement is kept, its size too.
    EXPECT_EQ(DialogPositions().Property.Width, shown.right - shown.left);
    EXPECT_EQ(DialogPositions().Property.Height, shown.bottom - shown.top);
  }
}

TEST_F(FilePropertiesTest, ShowsTheCommandHintInTheStatusLine) {
  HWND main = CreateWindowExA(0, "STATIC", "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr,
                              nullptr, App().instance, nullptr);
  ASSERT_NE(main, nullptr);
  IgnoreWindow(main);
  HWND bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", main, 1003);
  App().statusBar = bar;

  const std::string path = files_.MakeFile("sample.ovt", "x");
  DialogScript script;
  script.Expect(kTitle, [](HWND dialog) { PressButton(dialog, IDOK); });
  EXPECT_EQ(script.Run([&] { return ShowFileProperties(main, path.c_str()); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();

  char text[256] = "";
  SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Show the selected file's properties");
  App().statusBar = nullptr;
  DestroyWindow(main);
}

TEST_F(FilePropertiesTest, NoTemplateMemoryReportsAndShowsNothing) {
  FailTemplateBlocksForTest(1);
  std::string text;
  DialogScript script;
  script.Expect("Error", [&](HWND box) {
    text = ItemText(box, 101);
    PressButton(box, IDOK);
  });
  EXPECT_EQ(script.Run([&] { return ShowFileProperties(nullptr, files_.Path("any.ovt").c_str()); }), 0);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(text, "\rCannot allocate memory for Dialog Template\r\rSize: 4098 bytes requested");
}

TEST_F(FilePropertiesTest, FileTypeRegistrations) {
  struct Case {
    const char* extension;
    const char* type;
    bool extracted;
  };
  const Case cases[] = {
      {".ovt", "Orvane Test Document", true},
      {"ovt", "Orvane Test Document", true},
      {".ovd", "Document", false},
      {".ovn", "Document", false},
      {".ovz", "Document", false},
      {".ove", "Orvane Test Expanded", true},
      {".unregistered-here", "Document", false},
      {"", "Document", false},
  };
  for (const Case& c : cases) {
    char type[kPropertyTextSize] = "stale";
    bool extracted = !c.extracted;
    HICON icon = FileTypeIcon(c.extension, type, &extracted);
    EXPECT_STREQ(type, c.type) << c.extension;
    EXPECT_EQ(extracted, c.extracted) << c.extension;
    if (extracted) {
      EXPECT_NE(icon, LoadIconA(nullptr, IDI_WINLOGO));
      DestroyIcon(icon);
    } else {
      EXPECT_EQ(icon, LoadIconA(nullptr, IDI_WINLOGO)) << c.extension;
    }
  }
  EXPECT_EQ(FileTypeIcon(".ovd", nullptr), LoadIconA(nullptr, IDI_WINLOGO));
}

TEST(FileProperties, PathParts) {
  struct Case {
    const char* path;
    const char* name;
    const char* folder;
  };
  const Case cases[] = {
      {"D:\\Docs\\Report.doc", "Report.doc", "D:\\Docs\\"},
      {"Report.doc", "Report.doc", ""},
      {"D:\\", "", "D:\\"},
      {"\\\\server\\share\\a b.txt", "a b.txt", "\\\\server\\share\\"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    char name[kPropertyTextSize];
    char folder[kPropertyTextSize];
    EXPECT_STREQ(FileNameOf(c.path, name), c.name) << c.path;
    EXPECT_STREQ(FolderOf(c.path, folder), c.folder) << c.path;
  }
}

TEST(FileProperties, RecordOfAMissingPathIsAllZero) {
  FileProperties record;
  std::memset(&record, 0x5A, sizeof record);
  EXPECT_EQ(ReadFileProperties("C:\\no such folder\\no such file.txt", record), 0);
  const FileProperties zero = {};
  EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0);
}

TEST(FileProperties, RecordOfAFolder) {
  TempFolder files("orvane-properties-folder");
  const std::string folder = files.MakeFolder("Sub Folder");
  FileProperties record;
  ASSERT_EQ(ReadFileProperties(folder.c_str(), record), 1);
  EXPECT_EQ(record.directory, 1u);
  EXPECT_EQ(record.readOnly, 0u);
  EXPECT_STREQ(record.name, "Sub Folder");
  ReleaseFileProperties(record);
  EXPECT_EQ(record.icon, nullptr);
}

}  // namespace
