// Checks the code against the known-answer vectors of docs/file-format.md,
// read at test time so that the document and the code cannot drift apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/BuiltinStrings.h"
#include "core/FileHeader.h"
#include "core/KeyHash.h"
#include "core/Keystream.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Lines = std::vector<std::string>;
using Row = std::vector<std::string>;

Lines DocumentLines() {
    std::ifstream in(ORVANE_FORMAT_DOC, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << ORVANE_FORMAT_DOC;
    Lines lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::size_t HeadingLevel(const std::string& line) {
    std::size_t level = 0;
    while (level < line.size() && line[level] == '#') {
        ++level;
    }
    return level < line.size() && line[level] == ' ' ? level : 0;
}

// The lines below a heading, up to the next heading of its level or above.
Lines Section(const std::string& heading) {
    const Lines lines = DocumentLines();
    const auto start = std::find(lines.begin(), lines.end(), heading);
    EXPECT_NE(lines.end(), start) << "no heading " << heading;
    if (start == lines.end()) {
        return {};
    }
    const std::size_t level = HeadingLevel(heading);
    Lines section;
    for (auto line = start + 1; line != lines.end(); ++line) {
        const std::size_t lineLevel = HeadingLevel(*line);
        if (lineLevel != 0 && lineLevel <= level) {
            break;
        }
        section.push_back(*line);
    }
    return section;
}

Bytes ParseHex(const std::string& text) {
    Bytes bytes;
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else {
            EXPECT_TRUE(c == ' ') << "not hexadecimal: " << text;
        }
    }
    EXPECT_EQ(0u, digits.size() % 2) << text;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        bytes.push_back(static_cast<unsigned char>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    }
    return bytes;
}

// The first ```hex block of a section.
Bytes HexBlock(const Lines& section) {
    std::string text;
    bool inside = false;
    for (const std::string& line : section) {
        if (!inside && line == "```hex") {
            inside = true;
        } else if (inside && line == "```") {
            break;
        } else if (inside) {
            text += line;
        }
    }
    EXPECT_FALSE(text.empty()) << "no hex block";
    return ParseHex(text);
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The body rows of the first table of a section, cells trimmed and taken out
// of their backticks.
std::vector<Row> TableRows(const Lines& section) {
    std::vector<Row> rows;
    std::size_t tableLine = 0;
    for (const std::string& line : section) {
        if (line.empty() || line[0] != '|') {
            if (tableLine != 0) {
                break;
            }
            continue;
        }
        if (++tableLine <= 2) {
            continue;  // header and separator
        }
        Row row;
        std::size_t at = 1;
        while (at < line.size()) {
            std::size_t end = at;
            bool code = false;
            while (end < line.size() && (code || line[end] != '|')) {
                code = line[end] == '`' ? !code : code;
                ++end;
            }
            std::string cell = line.substr(at, end - at);
            const std::size_t open = cell.find('`');
            if (open != std::string::npos) {
                cell = cell.substr(open + 1, cell.rfind('`') - open - 1);
            } else {
                cell = Trim(cell);
            }
            row.push_back(cell);
            at = end + 1;
        }
        rows.push_back(row);
    }
    EXPECT_FALSE(rows.empty()) << "no table rows";
    return rows;
}

// A text in double quotes, or "hex …" optionally "repeated to N bytes".
Bytes CellBytes(const std::string& cell) {
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') {
        return Bytes(cell.begin() + 1, cell.end() - 1);
    }
    EXPECT_EQ(0u, cell.rfind("hex ", 0)) << cell;
    const std::string marker = " repeated to ";
    const std::size_t repeat = cell.find(marker);
    const Bytes pattern = ParseHex(cell.substr(4, repeat == std::string::npos ? std::string::npos : repeat - 4));
    if (repeat == std::string::npos) {
        return pattern;
    }
    const std::size_t length = std::strtoul(cell.c_str() + repeat + marker.size(), nullptr, 10);
    Bytes bytes;
    for (std::size_t i = 0; i < length; ++i) {
        bytes.push_back(pattern[i % pattern.size()]);
    }
    return bytes;
}

std::string CellText(const std::string& cell) {
    const Bytes bytes = CellBytes(cell);
    return std::string(bytes.begin(), bytes.end());
}

std::uint32_t CellNumber(const std::string& cell) {
    return static_cast<std::uint32_t>(std::strtoll(cell.c_str(), nullptr, 0));
}

std::uint32_t JobKeyOf(const std::string& keyCell) {
    return JobKey(static_cast<std::uint32_t>(KeyHash(CellText(keyCell).c_str())));
}

CipherFormat FormatOf(const std::string& cell) {
    EXPECT_TRUE(cell == "current" || cell == "earlier") << cell;
    return cell == "current" ? CipherFormat::Current : CipherFormat::Earlier;
}

// Transforms a body in 16 KB calls on every path the processor has, checks
// that all paths agree, and returns the result.
Bytes Transform(const Bytes& in, std::uint32_t jobKey, CipherFormat format, bool decode) {
    std::vector<CipherState> states(1);
    Bytes first;
    for (KeystreamPath path : {KeystreamPath::Scalar, KeystreamPath::Sse2, KeystreamPath::Avx2}) {
        CipherStart(states[0], jobKey, format);
        if (!CipherUsePath(states[0], path)) {
            continue;
        }
        Bytes body = in;
        for (std::size_t at = 0; at < body.size(); at += 16384) {
            const std::size_t count = std::min<std::size_t>(16384, body.size() - at);
            if (decode) {
                CipherDecode(states[0], body.data() + at, count);
            } else {
                CipherEncrypt(states[0], body.data() + at, count);
            }
        }
        if (first.empty()) {
            first = body;
        }
        EXPECT_EQ(first, body) << KeystreamPathName(path);
    }
    return first;
}

TEST(FormatDocument, BuiltinStringBytes) {
    struct Table {
        const char* name;
        const unsigned char* bytes;
        std::size_t length;
    };
    for (const Table& t : {Table{"LengthWeights", LengthWeights, kWeightsLength},
                           Table{"PositionWeights", PositionWeights, kWeightsLength},
                           Table{"KeyStringLong", KeyStringLong, kKeyStringLongLength},
                           Table{"KeyStringShort", KeyStringShort, kKeyStringShortLength}}) {
        EXPECT_EQ(Bytes(t.bytes, t.bytes + t.length), HexBlock(Section(std::string("#### ") + t.name))) << t.name;
    }
}

TEST(FormatDocument, KeyVectors) {
    for (const Row& row : TableRows(Section("### Key vectors"))) {
        ASSERT_EQ(5u, row.size());
        const std::string key = CellText(row[1]);
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(static_cast<std::int32_t>(std::strtol(row[2].c_str(), nullptr, 10)), KeyHash(key.c_str()));
        const std::uint32_t jobKey = JobKeyOf(row[1]);
        EXPECT_EQ(CellNumber(row[3]), jobKey);
        EXPECT_EQ(CellNumber(row[4]), KeyCheckValue(jobKey));
    }
}

TEST(FormatDocument, KeyHexTextVectors) {
    for (const Row& row : TableRows(Section("### Key hex text vectors"))) {
        ASSERT_EQ(2u, row.size());
        char text[kKeyHexTextSize];
        EXPECT_EQ(row[1], KeyHexText(CellNumber(row[0]), text));
    }
}

TEST(FormatDocument, BodyVectors) {
    for (const Row& row : TableRows(Section("### Body vectors"))) {
        ASSERT_EQ(5u, row.size());
        SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
        const std::uint32_t jobKey = JobKeyOf(row[0]);
        const CipherFormat format = FormatOf(row[1]);
        const Bytes plain = CellBytes(row[2]);
        const std::size_t offset = std::strtoul(row[3].c_str(), nullptr, 10);
        const Bytes expected = ParseHex(row[4]);
        ASSERT_LE(offset + expected.size(), plain.size());

        const Bytes body = Transform(plain, jobKey, format, false);
        EXPECT_EQ(expected, Bytes(body.begin() + static_cast<std::ptrdiff_t>(offset),
                                  body.begin() + static_cast<std::ptrdiff_t>(offset + expected.size())));
        EXPECT_EQ(plain, Transform(body, jobKey, format, true));
    }
}

// The complete files: the current one is rebuilt byte for byte; both are
// recognised, their key checked and their body decoded.
TEST(FormatDocument, CompleteFiles) {
    for (const char* format : {"current", "earlier"}) {
        SCOPED_TRACE(format);
        const Lines section = Section(std::string("### Complete file, ") + format + " format");
        const std::vector<Row> rows = TableRows(section);
        ASSERT_EQ(1u, rows.size());
        const Row& row = rows[0];
        ASSERT_EQ(4u, row.size());
        const std::uint32_t jobKey = JobKeyOf(row[0]);
        const std::string path = row[1];
        const Bytes plain = CellBytes(row[2]);
        const Bytes file = HexBlock(section);
        ASSERT_EQ(std::strtoul(row[3].c_str(), nullptr, 10), file.size());
        ASSERT_EQ(kHeaderSize + plain.size(), file.size());

        const HeaderFormat recognised = HeaderFormatOf(file.data(), kHeaderSize);
        EXPECT_EQ(recognised, CandidateHeaderFormat(file.data(), file.size()));
        EXPECT_TRUE(HeaderKeyMatches(file.data(), kHeaderSize, recognised, jobKey));
        const char* storedPath = HeaderStoredPath(file.data(), kHeaderSize);
        ASSERT_NE(nullptr, storedPath);
        EXPECT_EQ(path, storedPath);
        const Bytes body(file.begin() + kHeaderSize, file.end());
        const CipherFormat cipherFormat = FormatOf(format);
        EXPECT_EQ(plain, Transform(body, jobKey, cipherFormat, true));

        if (cipherFormat == CipherFormat::Current) {
            EXPECT_EQ(HeaderFormat::Current, recognised);
            FileHeader header;
            ASSERT_TRUE(BuildFileHeader(header, jobKey, path.c_str()));
            Bytes rebuilt(header.bytes, header.bytes + kHeaderSize);
            const Bytes encrypted = Transform(plain, jobKey, cipherFormat, false);
            rebuilt.insert(rebuilt.end(), encrypted.begin(), encrypted.end());
            EXPECT_EQ(file, rebuilt);
        } else {
            EXPECT_EQ(HeaderFormat::Earlier, recognised);
        }
    }
}

}  // namespace
