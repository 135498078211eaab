// The status box: its place, its texts, and Cancel/Escape setting the stop flag.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "platform/Forms.h"
#include "ui/Status_y.h"

using namespace lumvor;

namespace {

class StatusBox : public ::testing::Test {
protected:
    void SetUp() override {
        Status_y::StatusLeft = -1;
        Status_y::StatusTop = -1;
        Status_y::StatusText = "One moment ...";
    }
    void TearDown() override {
        if (StatusForm)
            StatusForm->Close();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// Closes the box the way the running loop does and lets it free itself.
void CloseBox() {
    QPointer<TStatusForm> box = StatusForm;
    StatusForm->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
    EXPECT_EQ(StatusForm, nullptr);
}

}  // namespace

TEST_F(StatusBox, OpensCentredThenReopensWhereItWasLeft) {
    ShowStatusForm("Batch Encoding ...");
    ASSERT_NE(StatusForm, nullptr);
    EXPECT_EQ(StatusForm->windowTitle(), "Batch Encoding ...");
    EXPECT_TRUE(StatusForm->isVisible());
    EXPECT_FALSE(StatusForm->isModal());
    EXPECT_EQ(StatusForm->pos(), QPoint((Screen.Width() - 367) / 2, (Screen.Height() - 80) / 2));
    EXPECT_EQ(StatusForm->lblThumbs->text(), "Thumbs:");
    EXPECT_EQ(StatusForm->lblFolder->text(), "Folders:");
    EXPECT_EQ(StatusForm->ProgressThumbs->maximum(), 100);
    StatusForm->move(30, 40);
    IsBusy = 1;
    CloseBox();
    EXPECT_EQ(IsBusy, 0);

    ShowStatusForm("Unzipping ...");
    EXPECT_EQ(StatusForm->pos(), QPoint(30, 40));
}

TEST_F(StatusBox, LabelTextReplacesTheStatusAndOnlyGivenLabels) {
    ShowStatusForm("Adding Slides ... ");
    StatusForm->LabelText("Reading", "Slides:", "");
    EXPECT_EQ(Status_y::StatusText, "Reading");
    EXPECT_EQ(StatusForm->lblThumbs->text(), "Slides:");
    EXPECT_EQ(StatusForm->lblFolder->text(), "Folders:");
    StatusForm->LabelText("", "", "_");
    EXPECT_EQ(Status_y::StatusText, "");
    EXPECT_EQ(StatusForm->lblThumbs->text(), "Slides:");
    EXPECT_EQ(StatusForm->lblFolder->text(), "_");

    // A blank status line is painted in the face colour only.
    QImage line = StatusForm->lblStatus->grab().toImage();
    const QColor face = StatusForm->palette().color(QPalette::Button);
    for (int x = 0; x < line.width(); x += 7)
        EXPECT_EQ(line.pixelColor(x, line.height() / 2), face) << x;
}

TEST_F(StatusBox, LongPathsAreShortenedInTheMiddle) {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    QFontMetrics metrics(font);
    const QString path = "/home/user/pictures/holidays/2019/summer/beach/a very long folder name/IMG_0042.JPG";
    const int width = 250;
    ASSERT_GT(metrics.horizontalAdvance(path), width);
    const QString shown = PathEllipsis(path, metrics, width);
    EXPECT_LE(metrics.horizontalAdvance(shown), width);
    EXPECT_TRUE(shown.startsWith("/home/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("...") == false);
    EXPECT_TRUE(shown.endsWith("/IMG_0042.JPG")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("...")) << shown.toStdString();
    // Short texts stay as they are.
    EXPECT_EQ(PathEllipsis("/tmp/a.jpg", metrics, width), "/tmp/a.jpg");

    // The status line draws on one line, so a long path never wraps.
    ShowStatusForm("Slide Validation");
    StatusForm->LabelText(path.toStdString(), "", "");
    QImage line = StatusForm->lblStatus->grab().toImage();
    EXPECT_EQ(line.height(), 25);
}

TEST_F(StatusBox, CancelAndEscapeSetTheFlagWithoutClosing) {
    ShowStatusForm("Comparing slides ... ");
    EXPECT_EQ(CancelPressed, 0);
    StatusForm->btnCancel->click();
    EXPECT_EQ(CancelPressed, 1);
    EXPECT_EQ(Screen.Cursor(), crHourGlass);
    Screen.SetCursor(crDefault);
    QApplication::processEvents();
    ASSERT_NE(StatusForm, nullptr);
    EXPECT_TRUE(StatusForm->isVisible());

    // A new box clears the flag; Escape sets it again.
    CloseBox();
    ShowStatusForm("Deleting slides ... ");
    EXPECT_EQ(CancelPressed, 0);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(StatusForm, &escape);
    EXPECT_EQ(CancelPressed, 1);
    QApplication::processEvents();
    ASSERT_NE(StatusForm, nullptr);
    EXPECT_TRUE(StatusForm->isVisible());
}
