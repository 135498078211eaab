// Photo CD access: our own reader of Photo CD image packs with the calls of the
// Photo CD access library the program was written against.
//
// An image pack holds one picture at several resolution levels. This reader
// decodes the three levels that are stored as plain YCC planes and one level
// made from them:
//   level 0  Base/64    96 x  64  (made from the Base/16 planes)
//   level 1  Base/16   192 x 128
//   level 2  Base/4    384 x 256
//   level 3  Base      768 x 512
//   level 4  4Base    1536 x 1024  refused (pcdResolutionNotSupported)
//   level 5  16Base   3072 x 2048  refused (pcdResolutionNotSupported)
// Sizes are for an upright landscape picture; the pack's turn code (0 upright,
// 1 a quarter turn anticlockwise, 2 a half turn, 3 a quarter turn clockwise) is
// applied, so a portrait picture reports and delivers 512 x 768 at Base.
//
// Every call returns a 16-bit status: pcdOK (0) or one of the negative codes
// below (PCDstatusText gives the message). No call raises an exception; a
// failed PCDopen leaves the handle 0. A handle may be used from one thread at a
// time; different handles may be used on different threads.
//
// The file is read in bounded pieces: the pack's first two sectors when it is
// opened, the planes of one level when a picture is loaded. A file shorter than
// a whole Base level, or without the image pack signature, does not open.
#pragma once

#include "platform/PackedDib.h"

#include <cstdint>

namespace lumvor {

using HPCD = int32_t;  // 0 = no image pack
using PCDstatus = int16_t;

constexpr PCDstatus pcdOK = 0;
constexpr PCDstatus pcdBadHandle = -1;
constexpr PCDstatus pcdCannotOpen = -2;
constexpr PCDstatus pcdNotImagePack = -3;
constexpr PCDstatus pcdIncompletePack = -4;
constexpr PCDstatus pcdBadResolution = -5;
constexpr PCDstatus pcdResolutionNotSupported = -6;
constexpr PCDstatus pcdBadFormat = -7;
constexpr PCDstatus pcdNoSuchImage = -8;
constexpr PCDstatus pcdReadError = -9;
constexpr PCDstatus pcdOutOfMemory = -10;

// Resolution levels.
constexpr int16_t pcdBase64 = 0;
constexpr int16_t pcdBase16 = 1;
constexpr int16_t pcdBase4 = 2;
constexpr int16_t pcdBase = 3;
constexpr int16_t pcd4Base = 4;
constexpr int16_t pcd16Base = 5;

// Output formats of PCDloadImage. Both deliver the same packed DIB: a 40-byte
// header (24 bits, biClrUsed 256), a 1,024-byte colour table (a grey ramp,
// blue, green, red, 0) and the rows bottom-up, each padded to 32 bits.
constexpr int16_t pcdFormatDib = 2;
constexpr int16_t pcdFormatDibWithTable = 11;

// Attribute record of PCDgetAttributes.
struct PCDattributes {
    uint32_t EncryptedLevels = 0;  // bit k-1 set: level k is encrypted (0 = none)
    uint32_t Watermarked = 0;      // non-zero: the picture carries a watermark
};

// The picture's rectangle at the set level (left, top, right, bottom).
struct PCDrect {
    int16_t Left = 0;
    int16_t Top = 0;
    int16_t Right = 0;
    int16_t Bottom = 0;
};

// Description of the picture, from the pack's information sector. Texts are
// padded with blanks.
//   byte 16        image medium (0 colour negative ... 8 synthetic image)
//   bytes 17..36   the medium's name
//   bytes 37..56   film product type
//   bytes 57..72   scanner product
//   bytes 160..219 photofinisher name (0xFF in byte 160: none)
//   byte 326       1 when the disc has a copyright file
//   bytes 327..356 the copyright file's name
struct PCDphotoInfo {
    uint8_t Bytes[512] = {};
};
constexpr int pcdInfoMedium = 16;
constexpr int pcdInfoMediumName = 17;
constexpr int pcdInfoProductType = 37;
constexpr int pcdInfoScanner = 57;
constexpr int pcdInfoPhotofinisher = 160;
constexpr int pcdInfoHasCopyright = 326;
constexpr int pcdInfoCopyrightFile = 327;

// Opens the image pack named by the NUL-terminated UTF-8 path. The level is
// set to Base and the format to pcdFormatDibWithTable.
PCDstatus PCDopen(const char* name, HPCD& handle);
// Encryption and watermark (both 0 for the packs this reader opens); info
// receives the turn code 0..3.
PCDstatus PCDgetAttributes(HPCD handle, PCDattributes& attributes, uint16_t& info);
// Mask of the stored levels (bit k-1 for level k) and the number of levels
// that can be delivered (levels 0 to count - 1).
PCDstatus PCDgetCount(HPCD handle, uint32_t& resolutionMask, uint16_t& resolutionCount);
// Selects the level; a refused level leaves the current one.
PCDstatus PCDsetResolution(HPCD handle, int16_t resolution);
PCDstatus PCDgetResolution(HPCD handle, int16_t& resolution);
// The picture's rectangle at the current level: (0, 0, width, height).
PCDstatus PCDgetSize(HPCD handle, PCDrect& rect);
PCDstatus PCDreadImageInfo(HPCD handle, PCDphotoInfo& info);
PCDstatus PCDsetFormat(HPCD handle, int16_t format);
// Decodes picture `image` (0, the pack's only picture) at the current level
// into a packed DIB. On failure the DIB is left empty.
PCDstatus PCDloadImage(HPCD handle, int16_t image, TPackedDib& dib);
// Releases a DIB delivered by PCDloadImage.
PCDstatus PCDfreeBitmap(TPackedDib& dib);
PCDstatus PCDclose(HPCD handle);

// The message for a status, e.g. "4Base and 16Base resolutions are not
// supported" for pcdResolutionNotSupported.
const char* PCDstatusText(PCDstatus status);

}  // namespace lumvor
