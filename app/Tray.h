// The main window's answer to its icon in the task-bar tray.
#pragma once

#include <windows.h>

#include "ui/TrayIcon.h"

// Handles the tray icon's callback for the main window `window`; `lParam`
// carries the mouse message. A left or right button press shows the window
// (restored when minimized), brings it to the front and applies `topMost`;
// a right press then sends WM_CLOSE, so that the program closes through the
// same path as from its menu. Every other mouse message is ignored.
void OnTrayNotify(HWND window, LPARAM lParam, LONG topMost);
