// The arithmetic of opening a picture and the header reader, without a window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "imaging/OpenPicture.h"
#include "app/lumv8900.h"
#include "app/app_test_tools.h"
#include "platform/Folders.h"
#include "imgman/imgman.h"

#include <string>
#include <sys/stat.h>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::CopyToHome;

namespace {

int ReadHeaderOf(const std::string& path) {
    FileName = path;
    PreviousFileName = "*";
    ImageWidth = ImageHeight = ImageBitCount = 0;
    return TWebForm::ReadImageHeader(true);
}

}  // namespace

TEST(OpenPicture, JpegDivisorForTheViewingArea) {
    struct Case {
        int w, h, areaW, areaH, threshold, divisor;
    } cases[] = {
        {4000, 3000, 1000, 700, 67, 4},  // 2000x1500 (214), 1000x750 (107), 500x375 (53, 50): stays 4
        {640, 480, 1000, 700, 67, 1},    // fits
        {1000, 700, 1000, 700, 67, 1},   // exactly fits
        {1400, 700, 1000, 700, 67, 2},   // wider only: 700 x 100 div 1000 = 70 > 67
        {1300, 700, 1000, 700, 67, 1},   // half (650) fills 65 per cent: kept whole
        {4000, 3000, 1000, 700, 20, 8},  // a lower threshold halves further
        {64000, 48000, 100, 70, 67, 32},
        {4000, 3000, 0, 0, 67, 1},       // no view yet
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " in " + std::to_string(c.areaW) + "x" +
                     std::to_string(c.areaH));
        EXPECT_EQ(ComputeJPEGScaleDivisor(c.w, c.h, c.areaW, c.areaH, c.threshold), c.divisor);
    }
    // Divisors 16 and 32 ask for the decoder's smallest scale, one eighth.
    EXPECT_EQ(JPEGScaleCode(1), 0);
    EXPECT_EQ(JPEGScaleCode(8), 3);
    EXPECT_EQ(JPEGScaleCode(16), 4);
    EXPECT_EQ(JPEGScaleCode(32), 4);
    EXPECT_EQ(AppliedJPEGDivisor(JPEGScaleCode(16)), 8);
    EXPECT_EQ(AppliedJPEGDivisor(JPEGScaleCode(4)), 4);
}

TEST(OpenPicture, LoadTimeProgressAndPages) {
    EXPECT_EQ(LoadTimeText(150), "Loaded 0.1s");
    EXPECT_EQ(LoadTimeText(1350), "Loaded 1.2s");
    EXPECT_EQ(LoadTimeText(200), "Loaded 0.2s");
    EXPECT_EQ(LoadTimeText(0), "Loaded 0.0s");
    EXPECT_EQ(ProgressBarWidth(Rect(10, 0, 110, 20), 35), 35);
    EXPECT_EQ(ProgressBarWidth(Rect(0, 0, 50, 20), 100), 50);
    // Next and previous wrap; first and last jump.
    EXPECT_EQ(PageStep(2, 3, 1), 0);
    EXPECT_EQ(PageStep(0, 3, 1), 1);
    EXPECT_EQ(PageStep(0, 3, -1), 2);
    EXPECT_EQ(PageStep(2, 3, -1), 1);
    EXPECT_EQ(PageStep(1, 3, 0), 0);
    EXPECT_EQ(PageStep(0, 3, 999), 2);
}

TEST(OpenPicture, FaxReductionCutsToMultiplesOfEight) {
    const TFaxReduction half = FaxReduction(67, 45, 1);
    EXPECT_EQ(half.Source.Right, 64);
    EXPECT_EQ(half.Source.Bottom, 40);
    EXPECT_EQ(half.Width, 32);
    EXPECT_EQ(half.Height, 20);
    const TFaxReduction third = FaxReduction(67, 45, 2);
    EXPECT_EQ(third.Width, 21);
    EXPECT_EQ(third.Height, 13);
    const TFaxReduction quarter = FaxReduction(67, 45, 3);
    EXPECT_EQ(quarter.Width, 16);
    EXPECT_EQ(quarter.Height, 10);
    EXPECT_EQ(GifHeaderBitCount(1), 1);
    EXPECT_EQ(GifHeaderBitCount(2), 4);
    EXPECT_EQ(GifHeaderBitCount(3), 4);
    EXPECT_EQ(GifHeaderBitCount(6), 8);
    EXPECT_EQ(HeaderBitCount(16), 24);
    EXPECT_EQ(HeaderBitCount(32), 24);
    EXPECT_EQ(HeaderBitCount(15), 15);
}

// Sizes from ImageMagick's identify; bit counts from the files' headers.
TEST(ReadImageHeader, PicturesOfEveryFormat) {
    ImgInit();
    struct Case {
        const char* fixture;
        const char* name;
        int width, height, bits;
        bool library;
        int pages;
    } cases[] = {
        {"jpeg/baseline_444.jpg", "a.jpg", 70, 46, 24, false, 1},
        {"jpeg/grey.jpg", "g.JPEG", 70, 46, 8, false, 1},
        {"png/rgb8.png", "a.png", 13, 7, 24, false, 1},
        {"png/rgb16.png", "b.png", 13, 7, 24, false, 1},
        {"png/pal4.png", "c.png", 13, 7, 4, false, 1},
        {"bmp/pal8.bmp", "a.bmp", 7, 3, 8, false, 1},
        {"bmp/rgb24.bmp", "b.bmp", 7, 3, 24, false, 1},
        {"bmp/rgb32.bmp", "c.dib", 7, 3, 24, false, 1},
        {"bmp/bw1.bmp", "d.bmp", 7, 3, 1, false, 1},           // 1 bit: measured by the codec
        {"bitmaps/topdown24.bmp", "e.bmp", 13, 7, 24, false, 1},  // negative height: the codec
        {"bitmaps/tga24.tga", "a.tga", 13, 7, 24, false, 1},
        {"bitmaps/tga8cmap.tga", "b.tga", 13, 7, 8, false, 1},
        {"bitmaps/pcx8.pcx", "a.pcx", 13, 7, 8, false, 1},
        {"bitmaps/pcx24.pcx", "b.pcx", 13, 7, 24, false, 1},
        {"gif/rose.gif", "a.gif", 70, 46, 8, false, 1},
        {"dialogs/two_colour.gif", "b.gif", 8, 6, 1, false, 1},
        {"dialogs/eight_colour.gif", "c.gif", 16, 8, 4, false, 1},  // 3 bits
        {"psd/rgb_raw.psd", "a.psd", 23, 17, 24, false, 1},
        {"tiff/rgb_none.tif", "a.tif", 13, 7, 24, false, 1},
        {"tiff/pal8.tif", "b.tif", 13, 7, 8, false, 1},
        {"tiff/rgb_deflate32946.tif", "c.tif", 13, 7, 24, false, 1},
        {"tiff/rgb_lzw.tif", "d.tif", 13, 7, 24, true, 1},        // our codec refuses LZW pixels
        {"tiff/bw_g4.tif", "e.tif", 13, 7, 1, true, 1},
        {"imgman/g4_3pages.tif", "f.tif", 67, 45, 1, true, 3},
        {"imgman/three.dcx", "a.dcx", 31, 23, 8, false, 3},
        {"pcd/img0001.pcd", "img0001.pcd", 768, 512, 24, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = CopyToHome(c.fixture, c.name);
        PageCount = 0;
        ASSERT_EQ(ReadHeaderOf(path), 1);
        EXPECT_EQ(ImageWidth, c.width);
        EXPECT_EQ(ImageHeight, c.height);
        EXPECT_EQ(ImageBitCount, c.bits);
        EXPECT_EQ(ImgLibDecode, c.library);
        EXPECT_EQ(PageCount, c.pages);
        EXPECT_EQ(FileName, path);
    }
    EXPECT_EQ(ImgHandle, 0);
}

TEST(ReadImageHeader, ResultsByExtensionAndContent) {
    const std::string text = ProgramFolder() + "notes.TXT";
    QFile file(QString::fromStdString(text));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("hello");
    file.close();
    EXPECT_EQ(ReadHeaderOf(text), -10);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "x.rtf"), -10);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "x.wmf"), -11);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "x.EMF"), -11);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "x.mp3"), 2);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "x.qt"), 2);
    EXPECT_EQ(ReadHeaderOf(ProgramFolder() + "missing.png"), -1);

    // An unknown extension goes back to the picture shown before.
    FileName = ProgramFolder() + "x.xyz";
    PreviousFileName = "/pictures/before.png";
    EXPECT_EQ(TWebForm::ReadImageHeader(true), -1);
    EXPECT_EQ(FileName, "/pictures/before.png");

    // A Photo CD file is looked at only when its path says "img".
    const std::string pcd = CopyToHome("pcd/img0001.pcd", "photo.pcd");
    EXPECT_EQ(ReadHeaderOf(pcd), -1);
    EXPECT_EQ(ImageWidth, 0);
    const std::string pcdUpper = CopyToHome("pcd/img0001.pcd", "IMG_ROLL/photo.pcd");
    EXPECT_EQ(ReadHeaderOf(pcdUpper), 1);

    // Content that is not of the format: -1.
    for (const char* name : {"bad.jpg", "bad.png", "bad.gif", "bad.psd", "bad.tga", "bad.pcx", "bad.dcx", "bad.tif",
                             "img_bad.pcd"}) {
        SCOPED_TRACE(name);
        const std::string path = ProgramFolder() + name;
        QFile bad(QString::fromStdString(path));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("this is not a picture at all, only some text");
        bad.close();
        EXPECT_EQ(ReadHeaderOf(path), -1);
    }
}

namespace {

// A BMP file: the 14-byte file header, then info (its first four bytes are
// the information header's size), then pixels.
std::string WriteBmp(const std::string& name, const std::vector<uint8_t>& info, size_t pixelBytes) {
    std::vector<uint8_t> bytes = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(14 + info.size()), 0, 0, 0};
    bytes.insert(bytes.end(), info.begin(), info.end());
    bytes.resize(bytes.size() + pixelBytes, 0x5A);
    const std::string path = ProgramFolder() + name;
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

void Put(std::vector<uint8_t>& b, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        b[at + size_t(i)] = uint8_t(value >> (8 * i));
}

}  // namespace

// Hostile header fields are read in 64 bits and refused before use; the
// sanitizer build reports no overflow.
TEST(ReadImageHeader, HostileBitmapHeaders) {
    // The most negative height has no positive twin.
    std::vector<uint8_t> windows(40, 0);
    Put(windows, 0, 40, 4);
    Put(windows, 4, 16, 4);
    Put(windows, 8, 0x80000000u, 4);
    Put(windows, 12, 1, 2);
    Put(windows, 14, 24, 2);
    EXPECT_EQ(ReadHeaderOf(WriteBmp("negative.bmp", windows, 64)), -1);

    // An OS/2 1.x core header: 16-bit width and height, planes and bits, then
    // a palette that the Windows layout would read as huge planes and bits.
    std::vector<uint8_t> core(12 + 16 * 3, 0xFF);
    Put(core, 0, 12, 4);
    Put(core, 4, 5, 2);
    Put(core, 6, 3, 2);
    Put(core, 8, 1, 2);
    Put(core, 10, 4, 2);
    const int result = ReadHeaderOf(WriteBmp("os2.bmp", core, 12));
    if (result > 0) {
        EXPECT_EQ(ImageWidth, 5);
        EXPECT_EQ(ImageHeight, 3);
    } else {
        EXPECT_EQ(result, -1);
    }

    // Garbage planes and bits in a Windows header.
    std::vector<uint8_t> garbage(40, 0xFF);
    Put(garbage, 0, 40, 4);
    Put(garbage, 4, 16, 4);
    Put(garbage, 8, 16, 4);
    EXPECT_EQ(ReadHeaderOf(WriteBmp("garbage.bmp", garbage, 64)), -1);
}

TEST(ReadImageHeader, SpecialFilesAreNeverRead) {
    const std::string fifo = ProgramFolder() + "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string device = ProgramFolder() + "zero.bmp";
    QFile::link("/dev/zero", QString::fromStdString(device));
    for (const std::string& path : {fifo, device, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ReadHeaderOf(path), -1);
    }
}
