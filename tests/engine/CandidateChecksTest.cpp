// The candidate checks on real files: each refusal with its message read
// from the box, the same refusal silent under its warning switch, and the
// sorting of accepted files by their header.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/CandidateChecks.h"
#include "engine/FileAccess.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"

namespace {

class CandidateChecksTest : public testing::Test {
 protected:
  CandidateChecksTest() : files_("orvane-candidates") {}

  // Runs CheckCandidate expecting no box at all.
  int CheckSilently(const std::string& path) {
    DialogScript script;
    const int result = script.Run([&] { return CheckCandidate(nullptr, path.c_str(), options_); });
    EXPECT_TRUE(script.Passed()) << path << ": " << script.Report();
    return result;
  }

  // Runs CheckCandidate expecting one box with `caption`; returns its text.
  std::string CheckReported(const std::string& path, const char* caption, int expectedResult) {
    std::string text;
    DialogScript script;
    script.Expect(caption, [&](HWND box) {
      text = ItemText(box, 101);
      PressButton(box, IDOK);
    });
    EXPECT_EQ(script.Run([&] { return CheckCandidate(nullptr, path.c_str(), options_); }), expectedResult) << path;
    EXPECT_TRUE(script.Passed()) << path << ": " << script.Report();
    return text;
  }

  TempFolder files_;
  ProgramOptions options_ = {};
};

TEST_F(CandidateChecksTest, RefusalsReportUnlessTheirSwitchIsSet) {
  const std::string readOnly = files_.MakeFile("locked.txt", "locked");
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  files_.MakeFolder("My.Files");
  files_.MakeFile("report.tmp", "left over");

  struct Case {
    std::string path;
    WarningIndex warning;
    const char* caption;
    std::string text;
  };
  const std::string folder = files_.MakeFolder("Sub.dir");
  const std::string missing = files_.Path("missing.txt");
  const std::string tmp = files_.MakeFile("scratch.tmp", "x");
  const std::string upperTmp = files_.MakeFile("SCRATCH2.TMP", "x");
  const std::string taken = files_.MakeFile("report.doc", "x");
  const std::string bare = files_.MakeFile("readme", "x");
  // The dot of the folder name is no extension.
  const std::string dottedFolder = files_.MakeFile("My.Files\\readme", "x");
  const Case cases[] = {
      {missing, kWarnFileNotFound, "File Not Found", "File: " + missing + "\r\rFile not found."},
      {folder, kWarnFolderType, "Orvane",
       "Folder: " + folder +
           "\r\rOrvane cannot convert entire directories\rPlease select individual files to be converted."},
      {readOnly, kWarnLockedFile, "Orvane",
       "File: " + readOnly +
           "\r\rThis file is write-protected on the disk.\rPlease unlock the file before converting it."},
      {tmp, kWarnTempFile, "Orvane",
       "File: " + tmp + "\r\rOrvane cannot convert temporary files\rthat use the 'tmp' file name extension"},
      {upperTmp, kWarnTempFile, "Orvane",
       "File: " + upperTmp + "\r\rOrvane cannot convert temporary files\rthat use the 'tmp' file name extension"},
      {taken, kWarnTempFile, "Orvane",
       "File: " + taken + "\r\rCannot be converted because a 'tmp' file already exists.\r\rTemp: " +
           files_.Path("report.tmp")},
      {bare, kWarnMissingExt, "Orvane",
       "File: " + bare + "\r\rOrvane cannot convert files that don't have an extension"},
      {dottedFolder, kWarnMissingExt, "Orvane",
       "File: " + dottedFolder + "\r\rOrvane cannot convert files that don't have an extension"},
  };
  for (const Case& c : cases) {
    options_ = {};
    EXPECT_EQ(CheckReported(c.path, c.caption, kCandidateRefused), c.text);
    options_.Warnings[c.warning] = 1;
    EXPECT_EQ(CheckSilently(c.path), kCandidateRefused) << c.path;
  }
}

TEST_F(CandidateChecksTest, EveryOtherSwitchLeavesTheMessage) {
  const std::string folder = files_.MakeFolder("Sub.dir");
  for (int i = 0; i < kWarningCount; ++i) options_.Warnings[i] = i == kWarnFolderType ? 0 : 1;
  EXPECT_NE(CheckReported(folder, "Orvane", kCandidateRefused), "");
}

TEST_F(CandidateChecksTest, AFileOpenElsewhereIsAlwaysReported) {
  const std::string path = files_.MakeFile("busy.txt", "in use");
  HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  for (LONG& warning : options_.Warnings) warning = 1;
  EXPECT_EQ(CheckReported(path, "Orvane", kCandidateRefused),
            "File: " + path + "\r\rError detected opening this disk file\r\rCode 32");
  CloseHandle(holder);
  EXPECT_EQ(CheckSilently(path), kCandidatePlain);
}

TEST_F(CandidateChecksTest, SortsByTheHeaderOfTheFirst276Bytes) {
  struct Case {
    const char* name;
    std::string bytes;
    int result;
  };
  const Case cases[] = {
      {"plain.txt", std::string(10, 'p'), kCandidatePlain},
      {"empty.txt", "", kCandidatePlain},
      {"current.(=txt=)", "OrvaneHdrBlk" + std::string(288, '\0'), kCandidateEncrypted},
      {"earlier.(=txt=)", "OrvaneHeader" + std::string(264, 'e'), kCandidateEncrypted},
      // Shorter than a header: not encrypted, signature or not.
      {"short.(=txt=)", "OrvaneHdrBlk" + std::string(188, '\0'), kCandidatePlain},
      {"tiny.(=txt=)", "OrvaneHdrBlk" + std::string(88, '\0'), kCandidatePlain},
      {"just-short.(=txt=)", "OrvaneHdrBlk" + std::string(263, '\0'), kCandidatePlain},
      {"near-miss.txt", "OrvaneHdrBlx" + std::string(288, '\0'), kCandidatePlain},
      {"lower.txt", "orvanehdrblk" + std::string(288, '\0'), kCandidatePlain},
      {"archive.tar.gz", std::string(300, 'a'), kCandidatePlain},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSilently(files_.MakeFile(c.name, c.bytes)), c.result) << c.name;
  }
  // Nothing was written to the files.
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(files_.Path("current.(=txt=)").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 300u);
}

TEST_F(CandidateChecksTest, FolderReadOnlyAndTempNameQueries) {
  const std::string folder = files_.MakeFolder("Sub.dir");
  const std::string plain = files_.MakeFile("plain.doc", "x");
  const std::string locked = files_.MakeFile("locked.doc", "x");
  ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string missing = files_.Path("missing.doc");

  EXPECT_EQ(IsFolder(nullptr, folder.c_str(), options_), 1);
  EXPECT_EQ(IsFolder(nullptr, plain.c_str(), options_), 0);
  EXPECT_EQ(IsFolder(nullptr, missing.c_str(), options_), 0);
  EXPECT_EQ(IsReadOnly(nullptr, locked.c_str(), options_), 1);
  EXPECT_EQ(IsReadOnly(nullptr, plain.c_str(), options_), 0);
  EXPECT_EQ(IsReadOnly(nullptr, missing.c_str(), options_), 0);

  DialogScript quiet;
  EXPECT_EQ(quiet.Run([&] { return TempNameFree(nullptr, plain.c_str(), options_); }), 1);
  EXPECT_TRUE(quiet.Passed()) << quiet.Report();

  files_.MakeFile("plain.tmp", "x");
  std::string text;
  DialogScript taken;
  taken.Expect("Orvane", [&](HWND box) {
    text = ItemText(box, 101);
    PressButton(box, IDOK);
  });
  EXPECT_EQ(taken.Run([&] { return TempNameFree(nullptr, plain.c_str(), options_); }), 0);
  EXPECT_TRUE(taken.Passed()) << taken.Report();
  EXPECT_EQ(text, "File: " + plain + "\r\rCannot be converted because a 'tmp' file already exists.\r\rTemp: " +
                      files_.Path("plain.tmp"));
}

// The 8-bit spelling of a 16-bit name, as the system gives it to the
// program: "?" for a character beyond the code page, or a best-fit letter.
std::string EightBit(const std::wstring& name) {
  char text[MAX_PATH] = "";
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, text, sizeof text, nullptr, nullptr);
  return text;
}

// A file whose name the code page cannot spell reaches the checks as the
// system spells it for the program: with a "?" per such character (the
// add-files dialog), or with best-fit letters. Either way the user is told
// to rename the file, whatever the warning switches, instead of being told
// of an error code or that the file does not exist.
TEST_F(CandidateChecksTest, ANameTheCodePageCannotSpellIsRefusedWithAPlainMessage) {
  for (LONG& warning : options_.Warnings) warning = 1;
  const std::wstring cjk = L"\u5831\u544A.txt";
  const std::wstring accented = L"\u0141\u00F3d\u017A.doc";
  const std::wstring cjkPath = files_.MakeWideFile(cjk, "report");
  const std::wstring accentedPath = files_.MakeWideFile(accented, "letter");
  ASSERT_EQ(EightBit(cjk), "??.txt");
  ASSERT_EQ(EightBit(accented).find('?'), std::string::npos) << EightBit(accented);
  // Alone, and within a drop's (or the add-files dialog's) folder listings.
  for (const bool listed : {false, true}) {
    SCOPED_TRACE(listed ? "with folder listings" : "without folder listings");
    std::unique_ptr<FolderListings> listings(listed ? new FolderListings : nullptr);
    for (const std::string& name : {EightBit(cjk), EightBit(accented), std::string("*.txt")}) {
      const std::string path = files_.Path(name);
      EXPECT_EQ(CheckReported(path, "Orvane", kCandidateRefused),
                "File: " + path + "\r\rThe name of this file has characters that Orvane\rcannot use. Please rename "
                                  "the file before\rconverting it.");
    }
    // A name that is really not there stays a missing file (silenced here).
    EXPECT_EQ(CheckSilently(files_.Path("missing.doc")), kCandidateRefused);
  }
  DeleteFileW(cjkPath.c_str());
  DeleteFileW(accentedPath.c_str());
}

// ---- The folder listings of a drop -----------------------------------------

// What a look-up says of a path: there or not, and the entry found.
struct LookUp {
  bool exists = false;
  DWORD attributes = 0;
  DWORD size = 0;
  FILETIME written = {};
  bool operator==(const LookUp& other) const {
    return exists == other.exists && attributes == other.attributes && size == other.size &&
           CompareFileTime(&written, &other.written) == 0;
  }
};

std::ostream& operator<<(std::ostream& out, const LookUp& l) {
  return out << (l.exists ? "found, attributes " + std::to_string(l.attributes) + ", size " + std::to_string(l.size)
                          : std::string("not found"));
}

LookUp FromEntry(bool exists, const WIN32_FIND_DATAA& found) {
  LookUp result;
  if (!exists) return result;
  result.exists = true;
  result.attributes = found.dwFileAttributes;
  result.size = found.nFileSizeLow;
  result.written = found.ftLastWriteTime;
  return result;
}

// The system's own answer: one directory search for the path.
LookUp Direct(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return FromEntry(search != INVALID_HANDLE_VALUE, found);
}

// The program's look-ups, which must all agree with the entry they find.
LookUp Program(const std::string& path) {
  WIN32_FIND_DATAA found;
  const LookUp result = FromEntry(FindFileEntry(path.c_str(), found), found);
  EXPECT_EQ(FileExists(path.c_str()), result.exists) << path;
  EXPECT_EQ(FileIsFolder(path.c_str()), (result.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) << path;
  EXPECT_EQ(FileIsReadOnly(path.c_str()), (result.attributes & FILE_ATTRIBUTE_READONLY) != 0) << path;
  EXPECT_EQ(FileIsWritable(path.c_str()), result.exists && !(result.attributes & FILE_ATTRIBUTE_READONLY)) << path;
  return result;
}

// During a drop the look-ups answer from a listing of each folder; every
// answer must be the one the system gives for that name, also where the
// listing shows two names equal in capitals, where it shows a name by a
// spelling that does not find the file, and where it ended early.
TEST(FolderListingsTest, EveryAnswerIsTheDirectSearchsAnswer) {
  // Names equal but for their case, made by the test command (case-twins.sh).
  const std::string folder = FolderBesideTests(ORVANE_CASE_TWINS_FROM_TESTS);
  ASSERT_NE(GetFileAttributesA((folder + "notes.txt").c_str()), INVALID_FILE_ATTRIBUTES)
      << folder << " is made by the test command (case-twins.sh)";
  auto path = [&](const std::string& name) { return folder + name; };
  HANDLE plain = CreateFileA(path("plain.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(plain, INVALID_HANDLE_VALUE);
  CloseHandle(plain);
  // A name beyond the code page: the 8-bit listing shows it by a best-fit
  // spelling, by which the system does not find it.
  const std::wstring wideName = L"\u0141\u00F3d\u017A.doc";
  std::wstring widePath(folder.size() + 1, L'\0');
  widePath.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, &widePath[0], static_cast<int>(widePath.size())) - 1));
  widePath += wideName;
  HANDLE wide = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(wide, INVALID_HANDLE_VALUE);
  CloseHandle(wide);
  char standIn[MAX_PATH] = "";
  WideCharToMultiByte(CP_ACP, 0, wideName.c_str(), -1, standIn, sizeof standIn, nullptr, nullptr);
  ASSERT_EQ(std::string(standIn).find('?'), std::string::npos) << standIn;

  struct Case {
    std::string name;
    bool exists, folder, readOnly;  // what the system says, checked first
  };
  const Case cases[] = {
      {"Notes.txt", true, true, false},  {"notes.txt", true, false, false},
      {"Report.doc", true, false, false}, {"report.doc", true, false, true},
      {standIn, false, false, false},     {"plain.txt", true, false, false},
      {"PLAIN.TXT", true, false, false},  {"missing.txt", false, false, false},
  };
  for (const Case& c : cases) {
    const LookUp direct = Direct(path(c.name));
    ASSERT_EQ(direct.exists, c.exists) << c.name;
    ASSERT_EQ((direct.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, c.folder) << c.name;
    ASSERT_EQ((direct.attributes & FILE_ATTRIBUTE_READONLY) != 0, c.readOnly) << c.name;
  }
  // A listing ended by an entry that failed, at the start and in the middle.
  for (const int fault : {-1, 1, 4}) {
    SCOPED_TRACE("listing ends after " + std::to_string(fault) + " entries");
    SetListingFaultForTest(fault, ERROR_FILENAME_EXCED_RANGE);
    FolderListings listings;
    for (const Case& c : cases) EXPECT_EQ(Program(path(c.name)), Direct(path(c.name))) << c.name;
  }
  SetListingFaultForTest(-1, NO_ERROR);
  DeleteFileW(widePath.c_str());
}

}  // namespace
