// The operation log on real files: the lines of a run and of its files as
// bytes on disk, the backup, and the cases in which it must stay silent.
#include <gtest/gtest.h>

#include <string>

#include "context/AppContext.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "tests/engine/ConverterFixture.h"

namespace {

using OperationLogTest = ConverterTest;

constexpr char kDate[] = "Friday, June 5, 2026  10:15 AM";
const std::string kRule(75, '=');

TEST_F(OperationLogTest, ARunLeavesItsLinesWithCrLfAndABackupBeforeItsEndLine) {
  const std::string log = In("orvane.log");
  const std::string backup = In("Backup of orvane.log");
  const std::string converted = In("done.doc");
  const std::string missing = In("missing.doc");
  WriteBytes(converted, "text");
  options.Warnings[kWarnFileNotFound] = 1;

  EXPECT_EQ(BackupLogFile(), 1);  // no log yet: nothing to back up
  EXPECT_FALSE(PathExists(backup));
  EXPECT_EQ(LogWrite(IDS_LOG_ENCRYPT_RUN_BEGUN, kDate), 1);
  EXPECT_EQ(LogWrite(0), 1);
  EXPECT_EQ(Encrypt(converted), 1);
  EXPECT_EQ(Encrypt(missing), 0);
  const std::string beforeEnd = ReadBytes(log);
  EXPECT_NE(BackupLogFile(), 0);  // the stream is still open
  EXPECT_EQ(ReadBytes(backup), beforeEnd);
  EXPECT_EQ(LogWrite(IDS_LOG_ENCRYPT_RUN_STOPPED, kDate), 1);
  EXPECT_EQ(LogWrite(0), 1);

  const std::string run = "\r\n\r\nFile Encryption begun on " + std::string(kDate) + "\r\n" + kRule + "\r\n" +
                          "\r\n" + converted + " encryption underway...\r\n" + converted + " encryption completed\r\n" +
                          "\r\n" + missing + " encryption underway...\r\n" + missing + " encryption canceled\r\n";
  const std::string end = "\r\nFile Encryption stopped on " + std::string(kDate) + "\r\n";
  EXPECT_EQ(beforeEnd, run);
  EXPECT_EQ(ReadBytes(log), run + end);

  // The next run appends, and its decoding lines follow the same pattern.
  const std::string encrypted = In("done.(=doc=)");
  EXPECT_EQ(Decode(encrypted), 1);
  LogWrite(0);
  EXPECT_EQ(ReadBytes(log), run + end + "\r\n" + encrypted + " decoding underway...\r\n" + encrypted +
                                " decoding completed\r\n");
}

TEST_F(OperationLogTest, LinesAreCutAt1023Characters) {
  const std::string longText(2000, 'L');
  EXPECT_EQ(LogWriteText("%s", longText.c_str()), 1);
  EXPECT_EQ(LogWriteText(nullptr), 1);
  EXPECT_EQ(ReadBytes(In("orvane.log")), std::string(1023, 'L') + "\r\n");
}

TEST_F(OperationLogTest, ALogThatCannotBeWrittenFailsSilentlyAndConversionsGoOn) {
  const std::string log = In("orvane.log");
  WriteBytes(log, "old\r\n");
  HANDLE holder = CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LogWrite(IDS_LOG_DECODE_RUN_BEGUN, kDate), 0);
  WriteBytes(In("go.doc"), "text");
  EXPECT_EQ(Encrypt(In("go.doc")), 1);  // no box expected
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(log), "old\r\n");

  // A read-only log is not backed up.
  SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(BackupLogFile(), 0);
  EXPECT_FALSE(PathExists(In("Backup of orvane.log")));
  SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OperationLogTest, WithLoggingOffNothingIsTouched) {
  LogFlag = 0;
  WriteBytes(In("quiet.doc"), "text");
  EXPECT_EQ(LogWrite(IDS_LOG_ENCRYPT_RUN_BEGUN, kDate), 1);
  EXPECT_EQ(Encrypt(In("quiet.doc")), 1);
  EXPECT_EQ(BackupLogFile(), 1);
  EXPECT_FALSE(PathExists(In("orvane.log")));

  WriteBytes(In("orvane.log"), "kept\r\n");
  EXPECT_EQ(BackupLogFile(), 1);
  EXPECT_EQ(LogWrite(IDS_LOG_ENCRYPT_RUN_STOPPED, kDate), 1);
  EXPECT_EQ(ReadBytes(In("orvane.log")), "kept\r\n");
  EXPECT_FALSE(PathExists(In("Backup of orvane.log")));
}

}  // namespace
