// The information box, printing into a PDF file, the export into the imaging
// library and scanning with SANE's test scanner.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

#include "app/comment_8900.h"
#include "app/lumv8900.h"
#include "app/print_8900.h"
#include "explorer/xplr8900.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Printers.h"
#include "imgman/imgman.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "print_test_tools.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

struct Box {
    std::string text;
    std::vector<std::string> buttons;
};

// Answers the next modal run with result and records the message box it showed.
void Answer(std::vector<Box>& boxes, int result) {
    QueueModalAction([&boxes, result](QDialog& dialog) {
        Box box;
        if (auto* message = dialog.findChild<QLabel*>("Message"))
            box.text = message->text().toStdString();
        for (auto* button : dialog.findChildren<QPushButton*>())
            box.buttons.push_back(button->text().toStdString());
        boxes.push_back(box);
        dialog.done(result);
    });
}

class InfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ImageChanged = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        ScreenColorBits = 24;
    }
    void TearDown() override {
        if (ImgHandle != 0)
            ImgClose(ImgHandle);
        ImgHandle = 0;
        ImageChanged = false;
        delete xplr8900::FileForm;
        delete WebForm;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Printer().SetOutputFileName("");
        ClearModalAnswers();
        Screen.SetCursor(crDefault);
    }
    // Makes a copy of the fixture the current picture, with a known file date,
    // as the open command leaves it.
    std::string Show(const std::string& fixture, const std::string& ext, int width, int height, int bits,
                     int pages) {
        const std::string name = ProgramFolder() + "shown" + ext;
        QFile::remove(QString::fromStdString(name));
        QFile::copy(QString::fromStdString(Fixture(fixture)), QString::fromStdString(name));
        test::CommandOutput("touch -d '2021-03-04 05:06:08' '" + name + "'");
        FileName = name;
        FileExt = ext;
        ImageWidth = width;
        ImageHeight = height;
        ImageBitCount = bits;
        PageCount = pages;
        TBitmap shown;
        shown.SetPixelFormat(DepthPixelFormat(bits));
        shown.SetSize(width, height);
        WebForm->Daz95->SetBitmap(&shown);
        return name;
    }
};

std::string PythonCrc(const std::string& name) {
    const std::string out = test::CommandOutput(
        "python3 -c \"import zlib,sys; print('%08X' % (zlib.crc32(open(sys.argv[1],'rb').read()) ^ 0xFFFFFFFF))\" '" +
        name + "'");
    return out.substr(0, 8);
}

}  // namespace

TEST_F(InfoTest, TextOfBmpMultiPageTiffAndJpeg) {
    struct Case {
        const char* fixture;
        const char* ext;
        int width, height, bits, pages;
        const char* uses;
    } cases[] = {
        {"bitmaps/win24.bmp", ".BMP", 13, 7, 24, 1, "273"},
        {"tiff/multi3.tif", ".TIF", 13, 7, 8, 3, "91"},
        {"jpeg/baseline_420.jpg", ".JPG", 70, 46, 24, 1, "9660"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string name = Show(c.fixture, c.ext, c.width, c.height, c.bits, c.pages);
        const std::string size = test::CommandOutput("stat -c %s '" + name + "'");
        std::string expected = std::to_string(c.width) + "x" + std::to_string(c.height) + "(" +
                               std::to_string(c.bits) + ")\n";
        if (std::string(c.ext) != ".JPG")
            expected += "Name: shown" + std::string(c.ext) + "\nPath: " + ProgramFolder() + "\n";
        expected += "Date: 2021-03-04 05:06:08\nSize: " + size.substr(0, size.size() - 1) + " bytes\nCRC: " +
                    PythonCrc(name) + "\n";
        if (c.pages > 1)
            expected += "Pages: " + std::to_string(c.pages) + "\n";
        expected += std::string("Uses: ") + c.uses + " bytes\nVideo: 24 bpp";
        if (std::string(c.ext) == ".JPG") {
            // A JPEG's text goes to the JPEG Text window, with CR LF line breaks.
            WebForm->mnuImageInfoClick(nullptr);
            ASSERT_NE(comment_8900::CommentForm, nullptr);
            EXPECT_TRUE(comment_8900::CommentForm->isVisible());
            EXPECT_EQ(comment_8900::CommentForm->LabelData->Caption(),
                      "View: " + QString::fromStdString(expected).replace("\n", "\r\n").toStdString());
            continue;
        }
        std::vector<Box> boxes;
        Answer(boxes, mrOk);
        WebForm->mnuImageInfoClick(nullptr);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, expected);
    }
}

TEST_F(InfoTest, UntitledShowsNothingAndAMissingFileIsNamed) {
    WebForm->NewBlankImage(true);
    WebForm->mnuImageInfoClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(UnansweredModalRuns(), 0);

    FileName = ProgramFolder() + "gone.png";
    std::vector<Box> boxes;
    Answer(boxes, mrAbort);
    WebForm->mnuImageInfoClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "gone.png not found.");
    EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"&Abort"});
}

TEST_F(InfoTest, CrcOfAFileAgreesWithZlib) {
    std::string text;
    WebForm->CRCFile(Fixture("crc-2049.bin"), text);
    EXPECT_EQ(text, PythonCrc(Fixture("crc-2049.bin")));
    const std::string empty = ProgramFolder() + "empty.bin";
    test::WriteFileText(empty, "");
    WebForm->CRCFile(empty, text);
    EXPECT_EQ(text, "FFFFFFFF");
}

TEST(PictureSizes, DataSizeAndBitmapMemory) {
    EXPECT_EQ(ImageDataSize(100, 100, 4), 4096);  // 5000 rounded down
    EXPECT_EQ(ImageDataSize(10, 10, 24), 0);
    EXPECT_EQ(ImageDataSize(4096, 4000, 8), 16384000);
    EXPECT_EQ(ImageDataSize(4000, 4000, 16), 31997952);
    EXPECT_EQ(ImageDataSize(3000, 3000, 32), 0);
    EXPECT_EQ(ImageDataSize(800, 100, 1), 8192);
    EXPECT_EQ(BitmapMemorySize(pf32bit, 10, 10, 8), 400);
    EXPECT_EQ(BitmapMemorySize(pf15bit, 10, 10, 8), 200);
    EXPECT_EQ(BitmapMemorySize(pf4bit, 10, 10, 8), 50);
    EXPECT_EQ(BitmapMemorySize(pf1bit, 10, 10, 8), 12);
    EXPECT_EQ(BitmapMemorySize(pfDevice, 10, 10, 16), 200);
    EXPECT_EQ(BitmapMemorySize(pfDevice, 10, 10, 12), -1);
}

TEST_F(InfoTest, PrintPlacesTheEditedPictureAndKeepsIt) {
    const std::string pdf = ProgramFolder() + "printed.pdf";
    Printer().SetOutputFileName(pdf);
    FileName = ProgramFolder() + "edited.bmp";
    FileExt = ".BMP";
    TBitmap picture;
    test::PaintCorners(picture, 40, 30);
    WebForm->Daz95->SetBitmap(&picture);
    ImageWidth = 40, ImageHeight = 30, ImageBitCount = 24;
    ImageChanged = true;

    // The print setup places it at its smallest size, centred.
    QueueModalAction([](QDialog& dialog) {
        auto& form = static_cast<TPrintForm&>(dialog);
        form.ZoomScroll->setValue(1);
        form.btnPrintIt->click();
    });
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuPrintClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Image sent to printer.");
    const int width = ImgRect.Right - ImgRect.Left;
    const int height = ImgRect.Bottom - ImgRect.Top;
    EXPECT_EQ(width, print_8900::PrintWidth);
    EXPECT_EQ(height, print_8900::PrintHeight);
    EXPECT_EQ(ImgRect.Left, (Printer().PageWidth() - width) / 2);
    EXPECT_EQ(ImgRect.Top, (Printer().PageHeight() - height) / 2);
    // The edit is still shown and still unsaved.
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->ScanLine(29)[3 * 39 + 1], 255);
    EXPECT_EQ(ImgHandle, 0);

    // The page around the rectangle, at the printer's resolution, two pixels of margin.
    const int dpi = Printer().Resolution();
    const std::string base = ProgramFolder() + "page";
    test::CommandOutput("pdftoppm -r " + std::to_string(dpi) + " -x " + std::to_string(ImgRect.Left - 2) +
                        " -y " + std::to_string(ImgRect.Top - 2) + " -W " + std::to_string(width + 5) + " -H " +
                        std::to_string(height + 5) + " -singlefile '" + pdf + "' '" + base + "'");
    const test::RgbRaster page = test::ReadPpm(base + ".ppm");
    ASSERT_EQ(page.Width, width + 5);
    ASSERT_EQ(page.Height, height + 5);
    auto near = [&](int x, int y, uint32_t rgb) { return test::NearColour(page, x, y, rgb); };
    EXPECT_TRUE(near(0, 0, 0xFFFFFF));
    EXPECT_TRUE(near(3, 3, 0xFF0000));                     // red top left
    EXPECT_TRUE(near(width, 3, 0x00FF00));                 // green top right
    EXPECT_TRUE(near(3, height, 0x0000FF));                // blue bottom left
    EXPECT_TRUE(near(width, height, 0xFFFF00));            // yellow bottom right
    EXPECT_TRUE(near(width + 4, height + 4, 0xFFFFFF));
}

TEST_F(InfoTest, PrintWithoutPrinterAsksForAPdfFileInstead) {
    if (Printer().Available())
        GTEST_SKIP() << "this machine has a printer";
    std::string title;
    QueueModalAction([&title](QDialog& dialog) {
        title = dialog.windowTitle().toStdString();
        dialog.reject();
    });
    const int unanswered = UnansweredModalRuns();
    WebForm->mnuPrintClick(nullptr);
    EXPECT_EQ(title, "Print to PDF File");
    EXPECT_EQ(UnansweredModalRuns(), unanswered);  // a cancelled choice ends the command quietly
}

TEST_F(InfoTest, LargePicturesAreExportedThroughATemporaryPcxFile) {
    TBitmap big;
    big.SetPixelFormat(pf8bit);
    big.SetSize(4096, 4000);
    big.ScanLine(3999)[4095] = 7;
    WebForm->Daz95->SetBitmap(&big);
    ImageWidth = 4096, ImageHeight = 4000, ImageBitCount = 8;
    ASSERT_EQ(WebForm->ImageDataSize(), LargeExportBytes);
    const int handle = WebForm->ExportBitmapToImg();
    ASSERT_NE(handle, 0) << imgman::LastErrorText();
    EXPECT_TRUE(FileExists(TWebForm::ExportFileName()));
    IMGINFO info{};
    ASSERT_EQ(ImgGetInfoStruct(handle, &info), 1);
    EXPECT_EQ(info.Header.biWidth, 4096);
    EXPECT_EQ(info.Header.biHeight, 4000);
    EXPECT_EQ(info.Header.biBitCount, 8);
    QFile::remove(QString::fromStdString(TWebForm::ExportFileName()));

    // One byte less goes through memory.
    ImageHeight = 3999;
    TBitmap small;
    small.SetPixelFormat(pf8bit);
    small.SetSize(4096, 3999);
    WebForm->Daz95->SetBitmap(&small);
    ASSERT_NE(WebForm->ExportBitmapToImg(), 0);
    EXPECT_FALSE(FileExists(TWebForm::ExportFileName()));
}

namespace {

// Answers the scan dialog: colour at 25 dots per inch.
void AnswerScan(bool& asked) {
    QueueModalAction([&asked](QDialog& dialog) {
        asked = true;
        dialog.findChild<QComboBox*>("cbMode")->setCurrentText("Color");
        dialog.findChild<QSpinBox*>("seResolution")->setValue(25);
        dialog.done(mrOk);
    });
}

}  // namespace

TEST_F(InfoTest, ScanBecomesThePictureAfterTheDiscardQuestion) {
    imgman::ScanSettings = {};
    Show("bitmaps/win24.bmp", ".BMP", 13, 7, 24, 1);
    ImageChanged = true;

    // No keeps the edited picture and scans nothing.
    std::vector<Box> boxes;
    bool asked = false;
    Answer(boxes, mrNo);
    WebForm->mnuTWAIN_Acquire1Click(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Discard modified image?"), std::string::npos);
    EXPECT_EQ(FileName, ProgramFolder() + "shown.BMP");
    EXPECT_TRUE(ImageChanged);

    Answer(boxes, mrYes);
    AnswerScan(asked);
    WebForm->mnuTWAIN_Acquire1Click(nullptr);
    EXPECT_TRUE(asked);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(FileName, "Untitled");
    // The test scanner's glass is 80 x 100 mm by default.
    EXPECT_EQ(ImageWidth, 78);
    EXPECT_EQ(ImageHeight, 98);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Width(), 78);
    EXPECT_TRUE(ImageChanged);
    imgman::ScanSettings = {};
}

TEST_F(InfoTest, CancelledScanAndCancelledSourceChoice) {
    std::vector<Box> boxes;
    QueueModalResult(mrCancel);  // the scan settings
    Answer(boxes, mrOk);
    WebForm->mnuTWAIN_Acquire1Click(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "TWAIN acquisition aborted.");

    QueueModalResult(mrCancel);  // the source choice
    Answer(boxes, mrOk);
    WebForm->mnuTWAIN_Select1Click(nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "TWAIN DLL error.\nCheck driver, device and connections.");
}
