// Speed of EncryptFile and DecodeFile on a real file beside CopyFileA of the
// same file, in one run, and the cost of their parts:
//   - encryption and decoding against the copy (and against the copy with
//     its data flushed to disk, as the converters flush their result);
//   - the floor: the file copied in 16 KB blocks and in the converters'
//     runs of 16 blocks, with and without the keystream;
//   - the cancel polling: a job against the same job with its quiet flag
//     set, which never polls;
//   - the clearing of the plain file ("Cleanup"), and the NSA erasure
//     against one overwrite pass of the file that reaches the disk.
//
//   conversion_bench [megabytes (256)] [folder ("": the temporary folder)] [rounds (5)]
//
// Every figure is the best of the rounds, and the ratios are also given for
// the medians. Run it under Wine by hand; it is not a test.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "context/AppContext.h"
#include "bench/BenchClock.h"
#include "engine/Converters.h"
#include "settings/ProgramOptions.h"

namespace {

constexpr DWORD kChunk = 1u << 20;

[[noreturn]] void Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "conversion_bench: %s failed for %s (code %lu)\n", what, path.c_str(),
               static_cast<unsigned long>(GetLastError()));
  std::exit(1);
}

void MakeFile(const std::string& path, unsigned megabytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", path);
  std::vector<unsigned char> chunk(kChunk);
  std::uint32_t x = 0x12345678u;
  for (unsigned m = 0; m < megabytes; ++m) {
    for (unsigned char& byte : chunk) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      byte = static_cast<unsigned char>(x);
    }
    DWORD written = 0;
    if (!WriteFile(file, chunk.data(), kChunk, &written, nullptr) || written != kChunk) Fail("WriteFile", path);
  }
  CloseHandle(file);
}

void Flush(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", path);
  FlushFileBuffers(file);
  CloseHandle(file);
}

void Copy(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) Fail("CopyFileA", to);
}

// A fresh copy of the master file, on disk before anything is timed, so that
// its write-back does not land in the next measurement.
void Prepare(const std::string& master, const std::string& path) {
  Copy(master, path);
  Flush(path);
}

// One overwrite pass of whole 16 KB blocks, written a run at a time as the
// clearing does, then the flush that puts it on disk.
void OverwritePass(const std::string& path, double& writing, double& flushing) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", path);
  static unsigned char run[kRunSize];
  std::fill(std::begin(run), std::end(run), 0xF6);
  const DWORD size = GetFileSize(file, nullptr);
  const double start = Now();
  for (DWORD offset = 0; offset < size; offset += kRunSize) {
    const DWORD count = std::min(kRunSize, (size - offset + kBlockSize - 1) / kBlockSize * kBlockSize);
    DWORD written = 0;
    if (!WriteFile(file, run, count, &written, nullptr)) Fail("WriteFile", path);
  }
  const double written = Now();
  FlushFileBuffers(file);
  const double flushed = Now();
  CloseHandle(file);
  writing = written - start;
  flushing = flushed - written;
}

// The floor: the file read and written in blocks of blockSize, with or
// without the keystream, the result flushed. In 16 KB blocks and in the
// converters' runs, to show what one read or write call costs.
double BlockCopy(const std::string& from, const std::string& to, DWORD blockSize, bool transform, bool flush = true) {
  HANDLE in = CreateFileA(from.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) Fail("CreateFileA", from);
  // A new file, as the converters and CopyFileA write.
  DeleteFileA(to.c_str());
  HANDLE out = CreateFileA(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) Fail("CreateFileA", to);
  static unsigned char block[kRunSize];
  static CipherState cipher;
  const double start = Now();
  CipherStart(cipher, 0x2468ACE1u | KeyMask, CipherFormat::Current);
  DWORD got = 0;
  while (ReadFile(in, block, blockSize, &got, nullptr) && got > 0) {
    if (transform) CipherEncrypt(cipher, block, got);
    DWORD written = 0;
    if (!WriteFile(out, block, got, &written, nullptr)) Fail("WriteFile", to);
  }
  if (flush) FlushFileBuffers(out);
  const double elapsed = Now() - start;
  // Unflushed data is put on disk outside the measurement, so that its
  // write-back does not land in the next one.
  if (!flush) FlushFileBuffers(out);
  CloseHandle(in);
  CloseHandle(out);
  return elapsed;
}

// Receives ConversionDone and frees the job, as the main window does.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ConversionDone) {
    HGLOBAL block = GlobalHandle(reinterpret_cast<void*>(lParam));
    GlobalUnlock(block);
    GlobalFree(block);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND owner = nullptr;

double Convert(int (*converter)(ConversionJob*), const std::string& path, ProgramOptions& options, LONG quiet) {
  ConversionJob* job = CreateConversionJob(owner, nullptr, path.c_str(), 0x2468ACE1u, &options);
  if (!job) Fail("CreateConversionJob", path);
  job->quiet = quiet;
  const double start = Now();
  const int result = converter(job);
  const double elapsed = Now() - start;
  if (result != 1) Fail("conversion", path);
  return elapsed;
}

// The times of one operation over the rounds.
// The cancel polling of a conversion of `megabytes` on its own: two calls
// of AbortRequested per 16 KB block, with an empty queue, as the converters
// make them. Measured apart from the conversions because their flush varies
// by far more than the polling costs.
double Polling(HWND window, unsigned megabytes) {
  const unsigned calls = 2 * megabytes * (1024 * 1024 / kBlockSize);
  ResetAbortPolling();
  const double start = Now();
  for (unsigned i = 0; i < calls; ++i) {
    if (AbortRequested(window)) Fail("AbortRequested", "an empty queue");
  }
  return Now() - start;
}

struct Best {
  std::vector<double> times;
  double seconds = 1e9;
  void Take(double s) {
    seconds = std::min(seconds, s);
    times.push_back(s);
  }
  double Median() const {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  const unsigned megabytes = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 256;
  std::string folder = argc > 2 ? argv[2] : "";
  if (folder.empty()) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = temp;
  }
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);

  App().instance = GetModuleHandleA(nullptr);
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  FillAppPaths(module, App().paths);
  LogFlag = 0;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = App().instance;
  windowClass.lpszClassName = "OrvaneConversionBench";
  RegisterClassA(&windowClass);
  owner = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, App().instance,
                          nullptr);

  const std::string master = folder + "bench-master.dat";
  const std::string copy = folder + "bench-copy.dat";
  const std::string plain = folder + "bench-plain.dat";
  const std::string encrypted = folder + "bench-plain.(=dat=)";
  const std::string toDecode = folder + "bench-cipher.(=dat=)";
  const std::string decoded = folder + "bench-cipher.dat";
  std::printf("file: %u MB in %s, best of %d rounds\n", megabytes, folder.c_str(), rounds);
  MakeFile(master, megabytes);
  Flush(master);

  ProgramOptions keep{};
  ProgramOptions cleanup{};
  cleanup.Cleanup = 1;
  ProgramOptions nsa{};
  nsa.Cleanup = 1;
  nsa.NSAErasures = 1;

  Best polling, blockCopy, blockCipher, runCopy, runCipher, runCipherUnflushed, copyTime, copyFlushTime, encrypt, encryptQuiet, decode, decodeQuiet, encryptCleanup, encryptNsa, passWrite,
      passFlushed, deleting;
  for (int round = 0; round < rounds; ++round) {
    DeleteFileA(copy.c_str());
    double start = Now();
    Copy(master, copy);
    const double copied = Now() - start;
    copyTime.Take(copied);
    start = Now();
    Flush(copy);
    copyFlushTime.Take(copied + Now() - start);

    polling.Take(Polling(owner, megabytes));
    blockCopy.Take(BlockCopy(master, copy, kBlockSize, false));
    blockCipher.Take(BlockCopy(master, copy, kBlockSize, true));
    runCopy.Take(BlockCopy(master, copy, kRunSize, false));
    runCipher.Take(BlockCopy(master, copy, kRunSize, true));
    runCipherUnflushed.Take(BlockCopy(master, copy, kRunSize, true, false));

    for (LONG quiet = 0; quiet <= 1; ++quiet) {
      Prepare(master, plain);
      DeleteFileA(encrypted.c_str());
      (quiet ? encryptQuiet : encrypt).Take(Convert(EncryptFile, plain, keep, quiet));
      DeleteFileA(toDecode.c_str());
      if (!MoveFileA(encrypted.c_str(), toDecode.c_str())) Fail("MoveFileA", toDecode);
      DeleteFileA(decoded.c_str());
      (quiet ? decodeQuiet : decode).Take(Convert(DecodeFile, toDecode, keep, quiet));
    }

    Prepare(master, plain);
    DeleteFileA(encrypted.c_str());
    encryptCleanup.Take(Convert(EncryptFile, plain, cleanup, 0));
    Prepare(master, plain);
    DeleteFileA(encrypted.c_str());
    encryptNsa.Take(Convert(EncryptFile, plain, nsa, 0));

    Prepare(master, copy);
    double writing = 0, flushing = 0;
    OverwritePass(copy, writing, flushing);
    passWrite.Take(writing);
    passFlushed.Take(writing + flushing);
    // The deletion that ends a clearing, of a file whose data is on disk.
    const double deleteStart = Now();
    if (!DeleteFileA(copy.c_str())) Fail("DeleteFileA", copy);
    deleting.Take(Now() - deleteStart);
  }
  for (const std::string& path : {master, copy, plain, encrypted, toDecode, decoded}) DeleteFileA(path.c_str());

  const double mb = megabytes;
  auto line = [mb](const char* what, double seconds) {
    std::printf("  %-44s %8.3f s  %8.1f MB/s\n", what, seconds, mb / seconds);
  };
  line("CopyFileA", copyTime.seconds);
  line("CopyFileA, then FlushFileBuffers", copyFlushTime.seconds);
  line("16 KB blocks read, written, flushed", blockCopy.seconds);
  line("the same with the keystream", blockCipher.seconds);
  line("256 KB runs read, written, flushed", runCopy.seconds);
  line("the same with the keystream", runCipher.seconds);
  line("the same without the flush", runCipherUnflushed.seconds);
  line("EncryptFile (no Cleanup)", encrypt.seconds);
  line("EncryptFile, quiet job (no polling)", encryptQuiet.seconds);
  line("DecodeFile (no Cleanup)", decode.seconds);
  line("DecodeFile, quiet job (no polling)", decodeQuiet.seconds);
  line("EncryptFile with Cleanup", encryptCleanup.seconds);
  line("EncryptFile with Cleanup and NSAErasures", encryptNsa.seconds);
  line("one overwrite pass, 256 KB writes", passWrite.seconds);
  line("one overwrite pass, then FlushFileBuffers", passFlushed.seconds);
  line("DeleteFileA of the overwritten file", deleting.seconds);

  const double clearing = encryptCleanup.seconds - encrypt.seconds;
  const double erasure = encryptNsa.seconds - encrypt.seconds;
  std::printf("ratios\n");
  std::printf("  encryption / copy                 %6.2f   (/ copy with flush %5.2f; medians %5.2f)\n",
              encrypt.seconds / copyTime.seconds, encrypt.seconds / copyFlushTime.seconds,
              encrypt.Median() / copyTime.Median());
  std::printf("  decoding / copy                   %6.2f   (/ copy with flush %5.2f; medians %5.2f)\n",
              decode.seconds / copyTime.seconds, decode.seconds / copyFlushTime.seconds,
              decode.Median() / copyTime.Median());
  std::printf("  cancel polling, encryption        %+6.1f %%   (medians %+5.1f %%)\n",
              100.0 * (encrypt.seconds / encryptQuiet.seconds - 1),
              100.0 * (encrypt.Median() / encryptQuiet.Median() - 1));
  std::printf("  cancel polling, decoding          %+6.1f %%   (medians %+5.1f %%)\n",
              100.0 * (decode.seconds / decodeQuiet.seconds - 1), 100.0 * (decode.Median() / decodeQuiet.Median() - 1));
  std::printf("  cancel polling on its own         %6.3f s = %+5.1f %% of encryption, %+5.1f %% of decoding\n",
              polling.seconds, 100.0 * polling.seconds / encryptQuiet.seconds,
              100.0 * polling.seconds / decodeQuiet.seconds);
  std::printf("  Cleanup: clearing and deleting    %6.3f s = %5.2f overwrite passes with flush\n", clearing,
              clearing / passFlushed.seconds);
  std::printf("  NSA erasure and deleting          %6.3f s = %5.2f overwrite passes with flush\n", erasure,
              erasure / passFlushed.seconds);
  std::printf("  NSA erasure / single clearing     %6.2f   (both with deleting)\n", erasure / clearing);
  std::printf("  NSA erasure without deleting      %6.3f s = %5.2f overwrite passes with flush\n",
              erasure - deleting.seconds, (erasure - deleting.seconds) / passFlushed.seconds);
  std::printf("  the converters' work apart from their flush, against the copy:\n");
  std::printf("  runs with keystream, unflushed / copy %5.2f\n", runCipherUnflushed.seconds / copyTime.seconds);
  return 0;
}
