// The operation log: a plain-text record of every conversion run and of each
// file's outcome, appended to the log file beside the program and never read
// back, with a backup copy taken before a run writes its begin and end lines.
//
// The log is written only while the logging switch (LogFlag, the "LogFile"
// option) is on. The stream is opened by the first line written and stays
// open until LogWrite(0) or LogWriteText(nullptr) closes it.
#pragma once

#include <windows.h>

// Appends the text of message `id`, completed with the arguments and cut at
// 1023 characters, as one line ("%s\n"; the file stores CR LF). Id 0 closes
// the log instead. With logging off it does nothing and returns 1. Returns 0
// when the log cannot be opened or the text cannot be loaded (GetString has
// then shown its error box), else 1. Shows nothing for a log that cannot be
// opened: the callers go on without logging.
int LogWrite(UINT id, ...);

// As LogWrite with a literal format; a null format closes the log.
int LogWriteText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Copies the log to its backup ("Backup of " + the log's name, beside it).
// Returns 1 when logging is off or there is no log yet, else BackupFile's
// result for the log path.
int BackupLogFile();

// Copies `path` to the file "Backup of <name>" in the same folder, replacing
// an older backup. Returns 1 when `path` does not exist, 0 when it is
// read-only or the backup name would be longer than 255 characters, else the
// result of the copy (non-zero on success).
int BackupFile(const char* path);
