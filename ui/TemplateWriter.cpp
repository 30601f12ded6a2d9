// Byte-exact writer for in-memory dialog templates.
#include "TemplateWriter.h"

#include <cstring>

namespace {

BYTE* PutWord(BYTE* p, WORD value) {
  std::memcpy(p, &value, sizeof value);
  return p + sizeof value;
}

BYTE* PutDword(BYTE* p, DWORD value) {
  std::memcpy(p, &value, sizeof value);
  return p + sizeof value;
}

BYTE* PutWide(BYTE* p, const char* text) {
  // The block may sit at any address the allocator gives; write through
  // memcpy rather than a WORD pointer so alignment never matters.
  const char* s = text ? text : "";
  do {
    p = PutWord(p, static_cast<WORD>(static_cast<unsigned char>(*s)));
  } while (*s++ != '\0');
  return p;
}

}  // namespace

void* LockTemplateBlock(SIZE_T bytes) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!handle) return nullptr;
  void* block = GlobalLock(handle);
  if (!block) GlobalFree(handle);
  return block;
}

void ReleaseTemplateBlock(void* block) {
  if (!block) return;
  HGLOBAL handle = GlobalHandle(block);
  GlobalUnlock(handle);
  GlobalFree(handle);
}

int CopyWide(WORD* dest, const char* text) {
  BYTE* start = reinterpret_cast<BYTE*>(dest);
  BYTE* end = PutWide(start, text);
  return static_cast<int>((end - start) / sizeof(WORD));
}

BYTE* AlignToDword(BYTE* position) {
  auto address = reinterpret_cast<ULONG_PTR>(position);
  return reinterpret_cast<BYTE*>((address + 3) & ~static_cast<ULONG_PTR>(3));
}

BYTE* BeginTemplate(void* block, DWORD style, DWORD exStyle, WORD itemCount,
                    short x, short y, short cx, short cy, const char* title) {
  BYTE* p = static_cast<BYTE*>(block);
  p = PutDword(p, style);
  p = PutDword(p, exStyle);
  p = PutWord(p, itemCount);
  p = PutWord(p, static_cast<WORD>(x));
  p = PutWord(p, static_cast<WORD>(y));
  p = PutWord(p, static_cast<WORD>(cx));
  p = PutWord(p, static_cast<WORD>(cy));
  p = PutWord(p, 0);  // no menu
  p = PutWord(p, 0);  // standard dialog class
  p = PutWide(p, title);
  p = PutWord(p, kTemplateFontSize);
  return PutWide(p, kTemplateFontFace);
}

BYTE* AddItem(BYTE* position, DWORD style, DWORD exStyle,
              short x, short y, short cx, short cy,
              WORD id, WORD classAtom, const char* text) {
  BYTE* p = AlignToDword(position);
  p = PutDword(p, style);
  p = PutDword(p, exStyle);
  p = PutWord(p, static_cast<WORD>(x));
  p = PutWord(p, static_cast<WORD>(y));
  p = PutWord(p, static_cast<WORD>(cx));
  p = PutWord(p, static_cast<WORD>(cy));
  p = PutWord(p, id);
  p = PutWord(p, 0xFFFF);  // class given by atom
  p = PutWord(p, classAtom);
  p = PutWide(p, text);
  return PutWord(p, 0);  // no creation data
}
