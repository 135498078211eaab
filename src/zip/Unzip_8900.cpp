#include "zip/Unzip_8900.h"

#include "ui/AppIcons.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/ExplorerSettings.h"
#include "state/ExplorerState.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Grids.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/DragDrop.h"
#include "ui/FormParts.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>

#include <sys/stat.h>


namespace lumvor {

namespace {

constexpr long HelpTopic = 150;
// The archive list's width; the window is this much wider by default.
constexpr int ArchiveListWidth = 185;
constexpr int GridWidthBeyondList = 372;
constexpr int DefaultHeight = 360;
// The shell's "normal" show state for ExecuteFile.
constexpr int ShowNormal = 1;
// ExecuteFile answers below this when nothing could open the file.
constexpr int ShellFailureBelow = 33;

std::string S(const QString& text) { return text.toStdString(); }

// The class library's default date-time text (short date, then the long time
// unless it is midnight), lower-cased as the grid shows it.
std::string DateStampText(TDateTime value) {
    int hour = 0, minute = 0, second = 0, ms = 0;
    DecodeTime(value, hour, minute, second, ms);
    const bool midnight = hour == 0 && minute == 0 && second == 0;
    return LowerCase(FormatDateTime(midnight ? "m/d/yyyy" : "m/d/yyyy h:nn:ss AM/PM", value));
}

// A pattern that the reader's wildcard matching takes literally.
std::string LiteralPattern(const std::string& name) {
    std::string pattern;
    for (char c : name) {
        if (c == '*' || c == '?' || c == '[')
            pattern += std::string("[") + c + "]";
        else
            pattern += c;
    }
    return pattern;
}

// Another window's long run holds the status box: say so; true when one does.
bool OtherRunBusy() {
    if (!IsBusy)
        return false;
    voMessageDlg("", "", "A critical process is being executed.\nCancel the process to proceed.", mtWarning, mbOKOnly,
                 AutoDefaultButton, 0);
    return true;
}

bool ShiftHeld() { return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier; }

int Ask(const std::string& caption, const std::string& text, uint8_t type, uint16_t buttons, uint8_t defaultButton,
        long help = 0) {
    return voMessageDlg("", caption, text, type, buttons, defaultButton, help);
}

TMenuItem* NewItem(QWidget* owner, const char* name, const char* caption, QKeyCombination shortcut = {}) {
    auto* item = new TMenuItem(caption, owner);
    item->setObjectName(name);
    if (shortcut != QKeyCombination())
        item->setShortcut(QKeySequence(shortcut));
    owner->addAction(item);
    return item;
}

TMenuItem* NewMenu(QWidget* owner, QMenuBar* bar, const char* name, const char* caption, QMenu*& menu) {
    menu = new QMenu(owner);
    menu->setObjectName(QString(name) + "Menu");
    auto* item = new TMenuItem(caption, owner);
    item->setObjectName(name);
    item->setMenu(menu);
    bar->addAction(item);
    return item;
}

}  // namespace

TUnZipForm::TUnZipForm(QWidget* owner) : QMainWindow(owner), UnZipper(std::make_unique<TVCLUnZip>()) {
    setObjectName("UnZipForm");
    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    ZipSrcList = new QListWidget(Splitter1);
    ZipSrcList->setObjectName("ZipSrcList");
    ZipSrcList->setSortingEnabled(true);
    ZipSrcList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ZipSrcList->setFrameShape(QFrame::NoFrame);
    ZipSrcList->setUniformItemSizes(true);
    // Long paths lose their middle, so that the archive's name stays in sight.
    ZipSrcList->setTextElideMode(Qt::ElideMiddle);
    ZipSrcList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ZipGrid = new TStringGrid(Splitter1);
    ZipGrid->setObjectName("ZipGrid");
    Splitter1->addWidget(ZipSrcList);
    Splitter1->addWidget(ZipGrid);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({ArchiveListWidth, GridWidthBeyondList});
    setCentralWidget(Splitter1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName("StatusPanel");
    StatusBar1->addWidget(StatusPanel, 1);
    setStatusBar(StatusBar1);

    UnzipDropFiles = new TDropTargetEx(this);
    UnzipDropFiles->setObjectName("UnzipDropFiles");
    UnzipDropFiles->SetShowMenu(false);
    UnzipDropFiles->SetDropControl(ZipSrcList);
    UnzipDropFiles->SetEffects(DropSet(drCopy));
    UnzipDropFiles->SetActive(true);
    UnzipDropFiles->OnDrop = [this](const QMimeData*, int, TPoint, int&) {
        std::vector<std::string> files;
        for (int i = 0; i < UnzipDropFiles->Files.Count(); ++i)
            files.push_back(UnzipDropFiles->Files[i]);
        DropFiles(files);
    };

    BuildMenus();
    BindUnZipper();
    ConnectGuarded(ZipSrcList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!listChanging_)
            ZipSrcListClick();
    });
    ZipGrid->OnSelectCell = [this](int row) { ZipGridSelectCell(row); };
    FormCreate();
    Unzip_8900::ZipWindow = this;
}

TUnZipForm::~TUnZipForm() {
    if (Unzip_8900::UnZipForm == this)
        Unzip_8900::UnZipForm = nullptr;
    Unzip_8900::UnZipFormCreated = false;
    if (Unzip_8900::ZipWindow == this)
        Unzip_8900::ZipWindow = nullptr;
}

TZipWindowSeam& Unzip_8900::MakeUnZipForm() {
    if (!UnZipForm) {
        UnZipForm = new TUnZipForm();
        UnZipFormCreated = true;
    }
    return *UnZipForm;
}

void TUnZipForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    mnuBatch = NewMenu(this, bar, "mnuBatch", "&Archives", BatchMenu);
    mnuClear = NewItem(this, "mnuClear", "&Clear");
    mnuAdd = NewItem(this, "mnuAdd", "&Add");
    mnuRemove = NewItem(this, "mnuRemove", "&Cut");
    mnuDeleteZ = NewItem(this, "mnuDeleteZ", "&Delete");
    BatchMenu->addActions({mnuClear, mnuAdd, mnuRemove, mnuDeleteZ});

    Options1 = NewMenu(this, bar, "Options1", "&Options", OptionsMenu);
    mnuOverwrite = NewItem(this, "mnuOverwrite", "&Skip duplicate target files");
    mnuOverwrite->SetChecked(false);
    mnuCreateSubFolder = NewItem(this, "mnuCreateSubFolder", "Auto-extract to sub-folder");
    mnuCreateSubFolder->SetChecked(true);
    OptionsMenu->addActions({mnuOverwrite, mnuCreateSubFolder});

    mnuUnZipAll = NewItem(this, "mnuUnZipAll", "E&xtract all");
    mnuUnZipAll->setEnabled(false);
    bar->addAction(mnuUnZipAll);

    homeUnzip = NewMenu(this, bar, "homeUnzip", "&Extract", ExtractMenu);
    mnuUnZipSel = NewItem(this, "mnuUnZipSel", "&Selected Zips");
    mnuUnZIpFile = NewItem(this, "mnuUnZIpFile", "Single &File");
    ExtractMenu->addAction(mnuUnZipSel);
    ExtractMenu->addSeparator();
    ExtractMenu->addAction(mnuUnZIpFile);

    mnuToolsU = NewMenu(this, bar, "mnuToolsU", "&Tools", ToolsMenu);
    mnuViewerU = NewItem(this, "mnuViewerU", "&Viewer", Qt::ALT | Qt::Key_Home);
    mnuExplorerU = NewItem(this, "mnuExplorerU", "&Explorer", Qt::CTRL | Qt::Key_E);
    ToolsMenu->addActions({mnuViewerU, mnuExplorerU});

    mnuClose = NewItem(this, "mnuClose", "&Close");
    bar->addAction(mnuClose);
    homeHelp = NewItem(this, "homeHelp", "&Help");
    bar->addAction(homeHelp);
    mnuView = NewItem(this, "mnuView", "&View");
    mnuView->setVisible(false);

    using Command = void (TUnZipForm::*)();
    const std::pair<QAction*, Command> commands[] = {
        {mnuClear, &TUnZipForm::mnuClearClick},         {mnuAdd, &TUnZipForm::mnuAddClick},
        {mnuRemove, &TUnZipForm::mnuRemoveClick},       {mnuDeleteZ, &TUnZipForm::mnuDeleteZClick},
        {mnuOverwrite, &TUnZipForm::mnuOverwriteClick}, {mnuCreateSubFolder, &TUnZipForm::mnuCreateSubFolderClick},
        {mnuUnZIpFile, &TUnZipForm::mnuUnZIpFileClick}, {mnuViewerU, &TUnZipForm::mnuViewerUClick},
        {mnuExplorerU, &TUnZipForm::mnuExplorerUClick}, {mnuClose, &TUnZipForm::mnuCloseClick},
        {homeHelp, &TUnZipForm::homeHelpClick},         {mnuView, &TUnZipForm::mnuViewClick},
    };
    for (const auto& [item, command] : commands)
        ConnectGuarded(item, &QAction::triggered, this, [this, command = command] { (this->*command)(); });
    // Both batch commands share one handler, told apart by their sender.
    for (TMenuItem* batch : {mnuUnZipAll, mnuUnZipSel})
        ConnectGuarded(batch, &QAction::triggered, this, [this, batch] { mnuUnZipSelClick(batch); });
    ConnectGuarded(BatchMenu, &QMenu::aboutToShow, this, [this] { mnuBatchClick(); });
    ConnectGuarded(ExtractMenu, &QMenu::aboutToShow, this, [this] { homeUnzipClick(); });
}

void TUnZipForm::BindUnZipper() {
    TVCLUnZip& z = *UnZipper;
    z.IncompleteZipMode = izAssumeBad;
    z.KeepZipOpen = true;
    z.OnTotalPercentDone = [this](TVCLUnZip*, int percent) {
        if (StatusForm)
            StatusForm->ProgressFolders->setValue(percent);
        ++progressCount_;
        Application.ProcessMessages();
    };
    z.OnBadCRC = [this](TVCLUnZip* zip, uint32_t, uint32_t, int index) {
        current_.troubled = true;
        LogLine(zip->Pathname(index) + " in " + zip->ZipName() + " is corrupted (bad CRC).");
    };
    z.OnSkippingFile = [this](TVCLUnZip* zip, TSkipReason reason, int index) {
        current_.troubled = true;
        const std::string entry = zip->Pathname(index) + " in " + zip->ZipName();
        switch (reason) {
        case srBadPassword:
            LogLine(entry + " needs a password; skipped.");
            break;
        case srNoOverwrite:
            LogLine(entry + " exists; skipped.");
            break;
        default:
            LogLine(entry + ": " + SkipReasonText(reason) + ".");
            break;
        }
    };
    z.OnInCompleteZip = [this](TVCLUnZip* zip, TIncompleteZipMode&) {
        // The mode stays izAssumeBad: the entries are recovered from the local headers.
        if (busy_)
            return;
        Ask("", zip->ZipName() + "\n" + "is incomplete or corrupted.", mtError, ButtonBit(mbAbort), AutoDefaultButton);
        selectedFile_.clear();
        selectedEntryPath_.clear();
    };
    z.OnProcessMessages = [this] {
        Application.ProcessMessages();
        // The status box's Cancel also stops the archive being extracted.
        if (busy_ && CancelPressed)
            UnZipper->CancelOperation = true;
    };
    z.OnMessage = [](const std::string& text, const std::string& caption, TZipMessageKind kind) {
        Ask(caption, text, kind == zmError ? mtError : mtWarning, mbOKOnly, AutoDefaultButton);
    };
    z.OnBusyCursor = [](bool busy) { Screen.SetCursor(busy ? crHourGlass : crDefault); };
}

// ---- Creation, placement and status

void TUnZipForm::FormCreate() {
    setWindowIcon(ProgramIcon("lumvor"));
    setWindowTitle("Lumvor 8.9 UnZipper");
    Unzip_8900::UnZipFormCreated = true;
    ErrorLog.Clear();
    SetGridRowHeights();
    const char* headers[] = {" Name", " Date Stamp", " Size", " %", " PackSize"};
    const int widths[] = {92, 80, 60, 32, 60};
    ZipGrid->SetColCount(5);
    for (int c = 0; c < 5; ++c) {
        ZipGrid->SetCells(c, 0, headers[c]);
        ZipGrid->SetColWidths(c, widths[c]);
    }
    ZipGrid->SetRowCount(2);
    if (lumv8900::ImageWindow && lumv8900::ImageWindow->WindowStatusBar())
        StatusBar1->setFixedHeight(lumv8900::ImageWindow->WindowStatusBar()->sizeHint().height());
    PlaceWindow();
}

void TUnZipForm::SetGridRowHeights() {
    const int itemHeight = ZipSrcList->fontMetrics().height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int ppi = screen ? int(screen->logicalDotsPerInch()) : 96;
    const int rowHeight = ppi > 96 ? itemHeight + ppi * 4 / 96 : itemHeight + 2;
    ZipGrid->SetRowHeights(rowHeight, rowHeight + 3);
}

void TUnZipForm::PlaceWindow() {
    const QRect stored = xplr8900::TExplorerControls(xplr8900::EControls).ZipBounds();
    const int width = ArchiveListWidth + GridWidthBeyondList;
    if (stored.left() != -1) {
        const bool fits = stored.left() >= 0 && stored.top() >= 0 && stored.right() < Screen.Width() &&
                          stored.bottom() < Screen.Height();
        if (fits) {
            move(stored.topLeft());
            resize(stored.size());
            boundsToFit_ = stored.size();
        } else {
            move(0, 0);
            resize(width, Screen.Height() / 2);
        }
        return;
    }
    resize(width, DefaultHeight);
    move(std::max(0, (Screen.Width() - width) / 2), std::max(0, (Screen.Height() - DefaultHeight) / 2));
}

std::string TUnZipForm::StatusText() const { return S(StatusPanel->text()); }

void TUnZipForm::UpdateStatus() {
    selectedArchives_ = SelectedCount();
    std::string text;
    if (selectedArchives_ > 1) {
        text = " " + IntToStr(selectedArchives_) + " archives selected for batch.";
    } else if (selectedArchives_ == 1) {
        if (selectedFile_.empty())
            selectedFile_ = S(ZipGrid->Cells(0, 1));
        text = "[ Archive: " + ExtractFileName(SelectedArchives().front()) + " ]   File selected: " + selectedFile_;
    } else {
        text = "Ready.";
    }
    StatusPanel->setText(Q(text));
    mnuUnZipAll->setEnabled(ZipSrcList->count() > 0);
}

void TUnZipForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_ && !boundsToFit_.isEmpty()) {
        // The stored bounds include the window frame; the frame is known once shown.
        const QSize frame = frameGeometry().size() - size();
        if (frame.width() > 0 || frame.height() > 0)
            resize(boundsToFit_ - frame);
    }
    shown_ = true;
    Guarded([this] { UpdateStatus(); });
}

void TUnZipForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded([this] {
            UpdateStatus();
            if (lumv8900::ImageWindow)
                lumv8900::ImageWindow->ShortCuts_Disable();
        });
}

void TUnZipForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TUnZipForm::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A run is under way: stop it first.
        CancelPressed = 1;
        event->ignore();
        return;
    }
    event->accept();
    if (lumv8900::ShutDown) {
        ErrorLog.Clear();
        deleteLater();
        return;
    }
    Guarded([this] {
        listChanging_ = true;
        ZipSrcList->clear();
        listChanging_ = false;
        selectedFile_.clear();
        selectedEntryPath_.clear();
        ClearGrid();
        ZipGrid->SetRowCount(2);
        UpdateStatus();
    });
}

// ---- The archive list

std::vector<std::string> TUnZipForm::Archives() const {
    std::vector<std::string> paths;
    for (int i = 0; i < ZipSrcList->count(); ++i)
        paths.push_back(S(ZipSrcList->item(i)->text()));
    return paths;
}

std::vector<std::string> TUnZipForm::SelectedArchives() const {
    std::vector<std::string> paths;
    for (int i = 0; i < ZipSrcList->count(); ++i)
        if (ZipSrcList->item(i)->isSelected())
            paths.push_back(S(ZipSrcList->item(i)->text()));
    return paths;
}

int TUnZipForm::SelectedCount() const { return int(ZipSrcList->selectedItems().size()); }

bool TUnZipForm::AddArchive(const std::string& Path) {
    const QString path = Q(Path);
    for (int i = 0; i < ZipSrcList->count(); ++i)
        if (ZipSrcList->item(i)->text() == path)
            return false;
    auto* item = new QListWidgetItem(path);
    item->setToolTip(path);
    ZipSrcList->addItem(item);
    return true;
}

void TUnZipForm::Populate(const std::string& ArchivePath) {
    AddArchive(ArchivePath);
    UpdateStatus();
}

void TUnZipForm::SelectAllArchives() {
    listChanging_ = true;
    ZipSrcList->selectAll();
    listChanging_ = false;
}

void TUnZipForm::RemoveMissingArchives() {
    for (int i = ZipSrcList->count() - 1; i >= 0; --i) {
        const std::string path = S(ZipSrcList->item(i)->text());
        if (FileExists(path))
            continue;
        listChanging_ = true;
        delete ZipSrcList->takeItem(i);
        listChanging_ = false;
        Ask("", "Missing file!\n" + path + "\n" + "Item removed from list.", mtWarning, mbOKOnly, AutoDefaultButton);
    }
}

void TUnZipForm::DropFiles(const std::vector<std::string>& Files) {
    for (const std::string& file : Files) {
        if (LowerCase(ExtractFileExt(file)) != ".zip" || !FileExists(file))
            continue;
        if (ZipSrcList->count() > 0)
            Populate(file);
        else
            AddArchive(file);
    }
    UpdateStatus();
}

void TUnZipForm::mnuAddClick() {
    if (busy_ || !lumv8900::ImageWindow)
        return;
    TMeOpenDialogEx& dialog = lumv8900::ImageWindow->SharedOpenDialog();
    const TOpenOptions singleSelect = dialog.Options & ~TOpenOptions(ofAllowMultiSelect);
    dialog.Options |= ofAllowMultiSelect;
    dialog.Filter = "ZIP (compressed archive)|*.zip";
    dialog.Title = "Select source *.zip file(s)";
    dialog.HelpContext = HelpTopic;
    dialog.DefaultExt = "zip";
    dialog.SetFileName("");
    while (!dialog.Execute()) {
        if (!dialog.ExecuteRecent) {
            dialog.Options = singleSelect;
            return;
        }
        dialog.SetInitialDir(lumv8900::EnsureRecentPath());
    }
    const std::string folder = ExtractFilePath(dialog.FileName());
    lumv8900::ImageWindow->AddToAppRecent(folder);
    dialog.Options = singleSelect;
    dialog.SetInitialDir(folder);
    for (int i = 0; i < dialog.Files.Count(); ++i)
        AddArchive(dialog.Files[i]);
    UpdateStatus();
}

void TUnZipForm::CutSelected() {
    listChanging_ = true;
    for (QListWidgetItem* item : ZipSrcList->selectedItems())
        delete ZipSrcList->takeItem(ZipSrcList->row(item));
    listChanging_ = false;
    mnuViewClick();
    selectedFile_.clear();
    selectedEntryPath_.clear();
    UpdateStatus();
    ZipGrid->SetRowCount(2);
    if (ZipSrcList->count() == 0) {
        mnuClearClick();
        return;
    }
    if (QListWidgetItem* focused = ZipSrcList->currentItem()) {
        listChanging_ = true;
        focused->setSelected(true);
        listChanging_ = false;
        ZipSrcListClick();
    }
}

void TUnZipForm::mnuRemoveClick() {
    if (busy_)
        return;
    CutSelected();
}

void TUnZipForm::mnuClearClick() {
    if (busy_)
        return;
    listChanging_ = true;
    ZipSrcList->clear();
    listChanging_ = false;
    mnuViewClick();
    selectedFile_.clear();
    selectedEntryPath_.clear();
    UpdateStatus();
    ZipGrid->SetRowCount(2);
}

void TUnZipForm::RecycleArchives(const std::vector<std::string>& Paths, std::vector<std::string>& Failed) {
    for (const std::string& path : Paths) {
        if (!FileExists(path) || RecycleFile(path))
            continue;
        // Never deleted in its place: the archive stays listed and on disk.
        Failed.push_back(path);
        listChanging_ = true;
        for (int i = 0; i < ZipSrcList->count(); ++i)
            if (S(ZipSrcList->item(i)->text()) == path)
                ZipSrcList->item(i)->setSelected(false);
        listChanging_ = false;
    }
}

void TUnZipForm::ReportRecycleFailures(const std::vector<std::string>& Failed) {
    if (Failed.empty())
        return;
    for (const std::string& path : Failed)
        LogLine(path + " could not be moved to the trash; it was left where it is.");
    SaveLog();
    OfferLog("Some ZIP archives could not be recycled.\nView log?", mtWarning, mbYes);
}

void TUnZipForm::mnuDeleteZClick() {
    if (busy_)
        return;
    const std::vector<std::string> selected = SelectedArchives();
    if (selected.empty())
        return;
    if (Ask("", "Recycle " + IntToStr(int(selected.size())) + " ZIP archive(s) ?", mtConfirmation, mbYesNo, mbNo) ==
        mrNo)
        return;
    ErrorLog.Clear();
    std::vector<std::string> failed;
    RecycleArchives(selected, failed);
    CutSelected();
    ReportRecycleFailures(failed);
}

void TUnZipForm::mnuBatchClick() {
    const bool any = SelectedCount() > 0;
    mnuRemove->setEnabled(any);
    mnuDeleteZ->setEnabled(any);
    mnuUnZipAll->setEnabled(ZipSrcList->count() > 0);
}

void TUnZipForm::homeUnzipClick() {
    const int selected = SelectedCount();
    mnuUnZipSel->setEnabled(selected >= 1);
    mnuUnZIpFile->setEnabled(selected == 1 && !selectedFile_.empty());
    mnuUnZipAll->setEnabled(ZipSrcList->count() > 0);
}

// ---- Listing

void TUnZipForm::ClearGrid() {
    ZipGrid->BeginUpdate();
    for (auto& row : ZipGrid->DataRows())
        for (QString& cell : row)
            cell.clear();
    ZipGrid->EndUpdate();
    rowPaths_.clear();
}

void TUnZipForm::ZipSrcListClick() {
    ZipGrid->SetRowCount(2);
    mnuViewClick();
    UpdateStatus();
}

void TUnZipForm::mnuViewClick() {
    if (listing_ || busy_)
        return;
    QListWidgetItem* focused = ZipSrcList->currentItem();
    if (ZipSrcList->count() == 0 || SelectedCount() == 0 || !focused) {
        ClearGrid();
        selectedFile_.clear();
        selectedEntryPath_.clear();
        return;
    }
    listing_ = true;
    struct Done {
        TUnZipForm* form;
        ~Done() {
            form->UnZipper->ClearZip();
            form->listing_ = false;
        }
    } done{this};
    ErrorLog.Clear();
    const std::string archive = S(focused->text());
    TVCLUnZip& z = *UnZipper;
    z.SetZipName(archive);
    Application.ProcessMessages();
    try {
        z.ReadZip();
    } catch (const Exception&) {
        ClearGrid();
        throw;
    }
    const int count = z.Count();
    ZipGrid->BeginUpdate();
    ZipGrid->SetRowCount(count + 1);
    rowPaths_.assign(size_t(count), std::string());
    std::vector<std::vector<QString>>& rows = ZipGrid->DataRows();
    for (int i = 0; i < count; ++i) {
        std::vector<QString>& cells = rows[size_t(i)];
        cells.assign(5, QString());
        const TZipHeaderInfo& entry = z.Entry(i);
        // A folder entry has no file name: it shows as its stored path.
        cells[0] = Q(entry.FileName().empty() ? entry.PathName() : entry.FileName());
        rowPaths_[size_t(i)] = entry.PathName();
        const int64_t size = entry.UncompressedSize, packed = entry.CompressedSize;
        if (size >= 1 && packed >= 1) {
            cells[1] = Q(DateStampText(z.DateTime(i)));
            cells[2] = QString::number(size);
            cells[3] = QString::number((size - packed) * 100 / size);
            cells[4] = QString::number(packed);
        }
    }
    ZipGrid->EndUpdate();
    ZipGrid->FitColumnsToTexts();
    listedArchive_ = archive;
    UpdateStatus();
}

void TUnZipForm::ZipGridSelectCell(int Row) {
    selectedFile_ = S(ZipGrid->Cells(0, Row));
    const size_t index = size_t(Row - 1);
    selectedEntryPath_ = index < rowPaths_.size() ? rowPaths_[index] : std::string();
    selectedEntryArchive_ = listedArchive_;
    UpdateStatus();
}

// ---- Options

void TUnZipForm::mnuOverwriteClick() {
    const bool skip = mnuOverwrite->isChecked();
    UnZipper->OverwriteMode = skip ? Never : Prompt;
    Ask("",
        skip ? "If a target file exists, it will not be extracted."
             : "If a target file exists, a numbered duplicate will be created.",
        mtInformation, mbOKHelp, mbOK, HelpTopic);
}

void TUnZipForm::mnuCreateSubFolderClick() {
    Ask("", std::string("Auto-extract to sub-folder ") + (mnuCreateSubFolder->isChecked() ? "ENABLED." : "DISABLED."),
        mtInformation, mbOKHelp, mbOK, HelpTopic);
}

// ---- Runs

void TUnZipForm::LogLine(const std::string& Line) { ErrorLog.Add(Line); }

std::string TUnZipForm::LogFileName() { return AddBackslash(ProgramFolder()) + "ZipErrs_Log.txt"; }

void TUnZipForm::SaveLog() { ErrorLog.SaveToFile(LogFileName()); }

void TUnZipForm::OfferLog(const std::string& Question, uint8_t DlgType, uint8_t DefaultButton) {
    if (Ask("", Question, DlgType, mbYesNo, DefaultButton) != mrYes)
        return;
    const int result =
        lumv8900::ImageWindow ? lumv8900::ImageWindow->ExecuteFile(LogFileName(), "open", "", ShowNormal) : 0;
    if (result < ShellFailureBelow)
        Ask("", "Text viewer not found.", mtError, ButtonBit(mbAbort), AutoDefaultButton);
}

void TUnZipForm::ShowRunStart() {
    if (lumv8900::ImageWindow)
        lumv8900::ImageWindow->Explorer_UpdateLater();
    ErrorLog.Clear();
    CancelPressed = 0;
    ShowStatusForm("Unzipping ...");
    StatusForm->ProgressThumbs->setValue(1);
    StatusForm->ProgressFolders->setValue(0);
    StatusForm->LabelText("", "", "");
    StatusForm->lblThumbs->clear();
    StatusForm->lblFolder->clear();
    busy_ = true;
    IsBusy = 1;  // cleared when the status box closes
    Application.ProcessMessages();
}

void TUnZipForm::RunEnded() {
    if (StatusForm)
        StatusForm->Close();
    IsBusy = 0;
    busy_ = false;
}

void TUnZipForm::RefreshExplorer() {
    if (lumv8900::ImageWindow)
        lumv8900::ImageWindow->Explorer_Refresh();
}

bool TUnZipForm::ExtractArchive(const std::string& Archive, const std::string& Target, bool All, int Index,
                                int Listed, int& FileCount) {
    TVCLUnZip& z = *UnZipper;
    current_ = TArchiveRun{};
    bool ok = true;
    try {
        z.SetZipName(Archive);
        if (StatusForm) {
            StatusForm->LabelText(ExtractFileName(Archive), "Archives:", "Files:");
            StatusForm->ProgressThumbs->setValue(Listed > 0 ? (Index + 1) * 100 / Listed : 0);
        }
        Application.ProcessMessages();
        z.ReadZip();
        Application.ProcessMessages();
        if (CancelPressed) {
            z.ClearZip();
            return false;
        }
        z.DoAll = All;
        if (!All) {
            const bool known = selectedEntryArchive_ == Archive && !selectedEntryPath_.empty();
            TStringList patterns;
            patterns.Add(LiteralPattern(known ? selectedEntryPath_ : selectedFile_));
            z.SetFilesList(patterns);
        } else {
            z.FilesList.Clear();
        }
        z.SetDestDir(Target);
        z.RecreateDirs = true;
        z.RetainAttributes = true;
        FileCount += z.UnZip();
        if (All)
            NoteKeptArchive(Archive, current_.troubled);
    } catch (const EUserCanceled&) {
        ok = false;
    } catch (const Exception& e) {
        LogLine(Archive + ": " + e.Message());
        ok = false;
    }
    if (!ok) {
        CancelPressed = 1;
        listChanging_ = true;
        for (int i = 0; i < ZipSrcList->count(); ++i)
            if (S(ZipSrcList->item(i)->text()) == Archive)
                ZipSrcList->item(i)->setSelected(false);
        listChanging_ = false;
    }
    z.ClearZip();
    return ok;
}

void TUnZipForm::NoteKeptArchive(const std::string& Archive, bool Troubled) {
    const TVCLUnZip& z = *UnZipper;
    if (z.Recovered() || z.Count() != z.EndRecord().TotalEntries)
        LogLine(Archive + " is incomplete or corrupted: its entries were recovered as far as they could be; "
                          "the archive was not recycled.");
    else if (Troubled)
        LogLine(Archive + ": some entries were not extracted; the archive was not recycled.");
}

void TUnZipForm::mnuUnZipSelClick(QObject* Sender) {
    if (busy_ || OtherRunBusy())
        return;
    const bool extractAll = Sender == mnuUnZipAll;
    bool toSource = ShiftHeld();
    if (!toSource && ZipSrcList->count() > 0) {
        const int answer = Ask("Extract " + IntToStr(ZipSrcList->count()) + " ZIP archive(s)",
                               "Extract all to source folders?", mtConfirmation,
                               ButtonBit(mbYes) | ButtonBit(mbNo) | ButtonBit(mbCancel) | ButtonBit(mbHelp), mbYes,
                               HelpTopic);
        if (answer == mrYes)
            toSource = true;
        else if (answer != mrNo)
            return;
    }
    RemoveMissingArchives();
    if (extractAll)
        SelectAllArchives();
    std::vector<std::string> selected = SelectedArchives();
    if (selected.empty()) {
        Ask("", "No ZIPs selected.", mtWarning, ButtonBit(mbAbort), AutoDefaultButton);
        return;
    }
    std::string target = ExtractFilePath(S(ZipSrcList->item(0)->text()));
    const bool subFolders = mnuCreateSubFolder->isChecked();
    if (subFolders)
        toSource = true;
    if (!DirectoryExists(target))
        toSource = false;
    if (!toSource) {
        const std::string caption = selected.size() > 1
                                        ? "Extract " + IntToStr(int(selected.size())) + " ZIP files to "
                                        : "Extract \"" + ExtractFileName(selected.front()) + "\" to";
        if (!ExecuteWalkForm(0, caption, target))
            return;
        target = walk8900::WalkFolder;
        if (target.empty() || target == "/")
            return;
    }

    ShowRunStart();
    int fileCount = 0;
    bool error = false;
    std::string last;
    const std::vector<std::string> listed = Archives();
    for (size_t i = 0; i < listed.size(); ++i) {
        const std::string& archive = listed[i];
        if (std::find(selected.begin(), selected.end(), archive) == selected.end())
            continue;
        Application.ProcessMessages();
        if (CancelPressed)
            break;
        progressCount_ = 0;
        std::string dest = toSource ? ExtractFilePath(archive) : target;
        if (subFolders) {
            dest = ChangeFileExt(archive, "");
            if (!DirectoryExists(dest))
                ::mkdir(dest.c_str(), 0777);
        }
        last = archive;
        if (!ExtractArchive(archive, dest, true, int(i), int(listed.size()), fileCount))
            error = true;
    }
    RunEnded();

    const bool several = listed.size() > 1;
    const std::string counted = IntToStr(fileCount) + " file(s) unzipped.";
    if (ErrorLog.Count() > 0) {
        toSource = false;
        LogLine("Last archive processed: " + last);
        SaveLog();
        OfferLog((several ? "Batch extraction aborted.\nSome ZIP files were not processed.\nLast archive processed:\n" +
                                last + "\n\n"
                          : std::string()) +
                     counted + "\n" + "There were exceptions. View log?",
                 mtWarning, mbYes);
    } else if (CancelPressed && progressCount_ >= 1) {
        error = true;
        toSource = false;
        Ask("",
            (several ? "Batch extraction aborted.\nSome ZIP files were not procesed.\n" : std::string()) +
                "There were extraction errors.\nSome files were recovered.\nLast archive processed:\n" + last,
            mtWarning, mbOKOnly, AutoDefaultButton);
    } else if (!CancelPressed) {
        RecycleAfterRun(extractAll, toSource);
    }

    RefreshExplorer();
    if (ErrorLog.Count() == 0 && extractAll && !error) {
        close();
    } else {
        show();
        raise();
        activateWindow();
    }
}

void TUnZipForm::RecycleAfterRun(bool ExtractAll, bool ToSource) {
    const std::vector<std::string> selected = SelectedArchives();
    if (!ToSource) {
        QApplication::beep();
        const std::string name = ZipSrcList->count() == 1 ? ExtractFileName(S(ZipSrcList->item(0)->text()))
                                                         : IntToStr(int(selected.size())) + " selected ZIP files";
        if (Ask("", "Recycle " + name + " ?", mtConfirmation, mbYesNo, mbNo) != mrYes)
            return;
    }
    std::vector<std::string> failed;
    RecycleArchives(selected, failed);
    if (ExtractAll && failed.empty()) {
        listChanging_ = true;
        ZipSrcList->clear();
        listChanging_ = false;
        mnuViewClick();
        selectedFile_.clear();
        UpdateStatus();
    } else {
        CutSelected();
    }
    ReportRecycleFailures(failed);
}

void TUnZipForm::mnuUnZIpFileClick() {
    if (busy_ || OtherRunBusy())
        return;
    RemoveMissingArchives();
    const std::vector<std::string> selected = SelectedArchives();
    if (selected.empty()) {
        Ask("", "No ZIPs selected.", mtWarning, mbOKOnly, AutoDefaultButton);
        return;
    }
    const std::string caption = "Extract \"" + selectedFile_ + "\" to ";
    if (!ExecuteWalkForm(0, caption, ExtractFilePath(S(ZipSrcList->item(0)->text()))))
        return;
    const std::string target = walk8900::WalkFolder;
    if (target.empty() || target == "/")
        return;

    ShowRunStart();
    int fileCount = 0;
    const std::vector<std::string> listed = Archives();
    for (size_t i = 0; i < listed.size(); ++i) {
        if (std::find(selected.begin(), selected.end(), listed[i]) == selected.end())
            continue;
        Application.ProcessMessages();
        if (CancelPressed)
            break;
        progressCount_ = 0;
        ExtractArchive(listed[i], target, false, int(i), int(listed.size()), fileCount);
    }
    RunEnded();

    const std::string counted = IntToStr(fileCount) + " file(s) unzipped.";
    if (ErrorLog.Count() == 0) {
        if (CancelPressed && progressCount_ >= 1)
            Ask("", "There were extraction errors.\nSome files were recovered.", mtWarning, mbOKOnly,
                AutoDefaultButton);
        else
            Ask("", counted, mtInformation, mbOKOnly, AutoDefaultButton);
    } else {
        SaveLog();
        OfferLog(counted + "\n" + "There were exceptions.  View log?", mtConfirmation, mbYes);
    }
    RefreshExplorer();
}

// ---- Other commands

void TUnZipForm::mnuViewerUClick() {
    if (!lumv8900::ImageWindow)
        return;
    lumv8900::ImageWindow->Form().show();
    lumv8900::ImageWindow->Form().raise();
    lumv8900::ImageWindow->Form().activateWindow();
}

void TUnZipForm::mnuExplorerUClick() {
    if (lumv8900::ImageWindow)
        lumv8900::ImageWindow->btnExploreClick(nullptr);
}

void TUnZipForm::homeHelpClick() { Application.HelpContext(HelpTopic); }

void TUnZipForm::mnuCloseClick() { close(); }

}  // namespace lumvor
