// Device-independent bitmaps in the Windows byte layout: the info header, the
// packed DIB (header, colour table, bottom-up rows in one block) that the
// clipboard, the imaging library and ExportDIB exchange, and the BMP file image
// (a 14-byte file header in front of a packed DIB).
//
// All multi-byte fields are little-endian. Decoding raises EInvalidGraphic
// "Bitmap image is not valid" for anything malformed or truncated, checks the
// size against the picture limits before allocating, and never reads or writes
// outside its buffers.
#pragma once

#include "platform/PixelBuffer.h"
#include "platform/Streams.h"

#include <cstdint>
#include <span>
#include <vector>

namespace lumvor {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr int BitmapFileHeaderSize = 14;
constexpr int BitmapInfoHeaderSize = 40;

struct BITMAPINFOHEADER {
    uint32_t biSize = BitmapInfoHeaderSize;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// Writes the 40 header bytes at dest / reads them from src.
void WriteInfoHeader(uint8_t* dest, const BITMAPINFOHEADER& header);
BITMAPINFOHEADER ReadInfoHeader(const uint8_t* src);

// The invalid-bitmap message of the class library.
extern const char* const SBitmapNotValid;  // "Bitmap image is not valid"

class TPackedDib {
public:
    TPackedDib() = default;  // none
    explicit TPackedDib(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool Empty() const { return bytes_.empty(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
    // The first 40 bytes as a header; raises EInvalidGraphic when shorter.
    BITMAPINFOHEADER Header() const;

    // Header (40 bytes; biClrUsed 0 so indexed pictures carry a full table of
    // 2^bits entries), colour table (or the three 565 masks for depth 16) and
    // bottom-up rows of the picture. 15-bit pictures are written as 16-bit BI_RGB.
    static TPackedDib FromPixels(const TPixelBuffer& pixels);
    // The same, but none when pixels is null or empty or the block cannot be built.
    static TPackedDib FromPixelsOrNone(const TPixelBuffer* pixels) noexcept;
    // Decodes the block (header sizes 12, 40, 52, 56, 108, 124; 1, 4, 8, 16, 24
    // and 32 bits; BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS; bottom-up or top-down).
    TPixelBuffer ToPixels() const;

private:
    std::vector<uint8_t> bytes_;
};

// Decodes a DIB given as a header block (info header and what follows it: masks,
// colour table) and the pixel bits; the building block of TPackedDib::ToPixels
// and of BMP file reading.
TPixelBuffer DecodeDib(std::span<const uint8_t> headerBlock, std::span<const uint8_t> bits);

// Writes pixels as a BMP file image (file header + packed DIB) at the stream's position.
void WriteBmpFile(TStream& stream, const TPixelBuffer& pixels);
// Reads a BMP file image from the stream's position; leaves the position after
// the image. Raises EInvalidGraphic "Bitmap image is not valid" on bad data.
TPixelBuffer ReadBmpFile(TStream& stream);

}  // namespace lumvor
