// The thumbnail worker threads: one worker's decode, result codes and cache
// file, and the dispatcher's batches over a real folder listing.
//
// Expected cells come from djpeg's 1/8 decode (fast DCT, no smoothing)
// stretched by centre sampling (tests/fixtures/thumbworkers/make_expected.py).
// Every wait has a deadline; the slow reads of the responsiveness tests slow
// the workers down, they synchronise nothing.
#include "explorer/ThumbWorkers.h"

#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbFiles.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "support/case_names.h"
#include "support/picture_compare.h"
#include "support/picture_folder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumvor {
namespace {

const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/thumbworkers/";
constexpr int DeadlineMs = 60000;
constexpr int64_t CacheFileBytes = 63998;  // 168 x 126 x 3 BMP (63,558 bytes) + 440-byte trailer

// Lets events through until done() or the deadline; false at the deadline.
template <class F>
bool WaitFor(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > DeadlineMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::yieldCurrentThread();
    }
    return true;
}

uint32_t Pixel(const TBitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

int64_t FileBytes(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

class ThumbWorkerTest : public test::PictureFolderTest {
protected:
    void SetUp() override {
        PictureFolderTest::SetUp();
        xplr8900::CoreCancel = false;
        xplr8900::EControls.SetByte(xplr8900::ec::ThumbJpegDecode, 0);
        savedSetting_ = lumv8900::ViewerControls.Int(vc::ThumbThreads);
        lumv8900::ViewerControls.SetInt(vc::ThumbThreads, 1);
        ThumbWorkerHooks = {};
        CoreThumbOK.fill(false);
        CoreErrorWord.fill(0);
    }
    void TearDown() override {
        workers_.reset();
        ThumbWorkerHooks = {};
        xplr8900::CoreCancel = false;
        lumv8900::ViewerControls.SetInt(vc::ThumbThreads, savedSetting_);
    }

    // A fixture copied into the folder under `name`, dated an hour ago so the
    // listing takes it.
    std::string Place(const std::string& fixture, const std::string& name) {
        const std::string path = folder_ + name;
        std::filesystem::copy_file(Fixtures + fixture, path);
        const std::string touch = "touch -d '1 hour ago' '" + path + "'";
        EXPECT_EQ(std::system(touch.c_str()), 0);
        return path;
    }

    // Lists the folder; the dispatcher then works on its rows. A listing stops
    // every run (CoreCancel); the run that starts after it clears the flag.
    void List() {
        ASSERT_TRUE(listing_.UpdateFiles(true));
        xplr8900::CoreCancel = false;
        workers_ = std::make_unique<TThumbWorkers>(listing_);
        workers_->View.RedrawRow = [this](int row) { redrawn_.push_back(row); };
        workers_->View.ResumeRun = [this] { ++resumed_; };
    }

    // One dispatch, then its batch to the end.
    void RunBatch() {
        workers_->DoMultiCoreJPEG();
        ASSERT_TRUE(WaitFor([this] { return !listing_.CoreBusy; })) << "the batch did not end";
    }

    int RowOf(const std::string& name) const {
        for (size_t row = 0; row < listing_.FileOrder.size(); ++row)
            if (listing_.ReadRec(listing_.FileOrder[row]).Name() == name) return int(row);
        ADD_FAILURE() << name << " is not listed";
        return -1;
    }
    FileRec RecOf(const std::string& name) const {
        FileRec rec;
        listing_.RowRec(RowOf(name), rec);
        return rec;
    }
    std::vector<std::string> CacheFiles() const {
        std::vector<std::string> names;
        const std::string folder = xplr8900::ThumbRoot + xplr8900::ThumbFolderName;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TFolderListing listing_;
    std::unique_ptr<TThumbWorkers> workers_;
    std::vector<int> redrawn_;
    int resumed_ = 0;
    int32_t savedSetting_ = 0;
};

// ---- One worker

// Runs one worker of slot `slot` on a file to its done handler.
struct TSoloJob {
    explicit TSoloJob(int slot = 1) : worker(std::make_unique<TCoreThumb>(slot, &context)) {}
    bool Run(const std::string& file, const std::string& cache, bool preview = false) {
        worker->SetJob(7, file, cache, preview);
        worker->OnTerminate = [this](TCoreThumb&) { done = true; };
        worker->Resume();
        return WaitFor([this] { return done; });
    }
    QObject context;
    std::unique_ptr<TCoreThumb> worker;
    bool done = false;
};

struct TGeometryCase {
    const char* Name;
    int DecodedWidth, DecodedHeight;
};

void PrintTo(const TGeometryCase& c, std::ostream* os) { *os << c.Name; }

class ThumbWorkerGeometry : public ThumbWorkerTest, public ::testing::WithParamInterface<TGeometryCase> {};

// The 1/8 decode lands as 165 x 124 at (1, 1) with djpeg's pixels, and the
// cache file holds it with the header size, 24 bits and the row's identity.
TEST_P(ThumbWorkerGeometry, DecodesAtOneEighthAndWritesTheCell) {
    const TGeometryCase& c = GetParam();
    const std::string file = Place(std::string(c.Name) + ".jpg", "a.jpg");
    List();
    const FileRec row = RecOf("a.jpg");
    const std::string cache = ThumbRecFile(row).Path;

    TSoloJob job;
    ASSERT_TRUE(job.Run(file, cache));
    ASSERT_TRUE(CoreThumbOK[0]);
    EXPECT_EQ(CoreErrorWord[0], 0);
    EXPECT_EQ(job.worker->DecodedBitmap()->GetWidth(), c.DecodedWidth);
    EXPECT_EQ(job.worker->DecodedBitmap()->GetHeight(), c.DecodedHeight);
    ASSERT_TRUE(job.worker->SaveThumbnail(row));

    EXPECT_EQ(FileBytes(cache), CacheFileBytes);
    FileRec trailer;
    ASSERT_TRUE(ThumbFilePresent(TThumbFile{cache, TThumbFileKind::PerFile}, row, &trailer));
    EXPECT_EQ(trailer.Width(), job.worker->GetImageWidth());
    EXPECT_EQ(trailer.Height(), job.worker->GetImageHeight());
    EXPECT_EQ(trailer.BitsPerPixel(), 24);
    EXPECT_EQ(trailer.Name(), "a.jpg");

    TBitmap cell;
    FileRec loaded;
    ASSERT_TRUE(LoadThumbFile(loaded.Bytes.data(), cell, cache));
    const test::RgbRaster expected = test::ReadPpm(Fixtures + c.Name + ".cell.ppm");
    EXPECT_TRUE(test::SamePixels(expected, cell.GetWidth(), cell.GetHeight(),
                                 [&](int x, int y) { return Pixel(cell, x, y); }));
    job.worker->FreeWorkObjects();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ThumbWorkerGeometry,
                         ::testing::Values(TGeometryCase{"photo_1024x768", 128, 96},
                                           TGeometryCase{"photo_4000x3000", 500, 375}),
                         test::CaseNames<&TGeometryCase::Name>);

struct TCodeCase {
    const char* Name;
    const char* Fixture;  // nullptr: no such file
    bool Preview;
    bool Taken;
    int ErrorWord;
};

void PrintTo(const TCodeCase& c, std::ostream* os) { *os << c.Name; }

class ThumbWorkerCodes : public ThumbWorkerTest, public ::testing::WithParamInterface<TCodeCase> {};

// What the done handler finds for each kind of file: the result flag and the
// error word that decide the row's fate.
TEST_P(ThumbWorkerCodes, ReportsTheDecoderOutcome) {
    const TCodeCase& c = GetParam();
    const std::string file = c.Fixture ? Place(c.Fixture, "x.jpg") : folder_ + "gone.jpg";
    TSoloJob job(3);
    ASSERT_TRUE(job.Run(file, folder_ + "x.rec", c.Preview));
    EXPECT_EQ(CoreThumbOK[2], c.Taken);
    EXPECT_EQ(CoreErrorWord[2], c.ErrorWord);
    EXPECT_FALSE(std::filesystem::exists(folder_ + "x.rec"));  // the worker writes nothing
    job.worker->FreeWorkObjects();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ThumbWorkerCodes,
    ::testing::Values(TCodeCase{"Photo", "photo_1024x768.jpg", false, true, 0},
                      TCodeCase{"PhotoWithPreviewSetting", "photo_1024x768.jpg", true, true, 0},
                      TCodeCase{"LeadingGarbage", "garbage_lead.jpg", false, true, 0},
                      TCodeCase{"Corrupt", "corrupt.jpg", false, false, jpegcode::PreviewFailed},
                      TCodeCase{"Grey", "grey.jpg", false, false, 0},
                      TCodeCase{"Cmyk", "cmyk.jpg", false, false, 0},
                      TCodeCase{"Missing", nullptr, false, false, jpegcode::NotJpeg}),
    test::CaseNames<&TCodeCase::Name>);

// Hostile bytes: cut at every few hundred bytes, or noise behind a JPEG start.
TEST_F(ThumbWorkerTest, TruncatedAndHostileFilesNeverCrash) {
    std::ifstream in(Fixtures + "photo_1024x768.jpg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> inputs;
    for (size_t cut : {size_t(0), size_t(2), size_t(20), size_t(300), size_t(5000), whole.size() / 2})
        inputs.push_back(whole.substr(0, cut));
    std::string noise = "\xFF\xD8\xFF\xC0";
    for (int i = 0; i < 4000; ++i) noise.push_back(char((i * 7919) & 0xFF));
    inputs.push_back(noise);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string path = folder_ + "h" + std::to_string(i) + ".jpg";
        std::ofstream(path, std::ios::binary) << inputs[i];
        TSoloJob job(2);
        ASSERT_TRUE(job.Run(path, folder_ + "h.rec")) << "input " << i;
        if (CoreThumbOK[1]) {
            EXPECT_GT(job.worker->DecodedBitmap()->GetWidth(), 0) << "input " << i;
        }
    }
}

// ---- The dispatcher

TEST_F(ThumbWorkerTest, TwoWorkersMakeTwoThumbnails) {
    Place("photo_1024x768.jpg", "a.jpg");
    Place("photo_1024x768.jpg", "b.jpg");
    List();
    ASSERT_EQ(listing_.ThumbsNeeded, 2);
    RunBatch();
    for (const char* name : {"a.jpg", "b.jpg"}) {
        const FileRec rec = RecOf(name);
        EXPECT_EQ(rec.State(), fsPresent) << name;
        EXPECT_EQ(rec.Width(), 1024);
        EXPECT_EQ(rec.Height(), 768);
        EXPECT_EQ(FileBytes(ThumbRecFile(rec).Path), CacheFileBytes);
    }
    EXPECT_EQ(listing_.ThumbsMade, 2);
    EXPECT_EQ(redrawn_, (std::vector<int>{RowOf("a.jpg"), RowOf("b.jpg")}));
    EXPECT_EQ(resumed_, 1);
}

// Setting 0 starts nothing; setting 4 (five workers) with four pending JPEGs
// starts nothing either: the GUI thread makes those.
TEST_F(ThumbWorkerTest, TooFewPendingOrNoWorkersDispatchNothing) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    for (int setting : {0, 4}) {
        lumv8900::ViewerControls.SetInt(vc::ThumbThreads, setting);
        workers_->DoMultiCoreJPEG();
        EXPECT_FALSE(listing_.CoreBusy) << setting;
        EXPECT_EQ(workers_->Worker(1), nullptr) << setting;
    }
    EXPECT_EQ(TThumbWorkers::WorkerCount(), 5);
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, 7);
    EXPECT_EQ(TThumbWorkers::WorkerCount(), 8);
    EXPECT_TRUE(CacheFiles().empty());
    EXPECT_EQ(resumed_, 0);
}

// Only slot 1 finds a row after the run's position: it alone starts and is
// awaited; a row marked for the GUI thread is never handed out.
TEST_F(ThumbWorkerTest, OnlyTheFirstSlotFindsARow) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    FileRec marked = RecOf("d.jpg");
    marked.SetMark(FileRecMarkRetry);
    listing_.WriteRec(listing_.FileOrder[size_t(RowOf("d.jpg"))], marked);
    workers_->CurrThumb = RowOf("b.jpg");
    workers_->DoMultiCoreJPEG();
    EXPECT_TRUE(listing_.CoreBusy);
    EXPECT_NE(workers_->Worker(1), nullptr);
    EXPECT_EQ(workers_->Worker(2), nullptr);
    ASSERT_TRUE(WaitFor([this] { return !listing_.CoreBusy; }));
    EXPECT_EQ(RecOf("c.jpg").State(), fsPresent);
    EXPECT_EQ(RecOf("d.jpg").State(), fsPending);
    EXPECT_EQ(RecOf("d.jpg").Mark(), FileRecMarkRetry);
    EXPECT_EQ(RecOf("a.jpg").State(), fsPending);
    EXPECT_EQ(redrawn_, std::vector<int>{RowOf("c.jpg")});
    EXPECT_EQ(CacheFiles().size(), 1u);
}

// Eight workers, eight files: each slot reports its own outcome, and the rows
// end as made, failed (666) or back to the GUI thread's maker.
TEST_F(ThumbWorkerTest, EightWorkersReportTheirOwnCodes) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"1.jpg", "photo_1024x768.jpg"}, {"2.jpg", "corrupt.jpg"},      {"3.jpg", "grey.jpg"},
        {"4.jpg", "cmyk.jpg"},           {"5.jpg", "garbage_lead.jpg"}, {"6.jpg", "corrupt.jpg"},
        {"7.jpg", "photo_1024x768.jpg"}, {"8.jpg", "photo_1024x768.jpg"}};
    for (const auto& [name, fixture] : files) Place(fixture, name);
    List();
    ASSERT_EQ(listing_.ThumbsNeeded, 8);
    std::filesystem::remove(folder_ + "8.jpg");  // deleted between listing and dispatch
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, 7);
    RunBatch();
    struct TWant {
        uint16_t State, Mark, Word;
        bool OK;
    };
    const TWant want[] = {{fsPresent, 0, 0, true},
                          {fsFailed, 0, jpegcode::PreviewFailed, false},
                          {fsPending, FileRecMarkRetry, 0, false},
                          {fsPending, FileRecMarkRetry, 0, false},
                          {fsPresent, 0, 0, true},
                          {fsFailed, 0, jpegcode::PreviewFailed, false},
                          {fsPresent, 0, 0, true},
                          {fsPending, FileRecMarkRetry, jpegcode::NotJpeg, false}};
    for (int slot = 1; slot <= 8; ++slot) {
        const std::string name = std::to_string(slot) + ".jpg";
        EXPECT_EQ(workers_->SlotRec[size_t(slot - 1)].Name(), name);
        const FileRec rec = RecOf(name);
        EXPECT_EQ(rec.State(), want[slot - 1].State) << name;
        EXPECT_EQ(rec.Mark(), want[slot - 1].Mark) << name;
        EXPECT_EQ(CoreErrorWord[size_t(slot - 1)], want[slot - 1].Word) << name;
        EXPECT_EQ(CoreThumbOK[size_t(slot - 1)], want[slot - 1].OK) << name;
    }
    EXPECT_EQ(listing_.ThumbsMade, 3);
    EXPECT_EQ(CacheFiles().size(), 3u);
}

// The GUI thread neither reads nor waits: with slow reads a timer keeps firing
// while the batch runs, the run resumes only after the results, applied in slot
// order, and the cache files are written on the GUI thread.
TEST_F(ThumbWorkerTest, TheWindowStaysResponsiveDuringABatch) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, 3);
    std::mutex lock;
    std::vector<std::thread::id> writers;
    // No read may start before the dispatcher has returned: a read held back
    // until then would hold up a dispatcher that waited for it, and give up
    // after ten seconds. Each read then takes a while.
    std::mutex gateLock;
    std::condition_variable gate;
    bool gateOpen = false;
    std::atomic<int> readsHeldUp{0};
    ThumbWorkerHooks.BeforeRead = [&](const std::string&) {
        {
            std::unique_lock<std::mutex> held(gateLock);
            if (!gate.wait_for(held, std::chrono::seconds(10), [&] { return gateOpen; })) ++readsHeldUp;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    ThumbWorkerHooks.CacheWritten = [&](const std::string&) {
        std::lock_guard<std::mutex> guard(lock);
        writers.push_back(std::this_thread::get_id());
    };
    std::vector<std::string> events;
    workers_->View.RedrawRow = [&](int row) { events.push_back("row " + std::to_string(row)); };
    workers_->View.ResumeRun = [&] { events.push_back("resume"); };
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    workers_->DoMultiCoreJPEG();
    {
        std::lock_guard<std::mutex> guard(gateLock);
        gateOpen = true;
    }
    gate.notify_all();
    EXPECT_TRUE(listing_.CoreBusy);
    ASSERT_TRUE(WaitFor([this] { return !listing_.CoreBusy; }));
    EXPECT_EQ(readsHeldUp.load(), 0) << "the dispatcher waited for a read";
    timer.stop();
    EXPECT_GE(ticks, 5);
    std::vector<std::string> order;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) order.push_back("row " + std::to_string(RowOf(name)));
    order.push_back("resume");
    EXPECT_EQ(events, order);
    ASSERT_EQ(writers.size(), 4u);
    for (const auto& id : writers) EXPECT_EQ(id, std::this_thread::get_id());
}

// Changing folder while workers run drops the batch: no cache file, no record
// changed, also when a new run clears CoreCancel before the last worker ends.
TEST_F(ThumbWorkerTest, ChangingFolderDropsTheBatch) {
    for (const char* name : {"a.jpg", "b.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    const std::string before = std::string(reinterpret_cast<const char*>(listing_.FileRecStream.Memory()),
                                           size_t(listing_.FileRecStream.GetSize()));
    ThumbWorkerHooks.BeforeRead = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };
    workers_->DoMultiCoreJPEG();
    ASSERT_TRUE(listing_.CoreBusy);
    const std::string other = dir_.path().toStdString() + "/other/";
    ::mkdir(other.c_str(), 0777);
    xplr8900::CoreCancel = true;
    ExploreDir = other;
    xplr8900::CoreCancel = false;  // a new run in the new folder
    // The hourglass shows until the dropped batch's workers have stopped.
    EXPECT_TRUE(WaitFor([] { return Screen.Cursor() == crHourGlass; }));
    EXPECT_TRUE(listing_.CoreBusy);
    ASSERT_TRUE(WaitFor([this] { return !listing_.CoreBusy; }));
    EXPECT_EQ(Screen.Cursor(), crDefault);
    EXPECT_TRUE(CacheFiles().empty());
    const std::string after = std::string(reinterpret_cast<const char*>(listing_.FileRecStream.Memory()),
                                          size_t(listing_.FileRecStream.GetSize()));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(redrawn_.empty());
    EXPECT_EQ(listing_.ThumbsMade, 0);
}

// A refresh in the same folder asks the workers to stop (AnyCoresActive): the
// batch is dropped even though CoreCancel is clear again when it ends.
TEST_F(ThumbWorkerTest, AnyCoresActiveDropsTheBatch) {
    for (const char* name : {"a.jpg", "b.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    ThumbWorkerHooks.BeforeRead = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(200)); };
    workers_->DoMultiCoreJPEG();
    EXPECT_TRUE(workers_->AnyCoresActive());
    ASSERT_TRUE(WaitFor([this] { return !listing_.CoreBusy; }));
    EXPECT_FALSE(workers_->AnyCoresActive());
    EXPECT_TRUE(CacheFiles().empty());
    EXPECT_EQ(RecOf("a.jpg").State(), fsPending);
    EXPECT_EQ(RecOf("a.jpg").Mark(), 0);
}

// The owner destroyed mid-run joins its threads; nothing is applied later.
TEST_F(ThumbWorkerTest, DestroyingTheOwnerMidRunJoinsTheThreads) {
    for (const char* name : {"a.jpg", "b.jpg"}) Place("photo_1024x768.jpg", name);
    List();
    ThumbWorkerHooks.BeforeRead = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    workers_->DoMultiCoreJPEG();
    ASSERT_TRUE(listing_.CoreBusy);
    workers_.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(CacheFiles().empty());
    EXPECT_TRUE(redrawn_.empty());
}

// The explorer window destroyed while its workers run: the slots are stopped
// and joined before the listing they read goes.
TEST_F(ThumbWorkerTest, DestroyingTheExplorerMidRunJoinsTheThreads) {
    for (const char* name : {"a.jpg", "b.jpg"}) Place("photo_1024x768.jpg", name);
    auto* form = new TFileForm();
    ExploreDir = folder_;
    form->Listing->ActivationPending = false;  // as after the first activation
    ASSERT_TRUE(form->Listing->UpdateFiles(true));
    ASSERT_EQ(form->Listing->ThumbsNeeded, 2);
    xplr8900::CoreCancel = false;
    ThumbWorkerHooks.BeforeRead = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    form->ThumbWorkers->DoMultiCoreJPEG();
    ASSERT_TRUE(form->Listing->CoreBusy);
    delete form;
    QCoreApplication::processEvents();
    EXPECT_TRUE(CacheFiles().empty());
}

}  // namespace
}  // namespace lumvor
