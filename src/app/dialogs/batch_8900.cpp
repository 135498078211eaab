#include "app/dialogs/batch_8900.h"

#include "app/lumv8900.h"
#include "app/SlideSizing.h"
#include "app/ViewGeometry.h"
#include "platform/Classes.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MeSaveDialogEx.h"
#include "ui/voMsgBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <algorithm>
#include <cstdint>

namespace lumvor {

using namespace batch_8900;

namespace {

constexpr int DefaultWidth = 320;
constexpr int DefaultHeight = 480;
constexpr int SmallestSide = 64;

constexpr const char* ClearQuestion = "Clear Lab commands?";
constexpr const char* SaveFailedText = "Cannot access drive/folder.\nCheck device or security settings.\nSave aborted.";
constexpr const char* NoUndoOnText = "Image backup before lab processing disabled for faster operation.";
constexpr const char* NoUndoOffText = "Image backup before lab processing enabled.";
constexpr const char* CommentsOnText = "Lab commands will be added to JPEG file as comments for future reference.";
constexpr const char* CommentsOffText = "Additional JPEG comments disabled.";
constexpr const char* AspectWarning = "You have an automatic resizing feature enabled;\n";
constexpr const char* GammaWarning = "You have screen gamma enabled, which is cumulative;\n";

// The script commands borrow the image window's shared dialogs: what they set
// for a script file is put back once the file is chosen.
template <class Dialog>
class TBorrowedDialog {
public:
    TBorrowedDialog(Dialog& dialog, const char* title)
        : dialog_(dialog), fileName_(dialog.FileName()), title_(dialog.Title), filter_(dialog.Filter),
          initialDir_(dialog.InitialDir()), defaultExt_(dialog.DefaultExt), helpContext_(dialog.HelpContext),
          filterIndex_(dialog.FilterIndex()) {
        TBatchForm::CheckBipFolder();
        dialog.Filter = BipFilter;
        dialog.SetFilterIndex(1);
        dialog.Title = title;
        dialog.DefaultExt = BipExt;
        dialog.SetInitialDir(BipFolder);
        dialog.SetFileName(BipFileName);
        dialog.HelpContext = LabHelpContext;
    }
    ~TBorrowedDialog() {
        dialog_.SetFileName(fileName_);
        dialog_.Title = title_;
        dialog_.Filter = filter_;
        dialog_.SetInitialDir(initialDir_);
        dialog_.DefaultExt = defaultExt_;
        dialog_.HelpContext = helpContext_;
        dialog_.SetFilterIndex(filterIndex_);
    }
    TBorrowedDialog(const TBorrowedDialog&) = delete;
    TBorrowedDialog& operator=(const TBorrowedDialog&) = delete;

    // Runs the dialog (again in the recent folder when the user asks for it);
    // the chosen file, "" when cancelled.
    std::string Choose() {
        return lumv8900::WebForm->ExecuteWithRecent(dialog_) ? dialog_.FileName() : std::string();
    }

private:
    Dialog& dialog_;
    std::string fileName_, title_, filter_, initialDir_, defaultExt_;
    long helpContext_;
    int filterIndex_;
};

// The script file the user chooses in one of the image window's dialogs,
// logged as a visited folder; "" when cancelled.
template <class Dialog>
std::string ChooseScriptFile(Dialog& dialog, const char* title) {
    const std::string name = TBorrowedDialog(dialog, title).Choose();
    if (!name.empty())
        lumv8900::WebForm->AddToAppRecent(ExtractFilePath(name));
    return name;
}

// Before a run from the image window: a view gamma or an aspect mode would
// change the results, so the user may turn them off (the file is opened again
// without them). False when the user aborts.
bool ViewOptionsCleared(TWebForm& viewer, QObject* sender) {
    const bool aspect = viewer.mnuAspect->Tag != slidesize::AspectNatural || lumv8900::AspectChanged;
    const bool gamma = viewer.mnuViewGamma->Tag != 100;
    if (!aspect && !gamma)
        return true;
    int answer = mrYesToAll;
    if (viewer.mnuPerformBatch1->Tag != 1) {
        const std::string text = std::string(aspect ? AspectWarning : GammaWarning) +
                                 "it will affect batch image processing results." + "\n" + "Disable?";
        answer = voMessageDlg("", "", text, mtConfirmation,
                              ButtonBit(mbYes) | ButtonBit(mbNo) | ButtonBit(mbAbort) | ButtonBit(mbYesToAll),
                              mbAbort, 0);
    }
    if (answer == mrNo)
        return true;
    if (answer != mrYes && answer != mrYesToAll)
        return false;
    viewer.ResetAutoViewOptions();
    if (!viewer.RefuseUntitled())
        viewer.BtnOpenEx(sender);
    if (answer == mrYesToAll)
        viewer.mnuPerformBatch1->Tag = 1;
    return true;
}

void InformOption(const char* text) {
    voMessageDlg("", "", text, mtInformation, mbOKOnly, AutoDefaultButton, LabHelpContext);
}

}  // namespace

// ---- Placement

TRect LabScriptBounds(const TRect& Stored, int ViewerWidth, int ScreenWidth, int ScreenHeight) {
    if (Stored.Left == -1) {
        const int left = ScreenWidth - ViewerWidth > DefaultWidth ? ViewerWidth + 1 : 0;
        return Rect(left, 0, left + DefaultWidth, DefaultHeight);
    }
    const int left = std::max(Stored.Left, 0), top = std::max(Stored.Top, 0);
    // Stored values may be anything: the sizes are worked out in 64 bits.
    const int64_t storedWidth = std::min<int64_t>(int64_t(Stored.Right) - left, ScreenWidth);
    const int64_t storedHeight = std::min<int64_t>(int64_t(Stored.Bottom) - top, ScreenHeight);
    const bool tooSmall = storedWidth < SmallestSide || storedHeight < SmallestSide;
    const int width = tooSmall ? ScreenWidth / 2 : int(storedWidth);
    const int height = tooSmall ? ScreenHeight / 4 * 3 : int(storedHeight);
    // A window starting beyond the screen is pulled back all the same; starting
    // it at the screen's edge keeps the sums in range.
    const TPoint at = viewgeo::WindowPlacement(std::min(left, ScreenWidth), std::min(top, ScreenHeight), width,
                                               height, ScreenWidth, ScreenHeight, true, false);
    return Rect(at.X, at.Y, at.X + width, at.Y + height);
}

// ---- The window

TBatchForm& EnsureBatchForm() {
    if (!BatchForm)
        new TBatchForm(lumv8900::WebForm);
    return *BatchForm;
}

TBatchForm::TBatchForm(QWidget* owner) : QMainWindow(owner, Qt::Window) {
    setObjectName("BatchForm");
    setWindowTitle(LabCaption);
    BatchForm = this;
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCentralWidget(Memo1);
    BuildMenu();
    ConnectGuarded(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
    FormCreate();
}

TBatchForm::~TBatchForm() {
    if (BatchForm == this) {
        BatchForm = nullptr;
        BatchFormActive = false;
        BatchFormOpen = false;
    }
}

void TBatchForm::BuildMenu() {
    auto item = [this](const char* name, const char* caption, void (TBatchForm::*handler)(QObject*)) {
        auto* action = new TMenuItem(caption, this);
        action->setObjectName(name);
        ConnectGuarded(action, &QAction::triggered, this, [this, action, handler] { (this->*handler)(action); });
        return action;
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    // Narrow items: the whole menu fits the window's first width of 320 pixels.
    bar->setStyleSheet("QMenuBar { spacing: 0px; } QMenuBar::item { padding: 4px 4px; }");
    mnuNewB = item("mnuNewB", "&New", &TBatchForm::mnuNewBClick);
    mnuOpenB = item("mnuOpenB", "&Open", &TBatchForm::mnuOpenBClick);
    mnuSaveB = item("mnuSaveB", "&Save", &TBatchForm::mnuSaveBClick);
    Exit1 = item("Exit1", "&Close", &TBatchForm::Exit1Click);
    for (TMenuItem* action : {mnuNewB, mnuOpenB, mnuSaveB, Exit1})
        bar->addAction(action);
    mnuLabOptions = bar->addMenu("Op&tions");
    mnuLabOptions->setObjectName("mnuLabOptions");
    mnuLabOptions->menuAction()->setObjectName("mnuLabOptionsItem");
    chkNoLabBackup = item("chkNoLabBackup", "No &Undo (faster)", &TBatchForm::chkNoLabBackupClick);
    chkLabComments = item("chkLabComments", "Add commands as &JPEG comment", &TBatchForm::chkLabCommentsClick);
    for (TMenuItem* option : {chkNoLabBackup, chkLabComments}) {
        option->SetChecked(false);
        mnuLabOptions->addAction(option);
    }
    mnuPerformB = item("mnuPerformB", "&Perform", &TBatchForm::mnuPerformBClick);
    mnuHelp = item("mnuHelp", "&Help", &TBatchForm::mnuHelpClick);
    mnuHelp->Tag = int(LabHelpContext);
    bar->addAction(mnuPerformB);
    bar->addAction(mnuHelp);
    mnuSaveB->setEnabled(false);
    mnuPerformB->setEnabled(false);
}

void TBatchForm::FormCreate() {
    BatchFormActive = true;
    setWindowIcon(QGuiApplication::windowIcon());
    const int viewerWidth = lumv8900::WebForm ? lumv8900::WebForm->width() : 0;
    const TRect bounds = LabScriptBounds(StoredBounds(lumv8900::ViewerControls, vc::LabBounds), viewerWidth, Screen.Width(), Screen.Height());
    move(bounds.Left, bounds.Top);
    resize(bounds.Width(), bounds.Height());
    if (BipFolder.empty())
        BipFolder = ProgramFolder() + BipFolderName;
    BipFileName.clear();
}

int TBatchForm::LineCount() const { return int(ScriptLines().size()); }

std::vector<std::string> TBatchForm::ScriptLines() const {
    TStringList lines;
    lines.SetText(Memo1->toPlainText().toStdString());
    std::vector<std::string> out;
    out.reserve(size_t(lines.Count()));
    for (int i = 0; i < lines.Count(); ++i)
        out.push_back(lines[i]);
    return out;
}

void TBatchForm::Show() {
    show();
    raise();
    activateWindow();
}

void TBatchForm::Close() { close(); }

void TBatchForm::FormActivate() {
    if (TWebForm* viewer = lumv8900::WebForm)
        viewer->OtherWindowActivated();
    Memo1->setFocus();
    BatchFormOpen = true;
    chkNoLabBackup->SetChecked(lumv8900::ViewerControls.Flag(vc::NoLabBackup));
    chkLabComments->SetChecked(lumv8900::ViewerControls.Flag(vc::LabComments));
}

void TBatchForm::FormCloseQuery(bool& CanClose) {
    CanClose = lumv8900::ShutDown;
    StoreBounds(lumv8900::ViewerControls, vc::LabBounds, Rect(x(), y(), x() + width(), y() + height()));
    if (!CanClose)
        hide();
}

void TBatchForm::FormClose() {
    BatchFormOpen = false;
    deleteLater();
}

void TBatchForm::closeEvent(QCloseEvent* event) {
    CloseThroughQuery(
        event, [this](bool& canClose) { FormCloseQuery(canClose); }, [this] { FormClose(); });
}

void TBatchForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded([this] { FormActivate(); });
}

// ---- Commands

void TBatchForm::Exit1Click(QObject*) { Close(); }

void TBatchForm::mnuHelpClick(QObject*) { Application.HelpContext(mnuHelp->Tag); }

void TBatchForm::Memo1Change() {
    mnuSaveB->setEnabled(true);
    mnuPerformB->setEnabled(true);
}

void TBatchForm::mnuNewBClick(QObject*) {
    if (voMessageDlg("", "", ClearQuestion, mtConfirmation, mbYesNo, mbNo, 0) != mrNo)
        Memo1->clear();
}

void TBatchForm::CheckBipFolder() {
    if (DirectoryExists(BipFolder))
        return;
    BipFolder = ProgramFolder() + BipFolderName;
    if (DirectoryExists(BipFolder))
        return;
    // Scripts shipped with the program stand beside it.
    BipFolder = IncludeTrailingPathDelimiter(ExeFolder()) + BipFolderName;
    if (!DirectoryExists(BipFolder))
        BipFolder = ProgramFolder();
}

void TBatchForm::TakeScriptName(const std::string& FileName) {
    BipFileName = ExtractFileName(FileName);
    BipFolder = ExtractFilePath(FileName);
    setWindowTitle(QString::fromStdString(std::string(LabCaption) + " - " + BipFileName));
}

void TBatchForm::LoadScript(const std::string& FileName) {
    TStringList lines;
    try {
        lines.LoadFromFile(FileName);
    } catch (const Exception&) {
        Memo1->clear();
        return;
    }
    SetScriptLines(lines);
}

void TBatchForm::SetScriptLines(const TStrings& Lines) {
    QStringList text;
    for (int i = 0; i < Lines.Count(); ++i)
        text.append(QString::fromStdString(Lines[i]));
    Memo1->setPlainText(text.join('\n'));
}

void TBatchForm::mnuOpenBClick(QObject*) {
    const std::string name = ChooseScriptFile(*lumv8900::WebForm->OpenDialogAny, "Open Lab Commands");
    if (!FileExists(name))
        return;
    LoadScript(name);
    TakeScriptName(name);
}

void TBatchForm::mnuSaveBClick(QObject*) {
    const std::string name = ChooseScriptFile(*lumv8900::WebForm->SaveDialogVOP, "Save Lab Commands");
    if (name.empty())
        return;
    TStringList lines;
    lines.SetText(Memo1->toPlainText().toStdString());
    try {
        lines.SaveToFile(name);
    } catch (const Exception&) {
        voMessageDlg("", "", SaveFailedText, mtError, ButtonBit(mbAbort), AutoDefaultButton, 0);
        return;
    }
    TakeScriptName(name);
}

void TBatchForm::mnuPerformBClick(QObject*) {
    if (LineCount() == 0)
        return;
    TWebForm& viewer = *lumv8900::WebForm;
    viewer.show();
    Application.ProcessMessages();
    TScopedFlag noBackup(NoLabBackup, lumv8900::ViewerControls.Flag(vc::NoLabBackup));
    if (!viewer.AutoBackUp())
        return;
    TScopedFlag running(BatchRunning, true);
    viewer.DoBatchImageProcess();
}

void TBatchForm::ToggleOption(TMenuItem* Item, std::size_t Offset, const char* OnText, const char* OffText) {
    auto& record = lumv8900::ViewerControls;
    const bool on = !record.Flag(Offset);
    Item->SetChecked(on);
    // Stored before the message: closing it activates this window again,
    // which ticks the options from the record.
    record.SetFlag(Offset, on);
    InformOption(on ? OnText : OffText);
}

void TBatchForm::chkNoLabBackupClick(QObject*) {
    ToggleOption(chkNoLabBackup, vc::NoLabBackup, NoUndoOnText, NoUndoOffText);
}

void TBatchForm::chkLabCommentsClick(QObject*) {
    ToggleOption(chkLabComments, vc::LabComments, CommentsOnText, CommentsOffText);
}

// ---- The recorder

void AddLabCommand(const std::string& Line) {
    if (BatchFormOpen && BatchForm && BatchForm->Memo1) {
        BatchForm->Memo1->appendPlainText(QString::fromStdString(Line));
        return;
    }
    lumv8900::LabScript.Add(Line);
}

// ---- The image window's commands

void TWebForm::mnuBatchEditor1Click(QObject*) {
    if (!BatchForm) {
        TBatchForm& form = EnsureBatchForm();
        form.Tag = 0;
        if (form.LineCount() == 0 && lumv8900::LabScript.Count() > 0)
            form.SetScriptLines(lumv8900::LabScript);
    }
    lumv8900::LabScript.Clear();
    BatchForm->Show();
}

void TWebForm::mnuPerformBatch1Click(QObject* Sender) {
    lumv8900::PreparedWidth = 0;
    AnyTimer->SetEnabled(false);
    TScopedFlag noBackup(NoLabBackup, lumv8900::ViewerControls.Flag(vc::NoLabBackup));
    // The script is the window's memo: without the window there is none.
    if (!BatchForm)
        return;
    if (BatchFormOpen && !ViewOptionsCleared(*this, Sender))
        return;
    if (!AutoBackUp())
        return;
    StatusText("Busy ...");
    StatusBar->repaint();
    Application.ProcessMessages();
    BatchForm->mnuPerformBClick(Sender);
    BatchRunning = false;
    StatusReady();
    AnyTimer->Tag = 2;
    AnyTimer->SetEnabled(true);
}

void TWebForm::OpenBIPfile(const std::string& FileName) {
    if (!FileExists(FileName))
        return;
    TBatchForm& form = EnsureBatchForm();
    form.Show();
    BipFolder = ExtractFilePath(FileName);
    BipFileName = ExtractFileName(FileName);
    form.mnuOpenBClick(this);
}

}  // namespace lumvor
