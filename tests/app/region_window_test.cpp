// Region selection driven offscreen: the marquee dialog and its senders,
// "Select all", the grid presets, showing a selection again, the side bar's
// tool buttons, the zoom tool's click, the mouse over the window and the
// scroll box, and the tools' cursors.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/ChromeTables.h"
#include "app/RegionGeometry.h"
#include "app/ToolCursors.h"
#include "app/ViewGeometry.h"
#include "explorer/xplr8900.h"
#include "platform/Menus.h"
#include "support/case_names.h"
#include "support/rect_expect.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/quadlg_w.h"

#include <functional>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::RectIs;

namespace {

// The picture's one colour (red 40, green 80, blue 120).
const TColor PictureColour = static_cast<TColor>(RGB(40, 80, 120));

// The start of the marquee dialog, as its fields show it.
struct TDialogStart {
    bool Shown = false;
    std::string Caption;
    TRect Region;
};

class RegionWindow : public lumvor::test::ShownWindowTest {
protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        RightButtonReleased = false;
        SelectionShown = SelectionZoomed = false;
        ZoomToolBusy = false;
        GridPresetIndex = 2;
        ZoomPercent = 100;
    }
    void TearDown() override {
        SlideshowRunning = MediaMode = false;
        IsBusy = 0;
        RightButtonReleased = false;
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        ShownWindowTest::TearDown();
    }
    void ShowPicture(int width, int height) {
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(width, height);
        picture.Canvas().Brush.Color = PictureColour;
        picture.Canvas().FillRect(Rect(0, 0, width, height));
        form->Daz95->SetBitmap(&picture);
        ImageLoaded = true;
        form->ProcessDone();
        QCoreApplication::processEvents();
    }
    void Drag(int x0, int y0, int x1, int y1) {
        form->Daz95MouseDown(form->Daz95, mbLeft, 0, x0, y0);
        form->Daz95MouseMove(form->Daz95, 0, x1, y1);
        form->Daz95MouseUp(form->Daz95, mbLeft, 0, x1, y1);
    }
    // Answers the next marquee dialog: notes where it starts, then works it.
    void AnswerMarquee(TDialogStart& start, std::function<void(TResizeForm&)> action) {
        QueueModalAction([&start, action](QDialog& dialog) {
            auto& d = static_cast<TResizeForm&>(dialog);
            start.Shown = true;
            start.Caption = d.windowTitle().toStdString();
            const int x = d.EditX->text().toInt(), y = d.EditY->text().toInt();
            start.Region = Rect(x, y, x + d.EditW->text().toInt(), y + d.EditH->text().toInt());
            action(d);
        });
    }
    // Answers the next marquee dialog with an origin and a size.
    void AnswerMarqueeWith(TDialogStart& start, int x, int y, int width, int height) {
        AnswerMarquee(start, [=](TResizeForm& d) {
            Type(d.EditX, QString::number(x));
            Type(d.EditY, QString::number(y));
            Type(d.EditW, QString::number(width));
            Type(d.EditH, QString::number(height));
            d.btnOk->click();
        });
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void QueueMessage(std::string& text) {
        QueueModalAction([&text](QDialog& d) {
            if (auto* label = d.findChild<QLabel*>("Message"))
                text = label->text().toStdString();
            d.done(mrOk);
        });
    }
    // Answers the next grid dialog with a cell of a cols x rows grid, or cancels it.
    void AnswerGrid(int cols, int rows, int col, int row, bool cancel = false) {
        QueueModalAction([=](QDialog& dialog) {
            auto& d = static_cast<TQuadDlg&>(dialog);
            d.BoxCols->setCurrentIndex(cols - 1);
            d.BoxRows->setCurrentIndex(rows - 1);
            d.SelectGrid->setCurrentCell(row, col);
            if (cancel)
                d.btnCancel->click();
            else
                d.btnOK->click();
        });
    }
    QWidget* SelectionFrame() { return form->Daz95->findChild<QWidget*>("SelectionFrame"); }
    // A point of the scroll box's viewport that the picture does not cover.
    QPoint FreeViewportPoint() {
        const QRect picture = form->Daz95->geometry();
        const QPoint corner(2, 2);
        EXPECT_FALSE(picture.contains(corner));
        return corner;
    }
    // The selection a shown selection must be drawn at.
    TRect ExpectedScreenRect() {
        return viewgeo::PictureToScreen(LastSelection, FitWindow, ZoomPercent, form->Daz95->width(),
                                        form->Daz95->height(), ImageWidth, ImageHeight);
    }
};

struct MarqueeCase {
    const char* name;
    int marqueeBottom;
    TRect stored;
    bool shift;
    // 1 mnuRegion1, 2 mnuRegion2, 3 mnuSelectall, 4 mnuCopyMask, 5 the select button
    int sender;
    bool dialog;
    TRect start;
};

void PrintTo(const MarqueeCase& c, std::ostream* os) { *os << c.name; }

class MarqueeSenders : public RegionWindow, public ::testing::WithParamInterface<MarqueeCase> {};

}  // namespace

// ---- The marquee dialog

TEST_P(MarqueeSenders, StartFromTheStoredRectangleOrTheWholePicture) {
    const MarqueeCase& c = GetParam();
    ShowPicture(200, 150);
    ScreenSelection = Rect(0, 0, 10, c.marqueeBottom);
    Selection = c.stored;
    TDialogStart start;
    if (c.dialog)
        AnswerMarquee(start, [](TResizeForm& d) { d.btnOk->click(); });
    switch (c.sender) {
    case 1: form->mnuRegion1Click(form->mnuRegion1, c.shift); break;
    case 2: form->mnuRegion1Click(form->mnuRegion2, c.shift); break;
    case 3: form->mnuSelectallClick(form->mnuSelectall1); break;
    case 4: form->mnuRegion1Click(form->mnuCopyMask, c.shift); break;
    case 5: form->btnSelectToolClick(form->btnSelectTool, c.shift); break;
    }
    EXPECT_EQ(start.Shown, c.dialog);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    if (c.dialog) {
        EXPECT_EQ(start.Caption, "Adjust Selection");
        EXPECT_TRUE(RectIs(start.Region, c.start));
    }
    // OK without a change gives the rectangle the dialog started from.
    EXPECT_TRUE(RectIs(LastSelection, c.start));
    EXPECT_TRUE(RectIs(Selection, c.start));
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_TRUE(SelectionShown);
    EXPECT_TRUE(form->chkSelectTool->Checked());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarqueeSenders,
    ::testing::Values(
        MarqueeCase{"StoredRectangle", 40, Rect(10, 20, 60, 70), false, 1, true, Rect(10, 20, 60, 70)},
        MarqueeCase{"ReversedRectangleNormalised", 40, Rect(60, 70, 10, 20), false, 2, true, Rect(10, 20, 60, 70)},
        MarqueeCase{"ShiftTakesTheWholePicture", 40, Rect(10, 20, 60, 70), true, 1, true, Rect(0, 0, 200, 150)},
        MarqueeCase{"NoMarqueeAnchored", 0, Rect(10, 20, 60, 70), false, 1, true, Rect(0, 0, 200, 150)},
        MarqueeCase{"StoredBottomZero", 40, Rect(10, 0, 60, 0), false, 1, true, Rect(0, 0, 200, 150)},
        MarqueeCase{"StoredOutsideThePicture", 40, Rect(10, 20, 60, 151), false, 1, true, Rect(0, 0, 200, 150)},
        MarqueeCase{"SelectAll", 40, Rect(10, 20, 60, 70), false, 3, false, Rect(0, 0, 200, 150)},
        MarqueeCase{"CopySelectionKeepsTheRectangle", 40, Rect(10, 20, 60, 70), false, 4, false,
                    Rect(10, 20, 60, 70)},
        MarqueeCase{"SelectButtonWithShift", 40, Rect(10, 20, 60, 70), true, 5, true, Rect(0, 0, 200, 150)}),
    test::CaseNames<&MarqueeCase::name>);

TEST_F(RegionWindow, MarqueeOkSelectsWhatWasTyped) {
    ShowPicture(200, 150);
    TDialogStart start;
    AnswerMarqueeWith(start, 30, 40, 50, 60);
    form->mnuRegion1->trigger();
    ASSERT_TRUE(start.Shown);
    EXPECT_TRUE(RectIs(LastSelection, Rect(30, 40, 80, 100)));
    EXPECT_TRUE(RectIs(ScreenSelection, ExpectedScreenRect()));
}

TEST_F(RegionWindow, MarqueeCancelWithTheHandLeavesTheSelectionAndShowsNothing) {
    ShowPicture(200, 150);
    form->chkHandToolClick(form);
    Selection = LastSelection = Rect(10, 20, 60, 70);
    TDialogStart start;
    AnswerMarquee(start, [](TResizeForm& d) { d.btnCancel->click(); });
    form->mnuRegion1Click(form->mnuRegion1, false);
    ASSERT_TRUE(start.Shown);
    EXPECT_TRUE(RectIs(Selection, Rect(10, 20, 60, 70)));
    EXPECT_TRUE(RectIs(LastSelection, Rect(10, 20, 60, 70)));
    EXPECT_FALSE(SelectionDrawn);
    EXPECT_FALSE(SelectionShown);
    EXPECT_FALSE(SelectionFrame()->isVisible());
    EXPECT_FALSE(form->chkSelectTool->Checked());
}

TEST_F(RegionWindow, MarqueeCancelWithTheSelectToolPutsTheSavedRectanglesBack) {
    const struct {
        const char* name;
        TRect savedLast;
        TRect savedSelection;
        TRect last;
        TRect selection;
    } cases[] = {
        {"both kept", Rect(5, 5, 50, 50), Rect(60, 70, 10, 20), Rect(5, 5, 50, 50), Rect(60, 70, 10, 20)},
        {"past the right only", Rect(5, 5, 250, 100), Rect(10, 20, 60, 70), Rect(5, 5, 250, 100),
         Rect(10, 20, 60, 70)},
        // Past both edges: the normalised selection stays in its place.
        {"past both edges", Rect(5, 5, 250, 200), Rect(60, 70, 10, 20), Rect(10, 20, 60, 70),
         Rect(60, 70, 10, 20)},
    };
    ShowPicture(200, 150);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->chkSelectToolClick(form);
        Drag(10, 10, 60, 50);
        ASSERT_TRUE(SelectionDrawn);
        const QRect frame = SelectionFrame()->geometry();
        LastSelection = c.savedLast;
        Selection = c.savedSelection;
        TDialogStart start;
        AnswerMarquee(start, [](TResizeForm& d) { d.btnCancel->click(); });
        form->mnuRegion1Click(form->mnuRegion1, false);
        ASSERT_TRUE(start.Shown);
        EXPECT_TRUE(RectIs(LastSelection, c.last));
        EXPECT_TRUE(RectIs(Selection, c.selection));
        // The select tool stays on with its marquee where it was.
        EXPECT_TRUE(form->chkSelectTool->Checked());
        EXPECT_TRUE(SelectionFrame()->isVisible());
        EXPECT_EQ(SelectionFrame()->geometry(), frame);
    }
}

TEST_F(RegionWindow, SelectAllItemsSelectTheWholePicture) {
    ShowPicture(200, 150);
    for (TMenuItem* item : {form->mnuSelectall, form->mnuSelectall1}) {
        form->chkHandToolClick(form);
        Selection = LastSelection = Rect(10, 20, 60, 70);
        item->trigger();
        EXPECT_TRUE(RectIs(LastSelection, Rect(0, 0, 200, 150)));
        EXPECT_TRUE(RectIs(Selection, Rect(0, 0, 200, 150)));
        EXPECT_TRUE(form->chkSelectTool->Checked());
    }
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(RegionWindow, TheItemsCarryTheirCaptions) {
    for (TMenuItem* item : {form->mnuRegion1, form->mnuRegion2})
        EXPECT_EQ(item->text().toStdString(), "&Marquee");
    for (TMenuItem* item : {form->mnuSelectall, form->mnuSelectall1})
        EXPECT_EQ(item->text().toStdString(), "Select &all");
    for (TMenuItem* item : {form->mnuPreset, form->mnuPreset1, form->mnuCopyGrid1, form->mnuCopyGrid2,
                            form->mnuPasteGrid1, form->mnuPasteGrid2}) {
        EXPECT_EQ(item->text().toStdString(), "&Grid");
        EXPECT_FALSE(item->property("Pending").toBool()) << item->objectName().toStdString();
    }
    EXPECT_EQ(form->btnHandTool->toolTip().toStdString(), "Hand srolling tool");
    EXPECT_EQ(form->btnSelectTool->toolTip().toStdString(), "Selection marquee tool");
}

// ---- Grid presets

TEST_F(RegionWindow, AGridCellIsSelectedToThePicturesEdge) {
    ShowPicture(200, 150);
    AnswerGrid(4, 3, 3, 2);
    form->mnuPreset->trigger();
    // Cells of 50 x 50: the last one ends at 199, 149 and is widened to the edges.
    EXPECT_TRUE(RectIs(LastSelection, Rect(150, 100, 200, 150)));
    EXPECT_EQ(GridPresetIndex, 3);
    EXPECT_EQ(form->mnuPreset->Tag, 4);
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_TRUE(form->chkSelectTool->Checked());
    // The next grid starts from the preset chosen.
    QueueModalAction([](QDialog& dialog) {
        auto& d = static_cast<TQuadDlg&>(dialog);
        EXPECT_EQ(d.BoxCols->currentIndex(), 3);
        EXPECT_EQ(d.BoxRows->currentIndex(), 2);
        d.SelectGrid->setCurrentCell(0, 0);
        d.btnOK->click();
    });
    form->mnuPreset1->trigger();
    EXPECT_TRUE(RectIs(LastSelection, Rect(0, 0, 50, 50)));
}

TEST_F(RegionWindow, GridPresetsRefuseASmallPicture) {
    ShowPicture(63, 200);
    Selection = LastSelection = Rect(1, 2, 3, 4);
    std::string text;
    QueueMessage(text);
    form->mnuPreset->trigger();
    EXPECT_EQ(text, "64x64 image (minimum) required to use this feature.");
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_TRUE(RectIs(LastSelection, Rect(1, 2, 3, 4)));
}

TEST_F(RegionWindow, ACancelledGridChangesNothing) {
    ShowPicture(200, 150);
    Selection = LastSelection = Rect(1, 2, 30, 40);
    AnswerGrid(5, 5, 1, 1, true);
    form->mnuPreset->trigger();
    EXPECT_TRUE(RectIs(LastSelection, Rect(1, 2, 30, 40)));
    EXPECT_TRUE(RectIs(Selection, Rect(1, 2, 30, 40)));
    EXPECT_EQ(GridPresetIndex, 2);
    EXPECT_EQ(form->mnuPreset->Tag, 2);
    EXPECT_FALSE(SelectionShown);
}

TEST_F(RegionWindow, CopyGridCopiesTheCell) {
    ShowPicture(200, 150);
    AnswerGrid(2, 2, 1, 1);
    form->mnuCopyGrid1->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.width(), 100);
    ASSERT_EQ(copied.height(), 75);
    EXPECT_EQ(copied.pixelColor(50, 40), QColor(40, 80, 120));
    EXPECT_TRUE(FitWindow);
}

// ---- Showing a selection

TEST_F(RegionWindow, EveryWayOfShowingASelectionEnablesTheItemsAndDrawsTheFrame) {
    ShowPicture(400, 300);
    const struct {
        const char* name;
        std::function<void()> show;
    } ways[] = {
        {"marquee",
         [this] {
             TDialogStart start;
             AnswerMarqueeWith(start, 40, 30, 120, 90);
             form->mnuRegion2->trigger();
         }},
        {"select all", [this] { form->mnuSelectall->trigger(); }},
        {"grid", [this] {
             AnswerGrid(2, 2, 0, 1);
             form->mnuPreset1->trigger();
         }},
        {"restore", [this] {
             LastSelection = Rect(100, 60, 300, 200);
             form->RestoreSelection();
         }},
        {"copy selection's rectangle", [this] {
             Selection = Rect(20, 20, 220, 120);
             ScreenSelection = Rect(0, 0, 10, 10);
             form->mnuRegion1Click(form->mnuCopyMask, false);
         }},
        {"mouse", [this] {
             form->chkSelectToolClick(form);
             Drag(30, 40, 150, 120);
         }},
    };
    const QColor background(40, 80, 120);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        form->chkHandToolClick(form);
        for (const char* name : chrome::SelectionItems())
            ASSERT_FALSE(form->ChromeEnabled(name)) << name;
        way.show();
        QCoreApplication::processEvents();
        for (const char* name : chrome::SelectionItems())
            EXPECT_TRUE(form->ChromeEnabled(name)) << name;
        const TRect r = ExpectedScreenRect();
        EXPECT_TRUE(RectIs(ScreenSelection, r));
        EXPECT_EQ(SelectionFrame()->geometry(), QRect(r.Left, r.Top, r.Width(), r.Height()));
        // The dotted frame inverts picture pixels along its edges and nothing
        // inside or outside it.
        const QImage shown = form->Daz95->grab().toImage();
        int framed = 0;
        for (int x = r.Left; x < r.Right; ++x)
            framed += shown.pixelColor(x, r.Top) != background;
        EXPECT_GT(framed, r.Width() / 4);
        EXPECT_EQ(shown.pixelColor((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), background);
        if (r.Top > 0) {
            EXPECT_EQ(shown.pixelColor((r.Left + r.Right) / 2, r.Top - 1), background);
        }
        if (r.Right < shown.width()) {
            EXPECT_EQ(shown.pixelColor(r.Right, (r.Top + r.Bottom) / 2), background);
        }
    }
}

// ---- The side bar's buttons

TEST_F(RegionWindow, TheHandButtonLeavesFitMode) {
    ShowPicture(400, 300);
    form->chkSelectToolClick(form);
    form->btnHandTool->click();
    EXPECT_TRUE(form->chkHandTool->Checked());
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(ZoomPercent, 100);
}

TEST_F(RegionWindow, TheSelectButtonOpensTheMarqueeWhenTheToolIsOn) {
    ShowPicture(200, 150);
    form->chkHandToolClick(form);
    form->btnSelectTool->click();
    EXPECT_TRUE(form->chkSelectTool->Checked());
    EXPECT_EQ(UnansweredModalRuns(), 0);
    TDialogStart start;
    AnswerMarquee(start, [](TResizeForm& d) { d.btnOk->click(); });
    form->btnSelectTool->click();
    EXPECT_TRUE(start.Shown);
    EXPECT_TRUE(SelectionShown);
}

// ---- The zoom tool

TEST_F(RegionWindow, ASmallMarqueeZoomsTo100PercentAroundTheClick) {
    ShowPicture(1200, 900);
    form->btnZoomToolClick(form->btnZoomTool);
    ASSERT_TRUE(FitWindow);
    ASSERT_TRUE(form->chkZoomTool->Checked());
    const int shownWidth = form->Daz95->width(), shownHeight = form->Daz95->height();
    Drag(200, 150, 216, 166);
    form->Daz95Click(form->Daz95);
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(ZoomPercent, 100);
    const TPoint at = regiongeo::ClickInPicture(200, 150, 1200, 900, shownWidth, shownHeight);
    const QWidget* area = form->ScrollBox->viewport();
    EXPECT_EQ(form->ScrollBox->horizontalScrollBar()->value(), regiongeo::CentredScrollPosition(at.X, area->width()));
    EXPECT_EQ(form->ScrollBox->verticalScrollBar()->value(), regiongeo::CentredScrollPosition(at.Y, area->height()));
    EXPECT_TRUE(SelectionZoomed);
    EXPECT_EQ(form->ZoomToolTag, 1);
    EXPECT_TRUE(form->chkZoomTool->Checked());
    EXPECT_FALSE(ZoomToolBusy);
    // A second click goes back to fit mode.
    form->Daz95Click(form->Daz95);
    EXPECT_TRUE(FitWindow);
    EXPECT_EQ(form->ZoomToolTag, 0);
    EXPECT_TRUE(form->chkZoomTool->Checked());
}

TEST_F(RegionWindow, ALargerMarqueeZoomsToItsRegion) {
    ShowPicture(1200, 900);
    form->btnZoomToolClick(form->btnZoomTool);
    const TRect expected = viewgeo::ScreenToPicture(Rect(100, 80, 217, 197), true, ZoomPercent, form->Daz95->width(),
                                                    form->Daz95->height(), 1200, 900);
    Drag(100, 80, 217, 197);
    form->Daz95Click(form->Daz95);
    EXPECT_FALSE(FitWindow);
    EXPECT_TRUE(RectIs(ZoomRegion, expected));
    EXPECT_EQ(ZoomPercent,
              viewgeo::RegionZoom(form->ViewWidth(), form->ViewHeight(), expected.Width(), expected.Height()));
    EXPECT_EQ(form->ScrollBox->horizontalScrollBar()->value(),
              viewgeo::RegionScrollPosition(expected.Left, ZoomPercent, 24));
    EXPECT_FALSE(SelectionFrame()->isVisible());
    EXPECT_TRUE(SelectionZoomed);
    EXPECT_EQ(form->ZoomToolTag, 1);
}

TEST_F(RegionWindow, AClickOnThePictureRunsTheZoomTool) {
    ShowPicture(1200, 900);
    form->btnZoomToolClick(form->btnZoomTool);
    QTest::mouseClick(form->Daz95, Qt::LeftButton, {}, QPoint(100, 100));
    QCoreApplication::processEvents();
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(ZoomPercent, 100);
    EXPECT_EQ(form->ZoomToolTag, 1);
}

TEST_F(RegionWindow, TheZoomToolWaitsForShowsMediaAndLongRuns) {
    ShowPicture(1200, 900);
    form->btnZoomToolClick(form->btnZoomTool);
    const struct {
        const char* name;
        std::function<void(bool)> set;
    } guards[] = {
        {"show", [](bool on) { SlideshowRunning = on; }},
        {"media", [](bool on) { MediaMode = on; }},
        {"busy", [](bool on) { IsBusy = on ? 1 : 0; }},
        {"tool off", [this](bool on) { form->chkZoomTool->SetChecked(!on); }},
    };
    for (const auto& guard : guards) {
        SCOPED_TRACE(guard.name);
        guard.set(true);
        form->Daz95Click(form->Daz95);
        guard.set(false);
        EXPECT_TRUE(FitWindow);
        EXPECT_EQ(form->ZoomToolTag, 0);
    }
}

// ---- The mouse over the window and the scroll box

TEST_F(RegionWindow, ReleasesOverTheWindowEndAPauseOrInterrupt) {
    ShowPicture(400, 40);
    const QPoint free = FreeViewportPoint();
    QTest::mouseClick(form->ScrollBox->viewport(), Qt::LeftButton, {}, free);
    EXPECT_TRUE(UserInterrupt);
    EXPECT_FALSE(RightButtonReleased);
    UserInterrupt = false;
    const TPause pause = PauseEndedBy([this, free] {
        QTest::mouseClick(form->ScrollBox->viewport(), Qt::RightButton, {}, free);
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    EXPECT_EQ(pause.Result, 0);
    EXPECT_LT(pause.Elapsed, 3000);
    EXPECT_FALSE(RightButtonReleased);
    EXPECT_FALSE(UserInterrupt);
    // A release before the pause ends it at once.
    form->FormMouseUp(form, mbRight, 0, 5, 5);
    EXPECT_TRUE(RightButtonReleased);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(form->Wait(5000), 0);
    EXPECT_LT(clock.elapsed(), 2500);  // not waited out: under half the pause, a loaded machine's margin
    EXPECT_FALSE(RightButtonReleased);
}

TEST_F(RegionWindow, ARightReleaseOnThePictureCountsOnlyDuringAShow) {
    ShowPicture(200, 150);
    form->Daz95MouseUp(form->Daz95, mbRight, 0, 5, 5);
    EXPECT_FALSE(RightButtonReleased);
    SlideshowRunning = true;
    form->Daz95MouseUp(form->Daz95, mbRight, 0, 5, 5);
    EXPECT_TRUE(RightButtonReleased);
    EXPECT_FALSE(UserInterrupt);
    EXPECT_FALSE(DisplayChanged);
}

TEST_F(RegionWindow, ADoubleClickOnTheScrollBoxOpensTheExplorer) {
    ShowPicture(400, 40);
    xplr8900::FileForm->hide();
    QTest::mouseDClick(form->ScrollBox->viewport(), Qt::LeftButton, {}, FreeViewportPoint());
    EXPECT_TRUE(form->ExplorerTimer->Enabled());
    QElapsedTimer clock;
    clock.start();
    while (!xplr8900::FileForm->isVisible() && clock.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_TRUE(xplr8900::FileForm->isVisible());
    EXPECT_FALSE(form->ExplorerTimer->Enabled());
}

// ---- The tools' cursors

TEST_F(RegionWindow, TheToolsShowTheirOwnCursors) {
    for (TCursor index : {HandCursor, SelectCursor, TargetCursor, ZoomRegionCursor, ZoomDnCursor}) {
        const QCursor cursor = Screen.Cursors(index);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << index;
        EXPECT_FALSE(cursor.pixmap().isNull()) << index;
    }
    EXPECT_EQ(Screen.Cursors(ZoomRegionCursor).hotSpot(), QPoint(12, 12));
    ShowPicture(1200, 900);
    form->chkSelectToolClick(form);
    EXPECT_EQ(form->Daz95->cursor().pixmap().cacheKey(), Screen.Cursors(SelectCursor).pixmap().cacheKey());
    form->btnZoomToolClick(form->btnZoomTool);
    EXPECT_EQ(form->Daz95->cursor().pixmap().cacheKey(), Screen.Cursors(ZoomRegionCursor).pixmap().cacheKey());
    // Zoomed in, the zoom tool's cursor turns to zooming out.
    QTest::mouseClick(form->Daz95, Qt::LeftButton, {}, QPoint(100, 100));
    form->Daz95MouseMove(form->Daz95, 0, 120, 120);
    EXPECT_EQ(form->Daz95->cursor().pixmap().cacheKey(), Screen.Cursors(ZoomDnCursor).pixmap().cacheKey());
}
