// Whether a path exists and whether it may be written, as the directory
// search reports them.
#pragma once

// True when FindFirstFileA finds `path` (a file or a folder).
bool FileExists(const char* path);

// True when FindFirstFileA finds `path` and the entry found is a folder, or
// has the read-only attribute.
bool FileIsFolder(const char* path);
bool FileIsReadOnly(const char* path);

// False when `path` is not found; otherwise true unless the entry found has
// the read-only attribute.
bool FileIsWritable(const char* path);
