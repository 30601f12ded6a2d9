// The calls in 16-bit characters, and what they answer on systems that have
// only their stubs.
#include "app/WideCalls.h"

namespace {

bool actAsWithoutWideCalls = false;

}  // namespace

int MapStringWide(LCID locale, DWORD flags, const wchar_t* source, int sourceSize, wchar_t* target,
                  int targetSize) {
  if (actAsWithoutWideCalls) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
  }
  return LCMapStringW(locale, flags, source, sourceSize, target, targetSize);
}

bool TakesWideMessages(HWND window) { return !actAsWithoutWideCalls && IsWindowUnicode(window) != FALSE; }

void ActAsWithoutWideCallsForTest(bool on) { actAsWithoutWideCalls = on; }
