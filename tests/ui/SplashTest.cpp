// The splash window and the bitmap helpers under Wine: the window opens once,
// centred and topmost, shows the program's picture, closes on a key or a
// click and before every box; PicSize and DrawPicture measure and place a
// bitmap and report a missing one; and the pictures that the dialogs and the
// tool bar name are all in the program's resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "ui/FileProperties.h"
#include "ui/Messages.h"
#include "ui/Splash.h"

namespace {

constexpr ATOM kSplashAtom = 500;
constexpr UINT kMissingBitmap = 4321;

BOOL CALLBACK CollectSplash(HWND window, LPARAM found) {
  if (GetClassLongA(window, GCW_ATOM) == kSplashAtom) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The splash windows of this thread.
std::vector<HWND> SplashWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectSplash, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The pixels of a bitmap resource, top row first, as COLORREFs.
std::vector<COLORREF> ResourcePixels(UINT id, int* width, int* height) {
  HBITMAP bitmap = LoadBitmapA(App().instance, MAKEINTRESOURCEA(id));
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  *width = info.bmWidth;
  *height = info.bmHeight;
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  std::vector<RGBQUAD> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, info.bmHeight, bits.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  std::vector<COLORREF> pixels;
  for (const RGBQUAD& q : bits) pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
  return pixels;
}

// Runs `body` while the script serves one box with the caption `caption`:
// the box's text is read into `text` and the box is closed with OK.
int RunWithOneBox(const char* caption, std::string* text, const std::function<int()>& body) {
  DialogScript script;
  script.Expect(caption, [&](HWND box) {
    *text = ItemText(box, IDC_BOX_TEXT);
    PressButton(box, IDOK);
  });
  int result = script.Run(body);
  EXPECT_TRUE(script.Passed()) << script.Report();
  return result;
}

class Splash : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RegisterSplashClass(), 1); }
  void SetUp() override {
    savedSounds_ = SoundsFlag;
    SoundsFlag = 0;
  }
  void TearDown() override {
    CloseSplash();
    SoundsFlag = savedSounds_;
  }

 private:
  int savedSounds_ = 0;
};

TEST_F(Splash, OpensOnceCentredAndTopmostWithThePicture) {
  ASSERT_TRUE(SplashWindows().empty());
  ShowSplash();
  std::vector<HWND> open = SplashWindows();
  ASSERT_EQ(open.size(), 1u);
  HWND splash = open[0];
  EXPECT_EQ(WindowText(splash), "Splash");
  EXPECT_TRUE(IsWindowVisible(splash));
  EXPECT_EQ(GetWindowLongA(splash, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_BORDER), WS_POPUP);
  EXPECT_TRUE(GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);

  int width = 0;
  int height = 0;
  const std::vector<COLORREF> picture = ResourcePixels(IDB_ABOUT, &width, &height);
  RECT rect;
  GetWindowRect(splash, &rect);
  const RECT& desktop = App().desktopRect;
  EXPECT_EQ(rect.right - rect.left, width);
  EXPECT_EQ(rect.bottom - rect.top, height);
  EXPECT_EQ(rect.left, (desktop.right - desktop.left - width) / 2);
  EXPECT_EQ(rect.top, (desktop.bottom - desktop.top - height) / 2);

  // What the window shows is the picture, corner to corner.
  UpdateWindow(splash);
  HDC dc = GetDC(splash);
  for (const POINT p : {POINT{0, 0}, POINT{width / 2, height / 3}, POINT{width - 1, height - 1}}) {
    EXPECT_EQ(GetPixel(dc, p.x, p.y), picture[static_cast<size_t>(p.y) * width + p.x]) << p.x << "," << p.y;
  }
  ReleaseDC(splash, dc);

  // The command again brings the same window forward instead of a second one.
  ShowSplash();
  open = SplashWindows();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0], splash);
}

TEST_F(Splash, AKeyOrAClickClosesIt) {
  struct Closer {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  const Closer closers[] = {
      {"Esc", WM_KEYDOWN, VK_ESCAPE, 0x00010001},
      {"space", WM_KEYDOWN, VK_SPACE, 0x00390001},
      {"left click", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 100)},
      {"close", WM_CLOSE, 0, 0},
  };
  for (const Closer& c : closers) {
    SCOPED_TRACE(c.name);
    ShowSplash();
    ASSERT_EQ(SplashWindows().size(), 1u);
    PostMessageA(SplashWindows()[0], c.message, c.wParam, c.lParam);
    PumpMessages(100);
    EXPECT_TRUE(SplashWindows().empty());
    // Closed means closed: the next command opens a new window.
    ShowSplash();
    EXPECT_EQ(SplashWindows().size(), 1u);
    EXPECT_EQ(CloseSplash(), 1);
    EXPECT_TRUE(SplashWindows().empty());
  }
  EXPECT_EQ(CloseSplash(), 1);  // nothing open: still fine
}

TEST_F(Splash, EveryBoxAndThePropertiesDialogCloseItFirst) {
  struct Opener {
    const char* name;
    const char* caption;  // nullptr: any
    std::function<int()> open;
  };
  const std::vector<Opener> openers = {
      {"ShowMessage", "Orvane", [] { return ShowMessage(nullptr, IDS_PROGRAM_NAME, IDS_READY); }},
      {"ShowMessageText", "M", [] { return ShowMessageText(nullptr, "M", "Note"); }},
      {"ShowError", "Error", [] { return ShowError(IDS_FILE_NOT_FOUND, "a.txt"); }},
      {"ShowErrorText", "Error", [] { return ShowErrorText("Broken"); }},
      {"AskYesNo", "Orvane", [] { return AskYesNo(nullptr, 1, IDS_PROGRAM_NAME, IDS_CONFIRM_QUIT_LISTED); }},
      {"AskYesNoText", "Q", [] { return AskYesNoText(nullptr, 1, "Q", "Sure?"); }},
      {"ShowFileProperties", nullptr, [] { return ShowFileProperties(nullptr, "C:\\no such file.txt"); }},
  };
  for (const Opener& o : openers) {
    SCOPED_TRACE(o.name);
    ShowSplash();
    ASSERT_EQ(SplashWindows().size(), 1u);
    bool splashWasOpen = true;
    DialogScript script;
    script.Expect(o.caption, [&](HWND dialog) {
      splashWasOpen = !SplashWindows().empty();
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    script.Run(o.open);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_FALSE(splashWasOpen);
  }
}

TEST_F(Splash, AWindowThatCannotBeCreatedIsReported) {
  // Without its class the window cannot be created.
  ASSERT_TRUE(UnregisterClassA(MAKEINTATOM(kSplashAtom), App().instance));
  std::string text;
  RunWithOneBox("Error", &text, [] {
    ShowSplash();
    return 0;
  });
  EXPECT_EQ(text, "\rError detected opening the Splash window\r\rCode 1411");
  EXPECT_TRUE(SplashWindows().empty());

  ASSERT_EQ(RegisterSplashClass(), 1);
  // A second registration fails and says which class.
  EXPECT_EQ(RunWithOneBox("Error", &text, [] { return RegisterSplashClass(); }), 0);
  EXPECT_EQ(text, "\rError detected creating SplashBox window class\r\rCode 1410");
}

// ------------------------------------------------------ bitmap helpers

TEST(Pictures, PicSizeMeasuresEachBitmap) {
  struct Case {
    UINT id;
    int width;
    int height;
  };
  // The tool bar expects 12 images of 16 x 16; the options pages' picture
  // fills the pages' 104 x 159 dialog-unit panel (156 x 258 pixels with
  // MS Sans Serif 8) inside its sunken edge.
  const Case cases[] = {{IDB_ABOUT, 400, 250}, {IDB_TOOLBAR, 12 * 16, 16}, {IDB_OPTIONS, 154, 256}};
  for (const Case& c : cases) {
    RECT rect{1, 2, 3, 4};
    EXPECT_EQ(PicSize(c.id, &rect), 1) << c.id;
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, c.width) << c.id;
    EXPECT_EQ(rect.bottom, c.height) << c.id;
  }
}

TEST(Pictures, DrawPicturePlacesTheBitmapAtTheCornerAtItsOwnSize) {
  int width = 0;
  int height = 0;
  const std::vector<COLORREF> picture = ResourcePixels(IDB_OPTIONS, &width, &height);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, width + 40, height + 40);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  const COLORREF fill = RGB(255, 0, 255);
  HBRUSH brush = CreateSolidBrush(fill);
  RECT all{0, 0, width + 40, height + 40};
  FillRect(dc, &all, brush);
  DeleteObject(brush);

  // A rectangle smaller than the picture: only its corner counts.
  RECT at{10, 20, 15, 25};
  EXPECT_EQ(DrawPicture(dc, IDB_OPTIONS, &at), 1);
  EXPECT_EQ(GetPixel(dc, 9, 20), fill);
  EXPECT_EQ(GetPixel(dc, 10, 19), fill);
  EXPECT_EQ(GetPixel(dc, 10 + width, 20), fill);
  EXPECT_EQ(GetPixel(dc, 10, 20 + height), fill);
  for (int y = 0; y < height; y += 37) {
    for (int x = 0; x < width; x += 29) {
      EXPECT_EQ(GetPixel(dc, 10 + x, 20 + y), picture[static_cast<size_t>(y) * width + x]) << x << "," << y;
    }
  }
  EXPECT_EQ(GetPixel(dc, 9 + width, 19 + height), picture.back());
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}

TEST(Pictures, AMissingBitmapIsReportedWithItsId) {
  struct Case {
    const char* name;
    std::function<int()> call;
    const char* text;
  };
  static RECT rect;
  const std::vector<Case> cases = {
      {"PicSize", [] { return PicSize(kMissingBitmap, &rect); },
       "PicSize(LoadBitmap)\r\rError detected loading specified picture (ID:4321)\r\rCode 1814"},
      {"DrawPicture",
       [] {
         HDC screen = GetDC(nullptr);
         int result = DrawPicture(screen, kMissingBitmap, &rect);
         ReleaseDC(nullptr, screen);
         return result;
       },
       "DrawPicture(LoadBitmap)\r\rError detected loading specified picture (ID:4321)\r\rCode 1814"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text;
    EXPECT_EQ(RunWithOneBox("Error", &text, c.call), 0);
    EXPECT_EQ(text, c.text);
  }
}

// ------------------------------------------------ the pictures themselves

TEST(Pictures, EveryIconTheDialogsNameHasALargeAndASmallImage) {
  const UINT icons[] = {IDI_PROGRAM,  IDI_PROGRAM_SMALL, IDI_ENCRYPTED_FILE, IDI_BOX_INFORMATION,
                        IDI_BOX_QUESTION, IDI_BOX_ERROR, IDI_KEY_ENCRYPT, IDI_KEY_DECODE,
                        IDI_KEY_NOTE, IDI_PASSWORD, IDI_PASSWORD_NEW, IDI_CLEANUP,
                        IDI_SOUNDS,   IDI_DESKTOP,       IDI_STARTUP};
  for (UINT id : icons) {
    for (int size : {32, 16}) {
      HICON icon = static_cast<HICON>(LoadImageA(App().instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_TRUE(icon) << id << " at " << size;
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP colour{};
      GetObjectA(info.hbmColor, sizeof colour, &colour);
      // The image of that size itself, not another one stretched.
      EXPECT_EQ(colour.bmWidth, size) << id;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

TEST(Pictures, TheToolBarStripHasAColourTableAndTheButtonFaceGreyAround) {
  // The tool bar maps the light grey 0xC0C0C0 of a bitmap's colour table to
  // the button face and masks it: only so do the images look transparent.
  HRSRC found = FindResourceA(App().instance, MAKEINTRESOURCEA(IDB_TOOLBAR), MAKEINTRESOURCEA(2));  // RT_BITMAP
  ASSERT_TRUE(found);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(App().instance, found)));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->biBitCount, 8);
  EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));

  int width = 0;
  int height = 0;
  const std::vector<COLORREF> strip = ResourcePixels(IDB_TOOLBAR, &width, &height);
  const COLORREF grey = RGB(0xC0, 0xC0, 0xC0);
  for (int image = 0; image < 12; ++image) {
    SCOPED_TRACE(image);
    // Every image leaves its corner pixels to the background and draws
    // something in the middle.
    EXPECT_EQ(strip[image * 16], grey);
    EXPECT_EQ(strip[15 * width + image * 16 + 15], grey);
    int drawn = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) drawn += strip[static_cast<size_t>(y) * width + image * 16 + x] != grey;
    }
    EXPECT_GT(drawn, 40);
  }
}

}  // namespace
