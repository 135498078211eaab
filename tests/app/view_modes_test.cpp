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
#include <QCheckBox>
#include <QTest>
#include <QToolBar>
#include <QComboBox>

#include "app/ViewGeometry.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "support/case_names.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/ExTrackBar.h"
#include "ui/vardlg_w.h"
#include "ui/voMsgBox.h"
#include "platform/Clipbrd.h"
#include "platform/PixelBuffer.h"
#include "processing/tonal/ColorMaps.h"

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
    test::CaseNames<&PlaceCase::name>);

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
    // A picture of the given depth: indexed depths carry a palette of
    // distinct colours (no grey ramp), so a lost palette shows.
    static std::shared_ptr<TPixelBuffer> Pattern(int depth, int width, int height) {
        auto pixels = std::make_shared<TPixelBuffer>(width, height, depth);
        if (depth <= 8) {
            const int colours = 1 << depth;
            pixels->ColorTable.resize(colours);
            for (int i = 0; i < colours; ++i)
                pixels->ColorTable[i] = (uint32_t((i * 37 + 11) % 256) << 16 | uint32_t(255 - i) << 8 |
                                             uint32_t((i * 91 + 200) % 256));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels->SetIndex(x, y, uint32_t(x * 7 + y * 3 + x / 5) % colours);
        } else {
            for (int y = 0; y < height; ++y) {
                uint8_t* row = pixels->ScanLine(y);
                for (int x = 0; x < width; ++x) {
                    row[3 * x] = uint8_t((x + y) % 256);
                    row[3 * x + 1] = uint8_t(y % 256);
                    row[3 * x + 2] = uint8_t(x % 256);
                }
            }
        }
        return pixels;
    }
    void ShowPattern(int depth, int width, int height) {
        TBitmap picture;
        picture.SetHandle(Pattern(depth, width, height));
        form->Daz95->SetBitmap(&picture);
        ImageLoaded = true;
        form->ProcessDone();
        QCoreApplication::processEvents();
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

// At each depth and at 100 % and 200 %, scrolled: the clipboard holds the
// part on screen, in the picture's own colours (its palette carried along).
TEST_F(ViewModes, CopyViewportAtEachDepthAndZoom) {
    QImage copied;
    ClipboardImageWriter = [&copied](const QImage& image) { copied = image; };
    for (const int depth : {1, 4, 8, 24}) {
        for (const int zoom : {100, 200}) {
            SCOPED_TRACE(testing::Message() << depth << " bits at " << zoom << " %");
            ShowPattern(depth, 1000, 800);
            if (FitWindow)
                form->mnuFitWindowClick(form);
            ZoomPercent = zoom;
            form->ApplyZoom();
            QCoreApplication::processEvents();
            form->ScrollBox->horizontalScrollBar()->setValue(zoom == 100 ? 333 : 250);
            form->ScrollBox->verticalScrollBar()->setValue(zoom == 100 ? 517 : 90);
            const int sx = form->ScrollBox->horizontalScrollBar()->value();
            const int sy = form->ScrollBox->verticalScrollBar()->value();
            ASSERT_GT(sx, 0);
            ASSERT_GT(sy, 0);
            copied = QImage();
            form->mnuCopyViewportClick(form->mnuCopyViewport);
            const TRect shown = ShownPictureRect(sx, sy, form->ScrollBox->viewport()->width(),
                                                 form->ScrollBox->viewport()->height(), zoom, 1000, 800);
            EXPECT_EQ(ImageBitCount, depth);
            EXPECT_EQ(LastSelection.Left, shown.Left);
            EXPECT_EQ(LastSelection.Top, shown.Top);
            EXPECT_EQ(LastSelection.Right, shown.Right);
            EXPECT_EQ(LastSelection.Bottom, shown.Bottom);
            EXPECT_EQ(Selection.Right, shown.Right);
            EXPECT_LE(shown.Bottom, 800);
            ASSERT_EQ(copied.width(), shown.Width());
            ASSERT_EQ(copied.height(), shown.Height());
            const TPixelBuffer& picture = *form->Daz95->Bitmap()->Handle();
            int wrong = 0;
            for (int y = 0; y < copied.height(); ++y)
                for (int x = 0; x < copied.width(); ++x)
                    wrong += (copied.pixel(x, y) & 0xFFFFFF) != picture.GetColor(shown.Left + x, shown.Top + y);
            EXPECT_EQ(wrong, 0);
        }
    }
    ClipboardImageWriter = nullptr;
}

// The status bar's first panel is plain text in full screen and drawn by the
// window (which notes the progress rectangle) again after it.
TEST_F(ViewModes, FullScreenMakesTheFirstStatusPanelPlainText) {
    ShowPicture(64, 48);
    form->mnuFullScrnClick(form->mnuFullscrn);
    QCoreApplication::processEvents();
    ASSERT_TRUE(FullScreen);
    EXPECT_FALSE(form->StatusPanelOwnerDrawn);
    ProgressRect = Rect(-1, -1, -1, -1);
    form->StatusText("Busy");
    (void)form->StatusPanels[0]->grab();
    EXPECT_EQ(ProgressRect.Left, -1);
    form->mnuFullScrnClick(form->mnuFullscrn);
    QCoreApplication::processEvents();
    ASSERT_FALSE(FullScreen);
    EXPECT_TRUE(form->StatusPanelOwnerDrawn);
    (void)form->StatusPanels[0]->grab();
    EXPECT_EQ(ProgressRect.Left, 0);
    EXPECT_GT(ProgressRect.Right, 0);
}

// With the side panel shown the client width and the picture area differ;
// the picture is fitted into the client width and the area's height.
TEST_F(ViewModes, AutoDownsampleFitsTheClientWidthAndIsNoEdit) {
    if (!form->PanelSide->isVisible())
        form->mnuSideBarVClick(form);
    form->resize(1000, 760);
    QCoreApplication::processEvents();
    ShowPattern(24, 3000, 1000);
    ASSERT_TRUE(ImageChanged);
    ASSERT_EQ(form->ClientWidth(), 1000);
    ASSERT_LT(form->ViewWidth(), 1000);
    ASSERT_GE(form->ViewHeight(), 334);
    form->mnuAutoDownsampleClick(form);
    EXPECT_EQ(ImageWidth, 1000);
    EXPECT_EQ(ImageHeight, 333);
    EXPECT_EQ(form->Daz95->Bitmap()->GetWidth(), 1000);
    EXPECT_FALSE(ImageChanged);
    // Media shown: nothing is resampled.
    MediaMode = true;
    form->resize(700, 760);
    form->mnuAutoDownsampleClick(form);
    MediaMode = false;
    EXPECT_EQ(ImageWidth, 1000);
}

// The screen bar puts the tool bar, without captions, into the path box's
// panel; the path box keeps at least 64 pixels. Off, the bar goes back.
TEST_F(ViewModes, ScreenBarMergesTheToolBarIntoThePathBoxPanel) {
    if (!form->PanelHistory->isVisible())
        form->mnuPathboxClick(form);
    form->mnuScreenBarClick(form);
    QCoreApplication::processEvents();
    EXPECT_TRUE(MergeToolbar);
    EXPECT_TRUE(ViewerControls.Flag(vc::MergeToolbar));
    EXPECT_EQ(form->Toolbar1->parentWidget(), form->PanelHistory);
    EXPECT_EQ(form->Toolbar1->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(form->PanelTool->isVisible());
    EXPECT_GE(form->History->geometry().left(), form->Toolbar1->geometry().right());
    form->resize(400, 480);
    QCoreApplication::processEvents();
    EXPECT_GE(form->History->width(), 64);
    form->mnuScreenBarClick(form);
    QCoreApplication::processEvents();
    EXPECT_FALSE(MergeToolbar);
    EXPECT_FALSE(ViewerControls.Flag(vc::MergeToolbar));
    EXPECT_EQ(form->Toolbar1->parentWidget(), form->PanelTool);
    EXPECT_EQ(form->Toolbar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_TRUE(form->PanelTool->isVisible());
    EXPECT_TRUE(ViewerControls.Flag(vc::ToolBar));
}

// Without Shift the sized window is only pulled back on screen; with Shift
// it is centred.
TEST_F(ViewModes, OptimizeWindowCentresWithShift) {
    ScreenWidth = 1280;
    ScreenHeight = 1024;
    ShowPicture(500, 300);
    if (FitWindow)
        form->mnuFitWindowClick(form);
    form->move(900, 100);
    QCoreApplication::processEvents();
    form->mnuOptimizeWindowClick(form->mnuOptimizeWindow);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->x() + form->width(), 1280);
    EXPECT_EQ(form->y(), 100);
    form->move(0, 0);
    QTest::keyPress(form->windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
    ASSERT_TRUE(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier));
    form->mnuOptimizeWindowClick(form->mnuOptimizeWindow);
    QTest::keyRelease(form->windowHandle(), Qt::Key_Shift, Qt::NoModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->x(), (1280 - form->width()) / 2);
    EXPECT_EQ(form->y(), (1024 - form->height()) / 2);
}

// The view gamma on a 4-bit picture: 24-bit afterwards with the gamma's
// table on every pixel, and Undo brings the 4-bit picture back.
TEST_F(ViewModes, ViewGammaPixelsAndUndo) {
    ShowPattern(4, 40, 30);
    FileName = "/no/such/g.bmp";
    ImageChanged = false;
    const TPixelBuffer before = *form->Daz95->Bitmap()->Handle();
    AnswerValue(150);
    form->mnuViewGammaClick(form->mnuViewGamma);
    ASSERT_EQ(ImageBitCount, 24);
    ClearMaps();
    SetGammaLUT(150, 1, true);
    const TColorMap curve = GreenMap;
    const TPixelBuffer& after = *form->Daz95->Bitmap()->Handle();
    ASSERT_EQ(after.Depth(), 24);
    int wrong = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t c = before.GetColor(x, y);
            const uint32_t want = uint32_t(curve[c >> 16 & 0xFF]) << 16 | uint32_t(curve[c >> 8 & 0xFF]) << 8 |
                                  curve[c & 0xFF];
            wrong += after.GetColor(x, y) != want;
        }
    EXPECT_EQ(wrong, 0);
    form->mnuUndoClick(form->mnuUndo);
    ASSERT_EQ(ImageBitCount, 4);
    const TPixelBuffer& undone = *form->Daz95->Bitmap()->Handle();
    EXPECT_EQ(undone.Depth(), 4);
    EXPECT_EQ(undone.ColorTable, before.ColorTable);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            wrong += undone.GetIndex(x, y) != before.GetIndex(x, y);
    EXPECT_EQ(wrong, 0);
}

// The wheel steps through the bookmarks; while a step runs a turn starts
// none of its own.
TEST_F(ViewModes, WheelStepsThroughTheBookmarks) {
    const std::string a = test::CopyToHome("jpeg/baseline_444.jpg", "wheel/a.jpg");
    const std::string b = test::CopyToHome("png/rgb8.png", "wheel/b.png");
    const std::string c = test::CopyToHome("jpeg/baseline_444.jpg", "wheel/c.jpg");
    ImageHistoryList.Clear();
    for (const std::string& name : {a, b, c})
        ImageHistoryList.Add(name);
    ImageHistoryIndex = 0;
    form->ScrollBoxMouseWheelDown(form->ScrollBox);
    EXPECT_EQ(ImageHistoryIndex, 1);
    EXPECT_EQ(FileName, b);
    form->ScrollBoxMouseWheelDown(form->ScrollBox);
    EXPECT_EQ(FileName, c);
    form->ScrollBoxMouseWheelUp(form->ScrollBox);
    EXPECT_EQ(FileName, b);
    form->ScrollBoxMouseWheelUp(form->ScrollBox);
    EXPECT_EQ(FileName, a);
    EXPECT_FALSE(WheelBusy);
    WheelBusy = true;
    form->ScrollBoxMouseWheelDown(form->ScrollBox);
    EXPECT_EQ(FileName, a);
    WheelBusy = false;
    // Wheel click 1 takes the shown picture off the list.
    ViewerControls.SetInt(vc::MiddleButton, 1);
    form->mnuBookmarkUnmark->Tag = 1;
    form->ScrollBoxMouseWheelClick(form->ScrollBox);
    EXPECT_EQ(ImageHistoryList.Count(), 2);
    EXPECT_EQ(ImageHistoryList.IndexOf(a), -1);
}

// Load Embedded shows the EXIF thumbnail; a JPEG without one says so, until
// the check box is ticked.
TEST_F(ViewModes, EmbeddedJpegReloadsAsItsThumbnail) {
    FileName = test::CopyToHome("jpeg/with_preview.jpg", "embedded/p.jpg");
    FileExt = ".JPG";
    form->BtnOpenEx(form);
    ASSERT_EQ(ImageWidth, 480);
    form->mnuEmbeddedClick(form->mnuEmbedded);
    EXPECT_EQ(ImageWidth, 160);
    EXPECT_EQ(ImageHeight, 120);
    EXPECT_FALSE(EmbeddedJPEGRequested);

    FileName = test::CopyToHome("jpeg/baseline_444.jpg", "embedded/plain.jpg");
    form->BtnOpenEx(form);
    std::string text;
    QueueModalAction([&text](QDialog& d) {
        if (auto* label = d.findChild<QLabel*>("Message"))
            text = label->text().toStdString();
        if (auto* check = d.findChild<QCheckBox*>("Checkbox"))
            check->setChecked(true);
        d.done(mrOk);
    });
    form->mnuEmbeddedClick(form->mnuEmbedded);
    EXPECT_EQ(text, "Embedded JPEG image not found.");
    EXPECT_EQ(form->mnuEmbedded->Tag, 1);
    // No message any more (a modal run would fail the strict check).
    form->mnuEmbeddedClick(form->mnuEmbedded);
    EXPECT_EQ(UnansweredModalRuns(), 0);
}
