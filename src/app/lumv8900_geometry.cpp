// The image window's geometric editing commands: the clipboard copies, crop,
// flips and rotation. Crop and copy cut the viewer picture directly; flips and
// turns go through the imaging library on an exported copy of the picture.
#include "app/script/LabFrame.h"
#include "app/ViewGeometry.h"
#include "app/lumv8900.h"

#include "imaging/Helpers.h"
#include "imgman/imgman.h"
#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/geometry/Crop.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/vardlg_w.h"
#include "ui/voMsgBox.h"

#include <QScrollBar>
#include <QToolButton>

namespace lumvor {

using namespace lumv8900;
using batch_8900::BatchRunning;
using viewgeo::Normalized;
using viewgeo::ShownPictureRect;

namespace {

constexpr const char* ClipboardTooLarge = "Image may be too large for clipboard.\nFunction aborted.";
constexpr int FullTurn = 36000;

// The imaging library answered 0; its error text says why.
struct TLibraryFailure {};

// Puts a graphic on the clipboard; shows the error box when that fails.
bool CopyToClipboard(const TPersistent& graphic) {
    try {
        Clipboard().Assign(&graphic);
        return true;
    } catch (const std::exception&) {
        voMessageDlg("", "", ClipboardTooLarge, mtError, mbOKOnly, AutoDefaultButton, 0);
        return false;
    }
}

// Runs a command that works on the imaging library's copy of the picture:
// exporting the picture is its parameter step, and a library failure shows
// the library's error text and leaves the picture as it was.
void RunLibraryCommand(TWebForm& form, TLabCommand command) {
    command.Ending = TLabEnding::SizeChange;
    command.To24Bit = false;
    command.Parameters = [&form] {
        if (form.ExportBitmapToImg() != 0)
            return true;
        form.ShowImgError();
        return false;
    };
    try {
        RunLabCommand(form, command);
    } catch (const TLibraryFailure&) {
        form.ShowImgError();
        form.StatusReady();
    }
}

}  // namespace

int TagOf(QObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        return item->Tag;
    return Sender ? Sender->property("Tag").toInt() : 0;
}

// ---- Clipboard

void TWebForm::mnuEmptyClick(QObject*) { Clipboard().Clear(); }

void TWebForm::mnuCopyClick(QObject*) {
    Clipboard().Clear();
    if (MemoryRunningLow())
        return;
    Screen.SetCursor(crHourGlass);
    CopyToClipboard(*Daz95->Bitmap());
    Screen.SetCursor(crDefault);
}

void TWebForm::mnuCopyMain1Click(QObject*) { SetItemEnabled(mnuCopyViewport, !FitWindow); }

// The part of the picture on screen, at the picture's depth with its palette.
void TWebForm::mnuCopyViewportClick(QObject*) {
    chkHandToolClick(this);
    const int zoom = FitWindow ? 100 : ZoomPercent;
    const TRect shown = ShownPictureRect(ScrollBox->horizontalScrollBar()->value(),
                                         ScrollBox->verticalScrollBar()->value(), ScrollBox->viewport()->width(),
                                         ScrollBox->viewport()->height(), zoom, ImageWidth, ImageHeight);
    LastSelection = Selection = shown;
    if (shown.Width() <= 0 || shown.Height() <= 0)
        return;
    if (ImageBitCount != 1 && ImageBitCount != 4 && ImageBitCount != 8)
        ImageBitCount = 24;
    Clipboard().Clear();
    TBitmap block;
    block.SetHandle(std::make_shared<TPixelBuffer>(CropPixels(*Daz95->Bitmap()->Handle(), shown, ImageBitCount)));
    CopyToClipboard(block);
}

// ---- Copy selection and crop

void TWebForm::mnuCopyMaskClick(QObject* Sender) {
    const bool crop = Sender == this || Sender == mnuCrop || Sender == mnuCrop1;
    PreparedWidth = 0;
    Clipboard().Clear();
    if (MemoryRunningLow())
        return;
    // The block is taken at the picture's own scale; fit-to-window display
    // comes back when the command ends.
    const bool leftFit = !CropFromScript && FitWindow;
    const auto restoreFit = [this, leftFit] {
        if (leftFit && !FitWindow)
            mnuFitWindowClick(this);
    };
    if (leftFit) {
        // The region put back at the new scale is the one drawn on screen.
        GetAdjustedSelection();
        Selection = LastSelection;
        mnuFitWindowClick(mnuCopyMask);
        mnuRegion1Click(mnuCopyMask);
    }
    if (!CropFromScript)
        GetAdjustedSelection();
    LastSelection = Normalized(LastSelection);
    const TRect block = CropBlock(LastSelection, ImageWidth, ImageHeight);
    // A selection with nothing of the picture in it is no command at all.
    if (block.Width() <= 0 || block.Height() <= 0 || (!CropFromScript && crop && !AutoBackUp())) {
        restoreFit();
        return;
    }
    Screen.SetCursor(crHourGlass);
    bool copied = false;
    try {
        auto result = std::make_shared<TPixelBuffer>(CropPixels(*Daz95->Bitmap()->Handle(), block, ImageBitCount));
        if (crop) {
            ImageBitCount = result->Depth();
            EmptyBitmap(*Daz95->Bitmap());
            Daz95->Bitmap()->SetHandle(result);
            Application.ProcessMessages();
            ImageWidth = result->Width();
            ImageHeight = result->Height();
            if (Sender != this)
                ProcessDone();
        } else {
            TBitmap copy;
            copy.SetHandle(result);
            copied = CopyToClipboard(copy);
        }
    } catch (...) {
        Screen.SetCursor(crDefault);
        throw;
    }
    Screen.SetCursor(crDefault);
    if (CropFromScript)
        return;
    if (!BatchRunning) {
        chkHandToolClick(this);
        AddLabCommand(LabLine("CROP_EX", {block.Left, block.Top, block.Width(), block.Height()}));
    }
    restoreFit();
    if (copied && !BatchRunning)
        RestoreSelection();
}

// ---- Flips and rotation

void TWebForm::mnuMirrorVertClick(QObject* Sender) {
    const bool vertical = Sender == mnuMirrorVert || Sender == btnMirrorVert;
    TLabCommand command;
    command.BusyText = "Flipping...";
    command.Recording = TLabRecording::MenuOnly;
    command.LineTime = TLabLineTime::BeforeWork;
    command.Line = [vertical] { return LabLine(vertical ? "FLIP_VERTICAL" : "FLIP_HORIZONTAL"); };
    command.Work = [this, vertical] {
        if (ImgMirror(ImgHandle, vertical ? 1 : 0, vertical ? 0 : 1) == 0)
            throw TLibraryFailure{};
        ImportImgToBitmap(false, false);
    };
    RunLibraryCommand(*this, command);
}

void TWebForm::mnuRotateClick(QObject* Sender, bool ShiftDown) {
    const int tag = ShiftDown ? 0 : TagOf(Sender);
    bool fine = false;
    int angle = 0;  // anticlockwise, hundredths of a degree
    if (tag != 0) {
        angle = FullTurn - tag;
    } else if (Sender == mnuRotate) {
        const int degrees = ExecuteVariableDlg(500, 90, 401);
        if (degrees == 0)
            return;
        angle = FullTurn - 100 * degrees;
    } else {
        fine = true;
        const int hundredths = ExecuteVariableDlg(501, 0, 401);
        if (hundredths == 0)
            return;
        angle = hundredths > 0 ? FullTurn - hundredths : -hundredths;
    }
    TLabCommand command;
    command.BusyText = "Rotating...";
    command.Recording = TLabRecording::Step;
    command.LineTime = TLabLineTime::AfterWork;
    command.Line = [fine, angle] {
        return fine ? LabLine("ROTATE_FINE", {FullTurn - angle}) : LabLine("ROTATE", {360 - angle / 100});
    };
    command.Work = [this, angle] {
        Screen.SetCursor(crHourGlass);
        // The picture stays as it is until the library has the turned one.
        const auto fill = static_cast<uint32_t>(ToColorValue(ColorToRGB(BackgroundColor)));
        const int turned = ImgRotate(ImgHandle, angle, fill);
        if (turned == 0)
            throw TLibraryFailure{};
        ImgClose(ImgHandle);
        ImgHandle = turned;
        ImportImgToBitmap(true, false);
    };
    RunLibraryCommand(*this, command);
}

}  // namespace lumvor
