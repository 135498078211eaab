// TIFF pictures: reading every kind of page the codec takes, against what PIL
// decodes; the refusals; writing, checked with tiffdump and PIL; pages;
// hostile input and decoding on two threads at once.
#include "imaging/vo_TIF.h"

#include "codec_test_tools.h"
#include "imaging/vo_transf.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <tiffio.h>

#include <atomic>
#include <map>
#include <sstream>
#include <cctype>
#include <thread>

namespace lumvor {
namespace {

using namespace test;

std::string Tif(const std::string& name) { return CodecFixture("tiff/" + name); }

void ReadTiff(TTiffGraphic& picture, const std::string& file, int index = 1) {
    TFileStream stream(file, fmOpenRead);
    picture.ReadImage(stream, index);
}

struct ReadCase {
    const char* file;
    uint8_t format;
    uint8_t compression;  // code after the read
    bool invertedFromPil;
    int tolerance;
};

TEST(TiffRead, EachKindLoadsWithThePixelsPilDecodes) {
    const ReadCase cases[] = {
        {"rgb_none", ifTrueColor, 0, false, 0},
        {"rgb_packbits", ifTrueColor, 1, false, 0},
        {"rgb_zip_pred", ifTrueColor, 5, false, 0},      // tag 8, horizontal predictor
        {"rgb_deflate32946", ifTrueColor, 5, false, 0},  // tag 32946
        {"rgb_tiled", ifTrueColor, 0, false, 0},
        {"rgb_planar", ifTrueColor, 0, false, 0},
        {"gray16", ifTrueColor, 0, false, 0},  // through the RGBA reader: 24-bit
        {"gray8", ifGray256, 0, false, 0},
        {"gray8_miniswhite", ifGray256, 0, false, 0},
        {"gray4", ifGray16, 0, false, 0},
        {"pal8", ifColor256, 0, false, 0},
        {"pal4", ifColor16, 0, false, 0},
        {"bw1", ifBlackWhite, 0, false, 0},
        {"bw_g3_1d", ifBlackWhite, 2, false, 0},  // no Group3Options tag: 1D
        {"bw_g3_2d", ifBlackWhite, 3, false, 0},
        {"bw_g4", ifBlackWhite, 4, false, 0},
        // Fax pages are always min-is-white, whatever the file says.
        {"bw_g4_minisblack", ifBlackWhite, 4, true, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.file);
        TTiffGraphic picture;
        ReadTiff(picture, Tif(std::string(c.file) + ".tif"));
        EXPECT_EQ(picture.ImageFormat(), c.format);
        EXPECT_EQ(picture.Compression, c.compression);
        RgbRaster expected = ReadPpm(Tif(std::string(c.file) + ".ref.ppm"));
        ASSERT_FALSE(expected.Pixels.empty());
        if (c.invertedFromPil)
            expected = Inverted(expected);
        EXPECT_TRUE(PictureMatches(picture, expected, c.tolerance));
    }
}

TEST(TiffRead, PageWithoutPhotometricIsMinIsWhite) {
    TTiffGraphic picture;
    ReadTiff(picture, Tif("gray8_nophotometric.tif"));
    RgbRaster grey = ReadPpm(Tif("gray8.ref.ppm"));  // the same samples, read as min-is-black
    EXPECT_EQ(picture.ImageFormat(), ifGray256);
    EXPECT_TRUE(PictureMatches(picture, Inverted(grey)));
}

TEST(TiffRead, RefusedPagesRaiseTheirTextsAndLeaveNoPicture) {
    struct Refusal {
        const char* file;
        const char* message;
        bool library;  // ERuvezevoError rather than ETiffError
    };
    const Refusal cases[] = {
        {"rgb_lzw.tif", "LZW not supported", true},
        {"rgb_jpeg.tif", "JPEG compression not supported with 24bpp color images", true},
        {"pal2.tif", "ETiffError Unsupported bit count: 2", false},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.file);
        TTiffGraphic picture;
        picture.NewImage(4, 4, ifTrueColor, nullptr, 0, 0);
        try {
            ReadTiff(picture, Tif(c.file));
            ADD_FAILURE() << "no exception";
        } catch (const ERuvezevoError& e) {
            EXPECT_TRUE(c.library);
            EXPECT_EQ(e.Message(), c.message);
        } catch (const ETiffError& e) {
            EXPECT_FALSE(c.library);
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(picture.IsEmpty());
    }
}

TEST(TiffRead, ResolutionInCentimetresAndMissing) {
    TTiffGraphic picture;
    ReadTiff(picture, Tif("gray8_cm.tif"));  // 100 pixels per centimetre
    EXPECT_EQ(picture.GetXDpi(), 254);
    EXPECT_EQ(picture.GetYDpi(), 254);

    TDibGraphic screen;
    screen.NewImage(1, 1, ifTrueColor, nullptr, 0, 0);
    ReadTiff(picture, Tif("gray8_nophotometric.tif"));  // no resolution tags
    EXPECT_EQ(picture.GetXDpi(), screen.GetXDpi());
}

TEST(TiffRead, AdobeDeflateIsZLibWhenReadButZLibAdobeFromTheHeader) {
    TTiffGraphic picture;
    ReadTiff(picture, Tif("rgb_zip_pred.tif"));
    EXPECT_EQ(picture.Compression, vo_TIF::tcZLib);

    TTiffGraphic header;
    header.ReadFileInfo(Tif("rgb_zip_pred.tif"), -1);
    EXPECT_EQ(header.Compression, vo_TIF::tcZLibAdobe);
    EXPECT_EQ(header.InfoCompressionTag, 8);
    EXPECT_EQ(header.CompressionName(), "ZLib Adobe");
    EXPECT_EQ(header.InfoWidth, 13);
    EXPECT_EQ(header.InfoHeight, 7);
    EXPECT_EQ(header.InfoBitCount, 24);
    EXPECT_TRUE(header.IsEmpty());
    EXPECT_EQ(header.HeaderStream.Size(), 0);
}

TEST(TiffRead, FileInfoOfPagesAndOfFilesThatAreNoTiff) {
    TTiffGraphic picture;
    picture.ReadFileInfo(Tif("multi3.tif"), 3);  // header and pixels of page 3
    EXPECT_EQ(picture.InfoCompressionTag, 4);
    EXPECT_EQ(picture.CompressionName(), "Fax Group 4");
    EXPECT_EQ(picture.InfoBitCount, 1);
    EXPECT_EQ(picture.ImageFormat(), ifBlackWhite);
    EXPECT_EQ(picture.HeaderStream.Size(), 0);

    // The unsupported depth is refused, and stays in InfoBitCount.
    try {
        picture.ReadFileInfo(Tif("pal2.tif"), -1);
        ADD_FAILURE() << "no exception";
    } catch (const ETiffError& e) {
        EXPECT_EQ(e.Message(), "ETiffError Unsupported bit count: 2");
    }
    EXPECT_EQ(picture.InfoWidth, 13);
    EXPECT_EQ(picture.InfoBitCount, 2);

    try {
        picture.ReadFileInfo(Tif("rgb_lzw.tif"), -1);
        ADD_FAILURE() << "no exception";
    } catch (const ERuvezevoError& e) {
        EXPECT_EQ(e.Message(), "LZW not supported");
    }
    EXPECT_EQ(picture.CompressionName(), "LZW (unsupported)");
    EXPECT_EQ(picture.HeaderStream.Size(), 0);

    // Not a TIFF: a zero size, quietly.
    picture.ReadFileInfo(Tif("src_rgb.ppm"), -1);
    EXPECT_EQ(picture.InfoWidth, 0);
    EXPECT_EQ(picture.InfoHeight, 0);
    EXPECT_THROW(picture.ReadFileInfo(Tif("no such file.tif"), -1), EFOpenError);
}

TEST(TiffRead, PagesOfAMultiPageFile) {
    TFileStream stream(Tif("multi3.tif"), fmOpenRead);
    TTiffGraphic picture;
    EXPECT_EQ(picture.GetImageCount(stream), 3);
    const struct {
        int index;
        uint8_t format;
        const char* ref;
    } pages[] = {{1, ifTrueColor, "rgb_none.ref.ppm"}, {2, ifGray256, "gray8.ref.ppm"}, {3, ifBlackWhite, "bw_g4.ref.ppm"}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.index);
        stream.SetPosition(0);
        picture.ReadImage(stream, page.index);
        EXPECT_EQ(picture.ImageFormat(), page.format);
        EXPECT_TRUE(PictureMatches(picture, ReadPpm(Tif(page.ref))));
    }
    stream.SetPosition(0);
    EXPECT_THROW(picture.ReadImage(stream, 4), ETiffError);
    EXPECT_TRUE(picture.IsEmpty());
}

TEST(TiffRead, PictureInsideALargerStreamReadsLikeTheFile) {
    const std::vector<uint8_t> file = FileBytes(Tif("rgb_zip_pred.tif"));
    TMemoryStream stream;
    std::vector<uint8_t> prefix(100, 0xAB);
    stream.WriteBuffer(prefix.data(), 100);
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(100);
    TTiffGraphic picture;
    picture.ReadImage(stream, 1);
    EXPECT_TRUE(PictureMatches(picture, ReadPpm(Tif("rgb_zip_pred.ref.ppm"))));
}

// ---- writing

struct TiffTags {
    std::map<int, std::string> values;  // tag number -> tiffdump's value text
};

// The first directory's tags as tiffdump prints them: "Name (259) SHORT (3) 1<8>".
TiffTags DumpTags(const std::string& file) {
    TiffTags tags;
    std::istringstream in(RunTool("tiffdump '" + file + "' 2>&1"));
    std::string text;
    while (std::getline(in, text)) {
        const size_t open = text.find(" (");
        const size_t close = text.find(')', open == std::string::npos ? 0 : open);
        const size_t lt = text.find('<');
        const size_t gt = text.rfind('>');
        if (open == std::string::npos || close == std::string::npos || lt == std::string::npos ||
            gt == std::string::npos || gt < lt)
            continue;
        const int tag = std::atoi(text.substr(open + 2, close - open - 2).c_str());
        if (tag > 0 && !tags.values.count(tag))
            tags.values[tag] = text.substr(lt + 1, gt - lt - 1);
    }
    return tags;
}

// "YYYY:MM:DD HH:MM:SS" and its terminating NUL as tiffdump shows it.
bool IsTiffDateTime(const std::string& text) {
    const std::string pattern = "dddd:dd:dd dd:dd:dd\\0";
    if (text.size() != pattern.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    return true;
}

TEST(TiffWrite, EachCompressionIsWhatToolsRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    const struct {
        const char* source;
        uint8_t code;
        int tag;
        int rowsPerStrip;
        int photometric;
    } cases[] = {
        {"rgb_none.tif", 0, 1, 16, 2},          {"rgb_none.tif", 1, 32773, 16, 2},
        {"rgb_none.tif", 5, 32946, 16, 2},      {"rgb_none.tif", 7, 8, 16, 2},
        {"gray8.tif", 1, 32773, 16, 1},         {"gray4.tif", 5, 32946, 16, 1},
        {"pal8.tif", 7, 8, 16, 3},              {"pal4.tif", 0, 1, 16, 3},
        {"bw1.tif", 0, 1, 16, 1},               {"bw1.tif", 2, 3, 256, 0},
        {"bw1.tif", 3, 3, 256, 0},              {"bw1.tif", 4, 4, 256, 0},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string file = folder + "/out" + std::to_string(n++) + ".tif";
        SCOPED_TRACE(std::string(c.source) + " code " + std::to_string(c.code));
        TTiffGraphic picture;
        ReadTiff(picture, Tif(c.source));
        picture.SetXDpi(150);
        picture.SetYDpi(75);
        picture.SetCompression(c.code);
        picture.SaveToFile(file);

        TiffTags tags = DumpTags(file);
        EXPECT_EQ(tags.values[259], std::to_string(c.tag));
        EXPECT_EQ(tags.values[262], std::to_string(c.photometric));
        EXPECT_EQ(tags.values[278], std::to_string(c.rowsPerStrip));
        EXPECT_EQ(tags.values[282], "150");
        EXPECT_EQ(tags.values[283], "75");
        EXPECT_EQ(tags.values[296], "2");
        EXPECT_EQ(tags.values[305], "Ruvezevo Image Library\\0");
        EXPECT_TRUE(IsTiffDateTime(tags.values[306])) << tags.values[306];
        EXPECT_EQ(tags.values.count(320), c.photometric == 3 ? 1u : 0u);
        if (c.code == 2 || c.code == 3) {
            EXPECT_EQ(tags.values[292], c.code == 3 ? "1" : "0");
        }

        EXPECT_TRUE(PictureMatches(picture, DecodeWithPil(file, folder)));
        TTiffGraphic again;
        ReadTiff(again, file);
        EXPECT_EQ(again.ImageFormat(), picture.ImageFormat());
        EXPECT_TRUE(PictureMatches(again, DecodeWithPil(file, folder)));
    }
}

TEST(TiffWrite, FaxGroup3StoresInvertedBitsAsMinIsWhite) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/g3.tif";
    TTiffGraphic picture;
    picture.NewImage(16, 2, ifBlackWhite, nullptr, 0, 0);
    EXPECT_EQ(picture.Compression, vo_TIF::tcFaxGroup4);
    picture.ScanLine(0)[0] = 0xF0;  // index 1 (white) in the first four pixels
    picture.SetCompression(vo_TIF::tcFaxGroup3_1D);
    picture.SaveToFile(file);
    // tiffcp undoes the fax coding; the raw bits then show the inversion.
    const std::string raw = dir.path().toStdString() + "/raw.tif";
    RunTool("tiffcp -c none '" + file + "' '" + raw + "'");
    const std::vector<uint8_t> bytes = FileBytes(raw);
    EXPECT_EQ(DumpTags(raw).values[262], "0");
    const int offset = std::stoi(DumpTags(raw).values[273]);
    ASSERT_GE(bytes.size(), size_t(offset) + 4);
    EXPECT_EQ(bytes[size_t(offset)], 0x0F);
    EXPECT_EQ(bytes[size_t(offset) + 1], 0xFF);
}

TEST(TiffWrite, PaletteEntriesKeepFullScaleAndSetCompressionRefuses) {
    TPaletteRecord palette;
    palette.NumberOfEntries = 16;
    palette.Entries[0] = MakeColorRef(255, 0, 1);  // blue 255, green 0, red 1
    TTiffGraphic picture;
    picture.NewImage(3, 3, ifColor16, &palette, 0, 0);
    EXPECT_EQ(picture.Compression, vo_TIF::tcPackbits);
    TMemoryStream stream;
    picture.SaveToStream(stream);
    TTiffGraphic again;
    stream.SetPosition(0);
    again.ReadImage(stream, 1);
    EXPECT_EQ(static_cast<uint32_t>(again.PaletteRecord().Entries[0]), 0x0100FFu);

    const struct {
        uint8_t format;
        uint8_t code;
        const char* message;
    } refused[] = {
        {ifTrueColor, 6, "JPEG compression not supported with 24bpp color images"},
        {ifGray256, 2, "Fax Group 3, 1D compression not supported with 8bpp gray images"},
        {ifColor16, 4, "Fax Group 4 compression not supported with 4bpp color images"},
        {ifBlackWhite, 6, "JPEG compression not supported with B/W images"},
    };
    for (const auto& c : refused) {
        picture.NewImage(2, 2, c.format, nullptr, 0, 0);
        try {
            picture.SetCompression(c.code);
            ADD_FAILURE() << c.message;
        } catch (const ERuvezevoError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_THROW(picture.SetCompression(8), ERuvezevoError);
}

TEST(TiffWrite, AppendingThreePagesGivesAThreePageFile) {
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/three.tif";
    TMemoryStream stream;
    const char* sources[] = {"rgb_none.tif", "gray8.tif", "pal4.tif"};
    for (const char* source : sources) {
        TTiffGraphic picture;
        ReadTiff(picture, Tif(source));
        picture.AppendToStream(stream);
    }
    stream.SaveToFile(file);
    TTiffGraphic reader;
    stream.SetPosition(0);
    EXPECT_EQ(reader.GetImageCount(stream), 3);
    int status = 0;
    const std::string info = RunTool("tiffinfo '" + file + "' 2>&1 | grep -c 'TIFF Directory'", &status);
    EXPECT_EQ(std::stoi(info), 3);
    stream.SetPosition(0);
    reader.ReadImage(stream, 2);
    EXPECT_EQ(reader.ImageFormat(), ifGray256);
    EXPECT_TRUE(PictureMatches(reader, ReadPpm(Tif("gray8.ref.ppm"))));
}

TEST(TiffWrite, SavingInsideALargerStreamKeepsWhatStandsBefore) {
    TTiffGraphic picture;
    ReadTiff(picture, Tif("gray8.tif"));
    TMemoryStream stream;
    stream.WriteBuffer("header--", 8);
    picture.SaveToStream(stream);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 8), "header--");
    stream.SetPosition(8);
    TTiffGraphic again;
    again.ReadImage(stream, 1);
    EXPECT_TRUE(PictureMatches(again, ReadPpm(Tif("gray8.ref.ppm"))));
}

// ---- hostile input

// A little-endian one-strip 8-bit grey TIFF of the given size (LONG sizes),
// with `dataBytes` bytes of strip data.
std::vector<uint8_t> MinimalTiff(uint32_t width, uint32_t height, uint32_t dataBytes) {
    std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const struct {
        uint16_t tag, type;
        uint32_t value;
    } entries[] = {{256, 4, width}, {257, 4, height}, {258, 3, 8},   {259, 3, 1},        {262, 3, 1},
                   {273, 4, 0},     {277, 3, 1},      {278, 4, height}, {279, 4, dataBytes}};
    const uint32_t dataAt = 8 + 2 + 12 * 9 + 4;
    auto put16 = [&](uint32_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    put16(9);
    for (const auto& e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(1);
        put32(e.tag == 273 ? dataAt : e.value);
    }
    put32(0);
    out.resize(out.size() + dataBytes, 0x55);
    return out;
}

// The pixels of a picture as a raster.
RgbRaster ReadPpmOf(const TDibGraphic& picture) {
    RgbRaster r;
    r.Width = picture.GetWidth();
    r.Height = picture.GetHeight();
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x)
            r.Pixels.push_back(static_cast<uint32_t>(picture.GetPixel(x, y)) & 0xFFFFFF);
    return r;
}

// The file with the compressed bytes of its first strip overwritten.
std::vector<uint8_t> WithBrokenStrip(const std::string& file) {
    std::vector<uint8_t> bytes = FileBytes(file);
    TMemoryStream stream;
    PutBytes(stream, bytes);
    TIFF* handle = OpenTiffStream(stream, 0);
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    if (handle && TIFFGetField(handle, TIFFTAG_STRIPOFFSETS, &offsets) &&
        TIFFGetField(handle, TIFFTAG_STRIPBYTECOUNTS, &counts)) {
        for (uint64_t i = 2; i < counts[0] && offsets[0] + i < bytes.size(); ++i)
            bytes[size_t(offsets[0] + i)] = 0xFF;
    }
    CloseTiff(handle);
    return bytes;
}

TEST(TiffHostile, DeclaredSizeAboveTheLimitIsRefusedBeforeAllocating) {
    TMemoryStream stream;
    PutBytes(stream, MinimalTiff(200000, 200000, 16));
    TTiffGraphic picture;
    try {
        picture.ReadImage(stream, 1);
        ADD_FAILURE() << "no exception";
    } catch (const ERuvezevoError& e) {
        EXPECT_NE(e.Message().find("Image too large"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(picture.IsEmpty());
}

TEST(TiffHostile, TruncatedAndMutatedFilesRaiseTheCodecsExceptions) {
    const char* files[] = {"rgb_none.tif", "rgb_packbits.tif", "rgb_zip_pred.tif", "rgb_tiled.tif",
                           "rgb_planar.tif", "gray16.tif", "pal8.tif", "pal4.tif", "bw_g3_1d.tif",
                           "bw_g3_2d.tif", "bw_g4.tif", "multi3.tif"};
    Lcg random{12345};
    for (const char* name : files) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> good = FileBytes(Tif(name));
        TMemoryStream goodStream;
        PutBytes(goodStream, good);
        TTiffGraphic reference;
        const int pages = reference.GetImageCount(goodStream);
        goodStream.SetPosition(0);
        reference.ReadImage(goodStream, pages);
        std::vector<std::vector<uint8_t>> variants;
        for (size_t cut : {size_t(0), size_t(4), size_t(8), size_t(20), good.size() / 3, good.size() / 2,
                           good.size() - 12, good.size() - 1})
            variants.emplace_back(good.begin(), good.begin() + std::min(cut, good.size()));
        for (int m = 0; m < 60; ++m) {
            std::vector<uint8_t> bad = good;
            const int flips = 1 + int(random.Next() % 4);
            for (int f = 0; f < flips; ++f)
                bad[random.Next() % bad.size()] = uint8_t(random.Next());
            variants.push_back(std::move(bad));
        }
        int cutIndex = 0;
        for (const auto& bytes : variants) {
            const bool truncated = cutIndex++ < 8;
            TMemoryStream stream;
            PutBytes(stream, bytes);
            TTiffGraphic picture;
            bool raised = false;
            try {
                for (int page = 1; page <= pages; ++page) {
                    stream.SetPosition(0);
                    picture.ReadImage(stream, page);
                }
            } catch (const ETiffError&) {
                raised = true;
            } catch (const ERuvezevoError&) {
                raised = true;
            }
            // A cut file either fails or lost nothing the pages need.
            if (truncated && !raised) {
                EXPECT_EQ(picture.GetWidth(), reference.GetWidth()) << "cut at " << bytes.size();
                EXPECT_TRUE(SamePixels(ReadPpmOf(reference), picture.GetWidth(), picture.GetHeight(),
                                       [&](int x, int y) { return static_cast<uint32_t>(picture.GetPixel(x, y)); }))
                    << "cut at " << bytes.size();
            }
            if (raised) {
                EXPECT_TRUE(picture.IsEmpty());
            }
        }
    }
}

TEST(TiffHostile, TwoThreadsDecodingAtOnceEachReportTheirOwnOutcome) {
    const std::vector<uint8_t> good = FileBytes(Tif("rgb_zip_pred.tif"));
    const std::vector<uint8_t> corrupt = WithBrokenStrip(Tif("rgb_zip_pred.tif"));
    const RgbRaster expected = ReadPpm(Tif("rgb_zip_pred.ref.ppm"));
    std::atomic<int> goodOk{0}, corruptRaised{0}, wrong{0};
    auto worker = [&](const std::vector<uint8_t>& bytes, bool shouldWork) {
        for (int i = 0; i < 40; ++i) {
            TMemoryStream stream;
            PutBytes(stream, bytes);
            TTiffGraphic picture;
            try {
                picture.ReadImage(stream, 1);
                if (shouldWork && PictureMatches(picture, expected))
                    ++goodOk;
                else
                    ++wrong;
            } catch (const ETiffError&) {
                (shouldWork ? wrong : corruptRaised)++;
            }
        }
    };
    std::thread a(worker, std::cref(good), true);
    std::thread b(worker, std::cref(corrupt), false);
    a.join();
    b.join();
    EXPECT_EQ(goodOk, 40);
    EXPECT_EQ(corruptRaised, 40);
    EXPECT_EQ(wrong, 0);
}

TEST(TiffBinding, ErrorsAreKeptOnTheHandleThatMetThem) {
    const std::vector<uint8_t> corrupt = WithBrokenStrip(Tif("rgb_zip_pred.tif"));
    TMemoryStream bad, good;
    PutBytes(bad, corrupt);
    PutBytes(good, FileBytes(Tif("rgb_none.tif")));
    TIFF* badHandle = OpenTiffStream(bad, 0);
    TIFF* goodHandle = OpenTiffStream(good, 0);
    ASSERT_NE(goodHandle, nullptr);
    ASSERT_NE(badHandle, nullptr);
    std::vector<uint8_t> strip(4096);
    EXPECT_EQ(TIFFReadEncodedStrip(badHandle, 0, strip.data(), -1), -1);
    EXPECT_NE(TiffErrorText(badHandle), "");
    EXPECT_EQ(CountTiffPages(goodHandle), 1);
    EXPECT_EQ(TiffErrorText(goodHandle), "");
    CloseTiff(badHandle);
    CloseTiff(goodHandle);

    try {
        uint16_t value = 0;
        TMemoryStream again;
        PutBytes(again, FileBytes(Tif("gray8_nophotometric.tif")));
        TIFF* handle = OpenTiffStream(again, 0);
        ASSERT_NE(handle, nullptr);
        struct Closer {
            TIFF* h;
            ~Closer() { CloseTiff(h); }
        } closer{handle};
        GetTiffField(handle, 262, value);
        ADD_FAILURE() << "no exception";
    } catch (const ETiffError& e) {
        EXPECT_EQ(e.Message(), "ETiffError TIFFGetField: Tag = 262");
    }
    EXPECT_EQ(CompressionTagName(32771), "CCITT Aligned RLE ");
    EXPECT_EQ(CompressionTagName(6), "Unknown");
}

}  // namespace
}  // namespace lumvor
