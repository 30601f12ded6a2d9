// The operation log file and its backup.
#include "engine/OperationLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "context/AppContext.h"
#include "engine/FileAccess.h"
#include "settings/ProgramOptions.h"
#include "ui/Messages.h"

namespace {

constexpr int kLogLineSize = 1024;  // one line: 1023 characters and the terminator

// The one open log stream of the process, or none.
FILE* logStream = nullptr;

int CloseLog() {
  if (logStream) std::fclose(logStream);
  logStream = nullptr;
  return 1;
}

// Appends one formatted line, opening the log first when needed. The stream
// is in text mode, so the C library stores each "\n" as CR LF; it is flushed
// after every line so that the file is complete at every moment (a backup
// taken while the stream is open, a program that ends abruptly).
int AppendLine(const char* format, va_list arguments) {
  if (!logStream) {
    logStream = std::fopen(App().paths.logFile, "a+t");
    if (!logStream) return 0;
  }
  char line[kLogLineSize];
  std::vsnprintf(line, sizeof line, format, arguments);
  std::fprintf(logStream, "%s\n", line);
  std::fflush(logStream);
  return 1;
}

}  // namespace

int LogWrite(UINT id, ...) {
  if (id == 0) return CloseLog();
  if (!LogFlag) return 1;
  char format[kStringSize];
  if (!GetString(format, id)) return 0;
  va_list arguments;
  va_start(arguments, id);
  const int result = AppendLine(format, arguments);
  va_end(arguments);
  return result;
}

int LogWriteText(const char* format, ...) {
  if (!format) return CloseLog();
  if (!LogFlag) return 1;
  va_list arguments;
  va_start(arguments, format);
  const int result = AppendLine(format, arguments);
  va_end(arguments);
  return result;
}

int BackupLogFile() {
  if (!LogFlag || !FileExists(App().paths.logFile)) return 1;
  return BackupFile(App().paths.logFile);
}

int BackupFile(const char* path) {
  if (!FileExists(path)) return 1;
  if (!FileIsWritable(path)) return 0;

  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  char backup[kPathSize];
  // A cut name would copy over some other file: no backup rather than that.
  const int length = std::snprintf(backup, sizeof backup, "%.*sBackup of %s",
                                   static_cast<int>(name - path), path, name);
  if (length < 0 || length >= static_cast<int>(sizeof backup)) return 0;
  return CopyFileA(path, backup, FALSE);
}
