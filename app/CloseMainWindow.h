// The close path of the main window: what the program keeps of the window
// for its next start, and the end of the message loop.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

// Closes the main window: closes the splash window, asks first when files
// are still listed (a No keeps the window as it was); files handed over by
// another start and not yet listed keep the window too, and are listed.
// Then it stores the
// current folder, the window's place and the lists' column widths into
// `options`, closes the log, removes the tray icon, destroys the window and
// posts the quit message. Returns 1 when the window was closed, 0 when the
// user kept it or a conversion run is under way (nothing is asked then).
// The options themselves are written once the message loop has ended.
int CloseMainWindow(HWND mainWindow, ProgramOptions* options);
