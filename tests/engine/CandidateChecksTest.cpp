// The candidate checks on real files: each refusal with its message read
// from the box, the same refusal silent under its warning switch, and the
// sorting of accepted files by their header.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/CandidateChecks.h"
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

}  // namespace
