// Encryption, decoding and description of one file by the command-line
// tool: the program's names, header, keystream and checks, over the small
// file layer of Platform.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "cli/HeaderInfo.h"

enum class FileStatus {
    Converted,
    Skipped,    // found in a folder walk and not of the kind being converted
    Failed,
    WrongKey,
    Cancelled,  // Ctrl-C: the temporary file is gone, the source untouched
};

struct FileOutcome {
    FileStatus status = FileStatus::Failed;
    std::string result;  // full path of the file written, when converted
    std::string reason;  // why not, in the program's words where it has them
    // Converted, but what the user asked for did not all happen: a clearing
    // that failed after the original was deleted.
    std::string warning;
};

// Called with what is being done ("encrypting", "decoding", "clearing"),
// the file, and how far it is.
using ProgressReport = void (*)(void* context, const char* what, const std::string& path, std::uint64_t done,
                                std::uint64_t total);

struct ConversionSettings {
    std::uint32_t jobKey = 0;
    bool force = false;    // a result may replace a file of its name
    bool cleanup = false;  // clear and delete the source once the result is in place
    bool nsa = false;      // the seven-pass clearing
    // Clear a file that has other names (hard links) too: the clearing
    // overwrites the data all its names share.
    bool clearLinked = false;
    // The file was found by a folder walk: one the candidate checks would
    // not list for this conversion is skipped rather than failed.
    bool fromFolder = false;
    const std::atomic<bool>* interrupted = nullptr;
    // Where given, the folders whose new names still have to reach the disk
    // (folder -> a path in it) instead of a flush after every file: many
    // small files cost one folder flush each otherwise. A --cleanup always
    // flushes at once, before the original is touched.
    std::map<std::string, std::string>* unsyncedFolders = nullptr;
    ProgressReport progress = nullptr;
    void* progressContext = nullptr;
};

// fullPath is absolute (FullPath of Platform.h).
FileOutcome EncryptOne(const std::string& fullPath, const ConversionSettings& settings);
FileOutcome DecodeOne(const std::string& fullPath, const ConversionSettings& settings);

// Flushes the folders a run left unsynced; false (with the folder) when one
// could not be.
bool SyncFolders(std::map<std::string, std::string>& unsynced, std::string& failed);

// Reads the start of the file and describes it; writes nothing. False with
// a reason when the file cannot be read.
bool InfoOne(const std::string& fullPath, const std::uint32_t* jobKey, HeaderInfo& info, std::string& reason);

// The size of the runs the body is read and written in.
constexpr std::size_t kToolRunSize = 1 << 20;
// Clearing works on whole blocks of this size, as the program's does.
constexpr std::size_t kClearingBlock = 16384;
