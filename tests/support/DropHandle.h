// A drop handle as the shell hands one to a window that accepts files: a
// movable block holding a DROPFILES header (the drop point in the client
// coordinates of the receiving window) and the 8-bit names, each ending in
// a NUL, the list in one more. The receiver releases it with DragFinish.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

inline HDROP MakeDropHandle(const std::vector<std::string>& names, POINT point) {
  SIZE_T bytes = sizeof(DROPFILES) + 1;
  for (const std::string& name : names) bytes += name.size() + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!block) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fNC = FALSE;
  header->fWide = FALSE;
  char* next = reinterpret_cast<char*>(header + 1);
  for (const std::string& name : names) {
    std::memcpy(next, name.c_str(), name.size() + 1);
    next += name.size() + 1;
  }
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}
