#include "explorer/FolderListing.h"

#include "state/ViewerState.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <numeric>
#include <thread>

namespace lumvor {

namespace {

using namespace xplr8900;

// Calls a bound view call; an unbound one does nothing.
template <class F, class... Args>
void Call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

// Files whose icon is their own rather than their extension's.
constexpr std::string_view OwnIconExtensions = ".LNK.EXE.ICO.CUR";
// Work-list mark of an entry read from the folder (not a list row).
constexpr int32_t NewEntryMark = -4370;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

// The upper-cased extension of a name with its dot (after its last dot), or "".
void UpperExtensionOf(std::string_view name, std::string& out) {
    out.clear();
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return;
    for (char c : name.substr(dot)) out += AsciiUpper(c);
}

bool IsJpegExtension(std::string_view ext) { return ext == ".JPG" || ext == ".JPEG"; }

// The collations of the list: names compare by the user's locale.
// Shell order: numeric, ignoring case. Name order: with case.
QCollator& ShellCollator() {
    static QCollator collator = [] {
        QCollator c(CollationLocale());
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

QCollator& NameCollator() {
    static QCollator collator = [] {
        QCollator c(CollationLocale());
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return collator;
}

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

timespec ClockNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

}  // namespace

QLocale CollationLocale() {
    const QLocale locale;
    if (locale.language() == QLocale::C) return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

std::string FamilyKey(const std::string& Name) {
    const size_t blank = Name.rfind(' ');
    return blank == std::string::npos ? Name : Name.substr(blank);
}

namespace {

bool IsSystemMode(mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode); }

// Reads one entry of an open folder: its target's data, or a dangling link's
// own. Type is readdir's type of the entry (DT_LNK for a symbolic link).
bool StatEntry(int folder, const char* name, unsigned char type, TFindData& find) {
    struct stat info {};
    if (::fstatat(folder, name, &info, 0) != 0 && ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    find.IsFolder = S_ISDIR(info.st_mode);
    find.IsSystem = IsSystemMode(info.st_mode);
    find.IsHidden = name[0] == '.';
    find.IsLink = type == DT_LNK || S_ISLNK(info.st_mode);
    find.Size = find.IsFolder ? 0 : static_cast<int64_t>(info.st_size);
    find.Seconds = info.st_mtim.tv_sec;
    find.Nanoseconds = info.st_mtim.tv_nsec;
    return true;
}

// One work-list entry of a refresh: an entry read from the folder (First is
// NewEntryMark, Second its ShellItems index) or a list row (First the row).
struct TWorkEntry {
    std::string Name;
    int32_t First = 0;
    int32_t Second = 0;
    bool IsFolder = false;
    uint64_t Size = 0;
    int32_t FileDate = 0;
    int32_t TimeMs = 0;
};

// The same entry: same name and kind, and for a file the same size and last write.
bool SameEntry(const TWorkEntry& a, const TWorkEntry& b) {
    if (a.Name != b.Name || a.IsFolder != b.IsFolder) return false;
    return a.IsFolder || (a.Size == b.Size && a.FileDate == b.FileDate && a.TimeMs == b.TimeMs);
}

// The icon of a file: its own for shortcuts, programs, icons and cursors,
// otherwise its extension's, asked of the desktop once per extension. A special
// file is never handed to the icon provider.
int FileIconIndex(const std::string& currExt, const ShellItem& item) {
    if (!currExt.empty() && OwnIconExtensions.find(currExt) != std::string_view::npos && !item.Find.IsSystem)
        return SystemIconIndex(item.ParsingName);
    TStringList& cache = lumv8900::ExtIconCache;
    const int at = cache.IndexOf(currExt);
    if (at >= 0) return static_cast<int>(reinterpret_cast<intptr_t>(cache.GetObject(at)));
    if (item.Find.IsSystem) return -1;
    const int icon = SystemIconIndex(item.ParsingName);
    cache.AddObject(currExt, reinterpret_cast<void*>(static_cast<intptr_t>(icon)));
    return icon;
}

// The text a key compares (Name, Type, Family, Comment).
std::string SortText(const TFolderListing& listing, TListSortKey key, const FileRec& rec) {
    std::string name(rec.Name());
    name += rec.Ext();
    switch (key) {
    case TListSortKey::Type: {
        std::string type = rec.Ext().empty() ? ExtractFileExt(rec.Name()) : std::string(rec.Ext());
        if (type.size() > 13) type.resize(13);
        return type + std::string(rec.Name());
    }
    case TListSortKey::Family:
        return FamilyKey(name);
    case TListSortKey::Comment:
        return CommentText(listing, name);
    default:
        return name;
    }
}

bool IsTextKey(TListSortKey key) { return key != TListSortKey::Size && key != TListSortKey::Date; }

// Size and date compare as numbers; a DOS date-time is unsigned (years from
// 2044 on set its top bit).
uint64_t SortNumber(TListSortKey key, const FileRec& rec) {
    return key == TListSortKey::Size ? rec.FileSize() : static_cast<uint32_t>(rec.FileDate());
}

template <class T>
int Compare3(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Runs Check(i) for i in [0, Count) on up to a few threads.
template <class F>
void ForEachOnThreads(size_t count, F check) {
    constexpr size_t perThread = 512;
    const size_t threads = std::min<size_t>({4, std::max(1u, std::thread::hardware_concurrency()),
                                             (count + perThread - 1) / perThread});
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) check(i);
        return;
    }
    std::vector<std::thread> pool;
    for (size_t t = 1; t < threads; ++t)
        pool.emplace_back([&, t] {
            for (size_t i = t; i < count; i += threads) check(i);
        });
    for (size_t i = 0; i < count; i += threads) check(i);
    for (std::thread& thread : pool) thread.join();
}

}  // namespace

std::vector<TDriveEntry> VolumeDriveEntries() {
    std::vector<TDriveEntry> drives;
    for (const TVolumeInfo& volume : DriveList()) {
        TDriveEntry drive;
        drive.Path = AddBackslash(volume.MountPoint);
        drive.Caption = VolumeLabel(volume.MountPoint);
        if (drive.Caption.empty()) drive.Caption = volume.MountPoint;
        drive.ImageIndex = SystemIconIndex(volume.MountPoint);
        drives.push_back(std::move(drive));
    }
    return drives;
}

TFolderListing::TFolderListing() { FileRecStream.SetSize(static_cast<int64_t>(FileRecSize) * 2048); }

// ---- Records

FileRec TFolderListing::ReadRec(int32_t RecNo) const {
    FileRec rec;
    const int64_t offset = static_cast<int64_t>(RecNo) * FileRecSize;
    if (RecNo >= 0 && offset + FileRecSize <= const_cast<TMemoryStream&>(FileRecStream).GetSize())
        std::memcpy(rec.Bytes.data(), FileRecStream.Memory() + offset, FileRecSize);
    return rec;
}

void TFolderListing::WriteRec(int32_t RecNo, const FileRec& Rec) {
    FileRecStream.Seek(static_cast<int64_t>(RecNo) * FileRecSize, soBeginning);
    FileRecStream.WriteBuffer(Rec.Bytes.data(), FileRecSize);
}

bool TFolderListing::RowRec(int Row, FileRec& Rec, int32_t* RecNo) const {
    if (Row == -1) Row = View.FocusedRow ? View.FocusedRow() : -1;
    if (Row < 0 || Row >= static_cast<int>(FileOrder.size())) return false;
    const int32_t recNo = FileOrder[static_cast<size_t>(Row)];
    if (recNo < 0 || recNo >= FileRecCount) return false;
    Rec = ReadRec(recNo);
    if (RecNo) *RecNo = recNo;
    return true;
}

void TFolderListing::PrepareRecords(int32_t Count) {
    FileRecCount = 0;
    FileOrder.clear();
    FileOrder.reserve(static_cast<size_t>(Count) * 2);
    const int64_t needed = static_cast<int64_t>(Count) * FileRecSize;
    if (FileRecStream.GetSize() < needed) {
        FileRecStream.Clear();
        FileRecStream.SetSize(2 * needed);
    }
    drivePaths_.clear();
}

void TFolderListing::AppendRow(const FileRec& Rec) {
    FileOrder.push_back(FileRecCount);
    WriteRec(FileRecCount, Rec);
    ++FileRecCount;
}

int TFolderListing::AppendEntry(const std::string& Path) {
    ShellItem item;
    item.ParsingName = RemoveBackslash(Path);
    item.DisplayName = ExtractFileName(item.ParsingName);
    if (item.DisplayName.empty() || !StatEntry(AT_FDCWD, item.ParsingName.c_str(), DT_UNKNOWN, item.Find)) return -1;
    FileRec rec;
    BuildRec(item, rec);
    if (!item.Find.IsFolder) LookUpThumb(rec);
    AppendRow(rec);
    Call(View.RowCountChanged);
    return static_cast<int>(FileOrder.size()) - 1;
}

void TFolderListing::RemoveRows(std::vector<int> Rows) {
    std::sort(Rows.begin(), Rows.end());
    Rows.erase(std::unique(Rows.begin(), Rows.end()), Rows.end());
    for (auto row = Rows.rbegin(); row != Rows.rend(); ++row)
        if (*row >= 0 && *row < static_cast<int>(FileOrder.size())) FileOrder.erase(FileOrder.begin() + *row);
    Call(View.RowCountChanged);
}

void TFolderListing::ClearListView() {
    Call(View.ListBeginUpdate);
    FileOrder.clear();
    Call(View.RowCountChanged);
    Call(View.ListEndUpdate);
}

// ---- Folder reading

bool TFolderListing::EnumerateFolder(const std::string& Path) {
    ++Enumerations;
    DIR* folder = ::opendir(Path.c_str());
    if (!folder) return false;
    const int folderFd = ::dirfd(folder);
    const std::string base = AddBackslash(Path);
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        ShellItem item;
        if (!StatEntry(folderFd, name, entry->d_type, item.Find)) continue;  // vanished meanwhile
        item.DisplayName = name;
        item.ParsingName = base + name;
        ShellItems.push_back(std::move(item));
    }
    ::closedir(folder);
    return true;
}

void TFolderListing::ClearShellItems() {
    ++Enumerations;
    ShellItems.clear();
    ShellItems.reserve(8192);
}

const std::string& TFolderListing::GetShellDisplayName(const ShellItem& Item, bool ForParsing) {
    return ForParsing ? Item.ParsingName : Item.DisplayName;
}

int TFolderListing::CompareShellOrder(const ShellItem& A, const ShellItem& B) const {
    if (A.Find.IsFolder != B.Find.IsFolder) return A.Find.IsFolder ? -1 : 1;
    const int order = ShellCollator().compare(ToQString(A.DisplayName), ToQString(B.DisplayName));
    return order != 0 ? order : Compare3(A.DisplayName, B.DisplayName);
}

void TFolderListing::SortShellItems() {
    // One collation key per item, then comparisons of keys only.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(ShellItems.size());
    for (const ShellItem& item : ShellItems) keys.push_back(ShellCollator().sortKey(ToQString(item.DisplayName)));
    std::vector<size_t> order(ShellItems.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const ShellItem& x = ShellItems[a];
        const ShellItem& y = ShellItems[b];
        if (x.Find.IsFolder != y.Find.IsFolder) return x.Find.IsFolder;
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : x.DisplayName < y.DisplayName;
    });
    std::vector<ShellItem> sorted;
    sorted.reserve(ShellItems.capacity());
    for (size_t i : order) sorted.push_back(std::move(ShellItems[i]));
    ShellItems = std::move(sorted);
}

// ---- Building records

bool TFolderListing::OldEnough(const TFindData& Find, int64_t NowSeconds, int64_t NowNanoseconds) {
    const int64_t ageMs = (NowSeconds - Find.Seconds) * 1000 + (NowNanoseconds - Find.Nanoseconds) / 1000000;
    if (ageMs >= 8640) return true;  // 0.0001 days
    const int64_t magnitude = ageMs < 0 ? -ageMs : ageMs;
    return magnitude % 86400000 >= 2000;
}

void TFolderListing::BuildRec(const ShellItem& Item, FileRec& Rec) {
    Rec = FileRec();
    Rec.SetName(Item.DisplayName);
    Rec.SetFileStamp(Item.Find.Size, Item.Find.Seconds, Item.Find.Nanoseconds);
    if (Item.Find.IsFolder) {
        Rec.SetImageIndex(static_cast<uint16_t>(FolderIconIndex));
        Rec.SetState(fsFolder);
        Rec.SetFlags(FileRecFolderFlags);
        FoldersSeen = true;
        return;
    }
    UpperExtensionOf(Item.DisplayName, CurrExt);
    Rec.SetImageIndex(static_cast<uint16_t>(FileIconIndex(CurrExt, Item)));
    // Nothing may open a special file: it is never offered to a thumbnail maker.
    Rec.SetState(Item.Find.IsSystem ? fsFailed : fsPending);
}

void TFolderListing::LookUpThumb(FileRec& Rec) {
    if (!ExtInList(CurrExt, ThumbPictureExtensions, "")) return;
    std::string name;
    ThumbRecName(VolumeTag, ThumbKeyFolder, Rec, name);
    Rec.SetCacheName(name);
    if (IsJpegExtension(CurrExt)) Rec.SetKind(FileRecJpegKind);
}

// ---- Listing

bool TFolderListing::NetworkPathAllowed(const std::string& Path) const {
    return !IsNetworkPlace(Path) || EControls.Flag(ec::NetworkSupport);
}

bool TFolderListing::UpdateFiles(bool SortByShell) {
    CoreCancel = true;
    if (Closing) return false;
    Risky = true;
    Call(View.StatusMessage, std::string("Listing ..."));
    bool failed = false;

    const auto finish = [&] {
        Risky = false;
        Call(View.UpdateStatusBar);
        SkipNextListing = 0;
        if (!CommentsLoaded) Call(View.LoadComments);
        CoreBusy = View.AnyCoresActive && View.AnyCoresActive();
        return !failed;
    };

    const std::string text = View.PathBoxText ? View.PathBoxText() : ExploreDir;
    if (text.rfind("//", 0) == 0 && DriveIndex(text) == -1) {
        Risky = false;
        return true;
    }
    if (ActivationPending) return finish();
    if (text.empty()) {
        ClearListView();
        Call(View.MarkThumbnailRun, true);
        return finish();
    }

    Call(View.HourglassCursor, true);
    ExploreDir = AddBackslash(text);
    DrivesView = false;
    PrepareThumbFolder(nullptr);
    ListBusy = true;
    Call(View.ListBeginUpdate);
    Call(View.DetachEvents);
    FileOrder.clear();
    Call(View.RowCountChanged);

    const bool listable = (IsRootPath(ExploreDir) || DirectoryExists(ExploreDir)) && NetworkPathAllowed(ExploreDir);
    if (listable) {
        ClearShellItems();
        if (!EnumerateFolder(ExploreDir)) {
            failed = true;
            ClearShellItems();
        } else {
            if (SortByShell) SortShellItems();
            PrepareRecords(static_cast<int32_t>(ShellItems.size()));
            FoldersSeen = false;
            ListTotalSize = 0;
            ThumbsNeeded = 0;
            ThumbsMade = 0;

            // Records in order; the JPEGs' cache files are checked afterwards,
            // on a few threads for a big folder, and the results put in order.
            std::vector<FileRec> recs;
            recs.reserve(ShellItems.size());
            std::vector<size_t> jpegs;
            const timespec now = ClockNow();
            for (const ShellItem& item : ShellItems) {
                if (!OldEnough(item.Find, now.tv_sec, now.tv_nsec)) continue;
                // Special files have no size; they are listed all the same.
                if (!item.Find.IsFolder && !item.Find.IsSystem && item.Find.Size == 0) continue;
                FileRec& rec = recs.emplace_back();
                BuildRec(item, rec);
                ListTotalSize += static_cast<int64_t>(rec.FileSize());
                if (item.Find.IsFolder || item.Find.IsSystem) continue;
                LookUpThumb(rec);
                if (rec.Kind() == FileRecJpegKind) jpegs.push_back(recs.size() - 1);
            }
            std::vector<FileRec> trailers(jpegs.size());
            std::vector<uint8_t> present(jpegs.size(), 0);
            ForEachOnThreads(jpegs.size(), [&](size_t i) {
                const FileRec& rec = recs[jpegs[i]];
                const TThumbFile file = ThumbFileAt(TThumbFileKind::PerFile, std::string(rec.CacheName()));
                present[i] = ThumbFilePresent(file, rec, &trailers[i]) ? 1 : 0;
            });
            for (size_t i = 0; i < jpegs.size(); ++i) {
                FileRec& rec = recs[jpegs[i]];
                const FileRec& trailer = trailers[i];
                if (!present[i]) {
                    ++ThumbsNeeded;
                    continue;
                }
                if (trailer.Width() < 2 || trailer.Height() < 2) continue;
                rec.SetState(fsPresent);
                rec.SetWidth(trailer.Width());
                rec.SetHeight(trailer.Height());
                rec.SetBitsPerPixel(trailer.BitsPerPixel());
                std::string ext;
                UpperExtensionOf(rec.Name(), ext);
                rec.SetCaption(ext + " " + std::to_string(trailer.Width()) + "x" + std::to_string(trailer.Height()) +
                               "(" + std::to_string(trailer.BitsPerPixel()) + ")");
            }
            for (const FileRec& rec : recs) AppendRow(rec);
        }
    }

    UserSort();
    ListBusy = false;
    Call(View.ProcessMessages);
    Call(View.RowCountChanged);
    Call(View.AttachEvents);
    Call(View.ListEndUpdate);
    Call(View.FileMenuPopup);
    Call(View.HourglassCursor, false);
    Call(View.MarkThumbnailRun, false);
    Call(View.UpdateStatusBar);
    return finish();
}

void TFolderListing::ValidateFiles_Changed(bool Reenumerate) {
    if (refreshing_) return;
    refreshing_ = true;
    Call(View.ProcessMessages);
    Call(View.Thumbnailing_Stop);
    CommentsLoaded = false;
    const std::string text = View.PathBoxText ? View.PathBoxText() : ExploreDir;
    if (text.empty()) {
        ClearListView();
        Call(View.MarkThumbnailRun, true);
        refreshing_ = false;
        return;
    }

    Call(View.FolderMonitor_Suspend);
    Call(View.ListBeginUpdate);
    Call(View.DetachEvents);
    Call(View.HourglassCursor, true);
    ListBusy = true;
    if (Reenumerate) {
        ClearShellItems();
        EnumerateFolder(ExploreDir);
    }
    FoldersSeen = false;
    YoungFilesHeld = false;

    // The work list: every entry of the folder and every row, by name in byte
    // order; an entry and a row that are the same entry sit side by side.
    std::vector<TWorkEntry> work;
    work.reserve(ShellItems.size() + FileOrder.size());
    for (size_t i = 0; i < ShellItems.size(); ++i) {
        const ShellItem& item = ShellItems[i];
        TWorkEntry entry{item.DisplayName, NewEntryMark, static_cast<int32_t>(i), item.Find.IsFolder};
        if (!item.Find.IsFolder) {
            FileRec stamp;
            stamp.SetFileStamp(item.Find.Size, item.Find.Seconds, item.Find.Nanoseconds);
            entry.Size = stamp.FileSize();
            entry.FileDate = stamp.FileDate();
            entry.TimeMs = stamp.TimeMs();
        }
        work.push_back(std::move(entry));
    }
    const bool hadSelection = View.SelectedCount && View.SelectedCount() > 0;
    for (int p = static_cast<int>(FileOrder.size()) - 1; p >= 0; --p) {
        const int32_t recNo = FileOrder[static_cast<size_t>(p)];
        FileRec rec = ReadRec(recNo);
        std::string name(rec.Name());
        name += rec.Ext();
        const bool folder = rec.Flags() == FileRecFolderFlags;
        work.push_back({std::move(name), p, 0, folder, folder ? 0 : rec.FileSize(), rec.FileDate(), rec.TimeMs()});
        if (hadSelection) {
            rec.SetWasSelected(View.IsRowSelected && View.IsRowSelected(p) ? 1 : 0);
            WriteRec(recNo, rec);
        }
    }
    std::stable_sort(work.begin(), work.end(), [](const TWorkEntry& a, const TWorkEntry& b) { return a.Name < b.Name; });
    std::vector<TWorkEntry> remaining;
    for (size_t k = 0; k < work.size();) {
        if (k + 1 < work.size() && SameEntry(work[k], work[k + 1])) {
            k += 2;
            continue;
        }
        remaining.push_back(std::move(work[k]));
        ++k;
    }

    bool vanished = false;
    for (const TWorkEntry& entry : remaining) {
        if (entry.First == NewEntryMark) continue;
        const int32_t recNo = FileOrder[static_cast<size_t>(entry.First)];
        FileRec rec = ReadRec(recNo);
        if (rec.State() == fsFolder) FoldersSeen = true;
        rec.SetWasSelected(0);
        rec.SetMark(FileRecMarkVanished);
        WriteRec(recNo, rec);
        vanished = true;
    }

    const timespec now = ClockNow();
    for (const TWorkEntry& entry : remaining) {
        if (entry.First != NewEntryMark) continue;
        const ShellItem& item = ShellItems[static_cast<size_t>(entry.Second)];
        if (item.Find.IsSystem) continue;
        if (!item.Find.IsFolder) {
            if (item.Find.Size == 0) continue;
            if (!ForceNewFiles && !OldEnough(item.Find, now.tv_sec, now.tv_nsec)) {
                YoungFilesHeld = true;
                continue;
            }
        }
        FileRec rec;
        BuildRec(item, rec);
        AppendRow(rec);
    }

    if (vanished || hadSelection) {
        for (int p = static_cast<int>(FileOrder.size()) - 1; p >= 0; --p)
            if (ReadRec(FileOrder[static_cast<size_t>(p)]).Mark() > 65534) FileOrder.erase(FileOrder.begin() + p);
        Call(View.RowCountChanged);
        // The marks are used up here, so a later refresh cannot select rows again
        // that the user has since deselected.
        for (int p = 0; p < static_cast<int>(FileOrder.size()); ++p) {
            const int32_t recNo = FileOrder[static_cast<size_t>(p)];
            FileRec rec = ReadRec(recNo);
            if (rec.WasSelected() != 1) continue;
            Call(View.SelectRow, p);
            rec.SetWasSelected(0);
            WriteRec(recNo, rec);
        }
    } else {
        Call(View.RowCountChanged);
    }

    Call(View.AttachEvents);
    Call(View.ListEndUpdate);
    ListBusy = false;
    if (FoldersSeen) Call(View.RearmTreeNode);
    Call(View.HourglassCursor, false);
    ForceNewFiles = false;
    FoldersSeen = false;
    refreshing_ = false;
    Call(View.ProcessMessages);
    if (View.ThumbnailView && View.ThumbnailView())
        Call(View.RestartThumbnails);
    else
        Call(View.UpdateStatusBar);
    // The comments are read again (they may have changed on disk too), so
    // the comment column and its sort keep working after a refresh.
    if (!CommentsLoaded) Call(View.LoadComments);
    Call(View.FolderMonitor_Resume);
    if (YoungFilesHeld) Call(View.StartTransitFiles);
    CoreBusy = View.AnyCoresActive && View.AnyCoresActive();
    ListTotalSize = 0;
}

void TFolderListing::UpdateDrives(const std::vector<TDriveEntry>& Drives) {
    ClearListView();
    Call(View.LargeIconView);
    Call(View.ProcessMessages);
    Call(View.MarkThumbnailRun, true);
    PrepareRecords(static_cast<int32_t>(Drives.size()));
    DrivesView = true;
    ListBusy = true;
    Call(View.DetachEvents);
    Call(View.ListBeginUpdate);

    const timespec now = ClockNow();
    int32_t nowDate = 0, nowMs = 0;
    PackFileStamp(now.tv_sec, now.tv_nsec, nowDate, nowMs);
    for (const TDriveEntry& drive : Drives) {
        FileRec rec;
        rec.SetName(drive.Caption);
        rec.SetState(fsDrive);
        rec.SetImageIndex(static_cast<uint16_t>(drive.ImageIndex));
        rec.SetFileDate(nowDate);
        rec.SetExt(drive.Path);
        drivePaths_.resize(static_cast<size_t>(FileRecCount) + 1);
        drivePaths_[static_cast<size_t>(FileRecCount)] = drive.Path;
        AppendRow(rec);
    }

    ListBusy = false;
    Call(View.RowCountChanged);
    Call(View.AttachEvents);
    Call(View.ListEndUpdate);
    Call(View.HourglassCursor, false);
}

// ---- Paths of rows

std::string TFolderListing::GetRecFilePath(const FileRec& Rec) {
    std::string path = AddBackslash(ExploreDir);
    path += Rec.Name();
    std::string own;
    UpperExtensionOf(Rec.Name(), own);
    if (Rec.Ext() == ".LNK") {
        if (own != ".LNK") path += ".LNK";
    } else if (own != Rec.Ext()) {
        path += Rec.Ext();
    }
    return path;
}

std::string TFolderListing::GetItemPath(int Position) const {
    FileRec rec;
    int32_t recNo = -1;
    if (!RowRec(Position, rec, &recNo)) return {};
    if (DrivesView) {
        if (recNo < static_cast<int32_t>(drivePaths_.size())) return drivePaths_[static_cast<size_t>(recNo)];
        return std::string(rec.Ext());
    }
    return GetRecFilePath(rec);
}

std::string TFolderListing::GetThumbRecPath(int Position) const {
    FileRec rec;
    if (!RowRec(Position, rec)) return {};
    return ThumbRecFile(rec).Path;
}

// ---- Sorting

int TFolderListing::CompareRecs(TListSortKey Key, int32_t RecA, int32_t RecB) const {
    const FileRec a = ReadRec(RecA);
    const FileRec b = ReadRec(RecB);
    if (!IsTextKey(Key)) return Compare3(SortNumber(Key, a), SortNumber(Key, b));
    return NameCollator().compare(ToQString(SortText(*this, Key, a)), ToQString(SortText(*this, Key, b)));
}

void TFolderListing::SortOrder(TListSortKey Key, bool Descending) {
    // Each row's key once, then a stable sort of the rows by their keys: the
    // same order as sorting with CompareRecs.
    const size_t rows = FileOrder.size();
    std::vector<size_t> order(rows);
    std::iota(order.begin(), order.end(), 0);
    if (IsTextKey(Key)) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(rows);
        for (int32_t recNo : FileOrder) keys.push_back(NameCollator().sortKey(ToQString(SortText(*this, Key, ReadRec(recNo)))));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int c = keys[a].compare(keys[b]);
            return Descending ? c > 0 : c < 0;
        });
    } else {
        std::vector<uint64_t> keys;
        keys.reserve(rows);
        for (int32_t recNo : FileOrder) keys.push_back(SortNumber(Key, ReadRec(recNo)));
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return Descending ? keys[a] > keys[b] : keys[a] < keys[b]; });
    }
    std::vector<int32_t> sorted;
    sorted.reserve(FileOrder.capacity());
    for (size_t i : order) sorted.push_back(FileOrder[i]);
    FileOrder = std::move(sorted);
}

void TFolderListing::ListSort_Begin() {
    Call(View.HourglassCursor, true);
    Call(View.ProcessMessages);
    Call(View.ListBeginUpdate);
    if (View.SelectedCount && View.SelectedCount() > 0) Call(View.ClearSelection);
    Call(View.DetachEvents);
}

void TFolderListing::ListSort_End() {
    Call(View.AttachEvents);
    Call(View.ListEndUpdate);
    Call(View.HourglassCursor, false);
}

void TFolderListing::SortRows(TListSortKey Key, bool Descending) {
    if (Key == TListSortKey::Comment && !CommentsLoaded) return;
    ListSort_Begin();
    if (Key != TListSortKey::Comment) {
        SortKey = Key;
        SortDescending = Descending;
    }
    SortOrder(Key, Descending);
    ListSort_End();
}

void TFolderListing::UserSort() {
    if (SortKey == TListSortKey::Comment || (SortKey == TListSortKey::Name && !SortDescending)) return;
    SortOrder(SortKey, SortDescending);
}

}  // namespace lumvor
