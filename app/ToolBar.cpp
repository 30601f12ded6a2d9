// The buttons of the main window's tool bar.
#include "app/ToolBar.h"

#include <commctrl.h>

#include "app/WideCalls.h"
#include "context/AppContext.h"

namespace {

// The tool bar class's procedure, as it is called in 8-bit [0] and 16-bit
// [1] characters. A bar whose procedure was replaced through the 16-bit
// functions takes 16-bit messages, and its own procedure is called so.
WNDPROC toolBarPaint[2] = {};

LRESULT CallToolBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsWindowUnicode(bar) ? CallWindowProcW(toolBarPaint[1], bar, message, wParam, lParam)
                              : CallWindowProcA(toolBarPaint[0], bar, message, wParam, lParam);
}

// A 32-bit picture of `width` by `height`, top row first; null if there is
// no memory for it.
HBITMAP CreatePicture(HDC screen, LONG width, LONG height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

LRESULT CALLBACK ToolBarInMemoryProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT || wParam != 0) return CallToolBar(bar, message, wParam, lParam);
  RECT client;
  GetClientRect(bar, &client);
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(bar, &paint);
  HBITMAP picture = CreatePicture(screen, client.right, client.bottom);
  HDC memory = picture ? CreateCompatibleDC(screen) : nullptr;
  if (!memory) {
    // Painted directly, as the bar paints itself.
    if (picture) DeleteObject(picture);
    EndPaint(bar, &paint);
    RedrawWindow(bar, &paint.rcPaint, nullptr, RDW_INVALIDATE | RDW_NOERASE);
    return CallToolBar(bar, WM_PAINT, 0, lParam);
  }
  HGDIOBJ previous = SelectObject(memory, picture);
  // The buttons are drawn over the background the bar has just erased.
  const RECT& part = paint.rcPaint;
  const LONG width = part.right - part.left;
  const LONG height = part.bottom - part.top;
  BitBlt(memory, part.left, part.top, width, height, screen, part.left, part.top, SRCCOPY);
  IntersectClipRect(memory, part.left, part.top, part.right, part.bottom);
  CallToolBar(bar, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
  BitBlt(screen, part.left, part.top, width, height, memory, part.left, part.top, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(picture);
  EndPaint(bar, &paint);
  return 0;
}

}  // namespace

void PaintToolBarInMemory(HWND bar) {
  // Every tool bar has the same procedure of its class, kept once. It is
  // replaced in the width of characters it takes, so that its messages are
  // not translated on the way.
  if (!bar) return;
  const bool unicode = TakesWideMessages(bar);
  const auto own = reinterpret_cast<LONG_PTR>(ToolBarInMemoryProc);
  if ((unicode ? GetWindowLongPtrW(bar, GWLP_WNDPROC) : GetWindowLongPtrA(bar, GWLP_WNDPROC)) == own) return;
  const auto previous = reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(bar, GWLP_WNDPROC, own)
                                                          : SetWindowLongPtrA(bar, GWLP_WNDPROC, own));
  if (!toolBarPaint[unicode]) toolBarPaint[unicode] = previous;
}

void EnableToolButton(UINT commandId, int enabled) {
  HWND bar = App().toolBar;
  if (!bar) return;
  SendMessageA(bar, TB_HIDEBUTTON, commandId, MAKELPARAM(FALSE, 0));
  SendMessageA(bar, TB_SETSTATE, commandId, MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

void CheckToolButton(UINT commandId, int on) {
  if (App().toolBar) SendMessageA(App().toolBar, TB_CHECKBUTTON, commandId, MAKELPARAM(on ? TRUE : FALSE, 0));
}
