// The filter dialog: its model driven directly (coupling, clamping, scheduling,
// result packing) and the form run offscreen (results, views, preview frame,
// placement and sizes).
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/FilterPreview.h"
#include "app/dialogs/filter_8900.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QTest>

#include <stdexcept>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// A record with the same range for all three sliders.
TFilterDlgParam SharedSliders(int32_t method, int min, int max, int position) {
    TFilterDlgParam p{};
    p.MethodCode = method;
    p.Min1 = min;
    p.Max1 = max;
    p.Position1 = position;
    p.PageSize1 = 8;
    p.LineSize1 = 1;
    return p;
}

// A record with three sliders of their own.
TFilterDlgParam OwnSliders(int32_t method, std::array<int, 3> positions, int min = 0, int max = 255) {
    TFilterDlgParam p = SharedSliders(method, min, max, positions[0]);
    p.CustomSliders = 1;
    p.Min2 = p.Min3 = min;
    p.Max2 = p.Max3 = max;
    p.Position2 = positions[1];
    p.Position3 = positions[2];
    p.PageSize2 = p.PageSize3 = 8;
    p.LineSize2 = p.LineSize3 = 1;
    return p;
}

class FilterModelTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLabState(); }
    void TearDown() override { ResetLabState(); }
    // Opens the model on Param as the dialog does, counting previews.
    void Open(const TFilterDlgParam& param, const std::string& minLabel = "", const std::string& maxLabel = "") {
        model.OnPreview = [this] { ++previews; };
        model.Open("Test", minLabel, maxLabel, param);
        model.SetupFilterGroupInterface();
        model.SetupFilterInterface();
    }
    TFilterDlgModel model;
    int previews = 0;
};

TEST_F(FilterModelTest, SetUpFromSharedOrOwnSliderFields) {
    Open(SharedSliders(100, 1, 300, 100), "1 (less)", "300 (more)");
    for (const TFilterSlider& s : model.Sliders) {
        EXPECT_EQ(s.Min, 1);
        EXPECT_EQ(s.Max, 300);
        EXPECT_EQ(s.Position, 100);
        EXPECT_EQ(s.EditText, "100");
        EXPECT_EQ(s.MinLabel, "1 (less)");
        EXPECT_EQ(s.MaxLabel, "300 (more)");
        EXPECT_EQ(s.Frequency, 100);
        EXPECT_TRUE(s.Visible);
    }
    EXPECT_EQ(model.Sliders[0].Name, "&Red  ");
    EXPECT_EQ(model.Sliders[2].Name, "&Blue ");

    TFilterDlgParam own = OwnSliders(31, {20, 30, 40});
    own.MinLabel1 = "soft";
    own.MaxLabel3 = "hard";
    Open(own);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{20, 30, 40}));
    EXPECT_EQ(model.Sliders[0].MinLabel, "soft");
    EXPECT_EQ(model.Sliders[2].MaxLabel, "hard");
    // An unlisted method shows only "&Filter"; empty end labels show the numbers.
    EXPECT_EQ(model.Sliders[0].Name, "&Filter");
    EXPECT_FALSE(model.Sliders[1].Visible);
    Open(SharedSliders(31, 2, 254, 30));
    EXPECT_EQ(model.Sliders[0].MinLabel, "2");
    EXPECT_EQ(model.Sliders[0].MaxLabel, "254");
}

TEST_F(FilterModelTest, TickSpacingFollowsTheMaximum) {
    const std::array<int, 3> cases[] = {{0, 500, 100}, {-500, 500, 250}, {0, 999, 250}, {1, 300, 100},
                                        {-180, 180, 90}, {1, 255, 128}, {1, 10, 1},     {0, 100, 26}};
    for (const auto& [min, max, spacing] : cases)
        EXPECT_EQ(TrackTickSpacing(min, max), spacing) << min << ".." << max;
}

TEST_F(FilterModelTest, EditTextThatIsNoNumberShowsTheBarAgainAndEnterClamps) {
    Open(SharedSliders(31, 1, 255, 40));
    model.EditKeyDown();
    model.EditChanged(0, "abc");
    EXPECT_EQ(model.Sliders[0].EditText, "40");
    EXPECT_FALSE(model.Editing);
    model.EditChanged(0, "");
    EXPECT_EQ(model.Sliders[0].EditText, "");
    model.EditChanged(0, "999");
    model.EditEnter(0);
    EXPECT_EQ(model.Sliders[0].EditText, "255");
    EXPECT_EQ(model.Sliders[0].Position, 255);
    EXPECT_TRUE(model.TimerOn);
    model.EditChanged(0, "-7");
    model.EditEnter(0);
    EXPECT_EQ(model.Sliders[0].EditText, "1");
    // The other rows clamp to their own bar.
    Open(OwnSliders(130, {10, 200, 100}, 0, 255));
    model.Sliders[2].Max = 150;
    model.EditChanged(2, "400");
    model.EditEnter(2);
    EXPECT_EQ(model.Sliders[2].EditText, "150");
    EXPECT_EQ(model.Sliders[0].Position, 10);
}

TEST_F(FilterModelTest, SyncCouplesBarsEditsAndUpDowns) {
    Open(SharedSliders(110, -255, 255, 0));
    // Without sync one bar moves alone.
    model.SliderChanged(1, 50);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{0, 50, 0}));
    EXPECT_EQ(model.Sliders[1].EditText, "50");
    model.SyncEnabled = true;
    model.SyncClicked(true);
    model.SliderChanged(2, -30);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{-30, -30, -30}));
    for (const TFilterSlider& s : model.Sliders)
        EXPECT_EQ(s.EditText, "-30");
    model.UpDownClicked(0, 12);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{12, 12, 12}));
    for (const TFilterSlider& s : model.Sliders) {
        EXPECT_EQ(s.UpDownPosition, 12);
        EXPECT_EQ(s.EditText, "12");
    }
    // A disabled sync box does not couple even when checked.
    model.SyncEnabled = false;
    model.UpDownClicked(1, 20);
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{12, 20, 12}));
    EXPECT_EQ(model.Sliders[1].EditText, "20");
}

TEST_F(FilterModelTest, SliderChangesRestartOneTimerForOnePreview) {
    Open(SharedSliders(31, 1, 255, 40));
    const int before = previews;
    int starts = 0;
    model.OnTimerStart = [&] { ++starts; };
    for (int position : {50, 60, 70})
        model.SliderChanged(0, position);
    EXPECT_EQ(starts, 3);
    EXPECT_TRUE(model.TimerOn);
    model.TimerTick();
    EXPECT_EQ(previews, before + 1);
    EXPECT_FALSE(model.TimerOn);
    // A change to the position the edit shows already schedules nothing.
    model.SliderChanged(0, 70);
    EXPECT_FALSE(model.TimerOn);
}

TEST_F(FilterModelTest, TimerWaitsWhileTheUserTypes) {
    Open(SharedSliders(31, 1, 255, 40));
    const int before = previews;
    model.StartTimer();
    model.EditKeyDown();
    model.TimerTick();
    EXPECT_EQ(previews, before);
    EXPECT_TRUE(model.TimerOn);
    EXPECT_TRUE(model.EditKeyUp(true));
    model.TimerTick();
    EXPECT_EQ(previews, before + 1);
}

TEST_F(FilterModelTest, APreviewRequestedWhileOneRunsIsDropped) {
    Open(SharedSliders(31, 1, 255, 40));
    int nested = 0;
    model.OnPreview = [&] {
        ++nested;
        model.RunPreview();
    };
    model.RunPreview();
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(model.Busy);
}

TEST_F(FilterModelTest, ApplyIsEnabledOnlyByACompletedPreview) {
    Open(SharedSliders(31, 1, 255, 40));
    // The group set-up's Reset previewed, the set-up that follows disabled Apply again.
    EXPECT_EQ(previews, 1);
    EXPECT_FALSE(model.OkEnabled);
    model.OnPreview = [] { throw std::runtime_error("no memory"); };
    EXPECT_THROW(model.RunPreview(), std::runtime_error);
    EXPECT_FALSE(model.OkEnabled);
    EXPECT_FALSE(model.Busy);
    model.OnPreview = [] {};
    model.RunPreview();
    EXPECT_TRUE(model.OkEnabled);
}

TEST_F(FilterModelTest, NothingRunsAfterApplyOrCancel) {
    for (bool apply : {true, false}) {
        Open(SharedSliders(31, 1, 255, 40));
        const int before = previews;
        model.StartTimer();
        apply ? model.Apply() : model.Cancel();
        EXPECT_FALSE(model.TimerOn);
        model.RunPreview();
        model.TimerTick();
        TFilterDlgResult result{};
        model.Finish(apply, result);
        model.SliderChanged(0, 90);
        model.UpDownClicked(0, 90);
        model.EditEnter(0);
        model.TimerTick();
        EXPECT_EQ(previews, before);
        EXPECT_FALSE(model.TimerOn);
        EXPECT_EQ(model.Sliders[0].Position, 40);
    }
}

TEST_F(FilterModelTest, ResetGoesBackToTheStartsOrToTheMaskedLevelsValues) {
    Open(OwnSliders(130, {10, 200, 100}));
    model.SliderChanged(0, 77);
    model.SliderChanged(2, 140);
    const int before = previews;
    model.Reset();
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{10, 200, 100}));
    EXPECT_EQ(model.Sliders[0].EditText, "10");
    EXPECT_EQ(model.Sliders[0].UpDownPosition, 10);
    EXPECT_EQ(previews, before + 1);
    Open(OwnSliders(501, {5, 6, 7}));
    model.Reset();
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{100, 99, 7}));
}

TEST_F(FilterModelTest, HlsMasksPackBandAndPickedComponent) {
    Open(OwnSliders(152, {40, 30, 20}, 0, 1800));
    PickedHue = 1200;
    PickedLightness = 900;
    PickedSaturation = 1800;
    TFilterDlgResult result{7, 7, 7, 7, 7, 7, 7};
    model.Finish(true, result);
    EXPECT_EQ(result[ResultMethod], 152);
    EXPECT_EQ(result[ResultValue], 40);
    EXPECT_EQ(result[ResultCustom1], 40 << 16 | 1200);
    EXPECT_EQ(result[ResultCustom2], 30 << 16 | 900);
    EXPECT_EQ(result[ResultCustom3], 20 << 16 | 1800);
    EXPECT_EQ(FilterCustom1, 40 << 16 | 1200);
}

TEST_F(FilterModelTest, PickingAColourSetsTheCustomsAndByMethodTheSliders) {
    Open(OwnSliders(141, {0, 50, 100}));
    model.Pick(200, 100, 50);
    EXPECT_EQ(FilterCustom1, 200);
    EXPECT_EQ(FilterCustom3, 50);
    EXPECT_GT(PickedLightness, 0);
    EXPECT_EQ(model.SelectedColor, RGB(200, 100, 50));
    // Method 141 (red plane): slider 1 takes the red and keeps it on Reset.
    EXPECT_EQ(model.Sliders[0].Position, 200);
    model.SliderChanged(0, 3);
    model.Reset();
    EXPECT_EQ(model.Sliders[0].Position, 200);
    Open(OwnSliders(400, {10, 128, 240}));
    model.Pick(200, 100, 50);
    EXPECT_EQ(model.Sliders[1].Position, 125);
}

TEST_F(FilterModelTest, CurveButtonShowsTheEqCurveOrThePicturesHistogram) {
    std::vector<std::pair<std::string, bool>> shown;
    model.OnShowHistogram = [&](const std::string& caption, bool saturation) { shown.emplace_back(caption, saturation); };
    Open(OwnSliders(141, {128, 40, 200}));
    model.CurveClicked();
    EXPECT_EQ(FilterCustom2, 40);
    EXPECT_EQ(HistPeak, 255);
    Open(OwnSliders(130, {10, 200, 100}));
    model.SaturationHistogram = true;
    model.CurveClicked();
    // The colour-selection methods only preview again.
    Open(OwnSliders(152, {10, 20, 30}, 0, 1800));
    const int before = previews;
    model.CurveClicked();
    EXPECT_EQ(previews, before + 1);
    EXPECT_EQ(shown, (std::vector<std::pair<std::string, bool>>{{"Parametric EQ Curve", false},
                                                                  {"Histogram [Original image]", true}}));
}

TEST_F(FilterModelTest, ChosenMaskColourGoesToTheCustomsAndResets) {
    Open(OwnSliders(140, {10, 20, 30}));
    model.SliderChanged(0, 99);
    const int before = previews;
    model.MaskColorChosen(255, 128, 0);
    EXPECT_EQ(model.MaskColor, RGB(255, 128, 0));
    EXPECT_EQ(model.MaskTextColor, RGB(0, 127, 255));
    EXPECT_EQ(model.Positions(), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(previews, before + 1);
}

// ---- The form

class FilterDialogTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        filter_8900::FilterDlgPos = {};
        filter_8900::LastExtras = {0, 0};
        WebForm->chkSelectTool->SetChecked(false);
        TBitmap picture;
        MakePicture(picture, 24, 40, 30);
        Show(picture);
    }
    void TearDown() override {
        filter_8900::FilterDlgPos = {};
        DuplicateBitmap.reset();
        LabWindowTest::TearDown();
    }
    static TFilterDlg& Form(QDialog& dialog) { return static_cast<TFilterDlg&>(dialog); }
    // Waits until the dialog has completed a preview and Apply is enabled.
    static bool WaitForApply(TFilterDlg& form) {
        return QTest::qWaitFor([&] { return form.btnOK->isEnabled(); }, 2000);
    }
    // Runs the dialog with work done by Action while it shows.
    TFilterDlgResult Run(const TFilterDlgParam& param, std::function<void(TFilterDlg&)> action,
                         TFilterDlgResult start = {5, 5, 5, 5, 5, 5, 5}) {
        QueueModalAction([action](QDialog& dialog) {
            action(Form(dialog));
            // A failed expectation inside the action must not leave the dialog open.
            if (dialog.isVisible())
                dialog.done(mrCancel);
        });
        ExecuteFilterDlg("Gamma", "", "", param, start);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        return start;
    }
};

TEST_F(FilterDialogTest, CancelAndEscapeWriteOnlyTheValue) {
    const std::function<void(TFilterDlg&)> closes[] = {
        [](TFilterDlg& form) { form.btnCancel->click(); },
        [](TFilterDlg& form) { QTest::keyClick(&form, Qt::Key_Escape); },
    };
    for (const auto& close : closes) {
        const TFilterDlgResult result = Run(SharedSliders(100, 1, 300, 100), close);
        EXPECT_EQ(result, (TFilterDlgResult{5, -999, 5, 5, 5, 5, 5}));
    }
    // No picture to preview: the dialog does not open.
    Display().SetSize(0, 0);
    TFilterDlgResult result{5, 5, 5, 5, 5, 5, 5};
    ExecuteFilterDlg("Gamma", "", "", SharedSliders(100, 1, 300, 100), result);
    EXPECT_EQ(result, (TFilterDlgResult{5, -999, 5, 5, 5, 5, 5}));
}

TEST_F(FilterDialogTest, ApplyUnmovedGivesTheStartAndTheFirstPreviewsValues) {
    bool enabledAtStart = true;
    const TFilterDlgResult result = Run(OwnSliders(100, {120, 90, 80}, 1, 300), [&](TFilterDlg& form) {
        enabledAtStart = form.btnOK->isEnabled();
        ASSERT_TRUE(WaitForApply(form));
        form.btnOK->click();
    });
    EXPECT_FALSE(enabledAtStart);
    EXPECT_EQ(result, (TFilterDlgResult{100, 120, 120, 90, 80, 0, 0}));
}

TEST_F(FilterDialogTest, RgbMaskReturnsThePackedValuesOfTheLastPreview) {
    TFilterDlgParam param = OwnSliders(156, {64, 64, 64}, 1, 128);
    param.SelectedColor = RGB(10, 20, 30);
    const TFilterDlgResult result = Run(param, [](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        form.btnOK->click();
    });
    EXPECT_EQ(result[ResultMethod], 156);
    EXPECT_EQ(result[ResultCustom1], 64 << 16 | 10);
    EXPECT_EQ(result[ResultCustom2], 64 << 16 | 20);
    EXPECT_EQ(result[ResultCustom3], 64 << 16 | 30);
}

TEST_F(FilterDialogTest, EditsRestoreTheBarOrClampOnEnter) {
    std::string afterLetters, afterEnter;
    int barAfterEnter = 0;
    Run(SharedSliders(31, 1, 255, 40), [&](TFilterDlg& form) {
        QLineEdit* edit = form.EditCustom[0];
        edit->selectAll();
        QTest::keyClicks(edit, "abc");
        afterLetters = edit->text().toStdString();
        edit->selectAll();
        QTest::keyClicks(edit, "999");
        QTest::keyClick(edit, Qt::Key_Return);
        afterEnter = edit->text().toStdString();
        barAfterEnter = form.ScrollBarCustom[0]->Position();
        form.btnCancel->click();
    });
    EXPECT_EQ(afterLetters, "40");
    EXPECT_EQ(afterEnter, "255");
    EXPECT_EQ(barAfterEnter, 255);
}

TEST_F(FilterDialogTest, ThreeQuickSliderMovesGiveOnePreview) {
    int extra = -1;
    Run(SharedSliders(31, 1, 255, 40), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        QTest::qWait(2 * FilterPreviewDelay);
        const int before = form.Model.PreviewCount;
        for (int position : {60, 70, 80})
            form.ScrollBarCustom[0]->SetPosition(position);
        QTest::qWait(3 * FilterPreviewDelay);
        extra = form.Model.PreviewCount - before;
        form.btnCancel->click();
    });
    EXPECT_EQ(extra, 1);
}

// A press and a release of the left button on an up-down's upper arrow.
void ClickUp(TUpDown& upDown) {
    QWidget* arrow = upDown.UpButton();
    const QPointF at(arrow->width() / 2.0, arrow->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, arrow->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(arrow, &event);
    }
}

TEST_F(FilterDialogTest, SyncMovesAllThreeRowsOnScreen) {
    struct Rows {
        std::array<int, 3> bars{};
        std::array<QString, 3> edits;
    };
    auto rowsOf = [](TFilterDlg& form) {
        Rows rows;
        for (size_t i = 0; i < 3; ++i) {
            rows.bars[i] = form.ScrollBarCustom[i]->Position();
            rows.edits[i] = form.EditCustom[i]->text();
        }
        return rows;
    };
    Rows afterBar, afterSyncedUp, afterSingleUp;
    Run(OwnSliders(110, {0, 0, 0}, -255, 255), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        form.Model.SyncEnabled = true;
        form.ShowModel();
        form.chkSyncRGB->click();
        form.ScrollBarCustom[1]->SetPosition(40);
        afterBar = rowsOf(form);
        ClickUp(*form.UpDown[2]);
        afterSyncedUp = rowsOf(form);
        form.chkSyncRGB->click();
        ClickUp(*form.UpDown[0]);
        afterSingleUp = rowsOf(form);
        form.btnCancel->click();
    });
    EXPECT_EQ(afterBar.bars, (std::array<int, 3>{40, 40, 40}));
    EXPECT_EQ(afterBar.edits, (std::array<QString, 3>{"40", "40", "40"}));
    EXPECT_EQ(afterSyncedUp.bars, (std::array<int, 3>{41, 41, 41}));
    EXPECT_EQ(afterSyncedUp.edits, (std::array<QString, 3>{"41", "41", "41"}));
    EXPECT_EQ(afterSingleUp.bars, (std::array<int, 3>{42, 41, 41}));
    EXPECT_EQ(afterSingleUp.edits, (std::array<QString, 3>{"42", "41", "41"}));
}

TEST_F(FilterDialogTest, ReopensWhereItWasClosed) {
    Run(SharedSliders(31, 1, 255, 40), [](TFilterDlg& form) {
        form.move(123, 77);
        form.btnCancel->click();
    });
    EXPECT_EQ(filter_8900::FilterDlgPos.Left, 123);
    QPoint reopened;
    Run(SharedSliders(31, 1, 255, 40), [&](TFilterDlg& form) {
        reopened = form.pos();
        form.btnCancel->click();
    });
    EXPECT_EQ(reopened, QPoint(123, 77));
}

TEST_F(FilterDialogTest, SizesFollowTheScreenWidth) {
    struct Case {
        int screen, width, height, paneWidth, paneHeight;
    };
    const Case cases[] = {{800, 768, 560, 368, 292},
                          {801, 928, 560, 448, 292},
                          {1280, 1184, 560, 576, 292},
                          {1920, 1440, 688, 704, 420}};
    for (const Case& c : cases) {
        const TFilterDlgLayout layout = FilterDlgLayoutFor(c.screen);
        EXPECT_EQ(layout.Width, c.width) << c.screen;
        EXPECT_EQ(layout.Height, c.height) << c.screen;
        TFilterDlgModel model;
        TFilterDlg form(model, c.screen);
        EXPECT_EQ(form.size(), QSize(c.width - 8, c.height - 34)) << c.screen;
        EXPECT_EQ(form.ScrollBox1->size(), QSize(c.paneWidth, c.paneHeight)) << c.screen;
        EXPECT_EQ(form.ScrollBox2->size(), QSize(c.paneWidth, c.paneHeight)) << c.screen;
        EXPECT_EQ(form.ScrollBox2->x() + form.ScrollBox2->width() + 8, form.width()) << c.screen;
        EXPECT_EQ(form.chkModifiedMask->x(), form.ScrollBox2->x());
        // Nothing below the panes runs into them or out of the form.
        for (QWidget* w : std::initializer_list<QWidget*>{form.PanelFilter[0], form.PanelTip, form.btnOK})
            EXPECT_GT(w->y(), form.ScrollBox1->geometry().bottom()) << c.screen;
        EXPECT_LE(form.btnHelp->geometry().bottom(), form.height()) << c.screen;
        EXPECT_LE(form.PanelTip->geometry().right(), form.width()) << c.screen;
    }
}

TEST_F(FilterDialogTest, FitViewShowsTheWholePictureFittedAndCentred) {
    TBitmap wide;
    MakePicture(wide, 24, 600, 100);
    Show(wide);
    QSize shown, client;
    QPoint at, afterAt;
    Run(SharedSliders(31, 1, 255, 40), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        EXPECT_FALSE(form.chkScrollbars->isChecked());
        client = form.ScrollBox1->maximumViewportSize();
        shown = form.BeforePix->size();
        at = form.BeforePix->pos();
        afterAt = form.AfterPix->pos();
        form.btnCancel->click();
    });
    TSize fitted;
    FitSizeInBox(600, 100, client.width(), client.height(), fitted);
    EXPECT_EQ(shown, QSize(fitted.cx, fitted.cy));
    EXPECT_EQ(at, QPoint((client.width() - fitted.cx) / 2, (client.height() - fitted.cy) / 2));
    EXPECT_EQ(afterAt, at);
    EXPECT_EQ(FilterPreviewBitmap, nullptr);  // released with the dialog
}

TEST_F(FilterDialogTest, ActualViewStartsAtTheSelectionAndPreviewsTheVisiblePart) {
    TBitmap big;
    MakePicture(big, 24, 900, 700);
    Show(big);
    WebForm->chkSelectTool->SetChecked(true);
    LastSelection = TRect{150, 20, 300, 200};
    QPoint scrolled, beforeAt;
    bool sameAsPicture = false, sameAfterScroll = false;
    Run(OwnSliders(100, {100, 100, 100}, 1, 300), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        scrolled = {form.ScrollBox1->horizontalScrollBar()->value(), form.ScrollBox1->verticalScrollBar()->value()};
        beforeAt = form.BeforePix->pos();
        // Gamma 100 on every channel leaves the pixels: the pane shows the
        // picture's area at the scroll position.
        auto showsAreaAt = [&](int left, int top) {
            const TBitmap& after = *form.AfterPix->Bitmap();
            bool same = after.Width() > 0;
            for (int y = 0; y < after.Height() && same; y += 7)
                for (int x = 0; x < after.Width() && same; x += 5)
                    same = ColorAt(after, x, y) == ColorAt(Display(), x + left, y + top);
            return same;
        };
        sameAsPicture = showsAreaAt(150, 20);
        // Scrolling previews the newly visible area.
        const int before = form.Model.PreviewCount;
        form.ScrollBox1->horizontalScrollBar()->setValue(400);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Model.PreviewCount > before; }, 2000));
        sameAfterScroll = showsAreaAt(400, 20);
        form.btnCancel->click();
    });
    EXPECT_EQ(scrolled, QPoint(150, 20));
    EXPECT_EQ(beforeAt, QPoint(-150, -20));
    EXPECT_TRUE(sameAsPicture);
    EXPECT_TRUE(sameAfterScroll);
}

TEST_F(FilterDialogTest, PreviewRunsTheMethodsRoutineOnTheCopy) {
    WebForm->chkSelectTool->SetChecked(true);
    LastSelection = TRect{};
    bool matches = false;
    Run(OwnSliders(100, {150, 80, 100}, 1, 300), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        TBitmap expected;
        expected.Assign(&Display());
        for (int k = 0; k < 3; ++k)
            SetGammaLUT(std::array<int, 3>{150, 80, 100}[size_t(k)], k, false);
        ColorFilterBitmap(expected);
        const TBitmap& after = *form.AfterPix->Bitmap();
        matches = after.Width() == expected.Width() && after.Height() == expected.Height();
        for (int y = 0; y < after.Height() && matches; ++y)
            for (int x = 0; x < after.Width() && matches; ++x)
                matches = ColorAt(after, x, y) == ColorAt(expected, x, y);
        form.btnCancel->click();
    });
    EXPECT_TRUE(matches);
    // The viewer picture itself is never changed by the dialog.
    EXPECT_FALSE(ImageChanged);
}

TEST_F(FilterDialogTest, TwoImageMethodsGetTheDuplicatesMatchingPart) {
    DuplicateBitmap = std::make_unique<TBitmap>();
    MakePicture(*DuplicateBitmap, 24, 40, 30);
    for (int y = 0; y < 30; ++y)
        std::fill_n(DuplicateBitmap->ScanLine(y), 3 * 40, uint8_t(200));
    bool blended = false;
    Run(SharedSliders(500, 0, 100, 50), [&](TFilterDlg& form) {
        ASSERT_TRUE(WaitForApply(form));
        ASSERT_NE(WorkBitmap, nullptr);
        EXPECT_EQ(WorkBitmap->Width(), form.AfterPix->Bitmap()->Width());
        // Half of the picture and half of the duplicate.
        const uint32_t original = ColorAt(Display(), 3, 4), mixed = ColorAt(*form.AfterPix->Bitmap(), 3, 4);
        blended = mixed != original && ((mixed >> 16) & 0xFF) > ((original >> 16) & 0xFF);
        form.btnCancel->click();
    });
    EXPECT_TRUE(blended);
    EXPECT_EQ(WorkBitmap, nullptr);
}

TEST_F(FilterDialogTest, CommandTestsCanAnswerWithACannedResult) {
    QueueModalAction(FilterDlgAnswer({120, 33, 1, 2, 3, 4, 5}));
    TFilterDlgResult result{};
    ExecuteFilterDlg("Gamma", "", "", SharedSliders(100, 1, 300, 100), result);
    EXPECT_EQ(result, (TFilterDlgResult{120, 33, 1, 2, 3, 4, 5}));
    EXPECT_EQ(FilterCustom2, 2);
    QueueModalAction(FilterDlgAnswer({0, -999, 0, 0, 0, 0, 0}));
    result = {9, 9, 9, 9, 9, 9, 9};
    ExecuteFilterDlg("Gamma", "", "", SharedSliders(100, 1, 300, 100), result);
    EXPECT_EQ(result, (TFilterDlgResult{9, -999, 9, 9, 9, 9, 9}));
}

}  // namespace
