// The thumbnail makers: fitted cells for every picture format, compared with
// PIL's decoding through numpy (tests/fixtures/thumbs/make_expected.py), with
// ImageMagick's -sample, and with what identify reports.
//
// Stretched cells follow the centre sampling rule of ThumbScale.h: destination
// pixel (x, y) of a w x h rectangle takes source pixel
// (((2x + 1) * sw) div (2w), ((2y + 1) * sh) div (2h)).
#include "explorer/ThumbMakers.h"

#include "explorer/ThumbScale.h"
#include "explorer/xplr8900.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/ShellIcons.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "ui/Pix.h"
#include "../imaging/codec_test_tools.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using test::CommandOutput;
using test::ReadFileText;
using test::ReadPpm;
using test::RgbRaster;
using test::SamePixels;

const std::string Fixtures = LUMVOR_FIXTURES;

std::string Fixture(const std::string& name) { return Fixtures + "/" + name; }

// The bytes of a file, unpacked when it is gzip-compressed.
std::string ReadMaybeGzipped(const std::string& path) {
    gzFile in = gzopen(path.c_str(), "rb");
    if (!in) return {};
    std::string bytes;
    char buffer[65536];
    for (int got; (got = gzread(in, buffer, sizeof buffer)) > 0;) bytes.append(buffer, size_t(got));
    gzclose(in);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

class ThumbMakers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A fixture copied (and unpacked) into the temporary folder under `name`.
    std::string Place(const std::string& fixture, const std::string& name) {
        const std::string path = Temp(name);
        WriteBytes(path, ReadMaybeGzipped(Fixture(fixture)));
        return path;
    }
    std::string Temp(const std::string& name) const { return dir.path().toStdString() + "/" + name; }

    RgbRaster Expected(const std::string& fixture) {
        const std::string path = Temp("expected.ppm");
        WriteBytes(path, ReadMaybeGzipped(Fixture(fixture)));
        return ReadPpm(path);
    }

    // Header read and maker for the file; the header's result.
    int Make(const std::string& path, bool& drawn) {
        maker.ItemFile = path;
        const int header = ReadPictureHeader(maker);
        drawn = header == 1 && MakePictureThumbnail(maker, cell);
        return header;
    }

    static uint32_t Pixel(const TBitmap& bitmap, int x, int y) {
        const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    // Every pixel of the cell outside `inside` is white.
    ::testing::AssertionResult WhiteOutside(const TRect& inside) const {
        for (int y = 0; y < ThumbCellHeight; ++y)
            for (int x = 0; x < ThumbCellWidth; ++x) {
                const bool in = x >= inside.Left && x < inside.Right && y >= inside.Top && y < inside.Bottom;
                if (!in && Pixel(cell, x, y) != 0xFFFFFF)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is not white";
            }
        return ::testing::AssertionSuccess();
    }
    // The smallest rectangle holding every non-white pixel.
    TRect NonWhiteBounds() const {
        TRect r{ThumbCellWidth, ThumbCellHeight, 0, 0};
        for (int y = 0; y < ThumbCellHeight; ++y)
            for (int x = 0; x < ThumbCellWidth; ++x)
                if (Pixel(cell, x, y) != 0xFFFFFF)
                    r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
        return r;
    }
    ::testing::AssertionResult CellMatches(const RgbRaster& expected, const TRect& place, int tolerance = 0) {
        return SamePixels(
            expected, place.Width(), place.Height(),
            [&](int x, int y) { return Pixel(cell, place.Left + x, place.Top + y); }, tolerance);
    }

    QTemporaryDir dir;
    TThumbMaker maker;
    TBitmap cell;
};

// ---- One table over the formats

struct CellCase {
    const char* name;
    const char* fixture;   // under tests/fixtures, maybe gzip-compressed
    const char* fileName;  // the name it gets in the temporary folder
    TRect place;           // the fitted rectangle in the cell
    int bits;              // what the header read reports
    const char* expected;  // the fitted rectangle's pixels; null: placement only
    int tolerance;
};

const CellCase CellCases[] = {
    // Enlarged: height >= width, so the height becomes 124 and the width 10 x 124 / 10.
    {"Png10x10", "thumbs/png10.png", "a.png", {22, 1, 146, 125}, 24, "thumbs/png10.cell.ppm.gz", 0},
    // Half-transparent red composed on white (see PngAlphaIsComposedOnWhite).
    {"PngAlpha", "thumbs/alpha.png", "a.png", {6, 1, 161, 125}, 24, nullptr, 0},
    // Shrunk in place by the index formula.
    {"Bmp8Bit800x600", "thumbs/pal8_800x600.bmp.gz", "a.bmp", {1, 1, 166, 125}, 8, "thumbs/pal8_800x600.cell.ppm.gz", 0},
    // 9,000,000 bytes: a plain bitmap shrunk in place.
    {"Bmp24Bit2000x1500", "thumbs/rgb24_2000x1500.bmp.gz", "a.dib", {1, 1, 166, 125}, 24,
     "thumbs/rgb24_2000x1500.cell.ppm.gz", 0},
    // 4 bits: stretched by centre sampling, not shrunk.
    {"Bmp4Bit400x300", "thumbs/pal4_400x300.bmp.gz", "a.bmp", {1, 1, 166, 125}, 4, "thumbs/pal4_400x300.cell.ppm.gz", 0},
    {"TiffDeflate", "thumbs/deflate.tif", "a.tif", {1, 7, 167, 118}, 24, "thumbs/deflate.cell.ppm.gz", 0},
    // LZW pages, which the codec refuses, go through the imaging library.
    {"TiffLzw", "thumbs/lzw.tif", "a.tif", {1, 7, 167, 118}, 24, "thumbs/lzw.cell.ppm.gz", 0},
    // Bilevel Group 4 pages go through the imaging library.
    {"TiffGroup4", "imgman/g4_3pages.tif", "a.tif", {1, 7, 167, 118}, 1, nullptr, 0},
    // 3 bits per pixel count as 4; 24 x 18 gives 165 x 124.
    {"Gif3Bit", "thumbs/gif3.gif", "a.gif", {1, 1, 166, 125}, 4, nullptr, 0},
    // The first page (31 x 23) of three: the others would fit as 166 x 116 and 166 x 79.
    {"Dcx3Pages", "imgman/three.dcx", "a.dcx", {1, 1, 167, 124}, 8, nullptr, 0},
    // Resolution 1 (192 x 128), reduced to 184 x 120 before the fitted copy.
    {"PhotoCD", "pcd/img0001.pcd", "img0001.pcd", {1, 9, 167, 117}, 24, nullptr, 0},
};

void PrintTo(const CellCase& c, std::ostream* os) { *os << c.name; }

class ThumbCells : public ThumbMakers, public ::testing::WithParamInterface<CellCase> {};

TEST_P(ThumbCells, PictureIsFittedAndCentredOnWhite) {
    const CellCase& c = GetParam();
    bool drawn = false;
    ASSERT_EQ(Make(Place(c.fixture, c.fileName), drawn), 1);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(maker.ThumbSrcBits, c.bits);
    ASSERT_EQ(cell.GetWidth(), ThumbCellWidth);
    ASSERT_EQ(cell.GetHeight(), ThumbCellHeight);
    ASSERT_EQ(cell.PixelFormat(), pf24bit);
    EXPECT_TRUE(WhiteOutside(c.place));
    if (c.expected) {
        EXPECT_TRUE(CellMatches(Expected(c.expected), c.place, c.tolerance));
    } else {
        // Placement only: the picture reaches every side of its rectangle.
        const TRect bounds = NonWhiteBounds();
        EXPECT_LE(bounds.Left - c.place.Left, 2);
        EXPECT_LE(c.place.Right - bounds.Right, 2);
        EXPECT_LE(bounds.Top - c.place.Top, 2);
        EXPECT_LE(c.place.Bottom - bounds.Bottom, 2);
    }
    // Nothing stays loaded in the shared objects.
    EXPECT_TRUE(maker.PictureBitmap.GetEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, ThumbCells, ::testing::ValuesIn(CellCases),
                         test::CaseNames<&CellCase::name>);

TEST_F(ThumbMakers, RoadsTakenByFormat) {
    bool drawn = false;
    ASSERT_EQ(Make(Place("thumbs/rgb24_2000x1500.bmp.gz", "big.bmp"), drawn), 1);
    EXPECT_TRUE(maker.BigBitmap);
    ASSERT_EQ(Make(Place("thumbs/pal8_800x600.bmp.gz", "small.bmp"), drawn), 1);
    EXPECT_FALSE(maker.BigBitmap);
    ASSERT_EQ(Make(Place("imgman/g4_3pages.tif", "g4.tif"), drawn), 1);
    EXPECT_TRUE(maker.UseImgLib);
    EXPECT_EQ(maker.PageCount, 3);
    ASSERT_EQ(Make(Place("thumbs/deflate.tif", "d.tif"), drawn), 1);
    EXPECT_FALSE(maker.UseImgLib);
    ASSERT_EQ(Make(Place("imgman/three.dcx", "three.dcx"), drawn), 1);
    EXPECT_EQ(maker.PageCount, 3);
}

// ImageMagick's -sample picks the same centres, except where a centre falls
// exactly on the border of two source pixels: its floating point then lands on
// the left one now and then.
TEST_F(ThumbMakers, FourBitStretchAgreesWithImageMagickSample) {
    bool drawn = false;
    ASSERT_EQ(Make(Place("thumbs/pal4_400x300.bmp.gz", "a.bmp"), drawn), 1);
    ASSERT_TRUE(drawn);
    const RgbRaster im = Expected("thumbs/pal4_400x300.sample.ppm.gz");
    ASSERT_EQ(im.Width, 165);
    ASSERT_EQ(im.Height, 124);
    auto onBorder = [](int d, int source, int dest) { return (2 * d + 1) * source % (2 * dest) == 0; };
    int differing = 0;
    for (int y = 0; y < 124; ++y)
        for (int x = 0; x < 165; ++x) {
            if (Pixel(cell, 1 + x, 1 + y) == im.At(x, y)) continue;
            ++differing;
            EXPECT_TRUE(onBorder(x, 400, 165) || onBorder(y, 300, 124)) << "(" << x << ", " << y << ")";
        }
    EXPECT_LT(differing, 124 * 6);
}

// The PNG codec composes transparency on the background colour in its own gamma
// (vo_PNG); the makers give it white: the half-transparent red is a light red
// between red and white, the opaque blue stays blue.
TEST_F(ThumbMakers, PngAlphaIsComposedOnWhite) {
    bool drawn = false;
    ASSERT_EQ(Make(Place("thumbs/alpha.png", "a.png"), drawn), 1);
    ASSERT_TRUE(drawn);
    const uint32_t light = Pixel(cell, 40, 60), blue = Pixel(cell, 130, 60);
    EXPECT_EQ(light >> 16, 0xFFu);
    EXPECT_EQ((light >> 8) & 0xFF, light & 0xFF);
    EXPECT_GT(light & 0xFF, 0x60u);
    EXPECT_LT(light & 0xFF, 0xFFu);
    EXPECT_EQ(blue, 0x0000FFu);
}

TEST_F(ThumbMakers, PhotoCDNeedsImgInItsName) {
    bool drawn = false;
    EXPECT_EQ(Make(Place("pcd/img0001.pcd", "IMG0001.PCD"), drawn), 1);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(Make(Place("pcd/img0001.pcd", "photo.pcd"), drawn), -1);
    TPictureHeaderInfo info;
    EXPECT_EQ(ReadPictureInfo(Temp("photo.pcd"), info), -1);
}

TEST_F(ThumbMakers, FilesTheMakersDoNotReadGiveMinusOne) {
    bool drawn = false;
    WriteBytes(Temp("x.fpx"), std::string(2048, '\xd0'));
    EXPECT_EQ(Make(Temp("x.fpx"), drawn), -1);
    WriteBytes(Temp("notes.txt"), "text");
    EXPECT_EQ(Make(Temp("notes.txt"), drawn), -1);
    EXPECT_EQ(Make(Temp("missing.png"), drawn), -1);
    // A FIFO is never opened (an open would block the test).
    for (const char* name : {"pipe.png", "pipe.bmp", "pipe.jpg", "pipe.tif"}) {
        ASSERT_EQ(::mkfifo(Temp(name).c_str(), 0600), 0);
        EXPECT_EQ(Make(Temp(name), drawn), -1) << name;
        TPictureHeaderInfo info;
        EXPECT_EQ(ReadPictureInfo(Temp(name), info), -1) << name;
    }
    TPictureSize size;
    EXPECT_TRUE(GetBmpDimensions(Temp("pipe.bmp"), size));
    maker.ItemFile = Temp("pipe.jpg");
    EXPECT_EQ(MakeJpegThumbnail(maker, cell, false), -1);
}

// A header that promises more pixels than the program allocates is reported,
// never loaded; a picture with both sides above 32000 likewise.
TEST_F(ThumbMakers, HugePicturesAreReportedNotLoaded) {
    auto bmpHeader = [](int32_t width, int32_t height, int bits) {
        std::string h(54, '\0');
        auto put32 = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i) h[size_t(at + i)] = char(v >> (8 * i));
        };
        h[0] = 'B';
        h[1] = 'M';
        put32(2, 54);
        put32(10, 54);
        put32(14, 40);
        put32(18, uint32_t(width));
        put32(22, uint32_t(height));
        h[26] = 1;
        h[28] = char(bits);
        return h;
    };
    for (auto [w, h, bits] : {std::tuple{20000, 20000, 24}, std::tuple{40000, 33000, 1}, std::tuple{-30000, -30000, 8}}) {
        WriteBytes(Temp("huge.bmp"), bmpHeader(w, h, bits));
        bool drawn = true;
        EXPECT_EQ(Make(Temp("huge.bmp"), drawn), 1) << w << "x" << h;
        EXPECT_TRUE(maker.TooLarge);
        EXPECT_FALSE(drawn);
    }
}

// ---- Header-only information (identify's width, height and depth: "8-bit
// sRGB" counts as 24 bits, "8-bit Grayscale" as 8, the GIF's 8-entry table as
// 4; the DCX's first page is 8 bits as the imaging library holds it; the Photo
// CD at resolution 1).

struct InfoCase {
    const char* name;
    const char* fixture;
    const char* fileName;
    int width, height, bits;
    const char* compression;
};

const InfoCase InfoCases[] = {
    {"Png", "thumbs/png10.png", "a.png", 10, 10, 24, ""},
    {"PngAlpha", "thumbs/alpha.png", "a.png", 20, 16, 24, ""},
    {"Bmp8", "thumbs/pal8_800x600.bmp.gz", "a.bmp", 800, 600, 8, ""},
    {"Bmp4", "thumbs/pal4_400x300.bmp.gz", "a.bmp", 400, 300, 4, ""},
    {"Bmp24", "thumbs/rgb24_2000x1500.bmp.gz", "a.bmp", 2000, 1500, 24, ""},
    {"TiffDeflate", "thumbs/deflate.tif", "a.tif", 60, 40, 24, "Deflate"},
    {"TiffGroup4", "imgman/g4_3pages.tif", "a.tif", 67, 45, 1, "Fax Group 4"},
    {"TiffLzw", "thumbs/lzw.tif", "a.tif", 30, 20, 24, "LZW (unsupported)"},
    {"Gif", "thumbs/gif3.gif", "a.gif", 24, 18, 4, ""},
    {"Jpeg", "jpeg/grey.jpg", "a.jpg", 70, 46, 8, ""},
    {"Dcx", "imgman/three.dcx", "a.dcx", 31, 23, 8, ""},
    {"Pcx", "bitmaps/pcx24.pcx", "a.pcx", 0, 0, 24, ""},
    {"Tga", "bitmaps/tga24rle.tga", "a.tga", 0, 0, 24, ""},
    {"PsdCmyk", "psd/cmyk_rle.psd", "a.psd", 0, 0, 24, ""},
    {"PhotoCD", "pcd/img0001.pcd", "img0001.pcd", 192, 128, 24, ""},
};

void PrintTo(const InfoCase& c, std::ostream* os) { *os << c.name; }

class PictureInfo : public ThumbMakers, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(PictureInfo, HeaderOnlyFacts) {
    const InfoCase& c = GetParam();
    const std::string path = Place(c.fixture, c.fileName);
    TPictureHeaderInfo info;
    ASSERT_EQ(ReadPictureInfo(path, info), 1);
    if (c.width) {
        EXPECT_EQ(info.Width, c.width);
        EXPECT_EQ(info.Height, c.height);
    } else {  // sizes of the older fixtures from identify at run time
        const std::string size = CommandOutput("identify -format '%w %h' '" + path + "[0]' 2>/dev/null");
        EXPECT_EQ(std::to_string(info.Width) + " " + std::to_string(info.Height), size);
    }
    EXPECT_EQ(info.Bits, c.bits);
    EXPECT_EQ(info.Compression, c.compression);
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureInfo, ::testing::ValuesIn(InfoCases),
                         test::CaseNames<&InfoCase::name>);

// ---- JPEG maker

TEST_F(ThumbMakers, GreyJpegGivesGreyCell) {
    maker.ItemFile = Place("jpeg/grey.jpg", "g.jpg");
    ASSERT_EQ(MakeJpegThumbnail(maker, cell, false), 0);
    EXPECT_EQ(maker.ThumbSrcBits, 8);
    EXPECT_EQ(maker.ThumbSrcWidth, 70);
    EXPECT_EQ(maker.ThumbSrcHeight, 46);
    const TRect place = ThumbFitRect(maker.PictureBitmap.GetWidth(), maker.PictureBitmap.GetHeight());
    EXPECT_TRUE(WhiteOutside(place));
    int nonWhite = 0;
    for (int y = place.Top; y < place.Bottom; ++y)
        for (int x = place.Left; x < place.Right; ++x) {
            const uint32_t p = Pixel(cell, x, y);
            ASSERT_TRUE((p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == (p >> 16)) << x << "," << y;
            nonWhite += p != 0xFFFFFF;
        }
    EXPECT_GT(nonWhite, place.Width() * place.Height() / 2);
}

// The plain reader finds the JFIF signature in the first half of the file, at
// most 44,000 bytes in; garbage beyond that is not skipped.
TEST_F(ThumbMakers, LeadingGarbageIsSkippedByThePlainReadRetry) {
    const std::string jpeg = ReadFileText(Fixture("jpeg/with_preview.jpg"));
    for (auto [garbage, result] : {std::pair{40000, 0}, std::pair{60000, -1}}) {
        WriteBytes(Temp("g.jpg"), std::string(size_t(garbage), '\x55') + jpeg);
        maker.ItemFile = Temp("g.jpg");
        EXPECT_EQ(MakeJpegThumbnail(maker, cell, false), result) << garbage;
        if (result == 0) {
            EXPECT_EQ(maker.ThumbSrcWidth, 480);
            EXPECT_EQ(maker.ThumbSrcHeight, 360);
            EXPECT_FALSE(maker.Jpeg->PlainRead());
        }
    }
    // The fresh decoder after the retry reads a plain file as before.
    maker.ItemFile = Place("jpeg/grey.jpg", "grey.jpg");
    EXPECT_EQ(MakeJpegThumbnail(maker, cell, false), 0);
}

// with_preview.jpg: 480 x 360 with a 160 x 120 EXIF preview (exiftool). The
// full picture decodes at a half (240 x 180) for the cell, the preview whole.
TEST_F(ThumbMakers, EmbeddedPreviewFollowsTheSetting) {
    maker.ItemFile = Place("jpeg/with_preview.jpg", "p.jpg");
    ASSERT_EQ(MakeJpegThumbnail(maker, cell, true), 0);
    EXPECT_EQ(maker.PictureBitmap.GetWidth(), 160);
    EXPECT_EQ(maker.ThumbSrcWidth, 480);
    EXPECT_TRUE(WhiteOutside(ThumbFitRect(160, 120)));
    ASSERT_EQ(MakeJpegThumbnail(maker, cell, false), 0);
    EXPECT_EQ(maker.PictureBitmap.GetWidth(), 240);
    EXPECT_EQ(maker.ThumbSrcWidth, 480);
}

TEST_F(ThumbMakers, CorruptJpegsFail) {
    const std::string good = ReadFileText(Fixture("jpeg/baseline_420.jpg"));
    std::string badHeader = good;
    for (size_t i = 2; i < 200 && i < badHeader.size(); ++i) badHeader[i] = char(0xFF - i);
    for (const std::string& bytes : {std::string(3000, '\0'), std::string("\xFF\xD8\xFF", 3) + std::string(500, 'z'),
                                     badHeader, std::string()}) {
        WriteBytes(Temp("c.jpg"), bytes);
        maker.ItemFile = Temp("c.jpg");
        EXPECT_EQ(MakeJpegThumbnail(maker, cell, false), -1);
        EXPECT_NE(maker.JpegError, 0);
    }
}

// ---- Icons, blank cell, dot pattern

TEST_F(ThumbMakers, IconCellsStayInsideTheirSquare) {
    WriteBytes(Temp("notes.txt"), "text");
    const int textIcon = SystemIconIndex(Temp("notes.txt"));
    ASSERT_GE(textIcon, 0);
    for (int index : {-2, -1, textIcon}) {
        ASSERT_TRUE(MakeIconThumbnail(maker, cell, index));
        EXPECT_EQ(maker.IconDrawWidth, 63);
        EXPECT_EQ(maker.IconDrawHeight, 63);
        ASSERT_EQ(cell.GetWidth(), ThumbCellWidth);
        ASSERT_EQ(cell.GetHeight(), ThumbCellHeight);
        EXPECT_TRUE(WhiteOutside({52, 31, 115, 94})) << index;
        EXPECT_LT(NonWhiteBounds().Left, 115) << index << ": no icon drawn";
        // The explorer's own cell is white again.
        for (int y = 0; y < ThumbCellHeight; y += 5)
            for (int x = 0; x < ThumbCellWidth; x += 5) ASSERT_EQ(Pixel(maker.ThumbCell, x, y), 0xFFFFFFu);
    }
}

TEST_F(ThumbMakers, BrushBitmapIsBlackWhereBothCoordinatesAreOdd) {
    TBitmap brush;
    SetBrushBitmap(brush);
    ASSERT_EQ(brush.GetWidth(), ThumbCellWidth);
    ASSERT_EQ(brush.GetHeight(), ThumbCellHeight);
    ASSERT_EQ(brush.PixelFormat(), pf1bit);
    const TPixelBuffer& pixels = *brush.Handle();
    for (int y = 0; y < ThumbCellHeight; ++y)
        for (int x = 0; x < ThumbCellWidth; ++x)
            ASSERT_EQ(pixels.GetColor(x, y), (x & 1) && (y & 1) ? 0u : 0xFFFFFFu) << x << "," << y;
}

// ---- The shrink's and the stretch's index formulas on small pictures

TEST(ThumbScale, ShrinkKeepsFirstAndLastColumnAndRow) {
    TPixelBuffer picture(7, 5, 8);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.SetIndex(x, y, uint32_t(10 * y + x));
    ASSERT_TRUE(ShrinkDibInPlace(picture, 3, 2));
    // Columns (6 x) div 2 = 0, 3, 6; rows (4 y) div 2 = 0, 2.
    const uint32_t expected[2][3] = {{0, 3, 6}, {20, 23, 26}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(picture.GetIndex(x, y), expected[y][x]);
    // Not for pictures below 8 bits, nor for enlargements.
    TPixelBuffer four(8, 8, 4);
    EXPECT_FALSE(ShrinkDibInPlace(four, 4, 4));
    EXPECT_FALSE(ShrinkDibInPlace(picture, 9, 2));
    // A one-pixel-wide result takes the first column.
    TPixelBuffer wide(5, 3, 24);
    wide.SetColor(0, 0, 0x123456);
    ASSERT_TRUE(ShrinkDibInPlace(wide, 1, 1));
    EXPECT_EQ(wide.GetColor(0, 0), 0x123456u);
}

TEST(ThumbScale, StretchSamplesThePixelUnderEachCentre) {
    TPixelBuffer source(4, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) source.SetColor(x, y, uint32_t(0x10 * (y + 1) + x));
    TPixelBuffer target(10, 3, 24);
    StretchNearest(source, target, {1, 0, 11, 3});  // clipped on the right
    // Columns ((2x + 1) 4) div 20 for x = 0..8 and rows ((2y + 1) 2) div 6.
    const int columns[9] = {0, 0, 1, 1, 1, 2, 2, 3, 3};
    const int rows[3] = {0, 1, 1};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(target.GetColor(1 + x, y), uint32_t(0x10 * (rows[y] + 1) + columns[x])) << x << "," << y;
    EXPECT_EQ(target.GetColor(0, 0), 0u);
}

TEST(ThumbScale, FitRectIsCentredAndNeverEmpty) {
    const TRect wide = ThumbFitRect(100000, 1);
    EXPECT_EQ(wide.Width(), 166);
    EXPECT_EQ(wide.Height(), 1);
    EXPECT_EQ(wide.Top, 62);
    EXPECT_EQ(ThumbFitRect(0, 5).Width(), 0);
}

// ---- Hostile input

TEST_F(ThumbMakers, MutatedFilesEndInFailureOrACellAndTheNextFileIsRight) {
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"thumbs/png10.png", "m.png"},       {"thumbs/alpha.png", "m.png"},    {"thumbs/gif3.gif", "m.gif"},
        {"thumbs/deflate.tif", "m.tif"},     {"thumbs/lzw.tif", "m.tif"},      {"imgman/g4_3pages.tif", "m.tif"},
        {"imgman/three.dcx", "m.dcx"},       {"bmp/pal8.bmp", "m.bmp"},        {"bmp/pal4.bmp", "m.bmp"},
        {"bmp/pal8rle.bmp", "m.bmp"},        {"bmp/rgb24.bmp", "m.dib"},       {"bitmaps/pcx8.pcx", "m.pcx"},
        {"bitmaps/tga24rle.tga", "m.tga"},   {"psd/cmyk_rle.psd", "m.psd"},    {"pcd/img0001.pcd", "img.pcd"},
        {"jpeg/baseline_420.jpg", "m.jpg"},
    };
    test::Lcg random{2024};
    for (const auto& [fixture, name] : sources) {
        const std::string good = ReadMaybeGzipped(Fixture(fixture));
        ASSERT_FALSE(good.empty()) << fixture;
        const int rounds = name == "img.pcd" ? 3 : 25;
        for (int round = 0; round < rounds; ++round) {
            std::string bytes = good;
            if (round % 5 == 4) {
                bytes.resize(random.Next() % bytes.size());
            } else {
                const int flips = 1 + int(random.Next() % 8);
                for (int i = 0; i < flips; ++i) bytes[random.Next() % bytes.size()] = char(random.Next());
            }
            const std::string path = Temp(name);
            WriteBytes(path, bytes);
            bool drawn = false;
            if (name == "m.jpg") {
                maker.ItemFile = path;
                const int result = MakeJpegThumbnail(maker, cell, round % 2 == 0);
                EXPECT_TRUE(result == 0 || result == -1);
            } else {
                const int header = Make(path, drawn);
                EXPECT_TRUE(header == 1 || header == -1);
            }
            TPictureHeaderInfo info;
            const int result = ReadPictureInfo(path, info);
            EXPECT_TRUE(result == 1 || result == -1);
        }
    }
    bool drawn = false;
    ASSERT_EQ(Make(Place("thumbs/png10.png", "after.png"), drawn), 1);
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(CellMatches(Expected("thumbs/png10.cell.ppm.gz"), {22, 1, 146, 125}));
}

// ---- The explorer window owns one maker and the hidden cell control

TEST(ThumbMakersWindow, FileFormHoldsTheMakerAndThumbPix) {
    TFileForm form;
    ASSERT_NE(form.ThumbMaker, nullptr);
    ASSERT_NE(form.ThumbPix, nullptr);
    EXPECT_FALSE(form.ThumbPix->isVisible());
}

}  // namespace
}  // namespace lumvor
