// The imaging library: pictures behind integer handles, multi-page files,
// scaled copies, drawing and printing, and scanning.
//
// A handle names one picture held by the library; 0 means none. Opening reads
// DCX (multi-page PCX, each page through the PCX codec), TIFF (every page; the
// pages our TIFF codec refuses, such as LZW and JPEG-compressed ones, through
// libtiff's RGBA reader), BMP, PCX, TGA, PNG, GIF, PSD and JPEG. FlashPix files
// are refused ("FlashPix pictures are not supported."). A picture is held at 1,
// 4 or 8 bits per pixel with its colour table, or at 24 bits.
//
// Every call reports failure by its result (0 or an empty object) and keeps
// the reason as the library's last error text, which ImgErrBox shows. Nothing
// here throws. The handle table may be used from any thread; one picture must
// not be used by two threads at once. Drawing and the scan dialogs belong to
// the GUI thread.
//
// Scanning goes through SANE: it is available when SANE finds a device; the
// source choice lists the devices; an acquisition asks for mode and resolution
// and returns the scanned page as a packed DIB.
#pragma once

#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "platform/PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class QPainter;
class QWidget;

namespace lumvor {

// The information record ImgGetInfoStruct fills. Its first 40 bytes are a
// bitmap information header of the selected page: width, height (positive),
// planes 1, bit count 1, 4, 8 or 24, the size of its pixels, its resolution in
// pixels per metre and the number of colour-table entries.
struct IMGINFO {
    BITMAPINFOHEADER Header;
    int32_t PageCount = 0;
    int32_t Page = 0;  // 0-based
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biWidth) == 4 && offsetof(BITMAPINFOHEADER, biHeight) == 8 &&
              offsetof(BITMAPINFOHEADER, biPlanes) == 12 && offsetof(BITMAPINFOHEADER, biBitCount) == 14);

// ImgCopy flags.
// 0: nearest-neighbour sampling; depth and colour table stay.
// 4: smooth resampling (area average when shrinking, linear when enlarging);
//    pictures with grey colour tables (black and white included) give 8-bit
//    grey, other pictures 24 bits.
// 32: grey reduction of bilevel and grey pictures: the area average as an
//    8-bit grey picture, so a reduced fax page keeps its strokes as grey
//    levels; on colour pictures the same as 4.
// 1, 2: black-and-white pictures keep their black (1) or white (2) detail: a
//    target pixel takes the kept colour (the darker, or the lighter, of the
//    two colour-table entries) when any source pixel of its block holds it,
//    else the other colour. The block is the source area the target pixel
//    covers when shrinking, the source pixel under its centre when
//    enlarging. The copy stays 1-bit with the same colour table. On deeper
//    pictures the same as 0.
constexpr int32_t IMG_COPY_NEAREST = 0;
constexpr int32_t IMG_COPY_PRESERVE_BLACK = 1;
constexpr int32_t IMG_COPY_PRESERVE_WHITE = 2;
constexpr int32_t IMG_COPY_SMOOTH = 4;
constexpr int32_t IMG_COPY_GRAY = 32;

// ImgReduceColors flags.
// Black and white (2 colours): threshold, ordered dithering, error diffusion.
constexpr int32_t IMG_REDUCE_BW_THRESHOLD = 1;
constexpr int32_t IMG_REDUCE_BW_ORDERED = 2;
constexpr int32_t IMG_REDUCE_BW_DIFFUSED = 4;
// 16 or 256 colours: no dithering onto the fixed default palette; adaptive
// palettes dithered from Standard to Optimal; greys (added to any of them).
constexpr int32_t IMG_REDUCE_FIXED = 0x20;
constexpr int32_t IMG_REDUCE_STANDARD = 0x14;
constexpr int32_t IMG_REDUCE_BETTER = 0x24;
constexpr int32_t IMG_REDUCE_OPTIMAL = 0x44;
constexpr int32_t IMG_REDUCE_GRAY = 8;

namespace imgman {
// The message of a FlashPix file.
inline constexpr const char* SFlashPixNotSupported = "FlashPix pictures are not supported.";
inline constexpr const char* SInvalidHandle = "Invalid image handle.";
inline constexpr const char* SUnknownFormat = "Unknown or unsupported picture format.";
inline constexpr const char* SInvalidDcx = "Invalid DCX file.";
inline constexpr const char* SPageOutOfRange = "Page %d does not exist.";
inline constexpr const char* SInvalidCopySize = "Invalid copy size %d x %d.";
inline constexpr const char* SNoScanner = "No scanner found.";
inline constexpr const char* SInvalidPromotion = "A %d-bit picture cannot be raised to %d bits.";
inline constexpr const char* SEmptyRectangle = "The rectangle to draw is empty.";
inline constexpr const char* SNoSurface = "The picture to draw into is empty.";

// Scan settings asked for by ScanAcquirePage (and kept for the next scan).
// Mode "Color", "Gray" or "Lineart"; resolution in dots per inch; the area in
// millimetres from the top-left corner of the glass (a width or height of 0
// takes the device's whole glass).
struct TScanSettings {
    std::string Mode = "Color";
    int Resolution = 100;
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};
inline TScanSettings ScanSettings;
// The SANE device name chosen by ScanSelectSource; empty = the first device found.
inline std::string ScanSource;

// Told the colour count and flags of every ImgReduceColors call before it
// works (lets tests see what the commands ask for); none by default.
inline std::function<void(int colours, int32_t flags)> ReduceObserver;

// The text ImgErrBox shows (empty when nothing failed since ImgInit).
std::string LastErrorText();
}  // namespace imgman

// Prepares the library; 1.
int ImgInit();
// Closes every open picture and releases SANE; 1.
int ImgShutdown();

// Opens the file's first page; 0 when it cannot be opened. `flags` is not used.
int ImgOpenSolo(const std::string& fileName, int flags);
// Opens a file image held in memory; `type` names its format ("TIF", "BMP"),
// and the data's own signature decides when it names another.
int ImgOpenMem(const uint8_t* data, int64_t size, const std::string& type);
// A picture made from a packed DIB (copied); 0 when the DIB is not valid.
int ImgFromDIB(const TPackedDib& dib);
// Releases the picture; 1, or 0 for an unknown handle.
int ImgClose(int handle);

// Fills the information record of the selected page; 1 on success.
int ImgGetInfoStruct(int handle, IMGINFO* info);
// Stores the number of pages; 1 on success.
int ImgPageCount(int handle, int32_t* count);
// Selects (and reads) the 0-based page; 1 on success, 0 when the page does
// not exist or cannot be read (the selection then stays).
int ImgSetPage(int handle, int page);
// Stores the selected 0-based page; 1 on success.
int ImgGetPage(int handle, int32_t* page);

// A new picture of width x height made from the source rectangle of the
// selected page (null = the whole page; right and bottom exclusive, clipped
// to the page) by the method of `flags`; 0 on failure.
int ImgCopy(int handle, int width, int height, const TRect* source, int32_t flags);
// The colour table of a 1-, 4- or 8-bit picture as a palette; none for 24 bits
// and unknown handles.
HPALETTE ImgGetPalette(int handle);

// Draws the whole picture into `rect` (right and bottom inclusive) of a
// picture's canvas or of a painter (a printer's page); stretched when the
// sizes differ. 1 on success. `flags` is not used. When the canvas's pixels
// have the picture's depth, colour table and the rectangle's size, the pixels
// are copied unchanged.
int ImgPrintImage(int handle, TCanvas& canvas, const TRect& rect, int flags);
int ImgPrintImage(int handle, QPainter& painter, const TRect& rect, int flags);
// Draws the source rectangle (right and bottom exclusive) of the picture into
// dest (right and bottom exclusive); 1 on success.
int ImgDrawImage(int handle, TCanvas& canvas, const TRect& dest, const TRect& source);
int ImgDrawImage(int handle, QPainter& painter, const TRect& dest, const TRect& source);

// The device context of the slide show: a picture the size of the window's
// client area, which the window paints, and a hook that makes a changed part
// of it visible at once (a synchronous repaint of that part; none = nothing to
// show). Transition effects draw on 24- and 32-bit pictures; on other depths
// ImgDrawImageFX draws the slide at once.
struct TImgSurface {
    TBitmap* Bitmap = nullptr;
    std::function<void(const TRect& changed)> Show;
};
// Draws the source rectangle of the picture into dest of the surface and shows
// it; 1 on success.
int ImgDrawImage(int handle, const TImgSurface& surface, const TRect& dest, const TRect& source);

// The step callback of ImgDrawImageFX, called between two steps with the
// number of the step just drawn (1-based), the step count and the pause the
// caller asked for (milliseconds); true stops the effect.
using TImgFxCallback = std::function<bool(int step, int stepCount, int pause)>;
// Draws the source rectangle of the picture over what the surface holds inside
// dest (right and bottom exclusive), in steps, with a transition effect (see
// ImgEffects.h for the codes and what variant, parameter and granularity mean).
// Between steps the callback gets (step, step count, pause); with pause 255,
// or no callback, the steps follow each other at once. When the callback
// answers true the rest of the picture is drawn at once and the effect ends.
// 1 on success, also when stopped; 0 for a bad handle, a surface without
// pixels or an empty rectangle. `flags` is not used.
int ImgDrawImageFX(int handle, const TImgSurface& surface, const TRect& dest, const TRect& source, int effect,
                   int variant, int parameter, const TImgFxCallback& callback, int pause, int granularity,
                   int flags);
// A new picture turned by angle (hundredths of a degree, anticlockwise; any
// value, taken modulo 36000), uncovered parts filled with the colour value
// `fill`; 0 on failure. Multiples of 9000 turn exactly and keep the depth and
// colour table; other angles sample bilinearly into the turned picture's
// bounding box, and a 1-, 4- or 8-bit picture comes back at 24 bits (see
// ImgTransform.h for the box's size).
int ImgRotate(int handle, int angle, uint32_t fill);
// Mirrors the picture in place: vertical non-zero turns it top to bottom,
// horizontal non-zero left to right. Exact at every depth; 1, or 0 for an
// unknown handle.
int ImgMirror(int handle, int vertical, int horizontal);
// A paletted copy of 2, 16 or 256 colours (1, 4 or 8 bits per pixel) by the
// method of `flags` (the values below; ImgReduce.h says what each bit does);
// ImgGetPalette gives its colours. 0 for another colour count.
int ImgReduceColors(int handle, int colours, int32_t flags);
// A copy at the higher (or equal) bit count `bits`: 4 or 8 bits keep the
// colour table, 24 bits take each pixel's colour. 0 for a lower or another
// bit count.
int ImgIncreaseColors(int handle, int bits);

// Shows the last failure's text in the program's message box.
int ImgErrBox(QWidget* window);

// Non-zero when SANE finds a scanner.
int ScanIsTWAINAvailable();
// Lets the user choose among the scanners SANE finds; 1 when one was chosen.
int ScanSelectSource(QWidget* window);
// Asks for the scan settings, scans one page from the chosen scanner and
// returns it (8-bit grey, 1-bit lineart or 24-bit colour); empty when the
// scan was cancelled or failed (the reason is the last error text).
TPackedDib ScanAcquirePage(QWidget* window, int flags);

}  // namespace lumvor
