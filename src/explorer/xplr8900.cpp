#include "explorer/xplr8900.h"

#include "app/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/ThumbMakers.h"
#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "ui/Pix.h"
#include "ui/VListShowEx.h"

#include <QLabel>
#include <QMenuBar>
#include <QApplication>
#include <QVBoxLayout>

#include <algorithm>

namespace lumvor {

TFileForm::TFileForm(QWidget* owner) : QMainWindow(owner) {
    setWindowTitle("Explorer");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    PanelSide = new QWidget(central);
    PanelSide->setFixedWidth(200);
    folderLabel_ = new QLabel(central);
    ThumbsBar = new TTrackBar(central);
    ThumbsBar->SetMin(1);
    ThumbsBar->SetMax(3);
    layout->addWidget(folderLabel_);
    layout->addWidget(PanelSide, 1);
    layout->addWidget(ThumbsBar);
    setCentralWidget(central);
    mnuFileX = new TMenuItem("&File", this);
    mnuEditX = new TMenuItem("&Edit", this);
    mnuViewX = new TMenuItem("&View", this);
    mnuToolsX = new TMenuItem("&Tools", this);
    mnuNetworkSupport = new TMenuItem("&Network support", this);
    for (TMenuItem* item : {mnuFileX, mnuEditX, mnuViewX, mnuToolsX})
        menuBar()->addAction(item);
    resize(640, 480);
    ThumbMaker = std::make_unique<TThumbMaker>();
    ThumbMaker->OwnIcon = windowIcon();
    ThumbPix = new TPix(this);
    ThumbPix->hide();
    Listing = std::make_unique<TFolderListing>();
    // PENDING: the file list XL is only made for its tool-tip flag; the explorer shows no list yet.
    XL = new TVListShowEx(central);
    XL->hide();
    // PENDING: the list view XL binds Listing->View (row count, its data and change events, selection, cursors, status texts, comments, thumbnail run, folder monitor, tree); until then the listing runs headless.
    // The explorer's settings live in this stand-in's two routines below until
    // the explorer itself applies and saves them.
    if (!lumv8900::ExplorerSettingsLoaded)
        xplr8900::SetExplorerDefaults(lumv8900::ScreenWidth);
    xplr8900::FileFormCreated = true;
}

TFileForm::~TFileForm() {
    if (xplr8900::FileForm == this)
        xplr8900::FileForm = nullptr;
    xplr8900::FileFormCreated = false;
}

void TFileForm::Record(const std::string& call) { Calls.push_back(call); }

// PENDING: the explorer window itself (folder tree, file list, thumbnails); these commands only record the call.
void TFileForm::Show() {
    Record("Show");
    folderLabel_->setText(QString::fromStdString(ExploreDir));
    show();
}
void TFileForm::Close() {
    Record("Close");
    bool canClose = true;
    FormCloseQuery(this, canClose);
    hide();
}
void TFileForm::FormCloseQuery(QObject* Sender, bool& CanClose) {
    if (Sender == this && lumv8900::SaveProfile) {
        const QRect frame = frameGeometry();
        const int left = std::max(0, frame.left()), top = std::max(0, frame.top());
        xplr8900::EControls.SetInt(xplr8900::ec::ExplorerBounds, left);
        xplr8900::EControls.SetInt(xplr8900::ec::ExplorerBounds + 4, top);
        xplr8900::EControls.SetInt(xplr8900::ec::ExplorerBounds + 8, left + frame.width());
        xplr8900::EControls.SetInt(xplr8900::ec::ExplorerBounds + 12, top + frame.height());
        xplr8900::EControls.SetInt(xplr8900::ec::TreeWidth, PanelSide->width());
        xplr8900::WriteExplorerSettings();
    }
    CanClose = true;
}
void TFileForm::FolderMonitor_Terminate() { Record("FolderMonitor_Terminate"); }
void TFileForm::FolderMonitor_Restart() { Record("FolderMonitor_Restart"); }
void TFileForm::Thumbnailing_Stop() { Record("Thumbnailing_Stop"); }
void TFileForm::GoToFolder(const std::string& Folder) { Record("GoToFolder " + Folder); }
void TFileForm::mnuTile1Click(QObject*) { Record("mnuTile1Click"); }
void TFileForm::mnuFolderTreeClick(QObject*) { Record("mnuFolderTreeClick"); }
void TFileForm::mnuRefreshClick(QObject*) { Record("mnuRefreshClick"); }
void TFileForm::mnuViewThumbsClick(QObject*) { Record("mnuViewThumbsClick"); }
void TFileForm::mnuSelectAllClick(QObject*) { Record("mnuSelectAllClick"); }
void TFileForm::mnuNetworkSupportClick(QObject*) { Record("mnuNetworkSupportClick"); }
void TFileForm::mnuButtonTextClick(QObject*) { Record("mnuButtonTextClick"); }
void TFileForm::mnuToolbarXClick(QObject*) { Record("mnuToolbarXClick"); }
void TFileForm::mnuStatusbarXClick(QObject*) { Record("mnuStatusbarXClick"); }
void TFileForm::mnuSingleClick(QObject*) { Record("mnuSingleClick"); }
void TFileForm::mnuSlideEditorXClick(QObject*) { Record("mnuSlideEditorXClick"); }

namespace xplr8900 {

void SetExplorerDefaults(int ScreenWidth) {
    TByteRecord<140>& r = EControls;
    r = TByteRecord<140>{};
    r.SetInt(ec::ZipBounds, -1);
    for (std::size_t flag : {ec::ToolBar, ec::StatusBar, ec::ButtonText, ec::ThumbJpegDecode, ec::AutoRefresh,
                             ec::ConfirmDeletions, ec::ListToolTips})
        r.SetFlag(flag, true);
    if (ScreenWidth == 800)
        r.SetFlag(ec::ButtonText, false);
    r.SetFlag(ec::FolderTree, false);
    r.SetInt(ec::TreeWidth, 96);
    r.SetInt(ec::ListView, 3);
    r.SetInt(ec::ThumbSize, 8);
    r.SetInt(ec::ClickMode, 1);
    r.SetInt(ec::ListFontSize, std::clamp(QApplication::font().pointSize(), 1, 24));
    const std::string fontName = "MS Sans Serif";
    r.SetByte(ec::ListFontName, uint8_t(fontName.size()));
    for (std::size_t i = 0; i < fontName.size(); ++i)
        r.SetByte(ec::ListFontName + 1 + i, uint8_t(fontName[i]));
}

void WriteExplorerSettings() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(ExplorerRecordName, EControls.Bytes.data(), TByteRecord<140>::Size);
    if (ExploreDir.empty())
        GetPathRoot(ProgramFolder(), ExploreDir);
    registry.WriteString("ExploreDir", ExploreDir);
}

}  // namespace xplr8900

}  // namespace lumvor
