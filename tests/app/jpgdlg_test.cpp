// The advanced JPEG compression dialog: its settings record, test encodes read
// back by independent tools (PIL, exiftool, identify, djpeg), Save As, the
// edits and scroll bars, and the picture left as it was.
#include "app_test_tools.h"
#include "save_form_fixture.h"

#include "processing/files/SavePicture.h"
#include "app/jpgdlg_8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Jpeg.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "ui/SaveDialogEx.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

std::string Exif(const std::string& tag, const std::string& file) {
    return Trimmed(CommandOutput("exiftool -s3 -" + tag + " " + Quote(file) + " 2>/dev/null"));
}

std::vector<uint8_t> Bytes(const TMemoryStream& stream) {
    const uint8_t* data = stream.Memory();
    return std::vector<uint8_t>(data, data + const_cast<TMemoryStream&>(stream).Size());
}

std::vector<uint8_t> FileBytes(const std::string& name) {
    const std::string text = ReadFileText(name);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A 24-bit picture with detail in every pixel, so that smoothing shows.
void MakePhoto(TBitmap& b, int width = 64, int height = 48) { MakePicture(b, 24, width, height); }

// ---- Headless pieces

TEST(JpegDialogText, SizesAndRatioReadAsTheTipShowsThem) {
    EXPECT_EQ(ByteCountText(1440000), "1,440,000 bytes");
    EXPECT_EQ(ByteCountText(999), "999 bytes");
    EXPECT_EQ(ByteCountText(12345678901LL), "12,345,678,901 bytes");
    EXPECT_EQ(CompressionTipText(1440000, 432000),
              "Original file size: 1,440,000 bytes\nCompressed size: 432,000 bytes\nCompression ratio: 3.3 to 1");
    // The figure after the point is tenths, not the remainder's thousands.
    EXPECT_EQ(CompressionTipText(1000, 999).substr(CompressionTipText(1000, 999).rfind(':')), ": 1.0 to 1");
    EXPECT_EQ(CompressionTipText(19, 10).substr(CompressionTipText(19, 10).rfind(':')), ": 1.9 to 1");
    EXPECT_EQ(CompressionFailedTipText(1440000, "Bad thing"),
              "Original file size: 1,440,000 bytes\nCompression failed: Bad thing");
}

TEST(JpegDialogText, SaveAsKeepsJpegExtensionsAndReplacesOthers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/p/photo.jpg", "/p/photo.jpg"},   {"/p/photo.jpeg", "/p/photo.jpeg"},
        {"/p/PHOTO.JPG", "/p/PHOTO.JPG"},   {"/p/Photo.JpEg", "/p/Photo.JpEg"},
        {"/p/photo.png", "/p/photo.jpg"},   {"/p/photo", "/p/photo.jpg"},
        {"/p.d/photo", "/p.d/photo.jpg"},   {"/p/photo.tar.gz", "/p/photo.tar.jpg"},
    };
    for (const auto& [chosen, written] : cases)
        EXPECT_EQ(JpegSaveName(chosen), written) << chosen;
}

TEST(JpegDialogText, SmoothingKindsSplitBetweenFilterAndEncoder) {
    // Every strength gives "Clean" the full lightness threshold.
    EXPECT_EQ(CleanThreshold(1), 255);
    EXPECT_EQ(CleanThreshold(2), 255);
    EXPECT_EQ(CleanThreshold(255), 255);
    EXPECT_EQ(EncoderSmoothing(skStandard, 50), 50);
    EXPECT_EQ(EncoderSmoothing(skParametric, 50), 0);
    EXPECT_EQ(EncoderSmoothing(skClean, 50), 0);
}

// The encoder behind the dialog and batch conversion hands libjpeg at most its
// documented smoothing factor of 100.
TEST(JpegDialogText, BatchStyleEncodeLimitsTheSmoothingFactor) {
    TBitmap picture;
    MakePhoto(picture);
    const auto encode = [&](int smoothing) {
        TJPEGImage jpeg;
        jpeg.Assign(picture);
        jpeg.CompressJPEG(false, true, true, 48, smoothing);
        return jpeg.Data();
    };
    EXPECT_EQ(encode(255), encode(100));
    EXPECT_EQ(encode(130), encode(100));
    EXPECT_NE(encode(100), encode(0));
}

// The dialog's encode writes the same file as cjpeg with the same settings on
// the same pixels. cjpeg's standard quality q is the linear scale 200 - 2q
// (q >= 50) or 5000 div q (q < 50); both tools limit the tables to baseline.
struct CjpegCase {
    const char* name;
    TJpegTestOptions options;
    const char* cjpegArguments;
};

class JpegDialogEncodeTest : public ::testing::TestWithParam<CjpegCase> {};

TEST_P(JpegDialogEncodeTest, EqualsCjpegOnTheSamePixels) {
    const CjpegCase& c = GetParam();
    const std::string source = Fixture("jpgdlg/rose.ppm");
    const RgbRaster pixels = ReadPpm(source);
    ASSERT_EQ(pixels.Width, 96);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(pixels.Width, pixels.Height);
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x) {
            uint8_t* p = picture.ScanLine(y) + 3 * x;
            const uint32_t rgb = pixels.At(x, y);
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
        }
    TMemoryStream ours;
    EncodeJpegTest(picture, c.options, ours);
    QTemporaryDir dir;
    const std::string theirs = dir.path().toStdString() + "/cjpeg.jpg";
    ASSERT_EQ(std::system(("cjpeg -dct float -optimize -baseline " + std::string(c.cjpegArguments) + " -outfile " +
                           Quote(theirs) + " " + Quote(source))
                              .c_str()),
              0);
    EXPECT_EQ(Bytes(ours), FileBytes(theirs));
    // The preview holds the decoded test.
    EXPECT_EQ(picture.Width(), 96);
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, JpegDialogEncodeTest,
    ::testing::Values(CjpegCase{"Setting60FullColour", {skStandard, 0, false, false, 60}, "-quality 70 -sample 1x1"},
                      CjpegCase{"Setting200ProgressiveSubsampled", {skStandard, 0, true, true, 200},
                                "-quality 25 -progressive"},
                      CjpegCase{"Setting500Smoothed", {skStandard, 50, false, false, 500},
                                "-quality 10 -sample 1x1 -smooth 50"},
                      CjpegCase{"CleanLeavesTheEncoderUnsmoothed", {skClean, 50, false, true, 40},
                                "-quality 80"}),
    CaseNames<&CjpegCase::name>);

// ---- The dialog in the image window

using DialogBody = std::function<void(TJPEGdialog&)>;

class JpegDialogTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        folder = dir.path().toStdString();
    }
    // Runs the command; body works the dialog, which is then closed with
    // "Close" unless body closed it.
    void RunDialog(const DialogBody& body) {
        bool ran = false;
        QueueModalAction([&, body](QDialog& d) {
            ran = true;
            auto& form = static_cast<TJPEGdialog&>(d);
            body(form);
            if (d.isVisible())
                form.btnCancel->click();
        });
        WebForm->mnuCompressClick(nullptr);
        EXPECT_TRUE(ran);
        EXPECT_EQ(QueuedModalAnswers(), 0);
    }
    // Answers the next save dialog with a typed name. A user's typing drops
    // the list's selection (the name box has the focus); the test drops it.
    static void AnswerSave(const std::string& typed) {
        QueueModalAction([typed](QDialog& d) {
            d.findChild<QAbstractItemView*>("listView")->clearSelection();
            d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(typed));
            d.accept();
        });
    }
    static std::string Tip(TJPEGdialog& f) { return f.lblTip->text().toStdString(); }
    // Types text into an edit as a user would: the old text selected first.
    static void Type(QLineEdit* edit, const char* text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    // The compressed size the tip shows.
    static int64_t TipCompressedSize(TJPEGdialog& f) {
        const std::string tip = Tip(f);
        const size_t at = tip.find("Compressed size: ");
        if (at == std::string::npos)
            return -1;
        std::string digits;
        for (size_t i = at + 17; i < tip.size() && tip[i] != ' '; ++i)
            if (tip[i] != ',')
                digits += tip[i];
        return StrToInt64(digits);
    }
    QTemporaryDir dir;
    std::string folder;
};

TEST_F(JpegDialogTest, WithoutStoredSettingsItOpensWithTheDefaults) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    ASSERT_FALSE(TRegistry().ValueExists(JpegRecordName));
    RunDialog([&](TJPEGdialog& f) {
        EXPECT_EQ(f.windowTitle().toStdString(), "Advanced JPEG Compression");
        EXPECT_EQ(f.ScrollBarJPG->value(), 40);
        EXPECT_EQ(f.EditJPG->text(), "40");
        EXPECT_EQ(f.SmoothingIndex(), skStandard);
        EXPECT_EQ(f.ScrollBarCustom->value(), 0);
        EXPECT_EQ(f.EditCustom->text(), "0");
        EXPECT_EQ(f.ScrollBarCustom->minimum(), 0);
        EXPECT_EQ(f.ScrollBarCustom->maximum(), 255);
        EXPECT_EQ(f.ScrollBarCustom->pageStep(), 16);
        EXPECT_EQ(f.LabelMin->text(), "0 (none)");
        EXPECT_EQ(f.LabelMax->text(), "255 (fuzzy)");
        EXPECT_FALSE(f.chkProgressive->isChecked());
        EXPECT_FALSE(f.chkSubSample->isChecked());
        EXPECT_FALSE(f.btnOK->isEnabled());
        EXPECT_EQ(f.btnOK->text(), "Save &As");
        EXPECT_EQ(f.btnCancel->text(), "Close");
        EXPECT_EQ(Tip(f).rfind("1) Apply a pre-processing filter", 0), 0u);
        EXPECT_EQ(f.BeforePix->Bitmap()->Width(), 64);
        EXPECT_TRUE(f.Timer1->isActive());
    });
    EXPECT_EQ(JpegWizardSettings.Quality(), 40);
    EXPECT_EQ(JpegWizardSettings.Byte(2), 1);
    EXPECT_EQ(JpegWizardSettings.Byte(3), 1);
}

TEST_F(JpegDialogTest, StoredSettingsAreLoadedOnceAndShown) {
    TJpegWizardSettings stored;
    stored.SetByte(0, 1);
    stored.SetByte(1, 1);
    stored.SetInt(TJpegWizardSettings::SmoothingKindOffset, skClean);
    stored.SetInt(TJpegWizardSettings::SmoothingOffset, 77);
    stored.SetQuality(123);
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(JpegRecordName, stored.Bytes.data(), TJpegWizardSettings::Size);
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    RunDialog([&](TJPEGdialog& f) {
        EXPECT_TRUE(f.chkProgressive->isChecked());
        EXPECT_TRUE(f.chkSubSample->isChecked());
        EXPECT_EQ(f.SmoothingIndex(), skClean);
        EXPECT_EQ(f.ScrollBarCustom->value(), 77);
        EXPECT_EQ(f.ScrollBarJPG->value(), 123);
    });
    // Loaded now: a changed stored value is not read again.
    stored.SetQuality(9);
    registry.WriteBinaryData(JpegRecordName, stored.Bytes.data(), TJpegWizardSettings::Size);
    WebForm->InitializeJpegWizard();
    EXPECT_EQ(JpegWizardSettings.Quality(), 123);
}

TEST_F(JpegDialogTest, ProgressiveFullColourTestIsSavedAsTheTestedBytes) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture, folder + "/photo.bmp");
    const std::string saved = folder + "/photo.jpg";
    std::vector<uint8_t> tested;
    int64_t shownSize = -1;
    RunDialog([&](TJPEGdialog& f) {
        EXPECT_FALSE(f.btnOK->isEnabled());
        Type(f.EditJPG, "300");
        f.chkProgressive->setChecked(true);
        f.chkSubSample->setChecked(false);
        f.btnTest->click();
        ASSERT_TRUE(f.btnOK->isEnabled());
        tested = Bytes(*jpgdlg_8900::TestStream);
        shownSize = TipCompressedSize(f);
        EXPECT_NE(Tip(f).find("Compression ratio: "), std::string::npos);
        // The right preview shows the decoded test.
        EXPECT_EQ(f.AfterPix->Bitmap()->Width(), 64);
        EXPECT_EQ(f.AfterPix->Bitmap()->Height(), 48);
        AnswerSave(folder + "/photo");
        f.btnOK->click();
        EXPECT_TRUE(f.isVisible());  // Save As leaves the dialog open
    });
    ASSERT_TRUE(FileExists(saved));
    EXPECT_EQ(FileBytes(saved), tested);
    EXPECT_EQ(int64_t(tested.size()), shownSize);
    EXPECT_EQ(SaveDir, folder);
    // 300 % of the standard luminance table's first entry 16, limited to
    // baseline: min(255, (16 x 300 + 50) div 100).
    EXPECT_EQ(Trimmed(CommandOutput("/usr/bin/python3 -c \"from PIL import Image; "
                                    "print(Image.open('" + saved + "').quantization[0][0])\"")),
              "48");
    EXPECT_EQ(Exif("EncodingProcess", saved), "Progressive DCT, Huffman coding");
    EXPECT_NE(Exif("YCbCrSubSampling", saved).find("4:4:4"), std::string::npos);
    EXPECT_EQ(JpegWizardSettings.Quality(), 255);
    EXPECT_EQ(JpegWizardSettings.Byte(0), 1);
    EXPECT_EQ(JpegWizardSettings.Byte(1), 0);
    EXPECT_EQ(JpegWizardSettings.Byte(2), 1);
    EXPECT_EQ(JpegWizardSettings.Byte(3), 1);
}

TEST_F(JpegDialogTest, SubsampleAndTheLinearScaleAsToolsReadThem) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture, folder + "/photo.bmp");
    RunDialog([&](TJPEGdialog& f) {
        f.chkSubSample->setChecked(true);
        Type(f.EditJPG, "40");
        f.btnTest->click();
        AnswerSave(folder + "/sub.jpg");
        f.btnOK->click();
    });
    const std::string saved = folder + "/sub.jpg";
    ASSERT_TRUE(FileExists(saved));
    EXPECT_NE(Exif("YCbCrSubSampling", saved).find("4:2:0"), std::string::npos);
    EXPECT_EQ(Exif("EncodingProcess", saved), "Baseline DCT, Huffman coding");
    // 40 % of the standard tables are exactly libjpeg's quality 80.
    EXPECT_EQ(Trimmed(CommandOutput("identify -format %Q " + Quote(saved))), "80");
    EXPECT_EQ(JpegWizardSettings.Byte(1), 1);
}

TEST_F(JpegDialogTest, SaveAsNamesTheFileAndGivesTheSaveDialogBack) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture, folder + "/photo.bmp");
    WebForm->SaveDialog->SetFilterIndex(5);
    WebForm->SaveDialog->Title = "Save Image As";
    RunDialog([&](TJPEGdialog& f) {
        f.btnTest->click();
        // The dialog proposes the picture's name in SaveDir.
        QueueModalAction([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle().toStdString(), "Save As");
            EXPECT_EQ(WebForm->SaveDialog->Filter, "JPG (JPEG/JFIF)  24-bit color|*.jpg");
            EXPECT_EQ(WebForm->SaveDialog->InitialDir(), folder);
            EXPECT_EQ(d.findChild<QLineEdit*>("fileNameEdit")->text().toStdString(), "photo");
            EXPECT_FALSE(WebForm->SaveDialog->FCompress->isVisible());
            d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(folder + "/photo.jpeg"));
            d.accept();
        });
        SaveDir = folder;
        f.btnOK->click();
        AnswerSave(folder + "/photo.png");
        f.btnOK->click();
        // Cancelled: nothing written.
        QueueModalResult(QDialog::Rejected);
        f.btnOK->click();
    });
    EXPECT_TRUE(FileExists(folder + "/photo.jpeg"));
    EXPECT_TRUE(FileExists(folder + "/photo.jpg"));
    EXPECT_FALSE(FileExists(folder + "/photo.png"));
    EXPECT_FALSE(FileExists(folder + "/photo"));
    EXPECT_EQ(FileBytes(folder + "/photo.jpeg"), FileBytes(folder + "/photo.jpg"));
    EXPECT_EQ(WebForm->SaveDialog->FilterIndex(), 5);
    EXPECT_EQ(WebForm->SaveDialog->Title, "Save Image As");
}

TEST_F(JpegDialogTest, SaveAsFallsBackToThePathBoxAndOffersRecentFolders) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture, folder + "/photo.bmp");
    SaveDir = folder + "/gone";
    WebForm->History->setEditText(QString::fromStdString(folder + "/x.bmp"));
    std::string firstDir, secondDir;
    RunDialog([&](TJPEGdialog& f) {
        f.btnTest->click();
        QueueModalAction([&](QDialog&) {
            firstDir = WebForm->SaveDialog->InitialDir();
            WebForm->SaveDialog->FRecent()->click();
        });
        QueueModalAction([&](QDialog& d) {
            secondDir = WebForm->SaveDialog->InitialDir();
            d.findChild<QLineEdit*>("fileNameEdit")->setText("recent-one");
            d.accept();
        });
        f.btnOK->click();
    });
    EXPECT_EQ(firstDir, folder);
    EXPECT_EQ(secondDir, ExcludeTrailingPathDelimiter(RecentPath));
    EXPECT_TRUE(FileExists(IncludeTrailingPathDelimiter(RecentPath) + "recent-one.jpg"));
}

TEST_F(JpegDialogTest, TheTipOfAnEightHundredBySixHundredPicture) {
    TBitmap picture;
    MakePhoto(picture, 800, 600);
    Show(picture);
    RunDialog([&](TJPEGdialog& f) {
        f.btnTest->click();
        const std::string tip = Tip(f);
        EXPECT_EQ(tip.substr(0, tip.find('\n')), "Original file size: 1,440,000 bytes");
        const int64_t compressed = TipCompressedSize(f);
        ASSERT_GT(compressed, 0);
        EXPECT_EQ(compressed, jpgdlg_8900::TestStream->Size());
        const std::string ratio = std::to_string(1440000 / compressed) + "." +
                                  std::to_string(1440000 * 10 / compressed % 10) + " to 1";
        EXPECT_EQ(tip.substr(tip.rfind('\n') + 1), "Compression ratio: " + ratio);
    });
}

TEST_F(JpegDialogTest, AFailedEncodeShowsTheFailureAndSavesNothing) {
    // libjpeg refuses lines longer than 65,500 pixels.
    TBitmap picture;
    MakePhoto(picture, 65501, 1);
    Show(picture);
    RunDialog([&](TJPEGdialog& f) {
        f.btnTest->click();
        const std::string tip = Tip(f);
        EXPECT_EQ(tip.rfind("Original file size: 196,503 bytes\nCompression failed: ", 0), 0u) << tip;
        EXPECT_NE(tip.find("65500"), std::string::npos) << tip;
        EXPECT_EQ(tip.find("ratio"), std::string::npos);
        EXPECT_FALSE(f.btnOK->isEnabled());
        EXPECT_EQ(jpgdlg_8900::TestStream->Size(), 0);
        EXPECT_TRUE(f.AfterPix->Bitmap()->GetEmpty());
    });
}

TEST_F(JpegDialogTest, ZeroStrengthFiltersChangeNothingAndStandardSmoothsInTheEncoder) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    std::vector<std::vector<uint8_t>> tests;
    RunDialog([&](TJPEGdialog& f) {
        const auto test = [&](int kind, const char* strength) {
            f.SetSmoothingIndex(kind);
            Type(f.EditCustom, strength);
            f.btnTest->click();
            tests.push_back(Bytes(*jpgdlg_8900::TestStream));
        };
        test(skStandard, "0");
        test(skParametric, "0");
        test(skClean, "0");
        test(skStandard, "50");
        test(skStandard, "100");
        test(skStandard, "255");
        AnswerSave(folder + "/smooth50.jpg");
        test(skStandard, "50");
        f.btnOK->click();
    });
    ASSERT_EQ(tests.size(), 7u);
    EXPECT_EQ(tests[1], tests[0]);
    EXPECT_EQ(tests[2], tests[0]);
    EXPECT_NE(tests[3], tests[0]);
    EXPECT_EQ(tests[5], tests[4]);
    // djpeg decodes the smoothed file to a picture of the same size.
    const std::string ppm = folder + "/smooth50.ppm";
    ASSERT_EQ(std::system(("djpeg -outfile " + Quote(ppm) + " " + Quote(folder + "/smooth50.jpg")).c_str()), 0);
    const RgbRaster decoded = ReadPpm(ppm);
    EXPECT_EQ(decoded.Width, 64);
    EXPECT_EQ(decoded.Height, 48);
    EXPECT_EQ(JpegWizardSettings.Int(TJpegWizardSettings::SmoothingOffset), 50);
}

TEST_F(JpegDialogTest, TypedValuesAreClampedOrReplaced) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    RunDialog([&](TJPEGdialog& f) {
        Type(f.EditJPG, "600");
        EXPECT_EQ(f.EditJPG->text(), "500");
        EXPECT_EQ(f.ScrollBarJPG->value(), 500);
        Type(f.EditJPG, "0");
        EXPECT_EQ(f.EditJPG->text(), "1");
        EXPECT_EQ(f.ScrollBarJPG->value(), 1);
        f.ScrollBarJPG->setValue(77);
        EXPECT_EQ(f.EditJPG->text(), "77");
        Type(f.EditJPG, "abc");
        EXPECT_EQ(f.EditJPG->text(), "77");
        Type(f.EditCustom, "300");
        EXPECT_EQ(f.EditCustom->text(), "255");
        EXPECT_EQ(f.ScrollBarCustom->value(), 255);
        Type(f.EditCustom, "42");
        EXPECT_EQ(f.ScrollBarCustom->value(), 42);
        // Moving the bar by a step shows its position in the edit again.
        f.ScrollBarCustom->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(f.EditCustom->text(), "43");
        // Enter presses no button.
        QTest::keyClick(f.EditJPG, Qt::Key_Return);
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.btnOK->isEnabled());
    });
}

TEST_F(JpegDialogTest, CloseWritesTheCurrentValues) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    ASSERT_TRUE(WebForm->AutoBackUp());
    QueueModalAction([&](QDialog& d) {
        auto& f = static_cast<TJPEGdialog&>(d);
        f.SetSmoothingIndex(skParametric);
        Type(f.EditCustom, "77");
        f.chkProgressive->setChecked(true);
        f.chkSubSample->setChecked(true);
        Type(f.EditJPG, "123");
        f.btnCancel->click();
    });
    JpegWizardSettings.SetQuality(40);
    TFilterDlgParam param;
    param.Max1 = 255;
    param.PageSize1 = 16;
    param.LineSize1 = 1;
    EXPECT_EQ(ExecuteJPEGDialog("Advanced JPEG Compression", "", "", param), -999);
    EXPECT_EQ(JpegWizardSettings.Byte(0), 1);
    EXPECT_EQ(JpegWizardSettings.Byte(1), 1);
    EXPECT_EQ(JpegWizardSettings.Int(TJpegWizardSettings::SmoothingKindOffset), skParametric);
    EXPECT_EQ(JpegWizardSettings.Int(TJpegWizardSettings::SmoothingOffset), 77);
    EXPECT_EQ(JpegWizardSettings.Quality(), 123);
    EXPECT_EQ(jpgdlg_8900::TestStream, nullptr);
}

TEST_F(JpegDialogTest, EndLabelsComeFromTheRecordOrTheNumbers) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    JpegWizardSettings.SetQuality(40);
    std::string low, high;
    const auto run = [&](const TFilterDlgParam& param) {
        QueueModalAction([&](QDialog& d) {
            auto& f = static_cast<TJPEGdialog&>(d);
            low = f.LabelMin->text().toStdString();
            high = f.LabelMax->text().toStdString();
            f.btnCancel->click();
        });
        ExecuteJPEGDialog("Caption", "", "", param);
    };
    TFilterDlgParam param;
    param.Min1 = 3;
    param.Max1 = 99;
    run(param);
    EXPECT_EQ(low, "3");
    EXPECT_EQ(high, "99");
    param.CustomSliders = 1;
    param.MinLabel1 = "soft";
    param.MaxLabel1 = "hard";
    run(param);
    EXPECT_EQ(low, "soft");
    EXPECT_EQ(high, "hard");
}

class JpegDialogPictureTest : public JpegDialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(JpegDialogPictureTest, ThePictureAndItsModifiedStateStayAsTheyWere) {
    TBitmap picture;
    MakePicture(picture, 8, 40, 30);
    Show(picture);
    ImageChanged = GetParam();
    RunDialog([&](TJPEGdialog& f) {
        EXPECT_EQ(f.BeforePix->Bitmap()->PixelFormat(), pf24bit);
        f.btnTest->click();
    });
    EXPECT_EQ(ImageChanged, GetParam());
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_EQ(Display().PixelFormat(), pf8bit);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(picture, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Modified, JpegDialogPictureTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Changed") : std::string("Unchanged");
                         });

TEST_F(JpegDialogTest, APictureThatCannotBeWrittenShowsNoDialogAndIsRestored) {
    TBitmap picture;
    MakePicture(picture, 8, 40, 30);
    Show(picture);
    // A folder in the temporary bitmap file's place makes the write fail.
    TBitmap tiny;
    MakePhoto(tiny, 2, 2);
    const std::string temp = WebForm->SaveTempBitmap(tiny);
    ASSERT_FALSE(temp.empty());
    DeleteFileNow(temp);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(temp)));
    const int unanswered = UnansweredModalRuns();
    WebForm->mnuCompressClick(nullptr);
    TFilterDlgParam param;
    param.Max1 = 255;
    EXPECT_EQ(ExecuteJPEGDialog("Advanced JPEG Compression", "", "", param), -999);
    QDir().rmdir(QString::fromStdString(temp));
    EXPECT_EQ(UnansweredModalRuns(), unanswered);
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_EQ(Display().PixelFormat(), pf8bit);
    EXPECT_EQ(ColorAt(Display(), 5, 7), ColorAt(picture, 5, 7));
    EXPECT_EQ(JpegWizardSettings.Quality(), 40);  // loaded, never shown
}

TEST_F(JpegDialogTest, ThePreviewsFollowTheScreenAndTheLeftScrolling) {
    TBitmap picture;
    MakePhoto(picture, 900, 700);
    Show(picture);
    LastSelection = Rect(120, 90, 300, 200);
    WebForm->chkSelectTool->SetChecked(true);
    RunDialog([&](TJPEGdialog& f) {
        EXPECT_EQ(f.ScrollBox1->horizontalScrollBar()->value(), 120);
        EXPECT_EQ(f.ScrollBox1->verticalScrollBar()->value(), 90);
        f.btnTest->click();
        f.ScrollBox1->horizontalScrollBar()->setValue(200);
        f.ScrollBox1->verticalScrollBar()->setValue(150);
        f.Timer1Timer();
        EXPECT_EQ(f.AfterPix->pos(), QPoint(-200, -150));
        EXPECT_EQ(f.AfterPix->pos(), f.BeforePix->pos());
        // The published reload: the window's picture from its start, at the
        // kept scroll position.
        jpgdlg_8900::SavedScrollLeft = 30;
        f.BeforePix->Bitmap()->Assign(nullptr);
        f.chkScrollbarsClick();
        jpgdlg_8900::SavedScrollLeft = 0;
        EXPECT_EQ(f.BeforePix->Bitmap()->Width(), 900);
        EXPECT_EQ(f.ScrollBox1->horizontalScrollBar()->value(), 30);
        EXPECT_EQ(f.ScrollBox1->verticalScrollBar()->value(), 0);
        f.Timer1Timer();
        EXPECT_EQ(f.AfterPix->pos(), QPoint(-30, 0));

        f.WidenForScreen(800);
        EXPECT_EQ(f.width(), 760);
        EXPECT_EQ(f.height(), 526);
        f.WidenForScreen(801);
        EXPECT_EQ(f.width(), 920);
        EXPECT_EQ(f.ScrollBox1->width(), f.ScrollBox2->width());
        EXPECT_EQ(f.ScrollBox2->x(), 384 + 80);
        EXPECT_EQ(f.lblCompressed->x(), f.ScrollBox2->x());
        EXPECT_EQ(f.PanelTip->width(), 256 + 160);
        f.WidenForScreen(1280);
        EXPECT_EQ(f.width(), 1176);
        EXPECT_EQ(f.ScrollBox2->geometry(), QRect(384 + 208, 22, 368 + 208, 310));
        EXPECT_EQ(f.PanelTip->width(), 256 + 416);
        EXPECT_LE(f.ScrollBox2->geometry().right(), f.width());
        EXPECT_LE(f.PanelTip->geometry().right(), f.width());
    });
}

TEST_F(JpegDialogTest, TheImageMenuOpensTheDialogWithControlJ) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    ASSERT_NE(WebForm->JPEG1, nullptr);
    EXPECT_EQ(WebForm->JPEG1->text(), "&JPEG");
    EXPECT_EQ(WebForm->mnuCompress->text(), "&Compression");
    EXPECT_EQ(WebForm->mnuCompress->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_J));
    EXPECT_TRUE(WebForm->mnuCompress->isEnabled());
    bool shown = false;
    QueueModalAction([&](QDialog& d) {
        shown = true;
        d.reject();
    });
    WebForm->mnuCompress->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(JpegDialogTest, TheSaveDialogsCompressButtonHandsOverToTheDialog) {
    TBitmap picture;
    MakePhoto(picture);
    Show(picture);
    bool shown = false;
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stJpegColor);
    QueueModalAction([](QDialog&) { WebForm->SaveDialog->FCompress->click(); });
    QueueModalAction([&](QDialog& d) {
        shown = d.windowTitle() == "Advanced JPEG Compression";
        d.reject();
    });
    WebForm->mnuSaveClick(nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

}  // namespace
