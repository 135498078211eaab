// The thumbnail makers: one file becomes the explorer's 168 x 126 cell.
//
// ReadPictureHeader reads a picture's size and depth and rejects what the
// makers cannot show; MakePictureThumbnail decodes it with the decoder of its
// extension and places it, fitted and centred, on a white cell (ThumbScale.h);
// MakeJpegThumbnail does the same for JPEG files through the explorer's own
// decoder; MakeIconThumbnail draws a file-type icon instead. ReadPictureInfo is
// the header-only twin the list, its tool tips and the status bar use.
//
// Decoders by extension:
//   ".BMP" ".DIB" ".PNG" ".PCX" ".TGA"  the shared codec objects (loaded by the
//                                       header read, drawn by the maker)
//   ".TIF"                              the TIFF codec; pages it leaves to the
//                                       imaging library (bilevel, no size) and
//                                       ".DCX", ".FPX" through the imaging library
//                                       (FlashPix is refused there)
//   ".GIF" ".PSD"                       the GIF and Photoshop readers into
//                                       PictureBitmap
//   ".PCD"                              the Photo CD library at resolution 1, only
//                                       for names containing "img" in any case
// Only regular files are opened (O_NONBLOCK where a file is opened by hand), so
// a FIFO or device never blocks the explorer. A picture whose width and height
// both exceed 32000 pixels, or whose pixel count is beyond the program's
// picture limit, is not loaded: the header read answers 1 with TooLarge set and
// the maker refuses it. Every reader runs guarded: an exception makes the header
// read answer -1 and the maker false, and after every thumbnail (made or not)
// the shared codec objects are replaced by fresh ones, so no picture and no
// half-read state stays behind.
//
// A TThumbMaker holds the codec objects, the bitmaps and the facts of the file
// in hand; the explorer window owns one for its GUI-thread makers and the
// generators call the same routines with it. The makers themselves use no
// mutable global state; the icon maker (Qt icons) and the imaging library's
// drawing belong to the GUI thread. The fitting and the nearest-neighbour
// stretch and shrinks (ThumbScale.h) are thread-safe and shared with the
// worker threads.
#pragma once

#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <QIcon>

#include <cstdint>
#include <memory>
#include <string>

namespace lumvor {

class TBmpGraphic;
class TPngGraphic;
class TPcxGraphic;
class TTgaGraphic;
class TTiffGraphic;
class TJPEGImage;

// The extensions the makers read.
inline constexpr const char* ThumbPictureExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";
// A BMP of more bytes than this (width x height x 3) is read as a plain
// bitmap and shrunk without the codec.
inline constexpr int64_t BigBitmapBytes = 8192000;
// Pictures whose sides both exceed this are not made into thumbnails.
inline constexpr int32_t ThumbMaxSide = 32000;
// The icon cell: a 256 x 256 icon fitted into half the cell.
inline constexpr int32_t ThumbIconSize = 63;

struct TThumbMaker {
    TThumbMaker();
    ~TThumbMaker();
    TThumbMaker(const TThumbMaker&) = delete;
    TThumbMaker& operator=(const TThumbMaker&) = delete;

    // Shared codec objects, replaced by fresh ones after every file.
    std::unique_ptr<TBmpGraphic> Bmp;
    std::unique_ptr<TPngGraphic> Png;
    std::unique_ptr<TPcxGraphic> Pcx;
    std::unique_ptr<TTgaGraphic> Tga;
    std::unique_ptr<TTiffGraphic> Tiff;
    // The explorer's JPEG decoder (grey scale off, best speed, 24 bits) and the
    // stream a JPEG file is loaded into.
    std::unique_ptr<TJPEGImage> Jpeg;
    TMemoryStream JpegStream;
    // The decoder's code of the last JPEG step (0 success, 52 not a JPEG
    // stream, 67 stopped at an unknown marker, 666 no picture).
    int JpegError = 0;

    // A GIF or Photoshop picture between header read and maker; the decoded
    // picture of the last JPEG made.
    TBitmap PictureBitmap;
    // The explorer's own white 24-bit 168 x 126 cell (InitBlankBitmap).
    TBitmap ThumbCell;
    // The icon MakeIconThumbnail draws for index -1 (the explorer window's).
    QIcon OwnIcon;

    // The file in hand (set ItemFile before ReadPictureHeader).
    std::string ItemFile;
    std::string CurrExt;  // upper-cased, with its dot
    int32_t ThumbSrcWidth = 0;
    int32_t ThumbSrcHeight = 0;
    int32_t ThumbSrcBits = 0;  // every depth above 15 counts as 24
    bool BigBitmap = false;
    bool UseImgLib = false;
    // The picture's size is beyond what the makers load.
    bool TooLarge = false;
    // The imaging library's handle of the file in hand (0 none); kept open
    // until the next imaging-library file replaces it.
    int ImgHandle = 0;
    int32_t PageCount = 0;
    int32_t IconDrawWidth = ThumbIconSize;
    int32_t IconDrawHeight = ThumbIconSize;

    // Replaces every shared codec object by a fresh one and empties PictureBitmap.
    void RenewCodecs();
    // A fresh JPEG decoder.
    void RenewJpeg();
    // Closes ImgHandle.
    void CloseImgHandle();
};

// Width, height and bits per pixel of a picture file.
struct TPictureSize {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Bits = 0;
};

// What ReadPictureInfo tells of a picture.
struct TPictureHeaderInfo {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Bits = 0;
    // TIFF files: the compression's name ("Deflate", "Fax Group 4"...); else empty.
    std::string Compression;
};

// Reads Maker.ItemFile's header into the maker's facts: 1 when the makers can
// handle the picture (some formats are loaded whole here, see above), -1
// otherwise.
int ReadPictureHeader(TThumbMaker& Maker);

// Draws the picture of the last ReadPictureHeader (that answered 1) into
// ThumbPix, the bitmap of the explorer's thumbnail control: a white 24-bit
// cell with the picture fitted and centred. True when the picture was drawn.
// Releases whatever the header read loaded.
bool MakePictureThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix);

// Decodes the JPEG file Maker.ItemFile into ThumbPix as above. EmbeddedPreview
// is the explorer's setting: take an EXIF preview of a large file instead of
// the picture. Sets ThumbSrcWidth, ThumbSrcHeight and ThumbSrcBits from the
// JPEG header and JpegError. 0 on success, -1 on failure.
int MakeJpegThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix, bool EmbeddedPreview);

// ThumbPix becomes a white cell with an icon of 63 x 63 at (52, 31): Index -2
// the style's warning icon, -1 Maker.OwnIcon, else the system icon of that
// index (ShellIcons.h). True.
bool MakeIconThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix, int Index);

// ThumbCell becomes (or stays) a white 24-bit 168 x 126 bitmap.
void InitBlankBitmap(TBitmap& ThumbCell);

// Reads the 14-byte file header and the 40-byte information header of a BMP
// file into Size (bits times planes when there are several planes). True on
// FAILURE (no regular file, short, not "BM").
bool GetBmpDimensions(const std::string& Path, TPictureSize& Size);

// The header-only twin of ReadPictureHeader for display: size, depth (as
// ReadPictureHeader reports it) and, for TIFF files, the compression's name.
// No pixels are decoded (the imaging library's formats open their first page).
// 1 on success, -1 when the file is not a picture the makers read.
int ReadPictureInfo(const std::string& Path, TPictureHeaderInfo& Info);

// The dot-pattern cell: Brush becomes a 1-bit 168 x 126 bitmap, white with a
// black pixel wherever both coordinates are odd (an 8 x 8 pattern tiled).
void SetBrushBitmap(TBitmap& Brush);

}  // namespace lumvor
