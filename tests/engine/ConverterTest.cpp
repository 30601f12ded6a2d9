// EncryptFile and DecodeFile on real files under Wine: round trips checked
// against an encryption computed from the format's rules, every refusal with
// its box and the files left as they were, cancelling, the names of results,
// the clearing of the plain file, and the registered file type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/AppContext.h"
#include "engine/Converters.h"
#include "core/KeyHash.h"
#include "engine/OperationLog.h"
#include "tests/engine/ConverterFixture.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TempFolder.h"

namespace {

// Byte strings can be long: say where they differ instead of printing them.
testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                     << ", first difference at byte " << at;
}

std::string NotFound(const std::string& path) { return "File: " + path + "\r\rFile not found."; }
std::string Locked(const std::string& path) {
  return "File: " + path + "\r\rThis file is write-protected on the disk.\rPlease unlock the file before converting it.";
}
std::string TooLarge(const std::string& path) { return "File: " + path + "\r\rThis file is too large to convert"; }
std::string BadExtension(const std::string& path) {
  return "File: " + path + "\r\rThe header of this file holds an invalid file name extension.\rThe file cannot be decoded.";
}
std::string NameTooLong(const std::string& path) {
  return "File: " + path +
         "\r\rThe name of the converted file would be longer than 255 characters.\rPlease give this file a shorter name.";
}

struct RoundTripCase {
  size_t size;
  bool cleanup;
};

class RoundTrip : public ConverterTest, public testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, EncryptsByTheFormatAndDecodesBack) {
  const RoundTripCase param = GetParam();
  options.Cleanup = param.cleanup;
  const std::string plainPath = In("Report.doc");
  const std::string encryptedPath = In("Report.(=doc=)");
  const std::string plain = Pattern(param.size, static_cast<unsigned>(param.size));
  WriteBytes(plainPath, plain);

  ASSERT_EQ(Encrypt(plainPath), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), reference::EncryptedFile(plain, plainPath, JobKey())));
  EXPECT_EQ(PathExists(plainPath), !param.cleanup);
  EXPECT_FALSE(PathExists(In("Report.tmp")));
  std::vector<std::string> status = {"Encrypting " + plainPath + " ..."};
  if (param.cleanup) status.push_back("Clearing " + plainPath + " ...");
  status.push_back(plainPath + " Encrypted successfully");
  EXPECT_EQ(statusTexts, status);

  statusTexts.clear();
  ASSERT_EQ(Decode(encryptedPath), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(plainPath), plain));
  EXPECT_EQ(PathExists(encryptedPath), !param.cleanup);
  EXPECT_FALSE(PathExists(In("Report.tmp")));
  EXPECT_EQ(statusTexts, (std::vector<std::string>{"Decoding " + encryptedPath + " ...",
                                                   "Decoded " + encryptedPath + " successfully"}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         testing::Values(RoundTripCase{0, true}, RoundTripCase{0, false}, RoundTripCase{1, true},
                                         RoundTripCase{1, false}, RoundTripCase{16383, true},
                                         RoundTripCase{16383, false}, RoundTripCase{16384, true},
                                         RoundTripCase{16384, false}, RoundTripCase{16385, true},
                                         RoundTripCase{16385, false}, RoundTripCase{300001, true},
                                         RoundTripCase{300001, false}),
                         [](const testing::TestParamInfo<RoundTripCase>& param) {
                           return std::to_string(param.param.size) + (param.param.cleanup ? "BytesCleanup" : "BytesKept");
                         });

// After a refusal or a cancel: the file as it was, no temporary file and
// (when named) no result.
void ExpectUntouched(const std::string& path, const std::string& bytes, const std::string& temporary,
                     const std::string& result = "") {
  EXPECT_TRUE(SameBytes(ReadBytes(path), bytes)) << path;
  EXPECT_FALSE(PathExists(temporary)) << temporary;
  if (!result.empty()) {
    EXPECT_FALSE(PathExists(result)) << result;
  }
}

TEST_F(ConverterTest, MissingAndReadOnlyFilesAreRefusedWithTheirBoxOrSilently) {
  for (int silent = 0; silent <= 1; ++silent) {
    options.Warnings[kWarnFileNotFound] = silent;
    options.Warnings[kWarnLockedFile] = silent;
    const std::string missing = In("missing.doc");
    EXPECT_EQ(Encrypt(missing, silent ? std::vector<std::string>{} : std::vector<std::string>{NotFound(missing)}), 0);
    EXPECT_EQ(statusTexts.back(), "Encrypting of " + missing + " canceled");
    const std::string missingEncrypted = In("missing.(=doc=)");
    EXPECT_EQ(Decode(missingEncrypted, silent ? std::vector<std::string>{} : std::vector<std::string>{NotFound(missingEncrypted)}), 0);
    EXPECT_EQ(statusTexts.back(), "Decoding of " + missingEncrypted + " canceled");

    const std::string locked = In("locked.doc");
    WriteBytes(locked, "plain text");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Encrypt(locked, silent ? std::vector<std::string>{} : std::vector<std::string>{Locked(locked)}), 0);
    ExpectUntouched(locked, "plain text", In("locked.tmp"), In("locked.(=doc=)"));
    EXPECT_EQ(statusTexts.back(), "Encrypting of " + locked + " canceled");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(ConverterTest, AFileOpenedExclusivelyElsewhereGivesTheSharingViolation) {
  const std::string path = In("busy.doc");
  WriteBytes(path, "in use");
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Encrypt(path, {"File: " + path + "\r\rError detected opening this disk file\r\rCode 32"}), 0);
  CloseHandle(other);
  ExpectUntouched(path, "in use", In("busy.tmp"), In("busy.(=doc=)"));
}

TEST_F(ConverterTest, EachConverterRefusesWhatIsNotItsToConvert) {
  // Encrypted already, even when shorter than a header: nothing is written.
  const std::string encrypted = In("twice.doc");
  const std::string shortHeader = std::string("OrvaneHdrBlk") + Pattern(88);
  WriteBytes(encrypted, shortHeader);
  EXPECT_EQ(Encrypt(encrypted, {"File: " + encrypted + "\r\rThis file has already been encrypted"}), 0);
  ExpectUntouched(encrypted, shortHeader, In("twice.tmp"), In("twice.(=doc=)"));

  const std::string plain = In("plain.(=doc=)");
  WriteBytes(plain, Pattern(1000));
  EXPECT_EQ(Decode(plain, {"File: " + plain + "\r\rThis file has not been encrypted"}), 0);
  ExpectUntouched(plain, Pattern(1000), In("plain.tmp"), In("plain.doc"));

  // Another key: refused before the temporary file exists.
  const std::string other = In("other.(=doc=)");
  const std::string otherBytes = reference::EncryptedFile(Pattern(5000), "C:\\x\\other.doc", JobKey() ^ 0x10);
  WriteBytes(other, otherBytes);
  EXPECT_EQ(Decode(other, {"File: " + other + "\r\rThis file was not encrypted with the current key"}), 0);
  ExpectUntouched(other, otherBytes, In("other.tmp"), In("other.doc"));
  EXPECT_EQ(statusTexts.back(), "Decoding of " + other + " canceled");
}

TEST_F(ConverterTest, ForgedAndTruncatedHeadersAreRefusedBeforeAnythingIsWritten) {
  const std::uint32_t check = reference::CheckValue(JobKey());
  const std::string unterminated(260, 'x');
  struct Forged {
    const char* file;
    std::string pathField;
    bool tooLong;
  };
  const std::vector<Forged> forged = {
      {"colon.(=x=)", "C:\\docs\\a.doc:stream", false},
      {"less.(=x=)", "C:\\docs\\a.d<c", false},
      {"star.(=x=)", "C:\\docs\\a.d*c", false},
      {"quote.(=x=)", "C:\\docs\\a.d\"c", false},
      {"pipe.(=x=)", "C:\\docs\\a.d|c", false},
      {"control.(=x=)", "C:\\docs\\a.d\x01" "c", false},
      {"dot.(=x=)", "C:\\docs\\a.", false},
      {"blank.(=x=)", "C:\\docs\\a.doc ", false},
      {"open.(=x=)", unterminated, false},
      {"long.(=x=)", "C:\\a." + std::string(240, 'e'), true},
  };
  for (const Forged& f : forged) {
    const std::string path = In(f.file);
    const std::string bytes = reference::Header("OrvaneHdrBlk", check, f.pathField) + Pattern(100);
    WriteBytes(path, bytes);
    EXPECT_EQ(Decode(path, {f.tooLong ? NameTooLong(path) : BadExtension(path)}), 0) << f.file;
    ExpectUntouched(path, bytes, path.substr(0, path.size() - 6) + ".tmp");
  }
  // Only the stored file name's extension counts: a path elsewhere in the
  // header still decodes beside the encrypted file.
  const std::string elsewhere = In("elsewhere.(=x=)");
  WriteBytes(elsewhere, reference::EncryptedFile("abc", "..\\..\\Windows\\evil.exe", JobKey()));
  EXPECT_EQ(Decode(elsewhere), 1);
  EXPECT_EQ(ReadBytes(In("elsewhere.exe")), "abc");

  // A valid signature, then the file ends inside the header: too short,
  // whatever the key, also where the check value itself is cut.
  const std::string right = reference::EncryptedFile(Pattern(50), "C:\\docs\\cut.doc", JobKey());
  const std::string wrong = reference::EncryptedFile(Pattern(50), "C:\\docs\\cut.doc", JobKey() ^ 0x100);
  const std::string earlier = reference::EarlierFormatFile(Pattern(50), "C:\\docs\\cut.doc", JobKey());
  for (const std::string* whole : {&right, &wrong, &earlier}) {
    for (size_t length : {12u, 13u, 15u, 16u, 200u, 275u}) {
      const std::string truncated = In("cut.(=doc=)");
      const std::string cut = whole->substr(0, length);
      WriteBytes(truncated, cut);
      EXPECT_EQ(Decode(truncated, {"File: " + truncated +
                                   "\r\rThis file is shorter than its header.\rThe file is damaged and cannot be decoded."}),
                0)
          << length;
      ExpectUntouched(truncated, cut, In("cut.tmp"), In("cut.doc"));
    }
  }
}

TEST_F(ConverterTest, ResultNamesLongerThan255CharactersAreRefused) {
  // The encrypted name is four characters longer than the plain one.
  const std::string plain = In(std::string(253 - In("").size() - 4, 'n') + ".doc");
  ASSERT_EQ(plain.size(), 253u);
  WriteBytes(plain, "text");
  EXPECT_EQ(Encrypt(plain, {NameTooLong(plain)}), 0);
  EXPECT_EQ(ReadBytes(plain), "text");
}

TEST_F(ConverterTest, FilesOf4GiBAndMoreAreRefused) {
  // Sparse files: Wine extends a file without writing its bytes.
  auto sparse = [](const std::string& path, LONG high, LONG low, const std::string& start) {
    WriteBytes(path, start);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFilePointer(file, low, &high, FILE_BEGIN);
    EXPECT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  };
  const std::string huge = In("huge.doc");
  sparse(huge, 1, 0x40000000, "plain");
  EXPECT_EQ(Encrypt(huge, {TooLarge(huge)}), 0);
  EXPECT_FALSE(PathExists(In("huge.tmp")));

  const std::string hugeEncrypted = In("huge.(=doc=)");
  sparse(hugeEncrypted, 1, 0x40000000, reference::Header("OrvaneHdrBlk", reference::CheckValue(JobKey()), "a.doc"));
  EXPECT_EQ(Decode(hugeEncrypted, {TooLarge(hugeEncrypted)}), 0);
  DeleteFileA(hugeEncrypted.c_str());

  // Its encrypted file would reach 4 GiB, which decoding could not take.
  const std::string almost = In("almost.doc");
  sparse(almost, 0, static_cast<LONG>(0xFFFFFFFFu - 276 + 1), "plain");
  EXPECT_EQ(Encrypt(almost, {TooLarge(almost)}), 0);
  EXPECT_FALSE(PathExists(In("almost.tmp")));
}

TEST_F(ConverterTest, EscInTheOwnersQueueCancelsUnlessTheJobIsQuiet) {
  const std::string plainPath = In("Letter.doc");
  const std::string plain = Pattern(100000);
  WriteBytes(plainPath, plain);

  PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(Encrypt(plainPath), -1);
  ExpectUntouched(plainPath, plain, In("Letter.tmp"), In("Letter.(=doc=)"));
  EXPECT_EQ(statusTexts.back(), "Encrypting of " + plainPath + " canceled");

  // Quiet: no polling, so the key is still waiting; and no status texts.
  quiet = 1;
  statusTexts.clear();
  PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(Encrypt(plainPath), 1);
  EXPECT_TRUE(TakeKeyMessages());
  EXPECT_TRUE(statusTexts.empty());
  quiet = 0;

  const std::string encryptedPath = In("Letter.(=doc=)");
  const std::string encrypted = ReadBytes(encryptedPath);
  PostMessageA(owner, WM_CHAR, 27, 0);
  EXPECT_EQ(Decode(encryptedPath), -1);
  ExpectUntouched(encryptedPath, encrypted, In("Letter.tmp"), In("Letter.doc"));

  // Any other key is taken and dropped; the conversion goes on.
  PostMessageA(owner, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(Decode(encryptedPath), 1);
  EXPECT_FALSE(TakeKeyMessages());
  EXPECT_EQ(ReadBytes(plainPath), plain);
}

// The temporary file of the conversion under way, made undeletable as soon
// as the body begins (as a program that holds it open would), and an Esc
// in the owner's queue.
std::string undeletable;
void HoldTemporaryAndCancel(HWND owner, std::uint64_t done, std::uint64_t) {
  if (done != 0 || undeletable.empty()) return;
  EXPECT_TRUE(SetFileAttributesA(undeletable.c_str(), FILE_ATTRIBUTE_READONLY)) << undeletable;
  PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 0);
  undeletable.clear();
}

// A cancelled conversion whose temporary file cannot be deleted says so:
// after a decoding that file holds plain text.
TEST_F(ConverterTest, ATemporaryFileThatCannotBeDiscardedIsNamed) {
  const std::string plain = Pattern(100000, 13);
  const std::string encryptedPath = In("Minutes.(=doc=)");
  WriteBytes(encryptedPath, reference::EncryptedFile(plain, "C:\\docs\\Minutes.doc", JobKey()));
  const std::string plainPath = In("Letter.doc");
  WriteBytes(plainPath, plain);
  WatchProgress(HoldTemporaryAndCancel);
  for (const bool decode : {true, false}) {
    SCOPED_TRACE(decode ? "decoding" : "encryption");
    const std::string temporary = In(decode ? "Minutes.tmp" : "Letter.tmp");
    undeletable = temporary;
    const std::vector<std::string> box = {"File: " + temporary + "\r\rError detected deleting this disk file\rCode 5"};
    EXPECT_EQ(decode ? Decode(encryptedPath, box) : Encrypt(plainPath, box), -1);
    EXPECT_TRUE(PathExists(temporary));
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
  }
  WatchProgress(nullptr);
  EXPECT_FALSE(PathExists(In("Minutes.doc")));
  EXPECT_TRUE(SameBytes(ReadBytes(plainPath), plain));
}

TEST_F(ConverterTest, ResultsReplaceFilesOfTheirNameAndTakeTheirNameFromWhereTheyLie) {
  options.Cleanup = 0;
  const std::string plainPath = In("x.doc");
  const std::string plain = Pattern(20000, 1);
  WriteBytes(plainPath, plain);
  WriteBytes(In("x.(=doc=)"), "an older encrypted file");
  ASSERT_EQ(Encrypt(plainPath), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(In("x.(=doc=)")), reference::EncryptedFile(plain, plainPath, JobKey())));
  EXPECT_FALSE(PathExists(In("x.tmp")));

  WriteBytes(plainPath, "edited since");
  ASSERT_EQ(Decode(In("x.(=doc=)")), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(plainPath), plain));

  // Moved and renamed: folder and base name from where the file lies now.
  options.Cleanup = 1;
  CreateDirectoryA(In("moved").c_str(), nullptr);
  ASSERT_TRUE(MoveFileA(In("x.(=doc=)").c_str(), In("moved\\other.(=doc=)").c_str()));
  ASSERT_EQ(Decode(In("moved\\other.(=doc=)")), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(In("moved\\other.doc")), plain));

  // Extensions keep their case; only the last one is bracketed.
  WriteBytes(In("archive.tar.GZ"), "tarball");
  ASSERT_EQ(Encrypt(In("archive.tar.GZ")), 1);
  EXPECT_TRUE(PathExists(In("archive.tar.(=GZ=)")));
  ASSERT_EQ(Decode(In("archive.tar.(=GZ=)")), 1);
  EXPECT_EQ(ReadBytes(In("archive.tar.GZ")), "tarball");
}

// A file that holds a temporary name may be the one copy of a result kept
// after an earlier failure: no conversion of a file of the same stem, in
// either list, replaces it. The file is refused with the candidate checks'
// message for a taken temporary name (or silently with "TempFile"), and
// nothing is touched.
TEST_F(ConverterTest, ATakenTemporaryNameRefusesTheFileAndLeavesItsHolderAlone) {
  const std::string kept = In("X.tmp");
  const std::string keptBytes = Pattern(50000, 11);
  WriteBytes(kept, keptBytes);
  const std::string plainPath = In("X.txt");
  const std::string encryptedPath = In("X.(=xls=)");
  WriteBytes(plainPath, "plain text");
  const std::string encrypted = reference::EncryptedFile(Pattern(3000, 12), "C:\\docs\\X.xls", JobKey());
  WriteBytes(encryptedPath, encrypted);
  auto taken = [&](const std::string& path) {
    return "File: " + path + "\r\rCannot be converted because a 'tmp' file already exists.\r\rTemp: " + kept;
  };
  for (const LONG silenced : {0, 1}) {
    SCOPED_TRACE(silenced ? "TempFile on" : "TempFile off");
    options.Warnings[kWarnTempFile] = silenced;
    using Boxes = std::vector<std::string>;
    EXPECT_EQ(Encrypt(plainPath, silenced ? Boxes{} : Boxes{taken(plainPath)}), 0);
    EXPECT_EQ(statusTexts.back(), "Encrypting of " + plainPath + " canceled");
    EXPECT_EQ(Decode(encryptedPath, silenced ? Boxes{} : Boxes{taken(encryptedPath)}), 0);
    EXPECT_EQ(statusTexts.back(), "Decoding of " + encryptedPath + " canceled");
    EXPECT_TRUE(SameBytes(ReadBytes(kept), keptBytes));
    EXPECT_EQ(ReadBytes(plainPath), "plain text");
    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));
    EXPECT_FALSE(PathExists(In("X.(=txt=)")));
    EXPECT_FALSE(PathExists(In("X.xls")));
  }
}

TEST_F(ConverterTest, AnEncryptedFileUnderItsOriginalNameDecodesInPlace) {
  // x.doc holds the encryption of x.doc: the decoded file replaces it and
  // "Cleanup" must not delete it afterwards.
  const std::string path = In("x.doc");
  const std::string plain = Pattern(3000, 2);
  WriteBytes(path, reference::EncryptedFile(plain, "C:\\docs\\x.doc", JobKey()));
  ASSERT_EQ(Decode(path), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(path), plain));
  EXPECT_FALSE(PathExists(In("x.tmp")));

  // A stored ".tmp" extension names the temporary file itself.
  WriteBytes(In("y.(=tmp=)"), reference::EncryptedFile(plain, "C:\\docs\\y.TMP", JobKey()));
  ASSERT_EQ(Decode(In("y.(=tmp=)")), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(In("y.tmp")), plain));
  EXPECT_FALSE(PathExists(In("y.(=tmp=)")));
}

TEST_F(ConverterTest, EarlierFormatDecodesWithoutDrawingRandomNumbers) {
  const std::string path = In("Memo.(=txt=)");
  const std::string plain = Pattern(40000, 3);
  WriteBytes(path, reference::EarlierFormatFile(plain, "C:\\old\\Memo.txt", JobKey()));
  SeedRandom(777);
  ASSERT_EQ(Decode(path), 1);
  EXPECT_EQ(RandomSeed(), 777u);
  EXPECT_TRUE(SameBytes(ReadBytes(In("Memo.txt")), plain));
  EXPECT_FALSE(PathExists(path));
}

TEST_F(ConverterTest, ClearingOverwritesWholeBlocksBeforeThePlainFileIsDeleted) {
  // A second name of the plain file keeps its content readable after the
  // plain file's name is deleted: it shows what the last pass left.
  struct Case {
    const char* name;
    size_t size;
    LONG nsa;
  };
  for (const Case& c : {Case{"one.doc", 1, 1}, Case{"blocks.doc", 50000, 1}, Case{"single.doc", 20000, 0}}) {
    options.NSAErasures = c.nsa;
    const std::string path = In(c.name);
    const std::string plain = Pattern(c.size, 4);
    WriteBytes(path, plain);
    const std::string link = path + ".link";
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    statusTexts.clear();
    ASSERT_EQ(Encrypt(path), 1) << c.name;
    EXPECT_FALSE(PathExists(path));
    const std::string encryptedPath = path.substr(0, path.size() - 4) + ".(=doc=)";
    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), reference::EncryptedFile(plain, path, JobKey())));
    const size_t blocks = (c.size + 16383) / 16384;
    EXPECT_TRUE(SameBytes(ReadBytes(link), std::string(blocks * 16384, '\xF6'))) << c.name;
    EXPECT_EQ(statusTexts[1], std::string(c.nsa ? "Clearing (NSA) " : "Clearing ") + path + " ...");
  }
}

TEST_F(ConverterTest, APlainFileIsNotClearedUntilItsEncryptedFileIsInPlaceAndAFailedPlacementIsDiscarded) {
  const std::string plainPath = In("kept.doc");
  const std::string plain = Pattern(30000, 5);
  WriteBytes(plainPath, plain);
  // A folder holds the encrypted name: the copy over it fails.
  const std::string encryptedPath = In("kept.(=doc=)");
  ASSERT_TRUE(CreateDirectoryA(encryptedPath.c_str(), nullptr));
  WriteBytes(In("probe.bin"), "x");
  ASSERT_FALSE(CopyFileA(In("probe.bin").c_str(), encryptedPath.c_str(), FALSE));
  const unsigned code = GetLastError();

  const std::string temporary = In("kept.tmp");
  EXPECT_EQ(Encrypt(plainPath, {"File: " + temporary + "\r\rError detected copying this file\rTo: " + encryptedPath +
                                "\r\rCode " + std::to_string(code)}),
            0);
  EXPECT_TRUE(SameBytes(ReadBytes(plainPath), plain));
  EXPECT_FALSE(PathExists(temporary));
}

// Decoding whose result cannot take its name: the decoded text must not stay
// behind under the temporary name; the encrypted file stays as it was.
TEST_F(ConverterTest, ADecodedFileThatCannotBePutInPlaceIsDiscarded) {
  options.Cleanup = 1;
  WriteBytes(In("probe.bin"), "x");
  const std::string plain = Pattern(40000, 6);
  for (const bool folder : {true, false}) {
    SCOPED_TRACE(folder ? "a folder holds the name" : "a program holds the file");
    const std::string base = folder ? "folder" : "held";
    const std::string encryptedPath = In(base + ".(=doc=)");
    const std::string decodedPath = In(base + ".doc");
    const std::string encrypted = reference::EncryptedFile(plain, "C:\\docs\\" + base + ".doc", JobKey());
    WriteBytes(encryptedPath, encrypted);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (folder) {
      ASSERT_TRUE(CreateDirectoryA(decodedPath.c_str(), nullptr));
    } else {
      WriteBytes(decodedPath, "the user's other file");
      held = CreateFileA(decodedPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    ASSERT_FALSE(CopyFileA(In("probe.bin").c_str(), decodedPath.c_str(), FALSE));
    const unsigned code = GetLastError();

    const std::string temporary = In(base + ".tmp");
    EXPECT_EQ(Decode(encryptedPath, {"File: " + temporary + "\r\rError detected copying this file\rTo: " +
                                     decodedPath + "\r\rCode " + std::to_string(code)}),
              0);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_FALSE(PathExists(temporary));
    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));
    if (!folder) {
      EXPECT_EQ(ReadBytes(decodedPath), "the user's other file");
    }
  }
}

// What a test does at the moments of an encryption's "Cleanup": fail a
// clearing write as a full disk would, or hold a file open without delete
// sharing as another program would.
struct CleanupFault {
  int failingWrite = -1;  // the clearing write that fails, counted from 0
  bool holdPlainFile = false;
  bool holdRemains = false;
  int writes = 0;
  HANDLE held = INVALID_HANDLE_VALUE;
};
CleanupFault cleanupFault;

DWORD InjectCleanupFault(CleanupMoment moment, const char* name) {
  CleanupFault& f = cleanupFault;
  if (moment == CleanupMoment::ClearingWrite) return f.writes++ == f.failingWrite ? ERROR_DISK_FULL : 0;
  const bool hold = moment == CleanupMoment::ReleasingPlainName ? f.holdPlainFile : f.holdRemains;
  if (hold) {
    f.held = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(f.held, INVALID_HANDLE_VALUE) << name;
  }
  return 0;
}

// Every way the clearing and deleting of the plain file can fail leaves the
// plain file's name with the original content or nothing, so that encrypting
// the same listed path again can never copy cleared bytes over the good
// encrypted file; a file that decodes to the original always remains.
TEST_F(ConverterTest, CleanupFailuresNeverLeaveClearedBytesUnderThePlainName) {
  struct Case {
    const char* name;
    LONG nsa;
    CleanupFault fault;
    bool plainKept;      // the plain file keeps its name and content
    bool remainsKept;    // the cleared remains stay under the ".tmp" name
  };
  const size_t size = 600000;  // three runs of clearing writes per pass
  const Case cases[] = {
      {"the disk fills at the first clearing write", 0, {0, false, false}, false, false},
      {"the disk fills inside the last pass", 0, {1, false, false}, false, false},
      {"the disk fills inside an NSA pass", 1, {7, false, false}, false, false},
      {"the disk fills and the remains are held", 0, {2, false, true}, false, true},
      {"another program holds the plain file", 0, {-1, true, false}, true, false},
      {"another program holds the cleared file", 1, {-1, false, true}, false, true},
  };
  SetCleanupHookForTest(InjectCleanupFault);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    options.NSAErasures = c.nsa;
    const std::string path = In("Report.doc");
    const std::string encryptedPath = In("Report.(=doc=)");
    const std::string temporary = In("Report.tmp");
    const std::string plain = Pattern(size, 7);
    const std::string encrypted = reference::EncryptedFile(plain, path, JobKey());
    WriteBytes(path, plain);
    LogWrite(0);
    DeleteFileA(In("orvane.log").c_str());
    cleanupFault = c.fault;

    // Every box names the file as it is on disk by then. Remains deleted
    // after a failed clearing are named by the plain file's name, which is
    // gone; remains that cannot be deleted get a box of their own, under
    // the temporary name they have.
    const bool clearingFails = c.fault.failingWrite >= 0;
    std::vector<std::string> boxes;
    if (clearingFails && !c.remainsKept) {
      boxes.push_back("File: " + path + "\r\rThe file is encrypted, but its clearing failed.\rIt was deleted before it "
                      "was cleared: parts\rof it may remain in the free space of the disk.\rCode 112");
    }
    if (clearingFails && c.remainsKept) {
      boxes.push_back("File: " + temporary + "\r\rError detected clearing the disk file\rCode 112");
    }
    if (!clearingFails || c.remainsKept) {
      boxes.push_back("File: " + (c.plainKept ? path : temporary) + "\r\rError detected deleting this disk file\rCode 32");
    }
    // Once the plain file has given up its name the encryption is complete:
    // the file counts as converted and leaves its list.
    EXPECT_EQ(Encrypt(path, boxes), c.plainKept ? 0 : 1);
    if (cleanupFault.held != INVALID_HANDLE_VALUE) CloseHandle(cleanupFault.held);
    cleanupFault = CleanupFault{};
    LogWrite(0);
    std::string log = "\r\n" + path + " encryption underway...\r\n";
    if (c.plainKept) {
      EXPECT_EQ(statusTexts.back(), "Encrypting of " + path + " canceled");
      log += path + " encryption canceled\r\n";
    } else if (clearingFails) {
      EXPECT_EQ(statusTexts.back(), path + " Encrypted, but its clearing failed");
      log += path + " encryption completed\r\n" + path +
             " clearing failed: the original was deleted before it was cleared\r\n";
    } else {
      EXPECT_EQ(statusTexts.back(), path + " Encrypted successfully");
      log += path + " encryption completed\r\n";
    }
    EXPECT_EQ(ReadBytes(In("orvane.log")), log);

    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));
    if (c.plainKept) {
      EXPECT_TRUE(SameBytes(ReadBytes(path), plain));
    } else {
      EXPECT_FALSE(PathExists(path));
    }
    EXPECT_EQ(PathExists(temporary), c.remainsKept);
    if (c.remainsKept) {
      // What is left there is the plain file as far as it was cleared.
      EXPECT_TRUE(SameBytes(ReadBytes(temporary).substr(0, 16384), std::string(16384, '\xF6')));
      ASSERT_TRUE(DeleteFileA(temporary.c_str()));
    }

    // The user presses Encrypt again on the same path.
    if (c.plainKept) {
      EXPECT_EQ(Encrypt(path), 1);
    } else {
      EXPECT_EQ(Encrypt(path, {NotFound(path)}), 0);
    }
    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));
    EXPECT_FALSE(PathExists(path));
    ASSERT_EQ(Decode(encryptedPath), 1);
    EXPECT_TRUE(SameBytes(ReadBytes(path), plain));
    DeleteFileA(path.c_str());
  }
  SetCleanupHookForTest(nullptr);
}

// What another program writes to the plain file in the moment between the
// end of its reading and its clearing.
enum class Change { Appended, RewrittenInPlace };
Change change;
DWORD ChangePlainFile(CleanupMoment moment, const char* name) {
  if (moment != CleanupMoment::ReleasingPlainName) return 0;
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
  DWORD written = 0;
  if (change == Change::Appended) {
    SetFilePointer(file, 0, nullptr, FILE_END);
    WriteFile(file, "appended", 8, &written, nullptr);
  } else {
    // The same size, written a second after the last write.
    FILETIME time;
    GetFileTime(file, nullptr, nullptr, &time);
    WriteFile(file, "REWRITE!", 8, &written, nullptr);
    ULARGE_INTEGER later{{time.dwLowDateTime, time.dwHighDateTime}};
    later.QuadPart += 10000000;
    time = FILETIME{later.LowPart, later.HighPart};
    SetFileTime(file, nullptr, nullptr, &time);
  }
  CloseHandle(file);
  return 0;
}

// A plain file that another program changed after it was read is neither
// cleared nor deleted: what was written to it would be lost. The encrypted
// file holds the file as it was read.
TEST_F(ConverterTest, APlainFileChangedBeforeItsClearingIsKept) {
  const std::string path = In("Growing.log");
  const std::string encryptedPath = In("Growing.(=log=)");
  const std::string plain = Pattern(40000, 14);
  SetCleanupHookForTest(ChangePlainFile);
  for (const Change c : {Change::Appended, Change::RewrittenInPlace}) {
    SCOPED_TRACE(c == Change::Appended ? "appended" : "rewritten in place");
    change = c;
    WriteBytes(path, plain);
    EXPECT_EQ(Encrypt(path, {"File: " + path + "\r\rThis file changed after it was encrypted, so it\rhas been kept, "
                                               "neither cleared nor deleted.\rThe encrypted file holds it as it was "
                                               "before."}),
              0);
    const std::string changed = c == Change::Appended ? plain + "appended" : "REWRITE!" + plain.substr(8);
    EXPECT_TRUE(SameBytes(ReadBytes(path), changed));
    EXPECT_FALSE(PathExists(In("Growing.tmp")));
    EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), reference::EncryptedFile(plain, path, JobKey())));
  }
  SetCleanupHookForTest(nullptr);
}

// The folder of the small volume that the test command mounts (2 MB), with
// a trailing backslash.
std::string SmallVolume() { return FolderBesideTests(ORVANE_SMALL_VOLUME_FROM_TESTS); }

// The error code that the converters' writes meet on a full volume here: a
// write that finds no room at all fails with the system's code (112), one
// that finds some room writes less and counts as ERROR_HANDLE_DISK_FULL
// (39), which is what Wine's writes of a whole run do. A probe file fills the
// volume's room in runs and is deleted again. 0 when no write failed.
DWORD FullVolumeCode(const std::string& probe) {
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const std::string run(kRunSize, 'p');
  DWORD code = 0;
  for (int i = 0; i < 64 && code == 0; ++i) {
    if (!WriteAll(file, run.data(), kRunSize)) code = GetLastError();
  }
  CloseHandle(file);
  DeleteFileA(probe.c_str());
  return code;
}

// The same chain on a real volume: the encrypted file takes the last room
// but one page, and the clearing, which grows the plain file to whole 16 KB
// blocks, runs the disk full. The plain file's name must not keep the
// cleared bytes, and the encrypted file must still give the content back.
TEST_F(ConverterTest, AVolumeThatRunsFullWhileClearingLeavesTheEncryptedFileToDecode) {
  const std::string volume = SmallVolume();
  if (!PathExists(volume + "mounted")) GTEST_SKIP() << "no small volume at " << volume << " (mounting needs root)";
  options.Cleanup = 1;
  const std::string path = volume + "Report.doc";
  const std::string encryptedPath = volume + "Report.(=doc=)";
  const std::string filler = volume + "filler.bin";
  const std::string plain = Pattern(20 * 16384 + 100, 9);
  const std::string encrypted = reference::EncryptedFile(plain, path, JobKey());
  WriteBytes(path, plain);
  constexpr ULONGLONG kPage = 4096;
  ULARGE_INTEGER room = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(volume.c_str(), &room, nullptr, nullptr));
  const ULONGLONG encryptedPages = (encrypted.size() + kPage - 1) / kPage;
  ASSERT_GT(room.QuadPart, (encryptedPages + 1) * kPage);
  WriteBytes(filler, std::string(room.QuadPart - (encryptedPages + 1) * kPage, '\0'));
  const DWORD fullCode = FullVolumeCode(volume + "probe.bin");
  ASSERT_NE(fullCode, 0u);

  EXPECT_EQ(Encrypt(path, {"File: " + path + "\r\rThe file is encrypted, but its clearing failed.\rIt was deleted "
                           "before it was cleared: parts\rof it may remain in the free space of the disk.\rCode " +
                           std::to_string(fullCode)}),
            1);
  EXPECT_FALSE(PathExists(path));
  EXPECT_FALSE(PathExists(volume + "Report.tmp"));
  EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));
  // The user presses Encrypt again on the same listed path.
  EXPECT_EQ(Encrypt(path, {NotFound(path)}), 0);
  EXPECT_TRUE(SameBytes(ReadBytes(encryptedPath), encrypted));

  ASSERT_TRUE(DeleteFileA(filler.c_str()));
  ASSERT_EQ(Decode(encryptedPath), 1);
  EXPECT_TRUE(SameBytes(ReadBytes(path), plain));
  DeleteFileA(path.c_str());
}

// An encrypted file that carries its original name (x.doc holding the
// encryption of x.doc) is replaced by copying the decoded file over it. On
// a volume that runs full during that copy, the encrypted file is already
// cut short: the decoded file must be kept under its temporary name, and
// the box must say so. The encrypted body is a hole (a sparse file), so that
// the decoded file fills most of the volume and the copy cannot fit.
TEST_F(ConverterTest, ASelfNamedDecodeThatRunsTheVolumeFullKeepsTheDecodedFile) {
  const std::string volume = SmallVolume();
  if (!PathExists(volume + "mounted")) GTEST_SKIP() << "no small volume at " << volume << " (mounting needs root)";
  options.Cleanup = 1;
  ULARGE_INTEGER room = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(volume.c_str(), &room, nullptr, nullptr));
  const DWORD body = static_cast<DWORD>(room.QuadPart * 3 / 4) & ~DWORD{4095};
  auto makeSelfNamed = [&](const std::string& path) {
    WriteBytes(path, reference::Header("OrvaneHdrBlk", reference::CheckValue(JobKey()), path));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, static_cast<LONG>(kHeaderSize + body), nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  };
  // The same file in the roomy scratch folder decodes in place: what the
  // decoded content must be.
  makeSelfNamed(In("Self.doc"));
  ASSERT_EQ(Decode(In("Self.doc")), 1);
  const std::string decoded = ReadBytes(In("Self.doc"));
  ASSERT_EQ(decoded.size(), body);

  const std::string path = volume + "Self.doc";
  const std::string kept = volume + "Self.tmp";
  makeSelfNamed(path);
  std::vector<std::string> shown;
  DialogScript script;
  for (int i = 0; i < 2; ++i) {
    script.Expect("Orvane", [&shown](HWND box) {
      shown.push_back(ItemText(box, 101));
      PressButton(box, IDOK);
    });
  }
  ConversionJob* job = CreateConversionJob(owner, nullptr, path.c_str(), keyValue, &options);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(script.Run([&] { return DecodeFile(job); }), 0);
  ASSERT_EQ(shown.size(), 2u) << script.Report();
  EXPECT_EQ(shown[0].rfind("File: " + kept + "\r\rError detected copying this file\rTo: " + path, 0), 0u) << shown[0];
  EXPECT_EQ(shown[1], "File: " + path + "\r\rThis file may now be incomplete. Its converted content is complete\r"
                      "and has been kept in the file\r\r" + kept + "\r\rRename that file to use it.");
  ASSERT_TRUE(PathExists(kept));
  EXPECT_TRUE(SameBytes(ReadBytes(kept), decoded));

  // The user goes on with other files of the same name in the same run:
  // neither may take the kept file's name. (The cut-short file goes first,
  // to make room for them.)
  DeleteFileA(path.c_str());
  const std::string otherEncrypted = volume + "Self.(=xls=)";
  const std::string otherPlain = volume + "Self.txt";
  WriteBytes(otherEncrypted, reference::EncryptedFile("a sheet", "C:\\docs\\Self.xls", JobKey()));
  WriteBytes(otherPlain, "a text");
  for (const std::string& other : {otherEncrypted, otherPlain}) {
    const std::string box =
        "File: " + other + "\r\rCannot be converted because a 'tmp' file already exists.\r\rTemp: " + kept;
    if (other == otherEncrypted) {
      EXPECT_EQ(Decode(other, {box}), 0);
    } else {
      EXPECT_EQ(Encrypt(other, {box}), 0);
    }
  }
  EXPECT_TRUE(SameBytes(ReadBytes(kept), decoded));
  EXPECT_EQ(ReadBytes(otherPlain), "a text");
  for (const std::string& file : {kept, path, otherEncrypted, otherPlain}) DeleteFileA(file.c_str());
}

TEST_F(ConverterTest, EncryptionRegistersTheBracketedExtensionAsAFileType) {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, ".(=doc=)");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "Encrypted File\\DefaultIcon");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "Encrypted File");
  WriteBytes(In("typed.doc"), "text");
  ASSERT_EQ(Encrypt(In("typed.doc")), 1);

  auto defaultValue = [](const char* key) {
    char value[512] = "<missing>";
    LONG size = sizeof value;
    RegQueryValueA(HKEY_CLASSES_ROOT, key, value, &size);
    return std::string(value);
  };
  EXPECT_EQ(defaultValue(".(=doc=)"), "Encrypted File");
  EXPECT_EQ(defaultValue("Encrypted File"), "Orvane for Windows 95/NT");
  EXPECT_EQ(defaultValue("Encrypted File\\DefaultIcon"), std::string(App().paths.module) + ",2");
}

}  // namespace
