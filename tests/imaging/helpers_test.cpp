// Size texts, extension lists, path rules on mount points, rectangles, HLS colour
// arithmetic and disk queries of the helper module.
#include "imaging/Helpers.h"

#include "platform/Folders.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <string>

namespace lumvor {
namespace {

TEST(Helpers, FileSizeTextsFromPairs) {
    struct Case {
        int32_t high, low;
        const char* text;
    } cases[] = {
        {0, 0, "0"},           {0, 1023, "1023"},        {0, 1024, "1.0 KB"},
        {0, 1536, "1.5 KB"},   {0, 1048575, "1023.9 KB"}, {0, 3 * 1048576 + 104858, "3.1 MB"},
        {0, 1048576, "1.0 MB"}, {1, 1, "2048.00 MB"},     // 2147483648 bytes
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
    SplitSize64(pair, 1610612736LL);  // 1.5 GiB: High rounds up, Low goes negative
    EXPECT_EQ(pair.High, 1);
    EXPECT_EQ(pair.Low, 1610612736LL - 2147483647LL);
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

}  // namespace
}  // namespace lumvor
