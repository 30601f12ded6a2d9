// The main window's answer to its tray icon.
#include "app/Tray.h"

#include "ui/WindowPlacement.h"

void OnTrayNotify(HWND window, LPARAM lParam, LONG topMost) {
  const UINT mouseMessage = LOWORD(lParam);
  if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return;
  ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window);
  SetTopmost(window, topMost);
  if (mouseMessage == WM_RBUTTONDOWN) SendMessageA(window, WM_CLOSE, 0, 0);
}
