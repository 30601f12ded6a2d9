// The topmost switch, the task bar's edge and the capture of a window's
// normal place.
#include "ui/WindowPlacement.h"

#include "ui/TextRoutines.h"

namespace {

// The sizes of the structures as the oldest shells know them (a larger size
// is refused there, and every later shell accepts these), taken from the
// platform's headers so that they fit the 32-bit and the 64-bit program.
constexpr DWORD kAppBarDataSize = sizeof(APPBARDATA);
constexpr UINT kPlacementSize = sizeof(WINDOWPLACEMENT);

AppBarQuery appBarQuery = nullptr;

UINT_PTR AskAppBar(DWORD message, APPBARDATA* data) {
  return appBarQuery ? appBarQuery(message, data) : SHAppBarMessage(message, data);
}

}  // namespace

void SetTopmost(HWND window, int on) {
  if (!window) return;
  SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int SaveWindowPlacement(HWND window, WindowPosition* position) {
  if (!position) return 0;
  WINDOWPLACEMENT placement = {};
  placement.length = kPlacementSize;
  if (!window || !GetWindowPlacement(window, &placement)) return 0;
  // The normal rectangle is the restored one, also while the window is
  // minimized or maximized.
  const RECT& normal = placement.rcNormalPosition;
  position->Top = normal.top;
  position->Left = normal.left;
  position->Height = RectHeight(&normal);
  position->Width = RectWidth(&normal);

  RECT bar;
  const int edge = TaskbarEdge(nullptr, &bar);
  if (edge < 0) return 0;
  APPBARDATA state = {};
  state.cbSize = kAppBarDataSize;
  if (AskAppBar(ABM_GETSTATE, &state) & ABS_AUTOHIDE) return 1;
  // The normal rectangle counts from the work area, which begins beside a
  // task bar at the left or top, while windows are created in screen
  // coordinates. The bar counts 2 pixels thinner than its rectangle, whose
  // outer edge lies off the screen.
  if (edge == 0) position->Left += RectWidth(&bar) - 2;
  if (edge == 1) position->Top += RectHeight(&bar) - 2;
  return 1;
}

int TaskbarEdge(HWND window, RECT* taskbarRect) {
  APPBARDATA data = {};
  data.cbSize = kAppBarDataSize;
  data.hWnd = window;
  if (!AskAppBar(ABM_GETTASKBARPOS, &data)) return -1;
  const RECT& bar = data.rc;
  int edge;
  if (RectHeight(&bar) > RectWidth(&bar)) {
    edge = bar.left >= 1 ? 2 : 0;
  } else {
    edge = bar.top >= 1 ? 3 : 1;
  }
  if (taskbarRect) *taskbarRect = bar;
  return edge;
}

void SetAppBarQueryForTest(AppBarQuery query) { appBarQuery = query; }
