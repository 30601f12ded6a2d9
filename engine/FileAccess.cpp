// Existence and write-protection of a path through the directory search,
// and the folder listings that stand in for it during a large drop.
#include "engine/FileAccess.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// The entries of one folder by their names in capitals, long and short. A
// listing answers "not there" by itself; about a name it holds it asks the
// system (once a name): an 8-bit listing shows a name that the code page
// cannot spell by a best-fit stand-in ("Lodz.doc" for a name with letters
// beyond it), which the system does not find by that spelling, and in a
// folder that tells upper from lower case two entries can share their
// capitals.
struct Listing {
  std::unordered_set<std::string> names;
  // The search ended with ERROR_NO_MORE_FILES: a name not in `names` is not
  // in the folder. Otherwise (a name that did not fit, a folder that cannot
  // be read) every name is asked about.
  bool complete = false;
  // The system's answers, by the name as it was asked.
  std::unordered_map<std::string, std::pair<bool, WIN32_FIND_DATAA>> asked;
};

// The folders listed while a FolderListings lives, by their paths in
// capitals; null while none lives. A scope within another shares its
// listings.
std::unordered_map<std::string, Listing>* listings = nullptr;
int scopes = 0;

// The folder looked up last, as it was given, and its listing: the checks
// of one file look up the file and its temporary name in the same folder,
// and a drop's files come folder by folder.
std::string lastFolder;
Listing* lastListing = nullptr;

// Test only: the listings' searches end after this many entries, with this
// error (a negative count: never).
int faultAfter = -1;
DWORD faultError = NO_ERROR;

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
  name.assign(nameStart, nameLength);
  return true;
}

Listing& ListingOf(const std::string& folder) {
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
  if (search == INVALID_HANDLE_VALUE) {
    // An empty folder has no entry, not even "."; a missing one holds no
    // name either.
    const DWORD error = GetLastError();
    listing.complete = error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES || error == ERROR_PATH_NOT_FOUND;
    return listing;
  }
  int taken = 0;
  for (;;) {
    if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
      listing.names.insert(Capitals(found.cFileName, std::strlen(found.cFileName)));
      if (found.cAlternateFileName[0]) {
        listing.names.insert(Capitals(found.cAlternateFileName, std::strlen(found.cAlternateFileName)));
      }
    }
    ++taken;
    if (faultAfter >= 0 && taken >= faultAfter) {
      SetLastError(faultError);
    } else if (FindNextFileA(search, &found)) {
      continue;
    }
    // Only the end of the folder completes the listing: a name that does
    // not fit the entry makes the search fail before the end.
    listing.complete = GetLastError() == ERROR_NO_MORE_FILES;
    break;
  }
  FindClose(search);
  return listing;
}

bool FindDirectly(const char* path, WIN32_FIND_DATAA& found) {
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
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
  if (!listings || !SplitPlainPath(path, folder, name)) return FindDirectly(path, found);
  Listing& listing = ListingOf(folder);
  if (listing.complete && listing.names.count(Capitals(name.data(), name.size())) == 0) return false;
  auto asked = listing.asked.find(name);
  if (asked == listing.asked.end()) {
    std::pair<bool, WIN32_FIND_DATAA> answer;
    answer.first = FindDirectly(path, answer.second);
    asked = listing.asked.emplace(name, answer).first;
  }
  if (asked->second.first) found = asked->second.second;
  return asked->second.first;
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

bool NameIsStandIn(const char* path) {
  std::string folder;
  std::string name;
  WIN32_FIND_DATAA found;
  if (!SplitPlainPath(path, folder, name) || FindDirectly(path, found)) return false;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool shown = false;
  do {
    shown = name == found.cFileName;
  } while (!shown && FindNextFileA(search, &found));
  FindClose(search);
  return shown;
}

void SetListingFaultForTest(int entries, DWORD error) {
  faultAfter = entries;
  faultError = error;
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
