// Puts in front of a main window's procedure what it does with the lists'
// notifications and with dropped files: OnListNotify, and DropFiles followed
// by DragFinish and UpdateCommandStates. For test and benchmark windows
// whose class procedure does not route them itself.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "app/CommandStates.h"
#include "app/FileLists.h"
#include "app/MainWindow.h"

inline WNDPROC& RoutedClassProcedure() {
  static WNDPROC procedure = nullptr;
  return procedure;
}

inline LRESULT CALLBACK RouteListMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgramOptions* options = MainWindowOptions(window);
  if (message == WM_NOTIFY && options && OnListNotify(window, options, reinterpret_cast<NMHDR*>(lParam))) return 0;
  if (message == WM_DROPFILES && options) {
    DropFiles(window, options, reinterpret_cast<HDROP>(wParam));
    DragFinish(reinterpret_cast<HDROP>(wParam));
    UpdateCommandStates(window, options);
    return 0;
  }
  return CallWindowProcA(RoutedClassProcedure(), window, message, wParam, lParam);
}

inline void RouteListMessagesOf(HWND mainWindow) {
  RoutedClassProcedure() = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RouteListMessages)));
}
