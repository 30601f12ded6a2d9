// The conversion lists in a real main window: files dropped on a list and
// chosen in the open-file dialog, with their refusals; entries and their
// columns; the path index against the list's own search; remove and clear
// with their questions; the lists' keys and double-click; the properties
// command; and the command states that follow the lists and the run.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "app/CommandStates.h"
#include "app/FileArrivals.h"
#include "app/HandOff.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/WideCalls.h"
#include "resource.h"
#include "settings/ProgramOptions.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/settings/RegistryFixture.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/DropHandle.h"
#include "tests/support/LocalTimes.h"
#include "tests/support/TempFolder.h"

namespace {

std::string EncryptedBytes() { return "OrvaneHdrBlk" + std::string(400, 'x'); }

std::string ColumnTitle(HWND list) {
  char text[256] = "";
  LVCOLUMNA header = {};
  header.mask = LVCF_TEXT;
  header.pszText = text;
  header.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&header));
  return text;
}

std::string CellText(HWND list, int index, int column) {
  char text[1024] = "";
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::string> Paths(HWND list) {
  std::vector<std::string> paths;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) paths.push_back(CellText(list, i, 0));
  return paths;
}

// The centre of a child in the main window's client coordinates.
POINT CentreOf(HWND mainWindow, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT ClientRectOf(HWND mainWindow, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LRESULT ButtonState(UINT id) { return SendMessageA(App().toolBar, TB_GETSTATE, id, 0); }

// A box's text, as the user reads it.
std::string BoxText(HWND box) { return ItemText(box, IDC_BOX_TEXT); }

// Answers a box after checking its text.
DialogScript::Action Answer(const std::string& text, int button) {
  return [text, button](HWND box) {
    EXPECT_EQ(BoxText(box), text);
    PressButton(box, button);
  };
}

constexpr char kAddedToEncryption[] = " added to the encrpytion list ...";

// The real main window (MainWindowFixture), with its two lists at hand.
class FileListsTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    encrypt_ = List(IDC_ENCRYPT_LIST);
    decode_ = List(IDC_DECODE_LIST);
  }

  // Drops `paths` at `point` (client coordinates of the main window) the way
  // the shell does, and returns once the drop has been handled.
  void DropAt(const std::vector<std::string>& paths, POINT point, bool wide = false) {
    SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(paths, point, wide)), 0);
  }
  void DropOn(HWND list, const std::vector<std::string>& paths, bool wide = false) {
    DropAt(paths, CentreOf(window_, list), wide);
  }

  void Select(HWND list, int index) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
  }

  // A key pressed in a list, handled before this returns.
  void PressKey(HWND list, WPARAM key) {
    PostMessageA(list, WM_KEYDOWN, key, 1);
    PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    PumpMessages(60);
  }

  HWND encrypt_ = nullptr;
  HWND decode_ = nullptr;
  TempFolder files_{"lists"};
};

// ---- Dropped files ---------------------------------------------------------

TEST_F(FileListsTest, TenDroppedFilesWithTwoEncryptedListEight) {
  for (bool silenced : {false, true}) {
    SCOPED_TRACE(silenced ? "WrongFormat on" : "WrongFormat off");
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    options_.Warnings[kWarnWrongFormat] = silenced ? 1 : 0;
    std::vector<std::string> dropped;
    std::vector<std::string> plain;
    for (int i = 0; i < 10; ++i) {
      const std::string name = "file" + std::to_string(i) + ".doc";
      const bool encrypted = i == 3 || i == 7;
      dropped.push_back(files_.MakeFile(name, encrypted ? EncryptedBytes() : std::string(i + 1, 'p')));
      if (!encrypted) plain.push_back(dropped.back());
    }
    DialogScript script;
    if (!silenced) {
      for (int i : {3, 7}) {
        script.Expect("Encrypted File",
                      Answer("File: " + dropped[i] +
                                 "\r\rThis file has already been encrypted.\rIt will not be added to the encryption list",
                             IDOK));
      }
    }
    script.Run([&] { DropOn(encrypt_, dropped); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(Paths(encrypt_), plain);
    EXPECT_EQ(CellText(encrypt_, 0, 1), "1");
    EXPECT_EQ(CellText(encrypt_, 7, 1), "10");
    EXPECT_EQ(StatusText(), std::string("8 files") + kAddedToEncryption);
    EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption: 8");
    EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT));
  }
}

// A drop from the desktop brings its names in 16-bit characters; they are
// listed as the same names in 8-bit ones, in the order dropped, a name in
// other letters' case found as it stands.
TEST_F(FileListsTest, WideAndEightBitDropsListTheSameNames) {
  const std::string accented = files_.MakeFile("r\xE9sum\xE9.doc", "text");
  const std::string plain = files_.MakeFile("Plain.txt", "text");
  const std::string otherCase = files_.Path("PLAIN.TXT");
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "16-bit names" : "8-bit names");
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(decode_, LVM_DELETEALLITEMS, 0, 0);
    DropOn(encrypt_, {accented, plain}, wide);
    EXPECT_EQ(Paths(encrypt_), (std::vector<std::string>{accented, plain}));
    EXPECT_EQ(CellText(encrypt_, 0, 1), "4");
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    DropOn(encrypt_, {otherCase}, wide);
    EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{otherCase});
  }
}

// A drop block as a program that drops might make it: a header whose
// pFiles says where the names begin, then `payload`.
HDROP MakeDropBlock(POINT point, DWORD pFiles, bool wide, const std::string& payload) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + payload.size());
  if (!block) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = pFiles;
  header->pt = point;
  header->fWide = wide;
  std::memcpy(header + 1, payload.data(), payload.size());
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

// Whatever the header says, nothing outside the block is read: names that
// would begin beyond it, also where the offset plus a character passes
// 4 GB (in a 32-bit program the sum wraps round to the block's start), and
// a name that the block ends inside give no name at all.
TEST_F(FileListsTest, ADropBlockIsReadWithinItsBoundsWhateverItsHeaderSays) {
  const std::string file = files_.MakeFile("inside.txt", "text");
  std::string wideFile;
  for (char c : file) wideFile += std::string{c, '\0'};
  const DWORD start = sizeof(DROPFILES);
  struct Case {
    const char* name;
    DWORD pFiles;
    bool wide;
    std::string payload;
    int added;
  };
  const Case cases[] = {
      {"8-bit names where the header says", start, false, file + std::string(2, '\0'), 1},
      {"16-bit names where the header says", start, true, wideFile + std::string(4, '\0'), 1},
      {"names from the block's end", start + 8, false, std::string(8, 'x'), 0},
      {"16-bit names from the block's end", start + 8, true, std::string(8, 'x'), 0},
      {"names past the block", 0x10000, false, file + std::string(2, '\0'), 0},
      {"16-bit names 2 bytes short of 4 GB", 0xFFFFFFFEu, true, wideFile + std::string(4, '\0'), 0},
      {"16-bit names 1 byte short of 4 GB", 0xFFFFFFFFu, true, wideFile + std::string(4, '\0'), 0},
      {"8-bit names 1 byte short of 4 GB", 0xFFFFFFFFu, false, file + std::string(2, '\0'), 0},
      {"an 8-bit name without its end", start, false, file, 0},
      {"a 16-bit name cut inside its last character", start, true, wideFile.substr(0, wideFile.size() - 1), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    HDROP drop = MakeDropBlock(CentreOf(window_, encrypt_), c.pFiles, c.wide, c.payload);
    ASSERT_NE(drop, nullptr);
    DialogScript script;
    script.Run([&] { SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(Paths(encrypt_), c.added ? std::vector<std::string>{file} : std::vector<std::string>{});
    EXPECT_EQ(StatusText(), std::to_string(c.added) + (c.added == 1 ? " file" : " files") + kAddedToEncryption);
  }
}

// A drop from the desktop may bring names that the code page cannot spell:
// each is refused with a plain message, also where its 8-bit spelling
// happens to name another file, which must not be listed in its place.
TEST_F(FileListsTest, DroppedNamesTheCodePageCannotSpellAreRefused) {
  const std::wstring cjkPath = files_.MakeWideFile(L"\u5831\u544A.txt", "report");
  const std::wstring accentedPath = files_.MakeWideFile(L"\u0141\u00F3d\u017A.doc", "letter");
  char standIn[MAX_PATH] = "";
  WideCharToMultiByte(CP_ACP, 0, accentedPath.c_str(), -1, standIn, sizeof standIn, nullptr, nullptr);
  files_.MakeFile(std::string(standIn).substr(files_.Folder().size()), "another file");
  const std::string plain = files_.MakeFile("plain.txt", "text");

  std::string drop = std::string(reinterpret_cast<const char*>(cjkPath.c_str()), (cjkPath.size() + 1) * 2) +
                     std::string(reinterpret_cast<const char*>(accentedPath.c_str()), (accentedPath.size() + 1) * 2);
  for (char c : plain) drop += std::string{c, '\0'};
  drop += std::string(4, '\0');
  const char* refused = "\r\rThe name of this file has characters that Orvane\rcannot use. Please rename the file before\r"
                        "converting it.";
  char cjkEightBit[MAX_PATH] = "";
  WideCharToMultiByte(CP_ACP, 0, cjkPath.c_str(), -1, cjkEightBit, sizeof cjkEightBit, nullptr, nullptr);
  DialogScript script;
  script.Expect("Orvane", Answer("File: " + std::string(cjkEightBit) + refused, IDOK))
      .Expect("Orvane", Answer("File: " + std::string(standIn) + refused, IDOK));
  script.Run([&] {
    SendMessageA(window_, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDropBlock(CentreOf(window_, encrypt_), sizeof(DROPFILES), true, drop)), 0);
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{plain});
  EXPECT_EQ(StatusText(), std::string("1 file") + kAddedToEncryption);
  DeleteFileW(cjkPath.c_str());
  DeleteFileW(accentedPath.c_str());
}

// A drop looks at each folder once, but a box lets the user change the
// folder before the drop goes on: the files after the box are looked at
// again. Here a file made while the box is open is listed, and one removed
// meanwhile is not.
TEST_F(FileListsTest, FilesChangedWhileADropShowsABoxAreLookedAtAgain) {
  const std::string missing = files_.Path("gone.txt");
  const std::string madeMeanwhile = files_.Path("made.txt");
  const std::string removedMeanwhile = files_.MakeFile("removed.txt", "text");
  const std::string kept = files_.MakeFile("kept.txt", "text");
  DialogScript script;
  script.Expect("File Not Found", [&](HWND box) {
    files_.MakeFile("made.txt", "text");
    DeleteFileA(removedMeanwhile.c_str());
    PressButton(box, IDOK);
  });
  script.Expect("File Not Found", Answer("File: " + removedMeanwhile + "\r\rFile not found.", IDOK));
  script.Run([&] { DropOn(encrypt_, {kept, missing, madeMeanwhile, removedMeanwhile}); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(encrypt_), (std::vector<std::string>{kept, madeMeanwhile}));
}

TEST_F(FileListsTest, RefusedFilesStillGiveTheCountInTheStatusLine) {
  const std::string folder = files_.MakeFolder("folder");
  const std::string missing = files_.Path("gone.txt");
  DialogScript script;
  script.Expect("Orvane", Answer("Folder: " + folder +
                                     "\r\rOrvane cannot convert entire directories\rPlease select individual files to "
                                     "be converted.",
                                 IDOK))
      .Expect("File Not Found", Answer("File: " + missing + "\r\rFile not found.", IDOK));
  script.Run([&] { DropOn(encrypt_, {folder, missing}); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_TRUE(Paths(encrypt_).empty());
  EXPECT_EQ(StatusText(), std::string("0 files") + kAddedToEncryption);
  EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption");

  // One file is counted without the plural "s"; the decoding list takes
  // encrypted files only, with its own message for a plain one.
  const std::string encrypted = files_.MakeFile("one.(=doc=)", EncryptedBytes());
  const std::string plain = files_.MakeFile("plain.doc", "text");
  DialogScript decoding;
  decoding.Expect("File Not Encrypted",
                  Answer("File: " + plain + "\r\rThis file has not been encrypted.\rIt will not be added to the "
                                            "decoding list",
                         IDOK));
  decoding.Run([&] { DropOn(decode_, {encrypted, plain}); });
  EXPECT_TRUE(decoding.Passed()) << decoding.Report();
  EXPECT_EQ(Paths(decode_), std::vector<std::string>{encrypted});
  EXPECT_EQ(StatusText(), "1 file added to the decoding list ...");
  EXPECT_EQ(ColumnTitle(decode_), "Files for Decoding: 1");
}

// The last WM_SETREDRAW a list was sent: whether it may draw.
WNDPROC listProcedure = nullptr;
WPARAM listMayDraw = TRUE;
LRESULT CALLBACK NoteRedraw(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETREDRAW) listMayDraw = wParam;
  return CallWindowProcA(listProcedure, window, message, wParam, lParam);
}

// A large drop holds the list's drawing back; a box of the candidate checks
// (here a folder among the files) must find the files before it shown, not
// a blank list.
TEST_F(FileListsTest, ABoxDuringADropStandsBeforeTheListShown) {
  std::vector<std::string> dropped;
  for (int i = 0; i < 5; ++i) dropped.push_back(files_.MakeFile("shown" + std::to_string(i) + ".doc", "text"));
  const std::string folder = files_.MakeFolder("in-between");
  dropped.push_back(folder);
  dropped.push_back(files_.MakeFile("after.doc", "text"));
  listProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(encrypt_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteRedraw)));
  bool drawnBehindBox = false;
  std::vector<std::string> behindBox;
  DialogScript script;
  script.Expect("Orvane", [&](HWND box) {
    drawnBehindBox = listMayDraw != FALSE && !GetUpdateRect(encrypt_, nullptr, FALSE);
    behindBox = Paths(encrypt_);
    PressButton(box, IDOK);
  });
  script.Run([&] { DropOn(encrypt_, dropped); });
  SetWindowLongPtrA(encrypt_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure));
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_TRUE(drawnBehindBox) << "the list's drawing was held while the box was open";
  EXPECT_EQ(behindBox, std::vector<std::string>(dropped.begin(), dropped.begin() + 5));
  EXPECT_EQ(Paths(encrypt_).size(), 6u);
}

TEST_F(FileListsTest, SamePathInOtherCaseIsADuplicateOfTheTargetListOnly) {
  const std::string path = files_.MakeFile("Report.doc", "text");
  std::string shouted = path;
  CharUpperA(&shouted[0]);
  ASSERT_NE(shouted, path);
  DialogScript script;
  script.Expect("Duplicate File",
                Answer("File: " + shouted + "\r\rThis file is already in the conversion list.\rIt will not be added "
                                            "to the list",
                       IDOK));
  script.Run([&] { DropOn(encrypt_, {path, shouted}); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{path});
  EXPECT_EQ(StatusText(), std::string("1 file") + kAddedToEncryption);

  // With "Duplicates" on the file is refused without a word.
  options_.Warnings[kWarnDuplicates] = 1;
  DialogScript silent;
  silent.Run([&] { DropOn(encrypt_, {shouted}); });
  EXPECT_TRUE(silent.Passed()) << silent.Report();
  EXPECT_EQ(Paths(encrypt_).size(), 1u);

  // The decoding list is not searched: there the file is refused as plain.
  DialogScript other;
  other.Expect("File Not Encrypted", [](HWND box) { PressButton(box, IDOK); });
  other.Run([&] { DropOn(decode_, {path}); });
  EXPECT_TRUE(other.Passed()) << other.Report();
}

// The last entry lies within the rows the list shows.
void ExpectLastInView(HWND list) {
  const int last = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) - 1;
  const int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  const int rows = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
  EXPECT_GT(top, 0);
  EXPECT_LT(last, top + rows);
}

TEST_F(FileListsTest, ADropEndsWithItsLastFileInView) {
  const int rows = static_cast<int>(SendMessageA(encrypt_, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(rows, 2);
  std::vector<std::string> first;
  for (int i = 0; i < rows + 2; ++i) first.push_back(files_.MakeFile("a" + std::to_string(i) + ".txt", "a"));
  DropOn(encrypt_, first);
  ExpectLastInView(encrypt_);

  // Also when a box of the candidate checks comes between.
  std::vector<std::string> second = {files_.MakeFile("b0.txt", "b"), files_.MakeFile("b1.txt", "b"),
                                     files_.MakeFolder("folder"), files_.MakeFile("b2.txt", "b")};
  DialogScript script;
  script.Expect("Orvane", [](HWND box) { PressButton(box, IDOK); });
  script.Run([&] { DropOn(encrypt_, second); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  ExpectLastInView(encrypt_);
  EXPECT_EQ(Paths(encrypt_).back(), second.back());
  EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption: " + std::to_string(first.size() + 3));
}

TEST_F(FileListsTest, DropPointChoosesTheList) {
  const std::string path = files_.MakeFile("a.txt", "text");
  const RECT encrypt = ClientRectOf(window_, encrypt_);
  const RECT decode = ClientRectOf(window_, decode_);
  const RECT toolBar = ClientRectOf(window_, App().toolBar);
  const RECT statusBar = ClientRectOf(window_, App().statusBar);
  ASSERT_EQ(encrypt.bottom, decode.top);
  enum Target { kEncrypt, kDecode, kNone };
  struct Case {
    const char* where;
    POINT point;
    Target target;
  };
  const Case cases[] = {
      {"top left corner of the encryption list", {encrypt.left, encrypt.top}, kEncrypt},
      {"last row of the encryption list", {encrypt.left + 5, encrypt.bottom - 1}, kEncrypt},
      {"first row of the decoding list", {decode.left + 5, decode.top}, kDecode},
      {"right edge of the lists", {encrypt.right, encrypt.top + 5}, kNone},
      {"tool bar", {toolBar.left + 5, toolBar.top + 5}, kNone},
      {"status bar", {statusBar.left + 5, statusBar.top + 2}, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(decode_, LVM_DELETEALLITEMS, 0, 0);
    DialogScript script;
    if (c.target == kNone) {
      script.Expect("Orvane", Answer("\rPlease drag and drop files into either the\rEncryption or Decoding list "
                                     "windows,\ror the icons to the left of these windows",
                                     IDOK));
    } else if (c.target == kDecode) {
      script.Expect("File Not Encrypted", [](HWND box) { PressButton(box, IDOK); });
    }
    script.Run([&] { DropAt({path}, c.point); });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(Paths(encrypt_).size(), c.target == kEncrypt ? 1u : 0u);
  }
}

TEST_F(FileListsTest, PathsLongerThan255CharactersAreRefusedNotCut) {
  // A path of exactly 255 characters is listed.
  std::string folder = files_.Folder();
  while (folder.size() < 200) folder = files_.MakeFolder(folder.substr(files_.Folder().size()) + "d1234567") + "\\";
  const std::string fits = folder + std::string(255 - folder.size() - 4, 'f') + ".txt";
  ASSERT_EQ(fits.size(), 255u);
  HANDLE file = CreateFileA(fits.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const std::string tooLong = folder + std::string(256 - folder.size() - 4, 'g') + ".txt";
  ASSERT_EQ(tooLong.size(), 256u);

  DialogScript script;
  script.Expect("Orvane", Answer("File: " + tooLong +
                                     "\r\rThe path of this file is longer than 255 characters.\rIt will not be added "
                                     "to the list",
                                 IDOK));
  script.Run([&] { DropOn(encrypt_, {tooLong, fits}); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{fits});
  EXPECT_EQ(StatusText(), std::string("1 file") + kAddedToEncryption);
  DeleteFileA(fits.c_str());
}

// ---- Entries and the path index ----------------------------------------------

TEST_F(FileListsTest, EntryShowsSizeAndLocalModificationTime) {
  struct Case {
    SYSTEMTIME local;
    const char* shown;
  };
  const Case cases[] = {
      {At(1998, 7, 3, 5, 14, 5), "3-Jly-1998 - 2:05 PM"},
      {At(2026, 1, 31, 6, 0, 30), "31-Jan-2026 - 12:30 AM"},
      {At(2001, 12, 9, 0, 12, 0), "9-Dec-2001 - 12:00 PM"},
      {At(1999, 9, 14, 2, 23, 59), "14-Sep-1999 - 11:59 PM"},
      {At(2010, 3, 1, 1, 9, 7), "1-Mar-2010 - 9:07 AM"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    const std::string path = files_.MakeFile("dated" + std::to_string(index) + ".txt", std::string(1234, 'd'));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME time = LocalToFileTime(c.local);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
    EXPECT_EQ(AddListedFile(encrypt_, path.c_str()), 1);
    EXPECT_EQ(CellText(encrypt_, index, 0), path);
    EXPECT_EQ(CellText(encrypt_, index, 1), "1234");
    EXPECT_EQ(CellText(encrypt_, index, 2), c.shown);
    ++index;
  }

  // The size column holds the low 32 bits of the size.
  const std::string large = files_.Path("large.bin");
  HANDLE file = CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  LONG high = 1;
  SetFilePointer(file, 300, &high, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  AddListedFile(encrypt_, large.c_str());
  EXPECT_EQ(CellText(encrypt_, index, 1), "300");

  // A file gone before it is listed keeps empty columns.
  AddListedFile(encrypt_, files_.Path("vanished.txt").c_str());
  EXPECT_EQ(CellText(encrypt_, index + 1, 0), files_.Path("vanished.txt"));
  EXPECT_EQ(CellText(encrypt_, index + 1, 1), "");
  EXPECT_EQ(CellText(encrypt_, index + 1, 2), "");
}

// The path index against the list's own search, through additions,
// removals and changes behind the index's back.
void ExpectIndexAnswersAsTheListsOwnSearch(HWND encrypt, HWND decode) {
  const char* listed[] = {"C:\\Docs\\Report.doc", "C:\\Docs\\Stra\xDF" "e.txt", "C:\\Docs\\\xE6" "ble.txt",
                          "C:\\Docs\\\xE9" "cole.txt", "D:\\a-b.txt", "D:\\x.txt"};
  const char* queries[] = {"c:\\docs\\report.doc", "C:\\DOCS\\REPORT.DOC", "C:\\Docs\\Report.do",
                           "C:\\Docs\\Report.doc ", "C:\\Docs\\STRASSE.TXT", "C:\\Docs\\Strasse.txt",
                           "C:\\Docs\\AEBLE.TXT", "C:\\Docs\\\xC6" "BLE.TXT", "C:\\Docs\\\xC9" "COLE.TXT",
                           "C:\\Docs\\ecole.txt", "D:\\ab.txt", "D:\\A-B.TXT", "D:\\y.txt", "", "D:\\x.txt"};
  for (const char* path : listed) AddListedFile(encrypt, path);

  auto expectSameAnswers = [&](const char* when) {
    SCOPED_TRACE(when);
    for (const char* query : queries) {
      LVFINDINFOA find = {};
      find.flags = LVFI_STRING;
      find.psz = query;
      const bool found = SendMessageA(encrypt, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(&find)) != -1;
      EXPECT_EQ(IsFileListed(encrypt, query), found) << query;
      EXPECT_FALSE(IsFileListed(decode, query)) << query;
    }
  };
  expectSameAnswers("after adding");
  RemoveListedFile(encrypt, 0);
  RemoveListedFile(encrypt, 4);
  expectSameAnswers("after removing");

  // Entries inserted or deleted behind the index's back.
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("D:\\Y.TXT");
  SendMessageA(encrypt, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(encrypt, LVM_DELETEITEM, 3, 0);
  expectSameAnswers("after changes behind its back");
  EXPECT_TRUE(IsFileListed(encrypt, "d:\\y.txt"));
}

TEST_F(FileListsTest, IndexAnswersAsTheListsOwnSearch) { ExpectIndexAnswersAsTheListsOwnSearch(encrypt_, decode_); }

// Windows 95, 98 and Me have LCMapStringW only as a stub that fails: there
// the compare keys come from the 8-bit texts, with the same answers.
TEST_F(FileListsTest, IndexAnswersAsTheListsOwnSearchThroughTheEightBitCalls) {
  ActAsWithoutWideCallsForTest(true);
  ExpectIndexAnswersAsTheListsOwnSearch(encrypt_, decode_);
  ActAsWithoutWideCallsForTest(false);
}

// ---- The add-files dialog ----------------------------------------------------

// Chooses `names` in the open-file dialog as the user types them into its
// file-name box, and presses Open. Checks the title and where the dialog
// stands first.
DialogScript::Action Choose(const std::string& names, const char* title, POINT place) {
  return [names, title, place](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), title);
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.left, place.x);
    EXPECT_EQ(rect.top, place.y);
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(names.c_str()));
    PressButton(dialog, IDOK);
  };
}

TEST_F(FileListsTest, DialogListsOneFileByItsFullPath) {
  const std::string path = files_.MakeFile("single.txt", "text");
  files_.MakeFile("other.txt", "text");
  SetCurrentDirectoryA(files_.Folder().c_str());
  DialogPositions().GetFile.Left = 120;
  DialogPositions().GetFile.Top = 90;
  DialogScript script;
  script.Expect("Select Files for Encryption", Choose("single.txt", "Select Files for Encryption", {120, 90}));
  const int added = script.Run([&] {
    return AddFilesFromDialog(window_, &options_, encrypt_, IDS_ENCRYPT_FILES_FILTER, IDS_ENCRYPT_FILES_TITLE);
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(added, 1);
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{path});
  EXPECT_EQ(DialogPositions().GetFile.Left, 120);
  EXPECT_EQ(DialogPositions().GetFile.Top, 90);

  // Cancelled, nothing is added; a place beyond the desktop is pulled in.
  DialogPositions().GetFile.Left = 5000;
  DialogPositions().GetFile.Top = 4000;
  const RECT& desktop = App().desktopRect;
  DialogScript cancelled;
  cancelled.Expect("Select Files for Decoding", [&](HWND dialog) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.left, desktop.right - 35);
    EXPECT_EQ(rect.top, desktop.bottom - 35);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(cancelled.Run([&] {
    return AddFilesFromDialog(window_, &options_, decode_, IDS_DECODE_FILES_FILTER, IDS_DECODE_FILES_TITLE);
  }),
            0);
  EXPECT_TRUE(cancelled.Passed()) << cancelled.Report();
  EXPECT_EQ(DialogPositions().GetFile.Left, 5000);
}

TEST_F(FileListsTest, DialogListsSeveralFilesOfADriveRootWithOneBackslash) {
  // Drive D: is the tests' scratch drive.
  ASSERT_NE(GetFileAttributesA("D:\\"), INVALID_FILE_ATTRIBUTES);
  struct RootFile {
    const char* path;
    std::string bytes;
  };
  const RootFile rootFiles[] = {
      {"D:\\one.txt", "text"}, {"D:\\two.txt", "text"}, {"D:\\three.(=txt=)", EncryptedBytes()}};
  for (const RootFile& f : rootFiles) {
    HANDLE file = CreateFileA(f.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, f.bytes.data(), static_cast<DWORD>(f.bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  SetCurrentDirectoryA("D:\\");
  DialogPositions().GetFile.Left = 60;
  DialogPositions().GetFile.Top = 40;
  DialogScript script;
  script.Expect("Select Files for Encryption",
                Choose("\"one.txt\" \"three.(=txt=)\" \"two.txt\"", "Select Files for Encryption", {60, 40}))
      .Expect("Encrypted File", Answer("File: D:\\three.(=txt=)\r\rThis file has already been encrypted.\rIt will "
                                       "not be added to the encryption list",
                                       IDOK));
  const int added = script.Run([&] {
    return AddFilesFromDialog(window_, &options_, encrypt_, IDS_ENCRYPT_FILES_FILTER, IDS_ENCRYPT_FILES_TITLE);
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(added, 2);
  const std::vector<std::string> expected = {"D:\\one.txt", "D:\\two.txt"};
  EXPECT_EQ(Paths(encrypt_), expected);
  SetCurrentDirectoryA(folder_.c_str());
  for (const RootFile& f : rootFiles) DeleteFileA(f.path);
}

TEST_F(FileListsTest, InsertKeyAddsThroughTheDialogWithItsStatus) {
  const std::string path = files_.MakeFile("inserted.(=doc=)", EncryptedBytes());
  SetCurrentDirectoryA(files_.Folder().c_str());
  DialogPositions().GetFile.Left = 100;
  DialogPositions().GetFile.Top = 100;
  DialogScript script;
  script.Expect("Select Files for Decoding", [](HWND dialog) {
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>("inserted.(=doc=)"));
    PressButton(dialog, IDOK);
  });
  script.Run([&] { PressKey(decode_, VK_INSERT); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(decode_), std::vector<std::string>{path});
  EXPECT_EQ(StatusText(), "1 file added to the decoding list ...");
  EXPECT_EQ(ColumnTitle(decode_), "Files for Decoding: 1");
}

// ---- Remove and clear --------------------------------------------------------

TEST_F(FileListsTest, RemovingTheOnlyEntryAsksOnceAndGreysItsCommands) {
  const std::string path = files_.MakeFile("only.txt", "text");
  AddListedFile(encrypt_, path.c_str());
  Select(encrypt_, 0);
  PumpMessages(20);
  ASSERT_EQ(options_.EncryptSelection, 0);
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT_REMOVE));
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT));
  EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption: 1");

  const std::string question =
      "File: " + path + "\r\rAre you sure you want to delete this\rfile from the encryption list?";
  DialogScript keep;
  keep.Expect("Remove File", Answer(question, IDNO));
  keep.Run([&] { PressKey(encrypt_, VK_DELETE); });
  EXPECT_TRUE(keep.Passed()) << keep.Report();
  EXPECT_EQ(Paths(encrypt_).size(), 1u);
  EXPECT_EQ(StatusText(), "Remove files from the encryption list");

  DialogScript remove;
  remove.Expect("Remove File", Answer(question, IDYES));
  remove.Run([&] { PressKey(encrypt_, VK_DELETE); });
  EXPECT_TRUE(remove.Passed()) << remove.Report();
  EXPECT_TRUE(Paths(encrypt_).empty());
  EXPECT_EQ(options_.EncryptSelection, -1);
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT_REMOVE));
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT));
  EXPECT_EQ(ButtonState(IDM_ENCRYPT_REMOVE) & TBSTATE_ENABLED, 0);
  EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption");
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the file itself stays";

  // Without a selection Delete asks nothing.
  DialogScript nothing;
  nothing.Run([&] { PressKey(encrypt_, VK_DELETE); });
  EXPECT_TRUE(nothing.Passed()) << nothing.Report();
  EXPECT_EQ(RemoveSelectedFile(window_, &options_, 1), 0);
}

TEST_F(FileListsTest, SelectionFollowsItsEntryWhenOthersAreRemoved) {
  for (const char* name : {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"}) AddListedFile(decode_, name);
  Select(decode_, 2);
  PumpMessages(20);
  ASSERT_EQ(options_.DecodeSelection, 2);
  // As the conversion run removes a converted file above it.
  RemoveListedFile(decode_, 0);
  EXPECT_EQ(options_.DecodeSelection, 1);
  DialogScript script;
  script.Expect("Remove File",
                Answer("File: C:\\c.txt\r\rAre you sure you want to delete this\rfile from the decoding list?", IDYES));
  EXPECT_EQ(script.Run([&] { return RemoveSelectedFile(window_, &options_, 0); }), 1);
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(Paths(decode_), std::vector<std::string>{"C:\\b.txt"});
  EXPECT_EQ(options_.DecodeSelection, -1);
}

// The run removes the converted entries of a picture together, with the
// list's drawing held: the list must end as removing them one by one, from
// the last, leaves it, with the same entries, the same entry at the top and
// the selection moved with its entry.
TEST_F(FileListsTest, RemovingSeveralEntriesEndsAsRemovingThemOneByOne) {
  constexpr int kEntries = 60;
  struct Case {
    int inView;  // the entry scrolled into view before the removal
    std::vector<int> indexes;
  };
  const Case cases[] = {
      {kEntries - 1, {0, 1, 2, 3}},
      {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}},
      {kEntries - 1, {5, 30, 31}},
      {0, {40, 52, 59}},
      {30, {29, 31}},
      {0, {0, 2}},
  };
  struct Result {
    std::vector<std::string> paths;
    LRESULT top;
    LONG selection;
  };
  auto removeFrom = [&](const Case& c, bool together) {
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < kEntries; ++i) AddListedFile(encrypt_, ("C:\file" + std::to_string(i) + ".txt").c_str());
    SendMessageA(encrypt_, LVM_ENSUREVISIBLE, c.inView, FALSE);
    options_.EncryptSelection = 33;
    SendMessageA(encrypt_, WM_SETREDRAW, FALSE, 0);
    if (together) {
      RemoveListedFiles(encrypt_, c.indexes.data(), static_cast<int>(c.indexes.size()));
    } else {
      for (auto index = c.indexes.rbegin(); index != c.indexes.rend(); ++index) RemoveListedFile(encrypt_, *index);
    }
    SendMessageA(encrypt_, WM_SETREDRAW, TRUE, 0);
    PumpMessages(20);
    return Result{Paths(encrypt_), SendMessageA(encrypt_, LVM_GETTOPINDEX, 0, 0), options_.EncryptSelection};
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "in view " << c.inView << ", first removed " << c.indexes.front());
    const Result oneByOne = removeFrom(c, false);
    const Result together = removeFrom(c, true);
    EXPECT_EQ(together.paths, oneByOne.paths);
    EXPECT_EQ(together.top, oneByOne.top);
    EXPECT_EQ(together.selection, oneByOne.selection);
  }
}

TEST_F(FileListsTest, ClearingAsksWithTheCountInWords) {
  struct Case {
    int entries;
    const char* question;
  };
  const Case cases[] = {
      {1, "\rThere is 1 file listed for encryption\r\rAre you sure you want to clear the list?"},
      {2, "\rThere are 2 files listed for encryption\r\rAre you sure you want to clear the list?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    for (int i = 0; i < c.entries; ++i) AddListedFile(encrypt_, files_.Path("f" + std::to_string(i) + ".txt").c_str());
    Select(encrypt_, 0);
    DialogScript keep;
    keep.Expect("Clear Encryption List", Answer(c.question, IDNO));
    EXPECT_EQ(keep.Run([&] { return ClearFileList(window_, &options_, 1); }), 0);
    EXPECT_TRUE(keep.Passed()) << keep.Report();
    EXPECT_EQ(static_cast<int>(Paths(encrypt_).size()), c.entries);

    // The Clear key (keypad 5 without Num Lock) asks the same.
    DialogScript clear;
    clear.Expect("Clear Encryption List", Answer(c.question, IDYES));
    clear.Run([&] { PressKey(encrypt_, VK_CLEAR); });
    EXPECT_TRUE(clear.Passed()) << clear.Report();
    EXPECT_TRUE(Paths(encrypt_).empty());
    EXPECT_EQ(options_.EncryptSelection, -1);
    EXPECT_EQ(StatusText(), "Clear the entire encryption list");
    EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT_CLEAR));
    EXPECT_FALSE(IsFileListed(encrypt_, files_.Path("f0.txt").c_str()));
  }
  // An empty list is not offered for clearing by its key.
  DialogScript nothing;
  nothing.Run([&] { PressKey(encrypt_, VK_CLEAR); });
  EXPECT_TRUE(nothing.Passed()) << nothing.Report();

  DialogScript decoding;
  decoding.Expect("Clear Decoding List",
                  Answer("\rThere are 0 files listed for decoding\r\rAre you sure you want to clear the list?", IDYES));
  EXPECT_EQ(decoding.Run([&] { return ClearFileList(window_, &options_, 0); }), 1);
  EXPECT_TRUE(decoding.Passed()) << decoding.Report();
}

// ---- Properties, double-click and the run ----------------------------------

TEST_F(FileListsTest, PropertiesFollowTheFocusedList) {
  const std::string path = files_.MakeFile("shown.txt", "text");
  AddListedFile(encrypt_, path.c_str());
  Select(encrypt_, 0);
  PumpMessages(20);
  ASSERT_EQ(options_.EncryptSelection, 0);

  SetFocus(App().toolBar);
  DialogScript nothing;
  nothing.Run([&] { ShowSelectedProperties(window_, &options_); });
  EXPECT_TRUE(nothing.Passed()) << nothing.Report();
  SetFocus(decode_);
  nothing.Run([&] { ShowSelectedProperties(window_, &options_); });
  EXPECT_TRUE(nothing.Passed()) << nothing.Report();

  SetFocus(encrypt_);
  DialogScript shown;
  shown.Expect(" File Properties", [](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, 101), "shown.txt");
    PressButton(dialog, IDOK);
  });
  shown.Run([&] { ShowSelectedProperties(window_, &options_); });
  EXPECT_TRUE(shown.Passed()) << shown.Report();
}

TEST_F(FileListsTest, DoubleClickShowsTheEntryUnderTheCursor) {
  const std::string first = files_.MakeFile("first.txt", "1");
  const std::string second = files_.MakeFile("second.txt", "2");
  AddListedFile(decode_, first.c_str());
  AddListedFile(decode_, second.c_str());
  RECT item = {};
  item.left = LVIR_LABEL;
  ASSERT_TRUE(SendMessageA(decode_, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)));
  POINT at = {item.left + 5, (item.top + item.bottom) / 2};
  POINT screen = at;
  ClientToScreen(decode_, &screen);
  SetCursorPos(screen.x, screen.y);
  // The move reaches the window system with the next messages, as a
  // user's hand would come to rest before the double-click.
  PumpMessages(100);

  DialogScript script;
  script.Expect(" File Properties", [](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, 101), "second.txt");
    PressButton(dialog, IDOK);
  });
  script.Run([&] {
    PostMessageA(decode_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(decode_, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    PumpMessages(100);
  });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(options_.DecodeSelection, 1);
}

TEST_F(FileListsTest, WhileBusyListKeysAndDoubleClicksDoNothingAndListCommandsAreGreyed) {
  const std::string path = files_.MakeFile("busy.txt", "text");
  AddListedFile(encrypt_, path.c_str());
  AddListedFile(decode_, "C:\\x.(=txt=)");
  Select(encrypt_, 0);
  Select(decode_, 0);
  PumpMessages(20);
  options_.Busy = kEncrypting;
  UpdateCommandStates(window_, &options_);

  const UINT greyed[] = {IDM_PROPERTIES, IDM_OPTIONS, IDM_ENCRYPT, IDM_ENCRYPT_ADD, IDM_ENCRYPT_REMOVE,
                         IDM_ENCRYPT_CLEAR, IDM_DECODE, IDM_DECODE_ADD, IDM_DECODE_REMOVE, IDM_DECODE_CLEAR,
                         IDM_SETUP};
  for (UINT id : greyed) EXPECT_FALSE(MenuEnabled(id)) << id;
  for (UINT id : {IDM_PROPERTIES, IDM_OPTIONS, IDM_ENCRYPT, IDM_ENCRYPT_ADD, IDM_ENCRYPT_REMOVE, IDM_DECODE,
                  IDM_DECODE_ADD, IDM_DECODE_REMOVE}) {
    EXPECT_EQ(ButtonState(id), TBSTATE_INDETERMINATE) << id;
  }
  for (UINT id : {IDM_ACCESS, IDM_EXIT, IDM_STATUS_BAR, IDM_FONT, IDM_TOPMOST, IDM_ABOUT}) {
    EXPECT_TRUE(MenuEnabled(id)) << id;
  }

  DialogScript nothing;
  nothing.Run([&] {
    for (HWND list : {encrypt_, decode_}) {
      for (WPARAM key : {VK_INSERT, VK_DELETE, VK_CLEAR}) PressKey(list, key);
      PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 25));
      PumpMessages(60);
    }
  });
  EXPECT_TRUE(nothing.Passed()) << nothing.Report();
  EXPECT_EQ(Paths(encrypt_).size(), 1u);
  EXPECT_EQ(Paths(decode_).size(), 1u);
}

// ---- Command states ----------------------------------------------------------

TEST_F(FileListsTest, CommandStatesFollowListsSelectionsAndOptions) {
  // The first refresh, made as the window opens, enables the menu.
  EXPECT_TRUE(MenuEnabled(IDM_EXIT));
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT_ADD));
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT));
  EXPECT_FALSE(MenuEnabled(IDM_PROPERTIES));
  EXPECT_EQ(ButtonState(IDM_PROPERTIES), TBSTATE_INDETERMINATE);

  AddListedFile(decode_, "C:\\a.(=doc=)");
  AddListedFile(decode_, "C:\\b.(=doc=)");
  Select(decode_, 1);
  PumpMessages(20);
  UpdateCommandStates(window_, &options_);
  struct Expectation {
    UINT id;
    bool enabled;
  };
  const Expectation states[] = {
      {IDM_PROPERTIES, true},      {IDM_ENCRYPT, false},       {IDM_ENCRYPT_REMOVE, false},
      {IDM_ENCRYPT_CLEAR, false},  {IDM_DECODE, true},         {IDM_DECODE_REMOVE, true},
      {IDM_DECODE_CLEAR, true},    {IDM_ENCRYPT_ADD, true},    {IDM_DECODE_ADD, true},
      {IDM_OPTIONS, true},         {IDM_SETUP, true},          {IDM_HELP_ON_HELP, true},
      {IDM_WEB_SITE, true},
  };
  for (const Expectation& e : states) EXPECT_EQ(MenuEnabled(e.id), e.enabled) << e.id;
  EXPECT_EQ(ButtonState(IDM_DECODE_REMOVE), TBSTATE_ENABLED);
  EXPECT_EQ(ButtonState(IDM_ENCRYPT_REMOVE), TBSTATE_INDETERMINATE);
  EXPECT_EQ(ColumnTitle(decode_), "Files for Decoding: 2");
  EXPECT_EQ(ColumnTitle(encrypt_), "Files for Encryption");

  // Check marks and the pressed "Always On Top" button follow the options.
  for (LONG on : {1, 0}) {
    options_.Status = options_.ToolBar = options_.Hide = options_.TopMost = on;
    UpdateCommandStates(window_, &options_);
    for (UINT id : {IDM_STATUS_BAR, IDM_TOOL_BAR, IDM_MINIMIZE_ON_USE, IDM_TOPMOST}) {
      EXPECT_EQ(MenuChecked(id), on != 0) << id;
    }
    EXPECT_EQ((ButtonState(IDM_TOPMOST) & TBSTATE_CHECKED) != 0, on != 0);
    EXPECT_TRUE(ButtonState(IDM_TOPMOST) & TBSTATE_ENABLED);
  }

  // The help commands need a help file.
  const std::string helpFile = App().paths.helpFile;
  for (const char* help : {"", "C:\\orvane.hlp"}) {
    lstrcpyA(App().paths.helpFile, help);
    UpdateCommandStates(window_, &options_);
    EXPECT_EQ(MenuEnabled(IDM_HELP_CONTENTS), help[0] != '\0');
    EXPECT_EQ(MenuEnabled(IDM_HELP_SEARCH), help[0] != '\0');
  }
  lstrcpyA(App().paths.helpFile, helpFile.c_str());
}

// ---- Files named by a switch or handed over by another start ---------------

// Files of a switch take the route of dropped files: the switch's list, or
// for /add the list of each file's kind, with the same refusals and boxes,
// and the status line of a drop.
TEST_F(FileListsTest, SwitchedFilesTakeTheRouteOfDroppedFiles) {
  const std::string plain = files_.MakeFile("plain.doc", "text");
  const std::string other = files_.MakeFile("other.txt", "more");
  const std::string encrypted = files_.MakeFile("sealed.(=doc=)", EncryptedBytes());
  const std::string missing = files_.Path("gone.txt");
  std::string upper = plain;
  CharUpperA(&upper[0]);
  const std::string alreadyEncrypted =
      "\r\rThis file has already been encrypted.\rIt will not be added to the encryption list";
  const std::string notEncrypted = "\r\rThis file has not been encrypted.\rIt will not be added to the decoding list";
  const std::string duplicate = "\r\rThis file is already in the conversion list.\rIt will not be added to the list";
  struct Box {
    const char* caption;
    std::string text;
  };
  struct Case {
    const char* name;
    std::string tail;
    std::vector<std::string> encryptList, decodeList;
    std::vector<Box> boxes;
    std::string status;
  };
  const Case cases[] = {
      {"encrypt", "/encrypt \"" + plain + "\" \"" + encrypted + "\"", {plain}, {},
       {{"Encrypted File", "File: " + encrypted + alreadyEncrypted}}, "1 file" + std::string(kAddedToEncryption)},
      {"decode, unquoted", "-DECODE " + encrypted + " " + plain, {}, {encrypted},
       {{"File Not Encrypted", "File: " + plain + notEncrypted}}, "1 file added to the decoding list ..."},
      {"add by kind", "/add \"" + plain + "\" \"" + encrypted + "\" \"" + missing + "\" \"" + other + "\"",
       {plain, other}, {encrypted}, {{"File Not Found", "File: " + missing + "\r\rFile not found."}},
       "2 files" + std::string(kAddedToEncryption)},
      // A file named twice, the second time in other letters' case.
      {"duplicate", "/encrypt \"" + plain + "\" \"" + upper + "\"", {plain}, {},
       {{"Duplicate File", "File: " + upper + duplicate}}, "1 file" + std::string(kAddedToEncryption)},
      {"add, the duplicate looked for in the list of its kind", "/add \"" + encrypted + "\" \"" + encrypted + "\"",
       {}, {encrypted}, {{"Duplicate File", "File: " + encrypted + duplicate}},
       "1 file added to the decoding list ..."},
      {"no files", "/add", {}, {}, {}, "0 files" + std::string(kAddedToEncryption)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SendMessageA(encrypt_, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(decode_, LVM_DELETEALLITEMS, 0, 0);
    DialogScript script;
    for (const Box& box : c.boxes) script.Expect(box.caption, Answer(box.text, IDOK));
    script.Run([&] {
      EXPECT_EQ(ReadCommandLine(c.tail.c_str(), &options_), 1);
      PumpMessages(100);
      return 0;
    });
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(Paths(encrypt_), c.encryptList);
    EXPECT_EQ(Paths(decode_), c.decodeList);
    EXPECT_EQ(StatusText(), c.status);
    // A switch keeps the command line's path out of "FileSpec".
    EXPECT_STREQ(options_.FileSpec, "");
  }
}

// A relative name is made full against the folder of the start that named
// it: the copy that lists it may stand elsewhere.
TEST_F(FileListsTest, SwitchedRelativeNamesAreListedFull) {
  const std::string plain = files_.MakeFile("near.doc", "text");
  ASSERT_TRUE(SetCurrentDirectoryA(files_.Path("").c_str()));
  ASSERT_EQ(ReadCommandLine("/encrypt near.doc", &options_), 1);
  PumpMessages(100);
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{plain});
}

// Files wait while a run holds the lists or a box holds the window, and are
// listed once that is over, in the order they came.
TEST_F(FileListsTest, WaitingFilesWaitForTheRunAndForBoxes) {
  const std::string first = files_.MakeFile("first.doc", "text");
  const std::string second = files_.MakeFile("second.doc", "text");

  options_.Busy = kEncrypting;
  ASSERT_EQ(ReadCommandLine(("/encrypt " + first).c_str(), &options_), 1);
  PumpMessages(100);
  EXPECT_TRUE(Paths(encrypt_).empty());
  options_.Busy = kIdle;
  PostWaitingFiles();  // as the run's end does
  PumpMessages(100);
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{first});

  EnableWindow(window_, FALSE);
  ASSERT_EQ(ReadCommandLine(("/encrypt " + second).c_str(), &options_), 1);
  PumpMessages(100);
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{first});
  EnableWindow(window_, TRUE);
  PumpMessages(100);
  EXPECT_EQ(Paths(encrypt_), (std::vector<std::string>{first, second}));
}

// The hand-off window takes a block from another process only whole and
// well formed; what it takes is listed.
TEST_F(FileListsTest, HandOffWindowTakesOnlyWellFormedBlocks) {
  ASSERT_EQ(OpenHandOffWindow(GetModuleHandleA(nullptr)), 1);
  HWND receiver = FindWindowA(kHandOffClass, nullptr);
  ASSERT_NE(receiver, nullptr);
  EXPECT_FALSE(IsWindowVisible(receiver));
  const std::string plain = files_.MakeFile("handed.doc", "text");
  auto send = [&](ULONG_PTR tag, std::string block) {
    COPYDATASTRUCT data = {tag, static_cast<DWORD>(block.size()), block.empty() ? nullptr : &block[0]};
    return SendMessageA(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  };
  const std::string good = "E" + plain + std::string(2, '\0');
  EXPECT_EQ(send(0x12345678, good), FALSE);                          // another program's block
  EXPECT_EQ(send(0x4F525646, good.substr(0, good.size() - 1)), FALSE);  // cut short
  EXPECT_EQ(send(0x4F525646, ""), FALSE);
  PumpMessages(60);
  EXPECT_TRUE(Paths(encrypt_).empty());

  SwitchedFiles files;
  files.target = FileTarget::Encrypt;
  files.paths = {plain};
  EXPECT_EQ(HandFilesOver(receiver, files), 1);
  PumpMessages(100);
  EXPECT_EQ(Paths(encrypt_), std::vector<std::string>{plain});

  CloseHandOffWindow();
  EXPECT_EQ(FindWindowA(kHandOffClass, nullptr), nullptr);
}

}  // namespace
