// The Lab script interpreter: the handlers bound to the keyword table, the
// rows' checks (through the recording seam, without the image routines), the
// size arithmetic, the flow keywords on real files, and recorded lines
// replayed. The parser and the table alone: tests/processing/script_table_test.cpp.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/script/ScriptParser.h"
#include "app/script/ScriptHandlers.h"
#include "app/script/ScriptRun.h"
#include "processing/script/ScriptTable.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ColourBalance.h"
#include "processing/lab/Conform.h"
#include "processing/lab/MultiplyMasks.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/TonalComposites.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/picture_compare.h"
#include "support/script_lines.h"
#include "ui/Pix.h"
#include "ui/ExTrackBar.h"
#include "ui/Resize_w.h"
#include "ui/SaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/usrdlg_w.h"
#include "ui/vardlg_w.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <chrono>
#include <functional>
#include <set>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace lumvor {
std::ostream& operator<<(std::ostream& os, const TScriptCallRecord& c) {
    os << c.Routine << "(";
    for (size_t i = 0; i < c.Args.size(); ++i) os << (i ? "," : "") << c.Args[i];
    if (!c.Text.empty())
        os << ", \"" << c.Text << "\"";
    return os << ")";
}
}  // namespace lumvor

namespace {

using TCalls = std::vector<TScriptCallRecord>;

// ---- The handlers bound to the keyword table's rows

TEST(ScriptBindings, EveryRowHasItsHandlerInTheRowsOrder) {
    const auto& table = KeywordTable();
    const auto bindings = KeywordBindings();
    ASSERT_EQ(bindings.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(bindings[i].Keyword, table[i].Keyword) << "row " << i;
        EXPECT_TRUE(bindings[i].Handler || table[i].Keyword == "PROMPT") << table[i].Keyword;
        EXPECT_EQ(KeywordHandler(table[i]), bindings[i].Handler) << table[i].Keyword;
    }
    EXPECT_EQ(KeywordHandler(*FindKeyword("PROMPT")), nullptr);
}

TEST(ScriptBindings, TheSevenAliasPairsShareTheirHandler) {
    for (const auto& [first, second] : KeywordAliasPairs) {
        const TKeywordRow* a = FindKeyword(first);
        const TKeywordRow* b = FindKeyword(second);
        ASSERT_TRUE(a && b) << first;
        EXPECT_EQ(KeywordHandler(*a), KeywordHandler(*b)) << first;
    }
}

// ---- Running scripts on the image window

class ScriptRunTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        CancelPressed = 0;
        UserInterrupt = false;
        ImageUndoSaved = false;
        CropFromScript = false;
        FitWindow = false;
        ZoomPercent = 100;
        BackgroundColor = RGB(0x20, 0x40, 0x60);
        TBitmap picture;
        MakePicture(picture, 24);
        Show(picture);
    }
    void TearDown() override {
        ScriptRecorder = nullptr;
        CancelPressed = 0;
        UserInterrupt = false;
        FitWindow = true;
        LabWindowTest::TearDown();
    }
    // Runs the lines as the Lab Script window's Perform does.
    void Run(const std::vector<std::string>& lines) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(text));
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoBatchImageProcess();
    }
    // The routine calls the lines make, the routines themselves not run.
    TCalls Calls(const std::vector<std::string>& lines) {
        TScriptRecorder recorder;
        recorder.RunRoutines = false;
        ScriptRecorder = &recorder;
        Run(lines);
        ScriptRecorder = nullptr;
        return recorder.Calls;
    }
    // The pixel colours of the picture shown.
    std::vector<uint32_t> Colours() {
        std::vector<uint32_t> colours;
        for (int y = 0; y < Display().Height(); ++y)
            for (int x = 0; x < Display().Width(); ++x) colours.push_back(ColorAt(Display(), x, y));
        return colours;
    }
    void ShowSize(int width, int height) {
        TBitmap picture;
        MakePicture(picture, 24, width, height);
        Show(picture);
    }
};

TEST_F(ScriptRunTest, ParsedLinesReachTheirHandlerOnlyWhenTheyMatchExactly) {
    EXPECT_EQ(Calls({"negative"}), (TCalls{{"mnuNegativeClick", {}, ""}}));
    EXPECT_EQ(Calls({" NEGATIVE", "NEGATIVE ", ">NEGATIVE", "NEGATIVE=", "NEG ATIVE", ""}),
              (TCalls{{"mnuNegativeClick", {}, ""}}));  // "NEGATIVE=" is NEGATIVE with no values
    EXPECT_EQ(Calls({"GAMMA=120, 120,120", "GAMMA=120 ,120,120", "GAMMA=12a"}),
              (TCalls{{"SetGammaLUT", {120, 120, 120, 0}, ""}}));
    EXPECT_EQ(Calls({"CROP_EX=1,2,3,4,5"}), TCalls{});
    EXPECT_EQ(Calls({"BRIGHTNESS=,10,10"}), (TCalls{{"SetBrightLUT", {0, 10, 10}, ""}}));
    EXPECT_EQ(Calls({"POSTERIZE=$7", "POSTERIZE=$100000000"}), (TCalls{{"LowRes", {7}, ""}}));
    EXPECT_EQ(Calls({"TEXTMARK_TOPLEFT=Hello, World", "textmark_bottomright"}),
              (TCalls{{"TextMark", {0}, "Hello, World"}, {"TextMark", {3}, "textmark_bottomright"}}));
}

TEST_F(ScriptRunTest, ACommentScriptOfAThousandLinesRunsQuickly) {
    std::vector<std::string> lines(1000, "> a remark that is no keyword, 1,2,3");
    const auto start = std::chrono::steady_clock::now();
    Run(lines);
    // Well under a second even on the sanitizer build; the bound leaves a busy
    // machine its margin and still fails a run that waits or works per line.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// ---- Keyword families through the seam

struct FamilyCase {
    std::string line;
    TCalls calls;
};

void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.line; }

class KeywordFamilies : public ScriptRunTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(KeywordFamilies, CheckClampAndHandTheFinalValues) {
    EXPECT_EQ(Calls({GetParam().line}), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KeywordFamilies,
    ::testing::Values(
        // Tone curves: only-if ranges and clamps.
        FamilyCase{"GAMMA=0,100,100", {}}, FamilyCase{"GAMMA=500,1,100", {{"SetGammaLUT", {500, 1, 100, 0}, ""}}},
        FamilyCase{"GAMMA_FILL=501,100,100", {}},
        FamilyCase{"GAMMA_FILL=120,100,80", {{"SetGammaLUT", {120, 100, 80, 1}, ""}}},
        FamilyCase{"BRIGHTNESS=-256,0,0", {}}, FamilyCase{"SHIFT=-255,255,0", {{"SetShiftLUT", {-255, 255, 0}, ""}}},
        FamilyCase{"CONTRAST_CURVE=-300,300,5", {{"SetGammaContrastLUT", {-255, 255, 5}, ""}}},
        FamilyCase{"SUPPRESS=-5,300", {{"SetSupressLUT", {0, 255}, ""}}},
        FamilyCase{"GAMMA_SUPRESS=-5,300,7", {{"NegColorFilter", {0, 255, 7}, ""}}},
        FamilyCase{"LEVELS=0,256", {}}, FamilyCase{"SHADOWS=1,2,256", {}},
        FamilyCase{"SATURATION=0,100", {}}, FamilyCase{"SATURATION=10,255", {}},
        FamilyCase{"SATURATION=10,254", {{"SaturationFilter", {10, 254, 100}, ""}}},
        FamilyCase{"GAMMA_SATURATION=501", {}},
        FamilyCase{"PARAMETRIC_EQ_GRN=10,6,0", {}},
        FamilyCase{"PARAMETRIC_EQ_GRN=255,127,-127", {{"SetEqLUT", {255, 127, -127, 1}, ""}}},
        // Hue, lightness and saturation: the saturation scaled to 3600.
        FamilyCase{"HLS=0,0,999", {{"ColorTuneHLS", {0, 0, 3600}, ""}}},
        FamilyCase{"HLS=0,0,-500", {{"ColorTuneHLS", {0, 0, -1801}, ""}}},
        FamilyCase{"HLS=7,-999,1000", {}},
        // Blends: c must not be 0; MAP_RGB_HIGH clamps it, BRIGHTNESS_HIGH does not.
        FamilyCase{"BRIGHTNESS_HIGH=10,0", {}},
        FamilyCase{"BRIGHTNESS_HIGH=10,0,1200", {{"BrightnessBlend", {10, 0, 1200, 0}, ""}}},
        FamilyCase{"CONTRAST_LOW=-300,300,-4", {{"ContrastBlend", {-255, 255, -4, 1}, ""}}},
        FamilyCase{"MAP_RGB_HIGH=0,0,1200", {{"MapRGBBlend", {0, 0, 999, 0}, ""}}},
        FamilyCase{"BACK_FILL=300,600,0", {}},
        FamilyCase{"BACK_FILL=300,600,5000", {{"BackFill", {255, 500, 999}, ""}}},
        FamilyCase{"FLASH_FILL=0,0,-7", {{"FlashFill", {1, 100, 1}, ""}}},
        // Spatial filters.
        FamilyCase{"SOFTEN=50", {{"Soften", {10}, ""}}}, FamilyCase{"SOFTEN=-3", {{"Soften", {1}, ""}}},
        FamilyCase{"POSTERIZE=8", {}}, FamilyCase{"POSTERIZE=1", {}}, FamilyCase{"MOSAIC=1", {}},
        FamilyCase{"MOSAIC=16", {{"Tile", {16}, ""}}},
        FamilyCase{"UNSHARPMASK=200,50", {{"UnSharpMask5x5", {55, 50}, ""}}},
        FamilyCase{"UNSHARPMASK=200,50,1", {{"UnSharpMask3x3", {55, 50}, ""}}},
        FamilyCase{"UNSHARPMASK=256,50", {}},
        FamilyCase{"DEFOCUS=0", {{"DeFocus", {254}, ""}}},
        FamilyCase{"OUTLIER=300", {{"GaussianBlur3x3", {0, 8, 1}, ""}}},
        FamilyCase{"DESPECKLE=10", {{"Median", {9, 0}, ""}}}, FamilyCase{"UNSPOT=128", {}},
        FamilyCase{"UNSPOT=-127", {{"Median", {1, -127}, ""}}},
        FamilyCase{"DESCREEN_STRONG=9", {{"DeScreen5x5", {1}, ""}}},
        FamilyCase{"BORDER=5,240,10", {}}, FamilyCase{"BORDER=5,239,1", {{"MergeBorder", {5, 239, 1}, ""}}},
        // Modes picked from a value.
        FamilyCase{"AUTO_FLASH=7", {{"DoAutoFlash", {1}, ""}}}, FamilyCase{"AUTO_FLASH=-3", {{"DoAutoFlash", {0}, ""}}},
        FamilyCase{"AUTO_FLASH=2", {{"DoAutoFlash", {2}, ""}}}, FamilyCase{"AUTO_GAMMA=-9", {{"DoAutoGamma", {1}, ""}}},
        FamilyCase{"REFERENCE=2", {{"DoReference", {0}, ""}}},
        FamilyCase{"LIMIT_BLU=1,2,3", {{"DoHardLimitimg", {403}, ""}}},
        FamilyCase{"LIMIT_ALL", {{"DoHardLimitimg", {400}, ""}}},
        FamilyCase{"CONFORM_RED=255,10", {}}, FamilyCase{"CONFORM_GRN=1,254", {{"ConformChannel", {1, 1, 254}, ""}}},
        FamilyCase{"MAP_LIT=1,2,300", {{"MapLightness", {1, 2, 99}, ""}}},
        FamilyCase{"REPLACE_HLSINV=1,2,3", {{"MaskColors", {1, 1, 0}, ""}}},
        FamilyCase{"MASK_CONTRAST=0,100", {{"DoCompositeContrast", {1, 99}, ""}}},
        FamilyCase{"UNWASH_EX=0", {{"MultiplyMask", {1, 1, 1}, ""}}},
        FamilyCase{"BOOST=1000,5", {{"BoostMultiplyMask", {999, 0, 1}, ""}}},
        FamilyCase{"INTERLACE=50,2", {}}, FamilyCase{"INTERLACE=256,1", {}},
        FamilyCase{"INTERLACE=255,1", {{"DoAverageField", {255, 1}, ""}}},
        FamilyCase{"AVERAGE=300", {{"DoAverageBitmap", {255}, ""}}},
        FamilyCase{"ROTATE=360", {}}, FamilyCase{"ROTATE=90", {{"ImgRotate", {27000}, ""}}},
        FamilyCase{"ROTATE_FINE=1", {{"ImgRotate", {35999}, ""}}}, FamilyCase{"ROTATE_FINE=36000", {}},
        FamilyCase{"FLIP_HORIZONTAL", {{"ImgMirror", {0, 1}, ""}}}),
    [](const auto& info) { return ScriptLineName(info.param.line); });

TEST_F(ScriptRunTest, TheSevenAliasPairsReachOneRoutineEach) {
    const std::pair<std::string, std::string> pairs[] = {
        {"ZERO", "ZEROSHIFT"},       {"SUPRESS=1,2", "SUPPRESS=1,2"},     {"GAMMA_SUPRESS=1,2,3", "GAMMA_SUPPRESS=1,2,3"},
        {"ENHANCE=1,2", "LEVELS=1,2"}, {"HIGHPASS=9", "HIGHPASSMEDIUM=9"}, {"OPTIMIZE=5", "OPTIMIZE_EX=5"},
        {"MAP_EQ=1,2,3", "MAP_EQ_EX=1,2,3"}};
    for (const auto& [first, second] : pairs) {
        const TCalls calls = Calls({first});
        ASSERT_EQ(calls.size(), 1u) << first;
        EXPECT_EQ(Calls({second}), calls) << second;
    }
}

TEST_F(ScriptRunTest, ValuesHandedThroughTheFilterParametersStayAfterTheLine) {
    FilterCustom2 = FilterCustom3 = -1;
    EXPECT_EQ(Calls({"INTERLACE=50,2"}), TCalls{});
    EXPECT_EQ(FilterCustom2, 50);
    EXPECT_EQ(FilterCustom3, -1);  // the field 2 stops it before the field is set
    Calls({"INTERLACE=300,1"});
    EXPECT_EQ(FilterCustom2, 300);
    EXPECT_EQ(FilterCustom3, 1);
    Calls({"LIMIT_RED=4,5,6"});
    EXPECT_EQ(std::tuple(FilterCustom1, FilterCustom2, FilterCustom3), std::tuple(4, 5, 6));
    Calls({"AVERAGE=0"});
    EXPECT_EQ(FilterCustom2, 1);
    Calls({"MASK_EDGES=10,20"});
    EXPECT_EQ(FilterCustom2, 20);
    Calls({"AUTO_FLASH=9"});
    EXPECT_EQ(FilterCustom2, 1);
    // A line that fails its checks sets nothing.
    Calls({"CONFORM_GAMMA=255"});
    EXPECT_EQ(FilterCustom1, 4);
}

// ---- The built commands' lines change the picture as their routines do

struct RoutineCase {
    std::string line;
    std::function<void(TBitmap&)> routine;
};

void PrintTo(const RoutineCase& c, std::ostream* os) { *os << c.line; }

// The three maps set by one setter per channel, then applied.
std::function<void(TBitmap&)> Maps(std::function<void(int)> set) {
    return [set](TBitmap& b) {
        for (int channel = 0; channel < 3; ++channel) set(channel);
        ColorFilterBitmap(b);
    };
}

class ToneLines : public ScriptRunTest, public ::testing::WithParamInterface<RoutineCase> {};

TEST_P(ToneLines, ChangeThePictureAsTheirRoutine) {
    const std::vector<uint32_t> source = Colours();
    TBitmap expected;
    expected.Assign(&Display());
    ClearMaps();
    GetParam().routine(expected);
    ClearMaps();
    Run({GetParam().line});
    ASSERT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(37, 23));
    EXPECT_TRUE(SamePixels(
        [&] {
            RgbRaster raster{37, 23, {}};
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x) raster.Pixels.push_back(ColorAt(expected, x, y));
            return raster;
        }(),
        37, 23, [&](int x, int y) { return ColorAt(Display(), x, y); }));
    EXPECT_NE(Colours(), source);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ToneLines,
    ::testing::Values(
        RoutineCase{"GAMMA=150,100,80",
                    Maps([](int ch) { SetGammaLUT(std::array{150, 100, 80}[size_t(ch)], ch, false); })},
        RoutineCase{"GAMMA_FILL=150,120,80",
                    Maps([](int ch) { SetGammaLUT(std::array{150, 120, 80}[size_t(ch)], ch, true); })},
        RoutineCase{"BRIGHTNESS=10,-20,30", Maps([](int ch) { SetBrightLUT(std::array{10, -20, 30}[size_t(ch)], ch); })},
        RoutineCase{"SHIFT=-10,20,-30", Maps([](int ch) { SetShiftLUT(std::array{-10, 20, -30}[size_t(ch)], ch); })},
        RoutineCase{"CONTRAST=50,-60,70", Maps([](int ch) { SetContrastLUT(std::array{50, -60, 70}[size_t(ch)], ch); })},
        RoutineCase{"CONTRAST_CURVE=10,-20,30",
                    Maps([](int ch) { SetGammaContrastLUT(256 + std::array{10, -20, 30}[size_t(ch)], ch); })},
        RoutineCase{"SUPPRESS=20,200", Maps([](int ch) { SetSupressLUT(20, 200, ch); })},
        RoutineCase{"LEVELS=10,240", Maps([](int ch) { SetStretchLUT(10, 240, ch); })},
        RoutineCase{"SHADOWS=10,20,30", Maps([](int ch) { SetStretchLUT(std::array{10, 20, 30}[size_t(ch)], 255, ch); })},
        RoutineCase{"HIGHLIGHTS=200,210,220",
                    Maps([](int ch) { SetStretchLUT(0, std::array{200, 210, 220}[size_t(ch)], ch); })},
        RoutineCase{"GAMMA_SUPPRESS=150,120,80",
                    [](TBitmap& b) {
                        for (int ch = 0; ch < 3; ++ch) SetGammaLUT(std::array{150, 120, 80}[size_t(ch)], ch, false);
                        NegColorFilterBitmap(b);
                    }},
        RoutineCase{"PARAMETRIC_EQ_BLU=128,40,60",
                    [](TBitmap& b) {
                        SetEqLUT(128, 40, 0, 0);
                        SetEqLUT(128, 40, 60, 2);
                        ColorFilterBitmap(b);
                    }},
        RoutineCase{"PARAMETRIC_EQ_ALL=100,30,-50", Maps([](int ch) { SetEqLUT(100, 30, -50, ch); })},
        RoutineCase{"HLS=100,-50,500", [](TBitmap& b) { ColorTuneHLSBitmap(b, 100, -50, 500 * 3600 / 999); }},
        RoutineCase{"LIGHTING=10,240",
                    [](TBitmap& b) {
                        SetStretchLUT(10, 240, 1);
                        LuminanceFilterBitmap(b);
                    }},
        RoutineCase{"SATURATION=10,240",
                    [](TBitmap& b) {
                        SetStretchLUT(10, 240, 1);
                        SetGammaLUT(100, 2, false);
                        SaturationFilterBitmap(b);
                    }},
        RoutineCase{"GAMMA_SATURATION=150",
                    [](TBitmap& b) {
                        SetStretchLUT(0, 255, 1);
                        SetGammaLUT(150, 2, false);
                        SaturationFilterBitmap(b);
                    }},
        RoutineCase{"NEGATIVE", InvertBitmap}, RoutineCase{"UNCOOK", UnCookBitmap},
        RoutineCase{"UNWASH", MultiplyRGBBitmap}, RoutineCase{"ATTENUATE", MultiplyLuminanceBitmap},
        RoutineCase{"POSTERIZE=3", [](TBitmap& b) { LowResBitmap(b, 3); }},
        RoutineCase{"GRAYSCALE", GrayBitmap},
        RoutineCase{"UNEQUALIZE=150", [](TBitmap& b) { MultiplyMaskBitmap(b, 150, 0, 0); }},
        RoutineCase{"UNEQUALIZE=150,1", [](TBitmap& b) { MultiplyMaskBitmap(b, 150, 0, 1); }},
        RoutineCase{"BOOST=200,3", [](TBitmap& b) { BoostMultiplyMaskBitmap(b, 200, 0, 1); }},
        RoutineCase{"UNWASH_EX=300", [](TBitmap& b) { MultiplyMaskBitmap(b, 300, 1, 1); }}),
    [](const auto& info) { return ScriptLineName(info.param.line); });

INSTANTIATE_TEST_SUITE_P(
    ColourLines, ToneLines,
    ::testing::Values(
        RoutineCase{"DEFOG=200,64", [](TBitmap& b) { DefogBitmap(b, 200, 64); }},
        RoutineCase{"NATURALIZE_RGB=128,52", [](TBitmap& b) { FilmNoirBitmap(b, 128, 52, false); }},
        RoutineCase{"NATURALIZE_CCD=90,200", [](TBitmap& b) { FilmNoirBitmap(b, 90, 200, true); }},
        RoutineCase{"RGBMIN", [](TBitmap& b) { FilmNoirBitmap(b, 0, 255, false); }},
        RoutineCase{"RGBMAX", [](TBitmap& b) { FilmNoirBitmap(b, 255, 255, false); }},
        RoutineCase{"WHITEBALANCE=20,-15,40", [](TBitmap& b) { WhiteBalanceBitmap(b, {20, -15, 40}); }}),
    [](const auto& info) { return ScriptLineName(info.param.line); });

TEST_F(ScriptRunTest, ZeroLinesShiftEachBlackPointToZero) {
    // Red starts at 30 and blue at 12 in more than 48 pixels, green at 0.
    std::vector<uint32_t> colours(60, 0x1E000C);
    colours.insert(colours.end(), 60, 0xC89650);
    TBitmap picture;
    LoadRaster(picture, RgbRaster{12, 10, colours});
    for (const std::string line : {"ZERO", "ZEROSHIFT"}) {
        SCOPED_TRACE(line);
        Show(picture);
        Run({line});
        EXPECT_EQ(ColorAt(Display(), 0, 0), 0x000000u);
        EXPECT_EQ(ColorAt(Display(), 11, 9), 0xAA9644u);
    }
}

// The picture's sums as the statistics lines compute them.
void Sums(TBitmap& b, bool saturation) {
    ResetMaps();
    CalcHistogram(b, saturation, true, false);
}

// A channel moved by offsets from its own rounded statistics.
void MapChannel(TBitmap& b, int channel, int meanOffset, int deviationOffset) {
    const int64_t sums[3][2] = {{HistSumR, HistSumSqR}, {HistSumG, HistSumSqG}, {HistSumB, HistSumSqB}};
    const TRoundedStats own = RoundedStats(sums[channel][0], sums[channel][1], HistCount);
    NormalizeBitmap(b, channel, own.Mean + meanOffset, own.Deviation + deviationOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Statistics, ToneLines,
    ::testing::Values(
        RoutineCase{"LIMIT_ALL=30,100,200", [](TBitmap& b) { HardLimitBitmap(b, 400, 30, 100, 200); }},
        RoutineCase{"LIMIT_GRN=30,100,200", [](TBitmap& b) { HardLimitBitmap(b, 402, 30, 100, 200); }},
        RoutineCase{"CONFORM_RED=100,40",
                    [](TBitmap& b) {
                        Sums(b, false);
                        NormalizeBitmap(b, 0, 100, 40);
                    }},
        RoutineCase{"MAP_GRN=10,5",
                    [](TBitmap& b) {
                        Sums(b, true);
                        MapChannel(b, 1, 10, 5);
                    }},
        RoutineCase{"MAP_RGB=-10,5",
                    [](TBitmap& b) {
                        Sums(b, false);
                        for (int ch = 0; ch < 3; ++ch) MapChannel(b, ch, -10, 5);
                    }},
        RoutineCase{"CONFORM_LIT=120,50",
                    [](TBitmap& b) {
                        Sums(b, true);
                        NormalizeBitmap(b, NormalizeLightness, 120, 50);
                    }},
        RoutineCase{"CONFORM_SAT=100,30",
                    [](TBitmap& b) {
                        Sums(b, true);
                        NormalizeBitmap(b, NormalizeSaturation, 100, 30);
                    }},
        RoutineCase{"CONFORM_GAMMA=150", [](TBitmap& b) { ConformGammaBitmap(b, 150); }},
        RoutineCase{"CONFORM_GAMMA_RGB=100,150,200", [](TBitmap& b) { ConformGammaRGBBitmap(b, {100, 150, 200}); }},
        RoutineCase{"NORMALIZE",
                    [](TBitmap& b) {
                        Sums(b, false);
                        NormalizeToBrightestBitmap(b);
                    }},
        RoutineCase{"OPTIMIZE",
                    [](TBitmap& b) {
                        Sums(b, false);
                        OptimizeBitmap(b);
                    }},
        RoutineCase{"EQUALIZE",
                    [](TBitmap& b) {
                        Sums(b, false);
                        for (int ch = 0; ch < 3; ++ch) NormalizeBitmap(b, ch, 128, 127);
                    }},
        RoutineCase{"WHITEBALANCE=10,-5,20",
                    [](TBitmap& b) {
                        Sums(b, false);
                        for (int ch = 0; ch < 3; ++ch) MapChannel(b, ch, std::array{10, -5, 20}[size_t(ch)], 0);
                    }},
        RoutineCase{"MAP_EQ=120,50",
                    [](TBitmap& b) {
                        Sums(b, false);
                        for (int ch = 0; ch < 3; ++ch) NormalizeBitmap(b, ch, 120, 50);
                    }},
        // With a blend, 30 per cent of the picture before the change comes back.
        RoutineCase{"MAP_EQ_EX=120,50,30",
                    [](TBitmap& b) {
                        TBitmap before;
                        before.Assign(&b);
                        Sums(b, false);
                        for (int ch = 0; ch < 3; ++ch) NormalizeBitmap(b, ch, 120, 50);
                        AverageBitmaps(b, before, 30);
                    }},
        RoutineCase{"MAP_LIT=15,10",
                    [](TBitmap& b) {
                        Sums(b, true);
                        const TRoundedStats own = RoundedStats(HistSumLum, HistSumSqLum, HistCount);
                        NormalizeBitmap(b, NormalizeLightness, own.Mean + 15, own.Deviation + 10);
                    }},
        RoutineCase{"MAP_LIT_EX=15,10,40",
                    [](TBitmap& b) {
                        TBitmap before;
                        before.Assign(&b);
                        Sums(b, true);
                        const TRoundedStats own = RoundedStats(HistSumLum, HistSumSqLum, HistCount);
                        NormalizeBitmap(b, NormalizeLightness, own.Mean + 15, own.Deviation + 10);
                        AverageBitmaps(b, before, 40);
                    }},
        RoutineCase{"MAP_SAT=20,-5",
                    [](TBitmap& b) {
                        Sums(b, true);
                        const TRoundedStats own = RoundedStats(HistSumSat, HistSumSqSat, HistCount);
                        NormalizeBitmap(b, NormalizeSaturation, own.Mean + 20, own.Deviation - 5);
                    }}),
    [](const auto& info) { return ScriptLineName(info.param.line); });

TEST_F(ScriptRunTest, LimitsAfterAGammaLineStartFromResetMaps) {
    TBitmap expected;
    expected.Assign(&Display());
    for (int ch = 0; ch < 3; ++ch) SetGammaLUT(150, ch, false);
    ColorFilterBitmap(expected);
    TBitmap afterGamma;
    afterGamma.Assign(&expected);
    HardLimitBitmap(expected, 400, 10, 12, 200);
    Run({"GAMMA=150,150,150", "LIMIT_ALL=10,12,200"});
    for (int y = 0; y < Display().Height(); ++y)
        for (int x = 0; x < Display().Width(); ++x) {
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(expected, x, y)) << x << "," << y;
            const uint32_t before = ColorAt(afterGamma, x, y);
            for (int shift : {0, 8, 16})
                if (((before >> shift) & 0xFF) < 12)
                    EXPECT_EQ((ColorAt(Display(), x, y) >> shift) & 0xFF, (before >> shift) & 0xFF);
        }
}

TEST_F(ScriptRunTest, ConformDataAreUsedOnlyOnceTaken) {
    ConformDataTaken = false;
    ConformData = {};
    const std::vector<uint32_t> source = Colours();
    Run({"USE_CONFORM_DATA", "USE_CONFORM_SAT_DATA"});
    EXPECT_EQ(Colours(), source);
    // Taken from the picture itself, they move it (almost) nowhere.
    Run({"GET_CONFORM_DATA_EX", "USE_CONFORM_DATA"});
    EXPECT_TRUE(ConformDataTaken);
    CalcHistogram(Display(), true, true, false);
    const TConformData after = ConformDataFromHistogram();
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(after.Mean(k), ConformData.Mean(k), 1) << k;
        EXPECT_NEAR(after.Deviation(k), ConformData.Deviation(k), 1) << k;
    }
    ConformDataTaken = false;
}

// ---- Lines that change a copy and blend it back through the luminance mask

struct BlendBackCase {
    std::string line;
    std::function<void(TBitmap&)> change;
    int strength;
    bool lowTones;
};

void PrintTo(const BlendBackCase& c, std::ostream* os) { *os << c.line; }

class BlendBackLines : public ScriptRunTest, public ::testing::WithParamInterface<BlendBackCase> {};

TEST_P(BlendBackLines, BlendTheChangedCopyBackAndGiveTheDuplicateBack) {
    const BlendBackCase& c = GetParam();
    // The user's own duplicate, unlike the picture: its negative (a run
    // starts with empty buffers, so the script makes it).
    TBitmap users;
    users.Assign(&Display());
    InvertBitmap(users);
    TBitmap expected, changed;
    expected.Assign(&Display());
    changed.Assign(&Display());
    ClearMaps();
    c.change(changed);
    CompositeMaskBitmap(expected, changed, c.strength, 99, c.lowTones);

    Run({"DUPLICATE", "NEGATIVE", "SWAP", c.line});
    EXPECT_TRUE(SamePixels(RasterOfBitmap(expected), Display().Width(), Display().Height(),
                           [&](int x, int y) { return ColorAt(Display(), x, y); }));
    ASSERT_NE(DuplicateBitmap, nullptr);
    EXPECT_TRUE(SamePixels(RasterOfBitmap(users), users.Width(), users.Height(),
                           [&](int x, int y) { return ColorAt(*DuplicateBitmap, x, y); }));
    EXPECT_EQ(ParkedDuplicate, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BlendBackLines,
    ::testing::Values(
        BlendBackCase{"BRIGHTNESS_HIGH=40,0,50", Maps([](int ch) { SetBrightLUT(40, ch); }), 50, false},
        BlendBackCase{"BRIGHTNESS_LOW=-30,60,200",
                      [](TBitmap& b) {
                          Maps([](int ch) { SetBrightLUT(-30, ch); })(b);
                          Maps([](int ch) { SetContrastLUT(60, ch); })(b);
                      },
                      200, true},
        BlendBackCase{"CONTRAST_LOW=0,-60,120", Maps([](int ch) { SetGammaContrastLUT(196, ch); }), 120, true},
        BlendBackCase{"CONTRAST_HIGH=20,30,1200",
                      [](TBitmap& b) {
                          Maps([](int ch) { SetGammaContrastLUT(286, ch); })(b);
                          Maps([](int ch) { SetBrightLUT(20, ch); })(b);
                      },
                      1200, false},
        BlendBackCase{"BACK_FILL=200,150,80",
                      [](TBitmap& b) {
                          Maps([](int ch) { SetStretchLUT(0, 200, ch); })(b);
                          Maps([](int ch) { SetGammaLUT(150, ch, false); })(b);
                      },
                      80, false},
        BlendBackCase{"FLASH_FILL=150,130,60",
                      [](TBitmap& b) {
                          Maps([](int ch) { SetGammaLUT(130, ch, true); })(b);
                          SetStretchLUT(0, 255, 1);
                          SetGammaLUT(150, 2, false);
                          SaturationFilterBitmap(b);
                      },
                      60, false},
        BlendBackCase{"GAMMA_SUPPRESS_EX=150,300",
                      [](TBitmap& b) {
                          for (int ch = 0; ch < 3; ++ch) SetGammaLUT(150, ch, false);
                          NegColorFilterBitmap(b);
                      },
                      300, true},
        BlendBackCase{"SUPPRESS_EX=20,200,90", Maps([](int ch) { SetSupressLUT(20, 200, ch); }), 90, true},
        BlendBackCase{"ATTENUATE_EX=70", MultiplyLuminanceBitmap, 70, true},
        BlendBackCase{"UNCOOK_EX=400", UnCookBitmap, 400, true}),
    [](const auto& info) { return ScriptLineName(info.param.line); });

TEST_F(ScriptRunTest, MaskLinesCompositeThePictureWithTheDuplicate) {
    struct Case {
        std::string line;
        std::function<void(TBitmap& picture, const TBitmap& duplicate)> routine;
    };
    const Case cases[] = {
        {"MASK_SHADOWS=120,40", [](TBitmap& p, const TBitmap& d) { CompositeMaskBitmap(p, d, 120, 40, true); }},
        {"MASK_HIGHLIGHTS=80,99", [](TBitmap& p, const TBitmap& d) { CompositeMaskBitmap(p, d, 80, 99, false); }},
        {"MASK_MIDTONES=600,-5", [](TBitmap& p, const TBitmap& d) { CompositeMidTonesBitmap(p, d, 500, 0); }},
        {"MASK_CONTRAST=150,60", [](TBitmap& p, const TBitmap& d) { CompositeContrastBitmap(p, d, 150, 60); }},
        {"MASK_GRAYSCALE", CompositeGrayBitmap},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TBitmap picture;
        MakePicture(picture, 24);
        Show(picture);
        // The picture's negative over the picture as the duplicate.
        TBitmap expected;
        expected.Assign(&Display());
        InvertBitmap(expected);
        c.routine(expected, Display());
        Run({"DUPLICATE", "NEGATIVE", c.line});
        EXPECT_TRUE(SamePixels(RasterOfBitmap(expected), Display().Width(), Display().Height(),
                               [&](int x, int y) { return ColorAt(Display(), x, y); }));
    }
}

// ---- Sizes

TEST_F(ScriptRunTest, SizeKeywordsComputeTheNewSizeExactly) {
    ShowSize(100, 60);
    EXPECT_EQ(Calls({"RESIZE%=50"}), (TCalls{{"mnuResizeClick", {50, 30}, ""}}));
    EXPECT_EQ(FilterCustom2, 50);
    EXPECT_EQ(FilterCustom1, 30);
    EXPECT_EQ(Calls({"RESIZE%=30"}), TCalls{});  // 18 is not above 32
    EXPECT_EQ(Calls({"RESAMPLE%=800", "RESAMPLE%=0"}), TCalls{});
    EXPECT_EQ(Calls({"RESAMPLE%=799,16"}), (TCalls{{"mnuResampleClick", {784, 464}, ""}}));
    EXPECT_EQ(Calls({"RESIZE%=60,17"}), (TCalls{{"mnuResizeClick", {60, 36}, ""}}));  // 17 is no multiple

    ShowSize(1000, 800);
    // 333.3 -> 333 -> 328 and 266.64 -> 267 -> 264.
    EXPECT_EQ(Calls({"RESIZE%%=3333,8"}), (TCalls{{"mnuResizeClick", {328, 264}, ""}}));
    // Ties round to even: 1000 x 0.00125 x 100 = 12.5 is too small anyway; 1000 x 0.0845 = 84.5.
    EXPECT_EQ(Calls({"RESAMPLE%%=845"}), (TCalls{{"mnuResampleClick", {84, 68}, ""}}));
    EXPECT_EQ(Calls({"DISTILL=2000,2000", "DISTILL=1000,700", "DISTILL%%=10000"}), TCalls{});
    EXPECT_EQ(Calls({"DISTILL%=50"}), (TCalls{{"mnuDistillClick", {500, 400}, ""}}));
    EXPECT_EQ(Calls({"RESIZE=2000,2000"}), (TCalls{{"mnuResizeClick", {2000, 2000}, ""}}));
    EXPECT_EQ(Calls({"RESIZE=16385,10", "RESIZE=0,10"}), TCalls{});
    EXPECT_EQ(Calls({"DOWNSAMPLE=500,500"}), (TCalls{{"mnuResampleClick", {500, 400}, ""}}));
    EXPECT_EQ(Calls({"DOWNSAMPLE=5000,100"}), (TCalls{{"mnuResampleClick", {125, 100}, ""}}));
}

TEST_F(ScriptRunTest, SizeKeywordsResizeThePicture) {
    ShowSize(100, 60);
    Run({"RESIZE%=50"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height(), ImageWidth, ImageHeight), std::tuple(50, 30, 50, 30));
    Run({"RESIZE%=30"});
    EXPECT_EQ(Display().Width(), 50);

    ShowSize(1000, 800);
    Run({"DISTILL=2000,2000"});
    EXPECT_EQ(Display().Width(), 1000);
    Run({"DOWNSAMPLE=500,500"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height(), ImageWidth, ImageHeight),
              std::tuple(500, 400, 500, 400));
    Run({"RESIZE=2000,2000"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(2000, 2000));
    EXPECT_FALSE(ImageUndoSaved);  // a script takes no undo copy per line
    EXPECT_TRUE(LabScript.Count() == 0);  // nor records
}

// ---- Crops

TEST_F(ScriptRunTest, CropsCutOnlyRectanglesInsideThePicture) {
    TBitmap original;
    original.Assign(&Display());
    // Beyond the right edge: the rectangle is stored, nothing is cut.
    Run({"CROP_EX=30,2,8,5"});
    EXPECT_EQ(std::tuple(LastSelection.Left, LastSelection.Top, LastSelection.Right, LastSelection.Bottom),
              std::tuple(30, 2, 38, 7));
    EXPECT_EQ(Display().Width(), 37);
    // Left of the picture or turned inside out: nothing either.
    Run({"CROP_EX=-1,2,8,5", "CROP_EX=5,2,0,5", "CROP_EX=2147483647,0,5,5", "CROP=5,3"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(37, 23));

    Run({"CROP_EX=3,2,8,5"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height(), ImageWidth, ImageHeight), std::tuple(8, 5, 8, 5));
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, 3, 2));
    EXPECT_FALSE(CropFromScript);
    EXPECT_EQ(LabScript.Count(), 0);

    // CROP packs Top and Left, Bottom and Right into two values.
    Run({"CROP=" + std::to_string(1 * 65536 + 2) + "," + std::to_string(4 * 65536 + 7)});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(5, 3));
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, 5, 3));
}

// A CROP_EX line with a negative width or height and the line of the same
// rectangle with its corners in order.
struct NegativeCropCase {
    std::string name;
    std::string line;
    std::string ordered;
};

class NegativeCropLines : public ScriptRunTest, public ::testing::WithParamInterface<NegativeCropCase> {};

TEST_P(NegativeCropLines, CropTheOrderedRectangle) {
    TBitmap original;
    original.Assign(&Display());
    Run({GetParam().ordered});
    const std::tuple expectedSize(Display().Width(), Display().Height());
    ASSERT_NE(expectedSize, std::tuple(37, 23));  // the ordered line crops
    const std::vector<uint32_t> expected = Colours();

    Show(original);
    Run({GetParam().line});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height(), ImageWidth, ImageHeight),
              std::tuple_cat(expectedSize, expectedSize));
    EXPECT_EQ(Colours(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, NegativeCropLines,
    ::testing::Values(NegativeCropCase{"NegativeWidth", "CROP_EX=20,2,-8,5", "CROP_EX=12,2,8,5"},
                      NegativeCropCase{"NegativeHeight", "CROP_EX=3,20,8,-11", "CROP_EX=3,9,8,11"},
                      NegativeCropCase{"NegativeBoth", "CROP_EX=37,23,-30,-21", "CROP_EX=7,2,30,21"},
                      NegativeCropCase{"ToTheTopLeftCorner", "CROP_EX=5,4,-5,-4", "CROP_EX=0,0,5,4"}),
    CaseNames<&NegativeCropCase::name>);

// ---- Turns

TEST_F(ScriptRunTest, AFailedTurnKeepsThePictureShowsTheLibraryErrorAndTheScriptGoesOn) {
    // A strip whose turned box is beyond the picture limits.
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(1, 1 << 20);
    Show(strip);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    Run({"ROTATE=45", "FLIP_VERTICAL", "NOMODIFYFLAG"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(1, 1 << 20));
    EXPECT_EQ(ImageHeight, 1 << 20);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(ScriptRunTest, TurnsAndFlipsChangeThePicture) {
    TBitmap original;
    original.Assign(&Display());
    Run({"FLIP_HORIZONTAL"});
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, 36, 0));
    Run({"FLIP_HORIZONTAL", "ROTATE=90"});
    // A quarter turn clockwise: the bottom-left corner comes to the top left.
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height(), ImageWidth, ImageHeight), std::tuple(23, 37, 23, 37));
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, 0, 22));
    Run({"ROTATE_FINE=27000"});
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(37, 23));
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, 0, 0));
}

// ---- Flow

TEST_F(ScriptRunTest, TraceAsksAfterTheKeywordsBeforePromptAndBeforeTheOthers) {
    const uint32_t before = ColorAt(Display(), 4, 2);
    std::vector<Box> boxes;
    uint32_t atQuestion = 0;
    QueueModalAction([&](QDialog& d) {
        atQuestion = ColorAt(Display(), 4, 2);
        boxes.push_back({"", d.findChild<QLabel*>("Message")->text().toStdString()});
        d.done(mrNo);
    });
    Answer(boxes, mrYes);
    Run({"TRACE", "", "GAMMA=x", "NEGATIVE", "FLIP_VERTICAL", "NEGATIVE"});
    ASSERT_EQ(boxes.size(), 2u) << (boxes.empty() ? "" : boxes[0].text);
    EXPECT_EQ(boxes[0].text, "NEGATIVE\n\nAbort batch processing?");
    EXPECT_EQ(atQuestion, 0xFFFFFFu - before);  // NEGATIVE ran before its question
    EXPECT_EQ(boxes[1].text, "FLIP_VERTICAL\n\nAbort batch processing?");
    // Yes: the flip and the last line did not run.
    EXPECT_EQ(ColorAt(Display(), 4, 2), 0xFFFFFFu - before);
    EXPECT_EQ(WebForm->SaveDialogTag, 0);
    EXPECT_EQ(WebForm->AnyTimer->Tag, 2);
    EXPECT_TRUE(WebForm->AnyTimer->Enabled());
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(ScriptRunTest, PromptAsksOutsideTraceAndPromptStringWithItsText) {
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    Answer(boxes, mrYes);
    Run({"PROMPT", "PROMPTSTRING=Check the sky.", "NEGATIVE"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "\nAbort batch processing?");
    EXPECT_EQ(boxes[1].text, "Check the sky.\nAbort batch processing?");
    TScriptRecorder recorder;
    ScriptRecorder = &recorder;
    Answer(boxes, mrYes);
    Run({"PROMPT", "NEGATIVE"});
    EXPECT_TRUE(recorder.Calls.empty());
}

TEST_F(ScriptRunTest, FileNamePromptsTestTheNameWithoutCase) {
    FileName = "/pictures/Holiday_Beach.jpg";
    std::vector<Box> boxes;
    Run({"PROMPT_NOT_FILESTRING=beach", "PROMPT_HAS_FILESTRING=mountain"});
    EXPECT_TRUE(boxes.empty());
    Answer(boxes, mrNo);
    Answer(boxes, mrYes);
    Run({"PROMPT_HAS_FILESTRING=beach", "PROMPT_NOT_FILESTRING=Snow", "NEGATIVE", "LOOP"});
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Holiday_Beach.jpg contains \"beach\"\nAbort?");
    EXPECT_EQ(boxes[1].text, "Holiday_Beach.jpg does not contain \"Snow\"\nAbort?");
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(ScriptRunTest, LoopStopsOnEscapeWithAborting) {
    TScriptRecorder recorder;
    int passes = 0;
    recorder.OnCall = [&](const TScriptCallRecord&) {
        if (++passes == 3) {
            QCoreApplication::postEvent(WebForm, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    ScriptRecorder = &recorder;
    Run({"NEGATIVE", "LOOP"});
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(StatusTextValue, "Aborting.");
    EXPECT_EQ(WebForm->AnyTimer->Tag, 2);
}

TEST_F(ScriptRunTest, AStopRequestDuringTheLastLineOfAPassIsKept) {
    TScriptRecorder recorder;
    int passes = 0;
    recorder.OnCall = [&](const TScriptCallRecord&) {
        ++passes;
        // As the status box's Cancel does while the last line works.
        if (passes == 2)
            CancelPressed = 1;
        // Should the request be lost, stop the run at the next pass anyway.
        if (passes >= 4)
            QCoreApplication::postEvent(WebForm, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    ScriptRecorder = &recorder;
    WebForm->SaveDialogTag = 1;
    Run({"LOOP", "NEGATIVE"});
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(StatusTextValue, "Aborting.");
    EXPECT_EQ(WebForm->SaveDialogTag, 0);
}

TEST_F(ScriptRunTest, AnEmptyMemoRunsNothingAndStillReportsTheEnd) {
    TScriptRecorder recorder;
    ScriptRecorder = &recorder;
    DuplicateBitmap = std::make_unique<TBitmap>();
    DuplicateBitmap->Assign(&Display());
    Run({});
    EXPECT_TRUE(recorder.Calls.empty());
    EXPECT_EQ(WebForm->AnyTimer->Tag, 2);
    EXPECT_TRUE(WebForm->AnyTimer->Enabled());
    // The run starts with empty second pictures.
    EXPECT_TRUE(DuplicateBitmap->GetEmpty());
    // The timer then tells the status bar.
    for (int waited = 0; waited < 3000 && StatusTextValue != "Lab done."; waited += 50) QTest::qWait(50);
    EXPECT_EQ(StatusTextValue, "Lab done.");
}

TEST_F(ScriptRunTest, TheDuplicateOutlivesTheRunUnlessClearBuffersEmptiesIt) {
    Run({"DUPLICATE", "COPYTOBACKUP"});
    ASSERT_TRUE(DuplicateBitmap && !DuplicateBitmap->GetEmpty());
    EXPECT_TRUE(!BackupBitmap || BackupBitmap->GetEmpty());  // the backup slot is emptied at the end
    Run({"DUPLICATE", "CLEARBUFFERS"});
    EXPECT_TRUE(DuplicateBitmap->GetEmpty());
    EXPECT_FALSE(UndoValid);
}

TEST_F(ScriptRunTest, BenchmarkEndShowsTheSecondsSinceTheStart) {
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    Run({"BENCHMARK_START", "BENCHMARK_END"});
    ASSERT_EQ(boxes.size(), 1u);
    // "Done: 0.Ns": seconds and tenths of the short run.
    const std::string& text = boxes[0].text;
    EXPECT_TRUE(text.size() == 10 && text.starts_with("Done: 0.") && std::isdigit(static_cast<unsigned char>(text[8])) &&
                text[9] == 's')
        << text;
}

TEST_F(ScriptRunTest, NoModifyFlagClearsTheChangedMark) {
    ImageChanged = true;
    Run({"NOMODIFYFLAG"});
    EXPECT_FALSE(ImageChanged);
    Run({"NEGATIVE"});
    EXPECT_TRUE(ImageChanged);
}

class ScriptFilesTest : public ScriptRunTest {
protected:
    std::string Home(const std::string& fixture, const std::string& name) { return CopyToHome(fixture, name); }
    bool AllGrey() {
        for (uint32_t c : Colours())
            if ((c & 0xFF) != (c >> 8 & 0xFF) || (c & 0xFF) != (c >> 16 & 0xFF))
                return false;
        return true;
    }
};

TEST_F(ScriptFilesTest, LoadFileReplacesTheExtensionOfTheCurrentName) {
    for (const std::string current : {"script/photo.jpg", "script/photo.jpeg"}) {
        const std::string shown = Home("jpeg/baseline_444.jpg", current);
        const std::string other = Home("jpeg/grey.jpg", "script/photo_b.jpg");
        FileName = shown;
        WebForm->mnuReloadClick(nullptr);
        ASSERT_FALSE(AllGrey());
        ImageChanged = true;
        Run({"LOADFILE=*_b.jpg"});
        EXPECT_TRUE(AllGrey()) << current;
        EXPECT_EQ(FileName, shown);  // the window still names its own file
        EXPECT_EQ(ImageBitCount, 24);
        EXPECT_FALSE(ImageChanged);
        QFile::remove(QString::fromStdString(other));
        QFile::remove(QString::fromStdString(shown));
    }
    // A name that does not exist loads nothing.
    const std::string shown = Home("jpeg/baseline_444.jpg", "script/photo.jpg");
    FileName = shown;
    WebForm->mnuReloadClick(nullptr);
    Run({"LOADFILE=*_missing.jpg", "LOADFILE=" + ProgramFolder() + "script/none.jpg"});
    EXPECT_FALSE(AllGrey());
    EXPECT_EQ(FileName, shown);
}

TEST_F(ScriptFilesTest, ReloadOpensTheFileAgainAt24Bits) {
    const std::string grey = Home("jpeg/grey.jpg", "script/grey.jpg");
    FileName = grey;
    WebForm->mnuReloadClick(nullptr);
    Run({"NEGATIVE", "RELOAD"});
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_EQ(OriginalBitCount, 24);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 24);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(ScriptFilesTest, DeleteRemovesTheFileAtOnceAndKeepsThePicture) {
    const std::string doomed = Home("jpeg/baseline_444.jpg", "script/doomed.jpg");
    FileName = doomed;
    WebForm->mnuReloadClick(nullptr);
    const std::vector<uint32_t> before = Colours();
    std::vector<Box> boxes;
    Run({"DELETE"});
    EXPECT_FALSE(FileExists(doomed));
    EXPECT_TRUE(boxes.empty());
    // Gone for good: nothing went to the trash.
    const QString trash = QDir::homePath() + "/.local/share/Trash/files/doomed.jpg";
    EXPECT_FALSE(QFile::exists(trash));
    EXPECT_EQ(Colours(), before);
    Run({"DELETE"});  // the file is gone: nothing to do
}

TEST_F(ScriptFilesTest, NextAndPreviousStepThroughTheBookmarksWithWrapAround) {
    const std::string a = Home("jpeg/baseline_444.jpg", "script/a.jpg"), b = Home("jpeg/grey.jpg", "script/b.jpg"),
                      c = Home("png/rgb8.png", "script/c.png");
    ImageHistoryList.Clear();
    for (const std::string& name : {a, b, c}) ImageHistoryList.Add(name);
    ImageHistoryIndex = 0;
    FileName = a;
    std::vector<std::string> shown;
    for (const char* step : {"NEXT", "NEXT", "NEXT", "PREVIOUS", "PREVIOUS"}) {
        Run({step});
        shown.push_back(FileName);
        EXPECT_EQ(WebForm->History->currentText().toStdString(), FileName);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{b, c, a, c, b}));
}

TEST_F(ScriptFilesTest, SaveAsksOnceForANamedSuffixAndEveryTimeWithoutOne) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    FileName = folder + "/beach.jpg";
    std::vector<std::string> proposed;
    const auto queueDialog = [&](const std::string& typed) {
        WebForm->SaveDialog->SetFilterIndex(1);
        QueueModalAction([&proposed, typed](QDialog& d) {
            auto* edit = d.findChild<QLineEdit*>("fileNameEdit");
            proposed.push_back(edit->text().toStdString());
            edit->setText(QString::fromStdString(typed));
            d.accept();
        });
    };
    // "SAVE" alone: the dialog on every pass, proposing the file's own name.
    queueDialog(folder + "/first");
    queueDialog(folder + "/second");
    WebForm->SaveDialogTag = 0;
    Run({"SAVE", "NEGATIVE", "SAVE"});
    EXPECT_EQ(proposed, (std::vector<std::string>{"beach", "beach"}));
    EXPECT_TRUE(FileExists(folder + "/first.bmp"));
    EXPECT_TRUE(FileExists(folder + "/second.bmp"));
    EXPECT_EQ(WebForm->SaveDialogTag, 1);
    EXPECT_EQ(FileName, folder + "/beach.jpg");  // a script's save does not rename the picture

    // "SAVE=_new.jpg": the dialog once, then silently.
    proposed.clear();
    WebForm->SaveDialogTag = 0;
    queueDialog(folder + "/beach_new.jpg");
    Run({"SAVE=_new.jpg", "NEGATIVE", "SAVE=_new.jpg"});
    EXPECT_EQ(proposed, std::vector<std::string>{"beach_new.jpg"});
    EXPECT_EQ(QueuedModalAnswers(), 0);
    ASSERT_TRUE(FileExists(folder + "/beach_new.bmp"));
    // The later save wrote the negative again over the first.
    TBitmap written;
    written.LoadFromFile(folder + "/beach_new.bmp");
    EXPECT_EQ(ColorAt(written, 3, 4), ColorAt(Display(), 3, 4));
}

// ---- Recorded lines replay to the same picture
//
// Scope: on a 24-bit source picture, every command built so far that records,
// run with canned dialog answers, records its lines; Undo; the lines replayed
// through the interpreter give the same picture, compared as pixel colours (a
// replayed line may hold the picture in another form, for example paletted
// after QUANTIZE16). Out of scope because the commands are specified so:
// pictures below 24 bits (the interpreter makes the picture 24-bit before
// every line, and Interpolate below 24 bits takes another road on replay);
// commands that record nothing (dithered reductions, Promote to 16 or 256
// colours, random noise, paste, the analysis); Copy Selection, whose
// "CROP_EX=" line crops on replay; slider values outside a keyword's range,
// which the keyword clamps.

struct ReplayCase {
    std::string name;
    std::vector<std::string> lines;  // what the commands record
    std::function<void(TWebForm&)> commands;
};

void PrintTo(const ReplayCase& c, std::ostream* os) { *os << c.name; }

void AnswerValue(int value) {
    QueueModalAction([value](QDialog& d) {
        auto& dialog = static_cast<TVariableDlg&>(d);
        dialog.UserTrackBar->SetPosition(value);
        dialog.btnOK->click();
    });
}

void AnswerResizeBy(const QString& percent) {
    QueueModalAction([percent](QDialog& dialog) {
        auto& form = static_cast<TResizeForm&>(dialog);
        form.EditX->selectAll();
        QTest::keyClicks(form.EditX, percent);
        QTest::keyClick(form.EditX, Qt::Key_Return);
        form.btnOk->click();
    });
}

// A command whose filter dialog answers Answer.
void Answered(const TFilterDlgResult& answer, const std::function<void()>& command) {
    QueueModalAction(FilterDlgAnswer(answer));
    command();
}

// Posterize and limits, RGB Levels and the parametric equaliser, answered.
void HardLimit(TWebForm& f, const TFilterDlgResult& answer) {
    Answered(answer, [&] { f.mnuHardLimitClick(f.mnuHardLimit); });
}
void Levels(TWebForm& f, const TFilterDlgResult& answer) {
    Answered(answer, [&] { f.mnuLevelsRGBClick(f.mnuLevelsRGB); });
}
void Equaliser(TWebForm& f, const TFilterDlgResult& answer) {
    Answered(answer, [&] { f.mnuParametricEQClick(f.mnuParametricEQ); });
}

// RGB Levels remapping one channel to its own mean and spread plus the
// offsets, answered as the dialog does: the targets in the custom values, the
// offsets from the start positions in the extras.
void RemapLevels(TWebForm& form, int32_t method, int32_t meanOffset, int32_t deviationOffset) {
    ResetMaps();
    CalcHistogram(*form.Daz95->Bitmap(), false, true, false);
    const TRoundedStats own = ChannelStats(method - 411);
    const int32_t mean = own.Mean + meanOffset, deviation = own.Deviation + deviationOffset;
    Levels(form, {method, mean, mean, deviation, 0, meanOffset, deviationOffset});
}

// Enhance > Details / Sharpen with the filter dialog answering Answer.
void Sharpen(TWebForm& form, const TFilterDlgResult& answer) {
    QueueModalAction(FilterDlgAnswer(answer));
    form.mnuSharpenClick(form.mnuSharpen);
}

// Enhance > Clean / Soften with the filter dialog answering Answer.
void Clean(TWebForm& form, const TFilterDlgResult& answer) {
    QueueModalAction(FilterDlgAnswer(answer));
    form.mnuNoiseRemovalClick(form.mnuNoiseRemoval);
}

// The number dialog (ExecuteXScrlDlg, scroll bar mode) answering Value.
void AnswerNumber(int Value) {
    QueueModalAction([Value](QDialog& d) {
        auto& dialog = static_cast<TXScrlDlg&>(d);
        dialog.CustomScrollBar->setValue(Value);
        dialog.btnOK->click();
    });
}

class RecordReplay : public ScriptRunTest, public ::testing::WithParamInterface<ReplayCase> {};

TEST_P(RecordReplay, RecordedLinesReplayToTheSamePicture) {
    const ReplayCase& c = GetParam();
    ShowSize(80, 60);
    const std::vector<uint32_t> source = Colours();
    GetParam().commands(*WebForm);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(Script(), c.lines);
    const std::vector<uint32_t> result = Colours();
    const int width = Display().Width(), height = Display().Height();

    WebForm->mnuUndoClick(nullptr);
    if (Colours() != source)  // a sequence is undone one command deep
        ShowSize(80, 60);
    ASSERT_EQ(Colours(), source);
    DuplicateBitmap.reset();
    BackupBitmap.reset();

    Run(Script());
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(width, height));
    EXPECT_EQ(std::tuple(ImageWidth, ImageHeight), std::tuple(width, height));
    EXPECT_TRUE(Colours() == result);
    EXPECT_EQ(Script(), c.lines);  // the run recorded nothing
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RecordReplay,
    ::testing::Values(
        ReplayCase{"Negative", {"NEGATIVE"}, [](TWebForm& f) { f.mnuNegativeClick(nullptr); }},
        ReplayCase{"ZeroMap", {"ZEROMAP"}, [](TWebForm& f) { f.mnuInitialize1Click(nullptr); }},
        ReplayCase{"Duplicate", {"DUPLICATE", "NEGATIVE", "SWAP"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       f.mnuSwapClick(nullptr);
                   }},
        ReplayCase{"Multiply", {"DUPLICATE", "ZEROMAP", "MULTIPLY"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuInitialize1Click(nullptr);
                       f.mnuMultiply1Click(nullptr);
                   }},
        ReplayCase{"Minimum", {"DUPLICATE", "NEGATIVE", "MINIMUM"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       f.mnuMinimum1Click(nullptr);
                   }},
        ReplayCase{"Maximum", {"DUPLICATE", "NEGATIVE", "MAXIMUM"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       f.mnuMaximum1Click(nullptr);
                   }},
        ReplayCase{"Difference", {"DUPLICATE", "ZEROMAP", "DIFFERENCE"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuInitialize1Click(nullptr);
                       f.mnuDifference1Click(nullptr);
                   }},
        ReplayCase{"Average", {"DUPLICATE", "NEGATIVE", "AVERAGE=30"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({500, 30, 0, 0, 0, 0, 0}));
                       f.mnuAverage1Click(nullptr);
                   }},
        ReplayCase{"MaskShadows", {"DUPLICATE", "NEGATIVE", "MASK_SHADOWS=120,40"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({502, 120, 120, 40, 100, 0, 0}));
                       f.mnuMaskLevelsClick(nullptr);
                   }},
        ReplayCase{"MaskContrast", {"DUPLICATE", "ZEROMAP", "MASK_CONTRAST=200,70"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuInitialize1Click(nullptr);
                       QueueModalAction(FilterDlgAnswer({531, 200, 200, 70, 100, 0, 0}));
                       f.mnuMaskLevelsClick(nullptr);
                   }},
        ReplayCase{"MaskGrayscale", {"DUPLICATE", "NEGATIVE", "MASK_GRAYSCALE"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({532, 3, 3, 99, 100, 0, 0}));
                       f.mnuMaskLevelsClick(nullptr);
                   }},
        ReplayCase{"Subtract", {"DUPLICATE", "ZEROMAP", "SUBTRACT"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuInitialize1Click(nullptr);
                       f.mnuSubtractClick(nullptr);
                   }},
        // Bands 40, 30, 20 around hue 1200, lightness 900, saturation 1800.
        ReplayCase{"MaskColorsBackground", {"DUPLICATE", "NEGATIVE", "MASK_HLSINV=2622640,1966980,1312520"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({152, 3, 2622640, 1966980, 1312520, 0, 0}));
                       f.mnuMaskColorsClick(nullptr);
                   }},
        ReplayCase{"MaskColorsForeground", {"DUPLICATE", "NEGATIVE", "MASK_HLS=117966000,98305800,117966600"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({151, 3, 117966000, 98305800, 117966600, 0, 0}));
                       f.mnuMaskColorsClick(nullptr);
                   }},
        ReplayCase{"MaskEdges", {"DUPLICATE", "NEGATIVE", "MASK_EDGES=200,128"},
                   [](TWebForm& f) {
                       f.mnuDuplicateClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       QueueModalAction(FilterDlgAnswer({520, 200, 0, 128, 0, 0, 0}));
                       f.mnuMaskEdgesClick(nullptr);
                   }},
        ReplayCase{"CreateMaskHls", {"REPLACE_HLS=117966000,98305800,117966600"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({153, 3, 117966000, 98305800, 117966600, 0, 0}));
                       f.mnuCreateMaskClick(nullptr);
                   }},
        ReplayCase{"CreateMaskHlsInverted", {"REPLACE_HLSINV=117966000,98305800,117966600"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({154, 3, 117966000, 98305800, 117966600, 0, 0}));
                       f.mnuCreateMaskClick(nullptr);
                   }},
        ReplayCase{"CreateMaskRgb", {"REPLACE_RGB=6553728,6553728,6553728"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({156, 3, 6553728, 6553728, 6553728, 0, 0}));
                       f.mnuCreateMaskClick(nullptr);
                   }},
        ReplayCase{"CreateMaskRgbInverted", {"REPLACE_RGBINV=6553728,6553728,6553728"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({157, 3, 6553728, 6553728, 6553728, 0, 0}));
                       f.mnuCreateMaskClick(nullptr);
                   }},
        ReplayCase{"Backup", {"CopyToBackup", "NEGATIVE", "CopyFromBackup"},
                   [](TWebForm& f) {
                       f.mnuCopyToBackupClick(nullptr);
                       f.mnuNegativeClick(nullptr);
                       f.mnuCopyFromBackupClick(nullptr);
                   }},
        ReplayCase{"Crop", {"CROP_EX=3,2,17,11"},
                   [](TWebForm& f) {
                       ScreenSelection = Rect(3, 2, 20, 13);
                       f.mnuCopyMaskClick(f.mnuCrop);
                   }},
        ReplayCase{"FlipVertical", {"FLIP_VERTICAL"}, [](TWebForm& f) { f.mnuMirrorVertClick(f.mnuMirrorVert); }},
        ReplayCase{"FlipHorizontal", {"FLIP_HORIZONTAL"},
                   [](TWebForm& f) { f.mnuMirrorVertClick(f.mnuMirrorHorz); }},
        ReplayCase{"RotateQuarter", {"ROTATE=90"}, [](TWebForm& f) { f.mnuRotateClick(f.mnuRotate90, false); }},
        ReplayCase{"RotateBy37", {"ROTATE=37"},
                   [](TWebForm& f) {
                       AnswerValue(37);
                       f.mnuRotateClick(f.mnuRotate, false);
                   }},
        ReplayCase{"RotateFine", {"ROTATE_FINE=1234"},
                   [](TWebForm& f) {
                       AnswerValue(1234);
                       f.mnuRotateClick(f.mnuRotateFine, false);
                   }},
        ReplayCase{"Resize", {"RESIZE=40,30", ">RESIZE%%=5000"},
                   [](TWebForm& f) {
                       AnswerResizeBy("50");
                       f.mnuResizeClick(nullptr);
                   }},
        ReplayCase{"Resample", {"RESAMPLE=120,90", ">RESAMPLE%%=15000"},
                   [](TWebForm& f) {
                       AnswerResizeBy("150");
                       f.mnuResampleClick(nullptr);
                   }},
        ReplayCase{"Distill", {"DISTILL=40,30", ">DISTILL%%=5000"},
                   [](TWebForm& f) {
                       AnswerResizeBy("50");
                       f.mnuDistillClick(nullptr);
                   }},
        ReplayCase{"Quantize256", {"QUANTIZE256"}, [](TWebForm& f) { f.ImageReduce(f.mnu8poster); }},
        ReplayCase{"Quantize16", {"QUANTIZE16"}, [](TWebForm& f) { f.ImageReduce(f.mnu4poster); }},
        ReplayCase{"TrueColor", {"TRUECOLOR"}, [](TWebForm& f) { f.ImagePromote(f.mnuPromote241); }},
        ReplayCase{"SharpenMeanRemoval", {"MEANREMOVAL=3"}, [](TWebForm& f) { Sharpen(f, {32, 3, 3, 0, 0, 0, 0}); }},
        ReplayCase{"SharpenHighPass", {"HIGHPASS=2"}, [](TWebForm& f) { Sharpen(f, {33, 2, 2, 0, 0, 0, 0}); }},
        ReplayCase{"SharpenHighPassLight", {"HIGHPASSLIGHT"},
                   [](TWebForm& f) { Sharpen(f, {34, 3, 3, 0, 0, 0, 0}); }},
        ReplayCase{"UnsharpMask", {"UNSHARPMASK=200,63,0"},
                   [](TWebForm& f) { Sharpen(f, {230, 200, 200, 63, 0, 0, 0}); }},
        ReplayCase{"UnsharpMaskFineEdges", {"UNSHARPMASK=180,90,1"},
                   [](TWebForm& f) { Sharpen(f, {230, 180, 180, 90, 1, 0, 0}); }},
        ReplayCase{"CleanGaussian", {"GAUSSIAN=40"}, [](TWebForm& f) { Clean(f, {30, 40, 0, 0, 0, 0, 0}); }},
        // Mid lightness of any hue and saturation: bands 1900, 700, 1900 around 1800.
        ReplayCase{"CleanAirbrush", {"AIRBRUSH=124520200,45877000,124520200"},
                   [](TWebForm& f) { Clean(f, {155, 3, 124520200, 45877000, 124520200, 0, 0}); }},
        ReplayCase{"Mosaic", {"MOSAIC=4"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({250, 4, 0, 0, 0, 0, 0}));
                       f.mnuMosaic1Click(nullptr);
                   }},
        ReplayCase{"DescreenMedium", {"DESCREEN_MEDIUM"},
                   [](TWebForm& f) {
                       QueueModalAction(FilterDlgAnswer({260, 3, 0, 0, 0, 0, 0}));
                       f.mnuDescreenClick(nullptr);
                   }},
        ReplayCase{"Artifacts", {"ARTIFACT=20"},
                   [](TWebForm& f) {
                       AnswerNumber(20);
                       f.mnuArtifactsClick(nullptr);
                   }},
        ReplayCase{"Center", {"CENTER"}, [](TWebForm& f) { f.mnuCenter1Click(nullptr); }},
        ReplayCase{"LimitAll", {"LIMIT_ALL=30,100,200"},
                   [](TWebForm& f) { HardLimit(f, {400, 30, 30, 100, 200, 0, 0}); }},
        ReplayCase{"LimitRed", {"LIMIT_RED=40,90,180"},
                   [](TWebForm& f) { HardLimit(f, {401, 40, 40, 90, 180, 0, 0}); }},
        ReplayCase{"LimitGreen", {"LIMIT_GRN=10,12,150"},
                   [](TWebForm& f) { HardLimit(f, {402, 10, 10, 12, 150, 0, 0}); }},
        ReplayCase{"LimitBlue", {"LIMIT_BLU=60,120,122"},
                   [](TWebForm& f) { HardLimit(f, {403, 60, 60, 120, 122, 0, 0}); }},
        ReplayCase{"PosterizeTwoBits", {"POSTERIZE=2"},
                   [](TWebForm& f) { HardLimit(f, {251, 2, 2, 0, 255, 0, 0}); }},
        ReplayCase{"RgbShadows", {"SHADOWS=10,20,30"},
                   [](TWebForm& f) { Levels(f, {131, 10, 10, 20, 30, 0, 0}); }},
        ReplayCase{"RgbHighlights", {"HIGHLIGHTS=200,210,220"},
                   [](TWebForm& f) { Levels(f, {132, 200, 200, 210, 220, 0, 0}); }},
        ReplayCase{"RemapRedLevels", {"MAP_RED=12,-5"}, [](TWebForm& f) { RemapLevels(f, 411, 12, -5); }},
        ReplayCase{"RemapGreenLevels", {"MAP_GRN=-20,8"}, [](TWebForm& f) { RemapLevels(f, 412, -20, 8); }},
        ReplayCase{"RemapBlueLevels", {"MAP_BLU=7,15"}, [](TWebForm& f) { RemapLevels(f, 413, 7, 15); }},
        ReplayCase{"EqualizerAll", {"PARAMETRIC_EQ_ALL=128,40,60"},
                   [](TWebForm& f) { Equaliser(f, {140, 128, 128, 40, 60, 0, 0}); }},
        ReplayCase{"EqualizerRed", {"PARAMETRIC_EQ_RED=60,20,-90"},
                   [](TWebForm& f) { Equaliser(f, {141, 60, 60, 20, -90, 0, 0}); }},
        ReplayCase{"EqualizerGreen", {"PARAMETRIC_EQ_GRN=200,100,127"},
                   [](TWebForm& f) { Equaliser(f, {142, 200, 200, 100, 127, 0, 0}); }},
        ReplayCase{"EqualizerBlue", {"PARAMETRIC_EQ_BLU=0,7,50"},
                   [](TWebForm& f) { Equaliser(f, {143, 0, 0, 7, 50, 0, 0}); }}),
    CaseNames<&ReplayCase::name>);

// A colour command of the Enhance menu with the filter dialog answering Answer.
std::function<void(TWebForm&)> Colours(TMenuItem* TWebForm::*Item, const TFilterDlgResult& answer) {
    return [Item, answer](TWebForm& form) {
        QueueModalAction(FilterDlgAnswer(answer));
        (form.*Item)->trigger();
    };
}

constexpr auto Balance = &TWebForm::mnuColorBalance;
constexpr auto Temperature = &TWebForm::mnuColorTemperature;
constexpr auto Saturation = &TWebForm::mnuSaturation;

// The source picture's channel means are 118, 115 and 120.
INSTANTIATE_TEST_SUITE_P(
    ColourCommands, RecordReplay,
    ::testing::Values(
        ReplayCase{"WhiteBalance", {"WHITEBALANCE=20,-15,40"}, Colours(Balance, {160, 0, 20, -15, 40, 0, 0})},
        ReplayCase{"RgbRemap", {"MAP_RED=10,0", "MAP_GRN=-20,0", "MAP_BLU=15,0"},
                   Colours(Balance, {429, 128, 128, 95, 135, 0, 0})},
        ReplayCase{"TemperatureGamma", {"GAMMA=120,100,80"}, Colours(Temperature, {100, 120, 120, 100, 80, 0, 0})},
        ReplayCase{"TemperatureGammaSuppress", {"GAMMA_SUPPRESS=120,100,80"},
                   Colours(Temperature, {102, 120, 120, 100, 80, 0, 0})},
        ReplayCase{"TemperatureGammaFill", {"GAMMA_FILL=150,90,110"},
                   Colours(Temperature, {104, 150, 150, 90, 110, 0, 0})},
        ReplayCase{"TemperatureBrightness", {"BRIGHTNESS=20,-10,5"},
                   Colours(Temperature, {110, 20, 20, -10, 5, 0, 0})},
        ReplayCase{"TemperatureShift", {"SHIFT=-12,0,30"}, Colours(Temperature, {113, -12, -12, 0, 30, 0, 0})},
        ReplayCase{"TemperatureContrast", {"CONTRAST=40,-30,10"},
                   Colours(Temperature, {120, 40, 40, -30, 10, 0, 0})},
        ReplayCase{"TemperatureHls", {"HLS=30,-50,100"}, Colours(Temperature, {170, 30, 30, -50, 100, 0, 0})},
        ReplayCase{"SaturationLevels", {"SATURATION=10,200"}, Colours(Saturation, {135, 10, 10, 200, 100, 0, 0})},
        ReplayCase{"SaturationLevelsAndGamma", {"SATURATION=10,200", "GAMMA_SATURATION=150"},
                   Colours(Saturation, {135, 10, 10, 200, 150, 0, 0})},
        ReplayCase{"Defog", {"DEFOG=200,64"}, Colours(Saturation, {241, 200, 200, 64, 128, 0, 0})},
        ReplayCase{"NaturalizeRgb", {"NATURALIZE_RGB=128,52"}, Colours(Saturation, {242, 128, 128, 52, 128, 0, 0})},
        ReplayCase{"NaturalizeCcd", {"NATURALIZE_CCD=90,200"}, Colours(Saturation, {243, 90, 90, 200, 128, 0, 0})},
        ReplayCase{"TrueGray", {"GRAYSCALE"}, Colours(Saturation, {244, 128, 128, 52, 128, 0, 0})},
        ReplayCase{"PseudoGrayDarkest", {"RGBMIN"}, Colours(Saturation, {246, 0, 0, 52, 128, 0, 0})},
        ReplayCase{"PseudoGrayBrightest", {"RGBMAX"}, Colours(Saturation, {246, 255, 255, 52, 128, 0, 0})},
        ReplayCase{"PseudoGrayBetween", {"NATURALIZE_RGB=100,255"},
                   Colours(Saturation, {246, 100, 100, 52, 128, 0, 0})}),
    CaseNames<&ReplayCase::name>);

// A one-click fix with its question silenced for the run.
std::function<void(TWebForm&)> OneClick(const std::function<void(TWebForm&)>& command) {
    return [command](TWebForm& form) {
        form.mnuAutoFix->Tag = 1;
        command(form);
    };
}

INSTANTIATE_TEST_SUITE_P(
    OneClickFixes, RecordReplay,
    ::testing::Values(
        ReplayCase{"AutoGamma", {"AUTO_GAMMA"},
                   [](TWebForm& f) {
                       // Answered Yes: the fix stays.
                       QueueModalResult(mrYes);
                       f.mnuAutoGammaClick(f.mnuAutoGamma, false);
                   }},
        ReplayCase{"AutoFlash", {"AUTO_FLASH"},
                   OneClick([](TWebForm& f) { f.mnuAutoFlashClick(f.mnuAutoFlash, false); })},
        ReplayCase{"AutoWhite", {"AUTO_WHITE"}, OneClick([](TWebForm& f) { f.mnuAutoWhiteClick(f.mnuAutoWhite); })},
        ReplayCase{"AutoBalance", {"AUTO_BALANCE"}, OneClick([](TWebForm& f) { f.AutoBalanceClick(f.AutoBalance); })},
        ReplayCase{"AutoReference", {"AUTO_REFERENCE"},
                   OneClick([](TWebForm& f) { f.mnuAutoReferenceClick(f.mnuAutoReference); })},
        ReplayCase{"AutoContrast", {"AUTO_CONTRAST"},
                   OneClick([](TWebForm& f) { f.mnuAutoContrastClick(f.mnuAutoContrast, false); })},
        ReplayCase{"AutoLighting", {"AUTO_LIGHTING"},
                   OneClick([](TWebForm& f) { f.mnuAutoLightingClick(f.mnuAutoLighting); })},
        ReplayCase{"AutoSaturate", {"AUTO_SATURATE"},
                   OneClick([](TWebForm& f) { f.mnuAutoSaturationClick(f.mnuAutoSaturation); })},
        ReplayCase{"AutoClean", {"CLEAN=160,192"},
                   OneClick([](TWebForm& f) { f.mnuAutoCleanClick(f.FindChrome("btnAutoClean"), false); })},
        ReplayCase{"AutoSharpen", {"UNSHARPMASK=255,63"},
                   OneClick([](TWebForm& f) { f.mnuAutoSharpenClick(f.FindChrome("btnSharpen"), false); })},
        ReplayCase{"ColourBoost", {"AUTO_SATURATE", "GAMMA_SATURATION=116"},
                   OneClick([](TWebForm& f) { f.btnGammaColorClick(f.FindChrome("btnGammaColor"), false); })},
        ReplayCase{"FilmLook", {"NATURALIZE_CCD=128,52"},
                   OneClick([](TWebForm& f) { f.btnFilmNoirClick(f.FindChrome("btnFilmNoir"), false); })}),
    CaseNames<&ReplayCase::name>);

}  // namespace
