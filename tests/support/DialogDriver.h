// Drives the modal dialogs that code under test opens on the test's own
// thread: while the code sits in a modal loop, a thread timer finds the
// innermost dialog, checks it against the next step of a script and acts on
// it (reads its texts, types into its edits, presses its buttons).
//
//   DialogScript script;
//   script.Expect("Error", [](HWND box) {
//     EXPECT_EQ(ItemText(box, 101), "File: a.txt\r\rFile not found.");
//     PressButton(box, IDOK);
//   });
//   int result = script.Run([] { return ShowError(60021, "a.txt"); });
//   EXPECT_TRUE(script.Passed()) << script.Report();
//
// A dialog that no step expects, a dialog with another caption than the step
// expects, and a step that no dialog serves in time are failures: the
// dialog is cancelled so the code under test can go on, and the failure is
// in Report(). A watchdog ends the process if a Run never returns (where
// the environment names ORVANE_NO_WATCHDOG_THREAD, the runner's time limit
// does).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogScript {
 public:
  using Action = std::function<void(HWND dialog)>;

  // Adds a step: the next dialog must have the caption `title` (nullptr
  // accepts any caption); `action` then runs with its handle. An action
  // that opens a nested box is fine: the next step serves it.
  DialogScript& Expect(const char* title, Action action);

  // Runs `body` with the script active and returns what it returns.
  template <class Body>
  auto Run(Body&& body) -> decltype(body()) {
    Start();
    struct Stopper {
      DialogScript* script;
      ~Stopper() { script->Stop(); }
    } stopper{this};
    return body();
  }

  // True when every step was served and nothing unexpected happened.
  bool Passed() const;
  // What went wrong, one line per failure.
  std::string Report() const;
  // Number of steps served so far.
  size_t Served() const { return next_; }

  // Seconds a step may wait for its dialog (default 10).
  void SetStepTimeout(double seconds) { stepTimeoutMs_ = static_cast<DWORD>(seconds * 1000); }

 private:
  struct Step {
    std::string title;
    bool anyTitle;
    Action action;
  };

  void Start();
  void Stop();
  void Tick();
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

  std::vector<Step> steps_;
  std::vector<std::string> failures_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
  DWORD stepStarted_ = 0;
  DWORD stepTimeoutMs_ = 10000;
  bool running_ = false;
};

// The innermost modal window of this thread: the first visible, enabled
// top-level window that is not a tool tip or an IME window. nullptr if none.
HWND FindActiveDialog();

// Lets a later step serve `dialog` again: for a dialog that stays open
// after a box it opened has been answered.
void ServeAgain(HWND dialog);

// Marks a window of the test itself (an owner window, a main window) that
// FindActiveDialog must never take for a dialog.
void IgnoreWindow(HWND window);

// Window texts.
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
// Texts of the dialog's static controls, in child order.
std::vector<std::string> StaticTexts(HWND dialog);
// The icon shown by a static icon control.
HICON ItemIcon(HWND dialog, int id);

// Replaces an edit's text, as if the user had selected all and typed it.
void TypeInto(HWND dialog, int id, const char* text);

// Presses a button (posted, as a click would arrive).
void PressButton(HWND dialog, int id);
// Presses Esc in the dialog (the dialog manager turns it into IDCANCEL).
void PressEscape(HWND dialog);
// Clicks the close box of the caption.
void PressCloseBox(HWND dialog);

// Pumps this thread's messages for `ms` milliseconds.
void PumpMessages(DWORD ms);
