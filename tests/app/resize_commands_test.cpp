// The size changes of the image window: Interpolate, Resample and Distill with
// their dialogs, script lines, undo copy and library roads.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "imgman/imgman.h"
#include "processing/script/LabState.h"
#include "support/picture_compare.h"
#include "ui/Resize_w.h"

#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Works the next resize dialog.
void AnswerResize(std::function<void(TResizeForm&)> action) {
    QueueModalAction([action](QDialog& dialog) { action(static_cast<TResizeForm&>(dialog)); });
}

// One scaled copy the size changes asked of the imaging library.
struct CopyCall {
    int width, height;
    int32_t flags;
    bool operator==(const CopyCall&) const = default;
};
std::ostream& operator<<(std::ostream& os, const CopyCall& c) {
    return os << c.width << "x" << c.height << " flags " << c.flags;
}

class ResizeCommandTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ResetLabState();
        LabScript.Clear();
        ImageUndoSaved = false;
        Resize_w::DlgLeft = Resize_w::DlgTop = -1;
        ResizeCopy = [this](int handle, int width, int height, int32_t flags) {
            copies.push_back({width, height, flags});
            return failCopies ? 0 : ImgCopy(handle, width, height, nullptr, flags);
        };
    }
    void TearDown() override {
        ResizeCopy = nullptr;
        LabScript.Clear();
        ResetLabState();
        ImageWindowTest::TearDown();
    }
    std::vector<std::string> Script() const {
        std::vector<std::string> lines;
        for (int i = 0; i < LabScript.Count(); ++i)
            lines.push_back(LabScript[i]);
        return lines;
    }
    // Runs a command as the script does, with the new size in the filter globals.
    void Replay(void (TWebForm::*command)(QObject*), int width, int height) {
        FilterCustom2 = width;
        FilterCustom1 = height;
        (WebForm->*command)(WebForm->mnuPerformBatch1);
    }
    void ShowPicture(int bits, int width = 64, int height = 48) {
        TBitmap picture;
        MakePicture(picture, bits, width, height);
        Show(picture);
    }
    // Whether the viewer picture is unchanged since `before`.
    bool Unchanged(const TBitmap& before) {
        if (Display().Width() != before.Width() || Display().Height() != before.Height() ||
            Display().PixelFormat() != before.PixelFormat())
            return false;
        for (int y = 0; y < before.Height(); ++y)
            if (std::memcmp(Display().ScanLine(y), before.ScanLine(y), size_t(before.RowBytes())) != 0)
                return false;
        return true;
    }

    std::vector<CopyCall> copies;
    bool failCopies = false;
};

// A picture whose every pixel tells its own position.
void CoordinatePicture(TBitmap& picture, int width, int height) {
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Handle()->SetColor(x, y, uint32_t((x >> 8) | (y >> 8) << 4) << 16 | uint32_t(y & 255) << 8 |
                                                 uint32_t(x & 255));
}

// The numbers of the line of the index table that starts with `name`.
std::vector<int> IndexLine(const std::string& name) {
    std::ifstream in(Fixture("resize/interpolate_640x480_320x240.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first != name)
            continue;
        std::vector<int> numbers;
        for (int n; words >> n;)
            numbers.push_back(n);
        return numbers;
    }
    return {};
}

TEST_F(ResizeCommandTest, HalfOf640x480FollowsTheIndexRulesAndRecordsTheScale) {
    TBitmap picture;
    CoordinatePicture(picture, 640, 480);
    Show(picture);
    std::string title;
    AnswerResize([&](TResizeForm& d) {
        title = d.windowTitle().toStdString();
        Type(d.EditX, "50");
        d.btnOk->click();
    });
    WebForm->mnuResize->trigger();
    EXPECT_EQ(title, "Image Resize (interpolate only)");
    ASSERT_EQ(Display().Width(), 320);
    ASSERT_EQ(Display().Height(), 240);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 24);
    EXPECT_EQ(ImageWidth, 320);
    EXPECT_EQ(ImageHeight, 240);

    const std::vector<int> rows = IndexLine("rows"), columns = IndexLine("columns");
    ASSERT_EQ(rows.size(), 240u);
    ASSERT_EQ(columns.size(), 320u);
    EXPECT_EQ(rows[1], 2);
    EXPECT_EQ(columns[319], 639);
    RgbRaster expected{320, 240, {}};
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            expected.Pixels.push_back(ColorAt(picture, columns[size_t(x)], rows[size_t(y)]));
    EXPECT_TRUE(SamePixels(expected, 320, 240, [&](int x, int y) { return ColorAt(Display(), x, y); }));

    EXPECT_EQ(Script(), (std::vector<std::string>{"RESIZE=320,240", ">RESIZE%%=5000"}));
    EXPECT_TRUE(ImageUndoSaved);
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(StatusTextValue, "Ready.");
    EXPECT_TRUE(copies.empty());
}

TEST_F(ResizeCommandTest, OnlyARealChangeOfAtLeast16PixelsRecordsAndTakesTheUndoCopy) {
    struct Case {
        const char* name;
        std::function<void(TResizeForm&)> answer;
        std::vector<std::string> lines;
    } cases[] = {
        {"cancel", [](TResizeForm& d) { d.btnCancel->click(); }, {}},
        {"same size", [](TResizeForm& d) { d.btnOk->click(); }, {}},
        {"width 15",
         [](TResizeForm& d) {
             Type(d.EditW, "15");
             d.btnOk->click();
         },
         {}},
        {"height 15",
         [](TResizeForm& d) {
             d.chkAspect->setChecked(false);
             Type(d.EditH, "15");
             d.btnOk->click();
         },
         {}},
        {"different scales",
         [](TResizeForm& d) {
             d.chkAspect->setChecked(false);
             Type(d.EditW, "40");
             d.btnOk->click();
         },
         {"RESIZE=40,48"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowPicture(24);
        TBitmap before;
        before.Assign(&Display());
        LabScript.Clear();
        ImageUndoSaved = false;
        AnswerResize(c.answer);
        WebForm->mnuResizeClick(WebForm->mnuResize);
        EXPECT_EQ(QueuedModalAnswers(), 0);
        EXPECT_EQ(Script(), c.lines);
        EXPECT_EQ(ImageUndoSaved, !c.lines.empty());
        EXPECT_EQ(Unchanged(before), c.lines.empty());
    }
}

TEST_F(ResizeCommandTest, LibraryRoadsShrinkThroughTwiceTheNewSize) {
    struct Case {
        const char* name;
        void (TWebForm::*command)(QObject*);
        int width, height;
        std::vector<CopyCall> copies;
        const char* line;
    } cases[] = {
        {"interpolate narrowing", &TWebForm::mnuResizeClick, 40, 48, {{80, 96, 4}, {40, 48, 4}}, "RESIZE=40,48"},
        {"interpolate widening", &TWebForm::mnuResizeClick, 100, 48, {{100, 48, 4}}, "RESIZE=100,48"},
        {"interpolate shrinking", &TWebForm::mnuResizeClick, 32, 24, {{32, 24, 4}}, "RESIZE=32,24"},
        {"resample shrinking", &TWebForm::mnuResampleClick, 32, 24, {{64, 48, 4}, {32, 24, 4}}, "RESAMPLE=32,24"},
        {"resample lowering", &TWebForm::mnuResampleClick, 64, 30, {{128, 60, 4}, {64, 30, 4}}, "RESAMPLE=64,30"},
        {"resample enlarging", &TWebForm::mnuResampleClick, 100, 60, {{100, 60, 4}}, "RESAMPLE=100,60"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShowPicture(8);
        copies.clear();
        LabScript.Clear();
        Replay(c.command, c.width, c.height);
        EXPECT_EQ(copies, c.copies);
        EXPECT_EQ(Display().Width(), c.width);
        EXPECT_EQ(Display().Height(), c.height);
        EXPECT_EQ(ImageWidth, c.width);
        EXPECT_EQ(ImageHeight, c.height);
        // The smooth copy of a colour palette has 24 bits.
        EXPECT_EQ(ImageBitCount, 24);
        EXPECT_EQ(Script(), std::vector<std::string>{c.line});
        EXPECT_EQ(ImgHandle, 0);
    }
}

TEST_F(ResizeCommandTest, BlackAndWhitePicturesKeepTheirDetailAndDepth) {
    // A white picture crossed by a black line in column 9.
    TBitmap picture;
    MakePicture(picture, 1, 128, 96);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            picture.Handle()->SetIndex(x, y, x == 9 ? 0 : 1);
    for (int option : {1, 2}) {
        SCOPED_TRACE(option);
        Show(picture);
        copies.clear();
        AnswerResize([option](TResizeForm& d) {
            EXPECT_EQ(d.CopyOp->currentIndex(), 1);  // "Preserve Black"
            d.CopyOp->setCurrentIndex(option);
            Type(d.EditX, "25");
            d.btnOk->click();
        });
        WebForm->mnuResizeClick(WebForm->mnuResize);
        EXPECT_EQ(copies, (std::vector<CopyCall>{{32, 24, option}}));
        EXPECT_EQ(ImageBitCount, 1);
        ASSERT_EQ(Display().Width(), 32);
        EXPECT_EQ(ColorAt(Display(), 2, 5), option == 1 ? 0u : 0xFFFFFFu);
    }
}

TEST_F(ResizeCommandTest, ResampleSendsPicturesBelow8BitsToTheInterpolateDialog) {
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        ShowPicture(bits);
        std::string title;
        AnswerResize([&](TResizeForm& d) {
            title = d.windowTitle().toStdString();
            d.btnCancel->click();
        });
        WebForm->mnuResample->trigger();
        EXPECT_EQ(title, bits < 8 ? "Image Resize (interpolate only)" : "Image Resample (with smoothing)");
        EXPECT_TRUE(Script().empty());
    }
    std::string title;
    AnswerResize([&](TResizeForm& d) {
        title = d.windowTitle().toStdString();
        d.btnCancel->click();
    });
    WebForm->mnuDistill->trigger();
    EXPECT_EQ(title, "Image Distill");
}

TEST_F(ResizeCommandTest, DistillAveragesBlocksOfTheDoubledPicture) {
    const RgbRaster noise = ReadPpm(Fixture("resize/noise100.ppm"));
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            picture.Handle()->SetColor(x, y, noise.At(x, y));
    Show(picture);
    AnswerResize([](TResizeForm& d) {
        Type(d.EditW, "50");
        d.btnOk->click();
    });
    WebForm->mnuDistill->trigger();
    EXPECT_TRUE(SamePixels(ReadPpm(Fixture("resize/noise100_distill_50x50.ppm")), Display().Width(),
                           Display().Height(), [&](int x, int y) { return ColorAt(Display(), x, y); }));
    EXPECT_EQ(Script(), (std::vector<std::string>{"DISTILL=50,50", ">DISTILL%%=5000"}));
    EXPECT_EQ(ImageWidth, 50);
}

// The menu offers Distill for 24-bit pictures only; a script's DISTILL on an
// 8-bit picture makes it 24-bit first.
TEST_F(ResizeCommandTest, DistillOf8BitPicturesGoesThrough24Bits) {
    for (int bits : {1, 4, 8, 24}) {
        ShowPicture(bits);
        emit WebForm->homeResize1->menu()->aboutToShow();
        EXPECT_EQ(WebForm->mnuDistill->isEnabled(), bits == 24) << bits;
    }

    const RgbRaster noise = ReadPpm(Fixture("resize/noise100.ppm"));
    TBitmap grey;
    grey.SetPixelFormat(pf8bit);
    grey.SetSize(100, 100);
    std::vector<uint32_t> ramp(256);
    for (uint32_t i = 0; i < 256; ++i)
        ramp[i] = i << 16 | i << 8 | i;
    grey.SetPalette(PaletteFromColorTable(ramp));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            grey.Handle()->SetIndex(x, y, noise.At(x, y) >> 16);
    Show(grey);
    Replay(&TWebForm::mnuDistillClick, 50, 50);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(SamePixels(ReadPgm(Fixture("resize/noise100_red_distill_50x50.pgm")), Display().Width(),
                           Display().Height(), [&](int x, int y) { return ColorAt(Display(), x, y); }));
    EXPECT_EQ(Script(), std::vector<std::string>{"DISTILL=50,50"});
}

TEST_F(ResizeCommandTest, AFailedLibraryCopyKeepsThePictureAndRecordsNothing) {
    ShowPicture(8);
    TBitmap before;
    before.Assign(&Display());
    failCopies = true;
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    Replay(&TWebForm::mnuResampleClick, 32, 24);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(copies.size(), 1u);  // no second copy from a failed first one
    EXPECT_TRUE(Unchanged(before));
    EXPECT_EQ(ImageWidth, 64);
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_TRUE(Script().empty());
    EXPECT_EQ(StatusTextValue, "Ready.");
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(ResizeCommandTest, ScriptStepsRecordNothingAndTakeNoUndoCopy) {
    ShowPicture(24);
    batch_8900::BatchRunning = true;
    Replay(&TWebForm::mnuResizeClick, 20, 30);
    Replay(&TWebForm::mnuResampleClick, 40, 20);
    EXPECT_EQ(ImageWidth, 40);
    EXPECT_EQ(ImageHeight, 20);
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageUndoSaved);
    batch_8900::BatchRunning = false;
}

}  // namespace
