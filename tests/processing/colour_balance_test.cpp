// Haze removal, the natural film look, the zero shift and the per-channel
// normalising: hand-computed pixels and numpy ports over the integer HLS
// conversion (tests/fixtures/naturalise).
#include <gtest/gtest.h>

#include "platform/SysUtils.h"
#include "processing/lab/ColourBalance.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

class ColourBalanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLabState();
        ClearHistogram();
    }
    void TearDown() override {
        ResetLabState();
        ClearHistogram();
    }
};

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// ---- The film look

struct FilmCase {
    std::string name;
    uint32_t colour;
    int level, amount;
    bool ccd;
    uint32_t expected;
};

void PrintTo(const FilmCase& c, std::ostream* os) { *os << c.name; }

class FilmLookByHand : public ColourBalanceTest, public ::testing::WithParamInterface<FilmCase> {};

TEST_P(FilmLookByHand, GivesTheWorkedPixel) {
    const FilmCase& c = GetParam();
    TBitmap picture;
    LoadColours(picture, {c.colour});
    FilmNoirBitmap(picture, c.level, c.amount, c.ccd);
    EXPECT_EQ(PixelAt(picture, 0, 0), c.expected) << std::hex << PixelAt(picture, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, FilmLookByHand,
    ::testing::Values(
        // t = 128 x 150 div 255 + 50 = 125; 125 x 52 div 256 = 25 plus 203 x x div 255.
        FilmCase{"RgbLevel128Amount52", Rgb(200, 100, 50), 128, 52, false, Rgb(184, 104, 64)},
        // RGBMIN and RGBMAX: the darkest or the brightest component, x 255 div 256.
        FilmCase{"RgbMinimum", Rgb(200, 100, 50), 0, 255, false, Rgb(49, 49, 49)},
        FilmCase{"RgbMaximum", Rgb(200, 100, 50), 255, 255, false, Rgb(199, 199, 199)},
        // lo = 255 shr 2 = 63 lies above the luminance 25: t = 82 is held at 63.
        FilmCase{"CcdLuminanceBelowTheMean", Rgb(0, 0, 255), 128, 52, true, Rgb(12, 12, 215)},
        // A grey keeps its level: span 1, t = the grey; only 255 div 256 rounds it down.
        FilmCase{"GreyKeptUpToRounding", Rgb(100, 100, 100), 128, 255, false, Rgb(99, 99, 99)},
        FilmCase{"GreyUntouchedWithoutAmount", Rgb(100, 100, 100), 128, 0, false, Rgb(100, 100, 100)},
        FilmCase{"WhiteStaysBelow256", Rgb(255, 255, 255), 255, 128, true, Rgb(254, 254, 254)}),
    CaseNames<&FilmCase::name>);

// ---- Against the numpy ports

struct PortCase {
    std::string expected;
    std::function<void(TBitmap&)> run;
};

TEST_F(ColourBalanceTest, DefogAndFilmLookEqualThePortsOverEveryHueSector) {
    const RgbRaster input = ReadPpm(Fixture("hls/colours.ppm"));
    ASSERT_GT(input.Width, 0);
    std::vector<PortCase> cases;
    for (auto [strength, boost] : {std::pair{255, 64}, {128, 200}, {0, 255}, {200, 0}})
        cases.push_back({"defog_" + std::to_string(strength) + "_" + std::to_string(boost) + ".ppm",
                         [=](TBitmap& b) { DefogBitmap(b, strength, boost); }});
    for (auto [level, amount] : {std::pair{128, 52}, {0, 255}, {255, 255}, {60, 180}})
        for (bool ccd : {false, true})
            cases.push_back({std::string("film_") + (ccd ? "ccd_" : "rgb_") + std::to_string(level) + "_" +
                                 std::to_string(amount) + ".ppm",
                             [=](TBitmap& b) { FilmNoirBitmap(b, level, amount, ccd); }});
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.expected);
        TBitmap picture;
        LoadRaster(picture, input);
        c.run(picture);
        EXPECT_TRUE(SameBitmap(ReadPpm(Fixture("naturalise/" + c.expected)), picture));
    }
}

// ---- Defog by hand

TEST_F(ColourBalanceTest, DefogLeavesWhiteAndBlackAndThinsTheGreyOfDarkColours) {
    TBitmap picture;
    LoadColours(picture, {Rgb(255, 255, 255), Rgb(0, 0, 0), Rgb(40, 80, 120)});
    DefogBitmap(picture, 255, 255);
    EXPECT_EQ(PixelAt(picture, 0, 0), Rgb(255, 255, 255));
    EXPECT_EQ(PixelAt(picture, 1, 0), Rgb(0, 0, 0));
    // (40, 80, 120): d = 215^2 + 175^2 + 135^2 = 95075; HLS (2100, 1129, 1800);
    // the saturation grows by (1800 x 95075 div 195075) x 255 / 128 = 1747 to
    // 3547; back: (1, 80, 159); the grey part 1 x d div K = 0 leaves it.
    EXPECT_EQ(PixelAt(picture, 2, 0), Rgb(1, 80, 159));
    // Without a boost only the grey share goes: the HLS round trip keeps
    // (40, 80, 120), which loses 40 x 95075 div 195075 = 19 at strength 255.
    LoadColours(picture, {Rgb(40, 80, 120)});
    DefogBitmap(picture, 255, 0);
    EXPECT_EQ(PixelAt(picture, 0, 0), Rgb(21, 61, 101));
}

TEST_F(ColourBalanceTest, RoutinesRefusePicturesBelow24Bits) {
    TBitmap picture;
    picture.SetPixelFormat(pf8bit);
    picture.SetSize(4, 4);
    EXPECT_THROW(DefogBitmap(picture, 128, 64), EInvalidGraphic);
    EXPECT_THROW(FilmNoirBitmap(picture, 128, 52, true), EInvalidGraphic);
    TBitmap empty;
    empty.SetPixelFormat(pf24bit);
    EXPECT_NO_THROW(DefogBitmap(empty, 128, 64));
}

// ---- Zero shift

// A picture of the given colours, each repeated Count times.
void LoadRuns(TBitmap& picture, const std::vector<std::pair<uint32_t, int>>& runs) {
    std::vector<uint32_t> colours;
    for (auto [colour, count] : runs) colours.insert(colours.end(), size_t(count), colour);
    LoadColours(picture, colours);
}

void ZeroShift(TBitmap& picture) {
    CalcHistogram(picture, false, true, false);
    SetZeroShiftMaps();
    ColorFilterBitmap(picture);
}

TEST_F(ColourBalanceTest, ZeroShiftMovesEachFirstOccupiedLevelToZero) {
    TBitmap picture;
    // 49 pixels occupy a level, 48 do not: the few darker pixels go to 0.
    LoadRuns(picture, {{Rgb(30, 0, 12), 49}, {Rgb(200, 150, 90), 60}, {Rgb(5, 5, 5), 48}});
    ZeroShift(picture);
    EXPECT_EQ(PixelAt(picture, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelAt(picture, 49, 0), Rgb(170, 150, 78));
    EXPECT_EQ(PixelAt(picture, 109, 0), Rgb(0, 5, 0));
}

TEST_F(ColourBalanceTest, ZeroShiftChangesNothingWhenEveryChannelStartsAtZero) {
    TBitmap picture;
    LoadRuns(picture, {{Rgb(0, 0, 0), 49}, {Rgb(250, 120, 33), 60}, {Rgb(17, 200, 255), 70}});
    const RgbRaster before = RasterOfBitmap(picture);
    ZeroShift(picture);
    EXPECT_TRUE(SameBitmap(before, picture));
    // Nothing occupied at all: nothing moves either.
    LoadRuns(picture, {{Rgb(90, 90, 90), 10}, {Rgb(30, 60, 9), 10}});
    const RgbRaster sparse = RasterOfBitmap(picture);
    ZeroShift(picture);
    EXPECT_TRUE(SameBitmap(sparse, picture));
}

// ---- Per-channel normalising

TEST_F(ColourBalanceTest, WhiteBalanceMovesEachMeanByItsOffsetAndKeepsTheSpread) {
    // Noise between 60 and 190: no level is pushed past 0 or 255.
    std::mt19937 random(8900);
    std::uniform_int_distribution<uint32_t> level(60, 190);
    std::vector<uint32_t> colours;
    for (int i = 0; i < 64 * 48; ++i) colours.push_back(Rgb(int(level(random)), int(level(random)), int(level(random))));
    TBitmap picture;
    LoadRaster(picture, RgbRaster{64, 48, colours});
    CalcHistogram(picture, false, true, false);
    const std::array<TRoundedStats, 3> before{ChannelStats(0), ChannelStats(1), ChannelStats(2)};
    const std::array<int32_t, 3> offsets{30, -25, 0};
    WhiteBalanceBitmap(picture, offsets);
    CalcHistogram(picture, false, true, false);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("channel " + std::to_string(k));
        // The map truncates: each level may end up to one below.
        EXPECT_NEAR(ChannelStats(k).Mean, before[size_t(k)].Mean + offsets[size_t(k)], 1);
        EXPECT_NEAR(ChannelStats(k).Deviation, before[size_t(k)].Deviation, 1);
    }
}

}  // namespace
