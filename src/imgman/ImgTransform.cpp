#include "imgman/ImgTransform.h"

#include "platform/Graphics.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace lumvor::imgman {

namespace {

constexpr int FullTurn = 36000;
constexpr int QuarterTurn = 9000;

int NormalAngle(int angle) { return ((angle % FullTurn) + FullTurn) % FullTurn; }

TPixelBuffer LikeSource(const TPixelBuffer& source, int width, int height, int depth) {
    TPixelBuffer out(width, height, depth);
    out.XPelsPerMeter = source.XPelsPerMeter;
    out.YPelsPerMeter = source.YPelsPerMeter;
    if (out.Indexed())
        out.ColorTable = source.ColorTable;
    return out;
}

// ---- Rows of 1- and 4-bit pixels as one byte per pixel

void UnpackRow(const uint8_t* row, int width, int bits, uint8_t* indices) {
    if (bits == 1) {
        for (int x = 0; x < width; ++x)
            indices[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    } else {
        for (int x = 0; x < width; ++x)
            indices[x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    }
}

void PackRow(const uint8_t* indices, int width, int bits, uint8_t* row) {
    std::memset(row, 0, size_t((int64_t(width) * bits + 7) / 8));
    if (bits == 1) {
        for (int x = 0; x < width; ++x)
            row[x >> 3] |= uint8_t((indices[x] & 1) << (7 - (x & 7)));
    } else {
        for (int x = 0; x < width; ++x)
            row[x >> 1] |= uint8_t((indices[x] & 0x0F) << ((x & 1) ? 0 : 4));
    }
}

// A 1- or 4-bit picture as an 8-bit picture of the same indices and table.
TPixelBuffer Unpacked(const TPixelBuffer& source) {
    TPixelBuffer out = LikeSource(source, source.Width(), source.Height(), 8);
    for (int y = 0; y < source.Height(); ++y)
        UnpackRow(source.ScanLine(y), source.Width(), source.Depth(), out.ScanLine(y));
    return out;
}

// An 8-bit picture of indices below 2^depth packed back into `depth` bits.
TPixelBuffer Packed(const TPixelBuffer& eight, int depth) {
    TPixelBuffer out = LikeSource(eight, eight.Width(), eight.Height(), depth);
    out.ColorTable = eight.ColorTable;
    for (int y = 0; y < eight.Height(); ++y)
        PackRow(eight.ScanLine(y), eight.Width(), depth, out.ScanLine(y));
    return out;
}

// Any picture at 24 bits (indexed pictures through their table).
TPixelBuffer As24Bit(const TPixelBuffer& source) {
    if (source.Depth() == 24)
        return source;
    if (!source.Indexed())
        return ConvertPixels(source, 24, {});
    TPixelBuffer out = LikeSource(source, source.Width(), source.Height(), 24);
    std::vector<uint32_t> table(256, 0);
    std::copy_n(source.ColorTable.begin(), std::min<size_t>(256, source.ColorTable.size()), table.begin());
    std::vector<uint8_t> indices(size_t(source.Width()));
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* row = source.ScanLine(y);
        if (source.Depth() < 8)
            UnpackRow(row, source.Width(), source.Depth(), indices.data());
        else
            std::copy_n(row, source.Width(), indices.data());
        uint8_t* target = out.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x) {
            const uint32_t colour = table[indices[size_t(x)]];
            target[3 * x] = uint8_t(colour);
            target[3 * x + 1] = uint8_t(colour >> 8);
            target[3 * x + 2] = uint8_t(colour >> 16);
        }
    }
    return out;
}

// ---- Mirroring

template <int Bytes>
void ReverseRow(uint8_t* row, int width) {
    uint8_t* left = row;
    uint8_t* right = row + int64_t(width - 1) * Bytes;
    while (left < right) {
        for (int c = 0; c < Bytes; ++c)
            std::swap(left[c], right[c]);
        left += Bytes;
        right -= Bytes;
    }
}

void MirrorRows(TPixelBuffer& pixels) {
    const int width = pixels.Width();
    std::vector<uint8_t> indices(static_cast<size_t>(width));
    for (int y = 0; y < pixels.Height(); ++y) {
        uint8_t* row = pixels.ScanLine(y);
        switch (pixels.BitsPerPixel()) {
        case 1:
        case 4:
            UnpackRow(row, width, pixels.Depth(), indices.data());
            std::reverse(indices.begin(), indices.end());
            PackRow(indices.data(), width, pixels.Depth(), row);
            break;
        case 8: ReverseRow<1>(row, width); break;
        case 16: ReverseRow<2>(row, width); break;
        case 24: ReverseRow<3>(row, width); break;
        default: ReverseRow<4>(row, width); break;
        }
    }
}

void SwapRows(TPixelBuffer& pixels) {
    const size_t bytes = size_t(pixels.RowBytes());
    for (int top = 0, bottom = pixels.Height() - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.ScanLine(top), pixels.ScanLine(top) + bytes, pixels.ScanLine(bottom));
}

// ---- Quarter turns

// Target pixel (x, y) comes from source byte offset origin + x * stepX + y * stepY.
struct TQuarterMap {
    int64_t Origin = 0;
    int64_t StepX = 0;
    int64_t StepY = 0;
};

TQuarterMap QuarterMap(const TPixelBuffer& source, int angle, int bytes) {
    const int64_t rowBytes = source.RowBytes();
    const int64_t lastX = int64_t(source.Width() - 1) * bytes;
    const int64_t lastY = int64_t(source.Height() - 1) * rowBytes;
    switch (angle) {
    case QuarterTurn:  // target (x, y) = source (w-1-y, x)
        return {lastX, rowBytes, -bytes};
    case 2 * QuarterTurn:  // source (w-1-x, h-1-y)
        return {lastX + lastY, -bytes, -rowBytes};
    default:  // three quarters: source (y, h-1-x)
        return {lastY, -rowBytes, bytes};
    }
}

template <int Bytes>
void TurnQuarters(const TPixelBuffer& source, TPixelBuffer& target, const TQuarterMap& map) {
    // Square tiles keep the source rows one tile touches in the cache.
    constexpr int Tile = 64;
    const uint8_t* base = source.Bits() + map.Origin;
    for (int ty = 0; ty < target.Height(); ty += Tile) {
        const int yEnd = std::min(ty + Tile, target.Height());
        for (int tx = 0; tx < target.Width(); tx += Tile) {
            const int xEnd = std::min(tx + Tile, target.Width());
            for (int y = ty; y < yEnd; ++y) {
                uint8_t* out = target.ScanLine(y) + int64_t(tx) * Bytes;
                const uint8_t* in = base + int64_t(tx) * map.StepX + int64_t(y) * map.StepY;
                for (int x = tx; x < xEnd; ++x, out += Bytes, in += map.StepX)
                    std::memcpy(out, in, Bytes);
            }
        }
    }
}

TPixelBuffer TurnByQuarters(const TPixelBuffer& source, int angle) {
    if (angle == 0)
        return source;
    if (source.Depth() < 8)
        return Packed(TurnByQuarters(Unpacked(source), angle), source.Depth());
    const bool sideways = angle != 2 * QuarterTurn;
    TPixelBuffer target = LikeSource(source, sideways ? source.Height() : source.Width(),
                                     sideways ? source.Width() : source.Height(), source.Depth());
    if (sideways)
        std::swap(target.XPelsPerMeter, target.YPelsPerMeter);
    const int bytes = source.BitsPerPixel() / 8;
    const TQuarterMap map = QuarterMap(source, angle, bytes);
    switch (bytes) {
    case 1: TurnQuarters<1>(source, target, map); break;
    case 2: TurnQuarters<2>(source, target, map); break;
    case 3: TurnQuarters<3>(source, target, map); break;
    default: TurnQuarters<4>(source, target, map); break;
    }
    return target;
}

// ---- Any other angle

// Fixed point of the sampling positions: 24 fractional bits, of which the top
// 8 are the bilinear weight.
constexpr int FractionBits = 24;
constexpr double FixedOne = double(int64_t(1) << FractionBits);

struct TSampler {
    const TPixelBuffer& Source;
    uint8_t Fill[3];

    // One channel blended from the four neighbours' values.
    static uint8_t Blend(unsigned p00, unsigned p01, unsigned p10, unsigned p11, unsigned fx, unsigned fy) {
        const unsigned top = p00 * (256 - fx) + p01 * fx;
        const unsigned bottom = p10 * (256 - fx) + p11 * fx;
        return uint8_t((top * (256 - fy) + bottom * fy + 32768) >> 16);
    }

    const uint8_t* PixelOrFill(int x, int y) const {
        if (x < 0 || y < 0 || x >= Source.Width() || y >= Source.Height())
            return Fill;
        return Source.ScanLine(y) + int64_t(x) * 3;
    }

    void SampleRow(uint8_t* out, int count, int64_t sx, int64_t sy, int64_t dx, int64_t dy) const {
        const int width = Source.Width(), height = Source.Height();
        const int64_t rowBytes = Source.RowBytes();
        const uint8_t* bits = Source.Bits();
        for (int i = 0; i < count; ++i, out += 3, sx += dx, sy += dy) {
            const int x0 = int(sx >> FractionBits), y0 = int(sy >> FractionBits);
            const unsigned fx = unsigned(sx >> (FractionBits - 8)) & 255;
            const unsigned fy = unsigned(sy >> (FractionBits - 8)) & 255;
            if (unsigned(x0) < unsigned(width - 1) && unsigned(y0) < unsigned(height - 1)) {
                const uint8_t* p = bits + int64_t(y0) * rowBytes + int64_t(x0) * 3;
                const uint8_t* q = p + rowBytes;
                out[0] = Blend(p[0], p[3], q[0], q[3], fx, fy);
                out[1] = Blend(p[1], p[4], q[1], q[4], fx, fy);
                out[2] = Blend(p[2], p[5], q[2], q[5], fx, fy);
            } else if (x0 < -1 || y0 < -1 || x0 >= width || y0 >= height) {
                std::memcpy(out, Fill, 3);
            } else {
                const uint8_t* p00 = PixelOrFill(x0, y0);
                const uint8_t* p01 = PixelOrFill(x0 + 1, y0);
                const uint8_t* p10 = PixelOrFill(x0, y0 + 1);
                const uint8_t* p11 = PixelOrFill(x0 + 1, y0 + 1);
                for (int c = 0; c < 3; ++c)
                    out[c] = Blend(p00[c], p01[c], p10[c], p11[c], fx, fy);
            }
        }
    }
};

double Radians(int angle) { return angle / 100.0 * std::numbers::pi / 180.0; }

TPixelBuffer TurnByAngle(const TPixelBuffer& picture, int angle, uint32_t fill) {
    const TPixelBuffer source = As24Bit(picture);
    const TTurnedSize size = TurnedSize(source.Width(), source.Height(), angle);
    TPixelBuffer target = LikeSource(source, size.Width, size.Height, 24);
    const double c = std::cos(Radians(angle)), s = std::sin(Radians(angle));
    const TSampler sampler{source, {uint8_t(fill), uint8_t(fill >> 8), uint8_t(fill >> 16)}};
    // A target pixel centre at (tx, ty) from the target's centre comes from
    // (tx c - ty s, tx s + ty c) from the source's centre (y pointing down).
    const double firstX = 0.5 - size.Width / 2.0;
    for (int y = 0; y < size.Height; ++y) {
        const double ty = y + 0.5 - size.Height / 2.0;
        const double sx = firstX * c - ty * s + source.Width() / 2.0 - 0.5;
        const double sy = firstX * s + ty * c + source.Height() / 2.0 - 0.5;
        sampler.SampleRow(target.ScanLine(y), size.Width, std::llround(sx * FixedOne), std::llround(sy * FixedOne),
                          std::llround(c * FixedOne), std::llround(s * FixedOne));
    }
    return target;
}

}  // namespace

void MirrorPixels(TPixelBuffer& pixels, bool vertical, bool horizontal) {
    if (pixels.Empty())
        return;
    if (vertical)
        SwapRows(pixels);
    if (horizontal)
        MirrorRows(pixels);
}

TTurnedSize TurnedSize(int width, int height, int angle) {
    const int a = NormalAngle(angle);
    if (a % QuarterTurn == 0)
        return a % (2 * QuarterTurn) == 0 ? TTurnedSize{width, height} : TTurnedSize{height, width};
    const double c = std::abs(std::cos(Radians(a))), s = std::abs(std::sin(Radians(a)));
    auto side = [](double extent) { return std::max(1, int(std::ceil(extent - 1e-6))); };
    return {side(width * c + height * s), side(width * s + height * c)};
}

TPixelBuffer RotatePixels(const TPixelBuffer& source, int angle, uint32_t fill) {
    if (source.Empty())
        throw EInvalidGraphic("The picture to turn is empty.");
    const int a = NormalAngle(angle);
    if (a % QuarterTurn == 0)
        return TurnByQuarters(source, a);
    return TurnByAngle(source, a, fill);
}

}  // namespace lumvor::imgman
