// Keys and passwords leave no copy of their text behind: the buffers that
// held them and the edit fields they were typed into are overwritten as
// soon as their hash has been taken.
#pragma once

#include <windows.h>

#include <cstddef>

// Overwrites `bytes` bytes at `text` in a way the compiler may not drop.
void WipeText(char* text, std::size_t bytes);
template <std::size_t N>
void WipeText(char (&text)[N]) {
  WipeText(text, N);
}

// Empties the edit field `id` of `dialog`, overwriting the text it held
// and dropping its undo buffer. Does nothing when the field is missing.
void WipeEdit(HWND dialog, int id);

// Reads at most 255 characters of the edit field `id` into `text` (256
// bytes), then empties the field as WipeEdit does.
void TakeEditText(HWND dialog, int id, char (&text)[256]);
