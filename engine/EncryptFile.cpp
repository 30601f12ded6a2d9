// Encryption of one file, the clearing of the plain file it leaves behind,
// and the registration of the encrypted file type.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "engine/Converters.h"
#include "engine/FileAccess.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "settings/RegistryKey.h"
#include "ui/Messages.h"

namespace {

constexpr ConverterTexts kEncryptionTexts = {
    IDS_ENCRYPTING_FILE, IDS_LOG_ENCRYPTING_FILE,  IDS_ENCRYPTED_FILE,
    IDS_LOG_ENCRYPTING_DONE, IDS_ENCRYPTING_CANCELED, IDS_LOG_ENCRYPTING_CANCELED,
};

constexpr char kEncryptedFileType[] = "Encrypted File";
constexpr int kEncryptedFileIcon = 2;  // the third icon group, IDI_ENCRYPTED_FILE

// The size limit of a plain file: its encrypted file, header included, must
// stay below 4 GiB, or decoding would refuse it as too large.
constexpr DWORD kLargestPlainFile = 0xFFFFFFFFu - kHeaderSize;

constexpr int kErasurePasses = 6;
constexpr unsigned char kErasureOnes = 0xFF;
constexpr unsigned char kErasureZeros = 0x00;
constexpr unsigned char kClearingByte = 0xF6;

// The run buffer of the encryption, also used by the clearing passes.
unsigned char buffer[kRunSize];

CleanupHookForTest cleanupHook = nullptr;

DWORD CallCleanupHook(CleanupMoment moment, const char* name) {
  return cleanupHook ? cleanupHook(moment, name) : 0;
}

// The clearing's progress: pass `pass` of `passes` has written `blocks` of
// `total` blocks.
void ReportClearing(const Conversion& c, int pass, int passes, std::uint64_t blocks, std::uint64_t total) {
  if (!c.quiet) ReportProgress(c.owner, pass * total + blocks, passes * total);
}

// One pass (number `pass` of `passes`) over the whole plain file: from
// offset 0, every 16 KB block is overwritten in full with `pattern` (so the
// file grows to a whole number of blocks), a run of blocks per write. False
// with the error code in `error` when a seek or a write fails.
bool OverwritePass(Conversion& c, unsigned char pattern, int pass, int passes, DWORD& error) {
  if (!SeekTo(c.source.get(), 0)) {
    error = GetLastError();
    return false;
  }
  std::memset(buffer, pattern, sizeof buffer);
  const std::uint64_t blocks = (std::uint64_t{c.size} + kBlockSize - 1) / kBlockSize;
  for (std::uint64_t block = 0; block < blocks; block += kRunBlocks) {
    const DWORD count = static_cast<DWORD>(std::min<std::uint64_t>(kRunBlocks, blocks - block)) * kBlockSize;
    const DWORD injected = CallCleanupHook(CleanupMoment::ClearingWrite, c.temporaryName);
    if (injected != 0) SetLastError(injected);
    if (injected != 0 || !WriteAll(c.source.get(), buffer, count)) {
      error = GetLastError();
      return false;
    }
    ReportClearing(c, pass, passes, block + count / kBlockSize, blocks);
  }
  return true;
}

// Makes the pattern of the pass just written reach the disk before the next
// one overwrites it.
bool FlushPass(Conversion& c, DWORD& error) {
  if (FlushFileBuffers(c.source.get())) return true;
  error = GetLastError();
  return false;
}

// Overwrites the plain file's content: with "NSAErasures" six alternating
// passes of ones and zeros, each flushed, then the final pass of 0xF6 bytes,
// flushed too; without it the final pass alone. Pass by pass rather than
// block by block, so that a large file costs seven sequential sweeps instead
// of seven seeks and flushes per block. An empty file gets no pass. False
// with the error code in `error` when a pass fails; shows nothing.
bool ClearPlainFile(Conversion& c, DWORD& error) {
  const bool nsa = c.options.NSAErasures != 0;
  if (!c.quiet) SetStatusText(nsa ? IDS_CLEARING_FILE_NSA : IDS_CLEARING_FILE, c.path);
  if (c.size > 0) {
    const int passes = nsa ? kErasurePasses + 1 : 1;
    ReportClearing(c, 0, passes, 0, 1);
    if (nsa) {
      for (int pass = 0; pass < kErasurePasses; ++pass) {
        if (!OverwritePass(c, pass % 2 == 0 ? kErasureOnes : kErasureZeros, pass, passes, error) ||
            !FlushPass(c, error)) {
          return false;
        }
      }
    }
    if (!OverwritePass(c, kClearingByte, passes - 1, passes, error)) return false;
    if (nsa && !FlushPass(c, error)) return false;
  }
  FlushFileBuffers(c.source.get());
  return true;
}

// Reports that the file `name` could not be deleted (or given up); fails.
Outcome DeletionFailed(Conversion& c, const char* name, DWORD error) {
  ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_FILE_DELETE_FAILED, name, static_cast<int>(error));
  return Outcome::Failed;
}

// Gives the plain file, renamed to the temporary name and not yet touched,
// its name back, and reports why with `messageId` about the name it then
// has; when that rename fails too, a box first says where the file is.
// Fails.
Outcome GiveNameBack(Conversion& c, UINT messageId, DWORD error) {
  c.source.Close();
  const char* name = c.path;
  if (!MoveFileA(c.temporaryName, c.path)) {
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_FILE_RENAME_FAILED, c.temporaryName, c.path,
                static_cast<int>(GetLastError()));
    name = c.temporaryName;
  }
  ShowMessage(c.owner, IDS_PROGRAM_NAME, messageId, name, static_cast<int>(error));
  return Outcome::Failed;
}

// True when the open plain file still has the size and last-write time it
// had when it was read.
bool UnchangedSinceRead(const Conversion& c, const FILETIME& readWritten) {
  DWORD high = 0;
  FILETIME written = {};
  SetLastError(NO_ERROR);
  const DWORD size = GetFileSize(c.source.get(), &high);
  if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) ||
      !GetFileTime(c.source.get(), nullptr, nullptr, &written)) {
    return false;
  }
  return high == 0 && size == c.size && CompareFileTime(&written, &readWritten) == 0;
}

// "Cleanup" once the encrypted file is in place and the plain file closed.
// The plain file gives up its name before a byte of it is overwritten: it is
// renamed to the temporary name, free again now, then cleared and deleted
// under that name. Whatever fails, and wherever the program is stopped, the
// plain file's name holds the original content or nothing, so remains of a
// clearing can never be listed and encrypted over the good encrypted file;
// a crash leaves them as a ".tmp" file, which the lists refuse. A rename
// that fails leaves both files whole and is reported as a failed deletion.
// Between its closing and its opening under the temporary name another
// program may have written to the plain file: unless its size and
// last-write time are still those it was read with (`readWritten`), it is
// given its name back untouched, and the encrypted file holds it as it was.
// Once the plain file has given up its name for the clearing, the
// encryption is done: what fails after that is reported, noted in
// `clearingFailed` when the clearing did not finish, and the file counts as
// converted. Remains whose clearing failed are still deleted, since a
// partly cleared file is of use to nobody; remains that cannot be deleted
// are named in a box of their own.
Outcome ClearAndDelete(Conversion& c, const FILETIME& readWritten, bool& clearingFailed) {
  CallCleanupHook(CleanupMoment::ReleasingPlainName, c.path);
  if (!MoveFileA(c.path, c.temporaryName)) return DeletionFailed(c, c.path, GetLastError());
  if (!c.source.Take(CreateFileA(c.temporaryName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr))) {
    return GiveNameBack(c, IDS_FILE_DELETE_FAILED, GetLastError());
  }
  if (!UnchangedSinceRead(c, readWritten)) return GiveNameBack(c, IDS_CHANGED_BEFORE_CLEARING, NO_ERROR);
  DWORD clearingError = NO_ERROR;
  clearingFailed = !ClearPlainFile(c, clearingError);
  c.source.Close();
  CallCleanupHook(CleanupMoment::DeletingRemains, c.temporaryName);
  if (DeleteFileA(c.temporaryName)) {
    if (clearingFailed) {
      ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_CLEARING_INCOMPLETE, c.path, static_cast<int>(clearingError));
    }
    return Outcome::Converted;
  }
  const DWORD deleteError = GetLastError();
  if (clearingFailed) {
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_CLEARING_FAILED, c.temporaryName, static_cast<int>(clearingError));
  }
  DeletionFailed(c, c.temporaryName, deleteError);
  return Outcome::Converted;
}

Outcome Encrypt(Conversion& c, PathBuffer& encryptedName, bool& clearingFailed) {
  const bool namesFit = EncryptionTempName(c.path, c.temporaryName) && EncryptedName(c.path, encryptedName);
  if (!c.OpenSource(namesFit, kLargestPlainFile)) return Outcome::Failed;
  if (HeaderFormatOf(c.header, c.headerBytes) != HeaderFormat::None) {
    c.source.Close();
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_ALREADY_ENCRYPTED, c.path);
    return Outcome::Failed;
  }
  if (!c.SeekSource(0, IDS_FILE_REWIND_FAILED)) return Outcome::Failed;
  if (c.CreateTemporary() != Outcome::Converted) return Outcome::Failed;

  // The path has at most 255 characters, so the header always takes it.
  FileHeader fileHeader;
  BuildFileHeader(fileHeader, c.jobKey, c.path);
  if (!WriteAll(c.temporary.get(), fileHeader.bytes, kHeaderSize)) {
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_FILE_SIGNATURE_FAILED, c.temporaryName,
                static_cast<int>(GetLastError()));
    return c.Discard(Outcome::Failed);
  }
  if (!SeekTo(c.temporary.get(), kHeaderSize)) {
    ShowMessage(c.owner, IDS_PROGRAM_NAME, IDS_FILE_SEEK_FAILED, c.temporaryName, static_cast<unsigned>(kHeaderSize),
                static_cast<int>(GetLastError()));
    return c.Discard(Outcome::Failed);
  }
  // The first run stops where the encrypted file's first run ends, so that
  // every further write covers whole pages of the encrypted file: a write
  // that starts inside a page costs about half as much again.
  const Outcome body = c.ConvertBody(buffer, c.size, CipherFormat::Current, false, kRunSize - kHeaderSize);
  if (body != Outcome::Converted) return body;
  const Outcome finished = c.FinishTemporary(c.size + kHeaderSize);
  if (finished != Outcome::Converted) return finished;

  // The encrypted file goes into place before the plain file is touched: a
  // failure while clearing then leaves a complete encrypted file under its
  // proper name.
  if (c.PutInPlace(encryptedName) != Outcome::Converted) return Outcome::Failed;
  // The file as it was read, held without sharing until now: the clearing
  // must find it so.
  FILETIME readWritten = {};
  GetFileTime(c.source.get(), nullptr, nullptr, &readWritten);
  c.source.Close();
  return c.options.Cleanup ? ClearAndDelete(c, readWritten, clearingFailed) : Outcome::Converted;
}

// Sets the default value of a key below HKEY_CLASSES_ROOT; failures are
// ignored.
void SetClassDefault(const char* key, const char* value) {
  RegistryKey entry;
  if (entry.Create(HKEY_CLASSES_ROOT, key, KEY_SET_VALUE) != ERROR_SUCCESS) return;
  RegSetValueExA(entry.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(std::strlen(value) + 1));
}

}  // namespace

void SetCleanupHookForTest(CleanupHookForTest hook) { cleanupHook = hook; }

int RegisterEncryptedType(const char* extension, const char* description, int iconIndex) {
  char key[kPathSize];
  char value[kPathSize + 16];
  std::snprintf(key, sizeof key, ".%s", extension);
  SetClassDefault(key, kEncryptedFileType);
  SetClassDefault(kEncryptedFileType, description);
  std::snprintf(key, sizeof key, "%s\\DefaultIcon", kEncryptedFileType);
  std::snprintf(value, sizeof value, "%s,%d", App().paths.module, iconIndex);
  SetClassDefault(key, value);
  return 1;
}

int EncryptFile(ConversionJob* job) {
  Conversion c(job, kEncryptionTexts);
  PathBuffer encryptedName = "";
  bool clearingFailed = false;
  const Outcome outcome = Encrypt(c, encryptedName, clearingFailed);
  if (clearingFailed) {
    c.Announce(outcome, IDS_ENCRYPTED_CLEARING_FAILED);
    LogWrite(IDS_LOG_CLEARING_FAILED, c.path);
  } else {
    c.Announce(outcome);
  }
  if (outcome == Outcome::Converted) {
    const char* extension = ExtensionOf(c.path);
    char type[kPathSize];
    std::snprintf(type, sizeof type, "(=%s=)", *extension == '.' ? extension + 1 : extension);
    char description[kStringSize];
    if (GetString(description, IDS_PRODUCT_NAME)) RegisterEncryptedType(type, description, kEncryptedFileIcon);
  }
  return c.HandBack(outcome);
}
