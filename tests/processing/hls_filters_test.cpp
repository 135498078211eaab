// The hue, lightness and saturation filters and the negative's pixel routine,
// against the rules' own cases and a Python port of the integer HLS conversion
// (tests/fixtures/hls).
#include <gtest/gtest.h>

#include "imaging/Helpers.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "platform/SysUtils.h"
#include "support/bitmap_raster.h"

#include <cstring>
#include <functional>
#include <string>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string HlsFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/hls/" + name; }

uint32_t Pack(const TRGBTriple& rgb) {
    auto cap = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return cap(rgb.Red) << 16 | cap(rgb.Green) << 8 | cap(rgb.Blue);
}

THLS HlsOf(uint32_t colour) {
    THLS hls;
    RGBToHLS(int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF), hls);
    return hls;
}

uint32_t RgbOf(int h, int l, int s) {
    TRGBTriple rgb;
    HLSToRGB(h, l, s, rgb);
    return Pack(rgb);
}

// Every colour with the given hue on a coarse grid (the first one found).
uint32_t ColourWithHue(int hue) {
    for (uint32_t c = 0; c < 0x1000000; c += 0x010101 / 3 + 1)
        if (HlsOf(c).Hue == hue && HlsOf(c).Saturation > 0)
            return c;
    for (uint32_t c = 0; c < 0x1000000; ++c)
        if (HlsOf(c).Hue == hue && HlsOf(c).Saturation > 0)
            return c;
    return 0;
}

class HlsFiltersTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLabState(); }
    void TearDown() override { ResetLabState(); }
};

// ---- Against the Python port

struct PortCase {
    std::string expected;
    std::function<void(TBitmap&)> run;
};

// The maps of the port's curve filters.
void SetPortMaps() {
    for (int i = 0; i < 256; ++i) {
        GreenMap[size_t(i)] = uint8_t(std::min(255, i * 3 / 2));
        BlueMap[size_t(i)] = uint8_t(i * i / 255);
    }
}

TEST_F(HlsFiltersTest, FiltersEqualThePortOnEveryHueSectorGreysBlackAndWhite) {
    const RgbRaster input = ReadPpm(HlsFixture("colours.ppm"));
    ASSERT_GT(input.Width, 0);
    auto tune = [](int dH, int dL, int dS) { return [=](TBitmap& b) { ColorTuneHLSBitmap(b, dH, dL, dS); }; };
    const std::vector<PortCase> cases = {
        {"tune_0_0_0.ppm", tune(0, 0, 0)},
        {"tune_-100_0_0.ppm", tune(-100, 0, 0)},
        {"tune_3700_250_-400.ppm", tune(3700, 250, -400)},
        {"tune_1200_-900_1800.ppm", tune(1200, -900, 1800)},
        {"tune_-5000_0_3600.ppm", tune(-5000, 0, 3600)},
        {"tune_0_3600_0.ppm", tune(0, 3600, 0)},
        {"saturation.ppm", [](TBitmap& b) { SaturationFilterBitmap(b); }},
        {"luminance.ppm", [](TBitmap& b) { LuminanceFilterBitmap(b); }},
    };
    SetPortMaps();
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.expected);
        TBitmap picture;
        LoadRaster(picture, input);
        c.run(picture);
        EXPECT_TRUE(SameBitmap(ReadPpm(HlsFixture(c.expected)), picture));
    }
}

// ---- The rules' own cases

TEST_F(HlsFiltersTest, HueShiftsWrapIntoOneTurn) {
    struct Case {
        int hue, dH, wrapped;
    };
    const std::vector<Case> cases = {
        {50, -100, 3550}, {0, 3700, 100}, {3000, 600, 3600},
        // Shifts of several turns wrap as well, instead of leaving the range.
        {50, -100 - 7200, 3550}, {0, 3700 + 36000, 100}, {1200, -1200 - 3600 * 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("hue " + std::to_string(c.hue) + " shifted by " + std::to_string(c.dH));
        const uint32_t colour = ColourWithHue(c.hue);
        ASSERT_EQ(HlsOf(colour).Hue, c.hue);
        TBitmap picture;
        LoadColours(picture, {colour});
        ColorTuneHLSBitmap(picture, c.dH, 0, 0);
        const THLS hls = HlsOf(colour);
        EXPECT_EQ(PixelAt(picture, 0, 0), RgbOf(c.wrapped, hls.Lightness, hls.Saturation));
    }
}

TEST_F(HlsFiltersTest, NoShiftIsOneRoundTripAndGreysStayGrey) {
    std::vector<uint32_t> colours;
    for (uint32_t v = 0; v < 256; ++v)
        colours.push_back(v * 0x010101);
    for (uint32_t c = 7; c < 0x1000000; c += 0x2F3B1)
        colours.push_back(c);
    TBitmap picture;
    LoadColours(picture, colours);
    ColorTuneHLSBitmap(picture, 0, 0, 0);
    for (size_t i = 0; i < colours.size(); ++i) {
        const THLS hls = HlsOf(colours[i]);
        const uint32_t out = PixelAt(picture, int(i), 0);
        EXPECT_EQ(out, RgbOf(hls.Hue, hls.Lightness, hls.Saturation)) << std::hex << colours[i];
        if (i < 256) {
            EXPECT_TRUE((out & 0xFF) == (out >> 8 & 0xFF) && (out & 0xFF) == (out >> 16)) << "grey " << i;
        }
    }
}

TEST_F(HlsFiltersTest, IdentityMapsChangeSaturationOnlyByTheEightBitStep) {
    ResetMaps();
    std::vector<uint32_t> colours;
    for (uint32_t c = 3; c < 0x1000000; c += 0x1F0A3)
        colours.push_back(c);
    TBitmap picture;
    LoadColours(picture, colours);
    SaturationFilterBitmap(picture);
    for (size_t i = 0; i < colours.size(); ++i) {
        const THLS hls = HlsOf(colours[i]);
        const int stepped = std::min(255, hls.Saturation * 255 / 3600) * 3600 / 255;
        EXPECT_LE(hls.Saturation - stepped, 15);  // one 8-bit step (3600 / 255) and a truncation
        EXPECT_EQ(PixelAt(picture, int(i), 0), RgbOf(hls.Hue, hls.Lightness, stepped)) << std::hex << colours[i];
    }
}

TEST_F(HlsFiltersTest, AFlatLightnessCurveMakesBlackOrWhite) {
    const RgbRaster input = ReadPpm(HlsFixture("colours.ppm"));
    for (const uint8_t level : {uint8_t(0), uint8_t(255)}) {
        SCOPED_TRACE(int(level));
        GreenMap.fill(level);
        TBitmap picture;
        LoadRaster(picture, input);
        LuminanceFilterBitmap(picture);
        const uint32_t expected = level * 0x010101u;
        EXPECT_TRUE(SamePixels(RgbRaster{input.Width, input.Height, std::vector<uint32_t>(input.Pixels.size(), expected)},
                               picture.Width(), picture.Height(), [&](int x, int y) { return PixelAt(picture, x, y); }));
    }
}

TEST_F(HlsFiltersTest, TheInversionReachesEveryPixelAndLeavesThePadding) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(5, 3);  // 15 bytes a row, one byte of padding
    for (int y = 0; y < 3; ++y)
        std::memset(picture.ScanLine(y), 0x21, size_t(picture.RowBytes()));
    InvertBitmap(picture);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(picture.ScanLine(y)[x], 0xDE) << x << ", " << y;
        EXPECT_EQ(picture.ScanLine(y)[15], 0x21);
    }
}

TEST_F(HlsFiltersTest, OnlyTwentyFourBitPicturesAreTaken) {
    using Routine = std::function<void(TBitmap&)>;
    const std::vector<Routine> routines = {
        [](TBitmap& b) { ColorTuneHLSBitmap(b, 10, 10, 10); }, SaturationFilterBitmap, LuminanceFilterBitmap,
        InvertBitmap};
    for (const Routine& routine : routines) {
        TBitmap indexed;
        indexed.SetPixelFormat(pf8bit);
        indexed.SetSize(4, 4);
        EXPECT_THROW(routine(indexed), EInvalidGraphic);
        TBitmap empty;
        EXPECT_NO_THROW(routine(empty));
    }
}

}  // namespace
