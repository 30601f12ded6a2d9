// The file properties dialog and the record it is filled from: one file's
// name, type, folder, size, access mode, MS-DOS name and time stamps. The
// candidate checks read the same record for the folder and read-only flags.
#pragma once

#include <windows.h>

constexpr int kPropertyTextSize = 256;

// Items of the properties dialog that its procedure addresses.
constexpr int kPropertiesIconId = 100;
constexpr int kPropertiesNameId = 101;
constexpr int kPropertiesTypeId = 102;
constexpr int kPropertiesFolderId = 103;
constexpr int kPropertiesSizeId = 104;
constexpr int kPropertiesModeId = 105;
constexpr int kPropertiesCreatedId = 106;
constexpr int kPropertiesModifiedId = 107;
constexpr int kPropertiesAccessedId = 108;
constexpr int kPropertiesDosNameId = 109;

struct FileProperties {
  char name[kPropertyTextSize];      // after the last backslash; the whole path without one
  char folder[kPropertyTextSize];    // up to and including the last backslash, or empty
  char typeName[kPropertyTextSize];  // the type's description, or "Document"
  char dosName[kPropertyTextSize];   // short name (the name when none), upper case
  HICON icon;                        // the type's icon, or the system's IDI_WINLOGO
  DWORD size;                        // low 32 bits of the size in bytes
  char sizeText[kPropertyTextSize];  // "1.50 K Bytes (1536)"
  DWORD archive;
  DWORD readOnly;
  DWORD system;
  DWORD hidden;
  DWORD directory;
  FILETIME created;
  FILETIME accessed;
  FILETIME modified;
  char createdText[kPropertyTextSize];
  char modifiedText[kPropertyTextSize];
  char accessedText[kPropertyTextSize];
  DWORD iconExtracted;  // 1 when `icon` came from ExtractIconA and is the record's to destroy
};

// Zeroes `record` and fills it for `path` (FindFirstFileA). Returns 1, or 0
// when the path does not exist, leaving the record all zero. The record may
// own its icon afterwards: release it with ReleaseFileProperties.
int ReadFileProperties(const char* path, FileProperties& record);

// Destroys the record's icon when ExtractIconA gave it (a shared system or
// program icon is left alone) and clears the icon field.
void ReleaseFileProperties(FileProperties& record);

// The icon of files with `extension` (".doc" or "doc"; empty looks up the
// key ".") from HKEY_CLASSES_ROOT: extension key -> class -> its description
// -> class\DefaultIcon "file,index". Writes the description into `typeName`
// (256 bytes, may be nullptr). When any step fails, returns the system's
// IDI_WINLOGO icon and writes "Document". `*extracted` (optional) tells
// whether the icon came from ExtractIconA and must be destroyed by the caller.
HICON FileTypeIcon(const char* extension, char* typeName, bool* extracted = nullptr);

// The file-name part of `path`: the text after the last backslash, or the
// whole path when it has none. Returns `buffer`.
char* FileNameOf(const char* path, char (&buffer)[kPropertyTextSize]);

// The folder part of `path`: up to and including the last backslash, or
// empty when it has none. Returns `buffer`.
char* FolderOf(const char* path, char (&buffer)[kPropertyTextSize]);

// Writes the dialog's 23-item template into a block from LockDialogTemplate.
// Returns the locked block (release it with ReleaseTemplateBlock), or
// nullptr after error 60008 when the block cannot be had.
void* BuildFilePropertiesTemplate();

// Shows the modal properties dialog for `path` at its saved position; on
// closing, the position is kept in DialogPositions().Property. A path that
// no longer exists shows the program's icon and empty texts. Returns 1, or
// 0 when the template cannot be built.
int ShowFileProperties(HWND owner, const char* path);
