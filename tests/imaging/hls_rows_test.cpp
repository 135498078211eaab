// The row form of the HLS round trip against the per-pixel conversions.
#include "imaging/HLSRows.h"
#include "support/colour_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// A target colour for each other colour, scattered so that every lightness
// meets many hues and saturations.
uint32_t TargetColourFor(uint32_t Colour) { return (Colour * 2654435761u >> 5) & 0xFFFFFF; }

TEST(HLSRows, TheVectorFormEqualsThePerPixelConversionsForEveryColour) {
    if (!hls_rows::HaveAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    std::vector<uint8_t> other(3 * kColourRowPixels), vector(3 * kColourRowPixels), portable(3 * kColourRowPixels);
    int64_t wrong = 0;
    uint32_t firstWrong = 0;
    for (uint32_t row = 0; row < (1u << 24) / kColourRowPixels; ++row) {
        for (uint32_t x = 0; x < kColourRowPixels; ++x) {
            const uint32_t colour = row * kColourRowPixels + x;
            PutColour(&other[3 * x], colour);
            PutColour(&vector[3 * x], TargetColourFor(colour));
        }
        portable = vector;
        hls_rows::GrayRowAvx2(vector.data(), other.data(), kColourRowPixels);
        hls_rows::GrayRowPortable(portable.data(), other.data(), kColourRowPixels);
        for (uint32_t x = 0; x < kColourRowPixels; ++x)
            for (int c = 0; c < 3; ++c)
                if (vector[3 * x + c] != portable[3 * x + c] && wrong++ == 0)
                    firstWrong = row * kColourRowPixels + x;
    }
    EXPECT_EQ(wrong, 0) << "first other colour that differs: " << std::hex << firstWrong;
}

// Widths around the block of eight pixels: the last pixels go through a copy,
// and nothing past the row changes.
TEST(HLSRows, RowEndsAreConvertedAndBytesPastThemKept) {
    for (int width = 1; width <= 19; ++width) {
        SCOPED_TRACE(width);
        std::vector<uint8_t> other(3 * width), target(3 * width + 5, 0xA5);
        for (int x = 0; x < width; ++x) {
            PutColour(&other[3 * x], 0x3F80C0u * uint32_t(x + 1) & 0xFFFFFF);
            PutColour(&target[3 * x], 0x10E040u * uint32_t(x + 3) & 0xFFFFFF);
        }
        std::vector<uint8_t> expected = target;
        hls_rows::GrayRowPortable(expected.data(), other.data(), width);
        HLSGrayRow(target.data(), other.data(), width);
        EXPECT_EQ(target, expected);
    }
}

TEST(HLSRows, APictureMayTakeItsOwnHueAndSaturation) {
    std::vector<uint8_t> pixels(3 * 11);
    for (int x = 0; x < 11; ++x)
        PutColour(&pixels[3 * x], 0x2A7FD3u * uint32_t(x + 1) & 0xFFFFFF);
    std::vector<uint8_t> other = pixels;
    std::vector<uint8_t> expected = pixels;
    hls_rows::GrayRowPortable(expected.data(), other.data(), 11);
    HLSGrayRow(pixels.data(), pixels.data(), 11);
    EXPECT_EQ(pixels, expected);
}

}  // namespace
