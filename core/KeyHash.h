// Key hash, job key, key check value and the process-wide random generator.
// All of it is part of the file format and exact to the bit.
#pragma once

#include <cstddef>
#include <cstdint>

// OR-ed into every key hash to give the job key, which is therefore never 0.
constexpr std::uint32_t KeyMask = 0x0B51C6A2u;

// KeyHexText writes this many characters plus a terminating zero.
constexpr std::size_t kKeyHexTextLength = 44;
constexpr std::size_t kKeyHexTextSize = kKeyHexTextLength + 1;

// Hash of a key text; 0 for a null or empty text. Sums, in wrapping 32-bit
// arithmetic, L * v * P * (i + 1) over the positions i of the n-byte text,
// with v the byte, L = WeightArea[n + i] and P = WeightArea[56 + i], all three
// taken as signed 8-bit values. Keys of up to 56 bytes stay inside the
// 112-byte WeightArea; for longer keys (the key dialogs allow 255 characters)
// an index past the area wraps round to WeightArea[index mod 112].
std::int32_t KeyHash(const char* text);

// The value that drives one conversion: keyValue OR KeyMask. Applying it to
// a job key again changes nothing.
std::uint32_t JobKey(std::uint32_t keyValue);

// Value stored in the header of every current-format file:
// x + (y << 16) + jobKey, where x and y are the first two NextRandom results
// after SeedRandom(jobKey). Leaves the generator reseeded and advanced twice.
std::uint32_t KeyCheckValue(std::uint32_t jobKey);

// Writes the 44-character key text of jobKey and its terminator into out
// (at least kKeyHexTextSize bytes): the four bytes of the key, low byte first,
// as "%02X " groups without the final blank, then the HexBytes of those 11
// characters. Returns out.
char* KeyHexText(std::uint32_t jobKey, char* out);

// Writes each of count bytes as two upper-case hexadecimal digits and a blank,
// 3 * count characters and a terminating zero. Returns out.
char* HexBytes(const void* bytes, std::size_t count, char* out);

// Bounded comparison of two byte strings as unsigned values: -1, 0 or +1.
// Stops after the first difference, after a zero byte in the first string,
// or after count bytes; a count of 0 gives 0.
int CompareBytes(const void* first, const void* second, std::size_t count);

// The process-wide linear congruential generator, seed initially 1:
// seed = seed * kRandomMultiplier + kRandomIncrement (mod 2^32) per draw.
constexpr std::uint32_t kRandomMultiplier = 214013u;
constexpr std::uint32_t kRandomIncrement = 2531011u;
void SeedRandom(std::uint32_t seed);
// Draws one number, (seed >> 16) & 0x7FFF: 0 to 32767.
int NextRandom();
// Draws one number and returns its low 8 bits: 0 to 255.
int RandomByte();
// The current seed, without drawing.
std::uint32_t RandomSeed();
