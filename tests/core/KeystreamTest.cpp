// The keystream against a literal per-byte reference: every path, both
// formats, both directions, any way of splitting a body into calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/BuiltinStrings.h"
#include "core/KeyHash.h"
#include "core/Keystream.h"

// Names the path in failure messages (found by argument-dependent lookup).
void PrintTo(KeystreamPath path, std::ostream* out) {
    *out << KeystreamPathName(path);
}

namespace {

using Bytes = std::vector<unsigned char>;

// The rule exactly as the format states it, with its own generator.
class Reference {
public:
    Reference(std::uint32_t jobKey, CipherFormat format) : current_(format == CipherFormat::Current), seed_(jobKey) {
        KeyHexText(jobKey, keyHex_);
    }

    void Run(Bytes& data, bool decode) {
        for (unsigned char& byte : data) {
            iLong_ = iLong_ >= 116 ? 0 : iLong_ + 1;
            iHex_ = iHex_ >= 44 ? 0 : iHex_ + 1;
            iShort_ = iShort_ >= 54 ? 0 : iShort_ + 1;
            const int mask = KeyStringShort[iShort_] | KeyStringLong[iLong_] | static_cast<unsigned char>(keyHex_[iHex_]);
            int random = 0;
            if (current_) {
                seed_ = seed_ * 214013u + 2531011u;
                random = static_cast<int>((seed_ >> 16) & 0x7FFF) % 256;
            }
            byte = static_cast<unsigned char>(decode ? byte + mask - random : byte - mask + random);
        }
    }

    std::uint32_t seed() const { return seed_; }
    unsigned iLong() const { return iLong_; }
    unsigned iHex() const { return iHex_; }
    unsigned iShort() const { return iShort_; }

private:
    bool current_;
    std::uint32_t seed_;
    char keyHex_[kKeyHexTextSize];
    unsigned iLong_ = 44;
    unsigned iHex_ = 22;
    unsigned iShort_ = 88;
};

Bytes RandomBytes(std::mt19937& random, std::size_t count) {
    Bytes bytes(count);
    for (unsigned char& byte : bytes) {
        byte = static_cast<unsigned char>(random());
    }
    return bytes;
}

const std::uint32_t kJobKeys[] = {KeyMask, 0xFFFFFFFFu, 0x0BFFC7F2u, 0x8F51C6A3u, 0x2B59D6E7u};
const CipherFormat kFormats[] = {CipherFormat::Current, CipherFormat::Earlier};

// The state is about 72 KB: keep it on the heap.
struct Cipher {
    Cipher(std::uint32_t jobKey, CipherFormat format, KeystreamPath path) : storage(1) {
        CipherStart(storage[0], jobKey, format);
        EXPECT_TRUE(CipherUsePath(storage[0], path));
    }
    CipherState& state() { return storage[0]; }
    void Run(unsigned char* data, std::size_t count, bool decode) {
        if (decode) {
            CipherDecode(state(), data, count);
        } else {
            CipherEncrypt(state(), data, count);
        }
    }
    std::vector<CipherState> storage;
};

class KeystreamPaths : public ::testing::TestWithParam<KeystreamPath> {
protected:
    void SetUp() override {
        if (!KeystreamPathSupported(GetParam())) {
            GTEST_SKIP() << "this processor has no " << KeystreamPathName(GetParam());
        }
    }
};

// Whole bodies of lengths around every step width, the mask period and the
// 16 KB block, for several keys, both formats and both directions; then the
// indices and the process-wide seed are where the reference leaves them.
TEST_P(KeystreamPaths, WholeBodyMatchesReference) {
    const std::size_t lengths[] = {0, 1, 3, 4, 5, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 129,
                                   6434, 6435, 6436, 16383, 16384, 16385, 2 * 16384 + 7};
    std::mt19937 random(1);
    for (std::uint32_t jobKey : kJobKeys) {
        for (CipherFormat format : kFormats) {
            for (bool decode : {false, true}) {
                for (std::size_t length : lengths) {
                    SCOPED_TRACE(testing::Message() << "key " << jobKey << " format " << int(format)
                                                    << " decode " << decode << " length " << length);
                    const Bytes plain = RandomBytes(random, length);
                    Bytes expected = plain;
                    Reference reference(jobKey, format);
                    reference.Run(expected, decode);

                    SeedRandom(0x5EED5EEDu);
                    Cipher cipher(jobKey, format, GetParam());
                    Bytes actual = plain;
                    cipher.Run(actual.data(), actual.size(), decode);
                    ASSERT_EQ(expected, actual);
                    EXPECT_EQ(reference.iLong(), cipher.state().iLong);
                    EXPECT_EQ(reference.iHex(), cipher.state().iHex);
                    EXPECT_EQ(reference.iShort(), cipher.state().iShort);
                    const std::uint32_t untouched = 0x5EED5EEDu;
                    EXPECT_EQ(format == CipherFormat::Current ? reference.seed() : untouched, RandomSeed());
                }
            }
        }
    }
}

// Random splits of bodies around 16 KB, at odd offsets of the buffer, give
// the same bytes as one call.
TEST_P(KeystreamPaths, RandomSplitsMatchReference) {
    std::mt19937 random(2);
    for (int trial = 0; trial < 40; ++trial) {
        const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(random()));
        const CipherFormat format = kFormats[trial % 2];
        const bool decode = trial % 4 >= 2;
        const std::size_t length = 16384 - 300 + random() % 600;
        const std::size_t offset = random() % 64;
        SCOPED_TRACE(testing::Message() << "trial " << trial << " length " << length << " offset " << offset);

        const Bytes plain = RandomBytes(random, length);
        Bytes expected = plain;
        Reference reference(jobKey, format);
        reference.Run(expected, decode);

        Bytes buffer(offset + length);
        std::copy(plain.begin(), plain.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
        Cipher cipher(jobKey, format, GetParam());
        std::size_t done = 0;
        while (done < length) {
            // Mostly short pieces, sometimes long ones, sometimes empty calls.
            const std::size_t limit = random() % 4 == 0 ? 5000 : 70;
            const std::size_t piece = std::min<std::size_t>(random() % (limit + 1), length - done);
            cipher.Run(buffer.data() + offset + done, piece, decode);
            done += piece;
        }
        ASSERT_EQ(expected, Bytes(buffer.begin() + static_cast<std::ptrdiff_t>(offset), buffer.end()));
        if (format == CipherFormat::Current) {
            EXPECT_EQ(reference.seed(), RandomSeed());
        }
    }
}

// Past the first 64 KB the vector paths take their random bytes from
// tables. Bodies across several 64 KB segments, split at odd points, one that
// starts on the scalar path and changes path past the first segment, and one
// past the 2^24 draws after which the random bytes repeat all follow the
// reference, and leave the generator where it does.
TEST_P(KeystreamPaths, LongBodiesMatchReference) {
    struct Case {
        std::size_t length;
        std::size_t piece;           // typical call size
        std::size_t scalarUntil;     // body bytes done on the scalar path first
        CipherFormat format;
        bool decode;
    };
    const Case cases[] = {
        {3 * 65536 + 777, 16384, 0, CipherFormat::Current, false},
        {3 * 65536 + 777, 16384, 0, CipherFormat::Current, true},
        {2 * 65536 + 5, 70, 0, CipherFormat::Current, true},
        {3 * 65536 + 100, 5000, 100000, CipherFormat::Current, false},
        {2 * 65536 + 100, 16384, 0, CipherFormat::Earlier, true},
        {(std::size_t{1} << 24) + 2 * 65536 + 13, 16 * 16384 + 3, 0, CipherFormat::Current, false},
    };
    std::mt19937 random(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " piece " << c.piece << " decode " << c.decode);
        const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(random()));
        const Bytes plain = RandomBytes(random, c.length);
        Bytes expected = plain;
        Reference reference(jobKey, c.format);
        reference.Run(expected, c.decode);

        Bytes actual = plain;
        Cipher cipher(jobKey, c.format, c.scalarUntil ? KeystreamPath::Scalar : GetParam());
        std::size_t done = 0;
        while (done < actual.size()) {
            if (c.scalarUntil && done >= c.scalarUntil) {
                ASSERT_TRUE(CipherUsePath(cipher.state(), GetParam()));
            }
            std::size_t piece = random() % 8 == 0 ? random() % 100 : c.piece - c.piece / 4 + random() % (c.piece / 2 + 1);
            piece = std::min(piece, actual.size() - done);
            cipher.Run(actual.data() + done, piece, c.decode);
            done += piece;
        }
        ASSERT_TRUE(expected == actual);
        if (c.format == CipherFormat::Current) {
            EXPECT_EQ(reference.seed(), RandomSeed());
        }
    }
}

// A 16385-byte body in 16 KB blocks: the last byte continues the stream at
// position 16384 instead of restarting.
TEST_P(KeystreamPaths, BlockBoundaryDoesNotRestart) {
    const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(KeyHash("Orvane")));
    Bytes expected(16385, 0x41);
    Reference reference(jobKey, CipherFormat::Current);
    reference.Run(expected, false);

    Bytes body(16385, 0x41);
    Cipher cipher(jobKey, CipherFormat::Current, GetParam());
    cipher.Run(body.data(), 16384, false);
    cipher.Run(body.data() + 16384, 1, false);
    EXPECT_EQ(expected, body);
}

// Encrypting then decoding with a fresh start gives every short body back.
TEST_P(KeystreamPaths, RoundTripsShortBodies) {
    std::mt19937 random(3);
    for (CipherFormat format : kFormats) {
        for (std::size_t length = 0; length <= 300; ++length) {
            const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(random()));
            const Bytes plain = RandomBytes(random, length);
            Bytes body = plain;
            Cipher(jobKey, format, GetParam()).Run(body.data(), body.size(), false);
            Cipher(jobKey, format, GetParam()).Run(body.data(), body.size(), true);
            ASSERT_EQ(plain, body) << "length " << length << " format " << int(format);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, KeystreamPaths,
                         ::testing::Values(KeystreamPath::Scalar, KeystreamPath::Sse2, KeystreamPath::Avx2),
                         [](const ::testing::TestParamInfo<KeystreamPath>& pathInfo) {
                             return std::string(KeystreamPathName(pathInfo.param));
                         });

TEST(Keystream, StartSetsIndicesAndSeed) {
    SeedRandom(7);
    std::vector<CipherState> states(2);
    CipherStart(states[0], 0x0BFFC7F2u, CipherFormat::Current);
    EXPECT_EQ(44u, states[0].iLong);
    EXPECT_EQ(22u, states[0].iHex);
    EXPECT_EQ(88u, states[0].iShort);
    EXPECT_EQ(0x0BFFC7F2u, RandomSeed());

    SeedRandom(7);
    CipherStart(states[1], 0x0BFFC7F2u, CipherFormat::Earlier);
    EXPECT_EQ(7u, RandomSeed());

    // The first body byte uses iLong = 45, iHex = 23, iShort = 0.
    unsigned char byte = 0;
    CipherEncrypt(states[1], &byte, 1);
    EXPECT_EQ(45u, states[1].iLong);
    EXPECT_EQ(23u, states[1].iHex);
    EXPECT_EQ(0u, states[1].iShort);
    const unsigned char mask = KeyStringShort[0] | KeyStringLong[45] | static_cast<unsigned char>(states[1].keyHex[23]);
    EXPECT_EQ(static_cast<unsigned char>(0 - mask), byte);
}

// The current body draws the same first two numbers as the check value.
TEST(Keystream, FirstRandomNumbersAreThoseOfTheCheckValue) {
    const std::uint32_t jobKey = 0x2B59D6E7u;
    const std::uint32_t check = KeyCheckValue(jobKey);
    std::vector<CipherState> states(1);
    CipherStart(states[0], jobKey, CipherFormat::Current);
    unsigned char zeros[2] = {0, 0};
    unsigned char masks[2] = {0, 0};
    CipherEncrypt(states[0], zeros, 2);
    CipherStart(states[0], jobKey, CipherFormat::Earlier);
    CipherEncrypt(states[0], masks, 2);  // 0 - m each
    const std::uint32_t x = (check - jobKey) & 0xFFFF;
    const std::uint32_t y = (check - jobKey) >> 16;
    EXPECT_EQ(static_cast<unsigned char>(masks[0] + x), zeros[0]);
    EXPECT_EQ(static_cast<unsigned char>(masks[1] + y), zeros[1]);
}

// The one-byte calls follow the reference and mix freely with buffer calls.
TEST(Keystream, ByteCallsMixWithBufferCalls) {
    std::mt19937 random(4);
    for (CipherFormat format : kFormats) {
        for (bool decode : {false, true}) {
            const std::uint32_t jobKey = JobKey(static_cast<std::uint32_t>(random()));
            const Bytes plain = RandomBytes(random, 7000);
            Bytes expected = plain;
            Reference reference(jobKey, format);
            reference.Run(expected, decode);

            Bytes actual = plain;
            Cipher cipher(jobKey, format, BestKeystreamPath());
            std::size_t done = 0;
            while (done < actual.size()) {
                if (random() % 2 == 0) {
                    for (std::size_t i = 0; i < 3 && done < actual.size(); ++i, ++done) {
                        actual[done] = decode ? DecodeByte(cipher.state(), actual[done])
                                              : EncryptByte(cipher.state(), actual[done]);
                    }
                } else {
                    const std::size_t piece = std::min<std::size_t>(random() % 200, actual.size() - done);
                    cipher.Run(actual.data() + done, piece, decode);
                    done += piece;
                }
            }
            EXPECT_EQ(expected, actual);
            if (format == CipherFormat::Current) {
                EXPECT_EQ(reference.seed(), RandomSeed());
            }
        }
    }
}

TEST(Keystream, UnsupportedPathIsRefused) {
    std::vector<CipherState> states(1);
    CipherStart(states[0], KeyMask, CipherFormat::Current);
    const KeystreamPath before = states[0].path;
    for (KeystreamPath path : {KeystreamPath::Scalar, KeystreamPath::Sse2, KeystreamPath::Avx2}) {
        const bool supported = KeystreamPathSupported(path);
        EXPECT_EQ(supported, CipherUsePath(states[0], path));
        EXPECT_EQ(supported ? path : before, states[0].path);
        states[0].path = before;
    }
    EXPECT_TRUE(KeystreamPathSupported(KeystreamPath::Scalar));
    EXPECT_TRUE(KeystreamPathSupported(BestKeystreamPath()));
}

}  // namespace
