// The form of the four built-in strings and of the weight area.
#include <gtest/gtest.h>

#include <cstddef>

#include "core/BuiltinStrings.h"

namespace {

struct Form {
    std::size_t printable = 0;  // 32 to 126
    std::size_t high = 0;       // 128 and above
    std::size_t other = 0;
    std::size_t runs = 0;       // maximal runs of one kind (printable or high)
    int lowest = 255;
    int highest = 0;
};

Form FormOf(const unsigned char* bytes, std::size_t length) {
    Form form;
    int lastKind = -1;
    for (std::size_t i = 0; i < length; ++i) {
        const int byte = bytes[i];
        const int kind = byte >= 128 ? 1 : (byte >= 32 && byte <= 126 ? 0 : 2);
        form.printable += kind == 0;
        form.high += kind == 1;
        form.other += kind == 2;
        form.runs += kind != lastKind;
        lastKind = kind;
        form.lowest = std::min(form.lowest, byte);
        form.highest = std::max(form.highest, byte);
    }
    return form;
}

TEST(BuiltinStrings, WeightTablesArePrintableBetween33And124) {
    for (const unsigned char* weights : {LengthWeights, PositionWeights}) {
        const Form form = FormOf(weights, kWeightsLength);
        EXPECT_EQ(kWeightsLength, form.printable);
        EXPECT_GE(form.lowest, 33);
        EXPECT_LE(form.highest, 124);
    }
}

TEST(BuiltinStrings, WeightAreaLayout) {
    EXPECT_EQ(54u, kWeightsLength);
    EXPECT_EQ(112u, sizeof WeightArea);
    EXPECT_EQ(WeightArea, LengthWeights);
    EXPECT_EQ(WeightArea + 56, PositionWeights);
    for (std::size_t zero : {54u, 55u, 110u, 111u}) {
        EXPECT_EQ(0, WeightArea[zero]) << zero;
    }
}

// Non-zero bytes of the stated counts, the two kinds mixed rather than in
// blocks, and the terminating zero that the keystream reads.
TEST(BuiltinStrings, KeyStringsHaveTheirForm) {
    struct Expected {
        const unsigned char* bytes;
        std::size_t length;
        std::size_t printable;
        std::size_t high;
    };
    EXPECT_EQ(117u, sizeof KeyStringLong);
    EXPECT_EQ(55u, sizeof KeyStringShort);
    for (const Expected& e : {Expected{KeyStringLong, kKeyStringLongLength, 73, 43},
                              Expected{KeyStringShort, kKeyStringShortLength, 39, 15}}) {
        const Form form = FormOf(e.bytes, e.length);
        EXPECT_EQ(e.printable, form.printable);
        EXPECT_EQ(e.high, form.high);
        EXPECT_EQ(0u, form.other);
        EXPECT_GE(form.runs, e.high) << "high bytes should be spread among the printable ones";
        EXPECT_EQ(0, e.bytes[e.length]);
    }
}

}  // namespace
