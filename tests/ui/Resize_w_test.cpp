// The size and position dialog, driven through the modal hook.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "ui/Resize_w.h"
#include "ui/vardlg_w.h"

using namespace lumvor;

namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

TResizeResult RunResize(int x, int y, int w, int h, int maxW, int maxH, int option, int mode,
                        std::function<void(TResizeForm&)> action, TResizeResult r = {}) {
    QueueModalAction([action](QDialog& d) { action(static_cast<TResizeForm&>(d)); });
    ExecuteResizeForm(x, y, w, h, maxW, maxH, option, "Caption", mode, r);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    return r;
}

class ResizeForm : public ::testing::Test {
protected:
    void SetUp() override {
        Resize_w::DlgLeft = -1;
        Resize_w::DlgTop = -1;
    }
    void TearDown() override { ClearModalAnswers(); }
};

}  // namespace

TEST_F(ResizeForm, HalfOfAnOddWidthRoundsUp) {
    const TResizeResult r = RunResize(0, 0, 1001, 700, 16384, 16384, 24, 6, [](TResizeForm& d) {
        EXPECT_EQ(d.windowTitle(), "Caption");
        EXPECT_FALSE(d.CopyOp->isEnabled());
        Type(d.EditX, "50");
        EXPECT_EQ(d.EditW->text(), "501");
        EXPECT_EQ(d.EditH->text(), "350");
        EXPECT_EQ(d.EditY->text(), "50");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 501);
    EXPECT_EQ(r.Height, 350);
    EXPECT_EQ(r.CopyOp, 0);
    EXPECT_EQ(r.Scale, 5005);  // Round(501 x 10000 / 1001)
}

TEST_F(ResizeForm, AspectKeptWhenLockedAndScaleOnlyWhenBothScalesMatch) {
    TResizeResult r = RunResize(0, 0, 1000, 500, 16384, 16384, 1, 6, [](TResizeForm& d) {
        EXPECT_EQ(d.CopyOp->currentIndex(), 1);
        Type(d.EditW, "400");
        EXPECT_EQ(d.EditH->text(), "200");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Height, 200);
    EXPECT_EQ(r.CopyOp, 1);
    EXPECT_EQ(r.Scale, 4000);
    r = RunResize(0, 0, 1000, 500, 16384, 16384, 24, 6, [](TResizeForm& d) {
        d.chkAspect->setChecked(false);
        Type(d.EditW, "400");
        EXPECT_EQ(d.EditH->text(), "500");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 400);
    EXPECT_EQ(r.Height, 500);
    EXPECT_EQ(r.Scale, -1);
}

TEST_F(ResizeForm, LimitsInScaleMode) {
    TResizeResult r = RunResize(0, 0, 1000, 500, 16384, 16384, 24, 6, [](TResizeForm& d) {
        Type(d.EditW, "99999");
        EXPECT_EQ(d.EditW->text(), "16384");
        Type(d.EditW, "0");
        EXPECT_EQ(d.EditW->text(), "1");
        Type(d.EditX, "200");
        EXPECT_EQ(d.EditW->text(), "2000");
        // The scale arrow steps the whole percent and marks the step up with ".9".
        QTest::mouseClick(d.SpinX->UpButton(), Qt::LeftButton);
        EXPECT_EQ(d.EditX->text(), "201.9");
        EXPECT_EQ(d.EditW->text(), "2019");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 2019);
    // Distilling never enlarges.
    r = RunResize(0, 0, 1000, 500, 16384, 16384, 24, 7, [](TResizeForm& d) {
        Type(d.EditW, "1500");
        EXPECT_EQ(d.EditW->text(), "1000");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 1000);
    EXPECT_EQ(r.Height, 500);
}

TEST_F(ResizeForm, SelectionIsCorrectedAndTheDialogStaysOpen) {
    const TResizeResult r = RunResize(900, 10, 300, 100, 1000, 800, 0, 0, [](TResizeForm& d) {
        EXPECT_EQ(d.LabelX->text(), "&X Pos");
        EXPECT_EQ(d.EditX->text(), "900");
        d.btnOk->click();
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(d.EditW->text(), "100");
        EXPECT_TRUE(d.lblTip->text().startsWith("Values corrected."));
        d.btnOk->click();
    });
    EXPECT_EQ(r.X, 900);
    EXPECT_EQ(r.Width, 100);
    EXPECT_EQ(r.Scale, -1);
}

TEST_F(ResizeForm, SelectionArrowsAndAspectFix) {
    const TResizeResult r = RunResize(0, 0, 400, 100, 1000, 500, 0, 0, [](TResizeForm& d) {
        QTest::mouseClick(d.SpinX->DownButton(), Qt::LeftButton);
        EXPECT_EQ(d.EditX->text(), "0");  // origins stay at 0 or above
        d.btnAspect->click();           // nothing changed: the closer dimension follows
        EXPECT_EQ(d.EditW->text(), "400");
        EXPECT_EQ(d.EditH->text(), "200");
        Type(d.EditW, "600");
        d.btnAspect->click();  // the width changed: the height follows
        EXPECT_EQ(d.EditH->text(), "300");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 600);
    EXPECT_EQ(r.Height, 300);
}

TEST_F(ResizeForm, CancelAutoAndPresets) {
    TResizeResult r = RunResize(0, 0, 640, 480, 16384, 16384, 24, 6,
                                [](TResizeForm& d) { d.btnCancel->click(); });
    EXPECT_EQ(r.Width, -1);
    EXPECT_EQ(r.Height, -1);
    TResizeResult before;
    before.Width = 1234;
    r = RunResize(0, 0, 800, 600, 1919, 1079, -1, 4, [](TResizeForm& d) {
        EXPECT_FALSE(d.EditX->isVisible());
        Type(d.EditW, "700");
        d.btnAuto->click();
    }, before);
    EXPECT_EQ(r.Width, 1234);  // Auto leaves the record alone
    r = RunResize(0, 0, 800, 600, 1024, 768, 999, 2, [](TResizeForm& d) {
        EXPECT_FALSE(d.CopyOp->isVisible());
        d.comboPreset->setCurrentIndex(3);
        emit d.comboPreset->activated(3);
        EXPECT_EQ(d.EditW->text(), "256");
        d.btnOk->click();
    });
    EXPECT_EQ(r.Width, 256);
    EXPECT_EQ(r.Height, 384);
}

TEST_F(ResizeForm, BorderColourComesFromTheColourDialog) {
    TResizeResult start;
    start.BorderColor = static_cast<int32_t>(clWhite);
    QueueModalAction([](QDialog& d) {
        auto& form = static_cast<TResizeForm&>(d);
        EXPECT_TRUE(form.PanelBorderColor->isVisible());
        QueueModalAction([](QDialog& colors) {
            auto& v = static_cast<TVariableDlg&>(colors);
            EXPECT_EQ(v.SelectedColor(), clWhite);
            QTest::mouseClick(v.Image1, Qt::LeftButton, {}, QPoint(40, 60));
        });
        QTest::mouseClick(form.PanelBorderColor, Qt::LeftButton);
        Type(form.EditW, "20");
        form.btnOk->click();
    });
    TResizeResult r = start;
    ExecuteResizeForm(0, 0, 8, 4, 127, 127, -2, "Set Border", 3, r);
    EXPECT_EQ(r.Width, 20);
    EXPECT_EQ(r.Height, 4);
    EXPECT_NE(r.BorderColor, static_cast<int32_t>(clWhite));
}

TEST_F(ResizeForm, ReopensWhereItWasLeft) {
    RunResize(0, 0, 10, 10, 100, 100, 24, 6, [](TResizeForm& d) {
        d.move(12, 34);
        d.btnCancel->click();
    });
    RunResize(0, 0, 10, 10, 100, 100, 24, 6, [](TResizeForm& d) {
        EXPECT_EQ(d.pos(), QPoint(12, 34));
        d.btnCancel->click();
    });
}

TEST_F(ResizeForm, SelectionWiderThanThePictureNeverGetsANegativeOrigin) {
    const TResizeResult r = RunResize(0, 0, 100, 100, 1000, 800, 0, 0, [](TResizeForm& d) {
        // Both typed before either was applied.
        d.EditX->setText("1000");
        d.EditW->setText("1200");
        d.btnOk->click();
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(d.EditX->text(), "0");
        EXPECT_EQ(d.EditW->text(), "1000");
        d.btnOk->click();
    });
    EXPECT_EQ(r.X, 0);
    EXPECT_EQ(r.Width, 1000);
}

// The tip panel has a fixed size: every mode's tip, and the correction notice, must show whole.
TEST_F(ResizeForm, EveryTipFitsItsPanel) {
    const auto expectTipFits = [](TResizeForm& d) {
        const QRect box = d.lblTip->contentsRect();
        const QRect needed = QFontMetrics(d.lblTip->font())
                                 .boundingRect(QRect(0, 0, box.width(), 1 << 20),
                                               int(d.lblTip->alignment()) | Qt::TextWordWrap,
                                               d.lblTip->text());
        EXPECT_LE(needed.height(), box.height()) << "mode " << Resize_w::RMode << ": "
                                                 << d.lblTip->text().toStdString();
        EXPECT_GT(needed.height(), 0);
    };
    for (int mode = 0; mode <= 7; ++mode) {
        RunResize(0, 0, 200, 100, 400, 400, 24, mode, [&](TResizeForm& d) {
            expectTipFits(d);
            d.btnCancel->click();
        });
    }
    RunResize(900, 10, 300, 100, 1000, 800, 0, 0, [&](TResizeForm& d) {
        d.btnOk->click();  // the selection is beyond the picture: the notice replaces the tip
        EXPECT_TRUE(d.lblTip->text().startsWith("Values corrected."));
        expectTipFits(d);
        d.btnCancel->click();
    });
}
