// The save command of the image window.
//
// The picture is encoded in memory first and then put on disk in one piece: a
// scratch file beside the target is written completely and only then renamed
// over an existing file. A failure at any point leaves the old file as it was
// and the picture marked as modified.
#include "app/lumv8900.h"

#include "app/dialogs/batch_8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "processing/files/SavePicture.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/voMsgBox.h"

#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>

namespace lumvor {

using namespace lumv8900;
using namespace SavePicture;

namespace {

constexpr const char* AdobeDeflateNote =
    "This TIFF deflate format should be used to export\nimages to Adobe PhotoShop and ImageReady.\n"
    "Many apps will NOT read this TIFF variant.";

}  // namespace

void TWebForm::StatusBusy(const std::string& Text) {
    StatusText("Busy ...");
    SetStatusPanel(2, Text);
    Application.ProcessMessages();
    Screen.SetCursor(crHourGlass);
}

void TWebForm::SaveDialogTypeChange(QObject*) {
    SaveDialog->CanUseWizard = true;
    const int index = SaveDialog->FilterIndex();
    SaveDialog->HiddenDefaultExt = SaveDefaultExt(index);
    if (index == stTifAdobe && mnuSaveVTag == 0) {
        const int answer = voMessageDlg("Ignore this dialog (for experts).", "", AdobeDeflateNote, mtInformation,
                                        mbOKOnly, AutoDefaultButton, 0);
        if (answer & CheckBoxTicked)
            mnuSaveVTag = 1;
    }
}

void TWebForm::mnuSaveClick(QObject* Sender) {
    const bool fromScript = Sender != nullptr && Sender == mnuPerformBatch1;
    if (JpegWizardSettings.Quality() == -1) {
        InitializeJpegWizard();
        SaveDialog->SetCompressQuality(JpegWizardSettings.Quality());
    }
    AddLabComments = batch_8900::BatchFormActive && ViewerControls.Flag(vc::LabComments);
    if (AddLabComments && batch_8900::BatchForm && batch_8900::BatchForm->LineCount() > 0)
        JpegCommentText = ComposeJpegComment(batch_8900::BatchForm->Memo1->toPlainText().toStdString());
    SaveDialog->OnTypeChange = [this](QObject* s) { SaveDialogTypeChange(s); };

    // Choosing the file.
    std::string name;
    bool skipQuestions = false;
    for (;;) {
        SaveDialog->CanUseWizard = true;
        SaveDialog->Title = "Save Image As";
        SaveDialog->HTML = false;
        SaveDialog->Filter = SaveDialogFilter(ImageBitCount);
        const int index = SaveDialog->FilterIndex();
        SaveDialog->EnableScrollbar = index == stJpegGray || index == stJpegColor;
        SaveDialog->EnableProgressive = index == stPng || index == stJpegGray || index == stJpegColor;
        SaveDialog->HiddenDefaultExt = SaveDefaultExt(index);
        std::string proposed = ChangeFileExt(ExtractFileName(FileName), "");
        if (fromScript)
            proposed += TempStr;
        if (!FolderExists(SaveDir)) {
            SaveDir = ExtractFilePath(History ? History->currentText().toStdString() : std::string());
            if (!FolderExists(SaveDir))
                SaveDir = AppDir;
        }
        SaveDir = ExcludeTrailingPathDelimiter(SaveDir);
        SaveDialog->SetInitialDir(SaveDir);

        if (fromScript && SaveDialogTag == 1 && !TempStr.empty() && index == stBmp) {
            // A script's later saves go without the dialog, into the folder of the first.
            name = SaveDialog->FileName();
            if (ExtractFilePath(name).empty())
                name = IncludeTrailingPathDelimiter(SaveDir) + name;
            if (UpperCase(ExtractFileExt(name)) != ".BMP")
                name += ".bmp";
            skipQuestions = true;
            break;
        }
        SaveDialog->SetFileName(proposed);
        bool chosen = false;
        for (;;) {
            chosen = SaveDialog->Execute();
            if (chosen)
                break;
            SaveDialogTag = 0;
            if (SaveDialog->CanUseWizard && SaveDialog->WizardSelected) {
                mnuCompressClick(this);
                SaveDialog->WizardSelected = false;
                return;
            }
            if (!SaveDialog->ExecuteRecent)
                return;
            SaveDialog->SetInitialDir(EnsureRecentPath());
        }
        JpegWizardSettings.SetQuality(SaveDialog->CompressQuality());
        name = ForceSaveExtension(SaveDialog->FileName(), SaveDefaultExt(SaveDialog->FilterIndex()));
        if (FileExists(name)) {
            const int answer = voMessageDlg("", "Overwrite existing file", ExtractFileName(name) + " exists.",
                                            mtConfirmation, mbYesNoCancel, mbCancel, 0);
            if (answer == mrNo)
                continue;
            if (answer != mrYes) {
                SaveDialogTag = 0;
                return;
            }
        }
        break;
    }
    if (!skipQuestions) {
        SaveDialog->SetFileName(name);
        AddToAppRecent(ExtractFilePath(name));
    }

    // Writing.
    const bool wasChanged = ImageChanged;
    const int index = SaveDialog->FilterIndex();
    LastSaveFilterIndex = index;
    StatusBusy("Saving " + ExtractFileName(name) + " ...");
    TBitmap& display = *Daz95->Bitmap();
    if (index == stJpegGray && ImageBitCount != 8)
        ImageReduce(mnu8gray);
    NormaliseBitmapDepth();

    const int64_t required = ImageDataSize();
    const int64_t free = GetDiskFree(ExtractFilePath(name));
    if (free > 0 && free < 2147483647 && free < required) {
        ShowDiskSpaceError(required, free, "Save operation failed.");
        ImageChanged = wasChanged;
        StatusReady();
        return;
    }
    if (!fromScript)
        SaveDir = ExcludeTrailingPathDelimiter(ExtractFilePath(name));
    if (index == stTga && ImageBitCount < 8)
        SetBitmap8();

    std::string failure = "\nSave Format=" + std::to_string(index) + "\n" + name;
    bool written = false;
    try {
        TSaveOptions options;
        options.FilterIndex = index;
        options.Quality = SaveDialog->CompressQuality();
        options.Progressive = SaveDialog->Progressive() != 0;
        options.WithComment = AddLabComments && (index == stJpegGray || index == stJpegColor);
        options.Comment = JpegCommentToWrite(JpegCommentText);
        TMemoryStream encoded;
        EncodePicture(display, options, encoded);
        encoded.SaveToFile(name);
        written = true;
    } catch (const EStreamError& e) {
        failure += "\n" + SaveFailureReason(name, e.ErrorCode());
    } catch (const std::exception& e) {
        failure += std::string("\n") + e.what();
    }
    Application.ProcessMessages();
    if (!written) {
        voMessageDlg("", "", "Write failure." + failure, mtError, mbOKOnly, AutoDefaultButton, 0);
        // A failed encoder state must not survive into the next open.
        JPEGImage = std::make_unique<TJPEGImage>();
        ImageChanged = wasChanged;
        StatusReady();
        return;
    }
    if (!fromScript) {
        FileName = IncludeTrailingPathDelimiter(SaveDir) + ExtractFileName(name);
        FileExt = UpperCase(ExtractFileExt(FileName));
        if (!History || History->currentText().isEmpty() || History->currentText().toStdString() != FileName)
            UpdateHistory(false);
        // The window now shows the written file.
        ShownFileName = FileName;
        UpdateCaption();
    }
    ImageChanged = false;
    StatusReady();
}

}  // namespace lumvor
