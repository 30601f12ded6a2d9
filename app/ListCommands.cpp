// The lists' own commands: removing and clearing with their questions, the
// properties of an entry, and the keys and notifications of the lists.
#include "app/ListCommands.h"

#include <initializer_list>

#include "app/CommandStates.h"
#include "app/FileArrivals.h"
#include "app/ListEntries.h"
#include "resource.h"
#include "ui/FileProperties.h"
#include "ui/Messages.h"

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
  if (list != HeldList() && App().mainWindow == mainWindow) UpdateCommandStates(mainWindow, options);
  return 1;
}
