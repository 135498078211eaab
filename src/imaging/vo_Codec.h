// What every codec class of the image library shares.
//
// A codec class (TIFF, PNG, TGA, PCX, BMP) derives from TCodecGraphic, which
// is a TDibGraphic with the header-read fields and a few protected helpers:
//
// - Header reads (`ReadFileInfo` of each class) go through ReadHeaderFile: the
//   named file is loaded whole into `HeaderStream`, the format's header reader
//   runs on it, and `HeaderStream` is cleared again on success and on failure.
//   `InfoWidth`, `InfoHeight`, `InfoBitCount` hold the last successful result
//   and are zero until one succeeds. A file that cannot be opened raises
//   EFOpenError.
//
// - Stream rebasing: every offset inside a picture file counts from the file's
//   first byte. TRebasedStream hands a reader a stream whose position 0 is the
//   picture's first byte: the caller's stream itself (sought to 0) when it
//   stands at 0, else a memory copy of everything from its position on. So a
//   picture inside a larger stream (a cache file, an archive) reads exactly like
//   the same file alone.
//
// - Guarded reads: ReadGuarded runs a read and, when it throws, empties the
//   picture before the exception passes on, so a failed read never leaves a
//   half-made picture that a caller could take for a good one.
//
// - Resolution exchange: readers hand dots per inch to NewImage (0 = the
//   screen's) or set them after with SetXDpi/SetYDpi; writers take
//   GetXDpi/GetYDpi. Files that store pixels per metre convert with
//   DpiFromPelsPerMeter / PelsPerMeterFromDpi.
//
// Format codes each codec reads and writes (0 "B/W", 1 "4bpp gray",
// 2 "8bpp gray", 3 "4bpp color", 4 "8bpp color", 5 "24bpp color"):
//   TIFF reads 0-5, writes 0-5, several pages per file;
//   PNG  reads 0-5, writes 0-5;
//   TGA  reads 4 and 5 (grey files as 4 with a grey palette), writes 2, 4, 5;
//   PCX  reads 0, 3, 4, 5, writes 0-5 (grey codes as 4- and 8-bit palette files);
//   BMP  reads 0, 3, 4, 5, writes 0-5.
// Only TIFF has more than one image per file; GetImageCount is 1 for the others.
//
// Exceptions: format errors raise the codec's own exception class below (or
// ERuvezevoError for format-code and compression choices); stream and file
// errors pass through unchanged.
#pragma once

#include "imaging/vo_DIB.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace lumvor {

LUMVOR_EXCEPTION(ETiffError, Exception);
LUMVOR_EXCEPTION(EPNGError, Exception);
LUMVOR_EXCEPTION(ETgaError, Exception);
LUMVOR_EXCEPTION(EGbmError, Exception);

// A stream whose position 0 is the first byte of the picture that stood at the
// given stream's position when this object was made.
class TRebasedStream {
public:
    explicit TRebasedStream(TStream& stream);
    TRebasedStream(const TRebasedStream&) = delete;
    TRebasedStream& operator=(const TRebasedStream&) = delete;
    TStream& Stream() { return copy_ ? *copy_ : source_; }
    // True when the picture was copied out of a larger stream.
    bool Copied() const { return copy_ != nullptr; }

private:
    TStream& source_;
    std::unique_ptr<TMemoryStream> copy_;
};

// Dots per inch from pixels per metre: Round(ppm x 0.0254); values outside
// 0..65535 give 0.
uint16_t DpiFromPelsPerMeter(double pelsPerMeter);
// Pixels per metre from dots per inch: Round(dpi x 39.37007874015748).
int32_t PelsPerMeterFromDpi(int dpi);

class TCodecGraphic : public TDibGraphic {
public:
    std::string ClassName() const override { return "TCodecGraphic"; }

    // Holds a whole file only while a header read runs; empty otherwise.
    TMemoryStream HeaderStream;
    int InfoWidth = 0;
    int InfoHeight = 0;
    int InfoBitCount = 0;

protected:
    // Loads fileName into HeaderStream, rewinds it, runs readHeader on it and
    // clears HeaderStream afterwards, also when readHeader throws.
    void ReadHeaderFile(const std::string& fileName, const std::function<void(TStream&)>& readHeader);
    // Runs read; when it throws, empties the picture and passes the exception on.
    void ReadGuarded(const std::function<void()>& read);
};

}  // namespace lumvor
