// The main window's class, its creation with the tool bar, the two lists
// and the status bar, the layout that shares the client area among them,
// and the switches of the bars and tool-bar buttons.
#include "app/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <initializer_list>

#include "context/AppContext.h"
#include "app/CommandStates.h"
#include "app/ToolBar.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/TrayIcon.h"
#include "ui/TextRoutines.h"

namespace {

constexpr char kProgramTitle[] = "Orvane";

// An overlapped window (the system adds caption and border) with a system
// menu, a sizing frame and both boxes. The low bit 0x0008 has no meaning for
// a top-level window; it is kept as the window has always been created.
constexpr DWORD kMainWindowStyle =
    WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | 0x0008;
constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD kToolBarStyle = kBarStyle | TBSTYLE_TOOLTIPS | CCS_TOP;
constexpr DWORD kStatusBarStyle = kBarStyle | SBARS_SIZEGRIP | CCS_BOTTOM;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_REPORT;

constexpr int kToolImageCount = 12;
constexpr int kToolImageSize = 16;
constexpr int kSeparator = -1;

// The tool bar from the left: the image of each button in bitmap 1002 and
// its command, or a separator.
struct ToolEntry {
  int image;
  int command;
};
constexpr ToolEntry kToolEntries[] = {
    {kSeparator, 0},
    {0, IDM_ENCRYPT},    {1, IDM_ENCRYPT_ADD},  {2, IDM_ENCRYPT_REMOVE}, {kSeparator, 0},
    {3, IDM_DECODE},     {4, IDM_DECODE_ADD},   {5, IDM_DECODE_REMOVE},  {kSeparator, 0},
    {6, IDM_PROPERTIES}, {kSeparator, 0},
    {7, IDM_TOPMOST},    {kSeparator, 0},
    {8, IDM_FONT},       {9, IDM_OPTIONS},      {kSeparator, 0},
    {10, IDM_HELP_CONTENTS}, {11, IDM_ABOUT},
};
constexpr int kToolEntryCount = sizeof kToolEntries / sizeof kToolEntries[0];
static_assert(kToolEntryCount == 18, "the tool bar has 18 entries");

// One of the two lists: its id, column titles and the widths it starts with.
struct ListSpec {
  int id;
  const char* titles[3];
};
constexpr ListSpec kEncryptList = {IDC_ENCRYPT_LIST, {"Files for Encryption", "Size", "Modified"}};
constexpr ListSpec kDecodeList = {IDC_DECODE_LIST, {"Files for Decoding", "Size", "Modified"}};

HFONT ListFont() {
  return App().listFont ? App().listFont : static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
}

// The children made so far go with the main window that cannot be created.
int ChildFailed(HWND mainWindow, int id) {
  const int code = static_cast<int>(GetLastError());
  ForgetChildWindows();
  return ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_CHILD_WINDOW_FAILED, id, code);
}

// The font of both lists, from the display-font description. Without it the
// lists use the stock variable font.
void CreateListFont(HWND mainWindow) {
  const LOGFONTA& font = DisplayFont().Font;
  App().listFont = CreateFontIndirectA(&font);
  if (App().listFont) return;
  const int code = static_cast<int>(GetLastError());
  ShowMessage(mainWindow, IDS_PROGRAM_NAME, IDS_FONT_CREATE_FAILED, font.lfFaceName, static_cast<int>(font.lfHeight),
              code);
}

HWND CreateToolBar(HWND mainWindow, const ProgramOptions& options) {
  TBBUTTON buttons[kToolEntryCount] = {};
  for (int i = 0; i < kToolEntryCount; ++i) {
    const ToolEntry& entry = kToolEntries[i];
    buttons[i].fsState = TBSTATE_ENABLED;
    if (entry.image == kSeparator) {
      buttons[i].fsStyle = TBSTYLE_SEP;
    } else {
      buttons[i].iBitmap = entry.image;
      buttons[i].idCommand = entry.command;
      buttons[i].fsStyle = TBSTYLE_BUTTON;
    }
  }
  HWND bar = CreateToolbarEx(mainWindow, kToolBarStyle, IDC_TOOL_BAR, kToolImageCount, App().instance, IDB_TOOLBAR,
                             buttons, kToolEntryCount, 0, 0, kToolImageSize, kToolImageSize, sizeof(TBBUTTON));
  PaintToolBarInMemory(bar);
  if (bar && !options.ToolBar) ShowWindow(bar, SW_HIDE);
  return bar;
}

HWND CreateStatusBar(HWND mainWindow, const ProgramOptions& options) {
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", kStatusBarStyle, 0, 0, 0, 0, mainWindow,
                             reinterpret_cast<HMENU>(IDC_STATUS_BAR), App().instance, nullptr);
  if (!bar) return nullptr;
  if (!options.Status) ShowWindow(bar, SW_HIDE);
  // Written directly: the status-line routine drops texts for a hidden bar.
  char ready[kStringSize];
  GetString(ready, IDS_READY);
  SendMessageA(bar, SB_SETTEXTA, 0 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(ready));
  SendMessageA(bar, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
  return bar;
}

// Made where the layout puts it: a list moved after it is made lays out its
// header and scroll bars a second time.
HWND CreateList(HWND mainWindow, const ListSpec& spec, const LONG (&widths)[3], const RECT& place) {
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", kListStyle, place.left, place.top,
                              RectWidth(&place), RectHeight(&place), mainWindow,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), App().instance, nullptr);
  if (!list) return nullptr;
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()), FALSE);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (int column = 0; column < 3; ++column) {
    LVCOLUMNA header = {};
    header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    header.fmt = LVCFMT_LEFT;
    header.cx = widths[column];
    header.pszText = const_cast<char*>(spec.titles[column]);
    header.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
  }
  return list;
}

// Goes back to the folder of the last run. Folders on A:, B: and C: are
// never restored: the test is on the first character as a signed byte, so a
// lower-case drive letter always passes. A folder that is gone is ignored.
void RestoreWorkingFolder(ProgramOptions& options) {
  if (options.Path[0] != '\0' && static_cast<signed char>(options.Path[0]) > 'C') {
    SetCurrentDirectoryA(options.Path);
  }
  StoreCurrentFolder(&options);
}

// Moves a child of the main window unless it is there already: a visible
// window moved, even to where it is, is repainted.
void PlaceChild(HWND child, LONG x, LONG y, LONG width, LONG height) {
  RECT now;
  if (!child || !GetWindowRect(child, &now)) return;
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == x && now.top == y && RectWidth(&now) == width && RectHeight(&now) == height) return;
  MoveWindow(child, x, y, width, height, TRUE);
}

// A bar that is switched on, whether or not the main window shows yet: laid
// out before it first shows, the window then shows with everything where it
// stays, and nothing is moved and painted again.
bool BarSwitchedOn(HWND bar) { return bar && (GetWindowLongPtrA(bar, GWL_STYLE) & WS_VISIBLE) != 0; }

// Sizes the tool bar to its buttons and puts the status bar at the bottom,
// those of them that are switched on; returns the part of the client area
// they leave to the lists.
RECT PlaceBars(HWND mainWindow) {
  RECT free;
  GetClientRect(mainWindow, &free);
  const LONG width = RectWidth(&free);
  HWND toolBar = GetDlgItem(mainWindow, IDC_TOOL_BAR);
  if (BarSwitchedOn(toolBar)) {
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    RECT bar;
    GetWindowRect(toolBar, &bar);
    free.top += RectHeight(&bar);
  }
  HWND statusBar = GetDlgItem(mainWindow, IDC_STATUS_BAR);
  if (BarSwitchedOn(statusBar)) {
    RECT bar;
    GetWindowRect(statusBar, &bar);
    const LONG height = RectHeight(&bar);
    PlaceChild(statusBar, 0, free.bottom - height, width, height);
    free.bottom -= height;
  }
  return free;
}

// The encryption list takes the upper half of what the bars leave, the
// decoding list the lower; with an odd height the last pixel row stays
// uncovered.
RECT ListPlace(const RECT& free, bool encryptList) {
  const LONG half = RectHeight(&free) / 2;
  const LONG top = encryptList ? free.top : free.top + half;
  return RECT{free.left, top, free.right, top + half};
}

int ShowBar(HWND mainWindow, int barId, int on) {
  HWND bar = mainWindow ? GetDlgItem(mainWindow, barId) : nullptr;
  if (!bar) return 0;
  ShowWindow(bar, on ? SW_SHOW : SW_HIDE);
  // The layout runs when the size message arrives, after the bar has
  // finished showing or hiding.
  RECT client;
  GetClientRect(mainWindow, &client);
  PostMessageA(mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(RectWidth(&client), RectHeight(&client)));
  return 1;
}

}  // namespace

int RegisterMainWindowClass() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = App().instance;
  windowClass.hIcon = LoadIconA(App().instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(App().instance, MAKEINTRESOURCEA(IDI_PROGRAM_SMALL), IMAGE_ICON, 16, 16, LR_SHARED));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN_MENU);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExA(&windowClass)) return 1;
  const int code = static_cast<int>(GetLastError());
  return ShowError(IDS_CLASS_REGISTER_FAILED, kMainWindowClass, code);
}

HWND CreateMainWindow(int showCommand, ProgramOptions* options) {
  const WindowPosition& place = options->Window;
  // Files may be dropped on the window (what DragAcceptFiles does, without
  // loading the shell before the first file is dropped).
  const DWORD extendedStyle = (options->TopMost ? WS_EX_TOPMOST : 0) | WS_EX_ACCEPTFILES;
  HWND window = CreateWindowExA(extendedStyle, kMainWindowClass, kProgramTitle, kMainWindowStyle, place.Left,
                                place.Top, place.Width, place.Height, nullptr, nullptr, App().instance, options);
  if (!window) {
    const int code = static_cast<int>(GetLastError());
    ShowError(IDS_WINDOW_OPEN_FAILED, kProgramTitle, code);
    return nullptr;
  }
  App().mainWindow = window;
  LayoutMainWindow(window);
  // The menu's items and the buttons start greyed; this first refresh
  // enables them before the window is first painted.
  UpdateCommandStates(window, options);
  ShowWindow(window, options->Minimized ? SW_SHOWMINIMIZED : showCommand);
  UpdateWindow(window);
  if (options->TaskTray) AddTrayIcon(window, kProgramTitle);
  return window;
}

ProgramOptions* MainWindowOptions(HWND mainWindow) {
  return reinterpret_cast<ProgramOptions*>(GetWindowLongPtrA(mainWindow, GWLP_USERDATA));
}

int CreateChildWindows(HWND mainWindow, ProgramOptions* options) {
  SetWindowLongPtrA(mainWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(options));
  char caption[kStringSize];
  if (GetString(caption, IDS_PROGRAM_NAME)) SetWindowTextA(mainWindow, caption);
  CreateListFont(mainWindow);

  App().toolBar = CreateToolBar(mainWindow, *options);
  if (!App().toolBar) return ChildFailed(mainWindow, IDC_TOOL_BAR);
  App().statusBar = CreateStatusBar(mainWindow, *options);
  if (!App().statusBar) return ChildFailed(mainWindow, IDC_STATUS_BAR);
  const RECT free = PlaceBars(mainWindow);
  App().encryptList = CreateList(mainWindow, kEncryptList, options->EncryptColumns, ListPlace(free, true));
  if (!App().encryptList) return ChildFailed(mainWindow, IDC_ENCRYPT_LIST);
  App().decodeList = CreateList(mainWindow, kDecodeList, options->DecodeColumns, ListPlace(free, false));
  if (!App().decodeList) return ChildFailed(mainWindow, IDC_DECODE_LIST);

  RestoreWorkingFolder(*options);
  options->EncryptSelection = -1;
  options->DecodeSelection = -1;
  return 1;
}

void LayoutMainWindow(HWND mainWindow) {
  const RECT free = PlaceBars(mainWindow);
  for (bool encryptList : {true, false}) {
    const RECT place = ListPlace(free, encryptList);
    PlaceChild(GetDlgItem(mainWindow, encryptList ? IDC_ENCRYPT_LIST : IDC_DECODE_LIST), place.left, place.top,
               RectWidth(&place), RectHeight(&place));
  }
  InvalidateRect(mainWindow, nullptr, FALSE);
  // Last: the status text repaints the window at once, which is then laid
  // out whole (painted in the middle of the layout, it would be painted
  // twice).
  HWND statusBar = GetDlgItem(mainWindow, IDC_STATUS_BAR);
  if (statusBar && IsWindowVisible(statusBar)) SetStatusText(IDS_READY);
}

int ShowToolBar(HWND mainWindow, int on) { return ShowBar(mainWindow, IDC_TOOL_BAR, on); }

int ShowStatusBar(HWND mainWindow, int on) { return ShowBar(mainWindow, IDC_STATUS_BAR, on); }

void ReadColumnWidths(HWND list, LONG (&widths)[3]) {
  if (!list) return;
  for (int column = 0; column < 3; ++column) {
    widths[column] = static_cast<LONG>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
  }
}

void StoreCurrentFolder(ProgramOptions* options) {
  const DWORD length = GetCurrentDirectoryA(sizeof options->Path, options->Path);
  if (length == 0 || length >= sizeof options->Path) options->Path[0] = '\0';
}

void ForgetChildWindows() {
  AppContext& app = App();
  app.toolBar = nullptr;
  app.statusBar = nullptr;
  app.encryptList = nullptr;
  app.decodeList = nullptr;
}

void DeleteListFont() {
  if (App().listFont) DeleteObject(App().listFont);
  App().listFont = nullptr;
}
