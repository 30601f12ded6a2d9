// The description of a file's header for "info".
#include "cli/HeaderInfo.h"

#include <cstring>

#include "core/FileNames.h"

HeaderInfo DescribeHeader(const unsigned char* bytes, std::size_t count, std::uint64_t fileSize,
                          const std::uint32_t* jobKey) {
    HeaderInfo info;
    info.format = HeaderFormatOf(bytes, count);
    if (info.format == HeaderFormat::None) return info;
    info.whole = count >= kHeaderSize && fileSize >= kHeaderSize;
    if (!info.whole) return info;
    info.bodyLength = fileSize - kHeaderSize;
    const char* field = reinterpret_cast<const char*>(bytes + kOriginalPathOffset);
    const void* end = std::memchr(field, '\0', kOriginalPathSize);
    info.storedPath.assign(field, end ? static_cast<const char*>(end) - field : kOriginalPathSize);
    const char* stored = HeaderStoredPath(bytes, count);
    info.storedPathValid = stored != nullptr;
    if (stored) {
        info.extension = ExtensionOf(stored);
        info.extensionPlain = IsPlainExtension(info.extension.c_str());
    }
    if (jobKey) info.keyMatches = HeaderKeyMatches(bytes, count, info.format, *jobKey) ? 1 : 0;
    return info;
}
