// Existence and write-protection of a path through the directory search,
// and the folder listings that stand in for it during a large drop.
#include "engine/FileAccess.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// An entry of a folder's listing, and whether another entry has a name
// equal to its name in capitals.
struct ListedEntry {
  WIN32_FIND_DATAA data;
  bool shared;
};

// The entries of one folder by their names in capitals, long and short. A
// listing answers "not there" by itself. Of a name it holds it is sure only
// when the name is spelled exactly as the one entry of those capitals, and
// even then the system is asked (once a name) whether that spelling finds a
// file: an 8-bit listing shows a name that the code page cannot spell by a
// best-fit stand-in ("Lodz.doc" for a name with letters beyond it), which
// does not find the file. Any other name is looked up as it stands: in a
// folder that tells upper from lower case two entries can share their
// capitals, and a name in other letters' case may or may not find one.
struct Listing {
  std::unordered_map<std::string, ListedEntry> entries;
  // The search ended with ERROR_NO_MORE_FILES: a name not in `entries` is
  // not in the folder. Otherwise (a name that did not fit, a folder that
  // cannot be read) every name it lacks is looked up.
  bool complete = false;
  // The answers given, by the name as it was asked.
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

void Enter(Listing& listing, const std::string& capitals, const WIN32_FIND_DATAA& found) {
  auto entry = listing.entries.emplace(capitals, ListedEntry{found, false});
  if (!entry.second) entry.first->second.shared = true;
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
      const std::string name = Capitals(found.cFileName, std::strlen(found.cFileName));
      Enter(listing, name, found);
      const std::string shortName = Capitals(found.cAlternateFileName, std::strlen(found.cAlternateFileName));
      if (!shortName.empty() && shortName != name) Enter(listing, shortName, found);
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
  auto entry = listing.entries.find(Capitals(name.data(), name.size()));
  if (entry == listing.entries.end() && listing.complete) return false;
  auto asked = listing.asked.find(name);
  if (asked == listing.asked.end()) {
    std::pair<bool, WIN32_FIND_DATAA> answer;
    const bool sure = entry != listing.entries.end() && !entry->second.shared &&
                      (name == entry->second.data.cFileName || name == entry->second.data.cAlternateFileName);
    if (sure) {
      // Whether this spelling finds a file, without the search's opening
      // and closing of the folder (three trips to the server under Wine).
      answer.first = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
      answer.second = entry->second.data;
    } else {
      answer.first = FindDirectly(path, answer.second);
    }
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
  // A drop's listing of the folder knows at once the names it lacks, which
  // no listing can show.
  if (listings) {
    const Listing& listing = ListingOf(folder);
    if (listing.complete && listing.entries.count(Capitals(name.data(), name.size())) == 0) return false;
  }
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
