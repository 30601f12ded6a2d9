// The program's shortcuts in the Start Menu, on the Desktop and in the
// Startup folder, made through the shell's link object.
#include "ui/ExplorerIntegration.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/MakerDetails.h"
#include "settings/RegistryKey.h"
#include "ui/Messages.h"

namespace {

constexpr char kSetupCaption[] = "Setup";

// Releases a COM interface when it goes out of scope.
template <class Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (pointer_) pointer_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;

  Interface* operator->() const { return pointer_; }
  void** Receive() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

// Initialises the component library for one creation and uninitialises it
// again, but only when this call initialised it: an uninitialise without a
// successful initialise would take the library away from someone else.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (initialised_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

// The outcome of a link's creation: S_OK, or the failing result and the
// name of the method that gave it.
struct LinkResult {
  HRESULT code;
  const char* method;
};

// Saves a link to the program at `path`.
LinkResult SaveLink(const char* path) {
  char name[kStringSize];
  GetString(name, IDS_PROGRAM_NAME);
  // Declared after the scope, so both interfaces are released before the
  // library is uninitialised.
  ComScope scope;
  ComPointer<IShellLinkA> link;
  ComPointer<IPersistFile> file;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.Receive());
  if (FAILED(result)) return {result, "CoCreateInstance"};
  result = link->QueryInterface(IID_IPersistFile, file.Receive());
  if (FAILED(result)) return {result, "QueryInterface"};
  result = link->SetPath(App().paths.module);
  if (FAILED(result)) return {result, "SetPath"};
  result = link->SetDescription(name);
  if (FAILED(result)) return {result, "SetDescription"};

  WCHAR widePath[kShellFolderSize];
  if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, kShellFolderSize)) widePath[0] = 0;
  result = file->Save(widePath, TRUE);
  if (FAILED(result)) return {result, "Save"};
  return {S_OK, ""};
}

}  // namespace

int ShellFolderPath(int kind, char (&folder)[kShellFolderSize]) {
  folder[0] = '\0';
  if (kind < 0 || kind >= kShortcutKindCount) return 0;
  RegistryKey key;
  if (key.Open(HKEY_CURRENT_USER, kShellFoldersKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return 0;
  DWORD size = sizeof folder;
  if (RegQueryValueExA(key.get(), kShellFolderValues[kind], nullptr, nullptr, reinterpret_cast<BYTE*>(folder),
                       &size) != ERROR_SUCCESS ||
      size == 0) {
    folder[0] = '\0';
    return 0;
  }
  // A stored text need not carry its terminator; one that fills the whole
  // buffer without it is too long.
  if (folder[size - 1] != '\0') {
    if (size == sizeof folder) {
      folder[0] = '\0';
      return 0;
    }
    folder[size] = '\0';
  }
  size_t length = std::strlen(folder);
  if (length == 0) return 0;
  if (folder[length - 1] == '\\') folder[--length] = '\0';
  if (kind == kStartMenuShortcut) {
    const int written = std::snprintf(folder + length, sizeof folder - length, "\\%s", kMakerCompany);
    if (written < 0 || static_cast<size_t>(written) >= sizeof folder - length) {
      folder[0] = '\0';
      return 0;
    }
  }
  return 1;
}

int ShortcutPath(int kind, char (&path)[kShellFolderSize]) {
  char folder[kShellFolderSize];
  if (!ShellFolderPath(kind, folder)) {
    path[0] = '\0';
    return 0;
  }
  char name[kStringSize];
  if (!GetString(name, IDS_PROGRAM_NAME)) {
    path[0] = '\0';
    return 0;
  }
  const int written = std::snprintf(path, sizeof path, "%s\\%s.lnk", folder, name);
  if (written < 0 || written >= static_cast<int>(sizeof path)) {
    path[0] = '\0';
    return 0;
  }
  return 1;
}

int ShortcutExists(int kind) {
  char path[kShellFolderSize];
  if (!ShortcutPath(kind, path)) return 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  FindClose(search);
  return 1;
}

int CreateShortcut(HWND owner, int kind) {
  char folder[kShellFolderSize];
  char path[kShellFolderSize];
  if (!ShellFolderPath(kind, folder) || !ShortcutPath(kind, path)) return 0;
  // The maker's group usually exists already; a failure shows in Save.
  if (kind == kStartMenuShortcut) CreateDirectoryA(folder, nullptr);

  const LinkResult result = SaveLink(path);
  if (SUCCEEDED(result.code)) return 1;
  return ShowMessageText(owner, kSetupCaption, "\rFile '%s'\r\rMethod (%s) error detected\rCode %u",
                         App().paths.module, result.method, static_cast<unsigned>(result.code));
}

int RemoveShortcut(HWND owner, int kind) {
  char path[kShellFolderSize];
  if (!ShortcutPath(kind, path)) return 0;
  if (DeleteFileA(path)) return 1;
  const DWORD code = GetLastError();
  return ShowMessageText(owner, kSetupCaption, "\rFile '%s'\r\rCould not be deleted (error:%u)", path,
                         static_cast<unsigned>(code));
}

void ApplyExplorerRequests(HWND owner, ExplorerRequests* requests) {
  if (!requests) return;
  if (requests->CreateStartMenu) CreateShortcut(owner, kStartMenuShortcut);
  if (requests->CreateDesktop) CreateShortcut(owner, kDesktopShortcut);
  if (requests->CreateStartup) CreateShortcut(owner, kStartupShortcut);
  if (requests->RemoveStartMenu) RemoveShortcut(owner, kStartMenuShortcut);
  if (requests->RemoveDesktop) RemoveShortcut(owner, kDesktopShortcut);
  if (requests->RemoveStartup) RemoveShortcut(owner, kStartupShortcut);
  *requests = ExplorerRequests{};
}
