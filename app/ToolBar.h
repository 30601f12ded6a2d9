// The buttons of the main window's tool bar, as the command states set them,
// and how the bar is painted.
#pragma once

#include <windows.h>

// Shows the tool-bar button of `commandId` and makes it react (enabled) or
// draws it greyed (not enabled); either state replaces a pressed one.
void EnableToolButton(UINT commandId, int enabled);
// Draws the tool-bar button of `commandId` pressed while `on`.
void CheckToolButton(UINT commandId, int on);
// Lets the tool bar paint into a picture in memory that is then shown in one
// step. The bar looks the same; each greyed button and image it draws then
// needs no scratch bitmap of the display, which under Wine costs about 80 us.
void PaintToolBarInMemory(HWND bar);
