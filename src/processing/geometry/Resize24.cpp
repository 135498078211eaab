#include "processing/geometry/Resize24.h"

#include "processing/lab/Pixels24.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace lumvor {

namespace {

// Gives the target new, black 24-bit pixels of the size.
void NewTarget(TBitmap& Target, int Width, int Height) {
    Target.SetHandle(std::make_shared<TPixelBuffer>(Width, Height, 24));
}

}  // namespace

void InterpolateCopy(const TBitmap& Source, TBitmap& Target, int Width, int Height) {
    Require24Bit(Source);
    if (LabEmpty(Source)) {
        Target.SetHandle(nullptr);
        return;
    }
    NewTarget(Target, Width, Height);
    const int64_t sourceWidth = Source.Width(), sourceHeight = Source.Height();
    // Byte offset of each target column's source pixel within a source row.
    std::vector<int64_t> offsets(static_cast<size_t>(Width));
    const int64_t divisor = std::max(Width - 1, 1);
    for (int x = 0; x < Width; ++x)
        offsets[size_t(x)] = 3 * std::min(sourceWidth * x / divisor, sourceWidth - 1);
    int previousRow = -1;
    for (int y = 0; y < Height; ++y) {
        const int sy = int(std::min(sourceHeight * y / Height, sourceHeight - 1));
        uint8_t* out = Target.ScanLine(y);
        // Enlarging repeats source rows: the row just made is copied whole.
        if (sy == previousRow) {
            std::memcpy(out, Target.ScanLine(y - 1), size_t(3) * size_t(Width));
            continue;
        }
        const uint8_t* in = Source.ScanLine(sy);
        for (int x = 0; x < Width; ++x) {
            const uint8_t* pixel = in + offsets[size_t(x)];
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
            out += 3;
        }
        previousRow = sy;
    }
}

void Average2x2(TBitmap& Bitmap) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    const int width = Bitmap.Width(), height = Bitmap.Height();
    for (int y = 0; y + 1 < height; y += 2) {
        uint8_t* top = Bitmap.ScanLine(y);
        uint8_t* bottom = Bitmap.ScanLine(y + 1);
        for (int x = 0; x + 1 < width; x += 2) {
            uint8_t* a = top + 3 * int64_t(x);
            uint8_t* b = bottom + 3 * int64_t(x);
            for (int c = 0; c < 3; ++c) {
                const uint8_t v = uint8_t((a[c] + a[c + 3] + b[c] + b[c + 3]) >> 2);
                a[c] = a[c + 3] = b[c] = b[c + 3] = v;
            }
        }
    }
}

void Distill2x2Copy(const TBitmap& Source, TBitmap& Target, int DoubleWidth, int DoubleHeight, int Width,
                    int Height) {
    TBitmap doubled;
    InterpolateCopy(Source, doubled, DoubleWidth, DoubleHeight);
    Average2x2(doubled);
    InterpolateCopy(doubled, Target, Width, Height);
}

void Interpolate2x2Copy(const TBitmap& Source, TBitmap& Target, int Width, int Height) {
    InterpolateCopy(Source, Target, Width, Height);
    Average2x2(Target);
}

}  // namespace lumvor
