// Escaping of outside bytes for JSON and for the terminal.
#include "cli/Texts.h"

#include <cstddef>
#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at bytes[at], 0 when there is none
// (overlong forms, surrogates and numbers past U+10FFFF are not valid).
std::size_t Utf8Length(const std::string& bytes, std::size_t at) {
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
    return length;
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
                // The byte's own number as a character: two bytes of UTF-8.
                out += static_cast<char>(0xC0 | c >> 6);
                out += static_cast<char>(0x80 | (c & 0x3F));
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
    for (const char byte : bytes) {
        const unsigned char c = static_cast<unsigned char>(byte);
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, false, c);
        } else {
            out += byte;
        }
    }
    return out;
}
