// The ways files arrive in a list: dropped, chosen in the add-files dialog,
// named on the command line or handed over by another copy. Every one goes
// through AddCandidate, with the same checks and messages.
#include "app/FileArrivals.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandStates.h"
#include "app/ListEntries.h"
#include "app/MainWindow.h"
#include "ui/WindowPlacement.h"
#include "engine/CandidateChecks.h"
#include "engine/FileAccess.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {


// Files added one after another show four times a second instead of one
// by one. A visible list redraws its scroll bar for every entry it takes,
// several milliseconds each under Wine, and the main window's repaint after
// each file costs as much again: so the list takes its entries with its
// drawing held back, and the list, the command states and the main window
// are shown at most every kShowInterval, before each box the adding shows,
// after a box of the candidate checks and at the end. Showing them costs
// a few milliseconds, and under Wine tens of them (holding and releasing
// the list's drawing alone costs twenty-five): the next showing comes no
// sooner than kShowShare times the last one's cost after it.
class ListFilling {
 public:
  static constexpr DWORD kShowInterval = 250;  // milliseconds
  static constexpr DWORD kShowShare = 15;

  ListFilling(HWND mainWindow, const ProgramOptions& options, HWND list)
      : mainWindow_(mainWindow), options_(options), list_(list), shown_(GetTickCount()),
        outer_(current_), outerCatchUp_(CatchUpBeforeBoxes(ShowBeforeBox)) {
    current_ = this;
  }
  ~ListFilling() {
    CatchUpBeforeBoxes(outerCatchUp_);
    current_ = outer_;
    Show();
  }
  ListFilling(const ListFilling&) = delete;
  ListFilling& operator=(const ListFilling&) = delete;

  HWND list() const { return list_; }

  void Add(const char* path) {
    if (!held_) SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    held_ = true;
    HoldList(list_);
    // Scrolling waits for the list to be shown: a list with a scroll bar
    // redraws it for every scroll.
    last_ = InsertEntry(list_, path);
    if (GetTickCount() - shown_ >= interval_) Show();
  }

  // Draws what has been added, the last entry scrolled into view, and
  // repaints the main window.
  void Show() {
    const DWORD start = GetTickCount();
    if (held_) {
      HoldList(nullptr);
      held_ = false;
      UpdateCommandStates(mainWindow_, &options_);
      // The list invalidates itself when its drawing is allowed again, and
      // scrolls only while it may draw.
      SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
      if (last_ >= 0) SendMessageA(list_, LVM_ENSUREVISIBLE, last_, FALSE);
    }
    UpdateWindow(mainWindow_);
    shown_ = GetTickCount();
    interval_ = std::max(kShowInterval, (shown_ - start) * kShowShare);
  }

  // Shows the list again when a box has left part of the window to repaint.
  void ShowUncovered() {
    if (GetUpdateRect(mainWindow_, nullptr, FALSE) || GetUpdateRect(list_, nullptr, FALSE)) Show();
  }

 private:
  // Any box, the candidate checks' too, finds the list shown behind it.
  // While a box is open the user may change the folders: the checks after
  // it look at them again.
  static void ShowBeforeBox() {
    FolderListings::Forget();
    if (current_ && current_->held_) current_->Show();
  }

  static ListFilling* current_;
  HWND mainWindow_;
  const ProgramOptions& options_;
  HWND list_;
  DWORD shown_;
  DWORD interval_ = kShowInterval;
  bool held_ = false;
  int last_ = -1;  // the entry added last
  ListFilling* outer_;  // a filling under way when this one began
  RepaintCatchUp outerCatchUp_;
};

ListFilling* ListFilling::current_ = nullptr;

// The one route in: adds one file by the rules every way in shares. A path
// the list cannot hold, a duplicate, a file the candidate checks refuse and
// a file of the other list stay out, each after its message. With
// `encryptList` unset the file goes to the list of its kind, which the
// duplicate check then looks at; `filling` is then asked for that list.
// Returns 1 when the file was added.
template <class Filling>
int AddCandidate(HWND mainWindow, const ProgramOptions& options, Filling&& fillingOf, const bool* encryptList,
                 const char* path) {
  // Never cut: a shortened path would name another file, or none.
  if (std::strlen(path) >= kPathSize) {
    if (encryptList) fillingOf(*encryptList).Show();
    return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_PATH_TOO_LONG, path);
  }
  int kind = kCandidateRefused;
  if (!encryptList) {
    kind = CheckCandidate(mainWindow, path, options);
    if (kind == kCandidateRefused) return 0;
  }
  const bool toEncryptList = encryptList ? *encryptList : kind != kCandidateEncrypted;
  ListFilling& filling = fillingOf(toEncryptList);
  if (IsFileListed(filling.list(), path)) {
    if (options.Warnings[kWarnDuplicates]) return 0;
    filling.Show();
    return ShowMessage(mainWindow, IDS_CAPTION_DUPLICATE, IDS_ALREADY_LISTED, path);
  }
  if (encryptList) kind = CheckCandidate(mainWindow, path, options);
  if (kind == kCandidateRefused) {
    filling.ShowUncovered();
    return 0;
  }
  if ((kind == kCandidateEncrypted) != toEncryptList) {
    filling.Add(path);
    return 1;
  }
  if (options.Warnings[kWarnWrongFormat]) return 0;
  filling.Show();
  if (toEncryptList) return ShowMessage(mainWindow, IDS_CAPTION_ENCRYPTED, IDS_ALREADY_ENCRYPTED_NOT_ADDED, path);
  return ShowMessage(mainWindow, IDS_CAPTION_NOT_ENCRYPTED, IDS_NOT_ENCRYPTED_NOT_ADDED, path);
}

// Into the one list of `filling`.
int AddCandidate(HWND mainWindow, const ProgramOptions& options, ListFilling& filling, bool encryptList,
                 const char* path) {
  return AddCandidate(mainWindow, options, [&](bool) -> ListFilling& { return filling; }, &encryptList, path);
}

// ---- Drops -----------------------------------------------------------------

// A name of a drop as DragQueryFileA would give it into a buffer of
// kDroppedNameSize (cut to fit), and whether those 8 bits spell the name
// that was dropped: of a 16-bit name with characters beyond the code page
// they spell "?" or a best-fit letter, which may name another file.
struct DroppedFile {
  std::string path;
  bool spelled;
};

DroppedFile DroppedName(const char* name, size_t length, bool spelled = true) {
  return DroppedFile{std::string(name, std::min<size_t>(length, kDroppedNameSize - 1)), spelled};
}

// True when the 8-bit `converted` reads back as the 16-bit `name`.
bool ReadsBack(const char* converted, int bytes, const WCHAR* name, int length) {
  if (bytes <= 0) return false;
  std::vector<WCHAR> back(static_cast<size_t>(length) + 1);
  const int read = MultiByteToWideChar(CP_ACP, 0, converted, bytes, back.data(), length + 1);
  return read == length && std::equal(name, name + length, back.data());
}

// The names of a drop, read once from its block: a DROPFILES header, then
// from pFiles on the names, each ending in a NUL and the list in one more,
// in 8-bit characters or (fWide) 16-bit ones, which are converted as
// DragQueryFileA converts them. DragQueryFileA walks the list from its start
// for every name it is asked for, which for a drop of thousands costs more
// than listing them. Nothing beyond the block is read: a name or list
// without its end stops there.
std::vector<DroppedFile> DroppedNames(HDROP drop) {
  std::vector<DroppedFile> names;
  const SIZE_T size = GlobalSize(drop);
  const auto* block = static_cast<const char*>(GlobalLock(drop));
  if (!block) return names;
  const auto* header = reinterpret_cast<const DROPFILES*>(block);
  SIZE_T at = size >= sizeof(DROPFILES) ? header->pFiles : size;
  if (size >= sizeof(DROPFILES) && header->fWide) {
    std::vector<char> converted;
    // Counted from the end of the block: `at` may come from the header as
    // anything up to 4 GB, which `at + 2` could take past the top of a
    // 32-bit size.
    for (; at < size && size - at >= sizeof(WCHAR); at += sizeof(WCHAR)) {
      const auto* name = reinterpret_cast<const WCHAR*>(block + at);
      const SIZE_T most = (size - at) / sizeof(WCHAR);
      SIZE_T length = 0;
      while (length < most && name[length] != 0) ++length;
      if (length == 0 || length == most) break;
      const int wide = static_cast<int>(std::min<SIZE_T>(length, 32767));
      const int bytes = WideCharToMultiByte(CP_ACP, 0, name, wide, nullptr, 0, nullptr, nullptr);
      converted.resize(static_cast<size_t>(bytes > 0 ? bytes : 0) + 1);
      const int written = WideCharToMultiByte(CP_ACP, 0, name, wide, converted.data(), bytes, nullptr, nullptr);
      names.push_back(DroppedName(converted.data(), static_cast<size_t>(written > 0 ? written : 0),
                                  ReadsBack(converted.data(), written, name, wide)));
      at += length * sizeof(WCHAR);
    }
  } else {
    for (; at < size; ++at) {
      const char* name = block + at;
      const void* end = std::memchr(name, '\0', size - at);
      if (!end || end == name) break;
      const size_t length = static_cast<size_t>(static_cast<const char*>(end) - name);
      names.push_back(DroppedName(name, length));
      at += length;
    }
  }
  GlobalUnlock(drop);
  return names;
}

// ---- The add-files dialog --------------------------------------------------

constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                             OFN_ENABLEHOOK | OFN_HIDEREADONLY;
static_assert(kOpenFlags == 0x00081A24, "the add-files dialog's flags");

// A remembered place is kept this far inside the right and bottom edges of
// the desktop, so that the dialog can always be reached.
constexpr LONG kDesktopMargin = 35;

// Places the dialog where it was last closed, and remembers where that is.
UINT_PTR CALLBACK PlaceFileDialog(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  // The hook is a child of the dialog it serves.
  HWND dialog = GetParent(hook);
  WindowPosition& place = DialogPositions().GetFile;
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case CDN_INITDONE: {
      const RECT& desktop = App().desktopRect;
      const LONG x = place.Left < desktop.right - kDesktopMargin ? place.Left : desktop.right - kDesktopMargin;
      const LONG y = place.Top < desktop.bottom - kDesktopMargin ? place.Top : desktop.bottom - kDesktopMargin;
      SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
      break;
    }
    case CDN_FILEOK:
      SaveWindowPlacement(dialog, &place);
      break;
    default:
      break;
  }
  return 0;
}

// The dialog's block of names: movable, zero-filled global memory, locked
// while it lives.
class NameBlock {
 public:
  NameBlock() : names_(static_cast<char*>(LockTemplateBlock(kNameBlockSize))) {}
  ~NameBlock() { ReleaseTemplateBlock(names_); }
  NameBlock(const NameBlock&) = delete;
  NameBlock& operator=(const NameBlock&) = delete;
  char* get() const { return names_; }

 private:
  char* names_;
};

// Adds the names of a multiple selection: a folder (the one string with a
// backslash) followed by names in it. A drive root comes as "D:\", whose
// backslash goes, so that its files read "D:\name".
int AddSelectedNames(HWND mainWindow, const ProgramOptions& options, ListFilling& filling, bool encryptList,
                     const char* names) {
  const char* folder = "";
  int folderLength = 0;
  int added = 0;
  for (const char* name = names; *name; name += std::strlen(name) + 1) {
    const int length = static_cast<int>(std::strlen(name));
    if (FindChar(name, '\\')) {
      folder = name;
      folderLength = name[length - 1] == '\\' ? length - 1 : length;
      continue;
    }
    // A longer result is cut here but still refused for its length.
    char path[kDroppedNameSize];
    std::snprintf(path, sizeof path, "%.*s\\%s", folderLength, folder, name);
    added += AddCandidate(mainWindow, options, filling, encryptList, path);
  }
  return added;
}


}  // namespace

int AddFilesFromDialog(HWND mainWindow, ProgramOptions* options, HWND list, UINT filterId, UINT titleId) {
  char filter[kStringSize];
  if (!GetString(filter, filterId)) return 0;
  // The text's last character separates its parts: "All Files|*.*|"
  // becomes the pairs the dialog expects, ending in two NULs.
  const char separator = filter[std::strlen(filter) - 1];
  for (char* c = filter; *c; ++c) {
    if (*c == separator) *c = '\0';
  }
  char title[kStringSize] = "";
  if (titleId != 0 && !GetString(title, titleId)) return 0;

  NameBlock names;
  if (!names.get()) return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_NO_MEMORY, "file name buffer", kNameBlockSize);

  // Named, not left to the dialog: a dialog without a folder opens in the
  // folder it was last used in, which is not always the current one.
  char folder[kPathSize] = "";
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) folder[0] = '\0';

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mainWindow;
  dialog.hInstance = App().instance;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = names.get();
  dialog.nMaxFile = kNameBlockSize;
  dialog.lpstrInitialDir = folder[0] ? folder : nullptr;
  dialog.lpstrTitle = title[0] ? title : nullptr;
  dialog.Flags = kOpenFlags;
  dialog.lpfnHook = PlaceFileDialog;
  if (!GetOpenFileNameA(&dialog)) return 0;
  UpdateWindow(mainWindow);

  const bool encryptList = titleId == IDS_ENCRYPT_FILES_TITLE;
  const char* first = names.get();
  const bool several = first[std::strlen(first) + 1] != '\0';
  FolderListings listings;
  ListFilling filling(mainWindow, *options, list);
  if (several) return AddSelectedNames(mainWindow, *options, filling, encryptList, first);
  return AddCandidate(mainWindow, *options, filling, encryptList, first);
}

int AddDroppedFiles(HWND mainWindow, ProgramOptions* options, HWND list, HDROP drop, int toEncryptList) {
  const std::vector<DroppedFile> names = DroppedNames(drop);
  int added = 0;
  {
    FolderListings listings;
    ListFilling filling(mainWindow, *options, list);
    for (const DroppedFile& name : names) {
      if (name.path.empty()) continue;
      if (!name.spelled) {
        filling.Show();
        RefuseUnspellableName(mainWindow, name.path.c_str());
        continue;
      }
      added += AddCandidate(mainWindow, *options, filling, toEncryptList != 0, name.path.c_str());
    }
  }
  SetStatusText(TextsOf(toEncryptList != 0).addedStatus, added, Plural(added));
  return added;
}

int DropFiles(HWND mainWindow, ProgramOptions* options, HDROP drop) {
  POINT point;
  DragQueryPoint(drop, &point);
  for (bool encryptList : {true, false}) {
    HWND list = ListOf(mainWindow, encryptList);
    RECT area;
    if (!list || !GetWindowRect(list, &area)) continue;
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&area), 2);
    if (PtInRect(&area, point)) return AddDroppedFiles(mainWindow, options, list, drop, encryptList);
  }
  return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_DROP_FILES_HINT);
}

int AddSwitchedFiles(HWND mainWindow, ProgramOptions* options, const SwitchedFiles& files) {
  const bool named = files.target != FileTarget::ByKind;
  const bool encryptList = files.target == FileTarget::Encrypt;
  bool lastList = named ? encryptList : true;
  int added[2] = {};
  {
    FolderListings listings;
    // Each list holds its drawing back while it takes files; a list's
    // filling is made when a file first goes there, and the later one ends
    // first, as nested fillings do.
    std::optional<ListFilling> fillings[2];
    int order[2] = {};
    int made = 0;
    auto fillingOf = [&](bool toEncryptList) -> ListFilling& {
      lastList = toEncryptList;
      const int which = toEncryptList ? 1 : 0;
      if (!fillings[which]) {
        fillings[which].emplace(mainWindow, *options, ListOf(mainWindow, toEncryptList));
        order[made++] = which;
      }
      return *fillings[which];
    };
    for (const std::string& path : files.paths) {
      const int one = AddCandidate(mainWindow, *options, fillingOf, named ? &encryptList : nullptr, path.c_str());
      added[lastList ? 1 : 0] += one;
    }
    while (made > 0) fillings[order[--made]].reset();
  }
  const int shown = added[lastList ? 1 : 0];
  SetStatusText(TextsOf(lastList).addedStatus, shown, Plural(shown));
  UpdateCommandStates(mainWindow, options);
  return added[0] + added[1];
}
