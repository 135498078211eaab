// Enhance > Fix OverExposure, Fix UnderExposure and Fix Contrast Levels: the
// suggested black and white points, the start items by sender, the lines each
// method records and their replay to the same picture, the masked previews
// applied through the real dialog, and the user's duplicate kept on every way
// out (Apply, Cancel, a failure inside a method).
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/batch_8900.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ExposureFixes.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/case_names.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"

#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// ---- The suggested black and white points

struct LevelsCase {
    const char* name;
    // Luminance bins set to a count; every other bin holds 48 (not occupied).
    std::vector<std::pair<int, int32_t>> bins;
    THistRange expected;
};

void PrintTo(const LevelsCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::pair<int, int32_t>> Run4(int first, int32_t count) {
    return {{first, count}, {first + 1, count}, {first + 2, count}, {first + 3, count}};
}

std::vector<std::pair<int, int32_t>> Join(std::vector<std::pair<int, int32_t>> a,
                                          const std::vector<std::pair<int, int32_t>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class SuggestedLevels : public ::testing::TestWithParam<LevelsCase> {};

TEST_P(SuggestedLevels, ComeFromTheOuterRunsOfFourOccupiedBins) {
    ClearHistogram();
    HistLum.fill(0);
    for (int level = 0; level < 256; ++level)
        HistLum[size_t(level)] = 48;
    for (const auto& [level, count] : GetParam().bins)
        HistLum[size_t(level)] = count;
    const THistRange levels = SuggestedExposureLevels();
    EXPECT_EQ(levels.Low, GetParam().expected.Low);
    EXPECT_EQ(levels.High, GetParam().expected.High);
    ClearHistogram();
}

INSTANTIATE_TEST_SUITE_P(
    Histograms, SuggestedLevels,
    ::testing::Values(
        LevelsCase{"WhiteRunEndingAt254BecomesWhite", Join(Run4(10, 60), Run4(251, 49)), {10, 255}},
        LevelsCase{"WhiteRunEndingAt255", Join(Run4(10, 60), Run4(252, 49)), {10, 255}},
        LevelsCase{"WhiteRunEndingAt253StaysThere", Run4(250, 49), {250, 253}},
        LevelsCase{"NoRunSuggestsFullRange", {}, {0, 255}},
        LevelsCase{"ThinBinBreaksTheRun", {{100, 60}, {101, 60}, {102, 48}, {103, 60}, {104, 60}}, {0, 255}},
        LevelsCase{"BlackRunAtZero", Join(Run4(0, 49), Run4(120, 49)), {0, 123}}),
    CaseNames<&LevelsCase::name>);

// ---- The commands

enum class Fix { Over, Under, Contrast };

void RunFix(Fix fix, QObject* sender) {
    switch (fix) {
    case Fix::Over: WebForm->mnuFixOverExposureClick(sender); break;
    case Fix::Under: WebForm->mnuFixUnderExposureClick(sender); break;
    case Fix::Contrast: WebForm->mnuFixContrastClick(sender); break;
    }
}

class ExposureFixTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        filter_8900::LastExtras = {0, 0};
        ShowDialogPicture();
        RememberShown();
    }
    void TearDown() override {
        ExposureLineProbe = nullptr;
        filter_8900::FilterDlgPos = {};
        filter_8900::LastExtras = {0, 0};
        DuplicateBitmap.reset();
        BackupBitmap.reset();
        ParkedDuplicate.reset();
        LabWindowTest::TearDown();
    }
    // Shows Picture and gives the user a duplicate of its own: the negative.
    void ShowPicture(const TBitmap& picture) {
        Show(picture);
        RememberShown();
    }
    // The shown picture as the original, its negative as the user's duplicate.
    void RememberShown() {
        original.Assign(&Display());
        userDuplicate.Assign(&Display());
        InvertBitmap(userDuplicate);
        DuplicateBitmap = std::make_unique<TBitmap>();
        DuplicateBitmap->Assign(&userDuplicate);
    }
    ::testing::AssertionResult DuplicateKept() {
        if (!DuplicateBitmap)
            return ::testing::AssertionFailure() << "no duplicate";
        if (ParkedDuplicate)
            return ::testing::AssertionFailure() << "a duplicate is still parked";
        return SamePicture(userDuplicate, *DuplicateBitmap);
    }
    static void InvertBitmap(TBitmap& b) {
        for (int y = 0; y < b.Height(); ++y)
            for (int i = 0; i < 3 * b.Width(); ++i) b.ScanLine(y)[i] = uint8_t(255 - b.ScanLine(y)[i]);
    }
    static void RunFixAnswering(Fix fix, const TFilterDlgResult& answer) {
        QueueModalAction(FilterDlgAnswer(answer));
        RunFix(fix, nullptr);
    }
    // The rounded luminance mean and deviation of the picture shown.
    TRoundedStats LuminanceStats() {
        CalcHistogram(Display(), false, true, false);
        const TRoundedStats stats = RoundedStats(HistSumLum, HistSumSqLum, HistCount);
        ClearHistogram();
        return stats;
    }
    TBitmap original;
    TBitmap userDuplicate;
};

// A grey picture of 40 x 30 with Count pixels at each level given; the rest
// at level 60..63 in turn.
void GreyPicture(const std::vector<std::pair<int, int>>& levels, TBitmap& picture) {
    std::vector<uint8_t> values;
    for (const auto& [level, count] : levels) values.insert(values.end(), size_t(count), uint8_t(level));
    for (size_t i = 0; values.size() < 1200; ++i) values.push_back(uint8_t(60 + i % 4));
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) std::fill_n(picture.ScanLine(y) + 3 * x, 3, values[size_t(y * 40 + x)]);
}

// The dialog's state when it opens, then Cancel.
struct TOpened {
    int32_t method = 0;
    std::array<int, 3> positions{};
    std::string minLabel, maxLabel;  // of the record the command gave
};

TOpened OpenAndCancel(Fix fix, QObject* sender) {
    TOpened opened;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        opened.method = form.Model.Method;
        for (size_t i = 0; i < 3; ++i) opened.positions[i] = form.ScrollBarCustom[i]->Position();
        dialog.done(mrCancel);
    });
    RunFix(fix, sender);
    return opened;
}

TEST_F(ExposureFixTest, TheDialogStartsAtTheSuggestedBlackAndWhitePoints) {
    // Levels 251..254 hold 100 pixels each, 255 only 30: white is 255, not 254.
    TBitmap grey;
    GreyPicture({{251, 100}, {252, 100}, {253, 100}, {254, 100}, {255, 30}}, grey);
    ShowPicture(grey);
    QObject gamma;
    gamma.setObjectName("btnAutoGamma");
    const TOpened backFill = OpenAndCancel(Fix::Under, &gamma);
    EXPECT_EQ(backFill.method, 9130);
    EXPECT_EQ(backFill.positions[1], 255);  // highlights
    const TOpened levels = OpenAndCancel(Fix::Contrast, nullptr);
    EXPECT_EQ(levels.method, 130);
    EXPECT_EQ(levels.positions[0], 60);  // shadows: the run 60..63
    EXPECT_EQ(levels.positions[1], 255);

    // No run of four occupied levels: black 0 and white 255.
    GreyPicture({{20, 40}, {21, 40}, {22, 40}, {200, 270}, {202, 270}, {204, 270}, {206, 270}}, grey);
    ShowPicture(grey);
    const TOpened full = OpenAndCancel(Fix::Contrast, nullptr);
    EXPECT_EQ(full.positions[0], 0);
    EXPECT_EQ(full.positions[1], 255);
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(DuplicateKept());
}

struct StartCase {
    const char* name;
    Fix fix;
    const char* sender;  // the sender's object name ("" for none)
    int32_t method;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartItems : public ExposureFixTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartItems, TheSenderPicksTheMethodAndCancelKeepsEverything) {
    const StartCase& c = GetParam();
    QObject sender;
    sender.setObjectName(c.sender);
    const TOpened opened = OpenAndCancel(c.fix, &sender);
    EXPECT_EQ(opened.method, c.method);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_TRUE(SamePicture(original, Display()));
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(DuplicateKept());
    EXPECT_FALSE(batch_8900::BatchRunning);
}

INSTANTIATE_TEST_SUITE_P(
    Senders, StartItems,
    ::testing::Values(StartCase{"OverExposureMenu", Fix::Over, "mnuFixOverExposure", 421},
                      StartCase{"OverExposureFromGammaButton", Fix::Over, "btnAutoGamma", 421},
                      StartCase{"UnderExposureMenu", Fix::Under, "mnuFixUnderExposure", 106},
                      StartCase{"UnderExposureGammaButton", Fix::Under, "btnAutoGamma", 9130},
                      StartCase{"UnderExposureContrastButton", Fix::Under, "btnAutoContrast", 116},
                      StartCase{"UnderExposureFlashButton", Fix::Under, "btnAutoFlash", 106},
                      StartCase{"ContrastMenu", Fix::Contrast, "mnuFixContrast", 130},
                      StartCase{"ContrastContrastButton", Fix::Contrast, "btnAutoContrast", 130},
                      StartCase{"ContrastAutoLighting", Fix::Contrast, "mnuAutoLighting", 422}),
    CaseNames<&StartCase::name>);

TEST_F(ExposureFixTest, TheEnhanceItemsOpenTheirGroupWithTheirEndLabels) {
    struct Item {
        TMenuItem* item;
        int32_t method;
        const char* minLabel;
        const char* maxLabel;
    };
    const Item items[] = {{WebForm->mnuFixOverExposure, 421, "0 (more)", "255 (less)"},
                          {WebForm->mnuFixUnderExposure, 106, "-255 (less)", "+255 (more)"},
                          {WebForm->mnuFixContrast, 130, "", ""}};
    for (const Item& item : items) {
        ASSERT_NE(item.item, nullptr);
        EXPECT_TRUE(item.item->isEnabled()) << item.item->text().toStdString();
        TOpened opened;
        QueueModalAction([&](QDialog& dialog) {
            auto& form = static_cast<TFilterDlg&>(dialog);
            opened.method = form.Model.Method;
            // The record as the command gave it (the groups blank the labels shown).
            opened.minLabel = form.Model.Original.MinLabel3;
            opened.maxLabel = form.Model.Original.MaxLabel3;
            dialog.done(mrCancel);
        });
        item.item->trigger();
        EXPECT_EQ(opened.method, item.method);
        EXPECT_EQ(opened.minLabel, item.minLabel);
        EXPECT_EQ(opened.maxLabel, item.maxLabel);
    }
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_TRUE(DuplicateKept());
}

// ---- What a method records, and when

TEST_F(ExposureFixTest, MethodsThatChangeNothingRecordNothing) {
    // Back fill with the highlights at 255 and the gamma at 100, no mask.
    RunFixAnswering(Fix::Under, {9130, 0, 0, 255, 100, 0, 0});
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(SamePicture(original, Display()));
    // Linear brightness and contrast both 0, no mask.
    RunFixAnswering(Fix::Over, {8110, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(SamePicture(original, Display()));
    EXPECT_TRUE(DuplicateKept());
}

TEST_F(ExposureFixTest, FlashFillRecordsItsLinesAfterTheirWork) {
    // What the picture is when each line is recorded.
    std::vector<std::pair<std::string, std::shared_ptr<TBitmap>>> seen;
    ExposureLineProbe = [&](const std::string& line) {
        seen.emplace_back(line, std::make_shared<TBitmap>());
        seen.back().second->Assign(&Display());
    };
    TBitmap gammaFilled;
    gammaFilled.Assign(&original);
    for (int k = 0; k < 3; ++k) SetGammaLUT(160, k, true);
    ColorFilterBitmap(gammaFilled);

    RunFixAnswering(Fix::Under, {106, 0, 0, 150, 160, 0, 0});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, "GAMMA_FILL=160,160,160");
    EXPECT_TRUE(SamePicture(gammaFilled, *seen[0].second));
    EXPECT_EQ(seen[1].first, "GAMMA_SATURATION=150");
    EXPECT_TRUE(SamePicture(Display(), *seen[1].second));
    EXPECT_FALSE(SamePicture(gammaFilled, Display()));

    // Masked: the one line comes after the blend, with the final picture.
    seen.clear();
    WebForm->mnuUndoClick(nullptr);
    RunFixAnswering(Fix::Under, {106, 0, 300, 150, 160, 0, 0});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "FLASH_FILL=150,160,300");
    EXPECT_TRUE(SamePicture(Display(), *seen[0].second));
    EXPECT_FALSE(SamePicture(gammaFilled, Display()));
    EXPECT_TRUE(DuplicateKept());
}

TEST_F(ExposureFixTest, RemapLightingRecordsTheOffsetsNotTheTargets) {
    RunFixAnswering(Fix::Contrast, {423, 0, 120, 40, 0, 7, -3});
    EXPECT_EQ(Script(), std::vector<std::string>{"MAP_LIT=7,-3"});
    WebForm->mnuUndoClick(nullptr);
    LabScript.Clear();
    RunFixAnswering(Fix::Contrast, {423, 0, 120, 40, 25, 7, -3});
    EXPECT_EQ(Script(), std::vector<std::string>{"MAP_LIT_EX=7,-3,25"});
}

// ---- Every method recorded, undone and replayed

struct ReplayCase {
    const char* name;
    Fix fix;
    TFilterDlgResult answer;
    std::vector<std::string> lines;
    // Remap Lighting: c1 and c2 are the picture's own luminance mean and
    // deviation plus the offsets in the two further results.
    bool lightnessTargets = false;
};

void PrintTo(const ReplayCase& c, std::ostream* os) { *os << c.name; }

class ExposureReplay : public ExposureFixTest, public ::testing::WithParamInterface<ReplayCase> {};

TEST_P(ExposureReplay, RecordedLinesReplayToTheSameBytes) {
    const ReplayCase& c = GetParam();
    TFilterDlgResult answer = c.answer;
    if (c.lightnessTargets) {
        const TRoundedStats own = LuminanceStats();
        answer[ResultCustom1] = own.Mean + answer[ResultExtra1];
        answer[ResultCustom2] = own.Deviation + answer[ResultExtra2];
    }
    RunFixAnswering(c.fix, answer);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_EQ(Script(), c.lines);
    EXPECT_TRUE(DuplicateKept());
    EXPECT_FALSE(batch_8900::BatchRunning);
    TBitmap result;
    result.Assign(&Display());
    EXPECT_FALSE(SamePicture(original, result));

    WebForm->mnuUndoClick(nullptr);
    ASSERT_TRUE(SamePicture(original, Display()));
    RunLabScript(Script());
    EXPECT_TRUE(SamePicture(result, Display()));
    EXPECT_EQ(Script(), c.lines);  // the run recorded nothing
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ExposureReplay,
    ::testing::Values(
        // Fix OverExposure: masks blend back the shadows.
        ReplayCase{"GammaSuppression", Fix::Over, {105, 0, 0, 0, 150, 0, 0}, {"GAMMA_SUPPRESS=150,150,150"}},
        ReplayCase{"GammaSuppressionMasked", Fix::Over, {105, 0, 300, 0, 150, 0, 0}, {"GAMMA_SUPPRESS_EX=150,300"}},
        ReplayCase{"ContrastCompression", Fix::Over, {134, 0, 20, 200, 0, 0, 0}, {"SUPPRESS=20,200"}},
        ReplayCase{"ContrastCompressionMasked", Fix::Over, {134, 0, 20, 200, 400, 0, 0}, {"SUPPRESS_EX=20,200,400"}},
        ReplayCase{"Attenuate", Fix::Over, {42, 0, 0, 0, 0, 0, 0}, {"ATTENUATE"}},
        ReplayCase{"AttenuateMasked", Fix::Over, {42, 0, 500, 0, 500, 0, 0}, {"ATTENUATE_EX=500"}},
        ReplayCase{"UnWash", Fix::Over, {40, 0, 0, 0, 0, 0, 0}, {"UNWASH"}},
        ReplayCase{"UnWashMasked", Fix::Over, {40, 0, 500, 0, 500, 0, 0}, {"UNWASH_EX=500"}},
        ReplayCase{"UnEqualize", Fix::Over, {43, 0, 300, 0, 300, 0, 0}, {"UNEQUALIZE=300,0"}},
        ReplayCase{"UnEqualizeInverse", Fix::Over, {43, 0, 300, 99, 300, 0, 0}, {"UNEQUALIZE=300,99"}},
        ReplayCase{"RemapDarker", Fix::Over, {421, 0, 100, 50, 0, 0, 0}, {"MAP_RGB=-28,-14"}},
        ReplayCase{"RemapDarkerMasked", Fix::Over, {421, 0, 100, 50, 500, 0, 0}, {"MAP_RGB_LOW=-28,-14,500"}},
        ReplayCase{"LinearDarker", Fix::Over, {8110, 0, -20, 30, 0, 0, 0},
                   {"BRIGHTNESS=-20,-20,-20", "CONTRAST=30,30,30"}},
        ReplayCase{"LinearDarkerMasked", Fix::Over, {8110, 0, -20, 30, 500, 0, 0}, {"BRIGHTNESS_LOW=-20,30,500"}},
        ReplayCase{"CurvilinearDarker", Fix::Over, {8120, 0, -20, -40, 0, 0, 0},
                   {"CONTRAST_CURVE=-40,-40,-40", "BRIGHTNESS=-20,-20,-20"}},
        ReplayCase{"CurvilinearDarkerMasked", Fix::Over, {8120, 0, -20, -40, 500, 0, 0},
                   {"CONTRAST_LOW=-20,-40,500"}},
        // Fix UnderExposure: masks blend back the highlights.
        ReplayCase{"LinearLighter", Fix::Under, {9110, 0, 30, -20, 0, 0, 0},
                   {"BRIGHTNESS=30,30,30", "CONTRAST=-20,-20,-20"}},
        ReplayCase{"LinearLighterMasked", Fix::Under, {9110, 0, 30, -20, 300, 0, 0}, {"BRIGHTNESS_HIGH=30,-20,300"}},
        ReplayCase{"CurvilinearLighter", Fix::Under, {9120, 0, 30, 40, 0, 0, 0},
                   {"CONTRAST_CURVE=40,40,40", "BRIGHTNESS=30,30,30"}},
        ReplayCase{"CurvilinearLighterMasked", Fix::Under, {9120, 0, 30, 40, 300, 0, 0}, {"CONTRAST_HIGH=30,40,300"}},
        ReplayCase{"RemapLighter", Fix::Under, {420, 0, 160, 80, 0, 0, 0}, {"MAP_RGB=32,16"}},
        ReplayCase{"RemapLighterMasked", Fix::Under, {420, 0, 160, 80, 300, 0, 0}, {"MAP_RGB_HIGH=32,16,300"}},
        ReplayCase{"BackFill", Fix::Under, {9130, 0, 0, 200, 140, 0, 0}, {"LEVELS=0,200", "GAMMA=140,140,140"}},
        ReplayCase{"BackFillMasked", Fix::Under, {9130, 0, 300, 200, 140, 0, 0}, {"BACK_FILL=200,140,300"}},
        ReplayCase{"FlashFill", Fix::Under, {106, 0, 0, 150, 160, 0, 0},
                   {"GAMMA_FILL=160,160,160", "GAMMA_SATURATION=150"}},
        ReplayCase{"FlashFillMasked", Fix::Under, {106, 0, 300, 150, 160, 0, 0}, {"FLASH_FILL=150,160,300"}},
        ReplayCase{"Boost", Fix::Under, {116, 0, 300, 0, 300, 0, 0}, {"BOOST=300,0"}},
        ReplayCase{"BoostInverse", Fix::Under, {116, 0, 300, 99, 300, 0, 0}, {"BOOST=300,99"}},
        // Fix Contrast Levels: masks average with the unchanged picture.
        ReplayCase{"ContrastLevels", Fix::Contrast, {130, 20, 20, 230, 120, 0, 0},
                   {"LEVELS=20,230", "GAMMA=120,120,120"}},
        ReplayCase{"LuminanceLevels", Fix::Contrast, {133, 20, 20, 230, 80, 0, 0},
                   {"LIGHTING=20,230", "GAMMA=80,80,80"}},
        ReplayCase{"Optimize", Fix::Contrast, {139, 0, 0, 0, 0, 0, 0}, {"OPTIMIZE"}},
        ReplayCase{"OptimizeMasked", Fix::Contrast, {139, 0, 300, 0, 300, 0, 0}, {"OPTIMIZE_EX=300"}},
        ReplayCase{"Remap", Fix::Contrast, {422, 0, 150, 40, 0, 0, 0}, {"MAP_RGB=22,-24"}},
        ReplayCase{"RemapMasked", Fix::Contrast, {422, 0, 150, 40, 40, 0, 0}, {"MAP_RGB_EX=22,-24,40"}},
        ReplayCase{"RemapLighting", Fix::Contrast, {423, 0, 0, 0, 0, 10, 5}, {"MAP_LIT=10,5"}, true},
        ReplayCase{"RemapLightingMasked", Fix::Contrast, {423, 0, 0, 0, 40, 10, 5}, {"MAP_LIT_EX=10,5,40"}, true}),
    CaseNames<&ReplayCase::name>);

// ---- A failure inside a method

struct FailureCase {
    const char* name;
    Fix fix;
    TFilterDlgResult answer;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ExposureFailure : public ExposureFixTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ExposureFailure, GivesTheUsersDuplicateAndTheCursorBack) {
    ExposureLineProbe = [](const std::string&) { throw std::runtime_error("injected"); };
    QueueModalAction(FilterDlgAnswer(GetParam().answer));
    EXPECT_THROW(RunFix(GetParam().fix, nullptr), std::runtime_error);
    EXPECT_EQ(Screen.Cursor(), crDefault);
    EXPECT_TRUE(DuplicateKept());
    EXPECT_FALSE(batch_8900::BatchRunning);
    EXPECT_TRUE(Script().empty());
}

INSTANTIATE_TEST_SUITE_P(Methods, ExposureFailure,
                         ::testing::Values(FailureCase{"PlainGamma", Fix::Over, {105, 0, 0, 0, 150, 0, 0}},
                                           FailureCase{"MaskedRemap", Fix::Over, {421, 0, 100, 50, 500, 0, 0}},
                                           FailureCase{"MaskedUnWash", Fix::Over, {40, 0, 500, 0, 500, 0, 0}},
                                           FailureCase{"MaskedFlashFill", Fix::Under, {106, 0, 300, 150, 160, 0, 0}},
                                           FailureCase{"MaskedOptimize", Fix::Contrast, {139, 0, 300, 0, 300, 0, 0}},
                                           FailureCase{"PlainRemap", Fix::Contrast, {422, 0, 150, 40, 0, 0, 0}}),
                         CaseNames<&FailureCase::name>);

// ---- Through the real dialog: Apply right after a masked preview

struct DialogCase {
    const char* name;
    Fix fix;
    const char* sender;
    int item;                     // the group item to click (-1: the start item)
    std::array<int, 3> sliders;  // the positions set
    int32_t method;
    std::string line;
};

void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

class ExposureDialog : public ExposureFixTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(ExposureDialog, ApplyAfterAMaskedPreviewAppliesWhatThePreviewShowed) {
    const DialogCase& c = GetParam();
    TBitmap previewed;
    int32_t method = 0;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        if (QTest::qWaitFor([&] { return form.btnOK->isEnabled(); }, 3000)) {
            if (c.item >= 0)
                form.FilterGroupItems[size_t(c.item)]->click();
            const int before = form.Model.PreviewCount;
            for (size_t i = 0; i < 3; ++i) form.ScrollBarCustom[i]->SetPosition(c.sliders[i]);
            QTest::qWait(3 * FilterPreviewDelay);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return form.Model.PreviewCount > before && form.btnOK->isEnabled(); }, 3000));
            method = form.Model.Method;
            previewed.Assign(form.AfterPix->Bitmap());
            form.btnOK->click();
        }
        if (dialog.isVisible())
            dialog.done(mrCancel);
    });
    // Remap Lighting records the sliders' offsets from the picture's own.
    std::string line = c.line;
    if (c.method == 423) {
        const TRoundedStats own = LuminanceStats();
        line = LabLine("MAP_LIT_EX", {c.sliders[0] - own.Mean, c.sliders[1] - own.Deviation, c.sliders[2]});
    }
    QObject sender;
    sender.setObjectName(c.sender);
    RunFix(c.fix, &sender);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_EQ(method, c.method);
    EXPECT_EQ(Script(), std::vector<std::string>{line});
    EXPECT_FALSE(SamePicture(original, Display()));
    EXPECT_TRUE(SamePicture(previewed, Display()));
    EXPECT_TRUE(DuplicateKept());
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ExposureDialog,
    ::testing::Values(
        // Gamma 150 on slider 1, the mask 300 on slider 3.
        DialogCase{"GammaSuppressionMasked", Fix::Over, "", 1, {150, 0, 300}, 105, "GAMMA_SUPPRESS_EX=150,300"},
        // Mask 300, highlights 200, gamma 140.
        DialogCase{"BackFillMasked", Fix::Under, "btnAutoGamma", -1, {300, 200, 140}, 9130, "BACK_FILL=200,140,300"},
        // Brightness 150, contrast 40, blend 40 per cent.
        DialogCase{"RemapAveraged", Fix::Contrast, "mnuAutoLighting", -1, {150, 40, 40}, 422, "MAP_RGB_EX=22,-24,40"},
        DialogCase{"RemapDarkerMasked", Fix::Over, "", -1, {100, 50, 500}, 421, "MAP_RGB_LOW=-28,-14,500"},
        DialogCase{"RemapLighterMasked", Fix::Under, "", 2, {160, 80, 300}, 420, "MAP_RGB_HIGH=32,16,300"},
        DialogCase{"OptimizeMasked", Fix::Contrast, "", 4, {0, 0, 300}, 139, "OPTIMIZE_EX=300"},
        DialogCase{"RemapLightingAveraged", Fix::Contrast, "", 3, {130, 50, 40}, 423, "(from the picture)"}),
    CaseNames<&DialogCase::name>);

}  // namespace
