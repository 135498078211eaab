#include "imaging/vo_DIB.h"

#include "platform/Clipbrd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstring>

namespace lumvor {
namespace {

TEST(DibFormats, NamesBitsRowBytesAndRecordSizes) {
    const char* names[] = {"B/W", "4bpp gray", "8bpp gray", "4bpp color", "8bpp color", "24bpp color"};
    const int bits[] = {1, 4, 8, 4, 8, 24};
    for (int f = 0; f <= 5; ++f) {
        EXPECT_EQ(ImageFormatName(f), names[f]);
        EXPECT_EQ(ImageFormatBits(f), bits[f]);
    }
    EXPECT_EQ(ImageFormatName(6), "");
    EXPECT_EQ(ImageFormatName(-1), "");
    try {
        ImageFormatBits(6);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "Invalid image format");
    }
    EXPECT_EQ(RowBytes(3, 1), 4);
    EXPECT_EQ(RowBytes(5, 24), 16);
    EXPECT_EQ(RowBytes(8, 4), 4);
    EXPECT_EQ(RowBytes(9, 4), 8);
    EXPECT_EQ(PaletteRecordSize(256), 1028);
    EXPECT_EQ(RawColor(MakeColorRef(1, 2, 3)), 0x030201u);
    uint8_t buffer[7] = {1, 2, 3, 4, 5, 6, 7};
    SwapRedBlue(buffer, 7);
    const uint8_t swapped[7] = {3, 2, 1, 6, 5, 4, 7};
    EXPECT_EQ(std::memcmp(buffer, swapped, 7), 0);
}

TEST(DibPalettes, DefaultPalettesAsTabulated) {
    const TPaletteRecord& bw = *DefaultPalette(0);
    EXPECT_EQ(bw.NumberOfEntries, 2);
    EXPECT_EQ(RawColor(bw.Entries[1]), 0xFFFFFFu);
    EXPECT_EQ(DefaultPalette(1)->Entries[3], MakeColorRef(51, 51, 51));
    EXPECT_EQ(DefaultPalette(2)->Entries[200], MakeColorRef(200, 200, 200));
    const TPaletteRecord& c16 = *DefaultPalette(3);
    EXPECT_EQ(c16.NumberOfEntries, 16);
    EXPECT_EQ(c16.Entries[1], MakeColorRef(0, 0, 0xAA));
    EXPECT_EQ(c16.Entries[6], MakeColorRef(0xAA, 0x55, 0));
    EXPECT_EQ(c16.Entries[12], MakeColorRef(0xFF, 0x55, 0x55));
    const TPaletteRecord& c256 = *DefaultPalette(4);
    EXPECT_EQ(c256.NumberOfEntries, 256);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(c256.Entries[i], c16.Entries[i]);
    EXPECT_EQ(c256.Entries[17], MakeColorRef(0x14, 0x14, 0x14));
    EXPECT_EQ(c256.Entries[30], MakeColorRef(0xE3, 0xB3, 0xB3));
    EXPECT_EQ(RawColor(c256.Entries[31]), 0xFFFFFFu);
    // Run (FF, 00): start (L, L, H), byte 0 rises first, byte 2 falls next.
    EXPECT_EQ(c256.Entries[32], MakeColorRef(0, 0, 0xFF));
    EXPECT_EQ(c256.Entries[33], MakeColorRef(0x41, 0, 0xFF));
    EXPECT_EQ(c256.Entries[36], MakeColorRef(0xFF, 0, 0xFF));
    EXPECT_EQ(c256.Entries[37], MakeColorRef(0xFF, 0, 0xBE));
    // Last of a circle: byte 1 has fallen three steps on the last leg.
    EXPECT_EQ(c256.Entries[32 + 23], MakeColorRef(0, 0x41, 0xFF));
    // Run (FF, B6) is the third: entries 5 and 16 of its circle.
    EXPECT_EQ(c256.Entries[32 + 48 + 5], MakeColorRef(0xDF, 0xB6, 0xEB));
    EXPECT_EQ(c256.Entries[32 + 48 + 16], MakeColorRef(0xB6, 0xDF, 0xB6));
    EXPECT_EQ(c256.Entries[32 + 48 + 6], MakeColorRef(0xFF, 0xB6, 0xDB));
    EXPECT_EQ(c256.Entries[32 + 8 * 24], MakeColorRef(0x2C, 0x2C, 0x41));  // last run's start
    for (int i = 248; i < 256; ++i)
        EXPECT_EQ(RawColor(c256.Entries[i]), 0u);
}

TEST(DibPalettes, ConverterTakesTheNearestEntryAndTheFirstOnATie) {
    TPaletteRecord p;
    p.NumberOfEntries = 4;
    p.Entries[0] = MakeColorRef(0, 0, 0);
    p.Entries[1] = MakeColorRef(10, 0, 0);
    p.Entries[2] = MakeColorRef(20, 0, 0);
    p.Entries[3] = MakeColorRef(10, 0, 0);
    TRgbToPaletteConverter converter(&p);
    EXPECT_EQ(converter.Lookup(MakeColorRef(5, 0, 0)), 0);   // tie between 0 and 1
    EXPECT_EQ(converter.Lookup(MakeColorRef(10, 0, 0)), 1);  // exact: first of the equal entries
    EXPECT_EQ(converter.Lookup(MakeColorRef(16, 0, 0)), 2);
    // A colour sharing a slot (mod 1020) with a remembered one is looked up afresh.
    EXPECT_EQ(converter.Lookup(TColorValue{RawColor(MakeColorRef(5, 0, 0)) + 1020}), 0);
    EXPECT_EQ(converter.Lookup(MakeColorRef(5, 0, 0)), 0);
    TPaletteRecord empty;
    TRgbToPaletteConverter none(&empty);
    EXPECT_EQ(none.Lookup(TColorValue{0x123456}), 0);
}

TEST(DibGraphic, NewImageForEveryFormat) {
    for (uint8_t f = 0; f <= 5; ++f) {
        SCOPED_TRACE(int(f));
        TDibGraphic dib;
        EXPECT_TRUE(dib.Empty());
        dib.NewImage(5, 3, f, nullptr, 300, 72);
        EXPECT_FALSE(dib.Empty());
        EXPECT_EQ(dib.Width(), 5);
        EXPECT_EQ(dib.Height(), 3);
        EXPECT_EQ(dib.ImageFormat(), f);
        EXPECT_EQ(dib.RowBytes(), RowBytes(5, ImageFormatBits(f)));
        EXPECT_EQ(dib.ScanLine(1), dib.ScanLine(0) + dib.RowBytes());  // top-down rows
        EXPECT_EQ(dib.InfoHeader().biXPelsPerMeter, 11811);
        EXPECT_EQ(dib.GetXDpi(), 300);
        EXPECT_EQ(dib.GetYDpi(), 72);
        if (f == ifTrueColor) {
            EXPECT_EQ(dib.PaletteRecord().NumberOfEntries, 0);
            EXPECT_EQ(dib.DIBPalette(), nullptr);
        } else {
            EXPECT_EQ(dib.PaletteRecord().NumberOfEntries, DefaultPalette(f)->NumberOfEntries);
            EXPECT_EQ(dib.PaletteRecord().Version, 0x300);
            ASSERT_NE(dib.DIBPalette(), nullptr);
        }
    }
    TDibGraphic dib;
    dib.NewImage(2, 2, ifColor16, nullptr, 0, 0);
    EXPECT_EQ(dib.GetXDpi(), 96);
}

TEST(DibGraphic, BadNewImageLeavesThePictureEmpty) {
    struct Case {
        int w, h, format;
        const char* message;
    } cases[] = {{4, 4, 6, "Invalid image format"},
                 {4, 4, 255, "Invalid image format"},
                 {0, 4, 5, "Invalid image size 0 x 4"},
                 {4, -1, 5, "Invalid image size 4 x -1"},
                 {100000, 100000, 5, "Image too large: 100000 x 100000 pixels"},
                 {2000000000, 1, 0, "Image too large: 2000000000 x 1 pixels"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TDibGraphic dib;
        dib.NewImage(3, 3, 5, nullptr, 0, 0);
        try {
            dib.NewImage(c.w, c.h, uint8_t(c.format), nullptr, 0, 0);
            FAIL();
        } catch (const ERuvezevoError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_TRUE(dib.Empty());
        EXPECT_EQ(dib.Width(), 0);
        EXPECT_EQ(dib.ScanLine(0), nullptr);
    }
}

TEST(DibGraphic, PixelAccessPerFormat) {
    // Bit and nibble order: 1-bit most significant first, 4-bit high nibble first.
    TDibGraphic bw;
    bw.NewImage(10, 1, ifBlackWhite, nullptr, 0, 0);
    bw.SetPixelIndex(0, 0, 1);
    bw.SetPixelIndex(9, 0, 5);  // any value >= 1 sets the bit
    EXPECT_EQ(bw.ScanLine(0)[0], 0x80);
    EXPECT_EQ(bw.ScanLine(0)[1], 0x40);
    EXPECT_EQ(RawColor(bw.GetPixel(9, 0)), 0xFFFFFFu);
    EXPECT_EQ(RawColor(bw.GetPixel(1, 0)), 0u);

    TDibGraphic grey;
    grey.NewImage(3, 2, ifGray16, nullptr, 0, 0);
    grey.SetPixelIndex(0, 1, 0xA);
    grey.SetPixelIndex(1, 1, 0x3);
    EXPECT_EQ(grey.ScanLine(1)[0], 0xA3);
    EXPECT_EQ(grey.GetPixel(0, 1), MakeColorRef(170, 170, 170));

    TDibGraphic colour;
    colour.NewImage(4, 4, ifColor16, nullptr, 0, 0);
    colour.SetPixel(2, 2, MakeColorRef(0xF0, 0x60, 0x50));  // nearest: (FF, 55, 55) = 12
    EXPECT_EQ(colour.GetPixelIndex(2, 2), 12);
    colour.SetPixel(1, 1, MakeColorRef(0x50, 0x50, 0x58));  // nearest: (55, 55, 55) = 8
    EXPECT_EQ(colour.GetPixelIndex(1, 1), 8);

    TDibGraphic rgb;
    rgb.NewImage(5, 2, ifTrueColor, nullptr, 0, 0);
    rgb.SetPixel(4, 1, MakeColorRef(1, 2, 3));
    EXPECT_EQ(rgb.ScanLine(1)[12], 1);
    EXPECT_EQ(rgb.ScanLine(1)[14], 3);
    EXPECT_EQ(RawColor(rgb.GetPixel(4, 1)), 0x030201u);
    try {
        rgb.GetPixelIndex(0, 0);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "The image does not have a palette");
    }
    EXPECT_THROW(rgb.SetPixelIndex(0, 0, 1), ERuvezevoError);
}

TEST(DibGraphic, NearestColourTieTakesTheFirstEntry) {
    TPaletteRecord p;
    p.NumberOfEntries = 3;
    p.Entries[0] = MakeColorRef(255, 255, 255);
    p.Entries[1] = MakeColorRef(100, 0, 0);
    p.Entries[2] = MakeColorRef(0, 100, 0);
    TDibGraphic dib;
    dib.NewImage(2, 1, ifColor16, &p, 0, 0);
    dib.SetPixel(0, 0, MakeColorRef(50, 50, 0));  // equally near 1 and 2
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 1);
}

TEST(DibGraphic, DimensionsOnlyThroughNewImage) {
    TDibGraphic dib;
    dib.NewImage(2, 2, ifTrueColor, nullptr, 0, 0);
    for (auto set : {&TDibGraphic::SetWidth, &TDibGraphic::SetHeight}) {
        try {
            (dib.*set)(5);
            FAIL();
        } catch (const ERuvezevoError& e) {
            EXPECT_STREQ(e.what(), "Dimensions must be changed with NewImage");
        }
    }
    EXPECT_EQ(dib.Width(), 2);
}

TEST(DibGraphic, AssignCopiesAndNothingEmpties) {
    TDibGraphic source;
    source.NewImage(3, 2, ifColor256, nullptr, 200, 150);
    source.SetPixelIndex(2, 1, 77);
    source.FrameInterval = 50;
    TDibGraphic copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.ImageFormat(), ifColor256);
    EXPECT_EQ(copy.GetPixelIndex(2, 1), 77);
    EXPECT_EQ(copy.GetXDpi(), 200);
    EXPECT_EQ(copy.GetYDpi(), 150);
    EXPECT_EQ(copy.FrameInterval, 50);
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    copy.Assign(&source);
    TDibGraphic empty;
    copy.Assign(&empty);
    EXPECT_TRUE(copy.Empty());
}

TEST(DibGraphic, BitmapsInAndOut) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetSize(4, 3);
    bitmap.Canvas().SetPixel(1, 1, clRed);
    TDibGraphic dib;
    dib.Assign(&bitmap);
    EXPECT_EQ(dib.ImageFormat(), ifColor256);  // 8-bit bitmaps come in as colour
    EXPECT_EQ(dib.GetPixel(1, 1), MakeColorRef(0, 0, 255));
    EXPECT_EQ(RawColor(dib.GetPixel(0, 0)), 0xFFFFFFu);

    TBitmap b15;
    b15.SetPixelFormat(pf15bit);
    b15.SetSize(2, 2);
    dib.Assign(&b15);
    EXPECT_EQ(dib.ImageFormat(), ifTrueColor);

    TDibGraphic picture;
    picture.NewImage(3, 3, ifColor16, nullptr, 0, 0);
    picture.SetPixelIndex(2, 0, 10);  // (55, FF, 55) as stored
    TBitmap out;
    picture.AssignTo(&out);
    EXPECT_EQ(out.PixelFormat(), pf24bit);
    EXPECT_EQ(out.Width(), 3);
    EXPECT_EQ(out.Handle()->GetColor(2, 0), RawColor(MakeColorRef(0x55, 0xFF, 0x55)));

    TBitmap four;
    four.SetPixelFormat(pf4bit);
    four.SetSize(2, 2);
    four.Canvas().SetPixel(0, 0, clBlue);
    TDibGraphic imported;
    imported.ImportNewBitmap(four);
    EXPECT_EQ(imported.ImageFormat(), ifColor16);
    EXPECT_EQ(imported.GetPixel(0, 0), MakeColorRef(0xAA, 0, 0));  // nearest default entry (4)
    TBitmap none;
    try {
        imported.ImportNewBitmap(none);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "ImportNewBitmap failed");
    }
    try {
        imported.ImportBitmapHandle(nullptr);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Invalid bitmap");
    }
    TPersistent other;
    try {
        picture.AssignTo(&other);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TDibGraphic to a TPersistent");
    }
}

TEST(DibGraphic, ExportDibHasTheWindowsLayout) {
    TDibGraphic dib;
    dib.NewImage(3, 2, ifColor16, nullptr, 300, 300);
    dib.SetPixelIndex(0, 0, 0xC);  // top-left
    dib.SetPixelIndex(2, 1, 0x5);  // bottom-right
    const TPackedDib packed = dib.ExportDIB();
    const std::vector<uint8_t>& b = packed.Bytes();
    ASSERT_EQ(b.size(), size_t(40 + 16 * 4 + 2 * 4));
    const BITMAPINFOHEADER h = packed.Header();
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biBitCount, 4);
    EXPECT_EQ(h.biCompression, BI_RGB);
    EXPECT_EQ(h.biXPelsPerMeter, 11811);
    EXPECT_EQ(b[40 + 6 * 4 + 0], 0xAA);  // entry 6 as stored: AA, 55, 00, 0
    EXPECT_EQ(b[40 + 6 * 4 + 1], 0x55);
    EXPECT_EQ(b[40 + 6 * 4 + 3], 0);
    EXPECT_EQ(b[104 + 1], 0x50);  // bottom row first: pixel 2 in the high nibble
    EXPECT_EQ(b[108 + 0], 0xC0);  // then the top row
    TDibGraphic empty;
    EXPECT_TRUE(empty.ExportDIB().Empty());
}

TEST(DibGraphic, ClipboardFormats) {
    TDibGraphic dib;
    try {
        dib.LoadFromClipboardFormat(CF_DIB, std::make_shared<TPixelBuffer>(2, 2, 24), nullptr);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown clipboard format, 8");
    }
    dib.NewImage(4, 2, ifBlackWhite, nullptr, 0, 0);
    dib.SetPixelIndex(3, 1, 1);
    uint16_t format = 0;
    HBITMAP data;
    HPALETTE palette;
    dib.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_BITMAP);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Depth(), 1);
    TDibGraphic back;
    back.LoadFromClipboardFormat(format, data, palette);
    EXPECT_EQ(back.ImageFormat(), ifBlackWhite);
    EXPECT_EQ(RawColor(back.GetPixel(3, 1)), 0xFFFFFFu);

    // Through the application's clipboard.
    TDibGraphic colour;
    colour.NewImage(3, 3, ifTrueColor, nullptr, 0, 0);
    colour.SetPixel(1, 2, MakeColorRef(10, 20, 30));
    Clipboard().Assign(&colour);
    TDibGraphic pasted;
    pasted.Assign(&Clipboard());
    EXPECT_EQ(pasted.Width(), 3);
    EXPECT_EQ(pasted.GetPixel(1, 2), MakeColorRef(10, 20, 30));
}

TEST(DibGraphic, CanvasOnEveryFormat) {
    for (uint8_t f = 0; f <= 5; ++f) {
        SCOPED_TRACE(int(f));
        TDibGraphic dib;
        dib.NewImage(60, 30, f, nullptr, 0, 0);
        TCanvas& canvas = dib.Canvas();
        canvas.Brush.Color = clWhite;
        canvas.FillRect(Rect(0, 0, 60, 30));
        canvas.Brush.Color = clBlack;
        canvas.FillRect(Rect(2, 2, 8, 6));
        EXPECT_EQ(RawColor(dib.GetPixel(2, 2)), 0u);
        EXPECT_EQ(RawColor(dib.GetPixel(7, 5)), 0u);
        EXPECT_EQ(RawColor(dib.GetPixel(8, 5)), 0xFFFFFFu);
        canvas.Brush.Style = bsClear;
        canvas.Font.Color = clBlack;
        canvas.TextOut(10, 8, "Hi");
        int dark = 0;
        for (int y = 8; y < 30; ++y)
            for (int x = 10; x < 60; ++x)
                dark += RawColor(dib.GetPixel(x, y)) == 0;
        EXPECT_GT(dark, 5);
    }
    // On an 8-bit picture a painted colour becomes the nearest palette entry.
    TDibGraphic dib;
    dib.NewImage(4, 4, ifColor256, nullptr, 0, 0);
    dib.Canvas().Brush.Color = RGB(0xE0, 0xB0, 0xB0);  // red E0 -> colour value byte 2
    dib.Canvas().FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(dib.GetPixelIndex(1, 1), dib.Converter()->Lookup(MakeColorRef(0xB0, 0xB0, 0xE0)));
    EXPECT_EQ(dib.GetPixelIndex(1, 1), 80);  // (B6, B6, FF), the start of the (FF, B6) circle
}

TEST(DibGraphic, FramesStepAndWrap) {
    TDibGraphic dib;
    for (int i = 0; i < 3; ++i) {
        auto frame = std::make_unique<TDibGraphic>();
        frame->NewImage(2, 2, ifGray256, nullptr, 0, 0);
        frame->SetPixelIndex(0, 0, uint8_t(10 + i));
        dib.Frames.push_back(std::move(frame));
    }
    EXPECT_EQ(dib.CurrentFrame(), -1);
    dib.SetCurrentFrame(2);
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 11);
    dib.SetPixelIndex(0, 0, 99);
    dib.SetCurrentFrame(2);  // the current frame: nothing happens
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 99);
    for (int bad : {0, 4}) {
        try {
            dib.SetCurrentFrame(bad);
            FAIL();
        } catch (const ERuvezevoError& e) {
            EXPECT_EQ(std::string(e.what()), "Frame " + std::to_string(bad) + " does not exist");
        }
    }
    dib.SetCurrentFrame(3);
    dib.FrameStep();
    EXPECT_EQ(dib.CurrentFrame(), 1);
    EXPECT_EQ(dib.GetPixelIndex(0, 0), 10);
    dib.FrameInterval = 1;
    dib.SetAnimate(true);
    EXPECT_TRUE(dib.Animate());
    dib.SetAnimate(false);
    try {
        TMemoryStream stream;
        dib.AppendToStream(stream);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "The TDibGraphic format does not support multiple images");
    }
}

TEST(DibGraphic, ImportPaletteExchangesRedAndBlue) {
    TDibGraphic dib;
    dib.NewImage(2, 2, ifColor16, nullptr, 0, 0);
    dib.ImportPalette(CreatePalette({{1, 2, 3, 0}, {4, 5, 6, 0}}));
    EXPECT_EQ(dib.PaletteRecord().NumberOfEntries, 2);
    EXPECT_EQ(dib.PaletteRecord().Entries[0], MakeColorRef(3, 2, 1));
    dib.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(dib.GetPixel(0, 0), MakeColorRef(6, 5, 4));
    dib.SetPixel(1, 1, MakeColorRef(6, 5, 4));  // the converter sees the new palette
    EXPECT_EQ(dib.GetPixelIndex(1, 1), 1);
    const HPALETTE handle = dib.DIBPalette();  // entries as stored
    ASSERT_EQ(handle->Entries.size(), 2u);
    EXPECT_EQ(handle->Entries[1].peRed, 6);
}

}  // namespace
}  // namespace lumvor
