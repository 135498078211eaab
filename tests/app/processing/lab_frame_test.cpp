// The frame of the editing commands, through a small command defined here; the
// recorder; the filters' common ending; the view gamma applied on opening.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "app/script/LabFrame.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "support/picture_compare.h"
#include "ui/Status_y.h"

#include <QEvent>
#include <QPlainTextEdit>

#include <stdexcept>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

// What the test command saw and did.
struct Trace {
    bool asked = false;
    bool worked = false;
    size_t linesAtWork = 0;
};

class LabFrameTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ResetLabState();
        AutoFixBusy = false;
        LabScript.Clear();
        TBitmap picture;
        MakePicture(picture, 24);
        Show(picture);
    }
    void TearDown() override {
        ImageWindowTest::TearDown();
        AutoFixBusy = false;
        LabScript.Clear();
        ResetLabState();
    }
    // A negative-like command: inverts the picture, with the value its dialog
    // answers (-999 = Cancel) in its line.
    bool RunInvert(Trace& trace, int answer, TLabRecording recording = TLabRecording::Step,
                   TLabLineTime time = TLabLineTime::AfterWork) {
        int level = 0;
        TLabCommand command;
        command.BusyText = "Inverting ...";
        command.Recording = recording;
        command.LineTime = time;
        command.Parameters = [&] {
            trace.asked = true;
            level = answer;
            return !LabDialogCancelled(level);
        };
        command.Line = [&] { return LabLine("INVERT_TEST", {std::min(level, 100)}); };
        command.Work = [&] {
            trace.worked = true;
            trace.linesAtWork = size_t(LabScript.Count());
            TBitmap& b = Display();
            for (int y = 0; y < b.Height(); ++y)
                for (int x = 0; x < 3 * b.Width(); ++x)
                    b.ScanLine(y)[x] = uint8_t(255 - b.ScanLine(y)[x]);
        };
        return RunLabCommand(*WebForm, command);
    }
    // Opens the Lab Script window as its first activation would, and hides it.
    void OpenScriptWindow() {
        batch_8900::BatchForm = new TBatchForm();
        batch_8900::BatchFormActive = true;
        batch_8900::BatchFormOpen = true;
        batch_8900::BatchForm->hide();
    }
};

TEST_F(LabFrameTest, ACommandBacksUpRecordsWorksAndEnds) {
    TBitmap before;
    before.Assign(&Display());
    Trace trace;
    ASSERT_TRUE(RunInvert(trace, 250));
    EXPECT_TRUE(ImageUndoSaved);
    EXPECT_TRUE(trace.asked && trace.worked);
    EXPECT_EQ(trace.linesAtWork, 0u);  // recorded after its work
    EXPECT_EQ(Script(), std::vector<std::string>{"INVERT_TEST=100"});  // the clamped value
    EXPECT_EQ(Display().ScanLine(2)[4], uint8_t(255 - before.ScanLine(2)[4]));
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    EXPECT_EQ(StatusTextValue, "Ready.");
    EXPECT_EQ(Screen.Cursor(), crDefault);

    Trace early;
    ASSERT_TRUE(RunInvert(early, 7, TLabRecording::Step, TLabLineTime::BeforeWork));
    EXPECT_EQ(early.linesAtWork, 2u);
    EXPECT_EQ(Script(), (std::vector<std::string>{"INVERT_TEST=100", "INVERT_TEST=7"}));
}

TEST_F(LabFrameTest, ACancelledDialogRecordsNothingAndKeepsTheUndoCopy) {
    TBitmap before;
    before.Assign(&Display());
    Trace trace;
    EXPECT_FALSE(RunInvert(trace, LabCancelled));
    EXPECT_TRUE(trace.asked);
    EXPECT_FALSE(trace.worked);
    EXPECT_EQ(LabScript.Count(), 0);
    EXPECT_TRUE(ImageUndoSaved);
    EXPECT_EQ(0, std::memcmp(Display().ScanLine(5), before.ScanLine(5), size_t(before.RowBytes())));
}

TEST_F(LabFrameTest, ARefusedBackupRunsNoStep) {
    // A picture the backup cannot keep.
    TBitmap empty;
    Show(empty);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    Trace trace;
    EXPECT_FALSE(RunInvert(trace, 50, TLabRecording::MenuOnly));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Backup failed. "), std::string::npos);
    EXPECT_TRUE(CancelPressed);
    EXPECT_FALSE(trace.asked || trace.worked);
    EXPECT_EQ(LabScript.Count(), 0);
    EXPECT_NE(WebForm->StatusPanelText(2), "Inverting ...");
    CancelPressed = 0;
}

TEST_F(LabFrameTest, StepsRecordOnlyOutsideScriptsAndMenuCommandsAlways) {
    batch_8900::BatchRunning = true;
    Trace step, menu;
    ASSERT_TRUE(RunInvert(step, 10, TLabRecording::Step));
    EXPECT_TRUE(step.worked);
    EXPECT_FALSE(ImageUndoSaved);  // a running script keeps no undo copy per step
    ASSERT_TRUE(RunInvert(menu, 20, TLabRecording::MenuOnly));
    EXPECT_EQ(Script(), std::vector<std::string>{"INVERT_TEST=20"});
    EXPECT_EQ(StatusTextValue, "Busy ...");  // the script goes on
}

TEST_F(LabFrameTest, LinesGoToTheScriptWindowOnceItWasOpenedEvenWhileHidden) {
    Trace first;
    ASSERT_TRUE(RunInvert(first, 1));
    OpenScriptWindow();
    batch_8900::BatchForm->Memo1->setPlainText("NEGATIVE");
    Trace second, third;
    ASSERT_TRUE(RunInvert(second, 2));
    ASSERT_TRUE(RunInvert(third, 3, TLabRecording::MenuOnly));
    EXPECT_FALSE(batch_8900::BatchForm->isVisible());
    EXPECT_EQ(batch_8900::BatchForm->Memo1->toPlainText().toStdString(), "NEGATIVE\nINVERT_TEST=2\nINVERT_TEST=3");
    EXPECT_EQ(Script(), std::vector<std::string>{"INVERT_TEST=1"});

    // An empty memo takes the line as its first.
    batch_8900::BatchForm->Memo1->clear();
    AddLabCommand("DUPLICATE");
    EXPECT_EQ(batch_8900::BatchForm->Memo1->toPlainText().toStdString(), "DUPLICATE");
}

// Size changes keep the depth, record two lines, and may fail after the undo copy.
TEST_F(LabFrameTest, AFailedAttemptEndsReadyWithoutLineAndTwoLinesAreRecordedApart) {
    TBitmap indexed;
    MakePicture(indexed, 8);
    Show(indexed);
    for (bool succeeds : {false, true}) {
        bool worked = false;
        TLabCommand command;
        command.To24Bit = false;
        command.BusyText = "Resizing...";
        command.LineTime = TLabLineTime::AfterWork;
        command.Line = [] { return std::string("RESIZE=20,10\n>RESIZE%%=5000"); };
        command.Attempt = [&] {
            worked = true;
            return succeeds;
        };
        EXPECT_EQ(RunLabCommand(*WebForm, command), succeeds);
        EXPECT_TRUE(worked);
        EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 8);
        EXPECT_EQ(StatusTextValue, "Ready.");
        EXPECT_TRUE(ImageUndoSaved);
        EXPECT_EQ(Script(), succeeds ? (std::vector<std::string>{"RESIZE=20,10", ">RESIZE%%=5000"})
                                     : std::vector<std::string>{});
    }
}

TEST_F(LabFrameTest, ScriptLinesAreKeywordsWithUpToFourNumbersOrAText) {
    EXPECT_EQ(LabLine("NEGATIVE"), "NEGATIVE");
    EXPECT_EQ(LabLine("GAMMA", {120, 100, 80}), "GAMMA=120,100,80");
    EXPECT_EQ(LabLine("SHIFT", {-5, 0, 255, 7, 9}), "SHIFT=-5,0,255,7");
    EXPECT_EQ(LabTextLine("SAVE", "_web"), "SAVE=_web");
}

TEST_F(LabFrameTest, ExitFilterDuringAnAutomaticFixOnlyUnlocksPainting) {
    WebForm->show();
    QCoreApplication::processEvents();
    PaintCounter paints(WebForm->Daz95);
    ImageChanged = false;
    WebForm->StatusBusy("Enhancing ...");
    WebForm->Daz95->SetPaintLock(true);
    QCoreApplication::processEvents();
    paints.Count = 0;
    {
        TScopedFlag chain(AutoFixBusy, true);
        WebForm->ExitFilter(WebForm->Daz95);
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    EXPECT_FALSE(ImageChanged);
    EXPECT_EQ(StatusTextValue, "Busy ...");
    EXPECT_EQ(WebForm->StatusPanelText(2), "Enhancing ...");
    EXPECT_EQ(Screen.Cursor(), crHourGlass);
    EXPECT_EQ(paints.Count, 0);

    WebForm->ExitFilter(WebForm->Daz95);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(StatusTextValue, "Ready.");
    EXPECT_EQ(Screen.Cursor(), crDefault);
    EXPECT_GT(paints.Count, 0);
}

TEST_F(LabFrameTest, ExitFilterMarksOnlyTheViewerPictureChanged) {
    TPix preview;
    preview.SetPaintLock(true);
    ImageChanged = false;
    WebForm->ExitFilter(&preview);
    EXPECT_FALSE(preview.PaintLock());
    EXPECT_FALSE(ImageChanged);
    EXPECT_EQ(StatusTextValue, "Ready.");
}

TEST_F(LabFrameTest, AnExceptionInAStepLeavesTheFlagsAsTheyWere) {
    for (bool before : {false, true}) {
        batch_8900::BatchRunning = before;
        AutoFixBusy = before;
        TLabCommand command;
        command.Recording = TLabRecording::MenuOnly;
        command.Work = [&] {
            TScopedFlag batch(batch_8900::BatchRunning, true);
            TScopedFlag chain(AutoFixBusy, true);
            TPaintLock lock(*WebForm->Daz95);
            throw std::runtime_error("inner step failed");
        };
        EXPECT_THROW(RunLabCommand(*WebForm, command), std::runtime_error);
        EXPECT_EQ(batch_8900::BatchRunning, before);
        EXPECT_EQ(AutoFixBusy, before);
        EXPECT_FALSE(WebForm->Daz95->PaintLock());
    }
}

TEST_F(LabFrameTest, TheColourFiltersMapTheViewerPictureAndEnd) {
    TBitmap before;
    before.Assign(&Display());
    for (int channel = 0; channel < 3; ++channel)
        SetBrightLUT(127, channel);
    ImageChanged = false;
    WebForm->NegColorFilter(WebForm->Daz95);
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    const uint8_t was = before.ScanLine(3)[7], now = Display().ScanLine(3)[7];
    EXPECT_EQ(now, uint8_t(255 - BlueMap[size_t(255 - was)]));

    TBitmap mirrored;
    mirrored.Assign(&Display());
    ResetMaps();
    SetShiftLUT(40, 0);
    WebForm->Daz95->SetPaintLock(true);
    WebForm->ColorFilter(WebForm->Daz95);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    // Pixel 2 of row 3: red through RedMap, green and blue unchanged.
    EXPECT_EQ(Display().ScanLine(3)[8], RedMap[mirrored.ScanLine(3)[8]]);
    EXPECT_EQ(Display().ScanLine(3)[7], mirrored.ScanLine(3)[7]);

    // A picture that is not 24-bit is refused, and the locks are released.
    Display().SetPixelFormat(pf8bit);
    EXPECT_THROW(WebForm->ColorFilter(WebForm->Daz95), EInvalidGraphic);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
}

TEST_F(LabFrameTest, TheViewerPicturesPartnerIsTheDuplicateAnyOtherControlsIsTheWorkPicture) {
    DuplicateBitmap = std::make_unique<TBitmap>();
    WorkBitmap = std::make_unique<TBitmap>();
    TPix preview;
    EXPECT_EQ(LabPartner(*WebForm, WebForm->Daz95), DuplicateBitmap.get());
    EXPECT_EQ(LabPartner(*WebForm, &preview), WorkBitmap.get());
    DuplicateBitmap.reset();
    EXPECT_EQ(LabPartner(*WebForm, WebForm->Daz95), nullptr);
    WorkBitmap.reset();
}

// ---- The view gamma on opening

class ViewGammaTest : public ImageWindowTest {
protected:
    void Open(const std::string& fixture) {
        FileName = Fixture(fixture);
        FileExt = ".BMP";
        WebForm->BtnOpenEx(WebForm);
    }
    void TearDown() override {
        ImageWindowTest::TearDown();
        ResetLabState();
    }
};

TEST_F(ViewGammaTest, APictureOpensWithTheFadedViewGammaUnmarked) {
    WebForm->mnuViewGamma->Tag = 150;
    Open("bmp/rgb24.bmp");
    ASSERT_EQ(ImageBitCount, 24);
    EXPECT_FALSE(ImageChanged);
    ClearMaps();
    SetGammaLUT(150, 1, true);
    const TColorMap curve = GreenMap;
    const RgbRaster reference = ReadPpm(Fixture("bmp/rgb24.ppm"));
    RgbRaster expected = reference;
    for (uint32_t& p : expected.Pixels)
        p = uint32_t(curve[p >> 16 & 0xFF]) << 16 | uint32_t(curve[p >> 8 & 0xFF]) << 8 | curve[p & 0xFF];
    EXPECT_TRUE(SamePixels(expected, Display().Width(), Display().Height(),
                           [&](int x, int y) { return ColorAt(Display(), x, y); }));
}

TEST_F(ViewGammaTest, AOneBitPictureIsLeftAlone) {
    WebForm->mnuViewGamma->Tag = 150;
    Open("bmp/bw1.bmp");
    EXPECT_EQ(ImageBitCount, 1);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 1);
    EXPECT_FALSE(ImageChanged);
    EXPECT_TRUE(SamePixels(ReadPpm(Fixture("bmp/bw1.ppm")), Display().Width(), Display().Height(),
                           [&](int x, int y) { return ColorAt(Display(), x, y); }));
}

}  // namespace
