// Start-up, creation, first activation and close of the image window.
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "ui/AppIcons.h"
#include "app/ToolCursors.h"
#include "app/about_8900.h"
#include "app/comment_8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "imaging/vo_BMP.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imaging/vo_TIF.h"
#include "platform/Folders.h"
#include "imgman/imgman.h"
#include "platform/HtmlHelp.h"
#include "platform/Jpeg.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "app/dialogs/compare_8900.h"
#include "app/dialogs/filter_8900.h"
#include "app/dialogs/batch_8900.h"
#include "processing/files/CoreEncode.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"
#include "zip/Unzip_8900.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSysInfo>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* YesToAllNote = "[Yes to All] avoids this dialog (for experts).";
constexpr const char* PromptOptionName = "\"Prompt before Closing Viewer\"";

// The application handle in the names of the run's temporary files.
uint32_t AppHandle() { return static_cast<uint32_t>(QCoreApplication::applicationPid()); }

// Colour bits of the primary screen (24 when there is none).
int MeasureScreenColorBits() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

int32_t MeasureWinVersion() { return KernelVersionNumber(QSysInfo::kernelVersion().toStdString()); }

bool IsJpegExt(const std::string& ext) { return ExtInList(ext, ".JPEG.JPG", ""); }

}  // namespace

namespace lumv8900 {

// Major x 10 + minor, the minor reduced to its first digit; each number is
// read up to its first non-digit ("6.8-rc3" is 68).
int32_t KernelVersionNumber(const std::string& Release) {
    int major = 0, minor = 0;
    std::sscanf(Release.c_str(), "%d.%d", &major, &minor);
    while (minor > 9)
        minor /= 10;
    return major * 10 + minor;
}

}  // namespace lumv8900

// ---- Start-up

void MainUnitInit(const std::vector<std::string>& Params) {
    Unzip_8900::UnZipFormCreated = false;
    CommentFormCreated = false;
    voMsgBox::MsgLeft = -1;
    voMsgBox::MsgTop = -1;
    AvlStartMode = false;
    PhotoCDHandle = 0;
    PhotoCDResolution = 3;
    MediaMode = false;
    Screen.SetCursor(crAppStart);
    ScreenColorBits = MeasureScreenColorBits();
    JPEGImage = std::make_unique<TJPEGImage>();
    LayoutPending = false;
    ImageLoaded = false;
    CmdLinePending = false;
    ViewSwitching = false;
    batch_8900::BatchRunning = false;
    ZoomPercent = 100;
    SelectionShown = SelectionZoomed = false;
    AppQuitting = ShutDown = false;
    SaveProfile = true;
    LastSaveFilterIndex = 999;
    xplr8900::ExplorerDirty = false;
    AvlAtom = 0;
    batch_8900::BatchFormOpen = false;
    TextMarkText.clear();
    CropFromScript = false;
    JPEGScaleOn = true;
    InterlaceField = 1;
    GridPresetIndex = 2;
    JpegTestValue = 0;
    ImageHistoryIndex = 0;
    LargeExport = false;
    RecycleYesToAll = false;
    IsBusy = 0;
    batch_8900::BatchFormActive = false;
    TextMarkOutlineColor = TColor{0x808080};
    HistoryCharWidth = 0;
    AspectChanged = false;
    PreparedWidth = 0;
    WheelBusy = false;
    UndoValid = false;
    ImageViewInfo.clear();
    ShellFileInfoSize = 352;
    AppDir = ProgramFolder();
    HeaderFlag = false;
    show8900::ThumbPath.clear();
    RecentPath.clear();
    AutoFixBusy = false;
    NetPasswordWarned = false;
    ControlsEnabled = true;
    MenuMinWidth = 360;
    ZoomToolBusy = false;
    listdlg_y::ListDlgBounds.Left = -1;
    batch_8900::NoLabBackup = false;
    filter_8900::FilterDlgPos.Left = -1;

    // The command line names one file; a name with blanks may arrive split.
    FileName.clear();
    FileExt.clear();
    PreviousFileName = "*";
    if (Params.empty())
        return;
    std::string name = Params[0];
    for (size_t i = 1; i < Params.size(); ++i)
        name += " " + Params[i];
    if (!FileExists(name))
        return;
    // The full path, so that the file stays named when the folder changes.
    FileName = QFileInfo(QString::fromStdString(name)).absoluteFilePath().toStdString();
    PreviousFileName = FileName;
    FileExt = UpperCase(ExtractFileExt(FileName));
    if (IsJpegExt(FileExt))
        ImageLoaded = TWebForm::ReadImageHeader(true) > 0;
    // Anything not opened at the first activation opens (or is reported) later.
    if (!ImageLoaded)
        CmdLinePending = true;
}

bool ProgramStart() {
    // Scratch files of earlier runs that were killed mid-write.
    for (const std::string& folder : {ProgramFolder(), ProgramFolder() + "data"})
        RemoveDeadScratchFiles(ExcludeTrailingPathDelimiter(folder));
    {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        ExplorerSettingsLoaded = ReadSettingsRecord(registry, ExplorerRecordName, xplr8900::EControls);
        if (ExplorerSettingsLoaded)
            ExploreDir = registry.ReadString("ExploreDir");
        ViewerSettingsLoaded = ReadSettingsRecord(registry, ViewerRecordName, ViewerControls);
    }
    Application.ProcessMessages();
    // A slide show of another instance plays: this one ends without a window.
    if (GlobalFindAtom(AvlRunningAtom) != 0)
        return false;
    Application.Title = "Lumvor";
    Application.HelpFile = "LUMVOR8.HLP";
    RegisterWindowMakers();
    WebForm = new TWebForm();
    Application.SetMainForm(WebForm);
    xplr8900::FileForm = new TFileForm();
    return true;
}

void RegisterWindowMakers() {
    show8900::AlbumMaker = &show8900::MakeShowForm;
    Unzip_8900::ZipWindowMaker = &Unzip_8900::MakeUnZipForm;
}

int ProgramMain() {
    std::vector<std::string> params;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i < arguments.size(); ++i)
        params.push_back(arguments[i].toStdString());
    MainUnitInit(params);
    Application.Initialize();
    if (ProgramStart()) {
        WebForm->show();
        WebForm->activateWindow();
        // The main form is active when the loop starts, with or without a window
        // manager to say so.
        QTimer::singleShot(0, WebForm, Guard([] {
            if (WebForm && FirstActivationDone == 0)
                WebForm->FormActivate();
        }));
        Application.Run();
    }
    delete xplr8900::FileForm;
    delete WebForm;
    JPEGImage.reset();
    return 0;
}

// ---- Creation

TWebForm::TWebForm(QWidget* owner) : QMainWindow(owner) {
    BuildComponents();
    FormCreate();
    lumv8900::ImageWindow = this;
}

TWebForm::~TWebForm() {
    // A running encode is stopped and joined before anything it was given goes.
    EncodeThread.reset();
    if (WebForm == this)
        WebForm = nullptr;
    if (lumv8900::ImageWindow == this)
        lumv8900::ImageWindow = nullptr;
    if (Application.MainForm() == this)
        Application.SetMainForm(nullptr);
}

void TWebForm::FormCreate() {
    HelpFileName = AddBackslash(AppDir) + "lumvor.chm";
    if (!ViewerSettingsLoaded)
        ExploreDir = HomeFolder();
    WinVersion = MeasureWinVersion();
    ScreenWidth = Screen.Width();
    ScreenHeight = Screen.Height();
    QGuiApplication::setWindowIcon(ProgramIcon("lumvor"));
    setWindowIcon(QGuiApplication::windowIcon());
    CreateSharedObjects();
    QFont formFont = font();
    if (formFont.pointSize() > 12) {
        formFont.setPointSize(12);
        setFont(formFont);
    }
    Application.OnException = [this](const Exception& e) { AppException(e); };
    Application.OnHelp = [this](long context) { return AppHelp(context); };
    setWindowTitle(AppVersionName);
    RegisterToolCursors();
    FrameHeight = frameGeometry().height() - height();
    FrameWidth = frameGeometry().width() - width();
    LoadSettingsAtCreation();
    Daz95->FastPaint = true;
    Application.OnRestore = [this] { AppRestore(); };
    Application.OnMinimize = [this] { AppMinimize(); };
    JpegWizardSettings.SetQuality(-1);
    FitSavedBounds();
    xplr8900::EControls.SetByte(70, 0);
    if (ScreenColorBits < 15) {
        voMessageDlg("", "16-bit color mode (or better) required",
                     "1) Right-click on your desktop and select Properties.\n"
                     "2) Click Settings tab to change Color Quality (or Colors).\n"
                     "3) Choose \"16-bit\" (or better) mode.",
                     mtInformation, mbOKOnly, AutoDefaultButton, 0);
        Application.Terminate();
    }
    mnuQuit->SetCaption(std::string("&Exit ") + AppVersionName);
    SlideShowState = TSlideShowState{};
}

// The lists, streams, codec objects and scratch bitmaps the window's commands share.
void TWebForm::CreateSharedObjects() {
    ImageHistoryList.Clear();
    ImageHistoryList.SetCapacity(131072);
    LabScript.Clear();
    for (TStringList* list : {&FolderHistory, &SpareList, &ReportLines, &AvlLines, &AvlDirLines,
                              &SlideFolders, &ExtIconCache})
        list->Clear();
    AvlScriptStream.Clear();
    ScrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    PcxGraphic = std::make_unique<TPcxGraphic>();
    DibImage = std::make_unique<TBmpGraphic>();
    TiffGraphic = std::make_unique<TTiffGraphic>();
    PngGraphic = std::make_unique<TPngGraphic>();
    TgaGraphic = std::make_unique<TTgaGraphic>();
    for (auto* bitmap : {&BackupBitmap, &UndoBitmap, &DuplicateBitmap, &WorkBitmap, &ScratchBitmap})
        *bitmap = std::make_unique<TBitmap>();
    SpareStream.Clear();
    ScriptStream.Clear();
}

// Applies the stored record when both records were read at start, else the
// defaults of a first run; then the clamps and the chrome.
void TWebForm::LoadSettingsAtCreation() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    if (ViewerSettingsLoaded && ExplorerSettingsLoaded)
        ReadViewerSettings(registry);
    else
        SetViewerSettingsDefaults();
    ApplyViewerSettings();
}

// ---- First activation

void TWebForm::FormActivate() {
    if (xplr8900::FileForm && xplr8900::ExplorerActive && xplr8900::FileForm->isVisible())
        for (TMenuItem* item : {xplr8900::FileForm->mnuFileX, xplr8900::FileForm->mnuEditX,
                                xplr8900::FileForm->mnuViewX, xplr8900::FileForm->mnuToolsX})
            item->setEnabled(false);
    TopMenuItems[0]->setEnabled(true);
    TopMenuItems[2]->setEnabled(true);
    ShortCuts_Enable();
    if (ToolbarTag == 0 && PanelTool->isVisible()) {
        ToolbarTag = 1;
        Toolbar1->setFixedHeight(48);
        ToolbarResize();
    }
    // The first activation lets events through: an activation arriving
    // meanwhile must not start it a second time.
    if (FirstActivationDone != 0 || firstActivationRunning_)
        return;
    firstActivationRunning_ = true;
    FirstActivation();
    firstActivationRunning_ = false;
}

void TWebForm::FirstActivation() {
    SaveDialogTag = 0;
    AvlStartMode = false;
    RichEdit->clear();
    RichEdit->setGeometry(0, 0, 1, 1);
    if (RichEditTag != 0)
        RichEdit->setCursorWidth(0);
    RichEditTag = 0;
    mnuAbout->Tag = 0;
    Tag = 0;
    LayoutPending = true;
    if (ImageLoaded) {
        // The command-line JPEG's header was read at start: open it now.
        SetToolbarHeight();
        for (int i = 0; i < 3; ++i)
            Application.ProcessMessages();
        BtnOpenClick(this);
        if (xplr8900::FileForm)
            xplr8900::FileForm->GoToFolder(ExtractFilePath(FileName));
    }
    Application.ProcessMessages();
    activateWindow();
    setAcceptDrops(true);
    Screen.SetCursor(crDefault);
    FirstActivationDone = 1;
    Screen.SetCursors(3, QCursor(Qt::CrossCursor));
    Randomize();
    TempPrefix = IntToHex(static_cast<int32_t>(Trunc(Random() * 268435440.0)), 8);
    TempNameStem = "_" + TempPrefix + IntToHex(AppHandle(), 4);
    const bool bothLoaded = ViewerSettingsLoaded && ExplorerSettingsLoaded;
    if (!(AvlStartMode || (bothLoaded && ImageLoaded)))
        ShowStartWindows();
    if (CmdLinePending)
        StartPendingFile();
    if (!CmdLinePending && !ImageLoaded) {
        NewBlankImage(true);
        SetToolbarHeight();
    }
}

// The windows of a start without a picture to show at once.
void TWebForm::ShowStartWindows() {
    const bool recordMissing = !(ViewerSettingsLoaded && ExplorerSettingsLoaded);
    StatusText("Ready.");
    if (PreviousFileName == "*")
        NewBlankImage(true);
    if (!CmdLinePending && SameText(ExtractFileName(Application.ExeName()), "BRELTO.EXE")) {
        AvlStartMode = true;
        voMessageDlg("", "Thank you for your interest.",
                     std::string("To properly install and run ") + AppVersionName + "\n" +
                         "Download and install latest version from" + "\nthe Lumvor web site.",
                     mtInformation, mbOKOnly, AutoDefaultButton, 0);
        mnuExitClick(this);
        return;
    }
    if (!CmdLinePending || recordMissing)
        btnExploreClick(this);
    if (recordMissing) {
        FirstRunSetup();
    } else if (!CmdLinePending) {
        // The explorer is the only visible window once the loop is idle.
        Application.OnIdle = [this](bool& done) {
            hide();
            setEnabled(true);
            Application.OnIdle = nullptr;
            done = true;
        };
    }
}

// A first run: the default arrangement of the two windows and the welcome box.
void TWebForm::FirstRunSetup() {
    WindowedView = OptimizeWindow = false;
    ViewerControls.SetFlag(vc::WindowedView, false);
    ViewerControls.SetFlag(vc::OptimizeWindow, false);
    TFileForm* explorer = xplr8900::FileForm;
    if (explorer)
        explorer->mnuTile1Click(this);
    Application.ProcessMessages();
    SavedBounds = Rect(x(), y(), x() + width(), y() + height());
    if (explorer) {
        explorer->mnuFolderTreeClick(this);
        const int treeWidth = ScreenWidth == 800 ? 140 : 200;
        explorer->HSplitter->setSizes({treeWidth, std::max(1, explorer->width() - treeWidth)});
        explorer->mnuRefreshClick(this);
        explorer->mnuViewThumbsClick(this);
        explorer->ThumbsBar->SetPosition(ScreenWidth == 800 ? 1 : ScreenWidth == 1024 ? 2 : 3);
        explorer->mnuViewThumbsClick(this);
    }
    const std::string text =
        "This is the default setup with TWO main windows. Double-click a fil\n"
        "in right window (Explorer) to view an image in left window (Viewer).\n\n"
        "To resize thumbnails in \"Explorer\" window, set Thumbnail slider to\n"
        "desired position. For fastest thumbnail creation, exclude this folder\n"
        "from automatic (e.g., \"Auto Protect\") anti-virus scanning:\n\n" +
        RemoveBackslash(AppDir) + "\n\n" +
        "Select Tools | Cache | Change to specify an different thumbnail folder." + "\n" +
        "For other options, select View | Options or press [alt-O].";
    voMessageDlg("", "Thank you for choosing Lumvor.", text, mtInformation, mbOKOnly, AutoDefaultButton, 103);
}

// A file named on the command line opens 333 ms after the first activation.
void TWebForm::StartPendingFile() {
    if (FileExt == ".AVL") {
        AvlStartMode = true;
        SlideFileName = FileName;
        Application.ProcessMessages();
        NewBlankImage(false);
        Application.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(333));
    } else {
        SetToolbarHeight();
        repaint();
    }
    Timer2->SetEnabled(true);
}

void TWebForm::SetToolbarHeight() {
    if (PanelTool->isVisibleTo(this) && !MergeToolbar)
        Toolbar1->setFixedHeight(48);
}

void TWebForm::Timer2Timer() {
    Timer2->SetEnabled(false);
    CmdLinePending = false;
    if (FileExt != ".AVL") {
        BtnOpenEx(this);
    } else {
        AvlStartMode = true;
        DragOpen(SlideFileName);
    }
}

// ---- Close

void TWebForm::RemoveAvlAtom() {
    if (AvlAtom != 0)
        GlobalDeleteAtom(AvlAtom);
    AvlAtom = GlobalFindAtom(AvlRunningAtom);
    if (AvlAtom != 0)
        GlobalDeleteAtom(AvlAtom);
}

void TWebForm::FormCloseQuery(QObject*, bool& CanClose) {
    ClosingStarted = true;
    RemoveAvlAtom();
    Application.OnIdle = nullptr;
    if (xplr8900::FileForm)
        xplr8900::FileForm->FolderMonitor_Terminate();
    if (SlideshowRunning) {
        UserInterrupt = true;
        CanClose = false;
        return;
    }
    if (AppQuitting) {
        CanClose = true;
        return;
    }
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    if (!AvlStartMode && ViewerControls.Flag(vc::PromptOnClose) && isVisible() && mnuQuit->Tag != 1) {
        CanClose = false;
        CloseMenu->popup(QCursor::pos());
        return;
    }
    if (!ConfirmScriptDiscard(CanClose))
        return;
    if (IsBusy || ImageChanged || show8900::AlbumChanged) {
        if (CloseNow(this) == mrNo) {
            CanClose = false;
            RefuseCloseForUnsavedWork();
            return;
        }
    }
    ReleaseAtCloseQuery();
    Application.OnHelp = nullptr;
}

// False (and the close refused) when the user keeps a recorded Lab script.
bool TWebForm::ConfirmScriptDiscard(bool& CanClose) {
    using batch_8900::BatchForm;
    if (!batch_8900::BatchFormActive || !BatchForm || BatchForm->LineCount() <= 4)
        return true;
    if (mnuExit->Tag == 1)
        return true;
    const int answer = voMessageDlg("", std::string("Exit ") + AppVersionName,
                                    std::string("Discard image processing script?\n\n") + YesToAllNote,
                                    mtConfirmation, mbYesNoYesToAll, AutoDefaultButton, 0);
    if (answer == mrNo) {
        CanClose = false;
        show();
        BatchForm->Show();
        return false;
    }
    if (answer == mrYesToAll) {
        mnuExit->Tag = 1;
        ImageChanged = false;
    }
    return true;
}

void TWebForm::RefuseCloseForUnsavedWork() {
    using show8900::ShowForm;
    if (ShowForm && ShowForm->SlideItemCount() > 0 && show8900::AlbumChanged) {
        ShowForm->show();
        Application.ProcessMessages();
        return;
    }
    show();
    if (show8900::AlbumChanged && xplr8900::FileForm)
        xplr8900::FileForm->mnuSlideEditorXClick(this);
}

// The last steps of a granted close request: the imaging library, the lists,
// the bookmarks and the run's temporary files.
void TWebForm::ReleaseAtCloseQuery() {
    if (ImgHandle != 0) {
        ImgClose(ImgHandle);
        ImgHandle = 0;
    }
    Application.ProcessMessages();
    ImgShutdown();
    Daz95->SetPaintLock(true);
    for (TStringList* list : {&FolderHistory, &SpareList, &ReportLines, &AvlLines, &AvlDirLines,
                              &SlideFolders, &ExtIconCache})
        list->Clear();
    AvlScriptStream.Clear();
    ImageHistoryList.SaveToFile(AddBackslash(AppDir) + "latest_bookmarks.vop");
    ImageHistoryList.Clear();
    LabScript.Clear();
    DeleteTemporaryFiles();
}

void TWebForm::DeleteTemporaryFiles() {
    auto deleteIfThere = [](const std::string& name) {
        if (FileExists(name)) {
            DeleteFileNow(name);
            return true;
        }
        return false;
    };
    const std::string handle8 = IntToHex(AppHandle(), 8);
    deleteIfThere(TempFolder() + TempPrefix + handle8 + "voexport.pcx");
    std::string dataFolder;
    GetDataFolder(dataFolder);
    if (deleteIfThere(AddBackslash(AppDir) + AppVersionName + TempNameStem + ".avc")) {
        CatalogDFile = dataFolder + TempNameStem + "._d_";
        CatalogVFile = dataFolder + TempNameStem + "._v_";
        CatalogNFile = dataFolder + TempNameStem + "._n_";
        CatalogRFile = dataFolder + TempNameStem + "._r_";
        CatalogCFile = dataFolder + TempNameStem + "._c_";
        for (const std::string* name : {&CatalogDFile, &CatalogVFile, &CatalogNFile, &CatalogRFile, &CatalogCFile})
            deleteIfThere(*name);
    }
    xplr8900::BookmarkListFile = dataFolder + TempNameStem + ".vop";
    if (deleteIfThere(xplr8900::BookmarkListFile))
        deleteIfThere(dataFolder + TempNameStem + ".dir");
}

int TWebForm::CloseNow(QObject* Sender) {
    if (IsBusy) {
        voMessageDlg("", "", "A critical process is being executed.\nCancel the process to proceed.",
                     mtWarning, mbOKOnly, AutoDefaultButton, 0);
        return mrNo;
    }
    const bool fromExplore = Sender == static_cast<QObject*>(btnExplore);
    std::string text = show8900::AlbumChanged && !fromExplore ? "Discard Slide Album contents?"
                                                              : "Discard modified image?";
    const std::string title = fromExplore ? "Lose unsaved changes." : std::string("Exit ") + AppVersionName;
    if (mnuExit->Tag == 1) {
        ImageChanged = false;
        return mrYes;
    }
    text += std::string("\n\n") + YesToAllNote;
    const int answer = voMessageDlg("", title, text, mtConfirmation, mbYesNoYesToAll, AutoDefaultButton, 0);
    if (answer == mrYesToAll) {
        mnuExit->Tag = 1;
        ImageChanged = false;
    } else if (answer == mrYes) {
        ImageChanged = false;
    }
    return answer;
}

void TWebForm::FormClose(QObject*, TCloseAction& Action) {
    RemoveAvlAtom();
    if (batch_8900::BatchFormActive && batch_8900::BatchForm)
        batch_8900::BatchForm->Close();
    if (show8900::ShowFormActive && show8900::ShowForm) {
        show8900::ShowForm->ShutdownSlides();
        show8900::ShowForm->Close();
    }
    if (CommentFormCreated && comment_8900::CommentForm)
        comment_8900::CommentForm->close();
    if (compare_8900::CompareFormActive && compare_8900::CompareForm)
        compare_8900::CompareForm->close();
    SaveSettingsAtClose();
    Application.ProcessMessages();
    Action = caFree;
    FreeAtClose();
    ShutDown = true;
    if (xplr8900::FileForm)
        xplr8900::FileForm->Close();
    // After the explorer, which keeps the zip window's bounds: now it really closes.
    if (Unzip_8900::UnZipForm)
        Unzip_8900::UnZipForm->close();
    if (!UndoFile.empty() && FileExists(UndoFile))
        DeleteFileNow(UndoFile);
}

void TWebForm::SaveSettingsAtClose() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    if (AvlStartMode)
        return;
    WriteViewerSettings(registry);
    if (JpegWizardSettings.Quality() != -1)
        registry.WriteBinaryData(JpegRecordName, JpegWizardSettings.Bytes.data(), TJpegWizardSettings::Size);
}

void TWebForm::FreeAtClose() {
    PcxGraphic.reset();
    DibImage.reset();
    PngGraphic.reset();
    TgaGraphic.reset();
    TiffGraphic.reset();
    JPEGImage.reset();
    SpareStream.Clear();
    for (auto* bitmap : {&BackupBitmap, &UndoBitmap, &WorkBitmap, &ScratchBitmap, &DuplicateBitmap})
        bitmap->reset();
    ScriptStream.Clear();
}

void TWebForm::closeEvent(QCloseEvent* event) {
    // A command paused in ProcessMessages (an open, a save, a print) still uses
    // the window: it closes once that command has returned.
    if (Application.DeferClose(this)) {
        event->ignore();
        return;
    }
    bool canClose = true;
    Guarded([&] { FormCloseQuery(this, canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    TCloseAction action = caHide;
    Guarded([&] { FormClose(this, action); });
    event->accept();
    if (action == caFree) {
        setAttribute(Qt::WA_DeleteOnClose);
        // The program ends with its main form.
        if (Application.MainForm() == this)
            Application.Terminate();
    }
}

void TWebForm::mnuExitClick(QObject*) {
    if (FullScreen)
        LeaveFullScreen();
    if (xplr8900::FileForm && xplr8900::FileForm->isVisible())
        xplr8900::FileForm->Close();
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    close();
}

void TWebForm::mnuQuitClick(QObject*) {
    mnuQuit->Tag = 1;
    close();
}

void TWebForm::chkPromptOnCloseClick(QObject* Sender) {
    ViewerControls.SetFlag(vc::PromptOnClose, false);
    ShowPromptDisabledInfo();
    mnuQuitClick(Sender);
}

void TWebForm::ShowPromptDisabledInfo() {
    voMessageDlg("", std::string(PromptOptionName) + " disabled.",
                 std::string("To reenable this feature, activate Options dialog <Alt-O>.\nCheck ") +
                     PromptOptionName + " option in Advanced tab.",
                 mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

void TWebForm::mnuAboutClick(QObject*) { ExecuteAboutForm(); }

// ---- Application events

void TWebForm::AppException(const Exception& E) {
    const std::string message = E.Message();
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    FileExt = UpperCase(ExtractFileExt(FileName));
    if (HandleJpegException(message, dynamic_cast<const EJPEG*>(&E) != nullptr))
        return;
    if (LowerCase(message) != "unspecified error") {
        HandleUnexpectedException(message);
        return;
    }
    FileExt = UpperCase(ExtractFileExt(FileName));
    if (ExtInList(FileExt,
                  ".WAV.MP2.MP3.MPA.MID.AU.SND.WMA.RMI.APE.FLAC.M4A.OGG.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF."
                  "QT.MOV.RM.MKV.MP4",
                  ".AU.QT.RM"))
        voMessageDlg("", "", FileName + " could not be played." + "\n" +
                                 "An updated CODEC may be required or file is corrupted; see FAQ.",
                     mtWarning, mbOKOnly, AutoDefaultButton, 0);
    HistoryChangeUpdate();
}

// JPEG and metafile failures: a fresh decoder and a blank picture. False when
// the failure is of another kind.
bool TWebForm::HandleJpegException(const std::string& message, bool jpegError) {
    const bool jpegText = LowerCase(message).find("jpeg") != std::string::npos;
    if (!jpegError && !jpegText && !ExtInList(FileExt, ".WMF.EMF", ""))
        return false;
    JPEGImage = std::make_unique<TJPEGImage>();
    voMessageDlg("", "", message + "\n" + "Filename:" + FileName + "\n" + "Location:" + ExtractFilePath(FileName),
                 mtWarning, mbOKOnly, AutoDefaultButton, 0);
    HistoryChangeUpdate();
    NewBlankImage(true);
    Screen.SetCursor(crDefault);
    return true;
}

void TWebForm::HandleUnexpectedException(const std::string& message) {
    Application.OnIdle = nullptr;
    if (xplr8900::FileForm)
        xplr8900::FileForm->FolderMonitor_Terminate();
    const bool windowsWithWork = show8900::ShowFormActive || batch_8900::BatchFormActive;
    std::string text = "Unexpected exception.  Please report following error.\n";
    if (windowsWithWork)
        text += std::string("\n") + "Click [Ignore] button to exit this dialog and save" + "\n" +
                "changes to your Slide Album or Lab Script commands." + "\n" +
                "After saving, close then reactivate application." + "\n\n";
    else if (ImageChanged)
        text += std::string("\n") + "Click [Ignore] button to exit this dialog and save" + "\n" +
                "changes to your image." + "\n" + "After saving, close then reactivate application." + "\n\n";
    text += ImageViewInfo + "\n" + message;
    RemoveAvlAtom();
    // Unsaved work of any window may be kept: the user chooses to go on.
    if (!windowsWithWork && !ImageChanged) {
        voMessageDlg("", "", text, mtError, mbOKOnly, AutoDefaultButton, 0);
    } else {
        Screen.SetCursor(crDefault);
        const int answer = voMessageDlg("", "", text, mtError, uint16_t(ButtonBit(mbOK) | ButtonBit(mbIgnore)),
                                        AutoDefaultButton, 0);
        if (answer == mrIgnore)
            return;
    }
    ShutDown = true;
    AppQuitting = true;
    close();
}

void TWebForm::DisplayChange(int Bits, int Width, int Height) {
    if (Width == ScreenWidth && Height == ScreenHeight && Bits == ScreenColorBits)
        return;
    DisplayChanged = true;
    UserInterrupt = true;
    voMessageDlg("", "", std::string("Display has changed.\n") + AppVersionName + " should be closed and restarted.",
                 mtWarning, mbOKOnly, AutoDefaultButton, 0);
}

bool TWebForm::AppHelp(long Context) {
    if (!ShowHelp(HelpFileName, Context) && !helpMissingShown_) {
        helpMissingShown_ = true;
        StatusText("Help is not installed.");
    }
    return true;
}

void TWebForm::AppRestore() {
    using show8900::ShowForm;
    if (ShowForm && ShowForm->SlideItemCount() > 0)
        ShowForm->show();
    TFileForm* explorer = xplr8900::FileForm;
    if (explorer && xplr8900::ExplorerActive) {
        if (!FolderExists(ExploreDir)) {
            ExploreDir = HomeFolder();
            explorer->GoToFolder(HomeFolder());
        }
        explorer->Show();
        explorer->showNormal();
    }
}

void TWebForm::AppMinimize() {
    if (SlideshowRunning)
        UserInterrupt = true;
    CancelPressed = 1;
}

void TWebForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Guarded([this] { FormActivate(); });
}

void TWebForm::paintEvent(QPaintEvent* event) {
    WindowResized = 1;
    QMainWindow::paintEvent(event);
}

}  // namespace lumvor
