// Conversion job records and the cancel polling of the converters.
#include "engine/ConversionJob.h"

#include <cstring>

#include "context/AppContext.h"

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

// A queue holds at most 10,000 messages; a look takes no more than that.
constexpr int kMostKeysPerLook = 10000;

// Esc as a key pressed or a character; Ctrl-C as the character 3 (a key the
// message loop translated before the conversion began) or as the C key
// pressed with Ctrl held (while a file is converted nothing translates
// keys). A key released counts for nothing: closing a box with Esc leaves
// the Esc key's release behind for the window under it.
bool IsCancelKey(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return message.wParam == VK_ESCAPE || message.wParam == VK_CANCEL ||
             (message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0);
    case WM_CHAR:
    case WM_SYSCHAR:
      return message.wParam == kEscapeKey || message.wParam == kControlC;
    default:
      return false;
  }
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
  // Every key waiting is taken, so that keys held down or typed ahead cannot
  // outlast the run, nor hide an Esc behind them until long after.
  int cancel = 0;
  MSG message;
  for (int taken = 0; taken < kMostKeysPerLook; ++taken) {
    if (!PeekMessageA(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) break;
    // A quit request is found whatever the filter; it stays for the main loop.
    if (message.message == WM_QUIT) break;
    if (!PeekMessageA(&message, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) break;
    if (IsCancelKey(message)) cancel = 1;
  }
  return cancel;
}

void WatchProgress(ProgressWatcher watcher) { progressWatcher = watcher; }

void ReportProgress(HWND owner, std::uint64_t done, std::uint64_t total) {
  if (progressWatcher) progressWatcher(owner, done, total);
}
