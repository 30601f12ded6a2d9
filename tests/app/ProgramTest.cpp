// The real program, started as a process of its own: the first run, the
// single-instance rule, the command line, and when the options are written.
// Works on the program's real settings root, removed before and after.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <set>
#include <string>
#include <tuple>

#include "core/KeyHash.h"
#include "resource.h"
#include "settings/SettingsStore.h"
#include "tests/settings/RegistryFixture.h"

namespace {

constexpr DWORD kWaitMs = 10000;

std::string ProgramPath() {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string path = module;
  return path.substr(0, path.rfind('\\') + 1) + ORVANE_PROGRAM_FROM_TESTS;
}

struct WindowSearch {
  DWORD process;
  const char* className;  // nullptr: any
  const char* title;      // nullptr: any
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char text[256] = "";
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  if (search->className && (GetClassNameA(window, text, sizeof text), lstrcmpA(text, search->className) != 0)) {
    return TRUE;
  }
  if (search->title && (GetWindowTextA(window, text, sizeof text), lstrcmpA(text, search->title) != 0)) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of `process`, or null.
HWND FindProcessWindow(DWORD process, const char* className, const char* title) {
  WindowSearch search{process, className, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int CountMainWindows() {
  int count = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, "OrvaneAppClass", nullptr); w;
       w = FindWindowExA(nullptr, w, "OrvaneAppClass", nullptr)) {
    ++count;
  }
  return count;
}

template <class Condition>
bool WaitFor(Condition done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > kWaitMs) return false;
    Sleep(20);
  }
  return true;
}

// One start of the program, ended for certain when the test is over.
class Program {
 public:
  explicit Program(const std::string& tail = "") {
    std::string command = "\"" + ProgramPath() + "\"";
    if (!tail.empty()) command += " " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_ != 0; }
  DWORD Id() const { return info_.dwProcessId; }

  // The program's main window once it is visible; null after the wait.
  HWND MainWindow() const {
    HWND window = nullptr;
    WaitFor([&] { return (window = FindProcessWindow(Id(), "OrvaneAppClass", nullptr)) != nullptr || Ended(); });
    return window;
  }

  // A box of the program with this caption; null after the wait.
  HWND Box(const char* caption) const {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindProcessWindow(Id(), nullptr, caption)) != nullptr || Ended(); });
    return box;
  }

  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }

  // The exit code once the process has ended; -1 when it has not ended in
  // time.
  int ExitCode() const {
    if (WaitForSingleObject(info_.hProcess, kWaitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  BOOL started_ = FALSE;
  PROCESS_INFORMATION info_ = {};
};

std::string BoxText(HWND box) {
  char text[1024] = "";
  GetDlgItemTextA(box, 101, text, sizeof text);
  return text;
}

// Presses a button of a dialog of another process.
void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Closes the program's main window as the close box does, answering Yes to
// the exit question.
void CloseProgram(const Program& program, HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  HWND question = program.Box(" Exit Orvane for Windows 95/NT");
  ASSERT_NE(question, nullptr);
  Press(question, IDOK);
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
  // The options sheet that start-up opens on its Explorer page, checked and
  // cancelled; the main window must not exist yet.
  static void CancelSetupSheet(const Program& program) {
    HWND sheet = program.Box(" Orvane Options");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(FindProcessWindow(program.Id(), "OrvaneAppClass", nullptr), nullptr);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(GetDlgItem(page, IDC_EXP_CREATE_START_MENU), nullptr);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_EXP_CREATE_START_MENU), BST_CHECKED);
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

  CloseProgram(program, window);
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

  CloseProgram(first, window);
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
  CloseProgram(program, window);
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
    CloseProgram(program, window);
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
    DeleteKeyTree(HKEY_CURRENT_USER, kOrvaneSettingsRoot);
    if (c.password) {
      SetText("Options", "FileSpec", "");
      SetNumber("Options", "Code", static_cast<DWORD>(KeyHash("Gate 1998")));
    }
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

    if (c.password) {
      SetDlgItemTextA(dialog, IDC_PASSWORD, "Gate 1998");
      Press(dialog, IDOK);
    } else {
      Press(dialog, IDCANCEL);
    }
    HWND window = first.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CountMainWindows(), 1);
    CloseProgram(first, window);
    EXPECT_EQ(first.ExitCode(), 0);
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
    CloseProgram(program, window);
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(Raw("Options", "Code").number, static_cast<DWORD>(KeyHash("Gate 1998")));
  }
}

}  // namespace
