// The tonal composites, the grey conversions and the multiply masks, headless:
// against the numpy ports of tests/fixtures/composite, and their edge cases.
#include <gtest/gtest.h>

#include "processing/lab/MultiplyMasks.h"
#include "processing/lab/TonalComposites.h"
#include "processing/tonal/ColorMaps.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string CompositeFixture(const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/composite/" + name;
}

void LoadFixture(TBitmap& bitmap, const std::string& name) {
    const RgbRaster raster = ReadPpm(CompositeFixture(name));
    ASSERT_GT(raster.Width, 0) << name;
    LoadRaster(bitmap, raster);
}

// A picture of one colour per pixel, given as 0xRRGGBB from the top-left pixel on.
void Pixels(TBitmap& bitmap, int width, int height, const std::vector<uint32_t>& colours) {
    RgbRaster raster{width, height, colours};
    LoadRaster(bitmap, raster);
}

struct CompositeCase {
    std::string expected;
    std::function<void(TBitmap& target, const TBitmap& other)> run;
};

void PrintTo(const CompositeCase& c, std::ostream* out) { *out << c.expected; }

// The case's name: its expected file without the extension.
std::string ExpectedStem(const CompositeCase& c) { return c.expected.substr(0, c.expected.find('.')); }

class CompositeFixtures : public ::testing::TestWithParam<CompositeCase> {};

TEST_P(CompositeFixtures, EqualTheNumpyPort) {
    TBitmap target, other;
    LoadFixture(target, "a.ppm");
    LoadFixture(other, "b.ppm");
    // Whatever the maps held before, each routine sets the curve it uses.
    ClearMaps();
    GetParam().run(target, other);
    EXPECT_TRUE(SameBitmap(ReadPpm(CompositeFixture(GetParam().expected)), target));
    EXPECT_TRUE(SameBitmap(ReadPpm(CompositeFixture("b.ppm")), other));
}

std::vector<CompositeCase> Cases() {
    std::vector<CompositeCase> cases;
    const std::pair<int, int> curves[] = {{100, 99}, {150, 0}, {60, 40}, {250, 75}};
    for (auto [gamma, mix] : curves) {
        const std::string suffix = std::to_string(gamma) + "_" + std::to_string(mix);
        for (bool invert : {false, true})
            cases.push_back({"mask_" + suffix + (invert ? "_1.ppm" : "_0.ppm"),
                             [=](TBitmap& t, const TBitmap& o) { CompositeMaskBitmap(t, o, gamma, mix, invert); }});
        cases.push_back({"midtones_" + suffix + ".ppm",
                         [=](TBitmap& t, const TBitmap& o) { CompositeMidTonesBitmap(t, o, gamma, mix); }});
        cases.push_back({"contrast_" + suffix + ".ppm",
                         [=](TBitmap& t, const TBitmap& o) { CompositeContrastBitmap(t, o, gamma, mix); }});
    }
    cases.push_back({"composite_gray.ppm", CompositeGrayBitmap});
    cases.push_back({"gray.ppm", [](TBitmap& t, const TBitmap&) { GrayBitmap(t); }});
    cases.push_back({"saturation_plane.ppm", [](TBitmap& t, const TBitmap&) { SaturationPlaneBitmap(t); }});
    cases.push_back({"hsl_mask.ppm", [](TBitmap& t, const TBitmap&) { HSLmaskBitmap(t); }});
    for (int gamma : {100, 160})
        for (int mode : {0, 1})
            for (int invert : {0, 1}) {
                const std::string suffix =
                    std::to_string(gamma) + "_" + std::to_string(mode) + "_" + std::to_string(invert) + ".ppm";
                cases.push_back({"multiply_" + suffix,
                                 [=](TBitmap& t, const TBitmap&) { MultiplyMaskBitmap(t, gamma, mode, invert); }});
                cases.push_back({"boost_" + suffix, [=](TBitmap& t, const TBitmap&) {
                                     BoostMultiplyMaskBitmap(t, gamma, mode, invert);
                                 }});
            }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Routines, CompositeFixtures, ::testing::ValuesIn(Cases()), CaseNames<&ExpectedStem>);

TEST(TonalComposites, TheMaskMixTakesTheTargetAt99AndTheOtherAt0) {
    // Grey 200 over black with the identity curve: the target's luminance 200
    // gives the weight 200 of 255, the other's luminance 0 gives weight 0.
    for (auto [mix, expected] : {std::pair{99, 200 * 200 / 255}, std::pair{0, 0}, std::pair{150, 200 * 200 / 255}}) {
        TBitmap target, other;
        Pixels(target, 1, 1, {0xC8C8C8});
        Pixels(other, 1, 1, {0x000000});
        CompositeMaskBitmap(target, other, 100, mix, false);
        EXPECT_EQ(PixelAt(target, 0, 0), uint32_t(expected) * 0x010101) << mix;
    }
}

TEST(TonalComposites, IdenticalCopiesComeBackUnchangedWhateverTheCurve) {
    TBitmap picture, copy;
    LoadFixture(picture, "a.ppm");
    LoadFixture(copy, "a.ppm");
    for (int gamma : {1, 37, 100, 250, 999})
        for (int mix : {0, 40, 99}) {
            CompositeMaskBitmap(picture, copy, gamma, mix, true);
            CompositeMidTonesBitmap(picture, copy, gamma, mix);
            CompositeContrastBitmap(picture, copy, gamma, mix);
            EXPECT_TRUE(SameBitmap(ReadPpm(CompositeFixture("a.ppm")), picture)) << gamma << " " << mix;
        }
}

TEST(TonalComposites, MidToneIndexesAndGreyValues) {
    EXPECT_EQ(MidToneIndex(MaskLuminance(0, 0, 0)), 0);
    EXPECT_EQ(MidToneIndex(127), 127);
    EXPECT_EQ(MidToneIndex(255), 0);
    TBitmap white;
    Pixels(white, 1, 1, {0xFFFFFF});
    GrayBitmap(white);
    EXPECT_EQ(PixelAt(white, 0, 0), 0xFEFEFEu);  // 76 + 153 + 25
}

TEST(TonalComposites, WhiteMaxFindsTheWhitestNeutralPixelFirstScannedOnTies) {
    TBitmap white;
    Pixels(white, 3, 2, std::vector<uint32_t>(6, 0xFFFFFF));
    const TWhitePoint found = FindWhiteMax(white);
    EXPECT_EQ(std::tuple(found.Red, found.Green, found.Blue), std::tuple(255, 255, 255));
    // Two candidates of hue 0 and saturation 1200 among pure blues (saturation
    // 3600, never chosen): the one scanned first (last row, last pixel) wins.
    const uint32_t blue = 0x0000FF, dark = 0x3C1E1E, light = 0x643232;
    for (auto [first, second] : {std::pair{dark, light}, std::pair{light, dark}}) {
        TBitmap picture;
        Pixels(picture, 3, 2, {blue, second, blue, blue, blue, first});
        const TWhitePoint best = FindWhiteMax(picture);
        EXPECT_EQ(uint32_t(best.Red << 16 | best.Green << 8 | best.Blue), first);
    }
}

TEST(MultiplyMasks, GreyAndTheEndsUnderTheIdentityCurve) {
    SetGammaLUT(100, 1, false);
    EXPECT_EQ(MultiplyMaskPixel(128, 128, 128, 0, 0), (std::array<uint8_t, 3>{111, 111, 111}));
    EXPECT_EQ(MultiplyMaskPixel(0, 0, 0, 0, 0), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(MultiplyMaskPixel(255, 255, 255, 0, 0), (std::array<uint8_t, 3>{255, 255, 255}));
    TBitmap grey;
    Pixels(grey, 2, 1, {0x808080, 0xFFFFFF});
    BoostMultiplyMaskBitmap(grey, 100, 0, 0);
    EXPECT_EQ(PixelAt(grey, 0, 0), 0x909090u);  // 144
    EXPECT_EQ(PixelAt(grey, 1, 0), 0xFFFFFFu);
    // Invert in mode 0 takes 255 - Ls (192) and swaps the weights:
    // 192 x 128 div 255 + 63 x 64 div 255 = 96 + 15.
    EXPECT_EQ(MultiplyMaskPixel(128, 128, 128, 0, 1)[0], 111);
    // In mode 1 invert only changes the index (Lp 200 -> 55); the component keeps weight m.
    EXPECT_EQ(MultiplyMaskPixel(200, 200, 200, 1, 0)[0], 200 * 200 / 255 + 55 * 156 / 255);
    EXPECT_EQ(MultiplyMaskPixel(200, 200, 200, 1, 1)[0], 55 * 200 / 255 + 200 * 156 / 255);
}

TEST(TonalComposites, AnEmptyPictureIsLeftAloneAndOtherDepthsAreRefused) {
    TBitmap empty, other;
    EXPECT_NO_THROW(CompositeMaskBitmap(empty, other, 100, 99, false));
    EXPECT_NO_THROW(MultiplyMaskBitmap(empty, 100, 0, 0));
    TBitmap eight;
    eight.SetPixelFormat(pf8bit);
    eight.SetSize(4, 4);
    EXPECT_THROW(GrayBitmap(eight), EInvalidGraphic);
    TBitmap small, large;
    Pixels(small, 1, 1, {0});
    Pixels(large, 2, 1, {0, 0});
    EXPECT_THROW(CompositeGrayBitmap(small, large), EInvalidGraphic);
}

}  // namespace
