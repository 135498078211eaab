#include "imaging/vo_PCX.h"

#include "imaging/vo_GBM.h"

#include <algorithm>

namespace lumvor {

namespace {
constexpr const char* kName = "File.pcx";
constexpr int64_t kResolutionOffset = 12;  // two little-endian words: x dpi, y dpi
}  // namespace

void TPcxGraphic::ReadFileInfo(const std::string& fileName) {
    ReadHeaderFile(fileName, [this](TStream& header) {
        GbmReadHeader(header, *this, kName, InfoWidth, InfoHeight, InfoBitCount, "");
    });
}

void TPcxGraphic::ReadImage(TStream& stream, int) {
    ReadGuarded([&] {
        TRebasedStream rebased(stream);
        TStream& s = rebased.Stream();
        uint8_t dpi[4] = {};
        s.SetPosition(kResolutionOffset);
        s.Read(dpi, 4);
        s.SetPosition(0);
        GbmReadImage(s, *this, kName, "");
        SetXDpi(static_cast<uint16_t>(dpi[0] | dpi[1] << 8));
        SetYDpi(static_cast<uint16_t>(dpi[2] | dpi[3] << 8));
    });
}

void TPcxGraphic::SaveToStream(TStream& stream) {
    int64_t start = stream.Position();
    GbmWriteImage(stream, *this, kName);
    int64_t end = stream.Position();
    // The module writes no resolution; patch it into the header.
    auto word = [](int v) { return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF)); };
    uint16_t x = word(GetXDpi()), y = word(GetYDpi());
    uint8_t dpi[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)};
    stream.SetPosition(start + kResolutionOffset);
    stream.WriteBuffer(dpi, 4);
    stream.SetPosition(end);
}

}  // namespace lumvor
