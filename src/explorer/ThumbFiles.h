// Where the explorer's thumbnail cache files live and what they are called.
//
// The cache root (ThumbRoot) holds one sub-folder per explored folder, named by
// 8 hexadecimal digits of a CRC of the folder's key (ThumbFolderName); in it one
// file per picture, named by the CRC of the picture's key. The root itself holds
// the blank file "_.rec" that measures ThumbRecOffset, one shared file per
// extension for the icon thumbnails of other files ("TXT"), the fixed shared
// file "_other", and the four stock icon files "00000001" to "00000004". What a
// cache file holds, how it is read and written: imaging/ThumbCache.h.
//
// Keys are byte strings, each line ended by CR LF; CRCs are StreamCrc32 started
// from 0xFFFFFFFF (Python: ~zlib.crc32(key) & 0xFFFFFFFF).
// - Folder key: VolumeTag, then the explored folder relative to its volume's
//   mount point with a trailing "/", upper-cased.
// - Picture key: VolumeTag; the picture's path relative to the mount point,
//   upper-cased; SizeLow, FileDate and TimeMs of its record as signed decimals.
// Paths are relative to the mount point so a memory card keeps its cache names
// wherever it is mounted; upper-casing changes the ASCII letters a-z only, so a
// key is the same bytes in every locale.
//
// Nothing here touches a widget; everything runs on the GUI thread (worker
// threads are handed finished cache paths).
#pragma once

#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"
#include "platform/Streams.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lumvor {

class TJPEGImage;

namespace xplr8900 {

// The cache root in use, with a trailing "/".
inline std::string ThumbRoot;
// 8 upper-case hexadecimal digits: the explored folder's sub-folder.
inline std::string ThumbFolderName;
// The volume tag of the explored folder (label "." serial; "" when unreadable).
inline std::string VolumeTag;
// The explored folder relative to its volume's mount point, with a trailing "/"
// and its own case: the folder part of every picture key.
inline std::string ThumbKeyFolder;
// Scratch stream of PrepareThumbFolder; empty between calls.
inline TMemoryStream KeyStream;

}  // namespace xplr8900

// The extensions whose files get a cache file of their own in the folder's
// sub-folder; every other extension shares one file in the root.
inline constexpr const char* ThumbFileExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.LNK.EXE.ICO.CUR";
// The root file shared by entries whose extension cannot name a root file: no
// extension, a bare "." (a name ending in a dot), or 8 hexadecimal digits (the
// names of sub-folders and stock files).
inline constexpr const char* ThumbOtherFileName = "_other";
// The blank file whose length gives ThumbRecOffset.
inline constexpr const char* ThumbBlankFileName = "_.rec";

// Settles the cache folder of ExploreDir. Does nothing at all while
// xplr8900::ListingBusy is set (the explorer is walking folders for the slide
// album or the bookmarks). Otherwise:
// - ThumbRoot := lumv8900::ThumbCacheDir when that names an existing folder,
//   else the program's data folder, which is stored back into ThumbCacheDir;
//   the root is created when missing; show8900::ThumbPath := ThumbRoot;
// - VolumeTag, ThumbKeyFolder and ThumbFolderName for ExploreDir; the
//   sub-folder is created when missing (failures to create are ignored: later
//   writes then fail quietly);
// - Jpeg, when given, gets the thumbnail decode limits: maximum 32000 x 32000,
//   target twice ThumbDecodeWidth x ThumbDecodeHeight, error diffusion;
// - the first call of a run (ThumbRecOffset 0) writes "_.rec", a blank white
//   24-bit cell of ThumbWidth x ThumbHeight with a zero trailer, and sets
//   ThumbRecOffset to the length of its bitmap image.
void PrepareThumbFolder(TJPEGImage* Jpeg);

// The thumbnail decode limits of a JPEG decoder: maximum 32000 x 32000,
// target twice ThumbDecodeWidth x ThumbDecodeHeight, error diffusion.
void SetThumbDecodeLimits(TJPEGImage& Jpeg);

// 8 upper-case hexadecimal digits of the folder key's CRC. KeyFolder is the
// folder relative to its mount point with a trailing "/" ("/" at the mount point).
std::string ThumbFolderKeyName(std::string_view Tag, std::string_view KeyFolder);

// The file name for a key of Length bytes whose CRC is Crc: up to 32767 bytes,
// 8 hexadecimal digits of Crc, the last 3 of the 6 base-32 digits of Length and
// ".rec" (15 characters); from 32768 bytes on, Length and Crc as 8 hexadecimal
// digits each (16 characters, no extension).
void ThumbKeyName(uint32_t Crc, uint64_t Length, std::string& Name);
// The same for the key's bytes.
void ThumbKeyName(std::string_view Key, std::string& Name);

// The cache file name of a list entry: a pure function of the volume tag, the
// folder relative to its mount point (ThumbKeyFolder) and the entry's record
// (Name, Ext, SizeLow, FileDate, TimeMs). The listing stores the per-file name
// in the record's CacheName and the explorer's lookups compute the same here,
// so the two cannot drift apart. With F = KeyFolder + Name + Ext and E its
// upper-cased extension (a record whose Ext is ".LNK" while E is not gets
// ".LNK" added to F first):
// - E in ThumbFileExtensions: a per-file name (ThumbKeyName of the picture key);
// - no extension, a bare ".", or 8 hexadecimal digits: ThumbOtherFileName;
// - any other E: E without its dot, a shared file in the root ("TXT").
// Returns the kind and puts the name into Name; allocates nothing but the name.
TThumbFileKind ThumbRecName(std::string_view Tag, std::string_view KeyFolder, const FileRec& Rec, std::string& Name);

// The path of a name in its place: a per-file name in ThumbRoot +
// ThumbFolderName, any other in ThumbRoot.
TThumbFile ThumbFileAt(TThumbFileKind Kind, const std::string& Name);

// The cache file of a list entry of the explored folder: the record's CacheName
// in the sub-folder when that file has data (FileHasData), else ThumbRecName
// with the keys of the last PrepareThumbFolder.
TThumbFile ThumbRecFile(const FileRec& Rec);

// The trailer of a picture's cache file: Base with the picture's Width and
// Height (each held to 0..65535) and 24 bits, the depth of every cell. The
// explorer's own maker passes its copy of the row, captioned and fsPresent; a
// worker passes an empty record. WriteThumbFile then stamps the row's identity.
// Readers take the size and the depth alone: the list makes its caption and
// state again from them.
FileRec PictureThumbTrailer(FileRec Base, int32_t Width, int32_t Height);

// The stock file of a negative list position: ThumbRoot + its absolute value as
// 8 hexadecimal digits. -1 the folder icon, -2 the first system icon, -3 the
// explorer's icon, -4 the warning icon.
TThumbFile ThumbStockFile(int32_t Position);

}  // namespace lumvor
