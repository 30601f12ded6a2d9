// Interface between the keystream calls and their vector kernels, each
// compiled for its own instruction set. Only plain declarations here: a header
// with inline code would be compiled once per instruction set and the linker
// could keep the copy that the processor cannot run.
#pragma once

#include <cstddef>
#include <cstdint>

enum class KernelMode : std::uint8_t {
    Encrypt,
    Decode,
    // Writes the random byte of every position over data (current format).
    FillRandom,
};

struct KernelJob {
    unsigned char* data;
    std::size_t count;
    const unsigned char* mask;  // CipherState::mask
    std::uint32_t maskPos;      // mask position of data[0]
    std::uint32_t seed;         // generator seed before data[0]
    KernelMode mode;
    bool random;                // current format: one random byte per byte
    // When set, the random bytes are read instead of generated: the random
    // byte of data[i] is randomBytes[i] + shift[(shiftPos + i) % 64], where
    // shift holds its 64 bytes twice over.
    const unsigned char* randomBytes;
    const unsigned char* shift;
    std::uint32_t shiftPos;
};

// Each transforms the longest prefix of job.data that is a whole number of its
// steps and returns the prefix length; the caller moves mask position and seed
// on by that many bytes and finishes the rest.
std::size_t TransformSse2(const KernelJob& job);
std::size_t TransformAvx2(const KernelJob& job);
