// Pasting the clipboard's picture into the image window: as the picture
// ("Untitled", with undo) or into the selection, the retry box when the
// clipboard cannot be read, and the Edit > Paste menus.
#include "app/save_form_fixture.h"

#include "platform/Clipbrd.h"
#include "platform/Menus.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/message_boxes.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {



// Fails every read of the clipboard by the ways listed.
void FailReads(std::vector<int> ways) {
    ClipboardReadFault = [ways](int way) {
        if (std::find(ways.begin(), ways.end(), way) != ways.end())
            throw EOutOfMemory("no memory for the clipboard picture");
    };
}

class ClipboardPasteTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        FitWindow = false;
        QGuiApplication::clipboard()->clear();
        MakePicture(original_, 24, 30, 20);
        Show(original_);
        ImageChanged = false;
    }
    void TearDown() override {
        ClipboardReadFault = nullptr;
        QGuiApplication::clipboard()->clear();
        FitWindow = true;
        LabWindowTest::TearDown();
    }
    static void PutOnClipboard(const QImage& image) { QGuiApplication::clipboard()->setImage(image); }
    TBitmap original_;
};

// ---- Paste image

TEST_F(ClipboardPasteTest, PasteImageWithoutAPictureOnTheClipboardChangesNothing) {
    WebForm->SetUndoControls(false);
    WebForm->mnuPasteClick(WebForm->mnuPaste);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(original_), Display()));
    EXPECT_EQ(FileName, "/pictures/shown.bmp");
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_FALSE(WebForm->mnuUndo->isEnabled());
    EXPECT_FALSE(ImageChanged);
}

TEST_F(ClipboardPasteTest, PasteImageMakesAnUntitledPictureThatUndoTakesBack) {
    const QImage clip = PatternImage(41, 17);
    PutOnClipboard(clip);
    WebForm->mnuPasteClick(WebForm->mnuPaste);
    EXPECT_TRUE(SameBitmap(RasterOfImage(clip), Display()));
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(ImageWidth, 41);
    EXPECT_EQ(ImageHeight, 17);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(WebForm->mnuReload->isEnabled());
    EXPECT_FALSE(WebForm->mnuReload3->isEnabled());
    EXPECT_TRUE(Script().empty());  // no line is recorded

    ASSERT_TRUE(WebForm->mnuUndo->isEnabled());
    WebForm->mnuUndoClick(WebForm->mnuUndo);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(original_), Display()));
    EXPECT_FALSE(ImageChanged);
}

TEST_F(ClipboardPasteTest, AnIndexedClipboardPictureBecomesTwentyFourBits) {
    QImage clip = PatternImage(9, 5).convertToFormat(QImage::Format_Indexed8);
    PutOnClipboard(clip);
    WebForm->mnuPasteClick(WebForm->mnuPaste);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_EQ(Display().PixelFormat(), pf24bit);
    EXPECT_TRUE(SameBitmap(RasterOfImage(clip), Display()));
}

// ---- The retry box

struct RetryCase {
    const char* name;
    std::vector<int> failingWays;
    std::vector<int> answers;  // to the retry boxes, in order
    bool pasted;
};

void PrintTo(const RetryCase& c, std::ostream* out) { *out << c.name; }

class PasteRetry : public ClipboardPasteTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(PasteRetry, AskAgainUntilTheReadWorksOrTheUserGivesUp) {
    const RetryCase& c = GetParam();
    const QImage clip = PatternImage(12, 8);
    PutOnClipboard(clip);
    FailReads(c.failingWays);
    DuplicateBitmap->Assign(&original_);
    std::vector<Box> boxes;
    for (size_t i = 0; i < c.answers.size(); ++i) {
        // The second answer comes with the reads working again.
        if (i == 1)
            QueueModalAction([](QDialog& dialog) {
                ClipboardReadFault = nullptr;
                dialog.done(mrYes);
            });
        else
            Answer(boxes, c.answers[i]);
    }
    WebForm->mnuPasteClick(WebForm->mnuPaste);
    ASSERT_GE(boxes.size(), c.answers.empty() ? 0u : 1u);
    for (const Box& box : boxes) {
        EXPECT_EQ(box.title, "Paste from clipboard failed.");
        EXPECT_EQ(box.text, "Clear memory buffers and try again?");
    }
    if (c.pasted) {
        EXPECT_TRUE(SameBitmap(RasterOfImage(clip), Display()));
        EXPECT_EQ(FileName, "Untitled");
    } else {
        EXPECT_TRUE(SameBitmap(RasterOfBitmap(original_), Display()));
        EXPECT_EQ(FileName, "/pictures/shown.bmp");
    }
    // A Yes frees the spare pictures, silently and keeping the clipboard.
    const bool cleaned = !c.answers.empty() && c.answers[0] == mrYes;
    EXPECT_EQ(DuplicateBitmap->GetEmpty(), cleaned);
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
}

INSTANTIATE_TEST_SUITE_P(Ways, PasteRetry,
                         ::testing::Values(RetryCase{"DibFailsPlainBitmapReads", {1}, {}, true},
                                           RetryCase{"BothFailAndTheUserGivesUp", {1, 2}, {mrNo}, false},
                                           RetryCase{"BothFailThenTheRetryReads", {1, 2}, {mrYes, mrYes}, true}),
                         CaseNames<&RetryCase::name>);

// ---- Paste into the selection

struct SelectionCase {
    const char* name;
    TRect selection;
    TRect pasted;  // where the clipboard's top-left block lands; empty: nothing
};

void PrintTo(const SelectionCase& c, std::ostream* out) { *out << c.name; }

class PasteSelection : public ClipboardPasteTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(PasteSelection, TheClipboardsTopLeftBlockLandsInThePartInsideThePicture) {
    const SelectionCase& c = GetParam();
    const QImage clip = PatternImage(12, 9, 0xEE);
    PutOnClipboard(clip);
    LastSelection = c.selection;
    SelectionDrawn = false;
    WebForm->SetUndoControls(false);
    WebForm->mnuPasteMask1Click(WebForm->mnuPasteMask1);
    RgbRaster expected = RasterOfBitmap(original_);
    for (int y = c.pasted.Top; y < c.pasted.Bottom; ++y)
        for (int x = c.pasted.Left; x < c.pasted.Right; ++x)
            expected.Pixels[size_t(y * expected.Width + x)] = clip.pixel(x - c.pasted.Left, y - c.pasted.Top) & 0xFFFFFF;
    EXPECT_TRUE(SameBitmap(expected, Display()));
    EXPECT_EQ(FileName, "/pictures/shown.bmp");
    EXPECT_TRUE(Script().empty());
    const bool pasted = c.pasted.Width() > 0;
    EXPECT_EQ(WebForm->mnuUndo->isEnabled(), pasted);
    if (pasted) {
        EXPECT_TRUE(SelectionDrawn);  // the selection is shown again
        WebForm->mnuUndoClick(WebForm->mnuUndo);
        EXPECT_TRUE(SameBitmap(RasterOfBitmap(original_), Display()));
    }
}

// The picture is 30 x 20, the clipboard's picture 12 x 9.
INSTANTIATE_TEST_SUITE_P(
    Selections, PasteSelection,
    ::testing::Values(SelectionCase{"Inside", Rect(3, 4, 10, 9), Rect(3, 4, 10, 9)},
                      SelectionCase{"LargerThanTheClipboard", Rect(2, 2, 25, 18), Rect(2, 2, 14, 11)},
                      SelectionCase{"PastTheRightAndBottom", Rect(24, 15, 40, 30), Rect(24, 15, 30, 20)},
                      SelectionCase{"PartlyLeftAndAbove", Rect(-5, -3, 4, 2), Rect(0, 0, 4, 2)},
                      SelectionCase{"DrawnBackwards", Rect(10, 9, 3, 4), Rect(3, 4, 10, 9)},
                      SelectionCase{"Empty", Rect(5, 5, 5, 9), Rect(0, 0, 0, 0)},
                      SelectionCase{"OutsideThePicture", Rect(31, 2, 40, 9), Rect(0, 0, 0, 0)}),
    CaseNames<&SelectionCase::name>);

TEST_F(ClipboardPasteTest, PasteSelectionWithoutAPictureOnTheClipboardChangesNothing) {
    LastSelection = Rect(1, 1, 9, 9);
    WebForm->SetUndoControls(false);
    WebForm->mnuPasteMask1Click(WebForm->mnuPasteMask1);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(original_), Display()));
    EXPECT_FALSE(WebForm->mnuUndo->isEnabled());
}

// ---- Menus

std::vector<std::string> Captions(QMenu* menu) {
    std::vector<std::string> out;
    for (QAction* item : menu->actions())
        out.push_back(item->text().toStdString());
    return out;
}

TEST_F(ClipboardPasteTest, EditPasteOpensImageAndSelectionInTheMenuAndThePopUp) {
    auto* paste = WebForm->findChild<QMenu*>("homePasteMenu");
    auto* popup = WebForm->findChild<QMenu*>("homePaste1Menu");
    ASSERT_NE(paste, nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(WebForm->homePaste->text(), "&Paste");
    EXPECT_EQ(WebForm->homePaste1->text(), "&Paste");
    EXPECT_TRUE(WebForm->mnuEditV->actions().contains(WebForm->homePaste));
    EXPECT_EQ(Captions(paste), (std::vector<std::string>{"&Image", "&Selection"}));
    EXPECT_EQ(paste->actions()[0], WebForm->mnuPaste);
    EXPECT_EQ(paste->actions()[1], WebForm->mnuPasteMask1);
    EXPECT_EQ(Captions(popup), (std::vector<std::string>{"&Image", "&Selection", "&Grid", "&Empty"}));
    EXPECT_EQ(popup->actions()[0], WebForm->mnuPaste1);
    EXPECT_EQ(popup->actions()[1], WebForm->mnuPasteMask2);
    EXPECT_EQ(WebForm->mnuPaste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));

    // The clipboard enables the paste items as it changes.
    for (bool picture : {true, false, true}) {
        if (picture)
            PutOnClipboard(PatternImage(3, 3));
        else
            QGuiApplication::clipboard()->clear();
        for (QAction* item : {WebForm->homePaste, WebForm->homePaste1, WebForm->mnuPaste, WebForm->mnuPaste1})
            EXPECT_EQ(item->isEnabled(), picture) << item->objectName().toStdString();
    }
    // The selection items wait for a selection.
    EXPECT_FALSE(WebForm->mnuPasteMask1->isEnabled());
    EXPECT_FALSE(WebForm->mnuPasteMask2->isEnabled());
    Selection = Rect(2, 2, 9, 9);
    WebForm->ShowSelection();
    EXPECT_TRUE(WebForm->mnuPasteMask1->isEnabled());
    EXPECT_TRUE(WebForm->mnuPasteMask2->isEnabled());
}

TEST_F(ClipboardPasteTest, CtrlVPastesUnlessThePathBoxHasTheFocus) {
    const QImage clip = PatternImage(6, 4);
    PutOnClipboard(clip);
    WebForm->show();
    WebForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WebForm));
    WebForm->HistoryEnter();
    QTest::keyClick(WebForm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FileName, "/pictures/shown.bmp");
    WebForm->HistoryExit();
    QTest::keyClick(WebForm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_TRUE(SameBitmap(RasterOfImage(clip), Display()));
}

}  // namespace
