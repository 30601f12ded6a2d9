// Whether a path exists and whether it may be written, as the directory
// search reports them; for a large drop, answered from one listing of each
// folder.
#pragma once

#include <windows.h>

// True when FindFirstFileA finds `path` (a file or a folder).
bool FileExists(const char* path);

// True when FindFirstFileA finds `path` and the entry found is a folder, or
// has the read-only attribute.
bool FileIsFolder(const char* path);
bool FileIsReadOnly(const char* path);

// False when `path` is not found; otherwise true unless the entry found has
// the read-only attribute.
bool FileIsWritable(const char* path);

// The directory entry FindFirstFileA finds for `path` (its attributes, size
// and times); false when there is none.
bool FindFileEntry(const char* path, WIN32_FIND_DATAA& found);

// True when `path` is not found as it is spelled, yet its folder's listing
// shows an entry spelled exactly so: the 8-bit stand-in (best-fit letters)
// for a name with characters beyond the code page, a file that cannot be
// reached by that spelling. Lists the folder: for names already not found.
bool NameIsStandIn(const char* path);

// While a FolderListings lives, the look-ups above answer for a plain path
// ("C:\folder\name", "\\server\share\name") what the direct search would
// answer, with the help of one listing of its folder, taken at the first
// look-up in that folder: a name the whole listing does not hold, in any
// case, is not there, and a name it holds is looked up once as it stands.
// A drop of thousands of files then reads each folder once instead of once
// per look-up of a name that does not exist (under Wine, such a look-up
// reads the whole folder). A listing that ended before the folder's end
// answers nothing by itself. Any other path is looked up as it stands. The
// listings are forgotten when the scope ends or Forget is called (before a
// box, while which the folder may change).
class FolderListings {
 public:
  FolderListings();
  ~FolderListings();
  FolderListings(const FolderListings&) = delete;
  FolderListings& operator=(const FolderListings&) = delete;

  static void Forget();
};

// ---- Test seams ------------------------------------------------------------

// Test only: the listings' searches stop after `entries` entries as if the
// next entry failed with `error` (a name that does not fit an 8-bit entry
// does that on Windows); a negative count: never.
void SetListingFaultForTest(int entries, DWORD error);
