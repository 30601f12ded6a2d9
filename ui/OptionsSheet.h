// The options sheet: the one place where the user edits the program
// options, on three pages (General, Explorer, Version). The pages work on a
// copy of the options; OK commits it, carries out the shortcut requests and
// saves the options, Cancel drops it.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

// Start pages of the sheet.
constexpr int kGeneralPage = 0;
constexpr int kExplorerPage = 1;
constexpr int kVersionPage = 2;

// How close the sheet may come to the desktop's right and bottom edges.
constexpr LONG kSheetEdgeMargin = 70;

// Runs the sheet, owned by `owner` (none during start-up), on `startPage`
// (the General page for any number beyond the last page). Returns 1 when the
// user accepted: the edited copy is then the live `options`, the tray icon
// of `owner` follows "TaskTray" at once, the shortcut requests are carried
// out and cleared, and the options are saved. Returns 0 when the sheet was
// cancelled or closed: `options` is untouched and nothing is written. A page
// whose template cannot be built is left out, after the out-of-memory box.
int OpenOptionsSheet(HWND owner, ProgramOptions* options, int startPage);

// Moves the sheet that holds `page`, unsized and shown, to the corner of
// `position`, but no closer than 70 pixels to the desktop's right and
// bottom edges.
void PlaceSheet(HWND page, const WindowPosition* position);

// The dialog procedures of the three pages.
INT_PTR CALLBACK GeneralPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExplorerPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK VersionPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
