// The checks that decide whether a file may enter a conversion list and, if
// so, which one: refused, not encrypted or encrypted.
#pragma once

#include <windows.h>

#include "settings/ProgramOptions.h"

// Results of CheckCandidate.
constexpr int kCandidateRefused = -1;
constexpr int kCandidatePlain = 0;
constexpr int kCandidateEncrypted = 1;

// Checks `path` in this order and refuses (-1) the first failure: a name
// the code page cannot spell (2024: a wildcard character, which stands in
// for such characters, or a best-fit spelling that does not find the
// file), missing (60021, caption 7009), a folder (2015), read-only (2004), extension ".tmp"
// (2013), temporary name taken (2017), no extension (2014), open, rewind or
// read failure (60027, 60030, 60033 with the error code). Each message goes
// to `owner` unless its warning switch in `options` is set; the refusal
// stands either way, and open and read failures are always reported.
// Otherwise returns 1 when the first 276 bytes can be read and begin with a
// header signature, else 0. The file is only read.
int CheckCandidate(HWND owner, const char* path, const ProgramOptions& options);

// 1 when `path` exists and is a folder, else 0. Reports nothing.
int IsFolder(HWND owner, const char* path, const ProgramOptions& options);

// 1 when `path` exists and is read-only, else 0. Reports nothing.
int IsReadOnly(HWND owner, const char* path, const ProgramOptions& options);

// 1 when no file holds the temporary name of `path` (its name without the
// extension, plus ".tmp"); else 0 after message 2017 (path, temporary name)
// unless the "TempFile" switch is set.
int TempNameFree(HWND owner, const char* path, const ProgramOptions& options);

// Message 2017 about `path`, whose temporary name `tempName` is taken,
// unless the "TempFile" switch is set. Returns 0.
int ReportTempNameTaken(HWND owner, const char* path, const char* tempName, const ProgramOptions& options);

// Message 2024 about `path`, whose file has a name that the program's code
// page cannot spell (it must be renamed). Returns -1, the refusal.
int RefuseUnspellableName(HWND owner, const char* path);
