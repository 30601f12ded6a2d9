// The command-line switches that name files for the lists (/encrypt,
// /decode, /add), and the block in which a second start hands such files to
// the copy already running. Paths are 8-bit texts in the program's code
// page; they are checked when they are listed, not here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Which list the files of a switch go to.
enum class FileTarget : char {
  Encrypt = 'E',  // /encrypt: the encryption list
  Decode = 'D',   // /decode: the decoding list
  ByKind = 'A',   // /add: encrypted files to the decoding list, others to the encryption list
};

struct SwitchedFiles {
  FileTarget target = FileTarget::ByKind;
  std::vector<std::string> paths;
};

// Reads a tail that begins with "/encrypt", "/decode" or "/add" (or "-"
// instead of "/", in any case) followed by a blank or its end; anything else
// is not one of these switches (false, `files` untouched). The paths that
// follow are split as Explorer and Send To pass them: a quoted path runs to
// its closing quote (or the end); unquoted, a path runs to the next blank,
// and a word that does not begin a path (a drive and colon, or a
// backslash) belongs to the path before it, so that "C:\My Files\a.doc"
// unquoted stays one path. No paths at all is allowed.
bool ReadFileSwitch(const char* tail, SwitchedFiles& files);

// The hand-off block: the target's letter, then each path with a NUL after
// it, then one more NUL. Paths are never empty and hold no NUL.
std::string PackHandedFiles(const SwitchedFiles& files);

// Reads a block that came from another process: false, `files` untouched,
// unless it is exactly as PackHandedFiles makes it (a known target, every
// path non-empty and ended, the list ended by the block's last byte) and
// at most kMostHandedBytes long.
constexpr std::size_t kMostHandedBytes = 4u << 20;
bool UnpackHandedFiles(const void* block, std::size_t size, SwitchedFiles& files);
