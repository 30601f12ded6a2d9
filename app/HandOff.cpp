// The hand-off of switched files from a second start to the running copy.
#include "app/HandOff.h"

#include <deque>
#include <string>
#include <utility>

#include "app/FileArrivals.h"
#include "context/AppContext.h"

namespace {

// Marks a WM_COPYDATA block as Orvane's list of files.
constexpr ULONG_PTR kHandOffTag = 0x4F525646;  // "ORVF"

HWND receiver = nullptr;
std::deque<SwitchedFiles> waiting;

// Takes a block from another process: it is read only when it is whole and
// well formed, and the answer tells the sender whether the files are kept.
LRESULT CALLBACK HandOffWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  SwitchedFiles files;
  if (!data || data->dwData != kHandOffTag || !UnpackHandedFiles(data->lpData, data->cbData, files)) return FALSE;
  // Nothing is shown here: the sender waits for the answer.
  waiting.push_back(std::move(files));
  PostWaitingFiles();
  return TRUE;
}

}  // namespace

int OpenHandOffWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = HandOffWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHandOffClass;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
  // Never shown: a start that looks for a window to bring forward skips it.
  receiver = CreateWindowExA(0, kHandOffClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  return receiver != nullptr;
}

void CloseHandOffWindow() {
  if (receiver) DestroyWindow(receiver);
  receiver = nullptr;
}

int HandFilesOver(HWND to, const SwitchedFiles& files) {
  std::string block = PackHandedFiles(files);
  COPYDATASTRUCT data = {};
  data.dwData = kHandOffTag;
  data.cbData = static_cast<DWORD>(block.size());
  data.lpData = &block[0];
  return SendMessageA(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == TRUE;
}

void QueueFiles(SwitchedFiles files) {
  waiting.push_back(std::move(files));
  PostWaitingFiles();
}

bool FilesAreWaiting() { return !waiting.empty(); }

void PostWaitingFiles() {
  if (!waiting.empty() && App().mainWindow) PostMessageA(App().mainWindow, FilesWaiting, 0, 0);
}

int AddWaitingFiles(HWND mainWindow, ProgramOptions* options) {
  // A box shown while adding lets the next request in; the files it is
  // about are taken by the adding under way.
  static bool adding = false;
  if (adding || options->Busy != kIdle || !IsWindowEnabled(mainWindow)) return 0;
  adding = true;
  int added = 0;
  while (!waiting.empty()) {
    const SwitchedFiles files = std::move(waiting.front());
    waiting.pop_front();
    added += AddSwitchedFiles(mainWindow, options, files);
  }
  adding = false;
  return added;
}

void MakePathsFull(SwitchedFiles& files) {
  for (std::string& path : files.paths) {
    char full[kPathSize * 4];
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, &name);
    if (length > 0 && length < sizeof full) path = full;
  }
}
