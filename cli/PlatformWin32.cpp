// The tool's file, folder and console calls on Windows: the same Win32 calls
// the program's converters make.
#include "cli/Platform.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

thread_local DWORD lastError = 0;

bool Failed() {
    lastError = GetLastError();
    return false;
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::atomic<bool>* interruptFlag = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (!interruptFlag || interruptFlag->exchange(true)) return FALSE;  // the second one ends the process
    return TRUE;
}

bool Open(std::intptr_t& handle, const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE file =
        CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed();
    handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

}  // namespace

bool LocalFile::OpenRead(const std::string& path, bool) {
    Close();
    return Open(handle_, path, GENERIC_READ, OPEN_EXISTING);
}

bool LocalFile::OpenReadWrite(const std::string& path) {
    Close();
    return Open(handle_, path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
}

bool LocalFile::CreateNew(const std::string& path) {
    Close();
    return Open(handle_, path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
}

// Calls of at most 1 GB: the count of a call is a DWORD.
constexpr std::size_t kLargestCall = 1u << 30;

bool LocalFile::ReadSome(void* bytes, std::size_t count, std::size_t& got) {
    DWORD n = 0;
    if (!ReadFile(Handle(handle_), bytes, static_cast<DWORD>(std::min(count, kLargestCall)), &n, nullptr)) {
        return Failed();
    }
    got = n;
    return true;
}

bool LocalFile::WriteSome(const void* bytes, std::size_t count, std::size_t& written) {
    DWORD n = 0;
    if (!WriteFile(Handle(handle_), bytes, static_cast<DWORD>(std::min(count, kLargestCall)), &n, nullptr)) {
        return Failed();
    }
    written = n;
    return true;
}

// Sizes and offsets in two 32-bit halves, as Windows NT 4.0 has them
// (GetFileSizeEx and SetFilePointerEx came with Windows 2000). A low half of
// all ones is a failure only when the system says so.
bool LocalFile::SeekTo(std::uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(Handle(handle_), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return Failed();
    return true;
}

bool LocalFile::Size(std::uint64_t& size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(Handle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return Failed();
    size = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

bool LocalFile::Stamp(FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION facts;
    if (!GetFileInformationByHandle(Handle(handle_), &facts)) return Failed();
    stamp.size = (static_cast<std::uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(facts.ftLastWriteTime.dwHighDateTime) << 32) |
                                               facts.ftLastWriteTime.dwLowDateTime);
    stamp.links = facts.nNumberOfLinks;
    return true;
}

bool LocalFile::CopyPermissionsOf(const std::string&) { return true; }

bool LocalFile::Sync() {
    if (!FlushFileBuffers(Handle(handle_))) return Failed();
    return true;
}

bool LocalFile::Close() {
    if (handle_ == kNoHandle) return true;
    const HANDLE file = Handle(handle_);
    handle_ = kNoHandle;
    if (!CloseHandle(file)) return Failed();
    return true;
}

PathFacts Examine(const std::string& path) {
    PathFacts facts;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        lastError = GetLastError();
        return facts;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        facts.kind = PathKind::Other;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        facts.kind = PathKind::Folder;
    } else {
        facts.kind = PathKind::File;
    }
    facts.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return facts;
}

bool RenameFile(const std::string& from, const std::string& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExA(from.c_str(), to.c_str(), flags)) return Failed();
    return true;
}

bool RemoveFile(const std::string& path) {
    if (!DeleteFileA(path.c_str())) return Failed();
    return true;
}

// Renames and deletions are written through by MoveFileEx's flag and the
// file system's own journal; a folder cannot be flushed on its own.
bool SyncFolderOf(const std::string&) { return true; }

bool FullPath(const std::string& path, std::string& full) {
    char buffer[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) return Failed();
    full.assign(buffer, length);
    return true;
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
    WIN32_FIND_DATAA found;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return Failed();
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

char PathSeparator() { return '\\'; }

bool SameName(const std::string& first, const std::string& second) {
    return lstrcmpiA(first.c_str(), second.c_str()) == 0;
}

std::string LastFileError() {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        lastError, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    if (reason.empty()) reason = "error " + std::to_string(lastError);
    return reason;
}

void NoteDiskFull() { lastError = ERROR_HANDLE_DISK_FULL; }

namespace {

bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

bool StandardInputIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

bool StandardErrorIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

bool ReadSecretLine(const char* prompt, std::string& line) {
    line.clear();
    const HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return false;
    const HANDLE output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD saved = 0;
    const bool isConsole = GetConsoleMode(input, &saved) != 0;
    if (isConsole) SetConsoleMode(input, (saved | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT);
    DWORD written = 0;
    if (output != INVALID_HANDLE_VALUE) WriteFile(output, prompt, static_cast<DWORD>(std::strlen(prompt)), &written, nullptr);
    bool ok = true;
    for (;;) {
        char c;
        DWORD n = 0;
        if (!ReadFile(input, &c, 1, &n, nullptr) || n == 0 || (interruptFlag && interruptFlag->load())) {
            ok = false;
            break;
        }
        if (c == '\n') break;
        if (c != '\r') line += c;
    }
    if (isConsole) SetConsoleMode(input, saved);
    if (output != INVALID_HANDLE_VALUE) {
        WriteFile(output, "\r\n", 2, &written, nullptr);
        CloseHandle(output);
    }
    CloseHandle(input);
    if (!ok) {
        std::fill(line.begin(), line.end(), '\0');
        line.clear();
    }
    return ok;
}

void CatchInterrupts(std::atomic<bool>* interrupted) {
    interruptFlag = interrupted;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
