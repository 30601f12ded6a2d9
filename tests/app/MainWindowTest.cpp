// The main window in this process: its creation from the options, the
// layout of bars and lists, the tool-bar switches, the tray and close
// paths, and what the close path keeps for the next start. The options come
// from a settings root of the test's own, so a first run is a real one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "app/MainWindow.h"
#include "app/ToolBar.h"
#include "app/WideCalls.h"
#include "app/Tray.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"
#include "ui/Splash.h"

namespace {

// A child's rectangle in the main window's client coordinates.
RECT ChildRect(HWND mainWindow, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(mainWindow, id), &rect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG Height(const RECT& r) { return r.bottom - r.top; }

std::string StatusText(HWND mainWindow) {
  char text[256] = "";
  SendDlgItemMessageA(mainWindow, IDC_STATUS_BAR, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

// The bars where the options put them and the two lists sharing the rest
// equally, one pixel row left over when the free height is odd.
void ExpectLayout(HWND mainWindow, bool toolBar, bool statusBar, const char* what) {
  SCOPED_TRACE(what);
  RECT client;
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(IsWindowVisible(GetDlgItem(mainWindow, IDC_TOOL_BAR)) != 0, toolBar);
  EXPECT_EQ(IsWindowVisible(GetDlgItem(mainWindow, IDC_STATUS_BAR)) != 0, statusBar);
  LONG top = 0;
  if (toolBar) {
    const RECT bar = ChildRect(mainWindow, IDC_TOOL_BAR);
    EXPECT_EQ(bar.top, 0);
    EXPECT_GT(Height(bar), 0);
    top = bar.bottom;
  }
  LONG bottom = client.bottom;
  if (statusBar) {
    const RECT bar = ChildRect(mainWindow, IDC_STATUS_BAR);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, client.right);
    EXPECT_GT(Height(bar), 0);
    bottom = bar.top;
  }
  const RECT encrypt = ChildRect(mainWindow, IDC_ENCRYPT_LIST);
  const RECT decode = ChildRect(mainWindow, IDC_DECODE_LIST);
  EXPECT_EQ(encrypt.top, top);
  EXPECT_EQ(encrypt.bottom, decode.top);
  EXPECT_EQ(Height(encrypt), Height(decode));
  EXPECT_EQ(decode.bottom, bottom - (bottom - top) % 2);
  for (const RECT& list : {encrypt, decode}) {
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.right, client.right);
  }
}

int ColumnWidth(HWND mainWindow, int listId, int column) {
  return static_cast<int>(SendDlgItemMessageA(mainWindow, listId, LVM_GETCOLUMNWIDTH, column, 0));
}

std::string ColumnTitle(HWND mainWindow, int listId, int column) {
  char text[256] = "";
  LVCOLUMNA header = {};
  header.mask = LVCF_TEXT;
  header.pszText = text;
  header.cchTextMax = sizeof text;
  SendDlgItemMessageA(mainWindow, listId, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
  return text;
}

void AddListEntry(HWND mainWindow, int listId, const char* text) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>(text);
  SendDlgItemMessageA(mainWindow, listId, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// The code of a quit message that PumpUntil took from the queue; -1: none.
int pumpedQuitCode = -1;

// Takes the quit message the close path posts; returns its code, or -1
// when there was none.
int TakeQuitMessage() {
  int code = pumpedQuitCode;
  pumpedQuitCode = -1;
  MSG message;
  if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) code = static_cast<int>(message.wParam);
  return code;
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

// Clicks the program's icon in the task-bar tray of Wine's virtual desktop
// the way the mouse would: the tray window of the desktop process finds the
// icon under the point and calls its owner back. The only icon sits at the
// right end of the tray.
void ClickTrayIcon(UINT down, UINT up) {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_NE(tray, nullptr) << "the tray exists only in a virtual desktop";
  RECT area;
  GetClientRect(tray, &area);
  const LPARAM point = MAKELPARAM(area.right - 8, area.bottom / 2);
  PostMessageA(tray, down, 0, point);
  PostMessageA(tray, up, 0, point);
}

// Pumps messages until `done` holds or two seconds have passed, keeping
// the code of a quit message for TakeQuitMessage.
template <class Condition>
bool PumpUntil(Condition done) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < 2000) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) pumpedQuitCode = static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
  return done();
}

class MainWindowTest : public SettingsRootTest {
 protected:
  void SetUp() override {
    SettingsRootTest::SetUp();
    static const int registered = RegisterMainWindowClass();
    ASSERT_EQ(registered, 1);
    folder_ = CurrentFolder();
    ASSERT_EQ(LoadOptions(&options_), 1);
    ASSERT_EQ(FirstRun, 1);
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteListFont();
    TakeQuitMessage();
    App().mainWindow = nullptr;
    ForgetChildWindows();
    SetCurrentDirectoryA(folder_.c_str());
    SettingsRootTest::TearDown();
  }

  // The window's own close path, without the exit question in front of it.
  HWND Open(int showCommand = SW_SHOWNORMAL) {
    options_.Confirm = 0;
    window_ = CreateMainWindow(showCommand, &options_);
    EXPECT_NE(window_, nullptr);
    IgnoreWindow(window_);
    PumpMessages(20);
    return window_;
  }

  ProgramOptions options_ = {};
  HWND window_ = nullptr;
  std::string folder_;
};

TEST_F(MainWindowTest, FirstRunOpensCentredWithBothBarsAndEqualLists) {
  options_.EncryptSelection = 4;
  options_.DecodeSelection = 2;
  Open();
  ASSERT_EQ(App().mainWindow, window_);
  char className[64] = "";
  GetClassNameA(window_, className, sizeof className);
  EXPECT_STREQ(className, "OrvaneAppClass");
  EXPECT_EQ(WindowText(window_), "Orvane");
  RECT rect;
  GetWindowRect(window_, &rect);
  EXPECT_EQ(rect.left, (1024 - 500) / 2);
  EXPECT_EQ(rect.top, (768 - 335) / 2);
  EXPECT_EQ(rect.right - rect.left, 500);
  EXPECT_EQ(rect.bottom - rect.top, 335);
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  for (LONG bit : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_VISIBLE}) {
    EXPECT_EQ(style & bit, bit) << std::hex << bit;
  }
  EXPECT_FALSE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_EQ(GetMenuItemCount(GetMenu(window_)), 5);
  ExpectLayout(window_, true, true, "first run");
  EXPECT_EQ(StatusText(window_), "Ready ...");
  EXPECT_EQ(options_.EncryptSelection, -1);
  EXPECT_EQ(options_.DecodeSelection, -1);

  struct Child {
    int id;
    const char* className;
    LONG style;
    LONG exStyle;
  };
  const Child children[] = {
      {IDC_TOOL_BAR, TOOLBARCLASSNAMEA, 0x54000101, 0},
      {IDC_STATUS_BAR, STATUSCLASSNAMEA, 0x54000103, 0},
      {IDC_ENCRYPT_LIST, WC_LISTVIEWA, 0x50808005, WS_EX_CLIENTEDGE},
      {IDC_DECODE_LIST, WC_LISTVIEWA, 0x50808005, WS_EX_CLIENTEDGE},
  };
  for (const Child& child : children) {
    HWND handle = GetDlgItem(window_, child.id);
    ASSERT_NE(handle, nullptr) << child.id;
    GetClassNameA(handle, className, sizeof className);
    EXPECT_STREQ(className, child.className);
    EXPECT_EQ(GetWindowLongA(handle, GWL_STYLE) & child.style, child.style) << child.id;
    EXPECT_EQ(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, child.exStyle) << child.id;
  }
  EXPECT_EQ(App().toolBar, GetDlgItem(window_, IDC_TOOL_BAR));
  EXPECT_EQ(App().statusBar, GetDlgItem(window_, IDC_STATUS_BAR));
  EXPECT_EQ(App().encryptList, GetDlgItem(window_, IDC_ENCRYPT_LIST));
  EXPECT_EQ(App().decodeList, GetDlgItem(window_, IDC_DECODE_LIST));
  EXPECT_EQ(SendMessageA(App().statusBar, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(ANSI_VAR_FONT)));

  // Both lists use the list font made from the display-font description.
  ASSERT_NE(App().listFont, nullptr);
  LOGFONTA font = {};
  ASSERT_TRUE(GetObjectA(App().listFont, sizeof font, &font));
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -10);
  struct List {
    int id;
    const char* first;
  };
  for (const List& list : {List{IDC_ENCRYPT_LIST, "Files for Encryption"}, List{IDC_DECODE_LIST, "Files for Decoding"}}) {
    EXPECT_EQ(SendDlgItemMessageA(window_, list.id, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(App().listFont));
    EXPECT_EQ(ColumnTitle(window_, list.id, 0), list.first);
    EXPECT_EQ(ColumnTitle(window_, list.id, 1), "Size");
    EXPECT_EQ(ColumnTitle(window_, list.id, 2), "Modified");
    EXPECT_EQ(ColumnWidth(window_, list.id, 0), 270);
    EXPECT_EQ(ColumnWidth(window_, list.id, 1), 60);
    EXPECT_EQ(ColumnWidth(window_, list.id, 2), 140);
  }
}

TEST_F(MainWindowTest, ToolBarButtonsInOrder) {
  Open();
  struct Entry {
    int image;  // -1: separator
    int command;
  };
  const Entry expected[] = {
      {-1, 0},  {0, 146},  {1, 250}, {2, 251}, {-1, 0},  {3, 147},  {4, 253}, {5, 254}, {-1, 0},
      {6, 103}, {-1, 0},   {7, 399}, {-1, 0},  {8, 430}, {9, 133},  {-1, 0}, {10, 901}, {11, 999},
  };
  HWND bar = App().toolBar;
  ASSERT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 18);
  for (int i = 0; i < 18; ++i) {
    TBBUTTON button = {};
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
    // Every entry is created enabled; the first refresh of the command
    // states then greys those that need listed or selected files.
    const bool needsFiles = expected[i].command == 146 || expected[i].command == 251 ||
                            expected[i].command == 147 || expected[i].command == 254 || expected[i].command == 103;
    EXPECT_EQ(button.fsState, needsFiles ? TBSTATE_INDETERMINATE : TBSTATE_ENABLED) << i;
    if (expected[i].image < 0) {
      EXPECT_EQ(button.fsStyle & TBSTYLE_SEP, TBSTYLE_SEP) << i;
    } else {
      EXPECT_EQ(button.fsStyle & TBSTYLE_SEP, 0) << i;
      EXPECT_EQ(button.iBitmap, expected[i].image) << i;
      EXPECT_EQ(button.idCommand, expected[i].command) << i;
    }
  }
}

// The tool bar's picture as the screen shows it after a full repaint: 32-bit
// pixels, top row first.
std::vector<DWORD> BarPicture(HWND bar) {
  RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client;
  GetClientRect(bar, &client);
  std::vector<DWORD> pixels(static_cast<size_t>(client.right) * static_cast<size_t>(client.bottom));
  if (pixels.empty()) return pixels;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(bar);
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
  GdiFlush();
  std::memcpy(pixels.data(), bits, pixels.size() * sizeof(DWORD));
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(picture);
  ReleaseDC(bar, screen);
  return pixels;
}

// Windows 95, 98 and Me have the 16-bit window calls only as stubs: there
// the bar is painted in memory through the 8-bit ones, to the same picture.
TEST_F(MainWindowTest, ToolBarPaintsTheSameThroughTheEightBitCalls) {
  struct WithoutWideCalls {
    WithoutWideCalls() { ActAsWithoutWideCallsForTest(true); }
    ~WithoutWideCalls() { ActAsWithoutWideCallsForTest(false); }
  };
  Open();
  ASSERT_TRUE(IsWindowUnicode(App().toolBar));
  const std::vector<DWORD> wide = BarPicture(App().toolBar);
  DestroyWindow(window_);
  App().mainWindow = nullptr;
  ForgetChildWindows();
  TakeQuitMessage();

  WithoutWideCalls ninetyFive;
  Open();
  EXPECT_FALSE(IsWindowUnicode(App().toolBar));
  const std::vector<DWORD> narrow = BarPicture(App().toolBar);
  ASSERT_FALSE(wide.empty());
  EXPECT_GT(std::set<DWORD>(wide.begin(), wide.end()).size(), 3u) << "the bar shows its buttons";
  EXPECT_TRUE(narrow == wide) << "the bar looks different when painted through the 8-bit calls";
}

TEST_F(MainWindowTest, LayoutWithEitherBarHiddenAndAtTheSmallestSize) {
  Open();
  struct Case {
    bool toolBar;
    bool statusBar;
    int width, height;  // asked for
    int expectWidth, expectHeight;
  };
  const Case cases[] = {
      {true, true, 500, 335, 500, 335},  {false, true, 500, 335, 500, 335}, {true, false, 500, 335, 500, 335},
      {false, false, 500, 335, 500, 335}, {true, true, 100, 100, 340, 250}, {false, true, 340, 250, 340, 250},
      {true, false, 200, 600, 340, 600},  {false, false, 341, 251, 341, 251}, {true, true, 340, 251, 340, 251},
  };
  for (const Case& c : cases) {
    std::string what = std::string(c.toolBar ? "tool bar" : "no tool bar") + (c.statusBar ? ", status" : ", no status") +
                       ", " + std::to_string(c.width) + " x " + std::to_string(c.height);
    EXPECT_EQ(ShowToolBar(window_, c.toolBar), 1);
    EXPECT_EQ(ShowStatusBar(window_, c.statusBar), 1);
    SetWindowPos(window_, nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(20);
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, c.expectWidth) << what;
    EXPECT_EQ(rect.bottom - rect.top, c.expectHeight) << what;
    ExpectLayout(window_, c.toolBar, c.statusBar, what.c_str());
  }

  // Each bar that goes gives its room to the lists.
  SetWindowPos(window_, nullptr, 0, 0, 500, 335, SWP_NOMOVE | SWP_NOZORDER);
  ShowToolBar(window_, 1);
  ShowStatusBar(window_, 1);
  PumpMessages(20);
  const LONG both = Height(ChildRect(window_, IDC_ENCRYPT_LIST));
  ShowToolBar(window_, 0);
  PumpMessages(20);
  const LONG noToolBar = Height(ChildRect(window_, IDC_ENCRYPT_LIST));
  EXPECT_EQ(ChildRect(window_, IDC_ENCRYPT_LIST).top, 0);
  ShowStatusBar(window_, 0);
  PumpMessages(20);
  const LONG neither = Height(ChildRect(window_, IDC_ENCRYPT_LIST));
  EXPECT_GT(noToolBar, both);
  EXPECT_GT(neither, noToolBar);
}

TEST_F(MainWindowTest, BarsOffInTheOptionsStartHiddenAndComeBackReady) {
  options_.ToolBar = 0;
  options_.Status = 0;
  Open();
  ExpectLayout(window_, false, false, "both off");
  SendDlgItemMessageA(window_, IDC_STATUS_BAR, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("stale"));
  ShowStatusBar(window_, 1);
  PumpMessages(20);
  ExpectLayout(window_, false, true, "status back");
  EXPECT_EQ(StatusText(window_), "Ready ...");
}

TEST_F(MainWindowTest, BarSwitchesNeedTheWindowAndTheBar) {
  EXPECT_EQ(ShowToolBar(nullptr, 1), 0);
  EXPECT_EQ(ShowStatusBar(nullptr, 0), 0);
  HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, App().instance,
                               nullptr);
  EXPECT_EQ(ShowToolBar(plain, 1), 0);
  EXPECT_EQ(ShowStatusBar(plain, 1), 0);
  DestroyWindow(plain);
}

TEST_F(MainWindowTest, ToolButtonStates) {
  Open();
  HWND bar = App().toolBar;
  auto state = [bar](int command) { return static_cast<int>(SendMessageA(bar, TB_GETSTATE, command, 0)); };

  EnableToolButton(IDM_ENCRYPT, 0);
  EXPECT_EQ(state(IDM_ENCRYPT), TBSTATE_INDETERMINATE);
  EnableToolButton(IDM_ENCRYPT, 1);
  EXPECT_EQ(state(IDM_ENCRYPT), TBSTATE_ENABLED);

  SendMessageA(bar, TB_HIDEBUTTON, IDM_DECODE_ADD, MAKELPARAM(TRUE, 0));
  ASSERT_TRUE(SendMessageA(bar, TB_ISBUTTONHIDDEN, IDM_DECODE_ADD, 0));
  EnableToolButton(IDM_DECODE_ADD, 0);
  EXPECT_FALSE(SendMessageA(bar, TB_ISBUTTONHIDDEN, IDM_DECODE_ADD, 0));
  EXPECT_EQ(state(IDM_DECODE_ADD), TBSTATE_INDETERMINATE);

  CheckToolButton(IDM_TOPMOST, 1);
  EXPECT_EQ(state(IDM_TOPMOST), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EnableToolButton(IDM_TOPMOST, 1);  // the new state replaces the pressed one
  EXPECT_EQ(state(IDM_TOPMOST), TBSTATE_ENABLED);
  CheckToolButton(IDM_TOPMOST, 1);
  CheckToolButton(IDM_TOPMOST, 0);
  EXPECT_EQ(state(IDM_TOPMOST), TBSTATE_ENABLED);
}

TEST_F(MainWindowTest, ShowCommandMinimizedAndTopMostOptions) {
  struct Case {
    LONG minimized;
    LONG topMost;
    int show;
    bool iconic, zoomed, topmost;
  };
  const Case cases[] = {
      {1, 0, SW_SHOWNORMAL, true, false, false},    {1, 0, SW_SHOWMAXIMIZED, true, false, false},
      {0, 1, SW_SHOWNORMAL, false, false, true},    {0, 0, SW_SHOWMINIMIZED, true, false, false},
      {0, 0, SW_SHOWMAXIMIZED, false, true, false}, {0, 0, SW_SHOWNORMAL, false, false, false},
  };
  for (const Case& c : cases) {
    options_.Minimized = c.minimized;
    options_.TopMost = c.topMost;
    Open(c.show);
    const int index = static_cast<int>(&c - cases);
    EXPECT_EQ(IsIconic(window_) != 0, c.iconic) << index;
    EXPECT_EQ(IsZoomed(window_) != 0, c.zoomed) << index;
    EXPECT_EQ((GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.topmost) << index;
    DestroyWindow(window_);
    DeleteListFont();
  }
}

TEST_F(MainWindowTest, FocusPutsTheWindowBackOnTop) {
  options_.TopMost = 1;
  Open();
  SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_FALSE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetFocus(nullptr);
  SetFocus(window_);
  EXPECT_TRUE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);

  options_.TopMost = 0;
  SetFocus(nullptr);
  SetFocus(window_);
  EXPECT_FALSE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainWindowTest, ClosingKeepsFolderPlacementAndWidths) {
  TempFolder scratch("orvane-close");
  Open();
  SetWindowPos(window_, nullptr, 120, 90, 420, 300, SWP_NOZORDER);
  ShowWindow(window_, SW_MAXIMIZE);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch.Folder().c_str()));
  const std::string folder = CurrentFolder();
  SendDlgItemMessageA(window_, IDC_ENCRYPT_LIST, LVM_SETCOLUMNWIDTH, 0, 111);
  SendDlgItemMessageA(window_, IDC_ENCRYPT_LIST, LVM_SETCOLUMNWIDTH, 2, 33);
  SendDlgItemMessageA(window_, IDC_DECODE_LIST, LVM_SETCOLUMNWIDTH, 1, 77);

  static const int splashRegistered = RegisterSplashClass();
  ASSERT_EQ(splashRegistered, 1);
  ShowSplash();
  ASSERT_NE(FindWindowA(MAKEINTATOM(500), nullptr), nullptr);

  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(FindWindowA(MAKEINTATOM(500), nullptr), nullptr) << "the splash window closes first";
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(App().mainWindow, nullptr);
  EXPECT_EQ(App().statusBar, nullptr);
  EXPECT_EQ(App().encryptList, nullptr);
  EXPECT_EQ(TakeQuitMessage(), 0);
  EXPECT_EQ(options_.Path, folder);
  // The restored rectangle, although the window was maximized.
  EXPECT_EQ(options_.Window.Left, 120);
  EXPECT_EQ(options_.Window.Top, 90);
  EXPECT_EQ(options_.Window.Width, 420);
  EXPECT_EQ(options_.Window.Height, 300);
  EXPECT_EQ(options_.EncryptColumns[0], 111);
  EXPECT_EQ(options_.EncryptColumns[1], 60);
  EXPECT_EQ(options_.EncryptColumns[2], 33);
  EXPECT_EQ(options_.DecodeColumns[0], 270);
  EXPECT_EQ(options_.DecodeColumns[1], 77);
  EXPECT_EQ(options_.DecodeColumns[2], 140);
}

TEST_F(MainWindowTest, ColumnWidthsComeBackInTheirOwnList) {
  Open();
  const int encrypt[3] = {101, 42, 163};
  const int decode[3] = {202, 58, 97};
  for (int column = 0; column < 3; ++column) {
    SendDlgItemMessageA(window_, IDC_ENCRYPT_LIST, LVM_SETCOLUMNWIDTH, column, encrypt[column]);
    SendDlgItemMessageA(window_, IDC_DECODE_LIST, LVM_SETCOLUMNWIDTH, column, decode[column]);
  }
  SendMessageA(window_, WM_CLOSE, 0, 0);
  ASSERT_FALSE(IsWindow(window_));
  SaveOptions(&options_);
  EXPECT_EQ(Raw("Options\\Encrypt", "Column-1").number, 101u);
  EXPECT_EQ(Raw("Options\\Decode", "Column-3").number, 97u);

  ProgramOptions next = {};
  LoadOptions(&next);
  ASSERT_EQ(FirstRun, 0);
  options_ = next;
  Open();
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(ColumnWidth(window_, IDC_ENCRYPT_LIST, column), encrypt[column]) << column;
    EXPECT_EQ(ColumnWidth(window_, IDC_DECODE_LIST, column), decode[column]) << column;
  }
}

TEST_F(MainWindowTest, ClosingWithListedFilesAsksFirst) {
  const char kQuestion[] = "\rThere are files selected for conversion\r\rAre you sure you want to quit?";
  struct Case {
    int listId;
    int answer;
    bool closed;
  };
  for (const Case& c : {Case{IDC_ENCRYPT_LIST, IDNO, false}, Case{IDC_DECODE_LIST, IDNO, false},
                        Case{IDC_DECODE_LIST, IDYES, true}}) {
    if (!IsWindow(window_)) Open();
    SendDlgItemMessageA(window_, IDC_ENCRYPT_LIST, LVM_DELETEALLITEMS, 0, 0);
    SendDlgItemMessageA(window_, IDC_DECODE_LIST, LVM_DELETEALLITEMS, 0, 0);
    AddListEntry(window_, c.listId, "C:\\a.txt");
    std::snprintf(options_.Path, sizeof options_.Path, "untouched");
    std::string text;
    DialogScript script;
    script.Expect("Orvane", [&](HWND box) {
      text = ItemText(box, 101);
      PressButton(box, c.answer);
    });
      script.Run([&] { return SendMessageA(window_, WM_CLOSE, 0, 0); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(text, kQuestion);
    EXPECT_EQ(IsWindow(window_) == 0, c.closed) << c.listId;
    EXPECT_EQ(TakeQuitMessage(), c.closed ? 0 : -1) << c.listId;
    EXPECT_EQ(std::string(options_.Path) == "untouched", !c.closed) << c.listId;
  }
}

TEST_F(MainWindowTest, WorkingFolderRestoredOnlyBeyondDriveC) {
  ASSERT_NE(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
      << "the scratch drive D: of the test fixture is missing";
  CreateDirectoryA("D:\\orvane-path", nullptr);
  TempFolder start("orvane-path-start");
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  std::string lower = windows;
  CharLowerA(&lower[0]);
  ASSERT_EQ(lower.substr(0, 2), "c:");

  struct Case {
    std::string path;
    bool restored;
  };
  const Case cases[] = {
      {windows, false},           // C: is never restored
      {lower, true},              // a lower-case drive letter always passes
      {"D:\\orvane-path", true},  // beyond C:
      {"D:\\orvane-gone", false}, // a folder that is gone is ignored
      {"A:\\", false},
      {"", false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetCurrentDirectoryA(start.Folder().c_str()));
    const std::string before = CurrentFolder();
    std::snprintf(options_.Path, sizeof options_.Path, "%s", c.path.c_str());
    Open();
    const std::string now = CurrentFolder();
    if (c.restored) {
      EXPECT_EQ(lstrcmpiA(now.c_str(), c.path.c_str()), 0) << c.path << " -> " << now;
    } else {
      EXPECT_EQ(now, before) << c.path;
    }
    EXPECT_EQ(options_.Path, now) << c.path;
    DestroyWindow(window_);
    DeleteListFont();
  }
  SetCurrentDirectoryA(folder_.c_str());
  RemoveDirectoryA("D:\\orvane-path");
}

TEST_F(MainWindowTest, TrayIconHidesAndBringsBackTheWindow) {
  options_.TaskTray = 1;
  Open();
  EXPECT_EQ(AddTrayIcon(window_, "Orvane"), 0) << "the window has its icon already";

  ShowWindow(window_, SW_MINIMIZE);
  PumpMessages(20);
  EXPECT_FALSE(IsWindowVisible(window_));

  ClickTrayIcon(WM_LBUTTONDOWN, WM_LBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window_) != 0; }));
  EXPECT_FALSE(IsIconic(window_));
  EXPECT_EQ(GetForegroundWindow(), window_);

  PressCloseBox(window_);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window_); }));
  EXPECT_TRUE(IsWindow(window_));

  // The right button shows the window, then closes the program.
  ClickTrayIcon(WM_RBUTTONDOWN, WM_RBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window_); }));
  EXPECT_EQ(TakeQuitMessage(), 0);
  EXPECT_EQ(RemoveTrayIcon(window_), 0) << "the close path removed the icon";
}

TEST_F(MainWindowTest, WithoutTheTrayMinimizeAndCloseBoxAreOrdinary) {
  Open();
  EXPECT_EQ(RemoveTrayIcon(window_), 0) << "no icon without the option";
  ShowWindow(window_, SW_MINIMIZE);
  PumpMessages(20);
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(IsIconic(window_));
  PressCloseBox(window_);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window_); }));
  EXPECT_EQ(TakeQuitMessage(), 0);
}

// Refuses the creation of the child window with one id, as a system short
// of resources would.
int refusedChild = 0;
LRESULT CALLBACK RefuseChild(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if ((create->style & WS_CHILD) && reinterpret_cast<INT_PTR>(create->hMenu) == refusedChild) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindowTest, ChildThatCannotBeCreatedIsNamed) {
  for (int id : {IDC_TOOL_BAR, IDC_STATUS_BAR, IDC_ENCRYPT_LIST, IDC_DECODE_LIST}) {
    refusedChild = id;
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseChild, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::string childText, windowText;
    DialogScript script;
    script.Expect("Orvane", [&](HWND box) {
      childText = ItemText(box, 101);
      PressButton(box, IDOK);
    });
    script.Expect("Error", [&](HWND box) {
      windowText = ItemText(box, 101);
      PressButton(box, IDOK);
    });
    HWND window = script.Run([&] { return CreateMainWindow(SW_SHOWNORMAL, &options_); });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(window, nullptr) << id;
    EXPECT_EQ(FindWindowA("OrvaneAppClass", nullptr), nullptr) << id;
    const std::string named = "\rError detected creating child window (ID:" + std::to_string(id) + ")\r\rCode ";
    EXPECT_EQ(childText.substr(0, named.size()), named) << childText;
    const std::string opening = "\rError detected opening the Orvane window\r\rCode ";
    EXPECT_EQ(windowText.substr(0, opening.size()), opening) << windowText;
    // Nothing is left that would reach a child that is gone.
    EXPECT_EQ(App().toolBar, nullptr) << id;
    EXPECT_EQ(App().statusBar, nullptr) << id;
    EXPECT_EQ(App().encryptList, nullptr) << id;
    EXPECT_EQ(App().decodeList, nullptr) << id;
    EXPECT_EQ(App().mainWindow, nullptr) << id;
    DeleteListFont();
  }
}

TEST(MainWindowResources, MenuItemsStartGreyed) {
  struct Item {
    const char* text;  // nullptr: separator
    UINT id;
  };
  struct Popup {
    const char* text;
    std::vector<Item> items;
  };
  const Popup expected[] = {
      {"&File", {{"&Properties...", 103}, {nullptr, 0}, {"&Access...", 130}, {"Op&tions...", 133}, {nullptr, 0},
                 {"E&xit\tCtrl+Q", 199}}},
      {"&Encrypt", {{"&Encrypt Files...\tCtrl+E", 146}, {nullptr, 0}, {"&Add Files...\tIns", 250},
                    {"&Remove File\tDel", 251}, {nullptr, 0}, {"&Clear Encryption List\tClear", 252}}},
      {"&Decode", {{"&Decode Files...\tCtrl+D", 147}, {nullptr, 0}, {"&Add Files...\tIns", 253},
                   {"&Remove File\tDel", 254}, {nullptr, 0}, {"&Clear Decoding List\tClear", 255}}},
      {"&View", {{"&Tool Bar", 302}, {"&Status Region", 301}, {nullptr, 0}, {"&Font...", 430}, {nullptr, 0},
                 {"&Minimize on Use", 398}, {"&Always On Top\tCtrl+T", 399}}},
      {"&Help", {{"&Contents\tF1", 901}, {"&Search...", 902}, {"&How to Use Help", 903}, {nullptr, 0},
                 {"Set&up...", 134}, {"&Web Site...", 997}, {nullptr, 0}, {"&About Orvane...", 999}}},
  };
  HMENU menu = LoadMenuA(App().instance, MAKEINTRESOURCEA(IDM_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  for (int p = 0; p < 5; ++p) {
    char text[128] = "";
    GetMenuStringA(menu, p, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, expected[p].text);
    HMENU popup = GetSubMenu(menu, p);
    ASSERT_NE(popup, nullptr) << p;
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(expected[p].items.size())) << expected[p].text;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      const Item& item = expected[p].items[i];
      const UINT state = GetMenuState(popup, i, MF_BYPOSITION);
      if (!item.text) {
        EXPECT_TRUE(state & MF_SEPARATOR) << expected[p].text << " " << i;
        continue;
      }
      GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
      EXPECT_STREQ(text, item.text);
      EXPECT_EQ(GetMenuItemID(popup, i), item.id) << item.text;
      EXPECT_EQ(state & MF_GRAYED, static_cast<UINT>(MF_GRAYED)) << item.text;
    }
  }
  DestroyMenu(menu);
}

TEST(MainWindowResources, AcceleratorsWithoutMenuFlash) {
  HACCEL table = LoadAcceleratorsA(App().instance, MAKEINTRESOURCEA(IDM_MAIN_ACCELERATORS));
  ASSERT_NE(table, nullptr);
  ACCEL entries[16] = {};
  const int count = CopyAcceleratorTableA(table, entries, 16);
  std::set<std::vector<int>> got;
  for (int i = 0; i < count; ++i) got.insert({entries[i].fVirt & ~0x80, entries[i].key, entries[i].cmd});
  const int control = FVIRTKEY | FNOINVERT | FCONTROL;
  const std::set<std::vector<int>> expected = {
      {control, 'D', 147},
      {control, 'E', 146},
      {control, 'Q', 199},
      {control, 'T', 399},
      {FVIRTKEY | FNOINVERT, VK_F1, 901},
      {FVIRTKEY | FNOINVERT | FALT, VK_RETURN, 103},
  };
  EXPECT_EQ(count, 6);
  EXPECT_EQ(got, expected);
}

}  // namespace
