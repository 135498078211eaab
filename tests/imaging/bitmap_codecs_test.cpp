// TTgaGraphic, TPcxGraphic and TBmpGraphic: loading tool-made files, saving
// files that independent tools read back, streams at non-zero positions,
// header reads and failed reads.
#include "bitmap_fixtures.h"

#include "imaging/vo_BMP.h"
#include "imaging/vo_GBM.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_TGA.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace lumvor {
namespace {

using namespace bitmaptest;

enum Kind { kBmp, kPcx, kTga };

std::unique_ptr<TCodecGraphic> Make(Kind kind) {
    switch (kind) {
    case kBmp: return std::make_unique<TBmpGraphic>();
    case kPcx: return std::make_unique<TPcxGraphic>();
    default: return std::make_unique<TTgaGraphic>();
    }
}

const char* Extension(Kind kind) { return kind == kBmp ? "bmp" : kind == kPcx ? "pcx" : "tga"; }

// GetPixel's colour value has red in bits 16-23 and blue in 0-7, like 0xRRGGBB.
struct View {
    const TDibGraphic& g;
    uint32_t At(int x, int y) const { return static_cast<uint32_t>(g.GetPixel(x, y)) & 0xFFFFFF; }
};

std::string TempPath(const std::string& name) {
    const char* home = std::getenv("LUMVOR_HOME");
    return std::string(home ? home : "/tmp") + "/" + name;
}

// Runs a shell command and returns what it printed.
std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, p))
            out += buffer;
        pclose(p);
    }
    return out;
}

void Load(TCodecGraphic& g, const Bytes& file) {
    TMemoryStream stream;
    Fill(stream, file);
    g.LoadFromStream(stream);
}

struct LoadCase {
    const char* file;
    Kind kind;
    const char* reference;
    uint8_t format;
};

TEST(BitmapCodecs, LoadFilesOfIndependentTools) {
    const LoadCase cases[] = {
        {"win24.bmp", kBmp, "rgb.ppm", ifTrueColor},      {"win8.bmp", kBmp, "c16.ppm", ifColor256},
        {"win4.bmp", kBmp, "c16.ppm", ifColor16},         {"win1.bmp", kBmp, "bw.pbm", ifBlackWhite},
        {"os2_24.bmp", kBmp, "rgb.ppm", ifTrueColor},     {"os2_8.bmp", kBmp, "c16.ppm", ifColor256},
        {"os2_4.bmp", kBmp, "c16.ppm", ifColor16},        {"os2_1.bmp", kBmp, "bw.pbm", ifBlackWhite},
        {"rle8.bmp", kBmp, "c16.ppm", ifColor256},        {"bmp2_4.bmp", kBmp, "c16.ppm", ifColor16},
        {"bmp3_24.bmp", kBmp, "rgb.ppm", ifTrueColor},    {"pcx1.pcx", kPcx, "bw.pbm", ifBlackWhite},
        {"pcx4planes.pcx", kPcx, "c16.ppm", ifColor16},   {"pcx4packed.pcx", kPcx, "c16.ppm", ifColor16},
        {"pcx8.pcx", kPcx, "c16.ppm", ifColor256},        {"pcx24.pcx", kPcx, "rgb.ppm", ifTrueColor},
        {"tga24.tga", kTga, "rgb.ppm", ifTrueColor},      {"tga24rle.tga", kTga, "rgb.ppm", ifTrueColor},
        {"tga8cmap.tga", kTga, "c16.ppm", ifColor256},    {"tga8cmaprle.tga", kTga, "c16.ppm", ifColor256},
        {"tgagrey.tga", kTga, "gray.pgm", ifColor256},
        {"tgagreyrle_im.tga", kTga, "tgagreyrle_im.ref.pgm", ifColor256},
        {"tga24rle_im.tga", kTga, "tga24rle_im.ref.ppm", ifTrueColor},
        {"tga24topleft_im.tga", kTga, "rgb.ppm", ifTrueColor},
        {"tga24topleftrle_im.tga", kTga, "rgb.ppm", ifTrueColor},
        {"tga8topleftrle_im.tga", kTga, "c16.ppm", ifColor256},
        {"tga32_im.tga", kTga, "tga32_im.ref.ppm", ifTrueColor},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.file);
        auto g = Make(c.kind);
        Load(*g, Fixture(c.file));
        EXPECT_EQ(g->ImageFormat(), c.format);
        EXPECT_TRUE(SamePixels(View{*g}, g->Width(), g->Height(), ReadPnm(FixturePath(c.reference))));
        if (c.kind == kBmp) {
            EXPECT_FALSE(static_cast<TBmpGraphic&>(*g).LoadedByBitmap);
        }
        TMemoryStream stream;
        Fill(stream, Fixture(c.file));
        EXPECT_EQ(g->GetImageCount(stream), 1);
    }
    // netpbm writes the picture size into the PCX resolution words.
    TPcxGraphic pcx;
    Load(pcx, Fixture("pcx8.pcx"));
    EXPECT_EQ(pcx.GetXDpi(), 13);
    EXPECT_EQ(pcx.GetYDpi(), 7);
}

TEST(BitmapCodecs, BmpTheModuleRefusesLoadsThroughTheBitmapReader) {
    const std::pair<const char*, const char*> cases[] = {{"bmp4_32.bmp", "rgb.ppm"}, {"topdown24.bmp", "rgb.ppm"}};
    for (auto [file, reference] : cases) {
        SCOPED_TRACE(file);
        TBmpGraphic g;
        Load(g, Fixture(file));
        EXPECT_TRUE(g.LoadedByBitmap);
        EXPECT_EQ(g.ImageFormat(), ifTrueColor);
        EXPECT_TRUE(SamePixels(View{g}, g.Width(), g.Height(), ReadPnm(FixturePath(reference))));
    }
    // 5-bit channels widen to 8 bits by shifting (netpbm) or by repeating the
    // top bits; both land within 7 of each other.
    TBmpGraphic g16;
    Load(g16, Fixture("bmp4_16.bmp"));
    EXPECT_TRUE(g16.LoadedByBitmap);
    Rgb want = ReadPnm(FixturePath("bmp4_16.ref.ppm"));
    ASSERT_EQ(g16.Width(), want.w);
    for (int y = 0; y < want.h; ++y)
        for (int x = 0; x < want.w; ++x)
            for (int shift : {0, 8, 16})
                ASSERT_NEAR(int(View{g16}.At(x, y) >> shift & 255), int(want.At(x, y) >> shift & 255), 7);
    // Neither reader can: the bitmap reader's error passes on, the picture is empty.
    TBmpGraphic g;
    Load(g, Fixture("win24.bmp"));
    Bytes bad = Fixture("win24.bmp");
    bad.resize(100);
    EXPECT_THROW(Load(g, bad), Exception);
    EXPECT_TRUE(g.IsEmpty());
}

TEST(BitmapCodecs, PictureInsideALargerStreamReadsLikeTheFileAlone) {
    const std::pair<const char*, Kind> cases[] = {
        {"win8.bmp", kBmp}, {"rle8.bmp", kBmp}, {"bmp4_32.bmp", kBmp}, {"pcx8.pcx", kPcx},
        {"pcx24.pcx", kPcx}, {"tga8cmaprle.tga", kTga}, {"tga24.tga", kTga}};
    for (auto [file, kind] : cases) {
        SCOPED_TRACE(file);
        Bytes alone = Fixture(file);
        auto a = Make(kind);
        Load(*a, alone);

        Bytes inside(1000, 0xAB);  // e.g. a cache record before the picture
        inside.insert(inside.end(), alone.begin(), alone.end());
        TMemoryStream stream;
        Fill(stream, inside);
        stream.SetPosition(1000);
        auto b = Make(kind);
        b->LoadFromStream(stream);
        ASSERT_EQ(b->Width(), a->Width());
        EXPECT_EQ(b->ImageFormat(), a->ImageFormat());
        EXPECT_EQ(b->GetXDpi(), a->GetXDpi());
        for (int y = 0; y < a->Height(); ++y)
            ASSERT_EQ(0, std::memcmp(a->ScanLine(y), b->ScanLine(y), size_t(a->RowBytes()))) << y;
    }
}

TEST(BitmapCodecs, HeaderReadsFillInfoAndLeaveTheHeaderStreamEmpty) {
    struct {
        const char* file;
        Kind kind;
        int bits;
    } cases[] = {{"win4.bmp", kBmp, 4}, {"os2_1.bmp", kBmp, 1}, {"pcx24.pcx", kPcx, 24},
                 {"tgagrey.tga", kTga, 8}, {"tga32_im.tga", kTga, 24}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto g = Make(c.kind);
        EXPECT_EQ(g->InfoWidth, 0);
        if (c.kind == kBmp)
            static_cast<TBmpGraphic&>(*g).LoadedByBitmap = true;
        switch (c.kind) {
        case kBmp: static_cast<TBmpGraphic&>(*g).ReadFileInfo(FixturePath(c.file)); break;
        case kPcx: static_cast<TPcxGraphic&>(*g).ReadFileInfo(FixturePath(c.file)); break;
        case kTga: static_cast<TTgaGraphic&>(*g).ReadFileInfo(FixturePath(c.file)); break;
        }
        EXPECT_EQ(g->InfoWidth, 13);
        EXPECT_EQ(g->InfoHeight, 7);
        EXPECT_EQ(g->InfoBitCount, c.bits);
        EXPECT_EQ(g->HeaderStream.Size(), 0);
        EXPECT_TRUE(g->IsEmpty());
        if (c.kind == kBmp) {
            EXPECT_FALSE(static_cast<TBmpGraphic&>(*g).LoadedByBitmap);
        }
    }
    TPcxGraphic pcx;
    std::string bad = TempPath("bad.pcx");
    Bytes file = Fixture("pcx8.pcx");
    file[1] = 4;
    WriteBytes(bad, file);
    EXPECT_THROW(pcx.ReadFileInfo(bad), EGbmError);
    EXPECT_EQ(pcx.HeaderStream.Size(), 0);
    EXPECT_THROW(pcx.ReadFileInfo(TempPath("missing.pcx")), EFOpenError);
    EXPECT_EQ(pcx.HeaderStream.Size(), 0);
    try {
        pcx.ReadFileInfo(bad);
    } catch (const EGbmError& e) {
        EXPECT_EQ(e.Message(), "gbm_read_header failed.");
    }
}

// A picture of the format with every palette index or many colours in use.
void Pattern(TDibGraphic& g, uint8_t format, int dpi) {
    const int w = 13, h = 7;
    TPaletteRecord* palette = nullptr;
    TPaletteRecord ownPalette;
    if (format == ifBlackWhite) {  // white first: the order must survive
        ownPalette.NumberOfEntries = 2;
        ownPalette.Entries[0] = TColorValue{0xFFFFFF};
        ownPalette.Entries[1] = TColorValue{0};
        palette = &ownPalette;
    }
    g.NewImage(w, h, format, palette, uint16_t(dpi), uint16_t(dpi));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (format == ifTrueColor)
                g.SetPixel(x, y, MakeColorRef(uint8_t(x * 19), uint8_t(y * 37 + x), uint8_t(x * y * 5)));
            else
                g.SetPixelIndex(x, y, uint8_t((x * 7 + y * 3) % (1 << ImageFormatBits(format))));
        }
}

TEST(BitmapCodecs, SavedFilesReadBackByIndependentToolsWithTheSamePixels) {
    const char* readers[] = {"bmptopnm", "pcxtoppm", "tgatoppm"};
    for (Kind kind : {kBmp, kPcx, kTga}) {
        for (uint8_t format = 0; format <= 5; ++format) {
            if (kind == kTga && format != ifGray256 && format != ifColor256 && format != ifTrueColor)
                continue;
            SCOPED_TRACE(std::string(Extension(kind)) + " format " + std::to_string(format));
            auto g = Make(kind);
            Pattern(*g, format, 300);
            std::string path = TempPath(std::string("saved.") + Extension(kind));
            g->SaveToFile(path);
            std::string ppm = TempPath("saved.ppm");
            RunCommand(std::string(readers[kind]) + " " + path + " > " + ppm + " 2>/dev/null");
            EXPECT_TRUE(SamePixels(View{*g}, g->Width(), g->Height(), ReadPnm(ppm)));

            // And by our own reader, with the resolution (TGA stores none).
            auto back = Make(kind);
            back->LoadFromFile(path);
            EXPECT_TRUE(SamePixels(View{*back}, back->Width(), back->Height(), ReadPnm(ppm)));
            if (kind == kPcx) {
                EXPECT_EQ(back->GetXDpi(), 300);
            } else if (kind == kBmp) {
                EXPECT_EQ(back->GetXDpi(), 300);
                std::string dpi = RunCommand("/usr/bin/python3 -c \"from PIL import Image; "
                                      "print(round(Image.open('" + path + "').info['dpi'][0]))\" 2>&1");
                EXPECT_EQ(dpi, "300\n");
            }
        }
    }
}

// Whether two pictures have the same size and colours.
::testing::AssertionResult SamePictures(const TDibGraphic& actual, const TDibGraphic& expected) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height())
        return ::testing::AssertionFailure() << "size " << actual.Width() << "x" << actual.Height();
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x)
            if (View{actual}.At(x, y) != View{expected}.At(x, y))
                return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

// Saved Targa files as ImageMagick, netpbm and PIL read them: the same pixels
// as the picture, top row on top, so the origin bit names the row order the
// writer uses. A file of the earlier layout (bottom row first, origin bit
// clear) still reads the right way up.
TEST(BitmapCodecs, SavedTargaFilesReadTheRightWayUpByEveryCommonReader) {
    struct Reader {
        const char* name;
        const char* tool;
        std::string command;  // %in and %out replaced
    } readers[] = {
        {"ImageMagick", "/usr/bin/convert", "/usr/bin/convert %in -depth 8 ppm:%out"},
        {"netpbm", "tgatoppm", "tgatoppm %in > %out"},
        {"PIL", "/usr/bin/python3",
         "/usr/bin/python3 -c \"from PIL import Image; Image.open('%in').convert('RGB').save('%out', 'PPM')\""},
    };
    const auto replaced = [](std::string text, const std::string& in, const std::string& out) {
        text.replace(text.find("%in"), 3, in);
        text.replace(text.find("%out"), 4, out);
        return text;
    };
    for (uint8_t format : {ifGray256, ifColor256, ifTrueColor}) {
        SCOPED_TRACE("format " + std::to_string(format));
        TTgaGraphic g;
        Pattern(g, format, 0);
        const std::string path = TempPath("upright.tga");
        g.SaveToFile(path);
        const Bytes file = ReadBytes(path);
        ASSERT_GT(file.size(), 18u);
        EXPECT_EQ(file[17] & 0x30, 0x20);  // top-left origin
        for (const Reader& reader : readers) {
            if (RunCommand(std::string("command -v ") + reader.tool).empty()) {
                ADD_FAILURE() << reader.name << " is not installed";
                continue;
            }
            const std::string ppm = TempPath("upright.ppm");
            std::remove(ppm.c_str());
            RunCommand(replaced(reader.command, path, ppm) + " 2>/dev/null");
            EXPECT_TRUE(SamePixels(View{g}, g.Width(), g.Height(), ReadPnm(ppm))) << reader.name;
        }
        TTgaGraphic back;
        back.LoadFromFile(path);
        EXPECT_TRUE(SamePictures(back, g));
    }

    // The earlier layout of a true-colour file: its rows in the other order
    // and the origin bit clear.
    TTgaGraphic g;
    Pattern(g, ifTrueColor, 0);
    const std::string path = TempPath("bottomup.tga");
    g.SaveToFile(path);
    Bytes file = ReadBytes(path);
    const size_t rowBytes = size_t(g.Width()) * 3;
    ASSERT_EQ(file.size(), 18 + rowBytes * size_t(g.Height()));
    Bytes earlier(file.begin(), file.begin() + 18);
    earlier[17] = 0;
    for (int row = g.Height() - 1; row >= 0; --row) {
        const auto start = file.begin() + 18 + std::ptrdiff_t(rowBytes) * row;
        earlier.insert(earlier.end(), start, start + std::ptrdiff_t(rowBytes));
    }
    WriteBytes(path, earlier);
    TTgaGraphic back;
    back.LoadFromFile(path);
    EXPECT_TRUE(SamePictures(back, g));
}

TEST(BitmapCodecs, BmpWriterLayout) {
    TBmpGraphic g;
    Pattern(g, ifColor256, 96);
    TMemoryStream stream;
    g.SaveToStream(stream);
    Bytes b = Contents(stream);
    auto get32 = [&](size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; };
    EXPECT_EQ(get32(10), 1078u);
    EXPECT_EQ(get32(2), b.size());
    EXPECT_EQ(get32(46), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(get32(54 + 4 * i), static_cast<uint32_t>(g.PaletteRecord().Entries[i])) << i;

    // A two-colour picture with white first keeps that order in the file.
    TBmpGraphic bw;
    Pattern(bw, ifBlackWhite, 96);
    Fill(stream, {});
    bw.SaveToStream(stream);
    b = Contents(stream);
    EXPECT_EQ(get32(10), 62u);
    EXPECT_EQ(get32(54), 0xFFFFFFu);
    EXPECT_EQ(get32(58), 0u);
    TBmpGraphic back;
    Load(back, b);
    EXPECT_EQ(static_cast<uint32_t>(back.PaletteRecord().Entries[0]), 0xFFFFFFu);
    EXPECT_EQ(back.GetPixelIndex(0, 0), bw.GetPixelIndex(0, 0));
}

TEST(BitmapCodecs, TgaRefusesBlackWhiteAndFourBitPictures) {
    for (uint8_t format : {ifBlackWhite, ifGray16, ifColor16}) {
        TTgaGraphic g;
        Pattern(g, format, 0);
        TMemoryStream stream;
        try {
            g.SaveToStream(stream);
            ADD_FAILURE() << "format " << int(format) << " saved";
        } catch (const ETgaError& e) {
            EXPECT_EQ(e.Message(), "TGA image must have 256 colors or true color");
        }
        EXPECT_EQ(stream.Size(), 0);
    }
}

TEST(BitmapCodecs, PcxWriterPatchesTheResolutionAndEndsAtItsEnd) {
    TPcxGraphic g;
    Pattern(g, ifTrueColor, 300);
    TMemoryStream stream;
    Fill(stream, Bytes(10, 0xEE));
    stream.SetPosition(10);
    g.SaveToStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    Bytes b = Contents(stream);
    EXPECT_EQ(b[10 + 12] | b[10 + 13] << 8, 300);
    EXPECT_EQ(b[10 + 14] | b[10 + 15] << 8, 300);
}

TEST(BitmapCodecs, FailedReadsLeaveNoPicture) {
    const std::pair<const char*, Kind> cases[] = {
        {"win24.bmp", kBmp}, {"pcx8.pcx", kPcx}, {"pcx24.pcx", kPcx}, {"tga24rle.tga", kTga}, {"tga8cmap.tga", kTga}};
    for (auto [file, kind] : cases) {
        SCOPED_TRACE(file);
        auto g = Make(kind);
        Bytes good = Fixture(file);
        Load(*g, good);
        ASSERT_FALSE(g->IsEmpty());
        Bytes cut(good.begin(), good.begin() + long(good.size() * 2 / 3));
        if (kind == kPcx)  // keep the palette trailer, cut the runs
            cut = Bytes(good.begin(), good.begin() + 140);
        EXPECT_THROW(Load(*g, cut), Exception);
        EXPECT_TRUE(g->IsEmpty());
    }
    TTgaGraphic tga;
    Bytes cut = Fixture("tga24rle.tga");
    cut.resize(100);
    try {
        Load(tga, cut);
    } catch (const EGbmError& e) {
        EXPECT_EQ(e.Message(), "gbm_read_data failed.");
    }
}

TEST(BitmapCodecs, RandomMutationsThroughThePictureClasses) {
    const std::pair<const char*, Kind> cases[] = {
        {"win8.bmp", kBmp}, {"rle8.bmp", kBmp}, {"os2_24.bmp", kBmp}, {"bmp4_32.bmp", kBmp},
        {"pcx4planes.pcx", kPcx}, {"pcx8.pcx", kPcx}, {"pcx24.pcx", kPcx},
        {"tga24rle.tga", kTga}, {"tga8cmaprle.tga", kTga}, {"tga32_im.tga", kTga}};
    Mutator mutator(777);
    for (auto [file, kind] : cases) {
        Bytes good = Fixture(file);
        auto g = Make(kind);
        for (int i = 0; i < 300; ++i) {
            try {
                Load(*g, mutator.Mutate(good));
                ASSERT_FALSE(g->IsEmpty());
            } catch (const Exception&) {
                ASSERT_TRUE(g->IsEmpty()) << file;
            }
        }
    }
}

}  // namespace
}  // namespace lumvor
