// Track bars, scroll bar, scroll boxes and tool bars.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <cstdlib>

#include "ui/ExTrackBar.h"
#include "ui/ScrollBoxEx.h"
#include "ui/ScrollBoxNotify.h"
#include "ui/ToolBarEx.h"
#include "ui/TrackBarEx.h"
#include "ui/Xscroll.h"

using namespace lumvor;

namespace {

std::vector<std::string> Texts(const std::vector<TTrackLabel>& labels) {
    std::vector<std::string> texts;
    for (const TTrackLabel& l : labels)
        texts.push_back(l.Text.toStdString());
    return texts;
}

}  // namespace

TEST(ExTrackBar, LabelsSitAtTheirTicksAndAtTheEnds) {
    TExTrackBar bar;
    bar.resize(300, 45);
    bar.SetMax(100);
    bar.SetLabelsInterval(25);
    bar.show();
    const std::vector<TTrackLabel> labels = bar.LabelItems();
    ASSERT_EQ(Texts(labels), (std::vector<std::string>{"0", "25", "50", "75", "100"}));
    for (size_t i = 1; i + 1 < labels.size(); ++i) {
        SCOPED_TRACE(labels[i].Value);
        EXPECT_NEAR(labels[i].Rect.center().x(), bar.TickPosition(labels[i].Value), 1);
        EXPECT_EQ(labels[i].Rect.top(), 30);
    }
    // The end labels stay inside the control.
    EXPECT_GE(labels.front().Rect.left(), 1);
    EXPECT_LE(labels.back().Rect.right(), bar.width() - 2);
    EXPECT_LT(labels.front().Rect.center().x(), labels[1].Rect.center().x());
    EXPECT_GT(labels.back().Rect.center().x(), labels[3].Rect.center().x());

    bar.SetLabelsFirstLast(false);
    EXPECT_EQ(Texts(bar.LabelItems()), (std::vector<std::string>{"25", "50", "75"}));

    // The labels are painted: dark text pixels appear in the label band only with labels on.
    auto darkPixelsInBand = [&] {
        QImage shot = bar.grab().toImage();
        int dark = 0;
        for (int y = 30; y < std::min(shot.height(), 30 + bar.fontMetrics().height()); ++y)
            for (int x = 0; x < shot.width(); ++x)
                dark += qGray(shot.pixel(x, y)) < 100;
        return dark;
    };
    bar.SetLabelsLeftTop(30);
    const int withLabels = darkPixelsInBand();
    bar.SetLabels(false);
    EXPECT_GT(withLabels, darkPixelsInBand());
}

TEST(ExTrackBar, LabelTextsFactorsAndInterval) {
    TExTrackBar bar;
    EXPECT_EQ(bar.LabelsInterval(), 2);  // the page size at creation
    bar.SetLabelsText("%");
    bar.SetLabelsFactor(10);
    EXPECT_EQ(bar.LabelText(25).toStdString(), "250%");
    bar.SetLabelsFactorOperation(foDiv);
    struct {
        int value;
        const char* text;
    } cases[] = {{25, "3%"}, {24, "2%"}, {35, "4%"}, {0, "0%"}, {100, "10%"}};
    for (const auto& c : cases)
        EXPECT_EQ(bar.LabelText(c.value).toStdString(), c.text) << c.value;
    bar.SetLabelsFactor(0);
    EXPECT_EQ(bar.LabelText(7).toStdString(), "7%");

    bar.SetLabelsInterval(0);
    EXPECT_EQ(bar.LabelsInterval(), 1);
    bar.SetLabelsInterval(-5);
    EXPECT_EQ(bar.LabelsInterval(), 1);
}

TEST(ExTrackBar, TickStyleNoneLosesTheLabels) {
    TExTrackBar bar;
    bar.resize(200, 45);
    bar.SetTickMarks(tmTopLeft);
    bar.SetLabels(true);
    EXPECT_EQ(bar.TickMarks(), tmBottomRight);
    EXPECT_EQ(bar.TickStyle(), tsAuto);
    bar.SetTickStyle(tsNone);
    bar.show();
    bar.grab();
    EXPECT_FALSE(bar.Labels());
    EXPECT_TRUE(bar.LabelItems().empty());
}

TEST(TrackBarEx, HiddenThumbPaintsTheSameAtEveryPosition) {
    TTrackBarEx bar;
    bar.resize(200, 40);
    bar.SetMax(100);
    bar.SetTickStyle(tsNone);
    EXPECT_EQ(bar.ThumbLength(), 20);
    bar.SetThumbLength(12);
    EXPECT_EQ(bar.ThumbLength(), 12);
    bar.show();
    bar.SetPosition(0);
    const QImage withThumbAt0 = bar.grab().toImage();
    bar.SetPosition(100);
    EXPECT_NE(bar.grab().toImage(), withThumbAt0);
    bar.SetSliderVisible(false);
    const QImage hiddenAt100 = bar.grab().toImage();
    bar.SetPosition(0);
    EXPECT_EQ(bar.grab().toImage(), hiddenAt100);
}

TEST(Xscroll, ReportsMouseDownUpAndClick) {
    TXScrollbar bar;
    bar.resize(200, 17);
    bar.show();
    std::vector<std::string> seen;
    bar.OnMouseDown = [&](QObject*, TMouseButton b, TShiftState s, int x, int) {
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(s & ssLeft ? 1 : 0) + " " +
                       std::to_string(x));
    };
    bar.OnMouseUp = [&](QObject*, TMouseButton, TShiftState, int x, int) {
        seen.push_back("up " + std::to_string(x));
    };
    bar.OnClick = [&](QObject* sender) { seen.push_back(sender == &bar ? "click" : "?"); };
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(100, 8));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 0 1 100", "click", "up 100"}));
}

TEST(ScrollBoxNotify, ReportsScrollingBeforeItScrolls) {
    TScrollBoxNotify box;
    box.resize(100, 100);
    auto* content = new QWidget;
    content->resize(400, 400);
    box.setWidget(content);
    box.show();
    int valueSeen = -1;
    box.OnScroll = [&](QObject*) { valueSeen = box.verticalScrollBar()->value(); };
    box.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(valueSeen, 0);
    EXPECT_GT(box.verticalScrollBar()->value(), 0);
}

namespace {

struct WheelBox {
    TScrollBoxEx box;
    int up = 0, down = 0, click = 0, scroll = 0;
    WheelBox() {
        box.resize(100, 100);
        auto* content = new QLabel;
        content->resize(400, 400);
        box.setWidget(content);
        box.OnMouseWheelUp = [this](QObject*) { ++up; };
        box.OnMouseWheelDown = [this](QObject*) { ++down; };
        box.OnMouseWheelClick = [this](QObject*) { ++click; };
        box.OnScroll = [this](QObject*) { ++scroll; };
        box.show();
        QApplication::processEvents();
    }
    void Wheel(int delta) {
        // Sent to the viewport: a real wheel turn over the content propagates there.
        QWidget* target = box.viewport();
        const QPointF at(10, 10);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
};

}  // namespace

TEST(ScrollBoxEx, CustomWheelRaisesEventsAndDoesNotScroll) {
    WheelBox w;
    w.box.CustomWheelMouse = true;
    w.Wheel(-120);  // towards the user
    EXPECT_EQ(w.down, 1);
    EXPECT_EQ(w.up, 0);
    w.Wheel(120);
    EXPECT_EQ(w.up, 1);
    EXPECT_EQ(w.box.verticalScrollBar()->value(), 0);

    // The scroll bars do not scroll either; with ForceWheelMouse their actions become wheel turns.
    w.box.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.box.verticalScrollBar()->value(), 0);
    EXPECT_EQ(w.scroll, 1);
    EXPECT_EQ(w.down, 1);
    w.box.ForceWheelMouse = true;
    w.box.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    w.box.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(w.down, 2);
    EXPECT_EQ(w.up, 2);
    EXPECT_EQ(w.box.verticalScrollBar()->value(), 0);

    QTest::mouseClick(w.box.widget(), Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_EQ(w.click, 1);
}

TEST(ScrollBoxEx, WithoutCustomWheelTheBoxScrolls) {
    WheelBox w;
    w.Wheel(-120);
    EXPECT_EQ(w.down, 0);
    EXPECT_GT(w.box.verticalScrollBar()->value(), 0);
    EXPECT_GT(ScrollBoxEx::WheelMouse().ScrollLines(), 0);
}

TEST(ToolBarEx, ControlsOnTheBarAndTheButtonHeight) {
    QWidget form;
    form.resize(600, 100);
    auto* bar = new TToolBarEx(&form);
    bar->resize(600, 32);
    form.show();
    auto* open = new TToolButtonEx(bar, "btnOpen");
    auto* save = new TToolButtonEx(bar, "btnSave");
    EXPECT_EQ(bar->ButtonHeight(), 22);
    EXPECT_EQ(open->text(), "btnOpen");
    EXPECT_EQ(save->geometry(), QRect(23, 0, 23, 22));

    auto* zoom = new TExTrackBar(bar);
    zoom->setGeometry(200, 0, 150, 45);
    zoom->show();
    EXPECT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(bar->ButtonHeight(), 22);
    EXPECT_EQ(zoom->geometry(), QRect(46, 0, 150, 22));

    auto* combo = new QComboBox(bar);
    combo->setGeometry(0, 0, 80, 20);
    combo->show();
    EXPECT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(bar->Buttons(0), combo);  // placed before the first button by its position
    EXPECT_EQ(bar->ButtonHeight(), 22);

    auto* panel = new QWidget(bar);
    panel->setGeometry(500, 0, 40, 30);
    panel->show();
    EXPECT_EQ(bar->ButtonCount(), 5);
    EXPECT_EQ(bar->ButtonHeight(), 30);
    EXPECT_EQ(bar->Buttons(4), panel);
    EXPECT_EQ(open->height(), 30);
    EXPECT_EQ(zoom->height(), 30);

    // Resizing a control on the live bar resizes its slot.
    zoom->resize(100, 30);
    EXPECT_EQ(panel->x(), 80 + 46 + 100);
}

TEST(ToolBarEx, CheckGroupsDropDownAndLoading) {
    QWidget form;
    auto* bar = new TToolBarEx(&form);
    bar->resize(400, 32);
    form.show();
    auto* a = new TToolButtonEx(bar, "A");
    auto* b = new TToolButtonEx(bar, "B");
    for (TToolButtonEx* x : {a, b}) {
        x->SetStyle(tbsCheck);
        x->SetGrouped(true);
    }
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->Down());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    QTest::mouseClick(b, Qt::LeftButton);  // a group without AllowAllUp keeps one down
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 2);
    b->SetAllowAllUp(true);
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(b->Down());

    auto* drop = new TToolButtonEx(bar, "Drop");
    drop->SetStyle(tbsDropDown);
    int dropClicks = 0;
    drop->OnClick = [&](QObject*) { ++dropClicks; };
    QTest::mousePress(drop, Qt::LeftButton);
    EXPECT_TRUE(drop->Down());
    QTest::mouseRelease(drop, Qt::LeftButton);
    EXPECT_FALSE(drop->Down());
    EXPECT_EQ(dropClicks, 1);

    auto* plain = new TToolButtonEx(bar, "Plain");
    bar->BeginLoading();
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down());
    bar->Loaded();
    EXPECT_TRUE(plain->Down());
}
