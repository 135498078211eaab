// Batch conversion through the image window on real files in temporary
// folders: the dialogs that start or stop it, the output names, the skipped
// files and their log, the JPEG comment read by rdjpgcom, the other formats
// read back by pngcheck, tiffinfo and ImageMagick, the smoothing before the
// encode, cancel, injected failures and a disk-space refusal.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "processing/files/SavePicture.h"
#include "app/jpgdlg_8900.h"
#include "imaging/AvlScript.h"
#include "platform/Registry.h"
#include "processing/files/BatchConvert.h"
#include "processing/files/CoreEncode.h"
#include "processing/script/LabState.h"
#include "processing/spatial/SpatialFilters.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/picture_compare.h"
#include "ui/Status_y.h"
#include "ui/listdlg_y.h"
#include "ui/walk8900.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <fstream>
#include <stdexcept>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string Quote(const std::string& path) { return "'" + path + "'"; }

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const QString& name : QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The picture of a file as ImageMagick reads it; Targa files through netpbm's
// tgatoppm, since ImageMagick 6 leaves bottom-up Targa rows upside down.
RgbRaster ReadWithMagick(const std::string& path, const std::string& options = "") {
    const std::string ppm = path + ".magick.ppm";
    std::string input = path;
    if (ExtractFileExt(path) == ".tga") {
        input = path + ".netpbm.ppm";
        if (std::system(("tgatoppm " + Quote(path) + " > " + Quote(input)).c_str()) != 0)
            return {};
    }
    const int status = std::system(("/usr/bin/convert " + Quote(input) + " " + options + " -strip -depth 8 ppm:" + Quote(ppm)).c_str());
    if (input != path)
        QFile::remove(QString::fromStdString(input));
    if (status != 0)
        return {};
    RgbRaster raster = ReadPpm(ppm);
    QFile::remove(QString::fromStdString(ppm));
    return raster;
}

// The mean absolute difference of the channels of two pictures of one size.
double MeanDifference(const RgbRaster& a, const RgbRaster& b) {
    double sum = 0;
    for (size_t i = 0; i < a.Pixels.size() && i < b.Pixels.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(int((a.Pixels[i] >> shift) & 0xFF) - int((b.Pixels[i] >> shift) & 0xFF));
    return a.Pixels.empty() ? 0 : sum / (3.0 * double(a.Pixels.size()));
}

void AcceptList() {
    QueueModalAction([](QDialog& d) { static_cast<TListDlg&>(d).btnOK->click(); });
}

void ChooseFolder(const std::string& folder, std::string* caption = nullptr) {
    QueueModalAction([folder, caption](QDialog& d) {
        if (caption)
            *caption = d.windowTitle().toStdString();
        walk8900::WalkFolder = folder;
        d.done(mrOk);
    });
}

class BatchConvertWindowTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        out = root + "out/";
        QDir().mkpath(QString::fromStdString(out));
        LastBatchFolder.clear();
        AvlLines.Clear();
        ReportLines.Clear();
        EncodeBusy = false;
        CancelPressed = 0;
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        registry.DeleteValue(JpegRecordName);
        JpegWizardSettings.SetQuality(-1);
        ShellOpenDocument = [this](const std::string& name) {
            opened.push_back(name);
            return true;
        };
    }
    void TearDown() override {
        EncodeTestHook = nullptr;
        batchconvert::FreeSpaceHook = nullptr;
        ShellOpenDocument = nullptr;
        CancelPressed = 0;
        EXPECT_FALSE(batch_8900::BatchRunning);
        EXPECT_EQ(IsBusy, 0);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        EXPECT_EQ(QueuedModalAnswers(), 0);
        ImageWindowTest::TearDown();
    }
    std::string Copy(const std::string& fixture, const std::string& name) {
        const std::string path = CopyFixture(fixture, root + name);
        EXPECT_TRUE(FileExists(path)) << fixture;
        return path;
    }
    void Bookmark(const std::vector<std::string>& files) { BookmarkFiles(files); }
    TMenuItem* Item(TBatchFormat format) {
        return static_cast<TMenuItem*>(WebForm->BatchFileItems()[size_t(format)]);
    }
    // The list accepted and the output folder chosen (then the answers queued
    // by answers), then the conversion.
    void Convert(TBatchFormat format, const std::string& folder, const std::function<void()>& answers = {}) {
        AcceptList();
        ChooseFolder(folder);
        if (answers)
            answers();
        WebForm->mnuBatchJPG1Click(Item(format));
    }
    // The Lab Script window holding the lines, the script run without asking.
    void Script(const std::string& lines, bool comments) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        batch_8900::BatchFormActive = true;
        batch_8900::BatchForm->Tag = 1;
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(lines));
        ViewerControls.SetByte(vc::LabComments, comments ? 1 : 0);
    }
    QTemporaryDir dir;
    std::string root, out;
    std::vector<std::string> opened;
    std::vector<Box> boxes;
};

}  // namespace

// ---- Starting and not starting

TEST_F(BatchConvertWindowTest, NothingHappensWithOneFileOrWhenADialogIsCancelled) {
    const std::string a = Copy("geometry/src24.bmp", "a.bmp"), b = Copy("geometry/src24.bmp", "b.bmp");
    LastBatchFolder = root;

    Bookmark({a});
    AcceptList();
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchPNG1);

    Bookmark({a, b});
    QueueModalResult(mrCancel);
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchPNG1);

    QueueModalAction([](QDialog& d) {
        auto& list = static_cast<TListDlg&>(d);
        list.btnClearClick();  // only the first file stays chosen
        list.btnOK->click();
    });
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchPNG1);

    AcceptList();
    QueueModalResult(mrCancel);
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchPNG1);

    EXPECT_EQ(Names(out), std::vector<std::string>{});
    EXPECT_EQ(Names(root), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(LastBatchFolder, root);
    EXPECT_TRUE(WebForm->isEnabled());
}

// ---- Names

TEST_F(BatchConvertWindowTest, OutputsTakeFreeNamesAndNeverReplaceAFile) {
    const std::string photo = Copy("jpeg/baseline_420.jpg", "src/photo.jpg");
    const std::string jpeg = Copy("jpeg/baseline_444.jpg", "other/Photo.jpeg");
    const std::string rose = Copy("gif/rose.gif", "src/rose.gif");
    for (const char* name : {"photo.jpg", "photo-1.jpg"})
        std::ofstream(out + name) << "keep " << name;
    Bookmark({photo, rose});
    std::string caption;
    AcceptList();
    ChooseFolder(out, &caption);
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchJPG1);
    EXPECT_EQ(caption.substr(0, caption.find(" files in ") + 10), "Write 2 .JPG files in ");
    EXPECT_EQ(Names(out), (std::vector<std::string>{"photo-1.jpg", "photo-2.jpg", "photo.jpg", "rose.jpg"}));
    EXPECT_EQ(ReadFileText(out + "photo.jpg"), "keep photo.jpg");
    EXPECT_EQ(ReadFileText(out + "photo-1.jpg"), "keep photo-1.jpg");
    EXPECT_EQ(CommandOutput("identify -format '%m %wx%h' " + Quote(out + "photo-2.jpg")),
              CommandOutput("identify -format '%m %wx%h' " + Quote(photo)));
    EXPECT_EQ(LastBatchFolder, out);
    EXPECT_EQ(WebForm->AnyTimer->Tag, 1);

    // The real extension goes, however long, and the name keeps its case.
    const std::string bmpFolder = root + "bmp/";
    QDir().mkpath(QString::fromStdString(bmpFolder));
    Bookmark({jpeg, rose});
    Convert(TBatchFormat::Bmp, bmpFolder);
    EXPECT_EQ(Names(bmpFolder), (std::vector<std::string>{"Photo.bmp", "rose.bmp"}));
    EXPECT_EQ(ReadWithMagick(bmpFolder + "rose.bmp").Pixels, ReadWithMagick(rose).Pixels);
}

// ---- Skipped files

TEST_F(BatchConvertWindowTest, UnreadableFilesAreSkippedListedAndTheLogOffered) {
    const std::string good = Copy("geometry/src24.bmp", "good.bmp");
    const std::string fake = root + "notes.jpg";
    std::ofstream(fake) << "these are notes, not a picture\n";
    // A text bookmark is left out by the list of files already.
    const std::string text = root + "notes.txt";
    std::ofstream(text) << "notes\n";
    Bookmark({good, text, fake});
    AcceptList();
    ChooseFolder(out);
    Answer(boxes, mrYes);
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchPCX1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.back().text, "1 file(s) skipped. Some files may be opened and processed manually.\nView log?");
    const std::string log = AppDir + "BatchExceptions.txt";
    EXPECT_EQ(opened, std::vector<std::string>{log});
    const std::vector<std::string> lines = CommandLines("cat " + Quote(log));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Skipped: " + fake, 0), 0u) << lines[0];
    EXPECT_EQ(Names(out), std::vector<std::string>{"good.pcx"});

    // Without a viewer for the log the user is told so.
    ShellOpenDocument = [](const std::string&) { return false; };
    const std::string again = root + "again/";
    QDir().mkpath(QString::fromStdString(again));
    Convert(TBatchFormat::Pcx, again, [this] {
        Answer(boxes, mrYes);
        Answer(boxes, mrOk);
    });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, "Text viewer not found.");
}

// ---- The JPEG comment

TEST_F(BatchConvertWindowTest, ThreeJpegsCarryTheScriptAndAnEmptyMemoAnEmptyComment) {
    std::vector<std::string> sources;
    for (const char* name : {"one.bmp", "two.bmp", "three.bmp"})
        sources.push_back(Copy("geometry/src24.bmp", name));
    Bookmark(sources);
    Script("NEGATIVE\nFLIP_VERTICAL\nNEGATIVE", true);
    batch_8900::BatchForm->Tag = 0;
    Answer(boxes, mrYesToAll);
    AcceptList();
    ChooseFolder(out);
    WebForm->mnuBatchJPG1Click(WebForm->mnuBatchJPG1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Lab Script is active.");
    EXPECT_EQ(boxes[0].text, "Perform lab commands on all bookmarked\nimages before writing each file to disk?");
    EXPECT_EQ(batch_8900::BatchForm->Tag, 1);
    EXPECT_EQ(Names(out), (std::vector<std::string>{"one.jpg", "three.jpg", "two.jpg"}));
    const std::string expected = std::string("Encoder: Lumvor 8.9 (") + SavePicture::MakerWebAddress +
                                 ")\n\nLab Commands:\n\nNEGATIVE\nFLIP_VERTICAL\nNEGATIVE\n\n";
    for (const char* name : {"one.jpg", "two.jpg", "three.jpg"}) {
        EXPECT_EQ(CommandOutput("rdjpgcom " + Quote(out + name)), expected) << name;
        // The script ran: the picture is upside down (within the loss of the
        // encode, far from the picture as it was).
        const RgbRaster written = ReadWithMagick(out + name);
        const RgbRaster flipped = ReadWithMagick(sources[0], "-flip"), upright = ReadWithMagick(sources[0]);
        ASSERT_EQ(written.Width, flipped.Width);
        EXPECT_LT(MeanDifference(written, flipped), 8.0) << name;
        EXPECT_GT(MeanDifference(written, upright), 3 * MeanDifference(written, flipped)) << name;
    }

    const std::string again = root + "again/";
    QDir().mkpath(QString::fromStdString(again));
    Script("", true);
    Convert(TBatchFormat::Jpeg, again);
    const std::vector<uint8_t> bytes = Bytes(again + "one.jpg");
    ASSERT_GT(bytes.size(), 30u);
    const size_t first = size_t(bytes[4]) << 8 | bytes[5];
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + long(first) + 4, bytes.begin() + long(first) + 8),
              (std::vector<uint8_t>{0xFF, 0xFE, 0x00, 0x02}));
}

// ---- The other formats

struct FormatCase {
    const char* name;
    TBatchFormat format;
    const char* fixture;
    std::string check;     // a command run on the output ({} = its path)
    std::string expected;  // a text its output must hold
    bool negate = true;    // the script NEGATIVE runs before the write
};

class BatchFormatTest : public BatchConvertWindowTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(BatchFormatTest, WritesTheScriptedPictureThatIndependentToolsRead) {
    const FormatCase& c = GetParam();
    const std::string a = Copy(c.fixture, std::string("a") + ExtractFileExt(c.fixture));
    const std::string b = Copy(c.fixture, std::string("b") + ExtractFileExt(c.fixture));
    Bookmark({a, b});
    if (c.negate)
        Script("NEGATIVE", false);
    Convert(c.format, out);
    const std::string ext = BatchExtension(c.format);
    ASSERT_EQ(Names(out), (std::vector<std::string>{"a" + ext, "b" + ext}));
    for (const std::string& name : {std::string("a"), std::string("b")}) {
        const std::string written = out + name + ext;
        std::string command = c.check;
        command.replace(command.find("{}"), 2, Quote(written));
        const std::string report = CommandOutput(command + " 2>&1");
        EXPECT_NE(report.find(c.expected), std::string::npos) << report;
        const RgbRaster expected = ReadWithMagick(name == "a" ? a : b, c.negate ? "-negate" : "");
        const RgbRaster actual = ReadWithMagick(written);
        ASSERT_EQ(actual.Width, expected.Width) << written;
        EXPECT_TRUE(SamePixels(expected, actual.Width, actual.Height, [&](int x, int y) { return actual.At(x, y); }, 0))
            << written;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchFormatTest,
    ::testing::Values(
        FormatCase{"Png", TBatchFormat::Png, "geometry/src24.bmp", "pngcheck {}", "non-interlaced"},
        FormatCase{"TiffDeflate", TBatchFormat::Tif, "geometry/src24.bmp", "tiffinfo {}", "Compression Scheme: Deflate"},
        FormatCase{"TargaFromFourBits", TBatchFormat::Tga, "geometry/src4.bmp", "identify -format '%z-bit %[type]' {}",
                   "8-bit Palette", false},
        FormatCase{"Pcx", TBatchFormat::Pcx, "geometry/src8.bmp", "identify -format '%m' {}", "PCX"},
        FormatCase{"Bmp", TBatchFormat::Bmp, "gif/rose.gif", "identify -format '%m' {}", "BMP"},
        FormatCase{"TargaTrueColour", TBatchFormat::Tga, "geometry/src24.bmp", "identify -format '%z-bit %[type]' {}",
                   "8-bit TrueColor", false},
        FormatCase{"PngEightBits", TBatchFormat::Png, "geometry/src8.bmp", "pngcheck {}", "palette", false},
        FormatCase{"PcxEightBits", TBatchFormat::Pcx, "geometry/src8.bmp", "identify -format '%m' {}", "PCX", false}),
    CaseNames<&FormatCase::name>);

// ---- Smoothing before the encode

TEST_F(BatchConvertWindowTest, SmoothingKindsFilterThePictureTheEncoderGets) {
    const std::string a = Copy("geometry/src24.bmp", "a.bmp"), b = Copy("geometry/src24.bmp", "b.bmp");
    const RgbRaster source = ReadWithMagick(a);
    struct Kind {
        int kind;
        int strength;
        std::function<void(TBitmap&)> filter;
    };
    const std::vector<Kind> kinds = {
        {1, 100, [](TBitmap& p) { Spatial3x3Bitmap(p, SpatialKernel, SetDeFocusKernel(155)); }},
        {2, 3, [](TBitmap& p) { SharpGaussianBlur5x5Bitmap(p, std::min(255, (255 / 3) * 128 + 127), 3); }},
        {2, 200, [](TBitmap& p) { SharpGaussianBlur5x5Bitmap(p, 255, 200); }},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE("kind " + std::to_string(k.kind) + " strength " + std::to_string(k.strength));
        const std::string folder = root + "k" + std::to_string(k.kind) + "s" + std::to_string(k.strength) + "/";
        QDir().mkpath(QString::fromStdString(folder));
        JpegWizardSettings.SetQuality(-1);
        LoadBatchJpegSettings(JpegWizardSettings);
        JpegWizardSettings.SetInt(TJpegWizardSettings::SmoothingKindOffset, k.kind);
        JpegWizardSettings.SetInt(TJpegWizardSettings::SmoothingOffset, k.strength);
        Bookmark({a, b});
        Convert(TBatchFormat::Jpeg, folder);

        TBitmap picture;
        LoadRaster(picture, source);
        k.filter(picture);
        TEncodeJob job;
        job.Picture = std::make_shared<TPixelBuffer>(*picture.Handle());
        job.Settings = JpegWizardSettings;
        TEncodeResult expected;
        const std::atomic<bool> stop{false};
        EncodeJob(job, stop, expected);
        ASSERT_EQ(expected.Status, esOk);
        EXPECT_EQ(Bytes(folder + "a.jpg"),
                  std::vector<uint8_t>(expected.Stream.Memory(), expected.Stream.Memory() + expected.Stream.Size()));
    }
}

// ---- Cancel, failures, disk space, priority

TEST_F(BatchConvertWindowTest, CancelDuringAnEncodeWritesNothingAndStops) {
    Bookmark({Copy("geometry/src24.bmp", "a.bmp"), Copy("geometry/src24.bmp", "b.bmp")});
    std::atomic<int> encodes{0};
    std::atomic<bool> release{false};
    EncodeTestHook = [&] {
        ++encodes;
        for (int i = 0; i < 2000 && !release; ++i)
            QThread::msleep(5);
    };
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (encodes > 0 && !release) {
            CancelPressed = 1;  // as the status box's Cancel does
            release = true;
        }
    });
    cancel.start(5);
    Convert(TBatchFormat::Jpeg, out);
    EXPECT_EQ(encodes, 1);
    EXPECT_EQ(Names(out), std::vector<std::string>{});
    EXPECT_FALSE(EncodeBusy);
    EXPECT_FALSE(WebForm->EncodeThread);
}

TEST_F(BatchConvertWindowTest, AFailedEncodeWritesNothingAndIsListedWithItsReason) {
    const std::string a = Copy("geometry/src24.bmp", "a.bmp"), b = Copy("geometry/src24.bmp", "b.bmp");
    Bookmark({a, b});
    std::atomic<int> encodes{0};
    EncodeTestHook = [&] {
        if (++encodes == 1)
            throw std::runtime_error("injected encoder fault");
    };
    Convert(TBatchFormat::Jpeg, out, [this] { Answer(boxes, mrNo); });
    EXPECT_EQ(Names(out), std::vector<std::string>{"b.jpg"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.substr(0, 17), "1 file(s) skipped");
    EXPECT_TRUE(opened.empty());
    const std::vector<std::string> lines = CommandLines("cat " + Quote(AppDir + "BatchExceptions.txt"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Skipped: " + a + " - injected encoder fault\r");
}

struct SpaceCase {
    const char* name;
    TBatchFormat format;
};

class BatchSpaceTest : public BatchConvertWindowTest, public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(BatchSpaceTest, TooLittleFreeSpaceCancelsTheBatch) {
    Bookmark({Copy("geometry/src24.bmp", "a.bmp"), Copy("geometry/src24.bmp", "b.bmp")});
    batchconvert::FreeSpaceHook = [](const std::string&) { return int64_t(1000); };
    Convert(GetParam().format, out, [this] { Answer(boxes, mrOk); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("Insufficient disk space.", 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("Batch cancelled."), std::string::npos);
    EXPECT_EQ(Names(out), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, BatchSpaceTest,
                         ::testing::Values(SpaceCase{"Jpeg", TBatchFormat::Jpeg}, SpaceCase{"Png", TBatchFormat::Png}),
                         CaseNames<&SpaceCase::name>);

TEST_F(BatchConvertWindowTest, PrioritySettingSevenEncodesAtTheLowestPriority) {
    Bookmark({Copy("geometry/src24.bmp", "a.bmp"), Copy("geometry/src24.bmp", "b.bmp")});
    ViewerControls.SetInt(vc::ThumbThreads, 7);
    std::vector<int> priorities;
    EncodeTestHook = [&priorities] { priorities.push_back(int(QThread::currentThread()->priority())); };
    Convert(TBatchFormat::Jpeg, out);
    EXPECT_EQ(priorities, (std::vector<int>{int(QThread::LowestPriority), int(QThread::LowestPriority)}));
}

TEST_F(BatchConvertWindowTest, FreeingTheWindowJoinsARunningEncode) {
    std::atomic<bool> started{false};
    EncodeTestHook = [&started] {
        started = true;
        QThread::msleep(200);
    };
    TEncodeJob job;
    job.Picture = std::make_shared<TPixelBuffer>(1600, 1200, 24);
    SetBatchJpegDefaults(job.Settings);
    job.OutputFolder = out;
    job.OutputName = "never.jpg";
    WebForm->EncodeThread = std::make_unique<TCoreEncode>();
    WebForm->EncodeThread->SetJob(std::move(job));
    WebForm->EncodeThread->start();
    ASSERT_TRUE(WaitFor([&] { return started.load(); }, 10000));
    delete WebForm;  // the window goes while the thread encodes
    WebForm = nullptr;
    EXPECT_EQ(Names(out), std::vector<std::string>{});
}
