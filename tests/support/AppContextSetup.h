// Prepares the application context of a test or benchmark program as
// start-up does: common controls, instance, paths and desktop.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "context/AppContext.h"

inline void PrepareAppContext() {
  InitCommonControls();
  App().instance = GetModuleHandleA(nullptr);
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  FillAppPaths(module, App().paths);
  TakeDesktopRect();
}
