// The real program, started as a process of its own: the first run, the
// single-instance rule, the command line, and when the options are written.
// Works on the program's real settings root, removed before and after.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/KeyHash.h"
#include "resource.h"
#include "settings/SettingsStore.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/ProgramProcess.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ProgramPath() {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string path = module;
  return path.substr(0, path.rfind('\\') + 1) + ORVANE_PROGRAM_FROM_TESTS;
}

// The program built beside the tests.
class Program : public ::Program {
 public:
  explicit Program(const std::string& tail = "") : ::Program(ProgramPath(), tail) {}
};

int CountMainWindows() {
  int count = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, "OrvaneAppClass", nullptr); w;
       w = FindWindowExA(nullptr, w, "OrvaneAppClass", nullptr)) {
    ++count;
  }
  return count;
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kOrvaneSettingsRoot); }
  void TearDown() override {
    DeleteKeyTree(HKEY_CURRENT_USER, kOrvaneSettingsRoot);
    machineEntries_.Restore();
  }

  static std::string Key(const char* section) { return std::string(kOrvaneSettingsRoot) + "\\" + section; }
  static RawValue Raw(const char* section, const char* name) { return ReadRaw(HKEY_CURRENT_USER, Key(section), name); }
  static void SetText(const char* section, const char* name, const char* text) {
    WriteRawText(HKEY_CURRENT_USER, Key(section), name, text);
  }
  static void SetNumber(const char* section, const char* name, DWORD number) {
    WriteRawNumber(HKEY_CURRENT_USER, Key(section), name, number);
  }
  // No settings at all, so the next start shows the first-run sheet; or,
  // with the password, settings that make it ask for "Gate 1998" instead.
  static void FreshSettings(bool withPassword) {
    DeleteKeyTree(HKEY_CURRENT_USER, kOrvaneSettingsRoot);
    if (withPassword) {
      SetText("Options", "FileSpec", "");
      SetNumber("Options", "Code", static_cast<DWORD>(KeyHash("Gate 1998")));
    }
  }
  // Lets the start go on to the main window: the right password typed into
  // the prompt, or the first-run sheet cancelled.
  static void PassStartUpDialog(HWND dialog, bool passwordPrompt) {
    if (passwordPrompt) {
      SetDlgItemTextA(dialog, IDC_PASSWORD, "Gate 1998");
      Press(dialog, IDOK);
    } else {
      Press(dialog, IDCANCEL);
    }
  }
  // The options sheet that start-up opens on its Explorer page, checked and
  // cancelled; the main window must not exist yet.
  static void CancelSetupSheet(const Program& program) {
    HWND sheet = WaitForSetupSheet(program);
    ASSERT_NE(sheet, nullptr);
    Press(sheet, IDCANCEL);
  }

  // Every value below the root with its raw contents.
  static std::set<std::tuple<std::string, std::string, DWORD, std::string>> Snapshot() {
    std::set<std::pair<std::string, std::string>> names;
    CollectValues(HKEY_CURRENT_USER, kOrvaneSettingsRoot, "", names);
    std::set<std::tuple<std::string, std::string, DWORD, std::string>> values;
    for (const auto& [section, name] : names) {
      const std::string path = section.empty() ? kOrvaneSettingsRoot : Key(section.c_str());
      const RawValue value = ReadRaw(HKEY_CURRENT_USER, path, name.c_str());
      values.insert({section, name, value.number, value.text});
    }
    return values;
  }

  // What the program's saves write beside its settings goes with the test.
  MachineEntries machineEntries_{ORVANE_PROGRAM_FILE};
};

TEST_F(ProgramTest, FirstRunOpensCentredAndWritesTheOptionsAgainOnlyAtTheEnd) {
  Program program;
  ASSERT_TRUE(program.Started()) << ProgramPath();
  // The first run offers the Explorer integration before the main window.
  CancelSetupSheet(program);
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 262);
  EXPECT_EQ(rect.top, 216);
  EXPECT_EQ(rect.right - rect.left, 500);
  EXPECT_EQ(rect.bottom - rect.top, 335);
  // The first run wrote its defaults before the window was shown.
  EXPECT_EQ(Raw("DeskTop\\Window", "Width").number, 500u);

  // While the window is open the program writes nothing.
  SetText("Options", "Path", "sentinel");
  SetNumber("Options", "Tips", 0);
  SetNumber("DeskTop\\Window", "Width", 1);
  Sleep(300);
  EXPECT_EQ(Raw("Options", "Path").text, "sentinel");

  ASSERT_TRUE(CloseProgram(program, window));
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_NE(Raw("Options", "Path").text, "sentinel");
  EXPECT_NE(Raw("Options", "Path").text, "");
  EXPECT_EQ(Raw("Options", "Tips").number, 1u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Left").number, 262u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Top").number, 216u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Width").number, 500u);
  EXPECT_EQ(Raw("DeskTop\\Window", "Height").number, 335u);
}

TEST_F(ProgramTest, SecondStartBringsTheFirstBackFromTheTrayAndEnds) {
  SetNumber("Options", "TaskTray", 1);
  Program first;
  HWND window = first.MainWindow();
  ASSERT_NE(window, nullptr);
  // The close box hides the window in the tray.
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }));
  const auto before = Snapshot();

  Program second("C:\\Files\\second.txt");
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.ExitCode(), 0);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_EQ(CountMainWindows(), 1);
  EXPECT_EQ(Snapshot(), before);

  ASSERT_TRUE(CloseProgram(first, window));
  EXPECT_EQ(first.ExitCode(), 0);
  // The second start's path went nowhere.
  EXPECT_EQ(Raw("Options", "FileSpec").text, "");
}

TEST_F(ProgramTest, IncompletePathsEndTheStart) {
  for (const char* tail : {"Report.doc", "C:Report.doc", "\\\\server\\share\\Report.doc", "/setup "}) {
    SetText("Options", "FileSpec", "before");
    Program program(tail);
    HWND box = program.Box("Error");
    ASSERT_NE(box, nullptr) << tail;
    EXPECT_EQ(BoxText(box), std::string("Cmd: ") + tail +
                                "\r\rPlease specify the complete drive, path\rand file name on the command line");
    EXPECT_EQ(FindProcessWindow(program.Id(), "OrvaneAppClass", nullptr), nullptr);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(program.ExitCode(), 0) << tail;
    EXPECT_EQ(Raw("Options", "FileSpec").text, "before") << tail;
  }
}

TEST_F(ProgramTest, QuotedFullPathIsKept) {
  SetText("Options", "FileSpec", "");  // no first run
  Program program("\"C:\\My Files\\Report.doc\"");
  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(CloseProgram(program, window));
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(Raw("Options", "FileSpec").text, "C:\\My Files\\Report.doc");
}

// On a later run and on a first run alike the sheet opens once: a second
// sheet would keep the main window from appearing.
TEST_F(ProgramTest, SetupSwitchOpensTheExplorerPageOnceBeforeTheMainWindow) {
  for (const bool firstRun : {false, true}) {
    SCOPED_TRACE(firstRun ? "first run" : "later run");
    DeleteKeyTree(HKEY_CURRENT_USER, kOrvaneSettingsRoot);
    if (!firstRun) SetText("Options", "FileSpec", "");
    Program program("/SETUP");
    CancelSetupSheet(program);
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(CloseProgram(program, window));
    EXPECT_EQ(program.ExitCode(), 0);
  }
}

// A second start while the first copy still shows a start-up dialog (the
// first run's options sheet, the access-password prompt) ends at once with
// code 0 and brings that dialog to the front; only one copy ever runs.
TEST_F(ProgramTest, SecondStartDuringTheStartUpDialogsEndsAndBringsThemForward) {
  struct Case {
    const char* name;
    const char* dialog;
    bool password;
  };
  const Case cases[] = {
      {"first-run options sheet", " Orvane Options", false},
      {"access password prompt", " Orvane Access Password", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettings(c.password);
    Program first;
    HWND dialog = first.Box(c.dialog);
    ASSERT_NE(dialog, nullptr);
    // Another window takes the front, as the user's next program would.
    HWND other = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);

    Program second;
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_FALSE(first.Ended());
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    EXPECT_EQ(CountMainWindows(), 0);
    DestroyWindow(other);

    PassStartUpDialog(dialog, c.password);
    HWND window = first.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CountMainWindows(), 1);
    CloseProgram(first, window);
    EXPECT_EQ(first.ExitCode(), 0);
  }
}

// A first copy that shows no window: one that saves its options after its
// window is gone, or one held by a crash dialog of another program. Here
// the test stands in for it, holding the name every copy claims at its
// start. A second start waits for it and then starts, never ending with
// nothing shown: at once when the first copy ends, after a few seconds
// when it does not.
TEST_F(ProgramTest, SecondStartWhileTheFirstCopyHasNoWindowWaitsAndStarts) {
  for (const bool firstCopyEnds : {true, false}) {
    SCOPED_TRACE(firstCopyEnds ? "the first copy ends" : "the first copy hangs");
    SetText("Options", "FileSpec", "");  // no first run
    HANDLE name = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                     "OrvaneRunningCopy");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    auto* id = static_cast<DWORD*>(MapViewOfFile(name, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    ASSERT_NE(id, nullptr);
    *id = GetCurrentProcessId();

    Program second;
    ASSERT_TRUE(second.Started());
    const DWORD started = GetTickCount();
    Sleep(1000);
    EXPECT_FALSE(second.Ended());
    EXPECT_EQ(FindProcessWindow(second.Id(), "OrvaneAppClass", nullptr), nullptr);
    if (firstCopyEnds) {
      UnmapViewOfFile(id);
      CloseHandle(name);
    }
    HWND window = second.MainWindow();
    ASSERT_NE(window, nullptr);
    const DWORD waited = GetTickCount() - started;
    if (firstCopyEnds) {
      EXPECT_LT(waited, 4000u);
    } else {
      EXPECT_GE(waited, 4500u);
      UnmapViewOfFile(id);
      CloseHandle(name);
    }
    ASSERT_TRUE(CloseProgram(second, window));
    EXPECT_EQ(second.ExitCode(), 0);
  }
}

TEST_F(ProgramTest, AccessPassword) {
  SetNumber("Options", "Code", static_cast<DWORD>(KeyHash("Gate 1998")));
  const auto before = Snapshot();

  // Three wrong passwords: no main window, nothing written, exit code 0.
  {
    Program program;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      HWND prompt = program.Box(" Orvane Access Password");
      ASSERT_NE(prompt, nullptr) << attempt;
      SetDlgItemTextA(prompt, IDC_PASSWORD, "gate 1998");
      Press(prompt, IDOK);
      HWND box = program.Box("Invalid Password");
      ASSERT_NE(box, nullptr) << attempt;
      // The box can be found a moment before its text is in place.
      WaitFor([&] { return !BoxText(box).empty(); });
      EXPECT_EQ(BoxText(box), std::string("\rInvalid password detected...\r\r") +
                                  (attempt == 3 ? "Program access denied" : "Please enter your password again."));
      EXPECT_EQ(FindProcessWindow(program.Id(), "OrvaneAppClass", nullptr), nullptr);
      Press(box, IDOK);
      // The press is posted: the next attempt must not find this box again.
      EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << attempt;
    }
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(Snapshot(), before);
  }
  // The right one opens the program.
  {
    Program program;
    HWND prompt = program.Box(" Orvane Access Password");
    ASSERT_NE(prompt, nullptr);
    SetDlgItemTextA(prompt, IDC_PASSWORD, "Gate 1998");
    Press(prompt, IDOK);
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(CloseProgram(program, window));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(Raw("Options", "Code").number, static_cast<DWORD>(KeyHash("Gate 1998")));
  }
}

// ---- Files handed to the running copy ---------------------------------------

using Paths = std::vector<std::string>;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string EncryptedBytes() { return "OrvaneHdrBlk" + std::string(400, 'x'); }

// A box of the program (a dialog: the main window bears the same title).
HWND ProgramBox(const ::Program& program, const char* caption) {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindProcessWindow(program.Id(), "#32770", caption)) != nullptr || program.Ended(); });
  return box;
}

// A second start with files, while the first copy shows its main window:
// the files are listed there, by the list each switch names, the refusals
// shown there as for a drop; the second start ends at once.
TEST_F(ProgramTest, SecondStartHandsItsFilesToTheMainWindow) {
  SetText("Options", "FileSpec", "");  // no first run
  TempFolder files("handed");
  const std::string plain = files.MakeFile("My Report.doc", "text");
  const std::string encrypted = files.MakeFile("sealed.(=doc=)", EncryptedBytes());
  const std::string missing = files.Path("gone.doc");
  Program first;
  HWND window = first.MainWindow();
  ASSERT_NE(window, nullptr);

  Program second("/add " + Quoted(plain) + " " + Quoted(encrypted));
  EXPECT_EQ(second.ExitCode(), 0);
  ASSERT_TRUE(WaitForListed(window, IDC_DECODE_LIST, 1));
  EXPECT_EQ(ListedPaths(window, IDC_ENCRYPT_LIST), Paths{plain});
  EXPECT_EQ(ListedPaths(window, IDC_DECODE_LIST), Paths{encrypted});

  // A file that cannot be listed gets its message in the first copy.
  Program third("-ENCRYPT " + missing);
  EXPECT_EQ(third.ExitCode(), 0);
  HWND box = ProgramBox(first, "File Not Found");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(BoxText(box), "File: " + missing + "\r\rFile not found.");
  Press(box, IDOK);
  EXPECT_EQ(CountMainWindows(), 1);
  EXPECT_EQ(ListedPaths(window, IDC_ENCRYPT_LIST), Paths{plain});
}

// While the first copy is in its start-up dialogs, handed files wait and
// are listed once the main window exists; a refused password lists
// nothing and no main window ever appears.
TEST_F(ProgramTest, FilesHandedDuringTheStartUpDialogsWaitForTheMainWindow) {
  struct Case {
    const char* name;
    const char* dialog;
    bool password;
    bool granted;
  };
  const Case cases[] = {
      {"first-run options sheet", " Orvane Options", false, true},
      {"access password granted", " Orvane Access Password", true, true},
      {"access password refused", " Orvane Access Password", true, false},
  };
  TempFolder files("handed-start");
  const std::string encrypted = files.MakeFile("sealed.(=txt=)", EncryptedBytes());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshSettings(c.password);
    Program first;
    HWND dialog = ProgramBox(first, c.dialog);
    ASSERT_NE(dialog, nullptr);

    Program second("/decode " + Quoted(encrypted));
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(CountMainWindows(), 0);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }));
    if (!c.granted) {
      Press(dialog, IDCANCEL);
      EXPECT_EQ(first.ExitCode(), 0);
      EXPECT_EQ(CountMainWindows(), 0);
      continue;
    }
    PassStartUpDialog(dialog, c.password);
    HWND window = first.MainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForListed(window, IDC_DECODE_LIST, 1));
    EXPECT_EQ(ListedPaths(window, IDC_DECODE_LIST), Paths{encrypted});
    EXPECT_EQ(CountMainWindows(), 1);
  }
}

// While a conversion runs (held here by the box of a file that fails),
// handed files wait and are listed after the run, as a drop would be.
TEST_F(ProgramTest, FilesHandedDuringARunAreListedAfterIt) {
  SetText("Options", "FileSpec", "");
  TempFolder files("handed-run");
  const std::string locked = files.MakeFile("locked.txt", "text");
  const std::string later = files.MakeFile("later.txt", "more");
  Program first("/encrypt " + Quoted(locked));
  HWND window = first.MainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForListed(window, IDC_ENCRYPT_LIST, 1));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);

  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_ENCRYPT, 0), 0);
  HWND key = ProgramBox(first, " File Encryption Key");
  ASSERT_NE(key, nullptr);
  SetDlgItemTextA(key, IDC_KEY_TEXT, "Harbour lights 7");
  SetDlgItemTextA(key, IDC_KEY_CONFIRM, "Harbour lights 7");
  Press(key, IDOK);
  HWND box = ProgramBox(first, "Orvane");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(BoxText(box).find("write-protected"), std::string::npos);

  Program second("/encrypt " + Quoted(later));
  EXPECT_EQ(second.ExitCode(), 0);
  Sleep(300);
  EXPECT_EQ(ListedPaths(window, IDC_ENCRYPT_LIST), Paths{locked});
  Press(box, IDOK);
  ASSERT_TRUE(WaitForListed(window, IDC_ENCRYPT_LIST, 2));
  EXPECT_EQ(ListedPaths(window, IDC_ENCRYPT_LIST), (Paths{locked, later}));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Twenty copies started at once, one file each, as Explorer starts them:
// one main window, every file listed exactly once.
TEST_F(ProgramTest, TwentyCopiesStartedAtOnceListEveryFileOnce) {
  SetText("Options", "FileSpec", "");
  TempFolder files("handed-many");
  Paths paths;
  for (int i = 0; i < 20; ++i) paths.push_back(files.MakeFile("file" + std::to_string(i) + ".doc", "text"));
  std::vector<std::unique_ptr<Program>> copies;
  for (const std::string& path : paths) copies.push_back(std::make_unique<Program>("/encrypt " + Quoted(path)));

  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = FindWindowA("OrvaneAppClass", nullptr)) != nullptr; }));
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  const Program* first = nullptr;
  for (const auto& copy : copies) {
    if (copy->Id() == owner) first = copy.get();
  }
  ASSERT_NE(first, nullptr);
  for (const auto& copy : copies) {
    if (copy.get() != first) {
      EXPECT_EQ(copy->ExitCode(), 0);
    }
  }
  ASSERT_TRUE(WaitForListed(window, IDC_ENCRYPT_LIST, 20));
  Paths listed = ListedPaths(window, IDC_ENCRYPT_LIST);
  std::sort(listed.begin(), listed.end());
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(listed, paths);
  EXPECT_EQ(CountMainWindows(), 1);
}

}  // namespace
