// The buttons of the main window's tool bar, as the command states set them.
#pragma once

#include <windows.h>

// Shows the tool-bar button of `commandId` and makes it react (enabled) or
// draws it greyed (not enabled); either state replaces a pressed one.
void EnableToolButton(UINT commandId, int enabled);
// Draws the tool-bar button of `commandId` pressed while `on`.
void CheckToolButton(UINT commandId, int on);
