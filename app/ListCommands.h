// The conversion lists' own commands: removing the selected entry and
// clearing a list with their questions, the properties of the selected
// entry, and the lists' keys, mouse actions and selection bookkeeping.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "settings/ProgramOptions.h"

// Asks "Remove File" about the selected entry of the encryption list (when
// `fromEncryptList`) or the decoding list; on Yes removes it, sets that
// list's selection to -1 and repaints. Returns 1 when an entry was removed;
// 0 without a selection or on No.
int RemoveSelectedFile(HWND mainWindow, ProgramOptions* options, int fromEncryptList);

// Asks "Clear Encryption List" or "Clear Decoding List" with the entry count;
// on Yes empties the list, sets its selection to -1 and repaints. Returns 1
// when the list was cleared, 0 on No.
int ClearFileList(HWND mainWindow, ProgramOptions* options, int encryptList);

// Opens the properties dialog for the selected entry of the list that has
// the keyboard focus; does nothing when neither list has it or the list has
// no selection.
void ShowSelectedProperties(HWND mainWindow, ProgramOptions* options);

// The WM_NOTIFY handler of the two lists: while idle, Delete removes the
// selected entry, Insert adds files through the dialog, Clear (keypad 5
// with Num Lock off) clears a list that has entries, and a double-click
// shows the properties of the entry hit; whatever the run state, a change
// of an entry's selection or focus moves the list's selection field. Every
// notification from a list ends with UpdateCommandStates. Returns non-zero
// when `notification` came from one of the two lists, 0 for any other
// control (which the caller passes on to the tool tips).
int OnListNotify(HWND mainWindow, ProgramOptions* options, const NMHDR* notification);
