// TIFF pictures through libtiff.
//
// TTiffGraphic reads any page of a (multi-page) TIFF file into the picture,
// counts pages, reads one page's header alone, writes a picture as a one-page
// file with a chosen compression and appends a picture as a further page.
//
// Reading: uncompressed, PackBits, Deflate (both tags, with or without
// predictor) and CCITT fax pages (Huffman RLE, Group 3 1D/2D, Group 4) of 1, 4,
// 8 and 24 bits; colour maps of 8- or 16-bit entries; tiled, planar, >8-bit,
// YCbCr, CMYK and JPEG-tagged pages go through libtiff's RGBA reader. Pages
// without a Photometric tag and fax pages are min-is-white (read inverted).
// LZW pages raise ERuvezevoError "LZW not supported"; JPEG pages end in the
// SetCompression refusal for code 6. A failed read leaves the picture empty.
//
// Writing: formats 0-5; compression by `Compression` (codes below). Tags
// written: 256, 257, 258, 259, 262, 277, 278, 282, 283, 284, 292 (fax G3),
// 296 (inch), 305 "Ruvezevo Image Library", 306 "YYYY:MM:DD HH:MM:SS", 320.
//
// Errors: libtiff failures raise ETiffError ("ETiffError " + the failing call,
// or "TIFFGetField: Tag = N"). libtiff's error and warning reports go to
// handlers installed on each handle alone (never the process-wide ones), so
// several threads can each decode their own files at the same time; an
// instance itself belongs to one thread.
#pragma once

#include "imaging/vo_Codec.h"

#include <cstdint>
#include <string>

typedef struct tiff TIFF;

namespace lumvor {

namespace vo_TIF {
inline constexpr const char* SSoftware = "Ruvezevo Image Library";
inline constexpr const char* SCompressionNotSupported = "%s compression not supported with %s images";
inline constexpr const char* SUnsupportedCompressionTag = "Unsupported compression tag, %d";
inline constexpr const char* SUnsupportedBitCount = "Unsupported bit count: ";

// Compression codes of TTiffGraphic::Compression.
constexpr uint8_t tcNone = 0;
constexpr uint8_t tcPackbits = 1;
constexpr uint8_t tcFaxGroup3_1D = 2;
constexpr uint8_t tcFaxGroup3_2D = 3;
constexpr uint8_t tcFaxGroup4 = 4;
constexpr uint8_t tcZLib = 5;
constexpr uint8_t tcJpeg = 6;
constexpr uint8_t tcZLibAdobe = 7;
}  // namespace vo_TIF

// ---- libtiff binding over our streams

// Opens a libtiff handle on the stream: mode 0 reads ("r"), 1 writes a new
// file ("w"), 2 appends a directory ("a"). The stream must outlive the handle.
// Null when libtiff refuses the stream (the reason is then lost with the handle).
TIFF* OpenTiffStream(TStream& stream, uint8_t mode);
// Closes the handle (the stream stays open). Null is ignored.
void CloseTiff(TIFF* handle);
// Number of directories (pages): 1 for directory 0 plus each further one read.
int CountTiffPages(TIFF* handle);
// The first error libtiff reported on this handle; empty when none.
std::string TiffErrorText(TIFF* handle);
// Raises ETiffError with the message "ETiffError " + text.
[[noreturn]] void RaiseTiffError(const std::string& text);

// Checked field access: a libtiff result of 0 raises ETiffError with the
// call's name and the tag number ("TIFFGetField: Tag = 259"). The value type
// must be the tag's own (uint16_t for SHORT tags, uint32_t for LONG, float for
// RATIONAL).
void GetTiffField(TIFF* handle, uint32_t tag, uint16_t& value);
void GetTiffField(TIFF* handle, uint32_t tag, uint32_t& value);
void GetTiffField(TIFF* handle, uint32_t tag, float& value);
void GetTiffField3(TIFF* handle, uint32_t tag, uint16_t*& a, uint16_t*& b, uint16_t*& c);
void SetTiffIntField(TIFF* handle, uint32_t tag, int value);
void SetTiffFloatField(TIFF* handle, uint32_t tag, float value);
void SetTiffField(TIFF* handle, uint32_t tag, const std::string& text);
// Sets ColorMap (320); raises "TIFFSetColormap".
void SetTiffColormap(TIFF* handle, uint16_t* red, uint16_t* green, uint16_t* blue);

// The text of a compression code (0 "None" ... 7 "ZLib Adobe"); empty above 7.
std::string CompressionCodeName(uint8_t code);
// The text of a TIFF Compression tag value ("Unknown" for values without one).
std::string CompressionTagName(uint32_t tag);

class TTiffGraphic : public TCodecGraphic {
public:
    std::string ClassName() const override { return "TTiffGraphic"; }
    std::unique_ptr<TDibGraphic> NewInstance() const override { return std::make_unique<TTiffGraphic>(); }

    // After the inherited picture: Group 4 for format 0, PackBits otherwise.
    void NewImage(int width, int height, uint8_t format, const TPaletteRecord* palette, uint16_t xDpi,
                  uint16_t yDpi) override;
    // Stores the code used by the next save; raises ERuvezevoError
    // "%s compression not supported with %s images" when the picture's format
    // does not take it (fax codes only for B/W, JPEG never, codes above 7 never).
    void SetCompression(uint8_t code);
    // The text of InfoCompressionTag.
    std::string CompressionName() const { return CompressionTagName(InfoCompressionTag); }

    // Pages in the stream (read where it stands, not rebased).
    int GetImageCount(TStream& stream) override;
    // Reads page `index` (1-based) of the TIFF starting at the stream's position.
    void ReadImage(TStream& stream, int index) override;
    // index -1: the first page's header into the Info fields and Compression;
    // index >= 1: that page's header and its pixels. A file libtiff cannot open
    // or whose page has no size leaves InfoWidth = InfoHeight = 0 quietly.
    void ReadFileInfo(const std::string& fileName, int index);
    // Writes the picture as a one-page TIFF at the stream's position.
    void SaveToStream(TStream& stream) override;
    // Adds the picture as a further page to the TIFF in the stream (a new file
    // when the stream is empty).
    void AppendToStream(TStream& stream) override;

    uint8_t Compression = vo_TIF::tcNone;
    int InfoCompressionTag = 0;

private:
    void ReadPage(TStream& stream, int index, bool fileInfo);
    void WritePage(TStream& stream, uint8_t mode);
};

}  // namespace lumvor
