// The two converters of one file, EncryptFile and DecodeFile, the file-type
// registration of encrypted files, and the steps the two converters share.
#pragma once

#include <windows.h>

#include "engine/ConversionJob.h"
#include "core/FileHeader.h"
#include "core/FileNames.h"
#include "core/Keystream.h"
#include "engine/ScopedFile.h"

// <windows.h> maps EncryptFile to the file-system call EncryptFileA; the
// program's converter of the same name is another thing altogether.
#undef EncryptFile

// ---- The converters --------------------------------------------------------
//
// Both take one job and return 1 when the file was converted, 0 when it was
// not (the failure has been reported in a box, unless a warning switch
// silences it), -1 when the user cancelled with Esc or Ctrl-C. On every
// outcome they send ConversionDone with the job to its owner window just
// before returning, and touch the job no more: the owner frees it.
// Unless the job is quiet they show their progress on the status line and
// poll for a cancel between blocks; they always write their log lines.

// Writes the encrypted file (the plain name with its extension between
// "(=" and "=)") through a temporary ".tmp" file beside the plain file. With
// "Cleanup" the plain file is then overwritten (six alternating passes
// before the final one with "NSAErasures") and deleted; the encrypted
// file is in place before the plain file is touched, and the plain file is
// renamed to the temporary name before it is overwritten, so that its own
// name never holds a partly cleared file. Registers the encrypted extension
// as a file type.
int EncryptFile(ConversionJob* job);

// Checks the header and the key, writes the decoded file (the encrypted
// file's folder and base name, the extension stored in the header) through a
// temporary ".tmp" file, and with "Cleanup" deletes the encrypted file.
// Refuses, before writing anything, a header whose stored extension is not a
// plain file-name extension and a file shorter than its header.
int DecodeFile(ConversionJob* job);

// Registers ".<extension>" under HKEY_CLASSES_ROOT as the type "Encrypted
// File" with `description` and the program's icon `iconIndex`. Registry
// failures are ignored; returns 1.
int RegisterEncryptedType(const char* extension, const char* description, int iconIndex);

// ---- Shared by the converters ----------------------------------------------

constexpr DWORD kBlockSize = 16384;
// The body is read and written in runs of blocks: under Wine a read or write
// call costs as much as converting several kilobytes, so 16 KB calls would
// make a conversion half as slow again as copying the file. The keystream and
// the cancel polling still go block by block, and the bytes written are the
// same.
constexpr DWORD kRunBlocks = 16;
constexpr DWORD kRunSize = kRunBlocks * kBlockSize;

enum class Outcome { Converted, Failed, Cancelled };

// Texts that tell the two directions apart.
struct ConverterTexts {
  UINT working;      // status line at the start
  UINT logStart;     // log line at the start
  UINT converted;    // status line after success
  UINT logConverted;
  UINT canceled;     // status line after failure or cancel
  UINT logCanceled;
};

// One call of a converter: the job's data copied out of the record, the
// source file (plain or encrypted) and the temporary file.
class Conversion {
 public:
  // Wait cursor, start status text and log line, job key ORed into the job.
  Conversion(ConversionJob* job, const ConverterTexts& texts);
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;

  // Existence, write protection and name length checks, opening, size
  // (refused above maxSize), rewinding and reading the first bytes into
  // header / headerBytes. False after a refusal or a reported failure.
  bool OpenSource(bool namesFit, DWORD maxSize);
  // Seeks the source; false after closing it and reporting `messageId`
  // (60030 without the offset, 60031 with it).
  bool SeekSource(DWORD offset, UINT messageId);
  // Creates the temporary file, only where no file has its name, and
  // rewinds it. A taken name refuses the file with message 2017 (silenced
  // by "TempFile") and leaves the file of that name alone.
  Outcome CreateTemporary();
  // Converts `length` bytes from the source's position to the temporary
  // file's, one block at a time, polling for a cancel before and after each
  // block's conversion; reads and writes them a run at a time. The first run
  // has `firstRun` bytes (at most kRunSize), every further one kRunSize.
  // Discards the temporary file unless all went well.
  Outcome ConvertBody(unsigned char (&buffer)[kRunSize], DWORD length, CipherFormat format, bool decode,
                      DWORD firstRun);
  // Seeks the temporary file to `end`, sets its end, flushes and closes it.
  Outcome FinishTemporary(DWORD end);
  // Moves the temporary file to `finalName`, or copies it over a file of
  // that name and deletes it. When the move or the copy fails, the
  // temporary file is discarded (and the source closed), unless the copy
  // went over the source itself: the source may then be incomplete, and
  // the temporary file is kept and named in a box.
  Outcome PutInPlace(const char* finalName);
  // Closes both files and deletes the temporary file this conversion made;
  // one that cannot be deleted is named in box 60099.
  Outcome Discard(Outcome outcome);
  // Closes what is open; the status text and log line of the outcome, with
  // `convertedStatus` (when not 0) as the status text of a converted file.
  void Announce(Outcome outcome, UINT convertedStatus = 0);
  // Restores the cursor, sends ConversionDone and gives the result value.
  int HandBack(Outcome outcome);

  char path[kJobPathSize];
  PathBuffer temporaryName;
  HWND owner;
  bool quiet;
  const ProgramOptions& options;
  std::uint32_t jobKey;

  ScopedFile source;
  ScopedFile temporary;
  DWORD size = 0;
  unsigned char header[kHeaderSize];
  DWORD headerBytes = 0;

 private:
  ConversionJob* job_;
  const ConverterTexts& texts_;
  HCURSOR cursor_;
  bool madeTemporary_ = false;
};

// Seeks to an unsigned 32-bit offset from the start; true when the file
// pointer is there.
bool SeekTo(HANDLE file, DWORD offset);

// Writes all `count` bytes; a write that stops short counts as failed, with
// ERROR_HANDLE_DISK_FULL as its error code.
bool WriteAll(HANDLE file, const void* bytes, DWORD count);

// ---- Test seams ------------------------------------------------------------

// Test only: the moments of an encryption's "Cleanup" at which a test can
// step in, as another program or a full disk would.
enum class CleanupMoment {
  ReleasingPlainName,  // the plain file is closed and about to be renamed
  ClearingWrite,       // a write of a clearing pass is about to be made
  DeletingRemains,     // the cleared file is closed and about to be deleted
};
// Test only: `hook` (nullptr for none) is called at each moment with the
// name of the file concerned. A result other than 0 at a clearing write
// makes that write fail with that error code; elsewhere it is ignored.
using CleanupHookForTest = DWORD (*)(CleanupMoment moment, const char* name);
void SetCleanupHookForTest(CleanupHookForTest hook);
