// Fuzz target for every part of the core that reads bytes from a file, a
// name from the user, a command line or a block from another process: header recognition, key check, stored path and its
// extension, and every name function; and for what the command-line tool
// makes of such bytes: its description of a header and the escaping of
// outside texts for JSON and the terminal. Each result is checked against the
// format's rules, restated here without the core's code; a broken rule stops
// the run like a crash does.
//
// Input: a 4-byte job key (least significant byte first), then the bytes of
// a file's start. The header functions get all of those bytes; the name
// functions get the texts after the 276-byte header, split at zero bytes: a
// plain path, then the path of an encrypted file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/HeaderInfo.h"
#include "cli/Texts.h"
#include "core/FileHeader.h"
#include "core/FileNames.h"
#include "core/FileSwitches.h"

namespace {

void Check(bool holds, const char* rule) {
    if (!holds) {
        std::fprintf(stderr, "core_fuzz: rule broken: %s\n", rule);
        std::abort();
    }
}

std::uint32_t LittleEndian(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The check value: the first two numbers of the generator seeded with the
// job key (seed * 214013 + 2531011, bits 16 to 30), x + (y << 16) + key.
std::uint32_t CheckValueByRule(std::uint32_t jobKey) {
    std::uint32_t seed = jobKey;
    seed = seed * 214013u + 2531011u;
    const std::uint32_t x = (seed >> 16) & 0x7FFF;
    seed = seed * 214013u + 2531011u;
    const std::uint32_t y = (seed >> 16) & 0x7FFF;
    return x + (y << 16) + jobKey;
}

HeaderFormat FormatByRule(const unsigned char* bytes, std::size_t count) {
    if (count < 12) return HeaderFormat::None;
    if (std::memcmp(bytes, "OrvaneHdrBlk", 12) == 0) return HeaderFormat::Current;
    if (std::memcmp(bytes, "OrvaneHeader", 12) == 0) return HeaderFormat::Earlier;
    return HeaderFormat::None;
}

void CheckHeader(const unsigned char* bytes, std::size_t count, std::uint32_t jobKey) {
    const HeaderFormat format = HeaderFormatOf(bytes, count);
    Check(format == FormatByRule(bytes, count), "recognition by the two signatures");
    Check(CandidateHeaderFormat(bytes, count) == (count < kHeaderSize ? HeaderFormat::None : format),
          "the lists recognise whole headers only");

    for (const HeaderFormat asked : {HeaderFormat::None, HeaderFormat::Current, HeaderFormat::Earlier}) {
        bool expected = false;
        if (count >= 16 && asked != HeaderFormat::None) {
            const std::uint32_t stored = LittleEndian(bytes + 12);
            expected = stored == (asked == HeaderFormat::Current ? CheckValueByRule(jobKey) : jobKey);
        }
        Check(HeaderKeyMatches(bytes, count, asked, jobKey) == expected, "key check against offset 12");
    }

    const char* stored = HeaderStoredPath(bytes, count);
    const bool terminated = count >= kHeaderSize && std::memchr(bytes + 16, 0, 256) != nullptr;
    Check((stored != nullptr) == terminated, "a stored path is whole and terminated within 256 bytes");
    if (stored != nullptr) {
        Check(stored == reinterpret_cast<const char*>(bytes + 16), "the stored path lies at offset 16");
    }
}

// Whether `extension` could be given to a decoded file in its own folder:
// empty, or a dot and one or more characters none of which is a control
// character, a dot or one of <>:"/\|?*, not ending in a blank.
bool PlainByRule(const std::string& extension) {
    if (extension.empty()) return true;
    if (extension.size() < 2 || extension[0] != '.' || extension.back() == ' ') return false;
    for (std::size_t i = 1; i < extension.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(extension[i]);
        if (c < 32 || std::string("<>:\"/\\|?*.").find(static_cast<char>(c)) != std::string::npos) return false;
    }
    return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The extension by the rule: from the last dot of the file-name part.
std::string ExtensionByRule(const std::string& path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsSeparator(path[i])) return "";
        if (path[i] == '.') return path.substr(i);
    }
    return "";
}

std::string FolderOf(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && !IsSeparator(path[end - 1])) --end;
    return path.substr(0, end);
}

// A name function's result: written and equal to `expected` when that fits
// in 255 characters, else refused with an empty buffer.
void CheckName(bool written, const PathBuffer& out, const std::string& expected, const char* rule) {
    Check(std::memchr(out, 0, kPathBufferSize) != nullptr, "a name is always terminated");
    if (expected.size() <= 255) {
        Check(written && expected == out, rule);
    } else {
        Check(!written && out[0] == '\0', "a name longer than 255 characters is refused");
    }
}

void CheckNames(const std::string& plain, const std::string& encrypted, const char* storedPath) {
    const char* extension = ExtensionOf(plain.c_str());
    Check(extension >= plain.c_str() && extension <= plain.c_str() + plain.size(), "the extension lies in the path");
    const std::string ext = extension;
    Check(ext == ExtensionByRule(plain), "the extension starts at the last dot of the file name");
    const std::string stem = plain.substr(0, plain.size() - ext.size());
    const std::string bare = ext.empty() ? "" : ext.substr(1);

    PathBuffer out;
    CheckName(StripExtension(plain.c_str(), out), out, stem, "the path without its extension");
    CheckName(EncryptionTempName(plain.c_str(), out), out, stem + ".tmp", "temporary name of an encryption");
    const bool encryptedFits = EncryptedName(plain.c_str(), out);
    CheckName(encryptedFits, out, stem + ".(=" + bare + "=)", "encrypted name");
    if (encryptedFits) {
        // Decoding the encrypted file where it was made gives the plain name
        // back, through the same temporary name.
        const std::string made = out;
        PathBuffer back;
        Check(DecodedName(made.c_str(), plain.c_str(), back) && plain == back, "decoding restores the plain name");
        PathBuffer temporary;
        Check(DecodingTempName(made.c_str(), temporary) && stem + ".tmp" == temporary,
              "both directions use one temporary name");
    }

    const std::string encryptedStem = encrypted.substr(0, encrypted.size() - ExtensionByRule(encrypted).size());
    CheckName(DecodingTempName(encrypted.c_str(), out), out, encryptedStem + ".tmp", "temporary name of a decoding");
    CheckName(DecodedName(encrypted.c_str(), plain.c_str(), out), out, encryptedStem + ext, "decoded name");

    Check(IsPlainExtension(extension) == PlainByRule(ext), "plain extensions");
    if (storedPath != nullptr && IsPlainExtension(ExtensionOf(storedPath))) {
        // What a decoder accepts from a header never leaves the folder of
        // the encrypted file.
        if (DecodedName(encrypted.c_str(), storedPath, out)) {
            const std::string decoded = out;
            Check(FolderOf(decoded) == FolderOf(encrypted), "a decoded file stays in its folder");
            Check(decoded.find(':', encrypted.size() - ExtensionByRule(encrypted).size()) == std::string::npos,
                  "a decoded name names no stream");
        }
    }
}

// The tool's description agrees with the rules, field by field, for a file
// of `fileSize` bytes that starts with `bytes`.
void CheckDescription(const unsigned char* bytes, std::size_t count, std::uint64_t fileSize, std::uint32_t jobKey) {
    const std::uint32_t* const keys[] = {nullptr, &jobKey};
    for (const std::uint32_t* key : keys) {
        const HeaderInfo info = DescribeHeader(bytes, count, fileSize, key);
        const HeaderFormat format = FormatByRule(bytes, count);
        Check(info.format == format, "info: the format by the signatures");
        Check(info.whole == (format != HeaderFormat::None && count >= kHeaderSize),
              "info: a header counts as whole when all 276 bytes are there");
        if (!info.whole) {
            Check(info.storedPath.empty() && !info.storedPathValid && info.keyMatches == -1,
                  "info: nothing is read from a cut header");
            continue;
        }
        const bool terminated = std::memchr(bytes + 16, 0, 256) != nullptr;
        Check(info.storedPathValid == terminated, "info: a stored path is valid when terminated within 256 bytes");
        Check(info.storedPath.size() <= 260 && info.storedPath.find('\0') == std::string::npos,
              "info: the stored path stays inside its field");
        Check(info.bodyLength == fileSize - kHeaderSize, "info: the body is the rest of the file");
        if (info.storedPathValid) {
            Check(info.extension == ExtensionByRule(info.storedPath), "info: the stored extension");
            Check(info.extensionPlain == PlainByRule(info.extension), "info: whether a decoder would use it");
        }
        const std::uint32_t stored = LittleEndian(bytes + 12);
        const int expected = !key ? -1 : stored == (format == HeaderFormat::Current ? CheckValueByRule(jobKey) : jobKey);
        Check(info.keyMatches == expected, "info: the key check");
    }
}

// Whether text is valid UTF-8 by the rule: no overlong forms, surrogates or
// numbers past U+10FFFF.
bool ValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t value = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = value << 6 | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Outside bytes as the tool prints them: a JSON string that is valid UTF-8,
// holds no raw control character, ends at its last quote and keeps every
// printable ASCII character in order; a terminal text without control
// characters.
void CheckTexts(const std::string& bytes) {
    const std::string json = JsonString(bytes);
    Check(ValidUtf8(json), "json: valid UTF-8");
    Check(json.size() >= 2 && json.front() == '"' && json.back() == '"', "json: one string literal");
    std::string ascii;
    for (std::size_t i = 1; i + 1 < json.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(json[i]);
        Check(c >= 0x20 && c != 0x7F, "json: no raw control character");
        Check(c != '"', "json: no quote ends the string early");
        if (c == '\\') {
            Check(i + 2 < json.size(), "json: no escape at the end");
            const char next = json[++i];
            if (next == 'u') {
                Check(i + 4 < json.size(), "json: a whole \\u escape");
                i += 4;
            } else {
                Check(next == '"' || next == '\\', "json: only quote and backslash escaped by themselves");
                ascii += next;
            }
        } else if (c < 0x80) {
            ascii += static_cast<char>(c);
        }
    }
    std::string expected;
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7F) expected += c;
    }
    Check(ascii == expected, "json: printable ASCII kept in order");

    const std::string shown = ShownText(bytes);
    for (const char c : shown) {
        const unsigned char u = static_cast<unsigned char>(c);
        Check(u >= 0x20 && u != 0x7F, "terminal: no control character");
    }
}

// The zero-terminated text at `at` (empty past the end), at most 300
// characters, so that names beyond the 255-character limit occur.
std::string TextAt(const unsigned char* bytes, std::size_t count, std::size_t& at) {
    std::string text;
    while (at < count && bytes[at] != 0 && text.size() < 300) text += static_cast<char>(bytes[at++]);
    while (at < count && bytes[at] != 0) ++at;
    if (at < count) ++at;
    return text;
}

}  // namespace

// The hand-off block of another process, and the same bytes as a command
// line: a block is taken only as it would have been packed, and no path
// read from either is empty or holds a quote or a NUL.
void CheckHandOff(const unsigned char* bytes, std::size_t count) {
    SwitchedFiles files;
    if (UnpackHandedFiles(bytes, count, files)) {
        Check(PackHandedFiles(files) == std::string(reinterpret_cast<const char*>(bytes), count),
              "a hand-off block is taken only as packed");
    }
    const std::string tail(reinterpret_cast<const char*>(bytes), count);
    SwitchedFiles switched;
    if (ReadFileSwitch(tail.c_str(), switched)) {
        for (const std::string& path : switched.paths) {
            Check(!path.empty() && path.find('"') == std::string::npos && path.find('\0') == std::string::npos,
                  "a switch's paths are whole names");
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t jobKey = 0;
    if (size >= 4) {
        jobKey = LittleEndian(data);
        data += 4;
        size -= 4;
    }
    CheckHeader(data, size, jobKey);
    CheckDescription(data, size, size + (jobKey & 0xFFFF), jobKey);
    CheckTexts(std::string(reinterpret_cast<const char*>(data), size));
    CheckHandOff(data, size);

    std::size_t at = size < kHeaderSize ? size : kHeaderSize;
    const std::string plain = TextAt(data, size, at);
    const std::string encrypted = TextAt(data, size, at);
    CheckNames(plain, encrypted, HeaderStoredPath(data, size));
    return 0;
}
