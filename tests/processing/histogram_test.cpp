// The shared histogram and its statistics: the rules' own cases, counts of
// fixtures against netpbm's pgmhist, sums and statistics against numpy
// (tests/fixtures/hls), and the statistics and range helpers as tables.
#include <gtest/gtest.h>

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "processing/tonal/Luminance.h"
#include "support/picture_compare.h"

#include <fstream>
#include <map>
#include <sstream>
#include <string>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string HlsFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/hls/" + name; }

// A 24-bit picture of the colours (0x00RRGGBB), Width a row.
void LoadPixels(TBitmap& bitmap, const std::vector<uint32_t>& colours, int width) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, int(colours.size()) / width);
    for (size_t i = 0; i < colours.size(); ++i) {
        uint8_t* p = bitmap.ScanLine(int(i) / width) + 3 * (int(i) % width);
        p[0] = uint8_t(colours[i]), p[1] = uint8_t(colours[i] >> 8), p[2] = uint8_t(colours[i] >> 16);
    }
}

void LoadFlat(TBitmap& bitmap, uint32_t colour, int width, int height) {
    LoadPixels(bitmap, std::vector<uint32_t>(size_t(width) * size_t(height), colour), width);
}

class HistogramTest : public ::testing::Test {
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

// ---- The rules' cases

TEST_F(HistogramTest, AnEmptyPictureCountsNothing) {
    HistSumR = 77;
    HistR[3] = 5;
    TBitmap empty;
    CalcHistogram(empty, true, true, true);
    EXPECT_EQ(HistCount, 1);
    EXPECT_EQ(HistSumR, 0);
    EXPECT_EQ(HistR[3], 0);
    EXPECT_EQ(HistPeak, 0);
}

TEST_F(HistogramTest, AWhitePictureFillsTheTopBinsAndLuminanceWinsTheTie) {
    TBitmap white;
    LoadFlat(white, 0xFFFFFF, 7, 5);
    CalcHistogram(white, true, true, false);
    for (const THistogram* hist : {&HistR, &HistG, &HistB, &HistLum})
        EXPECT_EQ((*hist)[255], 35);
    EXPECT_EQ(HistSat[0], 35);
    EXPECT_EQ(HistPeak, 35);
    EXPECT_EQ(HistCount, 35);
    EXPECT_EQ(HistSumMax, 255 * 35);
    EXPECT_EQ(HistSumSqMax, 255 * 255 * 35);
}

TEST_F(HistogramTest, TheLargestSumTakesItsOwnSquaresAndTiesKeepTheEarlier) {
    struct Case {
        std::string name;
        std::vector<uint32_t> pixels;
        int64_t sumMax, sumSqMax;
    };
    // Luminance (0,166,4) -> 100 and (200,34,196) -> 100: all four sums are
    // 200, only the squares tell the channels apart.
    const std::vector<Case> cases = {
        {"all tie: luminance", {0x00A604, 0xC822C4}, 200, 100 * 100 * 2},
        {"red above", {0x01A604, 0xC822C4}, 201, 1 + 200 * 200},
        {"green above, blue ties it", {0x00A705, 0xC822C4}, 201, 167 * 167 + 34 * 34},
        {"blue above", {0x00A605, 0xC822C4}, 201, 5 * 5 + 196 * 196},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap picture;
        LoadPixels(picture, c.pixels, 2);
        CalcHistogram(picture, false, true, false);
        EXPECT_EQ(HistSumMax, c.sumMax);
        EXPECT_EQ(HistSumSqMax, c.sumSqMax);
    }
}

TEST_F(HistogramTest, LuminanceOfGreyIsTheGrey) {
    TBitmap grey;
    LoadFlat(grey, 0x808080, 3, 3);
    CalcHistogram(grey, false, false, false);
    EXPECT_EQ(HistLum[128], 9);
    EXPECT_EQ(HistCount, 1);  // no sums asked for
    EXPECT_EQ(HistSumLum, 0);
}

TEST_F(HistogramTest, SaturationIsCountedOnlyWhenAskedFor) {
    HistSat[9] = 4;
    TBitmap red;
    LoadFlat(red, 0xFF0000, 2, 2);
    CalcHistogram(red, false, true, true);
    EXPECT_EQ(HistSat[9], 4);  // stale
    EXPECT_EQ(HistSumSat, 0);
    EXPECT_EQ(HistSumHue, 0);  // hue 0
    CalcHistogram(red, true, true, false);
    EXPECT_EQ(HistSat[9], 0);
    EXPECT_EQ(HistSat[255], 4);
    EXPECT_EQ(HistSumSat, 255 * 4);
}

TEST_F(HistogramTest, MidtonesCountEveryLuminanceButSumOnlyTheMiddle) {
    HistSumR = 5;
    TBitmap black;
    LoadFlat(black, 0, 4, 2);
    CalcMidtones(black);
    EXPECT_EQ(HistLum[0], 8);
    EXPECT_EQ(HistCount, 1);
    EXPECT_EQ(HistSumLum, 0);
    EXPECT_EQ(HistSumMax, 0);
    EXPECT_EQ(HistSumR, 5);  // not its business

    // Luminances 15, 16, 240, 241: only the two inside 16..240 are summed.
    TBitmap mixed;
    LoadPixels(mixed, {0x0F0F0F, 0x101010, 0xF0F0F0, 0xF1F1F1}, 4);
    CalcMidtones(mixed);
    EXPECT_EQ(HistCount, 2);
    EXPECT_EQ(HistSumMax, 16 + 240);
    EXPECT_EQ(HistSumSqMax, 16 * 16 + 240 * 240);
    EXPECT_EQ(HistLum[15] + HistLum[16] + HistLum[240] + HistLum[241], 4);
}

TEST_F(HistogramTest, MapsLoadAsCurves) {
    ResetMaps();
    HistSat[4] = 9;
    LUT2Histogram();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(HistLum[size_t(i)], i);
        ASSERT_EQ(HistR[size_t(i)], i);
        ASSERT_EQ(HistG[size_t(i)], i);
        ASSERT_EQ(HistB[size_t(i)], i);
    }
    EXPECT_EQ(HistSat[4], 0);
    EXPECT_EQ(HistPeak, 255);
    SetContrastLUT(127, 0);
    LUT2Histogram();
    EXPECT_EQ(HistR[10], RedMap[10]);
}

TEST_F(HistogramTest, OtherDepthsAreRefusedAndTheCountStaysAtLeastOne) {
    TBitmap indexed;
    indexed.SetPixelFormat(pf8bit);
    indexed.SetSize(3, 3);
    HistCount = 0;
    EXPECT_THROW(CalcHistogram(indexed, false, true, false), EInvalidGraphic);
    EXPECT_EQ(HistCount, 1);
    HistCount = 0;
    EXPECT_THROW(CalcMidtones(indexed), EInvalidGraphic);
    EXPECT_EQ(HistCount, 1);
}

// ---- Fixtures against independent tools

// pgmhist -machine: "value count" lines for 0..255.
std::vector<int32_t> ReadPgmhist(const std::string& path) {
    std::ifstream in(path);
    std::vector<int32_t> counts(256, -1);
    int value = 0;
    int32_t count = 0;
    while (in >> value >> count)
        if (value >= 0 && value < 256)
            counts[size_t(value)] = count;
    return counts;
}

struct Stat {
    int64_t n, sum, sumSq;
    int mean, sd;
};

// stats.txt: "picture channel N sum sumsq mean sd" as numpy computed them.
std::map<std::string, Stat> ReadStats() {
    std::ifstream in(HlsFixture("stats.txt"));
    std::map<std::string, Stat> stats;
    std::string picture, channel;
    Stat s{};
    while (in >> picture >> channel >> s.n >> s.sum >> s.sumSq >> s.mean >> s.sd)
        stats[picture + " " + channel] = s;
    return stats;
}

void LoadPpm(TBitmap& bitmap, const std::string& name) {
    const RgbRaster raster = ReadPpm(HlsFixture(name));
    ASSERT_GT(raster.Width, 0) << name;
    LoadPixels(bitmap, raster.Pixels, raster.Width);
}

TEST_F(HistogramTest, FixturesCountAsPgmhistAndSumAsNumpy) {
    const std::map<std::string, Stat> stats = ReadStats();
    ASSERT_EQ(stats.size(), 12u);
    for (const std::string picture : {"colours", "tie"}) {
        SCOPED_TRACE(picture);
        TBitmap bitmap;
        LoadPpm(bitmap, picture + ".ppm");
        CalcHistogram(bitmap, true, true, true);
        const std::vector<std::pair<std::string, const THistogram*>> counted = {
            {"0", &HistR}, {"1", &HistG}, {"2", &HistB}, {"lum", &HistLum}};
        for (const auto& [file, hist] : counted) {
            const std::vector<int32_t> expected = ReadPgmhist(HlsFixture(picture + "." + file + ".hist"));
            EXPECT_EQ(std::vector<int32_t>(hist->begin(), hist->begin() + 256), expected) << file;
        }
        struct Sums {
            std::string channel;
            int64_t sum, sumSq;
        };
        const std::vector<Sums> sums = {{"red", HistSumR, HistSumSqR},     {"green", HistSumG, HistSumSqG},
                                        {"blue", HistSumB, HistSumSqB},    {"lum", HistSumLum, HistSumSqLum},
                                        {"sat", HistSumSat, HistSumSqSat}, {"hue", HistSumHue, HistSumSqHue}};
        for (const Sums& s : sums) {
            SCOPED_TRACE(s.channel);
            const Stat& want = stats.at(picture + " " + s.channel);
            EXPECT_EQ(HistCount, want.n);
            EXPECT_EQ(s.sum, want.sum);
            EXPECT_EQ(s.sumSq, want.sumSq);
            const TRoundedStats got = RoundedStats(s.sum, s.sumSq, HistCount);
            EXPECT_EQ(got.Mean, want.mean);
            EXPECT_EQ(got.Deviation, want.sd);
        }
    }
    // The tie picture's red mean is 10.5 and its green mean 11.5: halves go to even.
    EXPECT_EQ(stats.at("tie red").mean, 10);
    EXPECT_EQ(stats.at("tie green").mean, 12);
}

// The table look-ups of the saturation and hue bins against RGBToHLS over every
// 24-bit colour.
TEST_F(HistogramTest, SaturationAndHueBinsEqualTheConversion) {
    std::vector<uint32_t> colours;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b)
                colours.push_back(uint32_t(r << 16 | g << 8 | b));
    std::array<int32_t, 256> sat{};
    int64_t hueSum = 0, hueSumSq = 0;
    for (uint32_t c : colours) {
        THLS hls;
        RGBToHLS(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF), hls);
        ++sat[size_t(std::min(255, hls.Saturation * 255 / 3600))];
        const int hue = std::min(255, hls.Hue * 255 / 3600);
        hueSum += hue;
        hueSumSq += hue * hue;
    }
    TBitmap picture;
    LoadPixels(picture, colours, 256);
    CalcHistogram(picture, true, true, true);
    EXPECT_EQ(std::vector<int32_t>(HistSat.begin(), HistSat.begin() + 256), std::vector<int32_t>(sat.begin(), sat.end()));
    EXPECT_EQ(HistSumHue, hueSum);
    EXPECT_EQ(HistSumSqHue, hueSumSq);
}

// ---- Helpers

TEST(HistogramStats, LargePicturesNeitherOverflowNorDrift) {
    struct Case {
        std::string name;
        int64_t n, sum, sumSq;
        int mean, sd;
    };
    constexpr int64_t mp24 = 24'000'000;
    constexpr int64_t mp400 = 400'000'000;
    const std::vector<Case> cases = {
        {"24 MP white", mp24, 255 * mp24, 255 * 255 * mp24, 255, 0},
        {"24 MP half black, half white", mp24, 255 * mp24 / 2, 255 * 255 * mp24 / 2, 128, 128},
        {"400 MP white", mp400, 255 * mp400, 255 * 255 * mp400, 255, 0},
        {"three pixels 0, 0, 1", 3, 1, 1, 0, 0},
        {"nothing counted", 1, 0, 0, 0, 0},
        {"a count below one counts as one", 0, 7, 49, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRoundedStats got = RoundedStats(c.sum, c.sumSq, c.n);
        EXPECT_EQ(got.Mean, c.mean);
        EXPECT_EQ(got.Deviation, c.sd);
    }
    EXPECT_DOUBLE_EQ(StatMean(255 * mp24 / 2, mp24), 127.5);
    EXPECT_DOUBLE_EQ(StatDeviation(255 * mp24 / 2, 255 * 255 * mp24 / 2, mp24), 127.5);
    EXPECT_EQ(StatDeviation(255 * mp400, 255 * 255 * mp400, mp400), 0.0);
}

TEST(HistogramRanges, OccupiedRangesAndTheFirstOccupiedLevel) {
    struct Case {
        std::string name;
        std::vector<std::pair<int, int>> runs;  // first level, last level of counts of 49
        TRangeScan scan;
        int low, high;
    };
    const std::vector<Case> cases = {
        {"nothing occupied", {}, LuminanceScan, 0, 255},
        {"runs of three are too short", {{10, 12}, {200, 202}}, LuminanceScan, 0, 255},
        {"a run of four", {{10, 13}}, LuminanceScan, 10, 13},
        {"a run ending at 254 reaches 255", {{40, 254}}, LuminanceScan, 40, 255},
        {"a run ending at 253 stays", {{40, 253}}, LuminanceScan, 40, 253},
        {"luminance low end up to 255", {{251, 255}}, LuminanceScan, 251, 255},
        {"saturation low end only up to 250", {{251, 255}}, SaturationScan, 0, 255},
        {"luminance high end down to 3", {{0, 3}}, LuminanceScan, 0, 3},
        {"saturation high end only down to 4", {{0, 3}}, SaturationScan, 0, 255},
        {"saturation high end at 4", {{1, 4}}, SaturationScan, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        THistogram hist{};
        hist.fill(48);  // not occupied: the count must be greater than 48
        for (auto [from, to] : c.runs)
            for (int v = from; v <= to; ++v)
                hist[size_t(v)] = 49;
        for (size_t v = 256; v < hist.size(); ++v)
            hist[v] = 0;
        const THistRange range = OccupiedRange(hist, c.scan);
        EXPECT_EQ(range.Low, c.low);
        EXPECT_EQ(range.High, c.high);
    }
    THistogram hist{};
    EXPECT_EQ(FirstOccupiedLevel(hist), 0);
    hist[3] = 48;
    hist[7] = 49;
    hist[9] = 1000;
    EXPECT_EQ(FirstOccupiedLevel(hist), 7);
}

TEST(Luminances, TheThreeMeasuresStayApart) {
    struct Case {
        int r, g, b, histogram, grey, lightness;
    };
    const std::vector<Case> cases = {
        {255, 255, 255, 255, 254, 3600}, {128, 128, 128, 128, 126, 1807}, {0, 0, 0, 0, 0, 0},
        {255, 0, 0, 76, 76, 1800},       {9, 9, 9, 9, 7, 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
        EXPECT_EQ(HistogramLuminance(c.r, c.g, c.b), c.histogram);
        EXPECT_EQ(GreyLuminance(c.r, c.g, c.b), c.grey);
        EXPECT_EQ(HLSLightness(c.r, c.g, c.b), c.lightness);
    }
}

}  // namespace
