#include "imaging/FileRec.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>

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
    const time_t moment = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&moment, &local) == nullptr) local = tm{};
    const int year = local.tm_year + 1900;
    uint32_t dosDate = 0;
    if (year >= 1980 && year <= 2107) {
        dosDate = static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(local.tm_mon + 1) << 21 |
                  static_cast<uint32_t>(local.tm_mday) << 16 | static_cast<uint32_t>(local.tm_hour) << 11 |
                  static_cast<uint32_t>(local.tm_min) << 5 | static_cast<uint32_t>(local.tm_sec / 2);
    }
    SetFileDate(static_cast<int32_t>(dosDate));
    const int64_t secondOfDay = (local.tm_hour * 60 + local.tm_min) * 60 + std::min(local.tm_sec, 59);
    SetTimeMs(static_cast<int32_t>(secondOfDay * 1000 + nanoseconds / 1000000));
}

bool FileRec::SetFileStamp(const char* path) {
    struct stat info {};
    if (::stat(path, &info) != 0) return false;
    SetFileStamp(info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    return true;
}

}  // namespace lumvor
