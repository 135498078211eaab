// The bookmark slide show: its set-up, the order of the slides, captions,
// placing and comment band of picture slides, the waits on a virtual clock,
// and the window given back as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QElapsedTimer>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include "app/ShowClock.h"
#include "app/show_test_tools.h"
#include "app/view_window_fixture.h"
#include "imaging/AvlScript.h"
#include "platform/Registry.h"
#include "support/case_names.h"
#include "support/idle_wait.h"

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

// A plain picture of one colour, saved as a BMP in the test's home folder.
std::string SavePicture(const std::string& name, int width, int height, TColor colour) {
    return test::SaveSlidePicture(ProgramFolder() + name, width, height, colour);
}

// What the show may change and must give back.
struct TWindowState {
    bool PanelSide, PanelTool, PanelHistory, StatusBar, Fit, FullScreen, FullScreenMenus, Jukebox;
    int32_t Delay;
    std::vector<bool> MenusVisible, MenusEnabled;
    std::vector<int> MenuTags;
    QColor Background;
    bool operator==(const TWindowState&) const = default;
};

class SlideShowTest : public test::ShownWindowTest {
protected:
    void SetUp() override {
        test::ShownWindowTest::SetUp();
        test::StartShowTest(clock);
    }
    void TearDown() override {
        SetShowClock(nullptr);
        ImageHistoryList.Clear();
        test::ShownWindowTest::TearDown();
    }
    void AddSlides(int count, int width = 80, int height = 60) {
        for (int i = 0; i < count; ++i)
            ImageHistoryList.Add(SavePicture("slide" + std::to_string(i) + ".bmp", width, height,
                                             TColor(0x102030 * (i + 1) & 0xFFFFFF)));
    }
    void Run() { form->mnuHistorySlideshowClick(form->btn2_Run); }
    TWindowState State() const {
        TWindowState s{form->PanelSide->isVisible(), form->PanelTool->isVisible(), form->PanelHistory->isVisible(),
                       form->StatusBar->isVisible(), FitWindow, FullScreen, FullScreenMenus, MP3Jukebox, SlideDelay,
                       {}, {}, {}, form->palette().color(QPalette::Window)};
        for (QMenu* menu : form->TopMenuItems) {
            s.MenusVisible.push_back(menu->menuAction()->isVisible());
            s.MenusEnabled.push_back(menu->menuAction()->isEnabled());
            s.MenuTags.push_back(menu->menuAction()->property("Tag").toInt());
        }
        return s;
    }
    // The surface's colour at a point, as shown.
    QRgb SurfaceAt(int x, int y) const { return form->SlideSurface->grab().toImage().pixel(x, y) & 0xFFFFFF; }

    TVirtualShowClock clock;
};

TEST_F(SlideShowTest, OneBookmarkAsksForHelpAndChangesNothing) {
    AddSlides(1);
    long asked = 0;
    Application.OnHelp = [&](long context) {
        asked = context;
        return true;
    };
    const TWindowState before = State();
    QueueModalResult(mrYes);
    Run();
    EXPECT_EQ(asked, 110);
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(SlideshowRunning);
    EXPECT_TRUE(clock.Pauses.empty());
}

struct TOrderCase {
    const char* Name;
    int Count;
    int Index;
    std::vector<int> Played;
};

class SlideShowOrderTest : public SlideShowTest, public ::testing::WithParamInterface<TOrderCase> {};

TEST_P(SlideShowOrderTest, PlaysTheBookmarksEndlesslyFromTheOneAfterTheCurrent) {
    const TOrderCase& c = GetParam();
    AddSlides(c.Count);
    ImageHistoryIndex = c.Index;
    std::vector<int> played;
    clock.OnLimit = nullptr;
    // Every slide waits 3 s; a key after the last wanted slide ends the show.
    for (size_t i = 0; i < c.Played.size(); ++i)
        clock.At(int64_t(i) * 3000 + 1500, [&] { played.push_back(ImageHistoryIndex); });
    clock.At(int64_t(c.Played.size()) * 3000 - 1000, [] { UserInterrupt = true; });
    Run();
    EXPECT_EQ(played, c.Played);
}

INSTANTIATE_TEST_SUITE_P(, SlideShowOrderTest,
                         ::testing::Values(TOrderCase{"FromIndex0", 3, 0, {0, 1, 2, 0, 1}},
                                           TOrderCase{"FromIndex2Of4", 4, 2, {3, 0, 1, 2}}),
                         test::CaseNames<&TOrderCase::Name>);

TEST_F(SlideShowTest, CaptionsNameTheSlideAndTheWaitIsTheOption) {
    AddSlides(3, 64, 64);  // no transition: every pause is a slide's wait
    std::vector<std::string> seen;
    clock.At(1000, [&] { seen.push_back(form->windowTitle().toStdString()); });
    clock.At(4000, [&] { seen.push_back(form->windowTitle().toStdString()); });
    clock.At(5000, [] { UserInterrupt = true; });
    Run();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Slide 1 of 3 > " + ImageHistoryList[0]);
    EXPECT_EQ(seen[1], "Slide 2 of 3 > " + ImageHistoryList[1]);
    ASSERT_GE(clock.Pauses.size(), 2u);
    EXPECT_EQ(clock.Pauses[0], 3000);
}

TEST_F(SlideShowTest, ADelayOfZeroWaitsFiftyMilliseconds) {
    AddSlides(2, 64, 64);
    SlideDelay = 0;
    clock.At(120, [] { UserInterrupt = true; });
    Run();
    ASSERT_FALSE(clock.Pauses.empty());
    EXPECT_EQ(clock.Pauses[0], 50);
    EXPECT_EQ(SlideDelay, 0);
}

TEST_F(SlideShowTest, ARightReleaseBringsTheNextSlideAtOnceAndAKeyEnds) {
    AddSlides(3);
    std::vector<std::pair<int64_t, int>> slides;
    clock.At(1500, [&] {
        slides.emplace_back(clock.Now, ImageHistoryIndex);
        RightButtonReleased = true;
    });
    clock.At(1600, [&] { slides.emplace_back(clock.Now, ImageHistoryIndex); });
    clock.At(4000, [] { UserInterrupt = true; });
    Run();
    ASSERT_EQ(slides.size(), 2u);
    EXPECT_EQ(slides[0].second, 0);
    EXPECT_EQ(slides[1].second, 1);  // the second slide came at 1.5 s, not at 3 s
    EXPECT_EQ(ImageHistoryIndex, 1);
    EXPECT_FALSE(SlideshowRunning);
}

TEST_F(SlideShowTest, ARightReleaseBeforeTheStartDoesNotCutTheFirstWait) {
    AddSlides(2, 64, 64);
    RightButtonReleased = true;
    clock.At(5000, [] { UserInterrupt = true; });
    Run();
    ASSERT_FALSE(clock.Pauses.empty());
    EXPECT_EQ(clock.Pauses[0], 3000);
    EXPECT_GE(clock.Now, 3000);
}

TEST_F(SlideShowTest, ALeftClickOnTheSurfaceEndsTheShow) {
    AddSlides(2);
    clock.At(1000, [&] { form->FormMouseUp(form, mbLeft, TShiftState{}, 5, 5); });
    Run();
    EXPECT_LT(clock.Now, 3000);
    EXPECT_FALSE(SlideshowRunning);
}

TEST_F(SlideShowTest, PicturesAreCentredOnlyAlongTheSmallerAxis) {
    ImageHistoryList.Add(SavePicture("small.bmp", 100, 50, clRed));
    ImageHistoryList.Add(SavePicture("tall.bmp", 100, 4000, clBlue));
    QRgb inside = 0, outside = 0;
    int width = 0, height = 0;
    clock.At(1000, [&] {
        width = form->SlideSurface->width();
        height = form->SlideSurface->height();
        inside = SurfaceAt(width / 2, height / 2);
        outside = SurfaceAt(width / 2 - 60, height / 2);
        UserInterrupt = true;
    });
    Run();
    EXPECT_EQ(inside, 0xFF0000u);
    EXPECT_EQ(outside, QColor(Qt::white).rgb() & 0xFFFFFF);
}

TEST_F(SlideShowTest, ANarrowPictureIsDrawnWithoutATransition) {
    // Each effect step pauses; a picture 64 pixels wide is drawn in one go.
    AddSlides(2, 64, 64);
    clock.At(1000, [] { UserInterrupt = true; });
    Run();
    ASSERT_FALSE(clock.Pauses.empty());
    EXPECT_EQ(clock.Pauses[0], 3000);
}

struct TBandCase {
    const char* Name;
    int32_t Position;
    bool AtTop;
};

class SlideCommentTest : public SlideShowTest, public ::testing::WithParamInterface<TBandCase> {};

TEST_P(SlideCommentTest, TheCommentIsDrawnInABandOfTwentyFourPixels) {
    SlideTextPosition = GetParam().Position;
    ImageHistoryList.Add(SavePicture("big0.bmp", 2000, 2000, clBlack));
    ImageHistoryList.Add(SavePicture("big1.bmp", 2000, 2000, clBlack));
    // The comment a script slide carries, set before the second slide is drawn.
    QImage shown;
    clock.At(1000, [] { SlideProperty1 = "Hello"; });
    clock.At(4500, [&] {
        shown = form->SlideSurface->grab().toImage();
        UserInterrupt = true;
    });
    Run();
    ASSERT_FALSE(shown.isNull());
    const int h = shown.height();
    const int bandTop = GetParam().AtTop ? 0 : h - 24;
    // The band's edges are not the picture's black, the row next to it is.
    const int x = shown.width() / 2;
    EXPECT_NE(shown.pixel(x, bandTop) & 0xFFFFFF, 0u);
    EXPECT_NE(shown.pixel(x, bandTop + 23) & 0xFFFFFF, 0u);
    const int outsideRow = GetParam().AtTop ? 24 : h - 25;
    EXPECT_EQ(shown.pixel(x, outsideRow) & 0xFFFFFF, 0u);
    // Some text is drawn in the band's middle.
    int dark = 0;
    for (int x = 0; x < shown.width(); ++x)
        if (qGray(shown.pixel(x, bandTop + 12)) < 128)
            ++dark;
    EXPECT_GT(dark, 0);
    EXPECT_TRUE(SlideProperty1.empty());
}

INSTANTIATE_TEST_SUITE_P(, SlideCommentTest,
                         ::testing::Values(TBandCase{"Bottom", 0, false}, TBandCase{"Top", 1, true}),
                         test::CaseNames<&TBandCase::Name>);

TEST_F(SlideShowTest, TheLeftoversOfALargerPictureAreCleared) {
    ImageHistoryList.Add(SavePicture("large.bmp", 300, 300, clRed));
    ImageHistoryList.Add(SavePicture("little.bmp", 50, 50, clBlue));
    QRgb corner = 0, centre = 0;
    int w = 0, h = 0;
    clock.At(4000, [&] {
        w = form->SlideSurface->width();
        h = form->SlideSurface->height();
        corner = SurfaceAt(w / 2 - 100, h / 2 - 100);
        centre = SurfaceAt(w / 2, h / 2);
        UserInterrupt = true;
    });
    Run();
    EXPECT_EQ(centre, 0x0000FFu);
    EXPECT_EQ(corner, QColor(Qt::white).rgb() & 0xFFFFFF);
}

TEST_F(SlideShowTest, AVanishedBookmarkEndsTheShowWithAWarningNamingIt) {
    AddSlides(3);
    const std::string gone = ImageHistoryList[1];
    clock.At(1000, [&] { DeleteFile(gone); });
    std::string warning;
    QueueModalAction([&warning](QDialog& d) {
        auto* label = d.findChild<QLabel*>("Message");
        warning = label ? label->text().toStdString() : std::string();
        d.done(mrOk);
    });
    Run();
    EXPECT_FALSE(SlideshowRunning);
    EXPECT_EQ(ImageHistoryIndex, 1);
    // The warning names the vanished file.
    const std::string expected = "Missing or unsupported file in slideshow.\nPlease see FAQ to resolve this problem.\n"
                                 "\nSlide 2 of 3\nFolder: " +
                                 ExtractFilePath(gone) + "\nFilename: " + ExtractFileName(gone);
    EXPECT_EQ(warning, expected);
}

TEST_F(SlideShowTest, TheWindowIsGivenBackAsItWas) {
    AddSlides(3);
    ImageHistoryIndex = 1;
    form->mnuFitWindowClick(form);  // fit off
    const TWindowState before = State();
    clock.At(7000, [] { UserInterrupt = true; });
    Run();
    const TWindowState after = State();
    EXPECT_EQ(after.MenusVisible, before.MenusVisible);
    EXPECT_EQ(after.MenusEnabled, before.MenusEnabled);
    EXPECT_EQ(after.MenuTags, before.MenuTags);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(SlideshowRunning);
    EXPECT_EQ(FileName, ImageHistoryList[ImageHistoryIndex]);
}

TEST_F(SlideShowTest, AGoneCurrentBookmarkEndsOnABlankPicture) {
    AddSlides(3);
    clock.At(1000, [&] {
        DeleteFile(ImageHistoryList[0]);
        UserInterrupt = true;
    });
    Run();
    EXPECT_EQ(ImageWidth, 32);
    EXPECT_FALSE(SlideshowRunning);
}

TEST_F(SlideShowTest, AnExceptionWhileRestoringClosesTheProgram) {
    AddSlides(2);
    Application.OnIdle = [](bool&) {};
    form->ShowRestoreHook = [] { throw Exception("restore failed"); };
    clock.At(1000, [] { UserInterrupt = true; });
    Run();
    EXPECT_TRUE(ShutDown);
    EXPECT_TRUE(AppQuitting);
    EXPECT_FALSE(bool(Application.OnIdle));
    EXPECT_EQ(SlideDelay, 3000);
    ShutDown = AppQuitting = false;
}

TEST_F(SlideShowTest, RealClockPlaysACycleIdlesAndRestores) {
    SetShowClock(nullptr);
    AddSlides(3);
    SlideDelay = 200;
    std::vector<int> seen;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (SlideshowRunning && (seen.empty() || seen.back() != ImageHistoryIndex))
            seen.push_back(ImageHistoryIndex);
    });
    sampler.start(20);
    QTimer::singleShot(900, [] { UserInterrupt = true; });
    Run();
    EXPECT_GE(seen.size(), 3u);
    EXPECT_FALSE(SlideshowRunning);
    EXPECT_TRUE(form->PanelTool->isVisible());
}

TEST(ShowClockTest, TheRealWaitIdlesAndEndsOnTime) {
    // The wait asks whether to wake once per turn of its loop: an idle wait
    // sleeps until its alarm and asks a few times; a spinning one asks
    // thousands of times, however busy the machine is.
    int asked = 0;
    const double cpuBefore = test::ProcessCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    ShowClock().Pause(2000, [&asked] {
        ++asked;
        return false;
    });
    const qint64 took = elapsed.elapsed();
    const double cpu = test::ProcessCpuSeconds() - cpuBefore;
    EXPECT_GE(took, 2000) << "the wait ended early";
    EXPECT_LT(took, 4000) << "the wait ran long";  // a loaded machine may be late, never seconds late
    EXPECT_LT(asked, 50) << "the wait turned its loop " << asked << " times";
    EXPECT_LT(cpu, 0.5 * double(took) / 1000.0) << "CPU seconds while waiting: " << cpu;
}

}  // namespace
