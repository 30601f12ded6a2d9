// Conversion runs through the real main window: files dropped on a list,
// the Encrypt and Decode commands, the key typed into the real key dialog,
// files converted on disk and removed from the list, the status line, the
// log, a file that fails, Esc in the middle of a run, a cancelled key
// dialog, and a long file's progress in the caption.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/FileArrivals.h"
#include "app/ListCommands.h"
#include "app/ListEntries.h"
#include "app/RunConversion.h"
#include "engine/ConversionJob.h"
#include "engine/OperationLog.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/DropHandle.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr char kEncryptKeyTitle[] = " File Encryption Key";
constexpr char kDecodeKeyTitle[] = " File Decoding Key";
constexpr char kKey[] = "Harbour lights 7";

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Recognisable content of `size` bytes.
std::string Content(size_t size, char salt) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + salt) & 0xFF);
  return bytes;
}

// The names in `folder` that end in ".tmp".
std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

class RunConversionTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    RemoveLog();
  }
  void TearDown() override {
    RemoveLog();
    MainWindowFixture::TearDown();
  }

  static void RemoveLog() {
    LogWrite(0);
    const std::string log = App().paths.logFile;
    DeleteFileA(log.c_str());
    const size_t slash = log.rfind('\\');
    DeleteFileA((log.substr(0, slash + 1) + "Backup of " + log.substr(slash + 1)).c_str());
  }
  static std::string Log() { return ReadFileBytes(App().paths.logFile); }

  // Drops `paths` on the middle of list `id`, as the Explorer would.
  void Drop(int id, const std::vector<std::string>& paths) {
    RECT rect;
    GetWindowRect(List(id), &rect);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(window_, &point);
    SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropHandle(paths, point)), 0);
  }

  // Adds a step that types the key (and for encryption its confirmation)
  // into the key dialog and presses OK.
  static void TypeKey(DialogScript& script, const char* title) {
    script.Expect(title, [title](HWND dialog) {
      TypeInto(dialog, IDC_KEY_TEXT, kKey);
      if (std::string(title) == kEncryptKeyTitle) TypeInto(dialog, IDC_KEY_CONFIRM, kKey);
      PressButton(dialog, IDOK);
    });
  }

  // Runs `then` when the entry of `path` is first read from the encryption
  // list: in a run, the file's conversion begins. (The test's own look at
  // the list afterwards reads it again.)
  WindowSpy OnFileStart(const std::string& path, std::function<void()> then) {
    return WindowSpy(
        List(IDC_ENCRYPT_LIST),
        [path, then, done = false](UINT message, WPARAM, LPARAM lParam) mutable {
          if (done || message != LVM_GETITEMTEXTA) return;
          if (path != reinterpret_cast<const LVITEMA*>(lParam)->pszText) return;
          done = true;
          then();
        },
        WindowSpy::kAfter);
  }

  // Records every status text the status bar is given.
  std::vector<std::string> statusTexts_;
  void RecordStatus(UINT message, LPARAM lParam) {
    if (message == SB_SETTEXTA) statusTexts_.push_back(reinterpret_cast<const char*>(lParam));
  }
  bool StatusSeen(const std::string& text) const {
    for (const std::string& seen : statusTexts_) {
      if (seen == text) return true;
    }
    return false;
  }
};

// What a user does: drop two files on the encryption list, Encrypt, type the
// key twice; then drop the results on the decoding list, Decode, type the
// key once, and have the files back as they were.
TEST_F(RunConversionTest, FilesEncryptedAndDecodedThroughTheWindows) {
  TempFolder folder("run-full");
  const std::string report = folder.MakeFile("Report.doc", Content(70000, 1));
  const std::string notes = folder.MakeFile("notes.txt", Content(4096, 2));
  Drop(IDC_ENCRYPT_LIST, {report, notes});
  ASSERT_EQ(Listed(IDC_ENCRYPT_LIST), (std::vector<std::string>{report, notes}));
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT));

  // While the files convert: busy, and every list command greyed.
  struct Snapshot {
    LONG busy = -1;
    std::vector<UINT> enabled;
  } during;
  const UINT listCommands[] = {IDM_PROPERTIES, IDM_ENCRYPT,        IDM_ENCRYPT_ADD, IDM_ENCRYPT_REMOVE,
                               IDM_ENCRYPT_CLEAR, IDM_DECODE,      IDM_DECODE_ADD,  IDM_DECODE_REMOVE,
                               IDM_DECODE_CLEAR};
  WindowSpy statusSpy(App().statusBar, [&](UINT message, WPARAM, LPARAM lParam) { RecordStatus(message, lParam); });
  WindowSpy firstFile = OnFileStart(report, [&] {
    during.busy = options_.Busy;
    for (UINT id : listCommands) {
      if (MenuEnabled(id)) during.enabled.push_back(id);
    }
    for (UINT id : {IDM_ENCRYPT, IDM_ENCRYPT_ADD, IDM_DECODE_ADD, IDM_PROPERTIES}) {
      if (ButtonEnabled(id)) during.enabled.push_back(id + 10000);
    }
  });

  DialogScript encryption;
  TypeKey(encryption, kEncryptKeyTitle);
  encryption.Run([&] { return Command(IDM_ENCRYPT); });
  ASSERT_TRUE(encryption.Passed()) << encryption.Report();

  const std::string encryptedReport = folder.Path("Report.(=doc=)");
  const std::string encryptedNotes = folder.Path("notes.(=txt=)");
  EXPECT_EQ(during.busy, kEncrypting);
  EXPECT_TRUE(during.enabled.empty()) << "enabled while busy: " << during.enabled.front();
  EXPECT_EQ(options_.Busy, kIdle);
  EXPECT_TRUE(Listed(IDC_ENCRYPT_LIST).empty());
  EXPECT_FALSE(Exists(report));  // "Cleanup" is on by default
  EXPECT_FALSE(Exists(notes));
  EXPECT_TRUE(Exists(encryptedReport));
  EXPECT_TRUE(Exists(encryptedNotes));
  EXPECT_EQ(StatusText(), "2 files successfully encrpyted ...");
  EXPECT_TRUE(StatusSeen("File encryption underway, press ESC to cancel..."));
  EXPECT_FALSE(MenuEnabled(IDM_ENCRYPT));
  EXPECT_TRUE(MenuEnabled(IDM_ENCRYPT_ADD));

  const std::string log = Log();
  const std::string rule(75, '=');
  const std::string lines[] = {"\r\n\r\nFile Encryption begun on ",
                               rule + "\r\n",
                               "\r\n" + report + " encryption underway...\r\n",
                               report + " encryption completed\r\n",
                               notes + " encryption completed\r\n",
                               "\r\nFile Encryption stopped on "};
  for (const std::string& line : lines) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  }
  EXPECT_LT(log.find("begun on"), log.find(report + " encryption underway"));
  EXPECT_LT(log.find(notes + " encryption completed"), log.find("stopped on"));

  Drop(IDC_DECODE_LIST, {encryptedReport, encryptedNotes});
  ASSERT_EQ(Listed(IDC_DECODE_LIST).size(), 2u);
  DialogScript decoding;
  TypeKey(decoding, kDecodeKeyTitle);
  decoding.Run([&] { return Command(IDM_DECODE); });
  ASSERT_TRUE(decoding.Passed()) << decoding.Report();
  EXPECT_TRUE(Listed(IDC_DECODE_LIST).empty());
  EXPECT_EQ(ReadFileBytes(report), Content(70000, 1));
  EXPECT_EQ(ReadFileBytes(notes), Content(4096, 2));
  EXPECT_FALSE(Exists(encryptedReport));
  EXPECT_EQ(StatusText(), "2 files successfully decoded ...");
  EXPECT_NE(Log().find("\r\nFile Decoding stopped on "), std::string::npos);
}

// Three files, the second write-protected: its message is shown, it stays
// listed at the top, the other two are converted and counted.
TEST_F(RunConversionTest, FileThatFailsKeepsItsPlaceAndTheRunGoesOn) {
  TempFolder folder("run-failure");
  const std::string first = folder.MakeFile("first.txt", Content(5000, 3));
  const std::string second = folder.MakeFile("second.txt", Content(5000, 4));
  const std::string third = folder.MakeFile("third.txt", Content(5000, 5));
  for (const std::string& path : {first, second, third}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());
  SetFileAttributesA(second.c_str(), FILE_ATTRIBUTE_READONLY);

  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  script.Expect("Orvane", [&](HWND box) {
    // Behind the box the list is up to date: the first file has gone.
    EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), (std::vector<std::string>{second, third}));
    EXPECT_EQ(ItemText(box, IDC_BOX_TEXT), "File: " + second +
                                               "\r\rThis file is write-protected on the disk.\rPlease unlock the file "
                                               "before converting it.");
    PressButton(box, IDOK);
  });
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(result, 1);
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{second});
  EXPECT_EQ(ReadFileBytes(second), Content(5000, 4));
  EXPECT_TRUE(Exists(folder.Path("first.(=txt=)")));
  EXPECT_TRUE(Exists(folder.Path("third.(=txt=)")));
  EXPECT_FALSE(Exists(folder.Path("second.(=txt=)")));
  EXPECT_EQ(StatusText(), "2 files successfully encrpyted ...");
}

// Many quick files, one of them write-protected: the run shows its pictures
// only now and then, yet behind the failure box the list holds exactly the
// entries not yet converted, its caption counts them, the failed file is in
// view and the status line names it.
TEST_F(RunConversionTest, AFailureBoxAmongManyQuickFilesShowsTheListWithExactlyTheConvertedEntriesRemoved) {
  TempFolder folder("run-many-failure");
  std::vector<std::string> files;
  for (int i = 0; i < 60; ++i) {
    files.push_back(folder.MakeFile("file" + std::to_string(100 + i) + ".txt", Content(4096, i)));
    AddListedFile(List(IDC_ENCRYPT_LIST), files.back().c_str());
  }
  constexpr int kFailing = 41;
  SetFileAttributesA(files[kFailing].c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<std::string> notYetConverted(files.begin() + kFailing, files.end());

  std::string caption;
  std::string status;
  bool failedInView = false;
  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  script.Expect("Orvane", [&](HWND box) {
    EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), notYetConverted);
    char text[64] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    SendMessageA(List(IDC_ENCRYPT_LIST), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    caption = text;
    status = StatusText();
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    RECT area;
    SendMessageA(List(IDC_ENCRYPT_LIST), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    GetClientRect(List(IDC_ENCRYPT_LIST), &area);
    failedInView = row.top >= 0 && row.bottom <= area.bottom;
    PressButton(box, IDOK);
  });
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(caption, "Files for Encryption: " + std::to_string(notYetConverted.size()));
  EXPECT_EQ(status, "Encrypting " + files[kFailing] + " ...");
  EXPECT_TRUE(failedInView);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{files[kFailing]});
  EXPECT_EQ(StatusText(), "59 files successfully encrpyted ...");
  for (int i = 0; i < 60; ++i) {
    if (i == kFailing) continue;
    EXPECT_FALSE(Exists(files[i])) << files[i];
  }
}

// Esc pressed while the second of three files converts: the first is done,
// the second is left as it was and stays listed with the third. "Hide"
// keeps the window minimized during the run, also one that is cancelled.
TEST_F(RunConversionTest, EscDuringTheSecondFileStopsTheRun) {
  TempFolder folder("run-escape");
  const std::string first = folder.MakeFile("first.txt", Content(300000, 6));
  const std::string second = folder.MakeFile("second.txt", Content(300000, 7));
  const std::string third = folder.MakeFile("third.txt", Content(300000, 8));
  for (const std::string& path : {first, second, third}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());
  options_.Hide = 1;

  bool minimized = false;
  WindowSpy statusSpy(App().statusBar, [&](UINT message, WPARAM, LPARAM lParam) { RecordStatus(message, lParam); });
  WindowSpy secondStarts = OnFileStart(second, [&] {
    minimized = IsIconic(window_) != 0;
    PostMessageA(List(IDC_ENCRYPT_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(minimized);
  EXPECT_FALSE(IsIconic(window_));
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), (std::vector<std::string>{second, third}));
  EXPECT_TRUE(Exists(folder.Path("first.(=txt=)")));
  EXPECT_EQ(ReadFileBytes(second), Content(300000, 7));
  EXPECT_EQ(ReadFileBytes(third), Content(300000, 8));
  EXPECT_TRUE(TemporaryFiles(folder.Folder()).empty());
  EXPECT_TRUE(StatusSeen("Encrypting of " + second + " canceled"));
  EXPECT_FALSE(StatusSeen("Encrypting " + third + " ..."));
  EXPECT_EQ(StatusText(), "1 file successfully encrpyted ...");
  EXPECT_NE(Log().find("File Encryption stopped on "), std::string::npos);
  EXPECT_EQ(options_.Busy, kIdle);
}

// A failure box closed with Esc leaves the key's release in the queue of the
// window under it; the next file must not take it for a cancel.
TEST_F(RunConversionTest, EscClosingAFailureBoxLetsTheRunGoOn) {
  TempFolder folder("run-box-escape");
  const std::string first = folder.MakeFile("first.txt", Content(5000, 3));
  const std::string second = folder.MakeFile("second.txt", Content(300000, 4));
  const std::string third = folder.MakeFile("third.txt", Content(5000, 5));
  for (const std::string& path : {first, second, third}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());
  SetFileAttributesA(first.c_str(), FILE_ATTRIBUTE_READONLY);

  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  script.Expect("Orvane", [&](HWND box) {
    PressButton(box, IDOK);
    // Esc went down in the box and comes up in the list behind it.
    PostMessageA(List(IDC_ENCRYPT_LIST), WM_KEYUP, VK_ESCAPE, 0xC0010001);
  });
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(result, 1);
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), std::vector<std::string>{first});
  EXPECT_TRUE(Exists(folder.Path("second.(=txt=)")));
  EXPECT_TRUE(Exists(folder.Path("third.(=txt=)")));
  EXPECT_EQ(StatusText(), "2 files successfully encrpyted ...");
  SetFileAttributesA(first.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Keys held down or typed during a run pile up faster than a look every
// 50 ms could take them one by one: each look takes them all, an Esc behind
// them cancels at once, and none is left to act after the run.
TEST_F(RunConversionTest, ABurstOfKeysDuringARunIsTakenAndAnEscBehindItIsSeen) {
  TempFolder folder("run-key-burst");
  const std::string first = folder.MakeFile("first.txt", Content(300000, 6));
  const std::string second = folder.MakeFile("second.txt", Content(300000, 7));
  for (const std::string& path : {first, second}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());

  WindowSpy statusSpy(App().statusBar, [&](UINT message, WPARAM, LPARAM lParam) { RecordStatus(message, lParam); });
  WindowSpy firstStarts = OnFileStart(first, [&] {
    for (int i = 0; i < 400; ++i) PostMessageA(List(IDC_ENCRYPT_LIST), WM_KEYDOWN, VK_DELETE, 0x00530001);
    PostMessageA(List(IDC_ENCRYPT_LIST), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(result, 0);  // nothing was converted
  EXPECT_TRUE(StatusSeen("Encrypting of " + first + " canceled"));
  EXPECT_EQ(Listed(IDC_ENCRYPT_LIST), (std::vector<std::string>{first, second}));
  EXPECT_EQ(ReadFileBytes(first), Content(300000, 6));
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, window_, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) << "a key outlived the run";
}

// A quick file followed by a long one: while the long file shows its
// progress, the quick one has already left the list.
TEST_F(RunConversionTest, AQuickFileHasLeftTheListWhileTheNextLongFileGoesOn) {
  TempFolder folder("run-quick-long");
  const std::string quick = folder.MakeFile("quick.txt", Content(3000, 1));
  const std::string slow = folder.MakeFile("slow.txt", Content(3 << 20, 2));
  for (const std::string& path : {quick, slow}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());

  std::vector<std::vector<std::string>> listedAtProgress;
  std::vector<std::string> titleAtProgress;
  WindowSpy captionSpy(window_, [&](UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_SETTEXT && std::string(reinterpret_cast<const char*>(lParam)).find("% - Orvane") !=
                                     std::string::npos) {
      listedAtProgress.push_back(Listed(IDC_ENCRYPT_LIST));
      char title[kPathSize] = "";
      LVCOLUMNA column = {};
      column.mask = LVCF_TEXT;
      column.pszText = title;
      column.cchTextMax = sizeof title;
      SendMessageA(List(IDC_ENCRYPT_LIST), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
      titleAtProgress.push_back(title);
    }
  });
  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  const int result = script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); });
  ASSERT_TRUE(script.Passed()) << script.Report();

  EXPECT_EQ(result, 1);
  ASSERT_FALSE(listedAtProgress.empty()) << "the long file showed no progress";
  for (const auto& listed : listedAtProgress) EXPECT_EQ(listed, std::vector<std::string>{slow});
  // The list's caption counts what is listed.
  for (const auto& title : titleAtProgress) EXPECT_EQ(title, "Files for Encryption: 1");
  EXPECT_TRUE(Listed(IDC_ENCRYPT_LIST).empty());
}

// A cancelled key dialog: no run at all. An empty list: the key is still
// asked and the count is 0.
TEST_F(RunConversionTest, CancelledKeyDialogWritesNothingAndAnEmptyListCountsNothing) {
  TempFolder folder("run-cancel");
  const std::string file = folder.MakeFile("letter.txt", Content(4096, 9));
  AddListedFile(List(IDC_DECODE_LIST), file.c_str());  // listed, whatever it holds
  WindowSpy statusSpy(App().statusBar, [&](UINT message, WPARAM, LPARAM lParam) { RecordStatus(message, lParam); });

  DialogScript cancelled;
  cancelled.Expect(kDecodeKeyTitle, [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  const int result = cancelled.Run([&] { return RunConversion(window_, kRunDecode, &options_); });
  ASSERT_TRUE(cancelled.Passed()) << cancelled.Report();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(StatusSeen("File decoding underway, press ESC to cancel..."));
  EXPECT_EQ(StatusText(), "Specify the file decoding key");
  EXPECT_FALSE(Exists(App().paths.logFile));
  EXPECT_EQ(Listed(IDC_DECODE_LIST), std::vector<std::string>{file});
  EXPECT_EQ(ReadFileBytes(file), Content(4096, 9));
  EXPECT_EQ(options_.Busy, kIdle);

  DialogScript empty;
  TypeKey(empty, kEncryptKeyTitle);
  EXPECT_EQ(empty.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); }), 0);
  ASSERT_TRUE(empty.Passed()) << empty.Report();
  EXPECT_EQ(StatusText(), "0 files successfully encrpyted ...");
  EXPECT_NE(Log().find("File Encryption stopped on "), std::string::npos);
}

// A file of several runs shows its progress in the caption, and what needs
// painting is painted while it converts; the caption is the program's own
// again once the file is done.
TEST_F(RunConversionTest, LongFileShowsItsProgressInTheCaptionAndRepaints) {
  TempFolder folder("run-progress");
  const std::string file = folder.MakeFile("archive.dat", Content(3 * 1024 * 1024, 10));
  AddListedFile(List(IDC_ENCRYPT_LIST), file.c_str());
  options_.Cleanup = 0;

  std::vector<std::string> captions;
  bool invalidated = false;
  bool paintedMeanwhile = false;
  HWND list = List(IDC_ENCRYPT_LIST);
  WindowSpy captionSpy(window_, [&](UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_SETTEXT) return;
    captions.push_back(reinterpret_cast<const char*>(lParam));
    // Something to paint, as when another window moves off this one.
    if (captions.back() != "Orvane" && !invalidated) {
      invalidated = true;
      InvalidateRect(list, nullptr, TRUE);
    }
  });
  WindowSpy listSpy(list, [&](UINT message, WPARAM, LPARAM) {
    if (message == WM_PAINT && invalidated && options_.Busy) paintedMeanwhile = true;
  });

  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  ASSERT_EQ(script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); }), 1);
  ASSERT_TRUE(script.Passed()) << script.Report();

  ASSERT_GE(captions.size(), 2u);
  unsigned percent = 0;
  char rest[64] = "";
  ASSERT_EQ(std::sscanf(captions.front().c_str(), "%u%% - %63[^\n]", &percent, rest), 2) << captions.front();
  EXPECT_STREQ(rest, "Orvane");
  EXPECT_GT(percent, 0u);
  EXPECT_LT(percent, 100u);
  EXPECT_EQ(captions.back(), "Orvane");
  EXPECT_EQ(WindowText(window_), "Orvane");
  EXPECT_TRUE(paintedMeanwhile);
}

// A log-off asked while a run holds the window is refused without a
// question; the run finishes and the window stays.
TEST_F(RunConversionTest, LogOffDuringARunIsRefused) {
  TempFolder folder("run-logoff");
  const std::string first = folder.MakeFile("first.txt", Content(4096, 11));
  const std::string second = folder.MakeFile("second.txt", Content(4096, 12));
  for (const std::string& path : {first, second}) AddListedFile(List(IDC_ENCRYPT_LIST), path.c_str());
  LRESULT answer = -1;
  WindowSpy secondStarts =
      OnFileStart(second, [&] { answer = SendMessageA(window_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); });
  DialogScript script;
  TypeKey(script, kEncryptKeyTitle);
  EXPECT_EQ(script.Run([&] { return RunConversion(window_, kRunEncrypt, &options_); }), 1);
  ASSERT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(Listed(IDC_ENCRYPT_LIST).empty());
  EXPECT_EQ(StatusText(), "2 files successfully encrpyted ...");
}

}  // namespace
