#include "platform/PixelBuffer.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace lumvor {

bool PictureSizeAllowed(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= MaxPictureSide && height <= MaxPictureSide &&
           width * height <= MaxPixelCount;
}

TPixelBuffer::TPixelBuffer(int width, int height, int depth) {
    if (!ValidDepth(depth))
        throw EInvalidGraphic("Invalid pixel depth " + std::to_string(depth));
    if (!PictureSizeAllowed(width, height))
        throw EInvalidGraphic("Invalid picture size " + std::to_string(width) + " x " +
                              std::to_string(height));
    const int64_t rowBytes = DibRowBytes(width, DepthBits(depth));
    const int64_t total = rowBytes * height;
    try {
        data_.reset(new uint8_t[static_cast<size_t>(total)]());
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory for a picture of " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels");
    }
    width_ = width;
    height_ = height;
    depth_ = depth;
    rowBytes_ = rowBytes;
    if (depth <= 8)
        ColorTable.assign(size_t(1) << depth, 0);
}

TPixelBuffer::TPixelBuffer(const TPixelBuffer& other)
    : ColorTable(other.ColorTable),
      XPelsPerMeter(other.XPelsPerMeter),
      YPelsPerMeter(other.YPelsPerMeter),
      width_(other.width_),
      height_(other.height_),
      depth_(other.depth_),
      rowBytes_(other.rowBytes_) {
    if (other.data_) {
        data_.reset(new uint8_t[static_cast<size_t>(other.ByteCount())]);
        std::memcpy(data_.get(), other.data_.get(), static_cast<size_t>(other.ByteCount()));
    }
}

TPixelBuffer& TPixelBuffer::operator=(const TPixelBuffer& other) {
    if (this == &other)
        return *this;
    // Memory of the same size is reused: a fresh block costs a page fault per
    // page on first touch, more than the copy itself.
    if (data_ && other.data_ && ByteCount() == other.ByteCount()) {
        ColorTable = other.ColorTable;
        XPelsPerMeter = other.XPelsPerMeter;
        YPelsPerMeter = other.YPelsPerMeter;
        width_ = other.width_;
        height_ = other.height_;
        depth_ = other.depth_;
        rowBytes_ = other.rowBytes_;
        std::memcpy(data_.get(), other.data_.get(), static_cast<size_t>(other.ByteCount()));
        return *this;
    }
    TPixelBuffer copy(other);
    *this = std::move(copy);
    return *this;
}

uint32_t TPixelBuffer::GetIndex(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (depth_) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    default:
        return 0;
    }
}

void TPixelBuffer::SetIndex(int x, int y, uint32_t index) {
    uint8_t* row = ScanLine(y);
    switch (depth_) {
    case 1: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        if (index & 1)
            row[x >> 3] |= bit;
        else
            row[x >> 3] &= static_cast<uint8_t>(~bit);
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    case 8:
        row[x] = static_cast<uint8_t>(index);
        break;
    default:
        break;
    }
}

namespace {

inline uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
inline uint8_t Expand6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

}  // namespace

uint32_t TPixelBuffer::GetColor(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    switch (depth_) {
    case 1:
    case 4:
    case 8: {
        const uint32_t index = GetIndex(x, y);
        return index < ColorTable.size() ? (ColorTable[index] & 0xFFFFFF) : 0;
    }
    case 15: {
        const uint32_t w = row[x * 2] | (row[x * 2 + 1] << 8);
        return Expand5(w & 0x1F) | (Expand5((w >> 5) & 0x1F) << 8) |
               (Expand5((w >> 10) & 0x1F) << 16);
    }
    case 16: {
        const uint32_t w = row[x * 2] | (row[x * 2 + 1] << 8);
        return Expand5(w & 0x1F) | (Expand6((w >> 5) & 0x3F) << 8) |
               (Expand5((w >> 11) & 0x1F) << 16);
    }
    case 24:
        return row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
    case 32:
        return row[x * 4] | (row[x * 4 + 1] << 8) | (row[x * 4 + 2] << 16);
    default:
        return 0;
    }
}

void TPixelBuffer::SetColor(int x, int y, uint32_t colour) {
    uint8_t* row = ScanLine(y);
    const uint32_t b = colour & 0xFF, g = (colour >> 8) & 0xFF, r = (colour >> 16) & 0xFF;
    switch (depth_) {
    case 15: {
        const uint32_t w = (b >> 3) | ((g >> 3) << 5) | ((r >> 3) << 10);
        row[x * 2] = static_cast<uint8_t>(w);
        row[x * 2 + 1] = static_cast<uint8_t>(w >> 8);
        break;
    }
    case 16: {
        const uint32_t w = (b >> 3) | ((g >> 2) << 5) | ((r >> 3) << 11);
        row[x * 2] = static_cast<uint8_t>(w);
        row[x * 2 + 1] = static_cast<uint8_t>(w >> 8);
        break;
    }
    case 24:
        row[x * 3] = static_cast<uint8_t>(b);
        row[x * 3 + 1] = static_cast<uint8_t>(g);
        row[x * 3 + 2] = static_cast<uint8_t>(r);
        break;
    case 32:
        row[x * 4] = static_cast<uint8_t>(b);
        row[x * 4 + 1] = static_cast<uint8_t>(g);
        row[x * 4 + 2] = static_cast<uint8_t>(r);
        break;
    default:
        break;
    }
}

namespace {

QList<QRgb> QtColorTable(const std::vector<uint32_t>& table, size_t size) {
    QList<QRgb> result(static_cast<qsizetype>(size), qRgb(0, 0, 0));
    for (size_t i = 0; i < size && i < table.size(); ++i)
        result[static_cast<qsizetype>(i)] = 0xFF000000u | (table[i] & 0xFFFFFF);
    return result;
}

}  // namespace

QImage TPixelBuffer::View() {
    if (!data_)
        return {};
    const qsizetype bpl = static_cast<qsizetype>(rowBytes_);
    switch (depth_) {
    case 1: {
        QImage image(data_.get(), width_, height_, bpl, QImage::Format_Mono);
        image.setColorTable(QtColorTable(ColorTable, 2));
        return image;
    }
    case 4: {
        QImage image(width_, height_, QImage::Format_Indexed8);
        image.setColorTable(QtColorTable(ColorTable, 16));
        for (int y = 0; y < height_; ++y) {
            const uint8_t* src = ScanLine(y);
            uint8_t* dst = image.scanLine(y);
            for (int x = 0; x < width_; ++x)
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        }
        return image;
    }
    case 8: {
        QImage image(data_.get(), width_, height_, bpl, QImage::Format_Indexed8);
        image.setColorTable(QtColorTable(ColorTable, 256));
        return image;
    }
    case 15:
        return QImage(data_.get(), width_, height_, bpl, QImage::Format_RGB555);
    case 16:
        return QImage(data_.get(), width_, height_, bpl, QImage::Format_RGB16);
    case 24:
        return QImage(data_.get(), width_, height_, bpl, QImage::Format_BGR888);
    case 32:
        return QImage(data_.get(), width_, height_, bpl, QImage::Format_RGB32);
    default:
        return {};
    }
}

QImage TPixelBuffer::ToRgbImage(int x0, int y0, int w, int h) const {
    QImage image(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int sy = y0 + y;
        for (int x = 0; x < w; ++x) {
            const int sx = x0 + x;
            if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_ || !data_)
                dst[x] = 0xFF000000u;
            else
                dst[x] = 0xFF000000u | GetColor(sx, sy);
        }
    }
    return image;
}

int NearestColorIndex(const uint32_t* entries, int count, uint32_t colour) {
    const int b = colour & 0xFF, g = (colour >> 8) & 0xFF, r = (colour >> 16) & 0xFF;
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const uint32_t e = entries[i];
        const int d0 = int(e & 0xFF) - b, d1 = int((e >> 8) & 0xFF) - g,
                  d2 = int((e >> 16) & 0xFF) - r;
        const int distance = d0 * d0 + d1 * d1 + d2 * d2;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    return best;
}

TPixelBuffer PixelBufferFromImage(const QImage& source) {
    if (source.isNull())
        return {};
    if (source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB ||
        source.format() == QImage::Format_Indexed8) {
        QImage image = source.format() == QImage::Format_Indexed8
                           ? source
                           : source.convertToFormat(QImage::Format_Mono);
        const int depth = image.format() == QImage::Format_Mono ? 1 : 8;
        TPixelBuffer buffer(image.width(), image.height(), depth);
        const auto table = image.colorTable();
        for (qsizetype i = 0; i < table.size() && i < qsizetype(buffer.ColorTable.size()); ++i)
            buffer.ColorTable[size_t(i)] = table[i] & 0xFFFFFF;
        const size_t bytes = static_cast<size_t>(std::min<int64_t>(buffer.RowBytes(), image.bytesPerLine()));
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(buffer.ScanLine(y), image.constScanLine(y), bytes);
        buffer.XPelsPerMeter = image.dotsPerMeterX();
        buffer.YPelsPerMeter = image.dotsPerMeterY();
        return buffer;
    }
    const QImage image = source.convertToFormat(QImage::Format_BGR888);
    TPixelBuffer buffer(image.width(), image.height(), 24);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(buffer.ScanLine(y), image.constScanLine(y), size_t(image.width()) * 3);
    buffer.XPelsPerMeter = image.dotsPerMeterX();
    buffer.YPelsPerMeter = image.dotsPerMeterY();
    return buffer;
}

HPALETTE CreatePalette(const std::vector<PALETTEENTRY>& entries) {
    auto palette = std::make_shared<TPaletteObject>();
    palette->Entries.assign(entries.begin(),
                            entries.begin() + std::min<size_t>(entries.size(), 256));
    return palette;
}

HPALETTE PaletteFromColorTable(const std::vector<uint32_t>& table) {
    std::vector<PALETTEENTRY> entries;
    entries.reserve(table.size());
    for (uint32_t v : table)
        entries.push_back({static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                           static_cast<uint8_t>(v), 0});
    return CreatePalette(entries);
}

std::vector<uint32_t> ColorTableFromPalette(const HPALETTE& palette) {
    std::vector<uint32_t> table;
    if (!palette)
        return table;
    for (const PALETTEENTRY& e : palette->Entries)
        table.push_back(e.peBlue | (e.peGreen << 8) | (e.peRed << 16));
    return table;
}

}  // namespace lumvor
