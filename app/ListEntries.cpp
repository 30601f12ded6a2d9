// The entries of the two conversion lists: what an entry shows, the index
// of their paths, removing entries, and what the lists' other files share.
#include "app/ListEntries.h"

#include <cstdio>

#include "app/CommandStates.h"
#include "app/ListIndex.h"
#include "app/MainWindow.h"
#include "engine/FileAccess.h"
#include "resource.h"

namespace {

HWND heldList = nullptr;

void ReadItemText(HWND list, int index, char (&path)[kPathSize]) {
  path[0] = '\0';
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = path;
  item.cchTextMax = kPathSize;
  SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

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

}  // namespace

int ItemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

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

HWND ListOf(HWND mainWindow, bool encryptList) { return MainWindowList(mainWindow, encryptList); }

LONG& SelectionOf(ProgramOptions& options, bool encryptList) {
  return encryptList ? options.EncryptSelection : options.DecodeSelection;
}

namespace {

constexpr ListTexts kEncryptTexts = {
    IDS_HINT_ENCRYPT_ADD, IDS_HINT_ENCRYPT_REMOVE, IDS_HINT_ENCRYPT_CLEAR, IDS_ENCRYPT_FILES_FILTER,
    IDS_ENCRYPT_FILES_TITLE, IDS_ADDED_TO_ENCRYPT_LIST, "encryption", "Clear Encryption List",
    "\rThere %s %d file%s listed for encryption\r\rAre you sure you want to clear the list?"};
constexpr ListTexts kDecodeTexts = {
    IDS_HINT_DECODE_ADD, IDS_HINT_DECODE_REMOVE, IDS_HINT_DECODE_CLEAR, IDS_DECODE_FILES_FILTER,
    IDS_DECODE_FILES_TITLE, IDS_ADDED_TO_DECODE_LIST, "decoding", "Clear Decoding List",
    "\rThere %s %d file%s listed for decoding\r\rAre you sure you want to clear the list?"};

}  // namespace

LONG ValidSelection(ProgramOptions& options, bool encryptList, HWND list) {
  LONG& selection = SelectionOf(options, encryptList);
  if (selection < -1 || selection >= ItemCount(list)) selection = -1;
  return selection;
}

const ListTexts& TextsOf(bool encryptList) { return encryptList ? kEncryptTexts : kDecodeTexts; }

const char* Plural(int count) { return count == 1 ? "" : "s"; }

HWND HeldList() { return heldList; }

void HoldList(HWND list) { heldList = list; }

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
  HWND outerHeld = HeldList();
  HoldList(list);
  for (int i = count - 1; i >= 0; --i) DeleteEntry(list, indexes[i]);
  HoldList(outerHeld);
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
