// The single-instance rule, the application context, the command line, the
// message loop and the end of a run.
#include "app/Startup.h"

#include <commctrl.h>

#include <cstdio>
#include <ctime>

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "core/KeyHash.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "settings/SettingsStore.h"
#include "ui/AccessPassword.h"
#include "ui/Messages.h"
#include "ui/OptionsSheet.h"
#include "ui/TextRoutines.h"

int ActivateRunningCopy() {
  HWND other = FindWindowA(kMainWindowClass, nullptr);
  if (!other) return 0;
  // SW_SHOWNORMAL also brings back a window hidden in the tray.
  ShowWindow(other, SW_SHOWNORMAL);
  SetForegroundWindow(other);
  // The options are not loaded yet: the alert sounds whatever they say.
  AlertBeep();
  return 1;
}

void PrepareAppContext(HINSTANCE instance) {
  InitCommonControls();
  AppContext& app = App();
  app.instance = instance;
  char module[kPathSize] = "";
  GetModuleFileNameA(instance, module, sizeof module);
  FillAppPaths(module, app.paths);
  TakeDesktopRect();
  SeedRandom(static_cast<std::uint32_t>(std::time(nullptr)) & 0xFFFF);
  // Looked for once: the help commands stay off for the whole run.
  if (GetFileAttributesA(app.paths.helpFile) == INVALID_FILE_ATTRIBUTES) app.paths.helpFile[0] = '\0';
}

int LoadMainAccelerators() {
  App().accelerators = LoadAcceleratorsA(App().instance, MAKEINTRESOURCEA(IDM_MAIN_ACCELERATORS));
  if (App().accelerators) return 1;
  return ShowError(IDS_ACCELERATORS_FAILED, static_cast<int>(GetLastError()));
}

bool IsSetupSwitch(const char* tail) {
  return lstrcmpiA(tail, "/setup") == 0 || lstrcmpiA(tail, "-setup") == 0;
}

int ReadCommandLine(const char* tail, ProgramOptions* options) {
  if (!tail || !tail[0]) return 1;
  if (IsSetupSwitch(tail)) {
    options->Explorer.CreateStartMenu = 1;
    return 1;
  }
  std::snprintf(options->FileSpec, sizeof options->FileSpec, "%s", tail);
  RemoveChar(options->FileSpec, '"', 0);
  if (FindChar(options->FileSpec, '\\') && FindChar(options->FileSpec, ':')) return 1;
  return ShowError(IDS_COMMAND_LINE_PATH, options->FileSpec);
}

int CheckAccessPassword(const ProgramOptions* options) {
  return options->Code == 0 || AskAccessPassword(nullptr, options->Code);
}

void OpenSetupPages(const char* tail, ProgramOptions* options) {
  if (!FirstRun && !(tail && IsSetupSwitch(tail))) return;
  options->Explorer.CreateStartMenu = 1;
  OpenOptionsSheet(nullptr, options, kExplorerPage);
}

int RunMessageLoop() {
  MSG message;
  BOOL fetched;
  while ((fetched = GetMessageA(&message, nullptr, 0, 0)) == 1) {
    if (TranslateAcceleratorA(App().mainWindow, App().accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return fetched == 0 ? static_cast<int>(message.wParam) : 0;
}

void FinishRun(ProgramOptions* options) {
  SaveOptions(options);
  LogWrite(0);
  DeleteListFont();
}
