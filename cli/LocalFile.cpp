// The parts of the tool's file calls that are the same on every platform.
#include "cli/Platform.h"

namespace {

long long writeBudget = -1;

}  // namespace

bool LocalFile::Read(void* bytes, std::size_t count, std::size_t& got) {
    got = 0;
    while (got < count) {
        std::size_t n = 0;
        if (!ReadSome(static_cast<char*>(bytes) + got, count - got, n)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool LocalFile::WriteAll(const void* bytes, std::size_t count) {
    std::size_t allowed = count;
    if (writeBudget >= 0 && static_cast<unsigned long long>(writeBudget) < count) {
        allowed = static_cast<std::size_t>(writeBudget);
    }
    std::size_t done = 0;
    while (done < allowed) {
        std::size_t n = 0;
        if (!WriteSome(static_cast<const char*>(bytes) + done, allowed - done, n)) return false;
        if (n == 0) break;
        done += n;
    }
    if (writeBudget >= 0) writeBudget -= static_cast<long long>(done);
    if (done < count) {
        NoteDiskFull();
        return false;
    }
    return true;
}

void SetWriteBudgetForTest(long long bytes) { writeBudget = bytes; }
