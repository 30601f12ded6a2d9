// Header build, recognition and key check of encrypted files.
#include "core/FileHeader.h"

#include <cstring>

#include "core/KeyHash.h"

std::uint32_t LoadLE32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void StoreLE32(unsigned char* at, std::uint32_t value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
    at[2] = static_cast<unsigned char>(value >> 16);
    at[3] = static_cast<unsigned char>(value >> 24);
}

bool BuildFileHeader(FileHeader& header, std::uint32_t jobKey, const char* originalPath) {
    std::memset(header.bytes, 0, sizeof header.bytes);
    if (originalPath == nullptr) {
        return false;
    }
    const std::size_t pathLength = std::strlen(originalPath);
    if (pathLength > kMaxPathLength) {
        return false;
    }
    std::memcpy(header.bytes, kCurrentSignature, kSignatureLength);
    StoreLE32(header.bytes + kCheckValueOffset, KeyCheckValue(jobKey));
    std::memcpy(header.bytes + kOriginalPathOffset, originalPath, pathLength);
    return true;
}

HeaderFormat HeaderFormatOf(const unsigned char* bytes, std::size_t count) {
    if (count < kSignatureLength) {
        return HeaderFormat::None;
    }
    if (CompareBytes(bytes, kCurrentSignature, kSignatureLength) == 0) {
        return HeaderFormat::Current;
    }
    if (CompareBytes(bytes, kEarlierSignature, kSignatureLength) == 0) {
        return HeaderFormat::Earlier;
    }
    return HeaderFormat::None;
}

HeaderFormat CandidateHeaderFormat(const unsigned char* bytes, std::size_t count) {
    return count < kHeaderSize ? HeaderFormat::None : HeaderFormatOf(bytes, count);
}

bool HeaderKeyMatches(const unsigned char* bytes, std::size_t count, HeaderFormat format,
                      std::uint32_t jobKey) {
    if (count < kCheckValueOffset + 4) {
        return false;
    }
    const std::uint32_t stored = LoadLE32(bytes + kCheckValueOffset);
    switch (format) {
        case HeaderFormat::Current:
            return stored == KeyCheckValue(jobKey);
        case HeaderFormat::Earlier:
            return stored == jobKey;
        case HeaderFormat::None:
            break;
    }
    return false;
}

const char* HeaderStoredPath(const unsigned char* bytes, std::size_t count) {
    if (count < kHeaderSize) {
        return nullptr;
    }
    const unsigned char* field = bytes + kOriginalPathOffset;
    if (std::memchr(field, 0, kMaxPathLength + 1) == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<const char*>(field);
}
