// Window placement for the main window and the dialogs: the topmost
// switch, the task bar's edge, and the capture of a window's normal place
// for the next start.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "settings/ProgramOptions.h"

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

// ---- Test seams ------------------------------------------------------------

// The shell's task-bar query (SHAppBarMessage). Tests put in their own, as
// the answer depends on the desktop the test runs on; null restores the
// shell's.
using AppBarQuery = UINT_PTR (*)(DWORD message, APPBARDATA* data);
void SetAppBarQueryForTest(AppBarQuery query);
