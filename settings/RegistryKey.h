// An open registry key that closes itself: every key the program opens is
// released within the one operation that opened it.
#pragma once

#include <windows.h>

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key with `access`. Returns the registry's result code.
  LONG Open(HKEY parent, const char* path, REGSAM access) {
    Close();
    return Keep(RegOpenKeyExA(parent, path, 0, access, &key_));
  }

  // Opens `path`, creating it and its missing parents as a non-volatile key
  // with an empty class and no security attributes. Returns the result code.
  LONG Create(HKEY parent, const char* path, REGSAM access) {
    Close();
    DWORD disposition = 0;
    return Keep(RegCreateKeyExA(parent, path, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                                access, nullptr, &key_, &disposition));
  }

  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  // A failed call leaves no handle behind, whatever it put into key_.
  LONG Keep(LONG result) {
    if (result != ERROR_SUCCESS) key_ = nullptr;
    return result;
  }

  HKEY key_ = nullptr;
};
