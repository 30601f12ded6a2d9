// The command-line tool beside the program, under Wine: what the tool
// encrypts the program's converter decodes and the other way round, both
// write the same bytes for the same file and key, and the tool writes the
// stored form of the independent model byte for byte. A file another
// program holds open is left alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Conversions.h"
#include "cli/Tool.h"
#include "core/KeyHash.h"
#include "tests/engine/ConverterFixture.h"

namespace {

class CrossCheck : public ConverterTest {
 protected:
  void SetUp() override {
    ConverterTest::SetUp();
    options.Cleanup = 0;
  }

  ConversionSettings Tool() const {
    ConversionSettings settings;
    settings.jobKey = JobKey();  // the key value with the key mask, as the converters use it
    return settings;
  }
};

TEST_F(CrossCheck, EachDecodesTheOthersFilesAndBothWriteTheSameBytes) {
  for (const size_t size : {size_t{0}, size_t{1}, size_t{16384}, size_t{3 * 16384 + 5}, kToolRunSize + 3}) {
    SCOPED_TRACE(size);
    const std::string plain = Pattern(size, static_cast<unsigned>(size));
    const std::string name = In("Report.doc");
    const std::string encrypted = In("Report.(=doc=)");

    WriteBytes(name, plain);
    const FileOutcome byTool = EncryptOne(name, Tool());
    ASSERT_EQ(FileStatus::Converted, byTool.status) << byTool.reason;
    const std::string toolBytes = ReadBytes(encrypted);
    DeleteFileA(name.c_str());
    ASSERT_EQ(1, Decode(encrypted));
    EXPECT_TRUE(ReadBytes(name) == plain) << "the program did not decode the tool's file";

    DeleteFileA(encrypted.c_str());
    ASSERT_EQ(1, Encrypt(name));
    EXPECT_TRUE(ReadBytes(encrypted) == toolBytes) << "the tool and the program wrote different files";
    DeleteFileA(name.c_str());
    const FileOutcome decoded = DecodeOne(encrypted, Tool());
    ASSERT_EQ(FileStatus::Converted, decoded.status) << decoded.reason;
    EXPECT_TRUE(ReadBytes(name) == plain) << "the tool did not decode the program's file";
    DeleteFileA(name.c_str());
    DeleteFileA(encrypted.c_str());
  }
}

TEST_F(CrossCheck, TheToolsConsoleCommandWritesTheModelsStoredForm) {
  // The stored form was encrypted as this path with this key by the
  // independent model of the format.
  const std::string data = "Z:" ORVANE_STORED_FORMS_DIR "\\";
  const std::string folder = "C:\\orvane-stored-forms\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteBytes(folder + "Report.doc", ReadBytes(data + "Report.doc"));
  WriteBytes(In("key.txt"), "Stored forms\r\n");

  std::string keyFile = In("key.txt");
  std::string file = folder + "Report.doc";
  std::vector<char*> argv = {const_cast<char*>("orvane-cli"), const_cast<char*>("encrypt"),
                             const_cast<char*>("--key-file"), &keyFile[0], &file[0], nullptr};
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(kExitConverted, RunTool(5, argv.data(), ToolStreams{stdin, out, err}));
  std::fclose(out);
  std::fclose(err);
  EXPECT_TRUE(ReadBytes(folder + "Report.(=doc=)") == ReadBytes(data + "Report.(=doc=)"))
      << "the tool's file differs from the model's";
  for (const char* name : {"Report.doc", "Report.(=doc=)", "Report.tmp"}) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(CrossCheck, AFileHeldOpenByAnotherProgramIsLeftAlone) {
  const std::string name = In("Report.doc");
  WriteBytes(name, "held");
  const HANDLE held = CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ConversionSettings settings = Tool();
  settings.cleanup = true;
  const FileOutcome outcome = EncryptOne(name, settings);
  CloseHandle(held);
  EXPECT_EQ(FileStatus::Failed, outcome.status);
  EXPECT_NE(std::string::npos, outcome.reason.find("Error detected opening this disk file")) << outcome.reason;
  EXPECT_EQ("held", ReadBytes(name));
  EXPECT_FALSE(PathExists(In("Report.(=doc=)")));
  EXPECT_FALSE(PathExists(In("Report.tmp")));
}

}  // namespace
