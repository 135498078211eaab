// The explorer window and the explorer's module globals that other windows and
// dialogs read and write.
//
// The window itself is a stand-in until the explorer is built: it keeps the
// components and commands the image window uses, records every call made on it
// in Calls, and shows an empty window.
#pragma once

#include <QMainWindow>

#include "platform/ByteRecord.h"
#include "platform/Classes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QLabel;

namespace lumvor {

class TFolderListing;
class TMenuItem;
class TPix;
class TTrackBar;
class TVListShowEx;
struct TThumbMaker;

class TFileForm : public QMainWindow {
public:
    explicit TFileForm(QWidget* owner = nullptr);
    ~TFileForm() override;

    // Every call made on the window, in order: the command's name, and its
    // argument after a blank where it takes one ("GoToFolder /home/x/").
    std::vector<std::string> Calls;

    // Components the image window touches.
    QWidget* PanelSide = nullptr;
    TTrackBar* ThumbsBar = nullptr;
    TMenuItem* mnuFileX = nullptr;
    TMenuItem* mnuEditX = nullptr;
    TMenuItem* mnuViewX = nullptr;
    TMenuItem* mnuToolsX = nullptr;
    TMenuItem* mnuNetworkSupport = nullptr;
    // The file list; the image window's refresh forwarding sets its ShowToolTips.
    TVListShowEx* XL = nullptr;

    // Thumbnail making (ThumbMakers.h): the codec objects, bitmaps and facts of
    // the file in hand, and the hidden control whose bitmap receives each cell.
    std::unique_ptr<TThumbMaker> ThumbMaker;
    TPix* ThumbPix = nullptr;
    // The records and rows of the list (explorer/FolderListing.h).
    std::unique_ptr<TFolderListing> Listing;

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
    // The toggles and the click style the image window's options forward.
    void mnuButtonTextClick(QObject* Sender);
    void mnuToolbarXClick(QObject* Sender);
    void mnuStatusbarXClick(QObject* Sender);
    void mnuSingleClick(QObject* Sender);
    void mnuSlideEditorXClick(QObject* Sender);
    // A close request: the settings are written when the program keeps its
    // profile; the window only hides.
    void FormCloseQuery(QObject* Sender, bool& CanClose);

private:
    void Record(const std::string& call);
    QLabel* folderLabel_ = nullptr;
};

namespace xplr8900 {

// ---- The window

inline TFileForm* FileForm = nullptr;
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

// Fills EControls with the values of a first run (no stored record). The
// screen width decides the button captions.
void SetExplorerDefaults(int ScreenWidth);
// Writes EControls whole as "EControls8900" and the explored folder as
// "ExploreDir" (the root of the program's volume when none).
void WriteExplorerSettings();

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

// ---- Folder comments

// The explored folder's commented names and their comments, index by index.
inline TStringList CommentNames;
inline TStringList CommentTexts;

// ---- Visited folders (used by the list dialog)

// The visited folders, each with a trailing "/".
inline TStringList HistoryList;
// The position in HistoryList; -1 when it is empty.
inline int HistoryIndex = -1;

}  // namespace xplr8900

}  // namespace lumvor
