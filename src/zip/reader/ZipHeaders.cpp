#include "zip/reader/ZipHeaders.h"

#include <cctype>
#include <cmath>

namespace lumvor {

void TZipHeaderInfo::SetFileName(const std::string& name) {
    if (name == fileName_)
        return;
    fileName_ = name;
    FileNameLength = static_cast<uint16_t>(directory_.size() + fileName_.size());
}

void TZipHeaderInfo::SetDirectory(const std::string& directory) {
    std::string value = directory;
    if (!value.empty() && value.back() != '/')
        value += '/';
    if (value == directory_)
        return;
    directory_ = value;
    FileNameLength = static_cast<uint16_t>(directory_.size() + fileName_.size());
}

void TZipHeaderInfo::SetPath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        SetDirectory("");
        SetFileName(path);
    } else {
        SetDirectory(path.substr(0, slash + 1));
        SetFileName(path.substr(slash + 1));
    }
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& source) {
    std::string comment = FileComment;
    *this = source;
    if (source.FileCommentLength == 0 || source.FileComment.empty())
        FileComment = comment;
}

namespace {

int CompareText(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Descending order in which equal values never compare equal: a new entry
// lands after the ones with the same value.
template <class V>
int Descending(V item, V key) {
    return item >= key ? -1 : 1;
}

double DateValue(uint32_t dosDateTime) {
    double value;
    return DosDateTimeToDateTime(dosDateTime, value) ? value : 0.0;
}

}  // namespace

int TSortedZip::Compare(const TZipHeaderInfo* item, const TZipHeaderInfo* key) const {
    switch (SortMode) {
    case ByName: return CompareText(item->PathName(), key->PathName());
    case ByFileName: return CompareText(item->FileName(), key->FileName());
    case ByDirectoryName: return CompareText(item->Directory(), key->Directory());
    case ByDate: return Descending(DateValue(item->DateTime), DateValue(key->DateTime));
    case ByCompressedSize: return Descending(item->CompressedSize, key->CompressedSize);
    case ByUnCompressedSize: return Descending(item->UncompressedSize, key->UncompressedSize);
    case ByRate:
        return Descending(PackedPercent(item->CompressedSize, item->UncompressedSize),
                          PackedPercent(key->CompressedSize, key->UncompressedSize));
    case ByNone:
    default:
        if (item->DiskNumberStart != key->DiskNumberStart)
            return item->DiskNumberStart < key->DiskNumberStart ? -1 : 1;
        if (item->RelativeOffset == key->RelativeOffset)
            return 0;
        return item->RelativeOffset < key->RelativeOffset ? -1 : 1;
    }
}

bool DosDateTimeToDateTime(uint32_t dosDateTime, double& result) {
    int year = 1980 + static_cast<int>(dosDateTime >> 25);
    int month = (dosDateTime >> 21) & 15;
    int day = (dosDateTime >> 16) & 31;
    int hour = (dosDateTime >> 11) & 31;
    int minute = (dosDateTime >> 5) & 63;
    int second = (dosDateTime & 31) * 2;
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] || (month == 2 && day == 29 && !leap) ||
        hour > 23 || minute > 59 || second > 59)
        return false;
    result = FileDateToDateTime(static_cast<int32_t>(dosDateTime));
    return true;
}

int PackedPercent(uint32_t compressedSize, uint32_t uncompressedSize) {
    if (uncompressedSize == 0)
        return 0;
    uint64_t percent = (uint64_t{compressedSize} * 100 + uncompressedSize / 2) / uncompressedSize;
    return static_cast<int>(std::min<uint64_t>(percent, 100));
}

std::string Cp437ToUtf8(const std::string& raw) {
    static const uint16_t kHigh[128] = {
        0xc7,   0xfc,   0xe9,   0xe2,   0xe4,   0xe0,   0xe5,   0xe7,   0xea,   0xeb,   0xe8,   0xef,   0xee,
        0xec,   0xc4,   0xc5,   0xc9,   0xe6,   0xc6,   0xf4,   0xf6,   0xf2,   0xfb,   0xf9,   0xff,   0xd6,
        0xdc,   0xa2,   0xa3,   0xa5,   0x20a7, 0x192,  0xe1,   0xed,   0xf3,   0xfa,   0xf1,   0xd1,   0xaa,
        0xba,   0xbf,   0x2310, 0xac,   0xbd,   0xbc,   0xa1,   0xab,   0xbb,   0x2591, 0x2592, 0x2593, 0x2502,
        0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255d, 0x255c, 0x255b, 0x2510, 0x2514,
        0x2534, 0x252c, 0x251c, 0x2500, 0x253c, 0x255e, 0x255f, 0x255a, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
        0x256c, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256b, 0x256a, 0x2518, 0x250c,
        0x2588, 0x2584, 0x258c, 0x2590, 0x2580, 0x3b1,  0xdf,   0x393,  0x3c0,  0x3a3,  0x3c3,  0xb5,   0x3c4,
        0x3a6,  0x398,  0x3a9,  0x3b4,  0x221e, 0x3c6,  0x3b5,  0x2229, 0x2261, 0xb1,   0x2265, 0x2264, 0x2320,
        0x2321, 0xf7,   0x2248, 0xb0,   0x2219, 0xb7,   0x221a, 0x207f, 0xb2,   0x25a0, 0xa0};
    std::string out;
    out.reserve(raw.size());
    for (unsigned char c : raw) {
        uint32_t cp = c < 0x80 ? c : kHigh[c - 0x80];
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace lumvor
