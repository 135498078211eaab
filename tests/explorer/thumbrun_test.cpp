// The explorer's thumbnail run in the thumbnail view over real folders: what
// it writes to the cache with and without worker threads, its progress,
// stopping and resuming, Redo thumbs, and the cache commands Clear and Recent
// Clear. The run is driven by the event loop's idle handler exactly as in the
// program; every wait has a deadline.
#include "explorer/xplr8900.h"

#include "album/show8900.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbCacheClear.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbWorkers.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include "support/explorer_state.h"
#include "support/event_wait.h"
#include "support/file_helpers.h"
#include "support/idle_wait.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;
using namespace xplr8900;

constexpr int DeadlineMs = 60000;
const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/";

std::string Home() { return IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")); }

void MakeOld(const std::string& path) {
    fs::last_write_time(fs::path(ExcludeTrailingPathDelimiter(path)),
                        fs::file_time_type::clock::now() - std::chrono::minutes(1));
}

using test::SpinUntil;

// Regular files below a folder as `find` lists them, relative to it.
std::set<std::string> FindFiles(const std::string& folder) {
    std::set<std::string> files;
    for (const std::string& line : test::CommandLines("cd '" + folder + "' && find . -type f | sed 's|^\\./||'"))
        files.insert(line);
    return files;
}

class ThumbRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        test::ResetExplorerState();
        lumv8900::RecentPath.clear();
        ThumbRunActive = ThumbsComplete = false;
        CurrThumb = ThumbCount = -1;
        CoreCancel = false;
        ThumbRunHooks = {};
        TExplorerControls(EControls).SetThumbSize(8);
        EControls.SetByte(ec::ThumbJpegDecode, 1);
        savedWorkers_ = lumv8900::ViewerControls.Int(vc::ThumbThreads);
        SetWorkers(0);
        folder_ = Home() + "pics/";
        fs::create_directories(folder_);
        ExploreDir = folder_;
        ThumbRunHooks.Making = [this](const std::string& file) { made_.push_back(ExtractFileName(file)); };
        ThumbRunHooks.CacheWritten = [this](const std::string& file) { written_.push_back(file); };
    }
    void TearDown() override {
        ThumbRunHooks = {};
        test::CloseExplorer();
        lumv8900::ViewerControls.SetInt(vc::ThumbThreads, savedWorkers_);
        lumv8900::RecentPath.clear();
        test::ResetApplicationHooks();
    }

    static void SetWorkers(int setting) { lumv8900::ViewerControls.SetInt(vc::ThumbThreads, setting); }

    void Place(const std::string& fixture, const std::string& name) {
        fs::copy_file(Fixtures + fixture, folder_ + name, fs::copy_options::overwrite_existing);
        MakeOld(folder_ + name);
    }
    void AddText(const std::string& name) {
        test::WriteFileText(folder_ + name, "some notes\n");
        MakeOld(folder_ + name);
    }
    // The folder of the first tests: three JPEGs, a PNG, three text files, a
    // corrupt JPEG, a JPEG with a preview that does not load, a PNG too large.
    void PlaceMixedFolder() {
        Place("thumbworkers/photo_1024x768.jpg", "a.jpg");
        Place("thumbworkers/photo_1024x768.jpg", "b.jpg");
        Place("thumbworkers/photo_1024x768.jpg", "c.jpg");
        Place("thumbs/png10.png", "d.png");
        Place("thumbworkers/corrupt.jpg", "e_corrupt.jpg");
        Place("thumbrun/bad_preview.jpg", "f_preview.jpg");
        Place("thumbrun/huge_40000.png", "g_huge.png");
        for (const char* name : {"n1.txt", "n2.txt", "n3.txt"}) AddText(name);
    }

    TFileForm* Open() {
        MakeOld(folder_);
        return test::OpenExplorer();
    }
    // Switches to the thumbnail view and lets the run end.
    void RunThumbnails() {
        FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
        ASSERT_TRUE(SpinUntil([] { return ThumbsComplete && !ThumbRunActive; })) << "the run did not end";
    }
    int RowOf(const std::string& name) const {
        const int row = test::ListedRow(name);
        if (row < 0) ADD_FAILURE() << name << " is not listed";
        return row;
    }
    FileRec Rec(int row) const { return test::ListedRec(row); }
    TThumbFile CacheOf(const std::string& name) const { return ThumbRecFile(Rec(RowOf(name))); }
    FileRec TrailerOf(const std::string& name) const {
        FileRec trailer;
        EXPECT_TRUE(ReadThumbInfo(trailer.Bytes.data(), CacheOf(name).Path)) << name;
        return trailer;
    }
    // The cell the list paints for a row, its frame left out.
    QImage PaintedCell(const std::string& name) {
        QImage canvas(168, 130, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        {
            QPainter painter(&canvas);
            FileForm->XLGetImageIdx(painter, RowOf(name), QRect(0, 0, 168, 130), false);
        }
        return canvas.copy(1, 3, 166, 124);
    }
    QImage StockCell(int position) {
        QImage stock(QString::fromStdString(ThumbStockFile(position).Path), "BMP");
        return stock.convertToFormat(QImage::Format_RGB32).copy(1, 1, 166, 124);
    }
    std::string SubFolder() const { return ThumbRoot + ThumbFolderName + "/"; }

    std::string folder_;
    int savedWorkers_ = 0;
    std::vector<std::string> made_;
    std::vector<std::string> written_;
};

TEST_F(ThumbRunTest, GuiThreadRunCachesEveryPictureOnceAndTextFilesInOneSharedFile) {
    PlaceMixedFolder();
    Open();
    RunThumbnails();
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(FileForm->StatusPanels[0]->text().toStdString(), "10 object(s)");

    std::set<std::string> expected = {"_.rec", "00000001", "00000002", "00000003", "00000004", "TXT"};
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.png", "e_corrupt.jpg", "f_preview.jpg"}) {
        const TThumbFile cache = CacheOf(name);
        EXPECT_EQ(cache.Kind, TThumbFileKind::PerFile) << name;
        EXPECT_TRUE(ThumbFilePresent(cache, Rec(RowOf(name)))) << name;
        expected.insert(ThumbFolderName + "/" + ExtractFileName(cache.Path));
    }
    EXPECT_EQ(FindFiles(ThumbRoot), expected);

    EXPECT_EQ(TrailerOf("a.jpg").Caption(), "1024x768(24) .JPG");
    EXPECT_EQ(TrailerOf("a.jpg").State(), fsPresent);
    EXPECT_EQ(TrailerOf("d.png").Caption(), "10x10(24) .PNG");
    // The preview that does not load counts as no preview: the picture itself is read at once.
    EXPECT_EQ(TrailerOf("f_preview.jpg").Caption(), "480x360(24) .JPG");
    EXPECT_EQ(std::count(made_.begin(), made_.end(), "f_preview.jpg"), 1);
    // The corrupt JPEG keeps the warning icon, with an empty size text.
    EXPECT_EQ(TrailerOf("e_corrupt.jpg").Caption(), " .JPG");
    EXPECT_EQ(PaintedCell("e_corrupt.jpg"), StockCell(-4));
    EXPECT_EQ(TrailerOf("n2.txt").Caption(), ".TXT");
    // The too-large PNG: no cache file, the stock picture, skipped by later steps.
    EXPECT_EQ(Rec(RowOf("g_huge.png")).State(), fsTooLarge);
    EXPECT_EQ(PaintedCell("g_huge.png"), StockCell(-3));
    // Each picture was decoded once; the text files share the first one's file.
    EXPECT_EQ(std::count(made_.begin(), made_.end(), "a.jpg"), 1);
    EXPECT_EQ(std::count(made_.begin(), made_.end(), "n1.txt") + std::count(made_.begin(), made_.end(), "n2.txt") +
                  std::count(made_.begin(), made_.end(), "n3.txt"),
              1);

    // A second run over the same folder writes nothing.
    written_.clear();
    FileForm->mnuViewListClick(FileForm->mnuViewList);
    FileForm->Listing->UpdateFiles(true);
    RunThumbnails();
    EXPECT_TRUE(written_.empty()) << written_.front();
}

TEST_F(ThumbRunTest, WorkerRunLeavesFailedJpegToTheStockPictureAndWritesWorkerTrailers) {
    SetWorkers(1);
    PlaceMixedFolder();
    Open();
    RunThumbnails();

    // Row 0 (a.jpg) is made by the step that starts the first batch; the workers take the other JPEGs.
    EXPECT_EQ(TrailerOf("a.jpg").Caption(), "1024x768(24) .JPG");
    for (const char* name : {"b.jpg", "c.jpg", "f_preview.jpg"}) {
        const FileRec trailer = TrailerOf(name);
        EXPECT_EQ(trailer.Caption(), "") << name;
        EXPECT_EQ(trailer.State(), 0) << name;
        EXPECT_EQ(trailer.BitsPerPixel(), 24) << name;
        EXPECT_EQ(std::count(made_.begin(), made_.end(), name), 0) << name << " was made on the GUI thread";
    }
    EXPECT_EQ(TrailerOf("b.jpg").Width(), 1024);
    EXPECT_EQ(TrailerOf("f_preview.jpg").Height(), 360);
    // The worker's decoder failure stays failed: no cache file, the stock picture.
    const FileRec corrupt = Rec(RowOf("e_corrupt.jpg"));
    EXPECT_EQ(corrupt.State(), fsFailed);
    EXPECT_FALSE(fs::exists(CacheOf("e_corrupt.jpg").Path));
    EXPECT_EQ(PaintedCell("e_corrupt.jpg"), StockCell(-4));
    // The rest as without workers.
    EXPECT_EQ(TrailerOf("d.png").Caption(), "10x10(24) .PNG");
    EXPECT_EQ(Rec(RowOf("g_huge.png")).State(), fsTooLarge);
    EXPECT_TRUE(ThumbFilePresent(TThumbFile{ThumbRoot + "TXT", TThumbFileKind::Shared}, FileRec()));
}

// A preview whose header loads but which does not decode: the second call
// without the preview makes the thumbnail, and its size text stays empty.
TEST_F(ThumbRunTest, PreviewThatLoadsButDoesNotDecodeLeavesAnEmptySizeText) {
    Place("thumbrun/undecodable_preview.jpg", "p.jpg");
    Open();
    RunThumbnails();
    EXPECT_EQ(TrailerOf("p.jpg").Caption(), " .JPG");
    EXPECT_EQ(TrailerOf("p.jpg").Width(), 480);
    EXPECT_EQ(std::count(made_.begin(), made_.end(), "p.jpg"), 2);
    EXPECT_NE(PaintedCell("p.jpg"), StockCell(-4));
}

TEST_F(ThumbRunTest, ProgressStopAndResume) {
    for (int i = 0; i < 10; ++i) Place("thumbs/png10.png", "p" + std::to_string(i) + ".png");
    Open();
    std::string progressAtFourth;
    ThumbRunHooks.Making = [&](const std::string&) {
        made_.push_back("");
        if (made_.size() == 4) progressAtFourth = FileForm->StatusPanels[0]->text().toStdString();
        if (made_.size() == 5) FileForm->Thumbnailing_Stop();
    };
    FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
    ASSERT_TRUE(SpinUntil([&] { return made_.size() >= 5; }));
    EXPECT_EQ(progressAtFourth, "Thumbs:33%");

    EXPECT_FALSE(ThumbRunActive);
    EXPECT_FALSE(ThumbsComplete);
    EXPECT_FALSE(Application.OnIdle);
    EXPECT_EQ(FileForm->StatusPanels[0]->text().toStdString(), "Press [F5] to refresh or select \"Redo thumbs\".");
    const size_t before = made_.size();
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(made_.size(), before) << "a stopped run went on";

    // The rows made before are found by their cache files, not decoded again.
    FileForm->Thumbnailing_Resume();
    ASSERT_TRUE(SpinUntil([] { return ThumbsComplete; }));
    EXPECT_EQ(made_.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(fs::exists(CacheOf("p" + std::to_string(i) + ".png").Path));
}

TEST_F(ThumbRunTest, EmptyFolderInstallsNothingAndCachedFolderEndsWithoutDecoding) {
    Open();
    FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
    SpinUntil([] { return false; }, 200);
    EXPECT_FALSE(ThumbRunActive);
    EXPECT_FALSE(Application.OnIdle);

    Place("thumbworkers/photo_1024x768.jpg", "a.jpg");
    Place("thumbs/png10.png", "b.png");
    FileForm->Listing->UpdateFiles(true);
    FileForm->PostExplorerMessage(30);
    ASSERT_TRUE(SpinUntil([] { return ThumbsComplete; }));
    EXPECT_EQ(made_.size(), 2u);

    made_.clear();
    FileForm->Listing->UpdateFiles(true);
    EXPECT_FALSE(ThumbsComplete);
    FileForm->PostExplorerMessage(30);
    ASSERT_TRUE(SpinUntil([] { return ThumbsComplete; }));
    EXPECT_TRUE(made_.empty());
    EXPECT_FALSE(Application.OnIdle);
}

// The cache sub-folder removed under a running run: the next failed write
// makes it again and the later rows are cached.
TEST_F(ThumbRunTest, VanishedSubFolderIsMadeAgain) {
    for (int i = 0; i < 4; ++i) Place("thumbs/png10.png", "p" + std::to_string(i) + ".png");
    Open();
    ThumbRunHooks.Making = [&](const std::string&) {
        made_.push_back("");
        if (made_.size() == 2) fs::remove_all(SubFolder());
    };
    RunThumbnails();
    EXPECT_TRUE(fs::is_directory(SubFolder()));
    EXPECT_FALSE(fs::exists(CacheOf("p1.png").Path));
    EXPECT_TRUE(fs::exists(CacheOf("p3.png").Path));
}

// A folder chosen in the thumbnail view gets its run.
TEST_F(ThumbRunTest, NavigatingInTheThumbnailViewRunsTheNewFolder) {
    Place("thumbs/png10.png", "p.png");
    Open();
    RunThumbnails();
    made_.clear();
    const std::string other = Home() + "other/";
    fs::create_directories(other);
    fs::copy_file(Fixtures + "thumbs/png10.png", other + "q.png");
    MakeOld(other + "q.png");
    MakeOld(other);
    FileForm->LookBox->SetFolder(other);
    ASSERT_EQ(ExploreDir, other);
    ASSERT_TRUE(SpinUntil([] { return ThumbsComplete; }));
    EXPECT_EQ(made_, std::vector<std::string>{"q.png"});
    EXPECT_TRUE(fs::exists(CacheOf("q.png").Path));
}

// A restart leaves another window's idle handler (the image window's
// start-up step) its turn and starts once it is gone.
TEST_F(ThumbRunTest, RestartWaitsForAnotherWindowsIdleStep) {
    Place("thumbs/png10.png", "p.png");
    Open();
    FileForm->btnViewThumbsClick(FileForm->mnuViewThumbs);
    FileForm->Thumbnailing_Stop();
    int otherSteps = 0;
    Application.OnIdle = [&](bool& done) {
        ++otherSteps;
        Application.OnIdle = nullptr;
        done = true;
    };
    FileForm->PostExplorerMessage(30);
    ASSERT_TRUE(SpinUntil([] { return ThumbsComplete; }));
    EXPECT_EQ(otherSteps, 1);
    EXPECT_EQ(made_, std::vector<std::string>{"p.png"});
}

TEST_F(ThumbRunTest, StopShowsItsTextOnlyWhenARunWasActive) {
    Open();
    ThumbsComplete = true;
    CurrThumb = 4;
    FileForm->StatusPanels[0]->setText("1 object(s)");
    CoreCancel = false;
    FileForm->Thumbnailing_Stop();
    EXPECT_TRUE(CoreCancel);
    EXPECT_TRUE(ThumbsComplete);
    EXPECT_EQ(CurrThumb, 4);
    EXPECT_EQ(FileForm->StatusPanels[0]->text().toStdString(), "1 object(s)");

    const std::string stopped = "Press [F5] to refresh or select \"Redo thumbs\".";
    struct {
        bool batchBusy;
        std::string text;
    } cases[] = {{false, stopped}, {true, "1 object(s)"}};
    for (const auto& c : cases) {
        FileForm->StatusPanels[0]->setText("1 object(s)");
        FileForm->BatchBusy = c.batchBusy;
        ThumbRunActive = true;
        FileForm->Thumbnailing_Stop();
        EXPECT_FALSE(ThumbRunActive);
        EXPECT_FALSE(ThumbsComplete);
        EXPECT_EQ(CurrThumb, -1);
        EXPECT_EQ(ThumbCount, -1);
        EXPECT_EQ(FileForm->StatusPanels[0]->text().toStdString(), c.text) << "BatchBusy " << c.batchBusy;
    }
    FileForm->BatchBusy = false;
}

TEST_F(ThumbRunTest, RedoInTheListViewWaitsIdlyForTheThumbnailView) {
    Place("thumbworkers/photo_1024x768.jpg", "a.jpg");
    Place("thumbs/png10.png", "b.png");
    Open();
    RunThumbnails();
    FileForm->mnuViewListClick(FileForm->mnuViewList);
    made_.clear();
    FileForm->mnuRedoThumbsClick(FileForm->mnuRedoThumbs);
    EXPECT_FALSE(fs::exists(CacheOf("a.jpg").Path));
    EXPECT_EQ(Rec(RowOf("a.jpg")).Mark(), FileRecMarkRetry);

    // The folder monitor also watches the folder's top ancestor (/tmp), which
    // tests running in parallel keep busy; this measures the run's own idling.
    FileForm->FolderMonitor_Terminate();
    SpinUntil([] { return false; }, 100);
    // An idle run leaves the loop asleep: it turns only for the timer that
    // ends the wait and what few events come by. A run that asked for its
    // next step at once would turn it thousands of times, however busy the
    // machine; it would also burn the greater part of the CPU time it got.
    const double cpuBefore = test::ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    int turns = 0;
    {
        test::LoopTurns counted;
        test::RunQuietlyFor(2000);
        turns = counted.Count();
    }
    const double cpu = test::ProcessCpuSeconds() - cpuBefore;
    EXPECT_LT(turns, 100) << "the event loop turned " << turns << " times in " << clock.elapsed() << " ms";
    EXPECT_LT(cpu, 0.5 * double(clock.elapsed()) / 1000.0) << "CPU seconds while waiting: " << cpu;
    EXPECT_TRUE(made_.empty());

    RunThumbnails();
    EXPECT_EQ(made_, (std::vector<std::string>{"a.jpg", "b.png"}));
    EXPECT_TRUE(fs::exists(CacheOf("a.jpg").Path));
    SpinUntil([] { return false; }, 200);
    EXPECT_EQ(made_.size(), 2u) << "the redo ran twice";
}

TEST_F(ThumbRunTest, RedoOverASelectionRemakesFilesAndLeavesFoldersAndTheCache) {
    Place("thumbworkers/photo_1024x768.jpg", "a.jpg");
    Place("thumbs/png10.png", "b.png");
    test::WriteFileText(folder_ + "README", "read me\n");
    MakeOld(folder_ + "README");
    fs::create_directories(folder_ + "Holiday");
    MakeOld(folder_ + "Holiday");
    Open();
    RunThumbnails();
    const FileRec folderBefore = Rec(RowOf("Holiday"));
    const std::string pngCache = CacheOf("b.png").Path;
    const auto pngWritten = fs::last_write_time(pngCache);

    made_.clear();
    written_.clear();
    for (const char* name : {"README", "Holiday", "a.jpg"})
        FileForm->XL->SelectRows(RowOf(name), RowOf(name), true);
    FileForm->mnuRedoThumbsClick(FileForm->mnuRedoThumbs);
    ASSERT_TRUE(SpinUntil([&] { return ThumbsComplete && !made_.empty(); }));

    EXPECT_EQ(std::count(made_.begin(), made_.end(), "a.jpg"), 1);
    EXPECT_EQ(std::count(made_.begin(), made_.end(), "b.png"), 0);
    EXPECT_TRUE(ThumbFilePresent(CacheOf("a.jpg"), Rec(RowOf("a.jpg"))));
    EXPECT_EQ(fs::last_write_time(pngCache), pngWritten);
    EXPECT_EQ(Rec(RowOf("Holiday")).Bytes, folderBefore.Bytes);
    EXPECT_TRUE(fs::is_directory(ThumbRoot));
    EXPECT_TRUE(fs::is_directory(SubFolder()));
    EXPECT_TRUE(fs::exists(ThumbRoot + "_other"));
}

TEST_F(ThumbRunTest, ClearDeletesOnlyTheCacheFromAFolderOfTheUser) {
    const std::string own = Home() + "mine/";
    fs::create_directories(own + "Holiday");
    test::WriteFileText(own + "notes.txt", "notes\n");
    test::WriteFileText(own + "README", "read me\n");
    lumv8900::ThumbCacheDir = own;
    Place("thumbworkers/photo_1024x768.jpg", "a.jpg");
    AddText("n.txt");
    Open();
    RunThumbnails();
    ASSERT_EQ(ThumbRoot, own);
    ASSERT_TRUE(fs::exists(own + "TXT"));
    fs::create_directories(Home() + "recent");
    test::WriteFileText(HistoryListFile(), "/tmp/\r\n");

    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk);
    FileForm->mnuCacheKillClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Delete thumbnail cache of ALL VISITED FOLDERS?");

    // The user's entries stay; of the cache only the current folder's empty sub-folder is made again.
    EXPECT_EQ(FindFiles(own), (std::set<std::string>{"notes.txt", "README"}));
    std::set<std::string> entries;
    for (const auto& entry : fs::directory_iterator(own)) entries.insert(entry.path().filename().string());
    EXPECT_EQ(entries, (std::set<std::string>{"notes.txt", "README", "Holiday", ThumbFolderName}));
    EXPECT_FALSE(fs::exists(Home() + "recent"));
    EXPECT_FALSE(fs::exists(HistoryListFile()));
}

TEST_F(ThumbRunTest, RecentClearEmptiesTheVisitedFoldersBeforeItsQuestion) {
    Open();
    HistoryList.Add("/tmp/");
    HistoryList.Add(folder_);
    test::WriteFileText(HistoryListFile(), "/tmp/\r\n");
    fs::create_directories(Home() + "recent");

    std::vector<test::Box> boxes;
    test::Answer(boxes, mrCancel);
    FileForm->mnuKillRecentClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Delete all Recent folder links?");
    EXPECT_EQ(HistoryList.Count(), 0);
    EXPECT_TRUE(fs::exists(HistoryListFile()));
    EXPECT_TRUE(fs::exists(Home() + "recent"));

    test::Answer(boxes, mrOk);
    FileForm->mnuKillRecentClick(nullptr);
    EXPECT_FALSE(fs::exists(HistoryListFile()));
    EXPECT_FALSE(fs::exists(Home() + "recent"));
    EXPECT_EQ(ExploreDir, folder_);
}

// The catalog generator's sender prepares a run (the four stock files) and
// installs none; the debug dump names the set flags and the run's counters.
TEST_F(ThumbRunTest, TestSenderPreparesOnlyAndTheDebugDumpShowsTheState) {
    Place("thumbs/png10.png", "b.png");
    Open();
    FileForm->StartThumbnailRun(FileForm->test);
    EXPECT_FALSE(Application.OnIdle);
    EXPECT_TRUE(CoreCancel);
    for (int position = -1; position >= -4; --position)
        EXPECT_TRUE(ThumbFilePresent(ThumbStockFile(position), FileRec())) << position;

    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk);
    test::Answer(boxes, mrOk);
    FileForm->testClick(FileForm->test);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "CoreCancel");
    EXPECT_EQ(boxes[1].text, "N thumbs needed: 0 CurrThumb:-1 N=0");
    ThumbRunActive = false;
}

// Screenshots of the explorer during and after a run, for a look by eye:
// only when LUMVOR_SHOTS names a folder to write them to.
TEST_F(ThumbRunTest, ScreenshotsDuringAndAfterARun) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    for (int i = 0; i < 14; ++i) {
        QImage picture(400 + i * 40, 300, QImage::Format_RGB888);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixelColor(x, y, QColor::fromHsv((i * 25 + x / 8) % 360, 80 + y / 3, 230));
        const std::string name = folder_ + "photo " + std::to_string(10 + i) + ".jpg";
        picture.save(QString::fromStdString(name), "JPG", 90);
        MakeOld(name);
    }
    Place("thumbworkers/corrupt.jpg", "broken.jpg");
    Place("thumbrun/huge_40000.png", "panorama.png");
    AddText("notes.txt");
    fs::create_directories(folder_ + "Holiday");
    MakeOld(folder_ + "Holiday");
    TFileForm* form = Open();
    form->resize(1000, 720);
    ThumbRunHooks.Making = [&](const std::string&) {
        made_.push_back("");
        if (made_.size() == 8) {
            QCoreApplication::processEvents();
            form->grab().save(QString::fromStdString(out + "thumbrun_during.png"));
        }
    };
    RunThumbnails();
    SpinUntil([] { return false; }, 300);
    form->grab().save(QString::fromStdString(out + "thumbrun_after.png"));
    form->XL->SelectRows(RowOf("photo 12.jpg"), RowOf("photo 12.jpg"), true);
    form->Thumbnailing_Stop();
    SpinUntil([] { return false; }, 300);
    form->grab().save(QString::fromStdString(out + "thumbrun_stopped.png"));
}

// What Clear deletes from a cache root: a table of entries and whether each stays.
TEST(ThumbCacheClear, DeletesOnlyTheCachesOwnEntries) {
    const std::string root = IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")) + "root/";
    fs::create_directories(root);
    ThumbRecOffset = 0;
    lumv8900::ThumbCacheDir = root;
    ExploreDir = root;
    PrepareThumbFolder(nullptr);
    ASSERT_GT(ThumbRecOffset, 0);
    const std::string cacheBytes = test::ReadFileText(root + "_.rec");
    auto cache = [&](const std::string& path) { test::WriteFileText(root + path, cacheBytes); };
    auto other = [&](const std::string& path) { test::WriteFileText(root + path, "not a cache file"); };

    cache("TXT");
    cache("00000003");
    cache("_other");
    cache("TXT.lumvor-tmp");
    cache("README");  // a shared file's name and bytes: the cache's own
    other("DATA");
    other("notes.txt");
    other("readme");
    cache("AB12CD34/0123456789ABCDEF");
    cache("AB12CD34/01234567ABV.rec");
    cache("AB12CD34/01234567ABV.rec.lumvor-tmp");
    cache("AB12CD34/.01234567ABV.rec.lumvor-77-1.part");
    cache("AB12CD35/01234567ABC.rec");
    other("AB12CD35/keep.jpg");
    cache("AB12CD35/01234567ABW.rec");  // W is no base-32 digit
    other("Holiday/01234567ABC.rec");
    fs::create_symlink(root + "TXT", root + "LNK");

    const int removed = ClearThumbCache(root);
    EXPECT_EQ(FindFiles(root), (std::set<std::string>{"DATA", "notes.txt", "readme", "AB12CD35/keep.jpg",
                                                      "AB12CD35/01234567ABW.rec", "Holiday/01234567ABC.rec"}));
    EXPECT_TRUE(fs::is_symlink(root + "LNK"));
    EXPECT_FALSE(fs::exists(root + "AB12CD34"));
    EXPECT_FALSE(fs::exists(root + ThumbFolderName));
    EXPECT_EQ(removed, 13);
    ThumbRecOffset = 0;
    ExploreDir.clear();
    lumv8900::ThumbCacheDir.clear();
}

}  // namespace
}  // namespace lumvor
