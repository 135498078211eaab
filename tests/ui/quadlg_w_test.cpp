// The grid cell dialog, driven through the modal hook.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include "platform/Forms.h"
#include "ui/quadlg_w.h"

using namespace lumvor;

TEST(QuadDlg, MiddleCellOfAThreeByThreeGrid) {
    QueueModalAction([](QDialog& dialog) {
        auto& d = static_cast<TQuadDlg&>(dialog);
        EXPECT_EQ(d.windowTitle(), "Grid Select 333x266  Left=0  Top=0");
        // The 1000 x 800 picture is fitted into 300 x 240: cells of 100 x 80 plus the lines.
        EXPECT_EQ(d.SelectGrid->width(), 3 * (100 + 4));
        EXPECT_EQ(d.SelectGrid->height(), 3 * (80 + 4));
        const QRect cell = d.SelectGrid->visualRect(d.SelectGrid->model()->index(1, 1));
        QTest::mouseClick(d.SelectGrid->viewport(), Qt::LeftButton, {}, cell.center());
        QCoreApplication::processEvents();
        EXPECT_EQ(d.windowTitle(), "Grid Select 333x266  Left=333  Top=266");
        d.btnOK->click();
    });
    TQuadDlgResult r;
    ExecuteQuadDlg(3, 3, 1000, 800, r);
    EXPECT_EQ(r.Left, 333);
    EXPECT_EQ(r.Top, 266);
    EXPECT_EQ(r.Right, 665);
    EXPECT_EQ(r.Bottom, 531);
    EXPECT_EQ(r.Cols, 3);
    EXPECT_EQ(r.Rows, 3);
    EXPECT_EQ(r.Cancelled, 0);
}

TEST(QuadDlg, ChangedListsAndCancelStillFillTheRecord) {
    QueueModalAction([](QDialog& dialog) {
        auto& d = static_cast<TQuadDlg&>(dialog);
        d.BoxCols->setCurrentIndex(3);  // 4 columns
        d.BoxRows->setCurrentIndex(1);  // 2 rows
        d.SelectGrid->setCurrentCell(1, 3);
        // A picture below 64 pixels uses the whole 320 x 240 box.
        EXPECT_EQ(d.SelectGrid->width(), 4 * (80 + 4));
        EXPECT_EQ(d.SelectGrid->height(), 2 * (120 + 4));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    TQuadDlgResult r;
    ExecuteQuadDlg(2, 2, 50, 400, r);
    EXPECT_EQ(r.Cancelled, 1);
    EXPECT_EQ(r.Cols, 4);
    EXPECT_EQ(r.Rows, 2);
    EXPECT_EQ(r.Left, 3 * 12);
    EXPECT_EQ(r.Top, 200);
    EXPECT_EQ(r.Right, 3 * 12 + 11);
    EXPECT_EQ(r.Bottom, 399);
}

TEST(QuadDlg, PulledBackOntoTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.width() - 1, screen.height() - 1);
    QueueModalAction([&](QDialog& d) {
        EXPECT_EQ(d.x() + d.width(), screen.width());
        EXPECT_EQ(d.y() + d.height(), screen.height());
        d.reject();
    });
    TQuadDlgResult r;
    ExecuteQuadDlg(2, 2, 640, 480, r);
    EXPECT_EQ(r.Cancelled, 1);
}
