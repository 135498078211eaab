// Checks the test harness itself: every test runs in its own data folder, and
// widgets can be created, shown and grabbed without a display.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

namespace {
QString previousHome;
}

TEST(Harness, EachTestGetsAFreshEmptyDataFolder) {
    const char* home = std::getenv("LUMVOR_HOME");
    ASSERT_NE(home, nullptr);
    QDir dir(QString::fromLocal8Bit(home));
    ASSERT_TRUE(dir.exists());
    EXPECT_TRUE(dir.isEmpty());
    EXPECT_NE(dir.absolutePath(), previousHome);
    previousHome = dir.absolutePath();
}

TEST(Harness, WidgetPaintsOffscreen) {
    QWidget widget;
    widget.resize(40, 30);
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, QColor(200, 10, 30));
    widget.setPalette(palette);
    widget.show();
    QImage shot = widget.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(40, 30));
    EXPECT_EQ(shot.pixelColor(20, 15), QColor(200, 10, 30));
}
