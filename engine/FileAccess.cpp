// Existence and write-protection of a path through the directory search,
// and the folder listings that stand in for it during a large drop.
#include "engine/FileAccess.h"

#include <cstring>
#include <string>
#include <unordered_map>

namespace {

// The entries of one folder by their names in capitals, long and short.
using Listing = std::unordered_map<std::string, WIN32_FIND_DATAA>;

// The folders listed while a FolderListings lives, by their paths in
// capitals; null while none lives. A scope within another shares its
// listings.
std::unordered_map<std::string, Listing>* listings = nullptr;
int scopes = 0;

// The folder looked up last, as it was given, and its listing: the checks
// of one file look up the file and its temporary name in the same folder,
// and a drop's files come folder by folder.
std::string lastFolder;
const Listing* lastListing = nullptr;

std::string Capitals(const char* text, size_t length) {
  std::string capitals(text, length);
  // Plain ASCII, most names, is raised here as CharUpperBuffA would raise
  // it, without its conversions to and from wide characters.
  bool ascii = true;
  for (char& c : capitals) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (!ascii && length > 0) CharUpperBuffA(&capitals[0], static_cast<DWORD>(length));
  return capitals;
}

// Splits `path` into its folder and name when both are plain: a drive or
// share root, no "." or ".." part, no character the directory search takes
// for a wildcard and no forward slash, and a name that the file system takes
// as it stands (not ending in a dot or a space, which it would drop).
bool SplitPlainPath(const char* path, std::string& folder, std::string& name) {
  const size_t length = std::strlen(path);
  if (length < 4 || std::strpbrk(path, "*?<>\"|/") != nullptr) return false;
  const bool drive = path[1] == ':' && path[2] == '\\';
  const bool share = path[0] == '\\' && path[1] == '\\';
  if (!drive && !share) return false;
  const char* last = std::strrchr(path, '\\');
  const char* nameStart = last + 1;
  const size_t nameLength = length - static_cast<size_t>(nameStart - path);
  if (nameLength == 0 || nameStart[nameLength - 1] == '.' || nameStart[nameLength - 1] == ' ') return false;
  if (std::strstr(path + 2, "\\.\\") || std::strstr(path + 2, "\\..\\") || std::strcmp(nameStart, "..") == 0) {
    return false;
  }
  // A share's root ("\\server\share") is no folder to list.
  if (share && std::strchr(path + 2, '\\') == last) return false;
  folder.assign(path, static_cast<size_t>(last - path));
  name = Capitals(nameStart, nameLength);
  return true;
}

const Listing& ListingOf(const std::string& folder) {
  if (lastListing && folder == lastFolder) return *lastListing;
  const std::string key = Capitals(folder.data(), folder.size());
  auto known = listings->find(key);
  if (known != listings->end()) {
    lastFolder = folder;
    lastListing = &known->second;
    return known->second;
  }
  Listing& listing = (*listings)[key];
  lastFolder = folder;
  lastListing = &listing;
  const std::string pattern = folder + "\\*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return listing;
  do {
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
    listing.emplace(Capitals(found.cFileName, std::strlen(found.cFileName)), found);
    if (found.cAlternateFileName[0]) {
      listing.emplace(Capitals(found.cAlternateFileName, std::strlen(found.cAlternateFileName)), found);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return listing;
}

DWORD FoundAttributes(const char* path, bool& exists) {
  WIN32_FIND_DATAA found;
  exists = FindFileEntry(path, found);
  return exists ? found.dwFileAttributes : 0;
}

}  // namespace

bool FindFileEntry(const char* path, WIN32_FIND_DATAA& found) {
  std::string folder;
  std::string name;
  if (listings && SplitPlainPath(path, folder, name)) {
    const Listing& listing = ListingOf(folder);
    auto entry = listing.find(name);
    if (entry == listing.end()) return false;
    found = entry->second;
    return true;
  }
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool FileExists(const char* path) {
  bool exists = false;
  FoundAttributes(path, exists);
  return exists;
}

bool FileIsFolder(const char* path) {
  bool exists = false;
  return (FoundAttributes(path, exists) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileIsReadOnly(const char* path) {
  bool exists = false;
  return (FoundAttributes(path, exists) & FILE_ATTRIBUTE_READONLY) != 0;
}

bool FileIsWritable(const char* path) {
  bool exists = false;
  const DWORD attributes = FoundAttributes(path, exists);
  return exists && !(attributes & FILE_ATTRIBUTE_READONLY);
}

FolderListings::FolderListings() {
  if (scopes++ == 0) listings = new std::unordered_map<std::string, Listing>();
}

FolderListings::~FolderListings() {
  if (--scopes > 0) return;
  lastListing = nullptr;
  delete listings;
  listings = nullptr;
}

void FolderListings::Forget() {
  lastListing = nullptr;
  if (listings) listings->clear();
}
