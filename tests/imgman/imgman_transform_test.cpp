// The imaging library's mirror and rotation: flips and quarter turns at every
// depth against netpbm's pamflip, the turned bounding box, its fill and the
// sampling of other angles.
#include "imgman/ImgTransform.h"
#include "imgman/imgman.h"

#include "imgman/ImgFormats.h"
#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "support/picture_compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace lumvor {
namespace {

using test::RgbRaster;
using test::SamePixels;

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/geometry/" + name; }

// The library picture's pixels, drawn unchanged into a bitmap of its depth and table.
TPixelBuffer PixelsOf(int handle) {
    IMGINFO info{};
    if (!ImgGetInfoStruct(handle, &info))
        return {};
    TBitmap bitmap;
    bitmap.SetPixelFormat(DepthPixelFormat(info.Header.biBitCount));
    bitmap.SetSize(info.Header.biWidth, info.Header.biHeight);
    if (HPALETTE palette = ImgGetPalette(handle))
        bitmap.SetPalette(palette);
    ImgPrintImage(handle, bitmap.Canvas(), Rect(0, 0, info.Header.biWidth - 1, info.Header.biHeight - 1), 0);
    return *bitmap.Handle();
}

::testing::AssertionResult Matches(const TPixelBuffer& pixels, const RgbRaster& expected, int tolerance = 0) {
    return SamePixels(expected, pixels.Width(), pixels.Height(),
                      [&](int x, int y) { return pixels.GetColor(x, y); }, tolerance);
}

struct TFlipCase {
    int Depth;
    const char* Op;  // pamflip's option
};

std::string FlipCaseName(const ::testing::TestParamInfo<TFlipCase>& info) {
    return std::string(info.param.Op) + "_" + std::to_string(info.param.Depth) + "bit";
}

class ImgTransformFixtures : public ::testing::TestWithParam<TFlipCase> {
protected:
    void SetUp() override { ImgInit(); }
    void TearDown() override { ImgShutdown(); }
};

TEST_P(ImgTransformFixtures, EqualsPamflipKeepingDepthAndPalette) {
    const TFlipCase c = GetParam();
    const std::string stem = "src" + std::to_string(c.Depth);
    const int original = ImgOpenSolo(Fixture(stem + ".bmp"), 0);
    ASSERT_NE(original, 0) << imgman::LastErrorText();
    const std::string op = c.Op;
    int result = original;
    if (op == "tb" || op == "lr") {
        ASSERT_EQ(ImgMirror(original, op == "tb", op == "lr"), 1);
    } else {
        result = ImgRotate(original, op == "r90" ? 9000 : 27000, 0xFF00FF);
        ASSERT_NE(result, 0) << imgman::LastErrorText();
    }
    const TPixelBuffer pixels = PixelsOf(result);
    EXPECT_EQ(pixels.Depth(), c.Depth);
    EXPECT_TRUE(Matches(pixels, test::ReadPpm(Fixture(stem + "_" + op + ".ppm"))));
    if (c.Depth <= 8) {
        const int source = ImgOpenSolo(Fixture(stem + ".bmp"), 0);
        const HPALETTE before = ImgGetPalette(source), after = ImgGetPalette(result);
        ASSERT_TRUE(before && after);
        ASSERT_EQ(before->Entries.size(), after->Entries.size());
        for (size_t i = 0; i < before->Entries.size(); ++i)
            EXPECT_EQ(before->Entries[i].peRed << 16 | before->Entries[i].peGreen << 8 | before->Entries[i].peBlue,
                      after->Entries[i].peRed << 16 | after->Entries[i].peGreen << 8 | after->Entries[i].peBlue)
                << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, ImgTransformFixtures,
                         ::testing::Values(TFlipCase{1, "tb"}, TFlipCase{1, "lr"}, TFlipCase{1, "r90"},
                                           TFlipCase{1, "r270"}, TFlipCase{4, "tb"}, TFlipCase{4, "lr"},
                                           TFlipCase{4, "r90"}, TFlipCase{4, "r270"}, TFlipCase{8, "tb"},
                                           TFlipCase{8, "lr"}, TFlipCase{8, "r90"}, TFlipCase{8, "r270"},
                                           TFlipCase{24, "tb"}, TFlipCase{24, "lr"}, TFlipCase{24, "r90"},
                                           TFlipCase{24, "r270"}),
                         FlipCaseName);

class ImgTransformTest : public ::testing::Test {
protected:
    void SetUp() override { ImgInit(); }
    void TearDown() override { ImgShutdown(); }
};

// The pixels as a raster, for comparing two library pictures.
RgbRaster RasterOf(const TPixelBuffer& pixels) {
    RgbRaster r{pixels.Width(), pixels.Height(), {}};
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            r.Pixels.push_back(pixels.GetColor(x, y));
    return r;
}

TEST_F(ImgTransformTest, FourQuarterTurnsOrTwoHalfTurnsGiveTheOriginalBack) {
    for (int depth : {1, 4, 8, 24}) {
        SCOPED_TRACE(depth);
        const std::string name = Fixture("src" + std::to_string(depth) + ".bmp");
        const RgbRaster original = test::ReadPpm(Fixture("src" + std::to_string(depth) + ".ppm"));
        int handle = ImgOpenSolo(name, 0);
        for (int turn = 0; turn < 4; ++turn) {
            const int next = ImgRotate(handle, 9000, 0);
            ASSERT_NE(next, 0);
            ImgClose(handle);
            handle = next;
        }
        EXPECT_TRUE(Matches(PixelsOf(handle), original));
        // Both flips at once are the half turn.
        ASSERT_EQ(ImgMirror(handle, 1, 1), 1);
        const int half = ImgRotate(ImgOpenSolo(name, 0), 18000, 0);
        EXPECT_TRUE(Matches(PixelsOf(handle), RasterOf(PixelsOf(half))));
        const int quarter = ImgRotate(ImgOpenSolo(name, 0), 9000, 0);
        EXPECT_TRUE(Matches(PixelsOf(ImgRotate(quarter, 9000, 0)), RasterOf(PixelsOf(half))));
        const int back = ImgRotate(half, -18000, 0);
        EXPECT_TRUE(Matches(PixelsOf(back), original));
    }
}

// A flat picture of one colour with a mark in one corner.
TPixelBuffer FlatPicture(int width, int height, uint32_t colour) {
    TPixelBuffer p(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.SetColor(x, y, colour);
    return p;
}

TEST_F(ImgTransformTest, ThirtyDegreesFillTheBoundingBoxWithTheFillColour) {
    // 100 |cos 30| + 50 |sin 30| = 111.6, 100 |sin 30| + 50 |cos 30| = 93.3.
    const imgman::TTurnedSize size = imgman::TurnedSize(100, 50, 3000);
    EXPECT_EQ(size.Width, 112);
    EXPECT_EQ(size.Height, 94);
    EXPECT_EQ(imgman::TurnedSize(100, 50, -3000).Width, 112);  // clockwise: the same box
    EXPECT_EQ(imgman::TurnedSize(100, 50, 27000).Width, 50);
    EXPECT_EQ(imgman::TurnedSize(1, 1, 4500).Width, 2);  // 1.414 rounds up

    const TPixelBuffer turned = imgman::RotatePixels(FlatPicture(100, 50, 0x3060C0), 3000, 0x10E020);
    ASSERT_EQ(turned.Width(), 112);
    ASSERT_EQ(turned.Height(), 94);
    EXPECT_EQ(turned.Depth(), 24);
    for (auto [x, y] : {std::pair{0, 0}, {111, 0}, {0, 93}, {111, 93}})
        EXPECT_EQ(turned.GetColor(x, y), 0x10E020u) << x << "," << y;
    for (auto [x, y] : {std::pair{56, 47}, {40, 40}, {70, 55}})
        EXPECT_EQ(turned.GetColor(x, y), 0x3060C0u) << x << "," << y;
}

TEST_F(ImgTransformTest, TheTurnIsAnticlockwise) {
    // A red pixel block at the top-right corner of a wide picture moves to the
    // top-left of a turn by a little less than a quarter.
    TPixelBuffer p = FlatPicture(40, 20, 0x000000);
    for (int y = 0; y < 4; ++y)
        for (int x = 36; x < 40; ++x)
            p.SetColor(x, y, 0xFF0000);
    const TPixelBuffer turned = imgman::RotatePixels(p, 8900, 0xFFFFFF);
    // Red ends near the top, in the left half.
    int redX = -1, redY = -1;
    for (int y = 0; y < turned.Height() && redX < 0; ++y)
        for (int x = 0; x < turned.Width(); ++x)
            if (turned.GetColor(x, y) == 0xFF0000) {
                redX = x;
                redY = y;
                break;
            }
    ASSERT_GE(redX, 0);
    EXPECT_LT(redX, turned.Width() / 2);
    EXPECT_LT(redY, 8);
}

TEST_F(ImgTransformTest, APalettedPictureTurnedByAnyAngleComesBackAt24Bits) {
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const int handle = ImgOpenSolo(Fixture("src" + std::to_string(depth) + ".bmp"), 0);
        const int turned = ImgRotate(handle, 750, 0x808080);
        ASSERT_NE(turned, 0);
        IMGINFO info{};
        ASSERT_EQ(ImgGetInfoStruct(turned, &info), 1);
        EXPECT_EQ(info.Header.biBitCount, 24);
        // The turn of 7.5 degrees about the centre keeps the centre pixel's colour
        // close to the source's centre.
        const RgbRaster source = test::ReadPpm(Fixture("src" + std::to_string(depth) + ".ppm"));
        const TPixelBuffer pixels = PixelsOf(turned);
        EXPECT_EQ(pixels.Width(), imgman::TurnedSize(source.Width, source.Height, 750).Width);
        EXPECT_EQ(ImgGetPalette(turned), nullptr);
    }
}

TEST_F(ImgTransformTest, FailuresReturnZeroWithATextAndKeepThePicture) {
    EXPECT_EQ(ImgRotate(12345, 9000, 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SInvalidHandle);
    EXPECT_EQ(ImgMirror(12345, 1, 0), 0);
    // The box of a tall strip turned by 45 degrees is beyond the picture limits.
    const int handle = ImgFromDIB(TPackedDib::FromPixels(FlatPicture(1, 1 << 20, 0x123456)));
    ASSERT_NE(handle, 0);
    imgman::SetLastError("");
    EXPECT_EQ(ImgRotate(handle, 4500, 0), 0);
    EXPECT_FALSE(imgman::LastErrorText().empty());
    IMGINFO info{};
    ASSERT_EQ(ImgGetInfoStruct(handle, &info), 1);
    EXPECT_EQ(info.Header.biHeight, 1 << 20);
}

}  // namespace
}  // namespace lumvor
