// The image window (the program's main form). Its module globals, which every
// window and dialog of the program reads and writes, are in state/ViewerState.h.
//
// Start-up: MainUnitInit gives the globals their first values and reads the
// command line; ProgramStart reads the two settings records, refuses to start
// while a slide show of another instance plays, and creates the image window
// and then the explorer; ProgramMain runs the whole program.
//
// GUI thread only.
#pragma once

#include <QMainWindow>
#include <QSize>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "processing/files/BatchFiles.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "state/ImageWindowSeam.h"
#include "state/ViewerState.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QPainter;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTextEdit;
class QToolBar;
class QToolButton;
class QTimer;

namespace lumvor {

class Exception;
class TCoreEncode;
class TMediaPlayer;
class TMenuItem;
class TMeOpenDialogEx;
class TMeSaveDialogEx;
class TOpenDialogPlus;
class TSaveDialogEx;
class TPix;
class TRegistry;
class TScrollBoxEx;
class TFileForm;
class TTrackBar;
class TUnZipForm;
class TWebForm;

namespace lumv8900 {

// ---- The window

inline TWebForm* WebForm = nullptr;

// WinVersion's number for a kernel release text ("6.1.0-18-amd64" gives 61,
// "5.10.0" 51).
int32_t KernelVersionNumber(const std::string& Release);
// The name of a folder's link in RecentPath: "2001 in Photos" for a folder
// 2001 in a folder Photos (the folder's name alone when that would pass 128
// characters, a volume's label or mount point for its root), ":" and "/" as
// blanks.
std::string VisitedFolderLinkName(const std::string& Folder);
// The wallpaper picture: "VO_Wallpaper.Bmp" in the user data folder.
std::string WallpaperFileName();
// True when a program of that name is found on the PATH.
bool CheckAppPath(const std::string& Name);
// A scaled copy of the picture Handle (through ResizeCopy), made through a copy
// at twice the size when ThroughDouble and that size is allowed, for a smoother
// result; 0 when the library failed.
int ScaledCopy(int Handle, int Width, int Height, int32_t Method, bool ThroughDouble);
}  // namespace lumv8900

// ---- Start-up

// Gives the globals their first values and reads the command line (the
// program's arguments without its own name): all arguments joined with single
// blanks name one file. Runs once before any window exists.
void MainUnitInit(const std::vector<std::string>& Params);
// Reads the settings records and creates the image window and the explorer.
// False when a slide show of another instance is playing: no window is made.
bool ProgramStart();
// Lets the layers below the windows make the windows made on demand (the slide
// album, the zip window) through their seams.
void RegisterWindowMakers();
// The whole program: start-up, the event loop, the end. Needs the application
// object to exist.
int ProgramMain();
// The Tag a sender carries: a menu item's own, or another object's "Tag"
// property; 0 without a sender.
int TagOf(QObject* Sender);
// Spreads a window over the whole screen: (0, 0) to (screen width - 1, screen
// height - 1).
void MaximizeWindow(QWidget& Form);

// --- information, printing, scanning ---

// Bytes of a picture in memory as the load, save and export decisions count
// them: width x height x 3 (24 bits), x 2 (15, 16), x 1 (8), div 2 (4), div 8
// (1), 0 for other bit counts; rounded down to a multiple of 4096.
int64_t ImageDataSize(int32_t Width, int32_t Height, int32_t BitCount);
// The texture rating of a picture control's picture: its JPEG size at Quality
// and that of its mean-removed edges, each per byte of the raw picture
// (ImageDataSize for the viewer picture, a thumbnail's bytes otherwise) x 1e9,
// truncated and added. It leaves the picture mean-removed: callers keep a copy.
int64_t ComplexityIndex(TPix* Pix, int Quality);
// The zip window, created on first use.
TUnZipForm& EnsureUnZipForm();
// The explorer window, one of its items or one of its controls: commands
// called from there act on the explorer's files.
bool FromExplorer(QObject* Sender);
// Memory of a displayed bitmap of the given format: 4, 3, 2 or 1 bytes per
// pixel, or a half or an eighth; a device format counts at the screen's
// colour bits; -1 for any other depth.
int64_t BitmapMemorySize(TPixelFormat Format, int32_t Width, int32_t Height, int32_t ScreenBits);

// What the information box says about a picture file.
struct TPictureInfo {
    std::string Description;  // the status bar's size text
    std::string FileName;     // full name
    bool Jpeg = false;        // JPEG files leave out name and folder
    std::string DateText;
    int64_t FileSize = 0;
    std::string CrcText;
    int32_t PageCount = 1;
    int64_t BitmapMemory = 0;
    int32_t ScreenBits = 0;
    std::string LineBreak = "\n";
};
// The lines of the information box, LineBreak after each but the last.
std::string PictureInfoText(const TPictureInfo& Info);

// ---- The image window

class TWebForm : public QMainWindow, public TImageWindowSeam {
public:
    // Builds the components and runs the creation steps.
    explicit TWebForm(QWidget* owner = nullptr);
    ~TWebForm() override;

    // The seam other windows and layers call (state/ImageWindowSeam.h).
    QMainWindow& Form() override { return *this; }
    const std::vector<QMenu*>& MenuBarMenus() const override { return TopMenuItems; }
    QStatusBar* WindowStatusBar() const override { return StatusBar; }
    TMeOpenDialogEx& SharedOpenDialog() override { return *OpenDialogAny; }
    TSaveDialogEx* PictureSaveDialog() override { return SaveDialog; }
    void ShowExplorerOptions(bool Limited) override;
    bool CdPlayerActive() const override;
    void CloseCdPlayer() override;

    // Components.
    TScrollBoxEx* ScrollBox = nullptr;
    TPix* Daz95 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QMenuBar* TopMenu = nullptr;
    QMenu* MainMenu = nullptr;
    QMenu* CloseMenu = nullptr;
    QWidget* PanelTool = nullptr;
    QWidget* PanelHistory = nullptr;
    QWidget* PanelSide = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolBar* ToolBar3 = nullptr;
    QComboBox* History = nullptr;
    TTrackBar* ZoomBar = nullptr;
    QToolButton* btnZoomUp = nullptr;
    QToolButton* btnZoomDn = nullptr;
    QToolButton* btnExplore = nullptr;
    QTextEdit* RichEdit = nullptr;
    TTimer* Timer2 = nullptr;
    std::vector<QMenu*> TopMenuItems;  // File, Edit, View, Image, Lab, Enhance, Tools, Help
    TMenuItem* mnuExit = nullptr;
    TMenuItem* mnuAbout = nullptr;
    TMenuItem* mnuQuit = nullptr;
    TMenuItem* mnuHideViewer = nullptr;
    TMenuItem* chkPromptOnClose = nullptr;
    TMenuItem* mnuMenubar = nullptr;
    TMenuItem* mnuToolbarV = nullptr;
    TMenuItem* mnuStatusbarV = nullptr;
    TMenuItem* mnuSideBarV = nullptr;
    TMenuItem* mnuPathbox = nullptr;
    TMenuItem* chkUpsampling = nullptr;
    TMenuItem* mnuScaleJPEG = nullptr;
    TMenuItem* mnuAspectCustom = nullptr;
    TMenuItem* mnuViewGamma = nullptr;
    TMenuItem* mnuHistorySlideshow = nullptr;
    TMenuItem* mnuPerformBatch1 = nullptr;
    int Tag = 0;
    int ToolbarTag = 0;  // Toolbar1's Tag: 1 once its height was set

    // The window's bounds as saved and restored.
    TRect SavedBounds;
    TOpenDialogPlus* OpenDialog = nullptr;
    TSaveDialogEx* SaveDialog = nullptr;
    int SaveDialogTag = 0;  // SaveDialog's Tag: 1 after a script's SAVE

    // Calls of image-window routines that are not built yet, in order, with
    // their argument after a blank (see the bodies marked as pending).
    std::vector<std::string> PendingCalls;

    // ---- Life
    void FormCreate();
    void FormActivate();
    void Timer2Timer();
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    void FormClose(QObject* Sender, TCloseAction& Action);
    // Asks whether unsaved work may be discarded: mrYes, mrNo or mrYesToAll.
    int CloseNow(QObject* Sender) override;
    void mnuExitClick(QObject* Sender);
    void AppException(const Exception& E);
    // A change of the display to width x height at bits colour bits.
    void DisplayChange(int Bits, int Width, int Height);
    bool AppHelp(long Context);
    void AppRestore();
    void AppMinimize();

    // ---- Settings records
    void ReadViewerSettings(TRegistry& Registry);
    void SetViewerSettingsDefaults();
    void ApplyViewerSettings();
    void WriteViewerSettings(TRegistry& Registry);
    void InitializeJpegWizard();

    // ---- Close menu
    void mnuQuitClick(QObject* Sender);
    void mnuHideViewerClick(QObject* Sender);
    void chkPromptOnCloseClick(QObject* Sender);
    void mnuAboutClick(QObject* Sender);

    // --- memory, explorer forwarding, timers and small window commands
    // (lumv8900_memory.cpp, lumv8900_windows.cpp) ---
    TMenuItem* mnuNew = nullptr;
    TMenuItem* mnuHide = nullptr;
    TMenuItem* mnuMemory = nullptr;
    TMenuItem* mnuUnZipper = nullptr;
    // The tile items, named as the explorer's own, which tells them apart by name.
    TMenuItem* mnuTile1V = nullptr;  // "Viewer left - &Explorer right"
    TMenuItem* mnuTile2V = nullptr;  // "Explorer left - &Viewer right"
    TMenuItem* mnuTile3V = nullptr;  // "Overlapped &right"
    TMenuItem* mnuTile4V = nullptr;  // "Overlapped &left"
    // The hidden item "test": loads the embedded preview of a JPEG.
    TMenuItem* test = nullptr;
    // 333 ms, disabled at start: the explore command after a double click.
    TTimer* ExplorerTimer = nullptr;
    // 600 ms one shot telling the status bar what ended: Tag 1 a batch ("Batch
    // done."), Tag 2 a Lab script run ("Lab done."); any other Tag only
    // restores the cursor.
    TTimer* AnyTimer = nullptr;
    void ExplorerTimerTimer();
    void AnyTimerTimer();
    // The remaining-time text of a batch run with Remaining files left, at
    // SlidesPerMinute (made at least 1), with the rate in front when ShowRate.
    void TimeToFinish(bool ShowRate, int Remaining, std::string& Text);
    void testClick(QObject* Sender);
    // Is memory short for work on the current picture (ImageDataSize bytes)?
    // Says so in a message box when it is.
    static bool MemoryRunningLow();
    // Frees the spare bitmaps and the clipboard, stops a running batch and
    // reports the memory. From the paste commands (mnuPaste, mnuPaste1) it
    // only frees, silently, and keeps the clipboard; from the explorer the
    // report leaves out the bookmarks.
    void mnuMemoryClick(QObject* Sender);
    // The forwarders of the options dialog and of other windows to the
    // explorer: each but Explorer_UpdateLater first makes the explorer ready
    // (Explorer_Activate: its folder monitor stopped, shown when it was not
    // active) and then runs the explorer's own command.
    void Explorer_Activate();
    void Explorer_FolderTree();
    void Explorer_Win98style();
    void Explorer_Toolbar();
    void Explorer_Statusbar();
    void Explorer_ClickStyle();
    void Explorer_NetworkSupport();
    // The tool-tip option (explorer settings byte 80) into the explorer's
    // list, then its folder read again.
    void Explorer_Refresh() override;
    // The explorer re-reads its folder when next shown; its monitor stops now.
    void Explorer_UpdateLater() override;
    // A new blank 24-bit picture of the size and colour the user chooses.
    void mnuNewClick(QObject* Sender);
    // The viewer hides; the slide album (when it was ever activated and holds
    // slides) or else the explorer comes forward.
    void mnuHideClick(QObject* Sender);
    void mnuTile1VClick(QObject* Sender);
    void mnuUnZipperClick(QObject* Sender);
    // The window was hidden or shown by the program (not minimised).
    void FormHide();
    void FormShow();

    // ---- Routines of other commands of the window
    static int ReadImageHeader(bool Read);
    void NewBlankImage(bool Named);
    void FitSavedBounds();
    void ShortCuts_Enable();
    void StatusText(const std::string& Text);
    void btnExploreClick(QObject* Sender) override;
    void BtnOpenClick(QObject* Sender);
    void BtnOpenEx(QObject* Sender);
    void DragOpen(const std::string& Name) override;
    void HistoryChangeUpdate();
    void AV_UI(bool On);
    void ApplyChrome();
    void ToolbarResize();
    void LeaveFullScreen();

    // --- undo and automatic backup, saving, dropped and handed-over files ---
    // Keeps the picture as the automatic backup before an editing command;
    // false after a failed backup (the command must not go on).
    bool AutoBackUp();
    // Puts the automatic backup (or the undo copy) back; one level, one shot.
    void mnuUndoClick(QObject* Sender);
    // The undo copy in memory, or in the undo file when asked or when memory
    // fails; true means failure.
    bool CopyToUndoBitmap(bool ForceFile);
    // Puts the undo copy back into the display bitmap; true means failure.
    bool CopyFromUndoBitmap();
    // After a failed backup: parks the picture in the undo file, restarts the
    // imaging library and brings the picture back.
    void RecoverBitmap();
    void SetUndoControls(bool Enabled);
    // The save command (Sender mnuPerformBatch1: the Lab script's SAVE).
    void mnuSaveClick(QObject* Sender);
    void SaveDialogTypeChange(QObject* Sender);
    // "Busy ..." with text in the size panel, hourglass.
    void StatusBusy(const std::string& Text);
    // Writes the graphic as the run's "vo_process.bmp" temporary file; its
    // name, "" when it could not be written.
    std::string SaveTempBitmap(TGraphic& Graphic);
    // Files dropped on the window, in the order the drop lists them.
    void WMDropFiles(const std::vector<std::string>& Files);
    void mnuFirstImageClick(QObject* Sender);
    void mnuReloadClick(QObject* Sender);
    void CreateDropTarget();
    class TDropTargetEx* DropTarget = nullptr;
    // mnuSaveV's Tag: 1 once the Adobe Deflate note was ticked away.
    int mnuSaveVTag = 0;
    // Items of the bars and menus these commands enable or are called from
    // (null until the chrome builds them).
    QToolButton* btnUndo = nullptr;
    TMenuItem* mnuUndo = nullptr;
    TMenuItem* mnuUndo1 = nullptr;
    TMenuItem* mnuSaveV = nullptr;
    TMenuItem* mnuFirstImage = nullptr;
    TMenuItem* mnuFirstImage1 = nullptr;
    TMenuItem* mnuLastImage = nullptr;
    TMenuItem* mnuLastImage1 = nullptr;
    TMenuItem* mnu8gray = nullptr;
    // --- colour depth: Image > Reduce to and Image > Promote to ---
    // Reduces the picture through the imaging library. The dither items
    // (mnu8bpp1, mnu8gray, mnu4bpp1, mnu1bpp1) ask for the method and record
    // nothing; the poster items (mnu8poster, mnu4poster) record "QUANTIZE256"
    // or "QUANTIZE16" and posterize. The item's Tag is the depth.
    void ImageReduce(QObject* Sender);
    // The picture as 24 bits reduced to the fixed palette of 16 (Bits 4) or
    // 256 colours; no undo copy, no line (the script's QUANTIZE16/QUANTIZE256).
    void DoPosterize(int Bits);
    // Changes the picture's pixel format to the Sender's Tag (4, 8, else 24
    // bits, which records "TRUECOLOR").
    void ImagePromote(QObject* Sender);
    TMenuItem* mnu8bpp1 = nullptr;
    TMenuItem* mnu8poster = nullptr;
    TMenuItem* mnu4bpp1 = nullptr;
    TMenuItem* mnu4poster = nullptr;
    TMenuItem* mnu1bpp1 = nullptr;
    TMenuItem* mnuPromote241 = nullptr;
    TMenuItem* mnuPromote81 = nullptr;
    TMenuItem* mnuPromote41 = nullptr;
    // Routines of other commands these call.
    void mnuCompressClick(QObject* Sender);
    // Plays the bookmarks (or, sent by mnuHistorySlideshow, a script) as a
    // slide show in the client area; returns once it has ended and the window
    // is as it was (lumv8900_show.cpp).
    void mnuHistorySlideshowClick(QObject* Sender) override;
    // The surface the show draws on (null before the first show), and a test's
    // hook called first thing when the window is restored.
    QWidget* SlideSurface = nullptr;
    std::function<void()> ShowRestoreHook;
    struct TShowRun;
    bool ShowSetUp(QObject* Sender, TShowRun& Run);
    void FillShowSurface();
    void ShowSlides(TShowRun& Run);
    bool ShowNextSlide(TShowRun& Run);
    bool LoadShowScript(TShowRun& Run);
    bool ReadScriptSlide(TShowRun& Run, bool& CDTrack);
    bool SeekScriptSlide(TShowRun& Run, int Slide);
    bool ShowPictureSlide(TShowRun& Run, int Width, int Height);
    bool ShowCDSlide(TShowRun& Run);
    bool ShowSoundSlide(TShowRun& Run);
    bool ShowMediaSlide(TShowRun& Run, int Width, int Height);
    bool ShowRemoteControl(TShowRun& Run);
    void DrawSlideComment();
    void ShowFinish(TShowRun& Run);
    // Asks for an AVL script and plays it.
    void mnuSlideshowClick(QObject* Sender);
    TMenuItem* mnuSlideshow = nullptr;
    // Lets the user choose the slide effects of bookmark shows; with
    // mnuHistorySlideshow as Sender only makes sure the catalogue exists, with
    // the album window it also loads the stored selection, without a dialog.
    void mnuSlideEffectsClick(QObject* Sender);

    // --- information, printing, scanning ---
    // Shows size, date, CRC and memory of the current picture file.
    void mnuImageInfoClick(QObject* Sender);
    // Prints the picture where the print setup places it; the picture and its
    // modified state stay as they are.
    void mnuPrintClick(QObject* Sender);
    // Puts the display bitmap into the imaging library as ImgHandle; 0 on failure.
    int ExportBitmapToImg();
    // Bytes of the current picture (ImageDataSize of ImageWidth, ImageHeight, ImageBitCount).
    int64_t ImageDataSize() const;
    // Scanning: choosing the scanner, then one page becomes the picture.
    void mnuTWAIN_Select1Click(QObject* Sender);
    void mnuTWAIN_Acquire1Click(QObject* Sender);
    void TwainDllError();
    void TwainAborted();
    // Asks for a number 0..Maximum; -999 when cancelled.
    int SetColorQuality(const std::string& Caption, int Value, int Maximum);
    // The desktop's default action on a file: 33 when it started, 2 when not.
    int ExecuteFile(const std::string& Name, const std::string& Params, const std::string& Folder, int ShowCmd) override;
    // Prepares the picture for the desktop wallpaper.
    void MakeScreenBitmap();
    // The EXIF date line of an existing JPEG file ("Taken = ..." or
    // "Edited = ..."), "" for any other file; the current picture is untouched.
    std::string GetJPEGDateText(const std::string& Name) override;
    // The CRC-32 register of the file's bytes (no final inversion) as 8
    // upper-case hexadecimal digits.
    void CRCFile(const std::string& Name, std::string& Text);
    // Name of the temporary file of large exports.
    static std::string ExportFileName();
    // Routines of other commands these call (stubs until those land).
    bool ImportImgToBitmap(bool ReadInfo, bool KeepHandle);
    void SetBitmap24();
    void SetBitmap8();
    void SetBitmap4();
    // --- view: zoom, fit, full screen, window size, tools, selection ---
    // Items and buttons of the view that the bars and menus build (none until
    // they exist; every update checks).
    TMenuItem* mnuFitWindow = nullptr;
    TMenuItem* mnuFitWindow1 = nullptr;
    TMenuItem* mnuZoom = nullptr;
    TMenuItem* mnuZoom1 = nullptr;
    TMenuItem* mnuFullscrn = nullptr;
    TMenuItem* mnuFullscrn1 = nullptr;
    // The full-screen item offers "Normal window": the window is full screen.
    bool FullScreenItemReadsNormal() const override;
    TMenuItem* mnuOptimizeWindow = nullptr;
    TMenuItem* mnuAdjustViewport = nullptr;
    TMenuItem* mnuReload = nullptr;
    TMenuItem* mnuReload3 = nullptr;
    TMenuItem* chkExtendedDesktop = nullptr;
    TMenuItem* mnuAspect = nullptr;
    TMenuItem* chkHandTool = nullptr;
    TMenuItem* chkHandTool2 = nullptr;
    TMenuItem* chkSelectTool = nullptr;
    TMenuItem* chkSelectTool2 = nullptr;
    TMenuItem* chkZoomTool = nullptr;
    TMenuItem* chkZoomTool2 = nullptr;
    TMenuItem* mnuTrim1 = nullptr;
    TMenuItem* mnuTrim2 = nullptr;
    TMenuItem* mnuCrop = nullptr;
    TMenuItem* mnuCrop1 = nullptr;
    TMenuItem* mnuCopyMask = nullptr;
    TMenuItem* mnuCopyMask1 = nullptr;
    TMenuItem* mnuPasteMask1 = nullptr;
    TMenuItem* mnuPasteMask2 = nullptr;
    TMenuItem* mnuRedEye1 = nullptr;
    QToolButton* btnFitWindow = nullptr;
    QToolButton* BtnFullScrn = nullptr;
    QToolButton* btnOptimizeWindow = nullptr;
    QToolButton* btnHandTool = nullptr;
    QToolButton* btnSelectTool = nullptr;
    QToolButton* btnZoomTool = nullptr;
    int ZoomToolTag = 0;  // btnZoomTool's Tag: 1 while the zoom tool has zoomed in
    // The tool the view's checks show (the items above mirror it).
    enum class TViewTool { Hand, Select, Zoom };
    TViewTool ViewTool = TViewTool::Hand;
    // The text of status panel 1 (the zoom: "Fit" or the per cent).
    std::string ZoomPanelText;

    // The view area: the client area less the shown bars, in client coordinates.
    int ClientWidth() const;
    int ClientHeight() const;
    int ViewWidth() const;
    int ViewHeight() const;
    TRect ViewRect() const;
    // The window's bounds (Left, Top, Right, Bottom) and setting them in one call.
    TRect WindowBounds() const;
    void SetWindowBounds(const TRect& Bounds);

    void mnuFitWindowClick(QObject* Sender);
    void ShowFitState();
    // Status panel 1: "Fit" or the zoom in per cent.
    void SetStatusZoom(const std::string& Text);
    void btnZoomUpClick(QObject* Sender);
    void btnZoomDnClick(QObject* Sender);
    // The zoom keys "1", "2", "5", "7": 100, 25, 50 and 75 per cent.
    void SetZoomKey(int Percent);
    void mnuZoomClick(QObject* Sender);
    void ApplyZoom();
    void AutoZoom();
    void ResizeImage();
    // A reduced JPEG or bilevel page is shown (the decode stands for the file).
    bool ShownReduced() const;
    // The size of the file a reduced decode stands for.
    TSize ReducedPictureFileSize() const;
    // Once resizing has settled in fit mode: decodes a reduced JPEG again when
    // the view now asks for a smaller divisor (once per view size).
    void RedecodeForView();
    QTimer* RefitTimer = nullptr;
    static constexpr int RefitSettleMilliseconds = 300;
    QSize RefitViewSize;
    void PlaceImage(int Width, int Height);
    void SetBoundsEx();
    bool NeedSetBounds() const;
    void EnsureStretch();
    void ResetSkyScrollPos();
    void SetScrollRanges();
    void LayoutScrollBox();
    void ReadImageSize();
    void ProcessDone();
    void ChangeView();
    void RefreshView();
    void RefreshImage();
    void FitWindowToPicture();
    int GetWinMin() const;
    // Places the window with a Width x Height size by WindowedView and
    // OptimizeWindow; nothing while it is minimised, maximised or hidden.
    void SizeWindowTo(int Width, int Height);
    void FormResize();
    void mnuFullScrnClick(QObject* Sender);
    void AV_FullScrnClick(QObject* Sender);
    // The interruptible pause of slide shows: -1 at once when interrupted, else 0.
    int Wait(int Milliseconds);
    // The pause of the transition effects: the interrupt flag.
    static bool EffectWait(int, int, int Milliseconds);
    void LoadSlideJPEG();

    void chkHandToolClick(QObject* Sender);
    void chkSelectToolClick(QObject* Sender);
    void btnZoomToolClick(QObject* Sender);
    void chkZoomToolClick(QObject* Sender);
    void Daz95MouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Daz95MouseMove(QObject* Sender, TShiftState Shift, int X, int Y);
    void Daz95MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void GetAdjustedSelection();
    void DisplaySelection();
    void ShowSelection();

    // Routines of later commands the view calls.
    void MultiPageDisable();
    void UpdateCaption();

    // --- editing commands: the common ending and the colour maps (LabFrame.h) ---
    // The common ending of the filters: clears Pix's paint lock; unless an
    // automatic fix chains its steps (AutoFixBusy), marks the viewer picture
    // changed, shows "Ready.", repaints Pix and restores the cursor.
    void ExitFilter(TPix* Pix);
    // The byte map of a channel from a gamma in hundredths (Flag: the faded form).
    void SetGammaLUT(int Gamma, int Channel, int Flag);
    // The colour maps over a 24-bit bitmap; no lock, status or undo.
    void ColorFilterBitmap(TBitmap& Bitmap);
    // The colour maps (or their point-mirrored curves) over Pix's 24-bit bitmap
    // inside its paint lock, then ExitFilter(Pix).
    void ColorFilter(TPix* Pix);
    void NegColorFilter(TPix* Pix);
    // --- hue, lightness and saturation filters, the negative, the histogram ---
    // (lumv8900_tonal.cpp; the pixel work is in processing/tonal). The filters
    // work on Pix's 24-bit bitmap inside its paint lock, then ExitFilter(Pix).
    // Hue, lightness and saturation shifts on the 0..3600 scale.
    void ColorTuneHLS(TPix* Pix, int dH, int dL, int dS);
    // Saturation through GreenMap then BlueMap; lightness through GreenMap.
    void SaturationFilter(TPix* Pix);
    void LuminanceFilter(TPix* Pix);
    // Lab > Experiment > "&Negative": every byte of the picture inverted;
    // records "NEGATIVE" unless a script runs.
    void mnuNegativeClick(QObject* Sender);
    // Fills the shared histogram (Histogram.h) from Pix's 24-bit bitmap, with
    // the hourglass unless AutoFixBusy; never marks the picture changed.
    void DoCalcHistogram(TPix* Pix, bool DoSaturation, bool DoSums, bool DoHue);
    // The mid-tone luminance statistics of Pix (Histogram.h, CalcMidtones).
    void DoCalcMidtones(TPix* Pix);
    // Image > "&Histogram" (Ctrl+H, btnHistogram): the histogram of the
    // picture with saturation, shown in the histogram window; ImageChanged is
    // kept as it was.
    void mnuHistogram1Click(QObject* Sender);
    // --- second images and two-image arithmetic (lumv8900_second.cpp,
    // lumv8900_compute.cpp; pixel work in processing/lab/PixelArithmetic.h and
    // processing/tonal/HLSFilters.h) ---
    // Besides the viewer picture the Lab keeps DuplicateBitmap (the second
    // operand of the two-image commands and masks), BackupBitmap (a slot the
    // user parks pictures in) and WorkBitmap (scratch, empty between commands).
    // Copies between them are independent deep copies; a copy that runs out of
    // memory sets CancelPressed (which stops a running script) and shows nothing.
    TMenuItem* mnuDuplicate = nullptr;
    TMenuItem* mnuSwap = nullptr;
    TMenuItem* HomeCompute1 = nullptr;  // Lab > "&Compute" (its menu: menu())
    TMenuItem* mnuMultiply1 = nullptr;
    TMenuItem* mnuMinimum1 = nullptr;
    TMenuItem* mnuMaximum1 = nullptr;
    TMenuItem* mnuDifference1 = nullptr;
    TMenuItem* HomeReMap1 = nullptr;  // Lab > "&Advanced" (its menu: menu())
    TMenuItem* mnuCopyToBackup = nullptr;
    TMenuItem* mnuCopyFromBackup = nullptr;
    TMenuItem* mnuInitialize1 = nullptr;
    // Image > "&Analyze": Difference with it as Sender only measures.
    TMenuItem* mnuAnalyze = nullptr;
    // Image > "&Analyze", Space and the Info button: the picture's statistics
    // and quality ratings in a box that offers to save them as
    // "ImageReport.txt"; Keys are the modifiers held (Shift adds the texture
    // rating, Ctrl compares with the next picture of the history). The Info
    // button without either shows the picture information instead.
    void mnuAnalyzeClick(QObject* Sender, Qt::KeyboardModifiers Keys);
    // May a two-image command run? True when the duplicate is a 24-bit picture
    // of the viewer picture's width and height and ImageBitCount is 24; then
    // the viewer picture is made 24-bit (SetBitmap24). Shows nothing; false
    // also when the test raises.
    bool Ok2ComputeFull();
    // The refusal the two-image commands show when Ok2ComputeFull is false.
    void ShowTwoImageRefusal();
    // Lab > "&Duplicate": the picture (4-bit kept, 8 bits and more made 24-bit
    // with OriginalBitCount 24, 1-bit as it is) copied into DuplicateBitmap;
    // records "DUPLICATE" unless a script runs; "Duplicated.".
    void mnuDuplicateClick(QObject* Sender);
    // The same depth step, the picture copied into BackupBitmap; no line, no status.
    void CopyToBackUp();
    // BackupBitmap copied into the viewer picture when it holds one; no undo
    // copy, no line (mnuCopyFromBackupClick takes both).
    void CopyFromBackUp();
    // Lab > "S&wap image": the picture and the duplicate exchanged when
    // Ok2ComputeFull holds (nothing and no message otherwise); records "SWAP".
    void mnuSwapClick(QObject* Sender);
    // Lab > Advanced > "&Zero map": the levels each channel uses renumbered 0,
    // 1, 2, ... in order; records "ZEROMAP".
    void mnuInitialize1Click(QObject* Sender);
    // A command that fills the duplicate with its own pictures parks the
    // user's duplicate first and gives it back on every way out (TDuplicateLoan
    // in LabFrame.h pairs the two). An empty duplicate parks nothing, so the
    // command's last picture stays in it.
    void SaveDuplicateToTemp();
    void RestoreDuplicateFromTemp();
    // Lab > Advanced > "Copy &To Backup" / "Copy &From Backup"; they record
    // "CopyToBackup" and "CopyFromBackup" unless a script runs. Copy from
    // Backup takes the undo copy first and does nothing while the slot is empty.
    void mnuCopyToBackupClick(QObject* Sender);
    void mnuCopyFromBackupClick(QObject* Sender);
    // Lab > Compute: the picture combined byte by byte with the duplicate
    // (refusal box when Ok2ComputeFull fails, undo copy, "MULTIPLY", "MINIMUM",
    // "MAXIMUM", "DIFFERENCE" unless a script runs). Difference with
    // mnuAnalyze as Sender changes nothing and takes no undo copy: it stores
    // the sum of squared differences in DifferenceSumSq (unless a script runs).
    void mnuMultiply1Click(QObject* Sender);
    void mnuMinimum1Click(QObject* Sender);
    void mnuMaximum1Click(QObject* Sender);
    void mnuDifference1Click(QObject* Sender);
    // The Lab's routines on a picture control: its bitmap (24-bit) is changed
    // inside its locks, then ExitFilter(Pix). The two averages take their
    // weight in per cent from FilterCustom2 and their partner from LabPartner;
    // on the viewer picture they do nothing unless Ok2ComputeFull holds.
    void DoAverageBitmap(TPix* Pix);
    // Blends only every second row: Field 0 the rows 1, 3, ..., else 0, 2, ...
    void DoAverageField(TPix* Pix, int Field);
    void MultiplyLuminance(TPix* Pix);
    void MultiplyRGB(TPix* Pix);
    void DoUnCook(TPix* Pix);
    void LowRes(TPix* Pix, int Level);
    // --- sharpening (lumv8900_spatial.cpp; pixel work in processing/spatial) ---
    // Enhance > "&Details / Sharpen": the filter dialog on the sharpening
    // group (slider 1 from 1 to 255 at 3); Mean Removal, High Pass (Medium),
    // High Pass (Light) or an unsharp mask ("Fine edges": the 3 x 3 one) on the
    // viewer picture, its line always recorded before the filter runs.
    TMenuItem* mnuSharpen = nullptr;
    void mnuSharpenClick(QObject* Sender);
    // --- structure commands (lumv8900_structure.cpp; pixel work in
    // processing/spatial/StructureFilters.h) ---
    // Enhance > "&Clean / Soften": the filter dialog on the smoothing group;
    // Outlier, Soften, Despeckle, Gaussian, Defocus, UnSpot, Airbrush or
    // Clean, each line recorded before the filter runs.
    TMenuItem* mnuNoiseRemoval = nullptr;
    void mnuNoiseRemovalClick(QObject* Sender);
    // Image > Resize: "De&Pixelate (CCD)", "De&Screen", "&Mosaic (tile)" (its
    // Tag is the block size the dialog starts at).
    TMenuItem* mnuDePixelate = nullptr;
    TMenuItem* mnuDescreen = nullptr;
    TMenuItem* mnuMosaic1 = nullptr;
    void mnuDePixelateClick(QObject* Sender);
    void mnuDescreenClick(QObject* Sender);
    void mnuMosaic1Click(QObject* Sender);
    // Lab > Other > "&Random noise": random colours on a share of the pixels
    // (three ranges from the dialog); nothing is recorded.
    TMenuItem* mnuRandomNoise = nullptr;
    void mnuRandomNoiseClick(QObject* Sender);
    // Enhance > "Fix &Red eye" and the side-bar button: red eye removed inside
    // the selection; a message without one; nothing is recorded.
    void mnuRedEye1Click(QObject* Sender);
    // --- exposure and contrast fixes (lumv8900_exposure.cpp; pixel work in
    // processing/lab/ExposureFixes.h and the colour maps) ---
    // Enhance > "Fix &OverExposure", "Fix &UnderExposure", "Fix Contrast
    // &Levels": the filter dialog on the over-exposure, under-exposure or
    // contrast group, black and white points suggested from the picture's
    // luminance, then the chosen method on the picture with its script lines.
    // The sender picks the group item the dialog starts at (btnAutoGamma,
    // btnAutoContrast, mnuAutoLighting). The user's duplicate is lent to the
    // command and given back on every way out, also on Cancel.
    TMenuItem* mnuFixOverExposure = nullptr;
    TMenuItem* mnuFixUnderExposure = nullptr;
    TMenuItem* mnuFixContrast = nullptr;
    void mnuFixOverExposureClick(QObject* Sender);
    void mnuFixUnderExposureClick(QObject* Sender);
    void mnuFixContrastClick(QObject* Sender);
    // The method of the dialog's answer (its method, values 2..4 as c1..c3 and
    // the two further results) applied to the picture as the fix of Group
    // (9990110, 9990111 or 9990120) applies it; a method outside the group
    // does nothing. Expects the duplicate to be lent already.
    void ApplyExposureMethod(int32_t Group, const std::array<int32_t, 7>& Answer);
    // --- automatic fixes and the one-click commands (lumv8900_autofix.cpp;
    // measuring rules in processing/lab/AutoFix.h) ---
    // Enhance > "Auto &Fix" and its items. The sub-menu item's Tag 1 means the
    // question after a one-click fix is not asked again while the program runs.
    TMenuItem* mnuAutoFix = nullptr;
    TMenuItem* mnuAutoReference = nullptr;
    TMenuItem* mnuAutoContrast = nullptr;
    TMenuItem* mnuAutoLighting = nullptr;
    TMenuItem* mnuAutoSaturation = nullptr;
    TMenuItem* AutoBalance = nullptr;
    TMenuItem* mnuAutoGamma = nullptr;
    TMenuItem* mnuAutoFlash = nullptr;
    TMenuItem* mnuAutoWhite = nullptr;
    // Creates the sub-menu and its items in Enhance; ConnectAutoFix gives them
    // and the side-bar buttons their commands.
    void BuildAutoFixItems(QMenu* Enhance);
    void ConnectAutoFix();
    // The measuring routines on the viewer picture. They chain steps with
    // BatchRunning and AutoFixBusy set and give both back as found, also when a
    // step throws; the ones that borrow the duplicate give the user's back.
    // DoAutoGamma: FilterCustom2 0 = gamma, equalise and maximum; else gamma only.
    void DoAutoGamma();
    // DoAutoFlash: the simulated fill flash of mode FilterCustom2 (0, 1 or 2).
    void DoAutoFlash();
    void DoAutoWhite();
    // DoReference: the three channels to the luminance (mode 0) or saturation
    // statistics; the mode is FilterCustom2 while BatchRunning is set, else 0
    // (and then it takes the undo copy itself).
    void DoReference();
    void DoAutoReference();
    // The occupied range stretched: luminance through the colour maps (any
    // Sender but these two), lightness (mnuAutoLighting) or saturation
    // (mnuAutoSaturation). No undo copy, no line.
    void DoEqualize(QObject* Sender);
    // The luminance-weighted balance filters on Pix (Conform.h), then ExitFilter(Pix).
    void BalanceGammaFilter(TPix* Pix);
    void BalanceFilter(TPix* Pix);
    // The one-click commands: undo copy, the fix, its line, then the question
    // whether the user is satisfied (No undoes and opens the manual command).
    // ShiftDown (read by the event handler) opens the manual command instead.
    void mnuAutoGammaClick(QObject* Sender, bool ShiftDown);
    void mnuAutoFlashClick(QObject* Sender, bool ShiftDown);
    void mnuAutoWhiteClick(QObject* Sender);
    void AutoBalanceClick(QObject* Sender);
    void mnuAutoReferenceClick(QObject* Sender);
    void mnuAutoContrastClick(QObject* Sender, bool ShiftDown);
    void mnuAutoLightingClick(QObject* Sender);
    void mnuAutoSaturationClick(QObject* Sender);
    void mnuAutoCleanClick(QObject* Sender, bool ShiftDown);
    void mnuAutoSharpenClick(QObject* Sender, bool ShiftDown);
    void btnGammaColorClick(QObject* Sender, bool ShiftDown);
    void btnFilmNoirClick(QObject* Sender, bool ShiftDown);
    // Lab > Other > "Add &Artifacts": a JPEG round trip of the viewer picture
    // at the quality from the number dialog (the item's Tag, kept for the run);
    // Cancel undoes the copy just taken. AddArtifact records "ARTIFACT=" Q
    // unless a script runs.
    TMenuItem* mnuArtifacts = nullptr;
    void mnuArtifactsClick(QObject* Sender);
    void AddArtifact(int Quality);
    // Lab > Advanced > "C&enter": each colour channel shifted so that its
    // histogram peak meets the highest of the three (ChannelPeaks.h); the
    // shifts go to FilterCustom1..3; records "CENTER" unless a script runs.
    TMenuItem* mnuCenter1 = nullptr;
    void mnuCenter1Click(QObject* Sender);
    // Pixels of HLS saturation 901 or more blackened, then ExitFilter(Pix).
    void WhiteProfile(TPix* Pix);
    // --- text marks, borders, de-interlacing (lumv8900_marks.cpp; pixel work
    // in processing/lab/TextMarks.h) ---
    // Creates the text-mark submenu, "&Add Border" and "De&Lace" in Menu.
    void BuildMarkItems(QMenu* Menu);
    TMenuItem* mnuTextMark1 = nullptr;
    TMenuItem* mnuChangeFont = nullptr;
    TMenuItem* mnuOutlineColor = nullptr;
    // Tag: the last border, side * 256 + height (257 at start).
    TMenuItem* mnuBorder1 = nullptr;
    TMenuItem* mnuDelace = nullptr;
    // Asks for the text (TextMarkText) and marks the corner of the Sender's Tag;
    // records the text as entered unless a script runs.
    void DoTextMark(QObject* Sender);
    // One line of Text, its macros expanded, in the corner (nothing on
    // pictures narrower than 32 pixels).
    void TextMark(const std::string& Text, int Corner);
    // Paints the four border bands; records "BORDER=" unless a script runs.
    void MergeBorder(TColor Color, int SideWidth, int TopBottomHeight);
    // Paints the top and bottom bands; never records.
    void MergeBorder_TopBot(TColor Color, int TopHeight, int BottomHeight);
    void mnuBorder1Click(QObject* Sender);
    // Enlarges by half, takes the median, shrinks back; a failed library
    // step keeps the picture. Records "DELACE" unless a script runs.
    void mnuDelaceClick(QObject* Sender);
    // The text-mark font (the viewer picture's canvas font) and outline colour.
    void mnuChangeFontClick(QObject* Sender);
    void mnuOutlineColorClick(QObject* Sender);
    // The unsharp masks (UnsharpMask.h) on Pix with threshold T and amount A,
    // with the hourglass, the viewer picture's progress (every N-th row), the
    // locks, then ExitFilter(Pix).
    void UnSharpMask3x3(TPix* Pix, int T, int A);
    void UnSharpMask5x5(TPix* Pix, int T, int A);
    void UnSharpMaskReference(TPix* Pix, int T, int A);
    // Lab > Compute > "&Average" and "&Interlace": the picture blended with the
    // duplicate by a percentage from the filter dialog (each item's Tag is the
    // dialog's start next time); they record "AVERAGE=" p and
    // "INTERLACE=" p "," field unless a script runs.
    TMenuItem* mnuAverage1 = nullptr;
    TMenuItem* mnuInterLace1 = nullptr;
    void mnuAverage1Click(QObject* Sender);
    void mnuInterLace1Click(QObject* Sender);
    // --- tonal composites and multiply masks (lumv8900_masks.cpp; pixel work
    // in processing/lab/TonalComposites.h and MultiplyMasks.h) ---
    // The composites mix Pix's picture with its partner: the duplicate for the
    // viewer picture (nothing happens unless Ok2ComputeFull holds), WorkBitmap
    // for any other picture control. The target (written) is Pix's picture, or
    // the partner with WriteToPartner. The curve comes from FilterCustom1, the
    // mask mix from FilterCustom2. RestoreDuplicate gives the user's parked
    // duplicate back at the end (on every way out). Each ends with ExitFilter(Pix).
    void DoCompositeMask(TPix* Pix, bool Invert, bool RestoreDuplicate, bool WriteToPartner);
    void DoCompositeMidTones(TPix* Pix, bool RestoreDuplicate, bool WriteToPartner);
    void DoCompositeContrast(TPix* Pix);
    void DoCompositeGray(TPix* Pix, bool WriteToPartner);
    // Pix's picture in grey (mask luminance), 24-bit.
    void DoGray(TPix* Pix);
    // The whitest neutral pixel into FilterCustom1 (red), FilterCustom2 (green)
    // and FilterCustom3 (R + 256 G + 65536 B); the picture is not changed.
    void WhiteMax(TPix* Pix);
    void SaturationPlane(TPix* Pix);
    void HSLmask(TPix* Pix);
    void MultiplyMask(TPix* Pix, int Gamma, int Mode, int Invert);
    void BoostMultiplyMask(TPix* Pix, int Gamma, int Mode, int Invert);
    // Lab > "Mask &Levels": a composite of the picture with the duplicate
    // chosen in the filter dialog; its line is recorded before the work, also
    // while a script runs.
    TMenuItem* mnuMaskLevels = nullptr;
    void mnuMaskLevelsClick(QObject* Sender);
    // --- colour masks, edge mask and Subtract (lumv8900_colourmasks.cpp;
    // pixel work in processing/lab/ColourMasks.h) ---
    // The HLS box comes packed in FilterCustom1..3 (centre low 16 bits,
    // tolerance high 16 bits); each routine unpacks it once, leaving the
    // centres in MaskHueCentre, MaskLitCentre, MaskSatCentre and the
    // tolerances in FilterCustom1..3.
    // The black-and-white HLS mask (Black and Quantize as ColourMasks.h);
    // "Ready.", then Pix repaints (no ExitFilter).
    void MaskColors(TPix* Pix, bool Invert, bool Black, bool Quantize);
    // The same with the selected pixels painted Colour (the preview's view).
    void ShowMaskColors(TPix* Pix, bool Invert, TColor Colour, bool Quantize, bool Black);
    // The colour-mask composite with the partner (the duplicate for the viewer
    // picture, nothing unless Ok2ComputeFull holds; WorkBitmap otherwise).
    void DoColorMask(TPix* Pix, bool Keep);
    // The pixels the colour maps would change painted Colour.
    void ShowParametricMask(TPix* Pix, TColor Colour);
    // The edge mask with the partner: flat areas (window lightness within
    // Threshold) take Weight / 255 of the partner. Area is the window's 25.
    void DoMaskEdges(TPix* Pix, int Threshold, bool ShowProgress, int Weight, int Area);
    // The airbrush (ColourMasks.h) with the box of FilterCustom1..3, then
    // ExitFilter(Pix).
    void AirBrush(TPix* Pix);
    // The RGB box mask; the centres (low 8 bits) go to FilterCustom1..3.
    void MaskRGBex(TPix* Pix, bool Select, int32_t Red, int32_t Green, int32_t Blue);
    // Lab > "Mask Color&s", "Mask &Edges", "Create &Mask" and Compute > "S&ubtract".
    TMenuItem* mnuMaskColors = nullptr;
    TMenuItem* mnuMaskEdges = nullptr;
    TMenuItem* mnuCreateMask = nullptr;
    TMenuItem* mnuSubtract = nullptr;
    void mnuMaskColorsClick(QObject* Sender);
    void mnuMaskEdgesClick(QObject* Sender);
    void mnuCreateMaskClick(QObject* Sender);
    void mnuSubtractClick(QObject* Sender);
    // The Lab menu opens: "S&wap image" follows Ok2ComputeFull, "Copy &From
    // Backup" whether the backup holds a picture.
    void homeLabClick(QObject* Sender);
    // Lab > "&Advanced" opens: the conform items are enabled once conform data
    // were taken (mnuGetConformData's Tag), else kept as they are.
    void HomeReMap1Click(QObject* Sender);
    // --- conform and normalise, levels, limits, the parametric equaliser ---
    // Lab > Advanced "Conform &info", "&Get Conform data", "&Use Conform data",
    // "Conform &saturation" (the last two disabled until conform data are
    // taken); Enhance "R&GB Levels", "Parametric E&Q"; Lab > Other "&Posterize".
    TMenuItem* mnuConformData = nullptr;
    TMenuItem* mnuGetConformData = nullptr;
    TMenuItem* mnuUseConformData = nullptr;
    TMenuItem* mnuUseConformSAT = nullptr;
    TMenuItem* mnuLevelsRGB = nullptr;
    TMenuItem* mnuParametricEQ = nullptr;
    TMenuItem* mnuHardLimit = nullptr;
    // The four conform items by Sender; any other Sender (the window itself, for
    // the script's NORMALIZE) normalises red, green and blue to the brightest
    // channel's statistics. Using conform data before any were taken does nothing.
    void mnuConformDataClick(QObject* Sender);
    // Creates and wires the items above in their menus.
    void BuildConformItems(QMenu* Advanced, QMenu* Other, QMenu* Enhance);
    // ConformData := the statistics of the last histogram (with sums and
    // saturation); marks them taken (mnuGetConformData's Tag := 1).
    void TakeConformData();
    void mnuLevelsRGBClick(QObject* Sender);
    void mnuParametricEQClick(QObject* Sender);
    void mnuHardLimitClick(QObject* Sender);
    // Posterize and the hard limits: Method 400 all channels, 401 red, 402
    // green, 403 blue; with the dialog unless BatchRunning, else the limits in
    // FilterCustom1..3.
    void DoHardLimitimg(int Method);
    // The conform routines on a picture control (the viewer picture or a preview
    // pane), with the targets in FilterCustom1..3 and, except the gamma
    // searches, the histogram sums the caller computed; each ends as a filter.
    void DoNormalize(TPix* Pix, int Channel);
    void DoNormalizeRGB(TPix* Pix);
    void DoConformGamma(TPix* Pix);
    void DoConformGammaRGB(TPix* Pix);
    void DoOptimize(TPix* Pix);
    // --- colour balance, temperature and saturation (lumv8900_colours.cpp;
    // pixel work in processing/lab/ColourBalance.h) ---
    // Enhance > "Color &Balance", "Color &Temperature", "Color &Saturation":
    // the filter dialog on the colour balancing, colour temperature or colour
    // saturation group, then the chosen method on the viewer picture and its
    // lines. Sender btnGammaColor opens the balance group at "Reference", Sender
    // btnFilmNoir the saturation group at "Naturalize CCD". Colour balance
    // lends the duplicate (the dialog's original) and gives the user's back on
    // every way out.
    TMenuItem* mnuColorBalance = nullptr;
    TMenuItem* mnuColorTemperature = nullptr;
    TMenuItem* mnuSaturation = nullptr;
    void mnuColorBalanceClick(QObject* Sender);
    void mnuColorTemperatureClick(QObject* Sender);
    void mnuSaturationClick(QObject* Sender);
    // Each channel of the viewer picture shifted so that its first occupied
    // level becomes 0; no undo copy, no line.
    void DoZeroShift();
    // Haze removal and the natural film look on Pix's (24-bit) picture, then
    // ExitFilter(Pix); see ColourBalance.h for Strength, Boost, Level, Amount.
    void DoDefog(TPix* Pix, int Strength, int Boost);
    void DoFilmNoir(TPix* Pix, int Level, int Amount, bool Ccd);
    // --- editing commands: copy, crop, flips and rotation ---
    // Empties the clipboard.
    void mnuEmptyClick(QObject* Sender);
    // The whole picture to the clipboard; no undo copy, no line.
    void mnuCopyClick(QObject* Sender);
    // The selected block to the clipboard (Copy Selection), or the picture cut
    // to it (mnuCrop, mnuCrop1, and the window itself as the script's Sender,
    // with LastSelection set and CropFromScript raised by the interpreter).
    void mnuCopyMaskClick(QObject* Sender);
    // Flips top to bottom (mnuMirrorVert, btnMirrorVert) or left to right.
    void mnuMirrorVertClick(QObject* Sender);
    // Turns by the Sender's Tag (9000 a quarter clockwise, 27000 a quarter
    // anticlockwise) or by a value dialog's angle; ShiftDown (read by the
    // event handler) asks for the fine rotation dialog.
    void mnuRotateClick(QObject* Sender, bool ShiftDown);
    // The Edit > Copy sub-menu opens: "&Viewport" only outside fit-to-window.
    void mnuCopyMain1Click(QObject* Sender);
    // --- region selection, grid presets and the view tools' clicks ---
    // The marquee dialog ("Adjust Selection"), or with mnuSelectall the whole
    // picture, or with mnuCopyMask the current rectangle; then the selection
    // shows. ShiftDown starts the dialog from the whole picture; the one-argument
    // form reads the keyboard.
    void mnuRegion1Click(QObject* Sender, bool ShiftDown);
    void mnuRegion1Click(QObject* Sender);
    void mnuSelectallClick(QObject* Sender);
    // A grid cell as the selection; the copy and paste grid items then copy the
    // cell to the clipboard or paste the clipboard into it.
    void mnuPreset_Region(QObject* Sender);
    // Shows LastSelection again after a command redrew the picture.
    void RestoreSelection();
    // --- clipboard paste and the compare panes (lumv8900_paste.cpp) ---
    // Edit > Paste > "&Image" (Ctrl+V): the clipboard's picture becomes the
    // picture "Untitled" at 24 bits, after the undo copy; without a picture
    // on the clipboard nothing changes. Records no line.
    void mnuPasteClick(QObject* Sender);
    // Edit > Paste > "&Selection": the clipboard picture's top-left block is
    // copied, unscaled, into the part of LastSelection inside the picture,
    // after the undo copy; an empty selection or clipboard changes nothing.
    // Records no line.
    void mnuPasteMask1Click(QObject* Sender);
    // Reads the clipboard's picture into Target: through DibImage (24 bits),
    // else as a plain bitmap at the clipboard's depth (after the memory
    // clean-up when CleanFirst). While that fails the user may clean up
    // memory and try again; false when he gives up (Target unchanged). The
    // clean-up keeps the clipboard and shows no report.
    bool LoadClipboardBitmap(TBitmap& Target, bool CleanFirst);
    // Lab > Comparisons > "&Activate" (Ctrl+Q): shows the compare window.
    void mnuCloneSpaceClick(QObject* Sender);
    // "Send to &Right Pane (B)" (mnuCopytoRightPane) and "Send to &Left Pane
    // (A)": the picture goes into that pane of the compare window, titled
    // with the file's name.
    void mnuCopytoRightPaneClick(QObject* Sender);
    TMenuItem* homePaste = nullptr;
    TMenuItem* homePaste1 = nullptr;
    TMenuItem* mnuPaste1 = nullptr;
    TMenuItem* homeComparisons = nullptr;
    TMenuItem* mnuCloneSpace = nullptr;
    TMenuItem* mnuCopytoRightPane = nullptr;
    TMenuItem* mnuCopytoLeftPane = nullptr;
    // The side bar's tool buttons: the hand leaves fit mode; the select button
    // opens the marquee dialog when the tool was on already or Shift is held.
    void btnHandToolClick(QObject* Sender);
    void btnSelectToolClick(QObject* Sender, bool ShiftDown);
    // A click on the picture with the zoom tool: zooms in from fit mode (to the
    // marquee's region, or to 100 % around the click) and back to fit.
    void Daz95Click(QObject* Sender);
    // A mouse-up over the window: the right button ends a show's pause, any
    // other button interrupts a long run.
    void FormMouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // A mouse-down on the scroll box runs the first activation when it is due.
    void ScrollBoxMouseDown(QObject* Sender);
    // A double click on the scroll box opens the explorer (through ExplorerTimer).
    void ScrollBoxDblClick(QObject* Sender);
    // Hooks the zoom tool's click and the window's and scroll box's mouse.
    void BuildViewTools();
    TMenuItem* mnuRegion1 = nullptr;
    TMenuItem* mnuRegion2 = nullptr;
    TMenuItem* mnuSelectall = nullptr;
    TMenuItem* mnuSelectall1 = nullptr;
    TMenuItem* mnuPreset = nullptr;  // Tag: the grid dialog's columns
    TMenuItem* mnuPreset1 = nullptr;
    TMenuItem* mnuCopyGrid1 = nullptr;
    TMenuItem* mnuCopyGrid2 = nullptr;
    TMenuItem* mnuPasteGrid1 = nullptr;
    TMenuItem* mnuPasteGrid2 = nullptr;
    TMenuItem* mnuCopyMain1 = nullptr;
    TMenuItem* mnuEmpty = nullptr;
    TMenuItem* mnuEmpty1 = nullptr;
    TMenuItem* mnuMirrorVert = nullptr;
    TMenuItem* mnuMirrorHorz = nullptr;
    TMenuItem* mnuRotate90 = nullptr;   // Tag 9000
    TMenuItem* mnuRotate270 = nullptr;  // Tag 27000
    TMenuItem* mnuRotate = nullptr;     // "&Normal", Tag 0
    TMenuItem* mnuRotateFine = nullptr; // Tag 0
    QToolButton* btnMirrorVert = nullptr;
    QToolButton* btnMirrorHorz = nullptr;
    QToolButton* btnRotate = nullptr;         // Tag 9000
    QToolButton* btnRotateCounter = nullptr;  // Tag 27000

    // --- opening a picture: formats, pages, headers, scaled JPEG, Photo CD ---
    // Page items; the chrome creates and wires them (null until then).
    QToolButton* btnPageNext = nullptr;
    TMenuItem* mnuPage = nullptr;
    TMenuItem* mnuPage1 = nullptr;
    TMenuItem* mnuPageNext = nullptr;      // Tag 1
    TMenuItem* mnuPagePrevious = nullptr;  // Tag -1
    TMenuItem* mnuPageFirst = nullptr;     // Tag 0
    TMenuItem* mnuPageLast = nullptr;      // Tag 999
    // Decodes FileName by FileExt into the display bitmap and shows it; the
    // colour is the scroll box's background during a slide show (-1 = keep).
    void OpenImage(int Color);
    // The open while a display aspect is chosen: drawn to the view's size.
    void OpenImageResized(int Color);
    // Decodes the own codecs' formats, or any file through the imaging
    // library at the given page; false when no picture came out.
    bool LoadPicture(bool UseImagingLibrary, int Page);
    // Renders ImgHandle into the display bitmap.
    // Size, depth and page count of ImgHandle (opened from FileName when asked).
    bool ImagemanInfo(bool OpenFromFile);
    void CloseImgHandle();
    void ShowImgError();
    void ImageErr();
    // Caption "name - Lumvor 8.9" and the picture description.
    // Next (Tag 1), previous (-1), first (0) or last (999) page.
    void mnuPageChange(QObject* Sender);
    void PageChange(int Move);
    // Scaled JPEG decoding.
    int ComputeJPEGScale();
    int GetJPEGScale();
    void LoadJPEGScaled();
    void LoadJPEGFull();
    void ShowLoadTime();
    void ProgressReset();
    void ProgressUpdate(int Percent);
    // Opens the Photo CD file FileName into ImgHandle; true on failure.
    bool ImportPCD(TBitmap* Bitmap, bool Show);
    // The display bitmap.
    TBitmap& DisplayBitmap();
    // A file that cannot be shown: says so and leaves the current picture.
    void KeepCurrentPicture(const std::string& Message);
    bool PageMenusShown = false;
    // Routines of the view, the chrome and the bookmarks this road calls
    // (stubs until those commands land).
    // The size text of the status bar: "640x480(24)", a reduced JPEG with
    // its file size and " [1:divisor]".
    void ShowSizeText();
    // Media: the viewer's player made and given MediaFileName (false when
    // it cannot play), the slide show's player, leaving media mode.
    bool StartMedia(bool KeepDisplaySize);
    void CreateSlideshowPlayer();
    void CloseMediaView(bool KeepHidden);
    void UI_Audio();
    // The media road of the open commands: false when the file cannot play.
    bool OpenMediaKind();
    // Waits, at most MediaOpenWait, until the player knows the file or fails.
    void WaitForMediaOpen();
    void AV_OpenStateChange(int OldState, int NewState);
    void AV_PlayStateChange(int OldState, int NewState);
    void AV_MouseDown(Qt::MouseButton Button, const QPoint& Pos);
    void AV_Failed();
    void Show_AV_OpenStateChange(int OldState, int NewState);
    void Show_AV_PlayStateChange(int OldState, int NewState);
    void MediaStepSize(bool Up);
    TMediaPlayer* ViewerPlayer = nullptr;
    TMediaPlayer* SlideshowPlayer = nullptr;
    // The open waits for the player; the optimising and enabling follow when
    // the player knows the file only after the wait.
    bool MediaOpenPending = false;
    bool MediaOpenFailed = false;
    // The text and metafile displays (lumv8900_textview.cpp). DecodeMemo
    // shows the text file FileName in RichEdit over the picture area and
    // captures it as the "Untitled" picture; DecodeVector draws the metafile
    // FileName over the background colour as the "Untitled" picture ("Invalid
    // Metafile." and the picture shown stays when it cannot be read).
    void DecodeMemo();
    void DecodeVector();
    // Shows FileName in RichEdit over the text area of the slide globals
    // (SlideTextX, SlideTextY, SlideTextSize, SlideTextHeight, SlideZoom,
    // SlideColor; see app/TextDisplay.h) and waits Delay milliseconds (50
    // when below 1; SlideDelay without one); with Capture, what it shows
    // becomes the viewer picture. Raises EFOpenError for an unreadable file.
    void ShowRichText(bool Capture);
    void ShowRichText(bool Capture, int Delay);
    // Scrolls RichEdit back to its first line, hides it and its caret, clears its tag.
    void HideRichText();
    // The slide globals' text area := the caption band of a slide's comment.
    void SetCaptionBand();
    int RichEditTag = 0;  // RichEdit's Tag: 1 while the text display is up
    void DoGamma();
    // Prepares the picture FileName (extension FileExt, header already read
    // into ImageWidth, ImageHeight and ImageBitCount) as the imaging
    // library's picture ImgHandle at the size a Width x Height window shows
    // it: loaded by extension, sized by the aspect mode (Tag of mnuAspect,
    // see app/SlideSizing.h) and, for a slide of a script show, by the
    // slide's panel, zoom and rotation (SlideTextSize x SlideTextHeight,
    // SlideZoom, SlideRotate; uncovered corners in SlideColor, the window
    // colour when it is -1), fitted into the window, and gamma-corrected:
    // outside a script show by the view gamma (Tag of mnuViewGamma, which
    // then becomes SlideGamma), in a script show by SlideGamma, never for
    // the JPEG slides of a script. ImageWidth, ImageHeight and ImageBitCount
    // describe the result (above 15 bits counts as 24); pictures below 24
    // bits keep their depth and colour table unless they are resampled or
    // corrected. PageCount is set for multi-page files, ImgLibDecode for PCX.
    // False, with ImgHandle closed, when the file cannot be read or prepared;
    // nothing is thrown. The display bitmap serves as scratch. GUI thread.
    bool SlideImage(int Width, int Height);
    void mnuOptimizeWindowClick(QObject* Sender);

    // --- view modes (lumv8900_viewmodes.cpp): sizing the window to the picture
    // or a viewport, zoom to region, copy of what is shown, aspect modes, JPEG
    // scale, view gamma, the zoom bar and the mouse wheel ---
    TMenuItem* mnuAspectMonitor = nullptr;  // " &1:1 Monitor"
    TMenuItem* mnuAspectWidth = nullptr;    // " 1:1 Fit &width"
    TMenuItem* mnuAspectBest = nullptr;     // " 1:1 &Best fit"
    TMenuItem* mnuAspectTV = nullptr;       // " &4:3 TV"
    TMenuItem* mnuAspectWide = nullptr;     // "16:&9 Wide"
    TMenuItem* mnuEmbedded = nullptr;
    // What the last aspect command did to the view, as its question names it.
    std::string AspectNote;
    // The picture area: the client area less the side panel and the visible
    // status, tool and bookmark panels.
    int PanelsHeight() const;
    int SidePanelWidth() const;
    // The least width of a window sized to the picture: the window's minimum
    // outside fit mode while it is set for a picture, and MenuMinWidth while
    // the menu bar shows.
    int PictureWindowMinWidth();
    void mnuAdjustViewportClick(QObject* Sender);
    void mnuCopyViewportClick(QObject* Sender);
    void mnuZoomRegionClick(QObject* Sender);
    // Zooms so that LastSelection fills the picture area and scrolls its
    // top-left corner to the view's; the zoom tool uses it too.
    void ZoomToRegion();
    void mnuAspectClick(QObject* Sender);
    void mnuScaleJPEGClick(QObject* Sender);
    void mnuViewGammaClick(QObject* Sender);
    void chkUpsamplingClick(QObject* Sender);
    // Resamples the picture to fit the client width and the picture area's
    // height, for display only (the picture is not marked changed).
    void mnuAutoDownsampleClick(QObject* Sender);
    // The options window's "screen bar": the tool bar merged into the path
    // box's panel, or back in its own.
    void mnuScreenBarClick(QObject* Sender);
    void chkExtendedDesktopClick(QObject* Sender);
    void ResetAutoViewOptions();
    void ZoomBarKeyUp(QObject* Sender);
    void ZoomBarMouseUp(QObject* Sender, TMouseButton Button);
    void ScrollBoxMouseWheelDown(QObject* Sender);
    void ScrollBoxMouseWheelUp(QObject* Sender);
    void ScrollBoxMouseWheelClick(QObject* Sender);
    void mnuEmbeddedClick(QObject* Sender);
    void JPEG1Click(QObject* Sender);
    // The media player's display size (0 default, 1 half, 2 double) and the
    // size of its video (0 x 0 when it knows none).
    int MediaDisplaySize() const;
    TSize MediaVideoSize() const;
    void SetMediaVideoSize(const TSize& Size);
    // Refuses a picture with no file behind it; true when refused.
    bool RefuseUntitled();
    void ConnectViewModes();


    // --- chrome: menus, tool bars, side bar, keys, pop-up menu, status bar, path box ---
    // Every menu item, tool button and bar also carries its name as objectName.
    QMenu* mnuFileV = nullptr;
    QMenu* mnuEditV = nullptr;
    QMenu* mnuViewV = nullptr;
    QMenu* mnuImageV = nullptr;
    QMenu* homeLab = nullptr;
    QMenu* mnuColorsV = nullptr;
    QMenu* mnuToolsV = nullptr;
    QMenu* mnuHelpV = nullptr;
    TMenuItem* _mnufname = nullptr;
    TMenuItem* mnuOpen = nullptr;
    TMenuItem* mnuOpenV = nullptr;
    TMenuItem* mnuInfo = nullptr;
    TMenuItem* mnuPrint = nullptr;
    TMenuItem* mnuNextImage = nullptr;
    TMenuItem* mnuPrevImage = nullptr;
    TMenuItem* mnuNextImage1 = nullptr;
    TMenuItem* mnuPrevImage1 = nullptr;
    TMenuItem* mnuDeleteV = nullptr;
    TMenuItem* mnuDeleteVP = nullptr;
    TMenuItem* mnuRecycle = nullptr;
    TMenuItem* mnuBatchDelete = nullptr;
    TMenuItem* mnuFCopyV = nullptr;
    TMenuItem* mnuFMoveV = nullptr;
    TMenuItem* mnuCopy = nullptr;
    TMenuItem* mnuCopyViewport = nullptr;
    TMenuItem* mnuPaste = nullptr;
    TMenuItem* mnuZoomRegion = nullptr;
    TMenuItem* mnuOptionsV = nullptr;
    TMenuItem* mnuOptionsVP = nullptr;
    // Opens the Options window with the explorer's background work stopped
    // and the shortcuts off (Options_w.cpp).
    void mnuOptionsClick(QObject* Sender);
    // The scroll box takes BackgroundColor.
    void PaintScrollBoxBackground();
    TMenuItem* mnuSlideAlbum = nullptr;
    TMenuItem* mnuHistogram1 = nullptr;
    TMenuItem* mnuNegative = nullptr;
    TMenuItem* JPEG1 = nullptr;
    TMenuItem* mnuCompress = nullptr;
    TMenuItem* mnuBookmarksView = nullptr;
    TMenuItem* mnuBookmarksView2 = nullptr;
    TMenuItem* mnuBookmarkUnmark = nullptr;
    TMenuItem* mnuBookmarkUnmark2 = nullptr;
    TMenuItem* mnuBookmarkUnmark3 = nullptr;
    TMenuItem* mnuHistoryClear = nullptr;
    TMenuItem* mnuHistoryClear2 = nullptr;
    TMenuItem* mnuHistoryClear3 = nullptr;
    TMenuItem* mnuHistorySort = nullptr;
    TMenuItem* mnuHistorySort2 = nullptr;
    TMenuItem* mnuHistorySort3 = nullptr;
    TMenuItem* mnuHistorySortReverse = nullptr;
    TMenuItem* mnuHistorySortReverse3 = nullptr;
    TMenuItem* mnuHistorySave = nullptr;
    TMenuItem* mnuHistorySave2 = nullptr;
    TMenuItem* mnuHistoryLoad = nullptr;
    TMenuItem* mnuHistoryLoad2 = nullptr;
    TMenuItem* mnuExplore2 = nullptr;
    TMenuItem* mnuExplorer1 = nullptr;
    TMenuItem* mnuIndex1 = nullptr;
    TMenuItem* mnuHelpViewer = nullptr;
    TMenuItem* mnuHelpHotkeys = nullptr;
    TMenuItem* mnuHelpSlideshows1 = nullptr;
    TMenuItem* mnuHelpImageprocessing = nullptr;
    TMenuItem* mnuWebpage = nullptr;
    TMenuItem* mnuCreateTest = nullptr;
    TMenuItem* mnuWallpaperSet1 = nullptr;
    TMenuItem* mnuWallpaperClear1 = nullptr;
    TMenuItem* mnuAssociations = nullptr;
    TMenuItem* mnuAssociationsClear = nullptr;
    TMenuItem* mnuEmail = nullptr;
    TMenuItem* mnuAV_Play = nullptr;
    TMenuItem* mnuAV_Stop = nullptr;
    QToolButton* btnOpen = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnCopy = nullptr;
    QToolButton* btnTrash = nullptr;
    QToolButton* btnInfo = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnPrevImage = nullptr;
    QToolButton* btnNextImage = nullptr;
    QToolButton* btn2_Run = nullptr;
    QToolButton* btnBookmarks = nullptr;
    // Status panels 0 (owner-drawn text) to 3.
    std::array<QWidget*, 4> StatusPanels{};
    // The pop-up menu's Tag: 1 when it was opened over the media player.
    int MainMenuTag = 0;
    // The control the pop-up menu was opened over.
    QWidget* PopupComponent = nullptr;

    // A menu item, tool button or bar by name; null when there is none.
    QObject* FindChrome(const std::string& Name) const;
    void SetChromeEnabled(const std::string& Name, bool On);
    // Enables or disables an item; one whose command is still to come only
    // records the state it wants and stays disabled. Null does nothing.
    static void SetItemEnabled(QObject* Item, bool On);
    void SetChromeVisible(const std::string& Name, bool On);
    bool ChromeEnabled(const std::string& Name) const;
    bool ChromeVisible(const std::string& Name) const;

    void mnuMenubarClick(QObject* Sender);
    void mnuToolbarVClick(QObject* Sender);
    void mnuStatusbarVClick(QObject* Sender);
    void mnuSideBarVClick(QObject* Sender);
    void mnuPathboxClick(QObject* Sender);
    void Toolbar1Resize(QObject* Sender);
    void PanelHistoryResize();
    void ShortCuts_Disable() override;
    // Another window of the program is active: while this window shows, its
    // File and View menus and its shortcuts rest until it is activated again.
    void OtherWindowActivated();
    // A key pressed anywhere in the window; Key becomes 0 when it was handled.
    void FormKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void EnableControls();
    void MainMenuPopup();
    // Opens the pop-up menu over a control at a global position.
    void PopupMainMenu(QWidget* Over, const QPoint& Pos);
    void StatusReady();
    // The picture size text of status panel 2.
    std::string SizeText() const;
    void SetStatusPanel(int Index, const std::string& Text);
    std::string StatusPanelText(int Index) const;
    void mnuHelpContextClick(QObject* Sender);
    void mnuWebpageClick(QObject* Sender) override;
    // Turns a multiple-choice questionnaire (a text file) into the self-grading
    // page "vo_WBT.html" in the data folder and opens it.
    void mnuCreateTestClick(QObject* Sender);
    void HistoryKeyPress(QObject* Sender, char& Key);
    void HistoryEditChange(QObject* Sender);
    void HistoryEnter();
    void HistoryExit();
    // The recycle key: the current file to the trash after the question.
    void RecycleCurrentFile();

    // --- batch file operations and trim (lumv8900_batchfiles.cpp) ---
    // The "Batch &files" sub-menu of the File menu and its items; the six
    // conversion items are told apart by their Tag (0 JPG .. 5 PCX).
    TMenuItem* HomeCompress1 = nullptr;
    TMenuItem* mnuBatchJPG1 = nullptr;
    TMenuItem* mnuBatchBMP1 = nullptr;
    TMenuItem* mnuBatchPNG1 = nullptr;
    TMenuItem* mnuBatchTIF1 = nullptr;
    TMenuItem* mnuBatchTGA1 = nullptr;
    TMenuItem* mnuBatchPCX1 = nullptr;
    TMenuItem* mnuDateName = nullptr;
    TMenuItem* mnuBatchRename1 = nullptr;
    TMenuItem* mnuBatchMove = nullptr;
    // The ten items of the sub-menu, in menu order.
    std::vector<QObject*> BatchFileItems() const;
    // The sub-menu opens: its items need at least two bookmarks.
    void HomeCompress1Click(QObject* Sender);
    // Keys are the modifiers held when the command was given.
    void mnuFMoveClick(QObject* Sender, Qt::KeyboardModifiers Keys);
    void mnuDeleteClick(QObject* Sender, Qt::KeyboardModifiers Keys);
    // Called by the explorer (as Sender, or one of its items) with AvlLines filled.
    void mnuDateNameClick(QObject* Sender, Qt::KeyboardModifiers Keys) override;
    void mnuBatchRename1Click(QObject* Sender, Qt::KeyboardModifiers Keys) override;
    batchfiles::TRenameMode RenameModeOf(QObject* Sender, Qt::KeyboardModifiers Keys) const;
    void mnuTrim1Click(QObject* Sender);
    // --- batch conversion (lumv8900_batchconvert.cpp) ---
    // The six conversion items (Tag 0 JPG .. 5 PCX): every chosen bookmark,
    // after the Lab script when asked, written into one folder in one format.
    void mnuBatchJPG1Click(QObject* Sender);
    // The encode thread finished (GUI thread): unless the run was cancelled,
    // checks the disk space and writes its file, or lists the failure; then
    // frees the thread and clears EncodeBusy.
    void EncodeThreadDone();
    // The current encode; freed (after joining) when done or with the window.
    std::unique_ptr<TCoreEncode> EncodeThread;
    // Status panel 0's painting, from the panel.
    void StatusBarDrawPanel(QPainter& Canvas, const QRect& Rect);
    // Status panel 0 is drawn by the window (with the decoder's progress
    // rectangle); in full screen it is a plain text panel.
    bool StatusPanelOwnerDrawn = true;
    // The bookmark buttons and items for the list's length, and status panel 3.
    void HistoryControls() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildComponents();
    void BuildMenus();
    void CreateSharedObjects();
    void LoadSettingsAtCreation();
    void FirstActivation();
    void ShowStartWindows();
    void FirstRunSetup();
    void StartPendingFile();
    void SetToolbarHeight();
    void RemoveAvlAtom();
    bool ConfirmScriptDiscard(bool& CanClose);
    void RefuseCloseForUnsavedWork();
    void ReleaseAtCloseQuery();
    void DeleteTemporaryFiles();
    void SaveSettingsAtClose();
    void FreeAtClose();
    void ShowPromptDisabledInfo();
    bool HandleJpegException(const std::string& Message, bool JpegError);
    void HandleUnexpectedException(const std::string& Message);
    void PendingCall(const std::string& Call);
    // Explorer_Activate, then the explorer's command with this window as Sender.
    void ForwardToExplorer(void (TFileForm::*Command)(QObject*));
    // --- chrome
    void BuildBars(QWidget* Central);
    void BuildStatusPanels();
    void ConnectChrome();
    void ApplyShortCuts(bool Enable);
    void LayoutMergedToolbar();
    void LayoutToolPanel();
    void RunKeyAction(int Action);
    // --- batch file operations
    void StopExplorerWork(bool OnlyWhenVisible);
    void ExplorerAfterFileWork(bool Batch);
    // Bookmarks (or the explorer's files) into AvlLines and the list dialog;
    // false when cancelled or fewer than two files remain.
    bool ChooseBatchFiles(QObject* Sender, const std::string& Caption);
    bool RecycleConfirmed(const std::string& Caption, const std::string& Text);
    // --- batch conversion
    struct TBatchRun;
    // The Lab script question; true when the script runs on every file.
    bool AskToRunScript();
    bool ChooseBatchFolder(TBatchRun& Run);
    void ConvertBatchFile(TBatchRun& Run, int Index);
    void ShowBatchProgress(TBatchRun& Run, int Index, int Percent);
    // Starts the encode of the picture and lets events through until it is done.
    void EncodeBatchJpeg(TBatchRun& Run, const std::string& Source, const std::string& Name);
    void WriteBatchPicture(TBatchRun& Run, const std::string& Name);
    // "BatchExceptions.txt" and the "View log?" question.
    void ReportSkippedFiles();
    // The picture at its own depth (4, 8 or 24 bits) before it is written.
    void NormaliseBitmapDepth();
    void ForgetGoneBookmarks();
    bool TopMenuShown() const;

    bool helpMissingShown_ = false;
    bool shortCutsOn_ = true;
    bool firstActivationRunning_ = false;
    bool quitAfterClose_ = false;

    // --- view: zoom, fit, full screen, window size, tools, selection ---
    void BuildView();
    void SetSelectionItems(bool Enabled);
    void ZoomInFromFit();
    void CheckTool(TViewTool Tool);
    void SelectRectangleTool(TViewTool Tool, TCursor ToolCursor);
    void DrawSelection(bool Inverted);
    void EraseSelection();
    void SetFullScreenBars(bool Full);
    void StepZoom(QObject* Sender, bool Up);
    QWidget* selectionFrame_ = nullptr;

public:
    // --- bookmarks: the list of bookmarked files and its commands ---
    // The dialogs of list files: OpenDialogAny is shared with the other windows
    // (they set its file name before calling mnuHistoryLoadClick).
    TMeOpenDialogEx* OpenDialogAny = NewOpenDialogAny(this);
    TMeSaveDialogEx* SaveDialogVOP = NewSaveDialogVOP(this);
    // Components the bookmark commands update. The bars and menus make them;
    // an update is skipped while one is missing. The Tag of mnuBookmarkUnmark
    // is 1 once "Yes to All" was chosen in the "Remove bookmark" question.
    QObject* HomeImage = nullptr;
    QObject* HomeImage1 = nullptr;
    // The Tag of mnuHistoryAlbum is 1 once "Yes to All" was chosen in the
    // "Copy Bookmarks to Slide Album" question.
    TMenuItem* mnuHistoryAlbum = nullptr;
    TMenuItem* mnuHistoryAlbum2 = nullptr;
    TMenuItem* mnuBookmarkUp = nullptr;
    TMenuItem* mnuBookmarkDn = nullptr;
    QObject* mnuBookmarksRun = nullptr;
    QObject* mnuBookmarksRun2 = nullptr;

    // Adds FileName to the bookmarks after an open (Add: the open of a picture
    // or a media file, not a save).
    void UpdateHistory(bool Add);
    void btnNextImageClick(QObject* Sender);
    void btnPrevImageClick(QObject* Sender);
    // Opens the current bookmark unless it is the picture shown.
    void HistoryClick();
    void mnuBookmarkUnmarkClick(QObject* Sender);
    void mnuHistoryClearClick(QObject* Sender);
    // Sorts the bookmarks; the reverse items sort them in reverse order.
    void mnuHistorySortClick(QObject* Sender);
    void mnuHistorySaveClick(QObject* Sender);
    // Loads a list file; with the explorer as Sender the file named in
    // OpenDialogAny is loaded without showing the dialog.
    void mnuHistoryLoadClick(QObject* Sender) override;
    // The list dialog over the bookmarks; the chosen one is opened.
    void mnuBookmarksViewClick(QObject* Sender);
    // Moves the current bookmark down (mnuBookmarkDn) or up (any other
    // Sender); only with at least 2 bookmarks and no unsaved edits.
    void mnuBookmarkUpClick(QObject* Sender);
    // Hands a copy of the bookmarks to the slide album (at least 2), asking
    // first when the album holds unsaved contents.
    void mnuHistoryAlbumClick(QObject* Sender);
    // Alt+D: the path box takes the focus while it is shown.
    void HistoryFocus1Click(QObject* Sender);

    // --- launchers: the slide album, the CD player, the media player, the comment window ---
    TMenuItem* mnuCDPlayer1 = nullptr;
    TMenuItem* JPEGReader = nullptr;
    TMenuItem* HistoryFocus1 = nullptr;
    // Shows the slide album; the explorer's settings get their defaults first
    // when none were loaded and the explorer was never made.
    void mnuSlideAlbumClick(QObject* Sender);
    void mnuCDPlayer1Click(QObject* Sender);
    void mnuAV_StopClick(QObject* Sender);
    void mnuAV_PlayClick(QObject* Sender);
    // Shows the comment window (made once) with the explorer's current file
    // when the explorer is the Sender, else with FileName when it is a JPEG.
    void JPEGReaderClick(QObject* Sender) override;
    // Wires the launchers and the bookmark panel's commands to their items.
    void ConnectBookmarkPanel();
    void UpdateHistoryEdit();
    // The bookmark menu is about to show.
    void mnuBookmarksClick(QObject* Sender);
    void ShowBookmarkCount();
    // Width of one character of the menu font; also measures the top menu's
    // captions into TopMenuTextWidth.
    int GetMenuFontCharWidth();
    int TopMenuTextWidth = 0;
    // Links the folder Path in RecentPath (under VisitedFolderLinkName, one
    // link per name), unless "&Log visited folders" is off or a show runs.
    void AddToAppRecent(const std::string& Path) override;
    // The picture, fitted into the screen, becomes the desktop's wallpaper
    // (pictures at least 129 pixels wide); the picture shown stays as it is.
    void mnuWallpaperSet1Click(QObject* Sender);
    void mnuWallpaperClear1Click(QObject* Sender);
    // "Set" (any sender but mnuAssociationsClear) makes the program the opener
    // of the picture types kept in the list dialog; "Change" makes it stop
    // being their opener and lets the user pick another program for each.
    void mnuAssociationsClick(QObject* Sender);
    // Lets the user pick a program (a desktop file or an executable) for
    // TypeName ("JPG file"); false when none was picked.
    bool FindAssociatedApp(const std::string& TypeName, std::string& AppPath);
    // Runs a list-file dialog, offering the recent folder when asked; false when cancelled.
    template <class Dialog>
    bool ExecuteWithRecent(Dialog& dialog);

private:
    static TMeOpenDialogEx* NewOpenDialogAny(QObject* owner);
    static TMeSaveDialogEx* NewSaveDialogVOP(QObject* owner);
    // Opens the bookmark at ImageHistoryIndex, or removes it when its file is gone.
    void OpenCurrentBookmark();
    // --- end of bookmarks ---

public:
    // --- size changes: interpolate, resample, distill ---
    // The Image > Resize sub-menu and its items.
    TMenuItem* homeResize1 = nullptr;
    TMenuItem* mnuResize = nullptr;
    TMenuItem* mnuResample = nullptr;
    TMenuItem* mnuDistill = nullptr;
    // The three size changes. Each asks for the new size in the resize dialog,
    // or takes it from FilterCustom2 (width) and FilterCustom1 (height) when the
    // script runs it (Sender mnuPerformBatch1); a cancel, the same size or a
    // side below 16 pixels does nothing. Interpolate samples 24-bit pictures
    // itself and hands other depths to the imaging library; Resample always
    // uses the library's smooth copy (pictures below 8 bits go to Interpolate's
    // dialog); Distill averages 2 x 2 blocks of a doubled copy (24 bits; other
    // depths are made 24-bit first). Each records "RESIZE=w,h", "RESAMPLE=w,h"
    // or "DISTILL=w,h", followed by the uniform scale the dialog gave.
    void mnuResizeClick(QObject* Sender);
    void mnuResampleClick(QObject* Sender);
    void mnuDistillClick(QObject* Sender);
    // --- the Lab script interpreter (app/script/ScriptRun.cpp) ---
    // Replays the Lab Script window's memo (the recorded LabScript while the
    // window was never made) on the picture, line by line, until its end, a
    // stop request or a prompt answered Yes; LOOP runs it again. The caller
    // sets BatchRunning and takes the one undo copy of the run.
    void DoBatchImageProcess();
    // --- the Lab Script window's commands (app/dialogs/batch_8900.cpp) ---
    TMenuItem* mnuBatchEditor1 = nullptr;
    // Shows the Lab Script window; made on the first call, when the lines
    // recorded so far move into its empty memo. LabScript is emptied.
    void mnuBatchEditor1Click(QObject* Sender);
    // Performs the window's script on the picture (nothing while the window
    // was never made), after offering to turn off a view gamma or an aspect
    // mode; the status bar then says "Lab done.".
    void mnuPerformBatch1Click(QObject* Sender);
    // Shows the Lab Script window with the open dialog on the script file
    // (nothing when the file does not exist).
    void OpenBIPfile(const std::string& FileName) override;
    // The Resize sub-menu opens: Distill is offered for 24-bit pictures only.
    void homeResize1Click(QObject* Sender);
    // The viewer picture becomes a Width x Height nearest-neighbour copy of
    // itself at 24 bits; ExitFilter and ProcessDone end it.
    void Interpolate(int Width, int Height);
    // The viewer picture distilled through a DoubleWidth x DoubleHeight copy;
    // the caller ends the command.
    void Distill2x2(int DoubleWidth, int DoubleHeight, int Width, int Height);
    // The viewer picture copied to Width x Height and block averaged.
    void Interpolate2x2(int Width, int Height);
};

}  // namespace lumvor
