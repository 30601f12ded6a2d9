// The program's shortcuts, made in a scratch profile: the shell folder
// values of the test user point into a scratch folder for each test and are
// put back afterwards, so nothing lands in the real Start Menu or Desktop.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "context/AppContext.h"
#include "ui/ExplorerIntegration.h"
#include "tests/settings/ScratchShellFolders.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"

namespace {

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a saved link holds, read back through the shell's own link object.
struct LinkContents {
  bool loaded = false;
  std::string target;
  std::string description;
};

LinkContents ReadLink(const std::string& path) {
  LinkContents contents;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      contents.loaded = true;
      char text[MAX_PATH] = "";
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      contents.target = text;
      text[0] = '\0';
      link->GetDescription(text, MAX_PATH);
      contents.description = text;
    }
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return contents;
}

class ExplorerIntegrationTest : public testing::Test {
 protected:
  static void SetFolder(int kind, const std::string& folder) { ScratchShellFolders::SetFolder(kind, folder); }
  static void DeleteFolderValue(int kind) { ScratchShellFolders::DeleteFolderValue(kind); }
  std::string StartMenuLink() const { return folders_.StartMenuLink(); }
  std::string DesktopLink() const { return folders_.DesktopLink(); }
  std::string StartupLink() const { return folders_.StartupLink(); }

  ScratchShellFolders folders_;
  const TempFolder& profile_ = folders_.Profile();
};

TEST_F(ExplorerIntegrationTest, FolderPathsWithAndWithoutTrailingBackslash) {
  struct Case {
    int kind;
    const char* stored;    // relative to the scratch profile
    const char* expected;  // relative to the scratch profile
  } cases[] = {
      {kStartMenuShortcut, "Programs", "Programs\\Norvik Studio"},
      {kStartMenuShortcut, "Programs\\", "Programs\\Norvik Studio"},
      {kDesktopShortcut, "Desktop", "Desktop"},
      {kDesktopShortcut, "Desktop\\", "Desktop"},
      {kStartupShortcut, "Startup\\", "Startup"},
  };
  for (const Case& c : cases) {
    SetFolder(c.kind, profile_.Path(c.stored));
    char folder[kShellFolderSize] = "x";
    EXPECT_EQ(ShellFolderPath(c.kind, folder), 1) << c.stored;
    EXPECT_EQ(std::string(folder), profile_.Path(c.expected)) << c.stored;
    char path[kShellFolderSize] = "x";
    EXPECT_EQ(ShortcutPath(c.kind, path), 1) << c.stored;
    EXPECT_EQ(std::string(path), profile_.Path(c.expected) + "\\Orvane.lnk") << c.stored;
  }
}

TEST_F(ExplorerIntegrationTest, UnknownFoldersGiveNoPathAndNoShortcut) {
  DeleteFolderValue(kDesktopShortcut);
  SetFolder(kStartupShortcut, "");
  // A folder so long that the maker's group no longer fits the path buffer.
  SetFolder(kStartMenuShortcut, "C:\\" + std::string(240, 'p'));
  for (int kind : {kStartMenuShortcut, kDesktopShortcut, kStartupShortcut}) {
    char folder[kShellFolderSize] = "x";
    EXPECT_EQ(ShellFolderPath(kind, folder), 0) << kind;
    EXPECT_EQ(ShortcutExists(kind), 0) << kind;
  }
  char folder[kShellFolderSize];
  EXPECT_EQ(ShellFolderPath(-1, folder), 0);
  EXPECT_EQ(ShellFolderPath(kShortcutKindCount, folder), 0);

  // Creating and removing show nothing: the script expects no box at all.
  DialogScript script;
  script.Run([] {
    for (int kind : {kStartMenuShortcut, kDesktopShortcut, kStartupShortcut}) {
      EXPECT_EQ(CreateShortcut(nullptr, kind), 0) << kind;
      EXPECT_EQ(RemoveShortcut(nullptr, kind), 0) << kind;
    }
    PumpMessages(100);
    return 0;
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST_F(ExplorerIntegrationTest, StartMenuItemCreatesTheMakersGroup) {
  ASSERT_FALSE(FileExists(profile_.Path("Programs\\Norvik Studio")));
  EXPECT_EQ(ShortcutExists(kStartMenuShortcut), 0);

  EXPECT_EQ(CreateShortcut(nullptr, kStartMenuShortcut), 1);
  EXPECT_EQ(ShortcutExists(kStartMenuShortcut), 1);
  LinkContents link = ReadLink(StartMenuLink());
  ASSERT_TRUE(link.loaded);
  EXPECT_STRCASEEQ(link.target.c_str(), App().paths.module);
  EXPECT_EQ(link.description, "Orvane");

  // The group stays when its one shortcut goes.
  EXPECT_EQ(RemoveShortcut(nullptr, kStartMenuShortcut), 1);
  EXPECT_FALSE(FileExists(StartMenuLink()));
  EXPECT_EQ(ShortcutExists(kStartMenuShortcut), 0);
  EXPECT_TRUE(FileExists(profile_.Path("Programs\\Norvik Studio")));
}

TEST_F(ExplorerIntegrationTest, ExistsFindsAnyFileOfTheShortcutsName) {
  profile_.MakeFile("Desktop\\Orvane.lnk", "not a link");
  profile_.MakeFile("Startup\\Orvane.txt", "another name");
  EXPECT_EQ(ShortcutExists(kDesktopShortcut), 1);
  EXPECT_EQ(ShortcutExists(kStartupShortcut), 0);
}

TEST_F(ExplorerIntegrationTest, RequestsCreateThenRemoveAndAreCleared) {
  profile_.MakeFile("Startup\\Orvane.lnk", "an old shortcut");
  WindowPosition sheet{};
  ExplorerRequests requests{};
  requests.CreateStartMenu = 1;
  requests.RemoveStartMenu = 1;  // both set: created, then removed
  requests.CreateDesktop = 1;
  requests.RemoveStartup = 1;
  requests.SheetPosition = &sheet;

  DialogScript script;
  script.Run([&] {
    ApplyExplorerRequests(nullptr, &requests);
    return 0;
  });
  EXPECT_TRUE(script.Passed()) << script.Report();

  EXPECT_FALSE(FileExists(StartMenuLink()));
  EXPECT_TRUE(FileExists(profile_.Path("Programs\\Norvik Studio")));
  EXPECT_TRUE(ReadLink(DesktopLink()).loaded);
  EXPECT_FALSE(FileExists(StartupLink()));
  EXPECT_EQ(requests.CreateStartMenu, 0);
  EXPECT_EQ(requests.RemoveStartMenu, 0);
  EXPECT_EQ(requests.CreateDesktop, 0);
  EXPECT_EQ(requests.RemoveDesktop, 0);
  EXPECT_EQ(requests.CreateStartup, 0);
  EXPECT_EQ(requests.RemoveStartup, 0);
  EXPECT_EQ(requests.SheetPosition, nullptr);
}

TEST_F(ExplorerIntegrationTest, FailingSaveNamesTheProgramMethodAndUnsignedCode) {
  SetFolder(kDesktopShortcut, profile_.Path("No Such Folder"));
  std::string text;
  DialogScript script;
  script.Expect("Setup", [&](HWND box) {
    text = ItemText(box, 101);
    PressButton(box, IDOK);
  });
  EXPECT_EQ(script.Run([] { return CreateShortcut(nullptr, kDesktopShortcut); }), 0);
  EXPECT_TRUE(script.Passed()) << script.Report();

  const std::string prefix = std::string("\rFile '") + App().paths.module + "'\r\rMethod (Save) error detected\rCode ";
  ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
  const std::string code = text.substr(prefix.size());
  ASSERT_FALSE(code.empty());
  EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
  // A failure result has its top bit set: printed unsigned, it is at least 2^31.
  EXPECT_GE(std::stoull(code), 0x80000000ull);
}

TEST_F(ExplorerIntegrationTest, RemovingAVanishedShortcutReportsItsPathAndCode) {
  // The later requests still run after the failing one.
  ExplorerRequests requests{};
  requests.RemoveDesktop = 1;
  requests.RemoveStartup = 1;
  profile_.MakeFile("Startup\\Orvane.lnk", "old");
  std::string text;
  DialogScript script;
  script.Expect("Setup", [&](HWND box) {
    text = ItemText(box, 101);
    PressButton(box, IDOK);
  });
  script.Run([&] {
    ApplyExplorerRequests(nullptr, &requests);
    return 0;
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(text, "\rFile '" + DesktopLink() + "'\r\rCould not be deleted (error:2)");
  EXPECT_FALSE(FileExists(StartupLink()));
}

}  // namespace
