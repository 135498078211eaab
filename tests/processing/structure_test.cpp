// The structure filters (thresholded 3 x 3 mean, 2 x 2 de-pixelation, 5 x 5
// descreening, mosaic tiles, red eye, random noise) against numpy loops and
// scipy.ndimage.correlate (tests/fixtures/structure), their borders and small
// pictures, and hand-made cases.
#include "imaging/Helpers.h"
#include "platform/SysUtils.h"
#include "processing/spatial/StructureFilters.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/picture_compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string Fixture(const std::string& folder, const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/" + folder + "/" + name;
}

// ---- Against the numpy loops and scipy, on the 7 x 6 noise picture and the
// 20 x 14 scene of the spatial fixtures

class StructureFixtures : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        input = ReadPpm(Fixture("spatial", GetParam() + ".ppm"));
        ASSERT_GT(input.Width, 0);
    }
    void ExpectCases(const std::string& fixture, int cases, const std::function<void(TBitmap&, int)>& filter) {
        ExpectStackedCases(input, Fixture("structure", GetParam() + "_" + fixture + ".ppm"), cases, filter);
    }
    RgbRaster input;
};

TEST_P(StructureFixtures, ThresholdedMeanEqualsTheLoopForGaussianAndOutlierValues) {
    struct Case {
        int threshold, divisor;
        bool skipCentre;
    };
    const Case cases[] = {{0, 9, false}, {254, 9, false}, {55, 9, false}, {0, 8, true}, {55, 8, true}, {127, 8, true}};
    ExpectCases("gauss", 6, [&](TBitmap& b, int k) {
        GaussianBlur3x3Bitmap(b, cases[k].threshold, cases[k].divisor, cases[k].skipCentre);
    });
}

TEST_P(StructureFixtures, DePixelationEqualsTheLoopWithEitherFlag) {
    ExpectCases("demosaic", 2, [](TBitmap& b, int k) { DeMosaic2x2Bitmap(b, k == 0); });
}

TEST_P(StructureFixtures, DescreenKernelsEqualTheCorrelationOnTheirRowsAndColumns) {
    ExpectCases("descreen", 3, [](TBitmap& b, int mode) { DeScreen5x5Bitmap(b, mode); });
}

TEST_P(StructureFixtures, TilesEqualThePortWithTheBlocksOwnRows) {
    const int sizes[] = {2, 3, 16};
    ExpectCases("tile", 3, [&](TBitmap& b, int k) { TileBitmap(b, sizes[k]); });
}

INSTANTIATE_TEST_SUITE_P(Pictures, StructureFixtures, ::testing::Values("border", "scene"),
                         CaseNames<>);

// The thresholded mean written plainly: every window of the unchanged picture,
// divided and compared as integers, borders kept.
RgbRaster PlainThresholdedMean(const RgbRaster& In, int Threshold, int Divisor, bool SkipCentre) {
    RgbRaster out = In;
    const auto byte = [&](int x, int y, int c) { return int(In.Pixels[size_t(y * In.Width + x)] >> (8 * c) & 0xFF); };
    for (int y = 1; y <= In.Height - 3; ++y)
        for (int x = 1; x <= In.Width - 2; ++x) {
            uint32_t colour = 0;
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (dx != 0 || dy != 0 || !SkipCentre)
                            sum += byte(x + dx, y + dy, c);
                const int mean = std::min(sum / Divisor, 255);
                const int own = byte(x, y, c);
                colour |= uint32_t(std::abs(own - mean) > Threshold ? mean : own) << (8 * c);
            }
            out.Pixels[size_t(y * In.Width + x)] = colour;
        }
    return out;
}

// Divisors whose quotients come from a multiplier and those that need the
// table (1, and any a 16-bit multiplier cannot give exactly), with
// thresholds below, inside and above the byte range.
TEST(StructureFilters, ThresholdedMeanEqualsThePlainLoopForAnyDivisorAndThreshold) {
    TBitmap source;
    Noise(source, 23, 9, 91);
    const RgbRaster in = RasterOfBitmap(source);
    for (int divisor : {1, 2, 3, 7, 8, 9, 13, 100, 255, 1000})
        for (int threshold : {-5, 0, 37, 254, 300})
            for (bool skipCentre : {false, true}) {
                SCOPED_TRACE(std::to_string(divisor) + " " + std::to_string(threshold) + " " +
                             std::to_string(skipCentre));
                TBitmap picture;
                picture.Assign(&source);
                GaussianBlur3x3Bitmap(picture, threshold, divisor, skipCentre);
                EXPECT_TRUE(SameBitmap(PlainThresholdedMean(in, threshold, divisor, skipCentre), picture));
            }
}

// ---- Borders and small pictures

TEST(StructureFilters, ModeThreeOrMoreDescreensAsModeTwo) {
    TBitmap two, five;
    Noise(two, 12, 10);
    five.Assign(&two);
    DeScreen5x5Bitmap(two, 2);
    DeScreen5x5Bitmap(five, 5);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(two), five));
    EXPECT_EQ(DeScreenKernel(3).Divisor, 31);
    EXPECT_EQ(DeScreenKernel(0).Divisor, 21);
}

TEST(StructureFilters, PicturesTooSmallForTheirWindowStayUnchanged) {
    struct Case {
        std::string name;
        int width, height;
        std::function<void(TBitmap&)> filter;
    };
    const std::vector<Case> cases = {
        {"gaussian on 3 lines", 9, 3, [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 9, false); }},
        {"outlier on 3 lines", 9, 3, [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 8, true); }},
        {"depixelate on 3 lines", 9, 3, [](TBitmap& b) { DeMosaic2x2Bitmap(b, false); }},
        {"descreen 4 wide", 4, 12, [](TBitmap& b) { DeScreen5x5Bitmap(b, 0); }},
        {"descreen 5 high", 12, 5, [](TBitmap& b) { DeScreen5x5Bitmap(b, 1); }},
        {"tile of 2 on 1 row", 12, 1, [](TBitmap& b) { TileBitmap(b, 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        Noise(bitmap, c.width, c.height);
        const RgbRaster before = RasterOfBitmap(bitmap);
        c.filter(bitmap);
        EXPECT_TRUE(SameBitmap(before, bitmap));
    }
}

TEST(StructureFilters, DePixelationOnFiveLinesChangesTheFirstPairOnly) {
    TBitmap bitmap;
    Noise(bitmap, 8, 5);
    const RgbRaster before = RasterOfBitmap(bitmap);
    DeMosaic2x2Bitmap(bitmap, true);
    const RgbRaster after = RasterOfBitmap(bitmap);
    for (int y = 0; y < 5; ++y) {
        const auto row = [&](const RgbRaster& r) {
            return std::vector<uint32_t>(r.Pixels.begin() + y * 8 + 1, r.Pixels.begin() + y * 8 + 8);
        };
        EXPECT_EQ(row(before) != row(after), y < 2) << "line " << y;
    }
}

TEST(StructureFilters, TilesOnNarrowPicturesMirrorInsideTheRow) {
    // 3 pixels with blocks of 4: the mirrored positions stay in the row.
    TBitmap bitmap;
    Noise(bitmap, 3, 4);
    TileBitmap(bitmap, 4);
    const RgbRaster after = RasterOfBitmap(bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(after.Pixels[size_t(y * 3 + x)], after.Pixels[0]);
}

// ---- Red eye

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

TEST(RedEye, RedDropsToTheLargerOtherComponentThenByOne) {
    struct Case {
        std::string name;
        uint32_t before, after;
    };
    const Case cases[] = {
        {"pure red", Rgb(255, 0, 0), Rgb(0, 0, 0)},
        {"grey", Rgb(100, 100, 100), Rgb(99, 100, 100)},
        {"red eye", Rgb(200, 40, 60), Rgb(59, 40, 60)},
        {"within the tolerance", Rgb(68, 60, 20), Rgb(67, 60, 20)},
        {"black", Rgb(0, 0, 0), Rgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        LoadRaster(bitmap, RgbRaster{1, 1, {c.before}});
        RedEyeBitmap(bitmap, TRect{0, 0, 1, 0});
        EXPECT_EQ(RasterOfBitmap(bitmap).Pixels[0], c.after);
    }
}

// The rows of a 4 x 12 red picture that red eye changed.
std::vector<int> ChangedRows(const TRect& area) {
    TBitmap bitmap;
    LoadRaster(bitmap, RgbRaster{4, 12, std::vector<uint32_t>(48, Rgb(200, 10, 10))});
    RedEyeBitmap(bitmap, area);
    const RgbRaster after = RasterOfBitmap(bitmap);
    std::vector<int> rows;
    for (int y = 0; y < 12; ++y)
        if (after.Pixels[size_t(y * 4 + 1)] != Rgb(200, 10, 10))
            rows.push_back(y);
    return rows;
}

TEST(RedEye, RowsFollowTheAreaCutToThePicture) {
    EXPECT_EQ(ChangedRows({0, 0, 4, 10}), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(ChangedRows({0, 0, 4, 4}), (std::vector<int>{0, 1, 2, 3, 4}));
    // Touching the bottom edge (Bottom = height): rows stay inside the picture.
    EXPECT_EQ(ChangedRows({0, 9, 4, 12}), (std::vector<int>{9, 10, 11}));
    EXPECT_EQ(ChangedRows({0, 4, 4, 12}), (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ChangedRows({2, 0, 1, 4}), std::vector<int>{});
}

TEST(RedEye, ColumnsRunFromLeftToBeforeRight) {
    TBitmap bitmap;
    LoadRaster(bitmap, RgbRaster{5, 1, std::vector<uint32_t>(5, Rgb(200, 10, 10))});
    RedEyeBitmap(bitmap, TRect{1, 0, 3, 0});
    const RgbRaster after = RasterOfBitmap(bitmap);
    EXPECT_EQ(after.Pixels, (std::vector<uint32_t>{Rgb(200, 10, 10), Rgb(9, 10, 10), Rgb(9, 10, 10),
                                                    Rgb(200, 10, 10), Rgb(200, 10, 10)}));
}

// ---- Random noise

// The round trip with the codec's standard settings equals the reference
// encoder and decoder at the same quality.
TEST(AddArtifact, EqualsCjpegThenDjpegAtTheSameQuality) {
    TBitmap picture;
    LoadRaster(picture, ReadPpm(Fixture("spatial", "scene.ppm")));
    AddArtifactBitmap(picture, 48);
    EXPECT_TRUE(SameBitmap(ReadPpm(Fixture("structure", "artifact_48.ppm")), picture));
}

TEST(RandomNoise, RangesOfZeroChangeNothing) {
    TBitmap bitmap;
    Noise(bitmap, 30, 20);
    const RgbRaster before = RasterOfBitmap(bitmap);
    RandSeed = 4;
    RandomNoiseBitmap(bitmap, 0, 0, 0, [] { return Random(); });
    EXPECT_TRUE(SameBitmap(before, bitmap));
}

TEST(RandomNoise, ShareOfChangedPixelsAndTheirColoursFollowTheRanges) {
    // A white picture: every changed pixel has components below its ranges.
    constexpr int width = 200, height = 150, red = 40, green = 90, blue = 10;
    TBitmap bitmap;
    LoadRaster(bitmap, RgbRaster{width, height, std::vector<uint32_t>(size_t(width * height), 0xFFFFFF)});
    RandSeed = 1234;
    RandomNoiseBitmap(bitmap, red, green, blue, [] { return Random(); });
    int changed = 0;
    for (uint32_t pixel : RasterOfBitmap(bitmap).Pixels) {
        if (pixel == 0xFFFFFF)
            continue;
        ++changed;
        EXPECT_LT(int(pixel >> 16), red);
        EXPECT_LT(int(pixel >> 8 & 0xFF), green);
        EXPECT_LT(int(pixel & 0xFF), blue);
    }
    const double n = width * height, p = 90.0 / 255;
    EXPECT_NEAR(changed, n * p, 5 * std::sqrt(n * p * (1 - p)));
    // The same seed gives the same picture.
    TBitmap again;
    LoadRaster(again, RgbRaster{width, height, std::vector<uint32_t>(size_t(width * height), 0xFFFFFF)});
    RandSeed = 1234;
    RandomNoiseBitmap(again, red, green, blue, [] { return Random(); });
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(bitmap), again));
}

}  // namespace
