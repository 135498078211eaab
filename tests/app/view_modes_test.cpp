// The View menu's sizing and viewing modes: the arithmetic of placing and
// sizing the window, zoom to region and the shown part as plain functions, and
// the commands driven through the window offscreen.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/ViewGeometry.h"
#include "app/ViewerSettings.h"
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/ExTrackBar.h"
#include "ui/vardlg_w.h"
#include "ui/voMsgBox.h"

#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::viewgeo;

namespace {

// ---- Placing

struct PlaceCase {
    const char* name;
    TRect window;
    int width, height;
    bool keepOnScreen, centre, minimisedOrHidden;
    TRect expected;
};

class Placing : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(Placing, GivesTheRectangle) {
    const PlaceCase& c = GetParam();
    const TRect r = PlacedWindow(c.window, c.width, c.height, 1280, 1024, c.keepOnScreen, c.centre,
                                 c.minimisedOrHidden);
    EXPECT_EQ(r.Left, c.expected.Left);
    EXPECT_EQ(r.Top, c.expected.Top);
    EXPECT_EQ(r.Right, c.expected.Right);
    EXPECT_EQ(r.Bottom, c.expected.Bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Window, Placing,
    ::testing::Values(PlaceCase{"Stays", Rect(100, 50, 500, 450), 600, 400, false, false, false, Rect(100, 50, 700, 450)},
                      PlaceCase{"PulledBackOnScreen", Rect(1000, 900, 1100, 1000), 600, 400, true, false, false,
                                Rect(680, 624, 1280, 1024)},
                      PlaceCase{"NotPulledWithoutWindowedView", Rect(1000, 900, 1100, 1000), 600, 400, false,
                                false, false, Rect(1000, 900, 1600, 1300)},
                      PlaceCase{"Centred", Rect(0, 0, 10, 10), 600, 400, true, true, false, Rect(340, 312, 940, 712)},
                      PlaceCase{"NegativeOriginBecomesZero", Rect(-30, -20, 10, 10), 600, 400, false, false, false,
                                Rect(0, 0, 600, 400)},
                      PlaceCase{"LargerThanScreenStartsAtZero", Rect(50, 50, 60, 60), 1400, 1100, true, false,
                                false, Rect(0, 0, 1400, 1100)},
                      PlaceCase{"MinimisedOrHiddenDoesNotMove", Rect(1000, 900, 1100, 1000), 600, 400, true, true,
                                true, Rect(1000, 900, 1100, 1000)}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// ---- Media sizing

TEST(MediaSizing, BarsHeightForEachCombination) {
    // Controls 30, tracker 20, status line 18; -2 when the status line is hidden.
    EXPECT_EQ(MediaBarsHeight(true, true, true, 30, 20, 18), 68);
    EXPECT_EQ(MediaBarsHeight(true, true, false, 30, 20, 18), 48);
    EXPECT_EQ(MediaBarsHeight(true, false, true, 30, 20, 18), 48);
    EXPECT_EQ(MediaBarsHeight(false, true, true, 30, 20, 18), 38);
    EXPECT_EQ(MediaBarsHeight(false, false, false, 30, 20, 18), -2);
}

TMediaSizing Media() {
    TMediaSizing m;
    m.VideoWidth = 320;
    m.VideoHeight = 240;
    m.ClientWidth = 640;
    m.PlayerHeight = 548;
    m.MinWidth = 300;
    m.FrameWidth = 8;
    m.NonClientHeight = 50;
    m.BarsHeight = 68;
    m.PanelsHeight = 40;
    m.ScreenWidth = 1280;
    m.ScreenHeight = 1024;
    return m;
}

TEST(MediaSizing, VideoFittedHalvedOrDoubled) {
    TMediaSizing m = Media();
    m.Fit = true;
    // 320 x 240 into 640 x 480: 640 x 480.
    TMediaWindowSize size = MediaWindowSize(m);
    EXPECT_EQ(size.Window.cx, 648);
    EXPECT_EQ(size.Window.cy, 480 + 50 + 68 + 40);
    m.Fit = false;
    m.DisplaySize = 1;
    size = MediaWindowSize(m);
    EXPECT_EQ(size.Video.cx, 160);
    EXPECT_EQ(size.Window.cx, 300);  // raised to the window's minimum width
    EXPECT_EQ(size.Window.cy, 120 + 50 + 68 + 40);
    m.DisplaySize = 2;
    size = MediaWindowSize(m);
    EXPECT_EQ(size.Window.cx, 648);
    EXPECT_EQ(size.Window.cy, 480 + 50 + 68 + 40);
    m.DisplaySize = 0;
    m.VideoWidth = 2000;
    m.VideoHeight = 1500;
    size = MediaWindowSize(m);
    EXPECT_EQ(size.Window.cx, 1280);
    EXPECT_EQ(size.Window.cy, 1024);
}

TEST(MediaSizing, SoundGivesFrameAndBarsAndClearsTheVideo) {
    TMediaSizing m = Media();
    m.AudioOnly = true;
    m.FullScreenDown = true;
    const TMediaWindowSize size = MediaWindowSize(m);
    EXPECT_EQ(size.Window.cx, 8);
    EXPECT_EQ(size.Window.cy, 50 + 68 + 40);
    EXPECT_EQ(size.Video.cx, 0);
    EXPECT_EQ(size.Video.cy, 0);
}

// ---- Zoom to region and the shown part

TEST(RegionZoom, LargestStepThatFitsBothWays) {
    EXPECT_EQ(RegionZoom(800, 600, 20, 10), 800);
    EXPECT_EQ(RegionZoom(800, 600, 300, 100), 250);
    EXPECT_EQ(RegionZoom(800, 600, 800, 100), 100);
    EXPECT_EQ(RegionZoom(800, 600, 100, 300), 200);
    EXPECT_EQ(RegionZoom(800, 600, 1000, 1000), 100);
}

TEST(RegionZoom, ScrollPositionsOnTheZoomGrid) {
    EXPECT_EQ(RegionScrollPosition(13, 300, 24), 39);
    EXPECT_EQ(RegionScrollPosition(13, 250, 24), 32);  // 32.5 -> 32, a multiple of 2
    EXPECT_EQ(RegionScrollPosition(13, 300, 4), 32);   // steps of 8 below 8 bits
    EXPECT_EQ(RegionScrollPosition(-5, 200, 24), 0);
}

TEST(ShownPart, ScrollAndClientDividedByTheZoomAndClipped) {
    TRect r = ShownPictureRect(30, 40, 200, 100, 100, 1000, 1000);
    EXPECT_EQ(r.Left, 30);
    EXPECT_EQ(r.Top, 40);
    EXPECT_EQ(r.Right, 230);
    EXPECT_EQ(r.Bottom, 140);
    r = ShownPictureRect(60, 80, 200, 100, 200, 1000, 1000);
    EXPECT_EQ(r.Left, 30);
    EXPECT_EQ(r.Top, 40);
    EXPECT_EQ(r.Right, 130);
    EXPECT_EQ(r.Bottom, 90);
    r = ShownPictureRect(0, 0, 640, 480, 100, 300, 200);
    EXPECT_EQ(r.Right, 300);
    EXPECT_EQ(r.Bottom, 200);
}

// ---- The window

class ViewModes : public lumvor::test::ShownWindowTest {
protected:
    void ShowPicture(int width, int height, TPixelFormat format = pf24bit) {
        TBitmap picture;
        picture.SetPixelFormat(format);
        picture.SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.Canvas().SetPixel(x, y, static_cast<TColor>(RGB(x % 256, y % 256, (x + y) % 256)));
        form->Daz95->SetBitmap(&picture);
        ImageLoaded = true;
        form->ProcessDone();
        QCoreApplication::processEvents();
    }
    // Answers the next value dialog with value (or cancels it).
    void AnswerValue(int value) {
        QueueModalAction([value](QDialog& d) {
            auto& dlg = static_cast<TVariableDlg&>(d);
            dlg.UserTrackBar->SetPosition(value);
            dlg.btnOK->click();
        });
    }
    void QueueMessage(int result, std::string* text = nullptr) {
        QueueModalAction([result, text](QDialog& d) {
            if (text)
                if (auto* label = d.findChild<QLabel*>("Message"))
                    *text = label->text().toStdString();
            d.done(result);
        });
    }
};

}  // namespace

TEST_F(ViewModes, ItemsCarryTheirCaptionsAndCommands) {
    EXPECT_EQ(form->mnuOptimizeWindow->text().toStdString(), "&Window");
    EXPECT_EQ(form->mnuAdjustViewport->text().toStdString(), "&Viewport");
    EXPECT_EQ(form->mnuScaleJPEG->text().toStdString(), "&Half JPEG  mode");
    EXPECT_EQ(form->mnuViewGamma->text().toStdString(), "&Gamma");
    EXPECT_EQ(form->chkUpsampling->text().toStdString(), "&Upsampled Fit");
    ASSERT_NE(form->mnuAspect->menu(), nullptr);
    EXPECT_EQ(form->mnuAspect->menu()->actions().size(), 6);
    EXPECT_EQ(form->JPEG1->menu()->actions().first(), form->mnuEmbedded);
    EXPECT_FALSE(form->chkExtendedDesktop->isVisible());
    form->chkExtendedDesktop->trigger();
    EXPECT_TRUE(form->chkExtendedDesktop->Checked());
}

TEST_F(ViewModes, OptimizeWindowFitsThePictureAndKeepsTheMenuWidth) {
    ScreenWidth = 1280;
    ScreenHeight = 1024;
    ShowPicture(120, 90);
    if (FitWindow)
        form->mnuFitWindowClick(form);
    form->mnuOptimizeWindowClick(form->mnuOptimizeWindow);
    QCoreApplication::processEvents();
    // The menu bar shows: never narrower than 54 menu characters, at least 361.
    EXPECT_GE(MenuMinWidth, 361);
    EXPECT_GE(form->width(), MenuMinWidth);
    const int panels = form->PanelsHeight();
    EXPECT_EQ(form->height(), (form->height() - form->ClientHeight()) + 90 + panels);
}

TEST_F(ViewModes, ZoomRegionUsesTheStoredRegionWithoutSelection) {
    ShowPicture(400, 300);
    if (FitWindow)
        form->mnuFitWindowClick(form);
    ZoomRegion = Rect(40, 30, 60, 40);
    SelectionDrawn = false;
    form->mnuZoomRegionClick(form->mnuZoomRegion);
    EXPECT_EQ(LastSelection.Left, 40);
    EXPECT_EQ(LastSelection.Right, 60);
    EXPECT_EQ(ZoomPercent, RegionZoom(form->ViewWidth(), form->ViewHeight(), 20, 10));
    EXPECT_EQ(ZoomRegion.Left, 40);
}

TEST_F(ViewModes, CopyViewportCopiesWhatIsShownAtTheZoom) {
    ShowPicture(1000, 800);
    if (FitWindow)
        form->mnuFitWindowClick(form);
    ZoomPercent = 200;
    form->ApplyZoom();
    QCoreApplication::processEvents();
    form->ScrollBox->horizontalScrollBar()->setValue(100);
    form->ScrollBox->verticalScrollBar()->setValue(60);
    const int sx = form->ScrollBox->horizontalScrollBar()->value();
    const int sy = form->ScrollBox->verticalScrollBar()->value();
    form->mnuCopyViewportClick(form->mnuCopyViewport);
    const TRect expected = ShownPictureRect(sx, sy, form->ScrollBox->viewport()->width(),
                                            form->ScrollBox->viewport()->height(), 200, 1000, 800);
    EXPECT_EQ(LastSelection.Left, expected.Left);
    EXPECT_EQ(LastSelection.Top, expected.Top);
    EXPECT_EQ(LastSelection.Right, expected.Right);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.width(), expected.Width());
    ASSERT_EQ(copied.height(), expected.Height());
    const QRgb first = copied.pixel(0, 0);
    EXPECT_EQ(qRed(first), expected.Left % 256);
    EXPECT_EQ(qGreen(first), expected.Top % 256);
}

TEST_F(ViewModes, UntitledIsRefusedByAspectAndGamma) {
    ShowPicture(64, 48);
    FileName = "Untitled";
    std::string text;
    QueueMessage(mrOk, &text);
    form->mnuAspectClick(form->mnuAspectTV);
    EXPECT_EQ(text, "Image is not linked to a filename. Setting cancelled.");
    EXPECT_EQ(form->mnuAspect->Tag, 1);
    text.clear();
    QueueMessage(mrOk, &text);
    form->mnuViewGammaClick(form->mnuViewGamma);
    EXPECT_EQ(text, "Image is not linked to a filename. Setting cancelled.");
    EXPECT_EQ(form->mnuViewGamma->Tag, 100);
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(ViewModes, AspectModesNotesAndQuestion) {
    ShowPicture(64, 48);
    FileName = test::CopyToHome("exif/comments_around_exif.jpg", "aspect/a.jpg");
    // The reload is the slide road's, tested with it.
    form->mnuReload->setEnabled(false);
    PageCount = 1;
    std::string question;
    // No restores mode 1.
    QueueMessage(mrNo, &question);
    form->mnuAspectClick(form->mnuAspectTV);
    EXPECT_NE(question.find("All images will be resized to 4:3 TV aspect."), std::string::npos);
    EXPECT_NE(question.find("DVD image captures"), std::string::npos);
    EXPECT_EQ(form->mnuAspect->Tag, 1);
    EXPECT_FALSE(AspectChanged);
    // Yes to All sets byte 148; the question does not come again.
    QueueMessage(mrYesToAll);
    form->mnuAspectClick(form->mnuAspectWide);
    EXPECT_EQ(form->mnuAspect->Tag, 9);
    EXPECT_TRUE(ViewerControls.Flag(vc::NoViewPrompts));
    EXPECT_TRUE(form->mnuAspectWide->Checked());
    form->mnuAspectClick(form->mnuAspectWidth);
    EXPECT_EQ(form->mnuAspect->Tag, 100);
    EXPECT_EQ(form->AspectNote, "resized to fit viewer window width only.");
    // Cancelling the custom ratio: "unchanged." and AspectChanged cleared.
    QueueModalAction([](QDialog& d) { static_cast<TVariableDlg&>(d).btnCancel->click(); });
    form->mnuAspectClick(form->mnuAspectCustom);
    EXPECT_EQ(form->AspectNote, "unchanged.");
    EXPECT_FALSE(AspectChanged);
    // A custom ratio is kept at byte 156 and in the item.
    AnswerValue(1500);
    form->mnuAspectClick(form->mnuAspectCustom);
    EXPECT_EQ(form->mnuAspect->Tag, 8);
    EXPECT_EQ(ViewerControls.Int(vc::AspectCustom), 1500);
    EXPECT_EQ(form->mnuAspectCustom->Tag, 1500);
    // Several pages refuse.
    PageCount = 3;
    std::string refusal;
    QueueMessage(mrOk, &refusal);
    form->mnuAspectClick(form->mnuAspectTV);
    EXPECT_EQ(refusal, "Multipage documents cannot use this feature.");
    EXPECT_EQ(form->mnuAspect->Tag, 1);
    PageCount = 1;
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(ViewModes, JpegScaleZeroTurnsOffAndKeepsTheValue) {
    ViewerControls.SetInt(vc::JpegScale, 67);
    form->mnuReload->setEnabled(false);
    AnswerValue(0);
    form->mnuScaleJPEGClick(form->mnuScaleJPEG);
    EXPECT_FALSE(JPEGScaleOn);
    EXPECT_FALSE(form->mnuScaleJPEG->Checked());
    EXPECT_EQ(ViewerControls.Int(vc::JpegScale), 67);
    EXPECT_FALSE(ViewerControls.Flag(vc::ScaleJPEG));
    AnswerValue(50);
    form->mnuScaleJPEGClick(form->mnuScaleJPEG);
    EXPECT_TRUE(JPEGScaleOn);
    EXPECT_EQ(ViewerControls.Int(vc::JpegScale), 50);
    EXPECT_TRUE(ViewerControls.Flag(vc::ScaleJPEG));
    EXPECT_TRUE(form->mnuScaleJPEG->Checked());
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(ViewModes, ViewGammaIsStoredCheckedAndApplied) {
    ShowPicture(8, 8);
    FileName = "/no/such/g.jpg";
    ImageBitCount = 4;
    AnswerValue(150);
    form->mnuViewGammaClick(form->mnuViewGamma);
    EXPECT_EQ(ViewerControls.Int(vc::ViewGamma), 150);
    EXPECT_EQ(form->mnuViewGamma->Tag, 150);
    EXPECT_TRUE(form->mnuViewGamma->Checked());
    EXPECT_EQ(ImageBitCount, 24);
    AnswerValue(100);
    form->mnuViewGammaClick(form->mnuViewGamma);
    EXPECT_FALSE(form->mnuViewGamma->Checked());
}

TEST_F(ViewModes, WheelClickActions) {
    ShowPicture(32, 32);
    ViewerControls.SetInt(vc::MiddleButton, 3);
    const bool fit = FitWindow;
    form->ScrollBoxMouseWheelClick(form->ScrollBox);
    EXPECT_NE(FitWindow, fit);
    ViewerControls.SetInt(vc::MiddleButton, 4);
    if (FitWindow)
        form->ScrollBoxMouseWheelClick(form->ScrollBox);
    ASSERT_FALSE(FitWindow);
    form->ScrollBoxMouseWheelClick(form->ScrollBox);
    EXPECT_TRUE(FitWindow);
    EXPECT_EQ(form->ViewTool, TWebForm::TViewTool::Select);
    ViewerControls.SetInt(vc::MiddleButton, 7);
    form->ScrollBoxMouseWheelClick(form->ScrollBox);
    EXPECT_TRUE(FitWindow);
    // 2 puts the file in the trash, with its information.
    FileName = test::CopyToHome("exif/comments_around_exif.jpg", "wheel/gone.jpg");
    ViewerControls.SetInt(vc::MiddleButton, 2);
    form->ScrollBoxMouseWheelClick(form->ScrollBox);
    EXPECT_FALSE(FileExists(ProgramFolder() + "wheel/gone.jpg"));
    const std::string info = std::string(getenv("XDG_DATA_HOME")) + "/Trash/info/";
    EXPECT_TRUE(QDir(QString::fromStdString(info)).entryList({"gone*.trashinfo"}).size() >= 1);
}
