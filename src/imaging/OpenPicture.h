// The arithmetic of opening a picture, apart from the window: extension
// classes, the JPEG reduction for a viewing area, the load-time text, page
// steps, the grey reduction of bilevel pages and the bit counts the header
// reader reports. Pure functions; any thread.
#pragma once

#include "platform/Graphics.h"

#include <cstdint>
#include <string>

namespace lumvor {

namespace OpenPicture {
// Extension lists (upper case, dot-separated).
inline constexpr const char* JpegList = ".JPEG.JPG";
inline constexpr const char* LibraryList = ".DCX.FPX";
inline constexpr const char* OwnCodecList = ".BMP.PNG.TIF.TGA.PCX.DIB.PSD.GIF";
inline constexpr const char* BitmapList = ".BMP.DIB";
inline constexpr const char* TextList = ".RTF.TXT";
inline constexpr const char* VectorList = ".WMF.EMF";
inline constexpr const char* MediaList =
    ".AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.MKV.MP4.WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA."
    "WMA.RMI.APE.FLAC.M4A.OGG";
inline constexpr const char* PictureList = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";
// Two-letter extensions the media list holds (".QT", ".RM", ".RA", ".AU").
inline constexpr const char* ShortMediaList = ".AU.RA.RM.QT";

// Pictures larger than this many bytes of pixels take the direct BMP road.
constexpr int64_t DirectBitmapBytes = 16384000;
}  // namespace OpenPicture

// What a file's extension makes of it.
enum class TFileKind { Picture, Media, Text, Vector, Unsupported };
TFileKind FileKindOf(const std::string& upperExt);
// True when `upperExt` occurs in the dot-separated list as a substring
// (".DCX.FPX" also holds ".DC"); empty never matches.
bool ExtInString(const std::string& upperExt, const std::string& list);

// Why a file could not be opened as a picture.
enum class TOpenFailure { Missing, NoPermission, Empty, NotReadable, Unsupported };
// The warning of a failed open: the file's name (without its folder) and the
// reason in plain words, for example "b.jpg could not be read as a JPEG
// picture: the file is damaged or is not what its name says."
std::string OpenFailureText(const std::string& fileName, TOpenFailure reason);

// The JPEG reduction for a w x h picture in an areaWidth x areaHeight view:
// 1, 2, 4, 8, 16 or 32. Halves while the picture exceeds the area in either
// side and the half still fills more than threshold per cent of the area in
// either side (integer arithmetic throughout). A view of 0 pixels keeps 1.
int ComputeJPEGScaleDivisor(int width, int height, int areaWidth, int areaHeight, int threshold);
// The decoder's scale code for a divisor: 0 (1), 1 (2), 2 (4), 3 (8), 4 (anything else).
int JPEGScaleCode(int divisor);
// The divisor the decoder applies for a scale code: libjpeg's smallest scale
// is one eighth, so the one-sixteenth request (4) is served at 8.
int AppliedJPEGDivisor(int scaleCode);

// "Loaded 1.2s": 100 ms are taken off times above 200 ms; tenths truncated.
std::string LoadTimeText(uint32_t milliseconds);

// The page after moving from `index` among `count` pages: 1 next (the last
// wraps to 0), -1 previous (0 wraps to the last), 0 first, 999 last.
int PageStep(int index, int count, int move);

// The grey reduction of a bilevel page at fax quality 1 (half), 2 (a third)
// or 3 (a quarter): the source is the page cut down to multiples of 8 of
// width - 1 and height - 1; any other quality keeps the cut size.
struct TFaxReduction {
    TRect Source;  // right and bottom exclusive
    int Width = 0;
    int Height = 0;
};
TFaxReduction FaxReduction(int width, int height, int quality);
// The divisor the fax quality reduces a page by: 2, 3 or 4 (1 for none).
int FaxDivisor(int quality);

// Bit counts as the header reader reports them: above 15 becomes 24; GIF
// 2 or 3 becomes 4 and above 4 becomes 8.
int HeaderBitCount(int bits);
int GifHeaderBitCount(int bits);

// The width a progress bar of `percent` per cent covers in a rectangle.
int ProgressBarWidth(const TRect& rect, int percent);

}  // namespace lumvor
