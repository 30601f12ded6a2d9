// Candidate checks for the conversion lists: what can be converted at all,
// and whether it carries the header of an encrypted file.
#include "engine/CandidateChecks.h"

#include <cstring>

#include "engine/FileAccess.h"
#include "core/FileHeader.h"
#include "core/FileNames.h"
#include "engine/ScopedFile.h"
#include "resource.h"
#include "ui/Messages.h"

namespace {

bool Silenced(const ProgramOptions& options, WarningIndex warning) { return options.Warnings[warning] != 0; }

// Shows `messageId` about `path` with the program's caption unless the
// warning is silenced; returns the refusal either way.
int Refuse(HWND owner, const ProgramOptions& options, WarningIndex warning, UINT messageId, const char* path) {
  if (!Silenced(options, warning)) ShowMessage(owner, IDS_PROGRAM_NAME, messageId, path);
  return kCandidateRefused;
}

// Reads the start of the file for the header signatures; refuses with the
// message of the failing call.
int RecogniseHeader(HWND owner, const char* path) {
  ScopedFile file;
  if (!file.Take(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
    const DWORD error = GetLastError();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_OPEN_FAILED, path, static_cast<int>(error));
    return kCandidateRefused;
  }
  if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) != 0) {
    const DWORD error = GetLastError();
    file.Close();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_REWIND_FAILED, path, static_cast<int>(error));
    return kCandidateRefused;
  }
  unsigned char bytes[kHeaderSize];
  DWORD count = 0;
  if (!ReadFile(file.get(), bytes, sizeof bytes, &count, nullptr)) {
    const DWORD error = GetLastError();
    file.Close();
    ShowMessage(owner, IDS_PROGRAM_NAME, IDS_FILE_READ_FAILED, path, static_cast<int>(error));
    return kCandidateRefused;
  }
  file.Close();
  return CandidateHeaderFormat(bytes, count) != HeaderFormat::None ? kCandidateEncrypted : kCandidatePlain;
}

}  // namespace

// The attributes come straight from the directory search: the properties
// record holds the same flags, but filling it also looks up the file type
// and its icon, which costs more than the whole check of a file.
int IsFolder(HWND, const char* path, const ProgramOptions&) { return FileIsFolder(path) ? 1 : 0; }

int IsReadOnly(HWND, const char* path, const ProgramOptions&) { return FileIsReadOnly(path) ? 1 : 0; }

int TempNameFree(HWND owner, const char* path, const ProgramOptions& options) {
  // Encryption and decoding both name their temporary file this way.
  PathBuffer tempName;
  if (!EncryptionTempName(path, tempName) || !FileExists(tempName)) return 1;
  return ReportTempNameTaken(owner, path, tempName, options);
}

int ReportTempNameTaken(HWND owner, const char* path, const char* tempName, const ProgramOptions& options) {
  if (!Silenced(options, kWarnTempFile)) ShowMessage(owner, IDS_PROGRAM_NAME, IDS_TEMP_FILE_EXISTS, path, tempName);
  return 0;
}

int RefuseUnspellableName(HWND owner, const char* path) {
  ShowMessage(owner, IDS_PROGRAM_NAME, IDS_NAME_NOT_ANSI, path);
  return kCandidateRefused;
}

int CheckCandidate(HWND owner, const char* path, const ProgramOptions& options) {
  // No file name holds a wildcard: the system writes "?" for each character
  // that the code page lacks.
  if (std::strpbrk(path, "?*")) return RefuseUnspellableName(owner, path);
  if (!FileExists(path)) {
    if (NameIsStandIn(path)) return RefuseUnspellableName(owner, path);
    if (!Silenced(options, kWarnFileNotFound)) ShowMessage(owner, IDS_CAPTION_NOT_FOUND, IDS_FILE_NOT_FOUND, path);
    return kCandidateRefused;
  }
  if (IsFolder(owner, path, options)) return Refuse(owner, options, kWarnFolderType, IDS_FOLDER_NOT_CONVERTED, path);
  if (IsReadOnly(owner, path, options)) return Refuse(owner, options, kWarnLockedFile, IDS_FILE_LOCKED, path);
  const char* extension = ExtensionOf(path);
  if (lstrcmpiA(extension, ".tmp") == 0) return Refuse(owner, options, kWarnTempFile, IDS_TEMPORARY_FILE, path);
  if (!TempNameFree(owner, path, options)) return kCandidateRefused;
  if (extension[0] == '\0') return Refuse(owner, options, kWarnMissingExt, IDS_NO_EXTENSION, path);
  return RecogniseHeader(owner, path);
}
