// The list dialog in each of its modes, answered through the modal hook.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QAbstractItemView>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "platform/Forms.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"

using namespace lumvor;

namespace {

std::vector<std::string> Lines(const TStrings& s) {
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s.Get(i));
    return v;
}

TStringList List(const std::vector<std::string>& lines) {
    TStringList s;
    for (const auto& l : lines) s.Add(l);
    return s;
}

class ListDlg : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        listdlg_y::ListDlgBounds = TRect{-1, -1, -1, -1};
        listdlg_y::ListDlgIndex = -1;
        lumv8900::ImageHistoryList.Clear();
        xplr8900::HistoryList.Clear();
        xplr8900::HistoryIndex = -1;
        AvlLines.Clear();
        CurFileName.clear();
        lumv8900::EffectsList = {};
    }
    void TearDown() override { ClearModalAnswers(); }

    std::string File(const std::string& name) {
        const std::string path = root + name;
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        return path;
    }
    std::string Folder(const std::string& name) {
        QDir().mkpath(QString::fromStdString(root + name));
        return root + name + "/";
    }

    // Runs the dialog; check works the shown dialog and ends it.
    int Run(int mode, const TStrings& strings, std::function<void(TListDlg&)> check) {
        QueueModalAction([check](QDialog& d) {
            auto& dlg = dynamic_cast<TListDlg&>(d);
            check(dlg);
            if (dlg.isVisible()) static_cast<QDialog&>(dlg).done(mrCancel);  // a check that failed part-way
        });
        return ExecuteListDlg(mode, 300, "Caption", strings);
    }

    QTemporaryDir dir;
    std::string root;
};

std::string LabelText(TListDlg& d) { return d.Label1->text().toStdString(); }

}  // namespace

TEST_F(ListDlg, BookmarksSortDropsDuplicatesAndMissingFiles) {
    const std::string a = File("a.jpg"), b = File("b.jpg"), gone = root + "gone.jpg";
    CurFileName = b;
    const TStringList in = List({b, gone, a, b});
    const int result = Run(410, in, [&](TListDlg& d) {
        EXPECT_EQ(LabelText(d), "Select item or press DELETE to remove selected item.");
        EXPECT_EQ(d.btnClear->text().toStdString(), "&Sort all");
        EXPECT_FALSE(d.VChoices->MultiSelect());
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({0}));  // the current file
        EXPECT_EQ(d.StatusText(), "  4 item(s)");
        d.btnClear->click();
        EXPECT_EQ(Lines(d.Choices), std::vector<std::string>({a, b}));
        EXPECT_EQ(d.StatusText(), "  2 item(s)");
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({1}));  // still the current file
        d.VChoices->SelectRows(0, 0, true);
        EXPECT_EQ(d.StatusText(), "  Selected item 1 of 2");
        d.btnOK->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Lines(lumv8900::ImageHistoryList), std::vector<std::string>({a, b}));
    EXPECT_GE(lumv8900::ImageHistoryList.Capacity(), 131072);
    EXPECT_EQ(xplr8900::HistoryIndex, -1);
    EXPECT_EQ(Lines(in), std::vector<std::string>({b, gone, a, b}));  // the caller's list is a copy
}

TEST_F(ListDlg, VisitedFoldersDeleteKeyAndChoice) {
    const std::string f1 = Folder("one"), f2 = Folder("two"), f3 = Folder("three");
    CurFileName = "not in the list";
    const int result = Run(401, List({f1, f2, f3}), [&](TListDlg& d) {
        EXPECT_TRUE(d.VChoices->SelectedRows().empty());
        d.VChoices->SelectRows(1, 1, true);
        QTest::keyClick(static_cast<QWidget*>(d.VChoices->View()), Qt::Key_Delete);
        EXPECT_EQ(Lines(d.Choices), std::vector<std::string>({f1, f3}));
        EXPECT_EQ(d.StatusText(), "  2 item(s)");
        d.VChoices->SelectRows(1, 1, true);
        d.btnOK->click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(xplr8900::HistoryIndex, 1);
    EXPECT_EQ(Lines(xplr8900::HistoryList), std::vector<std::string>({f1, f3}));
    EXPECT_TRUE(lumv8900::ImageHistoryList.Count() == 0);
}

TEST_F(ListDlg, BatchConversionKeepsExistingPictures) {
    const std::string jpg = File("a.jpg"), png = File("d.PNG"), txt = File("b.txt"), jp = File("e.jp");
    const std::string missing = root + "c.png";
    const int result = Run(3, List({jpg, txt, missing, png, jp}), [&](TListDlg& d) {
        EXPECT_EQ(Lines(d.Choices), std::vector<std::string>({jpg, png}));
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({0, 1}));
        EXPECT_FALSE(d.btnClear->isEnabled());
        EXPECT_TRUE(d.btnOK->isEnabled());
        EXPECT_EQ(d.StatusText(), "  2 item(s)");
        d.btnOK->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Lines(AvlLines), std::vector<std::string>({jpg, png}));
}

TEST_F(ListDlg, BatchConversionWithNothingEligible) {
    const std::string txt = File("b.txt");
    Run(4, List({txt, root + "gone.jpg"}), [&](TListDlg& d) {
        EXPECT_EQ(d.Choices.Count(), 0);
        EXPECT_EQ(LabelText(d), "No bookmarked files were eligible for compression.");
        EXPECT_FALSE(d.btnOK->isEnabled());
        EXPECT_FALSE(d.btnClear->isEnabled());
    });
}

TEST_F(ListDlg, BatchSourcesStartAllSelected) {
    // Mode 200 keeps every entry, existing or not, and starts with all selected.
    const TStringList in = List({"/nowhere/x.avl", "/nowhere/y.jpg", "/nowhere/z.gif"});
    AvlLines.Assign(in);
    const int result = Run(200, AvlLines, [&](TListDlg& d) {
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({0, 1, 2}));
        d.VChoices->SelectRows(1, 1, false);
        d.btnOK->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Lines(AvlLines), std::vector<std::string>({"/nowhere/x.avl", "/nowhere/z.gif"}));
}

TEST_F(ListDlg, ClearSelectsTheFirstRowInMode2) {
    const std::string a = File("a.jpg"), b = File("b.tif");
    Run(2, List({a, b}), [&](TListDlg& d) {
        EXPECT_TRUE(d.btnClear->isEnabled());
        d.btnClear->click();
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({0}));
        d.btnOK->click();
    });
    EXPECT_EQ(Lines(AvlLines), std::vector<std::string>({a}));
}

TEST_F(ListDlg, EffectsAreShownAndWrittenBack) {
    lumv8900::EffectsList[1].Reserved[0] = 1;
    lumv8900::EffectsList[3].Reserved[0] = 1;
    lumv8900::EffectsList[200].Reserved[0] = 1;  // beyond the list: cleared on OK
    const int result = Run(0, List({"No transition", "Randomize ALL", "Random Wipes", "Blur Intro"}),
                           [&](TListDlg& d) {
                               EXPECT_TRUE(d.VChoices->MultiSelect());
                               EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({1, 3}));
                               d.VChoices->SelectRows(3, 3, false);
                               d.VChoices->SelectRows(0, 0, true);
                               d.btnOK->click();
                           });
    EXPECT_EQ(result, 0);
    std::vector<int> selected;
    for (size_t i = 0; i < lumv8900::EffectsList.size(); ++i)
        if (lumv8900::EffectsList[i].Reserved[0]) selected.push_back(int(i));
    EXPECT_EQ(selected, std::vector<int>({0, 1}));
}

TEST_F(ListDlg, OneEffectIsChosen) {
    const int result = Run(1, List({"a", "b", "c"}), [&](TListDlg& d) {
        EXPECT_EQ(LabelText(d), "Click an effect from list, then click Ok.");
        EXPECT_TRUE(d.btnClear->isHidden());
        EXPECT_FALSE(d.VChoices->MultiSelect());
        d.VChoices->SelectRows(2, 2, true);
        EXPECT_EQ(d.StatusText(), "  Selected item 3 of 3");
        d.btnOK->click();
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(listdlg_y::ListDlgIndex, 2);
}

TEST_F(ListDlg, CancelChangesNothing) {
    const std::string a = File("a.jpg"), b = File("b.jpg");
    for (int mode : {0, 1, 3, 200, 401, 410}) {
        SCOPED_TRACE(mode);
        lumv8900::ImageHistoryList.Assign(List({"bookmark"}));
        xplr8900::HistoryList.Assign(List({"folder/"}));
        xplr8900::HistoryIndex = 0;
        AvlLines.Assign(List({"line"}));
        lumv8900::EffectsList = {};
        lumv8900::EffectsList[0].Reserved[0] = 1;
        listdlg_y::ListDlgIndex = 7;
        const int result = Run(mode, List({a, b, a}), [&](TListDlg& d) {
            d.VChoices->SelectRows(0, 1, true);
            if (mode > 400) d.btnClear->click();  // sorting edits only the dialog's copy
            d.btnCancel->click();
        });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(Lines(lumv8900::ImageHistoryList), std::vector<std::string>({"bookmark"}));
        EXPECT_EQ(Lines(xplr8900::HistoryList), std::vector<std::string>({"folder/"}));
        EXPECT_EQ(xplr8900::HistoryIndex, 0);
        EXPECT_EQ(Lines(AvlLines), std::vector<std::string>({"line"}));
        EXPECT_EQ(lumv8900::EffectsList[0].Reserved[0], 1);
        EXPECT_EQ(lumv8900::EffectsList[1].Reserved[0], 0);
        EXPECT_EQ(listdlg_y::ListDlgIndex, 7);
    }
}

TEST_F(ListDlg, BoundsAreRememberedWhileTheyFitTheScreen) {
    const int sw = Screen.Width(), sh = Screen.Height();
    Run(1, List({"a"}), [&](TListDlg& d) {
        EXPECT_EQ(d.width(), 400);
        EXPECT_EQ(d.height(), 400);
        EXPECT_EQ(d.x(), (sw - 400) / 2);
        d.setGeometry(10, 20, 350, 300);
    });
    EXPECT_EQ(listdlg_y::ListDlgBounds.Left, 10);
    EXPECT_EQ(listdlg_y::ListDlgBounds.Right, 360);
    Run(1, List({"a"}), [&](TListDlg& d) {
        EXPECT_EQ(d.geometry(), QRect(10, 20, 350, 300));
    });
    // Partly off the screen: centred at 400 x 400 again.
    listdlg_y::ListDlgBounds = TRect{sw - 100, 10, sw + 250, 310};
    Run(1, List({"a"}), [&](TListDlg& d) {
        EXPECT_EQ(d.size(), QSize(400, 400));
        EXPECT_EQ(d.pos(), QPoint((sw - 400) / 2, (sh - 400) / 2));
    });
}
