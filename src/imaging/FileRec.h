// The explorer's file record: 440 bytes per listed entry, kept in the folder
// listing's record stream and stored as the trailer of every thumbnail cache file.
//
// Every field is read and written at its byte offset, little-endian, through the
// accessors below (never by laying a C++ struct over the bytes), so a record is
// the same bytes on every machine and a cache file written by one run reads back
// in the next. A record starts as 440 zero bytes.
//
// Strings are length-prefixed: one length byte, then at most the field's
// capacity of bytes. They hold UTF-8; a Linux file name is at most 255 bytes, so
// Name holds any. A setter cuts a longer text at the capacity, on a character
// boundary, and zeroes the rest of the field; a getter reads at most the
// capacity whatever the length byte says.
//
// The slide album's information records share the words at 364 and 366 (Width
// and Height) with this layout.
#pragma once

#include "platform/ByteRecord.h"

#include <cstdint>
#include <string_view>

namespace lumvor {

constexpr int FileRecSize = 440;

// Values of FileRec::State.
enum : uint16_t {
    fsFolder = 0,
    fsPending = 1,       // thumbnail not made yet
    fsTooLarge = 2,      // picture over 32000 pixels
    fsFailed = 3,        // thumbnail could not be made
    fsPresent = 100,     // thumbnail in the cache
    fsDrive = 65535,
};
// FileRec::Flags of a folder.
constexpr uint16_t FileRecFolderFlags = 0x2001;
// FileRec::Kind of a JPEG file (the worker threads may decode it).
constexpr uint16_t FileRecJpegKind = 128;
// Values of FileRec::Mark.
constexpr uint16_t FileRecMarkRetry = 8;        // workers failed; the main thread decodes it
constexpr uint16_t FileRecMarkVanished = 65535; // removed by a refresh

struct FileRec : TByteRecord<FileRecSize> {
    // Byte offsets and string capacities of the fields.
    static constexpr int NameOffset = 0, NameCapacity = 255;
    static constexpr int CacheNameOffset = 273, CacheNameCapacity = 24;
    static constexpr int ExtOffset = 298, ExtCapacity = 12;
    static constexpr int CaptionOffset = 311, CaptionCapacity = 24;
    static constexpr int FlagsOffset = 336;
    static constexpr int StateOffset = 338;
    static constexpr int ImageIndexOffset = 340;
    static constexpr int SizeHighOffset = 344;
    static constexpr int SizeLowOffset = 348;
    static constexpr int FileDateOffset = 352;
    static constexpr int TimeMsOffset = 356;
    static constexpr int MarkOffset = 360;
    static constexpr int WasSelectedOffset = 362;
    static constexpr int WidthOffset = 364;
    static constexpr int HeightOffset = 366;
    static constexpr int BitsPerPixelOffset = 368;
    static constexpr int KindOffset = 370;
    static constexpr int ListPositionOffset = 388;

    // The entry's display name (a folder's may be lower-cased, see the listing).
    std::string_view Name() const { return Text(NameOffset, NameCapacity); }
    void SetName(std::string_view text) { SetText(NameOffset, NameCapacity, text); }
    // File name of the entry's thumbnail cache file in the folder's sub-folder.
    std::string_view CacheName() const { return Text(CacheNameOffset, CacheNameCapacity); }
    void SetCacheName(std::string_view text) { SetText(CacheNameOffset, CacheNameCapacity, text); }
    // Files: the upper-cased extension when Name lacks it; drives: the root path.
    std::string_view Ext() const { return Text(ExtOffset, ExtCapacity); }
    void SetExt(std::string_view text) { SetText(ExtOffset, ExtCapacity, text); }
    // Picture caption such as ".JPG 1024x768(24)".
    std::string_view Caption() const { return Text(CaptionOffset, CaptionCapacity); }
    void SetCaption(std::string_view text) { SetText(CaptionOffset, CaptionCapacity, text); }

    uint16_t Flags() const { return Word(FlagsOffset); }
    void SetFlags(uint16_t value) { SetWord(FlagsOffset, value); }
    uint16_t State() const { return Word(StateOffset); }
    void SetState(uint16_t value) { SetWord(StateOffset, value); }
    uint16_t ImageIndex() const { return Word(ImageIndexOffset); }
    void SetImageIndex(uint16_t value) { SetWord(ImageIndexOffset, value); }
    // The file size as two unsigned 32-bit halves.
    uint32_t SizeHigh() const { return static_cast<uint32_t>(Int(SizeHighOffset)); }
    void SetSizeHigh(uint32_t value) { SetInt(SizeHighOffset, static_cast<int32_t>(value)); }
    uint32_t SizeLow() const { return static_cast<uint32_t>(Int(SizeLowOffset)); }
    void SetSizeLow(uint32_t value) { SetInt(SizeLowOffset, static_cast<int32_t>(value)); }
    // DOS date-time (local time) of the last write.
    int32_t FileDate() const { return Int(FileDateOffset); }
    void SetFileDate(int32_t value) { SetInt(FileDateOffset, value); }
    // Milliseconds since local midnight of the same moment.
    int32_t TimeMs() const { return Int(TimeMsOffset); }
    void SetTimeMs(int32_t value) { SetInt(TimeMsOffset, value); }
    uint16_t Mark() const { return Word(MarkOffset); }
    void SetMark(uint16_t value) { SetWord(MarkOffset, value); }
    uint16_t WasSelected() const { return Word(WasSelectedOffset); }
    void SetWasSelected(uint16_t value) { SetWord(WasSelectedOffset, value); }
    // The picture's own size in pixels and the thumbnail's bit depth.
    uint16_t Width() const { return Word(WidthOffset); }
    void SetWidth(uint16_t value) { SetWord(WidthOffset, value); }
    uint16_t Height() const { return Word(HeightOffset); }
    void SetHeight(uint16_t value) { SetWord(HeightOffset, value); }
    uint16_t BitsPerPixel() const { return Word(BitsPerPixelOffset); }
    void SetBitsPerPixel(uint16_t value) { SetWord(BitsPerPixelOffset, value); }
    uint16_t Kind() const { return Word(KindOffset); }
    void SetKind(uint16_t value) { SetWord(KindOffset, value); }
    // Only in the copies a thumbnail run hands to a worker: the list row.
    int32_t ListPosition() const { return Int(ListPositionOffset); }
    void SetListPosition(int32_t value) { SetInt(ListPositionOffset, value); }

    // The file size in bytes, from its two 32-bit halves: the one conversion
    // every size text, size comparison and total uses.
    uint64_t FileSize() const { return static_cast<uint64_t>(SizeHigh()) << 32 | SizeLow(); }

    // Fills SizeHigh, SizeLow, FileDate and TimeMs from a file's size and its
    // last write (seconds and nanoseconds since the epoch, read as local time;
    // PackFileStamp in imaging/Helpers.h, which clamps the date to the DOS
    // years 1980 to 2107).
    void SetFileStamp(int64_t size, int64_t seconds, int64_t nanoseconds);
    // The same from the file itself (symbolic links followed); false, and the
    // record untouched, when it cannot be read.
    bool SetFileStamp(const char* path);

private:
    std::string_view Text(int offset, int capacity) const;
    void SetText(int offset, int capacity, std::string_view text);
};
static_assert(sizeof(FileRec) == FileRecSize, "a FileRec is exactly its 440 bytes");

}  // namespace lumvor
