// Files dropped on the image window and files handed over by name from the
// other windows and the command line, and the commands that reopen a
// bookmarked or the current file.
//
// Hand-over routes by extension: zip archives go to the zip window, slide-show
// scripts (".AVL") to the slide show, media files and pictures to the open
// without dialog.
#include "app/lumv8900.h"

#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Menus.h"
#include "ui/DragDrop.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"
#include "zip/Unzip_8900.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* ShortExts = ".AU.RA.RM.QT";
constexpr const char* MediaExts =
    ".AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.MKV.MP4.WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA."
    "RMI.APE.FLAC.M4A.OGG";
// Everything a drop may open: pictures, media and slide-show scripts.
const std::string DropExts = std::string(".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF") + MediaExts + ".AVL";
// The script version from which slide-show scripts are understood.
constexpr int32_t FirstAvlVersion = 7;

QObject* ApplicationObject() { return QCoreApplication::instance(); }

// Shows the window, gives it the focus and enables it.
void BringBack(TWebForm& form) {
    if (form.isMinimized())
        form.showNormal();
    form.show();
    form.setEnabled(true);
    form.raise();
    form.activateWindow();
}

// Stops media playback when media are shown.
void StopMedia(TWebForm& form) {
    if (MediaMode)
        form.AV_UI(false);
}

}  // namespace

void TWebForm::CreateDropTarget() {
    DropTarget = new TDropTargetEx(this);
    DropTarget->SetShowMenu(false);
    DropTarget->SetDropControl(this);
    DropTarget->SetEffects(DropSet(drCopy));
    DropTarget->OnDrop = [this](const QMimeData*, int, TPoint, int&) {
        std::vector<std::string> files;
        for (int i = 0; i < DropTarget->Files.Count(); ++i)
            files.push_back(DropTarget->Files[i]);
        WMDropFiles(files);
    };
}

void TWebForm::WMDropFiles(const std::vector<std::string>& Files) {
    PreparedWidth = 0;
    // During a slide show a drop is taken and discarded.
    if (SlideshowRunning || Files.empty())
        return;
    activateWindow();
    for (size_t i = Files.size() - 1; i >= 1; --i)
        ImageHistoryList.Add(Files[i]);
    const std::string name = Files[0];
    const std::string ext = UpperCase(ExtractFileExt(name));
    // A file the window cannot open leaves the picture as it is.
    if (!ExtInList(ext, DropExts, ShortExts)) {
        raise();
        return;
    }
    if (ImageChanged && CloseNow(this) == mrNo)
        return;
    FileExt = ext;
    if (ext == ".AVL") {
        DragOpen(name);
        return;
    }
    FileName = name;
    Daz95->Bitmap()->Assign(nullptr);
    ImageChanged = false;
    raise();
    BtnOpenEx(ApplicationObject());
}

void TWebForm::DragOpen(const std::string& Name) {
    PreparedWidth = 0;
    // An empty name only brings the window back.
    if (Name.empty()) {
        BringBack(*this);
        return;
    }
    FileName = Name;
    if (isMinimized())
        showNormal();
    if (FullScreen && PreviousFileName == "*")
        FitSavedBounds();
    FileExt = UpperCase(ExtractFileExt(FileName));

    if (FileExt.find(".ZIP") != std::string::npos) {
        if (isHidden())
            show();
        Application.ProcessMessages();
        TUnZipForm& zipWindow = EnsureUnZipForm();
        zipWindow.show();
        zipWindow.Populate(FileName);
        Application.ProcessMessages();
        return;
    }
    if (FileExt == ".AVL") {
        try {
            if (LoadAvlScript(FileName) < FirstAvlVersion) {
                voMessageDlg("", "", "Only Klipzo v3.6, Dexmar and Lumvor AVL files are supported.", mtWarning,
                             mbOKOnly, AutoDefaultButton, 0);
                return;
            }
        } catch (const std::exception&) {
            voMessageDlg("", "", "Could not load AVL script.", mtWarning, mbOKOnly, AutoDefaultButton, 0);
            return;
        }
        CmdLinePending = false;
        Application.OnIdle = nullptr;
        BringBack(*this);
        mnuHistorySlideshowClick(mnuHistorySlideshow);
        return;
    }
    if (ExtInList(FileExt, MediaExts, ShortExts)) {
        BringBack(*this);
        if (FitWindow && !MediaMode)
            mnuFitWindowClick(this);
        Application.ProcessMessages();
        BtnOpenEx(ApplicationObject());
    } else {
        BtnOpenEx(ApplicationObject());
        BringBack(*this);
    }
    PreviousFileName.clear();
}

void TWebForm::mnuFirstImageClick(QObject* Sender) {
    StopMedia(*this);
    const bool first = Sender != nullptr && (Sender == mnuFirstImage || Sender == mnuFirstImage1);
    if (History && History->hasFocus()) {
        QKeyEvent press(QEvent::KeyPress, first ? Qt::Key_Home : Qt::Key_End, Qt::NoModifier);
        QCoreApplication::sendEvent(History, &press);
        return;
    }
    if (ImageHistoryList.Count() == 0)
        return;
    ImageHistoryIndex = first ? 0 : ImageHistoryList.Count() - 1;
    FileName = ImageHistoryList[ImageHistoryIndex];
    if (!FileExists(FileName)) {
        HistoryChangeUpdate();
        return;
    }
    FileExt = UpperCase(ExtractFileExt(FileName));
    BtnOpenEx(Sender);
}

void TWebForm::mnuReloadClick(QObject*) {
    StopMedia(*this);
    BtnOpenEx(ApplicationObject());
}

}  // namespace lumvor
