// The conversion lists: entries, the index of their paths, and the ways in
// and out of a list with their messages and questions.
#include "app/FileLists.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/CommandStates.h"
#include "app/ListIndex.h"
#include "app/MainWindow.h"
#include "ui/WindowPlacement.h"
#include "engine/CandidateChecks.h"
#include "engine/FileAccess.h"
#include "resource.h"
#include "ui/FileProperties.h"
#include "ui/Messages.h"
#include "ui/TemplateWriter.h"
#include "ui/TextRoutines.h"

namespace {

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void ReadItemText(HWND list, int index, char (&path)[kPathSize]) {
  path[0] = '\0';
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = path;
  item.cchTextMax = kPathSize;
  SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

// ---- Entries ---------------------------------------------------------------

constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jly", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "3-Jly-1998 - 2:05 PM" for a UTC file time; empty when it cannot be
// converted.
void FormatListDate(const FILETIME& time, char (&text)[kPathSize]) {
  text[0] = '\0';
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &t)) return;
  if (t.wMonth < 1 || t.wMonth > 12) return;
  const unsigned hour = t.wHour % 12 == 0 ? 12u : t.wHour % 12u;
  std::snprintf(text, sizeof text, "%u-%s-%u - %u:%02u %s", static_cast<unsigned>(t.wDay), kMonths[t.wMonth - 1],
                static_cast<unsigned>(t.wYear), hour, static_cast<unsigned>(t.wMinute), t.wHour < 12 ? "AM" : "PM");
}

void SetSubItemText(HWND list, int index, int column, const char* text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text);
  SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

// Appends the entry of `path` with its size and date; returns its index,
// or -1 when the list could not take it.
int InsertEntry(HWND list, const char* path) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount(list);
  item.pszText = const_cast<char*>(path);
  const int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return index;

  WIN32_FIND_DATAA found;
  if (FindFileEntry(path, found)) {
    char text[kPathSize];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(found.nFileSizeLow));
    SetSubItemText(list, index, 1, text);
    FormatListDate(found.ftLastWriteTime, text);
    SetSubItemText(list, index, 2, text);
  }
  return index;
}

// ---- The two lists of the main window --------------------------------------

HWND ListOf(HWND mainWindow, bool encryptList) { return MainWindowList(mainWindow, encryptList); }

LONG& SelectionOf(ProgramOptions& options, bool encryptList) {
  return encryptList ? options.EncryptSelection : options.DecodeSelection;
}

// What differs between the two lists in their actions.
struct ListTexts {
  UINT addHint, removeHint, clearHint;
  UINT filter, title;
  UINT addedStatus;
  const char* name;  // in the remove question
  const char* clearCaption;
  const char* clearQuestion;
};

constexpr ListTexts kEncryptTexts = {
    IDS_HINT_ENCRYPT_ADD, IDS_HINT_ENCRYPT_REMOVE, IDS_HINT_ENCRYPT_CLEAR, IDS_ENCRYPT_FILES_FILTER,
    IDS_ENCRYPT_FILES_TITLE, IDS_ADDED_TO_ENCRYPT_LIST, "encryption", "Clear Encryption List",
    "\rThere %s %d file%s listed for encryption\r\rAre you sure you want to clear the list?"};
constexpr ListTexts kDecodeTexts = {
    IDS_HINT_DECODE_ADD, IDS_HINT_DECODE_REMOVE, IDS_HINT_DECODE_CLEAR, IDS_DECODE_FILES_FILTER,
    IDS_DECODE_FILES_TITLE, IDS_ADDED_TO_DECODE_LIST, "decoding", "Clear Decoding List",
    "\rThere %s %d file%s listed for decoding\r\rAre you sure you want to clear the list?"};

// The list's selection, or -1 for none; a selection that no longer names an
// entry (its entry went without this program's bookkeeping) is dropped.
LONG ValidSelection(ProgramOptions& options, bool encryptList, HWND list) {
  LONG& selection = SelectionOf(options, encryptList);
  if (selection < -1 || selection >= ItemCount(list)) selection = -1;
  return selection;
}

const ListTexts& TextsOf(bool encryptList) { return encryptList ? kEncryptTexts : kDecodeTexts; }

const char* Plural(int count) { return count == 1 ? "" : "s"; }

// The list whose drawing a ListFilling holds back, if any. The refresh of
// the commands after each of its notifications waits for it to be shown.
HWND heldList = nullptr;

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
    heldList = list_;
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
      heldList = nullptr;
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

// Adds one file by the rules every way in shares: a path the list cannot
// hold, a duplicate, a file the candidate checks refuse and a file of the
// other list stay out, each after its message. Returns 1 when the file was
// added.
int AddCandidate(HWND mainWindow, const ProgramOptions& options, ListFilling& filling, bool encryptList,
                 const char* path) {
  // Never cut: a shortened path would name another file, or none.
  if (std::strlen(path) >= kPathSize) {
    filling.Show();
    return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_PATH_TOO_LONG, path);
  }
  if (IsFileListed(filling.list(), path)) {
    if (options.Warnings[kWarnDuplicates]) return 0;
    filling.Show();
    return ShowMessage(mainWindow, IDS_CAPTION_DUPLICATE, IDS_ALREADY_LISTED, path);
  }
  const int kind = CheckCandidate(mainWindow, path, options);
  if (kind == kCandidateRefused) {
    filling.ShowUncovered();
    return 0;
  }
  if ((kind == kCandidateEncrypted) != encryptList) {
    filling.Add(path);
    return 1;
  }
  if (options.Warnings[kWarnWrongFormat]) return 0;
  filling.Show();
  if (encryptList) return ShowMessage(mainWindow, IDS_CAPTION_ENCRYPTED, IDS_ALREADY_ENCRYPTED_NOT_ADDED, path);
  return ShowMessage(mainWindow, IDS_CAPTION_NOT_ENCRYPTED, IDS_NOT_ENCRYPTED_NOT_ADDED, path);
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

// ---- Entries ---------------------------------------------------------------

bool IsFileListed(HWND list, const char* path) { return ListHoldsText(list, path); }

int AddListedFile(HWND list, const char* path) {
  const int index = InsertEntry(list, path);
  if (index >= 0) SendMessageA(list, LVM_ENSUREVISIBLE, index, FALSE);
  return 1;
}

void GetListedFile(HWND list, int index, char (&path)[kPathSize]) {
  SendMessageA(list, LVM_ENSUREVISIBLE, index, FALSE);
  ReadItemText(list, index, path);
}

void ReadListedFile(HWND list, int index, char (&path)[kPathSize]) { ReadItemText(list, index, path); }

namespace {

// Deletes entry `index`; the selection goes with it or moves up.
void DeleteEntry(HWND list, int index) {
  if (!SendMessageA(list, LVM_DELETEITEM, index, 0)) return;
  // The selection names an entry by its place: it goes with its entry and
  // moves up with the entries below.
  HWND mainWindow = GetParent(list);
  ProgramOptions* options = mainWindow && mainWindow == App().mainWindow ? MainWindowOptions(mainWindow) : nullptr;
  if (!options) return;
  LONG& selection = SelectionOf(*options, GetDlgCtrlID(list) == IDC_ENCRYPT_LIST);
  if (selection == index) {
    selection = -1;
  } else if (selection > index) {
    --selection;
  }
}

}  // namespace

void RemoveListedFile(HWND list, int index) {
  SendMessageA(list, LVM_ENSUREVISIBLE, index, FALSE);
  DeleteEntry(list, index);
}

void RemoveListedFiles(HWND list, const int* indexes, int count) {
  if (count <= 0) return;
  // Scrolling to each entry before deleting it, from the last, only ever
  // moves the list up, and deletions leave its top where it is: the last
  // entry's scroll and then the first's end where all of them would.
  // Each scroll costs several milliseconds under Wine, so both are left out
  // where they would end where the list stands: when every entry is in
  // view, or when the first is the top entry (a run removes the entries it
  // converted from the top), whose scroll brings the list back from
  // wherever the last one's took it. A list scrolled sideways is scrolled
  // as before, since the scrolls would also bring its left edge into view.
  const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  const bool allInView = indexes[0] >= top && indexes[count - 1] < top + rows;
  const bool fromTop = indexes[0] == top && rows > 0;
  if (!(allInView || fromTop) || GetScrollPos(list, SB_HORZ) != 0) {
    SendMessageA(list, LVM_ENSUREVISIBLE, indexes[count - 1], FALSE);
    SendMessageA(list, LVM_ENSUREVISIBLE, indexes[0], FALSE);
  }
  // The commands are refreshed once for all the entries, not after the
  // notifications of each.
  HWND outerHeld = heldList;
  heldList = list;
  for (int i = count - 1; i >= 0; --i) DeleteEntry(list, indexes[i]);
  heldList = outerHeld;
  HWND mainWindow = GetParent(list);
  if (mainWindow && mainWindow == App().mainWindow) {
    if (const ProgramOptions* options = MainWindowOptions(mainWindow)) UpdateCommandStates(mainWindow, options);
  }
}

int ItemAtCursor(HWND list) {
  LVHITTESTINFO hit = {};
  GetCursorPos(&hit.pt);
  ScreenToClient(list, &hit.pt);
  return static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

// ---- Actions ---------------------------------------------------------------

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

int RemoveSelectedFile(HWND mainWindow, ProgramOptions* options, int fromEncryptList) {
  const bool encryptList = fromEncryptList != 0;
  HWND list = ListOf(mainWindow, encryptList);
  const int index = ValidSelection(*options, encryptList, list);
  if (index == -1) return 0;
  char path[kPathSize];
  GetListedFile(list, index, path);
  if (!AskYesNoText(mainWindow, 1, "Remove File",
                    "File: %s\r\rAre you sure you want to delete this\rfile from the %s list?", path,
                    TextsOf(encryptList).name)) {
    return 0;
  }
  RemoveListedFile(list, index);
  SelectionOf(*options, encryptList) = -1;
  UpdateWindow(mainWindow);
  return 1;
}

int ClearFileList(HWND mainWindow, ProgramOptions* options, int encryptList) {
  HWND list = ListOf(mainWindow, encryptList != 0);
  const ListTexts& texts = TextsOf(encryptList != 0);
  const int count = ItemCount(list);
  if (!AskYesNoText(mainWindow, 1, texts.clearCaption, texts.clearQuestion, count == 1 ? "is" : "are", count,
                    Plural(count))) {
    return 0;
  }
  SelectionOf(*options, encryptList != 0) = -1;
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  UpdateWindow(mainWindow);
  return 1;
}

void ShowSelectedProperties(HWND mainWindow, ProgramOptions* options) {
  HWND focus = GetFocus();
  for (bool encryptList : {true, false}) {
    HWND list = ListOf(mainWindow, encryptList);
    if (!list || focus != list) continue;
    const LONG selection = ValidSelection(*options, encryptList, list);
    if (selection == -1) return;
    char path[kPathSize];
    GetListedFile(list, selection, path);
    ShowFileProperties(mainWindow, path);
    return;
  }
}

namespace {

// The lists' own keys, while no conversion runs.
void OnListKey(HWND mainWindow, ProgramOptions* options, HWND list, bool encryptList, WORD key) {
  const ListTexts& texts = TextsOf(encryptList);
  switch (key) {
    case VK_DELETE:
      if (ValidSelection(*options, encryptList, list) == -1) return;
      SetStatusText(texts.removeHint);
      RemoveSelectedFile(mainWindow, options, encryptList);
      return;
    case VK_INSERT: {
      SetStatusText(texts.addHint);
      const int added = AddFilesFromDialog(mainWindow, options, list, texts.filter, texts.title);
      if (added) SetStatusText(texts.addedStatus, added, Plural(added));
      return;
    }
    case VK_CLEAR:
      if (ItemCount(list) == 0) return;
      SetStatusText(texts.clearHint);
      ClearFileList(mainWindow, options, encryptList);
      return;
    default:
      return;
  }
}

// The selection follows the last entry that became selected or focused, and
// is none when the last change took both from an entry.
void OnItemChanged(ProgramOptions* options, bool encryptList, const NMLISTVIEW& change) {
  const bool chosen = change.iSubItem == 0 && (change.uNewState & (LVIS_SELECTED | LVIS_FOCUSED)) != 0;
  SelectionOf(*options, encryptList) = chosen ? change.iItem : -1;
}

void OnDoubleClick(HWND mainWindow, ProgramOptions* options, HWND list, bool encryptList) {
  const int index = ItemAtCursor(list);
  SelectionOf(*options, encryptList) = index;
  if (index == -1) return;
  char path[kPathSize];
  GetListedFile(list, index, path);
  ShowFileProperties(mainWindow, path);
}

}  // namespace

int OnListNotify(HWND mainWindow, ProgramOptions* options, const NMHDR* notification) {
  const UINT_PTR id = notification->idFrom;
  if (id != IDC_ENCRYPT_LIST && id != IDC_DECODE_LIST) return 0;
  const bool encryptList = id == IDC_ENCRYPT_LIST;
  HWND list = ListOf(mainWindow, encryptList);
  if (!list || notification->hwndFrom != list) return 0;

  const bool idle = options->Busy == kIdle;
  switch (notification->code) {
    case LVN_KEYDOWN:
      if (idle) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(notification)->wVKey;
        OnListKey(mainWindow, options, list, encryptList, key);
      }
      break;
    case LVN_ITEMCHANGED:
      OnItemChanged(options, encryptList, *reinterpret_cast<const NMLISTVIEW*>(notification));
      break;
    case NM_DBLCLK:
      if (idle) OnDoubleClick(mainWindow, options, list, encryptList);
      break;
    default:
      break;
  }
  // While the main window is still being made (a new list empties itself),
  // its making refreshes the commands once it is done.
  if (list != heldList && App().mainWindow == mainWindow) UpdateCommandStates(mainWindow, options);
  return 1;
}
