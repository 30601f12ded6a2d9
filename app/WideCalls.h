// The few calls in 16-bit characters that the program makes. Windows 95, 98
// and Me export them only as stubs that fail with ERROR_CALL_NOT_IMPLEMENTED,
// and every window there takes 8-bit messages: each caller has an 8-bit
// route that gives the same result.
#pragma once

#include <windows.h>

// LCMapStringW; 0 with ERROR_CALL_NOT_IMPLEMENTED where the system has only
// the stub.
int MapStringWide(LCID locale, DWORD flags, const wchar_t* source, int sourceSize, wchar_t* target,
                  int targetSize);

// True when `window`'s procedure takes messages in 16-bit characters
// (IsWindowUnicode), so that a procedure put in front of it is set and
// called through the 16-bit functions. Never on Windows 95, 98 and Me.
bool TakesWideMessages(HWND window);

// Test seam: makes both calls answer as on Windows 95, 98 and Me.
void ActAsWithoutWideCallsForTest(bool on);
