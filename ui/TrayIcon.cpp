// The tray icon.
#include "ui/TrayIcon.h"

#include <cstdio>

#include "context/AppContext.h"
#include "resource.h"

namespace {

// The size of the structure as the oldest shells know it (a larger size is
// refused there, and every later shell accepts it), taken from the
// platform's headers so that it fits the 32-bit and the 64-bit program.
const DWORD kNotifyDataSize = NOTIFYICONDATAA_V1_SIZE;

constexpr UINT kTrayIconId = TrayNotifyMessage;

NOTIFYICONDATAA IconData(HWND window) {
  NOTIFYICONDATAA data = {};
  data.cbSize = kNotifyDataSize;
  data.hWnd = window;
  data.uID = kTrayIconId;
  return data;
}

}  // namespace

int AddTrayIcon(HWND window, const char* tip) {
  NOTIFYICONDATAA data = IconData(window);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = TrayNotifyMessage;
  data.hIcon = static_cast<HICON>(
      LoadImageA(App().instance, MAKEINTRESOURCEA(IDI_PROGRAM_SMALL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  std::snprintf(data.szTip, 64, "%s", tip ? tip : "");
  const int result = Shell_NotifyIconA(NIM_ADD, &data);
  // The shell keeps its own copy of the icon.
  if (data.hIcon) DestroyIcon(data.hIcon);
  return result;
}

int RemoveTrayIcon(HWND window) {
  NOTIFYICONDATAA data = IconData(window);
  return Shell_NotifyIconA(NIM_DELETE, &data);
}
