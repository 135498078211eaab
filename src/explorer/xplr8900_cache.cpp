// The explorer's cache commands: Tools, Cache, Info and Clear; Tools, Recent,
// Clear; and Redo thumbs.
#include "explorer/xplr8900.h"

#include "state/ViewerState.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ShellProperties.h"
#include "explorer/ThumbCacheClear.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <numeric>
#include <vector>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr uint16_t OkCancel = ButtonBit(mbOK) | ButtonBit(mbCancel);

bool AskOkCancel(const std::string& Question) {
    return voMessageDlg("", "", Question, mtWarning, OkCancel, AutoDefaultButton, 0) == mrOk;
}

// The folder of the visited-folder links.
std::string RecentFolder() {
    if (lumv8900::RecentPath.empty()) lumv8900::RecentPath = ProgramFolder() + "recent";
    return lumv8900::RecentPath;
}

void DeleteWhenPresent(const std::string& Path) {
    if (FileExists(Path) || DirectoryExists(Path)) DeleteFileNow(ExcludeTrailingPathDelimiter(Path));
}

}  // namespace

// The properties of the cache root: its size and how many files it holds.
void TFileForm::mnuCacheInfoClick(QObject*) {
    TOwnCall own(this);
    PrepareThumbFolder(ThumbMaker->Jpeg.get());
    ShowShellProperties(ThumbRoot, this);
}

void TFileForm::mnuCacheKillClick(QObject*) {
    TOwnCall own(this);
    PrepareThumbFolder(ThumbMaker->Jpeg.get());
    if (!AskOkCancel("Delete thumbnail cache of " + UpperCase("all visited folders?"))) return;
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    if (ThumbnailView()) mnuViewListClick(this);
    for (int pass = 0; pass < 3; ++pass) Application.ProcessMessages();
    // PENDING: the slide album stops its thumbnails and shows its details view (ThumbnailingOn, ThumbsDone, mnuViewDetailsClick).

    ClearThumbCache(ThumbRoot);
    ThumbCells().Clear();
    PrepareThumbFolder(ThumbMaker->Jpeg.get());
    DeleteWhenPresent(RecentFolder());
    DeleteWhenPresent(HistoryListFile());
    mnuRefreshClick(this);
}

void TFileForm::mnuKillRecentClick(QObject*) {
    TOwnCall own(this);
    HistoryList.Clear();
    HistoryIndex = -1;
    const std::string recent = RecentFolder();
    if (!AskOkCancel("Delete all Recent folder links?")) return;
    // A folder cannot be listed while it is deleted: the explorer leaves it first.
    const std::string folder = IncludeTrailingPathDelimiter(recent);
    if (ExploreDir.rfind(folder, 0) == 0) {
        ExploreDir = HomeFolder();
        LookBox->SetFolder(ExploreDir);
    }
    DeleteWhenPresent(recent);
    DeleteWhenPresent(HistoryListFile());
}

// Every selected row (every row without a selection), from the last: a file's
// cache file goes and its record waits for the main thread's maker without
// the embedded preview; folders and drives stay as they are.
void TFileForm::mnuRedoThumbsClick(QObject*) {
    TOwnCall own(this);
    std::vector<int> rows = XL->SelectedRows();
    if (rows.empty()) {
        rows.resize(Listing->FileOrder.size());
        std::iota(rows.begin(), rows.end(), 0);
    }
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        FileRec rec;
        int32_t recNo = -1;
        if (!Listing->RowRec(*row, rec, &recNo) || rec.State() == fsFolder || rec.State() == fsDrive) continue;
        rec.SetState(fsPending);
        rec.SetMark(FileRecMarkRetry);
        Listing->WriteRec(recNo, rec);
        const TThumbFile cache = ThumbRecFile(rec);
        DeleteThumbFile(cache.Path);
        ThumbCells().Invalidate(cache.Path);
        Application.ProcessMessages();
    }
    ThumbCount = -1;
    InstallExplorerIdle(&TFileForm::RedoIdle);
}

}  // namespace lumvor
