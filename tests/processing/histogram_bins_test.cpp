// The row form of the histogram's per-pixel bins: the vector form against the
// per-pixel form, and both against the conversions they stand for.
#include "processing/tonal/HistogramBins.h"

#include "imaging/CpuFeatures.h"
#include "imaging/HLS.h"
#include "processing/tonal/Luminance.h"
#include "support/colour_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// The three bins of a row, one vector each.
struct TRowBins {
    explicit TRowBins(int Width) : Lum(size_t(Width)), Sat(size_t(Width)), Hue(size_t(Width)) {}
    std::vector<uint8_t> Lum, Sat, Hue;
};

using TBinsRow = void (*)(const uint8_t*, int, uint8_t*, uint8_t*, uint8_t*);

TRowBins BinsOf(TBinsRow Row, const std::vector<uint8_t>& Pixels, int Width) {
    TRowBins bins(Width);
    Row(Pixels.data(), Width, bins.Lum.data(), bins.Sat.data(), bins.Hue.data());
    return bins;
}

int ScaledBin(int Value) { return std::min(255, Value * 255 / 3600); }

TEST(HistogramBins, TheVectorFormEqualsThePerPixelFormForEveryColour) {
    if (!CpuHasAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    std::vector<uint8_t> pixels(3 * kColourRowPixels);
    int64_t wrong = 0;
    uint32_t firstWrong = 0;
    for (uint32_t row = 0; row < (1u << 24) / kColourRowPixels; ++row) {
        for (uint32_t x = 0; x < kColourRowPixels; ++x)
            PutColour(&pixels[3 * x], row * kColourRowPixels + x);
        const TRowBins vector = BinsOf(histogram_bins::BinsRowAvx2, pixels, kColourRowPixels);
        const TRowBins portable = BinsOf(histogram_bins::BinsRowPortable, pixels, kColourRowPixels);
        for (uint32_t x = 0; x < kColourRowPixels; ++x)
            if ((vector.Lum[x] != portable.Lum[x] || vector.Sat[x] != portable.Sat[x] ||
                 vector.Hue[x] != portable.Hue[x]) &&
                wrong++ == 0)
                firstWrong = row * kColourRowPixels + x;
    }
    EXPECT_EQ(wrong, 0) << "first colour that differs: " << std::hex << firstWrong;
}

// The per-pixel form's tables against the conversions, on a lattice of
// colours that holds every grey, every tie and both ends of each component.
TEST(HistogramBins, ThePerPixelFormGivesTheConvertedBins) {
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> colours;
    const int levels[] = {0, 1, 2, 3, 17, 64, 127, 128, 129, 200, 253, 254, 255};
    for (int r : levels)
        for (int g : levels)
            for (int b : levels) {
                colours.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
                pixels.resize(pixels.size() + 3);
                PutColour(&pixels[pixels.size() - 3], colours.back());
            }
    const int width = int(colours.size());
    const TRowBins bins = BinsOf(histogram_bins::BinsRowPortable, pixels, width);
    for (int x = 0; x < width; ++x) {
        const int r = int(colours[size_t(x)] >> 16), g = int(colours[size_t(x)] >> 8 & 0xFF),
                  b = int(colours[size_t(x)] & 0xFF);
        SCOPED_TRACE(testing::Message() << r << "," << g << "," << b);
        THLS hls;
        RGBToHLS(r, g, b, hls);
        EXPECT_EQ(bins.Lum[size_t(x)], HistogramLuminance(r, g, b));
        EXPECT_EQ(bins.Sat[size_t(x)], ScaledBin(hls.Saturation));
        EXPECT_EQ(bins.Hue[size_t(x)], ScaledBin(hls.Hue));
    }
}

// Widths around the block of eight pixels: the last pixels go through a copy,
// nothing past the row changes, and bins not asked for are not written.
TEST(HistogramBins, RowEndsAreBinnedAndBytesPastThemKept) {
    for (int width = 1; width <= 19; ++width) {
        SCOPED_TRACE(width);
        std::vector<uint8_t> pixels(3 * size_t(width));
        for (int x = 0; x < width; ++x)
            PutColour(&pixels[3 * size_t(x)], 0x3F80C0u * uint32_t(x + 1) & 0xFFFFFF);
        const TRowBins expected = BinsOf(histogram_bins::BinsRowPortable, pixels, width);
        std::vector<uint8_t> lum(size_t(width) + 5, 0xA5), sat(lum), hue(lum);
        HistogramBinsRow(pixels.data(), width, lum.data(), sat.data(), hue.data());
        const auto withTail = [&](std::vector<uint8_t> bins) {
            bins.resize(size_t(width) + 5, 0xA5);
            return bins;
        };
        EXPECT_EQ(lum, withTail(expected.Lum));
        EXPECT_EQ(sat, withTail(expected.Sat));
        EXPECT_EQ(hue, withTail(expected.Hue));

        std::vector<uint8_t> lumOnly(size_t(width) + 5, 0xA5);
        HistogramBinsRow(pixels.data(), width, lumOnly.data(), nullptr, nullptr);
        EXPECT_EQ(lumOnly, withTail(expected.Lum));
    }
}

}  // namespace
