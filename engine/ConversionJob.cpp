// Conversion job records and the cancel polling of the converters.
#include "engine/ConversionJob.h"

#include <cstring>

#include "app/AppContext.h"

namespace {

// A queue look costs a round trip to the window server (several
// microseconds, far more under Wine), about as much as converting a whole
// 16 KB block; a key press is still seen within a twentieth of a second.
constexpr DWORD kAbortPollInterval = 50;

constexpr WPARAM kEscapeKey = 27;
constexpr WPARAM kControlC = 3;

ProgressWatcher progressWatcher = nullptr;

bool lookedThisFile = false;
DWORD lastLook = 0;

// Esc as a key or a character; Ctrl-C as the character 3 (a key the message
// loop translated before the conversion began) or as the C key pressed with
// Ctrl held (while a file is converted nothing translates keys).
bool IsCancelKey(const MSG& message) {
  if (message.wParam == kEscapeKey || message.wParam == kControlC) return true;
  return message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0;
}

}  // namespace

ConversionJob* CreateConversionJob(HWND owner, HWND list, const char* path, DWORD keyValue,
                                   ProgramOptions* options) {
  if (!path || std::strlen(path) >= sizeof ConversionJob::path) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ConversionJob));
  if (!block) return nullptr;
  auto* job = static_cast<ConversionJob*>(GlobalLock(block));
  if (!job) {
    GlobalFree(block);
    return nullptr;
  }
  job->quiet = 0;
  job->owner = owner;
  job->list = list;
  std::strcpy(job->path, path);
  job->keyValue = keyValue;
  job->options = options;
  return job;
}

bool ReleaseConversionJob(ConversionJob* job) {
  if (!job) return false;
  HGLOBAL block = GlobalHandle(job);
  if (!block) return false;
  GlobalUnlock(block);
  return GlobalFree(block) == nullptr;
}

void ResetAbortPolling() {
  lookedThisFile = false;
}

int AbortRequested(HWND window) {
  const DWORD now = GetTickCount();
  if (lookedThisFile && now - lastLook < kAbortPollInterval) return 0;
  lookedThisFile = true;
  lastLook = now;

  if (!window) window = App().mainWindow;
  MSG message;
  if (!PeekMessageA(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) return 0;
  // A quit request is found whatever the filter; it stays for the main loop.
  if (message.message == WM_QUIT) return 0;
  if (GetMessageA(&message, window, WM_KEYFIRST, WM_KEYLAST) != 1) return 0;
  return IsCancelKey(message) ? 1 : 0;
}

void WatchProgress(ProgressWatcher watcher) { progressWatcher = watcher; }

void ReportProgress(HWND owner, std::uint64_t done, std::uint64_t total) {
  if (progressWatcher) progressWatcher(owner, done, total);
}
