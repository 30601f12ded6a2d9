// The application context and the derivation of the program's paths.
#include "AppContext.h"

#include <cstdio>
#include <cstring>

#include "resource.h"

AppContext& App() {
  static AppContext context;
  return context;
}

HWND MainWindowList(HWND mainWindow, bool encryptList) {
  HWND kept = encryptList ? App().encryptList : App().decodeList;
  if (kept && mainWindow && GetParent(kept) == mainWindow) return kept;
  return GetDlgItem(mainWindow, encryptList ? IDC_ENCRYPT_LIST : IDC_DECODE_LIST);
}

namespace {

void WithExtension(const char* base, const char* extension, char (&out)[kPathSize]) {
  std::snprintf(out, sizeof out, "%s%s", base, extension);
}

}  // namespace

void FillAppPaths(const char* modulePath, AppPaths& paths) {
  std::memset(&paths, 0, sizeof paths);
  std::snprintf(paths.module, sizeof paths.module, "%s", modulePath ? modulePath : "");
  CharLowerA(paths.module);

  char base[kPathSize];
  std::snprintf(base, sizeof base, "%s", paths.module);
  if (char* dot = std::strrchr(base, '.')) *dot = '\0';
  WithExtension(base, ".ini", paths.settingsFile);
  WithExtension(base, ".hlp", paths.helpFile);
  WithExtension(base, ".log", paths.logFile);
}

void TakeDesktopRect() {
  GetClientRect(GetDesktopWindow(), &App().desktopRect);
}
