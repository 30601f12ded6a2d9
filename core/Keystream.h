// Keystream of the file body. A file is one CipherStart and any number of
// CipherEncrypt or CipherDecode calls over consecutive pieces of its body
// (the converters use 16 KB blocks); the state carries the position from one
// call to the next, so the way a body is split never changes the result.
// The state is about 72 KB: keep it static or on the heap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/KeyHash.h"

enum class CipherFormat : std::uint8_t {
    Current,  // "OrvaneHdrBlk": mask and one random byte per body byte
    Earlier,  // "OrvaneHeader": mask only; the generator is not touched
};

// How the keystream is computed; every path gives the same bytes.
enum class KeystreamPath : std::uint8_t { Scalar, Sse2, Avx2 };

// The mask of body byte k repeats with k: the three string cycles have 117,
// 45 and 55 positions, and lcm(117, 45, 55) = 6435.
constexpr std::size_t kMaskPeriod = 6435;
// The mask table runs on this far past one period so that a vector load at
// any position of the period stays inside it.
constexpr std::size_t kMaskSlack = 64;

// The random byte of body byte k is bits 16 to 23 of the generator, which
// depend on its low 24 bits alone. The low 16 bits repeat every 65536 draws,
// so 65536 draws on the random byte has only moved by an amount that depends
// on k mod 64: random(k + 65536) = random(k) + segmentStep[k mod 64] (mod 256).
// The vector paths therefore generate the random bytes of the first 65536
// body bytes once and derive every later 64 KB segment from them.
constexpr std::size_t kRandomSegment = 65536;
constexpr std::size_t kShiftPeriod = 64;

struct CipherState {
    // Indices of the last body byte into KeyStringLong, keyHex, KeyStringShort.
    std::uint32_t iLong;
    std::uint32_t iHex;
    std::uint32_t iShort;
    // Generator seed after the last body byte (current format).
    std::uint32_t seed;
    CipherFormat format;
    KeystreamPath path;
    // Position of the next body byte in the mask cycle, 0 to kMaskPeriod - 1.
    std::uint32_t maskPos;
    char keyHex[kKeyHexTextSize];
    // mask[p]: KeyStringShort | KeyStringLong | keyHex byte of every body byte
    // k with k mod kMaskPeriod = p, filled by CipherStart.
    unsigned char mask[kMaskPeriod + kMaskSlack];

    // Number of body bytes transformed (mod 2^32, of which the tables use
    // the low 24 bits).
    std::uint32_t position;
    // Generator seed before the first body byte.
    std::uint32_t startSeed;
    // randomBytes[k]: random byte of body byte k for k < kRandomSegment, and
    // segmentStep; filled when a vector path first passes kRandomSegment.
    bool randomBytesReady;
    unsigned char segmentStep[kShiftPeriod];
    // shift[j] = segment * segmentStep[j mod 64] for shiftSegment, twice over
    // so that a vector load at any j < 64 stays inside it.
    std::uint32_t shiftSegment;
    unsigned char shift[2 * kShiftPeriod];
    unsigned char randomBytes[kRandomSegment];
};

// Starts the keystream of one file for a job key. The current format seeds
// the process-wide generator with jobKey (as KeyCheckValue does); the earlier
// format leaves it alone. Picks the fastest path the processor supports.
void CipherStart(CipherState& state, std::uint32_t jobKey, CipherFormat format);

// Transform count bytes in place and carry the state on. Encryption writes
// (in - m + RandomByte) mod 256, decoding (in + m - RandomByte) mod 256; in
// the earlier format no random number is drawn, decoding writes (in + m) and
// encryption, which only tools and tests use, (in - m). In the current format
// the process-wide seed is left where the per-byte rule leaves it, after
// count draws.
void CipherEncrypt(CipherState& state, unsigned char* data, std::size_t count);
void CipherDecode(CipherState& state, unsigned char* data, std::size_t count);

// The same rules one byte at a time, computed literally: three index steps,
// three string loads and one generator step.
unsigned char EncryptByte(CipherState& state, unsigned char in);
unsigned char DecodeByte(CipherState& state, unsigned char in);

// Whether this processor can run a path; Scalar always can.
bool KeystreamPathSupported(KeystreamPath path);
// The fastest supported path: the one CipherStart chooses.
KeystreamPath BestKeystreamPath();
// Makes the state use a path; false (and the state unchanged) when the
// processor does not support it.
bool CipherUsePath(CipherState& state, KeystreamPath path);
// "scalar", "sse2" or "avx2".
const char* KeystreamPathName(KeystreamPath path);
