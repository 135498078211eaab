// Size texts, extension lists, path rules on mount points, rectangles, HLS colour
// arithmetic and disk queries of the helper module.
#include "imaging/Helpers.h"

#include "platform/Folders.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumvor {
namespace {

TEST(Helpers, FileSizeTextsFromPairs) {
    struct Case {
        int32_t high, low;
        const char* text;
    } cases[] = {
        {0, 0, "0"},           {0, 1023, "1023"},        {0, 1024, "1.0 KB"},
        {0, 1536, "1.5 KB"},   {0, 1048575, "1023.9 KB"}, {0, 3 * 1048576 + 104858, "3.1 MB"},
        {0, 1048576, "1.0 MB"}, {0, 2147483647, "2047.9 MB"},
        {1, 1, "2048.00 MB"},  // 2147483648 bytes
        {2, 2, "4096.00 MB"},  {1, -5, "2048.00 MB"},     // negative Low of a rounded pair
    };
    for (const Case& c : cases) {
        std::string text;
        FormatFileSizeText(c.high, c.low, text);
        EXPECT_EQ(text, c.text) << c.high << "," << c.low;
    }
}

TEST(Helpers, FileSizeTextsOfLargeCountsAreRight) {
    struct Case {
        int64_t size;
        const char* text;
    } cases[] = {
        {1023, "1023"},
        {1073741823LL, "1023.9 MB"},
        {1073741824LL, "1024.0 MB"},  // 1 GiB: High stays 0 below 2^31 bytes
        {1500000000LL, "1430.5 MB"},
        {2147483647LL, "2047.9 MB"},
        {2147483648LL, "2048.00 MB"},
        {4294967296LL, "4096.00 MB"},
        {5LL * 1073741824 + 536870912, "5632.00 MB"},
        {1073741824LL * 1536, "1572864.00 MB"},  // 1.5 TiB
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFileSizeText(c.size), c.text) << c.size;
}

TEST(Helpers, SizePairsSplitAndJoin) {
    for (int64_t size : {0LL, 1LL, 1073741823LL, 1073741824LL, 2147483647LL, 2147483648LL, 4294967296LL,
                         1099511627776LL}) {
        TSizePair pair;
        SplitSize64(pair, size);
        EXPECT_EQ(JoinSize64(pair.High, pair.Low), size);
    }
    TSizePair pair;
    SplitSize64(pair, 1610612736LL);  // 1.5 GiB: below 2^31 bytes High is 0
    EXPECT_EQ(pair.High, 0);
    EXPECT_EQ(pair.Low, 1610612736LL);
    SplitSize64(pair, 2147483647LL);
    EXPECT_EQ(pair.High, 0);
    EXPECT_EQ(pair.Low, 2147483647LL);
    SplitSize64(pair, 3758096384LL);  // 3.5 GiB: High rounds up, Low goes negative
    EXPECT_EQ(pair.High, 2);
    EXPECT_EQ(pair.Low, 3758096384LL - 2LL * 2147483647LL);
    SplitSize64(pair, INT64_MAX);
    EXPECT_EQ(pair.High, 0);
    EXPECT_EQ(pair.Low, 0);
}

TEST(Helpers, SmallTextAndNumberRoutines) {
    std::string text;
    ColorToHexRGB(RGB(0xFF, 0, 0), text);
    EXPECT_EQ(text, "FF0000");
    ColorToHexRGB(RGB(0x12, 0xAB, 0x0C), text);
    EXPECT_EQ(text, "12AB0C");
    EXPECT_EQ(HexToInt("FF"), 255);
    EXPECT_EQ(HexToInt("7fffffff"), 0x7FFFFFFF);
    EXPECT_THROW(HexToInt("xyz"), EConvertError);
    EXPECT_EQ(SwapHiWord(0x12345678u), 0x3412);
    EXPECT_EQ(MaxOf(-3, 2), 2);
    EXPECT_EQ(MinOf(-3, 2), -3);
    TrimLeadingBlanks("  \ta b ", text);
    EXPECT_EQ(text, "\ta b ");
    TrimLeadingBlanks("   ", text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetRowBytesDIB(3, 24, 32), 12);
    EXPECT_EQ(GetRowBytesDIB(9, 1, 32), 4);
    EXPECT_EQ(GetRowBytesDIB(5, 4, 8), 3);
}

TEST(Helpers, OrderRectPointsPutsCornersInOrder) {
    struct R {
        int Left, Top, Right, Bottom;
    };
    struct Case {
        R in, out;
    } cases[] = {
        {{0, 0, 10, 10}, {0, 0, 10, 10}},
        {{10, 10, 0, 0}, {0, 0, 10, 10}},  // dragged up and left: pairs exchanged
        {{10, 0, 0, 10}, {0, 0, 10, 10}},  // dragged down and left
        {{0, 10, 10, 0}, {0, 0, 10, 10}},  // dragged up and right
    };
    for (const Case& c : cases) {
        R out{};
        OrderRectPoints(c.in, out);
        EXPECT_EQ(out.Left, c.out.Left);
        EXPECT_EQ(out.Top, c.out.Top);
        EXPECT_EQ(out.Right, c.out.Right);
        EXPECT_EQ(out.Bottom, c.out.Bottom);
    }
}

TEST(Helpers, ExtInList) {
    const std::string list = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";
    struct Case {
        const char* ext;
        const char* shortList;
        bool expected;
    } cases[] = {
        {".JPG", "", true},   {".jpg", "", true},  {".Jpeg", "", true}, {".JP", "", false},
        {".JP", ".JP", true}, {".J", ".J", false}, {"", "", false},     {".XYZ", "", false},
        {".RA", ".AU.RA.RM.QT", false},  // must also be in the main list
    };
    for (const Case& c : cases) EXPECT_EQ(ExtInList(c.ext, list, c.shortList), c.expected) << c.ext;
    EXPECT_TRUE(ExtInList(".RA", ".AU.RA.RM", ".AU.RA.RM.QT"));
}

TEST(Helpers, SlashRules) {
    struct Case {
        const char* in;
        const char* add;
        const char* remove;
    } cases[] = {
        {"/a/b", "/a/b/", "/a/b"}, {"/a/b/", "/a/b/", "/a/b"}, {"/", "/", "/"}, {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddBackslash(c.in), c.add) << c.in;
        EXPECT_EQ(RemoveBackslash(c.in), c.remove) << c.in;
    }
    std::string out;
    AddSlash("http://x", out);
    EXPECT_EQ(out, "http://x/");
    AddSlash("", out);
    EXPECT_EQ(out, "");
}

// Paths on the root volume and on a second mounted volume.
TEST(Helpers, PathRulesFollowMountPoints) {
    std::string out;
    const std::string rootMount = MountPointOf("/usr/share");
    if (rootMount == "/") {
        StripDrive("/usr/share/x.jpg", out);
        EXPECT_EQ(out, "/usr/share/x.jpg");
        GetPathRoot("/usr/share/x.jpg", out);
        EXPECT_EQ(out, "/");
    }
    StripDrive("/", out);
    EXPECT_EQ(out, "/");
    EXPECT_TRUE(IsRootPath("/"));
    GetParentFolder("/", out);
    EXPECT_EQ(out, "/");
    GetParentFolder("/usr/share/Photos", out);
    EXPECT_EQ(out, MountPointOf("/usr/share") == "/usr/share" ? "/usr/share/Photos/" : "/usr/share/");
    EXPECT_EQ(DriveIndex("/"), 0);

    // A tmpfs volume stands for a memory card: its names are relative to where it is mounted.
    if (MountPointOf("/dev/shm/x") != "/dev/shm") GTEST_SKIP() << "no volume mounted at /dev/shm";
    StripDrive("/dev/shm/Photos/IMG_1.JPG", out);
    EXPECT_EQ(out, "/Photos/IMG_1.JPG");
    StripDrive("/dev/shm", out);
    EXPECT_EQ(out, "/");
    GetPathRoot("/dev/shm/Photos/IMG_1.JPG", out);
    EXPECT_EQ(out, "/dev/shm/");
    EXPECT_TRUE(IsRootPath("/dev/shm"));
    EXPECT_TRUE(IsRootPath("/dev/shm/"));
    EXPECT_FALSE(IsRootPath("/dev/shm/Photos"));
    GetParentFolder("/dev/shm/Photos/2024", out);
    EXPECT_EQ(out, "/dev/shm/Photos/");
    GetParentFolder("/dev/shm/", out);
    EXPECT_EQ(out, "/dev/shm/");
}

TEST(Helpers, NamesKeepTheirCase) {
    std::string out;
    ExtractLongFileName("/no/such/Folder/MyPicture.JPG", out);
    EXPECT_EQ(out, "MyPicture.JPG");
    ExtractLongFileName("/no/such/Folder/", out);
    EXPECT_EQ(out, "Folder");
    ExpandLongPath("/Some/Mixed/Case.jpg", out);
    EXPECT_EQ(out, "/Some/Mixed/Case.jpg");
}

TEST(Helpers, FoldersAndDataFolder) {
    std::string data;
    GetDataFolder(data);
    EXPECT_EQ(data, ProgramFolder() + "data/");
    EXPECT_TRUE(DirectoryExists(data));
    EXPECT_TRUE(FolderExists(data));
    EXPECT_TRUE(FolderExists(RemoveBackslash(data)));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(FolderExists(data + "missing/"));
}

TEST(Helpers, DiskSizesAreSixtyFourBit) {
    struct statvfs st {};
    ASSERT_EQ(statvfs("/", &st), 0);
    const int64_t total = static_cast<int64_t>(st.f_blocks) * st.f_frsize;
    EXPECT_EQ(GetDiskSize("/"), total);
    EXPECT_GT(GetDiskFree("/"), 0);
    EXPECT_LE(GetDiskFree("/"), total);
    EXPECT_TRUE(DriveIsReady("/"));
    // A file that does not exist yet is on the volume of its folder.
    EXPECT_EQ(GetDiskSize("/no-such-folder/x.jpg"), total);
}

TEST(Helpers, DiskSpaceErrorText) {
    EXPECT_EQ(DiskSpaceErrorText(5000LL * 1024, 6LL * 1024 * 1024 * 1024, "Batch stopped."),
              "Insufficient disk space.\nReq.: 5000 Kb\nFree: 6291456 Kb\n\nBatch stopped.");
}

TEST(Helpers, VolumeTagAndDriveCaption) {
    std::string tag;
    GetVolumeTag("/", tag);
    ASSERT_GE(tag.size(), 9u);
    const std::string serial = tag.substr(tag.rfind('.') + 1);
    EXPECT_EQ(serial.size(), 8u);
    EXPECT_EQ(serial.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string again;
    GetVolumeTag("/usr", again);
    if (MountPointOf("/usr") == "/") {
        EXPECT_EQ(again, tag);
    }

    if (MountPointOf("/dev/shm/x") != "/dev/shm") GTEST_SKIP() << "no volume mounted at /dev/shm";
    std::string caption;
    ExploreDir = "/dev/shm/Photos/2024/";
    GetDriveCaption(caption);
    EXPECT_EQ(caption, "/dev/shm .. /Photos/2024");
    ExploreDir = "/dev/shm/";
    GetDriveCaption(caption);
    EXPECT_EQ(caption, "/dev/shm .. ");
    ExploreDir.clear();
}

TEST(Helpers, HLSOfThePartsCases) {
    THLS hls;
    RGBToHLS(255, 0, 0, hls);
    EXPECT_EQ(hls.Hue, 0);
    EXPECT_EQ(hls.Lightness, 1800);
    EXPECT_EQ(hls.Saturation, 3600);
    RGBToHLS(128, 128, 128, hls);
    EXPECT_EQ(hls.Hue, 2400);
    EXPECT_EQ(hls.Saturation, 0);
    EXPECT_EQ(hls.Lightness, 1807);  // (256 x 3600 + 255) div 510
    RGBToHLS240(128, 128, 128, hls);
    EXPECT_EQ(hls.Hue, 160);
    EXPECT_EQ(hls.Lightness, 120);
    RGBToHLS240(0, 0, 255, hls);
    EXPECT_EQ(hls.Hue, 160);
    EXPECT_EQ(hls.Saturation, 240);
    RGBToLightness(200, 100, 50, hls);
    EXPECT_EQ(hls.Hue, 0);
    EXPECT_EQ(hls.Saturation, 0);
    EXPECT_EQ(hls.Lightness, (250 * 3600 + 255) / 510);

    TRGBTriple rgb;
    HLSToRGB(0, 1800, 3600, rgb);
    EXPECT_EQ(rgb.Red, 255);
    EXPECT_EQ(rgb.Green, 0);
    EXPECT_EQ(rgb.Blue, 0);
    HLSToRGB(2400, 1800, 0, rgb);
    EXPECT_EQ(rgb.Red, 127);
    EXPECT_EQ(rgb.Green, 127);
    EXPECT_EQ(rgb.Blue, 127);
}

// The conversions divide by multiplying with a reciprocal; a wrong quotient
// would show first next to a multiple of the divisor.
TEST(Helpers, HLSDivisionIsExactAtEveryQuotientStep) {
    int wrong = 0;
    for (int32_t d = 1; d <= 510; ++d) {
        for (int32_t n = 0; n < (1 << 20); n += d) {
            for (const int32_t k : {n, n + d - 1}) {
                if (k < (1 << 20) && hls_detail::SmallDivide(k, d) != k / d)
                    ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(hls_detail::SmallDivide(-7, 2), -3);  // outside the table's range: plain division
    EXPECT_EQ(hls_detail::SmallDivide(5000, 600), 8);
}

// Python's colorsys.rgb_to_hls scaled to 0..3600 and rounded; integer
// arithmetic may differ by one.
TEST(Helpers, HLSAgreesWithColorsys) {
    struct Case {
        int r, g, b, h, l, s;
    } cases[] = {
        {0, 255, 0, 1200, 1800, 3600},  {0, 0, 255, 2400, 1800, 3600},  {200, 100, 50, 200, 1765, 2160},
        {12, 200, 180, 1736, 1496, 3192}, {90, 30, 160, 2677, 1341, 2463}, {250, 240, 10, 575, 1835, 3456},
        {128, 64, 64, 0, 1355, 1200},
    };
    for (const Case& c : cases) {
        THLS hls;
        RGBToHLS(c.r, c.g, c.b, hls);
        EXPECT_NEAR(hls.Hue, c.h, 1) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(hls.Lightness, c.l, 1) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(hls.Saturation, c.s, 1) << c.r << "," << c.g << "," << c.b;
        TRGBTriple rgb;
        HLSToRGB(hls.Hue, hls.Lightness, hls.Saturation, rgb);
        EXPECT_NEAR(rgb.Red, c.r, 1);
        EXPECT_NEAR(rgb.Green, c.g, 1);
        EXPECT_NEAR(rgb.Blue, c.b, 1);
    }
}

TEST(Helpers, FitSizeInBoxEx) {
    TFitSize size;
    FitSizeInBoxEx(400, 300, 200, 200, size);
    EXPECT_EQ(size.Width, 200);
    EXPECT_EQ(size.Height, 150);
    FitSizeInBoxEx(100, 50, 400, 400, size);
    EXPECT_EQ(size.Width, 400);
    EXPECT_EQ(size.Height, 200);
    FitSizeInBoxEx(300, 400, 168, 126, size);
    EXPECT_EQ(size.Width, 95);
    EXPECT_EQ(size.Height, 126);
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    EmptyBitmap(bitmap);
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetSize(8, 8);  // still usable
    EXPECT_EQ(bitmap.Width(), 8);
    FitSizeInBoxEx(0, 50, 400, 400, size);
    EXPECT_EQ(size.Width, 0);
    EXPECT_EQ(size.Height, 0);
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

TEST(Helpers, DIBitmapFromBitsReadsBottomUpRowsWithGreyRamps) {
    // 3 x 2 at 4 bits: 4 bytes a row, the bottom row first.
    const uint8_t bits4[] = {0x12, 0x30, 0, 0, 0xAB, 0xF0, 0, 0};
    HBITMAP b = CreateDIBitmapFromBits(3, 2, 4, bits4);
    ASSERT_EQ(b->Depth(), 4);
    EXPECT_EQ(b->GetIndex(0, 0), 0xAu);
    EXPECT_EQ(b->GetIndex(1, 0), 0xBu);
    EXPECT_EQ(b->GetIndex(2, 0), 0xFu);
    EXPECT_EQ(b->GetIndex(0, 1), 1u);
    EXPECT_EQ(b->GetIndex(2, 1), 3u);
    ASSERT_EQ(b->ColorTable.size(), 16u);
    EXPECT_EQ(b->ColorTable[0], 0x000000u);
    EXPECT_EQ(b->ColorTable[0xA], 0xAAAAAAu);
    EXPECT_EQ(b->ColorTable[15], 0xFFFFFFu);

    // 2 x 2 at 24 bits: blue, green, red, rows padded to 8 bytes.
    const uint8_t bits24[] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    b = CreateDIBitmapFromBits(2, 2, 24, bits24);
    ASSERT_EQ(b->Depth(), 24);
    EXPECT_EQ(b->GetColor(0, 1), 0x030201u);
    EXPECT_EQ(b->GetColor(1, 0), 0x0C0B0Au);

    // 9 x 1 at 1 bit: black and white.
    const uint8_t bits1[] = {0x80, 0x80, 0, 0};
    b = CreateDIBitmapFromBits(9, 1, 1, bits1);
    ASSERT_EQ(b->Depth(), 1);
    EXPECT_EQ(b->GetColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(b->GetColor(1, 0), 0u);
    EXPECT_EQ(b->GetColor(8, 0), 0xFFFFFFu);

    // Without bits: black pixels; depths other than 1, 4 and 8 become 24.
    b = CreateDIBitmapFromBits(5, 3, 8, {});
    ASSERT_EQ(b->Depth(), 8);
    EXPECT_EQ(b->ColorTable[128], 0x808080u);
    EXPECT_EQ(b->GetColor(4, 2), 0u);
    EXPECT_EQ(CreateDIBitmapFromBits(5, 3, 32, {})->Depth(), 24);
    EXPECT_EQ(CreateDIBitmapFromBits(5, 3, 16, {})->Depth(), 24);

    TBitmap bitmap;
    bitmap.SetHandle(CreateDIBitmapFromBits(3, 2, 4, bits4));
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    EXPECT_EQ(bitmap.Width(), 3);

    // Rows missing from Bits, and sizes no bitmap can have.
    EXPECT_THROW(CreateDIBitmapFromBits(2, 2, 24, std::span(bits24, 12)), EInvalidGraphic);
    EXPECT_THROW(CreateDIBitmapFromBits(0, 2, 8, {}), EInvalidGraphic);
    EXPECT_THROW(CreateDIBitmapFromBits(1 << 30, 1 << 30, 24, {}), EInvalidGraphic);
}

TEST(Helpers, ConvertBitmapDepthLeavesDibsAlone) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetSize(4, 3);
    EXPECT_EQ(ConvertBitmapDepth(bitmap, 4, 3, 8), 8);
    EXPECT_EQ(ConvertBitmapDepth(bitmap, 4, 3, 32), 32);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.Width(), 4);
}

// The 7 x 3 patterns that tests/fixtures/bmp/make.py saved with PIL.
HBITMAP BmpFixturePattern(int bits) {
    auto px = std::make_shared<TPixelBuffer>(7, 3, bits);
    const uint8_t colours16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                      {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                      {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    if (bits == 1)
        px->ColorTable = {0x000000, 0xFFFFFF};
    if (bits == 8)
        for (int i = 0; i < 16; ++i)
            px->ColorTable[size_t(i)] = colours16[i][2] | (colours16[i][1] << 8) | (colours16[i][0] << 16);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            if (bits == 1)
                px->SetIndex(x, y, (x + y) % 3 == 0 ? 1 : 0);
            else if (bits == 8)
                px->SetIndex(x, y, uint32_t((x + y * 7) % 16));
            else
                px->SetColor(x, y, uint32_t((y * 120 + x) % 256) | uint32_t((x * 90 + 7) % 256) << 8 |
                                       uint32_t((x * 37 + y * 11) % 256) << 16);
        }
    return px;
}

TEST(Helpers, PackedDibOfBitmapMatchesPilBmpFiles) {
    struct Case {
        const char* file;
        int bits;
    } cases[] = {{"bw1.bmp", 1}, {"pal8.bmp", 8}, {"rgb24.bmp", 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream in(std::string(LUMVOR_FIXTURES) + "/bmp/" + c.file, std::ios::binary);
        const std::vector<uint8_t> file(std::istreambuf_iterator<char>(in), {});
        ASSERT_GT(file.size(), 54u);
        const uint8_t* pil = file.data() + BitmapFileHeaderSize;
        const size_t pilTable = Le32(file.data() + 10) - BitmapFileHeaderSize - BitmapInfoHeaderSize;

        TBitmap bitmap;
        bitmap.SetHandle(BmpFixturePattern(c.bits));
        const TPackedDib dib = CreatePackedDIB(bitmap);
        ASSERT_FALSE(dib.Empty());
        const uint8_t* ours = dib.Bytes().data();
        const size_t table = c.bits <= 8 ? (size_t(4) << c.bits) : 0;
        const size_t rows = DibRowBytes(7, c.bits) * 3;
        ASSERT_EQ(dib.Bytes().size(), BitmapInfoHeaderSize + table + rows);
        EXPECT_EQ(Le32(ours), 40u);
        for (int field : {4, 8, 12, 16, 20})  // width, height, planes and bits, compression, image size
            EXPECT_EQ(Le32(ours + field), Le32(pil + field)) << "header byte " << field;
        // PIL writes only the used part of the colour table (and 255 in the spare
        // byte of its 1-bit table); ours is the full one.
        ASSERT_LE(pilTable, table);
        for (size_t i = 0; i < pilTable; i += 4)
            EXPECT_EQ(Le32(ours + 40 + i) & 0xFFFFFF, Le32(pil + 40 + i) & 0xFFFFFF) << "entry " << i / 4;
        EXPECT_EQ(std::memcmp(ours + 40 + table, pil + 40 + pilTable, rows), 0);
        EXPECT_EQ(file.size(), BitmapFileHeaderSize + BitmapInfoHeaderSize + pilTable + rows);
    }
    EXPECT_TRUE(CreatePackedDIB(TBitmap()).Empty());
}

TEST(Helpers, StripDIBPaletteMovesTheRowsDown) {
    // A 2 x 1 24-bit DIB with a 256-entry table in front of its row, announced
    // by the colours-used count as the Photo CD reader writes it.
    BITMAPINFOHEADER h;
    h.biWidth = 2;
    h.biHeight = 1;
    h.biBitCount = 24;
    h.biClrUsed = 256;
    h.biClrImportant = 256;
    std::vector<uint8_t> bytes(40 + 1024 + 8, 0xEE);
    WriteInfoHeader(bytes.data(), h);
    const uint8_t row[] = {1, 2, 3, 4, 5, 6, 0, 0};
    std::memcpy(bytes.data() + 1064, row, sizeof row);
    TPackedDib dib(bytes);
    StripDIBPalette(dib);
    ASSERT_EQ(dib.Size(), 48);
    EXPECT_EQ(std::memcmp(dib.Bytes().data(), bytes.data(), 32), 0);  // up to the counts
    EXPECT_EQ(Le32(dib.Bytes().data() + 32), 0u);
    EXPECT_EQ(Le32(dib.Bytes().data() + 36), 0u);
    EXPECT_EQ(std::memcmp(dib.Bytes().data() + 40, row, sizeof row), 0);
    const TPixelBuffer px = dib.ToPixels();
    EXPECT_EQ(px.GetColor(0, 0), 0x030201u);
    EXPECT_EQ(px.GetColor(1, 0), 0x060504u);

    // A short block and an indexed picture keep every byte.
    TPackedDib shortBlock(std::vector<uint8_t>(1063, 1));
    StripDIBPalette(shortBlock);
    EXPECT_EQ(shortBlock.Size(), 1063);
    auto indexed = std::make_shared<TPixelBuffer>(40, 2, 8);
    TBitmap bitmap;
    bitmap.SetHandle(indexed);
    TPackedDib eight = CreatePackedDIB(bitmap);
    const std::vector<uint8_t> before = eight.Bytes();
    StripDIBPalette(eight);
    EXPECT_EQ(eight.Bytes(), before);
}

}  // namespace
}  // namespace lumvor
