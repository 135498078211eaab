// The thumbnail worker threads: JPEG files decoded on up to eight workers at
// once, a batch at a time, while the window stays responsive.
//
// TCoreThumb is the worker of one slot (1 to 8; TCore1Thumb to TCore8Thumb
// name the slots). Its caller, on the GUI thread: creates it (suspended), gives
// it a job (SetJob), sets its done handler (OnTerminate) and resumes it. The
// worker reads the whole file and decodes it at a reduction close to twice the
// cell (Execute, the only routine that runs on the worker thread); then the
// done handler runs on the GUI thread through a queued call, takes the result
// (SaveThumbnail writes the cache file, GetImageWidth and GetImageHeight give
// the header size) and frees the work objects. The caller never touches a
// worker after its done handler ran, except to delete it.
//
// The slot's result flag CoreThumbOK and its error word CoreErrorWord are
// written by the worker before it finishes and read on the GUI thread after the
// slot's done handler ran.
//
// TThumbWorkers is the explorer's owner of the eight slots and its dispatcher
// DoMultiCoreJPEG, which the thumbnail run's idle step calls. It hands the next
// pending JPEG rows of the list to the slots, returns at once and leaves
// CoreBusy set; the done handler that frees the batch's last slot applies the
// results in slot order, clears CoreBusy and resumes the run. A batch is
// cancelled for good when CoreCancel is set or the explored folder changes while
// it is in flight: its results are dropped and no cache file is written.
// Everything but Execute runs on the GUI thread; the cache folder and the
// records are touched only there.
#pragma once

#include "imaging/FileRec.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <QThread>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QObject;
class QTimer;

namespace lumvor {

class TFolderListing;
class TJPEGImage;

inline constexpr int ThumbSlotCount = 8;

// Per slot (index slot - 1): whether the slot's result may be taken, and the
// final decoder code of its last job (0, 52, 67, 666 or another code).
inline std::array<bool, ThumbSlotCount> CoreThumbOK{};
inline std::array<uint16_t, ThumbSlotCount> CoreErrorWord{};

// Test hooks. BeforeRead runs on the worker thread right before it reads its
// file; CacheWritten runs on the thread that wrote a cache file, after the
// write. Set them only while no worker runs.
struct TThumbWorkerHooks {
    std::function<void(const std::string& ImageFile)> BeforeRead;
    std::function<void(const std::string& CacheFile)> CacheWritten;
};
inline TThumbWorkerHooks ThumbWorkerHooks;

class TCoreThumb : public QThread {
public:
    // Create: the work objects and a white cell; the thread is not started.
    // DoneContext is a GUI-thread object of the caller: the done handler runs
    // as a queued call on it, and is dropped when it is deleted first.
    TCoreThumb(int Slot, QObject* DoneContext);
    // Asks the thread to stop and joins it.
    ~TCoreThumb() override;
    TCoreThumb(const TCoreThumb&) = delete;
    TCoreThumb& operator=(const TCoreThumb&) = delete;

    int Slot() const { return slot_; }

    // Stores the job; reads nothing. EmbeddedPreview is the explorer's
    // embedded-preview setting at this moment (the job keeps its copy).
    void SetJob(int32_t RecordIndex, const std::string& ImageFile, const std::string& RecPath, bool EmbeddedPreview);
    int32_t RecordIndex() const { return recordIndex_; }

    // The done handler: runs on the GUI thread after Execute ended. It may
    // delete the worker.
    std::function<void(TCoreThumb& Worker)> OnTerminate;

    // Starts Execute on the worker thread.
    void Resume();
    // Asks Execute to stop at its next check (cooperative).
    void Terminate() { terminated_.store(true); }
    // Waits for the thread to end and takes over everything it wrote.
    void Join();
    bool Terminated() const { return terminated_.load(); }

    // GUI thread, after the done notification: when the slot's result may be
    // taken and the thread was not asked to stop, writes the white cell the
    // worker fitted the decoded picture into, with its trailer (header size, 24 bits and the
    // identity of Row) as RecPath. True when the file was written.
    bool SaveThumbnail(const FileRec& Row);
    // The JPEG header's size (the full picture, not the decoded one).
    int32_t GetImageWidth() const { return imageWidth_; }
    int32_t GetImageHeight() const { return imageHeight_; }
    // Frees the decoder, the bitmaps and the file's bytes.
    void FreeWorkObjects();
    // The blank cell becomes white (Black false; kept when it has the cell's
    // size) or a new black cell.
    void InitBlankBitmap(bool Black);

    // The decoded picture (empty after FreeWorkObjects).
    const TBitmap* DecodedBitmap() const { return decoded_.get(); }

protected:
    void run() override;

private:
    // Runs on the worker thread: reads the file, decodes it with result codes.
    void Execute();
    bool ReadSource();
    int LoadJpeg(bool Preview, bool Plain);
    void ReadHeaderFacts();
    bool PlainReadRetry();
    void NewDecoder();
    void FitIntoCell();

    const int slot_;
    QObject* doneContext_;
    std::atomic<bool> terminated_{false};

    int32_t recordIndex_ = -1;
    std::string imageFile_;
    std::string recPath_;
    bool embeddedPreview_ = false;

    int errorCode_ = 0;
    int32_t imageWidth_ = 0;
    int32_t imageHeight_ = 0;
    int32_t imageBits_ = 0;
    int32_t decodeWidth_;
    int32_t decodeHeight_;
    std::unique_ptr<TJPEGImage> jpeg_;
    std::unique_ptr<TBitmap> decoded_;
    std::unique_ptr<TBitmap> blank_;
    std::unique_ptr<TBitmap> result_;
    std::unique_ptr<TMemoryStream> source_;
    FileRec cacheRecord_;
    bool fitted_ = false;
};

// What the explorer window does for the dispatcher. Unbound calls do nothing.
struct TThumbWorkersView {
    // The list row's cell is drawn anew.
    std::function<void(int Row)> RedrawRow;
    // A batch ended (applied or dropped) and CoreBusy is clear: the run goes on.
    std::function<void()> ResumeRun;
};

class TThumbWorkers {
public:
    explicit TThumbWorkers(TFolderListing& Listing);
    // Asks every busy slot to stop and joins its thread; no result is applied.
    ~TThumbWorkers();
    TThumbWorkers(const TThumbWorkers&) = delete;
    TThumbWorkers& operator=(const TThumbWorkers&) = delete;

    TThumbWorkersView View;
    // The run's position: the list row it handled last (-1 before the first).
    int32_t CurrThumb = -1;
    // A copy of the record of each slot's row, ListPosition its list row.
    std::array<FileRec, ThumbSlotCount> SlotRec{};
    std::array<bool, ThumbSlotCount> SlotBusy{};

    // The worker count of the viewer setting (index + 1, at least 2); 0 when
    // the setting asks for no workers.
    static int WorkerCount();

    // Starts a batch of up to WorkerCount pending JPEG rows after CurrThumb
    // (see the header comment). Returns at once; CoreBusy stays set while the
    // batch runs. Does nothing while CoreBusy or CoreCancel is set, with no
    // workers, or when fewer rows need thumbnails than there are workers.
    void DoMultiCoreJPEG();
    // Asks every busy slot to stop (its batch is then dropped), lets pending
    // events through once, and answers whether a slot is still busy.
    bool AnyCoresActive();
    // The worker of a slot (1..8) while it is busy, else nullptr.
    TCoreThumb* Worker(int Slot) const { return workers_[Slot - 1].get(); }

private:
    bool StartSlot(int Slot, int32_t& Position);
    void CoreXThumbDone(TCoreThumb& Worker);
    void CheckBatch();
    void CancelBatch();
    void ApplyResults();
    void EndBatch();
    void ShowWaitCursor();

    TFolderListing& listing_;
    std::unique_ptr<QObject> context_;
    std::unique_ptr<QTimer> watch_;
    std::array<std::unique_ptr<TCoreThumb>, ThumbSlotCount> workers_;
    std::array<bool, ThumbSlotCount> started_{};
    std::string batchDir_;
    bool batchActive_ = false;
    bool batchCancelled_ = false;
    bool waitCursor_ = false;
};

}  // namespace lumvor
