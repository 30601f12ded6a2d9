// Key hash, key check value, key hex text and the process-wide generator.
#include "core/KeyHash.h"

#include <cstring>

#include "core/BuiltinStrings.h"

namespace {

// The one generator seed of the process.
std::uint32_t randomSeed = 1;

int SignedByte(unsigned char byte) {
    return static_cast<signed char>(byte);
}

// Weight at an index of the area; indices past it (keys of more than 56
// characters) wrap round, so no key length reads outside the area.
int Weight(std::size_t index) {
    return SignedByte(WeightArea[index % kWeightAreaSize]);
}

}  // namespace

std::int32_t KeyHash(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const std::size_t length = std::strlen(text);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int value = SignedByte(static_cast<unsigned char>(text[i]));
        const int term = Weight(length + i) * value * Weight(kPositionWeightsOffset + i);
        sum += static_cast<std::uint32_t>(term) * static_cast<std::uint32_t>(i + 1);
    }
    return static_cast<std::int32_t>(sum);
}

std::uint32_t JobKey(std::uint32_t keyValue) {
    return keyValue | KeyMask;
}

std::uint32_t KeyCheckValue(std::uint32_t jobKey) {
    SeedRandom(jobKey);
    const std::uint32_t x = static_cast<std::uint32_t>(NextRandom());
    const std::uint32_t y = static_cast<std::uint32_t>(NextRandom());
    return x + (y << 16) + jobKey;
}

char* KeyHexText(std::uint32_t jobKey, char* out) {
    constexpr std::size_t kKeyDigits = 11;  // "04 03 02 01" without the final blank
    const unsigned char keyBytes[4] = {
        static_cast<unsigned char>(jobKey),
        static_cast<unsigned char>(jobKey >> 8),
        static_cast<unsigned char>(jobKey >> 16),
        static_cast<unsigned char>(jobKey >> 24),
    };
    HexBytes(keyBytes, sizeof keyBytes, out);
    char keyDigits[kKeyDigits];
    std::memcpy(keyDigits, out, kKeyDigits);
    HexBytes(keyDigits, kKeyDigits, out + kKeyDigits);
    return out;
}

char* HexBytes(const void* bytes, std::size_t count, char* out) {
    static const char kDigits[] = "0123456789ABCDEF";
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    char* next = out;
    for (std::size_t i = 0; i < count; ++i) {
        *next++ = kDigits[in[i] >> 4];
        *next++ = kDigits[in[i] & 0x0F];
        *next++ = ' ';
    }
    *next = '\0';
    return out;
}

int CompareBytes(const void* first, const void* second, std::size_t count) {
    const unsigned char* a = static_cast<const unsigned char*>(first);
    const unsigned char* b = static_cast<const unsigned char*>(second);
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
        if (a[i] == 0) {
            break;
        }
    }
    return 0;
}

void SeedRandom(std::uint32_t seed) {
    randomSeed = seed;
}

int NextRandom() {
    randomSeed = randomSeed * kRandomMultiplier + kRandomIncrement;
    return static_cast<int>((randomSeed >> 16) & 0x7FFF);
}

int RandomByte() {
    return NextRandom() & 0xFF;
}

std::uint32_t RandomSeed() {
    return randomSeed;
}
