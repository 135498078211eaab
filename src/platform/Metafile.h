// Windows metafiles: ".WMF" (with or without the placeable header that gives
// its size in inches) and ".EMF", read and played onto a QPainter by our own
// record player.
//
// Loading checks the header and walks the record chain once: a file whose
// header, declared size or chain does not fit in its bytes raises
// EInvalidGraphic "Invalid metafile". Playing reads every record's parameters
// within that record only; a record too short for what it claims is skipped.
// Coordinates, pen widths, font sizes and bitmap sizes are clamped, so a
// hostile file can neither read outside its bytes nor keep the painter busy
// for long. One object is used by one thread at a time.
#pragma once

#include "platform/Colors.h"
#include "platform/PixelBuffer.h"

#include <QRectF>

#include <cstdint>
#include <string>
#include <vector>

class QPainter;

namespace lumvor {

extern const char* const SInvalidMetafile;  // "Invalid metafile"

// The pixels per inch at which a metafile's physical size becomes its picture size.
constexpr int MetafilePixelsPerInch = 96;
// How long playing one metafile may take, in milliseconds.
extern int MetafilePlayLimitMs;

class TMetafile {
public:
    // Raise EFOpenError when the file cannot be read, EInvalidGraphic when it
    // is no metafile; the object is empty afterwards then.
    void LoadFromFile(const std::string& FileName);
    void LoadFromBytes(std::vector<uint8_t> Bytes);

    bool Empty() const { return bytes_.empty(); }
    bool Enhanced() const { return enhanced_; }
    // The picture size in pixels: a WMF's placeable bounds or an EMF's frame
    // (hundredths of a millimetre) at MetafilePixelsPerInch. A WMF without the
    // placeable header is sized by its first window extent, one unit a pixel.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Plays the records so that the picture fills Dest (painter coordinates).
    // Nothing is thrown; the painter's state is restored afterwards. False
    // when playing took longer than MetafilePlayLimitMs, or one record needed
    // more work than a record may take, and was stopped there: what was drawn
    // up to then stays drawn.
    bool Play(QPainter& Painter, const QRectF& Dest) const;

private:
    void Clear();
    void ReadWmfHeader();
    void ReadEmfHeader();

    std::vector<uint8_t> bytes_;
    bool enhanced_ = false;
    int width_ = 0;
    int height_ = 0;
    // WMF: where the records start and the logical bounds the picture shows.
    size_t firstRecord_ = 0;
    QRectF bounds_;
    // EMF: the frame in the reference device's pixels.
    QRectF deviceFrame_;
    double deviceDotsPerMillimetreX_ = 1, deviceDotsPerMillimetreY_ = 1;
};

// Draws the metafile file onto a new 24-bit picture of its size that is first
// filled with Background (a plain colour). Raises EFOpenError when the file
// cannot be read, EInvalidGraphic when it is no metafile, its size is beyond
// the picture limits (checked before any pixel is allocated) or playing it
// ran out of time.
TPixelBuffer RenderMetafile(const std::string& FileName, TColor Background);

}  // namespace lumvor
