// The yardstick of the start-up benchmark: the least a Win32 program does to
// show a window: one class, one empty window, one message loop.
#include <windows.h>

namespace {

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MinimalProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "OrvaneBenchMinimal";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowA("OrvaneBenchMinimal", "Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 500,
                              335, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
