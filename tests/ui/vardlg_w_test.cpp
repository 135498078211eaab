// The preset value dialog in each of its modes, driven through the modal hook.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <cstdlib>
#include <functional>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "ui/ExTrackBar.h"
#include "ui/vardlg_w.h"

using namespace lumvor;

namespace {

int RunVariable(int mode, int value, std::function<void(TVariableDlg&)> action) {
    QueueModalAction([action](QDialog& d) { action(static_cast<TVariableDlg&>(d)); });
    const int result = ExecuteVariableDlg(mode, value, 0);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    return result;
}

class VariableDlg : public ::testing::Test {
protected:
    void SetUp() override {
        vardlg_w::DlgLeft = -1;
        vardlg_w::DlgTop = -1;
    }
    void TearDown() override { ClearModalAnswers(); }
};

}  // namespace

TEST_F(VariableDlg, PresetsOfEachMode) {
    struct Case {
        int mode;
        int value;
        size_t count;
        int item;
        const char* text;
        int expected;
        const char* caption;
    };
    const Case cases[] = {
        {100, 100, 8, 0, "&a = 80", 80, "Adjust Screen Gamma (1/100)"},
        {101, 100, 8, 7, "&n = 185", 185, "Adjust Screen Gamma (1/100)"},
        {200, 65, 8, 3, "&e = 85%", 85, "Fast (Partial) JPEG Views"},
        {200, 65, 8, 7, "&x = 200%", 200, "Fast (Partial) JPEG Views"},
        {400, 100, 8, 7, "&n = 800%", 800, "Set Magnification"},
        {401, 100, 6, 5, "&f = 400%", 400, "Set Magnification"},
        {500, 90, 8, 4, "&e = 180", 180, "Rotate Image"},
        {501, 0, 8, 0, "&a = -600", -600, "Rotate Image"},
        {600, 1000, 8, 0, "&a = 0800", 800, "Custom Aspect Ratio n:1000"},
        {600, 1000, 8, 7, "&n = 2350", 2350, "Custom Aspect Ratio n:1000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RunVariable(c.mode, c.value, [&](TVariableDlg& d) {
                      EXPECT_EQ(d.windowTitle(), c.caption);
                      ASSERT_EQ(d.GroupItems.size(), c.count);
                      EXPECT_EQ(d.GroupOptions->height(), int(c.count + 1) * 22 + 1);
                      EXPECT_EQ(d.GroupItems[size_t(c.item)]->text(), c.text);
                      d.GroupItems[size_t(c.item)]->click();
                  }),
                  c.expected);
    }
}

TEST_F(VariableDlg, RangesAndStartingPositions) {
    struct Case {
        int mode, value, min, max, position;
    };
    const Case cases[] = {
        {100, 120, 50, 300, 120}, {200, 65, 0, 400, 65},     {400, 150, 25, 800, 150},
        {401, 150, 25, 400, 150}, {500, 90, 1, 359, 90},     {501, 1234, -18000, 18000, 0},
        {600, 1334, 300, 3000, 1334},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(RunVariable(c.mode, c.value, [&](TVariableDlg& d) {
                      EXPECT_EQ(d.UserTrackBar->Min(), c.min);
                      EXPECT_EQ(d.UserTrackBar->Max(), c.max);
                      EXPECT_EQ(d.lblMin->text(), QString::number(c.min));
                      EXPECT_EQ(d.lblMax->text(), QString::number(c.max));
                      EXPECT_EQ(d.EditCustom->text(), QString::number(c.position));
                      d.btnOK->click();
                  }),
                  c.position);
    }
}

TEST_F(VariableDlg, CancelCodesByMode) {
    for (int mode : {100, 101, 200, 300, 301, 400, 401, 500, 501, 600}) {
        SCOPED_TRACE(mode);
        const int expected = (mode == 500 || mode == 501) ? 0 : VariableDlgCancelled;
        EXPECT_EQ(RunVariable(mode, 100, [](TVariableDlg& d) { d.btnCancel->click(); }), expected);
        EXPECT_EQ(RunVariable(mode, 100, [](TVariableDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
                  expected);
    }
    EXPECT_EQ(int32_t(VariableDlgCancelled), int32_t(0xFF000000u));
}

TEST_F(VariableDlg, MagnificationMovesInStepsOf25) {
    EXPECT_EQ(RunVariable(400, 100, [](TVariableDlg& d) {
                  d.UserTrackBar->SetPosition(137);
                  EXPECT_EQ(d.UserTrackBar->Position(), 125);
                  EXPECT_EQ(d.EditCustom->text(), "125");
                  QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
                  EXPECT_EQ(d.EditCustom->text(), "150");
                  EXPECT_EQ(d.UserTrackBar->Position(), 150);
                  d.btnOK->click();
              }),
              150);
}

TEST_F(VariableDlg, TypedValuesAreCheckedAndLimitedOnEnter) {
    EXPECT_EQ(RunVariable(500, 90, [](TVariableDlg& d) {
                  d.EditCustom->selectAll();
                  QTest::keyClicks(d.EditCustom, "12a");
                  EXPECT_EQ(d.EditCustom->text(), "90");
                  d.EditCustom->selectAll();
                  QTest::keyClicks(d.EditCustom, "400");
                  QTest::keyClick(d.EditCustom, Qt::Key_Return);
                  EXPECT_TRUE(d.isVisible());  // Enter applies, it does not close
                  EXPECT_EQ(d.EditCustom->text(), "359");
                  EXPECT_EQ(d.UserTrackBar->Position(), 359);
                  d.EditCustom->selectAll();
                  QTest::keyClicks(d.EditCustom, "45");
                  QTest::keyClick(d.EditCustom, Qt::Key_Return);
                  d.btnOK->click();
              }),
              45);
}

TEST_F(VariableDlg, DisableButtonOfPartialViews) {
    EXPECT_EQ(RunVariable(200, 65, [](TVariableDlg& d) {
                  EXPECT_TRUE(d.btnCustom->isVisible());
                  EXPECT_EQ(d.btnCustom->text(), "&Disable");
                  d.btnCustom->click();
              }),
              0);
}

TEST_F(VariableDlg, ColorPictureFollowsHueLightnessAndSaturation) {
    // Expected colours from Python's colorsys.hls_to_rgb on the same hue, lightness
    // and saturation.
    const QImage picture = MakeColorPicture();
    ASSERT_EQ(picture.size(), QSize(128, 180));
    struct Point {
        int x, y, r, g, b;
    };
    for (const Point& p : {Point{64, 60, 96, 188, 96}, Point{20, 120, 42, 42, 49},
                           Point{100, 30, 248, 248, 195}}) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        const QRgb pixel = picture.pixel(p.x, p.y);
        EXPECT_LE(std::abs(qRed(pixel) - p.r), 2);
        EXPECT_LE(std::abs(qGreen(pixel) - p.g), 2);
        EXPECT_LE(std::abs(qBlue(pixel) - p.b), 2);
    }
}

TEST_F(VariableDlg, ColorModes) {
    const int start = static_cast<int32_t>(RGB(10, 20, 30));
    // OK keeps the starting colour; the tip lists it.
    EXPECT_EQ(RunVariable(300, start, [](TVariableDlg& d) {
                  EXPECT_EQ(d.windowTitle(), "Pick a Color");
                  EXPECT_FALSE(d.btnAuto->isVisible());
                  EXPECT_FALSE(d.PanelFilter1->isVisible());
                  EXPECT_TRUE(d.lblTip->text().endsWith("R = 10\nG = 20\nB = 30"));
                  d.btnOK->click();
              }),
              start);
    // A click on the picture picks the colour under the cursor and closes.
    TColor expected = clBlack;
    const int picked = RunVariable(300, start, [&](TVariableDlg& d) {
        const QPoint at(d.Image1->width() / 2, d.Image1->height() / 3);
        expected = d.ColorAt(at.x(), at.y());
        QTest::mouseMove(d.Image1, at);
        EXPECT_TRUE(d.lblTip->text().endsWith(QString("B = %1").arg(GetBValue(expected))));
        QTest::mouseClick(d.Image1, Qt::LeftButton, {}, at);
    });
    EXPECT_EQ(picked, static_cast<int32_t>(expected));
    EXPECT_NE(expected, RGB(10, 20, 30));
    // Auto asks for the default colour.
    EXPECT_EQ(RunVariable(301, start, [](TVariableDlg& d) {
                  EXPECT_TRUE(d.btnAuto->isVisible());
                  d.btnAuto->click();
              }),
              VariableDlgAutoColor);
    // Custom opens the colour dialog; its colour is taken when confirmed.
    QueueModalAction([](QDialog& d) { static_cast<TVariableDlg&>(d).btnCustom->click(); });
    QueueModalAction([](QDialog& d) {
        auto& colors = static_cast<QColorDialog&>(d);
        colors.setCurrentColor(QColor(200, 100, 50));
        colors.accept();
    });
    EXPECT_EQ(ExecuteVariableDlg(301, start, 520), static_cast<int32_t>(RGB(200, 100, 50)));
}

TEST_F(VariableDlg, ReopensWhereItWasLeft) {
    RunVariable(100, 100, [](TVariableDlg& d) {
        d.move(37, 41);
        d.btnCancel->click();
    });
    RunVariable(500, 90, [](TVariableDlg& d) {
        EXPECT_EQ(d.pos(), QPoint(37, 41));
        d.btnOK->click();
    });
}
