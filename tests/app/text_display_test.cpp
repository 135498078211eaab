// The text and metafile displays of the image window: the text area's
// geometry, text files captured as pictures, metafiles drawn over the
// background colour, and damaged metafiles that leave the picture shown.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTextEdit>

#include "app/TextDisplay.h"
#include "app/lumv8900.h"
#include "imaging/AvlScript.h"
#include "platform/Forms.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "ui/Pix.h"

#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::textdisplay::TTextAreaInput;

namespace {

// ---- Geometry

struct AreaCase {
    const char* name;
    TTextAreaInput in;
    TRect expected;
};

TTextAreaInput Area(int x, int y, int width, int height, int zoom = 100) {
    TTextAreaInput in;
    in.ScreenWidth = 1000;
    in.ScreenHeight = 800;
    in.ClientWidth = 600;
    in.ClientHeight = 400;
    in.X = x;
    in.Y = y;
    in.Width = width;
    in.Height = height;
    in.Zoom = zoom;
    return in;
}

TTextAreaInput InShow(TTextAreaInput in, int textPosition) {
    in.SlideshowRunning = true;
    in.TextPosition = textPosition;
    return in;
}

class TextAreaGeometry : public ::testing::TestWithParam<AreaCase> {};

TEST_P(TextAreaGeometry, PlacesTheTextControl) {
    const TRect r = textdisplay::TextArea(GetParam().in);
    const TRect e = GetParam().expected;
    EXPECT_EQ(r.Left, e.Left);
    EXPECT_EQ(r.Top, e.Top);
    EXPECT_EQ(r.Width(), e.Width());
    EXPECT_EQ(r.Height(), e.Height());
}

INSTANTIATE_TEST_SUITE_P(
    TextDisplay, TextAreaGeometry,
    ::testing::Values(
        AreaCase{"GivenSizeAtGivenPlace", Area(10, 20, 300, 200), Rect(10, 20, 310, 220)},
        AreaCase{"ScreenSizeLimitedToClientAndCentred", Area(5, 5, 0, 0), Rect(0, 0, 600, 400)},
        AreaCase{"OnlyOneSideGivenCountsAsNone", Area(5, 5, 300, 0), Rect(0, 0, 600, 400)},
        AreaCase{"ZoomShareOfTheScreen", Area(-1, 0, 0, 0, 50), Rect(50, 0, 550, 400)},
        AreaCase{"ZoomShareFitsAtItsPlace", Area(10, 10, 0, 0, 30), Rect(10, 10, 310, 250)},
        AreaCase{"SizeWinsOverZoom", Area(0, 0, 100, 50, 50), Rect(0, 0, 100, 50)},
        AreaCase{"XMinusOneCentres", Area(-1, 7, 200, 100), Rect(200, 150, 400, 250)},
        AreaCase{"NotFittingAtItsPlaceIsCentred", Area(450, 10, 200, 100), Rect(200, 150, 400, 250)},
        AreaCase{"NotFittingBelowIsCentred", Area(10, 350, 200, 100), Rect(200, 150, 400, 250)},
        AreaCase{"LargerThanClientIsLimited", Area(0, 0, 900, 900), Rect(0, 0, 600, 400)},
        AreaCase{"ShowTopBand", InShow(Area(30, 30, 0, 0), 1), Rect(0, 0, 600, 48)},
        AreaCase{"ShowBottomBand", InShow(Area(30, 30, 0, 0), 2), Rect(0, 352, 600, 400)},
        AreaCase{"ShowAutoPositionKeepsTheArea", InShow(Area(10, 20, 300, 200), 0), Rect(10, 20, 310, 220)},
        AreaCase{"BandOutsideAShowIsNotForced", Area(-1, -1, 0, 0), Rect(0, 0, 600, 400)}),
    test::CaseNames<&AreaCase::name>);

TEST(TextDisplay, CaptionBandSpansTheWidthAtBottomOrTop) {
    const struct {
        int position;
        TRect expected;
    } cases[] = {{0, Rect(0, 376, 600, 400)}, {1, Rect(0, 0, 600, 24)}, {2, Rect(0, 376, 600, 400)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        const TRect r = textdisplay::CaptionBand(600, 400, c.position);
        EXPECT_EQ(r.Left, c.expected.Left);
        EXPECT_EQ(r.Top, c.expected.Top);
        EXPECT_EQ(r.Right, c.expected.Right);
        EXPECT_EQ(r.Bottom, c.expected.Bottom);
    }
}

// ---- The window

// 0xRRGGBB of a pixel of the picture shown.
uint32_t ShownRgb(TWebForm& form, int x, int y) { return form.DisplayBitmap().Handle()->GetColor(x, y) & 0xFFFFFF; }

class TextDisplayWindow : public lumvor::test::ShownWindowTest {
protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        savedDelay = SlideDelay;
        savedBackground = BackgroundColor;
        SlideTextPosition = 0;
        SlideZoom = 100;
    }
    void TearDown() override {
        SlideDelay = savedDelay;
        BackgroundColor = savedBackground;
        SlideColor = -1;
        SlideTextX = SlideTextY = -1;
        SlideTextSize = SlideTextHeight = 0;
        ShownWindowTest::TearDown();
    }
    void Open(const std::string& fixture, const std::string& name) {
        FileName = test::CopyToHome(fixture, name);
        FileExt = UpperCase(ExtractFileExt(FileName));
        form->BtnOpenEx(form);
    }
    void OpenBytes(const std::vector<uint8_t>& bytes, const std::string& name) {
        FileName = ProgramFolder() + name;
        test::WriteFileText(FileName, std::string(bytes.begin(), bytes.end()));
        FileExt = UpperCase(ExtractFileExt(FileName));
        form->BtnOpenEx(form);
    }
    // Answers the next message box; its text, "" when none came.
    std::string AfterMessage(const std::function<void()>& action) {
        std::vector<test::Box> boxes;
        test::Answer(boxes, mrOk);
        action();
        if (boxes.empty()) {
            ClearModalAnswers();
            return "";
        }
        return boxes.front().text;
    }
    // Only the picture area: no bars around it.
    void HideBars() {
        for (QWidget* bar : {static_cast<QWidget*>(form->PanelTool), static_cast<QWidget*>(form->PanelHistory),
                             static_cast<QWidget*>(form->PanelSide), static_cast<QWidget*>(form->StatusBar)})
            if (bar)
                bar->hide();
        QCoreApplication::processEvents();
    }
    void ExpectUntitledPicture(int width, int height) {
        EXPECT_EQ(FileName, "Untitled");
        EXPECT_EQ(ImageWidth, width);
        EXPECT_EQ(ImageHeight, height);
        EXPECT_EQ(ImageBitCount, 24);
        EXPECT_EQ(form->DisplayBitmap().PixelFormat(), pf24bit);
        EXPECT_EQ(form->DisplayBitmap().GetWidth(), width);
        EXPECT_EQ(form->DisplayBitmap().GetHeight(), height);
        EXPECT_FALSE(ImageChanged);
        EXPECT_FALSE(form->ChromeEnabled("mnuReload"));
        EXPECT_TRUE(ImageLoaded);
    }

    int32_t savedDelay = 0;
    TColor savedBackground = clWhite;
};

TEST_F(TextDisplayWindow, TextFileIsCapturedAtTheClientSizeAsAnUntitledPicture) {
    HideBars();
    SlideDelay = 3000;  // the user's slide-show delay
    QElapsedTimer clock;
    clock.start();
    Open("text/note.txt", "texts/note.txt");
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(SlideDelay, 3000);
    EXPECT_GE(elapsed, 50);
    EXPECT_LT(elapsed, 3000);
    ExpectUntitledPicture(form->ClientWidth(), form->ClientHeight());
    EXPECT_LT(form->ClientWidth(), ScreenWidth);
    EXPECT_FALSE(form->RichEdit->isVisible());
    EXPECT_EQ(form->RichEditTag, 0);
    // White paper and grey text, nothing else.
    int white = 0, dark = 0, coloured = 0;
    for (int y = 0; y < ImageHeight; ++y)
        for (int x = 0; x < ImageWidth; ++x) {
            const uint32_t p = ShownRgb(*form, x, y);
            const int r = p >> 16, g = p >> 8 & 0xFF, b = p & 0xFF;
            if (std::abs(r - g) > 12 || std::abs(g - b) > 12)
                ++coloured;
            else if (r == 255)
                ++white;
            else if (r < 128)
                ++dark;
        }
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(white, ImageWidth * ImageHeight * 9 / 10);
    EXPECT_GT(dark, 50);
}

TEST_F(TextDisplayWindow, TextIsShownOverThePictureArea) {
    Open("text/note.txt", "texts/note.txt");
    const TRect view = form->ViewRect();
    ExpectUntitledPicture(view.Width(), form->ClientHeight() - form->PanelsHeight());
    EXPECT_EQ(SlideColor, static_cast<int32_t>(clWhite));
}

TEST_F(TextDisplayWindow, RichTextFileShowsItsText) {
    HideBars();
    Open("text/letter.rtf", "texts/letter.rtf");
    ExpectUntitledPicture(form->ClientWidth(), form->ClientHeight());
    int dark = 0;
    for (int y = 0; y < ImageHeight; ++y)
        for (int x = 0; x < ImageWidth; ++x)
            if ((ShownRgb(*form, x, y) & 0xFF) < 128)
                ++dark;
    EXPECT_GT(dark, 200);
    EXPECT_EQ(form->RichEdit->toPlainText().trimmed().toStdString(),
              "Caf\u00e9 prices: 3\u20ac a cup.\nBold run after it, in plain words.");
}

// A text slide of a show: the control stays up in the caption band, in the
// slide's colour, until the show hides it.
TEST_F(TextDisplayWindow, TextSlideStaysInTheBandUntilHidden) {
    FileName = test::CopyToHome("text/note.txt", "texts/slide.txt");
    SlideshowRunning = true;
    SlideTextPosition = 2;
    SlideColor = static_cast<int32_t>(RGB(255, 255, 0));
    form->ShowRichText(false, 0);
    SlideshowRunning = false;
    QTextEdit& control = *form->RichEdit;
    EXPECT_TRUE(control.isVisible());
    EXPECT_EQ(form->RichEditTag, 1);
    const int menuHeight = form->height() - form->ClientHeight();
    EXPECT_EQ(control.geometry(), QRect(0, menuHeight + form->ClientHeight() - 48, form->ClientWidth(), 48));
    EXPECT_EQ(control.palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(FileName, ProgramFolder() + "texts/slide.txt");
    form->HideRichText();
    EXPECT_FALSE(control.isVisible());
    EXPECT_EQ(form->RichEditTag, 0);
}

TEST_F(TextDisplayWindow, SetCaptionBandPutsTheSlideTextAreaAtTheBottomOrTop) {
    for (int position : {0, 1, 2}) {
        SCOPED_TRACE(position);
        SlideTextPosition = position;
        form->SetCaptionBand();
        EXPECT_EQ(SlideTextX, 0);
        EXPECT_EQ(SlideTextY, position == 1 ? 0 : form->ClientHeight() - 24);
        EXPECT_EQ(SlideTextSize, form->ClientWidth());
        EXPECT_EQ(SlideTextHeight, 24);
    }
}

TEST_F(TextDisplayWindow, UnreadableTextFileLeavesThePicture) {
    Open("metafile/red_left_half.wmf", "pictures/first.wmf");
    ASSERT_EQ(ImageWidth, 192);
    const std::string message = AfterMessage([&] {
        FileName = ProgramFolder() + "texts/missing.txt";
        FileExt = ".TXT";
        form->DecodeMemo();
    });
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(ImageWidth, 192);
    EXPECT_EQ(form->DisplayBitmap().GetWidth(), 192);
    EXPECT_FALSE(form->RichEdit->isVisible());
}

struct MetafileCase {
    const char* name;
    const char* fixture;
};

class MetafileWindow : public TextDisplayWindow, public ::testing::WithParamInterface<MetafileCase> {};

// The undrawn half shows the background colour.
TEST_P(MetafileWindow, IsDrawnOverTheBackgroundColour) {
    BackgroundColor = RGB(10, 200, 30);
    Open(GetParam().fixture, std::string("pictures/drawing") + ExtractFileExt(GetParam().fixture));
    ExpectUntitledPicture(192, 96);
    EXPECT_EQ(ShownRgb(*form, 0, 0), 0xFF0000u);
    EXPECT_EQ(ShownRgb(*form, 95, 95), 0xFF0000u);
    EXPECT_EQ(ShownRgb(*form, 96, 0), 0x0AC81Eu);
    EXPECT_EQ(ShownRgb(*form, 191, 95), 0x0AC81Eu);
}

INSTANTIATE_TEST_SUITE_P(TextDisplay, MetafileWindow,
                         ::testing::Values(MetafileCase{"Wmf", "metafile/red_left_half.wmf"},
                                           MetafileCase{"Emf", "metafile/red_left_half.emf"}),
                         test::CaseNames<&MetafileCase::name>);

std::vector<uint8_t> FixtureBytes(const std::string& name) {
    const std::string text = test::ReadFileText(test::Fixture(name));
    return {text.begin(), text.end()};
}

TEST_F(TextDisplayWindow, DamagedMetafilesSayInvalidAndKeepThePicture) {
    Open("metafile/shapes.emf", "pictures/shapes.emf");
    ASSERT_EQ(ImageWidth, 384);
    const std::vector<uint8_t> wmf = FixtureBytes("metafile/red_left_half.wmf");
    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = uint8_t(i * 91 + 7);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {{"truncated.wmf", std::vector<uint8_t>(wmf.begin(), wmf.end() - 10)},
                 {"garbage.emf", garbage},
                 {"empty.wmf", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AfterMessage([&] { OpenBytes(c.bytes, std::string("pictures/") + c.name); }), "Invalid Metafile.");
        EXPECT_EQ(ImageWidth, 384);
        EXPECT_EQ(form->DisplayBitmap().GetWidth(), 384);
        EXPECT_EQ(ShownFileName, "Untitled");
    }
}

// Deterministic mutations of both fixtures opened in the window: each gives
// a picture or the message, and the window goes on.
TEST_F(TextDisplayWindow, MutatedMetafilesNeverStopTheProgram) {
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    int shown = 0, refused = 0;
    for (const char* fixture : {"metafile/red_left_half.wmf", "metafile/red_left_half.emf", "metafile/records.wmf",
                                "metafile/records.emf"}) {
        const std::vector<uint8_t> whole = FixtureBytes(fixture);
        for (int round = 0; round < 12; ++round) {
            std::vector<uint8_t> bytes = whole;
            for (int c = 0; c < 3; ++c)
                bytes[next() % bytes.size()] = uint8_t(next());
            const std::string message = AfterMessage(
                [&] { OpenBytes(bytes, std::string("mutants/m") + std::to_string(round) + ExtractFileExt(fixture)); });
            if (message.empty()) {
                ++shown;
                EXPECT_EQ(FileName, "Untitled");
            } else {
                ++refused;
                EXPECT_EQ(message, "Invalid Metafile.");
            }
        }
    }
    EXPECT_EQ(shown + refused, 48);
    // The window still opens a good file.
    Open("metafile/red_left_half.emf", "pictures/after.emf");
    EXPECT_EQ(ImageWidth, 192);
}

}  // namespace
