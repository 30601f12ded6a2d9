// The keystream kernel for AVX2, chosen at run time where the processor and
// the system support it.
#include <immintrin.h>

#include "core/KeystreamLanes.h"

namespace {

struct Avx2 {
    using Reg = __m256i;
    static constexpr std::size_t kBytes = 32;

    static Reg Load(const void* at) { return _mm256_loadu_si256(static_cast<const Reg*>(at)); }
    static void Store(void* at, Reg value) { _mm256_storeu_si256(static_cast<Reg*>(at), value); }
    static Reg Set16(std::uint32_t value) {
        return _mm256_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(value)));
    }
    static Reg Add8(Reg a, Reg b) { return _mm256_add_epi8(a, b); }
    static Reg Sub8(Reg a, Reg b) { return _mm256_sub_epi8(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg AddSat16(Reg a, Reg b) { return _mm256_adds_epu16(a, b); }
    static Reg CmpEq16(Reg a, Reg b) { return _mm256_cmpeq_epi16(a, b); }
    static Reg MulLo16(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg MulHi16(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    // Packs within each 128-bit half: bytes 0-7 come from lanes 0-7 of a,
    // 8-15 from lanes 0-7 of b, 16-23 from lanes 8-15 of a, 24-31 from lanes
    // 8-15 of b.
    static Reg PackBytes(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    static std::size_t ByteOfLane(std::size_t half, std::size_t lane) {
        return lane < 8 ? half * 8 + lane : 16 + half * 8 + (lane - 8);
    }
};

}  // namespace

std::size_t TransformAvx2(const KernelJob& job) {
#if defined(__x86_64__)
    return RunKernel<Avx2, 2>(job);
#else
    return RunKernel<Avx2, 1>(job);
#endif
}
