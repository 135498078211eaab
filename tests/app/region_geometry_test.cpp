// The rectangle rules of region selection: where the marquee dialog starts,
// what a cancelled dialog puts back, grid cells as selections, and where the
// zoom tool zooms.
#include <gtest/gtest.h>

#include "app/RegionGeometry.h"
#include "support/case_names.h"
#include "support/rect_expect.h"

using namespace lumvor;
using namespace lumvor::regiongeo;
using lumvor::test::RectIs;

namespace {

constexpr int PictureWidth = 200;
constexpr int PictureHeight = 150;
const TRect WholePicture = Rect(0, 0, PictureWidth, PictureHeight);

struct StartCase {
    const char* name;
    int marqueeBottom;
    TRect stored;
    bool shift;
    TRect start;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class MarqueeStart : public ::testing::TestWithParam<StartCase> {};

}  // namespace

TEST_P(MarqueeStart, StartsFromTheStoredRectangleOnlyWhenItFits) {
    const StartCase& c = GetParam();
    EXPECT_TRUE(RectIs(MarqueeStartRect(c.stored, c.marqueeBottom, c.shift, PictureWidth, PictureHeight), c.start));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarqueeStart,
    ::testing::Values(StartCase{"Stored", 40, Rect(10, 20, 60, 70), false, Rect(10, 20, 60, 70)},
                      StartCase{"ReversedIsNormalised", 40, Rect(60, 70, 10, 20), false, Rect(10, 20, 60, 70)},
                      StartCase{"WholePictureStored", 1, WholePicture, false, WholePicture},
                      StartCase{"ShiftTakesTheWholePicture", 40, Rect(10, 20, 60, 70), true, WholePicture},
                      StartCase{"NoMarquee", -1, Rect(10, 20, 60, 70), false, WholePicture},
                      StartCase{"MarqueeBottomZero", 0, Rect(10, 20, 60, 70), false, WholePicture},
                      StartCase{"StoredBottomZero", 40, Rect(10, 0, 60, 0), false, WholePicture},
                      StartCase{"PastTheRight", 40, Rect(10, 20, 201, 70), false, WholePicture},
                      StartCase{"PastTheBottom", 40, Rect(10, 20, 60, 151), false, WholePicture},
                      StartCase{"LeftOfThePicture", 40, Rect(-5, 20, 60, 70), false, WholePicture}),
    test::CaseNames<&StartCase::name>);

TEST(RegionGeometry, ACancelKeepsSavedRectanglesUnlessPastBothEdges) {
    const struct {
        TRect saved;
        bool restorable;
    } cases[] = {{Rect(10, 20, 60, 70), true},
                 {WholePicture, true},
                 {Rect(10, 20, 201, 70), true},
                 {Rect(10, 20, 60, 151), true},
                 {Rect(10, 20, 201, 151), false}};
    for (const auto& c : cases)
        EXPECT_EQ(SavedRectRestorable(c.saved, PictureWidth, PictureHeight), c.restorable)
            << c.saved.Right << "," << c.saved.Bottom;
    EXPECT_TRUE(RectIs(MarqueeAnswerRect(5, 6, 30, 40), Rect(5, 6, 35, 46)));
}

TEST(RegionGeometry, GridCellsReachTheEdgeByOnePixel) {
    const struct {
        TRect cell;
        TRect selection;
    } cases[] = {
        // The last cell ends one pixel before each edge: widened to the edge.
        {Rect(100, 75, 199, 149), Rect(100, 75, 200, 150)},
        // Ending at the edge: kept.
        {Rect(100, 75, 200, 150), Rect(100, 75, 200, 150)},
        // Right at the edge, bottom before it: only the bottom grows.
        {Rect(0, 0, 200, 74), Rect(0, 0, 200, 75)},
        // An inner cell grows by one pixel each way (its inclusive corner becomes exclusive).
        {Rect(0, 0, 65, 49), Rect(0, 0, 66, 50)},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(RectIs(GridCellSelection(c.cell, PictureWidth, PictureHeight), c.selection));
}

TEST(RegionGeometry, GridPresetsNeed64PixelsEachWay) {
    EXPECT_TRUE(GridPresetsAllowed(64, 64));
    EXPECT_FALSE(GridPresetsAllowed(63, 200));
    EXPECT_FALSE(GridPresetsAllowed(200, 63));
}

TEST(RegionGeometry, OnlyAMarqueeOfMoreThan16PixelsZoomsToItsRegion) {
    const struct {
        TRect marquee;
        bool region;
    } cases[] = {{Rect(100, 100, 116, 116), false},
                 {Rect(100, 100, 117, 117), true},
                 {Rect(117, 117, 100, 100), true},
                 {Rect(100, 100, 117, 116), false},
                 {Rect(100, 100, 140, -1), false}};
    for (const auto& c : cases)
        EXPECT_EQ(MarqueeZoomsToRegion(c.marquee), c.region) << c.marquee.Right << "," << c.marquee.Bottom;
}

TEST(RegionGeometry, AClickCentresItsPictureNeverPastTheOrigin) {
    const TPoint at = ClickInPicture(250, 180, 1200, 900, 500, 375);
    EXPECT_EQ(at.X, 600);
    EXPECT_EQ(at.Y, 432);
    const TPoint empty = ClickInPicture(10, 10, 1200, 900, 0, 0);
    EXPECT_EQ(empty.X, 0);
    EXPECT_EQ(empty.Y, 0);
    EXPECT_EQ(CentredScrollPosition(600, 401), 400);
    EXPECT_EQ(CentredScrollPosition(100, 401), 0);
    EXPECT_EQ(CentredScrollPosition(200, 400), 0);
}
