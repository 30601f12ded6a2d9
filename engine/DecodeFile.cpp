// Decoding of one encrypted file.
#include <cstring>

#include "engine/Converters.h"
#include "resource.h"
#include "ui/Messages.h"

namespace {

constexpr ConverterTexts kDecodingTexts = {
    IDS_DECODING_FILE,      IDS_LOG_DECODING_FILE,     IDS_DECODED_FILE,
    IDS_LOG_DECODING_DONE,  IDS_DECODING_CANCELED,     IDS_LOG_DECODING_CANCELED,
};

// The run buffer of the decoding, distinct from the encryption's.
unsigned char buffer[kRunSize];

// Whether the extension taken from a header can be given to the decoded file
// as it is: none at all, or a dot and at least one character allowed in a
// Windows file name. The header is not to be trusted, and anything else
// could name a file elsewhere (a slash, "..", a drive), a stream of another
// file (a colon), or a name that Windows would change (a trailing blank).
bool IsPlainExtension(const char* extension) {
  if (*extension == '\0') return true;
  if (extension[0] != '.' || extension[1] == '\0') return false;
  for (const char* at = extension + 1; *at; ++at) {
    const unsigned char c = static_cast<unsigned char>(*at);
    if (c < 32 || std::strchr("<>:\"/\\|?*.", c)) return false;
  }
  const char last = extension[std::strlen(extension) - 1];
  return last != ' ';
}

// The original path stored in the header, when it is a path this program
// could have written: zero-terminated within its field, at most 255
// characters.
const char* StoredPath(const unsigned char (&header)[kHeaderSize]) {
  const unsigned char* field = header + kOriginalPathOffset;
  const void* end = std::memchr(field, 0, kOriginalPathSize);
  if (!end || static_cast<const unsigned char*>(end) - field > static_cast<std::ptrdiff_t>(kMaxPathLength)) {
    return nullptr;
  }
  return reinterpret_cast<const char*>(field);
}

// Closes the encrypted file and reports a refusal that names it.
Outcome Refuse(Conversion& c, UINT messageId) {
  c.source.Close();
  ShowMessage(c.owner, IDS_PROGRAM_NAME, messageId, c.path);
  return Outcome::Failed;
}

Outcome Decode(Conversion& c) {
  if (!c.OpenSource(DecodingTempName(c.path, c.temporaryName), 0xFFFFFFFFu)) return Outcome::Failed;

  const HeaderFormat format = HeaderFormatOf(c.header, c.headerBytes);
  if (format == HeaderFormat::None) return Refuse(c, IDS_NOT_ENCRYPTED);
  if (!HeaderKeyMatches(c.header, c.headerBytes, format, c.jobKey)) return Refuse(c, IDS_WRONG_KEY);
  // A file cut short inside its header has no body at all.
  if (c.headerBytes < kHeaderSize) return Refuse(c, IDS_FILE_TRUNCATED);
  const char* storedPath = StoredPath(c.header);
  if (!storedPath || !IsPlainExtension(ExtensionOf(storedPath))) return Refuse(c, IDS_BAD_STORED_EXTENSION);
  PathBuffer decodedName;
  if (!DecodedName(c.path, storedPath, decodedName)) return Refuse(c, IDS_NAME_TOO_LONG);

  if (!c.SeekSource(kHeaderSize, IDS_FILE_SEEK_FAILED)) return Outcome::Failed;
  if (c.CreateTemporary() != Outcome::Converted) return Outcome::Failed;
  const DWORD bodyLength = c.size - kHeaderSize;
  const CipherFormat cipherFormat = format == HeaderFormat::Current ? CipherFormat::Current : CipherFormat::Earlier;
  const Outcome body = c.ConvertBody(buffer, bodyLength, cipherFormat, true, kRunSize);
  if (body != Outcome::Converted) return body;
  const Outcome finished = c.FinishTemporary(bodyLength);
  if (finished != Outcome::Converted) return finished;
  c.source.Close();

  // A stored extension of ".tmp" names the temporary file itself: the
  // decoded file is already where it belongs.
  if (lstrcmpiA(decodedName, c.temporaryName) != 0 && c.PutInPlace(decodedName) != Outcome::Converted) {
    return Outcome::Failed;
  }
  // An encrypted file that was given its original name (x.doc holding the
  // encryption of x.doc) has just been replaced by the decoded file, which
  // must stay.
  if (c.options.Cleanup && lstrcmpiA(decodedName, c.path) != 0 && !DeleteFileA(c.path)) {
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_FILE_DELETE_FAILED, c.path, static_cast<int>(GetLastError()));
    return Outcome::Failed;
  }
  return Outcome::Converted;
}

}  // namespace

int DecodeFile(ConversionJob* job) {
  Conversion c(job, kDecodingTexts);
  const Outcome outcome = Decode(c);
  c.Announce(outcome);
  return c.HandBack(outcome);
}
