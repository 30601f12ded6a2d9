// Points the shell folder values "Programs", "Desktop" and "Startup" of the
// test user into a scratch profile folder and puts the user's own values
// back at the end, so that no shortcut lands in the real Start Menu, on the
// real Desktop (a link into the user's home) or in the Startup folder.
//
// Both keys are pointed there: the shell writes "Shell Folders" afresh from
// "User Shell Folders" when it first resolves a folder in a process (the
// first link it saves does that), which would otherwise undo the scratch
// values in the middle of a test.
#pragma once

#include <windows.h>

#include <string>

#include "ui/ExplorerIntegration.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/TempFolder.h"

class ScratchShellFolders {
 public:
  ScratchShellFolders() : profile_("orvane-profile") {
    for (int kind = 0; kind < kShortcutKindCount; ++kind) {
      saved_[kind] = ReadRaw(HKEY_CURRENT_USER, kShellFoldersKey, kShellFolderValues[kind]);
      savedUser_[kind] = ReadRaw(HKEY_CURRENT_USER, kUserShellFoldersKey, kShellFolderValues[kind]);
    }
    const char* names[kShortcutKindCount] = {"Programs", "Desktop", "Startup"};
    for (int kind = 0; kind < kShortcutKindCount; ++kind) {
      const std::string folder = profile_.MakeFolder(names[kind]);
      SetFolder(kind, folder);
      WriteRawText(HKEY_CURRENT_USER, kUserShellFoldersKey, kShellFolderValues[kind], folder);
    }
  }
  ~ScratchShellFolders() {
    for (int kind = 0; kind < kShortcutKindCount; ++kind) {
      Restore(kShellFoldersKey, kind, saved_[kind]);
      Restore(kUserShellFoldersKey, kind, savedUser_[kind]);
    }
  }
  ScratchShellFolders(const ScratchShellFolders&) = delete;
  ScratchShellFolders& operator=(const ScratchShellFolders&) = delete;

  static void SetFolder(int kind, const std::string& folder) {
    WriteRawText(HKEY_CURRENT_USER, kShellFoldersKey, kShellFolderValues[kind], folder);
  }
  static void DeleteFolderValue(int kind, const char* keyPath = kShellFoldersKey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, kShellFolderValues[kind]);
    RegCloseKey(key);
  }

  const TempFolder& Profile() const { return profile_; }

  // The shortcut paths as the scratch folders and the program name make them.
  std::string StartMenuLink() const { return profile_.Path("Programs\\Norvik Studio\\Orvane.lnk"); }
  std::string DesktopLink() const { return profile_.Path("Desktop\\Orvane.lnk"); }
  std::string StartupLink() const { return profile_.Path("Startup\\Orvane.lnk"); }

 private:
  static constexpr const char* kUserShellFoldersKey =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

  static void Restore(const char* keyPath, int kind, const RawValue& value) {
    if (!value.found) {
      DeleteFolderValue(kind, keyPath);
      return;
    }
    WriteRaw(HKEY_CURRENT_USER, keyPath, kShellFolderValues[kind], value.type, value.text.c_str(),
             static_cast<DWORD>(value.text.size() + 1));
  }

  TempFolder profile_;
  RawValue saved_[kShortcutKindCount];
  RawValue savedUser_[kShortcutKindCount];
};
