// The steps that encryption and decoding of one file have in common.
#include "engine/Converters.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/CandidateChecks.h"
#include "engine/FileAccess.h"
#include "core/KeyHash.h"
#include "engine/OperationLog.h"
#include "resource.h"
#include "ui/Messages.h"

namespace {

// The keystream of the file being converted; one file at a time.
CipherState cipher;

ProgramOptions& OptionsOf(const ConversionJob* job) {
  return job->options ? *job->options : Options();
}

int Code(DWORD error) {
  return static_cast<int>(error);
}

}  // namespace

bool SeekTo(HANDLE file, DWORD offset) {
  // With the high half given, the offset counts as unsigned: files of 2 to
  // 4 GiB are sought correctly.
  LONG high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(offset), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  return high == 0 && low == offset;
}

bool WriteAll(HANDLE file, const void* bytes, DWORD count) {
  DWORD written = 0;
  if (!WriteFile(file, bytes, count, &written, nullptr)) return false;
  if (written == count) return true;
  SetLastError(ERROR_HANDLE_DISK_FULL);
  return false;
}

Conversion::Conversion(ConversionJob* job, const ConverterTexts& texts)
    : owner(job->owner),
      quiet(job->quiet != 0),
      options(OptionsOf(job)),
      job_(job),
      texts_(texts) {
  // The record holds at most 255 characters; read no further even if its
  // terminator is missing.
  std::snprintf(path, sizeof path, "%.*s", kJobPathSize - 1, job->path);
  temporaryName[0] = '\0';
  std::memset(header, 0, sizeof header);

  cursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  if (!quiet) SetStatusText(texts.working, path);
  LogWrite(texts.logStart, path);
  job->keyValue = JobKey(job->keyValue);
  jobKey = job->keyValue;
  ResetAbortPolling();
}

bool Conversion::OpenSource(bool namesFit, DWORD maxSize) {
  if (!FileExists(path)) {
    if (!options.Warnings[kWarnFileNotFound]) ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_NOT_FOUND, path);
    return false;
  }
  if (!FileIsWritable(path)) {
    if (!options.Warnings[kWarnLockedFile]) ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_LOCKED, path);
    return false;
  }
  // A result name that would be cut would name another file.
  if (!namesFit) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_NAME_TOO_LONG, path);
    return false;
  }
  if (!source.Take(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr))) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_OPEN_FAILED, path, Code(GetLastError()));
    return false;
  }

  DWORD high = 0;
  SetLastError(NO_ERROR);
  size = GetFileSize(source.get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    const DWORD error = GetLastError();
    source.Close();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_SIZE_FAILED, path, Code(error));
    return false;
  }
  if (high != 0 || size > maxSize) {
    source.Close();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_TOO_LARGE, path);
    return false;
  }
  if (!SeekSource(0, IDS_FILE_REWIND_FAILED)) return false;
  if (!ReadFile(source.get(), header, kHeaderSize, &headerBytes, nullptr)) {
    const DWORD error = GetLastError();
    source.Close();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_READ_FAILED, path, Code(error));
    return false;
  }
  return true;
}

bool Conversion::SeekSource(DWORD offset, UINT messageId) {
  if (SeekTo(source.get(), offset)) return true;
  const DWORD error = GetLastError();
  source.Close();
  if (messageId == IDS_FILE_REWIND_FAILED) {
    ShowMessage(owner, IDS_PROGRAM_NAME, messageId, path, Code(error));
  } else {
    ShowMessage(owner, IDS_PROGRAM_NAME, messageId, path, offset, Code(error));
  }
  return false;
}

Outcome Conversion::CreateTemporary() {
  // Only where the name is free: a file of that name may be the one copy of
  // a result kept after an earlier failure.
  if (!temporary.Take(CreateFileA(temporaryName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr))) {
    const DWORD error = GetLastError();
    source.Close();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      ReportTempNameTaken(owner, path, temporaryName, options);
    } else {
      ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_CREATE_FAILED, temporaryName, Code(error));
    }
    return Outcome::Failed;
  }
  madeTemporary_ = true;
  if (!SeekTo(temporary.get(), 0)) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_REWIND_FAILED, temporaryName, Code(GetLastError()));
    return Discard(Outcome::Failed);
  }
  return Outcome::Converted;
}

Outcome Conversion::ConvertBody(unsigned char (&buffer)[kRunSize], DWORD length, CipherFormat format,
                                bool decode, DWORD firstRun) {
  CipherStart(cipher, jobKey, format);
  if (!quiet) ReportProgress(owner, 0, length);
  // 64 bits: a count in steps of a run would wrap past 4 GiB.
  for (std::uint64_t processed = 0; processed < length;) {
    if (!quiet && AbortRequested(owner)) return Discard(Outcome::Cancelled);

    const DWORD runSize = processed == 0 ? firstRun : kRunSize;
    const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(runSize, length - processed));
    DWORD got = 0;
    const BOOL read = ReadFile(source.get(), buffer, wanted, &got, nullptr);
    if (!read || got != wanted) {
      // A run that ends early would shift the rest of the body.
      const DWORD error = read ? ERROR_HANDLE_EOF : GetLastError();
      ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_READ_FAILED, path, Code(error));
      return Discard(Outcome::Failed);
    }
    for (DWORD at = 0; at < got; at += kBlockSize) {
      // The first block of the run was looked at before the read.
      if (at > 0 && !quiet && AbortRequested(owner)) return Discard(Outcome::Cancelled);
      const DWORD count = std::min(kBlockSize, got - at);
      if (decode) {
        CipherDecode(cipher, buffer + at, count);
      } else {
        CipherEncrypt(cipher, buffer + at, count);
      }
      // A cancel here leaves the block just converted unwritten.
      if (!quiet && AbortRequested(owner)) return Discard(Outcome::Cancelled);
    }

    if (!WriteAll(temporary.get(), buffer, got)) {
      ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_WRITE_FAILED, temporaryName, Code(GetLastError()));
      return Discard(Outcome::Failed);
    }
    processed += got;
    if (!quiet) ReportProgress(owner, processed, length);
  }
  return Outcome::Converted;
}

Outcome Conversion::FinishTemporary(DWORD end) {
  if (!SeekTo(temporary.get(), end)) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_SEEK_FAILED, temporaryName, end, Code(GetLastError()));
    return Discard(Outcome::Failed);
  }
  if (!SetEndOfFile(temporary.get())) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_SET_EOF_FAILED, temporaryName, end, Code(GetLastError()));
    return Discard(Outcome::Failed);
  }
  if (!FlushFileBuffers(temporary.get())) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_FLUSH_FAILED, temporaryName, Code(GetLastError()));
    return Discard(Outcome::Failed);
  }
  if (!temporary.Close()) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_CLOSE_FAILED, temporaryName, Code(GetLastError()));
    return Discard(Outcome::Failed);
  }
  return Outcome::Converted;
}

Outcome Conversion::PutInPlace(const char* finalName) {
  // A result that cannot take its name is discarded: the source is still as
  // it was, and a decoded file left under the temporary name would be the
  // plain text lying about where nobody looks for it.
  if (!FileExists(finalName)) {
    if (!MoveFileA(temporaryName, finalName)) {
      ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_RENAME_FAILED, temporaryName, finalName, Code(GetLastError()));
      return Discard(Outcome::Failed);
    }
    madeTemporary_ = false;
    return Outcome::Converted;
  }
  // A copy over the source itself (an encrypted file that carries its
  // original name) may have emptied the source before it failed: the
  // temporary file then holds the only whole copy and is kept.
  auto failed = [&] {
    if (lstrcmpiA(finalName, path) != 0) return Discard(Outcome::Failed);
    source.Close();
    madeTemporary_ = false;
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_RESULT_KEPT, path, temporaryName);
    return Outcome::Failed;
  };
  if (!CopyFileA(temporaryName, finalName, FALSE)) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_COPY_FAILED, temporaryName, finalName,
                static_cast<unsigned>(GetLastError()));
    return failed();
  }
  // The copy reaches the disk before the temporary file goes and before an
  // encryption's "Cleanup" touches the plain file: a power cut in between
  // must not leave neither.
  ScopedFile placed;
  if (!placed.Take(CreateFileA(finalName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) ||
      !FlushFileBuffers(placed.get())) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_FLUSH_FAILED, finalName, Code(GetLastError()));
    return failed();
  }
  placed.Close();
  if (!DeleteFileA(temporaryName)) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_DELETE_FAILED, temporaryName, Code(GetLastError()));
    return Outcome::Failed;
  }
  madeTemporary_ = false;
  return Outcome::Converted;
}

Outcome Conversion::Discard(Outcome outcome) {
  source.Close();
  temporary.Close();
  // A partly decoded file left behind unsaid would be plain text lying
  // where nobody looks for it.
  if (madeTemporary_ && !DeleteFileA(temporaryName)) {
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_DELETE_FAILED, temporaryName, Code(GetLastError()));
  }
  return outcome;
}

void Conversion::Announce(Outcome outcome, UINT convertedStatus) {
  source.Close();
  temporary.Close();
  if (outcome == Outcome::Converted) {
    if (!quiet) SetStatusText(convertedStatus ? convertedStatus : texts_.converted, path);
    LogWrite(texts_.logConverted, path);
  } else {
    if (!quiet) SetStatusText(texts_.canceled, path);
    LogWrite(texts_.logCanceled, path);
  }
}

int Conversion::HandBack(Outcome outcome) {
  SetCursor(cursor_);
  ConversionJob* job = job_;
  job_ = nullptr;
  SendMessageA(owner, ConversionDone, outcome == Outcome::Converted ? 1 : 0, reinterpret_cast<LPARAM>(job));
  switch (outcome) {
    case Outcome::Converted:
      return 1;
    case Outcome::Cancelled:
      return -1;
    case Outcome::Failed:
      break;
  }
  return 0;
}
