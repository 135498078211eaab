// The view's arithmetic: zoom steps, scroll positions kept across a zoom, the
// whole-pixel trimming of the scroll box, fitting, window placement, the mouse
// grid and the conversions of the selection.
#include <gtest/gtest.h>

#include "app/ViewGeometry.h"
#include "support/rect_expect.h"

using namespace lumvor;
using namespace lumvor::viewgeo;
using lumvor::test::RectIs;

TEST(ViewGeometry, ZoomStepsStopAtTheirLimits) {
    int zoom = 100;
    int steps = 0;
    while (ZoomUp(zoom) != zoom) {
        zoom = ZoomUp(zoom);
        ++steps;
    }
    EXPECT_EQ(zoom, 800);
    EXPECT_EQ(steps, 28);
    while (ZoomDown(zoom) != zoom)
        zoom = ZoomDown(zoom);
    EXPECT_EQ(zoom, 25);
    // Every reachable zoom is a multiple of 25.
    for (int z = 25; z <= 800; z = ZoomUp(z)) {
        EXPECT_EQ(z % 25, 0);
        if (z == 800)
            break;
    }
}

TEST(ViewGeometry, DialogAnswersRoundDownToMultiplesOf25) {
    const struct {
        int answer, zoom;
    } cases[] = {{137, 125}, {150, 150}, {799, 775}, {800, 800}, {25, 25}, {24, 25}, {0, 25}};
    for (const auto& c : cases)
        EXPECT_EQ(ZoomFromAnswer(c.answer), c.zoom) << c.answer;
}

TEST(ViewGeometry, ZoomGridCountsWholeScreenPixels) {
    EXPECT_EQ(ZoomGrid(25), 0);
    EXPECT_EQ(ZoomGrid(175), 0);
    EXPECT_EQ(ZoomGrid(200), 2);
    EXPECT_EQ(ZoomGrid(325), 3);
    EXPECT_EQ(ZoomGrid(800), 8);
}

TEST(ViewGeometry, ScrollPositionsKeepTheirShareAndSnapToTheGrid) {
    EXPECT_EQ(ScrollPercent(150, 600), 25);
    EXPECT_EQ(ScrollPercent(10, 0), 0);
    // 25 % of a 1800-pixel range at 300 %: 450, a multiple of 3 already.
    EXPECT_EQ(KeptScrollPosition(25, 1800, 500, 640, 3), 450);
    // 33 % of 1000 = 330 at 400 %: rounded down to 328.
    EXPECT_EQ(KeptScrollPosition(33, 1000, 300, 640, 4), 328);
    // A position whose visible part runs past the range takes range - client width,
    // then the grid: 1800 - 641 = 1159 -> 1158.
    EXPECT_EQ(KeptScrollPosition(90, 1800, 500, 641, 3), 1158);
    // Below 200 % nothing snaps.
    EXPECT_EQ(KeptScrollPosition(33, 1000, 300, 640, 1), 330);
    // Never negative: the client is wider than the range.
    EXPECT_EQ(KeptScrollPosition(90, 300, 200, 640, 2), 0);
    for (int percent = 0; percent <= 100; percent += 7)
        EXPECT_EQ(KeptScrollPosition(percent, 2400, 500, 700, 3) % 3, 0) << percent;
}

TEST(ViewGeometry, ScrollBoxDropsTheRemainderAtWholeZooms) {
    const TRect view = Rect(40, 30, 40 + 601, 30 + 401);
    // 300 %: a 3000 x 3000 control needs both bars (width 17).
    TScrollBoxLayout layout = ScrollBoxLayout(view, false, 3000, 3000, 300, 17);
    EXPECT_TRUE(layout.HandAvailable);
    EXPECT_TRUE(layout.VertBar);
    EXPECT_TRUE(layout.HorzBar);
    // 601 - 17 = 584 = 3 x 194 + 2; 401 - 17 = 384 = 3 x 128.
    EXPECT_EQ(layout.TrimLeft, 2);
    EXPECT_EQ(layout.TrimTop, 0);
    EXPECT_TRUE(RectIs(layout.Client, Rect(42, 30, 40 + 584, 30 + 384)));
    EXPECT_EQ(layout.Client.Width() % 3, 0);
    EXPECT_EQ(layout.Client.Height() % 3, 0);

    // Only taller than the view: the vertical bar takes room from the width.
    layout = ScrollBoxLayout(view, false, 300, 900, 300, 17);
    EXPECT_TRUE(layout.VertBar);
    EXPECT_FALSE(layout.HorzBar);
    EXPECT_EQ(layout.Client.Width() % 3, 0);
    EXPECT_EQ(layout.Client.Height() % 3, 0);

    // A control inside the view: no hand, still whole pixels.
    layout = ScrollBoxLayout(view, false, 300, 300, 300, 17);
    EXPECT_FALSE(layout.HandAvailable);
    EXPECT_TRUE(RectIs(layout.Client, Rect(41, 32, 641, 431)));

    // Below 200 % and in fit mode nothing is trimmed.
    layout = ScrollBoxLayout(view, false, 3000, 3000, 150, 17);
    EXPECT_EQ(layout.TrimLeft + layout.TrimTop, 0);
    layout = ScrollBoxLayout(view, true, 3000, 3000, 300, 17);
    EXPECT_FALSE(layout.HandAvailable);
    EXPECT_TRUE(RectIs(layout.Client, view));
}

TEST(ViewGeometry, FitEnlargesOnlyWhenAllowed) {
    // Smaller than the box in both directions: own size unless enlarging.
    TSize size = FittedPictureSize(200, 100, 800, 600, false);
    EXPECT_EQ(size.cx, 200);
    EXPECT_EQ(size.cy, 100);
    size = FittedPictureSize(200, 100, 800, 600, true);
    EXPECT_EQ(size.cx, 800);
    EXPECT_EQ(size.cy, 400);
    // Larger in one direction: reduced with its proportions.
    size = FittedPictureSize(1600, 300, 800, 600, false);
    EXPECT_EQ(size.cx, 800);
    EXPECT_EQ(size.cy, 150);
}

TEST(ViewGeometry, PlacedPictureIsCentredAndCappedInFitMode) {
    EXPECT_TRUE(RectIs(PlacedImageBounds(200, 101, true, 801, 600), Rect(300, 249, 500, 350)));
    EXPECT_TRUE(RectIs(PlacedImageBounds(900, 700, true, 800, 600), Rect(0, 0, 800, 600)));
    EXPECT_TRUE(RectIs(PlacedImageBounds(900, 700, false, 800, 600), Rect(0, 0, 900, 700)));
}

TEST(ViewGeometry, WindowPlacementKeepsOnScreenOrCentres) {
    TPoint at = WindowPlacement(900, 700, 400, 300, 1024, 768, false, false);
    EXPECT_EQ(at.X, 900);
    EXPECT_EQ(at.Y, 700);
    at = WindowPlacement(900, 700, 400, 300, 1024, 768, true, false);
    EXPECT_EQ(at.X, 624);
    EXPECT_EQ(at.Y, 468);
    at = WindowPlacement(900, 700, 400, 301, 1024, 768, true, true);
    EXPECT_EQ(at.X, 312);
    EXPECT_EQ(at.Y, 233);
    at = WindowPlacement(-50, 10, 2000, 300, 1024, 768, true, false);
    EXPECT_EQ(at.X, 0);
    EXPECT_EQ(at.Y, 10);
}

TEST(ViewGeometry, SavedBoundsAreFittedToTheScreen) {
    // Below 64 pixels in either direction: half the screen.
    EXPECT_TRUE(RectIs(FittedSavedBounds(Rect(100, 100, 150, 500), 1024, 768, false, false),
                       Rect(100, 100, 612, 484)));
    EXPECT_TRUE(RectIs(FittedSavedBounds(Rect(100, 100, 600, 163), 1024, 768, false, true),
                       Rect(256, 192, 768, 576)));
    // A negative corner becomes 0; the right and bottom edges stay.
    EXPECT_TRUE(RectIs(FittedSavedBounds(Rect(-20, -5, 480, 395), 1024, 768, false, false), Rect(0, 0, 480, 395)));
    // Running past the screen: pulled back; larger than the screen: capped.
    EXPECT_TRUE(RectIs(FittedSavedBounds(Rect(900, 600, 1400, 1000), 1024, 768, false, false),
                       Rect(524, 368, 1024, 768)));
    EXPECT_TRUE(RectIs(FittedSavedBounds(Rect(0, 0, 3000, 2000), 1024, 768, false, false), Rect(0, 0, 1024, 768)));
}

TEST(ViewGeometry, WindowForPictureIsCappedThenRaisedToItsMinimum) {
    TSize size = WindowSizeForPicture(8, 60, 300, 200, 70, 1024, 768, 361);
    EXPECT_EQ(size.cx, 361);
    EXPECT_EQ(size.cy, 330);
    size = WindowSizeForPicture(8, 60, 3000, 2000, 70, 1024, 768, 361);
    EXPECT_EQ(size.cx, 1024);
    EXPECT_EQ(size.cy, 768);
}

TEST(ViewGeometry, MouseGridFollowsZoomAndDepth) {
    const struct {
        int zoom, bits, down, move;
    } cases[] = {{300, 24, 3, 3}, {300, 8, 3, 3}, {300, 4, 3, 8}, {300, 1, 8, 8}, {100, 1, 8, 8}, {100, 24, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(MouseDownGrid(c.zoom, c.bits), c.down) << c.zoom << " " << c.bits;
        EXPECT_EQ(MouseMoveGrid(c.zoom, c.bits), c.move) << c.zoom << " " << c.bits;
    }
    EXPECT_EQ(Snap(14, 3, 2), 12);
    EXPECT_EQ(Snap(14, 8, 2), 8);
    EXPECT_EQ(Snap(14, 1, 2), 14);
}

TEST(ViewGeometry, SelectionConvertsBothWays) {
    // Zoom 300 %: screen (30, 60)-(90, 150) is picture (10, 20)-(30, 50).
    TRect picture = ScreenToPicture(Rect(90, 150, 30, 60), false, 300, 900, 600, 300, 200);
    EXPECT_TRUE(RectIs(picture, Rect(10, 20, 30, 50)));
    EXPECT_TRUE(RectIs(PictureToScreen(picture, false, 300, 900, 600, 300, 200), Rect(30, 60, 90, 150)));
    // Capped at the picture's size.
    picture = ScreenToPicture(Rect(600, 300, 960, 630), false, 300, 900, 600, 300, 200);
    EXPECT_TRUE(RectIs(picture, Rect(200, 100, 300, 200)));
    // Fit mode: a 1000 x 500 picture shown at 400 x 200.
    picture = ScreenToPicture(Rect(40, 20, 200, 120), true, 100, 400, 200, 1000, 500);
    EXPECT_TRUE(RectIs(picture, Rect(100, 50, 500, 300)));
    EXPECT_TRUE(RectIs(PictureToScreen(picture, true, 100, 400, 200, 1000, 500), Rect(40, 20, 200, 120)));
    // Halves round to even: 5 x 100 / 200 = 2.5 -> 2, 7 x 100 / 200 = 3.5 -> 4.
    EXPECT_TRUE(RectIs(ScreenToPicture(Rect(5, 7, 9, 11), false, 200, 100, 100, 100, 100), Rect(2, 4, 4, 6)));
}

TEST(ViewGeometry, CtrlMoveKeepsTheSizeInsideThePicture) {
    // A 40 x 30 picture selection at 100 % dragged towards the bottom-right corner
    // of a 200 x 100 picture is pushed back inside it.
    const TRect previousScreen = Rect(10, 10, 50, 40);
    const TRect previousPicture = Rect(10, 10, 50, 40);
    TMovedSelection moved =
        MoveSelection(Rect(180, 90, 190, 99), previousScreen, previousPicture, false, 100, 200, 100, 200, 100);
    EXPECT_TRUE(moved.Clipped);
    EXPECT_TRUE(RectIs(moved.Screen, Rect(180, 90, 220, 120)));
    EXPECT_TRUE(RectIs(moved.Picture, Rect(160, 70, 200, 100)));
    // Inside: moved as it is.
    moved = MoveSelection(Rect(20, 30, 26, 36), previousScreen, previousPicture, false, 100, 200, 100, 200, 100);
    EXPECT_FALSE(moved.Clipped);
    EXPECT_TRUE(RectIs(moved.Picture, Rect(20, 30, 60, 60)));
    // At 200 %: the corner converts, the picture size stays.
    moved = MoveSelection(Rect(100, 40, 110, 50), Rect(0, 0, 80, 60), Rect(0, 0, 40, 30), false, 200, 400, 200, 200,
                          100);
    EXPECT_TRUE(RectIs(moved.Picture, Rect(50, 20, 90, 50)));
    EXPECT_TRUE(RectIs(moved.Screen, Rect(100, 40, 180, 100)));
}

TEST(ViewGeometry, ShownSelectionFallsBackToTheWholePicture) {
    EXPECT_TRUE(RectIs(SelectionInsidePicture(Rect(50, 40, 10, 20), 100, 80), Rect(10, 20, 50, 40)));
    EXPECT_TRUE(RectIs(SelectionInsidePicture(Rect(10, 10, 10, 40), 100, 80), Rect(0, 0, 100, 80)));
    EXPECT_TRUE(RectIs(SelectionInsidePicture(Rect(10, 10, 101, 40), 100, 80), Rect(0, 0, 100, 80)));
}

TEST(ViewGeometry, HandDragNeverShowsPastTheTopLeft) {
    int origin = 100;
    // Dragging left by 30 scrolls 30 further.
    EXPECT_EQ(HandDragOffset(-50, origin, 70), -80);
    EXPECT_EQ(origin, 100);
    // Dragging right past the start: the offset stops at 0 and the origin follows.
    EXPECT_EQ(HandDragOffset(-20, origin, 150), 0);
    EXPECT_EQ(origin, 150);
}

TEST(ViewGeometry, SlideJpegDivisorFillsThreeQuartersOfTheWindow) {
    const struct {
        int w, h, cw, ch;
        bool widthOnly;
        int d;
    } cases[] = {
        {800, 600, 800, 600, false, 1},      // fits
        {4000, 3000, 1000, 700, false, 4},   // 2000 x 1500, then 1000 x 750
        {64000, 48000, 640, 480, false, 16}, // still too large after three halvings
        {4000, 300, 1000, 700, false, 4},    // the width alone decides
        {4000, 3000, 1000, 700, true, 2},    // the width and a quarter, 1250, is below 2000
        {12000, 300, 1000, 700, true, 8},
        {64000, 300, 1000, 700, true, 16},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SlideJpegDivisor(c.w, c.h, c.cw, c.ch, c.widthOnly), c.d) << c.w << "x" << c.h;
}
