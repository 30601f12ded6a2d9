// The file switches of the command line and the hand-off block.
#include "core/FileSwitches.h"

#include <cstring>

namespace {

struct SwitchName {
  const char* name;
  FileTarget target;
};

constexpr SwitchName kSwitches[] = {
    {"encrypt", FileTarget::Encrypt},
    {"decode", FileTarget::Decode},
    {"add", FileTarget::ByKind},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ASCII only, whatever the code page: the switches and drive letters are.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The switch's word without regard to case, ended by a blank or the tail's
// end; the length of the match, or 0.
std::size_t MatchWord(const char* text, const char* word) {
  std::size_t i = 0;
  for (; word[i]; ++i) {
    if (!text[i] || LowerAscii(text[i]) != word[i]) return 0;
  }
  return text[i] == '\0' || IsBlank(text[i]) ? i : 0;
}

// A word that begins a path of its own: "X:" or a backslash.
bool BeginsPath(const std::string& word) {
  if (!word.empty() && word[0] == '\\') return true;
  return word.size() >= 2 && IsDriveLetter(word[0]) && word[1] == ':';
}

}  // namespace

bool ReadFileSwitch(const char* tail, SwitchedFiles& files) {
  if (!tail || (tail[0] != '/' && tail[0] != '-')) return false;
  const SwitchName* found = nullptr;
  std::size_t at = 0;
  for (const SwitchName& s : kSwitches) {
    if ((at = MatchWord(tail + 1, s.name)) != 0) {
      found = &s;
      break;
    }
  }
  if (!found) return false;

  SwitchedFiles read;
  read.target = found->target;
  // Whether the last path was unquoted, so that a following word may
  // continue it.
  bool openEnded = false;
  for (const char* c = tail + 1 + at; *c;) {
    if (IsBlank(*c)) {
      ++c;
      continue;
    }
    if (*c == '"') {
      const char* end = std::strchr(c + 1, '"');
      const std::size_t length = end ? static_cast<std::size_t>(end - c - 1) : std::strlen(c + 1);
      if (length) read.paths.emplace_back(c + 1, length);
      openEnded = false;
      c += 1 + length + (end ? 1 : 0);
      continue;
    }
    std::size_t length = 0;
    while (c[length] && !IsBlank(c[length]) && c[length] != '"') ++length;
    std::string word(c, length);
    if (openEnded && !BeginsPath(word)) {
      read.paths.back() += " " + word;
    } else {
      read.paths.push_back(word);
    }
    openEnded = true;
    c += length;
  }
  files = std::move(read);
  return true;
}

std::string PackHandedFiles(const SwitchedFiles& files) {
  std::string block(1, static_cast<char>(files.target));
  for (const std::string& path : files.paths) {
    if (path.empty()) continue;
    block.append(path.c_str(), std::strlen(path.c_str()));
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

bool UnpackHandedFiles(const void* block, std::size_t size, SwitchedFiles& files) {
  if (!block || size < 2 || size > kMostHandedBytes) return false;
  const char* bytes = static_cast<const char*>(block);
  SwitchedFiles read;
  switch (bytes[0]) {
    case static_cast<char>(FileTarget::Encrypt): read.target = FileTarget::Encrypt; break;
    case static_cast<char>(FileTarget::Decode): read.target = FileTarget::Decode; break;
    case static_cast<char>(FileTarget::ByKind): read.target = FileTarget::ByKind; break;
    default: return false;
  }
  std::size_t at = 1;
  while (at < size) {
    const void* end = std::memchr(bytes + at, '\0', size - at);
    if (!end) return false;
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - (bytes + at));
    if (length == 0) break;
    read.paths.emplace_back(bytes + at, length);
    at += length + 1;
  }
  // The empty path that ends the list is the block's last byte.
  if (at != size - 1) return false;
  files = std::move(read);
  return true;
}
