// The real program started as a process of its own, and the means to find
// and press its windows from the test's process: for the tests that watch
// the program from outside (its start-up, the installed program).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "resource.h"

constexpr DWORD kProgramWaitMs = 10000;

struct WindowSearch {
  DWORD process;
  const char* className;  // nullptr: any
  const char* title;      // nullptr: any
  HWND found;
};

inline BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM lParam) {
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
inline HWND FindProcessWindow(DWORD process, const char* className, const char* title) {
  WindowSearch search{process, className, title, nullptr};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <class Condition>
bool WaitFor(Condition done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > kProgramWaitMs) return false;
    Sleep(20);
  }
  return true;
}

// One start of the program at `path`, ended for certain when the test is
// over.
class Program {
 public:
  explicit Program(const std::string& path, const std::string& tail = "") {
    std::string command = "\"" + path + "\"";
    if (!tail.empty()) command += " " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_);
  }
  ~Program() {
    if (!started_) return;
    // Waited for, so that the next start does not find it still ending.
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT && TerminateProcess(info_.hProcess, 99)) {
      WaitForSingleObject(info_.hProcess, kProgramWaitMs);
    }
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
    if (WaitForSingleObject(info_.hProcess, kProgramWaitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  BOOL started_ = FALSE;
  PROCESS_INFORMATION info_ = {};
};

// The paths listed in list `listId` of the program's main window `mainWindow`, read
// through the list as any other program would: the item structure and the
// text go through memory in the program's process.
inline std::vector<std::string> ListedPaths(HWND mainWindow, int listId) {
  std::vector<std::string> paths;
  HWND list = GetDlgItem(mainWindow, listId);
  DWORD owner = 0;
  GetWindowThreadProcessId(mainWindow, &owner);
  // A window still being made has no lists yet: none listed.
  if (!list) return paths;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, owner);
  if (!process) {
    ADD_FAILURE() << "the program's process cannot be reached";
    return paths;
  }
  constexpr SIZE_T kTextSize = 1024;
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT,
                                                   PAGE_READWRITE));
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; remote && i < count; ++i) {
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = kTextSize;
    char text[kTextSize] = "";
    if (!WriteProcessMemory(process, remote, &item, sizeof item, nullptr)) break;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote + sizeof(LVITEMA), text, sizeof text - 1, nullptr);
    paths.push_back(text);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return paths;
}

// Waits until list `listId` of the main window holds `count` entries.
inline bool WaitForListed(HWND mainWindow, int listId, size_t count) {
  return WaitFor([&] { return ListedPaths(mainWindow, listId).size() >= count; });
}

// The text of a message box of the program.
inline std::string BoxText(HWND box) {
  char text[1024] = "";
  GetDlgItemTextA(box, 101, text, sizeof text);
  return text;
}

// Presses a button of a dialog of another process.
inline void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Closes the program's main window as the close box does, answering Yes to
// the exit question. False when the question did not come.
inline bool CloseProgram(const Program& program, HWND window) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  HWND question = program.Box(" Exit Orvane for Windows 95/NT");
  if (!question) return false;
  Press(question, IDOK);
  return true;
}

// The options sheet that start-up opens on its Explorer page before the main
// window, checked: the main window does not exist yet and the Start Menu's
// box is ticked. Null when it did not come.
inline HWND WaitForSetupSheet(const Program& program) {
  HWND sheet = program.Box(" Orvane Options");
  EXPECT_NE(sheet, nullptr);
  if (!sheet) return nullptr;
  EXPECT_EQ(FindProcessWindow(program.Id(), "OrvaneAppClass", nullptr), nullptr);
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  EXPECT_NE(GetDlgItem(page, IDC_EXP_CREATE_START_MENU), nullptr);
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_EXP_CREATE_START_MENU), BST_CHECKED);
  return sheet;
}
