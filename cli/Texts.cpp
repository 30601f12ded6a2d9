// Escaping of outside bytes for JSON and for the terminal.
#include "cli/Texts.h"

#include <cstddef>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at bytes[at], 0 when there is none
// (overlong forms, surrogates and numbers past U+10FFFF are not valid); its
// character's number goes to `character` where given.
std::size_t Utf8Length(const std::string& bytes, std::size_t at, unsigned long* character = nullptr) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned long value = 0;
    unsigned long smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        value = value << 6 | (byte(at + i) & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    if (character) *character = value;
    return length;
}

// Characters a terminal acts on or that turn the line around instead of
// showing: the C1 controls (U+009B starts an escape sequence as ESC [ does)
// and the marks and overrides of writing direction.
bool ActsOnTheTerminal(unsigned long character) {
    return (character >= 0x80 && character <= 0x9F) || character == 0x061C || character == 0x200E ||
           character == 0x200F || (character >= 0x202A && character <= 0x202E) ||
           (character >= 0x2066 && character <= 0x2069);
}

// A byte that is not part of a UTF-8 sequence stands for the character of
// its number, as an 8-bit Windows text reads (the stored path of a header).
void AppendByteAsCharacter(std::string& out, unsigned char c) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// \uXXXX for JSON, \xXX for the terminal.
void AppendEscape(std::string& out, bool json, unsigned value) {
    char escape[8];
    if (json) {
        std::snprintf(escape, sizeof escape, "\\u%04x", value);
    } else {
        std::snprintf(escape, sizeof escape, "\\x%02x", value);
    }
    out += escape;
}

}  // namespace

std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (c >= 0x80) {
            const std::size_t length = Utf8Length(bytes, at);
            if (length > 0) {
                out.append(bytes, at, length);
                at += length;
            } else {
                AppendByteAsCharacter(out, c);
                ++at;
            }
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, true, c);
        } else {
            out += static_cast<char>(c);
        }
        ++at;
    }
    out += '"';
    return out;
}

std::string ShownText(const std::string& bytes) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (c >= 0x80) {
            unsigned long character = 0;
            const std::size_t length = Utf8Length(bytes, at, &character);
            if (length > 0 && ActsOnTheTerminal(character)) {
                for (std::size_t i = 0; i < length; ++i) AppendEscape(out, false, static_cast<unsigned char>(bytes[at + i]));
            } else if (length > 0) {
                out.append(bytes, at, length);
            } else if (ActsOnTheTerminal(c)) {
                AppendEscape(out, false, c);
            } else {
                AppendByteAsCharacter(out, c);
            }
            at += length > 0 ? length : 1;
            continue;
        }
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, false, c);
        } else {
            out += static_cast<char>(c);
        }
        ++at;
    }
    return out;
}
