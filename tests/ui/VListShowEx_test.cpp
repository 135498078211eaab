// The thumbnail list view: paint lock, image callback, drags and owner-controlled tips.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTest>

#include <string>
#include <vector>

#include "platform/Forms.h"
#include "ui/VListShowEx.h"

using namespace lumvor;

namespace {

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

struct Shown {
    explicit Shown(int rows) {
        lv.SetViewStyle(vsReport);
        lv.Columns()->Add()->SetWidth(150);
        lv.SetOwnerData(true);
        lv.OnData = [this](QObject*, TVListItem* item) {
            ++calls;
            item->SetCaption("Row " + std::to_string(item->Index()));
            if (dataImage >= 0) item->SetImageIndex(dataImage);
        };
        lv.Items()->SetCount(rows);
        lv.resize(250, 200);
        lv.show();
        Settle();
    }
    QPoint RowCenter(int row) { return lv.View()->visualRect(lv.View()->model()->index(row, 0)).center(); }

    TVListShowEx lv;
    int calls = 0;
    int dataImage = -1;
};

QColor ImageColor(const QVariant& v) { return v.value<QPixmap>().toImage().pixelColor(0, 0); }

}  // namespace

TEST(VListShowEx, ToolTipOptionsOffsetAndBelowExcludeEachOther) {
    const TTooltipOptions below = TipBit(ttoBelowItem), offset = TipBit(ttoOffSet),
                          screen = TipBit(ttoAdjustForScreenBoundary);
    struct Case {
        TTooltipOptions current, wanted, result;
    };
    for (const Case& c : std::vector<Case>{
             {offset, below, below},
             {0, TTooltipOptions(below | offset), offset},
             {below, TTooltipOptions(below | offset), offset},
             {offset, TTooltipOptions(below | offset), below},
             {screen, TTooltipOptions(screen | TipBit(ttoLongStay)), TTooltipOptions(screen | TipBit(ttoLongStay))},
         })
        EXPECT_EQ(MergeToolTipOptions(c.current, c.wanted), c.result);

    TVListShowEx lv;
    EXPECT_EQ(lv.ToolTipOptions(), screen);
    EXPECT_EQ(lv.AutomaticDelay(), 500);
    EXPECT_EQ(lv.AutoPopDelay(), 3000);
    EXPECT_EQ(lv.ToolTipWidth(), -1);
    lv.SetToolTipOptions(TTooltipOptions(TipBit(ttoInstantShow) | TipBit(ttoLongStay)));
    EXPECT_EQ(lv.AutomaticDelay(), 1);
    EXPECT_EQ(lv.AutoPopDelay(), 32000);
}

TEST(VListShowEx, TipPlacement) {
    const QSize screen(800, 600), custom(96, 60);
    const QPoint cursor(100, 100);
    const QRect label(90, 95, 80, 15), tip(102, 116, 120, 20);
    struct Case {
        TTooltipOptions options;
        QPoint cursor;
        QRect tip;
        bool iconView;
        QPoint place;
    };
    const TTooltipOptions adjust = TipBit(ttoAdjustForScreenBoundary);
    for (const Case& c : std::vector<Case>{
             {0, cursor, tip, false, {102, 116}},
             {TipBit(ttoOffSet), cursor, tip, false, {120, 107}},
             {TipBit(ttoBelowItem), cursor, tip, false, {102, 131}},
             {adjust, cursor, QRect(750, 590, 120, 20), false, {680, 580}},
             {adjust, cursor, QRect(-5, -7, 120, 20), false, {0, 0}},
             {TTooltipOptions(adjust | TipBit(ttoOffSet)), QPoint(780, 10), tip, true, {704, 17}},
             {TipBit(ttoOffSet), QPoint(780, 10), tip, false, {800, 17}},
         })
        EXPECT_EQ(PlaceToolTip(c.options, c.cursor, label, c.tip, c.iconView, custom, screen), c.place);
}

TEST(VListShowEx, PaintBusyDropsPainting) {
    Shown s(1000);
    s.lv.SetPaintBusy(true);
    s.calls = 0;
    s.lv.Invalidate();
    s.lv.Viewport()->repaint();
    Settle();
    EXPECT_EQ(s.calls, 0);
    s.lv.SetPaintBusy(false);
    s.lv.Invalidate();
    s.lv.Viewport()->repaint();
    EXPECT_GT(s.calls, 0);
}

TEST(VListShowEx, CallbackAsksForTheImageBeforeTheRow) {
    TImageList images(4, 4);
    for (QColor c : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta}) {
        QPixmap p(4, 4);
        p.fill(c);
        images.Add(p);
    }
    Shown s(10);
    s.lv.SetSmallImages(&images);
    s.lv.Callback = true;
    std::vector<int> asked;
    s.lv.OnGetImageIdx = [&](QObject*, TVListItem* item) {
        asked.push_back(item->Index());
        item->SetImageIndex(5);
    };
    QAbstractItemModel* m = s.lv.View()->model();
    s.lv.Invalidate();
    EXPECT_EQ(ImageColor(m->data(m->index(3, 0), Qt::DecorationRole)), QColor(Qt::magenta));
    EXPECT_EQ(asked, std::vector<int>({3}));
    // OnData setting the image itself wins.
    s.dataImage = 2;
    s.lv.Invalidate();
    EXPECT_EQ(ImageColor(m->data(m->index(4, 0), Qt::DecorationRole)), QColor(Qt::blue));
    // Without Callback the image comes from OnData alone.
    s.lv.Callback = false;
    s.dataImage = -1;
    asked.clear();
    s.lv.Invalidate();
    EXPECT_FALSE(m->data(m->index(5, 0), Qt::DecorationRole).isValid());
    EXPECT_TRUE(asked.empty());
}

TEST(VListShowEx, DragGoesToTheOwner) {
    Shown s(20);
    int ole = 0, starts = 0;
    s.lv.OnOleDragNotify = [&](QObject*) { ++ole; };
    s.lv.OnStartDrag = [&](QObject*) { ++starts; };
    const QPoint from = s.RowCenter(2);
    QTest::mousePress(s.lv.Viewport(), Qt::LeftButton, Qt::NoModifier, from);
    for (int step : {5, 40}) {
        const QPoint to = from + QPoint(step, step);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(s.lv.Viewport()->mapToGlobal(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(s.lv.Viewport(), &move);
    }
    QTest::mouseRelease(s.lv.Viewport(), Qt::LeftButton, Qt::NoModifier, from + QPoint(40, 40));
    EXPECT_EQ(ole, 1);
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(s.lv.DragIndex(), -1);
}

TEST(VListShowEx, OwnerDecidesTheTip) {
    Shown s(3);
    s.lv.SetEnableToolTips(true);
    s.lv.ShowToolTips = true;
    std::vector<int> rows;
    s.lv.OnToolTip = [&](QObject*, TVListItem* item, int col, std::string& text, std::string& title,
                         TEnumToolTipIcon& icon, TTooltipOptions& options) {
        rows.push_back(item->Index());
        EXPECT_EQ(col, 0);
        EXPECT_EQ(text, "Row " + std::to_string(item->Index()));
        text = "File " + std::to_string(item->Index());
        if (item->Index() == 1) {
            title = "Title";
            icon = 1;
            options = TTooltipOptions(options | TipBit(ttoOffSet) | TipBit(ttoLongStay));
        }
    };
    auto ask = [&](const QPoint& at) {
        QHelpEvent e(QEvent::ToolTip, at, s.lv.Viewport()->mapToGlobal(at));
        QApplication::sendEvent(s.lv.Viewport(), &e);
        return s.lv.Viewport()->mapToGlobal(at);
    };

    const QPoint global1 = ask(s.RowCenter(1));
    ASSERT_NE(s.lv.TipWindow(), nullptr);
    EXPECT_TRUE(s.lv.TipWindow()->isVisible());
    EXPECT_EQ(s.lv.TipWindow()->text().toStdString(), "Title\nFile 1");
    EXPECT_EQ(s.lv.TipIcon(), 1);
    EXPECT_EQ(s.lv.TipWindow()->pos().x(), std::min(global1.x() + 20, Screen.Width() - s.lv.TipWindow()->width()));
    EXPECT_TRUE(s.lv.TipOptions() & TipBit(ttoOffSet));
    // The change was for that tip only.
    EXPECT_EQ(s.lv.ToolTipOptions(), TipBit(ttoAdjustForScreenBoundary));
    EXPECT_EQ(s.lv.AutoPopDelay(), 3000);

    const QPoint global0 = ask(s.RowCenter(0));
    EXPECT_EQ(s.lv.TipWindow()->text().toStdString(), "File 0");
    EXPECT_EQ(s.lv.TipWindow()->pos(), global0 + QPoint(2, 16));
    EXPECT_EQ(rows, std::vector<int>({1, 0}));

    // Over empty space nobody is asked and no tip of ours shows.
    ask(QPoint(10, s.lv.Viewport()->height() - 3));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_FALSE(s.lv.TipWindow()->isVisible());

    // ShowToolTips off: the tip is placed out of sight.
    s.lv.ShowToolTips = false;
    ask(s.RowCenter(2));
    EXPECT_FALSE(s.lv.TipWindow()->isVisible());
}
