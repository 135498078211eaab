// The automatic fixes: the measuring rules, the stretch against a numpy port
// (tests/fixtures/autofix), the edge pictures of the gamma and flash fixes,
// the flags and the user's duplicate left as found (also when a step throws),
// the script rows, the question after a one-click fix, the Shift alternative,
// and the Auto Fix sub-menu with the side-bar buttons.
#include "app/save_form_fixture.h"

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/batch_8900.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/AutoFix.h"
#include "processing/lab/Conform.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/picture_compare.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <fstream>
#include <memory>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string AutoFixFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/autofix/" + name; }

// ---- The measuring rules

TEST(AutoFixRules, TheTargetMovesOffTheMeanUntilTheSpreadReachesAnEnd) {
    // 200 + 60 already passes 255: the mean is its own target.
    EXPECT_EQ(MidtoneTarget(200, 60), 200);
    // 50 - 2k > 1 stops at k = 25 (50 - 48 = 2 still passes at k = 24).
    EXPECT_EQ(MidtoneTarget(100, 50), 125);
    // 220 + 2k < 255 stops at k = 18.
    EXPECT_EQ(MidtoneTarget(200, 20), 218);
    // A mean on the floor: 1 - 0 > 1 fails at once.
    EXPECT_EQ(MidtoneTarget(1, 0), 1);
}

struct GammaCase {
    const char* name;
    double mean;
    double target;
    std::optional<int> gamma;
};

void PrintTo(const GammaCase& c, std::ostream* os) { *os << c.name; }

class GammaSearch : public ::testing::TestWithParam<GammaCase> {};

TEST_P(GammaSearch, FindsTheFirstGammaWithinTwoLevelsHeldInsideTheLimits) {
    EXPECT_EQ(MidtoneGamma(GetParam().mean, GetParam().target).value_or(-1), GetParam().gamma.value_or(-1));
}

INSTANTIATE_TEST_SUITE_P(
    Means, GammaSearch,
    ::testing::Values(
        // 0.98 already lands within 2 of the mean; the fix never darkens.
        GammaCase{"MeanOnItsTargetKeepsGammaOne", 128, 128, 100},
        GammaCase{"TargetBelowTheMeanIsHeldAtOne", 128, 60, 100},
        // 255 x (64 / 255)^(1 / 1.97) = 127.7.
        GammaCase{"BrighteningFindsTheFirstCloseGamma", 64, 128, 197},
        // No gamma up to 5.00 lifts 1 to 250: the closest, 5.00, is used.
        GammaCase{"UnreachableTargetTakesTheClosestGamma", 1, 250, 500},
        GammaCase{"ZeroMeanHasNoGamma", 0, 2, std::nullopt},
        GammaCase{"NegativeMeanHasNoGamma", -3, 2, std::nullopt}),
    CaseNames<&GammaCase::name>);

TEST(AutoFixRules, TheWhiteLuminanceDividesEachTermOnItsOwn) {
    // 76 + 153 + 25: one division of the sum would give 255.
    EXPECT_EQ(PackedWhiteLuminance(0xFFFFFF), 254);
    // Red 9, green 9, blue 9: 2 + 5 + 0, not 9.
    EXPECT_EQ(PackedWhiteLuminance(0x090909), 7);
    // Blue sits in the high byte.
    EXPECT_EQ(PackedWhiteLuminance(0xC80000), 20);
}

// ---- The fixes on the image window

// A grey picture of the given levels, one column per entry, Rows tall.
void GreyColumns(TBitmap& picture, const std::vector<int>& levels, int rows) {
    std::vector<uint32_t> colours;
    for (int y = 0; y < rows; ++y)
        for (int level : levels) colours.push_back(uint32_t(level) * 0x010101u);
    LoadRaster(picture, RgbRaster{int(levels.size()), rows, colours});
}

class AutoFixTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        ShowFixture("equalize.ppm");
        WebForm->mnuAutoFix->Tag = 0;
    }
    void TearDown() override {
        DuplicateBitmap.reset();
        ParkedDuplicate.reset();
        LabWindowTest::TearDown();
    }
    void ShowFixture(const std::string& name) {
        TBitmap picture;
        LoadRaster(picture, ReadPpm(AutoFixFixture(name)));
        ASSERT_GT(picture.Width(), 0) << name;
        Show(picture);
    }
    void ShowPicture(const TBitmap& picture) { Show(picture); }
    static std::unique_ptr<TBitmap> Copy(const TBitmap& b) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(&b);
        return copy;
    }
    // A duplicate of the user's own: a picture unlike the viewer picture.
    std::unique_ptr<TBitmap> GiveUserDuplicate() {
        DuplicateBitmap = std::make_unique<TBitmap>();
        MakePicture(*DuplicateBitmap, 24, 37, 23);
        return Copy(*DuplicateBitmap);
    }
    // Answers the question with Result, ticking the check box first when asked,
    // and keeps its text and check-box caption.
    void AnswerQuestion(int result, bool tick = false) {
        QueueModalAction([this, result, tick](QDialog& dialog) {
            if (auto* message = dialog.findChild<QLabel*>("Message"))
                questionText = message->text().toStdString();
            if (auto* box = dialog.findChild<QCheckBox*>("Checkbox")) {
                checkBoxCaption = box->text().toStdString();
                if (tick)
                    box->click();
            }
            auto* button = dialog.findChild<QPushButton*>(result == mrNo ? "No" : "Yes");
            ASSERT_NE(button, nullptr);
            button->click();
        });
    }
    // Cancels the filter dialog the next command opens; its method is kept.
    void CancelFilterDialog() {
        QueueModalAction([this](QDialog& dialog) {
            manualMethod = static_cast<TFilterDlg&>(dialog).Model.Method;
            dialog.done(mrCancel);
        });
    }
    std::string questionText;
    std::string checkBoxCaption;
    int32_t manualMethod = 0;
};

// ---- The stretch against numpy

struct EqualizeCase {
    const char* name;
    std::function<QObject*()> sender;
    int32_t method;
};

void PrintTo(const EqualizeCase& c, std::ostream* os) { *os << c.name; }

class Equalize : public AutoFixTest, public ::testing::WithParamInterface<EqualizeCase> {};

TEST_P(Equalize, StretchesTheOccupiedRangeAsNumpyDoes) {
    const EqualizeCase& c = GetParam();
    std::ifstream ranges(AutoFixFixture("equalize_ranges.txt"));
    int32_t method = 0, low = -1, high = -1;
    while (ranges >> method >> low >> high && method != c.method) {
    }
    ASSERT_EQ(method, c.method);
    WebForm->DoEqualize(c.sender());
    EXPECT_EQ(FilterCustom1, low);
    EXPECT_EQ(FilterCustom2, high);
    EXPECT_TRUE(SameBitmap(ReadPpm(AutoFixFixture("equalize_" + std::to_string(c.method) + ".ppm")), Display()));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, Equalize,
    ::testing::Values(EqualizeCase{"Contrast", [] { return WebForm->mnuAutoContrast; }, 130},
                      EqualizeCase{"AnyOtherSenderIsContrast", [] { return nullptr; }, 130},
                      EqualizeCase{"Lighting", [] { return WebForm->mnuAutoLighting; }, 133},
                      EqualizeCase{"Saturation", [] { return WebForm->mnuAutoSaturation; }, 135}),
    CaseNames<&EqualizeCase::name>);

TEST_F(AutoFixTest, AHighEndOf254IsWidenedTo255BeforeStretching) {
    // Every level 0..254 held by 50 pixels: the occupied range is 0..254,
    // widened to the full range, so the stretch changes nothing.
    std::vector<int> levels;
    for (int level = 0; level <= 254; ++level) levels.push_back(level);
    TBitmap picture;
    GreyColumns(picture, levels, 50);
    ShowPicture(picture);
    WebForm->mnuAutoFix->Tag = 1;
    WebForm->mnuAutoContrastClick(WebForm->mnuAutoContrast, false);
    EXPECT_EQ(FilterCustom2, 255);
    EXPECT_TRUE(SamePicture(picture, Display()));
    EXPECT_EQ(Script(), std::vector<std::string>{"AUTO_CONTRAST"});
}

// ---- The gamma and flash fixes on edge pictures

TEST_F(AutoFixTest, AMeanOnItsTargetGetsGammaOneAndTheGammaStepChangesNothing) {
    // Mid-tones at 16 and 240 (four to one): mean 195.2, deviation 89.6, so
    // the spread already passes 255 and the target is the mean itself.
    TBitmap picture;
    GreyColumns(picture, {16, 240, 240, 240, 240}, 20);
    ShowPicture(picture);
    CalcMidtones(picture);
    const TMidtoneStats stats = MidtoneStats();
    EXPECT_DOUBLE_EQ(MidtoneTarget(stats.Mean, stats.Deviation), stats.Mean);
    EXPECT_EQ(AutoGammaFor(stats.Mean, stats.Deviation).value_or(-1), 100);
    FilterCustom2 = 1;
    TScopedFlag running(batch_8900::BatchRunning, true);
    WebForm->DoAutoGamma();
    EXPECT_TRUE(SamePicture(picture, Display()));
}

TEST_F(AutoFixTest, AnAllBlackPictureIsLeftAloneByAutoGammaAndAutoFlashUsesGammaOne) {
    TBitmap black;
    GreyColumns(black, std::vector<int>(40, 0), 30);
    ShowPicture(black);
    WebForm->mnuAutoFix->Tag = 1;
    WebForm->mnuAutoGammaClick(WebForm->mnuAutoGamma, false);
    EXPECT_TRUE(SamePicture(black, Display()));
    EXPECT_EQ(Script(), std::vector<std::string>{"AUTO_GAMMA"});

    // No mid-tones at all (levels 5 and 250 only): the mean is 0, the flash
    // takes gamma 1.00 and every step leaves the picture as it is.
    TBitmap noMidtones;
    GreyColumns(noMidtones, {5, 250}, 30);
    for (const TBitmap* picture : {&black, &noMidtones}) {
        ShowPicture(*picture);
        FilterCustom2 = 2;
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoAutoFlash();
        EXPECT_TRUE(SamePicture(*picture, Display()));
    }
}

// ---- Flags and the user's duplicate

struct RoutineCase {
    const char* name;
    std::function<void()> run;
    // It borrows the duplicate for its own copies.
    bool borrows;
};

void PrintTo(const RoutineCase& c, std::ostream* os) { *os << c.name; }

std::function<void()> InMode(int32_t mode, void (TWebForm::*routine)()) {
    return [mode, routine] {
        FilterCustom2 = mode;
        (WebForm->*routine)();
    };
}

const RoutineCase RoutineCases[] = {
    {"AutoGamma", InMode(0, &TWebForm::DoAutoGamma), true},
    {"AutoGammaOnly", InMode(1, &TWebForm::DoAutoGamma), false},
    {"AutoFlashWhite", InMode(0, &TWebForm::DoAutoFlash), true},
    {"AutoFlashOptimise", InMode(1, &TWebForm::DoAutoFlash), true},
    {"AutoFlashGamma", InMode(2, &TWebForm::DoAutoFlash), true},
    {"AutoWhite", [] { WebForm->DoAutoWhite(); }, true},
    {"ReferenceLuminance", InMode(0, &TWebForm::DoReference), false},
    {"ReferenceSaturation", InMode(1, &TWebForm::DoReference), false},
    {"AutoReference", [] { WebForm->DoAutoReference(); }, true},
    {"AutoBalance", [] { WebForm->AutoBalanceClick(WebForm->AutoBalance); }, false},
    {"Equalize", [] { WebForm->DoEqualize(WebForm->mnuAutoSaturation); }, false},
};

class Routines : public AutoFixTest, public ::testing::WithParamInterface<RoutineCase> {};

TEST_P(Routines, LeaveTheFlagsAndTheUsersDuplicateAsFound) {
    WebForm->mnuAutoFix->Tag = 1;  // the balance asks outside a run
    const auto start = Copy(Display());
    for (bool running : {true, false}) {
        SCOPED_TRACE(running ? "in a run" : "outside a run");
        Show(*start);
        const auto user = GiveUserDuplicate();
        batch_8900::BatchRunning = running;
        GetParam().run();
        EXPECT_EQ(batch_8900::BatchRunning, running);
        EXPECT_FALSE(AutoFixBusy);
        ASSERT_TRUE(DuplicateBitmap);
        EXPECT_TRUE(SamePicture(*user, *DuplicateBitmap));
        EXPECT_FALSE(ParkedDuplicate);
        batch_8900::BatchRunning = false;
    }
    // Without a duplicate of the user's, the fix's last copy stays there.
    Show(*start);
    DuplicateBitmap.reset();
    TScopedFlag running(batch_8900::BatchRunning, true);
    GetParam().run();
    EXPECT_EQ(DuplicateBitmap && !DuplicateBitmap->GetEmpty(), GetParam().borrows);
    if (GetParam().borrows) {
        EXPECT_EQ(DuplicateBitmap->Width(), start->Width());
    }
}

TEST_P(Routines, AFailingStepLeavesTheFlagsAndTheUsersDuplicateAsFound) {
    // A 1-bit viewer picture (the duplicate keeps its depth, so the borrowing
    // fixes do not convert it either): the first histogram step throws.
    TBitmap indexed;
    MakePicture(indexed, 1, 40, 30);
    Show(indexed);
    const auto user = GiveUserDuplicate();
    TScopedFlag running(batch_8900::BatchRunning, true);
    EXPECT_ANY_THROW(GetParam().run());
    EXPECT_TRUE(batch_8900::BatchRunning);
    EXPECT_FALSE(AutoFixBusy);
    ASSERT_TRUE(DuplicateBitmap);
    EXPECT_TRUE(SamePicture(*user, *DuplicateBitmap));
    EXPECT_FALSE(ParkedDuplicate);
}

INSTANTIATE_TEST_SUITE_P(Fixes, Routines, ::testing::ValuesIn(RoutineCases),
                         CaseNames<&RoutineCase::name>);

// ---- Script rows

TEST_F(AutoFixTest, AutoFlashLinesClampTheirModeToTheThreeModes) {
    const auto start = Copy(Display());
    auto byMode = [&](int32_t mode) {
        Show(*start);
        FilterCustom2 = mode;
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoAutoFlash();
        return Copy(Display());
    };
    const auto optimise = byMode(1), white = byMode(0);
    ASSERT_FALSE(SamePicture(*optimise, *white));
    for (const auto& [line, expected] :
         {std::pair{"AUTO_FLASH=7", optimise.get()}, std::pair{"AUTO_FLASH=-3", white.get()}}) {
        SCOPED_TRACE(line);
        Show(*start);
        RunLabScript({line});
        EXPECT_TRUE(SamePicture(*expected, Display()));
    }
}

TEST_F(AutoFixTest, ReferenceOneNormalisesToTheSaturationAndOtherValuesToTheLuminance) {
    const auto start = Copy(Display());
    auto normalisedTo = [&](bool bySaturation) {
        auto picture = Copy(*start);
        CalcHistogram(*picture, bySaturation, true, false);
        const TRoundedStats reference = bySaturation ? RoundedStats(HistSumSat, HistSumSqSat, HistCount)
                                                     : RoundedStats(HistSumLum, HistSumSqLum, HistCount);
        for (int channel = 0; channel < 3; ++channel)
            NormalizeBitmap(*picture, channel, reference.Mean, reference.Deviation);
        return picture;
    };
    const auto bySaturation = normalisedTo(true), byLuminance = normalisedTo(false);
    ASSERT_FALSE(SamePicture(*bySaturation, *byLuminance));
    const std::pair<const char*, const TBitmap*> cases[] = {
        {"REFERENCE=1", bySaturation.get()}, {"REFERENCE", byLuminance.get()}, {"REFERENCE=2", byLuminance.get()}};
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        Show(*start);
        RunLabScript({line});
        EXPECT_TRUE(SamePicture(*expected, Display()));
    }
}

// ---- The question and the Shift alternative

TEST_F(AutoFixTest, ShiftWithAutoGammaOpensTheUnderExposureDialogInstead) {
    const auto start = Copy(Display());
    CancelFilterDialog();
    WebForm->mnuAutoGammaClick(WebForm->FindChrome("btnAutoGamma"), true);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(manualMethod, 9130);  // the group opened at its gamma item
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(questionText.empty());
    EXPECT_TRUE(SamePicture(*start, Display()));
}

TEST_F(AutoFixTest, NoUndoesTheFixExactlyAndOpensTheManualCommand) {
    const auto start = Copy(Display());
    AnswerQuestion(mrNo);
    CancelFilterDialog();
    WebForm->mnuAutoGammaClick(WebForm->mnuAutoGamma, false);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(questionText,
              "Are you satisfied with image improvement results?\n\nTip: Check IGNORE box then click YES button to "
              "reapply\nproceess (e.g., make image brighter) or experiment with\nother imaging bar procesess; no "
              "prompts will appear for\nduration of this session.");
    // The box sets its check box's caption off by one blank.
    EXPECT_EQ(checkBoxCaption, " Ignore this dialog (for experts).");
    EXPECT_TRUE(SamePicture(*start, Display()));
    EXPECT_EQ(manualMethod, 9130);
    EXPECT_EQ(WebForm->mnuAutoFix->Tag, 0);
}

TEST_F(AutoFixTest, ATickedBoxWithYesKeepsTheResultAndSilencesEveryLaterFix) {
    const auto start = Copy(Display());
    AnswerQuestion(mrYes, true);
    WebForm->mnuAutoContrastClick(WebForm->mnuAutoContrast, false);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(WebForm->mnuAutoFix->Tag, 1);
    EXPECT_FALSE(SamePicture(*start, Display()));
    // No question follows any other one-click fix (an unexpected box fails).
    WebForm->mnuAutoWhiteClick(WebForm->mnuAutoWhite);
    WebForm->AutoBalanceClick(WebForm->AutoBalance);
    WebForm->mnuAutoSharpenClick(WebForm->FindChrome("btnSharpen"), false);
    EXPECT_EQ(Script(),
              (std::vector<std::string>{"AUTO_CONTRAST", "AUTO_WHITE", "AUTO_BALANCE", "UNSHARPMASK=255,63"}));
}

TEST_F(AutoFixTest, NoAfterTheColourBoostOpensTheSaturationGroup) {
    AnswerQuestion(mrNo);
    CancelFilterDialog();
    WebForm->btnGammaColorClick(WebForm->FindChrome("btnGammaColor"), false);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(manualMethod, 135);
}

// ---- Menus and buttons

TEST_F(AutoFixTest, TheAutoFixSubMenuHoldsTheOneClickItemsUnderTheirCaptions) {
    QMenu* enhance = WebForm->mnuColorsV;
    EXPECT_TRUE(enhance->actions().contains(WebForm->mnuAutoFix));
    QMenu* fixes = WebForm->mnuAutoFix->menu();
    ASSERT_NE(fixes, nullptr);
    EXPECT_EQ(WebForm->mnuAutoFix->text().toStdString(), "Auto &Fix");
    std::vector<std::pair<std::string, std::string>> items;
    for (QAction* item : fixes->actions())
        items.emplace_back(item->objectName().toStdString(), item->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::pair<std::string, std::string>>{{"mnuAutoReference", "&Auto Reference"},
                                                                       {"mnuAutoContrast", "Auto &Contrast"},
                                                                       {"mnuAutoLighting", "Auto &Lighting"},
                                                                       {"mnuAutoSaturation", "Auto &Saturate"},
                                                                       {"AutoBalance", "Auto &Balance"},
                                                                       {"mnuAutoGamma", "Auto &Gamma"},
                                                                       {"mnuAutoFlash", "Auto &Flash"},
                                                                       {"mnuAutoWhite", "Auto &White"}}));
    for (QAction* item : fixes->actions()) EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    EXPECT_EQ(WebForm->findChild<QAction*>("mnuAutoClean"), nullptr);
    // The flat items of before are gone from the Enhance menu itself.
    for (QAction* item : enhance->actions())
        EXPECT_TRUE(item == WebForm->mnuAutoFix || !fixes->actions().contains(item))
            << item->objectName().toStdString();
    EXPECT_FALSE(enhance->actions().contains(WebForm->mnuAutoGamma));
}

struct ControlCase {
    const char* name;
    std::vector<std::string> lines;
};

void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class Controls : public AutoFixTest, public ::testing::WithParamInterface<ControlCase> {};

TEST_P(Controls, RunTheirOneClickCommand) {
    WebForm->mnuAutoFix->Tag = 1;
    QObject* control = WebForm->FindChrome(GetParam().name);
    ASSERT_NE(control, nullptr);
    if (auto* button = qobject_cast<QToolButton*>(control)) {
        EXPECT_TRUE(button->isEnabled());
        button->click();
    } else {
        qobject_cast<QAction*>(control)->trigger();
    }
    EXPECT_EQ(Script(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    SideBarAndMenu, Controls,
    ::testing::Values(ControlCase{"btnAutoGamma", {"AUTO_GAMMA"}}, ControlCase{"btnAutoFlash", {"AUTO_FLASH"}},
                      ControlCase{"btnColorBalance", {"AUTO_WHITE"}},
                      ControlCase{"btnAutoContrast", {"AUTO_CONTRAST"}},
                      ControlCase{"btnAutoClean", {"CLEAN=160,192"}},
                      ControlCase{"btnSharpen", {"UNSHARPMASK=255,63"}},
                      ControlCase{"btnGammaColor", {"AUTO_SATURATE", "GAMMA_SATURATION=116"}},
                      ControlCase{"btnFilmNoir", {"NATURALIZE_CCD=128,52"}},
                      ControlCase{"mnuAutoReference", {"AUTO_REFERENCE"}},
                      ControlCase{"mnuAutoLighting", {"AUTO_LIGHTING"}},
                      ControlCase{"mnuAutoSaturation", {"AUTO_SATURATE"}},
                      ControlCase{"AutoBalance", {"AUTO_BALANCE"}}, ControlCase{"mnuAutoWhite", {"AUTO_WHITE"}}),
    CaseNames<&ControlCase::name>);

}  // namespace
