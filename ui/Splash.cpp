// The splash window and the bitmap helpers PicSize and DrawPicture.
#include "ui/Splash.h"

#include "context/AppContext.h"
#include "resource.h"
#include "ui/Messages.h"
#include "ui/TextRoutines.h"

namespace {

constexpr ATOM kSplashClassAtom = 500;

HWND splash = nullptr;
RECT pictureRect{};  // the picture's size, measured when the splash first opens
RECT clientRect{};   // the window's client area, where the picture goes

LPCSTR SplashClass() { return MAKEINTATOM(kSplashClassAtom); }

// The GDI objects that measuring and drawing take, released in reverse
// order whatever step fails.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A bitmap resource selected into a memory context compatible with another
// context, with its BITMAP record. Each step reports its own failure under
// the caller's operation name; ok() tells whether all went well.
class SelectedPicture {
 public:
  SelectedPicture(const char* operation, HDC reference, UINT bitmapId) {
    bitmap_ = LoadBitmapA(App().instance, MAKEINTRESOURCEA(bitmapId));
    if (!bitmap_) {
      ShowError(IDS_LOADBITMAP_FAILED, operation, bitmapId, static_cast<int>(GetLastError()));
      return;
    }
    memory_ = CreateCompatibleDC(reference);
    if (!memory_) {
      ShowError(IDS_COMPATIBLE_DC_FAILED, operation, static_cast<int>(GetLastError()));
      return;
    }
    old_ = SelectObject(memory_, bitmap_);
    if (!old_ || old_ == HGDI_ERROR) {
      old_ = nullptr;
      ShowError(IDS_SELECTOBJECT_FAILED, operation, bitmapId, static_cast<int>(GetLastError()));
      return;
    }
    SetMapMode(memory_, GetMapMode(reference));
    if (!GetObjectA(bitmap_, sizeof info_, &info_)) {
      ShowError(IDS_GETOBJECT_FAILED, operation, bitmapId, static_cast<int>(GetLastError()));
      return;
    }
    ok_ = true;
  }
  ~SelectedPicture() {
    if (old_) SelectObject(memory_, old_);
    if (memory_) DeleteDC(memory_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  SelectedPicture(const SelectedPicture&) = delete;
  SelectedPicture& operator=(const SelectedPicture&) = delete;

  bool ok() const { return ok_; }
  HDC dc() const { return memory_; }
  const BITMAP& info() const { return info_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC memory_ = nullptr;
  HGDIOBJ old_ = nullptr;
  BITMAP info_{};
  bool ok_ = false;
};

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  DrawPicture(dc, IDB_ABOUT, &clientRect);
  EndPaint(window, &paint);
}

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      GetClientRect(window, &clientRect);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_CLOSE:
      CloseSplash();
      return 0;
    case WM_NCDESTROY:
      // However the window ends, the handle is gone with it.
      if (window == splash) splash = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int RegisterSplashClass() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = SplashProc;
  wc.hInstance = App().instance;
  wc.hIcon = LoadIconA(App().instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  // Given, not left to the system: it would make the small icon from the
  // large one, which costs the start a millisecond and a half.
  wc.hIconSm = static_cast<HICON>(
      LoadImageA(App().instance, MAKEINTRESOURCEA(IDI_PROGRAM_SMALL), IMAGE_ICON, 16, 16, LR_SHARED));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = SplashClass();
  if (!RegisterClassExA(&wc)) {
    return ShowError(IDS_CLASS_REGISTER_FAILED, "SplashBox", static_cast<int>(GetLastError()));
  }
  return 1;
}

void ShowSplash() {
  SetStatusText(IDS_HINT_ABOUT);
  if (splash) {
    ShowWindow(splash, SW_SHOWNORMAL);
    SetFocus(splash);
    return;
  }
  // Measured here, not at start: loading the picture costs the start of
  // the program more than any other single step of it.
  if (IsRectEmpty(&pictureRect) && !PicSize(IDB_ABOUT, &pictureRect)) return;
  RECT& desktop = App().desktopRect;
  if (IsRectEmpty(&desktop)) TakeDesktopRect();
  const int width = RectWidth(&pictureRect);
  const int height = RectHeight(&pictureRect);
  splash = CreateWindowExA(WS_EX_TOPMOST, SplashClass(), "Splash", WS_POPUP | WS_VISIBLE,
                           (RectWidth(&desktop) - width) / 2, (RectHeight(&desktop) - height) / 2, width, height, nullptr,
                           nullptr, App().instance, nullptr);
  if (!splash) {
    ShowError(IDS_WINDOW_OPEN_FAILED, "Splash", static_cast<int>(GetLastError()));
    return;
  }
  // Every box closes the splash before it opens.
  CloseBeforeBoxes(CloseSplash);
  SendMessageA(splash, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
  ShowWindow(splash, SW_SHOWNORMAL);
  UpdateWindow(splash);
}

int CloseSplash() {
  if (splash) {
    HWND window = splash;
    splash = nullptr;
    DestroyWindow(window);
  }
  return 1;
}

int PicSize(UINT bitmapId, RECT* rect) {
  ScreenDc screen;
  if (!screen.get()) return ShowError(IDS_GETDC_FAILED, "PicSize", static_cast<int>(GetLastError()));
  SelectedPicture picture("PicSize", screen.get(), bitmapId);
  if (!picture.ok()) return 0;
  SetRect(rect, 0, 0, picture.info().bmWidth, picture.info().bmHeight);
  return 1;
}

int DrawPicture(HDC dc, UINT bitmapId, const RECT* rect) {
  SelectedPicture picture("DrawPicture", dc, bitmapId);
  if (!picture.ok()) return 0;
  // The bitmap's size in the target's logical units, its origin in the
  // memory context's: both contexts may use a mapping mode other than pixels.
  POINT size{picture.info().bmWidth, picture.info().bmHeight};
  DPtoLP(dc, &size, 1);
  POINT origin{0, 0};
  DPtoLP(picture.dc(), &origin, 1);
  BitBlt(dc, rect->left, rect->top, size.x, size.y, picture.dc(), origin.x, origin.y, SRCCOPY);
  return 1;
}
