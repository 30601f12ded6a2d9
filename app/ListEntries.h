// The entries of the two conversion lists of the main window: what an entry
// shows (path, size, modification date), looking a path up, reading and
// removing entries; and what the lists' other files share: which list is
// which, its selection field and its texts.
//
// The list control is the only store of entries. Beside each list lives an
// index of its paths (app/ListIndex.h), so that looking a path up costs the
// same for the ten-thousandth file as for the first.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "context/AppContext.h"
#include "settings/ProgramOptions.h"

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

// ---- What the lists' files share -------------------------------------------

int ItemCount(HWND list);

// Appends the entry of `path` with its size and date, without scrolling;
// returns its index, or -1 when the list could not take it.
int InsertEntry(HWND list, const char* path);

// The encryption list (`encryptList`) or the decoding list of the main
// window, and its selection field.
HWND ListOf(HWND mainWindow, bool encryptList);
LONG& SelectionOf(ProgramOptions& options, bool encryptList);

// The list's selection, or -1 for none; a selection that no longer names an
// entry (its entry went without this program's bookkeeping) is dropped.
LONG ValidSelection(ProgramOptions& options, bool encryptList, HWND list);

// What differs between the two lists in their actions.
struct ListTexts {
  UINT addHint, removeHint, clearHint;
  UINT filter, title;
  UINT addedStatus;
  const char* name;  // in the remove question
  const char* clearCaption;
  const char* clearQuestion;
};
const ListTexts& TextsOf(bool encryptList);

// "s" unless `count` is 1.
const char* Plural(int count);

// The list whose drawing is held back while files are added, if any: the
// refresh of the commands after each of its notifications waits for it to
// be shown.
HWND HeldList();
void HoldList(HWND list);
