// The imaging library's resampler: its smooth method against ImageMagick's
// area average and PIL's bilinear filter, invariants every method keeps, the double-size roads of
// the size changes, and the black-and-white methods that keep black or white
// detail.
#include "imgman/ImgResample.h"
#include "imgman/imgman.h"

#include "platform/Graphics.h"
#include "support/case_names.h"
#include "support/picture_compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using test::RgbRaster;
using test::SamePixels;

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

TPixelBuffer Copy(const TPixelBuffer& source, int width, int height, int32_t flags) {
    return imgman::ResamplePixels(source, Rect(0, 0, source.Width(), source.Height()), width, height, flags);
}

::testing::AssertionResult Equals(const RgbRaster& expected, const TPixelBuffer& actual, int tolerance) {
    return SamePixels(expected, actual.Width(), actual.Height(),
                      [&](int x, int y) { return actual.GetColor(x, y); }, tolerance);
}

RgbRaster RasterOf(const TPixelBuffer& pixels) {
    RgbRaster raster{pixels.Width(), pixels.Height(), {}};
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x)
            raster.Pixels.push_back(pixels.GetColor(x, y) & 0xFFFFFF);
    return raster;
}

// ---- Against ImageMagick and PIL

struct ToolCase {
    const char* name;
    int width, height;
    const char* expected;
    int tolerance;
};
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

class SmoothAgainstTools : public ::testing::TestWithParam<ToolCase> {};

// ImageMagick's -scale truncates where we round, PIL rounds to 8 bits between
// its two passes: one level apart, two where both meet.
TEST_P(SmoothAgainstTools, WithinTheirRounding) {
    TBitmap rose;
    rose.LoadFromFile(Fixture("imgman/rose24.bmp"));
    ASSERT_EQ(rose.Width(), 40);
    const TPixelBuffer copy = Copy(*rose.Handle(), GetParam().width, GetParam().height, IMG_COPY_SMOOTH);
    EXPECT_EQ(copy.Depth(), 24);
    EXPECT_TRUE(Equals(test::ReadPpm(Fixture(GetParam().expected)), copy, GetParam().tolerance));
}

INSTANTIATE_TEST_SUITE_P(
    Rose, SmoothAgainstTools,
    ::testing::Values(ToolCase{"AreaShrink", 17, 13, "resize/rose_scale_17x13.ppm", 1},
                      ToolCase{"BilinearEnlarge", 97, 71, "resize/rose_bilinear_97x71.ppm", 1},
                      ToolCase{"AreaAcrossBilinearDown", 23, 50, "resize/rose_scale_bilinear_23x50.ppm", 2}),
    test::CaseNames<&ToolCase::name>);

// ---- Invariants

// Flat pictures of every depth kind: 24 bits, a colour palette, black and white.
std::vector<TPixelBuffer> FlatPictures() {
    std::vector<TPixelBuffer> pictures;
    TPixelBuffer colour(30, 20, 24);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            colour.SetColor(x, y, 0x3C8AD2);
    pictures.push_back(colour);
    TPixelBuffer indexed(30, 20, 8);
    indexed.ColorTable.assign(256, 0);
    indexed.ColorTable[7] = 0x9A4410;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            indexed.SetIndex(x, y, 7);
    pictures.push_back(indexed);
    for (uint32_t index : {0u, 1u}) {
        TPixelBuffer bilevel(30, 20, 1);
        bilevel.ColorTable = {0x000000, 0xFFFFFF};
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                bilevel.SetIndex(x, y, index);
        pictures.push_back(bilevel);
    }
    return pictures;
}

TEST(ImgResample, FlatPicturesStayFlatAtEveryMethodAndSize) {
    const int32_t methods[] = {IMG_COPY_NEAREST, IMG_COPY_PRESERVE_BLACK, IMG_COPY_PRESERVE_WHITE, IMG_COPY_SMOOTH,
                               IMG_COPY_GRAY};
    const int sizes[][2] = {{7, 5}, {30, 20}, {53, 41}, {11, 47}, {64, 3}};
    for (const TPixelBuffer& picture : FlatPictures()) {
        const uint32_t colour = picture.GetColor(0, 0) & 0xFFFFFF;
        for (int32_t method : methods)
            for (const auto& size : sizes) {
                SCOPED_TRACE(::testing::Message() << "depth " << picture.Depth() << ", method " << method << ", "
                                                  << size[0] << "x" << size[1]);
                const TPixelBuffer copy = Copy(picture, size[0], size[1], method);
                ASSERT_EQ(copy.Width(), size[0]);
                ASSERT_EQ(copy.Height(), size[1]);
                EXPECT_TRUE(Equals(RgbRaster{size[0], size[1], std::vector<uint32_t>(size_t(size[0] * size[1]), colour)},
                                   copy, 0));
            }
    }
}

TEST(ImgResample, HalvingAOnePixelCheckerboardGivesItsMeanGrey) {
    TPixelBuffer colour(40, 30, 24), bilevel(40, 30, 1);
    bilevel.ColorTable = {0x000000, 0xFFFFFF};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            colour.SetColor(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
            bilevel.SetIndex(x, y, (x + y) % 2);
        }
    for (const TPixelBuffer* picture : {&colour, &bilevel})
        for (int32_t method : {IMG_COPY_SMOOTH, IMG_COPY_GRAY}) {
            SCOPED_TRACE(::testing::Message() << "depth " << picture->Depth() << ", method " << method);
            const TPixelBuffer half = Copy(*picture, 20, 15, method);
            EXPECT_EQ(half.Depth(), picture->Depth() == 1 ? 8 : 24);
            EXPECT_TRUE(Equals(RgbRaster{20, 15, std::vector<uint32_t>(300, 0x808080)}, half, 1));
        }
}

// A smooth gradient: blue along x, green along y, red along both.
TPixelBuffer Gradient(int width, int height) {
    TPixelBuffer gradient(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gradient.SetColor(x, y, uint32_t(2 * (x + y)) << 16 | uint32_t(6 * y) << 8 | uint32_t(4 * x));
    return gradient;
}

TEST(ImgResample, EnlargingThriceAndShrinkingBackGivesTheGradientBack) {
    const TPixelBuffer gradient = Gradient(40, 30);
    const TPixelBuffer large = Copy(gradient, 120, 90, IMG_COPY_SMOOTH);
    const TPixelBuffer back = Copy(large, 40, 30, IMG_COPY_SMOOTH);
    EXPECT_TRUE(Equals(RasterOf(gradient), back, 2));
}

// The size changes shrink through a copy at twice the new size (a narrowing
// also doubles the height): the result stays the gradient's area average.
TEST(ImgResample, TheDoubleSizeRoadsKeepTheGradient) {
    const TPixelBuffer gradient = Gradient(60, 40);
    const int sizes[][2] = {{45, 40}, {30, 20}, {25, 17}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1]);
        const TPixelBuffer twice = Copy(gradient, 2 * size[0], 2 * size[1], IMG_COPY_SMOOTH);
        const TPixelBuffer copy = Copy(twice, size[0], size[1], IMG_COPY_SMOOTH);
        // The gradient's value at the centre of each target pixel's area.
        RgbRaster expected{size[0], size[1], {}};
        for (int y = 0; y < size[1]; ++y)
            for (int x = 0; x < size[0]; ++x) {
                const double sx = (x + 0.5) * 60 / size[0] - 0.5, sy = (y + 0.5) * 40 / size[1] - 0.5;
                const auto level = [](double v) { return uint32_t(std::lround(v)); };
                expected.Pixels.push_back(level(2 * (sx + sy)) << 16 | level(6 * sy) << 8 | level(4 * sx));
            }
        EXPECT_TRUE(Equals(expected, copy, 1));
    }
}

// ---- Black and white detail

// A white (or black) 64 x 64 picture crossed by one line of the other colour
// in column 9 and row 22.
TPixelBuffer Crossed(uint32_t background) {
    TPixelBuffer picture(64, 64, 1);
    picture.ColorTable = {0x000000, 0xFFFFFF};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            picture.SetIndex(x, y, x == 9 || y == 22 ? 1 - background : background);
    return picture;
}

TEST(ImgResample, PreservingKeepsAOnePixelLineOfTheKeptColour) {
    struct Case {
        int32_t method;
        uint32_t background, line;
    } cases[] = {{IMG_COPY_PRESERVE_BLACK, 1, 0}, {IMG_COPY_PRESERVE_WHITE, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "method " << c.method);
        const TPixelBuffer picture = Crossed(c.background);
        const TPixelBuffer quarter = Copy(picture, 16, 16, c.method);
        ASSERT_EQ(quarter.Depth(), 1);
        EXPECT_EQ(quarter.ColorTable, picture.ColorTable);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(quarter.GetIndex(x, y), x == 2 || y == 5 ? c.line : c.background) << x << "," << y;
        // Sampling loses the line; keeping the other colour loses it too.
        const int32_t other = c.method == IMG_COPY_PRESERVE_BLACK ? IMG_COPY_PRESERVE_WHITE : IMG_COPY_PRESERVE_BLACK;
        for (int32_t method : {IMG_COPY_NEAREST, other}) {
            const TPixelBuffer lost = Copy(picture, 16, 16, method);
            EXPECT_EQ(lost.GetIndex(2, 0), c.background);
        }
    }
}

TEST(ImgResample, PreservingFollowsThePaletteAndEnlargesBySampling) {
    // Index 0 is white here: black is index 1.
    TPixelBuffer picture = Crossed(0);
    picture.ColorTable = {0xFFFFFF, 0x000000};
    const TPixelBuffer quarter = Copy(picture, 16, 16, IMG_COPY_PRESERVE_BLACK);
    EXPECT_EQ(quarter.GetColor(2, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(quarter.GetColor(3, 0) & 0xFFFFFF, 0xFFFFFFu);

    const TPixelBuffer doubled = Copy(Crossed(1), 128, 128, IMG_COPY_PRESERVE_BLACK);
    for (int x = 0; x < 128; ++x)
        ASSERT_EQ(doubled.GetIndex(x, 0), x / 2 == 9 ? 0u : 1u) << x;

    // Deeper pictures are sampled.
    const TPixelBuffer gradient = Gradient(40, 30);
    EXPECT_TRUE(Equals(RasterOf(Copy(gradient, 20, 15, IMG_COPY_NEAREST)), Copy(gradient, 20, 15,
                                                                              IMG_COPY_PRESERVE_BLACK), 0));
}

}  // namespace
}  // namespace lumvor
