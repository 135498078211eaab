// The filter dialog's method groups and set-ups (the model), the preview rows
// against their routines run headless, and the values Apply returns through
// the real dialog.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/FilterPreview.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ColourMasks.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"
#include "support/case_names.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QFrame>
#include <QTest>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

TFilterDlgParam GroupRecord(int32_t group, int32_t startChoice = 0) {
    TFilterDlgParam p{};
    p.MethodCode = group;
    p.StartChoice = startChoice;
    // As the commands give it: three sliders of their own.
    p.CustomSliders = 1;
    p.Min1 = p.Min2 = p.Min3 = 0;
    p.Max1 = p.Max2 = p.Max3 = 255;
    p.Position1 = p.Position2 = p.Position3 = 100;
    p.PageSize1 = p.PageSize2 = p.PageSize3 = 8;
    p.LineSize1 = p.LineSize2 = p.LineSize3 = 1;
    p.PresetLevel1 = 12;
    p.PresetLevel2 = 230;
    p.PresetSat1 = 5;
    p.PresetSat2 = 210;
    p.PresetR = 3;
    p.PresetG = -4;
    p.PresetB = 5;
    return p;
}

class FilterGroupModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLabState();
        ClearHistogram();
    }
    void TearDown() override {
        ResetLabState();
        ClearHistogram();
    }
    // Opens the model as the dialog does; Item, when given, is then clicked.
    void Open(int32_t group, int item = -1, int32_t startChoice = 0) {
        model.OnPreview = [this] { ++previews; };
        model.Open("Caller", "", "", GroupRecord(group, startChoice));
        model.SetupFilterGroupInterface();
        model.SetupFilterInterface();
        if (item >= 0)
            model.GroupItemClicked(item);
    }
    std::vector<int> VisibleRows() const {
        std::vector<int> rows;
        for (int i = 0; i < 3; ++i)
            if (model.Sliders[size_t(i)].Visible)
                rows.push_back(i + 1);
        return rows;
    }
    std::string FirstTipLine() const { return model.Tip.substr(0, model.Tip.find('\n')); }
    TFilterDlgModel model;
    int previews = 0;
};

// What a group item sets up: the method, the dialog's title and help, the
// visible rows with their names, ranges, starts and end labels, and the tip.
struct TSetupCase {
    const char* Name;
    int32_t Group;
    int Item;
    int32_t Method;
    int Help;
    std::vector<int> Rows;
    std::vector<const char*> Names;
    std::vector<std::array<int, 3>> MinMaxStart;
    std::array<const char*, 2> FirstLabels;
    const char* TipLine;
};

void PrintTo(const TSetupCase& c, std::ostream* os) { *os << c.Name; }

class FilterSetupTable : public FilterGroupModelTest, public ::testing::WithParamInterface<TSetupCase> {};

TEST_P(FilterSetupTable, SetsUpTheItem) {
    const TSetupCase& c = GetParam();
    Open(c.Group, c.Item);
    const TFilterGroup* group = FindFilterGroup(c.Group);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(model.Method, c.Method);
    EXPECT_EQ(model.Caption, group->Title);
    EXPECT_EQ(model.HelpContext, c.Help);
    EXPECT_TRUE(model.GroupVisible);
    EXPECT_EQ(VisibleRows(), c.Rows);
    for (size_t i = 0; i < c.Rows.size(); ++i) {
        const TFilterSlider& s = model.Sliders[size_t(c.Rows[i] - 1)];
        EXPECT_EQ(s.Name, c.Names[i]) << "row " << c.Rows[i];
        EXPECT_EQ((std::array<int, 3>{s.Min, s.Max, s.Position}), c.MinMaxStart[i]) << "row " << c.Rows[i];
        EXPECT_EQ(s.Frequency, TrackTickSpacing(s.Min, s.Max));
    }
    if (!c.Rows.empty()) {
        const TFilterSlider& first = model.Sliders[size_t(c.Rows[0] - 1)];
        EXPECT_EQ(first.MinLabel, c.FirstLabels[0]);
        EXPECT_EQ(first.MaxLabel, c.FirstLabels[1]);
    }
    EXPECT_EQ(FirstTipLine(), c.TipLine);
    EXPECT_EQ(model.ResetVisible, !c.Rows.empty());
}

const TSetupCase kSetupCases[] = {
    {"UnsharpMask", 9990033, 0, 230, 421, {1, 2}, {"&Filter", "&Effect"}, {{1, 255, 255}, {1, 255, 63}}, {"", ""},
     "1) Adjust Filter to enhance edge details."},
    {"HighPassLight", 9990033, 3, 34, 421, {}, {}, {}, {"", ""},
     "Classic image sharpening filter that uses spatial maps. Sharpening results are subtle."},
    {"MeanRemoval", 9990033, 1, 32, 421, {1}, {"&Filter"}, {{1, 5, 3}}, {"", ""},
     "Classic image sharpening filter that uses spatial maps. Sharpening results are pronounced."},
    {"FlashFill", 9990110, 0, 106, 410, {1, 2, 3}, {"&Gamma", "&Saturation", "&Mask"},
     {{100, 300, 100}, {100, 300, 100}, {0, 500, 1}}, {"", ""}, "1) Adjust Gamma to lighten dark shadows and midtones."},
    {"BoostBrightness", 9990110, 5, 116, 410, {3}, {"&Mask"}, {{0, 500, 500}}, {"", ""},
     "Check \"Inverse map\" to preserve more highlights."},
    {"RemapOverExposure", 9990111, 0, 421, 411, {1, 2, 3}, {"&Brightness", "&Contrast", "&Mask"},
     {{8, 240, 128}, {3, 127, 64}, {0, 999, 500}}, {"", ""}, "1) Lower Contrast to soften highlights."},
    {"GammaSuppression", 9990111, 1, 105, 411, {1, 3}, {"&Gamma", "&Mask"}, {{100, 300, 120}, {0, 999, 500}},
     {"", ""}, "1) Adjust Gamma to darken highlights."},
    {"UnWash", 9990111, 3, 40, 411, {3}, {"&Mask"}, {{0, 999, 500}}, {"", ""},
     "Adjust Mask to change amount of original shadows and midtones to combine."},
    {"UnEqualize", 9990111, 4, 43, 411, {3}, {"&Mask"}, {{0, 500, 500}}, {"", ""},
     "Check \"Inverse map\" to preserve more highlights."},
    {"ContrastLevels", 9990120, 0, 130, 412, {1, 2, 3}, {"&Shadows", "High&Lights", "&Gamma"},
     {{0, 255, 12}, {0, 255, 230}, {1, 500, 100}}, {"", ""},
     "1) Adjust overall contrast by making Shadows darker and Highlights lighter."},
    {"Optimize", 9990120, 4, 139, 412, {3}, {"&Mask"}, {{0, 500, 0}}, {"", ""},
     " Adjust Mask to change amount of original image to combine."},
    {"ParametricRed", 9990140, 1, 141, 423, {1, 2, 3}, {"&Center", "&Band", "&Gain"},
     {{0, 255, 100}, {0, 255, 100}, {0, 255, 100}}, {"", ""},
     "1) Click a color in original image pane. Selected color mask shows range of colors affected."},
    {"RgbForeground", 9990150, 2, 156, 456, {1, 2, 3}, {"&Red  ", "&Green", "&Blue "},
     {{1, 128, 64}, {1, 128, 64}, {1, 128, 64}}, {"", ""},
     "1) Click a color in original image pane. Selected color range will be \"masked\"."},
    {"HlsForeground", 9990151, 1, 151, 456, {1, 2, 3}, {"H&ue band", "&Lum band", "&Sat band"},
     {{0, 1800, 120}, {0, 1800, 1200}, {0, 1800, 1500}}, {"", ""},
     "1) Click a color in original image pane. Selected color mask shows range of colors affected."},
    {"WhiteBalance", 9990160, 0, 160, 413, {1}, {"&Brightness"}, {{-255, 255, 0}}, {"", ""},
     "1) Click a color in original image pane that should be \"pure white\" or \"pure gray\"."},
    {"HlsColorModel", 9990170, 0, 170, 415, {1, 2, 3}, {"H&ue", "&Lum", "&Sat"},
     {{-180, 180, 0}, {-500, 500, 0}, {-500, 500, 0}}, {"-180 (mag)", "+180 (yel)"},
     "Hue-Luminance-Saturation (HLS) model."},
    {"RgbBrightness", 9990170, 1, 110, 415, {1, 2, 3}, {"&Red  ", "&Green", "&Blue "},
     {{-255, 255, 3}, {-255, 255, -4}, {-255, 255, 5}}, {"", ""},
     "Defaults are preset with detected RGB shifts (see Help)."},
    {"RgbGammaSuppression", 9990170, 6, 102, 415, {1, 2, 3}, {"&Red  ", "&Green", "&Blue "},
     {{1, 300, 100}, {1, 300, 100}, {1, 300, 100}}, {"", ""},
     "Syncronized adjustments suppress over-exposed highlights and midtones."},
    {"Despeckle", 9990230, 2, 4, 420, {1}, {"&Filter"}, {{1, 9, 3}}, {"1 (mild)", "9 (strong)"},
     "Remove all spots.  All \"salt and pepper\" details are replaced with neighboring colors."},
    {"UnSpot", 9990230, 3, 36, 420, {1}, {"&Filter"}, {{-8, 8, 0}}, {"-8 (pepper)", "+8 (salt)"},
     "Remove spots.  Dark or light spots are replaced with neighboring colors."},
    {"SaturationLevels", 9990240, 0, 135, 414, {1, 2, 3}, {"&Shadows", "High&Lights", "&Gamma"},
     {{0, 255, 5}, {0, 255, 210}, {1, 500, 100}}, {"", ""},
     "1) Adjust Highlights to boost color levels. Luminosity is isolated."},
    {"TrueGray", 9990240, 5, 244, 414, {}, {}, {}, {"", ""}, "True 24-bit gray shades."},
    {"Posterize", 9990400, 0, 251, 400, {1}, {"&Bits"}, {{2, 7, 3}}, {"", ""},
     "Reduce color depth by setting desired bits per pixel."},
    {"LimitAll", 9990400, 1, 400, 400, {1, 2, 3}, {"&Shadows", "&Median", "High&Lights"},
     {{0, 255, 0}, {1, 255, 128}, {1, 255, 255}}, {"", ""},
     "1) Click a color in original image pane. Median changes with color selection."},
    {"MaskedHighlights", 9990501, 0, 503, 455, {1, 2}, {"&Band", "&Mask"}, {{1, 500, 100}, {0, 99, 99}}, {"", ""},
     "1) Adjust Band to retain a wider range of pixels from original image."},
    {"MaskedGrayscale", 9990501, 4, 532, 455, {}, {}, {}, {"", ""},
     "Combine duplicate with luminance values of original image."},
    {"RgbHighlights", 9990600, 0, 132, 422, {1, 2, 3}, {"&Red  ", "&Green", "&Blue "},
     {{0, 255, 255}, {0, 255, 255}, {0, 255, 255}}, {"", ""},
     "1) Lighten image by adjusting RGB sliders; midtones are stretched towards highlights."},
};

INSTANTIATE_TEST_SUITE_P(Groups, FilterSetupTable, ::testing::ValuesIn(kSetupCases),
                         CaseNames<&TSetupCase::Name>);

TEST_F(FilterGroupModelTest, StartChoiceSelectsTheItemOnlyForTheMarkedGroups) {
    Open(9990110, -1, 3);
    EXPECT_EQ(model.GroupIndex, 3);
    EXPECT_EQ(model.GroupItems[3], "Linear Brightness, Curvilinear Contrast");
    EXPECT_EQ(model.Method, 9120);
    EXPECT_EQ(model.Caption, "Fix/Improve UnderExposure and Contrast");
    EXPECT_TRUE(model.CurveVisible);
    EXPECT_EQ(model.CurveCaption, "Histogram");
    // The sharpening group has no start choice; an index past the list is held to it.
    Open(9990033, -1, 2);
    EXPECT_EQ(model.Method, 230);
    EXPECT_FALSE(model.CurveVisible);
    Open(9990600, -1, 99);
    EXPECT_EQ(model.Method, 413);
    // The posterize group keeps the form's help; a single method hides the list.
    Open(9990400);
    EXPECT_EQ(model.HelpContext, 400);
    Open(510);
    EXPECT_FALSE(model.GroupVisible);
    EXPECT_EQ(model.HelpContext, 450);
    EXPECT_EQ(model.Caption, "Caller");
    EXPECT_EQ(FirstTipLine(), "Combine duplicate and original image by interlacing (e.g., video captures).");
}

TEST_F(FilterGroupModelTest, NormalizeAndReferenceBothGive499FromDifferentStatistics) {
    HistCount = 4;
    HistSumMax = 4 * 100 + 2;  // mean 100.5 rounds to even: 100
    HistSumSqMax = 4 * 100 * 100 + 4 * 16 + 2 * 2 * 100;
    HistSumLum = 4 * 150;
    HistSumSqLum = 4 * 150 * 150 + 4 * 25;
    Open(9990160, 1);
    EXPECT_EQ(model.Method, 499);
    const std::array<int, 3> normalize = model.Positions();
    Open(9990160, 2);
    EXPECT_EQ(model.Method, 499);
    EXPECT_EQ(model.Positions()[0], 150);
    EXPECT_EQ(model.Positions()[1], 5);
    EXPECT_EQ(normalize[0], 100);
    EXPECT_NE(normalize, model.Positions());
    TFilterDlgResult result{};
    model.Finish(true, result);
    EXPECT_EQ(result[ResultMethod], 499);
}

TEST_F(FilterGroupModelTest, OddSetUpsReorderRowsAndSetTheirOwnResetValues) {
    // Levels, Back Fill: the highlights first, the gamma second, the mask last;
    // the mask resets to 0 though it opens at 1.
    Open(9990110, -1, 1);
    EXPECT_EQ(model.Method, 9130);
    EXPECT_EQ(model.RowPlaces, (std::array<int, 3>{2, 0, 1}));
    EXPECT_EQ(model.Sliders[0].Position, 1);
    EXPECT_EQ(model.Sliders[1].Position, 230);
    EXPECT_EQ(model.ResetPositions[0], 0);
    model.Reset();
    EXPECT_EQ(model.Sliders[0].Position, 0);
    // Boost Brightness and UnEqualize: "Inverse map" enabled, the mask in the first place.
    for (const auto& [group, item] : {std::pair{9990110, 5}, std::pair{9990111, 4}}) {
        Open(group, item);
        EXPECT_TRUE(model.AlternateVisible);
        EXPECT_TRUE(model.AlternateEnabled);
        EXPECT_EQ(model.AlternateCaption, "Inverse map");
        EXPECT_EQ(model.RowPlaces[2], 0);
    }
    // Other exposure methods show "Inverse map" disabled; the sharpening group "Fine edges".
    Open(9990110, 2);
    EXPECT_TRUE(model.AlternateVisible);
    EXPECT_FALSE(model.AlternateEnabled);
    Open(9990033, 0);
    EXPECT_EQ(model.AlternateCaption, "Fine edges");
    EXPECT_TRUE(model.AlternateEnabled);
    // Switching items puts the rows back and sets the new method up.
    Open(9990120, 0);
    EXPECT_EQ(model.RowPlaces, (std::array<int, 3>{0, 2, 1}));
    model.GroupItemClicked(2);
    EXPECT_EQ(model.Method, 422);
    EXPECT_EQ(model.RowPlaces, (std::array<int, 3>{0, 1, 2}));
    // The over-exposure group starts each item from the caller's record.
    Open(9990111, 1);
    model.GroupItemClicked(2);
    EXPECT_EQ(model.Method, 134);
    EXPECT_EQ((std::array<int, 2>{model.Sliders[0].Min, model.Sliders[0].Max}), (std::array<int, 2>{0, 255}));
    // Mask views: the equaliser checked, the HLS masks unchecked, both enabled.
    Open(9990140);
    EXPECT_TRUE(model.MaskEnabled && model.MaskChecked);
    EXPECT_TRUE(model.ColorPanelsVisible);
    Open(9990150);
    EXPECT_TRUE(model.MaskEnabled && !model.MaskChecked);
    // The saturation group shows the saturation histogram.
    Open(9990240);
    EXPECT_TRUE(model.SaturationHistogram);
}

TEST_F(FilterGroupModelTest, StatisticsStartTheRemapMethods) {
    HistCount = 2;
    HistSumR = 2 * 90;
    HistSumSqR = 2 * 90 * 90 + 2 * 49;
    HistSumG = 2 * 60;
    HistSumSqG = 2 * 60 * 60;
    HistSumB = 2 * 30 + 1;  // 30.5 rounds to even: 30
    HistSumSqB = 2 * 30 * 30 + 2 * 30 + 2 * 9;
    Open(9990600, 2);
    EXPECT_EQ(model.Method, 411);
    EXPECT_EQ(model.Positions()[0], 90);
    EXPECT_EQ(model.Positions()[1], 7);
    EXPECT_EQ(FirstTipLine(), "1) Adjust Red levels for entire image.");
    Open(9990160, 3);
    EXPECT_EQ(model.Method, 429);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{90, 60, 30}));
    EXPECT_TRUE(model.SyncEnabled);
}

TEST_F(FilterGroupModelTest, ColourPickByMethodFamily) {
    // Colour masks keep the colour and schedule a preview.
    Open(9990151, 1);
    model.Pick(10, 20, 30);
    EXPECT_EQ(model.Param.SelectedColor, RGB(10, 20, 30));
    EXPECT_TRUE(model.TimerOn);
    // White balance previews again at once.
    Open(9990160, 0);
    const int before = previews;
    model.Pick(200, 180, 160);
    EXPECT_EQ(previews, before + 1);
    // A limit on one plane takes that channel as the median and resets to it.
    Open(9990400, 3);
    EXPECT_EQ(model.Method, 402);
    model.Pick(200, 180, 160);
    EXPECT_EQ(model.Sliders[1].Position, 180);
    EXPECT_EQ(model.ResetPositions[1], 180);
}

TEST_F(FilterGroupModelTest, RandomNoiseTakesThePickedColourOnAllThreeSliders) {
    TFilterDlgParam p{};
    p.MethodCode = 115;
    p.Min1 = 0;
    p.Max1 = 255;
    p.Position1 = 10;
    model.Open("Noise", "", "", p);
    model.SetupFilterGroupInterface();
    model.SetupFilterInterface();
    EXPECT_TRUE(model.SyncEnabled);
    EXPECT_EQ(FirstTipLine(), "Add random dots (e.g., to test compression or noise removal).");
    model.Pick(200, 180, 160);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{200, 180, 160}));
    EXPECT_EQ(model.ResetPositions, (std::array<int, 3>{200, 180, 160}));
}

// ---- The preview rows against their routines run headless

struct TRowCase {
    const char* Name;
    int32_t Method;
    std::array<int, 3> S;
    // The same work on the bitmap with the headless routines.
    std::function<void(TBitmap&, const TBitmap& partner)> Expected;
};

void PerChannel(const std::function<void(int)>& setter) {
    for (int k = 0; k < 3; ++k)
        setter(k);
}

const std::vector<TRowCase>& RowCases() {
    static const std::vector<TRowCase> cases{
        {"UnWash", 40, {0, 0, 0}, [](TBitmap& b, const TBitmap&) { MultiplyRGBBitmap(b); }},
        {"Attenuate", 42, {0, 0, 0}, [](TBitmap& b, const TBitmap&) { MultiplyLuminanceBitmap(b); }},
        {"Gamma", 101, {150, 80, 0},
         [](TBitmap& b, const TBitmap&) {
             SetGammaLUT(150, 0, false);
             SetGammaLUT(80, 1, false);
             SetGammaLUT(0, 2, false);
             ColorFilterBitmap(b);
         }},
        {"GammaSuppression", 105, {140, 0, 0},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetGammaLUT(140, k, false); });
             NegColorFilterBitmap(b);
         }},
        {"FlashFill", 106, {160, 130, 0},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetGammaLUT(160, k, true); });
             ColorFilterBitmap(b);
             SetStretchLUT(0, 255, 1);
             SetGammaLUT(130, 2, false);
             SaturationFilterBitmap(b);
         }},
        {"ContrastCompression", 134, {20, 200, 0},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetSupressLUT(20, 200, k); });
             ColorFilterBitmap(b);
         }},
        {"EqualizerGreen", 142, {120, 60, 80},
         [](TBitmap& b, const TBitmap&) {
             SetEqLUT(120, 60, 0, 0);
             SetEqLUT(120, 60, 80, 1);
             ColorFilterBitmap(b);
         }},
        // The picked hue, lightness and saturation are 0, as at program start.
        {"ColourMaskBackground", 152, {1800, 1800, 1800},
         [](TBitmap& b, const TBitmap& partner) {
             ColourMaskBitmap(b, partner, UnpackColourBox(1800 << 16, 1800 << 16, 1800 << 16), false);
         }},
        {"HlsForegroundMask", 153, {1800, 1800, 1800},
         [](TBitmap& b, const TBitmap&) {
             MaskColoursBitmap(b, UnpackColourBox(1800 << 16, 1800 << 16, 1800 << 16), false, true, false);
         }},
        {"RgbForegroundMask", 156, {64, 64, 64},
         [](TBitmap& b, const TBitmap&) { MaskRGBBitmap(b, true, 64 << 16, 64 << 16, 64 << 16); }},
        {"MaskEdges", 520, {3601, 128, 0},
         [](TBitmap& b, const TBitmap& partner) { MaskEdgesBitmap(b, partner, 3601, 128); }},
        {"HlsTune", 170, {30, -200, 400},
         [](TBitmap& b, const TBitmap&) { ColorTuneHLSBitmap(b, 30, -200, 400 * 3600 / 999); }},
        {"Posterize", 251, {3, 0, 0}, [](TBitmap& b, const TBitmap&) { LowResBitmap(b, 3); }},
        {"InterlaceOdd", 510, {40, 1, 0},
         [](TBitmap& b, const TBitmap& partner) { AverageField(b, partner, 40, 1); }},
        {"LinearBrightness", 8110, {30, -40, 0},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetBrightLUT(30, k); });
             ColorFilterBitmap(b);
             PerChannel([](int k) { SetContrastLUT(-40, k); });
             ColorFilterBitmap(b);
         }},
        {"CurvilinearContrast", 9120, {-20, 50, 0},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetGammaContrastLUT(50 + 256, k); });
             ColorFilterBitmap(b);
             PerChannel([](int k) { SetBrightLUT(-20, k); });
             ColorFilterBitmap(b);
         }},
        {"LevelsBackFill", 9130, {0, 200, 150},
         [](TBitmap& b, const TBitmap&) {
             PerChannel([](int k) { SetStretchLUT(0, 200, k); });
             ColorFilterBitmap(b);
             PerChannel([](int k) { SetGammaLUT(150, k, false); });
             ColorFilterBitmap(b);
         }},
    };
    return cases;
}

void PrintTo(const TRowCase& c, std::ostream* os) { *os << c.Name; }

class FilterPreviewRowTest : public LabWindowTest, public ::testing::WithParamInterface<TRowCase> {};

TEST_P(FilterPreviewRowTest, GivesTheRoutinesPixels) {
    const TRowCase& c = GetParam();
    TBitmap picture, partner;
    MakePicture(picture, 24, 21, 13);
    MakePicture(partner, 24, 21, 13);
    for (int y = 0; y < partner.Height(); ++y)
        std::fill_n(partner.ScanLine(y), 3 * size_t(partner.Width()), uint8_t(200 - 7 * y));
    WorkBitmap = std::make_unique<TBitmap>();
    WorkBitmap->Assign(&partner);
    TPix pix;
    pix.SetBitmap(&picture);
    TFilterPreviewRun run{*WebForm, &pix};
    run.Method = c.Method;
    run.S = c.S;
    SetFilterCustoms(c.S[0], c.S[1], c.S[2]);
    const TFilterPreviewRoutine* routine = FindFilterPreview(c.Method);
    ASSERT_NE(routine, nullptr);
    (*routine)(run);
    TBitmap expected;
    expected.Assign(&picture);
    ResetMaps();
    c.Expected(expected, partner);
    const TBitmap& after = *pix.Bitmap();
    ASSERT_EQ(after.Width(), expected.Width());
    bool same = true;
    for (int y = 0; y < after.Height() && same; ++y)
        for (int x = 0; x < after.Width() && same; ++x)
            same = ColorAt(after, x, y) == ColorAt(expected, x, y);
    EXPECT_TRUE(same);
    bool changed = false;
    for (int y = 0; y < after.Height() && !changed; ++y)
        for (int x = 0; x < after.Width() && !changed; ++x)
            changed = ColorAt(after, x, y) != ColorAt(picture, x, y);
    EXPECT_TRUE(changed) << "the row left the copy as it was";
    WorkBitmap.reset();
}

// White balance: each channel's mean moves by s1 + 255 minus the picked
// colour's component; the pane is a mid-grey ramp, so nothing clips.
TEST_F(LabWindowTest, WhiteBalancePreviewMovesEachChannelMeanByItsOffset) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t* p = picture.ScanLine(y) + 3 * x;
            p[0] = uint8_t(90 + x), p[1] = uint8_t(100 + y), p[2] = uint8_t(110 + x + y);
        }
    const auto means = [](const TBitmap& b) {
        std::array<double, 3> sum{};  // red, green, blue
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                for (int k = 0; k < 3; ++k) sum[size_t(k)] += b.ScanLine(y)[3 * x + 2 - k];
        for (double& m : sum) m /= double(b.Width()) * b.Height();
        return sum;
    };
    const std::array<double, 3> before = means(picture);
    TPix pix;
    pix.SetBitmap(&picture);
    TFilterPreviewRun run{*WebForm, &pix};
    run.Method = 160;
    run.S = {0, 0, 0};
    run.SelectedColor = RGB(250, 245, 240);
    const TFilterPreviewRoutine* routine = FindFilterPreview(160);
    ASSERT_NE(routine, nullptr);
    (*routine)(run);
    const std::array<double, 3> after = means(*pix.Bitmap());
    const std::array<int, 3> offsets{5, 10, 15};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(after[size_t(k)], before[size_t(k)] + offsets[size_t(k)], 1.0) << k;
    EXPECT_EQ(FilterCustom1, 5);
    EXPECT_EQ(FilterCustom3, 15);
}

INSTANTIATE_TEST_SUITE_P(Rows, FilterPreviewRowTest, ::testing::ValuesIn(RowCases()),
                         CaseNames<&TRowCase::Name>);

// ---- Through the real dialog

class FilterGroupDialogTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        filter_8900::FilterDlgPos = {};
        WebForm->chkSelectTool->SetChecked(false);
        TBitmap picture;
        MakePicture(picture, 24, 40, 30);
        Show(picture);
        DuplicateBitmap = std::make_unique<TBitmap>();
        MakePicture(*DuplicateBitmap, 24, 40, 30);
    }
    void TearDown() override {
        filter_8900::FilterDlgPos = {};
        DuplicateBitmap.reset();
        LabWindowTest::TearDown();
    }
    static bool WaitForApply(TFilterDlg& form) {
        return QTest::qWaitFor([&] { return form.btnOK->isEnabled(); }, 2000);
    }
    // Opens the dialog on Param, lets Action set the sliders, then applies.
    TFilterDlgResult Apply(const TFilterDlgParam& param, std::function<void(TFilterDlg&)> action) {
        QueueModalAction([action](QDialog& dialog) {
            auto& form = static_cast<TFilterDlg&>(dialog);
            if (WaitForApply(form))
                action(form);
            form.Model.RunPreview();
            form.btnOK->click();
        });
        TFilterDlgResult result{};
        ExecuteFilterDlg("Caller", "", "", param, result);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        return result;
    }
    static void Set(TFilterDlg& form, std::array<int, 3> positions) {
        for (int row = 0; row < 3; ++row)
            form.Model.SliderChanged(row, positions[size_t(row)]);
    }
};

TEST_F(FilterGroupDialogTest, ExposureMethodsReturnTheirTable) {
    // Gamma Suppression: gamma 150, mask 0 -> (mask, s2, gamma).
    TFilterDlgResult r = Apply(GroupRecord(9990111, 1), [](TFilterDlg& form) { Set(form, {150, 0, 0}); });
    EXPECT_EQ(r[ResultMethod], 105);
    EXPECT_EQ(r[ResultCustom1], 0);
    EXPECT_EQ(r[ResultCustom3], 150);
    // Flash Fill: gamma 120, saturation 130, mask 0.
    r = Apply(GroupRecord(9990110, 0), [](TFilterDlg& form) { Set(form, {120, 130, 0}); });
    EXPECT_EQ(r[ResultMethod], 106);
    EXPECT_EQ((std::array<int, 3>{r[ResultCustom1], r[ResultCustom2], r[ResultCustom3]}),
              (std::array<int, 3>{0, 130, 120}));
    // UnWash: the mask slider is the blend.
    r = Apply(GroupRecord(9990111, 3), [](TFilterDlg& form) { Set(form, {0, 0, 300}); });
    EXPECT_EQ(r[ResultMethod], 40);
    EXPECT_EQ(r[ResultCustom1], 300);
}

TEST_F(FilterGroupDialogTest, WhiteBalanceReturnsThePickedOffsets) {
    const TFilterDlgResult r = Apply(GroupRecord(9990160, 0), [](TFilterDlg& form) {
        Set(form, {0, 0, 0});
        form.Model.Pick(200, 180, 160);
    });
    EXPECT_EQ(r[ResultMethod], 160);
    EXPECT_EQ((std::array<int, 3>{r[ResultCustom1], r[ResultCustom2], r[ResultCustom3]}),
              (std::array<int, 3>{55, 75, 95}));
}

TEST_F(FilterGroupDialogTest, InterlaceReturnsTheBlendAndTheField) {
    TFilterDlgParam p{};
    p.MethodCode = 510;
    p.CustomSliders = 1;
    p.Min1 = 1;
    p.Max1 = 99;
    p.Position1 = 50;
    p.Min2 = 0;
    p.Max2 = 1;
    p.Position2 = 0;
    const TFilterDlgResult r = Apply(p, [](TFilterDlg& form) { Set(form, {30, 1, 0}); });
    EXPECT_EQ(r[ResultMethod], 510);
    EXPECT_EQ(r[ResultValue], 30);
    EXPECT_EQ(r[ResultCustom2], 30);
    EXPECT_EQ(r[ResultCustom3], 1);
}

TEST_F(FilterGroupDialogTest, TheRadioListSwitchesTheMethodAndPlacesTheRows) {
    int32_t methodAfterClick = 0;
    std::vector<QString> texts;
    int listHeight = 0;
    bool maskAboveOthers = false;
    QString caption, alternate;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        for (QRadioButton* item : form.FilterGroupItems)
            texts.push_back(item->text());
        listHeight = form.FilterGroup->height();
        caption = form.windowTitle();
        form.FilterGroupItems[5]->click();
        methodAfterClick = form.Model.Method;
        alternate = form.chkAlternate->text();
        maskAboveOthers = form.PanelFilter[2]->y() < form.PanelFilter[1]->y();
        dialog.done(mrCancel);
    });
    TFilterDlgResult result{};
    ExecuteFilterDlg("Caller", "", "", GroupRecord(9990110), result);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Midtones, Flash Fill");
    EXPECT_EQ(listHeight, 7 * 22 + 1);
    EXPECT_EQ(caption, "Fix/Improve UnderExposure and Contrast");
    EXPECT_EQ(methodAfterClick, 116);
    EXPECT_EQ(alternate, "Inverse map");
    EXPECT_TRUE(maskAboveOthers);
}

}  // namespace
