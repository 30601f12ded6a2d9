// The keystream computed in vector lanes, written once for every instruction
// set. Only the kernel sources include this file, each compiled for its own
// instruction set; everything here has internal linkage, so the copies never
// meet at link time.
//
// Byte j of a stretch of the body needs the generator after j + 1 draws, and
// the generator advanced k draws is again a map x -> A*x + C (mod 2^32). So
// every lane holds the generator of one byte and all lanes advance by the
// width of a step at once. Vector instruction sets multiply 16-bit lanes far
// better than 32-bit ones, so each 32-bit value lives in two registers: its
// low halves in one, its high halves in another.
//
// Past the first 64 KB of a body the random bytes come from tables instead
// (see CipherState): a table byte, a shift byte and a mask byte per body byte,
// three loads and three byte operations per register.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Keystream.h"
#include "core/KeystreamKernels.h"

namespace {

// x -> mul * x + add (mod 2^32).
struct Affine {
    std::uint32_t mul;
    std::uint32_t add;
};

// The generator advanced by a number of draws.
constexpr Affine Draws(std::size_t count) {
    Affine map{1, 0};
    for (std::size_t i = 0; i < count; ++i) {
        map.mul *= kRandomMultiplier;
        map.add = map.add * kRandomMultiplier + kRandomIncrement;
    }
    return map;
}

template <class Vec>
struct LaneStep {
    explicit LaneStep(Affine map)
        : mulLow(Vec::Set16(map.mul)),
          mulHigh(Vec::Set16(map.mul >> 16)),
          addLow(Vec::Set16(map.add)),
          addHighPlusOne(Vec::Set16((map.add >> 16) + 1)) {}
    typename Vec::Reg mulLow;
    typename Vec::Reg mulHigh;
    typename Vec::Reg addLow;
    typename Vec::Reg addHighPlusOne;
};

// Applies the step to the values x = high * 2^16 + low, lane by lane:
//   low'  = lo16(mulLow * low) + addLow
//   high' = hi16(mulLow * low) + mulLow * high + mulHigh * low + addHigh
//           + the carry out of low'
// all modulo 2^16, which is mul * x + add modulo 2^32 cut in halves.
template <class Vec>
inline void Advance(typename Vec::Reg& low, typename Vec::Reg& high, const LaneStep<Vec>& step) {
    using Reg = typename Vec::Reg;
    const Reg productLow = Vec::MulLo16(low, step.mulLow);
    const Reg productHigh = Vec::MulHi16(low, step.mulLow);
    const Reg cross = Vec::Add16(Vec::MulLo16(high, step.mulLow), Vec::MulLo16(low, step.mulHigh));
    const Reg newLow = Vec::Add16(productLow, step.addLow);
    // All ones where the sum did not wrap: there the saturating sum agrees.
    const Reg noCarry = Vec::CmpEq16(Vec::AddSat16(productLow, step.addLow), newLow);
    high = Vec::Add16(Vec::Add16(productHigh, cross), Vec::Add16(step.addHighPlusOne, noCarry));
    low = newLow;
}

inline std::uint32_t NextMaskPos(std::uint32_t pos, std::size_t advance) {
    pos += static_cast<std::uint32_t>(advance);
    return pos >= kMaskPeriod ? pos - static_cast<std::uint32_t>(kMaskPeriod) : pos;
}

// Earlier format: the mask alone.
template <class Vec, bool kDecode>
std::size_t RunMaskOnly(const KernelJob& job) {
    using Reg = typename Vec::Reg;
    const std::size_t steps = job.count / Vec::kBytes;
    unsigned char* data = job.data;
    std::uint32_t pos = job.maskPos;
    for (std::size_t s = 0; s < steps; ++s) {
        const Reg mask = Vec::Load(job.mask + pos);
        const Reg in = Vec::Load(data);
        Vec::Store(data, kDecode ? Vec::Add8(in, mask) : Vec::Sub8(in, mask));
        data += Vec::kBytes;
        pos = NextMaskPos(pos, Vec::kBytes);
    }
    return steps * Vec::kBytes;
}

// Current format, random bytes from the tables.
template <class Vec, bool kDecode>
std::size_t RunFromTables(const KernelJob& job) {
    using Reg = typename Vec::Reg;
    const std::size_t steps = job.count / Vec::kBytes;
    unsigned char* data = job.data;
    const unsigned char* randomBytes = job.randomBytes;
    std::uint32_t pos = job.maskPos;
    std::uint32_t shiftPos = job.shiftPos;
    for (std::size_t s = 0; s < steps; ++s) {
        const Reg random = Vec::Add8(Vec::Load(randomBytes), Vec::Load(job.shift + shiftPos));
        // Encryption adds random - mask, decoding subtracts it.
        const Reg key = Vec::Sub8(random, Vec::Load(job.mask + pos));
        const Reg in = Vec::Load(data);
        Vec::Store(data, kDecode ? Vec::Sub8(in, key) : Vec::Add8(in, key));
        data += Vec::kBytes;
        randomBytes += Vec::kBytes;
        shiftPos = (shiftPos + Vec::kBytes) % 64;
        pos = NextMaskPos(pos, Vec::kBytes);
    }
    return steps * Vec::kBytes;
}

// Current format, random bytes generated. A step is kGroups registers of
// bytes; each register of bytes is packed from the high halves of two
// registers of 16-bit lanes.
template <class Vec, std::size_t kGroups, KernelMode kMode>
std::size_t RunWithRandom(const KernelJob& job) {
    using Reg = typename Vec::Reg;
    constexpr std::size_t kLanes = Vec::kBytes / 2;
    constexpr std::size_t kRegs = 2 * kGroups;
    constexpr std::size_t kStepBytes = Vec::kBytes * kGroups;
    static_assert(kStepBytes <= kMaskSlack, "a step reads past the mask table");

    const std::size_t steps = job.count / kStepBytes;
    if (steps == 0) {
        return 0;
    }

    std::uint32_t values[kStepBytes];
    std::uint32_t x = job.seed;
    for (std::size_t j = 0; j < kStepBytes; ++j) {
        x = x * kRandomMultiplier + kRandomIncrement;
        values[j] = x;
    }
    Reg low[kRegs];
    Reg high[kRegs];
    for (std::size_t r = 0; r < kRegs; ++r) {
        std::uint16_t lowHalves[kLanes];
        std::uint16_t highHalves[kLanes];
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const std::uint32_t value = values[(r / 2) * Vec::kBytes + Vec::ByteOfLane(r % 2, lane)];
            lowHalves[lane] = static_cast<std::uint16_t>(value);
            highHalves[lane] = static_cast<std::uint16_t>(value >> 16);
        }
        low[r] = Vec::Load(lowHalves);
        high[r] = Vec::Load(highHalves);
    }

    const LaneStep<Vec> step(Draws(kStepBytes));
    const Reg lowByte = Vec::Set16(0x00FF);
    unsigned char* data = job.data;
    std::uint32_t pos = job.maskPos;
    for (std::size_t s = 0; s < steps; ++s) {
        for (std::size_t g = 0; g < kGroups; ++g) {
            const Reg random = Vec::PackBytes(Vec::And(high[2 * g], lowByte),
                                              Vec::And(high[2 * g + 1], lowByte));
            unsigned char* at = data + g * Vec::kBytes;
            if (kMode == KernelMode::FillRandom) {
                Vec::Store(at, random);
            } else {
                // Encryption adds random - mask, decoding subtracts it.
                const Reg key = Vec::Sub8(random, Vec::Load(job.mask + pos + g * Vec::kBytes));
                const Reg in = Vec::Load(at);
                Vec::Store(at, kMode == KernelMode::Decode ? Vec::Sub8(in, key) : Vec::Add8(in, key));
            }
            Advance<Vec>(low[2 * g], high[2 * g], step);
            Advance<Vec>(low[2 * g + 1], high[2 * g + 1], step);
        }
        data += kStepBytes;
        pos = NextMaskPos(pos, kStepBytes);
    }
    return steps * kStepBytes;
}

template <class Vec, std::size_t kGroups>
std::size_t RunKernel(const KernelJob& job) {
    const bool decode = job.mode == KernelMode::Decode;
    if (job.mode == KernelMode::FillRandom) {
        return RunWithRandom<Vec, kGroups, KernelMode::FillRandom>(job);
    }
    if (!job.random) {
        return decode ? RunMaskOnly<Vec, true>(job) : RunMaskOnly<Vec, false>(job);
    }
    if (job.randomBytes) {
        return decode ? RunFromTables<Vec, true>(job) : RunFromTables<Vec, false>(job);
    }
    return decode ? RunWithRandom<Vec, kGroups, KernelMode::Decode>(job)
                  : RunWithRandom<Vec, kGroups, KernelMode::Encrypt>(job);
}

}  // namespace
