// One file's encryption, decoding or description by the command-line tool.
// The steps and refusals follow the program's converters and candidate
// checks; where they write, the result goes to a temporary file in the same
// folder, reaches the disk, and only then takes its name.
#include "cli/Conversions.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cli/Platform.h"
#include "core/FileHeader.h"
#include "core/FileNames.h"
#include "core/Keystream.h"

namespace {

// The program's own words for its refusals.
constexpr char kFileNotFound[] = "File not found.";
constexpr char kFolder[] = "Orvane cannot convert entire directories";
constexpr char kNotAFile[] = "This is not a regular file (a link or a device); it is left alone";
constexpr char kWriteProtected[] = "This file is write-protected on the disk. Please unlock the file before converting it.";
constexpr char kTemporaryFile[] = "Orvane cannot convert temporary files that use the 'tmp' file name extension";
constexpr char kNoExtension[] = "Orvane cannot convert files that don't have an extension";
constexpr char kNameTooLong[] = "The name of the converted file would be longer than 255 characters. Please give this file a shorter name.";
constexpr char kFolderTooLong[] = "The path of this file's folder is too long: even a one-letter name would give a converted file's name longer than 255 characters. Please move the file to a folder with a shorter path.";
constexpr char kOtherNames[] = "This file has other names (hard links), whose content --cleanup would clear too; it was not converted. Convert it without --cleanup, or add --clear-linked to clear every name's content.";
constexpr char kTooLarge[] = "This file is too large to convert";
constexpr char kAlreadyEncrypted[] = "This file has already been encrypted";
constexpr char kNotEncrypted[] = "This file has not been encrypted";
constexpr char kWrongKey[] = "This file was not encrypted with the current key";
constexpr char kTruncated[] = "This file is shorter than its header. The file is damaged and cannot be decoded.";
constexpr char kBadExtension[] = "The header of this file holds an invalid file name extension. The file cannot be decoded.";
constexpr char kInterrupted[] = "Interrupted: the temporary file was removed and this file left as it was";

// The plain file's size limit: its encrypted file stays below 4 GiB, the
// largest a decoder of the program accepts.
constexpr std::uint64_t kLargestPlainFile = 0xFFFFFFFFull - kHeaderSize;
constexpr std::uint64_t kLargestEncryptedFile = 0xFFFFFFFFull;

constexpr int kErasurePasses = 6;
constexpr unsigned char kErasureOnes = 0xFF;
constexpr unsigned char kErasureZeros = 0x00;
constexpr unsigned char kClearingByte = 0xF6;

// One file at a time: the keystream state (about 72 KB) and the run buffer.
CipherState cipher;
std::vector<unsigned char>& RunBuffer() {
    static std::vector<unsigned char> buffer(kToolRunSize);
    return buffer;
}

FileOutcome Refused(const std::string& reason, FileStatus status = FileStatus::Failed) {
    FileOutcome outcome;
    outcome.status = status;
    outcome.reason = reason;
    return outcome;
}

FileOutcome SystemFailure(const char* what, const std::string& path) {
    return Refused(std::string(what) + ": " + path + " (" + LastFileError() + ")");
}

bool Interrupted(const ConversionSettings& settings) {
    return settings.interrupted && settings.interrupted->load();
}

void Report(const ConversionSettings& settings, const char* what, const std::string& path, std::uint64_t done,
            std::uint64_t total) {
    if (settings.progress) settings.progress(settings.progressContext, what, path, done, total);
}

bool Exists(const std::string& path) { return Examine(path).kind != PathKind::Missing; }

// Why a converted file's name is too long: the file's name, or its folder
// when no name would fit there.
const char* TooLong(const std::string& path) {
    const std::size_t folder = path.find_last_of("/\\") + 1;
    const char* extension = ExtensionOf(path.c_str());
    const std::string shortest = path.substr(0, folder) + "a.(=" + (*extension ? extension + 1 : "") + "=)";
    return shortest.size() >= kPathBufferSize ? kFolderTooLong : kNameTooLong;
}

// The checks of the program's lists and of its converters' start, in their
// order, up to the names: what fails here writes nothing. `other` is the
// refusal of a file of the other list's kind, found later by the header.
FileOutcome CandidateRefusal(const std::string& path, const ConversionSettings& settings, PathBuffer& temporary) {
    const auto skipOrFail = [&](const char* reason) {
        return Refused(reason, settings.fromFolder ? FileStatus::Skipped : FileStatus::Failed);
    };
    const PathFacts facts = Examine(path);
    switch (facts.kind) {
        case PathKind::Missing:
            return Refused(kFileNotFound);
        case PathKind::Folder:
            return Refused(kFolder);
        case PathKind::Other:
            return skipOrFail(kNotAFile);
        case PathKind::File:
            break;
    }
    if (facts.readOnly) return Refused(kWriteProtected);
    const char* extension = ExtensionOf(path.c_str());
    std::string lower(extension);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    if (lower == ".tmp") return skipOrFail(kTemporaryFile);
    if (path.size() >= kPathBufferSize || !EncryptionTempName(path.c_str(), temporary)) return Refused(TooLong(path));
    if (Exists(temporary)) {
        return Refused(std::string("Cannot be converted because a 'tmp' file already exists. Temp: ") + temporary);
    }
    if (*extension == '\0') return skipOrFail(kNoExtension);
    return Refused("", FileStatus::Converted);
}

// The file being converted and its temporary file; the temporary file is
// removed unless it was put in place.
struct Conversion {
    std::string path;
    std::string temporaryName;
    LocalFile source;
    LocalFile temporary;
    std::uint64_t size = 0;
    FileStamp readStamp;  // the source as it was when its reading began
    unsigned char header[kHeaderSize] = {};
    std::size_t headerBytes = 0;
    bool temporaryMade = false;

    ~Conversion() { Discard(); }

    void Discard() {
        source.Close();
        temporary.Close();
        if (temporaryMade) RemoveFile(temporaryName);
        temporaryMade = false;
    }

    FileOutcome Fail(FileOutcome outcome) {
        Discard();
        return outcome;
    }

    // Opens the source, takes its size (refused above `largest`) and reads
    // its first bytes into header.
    bool OpenSource(std::uint64_t largest, FileOutcome& failure) {
        if (!source.OpenRead(path)) {
            failure = SystemFailure("Error detected opening this disk file", path);
            return false;
        }
        if (!source.Stamp(readStamp)) {
            failure = SystemFailure("Error detected reading disk file information", path);
            return false;
        }
        size = readStamp.size;
        if (size > largest) {
            failure = Refused(kTooLarge);
            return false;
        }
        if (!source.Read(header, kHeaderSize, headerBytes)) {
            failure = SystemFailure("Error detected reading data from this disk file", path);
            return false;
        }
        return true;
    }

    bool CreateTemporary(FileOutcome& failure) {
        if (!temporary.CreateNew(temporaryName)) {
            failure = SystemFailure("Error detected creating this disk file", temporaryName);
            return false;
        }
        temporaryMade = true;
        return true;
    }

    // Converts `length` bytes of the source from its position into the
    // temporary file. `lead` bytes already at the start of the buffer (the
    // header of an encryption) go out with the first run, so that every
    // later write covers whole pages of the result.
    FileOutcome ConvertBody(std::uint64_t length, CipherFormat format, bool decode, std::size_t lead,
                            const ConversionSettings& settings) {
        std::vector<unsigned char>& buffer = RunBuffer();
        CipherStart(cipher, settings.jobKey, format);
        const char* what = decode ? "decoding" : "encrypting";
        Report(settings, what, path, 0, length);
        std::uint64_t processed = 0;
        do {
            if (Interrupted(settings)) return Fail(Refused(kInterrupted, FileStatus::Cancelled));
            const std::size_t wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - lead, length - processed));
            std::size_t got = 0;
            if (!source.Read(buffer.data() + lead, wanted, got)) {
                return Fail(SystemFailure("Error detected reading data from this disk file", path));
            }
            // A file that changed its length meanwhile would give a result
            // that is not its encryption.
            if (got != wanted) return Fail(Refused("The file became shorter while it was read: " + path));
            if (decode) {
                CipherDecode(cipher, buffer.data() + lead, got);
            } else {
                CipherEncrypt(cipher, buffer.data() + lead, got);
            }
            if (!temporary.WriteAll(buffer.data(), lead + got)) {
                return Fail(SystemFailure("Error detected writing data to this disk file", temporaryName));
            }
            processed += got;
            lead = 0;
            Report(settings, what, path, processed, length);
        } while (processed < length);
        return Refused("", FileStatus::Converted);
    }

    // Flushes and closes the temporary file and gives it its final name.
    FileOutcome PutInPlace(const std::string& finalName, const ConversionSettings& settings) {
        if (!temporary.CopyPermissionsOf(path) || !temporary.Sync()) {
            return Fail(SystemFailure("Error detected flushing buffers for this disk file", temporaryName));
        }
        if (!temporary.Close()) return Fail(SystemFailure("Error detected closing this disk file", temporaryName));
        source.Close();
        // A stored extension of ".tmp" names the temporary file itself.
        if (!SameName(finalName, temporaryName)) {
            if (!RenameFile(temporaryName, finalName, settings.force)) {
                if (!settings.force && Exists(finalName)) {
                    return Fail(Refused(finalName + " already exists; --force replaces it"));
                }
                return Fail(SystemFailure("Error detected renaming the converted file to", finalName));
            }
        }
        temporaryMade = false;
        if (settings.unsyncedFolders && !settings.cleanup) {
            (*settings.unsyncedFolders)[finalName.substr(0, finalName.find_last_of("/\\") + 1)] = finalName;
        } else if (!SyncFolderOf(finalName)) {
            return SystemFailure("Error detected flushing the folder of", finalName);
        }
        FileOutcome placed;
        placed.status = FileStatus::Converted;
        placed.result = finalName;
        return placed;
    }
};

// One pass over the file: every 16 KB block overwritten in full with
// `pattern` (so the file grows to whole blocks), then flushed.
bool OverwritePass(LocalFile& file, std::uint64_t size, unsigned char pattern, const std::string& name,
                   const ConversionSettings& settings, int pass, int passes) {
    std::vector<unsigned char>& buffer = RunBuffer();
    std::fill(buffer.begin(), buffer.end(), pattern);
    const std::uint64_t whole = (size + kClearingBlock - 1) / kClearingBlock * kClearingBlock;
    if (!file.SeekTo(0)) return false;
    for (std::uint64_t done = 0; done < whole;) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), whole - done));
        if (!file.WriteAll(buffer.data(), count)) return false;
        done += count;
        Report(settings, "clearing", name, pass * whole + done, passes * whole);
    }
    return file.Sync();
}

// The program's "Cleanup" of a plain file whose encrypted file is in place:
// the plain file first gives up its name (renamed to the temporary name,
// free again now), then is overwritten and deleted under that one. Whatever
// fails and wherever the tool is stopped, the plain name holds the original
// or nothing; a crash leaves the remains as a ".tmp" file, which is never
// converted. Ctrl-C does not stop a clearing that has begun.
FileOutcome ClearAndDelete(const std::string& path, const std::string& temporaryName, const FileStamp& read,
                           FileOutcome placed, const ConversionSettings& settings) {
    if (!RenameFile(path, temporaryName, false)) {
        return SystemFailure("The encrypted file is in place, but the original could not be renamed for clearing", path);
    }
    if (!SyncFolderOf(temporaryName)) {
        return SystemFailure("The encrypted file is in place, but the folder could not be flushed", temporaryName);
    }
    LocalFile remains;
    FileStamp now;
    if (!remains.OpenReadWrite(temporaryName) || !remains.Stamp(now)) {
        const FileOutcome failed = SystemFailure("Error detected opening this disk file", temporaryName);
        // Nothing is overwritten yet: the original gets its name back.
        remains.Close();
        RenameFile(temporaryName, path, false);
        return failed;
    }
    // A file that another program wrote to since it was read holds what
    // the encrypted file does not: it keeps its name and its content.
    if (!now.SameContentAs(read)) {
        remains.Close();
        if (!RenameFile(temporaryName, path, false)) {
            return SystemFailure("This file changed while it was encrypted, and it could not get its name back from",
                                 temporaryName);
        }
        SyncFolderOf(path);
        return Refused("This file changed while it was encrypted (another program wrote to it): " + placed.result +
                       " holds it as it was read, and the file was kept as it is now, not cleared");
    }
    bool cleared = true;
    const std::uint64_t size = now.size;
    const int passes = settings.nsa ? kErasurePasses + 1 : 1;
    for (int pass = 0; cleared && size > 0 && pass < passes; ++pass) {
        const unsigned char pattern =
            pass == passes - 1 ? kClearingByte : (pass % 2 == 0 ? kErasureOnes : kErasureZeros);
        cleared = OverwritePass(remains, size, pattern, path, settings, pass, passes);
    }
    const std::string clearingError = cleared ? "" : LastFileError();
    remains.Close();
    // Remains whose clearing failed are deleted too: the encrypted file is
    // complete, and a partly cleared file is of use to nobody.
    if (!RemoveFile(temporaryName)) {
        return SystemFailure("The encrypted file is in place, but the remains of the original could not be deleted",
                             temporaryName);
    }
    SyncFolderOf(temporaryName);
    if (!cleared) {
        placed.warning = "The encryption is complete, but the original was deleted before its clearing finished (" +
                         clearingError + "): parts of it may remain in free disk space";
    }
    return placed;
}

}  // namespace

FileOutcome EncryptOne(const std::string& fullPath, const ConversionSettings& settings) {
    Conversion c;
    c.path = fullPath;
    PathBuffer temporary;
    PathBuffer encrypted;
    const FileOutcome refusal = CandidateRefusal(fullPath, settings, temporary);
    if (refusal.status != FileStatus::Converted) return refusal;
    if (!EncryptedName(fullPath.c_str(), encrypted)) return Refused(TooLong(fullPath));
    c.temporaryName = temporary;
    if (!settings.force && Exists(encrypted)) return Refused(std::string(encrypted) + " already exists; --force replaces it");

    FileOutcome failure;
    if (!c.OpenSource(kLargestPlainFile, failure)) return failure;
    if (settings.cleanup && !settings.clearLinked && c.readStamp.links > 1) return Refused(kOtherNames);
    if (HeaderFormatOf(c.header, c.headerBytes) != HeaderFormat::None) {
        return Refused(kAlreadyEncrypted, settings.fromFolder ? FileStatus::Skipped : FileStatus::Failed);
    }
    if (!c.source.SeekTo(0)) return SystemFailure("Error detected rewinding this disk file", fullPath);
    if (!c.CreateTemporary(failure)) return failure;

    FileHeader fileHeader;
    BuildFileHeader(fileHeader, settings.jobKey, fullPath.c_str());
    std::memcpy(RunBuffer().data(), fileHeader.bytes, kHeaderSize);
    const FileOutcome body = c.ConvertBody(c.size, CipherFormat::Current, false, kHeaderSize, settings);
    if (body.status != FileStatus::Converted) return body;
    const FileOutcome placed = c.PutInPlace(encrypted, settings);
    if (placed.status != FileStatus::Converted || !settings.cleanup) return placed;
    return ClearAndDelete(fullPath, c.temporaryName, c.readStamp, placed, settings);
}

FileOutcome DecodeOne(const std::string& fullPath, const ConversionSettings& settings) {
    Conversion c;
    c.path = fullPath;
    PathBuffer temporary;
    const FileOutcome refusal = CandidateRefusal(fullPath, settings, temporary);
    if (refusal.status != FileStatus::Converted) return refusal;
    c.temporaryName = temporary;

    FileOutcome failure;
    if (!c.OpenSource(kLargestEncryptedFile, failure)) return failure;
    const HeaderFormat format = HeaderFormatOf(c.header, c.headerBytes);
    if (format == HeaderFormat::None) {
        return Refused(kNotEncrypted, settings.fromFolder ? FileStatus::Skipped : FileStatus::Failed);
    }
    // The length is checked before the key: a cut header has no body at all.
    if (c.headerBytes < kHeaderSize) return Refused(kTruncated);
    if (!HeaderKeyMatches(c.header, c.headerBytes, format, settings.jobKey)) {
        return Refused(kWrongKey, FileStatus::WrongKey);
    }
    const char* storedPath = HeaderStoredPath(c.header, c.headerBytes);
    if (!storedPath || !IsPlainExtension(ExtensionOf(storedPath))) return Refused(kBadExtension);
    PathBuffer decoded;
    if (!DecodedName(fullPath.c_str(), storedPath, decoded)) return Refused(TooLong(fullPath));
    // A decoded name of the encrypted file itself, or of the temporary file,
    // is a result that replaces what is there: only with --force.
    const bool replacesSource = SameName(decoded, fullPath);
    if (!settings.force && !SameName(decoded, c.temporaryName) && Exists(decoded)) {
        return Refused(std::string(decoded) + " already exists; --force replaces it");
    }

    if (!c.CreateTemporary(failure)) return failure;
    const CipherFormat cipherFormat = format == HeaderFormat::Current ? CipherFormat::Current : CipherFormat::Earlier;
    const FileOutcome body = c.ConvertBody(c.size - kHeaderSize, cipherFormat, true, 0, settings);
    if (body.status != FileStatus::Converted) return body;
    const FileOutcome placed = c.PutInPlace(decoded, settings);
    if (placed.status != FileStatus::Converted || !settings.cleanup || replacesSource) return placed;
    if (!RemoveFile(fullPath)) {
        return SystemFailure("The decoded file is in place, but this file could not be deleted", fullPath);
    }
    SyncFolderOf(fullPath);
    return placed;
}

bool SyncFolders(std::map<std::string, std::string>& unsynced, std::string& failed) {
    for (const auto& folder : unsynced) {
        if (!SyncFolderOf(folder.second)) {
            failed = folder.first + " (" + LastFileError() + ")";
            return false;
        }
    }
    unsynced.clear();
    return true;
}

bool InfoOne(const std::string& fullPath, const std::uint32_t* jobKey, HeaderInfo& info, std::string& reason) {
    const PathFacts facts = Examine(fullPath);
    if (facts.kind != PathKind::File) {
        reason = facts.kind == PathKind::Missing ? kFileNotFound : facts.kind == PathKind::Folder ? kFolder : kNotAFile;
        return false;
    }
    LocalFile file;
    unsigned char bytes[kHeaderSize];
    std::size_t count = 0;
    std::uint64_t size = 0;
    if (!file.OpenRead(fullPath) || !file.Size(size) || !file.Read(bytes, sizeof bytes, count)) {
        reason = "Error detected reading header from this disk file (" + LastFileError() + ")";
        return false;
    }
    info = DescribeHeader(bytes, count, size, jobKey);
    return true;
}
