// The tool's file, folder and terminal calls on Linux (POSIX).
#include "cli/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

thread_local int lastError = 0;

bool Failed() {
    lastError = errno;
    return false;
}

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Open(std::intptr_t& handle, const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
    if (fd < 0) return Failed();
    handle = fd;
    return true;
}

std::atomic<bool>* interruptFlag = nullptr;

void OnInterrupt(int signal) {
    if (interruptFlag && interruptFlag->exchange(true)) {
        // The second one: the user means it. The crash rules still hold.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
}

}  // namespace

bool LocalFile::OpenRead(const std::string& path, bool followLinks) {
    Close();
    return Open(handle_, path, O_RDONLY | (followLinks ? 0 : O_NOFOLLOW));
}

bool LocalFile::OpenReadWrite(const std::string& path) {
    Close();
    return Open(handle_, path, O_RDWR | O_NOFOLLOW);
}

bool LocalFile::CreateNew(const std::string& path) {
    Close();
    return Open(handle_, path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW);
}

bool LocalFile::ReadSome(void* bytes, std::size_t count, std::size_t& got) {
    ssize_t n;
    do {
        n = ::read(Fd(handle_), bytes, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Failed();
    got = static_cast<std::size_t>(n);
    return true;
}

bool LocalFile::WriteSome(const void* bytes, std::size_t count, std::size_t& written) {
    ssize_t n;
    do {
        n = ::write(Fd(handle_), bytes, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Failed();
    written = static_cast<std::size_t>(n);
    return true;
}

bool LocalFile::SeekTo(std::uint64_t offset) {
    if (::lseek(Fd(handle_), static_cast<off_t>(offset), SEEK_SET) < 0) return Failed();
    return true;
}

bool LocalFile::Size(std::uint64_t& size) {
    struct stat facts;
    if (::fstat(Fd(handle_), &facts) != 0) return Failed();
    size = static_cast<std::uint64_t>(facts.st_size);
    return true;
}

bool LocalFile::Stamp(FileStamp& stamp) {
    struct stat facts;
    if (::fstat(Fd(handle_), &facts) != 0) return Failed();
    stamp.size = static_cast<std::uint64_t>(facts.st_size);
    stamp.modified = static_cast<std::int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec;
    stamp.links = static_cast<unsigned>(facts.st_nlink);
    return true;
}

// The permission bits only: a set-user-ID, set-group-ID or sticky bit is
// never carried to a result. Run as root, the tool gives the result the
// original's owner and group, or every file it converts would become
// root's (and a program root decoded would run as root).
bool LocalFile::CopyPermissionsOf(const std::string& like) {
    struct stat facts;
    if (::stat(like.c_str(), &facts) != 0) return Failed();
    if (::geteuid() == 0 && ::fchown(Fd(handle_), facts.st_uid, facts.st_gid) != 0) return Failed();
    if (::fchmod(Fd(handle_), facts.st_mode & 0777) != 0) return Failed();
    return true;
}

bool LocalFile::Sync() {
    if (::fsync(Fd(handle_)) != 0) return Failed();
    return true;
}

bool LocalFile::Close() {
    if (handle_ == kNoHandle) return true;
    const int fd = Fd(handle_);
    handle_ = kNoHandle;
    if (::close(fd) != 0) return Failed();
    return true;
}

PathFacts Examine(const std::string& path) {
    PathFacts facts;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        lastError = errno;
        return facts;
    }
    if (S_ISREG(st.st_mode)) {
        facts.kind = PathKind::File;
    } else if (S_ISDIR(st.st_mode)) {
        facts.kind = PathKind::Folder;
    } else {
        facts.kind = PathKind::Other;
    }
    // Root may write any file, but a file nobody may write is still
    // write-protected for the tool.
    facts.readOnly = (st.st_mode & 0222) == 0 || (facts.kind == PathKind::File && ::access(path.c_str(), W_OK) != 0);
    return facts;
}

bool RenameFile(const std::string& from, const std::string& to, bool replace) {
    if (replace) {
        if (::rename(from.c_str(), to.c_str()) != 0) return Failed();
        return true;
    }
    // Refused when the target exists, whoever made it meanwhile.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return Failed();
    // A file system without that rename: a hard link fails the same way, and
    // the old name then goes. Both steps keep one of the names on the file.
    if (::link(from.c_str(), to.c_str()) != 0) return Failed();
    if (::unlink(from.c_str()) != 0) return Failed();
    return true;
}

bool RemoveFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return Failed();
    return true;
}

bool SyncFolderOf(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Failed();
    const bool synced = ::fsync(fd) == 0;
    if (!synced) lastError = errno;
    ::close(fd);
    return synced;
}

bool FullPath(const std::string& path, std::string& full) {
    std::string joined = path;
    if (path.empty() || path[0] != '/') {
        char current[4096];
        if (!::getcwd(current, sizeof current)) return Failed();
        joined = std::string(current) + "/" + path;
    }
    // "a/./b" and "a/x/../b" name a/b: the stored path is the plain one.
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= joined.size()) {
        const std::size_t slash = std::min(joined.find('/', at), joined.size());
        const std::string part = joined.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    full.clear();
    for (const std::string& part : parts) full += "/" + part;
    if (full.empty()) full = "/";
    return true;
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return Failed();
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return true;
}

char PathSeparator() { return '/'; }

bool SameName(const std::string& first, const std::string& second) { return first == second; }

std::string LastFileError() { return std::strerror(lastError); }

void NoteDiskFull() { lastError = ENOSPC; }

bool StandardInputIsTerminal() { return ::isatty(0) == 1; }

bool StandardErrorIsTerminal() { return ::isatty(2) == 1; }

bool ReadSecretLine(const char* prompt, std::string& line) {
    line.clear();
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return false;
    termios saved;
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    ssize_t ignored = ::write(tty, prompt, std::strlen(prompt));
    (void)ignored;
    bool ended = false;
    bool ok = true;
    while (!ended) {
        char c;
        const ssize_t n = ::read(tty, &c, 1);
        if (n < 0 && errno == EINTR && !(interruptFlag && interruptFlag->load())) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        if (c == '\n') {
            ended = true;
        } else {
            line += c;
        }
    }
    if (isTerminal) ::tcsetattr(tty, TCSAFLUSH, &saved);
    // An interrupted prompt ends its line, so that the shell's prompt does
    // not follow it on the same one.
    if (!ok) ignored = ::write(tty, "\n", 1);
    ::close(tty);
    if (!ok) {
        // Nothing of a half-typed key stays in memory.
        std::fill(line.begin(), line.end(), '\0');
        line.clear();
    }
    return ok;
}

void CatchInterrupts(std::atomic<bool>* interrupted) {
    interruptFlag = interrupted;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read from the terminal returns so that the prompt
    // can end.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}
