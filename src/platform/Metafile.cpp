#include "platform/Metafile.h"

#include "platform/MetafileRecords.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumvor {

const char* const SInvalidMetafile = "Invalid metafile";

using metafile::TBytes;
using metafile::TMetaCanvas;
namespace wmf = metafile::wmf;
namespace emf = metafile::emf;

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfHeaderMin = 88;
[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidMetafile); }

}  // namespace

int MetafilePlayLimitMs = 10000;

// ---- Loading

void TMetafile::Clear() {
    bytes_.clear();
    enhanced_ = false;
    width_ = height_ = 0;
    firstRecord_ = 0;
    bounds_ = QRectF();
}

void TMetafile::LoadFromFile(const std::string& FileName) {
    TMemoryStream stream;
    stream.LoadFromFile(FileName);
    LoadFromBytes(std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.GetSize()));
}

void TMetafile::LoadFromBytes(std::vector<uint8_t> Bytes) {
    Clear();
    bytes_ = std::move(Bytes);
    try {
        const TBytes all(bytes_);
        if (all.Has(0, kEmfHeaderMin) && all.U32(0) == 1 && all.U32(40) == kEmfSignature)
            ReadEmfHeader();
        else
            ReadWmfHeader();
        if (!PictureSizeAllowed(width_, height_))
            Invalid();
    } catch (...) {
        Clear();
        throw;
    }
}

void TMetafile::ReadWmfHeader() {
    const TBytes all(bytes_);
    size_t at = 0;
    bool placeable = false;
    if (all.Has(0, kPlaceableSize) && all.U32(0) == kPlaceableKey) {
        placeable = true;
        const int left = all.I16(6), top = all.I16(8), right = all.I16(10), bottom = all.I16(12);
        const int inch = all.U16(14);
        if (inch == 0 || right == left || bottom == top)
            Invalid();
        bounds_ = QRectF(QPointF(left, top), QPointF(right, bottom));
        width_ = static_cast<int>(std::lround(std::abs(right - left) * double(MetafilePixelsPerInch) / inch));
        height_ = static_cast<int>(std::lround(std::abs(bottom - top) * double(MetafilePixelsPerInch) / inch));
        at = kPlaceableSize;
    }
    // The header: type 1 or 2, 9 words long, version 0x0100 or 0x0300, the
    // file's size in words.
    if (!all.Has(at, kWmfHeaderSize))
        Invalid();
    const uint16_t type = all.U16(at), headerWords = all.U16(at + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        Invalid();
    const uint64_t declared = uint64_t(all.U32(at + 6)) * 2;
    if (declared < kWmfHeaderSize || declared > all.Size() - at)
        Invalid();
    firstRecord_ = at + kWmfHeaderSize;
    // Every record must lie inside the declared size: size in words, then function.
    const size_t end = at + declared;
    size_t record = firstRecord_;
    bool sized = placeable;
    bool originSeen = placeable;
    QPointF origin;
    while (record < end) {
        if (end - record < 6)
            Invalid();
        const uint64_t size = uint64_t(all.U32(record)) * 2;
        const uint16_t function = all.U16(record + 4);
        if (size < 6 || size > end - record)
            Invalid();
        // Without a placeable header the first window origin and extent say
        // what the picture shows, one unit a pixel.
        if (!sized && function == wmf::SETWINDOWEXT && size >= 10) {
            const int cy = all.I16(record + 6), cx = all.I16(record + 8);
            if (cx != 0 && cy != 0) {
                bounds_.setSize(QSizeF(cx, cy));
                width_ = std::abs(cx);
                height_ = std::abs(cy);
                sized = true;
            }
        }
        if (!originSeen && function == wmf::SETWINDOWORG && size >= 10) {
            origin = QPointF(all.I16(record + 8), all.I16(record + 6));
            originSeen = true;
        }
        record += size;
        if (function == wmf::EOF_)
            break;
    }
    if (!placeable)
        bounds_.moveTopLeft(origin);
    if (!sized)
        Invalid();
}

void TMetafile::ReadEmfHeader() {
    enhanced_ = true;
    const TBytes all(bytes_);
    // Bounds (device pixels), frame (0.01 mm), signature, version, size in
    // bytes, record count, handle count, ..., device size in pixels and in mm.
    const QRectF frame(QPointF(all.I32(24), all.I32(28)), QPointF(all.I32(32), all.I32(36)));
    const uint64_t declared = all.U32(48);
    const uint32_t headerSize = all.U32(4);
    if (headerSize < kEmfHeaderMin || headerSize % 4 != 0 || headerSize > declared || declared > all.Size())
        Invalid();
    const double deviceX = all.I32(72), deviceY = all.I32(76), millimetresX = all.I32(80), millimetresY = all.I32(84);
    if (frame.width() <= 0 || frame.height() <= 0 || deviceX <= 0 || deviceY <= 0 || millimetresX <= 0 ||
        millimetresY <= 0)
        Invalid();
    width_ = static_cast<int>(std::lround(frame.width() * MetafilePixelsPerInch / 2540.0));
    height_ = static_cast<int>(std::lround(frame.height() * MetafilePixelsPerInch / 2540.0));
    deviceDotsPerMillimetreX_ = deviceX / millimetresX;
    deviceDotsPerMillimetreY_ = deviceY / millimetresY;
    deviceFrame_ = QRectF(frame.left() / 100 * deviceDotsPerMillimetreX_, frame.top() / 100 * deviceDotsPerMillimetreY_,
                          frame.width() / 100 * deviceDotsPerMillimetreX_,
                          frame.height() / 100 * deviceDotsPerMillimetreY_);
    firstRecord_ = headerSize;
    size_t record = headerSize;
    while (record < declared) {
        if (declared - record < 8)
            Invalid();
        const uint32_t type = all.U32(record), size = all.U32(record + 4);
        if (size < 8 || size % 4 != 0 || size > declared - record)
            Invalid();
        record += size;
        if (type == emf::EOF_)
            break;
    }
}

// ---- Playing

bool TMetafile::Play(QPainter& Painter, const QRectF& Dest) const {
    if (Empty() || Dest.isEmpty())
        return true;
    const TBytes all(bytes_);
    // Stops playing a hostile file that would keep the painter busy for long:
    // the canvas looks at the clock after every record and inside long ones.
    QElapsedTimer clock;
    clock.start();
    if (!enhanced_) {
        TMetaCanvas canvas(Painter, Dest, true, QTransform(), 1, 1);
        canvas.SetTimeLimit(clock, MetafilePlayLimitMs);
        canvas.Dc.WindowOrg = bounds_.topLeft();
        canvas.Dc.WindowExt = QPointF(bounds_.width(), bounds_.height());
        canvas.SetTableSize(all.U16(firstRecord_ - kWmfHeaderSize + 10));
        size_t record = firstRecord_;
        while (all.Has(record, 6)) {
            const size_t size = size_t(all.U32(record)) * 2;
            const uint16_t function = all.U16(record + 4);
            if (size < 6 || !all.Has(record, size) || function == wmf::EOF_)
                break;
            wmf::PlayRecord(canvas, TBytes(all.Sub(record, size)), function);
            record += size;
            if (canvas.OutOfTime())
                return false;
        }
        return true;
    }
    // The frame, in the reference device's pixels, fills the destination.
    const QTransform deviceToDest = QTransform::fromTranslate(-deviceFrame_.left(), -deviceFrame_.top()) *
                                    QTransform::fromScale(Dest.width() / deviceFrame_.width(),
                                                          Dest.height() / deviceFrame_.height()) *
                                    QTransform::fromTranslate(Dest.left(), Dest.top());
    TMetaCanvas canvas(Painter, Dest, false, deviceToDest, deviceDotsPerMillimetreX_, deviceDotsPerMillimetreY_);
    canvas.SetTimeLimit(clock, MetafilePlayLimitMs);
    canvas.SetTableSize(size_t(all.U16(56)) + 1);
    const size_t end = std::min<size_t>(all.U32(48), all.Size());
    size_t record = firstRecord_;
    while (record < end && end - record >= 8) {
        const uint32_t type = all.U32(record), size = all.U32(record + 4);
        if (size < 8 || size > end - record || type == emf::EOF_)
            break;
        emf::PlayRecord(canvas, TBytes(all.Sub(record, size)), type);
        record += size;
        if (canvas.OutOfTime())
            return false;
    }
    return true;
}

// ---- Rendering a file

TPixelBuffer RenderMetafile(const std::string& FileName, TColor Background) {
    TMetafile metafile;
    metafile.LoadFromFile(FileName);
    const int width = metafile.Width(), height = metafile.Height();
    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        throw EOutOfMemory("Out of memory");
    canvas.fill(QColor(GetRValue(Background), GetGValue(Background), GetBValue(Background)));
    bool finished;
    {
        QPainter painter(&canvas);
        finished = metafile.Play(painter, QRectF(0, 0, width, height));
    }
    if (!finished)
        Invalid();
    return PixelBufferFromImage(canvas);
}

}  // namespace lumvor
