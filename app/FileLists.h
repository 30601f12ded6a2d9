// The two conversion lists of the main window: what an entry shows (path,
// size, modification date), how files get in (the add-files dialog, dropped
// files, the Insert key) and which list takes them, how entries leave
// (remove, clear) with their questions, the selection bookkeeping and the
// lists' own keyboard and mouse actions.
//
// The list control is the only store of entries. Beside each list lives an
// index of its paths (app/ListIndex.h), so that looking a path up costs the
// same for the ten-thousandth file as for the first.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "context/AppContext.h"
#include "settings/ProgramOptions.h"

// The add-files dialog hands back at most this many bytes of names.
constexpr DWORD kNameBlockSize = 40960;
// A dropped name is read into a buffer this big; a name that does not fit
// in a path (255 characters) is refused with message 2021.
constexpr UINT kDroppedNameSize = 1024;

// ---- Entries, each on one list window ------------------------------------

// True when the list holds an entry whose whole path equals `path` without
// regard to case, exactly as LVM_FINDITEMA with LVFI_STRING finds it. Answers
// from the list's index, which follows every change of the list.
bool IsFileListed(HWND list, const char* path);

// Appends an entry for `path`: the path, its size ("%u" of the low 32 bits)
// and its last-write time in local time ("3-Jly-1998 - 2:05 PM"); size and
// date stay empty when the file cannot be found. Scrolls the entry into view.
// Returns 1.
int AddListedFile(HWND list, const char* path);

// Scrolls entry `index` into view and copies its path (at most 255
// characters) into `path`; empty when there is no such entry.
void GetListedFile(HWND list, int index, char (&path)[kPathSize]);

// Copies the path of entry `index` without scrolling: for a run, which
// scrolls once a picture.
void ReadListedFile(HWND list, int index, char (&path)[kPathSize]);

// Scrolls entry `index` into view and deletes it (the file on disk is not
// touched). A selection field of the main window's options that names the
// entry becomes -1; one that names an entry below moves up with it.
void RemoveListedFile(HWND list, int index);

// Removes the entries `indexes` (`count` of them, in ascending order) with
// the list left as RemoveListedFile on each, from the last, would leave it.
void RemoveListedFiles(HWND list, const int* indexes, int count);


// The entry under the mouse cursor, or -1 when the cursor is over no entry.
int ItemAtCursor(HWND list);

// ---- Actions, each on the lists of the main window ------------------------

// Asks for files with the open-file dialog (filter `filterId`, title
// `titleId`, 0 for none; the encryption list is the target exactly when
// `titleId` is 2000) and adds each chosen file to `list` by the adding
// rules: duplicates (2009 unless "Duplicates"), the candidate checks, the
// wrong list (2011 or 2010 unless "WrongFormat"), paths longer than 255
// characters (2021). The dialog opens in the current folder, keeps its place
// under "DeskTop\GetFile" and may change the current folder. Returns the
// number of files added; 0 when cancelled, and after message 60008 when its
// name block cannot be had.
int AddFilesFromDialog(HWND mainWindow, ProgramOptions* options, HWND list, UINT filterId, UINT titleId);

// Adds every file of the drop to `list` (the encryption list when
// `toEncryptList`) by the adding rules, repainting the main window after
// each added file, then shows status 7000 or 7001 with the number added,
// also when it is 0. Returns the number added. Leaves the drop to the
// caller.
int AddDroppedFiles(HWND mainWindow, ProgramOptions* options, HWND list, HDROP drop, int toEncryptList);

// The WM_DROPFILES handler: adds the dropped files to the list the drop
// point lies in (left and top edges inside, right and bottom outside);
// a drop anywhere else shows message 2016 and adds nothing. Returns the
// number added. The caller then calls DragFinish and UpdateCommandStates.
int DropFiles(HWND mainWindow, ProgramOptions* options, HDROP drop);

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
