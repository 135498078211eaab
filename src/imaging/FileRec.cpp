#include "imaging/FileRec.h"

#include "imaging/Helpers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace lumvor {

std::string_view FileRec::Text(int offset, int capacity) const {
    const int length = std::min<int>(Bytes[offset], capacity);
    return {reinterpret_cast<const char*>(Bytes.data() + offset + 1), static_cast<size_t>(length)};
}

void FileRec::SetText(int offset, int capacity, std::string_view text) {
    size_t length = std::min<size_t>(text.size(), capacity);
    // Never end in the middle of a UTF-8 sequence: back off over continuation bytes.
    if (length < text.size())
        while (length > 0 && (static_cast<uint8_t>(text[length]) & 0xC0) == 0x80) --length;
    uint8_t* field = Bytes.data() + offset;
    std::memset(field, 0, static_cast<size_t>(capacity) + 1);
    field[0] = static_cast<uint8_t>(length);
    std::memcpy(field + 1, text.data(), length);
}

void FileRec::SetFileStamp(int64_t size, int64_t seconds, int64_t nanoseconds) {
    SetSizeHigh(static_cast<uint32_t>(static_cast<uint64_t>(size) >> 32));
    SetSizeLow(static_cast<uint32_t>(size));
    int32_t fileDate = 0, timeMs = 0;
    PackFileStamp(seconds, nanoseconds, fileDate, timeMs);
    SetFileDate(fileDate);
    SetTimeMs(timeMs);
}

bool FileRec::SetFileStamp(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return false;
    SetFileStamp(info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    return true;
}

}  // namespace lumvor
