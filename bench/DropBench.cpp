// Speed of a large drop: N files (10,000 by default) dropped on the
// encryption list of a real main window, listed one by one with their
// checks, their entries and the repaint after each, and the cost of each
// part per file:
//   - asking the drop handle for each name by its index (DragQueryFileA),
//     which a drop no longer does: it reads the drop block once;
//   - the candidate checks (CheckCandidate), with one listing of each folder
//     as a drop takes them, and with a look-up per check instead; among
//     them, what no listing saves: opening each file and reading its header;
//   - the duplicate search through the list's index (IsFileListed), beside
//     the list's own linear search (LVM_FINDITEMA) that it replaces;
//   - the entries one by one as the drop would add them without holding the
//     list's drawing back: each scrolled into view (AddListedFile), with and
//     without the repaint of the main window after each (UpdateWindow);
//     sampled on the first few hundred files, as each takes milliseconds.
//
//   drop_bench [files (10000)] [rounds (3)] [sampled (300)] [folders (1)]
//
// The files lie in one folder, or spread over several: under Wine a search
// for a name that does not exist reads the whole folder, and the candidate
// checks would make one for every file (its temporary name) without the
// folder listings. The last line gives the whole drop against its target
// (2 s for 10,000 files in folders of 100, 3 s in one folder).
//
// Every figure is the best of the rounds. Run it under Wine by hand; it is
// not a test.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "app/CommandStates.h"
#include "app/FileArrivals.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "app/MainWindow.h"
#include "bench/BenchClock.h"
#include "engine/CandidateChecks.h"
#include "engine/FileAccess.h"
#include "core/FileHeader.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "settings/SettingsStore.h"
#include "tests/support/AppContextSetup.h"
#include "tests/support/DropHandle.h"

namespace {

constexpr char kBenchRoot[] = "Software\\Norvik Studio\\OrvaneDropBench";

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "drop_bench: %s failed (code %lu)\n", what, static_cast<unsigned long>(GetLastError()));
  std::exit(1);
}

void DeleteKeyTree(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | DELETE, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteKeyTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(root, path);
}

// N small plain files in folders of their own under the temporary folder.
class BenchFiles {
 public:
  BenchFiles(int count, int folders) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "drop-bench-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(folder_.c_str(), nullptr)) Fail("CreateDirectoryA");
    for (int f = 0; f < folders; ++f) {
      folders_.push_back(folder_ + "\\folder" + std::to_string(f));
      if (!CreateDirectoryA(folders_.back().c_str(), nullptr)) Fail("CreateDirectoryA");
    }
    for (int i = 0; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "\\letter%05d.txt", i);
      paths_.push_back(folders_[i % folders] + name);
      HANDLE file = CreateFileA(paths_.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA");
      DWORD written = 0;
      WriteFile(file, "Dear reader, ...", 16, &written, nullptr);
      CloseHandle(file);
    }
  }
  ~BenchFiles() {
    for (const std::string& path : paths_) DeleteFileA(path.c_str());
    for (const std::string& folder : folders_) RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  BenchFiles(const BenchFiles&) = delete;
  BenchFiles& operator=(const BenchFiles&) = delete;
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::string folder_;
  std::vector<std::string> folders_;
  std::vector<std::string> paths_;
};

POINT ListCentre(HWND mainWindow, HWND list) {
  RECT rect;
  GetWindowRect(list, &rect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Empty(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

int Count(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

struct Figure {
  const char* what;
  double best = 1e30;
  void Take(double seconds) { best = std::min(best, seconds); }
};

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int sampled = std::min(files, argc > 3 ? std::atoi(argv[3]) : 300);
  const int folders = argc > 4 ? std::atoi(argv[4]) : 1;
  if (files < 1 || rounds < 1 || sampled < 1 || folders < 1) {
    std::fprintf(stderr, "usage: drop_bench [files] [rounds] [sampled] [folders]\n");
    return 2;
  }

  PrepareAppContext();
  DeleteKeyTree(HKEY_CURRENT_USER, kBenchRoot);
  SetSettingsRoot(kBenchRoot);
  static ProgramOptions options;
  LoadOptions(&options);
  if (!RegisterMainWindowClass()) Fail("RegisterMainWindowClass");
  HWND window = CreateMainWindow(SW_SHOWNORMAL, &options);
  if (!window) Fail("CreateMainWindow");
  HWND list = GetDlgItem(window, IDC_ENCRYPT_LIST);
  Pump();

  BenchFiles bench(files, folders);
  const std::vector<std::string>& paths = bench.Paths();
  const POINT drop = ListCentre(window, list);

  Figure whole{"whole drop (WM_DROPFILES)"};
  Figure names{"  (each name asked for by its index)"};
  Figure checks{"  candidate checks, a listing a folder"};
  Figure headers{"    of them, opening and reading the file"};
  Figure lookups{"  (a look-up per check instead)"};
  Figure duplicates{"  duplicate search (index)"};
  Figure entries{"  one by one, scrolled into view"};
  Figure repainted{"  one by one, each also repainted"};
  double linearSearch = 0;

  for (int round = 0; round < rounds; ++round) {
    Empty(list);
    Pump();
    double start = Now();
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(paths, drop)), 0);
    whole.Take(Now() - start);
    if (Count(list) != files) {
      std::fprintf(stderr, "drop_bench: %d of %d files listed\n", Count(list), files);
      return 1;
    }

    HDROP handle = MakeDropHandle(paths, drop);
    start = Now();
    const UINT count = DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      char name[kDroppedNameSize];
      DragQueryFileA(handle, i, name, sizeof name);
    }
    names.Take(Now() - start);
    DragFinish(handle);

    start = Now();
    {
      FolderListings listings;
      for (const std::string& path : paths) CheckCandidate(window, path.c_str(), options);
    }
    checks.Take(Now() - start);
    // What no listing saves: each file opened, its header read, closed.
    start = Now();
    for (const std::string& path : paths) {
      HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA");
      unsigned char header[kHeaderSize];
      DWORD read = 0;
      ReadFile(file, header, sizeof header, &read, nullptr);
      CloseHandle(file);
    }
    headers.Take(Now() - start);
    // Without the listings each check looks up its names one by one: timed
    // on the first files only, as in one folder each costs milliseconds.
    start = Now();
    for (int i = 0; i < sampled; ++i) CheckCandidate(window, paths[i].c_str(), options);
    lookups.Take((Now() - start) / sampled * files);

    // The list is full: every search for a new name looks through it all.
    start = Now();
    for (const std::string& path : paths) IsFileListed(list, (path + "x").c_str());
    duplicates.Take(Now() - start);
    const int searches = std::min(files, 50);
    start = Now();
    for (int i = 0; i < searches; ++i) {
      const std::string other = paths[i] + "x";
      LVFINDINFOA find = {};
      find.flags = LVFI_STRING;
      find.psz = other.c_str();
      SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
    }
    // A growing list is searched half through on average.
    linearSearch = (Now() - start) / searches / 2;

    Empty(list);
    Pump();
    start = Now();
    for (int i = 0; i < sampled; ++i) AddListedFile(list, paths[i].c_str());
    entries.Take((Now() - start) / sampled * files);

    Empty(list);
    Pump();
    start = Now();
    for (int i = 0; i < sampled; ++i) {
      AddListedFile(list, paths[i].c_str());
      UpdateWindow(window);
    }
    repainted.Take((Now() - start) / sampled * files);
  }

  std::printf("%d files in %d folder%s dropped on the encryption list, best of %d rounds\n", files, folders,
              folders == 1 ? "" : "s", rounds);
  std::printf("(one by one: the first %d files, the total for %d estimated)\n", sampled, files);
  std::printf("%-40s %9s %12s\n", "", "total s", "per file us");
  for (const Figure* f : {&whole, &names, &checks, &headers, &lookups, &duplicates, &entries, &repainted}) {
    std::printf("%-40s %9.3f %12.1f\n", f->what, f->best, f->best / files * 1e6);
  }
  std::printf("%-40s %9.3f %12.1f\n", "  (linear search instead, estimated)", linearSearch * files,
              linearSearch * 1e6);

  const double target = folders == 1 ? 3.0 : 2.0;
  std::printf("the whole drop: %.2f s for %d files (%.2f s for 10,000; target for 10,000 %s: %.0f s)\n", whole.best,
              files, whole.best / files * 10000, folders == 1 ? "in one folder" : "in folders", target);

  DestroyWindow(window);
  DeleteListFont();
  DeleteKeyTree(HKEY_CURRENT_USER, kBenchRoot);
  return 0;
}
