#include "explorer/ThumbScale.h"

#include "imaging/Helpers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace lumvor {

namespace {

// Blue, green and red of every index of an indexed picture (missing entries black).
using TIndexColors = std::array<std::array<uint8_t, 3>, 256>;

TIndexColors IndexColors(const TPixelBuffer& picture) {
    TIndexColors colors{};
    const size_t count = std::min<size_t>(picture.ColorTable.size(), colors.size());
    for (size_t i = 0; i < count; ++i) {
        const uint32_t value = picture.ColorTable[i];
        colors[i] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
    }
    return colors;
}

// Writes the pixels at the columns `xs` of one source row as blue-green-red
// triples to `out`. `y` is the row's index (for the depths read per pixel).
void ReadColumns(const TPixelBuffer& source, const TIndexColors& colors, int y, const int32_t* xs,
                 int32_t count, uint8_t* out) {
    const uint8_t* row = source.ScanLine(y);
    auto putIndex = [&](int32_t i, unsigned index) { std::memcpy(out + 3 * i, colors[index].data(), 3); };
    switch (source.Depth()) {
    case 1:
        for (int32_t i = 0; i < count; ++i) putIndex(i, (row[xs[i] >> 3] >> (7 - (xs[i] & 7))) & 1);
        break;
    case 4:
        for (int32_t i = 0; i < count; ++i) putIndex(i, (xs[i] & 1) ? row[xs[i] >> 1] & 15 : row[xs[i] >> 1] >> 4);
        break;
    case 8:
        for (int32_t i = 0; i < count; ++i) putIndex(i, row[xs[i]]);
        break;
    case 24:
        for (int32_t i = 0; i < count; ++i) std::memcpy(out + 3 * i, row + 3 * xs[i], 3);
        break;
    case 32:
        for (int32_t i = 0; i < count; ++i) std::memcpy(out + 3 * i, row + 4 * xs[i], 3);
        break;
    default:  // 15 and 16 bits
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t value = source.GetColor(xs[i], y);
            out[3 * i] = uint8_t(value);
            out[3 * i + 1] = uint8_t(value >> 8);
            out[3 * i + 2] = uint8_t(value >> 16);
        }
        break;
    }
}

// The visible part of `dest` inside a picture of width x height.
TRect ClipRect(const TRect& dest, int32_t width, int32_t height) {
    return {std::max(dest.Left, 0), std::max(dest.Top, 0), std::min(dest.Right, width),
            std::min(dest.Bottom, height)};
}

}  // namespace

TRect ThumbFitRect(int32_t width, int32_t height) {
    TFitSize fitted;
    FitSizeInBoxEx(width, height, ThumbFitWidth, ThumbFitHeight, fitted);
    if (fitted.Width <= 0 && fitted.Height <= 0) return {};
    const int32_t w = std::max(fitted.Width, 1);
    const int32_t h = std::max(fitted.Height, 1);
    const int32_t x = (ThumbCellWidth - w) / 2;
    const int32_t y = (ThumbCellHeight - h) / 2;
    return {x, y, x + w, y + h};
}

void FillWhiteCell(TBitmap& cell) {
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(ThumbCellWidth, ThumbCellHeight);
    TPixelBuffer& pixels = *cell.Handle();
    std::memset(pixels.Bits(), 0xFF, static_cast<size_t>(pixels.ByteCount()));
}

void StretchNearest(const TPixelBuffer& source, TPixelBuffer& target, const TRect& dest) {
    if (source.Empty() || target.Empty() || target.Depth() != 24 || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    const TRect visible = ClipRect(dest, target.Width(), target.Height());
    if (visible.Width() <= 0 || visible.Height() <= 0) return;
    const int64_t sw = source.Width(), sh = source.Height();
    const int64_t w = dest.Width(), h = dest.Height();
    std::vector<int32_t> xs(static_cast<size_t>(visible.Width()));
    for (int32_t i = 0; i < visible.Width(); ++i) {
        const int64_t x = visible.Left + i - dest.Left;
        xs[size_t(i)] = static_cast<int32_t>(((2 * x + 1) * sw) / (2 * w));
    }
    const TIndexColors colors = IndexColors(source);
    for (int32_t ty = visible.Top; ty < visible.Bottom; ++ty) {
        const int64_t y = ty - dest.Top;
        const int32_t sy = static_cast<int32_t>(((2 * y + 1) * sh) / (2 * h));
        ReadColumns(source, colors, sy, xs.data(), visible.Width(), target.ScanLine(ty) + 3 * visible.Left);
    }
}

void CopyUnscaled(const TPixelBuffer& source, int32_t width, int32_t height, TPixelBuffer& target, int32_t x,
                  int32_t y) {
    if (source.Empty() || target.Empty() || target.Depth() != 24) return;
    width = std::min(width, source.Width());
    height = std::min(height, source.Height());
    const TRect visible = ClipRect({x, y, x + width, y + height}, target.Width(), target.Height());
    if (visible.Width() <= 0 || visible.Height() <= 0) return;
    std::vector<int32_t> xs(static_cast<size_t>(visible.Width()));
    for (int32_t i = 0; i < visible.Width(); ++i) xs[size_t(i)] = visible.Left - x + i;
    const TIndexColors colors = IndexColors(source);
    for (int32_t ty = visible.Top; ty < visible.Bottom; ++ty)
        ReadColumns(source, colors, ty - y, xs.data(), visible.Width(), target.ScanLine(ty) + 3 * visible.Left);
}

bool ShrinkDibInPlace(TPixelBuffer& picture, int32_t fitWidth, int32_t fitHeight) {
    const int32_t bits = picture.BitsPerPixel();
    const int32_t width = picture.Width(), height = picture.Height();
    if (picture.Empty() || bits < 8 || fitWidth < 1 || fitHeight < 1 || fitWidth > width || fitHeight > height)
        return false;
    // Rows are rewritten top-down; a row must not be read after it was written.
    if (fitHeight == height && height > 1) return false;
    const size_t pixelBytes = static_cast<size_t>(bits / 8);
    std::vector<int32_t> sourceColumn(static_cast<size_t>(fitWidth));
    for (int32_t x = 0; x < fitWidth; ++x) {
        const int64_t sx = fitWidth > 1 ? int64_t(width - 1) * x / (fitWidth - 1) : 0;
        sourceColumn[size_t(x)] = static_cast<int32_t>(std::min<int64_t>(sx, width - 1));
    }
    std::vector<uint8_t> rowBuffer(static_cast<size_t>(picture.RowBytes()));
    for (int32_t y = 0; y < fitHeight; ++y) {
        const int64_t sy = std::min<int64_t>(int64_t(height - 1) * y / fitHeight, height - 1);
        std::memcpy(rowBuffer.data(), picture.ScanLine(static_cast<int>(sy)), rowBuffer.size());
        uint8_t* row = picture.ScanLine(y);
        for (int32_t x = fitWidth - 1; x >= 0; --x)
            std::memcpy(row + pixelBytes * size_t(x), rowBuffer.data() + pixelBytes * size_t(sourceColumn[size_t(x)]),
                        pixelBytes);
    }
    return true;
}

bool ShrinkBitmapInPlace(TBitmap& bitmap, int32_t fitWidth, int32_t fitHeight) {
    if (bitmap.GetEmpty()) return false;
    bitmap.SetPixelFormat(pf24bit);
    return ShrinkDibInPlace(*bitmap.Handle(), fitWidth, fitHeight);
}

}  // namespace lumvor
