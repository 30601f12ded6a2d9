// A window's place as the settings keep it.
#pragma once

#include <windows.h>

// The remembered place of a window, in screen pixels.
struct WindowPosition {
  LONG Top;
  LONG Left;
  LONG Height;
  LONG Width;
  LONG Show;  // kept and written back; nothing consults it
};
