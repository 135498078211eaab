// The compare window: its geometry, synchronised scrolling, hiding instead
// of closing, and the hand-overs between the panes, the clipboard and the
// image window.
#include "app/save_form_fixture.h"

#include "app/dialogs/compare_8900.h"
#include "platform/Clipbrd.h"
#include "platform/Menus.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/message_boxes.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxNotify.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// ---- Geometry

struct PaneCase {
    const char* name;
    int width, height, boxWidth, boxHeight;
    bool fitted;
    TRect expected;
};

void PrintTo(const PaneCase& c, std::ostream* out) { *out << c.name; }

class PaneGeometry : public ::testing::TestWithParam<PaneCase> {};

TEST_P(PaneGeometry, PlacesThePictureInItsPane) {
    const PaneCase& c = GetParam();
    const TRect r = ComparePaneRect(c.width, c.height, c.boxWidth, c.boxHeight, c.fitted);
    EXPECT_EQ(r.Left, c.expected.Left);
    EXPECT_EQ(r.Top, c.expected.Top);
    EXPECT_EQ(r.Right, c.expected.Right);
    EXPECT_EQ(r.Bottom, c.expected.Bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Views, PaneGeometry,
    ::testing::Values(
        PaneCase{"FitSmallerKeepsItsSizeCentred", 100, 50, 400, 300, true, Rect(150, 125, 250, 175)},
        PaneCase{"FitWiderShrinksToTheWidth", 800, 200, 400, 300, true, Rect(0, 100, 400, 200)},
        PaneCase{"FitTallerShrinksToTheHeight", 300, 600, 400, 300, true, Rect(125, 0, 275, 300)},
        PaneCase{"FitOneDirectionFullShrinks", 400, 100, 400, 300, true, Rect(0, 100, 400, 200)},
        PaneCase{"FitOddRemaindersRoundDown", 101, 51, 400, 300, true, Rect(149, 124, 250, 175)},
        PaneCase{"FitEmptyPicture", 0, 0, 400, 300, true, Rect(200, 150, 200, 150)},
        PaneCase{"ActualSmaller", 100, 50, 400, 300, false, Rect(0, 0, 100, 50)},
        PaneCase{"ActualLarger", 800, 600, 400, 300, false, Rect(0, 0, 800, 600)}),
    CaseNames<&PaneCase::name>);

TEST(CompareGeometry, TheWindowStartsEightyPixelsInAndNeverSmallerThanTheMinimum) {
    const TRect large = CompareFormBounds(1280, 1024);
    EXPECT_EQ(large.Left, 80);
    EXPECT_EQ(large.Top, 80);
    EXPECT_EQ(large.Width(), 1120);
    EXPECT_EQ(large.Height(), 864);
    const TRect small = CompareFormBounds(400, 300);
    EXPECT_EQ(small.Width(), 320);
    EXPECT_EQ(small.Height(), 240);
}

TEST(CompareGeometry, PanesScrollTogetherOnlyAtActualSizeAndForEqualSizes) {
    EXPECT_TRUE(ComparePanesScrollTogether(false, 640, 480, 640, 480));
    EXPECT_FALSE(ComparePanesScrollTogether(false, 640, 480, 640, 481));
    EXPECT_FALSE(ComparePanesScrollTogether(false, 641, 480, 640, 480));
    EXPECT_FALSE(ComparePanesScrollTogether(true, 640, 480, 640, 480));
}

TEST(CompareGeometry, StatusTextsNameThePaneItsSizeAndTitle) {
    EXPECT_EQ(ComparePaneStatus('A', 0, 0, " - [untitled]"), " Picture (A) 0x0 - [untitled]");
    EXPECT_EQ(ComparePaneStatus('B', 640, 480, " - a.jpg"), " Picture (B) 640x480 - a.jpg");
}

// ---- The window



class CompareWindowTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        FitWindow = false;
        QGuiApplication::clipboard()->clear();
        MakePicture(picture_, 24, 600, 500);
        Show(picture_, "/pictures/first.bmp");
        WebForm->show();
    }
    void TearDown() override {
        ClipboardReadFault = nullptr;
        QGuiApplication::clipboard()->clear();
        delete compare_8900::CompareForm;
        FitWindow = true;
        LabWindowTest::TearDown();
    }
    TCompareForm& Form() {
        WebForm->mnuCloneSpaceClick(WebForm->mnuCloneSpace);
        return *compare_8900::CompareForm;
    }
    void SendTo(TMenuItem* item) { WebForm->mnuCopytoRightPaneClick(item); }
    static std::string Panel(int i) { return compare_8900::CompareForm->StatusPanels[i]->text().toStdString(); }
    TBitmap picture_;
};

TEST_F(CompareWindowTest, ActivateMakesOneWindowPlacedEightyPixelsIn) {
    TCompareForm& form = Form();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Comparisons");
    const TRect bounds = CompareFormBounds(Screen.Width(), Screen.Height());
    EXPECT_EQ(form.x(), bounds.Left);
    EXPECT_EQ(form.y(), bounds.Top);
    EXPECT_EQ(form.width(), bounds.Width());
    EXPECT_EQ(form.height(), bounds.Height());
    EXPECT_EQ(&Form(), &form);  // the second activation shows the same window
    form.resize(100, 100);
    EXPECT_GE(form.width(), 320);
    EXPECT_GE(form.height(), 240);
    EXPECT_EQ(Panel(0), " Picture (A) 0x0 - [untitled]");
    EXPECT_EQ(Panel(1), " Picture (B) 0x0 - [untitled]");
    EXPECT_EQ(form.StatusPanels[0]->width(), form.PanelA->width());
    EXPECT_EQ(form.PanelA->width(), form.centralWidget()->width() / 2);
}

TEST_F(CompareWindowTest, TheSamePictureSentToBothPanesShowsTwiceWithItsFileName) {
    SendTo(WebForm->mnuCopytoLeftPane);
    SendTo(WebForm->mnuCopytoRightPane);
    TCompareForm& form = *compare_8900::CompareForm;
    EXPECT_EQ(form.PaneTitleA, " - first.bmp");
    EXPECT_EQ(form.PaneTitleB, " - first.bmp");
    EXPECT_EQ(Panel(0), " Picture (A) 600x500 - first.bmp");
    EXPECT_EQ(Panel(1), " Picture (B) 600x500 - first.bmp");
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture_), *form.PixA->Bitmap()));
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture_), *form.PixB->Bitmap()));
    EXPECT_EQ(form.PixA->width(), 600);  // actual size, at the origin
    EXPECT_EQ(form.PixA->pos(), QPoint(0, 0));

    // New asks, No the default, and empties both panes on Yes.
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    form.mnuNew->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Clear comparison windows?");
    EXPECT_EQ(Panel(0), " Picture (A) 600x500 - first.bmp");
    Answer(boxes, mrYes);
    form.mnuNew->trigger();
    EXPECT_EQ(Panel(0), " Picture (A) 0x0 - [untitled]");
    EXPECT_EQ(Panel(1), " Picture (B) 0x0 - [untitled]");
    EXPECT_TRUE(form.PixA->Bitmap()->GetEmpty());
}

TEST_F(CompareWindowTest, FitViewShrinksLargePicturesAndCentresSmallOnes) {
    TCompareForm& form = Form();
    SendTo(WebForm->mnuCopytoLeftPane);
    TBitmap small;
    MakePicture(small, 24, 40, 30);
    Show(small, "/pictures/small.bmp");
    SendTo(WebForm->mnuCopytoRightPane);
    form.mnuFitToWindowC->trigger();
    ASSERT_TRUE(form.mnuFitToWindowC->isChecked());
    const QSize boxA = form.ScrollBox1->viewport()->size();
    EXPECT_TRUE(form.PixA->Stretch);
    EXPECT_TRUE(form.PixA->width() <= boxA.width() && form.PixA->height() <= boxA.height());
    EXPECT_TRUE(form.PixA->width() == boxA.width() || form.PixA->height() == boxA.height());
    EXPECT_NEAR(double(form.PixA->width()) / form.PixA->height(), 600.0 / 500.0, 0.02);
    const QSize boxB = form.ScrollBox2->viewport()->size();
    EXPECT_EQ(form.PixB->size(), QSize(40, 30));
    EXPECT_EQ(form.PixB->pos(), QPoint((boxB.width() - 40) / 2, (boxB.height() - 30) / 2));
    EXPECT_EQ(form.ScrollBox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // The status shows the picture sizes, not the shown ones.
    EXPECT_EQ(Panel(0), " Picture (A) 600x500 - first.bmp");

    form.mnuFitToWindowC->trigger();
    EXPECT_FALSE(form.PixA->Stretch);
    EXPECT_EQ(form.PixA->geometry(), QRect(0, 0, 600, 500));
}

TEST_F(CompareWindowTest, ScrollingOnePaneScrollsTheOtherOnlyForEqualSizesOutsideFitView) {
    TCompareForm& form = Form();
    TBitmap tall;
    MakePicture(tall, 24, 700, 1500);
    Show(tall, "/pictures/tall.bmp");
    SendTo(WebForm->mnuCopytoLeftPane);
    SendTo(WebForm->mnuCopytoRightPane);
    QScrollBar* a = form.ScrollBox1->verticalScrollBar();
    QScrollBar* b = form.ScrollBox2->verticalScrollBar();
    ASSERT_GT(a->maximum(), 0);
    a->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_GT(a->value(), 0);
    EXPECT_EQ(b->value(), a->value());
    form.ScrollBox2->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form.ScrollBox1->horizontalScrollBar()->value(), form.ScrollBox2->horizontalScrollBar()->value());

    // A picture of another size scrolls on its own.
    TBitmap other;
    MakePicture(other, 24, 700, 1501);
    Show(other, "/pictures/other.bmp");
    SendTo(WebForm->mnuCopytoRightPane);
    EXPECT_EQ(a->value(), 0);  // a new picture starts at the origin
    a->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_GT(a->value(), 0);
    EXPECT_EQ(b->value(), 0);
}

TEST_F(CompareWindowTest, InFitViewThePanesDoNotFollowEachOther) {
    TCompareForm& form = Form();
    SendTo(WebForm->mnuCopytoLeftPane);
    SendTo(WebForm->mnuCopytoRightPane);
    form.mnuFitToWindowC->trigger();
    QScrollBar* b = form.ScrollBox2->verticalScrollBar();
    b->setRange(0, 100);  // bars kept hidden; a scroll reaching the box still comes through
    form.ScrollBox1->verticalScrollBar()->setRange(0, 100);
    form.ScrollBox1->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(b->value(), 0);
}

TEST_F(CompareWindowTest, MinimisingOrClosingHidesTheWindowAndBringsTheViewerBack) {
    TCompareForm& form = Form();
    WebForm->hide();
    WebForm->show();
    form.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(WebForm->isVisible());

    Form();
    form.mnuClearCompare->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(compare_8900::CompareForm, &form);  // only hidden
    EXPECT_FALSE(form.isVisible());

    // At shut-down the window closes and is freed.
    Form();
    ShutDown = true;
    form.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ShutDown = false;
    EXPECT_EQ(compare_8900::CompareForm, nullptr);
}

TEST_F(CompareWindowTest, TheImageWindowsCloseClosesTheCompareWindow) {
    TCompareForm& form = Form();
    form.FormActivate();
    EXPECT_TRUE(WebForm->close());
    EXPECT_FALSE(form.isVisible());
    ShutDown = false;
}

TEST_F(CompareWindowTest, PasteCopyAndSendMoveExactlyThePaneNamed) {
    TCompareForm& form = Form();
    const QImage clip = PatternImage(70, 45);
    QGuiApplication::clipboard()->setImage(clip);
    form.mnuPasteRight->trigger();
    EXPECT_EQ(form.PaneTitleB, " - [from clipboard]");
    EXPECT_EQ(Panel(1), " Picture (B) 70x45 - [from clipboard]");
    EXPECT_EQ(form.PixB->size(), QSize(70, 45));
    EXPECT_TRUE(SameBitmap(RasterOfImage(clip), *form.PixB->Bitmap()));
    EXPECT_TRUE(form.PixA->Bitmap()->GetEmpty());

    // Copy puts exactly the pane's picture on the clipboard.
    SendTo(WebForm->mnuCopytoLeftPane);
    form.mnuCopyLeft->trigger();
    EXPECT_TRUE(SameBitmap(RasterOfImage(QGuiApplication::clipboard()->image()), *form.PixA->Bitmap()));
    form.mnuCopyRight->trigger();
    EXPECT_TRUE(SameBitmap(RasterOfImage(QGuiApplication::clipboard()->image()), *form.PixB->Bitmap()));

    // Send replaces the viewer's picture after asking; Undo brings it back.
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    form.mnuSendRight->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Replace Viewer contents.");
    EXPECT_EQ(boxes[0].text, "Send Picture (B) image to the main viewing window?");
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture_), Display()));
    Answer(boxes, mrYes);
    form.mnuSendRight->trigger();
    EXPECT_TRUE(SameBitmap(RasterOfImage(clip), Display()));
    EXPECT_EQ(ImageWidth, 70);
    EXPECT_EQ(ImageHeight, 45);
    ASSERT_TRUE(WebForm->mnuUndo->isEnabled());
    WebForm->mnuUndoClick(WebForm->mnuUndo);
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture_), Display()));
}

TEST_F(CompareWindowTest, AFailedPasteAsksAndARefusalLeavesThePanesAsTheyWere) {
    TCompareForm& form = Form();
    SendTo(WebForm->mnuCopytoLeftPane);
    QGuiApplication::clipboard()->setImage(PatternImage(8, 8));
    ClipboardReadFault = [](int) { throw EOutOfMemory("no memory"); };
    DuplicateBitmap->Assign(&picture_);
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    form.mnuPasteLeft->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Paste from clipboard failed.");
    EXPECT_EQ(boxes[0].text, "Clear memory buffers and try again?");
    // The memory clean-up ran before the second way was tried, silently and
    // keeping the clipboard.
    EXPECT_TRUE(DuplicateBitmap->GetEmpty());
    EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(picture_), *form.PixA->Bitmap()));
    EXPECT_EQ(form.PaneTitleA, " - first.bmp");
}

TEST_F(CompareWindowTest, EditItemsFollowTheClipboardAndThePanes) {
    TCompareForm& form = Form();
    auto open = [](QMenu* menu) { emit menu->aboutToShow(); };
    open(form.mnuClipboard);
    for (QAction* item : {form.mnuPasteLeft, form.mnuPasteRight, form.mnuEmptyC})
        EXPECT_FALSE(item->isEnabled());
    QGuiApplication::clipboard()->setImage(PatternImage(4, 4));
    open(form.mnuClipboard);
    for (QAction* item : {form.mnuPasteLeft, form.mnuPasteRight, form.mnuEmptyC})
        EXPECT_TRUE(item->isEnabled());
    form.mnuEmptyC->trigger();
    EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));

    SendTo(WebForm->mnuCopytoRightPane);
    open(form.mnuCopyC);
    open(form.mnuSendC);
    EXPECT_FALSE(form.mnuCopyLeft->isEnabled());
    EXPECT_TRUE(form.mnuCopyRight->isEnabled());
    EXPECT_FALSE(form.mnuSendLeft->isEnabled());
    EXPECT_TRUE(form.mnuSendRight->isEnabled());

    EXPECT_EQ(form.mnuViewerC->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Home));
    EXPECT_EQ(form.mnuExplorerC->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(form.Help1->Tag, 461);
    EXPECT_EQ(WebForm->mnuCloneSpace->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(WebForm->mnuCloneSpace->text(), "&Activate");
    EXPECT_EQ(WebForm->mnuCopytoRightPane->text(), "Send to &Right Pane (B)");
    EXPECT_EQ(WebForm->mnuCopytoLeftPane->text(), "Send to &Left Pane (A)");
}

}  // namespace
