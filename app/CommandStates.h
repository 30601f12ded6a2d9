// The enabled and checked state of every command in the menu and on the
// tool bar, and the entry counts in the lists' captions.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

// Refreshes the main window's menu items (enabled or greyed, check marks of
// "Status", "ToolBar", "Hide" and "TopMost"), its tool-bar buttons (greyed
// ones do not react; "Always On Top" drawn pressed while on) and the titles
// of the lists' first columns ("Files for Encryption: 3"). List commands
// need the program idle (`Busy` 0) and, for convert, remove and clear,
// entries or a selection in their list; the help commands need a help file.
// Called when the main window is created, after every command, on
// WM_INITMENU, after a drop, after every list notification and when a
// conversion run starts. Returns 1.
int UpdateCommandStates(HWND mainWindow, const ProgramOptions* options);

// Sets the title of the list's first column.
void SetListCaption(HWND list, const char* text);
