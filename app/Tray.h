// The main window's icon in the task-bar tray, the topmost switch, and the
// capture of a window's normal place for the next start.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "settings/ProgramOptions.h"

// The tray icon's callback message, and also the icon's id.
constexpr UINT TrayNotifyMessage = WM_APP + 200;

// Adds the tray icon (the small program icon) for `window`, with `tip` as
// its tool tip (empty when null; at most 63 characters). Returns the result
// of Shell_NotifyIconA: non-zero when the icon was added. Reports nothing.
int AddTrayIcon(HWND window, const char* tip);

// Removes the tray icon of `window`. Returns the result of
// Shell_NotifyIconA: non-zero when an icon was removed. Reports nothing.
int RemoveTrayIcon(HWND window);

// Handles the tray icon's callback for the main window `window`; `lParam`
// carries the mouse message. A left or right button press shows the window
// (restored when minimized), brings it to the front and applies `topMost`;
// a right press then sends WM_CLOSE, so that the program closes through the
// same path as from its menu. Every other mouse message is ignored.
void OnTrayNotify(HWND window, LPARAM lParam, LONG topMost);

// Keeps `window` above all non-topmost windows when `on`, else puts it back
// among them; neither moves, sizes nor activates it. Does nothing for null.
void SetTopmost(HWND window, int on);

// Puts the normal (restored) rectangle of `window` into `position` (Top,
// Left, Height, Width; Show is left alone), turned from work-area into
// screen coordinates for a task bar docked at the left or top that does
// not hide itself. Returns 1; 0 when the task bar cannot be found (the
// record is filled all the same) and when the window's placement cannot
// be read (the record is then left as it was).
int SaveWindowPlacement(HWND window, WindowPosition* position);

// Finds the task bar: returns the edge it is docked at (0 left, 1 top,
// 2 right, 3 bottom), or -1 when it cannot be found. When `taskbarRect` is
// given it receives the task bar's rectangle. `window` is passed on to the
// shell's query and may be null.
int TaskbarEdge(HWND window, RECT* taskbarRect);

// The shell's task-bar query (SHAppBarMessage). Tests put in their own, as
// the answer depends on the desktop the test runs on; null restores the
// shell's.
using AppBarQuery = UINT_PTR (*)(DWORD message, APPBARDATA* data);
void SetAppBarQueryForTest(AppBarQuery query);
