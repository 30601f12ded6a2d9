// A plain top-level window with a status bar, put into the application
// context as the main window for a test: boxes and dialogs get an owner,
// and the status texts can be read back. Removed again at the end.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "context/AppContext.h"
#include "tests/support/DialogDriver.h"

class StandInMainWindow {
 public:
  StandInMainWindow() {
    window_ = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                              nullptr, App().instance, nullptr);
    IgnoreWindow(window_);
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_, nullptr,
                           App().instance, nullptr);
    App().mainWindow = window_;
    App().statusBar = bar_;
  }
  ~StandInMainWindow() {
    App().statusBar = nullptr;
    App().mainWindow = nullptr;
    DestroyWindow(window_);
  }
  StandInMainWindow(const StandInMainWindow&) = delete;
  StandInMainWindow& operator=(const StandInMainWindow&) = delete;

  HWND Window() const { return window_; }
  HWND StatusBar() const { return bar_; }
  std::string StatusText() const {
    char text[256] = "";
    SendMessageA(bar_, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }

 private:
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
};
