// The small text, rectangle and dialog-item routines: searches from either
// end, removal and replacement in place, rectangle sizes, and formatted
// texts and enabling on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "context/AppContext.h"
#include "tests/support/DialogDriver.h"
#include "ui/TextRoutines.h"

namespace {

TEST(TextRoutines, FindCharFromEitherEnd) {
  struct Case {
    const char* text;
    char c;
    int first;  // offset, -1 for none
    int last;
  };
  const Case cases[] = {
      {"a.b.c", '.', 1, 3}, {"a.b.c", 'a', 0, 0}, {"a.b.c", 'c', 4, 4},
      {"a.b.c", 'x', -1, -1}, {"", 'x', -1, -1}, {"\"C:\\a b\"", '"', 0, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const char* first = FindChar(c.text, c.c);
    const char* last = FindLastChar(c.text, c.c);
    EXPECT_EQ(first ? first - c.text : -1, c.first);
    EXPECT_EQ(last ? last - c.text : -1, c.last);
  }
  EXPECT_EQ(FindChar(static_cast<const char*>(nullptr), 'a'), nullptr);
  EXPECT_EQ(FindLastChar(static_cast<const char*>(nullptr), 'a'), nullptr);
  // The terminator is not a character of the text.
  EXPECT_EQ(FindChar("abc", '\0'), nullptr);
  EXPECT_EQ(FindLastChar("abc", '\0'), nullptr);
  // A writable text gives a writable place.
  char path[] = "C:\\dir\\name.txt";
  *FindLastChar(path, '\\') = '\0';
  EXPECT_STREQ(path, "C:\\dir");
}

TEST(TextRoutines, FindTextFindsTheFirstOccurrence) {
  struct Case {
    const char* text;
    const char* part;
    int at;  // -1 for none
  };
  const Case cases[] = {
      {"abcabc", "bc", 1}, {"abcabc", "abc", 0}, {"abcabc", "cab", 2}, {"abcabc", "abcd", -1},
      {"abc", "", 0},      {"", "", 0},          {"", "a", -1},        {"ab", "abc", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.part);
    const char* found = FindText(c.text, c.part);
    EXPECT_EQ(found ? found - c.text : -1, c.at);
  }
  EXPECT_EQ(FindText(static_cast<const char*>(nullptr), "a"), nullptr);
}

TEST(TextRoutines, RemoveCharRemovesOrReplacesEveryOccurrence) {
  struct Case {
    const char* text;
    char c;
    char replacement;
    const char* result;
  };
  const Case cases[] = {
      {"\"C:\\My Files\\a.txt\"", '"', 0, "C:\\My Files\\a.txt"},
      {"\"\"\"", '"', 0, ""},
      {"abc", 'x', 0, "abc"},
      {"", '"', 0, ""},
      {"a b c", ' ', '_', "a_b_c"},
      {"  ", ' ', '.', ".."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char buffer[64];
    lstrcpyA(buffer, c.text);
    EXPECT_EQ(RemoveChar(buffer, c.c, c.replacement), buffer);
    EXPECT_STREQ(buffer, c.result);
  }
  EXPECT_EQ(RemoveChar(nullptr, 'a', 0), nullptr);
}

TEST(TextRoutines, RectangleSizes) {
  struct Case {
    RECT rect;
    int width;
    int height;
  };
  const Case cases[] = {
      {{0, 0, 400, 250}, 400, 250},
      {{-10, 5, 10, 25}, 20, 20},
      {{0, 0, 0, 10}, 0, 0},   // empty: no width, so no height either
      {{5, 5, 1, 9}, 0, 0},    // right of left: empty
      {{0, 0, 0, 0}, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RectWidth(&c.rect), c.width) << c.rect.left << "," << c.rect.right;
    EXPECT_EQ(RectHeight(&c.rect), c.height) << c.rect.top << "," << c.rect.bottom;
  }
  EXPECT_EQ(RectWidth(nullptr), 0);
  EXPECT_EQ(RectHeight(nullptr), 0);
}

class WindowTexts : public testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              App().instance, nullptr);
    IgnoreWindow(window_);
    item_ = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, window_,
                            reinterpret_cast<HMENU>(kItemId), App().instance, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }

  static constexpr int kItemId = 104;
  HWND window_ = nullptr;
  HWND item_ = nullptr;
};

TEST_F(WindowTexts, FormattedTextsAreCutAt255Characters) {
  EXPECT_EQ(SetItemTextF(window_, kItemId, "To include or remove %s on the Start Menu", "Orvane"), 1);
  EXPECT_EQ(ItemText(window_, kItemId), "To include or remove Orvane on the Start Menu");
  EXPECT_EQ(SetWindowTextF(window_, " Exit %s", "Orvane"), 1);
  EXPECT_EQ(WindowText(window_), " Exit Orvane");

  const std::string longName(300, 'n');
  SetItemTextF(window_, kItemId, "%s!", longName.c_str());
  EXPECT_EQ(ItemText(window_, kItemId), std::string(255, 'n'));
  SetWindowTextF(window_, "%s!", longName.c_str());
  EXPECT_EQ(WindowText(window_), std::string(255, 'n'));

  EXPECT_EQ(SetItemTextF(window_, kItemId + 1, "%d", 7), 0);  // no such item
}

TEST_F(WindowTexts, EnableItemSwitchesAnExistingItem) {
  EXPECT_EQ(EnableItem(window_, kItemId, 0), 1);
  EXPECT_FALSE(IsWindowEnabled(item_));
  EXPECT_EQ(EnableItem(window_, kItemId, 5), 1);
  EXPECT_TRUE(IsWindowEnabled(item_));
  EXPECT_EQ(EnableItem(window_, kItemId + 1, 1), 0);
}

}  // namespace
