// The one reporting mechanism: error, message and question boxes built in
// memory, texts named by message ids, and the status line.
//
// Ids 60000 to 60114 name the built-in message table; every other id is a
// string-table resource of the program module. Every operation that shows
// a box returns 0 (the question boxes: 1 for Yes), so a failing operation
// can end with `return ShowError(...)`.
#pragma once

#include <windows.h>

constexpr int kMessageTextSize = 1024;  // composed box text: 1023 characters
constexpr int kStatusTextSize = 256;    // composed status text: 255 characters
constexpr int kStringSize = 256;        // one loaded text: 255 characters

// Puts the text of `id` into `buffer` (256 bytes). Returns its length, or 0
// after showing an error box naming the id when the text cannot be loaded.
int GetString(char (&buffer)[kStringSize], UINT id);

// Message box (icon 5300, OK) with the caption of `captionId` and the text of
// `messageId` completed with the arguments. `owner` may be none. Returns 0.
int ShowMessage(HWND owner, UINT captionId, UINT messageId, ...);
int ShowMessageText(HWND owner, const char* caption, const char* format, ...);

// Error box (icon 5500, caption "Error", OK), owned by the main window when
// it exists. The first "): " of the text becomes a line break. Returns 0.
int ShowError(UINT messageId, ...);
int ShowErrorText(const char* format, ...);

// Question box (icon 5400, Yes and No). Returns 1 for Yes; No, Esc and the
// close box give 0.
int AskYesNo(HWND owner, int yesIsDefault, UINT captionId, UINT messageId, ...);
int AskYesNoText(HWND owner, int yesIsDefault, const char* caption, const char* format, ...);

// Sets the status line of the main window and repaints the window at once;
// dropped while the status bar is missing or hidden. While status texts are
// paced, the text waits for the next picture instead (a later text replaces
// it).
void SetStatusText(UINT messageId, ...);

// While a long operation holds the message loop (a conversion run) and
// changes the window many times a second, the window need not be repainted
// for each change: nobody sees a picture that lasts a few milliseconds.
// While `on`, status texts wait for the operation's own pictures, each of
// which calls ShowWaitingStatusText; turning pacing off shows the last one.
// Before a box opens, `catchUp` (when given) brings the window up to date:
// a box stays long enough for what stands behind it to be seen.
using RepaintCatchUp = void (*)();
void PaceStatusTexts(bool on, RepaintCatchUp catchUp = nullptr);

// Shows the status text that waits for a picture, if any.
void ShowWaitingStatusText();

// A window that no box may stand under (the splash) gives here what closes
// it; it runs before every box opens. Null: none.
using WindowCloser = int (*)();
void CloseBeforeBoxes(WindowCloser close);

// While a window's drawing is held back (a list taking a large drop),
// `catchUp` shows it before any box opens, so that no box stands over a
// blank area. Returns the one it replaces, to be put back afterwards.
RepaintCatchUp CatchUpBeforeBoxes(RepaintCatchUp catchUp);

// The asterisk alert. Returns 0.
int AlertBeep();

// Centres `window` on the desktop. Returns 1.
int CentreDialog(HWND window);

// Every in-memory dialog other than the boxes above gets a block this big.
constexpr SIZE_T kDialogTemplateSize = 4098;

// Allocates and locks a zero-filled block of kDialogTemplateSize bytes for a
// dialog template. Returns it, or nullptr after an error box (60008, "Dialog
// Template", 4098). The caller releases it with ReleaseTemplateBlock.
void* LockDialogTemplate();

// ---- Test seams ------------------------------------------------------------

// How many times AlertBeep has sounded in this process (read by tests, which
// have no other way to hear whether a box was announced).
int AlertBeepCount();

// Test only: the next `count` template blocks that this module asks for fail
// as if memory were exhausted.
void FailTemplateBlocksForTest(int count);
