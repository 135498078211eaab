// Copy, crop, flips and rotation of the image window: cropped blocks against
// netpbm's pamcut, flips and quarter turns against pamflip, the recorded
// lines, the clipboard and the menus.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/Clipbrd.h"
#include "imgman/ImgTransform.h"
#include "processing/script/LabState.h"
#include "support/case_names.h"
#include "support/picture_compare.h"
#include "app/ViewGeometry.h"
#include "ui/ExTrackBar.h"
#include "ui/vardlg_w.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <stdexcept>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string GeometryFixture(const std::string& name) { return Fixture("geometry/" + name); }

// The picture a fixture BMP holds, at its own depth and palette.
void LoadFixture(TBitmap& bitmap, int depth) {
    bitmap.LoadFromFile(GeometryFixture("src" + std::to_string(depth) + ".bmp"));
}

::testing::AssertionResult Shows(const TBitmap& bitmap, const RgbRaster& expected, int tolerance = 0) {
    return SamePixels(expected, bitmap.Width(), bitmap.Height(),
                      [&](int x, int y) { return ColorAt(bitmap, x, y); }, tolerance);
}

// A raster of width x height colours (0x00RRGGBB) read through colourAt.
RgbRaster Raster(int width, int height, const std::function<uint32_t(int, int)>& colourAt) {
    RgbRaster r{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            r.Pixels.push_back(colourAt(x, y) & 0xFFFFFF);
    return r;
}

RgbRaster RasterOf(const QImage& image) {
    return Raster(image.width(), image.height(), [&](int x, int y) { return uint32_t(image.pixel(x, y)); });
}

RgbRaster RasterOf(const TPixelBuffer& pixels) {
    return Raster(pixels.Width(), pixels.Height(), [&](int x, int y) { return pixels.GetColor(x, y); });
}

class GeometryCommandsTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ResetLabState();
        LabScript.Clear();
        CropFromScript = false;
        ImageUndoSaved = false;
        FitWindow = false;
        ZoomPercent = 100;
        BackgroundColor = RGB(0x20, 0x40, 0x60);
        Screen.SetCursor(crDefault);
    }
    void TearDown() override {
        ClipboardImageWriter = nullptr;
        CropFromScript = false;
        FitWindow = true;
        LabScript.Clear();
        ResetLabState();
        ImageWindowTest::TearDown();
    }
    void ShowFixture(int depth) {
        TBitmap picture;
        LoadFixture(picture, depth);
        Show(picture);
    }
    std::vector<std::string> Script() const {
        std::vector<std::string> lines;
        for (int i = 0; i < LabScript.Count(); ++i)
            lines.push_back(LabScript[i]);
        return lines;
    }
    // A drag on the display control at 100 %, from corner (x1, y1) to (x2, y2).
    void Select(int x1, int y1, int x2, int y2) { ScreenSelection = Rect(x1, y1, x2, y2); }
    // Answers the next value dialog with a typed value.
    static void AnswerValue(int value) {
        QueueModalAction([value](QDialog& d) {
            auto& dialog = static_cast<TVariableDlg&>(d);
            dialog.UserTrackBar->SetPosition(value);
            dialog.btnOK->click();
        });
    }
    static void CancelValue() {
        QueueModalAction([](QDialog& d) { static_cast<TVariableDlg&>(d).btnCancel->click(); });
    }
};

// ---- Crop and copy selection

class CropAtDepth : public GeometryCommandsTest, public ::testing::WithParamInterface<int> {};

TEST_P(CropAtDepth, ABackwardDragPastTheEdgesCropsThePamcutBlockKeepingDepthAndPalette) {
    const int depth = GetParam();
    ShowFixture(depth);
    const int width = ImageWidth;
    const HPALETTE before = Display().GetPalette();
    // From beyond the bottom-right corner back to (3, 2): the block runs to the
    // right edge and is 11 rows high.
    Select(width + 9, 13, 3, 2);
    WebForm->mnuCopyMaskClick(WebForm->mnuCrop);
    EXPECT_TRUE(Shows(Display(), ReadPpm(GeometryFixture("src" + std::to_string(depth) + "_cut.ppm"))));
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), depth);
    EXPECT_EQ(ImageBitCount, depth);
    EXPECT_EQ(ImageWidth, width - 3);
    EXPECT_EQ(ImageHeight, 11);
    EXPECT_EQ(Script(), std::vector<std::string>{"CROP_EX=3,2," + std::to_string(width - 3) + ",11"});
    EXPECT_TRUE(ImageUndoSaved);
    if (depth <= 8) {
        const HPALETTE after = Display().GetPalette();
        ASSERT_TRUE(before && after);
        const auto& a = before->Entries;
        const auto& b = after->Entries;
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_TRUE(a[i].peRed == b[i].peRed && a[i].peGreen == b[i].peGreen && a[i].peBlue == b[i].peBlue)
                << "entry " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, CropAtDepth, ::testing::Values(1, 4, 8, 24), CaseNames<&DepthName>);

TEST_F(GeometryCommandsTest, AHighColourPictureCropsTo24Bits) {
    for (TPixelFormat format : {pf15bit, pf16bit}) {
        TBitmap picture;
        LoadFixture(picture, 24);
        picture.SetPixelFormat(format);
        Show(picture);
        LabScript.Clear();
        Select(5, 4, 20, 15);
        WebForm->mnuCopyMaskClick(WebForm->mnuCrop1);
        EXPECT_EQ(Display().PixelFormat(), pf24bit);
        EXPECT_EQ(ImageBitCount, 24);
        ASSERT_EQ(Display().Width(), 15);
        ASSERT_EQ(Display().Height(), 11);
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 15; ++x)
                ASSERT_EQ(ColorAt(Display(), x, y), picture.Handle()->GetColor(5 + x, 4 + y) & 0xFFFFFF);
    }
}

TEST_F(GeometryCommandsTest, ASelectionReachingAboveAndLeftIsClampedAndItsLineReplaysTheSameCrop) {
    ShowFixture(24);
    TBitmap original;
    original.Assign(&Display());
    Select(-4, -6, 10, 9);
    WebForm->mnuCopyMaskClick(WebForm->mnuCrop);
    ASSERT_EQ(Script(), std::vector<std::string>{"CROP_EX=0,0,10,9"});
    TBitmap cropped;
    cropped.Assign(&Display());

    // The interpreter's replay: the line's rectangle, the window as Sender.
    Show(original);
    LabScript.Clear();
    LastSelection = Rect(0, 0, 0 + 10, 0 + 9);
    CropFromScript = true;
    WebForm->mnuCopyMaskClick(WebForm);
    CropFromScript = false;
    EXPECT_TRUE(Shows(Display(), RasterOf(*cropped.Handle())));
    EXPECT_EQ(ImageWidth, 10);
    EXPECT_TRUE(Script().empty());  // the script's own crop records nothing
}

TEST_F(GeometryCommandsTest, ASelectionOutsideThePictureIsRefused) {
    ShowFixture(8);
    const int width = ImageWidth;
    Select(width + 5, 2, width + 30, 12);
    WebForm->mnuCopyMaskClick(WebForm->mnuCrop);
    EXPECT_EQ(Display().Width(), width);
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(GeometryCommandsTest, CopySelectionPutsTheBlockOnTheClipboardAndRecordsItsCrop) {
    ShowFixture(24);
    TBitmap original;
    original.Assign(&Display());
    Select(20, 14, 3, 2);
    WebForm->mnuCopyMaskClick(WebForm->mnuCopyMask);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(17, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(copied.pixel(x, y) & 0xFFFFFF, ColorAt(original, 3 + x, 2 + y)) << x << "," << y;
    EXPECT_TRUE(Shows(Display(), RasterOf(*original.Handle())));
    EXPECT_EQ(ImageWidth, original.Width());
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_EQ(Script(), std::vector<std::string>{"CROP_EX=3,2,17,12"});
    // The copied selection shows again, with the select tool.
    EXPECT_EQ(WebForm->ViewTool, TWebForm::TViewTool::Select);
    EXPECT_TRUE(SelectionDrawn);
    EXPECT_EQ(LastSelection.Left, 3);
    EXPECT_EQ(LastSelection.Right, 20);
}

TEST_F(GeometryCommandsTest, CopyImagePutsTheWholePictureThereAndRecordsNothing) {
    ShowFixture(8);
    WebForm->mnuCopy->trigger();
    EXPECT_TRUE(Shows(Display(), RasterOf(QGuiApplication::clipboard()->image())));
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageUndoSaved);
}

TEST_F(GeometryCommandsTest, AFailingClipboardWriteShowsTheBoxAndKeepsThePicture) {
    ShowFixture(24);
    ClipboardImageWriter = [](const QImage&) { throw EOutOfMemory("no room"); };
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuCopyClick(WebForm->mnuCopy);
    Answer(boxes, mrOk);
    Select(3, 2, 12, 9);
    WebForm->mnuCopyMaskClick(WebForm->mnuCopyMask);
    ASSERT_EQ(boxes.size(), 2u);
    for (const Box& box : boxes)
        EXPECT_EQ(box.text, "Image may be too large for clipboard.\nFunction aborted.");
    EXPECT_EQ(Display().Width(), 37);
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

// ---- Flips and quarter turns

struct TTurnCase {
    int Depth;
    const char* Control;  // the item or button used
    const char* Expected;  // pamflip's option
    const char* Line;
};

class TurnAtDepth : public GeometryCommandsTest, public ::testing::WithParamInterface<TTurnCase> {};

TEST_P(TurnAtDepth, EqualsPamflipAndRecordsItsLine) {
    const TTurnCase c = GetParam();
    ShowFixture(c.Depth);
    QObject* control = WebForm->FindChrome(c.Control);
    ASSERT_NE(control, nullptr);
    if (auto* button = qobject_cast<QToolButton*>(control))
        button->click();
    else
        static_cast<QAction*>(control)->trigger();
    EXPECT_TRUE(Shows(Display(),
                      ReadPpm(GeometryFixture("src" + std::to_string(c.Depth) + "_" + c.Expected + ".ppm"))));
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), c.Depth);
    EXPECT_EQ(ImageBitCount, c.Depth);
    EXPECT_EQ(ImageWidth, Display().Width());
    EXPECT_EQ(ImageHeight, Display().Height());
    EXPECT_EQ(Script(), std::vector<std::string>{c.Line});
    EXPECT_TRUE(ImageUndoSaved);
    EXPECT_TRUE(ImageChanged);
}

std::vector<TTurnCase> TurnCases() {
    std::vector<TTurnCase> cases;
    for (int depth : {1, 4, 8, 24}) {
        cases.push_back({depth, "mnuMirrorVert", "tb", "FLIP_VERTICAL"});
        cases.push_back({depth, "btnMirrorHorz", "lr", "FLIP_HORIZONTAL"});
        cases.push_back({depth, "btnRotate", "r270", "ROTATE=90"});
        cases.push_back({depth, "btnRotateCounter", "r90", "ROTATE=270"});
    }
    cases.push_back({24, "btnMirrorVert", "tb", "FLIP_VERTICAL"});
    cases.push_back({24, "mnuMirrorHorz", "lr", "FLIP_HORIZONTAL"});
    cases.push_back({8, "mnuRotate90", "r270", "ROTATE=90"});
    cases.push_back({8, "mnuRotate270", "r90", "ROTATE=270"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllDepths, TurnAtDepth, ::testing::ValuesIn(TurnCases()), [](const auto& info) {
    return std::string(info.param.Control) + "_" + std::to_string(info.param.Depth) + "bit";
});

TEST_F(GeometryCommandsTest, FlipsRecordWhileAScriptRunsAndTurnsDoNot) {
    ShowFixture(24);
    batch_8900::BatchRunning = true;
    WebForm->mnuMirrorVertClick(WebForm->mnuMirrorVert);
    WebForm->mnuRotateClick(WebForm->btnRotate, false);
    batch_8900::BatchRunning = false;
    EXPECT_EQ(Script(), std::vector<std::string>{"FLIP_VERTICAL"});
}

// ---- Rotation by the dialogs

TEST_F(GeometryCommandsTest, DialogAnglesReachTheLibraryAndTheirLines) {
    struct Case {
        const char* Control;
        bool Shift;
        int Answer;
        int LibraryAngle;
        const char* Line;
    };
    const Case cases[] = {
        {"mnuRotate", false, 45, 31500, "ROTATE=45"},
        {"mnuRotateFine", false, -250, 250, "ROTATE_FINE=35750"},
        {"mnuRotateFine", false, 1250, 34750, "ROTATE_FINE=1250"},
        // Shift on a quarter-turn button or item asks for the fine angle.
        {"btnRotate", true, 750, 35250, "ROTATE_FINE=750"},
        {"mnuRotate270", true, -4000, 4000, "ROTATE_FINE=32000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Control);
        ShowFixture(8);
        TBitmap original;
        original.Assign(&Display());
        LabScript.Clear();
        AnswerValue(c.Answer);
        // The menu items run through their own handler; Shift is handed in.
        if (c.Shift)
            WebForm->mnuRotateClick(WebForm->FindChrome(c.Control), true);
        else
            static_cast<QAction*>(WebForm->FindChrome(c.Control))->trigger();
        EXPECT_EQ(QueuedModalAnswers(), 0);
        EXPECT_EQ(Script(), std::vector<std::string>{c.Line});
        const TPixelBuffer expected = imgman::RotatePixels(*original.Handle(), c.LibraryAngle, 0x204060);
        EXPECT_TRUE(Shows(Display(), RasterOf(expected)));
        EXPECT_EQ(ImageBitCount, 24);
        EXPECT_EQ(ImageWidth, expected.Width());
        EXPECT_EQ(ImageHeight, expected.Height());
    }
}

TEST_F(GeometryCommandsTest, ADialogAnswerOfZeroChangesNothing) {
    ShowFixture(4);
    TBitmap original;
    original.Assign(&Display());
    CancelValue();
    WebForm->mnuRotateClick(WebForm->mnuRotate, false);
    CancelValue();
    WebForm->mnuRotateClick(WebForm->btnRotate, true);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_TRUE(Shows(Display(), RasterOf(*original.Handle())));
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(GeometryCommandsTest, AFailedTurnKeepsThePictureAndShowsTheLibraryError) {
    // A strip whose turned box is beyond the picture limits.
    TBitmap strip;
    strip.SetPixelFormat(pf8bit);
    strip.SetSize(1, 1 << 20);
    Show(strip);
    std::vector<Box> boxes;
    AnswerValue(45);
    Answer(boxes, mrOk);
    WebForm->mnuRotateClick(WebForm->mnuRotate, false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_EQ(Display().Height(), 1 << 20);
    EXPECT_EQ(ImageHeight, 1 << 20);
    EXPECT_TRUE(Script().empty());
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

// ---- Menus

TEST_F(GeometryCommandsTest, TheCopySubMenuAndTheEmptyItems) {
    ShowFixture(24);
    auto* copyMenu = WebForm->findChild<QMenu*>("mnuCopyMain1Menu");
    ASSERT_NE(copyMenu, nullptr);
    EXPECT_EQ(WebForm->mnuCopyMain1->text(), "&Copy");
    std::vector<std::string> captions;
    for (QAction* item : copyMenu->actions())
        captions.push_back(item->text().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"&Image", "&Selection", "&Grid", "&Viewport"}));
    EXPECT_EQ(WebForm->mnuCopy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    WebForm->show();
    WebForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WebForm));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(WebForm, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(Shows(Display(), RasterOf(QGuiApplication::clipboard()->image())));
    EXPECT_EQ(WebForm->mnuCopyViewport->shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C));

    for (bool fit : {true, false}) {
        FitWindow = fit;
        emit copyMenu->aboutToShow();
        EXPECT_EQ(WebForm->ChromeEnabled("mnuCopyViewport"), !fit);
    }

    for (TMenuItem* empty : {WebForm->mnuEmpty, WebForm->mnuEmpty1}) {
        EXPECT_EQ(empty->text(), "&Empty");
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
        WebForm->EnableControls();
        ASSERT_TRUE(empty->isEnabled());
        empty->trigger();
        EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
    }
}

TEST_F(GeometryCommandsTest, TheFlipAndRotateMenusAndTheSideBarButtons) {
    auto captions = [](const char* menu) {
        std::vector<std::string> out;
        for (QAction* item : WebForm->findChild<QMenu*>(menu)->actions())
            out.push_back(item->text().toStdString());
        return out;
    };
    EXPECT_EQ(captions("mnuFlip1Menu"), (std::vector<std::string>{"&Vertical", "&Horizontal"}));
    EXPECT_EQ(captions("mnuRotate1Menu"), (std::vector<std::string>{"&90 deg.", "&270 deg.", "&Normal", "&Fine"}));
    EXPECT_EQ(WebForm->mnuRotate90->Tag, 9000);
    EXPECT_EQ(WebForm->mnuRotate270->Tag, 27000);
    EXPECT_EQ(WebForm->btnRotate->toolTip(), "Rotate clockwise");
    EXPECT_EQ(WebForm->btnRotateCounter->toolTip(), "Rotate counter-clockwise");
    EXPECT_EQ(WebForm->btnMirrorVert->toolTip(), "Flip image vertically");
    EXPECT_EQ(WebForm->btnMirrorHorz->toolTip(), "Flip image horizontally");
}

}  // namespace

namespace {

TEST_F(GeometryCommandsTest, InFitModeTheBlockIsTakenAtTheShownScaleAndFitComesBack) {
    ShowFixture(24);
    FitWindow = true;
    WebForm->ProcessDone();
    const int shownWidth = WebForm->Daz95->width(), shownHeight = WebForm->Daz95->height();
    ASSERT_GT(shownWidth, 0);
    Select(shownWidth / 4, shownHeight / 4, shownWidth / 2, shownHeight);
    const TRect expected = viewgeo::ScreenToPicture(ScreenSelection, true, ZoomPercent, shownWidth, shownHeight,
                                                    ImageWidth, ImageHeight);
    TBitmap original;
    original.Assign(&Display());
    WebForm->mnuCopyMaskClick(WebForm->mnuCrop);
    EXPECT_TRUE(FitWindow);
    ASSERT_EQ(Display().Width(), expected.Width());
    ASSERT_EQ(Display().Height(), expected.Height());
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(original, expected.Left, expected.Top));
    EXPECT_EQ(Script(), std::vector<std::string>{"CROP_EX=" + std::to_string(expected.Left) + "," +
                                                 std::to_string(expected.Top) + "," +
                                                 std::to_string(expected.Width()) + "," +
                                                 std::to_string(expected.Height())});
}

}  // namespace
