// The imaging library: DCX and TIFF pages against ImageMagick and PIL, scaled
// copies, drawing into pictures and a PDF printer, hostile files and SANE scans.
#include "imgman/imgman.h"

#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "support/picture_compare.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QSpinBox>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using test::RgbRaster;
using test::SamePixels;

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/imgman/" + name; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads a binary PBM, PGM or PPM (maxval 255) as RGB.
RgbRaster ReadPnm(const std::vector<uint8_t>& data) {
    RgbRaster r;
    std::string text(data.begin(), data.end());
    size_t pos = 0;
    std::vector<int> fields;
    std::string magic = text.substr(0, 2);
    pos = 2;
    const int wanted = magic == "P4" ? 2 : 3;
    while (int(fields.size()) < wanted && pos < text.size()) {
        if (text[pos] == '#') {
            pos = text.find('\n', pos);
            continue;
        }
        if (isspace(static_cast<unsigned char>(text[pos]))) {
            ++pos;
            continue;
        }
        size_t end = pos;
        while (end < text.size() && isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        fields.push_back(std::stoi(text.substr(pos, end - pos)));
        pos = end;
    }
    ++pos;  // the single white space after the header
    if (int(fields.size()) < wanted)
        return {};
    r.Width = fields[0];
    r.Height = fields[1];
    const uint8_t* p = data.data() + pos;
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x) {
            uint32_t v = 0;
            if (magic == "P4") {
                const bool black = (p[size_t(y) * size_t((r.Width + 7) / 8) + size_t(x / 8)] >> (7 - x % 8)) & 1;
                v = black ? 0 : 0xFFFFFF;
            } else if (magic == "P5") {
                const uint32_t g = p[size_t(y) * size_t(r.Width) + size_t(x)];
                v = g << 16 | g << 8 | g;
            } else {
                const uint8_t* q = p + (size_t(y) * size_t(r.Width) + size_t(x)) * 3;
                v = uint32_t(q[0]) << 16 | uint32_t(q[1]) << 8 | q[2];
            }
            r.Pixels.push_back(v);
        }
    return r;
}

RgbRaster ReadPnmFile(const std::string& path) { return ReadPnm(ReadBytes(path)); }

// Renders the handle's page the way the image window does: a bitmap of the
// page's depth with the page's palette, the picture printed over all of it.
struct Rendered {
    int Bits = 0;
    TBitmap Bitmap;
};

void Render(int handle, Rendered& out) {
    IMGINFO info;
    ASSERT_EQ(ImgGetInfoStruct(handle, &info), 1);
    out.Bits = info.Header.biBitCount;
    out.Bitmap.SetPixelFormat(out.Bits == 1   ? pf1bit
                              : out.Bits == 4 ? pf4bit
                              : out.Bits == 8 ? pf8bit
                                              : pf24bit);
    out.Bitmap.SetSize(info.Header.biWidth, info.Header.biHeight);
    if (HPALETTE palette = ImgGetPalette(handle))
        out.Bitmap.SetPalette(palette);
    ASSERT_EQ(ImgPrintImage(handle, out.Bitmap.Canvas(),
                            Rect(0, 0, info.Header.biWidth - 1, info.Header.biHeight - 1), 0),
              1);
}

::testing::AssertionResult PageEquals(int handle, const RgbRaster& expected, int tolerance = 0) {
    Rendered r;
    Render(handle, r);
    const TPixelBuffer& px = *r.Bitmap.Handle();
    return SamePixels(expected, px.Width(), px.Height(), [&](int x, int y) { return px.GetColor(x, y); },
                      tolerance);
}

class ImgmanTest : public ::testing::Test {
protected:
    void SetUp() override { ImgInit(); }
    void TearDown() override { ImgShutdown(); }
};

TEST_F(ImgmanTest, DcxPagesEqualImageMagick) {
    const int h = ImgOpenSolo(Fixture("three.dcx"), 0);
    ASSERT_NE(h, 0) << imgman::LastErrorText();
    int32_t count = 0;
    ASSERT_EQ(ImgPageCount(h, &count), 1);
    EXPECT_EQ(count, 3);
    const int bits[] = {8, 24, 1};
    for (int page : {0, 1, 2, 1}) {
        SCOPED_TRACE(page);
        ASSERT_EQ(ImgSetPage(h, page), 1) << imgman::LastErrorText();
        int32_t selected = -1;
        ASSERT_EQ(ImgGetPage(h, &selected), 1);
        EXPECT_EQ(selected, page);
        IMGINFO info;
        ASSERT_EQ(ImgGetInfoStruct(h, &info), 1);
        EXPECT_EQ(info.Header.biBitCount, bits[page]);
        EXPECT_EQ(info.Header.biPlanes, 1);
        EXPECT_EQ(info.PageCount, 3);
        EXPECT_TRUE(PageEquals(h, ReadPnmFile(Fixture("three_" + std::to_string(page) + ".ppm"))));
    }
    EXPECT_EQ(ImgSetPage(h, 3), 0);
    EXPECT_EQ(imgman::LastErrorText(), "Page 4 does not exist.");
    int32_t selected = -1;
    ImgGetPage(h, &selected);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(ImgClose(h), 1);
    EXPECT_EQ(ImgClose(h), 0);
}

TEST_F(ImgmanTest, TiffPagesTheCodecRefusesEqualPil) {
    struct Case {
        const char* name;
        int tolerance;
    } cases[] = {{"lzw_rgb", 0}, {"lzw_pal", 0}, {"jpeg", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int h = ImgOpenSolo(Fixture(std::string(c.name) + ".tif"), 0);
        ASSERT_NE(h, 0) << imgman::LastErrorText();
        int32_t count = 0;
        ImgPageCount(h, &count);
        EXPECT_EQ(count, 1);
        EXPECT_TRUE(PageEquals(h, ReadPnmFile(Fixture(std::string(c.name) + ".ppm")), c.tolerance));
        ImgClose(h);
    }
}

TEST_F(ImgmanTest, GroupFourPagesStayBilevelAndEqualPil) {
    const int h = ImgOpenSolo(Fixture("g4_3pages.tif"), 0);
    ASSERT_NE(h, 0) << imgman::LastErrorText();
    int32_t count = 0;
    ImgPageCount(h, &count);
    ASSERT_EQ(count, 3);
    for (int page = 2; page >= 0; --page) {
        SCOPED_TRACE(page);
        ASSERT_EQ(ImgSetPage(h, page), 1) << imgman::LastErrorText();
        IMGINFO info;
        ImgGetInfoStruct(h, &info);
        EXPECT_EQ(info.Header.biBitCount, 1);
        EXPECT_EQ(info.Page, page);
        EXPECT_TRUE(PageEquals(h, ReadPnmFile(Fixture("g4_page" + std::to_string(page) + ".ppm"))));
    }
}

TEST_F(ImgmanTest, OpensFileImagesInMemoryByType) {
    struct Case {
        const char* file;
        const char* type;
        const char* expected;
    } cases[] = {{"rose24.bmp", "BMP", nullptr}, {"lzw_rgb.tif", "TIF", "lzw_rgb.ppm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes = ReadBytes(Fixture(c.file));
        const int h = ImgOpenMem(bytes.data(), int64_t(bytes.size()), c.type);
        ASSERT_NE(h, 0) << imgman::LastErrorText();
        IMGINFO info;
        ImgGetInfoStruct(h, &info);
        EXPECT_EQ(info.Header.biBitCount, 24);
        if (c.expected) {
            EXPECT_TRUE(PageEquals(h, ReadPnmFile(Fixture(c.expected))));
        }
        ImgClose(h);
    }
}

TEST_F(ImgmanTest, OpensEveryFormatOfTheCodecs) {
    const std::string root = LUMVOR_FIXTURES;
    struct Case {
        const char* file;
        const char* expected;
        int tolerance;
    } cases[] = {
        {"bitmaps/win8.bmp", "bitmaps/c16.ppm", 0},         {"bitmaps/pcx8.pcx", "bitmaps/c16.ppm", 0},
        {"bitmaps/pcx24.pcx", "bitmaps/rgb.ppm", 0},        {"bitmaps/tga24.tga", "bitmaps/rgb.ppm", 0},
        {"png/rgb8.png", "png/rgb8.ref.ppm", 0},            {"png/pal4.png", "png/pal4.ref.ppm", 0},
        {"jpeg/baseline_444.jpg", "jpeg/baseline_444.islow.pnm", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const int h = ImgOpenSolo(root + "/" + c.file, 0);
        ASSERT_NE(h, 0) << imgman::LastErrorText();
        EXPECT_TRUE(PageEquals(h, ReadPnmFile(root + "/" + c.expected), c.tolerance));
        ImgClose(h);
    }
    // GIF and PSD against ImageMagick's PNG of the same picture.
    for (const char* name : {"gif/rose", "psd/cmyk_raw"}) {
        SCOPED_TRACE(name);
        const int h = ImgOpenSolo(root + "/" + name + (name[0] == 'g' ? ".gif" : ".psd"), 0);
        const int png = ImgOpenSolo(root + "/" + name + ".expected.png", 0);
        ASSERT_NE(h, 0) << imgman::LastErrorText();
        ASSERT_NE(png, 0) << imgman::LastErrorText();
        Rendered expected;
        Render(png, expected);
        const TPixelBuffer& px = *expected.Bitmap.Handle();
        RgbRaster raster{px.Width(), px.Height(), {}};
        for (int y = 0; y < px.Height(); ++y)
            for (int x = 0; x < px.Width(); ++x)
                raster.Pixels.push_back(px.GetColor(x, y));
        EXPECT_TRUE(PageEquals(h, raster));
    }
}

// The fax-quality road: the page cut to multiples of 8 below its size minus
// one, reduced with flag 32 into 8-bit grey.
TEST_F(ImgmanTest, GreyReductionOfBilevelPageEqualsBoxAverage) {
    const int h = ImgOpenSolo(Fixture("g4_3pages.tif"), 0);
    ASSERT_NE(h, 0);
    IMGINFO info;
    ImgGetInfoStruct(h, &info);
    const int w = (info.Header.biWidth - 1) / 8 * 8, hh = (info.Header.biHeight - 1) / 8 * 8;
    ASSERT_EQ(w, 64);
    ASSERT_EQ(hh, 40);
    const TRect source = Rect(0, 0, w, hh);
    struct Case {
        int divisor;
        const char* expected;
    } cases[] = {{2, "g4_half.pgm"}, {4, "g4_quarter.pgm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const int copy = ImgCopy(h, w / c.divisor, hh / c.divisor, &source, IMG_COPY_GRAY);
        ASSERT_NE(copy, 0) << imgman::LastErrorText();
        IMGINFO copyInfo;
        ImgGetInfoStruct(copy, &copyInfo);
        EXPECT_EQ(copyInfo.Header.biBitCount, 8);
        HPALETTE palette = ImgGetPalette(copy);
        ASSERT_TRUE(palette);
        ASSERT_EQ(palette->Entries.size(), 256u);
        EXPECT_EQ(palette->Entries[100].peRed, 100);
        EXPECT_EQ(palette->Entries[100].peBlue, 100);
        // ImageMagick truncates where we round: one level apart at most.
        EXPECT_TRUE(PageEquals(copy, ReadPnmFile(Fixture(c.expected)), 1));
        ImgClose(copy);
    }
    EXPECT_EQ(ImgCopy(h, 0, 10, &source, IMG_COPY_GRAY), 0);
    const TRect outside = Rect(100, 100, 120, 120);
    EXPECT_EQ(ImgCopy(h, 10, 10, &outside, IMG_COPY_GRAY), 0);
    EXPECT_FALSE(imgman::LastErrorText().empty());
}

TEST_F(ImgmanTest, SmoothCopyAtHalfSizeEqualsBoxAverage) {
    const int h = ImgOpenSolo(Fixture("rose24.bmp"), 0);
    ASSERT_NE(h, 0);
    const int copy = ImgCopy(h, 20, 15, nullptr, IMG_COPY_SMOOTH);
    ASSERT_NE(copy, 0) << imgman::LastErrorText();
    EXPECT_TRUE(PageEquals(copy, ReadPnmFile(Fixture("rose24_half.ppm")), 1));
}

TEST_F(ImgmanTest, PlainCopyKeepsDepthAndSamplesPixels) {
    const int h = ImgOpenSolo(Fixture("three.dcx"), 0);
    ASSERT_NE(h, 0);
    const int copy = ImgCopy(h, 62, 46, nullptr, IMG_COPY_NEAREST);
    ASSERT_NE(copy, 0);
    IMGINFO info;
    ImgGetInfoStruct(copy, &info);
    EXPECT_EQ(info.Header.biBitCount, 8);
    const RgbRaster page = ReadPnmFile(Fixture("three_0.ppm"));
    RgbRaster doubled;
    doubled.Width = 62;
    doubled.Height = 46;
    for (int y = 0; y < 46; ++y)
        for (int x = 0; x < 62; ++x)
            doubled.Pixels.push_back(page.At(x / 2, y / 2));
    EXPECT_TRUE(PageEquals(copy, doubled));
}

// A picture of 4 x 2 blocks of distinct colours, each block `block` pixels
// square, as a packed DIB.
TPackedDib Quadrants(int block = 1) {
    TPixelBuffer px(4 * block, 2 * block, 24);
    const uint32_t colours[2][4] = {{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00},
                                    {0x00FFFF, 0xFF00FF, 0x000000, 0x808080}};
    for (int y = 0; y < 2 * block; ++y)
        for (int x = 0; x < 4 * block; ++x)
            px.SetColor(x, y, colours[y / block][x / block]);
    return TPackedDib::FromPixels(px);
}

TEST_F(ImgmanTest, PrintIntoPicturePlacesItInTheInclusiveRectangle) {
    const TPackedDib dib = Quadrants();
    const int h = ImgFromDIB(dib);
    ASSERT_NE(h, 0);
    TBitmap bitmap;
    bitmap.SetSize(30, 20);
    bitmap.Canvas().Brush.Color = clWhite;
    bitmap.Canvas().FillRect(Rect(0, 0, 30, 20));
    // Own size at (10, 5); twice the size at (20, 12).
    ASSERT_EQ(ImgPrintImage(h, bitmap.Canvas(), Rect(10, 5, 13, 6), 0), 1);
    ASSERT_EQ(ImgPrintImage(h, bitmap.Canvas(), Rect(20, 12, 27, 15), 0), 1);
    const TPixelBuffer source = dib.ToPixels();
    const TPixelBuffer& px = *bitmap.Handle();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            uint32_t expected = 0xFFFFFF;
            if (x >= 10 && x < 14 && y >= 5 && y < 7)
                expected = source.GetColor(x - 10, y - 5);
            if (x >= 20 && x < 28 && y >= 12 && y < 16)
                expected = source.GetColor((x - 20) / 2, (y - 12) / 2);
            ASSERT_EQ(px.GetColor(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(ImgPrintImage(h + 1000, bitmap.Canvas(), Rect(0, 0, 3, 1), 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), "Invalid image handle.");
}

TEST_F(ImgmanTest, PrintIntoPdfPrinterPlacesItWhereAsked) {
    // The PDF keeps pictures JPEG-compressed at their own size: blocks of 16
    // pixels keep their colours clear of the chroma subsampling.
    const int h = ImgFromDIB(Quadrants(16));
    ASSERT_NE(h, 0);
    QTemporaryDir dir;
    const QString pdf = dir.path() + "/page.pdf";
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(100);
        printer.setFullPage(true);
        printer.setColorMode(QPrinter::Color);
        QPainter painter(&printer);
        // 4 x 2 blocks to 200 x 100 printer pixels at (100, 150).
        ASSERT_EQ(ImgPrintImage(h, painter, Rect(100, 150, 299, 249), 0), 1);
    }
    QProcess pdftoppm;
    pdftoppm.start("pdftoppm", {"-r", "100", "-singlefile", pdf, dir.path() + "/page"});
    ASSERT_TRUE(pdftoppm.waitForFinished(30000));
    const RgbRaster page = test::ReadPpm((dir.path() + "/page.ppm").toStdString());
    ASSERT_GT(page.Width, 300);
    ASSERT_GT(page.Height, 260);
    const uint32_t colours[2][4] = {{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00},
                                    {0x00FFFF, 0xFF00FF, 0x000000, 0x808080}};
    auto near = [](uint32_t a, uint32_t b) {
        for (int s = 0; s < 24; s += 8)
            if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > 8)
                return false;
        return true;
    };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_TRUE(near(page.At(100 + 50 * x + 25, 150 + 50 * y + 25), colours[y][x])) << x << "," << y;
    for (auto [x, y] : {std::pair{95, 200}, {305, 200}, {200, 145}, {200, 255}})
        EXPECT_EQ(page.At(x, y), 0xFFFFFFu) << x << "," << y;
}

TEST_F(ImgmanTest, PaletteOfIndexedPicturesOnly) {
    TPixelBuffer px(3, 3, 8);
    px.ColorTable[5] = 0x123456;
    const int indexed = ImgFromDIB(TPackedDib::FromPixels(px));
    ASSERT_NE(indexed, 0);
    HPALETTE palette = ImgGetPalette(indexed);
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->Entries[5].peRed, 0x12);
    EXPECT_EQ(palette->Entries[5].peBlue, 0x56);
    const int rgb = ImgFromDIB(Quadrants());
    EXPECT_FALSE(ImgGetPalette(rgb));
    EXPECT_EQ(ImgFromDIB(TPackedDib(std::vector<uint8_t>(10, 0))), 0);
}

// Raising the colours keeps every pixel's colour: 8-bit DCX pages become 24
// bits equal to ImageMagick's page, a bilevel page 8 bits with its two colours;
// fewer bits than the picture has are refused.
TEST_F(ImgmanTest, IncreasedColoursKeepEveryPixel) {
    const int page = ImgOpenSolo(Fixture("three.dcx"), 0);
    ASSERT_NE(page, 0);
    const int deep = ImgIncreaseColors(page, 24);
    ASSERT_NE(deep, 0) << imgman::LastErrorText();
    IMGINFO info;
    ImgGetInfoStruct(deep, &info);
    EXPECT_EQ(info.Header.biBitCount, 24);
    EXPECT_FALSE(ImgGetPalette(deep));
    EXPECT_TRUE(PageEquals(deep, ReadPnmFile(Fixture("three_0.ppm"))));

    const int fax = ImgOpenSolo(Fixture("g4_3pages.tif"), 0);
    ASSERT_NE(fax, 0);
    const int grey = ImgIncreaseColors(fax, 8);
    ASSERT_NE(grey, 0) << imgman::LastErrorText();
    ImgGetInfoStruct(grey, &info);
    EXPECT_EQ(info.Header.biBitCount, 8);
    EXPECT_TRUE(PageEquals(grey, ReadPnmFile(Fixture("g4_page0.ppm"))));

    EXPECT_EQ(ImgIncreaseColors(deep, 8), 0);
    EXPECT_EQ(imgman::LastErrorText(), "A 24-bit picture cannot be raised to 8 bits.");
    EXPECT_EQ(ImgIncreaseColors(page, 16), 0);
    EXPECT_EQ(ImgIncreaseColors(987654, 24), 0);
}

TEST_F(ImgmanTest, TruncatedFilesGiveNoHandleAndAnErrorText) {
    for (const char* name : {"three.dcx", "g4_3pages.tif", "lzw_rgb.tif", "jpeg.tif"}) {
        const std::vector<uint8_t> whole = ReadBytes(Fixture(name));
        for (size_t length : {size_t(1), size_t(4), size_t(8), size_t(60), whole.size() / 3, whole.size() / 2,
                              whole.size() - 20, whole.size() - 1}) {
            SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(length));
            const int h = ImgOpenMem(whole.data(), int64_t(length), "TIF");
            if (h == 0) {
                EXPECT_FALSE(imgman::LastErrorText().empty());
                continue;
            }
            // The first page survived the cut: every other page reads or fails with a reason.
            int32_t count = 0;
            ImgPageCount(h, &count);
            for (int page = 0; page < count; ++page)
                if (ImgSetPage(h, page) == 0) {
                    EXPECT_FALSE(imgman::LastErrorText().empty());
                }
            ImgClose(h);
        }
        // Cut inside the header or the first page's data: no handle.
        for (size_t length : {size_t(1), size_t(8), size_t(60)})
            EXPECT_EQ(ImgOpenMem(whole.data(), int64_t(length), "TIF"), 0) << name << " " << length;
    }
    // A page table pointing past the end.
    std::vector<uint8_t> dcx = ReadBytes(Fixture("three.dcx"));
    dcx[8] = 0xFF, dcx[9] = 0xFF, dcx[10] = 0xFF;
    EXPECT_EQ(ImgOpenMem(dcx.data(), int64_t(dcx.size()), "DCX"), 0);
    EXPECT_EQ(imgman::LastErrorText(), "Invalid DCX file.");
    // The error box answers 1; that it shows the text in the program's message box
    // is tested with the controls, which register that box (tests/ui/voMsgBox_test.cpp).
    EXPECT_EQ(ImgErrBox(nullptr), 1);
}

TEST_F(ImgmanTest, FlashPixIsRefusedWithAClearMessage) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/picture.fpx").toStdString();
    std::ofstream(path, std::ios::binary) << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)
                                          << std::string(600, '\0');
    EXPECT_EQ(ImgOpenSolo(path, 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), "FlashPix pictures are not supported.");
    EXPECT_EQ(ImgOpenSolo((dir.path() + "/missing.bmp").toStdString(), 0), 0);
    EXPECT_FALSE(imgman::LastErrorText().empty());
}

// ---- scanning with SANE's test backend

// SANE reads the folder of its configuration once per process, so a test
// with a configuration of its own runs its body in a fresh process (which
// runs the test again up to that point: no SANE call may come before it).
class ScanTest : public ImgmanTest {
protected:
    void TearDown() override {
        ImgmanTest::TearDown();
        imgman::ScanSettings = {};
        imgman::ScanSource.clear();
        ClearModalAnswers();
    }

    template <typename F>
    void WithSaneConfig(const std::string& dll, const std::string& testConf, F body) {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                QTemporaryDir dir;
                std::ofstream((dir.path() + "/dll.conf").toStdString()) << dll;
                std::ofstream((dir.path() + "/test.conf").toStdString()) << testConf;
                qputenv("SANE_CONFIG_DIR", dir.path().toLocal8Bit());
                body();
                ImgShutdown();
                std::fflush(stderr);
                std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
            },
            ::testing::ExitedWithCode(0), "");
    }

    // What scanimage gives for the same settings.
    static std::vector<uint8_t> ScanImage(const QStringList& args) {
        QProcess scanimage;
        scanimage.start("scanimage", QStringList{"-d", "test:0", "--format=pnm"} + args);
        EXPECT_TRUE(scanimage.waitForFinished(30000));
        const QByteArray out = scanimage.readAllStandardOutput();
        return {out.begin(), out.end()};
    }
};

TEST_F(ScanTest, AvailableOnlyWhenSaneFindsADevice) {
    WithSaneConfig("", "", [] {
        EXPECT_EQ(ScanIsTWAINAvailable(), 0);
        EXPECT_EQ(ScanSelectSource(nullptr), 0);
        EXPECT_TRUE(ScanAcquirePage(nullptr, 0).Empty());
        EXPECT_EQ(imgman::LastErrorText(), "No scanner found.");
    });
    EXPECT_NE(ScanIsTWAINAvailable(), 0);
}

TEST_F(ScanTest, SourceChoiceListsTheDevices) {
    QStringList shown;
    QueueModalAction([&](QDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>("lbSources");
        for (int i = 0; list && i < list->count(); ++i)
            shown << list->item(i)->text();
        list->setCurrentRow(1);
        dialog.done(mrOk);
    });
    EXPECT_EQ(ScanSelectSource(nullptr), 1);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains("test:0"));
    EXPECT_EQ(imgman::ScanSource, "test:1");
    QueueModalResult(mrCancel);
    EXPECT_EQ(ScanSelectSource(nullptr), 0);
    EXPECT_EQ(imgman::ScanSource, "test:1");
}

TEST_F(ScanTest, AcquiresThePageOfTheRequestedSizeAndMode) {
    WithSaneConfig("test\n", "test-picture \"Color pattern\"\n", [] {
        struct Case {
            const char* mode;
            int resolution;
            int bits;
            QStringList scanimage;
        } cases[] = {
            {"Color", 50, 24, {"--mode", "Color", "--depth", "8"}},
            {"Gray", 75, 8, {"--mode", "Gray", "--depth", "8"}},
            {"Lineart", 60, 1, {"--mode", "Gray", "--depth", "1"}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.mode);
            imgman::ScanSettings = {"Gray", 100, 10, 5, 40, 30};
            // The user picks mode and resolution in the scan dialog.
            QueueModalAction([&](QDialog& dialog) {
                dialog.findChild<QComboBox*>("cbMode")->setCurrentText(c.mode);
                dialog.findChild<QSpinBox*>("seResolution")->setValue(c.resolution);
                dialog.done(mrOk);
            });
            const TPackedDib dib = ScanAcquirePage(nullptr, 0);
            ASSERT_FALSE(dib.Empty()) << imgman::LastErrorText();
            EXPECT_EQ(dib.Header().biBitCount, c.bits);
            const RgbRaster expected = ReadPnm(ScanImage(c.scanimage + QStringList{
                "--resolution", QString::number(c.resolution), "-l", "10", "-t", "5", "-x", "40", "-y", "30"}));
            const TPixelBuffer px = dib.ToPixels();
            EXPECT_TRUE(SamePixels(expected, px.Width(), px.Height(), [&](int x, int y) { return px.GetColor(x, y); }));
            EXPECT_EQ(px.Width(), int(40 / 25.4 * c.resolution));
            EXPECT_EQ(imgman::ScanSettings.Mode, c.mode);
        }
    });
}

TEST_F(ScanTest, CancelledOrFailedScansGiveNoPicture) {
    WithSaneConfig("test\n", "read-status-code \"SANE_STATUS_JAMMED\"\n", [] {
        QueueModalResult(mrOk);
        EXPECT_TRUE(ScanAcquirePage(nullptr, 0).Empty());
        EXPECT_NE(imgman::LastErrorText().find("jammed"), std::string::npos) << imgman::LastErrorText();
    });
    QueueModalResult(mrCancel);
    EXPECT_TRUE(ScanAcquirePage(nullptr, 0).Empty());
    EXPECT_EQ(imgman::LastErrorText(), "The scan was cancelled.");
}

}  // namespace
}  // namespace lumvor
