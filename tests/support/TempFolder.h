// A scratch folder for tests that need real files: created empty under the
// system's temporary folder, removed with everything in it (read-only files
// and subfolders too) when the test ends.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
 public:
  // Creates <temp>\<name>-<process id>\, emptied first if a crashed run
  // left it behind.
  explicit TempFolder(const char* name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(folder_);
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(folder_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, with its trailing backslash.
  const std::string& Folder() const { return folder_; }

  // The full path of `relative` inside the folder.
  std::string Path(const std::string& relative) const { return folder_ + relative; }

  // Writes a file of `bytes` and returns its full path.
  std::string MakeFile(const std::string& relative, const std::string& bytes) const {
    std::string path = Path(relative);
    Fill(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr), bytes);
    return path;
  }

  // Writes a file whose name may hold characters beyond the code page and
  // returns its full 16-bit path; the caller deletes it (the folder's own
  // removal goes by 8-bit names, which cannot reach it).
  std::wstring MakeWideFile(const std::wstring& name, const std::string& bytes) const {
    std::wstring path(folder_.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, folder_.c_str(), -1, &path[0], static_cast<int>(path.size()));
    path.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
    path += name;
    Fill(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr), bytes);
    return path;
  }

  // Creates a subfolder and returns its full path (without a trailing
  // backslash).
  std::string MakeFolder(const std::string& relative) const {
    std::string path = Path(relative);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

 private:
  // Writes `bytes` to a file just made and closes it.
  static void Fill(HANDLE file, const std::string& bytes) {
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  // Removes `folder` (ending in a backslash) and all it holds.
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path + "\\");
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string folder_;
};

// The full path of a folder of the build that a test command prepares,
// given relative to the test program's folder.
inline std::string FolderBesideTests(const char* relative) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string path = module;
  path = path.substr(0, path.rfind('\\') + 1) + relative;
  char full[MAX_PATH] = "";
  GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return full;
}
