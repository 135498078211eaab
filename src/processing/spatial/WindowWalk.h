// The one loop every N x N window filter runs in: it hands a row routine the
// source rows of each output row's window and the output row to write.
//
// Each filter states which output rows and pixels it writes (its borders);
// rows and pixels outside them keep their values. The source rows are kept
// in a ring of N row buffers, each loaded from the picture once and before
// the picture's own row is written, so results never feed later windows and
// no full copy of the picture is needed. Every buffer holds its row with
// Radius pixels of the nearest edge pixel repeated on each side, and window
// rows above the first or below the last row are the first or last row: so a
// window may reach up to Radius pixels or rows beyond the picture, and only
// filters that replicate their edges ask it to.
//
// 24-bit pictures only (Require24Bit); an empty picture, or borders that
// leave no row or no pixel, is left alone. Headless; any thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/lab/Pixels24.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace lumvor {

// Called once per output row written: Row counts from 0, Rows is how many the
// filter writes.
using TRowProgress = std::function<void(int Row, int Rows)>;

// The window and the output rows and pixels a filter writes, inclusive;
// limits past the picture are cut to it.
struct TWindowBorders {
    int Size = 3;  // N, odd, 1..7
    int FirstRow = 0;
    int LastRow = 0;
    int FirstPixel = 0;
    int LastPixel = 0;
};

// The borders that keep Left pixels on the left, Right on the right, Top rows
// at the top and Bottom rows at the bottom of a Width x Height picture.
inline TWindowBorders KeepBorders(int Size, int Width, int Height, int Left, int Top, int Right, int Bottom) {
    return {Size, Top, Height - 1 - Bottom, Left, Width - 1 - Right};
}

inline constexpr int MaxWindowSize = 7;

// The source rows of one window: Rows[i] is window row i (i = 0..Size-1, the
// picture row y - Radius + i); Rows[i][3 x + c] is byte c of pixel x, valid for
// x = -Radius .. width - 1 + Radius.
using TWindowRows = std::array<const uint8_t*, MaxWindowSize>;

// Runs Work(const TWindowRows& Rows, uint8_t* Out, int FirstPixel, int
// LastPixel) for every output row y of the borders, top to bottom; Out is the
// picture's row y, still unchanged when Work starts.
template <class RowWork>
void WalkWindows(TBitmap& Bitmap, const TWindowBorders& Borders, const TRowProgress& Progress, RowWork&& Work) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    const int width = Bitmap.Width();
    const int height = Bitmap.Height();
    const int size = std::clamp(Borders.Size | 1, 1, MaxWindowSize);
    const int radius = size / 2;
    const int firstRow = std::max(Borders.FirstRow, 0);
    const int lastRow = std::min(Borders.LastRow, height - 1);
    const int firstPixel = std::max(Borders.FirstPixel, 0);
    const int lastPixel = std::min(Borders.LastPixel, width - 1);
    if (firstRow > lastRow || firstPixel > lastPixel)
        return;

    const size_t stride = 3 * (size_t(width) + 2 * size_t(radius));
    std::vector<uint8_t> ring(stride * size_t(size));
    // Picture row `row` lives in buffer row mod Size: the Size rows of a
    // window are Size consecutive rows, so they never share a buffer.
    const auto pixelZero = [&](int row) { return ring.data() + size_t(row % size) * stride + 3 * size_t(radius); };
    const auto load = [&](int row) {
        uint8_t* target = pixelZero(row);
        std::memcpy(target, Bitmap.ScanLine(row), 3 * size_t(width));
        for (int x = 1; x <= radius; ++x) {
            std::memcpy(target - 3 * x, target, 3);
            std::memcpy(target + 3 * (width - 1 + x), target + 3 * (width - 1), 3);
        }
    };
    for (int row = std::max(firstRow - radius, 0); row <= std::min(firstRow + radius - 1, height - 1); ++row)
        load(row);

    TWindowRows rows{};
    const int count = lastRow - firstRow + 1;
    for (int y = firstRow; y <= lastRow; ++y) {
        if (y + radius < height)
            load(y + radius);
        for (int i = 0; i < size; ++i)
            rows[size_t(i)] = pixelZero(std::clamp(y - radius + i, 0, height - 1));
        Work(static_cast<const TWindowRows&>(rows), Bitmap.ScanLine(y), firstPixel, lastPixel);
        if (Progress)
            Progress(y - firstRow, count);
    }
}

}  // namespace lumvor
