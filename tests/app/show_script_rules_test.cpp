// The slide show's script rules without a window: the folder directory, the
// search for moved slide files and the place of a video slide.
#include <gtest/gtest.h>

#include "app/ShowScript.h"
#include "app/app_test_tools.h"
#include "platform/Folders.h"
#include "support/case_names.h"

#include <QDir>
#include <QFile>

#include <string>
#include <vector>

using namespace lumvor;

namespace {

struct TFolderCase {
    const char* Name;
    std::vector<std::string> Lines;
    bool Good;
    std::vector<std::string> Folders;
};

class ScriptFolders : public ::testing::TestWithParam<TFolderCase> {};

TEST_P(ScriptFolders, AreNumberedInOrderAndAnEmptyOneIsTheRoot) {
    TStringList lines, folders;
    for (const std::string& line : GetParam().Lines) lines.Add(line);
    EXPECT_EQ(ReadScriptFolders(lines, folders), GetParam().Good);
    if (GetParam().Good) {
        EXPECT_EQ(test::Lines(folders), GetParam().Folders);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , ScriptFolders,
    ::testing::Values(TFolderCase{"Numbered", {"0=/a/", "1=/b c/"}, true, {"/a/", "/b c/"}},
                      TFolderCase{"UnnumberedAndEmpty", {"/a/", "", "2="}, true, {"/a/", "/", "/"}},
                      TFolderCase{"TwoAtIndexOne", {"0=/a/", "2=/b/"}, false, {}},
                      TFolderCase{"NotANumber", {"x=/a/"}, false, {}}),
    test::CaseNames<&TFolderCase::Name>);

// Folders under the test's home standing for volumes.
class MovedSlides : public ::testing::Test {
protected:
    std::string Home(const std::string& path) { return ProgramFolder() + "moved/" + path; }
    std::string Touch(const std::string& path) {
        const std::string file = Home(path);
        QDir().mkpath(QString::fromStdString(ExtractFilePath(file)));
        QFile out(QString::fromStdString(file));
        out.open(QIODevice::WriteOnly);
        out.write("x");
        return file;
    }
    std::vector<std::string> Roots() { return {Home("volA"), Home("volB"), Home("volD")}; }
};

TEST_F(MovedSlides, AreLookedForOnTheScriptsVolumeThenBesideItThenOnEveryVolume) {
    const std::string onScriptVolume = Touch("volB/pics/d.bmp");
    EXPECT_EQ(FindMovedSlide(Home("volA/pics/d.bmp"), Home("volB/shows/s.avl"), Roots()), onScriptVolume);

    const std::string besideScript = Touch("elsewhere/shows/e.bmp");
    EXPECT_EQ(FindMovedSlide(Home("volA/pics/e.bmp"), Home("elsewhere/shows/s.avl"), Roots()), besideScript);

    const std::string onAnotherVolume = Touch("volD/pics/f.bmp");
    EXPECT_EQ(FindMovedSlide(Home("volA/pics/f.bmp"), Home("elsewhere/shows/s.avl"), Roots()), onAnotherVolume);

    EXPECT_EQ(FindMovedSlide(Home("volA/pics/none.bmp"), Home("elsewhere/shows/s.avl"), Roots()), "");
}

struct TVideoCase {
    const char* Name;
    TVideoSlide Slide;
    TRect Bounds;
};

TVideoSlide Video(int w, int h, bool script, int zoom = 100, bool autoSize = false, int panelW = 0, int panelH = 0,
                  int left = -1, int top = -1) {
    TVideoSlide v;
    v.Width = 640;
    v.Height = 480;
    v.NaturalWidth = w;
    v.NaturalHeight = h;
    v.Script = script;
    v.Zoom = zoom;
    v.AutoSize = autoSize;
    v.PanelWidth = panelW;
    v.PanelHeight = panelH;
    v.Left = left;
    v.Top = top;
    return v;
}

class VideoSlides : public ::testing::TestWithParam<TVideoCase> {};

TEST_P(VideoSlides, AreSizedAndPlacedInTheWindow) {
    const TRect r = VideoSlideBounds(GetParam().Slide);
    const TRect& e = GetParam().Bounds;
    EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Right, r.Bottom}),
              std::vector<int>({e.Left, e.Top, e.Right, e.Bottom}));
}

INSTANTIATE_TEST_SUITE_P(
    , VideoSlides,
    ::testing::Values(
        TVideoCase{"ScriptFitsTheWindow", Video(320, 240, true), Rect(0, 0, 640, 480)},
        TVideoCase{"ScriptZoomHalf", Video(320, 240, true, 50), Rect(160, 120, 480, 360)},
        TVideoCase{"ScriptPanelBeforeZoom", Video(320, 240, true, 50, false, 200, 200), Rect(220, 165, 420, 315)},
        TVideoCase{"ScriptPanelAsLargeAsTheWindow", Video(320, 240, true, 50, false, 640, 480),
                   Rect(160, 120, 480, 360)},
        TVideoCase{"ScriptPositionKept", Video(320, 240, true, 50, false, 0, 0, 10, 20), Rect(10, 20, 330, 260)},
        TVideoCase{"ScriptPositionOverTheEdge", Video(320, 240, true, 50, false, 0, 0, 400, 20),
                   Rect(160, 120, 480, 360)},
        TVideoCase{"ScriptZoomZeroTakesTheSteps", Video(50, 40, true, 0), Rect(120, 80, 520, 400)},
        TVideoCase{"TimesEight", Video(60, 40, false), Rect(80, 80, 560, 400)},
        TVideoCase{"TimesFour", Video(100, 80, false), Rect(120, 80, 520, 400)},
        TVideoCase{"TimesTwo", Video(200, 150, false), Rect(120, 90, 520, 390)},
        TVideoCase{"TwiceTouchesTheEdgeSoNatural", Video(320, 240, false), Rect(160, 120, 480, 360)},
        TVideoCase{"LargerIsFitted", Video(1280, 720, false), Rect(0, 60, 640, 420)},
        TVideoCase{"AutoSizeThenTimesTwo", Video(160, 120, false, 100, true), Rect(160, 120, 480, 360)}),
    test::CaseNames<&TVideoCase::Name>);

}  // namespace
