// The command line of orvane-cli: options, the key, the files and folders,
// what is printed and the exit status.
#pragma once

#include <cstdio>

// Exit statuses.
constexpr int kExitConverted = 0;    // every file converted (or described)
constexpr int kExitFailed = 1;       // at least one file failed for another reason
constexpr int kExitUsage = 2;        // the command line or the key was refused
constexpr int kExitWrongKey = 3;     // every failure was a file of another key
constexpr int kExitInterrupted = 130;  // Ctrl-C

struct ToolStreams {
    std::FILE* in;
    std::FILE* out;
    std::FILE* err;
};

// Runs one command line (argv[0] is the program's name) and returns the
// exit status.
int RunTool(int argc, char** argv, const ToolStreams& streams);
