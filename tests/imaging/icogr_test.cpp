// Icon pictures: icons made by icotool read as 24-bit pictures, and what we
// write checked by icotool itself.
#include "imaging/vo_icogr.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

QRgb PixelOf(TDibGraphic& picture, int x, int y) {
    const uint8_t* p = picture.ScanLine(y) + 3 * x;
    return qRgb(p[2], p[1], p[0]);
}

void ExpectPicture(TDibGraphic& picture, const QImage& expected) {
    ASSERT_EQ(picture.Width(), expected.width());
    ASSERT_EQ(picture.Height(), expected.height());
    int mismatches = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (PixelOf(picture, x, y) != (expected.pixel(x, y) | 0xFF000000u) && mismatches++ < 5)
                ADD_FAILURE() << "at " << x << "," << y << std::hex << ": " << PixelOf(picture, x, y)
                              << " vs " << expected.pixel(x, y);
    EXPECT_EQ(mismatches, 0);
}

TEST(IconGraphic, ReadsTheEntryOfTheSystemSizeWithBlackForTransparent) {
    const QImage expected(QString::fromStdString(Fixture("ico/s32.expected.png")));
    ASSERT_FALSE(expected.isNull());
    // Entries of 16, 32 (24-bit with a transparent border) and 48 pixels; and
    // the same 32-pixel picture stored as PNG.
    for (const char* file : {"ico/multi.ico", "ico/png32.ico"}) {
        SCOPED_TRACE(file);
        TIconGraphic icon;
        icon.LoadFromFile(Fixture(file));
        EXPECT_EQ(icon.ImageFormat(), 5);
        ExpectPicture(icon, expected);
        EXPECT_EQ(PixelOf(icon, 0, 0), qRgb(0, 0, 0));
    }
    TIconGraphic only48;
    only48.LoadFromFile(Fixture("ico/only48.ico"));
    EXPECT_EQ(only48.Width(), 48);
    EXPECT_EQ(PixelOf(only48, 47, 47), qRgb(0, 255, 0));
}

TEST(IconGraphic, NotAnIconRaises) {
    TIconGraphic icon;
    EXPECT_THROW(icon.LoadFromFile(Fixture("gif/rose.gif")), EInvalidGraphic);
    TMemoryStream stream;
    const uint8_t bogus[] = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 24, 0, 0xFF, 0xFF, 0, 0, 22, 0, 0, 0};
    stream.WriteBuffer(bogus, sizeof bogus);
    stream.SetPosition(0);
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);
}

// Writes a width x height picture whose pixel (x, y) is (x, y, 200) as an icon
// and returns the icon's listing and its single image as icotool extracts it.
std::pair<QString, QImage> WriteAndExtract(int width, int height) {
    TIconGraphic picture;
    picture.NewImage(width, height, 5, nullptr, 0, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = 200;
            row[3 * x + 1] = static_cast<uint8_t>(y);
            row[3 * x + 2] = static_cast<uint8_t>(x);
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("written.ico");
    picture.SaveToFile(path.toStdString());
    QProcess list;
    list.start("icotool", {"-l", path});
    list.waitForFinished();
    QProcess extract;
    extract.start("icotool", {"-x", "-o", dir.path(), path});
    extract.waitForFinished();
    const QStringList pngs = QDir(dir.path()).entryList({"*.png"});
    QImage image;
    if (pngs.size() == 1)
        image = QImage(dir.filePath(pngs[0])).convertToFormat(QImage::Format_ARGB32);
    return {QString::fromUtf8(list.readAllStandardOutput()).trimmed(), image};
}

TEST(IconGraphic, WritesOneOpaqueImageOfTheSystemSizeCutNotScaled) {
    auto [listing, image] = WriteAndExtract(100, 80);
    EXPECT_EQ(listing, "--icon --index=1 --width=32 --height=32 --bit-depth=24 --palette-size=0");
    ASSERT_EQ(image.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgba(x, y, 200, 255)) << x << "," << y;
}

TEST(IconGraphic, ASmallPictureLeavesTheRestBlack) {
    auto [listing, image] = WriteAndExtract(16, 16);
    EXPECT_EQ(listing, "--icon --index=1 --width=32 --height=32 --bit-depth=24 --palette-size=0");
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(15, 15), qRgba(15, 15, 200, 255));
    EXPECT_EQ(image.pixel(16, 3), qRgba(0, 0, 0, 255));
    EXPECT_EQ(image.pixel(31, 31), qRgba(0, 0, 0, 255));
}

TEST(IconGraphic, APictureAssignedToAnIconBecomesItsSystemSizeCut) {
    TDibGraphic picture;
    picture.NewImage(40, 36, ifTrueColor, nullptr, 0, 0);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 40; ++x) {
            uint8_t* p = picture.ScanLine(y) + 3 * x;
            p[0] = 10; p[1] = static_cast<uint8_t>(5 * y); p[2] = static_cast<uint8_t>(6 * x);
        }
    TIcon icon;
    picture.AssignTo(&icon);
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    TDibGraphic back;
    back.Assign(&icon);
    ASSERT_EQ(back.Width(), 32);
    EXPECT_EQ(PixelOf(back, 31, 20), qRgb(6 * 31, 5 * 20, 10));
}

}  // namespace
