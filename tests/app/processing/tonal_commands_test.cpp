// The image window's negative, its hue-lightness-saturation filters and its
// histogram computations: menu place, frame, recording, undo and endings.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <QMenu>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class TonalCommandsTest : public LabWindowTest {
protected:
    // True when both pictures have the same size and every pixel byte of b is
    // Expected(byte of a).
    static bool BytesMap(const TBitmap& a, const TBitmap& b, const std::function<uint8_t(uint8_t)>& expected) {
        if (a.Width() != b.Width() || a.Height() != b.Height())
            return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < 3 * a.Width(); ++x)
                if (b.ScanLine(y)[x] != expected(a.ScanLine(y)[x]))
                    return false;
        return true;
    }
};

TEST_F(TonalCommandsTest, NegativeSitsUnderLabExperiment) {
    TMenuItem* item = WebForm->mnuNegative;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Caption(), "&Negative");
    ASSERT_EQ(item->associatedObjects().size(), 1);
    auto* experiment = qobject_cast<QMenu*>(item->associatedObjects().front());
    ASSERT_NE(experiment, nullptr);
    EXPECT_EQ(experiment->title().toStdString(), "E&xperiment");
    EXPECT_TRUE(WebForm->homeLab->actions().contains(experiment->menuAction()));
    EXPECT_FALSE(WebForm->mnuImageV->actions().contains(item));
}

TEST_F(TonalCommandsTest, NegativeFollowsTheColourDepthRule) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    WebForm->EnableControls();
    for (auto [bits, on] : std::vector<std::pair<int, bool>>{{1, true}, {4, false}, {8, true}, {24, true}}) {
        ImageBitCount = bits;
        WebForm->MainMenuPopup();
        EXPECT_EQ(WebForm->mnuNegative->isEnabled(), on) << bits << " bits";
    }
}

TEST_F(TonalCommandsTest, NegativeInvertsEverythingRecordsAfterItsWorkAndUndoes) {
    TBitmap original;
    MakePicture(original, 24);
    Show(original);
    WebForm->mnuNegative->trigger();
    EXPECT_TRUE(BytesMap(original, Display(), [](uint8_t v) { return uint8_t(255 - v); }));
    const int lastX = original.Width() - 1, lastY = original.Height() - 1;
    EXPECT_EQ(ColorAt(Display(), lastX, lastY), ~ColorAt(original, lastX, lastY) & 0xFFFFFF);
    EXPECT_EQ(Script(), std::vector<std::string>{"NEGATIVE"});
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(StatusTextValue, "Ready.");

    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(BytesMap(original, Display(), [](uint8_t v) { return v; }));
}

TEST_F(TonalCommandsTest, NegativeOfAPalettePictureAndWithinAScript) {
    TBitmap indexed;
    MakePicture(indexed, 8);
    Show(indexed);
    const uint32_t corner = ColorAt(indexed, 36, 22);
    {
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->mnuNegativeClick(WebForm->mnuNegative);
    }
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 24);
    EXPECT_EQ(ColorAt(Display(), 36, 22), ~corner & 0xFFFFFF);
    EXPECT_TRUE(Script().empty());
}

TEST_F(TonalCommandsTest, FiltersWorkInTheLockAndEndAsFilters) {
    TBitmap original;
    MakePicture(original, 24);
    Show(original);
    TBitmap expected;
    expected.Assign(&original);
    ColorTuneHLSBitmap(expected, 300, -100, 200);
    WebForm->ColorTuneHLS(WebForm->Daz95, 300, -100, 200);
    EXPECT_TRUE(BytesMap(expected, Display(), [](uint8_t v) { return v; }));
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());

    ResetMaps();
    GreenMap.fill(0);
    WebForm->LuminanceFilter(WebForm->Daz95);
    EXPECT_TRUE(BytesMap(original, Display(), [](uint8_t) { return uint8_t(0); }));
}

TEST_F(TonalCommandsTest, ComputingAHistogramNeverMarksThePictureChanged) {
    TBitmap original;
    MakePicture(original, 24);
    Show(original);
    for (bool changed : {false, true}) {
        ImageChanged = changed;
        WebForm->DoCalcHistogram(WebForm->Daz95, true, true, true);
        EXPECT_EQ(ImageChanged, changed);
        EXPECT_EQ(HistCount, int64_t(original.Width()) * original.Height());
        EXPECT_FALSE(WebForm->Daz95->PaintLock());
        EXPECT_EQ(Screen.Cursor(), crDefault);
    }
    // A refused picture releases the locks; the count is still at least one.
    TBitmap indexed;
    MakePicture(indexed, 8);
    Show(indexed);
    EXPECT_THROW(WebForm->DoCalcHistogram(WebForm->Daz95, false, true, false), EInvalidGraphic);
    EXPECT_EQ(HistCount, 1);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
}

}  // namespace
