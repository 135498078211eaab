// Video and sound files in the image window, played for real through Qt
// Multimedia's GStreamer backend (headless: the audio sink falls back to a
// fake one that runs in real time). Lengths and sizes are compared with
// soxi and gst-discoverer.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include "app/ViewGeometry.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"

#include <cmath>
#include <functional>
#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

std::string ToolOutput(const QString& program, const QStringList& arguments) {
    QProcess tool;
    tool.start(program, arguments);
    tool.waitForFinished(20000);
    return tool.readAllStandardOutput().toStdString();
}

using test::WaitFor;

class Media : public lumvor::test::ShownWindowTest {
protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        MediaAutoPlay = false;
        MediaMaxFullScreen = true;
        MediaShowControls = MediaShowPositionBar = MediaShowStatusBar = true;
        WindowedView = false;
        VideoWidth = VideoHeight = 0;
        MediaOpenWait = 5000;
    }
    void TearDown() override {
        if (MediaMode)
            form->AV_UI(false);
        MediaBackendCheck = nullptr;
        MediaAutoPlay = true;
        MediaOpenWait = 2000;
        WindowedView = false;
        ShownWindowTest::TearDown();
    }
    void Open(const std::string& fixture, const std::string& name) {
        FileName = test::CopyToHome(fixture, name);
        FileExt = UpperCase(ExtractFileExt(FileName));
        form->BtnOpenEx(form);
    }
    // Answers the next message box and keeps its text.
    void QueueMessage(std::string* text) {
        QueueModalAction([text](QDialog& d) {
            if (auto* label = d.findChild<QLabel*>("Message"))
                *text = label->text().toStdString();
            d.done(mrOk);
        });
    }
    bool ZoomAndFitEnabled() const {
        bool all = form->ZoomBar->isEnabled();
        for (const char* name : {"btnFitWindow", "mnuFitWindow", "mnuFitWindow1", "btnZoomUp", "btnZoomDn"})
            all = all && form->ChromeEnabled(name);
        return all;
    }
    bool ZoomAndFitDisabled() const {
        bool none = !form->ZoomBar->isEnabled();
        for (const char* name : {"btnFitWindow", "mnuFitWindow", "mnuFitWindow1", "btnZoomUp", "btnZoomDn"})
            none = none && !form->ChromeEnabled(name);
        return none;
    }
};

}  // namespace

TEST_F(Media, SoundOpensWithoutPictureCommands) {
    Open("media/tone.wav", "media/tone.wav");
    ASSERT_TRUE(MediaMode);
    ASSERT_NE(form->ViewerPlayer, nullptr);
    EXPECT_FALSE(form->Daz95->isVisible());
    EXPECT_TRUE(form->ViewerPlayer->isVisible());
    EXPECT_EQ(ViewerOpenState, MediaOpenOpen);
    EXPECT_EQ(VideoHeight, 0);
    EXPECT_TRUE(ZoomAndFitDisabled());
    const double soxLength = std::stod(ToolOutput("soxi", {"-D", QString::fromStdString(FileName)}));
    EXPECT_NEAR(MediaDuration, soxLength, 0.05);
    EXPECT_EQ(ImageHistoryList[ImageHistoryIndex], FileName);
    EXPECT_NE(form->windowTitle().toStdString().find("tone.wav"), std::string::npos);
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(Media, VideoReportsItsSizeAndTheWindowIsSizedForIt) {
    WindowedView = true;
    if (FitWindow)
        form->mnuFitWindowClick(form);
    Open("media/clip.avi", "media/clip.avi");
    ASSERT_TRUE(MediaMode);
    ASSERT_EQ(ViewerOpenState, MediaOpenOpen);
    const std::string discovered = ToolOutput("gst-discoverer-1.0", {QString::fromStdString(FileName)});
    const QRegularExpressionMatch width = QRegularExpression("Width: (\\d+)").match(QString::fromStdString(discovered));
    const QRegularExpressionMatch height = QRegularExpression("Height: (\\d+)").match(QString::fromStdString(discovered));
    const QRegularExpressionMatch length =
        QRegularExpression("Duration: (\\d+):(\\d+):([\\d.]+)").match(QString::fromStdString(discovered));
    ASSERT_TRUE(width.hasMatch() && height.hasMatch() && length.hasMatch()) << discovered;
    EXPECT_EQ(VideoWidth, width.captured(1).toInt());
    EXPECT_EQ(VideoHeight, height.captured(1).toInt());
    const double seconds = length.captured(1).toDouble() * 3600 + length.captured(2).toDouble() * 60 +
                           length.captured(3).toDouble();
    EXPECT_NEAR(MediaDuration, seconds, 0.05);
    EXPECT_TRUE(ZoomAndFitEnabled());
    // Optimised for 320 x 240 at its default size: the video's height, the
    // frame, the player's bars and the window's shown panels.
    QCoreApplication::processEvents();
    const int bars = viewgeo::MediaBarsHeight(true, true, true, MediaControlBarHeight, MediaPositionBarHeight,
                                              MediaStatusBarHeight);
    EXPECT_EQ(form->height(), 240 + (form->height() - form->ClientHeight()) + bars + form->PanelsHeight());
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

// The player knows the file only after the open stopped waiting: the open
// event does the sizing and the enabling then.
TEST_F(Media, ALateOpenStillSizesAndEnables) {
    WindowedView = true;
    if (FitWindow)
        form->mnuFitWindowClick(form);
    form->resize(900, 700);
    MediaOpenWait = 0;
    Open("media/clip.avi", "media/late.avi");
    ASSERT_TRUE(MediaMode);
    EXPECT_TRUE(form->MediaOpenPending);
    ASSERT_TRUE(WaitFor([] { return ViewerOpenState == MediaOpenOpen; }, 15000));
    QCoreApplication::processEvents();
    EXPECT_EQ(VideoWidth, 320);
    EXPECT_TRUE(ZoomAndFitEnabled());
    const int bars = viewgeo::MediaBarsHeight(true, true, true, MediaControlBarHeight, MediaPositionBarHeight,
                                              MediaStatusBarHeight);
    EXPECT_EQ(form->height(), 240 + (form->height() - form->ClientHeight()) + bars + form->PanelsHeight());
}

TEST_F(Media, AutoPlayLoopsAndWithoutItPlaysOnceOnRequest) {
    MediaAutoPlay = true;
    Open("media/clip.avi", "media/loop.avi");
    ASSERT_TRUE(MediaMode);
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    WaitFor([] { return false; }, 2500);
    EXPECT_EQ(ViewerPlayState, MediaPlaying);
    EXPECT_EQ(form->ViewerPlayer->PlayCount(), MediaPlayForever);
    form->AV_UI(false);

    MediaAutoPlay = false;
    Open("media/clip.avi", "media/once.avi");
    ASSERT_TRUE(MediaMode);
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(ViewerPlayState, MediaStopped);
    EXPECT_EQ(form->ViewerPlayer->PlayCount(), 1);
    form->ViewerPlayer->Play();
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaStopped; }, 15000));
}

TEST_F(Media, ASecondFileReusesThePlayer) {
    Open("media/tone.wav", "media/first.wav");
    ASSERT_TRUE(MediaMode);
    TMediaPlayer* player = form->ViewerPlayer;
    const int base = PlayerBaseHeight;
    PlayerBaseHeight = -1;  // a second measuring would overwrite it
    Open("media/clip.avi", "media/second.avi");
    EXPECT_EQ(form->ViewerPlayer, player);
    EXPECT_EQ(PlayerBaseHeight, -1);
    EXPECT_EQ(VideoWidth, 320);
    EXPECT_EQ(player->FileName(), FileName);
    PlayerBaseHeight = base;
}

TEST_F(Media, BarsFollowTheOptionsAndHideInMaxFullScreen) {
    for (const bool status : {false, true})
        for (const bool tracker : {false, true}) {
            MediaShowStatusBar = status;
            MediaShowPositionBar = tracker;
            MediaShowControls = !tracker;
            Open("media/tone.wav", "media/bars.wav");
            ASSERT_TRUE(MediaMode);
            EXPECT_EQ(form->ViewerPlayer->ShowStatusBar(), status);
            EXPECT_EQ(form->ViewerPlayer->ShowTracker(), tracker);
            EXPECT_EQ(form->ViewerPlayer->ShowControls(), !tracker);
            form->AV_UI(false);
        }
    EXPECT_GT(MediaStatusBarHeight, 0);
    EXPECT_GT(MediaControlBarHeight, 0);
    EXPECT_GT(MediaPositionBarHeight, 0);
    // Full screen with Max Full screen: no bar at all.
    MediaShowStatusBar = MediaShowPositionBar = MediaShowControls = true;
    form->mnuFullScrnClick(form->mnuFullscrn);
    ASSERT_TRUE(FullScreen);
    Open("media/tone.wav", "media/full.wav");
    ASSERT_TRUE(MediaMode);
    EXPECT_FALSE(form->ViewerPlayer->ShowStatusBar());
    EXPECT_FALSE(form->ViewerPlayer->ShowTracker());
    EXPECT_FALSE(form->ViewerPlayer->ShowControls());
    // The measured heights go into the record at close.
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    form->WriteViewerSettings(registry);
    EXPECT_EQ(ViewerControls.Int(vc::MediaControlHeight), MediaControlBarHeight);
    EXPECT_EQ(ViewerControls.Int(vc::MediaStatusHeight), MediaStatusBarHeight);
    EXPECT_EQ(ViewerControls.Int(vc::MediaPositionHeight), MediaPositionBarHeight);
}

TEST_F(Media, FailuresLeaveThePictureMode) {
    FileName = ProgramFolder() + "media/noise.avi";
    QDir().mkpath(QString::fromStdString(ProgramFolder() + "media"));
    {
        QFile noise(QString::fromStdString(FileName));
        ASSERT_TRUE(noise.open(QIODevice::WriteOnly));
        for (int i = 0; i < 4096; ++i)
            noise.putChar(char((i * 7919 + 13) % 251));
    }
    FileExt = ".AVI";
    std::string text;
    QueueMessage(&text);
    form->BtnOpenEx(form);
    EXPECT_EQ(text, "Corrupt file or unsupported video format.\nYou may need to install updated codecs.");
    EXPECT_FALSE(MediaMode);
    EXPECT_EQ(form->ViewerPlayer, nullptr);
    EXPECT_TRUE(form->Daz95->isVisible());

    MediaBackendCheck = [] { return false; };
    text.clear();
    QueueMessage(&text);
    Open("media/tone.wav", "media/nobackend.wav");
    EXPECT_EQ(text, "GStreamer multimedia components not installed.\nSee FAQ for free download (upgrade) details.");
    EXPECT_FALSE(MediaMode);
    EXPECT_TRUE(form->Daz95->isVisible());
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(Media, SwitchingModesEnablesAndClosingRestoresThePicture) {
    ViewerControls.SetFlag(vc::StatusBar, true);
    Open("media/tone.wav", "media/switch.wav");
    ASSERT_TRUE(MediaMode);
    for (QWidget* tool : std::initializer_list<QWidget*>{form->btnHandTool, form->btnSelectTool, form->btnZoomTool})
        EXPECT_FALSE(tool->isEnabled()) << tool->objectName().toStdString();
    EXPECT_FALSE(form->mnuEditV->isEnabled());
    EXPECT_FALSE(form->StatusBar->isVisible());
    form->ViewTool = TWebForm::TViewTool::Select;
    form->AV_UI(false);
    EXPECT_FALSE(MediaMode);
    EXPECT_EQ(form->ViewerPlayer, nullptr);
    EXPECT_TRUE(form->ScrollBox->isVisible());
    EXPECT_TRUE(form->StatusBar->isVisible());
    EXPECT_EQ(form->ViewTool, TWebForm::TViewTool::Hand);
    // A picture opens normally after the media.
    Open("media/tone.wav", "media/switch.wav");
    ASSERT_TRUE(MediaMode);
    FileName = test::CopyToHome("jpeg/view_480x360.jpg", "media/after.jpg");
    FileExt = ".JPG";
    form->BtnOpenEx(form);
    EXPECT_FALSE(MediaMode);
    EXPECT_EQ(form->ViewerPlayer, nullptr);
    EXPECT_TRUE(form->Daz95->isVisible());
    EXPECT_EQ(ImageWidth, 480);
    for (QWidget* tool : std::initializer_list<QWidget*>{form->btnHandTool, form->btnSelectTool, form->btnZoomTool})
        EXPECT_TRUE(tool->isEnabled()) << tool->objectName().toStdString();
    EXPECT_TRUE(form->mnuEditV->isEnabled());
}

TEST_F(Media, RightClickOnThePlayerPopsUpTheMenu) {
    Open("media/clip.avi", "media/menu.avi");
    ASSERT_TRUE(MediaMode);
    auto* area = form->ViewerPlayer->findChild<QWidget*>("MediaArea");
    ASSERT_NE(area, nullptr);
    QTest::mousePress(area, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(form->MainMenuTag, 1);
    EXPECT_TRUE(form->MainMenu->isVisible());
    form->MainMenu->hide();
}

TEST_F(Media, TheSlideShowPlayerIsMadeOnceAndPlaysToTheEnd) {
    form->CreateSlideshowPlayer();
    TMediaPlayer* player = form->SlideshowPlayer;
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(SlideshowPlayerCreated);
    EXPECT_EQ(player->width(), 1);
    EXPECT_EQ(player->height(), 1);
    EXPECT_FALSE(player->isVisible());
    form->CreateSlideshowPlayer();
    EXPECT_EQ(form->SlideshowPlayer, player);
    PlayerState = 6;
    player->SetFileName(test::CopyToHome("media/tone.wav", "media/slide.wav"));
    ASSERT_TRUE(WaitFor([] { return SlideshowOpenState == MediaOpenOpen; }, 15000));
    EXPECT_NEAR(SlideMediaDuration, 0.5, 0.05);
    player->Play();
    EXPECT_TRUE(WaitFor([] { return PlayerState == MediaPlaying; }, 15000));
    EXPECT_TRUE(WaitFor([] { return PlayerState == MediaStopped; }, 15000));
    SlideshowPlayerCreated = false;
}

TEST_F(Media, FullScreenMakesThePlayerAgainAndPlaysOn) {
    MediaAutoPlay = true;
    Open("media/clip.avi", "media/full.avi");
    ASSERT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    WaitFor([] { return false; }, 400);
    form->ViewerPlayer->SetDisplaySize(MediaSizeDouble);
    const double position = form->ViewerPlayer->CurrentPosition();
    form->mnuFullScrnClick(form->mnuFullscrn);
    ASSERT_TRUE(FullScreen);
    ASSERT_TRUE(MediaMode);
    ASSERT_NE(form->ViewerPlayer, nullptr);
    EXPECT_EQ(form->ViewerPlayer->DisplaySize(), MediaSizeDouble);
    EXPECT_GE(form->ViewerPlayer->CurrentPosition(), position - 0.2);
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
}

TEST(MediaVolume, StoredVolumeToLinear) {
    EXPECT_NEAR(MediaLinearVolume(1000), 1.0, 1e-9);
    EXPECT_NEAR(MediaLinearVolume(500), 0.45, 0.005);
    EXPECT_NEAR(MediaLinearVolume(100), std::pow(10.0, 1000.0 * std::log(0.1) / 2000.0), 1e-9);
    EXPECT_EQ(MediaLinearVolume(0), 0.0);
}
