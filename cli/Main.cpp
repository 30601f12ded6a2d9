// orvane-cli: Orvane's encrypted files from a terminal.
#include <cstdio>

#include "cli/Tool.h"

int main(int argc, char** argv) { return RunTool(argc, argv, ToolStreams{stdin, stdout, stderr}); }
