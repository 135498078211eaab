#include "explorer/xplr8900.h"

#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"

#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

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
    Listing = std::make_unique<TFolderListing>();
    // PENDING: the list view XL binds Listing->View (row count, its data and change events, selection, cursors, status texts, comments, thumbnail run, folder monitor, tree); until then the listing runs headless.
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
    hide();
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
void TFileForm::mnuSlideEditorXClick(QObject*) { Record("mnuSlideEditorXClick"); }

}  // namespace lumvor
