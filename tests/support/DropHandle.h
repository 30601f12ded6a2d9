// A drop handle as the shell hands one to a window that accepts files: a
// movable block holding a DROPFILES header (the drop point in the client
// coordinates of the receiving window) and the names, 8-bit or (as a drop
// from the desktop brings them) 16-bit, each ending in a NUL, the list in
// one more. The receiver releases it with DragFinish.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

inline HDROP MakeDropHandle(const std::vector<std::string>& names, POINT point, bool wide = false) {
  // The wide names are the 8-bit ones converted as the system's code page
  // reads them.
  std::vector<std::wstring> wideNames;
  SIZE_T bytes = sizeof(DROPFILES);
  for (const std::string& name : names) {
    if (wide) {
      std::wstring converted(name.size() + 1, L'\0');
      const int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, &converted[0],
                                             static_cast<int>(converted.size()));
      converted.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
      wideNames.push_back(converted);
      bytes += (converted.size() + 1) * sizeof(WCHAR);
    } else {
      bytes += name.size() + 1;
    }
  }
  bytes += wide ? sizeof(WCHAR) : 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fNC = FALSE;
  header->fWide = wide;
  char* next = reinterpret_cast<char*>(header + 1);
  if (wide) {
    for (const std::wstring& name : wideNames) {
      std::memcpy(next, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
      next += (name.size() + 1) * sizeof(WCHAR);
    }
  } else {
    for (const std::string& name : names) {
      std::memcpy(next, name.c_str(), name.size() + 1);
      next += name.size() + 1;
    }
  }
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}
