// The imaging library's colour reducer: palettes and colour counts as PIL reads
// them from the saved result, the posterized mapping against a numpy port of
// the nearest-entry rule, the error of the dithered results against the
// original and against PIL's own quantizer, and refusals.
#include "imgman/imgman.h"

#include "imaging/vo_DIB.h"
#include "imgman/ImgReduce.h"
#include "platform/Graphics.h"
#include "support/case_names.h"
#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using test::CommandOutput;

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/reduce/" + name; }

// The handle's picture as the image window gets it: a bitmap of its depth
// with its palette, printed over.
std::unique_ptr<TBitmap> PictureOf(int handle) {
    IMGINFO info;
    if (ImgGetInfoStruct(handle, &info) != 1)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(DepthPixelFormat(info.Header.biBitCount));
    bitmap->SetSize(info.Header.biWidth, info.Header.biHeight);
    if (HPALETTE palette = ImgGetPalette(handle))
        bitmap->SetPalette(palette);
    if (ImgPrintImage(handle, bitmap->Canvas(), Rect(0, 0, info.Header.biWidth - 1, info.Header.biHeight - 1), 0) != 1)
        return nullptr;
    return bitmap;
}

// Channel values (red, green, blue) of every pixel, row by row.
std::vector<int> Channels(const TPixelBuffer& p) {
    std::vector<int> out;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const uint32_t c = p.GetColor(x, y);
            out.insert(out.end(), {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)});
        }
    return out;
}

// The mean of each channel.
std::vector<double> Means(const std::vector<int>& channels) {
    std::vector<double> mean(3, 0);
    for (size_t i = 0; i < channels.size(); ++i)
        mean[i % 3] += channels[i];
    for (double& m : mean)
        m /= double(channels.size() / 3);
    return mean;
}

// Mean squared difference of the two pictures after a 4 x 4 box blur of each
// (what the eye sees of a dither from a little way off).
double BlurredError(const TPixelBuffer& a, const TPixelBuffer& b) {
    const std::vector<int> ca = Channels(a), cb = Channels(b);
    const int w = a.Width(), h = a.Height();
    double total = 0;
    int count = 0;
    for (int y = 0; y + 4 <= h; ++y)
        for (int x = 0; x + 4 <= w; ++x)
            for (int c = 0; c < 3; ++c) {
                double d = 0;
                for (int v = 0; v < 4; ++v)
                    for (int u = 0; u < 4; ++u) {
                        const size_t at = (size_t(y + v) * size_t(w) + size_t(x + u)) * 3 + size_t(c);
                        d += ca[at] - cb[at];
                    }
                total += (d / 16) * (d / 16);
                ++count;
            }
    return total / count;
}

class ReduceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ImgInit();
        source = ImgOpenSolo(Fixture("colour_gradient.png"), 0);
        ASSERT_NE(source, 0) << imgman::LastErrorText();
        original = PictureOf(source);
        ASSERT_TRUE(original);
    }
    void TearDown() override {
        imgman::ReduceObserver = nullptr;
        ImgShutdown();
    }
    // The reduction saved as a BMP file in the temporary folder; its name.
    std::string Saved(TBitmap& picture, const std::string& name) {
        const std::string file = dir.path().toStdString() + "/" + name + ".bmp";
        picture.SaveToFile(file);
        return file;
    }
    std::string Python(const std::string& script) {
        return CommandOutput("/usr/bin/python3 -c \"" + script + "\" 2>&1");
    }

    QTemporaryDir dir;
    int source = 0;
    std::unique_ptr<TBitmap> original;
};

struct FlagCase {
    const char* name;
    int colours;
    int32_t flags;
    int bits;
    bool grey;
};

class ReduceFlagsTest : public ReduceTest, public ::testing::WithParamInterface<FlagCase> {};

// Each colour count and method gives a picture of that depth whose palette PIL
// counts within the limit, grey where greys were asked for; the palette the
// library hands out is the picture's.
TEST_P(ReduceFlagsTest, PaletteSizeAndGreysAsPilReadsThem) {
    const FlagCase& c = GetParam();
    const int reduced = ImgReduceColors(source, c.colours, c.flags);
    ASSERT_NE(reduced, 0) << imgman::LastErrorText();
    IMGINFO info;
    ASSERT_EQ(ImgGetInfoStruct(reduced, &info), 1);
    EXPECT_EQ(info.Header.biBitCount, c.bits);
    EXPECT_EQ(info.Header.biWidth, 96);
    EXPECT_EQ(info.Header.biClrUsed, uint32_t(1 << c.bits));
    const HPALETTE palette = ImgGetPalette(reduced);
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->Entries.size(), size_t(1) << c.bits);
    const std::unique_ptr<TBitmap> picture = PictureOf(reduced);
    ASSERT_TRUE(picture);

    const std::string file = Saved(*picture, c.name);
    const std::string report = Python("from PIL import Image; im = Image.open('" + file +
                                      "').convert('RGB'); cs = im.getcolors(1 << 24); "
                                      "print(len(cs), all(r == g == b for n, (r, g, b) in cs))");
    std::istringstream in(report);
    int used = 0;
    std::string allGrey;
    in >> used >> allGrey;
    ASSERT_GT(used, 1) << report;
    EXPECT_LE(used, c.colours) << report;
    if (c.grey)
        EXPECT_EQ(allGrey, "True") << report;
    else
        EXPECT_GT(used, c.colours / 2) << "a colour picture keeps most of its palette";
}

INSTANTIATE_TEST_SUITE_P(
    Reduce, ReduceFlagsTest,
    ::testing::Values(FlagCase{"BwThreshold", 2, 1, 1, true}, FlagCase{"BwOrdered", 2, 2, 1, true},
                      FlagCase{"BwDiffused", 2, 4, 1, true}, FlagCase{"Colours16Standard", 16, 0x14, 4, false},
                      FlagCase{"Colours16Better", 16, 0x24, 4, false},
                      FlagCase{"Colours16Optimal", 16, 0x44, 4, false},
                      FlagCase{"Colours256Standard", 256, 0x14, 8, false},
                      FlagCase{"Colours256Optimal", 256, 0x44, 8, false},
                      FlagCase{"Greys256Standard", 256, 0x1C, 8, true},
                      FlagCase{"Greys256Optimal", 256, 0x4C, 8, true}, FlagCase{"Greys16Better", 16, 0x2C, 4, true},
                      FlagCase{"Poster16", 16, 0x20, 4, false}),
    test::CaseNames<&FlagCase::name>);

// Posterizing takes, for every pixel, the first nearest entry of the picture
// module's default 16- or 256-colour palette: numpy's argmin over the squared
// distances finds the same entry for all 6,144 pixels.
TEST_F(ReduceTest, PosterizeTakesTheNearestEntryOfTheFixedPalette) {
    for (int colours : {16, 256}) {
        SCOPED_TRACE(colours);
        const int reduced = ImgReduceColors(source, colours, IMG_REDUCE_FIXED);
        ASSERT_NE(reduced, 0) << imgman::LastErrorText();
        const std::unique_ptr<TBitmap> picture = PictureOf(reduced);
        const TPaletteRecord* fixed = DefaultPalette(colours == 16 ? ifColor16 : ifColor256);
        std::string entries;
        for (int i = 0; i < fixed->NumberOfEntries; ++i)
            entries += std::to_string(RawColor(fixed->Entries[size_t(i)])) + ",";
        EXPECT_EQ(*picture->Handle()->ColorTable.data(), RawColor(fixed->Entries[0]));
        const std::string file = Saved(*picture, "poster" + std::to_string(colours));
        const std::string report = Python(
            "import numpy as np; from PIL import Image; "
            "t = np.array([" + entries + "], dtype=np.int64); "
            "pal = np.stack([(t >> 16) & 255, (t >> 8) & 255, t & 255], axis=1); "
            "src = np.asarray(Image.open('" + Fixture("colour_gradient.png") + "').convert('RGB'), dtype=np.int64).reshape(-1, 3); "
            "got = np.asarray(Image.open('" + file + "').convert('RGB'), dtype=np.int64).reshape(-1, 3); "
            "want = pal[np.argmin(((src[:, None, :] - pal[None, :, :]) ** 2).sum(axis=2), axis=1)]; "
            "print(int((got != want).any(axis=1).sum()), len(src))");
        EXPECT_EQ(report, "0 6144\n");
    }
}

// A smooth gradient dithered keeps its mean colour within 3 levels per channel,
// and seen through a 4 x 4 blur lies closer to the original than the same
// reduction without dithering.
TEST_F(ReduceTest, DitheringKeepsTheMeanAndBeatsPlainMappingWhenBlurred) {
    const TPixelBuffer& before = *original->Handle();
    const std::vector<double> meanBefore = Means(Channels(before));
    struct Case {
        int colours;
        int32_t dithered, plain;
    };
    for (const Case& c : {Case{16, 0x14, 0x20}, Case{16, 0x24, 0x20}, Case{16, 0x44, 0x20}, Case{2, 4, 1},
                          Case{2, 2, 1}}) {
        SCOPED_TRACE(std::to_string(c.colours) + " colours, flags " + std::to_string(c.dithered));
        const int dithered = ImgReduceColors(source, c.colours, c.dithered);
        const int plain = ImgReduceColors(source, c.colours, c.plain);
        ASSERT_NE(dithered, 0);
        ASSERT_NE(plain, 0);
        const std::unique_ptr<TBitmap> a = PictureOf(dithered), b = PictureOf(plain);
        if (c.colours > 2) {
            const std::vector<double> mean = Means(Channels(*a->Handle()));
            for (int ch = 0; ch < 3; ++ch)
                EXPECT_NEAR(mean[size_t(ch)], meanBefore[size_t(ch)], 3.0) << "channel " << ch;
        }
        EXPECT_LT(BlurredError(*a->Handle(), before), BlurredError(*b->Handle(), before));
    }
}

// The Optimal 16-colour result is as close to the original as PIL's own
// quantizer (median cut with Floyd-Steinberg) gets, within a quarter.
TEST_F(ReduceTest, OptimalErrorWithinPilsQuantizer) {
    const int reduced = ImgReduceColors(source, 16, IMG_REDUCE_OPTIMAL);
    ASSERT_NE(reduced, 0);
    const std::string file = Saved(*PictureOf(reduced), "optimal16");
    const std::string report = Python(
        "import numpy as np; from PIL import Image; "
        "src = Image.open('" + Fixture("colour_gradient.png") + "').convert('RGB'); "
        "a = np.asarray(src, dtype=float); "
        "pil = np.asarray(src.quantize(16).convert('RGB'), dtype=float); "
        "ours = np.asarray(Image.open('" + file + "').convert('RGB'), dtype=float); "
        "print(((ours - a) ** 2).mean(), ((pil - a) ** 2).mean())");
    std::istringstream in(report);
    double ours = -1, pil = -1;
    in >> ours >> pil;
    ASSERT_GT(pil, 0) << report;
    EXPECT_LE(ours, 1.25 * pil) << report;
}

// A picture with no more colours than asked for keeps every pixel; a picture
// of any depth is reduced; other colour counts and unknown handles fail with
// a text; the observer sees every call.
TEST_F(ReduceTest, FewColoursStayExactAndBadCallsFail) {
    TPixelBuffer few(7, 5, 24);
    const uint32_t colours[5] = {0x102030, 0xFF0000, 0x00FF80, 0x808080, 0xFEFEFE};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            few.SetColor(x, y, colours[(x + y) % 5]);
    std::vector<std::pair<int, int32_t>> calls;
    imgman::ReduceObserver = [&](int n, int32_t flags) { calls.push_back({n, flags}); };
    const int handle = ImgFromDIB(TPackedDib::FromPixels(few));
    for (int32_t flags : {0x14, 0x24, 0x44}) {
        const int reduced = ImgReduceColors(handle, 16, flags);
        ASSERT_NE(reduced, 0);
        const std::unique_ptr<TBitmap> picture = PictureOf(reduced);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(picture->Handle()->GetColor(x, y) & 0xFFFFFF, colours[(x + y) % 5]) << x << "," << y;
    }

    TPixelBuffer indexed(4, 4, 4);
    indexed.ColorTable[3] = 0xFFFFFF;
    indexed.SetIndex(1, 1, 3);
    const int bw = ImgReduceColors(ImgFromDIB(TPackedDib::FromPixels(indexed)), 2, 1);
    ASSERT_NE(bw, 0);
    EXPECT_EQ(PictureOf(bw)->Handle()->GetColor(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(PictureOf(bw)->Handle()->GetColor(0, 0) & 0xFFFFFF, 0u);

    EXPECT_EQ(ImgReduceColors(handle, 8, 0x14), 0);
    EXPECT_EQ(imgman::LastErrorText(), "Colours can be reduced to 2, 16 or 256 only, not 8.");
    EXPECT_EQ(ImgReduceColors(987654, 256, 0x14), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SInvalidHandle);
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[4], std::make_pair(8, int32_t(0x14)));
}

// Raising an indexed picture keeps its colours; lowering maps onto the
// bitmap's standard table of that depth.
TEST(ChangeDepth, RaisingKeepsColoursLoweringTakesTheStandardTable) {
    TPixelBuffer four(3, 2, 4);
    four.ColorTable[1] = 0x123456;
    four.ColorTable[2] = 0xABCDEF;
    four.SetIndex(0, 0, 1);
    four.SetIndex(2, 1, 2);
    const TPixelBuffer eight = imgman::ChangeDepth(four, 8);
    EXPECT_EQ(eight.Depth(), 8);
    EXPECT_EQ(eight.GetColor(0, 0), 0x123456u);
    EXPECT_EQ(eight.GetColor(2, 1), 0xABCDEFu);

    TPixelBuffer rgb(2, 1, 24);
    rgb.SetColor(0, 0, 0xF01010);
    rgb.SetColor(1, 0, 0x7F7F80);
    const TPixelBuffer sixteen = imgman::ChangeDepth(rgb, 4);
    const std::vector<uint32_t> standard = DefaultBitmapColorTable(4);
    EXPECT_EQ(sixteen.ColorTable, standard);
    EXPECT_EQ(sixteen.GetColor(0, 0), 0xFF0000u);
    EXPECT_EQ(sixteen.GetColor(1, 0), 0x808080u);
    EXPECT_THROW(imgman::ChangeDepth(rgb, 16), Exception);
}

}  // namespace
}  // namespace lumvor
