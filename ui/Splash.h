// The splash window: the program's picture (bitmap 1000) in a borderless,
// topmost window centred on the desktop, closed by a key or a click and
// before any box or dialog of the program; and the two bitmap helpers that
// measure and draw a bitmap resource.
#pragma once

#include <windows.h>

// Registers the splash window class under the integer atom 500. Returns 1,
// or 0 after an error box (60003 with "SplashBox").
int RegisterSplashClass();

// Opens the splash window, or brings it forward when it is open; the first
// time, bitmap 1000 is measured with PicSize (a failure is reported by it,
// and no splash opens). A window that cannot be created is reported (60004
// with "Splash").
void ShowSplash();

// Closes the splash window if it is open. Returns 1.
int CloseSplash();

// The rectangle (0, 0, width, height) of the bitmap resource `bitmapId` of
// the program. Returns 1, or 0 after an error box ("PicSize(...)").
int PicSize(UINT bitmapId, RECT* rect);

// Draws the bitmap resource `bitmapId` at its own size at the top-left
// corner of `rect` in `dc`. Returns 1, or 0 after an error box
// ("DrawPicture(...)").
int DrawPicture(HDC dc, UINT bitmapId, const RECT* rect);
