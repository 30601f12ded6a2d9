// The exit question driven for real: its texts, every way of answering it,
// and what each answer does to the "Confirm" option.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resource.h"
#include "tests/support/DialogDriver.h"
#include "ui/ExitConfirmation.h"
#include "ui/Messages.h"

namespace {

constexpr char kTitle[] = " Exit Orvane for Windows 95/NT";

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

TEST(ExitConfirmation, ConfirmOffEndsWithoutAsking) {
  LONG confirm = 0;
  DialogScript script;  // no dialog may open
  EXPECT_EQ(script.Run([&] { return ConfirmExit(nullptr, &confirm); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(confirm, 0);
}

TEST(ExitConfirmation, ShowsTheProgramsNamesAboveTopmostWindows) {
  LONG confirm = 1;
  DialogScript script;
  script.Expect(kTitle, [](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_EXIT_TEXT),
              "You are about to exit Orvane for Windows 95/NT.\rAre you sure you want to quit Orvane at this time?");
    EXPECT_EQ(ItemText(dialog, IDC_EXIT_ALWAYS_CONFIRM), "&Always Confirm Orvane Exits");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_EXIT_ALWAYS_CONFIRM)));
    EXPECT_TRUE(IsChecked(dialog, IDC_EXIT_ALWAYS_CONFIRM));
    EXPECT_EQ(ItemText(dialog, IDOK), "&Yes");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "&No");
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
    EXPECT_NE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(script.Run([&] { return ConfirmExit(nullptr, &confirm); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(confirm, 1);
}

TEST(ExitConfirmation, AnswersAndTheAlwaysConfirmBox) {
  using Answer = std::function<void(HWND)>;
  struct Case {
    const char* name;
    bool untick;
    Answer answer;
    int result;
    LONG confirm;  // afterwards
  } cases[] = {
      {"Yes, box ticked", false, [](HWND d) { PressButton(d, IDOK); }, 1, 1},
      {"Yes, box cleared", true, [](HWND d) { PressButton(d, IDOK); }, 1, 0},
      {"No, box cleared", true, [](HWND d) { PressButton(d, IDCANCEL); }, 0, 1},
      {"Esc, box cleared", true, [](HWND d) { PressEscape(d); }, 0, 1},
      {"close box, box cleared", true, [](HWND d) { PressCloseBox(d); }, 0, 1},
  };
  for (const Case& c : cases) {
    LONG confirm = 1;
    DialogScript script;
    script.Expect(kTitle, [&c](HWND dialog) {
      if (c.untick) SendDlgItemMessageA(dialog, IDC_EXIT_ALWAYS_CONFIRM, BM_CLICK, 0, 0);
      EXPECT_EQ(IsChecked(dialog, IDC_EXIT_ALWAYS_CONFIRM), !c.untick) << c.name;
      c.answer(dialog);
    });
    EXPECT_EQ(script.Run([&] { return ConfirmExit(nullptr, &confirm); }), c.result) << c.name;
    EXPECT_TRUE(script.Passed()) << c.name << ": " << script.Report();
    EXPECT_EQ(confirm, c.confirm) << c.name;
  }
}

TEST(ExitConfirmation, WithoutAFlagTheBoxIsHidden) {
  DialogScript script;
  script.Expect(kTitle, [](HWND dialog) {
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_EXIT_ALWAYS_CONFIRM)));
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(script.Run([] { return ConfirmExit(nullptr, nullptr); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST(ExitConfirmation, WithoutMemoryForTheTemplateTheProgramKeepsRunning) {
  LONG confirm = 1;
  std::string text;
  DialogScript script;
  script.Expect("Error", [&](HWND box) {
    text = ItemText(box, IDC_BOX_TEXT);
    PressButton(box, IDOK);
  });
  FailTemplateBlocksForTest(1);
  EXPECT_EQ(script.Run([&] { return ConfirmExit(nullptr, &confirm); }), 0);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_NE(text.find("Dialog Template"), std::string::npos) << text;
  EXPECT_NE(text.find("4098"), std::string::npos) << text;
  EXPECT_EQ(confirm, 1);
}

}  // namespace
