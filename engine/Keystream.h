// Keystream of the file body. A file is one CipherStart and any number of
// CipherEncrypt or CipherDecode calls over consecutive pieces of its body
// (the converters use 16 KB blocks); the state carries the position from one
// call to the next, so the way a body is split never changes the result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/KeyHash.h"

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
