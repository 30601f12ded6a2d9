// Small text, rectangle and dialog-item routines.
#include "ui/TextRoutines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kItemTextSize = 256;  // 255 characters

template <size_t N>
void Format(char (&out)[N], const char* format, va_list args) {
  if (std::vsnprintf(out, N, format ? format : "", args) < 0) out[0] = '\0';
}

}  // namespace

int SetItemTextF(HWND dialog, int itemId, const char* format, ...) {
  char text[kItemTextSize];
  va_list args;
  va_start(args, format);
  Format(text, format, args);
  va_end(args);
  return SetDlgItemTextA(dialog, itemId, text) ? 1 : 0;
}

int SetWindowTextF(HWND window, const char* format, ...) {
  char text[kItemTextSize];
  va_list args;
  va_start(args, format);
  Format(text, format, args);
  va_end(args);
  return SetWindowTextA(window, text) ? 1 : 0;
}

int EnableItem(HWND dialog, int itemId, int enabled) {
  HWND item = GetDlgItem(dialog, itemId);
  if (!item) return 0;
  EnableWindow(item, enabled ? TRUE : FALSE);
  return 1;
}

int RectWidth(const RECT* rect) { return !rect || IsRectEmpty(rect) ? 0 : rect->right - rect->left; }

int RectHeight(const RECT* rect) { return !rect || IsRectEmpty(rect) ? 0 : rect->bottom - rect->top; }

const char* FindChar(const char* text, char c) {
  if (!text) return nullptr;
  for (; *text; ++text) {
    if (*text == c) return text;
  }
  return nullptr;
}

char* FindChar(char* text, char c) { return const_cast<char*>(FindChar(static_cast<const char*>(text), c)); }

const char* FindLastChar(const char* text, char c) {
  if (!text) return nullptr;
  for (const char* p = text + std::strlen(text); p != text;) {
    if (*--p == c) return p;
  }
  return nullptr;
}

char* FindLastChar(char* text, char c) {
  return const_cast<char*>(FindLastChar(static_cast<const char*>(text), c));
}

const char* FindText(const char* text, const char* part) {
  if (!text || !part) return nullptr;
  return std::strstr(text, part);
}

char* FindText(char* text, const char* part) {
  return const_cast<char*>(FindText(static_cast<const char*>(text), part));
}

char* RemoveChar(char* text, char c, char replacement) {
  if (!text) return text;
  char* out = text;
  for (const char* in = text; *in; ++in) {
    if (*in != c) {
      *out++ = *in;
    } else if (replacement) {
      *out++ = replacement;
    }
  }
  *out = '\0';
  return text;
}
