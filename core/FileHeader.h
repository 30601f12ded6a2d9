// The 276-byte header of an encrypted file: building it, recognising the two
// signatures and checking the key against the stored value.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kHeaderSize = 276;
constexpr std::size_t kSignatureLength = 12;
constexpr std::size_t kCheckValueOffset = 12;
constexpr std::size_t kOriginalPathOffset = 16;
constexpr std::size_t kOriginalPathSize = kHeaderSize - kOriginalPathOffset;
constexpr std::size_t kMaxPathLength = 255;

// The 12 characters at offset 0; the header holds no terminator after them.
inline constexpr char kCurrentSignature[] = "OrvaneHdrBlk";
inline constexpr char kEarlierSignature[] = "OrvaneHeader";

enum class HeaderFormat {
    None,     // not an encrypted file
    Current,  // check value at offset 12; body with random bytes
    Earlier,  // job key itself at offset 12; body without random bytes
};

struct FileHeader {
    unsigned char bytes[kHeaderSize];
};

// Little-endian 32-bit numbers inside byte buffers.
std::uint32_t LoadLE32(const unsigned char* at);
void StoreLE32(unsigned char* at, std::uint32_t value);

// Fills header with the current format for a job key and the plain file's
// path: zeros, the signature, KeyCheckValue(jobKey) at offset 12 (which
// reseeds the generator), the path at offset 16. Returns false, leaving the
// header all zero, when the path is null or longer than kMaxPathLength.
bool BuildFileHeader(FileHeader& header, std::uint32_t jobKey, const char* originalPath);

// Recognition by the converters: bytes holds the count bytes read from the
// start of a file (up to kHeaderSize). Fewer than 12 bytes match neither
// signature.
HeaderFormat HeaderFormatOf(const unsigned char* bytes, std::size_t count);

// Recognition by the candidate checks: only a file whose first kHeaderSize
// bytes could all be read counts as encrypted.
HeaderFormat CandidateHeaderFormat(const unsigned char* bytes, std::size_t count);

// Whether the number stored at offset 12 belongs to jobKey: KeyCheckValue in
// the current format (computing it reseeds the generator), the job key itself
// in the earlier one. False for HeaderFormat::None and for fewer than 16 bytes.
bool HeaderKeyMatches(const unsigned char* bytes, std::size_t count, HeaderFormat format,
                      std::uint32_t jobKey);

// The original path stored at offset 16, when it is one this program could
// have written: the whole header was read (count of at least kHeaderSize)
// and the path field holds a terminator after at most kMaxPathLength
// characters. Returns a pointer into bytes, or nullptr for anything else (a
// truncated or forged header), which a decoder must refuse rather than cut.
const char* HeaderStoredPath(const unsigned char* bytes, std::size_t count);
