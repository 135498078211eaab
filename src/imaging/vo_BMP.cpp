#include "imaging/vo_BMP.h"

#include "imaging/vo_GBM.h"
#include "platform/Graphics.h"
#include "platform/PackedDib.h"

#include <vector>

namespace lumvor {

namespace {
constexpr const char* kName = "File.bmp";
constexpr int64_t kResolutionOffset = 38;  // pixels per metre in a Windows info header

int32_t Get32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void TBmpGraphic::ReadFileInfo(const std::string& fileName) {
    LoadedByBitmap = false;
    ReadHeaderFile(fileName, [this](TStream& header) {
        GbmReadHeader(header, *this, kName, InfoWidth, InfoHeight, InfoBitCount, "inv");
    });
}

void TBmpGraphic::ReadImage(TStream& stream, int) {
    ReadGuarded([&] {
        TRebasedStream rebased(stream);
        TStream& s = rebased.Stream();
        uint8_t ppm[8] = {};
        s.SetPosition(kResolutionOffset);
        s.Read(ppm, 8);
        s.SetPosition(0);
        LoadedByBitmap = false;
        try {
            // "inv": 1-bit palettes keep the file's order.
            GbmReadImage(s, *this, kName, "inv");
        } catch (const std::exception&) {
            s.SetPosition(0);
            TBitmap bitmap;
            bitmap.LoadFromStream(s);
            Assign(&bitmap);
            LoadedByBitmap = true;
        }
        SetXDpi(DpiFromPelsPerMeter(Get32(ppm)));
        SetYDpi(DpiFromPelsPerMeter(Get32(ppm + 4)));
    });
}

void TBmpGraphic::SaveToStream(TStream& stream) {
    if (IsEmpty())
        throw EGbmError(vo_GBM::SWriteFailed);
    const BITMAPINFOHEADER& info = InfoHeader();
    const uint8_t format = ImageFormat();
    const int entries = format == ifTrueColor ? 0 : PaletteRecord().NumberOfEntries;
    const uint32_t colourBytes = 4u * entries;
    const int64_t stride = RowBytes();
    const uint32_t imageSize = static_cast<uint32_t>(stride * Height());

    std::vector<uint8_t> head(54 + colourBytes, 0);
    head[0] = 'B';
    head[1] = 'M';
    Put32(&head[2], 54 + colourBytes + imageSize);
    Put32(&head[10], 54 + colourBytes);
    BITMAPINFOHEADER written = info;
    written.biSizeImage = imageSize;
    WriteInfoHeader(&head[14], written);
    for (int i = 0; i < entries; ++i)
        Put32(&head[54 + 4 * i], static_cast<uint32_t>(PaletteRecord().Entries[i]) & 0xFFFFFF);
    stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    for (int y = Height() - 1; y >= 0; --y)
        stream.WriteBuffer(ScanLine(y), stride);
}

}  // namespace lumvor
