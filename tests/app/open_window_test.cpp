// Opening pictures in the image window: every format, pages, fax quality,
// Photo CD, scaled JPEG decoding and the fallbacks after bad files.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStatusBar>

#include "album/show8900.h"
#include "imaging/OpenPicture.h"
#include "app/lumv8900.h"
#include "app/app_test_tools.h"
#include "explorer/xplr8900.h"
#include "imaging/codec_test_tools.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "processing/script/LabState.h"
#include "support/picture_compare.h"
#include "support/settings_records.h"
#include "ui/Pix.h"
#include "ui/OpenDialogPlus.h"
#include "ui/ScrollBoxEx.h"
#include "ui/voMsgBox.h"

#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::RgbRaster;
using lumvor::test::SamePixels;
using lumvor::test::CopyToHome;
using lumvor::test::Fixture;
using lumvor::test::ReadPnm;

namespace {

// Writes the first `length` bytes of a fixture (or its bytes with a prefix).
std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string target = ProgramFolder() + name;
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return target;
}

std::vector<uint8_t> FixtureBytes(const std::string& fixture) { return lumvor::test::FileBytes(Fixture(fixture)); }

TBitmap& Shown() { return *WebForm->Daz95->Bitmap(); }

::testing::AssertionResult ShownMatches(const RgbRaster& expected, int tolerance = 0) {
    const QImage image = Shown().ToQImage();
    return SamePixels(expected, image.width(), image.height(),
                      [&](int x, int y) { return uint32_t(image.pixel(x, y)) & 0xFFFFFF; }, tolerance);
}

std::string Status() { return WebForm->StatusPanelText(0); }
std::string Caption() { return WebForm->windowTitle().toStdString(); }

// Answers every message box of the test with OK and records its text.
struct Boxes {
    std::vector<std::string> texts;
    void Expect(int count = 1) {
        for (int i = 0; i < count; ++i)
            QueueModalAction([this](QDialog& dialog) {
                if (auto* message = dialog.findChild<QLabel*>("Message"))
                    texts.push_back(message->text().toStdString());
                dialog.done(mrOk);
            });
    }
};

// Runs the open command with the open dialog, in which `choose` selects files
// (paths in the order the user picks them); the dialog is then accepted.
void OpenThroughDialog(const std::vector<std::string>& choose, const std::function<void()>& beforeAccept = {}) {
    QueueModalAction([choose, beforeAccept](QDialog& dialog) {
        auto* view = dialog.findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        ASSERT_NE(model, nullptr);
        for (const std::string& path : choose) {
            const QModelIndex index = model->index(QString::fromStdString(path));
            ASSERT_TRUE(index.isValid()) << path;
            // The current item drives the preview; the selection is what the dialog returns.
            view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        if (beforeAccept)
            beforeAccept();
        dialog.accept();
    });
    WebForm->BtnOpenClick(nullptr);  // the open button or menu
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

class OpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ViewerControls = TViewerControls{};
        SetViewerDefaults(ViewerControls, 3);
        lumvor::test::WriteSettingsRecords(ViewerControls);
        FirstActivationDone = 0;
        SlideshowRunning = UserInterrupt = ImageChanged = FullScreen = MediaMode = false;
        ImageHistoryList.Clear();
        ShownFileName.clear();
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        WebForm->resize(1400, 1100);
        WebForm->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        test::FreeWindows();
    }
    // Opens the file as the bookmarks and the reload do.
    void Open(const std::string& path) {
        FileName = path;
        FileExt = UpperCase(ExtractFileExt(path));
        WebForm->BtnOpenEx(WebForm);
    }
    // Makes the scroll box's client area width x height.
    void SetViewingArea(int width, int height) {
        WebForm->ScrollBox->setFrameShape(QFrame::NoFrame);
        WebForm->ScrollBox->setFixedSize(width, height);
        QCoreApplication::processEvents();
        ASSERT_EQ(WebForm->ScrollBox->viewport()->width(), width);
        ASSERT_EQ(WebForm->ScrollBox->viewport()->height(), height);
    }
};

}  // namespace

// Each format opens with its size, depth and pixels, named in the caption.
TEST_F(OpenTest, EveryFormatOpensWithSizeDepthAndPixels) {
    struct Case {
        const char* fixture;
        const char* name;
        int width, height, bits;
        const char* reference;  // "" = no pixel reference
        int tolerance;
    } cases[] = {
        {"jpeg/baseline_444.jpg", "a.jpg", 70, 46, 24, "jpeg/baseline_444.islow.pnm", 8},
        {"jpeg/grey.jpg", "b.jpeg", 70, 46, 8, "jpeg/grey.islow.pnm", 8},
        {"png/rgb8.png", "a.png", 13, 7, 24, "png/rgb8.ref.ppm", 0},
        {"png/pal4.png", "b.png", 13, 7, 4, "png/pal4.ref.ppm", 0},
        {"png/grey8.png", "c.png", 13, 7, 8, "png/grey8.ref.ppm", 0},
        {"bmp/pal8.bmp", "a.bmp", 7, 3, 8, "bmp/pal8.ppm", 0},
        {"bmp/pal4.bmp", "b.bmp", 7, 3, 4, "bmp/pal4.ppm", 0},
        {"bmp/rgb24.bmp", "c.DIB", 7, 3, 24, "bmp/rgb24.ppm", 0},
        {"bmp/rgb565.bmp", "d.bmp", 7, 3, 24, "bmp/rgb565.ppm", 7},  // 5-bit channels widen apart
        {"bitmaps/tga24.tga", "a.tga", 13, 7, 24, "", 0},
        {"bitmaps/tga8cmap.tga", "b.tga", 13, 7, 8, "", 0},
        {"bitmaps/pcx8.pcx", "a.pcx", 13, 7, 8, "", 0},
        {"bitmaps/pcx24.pcx", "b.pcx", 13, 7, 24, "", 0},
        {"gif/rose.gif", "a.gif", 70, 46, 8, "", 0},
        {"psd/rgb_raw.psd", "a.psd", 23, 17, 24, "", 0},
        {"tiff/rgb_none.tif", "a.tif", 13, 7, 24, "tiff/rgb_none.ref.ppm", 0},
        {"tiff/pal8.tif", "b.tif", 13, 7, 8, "tiff/pal8.ref.ppm", 0},
        {"tiff/rgb_zip_pred.tif", "c.tif", 13, 7, 24, "tiff/rgb_zip_pred.ref.ppm", 0},
        {"imgman/lzw_rgb.tif", "d.tif", 37, 29, 24, "imgman/lzw_rgb.ppm", 0},
        {"imgman/three.dcx", "a.dcx", 31, 23, 8, "imgman/three_0.ppm", 0},
    };
    FaxQuality = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = CopyToHome(c.fixture, c.name);
        Open(path);
        EXPECT_TRUE(ImageLoaded);
        EXPECT_EQ(FileName, path);
        EXPECT_EQ(Caption(), std::string(c.name) + " - Lumvor 8.9");
        EXPECT_EQ(ImageWidth, c.width);
        EXPECT_EQ(ImageHeight, c.height);
        EXPECT_EQ(ImageBitCount, c.bits);
        EXPECT_EQ(Shown().GetWidth(), c.width);
        EXPECT_EQ(Shown().GetHeight(), c.height);
        if (*c.reference) {
            EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.reference)), c.tolerance));
        }
        EXPECT_GE(ImageHistoryList.IndexOf(path), 0);
    }
}

// A file name keeps the case it has on disk.
TEST_F(OpenTest, PathKeepsItsCase) {
    const std::string path = CopyToHome("bmp/rgb24.bmp", "Holiday Pictures/Beach.BMP");
    Open(path);
    EXPECT_EQ(FileName, path);
    EXPECT_EQ(Caption(), "Beach.BMP - Lumvor 8.9");
    EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("bmp/rgb24.ppm"))));
}

TEST_F(OpenTest, MultiPageFilesStepWithWrapAround) {
    FaxQuality = 0;
    struct Case {
        const char* fixture;
        const char* name;
        const char* pages[3];
    } cases[] = {
        {"imgman/g4_3pages.tif", "fax.tif", {"imgman/g4_page0.ppm", "imgman/g4_page1.ppm", "imgman/g4_page2.ppm"}},
        {"imgman/three.dcx", "three.dcx", {"imgman/three_0.ppm", "imgman/three_1.ppm", "imgman/three_2.ppm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        Open(CopyToHome(c.fixture, c.name));
        ASSERT_TRUE(ImageLoaded);
        EXPECT_EQ(PageCount, 3);
        EXPECT_TRUE(WebForm->PageMenusShown);
        EXPECT_EQ(Status(), "Page 1 of 3");
        EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.pages[0]))));
        WebForm->PageChange(1);
        EXPECT_EQ(Status(), "Page 2 of 3");
        EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.pages[1]))));
        WebForm->PageChange(1);
        EXPECT_EQ(Status(), "Page 3 of 3");
        EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.pages[2]))));
        WebForm->PageChange(1);
        EXPECT_EQ(Status(), "Page 1 of 3");
        WebForm->PageChange(-1);
        EXPECT_EQ(Status(), "Page 3 of 3");
        WebForm->PageChange(0);
        EXPECT_EQ(Status(), "Page 1 of 3");
        WebForm->PageChange(999);
        EXPECT_EQ(Status(), "Page 3 of 3");
        EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.pages[2]))));
    }
    // A single-page picture hides the page commands, which then do nothing.
    Open(CopyToHome("bmp/pal8.bmp", "one.bmp"));
    EXPECT_FALSE(WebForm->PageMenusShown);
    WebForm->PageChange(1);
    EXPECT_EQ(FileName, ProgramFolder() + "one.bmp");
}

TEST_F(OpenTest, BilevelPagesAtFaxQualityShowAsReducedGrey) {
    struct Case {
        int quality, width, height;
        const char* reference;
    } cases[] = {
        {1, 32, 20, "imgman/g4_half.pgm"},
        {2, 21, 13, ""},
        {3, 16, 10, "imgman/g4_quarter.pgm"},
    };
    const std::string path = CopyToHome("imgman/g4_3pages.tif", "fax.tif");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        FaxQuality = c.quality;
        Open(path);
        ASSERT_TRUE(ImageLoaded);
        EXPECT_EQ(ImageBitCount, 8);
        EXPECT_EQ(Shown().PixelFormat(), pf8bit);
        EXPECT_EQ(Shown().GetWidth(), c.width);
        EXPECT_EQ(Shown().GetHeight(), c.height);
        if (*c.reference) {
            EXPECT_TRUE(ShownMatches(ReadPnm(Fixture(c.reference)), 1));
        }
        // The next page is reduced the same way.
        WebForm->PageChange(1);
        EXPECT_EQ(Shown().GetWidth(), c.width);
        EXPECT_EQ(Shown().PixelFormat(), pf8bit);
    }
}

TEST_F(OpenTest, PhotoCdOpensAtBaseResolution) {
    const std::string path = CopyToHome("pcd/img0001.pcd", "photos/img0001.pcd");
    Open(path);
    ASSERT_TRUE(ImageLoaded);
    EXPECT_EQ(FileName, path);
    EXPECT_EQ(ImageWidth, 768);
    EXPECT_EQ(ImageHeight, 512);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_EQ(Shown().GetWidth(), 768);
    EXPECT_EQ(Shown().GetHeight(), 512);
    EXPECT_EQ(PhotoCDCurrentResolution, 3);
    EXPECT_NE(PhotoCDInfoText.find("Orientation: Landscape"), std::string::npos);
    EXPECT_NE(PhotoCDInfoText.find("Current res: 512 x 768"), std::string::npos);
    EXPECT_EQ(ImgHandle, 0);
}

TEST_F(OpenTest, LargeJpegDecodesReducedForTheView) {
    SetViewingArea(1000, 700);
    ViewerControls.SetInt(vc::JpegScale, 67);
    WebForm->mnuScaleJPEG->SetChecked(true);
    const std::string path = CopyToHome("jpeg/big_4000x3000.jpg", "big.jpg");
    Open(path);
    ASSERT_TRUE(ImageLoaded);
    EXPECT_EQ(Shown().GetWidth(), 1000);
    EXPECT_EQ(Shown().GetHeight(), 750);
    EXPECT_EQ(ImageWidth, 1000);
    EXPECT_EQ(PrevImageWidth, 4000);
    EXPECT_TRUE(JPEGReduced);
    EXPECT_EQ(JPEGScaleDivisor, 4);
    EXPECT_EQ(WebForm->SizeText(), "4000x3000(8) [1:4]");
    EXPECT_EQ(Status().rfind("Loaded ", 0), 0u);

    // A one-sixteenth request is decoded, and reported, at one eighth.
    SetViewingArea(200, 140);
    ASSERT_EQ(ComputeJPEGScaleDivisor(4000, 3000, 200, 140, 67), 16);
    Open(path);
    EXPECT_EQ(Shown().GetWidth(), 500);
    EXPECT_EQ(Shown().GetHeight(), 375);
    EXPECT_EQ(WebForm->SizeText(), "4000x3000(8) [1:8]");

    // Scaled loading off: full size whatever the view.
    WebForm->mnuScaleJPEG->SetChecked(false);
    Open(path);
    EXPECT_EQ(Shown().GetWidth(), 4000);
    EXPECT_EQ(Shown().GetHeight(), 3000);
    EXPECT_FALSE(JPEGReduced);
    EXPECT_EQ(WebForm->SizeText(), "4000x3000(8)");
}

TEST_F(OpenTest, JpegRetryAndTruncatedJpeg) {
    // Leading bytes before the JPEG: the first load fails and the retry skips them.
    std::vector<uint8_t> bytes(300, 0x55);
    const std::vector<uint8_t> jpeg = FixtureBytes("jpeg/baseline_444.jpg");
    bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
    FileName = WriteBytes("prefixed.jpg", bytes);
    ImageWidth = 70;
    ImageHeight = 46;
    ImageBitCount = 24;
    WebForm->LoadJPEGScaled();
    EXPECT_TRUE(JPEGRetry);
    EXPECT_FALSE(JPEGReduced);
    EXPECT_EQ(Shown().GetWidth(), 70);
    EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("jpeg/baseline_444.islow.pnm")), 8));

    // Cut short in its scan: it opens and shows what decoded.
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3);
    const std::string truncated = WriteBytes("truncated.jpg", cut);
    Open(truncated);
    EXPECT_TRUE(ImageLoaded);
    EXPECT_EQ(FileName, truncated);
    EXPECT_EQ(Shown().GetWidth(), 70);
    EXPECT_EQ(Shown().GetHeight(), 46);
}

TEST_F(OpenTest, ProgressDrawsInStepsOfFive) {
    // The bar draws into status panel 0, whose painting keeps its rectangle.
    WebForm->ProgressReset();
    for (int p : {1, 2, 3, 5, 5, 7, 10})
        WebForm->ProgressUpdate(p);
    EXPECT_EQ(LastProgress, 10);
    const int tenPercent = ProgressRect.Width() / 10;
    EXPECT_EQ(ProgressWidth, tenPercent);
    WebForm->ProgressUpdate(12);
    EXPECT_EQ(ProgressWidth, tenPercent);
}

// A bad file of every format is reported by name: a header that cannot be
// read leaves the picture shown, a decode that fails after the picture was
// emptied ends in the blank "Untitled" picture.
TEST_F(OpenTest, CorruptFilesAreReportedAndReplaceNothingUnread) {
    const char* fixtures[] = {"jpeg/baseline_444.jpg", "png/rgb8.png",        "bmp/rgb24.bmp",
                              "bitmaps/tga24.tga",     "bitmaps/pcx24.pcx",   "gif/rose.gif",
                              "psd/rgb_raw.psd",       "tiff/rgb_none.tif",   "imgman/three.dcx",
                              "imgman/g4_3pages.tif",  "pcd/img0001.pcd"};
    for (const char* fixture : fixtures) {
        const std::vector<uint8_t> good = FixtureBytes(fixture);
        for (size_t length : {size_t(0), size_t(10), good.size() / 3}) {
            SCOPED_TRACE(std::string(fixture) + " cut to " + std::to_string(length));
            // Start from a good picture each time.
            Open(CopyToHome("bmp/pal8.bmp", "good.bmp"));
            ASSERT_EQ(FileName, ProgramFolder() + "good.bmp");
            std::vector<uint8_t> bytes(good.begin(), good.begin() + std::min(length, good.size()));
            const std::string bad = WriteBytes("img_bad" + ExtractFileExt(fixture), bytes);
            ClearModalAnswers();
            Boxes boxes;
            boxes.Expect(2);
            try {
                Open(bad);
            } catch (const Exception&) {
                // A JPEG whose retry fails too ends the open with its exception.
                ClearModalAnswers();
                continue;
            }
            ClearModalAnswers();
            if (FileName == bad)
                continue;  // a cut that still decodes shows what it holds
            EXPECT_TRUE(FileName == ProgramFolder() + "good.bmp" || FileName == "Untitled") << FileName;
            ASSERT_EQ(boxes.texts.size(), 1u);
            EXPECT_EQ(boxes.texts[0].rfind("img_bad" + ExtractFileExt(fixture), 0), 0u) << boxes.texts[0];
            EXPECT_FALSE(WebForm->Daz95->PaintLock());
        }
    }
}

// Mutated files of every format through the open never crash the window.
TEST_F(OpenTest, MutatedFilesNeverCrash) {
    const char* fixtures[] = {"jpeg/baseline_444.jpg", "png/pal4.png",      "bmp/pal8rle.bmp",
                              "bitmaps/tga8cmaprle.tga", "bitmaps/pcx8.pcx", "gif/rose.gif",
                              "psd/rgb_rle.psd",       "tiff/pal8.tif",     "imgman/three.dcx",
                              "tiff/bw_g4.tif"};
    lumvor::test::Lcg random{7};
    for (const char* fixture : fixtures) {
        const std::vector<uint8_t> good = FixtureBytes(fixture);
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(std::string(fixture) + " round " + std::to_string(round));
            std::vector<uint8_t> bytes = good;
            const int changes = 1 + int(random.Next() % 8);
            for (int i = 0; i < changes; ++i)
                bytes[random.Next() % bytes.size()] = uint8_t(random.Next());
            const std::string path = WriteBytes("mutant" + ExtractFileExt(fixture), bytes);
            ClearModalAnswers();
            const std::string before = FileName;
            try {
                Open(path);
            } catch (const Exception&) {
                // A JPEG whose retry fails too ends the open with its exception.
            }
            EXPECT_TRUE(FileName == path || FileName == "Untitled" || FileName == before) << FileName;
            EXPECT_FALSE(WebForm->Daz95->PaintLock());
        }
    }
    ClearModalAnswers();
}

// Files that cannot be shown leave the picture shown and say so.
TEST_F(OpenTest, FilesThatCannotBeShownKeepThePicture) {
    const std::string picture = CopyToHome("bmp/rgb24.bmp", "shown.bmp");
    Open(picture);
    ASSERT_EQ(FileName, picture);
    for (const char* name : {"song.mp3", "drawing.wmf", "data.xyz"}) {
        SCOPED_TRACE(name);
        const std::string path = WriteBytes(name, {1, 2, 3, 4});
        Boxes boxes;
        boxes.Expect();
        Open(path);
        EXPECT_EQ(FileName, picture);
        EXPECT_EQ(Caption(), "shown.bmp - Lumvor 8.9");
        EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("bmp/rgb24.ppm"))));
        EXPECT_FALSE(MediaMode);
        ASSERT_EQ(boxes.texts.size(), 1u);
        // A media file that does not play is refused by the player's words.
        if (std::string(name) == "song.mp3") {
            EXPECT_EQ(boxes.texts[0], "Corrupt file or unsupported video format.\nYou may need to install updated codecs.");
            continue;
        }
        if (std::string(name) == "drawing.wmf") {
            EXPECT_EQ(boxes.texts[0], "Invalid Metafile.");
            continue;
        }
        EXPECT_NE(boxes.texts[0].find(name), std::string::npos);
        EXPECT_NE(boxes.texts[0].find("cannot be shown"), std::string::npos);
    }
}

// Several files chosen in the open dialog: the third and then the second are
// appended to the bookmarks and the first is opened, its name as on disk.
TEST_F(OpenTest, DialogMultiSelectionAppendsTheRestAndOpensTheFirst) {
    const std::string kept = CopyToHome("bmp/pal8.bmp", "kept.bmp");
    Open(kept);
    ASSERT_EQ(ImageHistoryList.Count(), 1);
    const std::string first = CopyToHome("png/rgb8.png", "pick/First.png");
    const std::string second = CopyToHome("bmp/rgb24.bmp", "pick/second.bmp");
    const std::string third = CopyToHome("tiff/pal8.tif", "pick/third.tif");
    WebForm->OpenDialog->SetInitialDir(ExtractFilePath(first));
    OpenThroughDialog({first, second, third});

    ASSERT_TRUE(ImageLoaded);
    EXPECT_EQ(FileName, first);
    EXPECT_EQ(Caption(), "First.png - Lumvor 8.9");
    EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("png/rgb8.ref.ppm"))));
    // The others are appended from the last chosen down to the second.
    ASSERT_EQ(ImageHistoryList.Count(), 4);
    EXPECT_GE(ImageHistoryList.IndexOf(kept), 0);
    EXPECT_EQ(ImageHistoryList[2], third);
    EXPECT_EQ(ImageHistoryList[3], second);
    EXPECT_EQ(ImageHistoryList[ImageHistoryIndex], first);
    // The dialog starts in the opened file's folder next time.
    EXPECT_EQ(WebForm->OpenDialog->InitialDir() + "/", ExtractFilePath(first));
}

// One file chosen whose preview the dialog decoded: the window shows the
// preview's picture and does not read the file again (here it is replaced on
// disk after the preview, before the dialog closes).
TEST_F(OpenTest, DialogPreviewPictureIsTakenOver) {
    const std::string path = CopyToHome("png/rgb8.png", "pick/photo.png");
    WebForm->OpenDialog->SetInitialDir(ExtractFilePath(path));
    bool previewed = false;
    OpenThroughDialog({path}, [&] {
        previewed = WebForm->OpenDialog->ImagePreload() && WebForm->OpenDialog->ImageManHandle() != 0;
        CopyToHome("png/grey8.png", "pick/photo.png");
    });
    ASSERT_TRUE(previewed);
    ASSERT_TRUE(ImageLoaded);
    EXPECT_EQ(FileName, path);
    EXPECT_EQ(ImageWidth, 13);
    EXPECT_EQ(ImageHeight, 7);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("png/rgb8.ref.ppm"))));
    EXPECT_EQ(Caption(), "photo.png - Lumvor 8.9");
    EXPECT_EQ(ImgHandle, 0);  // rendered and released
    EXPECT_EQ(ImageHistoryList[ImageHistoryIndex], path);

    // Without a preview of that file the file itself is decoded: now the grey one.
    WebForm->OpenDialog->ImageClear();
    OpenThroughDialog({path}, [&] { WebForm->OpenDialog->ImageClear(); });
    ASSERT_TRUE(ImageLoaded);
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_TRUE(ShownMatches(ReadPnm(Fixture("png/grey8.ref.ppm"))));
}
