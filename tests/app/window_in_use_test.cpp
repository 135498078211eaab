// The image window as a user meets it on a fresh home folder: settings kept
// between two starts, the recycle key's question, the refit of reduced
// pictures, the size texts of reduced pages, printing at the file's
// resolution, failed opens, the state texts and controls, and the keys.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <tiffio.h>

#include "processing/files/SavePicture.h"
#include "app/app_test_tools.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Printers.h"
#include "platform/Registry.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/ScrollBoxEx.h"
#include "ui/VListShowEx.h"

#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::Answer;
using lumvor::test::Box;
using lumvor::test::CopyToHome;

namespace {

std::string Home(const std::string& name) { return ProgramFolder() + name; }

// A 3000 x 2000 photograph-like JPEG, written by Qt's own JPEG writer.
std::string MakeBigJpeg(const std::string& name = "big.jpg") {
    QImage image(3000, 2000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 3000, 2000);
    gradient.setColorAt(0, QColor(200, 40, 40));
    gradient.setColorAt(1, QColor(40, 40, 200));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    const std::string path = Home(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPG", 80));
    return path;
}

// A PNG picture that is named ".jpg".
std::string MakePngNamedJpeg(const std::string& name) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const std::string path = Home(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

std::string MakeTextNamedJpeg(const std::string& name) {
    const std::string path = Home(name);
    test::WriteFileText(path, "These are my holiday notes, not a picture.\n");
    return path;
}

// A PNG whose header is whole and whose picture data are cut off.
std::string MakeCutPng(const std::string& name) {
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
    const std::string path = Home(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);
    return path;
}

// A 2480 x 3508 fax page (A4 at 300 dpi) compressed with CCITT group 4.
std::string MakeFaxPage(const std::string& name = "fax.tif") {
    const std::string path = Home(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    const uint32_t width = 2480, height = 3508;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<uint8_t> row(width / 8);
    for (uint32_t y = 0; y < height; ++y) {
        // A black frame and a few lines of "text".
        std::fill(row.begin(), row.end(), 0);
        const bool band = y < 40 || y >= height - 40 || (y / 60) % 4 == 1;
        for (uint32_t x = 0; x < width; ++x)
            if (x < 40 || x >= width - 40 || (band && (x / 24) % 3 != 0))
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return path;
}

// Waits until `done` holds, letting events through, for at most `ms`.
bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(10);
    }
    return done();
}

std::vector<uint8_t> StoredValue(const std::string& name) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    return registry.ValueExists(name) ? registry.ReadBinary(name) : std::vector<uint8_t>();
}

std::string Caption() { return WebForm->windowTitle().toStdString(); }

void ResetGlobals() {
    ClearModalAnswers();
    ViewerControls = TViewerControls{};
    FirstActivationDone = 0;
    SlideshowRunning = UserInterrupt = ImageChanged = FullScreen = MediaMode = false;
    AppQuitting = ShutDown = false;
    ImageHistoryList.Clear();
    ImageHistoryIndex = 0;
    ShownFileName.clear();
    xplr8900::ExplorerActive = false;
    ExploreDir.clear();
}

// A window on a fresh home folder (no stored settings: the defaults of a
// first run), not yet activated, 640 x 480.
class WindowInUseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        WebForm->resize(640, 480);
        ShowFirstRun();
    }
    // Shows the window; its first activation greets the first run.
    static void ShowFirstRun() {
        std::vector<Box> welcome;
        Answer(welcome, mrOk);
        WebForm->show();
        ASSERT_TRUE(WaitFor([] { return FirstActivationDone != 0; }));
        ASSERT_EQ(welcome.size(), 1u);
        QCoreApplication::processEvents();
        ClearModalAnswers();
    }
    void TearDown() override {
        Printer().SetOutputFileName("");
        test::FreeWindows();
    }
    // Opens the file as the bookmarks and the reload do.
    void Open(const std::string& path) {
        FileName = path;
        FileExt = UpperCase(ExtractFileExt(path));
        WebForm->BtnOpenEx(WebForm);
    }
    QSize View() const { return WebForm->ScrollBox->viewport()->size(); }
    // The picture fills the view in one direction and fits in the other.
    ::testing::AssertionResult FillsTheView() const {
        const QSize view = View();
        const QRect shown = WebForm->Daz95->geometry();
        const bool fills = std::abs(shown.width() - view.width()) <= 1 || std::abs(shown.height() - view.height()) <= 1;
        if (fills && shown.width() <= view.width() && shown.height() <= view.height())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "picture " << shown.width() << "x" << shown.height() << " in view "
                                             << view.width() << "x" << view.height();
    }
};

}  // namespace

// ---- Settings kept between two starts

TEST(WindowSettingsTest, TheSecondStartHasNoWelcomeAndKeepsFitAndBars) {
    ResetGlobals();
    MainUnitInit({});
    ASSERT_TRUE(ProgramStart());
    EXPECT_FALSE(ExplorerSettingsLoaded);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->show();
    ASSERT_TRUE(WaitFor([] { return FirstActivationDone != 0; }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Thank you for choosing Lumvor.");
    ASSERT_TRUE(FitWindow);
    WebForm->mnuFitWindowClick(WebForm->mnuFitWindow1);
    WebForm->mnuToolbarVClick(WebForm->mnuToolbarV);
    WebForm->mnuSideBarVClick(WebForm->mnuSideBarV);
    ASSERT_FALSE(FitWindow);

    // "&Exit" of the close menu ends the program.
    WebForm->mnuQuit->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(WebForm, nullptr);
    test::FreeWindows();
    const std::vector<uint8_t> explorer = StoredValue(ExplorerRecordName);
    ASSERT_EQ(explorer.size(), 140u);
    EXPECT_EQ(explorer[69], 1);  // confirm deletions
    EXPECT_EQ(explorer[32], 1);  // the explorer's tool bar
    EXPECT_FALSE(StoredValue(ViewerRecordName).empty());

    ResetGlobals();
    MainUnitInit({});
    ASSERT_TRUE(ProgramStart());
    EXPECT_TRUE(ViewerSettingsLoaded);
    EXPECT_TRUE(ExplorerSettingsLoaded);
    EXPECT_EQ(xplr8900::EControls.Byte(69), 1);
    const int unanswered = UnansweredModalRuns();
    WebForm->show();
    ASSERT_TRUE(WaitFor([] { return FirstActivationDone != 0; }));
    EXPECT_EQ(UnansweredModalRuns(), unanswered);  // no welcome box
    EXPECT_FALSE(FitWindow);
    EXPECT_FALSE(WebForm->PanelTool->isVisibleTo(WebForm));
    EXPECT_FALSE(WebForm->PanelSide->isVisibleTo(WebForm));
    EXPECT_EQ(WebForm->StatusPanelText(1), "100%");
    test::FreeWindows();
}

// ---- The recycle key asks first

namespace {

std::string TrashFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/Trash";
}

struct RecycleCase {
    const char* Name;
    int Answer;
    bool Kept;
};

void PrintTo(const RecycleCase& c, std::ostream* out) { *out << c.Name; }

class RecycleKeyTest : public WindowInUseTest, public ::testing::WithParamInterface<RecycleCase> {};

}  // namespace

TEST_P(RecycleKeyTest, DAsksAndNoKeepsTheFile) {
    RecycleYesToAll = false;
    const RecycleCase& c = GetParam();
    const std::string file = CopyToHome("bmp/rgb24.bmp", std::string("recycle_") + c.Name + ".bmp");
    const std::string second = CopyToHome("bmp/rgb24.bmp", std::string("recycle_") + c.Name + "_2.bmp");
    Open(file);
    ASSERT_EQ(ImageHistoryList.Count(), 1);
    std::vector<Box> boxes;
    Answer(boxes, c.Answer);
    int key = Qt::Key_D;
    WebForm->FormKeyDown(WebForm, key, Qt::NoModifier);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Recycle");
    EXPECT_EQ(boxes[0].text.rfind(file + "\n\n", 0), 0u) << boxes[0].text;
    EXPECT_EQ(FileExists(file), c.Kept);
    const std::string trashed = TrashFolder() + "/files/" + ExtractFileName(file);
    EXPECT_EQ(FileExists(trashed), !c.Kept);
    EXPECT_EQ(FileExists(TrashFolder() + "/info/" + ExtractFileName(file) + ".trashinfo"), !c.Kept);
    QFile::remove(QString::fromStdString(trashed));
    QFile::remove(QString::fromStdString(TrashFolder() + "/info/" + ExtractFileName(file) + ".trashinfo"));

    // After "Yes to All" the next file goes without a question.
    Open(second);
    const int unanswered = UnansweredModalRuns();
    if (c.Answer == mrYesToAll) {
        key = Qt::Key_D;
        WebForm->FormKeyDown(WebForm, key, Qt::NoModifier);
        EXPECT_EQ(UnansweredModalRuns(), unanswered);
        EXPECT_FALSE(FileExists(second));
        const std::string trashedSecond = TrashFolder() + "/files/" + ExtractFileName(second);
        EXPECT_TRUE(FileExists(trashedSecond));
        QFile::remove(QString::fromStdString(trashedSecond));
        QFile::remove(QString::fromStdString(TrashFolder() + "/info/" + ExtractFileName(second) + ".trashinfo"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, RecycleKeyTest,
                         ::testing::Values(RecycleCase{"No", mrNo, true}, RecycleCase{"Yes", mrYes, false},
                                           RecycleCase{"YesToAll", mrYesToAll, false}),
                         test::CaseNames<&RecycleCase::Name>);

// ---- Refit

namespace {

class RefitTest : public WindowInUseTest, public ::testing::WithParamInterface<bool> {};

}  // namespace

TEST_P(RefitTest, AFittedJpegFillsTheGrownView) {
    const bool firstResizeAfterOpen = GetParam();
    const std::string jpeg = MakeBigJpeg();
    if (firstResizeAfterOpen)
        LayoutPending = true;  // as after the first activation
    Open(jpeg);
    ASSERT_EQ(FileName, jpeg);
    ASSERT_TRUE(FitWindow);
    ASSERT_TRUE(JPEGReduced);
    const int firstDivisor = JPEGScaleDivisor;
    EXPECT_GE(firstDivisor, 4);
    EXPECT_TRUE(FillsTheView());
    if (!firstResizeAfterOpen) {
        WebForm->resize(800, 600);
        QCoreApplication::processEvents();
        EXPECT_TRUE(FillsTheView());
    }

    WebForm->resize(1600, 1000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(FillsTheView());
    // Once the resizing has settled the file is decoded again at a smaller divisor.
    EXPECT_TRUE(WaitFor([&] { return JPEGScaleDivisor < firstDivisor; }));
    EXPECT_EQ(JPEGScaleDivisor, 2);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Width(), 1500);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Height(), 1000);
    EXPECT_TRUE(FillsTheView());
    EXPECT_EQ(WebForm->StatusPanelText(2), "3000x2000(24) [1:2]");

    // A smaller view keeps the sharper decode.
    WebForm->resize(700, 500);
    QCoreApplication::processEvents();
    QTest::qWait(TWebForm::RefitSettleMilliseconds * 2);
    EXPECT_EQ(JPEGScaleDivisor, 2);
    EXPECT_TRUE(FillsTheView());
}

INSTANTIATE_TEST_SUITE_P(Resizes, RefitTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "FirstResizeAfterTheOpen" : "ALaterResize";
                         });

// ---- Reduced bilevel pages

TEST_F(WindowInUseTest, AFaxPageShownWithGreyLevelsReportsItsOwnSize) {
    ASSERT_EQ(FaxQuality, 2);
    const std::string fax = MakeFaxPage();
    Open(fax);
    ASSERT_EQ(FileName, fax);
    EXPECT_EQ(ImageWidth, 2472 * 3333 / 10000);
    EXPECT_EQ(WebForm->StatusPanelText(2), "2480x3508(1) [1:3]");
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuImageInfoClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.substr(0, boxes[0].text.find('\n')), "2480x3508(1) [1:3]");
    // Fitted, it is not kept at the reduced size in a view larger than that.
    WebForm->resize(1200, 1000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(FillsTheView());
}

// ---- Printing

namespace {

// Width and height of each image in a PDF file, as pdfimages lists them.
std::vector<std::pair<int, int>> PdfImageSizes(const std::string& pdf) {
    std::vector<std::pair<int, int>> sizes;
    for (const std::string& line : test::CommandLines("pdfimages -list '" + pdf + "' 2>/dev/null")) {
        int page = 0, number = 0, width = 0, height = 0;
        char type[32] = {};
        if (std::sscanf(line.c_str(), "%d %d %31s %d %d", &page, &number, type, &width, &height) == 5)
            sizes.emplace_back(width, height);
    }
    return sizes;
}

struct PrintCase {
    const char* Name;
    std::function<std::string()> Make;
    int Width;
    int Height;
};

void PrintTo(const PrintCase& c, std::ostream* out) { *out << c.Name; }

class PrintTest : public WindowInUseTest, public ::testing::WithParamInterface<PrintCase> {};

}  // namespace

TEST_P(PrintTest, TheImageInThePdfHasTheFilesPixelSize) {
    const PrintCase& c = GetParam();
    const std::string picture = c.Make();
    Open(picture);
    ASSERT_EQ(FileName, picture);
    ASSERT_TRUE(WebForm->ShownReduced());
    const int shownWidth = WebForm->Daz95->Bitmap()->Width();
    const std::string pdf = Home(std::string(c.Name) + ".pdf");
    Printer().SetOutputFileName(pdf);
    QueueModalResult(mrOk);  // the print setup, as it opens
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuPrintClick(WebForm->mnuPrint);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Image sent to printer.");
    const auto sizes = PdfImageSizes(pdf);
    ASSERT_EQ(sizes.size(), 1u) << pdf;
    EXPECT_EQ(sizes[0], std::make_pair(c.Width, c.Height));
    // The shown picture stays as it was.
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Width(), shownWidth);
    EXPECT_TRUE(WebForm->ShownReduced());
}

INSTANTIATE_TEST_SUITE_P(Pictures, PrintTest,
                         ::testing::Values(PrintCase{"ReducedJpeg", [] { return MakeBigJpeg(); }, 3000, 2000},
                                           PrintCase{"FaxPage", [] { return MakeFaxPage(); }, 2480, 3508}),
                         test::CaseNames<&PrintCase::Name>);

TEST_F(WindowInUseTest, WithoutAPrinterThePrintGoesIntoAChosenPdfFile) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a printer";
    Open(CopyToHome("bmp/rgb24.bmp", "letter.bmp"));
    // Cancelling the file choice ends the command without a word.
    int asked = 0;
    QueueModalAction([&asked](QDialog& dialog) {
        ++asked;
        EXPECT_NE(qobject_cast<QFileDialog*>(&dialog), nullptr);
        dialog.reject();
    });
    const int unanswered = UnansweredModalRuns();
    WebForm->mnuPrintClick(WebForm->mnuPrint);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(UnansweredModalRuns(), unanswered);

    const std::string pdf = Home("printed/letter.pdf");
    QDir().mkpath(QString::fromStdString(ExtractFilePath(pdf)));
    QueueModalAction([&](QDialog& dialog) {
        ++asked;
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(pdf));
        dialog.accept();
    });
    QueueModalResult(mrOk);  // the print setup, as it opens
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuPrintClick(WebForm->mnuPrint);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Image sent to printer.");
    ASSERT_TRUE(FileExists(pdf));
    EXPECT_EQ(PdfImageSizes(pdf).size(), 1u);
    // The next print asks again (or finds a printer added meanwhile).
    EXPECT_EQ(Printer().OutputFileName(), "");
}

// ---- Failed opens

namespace {

enum class TRoad { Dialog, PathBox, CommandLine };

struct FailedOpenCase {
    const char* Name;
    std::function<std::string()> Make;
    TRoad Road;
    std::string Message;  // after the file's name
    bool BlankAfter;      // the decode failed after the picture was emptied
};

const std::string NotWhatItSays = " could not be read as a JPEG picture: the file is damaged or is not what its name says.";

void PrintTo(const FailedOpenCase& c, std::ostream* out) { *out << c.Name; }

class FailedOpenTest : public WindowInUseTest, public ::testing::WithParamInterface<FailedOpenCase> {};

// Answers the next open dialog by choosing one file.
void ChooseInOpenDialog(const std::string& path) {
    QueueModalAction([path](QDialog& dialog) {
        auto* view = dialog.findChild<QAbstractItemView*>("listView");
        ASSERT_NE(view, nullptr);
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        ASSERT_NE(model, nullptr);
        const QModelIndex index = model->index(QString::fromStdString(path));
        ASSERT_TRUE(index.isValid()) << path;
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        dialog.accept();
    });
}

}  // namespace

TEST_P(FailedOpenTest, SaysSoAndReplacesNothingUnread) {
    const FailedOpenCase& c = GetParam();
    const std::string bad = c.Make();
    std::vector<Box> boxes;
    if (c.Road == TRoad::CommandLine) {
        test::FreeWindows();
        ResetGlobals();
        MainUnitInit({bad});
        ASSERT_TRUE(CmdLinePending);
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        const int unanswered = UnansweredModalRuns();
        std::vector<Box> welcome;
        Answer(welcome, mrOk);
        Answer(boxes, mrOk);
        WebForm->show();
        // The deferred open of the command line's file.
        ASSERT_TRUE(WaitFor([] { return FirstActivationDone != 0 && !CmdLinePending; }));
        ASSERT_EQ(welcome.size(), 1u);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, ExtractFileName(bad) + c.Message);
        EXPECT_EQ(UnansweredModalRuns(), unanswered);  // no open dialog
        // Nothing was shown yet: the blank picture follows.
        EXPECT_EQ(FileName, "Untitled");
        EXPECT_EQ(Caption(), "Untitled - Lumvor 8.9");
        return;
    }

    const std::string shown = CopyToHome("bmp/rgb24.bmp", "shown.bmp");
    Open(shown);
    ASSERT_EQ(FileName, shown);
    const std::string caption = Caption();
    const int bookmarks = ImageHistoryList.Count();
    const std::string pathBox = WebForm->History->currentText().toStdString();
    const int shownWidth = WebForm->Daz95->Bitmap()->Width();
    const int unanswered = UnansweredModalRuns();
    if (c.Road == TRoad::Dialog) {
        ChooseInOpenDialog(bad);
        Answer(boxes, mrOk);
        WebForm->BtnOpenClick(WebForm->btnOpen);
    } else {
        Answer(boxes, mrOk);
        WebForm->History->setEditText(QString::fromStdString(bad));
        char key = 13;
        WebForm->HistoryKeyPress(WebForm->History, key);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ExtractFileName(bad) + c.Message);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(UnansweredModalRuns(), unanswered);  // no open dialog popped up
    if (c.BlankAfter) {
        EXPECT_EQ(FileName, "Untitled");
        return;
    }
    EXPECT_EQ(FileName, shown);
    EXPECT_EQ(ShownFileName, shown);
    EXPECT_EQ(Caption(), caption);
    EXPECT_EQ(ImageHistoryList.Count(), bookmarks);
    EXPECT_EQ(WebForm->History->currentText().toStdString(), pathBox);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Width(), shownWidth);
}

INSTANTIATE_TEST_SUITE_P(
    FilesAndRoads, FailedOpenTest,
    ::testing::Values(
        FailedOpenCase{"PngNamedJpgByDialog", [] { return MakePngNamedJpeg("b.jpg"); }, TRoad::Dialog, NotWhatItSays, false},
        FailedOpenCase{"PngNamedJpgByPathBox", [] { return MakePngNamedJpeg("b.jpg"); }, TRoad::PathBox, NotWhatItSays, false},
        FailedOpenCase{"PngNamedJpgByCommandLine", [] { return MakePngNamedJpeg("b.jpg"); }, TRoad::CommandLine,
                       NotWhatItSays, false},
        FailedOpenCase{"TextNamedJpgByDialog", [] { return MakeTextNamedJpeg("notes.jpg"); }, TRoad::Dialog,
                       NotWhatItSays, false},
        FailedOpenCase{"TextNamedJpgByPathBox", [] { return MakeTextNamedJpeg("notes.jpg"); }, TRoad::PathBox,
                       NotWhatItSays, false},
        FailedOpenCase{"TextNamedJpgByCommandLine", [] { return MakeTextNamedJpeg("notes.jpg"); }, TRoad::CommandLine,
                       NotWhatItSays, false},
        FailedOpenCase{"EmptyJpgByPathBox",
                       [] {
                           test::WriteFileText(Home("empty.jpg"), "");
                           return Home("empty.jpg");
                       },
                       TRoad::PathBox, " could not be read as a JPEG picture: the file is empty.", false},
        FailedOpenCase{"CutPngByDialog", [] { return MakeCutPng("cut.png"); }, TRoad::Dialog,
                       " could not be read as a PNG picture: the file is damaged or is not what its name says.",
                       true}),
    test::CaseNames<&FailedOpenCase::Name>);

// ---- State texts and controls

namespace {

class ZoomPanelTest : public WindowInUseTest, public ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(ZoomPanelTest, AnOpenInZoomModeShowsItsZoom) {
    const std::string fixture = GetParam();
    WebForm->mnuFitWindowClick(WebForm->mnuFitWindow1);
    ASSERT_FALSE(FitWindow);
    ZoomPercent = 400;
    WebForm->ApplyZoom();
    ASSERT_EQ(WebForm->StatusPanelText(1), "400%");
    const std::string picture = CopyToHome(fixture, "zoomed" + ExtractFileExt(fixture));
    Open(picture);
    ASSERT_EQ(FileName, picture);
    EXPECT_EQ(ZoomPercent, 100);
    EXPECT_EQ(WebForm->StatusPanelText(1), "100%");
}

INSTANTIATE_TEST_SUITE_P(Formats, ZoomPanelTest, ::testing::Values("bmp/rgb24.bmp", "png/rgb8.png", "jpeg/baseline_420.jpg"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return UpperCase(ExtractFileExt(info.param)).substr(1);
                         });

TEST_F(WindowInUseTest, SaveAsNamesTheNewFileInTheCaption) {
    Open(CopyToHome("bmp/rgb24.bmp", "before.bmp"));
    ASSERT_EQ(Caption(), "before.bmp - Lumvor 8.9");
    const std::string target = Home("after.bmp");
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stBmp);
    QueueModalAction([target](QDialog& d) {
        d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(target));
        d.accept();
    });
    WebForm->mnuSaveClick(nullptr);
    ASSERT_TRUE(FileExists(target));
    EXPECT_EQ(Caption(), "after.bmp - Lumvor 8.9");
    EXPECT_EQ(FileName, target);
}

TEST_F(WindowInUseTest, ASaveIntoAMissingFolderNamesTheChosenFileAndFolder) {
    Open(CopyToHome("bmp/rgb24.bmp", "keep.bmp"));
    const std::string folder = Home("gone");
    QDir().mkpath(QString::fromStdString(folder));
    const std::string target = folder + "/new.bmp";
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stBmp);
    QueueModalAction([target, folder](QDialog& d) {
        d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(target));
        // The folder goes away between the choice and the write.
        QDir(QString::fromStdString(folder)).removeRecursively();
        d.accept();
    });
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuSaveClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("Write failure.", 0), 0u);
    EXPECT_NE(boxes[0].text.find(target), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("The folder " + folder + " does not exist."), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].text.find(".lumvor-tmp"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(FileName, Home("keep.bmp"));
}

TEST_F(WindowInUseTest, UndoIsEnabledOnlyByABackup) {
    auto undoState = [] {
        return std::vector<bool>{WebForm->btnUndo->isEnabled(), WebForm->mnuUndo->isEnabled(),
                                 WebForm->mnuUndo1->isEnabled()};
    };
    const std::vector<bool> off(3, false), on(3, true);
    EXPECT_EQ(undoState(), off);  // at start
    Open(CopyToHome("bmp/rgb24.bmp", "undo.bmp"));
    EXPECT_EQ(undoState(), off);
    ASSERT_TRUE(WebForm->AutoBackUp());
    EXPECT_EQ(undoState(), on);
    Open(CopyToHome("png/rgb8.png", "undo.png"));
    EXPECT_EQ(undoState(), off);  // an open
    ASSERT_TRUE(WebForm->AutoBackUp());
    WebForm->NewBlankImage(true);
    EXPECT_EQ(undoState(), off);  // a blank picture
}

TEST_F(WindowInUseTest, BothZoomItemsFollowTheFitState) {
    Open(CopyToHome("bmp/rgb24.bmp", "fit.bmp"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(FitWindow ? "fit" : "zoom");
        EXPECT_EQ(WebForm->mnuZoom->isEnabled(), !FitWindow);
        EXPECT_EQ(WebForm->mnuZoom1->isEnabled(), !FitWindow);
        WebForm->MainMenuPopup();
        EXPECT_EQ(WebForm->mnuZoom->isEnabled(), WebForm->mnuZoom1->isEnabled());
        WebForm->mnuFitWindowClick(WebForm->mnuFitWindow1);
    }
}

TEST_F(WindowInUseTest, OkInTheBookmarkListOpensTheRowClicked) {
    std::vector<std::string> files;
    for (const char* name : {"mark_a.bmp", "mark_b.bmp", "mark_c.bmp"})
        files.push_back(CopyToHome("bmp/rgb24.bmp", name));
    for (const std::string& file : files)
        ImageHistoryList.Add(file);
    Open(files[0]);
    ImageHistoryIndex = 0;
    for (int row : {2, 1}) {
        SCOPED_TRACE(row);
        QueueModalAction([row](QDialog& dialog) {
            QAbstractItemView* view = nullptr;
            for (auto* candidate : dialog.findChildren<QAbstractItemView*>())
                if (candidate->isVisible())
                    view = candidate;
            ASSERT_NE(view, nullptr);
            const QRect rect = view->visualRect(view->model()->index(row, 0));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
            dialog.findChild<QPushButton*>("btnOK")->click();
        });
        WebForm->mnuBookmarksViewClick(WebForm->mnuBookmarksView);
        EXPECT_EQ(FileName, files[size_t(row)]);
        EXPECT_EQ(ImageHistoryIndex, row);
    }
}

TEST_F(WindowInUseTest, ClearingTheBookmarksOfAModifiedPictureAsksFirst) {
    const std::string file = CopyToHome("bmp/rgb24.bmp", "edited.bmp");
    Open(file);
    ImageChanged = true;
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    WebForm->mnuHistoryClearClick(WebForm->mnuHistoryClear);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("Discard modified image?", 0), 0u);
    EXPECT_EQ(FileName, file);
    EXPECT_EQ(ImageHistoryList.Count(), 1);
    EXPECT_TRUE(ImageChanged);

    Answer(boxes, mrYes);
    WebForm->mnuHistoryClearClick(WebForm->mnuHistoryClear);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(ImageHistoryList.Count(), 0);
}

TEST_F(WindowInUseTest, TheOpenDialogsSizeLabelEmptiesWithItsPreview) {
    const std::string picture = CopyToHome("bmp/rgb24.bmp", "label.bmp");
    std::string labelAtShow = "?", labelAfterChoice;
    QueueModalAction([&](QDialog& dialog) {
        auto* label = dialog.findChild<QLabel*>("PictureLabel");
        ASSERT_NE(label, nullptr);
        auto* view = dialog.findChild<QAbstractItemView*>("listView");
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        view->selectionModel()->setCurrentIndex(model->index(QString::fromStdString(picture)),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        labelAfterChoice = label->text().toStdString();
        dialog.reject();
    });
    WebForm->OpenDialog->SetInitialDir(ProgramFolder());
    WebForm->OpenDialog->Execute();
    EXPECT_EQ(labelAfterChoice, "7x3 (24bpp)");
    QueueModalAction([&](QDialog& dialog) {
        labelAtShow = dialog.findChild<QLabel*>("PictureLabel")->text().toStdString();
        dialog.reject();
    });
    WebForm->OpenDialog->Execute();
    EXPECT_EQ(labelAtShow, "");
}

// ---- Keys

namespace {

struct KeyCase {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Mods;
    bool Fit;
    bool PathBox;
    int Zoom;          // the zoom afterwards; 0: unchanged and fit unchanged
    bool OpenDialog;   // the open dialog shows
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.Name; }

class WindowKeyTest : public WindowInUseTest, public ::testing::WithParamInterface<KeyCase> {};

}  // namespace

TEST_P(WindowKeyTest, KeysOfTheZoomButtonsAndTheOpenCommand) {
    const KeyCase& c = GetParam();
    Open(CopyToHome("bmp/rgb24.bmp", "keys.bmp"));
    if (!c.Fit) {
        WebForm->mnuFitWindowClick(WebForm->mnuFitWindow1);
        ZoomPercent = 100;
        WebForm->ApplyZoom();
    }
    ASSERT_EQ(FitWindow, c.Fit);
    QApplication::setActiveWindow(WebForm);
    QWidget* target = WebForm->ScrollBox;
    if (c.PathBox) {
        target = WebForm->History->lineEdit();
        target->setFocus();
        ASSERT_TRUE(target->hasFocus());
    }
    bool dialogShown = false;
    if (c.OpenDialog)
        QueueModalAction([&dialogShown](QDialog& dialog) {
            dialogShown = true;
            dialog.reject();
        });
    const int unanswered = UnansweredModalRuns();
    QKeyEvent press(QEvent::KeyPress, c.Key, c.Mods);
    QApplication::sendEvent(target, &press);
    EXPECT_EQ(dialogShown, c.OpenDialog);
    EXPECT_EQ(UnansweredModalRuns(), unanswered);
    if (c.Zoom == 0) {
        EXPECT_EQ(FitWindow, c.Fit);
        if (!c.Fit) {
            EXPECT_EQ(ZoomPercent, 100);
        }
    } else {
        EXPECT_FALSE(FitWindow);
        EXPECT_EQ(ZoomPercent, c.Zoom);
        EXPECT_EQ(WebForm->StatusPanelText(1), std::to_string(c.Zoom) + "%");
    }
    ClearModalAnswers();
}

namespace {
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto NoMods = Qt::NoModifier;
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Keys, WindowKeyTest,
    ::testing::Values(KeyCase{"CtrlO", Qt::Key_O, Ctrl, true, false, 0, true},
                      KeyCase{"CtrlOInThePathBox", Qt::Key_O, Ctrl, false, true, 0, true},
                      KeyCase{"CtrlPlusInFit", Qt::Key_Plus, Ctrl, true, false, 125, false},
                      KeyCase{"CtrlEqualInZoom", Qt::Key_Equal, Ctrl, false, false, 125, false},
                      KeyCase{"CtrlMinusInZoom", Qt::Key_Minus, Ctrl, false, false, 75, false},
                      KeyCase{"PlusInFit", Qt::Key_Plus, Qt::ShiftModifier, true, false, 125, false},
                      KeyCase{"MinusInZoom", Qt::Key_Minus, NoMods, false, false, 75, false},
                      KeyCase{"PlusInThePathBox", Qt::Key_Plus, NoMods, false, true, 0, false},
                      KeyCase{"CtrlMinusInThePathBox", Qt::Key_Minus, Ctrl, true, true, 0, false}),
    test::CaseNames<&KeyCase::Name>);

TEST_F(WindowInUseTest, ShortCutsDisableTakesTheZoomAndOpenKeysToo) {
    Open(CopyToHome("bmp/rgb24.bmp", "keys.bmp"));
    WebForm->ShortCuts_Disable();
    const int unanswered = UnansweredModalRuns();
    for (int key : {int(Qt::Key_O), int(Qt::Key_Plus), int(Qt::Key_Minus)}) {
        int pressed = key;
        WebForm->FormKeyDown(WebForm, pressed, key == Qt::Key_O ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(pressed, key);  // not handled
    }
    EXPECT_EQ(UnansweredModalRuns(), unanswered);
    EXPECT_TRUE(FitWindow);
    WebForm->ShortCuts_Enable();
    int plus = Qt::Key_Plus;
    WebForm->FormKeyDown(WebForm, plus, Qt::NoModifier);
    EXPECT_EQ(plus, 0);
    EXPECT_FALSE(FitWindow);
}

// ---- Icons and layout

TEST_F(WindowInUseTest, EveryBarButtonAndTheWindowHaveAPicture) {
    auto drawn = [](const QIcon& icon) {
        const QImage image = icon.pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        return opaque;
    };
    int buttons = 0;
    for (QToolBar* bar : {WebForm->Toolbar1, WebForm->ToolBar2, WebForm->ToolBar3})
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            if (button->objectName().isEmpty() || button->objectName().startsWith("qt_"))
                continue;  // the bar's own overflow button
            SCOPED_TRACE(button->objectName().toStdString());
            ++buttons;
            EXPECT_GT(drawn(button->icon()), 24);
            EXPECT_FALSE(button->toolTip().isEmpty());
        }
    EXPECT_EQ(buttons, 14 + 3 + 18);
    EXPECT_GT(drawn(WebForm->windowIcon()), 100);
}

TEST_F(WindowInUseTest, At640By480TheBarsFitOrOfferTheirHiddenButtons) {
    WebForm->resize(640, 480);
    QCoreApplication::processEvents();
    for (QToolBar* bar : {WebForm->Toolbar1, WebForm->ToolBar3}) {
        SCOPED_TRACE(bar->objectName().toStdString());
        const QRect area = bar->rect();
        bool allShown = true;
        for (QToolButton* button : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (button->objectName().startsWith("qt_") || button->objectName().isEmpty())
                continue;
            if (!button->isVisible() || !area.contains(button->geometry()))
                allShown = false;
        }
        auto* overflow = bar->findChild<QToolButton*>("qt_toolbar_ext_button");
        EXPECT_TRUE(allShown || (overflow && overflow->isVisible()))
            << "hidden buttons without the overflow button";
    }
}

TEST_F(WindowInUseTest, TheOverflowButtonPopsUpTheHiddenButtonsAndTheyWork) {
    Open(CopyToHome("bmp/rgb24.bmp", "overflow.bmp"));
    WebForm->resize(480, 360);
    QCoreApplication::processEvents();
    auto* overflow = WebForm->Toolbar1->findChild<QToolButton*>("qt_toolbar_ext_button");
    ASSERT_NE(overflow, nullptr);
    ASSERT_TRUE(overflow->isVisible());
    QTest::mouseClick(overflow, Qt::LeftButton);
    auto* menu = WebForm->Toolbar1->findChild<QMenu*>("Toolbar1Overflow");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    QAction* zoomIn = nullptr;
    for (QAction* entry : menu->actions())
        if (entry->objectName() == "btnZoomUp")
            zoomIn = entry;
    std::string names;
    for (QAction* entry : menu->actions())
        names += entry->objectName().toStdString() + " ";
    ASSERT_NE(zoomIn, nullptr) << names;
    EXPECT_TRUE(zoomIn->isEnabled());
    EXPECT_FALSE(zoomIn->icon().isNull());
    ASSERT_TRUE(FitWindow);
    zoomIn->trigger();
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(ZoomPercent, 125);
    menu->hide();
}
