// Preparing slide pictures: every format into the imaging library with its
// size, depth and colours, the aspect modes, a script slide's panel, zoom and
// rotation, the fit into the window and the slide gamma.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/SlideSizing.h"
#include "app/app_test_tools.h"
#include "app/lumv8900.h"
#include "imaging/AvlScript.h"
#include "platform/Menus.h"
#include "imgman/imgman.h"
#include "imaging/codec_test_tools.h"
#include "support/picture_compare.h"
#include "support/settings_records.h"
#include "ui/Pix.h"

#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::CopyToHome;
using lumvor::test::Fixture;
using lumvor::test::ReadPnm;
using lumvor::test::RgbRaster;
using lumvor::test::SamePixels;

namespace {

// The library's picture as the show would draw it.
struct TLibraryPicture {
    int Width = 0, Height = 0, Bits = 0;
    int Colours = 0;  // entries of the colour table, 0 without one
    TBitmap Rgb;      // rendered at 24 bits
    uint32_t At(int x, int y) const { return Rgb.Handle()->GetColor(x, y) & 0xFFFFFF; }
};

void ReadLibraryPicture(TLibraryPicture& out) {
    IMGINFO info;
    ASSERT_EQ(ImgGetInfoStruct(ImgHandle, &info), 1);
    out.Width = info.Header.biWidth;
    out.Height = info.Header.biHeight;
    out.Bits = info.Header.biBitCount;
    const HPALETTE palette = ImgGetPalette(ImgHandle);
    out.Colours = palette ? int(palette->Entries.size()) : 0;
    out.Rgb.SetPixelFormat(pf24bit);
    out.Rgb.SetSize(out.Width, out.Height);
    ASSERT_EQ(ImgPrintImage(ImgHandle, out.Rgb.Canvas(), Rect(0, 0, out.Width - 1, out.Height - 1), 0), 1);
}

::testing::AssertionResult Matches(const TLibraryPicture& picture, const RgbRaster& expected, int tolerance = 0) {
    return SamePixels(expected, picture.Width, picture.Height, [&](int x, int y) { return picture.At(x, y); },
                      tolerance);
}

// The plain gamma map of the tone curves: entry 0 stays 0, entry i is
// 255 x (i / 255)^(100 / gamma) rounded half to even.
std::array<uint32_t, 256> GammaMap(int gamma) {
    std::array<uint32_t, 256> map{};
    for (int i = 1; i < 256; ++i)
        map[size_t(i)] = uint32_t(std::min(255.0, std::nearbyint(255 * std::exp(std::log(i / 255.0) / (gamma / 100.0)))));
    return map;
}

RgbRaster WithGamma(RgbRaster raster, int gamma) {
    const std::array<uint32_t, 256> map = GammaMap(gamma);
    for (uint32_t& p : raster.Pixels)
        p = map[p >> 16 & 0xFF] << 16 | map[p >> 8 & 0xFF] << 8 | map[p & 0xFF];
    return raster;
}

class SlideImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ViewerControls = TViewerControls{};
        SetViewerDefaults(ViewerControls, 3);
        lumvor::test::WriteSettingsRecords(ViewerControls);
        FirstActivationDone = 0;
        ImageHistoryList.Clear();
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        WebForm->resize(1200, 900);
        WebForm->show();
        QCoreApplication::processEvents();
        ResetSlide();
        // A new window keeps the pictures' own proportions.
        EXPECT_EQ(WebForm->mnuAspect->Tag, slidesize::AspectNatural);
        SetAspect(slidesize::AspectNatural);
    }
    void TearDown() override {
        ResetSlide();
        WebForm->CloseImgHandle();
        test::FreeWindows();
    }
    static void ResetSlide() {
        SlideshowRunning = ScriptMode = AspectChanged = SlideAdjust = false;
        SlideColor = -1;
        SlideGamma = SlideZoom = 100;
        SlideRotate = SlideTextSize = SlideTextHeight = 0;
        FaxQuality = 0;
    }
    static void SetAspect(int mode, int custom = 1000) {
        WebForm->mnuAspect->Tag = mode;
        WebForm->mnuAspectCustom->Tag = custom;
    }
    static void SetViewGamma(int gamma) { WebForm->mnuViewGamma->Tag = gamma; }
    static void ScriptSlide() { SlideshowRunning = ScriptMode = true; }
    // What the show does for a picture slide: the header, then the preparation.
    static bool Prepare(const std::string& fixture, const std::string& name, int width = 800, int height = 600) {
        FileName = CopyToHome(fixture, "slides/" + name);
        TWebForm::ReadImageHeader(true);
        return WebForm->SlideImage(width, height);
    }
    // Prepares the slide and reads the library's picture; fails when no picture came.
    static ::testing::AssertionResult PrepareAndRead(const std::string& fixture, const std::string& name,
                                                     TLibraryPicture& picture, int width = 800, int height = 600) {
        if (!Prepare(fixture, name, width, height))
            return ::testing::AssertionFailure() << fixture << " gave no slide picture";
        ReadLibraryPicture(picture);
        if (picture.Width != ImageWidth || picture.Height != ImageHeight)
            return ::testing::AssertionFailure() << "ImageWidth x ImageHeight " << ImageWidth << " x " << ImageHeight
                                                 << " differ from the picture's " << picture.Width << " x "
                                                 << picture.Height;
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

// Every format loads with its size and depth; pictures below 24 bits keep their
// colour tables and every picture shows the colours the independent decoders read.
TEST_F(SlideImageTest, EveryFormatGivesItsSizeDepthAndColours) {
    struct Case {
        const char* fixture;
        const char* name;
        int width, height, bits;
        int colours;            // colour-table entries, 0 for none
        const char* reference;  // "" = no pixel reference
        int tolerance;
    } cases[] = {
        {"jpeg/baseline_444.jpg", "a.jpg", 70, 46, 24, 0, "slides/baseline_444.fast.pnm", 0},
        {"jpeg/grey.jpg", "b.jpeg", 70, 46, 8, 256, "jpeg/grey.fast.pnm", 0},
        {"png/rgb8.png", "a.png", 13, 7, 24, 0, "png/rgb8.ref.ppm", 0},
        {"png/pal8_trns.png", "b.png", 13, 7, 8, 256, "png/pal8_trns.ref.ppm", 0},
        {"png/pal4.png", "c.png", 13, 7, 4, 16, "png/pal4.ref.ppm", 0},
        {"bmp/pal4.bmp", "a.bmp", 7, 3, 4, 16, "bmp/pal4.ppm", 0},
        {"bmp/pal8.bmp", "b.bmp", 7, 3, 8, 256, "bmp/pal8.ppm", 0},
        {"bmp/rgb24.bmp", "c.DIB", 7, 3, 24, 0, "bmp/rgb24.ppm", 0},
        {"bmp/rgb565.bmp", "d.bmp", 7, 3, 24, 0, "bmp/rgb565.ppm", 7},  // 5-bit channels widen apart
        {"bitmaps/tga24.tga", "a.tga", 13, 7, 24, 0, "", 0},
        {"bitmaps/pcx8.pcx", "a.pcx", 13, 7, 8, 256, "", 0},
        {"gif/rose.gif", "a.gif", 70, 46, 8, 256, "", 0},
        {"psd/rgb_raw.psd", "a.psd", 23, 17, 24, 0, "", 0},
        {"tiff/rgb_none.tif", "a.tif", 13, 7, 24, 0, "tiff/rgb_none.ref.ppm", 0},
        {"tiff/pal8.tif", "b.tif", 13, 7, 8, 256, "tiff/pal8.ref.ppm", 0},
        {"tiff/bw_g4.tif", "c.tif", 0, 0, 1, 2, "tiff/bw_g4.ref.ppm", 0},
        {"imgman/three.dcx", "a.dcx", 31, 23, 8, 256, "imgman/three_0.ppm", 0},
        {"pcd/img0001.pcd", "img0001.pcd", 768, 512, 24, 0, "", 0},
    };
    SlideColor = 0;  // transparent PNG pixels over black, as the references are made
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead(c.fixture, c.name, picture));
        const RgbRaster reference = *c.reference ? ReadPnm(Fixture(c.reference)) : RgbRaster{};
        EXPECT_EQ(picture.Width, c.width ? c.width : reference.Width);
        EXPECT_EQ(picture.Height, c.height ? c.height : reference.Height);
        EXPECT_EQ(picture.Bits, c.bits);
        EXPECT_EQ(ImageBitCount, c.bits);
        EXPECT_EQ(picture.Colours, c.colours);
        if (*c.reference) {
            EXPECT_TRUE(Matches(picture, reference, c.tolerance));
        }
    }

    // Multi-page files report their pages; PCX goes through the imaging library.
    ASSERT_TRUE(Prepare("imgman/three.dcx", "a.dcx"));
    EXPECT_EQ(PageCount, 3);
    ASSERT_TRUE(Prepare("bitmaps/pcx8.pcx", "a.pcx"));
    EXPECT_TRUE(ImgLibDecode);

    // The 4-bit BMP keeps its own 16 colours, in the file's order.
    ASSERT_TRUE(Prepare("bmp/pal4.bmp", "a.bmp"));
    const HPALETTE palette = ImgGetPalette(ImgHandle);
    ASSERT_TRUE(palette);
    const std::vector<uint8_t> file = test::FileBytes(Fixture("bmp/pal4.bmp"));
    for (size_t i = 0; i < 16; ++i) {
        const uint8_t* entry = &file[54 + 4 * i];  // blue, green, red, 0 after the two headers
        EXPECT_EQ(palette->Entries[i].peBlue, entry[0]) << i;
        EXPECT_EQ(palette->Entries[i].peGreen, entry[1]) << i;
        EXPECT_EQ(palette->Entries[i].peRed, entry[2]) << i;
    }
}

// A PNG is composited over the slide colour, not over its own background
// colour; one narrower than 2 pixels, a truncated file and a FlashPix file
// give no slide, with the library's picture closed.
TEST_F(SlideImageTest, PngOverTheSlideColourAndFilesThatGiveNoSlide) {
    SlideColor = static_cast<int32_t>(TColorOf(0x20, 0x40, 0x60));
    TLibraryPicture picture;
    ASSERT_TRUE(PrepareAndRead("png/rgba8_bkgd.png", "own.png", picture));
    EXPECT_TRUE(Matches(picture, ReadPnm(Fixture("png/rgba8_bkgd_own.ref.ppm"))));

    const std::vector<uint8_t> png = test::FileBytes(Fixture("png/rgb8.png"));
    const std::string truncated = ProgramFolder() + "slides/truncated.png";
    std::ofstream(truncated, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), 70);
    const std::string flashPix = ProgramFolder() + "slides/a.fpx";
    std::ofstream(flashPix, std::ios::binary) << "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 not really";

    struct Case {
        std::string file;
    } cases[] = {{CopyToHome("slides/narrow_1x5.png", "slides/narrow.png")},
                 {truncated},
                 {flashPix},
                 {ProgramFolder() + "slides/missing.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(Prepare("png/rgb8.png", "before.png"));
        FileName = c.file;
        FileExt = UpperCase(ExtractFileExt(c.file));
        EXPECT_FALSE(WebForm->SlideImage(800, 600));
        EXPECT_EQ(ImgHandle, 0);
    }
}

// The aspect modes in an 800 x 600 window, in and outside a show, with and
// without the user's aspect choice.
TEST_F(SlideImageTest, AspectModesSizeThePicture) {
    struct Case {
        const char* fixture;
        int mode, custom;
        bool aspectChanged, show;
        int width, height;
    } cases[] = {
        {"slides/plain_400x270.png", slidesize::AspectNatural, 1000, false, false, 400, 270},
        {"slides/plain_1600x1200.png", slidesize::AspectFitWidth, 1000, false, false, 800, 600},
        {"slides/plain_400x270.png", slidesize::AspectCustom, 1500, false, false, 600, 270},
        {"slides/plain_400x270.png", slidesize::AspectFourThree, 1000, false, false, 360, 270},
        {"slides/plain_400x270.png", slidesize::AspectSixteenNine, 1000, false, false, 480, 270},
        {"slides/plain_400x270.png", slidesize::AspectSixteenNine, 1000, true, true, 480, 270},
        // Larger than the window: fitted in every case.
        {"slides/plain_400x540.png", slidesize::AspectSixteenNine, 1000, true, false, 800, 450},
        {"slides/plain_400x540.png", slidesize::AspectSixteenNine, 1000, false, false, 800, 450},
        {"slides/plain_400x540.png", slidesize::AspectSixteenNine, 1000, false, true, 800, 450},
        {"slides/plain_400x540.png", slidesize::AspectSixteenNine, 1000, true, true, 800, 450},
        {"slides/plain_1600x1200.png", slidesize::AspectCustom, 1500, false, true, 800, 400},
        {"slides/plain_1600x1200.png", slidesize::AspectFourThree, 1000, true, false, 800, 600},
        {"slides/plain_1600x1200.png", slidesize::AspectNatural, 1000, false, false, 800, 600},
        // Fitting the width leaves the height alone outside a show.
        {"slides/plain_800x1600.png", slidesize::AspectFitWidth, 1000, false, false, 800, 1600},
        {"slides/plain_800x1600.png", slidesize::AspectFitWidth, 1000, false, true, 300, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " mode " + std::to_string(c.mode) + (c.aspectChanged ? " chosen" : "") +
                     (c.show ? " in a show" : ""));
        SetAspect(c.mode, c.custom);
        AspectChanged = c.aspectChanged;
        SlideshowRunning = c.show;
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead(c.fixture, "aspect.png", picture));
        EXPECT_EQ(picture.Width, c.width);
        EXPECT_EQ(picture.Height, c.height);
        EXPECT_EQ(picture.At(picture.Width / 2, picture.Height / 2), 0x3060A0u);
    }
}

// A script slide's panel and zoom in an 800 x 600 window.
TEST_F(SlideImageTest, ScriptSlidePanelAndZoom) {
    struct Case {
        const char* what;
        int panelWidth, panelHeight, zoom;
        int width, height;
    } cases[] = {
        {"panel 320 x 240", 320, 240, 100, 320, 216},
        {"panel and zoom: the panel alone", 320, 240, 50, 320, 216},
        {"panel as large as the window: neither", 800, 600, 50, 400, 270},
        {"zoom 50", 0, 0, 50, 200, 135},
        {"zoom 150", 0, 0, 150, 600, 405},
        {"zoom 0", 0, 0, 0, 400, 270},
    };
    ScriptSlide();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SlideTextSize = c.panelWidth;
        SlideTextHeight = c.panelHeight;
        SlideZoom = c.zoom;
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead("slides/plain_400x270.png", "panel.png", picture));
        EXPECT_EQ(picture.Width, c.width);
        EXPECT_EQ(picture.Height, c.height);
    }
    // A zoom beyond any picture the program makes gives no slide.
    SlideZoom = 100000;
    EXPECT_FALSE(Prepare("slides/plain_400x270.png", "panel.png"));
    EXPECT_EQ(ImgHandle, 0);

    // Outside a show the last script's slide values do not apply.
    SlideshowRunning = false;
    SlideZoom = 50;
    TLibraryPicture picture;
    ASSERT_TRUE(PrepareAndRead("slides/plain_400x270.png", "panel.png", picture));
    EXPECT_EQ(picture.Width, 400);
}

// Y turns a script slide clockwise by Y degrees (36000 - 100 x Y hundredths
// anticlockwise); what the turn uncovers takes the slide colour.
TEST_F(SlideImageTest, ScriptSlideRotation) {
    {
        const int probe = ImgFromDIB(TPackedDib::FromPixels(TPixelBuffer(2, 2, 24)));
        const int turned = ImgRotate(probe, 9000, 0);
        ImgClose(probe);
        ASSERT_NE(turned, 0) << "the imaging library did not turn a picture: " << imgman::LastErrorText();
        ImgClose(turned);
    }
    ScriptSlide();
    SlideRotate = 90;
    TLibraryPicture quarter;
    ASSERT_TRUE(PrepareAndRead("slides/turn_4x2.bmp", "turn.bmp", quarter));
    ASSERT_EQ(quarter.Width, 2);
    ASSERT_EQ(quarter.Height, 4);
    EXPECT_EQ(quarter.At(1, 0), 0xFF0000u);
    EXPECT_EQ(quarter.At(0, 0), 0x0000FFu);

    SlideRotate = 45;
    SlideColor = static_cast<int32_t>(TColorOf(0xFF, 0x00, 0xFF));
    TLibraryPicture diagonal;
    ASSERT_TRUE(PrepareAndRead("slides/green_40x40.png", "diagonal.png", diagonal));
    EXPECT_GT(diagonal.Width, 40);
    const int w = diagonal.Width - 1, h = diagonal.Height - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}})
        EXPECT_EQ(diagonal.At(x, y), 0xFF00FFu) << x << ", " << y;
    EXPECT_EQ(diagonal.At(w / 2, h / 2), 0x00C000u);
}

// Gamma: a script slide takes its own G, except a JPEG slide, which shows as
// decoded; outside a script the view gamma applies to every slide. Pictures
// below 24 bits are raised to 24 bits first.
TEST_F(SlideImageTest, SlideGamma) {
    struct Case {
        const char* what;
        const char* fixture;
        const char* name;
        bool script;
        int slideGamma, viewGamma;
        const char* reference;
        int expectedGamma;  // 100: none
    } cases[] = {
        {"script JPEG with G 150", "jpeg/baseline_444.jpg", "a.jpg", true, 150, 100, "slides/baseline_444.fast.pnm", 100},
        {"script PNG without G, view gamma set", "png/rgb8.png", "c.png", true, 100, 150, "png/rgb8.ref.ppm", 100},
        {"bookmark JPEG, view gamma 150", "jpeg/baseline_444.jpg", "b.jpg", false, 100, 150,
         "slides/baseline_444.fast.pnm", 150},
        {"script PNG with G 150", "png/rgb8.png", "a.png", true, 150, 100, "png/rgb8.ref.ppm", 150},
        {"script 4-bit PNG with G 150", "png/pal4.png", "b.png", true, 150, 100, "png/pal4.ref.ppm", 150},
    };
    // The reference map gives the tone curves' worked values for gamma 200.
    const std::array<uint32_t, 256> worked = GammaMap(200);
    ASSERT_EQ((std::array{worked[0], worked[1], worked[64], worked[128], worked[200], worked[255]}),
              (std::array<uint32_t, 6>{0, 16, 128, 181, 226, 255}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WebForm->PendingCalls.clear();
        SlideshowRunning = true;
        ScriptMode = c.script;
        SlideGamma = c.slideGamma;
        SetViewGamma(c.viewGamma);
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead(c.fixture, c.name, picture));
        if (c.expectedGamma == 100) {
            EXPECT_TRUE(Matches(picture, ReadPnm(Fixture(c.reference))));
            continue;
        }
        EXPECT_EQ(SlideGamma, c.expectedGamma);
        EXPECT_EQ(picture.Bits, 24);
        for (const std::string& call : WebForm->PendingCalls)
            if (call.rfind("SetGammaLUT", 0) == 0)
                GTEST_SKIP() << "the colour maps are not built yet";
        EXPECT_TRUE(Matches(picture, WithGamma(ReadPnm(Fixture(c.reference)), c.expectedGamma)));
    }
}

// A large JPEG is decoded reduced and always ends inside the window.
TEST_F(SlideImageTest, LargeJpegEndsInsideTheWindow) {
    struct Case {
        int mode;
        bool show;
    } cases[] = {{slidesize::AspectNatural, false},
                 {slidesize::AspectNatural, true},
                 {slidesize::AspectFitWidth, true},
                 {slidesize::AspectSixteenNine, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.show ? " in a show" : ""));
        SetAspect(c.mode);
        SlideshowRunning = c.show;
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead("jpeg/big_4000x3000.jpg", "big.jpg", picture));
        EXPECT_LE(picture.Width, 800);
        EXPECT_LE(picture.Height, 600);
        EXPECT_TRUE(picture.Width == 800 || picture.Height == 600);
        EXPECT_NEAR(picture.At(picture.Width / 2, picture.Height / 2) & 0xFF, 0x80, 2);
    }
}

// The open with a display aspect goes this road: 16:9 shows a 400 x 270
// picture at 480 x 270.
TEST_F(SlideImageTest, AspectAdjustedOpenShowsTheSizedPicture) {
    SetAspect(slidesize::AspectSixteenNine);
    AspectChanged = true;
    FileName = CopyToHome("slides/plain_400x270.png", "slides/wide.png");
    FileExt = ".PNG";
    WebForm->BtnOpenEx(WebForm);
    EXPECT_TRUE(ImageLoaded);
    EXPECT_EQ(ImageWidth, 480);
    EXPECT_EQ(ImageHeight, 270);
    TBitmap& shown = *WebForm->Daz95->Bitmap();
    ASSERT_EQ(shown.GetWidth(), 480);
    ASSERT_EQ(shown.GetHeight(), 270);
    EXPECT_EQ(shown.Handle()->GetColor(240, 135) & 0xFFFFFF, 0x3060A0u);
}

// A metafile slide is drawn at its own size over the slide colour.
TEST_F(SlideImageTest, MetafileSlideIsDrawnOverTheSlideColour) {
    for (const char* fixture : {"metafile/red_left_half.wmf", "metafile/red_left_half.emf"}) {
        SCOPED_TRACE(fixture);
        SlideColor = static_cast<int32_t>(RGB(0, 0, 255));
        TLibraryPicture picture;
        ASSERT_TRUE(PrepareAndRead(fixture, std::string("m") + ExtractFileExt(fixture), picture));
        EXPECT_EQ(picture.Width, 192);
        EXPECT_EQ(picture.Height, 96);
        EXPECT_EQ(picture.Bits, 24);
        EXPECT_EQ(ImageBitCount, 24);
        // Colour values: blue in the low byte.
        EXPECT_EQ(picture.At(10, 50), 0xFF0000u);
        EXPECT_EQ(picture.At(150, 50), 0x0000FFu);
    }
}
