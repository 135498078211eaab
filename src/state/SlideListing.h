// What a folder lister hands to the slide album: which files it takes, and the
// slide record it writes for each of them into the catalog's record file.
//
// The explorer's lists and the folder picker's walk both fill records through
// FillListedSlideRecord, so the album reads one layout from either.
#pragma once

#include "state/AlbumState.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lumvor {

// The pictures and media a folder listing takes (upper-cased extensions).
inline constexpr const char* ListableExtensions =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.RMI.MKV.MP4.WAV."
    "MP2.MP3.MPA.MID.AU.SND.WMA.RMI.APE.FLAC.M4A.OGG";

// Sound slides (shown with no picture) and pictures, by upper-cased extension.
inline constexpr const char* SoundSlideExtensions =
    ".WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI.APE.FLAC.M4A.OGG";
inline constexpr const char* PictureSlideExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.WMF.EMF";

// Whether a file name's extension (any case) is listable: it occurs in
// ListableExtensions, and a dot with two letters only when it is one of the
// short media types (".AU").
bool IsListableFile(const std::string& Name);

// The same test of a bare file name (no folder in it).
bool IsListableName(std::string_view Name);

// Fills Rec for the file at Path (its size in bytes and last write in seconds
// since the epoch) as a folder lister does: no thumbnail yet, the upper-cased
// extension (at most 12 characters), dimensions not read (DimState 1), the
// icon of the file's type (asked once per extension, through ExtIconCache;
// shortcuts, programs, icons and cursors each their own), Index (the running
// slide count) in both index fields and the sequence, Kind (the lister's
// argument) in Tag, the last write packed as the explorer packs it, CRC not
// computed, one second on screen and the property defaults of its kind:
// sound: background -1 and every show property from the effect to the rotation
// 65535 (does not apply); pictures: background -2, effect 0, gamma 100, zoom
// 100, caption panel automatic (65534), rotation 0; other media as pictures
// but with effect and gamma 65535.
void FillListedSlideRecord(TSlideRec& Rec, const std::string& Path, int64_t Size, int64_t Seconds, int32_t Index,
                           int32_t Kind);

}  // namespace lumvor
