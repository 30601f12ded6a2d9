// The command line of orvane-cli.
#include "cli/Tool.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cli/Conversions.h"
#include "cli/KeyEntry.h"
#include "cli/Platform.h"
#include "cli/Texts.h"
#include "core/KeyHash.h"

namespace {

constexpr char kName[] = "orvane-cli";

constexpr char kUsage[] =
    "Usage: orvane-cli encrypt [OPTIONS] FILE...\n"
    "       orvane-cli decode  [OPTIONS] FILE...\n"
    "       orvane-cli info    [OPTIONS] FILE...\n"
    "\n"
    "Encrypts files into Orvane's format (Report.doc -> Report.(=doc=)), decodes\n"
    "them back, or describes them. Every result is written to a temporary file\n"
    "in the same folder, flushed to the disk and then renamed into place.\n"
    "\n"
    "Options:\n"
    "  -r, --recursive   convert the files in the folders given, and below; files\n"
    "                    of the other kind (already encrypted, not encrypted) are\n"
    "                    skipped\n"
    "  -f, --force       let a result replace an existing file of its name\n"
    "      --cleanup     once the result is in place, clear the original (one pass\n"
    "                    of 0xF6 bytes) and delete it; decoding deletes the\n"
    "                    encrypted file\n"
    "      --nsa         --cleanup with seven passes (six of ones and zeros, then\n"
    "                    0xF6), each flushed to the disk\n"
    "      --clear-linked  --cleanup also of a file with other names (hard links),\n"
    "                    whose content the clearing overwrites too; without it\n"
    "                    such a file is not converted\n"
    "      --key-file F  read the key from the file F (up to its first line end);\n"
    "                    also --key-file=F\n"
    "      --key-stdin   read the key from standard input (up to the first line end)\n"
    "      --ask-key     info: ask for a key on the terminal and check it\n"
    "      --json        print one JSON object per file on standard output\n"
    "  -h, --help        show this text\n"
    "\n"
    "Without --key-file or --key-stdin the key is asked on the terminal without\n"
    "echo, twice for encryption. A key is never given as an argument.\n"
    "\n"
    "Exit status: 0 every file converted, 1 a file failed or its original's clearing\n"
    "did not finish, 2 usage or key refused, 3 only files of another key failed,\n"
    "130 interrupted by Ctrl-C.\n";

enum class Command { Encrypt, Decode, Info };
enum class KeySource { Terminal, File, Stdin, None };

struct Options {
    Command command = Command::Info;
    bool recursive = false;
    bool force = false;
    bool cleanup = false;
    bool nsa = false;
    bool clearLinked = false;
    bool json = false;
    KeySource keySource = KeySource::Terminal;
    std::string keyFile;
    std::vector<std::string> files;
};

std::atomic<bool> interrupted{false};

struct Run {
    ToolStreams io;
    Options options;
    bool progress = false;
    bool progressShown = false;
    int lastPercent = -1;
    int converted = 0;
    int skipped = 0;
    int failed = 0;
    int wrongKey = 0;
    int cancelled = 0;
    int warned = 0;  // converted, but the original's clearing did not finish
    std::map<std::string, std::string> unsyncedFolders;
};

int UsageError(const Run& run, const std::string& text) {
    std::fprintf(run.io.err, "%s: %s\nTry '%s --help'.\n", kName, text.c_str(), kName);
    return kExitUsage;
}

// Parses the command line; a status other than -1 ends the run.
int ParseArguments(Run& run, int argc, char** argv) {
    Options& options = run.options;
    bool keyGiven = false;
    bool askKey = false;
    bool filesOnly = false;
    std::string command;
    // Short options may be given together ("-rf"); "--key-file=F" is
    // "--key-file F".
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool shortOptions = !filesOnly && argument.size() > 2 && argument[0] == '-' && argument[1] != '-' &&
                                  argument.find_first_not_of("rfh", 1) == std::string::npos;
        if (argument == "--") filesOnly = true;
        if (shortOptions) {
            for (std::size_t at = 1; at < argument.size(); ++at) arguments.push_back(std::string("-") + argument[at]);
        } else if (!filesOnly && argument.compare(0, 11, "--key-file=") == 0) {
            arguments.push_back("--key-file");
            arguments.push_back(argument.substr(11));
        } else {
            arguments.push_back(argument);
        }
    }
    filesOnly = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (filesOnly || argument.empty() || argument[0] != '-' || argument == "-") {
            if (command.empty()) {
                command = argument;
            } else {
                options.files.push_back(argument);
            }
            continue;
        }
        if (argument == "--") {
            filesOnly = true;
        } else if (argument == "-h" || argument == "--help") {
            std::fputs(kUsage, run.io.out);
            return kExitConverted;
        } else if (argument == "-r" || argument == "--recursive") {
            options.recursive = true;
        } else if (argument == "-f" || argument == "--force") {
            options.force = true;
        } else if (argument == "--cleanup") {
            options.cleanup = true;
        } else if (argument == "--nsa") {
            options.cleanup = options.nsa = true;
        } else if (argument == "--clear-linked") {
            options.clearLinked = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--ask-key") {
            askKey = true;
        } else if (argument == "--key-stdin" || argument == "--key-file") {
            if (keyGiven) return UsageError(run, "give one of --key-file and --key-stdin");
            keyGiven = true;
            if (argument == "--key-stdin") {
                options.keySource = KeySource::Stdin;
            } else {
                if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                    return UsageError(run, "--key-file needs the name of a file");
                }
                options.keySource = KeySource::File;
                options.keyFile = arguments[++i];
            }
        } else if (argument.compare(0, 5, "--key") == 0 || argument == "-k" || argument == "-p" ||
                   argument.compare(0, 10, "--password") == 0) {
            return UsageError(run, "a key is never given as an argument (every user could read it in the list of "
                                   "processes): use the prompt, --key-file or --key-stdin");
        } else {
            return UsageError(run, "unknown option " + argument);
        }
    }
    if (command == "encrypt") {
        options.command = Command::Encrypt;
    } else if (command == "decode") {
        options.command = Command::Decode;
    } else if (command == "info") {
        options.command = Command::Info;
        if (!keyGiven && !askKey) options.keySource = KeySource::None;
    } else {
        return UsageError(run, command.empty() ? "no command given" : "unknown command " + command);
    }
    if (options.files.empty()) return UsageError(run, "no files given");
    return -1;
}

// ---- The key -------------------------------------------------------------

bool ReadWholeFile(const std::string& path, std::string& text) {
    LocalFile file;
    // Only read: a link (/dev/stdin, a process substitution, a dotfile
    // manager's link) is followed.
    if (!file.OpenRead(path, true)) return false;
    char chunk[4096];
    std::size_t got = 0;
    // A key is at most 255 characters; a few kilobytes say that it is not one.
    do {
        if (!file.Read(chunk, sizeof chunk, got)) return false;
        text.append(chunk, got);
    } while (got == sizeof chunk && text.size() < 65536);
    // Nothing of the key stays behind in the chunk.
    volatile char* bytes = chunk;
    for (std::size_t i = 0; i < sizeof chunk; ++i) bytes[i] = 0;
    return true;
}

// Asks on the terminal until the dialogs' rules are met or they give up.
int AskKey(Run& run, bool encrypting, std::string& key) {
    for (int attempt = 1; attempt <= kKeyTries; ++attempt) {
        std::string confirmation;
        if (!ReadSecretLine("Key: ", key)) {
            if (interrupted.load()) return kExitInterrupted;
            return UsageError(run, "no key: there is no terminal to ask on; use --key-file or --key-stdin");
        }
        const std::string first = KeyRefusal(key, nullptr, encrypting);
        if (first.empty() && encrypting && !ReadSecretLine("Confirm: ", confirmation)) {
            WipeKey(key);
            return interrupted.load() ? kExitInterrupted : kExitUsage;
        }
        const std::string refusal = first.empty() ? KeyRefusal(key, encrypting ? &confirmation : nullptr, encrypting)
                                                  : first;
        WipeKey(confirmation);
        if (refusal.empty()) return -1;
        WipeKey(key);
        const bool mismatch = first.empty();
        std::fprintf(run.io.err, "%s: %s %s\n", kName, refusal.c_str(), KeyRetryText(attempt == kKeyTries, mismatch));
    }
    return kExitUsage;
}

// Obtains the key as the options say; -1 when there is one (or none is
// needed), else the exit status.
int ObtainKey(Run& run, std::string& key) {
    const bool encrypting = run.options.command == Command::Encrypt;
    std::string text;
    switch (run.options.keySource) {
        case KeySource::None:
            return -1;
        case KeySource::Terminal:
            return AskKey(run, encrypting, key);
        case KeySource::File:
            if (!ReadWholeFile(run.options.keyFile, text)) {
                return UsageError(run, "cannot read the key file " + run.options.keyFile + ": " + LastFileError());
            }
            break;
        case KeySource::Stdin: {
            // Typed on a terminal, the key is not shown.
            if (run.io.in == stdin && StandardInputIsTerminal()) {
                if (!ReadSecretLine("", text)) return interrupted.load() ? kExitInterrupted : kExitUsage;
                break;
            }
            int c;
            while ((c = std::fgetc(run.io.in)) != EOF && c != '\n' && text.size() <= 65536) text += static_cast<char>(c);
            break;
        }
    }
    key = KeyFromText(text);
    WipeKey(text);
    const std::string refusal = KeyRefusal(key, nullptr, encrypting);
    if (refusal.empty()) return -1;
    WipeKey(key);
    std::fprintf(run.io.err, "%s: %s %s\n", kName, refusal.c_str(), KeyRetryText(true, false));
    return kExitUsage;
}

// ---- Files and folders ---------------------------------------------------

struct Target {
    std::string given;  // as the user wrote it, or the folder walk made it
    std::string full;
    bool fromFolder = false;
};

std::string Joined(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == PathSeparator())) return folder + name;
    return folder + PathSeparator() + name;
}

// Every file below a folder, in name order, folders after the files
// beside them; links are listed (and skipped later), never followed.
void Walk(Run& run, const Target& folder, std::vector<Target>& targets) {
    std::vector<std::string> names;
    if (!ListFolder(folder.full, names)) {
        std::fprintf(run.io.err, "%s: %s: cannot list this folder (%s)\n", kName, ShownText(folder.given).c_str(),
                     LastFileError().c_str());
        ++run.failed;
        return;
    }
    std::sort(names.begin(), names.end());
    std::vector<Target> folders;
    for (const std::string& name : names) {
        Target entry{Joined(folder.given, name), Joined(folder.full, name), true};
        if (Examine(entry.full).kind == PathKind::Folder) {
            folders.push_back(entry);
        } else {
            targets.push_back(entry);
        }
    }
    for (const Target& sub : folders) Walk(run, sub, targets);
}

// ---- What is printed -------------------------------------------------------

const char* CommandName(Command command) {
    switch (command) {
        case Command::Encrypt:
            return "encrypt";
        case Command::Decode:
            return "decode";
        case Command::Info:
            break;
    }
    return "info";
}

const char* StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::Converted:
            return "converted";
        case FileStatus::Skipped:
            return "skipped";
        case FileStatus::WrongKey:
            return "wrong-key";
        case FileStatus::Cancelled:
            return "cancelled";
        case FileStatus::Failed:
            break;
    }
    return "failed";
}

// The result's name in the folder the user named the source by.
std::string Beside(const std::string& given, const std::string& result) {
    const std::size_t resultName = result.find_last_of("/\\");
    const std::size_t givenName = given.find_last_of("/\\");
    const std::string name = resultName == std::string::npos ? result : result.substr(resultName + 1);
    return givenName == std::string::npos ? name : given.substr(0, givenName + 1) + name;
}

void EndProgressLine(Run& run) {
    if (!run.progressShown) return;
    std::fprintf(run.io.err, "\r%-78s\r", "");
    std::fflush(run.io.err);
    run.progressShown = false;
    run.lastPercent = -1;
}

// Files smaller than this are done before a progress line could be read.
constexpr std::uint64_t kProgressFrom = 8u << 20;

void ShowProgress(void* context, const char* what, const std::string& path, std::uint64_t done, std::uint64_t total) {
    Run& run = *static_cast<Run*>(context);
    if (!run.progress || total < kProgressFrom) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == run.lastPercent) return;
    run.lastPercent = percent;
    std::string name = ShownText(path.substr(path.find_last_of("/\\") + 1));
    if (name.size() > 50) name = "..." + name.substr(name.size() - 47);
    std::fprintf(run.io.err, "\r%s %s %3d%%", what, name.c_str(), percent);
    std::fflush(run.io.err);
    run.progressShown = true;
}

void PrintOutcome(Run& run, const Target& target, const FileOutcome& outcome) {
    EndProgressLine(run);
    if (run.options.json) {
        std::string line = "{\"file\":" + JsonString(target.full) + ",\"command\":\"" +
                           CommandName(run.options.command) + "\",\"status\":\"" + StatusName(outcome.status) + "\"";
        if (outcome.status == FileStatus::Converted) {
            line += ",\"result\":" + JsonString(outcome.result);
            if (run.options.cleanup) line += ",\"original_removed\":true";
            if (!outcome.warning.empty()) line += ",\"warning\":" + JsonString(outcome.warning);
        } else {
            line += ",\"reason\":" + JsonString(outcome.reason);
        }
        std::fprintf(run.io.out, "%s}\n", line.c_str());
        return;
    }
    const std::string given = ShownText(target.given);
    switch (outcome.status) {
        case FileStatus::Converted:
            std::fprintf(run.io.out, "%s -> %s%s\n", given.c_str(), ShownText(Beside(target.given, outcome.result)).c_str(),
                         !run.options.cleanup                          ? ""
                         : run.options.command == Command::Encrypt ? (run.options.nsa ? " (original cleared, 7 passes, and deleted)"
                                                                                      : " (original cleared and deleted)")
                                                                       : " (encrypted file deleted)");
            if (!outcome.warning.empty()) {
                std::fprintf(run.io.err, "%s: %s: %s\n", kName, given.c_str(), ShownText(outcome.warning).c_str());
            }
            break;
        case FileStatus::Skipped:
            std::fprintf(run.io.out, "skipped %s: %s\n", given.c_str(), ShownText(outcome.reason).c_str());
            break;
        default:
            std::fprintf(run.io.err, "%s: %s: %s\n", kName, given.c_str(), ShownText(outcome.reason).c_str());
            break;
    }
}

void PrintInfo(Run& run, const Target& target, const HeaderInfo& info) {
    const char* format = info.format == HeaderFormat::Current   ? "current"
                         : info.format == HeaderFormat::Earlier ? "earlier"
                                                                : "none";
    const char* key = info.keyMatches < 0 ? nullptr : info.keyMatches ? "matches" : "differs";
    if (run.options.json) {
        std::string line = "{\"file\":" + JsonString(target.full) + ",\"command\":\"info\",\"status\":\"described\"" +
                           ",\"format\":\"" + format + "\"";
        if (info.format != HeaderFormat::None) {
            line += std::string(",\"header_complete\":") + (info.whole ? "true" : "false");
        }
        if (info.whole) {
            line += ",\"stored_path\":" + JsonString(info.storedPath) +
                    ",\"stored_path_valid\":" + (info.storedPathValid ? "true" : "false");
            if (info.storedPathValid) {
                line += ",\"extension\":" + JsonString(info.extension) +
                        ",\"extension_valid\":" + (info.extensionPlain ? "true" : "false");
            }
            line += ",\"body_length\":" + std::to_string(info.bodyLength);
            if (key) line += std::string(",\"key\":\"") + key + "\"";
        }
        std::fprintf(run.io.out, "%s}\n", line.c_str());
        return;
    }
    std::FILE* out = run.io.out;
    std::fprintf(out, "%s\n", ShownText(target.given).c_str());
    if (info.format == HeaderFormat::None) {
        std::fprintf(out, "  format:      not an Orvane file\n");
        return;
    }
    std::fprintf(out, "  format:      %s\n", info.format == HeaderFormat::Current ? "current (OrvaneHdrBlk)"
                                                                                  : "earlier (OrvaneHeader)");
    if (!info.whole) {
        std::fprintf(out, "  damaged:     the file ends inside its 276-byte header\n");
        return;
    }
    std::fprintf(out, "  stored path: %s%s\n", ShownText(info.storedPath).c_str(),
                 info.storedPathValid ? "" : " (no terminator: forged or damaged; not decoded)");
    if (info.storedPathValid) {
        std::fprintf(out, "  extension:   %s%s\n", info.extension.empty() ? "(none)" : ShownText(info.extension).c_str(),
                     info.extensionPlain ? "" : " (not a plain extension: not decoded)");
    }
    std::fprintf(out, "  body length: %llu bytes\n", static_cast<unsigned long long>(info.bodyLength));
    if (key) std::fprintf(out, "  key:         %s\n", key);
}

void Count(Run& run, FileStatus status) {
    switch (status) {
        case FileStatus::Converted:
            ++run.converted;
            break;
        case FileStatus::Skipped:
            ++run.skipped;
            break;
        case FileStatus::WrongKey:
            ++run.wrongKey;
            break;
        case FileStatus::Cancelled:
            ++run.cancelled;
            break;
        case FileStatus::Failed:
            ++run.failed;
            break;
    }
}

void PrintSummary(Run& run) {
    const bool info = run.options.command == Command::Info;
    std::string line = std::to_string(run.converted) + (run.converted == 1 ? " file " : " files ") +
                       (info ? "described" : "converted");
    if (run.warned > 0) line += " (" + std::to_string(run.warned) + " of them not fully cleared)";
    if (run.wrongKey > 0) line += ", " + std::to_string(run.wrongKey) + (info ? " of another key" : " with another key");
    if (run.failed > 0) line += ", " + std::to_string(run.failed) + " failed";
    if (run.skipped > 0) line += ", " + std::to_string(run.skipped) + " skipped";
    if (run.cancelled > 0) line += ", " + std::to_string(run.cancelled) + " interrupted";
    if (interrupted.load() && run.cancelled == 0) line += "; interrupted";
    std::fprintf(run.options.json ? run.io.err : run.io.out, "%s: %s\n", kName, line.c_str());
}

void ProcessOne(Run& run, const Target& target, const std::uint32_t* jobKey) {
    if (run.options.command == Command::Info) {
        HeaderInfo info;
        FileOutcome outcome;
        if (!InfoOne(target.full, jobKey, info, outcome.reason)) {
            PrintOutcome(run, target, outcome);
            Count(run, FileStatus::Failed);
            return;
        }
        PrintInfo(run, target, info);
        Count(run, info.keyMatches == 0 ? FileStatus::WrongKey : FileStatus::Converted);
        return;
    }
    ConversionSettings settings;
    settings.jobKey = *jobKey;
    settings.force = run.options.force;
    settings.cleanup = run.options.cleanup;
    settings.nsa = run.options.nsa;
    settings.clearLinked = run.options.clearLinked;
    settings.fromFolder = target.fromFolder;
    settings.interrupted = &interrupted;
    settings.unsyncedFolders = &run.unsyncedFolders;
    settings.progress = ShowProgress;
    settings.progressContext = &run;
    const FileOutcome outcome =
        run.options.command == Command::Encrypt ? EncryptOne(target.full, settings) : DecodeOne(target.full, settings);
    PrintOutcome(run, target, outcome);
    Count(run, outcome.status);
    if (!outcome.warning.empty()) ++run.warned;
}

}  // namespace

int RunTool(int argc, char** argv, const ToolStreams& streams) {
    Run run;
    run.io = streams;
    interrupted.store(false);
    const int parsed = ParseArguments(run, argc, argv);
    if (parsed >= 0) return parsed;
    run.progress = !run.options.json && StandardErrorIsTerminal() && streams.err == stderr;
    CatchInterrupts(&interrupted);

    // Every file is listed before the first is converted, so that no result
    // of this run is taken for a file to convert.
    std::vector<Target> targets;
    for (const std::string& given : run.options.files) {
        Target target{given, "", false};
        if (!FullPath(given, target.full)) {
            FileOutcome outcome;
            outcome.reason = "cannot make a full path of this name (" + LastFileError() + ")";
            PrintOutcome(run, target, outcome);
            ++run.failed;
            continue;
        }
        if (run.options.recursive && Examine(target.full).kind == PathKind::Folder) {
            Walk(run, target, targets);
        } else {
            targets.push_back(target);
        }
    }

    std::string key;
    const int keyStatus = ObtainKey(run, key);
    if (keyStatus >= 0) return keyStatus;
    std::uint32_t jobKey = 0;
    const bool haveKey = run.options.keySource != KeySource::None;
    if (haveKey) jobKey = JobKey(static_cast<std::uint32_t>(KeyHash(key.c_str())));
    WipeKey(key);

    for (const Target& target : targets) {
        if (interrupted.load()) break;
        ProcessOne(run, target, haveKey ? &jobKey : nullptr);
    }
    EndProgressLine(run);
    std::string unsynced;
    if (!SyncFolders(run.unsyncedFolders, unsynced)) {
        std::fprintf(run.io.err, "%s: the new names in a folder could not be flushed to the disk: %s\n", kName,
                     ShownText(unsynced).c_str());
        ++run.failed;
    }
    PrintSummary(run);
    if (interrupted.load()) return kExitInterrupted;
    if (run.failed > 0 || run.warned > 0) return kExitFailed;
    if (run.wrongKey > 0) return kExitWrongKey;
    return kExitConverted;
}
