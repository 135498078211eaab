// Common helper routines that every window uses: size texts, path and folder
// rules, disk queries, deleting and recycling, the extension-list test, integer
// RGB/HLS colour arithmetic and small bitmap builders.
//
// Paths are POSIX paths: "/" stands where Windows paths have "\". A path's
// "drive" is the mount point of the volume that holds it (platform/Volumes.h);
// paths keep their case.
#pragma once

#include "imaging/HLS.h"
#include "platform/Colors.h"
#include "platform/PackedDib.h"
#include "platform/PixelBuffer.h"

#include <cstdint>
#include <span>
#include <string>

namespace lumvor {

class TBitmap;

// ---- Module globals

// The explorer's current folder, with a trailing "/" (set by the explorer).
inline std::string ExploreDir;

// ---- Texts and numbers

// A file size that may exceed 31 bits as the pair High x 2147483647 + Low.
struct TSizePair {
    int32_t High = 0;
    int32_t Low = 0;
};

// Size text: "1023", "1.5 KB", "3.1 MB" (tenths truncated) below 2147483648
// bytes (High 0), else the size in MB with two decimals ("2048.00 MB").
void FormatFileSizeText(int32_t High, int32_t Low, std::string& Text);
std::string FormatFileSizeText(int64_t size);
// Splits a byte count into the pair: High 0 and Low the count up to 2147483647
// bytes, beyond that High rounded to the nearest integer (so Low may be
// negative); both 0 when the count does not fit.
void SplitSize64(TSizePair& Pair, int64_t Size);
int64_t JoinSize64(int32_t High, int32_t Low);

// ---- File dates

// The stamp that file records keep of a last write given as seconds and
// nanoseconds since the epoch: FileDate the DOS date-time of the local time
// (two-second steps), clamped to 1980-01-01 00:00:00 .. 2107-12-31 23:59:58 so
// that every file gets a usable date; TimeMs the milliseconds since local
// midnight of the moment itself. The explorer's records and the slide album's
// both pack through this one function, because cache names hash the two fields.
void PackFileStamp(int64_t Seconds, int64_t Nanoseconds, int32_t& FileDate, int32_t& TimeMs);

// Six hexadecimal digits RRGGBB of a control colour (red in the low byte).
void ColorToHexRGB(TColor Color, std::string& Text);
// Text read as hexadecimal; raises EConvertError for text that is not.
int32_t HexToInt(const std::string& Text);
inline int32_t MaxOf(int32_t A, int32_t B) { return A > B ? A : B; }
inline int32_t MinOf(int32_t A, int32_t B) { return A < B ? A : B; }
// The high 16 bits of Value with their two bytes exchanged.
uint16_t SwapHiWord(uint32_t Value);
// The rectangle with Left <= Right and Top <= Bottom: when Right < Left the corner
// points are exchanged as pairs, then Top and Bottom are put in order (a
// rectangle dragged up and to the right comes out the right way up as well).
template <class TRectType>
void OrderRectPoints(const TRectType& Rect, TRectType& Out) {
    Out = Rect;
    if (Out.Right < Out.Left) {
        Out.Left = Rect.Right;
        Out.Top = Rect.Bottom;
        Out.Right = Rect.Left;
        Out.Bottom = Rect.Top;
    }
    if (Out.Bottom < Out.Top) {
        const auto top = Out.Top;
        Out.Top = Out.Bottom;
        Out.Bottom = top;
    }
}
// Text without its leading blanks (only " ").
void TrimLeadingBlanks(const std::string& Text, std::string& Out);

// ---- Extension lists

// True when Ext (with its dot; upper-cased here) occurs in List, such as
// ".JPG.JPEG.PNG". Ext of 2 characters or fewer never matches; a 3-character Ext
// (dot and two letters) must also occur in ShortList.
bool ExtInList(const std::string& Ext, const std::string& List, const std::string& ShortList);

// ---- Paths

// Path with "/" appended when its last character is not "/"; "" stays "".
void AddBackslash(const std::string& Path, std::string& Out);
std::string AddBackslash(const std::string& Path);
// Path without one trailing "/"; the root "/" stays.
void RemoveBackslash(const std::string& Path, std::string& Out);
std::string RemoveBackslash(const std::string& Path);
// Url with "/" appended when its last character is not "/"; "" stays "".
void AddSlash(const std::string& Url, std::string& Out);
// Path relative to the mount point of its volume, starting with "/"; "/" for
// the mount point itself.
void StripDrive(const std::string& Path, std::string& Out);
// The mount point of the path's volume with a trailing "/".
void GetPathRoot(const std::string& Path, std::string& Out);
// True when the path is the mount point of its volume.
bool IsRootPath(const std::string& Path);
// The folder one level up with a trailing "/"; a volume root is returned as it is.
void GetParentFolder(const std::string& Path, std::string& Out);
// Index of the path's volume in the drive list; -1 when it is not a listed drive.
int DriveIndex(const std::string& Path);
// The name part of the path as it is stored (names have no short forms here).
void ExtractLongFileName(const std::string& Path, std::string& Out);
// The path as it is.
void ExpandLongPath(const std::string& Path, std::string& Out);
// The program folder's "data/" folder, created when missing.
void GetDataFolder(std::string& Out);
// True when the folder exists; false for "" and on any failure.
bool FolderExists(const std::string& Path);

// ---- Files and disks

// Runs one file operation (platform/FileOps.h) on From and To, each one name or a
// list of names separated by NUL characters. True when it failed or was stopped.
bool ShellFileOperation(const std::string& From, const std::string& To, const std::string& Title,
                        uint32_t Flags, uint32_t Func);
// Deletes a file, or a folder with its contents, for good and without questions.
void DeleteFileNow(const std::string& Name);
// Moves a file or folder to the trash; false when it did not arrive there.
bool RecycleFile(const std::string& Name);
// Total and user-available bytes of the path's volume (64-bit); 0 when unknown.
int64_t GetDiskSize(const std::string& Path);
int64_t GetDiskFree(const std::string& Path);
// True when the path's volume reports a size of at least one byte.
bool DriveIsReady(const std::string& Path);
// Stops the running long run and warns "Insufficient disk space." with both sizes in Kb
// (through the message hook: the controls' box and CancelPressed).
void ShowDiskSpaceError(int64_t Required, int64_t Free, const std::string& Extra);
// The text of that warning.
std::string DiskSpaceErrorText(int64_t Required, int64_t Free, const std::string& Extra);
// Volume label + "." + the serial as 8 hexadecimal digits; "" when unreadable.
void GetVolumeTag(const std::string& Path, std::string& Tag);
// The name of ExploreDir's volume, " .. ", and ExploreDir below the volume
// without its trailing "/" (empty for the volume root).
void GetDriveCaption(std::string& Caption);

// ---- Bitmaps

struct TFitSize {
    int32_t Width = 0;
    int32_t Height = 0;
};
// The largest size with the proportions of W x H that fits into BW x BH (small
// sizes are enlarged); 0 x 0 when any size is 0 or less.
void FitSizeInBoxEx(int32_t W, int32_t H, int32_t BW, int32_t BH, TFitSize& Size);
// Frees the bitmap's pixel memory; the bitmap stays usable, empty.
void EmptyBitmap(TBitmap& Bitmap);
// Bytes of one row of Width pixels of Bits bits, padded to Alignment bits.
int32_t GetRowBytesDIB(int32_t Width, int32_t Bits, int32_t Alignment);

// A bitmap object of Width x Height pixels for a TBitmap's SetHandle: BitCount 1,
// 4 or 8 gives that depth with a grey ramp colour table (black to white in 2, 16
// or 256 steps), anything else 24 bits. Without Bits the pixels are black
// (callers paint them); else Bits holds the rows bottom-up, each padded to 32
// bits. Raises EInvalidGraphic when the size is beyond the picture limits or
// Bits is too short.
HBITMAP CreateDIBitmapFromBits(int32_t Width, int32_t Height, int32_t BitCount,
                               std::span<const uint8_t> Bits = {});
// Makes the bitmap's pixels device-independent at BitCount bits and returns the
// depth used. Every TBitmap here is a DIB already (HandleType bmDIB), so the
// bitmap is left as it is and BitCount is returned.
int32_t ConvertBitmapDepth(TBitmap& Bitmap, int32_t Width, int32_t Height, int32_t BitCount);
// The packed DIB of the bitmap (header, colour table or masks, bottom-up rows),
// built as TDibGraphic::ExportDIB builds one; none for an empty bitmap or on failure.
TPackedDib CreatePackedDIB(const TBitmap& Bitmap);
// Removes the 1,024-byte colour table that follows the 40-byte header of a
// direct-colour packed DIB (the Photo CD reader delivers one with its 24-bit
// pictures) by moving the rest of the block down, and clears the header's
// colours-used and colours-important counts so the rows are found right behind
// it. Indexed DIBs and blocks too short for header and table are left as they are.
void StripDIBPalette(TPackedDib& Block);

}  // namespace lumvor
