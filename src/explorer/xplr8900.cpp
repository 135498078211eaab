// The explorer window: creation, activation, the double click on a list row,
// showing, resizing, closing and what it keeps between runs.
#include "explorer/xplr8900.h"

#include "state/ViewerSettings.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbMakers.h"
#include "explorer/ThumbWorkers.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "ui/LookBoxEx.h"
#include "ui/Pix.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"
#include "state/ZipWindowSeam.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QWindowStateChangeEvent>

#include <algorithm>

namespace lumvor {

using namespace xplr8900;

TFileForm::TFileForm(QWidget* owner) : QMainWindow(owner) {
    BuildComponents();
    BindNavigation();
    BindOpenCommands();
    BindTree();
    BindComments();
    BindFolderMonitor();
    BindFileOps();
    BindWebPages();
    BindSlideLists();
    BindCatalogs();
    BindSearchTools();
    FormCreate();
}

TFileForm::~TFileForm() {
    UnbindFolderMonitor();
    UnbindTree();
    UnbindFileList();
    if (FileForm == this)
        FileForm = nullptr;
    FileFormCreated = false;
    ExplorerActive = false;
}

void TFileForm::Record(const std::string& call) {
    if (ownCalls_ == 0)
        Calls.push_back(call);
}

QObject* TFileForm::FindItem(const std::string& Name) const {
    return findChild<QObject*>(QString::fromStdString(Name));
}

// ---- Creation

void TFileForm::FormCreate() {
    TOwnCall own(this);
    LookBox->SetNetworkSupport(false);
    Listing->FolderIconIndex = 0;
    Listing->Closing = Listing->Risky = Listing->ListBusy = Listing->CoreBusy = false;
    Listing->DrivesView = Listing->CommentsLoaded = Listing->FoldersSeen = false;
    TreeWanted = MonitorHold = false;
    ExplorerDirty = false;
    setWindowIcon(QGuiApplication::windowIcon());
    setWindowTitle("Lumvor 8.9");
    statusPanelWidth_ = StatusPanels[0]->fontMetrics().horizontalAdvance("Thumbs paused") + 12;
    StatusPanels[0]->setFixedWidth(statusPanelWidth_);

    Listing->ActivationPending = true;
    HistoryList.Clear();
    HistoryList.SetCapacity(131072);
    HistoryIndex = -1;
    CommentNames.Clear();
    CommentTexts.Clear();

    // The explored folder: a folder that is missing or not absolute gives way
    // to the home folder.
    if (ExploreDir.empty() || ExploreDir.front() != '/' || !ShellFolderExists(ExploreDir))
        ExploreDir = HomeFolder();
    if (!IsRootPath(ExploreDir))
        ExploreDir = IncludeTrailingPathDelimiter(ExploreDir);

    ApplyExplorerSettings();
    SetupDrives();
    if (!TExplorerControls(EControls).FolderTree())
        PanelSide->hide();

    const QSize screen(Screen.Width(), Screen.Height());
    const QRect saved = lumv8900::ExplorerSettingsLoaded ? TExplorerControls(EControls).Bounds() : QRect();
    const QRect placed = ExplorerPlacement(saved, screen);
    move(placed.topLeft());
    resize(placed.size());

    if (FileExists(HistoryListFile())) {
        try {
            HistoryList.LoadFromFile(HistoryListFile());
        } catch (const Exception&) {
            HistoryList.Clear();
        }
    }
    if (!lumv8900::ExplorerSettingsLoaded)
        HistoryList.Clear();
    UpdateHistory();
    BtnUp_UI();
    GetImageHandles();
    LookBox->SetFolder(ExploreDir);
    ParentDir = ExtractFilePath(ExcludeTrailingPathDelimiter(LookBox->Folder()));
    Listing->SkipNextListing = 0;
    FileFormCreated = true;
    ConnectGuarded(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            AppActivate();
    });
}

// ---- Activation

bool TFileForm::event(QEvent* e) {
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate)
        Guarded([this] { FormActivate(); });
    return result;
}

void TFileForm::FormActivate() {
    if (!isEnabled() || !isVisible())
        return;
    TOwnCall own(this);
    if (isActiveWindow()) {
        for (TMenuItem* item : {mnuFileX, mnuEditX, mnuViewX, mnuToolsX})
            item->setEnabled(true);
        if (lumv8900::ImageWindow && lumv8900::ImageWindow->Form().isVisible()) {
            for (int i : {0, 2})
                if (i < int(lumv8900::ImageWindow->MenuBarMenus().size()))
                    lumv8900::ImageWindow->MenuBarMenus()[size_t(i)]->setEnabled(false);
            lumv8900::ImageWindow->ShortCuts_Disable();
        }
    }
    if (ExplorerDirty)
        TransitFiles->SetEnabled(true);
    else if (PanelSide->isVisible())
        Tree->setFocus();
    else
        XL->setFocus();
    ExplorerDirty = false;
    if (ExplorerActive)
        return;

    ExplorerActive = true;
    StatusPanels[0]->setFixedWidth(statusPanelWidth_);
    StatusBarX->setVisible(TExplorerControls(EControls).StatusBar());
    Listing->ActivationPending = false;
    if (TreeWanted)
        mnuFolderTreeClick(this);
    XL->SetViewStyle(ViewCode == 2 ? vsReport : ViewCode == 3 || ViewCode == 4 ? vsIcon : vsList);
    if (ViewCode == 4) btnViewThumbsClick(this);
    XL->Items()->BeginUpdate();
    FirstListing();
    XL->Items()->EndUpdate();
    UpdateStatusBar();
    FolderMonitor_Restart();
    EControls.SetByte(ec::NetworkSupport, 0);
    Listing->FoldersSeen = false;
}

// The first listing of the explored folder; a folder that cannot be read is
// reported and the home folder is listed instead.
bool TFileForm::FirstListing() {
    if (Listing->UpdateFiles(true))
        return true;
    voMessageDlg("", "", "Cannot access drive/folder.\nCheck device or security settings.\n\n" + ExploreDir,
                 mtWarning, mbOKOnly, AutoDefaultButton, 0);
    ExploreDir = HomeFolder();
    // The path box takes the folder without listing it a second time.
    Listing->ActivationPending = true;
    LookBox->SetFolder(ExploreDir);
    Listing->ActivationPending = false;
    return Listing->UpdateFiles(true);
}

void TFileForm::AppActivate() {
    if (!isVisible() || !isActiveWindow())
        return;
    TOwnCall own(this);
    if (!LookBox->Folder().empty() && !DirectoryExists(LookBox->Folder())) {
        ExplorerDirty = false;
        NowDirChanged();
        Application.ProcessMessages();
        if (TreeShown() && Tree->currentItem() &&
            Tree->currentItem()->text(0).toStdString() != ExtractFileName(RemoveBackslash(ExploreDir)))
            TreePathUpdate();
        return;
    }
    FormActivate();
}

// ---- The double click on a row

void TFileForm::XLDblClick(QObject* Sender) {
    if (Listing->ListBusy || XL->SelCount() == 0)
        return;
    TOwnCall own(this);
    Listing->ListBusy = true;
    struct TClearBusy {
        TFolderListing& listing;
        ~TClearBusy() { listing.ListBusy = false; }
    } clearBusy{*Listing};

    auto enter = [this](const std::string& folder) {
        ExploreDir = folder;
        LookBox->SetFolder(folder);
    };
    if (Listing->DrivesView) {
        const std::string root = IncludeTrailingPathDelimiter(Listing->GetItemPath(-1));
        if (ShellFolderExists(root))
            enter(root);
        return;
    }
    FileRec rec;
    if (!Listing->RowRec(-1, rec))
        return;
    const std::string path = Listing->GetItemPath(-1);
    if (rec.State() != 0) {
        Listing->CurrExt = UpperCase(ExtractFileExt(path));
        if (Listing->CurrExt == ".LNK") {
            if (ResolveShortcutFile(path) && DirectoryExists(StLink->FileName)) {
                enter(IncludeTrailingPathDelimiter(StLink->FileName));
                Listing->FoldersSeen = true;
                return;
            }
        }
        btnOpenXClick(Sender);
        return;
    }
    const std::string folder = IncludeTrailingPathDelimiter(path);
    if (ShellFolderExists(folder)) {
        enter(folder);
        return;
    }
    if (!AlbumListing)
        NetworkFolderWarning();
    LookBoxChange(this);
}

// ---- Showing and resizing

void TFileForm::Show() {
    Record("Show");
    show();
}

void TFileForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    Guarded([this] { FormShow(); });
}

void TFileForm::FormShow() {
    TOwnCall own(this);
    BtnUp_UI();
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

void TFileForm::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        Guarded([this] { FormResize(); });
}

void TFileForm::FormResize() {
    TOwnCall own(this);
    if (isMinimized()) {
        Thumbnailing_Stop();
        FolderMonitor_Terminate();
        if (lumv8900::ImageWindow && !lumv8900::ImageWindow->Form().isVisible())
            lumv8900::ImageWindow->Form().show();
        Application.ProcessMessages();
        Application.Minimize();
        ExplorerDirty = true;
    } else {
        FolderMonitor_Restart();
    }
    XL->Invalidate();
}

// ---- Closing

void TFileForm::Close() {
    Record("Close");
    close();
}

void TFileForm::closeEvent(QCloseEvent* e) {
    bool canClose = true;
    Guarded([&] { FormCloseQuery(this, canClose); });
    if (!canClose) {
        e->ignore();
        return;
    }
    Guarded([this] { FormClose(); });
    e->accept();
}

void TFileForm::FormCloseQuery(QObject* Sender, bool& CanClose) {
    TOwnCall own(this);
    CoreCancel = true;
    FolderMonitor_Terminate();
    Thumbnailing_Stop();
    if (isMinimized() || isMaximized())
        showNormal();
    if (Sender != this) {
        Listing->Closing = true;
        CanClose = true;
        return;
    }
    if (lumv8900::SaveProfile) {
        TExplorerControls c(EControls);
        if (Unzip_8900::ZipWindow)
            c.SetZipBounds(Unzip_8900::ZipWindow->Form().frameGeometry());
        c.SetBounds(frameGeometry());
        c.SetButtonText(mnuButtonText->isChecked());
        if (PanelSide->isVisible())
            c.SetTreeWidth(PanelSide->width());
        c.SetListView(mnuViewLgIcons->isChecked()   ? 3
                      : mnuViewReport->isChecked()  ? 2
                      : mnuViewThumbs->isChecked()  ? 4
                                                    : 0);
        const QFont font = XL->font();
        c.SetListFont(font.pointSize() > 0 ? font.pointSize() : 8, font.bold() && !font.italic() &&
                                                                       !font.underline() && !font.strikeOut());
        WriteExplorerSettings();
    }
    Application.ProcessMessages();
    if (lumv8900::ShutDown) {
        Listing->Closing = true;
        CanClose = true;
        return;
    }
    CanClose = false;
    hide();
    if (!lumv8900::ImageWindow)
        return;
    if (lumv8900::ImageWindow->Form().isVisible()) {
        lumv8900::ImageWindow->Form().show();
        lumv8900::ImageWindow->Form().setEnabled(true);
        return;
    }
    // The image window's close ends the program; its request to close this
    // window arrives while this close still runs, so this close goes on.
    lumv8900::ImageWindow->Form().close();
    if (lumv8900::ShutDown) {
        Listing->Closing = true;
        CanClose = true;
    }
}

void TFileForm::FormClose() {
    TOwnCall own(this);
    CoreCancel = true;
    Listing->Closing = true;
    LookBox->Closing = true;
    FolderMonitor_Terminate();
    MonitorHold = true;
    Listing->ActivationPending = true;
    Listing->ClearListView();
    XL->Items()->SetCount(0);
    Application.ProcessMessages();
    Listing->FileOrder.clear();
    Listing->FileRecStream.Clear();
    for (int tries = 0; tries < 2 && lumv8900::ImageWindow && lumv8900::ImageWindow->CdPlayerActive(); ++tries)
        lumv8900::ImageWindow->CloseCdPlayer();
    SaveHistory();
    DeleteFileNow(HandOffListFile());
}

void TFileForm::SaveHistory() const {
    try {
        HistoryList.SaveToFile(HistoryListFile());
    } catch (const Exception&) {
        // The history is a convenience: a full or read-only disk loses it only.
    }
}

void TFileForm::mnuExit1Click(QObject*) {
    TOwnCall own(this);
    using lumv8900::ImageWindow;
    if (lumv8900::ImageChanged && ImageWindow && ImageWindow->CloseNow(this) == 7)
        return;
    if (ImageWindow && ImageWindow->Form().isVisible())
        ImageWindow->Form().hide();
    CoreCancel = true;
    close();
}

// ---- The window's private message

void TFileForm::PostExplorerMessage(int Code) {
    QMetaObject::invokeMethod(this, Guard([this, Code] { ExplorerMessage(Code); }), Qt::QueuedConnection);
}

void TFileForm::ExplorerMessage(int Code) {
    if (Listing->Closing)
        return;
    if (Code % 2 == 0) {
        Application.ProcessMessages();
        PostExplorerMessage(Code + 1);
        return;
    }
    const auto action = MessageActions.find(Code);
    if (action != MessageActions.end() && action->second)
        action->second();
}

// ---- Parking for the catalog generator

void TFileForm::ParkWindows() {
    if (parked_)
        return;
    parked_ = true;
    parkedImageVisible_ = lumv8900::ImageWindow && lumv8900::ImageWindow->Form().isVisible();
    if (parkedImageVisible_)
        lumv8900::ImageWindow->Form().hide();
    hide();
}

void TFileForm::RestoreParkedWindows() {
    if (!parked_)
        return;
    parked_ = false;
    if (parkedImageVisible_ && lumv8900::ImageWindow)
        lumv8900::ImageWindow->Form().show();
    show();
}

// ---- Calls other windows make

// PENDING: the slide album (stop thumbnails and the monitor, create the album and show it); this only records the call.
void TFileForm::mnuSlideEditorXClick(QObject*) { Record("mnuSlideEditorXClick"); }

// ---- Opening through the desktop

int TFileForm::ShellOpen(const std::string& FileName, const std::string&, const std::string&, int) {
    // The desktop opens a file with its own program; it takes no parameters.
    return lumv8900::OpenWithDesktop(FileName) ? 42 : 2;
}

namespace xplr8900 {

void WriteExplorerSettings() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(ExplorerRecordName, EControls.Bytes.data(), TByteRecord<140>::Size);
    if (ExploreDir.empty())
        ExploreDir = HomeFolder();
    registry.WriteString("ExploreDir", ExploreDir);
}

std::string HistoryListFile() { return ProgramFolder() + "HistoryList.txt"; }
std::string HandOffListFile() { return ProgramFolder() + "^_^.vop"; }

}  // namespace xplr8900

}  // namespace lumvor
