// Undo and the automatic backup of the image window.
//
// Every editing command calls AutoBackUp first, which keeps the picture as it
// was in WorkStream (a BMP file image, or a PCX file image with the palette kept
// apart for 1- and 4-bit pictures). Undo puts it back once. A second, file-based
// copy (CopyToUndoBitmap with the force-file switch) parks the picture in a PCX
// file while the imaging library is restarted after a failed backup.
#include "app/lumv8900.h"

#include "processing/files/SavePicture.h"
#include "imaging/Helpers.h"
#include "imgman/imgman.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <QCoreApplication>
#include <QToolButton>

namespace lumvor {

using namespace lumv8900;

namespace {

// A temporary file of this run: the temporary folder, the run's prefix, the
// process as 8 hex digits and the suffix.
std::string RunTempFile(const std::string& suffix) {
    return TempFolder() + TempPrefix + IntToHex(static_cast<int32_t>(QCoreApplication::applicationPid()), 8) + suffix;
}

// Pictures of these depths are kept as BMP file images; smaller ones as PCX
// images with the palette kept apart.
bool KeptAsBitmapFile(int bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }

void EmptyBitmap(std::unique_ptr<TBitmap>& bitmap) {
    if (bitmap)
        bitmap->Assign(nullptr);
}

// The undo copy into target (from the undo file or from UndoBitmap); true
// means failure. The copy is used up either way.
bool RestoreUndoCopy(TWebForm& form, TBitmap& target) {
    bool failed = false;
    if (UndoValid) {
        try {
            PcxGraphic->LoadFromFile(UndoFile);
            if (PcxGraphic->GetEmpty())
                failed = true;
            else
                BitmapFromCodec(target, *PcxGraphic);
        } catch (const std::exception&) {
            failed = true;
        }
        UndoValid = false;
        PcxGraphic->FreeImage();
        if (FileExists(UndoFile))
            DeleteFileNow(UndoFile);
        return failed;
    }
    const std::string name = UndoBitmap && !UndoBitmap->GetEmpty() ? form.SaveTempBitmap(*UndoBitmap) : "";
    if (name.empty()) {
        failed = true;
    } else {
        try {
            target.LoadFromFile(name);
        } catch (const std::exception&) {
            failed = true;
        }
    }
    UndoValid = false;
    UndoBitmap = std::make_unique<TBitmap>();
    if (!name.empty() && FileExists(name))
        DeleteFileNow(name);
    return failed;
}

}  // namespace

void TWebForm::SetUndoControls(bool Enabled) {
    if (btnUndo)
        btnUndo->setEnabled(Enabled);
    for (TMenuItem* item : {mnuUndo, mnuUndo1})
        if (item)
            item->setEnabled(Enabled);
}

bool TWebForm::AutoBackUp() {
    UndoPalette.reset();
    if (batch_8900::BatchRunning || batch_8900::NoLabBackup) {
        StatusReady();
        return true;
    }
    EnsureStretch();
    // The memory of the last undo copy takes the next one: a picture of the
    // same size is copied without fresh pages.
    WorkStream.Rewind();
    ImageUndoSaved = false;
    Screen.SetCursor(crHourGlass);
    StatusBusy("Creating backup...");
    SetUndoControls(false);
    Application.ProcessMessages();
    OriginalBitCount = ImageBitCount;
    ChangedAtBackup = ImageChanged;

    bool failed = false;
    if (MemoryRunningLow()) {
        ImageChanged = true;
        failed = true;
    } else {
        TBitmap& bitmap = *Daz95->Bitmap();
        try {
            if (KeptAsBitmapFile(OriginalBitCount)) {
                ImageBitCount = ConvertBitmapDepth(bitmap, ImageWidth, ImageHeight, ImageBitCount);
                bitmap.SaveToStream(WorkStream);
                FixBitmapStream(WorkStream);
                if (OriginalBitCount == 8)
                    UndoPalette = bitmap.GetPalette();
            } else {
                UndoPalette = bitmap.GetPalette();
                PcxGraphic->FreeImage();
                CodecFromBitmap(*PcxGraphic, bitmap);
                PcxGraphic->SaveToStream(WorkStream);
                PcxGraphic->FreeImage();
            }
            ImageUndoSaved = WorkStream.Size() > 0;
            failed = !ImageUndoSaved;
        } catch (const std::exception&) {
            failed = true;
        }
        if (failed) {
            ImageUndoSaved = false;
            WorkStream.Clear();
        }
    }
    if (!failed) {
        SetUndoControls(true);
        StatusReady();
        return true;
    }

    // Free every scratch picture and advise the user.
    CancelPressed = 1;
    UndoValid = false;
    UndoBitmap = std::make_unique<TBitmap>();
    ImageUndoSaved = false;
    WorkStream.Clear();
    PcxGraphic->FreeImage();
    if (ImgHandle != 0) {
        ImgClose(ImgHandle);
        ImgHandle = 0;
    }
    SetUndoControls(false);
    EmptyBitmap(WorkBitmap);
    EmptyBitmap(BackupBitmap);
    EmptyBitmap(DuplicateBitmap);
    Screen.SetCursor(crDefault);
    StatusText("Error.");
    std::string message = ImageViewInfo + "\n" + "Backup failed. " +
                          "Free memory is fragmented or running low.\nSelect Tools | Memory to clear and check buffers.\n" +
                          "\n";
    if (ImageChanged)
        message += std::string("It is recommended that you save modifications\n") +
                   "to a file now; then close and restart application.";
    voMessageDlg("", "", message, mtError, mbOKOnly, AutoDefaultButton, 0);
    if (!MemoryRunningLow())
        RecoverBitmap();
    return false;
}

void TWebForm::mnuUndoClick(QObject*) {
    PreparedWidth = 0;
    chkHandToolClick(nullptr);
    StatusBusy("Loading backup...");
    // The backup is restored aside, so that a failed restore leaves the current
    // picture and its modified state as they are.
    TBitmap restored;
    bool failed = false;
    try {
        WorkStream.SetPosition(0);
        if (!KeptAsBitmapFile(OriginalBitCount)) {
            PcxGraphic->LoadFromStream(WorkStream);
            BitmapFromCodec(restored, *PcxGraphic);
            if (UndoPalette && PixelFormatDepth(restored.PixelFormat()) <= 8)
                restored.SetPalette(UndoPalette);
        } else if (ImageUndoSaved) {
            restored.LoadFromStream(WorkStream);
            Application.ProcessMessages();
            if (OriginalBitCount == 8)
                UndoPalette = restored.GetPalette();
        } else {
            failed = RestoreUndoCopy(*this, restored);
        }
    } catch (const std::exception&) {
        failed = true;
    }
    PcxGraphic->FreeImage();
    WorkStream.Clear();
    ImageUndoSaved = false;
    SetUndoControls(false);
    if (failed || restored.GetEmpty()) {
        UndoValid = false;
        EmptyBitmap(UndoBitmap);
        StatusReady();
        voMessageDlg("", "", "Undo failed.", mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    Daz95->Bitmap()->Assign(&restored);
    ImageWidth = restored.Width();
    ImageHeight = restored.Height();
    ImageBitCount = OriginalBitCount;
    MultiPageDisable();
    ProcessDone();
    // The picture is as it was before the command: modified only if it was then.
    ImageChanged = ChangedAtBackup;
}

bool TWebForm::CopyToUndoBitmap(bool ForceFile) {
    if (UndoValid) {
        Screen.SetCursor(crHourGlass);
        if (FileExists(UndoFile))
            DeleteFileNow(UndoFile);
        Application.ProcessMessages();
        Screen.SetCursor(crDefault);
    }
    UndoValid = false;
    ImageViewInfo.clear();
    TBitmap& bitmap = *Daz95->Bitmap();
    bool toFile = ForceFile;
    if (!ForceFile) {
        try {
            if (!UndoBitmap)
                UndoBitmap = std::make_unique<TBitmap>();
            UndoBitmap->Assign(nullptr);
            UndoBitmap->Assign(&bitmap);
            Application.ProcessMessages();
        } catch (const std::exception&) {
            ImageViewInfo = "UndoBitmap error.";
            EmptyBitmap(UndoBitmap);
            toFile = true;
        }
    }
    if (!toFile)
        return false;
    bool failed = false;
    Screen.SetCursor(crHourGlass);
    UndoValid = true;
    UndoFile = RunTempFile("vo_undo.pcx");
    try {
        PcxGraphic->FreeImage();
        CodecFromBitmap(*PcxGraphic, bitmap);
        PcxGraphic->SaveToFile(UndoFile);
    } catch (const std::exception&) {
        ImageViewInfo = "PCX backup error.";
        failed = true;
    }
    PcxGraphic->FreeImage();
    Screen.SetCursor(crDefault);
    if (failed)
        PcxGraphic = std::make_unique<TPcxGraphic>();
    return failed;
}

bool TWebForm::CopyFromUndoBitmap() {
    TBitmap restored;
    if (RestoreUndoCopy(*this, restored))
        return true;
    Daz95->Bitmap()->Assign(&restored);
    return false;
}

void TWebForm::RecoverBitmap() {
    // The blank picture in between renames the window's picture; the parked
    // picture keeps its name.
    const std::string name = FileName;
    const int32_t width = ImageWidth, height = ImageHeight, bits = ImageBitCount;
    CopyToUndoBitmap(true);
    NewBlankImage(true);
    Daz95->SetPaintLock(false);
    Daz95->FastPaint = true;
    // The library forgets its pictures as it shuts down: the window's handle
    // goes first, so that nothing later uses a handle that no longer exists.
    CloseImgHandle();
    ImgShutdown();
    Application.ProcessMessages();
    ImgInit();
    if (!CopyFromUndoBitmap()) {
        FileName = name;
        ImageWidth = width;
        ImageHeight = height;
        ImageBitCount = bits;
    }
    ProcessDone();
}

std::string TWebForm::SaveTempBitmap(TGraphic& Graphic) {
    const std::string name = RunTempFile("vo_process.bmp");
    try {
        if (FileExists(name))
            DeleteFileNow(name);
        TBitmap bitmap;
        bitmap.Assign(&Graphic);
        TMemoryStream stream;
        bitmap.SaveToStream(stream);
        if (stream.Size() == 0)
            return "";
        stream.SaveToFile(name);
    } catch (const std::exception&) {
        return "";
    }
    return name;
}

}  // namespace lumvor
