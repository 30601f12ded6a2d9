// Entry point of the Windows test programs: prepares the application context
// as start-up does (instance, paths, desktop), then runs the tests.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/AppContext.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InitCommonControls();
  App().instance = GetModuleHandleA(nullptr);
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  FillAppPaths(module, App().paths);
  TakeDesktopRect();
  return RUN_ALL_TESTS();
}
