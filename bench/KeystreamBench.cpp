// Speed of the keystream transform beside memcpy, the literal per-byte rule
// and (where built with OpenSSL) ChaCha20, in one run:
//   - in cache: one 16 KB buffer transformed over and over, 16 KB per call;
//   - in memory: a 64 MB buffer transformed in 16 KB calls, as a file is.
//
//   keystream_bench [--path scalar|sse2|avx2] [--sse2] [--seconds S]
//
// --sse2 is short for --path sse2. Every figure is the best of three rounds
// that each last at least S seconds (default 0.3).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "core/BuiltinStrings.h"
#include "core/KeyHash.h"
#include "core/Keystream.h"

#if defined(ORVANE_BENCH_CHACHA20)
#include <openssl/evp.h>
#endif

namespace {

constexpr std::size_t kBlockSize = 16384;
constexpr std::size_t kLargeSize = 64u << 20;

// The per-byte rule written the plain way, as the yardstick: three index
// steps, three string loads and one generator step per byte, in a tight loop
// that the compiler sees whole.
struct PlainKeystream {
    explicit PlainKeystream(std::uint32_t jobKey) : seed(jobKey) { KeyHexText(jobKey, keyHex); }

    void Encrypt(unsigned char* data, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            iLong = iLong >= kKeyStringLongLength ? 0 : iLong + 1;
            iHex = iHex >= kKeyHexTextLength ? 0 : iHex + 1;
            iShort = iShort >= kKeyStringShortLength ? 0 : iShort + 1;
            const unsigned mask = KeyStringShort[iShort] | KeyStringLong[iLong] |
                                  static_cast<unsigned char>(keyHex[iHex]);
            seed = seed * kRandomMultiplier + kRandomIncrement;
            data[i] = static_cast<unsigned char>(data[i] - mask + ((seed >> 16) & 0xFF));
        }
        SeedRandom(seed);
    }

    std::uint32_t iLong = 44;
    std::uint32_t iHex = 22;
    std::uint32_t iShort = 88;
    std::uint32_t seed;
    char keyHex[kKeyHexTextSize];
};

struct Options {
    KeystreamPath path = BestKeystreamPath();
    double seconds = 0.3;
};

// Runs pass (which handles `bytes` bytes) for at least `seconds`, three
// times, and returns the best rate in MB/s (10^6 bytes per second).
double Rate(std::size_t bytes, double seconds, const std::function<void()>& pass) {
    using Clock = std::chrono::steady_clock;
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        std::size_t passes = 0;
        const Clock::time_point start = Clock::now();
        double elapsed = 0;
        do {
            pass();
            ++passes;
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < seconds);
        const double rate = static_cast<double>(bytes) * static_cast<double>(passes) / elapsed / 1e6;
        if (rate > best) {
            best = rate;
        }
    }
    return best;
}

void Fill(std::vector<unsigned char>& buffer) {
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<unsigned char>(i * 131 + 7);
    }
}

struct Figures {
    double transform = 0;
    double memcopy = 0;
    double perByte = 0;
    double chacha20 = 0;
};

Figures Measure(std::size_t size, const Options& options) {
    std::vector<unsigned char> data(size);
    std::vector<unsigned char> copy(size);
    Fill(data);
    const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(KeyHash("benchmark key")));
    // The state is about 72 KB; keep it off the stack.
    std::vector<CipherState> states(1);
    CipherState& state = states[0];
    CipherStart(state, jobKey, CipherFormat::Current);
    if (!CipherUsePath(state, options.path)) {
        std::fprintf(stderr, "this processor cannot run the %s path\n", KeystreamPathName(options.path));
        std::exit(2);
    }

    Figures figures;
    figures.transform = Rate(size, options.seconds, [&] {
        for (std::size_t at = 0; at < size; at += kBlockSize) {
            CipherEncrypt(state, data.data() + at, kBlockSize);
        }
    });
    figures.memcopy = Rate(size, options.seconds, [&] {
        std::memcpy(copy.data(), data.data(), size);
        // Keep the copy observable so the compiler cannot drop it.
        data[0] = static_cast<unsigned char>(data[0] + copy[size - 1]);
    });
    PlainKeystream plain(jobKey);
    figures.perByte = Rate(size, options.seconds, [&] {
        for (std::size_t at = 0; at < size; at += kBlockSize) {
            plain.Encrypt(data.data() + at, kBlockSize);
        }
    });
#if defined(ORVANE_BENCH_CHACHA20)
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    const unsigned char key[32] = {1, 2, 3};
    const unsigned char iv[16] = {4, 5, 6};
    EVP_EncryptInit_ex(context, EVP_chacha20(), nullptr, key, iv);
    figures.chacha20 = Rate(size, options.seconds, [&] {
        for (std::size_t at = 0; at < size; at += kBlockSize) {
            int written = 0;
            EVP_EncryptUpdate(context, copy.data() + at, &written, data.data() + at,
                              static_cast<int>(kBlockSize));
        }
    });
    EVP_CIPHER_CTX_free(context);
#endif
    return figures;
}

void Report(const char* title, const Figures& f, const Options& options) {
    std::printf("%s\n", title);
    std::printf("  keystream (%s)   %10.1f MB/s\n", KeystreamPathName(options.path), f.transform);
    std::printf("  memcpy             %10.1f MB/s   keystream / memcpy     %6.2fx\n", f.memcopy,
                f.transform / f.memcopy);
    std::printf("  per-byte rule      %10.1f MB/s   keystream / per-byte   %6.2fx\n", f.perByte,
                f.transform / f.perByte);
    if (f.chacha20 > 0) {
        std::printf("  ChaCha20 (OpenSSL) %10.1f MB/s   keystream / ChaCha20   %6.2fx\n", f.chacha20,
                    f.transform / f.chacha20);
    } else {
        std::printf("  ChaCha20 (OpenSSL) not built in\n");
    }
}

bool ParsePath(const char* name, KeystreamPath& path) {
    for (KeystreamPath candidate : {KeystreamPath::Scalar, KeystreamPath::Sse2, KeystreamPath::Avx2}) {
        if (std::strcmp(name, KeystreamPathName(candidate)) == 0) {
            path = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sse2") == 0) {
            options.path = KeystreamPath::Sse2;
        } else if (std::strcmp(argv[i], "--path") == 0 && i + 1 < argc && ParsePath(argv[i + 1], options.path)) {
            ++i;
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options.seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--path scalar|sse2|avx2] [--sse2] [--seconds S]\n", argv[0]);
            return 2;
        }
    }
    std::printf("keystream path %s (best on this processor: %s)\n", KeystreamPathName(options.path),
                KeystreamPathName(BestKeystreamPath()));
    Report("in cache: 16 KB buffer, 16 KB calls", Measure(kBlockSize, options), options);
    Report("in memory: 64 MB buffer, 16 KB calls", Measure(kLargeSize, options), options);
    return 0;
}
