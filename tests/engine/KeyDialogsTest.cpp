// The key entry dialogs driven for real: keys typed into the open dialog,
// the boxes about bad entries read and answered, the hash handed back, the
// status texts, and where the dialog opens and what place it remembers.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "ui/WindowPlacement.h"
#include "core/KeyHash.h"
#include "engine/KeyDialogs.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/StandInMainWindow.h"

namespace {

constexpr char kEncryptTitle[] = " File Encryption Key";
constexpr char kDecodeTitle[] = " File Decoding Key";
constexpr DWORD kUntouched = 0xDEADBEEFu;

std::string StatusText(HWND bar) {
  char text[256] = "";
  SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

bool IsPasswordEdit(HWND dialog, int id) {
  HWND edit = GetDlgItem(dialog, id);
  return edit && (GetWindowLongA(edit, GWL_STYLE) & ES_PASSWORD) != 0;
}

// One entry: what goes into the fields, then OK.
struct Entry {
  const char* key;
  const char* confirmation;  // encryption only
};

class KeyDialogTest : public testing::Test {
 protected:
  void SetUp() override { Options().PasswordDialog = WindowPosition{35, 35, 200, 350, 0}; }

  // Adds a step that fills the open dialog with `entry` and presses OK,
  // after checking that the fields start empty (as they must after a
  // failed entry).
  void Type(DialogScript& script, const char* title, Entry entry) {
    script.Expect(title, [this, entry](HWND dialog) {
      EXPECT_EQ(ItemText(dialog, IDC_KEY_TEXT), "");
      if (entry.confirmation) {
        EXPECT_EQ(ItemText(dialog, IDC_KEY_CONFIRM), "");
      }
      statusWhileOpen_ = StatusText(bar_);
      TypeInto(dialog, IDC_KEY_TEXT, entry.key);
      if (entry.confirmation) TypeInto(dialog, IDC_KEY_CONFIRM, entry.confirmation);
      PressButton(dialog, IDOK);
    });
  }
  // Adds a step that reads the box about a bad entry and closes it; the
  // key dialog under it may be served again.
  void Box(DialogScript& script, const char* caption, const char* text) {
    script.Expect(caption, [text](HWND box) {
      EXPECT_EQ(ItemText(box, IDC_BOX_TEXT), text);
      ServeAgain(GetWindow(box, GW_OWNER));
      PressButton(box, IDOK);
    });
  }

  int Ask(DialogScript& script, int mode) {
    int result = script.Run([&] { return AskKey(owner_, mode, &hash_); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    return result;
  }

  StandInMainWindow main_;
  HWND owner_ = main_.Window();
  HWND bar_ = main_.StatusBar();
  DWORD hash_ = kUntouched;
  std::string statusWhileOpen_;
};

TEST_F(KeyDialogTest, EncryptionDialogShowsItsItemsAndHandsBackTheHash) {
  DialogScript script;
  script.Expect(kEncryptTitle, [](HWND dialog) {
    EXPECT_TRUE(IsPasswordEdit(dialog, IDC_KEY_TEXT));
    EXPECT_TRUE(IsPasswordEdit(dialog, IDC_KEY_CONFIRM));
    const std::vector<std::string> texts = StaticTexts(dialog);
    for (const char* label : {"&Key", "&Confirm"}) {
      EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
    }
    EXPECT_EQ(ItemText(dialog, IDC_KEY_NOTE),
              "Enter and confirm the key to be used\rto encrypt the current list of files.\r\r"
              "Please remember this encryption key.\rYou will need it to decode these files later.");
    EXPECT_EQ(ItemText(dialog, IDOK), "OK");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "Cancel");
    EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_KEY_TEXT));
    ServeAgain(dialog);
  });
  Type(script, kEncryptTitle, {"Open Sesame 1998", "Open Sesame 1998"});
  ASSERT_EQ(Ask(script, kKeyForEncryption), 1);
  EXPECT_EQ(hash_, static_cast<DWORD>(KeyHash("Open Sesame 1998")));
  EXPECT_EQ(statusWhileOpen_, "Select a key for file encryption");
}

TEST_F(KeyDialogTest, DecodingDialogAsksOnce) {
  DialogScript script;
  script.Expect(kDecodeTitle, [](HWND dialog) {
    EXPECT_TRUE(IsPasswordEdit(dialog, IDC_KEY_TEXT));
    EXPECT_EQ(GetDlgItem(dialog, IDC_KEY_CONFIRM), nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_KEY_NOTE),
              "Please enter the key to be used to\rdecode the current list of files.\r\r"
              "This key must be the same one you\rused to originally encrypt these files.");
    ServeAgain(dialog);
  });
  Type(script, kDecodeTitle, {"x", nullptr});
  ASSERT_EQ(Ask(script, kKeyForDecoding), 1);
  EXPECT_EQ(hash_, static_cast<DWORD>(KeyHash("x")));
  EXPECT_EQ(statusWhileOpen_, "Specify the file decoding key");
}

TEST_F(KeyDialogTest, ThreeMismatchedConfirmationsCancel) {
  DialogScript script;
  // Keys that differ only in letter case are different keys.
  Type(script, kEncryptTitle, {"Secret", "secret"});
  Box(script, "Encryption Confirmation Error", "\rThe encryption keys do not match.\r\rPlease reenter these keys now.");
  Type(script, kEncryptTitle, {"Secret", ""});
  Box(script, "Encryption Confirmation Error", "\rThe encryption keys do not match.\r\rPlease reenter these keys now.");
  Type(script, kEncryptTitle, {"Secret", "Secret "});
  Box(script, "Encryption Confirmation Error", "\rThe encryption keys do not match.\r\rFile encryption canceled.");
  EXPECT_EQ(Ask(script, kKeyForEncryption), 0);
  EXPECT_EQ(hash_, kUntouched);
}

TEST_F(KeyDialogTest, ThreeEmptyKeysCancel) {
  struct Case {
    int mode;
    const char* title;
    const char* caption;
    const char* what;
    Entry empty;
  };
  const Case cases[] = {
      {kKeyForDecoding, kDecodeTitle, "Decoding Key Error", "decoding", {"", nullptr}},
      // An empty key is reported as such even with a confirmation typed.
      {kKeyForEncryption, kEncryptTitle, "Encryption Key Error", "encryption", {"", "something"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const std::string again = std::string("\rYou must enter a key for file ") + c.what + ".\r\rPlease enter a key now.";
    const std::string last = std::string("\rYou must enter a key for file ") + c.what + ".\r\rConversion canceled.";
    DialogScript script;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      Type(script, c.title, c.empty);
      Box(script, c.caption, (attempt < 3 ? again : last).c_str());
    }
    EXPECT_EQ(Ask(script, c.mode), 0);
    EXPECT_EQ(hash_, kUntouched);
  }
}

TEST_F(KeyDialogTest, ValidEntryAfterTwoFailuresIsTaken) {
  DialogScript script;
  Type(script, kEncryptTitle, {"", ""});
  Box(script, "Encryption Key Error", "\rYou must enter a key for file encryption.\r\rPlease enter a key now.");
  Type(script, kEncryptTitle, {"a", "b"});
  Box(script, "Encryption Confirmation Error", "\rThe encryption keys do not match.\r\rPlease reenter these keys now.");
  Type(script, kEncryptTitle, {"Key", "Key"});
  ASSERT_EQ(Ask(script, kKeyForEncryption), 1);
  EXPECT_EQ(hash_, static_cast<DWORD>(KeyHash("Key")));
  EXPECT_NE(hash_, static_cast<DWORD>(KeyHash("key")));

  // The next dialog starts counting afresh: two failures do not cancel it.
  DialogScript next;
  Type(next, kDecodeTitle, {"", nullptr});
  Box(next, "Decoding Key Error", "\rYou must enter a key for file decoding.\r\rPlease enter a key now.");
  Type(next, kDecodeTitle, {"", nullptr});
  Box(next, "Decoding Key Error", "\rYou must enter a key for file decoding.\r\rPlease enter a key now.");
  Type(next, kDecodeTitle, {"key", nullptr});
  ASSERT_EQ(Ask(next, kKeyForDecoding), 1);
  EXPECT_EQ(hash_, static_cast<DWORD>(KeyHash("key")));
}

TEST_F(KeyDialogTest, CancelEscapeAndCloseBoxGiveNothing) {
  const std::vector<std::function<void(HWND)>> ways = {
      [](HWND dialog) { PressButton(dialog, IDCANCEL); },
      [](HWND dialog) { PressEscape(dialog); },
      [](HWND dialog) { PressCloseBox(dialog); },
  };
  for (size_t i = 0; i < ways.size(); ++i) {
    SCOPED_TRACE(i);
    DialogScript script;
    script.Expect(kEncryptTitle, [&](HWND dialog) {
      TypeInto(dialog, IDC_KEY_TEXT, "typed");
      TypeInto(dialog, IDC_KEY_CONFIRM, "typed");
      ways[i](dialog);
    });
    EXPECT_EQ(Ask(script, kKeyForEncryption), 0);
    EXPECT_EQ(hash_, kUntouched);
  }
}

// A task bar 60 pixels wide docked at the left edge, not hiding itself.
UINT_PTR LeftTaskBar(DWORD message, APPBARDATA* data) {
  if (message == ABM_GETTASKBARPOS) {
    SetRect(&data->rc, 0, 0, 60, 768);
    return 1;
  }
  return 0;  // ABM_GETSTATE: neither auto-hide nor always on top
}

TEST_F(KeyDialogTest, OpensAtTheRememberedPlaceAndRemembersWhereOkWasPressed) {
  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  struct Case {
    LONG left, top;
    LONG expectLeft, expectTop;
    AppBarQuery taskBar;  // null: the desktop's own
    LONG shift;           // added to a remembered left by the task bar
  };
  const Case cases[] = {
      {120, 90, 120, 90, nullptr, 0},
      // Kept 70 pixels inside the right and bottom edges of the desktop.
      {5000, 4000, desktop.right - 70, desktop.bottom - 70, nullptr, 0},
      // Remembered in screen coordinates beside a task bar at the left,
      // counted 2 pixels thinner than it is.
      {120, 90, 120, 90, LeftTaskBar, 58},
  };
  for (const Case& c : cases) {
    SetAppBarQueryForTest(c.taskBar);
    Options().PasswordDialog = WindowPosition{c.top, c.left, 200, 350, 0};
    RECT opened{};
    RECT afterFailure{};
    DialogScript script;
    script.Expect(kDecodeTitle, [&](HWND dialog) {
      GetWindowRect(dialog, &opened);
      SetWindowPos(dialog, nullptr, 300, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      PressButton(dialog, IDOK);  // empty: the dialog goes back to its place
    });
    script.Expect("Decoding Key Error", [&](HWND box) {
      GetWindowRect(GetWindow(box, GW_OWNER), &afterFailure);
      ServeAgain(GetWindow(box, GW_OWNER));
      PressButton(box, IDOK);
    });
    script.Expect(kDecodeTitle, [&](HWND dialog) {
      SetWindowPos(dialog, nullptr, 260, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      TypeInto(dialog, IDC_KEY_TEXT, "k");
      PressButton(dialog, IDOK);
    });
    const int result = Ask(script, kKeyForDecoding);
    SetAppBarQueryForTest(nullptr);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(opened.left, c.expectLeft);
    EXPECT_EQ(opened.top, c.expectTop);
    // The failed entry remembered where OK was pressed, and the dialog went
    // back there.
    EXPECT_EQ(afterFailure.left, 300 + c.shift);
    EXPECT_EQ(afterFailure.top, 210);
    EXPECT_EQ(Options().PasswordDialog.Left, 260 + c.shift);
    EXPECT_EQ(Options().PasswordDialog.Top, 150);
    EXPECT_EQ(Options().PasswordDialog.Width, opened.right - opened.left);
    EXPECT_EQ(Options().PasswordDialog.Height, opened.bottom - opened.top);
  }
}

}  // namespace
