// Text marks, borders and de-interlacing: the macros, where a mark paints and
// in which colours, the border bands to the pixel, the de-interlace steps and
// their failures, the text-mark settings, and the script keywords.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "imgman/imgman.h"
#include "processing/lab/TextMarks.h"
#include "processing/script/LabState.h"
#include "app/dialogs/batch_8900.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/message_boxes.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

constexpr uint32_t White = 0xFFFFFF;

void Flat(TBitmap& bitmap, int width, int height, uint32_t colour) {
    LoadRaster(bitmap, RgbRaster{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), colour)});
}

// The pixels that differ from a flat picture of the colour.
std::vector<std::pair<int, int>> Changed(const TBitmap& bitmap, uint32_t flat) {
    std::vector<std::pair<int, int>> changed;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) != flat)
                changed.emplace_back(x, y);
    return changed;
}

std::set<uint32_t> Colours(const TBitmap& bitmap) {
    std::set<uint32_t> colours;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) colours.insert(PixelAt(bitmap, x, y));
    return colours;
}

// ---- Macros

struct MacroCase {
    std::string name, text, fileName, expanded;
};

class MacroTest : public ::testing::TestWithParam<MacroCase> {};

TEST_P(MacroTest, ExpandsEachMacroOnceInOrder) {
    const MacroCase& c = GetParam();
    EXPECT_EQ(ExpandTextMarkMacros(c.text, "1/2/25 3:04:05 PM", c.fileName), c.expanded);
}

INSTANTIATE_TEST_SUITE_P(
    TextMarks, MacroTest,
    ::testing::Values(MacroCase{"DateAndFileAnyCase", "Taken @@d by @@F", "/pics/beach.jpg",
                                "Taken 1/2/25 3:04:05 PM by beach"},
                      MacroCase{"OnlyTheFirstDate", "@@D @@D", "", "1/2/25 3:04:05 PM @@D"},
                      MacroCase{"Copyright", "@@C 2025", "", "\u00A9 2025"},
                      MacroCase{"NoFileLeavesFileMacro", "@@f here", "", "@@f here"},
                      MacroCase{"FileKeepsInnerDots", "@@F", "/a/b/holiday.v2.tif", "holiday.v2"},
                      MacroCase{"DateIsReplacedBeforeCopyright", "@@@@CD", "", "@@\u00A9D"},
                      MacroCase{"NoMacros", "plain @ text", "x.jpg", "plain @ text"}),
    CaseNames<&MacroCase::name>);

TEST(TextMarkDateTime, UsesTheSystemsShortDateAndLongTime) {
    const QLocale locale = QLocale::system();
    const std::string now = TextMarkDateTime();
    const std::string date = locale.toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    EXPECT_EQ(now.substr(0, date.size()), date);
    EXPECT_GT(now.size(), date.size() + 1);
}

// ---- Drawing a mark

struct CornerCase {
    std::string name;
    int corner;
};

class TextMarkCornerTest : public ::testing::TestWithParam<CornerCase> {};

TEST_P(TextMarkCornerTest, PaintsOnlyInsideItsBandInBothColours) {
    const int w = 160, h = 70;
    TBitmap picture;
    Flat(picture, w, h, White);
    picture.Canvas().Font.Color = TColor(0x0000FF);  // red
    DrawTextMark(picture, "Mark HWy", GetParam().corner, TColor(0x00FF00));
    const auto changed = Changed(picture, White);
    ASSERT_FALSE(changed.empty());
    const bool bottom = GetParam().corner >= 2;
    int maxX = 0, minX = w;
    for (auto [x, y] : changed) {
        EXPECT_LE(x, w - 6);
        if (bottom)
            EXPECT_GE(y, h - 24);
        else
            EXPECT_LE(y, 22);
        maxX = std::max(maxX, x);
        minX = std::min(minX, x);
    }
    const auto colours = Colours(picture);
    EXPECT_TRUE(colours.contains(0x00FF00));  // outline
    EXPECT_TRUE(colours.contains(0xFF0000));  // font colour
    if (GetParam().corner % 2 == 1) {
        EXPECT_GE(maxX, w - 12);  // right-aligned: ends near W - 8
        EXPECT_GT(minX, 20);
    } else {
        EXPECT_LE(minX, 3);
        EXPECT_LT(maxX, w - 30);
    }
}

INSTANTIATE_TEST_SUITE_P(TextMarks, TextMarkCornerTest,
                         ::testing::Values(CornerCase{"TopLeft", 0}, CornerCase{"TopRight", 1},
                                           CornerCase{"BottomLeft", 2}, CornerCase{"BottomRight", 3}),
                         CaseNames<&CornerCase::name>);

TEST(TextMarks, NarrowPicturesAndEmptyTextsStayUntouched) {
    TBitmap narrow;
    Flat(narrow, 31, 40, White);
    DrawTextMark(narrow, "Some text", 0, TColor(0));
    EXPECT_TRUE(Changed(narrow, White).empty());
    TBitmap wide;
    Flat(wide, 32, 40, White);
    DrawTextMark(wide, "", 3, TColor(0));
    EXPECT_TRUE(Changed(wide, White).empty());
    DrawTextMark(wide, "W", 0, TColor(0));
    EXPECT_FALSE(Changed(wide, White).empty());
}

// ---- Borders

// True when every pixel is Colour inside one of the bands and white elsewhere.
::testing::AssertionResult BandsPainted(const TBitmap& picture, uint32_t colour,
                                        const std::function<bool(int x, int y)>& inBand) {
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t want = inBand(x, y) ? colour : White;
            if (PixelAt(picture, x, y) != want)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
        }
    return ::testing::AssertionSuccess();
}

TEST(Borders, PaintExactlyTheirBands) {
    const int w = 20, h = 16;
    TBitmap picture;
    Flat(picture, w, h, White);
    PaintBorder(picture, TColor(0x3366CC), 3, 5);  // a TColor: red 0xCC, blue 0x33
    EXPECT_TRUE(BandsPainted(picture, 0xCC6633,
                             [&](int x, int y) { return y < 5 || y >= h - 5 || x < 3 || x >= w - 3; }));
    Flat(picture, w, h, White);
    PaintBorder(picture, TColor(0), 0, 2);
    EXPECT_TRUE(BandsPainted(picture, 0, [&](int, int y) { return y < 2 || y >= h - 2; }));
    Flat(picture, w, h, White);
    PaintLetterbox(picture, TColor(0xFF), 1, 4);
    EXPECT_TRUE(BandsPainted(picture, 0xFF0000, [&](int, int y) { return y < 1 || y >= h - 4; }));
    EXPECT_EQ(picture.Width(), w);
    EXPECT_EQ(picture.Height(), h);
}

// ---- The image window

class MarkCommandTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        ImageUndoSaved = false;
        ResizeCopy = [this](int handle, int width, int height, int32_t flags) {
            copies.push_back({width, height, flags});
            if (int(copies.size()) == failAt) {
                if (raise)
                    throw std::runtime_error("copy failed");
                return 0;
            }
            return ImgCopy(handle, width, height, nullptr, flags);
        };
    }
    void TearDown() override {
        ResizeCopy = nullptr;
        LabWindowTest::TearDown();
    }
    void ShowFlat(int width, int height) {
        Flat(picture, width, height, White);
        Show(picture, "/pics/beach.jpg");
    }
    // A picture whose odd rows are dark.
    void ShowInterlaced(int width, int height) {
        RgbRaster raster{width, height, {}};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) raster.Pixels.push_back(y % 2 ? 0x202020 : 0xE0E0E0);
        LoadRaster(picture, raster);
        Show(picture);
    }
    void AnswerText(const std::string& text) {
        QueueModalAction([text](QDialog& d) {
            d.findChild<QLineEdit*>("Edit")->setText(QString::fromStdString(text));
            d.findChild<QPushButton*>("OK")->click();
        });
    }
    void RunScript(const std::string& lines) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(lines));
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoBatchImageProcess();
    }
    TMenuItem* CornerItem(const char* name) { return WebForm->findChild<TMenuItem*>(name); }
    struct Copy {
        int width, height;
        int32_t flags;
        bool operator==(const Copy&) const = default;
    };
    std::vector<Copy> copies;
    int failAt = 0;
    bool raise = false;
    TBitmap picture;
};

// The mean absolute difference between neighbouring rows.
double RowContrast(const TBitmap& b) {
    double sum = 0;
    for (int y = 1; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            sum += std::abs(int(PixelAt(b, x, y) & 0xFF) - int(PixelAt(b, x, y - 1) & 0xFF));
    return sum / double(b.Width() * (b.Height() - 1));
}

TEST_F(MarkCommandTest, TheItemsExistWithTheirTags) {
    const std::pair<const char*, int> corners[] = {
        {"mnuTopLeft", 0}, {"mnuTopRight", 1}, {"mnuBottomLeft", 2}, {"mnuBottomRight", 3}};
    for (auto [name, tag] : corners) {
        ASSERT_NE(CornerItem(name), nullptr) << name;
        EXPECT_EQ(CornerItem(name)->Tag, tag);
        EXPECT_TRUE(CornerItem(name)->isEnabled());
    }
    EXPECT_EQ(WebForm->mnuBorder1->Caption(), "&Add Border");
    EXPECT_EQ(WebForm->mnuBorder1->Tag, 257);
    EXPECT_EQ(WebForm->mnuDelace->Caption(), "De&Lace");
    EXPECT_EQ(WebForm->mnuOutlineColor->Caption(), "&Outline color");
    EXPECT_EQ(TextMarkOutlineColor, TColor(0x808080));
}

TEST_F(MarkCommandTest, TheMenuMarksAndRecordsTheTextAsEntered) {
    ShowFlat(120, 50);
    AnswerText("By @@F");
    WebForm->DoTextMark(CornerItem("mnuBottomRight"));
    EXPECT_EQ(Script(), std::vector<std::string>{"TEXTMARK_BOTTOMRIGHT=By @@F"});
    EXPECT_EQ(TextMarkText, "By @@F");
    EXPECT_TRUE(ImageUndoSaved);
    EXPECT_FALSE(Changed(Display(), White).empty());
    // The script line draws the same mark.
    const RgbRaster marked = RasterOfBitmap(Display());
    ShowFlat(120, 50);
    RunScript("TEXTMARK_BOTTOMRIGHT=By @@F");
    EXPECT_TRUE(SameBitmap(marked, Display()));
}

TEST_F(MarkCommandTest, NarrowPicturesAndEmptyTextsRecordTheirLine) {
    ShowFlat(31, 40);
    AnswerText("Hello");
    WebForm->DoTextMark(CornerItem("mnuTopLeft"));
    EXPECT_TRUE(Changed(Display(), White).empty());
    ShowFlat(80, 40);
    AnswerText("");
    WebForm->DoTextMark(CornerItem("mnuTopLeft"));
    EXPECT_TRUE(Changed(Display(), White).empty());
    EXPECT_EQ(Script(), (std::vector<std::string>{"TEXTMARK_TOPLEFT=Hello", "TEXTMARK_TOPLEFT="}));
    // Cancel: nothing, not even an undo copy.
    ImageUndoSaved = false;
    QueueModalResult(mrCancel);
    WebForm->DoTextMark(CornerItem("mnuTopLeft"));
    EXPECT_EQ(Script().size(), 2u);
    EXPECT_FALSE(ImageUndoSaved);
}

TEST_F(MarkCommandTest, ABorderLineRecordsAndTheLetterboxLineDoesNot) {
    ShowFlat(20, 16);
    WebForm->MergeBorder(TColor(0x3366CC), 3, 5);
    EXPECT_TRUE(BandsPainted(Display(), 0xCC6633,
                             [](int x, int y) { return y < 5 || y >= 11 || x < 3 || x >= 17; }));
    EXPECT_EQ(Script(), std::vector<std::string>{"BORDER=3368652,3,5"});
    LabScript.Clear();
    ShowFlat(20, 16);
    RunScript("BORDER_LETTERBOX=255,2,3");
    EXPECT_TRUE(BandsPainted(Display(), 0xFF0000, [](int, int y) { return y < 2 || y >= 13; }));
    ShowFlat(20, 16);
    RunScript("BORDER=255,1,4");
    EXPECT_TRUE(BandsPainted(Display(), 0xFF0000, [](int x, int y) { return y < 4 || y >= 12 || x < 1 || x >= 19; }));
    EXPECT_TRUE(Script().empty());
}

TEST_F(MarkCommandTest, TheBorderItemRemembersSideAndHeight) {
    ShowFlat(40, 30);
    QueueModalAction([](QDialog& dialog) {
        auto& d = static_cast<TResizeForm&>(dialog);
        d.EditW->setText("4");
        QTest::keyClick(d.EditW, Qt::Key_Return);
        d.EditH->setText("2");
        QTest::keyClick(d.EditH, Qt::Key_Return);
        d.btnOk->click();
    });
    WebForm->mnuBorder1Click(WebForm->mnuBorder1);
    EXPECT_EQ(WebForm->mnuBorder1->Tag, 4 * 256 + 2);
    EXPECT_EQ(Script(), std::vector<std::string>{"BORDER=0,4,2"});
    EXPECT_TRUE(BandsPainted(Display(), 0, [](int x, int y) { return y < 2 || y >= 28 || x < 4 || x >= 36; }));
    EXPECT_TRUE(ImageChanged);
    // Cancel changes nothing.
    LabScript.Clear();
    QueueModalAction([](QDialog& dialog) { static_cast<TResizeForm&>(dialog).btnCancel->click(); });
    WebForm->mnuBorder1Click(WebForm->mnuBorder1);
    EXPECT_TRUE(Script().empty());
    EXPECT_EQ(WebForm->mnuBorder1->Tag, 4 * 256 + 2);
}

TEST_F(MarkCommandTest, DelacePassesThroughOneAndAHalfTimesTheSizeAndSmoothsLines) {
    ShowInterlaced(101, 75);
    const double before = RowContrast(Display());
    WebForm->mnuDelaceClick(WebForm->mnuDelace);
    EXPECT_EQ(copies, (std::vector<Copy>{{151, 112, IMG_COPY_NEAREST}, {101, 75, IMG_COPY_SMOOTH}}));
    EXPECT_EQ(Display().Width(), 101);
    EXPECT_EQ(Display().Height(), 75);
    EXPECT_EQ(ImageWidth, 101);
    EXPECT_EQ(ImageHeight, 75);
    EXPECT_LT(RowContrast(Display()), before / 2);
    EXPECT_EQ(Script(), std::vector<std::string>{"DELACE"});
    EXPECT_TRUE(ImageUndoSaved);
    // The line replays to the same bytes, without an undo copy.
    TBitmap done;
    done.Assign(&Display());
    ShowInterlaced(101, 75);
    ImageUndoSaved = false;
    RunScript("DELACE");
    EXPECT_TRUE(SameBitmap(RasterOfBitmap(done), Display()));
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_EQ(Script().size(), 1u);
}

TEST_F(MarkCommandTest, AFailedLibraryCopyKeepsThePictureAndShowsTheError) {
    struct Case {
        std::string name;
        int failAt;
        bool raise;
        bool script;
    };
    for (const Case& c : {Case{"enlarge returns none", 1, false, false}, Case{"enlarge raises", 1, true, false},
                          Case{"shrink returns none", 2, false, false}, Case{"shrink raises", 2, true, true},
                          Case{"script enlarge raises", 1, true, true}, Case{"script shrink none", 2, false, true}}) {
        SCOPED_TRACE(c.name);
        ShowInterlaced(41, 21);
        const RgbRaster before = RasterOfBitmap(Display());
        copies.clear();
        LabScript.Clear();
        failAt = c.failAt;
        raise = c.raise;
        std::vector<Box> boxes;
        Answer(boxes, mrOk);
        if (c.script)
            RunScript("DELACE");
        else
            WebForm->mnuDelaceClick(WebForm->mnuDelace);
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(SameBitmap(before, Display()));
        EXPECT_EQ(ImageWidth, 41);
        EXPECT_EQ(ImageHeight, 21);
        EXPECT_TRUE(Script().empty());
        EXPECT_EQ(Screen.Cursor(), crDefault);
        ClearModalAnswers();
    }
}

TEST_F(MarkCommandTest, CancelledSettingsChangeNothingAndAChosenOutlineIsUsed) {
    TFont& font = Display().Canvas().Font;
    const std::string face = font.Name;
    const int size = font.Size;
    QueueModalResult(QDialog::Rejected);
    WebForm->mnuChangeFontClick(WebForm->mnuChangeFont);
    QueueModalResult(QDialog::Rejected);
    WebForm->mnuOutlineColorClick(WebForm->mnuOutlineColor);
    EXPECT_EQ(font.Name, face);
    EXPECT_EQ(font.Size, size);
    EXPECT_EQ(TextMarkOutlineColor, TColor(0x808080));

    QueueModalAction([](QDialog& d) {
        auto& dialog = static_cast<QFontDialog&>(d);
        QFont bigger = dialog.currentFont();
        bigger.setPointSize(20);
        dialog.setCurrentFont(bigger);
        dialog.accept();
    });
    WebForm->mnuChangeFontClick(WebForm->mnuChangeFont);
    EXPECT_EQ(Display().Canvas().Font.Size, 20);

    QueueModalAction([](QDialog& d) {
        auto& dialog = static_cast<QColorDialog&>(d);
        dialog.setCurrentColor(QColor(0, 0, 255));
        dialog.accept();
    });
    WebForm->mnuOutlineColorClick(WebForm->mnuOutlineColor);
    EXPECT_EQ(TextMarkOutlineColor, RGB(0, 0, 255));
    ShowFlat(120, 50);
    RunScript("TEXTMARK_TOPLEFT=Blue");
    EXPECT_TRUE(Colours(Display()).contains(0x0000FF));
}

}  // namespace
