// Thumbnail cache files and CRC-32.
//
// A cache file (".rec") holds a thumbnail picture as its graphic's SaveToStream
// writes it (a BMP file image for a bitmap), followed by the 440-byte file record
// of the explorer, copied as it stands. Every thumbnail one run writes has the same
// size and pixel format, so the record starts at the same offset in all of them:
// ThumbRecOffset, measured once per run by the explorer.
//
// The CRC is the reflected CRC-32 (polynomial 0xEDB88320) without the final
// inversion: started with 0xFFFFFFFF it gives the complement of the usual CRC-32.
// The CRC routines hold no state and may run on any thread.
#pragma once

#include "platform/Streams.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace lumvor {

// ---- Record layouts touched here

constexpr int ThumbRecordSize = 440;     // the explorer's file record
constexpr int ThumbWidthOffset = 364;    // its thumbnail width (16-bit)
constexpr int ThumbHeightOffset = 366;   // its thumbnail height (16-bit)
constexpr int SlideRecordSize = 136;     // the slide album's slide record
constexpr int SlideWidthOffset = 130;    // its 16-bit width
constexpr int SlideHeightOffset = 132;   // its 16-bit height

// ---- Module globals

// Byte position of the file record inside every cache file of this run.
inline int32_t ThumbRecOffset = 0;

// ---- CRC-32

// The CRC after Count bytes of Buffer, starting from Crc; Count <= 0 gives Crc.
uint32_t UpdateCrc32(const void* Buffer, int64_t Count, uint32_t Crc);
// Reads Stream from its position in blocks of 2,048 bytes until a read returns
// fewer; returns the CRC and leaves the stream at its end.
uint32_t StreamCrc32(TStream& Stream, uint32_t Crc);
// The CRC of a file's bytes, seeded with 0xFFFFFFFF. Raises EFOpenError when the
// file cannot be opened.
uint32_t FileCrc32(const std::string& FileName);

// Six base-32 digits ("0"-"9", "A"-"V", most significant first) for N below
// 0x40000000; else IntToHex(N, 8).
std::string IntToBase32(uint32_t N);

// ---- Cache files

// True when the file exists and holds more than 256 bytes.
bool FileHasData(const std::string& FileName);

// Saves graphic and record to FileName (replacing it) in one piece; false on any
// failure.
template <class TGraphicType>
bool SaveThumbFile(const void* Record, TGraphicType& Graphic, const std::string& FileName);
// Loads the picture into Graphic and the record behind it; false on any failure
// (the record is then filled as far as it was read).
template <class TGraphicType>
bool LoadThumbFile(void* Record, TGraphicType& Graphic, const std::string& FileName);
// Reads only the record at ThumbRecOffset; false on any failure, and also when
// the file's length is not ThumbRecOffset + 440 (the picture part then has
// another length and the record is not where it is looked for).
bool ReadThumbInfo(void* Record, const std::string& FileName);

// The slide record's width and height := the file record's, and the reverse.
void CopyThumbDimensions(const void* Record, void* SlideRecord);
void StoreThumbDimensions(void* Record, const void* SlideRecord);

// ---- Template bodies

namespace ThumbCache {
bool SaveStream(TMemoryStream& stream, const void* record, const std::string& fileName);
}  // namespace ThumbCache

template <class TGraphicType>
bool SaveThumbFile(const void* Record, TGraphicType& Graphic, const std::string& FileName) {
    try {
        TMemoryStream stream;
        Graphic.SaveToStream(stream);
        return ThumbCache::SaveStream(stream, Record, FileName);
    } catch (...) {
        return false;
    }
}

template <class TGraphicType>
bool LoadThumbFile(void* Record, TGraphicType& Graphic, const std::string& FileName) {
    try {
        TMemoryStream stream;
        stream.LoadFromFile(FileName);
        stream.SetPosition(0);
        Graphic.LoadFromStream(stream);
        const int64_t got = stream.Read(Record, ThumbRecordSize);
        return got == ThumbRecordSize;
    } catch (...) {
        return false;
    }
}

}  // namespace lumvor
