// Pixel memory shared by the class-library bitmap (TBitmap) and the in-memory
// picture (TDibGraphic), and the palette objects exchanged between them.
//
// Layout: rows top-down (row 0 is the top), each row padded to a multiple of
// 4 bytes. 1-bit pixels most significant bit first, 4-bit pixels high nibble
// first, 8-bit pixels are palette indices, 15-bit pixels are 16-bit words
// x-R5-G5-B5, 16-bit words R5-G6-B5, 24-bit pixels blue-green-red, 32-bit
// pixels blue-green-red-unused. The colour table holds colour values (blue in
// the low byte), which is the byte order of a DIB colour-table entry.
#pragma once

#include "platform/Colors.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumvor {

// Upper bound on the pixel count of any picture the program builds.
constexpr int64_t MaxPixelCount = int64_t(1) << 28;
// Upper bound on either side of a picture.
constexpr int64_t MaxPictureSide = 1 << 20;

// Bytes in one row of `width` pixels of `bits` bits, padded to 4 bytes.
constexpr int64_t DibRowBytes(int64_t width, int64_t bits) {
    return ((width * bits + 31) & ~int64_t(31)) / 8;
}

// True when width x height pixels may be allocated (both sides >= 1, within the limits).
bool PictureSizeAllowed(int64_t width, int64_t height);

// Depth codes of a pixel buffer: 1, 4, 8, 15 (x555), 16 (565), 24, 32.
constexpr bool ValidDepth(int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 15 || depth == 16 || depth == 24 ||
           depth == 32;
}
constexpr int DepthBits(int depth) { return depth == 15 ? 16 : depth; }

class TPixelBuffer {
public:
    TPixelBuffer() = default;
    // Allocates zeroed memory for width x height pixels of the depth code.
    // Raises EInvalidGraphic for a bad depth or size, EOutOfMemory when the
    // memory cannot be had. Indexed depths get a colour table of 2^bits zero entries.
    TPixelBuffer(int width, int height, int depth);
    TPixelBuffer(const TPixelBuffer& other);
    TPixelBuffer& operator=(const TPixelBuffer& other);
    TPixelBuffer(TPixelBuffer&&) noexcept = default;
    TPixelBuffer& operator=(TPixelBuffer&&) noexcept = default;

    bool Empty() const { return !data_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }
    int BitsPerPixel() const { return DepthBits(depth_); }
    bool Indexed() const { return depth_ <= 8 && depth_ > 0; }
    int64_t RowBytes() const { return rowBytes_; }
    int64_t ByteCount() const { return rowBytes_ * height_; }
    uint8_t* Bits() { return data_.get(); }
    const uint8_t* Bits() const { return data_.get(); }
    // Row `row` from the top; no range check beyond a debug assertion.
    uint8_t* ScanLine(int row) { return data_.get() + rowBytes_ * row; }
    const uint8_t* ScanLine(int row) const { return data_.get() + rowBytes_ * row; }

    // Reading and writing one pixel (for tests and rare callers; loops use ScanLine).
    uint32_t GetIndex(int x, int y) const;          // indexed depths only
    void SetIndex(int x, int y, uint32_t index);    // indexed depths only
    uint32_t GetColor(int x, int y) const;       // any depth; indexed through ColorTable
    void SetColor(int x, int y, uint32_t colour);  // direct depths only

    // Colour values of the colour table (indexed depths); at most 256 entries.
    std::vector<uint32_t> ColorTable;
    // Resolution in pixels per metre; 0 when unknown.
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;

    // A QImage on this memory (no copy) for depths 1, 8, 15, 16, 24 and 32;
    // 4-bit pictures are unpacked into a new 8-bit image. Empty when empty.
    QImage View();
    // The picture as a new 32-bit RGB image (any depth).
    QImage ToRgbImage(int x, int y, int w, int h) const;
    QImage ToRgbImage() const { return ToRgbImage(0, 0, width_, height_); }

private:
    int width_ = 0;
    int height_ = 0;
    int depth_ = 0;
    int64_t rowBytes_ = 0;
    std::unique_ptr<uint8_t[]> data_;
};

// The index of the palette entry nearest to `colour` (least sum of squared byte
// differences; the first entry on a tie; an exact match ends the search). 0 for
// an empty palette.
int NearestColorIndex(const uint32_t* entries, int count, uint32_t colour);

// Converts a QImage of any format to a buffer: Mono/MonoLSB give 1 bit,
// Indexed8 gives 8 bits, everything else 24 bits.
TPixelBuffer PixelBufferFromImage(const QImage& image);

// A GDI bitmap object: shared pixel memory. Empty pointer = no bitmap.
using HBITMAP = std::shared_ptr<TPixelBuffer>;

// A GDI logical palette entry (red, green, blue, flags in this byte order).
struct PALETTEENTRY {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
};

// A GDI palette object. Empty pointer = no palette.
struct TPaletteObject {
    std::vector<PALETTEENTRY> Entries;
};
using HPALETTE = std::shared_ptr<TPaletteObject>;

// Makes a palette object of the given entries (at most 256 kept).
HPALETTE CreatePalette(const std::vector<PALETTEENTRY>& entries);
// Makes a palette object whose entries hold the real red, green and blue of the colour values.
HPALETTE PaletteFromColorTable(const std::vector<uint32_t>& table);
// Colour values of a palette object's entries (red from peRed...).
std::vector<uint32_t> ColorTableFromPalette(const HPALETTE& palette);

}  // namespace lumvor
