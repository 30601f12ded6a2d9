// Decoding of one encrypted file.
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
  // A file cut short inside its header has no body at all, whatever key it
  // was made with; one cut inside the check value cannot even be checked.
  if (c.headerBytes < kHeaderSize) return Refuse(c, IDS_FILE_TRUNCATED);
  if (!HeaderKeyMatches(c.header, c.headerBytes, format, c.jobKey)) return Refuse(c, IDS_WRONG_KEY);
  const char* storedPath = HeaderStoredPath(c.header, c.headerBytes);
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
