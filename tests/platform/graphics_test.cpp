#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "platform/Streams.h"

#include "support/picture_compare.h"
#include "support/pil_script.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace lumvor {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/bmp/" + name;
}

struct BmpCase {
    const char* name;
    TPixelFormat format;
};

TEST(BitmapFile, ReadsBmpFilesOfEveryDepthAsPilDoes) {
    const BmpCase cases[] = {{"bw1", pf1bit},     {"pal4", pf4bit},     {"pal8", pf8bit},
                             {"pal8rle", pf8bit}, {"rgb24", pf24bit},   {"rgb32", pf32bit},
                             {"rgb565", pf16bit}, {"rgb555", pf15bit}};
    for (const BmpCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        bitmap.LoadFromFile(Fixture(std::string(c.name) + ".bmp"));
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        const TPixelBuffer& px = *bitmap.Handle();
        // 5- and 6-bit samples are widened with different roundings by different readers.
        const int tolerance = (c.format == pf15bit || c.format == pf16bit) ? 4 : 0;
        EXPECT_TRUE(test::SamePixels(test::ReadPpm(Fixture(std::string(c.name) + ".ppm")),
                                     bitmap.Width(), bitmap.Height(),
                                     [&](int x, int y) { return px.GetColor(x, y); }, tolerance));
    }
}

// Fills a bitmap with a pattern through ScanLine: indices for indexed formats,
// colours that every format holds exactly otherwise.
void FillPattern(TBitmap& bitmap) {
    TPixelBuffer& px = *bitmap.Handle();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (px.Indexed()) {
                px.SetIndex(x, y, uint32_t(x * 3 + y * 5) % px.ColorTable.size());
            } else {
                // Multiples of 8 plus their top bits survive 5-bit samples.
                auto level = [](int v) { return uint32_t((v * 8) | ((v * 8) >> 5)) & 0xFF; };
                px.SetColor(x, y, level((x * 5 + y) % 32) | level((x + y * 7) % 32) << 8 |
                                      level((x * 3 + y * 11) % 32) << 16);
            }
        }
}

TEST(BitmapFile, SavedBitmapIsReadBackByPilWithTheSamePixels) {
    if (!QFile::exists("/usr/bin/python3"))
        GTEST_SKIP() << "python3 with PIL is needed";
    QTemporaryDir dir;
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
    for (TPixelFormat format : formats) {
        SCOPED_TRACE(format);
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(13, 5);
        FillPattern(bitmap);
        const std::string bmp = dir.filePath("out.bmp").toStdString();
        const std::string ppm = dir.filePath("out.ppm").toStdString();
        bitmap.SaveToFile(bmp);
        ASSERT_EQ(test::RunPilScript("import sys; from PIL import Image; "
                                     "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])",
                                     {QString::fromStdString(bmp), QString::fromStdString(ppm)}),
                  "");
        const TPixelBuffer& px = *bitmap.Handle();
        // The stored 5- and 6-bit samples are the same; PIL widens them rounding down.
        const int tolerance = (format == pf15bit || format == pf16bit) ? 4 : 0;
        EXPECT_TRUE(test::SamePixels(test::ReadPpm(ppm), 13, 5,
                                     [&](int x, int y) { return px.GetColor(x, y); }, tolerance));
        // And our own reader gets the same pixels and format back.
        TBitmap again;
        again.LoadFromFile(bmp);
        EXPECT_EQ(again.PixelFormat(), format);
        EXPECT_EQ(std::memcmp(again.Handle()->Bits(), px.Bits(), size_t(px.ByteCount())), 0);
    }
}

TEST(BitmapFile, ReadStopsAfterTheImageSoARecordCanFollow) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    const int64_t imageSize = stream.Size();
    const char trailer[] = "RECORD";
    stream.WriteBuffer(trailer, 6);
    stream.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), imageSize);
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.Height(), 2);
}

TEST(BitmapFile, TruncatedOrHostileFilesRaiseInvalidGraphic) {
    const char* names[] = {"bw1.bmp", "pal4.bmp", "pal8.bmp", "pal8rle.bmp", "rgb24.bmp", "rgb565.bmp"};
    for (const char* name : names) {
        TMemoryStream whole;
        whole.LoadFromFile(Fixture(name));
        for (int64_t cut : {int64_t(0), int64_t(2), int64_t(14), int64_t(20), int64_t(53),
                            whole.Size() / 2, whole.Size() - 1}) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            TMemoryStream part;
            part.WriteBuffer(whole.Memory(), cut);
            part.SetPosition(0);
            TBitmap bitmap;
            if (std::string(name) == "pal8rle.bmp" && cut > 1078)
                continue;  // run-length data may end early: the rest stays blank
            EXPECT_THROW(bitmap.LoadFromStream(part), EInvalidGraphic);
        }
    }
    // Header fields: a huge size, a zero width, 7 bits per pixel, an unknown compression.
    struct Patch {
        int offset;
        uint32_t value;
        int size;
    } patches[] = {{18, 0x7FFFFFFF, 4}, {22, 0x7FFFFFFF, 4}, {18, 0, 4}, {28, 7, 2}, {30, 9, 4},
                   {14, 1000, 4}};
    for (const Patch& p : patches) {
        SCOPED_TRACE(p.offset);
        TMemoryStream stream;
        stream.LoadFromFile(Fixture("rgb24.bmp"));
        for (int i = 0; i < p.size; ++i)
            stream.Memory()[p.offset + i] = uint8_t(p.value >> (8 * i));
        TBitmap bitmap;
        EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
    }
}

TEST(PackedDib, HasTheWindowsLayout) {
    TPixelBuffer px(3, 2, 8);
    px.ColorTable[1] = 0x112233;
    px.ScanLine(0)[0] = 1;  // top-left
    px.ScanLine(1)[2] = 7;  // bottom-right
    px.XPelsPerMeter = 2835;
    const TPackedDib dib = TPackedDib::FromPixels(px);
    const std::vector<uint8_t>& b = dib.Bytes();
    ASSERT_EQ(b.size(), size_t(40 + 1024 + 2 * 4));
    const BITMAPINFOHEADER h = dib.Header();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);  // positive: bottom-up
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biSizeImage, 8u);
    EXPECT_EQ(h.biXPelsPerMeter, 2835);
    EXPECT_EQ(b[40 + 4], 0x33);  // entry 1: blue, green, red, 0
    EXPECT_EQ(b[40 + 5], 0x22);
    EXPECT_EQ(b[40 + 6], 0x11);
    EXPECT_EQ(b[40 + 1024 + 2], 7);      // first stored row is the bottom one
    EXPECT_EQ(b[40 + 1024 + 4 + 0], 1);  // then the top one
    const TPixelBuffer back = dib.ToPixels();
    EXPECT_EQ(std::memcmp(back.Bits(), px.Bits(), size_t(px.ByteCount())), 0);
    EXPECT_EQ(back.ColorTable[1], 0x112233u);
}

TEST(PackedDib, TopDownBlocksAreRead) {
    TPixelBuffer px(2, 2, 24);
    px.SetColor(0, 0, 0x0000FF);
    px.SetColor(1, 1, 0xFF0000);
    std::vector<uint8_t> bytes = TPackedDib::FromPixels(px).Bytes();
    // Make it top-down: negative height and the rows in top-first order.
    const int32_t negative = -2;
    std::memcpy(bytes.data() + 8, &negative, 4);
    std::vector<uint8_t> rows(bytes.begin() + 40, bytes.end());
    std::copy(rows.begin() + 8, rows.end(), bytes.begin() + 40);
    std::copy(rows.begin(), rows.begin() + 8, bytes.begin() + 48);
    const TPixelBuffer back = TPackedDib(bytes).ToPixels();
    EXPECT_EQ(back.GetColor(0, 0), 0x0000FFu);
    EXPECT_EQ(back.GetColor(1, 1), 0xFF0000u);
}

TEST(Bitmap, SizeAndFormatChangesKeepThePicture) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.HandleType(), bmDIB);
    bitmap.SetSize(4, 3);
    EXPECT_EQ(bitmap.Canvas().GetPixel(3, 2), clWhite);  // new areas are white
    bitmap.Canvas().SetPixel(1, 1, clRed);
    bitmap.SetPixelFormat(pf8bit);
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 1), clRed);
    bitmap.SetSize(6, 2);
    EXPECT_EQ(bitmap.Canvas().GetPixel(1, 1), clRed);
    EXPECT_EQ(bitmap.Canvas().GetPixel(5, 0), clWhite);
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphic);
    EXPECT_THROW(bitmap.SetSize(1 << 21, 1), EInvalidGraphic);
}

// A copy into a buffer of the same byte size reuses its memory, whatever the
// two shapes; any other copy takes new memory. Either way every property and
// byte of the source comes over.
TEST(PixelBuffer, CopiesReuseMemoryOfTheSameSizeAndCarryEverything) {
    TPixelBuffer source(4, 3, 8);  // rows of 4 bytes: 12 bytes
    source.ColorTable[7] = 0x123456;
    source.XPelsPerMeter = 2835;
    source.YPelsPerMeter = 1417;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            source.SetIndex(x, y, uint32_t(10 * y + x));
    struct Case {
        const char* name;
        int width, height, depth;
        bool reused;
    } cases[] = {
        {"same shape", 4, 3, 8, true},
        {"same bytes, other shape and depth", 1, 3, 24, true},  // rows of 3 bytes padded to 4
        {"more bytes", 4, 4, 8, false},
        {"fewer bytes", 4, 2, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPixelBuffer target(c.width, c.height, c.depth);
        const uint8_t* memory = target.Bits();
        target = source;
        EXPECT_EQ(target.Bits() == memory, c.reused);
        EXPECT_EQ(target.Width(), 4);
        EXPECT_EQ(target.Height(), 3);
        EXPECT_EQ(target.Depth(), 8);
        EXPECT_EQ(target.RowBytes(), source.RowBytes());
        EXPECT_EQ(target.ColorTable, source.ColorTable);
        EXPECT_EQ(target.XPelsPerMeter, 2835);
        EXPECT_EQ(target.YPelsPerMeter, 1417);
        EXPECT_EQ(std::memcmp(target.Bits(), source.Bits(), size_t(source.ByteCount())), 0);
    }
    TPixelBuffer empty;
    TPixelBuffer target(4, 3, 8);
    target = empty;
    EXPECT_TRUE(target.Empty());
}

TEST(Canvas, PaintsLikeGdiOnEveryPixelFormat) {
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
    for (TPixelFormat format : formats) {
        SCOPED_TRACE(format);
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(20, 20);
        TCanvas& canvas = bitmap.Canvas();
        canvas.Brush.Color = clBlack;
        canvas.FillRect(Rect(2, 3, 6, 8));  // right and bottom excluded
        EXPECT_EQ(canvas.GetPixel(2, 3), clBlack);
        EXPECT_EQ(canvas.GetPixel(5, 7), clBlack);
        EXPECT_EQ(canvas.GetPixel(6, 7), clWhite);
        EXPECT_EQ(canvas.GetPixel(5, 8), clWhite);
        canvas.Pen.Color = clBlack;
        canvas.MoveTo(10, 15);
        canvas.LineTo(15, 15);  // the end point is not drawn
        EXPECT_EQ(canvas.GetPixel(10, 15), clBlack);
        EXPECT_EQ(canvas.GetPixel(14, 15), clBlack);
        EXPECT_EQ(canvas.GetPixel(15, 15), clWhite);
        canvas.Brush.Style = bsClear;
        canvas.Rectangle(10, 2, 16, 6);  // outline only
        EXPECT_EQ(canvas.GetPixel(10, 2), clBlack);
        EXPECT_EQ(canvas.GetPixel(15, 5), clBlack);
        EXPECT_EQ(canvas.GetPixel(16, 5), clWhite);
        EXPECT_EQ(canvas.GetPixel(12, 4), clWhite);
    }
}

TEST(Canvas, TextChangesPixelsWithinItsExtent) {
    TBitmap bitmap;
    bitmap.SetSize(80, 30);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush.Style = bsClear;
    canvas.Font.Color = clBlack;
    const TSize size = canvas.TextExtent("Wxy");
    EXPECT_GT(size.cx, 5);
    EXPECT_GT(size.cy, 5);
    canvas.TextOut(4, 4, "Wxy");
    int black = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (canvas.GetPixel(x, y) != clWhite) {
                ++black;
                if (x < 4 || y < 4 || x >= 4 + size.cx + 2 || y >= 4 + size.cy)
                    ++outside;
            }
    EXPECT_GT(black, 10);
    EXPECT_EQ(outside, 0);
}

TEST(Canvas, IndexedPicturesTakeTheNearestPaletteEntry) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf4bit);  // the 16 standard colours
    bitmap.SetSize(8, 8);
    bitmap.Canvas().Brush.Color = RGB(250, 10, 5);
    bitmap.Canvas().FillRect(Rect(0, 0, 4, 4));
    TPixelBuffer& px = *bitmap.Handle();
    EXPECT_EQ(px.GetIndex(0, 0), 9u);   // (255, 0, 0)
    EXPECT_EQ(px.GetIndex(3, 3), 9u);
    EXPECT_EQ(px.GetIndex(4, 4), 15u);  // untouched white
}

TEST(Canvas, DrawAndCopyRectMoveThePixels) {
    TBitmap source;
    source.SetSize(4, 4);
    source.Canvas().SetPixel(1, 2, clBlue);
    TBitmap dest;
    dest.SetSize(10, 10);
    dest.Canvas().Draw(3, 3, source);
    EXPECT_EQ(dest.Canvas().GetPixel(4, 5), clBlue);
    dest.Canvas().StretchDraw(Rect(0, 0, 8, 8), source);  // x2, pixel kept by COLORONCOLOR
    EXPECT_EQ(dest.Canvas().GetPixel(2, 4), clBlue);
    EXPECT_EQ(dest.Canvas().GetPixel(3, 5), clBlue);
    EXPECT_EQ(dest.Canvas().GetPixel(4, 4), clWhite);
    TBitmap copy;
    copy.SetPixelFormat(pf8bit);
    copy.SetSize(4, 4);
    copy.Canvas().CopyRect(Rect(0, 0, 2, 2), source.Canvas(), Rect(0, 1, 2, 3));
    EXPECT_EQ(copy.Canvas().GetPixel(1, 1), clBlue);
}

}  // namespace
}  // namespace lumvor
