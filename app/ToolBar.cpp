// The buttons of the main window's tool bar.
#include "app/ToolBar.h"

#include <commctrl.h>

#include "context/AppContext.h"

void EnableToolButton(UINT commandId, int enabled) {
  HWND bar = App().toolBar;
  if (!bar) return;
  SendMessageA(bar, TB_HIDEBUTTON, commandId, MAKELPARAM(FALSE, 0));
  SendMessageA(bar, TB_SETSTATE, commandId, MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

void CheckToolButton(UINT commandId, int on) {
  if (App().toolBar) SendMessageA(App().toolBar, TB_CHECKBUTTON, commandId, MAKELPARAM(on ? TRUE : FALSE, 0));
}
