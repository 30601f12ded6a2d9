// The built-in message table of general texts (message ids 60000 to 60114).
#pragma once

#include "resource.h"

constexpr unsigned kMessageTableFirst = IDS_MESSAGE_TABLE_FIRST;
constexpr unsigned kMessageTableLast = IDS_MESSAGE_TABLE_LAST;
constexpr int kMessageTableCount = IDS_MESSAGE_TABLE_LAST - IDS_MESSAGE_TABLE_FIRST + 1;

// Entry id - kMessageTableFirst holds the text of message `id`. Every entry
// is a constant 8-bit text; the one unused id has the empty text.
extern const char* const MessageTable[kMessageTableCount];
