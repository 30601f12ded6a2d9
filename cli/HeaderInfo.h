// What the start of a file says about it, for "info": read from bytes that
// anyone may have written, so every field is checked before it is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/FileHeader.h"

struct HeaderInfo {
    HeaderFormat format = HeaderFormat::None;
    // The whole 276-byte header is there; without it nothing below counts.
    bool whole = false;
    // The path field up to its first zero byte (at most 260 bytes), and
    // whether it is one the program could have written and a decoder uses.
    std::string storedPath;
    bool storedPathValid = false;
    std::string extension;
    bool extensionPlain = false;
    std::uint64_t bodyLength = 0;
    // -1 without a key, else whether the stored check value belongs to it.
    int keyMatches = -1;
};

// count bytes from the start of a file of fileSize bytes; jobKey may be null.
HeaderInfo DescribeHeader(const unsigned char* bytes, std::size_t count, std::uint64_t fileSize,
                          const std::uint32_t* jobKey);
