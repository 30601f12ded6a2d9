// The dialog driver against real modal dialogs built by the template writer:
// reading texts, typing, pressing buttons, Esc and the close box, a nested
// box opened from a dialog's OK handler, and the failures it must report.
#include <gtest/gtest.h>

#include <string>

#include "context/AppContext.h"
#include "tests/support/DialogDriver.h"
#include "ui/TemplateWriter.h"

namespace {

constexpr WORD kEditAtom = 0x0081;  // test dialogs only: the program has no edits in templates
constexpr int kTextId = 101;
constexpr int kEditId = 102;

struct Outcome {
  std::string typed;
  INT_PTR nestedResult = -100;
};

void* BuildTestDialog(const char* title) {
  void* block = LockTemplateBlock(2048);
  BYTE* p = BeginTemplate(block, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                          0, 4, 10, 10, 200, 80, title);
  p = AddItem(p, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 8, 8, 180, 10, kTextId, kStaticAtom, "Hello & welcome");
  p = AddItem(p, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 8, 22, 180, 12, kEditId,
              kEditAtom, "");
  p = AddItem(p, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 40, 60, 50, 14, IDOK, kButtonAtom, "OK");
  AddItem(p, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 110, 60, 50, 14, IDCANCEL, kButtonAtom, "Cancel");
  return block;
}

INT_PTR RunTestDialog(const char* title, DLGPROC proc, LPARAM param);

INT_PTR CALLBACK InnerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK OuterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (LOWORD(wParam) == IDOK) {
    char text[256] = "";
    GetDlgItemTextA(dialog, kEditId, text, sizeof text);
    outcome->typed = text;
    outcome->nestedResult = RunTestDialog("Inner", InnerProc, 0);
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

INT_PTR RunTestDialog(const char* title, DLGPROC proc, LPARAM param) {
  void* block = BuildTestDialog(title);
  INT_PTR result = DialogBoxIndirectParamA(App().instance, static_cast<LPCDLGTEMPLATEA>(block), nullptr,
                                           proc, param);
  ReleaseTemplateBlock(block);
  return result;
}

TEST(DialogDriver, ReadsTypesAndServesANestedBox) {
  Outcome outcome;
  std::string shownText;
  DialogScript script;
  script
      .Expect("Outer",
              [&](HWND dialog) {
                shownText = ItemText(dialog, kTextId);
                TypeInto(dialog, kEditId, "typed key");
                PressButton(dialog, IDOK);
              })
      .Expect("Inner", [](HWND dialog) { PressEscape(dialog); });

  INT_PTR result = script.Run([&] { return RunTestDialog("Outer", OuterProc, reinterpret_cast<LPARAM>(&outcome)); });

  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(shownText, "Hello & welcome");
  EXPECT_EQ(outcome.typed, "typed key");
  EXPECT_EQ(outcome.nestedResult, IDCANCEL);
}

TEST(DialogDriver, CloseBoxCancels) {
  Outcome outcome;
  DialogScript script;
  script.Expect("Outer", [](HWND dialog) { PressCloseBox(dialog); });
  INT_PTR result = script.Run([&] { return RunTestDialog("Outer", OuterProc, reinterpret_cast<LPARAM>(&outcome)); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(outcome.nestedResult, -100);
}

TEST(DialogDriver, ReportsAndCancelsWhatTheScriptDoesNotExpect) {
  Outcome outcome;
  DialogScript unexpected;
  INT_PTR result =
      unexpected.Run([&] { return RunTestDialog("Surprise", OuterProc, reinterpret_cast<LPARAM>(&outcome)); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(unexpected.Passed());
  EXPECT_NE(unexpected.Report().find("unexpected dialog \"Surprise\""), std::string::npos) << unexpected.Report();

  DialogScript wrongTitle;
  wrongTitle.Expect("Outer", [](HWND dialog) { PressButton(dialog, IDOK); });
  result = wrongTitle.Run([&] { return RunTestDialog("Other", OuterProc, reinterpret_cast<LPARAM>(&outcome)); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_NE(wrongTitle.Report().find("expected \"Outer\" but got \"Other\""), std::string::npos)
      << wrongTitle.Report();

  DialogScript neverServed;
  neverServed.Expect("Outer", [](HWND) {});
  neverServed.Run([] { return 0; });
  EXPECT_NE(neverServed.Report().find("never served"), std::string::npos) << neverServed.Report();
}

}  // namespace
