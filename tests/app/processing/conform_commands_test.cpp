// The conform commands of Lab > Advanced, Posterize and the hard limits, RGB
// Levels, and the filter dialog's preview rows of the statistics-driven
// methods, on the image window.
#include <gtest/gtest.h>

#include "app/app_test_tools.h"
#include "app/save_form_fixture.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/FilterPreview.h"
#include "app/dialogs/batch_8900.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/Conform.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/TonalComposites.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "ui/Pix.h"

#include <QMenu>
#include <QPlainTextEdit>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;
using namespace lumv8900;

namespace {

// Three gradients: red across, green down, blue along the diagonal, each from
// Base over Spread levels.
void Scene(TBitmap& bitmap, int width, int height, std::array<int, 3> base, int spread) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[2] = uint8_t(std::clamp(base[0] + x * spread / width, 0, 255));
            p[1] = uint8_t(std::clamp(base[1] + y * spread / height, 0, 255));
            p[0] = uint8_t(std::clamp(base[2] + (x + y) * spread / (width + height), 0, 255));
        }
}

// The statistics of red, green, blue, lightness and saturation of a picture.
TConformData StatisticsOf(const TBitmap& bitmap) {
    ResetMaps();
    CalcHistogram(bitmap, true, true, false);
    return ConformDataFromHistogram();
}

bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (ColorAt(a, x, y) != ColorAt(b, x, y))
                return false;
    return true;
}

class ConformCommandsTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        ConformData = {};
        ConformDataTaken = false;
        Scene(PictureA, 48, 32, {40, 70, 100}, 120);
        Scene(PictureB, 40, 30, {90, 30, 60}, 60);
        Show(PictureA);
    }
    void TearDown() override {
        ConformData = {};
        ConformDataTaken = false;
        LabWindowTest::TearDown();
    }
    // Runs the lines as the Lab Script window's Perform does.
    void Run(const std::vector<std::string>& lines) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i)
            text += (i ? "\n" : "") + lines[i];
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(text));
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoBatchImageProcess();
    }
    std::vector<std::string> MemoLines() const {
        std::vector<std::string> lines;
        for (const QString& line : batch_8900::BatchForm->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts))
            lines.push_back(line.toStdString());
        return lines;
    }
    // Red, green and blue of the picture shown within 1 of Target's.
    void ExpectChannelsNear(const TConformData& target) {
        const TConformData now = StatisticsOf(Display());
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(now.Mean(k), target.Mean(k), 1) << "mean of channel " << k;
            EXPECT_NEAR(now.Deviation(k), target.Deviation(k), 1) << "spread of channel " << k;
        }
    }
    // Runs the preview row of Method on a pane holding a copy of picture A,
    // with WorkBitmap (the duplicate's part) another copy; Pane and Composite
    // take what the pane and WorkBitmap hold afterwards.
    void Preview(int32_t method, std::array<int, 3> s, std::array<int, 3> starts, TBitmap& pane, TBitmap& composite) {
        pane.Assign(&PictureA);
        WorkBitmap = std::make_unique<TBitmap>();
        WorkBitmap->Assign(&PictureA);
        TPix pix;
        pix.SetBitmap(&pane);
        TFilterPreviewRun run{*WebForm, &pix};
        run.Method = method;
        run.S = s;
        run.Starts = starts;
        SetFilterCustoms(s[0], s[1], s[2]);
        // The command measures the viewer picture before it opens the dialog.
        ResetMaps();
        CalcHistogram(PictureA, true, true, false);
        const TFilterPreviewRoutine* routine = FindFilterPreview(method);
        ASSERT_NE(routine, nullptr);
        (*routine)(run);
        pane.Assign(pix.Bitmap());
        composite.Assign(WorkBitmap.get());
        WorkBitmap.reset();
    }
    TBitmap PictureA, PictureB;
};

TEST_F(ConformCommandsTest, ConformInfoWritesFiveInertLinesThatConformOnceUnmarked) {
    const TConformData a = StatisticsOf(PictureA);
    WebForm->mnuConformDataClick(WebForm->mnuConformData);
    ASSERT_NE(batch_8900::BatchForm, nullptr);
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());
    const std::vector<std::string> lines = MemoLines();
    const std::vector<std::string> keywords{">CONFORM_RED", ">CONFORM_GRN", ">CONFORM_BLU", ">CONFORM_LIT",
                                            ">CONFORM_SAT"};
    ASSERT_EQ(lines.size(), keywords.size());
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(lines[size_t(k)], LabLine(keywords[size_t(k)], {a.Mean(k), a.Deviation(k)}));
    EXPECT_TRUE(SamePicture(Display(), PictureA));

    // Replayed as written they match no keyword.
    Show(PictureB);
    Run(lines);
    EXPECT_TRUE(SamePicture(Display(), PictureB));
    // Without the marks, the channel lines move B to A's statistics.
    std::vector<std::string> unmarked;
    for (int k = 0; k < 3; ++k)
        unmarked.push_back(lines[size_t(k)].substr(1));
    Run(unmarked);
    ExpectChannelsNear(a);
}

TEST_F(ConformCommandsTest, UseConformDataWaitsForGetThenMovesTheChannelsToTheReference) {
    EXPECT_FALSE(WebForm->mnuUseConformData->isEnabled());
    EXPECT_FALSE(WebForm->mnuUseConformSAT->isEnabled());
    Show(PictureB);
    WebForm->mnuConformDataClick(WebForm->mnuUseConformData);
    WebForm->mnuConformDataClick(WebForm->mnuUseConformSAT);
    EXPECT_TRUE(SamePicture(Display(), PictureB)) << "zero statistics must not blacken the picture";
    WebForm->HomeReMap1Click(WebForm->HomeReMap1);
    EXPECT_FALSE(WebForm->mnuUseConformData->isEnabled());

    Show(PictureA);
    WebForm->mnuConformDataClick(WebForm->mnuGetConformData);
    EXPECT_TRUE(SamePicture(Display(), PictureA));
    WebForm->HomeReMap1Click(WebForm->HomeReMap1);
    EXPECT_TRUE(WebForm->mnuUseConformData->isEnabled());
    EXPECT_TRUE(WebForm->mnuUseConformSAT->isEnabled());

    Show(PictureB);
    WebForm->mnuConformDataClick(WebForm->mnuUseConformData);
    ExpectChannelsNear(StatisticsOf(PictureA));
    WebForm->mnuConformDataClick(WebForm->mnuUseConformSAT);
    EXPECT_NEAR(StatisticsOf(Display()).Mean(4), StatisticsOf(PictureA).Mean(4), 2);
    EXPECT_EQ(Script(), (std::vector<std::string>{"GET_CONFORM_DATA", "USE_CONFORM_DATA", "USE_CONFORM_SAT_DATA"}));
}

TEST_F(ConformCommandsTest, ScriptTakesConformDataWithoutTheMenuAndEnablesItsItems) {
    Run({"GET_CONFORM_DATA_EX"});
    Show(PictureB);
    Run({"USE_CONFORM_DATA"});
    ExpectChannelsNear(StatisticsOf(PictureA));
    WebForm->HomeReMap1Click(WebForm->HomeReMap1);
    EXPECT_TRUE(WebForm->mnuUseConformData->isEnabled());
    EXPECT_TRUE(WebForm->mnuUseConformSAT->isEnabled());
    EXPECT_TRUE(Script().empty());
}

// The menu that holds Item (the first one it was added to).
QMenu* MenuOf(QAction* item) {
    for (QObject* owner : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner))
            return menu;
    return nullptr;
}

TEST_F(ConformCommandsTest, TheItemsStandInTheirMenus) {
    struct Place {
        TMenuItem* item;
        const char* caption;
        QMenu* menu;
    };
    QMenu* advanced = WebForm->HomeReMap1->menu();
    QMenu* other = MenuOf(WebForm->mnuRandomNoise);
    ASSERT_NE(other, nullptr);
    for (const Place& place : {Place{WebForm->mnuConformData, "Conform &info", advanced},
                               Place{WebForm->mnuGetConformData, "&Get Conform data", advanced},
                               Place{WebForm->mnuUseConformData, "&Use Conform data", advanced},
                               Place{WebForm->mnuUseConformSAT, "Conform &saturation", advanced},
                               Place{WebForm->mnuHardLimit, "&Posterize", other},
                               Place{WebForm->mnuLevelsRGB, "R&GB Levels", WebForm->mnuColorsV},
                               Place{WebForm->mnuParametricEQ, "Parametric E&Q", WebForm->mnuColorsV}}) {
        ASSERT_NE(place.item, nullptr) << place.caption;
        EXPECT_EQ(place.item->text().toStdString(), place.caption);
        EXPECT_EQ(MenuOf(place.item), place.menu) << place.caption;
    }
}

TEST_F(ConformCommandsTest, PosterizeTwoKeepsTheTopTwoBitsOfEveryByte) {
    QueueModalAction(FilterDlgAnswer({251, 2, 2, 0, 255, 0, 0}));
    WebForm->mnuHardLimitClick(WebForm->mnuHardLimit);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    for (int y = 0; y < Display().Height(); ++y)
        for (int x = 0; x < 3 * Display().Width(); ++x)
            ASSERT_EQ(Display().ScanLine(y)[x], PictureA.ScanLine(y)[x] & 0xC0) << x << "," << y;
    EXPECT_EQ(Script(), std::vector<std::string>{"POSTERIZE=2"});
}

TEST_F(ConformCommandsTest, ACancelledDialogChangesAndRecordsNothing) {
    const std::vector<std::function<void()>> commands{
        [] { WebForm->mnuHardLimitClick(WebForm->mnuHardLimit); },
        [] { WebForm->mnuLevelsRGBClick(WebForm->mnuLevelsRGB); },
        [] { WebForm->mnuParametricEQClick(WebForm->mnuParametricEQ); }};
    for (const auto& command : commands) {
        QueueModalAction(FilterDlgAnswer({400, LabCancelled, 0, 0, 0, 0, 0}));
        command();
    }
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_TRUE(SamePicture(Display(), PictureA));
    EXPECT_TRUE(Script().empty());
}

TEST_F(ConformCommandsTest, RgbLevelsRemapMovesOnlyItsChannel) {
    const TConformData before = StatisticsOf(PictureA);
    QueueModalAction(FilterDlgAnswer({412, 150, 150, 20, 0, 150 - before.Mean(1), 20 - before.Deviation(1)}));
    WebForm->mnuLevelsRGBClick(WebForm->mnuLevelsRGB);
    const TConformData after = StatisticsOf(Display());
    EXPECT_NEAR(after.Mean(1), 150, 1);
    EXPECT_NEAR(after.Deviation(1), 20, 1);
    for (int k : {0, 2}) {
        EXPECT_EQ(after.Mean(k), before.Mean(k));
        EXPECT_EQ(after.Deviation(k), before.Deviation(k));
    }
    EXPECT_EQ(Script(), std::vector<std::string>{LabLine("MAP_GRN", {150 - before.Mean(1), 20 - before.Deviation(1)})});
}

// ---- The preview rows: the routine the command runs, on the same picture
//
// The viewer shows the picture, the pane holds a copy of it and WorkBitmap
// (the duplicate's part) another copy, as for a command that duplicated the
// picture before opening the dialog.

struct PreviewCase {
    std::string name;
    int32_t method;
    std::array<int, 3> s;
    std::array<int, 3> starts;
    // The command's change of the picture (its histogram sums computed).
    std::function<void(TBitmap& changed, const TBitmap& original)> change;
    // Where the pane's result is: the composite rows leave it in WorkBitmap.
    bool inWorkBitmap = false;
    std::array<int32_t, 3> customs;
};

void PrintTo(const PreviewCase& c, std::ostream* os) { *os << c.name; }

// Channel k moved by offsets from its own statistics.
void MoveChannel(TBitmap& b, int k, int meanOffset, int deviationOffset) {
    const TRoundedStats own = NormalizeChannelStats(k);
    NormalizeBitmap(b, k, own.Mean + meanOffset, own.Deviation + deviationOffset);
}

void MoveAll(TBitmap& b, int meanOffset, int deviationOffset) {
    for (int k = 0; k < 3; ++k)
        MoveChannel(b, k, meanOffset, deviationOffset);
}

std::vector<PreviewCase> PreviewCases() {
    return {
        {"Optimize", 139, {0, 0, 0}, {0, 0, 0}, [](TBitmap& b, const TBitmap&) { OptimizeBitmap(b); }, false,
         {0, 0, 0}},
        {"OptimizeThroughTheMidTones", 139, {0, 0, 300}, {0, 0, 0},
         [](TBitmap& b, const TBitmap& original) {
             TBitmap optimised;
             optimised.Assign(&b);
             OptimizeBitmap(optimised);
             b.Assign(&original);
             CompositeMidTonesBitmap(b, optimised, 300, 99);
         },
         true, {300, 0, 300}},
        {"RemapAllChannels", 410, {100, 40, 0}, {128, 64, 0},
         [](TBitmap& b, const TBitmap&) {
             for (int k = 0; k < 3; ++k) NormalizeBitmap(b, k, 100, 40);
         },
         false, {100, 40, 0}},
        {"RemapGreenLevels", 412, {140, 50, 0}, {128, 64, 0},
         [](TBitmap& b, const TBitmap&) { NormalizeBitmap(b, 1, 140, 50); }, false, {140, 50, 0}},
        {"RemapSaturation", 414, {90, 30, 0}, {128, 64, 0},
         [](TBitmap& b, const TBitmap&) { NormalizeBitmap(b, NormalizeSaturation, 90, 30); }, false, {90, 30, 0}},
        {"RemapLightnessLevels", 415, {150, 45, 0}, {128, 64, 0},
         [](TBitmap& b, const TBitmap&) { NormalizeBitmap(b, NormalizeLightness, 150, 45); }, false,
         {150, 45, 0}},
        // The customs end at blue's targets (filled in by the test).
        {"RemapByTheSlidersMoves", 416, {110, 70, 0}, {100, 60, 0},
         [](TBitmap& b, const TBitmap&) { MoveAll(b, 10, 10); }, false, {0, 0, 0}},
        {"RemapBrightnessContrast", 420, {150, 80, 0}, {128, 64, 0},
         [](TBitmap& b, const TBitmap&) { MoveAll(b, 22, 16); }, false, {150, 80, 0}},
        {"RemapBrightnessContrastMasked", 420, {150, 80, 300}, {128, 64, 0},
         [](TBitmap& b, const TBitmap& original) {
             TBitmap changed;
             changed.Assign(&b);
             MoveAll(changed, 22, 16);
             b.Assign(&original);
             CompositeMaskBitmap(b, changed, 300, 99, false);
         },
         true, {150, 80, 300}},
        {"RemapOverExposureMasked", 421, {100, 50, 500}, {128, 64, 0},
         [](TBitmap& b, const TBitmap& original) {
             TBitmap changed;
             changed.Assign(&b);
             MoveAll(changed, -28, -14);
             b.Assign(&original);
             CompositeMaskBitmap(b, changed, 500, 99, true);
         },
         true, {100, 50, 500}},
        {"RemapContrastLevelsAveraged", 422, {150, 80, 40}, {128, 64, 0},
         [](TBitmap& b, const TBitmap& original) {
             MoveAll(b, 22, 16);
             AverageBitmaps(b, original, 40);
         },
         false, {150, 80, 40}},
        {"RemapLighting", 423, {140, 60, 30}, {120, 50, 0},
         [](TBitmap& b, const TBitmap& original) {
             NormalizeBitmap(b, NormalizeLightness, 140, 60);
             AverageBitmaps(b, original, 30);
         },
         false, {140, 60, 30}},
        {"RgbRemap", 429, {100, 150, 200}, {0, 0, 0},
         [](TBitmap& b, const TBitmap&) {
             const std::array<int, 3> deviations{ChannelStats(0).Deviation, ChannelStats(1).Deviation,
                                                 ChannelStats(2).Deviation};
             for (int k = 0; k < 3; ++k) NormalizeBitmap(b, k, std::array{100, 150, 200}[size_t(k)], deviations[size_t(k)]);
         },
         false, {100, 150, 200}},
        // Shadows above the median: no low limit, as the command (no shift to median - 4).
        {"LimitShadowsAboveTheMedian", 400, {150, 100, 200}, {0, 128, 255},
         [](TBitmap& b, const TBitmap&) { HardLimitBitmap(b, 400, 150, 100, 200); }, false, {150, 100, 200}},
        {"NormalizeBlended", 499, {128, 60, 25}, {0, 0, 0},
         [](TBitmap& b, const TBitmap& original) {
             for (int k = 0; k < 3; ++k) NormalizeBitmap(b, k, 128, 60);
             AverageBitmaps(b, original, 25);
         },
         false, {128, 60, 25}},
    };
}

class NormalizePreviewRows : public ConformCommandsTest, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(NormalizePreviewRows, ShowTheCommandsChangeAndReturnWhatItReads) {
    const PreviewCase& c = GetParam();
    filter_8900::LastExtras = {-7, -7};
    TBitmap pane, composite;
    Preview(c.method, c.s, c.starts, pane, composite);
    const std::array<int32_t, 3> customs{FilterCustom1, FilterCustom2, FilterCustom3};
    const TBitmap& shown = c.inWorkBitmap ? composite : pane;

    TBitmap expected;
    expected.Assign(&PictureA);
    ResetMaps();
    CalcHistogram(expected, true, true, false);
    const TRoundedStats blue = ChannelStats(2);
    c.change(expected, PictureA);
    EXPECT_TRUE(SamePicture(shown, expected));
    EXPECT_FALSE(SamePicture(shown, PictureA)) << "the row left the pane as it was";
    const std::array<int32_t, 3> expectedCustoms =
        c.method == 416 ? std::array<int32_t, 3>{blue.Mean + 10, blue.Deviation + 10, c.s[2]} : c.customs;
    EXPECT_EQ(customs, expectedCustoms);
    const bool remap = (c.method >= 410 && c.method <= 416) || c.method == 423;
    const std::array<int32_t, 2> extras =
        remap ? std::array<int32_t, 2>{c.s[0] - c.starts[0], c.s[1] - c.starts[1]} : std::array<int32_t, 2>{-7, -7};
    EXPECT_EQ(filter_8900::LastExtras, extras);
}

INSTANTIATE_TEST_SUITE_P(Rows, NormalizePreviewRows, ::testing::ValuesIn(PreviewCases()),
                         CaseNames<&PreviewCase::name>);

// A masked preview of 420 or 421 returns the sliders, and the line the command
// records for them gives the whole picture what the pane showed.
TEST_F(ConformCommandsTest, AMaskedRemapPreviewShowsWhatItsLineApplies) {
    for (const int32_t method : {420, 421}) {
        Show(PictureA);
        TBitmap pane, shown;
        Preview(method, {160, 50, 400}, {128, 64, 0}, pane, shown);
        EXPECT_EQ(std::tuple(FilterCustom1, FilterCustom2, FilterCustom3), std::tuple(160, 50, 400)) << method;
        Run({LabLine(method == 420 ? "MAP_RGB_HIGH" : "MAP_RGB_LOW", {160 - 128, 50 - 64, 400})});
        EXPECT_TRUE(SamePicture(Display(), shown)) << method;
    }
}

}  // namespace
