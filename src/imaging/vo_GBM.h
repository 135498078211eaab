// Bridge between the bitmap module and the in-memory picture.
//
// Turns a stream and a picture into the module's handle, bitmap record, palette
// and pixel rows, and module failures into EGbmError. The module picks the file
// format from a name ("File.bmp", "File.pcx", "File.tga"). The module's rows run
// bottom-up and the picture's top-down: the bridge hands the module the
// picture's last row and a negative row step, so pixels land in place without a
// second buffer.
//
// EGbmError texts: "gbm_guess_filetype failed.", "gbm_read_header failed." (also
// for a failed palette read), "gbm_read_data failed.", "gbm_write failed.",
// "Invalid image format". The module's own code is not shown in the text.
#pragma once

#include "imaging/gbm.h"
#include "imaging/vo_Codec.h"
#include "imaging/vo_DIB.h"
#include "platform/Streams.h"

#include <string>

namespace lumvor {

namespace vo_GBM {
inline constexpr const char* SGuessFailed = "gbm_guess_filetype failed.";
inline constexpr const char* SReadHeaderFailed = "gbm_read_header failed.";
inline constexpr const char* SReadDataFailed = "gbm_read_data failed.";
inline constexpr const char* SWriteFailed = "gbm_write failed.";
inline constexpr const char* SInvalidImageFormat = "Invalid image format";
}  // namespace vo_GBM

// Picture format of a module depth: 1 -> 0, 4 -> 3, 8 -> 4, 24 -> 5; others
// raise EGbmError "Invalid image format".
uint8_t GbmBitsToFormat(int bits);
// Module depth of a picture format: 0 -> 1, 1 and 3 -> 4, 2 and 4 -> 8, 5 -> 24;
// others raise EGbmError "Invalid image format".
int GbmFormatToBits(int format);
// Module entries (red, green, blue) to a palette record of 2^bits entries.
TPaletteRecord GbmPaletteToRecord(const GbmPalette& palette, int bits);
// The record's entries as module entries; the rest of the 256 are zero.
void RecordToGbmPalette(const TPaletteRecord& record, GbmPalette& palette);

// Reads the header of the picture at the stream's current place. graphic is not used.
void GbmReadHeader(TStream& stream, TDibGraphic& graphic, const std::string& fileName, int& width,
                   int& height, int& bits, const std::string& options);
// Reads the whole picture into graphic (NewImage, then the pixels; resolution
// is the screen's). On failure graphic may be partly filled; codec classes
// read inside their guard, which empties it.
void GbmReadImage(TStream& stream, TDibGraphic& graphic, const std::string& fileName,
                  const std::string& options);
// Writes graphic in the format of fileName at the stream's current place, with
// the module's write options (such as "ydown").
void GbmWriteImage(TStream& stream, TDibGraphic& graphic, const std::string& fileName,
                   const std::string& options = "");

}  // namespace lumvor
