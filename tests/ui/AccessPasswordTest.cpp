// The program access password driven for real: passwords typed into the
// open dialogs, the boxes about refused entries read and answered, and the
// stored hash afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/KeyHash.h"
#include "resource.h"
#include "tests/support/DialogDriver.h"
#include "ui/AccessPassword.h"

namespace {

constexpr char kAskTitle[] = " Orvane Access Password";
constexpr char kChangeTitle[] = " Change Orvane Program Access Password";

DWORD Hash(const char* text) { return static_cast<DWORD>(KeyHash(text)); }

// A password whose hash is 0, as a user could type it in the Windows
// character set: the hash is a weighted sum in which letters with accents
// count negative.
constexpr char kPasswordHashingToZero[] = "aa\xE4\xC1\xE2" "a";

struct Change {
  const char* current;
  const char* fresh;
  const char* verification;
};

// Types `change` into the change dialog and presses OK; the fields must
// start empty, also after a refused entry.
void TypeChange(DialogScript& script, Change change) {
  script.Expect(kChangeTitle, [change](HWND dialog) {
    for (int id : {IDC_PASSWORD, IDC_PASSWORD_NEW, IDC_PASSWORD_VERIFY}) EXPECT_EQ(ItemText(dialog, id), "") << id;
    TypeInto(dialog, IDC_PASSWORD, change.current);
    TypeInto(dialog, IDC_PASSWORD_NEW, change.fresh);
    TypeInto(dialog, IDC_PASSWORD_VERIFY, change.verification);
    PressButton(dialog, IDOK);
  });
}

void TypePassword(DialogScript& script, const char* password) {
  script.Expect(kAskTitle, [password](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_PASSWORD), "");
    TypeInto(dialog, IDC_PASSWORD, password);
    PressButton(dialog, IDOK);
  });
}

// Reads and closes the box about an entry. By the time it shows, the typed
// texts are gone from the dialog's fields. `again`: the dialog stays open.
void Box(DialogScript& script, const char* caption, std::string text, bool again) {
  script.Expect(caption, [text, again](HWND box) {
    EXPECT_EQ(ItemText(box, IDC_BOX_TEXT), text);
    HWND dialog = GetWindow(box, GW_OWNER);
    for (int id : {IDC_PASSWORD, IDC_PASSWORD_NEW, IDC_PASSWORD_VERIFY}) {
      if (GetDlgItem(dialog, id)) {
        EXPECT_EQ(ItemText(dialog, id), "") << id;
      }
    }
    if (again) ServeAgain(dialog);
    PressButton(box, IDOK);
  });
}

int RunChange(DialogScript& script, DWORD& stored) {
  const int result = script.Run([&] { return ChangeAccessPassword(nullptr, &stored); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  return result;
}

TEST(AccessPassword, SetChangedAndRemoved) {
  DWORD stored = 0;
  {
    // With no password, the current field stays empty.
    DialogScript script;
    script.Expect(kChangeTitle, [](HWND dialog) {
      EXPECT_EQ(ItemText(dialog, IDC_PASSWORD_NOTE),
                "Enter your current program access password\rand then type a new password and verify it.\r\r"
                "Leave the appropriate password text fields\rblank to specify no password.");
      ServeAgain(dialog);
    });
    TypeChange(script, {"", "Gate 1998", "Gate 1998"});
    Box(script, "Password Changed",
        "\rYour password has been successfully changed\r\rPlease remember your new password.", false);
    EXPECT_EQ(RunChange(script, stored), 1);
    EXPECT_EQ(stored, Hash("Gate 1998"));
    EXPECT_NE(stored, 0u);
  }
  {
    DialogScript script;
    TypeChange(script, {"Gate 1998", "abcd", "abcd"});
    Box(script, "Password Changed",
        "\rYour password has been successfully changed\r\rPlease remember your new password.", false);
    EXPECT_EQ(RunChange(script, stored), 1);
    EXPECT_EQ(stored, Hash("abcd"));
  }
  {
    DialogScript script;
    TypeChange(script, {"abcd", "", ""});
    Box(script, "Password Removed", "\r\rYour password has been successfully removed.", false);
    EXPECT_EQ(RunChange(script, stored), 1);
    EXPECT_EQ(stored, 0u);
  }
}

TEST(AccessPassword, CancelKeepsTheStoredHash) {
  DWORD stored = Hash("Gate 1998");
  DialogScript script;
  script.Expect(kChangeTitle, [](HWND dialog) {
    TypeInto(dialog, IDC_PASSWORD_NEW, "other one");
    PressEscape(dialog);
  });
  EXPECT_EQ(RunChange(script, stored), 0);
  EXPECT_EQ(stored, Hash("Gate 1998"));
}

TEST(AccessPassword, RefusedChangesCloseTheDialogAtTheThird) {
  const char* zero = kPasswordHashingToZero;
  ASSERT_EQ(KeyHash(zero), 0);
  struct Case {
    Change change;
    const char* caption;
    std::string text;  // the box text up to the reason
    const char* retry;   // the reason of the first two refusals
  } cases[] = {
      {{"wrong", "Gate 2000", "Gate 2000"}, "Invalid Password", "\rInvalid password detected...\r\r",
       "Please enter your password again."},
      {{"Gate 1998", "Gate 2000", "gate 2000"}, "New Password Invalid", "\rNew passwords are different...\r\r",
       "Please enter your password again."},
      {{"Gate 1998", "abc", "abc"}, "Invalid Password",
       "\rPasswords must be at least 4 characters long...\r\r", "Please choose a longer password."},
      // A password that would be stored as "no password".
      {{"Gate 1998", zero, zero}, "Invalid Password",
       "\rThis password cannot be used to protect Orvane...\r\r", "Please choose another password."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DWORD stored = Hash("Gate 1998");
    DialogScript script;
    for (int attempt = 1; attempt <= kPasswordAttempts; ++attempt) {
      const bool last = attempt == kPasswordAttempts;
      TypeChange(script, c.change);
      Box(script, c.caption, c.text + (last ? "Password has NOT been changed" : c.retry), !last);
    }
    EXPECT_EQ(RunChange(script, stored), 0);
    EXPECT_EQ(stored, Hash("Gate 1998"));
  }
}

TEST(AccessPassword, AFailureCountsTowardsTheThirdOnlyInARow) {
  DWORD stored = Hash("Gate 1998");
  DialogScript script;
  TypeChange(script, {"wrong", "", ""});
  Box(script, "Invalid Password", "\rInvalid password detected...\r\rPlease enter your password again.", true);
  TypeChange(script, {"Gate 1998", "Gate 2000", "Gate 2000"});
  Box(script, "Password Changed",
      "\rYour password has been successfully changed\r\rPlease remember your new password.", false);
  EXPECT_EQ(RunChange(script, stored), 1);
  EXPECT_EQ(stored, Hash("Gate 2000"));
}

TEST(AccessPassword, PromptGrantsTheRightPasswordAfterWrongOnes) {
  DialogScript script;
  script.Expect(kAskTitle, [](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_PASSWORD_NOTE), "Please enter your password before continuing");
    EXPECT_NE(GetWindowLongA(GetDlgItem(dialog, IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PASSWORD));
    ServeAgain(dialog);
  });
  for (int wrong = 0; wrong < 2; ++wrong) {
    TypePassword(script, "gate 1998");
    Box(script, "Invalid Password", "\rInvalid password detected...\r\rPlease enter your password again.", true);
  }
  TypePassword(script, "Gate 1998");
  EXPECT_EQ(script.Run([] { return AskAccessPassword(nullptr, Hash("Gate 1998")); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST(AccessPassword, PromptDeniesAccessAtTheThirdWrongPasswordOrOnCancel) {
  {
    DialogScript script;
    for (int attempt = 1; attempt <= kPasswordAttempts; ++attempt) {
      const bool last = attempt == kPasswordAttempts;
      TypePassword(script, attempt == 1 ? "" : "wrong");
      Box(script, "Invalid Password",
          std::string("\rInvalid password detected...\r\r") +
              (last ? "Program access denied" : "Please enter your password again."),
          !last);
    }
    EXPECT_EQ(script.Run([] { return AskAccessPassword(nullptr, Hash("Gate 1998")); }), 0);
    EXPECT_TRUE(script.Passed()) << script.Report();
  }
  {
    DialogScript script;
    script.Expect(kAskTitle, [](HWND dialog) {
      TypeInto(dialog, IDC_PASSWORD, "Gate 1998");
      PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(script.Run([] { return AskAccessPassword(nullptr, Hash("Gate 1998")); }), 0);
    EXPECT_TRUE(script.Passed()) << script.Report();
  }
}

}  // namespace
