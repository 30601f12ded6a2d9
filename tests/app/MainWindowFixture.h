// A real main window for the tests of commands and conversion runs: created
// from options loaded from a settings root of the test's own (a first run),
// with helpers to read its lists and status line and to send it commands.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "context/AppContext.h"
#include "app/MainWindow.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/DialogDriver.h"
#include "ui/Messages.h"

class MainWindowFixture : public SettingsRootTest {
 protected:
  void SetUp() override {
    SettingsRootTest::SetUp();
    static const int registered = RegisterMainWindowClass();
    ASSERT_EQ(registered, 1);
    // The window goes to the folder of the last run; the test's is put back.
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    folder_ = folder;
    ASSERT_EQ(LoadOptions(&options_), 1);
    window_ = CreateMainWindow(SW_SHOWNORMAL, &options_);
    ASSERT_NE(window_, nullptr);
    IgnoreWindow(window_);
    PumpMessages(20);
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteListFont();
    App().mainWindow = nullptr;
    ForgetChildWindows();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    SetCurrentDirectoryA(folder_.c_str());
    SettingsRootTest::TearDown();
  }

  HWND List(int id) const { return GetDlgItem(window_, id); }

  // The paths listed in list `id`, in list order.
  std::vector<std::string> Listed(int id) const {
    std::vector<std::string> paths;
    const int count = static_cast<int>(SendMessageA(List(id), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[kPathSize] = "";
      LVITEMA item = {};
      item.iSubItem = 0;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(List(id), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
      paths.push_back(text);
    }
    return paths;
  }

  std::string StatusText() const {
    char text[kStatusTextSize] = "";
    SendDlgItemMessageA(window_, IDC_STATUS_BAR, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }

  // A command as the menu, an accelerator or the tool bar delivers it.
  LRESULT Command(UINT id) { return SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  bool MenuEnabled(UINT id) const {
    return !(GetMenuState(GetMenu(window_), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
  }
  bool MenuChecked(UINT id) const { return (GetMenuState(GetMenu(window_), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
  bool ButtonEnabled(UINT id) const { return SendMessageA(App().toolBar, TB_ISBUTTONENABLED, id, 0) != 0; }

  ProgramOptions options_ = {};
  HWND window_ = nullptr;
  std::string folder_;
};

// Replaces a window's procedure for the life of the object; `hook` sees every
// message before the old procedure handles it, or (kAfter) once it has.
class WindowSpy {
 public:
  using Hook = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
  enum When { kBefore, kAfter };
  WindowSpy(HWND window, Hook hook, When when = kBefore) : window_(window), hook_(std::move(hook)), when_(when) {
    SetPropA(window, kProperty, reinterpret_cast<HANDLE>(this));
    old_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowSpy::Procedure)));
  }
  ~WindowSpy() {
    if (!IsWindow(window_)) return;
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_));
    RemovePropA(window_, kProperty);
  }
  WindowSpy(const WindowSpy&) = delete;
  WindowSpy& operator=(const WindowSpy&) = delete;

 private:
  static constexpr const char* kProperty = "OrvaneTestSpy";
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* spy = reinterpret_cast<WindowSpy*>(GetPropA(window, kProperty));
    WNDPROC old = spy->old_;
    if (message == WM_NCDESTROY) RemovePropA(window, kProperty);
    if (spy->when_ == kBefore) spy->hook_(message, wParam, lParam);
    const LRESULT result = CallWindowProcA(old, window, message, wParam, lParam);
    if (spy->when_ == kAfter) spy->hook_(message, wParam, lParam);
    return result;
  }
  HWND window_;
  Hook hook_;
  When when_;
  WNDPROC old_ = nullptr;
};
