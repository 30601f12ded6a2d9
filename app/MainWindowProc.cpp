// The main window procedure: one line per message, each calling its handler.
#include <windows.h>
#include <shellapi.h>

#include "app/CloseMainWindow.h"
#include "app/CommandStates.h"
#include "app/Commands.h"
#include "app/FileArrivals.h"
#include "app/HandOff.h"
#include "app/ListCommands.h"
#include "app/MainWindow.h"
#include "app/Tray.h"
#include "ui/WindowPlacement.h"
#include "engine/ConversionJob.h"
#include "settings/ProgramOptions.h"
#include "ui/ExitConfirmation.h"

namespace {

// The options that decide a handler's course; before WM_CREATE has stored
// the record (WM_GETMINMAXINFO and WM_NCCREATE come first) nothing is on.
LONG OptionOf(HWND window, LONG ProgramOptions::*field) {
  const ProgramOptions* options = MainWindowOptions(window);
  return options ? options->*field : 0;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA* create) {
  return CreateChildWindows(window, static_cast<ProgramOptions*>(create->lpCreateParams)) ? 0 : -1;
}

LRESULT OnSize(HWND window, WPARAM kind) {
  if (kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) {
    ShowWindow(window, SW_SHOW);
    LayoutMainWindow(window);
    UpdateWindow(window);
  } else if (kind == SIZE_MINIMIZED && OptionOf(window, &ProgramOptions::TaskTray)) {
    // Minimized with the tray icon on, the window leaves the task bar.
    ShowWindow(window, SW_HIDE);
  }
  return 0;
}

LRESULT OnSetFocus(HWND window) {
  SetTopmost(window, OptionOf(window, &ProgramOptions::TopMost));
  return 0;
}

// One BeginPaint to EndPaint cycle.
class PaintCycle {
 public:
  explicit PaintCycle(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintCycle() { EndPaint(window_, &paint_); }
  PaintCycle(const PaintCycle&) = delete;
  PaintCycle& operator=(const PaintCycle&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

// The class brush paints the background and the children cover the rest.
LRESULT OnPaint(HWND window) {
  PaintCycle paint(window);
  SetBkColor(paint.dc(), GetSysColor(COLOR_BTNFACE));
  SetBkMode(paint.dc(), OPAQUE);
  return 0;
}

LRESULT OnGetMinMaxInfo(MINMAXINFO* limits) {
  limits->ptMinTrackSize.x = kMainMinimumWidth;
  limits->ptMinTrackSize.y = kMainMinimumHeight;
  return 0;
}

// With the tray icon on, the close box and Alt+F4 hide the window instead
// of closing the program.
LRESULT OnSysCommand(HWND window, WPARAM command, LPARAM lParam) {
  if ((command & 0xFFF0) == SC_CLOSE && OptionOf(window, &ProgramOptions::TaskTray)) {
    ShowWindow(window, SW_HIDE);
    return 0;
  }
  return DefWindowProcA(window, WM_SYSCOMMAND, command, lParam);
}

LRESULT OnTrayMessage(HWND window, LPARAM mouse) {
  OnTrayNotify(window, mouse, OptionOf(window, &ProgramOptions::TopMost));
  return 0;
}

// The exit question comes first, unless it is turned off; during a run the
// window does not close, so nothing is asked.
LRESULT OnClose(HWND window) {
  ProgramOptions* options = MainWindowOptions(window);
  if (!options || options->Busy != kIdle) return 0;
  if (ConfirmExit(window, &options->Confirm)) CloseMainWindow(window, options);
  return 0;
}

// The answer is the close path's: a user who keeps the window open also
// keeps Windows from logging off or shutting down.
LRESULT OnQueryEndSession(HWND window) {
  ProgramOptions* options = MainWindowOptions(window);
  return options ? CloseMainWindow(window, options) : TRUE;
}

// Commands that the table does not know go on to the default handling; the
// command states follow every command, unless it closed the window.
LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  ProgramOptions* options = MainWindowOptions(window);
  LRESULT result = 0;
  if (!options || !RunCommand(window, LOWORD(wParam), options)) {
    result = DefWindowProcA(window, WM_COMMAND, wParam, lParam);
  }
  if (options && IsWindow(window)) UpdateCommandStates(window, options);
  return result;
}

// The lists' notifications, or else the tool bar's tips.
LRESULT OnNotify(HWND window, NMHDR* notification) {
  ProgramOptions* options = MainWindowOptions(window);
  if (!options) return 0;
  if (!OnListNotify(window, options, notification)) SupplyToolTip(notification, options->Tips);
  return 0;
}

LRESULT OnInitMenu(HWND window) {
  if (const ProgramOptions* options = MainWindowOptions(window)) UpdateCommandStates(window, options);
  return 0;
}

LRESULT OnDropFiles(HWND window, HDROP drop) {
  ProgramOptions* options = MainWindowOptions(window);
  if (options) DropFiles(window, options, drop);
  DragFinish(drop);
  if (options) UpdateCommandStates(window, options);
  return 0;
}

LRESULT OnFilesWaiting(HWND window) {
  if (ProgramOptions* options = MainWindowOptions(window)) AddWaitingFiles(window, options);
  return 0;
}

// Files handed over while a box held the window are added once it is free.
LRESULT OnEnable(BOOL enabled) {
  if (enabled) PostWaitingFiles();
  return 0;
}

// The converter hands the finished job back; it is freed here.
LRESULT OnConversionDone(LPARAM job) {
  ReleaseConversionJob(reinterpret_cast<ConversionJob*>(job));
  return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_SIZE: return OnSize(window, wParam);
    case WM_SETFOCUS: return OnSetFocus(window);
    case WM_PAINT: return OnPaint(window);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
    case TrayNotifyMessage: return OnTrayMessage(window, lParam);
    case WM_CLOSE: return OnClose(window);
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_NOTIFY: return OnNotify(window, reinterpret_cast<NMHDR*>(lParam));
    case WM_INITMENU: return OnInitMenu(window);
    case WM_MENUSELECT: ShowMenuHint(wParam); return 0;
    case WM_DROPFILES: return OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
    case ConversionDone: return OnConversionDone(lParam);
    case FilesWaiting: return OnFilesWaiting(window);
    case WM_ENABLE: return OnEnable(static_cast<BOOL>(wParam));
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
