// The file switches of the command line and the block that hands their
// files to a running copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FileSwitches.h"

namespace {

using Paths = std::vector<std::string>;

TEST(FileSwitches, ReadsTheSwitchesAndSplitsThePaths) {
  struct Case {
    const char* tail;
    FileTarget target;
    Paths paths;
  };
  const Case cases[] = {
      {"/encrypt C:\\a.doc", FileTarget::Encrypt, {"C:\\a.doc"}},
      {"-DECODE \"C:\\a.(=doc=)\"", FileTarget::Decode, {"C:\\a.(=doc=)"}},
      {"/Add", FileTarget::ByKind, {}},
      {"-add   ", FileTarget::ByKind, {}},
      {"/eNcRyPt\tC:\\a.doc\tD:\\b.txt", FileTarget::Encrypt, {"C:\\a.doc", "D:\\b.txt"}},
      // As Send To passes several files: quoted where they hold blanks.
      {"/add \"C:\\My Files\\a.doc\" C:\\b.txt \"D:\\c d\\e.(=txt=)\"", FileTarget::ByKind,
       {"C:\\My Files\\a.doc", "C:\\b.txt", "D:\\c d\\e.(=txt=)"}},
      // Unquoted blanks stay inside the path until a word begins another.
      {"/encrypt C:\\My Files\\a b.doc D:\\x.txt", FileTarget::Encrypt, {"C:\\My Files\\a b.doc", "D:\\x.txt"}},
      {"/encrypt \\\\server\\share\\a.doc c:\\b.doc", FileTarget::Encrypt,
       {"\\\\server\\share\\a.doc", "c:\\b.doc"}},
      // A quote left open runs to the end; an empty pair names nothing.
      {"/decode \"C:\\a b.(=doc=)", FileTarget::Decode, {"C:\\a b.(=doc=)"}},
      {"/decode \"\" C:\\a.(=doc=)", FileTarget::Decode, {"C:\\a.(=doc=)"}},
      // Relative names are passed on as they are; the lists refuse them.
      {"/encrypt a.doc b.doc", FileTarget::Encrypt, {"a.doc b.doc"}},
  };
  for (const Case& c : cases) {
    SwitchedFiles files;
    ASSERT_TRUE(ReadFileSwitch(c.tail, files)) << c.tail;
    EXPECT_EQ(files.target, c.target) << c.tail;
    EXPECT_EQ(files.paths, c.paths) << c.tail;
  }
}

TEST(FileSwitches, OtherTailsAreNotTheseSwitches) {
  const char* const tails[] = {
      nullptr, "", "/setup", "-setup", "C:\\a.doc", "\"C:\\a.doc\"", " /encrypt C:\\a.doc",
      "/encrypted C:\\a.doc", "/encryptC:\\a.doc", "encrypt C:\\a.doc", "/adder", "/ad", "//add", "/decode\"C:\\a\"",
  };
  for (const char* tail : tails) {
    SwitchedFiles files;
    files.paths = {"untouched"};
    EXPECT_FALSE(ReadFileSwitch(tail, files)) << (tail ? tail : "(null)");
    EXPECT_EQ(files.paths, Paths{"untouched"});
  }
}

TEST(FileSwitches, HandedBlockComesBackAsPacked) {
  for (FileTarget target : {FileTarget::Encrypt, FileTarget::Decode, FileTarget::ByKind}) {
    SwitchedFiles files;
    files.target = target;
    files.paths = {"C:\\a.doc", "D:\\\xe9t\xe9.txt", std::string(300, 'x')};
    const std::string block = PackHandedFiles(files);
    SwitchedFiles read;
    ASSERT_TRUE(UnpackHandedFiles(block.data(), block.size(), read));
    EXPECT_EQ(read.target, target);
    EXPECT_EQ(read.paths, files.paths);
  }
  SwitchedFiles none;
  const std::string empty = PackHandedFiles(none);
  EXPECT_EQ(empty, std::string("A\0", 2));
  SwitchedFiles read;
  read.paths = {"before"};
  ASSERT_TRUE(UnpackHandedFiles(empty.data(), empty.size(), read));
  EXPECT_TRUE(read.paths.empty());
}

TEST(FileSwitches, MalformedBlocksAreRefusedWhole) {
  const std::string cases[] = {
      std::string(),
      std::string("E", 1),                       // no end of the list
      std::string("X\0", 2),                     // unknown list
      std::string("EC:\\a.doc", 9),              // path without its end
      std::string("EC:\\a.doc\0", 10),           // list without its end
      std::string("EC:\\a.doc\0\0junk", 15),     // bytes after the end
      std::string("EC:\\a.doc\0\0\0", 12),       // one NUL too many
      std::string("\0\0", 2),
  };
  for (const std::string& block : cases) {
    SwitchedFiles files;
    files.paths = {"untouched"};
    EXPECT_FALSE(UnpackHandedFiles(block.data(), block.size(), files)) << block.size();
    EXPECT_EQ(files.paths, Paths{"untouched"});
  }
  SwitchedFiles files;
  EXPECT_FALSE(UnpackHandedFiles(nullptr, 2, files));
  const std::string huge = "A" + std::string(kMostHandedBytes, 'x') + std::string(2, '\0');
  EXPECT_FALSE(UnpackHandedFiles(huge.data(), huge.size(), files));
}

}  // namespace
