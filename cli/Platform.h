// The few calls of the command-line tool that differ between Linux and
// Windows: files, folders, the terminal and Ctrl-C. PlatformPosix.cpp and
// PlatformWin32.cpp implement them; everything else of the tool is shared.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What tells one state of a file's content from another from outside: a
// writer changes the size or the last-write time.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own units
    unsigned links = 1;         // the names the file has (hard links)

    bool SameContentAs(const FileStamp& other) const { return size == other.size && modified == other.modified; }
};

// An open file that closes itself. Every failing call leaves its reason for
// LastFileError().
class LocalFile {
 public:
    LocalFile() = default;
    ~LocalFile() { Close(); }
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // A symbolic link is followed only where `followLinks` says so: the tool
    // converts the files it is named, and reads a key through a link.
    bool OpenRead(const std::string& path, bool followLinks = false);
    bool OpenReadWrite(const std::string& path);
    // Creates a file that must not exist yet, readable and writable by its
    // owner only until the result takes its place.
    bool CreateNew(const std::string& path);

    // Reads up to count bytes; got is 0 at the end of the file.
    bool Read(void* bytes, std::size_t count, std::size_t& got);
    // Writes all count bytes; a short write fails as a full disk does.
    bool WriteAll(const void* bytes, std::size_t count);
    bool SeekTo(std::uint64_t offset);
    bool Size(std::uint64_t& size);
    bool Stamp(FileStamp& stamp);
    // Gives the file the permissions of `like` (POSIX; nothing on Windows).
    bool CopyPermissionsOf(const std::string& like);
    // Until the data and the file's size are on the disk.
    bool Sync();
    // True when nothing was open or the close succeeded.
    bool Close();
    bool IsOpen() const { return handle_ != kNoHandle; }

 private:
    // One read or write call of the system; Read and WriteAll repeat them.
    bool ReadSome(void* bytes, std::size_t count, std::size_t& got);
    bool WriteSome(const void* bytes, std::size_t count, std::size_t& written);

    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

enum class PathKind { Missing, File, Folder, Other };

struct PathFacts {
    PathKind kind = PathKind::Missing;
    // No write permission at all or none for this user (POSIX), or the
    // read-only attribute (Windows).
    bool readOnly = false;
};

// What is at path, without following a symbolic link (which is Other).
PathFacts Examine(const std::string& path);

// Renames a file; without `replace` an existing target makes it fail and
// stays as it was.
bool RenameFile(const std::string& from, const std::string& to, bool replace);
bool RemoveFile(const std::string& path);
// Makes the renames and deletions in the folder of `path` survive a crash.
bool SyncFolderOf(const std::string& path);

// The absolute form of path (the current folder before a relative one,
// without "." and ".." parts, without resolving links); false when it
// cannot be had.
bool FullPath(const std::string& path, std::string& full);
// The names in a folder, without "." and "..".
bool ListFolder(const std::string& folder, std::vector<std::string>& names);
// The separator put between a folder and a name.
char PathSeparator();
// Whether two full paths name the same entry as the file system compares
// names: exactly on Linux, ignoring letter case on Windows.
bool SameName(const std::string& first, const std::string& second);

// The reason of the last failed call of this file, as the system words it.
std::string LastFileError();
// Makes a full disk the reason of the last failure.
void NoteDiskFull();

// ---- The terminal ------------------------------------------------------

bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();
// Shows prompt on the terminal and reads one line from it without echo.
// False when there is no terminal or the reading was interrupted.
bool ReadSecretLine(const char* prompt, std::string& line);

// From now on Ctrl-C (and on Linux SIGTERM and SIGHUP) sets `interrupted`
// instead of ending the process; a second one ends it at once.
void CatchInterrupts(std::atomic<bool>* interrupted);

// Test only: after `bytes` more bytes, every write fails as on a full disk
// (a negative count: no limit). Lets the tests run a volume full at any
// chosen moment without mounting one.
void SetWriteBudgetForTest(long long bytes);
