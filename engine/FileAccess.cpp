// Existence and write-protection of a path through the directory search.
#include "engine/FileAccess.h"

#include <windows.h>

namespace {

// The attributes of the entry FindFirstFileA finds for `path`; false when
// there is none. The search handle is closed at once.
bool FindAttributes(const char* path, DWORD& attributes) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  attributes = found.dwFileAttributes;
  return true;
}

}  // namespace

bool FileExists(const char* path) {
  DWORD attributes = 0;
  return FindAttributes(path, attributes);
}

bool FileIsFolder(const char* path) {
  DWORD attributes = 0;
  return FindAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileIsReadOnly(const char* path) {
  DWORD attributes = 0;
  return FindAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool FileIsWritable(const char* path) {
  DWORD attributes = 0;
  return FindAttributes(path, attributes) && !(attributes & FILE_ATTRIBUTE_READONLY);
}
