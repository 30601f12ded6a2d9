// The converter tests' scratch folder, owner window and reference encryption.
#include "tests/engine/ConverterFixture.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "core/BuiltinStrings.h"
#include "engine/Converters.h"
#include "engine/OperationLog.h"
#include "tests/support/DialogDriver.h"

namespace reference {

namespace {

// The generator: seed * 214013 + 2531011, the number is bits 16 to 30.
struct Generator {
  std::uint32_t seed;
  unsigned Next() {
    seed = seed * 214013u + 2531011u;
    return (seed >> 16) & 0x7FFF;
  }
};

// The mask of successive body bytes: three indices into the long string, the
// key text and the short string, each running up to its string's length
// (where it reads the terminator) and then back to 0.
struct Mask {
  explicit Mask(std::uint32_t jobKey) {
    char groups[16];
    std::snprintf(groups, sizeof groups, "%02X %02X %02X %02X", jobKey & 0xFF, (jobKey >> 8) & 0xFF,
                  (jobKey >> 16) & 0xFF, jobKey >> 24);
    std::memcpy(keyText, groups, 11);
    for (int i = 0; i < 11; ++i) {
      std::snprintf(keyText + 11 + 3 * i, 4, "%02X ", static_cast<unsigned char>(groups[i]));
    }
  }
  unsigned char Next() {
    iLong = iLong >= 116 ? 0 : iLong + 1;
    iHex = iHex >= 44 ? 0 : iHex + 1;
    iShort = iShort >= 54 ? 0 : iShort + 1;
    return static_cast<unsigned char>(KeyStringShort[iShort] | KeyStringLong[iLong] |
                                      static_cast<unsigned char>(keyText[iHex]));
  }
  char keyText[45] = {};
  unsigned iLong = 44, iHex = 22, iShort = 88;
};

void StoreLittleEndian(std::string& bytes, size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::uint32_t CheckValue(std::uint32_t jobKey) {
  Generator generator{jobKey};
  const std::uint32_t x = generator.Next();
  const std::uint32_t y = generator.Next();
  return x + (y << 16) + jobKey;
}

std::string Header(const char* signature, std::uint32_t stored, const std::string& pathField) {
  std::string header(276, '\0');
  std::memcpy(&header[0], signature, 12);
  StoreLittleEndian(header, 12, stored);
  header.replace(16, pathField.size(), pathField);
  return header.substr(0, 276);
}

std::string EncryptedFile(const std::string& plain, const std::string& originalPath, std::uint32_t jobKey) {
  std::string file = Header("OrvaneHdrBlk", CheckValue(jobKey), originalPath);
  Mask mask(jobKey);
  Generator generator{jobKey};
  for (unsigned char in : plain) {
    const unsigned char m = mask.Next();
    file += static_cast<char>(in - m + (generator.Next() & 0xFF));
  }
  return file;
}

std::string EarlierFormatFile(const std::string& plain, const std::string& originalPath, std::uint32_t jobKey) {
  std::string file = Header("OrvaneHeader", jobKey, originalPath);
  Mask mask(jobKey);
  for (unsigned char in : plain) file += static_cast<char>(in - mask.Next());
  return file;
}

}  // namespace reference

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Pattern(size_t size, unsigned salt) {
  std::string bytes(size, '\0');
  std::uint32_t x = 0x9E3779B9u + salt;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<char>(x);
  }
  return bytes;
}

namespace {

constexpr char kOwnerClass[] = "OrvaneConverterTestOwner";

WNDPROC statusBarProc = nullptr;
std::vector<DoneMessage>* doneMessages = nullptr;
std::vector<std::string>* recordedStatus = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != ConversionDone) return DefWindowProcA(window, message, wParam, lParam);
  // What the main window does with a finished job: it owns the record now.
  auto* job = reinterpret_cast<ConversionJob*>(lParam);
  DoneMessage received{wParam, job->keyValue, job->path, false};
  HGLOBAL block = GlobalHandle(job);
  GlobalUnlock(block);
  received.freed = block != nullptr && GlobalFree(block) == nullptr;
  doneMessages->push_back(received);
  return 0;
}

LRESULT CALLBACK RecordingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == SB_SETTEXTA && recordedStatus) recordedStatus->push_back(reinterpret_cast<const char*>(lParam));
  return CallWindowProcA(statusBarProc, window, message, wParam, lParam);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

void ConverterTest::SetUp() {
  doneMessages = &done;
  recordedStatus = &statusTexts;

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  folder_ = std::string(temp) + "orvane-engine-tests\\";
  CreateDirectoryA(folder_.c_str(), nullptr);
  folder_ += name + "\\";
  RemoveTree(folder_);
  ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = App().instance;
  windowClass.lpszClassName = kOwnerClass;
  RegisterClassA(&windowClass);
  owner = CreateWindowExA(0, kOwnerClass, "Owner", WS_OVERLAPPEDWINDOW, 10, 10, 400, 200, nullptr, nullptr,
                          App().instance, nullptr);
  ASSERT_NE(owner, nullptr);
  IgnoreWindow(owner);
  statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, owner, nullptr,
                               App().instance, nullptr);
  ASSERT_NE(statusBar_, nullptr);
  statusBarProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(statusBar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
  ShowWindow(owner, SW_SHOWNOACTIVATE);
  App().mainWindow = owner;
  App().statusBar = statusBar_;

  options.Cleanup = 1;
  std::snprintf(savedLog_, sizeof savedLog_, "%s", App().paths.logFile);
  std::snprintf(App().paths.logFile, sizeof App().paths.logFile, "%s", In("orvane.log").c_str());
  LogFlag = 1;
}

void ConverterTest::TearDown() {
  LogWrite(0);
  std::snprintf(App().paths.logFile, sizeof App().paths.logFile, "%s", savedLog_);
  TakeKeyMessages();
  App().statusBar = nullptr;
  App().mainWindow = nullptr;
  if (owner) DestroyWindow(owner);
  recordedStatus = nullptr;
  doneMessages = nullptr;
  RemoveTree(folder_);
}

bool ConverterTest::TakeKeyMessages() {
  bool any = false;
  MSG message;
  while (PeekMessageA(&message, owner, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) any = true;
  return any;
}

int ConverterTest::Encrypt(const std::string& path, const std::vector<std::string>& boxes) {
  return Run(EncryptFile, path, boxes);
}

int ConverterTest::Decode(const std::string& path, const std::vector<std::string>& boxes) {
  return Run(DecodeFile, path, boxes);
}

int ConverterTest::Run(int (*converter)(ConversionJob*), const std::string& path,
                       const std::vector<std::string>& boxes) {
  ConversionJob* job = CreateConversionJob(owner, nullptr, path.c_str(), keyValue, &options);
  EXPECT_NE(job, nullptr);
  if (!job) return -100;
  job->quiet = quiet;

  std::vector<std::string> shown;
  DialogScript script;
  for (size_t i = 0; i < boxes.size(); ++i) {
    script.Expect("Orvane", [&shown](HWND box) {
      shown.push_back(ItemText(box, 101));
      PressButton(box, IDOK);
    });
  }
  const size_t doneBefore = done.size();
  const int result = script.Run([&] { return converter(job); });
  EXPECT_TRUE(script.Passed()) << script.Report();
  EXPECT_EQ(shown, boxes);
  // Exactly one ConversionDone per file, with the job, which the owner freed.
  EXPECT_EQ(done.size(), doneBefore + 1);
  if (done.size() == doneBefore + 1) {
    EXPECT_EQ(done.back().converted, result == 1 ? 1u : 0u);
    EXPECT_EQ(done.back().path, path);
    EXPECT_EQ(done.back().keyValue, JobKey());
    EXPECT_TRUE(done.back().freed);
  }
  return result;
}
