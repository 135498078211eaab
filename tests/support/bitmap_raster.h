// 24-bit bitmaps from and against the RGB rasters the fixtures are read into.
#pragma once

#include "platform/Graphics.h"
#include "support/picture_compare.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>
#include <random>
#include <vector>

namespace lumvor::test {

// Colour (0x00RRGGBB) of a 24-bit bitmap's pixel, read from its bytes.
inline uint32_t PixelAt(const TBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// Makes the bitmap a 24-bit picture of the raster.
inline void LoadRaster(TBitmap& bitmap, const RgbRaster& raster) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(raster.Width, raster.Height);
    for (int y = 0; y < raster.Height; ++y)
        for (int x = 0; x < raster.Width; ++x) {
            const uint32_t c = raster.At(x, y);
            uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
        }
}

// A one-row picture of the given colours (0x00RRGGBB).
inline void LoadColours(TBitmap& bitmap, const std::vector<uint32_t>& colours) {
    LoadRaster(bitmap, RgbRaster{int(colours.size()), 1, colours});
}

// SamePixels of a 24-bit bitmap against the raster.
inline ::testing::AssertionResult SameBitmap(const RgbRaster& expected, const TBitmap& bitmap) {
    return SamePixels(expected, bitmap.Width(), bitmap.Height(), [&](int x, int y) { return PixelAt(bitmap, x, y); });
}

// The raster of a Qt image (any format).
inline RgbRaster RasterOfImage(const QImage& image) {
    RgbRaster raster{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            raster.Pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return raster;
}

// The raster of a bitmap of any depth.
inline RgbRaster RasterOfBitmap(const TBitmap& bitmap) {
    RgbRaster raster{bitmap.Width(), bitmap.Height(), {}};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            raster.Pixels.push_back(bitmap.Handle()->GetColor(x, y) & 0xFFFFFF);
    return raster;
}

// A picture of distinct colours as another program puts it on the clipboard:
// red from x, green from y, blue fixed.
inline QImage PatternImage(int width, int height, int blue = 0x55) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 19) & 0xFF, (y * 23 + 7) & 0xFF, blue));
    return image;
}

// Case k of a fixture that stacks its cases' pictures top to bottom.
inline RgbRaster StackedCase(const RgbRaster& stack, int k, int height) {
    RgbRaster one{stack.Width, height, {}};
    const auto first = stack.Pixels.begin() + ptrdiff_t(k) * height * stack.Width;
    one.Pixels.assign(first, first + ptrdiff_t(height) * stack.Width);
    return one;
}

// Runs filter on a fresh copy of input for every case of the stacked fixture
// at stackPath and compares each result with its case.
inline void ExpectStackedCases(const RgbRaster& input, const std::string& stackPath, int cases,
                               const std::function<void(TBitmap&, int)>& filter) {
    const RgbRaster stack = ReadPpm(stackPath);
    ASSERT_EQ(stack.Height, cases * input.Height) << stackPath;
    for (int k = 0; k < cases; ++k) {
        SCOPED_TRACE(stackPath + " case " + std::to_string(k));
        TBitmap bitmap;
        LoadRaster(bitmap, input);
        filter(bitmap, k);
        EXPECT_TRUE(SameBitmap(StackedCase(stack, k, input.Height), bitmap));
    }
}

// A noise picture of the given size (the same for every run of a seed).
inline void Noise(TBitmap& bitmap, int width, int height, uint32_t seed = 57) {
    std::mt19937 random(seed);
    RgbRaster raster{width, height, {}};
    for (int i = 0; i < width * height; ++i) raster.Pixels.push_back(random() & 0xFFFFFF);
    LoadRaster(bitmap, raster);
}

}  // namespace lumvor::test
