// The explorer's module state as a fresh program has it, for the tests that
// open the explorer window over a folder of their own: settings loaded and
// not saved, no cache folder chosen or measured, no visited folders, no cells
// held, the window 700 x 500 at (40, 30) in the list view.
#pragma once

#include "album/show8900.h"
#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "explorer/xplr8900.h"
#include "imaging/ThumbCache.h"

#include "explorer/FolderListing.h"
#include "imaging/FileRec.h"
#include "platform/SysUtils.h"

#include <QRect>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <string>

namespace lumvor::test {

// The test's program folder ($LUMVOR_HOME) with a trailing "/".
inline std::string LumvorHome() { return IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")); }

// Dates a file or folder a minute back, so that a listing takes it at once.
inline void MakeOld(const std::string& path) {
    namespace fs = std::filesystem;
    const auto then = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    fs::last_write_time(fs::path(ExcludeTrailingPathDelimiter(path)), then);
}

inline void ResetExplorerState() {
    using namespace xplr8900;
    lumv8900::ExplorerSettingsLoaded = true;
    lumv8900::SaveProfile = false;
    lumv8900::ShutDown = false;
    lumv8900::ThumbCacheDir.clear();
    show8900::ThumbPath.clear();
    ThumbRecOffset = 0;
    ThumbRoot.clear();
    ThumbFolderName.clear();
    ListingBusy = false;
    ExplorerActive = false;
    HistoryList.Clear();
    ThumbCells().Clear();
    SetExplorerDefaults(1280, 9);
    TExplorerControls(EControls).SetBounds(QRect(40, 30, 700, 500));
    TExplorerControls(EControls).SetListView(1);
}

// A fresh empty folder name/ in the test's home folder (LUMVOR_HOME), made
// the explored folder; its path with a trailing "/".
inline std::string FreshExploredFolder(const std::string& name) {
    const std::string folder = IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")) + name + "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ExploreDir = folder;
    return folder;
}

// Opens the explorer window over ExploreDir, shown and activated (its folder listed).
inline TFileForm* OpenExplorer() {
    using namespace xplr8900;
    FileForm = new TFileForm();
    FileForm->show();
    FileForm->FormActivate();
    return FileForm;
}

// Closes the explorer OpenExplorer opened and forgets what it left in the
// module state (the explored folder, the cache layout, the cells held).
inline void CloseExplorer() {
    using namespace xplr8900;
    delete FileForm;
    FileForm = nullptr;
    ExploreDir.clear();
    ThumbRecOffset = 0;
    ThumbCells().Clear();
}

// The record of a row of the open explorer's list.
inline FileRec ListedRec(int row) {
    FileRec rec;
    xplr8900::FileForm->Listing->RowRec(row, rec);
    return rec;
}

// The row of a listed name; -1 when it is not listed.
inline int ListedRow(const std::string& name) {
    const TFolderListing& listing = *xplr8900::FileForm->Listing;
    for (size_t row = 0; row < listing.FileOrder.size(); ++row)
        if (ListedRec(int(row)).Name() == name) return int(row);
    return -1;
}

}  // namespace lumvor::test
