// The index beside a conversion list: the compare keys of its entries'
// paths, so that asking whether a path is listed costs the same for the
// ten-thousandth entry as for the first. The index sits between the list
// control and its callers and follows every insertion, deletion and text
// change the list receives, whoever sends it.
#pragma once

#include <windows.h>

// True when `list` holds an entry whose text equals `text` without regard to
// case, exactly as LVM_FINDITEMA with LVFI_STRING would find it. The first
// call for a list builds its index from the entries; the index goes with the
// list window. Without memory for an index the list's own search answers.
bool ListHoldsText(HWND list, const char* text);
