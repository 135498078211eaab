// The names the batch renames give and the border search of Trim, without a window.
#include "processing/files/BatchFiles.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ctime>

using namespace lumvor;
using namespace lumvor::batchfiles;
using lumvor::test::LocalTime;

namespace {

void Touch(const std::string& path) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

}  // namespace

TEST(BatchFileNames, DateStampIsTwoDigitYearMonthDayUnderscoreTimeInLocalTime) {
    EXPECT_EQ(DateStamp(LocalTime(2004, 7, 9, 13, 5, 2)), "040709_130502");
    EXPECT_EQ(DateStamp(LocalTime(1999, 12, 31, 23, 59, 59)), "991231_235959");
}

TEST(BatchFileNames, SequenceNumbersArePaddedToTheWidthOfTheCount) {
    struct Case {
        int index, count;
        const char* number;
    };
    for (const Case& c : {Case{1, 9, "1"}, Case{9, 9, "9"}, Case{1, 12, "01"}, Case{12, 12, "12"}, Case{1, 99, "01"},
                          Case{7, 150, "007"}, Case{150, 150, "150"}, Case{1, 9999, "0001"}, Case{1, 10000, "00001"},
                          Case{99999, 99999, "99999"}})
        EXPECT_EQ(SequenceNumber(c.index, c.count), c.number) << c.index << " of " << c.count;
}

TEST(BatchFileNames, RenameTargetsOfEachMode) {
    const std::string file = "/p/Holiday.JPG";
    EXPECT_EQ(RenameTarget(TRenameMode::Sequence, file, "pic", 3, 12), "/p/pic03.JPG");
    EXPECT_EQ(RenameTarget(TRenameMode::NumericPrefix, file, "", 3, 12), "/p/03~Holiday.JPG");
    EXPECT_EQ(RenameTarget(TRenameMode::ChangeExtension, file, ".png", 3, 12), "/p/Holiday.png");
    EXPECT_EQ(RenameTarget(TRenameMode::AddExtension, "/p/scan", ".jpg", 1, 2), "/p/scan.jpg");
    EXPECT_EQ(DottedExtension("jpg"), ".jpg");
    EXPECT_EQ(DottedExtension(".tif"), ".tif");
    EXPECT_EQ(DottedExtension(""), "");
}

TEST(BatchFileNames, DateNameTakesTheLongFormWhenTheShortNameIsTaken) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    Touch(root + "img.jpg");
    Touch(root + "img2.jpg");
    EXPECT_EQ(DateNameTarget(root + "img.jpg", "040709_130502", false, ""), root + "040709_130502.jpg");
    EXPECT_EQ(DateNameTarget(root + "img.jpg", "040709_130502", true, ""), root + "040709_130502~img.jpg");
    EXPECT_EQ(DateNameTarget(root + "img", "040709_130502", false, ".jpg"), root + "040709_130502.jpg");
    Touch(root + "040709_130502.jpg");
    EXPECT_EQ(DateNameTarget(root + "img2.jpg", "040709_130502", false, ""), root + "040709_130502~img2.jpg");
}

TEST(BatchFileNames, ActualPathFindsTheFileTheExplorerNamedInLowerCase) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/";
    QDir().mkpath(QString::fromStdString(root + "Camera"));
    Touch(root + "Camera/IMG_001.JPG");
    EXPECT_EQ(ActualPath(root + "camera/img_001.jpg"), root + "Camera/IMG_001.JPG");
    EXPECT_EQ(ActualPath(root + "Camera/IMG_001.JPG"), root + "Camera/IMG_001.JPG");
    EXPECT_EQ(ActualPath(root + "camera/img_404.jpg"), "");
    // Two files that differ only in case: the lower-cased name cannot tell which.
    Touch(root + "Camera/Img_002.jpg");
    Touch(root + "Camera/IMG_002.JPG");
    EXPECT_EQ(ActualPath(root + "camera/img_002.jpg"), "");
}

// ---- Trim

namespace {

// A 24-bit picture of Width x Height in Background with an inner block.
TPixelBuffer Framed(int width, int height, const TRect& inner, uint32_t background) {
    TPixelBuffer pixels(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool in = x >= inner.Left && x < inner.Right && y >= inner.Top && y < inner.Bottom;
            pixels.SetColor(x, y, in && (x + y) % 2 == 0 ? 0x102030 : background);
        }
    return pixels;
}

::testing::AssertionResult IsRect(const TRect& r, int left, int top, int right, int bottom) {
    if (r.Left == left && r.Top == top && r.Right == right && r.Bottom == bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom
                                         << ")";
}

}  // namespace

TEST(TrimBlock, TakesTheReferenceColourOffAllFourEdges) {
    const TPixelBuffer pixels = Framed(40, 30, Rect(10, 10, 30, 20), 0xFFFFFF);
    EXPECT_TRUE(IsRect(TrimBlock(pixels, Rect(0, 0, 40, 30)), 10, 10, 30, 20));
}

TEST(TrimBlock, WorksInsideTheSelectionOnly) {
    const TPixelBuffer pixels = Framed(40, 30, Rect(10, 10, 30, 20), 0xFFFFFF);
    // A selection inside the frame that reaches the block on the right only.
    EXPECT_TRUE(IsRect(TrimBlock(pixels, Rect(2, 3, 25, 28)), 10, 10, 25, 20));
}

TEST(TrimBlock, AUniformSelectionKeepsOnePixel) {
    const TPixelBuffer pixels = Framed(8, 6, Rect(0, 0, 0, 0), 0x00FF00);
    const TRect kept = TrimBlock(pixels, Rect(0, 0, 8, 6));
    EXPECT_EQ(kept.Width(), 1);
    EXPECT_EQ(kept.Height(), 1);
}

TEST(TrimBlock, AReferenceColourFoundOnlyAtOneEdgeTrimsThatEdge) {
    // Frame only on top and left: bottom and right rows hold other colours.
    TPixelBuffer pixels(10, 10, 24);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            pixels.SetColor(x, y, x < 3 || y < 2 ? 0xFFFFFF : 0x000080);
    EXPECT_TRUE(IsRect(TrimBlock(pixels, Rect(0, 0, 10, 10)), 3, 2, 10, 10));
}
