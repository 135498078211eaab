// The image window's components, and the routines of its other commands that
// are still to come.
#include "app/lumv8900.h"

#include "processing/files/SavePicture.h"
#include "app/jpgdlg_8900.h"

#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Jpeg.h"
#include "platform/Menus.h"
#include "processing/script/LabState.h"
#include "imgman/imgman.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumvor {

using namespace lumv8900;

void TWebForm::BuildComponents() {
    resize(640, 480);
    BuildMenus();
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BuildBars(central);
    column->addWidget(PanelTool);
    column->addWidget(PanelHistory);

    auto* middle = new QHBoxLayout();
    ScrollBox = new TScrollBoxEx(central);
    Daz95 = new TPix();
    // The view sizes the control; the picture is stretched to its bounds from
    // the start, so selecting a tool never puts a fitted picture back at full size.
    Daz95->Stretch = true;
    ScrollBox->setWidget(Daz95);
    ScrollBox->setAlignment(Qt::AlignCenter);
    middle->addWidget(PanelSide);
    middle->addWidget(ScrollBox, 1);
    column->addLayout(middle, 1);
    setCentralWidget(central);

    StatusBar = new QStatusBar(this);
    setStatusBar(StatusBar);
    BuildStatusPanels();
    // A hidden text control the text display reuses.
    RichEdit = new QTextEdit(this);
    RichEdit->setGeometry(0, 0, 1, 1);
    RichEdit->hide();

    OpenDialog = new TOpenDialogPlus(this);
    // Several pictures may be chosen at once: the first opens, the rest become bookmarks.
    OpenDialog->Options |= ofAllowMultiSelect;
    SaveDialog = new TSaveDialogEx(this);
    Timer2 = new TTimer(this);
    Timer2->SetInterval(333);
    Timer2->SetEnabled(false);
    Timer2->SetOnTimer([this] { Timer2Timer(); });
    ExplorerTimer = new TTimer(this);
    ExplorerTimer->SetInterval(333);
    ExplorerTimer->SetEnabled(false);
    ExplorerTimer->SetOnTimer([this] { ExplorerTimerTimer(); });
    AnyTimer = new TTimer(this);
    AnyTimer->SetInterval(600);
    AnyTimer->SetEnabled(false);
    AnyTimer->SetOnTimer([this] { AnyTimerTimer(); });
    CreateDropTarget();
    ConnectChrome();
    // Nothing can be undone before the first backup.
    SetUndoControls(false);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        ConnectGuarded(screen, &QScreen::geometryChanged, this, [this, screen](const QRect& area) {
            DisplayChange(screen->depth(), area.width(), area.height());
        });
    BuildView();
    BuildViewTools();
}

// ---- Routines of the window's other commands.
//
// Until they are built, these record their call in PendingCalls and do the
// least that keeps the window's life correct.

void TWebForm::PendingCall(const std::string& Call) { PendingCalls.push_back(Call); }

// ---- Stubs of routines the undo, save and drop commands call.

// stubs for the JPEG dialog and the slide show
void TWebForm::mnuCompressClick(QObject*) {
    if (batch_8900::BatchRunning)
        return;
    const bool wasChanged = ImageChanged;
    // The dialog leaves the picture as it was through Undo, so the copy is
    // taken even while "No Undo" is in force.
    const bool noUndo = batch_8900::NoLabBackup;
    batch_8900::NoLabBackup = false;
    const bool backedUp = AutoBackUp();
    batch_8900::NoLabBackup = noUndo;
    if (!backedUp)
        return;
    SetBitmap24();
    InitializeJpegWizard();
    TFilterDlgParam param;
    param.Min1 = 0;
    param.Max1 = 255;
    param.Position1 = JpegWizardSettings.Int(TJpegWizardSettings::SmoothingOffset);
    param.PageSize1 = 16;
    param.LineSize1 = 1;
    TempStr = ChangeFileExt(FileName, "");
    SaveDialog->SetFileName(ExtractFileName(TempStr));
    ExecuteJPEGDialog("Advanced JPEG Compression", "0 (none)", "255 (fuzzy)", param);
    mnuUndoClick(this);
    ImageChanged = wasChanged;
}

}  // namespace lumvor
