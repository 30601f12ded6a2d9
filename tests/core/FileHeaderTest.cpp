// Header build, both recognitions, key checks and the number helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/FileHeader.h"
#include "core/KeyHash.h"

namespace {

using Bytes = std::vector<unsigned char>;

// An earlier-format header made by the rule: signature, the job key itself,
// the path, zeros.
Bytes EarlierHeader(std::uint32_t jobKey, const std::string& path) {
    Bytes header(276, 0);
    std::memcpy(header.data(), "OrvaneHeader", 12);
    for (int i = 0; i < 4; ++i) {
        header[12 + i] = static_cast<unsigned char>(jobKey >> (8 * i));
    }
    std::memcpy(header.data() + 16, path.data(), path.size());
    return header;
}

TEST(LittleEndian, LoadAndStore) {
    unsigned char bytes[6] = {0xEE, 0, 0, 0, 0, 0xEE};
    StoreLE32(bytes + 1, 0x0A0B0C0Du);
    const unsigned char expected[6] = {0xEE, 0x0D, 0x0C, 0x0B, 0x0A, 0xEE};
    EXPECT_EQ(0, std::memcmp(expected, bytes, 6));
    EXPECT_EQ(0x0A0B0C0Du, LoadLE32(bytes + 1));
    const unsigned char high[4] = {0xFF, 0xFE, 0x80, 0x90};
    EXPECT_EQ(0x9080FEFFu, LoadLE32(high));
}

TEST(FileHeader, BuildLaysOutSignatureCheckValueAndPath) {
    const std::uint32_t jobKey = 0x0BFFC7F2u;
    const char path[] = "D:\\Docs\\Report.doc";
    FileHeader header;
    std::memset(header.bytes, 0xCC, sizeof header.bytes);
    ASSERT_TRUE(BuildFileHeader(header, jobKey, path));

    EXPECT_EQ(0, std::memcmp(header.bytes, "OrvaneHdrBlk", 12));
    const std::uint32_t check = KeyCheckValue(jobKey);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<unsigned char>(check >> (8 * i)), header.bytes[12 + i]);
    }
    EXPECT_EQ(0, std::memcmp(header.bytes + 16, path, sizeof path));  // with its terminator
    for (std::size_t i = 16 + sizeof path; i < 276; ++i) {
        ASSERT_EQ(0, header.bytes[i]) << i;
    }
}

TEST(FileHeader, PathLimits) {
    FileHeader header;
    const std::string longest(255, 'p');
    ASSERT_TRUE(BuildFileHeader(header, KeyMask, longest.c_str()));
    EXPECT_EQ(0, std::memcmp(header.bytes + 16, longest.data(), 255));
    for (std::size_t i = 16 + 255; i < 276; ++i) {
        EXPECT_EQ(0, header.bytes[i]);
    }
    const char* stored = HeaderStoredPath(header.bytes, sizeof header.bytes);
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ(longest, stored);

    const std::string tooLong(256, 'p');
    EXPECT_FALSE(BuildFileHeader(header, KeyMask, tooLong.c_str()));
    EXPECT_FALSE(BuildFileHeader(header, KeyMask, nullptr));
    for (unsigned char byte : header.bytes) {
        ASSERT_EQ(0, byte);
    }
}

// Converter recognition needs 12 bytes, candidate recognition all 276.
TEST(FileHeader, Recognition) {
    FileHeader current;
    ASSERT_TRUE(BuildFileHeader(current, KeyMask, "C:\\a.txt"));
    const Bytes currentBytes(current.bytes, current.bytes + 276);
    const Bytes earlier = EarlierHeader(KeyMask, "C:\\a.txt");

    struct Case {
        const char* name;
        Bytes bytes;
        HeaderFormat converter;
        HeaderFormat candidate;
    };
    auto prefix = [](const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); };
    auto forged = [&](std::size_t at, unsigned char value) {
        Bytes bytes = currentBytes;
        bytes[at] = value;
        return bytes;
    };
    const char lowerCase[] = "orvanehdrblk";
    const Case cases[] = {
        {"current", currentBytes, HeaderFormat::Current, HeaderFormat::Current},
        {"earlier", earlier, HeaderFormat::Earlier, HeaderFormat::Earlier},
        {"current, 275 bytes", prefix(currentBytes, 275), HeaderFormat::Current, HeaderFormat::None},
        {"earlier, 12 bytes", prefix(earlier, 12), HeaderFormat::Earlier, HeaderFormat::None},
        {"11 bytes", prefix(currentBytes, 11), HeaderFormat::None, HeaderFormat::None},
        {"empty", Bytes(), HeaderFormat::None, HeaderFormat::None},
        {"last signature byte changed", forged(11, 'l'), HeaderFormat::None, HeaderFormat::None},
        {"first signature byte changed", forged(0, 'o'), HeaderFormat::None, HeaderFormat::None},
        {"zero inside the signature", forged(6, 0), HeaderFormat::None, HeaderFormat::None},
        {"lower case", Bytes(lowerCase, lowerCase + 12), HeaderFormat::None, HeaderFormat::None},
        {"zeros", Bytes(276, 0), HeaderFormat::None, HeaderFormat::None},
        {"the check value does not matter", forged(13, 0x55), HeaderFormat::Current, HeaderFormat::Current},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.converter, HeaderFormatOf(c.bytes.data(), c.bytes.size())) << c.name;
        EXPECT_EQ(c.candidate, CandidateHeaderFormat(c.bytes.data(), c.bytes.size())) << c.name;
    }
}

TEST(FileHeader, KeyCheckOfBothFormats) {
    const std::uint32_t right = JobKey(static_cast<std::uint32_t>(KeyHash("secret")));
    const std::uint32_t wrong = JobKey(static_cast<std::uint32_t>(KeyHash("Secret")));
    ASSERT_NE(right, wrong);

    FileHeader current;
    ASSERT_TRUE(BuildFileHeader(current, right, "C:\\a.txt"));
    EXPECT_TRUE(HeaderKeyMatches(current.bytes, 276, HeaderFormat::Current, right));
    EXPECT_FALSE(HeaderKeyMatches(current.bytes, 276, HeaderFormat::Current, wrong));
    EXPECT_TRUE(HeaderKeyMatches(current.bytes, 16, HeaderFormat::Current, right));
    EXPECT_FALSE(HeaderKeyMatches(current.bytes, 15, HeaderFormat::Current, right));
    EXPECT_FALSE(HeaderKeyMatches(current.bytes, 276, HeaderFormat::None, right));
    // The current header holds the check value, not the key.
    EXPECT_FALSE(HeaderKeyMatches(current.bytes, 276, HeaderFormat::Earlier, right));

    const Bytes earlier = EarlierHeader(right, "C:\\a.txt");
    EXPECT_TRUE(HeaderKeyMatches(earlier.data(), earlier.size(), HeaderFormat::Earlier, right));
    EXPECT_FALSE(HeaderKeyMatches(earlier.data(), earlier.size(), HeaderFormat::Earlier, wrong));
    EXPECT_FALSE(HeaderKeyMatches(earlier.data(), earlier.size(), HeaderFormat::Current, right));
}

// Only a whole header whose path field is terminated within 256 bytes gives
// a path; anything else is refused, never cut to fit.
TEST(FileHeader, StoredPathOfWholeTerminatedFieldsOnly) {
    auto withField = [](const std::string& field) {
        Bytes header = EarlierHeader(KeyMask, "");
        std::memcpy(header.data() + 16, field.data(), std::min<std::size_t>(field.size(), 260));
        return header;
    };
    const Bytes normal = EarlierHeader(KeyMask, "D:\\A\\b.txt");
    struct Case {
        const char* name;
        Bytes bytes;
        std::size_t count;
        const char* expected;  // nullptr: refused
    };
    const std::string longest(255, 'x');
    const Case cases[] = {
        {"a path", normal, 276, "D:\\A\\b.txt"},
        {"an empty path", withField(""), 276, ""},
        {"255 characters", withField(longest), 276, longest.c_str()},
        {"256 characters, then a zero", withField(longest + "x"), 276, nullptr},
        {"no terminator at all", withField(std::string(260, 'x')), 276, nullptr},
        {"the header ends after the path's terminator", normal, 275, nullptr},
        {"the header ends inside the path", normal, 20, nullptr},
        {"the header ends before the path", normal, 16, nullptr},
        {"nothing read", normal, 0, nullptr},
    };
    for (const Case& c : cases) {
        const char* stored = HeaderStoredPath(c.bytes.data(), c.count);
        if (c.expected == nullptr) {
            EXPECT_EQ(nullptr, stored) << c.name;
        } else {
            ASSERT_NE(nullptr, stored) << c.name;
            EXPECT_EQ(reinterpret_cast<const char*>(c.bytes.data() + 16), stored) << c.name;
            EXPECT_STREQ(c.expected, stored) << c.name;
        }
    }
}

// Random inputs of every length up to a little past the header, many with a
// signature in front: the recognitions agree with each other and nothing is
// read past the bytes given (the buffers are exactly that long).
TEST(FileHeader, RandomInputs) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 3000; ++trial) {
        const std::size_t count = random() % 300;
        std::vector<unsigned char> bytes(count);
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(random() % 4 == 0 ? 0 : random());
        }
        const char* signature = trial % 3 == 0 ? "OrvaneHdrBlk" : trial % 3 == 1 ? "OrvaneHeader" : nullptr;
        if (signature != nullptr && count > 0) {
            std::memcpy(bytes.data(), signature, std::min<std::size_t>(count, 12));
        }
        const HeaderFormat format = HeaderFormatOf(bytes.data(), count);
        const HeaderFormat expected = count < 12 || signature == nullptr ? HeaderFormat::None
                                      : trial % 3 == 0                  ? HeaderFormat::Current
                                                                        : HeaderFormat::Earlier;
        ASSERT_EQ(expected, format) << "trial " << trial;
        ASSERT_EQ(count >= 276 ? format : HeaderFormat::None, CandidateHeaderFormat(bytes.data(), count));
        if (const char* path = HeaderStoredPath(bytes.data(), count)) {
            ASSERT_GE(count, 276u);
            ASSERT_LE(std::strlen(path), 255u);
        }
        const bool matches = HeaderKeyMatches(bytes.data(), count, format, KeyMask);
        if (count < 16 || format == HeaderFormat::None) {
            ASSERT_FALSE(matches);
        }
    }
}

}  // namespace
