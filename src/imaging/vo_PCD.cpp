#include "imaging/vo_PCD.h"

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

#include <bit>
#include <cstring>
#include <vector>

namespace lumvor {

namespace vo_PCD {
int32_t PCDStatus = 0;
int32_t PCDWidth = 0;
int32_t PCDHeight = 0;
uint32_t PCDResolutionMask = 0;
uint16_t PCDResolutionCount = 0;
}  // namespace vo_PCD

using namespace vo_PCD;

namespace {

// Offset of the rows in a packed DIB of the library: header and a full colour table.
constexpr int64_t DibRowsOffset = BitmapInfoHeaderSize + 256 * 4;

}  // namespace

int PhotoCDUsableLevels(uint32_t encryption, uint32_t resolutionMask, int resolutionCount) {
    if ((encryption & 0xFF) == 0)
        return resolutionCount;
    const uint32_t allowed = (encryption ^ 0xFF) & resolutionMask;
    return 1 + std::bit_width(allowed);
}

int PhotoCDLevelFor(int resolution, int resolutionCount, int usableLevels) {
    if (resolution == 0)
        return 0;
    if (resolutionCount < resolution + 1)
        resolution = resolutionCount - 1;
    if (usableLevels < resolution + 1)
        resolution = usableLevels - 1;
    return resolution;
}

void ReadPhotoCDSize(const std::string& FileName, int Resolution, TPhotoCDSize& Size) {
    HPCD handle = 0;
    try {
        PCDStatus = PCDopen(FileName.c_str(), handle);
    } catch (const std::exception&) {
        handle = 0;
    }
    // The library reports a file it cannot open with a zero handle; asking a
    // zero handle for its size would report a 0 x 0 picture as a success.
    if (handle == 0) {
        PCDStatus = PCDclose(handle);
        Size.Resolution = PhotoCDOpenFailed;
        return;
    }
    PCDattributes attributes;
    uint16_t info = 0;
    PCDStatus = PCDgetAttributes(handle, attributes, info);
    PCDStatus = PCDgetCount(handle, PCDResolutionMask, PCDResolutionCount);
    const int usable =
        PhotoCDUsableLevels(attributes.EncryptedLevels, PCDResolutionMask, PCDResolutionCount);
    const int level = PhotoCDLevelFor(Resolution, PCDResolutionCount, usable);
    PCDStatus = PCDsetResolution(handle, int16_t(level));

    int16_t actual = 0;
    PCDrect rect;
    PCDStatus = PCDgetResolution(handle, actual);
    PCDStatus = PCDgetSize(handle, rect);
    PCDStatus = PCDclose(handle);
    PCDHeight = rect.Bottom;
    PCDWidth = rect.Right;
    Size.Resolution = actual;
    Size.Top = rect.Top;
    Size.Width = rect.Right;
    Size.Height = rect.Bottom;
}

int PackedDIBToBitmap(TBitmap& Bitmap, const TPackedDib& DIB, int Width, int Height, int BitCount,
                      int ScreenBits) {
    const int bits = BitCount == 8 ? 8 : 24;
    Bitmap.SetPixelFormat(bits == 8 ? pf8bit : pf24bit);
    Bitmap.SetSize(Width, Height);

    const int64_t rowBytes = GetRowBytes(Width, bits, 32);
    if (DIB.Size() < DibRowsOffset + rowBytes * Height || Bitmap.RowBytes() != rowBytes)
        throw EInvalidGraphic(SBitmapNotValid);
    const uint8_t* rows = DIB.Bytes().data() + DibRowsOffset;
    // The DIB's rows run bottom-up, the bitmap's top-down.
    for (int y = 0; y < Height; ++y)
        std::memcpy(Bitmap.ScanLine(y), rows + rowBytes * (Height - 1 - y), size_t(rowBytes));

    if (bits == 8) {
        const uint8_t* table = DIB.Bytes().data() + BitmapInfoHeaderSize;
        std::vector<uint32_t> colours(256);
        std::vector<PALETTEENTRY> entries(256);
        for (int i = 0; i < 256; ++i) {
            const uint8_t* e = table + 4 * i;
            colours[size_t(i)] = uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16;
            entries[size_t(i)] = PALETTEENTRY{e[2], e[1], e[0], 0};
        }
        Bitmap.Handle()->ColorTable = colours;
        if (ScreenBits == 8)
            Bitmap.SetPalette(CreatePalette(entries));
        Bitmap.Changed();
    }
    return bits;
}

int32_t GetRowBytes(int32_t Width, int32_t Bits, int32_t Alignment) {
    return GetRowBytesDIB(Width, Bits, Alignment);
}

}  // namespace lumvor
