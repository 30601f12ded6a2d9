// The keystream kernel for SSE2, which every x86-64 processor and every
// 32-bit one since the Pentium 4 has; chosen at run time.
#include <emmintrin.h>

#include "core/KeystreamLanes.h"

namespace {

struct Sse2 {
    using Reg = __m128i;
    static constexpr std::size_t kBytes = 16;

    static Reg Load(const void* at) { return _mm_loadu_si128(static_cast<const Reg*>(at)); }
    static void Store(void* at, Reg value) { _mm_storeu_si128(static_cast<Reg*>(at), value); }
    static Reg Set16(std::uint32_t value) {
        return _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(value)));
    }
    static Reg Add8(Reg a, Reg b) { return _mm_add_epi8(a, b); }
    static Reg Sub8(Reg a, Reg b) { return _mm_sub_epi8(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg AddSat16(Reg a, Reg b) { return _mm_adds_epu16(a, b); }
    static Reg CmpEq16(Reg a, Reg b) { return _mm_cmpeq_epi16(a, b); }
    static Reg MulLo16(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg MulHi16(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    // Bytes 0-7 from the lanes of a, 8-15 from those of b.
    static Reg PackBytes(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    static std::size_t ByteOfLane(std::size_t half, std::size_t lane) { return half * 8 + lane; }
};

}  // namespace

std::size_t TransformSse2(const KernelJob& job) {
#if defined(__x86_64__)
    return RunKernel<Sse2, 2>(job);
#else
    // Eight vector registers only: a wider step would spill its lanes.
    return RunKernel<Sse2, 1>(job);
#endif
}
