// The colour masks, the edge mask and Subtract, headless: against the numpy
// ports of tests/fixtures/colourmask and pamarith, and their edge cases.
#include <gtest/gtest.h>

#include "imaging/Helpers.h"
#include "processing/lab/ColourMasks.h"
#include "processing/lab/PixelArithmetic.h"
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

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

void LoadFixture(TBitmap& bitmap, const std::string& name) {
    const RgbRaster raster = ReadPpm(Fixture(name));
    ASSERT_GT(raster.Width, 0) << name;
    LoadRaster(bitmap, raster);
}

int32_t Pack(int Centre, int Tolerance) { return int32_t(uint32_t(Tolerance) << 16 | uint32_t(Centre)); }

// The boxes of make_colourmask.py.
TColourBox GreenBox() { return UnpackColourBox(Pack(1200, 600), Pack(1800, 1500), Pack(1800, 1800)); }
TColourBox RedBox() { return UnpackColourBox(Pack(100, 400), Pack(1200, 1000), Pack(3000, 1200)); }

struct MaskCase {
    std::string expected;
    std::function<void(TBitmap& picture, const TBitmap& partner)> run;
};

void PrintTo(const MaskCase& c, std::ostream* out) { *out << c.expected; }

// The case's name: its expected file without the folder and the extension.
std::string ExpectedStem(const MaskCase& c) {
    const std::string name = c.expected.substr(c.expected.find('/') + 1);
    return name.substr(0, name.find('.'));
}

class ColourMaskFixtures : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ColourMaskFixtures, EqualTheNumpyPort) {
    const std::string& expected = GetParam().expected;
    const bool scene = expected.find("edges_") != std::string::npos || expected.find("_scene") != std::string::npos;
    TBitmap picture, partner;
    LoadFixture(picture, scene ? "spatial/scene.ppm" : "hls/colours.ppm");
    LoadFixture(partner, scene ? "colourmask/scene_partner.ppm" : "colourmask/partner.ppm");
    GetParam().run(picture, partner);
    EXPECT_TRUE(SameBitmap(ReadPpm(Fixture(GetParam().expected)), picture));
}

std::vector<MaskCase> Cases() {
    std::vector<MaskCase> cases;
    const std::pair<const char*, TColourBox> boxes[] = {{"green", GreenBox()}, {"red", RedBox()}};
    for (const auto& [name, box] : boxes) {
        const std::string n = name;
        for (int invert = 0; invert < 2; ++invert) {
            cases.push_back({"colourmask/mask_" + n + "_" + std::to_string(invert) + ".ppm",
                             [box, invert](TBitmap& p, const TBitmap&) {
                                 MaskColoursBitmap(p, box, invert != 0, true, false);
                             }});
            cases.push_back({"colourmask/colour_mask_" + n + "_" + std::to_string(invert) + ".ppm",
                             [box, invert](TBitmap& p, const TBitmap& d) { ColourMaskBitmap(p, d, box, invert == 0); }});
        }
        cases.push_back({"colourmask/show_" + n + ".ppm", [box](TBitmap& p, const TBitmap&) {
                             MaskColoursBitmap(p, box, false, false, true, TMaskColour{255, 0, 128});
                         }});
    }
    const std::pair<int, int> edges[] = {{1, 255}, {60, 128}, {400, 192}, {3601, 77}};
    for (const auto& [threshold, weight] : edges)
        cases.push_back({"colourmask/edges_" + std::to_string(threshold) + "_" + std::to_string(weight) + ".ppm",
                         [threshold, weight](TBitmap& p, const TBitmap& d) { MaskEdgesBitmap(p, d, threshold, weight); }});
    cases.push_back({"colourmask/airbrush_scene.ppm", [](TBitmap& p, const TBitmap&) {
                         AirBrushBitmap(p, UnpackColourBox(Pack(1800, 1900), Pack(1800, 700), Pack(1800, 1900)));
                     }});
    cases.push_back({"colourmask/airbrush_red.ppm", [](TBitmap& p, const TBitmap&) { AirBrushBitmap(p, RedBox()); }});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Routines, ColourMaskFixtures, ::testing::ValuesIn(Cases()), CaseNames<&ExpectedStem>);

TEST(AirBrush, ToleranceZeroInAnyComponentChangesNothing) {
    for (const TColourBox& box : {UnpackColourBox(Pack(1800, 0), Pack(1800, 3600), Pack(1800, 3600)),
                                  UnpackColourBox(Pack(1800, 3600), Pack(1800, 3600), Pack(1800, 0))}) {
        TBitmap picture;
        LoadFixture(picture, "spatial/scene.ppm");
        AirBrushBitmap(picture, box);
        EXPECT_TRUE(SameBitmap(ReadPpm(Fixture("spatial/scene.ppm")), picture));
    }
}

TEST(Subtract, OfAPictureFromItselfIsBlackAndFromTheNumpyPort) {
    TBitmap a, b;
    LoadFixture(a, "twoimage/a.ppm");
    LoadFixture(b, "twoimage/b.ppm");
    TBitmap same;
    LoadFixture(same, "twoimage/a.ppm");
    CombineBitmaps(a, same, TTwoImageRule::Subtract);
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(PixelAt(a, x, y), 0u) << x << "," << y;
    LoadFixture(a, "twoimage/a.ppm");
    CombineBitmaps(a, b, TTwoImageRule::Subtract);
    EXPECT_TRUE(SameBitmap(ReadPpm(Fixture("twoimage/subtract.ppm")), a));
    EXPECT_EQ(TwoImageByte(TTwoImageRule::Subtract, 10, 11), 0);
    EXPECT_EQ(TwoImageByte(TTwoImageRule::Subtract, 200, 11), 189);
}

TEST(ColourBox, UnpacksWithoutSignBitsAndTestsStrictly) {
    // A negative packed value: its tolerance is the high 16 bits read unsigned.
    const TColourBox box = UnpackColourBox(int32_t(0xFFFF0064u), Pack(0, 0), Pack(3600, 1));
    EXPECT_EQ(box.HueCentre, 100);
    EXPECT_EQ(box.HueTolerance, 65535);
    EXPECT_EQ(box.SatCentre, 3600);
    EXPECT_EQ(box.SatTolerance, 1);
    const TColourBox narrow = UnpackColourBox(Pack(100, 10), Pack(100, 10), Pack(100, 10));
    EXPECT_TRUE(InColourBox(narrow, 91, 109, 100));
    EXPECT_FALSE(InColourBox(narrow, 90, 100, 100));
    EXPECT_FALSE(InColourBox(narrow, 100, 110, 100));
}

TEST(ColourMasks, ZeroToleranceSelectsNothing) {
    const std::vector<uint32_t> colours{0x000000, 0xFFFFFF, 0x808080, 0xFF0000, 0x20C040};
    TBitmap picture;
    for (const uint32_t c : colours) {
        // The exact centre of each colour with tolerance 0 on every axis.
        const uint8_t r = uint8_t(c >> 16), g = uint8_t(c >> 8), b = uint8_t(c);
        THLS hls;
        RGBToHLS(r, g, b, hls);
        const TColourBox box = UnpackColourBox(hls.Hue, hls.Lightness, hls.Saturation);
        LoadColours(picture, {c});
        MaskColoursBitmap(picture, box, false, true, false);
        EXPECT_EQ(PixelAt(picture, 0, 0), 0x000000u) << std::hex << c;
        LoadColours(picture, {c});
        MaskColoursBitmap(picture, box, true, true, false);
        EXPECT_EQ(PixelAt(picture, 0, 0), 0xFFFFFFu) << std::hex << c;
        LoadColours(picture, {c});
        MaskRGBBitmap(picture, true, r, g, b);
        EXPECT_EQ(PixelAt(picture, 0, 0), 0x000000u) << std::hex << c;
        // Keep on at the centre: m = 0, w = 255, the picture pixel stays.
        LoadColours(picture, {c});
        TBitmap partner;
        LoadColours(partner, {0x123456});
        ColourMaskBitmap(picture, partner, box, true);
        EXPECT_EQ(PixelAt(picture, 0, 0), c) << std::hex << c;
    }
}

TEST(MaskRGB, WhitensExactlyTheComponentsWithinTheBand) {
    TBitmap picture;
    std::vector<uint32_t> colours;
    for (int v = 110; v <= 146; ++v) {
        colours.push_back(uint32_t(v) << 16 | 128u << 8 | 128u);
        colours.push_back(128u << 16 | uint32_t(v) << 8 | 128u);
        colours.push_back(128u << 16 | 128u << 8 | uint32_t(v));
    }
    LoadColours(picture, colours);
    const int32_t packed = 128 + 10 * 65536;
    MaskRGBBitmap(picture, true, packed, packed, packed);
    for (size_t i = 0; i < colours.size(); ++i) {
        const int v = 110 + int(i / 3);
        const uint32_t expected = v >= 119 && v <= 137 ? 0xFFFFFFu : 0x000000u;
        EXPECT_EQ(PixelAt(picture, int(i), 0), expected) << v;
    }
    LoadColours(picture, colours);
    MaskRGBBitmap(picture, false, packed, packed, packed);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 3 * 18, 0), 0x000000u);
}

TEST(ParametricMask, PaintsExactlyThePixelsTheMapsChange) {
    TBitmap picture, original;
    LoadFixture(picture, "hls/colours.ppm");
    LoadFixture(original, "hls/colours.ppm");
    ResetMaps();
    ParametricMaskBitmap(picture, RedMap, GreenMap, BlueMap, TMaskColour{0, 255, 0});
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(original), picture));

    SetEqLUT(128, 40, 0, 0);
    SetEqLUT(128, 40, 60, 1);
    int painted = 0;
    ParametricMaskBitmap(picture, RedMap, GreenMap, BlueMap, TMaskColour{0, 255, 0});
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t c = PixelAt(original, x, y);
            const uint8_t r = uint8_t(c >> 16), g = uint8_t(c >> 8), b = uint8_t(c);
            const bool changes = RedMap[r] != r || GreenMap[g] != g || BlueMap[b] != b;
            painted += changes;
            EXPECT_EQ(PixelAt(picture, x, y), changes ? 0x00FF00u : c) << x << "," << y;
        }
    EXPECT_GT(painted, 0);
    ResetMaps();
}

// A seeded picture of W x H and a partner of another seed.
void Noise(TBitmap& bitmap, int width, int height, uint32_t seed) {
    std::vector<uint32_t> colours;
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1664525u + 1013904223u;
        colours.push_back(seed >> 8 & 0xFFFFFFu);
    }
    LoadRaster(bitmap, RgbRaster{width, height, colours});
}

TEST(MaskEdges, SmallPicturesStayAndSixRowsChangeRowTwoOnly) {
    struct Size {
        int width, height;
        bool changes;
    };
    for (const Size size : {Size{4, 20, false}, Size{20, 5, false}, Size{5, 6, true}, Size{9, 6, true}}) {
        TBitmap picture, partner, original;
        Noise(picture, size.width, size.height, 7);
        Noise(original, size.width, size.height, 7);
        Noise(partner, size.width, size.height, 99);
        MaskEdgesBitmap(picture, partner, 3601, 255);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                const bool written = size.changes && y == 2 && x >= 2 && x <= size.width - 3;
                EXPECT_EQ(PixelAt(picture, x, y), written ? PixelAt(partner, x, y) : PixelAt(original, x, y))
                    << size.width << "x" << size.height << " at " << x << "," << y;
            }
    }
}

TEST(MaskEdges, ThresholdOneChangesOnlyPixelsOfTheWindowsLightness) {
    TBitmap picture, original, partner;
    LoadFixture(picture, "spatial/scene.ppm");
    LoadFixture(original, "spatial/scene.ppm");
    LoadFixture(partner, "colourmask/scene_partner.ppm");
    MaskEdgesBitmap(picture, partner, 1, 255);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            if (PixelAt(picture, x, y) == PixelAt(original, x, y))
                continue;
            int sum[3] = {0, 0, 0};
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const uint32_t c = PixelAt(original, x + dx, y + dy);
                    for (int k = 0; k < 3; ++k)
                        sum[k] += int(c >> (8 * k) & 0xFF);
                }
            THLS window, pixel;
            const uint32_t c = PixelAt(original, x, y);
            RGBToLightness(sum[2] / 25, sum[1] / 25, sum[0] / 25, window);
            RGBToLightness(int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF), pixel);
            EXPECT_EQ(window.Lightness, pixel.Lightness) << x << "," << y;
        }
}

}  // namespace
