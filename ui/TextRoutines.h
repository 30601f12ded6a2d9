// Small text, rectangle and dialog-item routines that every part of the
// program uses.
#pragma once

#include <windows.h>

// Formats into at most 255 characters and sets the text of item `itemId`
// of `dialog`. Returns what SetDlgItemTextA returns (0 when the item is
// missing).
int SetItemTextF(HWND dialog, int itemId, const char* format, ...);

// Formats into at most 255 characters and sets the caption of `window`.
// Returns what SetWindowTextA returns.
int SetWindowTextF(HWND window, const char* format, ...);

// Enables (`enabled` non-zero) or disables item `itemId` of `dialog`.
// Returns 0 when the item does not exist, else 1.
int EnableItem(HWND dialog, int itemId, int enabled);

// Width (right - left) and height (bottom - top) of `rect`; 0 for no
// rectangle or an empty one.
int RectWidth(const RECT* rect);
int RectHeight(const RECT* rect);

// The first occurrence of `c` in `text`, or nullptr (also for no text).
const char* FindChar(const char* text, char c);
char* FindChar(char* text, char c);

// The last occurrence of `c` in `text`, or nullptr (also for no text).
const char* FindLastChar(const char* text, char c);
char* FindLastChar(char* text, char c);

// The first occurrence of `part` in `text`, or nullptr; an empty part
// matches at the start of the text.
const char* FindText(const char* text, const char* part);
char* FindText(char* text, const char* part);

// In place: with `replacement` 0, removes every `c` from `text`; otherwise
// replaces every `c` by `replacement`. Returns `text`.
char* RemoveChar(char* text, char c, char replacement);
