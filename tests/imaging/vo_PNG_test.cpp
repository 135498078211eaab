// PNG pictures: every colour type and depth against what PIL decodes (with
// transparency composited), resolution, header reads, saving checked with
// pngcheck and PIL, and hostile input.
#include "imaging/vo_PNG.h"

#include "codec_test_tools.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>

namespace lumvor {
namespace {

using namespace test;

std::string Png(const std::string& name) { return CodecFixture("png/" + name); }

void ReadPng(TPngGraphic& picture, const std::string& file) {
    TFileStream stream(file, fmOpenRead);
    picture.ReadImage(stream, 1);
}

TEST(PngRead, EveryColourTypeAndDepthLoadsAsPilDecodesIt) {
    const struct {
        const char* file;
        uint8_t format;
        int tolerance;  // compositing may round the other way
    } cases[] = {
        {"grey1", ifBlackWhite, 0},   {"grey4", ifGray16, 0},      {"grey8", ifGray256, 0},
        {"grey16", ifGray256, 0},     {"pal2", ifColor16, 0},      {"pal4", ifColor16, 0},
        {"pal8_trns", ifColor256, 1}, {"rgb8", ifTrueColor, 0},    {"rgb16", ifTrueColor, 0},
        {"rgba8", ifTrueColor, 1},    {"greya8", ifGray256, 1},    {"rgba8_bkgd", ifTrueColor, 1},
        {"rgb8_interlaced", ifTrueColor, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TPngGraphic picture;
        ReadPng(picture, Png(std::string(c.file) + ".png"));
        EXPECT_EQ(picture.ImageFormat(), c.format);
        const RgbRaster expected = ReadPpm(Png(std::string(c.file) + ".ref.ppm"));
        ASSERT_FALSE(expected.Pixels.empty());
        EXPECT_TRUE(PictureMatches(picture, expected, c.tolerance));
    }
}

TEST(PngRead, TwoBitGreyBecomesEveryFifthGreyLevel) {
    TPngGraphic picture;
    ReadPng(picture, Png("grey2.png"));
    ASSERT_EQ(picture.ImageFormat(), ifGray16);
    // Sample (x + 2y) mod 4, written by make.py.
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x)
            ASSERT_EQ(picture.GetPixelIndex(x, y), (x + y * 2) % 4 * 5) << x << "," << y;
}

TEST(PngRead, OwnBackgroundReplacesTheFilesWhenAsked) {
    TPngGraphic picture;
    picture.UseBackground = true;
    picture.BackgroundColor = 0x20 | 0x40 << 8 | 0x60 << 16;  // red, green, blue from the low byte
    ReadPng(picture, Png("rgba8_bkgd.png"));
    EXPECT_TRUE(PictureMatches(picture, ReadPpm(Png("rgba8_bkgd_own.ref.ppm")), 1));
}

TEST(PngRead, ResolutionFromPixelsPerMetreOnly) {
    TPngGraphic picture;
    ReadPng(picture, Png("rgb8_phys_metre.png"));  // 5906 x 2953 pixels per metre
    EXPECT_EQ(picture.GetXDpi(), 150);
    EXPECT_EQ(picture.GetYDpi(), 75);
    TDibGraphic screen;
    screen.NewImage(1, 1, ifTrueColor, nullptr, 0, 0);
    ReadPng(picture, Png("rgb8_phys_unitless.png"));
    EXPECT_EQ(picture.GetXDpi(), screen.GetXDpi());
    EXPECT_EQ(picture.GetYDpi(), screen.GetYDpi());
}

TEST(PngRead, FileInfoGivesTheHeader) {
    const struct {
        const char* file;
        int bitCount;
        int colorType;
        int interlace;
    } cases[] = {{"rgb8.png", 24, 2, 0}, {"rgba8.png", 24, 6, 0}, {"pal4.png", 4, 3, 0},
                 {"grey16.png", 16, 0, 0}, {"rgb8_interlaced.png", 24, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TPngGraphic picture;
        picture.ReadFileInfo(Png(c.file), true);
        EXPECT_EQ(picture.InfoWidth, 13);
        EXPECT_EQ(picture.InfoHeight, 7);
        EXPECT_EQ(picture.InfoBitCount, c.bitCount);
        EXPECT_EQ(picture.InfoColorType, c.colorType);
        EXPECT_EQ(picture.InfoInterlace, c.interlace);
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_EQ(picture.HeaderStream.Size(), 0);
    }
    TPngGraphic full;
    full.ReadFileInfo(Png("pal4.png"), false);
    EXPECT_TRUE(PictureMatches(full, ReadPpm(Png("pal4.ref.ppm"))));
    EXPECT_EQ(full.HeaderStream.Size(), 0);
    EXPECT_THROW(full.ReadFileInfo(Png("make.py"), true), EPNGError);
    EXPECT_EQ(full.HeaderStream.Size(), 0);
}

TEST(PngWrite, DefaultSaveIsInterlacedWithGammaAndLevelFive) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const struct {
        const char* source;
        uint8_t level;
        bool interlaced;
        const char* zlibText;
    } cases[] = {
        {"rgb8.png", 1, true, "fast compression"},      // the defaults: level 5
        {"grey4.png", 1, true, "fast compression"},
        {"grey1.png", 2, false, "maximum compression"},  // level 9
        {"pal4.png", 0, true, "superfast compression"},  // level 1
        {"pal8_trns.png", 1, false, "fast compression"},
        {"grey8.png", 1, true, "fast compression"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TPngGraphic picture;
        ReadPng(picture, Png(c.source));
        if (c.level != 1)
            picture.CompressionLevel = c.level;
        if (!c.interlaced)
            picture.Interlaced = false;
        picture.SetXDpi(150);
        const std::string file = folder + "/out" + std::to_string(n++) + ".png";
        picture.SaveToFile(file);
        const std::string report = RunTool("pngcheck -v '" + file + "' 2>&1");
        EXPECT_NE(report.find(c.interlaced ? ", interlaced" : ", non-interlaced"), std::string::npos) << report;
        EXPECT_NE(report.find("length 4: 0.50000"), std::string::npos) << report;
        EXPECT_NE(report.find(c.zlibText), std::string::npos) << report;
        EXPECT_NE(report.find("5906x3780 pixels/meter"), std::string::npos) << report;
        EXPECT_NE(report.find("No errors"), std::string::npos) << report;
        EXPECT_TRUE(PictureMatches(picture, DecodeWithPil(file, folder)));
    }
}

// ---- hostile input


TEST(PngHostile, GiantDeclaredSizesAreRefusedBeforeAllocating) {
    // IHDR of a good file with its size replaced; the CRC made right again.
    const struct {
        uint32_t width, height;
    } sizes[] = {{100000, 100000}, {1u << 24, 1}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& size : sizes) {
        std::vector<uint8_t> bytes = FileBytes(Png("rgb8.png"));
        for (int i = 0; i < 4; ++i) {
            bytes[16 + i] = uint8_t(size.width >> (24 - 8 * i));
            bytes[20 + i] = uint8_t(size.height >> (24 - 8 * i));
        }
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = 12; i < 12 + 17; ++i) {
            crc ^= bytes[i];
            for (int k = 0; k < 8; ++k)
                crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        crc = ~crc;
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = uint8_t(crc >> (24 - 8 * i));
        TMemoryStream stream;
        PutBytes(stream, bytes);
        TPngGraphic picture;
        bool refused = false;
        try {
            picture.ReadImage(stream, 1);
        } catch (const EPNGError&) {
            refused = true;
        } catch (const ERuvezevoError& e) {
            refused = std::string(e.Message()).find("Image too large") != std::string::npos;
        }
        EXPECT_TRUE(refused) << size.width << " x " << size.height;
        EXPECT_TRUE(picture.IsEmpty());
    }
}

TEST(PngHostile, TruncatedAndMutatedFilesRaiseEPNGError) {
    const char* files[] = {"grey2.png", "grey16.png", "pal8_trns.png", "rgb8_interlaced.png", "rgba8_bkgd.png",
                           "rgb16.png"};
    Lcg random{777};
    for (const char* name : files) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> good = FileBytes(Png(name));
        TPngGraphic reference;
        ReadPng(reference, Png(name));
        std::vector<std::vector<uint8_t>> variants;
        for (size_t cut : {size_t(0), size_t(7), size_t(8), size_t(20), size_t(33), good.size() / 2,
                           good.size() - 13, good.size() - 1})
            variants.emplace_back(good.begin(), good.begin() + std::min(cut, good.size()));
        const size_t cuts = variants.size();
        for (int m = 0; m < 80; ++m) {
            std::vector<uint8_t> bad = good;
            const int flips = 1 + int(random.Next() % 3);
            for (int f = 0; f < flips; ++f)
                bad[8 + random.Next() % (bad.size() - 8)] = uint8_t(random.Next());
            variants.push_back(std::move(bad));
        }
        for (size_t v = 0; v < variants.size(); ++v) {
            TMemoryStream stream;
            PutBytes(stream, variants[v]);
            TPngGraphic picture;
            bool raised = false;
            try {
                picture.ReadImage(stream, 1);
            } catch (const EPNGError&) {
                raised = true;
            }
            if (raised) {
                EXPECT_TRUE(picture.IsEmpty());
            } else if (v < cuts) {
                // Only the end chunk was cut, which the reader never needs.
                EXPECT_TRUE(PictureMatches(picture, [&] {
                    RgbRaster r;
                    r.Width = reference.GetWidth();
                    r.Height = reference.GetHeight();
                    for (int y = 0; y < r.Height; ++y)
                        for (int x = 0; x < r.Width; ++x)
                            r.Pixels.push_back(static_cast<uint32_t>(reference.GetPixel(x, y)) & 0xFFFFFF);
                    return r;
                }())) << "cut at " << variants[v].size();
            }
        }
    }
}

TEST(PngHostile, StreamErrorsPassThroughUnchanged) {
    // A stream that fails after the signature: its own exception arrives, not libpng's.
    class FailingStream : public TMemoryStream {
    public:
        int64_t Read(void* buffer, int64_t count) override {
            if (Position() >= 8)
                throw EReadError("Stream read error");
            return TMemoryStream::Read(buffer, count);
        }
    };
    FailingStream stream;
    const std::vector<uint8_t> bytes = FileBytes(Png("rgb8.png"));
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TPngGraphic picture;
    EXPECT_THROW(picture.ReadImage(stream, 1), EReadError);
    TMemoryStream notPng;
    notPng.WriteBuffer("GIF89a..", 8);
    notPng.SetPosition(0);
    try {
        picture.ReadImage(notPng, 1);
        ADD_FAILURE() << "no exception";
    } catch (const EPNGError& e) {
        EXPECT_EQ(e.Message(), "Invalid PNG file");
    }
}

}  // namespace
}  // namespace lumvor
