// The tray icon, its callback, the topmost switch and the capture of a
// window's place, on real windows under Wine. The task bar's answers come
// from a stand-in for the shell's query: Wine's own answer describes no
// task bar that a user could dock.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "context/AppContext.h"
#include "app/Tray.h"
#include "ui/WindowPlacement.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"

namespace {

// What the stand-in task bar answers, and what it was asked.
struct FakeTaskbar {
  bool found = true;
  RECT rect = {};
  UINT_PTR state = 0;
  DWORD positionSize = 0;
  DWORD stateSize = 0;
  HWND askedFor = reinterpret_cast<HWND>(-1);
};
FakeTaskbar taskbar;

UINT_PTR FakeQuery(DWORD message, APPBARDATA* data) {
  if (message == ABM_GETTASKBARPOS) {
    taskbar.positionSize = data->cbSize;
    taskbar.askedFor = data->hWnd;
    if (!taskbar.found) return 0;
    data->rc = taskbar.rect;
    return 1;
  }
  if (message == ABM_GETSTATE) {
    taskbar.stateSize = data->cbSize;
    return taskbar.state;
  }
  return 0;
}

// A top-level window that notes the WM_CLOSE it gets and stays open.
struct Probe {
  int closes = 0;
  bool visibleAtClose = false;
};

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    auto* probe = reinterpret_cast<Probe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    ++probe->closes;
    probe->visibleAtClose = IsWindowVisible(window) != 0;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(Probe* probe, const RECT& place = RECT{100, 80, 420, 330}) {
  static ATOM atom = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = App().instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "OrvaneTrayProbe";
    return RegisterClassA(&windowClass);
  }();
  EXPECT_NE(atom, 0);
  HWND window = CreateWindowExA(0, "OrvaneTrayProbe", "Probe", WS_OVERLAPPEDWINDOW, place.left, place.top,
                                place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                App().instance, nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(probe));
  return window;
}

class TrayTest : public testing::Test {
 protected:
  void SetUp() override {
    taskbar = FakeTaskbar{};
    SetAppBarQueryForTest(FakeQuery);
  }
  void TearDown() override {
    SetAppBarQueryForTest(nullptr);
    for (HWND window : windows_) DestroyWindow(window);
  }
  HWND Window(const RECT& place = RECT{100, 80, 420, 330}) {
    HWND window = MakeWindow(&probe_, place);
    windows_.push_back(window);
    return window;
  }
  // Puts the normal rectangle of `window` at `rect` (work-area coordinates).
  static void SetNormalRect(HWND window, const RECT& rect, UINT show) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    placement.rcNormalPosition = rect;
    placement.showCmd = show;
    ASSERT_TRUE(SetWindowPlacement(window, &placement));
  }

  Probe probe_;
  std::vector<HWND> windows_;
};

TEST_F(TrayTest, TaskbarEdgeFromTheBarsRectangle) {
  struct Case {
    RECT rect;
    int edge;
  };
  // Real bars reach two pixels past the screen's edges.
  const Case cases[] = {
      {{-2, -2, 62, 770}, 0},    // left, upright
      {{962, -2, 1026, 770}, 2},  // right
      {{-2, -2, 1026, 30}, 1},   // top
      {{-2, 738, 1026, 770}, 3},  // bottom
      {{0, 0, 60, 768}, 0},      // left edge at 0 is still the left
      {{1, 0, 61, 768}, 2},      // one pixel in: taken for the right
      {{0, 1, 1024, 31}, 3},     // one pixel down: taken for the bottom
      {{0, 0, 40, 40}, 1},       // square: not upright, so top
      {{0, 0, 0, 0}, 1},         // empty: not upright, at the top
  };
  for (const Case& c : cases) {
    taskbar.rect = c.rect;
    RECT got = {7, 7, 7, 7};
    EXPECT_EQ(TaskbarEdge(nullptr, &got), c.edge) << c.rect.left << "," << c.rect.top;
    EXPECT_TRUE(EqualRect(&got, &c.rect));
    EXPECT_EQ(TaskbarEdge(nullptr, nullptr), c.edge);
  }
  EXPECT_EQ(taskbar.positionSize, sizeof(APPBARDATA));

  HWND window = Window();
  TaskbarEdge(window, nullptr);
  EXPECT_EQ(taskbar.askedFor, window);

  taskbar.found = false;
  RECT untouched = {1, 2, 3, 4};
  EXPECT_EQ(TaskbarEdge(nullptr, &untouched), -1);
  EXPECT_EQ(untouched.left, 1);
  EXPECT_EQ(untouched.bottom, 4);
}

TEST_F(TrayTest, PlacementCorrectedForABarAtTheLeftOrTop) {
  struct Case {
    const char* name;
    bool found;
    RECT bar;
    UINT_PTR state;
    int result;
    LONG left, top;
  };
  const Case cases[] = {
      {"left, 60 wide", true, {0, 0, 60, 768}, 0, 1, 158, 80},
      {"left, always on top", true, {0, 0, 60, 768}, ABS_ALWAYSONTOP, 1, 158, 80},
      {"left, hides itself", true, {0, 0, 60, 768}, ABS_AUTOHIDE, 1, 100, 80},
      {"top, 30 high", true, {0, 0, 1024, 30}, 0, 1, 100, 108},
      {"top, hides itself", true, {0, 0, 1024, 30}, ABS_AUTOHIDE | ABS_ALWAYSONTOP, 1, 100, 80},
      {"right", true, {964, 0, 1024, 768}, 0, 1, 100, 80},
      {"bottom", true, {0, 738, 1024, 768}, 0, 1, 100, 80},
      {"no task bar", false, {0, 0, 60, 768}, 0, 0, 100, 80},
  };
  HWND window = Window();
  SetNormalRect(window, RECT{100, 80, 420, 330}, SW_SHOWNORMAL);
  for (const Case& c : cases) {
    taskbar.found = c.found;
    taskbar.rect = c.bar;
    taskbar.state = c.state;
    WindowPosition position = {-1, -1, -1, -1, 7};
    EXPECT_EQ(SaveWindowPlacement(window, &position), c.result) << c.name;
    EXPECT_EQ(position.Left, c.left) << c.name;
    EXPECT_EQ(position.Top, c.top) << c.name;
    EXPECT_EQ(position.Width, 320) << c.name;
    EXPECT_EQ(position.Height, 250) << c.name;
    EXPECT_EQ(position.Show, 7) << c.name;
  }
  EXPECT_EQ(taskbar.stateSize, sizeof(APPBARDATA));
}

TEST_F(TrayTest, MaximizedOrMinimizedWindowSavesItsRestoredRectangle) {
  taskbar.rect = RECT{0, 738, 1024, 768};
  for (UINT show : {SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED}) {
    HWND window = Window();
    SetNormalRect(window, RECT{140, 90, 540, 390}, show);
    ASSERT_EQ(show == SW_SHOWMAXIMIZED, IsZoomed(window) != 0);
    ASSERT_EQ(show == SW_SHOWMINIMIZED, IsIconic(window) != 0);
    WindowPosition position = {};
    EXPECT_EQ(SaveWindowPlacement(window, &position), 1);
    EXPECT_EQ(position.Left, 140) << show;
    EXPECT_EQ(position.Top, 90) << show;
    EXPECT_EQ(position.Width, 400) << show;
    EXPECT_EQ(position.Height, 300) << show;
  }
}

TEST_F(TrayTest, NoPlacementWithoutAWindow) {
  HWND gone = MakeWindow(&probe_);
  DestroyWindow(gone);
  for (HWND window : {HWND(nullptr), gone}) {
    WindowPosition position = {1, 2, 3, 4, 5};
    EXPECT_EQ(SaveWindowPlacement(window, &position), 0);
    EXPECT_EQ(position.Top, 1);
    EXPECT_EQ(position.Left, 2);
    EXPECT_EQ(position.Height, 3);
    EXPECT_EQ(position.Width, 4);
  }
  EXPECT_EQ(SaveWindowPlacement(Window(), nullptr), 0);
}

TEST_F(TrayTest, TopmostNeitherActivatesNorMoves) {
  HWND front = Window(RECT{10, 10, 300, 200});
  HWND other = Window(RECT{50, 50, 350, 250});
  ShowWindow(other, SW_SHOWNOACTIVATE);
  ShowWindow(front, SW_SHOW);
  SetForegroundWindow(front);
  PumpMessages(20);
  ASSERT_EQ(GetForegroundWindow(), front);

  SetTopmost(other, 1);
  EXPECT_TRUE(GetWindowLongA(other, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetForegroundWindow(), front);
  RECT rect;
  GetWindowRect(other, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.right, 350);

  SetTopmost(other, 0);
  EXPECT_FALSE(GetWindowLongA(other, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetForegroundWindow(), front);
  SetTopmost(nullptr, 1);
}

TEST_F(TrayTest, IconClicks) {
  enum Start { kHidden, kMinimizedHidden, kShown };
  struct Case {
    Start start;
    UINT mouse;
    LONG topMost;
    bool shown;
    int closes;
  };
  const Case cases[] = {
      {kHidden, WM_LBUTTONDOWN, 0, true, 0},
      {kMinimizedHidden, WM_LBUTTONDOWN, 0, true, 0},
      {kHidden, WM_LBUTTONDOWN, 1, true, 0},
      {kShown, WM_LBUTTONDOWN, 0, true, 0},
      {kHidden, WM_RBUTTONDOWN, 0, true, 1},
      {kMinimizedHidden, WM_RBUTTONDOWN, 1, true, 1},
      {kHidden, WM_LBUTTONUP, 1, false, 0},
      {kHidden, WM_RBUTTONUP, 0, false, 0},
      {kHidden, WM_LBUTTONDBLCLK, 0, false, 0},
      {kHidden, WM_MOUSEMOVE, 0, false, 0},
  };
  // Another window is in front when the icon is clicked.
  HWND front = Window(RECT{500, 400, 700, 600});
  int index = 0;
  for (const Case& c : cases) {
    probe_ = Probe{};
    HWND window = Window();
    if (c.start == kMinimizedHidden) ShowWindow(window, SW_MINIMIZE);
    if (c.start == kShown) ShowWindow(window, SW_SHOW);
    if (c.start != kShown) ShowWindow(window, SW_HIDE);
    ShowWindow(front, SW_SHOW);
    SetForegroundWindow(front);
    ASSERT_EQ(GetForegroundWindow(), front);
    SetTopmost(window, !c.topMost);  // the click must change it

    // The shell puts the mouse message in the low word.
    OnTrayNotify(window, MAKELPARAM(c.mouse, 0), c.topMost);
    EXPECT_EQ(IsWindowVisible(window) != 0, c.shown) << index;
    EXPECT_EQ(probe_.closes, c.closes) << index;
    if (c.shown) {
      EXPECT_FALSE(IsIconic(window)) << index;
      EXPECT_EQ(GetForegroundWindow(), window) << index;
      EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topMost != 0) << index;
    }
    if (c.closes) {
      EXPECT_TRUE(probe_.visibleAtClose) << index;
    }
    ++index;
  }
}

TEST_F(TrayTest, IconAddedOnceAndRemoved) {
  HWND window = Window();
  ASSERT_NE(AddTrayIcon(window, "Orvane"), 0);
  EXPECT_EQ(AddTrayIcon(window, "Orvane"), 0);  // one icon per window
  EXPECT_NE(RemoveTrayIcon(window), 0);
  EXPECT_EQ(RemoveTrayIcon(window), 0);
  // No tip and a tip longer than the 63 characters the shell keeps.
  EXPECT_NE(AddTrayIcon(window, nullptr), 0);
  EXPECT_NE(RemoveTrayIcon(window), 0);
  EXPECT_NE(AddTrayIcon(window, std::string(300, 'x').c_str()), 0);
  EXPECT_NE(RemoveTrayIcon(window), 0);
}

}  // namespace
