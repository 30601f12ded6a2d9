// The question before the program ends: a small dialog built in memory,
// with a box that turns further questions off.
#pragma once

#include <windows.h>

// Asks, owned by `owner`, whether the program is to end. `confirm` is the
// "Confirm" option: when it is given and 0, nothing is asked and the answer
// is 1. When given, the dialog offers "Always Confirm ... Exits" ticked as
// the flag stands, and Yes stores the box's state in it; without it the box
// is hidden. Returns 1 for Yes (also when the dialog cannot be created), 0
// for No, Esc and the close box, and 0 when no template could be had (the
// program then keeps running).
int ConfirmExit(HWND owner, LONG* confirm);

// Builds the exit question's template in a block of 4098 bytes. Returns the
// locked block (to be released with ReleaseTemplateBlock), or nullptr after
// the out-of-memory box.
void* BuildExitTemplate();
