// The explorer's file list: captions and columns, tool tips, the status bar,
// the letter keys, column clicks, label editing, the thumbnail sizes and the
// thumbnail cells drawn from the cell cache.
#include "explorer/xplr8900.h"

#include "album/show8900.h"
#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/VListShowEx.h"
#include "ui/usrdlg_w.h"

#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/thumb_cells.h"
#include "support/window_hooks.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QThread>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;
using namespace xplr8900;

std::string Home() { return test::LumvorHome(); }
using test::MakeOld;

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetExplorerState();
        folder_ = test::FreshExploredFolder("pics");
    }
    void TearDown() override {
        test::CloseExplorer();
        test::ResetApplicationHooks();
    }

    void AddFile(const std::string& name, const std::string& bytes = std::string(1500, 'p')) {
        test::WriteFileText(folder_ + name, bytes);
        MakeOld(folder_ + name);
    }
    void AddFolder(const std::string& name) {
        fs::create_directories(folder_ + name);
        MakeOld(folder_ + name);
    }

    TFileForm* Open() {
        MakeOld(folder_);
        return test::OpenExplorer();
    }
    // Lists the folder again (after cache files were written).
    void Relist() {
        FileForm->Listing->UpdateFiles(true);
        FileForm->XL->Items()->SetCount(int(FileForm->Listing->FileOrder.size()));
    }
    int RowOf(const std::string& name) const { return test::ListedRow(name); }
    FileRec Rec(int row) const { return test::ListedRec(row); }
    // A cache file for a listed picture: a patterned cell and the picture's dimensions.
    std::string WriteCache(const std::string& name, int width, int height, int bits, int seed = 5) {
        const FileRec row = Rec(RowOf(name));
        FileRec trailer = row;
        trailer.SetWidth(uint16_t(width));
        trailer.SetHeight(uint16_t(height));
        trailer.SetBitsPerPixel(uint16_t(bits));
        TBitmap cell;
        test::FillThumbCell(cell, seed);
        const TThumbFile file = ThumbRecFile(row);
        EXPECT_TRUE(WriteThumbFile(trailer, cell, file, row)) << file.Path;
        return file.Path;
    }
    std::vector<std::string> RowTexts(int row) {
        TVListItem* item = FileForm->XL->Items()->Item(row);
        std::vector<std::string> texts = {item->Caption()};
        for (int i = 0; i < item->SubItems()->Count(); ++i) texts.push_back(item->SubItems()->At(i));
        return texts;
    }
    std::string Tip(int row) {
        std::string text;
        FileForm->XLToolTip(FileForm->XL->Items()->Item(row), text);
        return text;
    }
    // The cell a row's delegate paints, cut out of a white item rectangle.
    QImage PaintedCell(int row, bool selected) {
        const int w = FileForm->ListCellWidth, h = FileForm->ListCellHeight;
        QImage canvas(w + 8, h + 40, QImage::Format_RGB888);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            FileForm->XLGetImageIdx(painter, row, QRect(0, 0, w + 8, h + 40), selected);
        }
        return canvas.copy(4, 2, w, h);
    }

    std::string folder_;
};

std::string ShortDateOf(const FileRec& rec) { return FormatDateTime("mm/dd/yy", FileDateToDateTime(rec.FileDate())); }

// ---- Captions, columns and tips

TEST_F(FileListTest, CaptionsColumnsAndTipsOfPicturesAndFolders) {
    AddFile("beach.jpg");
    QImage png(30, 20, QImage::Format_RGB888);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(QString::fromStdString(folder_ + "red.png")));
    MakeOld(folder_ + "red.png");
    AddFolder("albums");
    TFileForm* form = Open();
    WriteCache("beach.jpg", 640, 480, 24);
    Relist();
    form->mnuViewReportClick(form);

    const int jpeg = RowOf("beach.jpg");
    const FileRec jpegRec = Rec(jpeg);
    const std::vector<std::string> texts = RowTexts(jpeg);
    ASSERT_EQ(texts.size(), 4u) << "name, size, date and caption";
    EXPECT_EQ(texts[0], "beach.jpg");
    EXPECT_EQ(texts[1], FormatFileSizeText(int64_t(1500)));
    EXPECT_FALSE(texts[2].empty());
    EXPECT_EQ(texts[3], ".JPG 640x480(24)");
    EXPECT_EQ(Rec(jpeg).Caption(), ".JPG 640x480(24)") << "the caption is written back";
    EXPECT_EQ(Rec(jpeg).State(), 100);
    EXPECT_EQ(Tip(jpeg), " 640x480(24)\r\n " + FormatFileSizeText(int64_t(1500)) + "\r\n " + ShortDateOf(jpegRec));

    EXPECT_EQ(RowTexts(RowOf("red.png"))[3], ".PNG 30x20(24)");

    const int folder = RowOf("albums");
    EXPECT_EQ(RowTexts(folder)[3], "folder");
    EXPECT_EQ(Tip(folder), "folder\r\n  [unknown] \r\n " + ShortDateOf(Rec(folder)));
}

TEST_F(FileListTest, ACacheFileOfAnotherPictureOrTooSmallIsNotTrusted) {
    AddFile("tiny.jpg");
    AddFile("other.jpg", std::string(2000, 'q'));
    TFileForm* form = Open();
    WriteCache("tiny.jpg", 1, 480, 24);
    // A cache file written for other.jpg's old contents: its trailer no longer matches.
    const std::string stale = WriteCache("other.jpg", 300, 200, 24);
    AddFile("other.jpg", std::string(2100, 'q'));
    Relist();
    fs::copy_file(stale, ThumbRecFile(Rec(RowOf("other.jpg"))).Path, fs::copy_options::skip_existing);
    form->mnuViewReportClick(form);
    EXPECT_EQ(RowTexts(RowOf("tiny.jpg"))[3], ".JPG");
    EXPECT_EQ(RowTexts(RowOf("other.jpg"))[3], ".JPG");
}

TEST_F(FileListTest, DrivesViewShowsBlanksAndMyComputer) {
    TFileForm* form = Open();
    form->Listing->UpdateDrives({{"/", "Root", -1}});
    form->XL->Items()->SetCount(int(form->Listing->FileOrder.size()));
    EXPECT_EQ(form->XL->ViewStyle(), vsIcon) << "the drives show as large icons";
    form->mnuViewReportClick(form);
    ASSERT_EQ(RowTexts(0).size(), 4u);
    EXPECT_EQ(RowTexts(0)[3], "   ");
    EXPECT_EQ(Tip(0), "");
    form->UpdateStatusBar();
    EXPECT_EQ(form->StatusPanels[0]->text(), "My Computer");
    EXPECT_EQ(form->StatusPanels[1]->width(), 1);
    EXPECT_EQ(form->StatusPanels[2]->width(), 1);
}

TEST_F(FileListTest, CommentColumnShowsTheFoldersComment) {
    AddFile("a.jpg");
    AddFile("b.jpg");
    TFileForm* form = Open();
    form->mnuViewReportClick(form);
    CommentNames.Clear();
    CommentTexts.Clear();
    CommentNames.Add("b.jpg");
    CommentTexts.Add("by the sea");
    form->Listing->CommentsLoaded = true;
    EXPECT_EQ(RowTexts(RowOf("b.jpg")).back(), "by the sea");
    EXPECT_EQ(RowTexts(RowOf("a.jpg")).size(), 4u);
    form->Listing->CommentsLoaded = false;
    CommentNames.Clear();
    CommentTexts.Clear();
}

// ---- Status bar

TEST_F(FileListTest, StatusBarFollowsTheSelection) {
    AddFile("a.jpg");
    AddFile("b.txt", std::string(3000, 't'));
    AddFolder("sub");
    TFileForm* form = Open();
    form->XL->SetSelected(nullptr);
    form->UpdateStatusBar();
    EXPECT_EQ(form->StatusPanels[0]->text(), "3 object(s)");
    EXPECT_EQ(form->StatusPanels[1]->text().toStdString(), FormatFileSizeText(int64_t(4500)));
    EXPECT_EQ(form->StatusPanels[2]->width(), 1);
    const QLabel* first = form->StatusPanels[0];
    EXPECT_EQ(first->width(), first->fontMetrics().horizontalAdvance(first->text()) + 12);

    form->XL->SelectRows(0, 2, true);
    form->UpdateStatusBar();
    EXPECT_EQ(form->StatusPanels[0]->text(), "3 object(s) selected");
    EXPECT_EQ(form->StatusPanels[1]->width(), 1);

    form->XL->SetSelected(nullptr);
    const int text = RowOf("b.txt");
    form->XL->SelectRows(text, text, true);
    form->UpdateStatusBar();
    EXPECT_EQ(form->StatusPanels[0]->text(), "item selected");
    EXPECT_EQ(form->StatusPanels[1]->text(), ".TXT");
    EXPECT_TRUE(form->StatusPanels[2]->text().startsWith(QString::fromStdString(FormatFileSizeText(int64_t(3000)) + ", ")));

    form->XL->SetSelected(nullptr);
    const int folder = RowOf("sub");
    form->XL->SelectRows(folder, folder, true);
    form->UpdateStatusBar();
    EXPECT_EQ(form->StatusPanels[1]->text(), "folder");
    EXPECT_FALSE(form->StatusPanels[2]->text().contains(','));
}

// ---- Keys

TEST_F(FileListTest, LetterKeysSelectTheNextUnselectedMatch) {
    AddFile("Beach.jpg");
    AddFile("apple.jpg");
    AddFile("bird.jpg");
    TFileForm* form = Open();
    form->XL->SetSelected(nullptr);
    uint16_t key = 'B';
    form->FormKeyDown(form->XL, key, 0);
    EXPECT_EQ(key, 0) << "the letter is consumed";
    EXPECT_EQ(form->XL->SelectedRows(), std::vector<int>{RowOf("Beach.jpg")});
    key = 'B';
    form->FormKeyDown(form->XL, key, 0);
    std::vector<int> both = {RowOf("Beach.jpg"), RowOf("bird.jpg")};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(form->XL->SelectedRows(), both);
    key = 'B';
    form->FormKeyDown(form->XL, key, 0);
    EXPECT_EQ(form->XL->SelectedRows(), both) << "nothing left to add, nothing deselected";
}

// ---- Column clicks

TEST_F(FileListTest, ColumnClicksAlternateDirectionPerColumn) {
    AddFile("a.jpg", std::string(3000, 'a'));
    AddFile("b.jpg", std::string(1000, 'b'));
    AddFile("c.jpg", std::string(2000, 'c'));
    TFileForm* form = Open();
    auto names = [&] {
        std::string s;
        for (size_t row = 0; row < form->Listing->FileOrder.size(); ++row) s += std::string(Rec(int(row)).Name()).substr(0, 1);
        return s;
    };
    form->XLColumnClick(1);
    EXPECT_EQ(names(), "bca");
    form->XLColumnClick(1);
    EXPECT_EQ(names(), "acb");
    form->XLColumnClick(0);
    EXPECT_EQ(names(), "abc");
    form->XLColumnClick(0);
    EXPECT_EQ(names(), "cba");
    form->XLColumnClick(1);
    EXPECT_EQ(names(), "bca") << "the size column keeps its own direction";
    EXPECT_TRUE(form->ArrangeItems[2]->isChecked());
}

// ---- Label editing

TEST_F(FileListTest, EditingTakesTheDeleteShortcutAndRenames) {
    AddFile("keep.jpg");
    TFileForm* form = Open();
    auto* del = qobject_cast<QAction*>(form->FindItem("mnuFDelete"));
    ASSERT_NE(del, nullptr);
    bool allow = true;
    form->XLEditing(form->XL->Items()->Item(0), allow);
    EXPECT_TRUE(allow);
    EXPECT_TRUE(form->Editing);
    EXPECT_TRUE(del->shortcut().isEmpty());
    std::string name = "renamed.jpg";
    form->XLEdited(form->XL->Items()->Item(0), name);
    EXPECT_EQ(name, "renamed.jpg");
    EXPECT_FALSE(form->Editing);
    EXPECT_EQ(del->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_FALSE(fs::exists(folder_ + "keep.jpg"));
    EXPECT_TRUE(fs::exists(folder_ + "renamed.jpg"));
    EXPECT_EQ(Rec(0).Name(), "renamed.jpg");
}

TEST_F(FileListTest, ListUpdatesDoNotNest) {
    TFileForm* form = Open();
    form->ListBeginUpdate();
    form->ListBeginUpdate();
    EXPECT_EQ(form->XL->Items()->UpdateCount(), 1);
    form->ListEndUpdate();
    EXPECT_EQ(form->XL->Items()->UpdateCount(), 0);
    form->ListEndUpdate();
    EXPECT_EQ(form->XL->Items()->UpdateCount(), 0);
}

// ---- Big folders

TEST_F(FileListTest, OnlyRowsNearTheVisibleOnesAreDescribed) {
    for (int i = 0; i < 3000; ++i) test::WriteFileText(folder_ + "pic" + std::to_string(i) + ".jpg", "x");
    for (const auto& entry : fs::directory_iterator(folder_)) MakeOld(entry.path().string());
    TFileForm* form = Open();
    ASSERT_EQ(form->XL->Items()->Count(), 3000);
    int described = 0;
    form->XL->OnData = [&](QObject*, TVListItem* item) {
        ++described;
        form->XLData(item);
    };
    for (auto view : {&TFileForm::mnuViewReportClick, &TFileForm::btnViewThumbsClick}) {
        described = 0;
        (form->*view)(form);
        form->XL->Viewport()->repaint();
        QCoreApplication::processEvents();
        EXPECT_GT(described, 0);
        EXPECT_LT(described, 300) << "rows described for one painted page";
    }
}

// ---- Thumbnail sizes

TEST(ThumbCellSteps, EachStepHasItsCell) {
    const std::pair<int, TCellSize> cases[] = {{1, {64, 48}},   {2, {80, 60}},   {3, {96, 72}},  {4, {120, 90}},
                                               {5, {132, 99}},  {6, {144, 108}}, {7, {152, 114}}, {8, {168, 126}},
                                               {0, {168, 126}}, {9, {168, 126}}, {-1, {168, 126}}};
    for (const auto& [step, cell] : cases) {
        EXPECT_EQ(ThumbCellOfStep(step).Width, cell.Width) << step;
        EXPECT_EQ(ThumbCellOfStep(step).Height, cell.Height) << step;
    }
    EXPECT_EQ(DimensionText(640, 480, 24), "640x480(24)");
}

TEST_F(FileListTest, ThumbnailViewSizesItsCellsAndSpacing) {
    AddFile("a.jpg");
    TFileForm* form = Open();
    form->ThumbsBar->SetPosition(3);
    form->mnuViewThumbsClick(form);
    EXPECT_TRUE(form->ThumbnailView());
    EXPECT_TRUE(form->mnuViewThumbs->isChecked());
    EXPECT_EQ(form->ListCellWidth, 96);
    EXPECT_EQ(form->ListCellHeight, 72);
    EXPECT_EQ(TExplorerControls(EControls).ThumbSize(), 3);
    const int text = form->XL->fontMetrics().boundingRect("|").height();
    EXPECT_EQ(form->XL->CellSize(), QSize(8 * form->XL->logicalDpiX() / 96 + 96, 2 * text + 72 + 8));

    QueueModalResult(mrCancel);
    form->mnuThumbnailSize(form);
    EXPECT_EQ(form->ThumbStep, 3) << "a cancelled dialog changes nothing";
    QueueModalAction([](QDialog& dialog) { dialog.done(mrOk); });
    form->mnuThumbnailSize(form);
    EXPECT_EQ(form->ThumbStep, 3) << "the current step changes nothing";

    form->btnThumbsUpClick(form->btnThumbsUp);
    EXPECT_EQ(form->ThumbStep, 4);
    form->btnThumbsUpClick(form->btnThumbsDn);
    form->btnThumbsUpClick(form->btnThumbsDn);
    EXPECT_EQ(form->ThumbStep, 2);

    form->mnuViewListClick(form);
    EXPECT_FALSE(form->ThumbnailView());
    EXPECT_EQ(form->ListTag, 0);
    EXPECT_EQ(form->XL->ViewStyle(), vsList);
}

// ---- Thumbnail cells

TEST_F(FileListTest, StepEightDrawsTheCachePictureUnscaledAndSelectionMarksIt) {
    AddFile("a.jpg");
    TFileForm* form = Open();
    const std::string path = WriteCache("a.jpg", 640, 480, 24, 9);
    form->ThumbsBar->SetPosition(8);
    form->mnuViewThumbsClick(form);
    TBitmap cell;
    test::FillThumbCell(cell, 9);
    const QImage expected = cell.ToQImage().convertToFormat(QImage::Format_RGB888);
    const QImage plain = PaintedCell(0, false);
    // Inside the one-pixel frame the cell is the cache picture itself.
    EXPECT_EQ(plain.copy(1, 1, 166, 124), expected.copy(1, 1, 166, 124));
    const QImage selected = PaintedCell(0, true);
    EXPECT_NE(selected, plain);
    EXPECT_EQ(selected.pixelColor(3, 3), QColor(Qt::white)) << "the overlay's dots";
    EXPECT_EQ(selected.pixelColor(2, 2), expected.pixelColor(2, 2));
    EXPECT_EQ(selected.pixelColor(0, 50), form->XL->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(FileListTest, StepThreeShrinksByTheIndexFormulaAsNumpyDoes) {
    if (!QFile::exists("/usr/bin/python3")) GTEST_SKIP() << "python3 with numpy and PIL is needed";
    AddFile("a.jpg");
    TFileForm* form = Open();
    const std::string path = WriteCache("a.jpg", 640, 480, 24, 21);
    form->ThumbsBar->SetPosition(3);
    form->mnuViewThumbsClick(form);
    const QImage painted = PaintedCell(0, false);
    const std::string ppm = Home() + "shrunk.ppm";
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c", "import io, sys, numpy as np; from PIL import Image; "
                        "data = open(sys.argv[1], 'rb').read(); "
                        "a = np.asarray(Image.open(io.BytesIO(data)).convert('RGB')); "
                        "w, h = 96, 72; ys = np.minimum(np.arange(h) * 125 // h, 125); "
                        "xs = np.minimum(np.arange(w) * 167 // (w - 1), 167); "
                        "Image.fromarray(a[ys][:, xs]).save(sys.argv[2])",
                  QString::fromStdString(path), QString::fromStdString(ppm)});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QImage expected = QImage(QString::fromStdString(ppm)).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(expected.size(), QSize(96, 72));
    // Every pixel inside the focus frame.
    EXPECT_EQ(painted.copy(1, 1, 94, 70), expected.copy(1, 1, 94, 70));
}

TEST_F(FileListTest, RowsWithoutCacheFilesDrawStockPicturesOrWait) {
    AddFile("failed.jpg");
    AddFile("pending.jpg");
    TFileForm* form = Open();
    form->ThumbsBar->SetPosition(8);
    form->mnuViewThumbsClick(form);
    TBitmap stock;
    test::FillThumbCell(stock, 77);
    ASSERT_TRUE(WriteThumbFile(FileRec{}, stock, ThumbStockFile(-4), FileRec{}));
    int32_t recNo = -1;
    FileRec rec;
    const int failed = RowOf("failed.jpg");
    form->Listing->RowRec(failed, rec, &recNo);
    rec.SetState(3);
    form->Listing->WriteRec(recNo, rec);

    const QImage expected = stock.ToQImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(PaintedCell(failed, false).copy(1, 1, 166, 124), expected.copy(1, 1, 166, 124));

    const int pending = RowOf("pending.jpg");
    QImage blank(168, 126, QImage::Format_RGB888);
    blank.fill(Qt::white);
    EXPECT_EQ(PaintedCell(pending, false), blank) << "nothing is drawn";
    EXPECT_EQ(Rec(pending).State(), 1);
}

TEST_F(FileListTest, TheCellCacheServesRepaintsUntilInvalidated) {
    AddFile("a.jpg");
    TFileForm* form = Open();
    const std::string path = WriteCache("a.jpg", 640, 480, 24, 1);
    form->ThumbsBar->SetPosition(8);
    form->mnuViewThumbsClick(form);
    TThumbCellCache& cells = ThumbCells();
    const int64_t reads = cells.FileReads;
    const QImage first = PaintedCell(0, false);
    EXPECT_EQ(cells.FileReads, reads + 1);
    WriteCache("a.jpg", 640, 480, 24, 100);
    EXPECT_EQ(PaintedCell(0, false), first) << "served from memory";
    EXPECT_EQ(cells.FileReads, reads + 1) << "without reading the file";
    cells.Invalidate(path);
    const QImage second = PaintedCell(0, false);
    EXPECT_NE(second, first);
    EXPECT_EQ(cells.FileReads, reads + 2);
}

TEST(ThumbCellCache, DropsTheLeastRecentlyUsedAndRejectsCutFiles) {
    const std::string root = Home() + "cellcache/";
    fs::create_directories(root);
    ThumbRecOffset = 0;
    TBitmap cell;
    test::FillThumbCell(cell, 3);
    TThumbCellCache cache(2);
    std::vector<TThumbFile> files;
    for (const char* name : {"A", "B", "C"}) {
        files.push_back({root + name, TThumbFileKind::Stock});
        ASSERT_TRUE(WriteThumbFile(FileRec{}, cell, files.back(), FileRec{}));
    }
    // Stock files are only valid at the measured offset.
    TMemoryStream image;
    cell.SaveToStream(image);
    ThumbRecOffset = int32_t(image.Size());
    for (const TThumbFile& f : files) EXPECT_FALSE(cache.Cell(f, FileRec{}).isNull()) << f.Path;
    EXPECT_EQ(cache.Size(), 2u);
    EXPECT_FALSE(cache.Holds(files[0].Path));
    EXPECT_TRUE(cache.Holds(files[2].Path));
    // A smaller cell is shrunk once and kept for the repaints that follow.
    const QImage shrunk = cache.Cell(files[2], FileRec{}, 64, 48);
    EXPECT_EQ(shrunk, ShrinkThumbnail(cache.Cell(files[2], FileRec{}), 64, 48));
    EXPECT_EQ(cache.Cell(files[2], FileRec{}, 64, 48).cacheKey(), shrunk.cacheKey());

    fs::resize_file(files[0].Path, 4000);
    EXPECT_TRUE(cache.Cell(files[0], FileRec{}).isNull()) << "a cut file is not drawn";
    ThumbRecOffset = 0;
}

// Screenshots of the list in each view for a look by eye: only when
// LUMVOR_SHOTS names a folder to write them to.
TEST_F(FileListTest, ScreenshotsOfEachView) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    AddFolder("holidays");
    AddFolder("a folder with a rather long name");
    const char* names[] = {"Beach at dawn.jpg", "bird.jpg", "city lights by night over the river.jpg", "dune.jpg",
                           "evening.png", "forest.jpg", "notes.txt", "garden.jpg", "harbour.jpg", "island.jpg"};
    int seed = 0;
    for (const char* name : names) {
        QImage picture(40 + seed * 7, 30 + seed * 3, QImage::Format_RGB888);
        picture.fill(QColor::fromHsv((seed * 37) % 360, 160, 220));
        picture.save(QString::fromStdString(folder_ + name), std::string(name).ends_with(".txt") ? "PNG" : nullptr);
        MakeOld(folder_ + name);
        ++seed;
    }
    TFileForm* form = Open();
    form->resize(900, 620);
    seed = 0;
    for (const char* name : names) {
        if (std::string(name) != "dune.jpg" && std::string(name) != "notes.txt") {
            const FileRec row = Rec(RowOf(name));
            FileRec trailer = row;
            trailer.SetWidth(uint16_t(1600 + seed));
            trailer.SetHeight(1200);
            trailer.SetBitsPerPixel(24);
            TBitmap cell;
            cell.SetPixelFormat(pf24bit);
            cell.SetSize(168, 126);
            const QColor c = QColor::fromHsv((seed * 37) % 360, 160, 220);
            for (int y = 0; y < 126; ++y) {
                uint8_t* line = cell.ScanLine(y);
                for (int x = 0; x < 168; ++x) {
                    const bool border = x < 12 || x > 155 || y < 10 || y > 115;
                    line[3 * x] = border ? 255 : uint8_t(c.blue() * (x + y) / 294);
                    line[3 * x + 1] = border ? 255 : uint8_t(c.green());
                    line[3 * x + 2] = border ? 255 : uint8_t(c.red() * y / 126);
                }
            }
            WriteThumbFile(trailer, cell, ThumbRecFile(row), row);
        }
        ++seed;
    }
    TBitmap stock;
    test::FillThumbCell(stock, 40);
    WriteThumbFile(FileRec{}, stock, ThumbStockFile(-1), FileRec{});
    Relist();
    auto shot = [&](const std::string& name) {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
        form->grab().save(QString::fromStdString(out + name + ".png"));
    };
    form->XL->SelectRows(3, 3, true);
    form->btnViewLgIconsClick(form);
    shot("icons");
    form->mnuViewListClick(form);
    shot("list");
    form->mnuViewReportClick(form);
    form->UpdateStatusBar();
    shot("details");
    for (int step : {8, 5, 3, 1}) {
        form->ThumbsBar->SetPosition(step);
        form->mnuViewThumbsClick(form);
        shot("thumbs" + std::to_string(step));
    }
    form->ThumbsBar->SetPosition(6);
    form->mnuViewThumbsClick(form);
    const QRect r = form->XL->View()->visualRect(form->XL->View()->model()->index(3, 0));
    QHelpEvent help(QEvent::ToolTip, r.center(), form->XL->Viewport()->mapToGlobal(r.center()));
    QCoreApplication::sendEvent(form->XL->Viewport(), &help);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    if (QLabel* tip = form->XL->TipWindow()) {
        tip->grab().save(QString::fromStdString(out + "tooltip.png"));
        std::printf("tip %s at %d,%d %dx%d visible %d\n", tip->text().toUtf8().constData(), tip->x(), tip->y(),
                    tip->width(), tip->height(), int(tip->isVisible()));
    }
    form->mnuViewReportClick(form);
    form->XL->SetItemFocused(form->XL->Items()->Item(4));
    form->XL->View()->setCurrentIndex(form->XL->View()->model()->index(4, 0));
    form->XL->View()->edit(form->XL->View()->model()->index(4, 0));
    shot("rename");
    form->XL->View()->closePersistentEditor(form->XL->View()->model()->index(4, 0));
}

}  // namespace
}  // namespace lumvor
