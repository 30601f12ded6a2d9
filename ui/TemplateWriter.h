// Dialog templates written into memory: the standard (non-extended)
// DLGTEMPLATE header followed by DLGITEMTEMPLATE items.
#pragma once

#include <windows.h>

// Class atoms of the two control classes the program's templates use.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;

// Every in-memory template uses this font.
constexpr WORD kTemplateFontSize = 8;
constexpr char kTemplateFontFace[] = "MS Sans Serif";

// Allocates a zero-filled movable block of `bytes` and locks it. Returns the
// locked address, or nullptr when the block cannot be had (nothing is
// reported: the owner of the template decides how to report it).
void* LockTemplateBlock(SIZE_T bytes);

// Unlocks and frees a block from LockTemplateBlock; nullptr is ignored.
void ReleaseTemplateBlock(void* block);

// Writes `text` widened to 16-bit characters, terminator included, at `dest`.
// Returns the number of 16-bit characters written, terminator included.
int CopyWide(WORD* dest, const char* text);

// `position` moved up to the next multiple of 4 (unchanged when it is one).
BYTE* AlignToDword(BYTE* position);

// Writes the header (menu 0, class 0, the title, 8 point "MS Sans Serif")
// from the start of `block`. `style` must include DS_SETFONT. Returns the
// write position after the font face.
BYTE* BeginTemplate(void* block, DWORD style, DWORD exStyle, WORD itemCount,
                    short x, short y, short cx, short cy, const char* title);

// Aligns `position`, writes one item and returns the position after its
// creation-data word. `id` 0xFFFF marks an item nobody addresses.
BYTE* AddItem(BYTE* position, DWORD style, DWORD exStyle,
              short x, short y, short cx, short cy,
              WORD id, WORD classAtom, const char* text);
