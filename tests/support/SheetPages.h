// Reading an open property sheet from a test: the title of its current page.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

inline std::string CurrentPageTitle(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  char text[64] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, SendMessageA(tabs, TCM_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(&item));
  return text;
}
