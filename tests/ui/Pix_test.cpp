// The picture display control: where it paints and what, and the fitting of sizes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "platform/Graphics.h"
#include "ui/Pix.h"

using namespace lumvor;

namespace {

// A 24-bit bitmap whose pixel (x, y) is red x, green y, blue 77.
std::unique_ptr<TBitmap> Gradient(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b->ScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = 77;
            row[3 * x + 1] = uint8_t(y);
            row[3 * x + 2] = uint8_t(x);
        }
    }
    return b;
}

QImage Grab(TPix& pix) { return pix.grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool IsPicture(QRgb c) { return qBlue(c) == 77; }

// The bounding box of the pixels that come from the picture.
QRect PictureArea(const QImage& shot) {
    QRect area;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (IsPicture(shot.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

}  // namespace

TEST(Pix, StartsAt105PixelsWithAnEmptyBitmap) {
    TPix pix;
    EXPECT_EQ(pix.size(), QSize(105, 105));
    ASSERT_NE(pix.Bitmap(), nullptr);
    EXPECT_TRUE(pix.Bitmap()->Empty());
    EXPECT_FALSE(pix.FastPaint);
    EXPECT_FALSE(pix.PaintLock());
    EXPECT_TRUE(pix.BackgroundPalette);
}

TEST(Pix, NormalPathPlacesTheBitmap) {
    struct Case {
        bool stretch, center;
        int bw, bh;
        QRect expected;
    } cases[] = {
        {false, false, 40, 30, QRect(0, 0, 40, 30)},
        {false, true, 40, 30, QRect(30, 35, 40, 30)},
        {true, true, 40, 30, QRect(0, 0, 100, 100)},  // Stretch wins over Center
        {true, false, 40, 30, QRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stretch << c.center);
        TPix pix;
        pix.resize(100, 100);
        pix.SetBitmap(Gradient(c.bw, c.bh).get());
        pix.Stretch = c.stretch;
        pix.Center = c.center;
        EXPECT_EQ(PictureArea(Grab(pix)), c.expected);
    }
    // A larger bitmap centred starts above and left of the control.
    EXPECT_EQ(PixDestRect(150, 121, 100, 100, false, true), QRect(-25, -10, 150, 121));
    TPix pix;
    pix.resize(100, 100);
    pix.SetBitmap(Gradient(150, 121).get());
    pix.Center = true;
    const QImage shot = Grab(pix);
    EXPECT_EQ(qRed(shot.pixel(0, 0)), 25);
    EXPECT_EQ(qGreen(shot.pixel(0, 0)), 10);
}

TEST(Pix, NothingIsPaintedWhileLocked) {
    TPix pix;
    pix.resize(50, 50);
    pix.SetBitmap(Gradient(50, 50).get());
    pix.SetPaintLock(true);
    EXPECT_TRUE(PictureArea(Grab(pix)).isEmpty());
    pix.SetPaintLock(false);
    EXPECT_EQ(PictureArea(Grab(pix)), QRect(0, 0, 50, 50));
}

TEST(Pix, FastPathReducesRowByRow) {
    TPix pix;
    pix.resize(50, 100);
    pix.SetBitmap(Gradient(100, 230).get());
    pix.FastPaint = true;
    const QImage shot = Grab(pix);
    // Control pixel (x, y) shows picture pixel (MulDiv(x, 100, 50), MulDiv(y, 230, 100)).
    for (int y = 0; y < 100; y += 3)
        for (int x = 0; x < 50; x += 7) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const QRgb c = shot.pixel(x, y);
            ASSERT_TRUE(IsPicture(c));
            EXPECT_EQ(qGreen(c), (y * 230 * 2 + 100) / 200);
            EXPECT_NEAR(qRed(c), 2 * x, 1);
        }
}

TEST(Pix, FastPathEnlargementWidensTheAreaByItsRemainder) {
    // bh = 10, ch = 30: the factor is 3; a 10-pixel area has remainder 1.
    struct Case {
        QRect clip;
        QRect dest;
    } cases[] = {
        {QRect(0, 0, 10, 30), QRect(0, 0, 11, 30)},
        {QRect(90, 0, 10, 30), QRect(89, 0, 11, 30)},
        {QRect(0, 0, 10, 10), QRect(0, 0, 11, 11)},
        {QRect(0, 20, 9, 10), QRect(0, 19, 9, 11)},
    };
    for (const Case& c : cases) {
        const auto blits = FastPaintBlits(20, 10, 100, 30, c.clip, false);
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].Dest, c.dest) << c.clip.x() << "," << c.clip.y();
        EXPECT_EQ(blits[0].Source.left(), MulDiv(c.dest.left(), 20, 100));
    }
    // Equal heights copy the area as it is; a 1-bit reduction is one copy.
    EXPECT_EQ(FastPaintBlits(20, 30, 100, 30, QRect(5, 5, 7, 7), false)[0].Dest, QRect(5, 5, 7, 7));
    EXPECT_EQ(FastPaintBlits(20, 60, 100, 30, QRect(0, 0, 100, 30), true).size(), 1u);
    EXPECT_EQ(FastPaintBlits(20, 60, 100, 30, QRect(0, 0, 100, 30), false).size(), 30u);
    EXPECT_TRUE(FastPaintBlits(20, 0, 100, 30, QRect(0, 0, 100, 30), false).empty());

    // Painted: the enlarged picture fills the control.
    TPix pix;
    pix.resize(100, 30);
    pix.SetBitmap(Gradient(20, 10).get());
    pix.FastPaint = true;
    const QImage shot = Grab(pix);
    EXPECT_EQ(PictureArea(shot), QRect(0, 0, 100, 30));
    EXPECT_EQ(qGreen(shot.pixel(50, 29)), 9);
    EXPECT_EQ(qRed(shot.pixel(99, 0)), 19);
}

TEST(Pix, FitSizeInBox) {
    struct Case {
        int w, h, bw, bh, cx, cy;
    } cases[] = {
        {400, 300, 200, 200, 200, 150},
        {100, 50, 400, 400, 400, 200},
        {300, 400, 200, 200, 150, 200},
        {100, 100, 50, 80, 50, 50},
        {1000, 10, 50, 50, 50, 1},
        {0, 10, 50, 50, 0, 0},
        {10, 10, 0, 50, 0, 0},
    };
    for (const Case& c : cases) {
        TSize size;
        FitSizeInBox(c.w, c.h, c.bw, c.bh, size);
        EXPECT_EQ(size.cx, c.cx) << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
        EXPECT_EQ(size.cy, c.cy) << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
    }
}
