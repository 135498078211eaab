// Photo CD pictures: the size of a picture at a chosen resolution, read
// through the Photo CD library (platform/pcd/PcdLib.h), and packed DIBs as the
// library delivers them turned into bitmaps. The pixels themselves are loaded
// by the callers with PCDsetFormat, PCDloadImage and PCDfreeBitmap.
//
// GUI thread only: the routines leave their results in the module globals.
#pragma once

#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "platform/pcd/PcdLib.h"

#include <cstdint>
#include <string>

namespace lumvor {

namespace vo_PCD {
// Sign-extended result of the last library call made by ReadPhotoCDSize.
extern int32_t PCDStatus;
// The picture's size from the last successful ReadPhotoCDSize.
extern int32_t PCDWidth;
extern int32_t PCDHeight;
// The two outputs of PCDgetCount.
extern uint32_t PCDResolutionMask;
extern uint16_t PCDResolutionCount;
}  // namespace vo_PCD

// Four 16-bit words: the resolution actually set (9999 when the file could
// not be opened; the other words are then left as they were), the top of the
// picture's rectangle, its width and its height.
struct TPhotoCDSize {
    int16_t Resolution = 0;
    int16_t Top = 0;
    int16_t Width = 0;
    int16_t Height = 0;
};
constexpr int16_t PhotoCDOpenFailed = 9999;

// The highest usable resolution count: resolutionCount, or, when the low byte
// of the encryption value is not 0, 1 + the number of significant bits of
// ((encryption xor 0xFF) and resolutionMask).
int PhotoCDUsableLevels(uint32_t encryption, uint32_t resolutionMask, int resolutionCount);
// The level to ask for: 0 stays 0; others are lowered to resolutionCount - 1,
// then to usableLevels - 1 when larger.
int PhotoCDLevelFor(int resolution, int resolutionCount, int usableLevels);

// Opens the Photo CD file, sets the resolution (see PhotoCDLevelFor), reads the
// picture's size there into Size, PCDWidth and PCDHeight, and closes the file.
void ReadPhotoCDSize(const std::string& FileName, int Resolution, TPhotoCDSize& Size);
// The name other modules know the routine by.
inline void LoadPhotoCD(const std::string& FileName, int Resolution, TPhotoCDSize& Size) {
    ReadPhotoCDSize(FileName, Resolution, Size);
}

// Fills Bitmap from a packed DIB with a 40-byte header, a 1,024-byte colour
// table and bottom-up rows from byte 1,064: 8-bit when BitCount is 8 (with the
// DIB's colour table, also set as the palette when ScreenBits is 8), else
// 24-bit. Returns the bit count used (8 or 24). Raises EInvalidGraphic
// "Bitmap image is not valid" when the DIB is shorter than its rows.
int PackedDIBToBitmap(TBitmap& Bitmap, const TPackedDib& DIB, int Width, int Height, int BitCount,
                      int ScreenBits);

// Bytes in one row of Width pixels of Bits bits, padded to Alignment bits
// (the rule of GetRowBytesDIB).
int32_t GetRowBytes(int32_t Width, int32_t Bits, int32_t Alignment);

}  // namespace lumvor
