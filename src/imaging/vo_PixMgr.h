// Pixel conversion: turns rows of samples in one colour space, sample width and
// layout into the rows a bitmap expects, and builds palettes from colour maps
// and grey ramps.
//
// The converter holds no pixel data and allocates nothing per row. The row
// routine is chosen once per change of a property and then run for each row.
// Errors are raised as EColorConversionError.
#pragma once

#include "platform/Graphics.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <span>

namespace lumvor {

LUMVOR_EXCEPTION(EColorConversionError, Exception);

// Colour-space codes.
enum : uint8_t {
    csIndexed = 1,   // palette indices
    csG = 2,         // grey
    csGA = 3,        // grey, alpha
    csRGB = 4,       // red, green, blue
    csRGBA = 5,      // red, green, blue, alpha
    csBGR = 6,       // blue, green, red: 24-bit bitmap rows
    csBGRA = 7,      // blue, green, red, alpha: 32-bit bitmap rows
    csReserved = 8,  // nothing converts from or to it
    csCMYK = 9,      // cyan, magenta, yellow, black
    csCIELab = 10,   // L*, a*, b*
};

// Option bits of SourceOptions and DestOptions.
enum : uint8_t {
    coAlpha = 0x01,              // the side has alpha (kept by SelectRowConverter)
    coBigEndian = 0x04,          // 16-bit source samples are stored high byte first
    coLabByteRange = 0x08,       // L* is stored as 0..255 rather than 0..100
    coLabChromaOffset = 0x10,    // a* and b* are stored as unsigned bytes offset by 128
};

class TPixelConverter {
public:
    TPixelConverter();

    uint8_t SourceBitsPerSample() const { return sourceBitsPerSample_; }
    uint8_t DestBitsPerSample() const { return destBitsPerSample_; }
    uint8_t SourceSamples() const { return sourceSamples_; }
    uint8_t DestSamples() const { return destSamples_; }
    uint8_t SourceColorSpace() const { return sourceColorSpace_; }
    uint8_t DestColorSpace() const { return destColorSpace_; }
    int32_t PlaneCount() const { return planeCount_; }
    bool Dirty() const { return dirty_; }

    // 1..16, else "Invalid color depth." and the value is kept.
    void SetSourceBitsPerSample(uint8_t value);
    void SetDestBitsPerSample(uint8_t value);
    // 1..4, else "Invalid pixel depth and target samples." and the value is kept.
    void SetSourceSamples(uint8_t value);
    void SetDestSamples(uint8_t value);
    // Not validated: an unusable code is reported when a row is converted.
    void SetSourceColorSpace(uint8_t code);
    void SetDestColorSpace(uint8_t code);

    // Flag bytes; callers set the co... bits 2 to 4 directly. Bit 0 is
    // rewritten by SelectRowConverter.
    uint8_t SourceOptions = 0;
    uint8_t DestOptions = 0;

    // Converts one row of count pixels. planes holds one pointer per source
    // plane, or one pointer to interleaved samples; planeCount tells the layout.
    // Pixel i is converted only when bit (7 - i mod 8) of mask is set; an
    // unselected pixel keeps its destination and consumes no source pixel.
    void Convert(std::span<const uint8_t* const> planes, uint8_t* dest, int32_t count,
                 uint8_t mask, int32_t planeCount);

    // Chooses the row routine for the current properties.
    void SelectRowConverter();
    bool HasRowConverter() const { return rowConverter_ != nullptr; }

    // The bitmap pixel format that fits the source (side 0) or destination
    // (side 1 or more) sample count and width.
    TPixelFormat PixelFormatFor(int side) const;

    // Builds a palette from a colour map. layout: 0 8-bit triples, 1 8-bit
    // quadruples, 2 and 3 three 8-bit arrays (red, green, blue), 4 16-bit
    // triples, 5 16-bit quadruples, 6 and 7 three 16-bit arrays. Triples and
    // quadruples hold red, green, blue, or blue, green, red when reversed.
    // The map must hold count entries in its layout.
    HPALETTE CreatePaletteFromMap(std::span<const uint8_t* const> planes, int32_t count,
                                  uint8_t layout, bool reversed) const;
    // A grey ramp for the destination depth (at most 256 entries), black first
    // or, when descending, white first.
    HPALETTE CreateGrayPalette(bool descending) const;

private:
    using RowRoutine = void (TPixelConverter::*)(const uint8_t* const* planes, uint8_t* dest,
                                                 int32_t count, uint8_t mask);

    void RowPackedSamples(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowIndexed16To16(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowIndexedFrom16(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowIndexedTo16(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowSingleSample(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowRgbToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowRgbToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowCmykToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowCmykToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowLabToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);
    void RowLabToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask);

    void RowColor(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                  bool swapOuter);
    void RowCmyk(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                 bool bgr);
    void RowLab(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                bool bgr);
    // Stores a changed value and marks the routine for re-selection.
    void SetProperty(uint8_t& field, uint8_t value);
    void SetDepth(uint8_t& field, uint8_t value);
    void SetSamples(uint8_t& field, uint8_t value);
    // How many source planes the chosen routine reads under planeCount_.
    int PlanesNeeded() const;

    int32_t planeCount_ = 0;
    bool dirty_ = true;
    uint8_t sourceBitsPerSample_ = 8;
    uint8_t destBitsPerSample_ = 8;
    uint8_t sourceSamples_ = 3;
    uint8_t destSamples_ = 3;
    uint8_t sourceColorSpace_ = csRGB;
    uint8_t destColorSpace_ = csBGR;
    RowRoutine rowConverter_ = nullptr;
};

}  // namespace lumvor
