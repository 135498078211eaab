// Pasting the clipboard's picture into the image window (as the picture or
// into the selection) and handing the picture to the compare window's panes.
//
// Both pastes look at the clipboard and take the undo copy before they touch
// the picture, and read the clipboard into a bitmap of their own first: a
// clipboard without a picture, or a read the user gives up on, leaves the
// picture, its name and its undo copy as they were.
#include "app/lumv8900.h"

#include "app/dialogs/compare_8900.h"
#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/geometry/Crop.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <algorithm>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* PasteFailedCaption = "Paste from clipboard failed.";
constexpr const char* PasteRetryQuestion = "Clear memory buffers and try again?";

bool ClipboardHasBitmap() { return Clipboard().HasFormat(CF_BITMAP); }

void CheckReadFault(int way) {
    if (ClipboardReadFault)
        ClipboardReadFault(way);
}

// The clipboard's picture through the window's DIB graphic, at 24 bits. The
// DIB gives up its pixels afterwards, whether the read worked or not.
bool ReadThroughDib(TBitmap& target) {
    DibImage = std::make_unique<TBmpGraphic>();
    bool read = true;
    try {
        CheckReadFault(1);
        DibImage->LoadFromClipboardFormat(CF_BITMAP, Clipboard().GetAsHandle(CF_BITMAP), Clipboard().GetPalette());
        target.Assign(DibImage.get());
    } catch (const std::exception&) {
        read = false;
    }
    DibImage->FreeImage();
    return read;
}

// The clipboard's picture as a plain bitmap, at the clipboard's depth.
bool ReadAsBitmap(TBitmap& target) {
    try {
        CheckReadFault(2);
        target.LoadFromClipboardFormat(CF_BITMAP, Clipboard().GetAsHandle(CF_BITMAP), Clipboard().GetPalette());
        return !target.GetEmpty();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool TWebForm::LoadClipboardBitmap(TBitmap& Target, bool CleanFirst) {
    // The clean-up runs as for the paste command whichever paste asks for it:
    // it then frees memory silently and keeps the clipboard it is to read.
    const auto cleanUp = [this] { mnuMemoryClick(mnuPaste); };
    TBitmap read;
    bool done = ReadThroughDib(read);
    if (!done) {
        DibImage = std::make_unique<TBmpGraphic>();
        if (CleanFirst)
            cleanUp();
        done = ReadAsBitmap(read);
    }
    while (!done) {
        const int answer = voMessageDlg("", PasteFailedCaption, PasteRetryQuestion, mtConfirmation, mbYesNo,
                                        AutoDefaultButton, 0);
        if (answer != mrYes)
            return false;
        cleanUp();
        read.Assign(nullptr);
        done = ReadAsBitmap(read);
    }
    Target.Assign(&read);
    return true;
}

void TWebForm::mnuPasteClick(QObject*) {
    if (!ClipboardHasBitmap() || !AutoBackUp())
        return;
    ResetAutoViewOptions();
    PreparedWidth = 0;
    TBitmap pasted;
    if (!LoadClipboardBitmap(pasted, false))
        return;
    try {
        pasted.SetPixelFormat(pf24bit);
    } catch (const std::exception&) {
        voMessageDlg("", "", PasteFailedCaption, mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    NewBlankImage(true);
    Daz95->SetBitmap(&pasted);
    ProcessDone();
    UpdateHistoryEdit();
    MultiPageDisable();
    SetItemEnabled(mnuReload, false);
    SetItemEnabled(mnuReload3, false);
    // The blank picture in between took the undo items away; the undo copy
    // still holds the picture before the paste.
    SetUndoControls(true);
}

void TWebForm::mnuPasteMask1Click(QObject*) {
    TBitmap& picture = *Daz95->Bitmap();
    // A selection reaching past any edge pastes into the part inside the picture.
    const TRect block = CropBlock(LastSelection, picture.Width(), picture.Height());
    if (!ClipboardHasBitmap() || block.Width() <= 0 || block.Height() <= 0 || !AutoBackUp())
        return;
    TBitmap pasted;
    if (!LoadClipboardBitmap(pasted, false))
        return;
    const int width = std::min(block.Width(), pasted.Width());
    const int height = std::min(block.Height(), pasted.Height());
    picture.Canvas().CopyRect(Rect(block.Left, block.Top, block.Left + width, block.Top + height), pasted.Canvas(),
                              Rect(0, 0, width, height));
    ProcessDone();
    RestoreSelection();
}

// ---- The compare panes

void TWebForm::mnuCloneSpaceClick(QObject*) {
    TCompareForm& form = EnsureCompareForm();
    form.show();
    form.raise();
    form.activateWindow();
}

void TWebForm::mnuCopytoRightPaneClick(QObject* Sender) {
    mnuCloneSpaceClick(Sender);
    TCompareForm& form = *compare_8900::CompareForm;
    const bool right = Sender == mnuCopytoRightPane;
    TPix* pane = right ? form.PixB : form.PixA;
    try {
        pane->SetBitmap(Daz95->Bitmap());
    } catch (const std::exception&) {
        // Too large to copy: the pane keeps what it showed.
        return;
    }
    pane->resize(pane->Bitmap()->Width(), pane->Bitmap()->Height());
    pane->update();
    (right ? form.PaneTitleB : form.PaneTitleA) = " - " + ExtractFileName(FileName);
    form.RepaintImagePanes();
}

}  // namespace lumvor
