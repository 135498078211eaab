// A picture whose corners can be told apart, and the colour check of a
// rendered page, shared by the print tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/Graphics.h"
#include "support/picture_compare.h"

#include <cstdint>
#include <cstdlib>

namespace lumvor::test {

// A 24-bit picture of width x height in four coloured quarters: red top left,
// green top right, blue bottom left, yellow bottom right.
inline void PaintCorners(TBitmap& b, int width, int height) {
    b.SetPixelFormat(pf24bit);
    b.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const uint32_t rgb = bottom ? (right ? 0xFFFF00 : 0x0000FF) : (right ? 0x00FF00 : 0xFF0000);
            p[0] = rgb & 0xFF, p[1] = (rgb >> 8) & 0xFF, p[2] = (rgb >> 16) & 0xFF;
        }
}

// Pixel (x, y) of page is rgb within 24 levels on each channel.
inline ::testing::AssertionResult NearColour(const RgbRaster& page, int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= page.Width || y >= page.Height)
        return ::testing::AssertionFailure() << x << "," << y << " is off the page";
    const uint32_t got = page.At(x, y);
    for (int shift : {0, 8, 16})
        if (std::abs(int((got >> shift) & 0xFF) - int((rgb >> shift) & 0xFF)) > 24)
            return ::testing::AssertionFailure() << x << "," << y << " got " << std::hex << got;
    return ::testing::AssertionSuccess();
}

}  // namespace lumvor::test
