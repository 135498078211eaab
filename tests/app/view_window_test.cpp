// The image window's view driven offscreen: zoom buttons and the zoom dialog,
// whole pixels at 300 %, fitting, full screen and back, the selection drawn
// with the mouse, and the slide-show pauses.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "album/show8900.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/ComCtrls.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/vardlg_w.h"

#include <atomic>
#include <fstream>
#include <thread>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

class ViewWindow : public lumvor::test::ShownWindowTest {
protected:
    // Shows a width x height picture of the given depth as the editing commands
    // leave one.
    void ShowPicture(int width, int height, TPixelFormat format = pf24bit) {
        TBitmap picture;
        picture.SetPixelFormat(format);
        picture.SetSize(width, height);
        form->Daz95->SetBitmap(&picture);
        ImageLoaded = true;
        form->ProcessDone();
        QCoreApplication::processEvents();
    }
    void Zoom(int percent) {
        if (FitWindow)
            form->mnuFitWindowClick(form);
        ZoomPercent = percent;
        form->ApplyZoom();
        QCoreApplication::processEvents();
    }
    void Drag(int x0, int y0, int x1, int y1, TShiftState shift = 0) {
        form->Daz95MouseDown(form->Daz95, mbLeft, shift, x0, y0);
        form->Daz95MouseMove(form->Daz95, shift, x1, y1);
        form->Daz95MouseUp(form->Daz95, mbLeft, shift, x1, y1);
    }
    QWidget* SelectionFrame() { return form->Daz95->findChild<QWidget*>("SelectionFrame"); }

};

bool SameRect(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

TEST_F(ViewWindow, ZoomButtonsLeaveFitAndStopAtTheLimits) {
    ShowPicture(200, 100);
    form->btnZoomUp->click();
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(ZoomPercent, 125);
    EXPECT_EQ(form->ZoomPanelText, "125%");
    EXPECT_EQ(form->ZoomBar->Position(), 125);
    EXPECT_EQ(form->Daz95->size(), QSize(250, 125));
    ZoomPercent = 775;
    form->btnZoomUp->click();
    form->btnZoomUp->click();
    EXPECT_EQ(ZoomPercent, 800);
    EXPECT_EQ(form->Daz95->size(), QSize(1600, 800));
    ZoomPercent = 50;
    form->btnZoomDn->click();
    form->btnZoomDn->click();
    EXPECT_EQ(ZoomPercent, 25);
    EXPECT_EQ(form->Daz95->size(), QSize(50, 25));
}

TEST_F(ViewWindow, ZoomDialogRoundsDownAndCancelChangesNothing) {
    ShowPicture(200, 100);
    form->mnuFitWindowClick(form);
    ASSERT_FALSE(FitWindow);
    QueueModalAction([](QDialog& d) {
        auto& dialog = static_cast<TVariableDlg&>(d);
        EXPECT_EQ(vardlg_w::Mode, 400);
        EXPECT_EQ(vardlg_w::Value, 100);
        dialog.UserTrackBar->SetPosition(137);
        dialog.btnOK->click();
    });
    form->mnuZoomClick(form);
    EXPECT_EQ(ZoomPercent, 125);
    EXPECT_EQ(form->Daz95->width(), 250);
    QueueModalResult(mrCancel);
    form->mnuZoomClick(form);
    EXPECT_EQ(ZoomPercent, 125);
}

TEST_F(ViewWindow, At300PercentTheViewShowsWholePixels) {
    ShowPicture(701, 523);
    Zoom(200);
    form->ScrollBox->horizontalScrollBar()->setValue(301);
    form->ScrollBox->verticalScrollBar()->setValue(155);
    Zoom(300);
    const QWidget* viewport = form->ScrollBox->viewport();
    EXPECT_EQ(form->Daz95->size(), QSize(2103, 1569));
    EXPECT_EQ(viewport->width() % 3, 0) << viewport->width();
    EXPECT_EQ(viewport->height() % 3, 0) << viewport->height();
    const int h = form->ScrollBox->horizontalScrollBar()->value();
    const int v = form->ScrollBox->verticalScrollBar()->value();
    EXPECT_EQ(h % 3, 0) << h;
    EXPECT_EQ(v % 3, 0) << v;
    EXPECT_GT(h, 0);
    EXPECT_GT(v, 0);
    EXPECT_TRUE(HandAvailable);
    // The kept share of the range: 301 of 1402 is 21 %, 21 % of 2103 is 441.
    EXPECT_EQ(h, 441);
}

TEST_F(ViewWindow, FitDoesNotEnlargeUnlessUpsampling) {
    ShowPicture(100, 50);
    const TRect view = form->ViewRect();
    EXPECT_EQ(form->Daz95->size(), QSize(100, 50));
    EXPECT_EQ(form->Daz95->pos(), QPoint((view.Width() - 100) / 2, (view.Height() - 50) / 2));
    form->chkUpsampling->SetChecked(true);
    form->ResizeImage();
    TSize expected;
    FitSizeInBox(100, 50, view.Width(), view.Height(), expected);
    EXPECT_EQ(form->Daz95->size(), QSize(expected.cx, expected.cy));
    // A slide show never enlarges.
    SlideshowRunning = true;
    form->ResizeImage();
    SlideshowRunning = false;
    EXPECT_EQ(form->Daz95->size(), QSize(100, 50));
    // Larger than the view: reduced into it.
    ShowPicture(3000, 200);
    EXPECT_EQ(form->Daz95->width(), view.Width());
}

TEST_F(ViewWindow, ZoomToolSwitchesAZoomedPictureToFit) {
    const std::string name = ProgramFolder() + "shown.bmp";
    std::ofstream(name) << "x";
    FileName = name;
    ShowPicture(200, 100);
    Zoom(200);
    ASSERT_FALSE(FitWindow);
    form->btnZoomToolClick(form);
    EXPECT_TRUE(FitWindow);
    EXPECT_TRUE(SelectMode);
    EXPECT_EQ(form->ViewTool, TWebForm::TViewTool::Zoom);
    // The hand tool ends the selection mode.
    form->chkHandToolClick(form);
    EXPECT_FALSE(SelectMode);
    EXPECT_EQ(form->ViewTool, TWebForm::TViewTool::Hand);
}

TEST_F(ViewWindow, FullScreenAndBackRestoreTheWindowAndBars) {
    MaxFullScreen = true;
    FullScreenMenus = false;
    ShowPicture(300, 200);
    const QPoint beforePos = form->pos();
    const QSize beforeSize = form->size();
    const bool tool = form->PanelTool->isVisible(), history = form->PanelHistory->isVisible(),
               side = form->PanelSide->isVisible(), status = form->StatusBar->isVisible();
    ASSERT_TRUE(tool && history && side && status);
    form->mnuFullScrnClick(form);
    EXPECT_TRUE(FullScreen);
    EXPECT_FALSE(WindowFrameFree);
    EXPECT_EQ(form->geometry(), QRect(0, 0, ScreenWidth - 1, ScreenHeight - 1));
    EXPECT_FALSE(form->PanelTool->isVisible());
    EXPECT_FALSE(form->PanelHistory->isVisible());
    EXPECT_FALSE(form->PanelSide->isVisible());
    EXPECT_FALSE(form->StatusBar->isVisible());
    EXPECT_FALSE(form->TopMenuItems[0]->menuAction()->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(SameRect(form->SavedBounds, Rect(20, 30, 660, 510)));

    form->mnuFullScrnClick(form);
    EXPECT_FALSE(FullScreen);
    EXPECT_TRUE(WindowFrameFree);
    EXPECT_EQ(form->pos(), beforePos);
    EXPECT_EQ(form->size(), beforeSize);
    EXPECT_EQ(form->PanelTool->isVisible(), tool);
    EXPECT_EQ(form->PanelHistory->isVisible(), history);
    EXPECT_EQ(form->PanelSide->isVisible(), side);
    EXPECT_EQ(form->StatusBar->isVisible(), status);
    EXPECT_TRUE(form->TopMenuItems[0]->menuAction()->isVisible());
    EXPECT_FALSE(ViewSwitching);
}

TEST_F(ViewWindow, FullScreenWithoutMaxKeepsTheBarsButTheStatusBar) {
    ShowPicture(300, 200);
    form->mnuFullScrnClick(form);
    EXPECT_TRUE(form->PanelTool->isVisible());
    EXPECT_FALSE(form->StatusBar->isVisible());
    EXPECT_FALSE(form->mnuStatusbarV->isEnabled());
    form->LeaveFullScreen();
    EXPECT_TRUE(form->StatusBar->isVisible());
    EXPECT_TRUE(form->mnuStatusbarV->isEnabled());
}

TEST_F(ViewWindow, SmallSavedBoundsGiveHalfTheScreen) {
    // Stored bounds applied at start (no file named on the command line).
    ViewerSettingsLoaded = ExplorerSettingsLoaded = true;
    PreviousFileName = "*";
    form->SavedBounds = Rect(10, 10, 60, 300);
    form->FitSavedBounds();
    EXPECT_EQ(form->pos(), QPoint(10, 10));
    EXPECT_EQ(form->size(), QSize(ScreenWidth / 2, ScreenHeight / 2));
    form->SavedBounds = Rect(-30, 10, 270, 310);
    form->FitSavedBounds();
    EXPECT_EQ(form->pos(), QPoint(0, 10));
    EXPECT_EQ(form->size(), QSize(270, 300));
    // Without stored bounds the window's own bounds are fitted.
    ViewerSettingsLoaded = false;
    form->move(ScreenWidth - 100, 10);
    form->resize(300, 300);
    form->FitSavedBounds();
    EXPECT_EQ(form->pos(), QPoint(ScreenWidth - 300, 10));
    ViewerSettingsLoaded = ExplorerSettingsLoaded = false;
}

TEST_F(ViewWindow, ResizingAMinimisedSlideShowRestoresAndInterrupts) {
    ShowPicture(300, 200);
    SlideshowRunning = true;
    form->setWindowState(Qt::WindowMinimized);
    form->FormResize();
    SlideshowRunning = false;
    EXPECT_TRUE(UserInterrupt);
    EXPECT_FALSE(form->isMinimized());
}

TEST_F(ViewWindow, SelectionAt300PercentSnapsToMultiplesOf3) {
    ShowPicture(200, 150);
    Zoom(300);
    form->chkSelectToolClick(form);
    ASSERT_TRUE(SelectMode);
    form->Daz95MouseDown(form->Daz95, mbLeft, 0, 10, 11);
    EXPECT_EQ(DragOrigin.X, 9);
    EXPECT_EQ(DragOrigin.Y, 9);
    form->Daz95MouseMove(form->Daz95, 0, 50, 40);
    EXPECT_TRUE(SameRect(ScreenSelection, Rect(9, 9, 48, 39)));
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_EQ(SelectionFrame()->geometry(), QRect(9, 9, 39, 30));
    EXPECT_TRUE(SelectionFrame()->isVisible());
    // Dragging up and left of the origin normalises the rectangle.
    form->Daz95MouseMove(form->Daz95, 0, 2, 1);
    EXPECT_TRUE(SameRect(ScreenSelection, Rect(0, 0, 9, 9)));
    form->Daz95MouseMove(form->Daz95, 0, 50, 40);
    form->Daz95MouseUp(form->Daz95, mbLeft, 0, 50, 40);
    EXPECT_TRUE(SameRect(LastSelection, Rect(3, 3, 16, 13)));
    EXPECT_TRUE(SameRect(Selection, LastSelection));
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_TRUE(UserInterrupt);
}

TEST_F(ViewWindow, LowDepthPicturesSnapTheMovingCornerTo8) {
    const struct {
        TPixelFormat format;
        int downX;
    } cases[] = {{pf1bit, 8}, {pf4bit, 12}};
    for (const auto& c : cases) {
        ShowPicture(200, 150, c.format);
        Zoom(300);
        form->chkSelectToolClick(form);
        form->Daz95MouseDown(form->Daz95, mbLeft, 0, 13, 13);
        EXPECT_EQ(DragOrigin.X, c.downX);
        form->Daz95MouseMove(form->Daz95, 0, 47, 39);
        EXPECT_EQ(ScreenSelection.Right, 40);
        EXPECT_EQ(ScreenSelection.Bottom, 32);
        form->Daz95MouseUp(form->Daz95, mbLeft, 0, 47, 39);
        form->chkHandToolClick(form);
    }
}

TEST_F(ViewWindow, AClickWithoutDragSelectsNothing) {
    ShowPicture(200, 150);
    Zoom(100);
    form->chkSelectToolClick(form);
    Drag(20, 20, 40, 40);
    const TRect kept = Selection;
    Drag(60, 60, 62, 61);
    EXPECT_FALSE(SelectionDrawn);
    EXPECT_FALSE(SelectionFrame()->isVisible());
    EXPECT_TRUE(SameRect(Selection, kept));
}

TEST_F(ViewWindow, CtrlMoveKeepsTheSizeInsideThePicture) {
    ShowPicture(200, 150);
    Zoom(100);
    form->chkSelectToolClick(form);
    Drag(10, 10, 50, 40);
    ASSERT_TRUE(SameRect(Selection, Rect(10, 10, 50, 40)));
    // Moved near the bottom edge: pushed up so that it stays inside.
    Drag(100, 140, 106, 146, ssCtrl);
    EXPECT_TRUE(SameRect(Selection, Rect(100, 120, 140, 150)));
    EXPECT_TRUE(SelectMode);
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_TRUE(SameRect(ScreenSelection, Rect(100, 120, 140, 150)));
    // Inside the picture it moves as it is.
    Drag(30, 40, 36, 46, ssCtrl);
    EXPECT_TRUE(SameRect(Selection, Rect(30, 40, 70, 70)));
}

TEST_F(ViewWindow, ARightClickEndsAPauseWithoutStoppingTheShow) {
    ShowPicture(200, 150);
    SlideshowRunning = true;
    RightButtonReleased = false;
    const TPause pause =
        PauseEndedBy([this] { QTest::mouseClick(form->Daz95, Qt::RightButton, {}, QPoint(5, 5)); });
    EXPECT_EQ(pause.Result, 0);
    EXPECT_LT(pause.Elapsed, 3000);
    // The release ended the pause; the pause used the flag up.
    EXPECT_FALSE(RightButtonReleased);
    EXPECT_FALSE(UserInterrupt);
    SlideshowRunning = false;
}

TEST_F(ViewWindow, WaitAnswersAtOnceWhenInterrupted) {
    UserInterrupt = true;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(form->Wait(5000), -1);
    EXPECT_LT(clock.elapsed(), 2500);  // not waited out: under half the pause, a loaded machine's margin
    UserInterrupt = false;
    clock.restart();
    EXPECT_EQ(form->Wait(60), 0);
    EXPECT_GE(clock.elapsed(), 60);
}

TEST(ViewPauses, EffectWaitAnswersTheFlagFromBeforeItsSleep) {
    UserInterrupt = true;
    EXPECT_TRUE(TWebForm::EffectWait(0, 0, 5000));
    UserInterrupt = false;
    std::thread interrupt([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        UserInterrupt = true;
    });
    EXPECT_FALSE(TWebForm::EffectWait(0, 0, 200));
    interrupt.join();
    EXPECT_TRUE(UserInterrupt);
    UserInterrupt = false;
}

TEST_F(ViewWindow, BlankPictureIsAFittedUntitledPicture) {
    form->NewBlankImage(true);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(ImageWidth, 32);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(ImageLoaded);
    EXPECT_FALSE(ImageChanged);
    EXPECT_EQ(form->Daz95->size(), QSize(32, 32));
}
