// Names of encrypted, decoded and temporary files. Paths are 8-bit texts of
// at most 255 characters; results go to 256-byte buffers.
#pragma once

#include <cstddef>

constexpr std::size_t kPathBufferSize = 256;
using PathBuffer = char[kPathBufferSize];

// The extension of a path: the text from the last dot of the file-name part
// (after the last backslash or slash) to the end, dot included; an empty text
// when the file name has no dot. A dot in a folder name is not an extension:
// D:\My.Files\readme has none. Returns a pointer into path.
const char* ExtensionOf(const char* path);

// Whether an extension taken from an encrypted file's header may be given to
// the decoded file as it stands: none at all, or a dot followed by at least
// one character allowed in a Windows file name, the last not a blank. The
// header is not to be trusted, and anything else could name a file elsewhere
// (a slash, "..", a drive), a stream of another file (a colon), or a name
// that Windows would change (a trailing blank or dot).
bool IsPlainExtension(const char* extension);

// Writes path without its ExtensionOf into out; the whole path when it has
// none. Returns false, with out empty, when the result would not fit.
bool StripExtension(const char* path, PathBuffer& out);

// The names a conversion uses, each false (out empty) when too long:
//   temporary of an encryption: StripExtension(plain) + ".tmp"
//   encrypted: StripExtension(plain) + ".(=" + extension without dot + "=)"
//   temporary of a decoding: StripExtension(encrypted) + ".tmp"
//   decoded: StripExtension(encrypted) + ExtensionOf(original path)
// The encrypted and decoded names strip the temporary name, which gives the
// same as stripping the plain or encrypted name it was made from: folder and
// base name come from where the file lies now, and only the extension from
// the path stored in the header.
bool EncryptionTempName(const char* plainPath, PathBuffer& out);
bool EncryptedName(const char* plainPath, PathBuffer& out);
bool DecodingTempName(const char* encryptedPath, PathBuffer& out);
bool DecodedName(const char* encryptedPath, const char* originalPath, PathBuffer& out);
