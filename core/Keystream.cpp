// Keystream start and transform calls, the literal per-byte rule, the scalar
// path and the choice among the vector kernels.
#include "core/Keystream.h"

#include <algorithm>

#include "core/BuiltinStrings.h"
#include "core/KeystreamKernels.h"

namespace {

// Indices of the byte before the first body byte; the first byte therefore
// uses iLong = 45, iHex = 23 and (wrapping from beyond its string) iShort = 0.
constexpr std::uint32_t kStartLong = kKeyHexTextLength;
constexpr std::uint32_t kStartHex = kKeyHexTextLength / 2;
constexpr std::uint32_t kStartShort = 2 * kKeyHexTextLength;

// An index reaches its string's length, where it reads the terminating zero,
// and wraps to 0 after it.
std::uint32_t StepIndex(std::uint32_t index, std::size_t length) {
    return index >= length ? 0 : index + 1;
}

// StepIndex applied count times.
std::uint32_t AdvanceIndex(std::uint32_t index, std::size_t length, std::size_t count) {
    if (count == 0) {
        return index;
    }
    const std::size_t cycle = length + 1;
    const std::size_t first = StepIndex(index, length);
    return static_cast<std::uint32_t>((first + (count - 1) % cycle) % cycle);
}

constexpr std::uint32_t kNoSegment = 0xFFFFFFFFu;

unsigned char MaskAt(std::uint32_t iLong, std::uint32_t iHex, std::uint32_t iShort,
                     const char* keyHex) {
    return static_cast<unsigned char>(KeyStringShort[iShort] | KeyStringLong[iLong] |
                                      static_cast<unsigned char>(keyHex[iHex]));
}

// The generator advanced count draws at once, by repeated squaring.
std::uint32_t JumpSeed(std::uint32_t seed, std::size_t count) {
    std::uint32_t mul = kRandomMultiplier;
    std::uint32_t add = kRandomIncrement;
    while (count != 0) {
        if (count & 1) {
            seed = seed * mul + add;
        }
        add = add * mul + add;
        mul *= mul;
        count >>= 1;
    }
    return seed;
}

std::uint32_t StepSeed(std::uint32_t seed) {
    return seed * kRandomMultiplier + kRandomIncrement;
}

unsigned char RandomByteOf(std::uint32_t seed) {
    return static_cast<unsigned char>(seed >> 16);
}

unsigned char Combine(unsigned char in, unsigned char mask, unsigned char random, bool decode) {
    return static_cast<unsigned char>(decode ? in + mask - random : in - mask + random);
}

// Without vector registers the generator's multiply-add chain limits the
// speed, so four generators a quarter of the way apart run side by side.
std::size_t TransformScalar(const KernelJob& job) {
    constexpr std::size_t kLanes = 4;
    const bool generate = job.random && !job.randomBytes && job.mode != KernelMode::FillRandom;
    const std::size_t steps = generate ? job.count / kLanes : 0;
    const bool decode = job.mode == KernelMode::Decode;
    std::uint32_t lane[kLanes];
    std::uint32_t x = job.seed;
    for (std::size_t i = 0; i < kLanes; ++i) {
        x = StepSeed(x);
        lane[i] = x;
    }
    const std::uint32_t mul = kRandomMultiplier * kRandomMultiplier * kRandomMultiplier * kRandomMultiplier;
    const std::uint32_t add = JumpSeed(0, kLanes);
    unsigned char* data = job.data;
    std::uint32_t pos = job.maskPos;
    for (std::size_t s = 0; s < steps; ++s) {
        for (std::size_t i = 0; i < kLanes; ++i) {
            data[i] = Combine(data[i], job.mask[pos + i], RandomByteOf(lane[i]), decode);
            lane[i] = lane[i] * mul + add;
        }
        data += kLanes;
        pos += kLanes;
        if (pos >= kMaskPeriod) {
            pos -= kMaskPeriod;
        }
    }
    return steps * kLanes;
}

bool CpuSupports(KeystreamPath path) {
#if defined(ORVANE_X86_SIMD)
    __builtin_cpu_init();
    switch (path) {
        case KeystreamPath::Scalar:
            return true;
        case KeystreamPath::Sse2:
            return __builtin_cpu_supports("sse2");
        case KeystreamPath::Avx2:
            return __builtin_cpu_supports("avx2");
    }
    return false;
#else
    return path == KeystreamPath::Scalar;
#endif
}

std::size_t RunPath(KeystreamPath path, const KernelJob& job) {
    switch (path) {
#if defined(ORVANE_X86_SIMD)
        case KeystreamPath::Avx2:
            return TransformAvx2(job);
        case KeystreamPath::Sse2:
            return TransformSse2(job);
#endif
        default:
            return TransformScalar(job);
    }
}

std::uint32_t MaskPosAfter(std::uint32_t pos, std::size_t count) {
    return static_cast<std::uint32_t>((pos + count % kMaskPeriod) % kMaskPeriod);
}

std::uint32_t NextMaskPos(std::uint32_t pos) {
    return pos + 1 == kMaskPeriod ? 0 : pos + 1;
}

KernelMode ModeOf(bool decode) {
    return decode ? KernelMode::Decode : KernelMode::Encrypt;
}

// A piece of the body with its random bytes generated (or none drawn, in
// the earlier format).
void GeneratePiece(CipherState& state, unsigned char* data, std::size_t count, bool decode) {
    const bool random = state.format == CipherFormat::Current;
    const KernelJob job{data, count, state.mask, state.maskPos, state.seed, ModeOf(decode), random,
                        nullptr, nullptr, 0};
    const std::size_t done = RunPath(state.path, job);

    std::uint32_t pos = MaskPosAfter(state.maskPos, done);
    std::uint32_t seed = random ? JumpSeed(state.seed, done) : state.seed;
    for (std::size_t i = done; i < count; ++i) {
        unsigned char randomByte = 0;
        if (random) {
            seed = StepSeed(seed);
            randomByte = RandomByteOf(seed);
        }
        data[i] = Combine(data[i], state.mask[pos], randomByte, decode);
        pos = NextMaskPos(pos);
    }
    state.maskPos = pos;
    state.seed = seed;
}

// The random bytes of the first segment, and how each later segment moves
// them on.
void FillRandomBytes(CipherState& state) {
    const KernelJob job{state.randomBytes, kRandomSegment, state.mask, 0, state.startSeed,
                        KernelMode::FillRandom, true, nullptr, nullptr, 0};
    const std::size_t done = RunPath(state.path, job);
    std::uint32_t seed = JumpSeed(state.startSeed, done);
    for (std::size_t k = done; k < kRandomSegment; ++k) {
        seed = StepSeed(seed);
        state.randomBytes[k] = RandomByteOf(seed);
    }
    seed = state.startSeed;
    for (std::size_t j = 0; j < kShiftPeriod; ++j) {
        seed = StepSeed(seed);
        const unsigned char later = RandomByteOf(JumpSeed(seed, kRandomSegment));
        state.segmentStep[j] = static_cast<unsigned char>(later - state.randomBytes[j]);
    }
    state.randomBytesReady = true;
}

void SetShift(CipherState& state, std::uint32_t segment) {
    for (std::size_t j = 0; j < kShiftPeriod; ++j) {
        const auto shift = static_cast<unsigned char>(segment * state.segmentStep[j]);
        state.shift[j] = shift;
        state.shift[j + kShiftPeriod] = shift;
    }
    state.shiftSegment = segment;
}

// A piece of the body past the first segment that does not cross a segment
// boundary, its random bytes taken from the tables.
void TablePiece(CipherState& state, unsigned char* data, std::size_t count, bool decode) {
    if (!state.randomBytesReady) {
        FillRandomBytes(state);
    }
    // 256 segments are the 2^24 draws after which the random bytes repeat.
    const std::uint32_t segment = (state.position / kRandomSegment) % 256;
    if (state.shiftSegment != segment) {
        SetShift(state, segment);
    }
    const std::uint32_t offset = state.position % kRandomSegment;
    const std::uint32_t shiftPos = offset % kShiftPeriod;
    const KernelJob job{data, count, state.mask, state.maskPos, 0, ModeOf(decode), true,
                        state.randomBytes + offset, state.shift, shiftPos};
    const std::size_t done = RunPath(state.path, job);

    std::uint32_t pos = MaskPosAfter(state.maskPos, done);
    for (std::size_t i = done; i < count; ++i) {
        const auto randomByte =
            static_cast<unsigned char>(state.randomBytes[offset + i] + state.shift[(shiftPos + i) % kShiftPeriod]);
        data[i] = Combine(data[i], state.mask[pos], randomByte, decode);
        pos = NextMaskPos(pos);
    }
    state.maskPos = pos;
    state.seed = JumpSeed(state.seed, count);
}

void Transform(CipherState& state, unsigned char* data, std::size_t count, bool decode) {
    const bool random = state.format == CipherFormat::Current;
    // The scalar path keeps generating: without vectors, three loads per
    // byte gain little over the generator.
    const bool tables = random && state.path != KeystreamPath::Scalar;
    std::size_t done = 0;
    while (done < count) {
        std::size_t piece = count - done;
        if (tables) {
            piece = std::min<std::size_t>(piece, kRandomSegment - state.position % kRandomSegment);
        }
        if (tables && state.position >= kRandomSegment) {
            TablePiece(state, data + done, piece, decode);
        } else {
            GeneratePiece(state, data + done, piece, decode);
        }
        state.position += static_cast<std::uint32_t>(piece);
        done += piece;
    }

    state.iLong = AdvanceIndex(state.iLong, kKeyStringLongLength, count);
    state.iHex = AdvanceIndex(state.iHex, kKeyHexTextLength, count);
    state.iShort = AdvanceIndex(state.iShort, kKeyStringShortLength, count);
    if (random) {
        SeedRandom(state.seed);
    }
}

unsigned char TransformByte(CipherState& state, unsigned char in, bool decode) {
    state.iLong = StepIndex(state.iLong, kKeyStringLongLength);
    state.iHex = StepIndex(state.iHex, kKeyHexTextLength);
    state.iShort = StepIndex(state.iShort, kKeyStringShortLength);
    state.maskPos = NextMaskPos(state.maskPos);
    state.position += 1;
    const unsigned char mask = MaskAt(state.iLong, state.iHex, state.iShort, state.keyHex);
    unsigned char randomByte = 0;
    if (state.format == CipherFormat::Current) {
        state.seed = StepSeed(state.seed);
        SeedRandom(state.seed);
        randomByte = RandomByteOf(state.seed);
    }
    return Combine(in, mask, randomByte, decode);
}

}  // namespace

void CipherStart(CipherState& state, std::uint32_t jobKey, CipherFormat format) {
    state.iLong = kStartLong;
    state.iHex = kStartHex;
    state.iShort = kStartShort;
    state.format = format;
    state.path = BestKeystreamPath();
    state.maskPos = 0;
    KeyHexText(jobKey, state.keyHex);

    std::uint32_t iLong = kStartLong;
    std::uint32_t iHex = kStartHex;
    std::uint32_t iShort = kStartShort;
    for (unsigned char& mask : state.mask) {
        iLong = StepIndex(iLong, kKeyStringLongLength);
        iHex = StepIndex(iHex, kKeyHexTextLength);
        iShort = StepIndex(iShort, kKeyStringShortLength);
        mask = MaskAt(iLong, iHex, iShort, state.keyHex);
    }

    if (format == CipherFormat::Current) {
        SeedRandom(jobKey);
    }
    state.seed = RandomSeed();
    state.position = 0;
    state.startSeed = state.seed;
    state.randomBytesReady = false;
    state.shiftSegment = kNoSegment;
}

void CipherEncrypt(CipherState& state, unsigned char* data, std::size_t count) {
    Transform(state, data, count, false);
}

void CipherDecode(CipherState& state, unsigned char* data, std::size_t count) {
    Transform(state, data, count, true);
}

unsigned char EncryptByte(CipherState& state, unsigned char in) {
    return TransformByte(state, in, false);
}

unsigned char DecodeByte(CipherState& state, unsigned char in) {
    return TransformByte(state, in, true);
}

bool KeystreamPathSupported(KeystreamPath path) {
    return CpuSupports(path);
}

KeystreamPath BestKeystreamPath() {
    if (CpuSupports(KeystreamPath::Avx2)) {
        return KeystreamPath::Avx2;
    }
    if (CpuSupports(KeystreamPath::Sse2)) {
        return KeystreamPath::Sse2;
    }
    return KeystreamPath::Scalar;
}

bool CipherUsePath(CipherState& state, KeystreamPath path) {
    if (!CpuSupports(path)) {
        return false;
    }
    state.path = path;
    return true;
}

const char* KeystreamPathName(KeystreamPath path) {
    switch (path) {
        case KeystreamPath::Scalar:
            return "scalar";
        case KeystreamPath::Sse2:
            return "sse2";
        case KeystreamPath::Avx2:
            return "avx2";
    }
    return "unknown";
}
