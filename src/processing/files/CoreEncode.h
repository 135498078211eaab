// The JPEG encode thread of batch conversion.
//
// One TCoreEncode encodes one picture: the job holds its own copy of the
// 24-bit picture, the JPEG settings and, when asked, the comment text; the
// worker encodes with its own JPEG encoder, inserts the comment as a COM
// segment right after the first segment, and leaves a result: a status and the
// bytes to write. Writing is the owner's business, on the GUI thread, after the
// thread finished (the batch checks the disk space first).
//
// Threads: SetJob, Start, Cancel, Result and the destructor belong to the GUI
// thread; EncodeJob runs on the worker and touches nothing shared but the
// cancel flag. The destructor sets the cancel flag and waits for the worker, so
// the owner may free the object (and everything else) at any time.
#pragma once

#include "state/ViewerSettings.h"
#include "platform/PixelBuffer.h"
#include "platform/Streams.h"

#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace lumvor {

// The result codes of an encode.
enum TEncodeStatus {
    esOk = 0,
    esNoPicture = 1,       // the job holds no picture
    esEncodeFailed = 2,    // the encoder failed
    esCommentFailed = 3,   // the comment could not be inserted
    esWriteFailed = 4,     // the file could not be written (set by the owner)
};

// What one encode works on.
struct TEncodeJob {
    std::shared_ptr<TPixelBuffer> Picture;  // 24-bit, the job's own copy
    TJpegWizardSettings Settings;
    // Insert Comment (the composed text; the characters up to its first NUL,
    // or the short encoder note when it is longer than 32,000 characters).
    bool WithComment = false;
    std::string Comment;
    std::string OutputFolder;  // with a trailing "/"
    std::string OutputName;
    std::string Source;  // the file the picture came from
    std::string OutputPath() const { return OutputFolder + OutputName; }
};

struct TEncodeResult {
    int Status = esOk;
    std::string Reason;     // why the status is not esOk
    TMemoryStream Stream;   // the JPEG file image (with its comment)
    // The room the file needs on the disk: its size and 32 KB.
    int64_t SpaceNeeded();
};

// Encodes the job (worker thread, or any thread): the subsample flag (byte 1),
// the quality's low byte on the linear scale, the progressive flag (byte 0),
// and the encoder's own smoothing only for smoothing kind 0 (a chosen kind was
// applied to the picture before). Never raises: failures become the status.
// Stop is polled before the encode and before the comment; a stop leaves an
// empty stream with status esOk (the owner discards it).
void EncodeJob(const TEncodeJob& Job, const std::atomic<bool>& Stop, TEncodeResult& Result);

// Test hook, copied into each thread when its job is set and called on the
// worker before it encodes.
inline std::function<void()> EncodeTestHook;

class TCoreEncode : public QThread {
public:
    TCoreEncode() = default;
    ~TCoreEncode() override;
    TCoreEncode(const TCoreEncode&) = delete;
    TCoreEncode& operator=(const TCoreEncode&) = delete;

    void SetJob(TEncodeJob Job);
    const TEncodeJob& Job() const { return job_; }
    // Asks the worker to stop at its next check; the result is then discarded.
    void Cancel() { stop_ = true; }
    bool Cancelled() const { return stop_; }
    // Valid once the thread finished (after the finished signal or wait()).
    TEncodeResult& Result() { return result_; }

protected:
    void run() override;

private:
    TEncodeJob job_;
    TEncodeResult result_;
    std::atomic<bool> stop_{false};
    std::function<void()> testHook_;
};

}  // namespace lumvor
