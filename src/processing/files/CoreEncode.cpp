// The JPEG encode thread of batch conversion.
#include "processing/files/CoreEncode.h"

#include "platform/Jpeg.h"
#include "processing/files/BatchConvert.h"
#include "processing/files/SavePicture.h"

#include <exception>

namespace lumvor {

int64_t TEncodeResult::SpaceNeeded() { return Stream.Size() + batchconvert::SpareBytes; }

void EncodeJob(const TEncodeJob& Job, const std::atomic<bool>& Stop, TEncodeResult& Result) {
    Result.Status = esOk;
    Result.Reason.clear();
    Result.Stream.Clear();
    if (!Job.Picture || Job.Picture->Empty()) {
        Result.Status = esNoPicture;
        Result.Reason = "there is no picture to encode";
        return;
    }
    if (Stop)
        return;
    const TJpegWizardSettings& settings = Job.Settings;
    TMemoryStream encoded;
    try {
        TJPEGImage jpeg;
        jpeg.SetPixelFormat(jf24Bit);
        jpeg.SetGrayscale(false);
        jpeg.SetProgressiveEncoding(settings.Byte(TJpegWizardSettings::ProgressiveOffset) != 0);
        jpeg.Bitmap().SetHandle(Job.Picture);
        const int kind = settings.Int(TJpegWizardSettings::SmoothingKindOffset);
        const int smoothing = kind == 0 ? settings.Int(TJpegWizardSettings::SmoothingOffset) : 0;
        jpeg.CompressJPEG(settings.Byte(TJpegWizardSettings::SubsampleOffset) != 0, false, false,
                          settings.Quality() & 0xFF, smoothing);
        jpeg.SaveToStream(encoded);
    } catch (const std::exception& e) {
        Result.Status = esEncodeFailed;
        Result.Reason = std::string("the encoder failed: ") + e.what();
        return;
    }
    if (Stop)
        return;
    if (!Job.WithComment) {
        encoded.SetPosition(0);
        Result.Stream.CopyFrom(encoded, encoded.Size());
        Result.Stream.SetPosition(0);
        return;
    }
    try {
        InsertJpegComment(encoded, JpegCommentToWrite(Job.Comment), Result.Stream);
    } catch (const std::exception& e) {
        Result.Stream.Clear();
        Result.Status = esCommentFailed;
        Result.Reason = std::string("the comment could not be inserted: ") + e.what();
    }
}

TCoreEncode::~TCoreEncode() {
    stop_ = true;
    wait();
}

void TCoreEncode::SetJob(TEncodeJob Job) {
    job_ = std::move(Job);
    result_.Status = esOk;
    result_.Reason.clear();
    result_.Stream.Clear();
    stop_ = false;
    testHook_ = EncodeTestHook;
}

void TCoreEncode::run() {
    // Nothing may leave the thread as an exception: failures are the status.
    try {
        if (testHook_)
            testHook_();
        EncodeJob(job_, stop_, result_);
    } catch (const std::exception& e) {
        result_.Stream.Clear();
        result_.Status = esEncodeFailed;
        result_.Reason = e.what();
    }
}

}  // namespace lumvor
