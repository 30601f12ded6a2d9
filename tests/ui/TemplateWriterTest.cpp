// The template writer read back byte by byte with a small walker, and one
// template run for real by the dialog manager.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "tests/support/DialogDriver.h"
#include "ui/TemplateWriter.h"

namespace {

// Reads a template the way the dialog manager does.
class TemplateWalker {
 public:
  explicit TemplateWalker(const void* block) : base_(static_cast<const BYTE*>(block)), p_(base_) {}

  WORD Word() {
    WORD w;
    std::memcpy(&w, p_, 2);
    p_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d;
    std::memcpy(&d, p_, 4);
    p_ += 4;
    return d;
  }
  std::string Wide() {
    std::string s;
    for (WORD c = Word(); c != 0; c = Word()) s += static_cast<char>(c);
    return s;
  }
  // Moves to the next multiple of 4 and returns the skipped bytes.
  std::vector<BYTE> Align() {
    std::vector<BYTE> skipped;
    while ((p_ - base_) % 4 != 0) skipped.push_back(*p_++);
    return skipped;
  }
  size_t Offset() const { return static_cast<size_t>(p_ - base_); }

 private:
  const BYTE* base_;
  const BYTE* p_;
};

struct Item {
  DWORD style;
  short x, y, cx, cy;
  WORD id;
  WORD atom;
  const char* text;
};

constexpr DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;

// Texts of odd and even length and an empty one, so that every alignment
// case occurs between items.
const Item kItems[] = {
    {WS_CHILD | WS_VISIBLE | SS_ICON, 8, 9, 18, 20, 100, kStaticAtom, "#1000"},
    {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 37, 8, 185, 56, 101, kStaticAtom, " "},
    {WS_CHILD | WS_VISIBLE | SS_RIGHT, 17, 40, 35, 8, 0xFFFF, kStaticAtom, "Location:"},
    {WS_CHILD | WS_VISIBLE | SS_LEFT, 60, 40, 150, 16, 103, kStaticAtom, ""},
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 70, 36, 14, IDOK, kButtonAtom, "OK"},
};
constexpr WORD kItemCount = sizeof kItems / sizeof kItems[0];

void* WriteSample(const char* title) {
  void* block = LockTemplateBlock(2048);
  BYTE* p = BeginTemplate(block, kDialogStyle, 0, kItemCount, 90, 70, 230, 90, title);
  for (const Item& item : kItems) {
    p = AddItem(p, item.style, 0, item.x, item.y, item.cx, item.cy, item.id, item.atom, item.text);
  }
  return block;
}

TEST(TemplateWriter, WritesHeaderAndAlignedItemsWithZeroPadding) {
  // An odd-length title puts the font face, and so the first item, off a
  // multiple of 4.
  void* block = WriteSample("DialogTmp");
  ASSERT_NE(block, nullptr);
  TemplateWalker walk(block);

  EXPECT_EQ(walk.Dword(), kDialogStyle);
  EXPECT_EQ(walk.Dword(), 0u);
  EXPECT_EQ(walk.Word(), kItemCount);
  EXPECT_EQ(walk.Word(), 90);
  EXPECT_EQ(walk.Word(), 70);
  EXPECT_EQ(walk.Word(), 230);
  EXPECT_EQ(walk.Word(), 90);
  EXPECT_EQ(walk.Word(), 0) << "menu";
  EXPECT_EQ(walk.Word(), 0) << "class";
  EXPECT_EQ(walk.Wide(), "DialogTmp");
  EXPECT_EQ(walk.Word(), 8) << "font size";
  EXPECT_EQ(walk.Wide(), "MS Sans Serif");

  for (const Item& item : kItems) {
    SCOPED_TRACE(item.text);
    for (BYTE b : walk.Align()) EXPECT_EQ(b, 0) << "padding must be zero";
    EXPECT_EQ(walk.Dword(), item.style);
    EXPECT_EQ(walk.Dword(), 0u);
    EXPECT_EQ(static_cast<short>(walk.Word()), item.x);
    EXPECT_EQ(static_cast<short>(walk.Word()), item.y);
    EXPECT_EQ(static_cast<short>(walk.Word()), item.cx);
    EXPECT_EQ(static_cast<short>(walk.Word()), item.cy);
    EXPECT_EQ(walk.Word(), item.id);
    EXPECT_EQ(walk.Word(), 0xFFFF);
    EXPECT_EQ(walk.Word(), item.atom);
    EXPECT_EQ(walk.Wide(), item.text);
    EXPECT_EQ(walk.Word(), 0) << "creation data";
  }

  // Nothing is written past the last item.
  const BYTE* bytes = static_cast<const BYTE*>(block);
  for (size_t i = walk.Offset(); i < 2048; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  ReleaseTemplateBlock(block);
}

TEST(TemplateWriter, CopyWideAndAlignToDword) {
  WORD out[8];
  std::memset(out, 0xAB, sizeof out);
  EXPECT_EQ(CopyWide(out, "OK"), 3);
  EXPECT_EQ(out[0], 'O');
  EXPECT_EQ(out[1], 'K');
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[3], 0xABAB) << "writes nothing past the terminator";
  EXPECT_EQ(CopyWide(out, ""), 1) << "an empty text is a lone terminator";
  EXPECT_EQ(out[0], 0);

  // Characters above 127 widen as unsigned values, not sign-extended.
  EXPECT_EQ(CopyWide(out, "\xE9"), 2);
  EXPECT_EQ(out[0], 0xE9);

  alignas(4) BYTE buffer[16];
  for (int offset = 0; offset < 8; ++offset) {
    BYTE* aligned = AlignToDword(buffer + offset);
    EXPECT_EQ((aligned - buffer) % 4, 0);
    EXPECT_GE(aligned, buffer + offset);
    EXPECT_LT(aligned, buffer + offset + 4);
  }
}

INT_PTR CALLBACK CloseOnOk(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

TEST(TemplateWriter, DialogManagerBuildsTheTemplate) {
  void* block = WriteSample("Written in memory");
  struct Seen {
    std::string title, location;
    bool hasIcon = false;
    int childCount = 0;
    LONG textStyle = 0;
  } seen;

  DialogScript script;
  script.Expect("Written in memory", [&](HWND dialog) {
    seen.title = WindowText(dialog);
    seen.location = ItemText(dialog, 0xFFFF);
    seen.hasIcon = ItemIcon(dialog, 100) != nullptr;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++seen.childCount;
    seen.textStyle = GetWindowLongA(GetDlgItem(dialog, 101), GWL_STYLE);
    PressButton(dialog, IDOK);
  });
  INT_PTR result = script.Run([&] {
    return DialogBoxIndirectParamA(App().instance, static_cast<LPCDLGTEMPLATEA>(block), nullptr, CloseOnOk, 0);
  });
  ReleaseTemplateBlock(block);

  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(seen.childCount, kItemCount);
  EXPECT_EQ(seen.location, "Location:");
  EXPECT_TRUE(seen.hasIcon) << "\"#1000\" names the program's icon resource 1000";
  EXPECT_TRUE(seen.textStyle & SS_NOPREFIX);
}

}  // namespace
