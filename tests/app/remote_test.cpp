// The slide show's remote control dialog.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app/remote_w.h"
#include "ui/ToolBarEx.h"
#include "platform/Forms.h"

#include <functional>

using namespace lumvor;

namespace {

TRemoteEntry Entry(int max, int position) {
    TRemoteEntry entry;
    entry.Min = 1;
    entry.Max = max;
    entry.Position = position;
    entry.SmallChange = 1;
    entry.LargeChange = 5;
    return entry;
}

// Runs the dialog and works it with action.
TRemoteAnswer RunRemote(const TRemoteEntry& entry, std::function<void(TRemoteDialog&)> action) {
    QueueModalAction([action](QDialog& dialog) { action(static_cast<TRemoteDialog&>(dialog)); });
    TRemoteAnswer answer;
    ExecuteRemoteDialog(entry, answer);
    return answer;
}

class RemoteTest : public ::testing::Test {
protected:
    void TearDown() override {
        remote_w::RemoteLeft = remote_w::RemoteTop = -1;
        ClearModalAnswers();
    }
};

}  // namespace

TEST_F(RemoteTest, TypedValuesAreClampedToTheShow) {
    int shown = 0;
    QString text;
    const TRemoteAnswer answer = RunRemote(Entry(40, 7), [&](TRemoteDialog& d) {
        EXPECT_EQ(d.CustomSetting->text(), "7");
        d.CustomSetting->selectAll();
        QTest::keyClicks(d.CustomSetting, "999");
        text = d.CustomSetting->text();
        shown = d.CustomScrollBar->value();
        QTest::keyClick(d.CustomSetting, Qt::Key_Return);  // consumed by the edit
        EXPECT_TRUE(d.isVisible());
        d.CustomSetting->selectAll();
        QTest::keyClicks(d.CustomSetting, "0");
        EXPECT_EQ(d.CustomSetting->text(), "1");
        d.CustomSetting->clear();  // an empty edit changes nothing
        EXPECT_EQ(d.CustomScrollBar->value(), 1);
        QTest::keyClicks(d.CustomSetting, "12");
        d.btnOK->click();
    });
    EXPECT_EQ(text, "40");
    EXPECT_EQ(shown, 40);
    EXPECT_EQ(answer.Value, 12);
    EXPECT_EQ(answer.Action, 1);
}

TEST_F(RemoteTest, ScrollBarWritesTheEdit) {
    const TRemoteAnswer answer = RunRemote(Entry(40, 7), [](TRemoteDialog& d) {
        d.CustomScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EXPECT_EQ(d.CustomSetting->text(), "12");
        d.btnOK->click();
    });
    EXPECT_EQ(answer.Value, 12);
}

TEST_F(RemoteTest, StopCancelsAndStepsEndTheDialog) {
    struct Case {
        const char* button;
        int position;
        int value;
        int action;
    } cases[] = {
        {"btnStop", 7, -999, 1},  {"btnCancel", 7, -999, 1}, {"btnFirstSlide", 7, 1, 1},
        {"btnLastSlide", 7, 40, 1}, {"btnNextSlide", 7, 8, 1}, {"btnPrevSlide", 7, 6, 1},
        {"btnPlay", 7, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const TRemoteAnswer answer = RunRemote(Entry(40, c.position), [&](TRemoteDialog& d) {
            d.findChild<QAbstractButton*>(c.button)->click();
        });
        EXPECT_EQ(answer.Value, c.value);
        EXPECT_EQ(answer.Action, c.action);
    }
}

TEST_F(RemoteTest, NextOnTheLastSlideAndPrevOnTheFirstDoNothing) {
    bool open = false;
    RunRemote(Entry(40, 40), [&](TRemoteDialog& d) {
        d.btnNextSlide->click();
        open = d.isVisible() && d.result() == 0;
        d.btnOK->click();
    });
    EXPECT_TRUE(open);
    const TRemoteAnswer answer = RunRemote(Entry(40, 1), [&](TRemoteDialog& d) {
        d.btnPrevSlide->click();
        open = d.isVisible() && d.result() == 0;
        d.btnOK->click();
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(answer.Value, 1);
}

TEST_F(RemoteTest, TheDialogReopensWhereItWasLeft) {
    const TRemoteAnswer first = RunRemote(Entry(10, 1), [](TRemoteDialog& d) {
        d.move(33, 44);
        d.btnStop->click();
    });
    EXPECT_EQ(first.Left, 33);
    EXPECT_EQ(first.Top, 44);
    int left = 0;
    RunRemote(Entry(10, 1), [&](TRemoteDialog& d) {
        left = d.Left();
        d.btnStop->click();
    });
    EXPECT_EQ(left, 33);
}
