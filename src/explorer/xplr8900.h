// The explorer window. The explorer's module globals that other windows and
// dialogs read and write are in state/ExplorerState.h.
//
// The window is created hidden right after the image window and lives until
// the program ends: a folder tree on the left, the file list XL on the right,
// the path box above, two tool bars, the thumbnail size slider and a status
// bar. Nothing is listed before its first activation. The user's close only
// hides it; only the program's shut-down lets it close.
//
// Calls records the calls other windows make on it (the window's own handlers
// do not record the calls they make themselves).
#pragma once

#include <QMainWindow>

#include "explorer/FolderComments.h"
#include "platform/ByteRecord.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "state/ExplorerState.h"
#include "ui/StringListEx.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemDelegate;
class QFontDialog;
class QPainter;
class QRect;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolButton;
class QTreeWidgetItem;

namespace lumvor {

class TDropTargetEx;
class TFileStream;
class TStream;
class TFolderListing;
class TImageList;
class TLookBoxEx;
class TMenuItem;
class TPix;
class TStFileOperation;
class TStShellNotification;
class TStShellItem;
class TChangeNotification;
class TStShortcut;
class TTimer;
class TToolBarEx;
class TToolButtonEx;
class TTrackBar;
class TTreeViewEx;
class TVListItem;
using TTreeNode = ::QTreeWidgetItem;
struct FileRec;
struct TListFolder;
struct TThumbFile;
class TVListShowEx;
struct TThumbMaker;
class TThumbWorkers;

class TFileForm : public QMainWindow {
public:
    explicit TFileForm(QWidget* owner = nullptr);
    ~TFileForm() override;

    // Every call other windows made on the window, in order: the command's
    // name, and its argument after a blank where it takes one
    // ("GoToFolder /home/x/").
    std::vector<std::string> Calls;

    // ---- Components

    QWidget* PanelTools = nullptr;
    TToolBarEx* ToolBar1 = nullptr;
    TToolBarEx* ToolBar2 = nullptr;
    TLookBoxEx* LookBox = nullptr;
    QLabel* LabelCurrDir = nullptr;
    QWidget* PanelSide = nullptr;
    TTreeViewEx* Tree = nullptr;
    QSplitter* HSplitter = nullptr;
    QWidget* PanelList = nullptr;
    TVListShowEx* XL = nullptr;
    QWidget* PanelSlider = nullptr;
    TTrackBar* ThumbsBar = nullptr;
    QToolButton* btnThumbsUp = nullptr;
    QToolButton* btnThumbsDn = nullptr;
    QStatusBar* StatusBarX = nullptr;
    QLabel* StatusPanels[3] = {};
    QMenu* FileMenu = nullptr;
    QMenu* FolderMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* SlideSubMenu = nullptr;
    TDropTargetEx* DropFiles = nullptr;
    TDropTargetEx* DropFolder = nullptr;
    TStFileOperation* StFileOpX = nullptr;
    TStShortcut* StLink = nullptr;
    TStShellNotification* StShellComputer = nullptr;
    TStShellNotification* StWatchCurrDrive = nullptr;
    TStShellNotification* StWatchParent = nullptr;
    TTimer* Timer1 = nullptr;
    TTimer* TransitFiles = nullptr;
    TTimer* TransitTree = nullptr;
    QFontDialog* XFontDialog = nullptr;
    std::unique_ptr<TImageList> ImageNormal;

    // Tool buttons.
    TToolButtonEx* btnBack = nullptr;
    TToolButtonEx* btnNext = nullptr;
    TToolButtonEx* BtnUp = nullptr;
    TToolButtonEx* btnOpenX = nullptr;
    TToolButtonEx* btnCopyX = nullptr;
    TToolButtonEx* btnDeleteX = nullptr;
    TToolButtonEx* btnInfoX = nullptr;
    TToolButtonEx* btnSlideshow = nullptr;
    TToolButtonEx* btnViewStyle = nullptr;
    TToolButtonEx* btnTreeView = nullptr;
    TToolButtonEx* btnBookmarks = nullptr;
    TToolButtonEx* btnRecent = nullptr;

    // Top menus.
    TMenuItem* mnuFileX = nullptr;
    TMenuItem* mnuEditX = nullptr;
    TMenuItem* mnuViewX = nullptr;
    TMenuItem* mnuGoX = nullptr;
    TMenuItem* mnuToolsX = nullptr;
    TMenuItem* mnuHelpX = nullptr;
    // Items the window's own handlers and other windows use. Every item of the
    // menus is a child of the window under its name (FindItem).
    TMenuItem* mnuExit1 = nullptr;
    TMenuItem* mnuAddExt = nullptr;
    TMenuItem* mnuDatename = nullptr;
    TMenuItem* mnuFolderTree = nullptr;
    TMenuItem* mnuToolbarX = nullptr;
    TMenuItem* mnuStatusbarX = nullptr;
    TMenuItem* mnuButtonText = nullptr;
    TMenuItem* mnuFolderTreeX = nullptr;
    TMenuItem* mnuToolbarXP = nullptr;
    TMenuItem* mnuStatusbarXP = nullptr;
    TMenuItem* mnuButtonTextP = nullptr;
    TMenuItem* mnuViewThumbs = nullptr;
    TMenuItem* mnuViewLgIcons = nullptr;
    TMenuItem* mnuViewList = nullptr;
    TMenuItem* mnuViewReport = nullptr;
    TMenuItem* mnuRefresh = nullptr;
    TMenuItem* mnuFolderUsage = nullptr;
    TMenuItem* mnuOptions = nullptr;
    TMenuItem* mnuNetworkSupport = nullptr;
    TMenuItem* mnuBackFolder = nullptr;
    TMenuItem* mnuNextFolder = nullptr;
    TMenuItem* mnuFLevel = nullptr;
    TMenuItem* mnuRedoThumbs = nullptr;
    // "Arrange by": the main menu's items (radio group 22) and the pop-up's
    // copies (group 23), in the order name +, name -, size +, size -, date +,
    // date -, type, family, comment.
    std::vector<TMenuItem*> ArrangeItems;
    std::vector<TMenuItem*> ArrangePopupItems;

    // The list view and the records behind its rows (explorer/FolderListing.h).
    std::unique_ptr<TFolderListing> Listing;
    // The thumbnail worker threads and their dispatcher (ThumbWorkers.h); freed
    // before the listing, their threads joined first.
    std::unique_ptr<TThumbWorkers> ThumbWorkers;
    // Thumbnail making (ThumbMakers.h): the codec objects, bitmaps and facts of
    // the file in hand, and the hidden control whose bitmap receives each cell.
    std::unique_ptr<TThumbMaker> ThumbMaker;
    TPix* ThumbPix = nullptr;

    // ---- Window flags

    bool TreeWanted = false;
    bool MonitorHold = false;
    // The view of the settings record: 2 details, 3 or 4 large icons, else list.
    int ViewCode = 3;
    // The path box's folder's parent, as the window last saw it.
    std::string ParentDir;
    // Navigation flags (explorer/xplr8900_nav.cpp): the tree is changed by
    // code; a tree click started a navigation; the next listing is not added
    // to the history; the next listing does not resynchronise the tree; a list
    // for the slide album is being built; LookBoxChange lists a new folder.
    bool TreeBuilding = false;
    bool TreeNavigating = false;
    bool HistoryStep = false;
    bool NoTreeSync = false;
    bool AlbumListing = false;
    bool Navigating = false;
    // The volumes and network roots of the path box, from its item 2 on: the
    // root with a trailing "/", and as Data its kind (DriveFixed ...).
    std::unique_ptr<TStringListEx> DriveList;
    // The network roots GetNetDrives found (mounted shares, without a trailing "/").
    TStringList NetRoots;
    // The system icon indices of a closed and an open folder.
    int FolderOpenIconIndex = -1;

    // A menu item or tool button of the window by its name; nullptr when none.
    QObject* FindItem(const std::string& Name) const;

    // ---- Window events

    void FormCreate();
    void FormActivate();
    void AppActivate();
    void FormShow();
    void FormResize();
    // A close request: from another window it is allowed; the user's close
    // writes the settings (save-profile on) and hides the window unless the
    // program is shutting down.
    void FormCloseQuery(QObject* Sender, bool& CanClose);
    void FormClose();
    void XLDblClick(QObject* Sender);

    // ---- Calls from other windows

    void Show();
    void Close();
    void FolderMonitor_Terminate();
    void FolderMonitor_Restart();
    void Thumbnailing_Stop();
    void GoToFolder(const std::string& Folder);
    void mnuTile1Click(QObject* Sender);
    void mnuFolderTreeClick(QObject* Sender);
    void mnuRefreshClick(QObject* Sender);
    void mnuViewThumbsClick(QObject* Sender);
    void mnuSelectAllClick(QObject* Sender);
    void mnuNetworkSupportClick(QObject* Sender);
    void mnuSlideEditorXClick(QObject* Sender);
    void mnuToolbarXClick(QObject* Sender);
    void mnuStatusbarXClick(QObject* Sender);
    void mnuButtonTextClick(QObject* Sender);
    // Applies the click style of the settings record to the list.
    void mnuSingleClick(QObject* Sender);

    // ---- Menus, tool bars and status bar

    void ApplyExplorerSettings();
    void PanelToolsResize();
    void mnuViewer1Click(QObject* Sender);
    void mnuOptionsClick(QObject* Sender);
    void mnuToolsXClick(QObject* Sender);
    void mnuAddExtClick(QObject* Sender);
    void btnRecentClick(QObject* Sender);
    void mnuAddRecentClick(QObject* Sender);
    void mnuWindowsRecentClick(QObject* Sender);
    void mnuPropertiesTClick(QObject* Sender);
    void mnuExit1Click(QObject* Sender);
    // Help at the context in the item's Tag.
    void HelpItemClick(QObject* Sender);
    void mnuHomePage1Click(QObject* Sender);
    void StatusMessageSolo(const std::string& Text);
    void UpdateStatusBar();
    // The "Arrange by" items.
    void mnuByNameClick(QObject* Sender);
    void mnuBySizeClick(QObject* Sender);
    void mnuByDateClick(QObject* Sender);
    void mnuByTypeClick(QObject* Sender);
    void mnuByFamily1Click(QObject* Sender);
    void mnuByCommentClick(QObject* Sender);

    // ---- Navigation of the path box

    void LookBoxChange(QObject* Sender);
    bool ShellFolderExists(const std::string& Folder) const;
    // A symbolic link or a ".lnk" shortcut resolved to its target; else the path.
    std::string ShellFolderResolve(const std::string& Folder);
    // Index in DriveList of the volume that holds Path; 1 with fewer than 2
    // entries; -1 when none (or while closing).
    int GetDriveIndex(const std::string& Path) const;
    void UpdateHistory();
    void SetupDrives();
    void GetImageHandles();
    void BtnUp_UI();
    void BtnUpClick(QObject* Sender);
    // "&Back" (sender btnBack or mnuBackFolder) and "&Forward".
    void btnNextClick(QObject* Sender);
    // "Visited Folders".
    void btnBookmarksClick(QObject* Sender);
    void mnuGotoFolderClick(QObject* Sender);
    void mnuDetectDrivesClick(QObject* Sender);
    // A volume appeared or vanished, or its media changed.
    void StShellComputerMediaInsert();
    // The mounted shares of the user's network places; false when none.
    bool GetNetDrives();

    // ---- Opening files by their extension (xplr8900_open.cpp)

    // Set while an open command runs; it also blocks label editing.
    bool OpenBusy = false;
    // "Open": the focused or selected files, each where its extension belongs.
    void btnOpenXClick(QObject* Sender);
    // "Open Conta&ining Folder": lists the folder of the focused file, or of the
    // target of a selected link.
    void mnuFOpenContainerClick(QObject* Sender);
    // "&Unzipper": the zip window, created once.
    void mnuUnzipperClick(QObject* Sender);
    // Tools, Cache, "Cha&nge": another thumbnail cache folder.
    void mnuCacheChangeClick(QObject* Sender);
    // ---- The folder tree (xplr8900_tree.cpp)

    // A folder drag from the tree runs.
    bool TreeDragging = false;
    // The tree is shown (the settings record's flag).
    bool TreeShown() const;

    void TreeInit();
    // Selects, expanding along the way, and drop-highlights the node of
    // ExploreDir; Caller is the window itself or the application object (which
    // re-reads the explored volume's node first).
    void DoTreePathUpdate(QObject* Caller);
    void TreePathUpdate() { DoTreePathUpdate(this); }
    // The folder of a node with a trailing "/" (a volume's node: its root).
    std::string GetNodePath(TTreeNode* Node) const;
    // Collapses the node and drops its children; AddPlaceholder gives it the
    // "." child that makes it read its sub-folders when it opens again.
    void SetNodeWithChild(TTreeNode* Node, bool AddPlaceholder);
    // Re-arms the other volumes' nodes (All false) or every volume's node.
    void CloseDrives(bool All);
    // Reads the node's sub-folders under it; false when none could be added.
    bool UpdateDriveNode_XP(TTreeNode* Node, const std::string& Path);
    // Re-arms the deepest loaded node on Path (after folders were made there).
    void TreePathTarget(const std::string& Path);
    // The top-level node of a DriveList entry; nullptr when it has none.
    TTreeNode* DriveNode(int DriveIndex) const;
    // The tree's events.
    void TreeExpanding(TTreeNode* Node, bool& AllowExpansion);
    void TreeExpanded();
    void TreeChanging(TTreeNode* Node);
    void TreeChange(TTreeNode* Node);
    void TreeClick();
    void TreeEnter();
    void TreeMouseDown();
    void TreeMouseUp(int Y);
    void TreeExit();
    void TreeKeyUp(uint16_t& Key);
    void TreeOleDragNotify(TTreeNode* Node);
    void DragFolderMove(TTreeNode* Node);
    // Renaming a folder in the tree.
    void mnuTRenameClick(QObject* Sender);
    void TreeEditing(TTreeNode* Node, bool& AllowEdit);
    // Renames Parent + OldName to Parent + NewName unless the name is refused
    // (NewName then becomes OldName again).
    void TreeValidateItemName(const std::string& Parent, const std::string& OldName, std::string& NewName);
    void TreeEdited(TTreeNode* Node, std::string& NewName);
    bool CanApplyFileOpToNode() const;
    void FolderMenuPopup();
    void mnuTreeSortClick(QObject* Sender);
    void mnuTreeGotoFirstClick(QObject* Sender);
    void mnuTreeRebuildClick(QObject* Sender);

    // ---- The folder change monitor (xplr8900_monitor.cpp)

    // The explored folder without its trailing "/", as the monitor watches it,
    // and the change notification on it (closed while the monitor is stopped).
    std::string WatchPath;
    TChangeNotification* ChangeHandle = nullptr;

    // Pause around a refresh, keeping the watched folders.
    void FolderMonitor_Suspend();
    void FolderMonitor_Resume();
    // Timer1's tick: a change seen in the explored folder refreshes the list.
    void FolderMonitor_Event();
    // A folder on the path to the explored folder was renamed (either shell
    // notification), or created or deleted.
    void StWatchCurrDriveFolderRename(QObject* Sender, TStShellItem* OldItem, TStShellItem* NewItem);
    void StWatchCurrDriveFolderChange(QObject* Sender, TStShellItem* Item);
    void TransitFilesTimer();
    void TransitTreeTimer();
    // The explored folder was renamed or removed: the explorer moves to its
    // previous sibling or its parent in the tree (one step further when that is
    // gone too), else to the home folder; the thumbnail view gives way to the
    // list view.
    void NowDirChanged();
    // Brings the list up to date with the explored folder.
    void FilesChanged();

    // ---- The window's private message

    // Queues the private message with a code: an even code lets pending events
    // through and queues code + 1; an odd code runs its action from
    // MessageActions. Ignored while the window closes.
    void PostExplorerMessage(int Code);
    std::map<int, std::function<void()>> MessageActions;

    // The desktop's open action on a file (parameters, folder and show command
    // are not used by the desktop); above 32 when it was handed over.
    int ShellOpen(const std::string& FileName, const std::string& Params = "", const std::string& Folder = "",
                  int ShowCmd = 1);

    // ---- The file list (xplr8900_list.cpp)

    // Form state of the list's handlers.
    bool Editing = false;
    bool ViewBusy = false;
    bool Dragging = false;
    bool FileOpBusy = false;
    // Set while a thumbnail click or a long listing runs: changes of the
    // selection do not refresh the status bar.
    bool ListChangeSuppressed = false;
    // 1 in the thumbnail view, 0 after any other view was chosen, -1 before.
    int ListTag = -1;
    // The thumbnail-size step and its cell.
    int ThumbStep = 8;
    int ListCellWidth = 168;
    int ListCellHeight = 126;
    // The large images of the thumbnail view: empty, sized to the cell.
    std::unique_ptr<TImageList> ThumbImages;

    void XLData(TVListItem* Item);
    // Draws the thumbnail cell of a row into its item rectangle.
    void XLGetImageIdx(QPainter& Painter, int Row, const QRect& ItemRect, bool Selected);
    void XLToolTip(TVListItem* Item, std::string& ToolTipText);
    void XLChange();
    void XLClick(QObject* Sender);
    void XLMouseUp();
    void XLKeyUp(uint16_t& Key);
    void FormKeyDown(QObject* Sender, uint16_t& Key, uint8_t Shift);
    void FormKeyUp(uint16_t& Key);
    void XLColumnClick(int Column);
    void XLEditing(TVListItem* Item, bool& AllowEdit);
    void XLEdited(TVListItem* Item, std::string& NewName);
    void btnViewLgIconsClick(QObject* Sender);
    void mnuViewListClick(QObject* Sender);
    void mnuViewReportClick(QObject* Sender);
    void btnViewThumbsClick(QObject* Sender);
    void mnuThumbnailSize(QObject* Sender);
    // "+" (btnThumbsUp) and "-" (btnThumbsDn).
    void btnThumbsUpClick(QObject* Sender);
    void ThumbsBarKeyUp();
    void ThumbsBarMouseUp();
    void HSplitterMoved();
    void mnuViewFontClick(QObject* Sender);
    void DoFont();
    void RestoreNormal();
    void SetThumbnailSize(int Step);
    void FindKeyItem(uint16_t Key);
    void Edit_Start();
    void Edit_End();
    // Suspend and resume the list's (the tree's) item updates, at most once:
    // one end ends every begin.
    void ListBeginUpdate();
    void ListEndUpdate();
    void TreeBeginUpdate();
    void TreeEndUpdate();
    // Fills an empty caption of a row's record ("folder", ".TXT",
    // ".JPG 640x480(24)") and writes the record back.
    void CompleteCaption(int Row, FileRec& Rec, int32_t RecNo);
    // The thumbnail view is shown.
    bool ThumbnailView() const { return ListTag == 1; }

    // ---- File operations, drops, drags, selection and refresh (xplr8900_fileops.cpp)

    // The paths of the items of one operation.
    TStringList FileOpSources;
    // Operation codes (FileOpCode): move, copy, delete; a delete adds
    // FolderConfirmed when folders were confirmed and TreeNoShift when the
    // tree's delete runs without Shift.
    static constexpr int OpMove = 1, OpCopy = 2, OpDelete = 3, FolderConfirmed = 16, TreeNoShift = 64;
    int FileOpCode = 0;
    // Shift was held when the command in hand started.
    bool ShiftState = false;
    // Folders were copied or moved: the tree needs a look.
    bool TreeChanged = false;
    // The last copy or move destination (with a trailing "/"); the next
    // folder picker starts there while it exists.
    std::string LastDestination;
    // The destination of a pending drop: set, mnuFMoveClick copies into it
    // without asking, and message code 41 runs the drop with FileOpSources.
    std::string DropDestination;
    // The name a label edit of the list started from.
    std::string OldItemName;
    // The row (node) under a drop hover; -1 (nullptr) for none.
    int DropHoverRow = -1;
    TTreeNode* DropHoverNode = nullptr;

    // "Cop&y to", "&Move to", the tool bar's Copy and the tree's two items.
    void mnuFMoveClick(QObject* Sender);
    void mnuTMoveClick(QObject* Sender);
    // Copies (OpCopy) or moves (any other code) Sources into Destination;
    // a move of a folder into itself, its own folder or below itself is
    // refused with the same-folder message. True when it ran without error.
    bool RunFileOperation(const TStrings& Sources, int Code, const std::string& Destination);
    // Delete: the list's (tool bar, "&Delete", "[Recycle]") and the tree's.
    void mnuFDeleteClick(QObject* Sender);
    void mnuTDeleteClick(QObject* Sender);
    // Recycles or deletes Sources; Folder is the explored folder when the
    // tree's delete removes it, else "".
    void DeleteItems(const TStrings& Sources, int Code, const std::string& Folder);
    // Takes the selected rows out of the list; with CheckExistence a row
    // whose file or folder still exists stays.
    void RemoveDeletedItems(bool CheckExistence);
    void mnuFRenameClick(QObject* Sender);
    void HandFilesToBatchCommand(const std::vector<std::string>& Paths, const std::string& Command);
    void EditFocusedLabel(const std::vector<int>& SelectedRows);
    // The end of a label edit: renames Folder + OldItemName to Folder +
    // NewName, or warns and gives NewName the old name back.
    void ValidateItemName(const std::string& Folder, std::string& NewName);
    void mnuNewfolderClick(QObject* Sender);
    // The file list's drop target.
    void DropFilesDragEnter(int grfKeyState, TPoint pt, int& dwEffect);
    void DropFilesDragOver(int grfKeyState, TPoint pt, int& dwEffect);
    void DropFilesDragLeave();
    void DropFilesDragExit(QObject* Sender);
    void DropFilesDrop(int& dwEffect, TPoint pt);
    // The folder tree's drop target.
    void DropFolderDragEnter(int grfKeyState, TPoint pt, int& dwEffect);
    void DropFolderDragOver(int grfKeyState, TPoint pt, int& dwEffect);
    void DropFolderDragLeave();
    void DropFolderDragExit(QObject* Sender);
    void DropFolderDrop(int& dwEffect, TPoint pt);
    // A drag starts in the list: the selection goes out as a file list.
    void XLOleDragNotify(QObject* Sender);
    void DragFilesMove();
    void mnuInvertSelectionClick(QObject* Sender);
    void mnuSelectAllFilesClick(QObject* Sender);
    // Sender mnuWebImages (the web page's list) takes the longer media list.
    void mnuSelectAllImagesClick(QObject* Sender);
    // The states of the file menu's items for the selection.
    void FileMenuPopup();

    // ---- The thumbnail run and the cache commands (xplr8900_thumbs.cpp,
    // xplr8900_cache.cpp)

    // The size text of the row in hand: "640x480(24)"; empty when unknown.
    std::string ThumbCaptionText;
    // A generator or a list hand-off runs; a folder is being dragged or moved.
    bool BatchBusy = false;
    bool FolderMoving = false;
    // The hidden items "Test" (the debug dump) and "Debug" of the Tools menu.
    TMenuItem* test = nullptr;
    TMenuItem* mnuDebug = nullptr;

    // Prepares a run over the listed rows (the blank cell, the decoder's
    // limits, the four stock files) and installs it; the "Test" item as Sender
    // prepares only. Nothing when a run is active or the list is empty.
    void StartThumbnailRun(QObject* Sender);
    // Installs a run from the first row again, in the thumbnail view only and
    // unless the listing's run has finished.
    void Thumbnailing_Resume();
    // One step of the run: the application's idle handler.
    void ThumbnailIdle(QObject* Sender, bool& Done);
    // The idle handler of Redo thumbs: refreshes the list so that a new run starts.
    void RedoIdle(QObject* Sender, bool& Done);
    void testClick(QObject* Sender);
    void mnuDebugClick(QObject* Sender);
    // Tools, Cache: Info, Clear; Tools, Recent, Clear; Redo thumbs.
    void mnuCacheInfoClick(QObject* Sender);
    void mnuCacheKillClick(QObject* Sender);
    void mnuKillRecentClick(QObject* Sender);
    void mnuRedoThumbsClick(QObject* Sender);
    // ---- Web page options (xplr8900_web.cpp)

    // The folder the last web page was saved in ("WebDir").
    std::string WebDir;
    // Reads the web options and their strings from the settings store.
    void LoadWebOptions();
    // Asks for the thumbnail quality first when AskQuality, then writes the
    // options and their strings.
    void SaveWebOptions(bool AskQuality);
    // "HTML &Options" > "&Set" and "&Reset".
    void mnuWebOptions1Click(QObject* Sender);
    void mnuResetWebOptionsClick(QObject* Sender);

    // ---- Web pages (xplr8900_webpage.cpp)

    // Set by "&Simple page" for the length of its run.
    bool SimplePage = false;
    // The full path of the first page of the last run.
    std::string PageFile;
    // "&Web page(s)" and "&Simple page" of "HTML &Make".
    void mnuWebPage1Click(QObject* Sender);
    void mnuSimplePageClick(QObject* Sender);
    // The common start of every page run; Interactive is false for a
    // catalog walk.
    void ContactDir(bool Interactive);
    // Writes the page series of the explored folder's selected files.
    void NormalPage(bool Interactive);
    // Makes the cache thumbnail of a list row when it is missing or stale.
    void MakeThumbnailNow(int Position);

    // ---- Image catalogs (xplr8900_catalog.cpp)

    // The folder the catalog walk started in; the depth below it of the
    // folder in hand; a table of contents is written; the run is "&Directory
    // tree".
    std::string CatalogRoot;
    int CatalogDepth = 0;
    bool CatalogToC = false;
    bool DirTreeOnly = false;
    // The name of the first page the page writer wrote for the walk's folder
    // in hand, relative to the output folder ("" when none was written).
    std::string CatalogPageName;
    // "&Image catalog" and "&Directory tree" of "HTML &Make".
    void mnuCatalogClick(QObject* Sender);
    void mnuDirTreeClick(QObject* Sender);
    // One folder of the walk: selects its files, makes their missing
    // thumbnails and writes its pages (only counts with DirTreeOnly or when
    // WritePages is false); the number of files selected.
    int Local_DoThumbnails(bool WritePages = true);
    // The page file of a catalog walk's folder (PageFile, WebDir and
    // CatalogPageName set); false when the folder has no file to write.
    bool CatalogPageFile();

    // ---- Folder comments (xplr8900_comments.cpp)

    // The folder whose comment files the lists belong to; they are written there.
    std::string CommentFolder;
    // Reads the explored folder's comments into the lists (nothing in the
    // drives view or while a list for the album or the bookmarks is built).
    void LoadComments();
    // "&Add or edit comment", "Add E&XIF datestamps", "&Query comments".
    void mnuCommentClick(QObject* Sender);
    void mnuCommentEXIFClick(QObject* Sender);
    void mnuQueryClick(QObject* Sender);
    // The comment items are enabled outside the drives view only.
    void CommentItemsUpdate();

    // ---- Search tools (xplr8900_search.cpp)

    // The last text of "&Locate" and "&Find filename".
    std::string SearchText;
    // "&Match": the picture most like the one selected, opened beside it.
    void mnuMatchImageClick(QObject* Sender);
    // "&Locate": the first sibling of the tree's folder whose name holds a text.
    void mnuFolderFindTextClick(QObject* Sender);
    // "&Find filename": selects the rows whose name holds a text.
    void mnuFindcaptionClick(QObject* Sender);
    // "Info", "I&nfo" and "&Properties" of the file list.
    void btnInfoClick(QObject* Sender);
    // "Fol&der size": every sub-folder's total into its row (Details view);
    // the menu item's Tag is 1 once the summary's check box was ticked.
    void mnuFolderUsageClick(QObject* Sender);
    void Local_DoFolderSize();
    // Selects exactly the rows Wanted answers true for.
    void SelectRowsWhere(const std::function<bool(int Row)>& Wanted);
    // ---- Lists to the slide album and the bookmarks (xplr8900_lists.cpp)

    // The folders of the running list, and the files it found: bookmark lines,
    // or for the album each file's path without its extension. Empty between runs.
    TStringList FolderList;
    TStringList FileList;
    // "Slid&e album (new)": the selected files, or the explored folder (asking
    // whether its sub-folders come too), into a new album.
    void MakeSlideshow(QObject* Sender);
    // The explored folder and its sub-folders into a new album; with Sender
    // mnuNewSlideAlbumX ("Slid&e album (new)") the folder alone.
    void mnuListSlideAlbum(QObject* Sender);
    // "&Instant slideshow": the explored folder's tree as a bookmark show; with
    // Sender mnuAddSlideAlbumX ("Slide &album (add)") appended to the album.
    void mnuListBookmarksClick(QObject* Sender);
    void mnuAddSlideAlbumXClick(QObject* Sender);
    // One walked folder into FileList, or into slide records of the album.
    void Local_DoBookmarkList(const TListFolder& Folder);
    void WriteBookmarkText(TStream& ListFile);
    void Local_DoSlideList(const TListFolder& Folder, int Kind);

    // ---- Catalog generation

    // Hides both windows (no program may place windows off-screen on
    // Wayland); RestoreParkedWindows shows them again where they were.
    void ParkWindows();
    void RestoreParkedWindows();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // The window's own handlers run inside one of these: the calls they make
    // on the window are not recorded in Calls.
    class TOwnCall {
    public:
        explicit TOwnCall(TFileForm* form) : form_(form) { ++form_->ownCalls_; }
        ~TOwnCall() { --form_->ownCalls_; }
        TOwnCall(const TOwnCall&) = delete;
        TOwnCall& operator=(const TOwnCall&) = delete;

    private:
        TFileForm* form_;
    };
    void Record(const std::string& call);
    void BuildComponents();
    void BuildMenus();
    void BuildToolBars();
    void BindNavigation();
    void BindOpenCommands();
    // Hands a file to the window that opens it (OpenHandOff in tests).
    void HandOff(const std::string& Command, const std::string& Path);
    // Reads the shortcut at Path into StLink (its target in StLink->FileName);
    // false when it cannot be read or its target is missing.
    bool ResolveShortcutFile(const std::string& Path);
    // The path of a ".lnk" shortcut's existing target; else Path itself.
    std::string ResolvedShortcut(const std::string& Path);
    // The folder a failed navigation falls back to.
    void FallBackHome();
    // "Folder cannot be accessed. ..." of a network folder that cannot be reached.
    void NetworkFolderWarning();
    void BindListing();
    void BindComments();
    void BindWebPages();
    void BindSlideLists();
    // The shared run of the folder lists (xplr8900_lists.cpp).
    enum class TListRun { Instant, AddToAlbum, Album };
    void RunFolderList(TListRun Run, bool Recursive);
    bool WalkListFolders(bool Recursive, std::vector<TListFolder>& Folders);
    bool ListWalkedFolders(TListRun Run, const std::vector<TListFolder>& Folders, TStream& ListFile);
    // The run's flags and progress box undone; then what a finished or a
    // cancelled run hands over.
    void EndFolderList();
    void FinishFolderList(TListRun Run, bool Cancelled, std::unique_ptr<TFileStream>& ListStream);
    void BindCatalogs();
    void BindSearchTools();
    // Stops the folder monitor when it is on; Delete leaves the delete item
    // while a comment is written. Both undone by CommentWriteEnd.
    bool CommentWriteBegin();
    void CommentWriteEnd(bool MonitorStopped);
    void BindFileList();
    void BindThumbnailRun();
    // The run's idle handlers in Application.OnIdle: install one, remove
    // whichever of them is installed, and which one is.
    void InstallExplorerIdle(void (TFileForm::*Handler)(QObject*, bool&));
    void RemoveExplorerIdle();
    bool ExplorerIdleInstalled(void (TFileForm::*Handler)(QObject*, bool&)) const;
    // Parts of a step: the row's thumbnail made and saved; the last row's end.
    void MakeRowThumbnail(FileRec& Rec, int32_t RecNo, int32_t Row);
    bool MakeJpegCell(const FileRec& Rec, bool& TooLarge);
    bool SaveRowThumbnail(const FileRec& Rec, const TThumbFile& Cache);
    void EndThumbnailRun(bool ReadFailed);
    void WriteStockFiles();
    void ShowThumbsProgress();
    void RestartThumbnailRun();
    // The status bar's panels after a simple text.
    void StatusPanelsBack();
    // Redo's refresh in the thumbnail view.
    void RedoRefresh();
    // The list's handlers are dropped before the window's parts go.
    void UnbindFileList();
    void FitDateColumn();
    void ApplyButtonGeometry(bool Captions);
    void ArrangeClick(QObject* Sender, int Ascending, int Descending);
    void ExplorerMessage(int Code);
    void SaveHistory() const;
    bool FirstListing();
    void BindTree();
    void BindFileOps();
    // The list's row under a screen point; -1 for none.
    int RowAtScreenPoint(TPoint pt) const;
    // The shared steps of the list's and the tree's renames.
    bool RenameChecked(const std::string& Folder, const std::string& OldName, std::string& NewName);
    // The selected rows' full paths, in list order or last row first.
    void SelectedPaths(TStrings& Paths, bool LastFirst) const;
    // The end of a copy or move: the destination joins the visited folders.
    void AddVisitedFolder(const std::string& Folder);
    // The drop of the names in Files onto Destination with an effect; Reread
    // posts the re-reading of the folder.
    void DropOnto(const TStrings& Files, int Effect, const std::string& Destination, bool Reread);
    void CreateDropLinks(const TStrings& Files);
    // The tree after a copy or move of its selected folder.
    void TreeAfterFolderOp(const std::string& Source, const std::string& Destination, bool Moved);
    // The tree's node of the explored folder gives way to its previous
    // sibling (else its parent) after the folder went; the path box follows.
    void LeaveExploredNode(TTreeNode* Node);
    // The tree's handlers are dropped before the window's parts go.
    void UnbindTree();
    void BindFolderMonitor();
    void UnbindFolderMonitor();
    // The window is hidden or minimised.
    bool ExplorerHidden() const;
    // One of the flags is set under which the monitor's timers wait.
    bool MonitorWaits() const;
    // Points a shell notification at Folder (none when empty); on the way down
    // to Branch with WatchSubFolders. False when the folder cannot be watched.
    bool WatchShellFolder(TStShellNotification& Notification, const std::string& Folder, const std::string& Branch);
    // Queues a refresh of the list (code 10) unless one is queued already.
    void PostRefresh();
    // Notes that the sub-folders of the folder holding Item changed, and has
    // the tree follow a period later.
    void TreeChangedAt(const TStShellItem* Item);
    // NowDirChanged's steps in the tree; false when no target was left.
    bool StepFromVanishedNode();
    void ClearTree();
    TTreeNode* AddFolderNode(TTreeNode* Parent, const std::string& Name, int32_t Date, bool HasSubFolders);

    std::unique_ptr<TImageList> pathImages_;
    bool captionsShown_ = true;
    int ownCalls_ = 0;
    int statusPanelWidth_ = 0;
    bool listUpdating_ = false;
    bool treeUpdating_ = false;
    bool columnDescending_[5] = {};
    QAbstractItemDelegate* plainDelegate_ = nullptr;
    QAbstractItemDelegate* thumbDelegate_ = nullptr;
    QObject* sliderRelease_ = nullptr;
    QObject* treePageKeys_ = nullptr;
    QObject* treeEvents_ = nullptr;
    // The name a tree rename started from; where the mouse was pressed in the tree.
    std::string treeOldName_;
    int treePressY_ = 0;
    bool parked_ = false;
    bool parkedImageVisible_ = false;
    // The last progress shown ("Thumbs:N%"); -1 none in this run.
    int thumbsPercent_ = -1;
    // Redo thumbs waits for the thumbnail view.
    bool redoPending_ = false;
    // A refresh (code 10) is queued and has not run yet.
    bool refreshPosted_ = false;
    // The bookmark lines the running list found so far, and those of them not
    // yet written to the list file (each line ended by CR LF, as the file holds
    // them).
    int32_t bookmarkCount_ = 0;
    std::string bookmarkText_;
    // The highest folder on the explored folder's path in which folders were
    // created, deleted or renamed since the tree last followed ("" none).
    std::string treeChangedAt_;
};

namespace xplr8900 {

// ---- The window (its module globals are in state/ExplorerState.h)

inline TFileForm* FileForm = nullptr;

// Writes EControls whole as "EControls8900" and the explored folder as
// "ExploreDir" (the user's home folder when none).
void WriteExplorerSettings();
// "HistoryList.txt" in the program's data folder.
std::string HistoryListFile();
// The explorer's list hand-off file "^_^.vop" in the program's data folder.
std::string HandOffListFile();

// The line of CommentNames that belongs to a file of the listing's folder,
// and its comment; -1 and "" when it has none.
int CommentLine(const TFolderListing& Listing, const std::string& FileName);
std::string CommentText(const TFolderListing& Listing, const std::string& FileName);
// The EXIF date text of a picture for "Add EXIF datestamps" (the image
// window's, "" for files without one); tests put their own in.
std::string DefaultJpegDateText(const std::string& Path);
inline std::function<std::string(const std::string& Path)> JpegDateSource = DefaultJpegDateText;

// The text between the (N-1)-th and the N-th "/" after the path's root (the
// mount point of its volume): N = 2 is the first folder below it; "" when the
// path has fewer parts.
std::string PathComponent(const std::string& Path, int N);
// The last folder name of the path; "Untitled" for a volume's root.
std::string WebFolderName(const std::string& Path);
// Blanks become "%20", "#" becomes "%23".
std::string UrlEscape(const std::string& Text);
// The names of the path's last N + 1 folders, outermost first, each but the
// last followed by "/".
std::string UpperFolderNames(const std::string& Path, int N);
// Warns that Text holds characters older browsers do not take.
void WarnWebName(const std::string& Text);

// The kind of a volume by its file system and mount point.
int32_t DriveKind(const std::string& FileSystem, const std::string& MountPoint);

}  // namespace xplr8900

}  // namespace lumvor
