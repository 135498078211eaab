// The neighbourhood filters (3 x 3 kernels, median, edge-preserving smoothing,
// unsharp masks) against scipy.ndimage and a numpy port of the lightness rules
// (tests/fixtures/spatial), their borders and hand-made cases, and the Sharpen
// command, its preview rows and its script keywords on the image window.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "imaging/Helpers.h"
#include "app/dialogs/FilterPreview.h"
#include "app/dialogs/filter_8900.h"
#include "processing/script/LabState.h"
#include "app/dialogs/batch_8900.h"
#include "app/Spatial.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/StructureFilters.h"
#include "processing/spatial/UnsharpMask.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QPlainTextEdit>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string SpatialFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/spatial/" + name; }

void Flat(TBitmap& bitmap, int width, int height, uint32_t colour) {
    LoadRaster(bitmap, RgbRaster{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), colour)});
}

// The 3 x 3 presets in the fixtures' order: each sets the kernel and answers
// its divisor.
struct Preset {
    std::string name;
    std::function<int()> set;
};

std::vector<Preset> Presets() {
    std::vector<Preset> presets;
    for (int n = 0; n <= 5; ++n)
        presets.push_back({"MeanRemoval" + std::to_string(n), [n] { return SetMeanRemovalKernel(n); }});
    for (int n = 1; n <= 3; ++n)
        presets.push_back({"HighPassMedium" + std::to_string(n), [n] { return SetHighPassMediumKernel(n); }});
    presets.push_back({"HighPassLight", [] { return SetHighPassLightKernel(); }});
    for (int n = 1; n <= 10; ++n) presets.push_back({"Soften" + std::to_string(n), [n] { return SetSoftenKernel(n); }});
    for (int n : {25, 30, 50, 100, 254})
        presets.push_back({"DeFocus" + std::to_string(n), [n] { return SetDeFocusKernel(n); }});
    return presets;
}

void RunPreset(TBitmap& bitmap, const Preset& preset) {
    const int divisor = preset.set();
    Spatial3x3Bitmap(bitmap, SpatialKernel, divisor);
}

// ---- Against scipy and the numpy port, on a 7 x 6 noise picture (borders)
// and a 20 x 14 scene (ramp, square, spots, a saturated stripe)

class SpatialFixtures : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        input = ReadPpm(SpatialFixture(GetParam() + ".ppm"));
        ASSERT_GT(input.Width, 0);
    }
    // Runs Filter on a fresh copy of the input for every case of the stacked
    // fixture and compares.
    void ExpectCases(const std::string& fixture, int cases, const std::function<void(TBitmap&, int)>& filter) {
        ExpectStackedCases(input, SpatialFixture(GetParam() + "_" + fixture + ".ppm"), cases, filter);
    }
    RgbRaster input;
};

TEST_P(SpatialFixtures, EveryKernelPresetEqualsTheCorrelationWithItsBorderKept) {
    const std::vector<Preset> presets = Presets();
    ExpectCases("3x3", int(presets.size()), [&](TBitmap& b, int k) { RunPreset(b, presets[size_t(k)]); });
}

TEST_P(SpatialFixtures, EveryMedianModeEqualsTheMedianFilterWithNearestEdges) {
    ExpectCases("median", 10, [](TBitmap& b, int mode) { MedianBitmap(b, mode, 0); });
}

TEST_P(SpatialFixtures, ThresholdsClipOnlyBrightOrDarkOutliersAboveFourTimesThem) {
    const std::pair<int, int> cases[] = {{2, 10}, {1, -10}, {9, 3}, {4, -1}};
    ExpectCases("outlier", 4, [&](TBitmap& b, int k) { MedianBitmap(b, cases[k].first, cases[k].second); });
}

TEST_P(SpatialFixtures, EdgePreservingSmoothingEqualsThePort) {
    const std::pair<int, int> cases[] = {{100, 128}, {255, 255}, {30, 200}, {3601, 90}};
    ExpectCases("clean", 4, [&](TBitmap& b, int k) { SharpGaussianBlur5x5Bitmap(b, cases[k].first, cases[k].second); });
}

const std::pair<int, int> UnsharpCases[] = {{0, 63}, {55, 200}, {127, 128}, {255, 255}, {30, 0}};

TEST_P(SpatialFixtures, UnsharpMasksEqualThePortAndTheReferenceEqualsTheFiveByFive) {
    ExpectCases("unsharp3", 5, [](TBitmap& b, int k) {
        UnSharpMask3x3Bitmap(b, UnsharpCases[k].first, UnsharpCases[k].second);
    });
    ExpectCases("unsharp5", 5, [](TBitmap& b, int k) {
        UnSharpMask5x5Bitmap(b, UnsharpCases[k].first, UnsharpCases[k].second);
    });
    ExpectCases("unsharp5", 5, [](TBitmap& b, int k) {
        UnSharpMaskReferenceBitmap(b, UnsharpCases[k].first, UnsharpCases[k].second);
    });
}

INSTANTIATE_TEST_SUITE_P(Pictures, SpatialFixtures, ::testing::Values("border", "scene"),
                         CaseNames<>);

// ---- Borders

// Which rows a window filter may change on a noise picture of the given
// height (width 9).
struct BorderCase {
    std::string name;
    int height;
    std::function<void(TBitmap&)> filter;
    std::vector<int> changedRows;
};

void PrintTo(const BorderCase& c, std::ostream* os) { *os << c.name; }

class WindowBorders : public ::testing::TestWithParam<BorderCase> {};

TEST_P(WindowBorders, OnlyTheRowsInsideTheBordersChange) {
    const BorderCase& c = GetParam();
    TBitmap before, after;
    Noise(before, 9, c.height);
    Noise(after, 9, c.height);
    c.filter(after);
    std::vector<int> changed;
    for (int y = 0; y < c.height; ++y)
        if (std::memcmp(before.ScanLine(y), after.ScanLine(y), 27) != 0)
            changed.push_back(y);
    EXPECT_EQ(changed, c.changedRows);
}

const auto meanRemoval = [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetMeanRemovalKernel(2)); };
const auto clean = [](TBitmap& b) { SharpGaussianBlur5x5Bitmap(b, 3601, 255); };
const auto unsharp3 = [](TBitmap& b) { UnSharpMask3x3Bitmap(b, 0, 255); };
const auto unsharp5 = [](TBitmap& b) { UnSharpMask5x5Bitmap(b, 0, 255); };

INSTANTIATE_TEST_SUITE_P(
    Filters, WindowBorders,
    ::testing::Values(BorderCase{"Kernel3Lines", 3, meanRemoval, {}}, BorderCase{"Kernel4Lines", 4, meanRemoval, {1}},
                      BorderCase{"Kernel7Lines", 7, meanRemoval, {1, 2, 3, 4}},
                      BorderCase{"Clean5Lines", 5, clean, {}}, BorderCase{"Clean6Lines", 6, clean, {2}},
                      BorderCase{"Unsharp3x3Of3Lines", 3, unsharp3, {}},
                      BorderCase{"Unsharp3x3Of4Lines", 4, unsharp3, {1}},
                      BorderCase{"Unsharp5x5Of5Lines", 5, unsharp5, {}},
                      BorderCase{"Unsharp5x5Of6Lines", 6, unsharp5, {2}},
                      BorderCase{"MedianOf1Line", 1, [](TBitmap& b) { MedianBitmap(b, 9, 0); }, {0}}),
    CaseNames<&BorderCase::name>);

TEST(SpatialFilters, TheFirstAndLastPixelsOfEveryRowKeepTheirValues) {
    TBitmap before, after;
    Noise(before, 8, 8);
    Noise(after, 8, 8);
    RunPreset(after, Presets()[2]);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(PixelAt(after, 0, y), PixelAt(before, 0, y)) << y;
        EXPECT_EQ(PixelAt(after, 7, y), PixelAt(before, 7, y)) << y;
    }
    EXPECT_NE(PixelAt(after, 1, 1), PixelAt(before, 1, 1));
}

TEST(SpatialFilters, NarrowPicturesAndOtherDepthsAreHandledSafely) {
    for (int width : {1, 2, 3, 4, 5}) {
        TBitmap bitmap;
        Noise(bitmap, width, 9);
        const RgbRaster before = RasterOfBitmap(bitmap);
        SharpGaussianBlur5x5Bitmap(bitmap, 3601, 255);
        UnSharpMask5x5Bitmap(bitmap, 0, 255);
        if (width < 3) {
            RunPreset(bitmap, Presets()[1]);
            UnSharpMask3x3Bitmap(bitmap, 0, 255);
        }
        if (width < 5) {
            EXPECT_TRUE(SameBitmap(before, bitmap)) << width;
        } else {
            EXPECT_FALSE(SameBitmap(before, bitmap)) << width;
        }
        MedianBitmap(bitmap, 9, 0);  // replicates the edges: reads nothing outside
    }
    TBitmap empty;
    empty.SetPixelFormat(pf24bit);
    MedianBitmap(empty, 2, 0);
    TBitmap paletted;
    MakePicture(paletted, 8);
    EXPECT_THROW(MedianBitmap(paletted, 2, 0), EInvalidGraphic);
}

// ---- Kernels and hand cases

TEST(SpatialKernels, PresetsFillTheWeightsTheirRulesGive) {
    struct Case {
        std::string name;
        std::function<int()> set;
        TSpatialKernel kernel;
        int divisor;
    };
    const std::vector<Case> cases = {
        {"DeFocus25IsTheBox", [] { return SetDeFocusKernel(25); }, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
        {"DeFocus0IsTheBox", [] { return SetDeFocusKernel(0); }, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
        {"DeFocus30HasCentre2", [] { return SetDeFocusKernel(30); }, {1, 1, 1, 1, 2, 1, 1, 1, 1}, 10},
        {"DeFocus50", [] { return SetDeFocusKernel(50); }, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},
        {"DeFocus100", [] { return SetDeFocusKernel(100); }, {1, 4, 1, 4, 16, 4, 1, 4, 1}, 36},
        {"Soften1HasCentre32Of44", [] { return SetSoftenKernel(1); }, {1, 2, 1, 2, 32, 2, 1, 2, 1}, 44},
        // The weights of level 10 sum to 123: a flat picture stays flat.
        {"Soften10", [] { return SetSoftenKernel(10); }, {13, 14, 13, 14, 15, 14, 13, 14, 13}, 123},
        // Levels outside 1..10 are limited to them.
        {"Soften0IsSoften1", [] { return SetSoftenKernel(0); }, {1, 2, 1, 2, 32, 2, 1, 2, 1}, 44},
        {"Soften50IsSoften10", [] { return SetSoftenKernel(50); }, {13, 14, 13, 14, 15, 14, 13, 14, 13}, 123},
        // Strengths that would divide by 0 or less are limited.
        {"MeanRemoval9IsMeanRemoval8", [] { return SetMeanRemovalKernel(9); }, {-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},
        {"MeanRemoval0", [] { return SetMeanRemovalKernel(0); }, {-1, -1, -1, -1, 17, -1, -1, -1, -1}, 9},
        {"HighPassMedium5IsHighPassMedium4", [] { return SetHighPassMediumKernel(5); }, {0, -1, 0, -1, 5, -1, 0, -1, 0}, 1},
        {"HighPassLight", [] { return SetHighPassLightKernel(); }, {1, -2, 1, -2, 8, -2, 1, -2, 1}, 4},
    };
    for (const Case& c : cases) {
        SpatialKernel.fill(99);
        EXPECT_EQ(c.set(), c.divisor) << c.name;
        EXPECT_EQ(SpatialKernel, c.kernel) << c.name;
    }
}

TEST(SpatialKernels, MeanRemovalOfOneBrightPixelOnAFlatField) {
    TBitmap bitmap;
    Flat(bitmap, 7, 7, 0x646464);
    std::fill_n(bitmap.ScanLine(3) + 9, 3, uint8_t(200));
    Spatial3x3Bitmap(bitmap, SpatialKernel, SetMeanRemovalKernel(2));
    EXPECT_EQ(PixelAt(bitmap, 3, 3), 0xFFFFFFu);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) {
                EXPECT_EQ(PixelAt(bitmap, 3 + dx, 3 + dy), 0x555555u) << dx << "," << dy;
            }
    EXPECT_EQ(PixelAt(bitmap, 1, 1), 0x646464u);
}

TEST(SpatialKernels, AFlatPictureStaysFlatUnderEveryFilter) {
    for (uint32_t colour : {0x000000u, 0x7F3A10u, 0xFFFFFFu}) {
        std::vector<std::pair<std::string, std::function<void(TBitmap&)>>> filters;
        for (const Preset& preset : Presets())
            filters.push_back({preset.name, [preset](TBitmap& b) { RunPreset(b, preset); }});
        for (int mode = 0; mode <= 9; ++mode)
            filters.push_back({"Median" + std::to_string(mode), [mode](TBitmap& b) { MedianBitmap(b, mode, 0); }});
        filters.push_back({"Clean", [](TBitmap& b) { SharpGaussianBlur5x5Bitmap(b, 3601, 255); }});
        filters.push_back({"Unsharp3x3", [](TBitmap& b) { UnSharpMask3x3Bitmap(b, 0, 255); }});
        filters.push_back({"Unsharp5x5", [](TBitmap& b) { UnSharpMask5x5Bitmap(b, 0, 255); }});
        for (const auto& [name, filter] : filters) {
            TBitmap bitmap;
            Flat(bitmap, 8, 8, colour);
            filter(bitmap);
            EXPECT_TRUE(SameBitmap(RgbRaster{8, 8, std::vector<uint32_t>(64, colour)}, bitmap)) << name << " " << colour;
        }
    }
}

// A 5 x 5 grey picture of `field` with the centre pixel `centre`.
void Spot(TBitmap& bitmap, uint8_t field, uint8_t centre) {
    Flat(bitmap, 5, 5, field * 0x010101u);
    std::fill_n(bitmap.ScanLine(2) + 6, 3, centre);
}

TEST(MedianFilter, HandCasesOfSpotsAndThresholds) {
    struct Case {
        std::string name;
        uint8_t field, centre;
        int mode, threshold;
        uint8_t expected;
    };
    const std::vector<Case> cases = {
        {"LoneWhitePixelRemoved", 0, 255, 2, 0, 0},
        {"BrightSpotNotAboveFourTimesTheThresholdStays", 20, 30, 2, 10, 30},
        {"BrightSpotAboveItIsPulledDown", 20, 41, 2, 10, 20},
        {"DarkSpotNotAboveFourTimesTheThresholdStays", 100, 30, 1, -10, 30},
        {"DarkSpotAboveItIsLifted", 100, 50, 1, -10, 100},
        {"DarkThresholdKeepsBrightSpots", 20, 200, 1, -10, 200},
        {"BrightThresholdKeepsDarkSpots", 200, 100, 1, 10, 100},
        {"ModeAboveNineIsThePlus", 0, 255, 10, 0, 0},
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        Spot(bitmap, c.field, c.centre);
        MedianBitmap(bitmap, c.mode, c.threshold);
        EXPECT_EQ(PixelAt(bitmap, 2, 2), c.expected * 0x010101u) << c.name;
    }
}

TEST(MedianFilter, ModesAboveNineActAsModeZero) {
    TBitmap plus, high;
    Noise(plus, 11, 9);
    Noise(high, 11, 9);
    MedianBitmap(plus, 0, 0);
    MedianBitmap(high, 57, 0);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(plus), high));
    EXPECT_EQ(MedianShape(57).Count, 5);
    const std::pair<int, int> counts[] = {{0, 5}, {1, 5}, {2, 9}, {3, 9}, {4, 13}, {5, 17}, {6, 25}, {7, 25}, {8, 37}, {9, 49}};
    for (auto [mode, count] : counts) EXPECT_EQ(MedianShape(mode).Count, count) << mode;
}

THLS Hls(const TBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    THLS hls;
    RGBToHLS(p[0], p[1], p[2], hls);
    return hls;
}

TEST(UnsharpMask, AWhitePixelOnBlackStaysWhiteAndItsNeighboursBlack) {
    for (auto mask : {UnSharpMask3x3Bitmap, UnSharpMask5x5Bitmap}) {
        TBitmap bitmap;
        Flat(bitmap, 9, 9, 0);
        std::fill_n(bitmap.ScanLine(4) + 12, 3, uint8_t(255));
        mask(bitmap, 0, 255, {});
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x)
                EXPECT_EQ(PixelAt(bitmap, x, y), x == 4 && y == 4 ? 0xFFFFFFu : 0u) << x << "," << y;
    }
}

TEST(UnsharpMask, AmountZeroKeepsEveryLightness) {
    TBitmap before, after;
    LoadRaster(before, ReadPpm(SpatialFixture("scene.ppm")));
    LoadRaster(after, ReadPpm(SpatialFixture("scene.ppm")));
    UnSharpMask5x5Bitmap(after, 0, 0);
    for (int y = 0; y < before.Height(); ++y)
        for (int x = 0; x < before.Width(); ++x)
            EXPECT_EQ(Hls(after, x, y).Lightness, Hls(before, x, y).Lightness) << x << "," << y;
}

// ---- The image window: Sharpen, its preview rows and the keywords

class SharpenTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        Noise(picture, 40, 30);
        Show(picture);
    }
    // The picture after Filter ran on a copy of the shown one.
    RgbRaster Expected(const std::function<void(TBitmap&)>& filter) {
        TBitmap copy;
        copy.Assign(&picture);
        filter(copy);
        return RasterOfBitmap(copy);
    }
    TBitmap picture;
};

TEST_F(SharpenTest, TheItemSitsInTheEnhanceMenu) {
    ASSERT_NE(WebForm->mnuSharpen, nullptr);
    EXPECT_EQ(WebForm->mnuSharpen->Caption(), "&Details / Sharpen");
    EXPECT_TRUE(WebForm->mnuColorsV->actions().contains(WebForm->mnuSharpen));
}

TEST_F(SharpenTest, EachMethodRecordsItsLineAndRunsItsFilter) {
    struct Case {
        std::string name;
        TFilterDlgResult answer;
        std::string line;
        std::function<void(TBitmap&)> filter;
    };
    const std::vector<Case> cases = {
        {"MeanRemoval", {32, 4, 4, 0, 0, 0, 0}, "MEANREMOVAL=4",
         [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetMeanRemovalKernel(4)); }},
        {"HighPass", {33, 2, 2, 0, 0, 0, 0}, "HIGHPASS=2",
         [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassMediumKernel(2)); }},
        {"HighPassLight", {34, 3, 3, 0, 0, 0, 0}, "HIGHPASSLIGHT",
         [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassLightKernel()); }},
        {"Unsharp", {230, 200, 200, 63, 0, 0, 0}, "UNSHARPMASK=200,63,0",
         [](TBitmap& b) { UnSharpMask5x5Bitmap(b, 55, 63); }},
        {"UnsharpFineEdges", {230, 180, 180, 90, 1, 0, 0}, "UNSHARPMASK=180,90,1",
         [](TBitmap& b) { UnSharpMask3x3Bitmap(b, 75, 90); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(picture);
        LabScript.Clear();
        ImageChanged = false;
        QueueModalAction(FilterDlgAnswer(c.answer));
        WebForm->mnuSharpenClick(WebForm->mnuSharpen);
        EXPECT_EQ(QueuedModalAnswers(), 0);
        EXPECT_EQ(Script(), std::vector<std::string>{c.line});
        EXPECT_TRUE(SameBitmap(Expected(c.filter), Display()));
        EXPECT_TRUE(ImageChanged);
    }
}

TEST_F(SharpenTest, ItRecordsEvenWhileAScriptRunsAndCancelRecordsNothing) {
    {
        TScopedFlag running(batch_8900::BatchRunning, true);
        QueueModalAction(FilterDlgAnswer({34, 3, 3, 0, 0, 0, 0}));
        WebForm->mnuSharpenClick(WebForm->mnuSharpen);
    }
    EXPECT_EQ(Script(), std::vector<std::string>{"HIGHPASSLIGHT"});
    LabScript.Clear();
    Show(picture);
    QueueModalAction(FilterDlgAnswer({32, LabCancelled, 0, 0, 0, 0, 0}));
    WebForm->mnuSharpenClick(WebForm->mnuSharpen);
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture), Display()));
    // A method outside the group does nothing either.
    QueueModalAction(FilterDlgAnswer({31, 3, 3, 0, 0, 0, 0}));
    WebForm->mnuSharpenClick(WebForm->mnuSharpen);
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture), Display()));
}

// The Sharpen dialog on a photo-like picture with each method picked, as the
// user sees it; LUMVOR_SHOTS names a folder to write them to.
TEST_F(SharpenTest, ScreenshotsOfTheDialog) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    TBitmap scene;
    LoadRaster(scene, ReadPpm(SpatialFixture("scene.ppm")));
    TBitmap large;
    large.SetPixelFormat(pf24bit);
    large.SetSize(400, 280);
    for (int y = 0; y < 280; ++y)
        for (int x = 0; x < 400; ++x) std::memcpy(large.ScanLine(y) + 3 * x, scene.ScanLine(y / 20) + 3 * (x / 20), 3);
    Show(large);
    const std::string out = std::string(shots) + "/";
    QueueModalAction([out](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        const char* names[] = {"sharpen_unsharp", "sharpen_meanremoval", "sharpen_highpass", "sharpen_highpasslight"};
        for (size_t i = 0; i < form.FilterGroupItems.size() && i < 4; ++i) {
            form.FilterGroupItems[i]->click();
            if (i == 0)
                form.chkAlternate->click();
            form.btnTestClick();
            QCoreApplication::processEvents();
            form.grab().save(QString::fromStdString(out + names[i] + ".png"));
        }
        form.btnCancel->click();
    });
    WebForm->mnuSharpenClick(WebForm->mnuSharpen);
    EXPECT_TRUE(Script().empty());
    QMenu* enhance = WebForm->mnuColorsV;
    WebForm->EnableControls();
    enhance->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    enhance->grab().save(QString::fromStdString(out + "enhance_menu.png"));
    enhance->hide();
}

TEST_F(SharpenTest, PreviewRowsRunTheCommandsRoutines) {
    struct Case {
        int method;
        std::array<int, 3> sliders;
        bool fineEdges;
        std::function<void(TBitmap&)> filter;
    };
    const std::vector<Case> cases = {
        {3, {4, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetSoftenKernel(4)); }},
        {4, {3, 0, 0}, false, [](TBitmap& b) { MedianBitmap(b, 3, 0); }},
        {31, {200, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetDeFocusKernel(55)); }},
        {32, {5, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetMeanRemovalKernel(5)); }},
        {33, {1, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassMediumKernel(1)); }},
        {34, {0, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassLightKernel()); }},
        {36, {-3, 0, 0}, false, [](TBitmap& b) { MedianBitmap(b, 1, -3); }},
        {230, {255, 63, 0}, false, [](TBitmap& b) { UnSharpMask5x5Bitmap(b, 0, 63); }},
        {230, {200, 90, 0}, true, [](TBitmap& b) { UnSharpMask3x3Bitmap(b, 55, 90); }},
        {231, {40, 128, 0}, false, [](TBitmap& b) { SharpGaussianBlur5x5Bitmap(b, 40, 128); }},
        {1, {200, 0, 0}, false, [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 55, 8, true); }},
        {30, {255, 0, 0}, false, [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 9, false); }},
        {250, {4, 0, 0}, false, [](TBitmap& b) { TileBitmap(b, 4); }},
        {260, {0, 0, 0}, false, [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetSoftenKernel(7)); }},
        {260, {1, 0, 0}, false, [](TBitmap& b) { DeScreen5x5Bitmap(b, 1); }},
        {260, {2, 0, 0}, false, [](TBitmap& b) { DeScreen5x5Bitmap(b, 2); }},
        {260, {3, 0, 0}, false, [](TBitmap& b) { DeScreen5x5Bitmap(b, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const TFilterPreviewRoutine* routine = FindFilterPreview(c.method);
        ASSERT_NE(routine, nullptr);
        TPix pane;
        pane.Bitmap()->Assign(&picture);
        TFilterPreviewRun run{*WebForm, &pane};
        run.Method = c.method;
        run.S = c.sliders;
        run.AlternateChecked = c.fineEdges;
        (*routine)(run);
        EXPECT_TRUE(SameBitmap(Expected(c.filter), *pane.Bitmap()));
        if (c.method == 230) {
            EXPECT_EQ(FilterCustom3, c.fineEdges ? 1 : 0);
        }
    }
}

TEST_F(SharpenTest, KeywordLinesChangeThePictureAsTheirRoutine) {
    struct Case {
        std::string line;
        std::function<void(TBitmap&)> filter;
    };
    const std::vector<Case> cases = {
        {"MEANREMOVAL=9", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetMeanRemovalKernel(5)); }},
        {"HIGHPASS=0", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassMediumKernel(1)); }},
        {"HIGHPASSMEDIUM=3", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassMediumKernel(3)); }},
        {"HIGHPASSLIGHT", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetHighPassLightKernel()); }},
        {"SOFTEN=50", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetSoftenKernel(10)); }},
        {"DESCREEN_LIGHT", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetSoftenKernel(7)); }},
        {"DEFOCUS=205", [](TBitmap& b) { Spatial3x3Bitmap(b, SpatialKernel, SetDeFocusKernel(50)); }},
        {"DESPECKLE=8", [](TBitmap& b) { MedianBitmap(b, 8, 0); }},
        {"UNSPOT=-5", [](TBitmap& b) { MedianBitmap(b, 1, -5); }},
        {"UNSHARPMASK=200,50", [](TBitmap& b) { UnSharpMask5x5Bitmap(b, 55, 50); }},
        {"UNSHARPMASK=200,50,1", [](TBitmap& b) { UnSharpMask3x3Bitmap(b, 55, 50); }},
        {"CLEAN=60,200", [](TBitmap& b) { SharpGaussianBlur5x5Bitmap(b, 60, 200); }},
        {"GAUSSIAN=255", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 9, false); }},
        {"GAUSSIAN=1", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 254, 9, false); }},
        {"OUTLIER=200", [](TBitmap& b) { GaussianBlur3x3Bitmap(b, 55, 8, true); }},
        {"DESCREEN_MEDIUM", [](TBitmap& b) { DeScreen5x5Bitmap(b, 0); }},
        {"DESCREEN_STRONG", [](TBitmap& b) { DeScreen5x5Bitmap(b, 1); }},
        {"DESCREEN_HIGH", [](TBitmap& b) { DeScreen5x5Bitmap(b, 2); }},
        {"MOSAIC=3", [](TBitmap& b) { TileBitmap(b, 3); }},
        {"DEPIXELATE=0", [](TBitmap& b) { DeMosaic2x2Bitmap(b, true); }},
        {"DEPIXELATE=1", [](TBitmap& b) { DeMosaic2x2Bitmap(b, false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Show(picture);
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(c.line));
        {
            TScopedFlag running(batch_8900::BatchRunning, true);
            WebForm->DoBatchImageProcess();
        }
        EXPECT_TRUE(SameBitmap(Expected(c.filter), Display()));
    }
}

}  // namespace
