// The Lab's byte arithmetic: the two-picture rules, the weighted averages and
// the single-picture routines, against numpy, netpbm's pamarith and the
// integer HLS port (tests/fixtures/twoimage, tests/fixtures/hls).
#include <gtest/gtest.h>

#include "platform/SysUtils.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/tonal/HLSFilters.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string TwoImageFixture(const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/twoimage/" + name;
}

void LoadFixture(TBitmap& bitmap, const std::string& path) {
    const RgbRaster raster = ReadPpm(path);
    ASSERT_GT(raster.Width, 0) << path;
    LoadRaster(bitmap, raster);
}

// The row padding of a 13-pixel row (39 bytes of 40) filled with a marker.
void MarkPadding(TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int64_t i = 3 * int64_t(bitmap.Width()); i < bitmap.RowBytes(); ++i)
            bitmap.ScanLine(y)[i] = 0xA5;
}

bool PaddingKept(const TBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int64_t i = 3 * int64_t(bitmap.Width()); i < bitmap.RowBytes(); ++i)
            if (bitmap.ScanLine(y)[i] != 0xA5)
                return false;
    return true;
}

struct FixtureCase {
    std::string expected;
    std::function<void(TBitmap& picture, const TBitmap& partner)> run;
};

void PrintTo(const FixtureCase& c, std::ostream* out) { *out << c.expected; }

// The case's name: its expected file without the extension.
std::string ExpectedStem(const FixtureCase& c) { return c.expected.substr(0, c.expected.find('.')); }

class TwoPictureFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(TwoPictureFixtureTest, EqualsTheIndependentResult) {
    TBitmap picture, partner;
    LoadFixture(picture, TwoImageFixture("a.ppm"));
    LoadFixture(partner, TwoImageFixture("b.ppm"));
    ASSERT_EQ(picture.RowBytes(), 40);
    MarkPadding(picture);
    GetParam().run(picture, partner);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture(GetParam().expected)), picture));
    EXPECT_TRUE(PaddingKept(picture));
    // The partner is only read.
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("b.ppm")), partner));
}

void Combine(TTwoImageRule rule, TBitmap& p, const TBitmap& d) { CombineBitmaps(p, d, rule); }

INSTANTIATE_TEST_SUITE_P(
    Rules, TwoPictureFixtureTest,
    ::testing::Values(
        FixtureCase{"multiply.ppm", [](TBitmap& p, const TBitmap& d) { Combine(TTwoImageRule::Multiply, p, d); }},
        FixtureCase{"minimum.ppm", [](TBitmap& p, const TBitmap& d) { Combine(TTwoImageRule::Minimum, p, d); }},
        FixtureCase{"maximum.ppm", [](TBitmap& p, const TBitmap& d) { Combine(TTwoImageRule::Maximum, p, d); }},
        FixtureCase{"difference.ppm",
                    [](TBitmap& p, const TBitmap& d) { Combine(TTwoImageRule::Difference, p, d); }},
        FixtureCase{"average_50.ppm", [](TBitmap& p, const TBitmap& d) { AverageBitmaps(p, d, 50); }},
        FixtureCase{"average_30.ppm", [](TBitmap& p, const TBitmap& d) { AverageBitmaps(p, d, 30); }},
        FixtureCase{"average_200.ppm", [](TBitmap& p, const TBitmap& d) { AverageBitmaps(p, d, 200); }},
        FixtureCase{"average_-40.ppm", [](TBitmap& p, const TBitmap& d) { AverageBitmaps(p, d, -40); }},
        FixtureCase{"field_0_35.ppm", [](TBitmap& p, const TBitmap& d) { AverageField(p, d, 35, 0); }},
        FixtureCase{"field_1_35.ppm", [](TBitmap& p, const TBitmap& d) { AverageField(p, d, 35, 1); }},
        FixtureCase{"multiply_rgb.ppm", [](TBitmap& p, const TBitmap&) { MultiplyRGBBitmap(p); }}),
    CaseNames<&ExpectedStem>);

TEST(PixelArithmeticTest, SumOfSquaredDifferencesEqualsNumpysAndChangesNothing) {
    TBitmap picture, partner;
    LoadFixture(picture, TwoImageFixture("a.ppm"));
    LoadFixture(partner, TwoImageFixture("b.ppm"));
    int64_t expected = 0;
    std::ifstream(TwoImageFixture("sumsq.txt")) >> expected;
    ASSERT_GT(expected, 0);
    EXPECT_EQ(SumSquaredDifferences(picture, partner), expected);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("a.ppm")), picture));
    EXPECT_EQ(SumSquaredDifferences(picture, picture), 0);
}

// Rows of white against black, wider than the runs summed in 32 bits: every
// square is the largest, so a run too long for its sum would wrap.
TEST(PixelArithmeticTest, SumOfSquaredDifferencesOfTheLargestDifferencesOverWideRows) {
    constexpr int width = 30000, height = 3;
    TBitmap white, black;
    for (TBitmap* bitmap : {&white, &black}) {
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(width, height);
    }
    for (int y = 0; y < height; ++y) {
        std::memset(white.ScanLine(y), 255, 3 * width);
        std::memset(black.ScanLine(y), 0, 3 * width);
    }
    const int64_t expected = int64_t(3) * width * height * 255 * 255;
    EXPECT_EQ(SumSquaredDifferences(white, black), expected);
    EXPECT_EQ(SumSquaredDifferences(black, white), expected);
}

TEST(PixelArithmeticTest, TheRulesOwnCases) {
    struct Case {
        TTwoImageRule rule;
        uint8_t p, d, expected;
    };
    const Case cases[] = {
        {TTwoImageRule::Multiply, 173, 255, 173}, {TTwoImageRule::Multiply, 173, 0, 0},
        {TTwoImageRule::Multiply, 128, 128, 64},  {TTwoImageRule::Difference, 200, 10, 255},
        {TTwoImageRule::Difference, 10, 200, 0},  {TTwoImageRule::Difference, 77, 77, 127},
        {TTwoImageRule::Difference, 0, 127, 0},   {TTwoImageRule::Difference, 255, 127, 255},
        {TTwoImageRule::Minimum, 3, 250, 3},      {TTwoImageRule::Maximum, 3, 250, 250},
    };
    for (const Case& c : cases) {
        TBitmap picture, partner;
        LoadColours(picture, {uint32_t(c.p) * 0x010101u});
        LoadColours(partner, {uint32_t(c.d) * 0x010101u});
        CombineBitmaps(picture, partner, c.rule);
        EXPECT_EQ(PixelAt(picture, 0, 0), uint32_t(c.expected) * 0x010101u)
            << int(c.rule) << ": " << int(c.p) << ", " << int(c.d);
    }
    // The loops' division-free multiply equals the plain rule for every pair.
    for (int p = 0; p < 256; ++p) {
        TBitmap picture, partner;
        std::vector<uint32_t> ps(256, uint32_t(p) * 0x010101u), ds;
        for (uint32_t d = 0; d < 256; ++d)
            ds.push_back(d * 0x010101u);
        LoadColours(picture, ps);
        LoadColours(partner, ds);
        CombineBitmaps(picture, partner, TTwoImageRule::Multiply);
        for (int d = 0; d < 256; ++d)
            ASSERT_EQ(picture.ScanLine(0)[3 * d], TwoImageByte(TTwoImageRule::Multiply, uint8_t(p), uint8_t(d)))
                << p << " x " << d;
    }
}

TEST(PixelArithmeticTest, AveragesDivideEachProductOnItsOwnAndStayBytes) {
    EXPECT_EQ(AverageByte(255, 0, 50), 127);
    EXPECT_EQ(AverageByte(101, 101, 50), 100);
    EXPECT_EQ(AverageByte(101, 101, 0), 101);
    EXPECT_EQ(AverageByte(101, 7, 100), 7);
    // Weight 200 gives 2d - p, limited to 0..255.
    EXPECT_EQ(AverageByte(100, 150, 200), 200);
    EXPECT_EQ(AverageByte(10, 200, 200), 255);
    EXPECT_EQ(AverageByte(200, 10, 200), 0);
    // Extreme script weights neither overflow nor wrap.
    EXPECT_EQ(AverageByte(255, 0, INT32_MAX), 0);
    EXPECT_EQ(AverageByte(0, 255, INT32_MIN), 0);
    EXPECT_EQ(AverageByte(255, 0, INT32_MIN), 255);
}

TEST(PixelArithmeticTest, EveryOtherRowByField) {
    TBitmap picture, partner;
    LoadRaster(picture, RgbRaster{1, 4, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}});
    LoadRaster(partner, RgbRaster{1, 4, {0, 0, 0, 0}});
    AverageField(picture, partner, 50, 0);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 0, 1), 0x7F7F7Fu);
    EXPECT_EQ(PixelAt(picture, 0, 2), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 0, 3), 0x7F7F7Fu);
    AverageField(picture, partner, 50, 7);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0x7F7F7Fu);
    EXPECT_EQ(PixelAt(picture, 0, 1), 0x7F7F7Fu);
}

TEST(PixelArithmeticTest, LowResKeepsTheLevelsHighBits) {
    struct Case {
        int level;
        uint8_t mask;
    };
    for (const Case& c : {Case{1, 254}, Case{2, 192}, Case{3, 224}, Case{4, 240}, Case{5, 248}, Case{6, 252},
                          Case{7, 254}, Case{0, 254}, Case{-3, 254}}) {
        EXPECT_EQ(LowResMask(c.level), c.mask) << c.level;
        TBitmap picture;
        LoadColours(picture, {0x7FFF01});
        LowResBitmap(picture, c.level);
        EXPECT_EQ(PixelAt(picture, 0, 0), uint32_t(0x7F & c.mask) << 16 | uint32_t(c.mask) << 8 | (1u & c.mask))
            << c.level;
    }
    TBitmap picture;
    LoadColours(picture, {0x7F7F7F, 0xFFFFFF});
    LowResBitmap(picture, 2);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0x404040u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0xC0C0C0u);
}

TEST(PixelArithmeticTest, MultiplyRGBKeepsBlackAndWhite) {
    TBitmap picture;
    LoadColours(picture, {0x000000, 0xFFFFFF, 0x808080});
    MultiplyRGBBitmap(picture);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0x000000u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 2, 0), 0x404040u);
}

TEST(PixelArithmeticTest, LightnessRoutinesEqualTheHlsPort) {
    const RgbRaster input = ReadPpm(std::string(LUMVOR_FIXTURES) + "/hls/colours.ppm");
    ASSERT_GT(input.Width, 0);
    for (auto [expected, run] : {std::pair{"attenuate.ppm", &MultiplyLuminanceBitmap},
                                 std::pair{"uncook.ppm", &UnCookBitmap}}) {
        SCOPED_TRACE(expected);
        TBitmap picture;
        LoadRaster(picture, input);
        run(picture);
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture(expected)), picture));
    }
}

TEST(PixelArithmeticTest, PartnersOfAnotherSizeOrDepthAndEmptyPicturesAreRefused) {
    TBitmap picture, narrow, indexed, empty, emptyPartner;
    LoadColours(picture, {1, 2, 3});
    LoadColours(narrow, {1, 2});
    LoadColours(indexed, {1, 2, 3});
    indexed.SetPixelFormat(pf4bit);
    EXPECT_THROW(CombineBitmaps(picture, narrow, TTwoImageRule::Multiply), EInvalidGraphic);
    EXPECT_THROW(AverageBitmaps(picture, indexed, 50), EInvalidGraphic);
    EXPECT_THROW(SumSquaredDifferences(picture, narrow), EInvalidGraphic);
    EXPECT_THROW(LowResBitmap(indexed, 2), EInvalidGraphic);
    EXPECT_TRUE(SameBitmap(RgbRaster{3, 1, {1, 2, 3}}, picture));
    // Two empty pictures: nothing to do.
    EXPECT_NO_THROW(CombineBitmaps(empty, emptyPartner, TTwoImageRule::Difference));
    EXPECT_EQ(SumSquaredDifferences(empty, emptyPartner), 0);
}

}  // namespace
