// Centring the colour channels' histogram peaks: the shift search on hand-made
// histograms, the saturation profile, and Lab > Advanced > Center on a picture.
#include <gtest/gtest.h>

#include "app/lumv8900.h"
#include "app/save_form_fixture.h"
#include "processing/lab/ChannelPeaks.h"
#include "processing/script/LabState.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "ui/Pix.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// A histogram with the given counts at the given levels.
THistogram Counts(std::initializer_list<std::pair<int, int>> levels) {
    THistogram h{};
    for (const auto& [level, count] : levels)
        h[size_t(level)] = count;
    return h;
}

struct ShiftCase {
    std::string name;
    THistogram red, green, blue;
    std::array<int, 3> shifts;
};

class CentreShiftCases : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(CentreShiftCases, MoveEachPeakOntoTheHighest) {
    const ShiftCase& c = GetParam();
    EXPECT_EQ(CentreShifts(c.red, c.green, c.blue), c.shifts);
}

// A single spike at L has its first largest three-level sum at L - 1, in every
// channel alike, so the shifts are the spikes' differences.
INSTANTIATE_TEST_SUITE_P(
    Histograms, CentreShiftCases,
    ::testing::Values(
        ShiftCase{"SamePeaks", Counts({{120, 900}}), Counts({{120, 500}}), Counts({{120, 700}}), {0, 0, 0}},
        ShiftCase{"Cast", Counts({{100, 900}}), Counts({{120, 900}}), Counts({{140, 900}}), {40, 20, 0}},
        // Green's spike at 238 would push red's top (250) past 255: the
        // search narrows to 24..232, where green's peak is its second mode.
        ShiftCase{"NarrowedSearch", Counts({{100, 900}, {249, 20}, {250, 10}}),
                  Counts({{100, 500}, {238, 1000}}), Counts({{100, 900}}), {0, 0, 0}},
        // Peaks that no narrowing moves: red's shift is cut to 255 - its top (200).
        ShiftCase{"CutToTop", Counts({{100, 900}, {199, 20}, {200, 10}}), Counts({{160, 900}}),
                  Counts({{160, 900}}), {55, 0, 0}},
        ShiftCase{"EmptyPicture", THistogram{}, THistogram{}, THistogram{}, {0, 0, 0}}),
    CaseNames<&ShiftCase::name>);

TEST(ChannelPeaks, TopIsTheHighestFallingEdgeOfFiveOrMore) {
    EXPECT_EQ(ChannelTop(Counts({{200, 10}, {201, 5}})), 201);
    EXPECT_EQ(ChannelTop(Counts({{200, 10}, {201, 4}})), 0);    // fewer than 5
    EXPECT_EQ(ChannelTop(Counts({{200, 10}, {201, 10}})), 0);   // not falling
    EXPECT_EQ(ChannelTop(Counts({{254, 9}, {255, 1000}})), 0);  // 255 itself is never a top
    EXPECT_EQ(ChannelTop(Counts({{253, 20}, {254, 9}})), 254);
    EXPECT_EQ(ChannelPeak(Counts({{16, 3}, {200, 3}}), 16, 240), 16);  // the first on ties
    EXPECT_EQ(ChannelPeak(THistogram{}, 16, 240), 0);
}

TEST(ChannelPeaks, WhiteProfileBlackensSaturatedPixelsOnly) {
    TBitmap picture;
    // Saturation 3600, 0, 900 and 917 on the 0..3600 scale.
    LoadColours(picture, {0xFF0000, 0x808080, 0x643C3C, 0x653C3C});
    WhiteProfileBitmap(picture);
    EXPECT_EQ(PixelAt(picture, 0, 0), 0u);
    EXPECT_EQ(PixelAt(picture, 1, 0), 0x808080u);
    EXPECT_EQ(PixelAt(picture, 2, 0), 0x643C3Cu);
    EXPECT_EQ(PixelAt(picture, 3, 0), 0u);
}

class CenterCommand : public LabWindowTest {
protected:
    // A 40 x 30 picture of (r, g, b) with every tenth pixel a shade darker.
    void ShowCast(int r, int g, int b) {
        TBitmap picture;
        std::vector<uint32_t> row;
        for (int x = 0; x < 40; ++x) {
            const int d = x % 10 == 0 ? 30 : 0;
            row.push_back(uint32_t((r - d) << 16 | (g - d) << 8 | (b - d)));
        }
        RgbRaster raster{40, 30, {}};
        for (int y = 0; y < 30; ++y)
            for (uint32_t c : row) raster.Pixels.push_back(c);
        LoadRaster(picture, raster);
        Show(picture);
        source = raster;
    }
    RgbRaster source;
};

TEST_F(CenterCommand, ShiftsEachChannelOntoTheHighestPeakAndRecords) {
    ShowCast(100, 120, 140);
    lumv8900::WebForm->mnuCenter1Click(nullptr);
    const std::array<int32_t, 3> shifts{FilterCustom1, FilterCustom2, FilterCustom3};
    EXPECT_EQ(shifts, (std::array<int32_t, 3>{40, 20, 0}));
    RgbRaster expected = source;
    for (uint32_t& c : expected.Pixels)
        c = c + (40u << 16) + (20u << 8);
    EXPECT_TRUE(SameBitmap(expected, Display()));
    EXPECT_EQ(Script(), std::vector<std::string>{"CENTER"});
    EXPECT_TRUE(!lumv8900::WorkBitmap || lumv8900::WorkBitmap->Empty());
}

TEST_F(CenterCommand, LeavesAPictureWhosePeaksMeet) {
    ShowCast(90, 90, 90);
    lumv8900::WebForm->mnuCenter1Click(nullptr);
    EXPECT_TRUE(SameBitmap(source, Display()));
    EXPECT_EQ(Script(), std::vector<std::string>{"CENTER"});
}

}  // namespace
