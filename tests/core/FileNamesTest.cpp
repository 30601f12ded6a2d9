// Extensions and the names of temporary, encrypted and decoded files.
#include <gtest/gtest.h>

#include <string>

#include "core/FileNames.h"

namespace {

TEST(FileNames, ExtensionAndStem) {
    struct Case {
        const char* path;
        const char* extension;
        const char* stem;
    };
    const Case cases[] = {
        {"D:\\Docs\\Report.doc", ".doc", "D:\\Docs\\Report"},
        {"archive.tar.gz", ".gz", "archive.tar"},
        {"b.TXT", ".TXT", "b"},
        {"D:\\My.Files\\readme", "", "D:\\My.Files\\readme"},
        {"D:/My.Files/readme", "", "D:/My.Files/readme"},
        {"D:\\Docs\\Report.(=doc=)", ".(=doc=)", "D:\\Docs\\Report"},
        {"C:\\dir\\name.", ".", "C:\\dir\\name"},
        {"C:\\dir\\.profile", ".profile", "C:\\dir\\"},
        {"noext", "", "noext"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.extension, ExtensionOf(c.path)) << c.path;
        PathBuffer stem;
        EXPECT_TRUE(StripExtension(c.path, stem));
        EXPECT_STREQ(c.stem, stem) << c.path;
    }
}

// Encryption of the plain file, then decoding of the encrypted file where it
// lies now (possibly moved or renamed) with the original path from its header.
TEST(FileNames, ConversionNames) {
    struct Case {
        const char* plain;
        const char* encryptionTemp;
        const char* encrypted;
        const char* encryptedNow;
        const char* decodingTemp;
        const char* decoded;
    };
    const Case cases[] = {
        {"D:\\Docs\\Report.doc", "D:\\Docs\\Report.tmp", "D:\\Docs\\Report.(=doc=)", "D:\\Docs\\Report.(=doc=)",
         "D:\\Docs\\Report.tmp", "D:\\Docs\\Report.doc"},
        {"archive.tar.gz", "archive.tar.tmp", "archive.tar.(=gz=)", "archive.tar.(=gz=)", "archive.tar.tmp",
         "archive.tar.gz"},
        {"b.TXT", "b.tmp", "b.(=TXT=)", "b.(=TXT=)", "b.tmp", "b.TXT"},
        {"D:\\A\\b.txt", "D:\\A\\b.tmp", "D:\\A\\b.(=txt=)", "D:\\X\\other.(=txt=)", "D:\\X\\other.tmp",
         "D:\\X\\other.txt"},
        {"D:\\My.Files\\readme", "D:\\My.Files\\readme.tmp", "D:\\My.Files\\readme.(==)",
         "D:\\My.Files\\readme.(==)", "D:\\My.Files\\readme.tmp", "D:\\My.Files\\readme"},
    };
    for (const Case& c : cases) {
        PathBuffer name;
        EXPECT_TRUE(EncryptionTempName(c.plain, name));
        EXPECT_STREQ(c.encryptionTemp, name);
        EXPECT_TRUE(EncryptedName(c.plain, name));
        EXPECT_STREQ(c.encrypted, name);
        EXPECT_TRUE(DecodingTempName(c.encryptedNow, name));
        EXPECT_STREQ(c.decodingTemp, name);
        EXPECT_TRUE(DecodedName(c.encryptedNow, c.plain, name));
        EXPECT_STREQ(c.decoded, name);
    }
}

// Extensions that a forged header could carry: only a plain one may be given
// to a decoded file.
TEST(FileNames, PlainExtensions) {
    struct Case {
        const char* extension;
        bool plain;
    };
    const Case cases[] = {
        {"", true},
        {".doc", true},
        {".(=doc=)", true},
        {".a b", true},
        {".\xE9t\xE9", true},
        {".", false},
        {"doc", false},
        {"..", false},
        {".d.c", false},
        {".doc ", false},
        {".doc:stream", false},
        {".d\\c", false},
        {".d/c", false},
        {".d<c", false},
        {".d>c", false},
        {".d\"c", false},
        {".d|c", false},
        {".d?c", false},
        {".d*c", false},
        {".d\x01" "c", false},
        {".d\x1F", false},
        {".\x7F", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.plain, IsPlainExtension(c.extension)) << c.extension;
    }
}

TEST(FileNames, ResultsLongerThan255CharactersAreRefused) {
    const std::string stem = "C:\\" + std::string(248, 'n');  // 251 characters
    const std::string plain = stem + ".doc";                  // 255
    PathBuffer name;
    EXPECT_TRUE(EncryptionTempName(plain.c_str(), name));
    EXPECT_EQ(stem + ".tmp", name);
    EXPECT_FALSE(EncryptedName(plain.c_str(), name));  // 251 + 8 characters
    EXPECT_STREQ("", name);

    const std::string fits = "C:\\" + std::string(244, 'n') + ".doc";  // stem 247 + ".(=doc=)" = 255
    EXPECT_TRUE(EncryptedName(fits.c_str(), name));
    EXPECT_EQ(255u, std::string(name).size());
}

}  // namespace
