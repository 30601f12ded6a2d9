// Extension handling and the names of the files a conversion writes.
#include "core/FileNames.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr char kTempExtension[] = ".tmp";

// Writes base (its first baseLength characters) followed by the texts of
// parts into out; false and out empty when the whole does not fit.
bool Join(const char* base, std::size_t baseLength, std::initializer_list<const char*> parts,
          PathBuffer& out) {
    std::size_t length = baseLength;
    for (const char* part : parts) {
        length += std::strlen(part);
    }
    if (length >= kPathBufferSize) {
        out[0] = '\0';
        return false;
    }
    std::memmove(out, base, baseLength);
    char* next = out + baseLength;
    for (const char* part : parts) {
        const std::size_t partLength = std::strlen(part);
        std::memcpy(next, part, partLength);
        next += partLength;
    }
    *next = '\0';
    return true;
}

std::size_t StemLength(const char* path) {
    return static_cast<std::size_t>(ExtensionOf(path) - path);
}

}  // namespace

const char* ExtensionOf(const char* path) {
    const char* dot = nullptr;
    const char* at = path;
    for (; *at != '\0'; ++at) {
        if (*at == '.') {
            dot = at;
        } else if (*at == '\\' || *at == '/') {
            dot = nullptr;
        }
    }
    return dot != nullptr ? dot : at;
}

bool IsPlainExtension(const char* extension) {
    if (*extension == '\0') {
        return true;
    }
    if (extension[0] != '.' || extension[1] == '\0') {
        return false;
    }
    for (const char* at = extension + 1; *at != '\0'; ++at) {
        const unsigned char c = static_cast<unsigned char>(*at);
        if (c < 32 || std::strchr("<>:\"/\\|?*.", c) != nullptr) {
            return false;
        }
    }
    return extension[std::strlen(extension) - 1] != ' ';
}

bool StripExtension(const char* path, PathBuffer& out) {
    return Join(path, StemLength(path), {}, out);
}

bool EncryptionTempName(const char* plainPath, PathBuffer& out) {
    return Join(plainPath, StemLength(plainPath), {kTempExtension}, out);
}

bool EncryptedName(const char* plainPath, PathBuffer& out) {
    const char* extension = ExtensionOf(plainPath);
    const char* withoutDot = *extension == '.' ? extension + 1 : extension;
    return Join(plainPath, StemLength(plainPath), {".(=", withoutDot, "=)"}, out);
}

bool DecodingTempName(const char* encryptedPath, PathBuffer& out) {
    return Join(encryptedPath, StemLength(encryptedPath), {kTempExtension}, out);
}

bool DecodedName(const char* encryptedPath, const char* originalPath, PathBuffer& out) {
    return Join(encryptedPath, StemLength(encryptedPath), {ExtensionOf(originalPath)}, out);
}
