// The program's entry: the start in its fixed order, the message loop and
// the end of the run. A start that stops early ends with code 0 and writes
// no options (beyond the defaults a first run has already written).
#include <windows.h>

#include "context/AppContext.h"
#include "core/FileSwitches.h"
#include "app/HandOff.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "settings/ProgramOptions.h"
#include "settings/SettingsStore.h"
#include "ui/Splash.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int showCommand) {
  // Files named on the command line go to a copy that runs already.
  SwitchedFiles files;
  const bool switched = ReadFileSwitch(commandTail, files);
  if (switched) MakePathsFull(files);
  if (ActivateRunningCopy(switched ? &files : nullptr)) return 0;
  OpenHandOffWindow(instance);
  PrepareAppContext(instance);

  SetSettingsRoot(kOrvaneSettingsRoot);
  if (!LoadMainAccelerators()) return 0;
  ProgramOptions* options = &Options();
  LoadOptions(options);

  if (!RegisterSplashClass()) return 0;
  if (!RegisterMainWindowClass()) return 0;
  if (!CheckAccessPassword(options)) return 0;
  if (!ReadCommandLine(commandTail, options)) return 0;
  // A first run asks for the Explorer integration, as the setup switch does.
  OpenSetupPages(commandTail, options);

  if (!CreateMainWindow(showCommand, options)) return 0;
  // Files of the command line, and those handed over meanwhile.
  PostWaitingFiles();
  const int quitCode = RunMessageLoop();
  FinishRun(options);
  return quitCode;
}
