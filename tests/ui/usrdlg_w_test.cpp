// The number dialog, driven through the modal hook.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <functional>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "ui/usrdlg_w.h"

using namespace lumvor;

namespace {

TXScrlDlgParam Range(int min, int max, int position) {
    TXScrlDlgParam p;
    p.Min = min;
    p.Max = max;
    p.Position = position;
    p.LargeChange = 8;
    p.SmallChange = 1;
    for (int i = 0; i < 6; ++i)
        p.Presets[i] = 10 * (i + 1);
    p.ShowPresets = 1;
    return p;
}

// Runs the dialog with one action and answers its result.
int RunDlg(const TXScrlDlgParam& p, std::function<void(TXScrlDlg&)> action,
        const std::string& caption = "Number", const std::string& minLabel = "",
        const std::string& maxLabel = "") {
    QueueModalAction([action](QDialog& d) { action(static_cast<TXScrlDlg&>(d)); });
    const int result = ExecuteXScrlDlg(caption, minLabel, maxLabel, p);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    return result;
}

}  // namespace

TEST(XScrlDlg, TypedSlidPresetAndCancelledInput) {
    struct Case {
        const char* name;
        std::function<void(TXScrlDlg&)> action;
        int expected;
    };
    const Case cases[] = {
        {"typed above the range", [](TXScrlDlg& d) {
             d.CustomSetting->clear();
             QTest::keyClicks(d.CustomSetting, "300");
             EXPECT_EQ(d.CustomSetting->text(), "255");
             QTest::keyClick(d.CustomSetting, Qt::Key_Return);
         }, 255},
        {"typed within the range", [](TXScrlDlg& d) {
             d.CustomSetting->clear();
             QTest::keyClicks(d.CustomSetting, "77");
             EXPECT_EQ(d.CustomScrollBar->value(), 77);
             d.btnOK->click();
         }, 77},
        {"typed no number", [](TXScrlDlg& d) {
             d.CustomSetting->clear();
             QTest::keyClicks(d.CustomSetting, "abc");
             EXPECT_EQ(d.CustomSetting->text(), "40");
             d.btnOK->click();
         }, 40},
        {"slid", [](TXScrlDlg& d) {
             d.CustomScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
             EXPECT_EQ(d.CustomSetting->text(), "48");
             d.btnOK->click();
         }, 48},
        {"preset c", [](TXScrlDlg& d) { d.GroupItems[2]->click(); }, 30},
        {"Cancel", [](TXScrlDlg& d) { d.btnCancel->click(); }, -999},
        {"Escape", [](TXScrlDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, -999},
        {"close button", [](TXScrlDlg& d) { d.close(); }, -999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunDlg(Range(2, 255, 40), c.action), c.expected);
    }
}

TEST(XScrlDlg, PresetIsClampedAndLabelsShowTheRange) {
    TXScrlDlgParam p = Range(2, 255, 40);
    p.Presets[2] = 999;
    EXPECT_EQ(RunDlg(p, [](TXScrlDlg& d) {
                  EXPECT_EQ(d.GroupItems[2]->text(), "&c = 999");
                  EXPECT_EQ(d.LabelMin->text(), "2");
                  EXPECT_EQ(d.LabelMax->text(), "High");
                  EXPECT_FALSE(d.HexLabel->isVisible());
                  d.GroupItems[2]->click();
              }, "Number", "", "High"),
              255);
}

TEST(XScrlDlg, LargeRangeShowsHexAndNoPresetsShortensTheDialog) {
    TXScrlDlgParam p = Range(0, 0x200000, 0x12345);
    p.ShowPresets = 0;
    RunDlg(p, [](TXScrlDlg& d) {
        EXPECT_TRUE(d.HexLabel->isVisible());
        EXPECT_EQ(d.HexLabel->text(), "00012345");
        EXPECT_FALSE(d.GroupOptions->isVisible());
        EXPECT_EQ(d.height(), 174 - (57 + 12));
        d.btnCancel->click();
    });
}

TEST(XScrlDlg, TrackBarModeReturnsTheBarAndNamesThumbnailSizes) {
    TXScrlDlgParam p = Range(1, 8, 3);
    p.UseTrackBar = 1;
    p.ShowPresets = 0;
    EXPECT_EQ(RunDlg(p, [](TXScrlDlg& d) {
                  EXPECT_EQ(d.windowTitle(), "Thumbnail size 96x72");
                  EXPECT_EQ(d.LabelMin->text(), "Smallest");
                  EXPECT_FALSE(d.CustomScrollBar->isVisible());
                  d.UserTrackBar->SetPosition(6);
                  EXPECT_EQ(d.windowTitle(), "Thumbnail size 144x108");
                  d.UserTrackBar->SetPosition(8);
                  EXPECT_EQ(d.windowTitle(), "Thumbnail size 168x126");
                  d.btnOK->click();
              }, "Thumbnail size", "Smallest", "Largest "),
              8);
}

TEST(XScrlDlg, OpensCentredOnTheCursorAndStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.width() / 2, screen.height() / 2);
    RunDlg(Range(0, 10, 5), [&](TXScrlDlg& d) {
        EXPECT_EQ(d.x(), screen.width() / 2 - d.width() / 2);
        EXPECT_EQ(d.y(), screen.height() / 2 - d.height() / 2);
        d.btnCancel->click();
    });
    QCursor::setPos(screen.width() - 3, screen.height() - 3);
    RunDlg(Range(0, 10, 5), [&](TXScrlDlg& d) {
        EXPECT_EQ(d.x() + d.width(), screen.width());
        EXPECT_EQ(d.y() + d.height(), screen.height());
        d.btnCancel->click();
    });
    QCursor::setPos(2, 2);
    RunDlg(Range(0, 10, 5), [&](TXScrlDlg& d) {
        EXPECT_EQ(d.pos(), QPoint(0, 0));
        d.btnCancel->click();
    });
}
