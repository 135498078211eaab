// The 24-bit size changes against numpy ports of their index and block rules.
#include <gtest/gtest.h>

#include "processing/geometry/Resize24.h"
#include "support/case_names.h"
#include "support/picture_compare.h"

#include <functional>
#include <ostream>
#include <string>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/resize/" + name; }

// A 24-bit bitmap of the raster's pixels.
void FromRaster(const RgbRaster& raster, TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(raster.Width, raster.Height);
    for (int y = 0; y < raster.Height; ++y)
        for (int x = 0; x < raster.Width; ++x)
            bitmap.Handle()->SetColor(x, y, raster.At(x, y));
}

::testing::AssertionResult Equals(const RgbRaster& expected, const TBitmap& actual) {
    if (PixelFormatDepth(actual.PixelFormat()) != 24)
        return ::testing::AssertionFailure() << "not 24-bit";
    return SamePixels(expected, actual.Width(), actual.Height(),
                      [&](int x, int y) { return actual.Handle()->GetColor(x, y); });
}

struct Case {
    const char* name;
    std::function<void(const TBitmap&, TBitmap&)> run;
    const char* expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Resize24Test : public ::testing::TestWithParam<Case> {};

TEST_P(Resize24Test, EqualsTheNumpyPort) {
    TBitmap source, target;
    FromRaster(ReadPpm(Fixture("noise100.ppm")), source);
    ASSERT_EQ(source.Width(), 100);
    GetParam().run(source, target);
    EXPECT_TRUE(Equals(ReadPpm(Fixture(GetParam().expected)), target));
}

INSTANTIATE_TEST_SUITE_P(
    Noise100, Resize24Test,
    ::testing::Values(
        Case{"Interpolate37x161", [](const TBitmap& s, TBitmap& t) { InterpolateCopy(s, t, 37, 161); },
             "noise100_interpolate_37x161.ppm"},
        Case{"Distill50x50", [](const TBitmap& s, TBitmap& t) { Distill2x2Copy(s, t, 100, 100, 50, 50); },
             "noise100_distill_50x50.ppm"},
        Case{"Distill37x23", [](const TBitmap& s, TBitmap& t) { Distill2x2Copy(s, t, 74, 46, 37, 23); },
             "noise100_distill_37x23.ppm"},
        Case{"Interpolate2x2At50x50", [](const TBitmap& s, TBitmap& t) { Interpolate2x2Copy(s, t, 50, 50); },
             "noise100_interpolate2x2_50x50.ppm"}),
    CaseNames<&Case::name>);

// Every distilled pixel is the mean, rounded down, of one 2 x 2 block of the doubled picture.
TEST(Resize24, DistilledPixelsAreFlooredBlockMeans) {
    TBitmap source, doubled, target;
    FromRaster(ReadPpm(Fixture("noise100.ppm")), source);
    InterpolateCopy(source, doubled, 100, 100);
    Distill2x2Copy(source, target, 100, 100, 50, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = doubled.ScanLine(2 * y)[6 * x + c] + doubled.ScanLine(2 * y)[6 * x + 3 + c] +
                                doubled.ScanLine(2 * y + 1)[6 * x + c] + doubled.ScanLine(2 * y + 1)[6 * x + 3 + c];
                ASSERT_EQ(target.ScanLine(y)[3 * x + c], sum / 4) << x << "," << y;
            }
}

TEST(Resize24, EdgeSizesAndOtherDepths) {
    TBitmap source, target;
    FromRaster(ReadPpm(Fixture("noise100.ppm")), source);
    // One pixel wide: the first column; the rows as ever.
    InterpolateCopy(source, target, 1, 3);
    ASSERT_EQ(target.Width(), 1);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(target.Handle()->GetColor(0, y), source.Handle()->GetColor(0, y * 100 / 3));

    // An odd last row and column are left as they are.
    TBitmap odd;
    InterpolateCopy(source, odd, 3, 3);
    const uint32_t corner = odd.Handle()->GetColor(2, 2);
    Average2x2(odd);
    EXPECT_EQ(odd.Handle()->GetColor(2, 2), corner);

    TBitmap empty;
    InterpolateCopy(empty, target, 10, 10);
    EXPECT_TRUE(target.GetEmpty());

    TBitmap indexed;
    indexed.SetPixelFormat(pf8bit);
    indexed.SetSize(20, 20);
    EXPECT_THROW(InterpolateCopy(indexed, target, 10, 10), EInvalidGraphic);
    EXPECT_THROW(Average2x2(indexed), EInvalidGraphic);
    EXPECT_THROW(InterpolateCopy(source, target, 0, 10), EInvalidGraphic);
}

}  // namespace
