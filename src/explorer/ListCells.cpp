#include "explorer/ListCells.h"

#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"
#include "platform/Graphics.h"

#include <algorithm>
#include <array>

namespace lumvor {

namespace {

constexpr int CachePictureWidth = 168;
constexpr int CachePictureHeight = 126;

}  // namespace

TCellSize ThumbCellOfStep(int Step) {
    static constexpr std::array<TCellSize, 7> cells = {
        TCellSize{64, 48},   TCellSize{80, 60},   TCellSize{96, 72},   TCellSize{120, 90},
        TCellSize{132, 99},  TCellSize{144, 108}, TCellSize{152, 114}};
    if (Step >= 1 && Step <= 7) return cells[size_t(Step - 1)];
    return TCellSize{};
}

std::string DimensionText(int Width, int Height, int Bits) {
    return std::to_string(Width) + "x" + std::to_string(Height) + "(" + std::to_string(Bits) + ")";
}

bool IsCaptionPictureExt(std::string_view Ext) {
    static constexpr std::string_view list[] = {".JPG", ".JPEG", ".PNG", ".DCX", ".PCX", ".BMP", ".DIB",
                                                ".TIF", ".TGA",  ".PCD", ".PSD", ".FPX", ".GIF"};
    return std::find(std::begin(list), std::end(list), Ext) != std::end(list);
}

QImage ShrinkThumbnail(const QImage& Picture, int Width, int Height) {
    if (Picture.isNull() || Width <= 0 || Height <= 0) return {};
    if (Width >= CachePictureWidth && Height >= CachePictureHeight) return Picture;
    const QImage source = Picture.convertToFormat(QImage::Format_RGB888);
    QImage cell(Width, Height, QImage::Format_RGB888);
    const int lastRow = source.height() - 1, lastColumn = source.width() - 1;
    const int columnDivisor = std::max(Width - 1, 1);
    for (int y = 0; y < Height; ++y) {
        const int sy = std::min(y * (CachePictureHeight - 1) / Height, lastRow);
        const uchar* from = source.constScanLine(sy);
        uchar* to = cell.scanLine(y);
        for (int x = 0; x < Width; ++x) {
            const int sx = std::min(x * (CachePictureWidth - 1) / columnDivisor, lastColumn);
            std::copy_n(from + 3 * sx, 3, to + 3 * x);
        }
    }
    return cell;
}

TThumbCellCache::Entry* TThumbCellCache::Find(const TThumbFile& File, const FileRec& Row) {
    if (auto it = index_.find(File.Path); it != index_.end()) {
        order_.splice(order_.begin(), order_, it->second);
        return &*it->second;
    }
    if (!ThumbFilePresent(File, Row)) return nullptr;
    ++FileReads;
    TBitmap bitmap;
    FileRec trailer;
    if (!LoadThumbFile(trailer.Bytes.data(), bitmap, File.Path) && File.Kind != TThumbFileKind::Stock)
        return nullptr;
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return nullptr;
    order_.push_front({File.Path, bitmap.ToQImage().convertToFormat(QImage::Format_RGB888), {}});
    index_[File.Path] = order_.begin();
    while (order_.size() > capacity_) {
        index_.erase(order_.back().Path);
        order_.pop_back();
    }
    return &order_.front();
}

QImage TThumbCellCache::Cell(const TThumbFile& File, const FileRec& Row) {
    const Entry* entry = Find(File, Row);
    return entry ? entry->Picture : QImage();
}

QImage TThumbCellCache::Cell(const TThumbFile& File, const FileRec& Row, int Width, int Height) {
    Entry* entry = Find(File, Row);
    if (!entry) return {};
    if (entry->Shrunk.width() != Width || entry->Shrunk.height() != Height)
        entry->Shrunk = ShrinkThumbnail(entry->Picture, Width, Height);
    return entry->Shrunk;
}

void TThumbCellCache::Invalidate(const std::string& Path) {
    auto it = index_.find(Path);
    if (it == index_.end()) return;
    order_.erase(it->second);
    index_.erase(it);
}

void TThumbCellCache::Clear() {
    index_.clear();
    order_.clear();
}

TThumbCellCache& ThumbCells() {
    static TThumbCellCache cache;
    return cache;
}

const QImage& SelectionDots(int Width, int Height) {
    static QImage dots;
    if (dots.width() != Width || dots.height() != Height) {
        dots = QImage(std::max(Width, 1), std::max(Height, 1), QImage::Format_ARGB32_Premultiplied);
        dots.fill(Qt::transparent);
        for (int y = 1; y < Height; y += 2)
            for (int x = 1; x < Width; x += 2) dots.setPixel(x, y, qRgb(255, 255, 255));
    }
    return dots;
}

}  // namespace lumvor
