// Key hash, job key, check value, key hex text, byte helpers and the generator.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/BuiltinStrings.h"
#include "core/KeyHash.h"

namespace {

int Signed(unsigned char byte) {
    return byte >= 128 ? byte - 256 : byte;
}

// The hash as a plain sum over a weight table long enough for the key.
std::int32_t PlainHash(const std::string& key, const unsigned char* weights, std::size_t weightCount) {
    const std::size_t n = key.size();
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_LT(n + i, weightCount);
        EXPECT_LT(56 + i, weightCount);
        sum += static_cast<std::int64_t>(Signed(weights[n + i])) * Signed(static_cast<unsigned char>(key[i])) *
               Signed(weights[56 + i]) * static_cast<std::int64_t>(i + 1);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
}

std::string Repeat(const std::string& pattern, std::size_t length) {
    std::string text;
    while (text.size() < length) {
        text += pattern;
    }
    return text.substr(0, length);
}

TEST(Random, FirstNumbersAfterSeeding) {
    SeedRandom(1);
    EXPECT_EQ(41, NextRandom());
    SeedRandom(0);
    EXPECT_EQ(38, NextRandom());
}

TEST(Random, FollowsTheLinearCongruentialRule) {
    std::uint32_t seed = 0xDEADBEEFu;
    SeedRandom(seed);
    for (int i = 0; i < 1000; ++i) {
        seed = seed * 214013u + 2531011u;
        const int expected = static_cast<int>((seed >> 16) & 0x7FFF);
        if (i % 2 == 0) {
            ASSERT_EQ(expected, NextRandom());
        } else {
            ASSERT_EQ(expected % 256, RandomByte());
        }
        ASSERT_EQ(seed, RandomSeed());
    }
}

TEST(KeyHash, EmptyAndAbsentTextsHashToZero) {
    EXPECT_EQ(0, KeyHash(nullptr));
    EXPECT_EQ(0, KeyHash(""));
    EXPECT_EQ(KeyMask, JobKey(static_cast<std::uint32_t>(KeyHash(""))));
}

// A one-character text v hashes to WeightArea[1] * v * WeightArea[56]; a
// character of 128 or above counts negative.
TEST(KeyHash, OneCharacter) {
    for (int code : {0x01, int{'a'}, int{'Z'}, 0x7F, 0x80, 0xE9, 0xFF}) {
        const char text[2] = {static_cast<char>(code), '\0'};
        const int value = code >= 128 ? code - 256 : code;
        EXPECT_EQ(WeightArea[1] * value * WeightArea[56], KeyHash(text)) << "code " << code;
    }
    EXPECT_LT(KeyHash("\xE9"), 0);
}

// Keys of up to 56 characters read the weight area as it stands; the length
// weights of keys over 27 characters come from the zero bytes and the
// position weights.
TEST(KeyHash, KeysInsideTheWeightArea) {
    const std::string keys[] = {"a", "Orvane", "secret", "correct horse battery staple",
                                "Gr\xFC\xDF" "e", Repeat("0123456789", 27), Repeat("0123456789", 28),
                                Repeat("\x80\xFF~!", 56)};
    for (const std::string& key : keys) {
        EXPECT_EQ(PlainHash(key, WeightArea, kWeightAreaSize), KeyHash(key.c_str())) << key;
    }
}

// Past the area the weights continue as the area over again.
TEST(KeyHash, LongKeysWrapRoundTheWeightArea) {
    unsigned char repeated[5 * kWeightAreaSize];
    for (std::size_t copy = 0; copy < 5; ++copy) {
        std::memcpy(repeated + copy * kWeightAreaSize, WeightArea, kWeightAreaSize);
    }
    for (std::size_t length : {56u, 57u, 100u, 200u, 255u}) {
        const std::string key = Repeat("Orvane!\xE4", length);
        EXPECT_EQ(PlainHash(key, repeated, sizeof repeated), KeyHash(key.c_str())) << length;
    }
}

TEST(KeyHash, PermutationsHashDifferently) {
    EXPECT_NE(KeyHash("secret"), KeyHash("tercse"));
    EXPECT_NE(KeyHash("ab"), KeyHash("ba"));
}

TEST(JobKey, SetsTheMaskBitsOnly) {
    for (std::uint32_t value : {0u, 1u, KeyMask, 0xFFFFFFFFu, 0x80000000u, 0x12345678u}) {
        const std::uint32_t jobKey = JobKey(value);
        EXPECT_EQ(value | 0x0B51C6A2u, jobKey);
        EXPECT_EQ(jobKey, JobKey(jobKey));
        EXPECT_NE(0u, jobKey);
    }
}

TEST(KeyCheckValue, CombinesTheFirstTwoNumbersAndReseeds) {
    for (std::uint32_t jobKey : {KeyMask, 0xFFFFFFFFu, 0x0BFFC7F2u}) {
        std::uint32_t seed = jobKey;
        seed = seed * 214013u + 2531011u;
        const std::uint32_t x = (seed >> 16) & 0x7FFF;
        seed = seed * 214013u + 2531011u;
        const std::uint32_t y = (seed >> 16) & 0x7FFF;
        SeedRandom(99);
        EXPECT_EQ(x + (y << 16) + jobKey, KeyCheckValue(jobKey));
        EXPECT_EQ(seed, RandomSeed());
    }
}

TEST(KeyHexText, WorkedExample) {
    char text[kKeyHexTextSize + 3];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(text, KeyHexText(0x01020304u, text));
    EXPECT_STREQ("04 03 02 0130 34 20 30 33 20 30 32 20 30 31 ", text);
    EXPECT_EQ('#', text[kKeyHexTextSize]) << "writes 45 bytes only";
}

TEST(KeyHexText, AlwaysFortyFourCharacters) {
    for (std::uint32_t jobKey : {0u, KeyMask, 0xFFFFFFFFu, 0xA0B0C0D0u}) {
        char text[kKeyHexTextSize];
        KeyHexText(jobKey, text);
        EXPECT_EQ(44u, std::strlen(text));
        char first[16];
        std::snprintf(first, sizeof first, "%02X %02X %02X %02X", jobKey & 0xFF, (jobKey >> 8) & 0xFF,
                      (jobKey >> 16) & 0xFF, jobKey >> 24);
        EXPECT_EQ(0, std::strncmp(first, text, 11));
    }
}

TEST(HexBytes, TwoDigitsAndABlankPerByte) {
    const unsigned char bytes[] = {0x00, 0x7F, 0x80, 0xFF, 0xAB, 0x09};
    char out[3 * sizeof bytes + 1];
    EXPECT_EQ(out, HexBytes(bytes, sizeof bytes, out));
    EXPECT_STREQ("00 7F 80 FF AB 09 ", out);
    EXPECT_STREQ("", HexBytes(bytes, 0, out));
}

TEST(CompareBytes, BoundedStringComparison) {
    struct Case {
        const char* first;
        const char* second;
        std::size_t count;
        int expected;
    };
    const Case cases[] = {
        {"OrvaneHdrBlk", "OrvaneHdrBlk", 12, 0},
        {"OrvaneHdrBlk", "OrvaneHeader", 12, -1},  // 'd' < 'e'
        {"OrvaneHeader", "OrvaneHdrBlk", 12, 1},
        {"OrvaneHdrBlkXYZ", "OrvaneHdrBlk", 12, 0},  // only count bytes count
        {"abc", "abd", 2, 0},
        {"abc", "abd", 0, 0},
        {"\x80", "\x7F", 1, 1},                      // unsigned bytes
        {"ab\0x", "ab\0y", 4, 0},                    // stops after a zero byte
        {"ab", "abc", 3, -1},
        {"abc", "ab", 3, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, CompareBytes(c.first, c.second, c.count)) << c.first << " / " << c.second;
    }
}

}  // namespace
