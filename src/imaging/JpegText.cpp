#include "imaging/JpegText.h"

#include "imaging/Helpers.h"
#include "platform/Classes.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lumvor {

namespace {

// ---- Markers

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kSOI = 0xD8, kEOI = 0xD9, kSOS = 0xDA, kCOM = 0xFE;
constexpr uint8_t kAPP0 = 0xE0, kAPP1 = 0xE1, kAPP14 = 0xEE, kAPP15 = 0xEF;
constexpr uint8_t kTEM = 0x01;
// A comment segment longer than this ends the reading.
constexpr size_t kMaxCommentSegment = 32766;
// At most this many characters of an ASCII value are shown.
constexpr size_t kMaxAsciiValue = 32761;
constexpr size_t kHeadBytes = 256 * 1024;

uint16_t BigEndian16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// Markers that stand alone, without a length field.
bool Standalone(uint8_t marker) {
    return marker == kTEM || marker == kSOI || (marker >= 0xD0 && marker <= 0xD7);
}

// One marker segment: Offset is its FF, Length its length field, End one past
// its data (or the end of the bytes when they end inside it).
struct TSegment {
    uint8_t Marker = 0;
    size_t Offset = 0;
    size_t Length = 0;
    size_t DataStart = 0;
    size_t End = 0;
};

enum class TWalkEnd { Scan, EndOfImage, Truncated, Broken, Stopped };

// Walks the segments from `from` on, calling visit(segment) for each segment
// with a length field; visit answers false to stop. Bytes between segments
// that are not markers are passed over; fill bytes FF before a marker too.
template <class Visit>
TWalkEnd WalkSegments(TJpegBytes bytes, size_t from, Visit&& visit) {
    const size_t size = bytes.size();
    size_t p = from;
    while (p < size) {
        if (bytes[p] != kMarker) {
            const void* next = std::memchr(bytes.data() + p, kMarker, size - p);
            if (!next)
                return TWalkEnd::Truncated;
            p = size_t(static_cast<const uint8_t*>(next) - bytes.data());
        }
        while (p + 1 < size && bytes[p + 1] == kMarker)
            ++p;
        if (p + 1 >= size)
            return TWalkEnd::Truncated;
        const uint8_t marker = bytes[p + 1];
        if (marker == kEOI)
            return TWalkEnd::EndOfImage;
        if (marker == 0x00 || Standalone(marker)) {
            p += 2;
            continue;
        }
        if (p + 4 > size)
            return TWalkEnd::Truncated;
        const size_t length = BigEndian16(&bytes[p + 2]);
        if (length < 2)
            return TWalkEnd::Broken;
        const size_t end = p + 2 + length;
        TSegment segment{marker, p, length, p + 4, std::min(end, size)};
        if (!visit(segment))
            return TWalkEnd::Stopped;
        if (end > size)
            return TWalkEnd::Truncated;
        if (marker == kSOS)
            return TWalkEnd::Scan;
        p = end;
    }
    return TWalkEnd::Truncated;
}

// ---- EXIF

// The TIFF block of an EXIF segment: all offsets count from its start and
// every read is checked against its end.
class TTiffBlock {
public:
    TTiffBlock(const uint8_t* data, size_t size) : data_(data), size_(size), intel_(size >= 2 && data[0] == 'I' && data[1] == 'I') {}

    size_t Size() const { return size_; }
    bool Intel() const { return intel_; }
    // True when [offset, offset + count) lies inside the block (64-bit sums).
    bool Holds(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    const uint8_t* At(uint64_t offset) const { return data_ + offset; }

    uint16_t U16(const uint8_t* p) const { return intel_ ? uint16_t(p[0] | p[1] << 8) : uint16_t(p[0] << 8 | p[1]); }
    uint32_t U32(const uint8_t* p) const {
        return intel_ ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24
                      : uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
    }

private:
    const uint8_t* data_;
    size_t size_;
    bool intel_;
};

struct TEntry {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    const uint8_t* ValueField;  // the 4 bytes as stored
    uint32_t Value;             // the value field as a number in the block's byte order
};

uint64_t TypeSize(uint16_t type) {
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    default: return 8;
    }
}

const char* NameOf(std::span<const TExifTagName> names, uint16_t tag) {
    for (const TExifTagName& name : names)
        if (name.Tag == tag)
            return name.Name;
    return nullptr;
}

// Tags whose lines are never shown: the sub-IFD pointer, the components
// configuration and the maker's private note.
bool Hidden(const TEntry& entry) {
    return entry.Type == 7 || entry.Tag == 0x8769 || entry.Tag == 0x9101 || entry.Tag == 0x927C;
}

std::string AsciiText(const uint8_t* text, uint64_t count) {
    const size_t length = size_t(std::min<uint64_t>(count, kMaxAsciiValue));
    const auto* nul = static_cast<const uint8_t*>(std::memchr(text, 0, length));
    const size_t used = nul ? size_t(nul - text) : length;
    return DecodeText(std::string_view(reinterpret_cast<const char*>(text), used));
}

// A single value held in the value field, read by its type.
std::string InlineNumber(const TTiffBlock& tiff, const TEntry& entry) {
    const uint8_t* field = entry.ValueField;
    if (entry.Count != 1)
        return std::to_string(entry.Value);
    switch (entry.Type) {
    case 1: return std::to_string(field[0]);
    case 6: return std::to_string(int8_t(field[0]));
    case 3: return std::to_string(tiff.U16(field));
    case 8: return std::to_string(int16_t(tiff.U16(field)));
    case 9: return std::to_string(int32_t(entry.Value));
    default: return std::to_string(entry.Value);
    }
}

// The text after "name = ", or false when the entry's data lies outside the
// block.
bool EntryValueText(const TTiffBlock& tiff, const TEntry& entry, std::string& text) {
    const uint64_t dataSize = uint64_t(entry.Count) * TypeSize(entry.Type);
    if (dataSize <= 4) {
        if (entry.Type == 2)
            text = AsciiText(entry.ValueField, entry.Count);
        else if (entry.Type == 1 || entry.Type == 3 || entry.Type == 4 || entry.Type == 6 || entry.Type == 8 ||
                 entry.Type == 9)
            text = InlineNumber(tiff, entry);
        else
            text = IntToHex(entry.Value, 8) + "(Hex)";
        return true;
    }
    if (!tiff.Holds(entry.Value, dataSize))
        return false;
    const uint8_t* data = tiff.At(entry.Value);
    if (entry.Type == 2) {
        text = AsciiText(data, entry.Count);
    } else if (entry.Type == 5) {
        text = std::to_string(tiff.U32(data)) + "/" + std::to_string(tiff.U32(data + 4));
    } else if (entry.Type == 10) {
        text = std::to_string(int32_t(tiff.U32(data))) + "/" + std::to_string(int32_t(tiff.U32(data + 4)));
    } else {
        text = IntToHex(entry.Value, 8) + " [Offset data]";
    }
    return true;
}

class TExifReader {
public:
    TExifReader(const TTiffBlock& tiff, const TExifNames& names, std::vector<TExifLine>& lines)
        : tiff_(tiff), names_(names), lines_(lines) {}

    void Read() {
        if (!tiff_.Holds(0, 8))
            return;
        ifd0_ = tiff_.U32(tiff_.At(4));
        ReadIfd(ifd0_, false);
    }

private:
    // Reads the entries of the IFD at offset that lie inside the block, however
    // many its count claims.
    void ReadIfd(uint32_t offset, bool subIfd) {
        if (!tiff_.Holds(offset, 2))
            return;
        const uint64_t claimed = tiff_.U16(tiff_.At(offset));
        const uint64_t fitting = (tiff_.Size() - offset - 2) / 12;
        const uint64_t count = std::min(claimed, fitting);
        for (uint64_t i = 0; i < count; ++i) {
            const uint8_t* p = tiff_.At(offset + 2 + 12 * i);
            const TEntry entry{tiff_.U16(p), tiff_.U16(p + 2), tiff_.U32(p + 4), p + 8, tiff_.U32(p + 8)};
            if (!subIfd && entry.Tag == 0x8769) {
                ReadSubIfd(entry.Value);
                continue;
            }
            AddLine(entry, subIfd);
        }
    }

    // The EXIF sub-IFD is read once, and never when it points back at IFD0.
    void ReadSubIfd(uint32_t offset) {
        if (subIfdRead_ || offset == ifd0_)
            return;
        subIfdRead_ = true;
        ReadIfd(offset, true);
    }

    void AddLine(const TEntry& entry, bool subIfd) {
        const char* name = NameOf(subIfd ? names_.SubIfd : names_.Ifd0, entry.Tag);
        if (!name || Hidden(entry))
            return;
        std::string value;
        if (!EntryValueText(tiff_, entry, value))
            return;
        lines_.push_back({subIfd, entry.Tag, std::string(name) + " = " + value});
    }

    const TTiffBlock& tiff_;
    const TExifNames& names_;
    std::vector<TExifLine>& lines_;
    uint32_t ifd0_ = 0;
    bool subIfdRead_ = false;
};

bool IsExifSegment(TJpegBytes bytes, const TSegment& segment) {
    static constexpr char kExif[] = {'E', 'x', 'i', 'f', '\0'};
    return segment.Marker == kAPP1 && segment.End - segment.DataStart >= 6 &&
           std::memcmp(&bytes[segment.DataStart], kExif, sizeof kExif) == 0;
}

std::string CommentText(TJpegBytes bytes, const TSegment& segment) {
    TMemoryStream stream;
    stream.WriteBuffer(&bytes[segment.DataStart], int64_t(segment.End - segment.DataStart));
    stream.SetPosition(0);
    TStringList lines;
    lines.LoadFromStream(stream);
    return lines.Text();
}

// ---- Tag names

constexpr TExifTagName kIfd0Names[] = {
    {0x010E, "ImageDescription"}, {0x010F, "Make"}, {0x0110, "Model"}, {0x0112, "Orientation"},
    {0x011A, "XResolution"}, {0x011B, "YResolution"}, {0x0128, "ResolutionUnit"}, {0x0131, "Software"},
    {0x0132, "DateTime"}, {0x013E, "WhitePoint"}, {0x013F, "PrimaryChromaticities"},
    {0x0211, "YCbCrCoefficients"}, {0x0213, "YCbCrPositioning"}, {0x0214, "ReferenceBlackWhite"},
    {0x8298, "Copyright"}, {0x8769, "ExifOffset"}, {0x0103, "*Compression"}, {0x0201, "*JpegIFOffset"},
    {0x0202, "*JpegIFByteCount"},
};

constexpr TExifTagName kSubIfdNames[] = {
    {0x0103, "**Compression"}, {0x0201, "**JpegIFOffset"}, {0x0202, "**JpegIFByteCount"},
    {0x829A, "ExposureTime"}, {0x829D, "FNumber"}, {0x8822, "ExposureProgram"}, {0x8827, "ISOSpeedRatings"},
    {0x9000, "ExifVersion"}, {0x9003, "DateTimeOriginal"}, {0x9004, "DateTimeDigitized"},
    {0x9101, "ComponentConfiguration"}, {0x9102, "CompressionBitsPerPixel"}, {0x9201, "ShutterSpeedValue"},
    {0x9202, "ApertureValue"}, {0x9203, "BrightnessValue"}, {0x9204, "ExposureBiasValue"},
    {0x9205, "MaxApertureValue"}, {0x9206, "SubjectDistance"}, {0x9207, "MeteringMode"},
    {0x9208, "LightSource"}, {0x9209, "Flash"}, {0x920A, "FocalLength"}, {0x927C, "MakerNote"},
    {0x9286, "UserComment"}, {0xA000, "FlashPixVersion"}, {0xA001, "ColorSpace"},
    {0xA002, "ExifImageWidth"}, {0xA003, "ExifImageHeight"}, {0xA004, "RelatedSoundFile"},
    {0xA005, "ExifInteropOffset"}, {0xA20E, "FocalPlaneXRes"}, {0xA20F, "FocalPlaneYRes"},
    {0xA210, "FocalPlaneResUnit"}, {0xA215, "ExposureIndex"}, {0xA217, "SensingMethod"},
    {0xA300, "FileSource"}, {0xA301, "ScenicType"},
};

constexpr uint16_t kDateTime = 0x0132, kDateTimeOriginal = 0x9003, kCompression = 0x0103;
constexpr TExifTagName kIfd0DateNames[] = {{kDateTime, "Edited"}};
constexpr TExifTagName kSubIfdDateNames[] = {{kDateTimeOriginal, "Taken"}};

// ---- Editing

void Append(std::vector<uint8_t>& out, TJpegBytes bytes, size_t from, size_t to) {
    out.insert(out.end(), bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(to));
}

// One past the entropy-coded data that starts at p: the first FF that is
// neither a stuffed FF 00 nor a restart marker.
size_t EntropyDataEnd(TJpegBytes bytes, size_t p) {
    const size_t size = bytes.size();
    while (p < size) {
        const void* next = std::memchr(bytes.data() + p, kMarker, size - p);
        if (!next)
            return size;
        p = size_t(static_cast<const uint8_t*>(next) - bytes.data());
        if (p + 1 >= size)
            return size;
        const uint8_t following = bytes[p + 1];
        if (following != 0x00 && !(following >= 0xD0 && following <= 0xD7))
            return p;
        p += 2;
    }
    return size;
}

bool IsAdobeSegment(TJpegBytes bytes, size_t dataStart, size_t end) {
    return end - dataStart >= 5 && std::memcmp(&bytes[dataStart], "Adobe", 5) == 0;
}

bool Removed(TJpegBytes bytes, uint8_t marker, size_t dataStart, size_t end, TJpegStrip kind) {
    if (marker == kCOM)
        return true;
    if (marker < kAPP0 || marker > kAPP15 || kind == TJpegStrip::Comments)
        return false;
    return !(marker == kAPP14 && IsAdobeSegment(bytes, dataStart, end));
}

}  // namespace

// ---- Reading

TExifNames JpegTextNames() { return {kIfd0Names, kSubIfdNames}; }
TExifNames JpegDateNames() { return {kIfd0DateNames, kSubIfdDateNames}; }

bool StartsWithSoi(TJpegBytes Bytes) { return Bytes.size() >= 2 && Bytes[0] == kMarker && Bytes[1] == kSOI; }

TJpegTextData ReadJpegTextData(TJpegBytes Bytes, const TExifNames& Names) {
    TJpegTextData found;
    if (!StartsWithSoi(Bytes))
        return found;
    const TWalkEnd end = WalkSegments(Bytes, 2, [&](const TSegment& segment) {
        if (segment.Marker == kCOM) {
            if (segment.Length > kMaxCommentSegment)
                return false;
            found.Comments += CommentText(Bytes, segment);
            found.CommentFound = true;
        } else if (!found.ExifFound && IsExifSegment(Bytes, segment)) {
            found.ExifFound = true;
            const size_t tiffStart = segment.DataStart + 6;
            const TTiffBlock tiff(&Bytes[tiffStart], segment.End - tiffStart);
            TExifReader(tiff, Names, found.ExifLines).Read();
        }
        return true;
    });
    found.Truncated = end == TWalkEnd::Truncated;
    return found;
}

std::vector<std::string> ExifDisplayLines(const std::vector<TExifLine>& Lines) {
    std::vector<std::string> shown;
    for (const TExifLine& line : Lines) {
        if (line.SubIfd && line.Tag == kCompression) {
            shown.emplace_back();
            shown.emplace_back("Thumbnail detected");
        }
        shown.push_back(line.Text);
    }
    return shown;
}

std::string JpegDateLine(TJpegBytes Bytes) {
    const TJpegTextData found = ReadJpegTextData(Bytes, JpegDateNames());
    const TExifLine* edited = nullptr;
    for (const TExifLine& line : found.ExifLines) {
        if (line.SubIfd && line.Tag == kDateTimeOriginal)
            return line.Text;
        if (!line.SubIfd && line.Tag == kDateTime && !edited)
            edited = &line;
    }
    return edited ? edited->Text : "";
}

std::vector<uint8_t> ReadJpegHead(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead);
    const int64_t size = file.Size();
    std::vector<uint8_t> bytes(size_t(std::min<int64_t>(size, kHeadBytes)));
    file.ReadBuffer(bytes.data(), int64_t(bytes.size()));
    if (int64_t(bytes.size()) < size && StartsWithSoi(bytes) &&
        WalkSegments(bytes, 2, [](const TSegment&) { return true; }) == TWalkEnd::Truncated) {
        bytes.resize(size_t(size));
        file.ReadBuffer(bytes.data() + kHeadBytes, size - int64_t(kHeadBytes));
    }
    return bytes;
}

// ---- Editing

size_t JpegLeadingJunk(TJpegBytes Bytes) {
    if (StartsWithSoi(Bytes))
        return 0;
    static constexpr uint8_t kStart[] = {kMarker, kSOI, kMarker};
    const auto found = std::search(Bytes.begin(), Bytes.end(), std::begin(kStart), std::end(kStart));
    return found == Bytes.end() ? 0 : size_t(found - Bytes.begin());
}

std::vector<uint8_t> StripJpegSegments(TJpegBytes Bytes, TJpegStrip Kind) {
    std::vector<uint8_t> out;
    out.reserve(Bytes.size());
    const size_t size = Bytes.size();
    size_t p = 0;
    while (p < size) {
        if (Bytes[p] != kMarker) {
            const void* next = std::memchr(Bytes.data() + p, kMarker, size - p);
            const size_t q = next ? size_t(static_cast<const uint8_t*>(next) - Bytes.data()) : size;
            Append(out, Bytes, p, q);
            p = q;
            continue;
        }
        if (p + 1 >= size) {
            Append(out, Bytes, p, size);
            break;
        }
        const uint8_t marker = Bytes[p + 1];
        if (marker == kEOI) {
            Append(out, Bytes, p, p + 2);
            break;
        }
        if (Standalone(marker)) {
            Append(out, Bytes, p, p + 2);
            p += 2;
            continue;
        }
        const bool segment = (marker >= 0xC0 && marker <= 0xCF) || (marker >= kSOS && marker <= 0xDF) ||
                             (marker >= kAPP0 && marker <= kAPP15) || marker == kCOM;
        if (!segment) {
            out.push_back(kMarker);
            ++p;
            continue;
        }
        const size_t length = p + 4 <= size ? BigEndian16(&Bytes[p + 2]) : 0;
        if (length < 2 || p + 2 + length > size) {
            Append(out, Bytes, p, size);
            break;
        }
        const size_t end = p + 2 + length;
        if (!Removed(Bytes, marker, p + 4, end, Kind))
            Append(out, Bytes, p, end);
        p = end;
        if (marker == kSOS) {
            const size_t dataEnd = EntropyDataEnd(Bytes, p);
            Append(out, Bytes, p, dataEnd);
            p = dataEnd;
        }
    }
    return out;
}

std::vector<uint8_t> InsertJpegComment(TJpegBytes Bytes, std::string_view Text) {
    if (!StartsWithSoi(Bytes))
        throw EInvalidGraphic("File has bad JPEG markers.");
    if (Text.size() > MaxJpegCommentBytes)
        throw EInvalidGraphic("Comment too large (maximum 32000 characters).");
    size_t at = 2;
    if (Bytes.size() >= 6 && Bytes[2] == kMarker && (Bytes[3] == kAPP0 || Bytes[3] == kAPP1)) {
        const size_t length = BigEndian16(&Bytes[4]);
        if (length >= 2 && 4 + length <= Bytes.size())
            at = 4 + length;
    }
    const size_t segmentLength = Text.size() + 2;
    std::vector<uint8_t> out;
    out.reserve(Bytes.size() + segmentLength + 2);
    Append(out, Bytes, 0, at);
    out.insert(out.end(), {kMarker, kCOM, uint8_t(segmentLength >> 8), uint8_t(segmentLength & 0xFF)});
    out.insert(out.end(), Text.begin(), Text.end());
    Append(out, Bytes, at, Bytes.size());
    return out;
}

bool IsJpegName(const std::string& FileName) {
    return ExtInList(UpperCase(ExtractFileExt(FileName)), ".JPEG.JPG", "");
}

std::string GetJPEGTakenDate(const std::string& FileName) {
    if (!IsJpegName(FileName))
        return "";
    try {
        return JpegDateLine(ReadJpegHead(FileName));
    } catch (const Exception&) {
        return "";
    }
}

}  // namespace lumvor
