// The explorer's folder listing: the records behind every row of its list.
//
// The list view shows no items of its own. Every listed entry is one 440-byte
// FileRec (imaging/FileRec.h) in FileRecStream, record k at k x 440, and
// FileOrder maps each list row to a record number: row i shows record
// FileOrder[i]. The row count of the list is FileOrder's size. Sorting reorders
// FileOrder only; records never move, so a record number stays valid until the
// next UpdateFiles or UpdateDrives.
//
// Three ways fill it:
// - UpdateFiles lists the explored folder (ExploreDir) anew;
// - ValidateFiles_Changed brings the rows up to date with the folder and keeps
//   the records, thumbnails and selection of every entry that did not change;
// - UpdateDrives lists the drives (the mounted volumes), one record each.
//
// How a folder reads on Linux:
// - one readdir pass with one stat per entry (symbolic links followed: a link
//   to a folder is a folder row, a link to a file has its target's size and
//   date; a dangling link is a file with the link's own data);
// - the display name is the file name: Name is the file name, Ext stays empty
//   for files, and a row's path is the explored folder + Name;
// - hidden entries (names starting with ".") are listed; "system" entries are
//   FIFOs, sockets and device nodes: UpdateFiles lists them, a refresh does not
//   add them, and nothing here opens them (a read of a FIFO blocks), so they
//   get no cache name, no JPEG kind and the state "thumbnail failed";
// - files of size 0 are never listed (special files, which have no size,
//   excepted), nor files written less than 2 seconds
//   before (or dated less than 2 seconds ahead of) the listing;
// - "shell order" is folders first, then files, each by the locale's
//   collation, numeric and ignoring case ("img2.jpg" before "img10.jpg");
// - sizes are the true 64-bit sizes (FileRec::FileSize), dates the local time
//   packed by PackFileStamp (imaging/Helpers.h).
//
// The list view itself is the window's: the steps that touch it (row count,
// its data and change events, cursors, status texts, the folder monitor, the
// tree, the comments) are the calls in TListingView, which the window binds and
// which do nothing while unbound. Nothing here draws; everything runs on the
// GUI thread.
#pragma once

#include "platform/Volumes.h"

#include "imaging/FileRec.h"
#include "platform/Streams.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QLocale;

namespace lumvor {

// The locale names are collated in: the user's, or a neutral English one where
// the locale is "C" (whose collation is plain bytes).
QLocale CollationLocale();

// What one stat said of an entry: the find data the records are built from.
struct TFindData {
    bool IsFolder = false;
    bool IsSystem = false;  // FIFO, socket or device node
    bool IsHidden = false;
    bool IsLink = false;
    int64_t Size = 0;
    int64_t Seconds = 0;      // last write, seconds since the epoch
    int64_t Nanoseconds = 0;  // and its nanoseconds
};

// One entry of the explored folder.
struct ShellItem {
    std::string DisplayName;  // the file name
    std::string ParsingName;  // the full path
    TFindData Find;
};

// A drive of the drive level: what the path box lists for one volume.
struct TDriveEntry {
    std::string Path;     // the mount point with a trailing "/"
    std::string Caption;  // the volume's label, or its mount point
    int ImageIndex = -1;  // its system icon
};

// The drives of the running system (DriveList), each with its caption and
// icon, for a window that has no path box to read them from.
std::vector<TDriveEntry> VolumeDriveEntries();

// The "Arrange by" keys. Comment sorts only while comments are loaded.
enum class TListSortKey { Name, Size, Date, Type, Family, Comment };

// The family key of a name: from its last blank (blank included) to the end,
// or the whole name when it has no blank ("Rome 002.jpg" gives " 002.jpg").
std::string FamilyKey(const std::string& Name);

// The window around the listing. Every call is optional; an unbound call does
// nothing (an unbound query answers "no").
struct TListingView {
    // The path box's text (ExploreDir when unbound).
    std::function<std::string()> PathBoxText;
    // The list's updates are suspended between these (at most once, not nested).
    std::function<void()> ListBeginUpdate, ListEndUpdate;
    // The list's data and change events are detached while records and rows change.
    std::function<void()> DetachEvents, AttachEvents;
    // The row count is now FileOrder's size.
    std::function<void()> RowCountChanged;
    // Selection of list rows.
    std::function<int()> SelectedCount;
    std::function<bool(int Row)> IsRowSelected;
    std::function<void(int Row)> SelectRow;
    std::function<void()> ClearSelection;
    // The focused row, -1 for none.
    std::function<int()> FocusedRow;
    std::function<void(bool Busy)> HourglassCursor;
    // "Listing ..." and the status bar's totals.
    std::function<void(const std::string& Text)> StatusMessage;
    std::function<void()> UpdateStatusBar;
    std::function<void()> ProcessMessages;
    // The menu states of the file menu.
    std::function<void()> FileMenuPopup;
    // The folder's comments are read.
    std::function<void()> LoadComments;
    // The thumbnail run: stop it, mark it finished or pending, restart it in
    // the thumbnail view; whether the list shows thumbnails.
    std::function<void()> Thumbnailing_Stop;
    std::function<void(bool Finished)> MarkThumbnailRun;
    std::function<bool()> ThumbnailView;
    std::function<void()> RestartThumbnails;
    std::function<void()> LargeIconView;
    // The folder change monitor around a refresh.
    std::function<void()> FolderMonitor_Suspend, FolderMonitor_Resume;
    // Folders appeared or vanished: the tree re-reads its selected node.
    std::function<void()> RearmTreeNode;
    // Young files were held back by a refresh: list them a little later.
    std::function<void()> StartTransitFiles;
    // Whether a worker thread is still busy (sampled into CoreBusy).
    std::function<bool()> AnyCoresActive;
};

// The listing core of the explorer window.
class TFolderListing {
public:
    TFolderListing();

    // ---- Records and rows

    // The records; never shrinks. Before a listing of n entries it is cleared
    // and sized to 2 x n x 440 bytes when smaller than n x 440.
    TMemoryStream FileRecStream;
    // Records written by the current listing: the next record number.
    int32_t FileRecCount = 0;
    // Record number of each list row.
    std::vector<int32_t> FileOrder;
    // The entries of the explored folder, as the last enumeration read them.
    std::vector<ShellItem> ShellItems;
    // Grows whenever ShellItems is read or cleared.
    uint64_t Enumerations = 0;

    // Upper-cased extension of the entry being listed.
    std::string CurrExt;
    // A folder was listed, or appeared or vanished in a refresh.
    bool FoldersSeen = false;
    // Bytes of the listed files (64-bit byte count).
    int64_t ListTotalSize = 0;
    // JPEG entries without a valid cache file; thumbnails made in this run.
    int32_t ThumbsNeeded = 0;
    int32_t ThumbsMade = 0;
    // The last refresh held back files written less than 2 seconds before it.
    bool YoungFilesHeld = false;

    // ---- Window flags read and set here

    bool Closing = false;
    bool ActivationPending = false;  // nothing is listed before the first activation
    bool Risky = false;
    bool ListBusy = false;
    bool CommentsLoaded = false;
    bool CoreBusy = false;
    int SkipNextListing = 0;
    // The list shows the drives (set by UpdateDrives, cleared by UpdateFiles).
    bool DrivesView = false;
    // A refresh lists young files too (set after a drop of files; cleared by the refresh).
    bool ForceNewFiles = false;
    // Icon of every folder row.
    int FolderIconIndex = 0;
    // The checked "Arrange by" item: key and direction ("&Name +" at start).
    TListSortKey SortKey = TListSortKey::Name;
    bool SortDescending = false;

    TListingView View;

    // ---- Listing

    // Lists ExploreDir (the path box's text) into the records; false when the
    // folder could not be read (the list is then empty). Returns false at once
    // while Closing. SortByShell puts the entries in shell order first.
    bool UpdateFiles(bool SortByShell);
    // Brings the rows up to date with the folder, enumerated again first when
    // Reenumerate. Entries pair by exact name (bytes, so "a.jpg" and "A.jpg"
    // are two entries), folder-ness, and for files size and last write: paired
    // rows keep their record, thumbnail state and selection; a vanished entry's
    // row goes (its record stays in the stream, unreferenced); a new or changed
    // entry gets a new record and row at the end, in state pending. Re-entry
    // returns at once.
    void ValidateFiles_Changed(bool Reenumerate);
    // A refresh (ValidateFiles_Changed) runs.
    bool Refreshing() const { return refreshing_; }
    // One record per drive: State 65535, Name the caption, FileDate the moment
    // of the listing, Ext the path cut to 12 bytes; the full path is kept aside
    // for GetItemPath.
    void UpdateDrives(const std::vector<TDriveEntry>& Drives);
    // No rows.
    void ClearListView();
    // Appends a row for one entry of the explored folder (made by the window
    // itself: a new folder, a link); its row, -1 when the entry cannot be read.
    int AppendEntry(const std::string& Path);
    // Takes rows out of the list, given in any order; their records stay.
    void RemoveRows(std::vector<int> Rows);

    // ---- Folder reading

    // Reads the folder's entries into ShellItems ("." and ".." left out);
    // false when the folder cannot be opened.
    bool EnumerateFolder(const std::string& Path);
    void ClearShellItems();
    // The full path (ForParsing) or the display name of an item.
    static const std::string& GetShellDisplayName(const ShellItem& Item, bool ForParsing);
    // Shell order of two items: negative, 0 or positive.
    int CompareShellOrder(const ShellItem& A, const ShellItem& B) const;

    // ---- Records

    // Record RecNo; a number outside the stream reads as a zero record.
    FileRec ReadRec(int32_t RecNo) const;
    void WriteRec(int32_t RecNo, const FileRec& Rec);
    // The record of a list row (-1 for the focused row); false when there is none.
    bool RowRec(int Row, FileRec& Rec, int32_t* RecNo = nullptr) const;

    // ---- Paths of rows

    // The full path of a record's file or folder in the explored folder.
    static std::string GetRecFilePath(const FileRec& Rec);
    // The full path of a list row (-1: the focused row; "" when there is none).
    // At the drive level, the drive's full mount point.
    std::string GetItemPath(int Position) const;
    // The cache file of a list row (ThumbRecFile of its record).
    std::string GetThumbRecPath(int Position) const;

    // ---- Sorting

    // The comparer of a key over two record numbers, ascending: negative, 0 or positive.
    int CompareRecs(TListSortKey Key, int32_t RecA, int32_t RecB) const;
    void ListSort_Begin();
    void ListSort_End();
    // Sorts the rows by a key: what the "Arrange by" menu items and the column
    // clicks do. Every key but Comment becomes the checked item; Comment sorts
    // only while comments are loaded.
    void SortRows(TListSortKey Key, bool Descending);
    // After a listing: the checked item's order; "&Name +" keeps shell order.
    void UserSort();

private:
    void PrepareRecords(int32_t Count);
    void AppendRow(const FileRec& Rec);
    // Whether an entry's last write lets it be listed now.
    static bool OldEnough(const TFindData& Find, int64_t NowSeconds, int64_t NowNanoseconds);
    // Builds a record of an entry (name, stamp, folder or file fields, icon).
    void BuildRec(const ShellItem& Item, FileRec& Rec);
    // The cache name and, for a JPEG, the cache file's trailer.
    void LookUpThumb(FileRec& Rec);
    void SortOrder(TListSortKey Key, bool Descending);
    void SortShellItems();
    bool NetworkPathAllowed(const std::string& Path) const;

    bool refreshing_ = false;
    // Full mount points of the drive records, by record number.
    std::vector<std::string> drivePaths_;
};

}  // namespace lumvor
