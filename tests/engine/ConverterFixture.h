// What the converter and log tests share: a scratch folder of real files, an
// owner window that receives ConversionDone and frees the job as the main
// window does, a status bar whose every text is recorded, boxes served and
// read through the dialog driver, and an encryption computed independently
// from the file format's rules.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ConversionJob.h"
#include "settings/ProgramOptions.h"

// The file format's rules, written out byte by byte without the program's
// keystream: what an encrypted file must hold.
namespace reference {

constexpr std::uint32_t kKeyMask = 0x0B51C6A2u;

std::uint32_t CheckValue(std::uint32_t jobKey);
// Header (276 bytes) and body of the current format.
std::string EncryptedFile(const std::string& plain, const std::string& originalPath, std::uint32_t jobKey);
// A file of the earlier format: signature "OrvaneHeader", the job key at
// offset 12, a body combined with the mask alone, (in - m) mod 256.
std::string EarlierFormatFile(const std::string& plain, const std::string& originalPath, std::uint32_t jobKey);
// A 276-byte header with any path field (up to 260 bytes, not necessarily
// terminated) and a check value for jobKey.
std::string Header(const char* signature, std::uint32_t stored, const std::string& pathField);

}  // namespace reference

// Real files.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// Recognisable content: byte i of a file of `size` bytes.
std::string Pattern(size_t size, unsigned salt = 0);

// The owner window of the jobs, with its own status bar as App().statusBar.
struct DoneMessage {
  WPARAM converted;
  DWORD keyValue;     // the job's key value when it came back
  std::string path;
  bool freed;         // GlobalFree of its GlobalHandle succeeded
};

class ConverterTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path in the scratch folder.
  std::string In(const std::string& name) const { return folder_ + name; }

  // Runs a converter on `path` with `options` and serves one box per entry
  // of `boxes`, each of which must match the text the box shows.
  int Encrypt(const std::string& path, const std::vector<std::string>& boxes = {});
  int Decode(const std::string& path, const std::vector<std::string>& boxes = {});

  // Empties the owner's queue of key messages; true when one was waiting.
  bool TakeKeyMessages();

  ProgramOptions options{};
  DWORD keyValue = 0x2468ACE1u;
  LONG quiet = 0;
  std::vector<DoneMessage> done;
  std::vector<std::string> statusTexts;
  HWND owner = nullptr;
  std::uint32_t JobKey() const { return keyValue | reference::kKeyMask; }

 private:
  int Run(int (*converter)(ConversionJob*), const std::string& path, const std::vector<std::string>& boxes);

  std::string folder_;
  HWND statusBar_ = nullptr;
  char savedLog_[MAX_PATH] = "";
};
