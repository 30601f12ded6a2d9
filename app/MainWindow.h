// The main window: its class, its child windows (tool bar, the encryption
// and decoding lists, status bar), their layout, and the bars' switches.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

constexpr char kMainWindowClass[] = "OrvaneAppClass";

// The smallest size the user can drag the main window to.
constexpr LONG kMainMinimumWidth = 340;
constexpr LONG kMainMinimumHeight = 250;

// Registers the class "OrvaneAppClass". Returns 1, or 0 after error box
// 60003.
int RegisterMainWindowClass();

// Creates the main window from the options record (its place, "TopMost",
// "Minimized", "TaskTray"), lays it out and shows it with `showCommand`
// (minimized when "Minimized" is on), accepts dropped files and adds the
// tray icon when "TaskTray" is on. Keeps the handle in App().mainWindow.
// Returns it, or null after error box 60004 (preceded by 60005 when a child
// window failed).
HWND CreateMainWindow(int showCommand, ProgramOptions* options);

// The options record the main window was created with; null before its
// creation has begun.
ProgramOptions* MainWindowOptions(HWND mainWindow);

// Creates the child windows from WM_CREATE. Returns 1, or 0 after message
// box 60005 naming the child that could not be created.
int CreateChildWindows(HWND mainWindow, ProgramOptions* options);

// Places tool bar, lists and status bar in the current client area: the
// bars at the top and bottom, the lists sharing the rest equally.
void LayoutMainWindow(HWND mainWindow);

// Show or hide the tool bar or the status bar and lay the window out again
// once the posted size message arrives. Return 0 when the window or the bar
// does not exist, else 1. The options "ToolBar" and "Status" are the
// caller's to change.
int ShowToolBar(HWND mainWindow, int on);
int ShowStatusBar(HWND mainWindow, int on);


// Puts the widths of the list's three columns into `widths`; leaves them
// as they are when there is no list.
void ReadColumnWidths(HWND list, LONG (&widths)[3]);

// Puts the current folder into the option "Path" (empty when it does not
// fit in 255 characters).
void StoreCurrentFolder(ProgramOptions* options);

// Forgets the handles of the main window's children in App(), once they
// are gone with their window: nothing may reach them afterwards.
void ForgetChildWindows();

// Deletes the list font at the end of the run.
void DeleteListFont();

// The main window procedure (app/MainWindowProc.cpp).
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
