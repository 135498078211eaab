// The print setup window: fitting, the sizes shown in each measurement, the
// position bars, the system print dialog, and the whole print road into a PDF
// file read back by pdftoppm.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>

#include "app/lumv8900.h"
#include "app/print_8900.h"
#include "explorer/xplr8900.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Printers.h"
#include "imgman/imgman.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "print_test_tools.h"
#include "ui/Pix.h"

#include <cmath>
#include <functional>
#include <string>

using namespace lumvor;

namespace {

// ---- Fitting

struct FitCase {
    const char* name;
    float boxWidth, boxHeight, pictureWidth, pictureHeight;
    float width, height;  // expected, worked out from the rule in single precision
};

float F(float value) { return value; }

// Each expected size follows the rule's formula in float, written out here.
const FitCase kFitCases[] = {
    // A box wider than the picture but not taller: the box's height.
    {"WiderBoxTakesItsHeight", 300, 100, 100, 200, F(F(100.0f / 200.0f) * 100.0f), 100},
    // A box taller but not wider: the box's width.
    {"TallerBoxTakesItsWidth", 100, 300, 200, 100, 100, F(F(100.0f / 200.0f) * 100.0f)},
    // Larger both ways, the width differs most: the width, then pulled inside the height.
    {"LargerBoxPulledInsideItsHeight", 500, 300, 100, 80, F(F(300.0f / 400.0f) * 500.0f), 300},
    // Larger both ways, the height differs most: the height.
    {"LargerBoxTakesTheHeight", 120, 500, 100, 80, 120, F(F(120.0f / 100.0f) * 80.0f)},
    // Smaller both ways, the width differs most: the width.
    {"SmallerBoxTakesTheWidth", 100, 150, 400, 200, 100, F(F(100.0f / 400.0f) * 200.0f)},
    // 100 / 200 x 125 = 62.5 exactly: the tie goes to the even 62.
    {"HalfRoundsToEven", 100, 300, 200, 125, 100, F(F(100.0f / 200.0f) * 125.0f)},
    // 50 / 68 x 85 is 62.5 in single precision but 62.500000000000007 in double:
    // single precision decides the last pixel.
    {"SinglePrecisionDecides", 50, 100, 68, 85, 50, F(F(50.0f / 68.0f) * 85.0f)},
};

class FitPictureToBoxTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitPictureToBoxTest, FollowsTheRuleInSinglePrecision) {
    const FitCase& c = GetParam();
    const TFittedSize fitted = FitPictureToBox(c.boxWidth, c.boxHeight, c.pictureWidth, c.pictureHeight);
    EXPECT_FLOAT_EQ(fitted.Width, c.width);
    EXPECT_FLOAT_EQ(fitted.Height, c.height);
    EXPECT_EQ(fitted.RoundedWidth, int32_t(std::nearbyint(c.width)));
    EXPECT_EQ(fitted.RoundedHeight, int32_t(std::nearbyint(c.height)));
}

INSTANTIATE_TEST_SUITE_P(Cases, FitPictureToBoxTest, ::testing::ValuesIn(kFitCases),
                         test::CaseNames<&FitCase::name>);

TEST(FitPictureToBoxRounding, TiesGoToEvenAndSinglePrecisionDecides) {
    EXPECT_EQ(FitPictureToBox(100, 300, 200, 125).RoundedHeight, 62);
    // In double the same formula would round up to 63.
    ASSERT_EQ(std::lround(50.0 / 68.0 * 85.0), 63);
    EXPECT_EQ(FitPictureToBox(50, 100, 68, 85).RoundedHeight, 62);
}

// ---- The window

constexpr int kDpi = 600;

// An A4 PDF printer at 600 dpi, portrait.
void UsePdfPrinter(const std::string& file) {
    TPrinter& printer = Printer();
    printer.SetOutputFileName(file);
    printer.Device().setPageSize(QPageSize(QPageSize::A4));
    printer.Device().setPageOrientation(QPageLayout::Portrait);
    printer.Device().setResolution(kDpi);
}

class PrintFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        SetStrictModalRuns(true);
        UsePdfPrinter(ProgramFolder() + "print-form.pdf");
    }
    void TearDown() override {
        Printer().Device().setPageOrientation(QPageLayout::Portrait);
        Printer().SetOutputFileName("");
        ClearModalAnswers();
    }

    // Opens the window for a width x height picture and lets work act on it;
    // work ends the run (a button click), or the window is cancelled after it.
    TPrintFormResult Run(int width, int height, const std::function<void(TPrintForm&)>& work,
                         TPrintFormResult result = {}) {
        QueueModalAction([work](QDialog& dialog) {
            auto& form = static_cast<TPrintForm&>(dialog);
            work(form);
            if (form.isVisible())
                form.btnClose->click();
        });
        ExecutePrintForm("picture.bmp", width, height, result);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        return result;
    }

    static std::string Text(const QLabel* label) { return label->text().toStdString(); }
};

TEST_F(PrintFormTest, FullSizePictureSpansThePageWidthAndStaysCentred) {
    const int pageWidth = Printer().PageWidth();
    const int pageHeight = Printer().PageHeight();
    std::string caption;
    const TPrintFormResult result = Run(100, 50, [&](TPrintForm& form) {
        caption = form.windowTitle().toStdString();
        EXPECT_EQ(form.width(), 592);
        EXPECT_EQ(form.height(), 428);
        EXPECT_FALSE(form.XScroll->isEnabled());
        EXPECT_FALSE(form.YScroll->isEnabled());
        // The preview is centred on the paper.
        const QWidget& paper = *form.PaperImage;
        const QWidget& doc = *form.DocImage;
        EXPECT_EQ(doc.x(), (paper.width() - doc.width()) / 2);
        EXPECT_EQ(doc.y(), (paper.height() - doc.height()) / 2);
        EXPECT_EQ(doc.width(), paper.width());
        // A change of measurement keeps the centred position.
        form.MeasureBox->setCurrentIndex(msCentimetres);
        form.MeasureBox->setCurrentIndex(msPixels);
        form.btnPrintIt->click();
    });
    EXPECT_EQ(caption, "Print Setup: picture.bmp");
    EXPECT_EQ(result.Width, pageWidth);
    EXPECT_EQ(result.Height, int(std::nearbyint(pageWidth / 2.0)));
    EXPECT_EQ(result.Left, 0);
    EXPECT_EQ(result.Top, (pageHeight - result.Height) / 2);
    EXPECT_EQ(result.ColorPrinter, 1);
    EXPECT_EQ(result.Reserved, 0);
}

TEST_F(PrintFormTest, SizesReadInEachMeasurement) {
    Run(100, 50, [&](TPrintForm& form) {
        print_8900::PrintWidth = 4800;
        form.MeasureBox->setCurrentIndex(msCentimetres);
        EXPECT_EQ(Text(form.LabelDocW), "Width : 20.3");
        form.MeasureBox->setCurrentIndex(msInches);
        EXPECT_EQ(Text(form.LabelDocW), "Width : 8.0");
        form.MeasureBox->setCurrentIndex(msPixels);
        EXPECT_EQ(Text(form.LabelDocW), "Width : 4800");
        EXPECT_EQ(Text(form.LabelDocH), "Height: " + std::to_string(print_8900::PrintHeight));
        EXPECT_EQ(Text(form.LabelXPos), "&X pos : 0");
        const std::string settings = Text(form.PanelSettings);
        EXPECT_EQ(settings.rfind("Portrait : ", 0), 0u) << settings;
        EXPECT_EQ(settings, "Portrait : " + std::to_string(Printer().PageWidth()) + " x " +
                                std::to_string(Printer().PageHeight()) + "  (600 x 600 dpi)");
        form.MeasureBox->setCurrentIndex(msInches);
        EXPECT_EQ(Text(form.PanelSettings), "Portrait : 8.3 x 11.7  (600 x 600 dpi)");
    });
}

TEST_F(PrintFormTest, PictureWithoutPixelsIsPlacedAsASquare) {
    const TPrintFormResult result = Run(0, 0, [](TPrintForm& form) { form.btnPrintIt->click(); });
    EXPECT_EQ(result.Width, Printer().PageWidth());
    EXPECT_EQ(result.Height, Printer().PageWidth());
    EXPECT_EQ(result.Top, (Printer().PageHeight() - result.Height) / 2);
}

TEST_F(PrintFormTest, CancelMarksOnlyTheFirstField) {
    TPrintFormResult before;
    before.Top = 5, before.Left = 6, before.Width = 7, before.Height = 8, before.ColorPrinter = 1;
    const TPrintFormResult result = Run(100, 50, [](TPrintForm& form) { form.btnClose->click(); }, before);
    EXPECT_EQ(result.Top, -1);
    EXPECT_EQ(result.Left, 6);
    EXPECT_EQ(result.Width, 7);
    EXPECT_EQ(result.Height, 8);
    EXPECT_EQ(result.ColorPrinter, 1);
}

TEST_F(PrintFormTest, AtHalfSizeTheBarsMoveThePreviewAndThePlaceTogether) {
    const TPrintFormResult result = Run(100, 50, [](TPrintForm& form) {
        form.ZoomScroll->setValue(50);
        EXPECT_EQ(form.ZoomLabel->text().toStdString(), "  Si&ze : 50%");
        EXPECT_TRUE(form.XScroll->isEnabled());
        EXPECT_TRUE(form.YScroll->isEnabled());
        EXPECT_EQ(print_8900::PrintWidth, int(std::nearbyint(Printer().PageWidth() * 0.5)));
        EXPECT_EQ(form.XScroll->maximum(), Printer().PageWidth() - print_8900::PrintWidth);
        EXPECT_EQ(form.XScroll->pageStep(), form.XScroll->maximum() / 8);

        const QWidget& paper = *form.PaperImage;
        const QWidget& doc = *form.DocImage;
        form.XScroll->setValue(form.XScroll->maximum());
        form.YScroll->setValue(0);
        EXPECT_EQ(doc.x(), paper.width() - doc.width());
        EXPECT_EQ(doc.y(), 0);
        EXPECT_EQ(print_8900::PrintLeft, form.XScroll->maximum());
        EXPECT_EQ(print_8900::PrintTop, 0);

        // "Cen&ter" puts both back at half their range.
        form.btnReset->click();
        EXPECT_EQ(form.XScroll->value(), form.XScroll->maximum() / 2);
        EXPECT_EQ(form.YScroll->value(), form.YScroll->maximum() / 2);
        EXPECT_EQ(doc.x(), (paper.width() - doc.width()) / 2);
        EXPECT_EQ(print_8900::PrintLeft, form.XScroll->maximum() / 2);

        form.YScroll->setValue(form.YScroll->maximum() / 4);
        form.btnPrintIt->click();
    });
    const int pageHeight = Printer().PageHeight();
    EXPECT_EQ(result.Top, (pageHeight - result.Height) / 4);
    EXPECT_EQ(result.Left, (Printer().PageWidth() - result.Width) / 2);
}

TEST_F(PrintFormTest, SetupToLandscapeRecomputesThePage) {
    const int portraitWidth = Printer().PageWidth();
    Run(100, 50, [&](TPrintForm& form) {
        form.ZoomScroll->setValue(50);
        QueueModalAction([](QDialog& dialog) {
            auto& printDialog = static_cast<QPrintDialog&>(dialog);
            EXPECT_EQ(printDialog.minPage(), 1);
            EXPECT_EQ(printDialog.maxPage(), 1);
            printDialog.printer()->setPageOrientation(QPageLayout::Landscape);
            dialog.done(QDialog::Accepted);
        });
        form.btnSetup->click();
        EXPECT_TRUE(Printer().Landscape());
        EXPECT_EQ(Printer().PageHeight(), portraitWidth);
        EXPECT_EQ(form.PanelSettings->text().toStdString().rfind("Landscape: ", 0), 0u);
        EXPECT_EQ(form.XScroll->maximum(), Printer().PageWidth() - print_8900::PrintWidth);
        EXPECT_EQ(form.YScroll->maximum(), Printer().PageHeight() - print_8900::PrintHeight);
        // The paper preview turned too.
        EXPECT_GT(form.PaperImage->width(), form.PaperImage->height());
    });
}

TEST_F(PrintFormTest, CancelledSetupLeavesThePage) {
    Run(100, 50, [&](TPrintForm& form) {
        const std::string settings = Text(form.PanelSettings);
        QueueModalResult(QDialog::Rejected);
        form.btnSetup->click();
        EXPECT_EQ(Text(form.PanelSettings), settings);
    });
}

// ---- The whole road: the print command, this window, a PDF file

class PrintRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        lumv8900::ImageChanged = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        lumv8900::WebForm->mnuQuit->Tag = 1;
    }
    void TearDown() override {
        lumv8900::ImageChanged = false;
        delete xplr8900::FileForm;
        delete lumv8900::WebForm;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Printer().SetOutputFileName("");
        ClearModalAnswers();
    }
};

TEST_F(PrintRoadTest, HalfSizeAtTheBottomRightLandsThereOnThePage) {
    using namespace lumv8900;
    const std::string pdf = ProgramFolder() + "placed.pdf";
    UsePdfPrinter(pdf);
    FileName = ProgramFolder() + "corners.bmp";
    FileExt = ".BMP";
    TBitmap picture;
    test::PaintCorners(picture, 40, 30);
    WebForm->Daz95->SetBitmap(&picture);
    ImageWidth = 40, ImageHeight = 30, ImageBitCount = 24;

    bool previewShown = false;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TPrintForm&>(dialog);
        previewShown = form.DocImage->Bitmap()->Width() == 40;
        form.ZoomScroll->setValue(50);
        form.XScroll->setValue(form.XScroll->maximum());
        form.YScroll->setValue(form.YScroll->maximum());
        form.btnPrintIt->click();
    });
    QueueModalResult(mrOk);  // "Image sent to printer."
    WebForm->mnuPrintClick(nullptr);
    EXPECT_TRUE(previewShown);

    const int pageWidth = Printer().PageWidth();
    const int pageHeight = Printer().PageHeight();
    const int width = int(std::nearbyint(pageWidth * 0.5));
    const int height = int(std::nearbyint(pageWidth * 0.5 * 30 / 40));
    EXPECT_EQ(ImgRect.Left, pageWidth - width);
    EXPECT_EQ(ImgRect.Top, pageHeight - height);
    EXPECT_EQ(ImgRect.Right, pageWidth);
    EXPECT_EQ(ImgRect.Bottom, pageHeight);

    // The page at a tenth of the printer's resolution.
    const int scaledDpi = kDpi / 10;
    const std::string base = ProgramFolder() + "placed";
    test::CommandOutput("pdftoppm -r " + std::to_string(scaledDpi) + " -singlefile '" + pdf + "' '" + base + "'");
    const test::RgbRaster page = test::ReadPpm(base + ".ppm");
    ASSERT_GT(page.Width, 0);
    const double scale = double(page.Width) / pageWidth;
    auto near = [&](int x, int y, uint32_t rgb) { return test::NearColour(page, x, y, rgb); };
    // Corners of the record on the rendered page, one pixel of rendering inside.
    const int left = int(ImgRect.Left * scale), top = int(ImgRect.Top * scale);
    const int right = int(std::ceil(ImgRect.Right * scale)) - 1, bottom = int(std::ceil(ImgRect.Bottom * scale)) - 1;
    EXPECT_TRUE(near(left + 1, top + 1, 0xFF0000));
    EXPECT_TRUE(near(right - 1, top + 1, 0x00FF00));
    EXPECT_TRUE(near(left + 1, bottom - 1, 0x0000FF));
    EXPECT_TRUE(near(right - 1, bottom - 1, 0xFFFF00));
    // Just outside the rectangle, and the margins, are white.
    EXPECT_TRUE(near(left - 2, top + 1, 0xFFFFFF));
    EXPECT_TRUE(near(left + 1, top - 2, 0xFFFFFF));
    EXPECT_TRUE(near(2, 2, 0xFFFFFF));
    EXPECT_TRUE(near(page.Width / 2, page.Height / 2, 0xFFFFFF));
    EXPECT_TRUE(near(2, page.Height - 3, 0xFFFFFF));
}

}  // namespace
