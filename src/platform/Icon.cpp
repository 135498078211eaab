// Icons of the class library: icon files read through Qt's icon reader and
// written as one 24-bit image with its mask.
#include "platform/Graphics.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace lumvor {

namespace {

const char* const kInvalidIcon = "Invalid icon";

constexpr int kSystemIconSize = 32;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The directory entry to take: the size nearest the system icon size, then
// the most colour bits, then the first.
int ChooseEntry(const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const int count = Le16(bytes + 4);
    int best = 0;
    int bestDistance = 0;
    int bestBits = -1;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = bytes + 6 + 16 * i;
        if (6 + 16 * (i + 1) > data.size())
            break;
        const int width = entry[0] == 0 ? 256 : entry[0];
        const int height = entry[1] == 0 ? 256 : entry[1];
        const int bits = Le16(entry + 6);
        const int distance = std::abs(width - kSystemIconSize) + std::abs(height - kSystemIconSize);
        if (bestBits < 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = i;
            bestDistance = distance;
            bestBits = bits;
        }
    }
    return best;
}

}  // namespace

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return kSystemIconSize;
    default:
        return 0;
    }
}

HICON CreateIconIndirect(const ICONINFO& info) {
    if (!info.hbmColor || !info.hbmMask || info.hbmColor->Empty() || info.hbmMask->Empty() ||
        info.hbmColor->Width() != info.hbmMask->Width() || info.hbmColor->Height() != info.hbmMask->Height())
        throw EInvalidGraphic(kInvalidIcon);
    const TPixelBuffer& colour = *info.hbmColor;
    const TPixelBuffer& mask = *info.hbmMask;
    auto icon = std::make_shared<TIconObject>();
    icon->Image = QImage(colour.Width(), colour.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < colour.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(icon->Image.scanLine(y));
        for (int x = 0; x < colour.Width(); ++x) {
            const uint32_t c = static_cast<uint32_t>(colour.GetColor(x, y));
            const bool transparent = (static_cast<uint32_t>(mask.GetColor(x, y)) & 0xFFFFFF) != 0;
            row[x] = transparent ? 0 : (0xFF000000u | c);
        }
    }
    return icon;
}

void TIcon::SetWidth(int) { throw EInvalidGraphic("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphic("Cannot change the size of an icon"); }

void TIcon::Draw(TCanvas& canvas, const TRect& rect) const {
    if (!handle_)
        return;
    const QImage& image = handle_->Image;
    canvas.DrawImage(rect, image, Rect(0, 0, image.width(), image.height()), false);
}

void TIcon::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining < 6 || remaining > (int64_t{1} << 30))
        throw EInvalidGraphic(kInvalidIcon);
    QByteArray data(static_cast<qsizetype>(remaining), Qt::Uninitialized);
    stream.ReadBuffer(data.data(), remaining);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    if (Le16(bytes) != 0 || Le16(bytes + 2) != 1 || Le16(bytes + 4) == 0)
        throw EInvalidGraphic(kInvalidIcon);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const int entry = ChooseEntry(data);
    if (entry > 0 && !reader.jumpToImage(entry))
        throw EInvalidGraphic(kInvalidIcon);
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(kInvalidIcon);
    auto icon = std::make_shared<TIconObject>();
    icon->Image = image.convertToFormat(QImage::Format_ARGB32);
    handle_ = std::move(icon);
    Changed();
}

// One directory entry and one image: 24-bit colour rows bottom-up, then the
// 1-bit mask rows (1 = transparent), each row padded with zero bytes.
void TIcon::SaveToStream(TStream& stream) {
    if (!handle_)
        throw EInvalidGraphic(kInvalidIcon);
    const QImage& image = handle_->Image;
    const int width = image.width();
    const int height = image.height();
    const uint32_t colourRow = static_cast<uint32_t>(((width * 24 + 31) / 32) * 4);
    const uint32_t maskRow = static_cast<uint32_t>(((width + 31) / 32) * 4);
    const uint32_t imageSize = 40 + (colourRow + maskRow) * static_cast<uint32_t>(height);

    std::vector<uint8_t> out;
    out.reserve(22 + imageSize);
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, 1);  // one image
    out.push_back(static_cast<uint8_t>(width >= 256 ? 0 : width));
    out.push_back(static_cast<uint8_t>(height >= 256 ? 0 : height));
    out.push_back(0);  // no colour table
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, imageSize);
    Put32(out, 22);
    // The bitmap header counts colour and mask rows together.
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(2 * height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, (colourRow + maskRow) * static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const bool transparent = qAlpha(row[x]) < 128;
            out.push_back(transparent ? 0 : static_cast<uint8_t>(qBlue(row[x])));
            out.push_back(transparent ? 0 : static_cast<uint8_t>(qGreen(row[x])));
            out.push_back(transparent ? 0 : static_cast<uint8_t>(qRed(row[x])));
        }
        out.resize(start + colourRow, 0);
    }
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::vector<uint8_t> bits(maskRow, 0);
        for (int x = 0; x < width; ++x)
            if (qAlpha(row[x]) < 128)
                bits[static_cast<size_t>(x) >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
        out.insert(out.end(), bits.begin(), bits.end());
    }
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

}  // namespace lumvor
