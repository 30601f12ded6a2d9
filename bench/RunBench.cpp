// Speed of the conversion run through the real main window.
//
//   run_bench small [files (1000)] [rounds (3)]
//       Encrypts `files` files of 4 KB in one folder with RunConversion
//       ("Cleanup" on, the log on, the status line showing), beside
//       CopyFileA + FlushFileBuffers + DeleteFileA of the same files in the
//       same folder, in the same process (the copy is timed before each
//       configuration). The configurations after the first take one of the
//       run's costs away, or call the converter on each file without the
//       run, to show where the time goes.
//   run_bench large [megabytes (1024)] [rounds (2)]
//       Encrypts one file ("Cleanup" off) with and without the progress in
//       the caption and the repaints while it converts, and gives the time
//       the run with them spent in them.
//
// The key dialog is served by a timer; its time, until it is gone, is not
// counted. Every figure is the best of the rounds. Run it under Wine by
// hand; it is not a test.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "bench/BenchClock.h"
#include "app/FileArrivals.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "app/MainWindow.h"
#include "app/RunConversion.h"
#include "app/Startup.h"
#include "engine/ConversionJob.h"
#include "engine/Converters.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "settings/SettingsStore.h"

namespace {

constexpr char kBenchRoot[] = "Software\\Norvik Studio\\OrvaneBench";
constexpr char kKey[] = "bench key";

[[noreturn]] void Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "run_bench: %s failed for %s (code %lu)\n", what, path.c_str(),
               static_cast<unsigned long>(GetLastError()));
  std::exit(1);
}

void WriteFileOf(const std::string& path, DWORD size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", path);
  std::vector<unsigned char> chunk(1u << 20);
  std::uint32_t x = 0x9E3779B9u;
  for (DWORD left = size; left > 0;) {
    const DWORD count = std::min<DWORD>(left, static_cast<DWORD>(chunk.size()));
    for (DWORD i = 0; i < count; ++i) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      chunk[i] = static_cast<unsigned char>(x);
    }
    DWORD written = 0;
    if (!WriteFile(file, chunk.data(), count, &written, nullptr) || written != count) Fail("WriteFile", path);
    left -= count;
  }
  FlushFileBuffers(file);
  CloseHandle(file);
}

// Deletes every file of `folder` (with its trailing backslash).
void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Serves the key dialog from a thread timer, which its modal loop
// dispatches, and notes when the dialog is gone: the run starts then. Under
// Wine with Xvfb the dialog takes two seconds to go after OK is pressed,
// which is no part of the run. The hook that notes it goes with the dialog:
// under Wine a hook costs two round trips to the server for every message
// sent, which would be counted in the run (and were, in figures taken
// before this was seen: up to a quarter of a millisecond for each entry
// the run removes).
HWND keyDialog = nullptr;
HHOOK keyDialogHook = nullptr;
double keyEntered = 0;

void Unhook() {
  if (keyDialogHook) UnhookWindowsHookEx(keyDialogHook);
  keyDialogHook = nullptr;
}

LRESULT CALLBACK NoteKeyDialogGone(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HC_ACTION && call->hwnd == keyDialog && call->message == WM_NCDESTROY) {
    keyEntered = Now();
    Unhook();
  }
  return result;
}

void CALLBACK ServeKeyDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = GetActiveWindow();
  char title[64] = "";
  GetWindowTextA(dialog, title, sizeof title);
  if (std::strstr(title, "Key") == nullptr) return;
  KillTimer(nullptr, timer);
  SetDlgItemTextA(dialog, IDC_KEY_TEXT, kKey);
  SetDlgItemTextA(dialog, IDC_KEY_CONFIRM, kKey);
  keyDialog = dialog;
  keyEntered = Now();
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// The seconds a run of the encryption list takes from the key dialog's end.
double TimedRun(HWND mainWindow, ProgramOptions* options) {
  keyDialogHook = SetWindowsHookExA(WH_CALLWNDPROCRET, NoteKeyDialogGone, nullptr, GetCurrentThreadId());
  SetTimer(nullptr, 0, 10, ServeKeyDialog);
  const int result = RunConversion(mainWindow, kRunEncrypt, options);
  const double seconds = Now() - keyEntered;
  Unhook();
  if (!result) Fail("RunConversion", "the encryption list");
  return seconds;
}

// Removes the bench's settings with everything below them.
void DeleteKeyTree(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | DELETE, &key) != ERROR_SUCCESS) return;
  char name[256];
  DWORD length = sizeof name;
  while (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    DeleteKeyTree(key, name);
    length = sizeof name;
  }
  RegCloseKey(key);
  RegDeleteKeyA(root, path);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

struct Window {
  ProgramOptions options{};
  HWND handle = nullptr;

  Window() {
    SetSettingsRoot(kBenchRoot);
    LoadOptions(&options);
    if (!RegisterMainWindowClass()) Fail("RegisterMainWindowClass", kMainWindowClass);
    handle = CreateMainWindow(SW_SHOWNORMAL, &options);
    if (!handle) Fail("CreateMainWindow", kMainWindowClass);
    PumpMessages();
  }
  ~Window() {
    DestroyWindow(handle);
    LogWrite(0);
    DeleteKeyTree(HKEY_CURRENT_USER, kBenchRoot);
  }
  HWND List() const { return GetDlgItem(handle, IDC_ENCRYPT_LIST); }
};

std::string Folder(const char* name) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  EmptyFolder(folder);
  return folder;
}

// ---- Many small files -------------------------------------------------------

std::vector<std::string> MakeSmallFiles(const std::string& folder, int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%04d.txt", i);
    paths.push_back(folder + name);
    WriteFileOf(paths.back(), 4096);
  }
  return paths;
}

// What the run does to a file at the least: a new file with the content,
// on the disk, and the old one gone.
double CopyFlushDelete(const std::vector<std::string>& paths) {
  const double start = Now();
  for (const std::string& path : paths) {
    const std::string copy = path.substr(0, path.size() - 4) + ".cpy";
    if (!CopyFileA(path.c_str(), copy.c_str(), FALSE)) Fail("CopyFileA", copy);
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", copy);
    FlushFileBuffers(file);
    CloseHandle(file);
    if (!DeleteFileA(path.c_str())) Fail("DeleteFileA", path);
  }
  return Now() - start;
}

struct Configuration {
  const char* name;
  bool statusBar;
  bool log;
  bool cleanup;
  bool run;  // false: the converter called on each file, without list or run
};

// The converter alone on each file, as the run would call it.
double ConvertersAlone(const Window& window, ProgramOptions* options, const std::vector<std::string>& paths) {
  const double start = Now();
  for (const std::string& path : paths) {
    ConversionJob* job = CreateConversionJob(window.handle, window.List(), path.c_str(), 0x1234567u, options);
    if (!job || EncryptFile(job) != 1) Fail("EncryptFile", path);
  }
  return Now() - start;
}

void SmallFiles(int count, int rounds) {
  Window window;
  const std::string folder = Folder("orvane-run-bench");
  const Configuration configurations[] = {
      {"real run: status line, log, Cleanup", true, true, true, true},
      {"  without the status line", false, true, true, true},
      {"  without the log", true, false, true, true},
      {"  without Cleanup", true, true, false, true},
      {"  the converter alone, no status line", false, true, true, false},
  };
  double copyBest = 1e9;
  std::vector<double> best(sizeof configurations / sizeof configurations[0], 1e9);
  RunProgressCost pictures = {};
  for (int round = 0; round < rounds; ++round) {
    for (size_t c = 0; c < best.size(); ++c) {
      const Configuration& configuration = configurations[c];
      // The copy and the real run meet the same files in the same folder:
      // the copies take the files' place, and the run converts them.
      EmptyFolder(folder);
      std::vector<std::string> paths = MakeSmallFiles(folder, count);
      copyBest = std::min(copyBest, CopyFlushDelete(paths));
      for (std::string& path : paths) path = path.substr(0, path.size() - 4) + ".cpy";
      ShowStatusBar(window.handle, configuration.statusBar);
      window.options.Status = configuration.statusBar;
      PumpMessages();
      window.options.LogFile = configuration.log;
      LogFlag = configuration.log;
      window.options.Cleanup = configuration.cleanup;
      if (!configuration.run) {
        best[c] = std::min(best[c], ConvertersAlone(window, &window.options, paths));
        continue;
      }
      for (const std::string& path : paths) AddListedFile(window.List(), path.c_str());
      const double seconds = TimedRun(window.handle, &window.options);
      if (c == 0 && seconds < best[0]) pictures = LastRunProgressCost();
      best[c] = std::min(best[c], seconds);
      if (SendMessageA(window.List(), LVM_GETITEMCOUNT, 0, 0) != 0) Fail("RunConversion", "some files");
    }
  }
  // The parts of one picture of the run on their own, on a list of about
  // `count` entries: removing entries from its top with its drawing held,
  // together, as a picture of the run does (per entry), and one with its
  // drawing not held; holding and releasing its drawing, and repainting it
  // whole.
  HWND list = window.List();
  const auto timed = [](int times, auto part) {
    const double begin = Now();
    for (int i = 0; i < times; ++i) part();
    return (Now() - begin) / times;
  };
  constexpr int kTimes = 20;
  for (int i = 0; i < count + 2 * kTimes; ++i) AddListedFile(list, "C:\\windows\\win.ini.cpy");
  SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
  PumpMessages();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  // As a picture removes them: together, from the top, per entry.
  std::vector<int> top(kTimes);
  for (int i = 0; i < kTimes; ++i) top[i] = i;
  const double heldRemoval = timed(1, [&] { RemoveListedFiles(list, top.data(), kTimes); }) / kTimes;
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  const double drawnRemoval = timed(kTimes, [&] { RemoveListedFile(list, 0); });
  const double holdRelease = timed(kTimes, [&] {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  });
  const double repaint = timed(kTimes, [&] {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(window.handle);
  });
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  EmptyFolder(folder);
  RemoveDirectoryA(folder.c_str());

  std::printf("%d files of 4 KB in one folder, best of %d rounds\n", count, rounds);
  std::printf("  %-40s %8.3f s  %6.2f ms a file\n", "CopyFileA + FlushFileBuffers + DeleteFileA", copyBest,
              copyBest * 1000 / count);
  for (size_t c = 0; c < best.size(); ++c) {
    std::printf("  %-40s %8.3f s  %6.2f ms a file  %5.2fx copy", configurations[c].name, best[c],
                best[c] * 1000 / count, best[c] / copyBest);
    if (c > 0) std::printf("  (%+.2f ms a file)", (best[0] - best[c]) * 1000 / count);
    std::printf("\n");
  }
  std::printf("  the parts of a picture, on a list of %d entries:\n", count);
  std::printf("    removing its top entries with its drawing held %6.3f ms an entry, one drawn %6.2f ms\n",
              heldRemoval * 1000,
              drawnRemoval * 1000);
  std::printf("    holding and releasing its drawing %6.2f ms, repainting it %6.2f ms\n", holdRelease * 1000,
              repaint * 1000);
  // The converter alone is the last configuration.
  const double converters = best.back();
  std::printf("  the window's share of the real run: %.1f %% of the converter's own time"
              " (%d pictures in the best run, %.0f ms in them)\n",
              (best[0] - converters) / converters * 100, pictures.updates, pictures.seconds * 1000);
}

// ---- One large file ---------------------------------------------------------

void LargeFile(unsigned megabytes, int rounds) {
  Window window;
  window.options.Cleanup = 0;
  const std::string folder = Folder("orvane-run-bench-large");
  const std::string plain = folder + "large.dat";
  const std::string encrypted = folder + "large.(=dat=)";
  WriteFileOf(plain, megabytes * 1024u * 1024u);
  double best[2] = {1e9, 1e9};
  RunProgressCost cost = {};
  for (int round = 0; round < rounds; ++round) {
    // Either order in turn: the first run of a pair meets another state of
    // the disk cache than the second.
    for (int turn = 0; turn < 2; ++turn) {
      const int shown = (round + turn) % 2;
      ShowRunProgress(shown);
      AddListedFile(window.List(), plain.c_str());
      const double seconds = TimedRun(window.handle, &window.options);
      if (shown && seconds < best[1]) cost = LastRunProgressCost();
      best[shown] = std::min(best[shown], seconds);
      if (!DeleteFileA(encrypted.c_str())) Fail("DeleteFileA", encrypted);
    }
  }
  ShowRunProgress(1);

  // The two parts of one update, on their own.
  constexpr int kUpdates = 100;
  double start = Now();
  for (int i = 0; i < kUpdates; ++i) {
    char caption[32];
    std::snprintf(caption, sizeof caption, "%d%% - Orvane", i);
    SetWindowTextA(window.handle, caption);
  }
  const double captionChange = (Now() - start) / kUpdates;
  SetWindowTextA(window.handle, "Orvane");
  start = Now();
  for (int i = 0; i < kUpdates; ++i) UpdateWindow(window.handle);
  const double repaint = (Now() - start) / kUpdates;
  EmptyFolder(folder);
  RemoveDirectoryA(folder.c_str());
  std::printf("one file of %u MB, best of %d rounds\n", megabytes, rounds);
  std::printf("  with progress and repaints     %8.3f s  %7.1f MB/s\n", best[1], megabytes / best[1]);
  std::printf("  without                        %8.3f s  %7.1f MB/s\n", best[0], megabytes / best[0]);
  std::printf("  difference                     %+7.2f %%\n", (best[1] / best[0] - 1) * 100);
  std::printf("  within the best run with progress: %d updates, %.1f ms in them, %.3f %% of the run\n",
              cost.updates, cost.seconds * 1000, cost.seconds / best[1] * 100);
  std::printf("  one caption change %.3f ms, one repaint with nothing to paint %.3f ms\n", captionChange * 1000,
              repaint * 1000);
}

}  // namespace

int main(int argc, char** argv) {
  PrepareAppContext(GetModuleHandleA(nullptr));

  const std::string mode = argc > 1 ? argv[1] : "small";
  if (mode == "small") {
    SmallFiles(argc > 2 ? std::atoi(argv[2]) : 1000, argc > 3 ? std::atoi(argv[3]) : 3);
  } else if (mode == "large") {
    LargeFile(argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1024, argc > 3 ? std::atoi(argv[3]) : 2);
  } else {
    std::fprintf(stderr, "usage: run_bench small [files] [rounds] | large [megabytes] [rounds]\n");
    return 2;
  }
  return 0;
}
