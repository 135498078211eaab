// The explorer's module globals that other windows and layers read and write:
// its settings record, the dirty flag, the thumbnail run's flags, the explored
// folder's comment lists and the visited folders. The explorer window owns them.
// GUI thread only, except CoreCancel.
#pragma once

#include <QtCore/qnamespace.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ByteRecord.h"
#include "platform/Classes.h"

namespace lumvor {

// What a folder's comment pair was read as (explorer/FolderComments.h).
enum class TCommentEncoding { Utf8, Windows1252 };

namespace xplr8900 {

inline bool FileFormCreated = false;
// The explorer is the active window.
inline bool ExplorerActive = false;

// ---- Settings

// The explorer settings record, stored as "EControls8900".
inline TByteRecord<140> EControls;
// Offsets in EControls that other windows read.
namespace ec {
constexpr std::size_t ExplorerBounds = 0;
constexpr std::size_t ZipBounds = 16;
constexpr std::size_t ToolBar = 32;
constexpr std::size_t StatusBar = 33;
constexpr std::size_t ButtonText = 34;
constexpr std::size_t ThumbJpegDecode = 35;
constexpr std::size_t AutoRefresh = 36;
constexpr std::size_t FolderTree = 37;
constexpr std::size_t TreeWidth = 40;
constexpr std::size_t ListView = 44;
constexpr std::size_t ThumbSize = 48;
constexpr std::size_t ViewerPlaysMedia = 52;
constexpr std::size_t AlbumCopy = 56;
constexpr std::size_t ClickMode = 64;
constexpr std::size_t ConfirmDeletions = 69;
constexpr std::size_t NetworkSupport = 70;
constexpr std::size_t ListToolTips = 80;
constexpr std::size_t ListFontSize = 88;
constexpr std::size_t ListFontName = 104;  // length byte, then up to 32 characters
}  // namespace ec

// ---- Shared state

// The explorer re-reads its folder when it next becomes active.
inline bool ExplorerDirty = false;
// The temporary ".vop" list the explorer hands to the image window.
inline std::string BookmarkListFile;
// Thumbnail cell size in pixels.
inline int32_t ThumbWidth = 168;
inline int32_t ThumbHeight = 126;
// The size thumbnails are decoded for (the JPEG decoder aims at twice it).
inline int32_t ThumbDecodeWidth = 168;
inline int32_t ThumbDecodeHeight = 126;
// Set while the explorer walks folders to hand a list to the slide album or the
// bookmarks; the cache folder stays as it is meanwhile.
inline bool ListingBusy = false;

// Stops the running batch of thumbnail worker threads; their results are then
// dropped. Set before every listing, refresh and navigation.
inline std::atomic<bool> CoreCancel{false};

// ---- The thumbnail run

// A run is installed as the application's idle handler.
inline bool ThumbRunActive = false;
// The run of the current listing has finished (Thumbnailing_Resume then starts
// nothing); cleared by a stop and by every listing.
inline bool ThumbsComplete = false;
// The list row of the current step (-1 before the first) and the run's last row
// (-1 when no run).
inline int32_t CurrThumb = -1;
inline int32_t ThumbCount = -1;
// The full path of the current step's file.
inline std::string ItemFile;

// Test hooks of the run on the GUI thread: Making before a maker decodes a
// picture file, CacheWritten after a cache file was written.
struct TThumbRunHooks {
    std::function<void(const std::string& File)> Making;
    std::function<void(const std::string& CacheFile)> CacheWritten;
};
inline TThumbRunHooks ThumbRunHooks;

// ---- Folder comments

// The explored folder's commented names and their comments, index by index
// (explorer/FolderComments.h).
inline TStringList CommentNames;
inline TStringList CommentTexts;
// What the lists were read as, and whether the folder's pair may be written
// (not when it exists but could not be read).
inline TCommentEncoding CommentsEncoding = TCommentEncoding::Utf8;
inline bool CommentsWritable = true;
// "Add EXIF datestamps" no longer asks (its check box was ticked in this run).
inline bool ExifDatesUnasked = false;

// ---- Path texts of the web page generator

// The counter of fixed catalog thumbnail names; lives for the program run.
inline uint32_t WebThumbCounter = 0;

// The drive kinds of DriveList's Data.
constexpr int32_t DriveRemovable = 2;
constexpr int32_t DriveFixed = 3;
constexpr int32_t DriveRemote = 4;
constexpr int32_t DriveOptical = 5;
constexpr int32_t DriveMappedNetwork = 4840123;

// ---- Opening files

// The extensions the image window shows, and those it also plays when the
// settings let it (EControls dword ViewerPlaysMedia); media of MediaForShell
// always go to the desktop's application when opened alone.
inline constexpr const char* ViewableExtensions = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.WMF.EMF";
inline constexpr const char* ViewableMediaExtensions =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.RMI.MKV.MP4.WAV.MP2."
    "MP3.MPA.MID.AU.SND.WMA.RMI.APE.FLAC.M4A.OGG.WMF.EMF";
inline constexpr const char* MediaForShell = ".WMV.WMA";
// When set, the files the explorer opens go here instead of to their windows:
// the receiving command ("DragOpen", "OpenBIPfile", "btnLoadSClick",
// "mnuHistoryLoadClick", "Populate", "HistoryControls") and the path ("" for
// HistoryControls). For tests.
inline std::function<void(const std::string& Command, const std::string& Path)> OpenHandOff;

// The keyboard modifiers held now; the system's when unset (tests set it).
inline std::function<Qt::KeyboardModifiers()> KeyboardState;

// ---- Visited folders (used by the list dialog)

// The visited folders, each with a trailing "/", exactly as visited.
inline TStringList HistoryList;
// At most this many visited folders are kept.
constexpr int MaxHistory = 256;
// The position in HistoryList; -1 when it is empty.
inline int HistoryIndex = -1;

}  // namespace xplr8900

}  // namespace lumvor
