// The process-wide application context: the handles and paths that every
// part of the program reads, filled at start-up and kept until the end.
#pragma once

#include <windows.h>

constexpr int kPathSize = 256;  // paths are at most 255 characters

struct AppPaths {
  char module[kPathSize];        // the program file, lower case
  char settingsFile[kPathSize];  // module path with ".ini"
  char helpFile[kPathSize];      // module path with ".hlp"; empty when missing
  char logFile[kPathSize];       // module path with ".log"
};

struct AppContext {
  HINSTANCE instance;
  HACCEL accelerators;
  HWND mainWindow;
  HWND toolBar;
  HWND statusBar;
  HWND encryptList;
  HWND decodeList;
  HFONT listFont;
  AppPaths paths;
  RECT desktopRect;  // client rectangle of the desktop, taken at start-up
};

// The one context of the process.
AppContext& App();

// The encryption list (when `encryptList`) or the decoding list of
// `mainWindow`; null when it has none. Answers from the handles kept here
// when they belong to `mainWindow`: GetDlgItem costs a round trip to the
// Wine server, and the lists are asked for after each of their
// notifications.
HWND MainWindowList(HWND mainWindow, bool encryptList);

// Derives the program's paths from its module path (as GetModuleFileNameA
// gives it): lower-cased, with the companions ".ini", ".hlp" and ".log" in
// place of the extension. Does not look at the disk.
void FillAppPaths(const char* modulePath, AppPaths& paths);

// Takes the desktop's client rectangle into the context.
void TakeDesktopRect();
