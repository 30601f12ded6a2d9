// The program's icon in the task-bar tray: put in and taken out by the main
// window and by the options sheet that switches it.
#pragma once

#include <windows.h>
#include <shellapi.h>

// The tray icon's callback message, and also the icon's id.
constexpr UINT TrayNotifyMessage = WM_APP + 200;

// Adds the tray icon (the small program icon) for `window`, with `tip` as
// its tool tip (empty when null; at most 63 characters). Returns the result
// of Shell_NotifyIconA: non-zero when the icon was added. Reports nothing.
int AddTrayIcon(HWND window, const char* tip);

// Removes the tray icon of `window`. Returns the result of
// Shell_NotifyIconA: non-zero when an icon was removed. Reports nothing.
int RemoveTrayIcon(HWND window);
