// Batch conversion: every chosen bookmark opened in the window, optionally run
// through the Lab script, and written into one folder in one format. JPEG
// files are encoded on the encode thread while the window lets events through;
// the other formats are written here. No output replaces a file, and a file
// that cannot be read, encoded or named is listed in "BatchExceptions.txt".
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "processing/files/SavePicture.h"
#include "app/jpgdlg_8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "app/dialogs/batch_8900.h"
#include "processing/files/BatchConvert.h"
#include "processing/files/CoreEncode.h"
#include "processing/script/LabState.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/Status_y.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace lumvor {

using namespace lumv8900;
using namespace batchconvert;

namespace {

constexpr long BatchHelpContext = 650;
constexpr const char* ListCaption = "Batch Source Files to be Converted";
constexpr const char* ScriptQuestionCaption = "Lab Script is active.";
constexpr const char* ScriptQuestion = "Perform lab commands on all bookmarked\nimages before writing each file to disk?";
constexpr const char* BatchCancelled = "Batch cancelled.";

// The script's lines for the comment, each ended by CR LF.
std::string CommentScript(const std::vector<std::string>& Lines) {
    std::string script;
    for (const std::string& line : Lines)
        script += line + "\r\n";
    return script;
}

}  // namespace

// What one run keeps between its files.
struct TWebForm::TBatchRun {
    TBatchFormat Format = TBatchFormat::Bmp;
    std::string Ext;
    bool RunScript = false;
    std::string Folder;  // with a trailing "/"
    std::vector<std::string> Sources;
    uint32_t StartTick = 0;
    int LastPercent = -1;
};

void TWebForm::mnuBatchJPG1Click(QObject* Sender) {
    if (batch_8900::BatchRunning || IsBusy || EncodeBusy)
        return;
    TBatchRun run;
    run.Format = BatchFormatOfTag(TagOf(Sender));
    run.Ext = BatchExtension(run.Format);

    // Before the run.
    AddLabComments = false;
    if (show8900::ShowForm && show8900::ShowForm->isVisible())
        show8900::ShowForm->hide();
    if (FitWindow)
        mnuFitWindowClick(this);
    AnyTimer->SetEnabled(false);
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();

    run.RunScript = AskToRunScript();
    if (ViewerControls.Flag(vc::LabComments))
        AddLabComments = true;
    if (AddLabComments) {
        // An empty memo gives an empty comment, never an earlier run's text.
        const bool haveScript = batch_8900::BatchForm && batch_8900::BatchForm->LineCount() > 0;
        JpegCommentText = haveScript ? ComposeJpegComment(CommentScript(batch_8900::BatchForm->ScriptLines())) : "";
    }

    // The files and the folder.
    AvlLines.Assign(ImageHistoryList);
    Application.ProcessMessages();
    WaitWithEvents(333);
    batch_8900::BatchRunning = true;
    if (ExecuteListDlg(TagOf(Sender) + 3, BatchHelpContext, ListCaption, AvlLines) == -1 || AvlLines.Count() < 2) {
        batch_8900::BatchRunning = false;
        return;
    }
    for (int i = 0; i < AvlLines.Count(); ++i)
        run.Sources.push_back(AvlLines[i]);
    StopExplorerWork(false);
    if (!ChooseBatchFolder(run)) {
        batch_8900::BatchRunning = false;
        return;
    }

    // The run.
    const bool windowed = WindowedView, optimize = OptimizeWindow;
    const uint8_t windowedByte = ViewerControls.Byte(vc::WindowedView);
    const uint8_t optimizeByte = ViewerControls.Byte(vc::OptimizeWindow);
    WindowedView = OptimizeWindow = false;
    ViewerControls.SetByte(vc::WindowedView, 0);
    ViewerControls.SetByte(vc::OptimizeWindow, 0);
    setEnabled(false);
    if (xplr8900::FileForm)
        xplr8900::FileForm->hide();
    ShowStatusForm("Batch Encoding ...");
    IsBusy = 1;
    if (StatusForm) {
        StatusForm->ProgressThumbs->setValue(1);
        StatusForm->LabelText("_", "Files:", "");
        // A conversion counts files only: the folder bar stays out of sight.
        StatusForm->lblFolder->hide();
        StatusForm->ProgressFolders->hide();
    }
    Application.ProcessMessages();

    LoadBatchJpegSettings(JpegWizardSettings);
    CancelPressed = 0;
    ReportLines.Clear();
    run.StartTick = GetTickCount();
    SetStatusPanel(3, "Batch items: " + IntToStr(int(run.Sources.size())));
    History->setEnabled(false);
    batch_8900::BatchRunning = true;
    for (int i = 0; i < int(run.Sources.size()) && !CancelPressed; ++i)
        ConvertBatchFile(run, i);

    // After the run.
    AvlLines.Clear();
    setEnabled(true);
    History->setEnabled(true);
    WindowedView = windowed;
    OptimizeWindow = optimize;
    ViewerControls.SetByte(vc::WindowedView, windowedByte);
    ViewerControls.SetByte(vc::OptimizeWindow, optimizeByte);
    if (StatusForm)
        StatusForm->Close();
    IsBusy = 0;
    ImageChanged = false;
    batch_8900::BatchRunning = false;
    Screen.SetCursor(crDefault);
    RefreshImage();
    ReportSkippedFiles();
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    StatusReady();
    AnyTimer->Tag = 1;
    AnyTimer->SetEnabled(true);
    if (xplr8900::ExplorerActive && !xplr8900::ExplorerDirty)
        xplr8900::ExplorerDirty = true;
}

bool TWebForm::AskToRunScript() {
    TBatchForm* script = batch_8900::BatchForm;
    if (!batch_8900::BatchFormActive || !script)
        return false;
    bool run = true;
    if (script->Tag == 0) {
        script->Show();
        const int answer = voMessageDlg("", ScriptQuestionCaption, ScriptQuestion, mtConfirmation,
                                        ButtonBit(mbYes) | ButtonBit(mbNo) | ButtonBit(mbYesToAll) | ButtonBit(mbHelp),
                                        mbYes, BatchHelpContext);
        run = answer == mrYes || answer == mrYesToAll;
        if (answer == mrYesToAll)
            script->Tag = 1;
    }
    script->hide();
    return run;
}

bool TWebForm::ChooseBatchFolder(TBatchRun& Run) {
    std::string start;
    if (!LastBatchFolder.empty() && DirectoryExists(LastBatchFolder)) {
        start = LastBatchFolder;
    } else {
        start = ExtractFilePath(History ? History->currentText().toStdString() : std::string());
        if (start.empty() || !DirectoryExists(start)) {
            SaveDir = ExcludeTrailingPathDelimiter(AppDir);
            start = SaveDir;
        }
    }
    const std::string caption =
        "Write " + IntToStr(int(Run.Sources.size())) + " " + UpperCase(Run.Ext) + " files in ";
    if (!ExecuteWalkForm(0, caption, start))
        return false;
    Run.Folder = IncludeTrailingPathDelimiter(walk8900::WalkFolder);
    LastBatchFolder = Run.Folder;
    return true;
}

void TWebForm::ConvertBatchFile(TBatchRun& Run, int Index) {
    Application.ProcessMessages();
    ImageChanged = false;
    const std::string& source = Run.Sources[size_t(Index)];
    // The name keeps its case: folding it would name another file here.
    FileName = source;
    FileExt = UpperCase(ExtractFileExt(source));
    if (!IsBatchSource(source) || ReadImageHeader(true) != 1) {
        ReportLines.Add(SkippedLine(source));
        return;
    }
    // The open is complete when it returns.
    BtnOpenClick(OpenDialog);
    if (!ImageLoaded || FileName != source) {
        ReportLines.Add(SkippedLine(source, "the picture could not be opened"));
        return;
    }

    const int count = int(Run.Sources.size());
    const int percent = (Index + 1) * 100 / count;
    const std::string name = BatchOutputName(source, Run.Ext, Run.Folder);
    ShowBatchProgress(Run, Index, percent);
    if (name.empty()) {
        ReportLines.Add(SkippedLine(source, "every output name up to -999 is taken"));
        return;
    }

    const bool jpeg = Run.Format == TBatchFormat::Jpeg;
    if (jpeg || Run.RunScript)
        SetBitmap24();
    if (Run.RunScript)
        DoBatchImageProcess();
    if (jpeg) {
        SmoothBeforeJpeg(Daz95, JpegWizardSettings.Int(TJpegWizardSettings::SmoothingKindOffset),
                         JpegWizardSettings.Int(TJpegWizardSettings::SmoothingOffset));
        EncodeBatchJpeg(Run, source, name);
    } else {
        WriteBatchPicture(Run, name);
    }
}

void TWebForm::ShowBatchProgress(TBatchRun& Run, int Index, int Percent) {
    if (Percent == Run.LastPercent)
        return;
    Run.LastPercent = Percent;
    const int count = int(Run.Sources.size());
    if (Percent > 1) {
        const uint32_t elapsed = (GetTickCount() - Run.StartTick) / 600;
        if (elapsed > 1) {
            SlidesPerMinute = int32_t((Index + 1) * 100 / int64_t(elapsed));
            std::string remaining;
            TimeToFinish(false, count - Index - 1, remaining);
            if (StatusForm)
                StatusForm->setWindowTitle(QString::fromStdString("Batch Encoding ... " + remaining));
        }
    }
    if (StatusForm) {
        StatusForm->LabelText(IntToStr(Index + 1) + " file(s) of " + IntToStr(count) + " processed.  " +
                                  IntToStr(Percent) + "% done.",
                              "", "");
        StatusForm->ProgressThumbs->setValue(Percent);
    }
    History->setEditText(QString::fromStdString(Run.Sources[size_t(Index)]));
    ImageHistoryIndex = Index;
}

void TWebForm::EncodeBatchJpeg(TBatchRun& Run, const std::string& Source, const std::string& Name) {
    TEncodeJob job;
    job.Picture = std::make_shared<TPixelBuffer>(*Daz95->Bitmap()->Handle());
    job.Settings = JpegWizardSettings;
    job.WithComment = AddLabComments;
    job.Comment = JpegCommentText;
    job.OutputFolder = Run.Folder;
    job.OutputName = Name;
    job.Source = Source;
    Application.ProcessMessages();

    EncodeThread = std::make_unique<TCoreEncode>();
    EncodeThread->SetJob(std::move(job));
    TCoreEncode* thread = EncodeThread.get();
    QObject::connect(thread, &QThread::finished, this, [this, thread] {
        if (EncodeThread.get() != thread)
            return;
        Guarded([this] { EncodeThreadDone(); });
        // The wait below ends even when the handler failed.
        EncodeThread.reset();
        EncodeBusy = false;
    }, Qt::QueuedConnection);
    EncodeBusy = true;
    thread->start(EncodePriority(ViewerControls.Int(vc::ThumbThreads)));
    TApplication::TMessageWait waiting;
    while (EncodeBusy) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (CancelPressed && EncodeThread)
            EncodeThread->Cancel();
    }
}

void TWebForm::EncodeThreadDone() {
    std::unique_ptr<TCoreEncode> thread = std::move(EncodeThread);
    if (!thread) {
        EncodeBusy = false;
        return;
    }
    thread->wait();
    TEncodeResult& result = thread->Result();
    const std::string path = thread->Job().OutputPath();
    if (!CancelPressed && !thread->Cancelled()) {
        if (result.Status == esOk) {
            const int64_t needed = result.SpaceNeeded();
            const int64_t free = FreeSpace(thread->Job().OutputFolder);
            if (TooLittleSpace(free, needed)) {
                ShowDiskSpaceError(needed, free, BatchCancelled);
                CancelPressed = 1;
            } else {
                try {
                    WriteBatchFile(path, result.Stream);
                } catch (const std::exception& e) {
                    result.Status = esWriteFailed;
                    result.Reason = e.what();
                }
            }
        }
        if (result.Status != esOk)
            ReportLines.Add(SkippedLine(thread->Job().Source, result.Reason));
    }
    EncodeBusy = false;
}

void TWebForm::WriteBatchPicture(TBatchRun& Run, const std::string& Name) {
    TBitmap& bitmap = *Daz95->Bitmap();
    const int64_t needed = int64_t(ImageWidth) * ImageHeight * 3 + SpareBytes;
    const int64_t free = FreeSpace(Run.Folder);
    if (TooLittleSpace(free, needed)) {
        ShowDiskSpaceError(needed, free, BatchCancelled);
        CancelPressed = 1;
        return;
    }
    const std::string path = Run.Folder + Name;
    NormaliseBitmapDepth();
    try {
        TMemoryStream encoded;
        EncodeBatchPicture(bitmap, Run.Format, encoded);
        WriteBatchFile(path, encoded);
    } catch (const std::exception& e) {
        voMessageDlg("", "", std::string(e.what()) + "\n\nBatch aborted.", mtError, ButtonBit(mbAbort),
                     AutoDefaultButton, 0);
        CancelPressed = 1;
    }
}

void TWebForm::ReportSkippedFiles() {
    if (ReportLines.Count() == 0)
        return;
    const std::string log = AppDir + ExceptionsFileName;
    try {
        ReportLines.SaveToFile(log);
    } catch (const std::exception&) {
        // The question still tells how many files were skipped.
    }
    const std::string text = IntToStr(ReportLines.Count()) +
                             " file(s) skipped. Some files may be opened and processed manually." + "\n" +
                             "View log?";
    if (voMessageDlg("", "", text, mtConfirmation, mbYesNo, AutoDefaultButton, 0) != mrYes)
        return;
    if (!OpenWithDesktop(log))
        voMessageDlg("", "", "Text viewer not found.", mtError, mbOKOnly, AutoDefaultButton, 0);
}

void TWebForm::NormaliseBitmapDepth() {
    TBitmap& display = *Daz95->Bitmap();
    ImageBitCount = ConvertBitmapDepth(display, ImageWidth, ImageHeight, ImageBitCount);
    if (ImageBitCount == 4)
        SetBitmap4();
    else if (ImageBitCount == 8)
        SetBitmap8();
    else if (ImageBitCount > 8)
        SetBitmap24();
}

}  // namespace lumvor
