// The converters as a program of their own, for bench/cleanup_kill_check.py,
// which kills it with SIGKILL while it clears a plain file:
//
//   cleanup_kill_target encrypt PATH [nsa]   EncryptFile with "Cleanup" on
//                                            (and "NSAErasures" with nsa)
//   cleanup_kill_target decode PATH          DecodeFile, the encrypted file kept
//
// The job is quiet (no status line, no cancel polling) and the key fixed.
// Boxes would block a program nobody watches: a failure the converter reports
// shows its box, so the check runs the program where no failure is expected.
// Exit code 0 when the file was converted, 1 when it was not, 2 for wrong
// arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "engine/ConversionJob.h"
#include "engine/Converters.h"
#include "settings/ProgramOptions.h"

namespace {

constexpr DWORD kKeyValue = 0x2468ACE1u;

// Receives ConversionDone and frees the job, as the main window does.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ConversionDone) {
    ReleaseConversionJob(reinterpret_cast<ConversionJob*>(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateOwner() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = App().instance;
  windowClass.lpszClassName = "OrvaneCleanupKillTarget";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, App().instance,
                         nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const bool encrypt = argc >= 3 && std::strcmp(argv[1], "encrypt") == 0;
  const bool decode = argc == 3 && std::strcmp(argv[1], "decode") == 0;
  if (!encrypt && !decode) {
    std::fprintf(stderr, "usage: cleanup_kill_target encrypt PATH [nsa] | decode PATH\n");
    return 2;
  }
  App().instance = GetModuleHandleA(nullptr);
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  FillAppPaths(module, App().paths);
  LogFlag = 0;

  static ProgramOptions options{};
  options.Cleanup = encrypt ? 1 : 0;
  options.NSAErasures = encrypt && argc > 3 && std::strcmp(argv[3], "nsa") == 0 ? 1 : 0;
  ConversionJob* job = CreateConversionJob(CreateOwner(), nullptr, argv[2], kKeyValue, &options);
  if (!job) return 1;
  job->quiet = 1;
  const int result = encrypt ? EncryptFile(job) : DecodeFile(job);
  return result == 1 ? 0 : 1;
}
