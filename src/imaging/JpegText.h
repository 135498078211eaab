// The JPEG text of a file, without a window: its segments walked from SOI up to
// the scan, the EXIF tags of IFD0 and of the EXIF sub-IFD as display lines, the
// comment (COM) segments as text, and the edits made without re-encoding the
// picture: stripping comments or every application segment, and inserting a
// new comment.
//
// Every function takes the file's bytes as they are and never reads outside
// them: segment lengths, IFD entry counts, value offsets and data sizes (count
// x size of the type, in 64 bits) are checked against the segment they belong
// to. A malformed entry is skipped, a malformed segment ends the walk; nothing
// here raises on bad data except where a function says so. The entropy-coded
// data of the scans is never decoded: it is found with memchr and copied in one
// block.
//
// Any thread; no state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

using TJpegBytes = std::span<const uint8_t>;

// The names a reading shows: a tag of IFD0 or of the EXIF sub-IFD without a
// name here is not shown.
struct TExifTagName {
    uint16_t Tag;
    const char* Name;
};
struct TExifNames {
    std::span<const TExifTagName> Ifd0;
    std::span<const TExifTagName> SubIfd;
};
// The window's names (IFD0: "Make", "Orientation"...; the sub-IFD:
// "ExposureTime", "DateTimeOriginal"...).
TExifNames JpegTextNames();
// The date lookup's names: IFD0 0x0132 "Edited", sub-IFD 0x9003 "Taken".
TExifNames JpegDateNames();

// One shown line of the EXIF block and the entry it comes from.
struct TExifLine {
    bool SubIfd = false;
    uint16_t Tag = 0;
    std::string Text;  // UTF-8; "" only for the blank line before "Thumbnail detected"
};

// What a reading found.
struct TJpegTextData {
    bool ExifFound = false;
    bool CommentFound = false;
    std::vector<TExifLine> ExifLines;
    // Every comment's lines, each followed by CR LF, in file order (UTF-8; a
    // comment that is not valid UTF-8 is read as Windows-1252).
    std::string Comments;
    // The bytes ran out before the walk reached the first scan or the end of
    // the picture (a file cut short, or a prefix given to the reader).
    bool Truncated = false;
};

// True when the bytes start with the JPEG start-of-image marker FF D8.
bool StartsWithSoi(TJpegBytes Bytes);

// Walks the segments after SOI up to the first scan (SOS) or EOI: the first
// APP1 "Exif" block gives its IFD0 entries, and the EXIF sub-IFD's entries in
// the place of IFD0's pointer to it, formatted with the names given; every COM
// segment adds its text. A comment whose length field says more than 32766
// bytes, or less than 2, ends the walk. The bytes must start with SOI (nothing
// is found otherwise).
TJpegTextData ReadJpegTextData(TJpegBytes Bytes, const TExifNames& Names);

// The lines shown for the EXIF block: the entries' lines in order, with a
// blank line and "Thumbnail detected" before the sub-IFD's tag 0x0103.
std::vector<std::string> ExifDisplayLines(const std::vector<TExifLine>& Lines);

// The date of a picture's EXIF block: "Taken = " + DateTimeOriginal when the
// sub-IFD has it, otherwise "Edited = " + IFD0's DateTime, otherwise "".
std::string JpegDateLine(TJpegBytes Bytes);

// Reads the beginning of a file, enough for ReadJpegTextData: the first 256 KiB,
// or the whole file when its segments before the scan go on beyond that.
// Raises EFOpenError when the file cannot be opened, EReadError when it cannot
// be read.
std::vector<uint8_t> ReadJpegHead(const std::string& FileName);

// The number of bytes in front of the JPEG data: 0 when the bytes start with
// FF D8, otherwise the offset of the first FF D8 FF (0 when there is none).
size_t JpegLeadingJunk(TJpegBytes Bytes);

enum class TJpegStrip {
    Comments,   // COM segments
    AllExtra,   // COM and APPn segments, except the Adobe APP14 segment (it says how the colours are coded)
};
// The file without the segments Kind removes, and without anything after EOI.
// Everything else, the scans' entropy-coded data included, is copied byte for
// byte. A segment whose length field is broken ends the walk: the rest is
// copied as it stands.
std::vector<uint8_t> StripJpegSegments(TJpegBytes Bytes, TJpegStrip Kind);

// The longest comment text the window inserts, in bytes.
inline constexpr size_t MaxJpegCommentBytes = 32000;
// The file with a new COM segment holding Text (its bytes as they are): after
// an APP0 or APP1 segment that directly follows SOI, else directly after SOI.
// Raises EInvalidGraphic when the bytes do not start with SOI or Text is longer
// than MaxJpegCommentBytes.
std::vector<uint8_t> InsertJpegComment(TJpegBytes Bytes, std::string_view Text);

// A ".JPG" or ".JPEG" name (any case).
bool IsJpegName(const std::string& FileName);

// The EXIF date line of a ".JPG"/".JPEG" file ("Taken = ..." or
// "Edited = ..."); "" for other files, files without a date and files that
// cannot be read.
std::string GetJPEGTakenDate(const std::string& FileName);

}  // namespace lumvor
