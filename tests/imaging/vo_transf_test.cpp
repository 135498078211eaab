#include "imaging/vo_transf.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumvor {
namespace {

TEST(TransformHelpers, ClampBitsAndProgress) {
    EXPECT_EQ(Clamp(-5, 0, 100), 0);
    EXPECT_EQ(Clamp(150, 0, 100), 100);
    EXPECT_EQ(Clamp(42, 0, 100), 42);
    EXPECT_TRUE(HasAllBits(0x0F, 0x05));
    EXPECT_FALSE(HasAllBits(0x0A, 0x05));
    int calls = 0;
    TProgressEvent count = [&](void*, uint8_t) { ++calls; };
    EXPECT_EQ(ReportProgress(nullptr, 5, 0, 255, 10, nullptr), 0);
    EXPECT_EQ(ReportProgress(nullptr, 5, 0, 255, 10, count), 50);
    EXPECT_EQ(ReportProgress(nullptr, 5, 0, 50, 10, count), 50);  // unchanged: no call
    EXPECT_EQ(ReportProgress(nullptr, 20, 0, 50, 10, count), 100);
    EXPECT_EQ(ReportProgress(nullptr, 0, 0, 50, 0, count), 100);   // zero-width range
    EXPECT_EQ(calls, 3);
    try {
        RaiseLzwNotSupported();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "LZW not supported");
    }
}

TEST(TransformHelpers, DateAndTimePatterns) {
    // 2003-07-14 15:04:09 is day 37816 after 1899-12-30.
    const double when = 37816 + (15 * 3600 + 4 * 60 + 9) / 86400.0;
    EXPECT_EQ(FormatDateWith("yyyy:mm:dd", when), "2003:07:14");
    EXPECT_EQ(FormatDateWith("d/m/yy", when), "14/7/03");
    EXPECT_EQ(FormatTimeWith("hh:nn:ss", when), "15:04:09");
    EXPECT_EQ(FormatTimeWith("hh:mm", when), "15:04");
}

TEST(NegativeTransform, EachFormatAsHandComputed) {
    TNegativeTransform negative;
    TDibGraphic bw;
    bw.NewImage(3, 2, ifBlackWhite, nullptr, 0, 0);
    bw.ScanLine(0)[0] = 0xA0;
    negative.Apply(bw);
    EXPECT_EQ(bw.ScanLine(0)[0], 0x5F);
    EXPECT_EQ(bw.ScanLine(0)[3], 0xFF);  // the row's padding too
    negative.Apply(bw);
    EXPECT_EQ(bw.ScanLine(0)[0], 0xA0);
    EXPECT_EQ(bw.ScanLine(1)[3], 0x00);

    TDibGraphic grey4;
    grey4.NewImage(2, 1, ifGray16, nullptr, 0, 0);
    grey4.ScanLine(0)[0] = 0x1E;
    negative.Apply(grey4);
    EXPECT_EQ(grey4.ScanLine(0)[0], 0xE1);

    TDibGraphic grey8;
    grey8.NewImage(2, 1, ifGray256, nullptr, 0, 0);
    grey8.ScanLine(0)[1] = 200;
    negative.Apply(grey8);
    EXPECT_EQ(grey8.ScanLine(0)[1], 55);

    TDibGraphic colour;
    colour.NewImage(2, 2, ifColor256, nullptr, 300, 300);
    colour.SetPixelIndex(1, 1, 37);
    const TColorValue before = colour.PaletteRecord().Entries[37];
    negative.Apply(colour);
    EXPECT_EQ(colour.GetPixelIndex(1, 1), 37);
    EXPECT_EQ(RawColor(colour.PaletteRecord().Entries[37]), ~RawColor(before) & 0xFFFFFF);
    EXPECT_EQ(RawColor(colour.PaletteRecord().Entries[0]), 0xFFFFFFu);
    EXPECT_EQ(colour.GetXDpi(), 300);

    TDibGraphic rgb;
    rgb.NewImage(2, 1, ifTrueColor, nullptr, 0, 0);
    rgb.SetPixel(0, 0, MakeColorRef(0, 128, 255));
    TDibGraphic result;
    negative.ApplyOnDest(rgb, result);
    EXPECT_EQ(result.GetPixel(0, 0), MakeColorRef(255, 127, 0));
    EXPECT_EQ(rgb.GetPixel(0, 0), MakeColorRef(0, 128, 255));  // source untouched
    EXPECT_EQ(rgb.ScanLine(0)[6], 0);  // padding of 24-bit rows untouched
    negative.Apply(rgb);
    EXPECT_EQ(rgb.ScanLine(0)[6], 0);
}

TEST(NegativeTransform, ProgressCountsEveryPercentOnce) {
    TDibGraphic dib;
    dib.NewImage(4, 101, ifGray256, nullptr, 0, 0);
    std::vector<int> seen;
    TNegativeTransform negative;
    negative.OnProgress = [&](void* sender, uint8_t percent) {
        EXPECT_EQ(sender, &negative);
        seen.push_back(percent);
    };
    negative.Apply(dib);
    ASSERT_EQ(seen.size(), 101u);
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(seen[size_t(i)], i);
    TDibGraphic one;
    one.NewImage(4, 1, ifTrueColor, nullptr, 0, 0);
    seen.clear();
    negative.Apply(one);
    EXPECT_EQ(seen, (std::vector<int>{0, 100}));
}

TEST(ImageTransform, BaseTransformIsNotImplemented) {
    TImageTransform transform;
    TDibGraphic dib;
    dib.NewImage(2, 2, ifTrueColor, nullptr, 0, 0);
    try {
        transform.Apply(dib);
        FAIL();
    } catch (const ERuvezevoError& e) {
        EXPECT_STREQ(e.what(), "Method \"ApplyOnDest\" not implemented for TImageTransform class");
    }
    EXPECT_EQ(dib.Width(), 2);
}

}  // namespace
}  // namespace lumvor
