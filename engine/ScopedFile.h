// A file handle that closes itself.
#pragma once

#include <windows.h>

class ScopedFile {
 public:
  ScopedFile() = default;
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  // Takes what CreateFileA returned; false (and empty) for a failed call.
  bool Take(HANDLE handle) {
    Close();
    if (handle != INVALID_HANDLE_VALUE) handle_ = handle;
    return handle_ != nullptr;
  }
  // True when nothing was open or CloseHandle succeeded; the handle is
  // forgotten either way.
  bool Close() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return !handle || CloseHandle(handle);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};
