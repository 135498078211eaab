// Script slide shows: the slides of an AVL script played from the RUN slide,
// moved files found again, nested scripts, positions, comments and waits,
// CD-track, sound, text and video slides, the album's remote control, the
// lock a second start checks, and the starts from a drop and the dialogs.
// The handler runs on the virtual clock with fake players unless said.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>

#include "album/show8900.h"
#include "app/Cdaudio_w.h"
#include "app/ShowClock.h"
#include "app/ShowPlayers.h"
#include "app/ShowScript.h"
#include "state/ViewerSettings.h"
#include "app/mci_audio_w.h"
#include "app/remote_w.h"
#include "app/show_test_tools.h"
#include "app/view_window_fixture.h"
#include "imaging/AvlScript.h"
#include "platform/Atoms.h"
#include "platform/MediaPlayer.h"
#include "platform/Registry.h"
#include "support/case_names.h"
#include "support/idle_wait.h"
#include "ui/OpenDialogPlus.h"

#include <string>
#include <utility>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

const std::string CDTrack(30, '-');

void SaveText(const std::string& path, const std::string& text) {
    QDir().mkpath(QString::fromStdString(ExtractFilePath(path)));
    QFile out(QString::fromStdString(path));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.data(), qint64(text.size()));
}

// A script: its folders and one block of key lines per slide.
std::string SaveScript(const std::string& path, const std::vector<std::string>& folders,
                       const std::vector<std::string>& slides, int run = 1) {
    std::string text = "[Header]\nN=" + std::to_string(slides.size() + 1) + "\nRUN=" + std::to_string(run) +
                       "\n[Directory]\n";
    for (size_t i = 0; i < folders.size(); ++i) text += std::to_string(i) + "=" + folders[i] + "\n";
    for (size_t i = 0; i < slides.size(); ++i) text += "[" + std::to_string(i + 1) + "]\n" + slides[i] + "\n";
    SaveText(path, text);
    return path;
}

// What the fake players were asked.
struct TPlayerLog {
    std::vector<int> CDTracks;
    bool CDOpen = false;
    std::vector<std::pair<std::string, int>> Sounds;
    std::vector<std::string> Media;
    std::vector<TRect> Bounds;
    int Stops = 0;
    int VideoWidth = 0, VideoHeight = 0;  // what the fake media player finds
    int64_t Length = 2000;                // how long it plays, in virtual milliseconds
};

class ScriptShowTest : public test::ShownWindowTest {
protected:
    void SetUp() override {
        test::ShownWindowTest::SetUp();
        test::StartShowTest(clock);
        AutoSizeVideo = false;
        AvlStartMode = false;
        show8900::AlbumSlideshow = false;
        ShowVolumeRoots = [] { return std::vector<std::string>{}; };
        folder = ProgramFolder() + "show/";
        InstallFakes();
    }
    void TearDown() override {
        SetShowClock(nullptr);
        SetShowPlayers(nullptr);
        ShowVolumeRoots = nullptr;
        show8900::AlbumSlideshow = false;
        AvlStartMode = false;
        PlayerState = 0;
        test::ShownWindowTest::TearDown();
    }
    void InstallFakes() {
        players.CDActive = [this] { return log.CDOpen; };
        players.CloseCD = [this] { log.CDOpen = false; };
        players.OpenCD = [this](int track) {
            log.CDTracks.push_back(track);
            log.CDOpen = true;
            return true;
        };
        players.SoundActive = [] { return false; };
        players.CloseSound = [] {};
        players.OpenSound = [this](const std::string& file, int flag) {
            log.Sounds.emplace_back(file, flag);
            return true;
        };
        players.OpenMedia = [this](TWebForm&, const std::string& file) {
            log.Media.push_back(file);
            VideoWidth = log.VideoWidth;
            VideoHeight = log.VideoHeight;
            return true;
        };
        players.PlaceMedia = [this](TWebForm&, const TRect& bounds, bool visible) {
            if (visible)
                log.Bounds.push_back(bounds);
        };
        players.PlayMedia = [this](TWebForm&) {
            PlayerState = MediaPlaying;
            clock.At(clock.Now + log.Length, [] {
                if (PlayerState == MediaPlaying)
                    PlayerState = MediaStopped;
            });
        };
        players.StopMedia = [this](TWebForm&) {
            ++log.Stops;
            PlayerState = MediaStopped;
        };
        SetShowPlayers(&players);
    }
    // A picture slide in the show's folder.
    std::string Picture(const std::string& name, int size = 64, TColor colour = clRed) {
        test::SaveSlidePicture(folder + name, size, size, colour);
        return "F=" + name + ",0";
    }
    void Play(const std::string& script) {
        SlideFileName = script;
        form->mnuHistorySlideshowClick(form->mnuHistorySlideshow);
    }
    // Every caption the show gives the window, in order.
    void RecordCaptions() {
        QObject::connect(form, &QWidget::windowTitleChanged, form, [this](const QString& title) {
            if (title.startsWith("Slide "))
                captions.push_back(title.toStdString());
        });
    }
    // Answers the next message box and keeps its text.
    void QueueMessage(std::string* text) {
        QueueModalAction([text](QDialog& d) {
            auto* label = d.findChild<QLabel*>("Message");
            *text = label ? label->text().toStdString() : std::string();
            d.done(mrOk);
        });
    }
    QImage Shown() const { return form->SlideSurface->grab().toImage(); }

    TVirtualShowClock clock;
    TShowPlayers players;
    TPlayerLog log;
    std::string folder;
    std::vector<std::string> captions;
};

// ---- Script mode

TEST_F(ScriptShowTest, StartsAtTheRunSlideAndWrapsRound) {
    std::vector<std::string> slides;
    for (int i = 1; i <= 5; ++i) slides.push_back(Picture("p" + std::to_string(i) + ".bmp") + "\nW=1");
    RecordCaptions();
    clock.At(5500, [] { UserInterrupt = true; });
    Play(SaveScript(folder + "run.avl", {folder}, slides, 3));
    std::vector<std::string> expected;
    for (int n : {3, 4, 5, 1, 2, 3})
        expected.push_back("Slide " + std::to_string(n) + " of 5 > p" + std::to_string(n) + ".bmp");
    EXPECT_EQ(captions, expected);
    EXPECT_FALSE(SlideshowRunning);
    EXPECT_EQ(ImageWidth, 32);  // a script show ends on a blank picture
}

struct TBadScriptCase {
    const char* Name;
    std::string Text;
};

class BadScriptTest : public ScriptShowTest, public ::testing::WithParamInterface<TBadScriptCase> {};

TEST_P(BadScriptTest, SaysBadAvlFileAndShowsNothing) {
    const std::string script = folder + "bad.avl";
    if (!GetParam().Text.empty())
        SaveText(script, GetParam().Text);
    Picture("a.bmp");
    AlwaysFullScreen = true;
    std::string message;
    QueueMessage(&message);
    Play(script);
    EXPECT_EQ(message, "Bad AVL file.");
    EXPECT_TRUE(clock.Pauses.empty());
    EXPECT_TRUE(form->PanelTool->isVisible());
    EXPECT_FALSE(FullScreen);
    EXPECT_EQ(GlobalFindAtom(AvlRunningAtom), 0);
    EXPECT_EQ(SlideDelay, 3000);
}

INSTANTIATE_TEST_SUITE_P(
    , BadScriptTest,
    ::testing::Values(
        TBadScriptCase{"DirectoryTwoAtIndexOne",
                       "[Header]\nN=3\n[Directory]\n0=/tmp/\n2=/tmp/\n[1]\nF=a.bmp,0\n[2]\nF=a.bmp,0\n"},
        TBadScriptCase{"NoFirstSlide", "[Header]\nN=3\n[Directory]\n0=/tmp/\n[2]\nF=a.bmp,0\n"},
        TBadScriptCase{"NoFile", ""}),
    test::CaseNames<&TBadScriptCase::Name>);

TEST_F(ScriptShowTest, MovedSlidesAreFoundAndTheirFolderIsCorrected) {
    const std::string volA = ProgramFolder() + "volA", volB = ProgramFolder() + "volB";
    ShowVolumeRoots = [=] { return std::vector<std::string>{volA, volB}; };
    // Slides 1 and 2 sit beside the script now; slide 3 moved to another volume.
    Picture("a.bmp");
    Picture("b.bmp");
    test::SaveSlidePicture(volB + "/pics/c.bmp", 64, 64, clBlue);
    const std::string gone = "/lumvor-no-such-folder/pics/";
    const std::string script = SaveScript(folder + "moved.avl", {gone, volA + "/pics/"},
                                          {"F=a.bmp,0\nW=1", "F=b.bmp,0\nW=1", "F=c.bmp,1\nW=1"});
    std::vector<std::string> folders, files;
    for (int64_t t : {500, 1500, 2500})
        clock.At(t, [&] {
            folders.push_back(SlideFolders[0]);
            files.push_back(FileName);
        });
    clock.At(2600, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_EQ(files, (std::vector<std::string>{folder + "a.bmp", folder + "b.bmp", volB + "/pics/c.bmp"}));
    EXPECT_EQ(folders[0], folder);  // corrected by the first slide, used by the second
    EXPECT_EQ(SlideFolders[1], volB + "/pics/");
}

TEST_F(ScriptShowTest, AMissingSlideEndsWithItsDetail) {
    const std::string script =
        SaveScript(folder + "missing.avl", {folder}, {Picture("a.bmp") + "\nW=1", "F=gone.bmp,0\nW=1",
                                                      Picture("c.bmp") + "\nW=1"});
    std::string warning;
    QueueMessage(&warning);
    Play(script);
    EXPECT_EQ(warning, "Missing or unsupported file in slideshow.\nPlease see FAQ to resolve this problem.\n"
                       "\nSlide 2 of 3\nFolder: " +
                           folder + "\nFilename: gone.bmp");
    EXPECT_EQ(GlobalFindAtom(AvlRunningAtom), 0);
}

TEST_F(ScriptShowTest, ASlideNamingAnotherScriptSwitchesToItWithoutRestoring) {
    const std::string other =
        SaveScript(folder + "other.avl", {folder}, {Picture("x.bmp") + "\nW=1", Picture("y.bmp") + "\nW=1"});
    const std::string script = SaveScript(folder + "main.avl", {folder},
                                          {Picture("a.bmp") + "\nW=1", "F=other.avl,0", Picture("b.bmp") + "\nW=1"});
    RecordCaptions();
    bool panelShown = true;
    clock.At(1500, [&] { panelShown = form->PanelTool->isVisible() || !SlideshowRunning; });
    clock.At(3500, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_EQ(captions, (std::vector<std::string>{"Slide 1 of 3 > a.bmp", "Slide 1 of 2 > x.bmp", "Slide 2 of 2 > y.bmp",
                                                  "Slide 1 of 2 > x.bmp"}));
    EXPECT_FALSE(panelShown);
    EXPECT_EQ(SlideFileName, other);
    EXPECT_TRUE(form->PanelTool->isVisible());
}

// ---- Script pictures and waits

struct TPositionCase {
    const char* Name;
    int Left, Top;
    bool Kept;
};

class ScriptPositionTest : public ScriptShowTest, public ::testing::WithParamInterface<TPositionCase> {};

TEST_P(ScriptPositionTest, IsKeptWhereThePictureFitsElseCentred) {
    const TPositionCase& c = GetParam();
    const std::string script = SaveScript(
        folder + "pos.avl", {folder},
        {Picture("a.bmp", 50) + "\nW=1\nP=" + std::to_string(c.Left) + "," + std::to_string(c.Top),
         Picture("b.bmp", 50) + "\nW=1"});
    QImage shown;
    clock.At(500, [&] {
        shown = Shown();
        UserInterrupt = true;
    });
    Play(script);
    ASSERT_FALSE(shown.isNull());
    const int x = c.Kept ? c.Left : (shown.width() - 50) / 2;
    const int y = c.Kept ? c.Top : (shown.height() - 50) / 2;
    EXPECT_EQ(shown.pixel(x + 1, y + 1) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.pixel(x + 48, y + 48) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NE(shown.pixel(x + 1, y - 1 < 0 ? y + 51 : y - 1) & 0xFFFFFF, 0xFF0000u);
}

INSTANTIATE_TEST_SUITE_P(, ScriptPositionTest,
                         ::testing::Values(TPositionCase{"Fits", 10, 20, true},
                                           TPositionCase{"CrossesTheRightEdge", 600, 20, false},
                                           TPositionCase{"CrossesTheBottom", 10, 440, false}),
                         test::CaseNames<&TPositionCase::Name>);

class ScriptCommentTest : public ScriptShowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ScriptCommentTest, IsDrawnInTheCaptionBand) {
    const bool atTop = GetParam();
    SlideTextPosition = atTop ? 1 : 0;
    const std::string script = SaveScript(folder + "comment.avl", {folder},
                                          {Picture("dark.bmp", 2000, clBlack) + "\nW=5\nS=Hello?world",
                                           Picture("b.bmp") + "\nW=1"});
    QImage shown;
    clock.At(3000, [&] {
        shown = Shown();
        UserInterrupt = true;
    });
    Play(script);
    ASSERT_FALSE(shown.isNull());
    const int bandTop = atTop ? 0 : shown.height() - 24;
    const int x = shown.width() / 2;
    EXPECT_NE(shown.pixel(x, bandTop) & 0xFFFFFF, 0u);
    EXPECT_NE(shown.pixel(x, bandTop + 23) & 0xFFFFFF, 0u);
    EXPECT_EQ(shown.pixel(x, atTop ? 24 : shown.height() - 25) & 0xFFFFFF, 0u);
    int dark = 0;
    for (int i = 0; i < shown.width(); ++i)
        if (qGray(shown.pixel(i, bandTop + 12)) < 128)
            ++dark;
    EXPECT_GT(dark, 0);
}

INSTANTIATE_TEST_SUITE_P(, ScriptCommentTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Top" : "Bottom"); });

struct TWaitCase {
    const char* Name;
    int Seconds;
    int Pause;
};

class ScriptWaitTest : public ScriptShowTest, public ::testing::WithParamInterface<TWaitCase> {};

TEST_P(ScriptWaitTest, IsTheSlidesOwnAndLeavesTheOptionAlone) {
    const std::string w = "\nW=" + std::to_string(GetParam().Seconds);
    const std::string script =
        SaveScript(folder + "wait.avl", {folder}, {Picture("a.bmp") + w, Picture("b.bmp") + w});
    clock.At(GetParam().Pause + 10, [] { UserInterrupt = true; });
    Play(script);
    ASSERT_FALSE(clock.Pauses.empty());
    EXPECT_EQ(clock.Pauses[0], GetParam().Pause);
    // The option and the record written at close keep the user's delay.
    EXPECT_EQ(SlideDelay, 3000);
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    form->WriteViewerSettings(registry);
    TViewerControls stored;
    ASSERT_TRUE(ReadSettingsRecord(registry, ViewerRecordName, stored));
    EXPECT_EQ(stored.Int(vc::SlideDelay), 3000);
}

INSTANTIATE_TEST_SUITE_P(, ScriptWaitTest,
                         ::testing::Values(TWaitCase{"ThreeSeconds", 3, 3000}, TWaitCase{"None", 0, 50},
                                           TWaitCase{"TenSeconds", 10, 10000}),
                         test::CaseNames<&TWaitCase::Name>);

// ---- Slide kinds

TEST_F(ScriptShowTest, ACDTrackSlideOpensThePlayerAtItsTrack) {
    const std::string script = SaveScript(folder + "cd.avl", {folder},
                                          {"F=" + CDTrack + "\nX=5\nW=2", Picture("a.bmp") + "\nW=1"});
    RecordCaptions();
    clock.At(2500, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_EQ(log.CDTracks, std::vector<int>{5});
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], "Slide 1 of 2 > " + CDTrack);
    EXPECT_EQ(clock.Pauses[0], 2000);
    EXPECT_FALSE(log.CDOpen);  // closed at the end of a script show
}

TEST_F(ScriptShowTest, WithoutACDDriveTheReportComesOncePerShow) {
    TShowPlayers real = RealShowPlayers();
    players.CDActive = real.CDActive;
    players.CloseCD = real.CloseCD;
    players.OpenCD = real.OpenCD;
    const std::vector<std::string> drives = Cdaudio_w::CDDevices;
    Cdaudio_w::CDDevices = {ProgramFolder() + "no-cd-drive"};
    const std::string cd = "F=" + CDTrack + "\nX=2\nW=1";
    const std::string script = SaveScript(folder + "cds.avl", {folder}, {cd, cd, cd});
    int reports = 0;
    std::string text;
    for (int i = 0; i < 3; ++i)
        QueueModalAction([&](QDialog& d) {
            ++reports;
            if (auto* label = d.findChild<QLabel*>("Message"))
                text = label->text().toStdString();
            d.done(mrOk);
        });
    clock.At(3500, [] { UserInterrupt = true; });
    Play(script);
    Cdaudio_w::CDDevices = drives;
    ClearModalAnswers();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(text, "No CD drive found.");
    EXPECT_EQ(std::vector<int>(clock.Pauses.begin(), clock.Pauses.begin() + 4),
              (std::vector<int>{1000, 1000, 1000, 1000}));
}

TEST_F(ScriptShowTest, AWaveSlideWithoutTheJukeboxGoesToTheSlideSoundPlayer) {
    const std::string wave = test::CopyToHome("media/tone.wav", "show/tone.wav");
    const std::string script =
        SaveScript(folder + "wave.avl", {folder}, {"F=tone.wav,0\nW=2", Picture("a.bmp") + "\nW=1"});
    clock.At(1000, [] { UserInterrupt = true; });
    Play(script);
    ASSERT_EQ(log.Sounds.size(), 1u);
    EXPECT_EQ(log.Sounds[0], std::make_pair(wave, 10000));
    EXPECT_TRUE(log.Media.empty());
    ASSERT_GE(clock.Pauses.size(), 2u);
    EXPECT_EQ(clock.Pauses[0], 333);
    EXPECT_EQ(clock.Pauses[1], 2000);
}

TEST_F(ScriptShowTest, ATextSlideIsShownForItsDelay) {
    SaveText(folder + "note.txt", "A line of the text slide\n");
    const std::string script =
        SaveScript(folder + "text.avl", {folder}, {"F=note.txt,0\nW=2", Picture("a.bmp") + "\nW=1"});
    bool shown = false;
    std::string text;
    clock.At(1000, [&] {
        shown = form->RichEdit->isVisible();
        text = form->RichEdit->toPlainText().toStdString();
    });
    clock.At(2500, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_TRUE(shown);
    EXPECT_EQ(text, "A line of the text slide\n");
    EXPECT_EQ(clock.Pauses[0], 2000);
    EXPECT_FALSE(form->RichEdit->isVisible());
}

TEST_F(ScriptShowTest, AVideoSlideIsSizedAndPlaysToItsEnd) {
    test::CopyToHome("media/clip.avi", "show/clip.avi");
    log.VideoWidth = 320;
    log.VideoHeight = 240;
    const std::string script =
        SaveScript(folder + "video.avl", {folder}, {"F=clip.avi,0\nZ=50", Picture("a.bmp") + "\nW=1"});
    RecordCaptions();
    int64_t pictureAt = -1;
    QObject::connect(form, &QWidget::windowTitleChanged, form, [&](const QString& title) {
        if (title.endsWith("a.bmp") && pictureAt < 0)
            pictureAt = clock.Now;
    });
    clock.At(2500, [] { UserInterrupt = true; });
    Play(script);
    TVideoSlide slide;
    slide.Width = form->SlideSurface->width();
    slide.Height = form->SlideSurface->height();
    slide.NaturalWidth = 320;
    slide.NaturalHeight = 240;
    slide.Script = true;
    slide.Zoom = 50;
    ASSERT_EQ(log.Bounds.size(), 1u);
    const TRect want = VideoSlideBounds(slide);
    EXPECT_EQ(std::vector<int>({log.Bounds[0].Left, log.Bounds[0].Top, log.Bounds[0].Right, log.Bounds[0].Bottom}),
              std::vector<int>({want.Left, want.Top, want.Right, want.Bottom}));
    EXPECT_EQ(pictureAt, 2000);  // the next slide once the video stopped
    EXPECT_EQ(log.Stops, 1);
}

TEST_F(ScriptShowTest, ASoundSlideWithoutTheJukeboxPlaysOnUnderTheNextSlides) {
    SaveText(folder + "tune.ogg", "not read by the fake player");
    log.Length = 10000;
    const std::string script = SaveScript(
        folder + "tune.avl", {folder}, {"F=tune.ogg,0", Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    std::vector<std::pair<std::string, int>> seen;
    for (int64_t t : {500, 1500})
        clock.At(t, [&] { seen.emplace_back(ExtractFileName(FileName), PlayerState); });
    clock.At(1600, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"a.bmp", MediaPlaying}, {"b.bmp", MediaPlaying}}));
    EXPECT_EQ(log.Stops, 0);
    EXPECT_TRUE(log.Bounds.empty());
}

// ---- Ends

TEST_F(ScriptShowTest, ACommandLineShowAsksTheProgramToQuit) {
    const std::string script =
        SaveScript(folder + "cmd.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    AvlStartMode = true;
    clock.At(500, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(AvlStartMode);
}

// The remote control's answers, worked on the dialog itself.
struct TRemoteSeen {
    int Min, Max, Value, PageStep, SingleStep;
};

TEST_F(ScriptShowTest, AnAlbumShowEndsInTheRemoteControl) {
    std::vector<std::string> slides;
    for (int i = 1; i <= 10; ++i) slides.push_back(Picture("s" + std::to_string(i) + ".bmp") + "\nW=1");
    const std::string script = SaveScript(folder + "album.avl", {folder}, slides);
    show8900::AlbumSlideshow = true;
    std::vector<TRemoteSeen> remotes;
    const auto see = [&](TRemoteDialog& d) {
        const QScrollBar& bar = *d.CustomScrollBar;
        remotes.push_back({bar.minimum(), bar.maximum(), bar.value(), bar.pageStep(), bar.singleStep()});
    };
    QueueModalAction([&](QDialog& d) {  // go to slide 4: it is shown alone
        auto& remote = static_cast<TRemoteDialog&>(d);
        see(remote);
        remote.CustomScrollBar->setValue(4);
        remote.BtnOKClick();
    });
    QueueModalAction([&](QDialog& d) {  // play on from the slide shown
        auto& remote = static_cast<TRemoteDialog&>(d);
        see(remote);
        remote.btnPlayClick();
        clock.At(clock.Now + 1500, [] { UserInterrupt = true; });
    });
    QueueModalAction([&](QDialog& d) {  // stop
        auto& remote = static_cast<TRemoteDialog&>(d);
        see(remote);
        remote.btnStopClick();
    });
    RecordCaptions();
    clock.At(2500, [] { UserInterrupt = true; });
    Play(script);
    std::vector<std::string> expected;
    for (int n : {1, 2, 3, 4, 5})
        expected.push_back("Slide " + std::to_string(n) + " of 10 > s" + std::to_string(n) + ".bmp");
    EXPECT_EQ(captions, expected);
    ASSERT_EQ(remotes.size(), 3u);
    EXPECT_EQ(remotes[0].Min, 1);
    EXPECT_EQ(remotes[0].Max, 10);
    EXPECT_EQ(remotes[0].Value, 3);
    EXPECT_EQ(remotes[0].PageStep, 2);
    EXPECT_EQ(remotes[0].SingleStep, 1);
    EXPECT_EQ(remotes[1].Value, 4);
    EXPECT_EQ(remotes[2].Value, 5);
    // Slides 1-3 waited; slide 4 alone did not; playing on waited slide 4 and 5.
    EXPECT_EQ(clock.Pauses, (std::vector<int>{1000, 1000, 1000, 1000, 1000, 333}));
    EXPECT_FALSE(show8900::AlbumSlideshow);
    const std::vector<std::string>& calls = xplr8900::FileForm->Calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "mnuSlideEditorXClick"), calls.end());
}

// ---- The lock a second start checks

TEST_F(ScriptShowTest, ASecondStartEndsAtOnceWhileAScriptShowPlays) {
    const std::string script =
        SaveScript(folder + "lock.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    bool held = false, ended = false;
    int exitCode = -1;
    clock.At(500, [&] {
        held = GlobalFindAtom(AvlRunningAtom) != 0;
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(env);
        second.start(LUMVOR_EXE, {});
        ended = second.waitForFinished(20000);
        exitCode = second.exitCode();
        if (!ended)
            second.kill();
        UserInterrupt = true;
    });
    Play(script);
    EXPECT_TRUE(held);
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(GlobalFindAtom(AvlRunningAtom), 0);
}

enum class TEndRoad { Stopped, Error, RestoreRaised };

class ScriptLockTest : public ScriptShowTest, public ::testing::WithParamInterface<TEndRoad> {};

TEST_P(ScriptLockTest, IsGivenBackOnEveryEnd) {
    const TEndRoad road = GetParam();
    const std::string second = road == TEndRoad::Error ? "F=gone.bmp,0\nW=1" : Picture("b.bmp") + "\nW=1";
    const std::string script = SaveScript(folder + "end.avl", {folder}, {Picture("a.bmp") + "\nW=1", second});
    if (road == TEndRoad::Error)
        QueueModalResult(mrOk);
    if (road == TEndRoad::RestoreRaised)
        form->ShowRestoreHook = [] { throw Exception("restore failed"); };
    bool held = false;
    clock.At(500, [&] {
        held = GlobalFindAtom(AvlRunningAtom) != 0;
        if (road != TEndRoad::Error)
            UserInterrupt = true;
    });
    Play(script);
    EXPECT_TRUE(held);
    EXPECT_EQ(GlobalFindAtom(AvlRunningAtom), 0);
    EXPECT_EQ(SlideDelay, 3000);
    ShutDown = AppQuitting = false;
}

INSTANTIATE_TEST_SUITE_P(, ScriptLockTest,
                         ::testing::Values(TEndRoad::Stopped, TEndRoad::Error, TEndRoad::RestoreRaised),
                         [](const auto& info) {
                             switch (info.param) {
                             case TEndRoad::Stopped: return std::string("Stopped");
                             case TEndRoad::Error: return std::string("EndedWithAnError");
                             default: return std::string("RestoreRaised");
                             }
                         });

// ---- Starts

TEST_F(ScriptShowTest, ADroppedScriptPlays) {
    const std::string script =
        SaveScript(folder + "drop.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    RecordCaptions();
    clock.At(1500, [] { UserInterrupt = true; });
    form->WMDropFiles({script});
    EXPECT_EQ(captions, (std::vector<std::string>{"Slide 1 of 2 > a.bmp", "Slide 2 of 2 > b.bmp"}));
    EXPECT_FALSE(SlideshowRunning);
}

TEST_F(ScriptShowTest, TheSlideShowItemPlaysTheLoadedScript) {
    SlideFileName = SaveScript(folder + "menu.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    ASSERT_TRUE(form->mnuHistorySlideshow->isEnabled());
    ASSERT_TRUE(form->mnuSlideshow->isEnabled());
    EXPECT_TRUE(form->mnuToolsV->actions().contains(form->mnuSlideshow));
    RecordCaptions();
    clock.At(500, [] { UserInterrupt = true; });
    form->mnuHistorySlideshow->trigger();
    EXPECT_EQ(captions, std::vector<std::string>{"Slide 1 of 2 > a.bmp"});
}

TEST_F(ScriptShowTest, TheScriptDialogPlaysTheChosenScriptAndPutsItsFilterBack) {
    const std::string script =
        SaveScript(folder + "chosen.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    const std::string filter = form->OpenDialog->Filter;
    std::string title, filters;
    QueueModalAction([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        title = dialog.windowTitle().toStdString();
        filters = dialog.nameFilters().join(";").toStdString();
        dialog.selectFile(QString::fromStdString(script));
        d.accept();
    });
    RecordCaptions();
    clock.At(500, [] { UserInterrupt = true; });
    form->mnuSlideshowClick(form->mnuSlideshow);
    EXPECT_EQ(title, "Select AVL script");
    EXPECT_NE(filters.find("AVL (AV List Slideshow)"), std::string::npos);
    EXPECT_EQ(captions, std::vector<std::string>{"Slide 1 of 2 > a.bmp"});
    EXPECT_EQ(form->OpenDialog->Filter, filter);

    QueueModalAction([](QDialog& d) { d.reject(); });
    captions.clear();
    form->mnuSlideshowClick(form->mnuSlideshow);
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(form->OpenDialog->Filter, filter);
}

TEST_F(ScriptShowTest, TheOpenDialogHandsAScriptToTheShow) {
    const std::string script =
        SaveScript(folder + "opened.avl", {folder}, {Picture("a.bmp") + "\nW=1", Picture("b.bmp") + "\nW=1"});
    QueueModalAction([&](QDialog& d) {
        static_cast<QFileDialog&>(d).selectFile(QString::fromStdString(script));
        d.accept();
    });
    RecordCaptions();
    clock.At(500, [] { UserInterrupt = true; });
    form->BtnOpenClick(nullptr);
    EXPECT_EQ(captions, std::vector<std::string>{"Slide 1 of 2 > a.bmp"});
}

// ---- Real clock and players

class RealScriptShowTest : public ScriptShowTest {
protected:
    void SetUp() override {
        ScriptShowTest::SetUp();
        SetShowClock(nullptr);
        SetShowPlayers(nullptr);
        MediaOpenWait = 5000;
    }
    void TearDown() override {
        MediaOpenWait = 2000;
        CloseSlideAudio();
        CloseSlideAudio();
        ScriptShowTest::TearDown();
    }
};

TEST_F(RealScriptShowTest, AWaveSlidePlaysThroughTheSlideSoundPlayer) {
    test::CopyToHome("media/tone.wav", "show/tone.wav");
    const std::string script =
        SaveScript(folder + "real.avl", {folder}, {"F=tone.wav,0\nW=1", Picture("a.bmp") + "\nW=1"});
    bool played = false;
    std::string file;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (SlideAudioActive()) {
            played = true;
            file = mci_audio_w::SlideAudioFile;
        }
    });
    sampler.start(20);
    QTimer::singleShot(1800, [] { UserInterrupt = true; });
    Play(script);
    EXPECT_TRUE(played);
    EXPECT_EQ(file, folder + "tone.wav");
    EXPECT_FALSE(SlideAudioActive());  // a script show closes it at the end
}

TEST_F(RealScriptShowTest, TheJukeboxWaitForASoundIdles) {
    test::CopyToHome("media/tone2s.wav", "show/tone2s.wav");
    MP3Jukebox = true;
    const std::string script =
        SaveScript(folder + "juke.avl", {folder}, {"F=tone2s.wav,0", Picture("a.bmp") + "\nW=1"});
    QElapsedTimer elapsed;
    QTimer watch;
    qint64 pictureAt = -1;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (pictureAt < 0 && ExtractFileName(FileName) == "a.bmp") {
            pictureAt = elapsed.elapsed();
            UserInterrupt = true;
        }
    });
    watch.start(50);
    QTimer::singleShot(8000, [] { UserInterrupt = true; });
    // The wait for the sound sleeps between the watch's ticks, the player's
    // reports and its own third-of-a-second look: about a hundred turns of
    // the event loop a second. A wait that spun would turn it many thousands
    // of times, however busy the machine. (The process CPU time says little
    // here: the player's own threads decode and play the sound.)
    int turns = 0;
    elapsed.start();
    {
        test::LoopTurns counted;
        Play(script);
        turns = counted.Count();
    }
    const qint64 took = elapsed.elapsed();
    ASSERT_GT(pictureAt, 1900) << "the sound was not played to its end";
    EXPECT_LT(turns, 500 * (took / 1000 + 1)) << "the event loop turned " << turns << " times in " << took << " ms";
}

}  // namespace
