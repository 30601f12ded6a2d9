// The conversion run: every file of one of the main window's lists
// encrypted or decoded with one key.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

// Modes of RunConversion.
constexpr int kRunDecode = 0;
constexpr int kRunEncrypt = 1;

// Converts every file of the encryption list (`mode` kRunEncrypt) or the
// decoding list (kRunDecode) of `mainWindow`, in list order, with the key
// asked once in the key dialog; a cancelled key dialog ends the run before
// anything else happens. While the run lasts `Busy` is set (the commands
// greyed), the status line says so, keys other than Esc and Ctrl-C are
// swallowed, and "Hide" keeps the window minimized. Each converted file
// leaves its list; a file that fails keeps its place and the run goes on;
// Esc or Ctrl-C stops the run after the current file. The status line then
// counts the converted files, and with "LogFile" the log has the run's begin
// and end lines. A file that takes long shows its progress as a percentage
// in the window's caption, and the window is repainted meanwhile, a few
// times a second; the caption is restored after the file. Returns 1 when at
// least one file was converted, else 0.
int RunConversion(HWND mainWindow, int mode, ProgramOptions* options);

// ---- Test seams ------------------------------------------------------------

// Benchmarks only: whether a run shows a file's progress and repaints the
// window while the file converts (on by default), and what the window's
// updates cost the last run: how many pictures, caption changes and
// repaints it made, and the seconds spent in them.
void ShowRunProgress(int on);
struct RunProgressCost {
  int updates;
  double seconds;
};
RunProgressCost LastRunProgressCost();
