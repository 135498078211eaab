#include "explorer/ThumbWorkers.h"

#include "state/ViewerSettings.h"
#include "state/ViewerState.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbScale.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace lumvor {

namespace {

// How often the GUI thread looks at CoreCancel and the explored folder while a
// batch is in flight (the settings and the folder are plain GUI-thread state).
constexpr int BatchWatchMs = 10;

bool& SlotOK(int slot) { return CoreThumbOK[size_t(slot - 1)]; }

// A worker hands its results to the GUI thread through a queued call and
// QThread::wait, whose locks live inside Qt. The worker posts its done call
// while holding this lock, and the GUI thread takes it before it reads what the
// worker wrote, so the hand-over is also plain to race checkers that cannot see
// into Qt.
std::mutex& WorkerHandOver() {
    static std::mutex handOver;
    return handOver;
}

}  // namespace

// ---- The worker

TCoreThumb::TCoreThumb(int Slot, QObject* DoneContext)
    : slot_(std::clamp(Slot, 1, ThumbSlotCount)), doneContext_(DoneContext) {
    // The cell globals are GUI-thread state; workers keep their own copy.
    using namespace xplr8900;
    if (ThumbWidth != ThumbCellWidth) ThumbWidth = ThumbCellWidth;
    if (ThumbHeight != ThumbCellHeight) ThumbHeight = ThumbCellHeight;
    if (ThumbDecodeWidth != ThumbCellWidth) ThumbDecodeWidth = ThumbCellWidth;
    if (ThumbDecodeHeight != ThumbCellHeight) ThumbDecodeHeight = ThumbCellHeight;
    decodeWidth_ = ThumbDecodeWidth;
    decodeHeight_ = ThumbDecodeHeight;
    CoreErrorWord[size_t(slot_ - 1)] = 0;
    decoded_ = std::make_unique<TBitmap>();
    result_ = std::make_unique<TBitmap>();
    source_ = std::make_unique<TMemoryStream>();
    NewDecoder();
    InitBlankBitmap(false);
    result_->Assign(blank_.get());
}

TCoreThumb::~TCoreThumb() {
    Terminate();
    Join();
}

void TCoreThumb::Join() {
    wait();
    std::lock_guard received(WorkerHandOver());
}

void TCoreThumb::NewDecoder() {
    jpeg_ = std::make_unique<TJPEGImage>();
    jpeg_->SetGrayscale(false);
    jpeg_->SetPerformance(jpBestSpeed);
    jpeg_->SetPixelFormat(jf24Bit);
    jpeg_->SetEmbeddedPreview(embeddedPreview_);
}

void TCoreThumb::InitBlankBitmap(bool Black) {
    if (!Black && blank_ && blank_->GetWidth() == ThumbCellWidth && blank_->GetHeight() == ThumbCellHeight) {
        FillWhiteCell(*blank_);
        return;
    }
    blank_ = std::make_unique<TBitmap>();
    FillWhiteCell(*blank_);
    if (Black) {
        for (int y = 0; y < ThumbCellHeight; ++y) std::fill_n(blank_->ScanLine(y), ThumbCellWidth * 3, uint8_t(0));
    }
}

void TCoreThumb::SetJob(int32_t RecordIndex, const std::string& ImageFile, const std::string& RecPath,
                        bool EmbeddedPreview) {
    fitted_ = false;
    recordIndex_ = RecordIndex;
    imageFile_ = ImageFile;
    recPath_ = RecPath;
    embeddedPreview_ = EmbeddedPreview;
    if (jpeg_) jpeg_->SetEmbeddedPreview(EmbeddedPreview);
    if (!Terminated()) SlotOK(slot_) = true;
}

void TCoreThumb::Resume() { start(); }

void TCoreThumb::run() {
    try {
        Execute();
    } catch (...) {
        // A worker never lets an exception out: its result is simply not taken.
        SlotOK(slot_) = false;
        CoreErrorWord[size_t(slot_ - 1)] = uint16_t(jpegcode::PreviewFailed);
    }
    // The handler is copied first: it may delete this worker. A worker deleted
    // before its notification ran is not called.
    std::lock_guard handingOver(WorkerHandOver());
    QPointer<TCoreThumb> self(this);
    QMetaObject::invokeMethod(
        doneContext_,
        [self] {
            { std::lock_guard received(WorkerHandOver()); }
            if (!self) return;
            self->Join();
            auto handler = self->OnTerminate;
            TCoreThumb& worker = *self;
            if (handler) Guarded([&] { handler(worker); });
        },
        Qt::QueuedConnection);
}

bool TCoreThumb::ReadSource() {
    if (ThumbWorkerHooks.BeforeRead) ThumbWorkerHooks.BeforeRead(imageFile_);
    try {
        source_->LoadFromFile(imageFile_);
        source_->SetPosition(0);
        return true;
    } catch (const std::exception&) {
        source_->Clear();
        return false;
    }
}

int TCoreThumb::LoadJpeg(bool Preview, bool Plain) {
    source_->SetPosition(0);
    jpeg_->SetPixelFormat(jf24Bit);
    jpeg_->SetEmbeddedPreview(Preview);
    jpeg_->SetPlainRead(Plain);
    try {
        jpeg_->LoadFromStream(*source_);
    } catch (const std::exception&) {
        // The code is in LastJpegError.
    }
    jpeg_->SetPlainRead(false);
    return jpeg_->LastJpegError();
}

void TCoreThumb::ReadHeaderFacts() {
    imageWidth_ = jpeg_->Width();
    imageHeight_ = jpeg_->Height();
    // CMYK files decode as 24-bit inverted inks; like grey ones they go back to
    // the GUI thread's maker.
    imageBits_ = jpeg_->Components() == 3 ? jpeg_->BitCount() : jpeg_->Components() * 8;
    errorCode_ = jpeg_->LastJpegError();
}

// One more load with a fresh decoder in plain-read mode, which skips leading
// bytes up to a JFIF signature. True when the header then reads.
bool TCoreThumb::PlainReadRetry() {
    NewDecoder();
    errorCode_ = LoadJpeg(false, true);
    ReadHeaderFacts();
    return errorCode_ == jpegcode::None;
}

void TCoreThumb::Execute() {
    bool& ok = SlotOK(slot_);
    ok = false;
    if (Terminated()) return;
    bool renew = false;
    auto finish = [&] {
        CoreErrorWord[size_t(slot_ - 1)] = uint16_t(errorCode_);
        if (renew) NewDecoder();
    };
    auto fail = [&] {
        ok = false;
        renew = true;
        finish();
    };
    // A file that cannot be read (gone, no permission, not a regular file) is
    // not the picture's fault: it goes back to the GUI thread's maker.
    if (!ReadSource()) {
        errorCode_ = jpegcode::NotJpeg;
        return finish();
    }
    if (Terminated()) return;

    // The header of the full picture first.
    errorCode_ = LoadJpeg(false, false);
    if (Terminated()) return;
    if (errorCode_ == jpegcode::PreviewFailed) return fail();
    ReadHeaderFacts();
    if (errorCode_ == jpegcode::PreviewFailed) return fail();
    if (errorCode_ == jpegcode::None && imageBits_ != 24) return fail();
    if (Terminated()) return;

    bool retried = false;
    if (embeddedPreview_) {
        errorCode_ = LoadJpeg(true, false);
        bool previewTaken = jpeg_->PreviewTaken();
        if (errorCode_ == jpegcode::PreviewFailed) {
            renew = true;
            previewTaken = false;
            errorCode_ = jpegcode::NotJpeg;
        }
        if (Terminated()) return;
        if (!previewTaken && errorCode_ == jpegcode::NotJpeg) retried = true;
    } else if (errorCode_ == jpegcode::NotJpeg) {
        retried = true;
    }
    if (retried) {
        renew = true;
        PlainReadRetry();
        if (errorCode_ == jpegcode::None && imageBits_ != 24) return fail();
    }
    if (errorCode_ == jpegcode::PreviewFailed) return fail();
    if (Terminated()) return;

    if (errorCode_ == jpegcode::None) {
        jpeg_->SetDecodeLimits(32000, 32000, 2 * decodeWidth_, 2 * decodeHeight_, 2);
        errorCode_ = 0;
        try {
            jpeg_->DecodeToBitmap(*decoded_);
        } catch (const std::exception&) {
            // The code is in LastJpegError.
        }
        errorCode_ = jpeg_->LastJpegError();
    }
    if (decoded_->GetWidth() == 0 || decoded_->GetHeight() == 0) {
        errorCode_ = jpegcode::PreviewFailed;
        return fail();
    }
    // Rows decoded before an unknown marker stand; any other code is not taken.
    if (errorCode_ == jpegcode::None || errorCode_ == jpegcode::UnknownMarker) {
        FitIntoCell();
        ok = true;
    }
    finish();
}

// The decoded picture fitted into the white cell, here on the worker so that
// the GUI thread only writes the cache file.
void TCoreThumb::FitIntoCell() {
    const TRect place = ThumbFitRect(decoded_->GetWidth(), decoded_->GetHeight());
    FillWhiteCell(*result_);
    StretchNearest(*decoded_->Handle(), *result_->Handle(), place);
    result_->SetPixelFormat(pf24bit);
    fitted_ = true;
}

bool TCoreThumb::SaveThumbnail(const FileRec& Row) {
    if (!SlotOK(slot_) || Terminated() || !result_ || !fitted_) return false;
    // The JPEG header's size, which fits 16 bits; nothing else of the row is known here.
    cacheRecord_ = PictureThumbTrailer(FileRec(), imageWidth_, imageHeight_);
    const bool written =
        WriteThumbFile(cacheRecord_, *result_, TThumbFile{recPath_, TThumbFileKind::PerFile}, Row);
    if (ThumbWorkerHooks.CacheWritten) ThumbWorkerHooks.CacheWritten(recPath_);
    return written;
}

void TCoreThumb::FreeWorkObjects() {
    jpeg_.reset();
    decoded_.reset();
    blank_.reset();
    result_.reset();
    source_.reset();
}

// ---- The dispatcher

TThumbWorkers::TThumbWorkers(TFolderListing& Listing)
    : listing_(Listing), context_(std::make_unique<QObject>()), watch_(std::make_unique<QTimer>()) {
    watch_->setInterval(BatchWatchMs);
    QObject::connect(watch_.get(), &QTimer::timeout, context_.get(), [this] { Guarded([this] { CheckBatch(); }); });
}

TThumbWorkers::~TThumbWorkers() {
    watch_->stop();
    for (auto& worker : workers_) {
        if (worker) worker->Terminate();
    }
    for (auto& worker : workers_) {
        if (worker) worker->Join();
    }
    // Queued done notifications die with their context, before the workers.
    context_.reset();
    for (auto& worker : workers_) worker.reset();
}

int TThumbWorkers::WorkerCount() {
    const int32_t setting = lumv8900::ViewerControls.Int(vc::ThumbThreads);
    if (setting <= 0) return 0;
    return std::clamp(setting + 1, 2, ThumbSlotCount);
}

void TThumbWorkers::DoMultiCoreJPEG() {
    if (listing_.CoreBusy || batchActive_ || xplr8900::CoreCancel.load()) return;
    const int workers = WorkerCount();
    if (workers == 0 || listing_.ThumbsNeeded < workers) return;
    listing_.CoreBusy = true;
    batchDir_ = IncludeTrailingPathDelimiter(ExploreDir);
    batchCancelled_ = false;
    started_.fill(false);
    SlotBusy.fill(false);
    int32_t position = CurrThumb + 1;
    for (int slot = 1; slot <= ThumbSlotCount; ++slot) {
        if (slot > 2 && slot > workers) break;
        if (!StartSlot(slot, position)) break;
    }
    if (std::none_of(started_.begin(), started_.end(), [](bool started) { return started; })) {
        listing_.CoreBusy = false;
        return;
    }
    // Stopped while handing out rows: the created workers are asked to stop and
    // still resumed, so that their done handlers free the slots.
    batchCancelled_ = xplr8900::CoreCancel.load();
    if (batchCancelled_) ShowWaitCursor();
    batchActive_ = true;
    for (int slot = 1; slot <= ThumbSlotCount; ++slot) {
        if (!started_[size_t(slot - 1)]) continue;
        if (batchCancelled_) workers_[size_t(slot - 1)]->Terminate();
        workers_[size_t(slot - 1)]->Resume();
    }
    watch_->start();
}

// Hands the next eligible row from Position on to the slot. False when no row
// is left (or the run must stop).
bool TThumbWorkers::StartSlot(int Slot, int32_t& Position) {
    const int32_t end = int32_t(listing_.FileOrder.size());
    while (Position < end) {
        FileRec rec;
        int32_t recNo = -1;
        if (!listing_.RowRec(Position, rec, &recNo)) xplr8900::CoreCancel = true;
        if (xplr8900::CoreCancel.load()) return false;
        const bool eligible = rec.Mark() != FileRecMarkRetry && rec.Kind() == FileRecJpegKind &&
                              rec.State() == fsPending;
        if (!eligible) {
            ++Position;
            if (listing_.Risky || listing_.Closing || listing_.ListBusy || lumv8900::ShutDown) return false;
            continue;
        }
        rec.SetListPosition(Position);
        SlotRec[size_t(Slot - 1)] = rec;
        const std::string file = batchDir_ + std::string(rec.Name()) + std::string(rec.Ext());
        const std::string cacheName(rec.CacheName());
        const std::string cachePath =
            cacheName.empty() ? ThumbRecFile(rec).Path : ThumbFileAt(TThumbFileKind::PerFile, cacheName).Path;
        auto worker = std::make_unique<TCoreThumb>(Slot, context_.get());
        worker->SetJob(recNo, file, cachePath, xplr8900::EControls.Byte(xplr8900::ec::ThumbJpegDecode) != 0);
        worker->OnTerminate = [this](TCoreThumb& w) { CoreXThumbDone(w); };
        workers_[size_t(Slot - 1)] = std::move(worker);
        SlotBusy[size_t(Slot - 1)] = true;
        started_[size_t(Slot - 1)] = true;
        ++Position;
        return true;
    }
    return false;
}

void TThumbWorkers::CheckBatch() {
    if (!batchActive_ || batchCancelled_) return;
    if (xplr8900::CoreCancel.load() || IncludeTrailingPathDelimiter(ExploreDir) != batchDir_) CancelBatch();
}

void TThumbWorkers::CancelBatch() {
    if (!batchActive_) return;
    if (!batchCancelled_) ShowWaitCursor();
    batchCancelled_ = true;
    for (int slot = 1; slot <= ThumbSlotCount; ++slot) {
        if (SlotBusy[size_t(slot - 1)] && workers_[size_t(slot - 1)]) workers_[size_t(slot - 1)]->Terminate();
    }
}

// The explorer's done handler of every slot.
void TThumbWorkers::CoreXThumbDone(TCoreThumb& Worker) {
    const int slot = Worker.Slot();
    CheckBatch();
    if (batchCancelled_ || xplr8900::CoreCancel.load()) SlotOK(slot) = false;
    FileRec& slotRec = SlotRec[size_t(slot - 1)];
    if (SlotOK(slot)) {
        Worker.SaveThumbnail(slotRec);
        slotRec.SetWidth(uint16_t(Worker.GetImageWidth()));
        slotRec.SetHeight(uint16_t(Worker.GetImageHeight()));
    }
    Worker.FreeWorkObjects();
    SlotBusy[size_t(slot - 1)] = false;
    workers_[size_t(slot - 1)].reset();
    if (std::none_of(SlotBusy.begin(), SlotBusy.end(), [](bool busy) { return busy; })) EndBatch();
}

// A dropped batch shows the hourglass until its last worker has stopped.
void TThumbWorkers::ShowWaitCursor() {
    Screen.SetCursor(crHourGlass);
    waitCursor_ = true;
}

void TThumbWorkers::EndBatch() {
    watch_->stop();
    CheckBatch();
    if (!batchCancelled_) ApplyResults();
    if (waitCursor_) Screen.SetCursor(crDefault);
    waitCursor_ = false;
    batchActive_ = false;
    started_.fill(false);
    listing_.CoreBusy = false;
    if (View.ResumeRun) View.ResumeRun();
}

// The results in slot order: made, failed (666) or back to the GUI thread's maker.
void TThumbWorkers::ApplyResults() {
    for (int slot = 1; slot <= ThumbSlotCount; ++slot) {
        if (!started_[size_t(slot - 1)]) continue;
        const FileRec& slotRec = SlotRec[size_t(slot - 1)];
        const int32_t row = slotRec.ListPosition();
        FileRec rec;
        int32_t recNo = -1;
        if (!listing_.RowRec(row, rec, &recNo)) {
            xplr8900::CoreCancel = true;
            return;
        }
        if (SlotOK(slot)) {
            rec.SetWidth(slotRec.Width());
            rec.SetHeight(slotRec.Height());
            rec.SetState(fsPresent);
            ++listing_.ThumbsMade;
        } else if (CoreErrorWord[size_t(slot - 1)] == jpegcode::PreviewFailed) {
            rec.SetState(fsFailed);
        } else {
            rec.SetState(fsPending);
            rec.SetMark(FileRecMarkRetry);
        }
        listing_.WriteRec(recNo, rec);
        if (View.RedrawRow) View.RedrawRow(row);
    }
}

bool TThumbWorkers::AnyCoresActive() {
    CancelBatch();
    Application.ProcessMessages();
    return std::any_of(SlotBusy.begin(), SlotBusy.end(), [](bool busy) { return busy; });
}

}  // namespace lumvor
