// The start-up pieces in this process: the command line, the application
// context, the accelerators.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "context/AppContext.h"
#include "app/Startup.h"
#include "core/KeyHash.h"
#include "settings/ProgramOptions.h"
#include "tests/support/DialogDriver.h"

namespace {

constexpr char kRejectedText[] = "\r\rPlease specify the complete drive, path\rand file name on the command line";

TEST(Startup, CommandLine) {
  struct Case {
    const char* tail;
    int accepted;
    int setup;             // the setup request afterwards
    const char* fileSpec;  // afterwards
  };
  const Case cases[] = {
      {"", 1, 0, "before"},
      {"/setup", 1, 1, "before"},
      {"-setup", 1, 1, "before"},
      {"/SETUP", 1, 1, "before"},
      {"-SeTuP", 1, 1, "before"},
      {"\"C:\\My Files\\Report.doc\"", 1, 0, "C:\\My Files\\Report.doc"},
      {"D:\\a.txt", 1, 0, "D:\\a.txt"},
      {"C:\\odd\"name\".txt", 1, 0, "C:\\oddname.txt"},
      {"\\\\server\\share:x", 1, 0, "\\\\server\\share:x"},  // both marks, anywhere
      // Rejected: the text shown is the one without quotes.
      {"/setup ", 0, 0, "/setup "},
      {" /setup", 0, 0, " /setup"},
      {"setup", 0, 0, "setup"},
      {"/setupx", 0, 0, "/setupx"},
      {"Report.doc", 0, 0, "Report.doc"},
      {"\"Report.doc\"", 0, 0, "Report.doc"},
      {"C:Report.doc", 0, 0, "C:Report.doc"},
      {"\\\\server\\share\\Report.doc", 0, 0, "\\\\server\\share\\Report.doc"},
  };
  for (const Case& c : cases) {
    ProgramOptions options = {};
    std::snprintf(options.FileSpec, sizeof options.FileSpec, "before");
    std::string shown;
    DialogScript script;
    if (!c.accepted) {
      script.Expect("Error", [&](HWND box) {
        shown = ItemText(box, 101);
        PressButton(box, IDOK);
      });
    }
    EXPECT_EQ(script.Run([&] { return ReadCommandLine(c.tail, &options); }), c.accepted) << c.tail;
    EXPECT_TRUE(script.Passed()) << c.tail << ": " << script.Report();
    EXPECT_EQ(options.Explorer.CreateStartMenu, c.setup) << c.tail;
    EXPECT_STREQ(options.FileSpec, c.fileSpec) << c.tail;
    if (!c.accepted) {
      EXPECT_EQ(shown, std::string("Cmd: ") + c.fileSpec + kRejectedText);
    }
  }
  ProgramOptions options = {};
  EXPECT_EQ(ReadCommandLine(nullptr, &options), 1);
}

TEST(Startup, LongPathIsCutTo255Characters) {
  ProgramOptions options = {};
  const std::string tail = "C:\\" + std::string(400, 'a');
  EXPECT_EQ(ReadCommandLine(tail.c_str(), &options), 1);
  EXPECT_EQ(std::string(options.FileSpec), tail.substr(0, 255));
}

TEST(Startup, AppContextFromTheProgramFile) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string help = module;
  help = help.substr(0, help.rfind('.')) + ".hlp";
  CharLowerA(&help[0]);

  // With a help file beside the program, and without one.
  for (bool present : {true, false}) {
    if (present) {
      HANDLE file = CreateFileA(help.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      CloseHandle(file);
    }
    const std::uint32_t before = static_cast<std::uint32_t>(std::time(nullptr)) & 0xFFFF;
    PrepareAppContext(GetModuleHandleA(nullptr));
    const std::uint32_t after = static_cast<std::uint32_t>(std::time(nullptr)) & 0xFFFF;
    DeleteFileA(help.c_str());
    const AppPaths& paths = App().paths;
    EXPECT_EQ(lstrcmpiA(paths.module, module), 0);
    EXPECT_EQ(std::string(paths.helpFile), present ? help : "");
    EXPECT_EQ(std::string(paths.logFile), help.substr(0, help.size() - 4) + ".log");
    EXPECT_TRUE(RandomSeed() == before || RandomSeed() == after) << RandomSeed();
    EXPECT_EQ(App().desktopRect.right, 1024);
  }
}

TEST(Startup, AcceleratorsLoaded) {
  App().accelerators = nullptr;
  EXPECT_EQ(LoadMainAccelerators(), 1);
  EXPECT_NE(App().accelerators, nullptr);
}

}  // namespace
