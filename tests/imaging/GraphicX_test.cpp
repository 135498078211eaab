// GIF and Photoshop readers: pixels against decodings by giftopnm, PIL and
// ImageMagick, header reads against identify, and hostile files.
#include "imaging/vo_GraphicX.h"

#include <gtest/gtest.h>

#include <QImage>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Fill(TMemoryStream& stream, const std::vector<uint8_t>& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

// The bitmap's colour at (x, y) as 0xAARRGGBB (alpha 255 unless 32-bit).
uint32_t ColourAt(TBitmap& bitmap, int x, int y) {
    const uint8_t* row = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case pf8bit:
        return 0xFF000000u | static_cast<uint32_t>(bitmap.CanvasPixels()->ColorTable.at(row[x]));
    case pf24bit:
        return 0xFF000000u | (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
    case pf32bit:
        return (uint32_t{row[4 * x + 3]} << 24) | (uint32_t{row[4 * x + 2]} << 16) |
               (uint32_t{row[4 * x + 1]} << 8) | row[4 * x];
    default:
        ADD_FAILURE() << "unexpected pixel format";
        return 0;
    }
}

void ExpectPixels(TBitmap& bitmap, const std::string& expectedPng) {
    QImage expected(QString::fromStdString(Fixture(expectedPng)));
    ASSERT_FALSE(expected.isNull()) << expectedPng;
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(bitmap.Width(), expected.width());
    ASSERT_EQ(bitmap.Height(), expected.height());
    int mismatches = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (ColourAt(bitmap, x, y) != expected.pixel(x, y) && mismatches++ < 5)
                ADD_FAILURE() << expectedPng << " differs at " << x << "," << y << ": " << std::hex
                              << ColourAt(bitmap, x, y) << " vs " << expected.pixel(x, y);
    EXPECT_EQ(mismatches, 0) << expectedPng;
}

// ---- GIF

TEST(GifReader, PixelsEqualGiftopnm) {
    struct Case {
        const char* file;
        const char* expected;
    } cases[] = {
        {"gif/rose.gif", "gif/rose.expected.png"},
        {"gif/rose_interlaced.gif", "gif/rose_interlaced.expected.png"},
        {"gif/plasma256.gif", "gif/plasma256.expected.png"},
        // Local table, interlaced, comment and transparency, then a second frame.
        {"gif/local_interlaced.gif", "gif/local_interlaced.expected.png"},
        // An image descriptor of 0 x 0 takes the screen's size.
        {"gif/zero_size.gif", "gif/rose.expected.png"},
        {"gif/trailing_garbage.gif", "gif/rose.expected.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TGIFGraphic gif;
        gif.LoadFromFile(Fixture(c.file));
        EXPECT_EQ(gif.PixelFormat(), pf8bit);
        ExpectPixels(gif, c.expected);
    }
}

TEST(GifReader, InterlacedRowsGoToTheirPasses) {
    // Row y of the picture holds colour y (0..7), then 0 and 7: decoded rows
    // 0..9 land on rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    TGIFGraphic gif;
    gif.LoadFromFile(Fixture("gif/local_interlaced.gif"));
    ASSERT_EQ(gif.Height(), 10);
    const int firstIndex[10] = {0, 1, 2, 3, 4, 5, 6, 7, 0, 7};
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(gif.ScanLine(y)[0], firstIndex[y]) << y;
    // The local table, not the global one.
    EXPECT_EQ(static_cast<uint32_t>(gif.CanvasPixels()->ColorTable.at(1)), 0x28323Cu);
}

TEST(GifReader, HeaderReadsGiveTheSizesIdentifyReports) {
    std::ifstream in(Fixture("gif/identify.txt"));
    std::string name;
    int width, height, files = 0;
    while (in >> name >> width >> height) {
        SCOPED_TRACE(name);
        TGIFGraphic gif;
        gif.HeaderOnly = true;
        gif.LoadFromFile(Fixture("gif/" + name));
        EXPECT_EQ(gif.Info.Width, width);
        EXPECT_EQ(gif.Info.Height, height);
        EXPECT_EQ(gif.Width(), width);
        EXPECT_EQ(gif.Height(), height);
        EXPECT_EQ(gif.Info.Compression, ctLZW);
        EXPECT_EQ(gif.Info.ColorSpace, csIndexed);
        EXPECT_TRUE(gif.GetPalette() != nullptr);
        ++files;
    }
    EXPECT_EQ(files, 4);
    TGIFGraphic gif;
    TFileStream stream(Fixture("gif/local_interlaced.gif"), fmOpenRead);
    ASSERT_TRUE(gif.GetInfo(stream));
    EXPECT_EQ(gif.Info.BitsPerSample, 3);  // the local table of 8 entries
    EXPECT_EQ(gif.Info.BitsPerPixel, 3);
}

std::vector<uint8_t> MinimalGif() {
    // 2 x 1, global table of 2 entries, one image, trailer.
    return {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
            0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0, 0x3B};
}

TEST(GifReader, SignatureAndStreamLengthChecks) {
    TGIFGraphic gif;
    TMemoryStream stream;
    std::vector<uint8_t> bytes = MinimalGif();
    bytes.resize(23);
    Fill(stream, bytes);
    stream.SetPosition(0);
    EXPECT_TRUE(gif.IsValidStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    bytes.resize(22);
    Fill(stream, bytes);
    EXPECT_FALSE(gif.IsValidStream(stream));

    bytes = MinimalGif();
    bytes[0] = 'g', bytes[1] = 'i', bytes[2] = 'f';
    Fill(stream, bytes);
    EXPECT_TRUE(gif.IsValidStream(stream));
    gif.LoadFromStream(stream);
    EXPECT_EQ(gif.Width(), 2);
    EXPECT_EQ(gif.ScanLine(0)[1], 1);

    EXPECT_TRUE(gif.IsValidFile(Fixture("gif/rose.gif")));
    EXPECT_FALSE(gif.IsValidFile(Fixture("psd/rgb_rle.psd")));
    EXPECT_FALSE(gif.IsValidFile(Fixture("no such file.gif")));

    bytes = MinimalGif();
    bytes[0] = 'P';
    Fill(stream, bytes);
    try {
        gif.LoadFromStream(stream);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Invalid image format");
    }
    bytes = MinimalGif();
    bytes[3] = 'x';
    Fill(stream, bytes);
    EXPECT_THROW(gif.LoadFromStream(stream), EConvertError);
}

TEST(GifReader, TrailerBeforeAnyImageLeavesTheBitmapEmpty) {
    std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '7', 'a', 4, 0, 4, 0, 0x80, 0, 0,
                                  1, 2, 3, 4, 5, 6, 0x21, 0xFE, 1, 'c', 0, 0x3B};
    bytes.resize(30, 0);
    TMemoryStream stream;
    Fill(stream, bytes);
    TGIFGraphic gif;
    gif.LoadFromStream(stream);
    EXPECT_TRUE(gif.Empty());
    EXPECT_EQ(gif.Info.Width, 0);
}

// ---- Photoshop

TEST(PsdReader, EveryColourModeAndCompression) {
    struct Case {
        const char* name;
        TPixelFormat format;
        uint8_t colorSpace;
    } cases[] = {
        {"rgb_rle", pf24bit, csRGB},          {"rgb_raw", pf24bit, csRGB},
        {"rgb16_rle", pf24bit, csRGB},        {"rgba_rle", pf32bit, csRGBA},
        {"multichannel_rle", pf24bit, csRGB}, {"cmyk_rle", pf24bit, csCMYK},
        {"cmyk_raw", pf24bit, csCMYK},        {"cmyk16_rle", pf24bit, csCMYK},
        {"lab_rle", pf24bit, csCIELab},       {"lab_raw", pf24bit, csCIELab},
        {"gray_rle", pf8bit, csG},            {"gray16_raw", pf8bit, csG},
        {"duotone_raw", pf8bit, csG},         {"indexed_rle", pf8bit, csIndexed},
        {"indexed_long_colour_data", pf8bit, csIndexed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPSDGraphic psd;
        psd.LoadFromFile(Fixture(std::string("psd/") + c.name + ".psd"));
        EXPECT_EQ(psd.PixelFormat(), c.format);
        EXPECT_EQ(psd.Info.ColorSpace, c.colorSpace);
        ExpectPixels(psd, std::string("psd/") + c.name + ".expected.png");
    }
}

TEST(PsdReader, HeaderOnlyFillsInfoAndLeavesTheBitmapEmpty) {
    TPSDGraphic psd;
    psd.HeaderOnly = true;
    psd.LoadFromFile(Fixture("psd/rgba_rle.psd"));
    EXPECT_TRUE(psd.Empty());
    EXPECT_EQ(psd.Info.Width, 23);
    EXPECT_EQ(psd.Info.Height, 17);
    EXPECT_EQ(psd.Info.ChannelCount, 4);
    EXPECT_EQ(psd.Info.SamplesPerPixel, 4);
    EXPECT_EQ(psd.Info.BitsPerPixel, 32);
    EXPECT_EQ(psd.Info.Compression, ctPackBits);
    psd.LoadFromFile(Fixture("psd/cmyk_raw.psd"));
    EXPECT_EQ(psd.Info.Compression, ctNone);
    EXPECT_EQ(psd.Info.ColorSpace, csCMYK);
}

TEST(PsdReader, RefusedFiles) {
    TPSDGraphic psd;
    try {
        psd.LoadFromFile(Fixture("psd/bitmap_mode.psd"));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Invalid image format");
    }
    // A lower-case signature passes the quick test but not the load.
    std::vector<uint8_t> bytes = ReadAll(Fixture("psd/rgb_raw.psd"));
    bytes[1] = 'b', bytes[2] = 'p', bytes[3] = 's';
    TMemoryStream stream;
    Fill(stream, bytes);
    EXPECT_TRUE(psd.IsValidStream(stream));
    EXPECT_THROW(psd.LoadFromStream(stream), EInvalidGraphic);
    bytes[5] = 2;  // version 2 fails the quick test
    Fill(stream, bytes);
    EXPECT_FALSE(psd.IsValidStream(stream));
    bytes.resize(26);
    Fill(stream, bytes);
    EXPECT_FALSE(psd.IsValidStream(stream));
}

// ---- Hostile input

// Loads bytes with a reader; only the documented failures may escape.
template <typename Reader>
void LoadHostile(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream;
    Fill(stream, bytes);
    Reader reader;
    try {
        reader.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
    } catch (const EReadError&) {
    } catch (const EConvertError&) {
    } catch (const EColorConversionError&) {
    }
}

TEST(HostileInput, TruncatedFilesRaiseTheReadError) {
    for (const char* file : {"gif/rose.gif", "gif/local_interlaced.gif"}) {
        std::vector<uint8_t> bytes = ReadAll(Fixture(file));
        for (size_t cut : {13u, 20u, 40u, 100u, 300u}) {
            if (cut >= bytes.size() - 2)
                continue;
            TMemoryStream stream;
            Fill(stream, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
            TGIFGraphic gif;
            EXPECT_THROW(gif.LoadFromStream(stream), EReadError) << file << " cut at " << cut;
        }
    }
    for (const char* file : {"psd/rgb_rle.psd", "psd/cmyk_raw.psd", "psd/indexed_rle.psd"}) {
        std::vector<uint8_t> bytes = ReadAll(Fixture(file));
        for (size_t cut : {size_t{10}, size_t{30}, size_t{100}, size_t{500}, bytes.size() - 1}) {
            TMemoryStream stream;
            Fill(stream, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
            TPSDGraphic psd;
            EXPECT_THROW(psd.LoadFromStream(stream), EReadError) << file << " cut at " << cut;
        }
    }
}

TEST(HostileInput, MutatedFilesNeverCrash) {
    std::mt19937 random(1234);
    const char* gifs[] = {"gif/rose.gif", "gif/rose_interlaced.gif", "gif/local_interlaced.gif"};
    const char* psds[] = {"psd/rgb_rle.psd", "psd/rgba_rle.psd", "psd/cmyk16_rle.psd", "psd/lab_raw.psd",
                          "psd/indexed_rle.psd", "psd/gray16_raw.psd"};
    auto mutate = [&](std::vector<uint8_t> bytes) {
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = static_cast<uint8_t>(random()); break;
            case 1: bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
            default: bytes.resize(at + 1); break;
            }
        }
        return bytes;
    };
    for (const char* file : gifs) {
        const std::vector<uint8_t> bytes = ReadAll(Fixture(file));
        for (int round = 0; round < 150; ++round)
            LoadHostile<TGIFGraphic>(mutate(bytes));
    }
    for (const char* file : psds) {
        const std::vector<uint8_t> bytes = ReadAll(Fixture(file));
        for (int round = 0; round < 150; ++round)
            LoadHostile<TPSDGraphic>(mutate(bytes));
    }
}

TEST(HostileInput, HugeSizesAreRefusedBeforeDecoding) {
    // A Photoshop header claiming 60000 x 60000 pixels and a GIF of 65535 x
    // 65535 in a few bytes.
    std::vector<uint8_t> psd = ReadAll(Fixture("psd/rgb_raw.psd"));
    psd[14] = 0, psd[15] = 0, psd[16] = 0xEA, psd[17] = 0x60;
    psd[18] = 0, psd[19] = 0, psd[20] = 0xEA, psd[21] = 0x60;
    TMemoryStream stream;
    Fill(stream, psd);
    TPSDGraphic reader;
    EXPECT_ANY_THROW(reader.LoadFromStream(stream));
    std::vector<uint8_t> gif = MinimalGif();
    gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;
    gif[24] = gif[25] = gif[26] = gif[27] = 0xFF;
    Fill(stream, gif);
    TGIFGraphic gifReader;
    EXPECT_ANY_THROW(gifReader.LoadFromStream(stream));
}

}  // namespace

namespace {

TEST(GifReader, AssignCopiesTheInformationWithThePicture) {
    TGIFGraphic source;
    source.LoadFromFile(Fixture("gif/rose.gif"));
    TPSDGraphic dest;
    dest.Assign(&source);
    EXPECT_EQ(dest.Info.Width, 70);
    EXPECT_EQ(dest.Info.Compression, ctLZW);
    EXPECT_EQ(dest.Width(), 70);
    EXPECT_EQ(dest.ScanLine(45)[69], source.ScanLine(45)[69]);
}

}  // namespace
