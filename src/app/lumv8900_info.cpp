// The image window's commands that hand the picture to something outside the
// window: the information box, printing, scanning, the shell's default action
// on a file, and the export of the display bitmap into the imaging library.
#include "app/lumv8900.h"

#include "app/comment_8900.h"
#include "app/print_8900.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "imgman/imgman.h"
#include "platform/Folders.h"
#include "platform/Jpeg.h"
#include "platform/PackedDib.h"
#include "platform/Printers.h"
#include "platform/SysUtils.h"
#include "ui/Pix.h"
#include "ui/usrdlg_w.h"
#include "ui/voMsgBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace lumvor {

using namespace lumv8900;

namespace {

// The shell's answers: above 32 when the action started, 2 for "file not found".
constexpr int ShellStarted = 33;
constexpr int ShellNotFound = 2;

int64_t ScaledByBits(int64_t pixels, int32_t bits) {
    switch (bits) {
    case 32: return pixels * 4;
    case 24: return pixels * 3;
    case 15:
    case 16: return pixels * 2;
    case 8: return pixels;
    case 4: return pixels / 2;
    case 1: return pixels / 8;
    default: return -1;
    }
}

// The size of a file as the directory lists it; -1 when it cannot be read.
int64_t ListedFileSize(const std::string& name) {
    std::error_code error;
    const auto size = std::filesystem::file_size(name, error);
    return error ? -1 : static_cast<int64_t>(size);
}

std::string FileDateText(const std::string& name) {
    try {
        return FormatDateTime("yyyy-mm-dd hh:nn:ss", FileDateToDateTime(FileAge(name)));
    } catch (const Exception&) {
        return "";
    }
}

// Reads a JPEG's text into the comment window; false, after the warning, when
// the file is not a readable JPEG.
bool ReadInfoJpegText(const std::string& name) {
    try {
        comment_8900::CommentForm->ReadJpegText(name, "");
        return true;
    } catch (const Exception&) {
        voMessageDlg("", "", "Bad header; corrupted.\n" + name, mtWarning, mbOKOnly, AutoDefaultButton, 0);
        return false;
    }
}

}  // namespace

// ---- Sizes

int64_t ImageDataSize(int32_t Width, int32_t Height, int32_t BitCount) {
    if (BitCount == 32 || Width <= 0 || Height <= 0)
        return 0;
    const int64_t bytes = ScaledByBits(int64_t(Width) * Height, BitCount);
    return bytes <= 0 ? 0 : bytes / 4096 * 4096;
}

int64_t BitmapMemorySize(TPixelFormat Format, int32_t Width, int32_t Height, int32_t ScreenBits) {
    int32_t bits;
    switch (Format) {
    case pf1bit: bits = 1; break;
    case pf4bit: bits = 4; break;
    case pf8bit: bits = 8; break;
    case pf15bit: bits = 15; break;
    case pf16bit: bits = 16; break;
    case pf24bit: bits = 24; break;
    case pf32bit: bits = 32; break;
    default: bits = ScreenBits; break;
    }
    return ScaledByBits(int64_t(Width) * Height, bits);
}

int64_t TWebForm::ImageDataSize() const { return lumvor::ImageDataSize(ImageWidth, ImageHeight, ImageBitCount); }

// ---- Information

std::string PictureInfoText(const TPictureInfo& Info) {
    const std::string& br = Info.LineBreak;
    std::string text = Info.Description + br;
    if (!Info.Jpeg) {
        text += "Name: " + ExtractFileName(Info.FileName) + br;
        text += "Path: " + ExtractFilePath(Info.FileName) + br;
    }
    text += "Date: " + Info.DateText + br;
    text += "Size: " + std::to_string(Info.FileSize) + " bytes" + br;
    text += "CRC: " + Info.CrcText + br;
    if (Info.PageCount > 1)
        text += "Pages: " + std::to_string(Info.PageCount) + br;
    text += "Uses: " + std::to_string(Info.BitmapMemory) + " bytes" + br;
    text += "Video: " + std::to_string(Info.ScreenBits) + " bpp";
    return text;
}

void TWebForm::CRCFile(const std::string& Name, std::string& Text) { Text = IntToHex(FileCrc32(Name), 8); }

void TWebForm::mnuImageInfoClick(QObject*) {
    if (FileName == "Untitled")
        return;
    if (!FileExists(FileName)) {
        voMessageDlg("", "", ExtractFileName(FileName) + " not found.", mtError, ButtonBit(mbAbort),
                     AutoDefaultButton, 0);
        return;
    }
    TPictureInfo info;
    info.FileName = FileName;
    info.FileSize = ListedFileSize(FileName);
    if (!CommentFormCreated)
        new TCommentForm(this);
    if (ExtInList(FileExt, ".JPEG.JPG", ""))
        info.Jpeg = ReadInfoJpegText(FileName);
    if (info.Jpeg)
        info.LineBreak = "\r\n";
    info.Description = SizeText();
    info.DateText = FileDateText(FileName);
    CRCFile(FileName, info.CrcText);
    info.PageCount = PageCount;
    const TBitmap* shown = Daz95->Bitmap();
    info.BitmapMemory = BitmapMemorySize(shown->PixelFormat(), shown->Width(), shown->Height(), ScreenColorBits);
    info.ScreenBits = ScreenColorBits;
    std::string text = PictureInfoText(info);

    if (FileExt == ".PCD") {
        text += info.LineBreak + info.LineBreak + PhotoCDInfoText;
        if (!PhotoCDRightsFile.empty()) {
            if (voMessageDlg("", "", text, mtInformation, mbYesNo, AutoDefaultButton, 0) == mrYes)
                ExecuteFile(PhotoCDRightsFile, "", "", 1);
            return;
        }
    }
    if (info.Jpeg) {
        comment_8900::CommentForm->LabelData->SetCaption("View: " + text);
        comment_8900::CommentForm->show();
        return;
    }
    voMessageDlg("", "", text, mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

std::string TWebForm::GetJPEGDateText(const std::string& Name) {
    return FileExists(Name) ? GetJPEGTakenDate(Name) : std::string();
}

// ---- The picture into the imaging library

std::string TWebForm::ExportFileName() {
    const auto handle = static_cast<uint32_t>(QCoreApplication::applicationPid());
    return TempFolder() + TempPrefix + IntToHex(handle, 8) + "voexport.pcx";
}

int TWebForm::ExportBitmapToImg() {
    TBitmap& shown = *Daz95->Bitmap();
    const int depth = PixelFormatDepth(shown.PixelFormat());
    if (depth == 4)
        SetBitmap4();
    else if (depth == 8)
        SetBitmap8();
    else if (depth > 8)
        SetBitmap24();
    if (shown.Empty())
        return ImgHandle;
    if (ImageDataSize() < LargeExportBytes) {
        try {
            const TPackedDib dib = TPackedDib::FromPixels(*shown.Handle());
            if (ImgHandle != 0)
                ImgClose(ImgHandle);
            ImgHandle = ImgFromDIB(dib);
        } catch (const Exception&) {
            if (ImgHandle != 0)
                ImgClose(ImgHandle);
            ImgHandle = 0;
        }
        return ImgHandle;
    }
    Screen.SetCursor(crHourGlass);
    try {
        PcxGraphic->ImportBitmapHandle(shown.Handle());
        const std::string name = ExportFileName();
        PcxGraphic->SaveToFile(name);
        if (ImgHandle != 0)
            ImgClose(ImgHandle);
        ImgHandle = ImgOpenSolo(name, 0);
    } catch (const Exception&) {
        if (ImgHandle != 0)
            ImgClose(ImgHandle);
        ImgHandle = 0;
    }
    PcxGraphic->FreeImage();
    Screen.SetCursor(crDefault);
    return ImgHandle;
}

// ---- Printing

namespace {

// Asks for a PDF file to print into when the system has no printer; "" when
// the user cancels.
std::string AskPrintFile(const std::string& PictureName) {
    QFileDialog dialog(nullptr, "Print to PDF File");
    dialog.setObjectName("PrintFileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("PDF files (*.pdf)");
    dialog.setDefaultSuffix("pdf");
    const std::string folder = FolderExists(SaveDir) ? SaveDir : QDir::homePath().toStdString();
    dialog.setDirectory(QString::fromStdString(folder));
    dialog.selectFile(QString::fromStdString(ChangeFileExt(ExtractFileName(PictureName), ".pdf")));
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return "";
    return dialog.selectedFiles().first().toStdString();
}

// The page of a bilevel file at its own resolution, or a reduced JPEG decoded
// at full size, as an imaging-library picture; 0 when the shown picture is to
// be printed as it is (it was edited, or it is shown at its own size).
int FullSizePrintPicture() {
    if (ImageChanged || AspectChanged)
        return 0;
    if (FaxReduced) {
        const int handle = ImgOpenSolo(FileName, 0);
        if (handle != 0)
            ImgSetPage(handle, PageIndex);
        return handle;
    }
    if (!JPEGReduced)
        return 0;
    try {
        TJPEGImage decoder;
        decoder.LoadFromFile(FileName);
        decoder.SetScale(jsFullSize);
        decoder.SetPixelFormat(decoder.BitCount() == 8 ? jf8Bit : jf24Bit);
        TBitmap full;
        decoder.DecodeInto(full);
        return ImgFromDIB(TPackedDib::FromPixels(*full.Handle()));
    } catch (const Exception&) {
        return 0;
    }
}

}  // namespace

void TWebForm::mnuPrintClick(QObject*) {
    TPrinter& printer = Printer();
    // The system's default printer of this moment; without one, a PDF file.
    std::string printFile;
    if (!printer.SelectDefaultPrinter()) {
        printFile = AskPrintFile(FileName);
        if (printFile.empty())
            return;
        printer.SetOutputFileName(printFile);
    }
    struct TPrintFileReset {
        TPrinter& Printer;
        bool Active;
        ~TPrintFileReset() {
            if (Active)
                Printer.SetOutputFileName("");
        }
    } printFileReset{printer, !printFile.empty()};

    // The print setup places the picture at the file's resolution.
    const TSize size = ShownReduced() ? ReducedPictureFileSize() : TSize{ImageWidth, ImageHeight};
    TPrintFormResult placement;
    ExecutePrintForm(ExtractFileName(FileName), size.cx, size.cy, placement);
    if (placement.Top == -1)
        return;
    Screen.SetCursor(crHourGlass);
    int handle = FullSizePrintPicture();
    const bool ownHandle = handle != 0;
    if (!ownHandle)
        handle = ExportBitmapToImg();
    if (handle == 0) {
        Screen.SetCursor(crDefault);
        ImgErrBox(this);
        return;
    }
    auto release = [&] {
        if (ownHandle) {
            ImgClose(handle);
        } else {
            ImgClose(ImgHandle);
            ImgHandle = 0;
        }
    };
    printer.Title = "Lumvor Graphic";
    StatusBusy("Sending to printer...");
    int result = 0;
    try {
        printer.BeginDoc();
        ImgRect = Rect(placement.Left, placement.Top, placement.Left + placement.Width,
                       placement.Top + placement.Height);
        result = ImgPrintImage(handle, printer.Canvas(), ImgRect, 0);
        printer.EndDoc();
    } catch (const Exception&) {
        printer.Abort();
        Screen.SetCursor(crDefault);
        voMessageDlg("", "", "Check printer.", mtError, mbOKOnly, AutoDefaultButton, 0);
        StatusReady();
        release();
        return;
    }
    // The shown picture (and any unsaved edit of it) stays; it is not read
    // again from its file.
    release();
    Application.ProcessMessages();
    if ((result & 0xFF) != 0)
        voMessageDlg("", "", "Image sent to printer.", mtInformation, mbOKOnly, AutoDefaultButton, 0);
    else
        voMessageDlg("", "", "Printer did not respond.\ntry different print setting.", mtError, mbOKOnly,
                     AutoDefaultButton, 0);
    StatusReady();
    Screen.SetCursor(crDefault);
}

// ---- Scanning

void TWebForm::TwainDllError() {
    voMessageDlg("", "", "TWAIN DLL error.\nCheck driver, device and connections.", mtError, mbOKOnly,
                 AutoDefaultButton, 0);
}

void TWebForm::TwainAborted() {
    voMessageDlg("", "", "TWAIN acquisition aborted.", mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

void TWebForm::mnuTWAIN_Select1Click(QObject* Sender) {
    if (!ScanIsTWAINAvailable()) {
        TwainDllError();
        return;
    }
    if (ScanSelectSource(this) != 1) {
        TwainDllError();
        return;
    }
    mnuTWAIN_Acquire1Click(Sender);
}

void TWebForm::mnuTWAIN_Acquire1Click(QObject* Sender) {
    if (!ScanIsTWAINAvailable()) {
        TwainDllError();
        return;
    }
    // The scan replaces the picture: unsaved changes are given up only when the user agrees.
    if (ImageChanged) {
        const int answer = CloseNow(Sender);
        if (answer != mrYes && answer != mrYesToAll)
            return;
    }
    NewBlankImage(true);
    const TPackedDib dib = ScanAcquirePage(this, 0);
    if (dib.Empty()) {
        TwainAborted();
        return;
    }
    Screen.SetCursor(crHourGlass);
    if (ImgHandle != 0)
        ImgClose(ImgHandle);
    ImgHandle = ImgFromDIB(dib);
    if (ImgHandle != 0) {
        HPALETTE palette = ImgGetPalette(ImgHandle);
        ImportImgToBitmap(true, false);
        if (palette)
            Daz95->Bitmap()->SetPalette(palette);
        ProcessDone();
    } else {
        ImgErrBox(this);
    }
    Screen.SetCursor(crDefault);
}

// ---- Small services

int TWebForm::SetColorQuality(const std::string& Caption, int Value, int Maximum) {
    TXScrlDlgParam params;
    params.Min = 0;
    params.Max = Maximum;
    params.Position = Value;
    params.LargeChange = 1;
    params.SmallChange = 1;
    params.ShowPresets = 0;
    params.UseTrackBar = 1;
    return ExecuteXScrlDlg(Caption, "Standard", "Optimal", params);
}

int TWebForm::ExecuteFile(const std::string& Name, const std::string& Params, const std::string& Folder, int) {
    // A program is started with its parameters; any other file opens in the
    // desktop's application for its type.
    const QString program = QStandardPaths::findExecutable(QString::fromStdString(Name));
    if (!program.isEmpty() && !QFileInfo(QString::fromStdString(Name)).isFile()) {
        const QStringList arguments = QProcess::splitCommand(QString::fromStdString(Params));
        return QProcess::startDetached(program, arguments, QString::fromStdString(Folder)) ? ShellStarted
                                                                                           : ShellNotFound;
    }
    std::string path = Name;
    if (!Folder.empty() && !Name.empty() && Name[0] != '/')
        path = AddBackslash(Folder) + Name;
    if (!FileExists(path) && !DirectoryExists(path))
        return ShellNotFound;
    return OpenWithDesktop(path) ? ShellStarted : ShellNotFound;
}

void TWebForm::MakeScreenBitmap() {
    TBitmap& shown = *Daz95->Bitmap();
    if (Screen.Width() < ImageWidth || Screen.Height() < ImageHeight || ExtInList(FileExt, ".BMP.DIB", "") ||
        PixelFormatDepth(shown.PixelFormat()) < 9 || shown.HandleType() == bmDDB)
        return;
    // The screen form of the picture; pixels here stay device-independent.
    shown.SetHandleType(bmDDB);
    ImageBitCount = 24;
    if (!SlideshowRunning)
        UpdateCaption();
}

}  // namespace lumvor
