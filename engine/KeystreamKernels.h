// Interface between the keystream calls and their vector kernels, each
// compiled for its own instruction set. Only plain declarations here: a header
// with inline code would be compiled once per instruction set and the linker
// could keep the copy that the processor cannot run.
#pragma once

#include <cstddef>
#include <cstdint>

struct KernelJob {
    unsigned char* data;
    std::size_t count;
    const unsigned char* mask;  // CipherState::mask
    std::uint32_t maskPos;      // mask position of data[0]
    std::uint32_t seed;         // generator seed before data[0]
    bool decode;
    bool random;                // current format: one random byte per byte
};

// Each transforms the longest prefix of job.data that is a whole number of its
// steps and returns the prefix length; the caller moves mask position and seed
// on by that many bytes and finishes the rest.
std::size_t TransformSse2(const KernelJob& job);
std::size_t TransformAvx2(const KernelJob& job);
