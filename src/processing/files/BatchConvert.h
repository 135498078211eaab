// Batch conversion's file work, without windows: the output format of each
// conversion command, the sources it reads, the free output names, the JPEG
// settings of a run, the encode thread's priority, the disk-space check, and
// the writing of the pictures in the formats other than JPEG.
//
// Outputs are written as new files only (WriteNewFile): an output never
// replaces a file, and a failed encode or write leaves nothing behind.
// GUI thread (the encode thread has its own module, CoreEncode.h).
#pragma once

#include "state/ViewerSettings.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <QThread>

#include <cstdint>
#include <string>

namespace lumvor {

namespace batchconvert {
// The pictures a conversion opens (upper-cased extensions).
inline constexpr const char* SourceExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF";
// The numbers "-1" to "-999" make a taken output name free.
inline constexpr int MaxNameNumber = 999;
// Room kept free on the output disk beyond the file itself.
inline constexpr int64_t SpareBytes = 32768;
// The list of the files a run skipped, in the program folder.
inline constexpr const char* ExceptionsFileName = "BatchExceptions.txt";
inline constexpr const char* SkippedPrefix = "Skipped: ";
// The quality of a run's JPEG settings when no settings were ever stored.
inline constexpr int32_t DefaultQuality = 48;

// Test hook: when set, FreeSpace answers it instead of asking the volume.
inline int64_t (*FreeSpaceHook)(const std::string& Folder) = nullptr;
}  // namespace batchconvert

// The six conversions, in the order of their menu items (the items' Tag).
enum class TBatchFormat { Jpeg = 0, Bmp = 1, Png = 2, Tif = 3, Tga = 4, Pcx = 5 };

// The format of a conversion item's Tag; any other Tag converts to BMP.
TBatchFormat BatchFormatOfTag(int Tag);
// The output extension, lower case with its dot (".jpg").
std::string BatchExtension(TBatchFormat Format);

// Whether a file is one a conversion opens, by its extension (case ignored).
bool IsBatchSource(const std::string& FileName);

// The output name (without folder) of Source in Folder: Source's name with its
// real extension replaced by Ext ("photo.jpeg" -> "photo.jpg"); when a file of
// that name exists in Folder, the first free of "photo-1.jpg" .. "photo-999.jpg".
// "" when all of them are taken. The name keeps its case.
std::string BatchOutputName(const std::string& Source, const std::string& Ext, const std::string& Folder);

// A run's JPEG settings: Settings as they are when their quality was loaded
// (not -1); else the stored record "JPGwiz1", or when there is none the batch
// defaults (flags 0, 0, 1, 1, smoothing kind 0, strength 0, quality 48).
void LoadBatchJpegSettings(TJpegWizardSettings& Settings);
void SetBatchJpegDefaults(TJpegWizardSettings& Settings);

// The encode thread's priority for the viewer setting: 0 lowest, 1 low,
// 2 normal, 3 high, 4 highest; any other value lowest.
QThread::Priority EncodePriority(int32_t Setting);

// The user-available bytes of the folder's volume (FreeSpaceHook when set);
// 0 when unknown.
int64_t FreeSpace(const std::string& Folder);
// Whether writing Needed bytes must be refused: the free space is known (above
// 0) and smaller than Needed. Sizes are 64-bit, without a 2 GB cap.
bool TooLittleSpace(int64_t Free, int64_t Needed);

// Encodes the picture in a format other than JPEG into Out: PNG without
// interlacing, TIFF with Deflate compression (code 32946), TGA at 8 bits at
// least (pictures of fewer bits are widened first), PCX and BMP. Raises on
// any failure, with Out then empty.
void EncodeBatchPicture(TBitmap& Bitmap, TBatchFormat Format, TMemoryStream& Out);

// Writes the stream as the new file Path (WriteNewFile): raises, leaving no
// file, when the name is taken or the write fails.
void WriteBatchFile(const std::string& Path, TMemoryStream& Stream);

// The line of the exceptions list for a skipped source, with the reason when
// one is known ("Skipped: /p/a.jpg" or "Skipped: /p/a.jpg - reason").
std::string SkippedLine(const std::string& Source, const std::string& Reason = "");

}  // namespace lumvor
