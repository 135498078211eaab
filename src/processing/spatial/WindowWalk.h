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
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/Pixels24.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
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
    WalkWindowsInto(Bitmap, Bitmap, Borders, Progress, std::forward<RowWork>(Work));
}

// The same walk with the windows read from Source and the rows written into
// Target (it may be Source itself); Target becomes a picture of Source's size
// and depth, in its own memory where that has the size and no other picture
// shares it. Rows and pixels outside the borders come out as Source has them;
// Work must write every pixel of Out between the borders, whose old values
// it cannot rely on (the window rows hold Source's).
template <class RowWork>
void WalkWindowsInto(const TBitmap& Source, TBitmap& Target, const TWindowBorders& Borders,
                     const TRowProgress& Progress, RowWork&& Work) {
    Require24Bit(Source);
    if (LabEmpty(Source))
        return;
    const TBitmap& Bitmap = Source;
    const int width = Bitmap.Width();
    const int height = Bitmap.Height();
    const bool inPlace = &Source == &Target;
    if (!inPlace) {
        // Target's own memory is written only when no other picture shares it.
        const HBITMAP own = Target.Handle();
        if (!own || own.use_count() != 2 || Target.Width() != width || Target.Height() != height ||
            Target.PixelFormat() != Source.PixelFormat())
            Target.Assign(&Source);
    }
    const auto copyRow = [&](int row) {
        if (!inPlace)
            std::memcpy(Target.ScanLine(row), Source.ScanLine(row), 3 * size_t(width));
    };
    const int size = std::clamp(Borders.Size | 1, 1, MaxWindowSize);
    const int radius = size / 2;
    const int firstRow = std::max(Borders.FirstRow, 0);
    const int lastRow = std::min(Borders.LastRow, height - 1);
    const int firstPixel = std::max(Borders.FirstPixel, 0);
    const int lastPixel = std::min(Borders.LastPixel, width - 1);
    if (firstRow > lastRow || firstPixel > lastPixel) {
        for (int row = 0; row < height; ++row)
            copyRow(row);
        return;
    }
    for (int row = 0; row < firstRow; ++row)
        copyRow(row);

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
        if (!inPlace) {
            // Work writes every pixel between the borders.
            uint8_t* out = Target.ScanLine(y);
            const uint8_t* in = Source.ScanLine(y);
            std::memcpy(out, in, 3 * size_t(firstPixel));
            std::memcpy(out + 3 * (lastPixel + 1), in + 3 * (lastPixel + 1), 3 * size_t(width - 1 - lastPixel));
        }
        Work(static_cast<const TWindowRows&>(rows), Target.ScanLine(y), firstPixel, lastPixel);
        if (Progress)
            Progress(y - firstRow, count);
    }
    for (int row = lastRow + 1; row < height; ++row)
        copyRow(row);
}

// WalkWindowsInto over 3 x 3 windows, keeping a border of one pixel on the
// left, top and right and two rows at the bottom; when Change is given, the
// sum of the squared changes Work makes between the borders is added to it.
template <class RowWork>
void Walk3x3Into(const TBitmap& Source, TBitmap& Target, const TRowProgress& Progress, int64_t* Change,
                 RowWork&& Work) {
    const auto borders = KeepBorders(3, Source.Width(), Source.Height(), 1, 1, 1, 2);
    WalkWindowsInto(Source, Target, borders, Progress, [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        Work(rows, out, first, last);
        if (Change)
            *Change += SumSquaredDifferences(out + 3 * first, rows[1] + 3 * first, 3 * (last - first + 1));
    });
}

}  // namespace lumvor
