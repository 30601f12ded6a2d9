// Start-up benchmark: how long the program takes from its process start to
// a visible, painted main window, beside a minimal Win32 program that opens
// one empty window, both measured in the same run, alternately, warm (the
// first start of each is not counted; the program's settings exist).
//
//   startup_bench.exe [rounds]      (default 15)
//
// A start counts as done when the program waits for input with its window
// visible and nothing left to paint. Each started copy is closed with
// WM_CLOSE before the next start (its exit question answered); closing is
// not timed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 15000;

struct Candidate {
  const char* name;
  std::string path;
  const char* windowClass;
  std::vector<double> ms;
};

std::string Beside(const char* relative) {
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string path = module;
  return path.substr(0, path.rfind('\\') + 1) + relative;
}

double Now() {
  using Ms = std::chrono::duration<double, std::milli>;
  return Ms(std::chrono::steady_clock::now().time_since_epoch()).count();
}

HWND VisibleWindowOf(const char* windowClass, DWORD process) {
  for (HWND w = FindWindowExA(nullptr, nullptr, windowClass, nullptr); w;
       w = FindWindowExA(nullptr, w, windowClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// A program's first run offers its setup pages before the main window:
// the warm-up start cancels them, so that the timed starts find settings.
void CancelSetupPages(DWORD process) {
  HWND sheet = FindWindowA(nullptr, " Orvane Options");
  DWORD owner = 0;
  if (sheet) GetWindowThreadProcessId(sheet, &owner);
  if (sheet && owner == process) PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// The program asks before it exits (unless told not to): the question is
// answered with its first button, "Yes". True once the process has ended.
bool AnswerExitQuestion(const PROCESS_INFORMATION& process) {
  const double start = Now();
  while (Now() - start < kWaitMs) {
    if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) return true;
    HWND box = VisibleWindowOf("#32770", process.dwProcessId);
    if (box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return false;
}

// Starts the candidate, waits for its painted window and closes it again.
// Returns the milliseconds from the start to the painted window, or -1.
double TimeOneStart(const Candidate& candidate, bool warmUp = false) {
  std::string command = "\"" + candidate.path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const double start = Now();
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", candidate.path.c_str(), GetLastError());
    return -1;
  }
  double elapsed = -1;
  HWND window = nullptr;
  while (Now() - start < kWaitMs) {
    if (warmUp) CancelSetupPages(process.dwProcessId);
    // Idle means the program's thread waits in its message loop: no paint
    // is pending there, and a visible window has been painted.
    if (WaitForInputIdle(process.hProcess, 1) == 0 &&
        (window = VisibleWindowOf(candidate.windowClass, process.dwProcessId)) != nullptr &&
        !GetUpdateRect(window, nullptr, FALSE)) {
      elapsed = Now() - start;
      break;
    }
  }
  if (elapsed < 0) std::fprintf(stderr, "%s: no painted window within %lu ms\n", candidate.name, kWaitMs);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (!AnswerExitQuestion(process) && WaitForSingleObject(process.hProcess, kWaitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  Candidate candidates[] = {
      {"minimal Win32 window", Beside("minimal_window.exe"), "OrvaneBenchMinimal", {}},
      {"orvane", Beside(ORVANE_PROGRAM_FROM_BENCH), "OrvaneAppClass", {}},
  };
  // Warm-up: loads the files into the cache and lets the program's first
  // run write its settings (its setup pages cancelled).
  for (Candidate& c : candidates) {
    if (TimeOneStart(c, true) < 0) return 1;
  }
  for (int round = 0; round < rounds; ++round) {
    for (Candidate& c : candidates) {
      const double ms = TimeOneStart(c);
      if (ms < 0) return 1;
      c.ms.push_back(ms);
    }
  }
  std::printf("start to painted window, %d warm starts each, alternating\n", rounds);
  for (const Candidate& c : candidates) {
    std::printf("  %-22s median %7.1f ms   min %7.1f ms   max %7.1f ms\n", c.name, Median(c.ms),
                *std::min_element(c.ms.begin(), c.ms.end()), *std::max_element(c.ms.begin(), c.ms.end()));
  }
  const double ratio = Median(candidates[1].ms) / Median(candidates[0].ms);
  std::printf("  ratio of medians       %7.2f (target: at most 1.3)\n", ratio);
  return 0;
}
