// The modal-dialog driver of the Windows tests.
#include "DialogDriver.h"

#include <cstdio>
#include <thread>

namespace {

DialogScript* activeScript = nullptr;

// A dialog the script has acted on carries this property, so that the same
// window is never served twice while its close is still on its way.
constexpr char kServedProperty[] = "OrvaneTestServed";

// How long one Run may take before the watchdog ends the test program.
constexpr DWORD kWatchdogMs = 120000;

bool IsHelperWindow(HWND window) {
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  return lstrcmpiA(cls, "tooltips_class32") == 0 || lstrcmpiA(cls, "IME") == 0 ||
         lstrcmpiA(cls, "MSCTFIME UI") == 0;
}

constexpr char kIgnoredProperty[] = "OrvaneTestIgnored";

BOOL CALLBACK FindFirstActive(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window) || IsHelperWindow(window) ||
      GetPropA(window, kIgnoredProperty)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

std::string Describe(HWND dialog) {
  std::string text = "\"" + WindowText(dialog) + "\"";
  for (const std::string& s : StaticTexts(dialog)) {
    if (!s.empty() && s != " ") text += " [" + s + "]";
  }
  return text;
}

void CancelDialog(HWND dialog) {
  SetPropA(dialog, kServedProperty, reinterpret_cast<HANDLE>(1));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Ends the process when a Run hangs, so a broken test can never hold CI.
class Watchdog {
 public:
  Watchdog() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
      if (WaitForSingleObject(event_, kWatchdogMs) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "DialogScript: a modal loop did not end within %lu ms; giving up\n",
                     static_cast<unsigned long>(kWatchdogMs));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
  }
  ~Watchdog() {
    SetEvent(event_);
    thread_.join();
    CloseHandle(event_);
  }

 private:
  HANDLE event_;
  std::thread thread_;
};

Watchdog* watchdog = nullptr;

// Under the user-mode emulator a 32-bit program with a second thread of its
// own crashes now and then: there it goes without the watchdog, and the
// hard time limit its runner gives it ends it if it hangs
// (scripts/wine-env.sh).
bool WatchdogWanted() { return GetEnvironmentVariableA("ORVANE_NO_WATCHDOG_THREAD", nullptr, 0) == 0; }

}  // namespace

DialogScript& DialogScript::Expect(const char* title, Action action) {
  steps_.push_back(Step{title ? title : "", title == nullptr, std::move(action)});
  return *this;
}

void DialogScript::Start() {
  running_ = true;
  activeScript = this;
  stepStarted_ = GetTickCount();
  timer_ = SetTimer(nullptr, 0, 15, &DialogScript::TimerProc);
  if (WatchdogWanted()) watchdog = new Watchdog;
}

void DialogScript::Stop() {
  delete watchdog;
  watchdog = nullptr;
  KillTimer(nullptr, timer_);
  timer_ = 0;
  running_ = false;
  activeScript = nullptr;
  for (size_t i = next_; i < steps_.size(); ++i) {
    failures_.push_back("step " + std::to_string(i + 1) + " (\"" + steps_[i].title +
                        "\") was never served");
  }
  next_ = steps_.size();
}

void CALLBACK DialogScript::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (activeScript) activeScript->Tick();
}

void DialogScript::Tick() {
  HWND dialog = FindActiveDialog();
  bool fresh = dialog && !GetPropA(dialog, kServedProperty);

  if (fresh && next_ < steps_.size()) {
    Step& step = steps_[next_];
    std::string title = WindowText(dialog);
    if (!step.anyTitle && title != step.title) {
      failures_.push_back("step " + std::to_string(next_ + 1) + " expected \"" + step.title +
                          "\" but got " + Describe(dialog));
      CancelDialog(dialog);
      return;
    }
    // Advance first: the action may open a nested modal loop, whose dialog
    // the next step serves from inside this call.
    ++next_;
    stepStarted_ = GetTickCount();
    SetPropA(dialog, kServedProperty, reinterpret_cast<HANDLE>(1));
    step.action(dialog);
    return;
  }
  if (fresh) {
    failures_.push_back("unexpected dialog " + Describe(dialog));
    CancelDialog(dialog);
    return;
  }
  if (next_ < steps_.size() && GetTickCount() - stepStarted_ > stepTimeoutMs_) {
    failures_.push_back("step " + std::to_string(next_ + 1) + " (\"" + steps_[next_].title +
                        "\") timed out");
    ++next_;
    stepStarted_ = GetTickCount();
    if (dialog) CancelDialog(dialog);
  }
}

bool DialogScript::Passed() const { return failures_.empty() && next_ == steps_.size(); }

std::string DialogScript::Report() const {
  std::string report;
  for (const std::string& f : failures_) report += f + "\n";
  return report;
}

void ServeAgain(HWND dialog) { RemovePropA(dialog, kServedProperty); }

void IgnoreWindow(HWND window) {
  SetPropA(window, kIgnoredProperty, reinterpret_cast<HANDLE>(1));
}

HWND FindActiveDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindFirstActive, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string WindowText(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? WindowText(item) : std::string("<no item " + std::to_string(id) + ">");
}

std::vector<std::string> StaticTexts(HWND dialog) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) texts.push_back(WindowText(child));
  }
  return texts;
}

HICON ItemIcon(HWND dialog, int id) {
  return reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, id, STM_GETICON, 0, 0));
}

void TypeInto(HWND dialog, int id, const char* text) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressEscape(HWND dialog) {
  // Sent to the control with the focus, as the keyboard would; the modal
  // loop's IsDialogMessage turns Esc into IDCANCEL.
  HWND target = GetFocus();
  if (!target || (target != dialog && !IsChild(dialog, target))) target = dialog;
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void PressCloseBox(HWND dialog) {
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PumpMessages(DWORD ms) {
  DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < ms) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
}
