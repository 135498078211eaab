// The class library's JPEG image over libjpeg (libjpeg-turbo, API 62).
//
// A TJPEGImage holds the bytes of one JPEG file and the facts of its header.
// Loading reads the bytes and the header only; pixels are decoded when a caller
// asks for them (DecodeInto, DecodeToBitmap), straight into the caller's
// bitmap: 24-bit rows blue-green-red, or 8-bit rows with a grey ramp or the
// quantiser's colour map as palette. Encoding takes the picture in Bitmap()
// and replaces the held bytes with the encoded file.
//
// Errors: every failure raises EJPEG with libjpeg's message text and records
// the failure's code in LastJpegError() (see jpegcode below). libjpeg reports
// through longjmp; the jump lands in a small C-style function and the C++
// caller throws, so no exception crosses libjpeg.
//
// Threads: an object belongs to one thread at a time; distinct objects share
// no mutable state, so any number of them may decode at once on different
// threads (the thumbnail workers run eight).
#pragma once

#include "platform/Graphics.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvor {

// Raised for any failure of the JPEG codec.
LUMVOR_EXCEPTION(EJPEG, EInvalidGraphic);

// Reduction while decoding. jsSixteenth asks for one sixteenth; libjpeg's
// smallest scale is one eighth, so it is served at one eighth.
enum TJPEGScale { jsFullSize = 0, jsHalf = 1, jsQuarter = 2, jsEighth = 3, jsSixteenth = 4 };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
// Best speed decodes with the fast integer DCT and without smooth chroma
// upsampling; best quality with the accurate integer DCT and smooth upsampling.
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGDctMethod { jdIntegerSlow, jdIntegerFast, jdFloat };
// Dithering of 8-bit colour output (SetDecodeLimits' mode 0, 1, 2).
enum TJPEGDither { jdOrdered, jdNone, jdErrorDiffusion };

// Error codes reported by LastJpegError. Fatal libjpeg errors are reported in
// the numbering of IJG release 6a, which the callers test; libjpeg-turbo (like
// IJG 6b) numbers them one higher from its "DCT coefficient out of range" on.
namespace jpegcode {
constexpr int None = 0;
// "Not a JPEG file": the data does not start with an SOI marker. Callers retry
// with the plain reader, which skips leading bytes up to a JFIF signature.
constexpr int NotJpeg = 52;
// "Unsupported marker type": a damaged stream stopped at a marker libjpeg does
// not know. The rows decoded before it stand, and callers accept the picture.
constexpr int UnknownMarker = 67;
// The embedded-preview reader found a preview it could not read.
constexpr int PreviewFailed = 666;
// Code of a libjpeg-turbo message (J_MESSAGE_CODE) in IJG 6a numbering;
// libjpeg-turbo's own additions and non-error messages keep 1000 + code.
int FromLibrary(int libraryCode);
}  // namespace jpegcode

// Options of one encode. The standard quality scale is libjpeg's 1..100
// setting; the linear scale is a percentage of the standard quantisation
// tables (jpeg_set_linear_quality). Both are limited to baseline tables.
struct TJPEGEncodeOptions {
    int quality = 90;
    bool linearScale = false;
    bool progressive = false;
    bool grayscale = false;
    bool optimizeHuffman = false;
    TJPEGDctMethod dctMethod = jdIntegerSlow;
    // false samples every component 1 x 1 (no chroma subsampling); true keeps
    // libjpeg's default 2 x 2 for the first component.
    bool subsample = true;
    int smoothing = 0;  // 0..100
};

class TJPEGImage {
public:
    TJPEGImage();
    ~TJPEGImage();
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // Loading. Both reset LastJpegError to 0, read the whole input into the
    // object and parse the header; the pixels are not decoded. Raise EJPEG
    // (and EFOpenError for a file that cannot be opened).
    void LoadFromFile(const std::string& fileName);
    // Reads from the stream's position to its end. With EmbeddedPreview set, a
    // stream of at least 112,000 bytes whose first half (at most 44,000 bytes)
    // holds a further JPEG (an EXIF preview) loads that one; PreviewTaken()
    // then answers true, and a preview that cannot be read gives code 666.
    // With PlainRead set, leading bytes up to a "JFIF" signature in the first
    // half (at most 44,000 bytes) are skipped. With RetryRead set, leading
    // bytes up to the first SOI marker anywhere in the data are skipped.
    void LoadFromStream(TStream& stream);

    // Header facts (valid after a load).
    bool Empty() const { return data_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // 8 for grey JPEG files, 24 otherwise.
    int BitCount() const { return bitCount_; }
    int Components() const { return components_; }
    bool Progressive() const { return progressive_; }
    // Output size at the current Scale, as libjpeg computes it (rounded up).
    int ScaledWidth() const;
    int ScaledHeight() const;
    // Texts of the COM segments in file order.
    const std::vector<std::string>& Comments() const { return comments_; }
    bool PreviewTaken() const { return previewTaken_; }

    // Decode options.
    TJPEGScale Scale() const { return scale_; }
    void SetScale(TJPEGScale scale) { scale_ = scale; }
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool grayscale) { grayscale_ = grayscale; }
    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TJPEGPixelFormat format) { pixelFormat_ = format; }
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance performance) { performance_ = performance; }
    bool EmbeddedPreview() const { return embeddedPreview_; }
    void SetEmbeddedPreview(bool on) { embeddedPreview_ = on; }
    bool PlainRead() const { return plainRead_; }
    void SetPlainRead(bool on) { plainRead_ = on; }
    // Second-chance reading after a failed load: leading bytes before the first
    // SOI marker are skipped, and a decode that fails part-way keeps the rows
    // it has decoded instead of raising.
    bool RetryRead() const { return retryRead_; }
    void SetRetryRead(bool on) { retryRead_ = on; }

    // Limits of the next DecodeToBitmap. A target of 0 decodes at full size; a
    // maximum of 0 is no maximum. mode 0 ordered dither, 1 none, 2+ error
    // diffusion (8-bit colour output only).
    void SetDecodeLimits(int maxWidth, int maxHeight, int targetWidth, int targetHeight, int mode);

    // Called with 5, 10, ... 100 while rows are decoded.
    std::function<void(int percent)> OnProgress;

    // Decodes at the current Scale straight into `bitmap`, which becomes
    // ScaledWidth x ScaledHeight at 24 bits, or 8 bits for grey files, the
    // Grayscale option or the 8-bit pixel format. With a canvas, a progress bar
    // grows from the left of `progressRect` in the canvas' brush colour. A
    // failure part-way raises EJPEG and leaves the decoded rows in the bitmap
    // (under RetryRead it only records the code).
    void DecodeInto(TBitmap& bitmap, TCanvas* progressCanvas = nullptr,
                    const TRect& progressRect = TRect());
    // Chooses the reduction from the decode limits: from the header size, both
    // sides are halved while the height exceeds 3/4 of the target height or the
    // width 3/4 of the target width, at most six times (served at most at one
    // eighth). A picture exceeding both maxima is not decoded: the bitmap is
    // left empty. Then decodes as DecodeInto without progress.
    void DecodeToBitmap(TBitmap& bitmap);

    // Code of the last fatal decoder error (see jpegcode); per object.
    int LastJpegError() const { return lastError_; }
    // libjpeg warnings (corrupt or truncated data) of the last load or decode.
    int WarningCount() const { return warnings_; }

    // Encoding. Bitmap() is the picture Compress encodes (1..32 bits).
    TBitmap& Bitmap() { return bitmap_; }
    void Assign(const TBitmap& bitmap);
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality) { quality_ = quality; }
    bool ProgressiveEncoding() const { return progressiveEncoding_; }
    void SetProgressiveEncoding(bool on) { progressiveEncoding_ = on; }
    // Text written as one COM segment right after the first segment of files
    // this object encodes; empty writes none. Up to 65,533 bytes.
    void SetComment(const std::string& text) { comment_ = text; }
    // Encodes Bitmap() with CompressionQuality, ProgressiveEncoding and
    // Grayscale (or an 8-bit pixel format) on libjpeg's standard scale.
    void Compress();
    // The JPEG dialog's encode: linear quality scale `scale` (percent of the
    // standard tables), optimised Huffman coding, floating-point DCT,
    // smoothing; `subsample` false samples the first component 1 x 1.
    void CompressJPEG(bool subsample, bool optimize, bool floatDct, int scale, int smoothing);
    void Compress(const TJPEGEncodeOptions& options);

    // Writes the held JPEG bytes (as loaded or as encoded).
    void SaveToStream(TStream& stream) const;
    void SaveToFile(const std::string& fileName) const;
    const std::vector<uint8_t>& Data() const { return data_; }

private:
    void LoadBytes(std::vector<uint8_t> bytes);
    void ReadHeader();
    void Decode(TBitmap& bitmap, int scaleLog2, TCanvas* canvas, const TRect& rect);
    [[noreturn]] void Fail(int libraryCode, const std::string& message);

    std::vector<uint8_t> data_;
    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 24;
    int components_ = 0;
    bool progressive_ = false;
    std::vector<std::string> comments_;
    bool previewTaken_ = false;

    TJPEGScale scale_ = jsFullSize;
    bool grayscale_ = false;
    TJPEGPixelFormat pixelFormat_ = jf24Bit;
    TJPEGPerformance performance_ = jpBestQuality;
    bool embeddedPreview_ = false;
    bool plainRead_ = false;
    bool retryRead_ = false;
    int maxWidth_ = 0;
    int maxHeight_ = 0;
    int targetWidth_ = 0;
    int targetHeight_ = 0;
    TJPEGDither dither_ = jdOrdered;

    int lastError_ = jpegcode::None;
    int warnings_ = 0;

    TBitmap bitmap_;
    int quality_ = 90;
    bool progressiveEncoding_ = false;
    std::string comment_;
};

}  // namespace lumvor
