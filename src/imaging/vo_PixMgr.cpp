#include "imaging/vo_PixMgr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace lumvor {

namespace {

const char* const kInvalidDepth = "Invalid color depth.";
const char* const kInvalidSamples = "Invalid pixel depth and target samples.";
const char* const kIndexedMix = "Indexed and non-indexed conversion not supported.";
const char* const kConversionFailed = "Color conversion failed.";

bool HasAlpha(uint8_t code) { return code == csGA || code == csRGBA || code == csBGRA; }

uint32_t MaxOf(int bits) { return (uint32_t{1} << bits) - 1; }

// A 16-bit sample as stored: host order (low byte first) or high byte first.
inline uint32_t Read16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t{p[0]} << 8) | p[1] : p[0] | (uint32_t{p[1]} << 8);
}

inline void Write16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline uint32_t ReadSample(const uint8_t* p, int bits, bool bigEndian) {
    return bits == 16 ? Read16(p, bigEndian) : p[0];
}

inline void WriteSample(uint8_t* p, int bits, uint32_t v) {
    if (bits == 16)
        Write16(p, v);
    else
        p[0] = static_cast<uint8_t>(v);
}

// The width rules between 8- and 16-bit samples.
inline uint32_t Rescale(uint32_t v, int from, int to) {
    if (from == to)
        return v;
    if (from == 16)
        return v * 255 / 65535;
    return v * 65535 / 255;
}

inline bool Is8Or16(int bits) { return bits == 8 || bits == 16; }

inline uint8_t NextMaskBit(uint8_t bit) { return static_cast<uint8_t>((bit >> 1) | (bit << 7)); }

// Reads the bits-wide field at bit position pos, most significant bit first.
uint32_t ReadField(const uint8_t* row, int64_t pos, int bits) {
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i, ++pos)
        v = (v << 1) | ((row[pos >> 3] >> (7 - (pos & 7))) & 1u);
    return v;
}

// Writes the bits-wide field at bit position pos, keeping the other bits.
void WriteField(uint8_t* row, int64_t pos, int bits, uint32_t v) {
    if (bits == 8 && (pos & 7) == 0) {
        row[pos >> 3] = static_cast<uint8_t>(v);
        return;
    }
    for (int i = bits - 1; i >= 0; --i, ++pos) {
        uint8_t bit = static_cast<uint8_t>(0x80u >> (pos & 7));
        if ((v >> i) & 1u)
            row[pos >> 3] |= bit;
        else
            row[pos >> 3] &= static_cast<uint8_t>(~bit);
    }
}

inline uint32_t ClampByte(long v) { return static_cast<uint32_t>(std::clamp<long>(v, 0, 255)); }

// Walks the selected pixels of a colour row. The source has `samples` samples
// per pixel of sampleBytes each, in planes or interleaved; the destination
// advances by destStep per pixel. pixel(p, dest) converts one pixel from the
// sample positions p[0..samples-1]; the positions then advance.
template <typename Pixel>
void ForEachColourPixel(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                        int samples, int sampleBytes, bool planar, int destStep, Pixel&& pixel) {
    std::array<const uint8_t*, 4> p{};
    for (int c = 0; c < samples; ++c)
        p[c] = planar ? planes[c] : planes[0] + c * sampleBytes;
    const int sourceStep = planar ? sampleBytes : samples * sampleBytes;
    uint8_t bit = 0x80;
    for (int32_t i = 0; i < count; ++i, dest += destStep, bit = NextMaskBit(bit)) {
        if (!(mask & bit))
            continue;
        pixel(p, dest);
        for (int c = 0; c < samples; ++c)
            p[c] += sourceStep;
    }
}

}  // namespace

TPixelConverter::TPixelConverter() = default;

void TPixelConverter::SetProperty(uint8_t& field, uint8_t value) {
    if (value != field) {
        field = value;
        dirty_ = true;
    }
}

void TPixelConverter::SetDepth(uint8_t& field, uint8_t value) {
    if (value < 1 || value > 16)
        throw EColorConversionError(kInvalidDepth);
    SetProperty(field, value);
}

void TPixelConverter::SetSamples(uint8_t& field, uint8_t value) {
    if (value < 1 || value > 4)
        throw EColorConversionError(kInvalidSamples);
    SetProperty(field, value);
}

void TPixelConverter::SetSourceBitsPerSample(uint8_t value) { SetDepth(sourceBitsPerSample_, value); }
void TPixelConverter::SetDestBitsPerSample(uint8_t value) { SetDepth(destBitsPerSample_, value); }
void TPixelConverter::SetSourceSamples(uint8_t value) { SetSamples(sourceSamples_, value); }
void TPixelConverter::SetDestSamples(uint8_t value) { SetSamples(destSamples_, value); }
void TPixelConverter::SetSourceColorSpace(uint8_t code) { SetProperty(sourceColorSpace_, code); }
void TPixelConverter::SetDestColorSpace(uint8_t code) { SetProperty(destColorSpace_, code); }

void TPixelConverter::SelectRowConverter() {
    rowConverter_ = nullptr;
    const uint8_t src = sourceColorSpace_;
    const uint8_t dst = destColorSpace_;
    const bool srcIndexed = src == csIndexed || src == csG || src == csGA;
    const bool dstIndexed = dst == csIndexed || dst == csG;
    if (srcIndexed != dstIndexed)
        throw EColorConversionError(kIndexedMix);
    SourceOptions = static_cast<uint8_t>(HasAlpha(src) ? SourceOptions | coAlpha : SourceOptions & ~coAlpha);
    DestOptions = static_cast<uint8_t>(HasAlpha(dst) ? DestOptions | coAlpha : DestOptions & ~coAlpha);

    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    const bool toRgb = dst == csRGB || dst == csRGBA;
    const bool toBgr = dst == csBGR || dst == csBGRA;
    // Colour sources choose by the destination's order; other destinations have no routine.
    auto byDest = [&](RowRoutine rgbRoutine, RowRoutine bgrRoutine) -> RowRoutine {
        return toRgb ? rgbRoutine : toBgr ? bgrRoutine : nullptr;
    };
    switch (src) {
    case csIndexed:
        if (sb == 16 && db == 16)
            rowConverter_ = &TPixelConverter::RowIndexed16To16;
        else if (sb == 16)
            rowConverter_ = &TPixelConverter::RowIndexedFrom16;
        else if (db == 16)
            rowConverter_ = &TPixelConverter::RowIndexedTo16;
        else
            rowConverter_ = &TPixelConverter::RowPackedSamples;
        break;
    case csG:
        if (sb != 16 && db != 16)
            rowConverter_ = &TPixelConverter::RowPackedSamples;
        else if (sb >= 8 && db >= 8)
            rowConverter_ = &TPixelConverter::RowSingleSample;
        break;
    case csGA:
        if (Is8Or16(sb) && Is8Or16(db))
            rowConverter_ = &TPixelConverter::RowSingleSample;
        break;
    case csRGB:
    case csRGBA:
        rowConverter_ = byDest(&TPixelConverter::RowRgbToRgb, &TPixelConverter::RowRgbToBgr);
        break;
    case csBGR:
    case csBGRA:
        // BGR to RGB swaps the outer samples like RGB to BGR; BGR to BGR copies.
        rowConverter_ = byDest(&TPixelConverter::RowRgbToBgr, &TPixelConverter::RowRgbToRgb);
        break;
    case csCMYK:
        rowConverter_ = byDest(&TPixelConverter::RowCmykToRgb, &TPixelConverter::RowCmykToBgr);
        break;
    case csCIELab:
        rowConverter_ = byDest(&TPixelConverter::RowLabToRgb, &TPixelConverter::RowLabToBgr);
        break;
    default:
        break;
    }
    dirty_ = false;
}

int TPixelConverter::PlanesNeeded() const {
    switch (sourceColorSpace_) {
    case csRGB:
    case csRGBA:
    case csBGR:
    case csBGRA:
        return planeCount_ > 1 ? ((SourceOptions & coAlpha) ? 4 : 3) : 1;
    case csCMYK:
        return planeCount_ == 4 ? 4 : 1;
    case csCIELab:
        return planeCount_ == 1 ? 1 : 3;
    default:
        return 1;
    }
}

void TPixelConverter::Convert(std::span<const uint8_t* const> planes, uint8_t* dest, int32_t count,
                              uint8_t mask, int32_t planeCount) {
    planeCount_ = planeCount;
    if (dirty_)
        SelectRowConverter();
    if (rowConverter_ == nullptr)
        throw EColorConversionError(kConversionFailed);
    // The routines advance private copies of the caller's pointers.
    std::array<const uint8_t*, 4> copies{};
    const size_t needed = static_cast<size_t>(PlanesNeeded());
    if (planes.size() < needed)
        throw EColorConversionError(kConversionFailed);
    for (size_t i = 0; i < needed; ++i) {
        if (planes[i] == nullptr)
            throw EColorConversionError(kConversionFailed);
        copies[i] = planes[i];
    }
    if (count <= 0)
        return;
    (this->*rowConverter_)(copies.data(), dest, count, mask);
}

// ---- Indexed and grey rows

void TPixelConverter::RowPackedSamples(const uint8_t* const* planes, uint8_t* dest, int32_t count,
                                       uint8_t mask) {
    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    if (sb == db && mask == 0xFF) {
        std::memcpy(dest, planes[0], static_cast<size_t>((int64_t{sb} * count + 7) / 8));
        return;
    }
    const uint8_t* src = planes[0];
    const uint32_t srcMax = MaxOf(sb);
    const uint32_t dstMax = MaxOf(db);
    int64_t srcPos = 0;
    uint8_t bit = 0x80;
    for (int64_t i = 0; i < count; ++i, bit = NextMaskBit(bit)) {
        if (mask & bit) {
            uint32_t v = ReadField(src, srcPos, sb);
            srcPos += sb;
            WriteField(dest, i * db, db, v * dstMax / srcMax);
        }
    }
}

void TPixelConverter::RowIndexed16To16(const uint8_t* const* planes, uint8_t* dest, int32_t count,
                                       uint8_t mask) {
    const bool swap = SourceOptions & coBigEndian;
    if (mask == 0xFF && !swap) {
        std::memcpy(dest, planes[0], static_cast<size_t>(count) * 2);
        return;
    }
    const uint8_t* src = planes[0];
    uint8_t bit = 0x80;
    for (int32_t i = 0; i < count; ++i, dest += 2, bit = NextMaskBit(bit)) {
        if (mask & bit) {
            Write16(dest, Read16(src, swap));
            src += 2;
        }
    }
}

void TPixelConverter::RowIndexedFrom16(const uint8_t* const* planes, uint8_t* dest, int32_t count,
                                       uint8_t mask) {
    const bool swap = SourceOptions & coBigEndian;
    const int db = destBitsPerSample_;
    const uint32_t dstMax = MaxOf(db);
    const uint8_t* src = planes[0];
    uint8_t bit = 0x80;
    for (int64_t i = 0; i < count; ++i, bit = NextMaskBit(bit)) {
        if (mask & bit) {
            uint32_t v = Read16(src, swap);
            src += 2;
            WriteField(dest, i * db, db, v * dstMax / 65535);
        }
    }
}

void TPixelConverter::RowIndexedTo16(const uint8_t* const* planes, uint8_t* dest, int32_t count,
                                     uint8_t mask) {
    const bool swap = SourceOptions & coBigEndian;
    const int sb = sourceBitsPerSample_;
    const uint32_t srcMax = MaxOf(sb);
    const uint8_t* src = planes[0];
    int64_t srcPos = 0;
    uint8_t bit = 0x80;
    for (int32_t i = 0; i < count; ++i, dest += 2, bit = NextMaskBit(bit)) {
        if (mask & bit) {
            uint32_t v = ReadField(src, srcPos, sb) * 65535 / srcMax;
            srcPos += sb;
            if (swap)
                v = ((v & 0xFF) << 8) | (v >> 8);
            Write16(dest, v);
        }
    }
}

void TPixelConverter::RowSingleSample(const uint8_t* const* planes, uint8_t* dest, int32_t count,
                                      uint8_t mask) {
    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    if (!Is8Or16(sb) || !Is8Or16(db))
        return;
    const bool swap = SourceOptions & coBigEndian;
    const int srcStep = (sb / 8) * ((SourceOptions & coAlpha) ? 2 : 1);
    const int dstStep = db / 8;
    const uint8_t* src = planes[0];
    uint8_t bit = 0x80;
    for (int32_t i = 0; i < count; ++i, dest += dstStep, bit = NextMaskBit(bit)) {
        if (mask & bit) {
            WriteSample(dest, db, Rescale(ReadSample(src, sb, swap), sb, db));
            src += srcStep;
        }
    }
}

// ---- Colour rows

void TPixelConverter::RowRgbToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowColor(planes, dest, count, mask, false);
}

void TPixelConverter::RowRgbToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowColor(planes, dest, count, mask, true);
}

void TPixelConverter::RowColor(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                               bool swapOuter) {
    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    if (!Is8Or16(sb) || !Is8Or16(db))
        return;
    const bool swap = SourceOptions & coBigEndian;
    const bool srcAlpha = SourceOptions & coAlpha;
    const bool dstAlpha = DestOptions & coAlpha;
    const int sBytes = sb / 8;
    const int dBytes = db / 8;
    const int dStep = (dstAlpha ? 4 : 3) * dBytes;
    const int nSrc = srcAlpha ? 4 : 3;
    const int outer0 = swapOuter ? 2 : 0;
    const int outer2 = swapOuter ? 0 : 2;
    ForEachColourPixel(planes, dest, count, mask, nSrc, sBytes, planeCount_ > 1, dStep,
                       [&](const std::array<const uint8_t*, 4>& p, uint8_t* d) {
        WriteSample(d + outer0 * dBytes, db, Rescale(ReadSample(p[0], sb, swap), sb, db));
        WriteSample(d + dBytes, db, Rescale(ReadSample(p[1], sb, swap), sb, db));
        WriteSample(d + outer2 * dBytes, db, Rescale(ReadSample(p[2], sb, swap), sb, db));
        if (srcAlpha && dstAlpha)
            WriteSample(d + 3 * dBytes, db, Rescale(ReadSample(p[3], sb, swap), sb, db));
    });
}

void TPixelConverter::RowCmykToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowCmyk(planes, dest, count, mask, false);
}

void TPixelConverter::RowCmykToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowCmyk(planes, dest, count, mask, true);
}

// Black is added to each ink and the sum inverted: red from cyan, green from
// magenta, blue from yellow.
void TPixelConverter::RowCmyk(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                              bool bgr) {
    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    if (!Is8Or16(sb) || !Is8Or16(db))
        return;
    const bool swap = SourceOptions & coBigEndian;
    const int sBytes = sb / 8;
    const int dBytes = db / 8;
    const int dStep = ((DestOptions & coAlpha) ? 4 : 3) * dBytes;
    ForEachColourPixel(planes, dest, count, mask, 4, sBytes, planeCount_ == 4, dStep,
                       [&](const std::array<const uint8_t*, 4>& p, uint8_t* d) {
        const uint32_t k = ReadSample(p[3], sb, swap);
        for (int c = 0; c < 3; ++c) {
            const uint32_t x = ReadSample(p[c], sb, swap);
            uint32_t v;
            if (sb == 8) {
                v = ClampByte(255 - static_cast<long>(x - x * k / 255 + k));
                if (db == 16)
                    v = v * 65535 / 255;
            } else {
                const uint32_t t = (x - x * k / 65535 + k) & 0xFFFF;
                v = db == 8 ? ClampByte(255 - static_cast<long>(t * 255 / 65535)) : 65535 - t;
            }
            WriteSample(d + (bgr ? 2 - c : c) * dBytes, db, v);
        }
    });
}

void TPixelConverter::RowLabToRgb(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowLab(planes, dest, count, mask, false);
}

void TPixelConverter::RowLabToBgr(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask) {
    RowLab(planes, dest, count, mask, true);
}

// 16-bit L*a*b* samples are first reduced to 8 bits by the width rules and then
// read like 8-bit samples.
void TPixelConverter::RowLab(const uint8_t* const* planes, uint8_t* dest, int32_t count, uint8_t mask,
                             bool bgr) {
    const int sb = sourceBitsPerSample_;
    const int db = destBitsPerSample_;
    if (!Is8Or16(sb) || !Is8Or16(db))
        return;
    const bool swap = SourceOptions & coBigEndian;
    const bool lByteRange = SourceOptions & coLabByteRange;
    const bool chromaOffset = SourceOptions & coLabChromaOffset;
    const int sBytes = sb / 8;
    const int dBytes = db / 8;
    const int dStep = ((DestOptions & coAlpha) ? 4 : 3) * dBytes;
    using real = long double;
    ForEachColourPixel(planes, dest, count, mask, 3, sBytes, planeCount_ != 1, dStep,
                       [&](const std::array<const uint8_t*, 4>& p, uint8_t* d) {
        const uint32_t ls = Rescale(ReadSample(p[0], sb, swap), sb, 8);
        const uint32_t as = Rescale(ReadSample(p[1], sb, swap), sb, 8);
        const uint32_t bs = Rescale(ReadSample(p[2], sb, swap), sb, 8);
        const real l = lByteRange ? real(ls) * 100 / 255 : real(ls);
        const real a = chromaOffset ? real(int(as) - 128) : real(static_cast<int8_t>(as));
        const real b = chromaOffset ? real(int(bs) - 128) : real(static_cast<int8_t>(bs));
        const real fy = (l + 16) * (real(1) / 116);
        real x, y, z;
        if (l >= real(7.9996L)) {
            const real fx = fy + a * real(0.002L);
            const real fz = fy - b * real(0.005L);
            x = fx * fx * fx;
            y = fy * fy * fy;
            z = fz * fz * fz;
        } else {
            y = l * (real(1) / real(903.3L));
            x = y + a * (real(1) / real(3893.5L));
            z = y - b * (real(1) / real(1557.4L));
        }
        const real rgb[3] = {
            real(2.998L) * x - real(1.458L) * y - real(0.541L) * z,
            real(-0.952L) * x + real(1.893L) * y + real(0.059L) * z,
            real(0.099L) * x - real(0.198L) * y + real(1.099L) * z,
        };
        for (int c = 0; c < 3; ++c) {
            // Halves round to even under the default rounding mode.
            const real scaled = std::nearbyint(rgb[c] * 255);
            uint32_t v = scaled <= 0 ? 0 : scaled >= 255 ? 255 : static_cast<uint32_t>(scaled);
            if (db == 16)
                v = v * 65535 / 255;
            WriteSample(d + (bgr ? 2 - c : c) * dBytes, db, v);
        }
    });
}

// ---- Formats and palettes

TPixelFormat TPixelConverter::PixelFormatFor(int side) const {
    const int samples = side == 0 ? sourceSamples_ : destSamples_;
    const int bits = side == 0 ? sourceBitsPerSample_ : destBitsPerSample_;
    switch (samples) {
    case 1:
        if (bits == 1)
            return pf1bit;
        if (bits <= 4)
            return pf4bit;
        if (bits >= 8)
            return pf8bit;
        return pfCustom;
    case 3:
        return bits <= 5 ? pf15bit : pf24bit;
    case 4:
        return bits >= 8 ? pf32bit : pfCustom;
    default:
        return pfCustom;
    }
}

HPALETTE TPixelConverter::CreatePaletteFromMap(std::span<const uint8_t* const> planes, int32_t count,
                                               uint8_t layout, bool reversed) const {
    std::array<PALETTEENTRY, 256> entries{};
    int n = std::clamp<int32_t>(count, 0, 256);
    const bool swap = SourceOptions & coBigEndian;
    const bool wide = layout >= 4 && layout <= 7;
    const int step = (layout == 0 || layout == 4) ? 3 : (layout == 1 || layout == 5) ? 4 : 1;
    const bool separate = layout == 2 || layout == 3 || layout == 6 || layout == 7;
    const size_t needed = separate ? 3 : 1;
    if (layout <= 7 && planes.size() >= needed) {
        auto sample = [&](int plane, int index) -> uint8_t {
            const uint8_t* base = planes[plane];
            if (wide)
                return static_cast<uint8_t>(Read16(base + 2 * index, swap) * 255 / 65535);
            return base[index];
        };
        for (int i = 0; i < n; ++i) {
            uint8_t c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = separate ? sample(k, i) : sample(0, step * i + k);
            PALETTEENTRY& e = entries[i];
            if (!separate && reversed) {
                e.peRed = c[2];
                e.peGreen = c[1];
                e.peBlue = c[0];
            } else {
                e.peRed = c[0];
                e.peGreen = c[1];
                e.peBlue = c[2];
            }
        }
    }
    // Spread or gather the entries over the destination's index range. Entries
    // past the table read as black.
    const int db = destBitsPerSample_;
    const uint32_t srcMax = MaxOf(sourceBitsPerSample_);
    const uint32_t dstMax = MaxOf(db);
    if (db <= 8 && srcMax != dstMax) {
        auto from = [&](uint32_t i) {
            uint32_t j = static_cast<uint32_t>(uint64_t{i} * srcMax / dstMax);
            return j < entries.size() ? entries[j] : PALETTEENTRY{};
        };
        if (srcMax < dstMax) {
            for (int i = static_cast<int>(dstMax); i >= 0; --i)
                entries[i] = from(static_cast<uint32_t>(i));
        } else {
            for (uint32_t i = 0; i <= dstMax; ++i)
                entries[i] = from(i);
        }
        n = static_cast<int>(dstMax) + 1;
    }
    return CreatePalette(std::vector<PALETTEENTRY>(entries.begin(), entries.begin() + n));
}

HPALETTE TPixelConverter::CreateGrayPalette(bool descending) const {
    const int n = std::min(destBitsPerSample_ * destSamples_, 8);
    const int count = 1 << n;
    const int step = 255 / (count - 1);
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const uint8_t level = static_cast<uint8_t>(i * step);
        PALETTEENTRY& e = entries[descending ? count - 1 - i : i];
        e.peRed = e.peGreen = e.peBlue = level;
    }
    return CreatePalette(entries);
}

}  // namespace lumvor
