// The image window's module globals: the state of the current picture, the
// view, long runs and the shared lists, which the image window owns and the
// other windows, dialogs and the script runner read and write.
//
// They live below every window so that code of any layer can reach them
// without including a window header. GUI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "imaging/Transitions.h"
#include "imaging/vo_BMP.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imaging/vo_TIF.h"
#include "platform/Atoms.h"
#include "platform/Classes.h"
#include "platform/Colors.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/Streams.h"
#include "state/MemoryStatus.h"
#include "state/ViewerSettings.h"

namespace lumvor::lumv8900 {

// ---- The program

inline constexpr const char* AppVersionName = "Lumvor 8.9";
// The name of the marker a running slide show holds.
inline constexpr const char* AvlRunningAtom = "AVL running";

// ---- Settings

inline TViewerControls ViewerControls;
inline TJpegWizardSettings JpegWizardSettings;
// The program start read "VControls8900" / "EControls8900".
inline bool ViewerSettingsLoaded = false;
inline bool ExplorerSettingsLoaded = false;
// Save the settings records on exit.
inline bool SaveProfile = true;
// Folder of the save dialog; the user's thumbnail cache folder ("" = default).
inline std::string SaveDir;
inline std::string ThumbCacheDir;

// Fields of the viewer record while the program runs.
inline bool FitWindow = true;
inline bool MaxFullScreen = false;
inline bool FullScreenMenus = true;
inline bool MergeToolbar = false;
inline TColor BackgroundColor = TColor{0xFFFFFF};
inline bool AutoSizeVideo = true;
inline bool AlwaysFullScreen = true;
inline bool MP3Jukebox = false;
inline int32_t SlideTextPosition = 0;
inline bool WindowedView = false;
inline bool OptimizeWindow = false;
inline int32_t EffectsSpeed = 1;
inline int32_t FaxQuality = 2;
inline bool MediaShowStatusBar = true;
inline bool MediaShowPositionBar = true;
inline bool MediaShowControls = true;
inline bool MediaMaxFullScreen = true;
inline bool MediaAutoPlay = true;
inline int32_t MediaControlBarHeight = 0;
inline int32_t MediaStatusBarHeight = 0;
inline int32_t MediaPositionBarHeight = 0;
inline int32_t MediaVolume = 500;

// ---- The program and the screen

// The program's own folder (where its writable files live), with a trailing "/".
inline std::string AppDir;
// Full name of the help, program folder + "lumvor.chm".
inline std::string HelpFileName;
// Kernel version, major x 10 + minor reduced to one digit.
inline int32_t WinVersion = 0;
inline int32_t ScreenWidth = 0, ScreenHeight = 0;
inline int32_t ScreenColorBits = 0;
// Outer size minus client size of the image window.
inline int32_t FrameWidth = 0, FrameHeight = 0;
inline int32_t ScrollBarWidth = 0;
// Folder of visited-folder shortcuts ("" until first used).
inline std::string RecentPath;
// RecentPath, built (the program folder's "recent") and created when missing.
const std::string& EnsureRecentPath();
inline int32_t ShellFileInfoSize = 352;

// ---- The current picture

inline std::string FileName;
inline std::string FileExt;  // upper case, with its dot
// The previous picture; at start the command-line file, "*" when none.
inline std::string PreviousFileName = "*";
// A command-line file still has to be opened by the deferred open.
inline bool CmdLinePending = false;
inline bool ImageLoaded = false;
inline bool ImageChanged = false;
inline int32_t ImageWidth = 0, ImageHeight = 0, ImageBitCount = 0, OriginalBitCount = 0;
inline int32_t PageCount = 1;
inline bool ImgLibDecode = false;
// The imaging library's handle of the current picture (0 = none).
inline int ImgHandle = 0;
inline int32_t ZoomPercent = 100;
inline bool SelectionShown = false, SelectionZoomed = false;
inline bool JPEGScaleOn = true;
inline int32_t PreparedWidth = 0;
inline bool AspectChanged = false;
// The shared JPEG decoder.
inline std::unique_ptr<TJPEGImage> JPEGImage;
inline int PhotoCDHandle = 0;
inline int32_t PhotoCDResolution = 3;
inline bool HeaderFlag = false;

// ---- Life of the window

inline bool AvlStartMode = false;
inline int32_t FirstActivationDone = 0;
inline bool ClosingStarted = false;
inline bool DisplayChanged = false;
inline ATOM AvlAtom = 0;
inline bool ShutDown = false;
inline bool AppQuitting = false;
inline bool LayoutPending = false;
// The first open is laying the window out: its resizes pass the resize reaction.
inline bool OpenLayoutRunning = false;
inline bool ViewSwitching = false;
inline bool ControlsEnabled = true;
inline int32_t MenuMinWidth = 360;
inline int32_t HistoryCharWidth = 0;
inline bool WheelBusy = false;
inline bool ZoomToolBusy = false;
inline bool NetPasswordWarned = false;
// Per-run names of temporary files.
inline std::string TempPrefix;
inline std::string TempNameStem;

// ---- Long runs and slide shows

inline bool UserInterrupt = false;
inline bool EscapePressed = false;
inline bool SlideshowRunning = false;
// Files the running batch handles per minute (at least 1 once read).
inline int32_t SlidesPerMinute = 1;
// The tick count a long run started at, and its run time in units of 600 ms.
inline uint32_t ProgressStartTick = 0;
inline int32_t ProgressElapsed = 0;
// The slide show plays an AVL script rather than the bookmarks.
inline bool ScriptMode = false;
inline bool MediaMode = false;
inline bool FullScreen = false;
// The state the slide show shares with the window, reset at creation.
struct TSlideShowState {
    int32_t Step = 0;
    bool Paused = false;
    int32_t Left = -1;
    int32_t Top = -1;
};
inline TSlideShowState SlideShowState;

// ---- Lists and buffers

// The bookmark list: one picture file per line.
inline TStringList ImageHistoryList;
inline int32_t ImageHistoryIndex = 0;
inline TStringList LabScript;
inline TStringList FolderHistory;
inline TStringList SpareList;
// The files the last batch conversion skipped, one "Skipped: " line each.
inline TStringList ReportLines;
inline TStringList SlideFolders;
// The tick count a script's BENCHMARK_START stored.
inline uint32_t BenchmarkStartTick = 0;
// Upper-case extension -> system icon index.
inline TStringList ExtIconCache;
inline TMemoryStream SpareStream;
inline TMemoryStream ScriptStream;
// The slide transition effects table; byte 4 of a record (Reserved[0]) is 1 when
// the effect belongs to the user's random set.
inline std::array<TTransitionRecord, 256> EffectsList{};
// The effects' names, line i naming EffectsList entry i.
inline TStringList EffectNames;

// ---- Editing state

inline std::unique_ptr<TPcxGraphic> PcxGraphic;
inline std::unique_ptr<TBmpGraphic> DibImage;
inline std::unique_ptr<TTiffGraphic> TiffGraphic;
inline std::unique_ptr<TPngGraphic> PngGraphic;
inline std::unique_ptr<TTgaGraphic> TgaGraphic;
inline std::unique_ptr<TBitmap> BackupBitmap, UndoBitmap, DuplicateBitmap, WorkBitmap, ScratchBitmap;
// The filter dialog's fitted copy of the picture (fit view); empty otherwise.
inline std::unique_ptr<TBitmap> FilterPreviewBitmap;
inline bool UndoValid = false;
// The undo file ("" until the undo code names it).
inline std::string UndoFile;
// The last diagnostic note of the undo and backup code.
inline std::string ImageViewInfo;
inline bool CommentFormCreated = false;
inline bool CropFromScript = false;
inline bool AutoFixBusy = false;
inline bool LargeExport = false;
inline bool RecycleYesToAll = false;
// The folder the last batch wrote to or moved into (with a trailing "/").
inline std::string LastBatchFolder;
inline int32_t LastSaveFilterIndex = 999;
inline std::string TextMarkText;
inline TColor TextMarkOutlineColor = TColor{0x808080};
inline int32_t InterlaceField = 1;
// The sum of squared byte differences the measuring Difference leaves (for the
// picture analysis).
inline double DifferenceSumSq = 0;
// The user's duplicate while a command borrows DuplicateBitmap (null when none
// is parked): SaveDuplicateToTemp parks it, RestoreDuplicateFromTemp gives it back.
inline std::unique_ptr<TBitmap> ParkedDuplicate;
inline int32_t GridPresetIndex = 2;
inline int32_t JpegTestValue = 0;

// --- undo and automatic backup, saving, dropped and handed-over files ---

// Between an editing command's backup and the next backup, Undo or picture
// load, WorkStream holds the automatic backup (a BMP file image, or a PCX file
// image for pictures of fewer than 8 bits).
// WorkStream holds the automatic backup.
inline bool ImageUndoSaved = false;
// The picture's palette at the backup (pictures of 8 bits or fewer).
inline HPALETTE UndoPalette;
// ImageChanged as it was when the backup was made: Undo gives it back.
inline bool ChangedAtBackup = false;
// A saved JPEG gets the Lab script as its comment; the composed comment.
inline bool AddLabComments = false;
inline std::string JpegCommentText;
// A batch conversion's encode thread runs; EncodeThreadDone clears it.
inline bool EncodeBusy = false;
// The argument of the Lab script's SAVE command (a suffix of the file name).
inline std::string TempStr;

// --- information, printing, scanning ---

// Destination of ImgPrintImage (right and bottom inclusive).
inline TRect ImgRect;
// Pictures of this many bytes or more go to the imaging library through a
// temporary PCX file rather than a packed DIB in memory.
inline constexpr int64_t LargeExportBytes = 16384000;
// The Photo CD description of the last Photo CD import, and the disc's rights
// file ("" when it has none).
inline std::string PhotoCDInfoText;
inline std::string PhotoCDRightsFile;
// --- view: zoom, fit, full screen, window size, tools, selection ---
// The window is neither in full screen nor showing media.
inline bool WindowFrameFree = true;
// The window is being sized to the picture (its resize reaction waits).
inline bool SizingToPicture = false;
// The picture is larger than the view: a drag with the hand scrolls it.
inline bool HandAvailable = false;
// The select or the zoom tool is active.
inline bool SelectMode = false;
inline bool MouseIsDown = false;
// The selection's focus rectangle is drawn on the display control.
inline bool SelectionDrawn = false;
// The mouse-down point, on the zoom grid.
inline TPoint DragOrigin;
// The selection in display-control pixels; Bottom = -1: no anchor yet.
inline TRect ScreenSelection{0, 0, 0, -1};
// The selection in picture pixels after adjustment, and the one the editing
// commands use.
inline TRect LastSelection;
inline TRect Selection;
// The last region the view zoomed into, in picture pixels.
inline TRect ZoomRegion;
// The marquee (ScreenSelection) as it was when a selection was last shown.
inline TRect SavedScreenRect;
// The last mouse-down on the picture, in display-control pixels.
inline int32_t ClickX = 0, ClickY = 0;
// The right mouse button was released over the window, or over the picture
// during a show: the slide show's current pause ends (Wait clears it).
inline bool RightButtonReleased = false;
// The screen and picture rectangles kept at mouse-down for a Ctrl move.
struct TPreviousSelection {
    TRect Screen;
    TRect Picture;
};
inline TPreviousSelection PreviousSelection;
// A JPEG was decoded at a reduced scale; its first decode failed and was retried.
inline bool JPEGReduced = false;
inline bool JPEGRetry = false;
// A bilevel page is shown reduced with grey levels (by the fax quality); its
// own size is then kept in PrevImageWidth/PrevImageHeight.
inline bool FaxReduced = false;
// The slide show's per-slide adjustment flag (gamma of the current slide).
inline bool SlideAdjust = false;
// --- opening a picture: formats, pages, headers, scaled JPEG, Photo CD ---

// Size of the picture when the open began (the header's size); a reduced JPEG
// keeps its file size here for the status bar.
inline int32_t PrevImageWidth = 0, PrevImageHeight = 0;
// The 0-based page shown of a multi-page file.
inline int32_t PageIndex = 0;
inline int32_t PreparedHeight = 0;
// The reduction of the last JPEG decode: the divisor chosen for the view, and
// once decoded the one the decoder applied (1, 2, 4 or 8).
inline int32_t JPEGScaleDivisor = 1;
inline uint32_t TickStart = 0;
// Scratch stream of the open command (the dialog's conversion buffer, the PNG
// hand-over to the imaging library).
inline TMemoryStream WorkStream;
// The progress bar on the status bar: its rectangle (set by the status bar),
// the last percentage drawn and the width drawn for it.
inline TRect ProgressRect;
inline int32_t LastProgress = 0;
inline int32_t ProgressWidth = 0;
// Set by the header reader after a JPEG header was read through JPEGImage.
inline bool JPEGHeaderRead = false;
// The embedded-preview reload asks the header reader for the EXIF preview.
inline bool EmbeddedJPEGRequested = false;
// The Photo CD resolution used for the current file.
inline int32_t PhotoCDCurrentResolution = 3;
// The media file shown in media mode.
inline std::string MediaFileName;
// The natural size of the media last opened (height 0: sound only) and its
// length in seconds; the slide-show player's length apart.
inline int32_t VideoWidth = 0;
inline int32_t VideoHeight = 0;
inline double MediaDuration = 0;
inline double SlideMediaDuration = 0;
// The last play and open states the viewer's and the slide show's players
// reported (play: 0 stopped, 2 playing; open: 6 open).
inline int32_t ViewerPlayState = 0;
inline int32_t PlayerState = 0;
inline int32_t ViewerOpenState = 0;
inline int32_t SlideshowOpenState = 0;
// The player's height without bars, measured when the viewer's player is made.
inline int32_t PlayerBaseHeight = 0;
// The display size the media full-screen switch keeps.
inline int32_t SavedDisplaySize = 0;
inline bool SlideshowPlayerCreated = false;
// How long an open waits for the player to know the file (milliseconds).
inline int MediaOpenWait = 2000;
// The last picture shown (the picture a file that cannot be shown leaves in place).
inline std::string ShownFileName;


// --- chrome: bars, menus, keys, status bar ---

// The text of status panel 0 ("Ready.", "Busy ...", "Loading...", a page number).
inline std::string StatusTextValue = "Ready";
// How the desktop opens a document (ExecuteFile); tests put a recorder here.
inline std::function<bool(const std::string& FileName)> ShellOpenDocument;
// The desktop's application for the type of the existing file Path opens it
// (through ShellOpenDocument when set); false when none could be started.
bool OpenWithDesktop(const std::string& Path);

// Called as each way of reading the clipboard's picture starts (1: through
// DibImage, 2: as a plain bitmap); a test makes that way fail by throwing.
inline std::function<void(int Way)> ClipboardReadFault;

// --- memory check and report ---

// How the memory check and report learn the memory status (none: the machine's
// own, ReadMemoryStatus), and whether a block of that many bytes can be had
// (none: a real allocation, freed at once); tests put given answers here.
inline std::function<TMemoryStatus()> MemoryStatusReader;
inline std::function<bool(int64_t Bytes)> MemoryProbe;

// --- size changes ---

// The imaging library's scaled copy of a whole picture as the size changes
// make it (none: ImgCopy); tests put a recorder here.
inline std::function<int(int Handle, int Width, int Height, int32_t Flags)> ResizeCopy;

}  // namespace lumvor::lumv8900
