// Thumbnail cache files and CRC-32.
//
// A cache file (".rec") holds a thumbnail picture as its graphic's SaveToStream
// writes it (a BMP file image for a bitmap), followed by a 440-byte FileRec, the
// trailer. Every thumbnail one run writes has the same size and pixel format, so
// the trailer starts at the same offset in all of them: ThumbRecOffset, measured
// once per run by the explorer. Readers never parse the picture to find it.
//
// Three kinds of cache file live in the cache folder (TThumbFileKind): one per
// picture in a folder's sub-folder, whose trailer names the picture it shows;
// one shared file per extension in the root, whose trailer names none; and the
// four stock icon files, a bitmap image alone. Every reader asks
// ThumbFilePresent whether a file is usable; every writer goes through
// WriteThumbFile (or SaveThumbFile), which replaces a file only after a complete
// write and never writes onto a folder.
//
// The CRC is the reflected CRC-32 (polynomial 0xEDB88320) without the final
// inversion: started with 0xFFFFFFFF it gives the complement of the usual CRC-32.
// The CRC routines hold no state and may run on any thread; so may the readers
// and writers here once ThumbRecOffset is measured.
#pragma once

#include "imaging/FileRec.h"
#include "platform/Streams.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lumvor {

// ---- Record layouts touched here

constexpr int ThumbRecordSize = FileRecSize;               // the explorer's file record
constexpr int ThumbWidthOffset = FileRec::WidthOffset;     // its picture width (16-bit)
constexpr int ThumbHeightOffset = FileRec::HeightOffset;   // its picture height (16-bit)
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

// True when the file exists and holds more than 256 bytes. A quick first test
// only: whether a cache file can be used is ThumbFilePresent's answer.
bool FileHasData(const std::string& FileName);

enum class TThumbFileKind {
    PerFile,  // one picture's thumbnail in a folder's sub-folder: bitmap + trailer naming the picture
    Shared,   // one extension's icon thumbnail in the cache root: bitmap + trailer naming nothing
    Stock,    // one of the four stock icon files in the cache root: bitmap alone
};

// A cache file: where it is and what it must hold.
struct TThumbFile {
    std::string Path;
    TThumbFileKind Kind = TThumbFileKind::PerFile;
};

// True when File is a usable cache file of its kind. Tested in this order: a
// regular file of more than 256 bytes; exactly ThumbRecOffset + 440 bytes
// (ThumbRecOffset for a stock file); starting with "BM"; for a per-file cache
// file whose trailer names a picture (a non-empty Name), that trailer's Name,
// SizeHigh, SizeLow, FileDate and TimeMs equal Row's. A trailer with an empty
// Name (the album's, or an older file's) names no picture and is accepted.
// Nothing counts as present before ThumbRecOffset is measured. Trailer, when
// given, receives the trailer of a file found present (of any kind but Stock).
// One open and at most two reads; never raises, never blocks on a special file.
bool ThumbFilePresent(const TThumbFile& File, const FileRec& Row, FileRec* Trailer = nullptr);

// The whole of a usable cache file in one read: the same tests as
// ThumbFilePresent on the bytes read (a per-file or shared file only; a stock
// file has no trailer). False, Bytes then emptied, when the file is not usable.
bool ReadThumbFileBytes(const TThumbFile& File, const FileRec& Row, std::vector<uint8_t>& Bytes);

// Writes into Trailer the identity a writer of File's kind stores: for a
// per-file cache file Row's Name, SizeHigh, SizeLow, FileDate and TimeMs; for a
// shared file those five fields emptied (shared files name no picture). Row
// may be Trailer itself.
void StampThumbIdentity(FileRec& Trailer, TThumbFileKind Kind, const FileRec& Row);

// Saves Graphic as File: for a stock file the picture alone, else the picture
// and Trailer with the identity of Row stamped in (StampThumbIdentity). Row is
// the list entry the thumbnail shows (a worker passes its slot's copy). The old
// file is replaced only after a complete write; false on any failure, the old
// file then left as it was (nothing is raised).
template <class TGraphicType>
bool WriteThumbFile(FileRec Trailer, TGraphicType& Graphic, const TThumbFile& File, const FileRec& Row);

// Deletes a cache file; a folder at Path is never touched. True when no file is
// left at Path.
bool DeleteThumbFile(const std::string& Path);

// Saves graphic and record (none when Record is null) to FileName in one piece:
// the bytes go to a scratch file beside it (WriteWholeFile, not forced to disk:
// a cache file is made again when lost), which replaces FileName only after a
// complete write and is removed on failure. False on any failure, FileName then
// left as it was.
template <class TGraphicType>
bool SaveThumbFile(const void* Record, TGraphicType& Graphic, const std::string& FileName);
// Loads the picture into Graphic and the record behind it; false on any failure
// (the record is then filled as far as it was read).
template <class TGraphicType>
bool LoadThumbFile(void* Record, TGraphicType& Graphic, const std::string& FileName);
// Reads only the record at ThumbRecOffset (one open, the length from the file
// system, one read of 440 bytes); false on any failure, and also when the path
// is not a regular file or its length is not ThumbRecOffset + 440 (the picture
// part then has another length and the record is not where it is looked for).
bool ReadThumbInfo(void* Record, const std::string& FileName);

// The slide record's width and height := the file record's, and the reverse.
void CopyThumbDimensions(const void* Record, void* SlideRecord);
void StoreThumbDimensions(void* Record, const void* SlideRecord);

// ---- Template bodies

namespace ThumbCache {
// Appends the record (none when null) and saves the stream to the file.
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
bool WriteThumbFile(FileRec Trailer, TGraphicType& Graphic, const TThumbFile& File, const FileRec& Row) {
    if (File.Kind == TThumbFileKind::Stock) return SaveThumbFile(nullptr, Graphic, File.Path);
    StampThumbIdentity(Trailer, File.Kind, Row);
    return SaveThumbFile(Trailer.Bytes.data(), Graphic, File.Path);
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
