// The bitmap module on files made by netpbm and ImageMagick, on hand-made
// run-length data and on hostile input.
#include "bitmap_fixtures.h"

#include <cstdio>

namespace lumvor {
namespace {

using namespace bitmaptest;

struct FixtureCase {
    const char* file;
    const char* reference;
    int bpp;
};

const FixtureCase kFixtures[] = {
    {"win24.bmp", "rgb.ppm", 24},          {"win8.bmp", "c16.ppm", 8},
    {"win4.bmp", "c16.ppm", 4},            {"win1.bmp", "bw.pbm", 1},
    {"os2_24.bmp", "rgb.ppm", 24},         {"os2_8.bmp", "c16.ppm", 8},
    {"os2_4.bmp", "c16.ppm", 4},           {"os2_1.bmp", "bw.pbm", 1},
    {"rle8.bmp", "c16.ppm", 8},            {"bmp2_4.bmp", "c16.ppm", 4},
    {"bmp3_24.bmp", "rgb.ppm", 24},        {"pcx1.pcx", "bw.pbm", 1},
    {"pcx4planes.pcx", "c16.ppm", 4},      {"pcx4packed.pcx", "c16.ppm", 4},
    {"pcx8.pcx", "c16.ppm", 8},            {"pcx24.pcx", "rgb.ppm", 24},
    {"tga24.tga", "rgb.ppm", 24},          {"tga24rle.tga", "rgb.ppm", 24},
    {"tga8cmap.tga", "c16.ppm", 8},        {"tga8cmaprle.tga", "c16.ppm", 8},
    {"tgagrey.tga", "gray.pgm", 8},        {"tgagreyrle_im.tga", "tgagreyrle_im.ref.pgm", 8},
    {"tga24rle_im.tga", "tga24rle_im.ref.ppm", 24},
    {"tga24topleft_im.tga", "rgb.ppm", 24}, {"tga24topleftrle_im.tga", "rgb.ppm", 24},
    {"tga8topleftrle_im.tga", "c16.ppm", 8}, {"tga32_im.tga", "tga32_im.ref.ppm", 24},
};

TEST(GbmModule, ReadsFilesOfIndependentToolsWithTheirPixels) {
    for (const FixtureCase& c : kFixtures) {
        SCOPED_TRACE(c.file);
        // "inv" keeps two-colour palettes in file order, as the picture classes read.
        Decoded d = Decode(Fixture(c.file), c.file, "inv");
        ASSERT_EQ(d.rc, GBM_ERR_OK) << gbm_err(d.rc);
        EXPECT_EQ(d.bitmap.bpp, c.bpp);
        EXPECT_TRUE(SamePixels(d, d.bitmap.w, d.bitmap.h, ReadPnm(FixturePath(c.reference))));
        // Row padding is cleared, never left as it was.
        int64_t used = (int64_t(d.bitmap.w) * d.bitmap.bpp + 7) / 8;
        for (int y = 0; y < d.bitmap.h; ++y)
            for (int64_t i = used; i < d.stride; ++i)
                ASSERT_EQ(d.data[size_t(y * d.stride + i)], 0) << "padding of row " << y;
    }
}

TEST(GbmModule, GuessesTheTypeFromTheExtension) {
    struct {
        const char* name;
        GBM_ERR rc;
        int type;
    } cases[] = {
        {"x.Bmp", GBM_ERR_OK, GBM_FT_BMP},   {"dir/x.rl8", GBM_ERR_OK, GBM_FT_BMP},
        {"File.pcx", GBM_ERR_OK, GBM_FT_PCX}, {"a.PCC", GBM_ERR_OK, GBM_FT_PCX},
        {"File.tga", GBM_ERR_OK, GBM_FT_TGA}, {"x.afi", GBM_ERR_OK, GBM_FT_TGA},
        {"a.b/file", GBM_ERR_NOT_FOUND, -1},  {"a.bmp\\file", GBM_ERR_NOT_FOUND, -1},
        {"noext", GBM_ERR_NOT_FOUND, -1},     {"x.bm", GBM_ERR_NOT_FOUND, -1},
        {"x.bmpx", GBM_ERR_NOT_FOUND, -1},
    };
    for (auto& c : cases) {
        int type = -1;
        EXPECT_EQ(gbm_guess_filetype(c.name, &type), c.rc) << c.name;
        if (c.rc == GBM_ERR_OK) {
            EXPECT_EQ(type, c.type) << c.name;
        }
    }
    EXPECT_EQ(gbm_guess_filetype(nullptr, nullptr), GBM_ERR_BAD_ARG);
    EXPECT_STREQ(gbm_err(703), "corrupt file trailer");
    EXPECT_STREQ(gbm_err(6), "bad bitmap size");
    EXPECT_STREQ(gbm_err(12345), "general error");
    EXPECT_TRUE(gbm_find_word("16, YDOWN\tx", "ydown"));
    EXPECT_FALSE(gbm_find_word("invb", "inv"));
}

TEST(GbmModule, TwoColourBitmapPaletteIsExchangedUnlessInv) {
    Bytes file = Fixture("win1.bmp");
    Decoded plain = Decode(file, "x.bmp");
    Decoded inv = Decode(file, "x.bmp", "inv");
    ASSERT_EQ(plain.rc, GBM_ERR_OK);
    ASSERT_EQ(inv.rc, GBM_ERR_OK);
    // netpbm stores black first for this picture.
    EXPECT_EQ(inv.palette[0].r, 0);
    EXPECT_EQ(inv.palette[1].r, 255);
    EXPECT_EQ(plain.palette[0].r, 255);
    EXPECT_EQ(plain.palette[1].r, 0);
}

// A 4x2 4-bit BMP with the given run-length data.
Bytes Rle4Bmp(int w, int h, const Bytes& rle, int bpp = 4, int compression = 2) {
    int entries = 1 << bpp;
    Bytes b(54 + 4 * entries, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, uint32_t(b.size()));
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = uint8_t(bpp);
    put32(30, uint32_t(compression));
    for (int i = 0; i < entries; ++i)  // entry i = grey level i
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = uint8_t(i);
    b.insert(b.end(), rle.begin(), rle.end());
    put32(2, uint32_t(b.size()));
    return b;
}

int Index(const Decoded& d, int x, int y) { return int(d.At(x, y) & 0xFF); }

TEST(GbmModule, RunLengthBitmaps) {
    // RLE4: 3 pixels of 0x12, then 2 of 0x34: 1, 2, 1, 3, 4.
    Decoded d = Decode(Rle4Bmp(6, 1, {3, 0x12, 2, 0x34, 0, 1}), "a.bmp");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    std::vector<int> want = {1, 2, 1, 3, 4, 0};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Index(d, x, 0), want[x]) << x;

    // RLE4 literal of 3 pixels (2 bytes, no pad) starting in an odd column.
    d = Decode(Rle4Bmp(6, 1, {1, 0x70, 0, 3, 0xAB, 0xC0, 0, 1}), "a.bmp");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    want = {7, 10, 11, 12, 0, 0};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Index(d, x, 0), want[x]) << x;

    // RLE8: row 0 (bottom) gets 2 x 9, a delta moves 1 right and 1 up, a
    // literal of 3 (with pad) lands there, end of bitmap zeroes the rest.
    d = Decode(Rle4Bmp(5, 3, {2, 9, 0, 2, 1, 1, 0, 3, 4, 5, 6, 0, 0, 1}, 8, 1), "a.bmp");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    int rows[3][5] = {{0, 0, 0, 0, 0}, {0, 0, 0, 4, 5}, {9, 9, 0, 0, 0}};  // from the top
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Index(d, x, y), rows[y][x]) << x << "," << y;
    // (the literal's third pixel falls beyond the row and is dropped)

    // End of line on the last row ends the data; no end-of-bitmap needed.
    d = Decode(Rle4Bmp(2, 2, {2, 1, 0, 0, 2, 3, 0, 0}, 8, 1), "a.bmp");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    EXPECT_EQ(Index(d, 0, 0), 3);
    EXPECT_EQ(Index(d, 1, 1), 1);

    // Runs longer than the row, deltas past the edges: clipped, nothing overrun.
    d = Decode(Rle4Bmp(3, 2, {255, 7, 0, 2, 255, 255, 200, 8}, 8, 1), "a.bmp");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    EXPECT_EQ(Index(d, 2, 1), 7);
    EXPECT_EQ(Index(d, 0, 0), 0);

    // Data that ends before the picture is done.
    EXPECT_EQ(Decode(Rle4Bmp(4, 4, {2, 1, 0, 0}, 8, 1), "a.bmp").rc, GBM_ERR_READ);
    EXPECT_EQ(Decode(Rle4Bmp(4, 4, {0, 5, 1, 2}, 8, 1), "a.bmp").rc, GBM_ERR_READ);
    // RLE8 on a 4-bit bitmap and bit fields are refused.
    EXPECT_EQ(Decode(Rle4Bmp(4, 1, {0, 1}, 4, 1), "a.bmp").rc, GBM_ERR_BMP_COMP);
    EXPECT_EQ(Decode(Rle4Bmp(4, 1, {0, 1}, 8, 3), "a.bmp").rc, GBM_ERR_BMP_COMP);
}

// A PCX header for an 8-bit picture of w x h with bytes per line bpl.
Bytes Pcx8(int w, int h, int bpl, const Bytes& data, bool trailer = true) {
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = uint8_t(w - 1);
    b[10] = uint8_t(h - 1);
    b[65] = 1;
    b[66] = uint8_t(bpl);
    b.insert(b.end(), data.begin(), data.end());
    if (trailer) {
        b.push_back(12);
        for (int i = 0; i < 256; ++i)
            b.insert(b.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    }
    return b;
}

TEST(GbmModule, PcxRunsCarryAcrossLinesUnlessTrunc) {
    // A run of 5 x 7 over lines of 4 bytes, then bytes 1, 2, 3 (padding of 3).
    Bytes data = {0xC5, 7, 1, 2, 3, 0xC3, 9, 0};
    Bytes file = Pcx8(4, 3, 4, data);
    Decoded carry = Decode(file, "a.pcx");
    ASSERT_EQ(carry.rc, GBM_ERR_OK);
    int want[3][4] = {{7, 7, 7, 7}, {7, 1, 2, 3}, {9, 9, 9, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Index(carry, x, y), want[y][x]) << x << "," << y;

    Decoded trunc = Decode(Pcx8(4, 3, 4, {0xC5, 7, 1, 2, 3, 4, 0xC4, 9}), "a.pcx", "trunc");
    ASSERT_EQ(trunc.rc, GBM_ERR_OK);
    int wantTrunc[3][4] = {{7, 7, 7, 7}, {1, 2, 3, 4}, {9, 9, 9, 9}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Index(trunc, x, y), wantTrunc[y][x]) << x << "," << y;
}

TEST(GbmModule, PcxVersionsAndTrailer) {
    Bytes file = Fixture("pcx8.pcx");
    for (int version : {0, 2, 3, 5}) {
        file[1] = uint8_t(version);
        EXPECT_EQ(Decode(file, "a.pcx").rc, GBM_ERR_OK) << version;
    }
    for (int version : {4, 6}) {
        file[1] = uint8_t(version);
        EXPECT_EQ(Decode(file, "a.pcx").rc, GBM_ERR_PCX_BAD_VERSION) << version;
    }
    file[1] = 5;
    file[file.size() - 769] = 11;
    EXPECT_EQ(Decode(file, "a.pcx").rc, GBM_ERR_PCX_BAD_TRAILER);
}

// A raw 16-bit true-colour Targa of one row.
TEST(GbmModule, SixteenBitTargaExpandsToEightBitSteps) {
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = 2;
    b[14] = 1;
    b[16] = 16;
    b.insert(b.end(), {0xFF, 0x7F, 0x1F, 0x00});  // 0x7FFF, 0x001F
    Decoded d = Decode(b, "a.tga");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    EXPECT_EQ(d.At(0, 0), 0xF8F8F8u);
    EXPECT_EQ(d.At(1, 0), 0x0000F8u);
    // The same pixels run-length coded: one repeat packet of 2.
    b[2] = 10;
    b.resize(18);
    b.insert(b.end(), {0x81, 0xFF, 0x7F});
    d = Decode(b, "a.tga");
    ASSERT_EQ(d.rc, GBM_ERR_OK);
    EXPECT_EQ(d.At(1, 0), 0xF8F8F8u);
}

// Files cut short or with lying fields give their code, never a crash.
TEST(GbmModule, HostileFilesGiveTheirCodes) {
    struct Patch {
        const char* file;
        size_t cutTo;  // 0: keep the whole file
        size_t offset;
        std::vector<uint8_t> bytes;  // written at offset
        GBM_ERR want;
    };
    const Patch cases[] = {
        {"win24.bmp", 20, 0, {}, GBM_ERR_READ},                      // header cut
        {"win24.bmp", 200, 0, {}, GBM_ERR_READ},                     // rows cut
        {"win24.bmp", 0, 0, {'X'}, GBM_ERR_BAD_MAGIC},
        {"win24.bmp", 0, 14, {41}, GBM_ERR_BMP_CBFIX},
        {"win24.bmp", 0, 14, {68}, GBM_ERR_BMP_CBFIX},
        {"win24.bmp", 0, 18, {0, 0, 0, 0}, GBM_ERR_BAD_SIZE},          // width 0
        {"win24.bmp", 0, 22, {0xF9, 0xFF, 0xFF, 0xFF}, GBM_ERR_BAD_SIZE},  // height -7 (top down)
        {"win24.bmp", 0, 18, {0xFF, 0xFF, 0xFF, 0x7F}, GBM_ERR_BAD_SIZE},  // absurd width
        {"win24.bmp", 0, 18, {0, 0x10, 0, 0}, GBM_ERR_READ},           // lying width
        {"win24.bmp", 0, 26, {2}, GBM_ERR_BMP_PLANES},
        {"win24.bmp", 0, 28, {16}, GBM_ERR_BMP_BITCOUNT},
        {"win24.bmp", 0, 30, {4}, GBM_ERR_BMP_COMP},
        {"os2_8.bmp", 0, 24, {32}, GBM_ERR_BMP_BITCOUNT},
        {"os2_8.bmp", 100, 0, {}, GBM_ERR_READ},                     // palette cut
        {"win8.bmp", 0, 46, {0xFF, 0xFF, 0, 0}, GBM_ERR_OK},           // colours used cut to 256
        {"rle8.bmp", 1100, 0, {}, GBM_ERR_READ},                     // run data cut
        {"pcx8.pcx", 60, 0, {}, GBM_ERR_READ},
        {"pcx8.pcx", 200, 0, {}, GBM_ERR_PCX_BAD_TRAILER},
        {"pcx8.pcx", 0, 0, {11}, GBM_ERR_BAD_MAGIC},
        {"pcx8.pcx", 0, 2, {0}, GBM_ERR_PCX_BAD_ENCMODE},
        {"pcx8.pcx", 0, 65, {2}, GBM_ERR_PCX_BAD_BITS},
        {"pcx8.pcx", 0, 8, {0, 0}, GBM_ERR_OK},                          // width 1
        {"pcx8.pcx", 0, 4, {20, 0}, GBM_ERR_BAD_SIZE},                   // xmin > xmax
        {"pcx8.pcx", 0, 8, {0xFF, 0xFF}, GBM_ERR_BAD_SIZE},              // wider than its lines
        {"pcx8.pcx", 0, 66, {0, 0}, GBM_ERR_BAD_SIZE},                   // no bytes per line
        {"pcx8.pcx", 0, 66, {1, 0}, GBM_ERR_BAD_SIZE},                   // short lines
        {"pcx8.pcx", 0, 66, {0xFF, 0xFF}, GBM_ERR_READ},                 // lying line length
        {"pcx24.pcx", 300, 0, {}, GBM_ERR_READ},
        {"tga24.tga", 10, 0, {}, GBM_ERR_READ},
        {"tga24.tga", 100, 0, {}, GBM_ERR_READ},
        {"tga24.tga", 0, 2, {5}, GBM_ERR_TGA_BAD_TYPE},
        {"tga24.tga", 0, 16, {15}, GBM_ERR_TGA_BAD_BPP},
        {"tga24.tga", 0, 12, {0, 0}, GBM_ERR_BAD_SIZE},
        {"tga24.tga", 0, 12, {0xFF, 0xFF}, GBM_ERR_READ},
        {"tga8cmap.tga", 0, 7, {16}, GBM_ERR_TGA_BAD_PAL},
        {"tga8cmap.tga", 0, 5, {0xFF, 0xFF}, GBM_ERR_READ},               // colour map past the end
        {"tga8cmap.tga", 0, 3, {250, 0}, GBM_ERR_OK},                     // entries past 255 dropped
        {"tga24rle.tga", 60, 0, {}, GBM_ERR_READ},
        {"tga8cmaprle.tga", 80, 0, {}, GBM_ERR_READ},
    };
    for (const Patch& p : cases) {
        Bytes file = Fixture(p.file);
        if (p.cutTo)
            file.resize(p.cutTo);
        std::copy(p.bytes.begin(), p.bytes.end(), file.begin() + long(p.offset));
        SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(p.offset));
        EXPECT_EQ(Decode(file, p.file, "inv").rc, p.want) << gbm_err(Decode(file, p.file).rc);
    }
}

TEST(GbmModule, RandomMutationsNeverOverrun) {
    const char* files[] = {"win24.bmp", "win8.bmp", "win4.bmp", "win1.bmp", "os2_8.bmp",
                           "rle8.bmp",  "pcx1.pcx", "pcx4planes.pcx", "pcx4packed.pcx", "pcx8.pcx",
                           "pcx24.pcx", "tga24.tga", "tga24rle.tga", "tga8cmaprle.tga",
                           "tgagreyrle_im.tga", "tga32_im.tga", "tga8topleftrle_im.tga"};
    Mutator mutator(12345);
    int decoded = 0;
    for (const char* name : files) {
        Bytes file = Fixture(name);
        for (int i = 0; i < 2000; ++i) {
            Decoded d = Decode(mutator.Mutate(file), name);
            decoded += d.rc == GBM_ERR_OK;
            if (d.rc == GBM_ERR_OK) {
                ASSERT_EQ(d.data.size(), size_t(d.stride * d.bitmap.h));
            }
        }
    }
    EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace lumvor

namespace lumvor {
namespace {

using namespace bitmaptest;

// A 24-bit 13x7 buffer (bottom-up) with distinct colours.
std::vector<uint8_t> Colours(GbmBitmap& b) {
    b.w = 13;
    b.h = 7;
    b.bpp = 24;
    int64_t stride = gbm_row_bytes(b.w, 24);
    std::vector<uint8_t> data(size_t(stride * b.h), 0);
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x) {
            uint8_t* p = &data[size_t(y * stride + 3 * x)];
            p[0] = uint8_t(x * 19);
            p[1] = uint8_t(y * 37 + x);
            p[2] = uint8_t(200 - x * y);
        }
    return data;
}

TEST(GbmModule, WriterOptionsGiveFilesThatNetpbmReads) {
    GbmBitmap b{};
    std::vector<uint8_t> data = Colours(b);
    GbmPalette palette{};
    struct {
        const char* name;
        const char* options;
        const char* reader;
        uint8_t mask;  // bits of each channel the file keeps
    } cases[] = {{"a.tga", "", "tgatoppm", 0xFF},      {"a.tga", "32", "tgatoppm", 0xFF},
                 {"a.tga", "16", "tgatoppm", 0xF8},    {"a.tga", "ydown", "tgatoppm", 0xFF},
                 {"a.bmp", "1.1", "bmptopnm", 0xFF},   {"a.bmp", "2.0", "bmptopnm", 0xFF},
                 {"a.pcx", "", "pcxtoppm", 0xFF}};
    const char* home = std::getenv("LUMVOR_HOME");
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.options);
        TMemoryStream stream;
        int type = 0;
        ASSERT_EQ(gbm_guess_filetype(c.name, &type), GBM_ERR_OK);
        ASSERT_EQ(gbm_write(c.name, GbmHandleOf(stream), type, &b, &palette, data.data(), c.options), GBM_ERR_OK);
        std::string path = std::string(home) + "/" + c.name, ppm = std::string(home) + "/out.ppm";
        WriteBytes(path, Contents(stream));
        ASSERT_EQ(std::system((std::string(c.reader) + " " + path + " > " + ppm + " 2>/dev/null").c_str()), 0);
        Rgb got = ReadPnm(ppm);
        Decoded want;
        want.bitmap = b;
        want.stride = gbm_row_bytes(b.w, 24);
        want.data = data;
        for (uint8_t& v : want.data)
            v &= c.mask;
        if (c.mask != 0xFF)  // 5-bit channels come back scaled to 255
            for (uint8_t& v : got.px)
                v = uint8_t((v * 31 + 127) / 255 << 3);
        EXPECT_TRUE(SamePixels(want, b.w, b.h, got));
    }
    TMemoryStream stream;
    for (const char* bad : {"16 24", "yup ydown"})
        EXPECT_EQ(gbm_write("a.tga", GbmHandleOf(stream), GBM_FT_TGA, &b, &palette, data.data(), bad),
                  GBM_ERR_BAD_OPTION)
            << bad;
    EXPECT_EQ(gbm_write("a.bmp", GbmHandleOf(stream), GBM_FT_BMP, &b, &palette, data.data(), "1.1,win"),
              GBM_ERR_BAD_OPTION);
    b.bpp = 8;
    EXPECT_EQ(gbm_write("a.tga", GbmHandleOf(stream), GBM_FT_TGA, &b, &palette, data.data(), "24"),
              GBM_ERR_BAD_OPTION);
}

}  // namespace
}  // namespace lumvor
