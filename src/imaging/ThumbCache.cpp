#include "imaging/ThumbCache.h"

#include "platform/Crc32.h"
#include "platform/SysUtils.h"

#include <sys/stat.h>

#include <array>

namespace lumvor {

namespace {

uint16_t Word(const void* record, int offset) {
    uint16_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
    return value;
}

void SetWord(void* record, int offset, uint16_t value) {
    std::memcpy(static_cast<uint8_t*>(record) + offset, &value, sizeof value);
}

}  // namespace

uint32_t UpdateCrc32(const void* Buffer, int64_t Count, uint32_t Crc) {
    return Count > 0 ? Crc32Update(Crc, Buffer, static_cast<size_t>(Count)) : Crc;
}

uint32_t StreamCrc32(TStream& Stream, uint32_t Crc) {
    uint8_t block[2048];
    while (true) {
        const int64_t got = Stream.Read(block, sizeof block);
        Crc = UpdateCrc32(block, got, Crc);
        if (got < static_cast<int64_t>(sizeof block)) break;
    }
    return Crc;
}

uint32_t FileCrc32(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    return StreamCrc32(file, 0xFFFFFFFFu);
}

std::string IntToBase32(uint32_t N) {
    if (N >= 0x40000000u) return IntToHex(N, 8);
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::string text(6, '0');
    for (int k = 0; k < 6; ++k) text[5 - k] = digits[(N >> (5 * k)) & 31];
    return text;
}

bool FileHasData(const std::string& FileName) {
    struct stat st {};
    return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 256;
}

bool ThumbCache::SaveStream(TMemoryStream& stream, const void* record, const std::string& fileName) {
    stream.WriteBuffer(record, ThumbRecordSize);
    stream.SaveToFile(fileName);
    return true;
}

bool ReadThumbInfo(void* Record, const std::string& FileName) {
    try {
        TMemoryStream stream;
        stream.LoadFromFile(FileName);
        if (ThumbRecOffset < 0 || stream.Size() != static_cast<int64_t>(ThumbRecOffset) + ThumbRecordSize) return false;
        stream.SetPosition(ThumbRecOffset);
        stream.ReadBuffer(Record, ThumbRecordSize);
        return true;
    } catch (...) {
        return false;
    }
}

void CopyThumbDimensions(const void* Record, void* SlideRecord) {
    SetWord(SlideRecord, SlideWidthOffset, Word(Record, ThumbWidthOffset));
    SetWord(SlideRecord, SlideHeightOffset, Word(Record, ThumbHeightOffset));
}

void StoreThumbDimensions(void* Record, const void* SlideRecord) {
    SetWord(Record, ThumbWidthOffset, Word(SlideRecord, SlideWidthOffset));
    SetWord(Record, ThumbHeightOffset, Word(SlideRecord, SlideHeightOffset));
}

}  // namespace lumvor
