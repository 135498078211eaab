// The Lab's second pictures: the duplicate, the backup slot and the work
// picture; Duplicate, Swap, the backup commands, the loan of the duplicate to
// commands that need it for a moment, and the zero map.
//
// Copies between the pictures are deep copies in memory: each copy is an
// independent picture of its source's size, depth and palette. A copy that
// runs out of memory sets CancelPressed, as a failed step of these commands
// always does; nothing else reports it.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <QStatusBar>

#include <new>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* TwoBitmapsRequired =
    "Two bitmap are required for this function: a source and duplicate.\n"
    "Both bitmaps must have same dimensions and color depth (24-bit).\n"
    "To duplicate current image, press Ctrl-D or select from menu\n\nLab | Duplicate";

// An independent copy of Source's pixels (size, depth, palette, resolution);
// null, with CancelPressed set, when memory ran out. Pending events run once
// after the copy, as after every step of these commands.
HBITMAP CopyPixels(const TBitmap& Source) {
    HBITMAP copy;
    try {
        if (!Source.GetEmpty())
            copy = std::make_shared<TPixelBuffer>(*Source.Handle());
    } catch (const std::bad_alloc&) {
        CancelPressed = 1;
    } catch (const EOutOfMemory&) {
        CancelPressed = 1;
    }
    Application.ProcessMessages();
    return copy;
}

// Target's own pixel memory, when no other bitmap shares it and it has the
// byte size of Source's; else none.
HBITMAP ReusableMemory(const TBitmap& Source, const TBitmap& Target) {
    HBITMAP own = Target.Handle();
    // Two owners: Target and `own`.
    if (!own || own.use_count() != 2 || Source.GetEmpty() || own->ByteCount() != Source.Handle()->ByteCount())
        return nullptr;
    return own;
}

// Target becomes a copy of Source. A copy of the same size goes into Target's
// own memory (Duplicate repeated on one picture allocates nothing); otherwise
// Target is emptied first, so a copy that fails leaves it empty (and a later
// Ok2ComputeFull refuses).
void CopyInto(const TBitmap& Source, TBitmap& Target) {
    if (HBITMAP own = ReusableMemory(Source, Target)) {
        *own = *Source.Handle();
        Target.SetHandle(std::move(own));
        Application.ProcessMessages();
        return;
    }
    Target.Assign(nullptr);
    if (HBITMAP copy = CopyPixels(Source))
        Target.SetHandle(std::move(copy));
}

bool HasPicture(const std::unique_ptr<TBitmap>& bitmap) { return bitmap && !LabEmpty(*bitmap); }

// The depth step of Duplicate and Copy to Backup: 4-bit pictures stay 4-bit,
// pictures of 8 bits and more become 24-bit, 1-bit pictures stay as they are.
// False, with CancelPressed set, when the conversion failed.
bool PrepareDepthForCopy(TWebForm& Form) {
    try {
        if (ImageBitCount == 4) {
            Form.SetBitmap4();
        } else if (ImageBitCount >= 8) {
            OriginalBitCount = 24;
            Form.SetBitmap24();
        }
    } catch (const std::exception&) {
        CancelPressed = 1;
        return false;
    }
    return true;
}

// The picture into a second picture (Duplicate, Copy to Backup); false when
// the depth step failed and nothing was copied.
bool CopyPictureTo(TWebForm& Form, std::unique_ptr<TBitmap>& Target) {
    if (!PrepareDepthForCopy(Form))
        return false;
    if (!Target)
        Target = std::make_unique<TBitmap>();
    CopyInto(*Form.Daz95->Bitmap(), *Target);
    return true;
}

void RecordStep(const char* Line) {
    if (LabRecordsNow(TLabRecording::Step))
        AddLabCommand(Line);
}

}  // namespace

// ---- The test of the two-image commands

bool TWebForm::Ok2ComputeFull() {
    try {
        const TBitmap& viewer = *Daz95->Bitmap();
        // The duplicate must exist and have 24 bits too: the two-image loops
        // read three bytes per pixel of both pictures.
        const bool ok = HasPicture(DuplicateBitmap) && DuplicateBitmap->Width() == viewer.Width() &&
                        DuplicateBitmap->Height() == viewer.Height() && ImageBitCount == 24 &&
                        PixelFormatDepth(DuplicateBitmap->PixelFormat()) == 24;
        if (ok)
            SetBitmap24();
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

void TWebForm::ShowTwoImageRefusal() {
    voMessageDlg("", "", TwoBitmapsRequired, mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

// ---- Duplicate, backup, swap

void TWebForm::mnuDuplicateClick(QObject*) {
    if (!CopyPictureTo(*this, DuplicateBitmap))
        return;
    RecordStep("DUPLICATE");
    StatusText("Duplicated.");
    StatusBar->repaint();
}

void TWebForm::CopyToBackUp() { CopyPictureTo(*this, BackupBitmap); }

void TWebForm::CopyFromBackUp() {
    if (!HasPicture(BackupBitmap))
        return;
    // Copied aside first: when memory runs out the picture stays as it was.
    HBITMAP copy = CopyPixels(*BackupBitmap);
    if (!copy)
        return;
    Daz95->Bitmap()->SetHandle(std::move(copy));
    Daz95->SetPaintLock(false);
    RefreshImage();
}

void TWebForm::mnuSwapClick(QObject*) {
    if (!Ok2ComputeFull())
        return;
    // Both pictures have the same size and depth: their pixel memory changes
    // hands through the work picture, which is empty again afterwards.
    TBitmap& viewer = *Daz95->Bitmap();
    if (!WorkBitmap)
        WorkBitmap = std::make_unique<TBitmap>();
    WorkBitmap->SetHandle(DuplicateBitmap->ReleaseHandle());
    DuplicateBitmap->SetHandle(viewer.ReleaseHandle());
    viewer.SetHandle(WorkBitmap->ReleaseHandle());
    WorkBitmap->Assign(nullptr);
    RefreshImage();
    RecordStep("SWAP");
    StatusText("Swapped.");
    StatusBar->repaint();
}

void TWebForm::mnuCopyToBackupClick(QObject*) {
    CopyToBackUp();
    RecordStep("CopyToBackup");
}

void TWebForm::mnuCopyFromBackupClick(QObject*) {
    // An empty slot brings nothing back: no undo copy, no line.
    if (!HasPicture(BackupBitmap))
        return;
    // The undo copy comes first, so that Undo brings the replaced picture back.
    if (!AutoBackUp())
        return;
    CopyFromBackUp();
    RecordStep("CopyFromBackup");
    // The picture's size and depth follow the bitmap, also inside a script,
    // whose later steps size their loops by them.
    ImageWidth = Daz95->Bitmap()->Width();
    ImageHeight = Daz95->Bitmap()->Height();
    SetBitmap24();
    if (batch_8900::BatchRunning)
        return;
    // OriginalBitCount describes the undo copy while one is kept: Undo reads
    // the copy back in that depth's format.
    if (!ImageUndoSaved)
        OriginalBitCount = 24;
    ProcessDone();
}

// ---- Lending the duplicate

void TWebForm::SaveDuplicateToTemp() {
    ParkedDuplicate.reset();
    if (!HasPicture(DuplicateBitmap))
        return;
    auto parked = std::make_unique<TBitmap>();
    CopyInto(*DuplicateBitmap, *parked);
    // A copy that ran out of memory parks nothing; the restore then does nothing.
    if (!parked->GetEmpty())
        ParkedDuplicate = std::move(parked);
}

void TWebForm::RestoreDuplicateFromTemp() {
    if (!ParkedDuplicate)
        return;
    // The parked picture comes back whatever the borrowing command left in the
    // duplicate, also when it left it empty.
    if (!DuplicateBitmap)
        DuplicateBitmap = std::make_unique<TBitmap>();
    DuplicateBitmap->SetHandle(ParkedDuplicate->ReleaseHandle());
    ParkedDuplicate.reset();
}

TDuplicateLoan::TDuplicateLoan(TWebForm& Form) : form_(Form) { form_.SaveDuplicateToTemp(); }

TDuplicateLoan::~TDuplicateLoan() { form_.RestoreDuplicateFromTemp(); }

// ---- Zero map

void TWebForm::mnuInitialize1Click(QObject*) {
    if (!batch_8900::BatchRunning) {
        if (!AutoBackUp())
            return;
        SetBitmap24();
    }
    ResetMaps();
    DoCalcHistogram(Daz95, false, false, false);
    ResetMaps();
    ZeroMapsFromHistogram();
    ColorFilter(Daz95);
    RecordStep("ZEROMAP");
}

}  // namespace lumvor
