// The image window's bookmark list: adding the opened picture, stepping
// through the list, removing, sorting, clearing, the list files and the
// displays of the list (path box, status bar, menus), and the explorer button.
#include "app/lumv8900.h"
#include "platform/MediaPlayer.h"

#include "album/show8900.h"
#include "app/Bookmarks.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "processing/script/LabState.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MeSaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QMenuBar>
#include <QToolButton>
#include <QVariant>

#include <chrono>
#include <thread>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* ListFilter = "Lumvor List|*.vop";
constexpr const char* ListExt = "vop";

// Works on menu items and on widgets alike.
void SetEnabled(QObject* component, bool enabled) { TWebForm::SetItemEnabled(component, enabled); }

void SetVisible(QObject* component, bool visible) {
    if (component)
        component->setProperty("visible", visible);
}

bool ValidIndex() { return ImageHistoryIndex >= 0 && ImageHistoryIndex < ImageHistoryList.Count(); }

}  // namespace

TMeOpenDialogEx* TWebForm::NewOpenDialogAny(QObject* owner) { return new TMeOpenDialogEx(owner); }

TMeSaveDialogEx* TWebForm::NewSaveDialogVOP(QObject* owner) { return new TMeSaveDialogEx(owner); }

// ---- Adding and stepping

void TWebForm::UpdateHistory(bool Add) {
    (void)Add;
    if (batch_8900::BatchRunning)
        return;
    // While media play the player names the file.
    InsertBookmark(ImageHistoryList, ImageHistoryIndex,
                   MediaMode && ViewerPlayer ? ViewerPlayer->FileName() : FileName);
    UpdateHistoryEdit();
    HistoryControls();
}

void TWebForm::OpenCurrentBookmark() {
    FileName = ImageHistoryList[ImageHistoryIndex];
    if (FileExists(FileName)) {
        FileExt = UpperCase(ExtractFileExt(FileName));
        BtnOpenEx(this);
    } else {
        HistoryChangeUpdate();
    }
}

void TWebForm::btnNextImageClick(QObject*) {
    if (ImageHistoryList.Count() < 2)
        return;
    ImageHistoryIndex = StepBookmark(ImageHistoryIndex, ImageHistoryList.Count(), +1);
    OpenCurrentBookmark();
}

void TWebForm::btnPrevImageClick(QObject*) {
    if (ImageHistoryList.Count() < 2)
        return;
    ImageHistoryIndex = StepBookmark(ImageHistoryIndex, ImageHistoryList.Count(), -1);
    OpenCurrentBookmark();
}

void TWebForm::HistoryClick() {
    if (!ValidIndex() || ImageHistoryList[ImageHistoryIndex] == FileName)
        return;
    OpenCurrentBookmark();
}

// ---- Removing and clearing

void TWebForm::HistoryChangeUpdate() {
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(66));
    }
    // An entry that takes the removed one's place but whose file is gone goes
    // too, so the window never names a picture that no longer exists.
    bool left = RemoveCurrentBookmark(ImageHistoryList, ImageHistoryIndex);
    while (left && !FileExists(ImageHistoryList[ImageHistoryIndex]))
        left = RemoveCurrentBookmark(ImageHistoryList, ImageHistoryIndex);
    if (left) {
        FileName = ImageHistoryList[ImageHistoryIndex];
        FileExt = UpperCase(ExtractFileExt(FileName));
        UpdateHistoryEdit();
        HistoryControls();
        BtnOpenEx(this);
        return;
    }
    NewBlankImage(true);
    History->setEditText(QString());
    ImageHistoryIndex = 0;
    HistoryControls();
}

void TWebForm::mnuBookmarkUnmarkClick(QObject*) {
    if (!mnuBookmarkUnmark || mnuBookmarkUnmark->Tag != 1) {
        const int answer = voMessageDlg("", "Remove bookmark", "[Yes to All] avoids this dialog (for experts).",
                                        mtConfirmation, mbYesNoYesToAll, AutoDefaultButton, 0);
        if (answer != mrYes && answer != mrYesToAll)
            return;
        if (answer == mrYesToAll && mnuBookmarkUnmark)
            mnuBookmarkUnmark->Tag = 1;
    }
    HistoryChangeUpdate();
}

void TWebForm::mnuHistoryClearClick(QObject*) {
    // Clearing blanks the picture: a modified one is not thrown away unasked.
    if (ImageChanged && CloseNow(this) == mrNo)
        return;
    NewBlankImage(true);
    ImageHistoryList.Clear();
    ImageHistoryIndex = 0;
    History->setEditText(QString());
    HistoryControls();
}

void TWebForm::mnuHistorySortClick(QObject* Sender) {
    const bool reverse = Sender && (Sender == mnuHistorySortReverse || Sender == mnuHistorySortReverse3);
    SortBookmarks(ImageHistoryList, reverse, [](const std::string& name) { return FileExists(name); });
    ImageHistoryIndex = 0;
    HistoryClick();
    UpdateHistoryEdit();
    HistoryControls();
}

// ---- List files

template <class Dialog>
bool TWebForm::ExecuteWithRecent(Dialog& dialog) {
    while (!dialog.Execute()) {
        if (!dialog.ExecuteRecent)
            return false;
        dialog.SetInitialDir(EnsureRecentPath());
    }
    return true;
}

template bool TWebForm::ExecuteWithRecent<TMeOpenDialogEx>(TMeOpenDialogEx&);
template bool TWebForm::ExecuteWithRecent<TMeSaveDialogEx>(TMeSaveDialogEx&);

void TWebForm::mnuHistorySaveClick(QObject*) {
    SaveDialogVOP->Filter = ListFilter;
    SaveDialogVOP->SetFilterIndex(1);
    SaveDialogVOP->Title = "Save Bookmarks";
    SaveDialogVOP->SetFileName("Untitled");
    SaveDialogVOP->DefaultExt = ListExt;
    if (!ExecuteWithRecent(*SaveDialogVOP))
        return;
    const std::string name = SaveDialogVOP->FileName();
    try {
        ImageHistoryList.SaveToFile(name);
    } catch (const Exception& e) {
        // A list that cannot be written is reported; the window carries on.
        voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    AddToAppRecent(ExtractFilePath(name));
}

void TWebForm::mnuHistoryLoadClick(QObject* Sender) {
    const bool fromExplorer = Sender && Sender == static_cast<QObject*>(xplr8900::FileForm);
    OpenDialogAny->Filter = ListFilter;
    OpenDialogAny->Title = "Load Bookmarks";
    OpenDialogAny->DefaultExt = ListExt;
    if (!fromExplorer) {
        OpenDialogAny->SetFileName("");
        if (!ExecuteWithRecent(*OpenDialogAny))
            return;
    }
    Screen.SetCursor(crHourGlass);
    try {
        LoadBookmarkFile(OpenDialogAny->FileName(), ImageHistoryList);
    } catch (const Exception&) {
        // The list in use stays as it was.
        Screen.SetCursor(crDefault);
        voMessageDlg("", "", "Could not load bookmarks.", mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    ImageHistoryIndex = 0;
    Screen.SetCursor(crDefault);
    HistoryControls();
    if (!fromExplorer)
        mnuBookmarksViewClick(Sender);
}

// ---- The list dialog

void TWebForm::mnuBookmarksViewClick(QObject*) {
    if (ImageHistoryList.Count() == 0 || !isVisible())
        return;
    CurFileName = History->currentText().toStdString();
    const int chosen = ExecuteListDlg(410, 300, "Bookmarked Files", ImageHistoryList);
    // The dialog may have removed entries.
    if (!ValidIndex())
        ImageHistoryIndex = 0;
    if (chosen >= 0 && chosen < ImageHistoryList.Count()) {
        ImageHistoryIndex = chosen;
        HistoryClick();
    }
    HistoryControls();
}

// ---- Reordering and handing on

void TWebForm::mnuBookmarkUpClick(QObject* Sender) {
    if (ImageHistoryList.Count() < 2 || ImageChanged)
        return;
    const bool down = Sender && Sender == mnuBookmarkDn;
    if (MoveBookmark(ImageHistoryList, ImageHistoryIndex, down))
        ShowBookmarkCount();
}

void TWebForm::mnuHistoryAlbumClick(QObject*) {
    if (ImageHistoryList.Count() < 2)
        return;
    if (!show8900::ShowForm)
        show8900::ShowForm = new TShowForm();
    TShowForm* album = show8900::ShowForm;
    album->show();
    album->raise();
    const bool albumHolds = show8900::AlbumChanged || album->Tag == 1;
    if (albumHolds && mnuHistoryAlbum->Tag != 1) {
        const int answer = voMessageDlg("", "Copy Bookmarks to Slide Album",
                                        "Discard Slide Album contents?\n\n[Yes to All] avoids this dialog (for experts).",
                                        mtConfirmation, mbYesNoYesToAll, AutoDefaultButton, 0);
        if (answer != mrYes && answer != mrYesToAll)
            return;
        if (answer == mrYesToAll)
            mnuHistoryAlbum->Tag = 1;
    }
    // The album takes the list over: it gets a copy, the bookmarks stay.
    auto* files = new TStringList;
    files->Assign(ImageHistoryList);
    album->InstantSlideshow(files);
}

void TWebForm::HistoryFocus1Click(QObject*) {
    if (PanelHistory->isVisible())
        History->setFocus(Qt::ShortcutFocusReason);
}

// ---- Displays of the list

void TWebForm::UpdateHistoryEdit() {
    if (_mnufname)
        _mnufname->SetCaption(".");
    if (ValidIndex())
        History->setEditText(QString::fromStdString(ImageHistoryList[ImageHistoryIndex]));
    if (!(FullScreen && MaxFullScreen && FullScreenMenus) || !_mnufname)
        return;
    if (HistoryCharWidth == 0)
        HistoryCharWidth = GetMenuFontCharWidth();
    TMenuFileNameInput in;
    in.PathText = History->currentText().toStdString();
    in.SizeText = SizeText();
    in.ImageWidth = ImageWidth;
    in.ImageHeight = ImageHeight;
    in.ScreenWidth = ScreenWidth;
    in.MenuWidth = TopMenuTextWidth;
    in.CharWidth = HistoryCharWidth;
    in.Count = ImageHistoryList.Count();
    in.Index = ImageHistoryIndex;
    in.Fit = FitWindow;
    in.Untitled = FileName == "Untitled";
    _mnufname->SetCaption(MenuFileNameCaption(in));
}

int TWebForm::GetMenuFontCharWidth() {
    const QFontMetrics metrics(TopMenu ? TopMenu->font() : font());
    TopMenuTextWidth =
        metrics.horizontalAdvance(" | File || Edit || View || Image || Lab || Enhance || Tools || Help || .");
    return std::max(1, metrics.horizontalAdvance("wxwxwxwxwx") / 10);
}

void TWebForm::HistoryControls() {
    const int count = ImageHistoryList.Count();
    const bool several = count >= 2;
    SetVisible(HomeImage, several);
    SetVisible(HomeImage1, several);
    for (QObject* component : std::initializer_list<QObject*>{btnNextImage, btnPrevImage, btn2_Run})
        SetEnabled(component, several);
    for (QObject* component :
         std::initializer_list<QObject*>{mnuDeleteV, mnuDeleteVP, mnuFCopyV, mnuFMoveV, btnCopy, btnTrash, btnInfo})
        SetEnabled(component, count >= 1);
    ShowBookmarkCount();
}

void TWebForm::mnuBookmarksClick(QObject*) {
    const bool several = ImageHistoryList.Count() >= 2;
    for (QObject* component :
         std::initializer_list<QObject*>{mnuHistorySlideshow, mnuHistorySort, mnuHistoryAlbum, mnuBookmarkUnmark,
                                         mnuBookmarksRun, mnuBookmarksRun2, mnuHistorySort2, mnuHistoryAlbum2})
        SetEnabled(component, several);
}

void TWebForm::ShowBookmarkCount() {
    SetStatusPanel(3, BookmarkCountText(ImageHistoryList.Count(), ImageHistoryIndex));
}

// ---- The explorer button

// A null Sender stands for the application object (the zip window's call): the
// explorer is shown where it is.
void TWebForm::btnExploreClick(QObject* Sender) {
    if (IsBusy || SlideshowRunning)
        return;
    TFileForm* explorer = xplr8900::FileForm;
    if (!explorer)
        return;
    const std::string text = History->currentText().toStdString();
    if (Sender && !text.empty()) {
        std::string folder = ExtractFilePath(text);
        if (!DirectoryExists(folder))
            folder = AppDir;
        if (AddBackslash(folder) != AddBackslash(ExploreDir))
            explorer->GoToFolder(folder);
    }
    explorer->Show();
    if (!isVisible())
        explorer->mnuRefreshClick(this);
    if (explorer->isMinimized())
        explorer->showNormal();
}

}  // namespace lumvor
