// The single-instance rule, the application context, the command line, the
// message loop and the end of a run.
#include "app/Startup.h"

#include <commctrl.h>

#include <cstdio>
#include <ctime>
#include <utility>

#include "context/AppContext.h"
#include "app/HandOff.h"
#include "app/MainWindow.h"
#include "core/KeyHash.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "settings/SettingsStore.h"
#include "ui/AccessPassword.h"
#include "ui/Messages.h"
#include "ui/OptionsSheet.h"
#include "ui/TextRoutines.h"

namespace {

// The name every copy claims at its very start: a block that holds the
// process id of the copy that claimed it first. A copy still in its
// start-up dialogs has no main window to be found by, but it has this.
constexpr char kRunningCopyName[] = "OrvaneRunningCopy";

// How long a start waits for a first copy that shows no window, and how
// often it looks again meanwhile.
constexpr DWORD kFirstCopyWaitMs = 5000;
// A start with files waits longer: starting on its own would make a second
// main window, and many copies started at once (one per file, as Explorer
// starts them for some commands) slow the first one down.
constexpr DWORD kFirstCopyHandOffWaitMs = 20000;
constexpr DWORD kFirstCopyPollMs = 100;

struct ProcessWindowSearch {
  DWORD process;
  HWND found;
};

// The first visible, enabled top-level window of the process in the
// z-order: while a modal dialog runs, its owner is disabled, so this is the
// dialog the user has to answer.
BOOL CALLBACK FindFrontWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<ProcessWindowSearch*>(lParam);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// Claims the name for this copy; returns the process id of the copy that
// holds it already, or 0 when this copy is the first (or the name cannot be
// had, when the main-window rule alone decides).
DWORD ClaimRunningCopy() {
  HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), kRunningCopyName);
  if (!block) return 0;
  const bool claimedBefore = GetLastError() == ERROR_ALREADY_EXISTS;
  auto* owner = static_cast<volatile DWORD*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
  if (!owner) {
    CloseHandle(block);
    return 0;
  }
  DWORD first = 0;
  if (claimedBefore) {
    // The first copy writes its id at once; a start in between finds 0.
    for (int wait = 0; wait < 20 && (first = *owner) == 0; ++wait) Sleep(10);
    UnmapViewOfFile(const_cast<DWORD*>(owner));
    CloseHandle(block);
    return first ? first : ~DWORD{0};
  }
  // The block stays open for the whole run: it is released when the
  // process ends, however it ends.
  *owner = GetCurrentProcessId();
  return 0;
}

// Brings `window`, the first copy's main window or its start-up dialog, to
// the front and sounds the alert; this copy then ends.
int ActivateWindow(HWND window, bool mainWindow) {
  // SW_SHOWNORMAL also brings back a window hidden in the tray.
  if (mainWindow) ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  // The options are not loaded yet: the alert sounds whatever they say.
  AlertBeep();
  return 1;
}

// Brings the first copy forward once it has taken this copy's files: its
// main window, or else the start-up dialog it shows.
int BringFirstCopyForward(DWORD firstCopy, HWND mainWindow) {
  if (mainWindow) return ActivateWindow(mainWindow, true);
  ProcessWindowSearch search = {firstCopy, nullptr};
  if (firstCopy) EnumWindows(FindFrontWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found) return ActivateWindow(search.found, false);
  AlertBeep();
  return 1;
}

}  // namespace

int ActivateRunningCopy(const SwitchedFiles* files) {
  const DWORD start = GetTickCount();
  for (DWORD firstCopy = ClaimRunningCopy();; firstCopy = ClaimRunningCopy()) {
    HWND other = FindWindowA(kMainWindowClass, nullptr);
    if (files) {
      // Files go only to a copy that takes them; one that is ending has
      // closed its hand-off window, and this copy waits for it to end.
      HWND receiver = FindWindowA(kHandOffClass, nullptr);
      if (receiver && HandFilesOver(receiver, *files)) return BringFirstCopyForward(firstCopy, other);
    } else if (other) {
      return ActivateWindow(other, true);
    }
    if (!firstCopy) return 0;
    if (!files) {
      // The first copy is still starting: its options sheet or password
      // prompt comes to the front.
      ProcessWindowSearch search = {firstCopy, nullptr};
      EnumWindows(FindFrontWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found) return ActivateWindow(search.found, false);
    }
    // A first copy without a window is starting, ending (saving its options
    // once its window is gone) or held by a crash dialog of another
    // program: this copy waits a while for a window of it, or for it to end
    // and leave its name free, and then starts, so that a start never ends
    // with nothing shown.
    if (GetTickCount() - start >= (files ? kFirstCopyHandOffWaitMs : kFirstCopyWaitMs)) return 0;
    Sleep(kFirstCopyPollMs);
  }
}

void PrepareAppContext(HINSTANCE instance) {
  InitCommonControls();
  AppContext& app = App();
  app.instance = instance;
  char module[kPathSize] = "";
  GetModuleFileNameA(instance, module, sizeof module);
  FillAppPaths(module, app.paths);
  TakeDesktopRect();
  SeedRandom(static_cast<std::uint32_t>(std::time(nullptr)) & 0xFFFF);
  // Looked for once: the help commands stay off for the whole run.
  if (GetFileAttributesA(app.paths.helpFile) == INVALID_FILE_ATTRIBUTES) app.paths.helpFile[0] = '\0';
}

int LoadMainAccelerators() {
  App().accelerators = LoadAcceleratorsA(App().instance, MAKEINTRESOURCEA(IDM_MAIN_ACCELERATORS));
  if (App().accelerators) return 1;
  return ShowError(IDS_ACCELERATORS_FAILED, static_cast<int>(GetLastError()));
}

bool IsSetupSwitch(const char* tail) {
  return lstrcmpiA(tail, "/setup") == 0 || lstrcmpiA(tail, "-setup") == 0;
}

int ReadCommandLine(const char* tail, ProgramOptions* options) {
  if (!tail || !tail[0]) return 1;
  SwitchedFiles files;
  if (ReadFileSwitch(tail, files)) {
    MakePathsFull(files);
    QueueFiles(std::move(files));
    return 1;
  }
  if (IsSetupSwitch(tail)) {
    options->Explorer.CreateStartMenu = 1;
    return 1;
  }
  std::snprintf(options->FileSpec, sizeof options->FileSpec, "%s", tail);
  RemoveChar(options->FileSpec, '"', 0);
  if (FindChar(options->FileSpec, '\\') && FindChar(options->FileSpec, ':')) return 1;
  return ShowError(IDS_COMMAND_LINE_PATH, options->FileSpec);
}

int CheckAccessPassword(const ProgramOptions* options) {
  return options->Code == 0 || AskAccessPassword(nullptr, options->Code);
}

void OpenSetupPages(const char* tail, ProgramOptions* options) {
  if (!FirstRun && !(tail && IsSetupSwitch(tail))) return;
  options->Explorer.CreateStartMenu = 1;
  OpenOptionsSheet(nullptr, options, kExplorerPage);
}

int RunMessageLoop() {
  MSG message;
  BOOL fetched;
  while ((fetched = GetMessageA(&message, nullptr, 0, 0)) == 1) {
    if (TranslateAcceleratorA(App().mainWindow, App().accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return fetched == 0 ? static_cast<int>(message.wParam) : 0;
}

void FinishRun(ProgramOptions* options) {
  SaveOptions(options);
  SetStatusText(IDS_OPTIONS_SAVED);
  LogWrite(0);
  DeleteListFont();
}
