// The zip window: a list of zip archives at the left, the entries of the
// focused archive in a grid at the right, and the commands that extract them.
//
// Archives are extracted in batches (the selected ones or all) beside
// themselves, into a sub-folder named after each archive, or into a folder the
// user picks; one chosen file of one archive can be extracted on its own.
// Damaged and skipped entries go to a log ("ZipErrs_Log.txt" in the program's
// data folder) that the user may open afterwards. After a clean run the
// archives may go to the trash: only archives whose directory was read intact
// and none of whose entries was skipped or damaged count as clean; an archive
// that cannot be trashed stays where it is and is never deleted instead.
//
// Archive paths keep their case everywhere: two paths that differ only in case
// are two archives. The window is created once, hides when closed while the
// program runs (emptying its archive list) and is freed at shut-down. Its
// bounds live in the explorer's settings record. GUI thread only; the
// commands guard themselves against re-entry while a run lets events through.
#pragma once

#include "platform/Classes.h"
#include "state/ZipWindowSeam.h"
#include "zip/reader/VCLUnZip.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QStatusBar;

namespace lumvor {

class TDropTargetEx;
class TMenuItem;
class TStringGrid;

class TUnZipForm : public QMainWindow, public TZipWindowSeam {
public:
    explicit TUnZipForm(QWidget* owner = nullptr);
    ~TUnZipForm() override;

    // The seam other windows call (state/ZipWindowSeam.h).
    QMainWindow& Form() override { return *this; }

    // ---- Components
    std::unique_ptr<TVCLUnZip> UnZipper;
    QListWidget* ZipSrcList;
    QSplitter* Splitter1;
    TStringGrid* ZipGrid;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel;
    TDropTargetEx* UnzipDropFiles;

    TMenuItem* mnuBatch;
    TMenuItem* mnuClear;
    TMenuItem* mnuAdd;
    TMenuItem* mnuRemove;
    TMenuItem* mnuDeleteZ;
    TMenuItem* Options1;
    TMenuItem* mnuOverwrite;
    TMenuItem* mnuCreateSubFolder;
    TMenuItem* mnuUnZipAll;
    TMenuItem* homeUnzip;
    TMenuItem* mnuUnZipSel;
    TMenuItem* mnuUnZIpFile;
    TMenuItem* mnuToolsU;
    TMenuItem* mnuViewerU;
    TMenuItem* mnuExplorerU;
    TMenuItem* mnuClose;
    TMenuItem* homeHelp;
    TMenuItem* mnuView;
    QMenu* BatchMenu;
    QMenu* OptionsMenu;
    QMenu* ExtractMenu;
    QMenu* ToolsMenu;

    // The errors and skips of the last run, one line each.
    TStringList ErrorLog;

    // Adds the archive to the list unless the list holds that exact path.
    // Called by the explorer and by the image window for an opened or dropped
    // archive, after they showed the window.
    void Populate(const std::string& ArchivePath) override;

    // The archive paths in the list, in list order.
    std::vector<std::string> Archives() const;
    // The grid name that the status shows and "Single &File" extracts.
    const std::string& SelectedFile() const { return selectedFile_; }
    // The status bar's text.
    std::string StatusText() const;
    // "ZipErrs_Log.txt" in the program's data folder.
    static std::string LogFileName();

    // ---- Commands and events
    void FormCreate();
    void UpdateStatus();
    // A click in the archive list: lists the focused archive.
    void ZipSrcListClick();
    void mnuViewClick();
    void ZipGridSelectCell(int Row);
    void mnuAddClick();
    void mnuRemoveClick();
    void mnuClearClick();
    void mnuDeleteZClick();
    void mnuBatchClick();
    void homeUnzipClick();
    void mnuOverwriteClick();
    void mnuCreateSubFolderClick();
    // "&Selected Zips" and "E&xtract all" (Sender mnuUnZipAll).
    void mnuUnZipSelClick(QObject* Sender);
    void mnuUnZIpFileClick();
    void mnuViewerUClick();
    void mnuExplorerUClick();
    void homeHelpClick();
    void mnuCloseClick();
    // Files dropped on the archive list (full paths).
    void DropFiles(const std::vector<std::string>& Files);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What became of one archive in a run.
    struct TArchiveRun {
        bool troubled = false;  // an entry was skipped or damaged
    };

    void BuildMenus();
    void BindUnZipper();
    void PlaceWindow();
    void SetGridRowHeights();
    void ClearGrid();
    // Adds the path unless present; true when added.
    bool AddArchive(const std::string& Path);
    std::vector<std::string> SelectedArchives() const;
    int SelectedCount() const;
    void SelectAllArchives();
    // Removes listed archives that no longer exist, each with a warning.
    void RemoveMissingArchives();
    // Removes the selected archives, then lists the focused one.
    void CutSelected();
    // Sends each archive that exists to the trash; those that could not go
    // are deselected and named in Failed.
    void RecycleArchives(const std::vector<std::string>& Paths, std::vector<std::string>& Failed);
    void LogLine(const std::string& Line);
    // Extracts one archive of a run into Target; false when it failed (the
    // exception is logged unless the user cancelled).
    bool ExtractArchive(const std::string& Archive, const std::string& Target, bool All, int Index,
                        int Listed, int& FileCount);
    // Notes in the log why an archive that extracted stays where it is.
    void NoteKeptArchive(const std::string& Archive, bool Troubled);
    void SaveLog();
    // Asks Question; Yes opens the log in the desktop's text viewer.
    void OfferLog(const std::string& Question, uint8_t DlgType, uint8_t DefaultButton);
    void ShowRunStart();
    void RunEnded();
    void RecycleAfterRun(bool ExtractAll, bool ToSource);
    void RefreshExplorer();
    void ReportRecycleFailures(const std::vector<std::string>& Failed);

    std::string selectedFile_;
    // Path of the selected grid row and the archive it was listed from.
    std::string selectedEntryPath_;
    std::string selectedEntryArchive_;
    // The listed archive and the stored path of each grid row.
    std::string listedArchive_;
    std::vector<std::string> rowPaths_;
    int selectedArchives_ = 0;
    int progressCount_ = 0;
    bool busy_ = false;
    bool listing_ = false;
    bool shown_ = false;
    bool listChanging_ = false;
    TArchiveRun current_;
    QSize boundsToFit_;
};

namespace Unzip_8900 {
// Created on demand, once.
inline TUnZipForm* UnZipForm = nullptr;
inline bool UnZipFormCreated = false;
// UnZipForm, made when there is none (the zip window's maker behind EnsureZipWindow).
TZipWindowSeam& MakeUnZipForm();
}  // namespace Unzip_8900

}  // namespace lumvor
