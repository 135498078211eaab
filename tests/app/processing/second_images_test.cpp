// The image window's second pictures and two-image commands: the Lab menu
// items, Duplicate, Swap, the backup slot, the loan of the duplicate, Zero
// map, Compute > Multiply, Minimum, Maximum, Difference (against numpy and
// pamarith, tests/fixtures/twoimage), their refusal, recording and undo.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "app/script/LabFrame.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "support/message_boxes.h"
#include "ui/Status_y.h"

#include <QMenu>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

const char* const Refusal =
    "Two bitmap are required for this function: a source and duplicate.\n"
    "Both bitmaps must have same dimensions and color depth (24-bit).\n"
    "To duplicate current image, press Ctrl-D or select from menu\n\nLab | Duplicate";

std::string TwoImageFixture(const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/twoimage/" + name;
}

class SecondImagesTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        CancelPressed = 0;
        DifferenceSumSq = 0;
        ImageUndoSaved = false;
        WorkStream.Clear();
    }
    void TearDown() override {
        LabWindowTest::TearDown();
        ParkedDuplicate.reset();
        CancelPressed = 0;
    }
    // Shows a picture of the fixture (24-bit).
    void ShowFixture(const std::string& name) {
        TBitmap picture;
        LoadRaster(picture, ReadPpm(TwoImageFixture(name)));
        Show(picture);
    }
    // The fixture as the duplicate, beside the picture shown.
    void DuplicateFixture(const std::string& name) {
        LoadRaster(*DuplicateBitmap, ReadPpm(TwoImageFixture(name)));
    }
    // A copy of a picture, to compare with later.
    static std::unique_ptr<TBitmap> Copy(const TBitmap& picture) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(&picture);
        return copy;
    }
};

// ---- The menu

TEST_F(SecondImagesTest, LabMenuItemsSitInTheirSubmenusAndRun) {
    struct Place {
        TMenuItem* item;
        const char* caption;
        QMenu* menu;
    };
    const Place places[] = {
        {WebForm->mnuDuplicate, "&Duplicate", WebForm->homeLab},
        {WebForm->mnuSwap, "S&wap image", WebForm->homeLab},
        {WebForm->mnuMultiply1, "Multipl&y", WebForm->HomeCompute1->menu()},
        {WebForm->mnuMinimum1, "Mi&nimum", WebForm->HomeCompute1->menu()},
        {WebForm->mnuMaximum1, "Ma&ximum", WebForm->HomeCompute1->menu()},
        {WebForm->mnuDifference1, "Diffe&rence", WebForm->HomeCompute1->menu()},
        {WebForm->mnuAverage1, "&Average", WebForm->HomeCompute1->menu()},
        {WebForm->mnuInterLace1, "&Interlace", WebForm->HomeCompute1->menu()},
        {WebForm->mnuMaskLevels, "Mask &Levels", WebForm->homeLab},
        {WebForm->mnuCopyToBackup, "Copy &To Backup", WebForm->HomeReMap1->menu()},
        {WebForm->mnuCopyFromBackup, "Copy &From Backup", WebForm->HomeReMap1->menu()},
        {WebForm->mnuInitialize1, "&Zero map", WebForm->HomeReMap1->menu()},
    };
    for (const Place& place : places) {
        ASSERT_NE(place.item, nullptr) << place.caption;
        EXPECT_EQ(place.item->Caption(), place.caption);
        EXPECT_TRUE(place.menu->actions().contains(place.item)) << place.caption;
        EXPECT_TRUE(place.item->isEnabled()) << place.caption;
    }
    EXPECT_EQ(WebForm->HomeReMap1->Caption(), "&Advanced");
    EXPECT_EQ(WebForm->HomeCompute1->Caption(), "&Compute");
    EXPECT_TRUE(WebForm->homeLab->actions().contains(WebForm->HomeReMap1));
    EXPECT_TRUE(WebForm->homeLab->actions().contains(WebForm->HomeCompute1));
    EXPECT_EQ(WebForm->mnuDuplicate->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
}

// ---- Duplicate and the backup slot

TEST_F(SecondImagesTest, DuplicateKeepsFourBitsMakesEightBitsTrueColourAndLeavesOneBit) {
    struct Case {
        int bits;
        int duplicateBits;
    };
    for (const Case& c : {Case{1, 1}, Case{4, 4}, Case{8, 24}, Case{24, 24}}) {
        SCOPED_TRACE(c.bits);
        LabScript.Clear();
        TBitmap picture;
        MakePicture(picture, c.bits);
        Show(picture);
        OriginalBitCount = c.bits;
        WebForm->mnuDuplicateClick(WebForm->mnuDuplicate);
        EXPECT_EQ(PixelFormatDepth(DuplicateBitmap->PixelFormat()), c.duplicateBits);
        EXPECT_EQ(ImageBitCount, c.duplicateBits);
        EXPECT_EQ(OriginalBitCount, c.bits >= 8 ? 24 : c.bits);
        EXPECT_TRUE(SamePicture(Display(), *DuplicateBitmap));
        if (c.bits <= 4) {
            EXPECT_TRUE(SamePicture(picture, *DuplicateBitmap));
        }
        EXPECT_EQ(Script(), std::vector<std::string>{"DUPLICATE"});
        EXPECT_EQ(StatusTextValue, "Duplicated.");
    }
}

TEST_F(SecondImagesTest, TheDuplicateIsIndependentAndASecondDuplicateReplacesIt) {
    TBitmap first;
    MakePicture(first, 24);
    Show(first);
    WebForm->mnuDuplicate->trigger();
    Display().ScanLine(0)[0] ^= 0xFF;
    EXPECT_TRUE(SamePicture(first, *DuplicateBitmap));
    WebForm->mnuDuplicate->trigger();
    EXPECT_TRUE(SamePicture(Display(), *DuplicateBitmap));
    EXPECT_EQ(Script(), (std::vector<std::string>{"DUPLICATE", "DUPLICATE"}));
    EXPECT_FALSE(ImageChanged);
}

TEST_F(SecondImagesTest, CopyFromBackupBeforeAnyCopyToBackupDoesNothing) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    WebForm->mnuCopyFromBackup->trigger();
    EXPECT_TRUE(SamePicture(picture, Display()));
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageChanged);
    EXPECT_FALSE(ImageUndoSaved);
}

TEST_F(SecondImagesTest, CopyFromBackupBringsTheParkedPictureBackAndUndoGivesTheReplacedOne) {
    TBitmap parked;
    MakePicture(parked, 24, 41, 19);
    Show(parked);
    WebForm->mnuCopyToBackup->trigger();
    EXPECT_TRUE(SamePicture(parked, *BackupBitmap));
    EXPECT_EQ(Script(), std::vector<std::string>{"CopyToBackup"});

    // Another picture, of another size and depth, then the parked one back.
    TBitmap other;
    MakePicture(other, 4);
    Show(other, "/pictures/other.bmp");
    WebForm->mnuCopyFromBackup->trigger();
    EXPECT_TRUE(SamePicture(parked, Display()));
    EXPECT_EQ(ImageWidth, 41);
    EXPECT_EQ(ImageHeight, 19);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(Script(), (std::vector<std::string>{"CopyToBackup", "CopyFromBackup"}));
    // The slot keeps its picture.
    EXPECT_TRUE(SamePicture(parked, *BackupBitmap));

    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(other, Display()));
    EXPECT_EQ(ImageBitCount, 4);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(SecondImagesTest, BackupCommandsInsideAScriptRecordNothingAndTakeNoUndoCopy) {
    TBitmap parked, other;
    MakePicture(parked, 24, 41, 19);
    MakePicture(other, 24);
    Show(parked);
    TScopedFlag running(batch_8900::BatchRunning, true);
    WebForm->mnuCopyToBackupClick(nullptr);
    Show(other);
    WebForm->mnuCopyFromBackupClick(nullptr);
    EXPECT_TRUE(SamePicture(parked, Display()));
    EXPECT_EQ(ImageWidth, 41);
    EXPECT_EQ(ImageHeight, 19);
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageUndoSaved);
}

TEST_F(SecondImagesTest, InsideAScriptNoCommandRecordsALine) {
    ShowFixture("a.ppm");
    TScopedFlag running(batch_8900::BatchRunning, true);
    for (TMenuItem* item : {WebForm->mnuDuplicate, WebForm->mnuSwap, WebForm->mnuCopyToBackup,
                            WebForm->mnuCopyFromBackup, WebForm->mnuInitialize1, WebForm->mnuMultiply1}) {
        item->trigger();
        EXPECT_TRUE(Script().empty()) << item->Caption();
    }
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

// ---- Swap

TEST_F(SecondImagesTest, SwapExchangesBothPicturesExactly) {
    ShowFixture("a.ppm");
    DuplicateFixture("b.ppm");
    const auto picture = Copy(Display());
    const auto duplicate = Copy(*DuplicateBitmap);
    WebForm->mnuSwap->trigger();
    EXPECT_TRUE(SamePicture(*duplicate, Display()));
    EXPECT_TRUE(SamePicture(*picture, *DuplicateBitmap));
    EXPECT_TRUE(WorkBitmap->GetEmpty());
    EXPECT_EQ(Script(), std::vector<std::string>{"SWAP"});
    EXPECT_EQ(StatusTextValue, "Swapped.");
    // The pictures are independent afterwards.
    Display().ScanLine(0)[0] ^= 0xFF;
    EXPECT_TRUE(SamePicture(*picture, *DuplicateBitmap));
}

TEST_F(SecondImagesTest, SwapWithADuplicateOfAnotherSizeChangesNothingAndSaysNothing) {
    ShowFixture("a.ppm");
    TBitmap other;
    MakePicture(other, 24);
    DuplicateBitmap->Assign(&other);
    const auto picture = Copy(Display());
    WebForm->mnuSwap->trigger();
    EXPECT_TRUE(SamePicture(*picture, Display()));
    EXPECT_TRUE(SamePicture(other, *DuplicateBitmap));
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_TRUE(Script().empty());
}

// ---- The refusal

// Every two-image command, as the user reaches it; true when it shows the
// refusal box.
struct TwoImageCommand {
    const char* name;
    std::function<void(TWebForm&)> run;
    bool showsRefusal;
};

const std::vector<TwoImageCommand>& TwoImageCommands() {
    static const std::vector<TwoImageCommand> commands = {
        {"Multiply", [](TWebForm& f) { f.mnuMultiply1->trigger(); }, true},
        {"Minimum", [](TWebForm& f) { f.mnuMinimum1->trigger(); }, true},
        {"Maximum", [](TWebForm& f) { f.mnuMaximum1->trigger(); }, true},
        {"Difference", [](TWebForm& f) { f.mnuDifference1->trigger(); }, true},
        {"Subtract", [](TWebForm& f) { f.mnuSubtract->trigger(); }, true},
        {"MaskColors", [](TWebForm& f) { f.mnuMaskColors->trigger(); }, true},
        {"MaskEdges", [](TWebForm& f) { f.mnuMaskEdges->trigger(); }, true},
        {"ColourMask", [](TWebForm& f) { f.DoColorMask(f.Daz95, true); }, false},
        {"EdgeMask", [](TWebForm& f) { f.DoMaskEdges(f.Daz95, 255, true, 255, 25); }, false},
        {"Average", [](TWebForm& f) { f.DoAverageBitmap(f.Daz95); }, false},
        {"Interlace", [](TWebForm& f) { f.DoAverageField(f.Daz95, 1); }, false},
        {"Swap", [](TWebForm& f) { f.mnuSwap->trigger(); }, false},
        {"AverageMenu", [](TWebForm& f) { f.mnuAverage1->trigger(); }, true},
        {"InterlaceMenu", [](TWebForm& f) { f.mnuInterLace1->trigger(); }, true},
        {"MaskLevels", [](TWebForm& f) { f.mnuMaskLevels->trigger(); }, true},
        {"Shadows", [](TWebForm& f) { f.DoCompositeMask(f.Daz95, true, false, false); }, false},
        {"Grey composite", [](TWebForm& f) { f.DoCompositeGray(f.Daz95, false); }, false},
    };
    return commands;
}

TEST_F(SecondImagesTest, EveryTwoImageCommandRefusesAFourBitDuplicateAlsoAfterThePictureWasPromoted) {
    for (bool promoted : {false, true}) {
        for (const TwoImageCommand& command : TwoImageCommands()) {
            SCOPED_TRACE(std::string(command.name) + (promoted ? " after promotion" : ""));
            TBitmap picture;
            MakePicture(picture, 4);
            Show(picture);
            WebForm->mnuDuplicate->trigger();
            ASSERT_EQ(PixelFormatDepth(DuplicateBitmap->PixelFormat()), 4);
            if (promoted) {
                WebForm->SetBitmap24();
                ASSERT_EQ(ImageBitCount, 24);
            }
            LabScript.Clear();
            FilterCustom2 = 50;
            const auto shown = Copy(Display());
            const auto duplicate = Copy(*DuplicateBitmap);
            std::vector<Box> boxes;
            if (command.showsRefusal)
                Answer(boxes, mrOk);
            command.run(*WebForm);
            EXPECT_TRUE(SamePicture(*shown, Display()));
            EXPECT_TRUE(SamePicture(*duplicate, *DuplicateBitmap));
            EXPECT_TRUE(Script().empty());
            if (command.showsRefusal) {
                ASSERT_EQ(boxes.size(), 1u);
                EXPECT_EQ(boxes[0].text, Refusal);
            }
            EXPECT_EQ(UnansweredModalRuns(), 0);
            EXPECT_EQ(QueuedModalAnswers(), 0);
        }
    }
}

TEST_F(SecondImagesTest, NoDuplicateOrOneOfAnotherSizeIsRefusedToo) {
    ShowFixture("a.ppm");
    for (bool sized : {false, true}) {
        if (sized) {
            TBitmap other;
            MakePicture(other, 24);
            DuplicateBitmap->Assign(&other);
        }
        EXPECT_FALSE(WebForm->Ok2ComputeFull());
        std::vector<Box> boxes;
        Answer(boxes, mrOk);
        WebForm->mnuMultiply1->trigger();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Refusal);
    }
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("a.ppm")), Display()));
}

// ---- The two-image commands

TEST_F(SecondImagesTest, ComputeCommandsEqualNumpyAndPamarithRecordOnceAndUndo) {
    struct Case {
        TMenuItem* TWebForm::*item;
        const char* expected;
        const char* line;
    };
    const Case cases[] = {
        {&TWebForm::mnuMultiply1, "multiply.ppm", "MULTIPLY"},
        {&TWebForm::mnuMinimum1, "minimum.ppm", "MINIMUM"},
        {&TWebForm::mnuMaximum1, "maximum.ppm", "MAXIMUM"},
        {&TWebForm::mnuDifference1, "difference.ppm", "DIFFERENCE"},
        {&TWebForm::mnuSubtract, "subtract.ppm", "SUBTRACT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LabScript.Clear();
        ShowFixture("a.ppm");
        DuplicateFixture("b.ppm");
        ImageChanged = false;
        (WebForm->*c.item)->trigger();
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture(c.expected)), Display()));
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("b.ppm")), *DuplicateBitmap));
        EXPECT_EQ(Script(), std::vector<std::string>{c.line});
        EXPECT_TRUE(ImageChanged);
        EXPECT_FALSE(WebForm->Daz95->PaintLock());
        EXPECT_EQ(StatusTextValue, "Ready.");
        WebForm->mnuUndoClick(nullptr);
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("a.ppm")), Display()));

        // Inside a script: the same result, no line, no undo copy.
        ShowFixture("a.ppm");
        ImageChanged = false;
        {
            TScopedFlag running(batch_8900::BatchRunning, true);
            (WebForm->*c.item)->trigger();
        }
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture(c.expected)), Display()));
        EXPECT_EQ(Script().size(), 1u);
        EXPECT_TRUE(ImageChanged);
        EXPECT_FALSE(ImageUndoSaved);
    }
}

TEST_F(SecondImagesTest, MultiplyByWhiteKeepsThePictureByBlackGivesBlackDifferenceOfItselfIsGrey) {
    struct Case {
        uint8_t duplicateByte;
        void (TWebForm::*command)(QObject*);
        std::function<uint8_t(uint8_t)> expected;
    };
    const Case cases[] = {
        {255, &TWebForm::mnuMultiply1Click, [](uint8_t v) { return v; }},
        {0, &TWebForm::mnuMultiply1Click, [](uint8_t) { return uint8_t(0); }},
    };
    for (const Case& c : cases) {
        ShowFixture("a.ppm");
        const auto original = Copy(Display());
        DuplicateBitmap->Assign(original.get());
        for (int y = 0; y < DuplicateBitmap->Height(); ++y)
            std::fill_n(DuplicateBitmap->ScanLine(y), 3 * DuplicateBitmap->Width(), c.duplicateByte);
        (WebForm->*c.command)(nullptr);
        for (int y = 0; y < Display().Height(); ++y)
            for (int i = 0; i < 3 * Display().Width(); ++i)
                ASSERT_EQ(Display().ScanLine(y)[i], c.expected(original->ScanLine(y)[i])) << y << ", " << i;
    }
    ShowFixture("a.ppm");
    WebForm->mnuDuplicateClick(nullptr);
    WebForm->mnuDifference1Click(nullptr);
    const RgbRaster grey = ReadPpm(TwoImageFixture("a.ppm"));
    EXPECT_TRUE(SameBitmap(RgbRaster{grey.Width, grey.Height, std::vector<uint32_t>(grey.Pixels.size(), 0x7F7F7F)},
                           Display()));
}

TEST_F(SecondImagesTest, DifferenceForTheAnalysisMeasuresAndLeavesEverythingAsItWas) {
    TMenuItem analyze("&Analyze", nullptr);
    WebForm->mnuAnalyze = &analyze;
    ShowFixture("a.ppm");
    DuplicateFixture("b.ppm");
    ImageChanged = false;
    int64_t expected = 0;
    std::ifstream(TwoImageFixture("sumsq.txt")) >> expected;
    WebForm->mnuDifference1Click(&analyze);
    EXPECT_EQ(DifferenceSumSq, double(expected));
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("a.ppm")), Display()));
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(ImageChanged);
    EXPECT_FALSE(ImageUndoSaved);
    // Inside a script the sum is not stored.
    DifferenceSumSq = 0;
    {
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->mnuDifference1Click(&analyze);
    }
    EXPECT_EQ(DifferenceSumSq, 0);
    WebForm->mnuAnalyze = nullptr;
}

TEST_F(SecondImagesTest, MaximumLeavesTheRepaintToTheAutomaticFix) {
    ShowFixture("a.ppm");
    DuplicateFixture("b.ppm");
    TScopedFlag fixing(AutoFixBusy, true);
    WebForm->mnuMaximum1Click(nullptr);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("maximum.ppm")), Display()));
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    EXPECT_EQ(Script(), std::vector<std::string>{"MAXIMUM"});
}

TEST_F(SecondImagesTest, AveragesTakeTheirWeightFromTheFilterParameterAndTheirPartnerByControl) {
    ShowFixture("a.ppm");
    DuplicateFixture("b.ppm");
    FilterCustom2 = 200;
    WebForm->DoAverageBitmap(WebForm->Daz95);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("average_200.ppm")), Display()));
    EXPECT_TRUE(ImageChanged);
    EXPECT_TRUE(Script().empty());

    // Any other picture control (the filter dialog's preview) blends with the work picture.
    TPix preview;
    LoadRaster(*preview.Bitmap(), ReadPpm(TwoImageFixture("a.ppm")));
    LoadRaster(*WorkBitmap, ReadPpm(TwoImageFixture("b.ppm")));
    DuplicateBitmap->Assign(nullptr);
    FilterCustom2 = 35;
    WebForm->DoAverageField(&preview, 0);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("field_0_35.ppm")), *preview.Bitmap()));
    EXPECT_FALSE(preview.PaintLock());
}

TEST_F(SecondImagesTest, SinglePictureRoutinesWorkInTheLockAndEndAsFilters) {
    ShowFixture("a.ppm");
    WebForm->MultiplyRGB(WebForm->Daz95);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("multiply_rgb.ppm")), Display()));
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
    WebForm->LowRes(WebForm->Daz95, 2);
    for (int i = 0; i < 3 * Display().Width(); ++i)
        EXPECT_EQ(Display().ScanLine(0)[i] & 0x3F, 0) << i;
    TBitmap indexed;
    MakePicture(indexed, 8);
    Show(indexed);
    EXPECT_THROW(WebForm->DoUnCook(WebForm->Daz95), EInvalidGraphic);
    EXPECT_FALSE(WebForm->Daz95->PaintLock());
}

// ---- Zero map

TEST_F(SecondImagesTest, ZeroMapRenumbersTheLevelsEachChannelUses) {
    TBitmap picture;
    LoadColours(picture, {0x0A2000, 0xC82001, 0x0A4005, 0xC84005});
    Show(picture);
    WebForm->mnuInitialize1->trigger();
    // Red uses 10 and 200, green 0x20 and 0x40, blue 0, 1 and 5.
    EXPECT_TRUE(SameBitmap(RgbRaster{4, 1, {0x000000, 0x010001, 0x000102, 0x010102}}, Display()));
    EXPECT_EQ(Script(), std::vector<std::string>{"ZEROMAP"});
    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(picture, Display()));
}

// ---- Lending the duplicate

// A command that borrows the duplicate: it duplicates the picture `times`
// times (changing the picture in between), then leaves the duplicate as
// `leave` says.
enum class TLeave { AsIs, Empty };
void BorrowingCommand(TWebForm& form, int times, TLeave leave) {
    TDuplicateLoan loan(form);
    TScopedFlag running(batch_8900::BatchRunning, true);
    for (int i = 0; i < times; ++i) {
        form.mnuDuplicateClick(nullptr);
        form.Daz95->Bitmap()->ScanLine(0)[0] ^= 0x55;
    }
    if (leave == TLeave::Empty)
        DuplicateBitmap->Assign(nullptr);
}

TEST_F(SecondImagesTest, WithAnEmptyDuplicateABorrowingCommandLeavesItsCopyThere) {
    ShowFixture("a.ppm");
    const auto before = Copy(Display());
    BorrowingCommand(*WebForm, 1, TLeave::AsIs);
    EXPECT_TRUE(SamePicture(*before, *DuplicateBitmap));
    EXPECT_FALSE(ParkedDuplicate);
}

TEST_F(SecondImagesTest, AParkedDuplicateSurvivesACommandThatReplacedItTwiceOrEmptiedIt) {
    for (TLeave leave : {TLeave::AsIs, TLeave::Empty}) {
        ShowFixture("a.ppm");
        DuplicateFixture("b.ppm");
        BorrowingCommand(*WebForm, 2, leave);
        EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("b.ppm")), *DuplicateBitmap));
        EXPECT_FALSE(ParkedDuplicate);
    }
}

TEST_F(SecondImagesTest, TheLoanEndsAlsoWhenTheCommandThrows) {
    ShowFixture("a.ppm");
    DuplicateFixture("b.ppm");
    EXPECT_THROW(
        {
            TDuplicateLoan loan(*WebForm);
            WebForm->mnuDuplicateClick(nullptr);
            throw EInvalidGraphic("stop");
        },
        EInvalidGraphic);
    EXPECT_TRUE(SameBitmap(ReadPpm(TwoImageFixture("b.ppm")), *DuplicateBitmap));
}

}  // namespace
