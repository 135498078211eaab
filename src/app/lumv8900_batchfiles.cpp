// The "Batch &files" commands and the single-file commands that share their
// handlers: copy and move, recycle and delete, rename by date, sequence and
// extension renames; and Trim. Every file goes through the one file-operation
// engine (the shell component over it): nothing is replaced, a failure stops
// the run and leaves the files not yet handled where they were.
#include "app/lumv8900.h"

#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/files/BatchFiles.h"
#include "processing/geometry/Crop.h"
#include "processing/script/LabState.h"
#include "ui/StFileOp.h"
#include "ui/Pix.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* YesToAllNote = "[Yes to All] avoids this dialog (for experts).";
constexpr const char* RenameFailedText = "Cannot access drive/folder.\nCheck device or security settings.\nBatch aborted.";
constexpr const char* RenameCaption = "Batch Rename Files";
constexpr int BatchListMode = 200;
constexpr int BatchListHelp = 650;

bool Held(Qt::KeyboardModifiers Keys, Qt::KeyboardModifier Key) { return Keys.testFlag(Key); }

void RenameFailed() { voMessageDlg("", "", RenameFailedText, mtError, mbOKOnly, AutoDefaultButton, 0); }

bool Confirmed(const std::string& Text) {
    return voMessageDlg("", RenameCaption, Text, mtConfirmation, ButtonBit(mbOK) | ButtonBit(mbCancel),
                        AutoDefaultButton, 0) == mrOk;
}

// The entries of AvlLines as paths with their case on disk (the explorer
// hands over lower-cased ones); an entry found nowhere stays as it is.
std::vector<std::string> ListedFiles() {
    std::vector<std::string> files;
    for (int i = 0; i < AvlLines.Count(); ++i) {
        const std::string actual = batchfiles::ActualPath(AvlLines[i]);
        files.push_back(actual.empty() ? AvlLines[i] : actual);
    }
    return files;
}

}  // namespace

bool FromExplorer(QObject* Sender) {
    if (!Sender || !xplr8900::FileForm)
        return false;
    if (Sender == xplr8900::FileForm)
        return true;
    auto* widget = qobject_cast<QWidget*>(Sender);
    return (widget && widget->window() == xplr8900::FileForm) || Sender->parent() == xplr8900::FileForm;
}

// ---- Shared steps

void TWebForm::StopExplorerWork(bool OnlyWhenVisible) {
    TFileForm* explorer = xplr8900::FileForm;
    if (!explorer || (OnlyWhenVisible && !explorer->isVisible()))
        return;
    explorer->Thumbnailing_Stop();
    explorer->FolderMonitor_Terminate();
}

void TWebForm::ExplorerAfterFileWork(bool Batch) {
    if (!xplr8900::ExplorerActive)
        return;
    xplr8900::ExplorerDirty = true;
    if (Batch && xplr8900::FileForm && xplr8900::FileForm->isVisible())
        xplr8900::FileForm->mnuRefreshClick(this);
}

bool TWebForm::ChooseBatchFiles(QObject* Sender, const std::string& Caption) {
    if (!FromExplorer(Sender))
        AvlLines.Assign(ImageHistoryList);
    Application.ProcessMessages();
    if (ExecuteListDlg(BatchListMode, BatchListHelp, Caption, AvlLines) == -1)
        return false;
    return AvlLines.Count() >= 2;
}

// Unless "Yes to All" was chosen (or the explorer asks for no confirmations),
// asks whether to recycle; "Yes to All" is remembered for the rest of the run.
bool TWebForm::RecycleConfirmed(const std::string& Caption, const std::string& Text) {
    if (xplr8900::EControls.Byte(69) == 0)
        RecycleYesToAll = true;
    if (RecycleYesToAll)
        return true;
    const int answer = voMessageDlg("", Caption, Text + YesToAllNote, mtConfirmation, mbYesNoYesToAll,
                                    AutoDefaultButton, 0);
    if (answer == mrYesToAll)
        RecycleYesToAll = true;
    return answer == mrYes || answer == mrYesToAll;
}

// Removes the bookmarks whose files are gone; the current picture follows.
void TWebForm::ForgetGoneBookmarks() {
    const std::string current = FileName;
    for (int i = ImageHistoryList.Count() - 1; i >= 0; --i)
        if (!FileExists(ImageHistoryList[i]))
            ImageHistoryList.Delete(i);
    if (ImageHistoryList.Count() == 0) {
        mnuHistoryClearClick(this);
        return;
    }
    const int kept = ImageHistoryList.IndexOf(current);
    ImageHistoryIndex = kept >= 0 ? kept : std::min(ImageHistoryIndex, ImageHistoryList.Count() - 1);
    if (kept < 0) {
        FileName = ImageHistoryList[ImageHistoryIndex];
        FileExt = UpperCase(ExtractFileExt(FileName));
        BtnOpenEx(this);
    }
    UpdateHistoryEdit();
    HistoryControls();
}

// ---- The "Batch files" menu

void TWebForm::HomeCompress1Click(QObject*) {
    const bool several = ImageHistoryList.Count() >= 2;
    for (QObject* item : BatchFileItems())
        SetItemEnabled(item, several);
}

std::vector<QObject*> TWebForm::BatchFileItems() const {
    return {mnuBatchJPG1, mnuBatchBMP1,    mnuBatchPNG1, mnuBatchTIF1,  mnuBatchTGA1,
            mnuBatchPCX1, mnuDateName, mnuBatchRename1, mnuBatchMove, mnuBatchDelete};
}

// ---- Copy and move

void TWebForm::mnuFMoveClick(QObject* Sender, Qt::KeyboardModifiers Keys) {
    if (ImageHistoryList.Count() == 0 || FileName.empty())
        return;
    const bool singleItem = Sender == mnuFCopyV || Sender == mnuFMoveV;
    const bool batch = !singleItem && (Sender == mnuBatchMove || Held(Keys, Qt::ControlModifier));
    const bool move = Sender == mnuFMoveV || Held(Keys, Qt::ShiftModifier) || batch;
    StopExplorerWork(false);
    if (MediaMode)
        AV_UI(false);
    if (batch && !ChooseBatchFiles(Sender, "Batch Source Files to be Moved"))
        return;

    const std::string start = !LastBatchFolder.empty() && DirectoryExists(LastBatchFolder)
                                  ? LastBatchFolder
                                  : ExtractFilePath(FileName);
    const std::string caption =
        batch ? "Move " + std::to_string(AvlLines.Count()) + " files to"
              : std::string(move ? "Move " : "Copy ") + "\"" + ExtractFileName(FileName) + "\" to";
    if (!ExecuteWalkForm(move ? 2 : 1, caption, start))
        return;
    LastBatchFolder = walk8900::WalkFolder;

    TStFileOperation operation;
    operation.Operation = move ? fopMove : fopCopy;
    // A taken name gets a free one ("name (2).jpg"): nothing is replaced.
    operation.Options = foRenameCollision | foNoConfirmMkDir | (batch ? foSimpleProgress : foSilent);
    operation.ConfirmFiles = false;
    if (batch) {
        for (const std::string& file : ListedFiles())
            operation.SourceFiles().Add(file);
        operation.SimpleText = "Moving " + std::to_string(AvlLines.Count()) + " files ...";
    } else {
        operation.SourceFiles().Add(FileName);
    }
    operation.SetDestination(LastBatchFolder);
    Screen.SetCursor(crHourGlass);
    const bool done = operation.Execute() && !operation.Aborted();
    Screen.SetCursor(crDefault);
    if (done && batch)
        mnuHistoryClearClick(this);
    else if (done && move)
        HistoryChangeUpdate();
    if (move)
        ExplorerAfterFileWork(batch);
}

// ---- Recycle and delete

void TWebForm::mnuDeleteClick(QObject* Sender, Qt::KeyboardModifiers Keys) {
    QLineEdit* edit = History->lineEdit();
    if (History->hasFocus() || (edit && edit->hasFocus())) {
        QWidget* target = edit && edit->hasFocus() ? static_cast<QWidget*>(edit) : History;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        return;
    }
    if (ImageHistoryList.Count() == 0 || FileName.empty())
        return;
    const bool batch = Sender == mnuBatchDelete || Held(Keys, Qt::ControlModifier);
    const bool forGood = Held(Keys, Qt::ShiftModifier);
    StopExplorerWork(true);
    if (MediaMode)
        AV_UI(false);
    if (batch && !ChooseBatchFiles(Sender, "Batch Source Files to be Recycled"))
        return;

    if (!batch && !forGood) {
        if (!RecycleConfirmed("Recycle", FileName + "\n"))
            return;
        if (RecycleFile(FileName))
            HistoryChangeUpdate();
        xplr8900::ExplorerDirty = true;
        return;
    }
    if (batch && !RecycleConfirmed("Recycle " + std::to_string(AvlLines.Count()) + " files.", ""))
        return;
    TStFileOperation operation;
    operation.Operation = fopDelete;
    operation.Options = foSilent | (forGood ? 0 : foAllowUndo);
    if (RecycleYesToAll)
        operation.Options |= foNoConfirmation;
    operation.ConfirmFiles = false;
    const std::vector<std::string> files = batch ? ListedFiles() : std::vector<std::string>{FileName};
    for (const std::string& file : files)
        operation.SourceFiles().Add(file);
    Screen.SetCursor(crHourGlass);
    const bool done = operation.Execute() && !operation.Aborted();
    Screen.SetCursor(crDefault);
    // Only the files that are gone leave the bookmarks.
    if (batch)
        ForgetGoneBookmarks();
    else if (done)
        HistoryChangeUpdate();
    ExplorerAfterFileWork(batch);
}

// ---- Rename by date

void TWebForm::mnuDateNameClick(QObject* Sender, Qt::KeyboardModifiers Keys) {
    const bool withName = Held(Keys, Qt::ShiftModifier);
    StopExplorerWork(true);
    if (!ChooseBatchFiles(Sender, "Batch Source Files to be Renamed"))
        return;
    xplr8900::ExplorerDirty = true;
    const std::vector<std::string> files = ListedFiles();
    std::string added;
    if (ExtractFileExt(ExtractFileName(files.front())).empty()) {
        std::string answer = ".jpg";
        if (voInputQuery(180, 60, 0, "Add filename extension?", "Registered types may have hidden extensions.",
                         answer))
            added = batchfiles::DottedExtension(answer);
    }
    for (const std::string& file : files) {
        if (!FileExists(file))
            continue;
        const std::string stamp = batchfiles::FileDateStamp(file);
        const std::string target = batchfiles::DateNameTarget(file, stamp, withName, added);
        if (target != file && !batchfiles::RenameOne(file, target)) {
            RenameFailed();
            break;
        }
    }
    ImageChanged = false;
    batch_8900::BatchRunning = false;
    Screen.SetCursor(crDefault);
}

// ---- Sequence and extension renames

batchfiles::TRenameMode TWebForm::RenameModeOf(QObject* Sender, Qt::KeyboardModifiers Keys) const {
    using batchfiles::TRenameMode;
    if (Sender && FromExplorer(Sender) && Sender->objectName() == "mnuAddExt")
        return TRenameMode::AddExtension;
    if (Sender && Sender == xplr8900::FileForm)
        return TRenameMode::ChangeExtension;
    if (Held(Keys, Qt::ShiftModifier))
        return TRenameMode::NumericPrefix;
    if (Held(Keys, Qt::ControlModifier))
        return TRenameMode::LowerCase;
    return TRenameMode::Sequence;
}

void TWebForm::mnuBatchRename1Click(QObject* Sender, Qt::KeyboardModifiers Keys) {
    using batchfiles::TRenameMode;
    const TRenameMode mode = RenameModeOf(Sender, Keys);
    const int listed = FromExplorer(Sender) ? AvlLines.Count() : ImageHistoryList.Count();
    if (listed > batchfiles::MaxRenameItems) {
        voMessageDlg("", "", "Only 99999 items can be renamed.", mtWarning, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    StopExplorerWork(true);
    if (!ChooseBatchFiles(Sender, "Batch Source Files to be Renamed"))
        return;
    xplr8900::ExplorerDirty = true;
    const std::vector<std::string> files = ListedFiles();
    std::string text;  // the prefix or the extension the user gave
    switch (mode) {
    case TRenameMode::NumericPrefix:
        if (!Confirmed("Numeric prefix will be added to filenames.\n(e.g., 01~picture.jpg to 99~picture.jpg)"))
            return;
        break;
    case TRenameMode::LowerCase:
        if (!Confirmed("All filenames will be converted to lowercase."))
            return;
        break;
    case TRenameMode::Sequence:
        if (!voInputQuery(180, 60, 0, RenameCaption,
                          "Enter filename prefix for image sequence.\ne.g., \"pic\" for pic00001 to pic99999", text))
            return;
        break;
    case TRenameMode::ChangeExtension: {
        const std::string old = ExtractFileExt(files.front());
        text = old;
        if (!voInputQuery(180, 60, 0, RenameCaption, "Enter new filename extension.\nDefault extension (type) is " + old,
                          text))
            return;
        text = batchfiles::DottedExtension(text);
        if (UpperCase(text) != UpperCase(old) &&
            !Confirmed("Filetype will be changed from " + UpperCase(old) + " to " + UpperCase(text)))
            return;
        break;
    }
    case TRenameMode::AddExtension:
        text = ".jpg";
        if (!voInputQuery(180, 60, 0, RenameCaption,
                          "Enter filename extension to add.\nRegistered types may have hidden extensions.", text))
            return;
        text = batchfiles::DottedExtension(text);
        break;
    }
    const int count = int(files.size());
    for (int i = 0; i < count; ++i) {
        const std::string& file = files[size_t(i)];
        if (mode == TRenameMode::LowerCase) {
            if (batchfiles::LowerCaseRename(file) == batchfiles::TLowerCaseResult::Failed) {
                RenameFailed();
                break;
            }
            continue;
        }
        const std::string target = batchfiles::RenameTarget(mode, file, text, i + 1, count);
        if (target != file && !batchfiles::RenameOne(file, target)) {
            RenameFailed();
            break;
        }
    }
    Screen.SetCursor(crDefault);
}

// ---- Trim

void TWebForm::mnuTrim1Click(QObject*) {
    if (!AutoBackUp())
        return;
    PreparedWidth = 0;
    Screen.SetCursor(crHourGlass);
    GetAdjustedSelection();
    const TRect block = CropBlock(LastSelection, ImageWidth, ImageHeight);
    if (block.Width() <= 0 || block.Height() <= 0) {
        Screen.SetCursor(crDefault);
        return;
    }
    TBitmap& bitmap = *Daz95->Bitmap();
    const TRect kept = batchfiles::TrimBlock(*bitmap.Handle(), block);
    auto result = std::make_shared<TPixelBuffer>(CropPixels(*bitmap.Handle(), kept, ImageBitCount));
    ImageBitCount = result->Depth();
    EmptyBitmap(bitmap);
    bitmap.SetHandle(result);
    ProcessDone();
    chkHandToolClick(this);
    // A fitted picture is fitted again at its new size.
    if (FitWindow)
        FormResize();
}

}  // namespace lumvor
