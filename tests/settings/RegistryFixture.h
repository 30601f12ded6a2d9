// Test support for the settings tests: a settings root of the test's own
// below HKEY_CURRENT_USER that is removed afterwards, and raw registry reads
// and writes that bypass the store under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "settings/SettingsStore.h"

// Deletes `path` below `root` with everything in it.
inline void DeleteKeyTree(HKEY root, const char* path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS | DELETE, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DeleteKeyTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(root, path);
}

struct RawValue {
  bool found = false;
  DWORD type = REG_NONE;
  DWORD size = 0;
  DWORD number = 0;   // the first four bytes as a number
  std::string text;   // the bytes up to the first zero
};

inline RawValue ReadRaw(HKEY root, const std::string& path, const char* name) {
  RawValue value;
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  BYTE data[1024] = {};
  DWORD size = sizeof data - 1;
  if (RegQueryValueExA(key, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
    value.found = true;
    value.size = size;
    std::memcpy(&value.number, data, sizeof value.number);
    value.text = reinterpret_cast<const char*>(data);
  }
  RegCloseKey(key);
  return value;
}

inline void WriteRaw(HKEY root, const std::string& path, const char* name, DWORD type,
                     const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

inline void WriteRawNumber(HKEY root, const std::string& path, const char* name, DWORD number) {
  WriteRaw(root, path, name, REG_DWORD, &number, sizeof number);
}

inline void WriteRawText(HKEY root, const std::string& path, const char* name,
                         const std::string& text) {
  WriteRaw(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// Every value below `path`, as (section relative to `path`, value name).
inline void CollectValues(HKEY root, const std::string& path, const std::string& section,
                          std::set<std::pair<std::string, std::string>>& values) {
  HKEY key;
  std::string full = section.empty() ? path : path + "\\" + section;
  if (RegOpenKeyExA(root, full.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    values.insert({section, name});
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    CollectValues(root, path, section.empty() ? name : section + "\\" + name, values);
  }
  RegCloseKey(key);
}

inline void ExpectPosition(const WindowPosition& p, LONG top, LONG left, LONG height, LONG width,
                           LONG show) {
  EXPECT_EQ(p.Top, top);
  EXPECT_EQ(p.Left, left);
  EXPECT_EQ(p.Height, height);
  EXPECT_EQ(p.Width, width);
  EXPECT_EQ(p.Show, show);
}

// The machine-wide entries that saving the options writes besides the
// settings: the application path and help-file entries of the saving
// program (the test program itself, or the program file `programName` that
// a test starts) and the product's version key and profile line. A test
// that saves takes a snapshot first and leaves the prefix as it found it, as
// the application-stamp tests do for their own product.
class MachineEntries {
 public:
  explicit MachineEntries(const char* programName = nullptr) {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    const char* name = std::strrchr(module, '\\') ? std::strrchr(module, '\\') + 1 : module;
    if (programName) name = programName;
    char upper[MAX_PATH];
    std::snprintf(upper, sizeof upper, "%s", name);
    CharUpperA(upper);
    appPath_ = std::string(kAppPaths) + "\\" + upper;
    help_ = name;
    const size_t dot = help_.rfind('.');
    help_ = (dot == std::string::npos ? help_ : help_.substr(0, dot)) + ".hlp";
    hadAppPath_ = KeyExists(appPath_.c_str());
    hadHelp_ = ReadRaw(HKEY_LOCAL_MACHINE, kHelp, help_.c_str()).found;
    hadVersion_ = KeyExists(kVersion);
    char line[64];
    hadProfileLine_ = GetProfileStringA("Norvik Studio", kProduct, "", line, sizeof line) > 0;
  }
  MachineEntries(const MachineEntries&) = delete;
  MachineEntries& operator=(const MachineEntries&) = delete;

  // Removes what was not there at the snapshot.
  void Restore() const {
    if (!hadAppPath_) DeleteKeyTree(HKEY_LOCAL_MACHINE, appPath_.c_str());
    if (!hadVersion_) DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersion);
    HKEY key;
    if (!hadHelp_ && RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHelp, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, help_.c_str());
      RegCloseKey(key);
    }
    if (!hadProfileLine_) WriteProfileStringA("Norvik Studio", kProduct, nullptr);
  }

 private:
  static bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  static constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  static constexpr const char* kHelp = "Software\\Microsoft\\Windows\\Help";
  static constexpr const char* kProduct = "Orvane for Windows 95/NT";
  static constexpr const char* kVersion = "Software\\Norvik Studio\\Orvane for Windows 95/NT";
  std::string appPath_;
  std::string help_;
  bool hadAppPath_ = false;
  bool hadHelp_ = false;
  bool hadVersion_ = false;
  bool hadProfileLine_ = false;
};

// Points the settings root at "Software\Norvik Studio\OrvaneTest-<test>",
// which does not exist at the start, and removes it again at the end.
class SettingsRootTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = SettingsRoot();
    root_ = std::string("Software\\Norvik Studio\\OrvaneTest-") +
            testing::UnitTest::GetInstance()->current_test_info()->name();
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
    SetSettingsRoot(root_.c_str());
  }

  void TearDown() override {
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
    SetSettingsRoot(saved_.c_str());
    machineEntries_.Restore();
  }

  std::string Key(const char* section) const { return root_ + "\\" + section; }
  RawValue Raw(const char* section, const char* name) const {
    return ReadRaw(HKEY_CURRENT_USER, Key(section), name);
  }
  void SetNumber(const char* section, const char* name, DWORD number) const {
    WriteRawNumber(HKEY_CURRENT_USER, Key(section), name, number);
  }
  void SetText(const char* section, const char* name, const std::string& text) const {
    WriteRawText(HKEY_CURRENT_USER, Key(section), name, text);
  }
  // Creates the root as a volatile key. A non-volatile key cannot live below
  // a volatile one, so no section of it can be created.
  void MakeRootVolatile() const {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  std::set<std::pair<std::string, std::string>> AllValues() const {
    std::set<std::pair<std::string, std::string>> values;
    CollectValues(HKEY_CURRENT_USER, root_, "", values);
    return values;
  }

  std::string root_;

 private:
  std::string saved_;
  MachineEntries machineEntries_;
};
