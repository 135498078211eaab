#include "platform/pcd/PcdLib.h"

#include "support/picture_compare.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <cstring>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/pcd/";
const std::string Pack = Fixtures + "img0001.pcd";

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string TempPath(const std::string& name) {
    return (fs::path(std::getenv("LUMVOR_HOME") ? std::getenv("LUMVOR_HOME") : "/tmp") / name)
        .string();
}

// A reference picture (PNG written by ImageMagick) as an RGB raster.
test::RgbRaster Reference(const std::string& name) {
    QImage image(QString::fromStdString(Fixtures + name));
    test::RgbRaster r;
    if (image.isNull())
        return r;
    image = image.convertToFormat(QImage::Format_RGB32);
    r.Width = image.width();
    r.Height = image.height();
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x)
            r.Pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return r;
}

// Pixel (x, y) of a 24-bit packed DIB as 0x00RRGGBB, read straight from the
// bottom-up rows behind the 1,064 header bytes.
struct DibView {
    const TPackedDib& Dib;
    uint32_t operator()(int x, int y) const {
        const BITMAPINFOHEADER h = Dib.Header();
        const int64_t rowBytes = DibRowBytes(h.biWidth, 24);
        const uint8_t* p =
            Dib.Bytes().data() + 1064 + rowBytes * (h.biHeight - 1 - y) + 3 * int64_t(x);
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

struct OpenPack {
    HPCD Handle = 0;
    explicit OpenPack(const std::string& path) { EXPECT_EQ(PCDopen(path.c_str(), Handle), pcdOK); }
    ~OpenPack() {
        if (Handle)
            PCDclose(Handle);
    }
};

TEST(PhotoCDLibrary, DescribesTheImagePack) {
    OpenPack pack(Pack);
    ASSERT_NE(pack.Handle, 0);
    PCDattributes attributes{7, 7};
    uint16_t turn = 9;
    EXPECT_EQ(PCDgetAttributes(pack.Handle, attributes, turn), pcdOK);
    EXPECT_EQ(attributes.EncryptedLevels, 0u);
    EXPECT_EQ(attributes.Watermarked, 0u);
    EXPECT_EQ(turn, 0);
    uint32_t mask = 0;
    uint16_t count = 0;
    EXPECT_EQ(PCDgetCount(pack.Handle, mask, count), pcdOK);
    EXPECT_EQ(mask, 0x07u);
    EXPECT_EQ(count, 4);
    int16_t level = -1;
    EXPECT_EQ(PCDgetResolution(pack.Handle, level), pcdOK);
    EXPECT_EQ(level, pcdBase);

    // ImageMagick writes a colour negative with no photofinisher and no
    // copyright file (exiftool: "Image Medium: Color negative").
    PCDphotoInfo info;
    EXPECT_EQ(PCDreadImageInfo(pack.Handle, info), pcdOK);
    EXPECT_EQ(info.Bytes[pcdInfoMedium], 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info.Bytes + pcdInfoMediumName), 20),
              "Color negative      ");
    EXPECT_EQ(info.Bytes[pcdInfoPhotofinisher], 0xFF);
    EXPECT_EQ(info.Bytes[pcdInfoHasCopyright], 0);
}

// Each stored level decodes to ImageMagick's reading of the same file, and the
// colour patches come back close to the source picture.
TEST(PhotoCDLibrary, DecodesEachLevelLikeImageMagick) {
    const struct {
        int16_t Level;
        int Width, Height;
        const char* Reference;
        int Tolerance;
    } cases[] = {
        {pcdBase16, 192, 128, "im-base16.png", 1},
        {pcdBase4, 384, 256, "im-base4.png", 1},
        {pcdBase, 768, 512, "im-base.png", 1},
        {pcdBase64, 96, 64, "im-base64.png", 2},
    };
    const test::RgbRaster source = Reference("source.png");
    ASSERT_EQ(source.Width, 768);
    OpenPack pack(Pack);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reference);
        ASSERT_EQ(PCDsetResolution(pack.Handle, c.Level), pcdOK);
        PCDrect rect;
        ASSERT_EQ(PCDgetSize(pack.Handle, rect), pcdOK);
        EXPECT_EQ(rect.Left, 0);
        EXPECT_EQ(rect.Top, 0);
        EXPECT_EQ(rect.Right, c.Width);
        EXPECT_EQ(rect.Bottom, c.Height);
        ASSERT_EQ(PCDsetFormat(pack.Handle, pcdFormatDibWithTable), pcdOK);
        TPackedDib dib;
        ASSERT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdOK);
        const BITMAPINFOHEADER h = dib.Header();
        EXPECT_EQ(h.biWidth, c.Width);
        EXPECT_EQ(h.biHeight, c.Height);
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(dib.Size(), 1064 + DibRowBytes(c.Width, 24) * c.Height);
        // ImageMagick's Base/64 averages RGB pixels where this one averages
        // luma, which differs only where colours meet: there (a pixel whose
        // 3 x 3 neighbourhood in the reference is not flat) any value passes.
        test::RgbRaster reference = Reference(c.Reference);
        ASSERT_EQ(reference.Width, c.Width);
        test::RgbRaster compared = reference;
        if (c.Level == pcdBase64)
            for (int y = 0; y < c.Height; ++y)
                for (int x = 0; x < c.Width; ++x) {
                    bool flat = true;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = std::clamp(x + dx, 0, c.Width - 1);
                            const int ny = std::clamp(y + dy, 0, c.Height - 1);
                            flat = flat && reference.At(nx, ny) == reference.At(x, y);
                        }
                    if (!flat)
                        compared.Pixels[size_t(y) * c.Width + x] = DibView{dib}(x, y);
                }
        EXPECT_TRUE(test::SamePixels(compared, c.Width, c.Height, DibView{dib}, c.Tolerance));
        // Against the source picture: ImageMagick's writer keeps white, black
        // and the pure green, yellow and magenta, while it shifts other
        // colours, so only those are compared.
        const int scale = 768 / c.Width;
        const int points[][2] = {{480, 192}, {672, 192}, {288, 64}, {672, 64}, {288, 192}};
        for (const auto& p : points) {
            const uint32_t want = source.At(p[0], p[1]);
            const uint32_t got = DibView{dib}(p[0] / scale, p[1] / scale);
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 6)
                    << "at " << p[0] << "," << p[1];
        }
        // The DIB is a standard one: its stated colour table is skipped by a DIB reader.
        const TPixelBuffer pixels = dib.ToPixels();
        EXPECT_EQ(pixels.Width(), c.Width);
        EXPECT_EQ(pixels.GetColor(c.Width / 2, c.Height / 3),
                  ((DibView{dib}(c.Width / 2, c.Height / 3) & 0xFF) << 16) |
                      (DibView{dib}(c.Width / 2, c.Height / 3) & 0xFF00) |
                      (DibView{dib}(c.Width / 2, c.Height / 3) >> 16));
        EXPECT_EQ(PCDfreeBitmap(dib), pcdOK);
        EXPECT_TRUE(dib.Empty());
    }
}

TEST(PhotoCDLibrary, RefusesLevelsAndFormatsItCannotDeliver) {
    OpenPack pack(Pack);
    ASSERT_EQ(PCDsetResolution(pack.Handle, pcdBase4), pcdOK);
    EXPECT_EQ(PCDsetResolution(pack.Handle, pcd4Base), pcdResolutionNotSupported);
    EXPECT_EQ(PCDsetResolution(pack.Handle, pcd16Base), pcdResolutionNotSupported);
    EXPECT_STREQ(PCDstatusText(pcdResolutionNotSupported),
                 "4Base and 16Base resolutions are not supported");
    EXPECT_EQ(PCDsetResolution(pack.Handle, 6), pcdBadResolution);
    EXPECT_EQ(PCDsetResolution(pack.Handle, -1), pcdBadResolution);
    int16_t level = -1;
    PCDgetResolution(pack.Handle, level);
    EXPECT_EQ(level, pcdBase4);  // refused levels leave the level set before
    EXPECT_EQ(PCDsetFormat(pack.Handle, 3), pcdBadFormat);
    TPackedDib dib;
    EXPECT_EQ(PCDloadImage(pack.Handle, 1, dib), pcdNoSuchImage);
    EXPECT_TRUE(dib.Empty());
}

TEST(PhotoCDLibrary, TurnsThePictureByItsTurnCode) {
    std::vector<uint8_t> bytes = ReadAll(Pack);
    ASSERT_EQ(bytes.size(), 788480u);
    const test::RgbRaster upright = Reference("im-base16.png");
    for (int turn : {1, 2, 3}) {
        SCOPED_TRACE(turn);
        bytes[0xE02] = uint8_t(turn);
        const std::string path = TempPath("img-turned.pcd");
        WriteAll(path, bytes);
        OpenPack pack(path);
        uint16_t info = 0;
        PCDattributes attributes;
        PCDgetAttributes(pack.Handle, attributes, info);
        EXPECT_EQ(info, turn);
        PCDsetResolution(pack.Handle, pcdBase16);
        PCDrect rect;
        PCDgetSize(pack.Handle, rect);
        const int w = turn == 2 ? 192 : 128, h = turn == 2 ? 128 : 192;
        EXPECT_EQ(rect.Right, w);
        EXPECT_EQ(rect.Bottom, h);
        TPackedDib dib;
        ASSERT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdOK);
        if (turn == 2) {
            // ImageMagick leaves a half turn alone: compare with its upright picture.
            EXPECT_TRUE(test::SamePixels(upright, 192, 128,
                                         [&](int x, int y) { return DibView{dib}(191 - x, 127 - y); },
                                         1));
        } else {
            EXPECT_TRUE(test::SamePixels(Reference("im-base16-turn" + std::to_string(turn) + ".png"),
                                         w, h, DibView{dib}, 1));
        }
    }
}

TEST(PhotoCDLibrary, BadHandlesAndOpenFailures) {
    HPCD handle = 77;
    EXPECT_EQ(PCDopen((Fixtures + "missing.pcd").c_str(), handle), pcdCannotOpen);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(PCDopen(nullptr, handle), pcdCannotOpen);
    EXPECT_EQ(PCDopen("", handle), pcdCannotOpen);
    EXPECT_EQ(PCDopen((Fixtures + "source.png").c_str(), handle), pcdNotImagePack);
    EXPECT_EQ(PCDopen(Fixtures.c_str(), handle), pcdCannotOpen);  // a folder
    EXPECT_EQ(handle, 0);

    PCDrect rect;
    int16_t level;
    PCDphotoInfo info;
    TPackedDib dib;
    EXPECT_EQ(PCDgetSize(0, rect), pcdBadHandle);
    EXPECT_EQ(PCDgetResolution(12345, level), pcdBadHandle);
    EXPECT_EQ(PCDreadImageInfo(-1, info), pcdBadHandle);
    EXPECT_EQ(PCDloadImage(0, 0, dib), pcdBadHandle);
    EXPECT_EQ(PCDclose(0), pcdBadHandle);

    HPCD first = 0;
    ASSERT_EQ(PCDopen(Pack.c_str(), first), pcdOK);
    HPCD second = 0;
    ASSERT_EQ(PCDopen(Pack.c_str(), second), pcdOK);
    EXPECT_NE(first, second);
    EXPECT_EQ(PCDclose(first), pcdOK);
    EXPECT_EQ(PCDclose(first), pcdBadHandle);
    EXPECT_EQ(PCDgetSize(second, rect), pcdOK);
    EXPECT_EQ(PCDclose(second), pcdOK);
}

// Cut packs never open; a pack cut after it was opened fails to load; damaged
// signatures are refused and damaged samples still decode, all without a
// read outside the file or the buffers.
TEST(PhotoCDLibrary, TruncatedAndMutatedPacks) {
    const std::vector<uint8_t> good = ReadAll(Pack);
    const std::string path = TempPath("img-damaged.pcd");
    for (size_t length : {size_t(0), size_t(100), size_t(0x800 + 3), size_t(0x1000),
                          size_t(0x2000 + 100), size_t(0xB800), size_t(0xBFFFF)}) {
        SCOPED_TRACE(length);
        WriteAll(path, std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(length)));
        HPCD handle = 5;
        const PCDstatus status = PCDopen(path.c_str(), handle);
        EXPECT_TRUE(status == pcdNotImagePack || status == pcdIncompletePack) << status;
        EXPECT_EQ(handle, 0);
    }

    for (size_t at : {size_t(0x800), size_t(0x803), size_t(0x806)}) {
        std::vector<uint8_t> bytes = good;
        bytes[at] ^= 0x20;
        WriteAll(path, bytes);
        HPCD handle = 0;
        EXPECT_EQ(PCDopen(path.c_str(), handle), pcdNotImagePack);
    }

    {
        WriteAll(path, good);
        OpenPack pack(path);
        fs::resize_file(path, 0x30000 + 1000);
        TPackedDib dib;
        PCDsetResolution(pack.Handle, pcdBase);
        EXPECT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdReadError);
        EXPECT_TRUE(dib.Empty());
        PCDsetResolution(pack.Handle, pcdBase4);
        EXPECT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdOK);  // still whole
        fs::remove(path);
        EXPECT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdCannotOpen);
    }

    std::mt19937 random(1234);
    for (int round = 0; round < 4; ++round) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 2000; ++i)
            bytes[random() % bytes.size()] = uint8_t(random());
        std::memcpy(&bytes[0x800], "PCD_IPI", 7);
        WriteAll(path, bytes);
        OpenPack pack(path);
        for (int16_t level = pcdBase64; level <= pcdBase; ++level) {
            PCDsetResolution(pack.Handle, level);
            TPackedDib dib;
            EXPECT_EQ(PCDloadImage(pack.Handle, 0, dib), pcdOK);
            PCDrect rect;
            PCDgetSize(pack.Handle, rect);
            EXPECT_EQ(dib.Header().biWidth, rect.Right);
            EXPECT_EQ(dib.Header().biHeight, rect.Bottom);
        }
        PCDphotoInfo info;
        EXPECT_EQ(PCDreadImageInfo(pack.Handle, info), pcdOK);
    }
}

// The description fields come from the pack's information sector (offsets as
// exiftool reads them: medium 21, product 22, scanner 62, photofinisher 132
// and 165, copyright 331 and 332).
TEST(PhotoCDLibrary, ReadsTheDescriptionFields) {
    std::vector<uint8_t> bytes = ReadAll(Pack);
    auto put = [&](int at, const std::string& text) {
        std::memcpy(&bytes[0x800 + size_t(at)], text.data(), text.size());
    };
    bytes[0x800 + 21] = 1;
    put(22, "KODAK EKTACHROME");
    put(62, "FILM SCANNER");
    bytes[0x800 + 132] = 3;
    put(165, "CORNER LAB");
    bytes[0x800 + 331] = 1;
    put(332, "RIGHTS.TXT");
    const std::string path = TempPath("img-described.pcd");
    WriteAll(path, bytes);
    OpenPack pack(path);
    PCDphotoInfo info;
    ASSERT_EQ(PCDreadImageInfo(pack.Handle, info), pcdOK);
    auto text = [&](int at, int size) {
        return std::string(reinterpret_cast<const char*>(info.Bytes + at), size_t(size));
    };
    EXPECT_EQ(info.Bytes[pcdInfoMedium], 1);
    EXPECT_EQ(text(pcdInfoMediumName, 20), "Color reversal      ");
    EXPECT_EQ(text(pcdInfoProductType, 20), "KODAK EKTACHROME    ");
    EXPECT_EQ(text(pcdInfoScanner, 16), "FILM SCANNER    ");
    EXPECT_EQ(text(pcdInfoPhotofinisher, 12), "CORNER LAB  ");
    EXPECT_EQ(info.Bytes[pcdInfoHasCopyright], 1);
    EXPECT_EQ(text(pcdInfoCopyrightFile, 11), std::string("RIGHTS.TXT\0", 11));
}

}  // namespace
}  // namespace lumvor
