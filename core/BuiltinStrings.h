// The four constant byte strings of the file format. The key hash, the key
// check value and every encrypted body depend on them: they never change.
#pragma once

#include <cstddef>

constexpr std::size_t kWeightsLength = 54;
constexpr std::size_t kLengthWeightsOffset = 0;
constexpr std::size_t kPositionWeightsOffset = 56;
constexpr std::size_t kWeightAreaSize = 112;
constexpr std::size_t kKeyStringLongLength = 116;
constexpr std::size_t kKeyStringShortLength = 54;

// LengthWeights (offset 0), two zero bytes, PositionWeights (offset 56), two
// zero bytes. The key hash indexes the area as a whole.
extern const unsigned char WeightArea[kWeightAreaSize];

// Each followed by its terminating zero byte, which the keystream reads too.
extern const unsigned char KeyStringLong[kKeyStringLongLength + 1];
extern const unsigned char KeyStringShort[kKeyStringShortLength + 1];

inline const unsigned char* const LengthWeights = WeightArea + kLengthWeightsOffset;
inline const unsigned char* const PositionWeights = WeightArea + kPositionWeightsOffset;
