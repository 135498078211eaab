#include "imaging/vo_PCD.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using namespace vo_PCD;
namespace fs = std::filesystem;

const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/pcd/";
const std::string Pack = Fixtures + "img0001.pcd";

std::string TempPath(const std::string& name) {
    return (fs::path(std::getenv("LUMVOR_HOME") ? std::getenv("LUMVOR_HOME") : "/tmp") / name)
        .string();
}

TEST(PhotoCDSize, ClampsTheRequestedResolution) {
    // Requested resolution -> level set and size (the pack has levels 0 to 3).
    const struct {
        int Requested, Level, Width, Height;
    } cases[] = {
        {0, 0, 96, 64}, {1, 1, 192, 128}, {2, 2, 384, 256},
        {3, 3, 768, 512}, {4, 3, 768, 512}, {5, 3, 768, 512}, {9, 3, 768, 512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Requested);
        TPhotoCDSize size{111, 222, 333, 444};
        PCDWidth = PCDHeight = -1;
        ReadPhotoCDSize(Pack, c.Requested, size);
        EXPECT_EQ(size.Resolution, c.Level);
        EXPECT_EQ(size.Top, 0);
        EXPECT_EQ(size.Width, c.Width);
        EXPECT_EQ(size.Height, c.Height);
        EXPECT_EQ(PCDWidth, c.Width);
        EXPECT_EQ(PCDHeight, c.Height);
        EXPECT_EQ(PCDResolutionCount, 4);
        EXPECT_EQ(PCDResolutionMask, 0x07u);
        EXPECT_EQ(PCDStatus, pcdOK);  // the close
    }
}

// The level arithmetic, including encrypted packs whose mask allows fewer levels.
TEST(PhotoCDSize, LevelArithmetic) {
    EXPECT_EQ(PhotoCDUsableLevels(0, 0x1F, 6), 6);
    EXPECT_EQ(PhotoCDUsableLevels(0x100, 0x1F, 6), 6);  // only the low byte counts
    EXPECT_EQ(PhotoCDUsableLevels(0xF8, 0x1F, 6), 4);   // levels 1-3 clear: 1 + 3 bits
    EXPECT_EQ(PhotoCDUsableLevels(0xFC, 0x1F, 6), 3);
    EXPECT_EQ(PhotoCDUsableLevels(0xFF, 0x1F, 6), 1);   // nothing clear
    EXPECT_EQ(PhotoCDUsableLevels(0xF0, 0x03, 6), 3);   // clear bits outside the mask ignored

    const struct {
        int Resolution, Count, Usable, Level;
    } cases[] = {
        {0, 4, 4, 0},  {0, 0, 1, 0},  // 0 is passed on without clamping
        {3, 4, 4, 3},  {5, 4, 4, 3}, {5, 6, 6, 5},
        {5, 6, 4, 3},  {3, 6, 3, 2}, {2, 6, 1, 0},
        {-1, 4, 4, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PhotoCDLevelFor(c.Resolution, c.Count, c.Usable), c.Level)
            << c.Resolution << " " << c.Count << " " << c.Usable;
}

TEST(PhotoCDSize, PortraitPicturesReportTheirTurnedSize) {
    std::ifstream in(Pack, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    bytes[0xE02] = 3;
    const std::string path = TempPath("img0002.pcd");
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    TPhotoCDSize size;
    ReadPhotoCDSize(path, 3, size);
    EXPECT_EQ(size.Resolution, 3);
    EXPECT_EQ(size.Width, 512);
    EXPECT_EQ(size.Height, 768);
}

// A file the library cannot open gives 9999 in the first word and leaves the
// others; so do short and foreign files.
TEST(PhotoCDSize, FailureGives9999) {
    std::ifstream in(Pack, std::ios::binary);
    const std::vector<char> good((std::istreambuf_iterator<char>(in)), {});
    const std::string cut = TempPath("img-cut.pcd");
    std::ofstream(cut, std::ios::binary).write(good.data(), 0x30000);
    const std::string files[] = {Fixtures + "missing.pcd", Fixtures + "source.png", cut, ""};
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TPhotoCDSize size{3, 222, 333, 444};
        PCDWidth = 55;
        ReadPhotoCDSize(file, 3, size);
        EXPECT_EQ(size.Resolution, 9999);
        EXPECT_EQ(size.Top, 222);
        EXPECT_EQ(size.Width, 333);
        EXPECT_EQ(size.Height, 444);
        EXPECT_EQ(PCDWidth, 55);
        EXPECT_EQ(PCDStatus, pcdBadHandle);  // the close of the zero handle
    }
}

std::vector<uint8_t> MakeDib(int width, int height, int bits) {
    const int64_t rowBytes = GetRowBytes(width, bits, 32);
    std::vector<uint8_t> bytes(size_t(1064 + rowBytes * height), 0);
    BITMAPINFOHEADER h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = uint16_t(bits);
    WriteInfoHeader(bytes.data(), h);
    for (int i = 0; i < 256; ++i) {  // blue, green, red, 0
        bytes[size_t(40 + 4 * i)] = uint8_t(i);
        bytes[size_t(41 + 4 * i)] = uint8_t(255 - i);
        bytes[size_t(42 + 4 * i)] = uint8_t(i / 2);
    }
    for (int y = 0; y < height; ++y)  // row y from the bottom
        for (int64_t b = 0; b < rowBytes; ++b)
            bytes[size_t(1064 + rowBytes * y + b)] = uint8_t(y * 16 + b);
    return bytes;
}

TEST(PackedDIBToBitmap, CopiesRowsFromByte1064) {
    for (int bits : {24, 8}) {
        SCOPED_TRACE(bits);
        const int width = 5, height = 3;
        const TPackedDib dib(MakeDib(width, height, bits));
        TBitmap bitmap;
        EXPECT_EQ(PackedDIBToBitmap(bitmap, dib, width, height, bits, 24), bits);
        EXPECT_EQ(bitmap.PixelFormat(), bits == 8 ? pf8bit : pf24bit);
        ASSERT_EQ(bitmap.Width(), width);
        ASSERT_EQ(bitmap.Height(), height);
        const int64_t rowBytes = GetRowBytes(width, bits, 32);
        for (int y = 0; y < height; ++y)  // top row = last row of the DIB
            for (int64_t b = 0; b < width * bits / 8; ++b)
                EXPECT_EQ(bitmap.ScanLine(y)[b], uint8_t((height - 1 - y) * 16 + b)) << y << "," << b;
        EXPECT_EQ(bitmap.RowBytes(), rowBytes);
        if (bits == 8) {
            const auto& table = bitmap.Handle()->ColorTable;
            ASSERT_EQ(table.size(), 256u);
            EXPECT_EQ(table[10], 10u | uint32_t(245) << 8 | uint32_t(5) << 16);
        }
    }
    // Other depths give a 24-bit bitmap; 8-bit with an 8-bit screen also gets the palette.
    TBitmap bitmap;
    EXPECT_EQ(PackedDIBToBitmap(bitmap, TPackedDib(MakeDib(4, 2, 24)), 4, 2, 32, 8), 24);
    EXPECT_EQ(PackedDIBToBitmap(bitmap, TPackedDib(MakeDib(4, 2, 8)), 4, 2, 8, 8), 8);
    const HPALETTE palette = bitmap.GetPalette();
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->Entries[200].peRed, 100);
    EXPECT_EQ(palette->Entries[200].peGreen, 55);
    EXPECT_EQ(palette->Entries[200].peBlue, 200);
}

TEST(PackedDIBToBitmap, ShortDibRaises) {
    std::vector<uint8_t> bytes = MakeDib(6, 4, 24);
    bytes.resize(bytes.size() - 1);
    TBitmap bitmap;
    EXPECT_THROW(PackedDIBToBitmap(bitmap, TPackedDib(bytes), 6, 4, 24, 24), EInvalidGraphic);
    EXPECT_THROW(PackedDIBToBitmap(bitmap, TPackedDib(MakeDib(6, 4, 24)), 6, 5, 24, 24),
                 EInvalidGraphic);
    EXPECT_THROW(PackedDIBToBitmap(bitmap, TPackedDib(), 1, 1, 24, 24), EInvalidGraphic);
}

// The library's picture reaches a bitmap through the routine, as the album does it.
TEST(PackedDIBToBitmap, TakesThePhotoCDLibrarysPicture) {
    HPCD handle = 0;
    ASSERT_EQ(PCDopen(Pack.c_str(), handle), pcdOK);
    PCDsetResolution(handle, pcdBase16);
    PCDsetFormat(handle, 11);
    TPackedDib dib;
    ASSERT_EQ(PCDloadImage(handle, 0, dib), pcdOK);
    TBitmap bitmap;
    EXPECT_EQ(PackedDIBToBitmap(bitmap, dib, 192, 128, 24, 24), 24);
    PCDfreeBitmap(dib);
    PCDclose(handle);
    // The top-left patch is red, the one right of it green.
    const uint8_t* top = bitmap.ScanLine(10);
    EXPECT_GT(top[3 * 10 + 2], 200);
    EXPECT_LT(top[3 * 10 + 1], 60);
    EXPECT_LT(top[3 * 10 + 0], 20);
    EXPECT_EQ(top[3 * 60 + 1], 255);
}

TEST(PackedDIBToBitmap, RowBytes) {
    EXPECT_EQ(GetRowBytes(5, 24, 32), 16);
    EXPECT_EQ(GetRowBytes(768, 24, 32), 2304);
    EXPECT_EQ(GetRowBytes(3, 8, 32), 4);
    EXPECT_EQ(GetRowBytes(9, 1, 32), 4);
    EXPECT_EQ(GetRowBytes(9, 1, 16), 2);
    EXPECT_EQ(GetRowBytes(3, 8, 8), 3);
}

}  // namespace
}  // namespace lumvor
