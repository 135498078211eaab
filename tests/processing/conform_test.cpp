// Normalising, conforming, optimising, the gamma searches, the balance filters
// and the hard limits, headless: the maps against the numpy port of
// tests/fixtures/conform, the pictures against the statistics they aim at.
#include <gtest/gtest.h>

#include "processing/lab/Conform.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// A picture whose red, green and blue rows follow three ramps.
void Ramps(TBitmap& bitmap, int width, int redFrom, int redStep, int greenFrom, int greenStep, int blueFrom,
           int blueStep) {
    std::vector<uint32_t> colours;
    for (int x = 0; x < width; ++x) {
        const auto level = [x](int from, int step) { return uint32_t(std::clamp(from + x * step, 0, 255)); };
        colours.push_back(level(redFrom, redStep) << 16 | level(greenFrom, greenStep) << 8 | level(blueFrom, blueStep));
    }
    LoadColours(bitmap, colours);
}

uint8_t Byte(const TBitmap& bitmap, int x, int component) { return bitmap.ScanLine(0)[3 * x + component]; }

TRoundedStats ChannelStats(const TBitmap& bitmap, int channel) {
    CalcHistogram(bitmap, true, true, false);
    const int64_t sums[3][2] = {{HistSumR, HistSumSqR}, {HistSumG, HistSumSqG}, {HistSumB, HistSumSqB}};
    return RoundedStats(sums[channel][0], sums[channel][1], HistCount);
}

}  // namespace

TEST(NormalizeMap, EqualsTheNumpyPort) {
    std::ifstream in(std::string(LUMVOR_FIXTURES) + "/conform/normalize_maps.txt");
    ASSERT_TRUE(in);
    std::string line;
    int cases = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double mean, sd, target, spread;
        fields >> mean >> sd >> target >> spread;
        TColorMap map;
        map.fill(77);
        FillNormalizeMap(map, mean, sd, target, spread);
        for (int i = 0; i < 256; ++i) {
            int expected = -1;
            fields >> expected;
            ASSERT_EQ(map[i], expected) << "mean " << mean << " sd " << sd << " to " << target << "," << spread
                                        << " entry " << i;
        }
        ++cases;
    }
    EXPECT_GT(cases, 0);
}

TEST(Normalize, AChannelAtItsTargetStaysUpToTruncation) {
    // Levels 64 and 192 in equal numbers: mean 128, deviation 64.
    TBitmap picture;
    LoadColours(picture, {0x404040, 0xC0C0C0, 0x404040, 0xC0C0C0});
    CalcHistogram(picture, false, true, false);
    NormalizeBitmap(picture, 0, 128, 64);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelAt(picture, x, 0), x % 2 ? 0xC0C0C0u : 0x404040u);
}

TEST(Normalize, AFlatChannelSplitsAndBlackStaysBlack) {
    // A flat channel is spread with deviation 1: its own level goes to the
    // target mean, the levels around it to 0 and 255, entry 0 stays 0.
    TBitmap flat;
    LoadColours(flat, {0x101010, 0x101010});
    CalcHistogram(flat, false, true, false);
    NormalizeBitmap(flat, 1, 128, 64);
    EXPECT_EQ(PixelAt(flat, 0, 0), 0x108010u);
    EXPECT_EQ(GreenMap[0], 0);
    EXPECT_EQ(GreenMap[15], 64);
    EXPECT_EQ(GreenMap[14], 0);
    EXPECT_EQ(GreenMap[17], 192);
    EXPECT_EQ(GreenMap[18], 255);
}

TEST(Normalize, MovesOnlyTheChosenChannelToItsTarget) {
    TBitmap picture;
    Ramps(picture, 64, 40, 1, 30, 2, 200, -1);
    const TRoundedStats redBefore = ChannelStats(picture, 0);
    const TRoundedStats blueBefore = ChannelStats(picture, 2);
    CalcHistogram(picture, false, true, false);
    NormalizeBitmap(picture, 1, 100, 20);
    const TRoundedStats green = ChannelStats(picture, 1);
    EXPECT_NEAR(green.Mean, 100, 1);
    EXPECT_NEAR(green.Deviation, 20, 1);
    EXPECT_EQ(ChannelStats(picture, 0).Mean, redBefore.Mean);
    EXPECT_EQ(ChannelStats(picture, 2).Deviation, blueBefore.Deviation);
}

TEST(ConformData, UseMovesAnotherPictureToTheReferenceStatistics) {
    TBitmap reference, picture;
    Ramps(reference, 128, 60, 1, 20, 1, 100, 0);
    Ramps(picture, 100, 10, 2, 120, 1, 30, 1);
    CalcHistogram(reference, true, true, false);
    const TConformData data = ConformDataFromHistogram();
    CalcHistogram(picture, false, true, false);
    NormalizeRGBBitmap(picture, data);
    for (int channel = 0; channel < 3; ++channel) {
        const TRoundedStats after = ChannelStats(picture, channel);
        EXPECT_NEAR(after.Mean, data.Mean(channel), 1) << channel;
        EXPECT_NEAR(after.Deviation, data.Deviation(channel), 1) << channel;
    }
}

TEST(Optimize, AChannelAlreadyAtTheEdgesIsNormalisedOnceWithItsOwnStatistics) {
    // Black and white in equal numbers: mean + sd reaches 255 at once (k = 0).
    TBitmap picture;
    LoadColours(picture, {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF});
    CalcHistogram(picture, false, true, false);
    const TRoundedStats blue = RoundedStats(HistSumB, HistSumSqB, HistCount);
    const TNormalizeTarget target = OptimizeBitmap(picture);
    EXPECT_EQ(target.Mean, blue.Mean);
    EXPECT_EQ(target.Deviation, blue.Deviation);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0u);
}

TEST(Optimize, WidensANarrowChannelTowardsTheRange) {
    TBitmap picture;
    Ramps(picture, 41, 100, 1, 100, 1, 100, 1);
    CalcHistogram(picture, false, true, false);
    const TRoundedStats before = RoundedStats(HistSumR, HistSumSqR, HistCount);
    OptimizeBitmap(picture);
    const TRoundedStats after = ChannelStats(picture, 0);
    EXPECT_GT(after.Deviation, 3 * before.Deviation);
    EXPECT_GE(after.Mean, before.Mean);
}

TEST(ConformGamma, ATargetWithinTwoStillAppliesOneCurve) {
    TBitmap picture;
    Ramps(picture, 200, 20, 1, 20, 1, 20, 1);
    CalcMidtones(picture);
    const int mean = int(std::trunc(StatMean(HistSumMax, HistCount)));
    const uint32_t before = PixelAt(picture, 50, 0);
    std::vector<int> gammas;
    ConformGammaBitmap(picture, mean + 1, [&](const auto& g, const auto&) { gammas.push_back(g[0]); });
    ASSERT_FALSE(gammas.empty());
    EXPECT_EQ(gammas.front(), 150);
    EXPECT_NE(PixelAt(picture, 50, 0), before);
}

TEST(ConformGamma, EndsForUnreachableTargets) {
    for (int target : {1, 255, 300, -5}) {
        TBitmap picture;
        Ramps(picture, 100, 90, 1, 90, 1, 90, 1);
        std::vector<int> gammas;
        ConformGammaBitmap(picture, target, [&](const auto& g, const auto&) { gammas.push_back(g[0]); });
        ASSERT_FALSE(gammas.empty()) << target;
        EXPECT_LT(gammas.size(), 20u) << target;
        EXPECT_TRUE(gammas.back() <= 25 || gammas.back() >= 250) << target;
    }
}

TEST(ConformGamma, ReachesAReachableTarget) {
    TBitmap picture;
    Ramps(picture, 200, 20, 1, 20, 1, 20, 1);
    ConformGammaBitmap(picture, 150);
    CalcMidtones(picture);
    EXPECT_NEAR(StatMean(HistSumMax, HistCount), 150, 3);
}

TEST(ConformGammaRGB, AChannelAtItsTargetStopsWhileTheOthersGoOn) {
    TBitmap picture;
    Ramps(picture, 200, 20, 1, 20, 1, 20, 1);
    // Green's target is reached by the first curve; red wants far more light.
    std::vector<std::array<int, 3>> gammas, means;
    const std::array<int, 3> first = [&] {
        TBitmap probe;
        probe.Assign(&picture);
        ResetMaps();
        SetGammaLUT(150, 1, false);
        ColorFilterBitmap(probe);
        return std::array<int, 3>{0, ChannelStats(probe, 1).Mean, 0};
    }();
    ConformGammaRGBBitmap(picture, {230, first[1], 60}, [&](const auto& g, const auto& m) {
        gammas.push_back(g);
        means.push_back(m);
    });
    ASSERT_GE(gammas.size(), 3u);
    for (const auto& pass : gammas) {
        SCOPED_TRACE(::testing::Message() << pass[0] << "," << pass[1] << "," << pass[2]);
        EXPECT_EQ(pass[1], 150);
    }
    EXPECT_GT(gammas.back()[0], gammas.front()[0]);
    EXPECT_LT(gammas.back()[2], gammas.front()[2]);
    EXPECT_EQ(means.back()[1], first[1]);
}

TEST(BalanceGamma, WhiteStaysWhiteAndAnIdentityCurveKeepsEveryPixel) {
    TBitmap picture;
    LoadColours(picture, {0xFFFFFF, 0x000000, 0x123456, 0xFEDCBA, 0x7F8081});
    ResetMaps();
    BalanceGammaFilterBitmap(picture);
    EXPECT_TRUE(SameBitmap(RgbRaster{5, 1, {0xFFFFFF, 0x000000, 0x123456, 0xFEDCBA, 0x7F8081}}, picture));
    // A curve acts fully on black-ish pixels and not at all on white.
    for (int i = 0; i < 256; ++i) GreenMap[i] = uint8_t(std::min(255, i + 100));
    BalanceGammaFilterBitmap(picture);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x646464u);
    // Red 0x12 of 0x123456 (Y = 44): (18 x 44 + 118 x 211) div 255, one division.
    EXPECT_EQ(Byte(picture, 2, 2), (18 * 44 + 118 * 211) / 255);
}

TEST(Balance, BlackStaysBlackAndZeroTablesSkipTheScaling) {
    TBitmap picture;
    LoadColours(picture, {0x000000, 0xFFFFFF, 0x808080});
    RedLUT.fill(0);
    GreenLUT.fill(0);
    BlueLUT.fill(0);
    BalanceFilterBitmap(picture);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0u);
    // White (Y = 254) takes the balanced colour (black) almost fully.
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x000000u + 0x010101u * (255 * 1 / 255));
    // Tables: red twice as strong as green and blue; white's balanced colour is
    // (255, 127, 127) after the scaling.
    for (int i = 0; i < 256; ++i) {
        RedLUT[i] = uint16_t(2 * i);
        GreenLUT[i] = uint16_t(i);
        BlueLUT[i] = uint16_t(i);
    }
    LoadColours(picture, {0xFFFFFF, 0x000000});
    BalanceFilterBitmap(picture);
    EXPECT_EQ(Byte(picture, 0, 2), 254 * 255 / 255 + 255 * 1 / 255);
    EXPECT_LT(Byte(picture, 0, 1), 140);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0u);
}

TEST(HardLimit, LimitsCloserThanFourApartAreSkipped) {
    TBitmap picture;
    Ramps(picture, 256, 0, 1, 0, 1, 0, 1);
    // Whatever an earlier curve left in the maps must not leak in.
    for (int k = 0; k < 3; ++k) SetGammaLUT(150, k, false);
    HardLimitBitmap(picture, 400, 10, 12, 200);
    for (int x : {0, 5, 11, 12})
        EXPECT_EQ(Byte(picture, x, 1), x) << x;
    // The high limit alone: 12..200 stretched to 12..255.
    EXPECT_EQ(Byte(picture, 100, 1), 126);
    EXPECT_EQ(Byte(picture, 200, 1), 255);
    EXPECT_EQ(Byte(picture, 230, 1), 255);
    // A shadow level above the median (as a preview's slider may give) sets no
    // low limit either: the preview shows what the command applies.
    Ramps(picture, 256, 0, 1, 0, 1, 0, 1);
    HardLimitBitmap(picture, 400, 150, 100, 102);
    for (int x : {0, 50, 149, 255})
        EXPECT_EQ(Byte(picture, x, 0), x) << x;
}

TEST(HardLimit, OneChannelMethodChangesOnlyThatChannel) {
    TBitmap picture;
    Ramps(picture, 256, 0, 1, 0, 1, 0, 1);
    HardLimitBitmap(picture, 402, 40, 128, 220);
    for (int x : {20, 60, 240}) {
        EXPECT_EQ(Byte(picture, x, 2), x);
        EXPECT_EQ(Byte(picture, x, 0), x);
    }
    EXPECT_EQ(Byte(picture, 20, 1), 0);
    EXPECT_EQ(Byte(picture, 240, 1), 255);
    EXPECT_EQ(Byte(picture, 128, 1), 128);
}
