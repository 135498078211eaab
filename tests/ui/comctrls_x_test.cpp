// The list view: rows described on demand, events, column auto-sizing, updates.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ui/comctrls_x.h"
#include "ui/VListShowEx.h"

using namespace lumvor;

namespace {

// An owner-data list whose row n reads "Row n" with one sub-item "Sub n", and
// which counts and records the rows OnData was asked for.
struct OwnerList {
    explicit OwnerList(TVCustomListView& lv, int rows) : lv(lv) {
        lv.SetOwnerData(true);
        lv.OnData = [this](QObject*, TVListItem* item) {
            ++calls;
            asked.insert(item->Index());
            item->SetCaption("Row " + std::to_string(item->Index()));
            item->SubItems()->Add("Sub " + std::to_string(item->Index()));
        };
        lv.Items()->SetCount(rows);
    }
    void Reset() {
        calls = 0;
        asked.clear();
    }
    TVCustomListView& lv;
    int calls = 0;
    std::set<int> asked;
};

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void Repaint(TVCustomListView& lv) {
    Settle();
    lv.Viewport()->repaint();
}

QPoint RowCenter(TVCustomListView& lv, int row) {
    return lv.View()->visualRect(lv.View()->model()->index(row, 0)).center();
}

void Click(TVCustomListView& lv, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(lv.Viewport(), Qt::LeftButton, mods, RowCenter(lv, row));
}

// A shown report view with one column of the given width.
void ShowReport(TVCustomListView& lv, int columnWidth, int width, int height) {
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetWidth(columnWidth);
    lv.resize(width, height);
    lv.show();
    Settle();
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, Qt::Key(key), mods);
}

}  // namespace

TEST(VListView, HundredThousandRowsAskOnlyForTheVisibleOnes) {
    for (TViewStyle style : {vsReport, vsList, vsIcon, vsSmallIcon}) {
        SCOPED_TRACE(int(style));
        TVListView lv;
        lv.SetViewStyle(style);
        lv.Columns()->Add()->SetWidth(120);
        OwnerList owner(lv, 100000);
        lv.resize(300, 200);
        lv.show();
        Repaint(lv);
        EXPECT_GT(owner.calls, 0);
        EXPECT_LT(owner.calls, 400);
        ASSERT_FALSE(owner.asked.empty());
        EXPECT_LT(*owner.asked.rbegin(), 400);

        owner.Reset();
        lv.View()->scrollTo(lv.View()->model()->index(99999, 0));
        Repaint(lv);
        EXPECT_GT(owner.calls, 0);
        EXPECT_LT(owner.calls, 400);
        ASSERT_FALSE(owner.asked.empty());
        EXPECT_EQ(*owner.asked.rbegin(), 99999);
        EXPECT_GT(*owner.asked.begin(), 99000);
    }
}

TEST(VListView, OwnerDataRowsShareTheTemporaryItem) {
    TVListView lv;
    OwnerList owner(lv, 10);
    TVListItem* three = lv.Items()->Item(3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->Caption(), "Row 3");
    TVListItem* four = lv.Items()->Item(4);
    EXPECT_EQ(three, four);
    EXPECT_EQ(three->Index(), 4);
    EXPECT_EQ(three->Caption(), "Row 4");
    EXPECT_EQ(lv.Items()->Item(-1), nullptr);
    EXPECT_EQ(lv.Items()->Item(10), nullptr);
    EXPECT_EQ(lv.Items()->Count(), 10);
    // Rows cannot be added to an owner-data list.
    EXPECT_EQ(lv.Items()->Add(), nullptr);
}

TEST(VListView, CellsShowCaptionSubItemsAndEmptyBeyondThem) {
    TVListView lv;
    lv.SetViewStyle(vsReport);
    for (int i = 0; i < 3; ++i) lv.Columns()->Add();
    OwnerList owner(lv, 5);
    QAbstractItemModel* m = lv.View()->model();
    EXPECT_EQ(m->data(m->index(2, 0)).toString(), "Row 2");
    EXPECT_EQ(m->data(m->index(2, 1)).toString(), "Sub 2");
    EXPECT_EQ(m->data(m->index(2, 2)).toString(), "");
    EXPECT_EQ(m->columnCount(), 3);
}

TEST(VListView, OrdinaryItemsInsertDeleteAndClear) {
    TVListView lv;
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add();
    std::vector<std::string> inserted, deleted;
    lv.OnInsert = [&](QObject*, TVListItem* item) { inserted.push_back(item->Caption()); };
    lv.OnDeletion = [&](QObject*, TVListItem* item) { deleted.push_back(item->Caption()); };
    for (const char* name : {"b", "a", "c"}) lv.Items()->Add()->SetCaption(name);
    EXPECT_EQ(inserted.size(), 3u);
    // Sorting is never acted on.
    lv.SetSortType(stText);
    QAbstractItemModel* m = lv.View()->model();
    EXPECT_EQ(m->data(m->index(0, 0)).toString(), "b");
    EXPECT_EQ(lv.Items()->Item(1)->Index(), 1);

    lv.Items()->Item(1)->Delete();
    EXPECT_EQ(deleted, std::vector<std::string>({"a"}));
    EXPECT_EQ(lv.Items()->Count(), 2);
    EXPECT_EQ(m->data(m->index(1, 0)).toString(), "c");

    deleted.clear();
    lv.Items()->Clear();
    EXPECT_EQ(deleted, std::vector<std::string>({"c", "b"}));
    EXPECT_EQ(lv.Items()->Count(), 0);
}

TEST(VListView, CaptionChangeCanBeRefused) {
    TVListView lv;
    TVListItem* item = lv.Items()->Add();
    item->SetCaption("first");
    std::vector<TItemChange> changes;
    bool allow = false;
    lv.OnChanging = [&](QObject*, TVListItem*, TItemChange c, bool& a) {
        changes.push_back(c);
        a = allow;
    };
    lv.OnChange = [&](QObject*, TVListItem*, TItemChange c) { changes.push_back(c); };
    item->SetCaption("second");
    EXPECT_EQ(item->Caption(), "first");
    EXPECT_EQ(changes, std::vector<TItemChange>({ctText}));
    allow = true;
    changes.clear();
    item->SetImageIndex(4);
    EXPECT_EQ(item->ImageIndex(), 4);
    EXPECT_EQ(changes, std::vector<TItemChange>({ctImage, ctImage}));
}

TEST(VListView, SelectingRaisesChangingAndChange) {
    TVListView lv;
    OwnerList owner(lv, 50);
    ShowReport(lv, 100, 200, 300);
    std::vector<std::pair<int, TItemChange>> changing, changed;
    bool refuseRow5 = true;
    lv.OnChanging = [&](QObject*, TVListItem* item, TItemChange c, bool& allow) {
        changing.emplace_back(item ? item->Index() : -1, c);
        if (item && item->Index() == 5 && refuseRow5) allow = false;
    };
    lv.OnChange = [&](QObject*, TVListItem* item, TItemChange c) {
        changed.emplace_back(item ? item->Index() : -1, c);
    };

    Click(lv, 3);
    EXPECT_EQ(lv.SelCount(), 1);
    EXPECT_EQ(lv.Selected()->Index(), 3);
    EXPECT_NE(std::find(changing.begin(), changing.end(), std::make_pair(3, ctState)), changing.end());
    EXPECT_NE(std::find(changed.begin(), changed.end(), std::make_pair(3, ctState)), changed.end());

    // A refused change leaves the row as it was.
    Click(lv, 5);
    EXPECT_FALSE(lv.Items()->Item(5)->Selected());
    refuseRow5 = false;
    Click(lv, 5);
    EXPECT_TRUE(lv.Items()->Item(5)->Selected());
    EXPECT_EQ(lv.SelCount(), 1);

    // Setting the selection to nil clears it.
    lv.SetSelected(nullptr);
    EXPECT_EQ(lv.SelCount(), 0);
    EXPECT_EQ(lv.Selected(), nullptr);
}

TEST(VListView, OwnerDataRangeSelectionReportsOneStateChange) {
    TVListView lv;
    lv.SetMultiSelect(true);
    OwnerList owner(lv, 50);
    ShowReport(lv, 100, 200, 400);
    struct Range {
        int start, end;
        TItemStates was, now;
    };
    std::vector<Range> ranges;
    lv.OnDataStateChange = [&](QObject*, int s, int e, TItemStates o, TItemStates n) {
        ranges.push_back({s, e, o, n});
    };
    Click(lv, 2);
    Click(lv, 6, Qt::ShiftModifier);
    EXPECT_EQ(lv.SelCount(), 5);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].start, 3);
    EXPECT_EQ(ranges[0].end, 6);
    EXPECT_EQ(ranges[0].was, 0);
    EXPECT_EQ(ranges[0].now, StateBit(isSelected));
    // Ctrl-click adds single rows.
    Click(lv, 10, Qt::ControlModifier);
    EXPECT_EQ(lv.SelectedRows(), std::vector<int>({2, 3, 4, 5, 6, 10}));
    EXPECT_EQ(lv.GetNextItem(lv.Items()->Item(6), sdAll, StateBit(isSelected))->Index(), 10);
}

TEST(VListView, EditingACaptionInPlace) {
    TVListView lv;
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetWidth(150);
    for (const char* n : {"one", "two", "three"}) lv.Items()->Add()->SetCaption(n);
    lv.resize(200, 200);
    lv.show();
    Settle();
    bool allow = false;
    std::vector<std::string> editing;
    lv.OnEditing = [&](QObject*, TVListItem* item, bool& a) {
        editing.push_back(item->Caption());
        a = allow;
    };
    lv.OnEdited = [&](QObject*, TVListItem* item, std::string& s) {
        EXPECT_EQ(item->Caption(), "two");
        EXPECT_EQ(s, "zwei");
        s = "deux";
    };

    lv.Items()->Item(1)->EditCaption();
    EXPECT_EQ(editing, std::vector<std::string>({"two"}));
    EXPECT_EQ(lv.View()->findChild<QLineEdit*>(), nullptr);

    allow = true;
    lv.Items()->Item(1)->EditCaption();
    Settle();
    auto* editor = lv.View()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("zwei");
    Key(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(lv.Items()->Item(1)->Caption(), "deux");

    // A read-only list never starts editing.
    editing.clear();
    lv.SetReadOnly(true);
    lv.Items()->Item(0)->EditCaption();
    EXPECT_TRUE(editing.empty());
}

TEST(VListView, KeysGoToTheOwnerFirst) {
    TVListView lv;
    OwnerList owner(lv, 20);
    ShowReport(lv, 100, 200, 200);
    Click(lv, 0);
    std::vector<std::pair<std::uint16_t, TShiftState>> downs;
    std::vector<char> presses;
    lv.OnKeyDown = [&](QObject*, std::uint16_t& key, TShiftState shift) {
        if (key == VK_SHIFT || key == VK_CONTROL) return;  // the modifiers' own presses
        downs.emplace_back(key, shift);
        if (key == VK_DOWN && shift == ssCtrl) key = 0;  // swallowed
    };
    lv.OnKeyPress = [&](QObject*, char& c) { presses.push_back(c); };
    Key(lv.View(), Qt::Key_Delete, Qt::ShiftModifier);
    Key(lv.View(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(lv.ItemFocused()->Index(), 0);
    Key(lv.View(), Qt::Key_Down);
    EXPECT_EQ(lv.ItemFocused()->Index(), 1);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0], std::make_pair(VK_DELETE, ssShift));
    EXPECT_EQ(downs[1], std::make_pair(VK_DOWN, ssCtrl));
    EXPECT_EQ(downs[2], std::make_pair(VK_DOWN, TShiftState(0)));
    EXPECT_TRUE(presses.empty() || presses == std::vector<char>({127}));
}

TEST(VListView, TypeAheadAsksOnDataFind) {
    TVListView lv;
    OwnerList owner(lv, 1000);
    ShowReport(lv, 100, 200, 200);
    Click(lv, 0);
    struct Ask {
        TItemFind find;
        std::string text;
        int start;
        bool wrap;
    };
    std::vector<Ask> asks;
    lv.OnDataFind = [&](QObject*, TItemFind find, const std::string& s, const TPoint&, void*, int start,
                        TSearchDirection, bool wrap, int& index) {
        asks.push_back({find, s, start, wrap});
        index = s == "r" ? 700 : -1;
    };
    QTest::keyClicks(lv.View(), "r");
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0].find, ifPartialString);
    EXPECT_EQ(asks[0].text, "r");
    EXPECT_EQ(asks[0].start, 1);
    EXPECT_TRUE(asks[0].wrap);
    EXPECT_EQ(lv.ItemFocused()->Index(), 700);
    EXPECT_TRUE(lv.Items()->Item(700)->Selected());
    // Unanswered: nothing moves.
    QTest::keyClicks(lv.View(), "x");
    EXPECT_EQ(lv.ItemFocused()->Index(), 700);
}

TEST(VListView, DraggingARowStartsTheListsDrag) {
    TVListView lv;
    OwnerList owner(lv, 20);
    ShowReport(lv, 150, 200, 300);
    int starts = 0;
    lv.OnStartDrag = [&](QObject*) { ++starts; };
    const QPoint from = RowCenter(lv, 4);
    QTest::mousePress(lv.Viewport(), Qt::LeftButton, Qt::NoModifier, from);
    for (int step : {5, 40}) {  // the view enters its dragging state, then starts
        const QPoint to = from + QPoint(step, step);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(lv.Viewport()->mapToGlobal(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(lv.Viewport(), &move);
    }
    QTest::mouseRelease(lv.Viewport(), Qt::LeftButton, Qt::NoModifier, from + QPoint(40, 40));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(lv.DragIndex(), 4);
}

TEST(VListView, ColumnAutoSizing) {
    struct Case {
        std::vector<TColumnSizing> columns;
        int client;
        std::vector<int> widths;
    };
    const std::vector<Case> cases = {
        {{{50, 0, 0, true}, {100, 0, 0, false}, {50, 0, 0, true}}, 301, {101, 100, 100}},
        {{{50, 0, 0, true}}, 250, {250}},
        {{{50, 0, 0, false}, {70, 0, 0, false}}, 500, {50, 70}},
        // A column held by its maximum gives the rest to the others.
        {{{50, 0, 60, true}, {50, 0, 0, true}, {50, 0, 0, true}}, 301, {60, 121, 120}},
        // A minimum wins over a too small share.
        {{{50, 80, 0, true}, {50, 0, 0, true}}, 100, {80, 20}},
        // No room left: widths of zero, never negative (automatic) ones.
        {{{50, 0, 0, true}, {400, 0, 0, false}}, 300, {0, 400}},
    };
    for (const Case& c : cases) EXPECT_EQ(AutoSizeWidths(c.columns, c.client), c.widths);

    TVListView lv;
    lv.SetBorderStyle(bsNone);
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetAutoSize(true);
    lv.Columns()->Add()->SetWidth(100);
    lv.Columns()->Add()->SetAutoSize(true);
    lv.resize(301, 150);
    lv.show();
    Settle();
    ASSERT_EQ(lv.ClientWidth(), 301);
    EXPECT_EQ(lv.Column(0)->Width(), 101);
    EXPECT_EQ(lv.Column(1)->Width(), 100);
    EXPECT_EQ(lv.Column(2)->Width(), 100);
}

TEST(VListView, UpdatesAreCountedAndHoldPainting) {
    TVListView lv;
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetWidth(100);
    OwnerList owner(lv, 100);
    lv.resize(200, 200);
    lv.show();
    Repaint(lv);
    lv.Items()->BeginUpdate();
    lv.Items()->BeginUpdate();
    EXPECT_TRUE(lv.PaintSuspended());
    lv.Items()->EndUpdate();
    EXPECT_TRUE(lv.PaintSuspended());
    lv.Items()->EndUpdate();
    EXPECT_FALSE(lv.PaintSuspended());
    lv.Items()->EndUpdate();  // an extra one does nothing
    EXPECT_EQ(lv.Items()->UpdateCount(), 0);
}

TEST(VListView, StylesAndPropertiesKeepColumnsAndItems) {
    TVListView lv;
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetCaption("Name");
    lv.Columns()->Add()->SetCaption("Size");
    lv.Column(1)->SetAlignment(taRightJustify);
    lv.Column(0)->SetAlignment(taCenter);
    EXPECT_EQ(lv.Column(0)->Alignment(), taLeftJustify);
    lv.SetCheckboxes(true);
    TVListItem* item = lv.Items()->Add();
    item->SetCaption("x");
    item->SetChecked(true);
    lv.SetReadOnly(true);
    lv.SetViewStyle(vsList);
    lv.SetViewStyle(vsReport);
    EXPECT_EQ(lv.Columns()->Count(), 2);
    EXPECT_EQ(lv.Items()->Count(), 1);
    EXPECT_TRUE(lv.Items()->Item(0)->Checked());
    EXPECT_EQ(lv.Column(1)->DisplayName(), "Size");
    EXPECT_EQ(TVListColumn(&lv).DisplayName(), "TVListColumn");
    EXPECT_THROW(TIconOptions(nullptr), Exception);
    try {
        TIconOptions bad(nullptr);
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Invalid owner");
    }
}
