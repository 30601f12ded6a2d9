// The program as the setup program installed it, run by tests/setup/setup-check.sh
// in a Wine prefix of its own between the silent install and the silent
// uninstall: it finds the program through the uninstaller's registration,
// starts it, and uses it as a new user does (shortcuts from the first run's
// Explorer page, one file encrypted), so that the uninstall has all of
// Orvane's traces to remove. The user's own file stays for the check script
// to find after the uninstall. A second test goes through the uninstaller's
// pages as a user who does not keep the settings.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <prsht.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/ProgramProcess.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" ORVANE_UNINSTALL_NAME;
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Where the check script looks for the user's file after the uninstall.
constexpr char kUserFolder[] = "C:\\My Files";

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Orvane's shortcut in the shell folder named `folderValue`, below `group`.
std::string ShortcutPath(const char* folderValue, const char* group) {
  std::string folder = ReadRaw(HKEY_CURRENT_USER, kShellFolders, folderValue).text;
  if (group[0]) folder += std::string("\\") + group;
  return folder + "\\Orvane.lnk";
}

TEST(InstalledProgram, StartsFromItsRegistrationAndLeavesItsTraces) {
  const RawValue location = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation");
  ASSERT_TRUE(location.found) << "the setup program registered no uninstaller";
  const std::string programPath = location.text + "\\" + ORVANE_PROGRAM_FILE;
  ASSERT_TRUE(FileExists(programPath)) << programPath;

  CreateDirectoryA(kUserFolder, nullptr);
  const std::string plain = std::string(kUserFolder) + "\\report.txt";
  const std::string encrypted = std::string(kUserFolder) + "\\report.(=txt=)";
  {
    HANDLE file = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "quarterly figures", 17, &written, nullptr);
    CloseHandle(file);
  }

  Program program(programPath);
  ASSERT_TRUE(program.Started()) << programPath;

  // The first run opens the options on the Explorer page before the main
  // window; the user asks for all three shortcuts (the Start Menu's box is
  // ticked already).
  HWND sheet = WaitForSetupSheet(program);
  ASSERT_NE(sheet, nullptr);
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  for (int box : {IDC_EXP_CREATE_DESKTOP, IDC_EXP_CREATE_STARTUP}) {
    SendDlgItemMessageA(page, box, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(page, box), BST_CHECKED) << box;
  }
  Press(sheet, IDOK);

  HWND window = program.MainWindow();
  ASSERT_NE(window, nullptr) << "the installed program showed no main window";
  EXPECT_TRUE(IsWindowVisible(window));

  // One file through the add-files dialog, then encrypted with a key.
  PostMessageA(window, WM_COMMAND, IDM_ENCRYPT_ADD, 0);
  HWND chooser = program.Box("Select Files for Encryption");
  ASSERT_NE(chooser, nullptr);
  SetDlgItemTextA(chooser, GetDlgItem(chooser, cmb13) ? cmb13 : edt1, plain.c_str());
  Press(chooser, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(chooser); }));

  PostMessageA(window, WM_COMMAND, IDM_ENCRYPT, 0);
  HWND keyBox = program.Box(" File Encryption Key");
  ASSERT_NE(keyBox, nullptr);
  SetDlgItemTextA(keyBox, IDC_KEY_TEXT, "Ledger 1998");
  SetDlgItemTextA(keyBox, IDC_KEY_CONFIRM, "Ledger 1998");
  Press(keyBox, IDOK);
  EXPECT_TRUE(WaitFor([&] { return FileExists(encrypted); })) << encrypted;

  ASSERT_TRUE(CloseProgram(program, window));
  EXPECT_EQ(program.ExitCode(), 0);

  // What the program left for the uninstaller.
  for (const auto& [folder, group] : {std::pair{"Programs", "Norvik Studio"}, {"Desktop", ""}, {"Startup", ""}}) {
    EXPECT_TRUE(FileExists(ShortcutPath(folder, group))) << ShortcutPath(folder, group);
  }
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE,
                      std::string("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + ORVANE_PROGRAM_FILE, "")
                  .found);
  EXPECT_EQ(ReadRaw(HKEY_CLASSES_ROOT, ".(=txt=)", "").text, "Encrypted File");
}

// Explorer's entries, as the setup program wrote them: a double-click
// ("open", as Explorer asks for it) on the encrypted file starts Orvane
// with it in the decoding list; "Encrypt with Orvane" (its command, as
// Explorer runs it: this Explorer does not offer the verbs of every file
// to ShellExecute) on three files at once lists all three, in the one copy
// that runs. The user's file is not changed.
// Ends a copy of Orvane that a failed test left open: the check script
// waits for every process of the prefix.
struct EndsOrvane {
  ~EndsOrvane() {
    HWND window = FindWindowA("OrvaneAppClass", nullptr);
    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    HANDLE handle = process ? OpenProcess(PROCESS_TERMINATE, FALSE, process) : nullptr;
    if (handle) {
      TerminateProcess(handle, 99);
      CloseHandle(handle);
    }
  }
};

TEST(InstalledProgram, ExplorerEntriesListTheirFiles) {
  EndsOrvane endsOrvane;
  const std::string encrypted = std::string(kUserFolder) + "\\report.(=txt=)";
  ASSERT_TRUE(FileExists(encrypted));
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", encrypted.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  ASSERT_GT(opened, 32) << "no program opens an encrypted file";
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = FindWindowA("OrvaneAppClass", nullptr)) && IsWindowVisible(window); }));
  ASSERT_TRUE(WaitForListed(window, IDC_DECODE_LIST, 1));
  EXPECT_EQ(ListedPaths(window, IDC_DECODE_LIST), std::vector<std::string>{encrypted});

  const std::string folder = std::string(kUserFolder) + "\\three";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> plain;
  for (const char* name : {"a.txt", "b b.txt", "c.txt"}) {
    plain.push_back(folder + "\\" + name);
    HANDLE file = CreateFileA(plain.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  // Explorer runs the verb's command with each file for "%1", all at once.
  std::string command = ReadRaw(HKEY_CLASSES_ROOT, "*\\shell\\OrvaneEncrypt\\command", "").text;
  const size_t file = command.find("%1");
  ASSERT_NE(file, std::string::npos) << command;
  std::vector<PROCESS_INFORMATION> starts;
  for (const std::string& path : plain) {
    std::string line = command;
    line.replace(file, 2, path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        << line;
    if (info.hProcess) starts.push_back(info);
  }
  for (const PROCESS_INFORMATION& info : starts) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, kProgramWaitMs), WAIT_OBJECT_0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  ASSERT_TRUE(WaitForListed(window, IDC_ENCRYPT_LIST, 3));
  std::vector<std::string> listed = ListedPaths(window, IDC_ENCRYPT_LIST);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, plain);
  EXPECT_EQ(FindWindowExA(nullptr, window, "OrvaneAppClass", nullptr), nullptr);

  // Closed as the user does: the exit question, then the one about the
  // files still listed.
  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = FindProcessWindow(process, "#32770", " Exit Orvane for Windows 95/NT")); }));
  Press(question, IDOK);
  HWND listedQuestion = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (listedQuestion = FindProcessWindow(process, "#32770", "Orvane")); }));
  Press(listedQuestion, IDYES);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }));
  for (const std::string& path : plain) DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
}

struct TitleSearch {
  const std::string& head;
  const std::string& tail;
  HWND found;
};

bool HasHeadAndTail(const std::string& text, const std::string& head, const std::string& tail) {
  return text.size() >= head.size() + tail.size() && text.compare(0, head.size(), head) == 0 &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<TitleSearch*>(lParam);
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (!IsWindowVisible(window) || !HasHeadAndTail(text, search->head, search->tail)) return TRUE;
  search->found = window;
  return FALSE;
}

// The top-level window of any process whose title begins with `head` and
// ends with `tail`; null after the wait.
HWND FindTitledWindow(const std::string& head, const std::string& tail) {
  TitleSearch search{head, tail, nullptr};
  WaitFor([&] { return EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search)), search.found != nullptr; });
  return search.found;
}

struct ControlSearch {
  const char* className;
  const std::string& head;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND control, LPARAM lParam) {
  auto* search = reinterpret_cast<ControlSearch*>(lParam);
  char name[64] = "";
  char text[1024] = "";
  GetClassNameA(control, name, sizeof name);
  GetWindowTextA(control, text, sizeof text);
  if (!IsWindowVisible(control) || lstrcmpiA(name, search->className) != 0 || !HasHeadAndTail(text, search->head, "")) {
    return TRUE;
  }
  search->found = control;
  return FALSE;
}

// A visible control below `parent` of the class `className` whose text
// begins with `head`; null when there is none.
HWND FindControl(HWND parent, const char* className, const std::string& head) {
  ControlSearch search{className, head, nullptr};
  EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The uninstaller's pages: the settings page says that the user's files stay
// and keeps the settings unless told otherwise; the user unticks the box,
// confirms and closes the finished uninstaller.
TEST(Uninstaller, PagesRemoveTheSettingsWhenTheUserSaysSo) {
  const RawValue location = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation");
  ASSERT_TRUE(location.found) << "the setup program registered no uninstaller";
  const std::string uninstaller = location.text + "\\uninstall.exe";
  {
    // It goes on from a copy of itself; this process ends at once.
    Program started(uninstaller);
    ASSERT_TRUE(started.Started()) << uninstaller;
    EXPECT_EQ(started.ExitCode(), 0);
  }
  HWND wizard = FindTitledWindow("Orvane ", " Uninstall");
  ASSERT_NE(wizard, nullptr);
  HWND next = GetDlgItem(wizard, IDOK);

  HWND keep = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (keep = FindControl(wizard, "Button", "&Keep my Orvane settings")) != nullptr; }));
  EXPECT_EQ(SendMessageA(keep, BM_GETCHECK, 0, 0), BST_CHECKED);
  HWND note = FindControl(wizard, "Static", "The program, its help file, the shortcuts");
  ASSERT_NE(note, nullptr);
  const std::string text = WindowText(note);
  EXPECT_NE(text.find("Your own files are never touched"), std::string::npos) << text;
  SendMessageA(keep, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(keep, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  Press(wizard, IDOK);

  // The confirmation page names the folder; its button uninstalls.
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Uninstall"; })) << WindowText(next);
  Press(wizard, IDOK);
  // The last page names its button "Close" as it opens, a moment before it
  // disables the button for the uninstall, so the button counts as ready
  // only once the work is done: the folder is gone, settings and log too.
  ASSERT_TRUE(WaitFor([&] { return GetFileAttributesA(location.text.c_str()) == INVALID_FILE_ATTRIBUTES; }))
      << location.text;
  ASSERT_TRUE(WaitFor([&] { return WindowText(next) == "&Close" && IsWindowEnabled(next); })) << WindowText(next);
  Press(wizard, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(wizard); }));
}

}  // namespace
