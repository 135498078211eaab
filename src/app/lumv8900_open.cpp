// Opening a picture: the open command, the header reader, decoding by
// extension, the imaging-library road, pages, scaled JPEG decoding and the
// Photo CD import.
#include "app/lumv8900.h"

#include "imaging/OpenPicture.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "imaging/vo_GraphicX.h"
#include "imaging/vo_PCD.h"
#include "imgman/imgman.h"
#include "platform/Menus.h"
#include "platform/pcd/PcdLib.h"
#include "processing/script/LabState.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"
#include "zip/Unzip_8900.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace lumvor {

using namespace lumv8900;
using namespace OpenPicture;

namespace {

bool IsJpeg(const std::string& ext) { return ExtInList(ext, JpegList, ""); }

// The imaging library is prepared once per run.
bool imgLibraryReady = false;
void EnsureImagingLibrary() {
    if (!imgLibraryReady) {
        ImgInit();
        imgLibraryReady = true;
    }
}

// The codec instances the window shares; made again after a failed read.
template <typename T>
T& Codec(std::unique_ptr<T>& codec) {
    if (!codec)
        codec = std::make_unique<T>();
    return *codec;
}

void EnsureJpegImage() {
    if (!JPEGImage)
        JPEGImage = std::make_unique<TJPEGImage>();
}

// The information header after a BMP's 14-byte file header: the 12-byte core
// header of OS/2 files (16-bit width and height) or the Windows header of 40
// bytes and more; a short file leaves zeros. True when the file could not be
// read or its fields describe no picture (a bit count above 32, a height with
// no positive twin): the codec then measures the file.
bool GetBMPinfo(const std::string& fileName) {
    uint8_t header[54] = {};
    if (!SpecialFileProblem(fileName).empty())
        return true;
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return true;
    file.read(reinterpret_cast<char*>(header), sizeof header);
    auto u32 = [&](int at) {
        return uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 | uint32_t(header[at + 2]) << 16 |
               uint32_t(header[at + 3]) << 24;
    };
    auto u16 = [&](int at) { return int64_t(header[at] | header[at + 1] << 8); };
    const bool core = u32(14) == 12;
    const int64_t width = core ? u16(18) : int32_t(u32(18));
    const int64_t height = core ? u16(20) : int32_t(u32(22));
    const int64_t planes = core ? u16(22) : u16(26);
    const int64_t bits = core ? u16(24) : u16(28);
    const int64_t bitCount = planes > 1 ? bits * planes : bits;
    if (bitCount > 32 || height == INT32_MIN) {
        ImageWidth = ImageHeight = ImageBitCount = 0;
        return true;
    }
    ImageWidth = int(width);
    ImageHeight = int(height);
    ImageBitCount = int(bitCount);
    return false;
}

// Width, height and bit count of the imaging library's picture.
void ReadLibraryInfo(int handle) {
    IMGINFO info;
    ImgGetInfoStruct(handle, &info);
    ImageWidth = info.Header.biWidth;
    ImageHeight = info.Header.biHeight;
    const int planes = info.Header.biPlanes;
    const int bits = info.Header.biBitCount;
    ImageBitCount = planes > 1 ? bits * planes : bits;
}

}  // namespace

TBitmap& TWebForm::DisplayBitmap() { return *Daz95->Bitmap(); }

// ---- The header reader

int TWebForm::ReadImageHeader(bool) {
    ImgLibDecode = false;
    FileExt = UpperCase(ExtractFileExt(FileName));
    // A folder, named pipe, device or socket is never read: a read could block.
    if (!SpecialFileProblem(FileName).empty())
        return -1;
    const TFileKind kind = FileKindOf(FileExt);
    if (kind == TFileKind::Text)
        return -10;
    if (kind == TFileKind::Vector)
        return -11;
    if (kind == TFileKind::Media)
        return 2;
    if (kind != TFileKind::Picture) {
        // The name goes back to the picture shown before.
        if (FileExt != ".AVL" && !PreviousFileName.empty() && PreviousFileName != "*")
            FileName = PreviousFileName;
        return -1;
    }
    EnsureImagingLibrary();
    if (!FileExists(FileName))
        return -1;
    PageCount = 1;
    OriginalBitCount = ImageBitCount;
    JPEGHeaderRead = false;

    int result = 1;
    if (FileExt == ".PCD") {
        if (LowerCase(FileName).find("img") == std::string::npos)
            return -1;
        Screen.SetCursor(crHourGlass);
        TPhotoCDSize size;
        ReadPhotoCDSize(FileName, PhotoCDResolution, size);
        if (size.Resolution == PhotoCDOpenFailed) {
            result = -1;
        } else {
            Screen.SetCursor(crDefault);
            PhotoCDCurrentResolution = size.Resolution;
        }
        ImageWidth = size.Width;
        ImageHeight = size.Height;
        ImageBitCount = 24;
        return result;
    }
    if (IsJpeg(FileExt)) {
        EnsureJpegImage();
        try {
            JPEGImage->SetEmbeddedPreview(EmbeddedJPEGRequested);
            JPEGImage->LoadFromFile(FileName);
        } catch (const Exception&) {
            JPEGImage = std::make_unique<TJPEGImage>();
            return -1;
        }
        ImageWidth = JPEGImage->Width();
        ImageHeight = JPEGImage->Height();
        ImageBitCount = JPEGImage->BitCount();
        JPEGHeaderRead = true;
        return 1;
    }
    if (ExtInList(FileExt, BitmapList, "")) {
        const bool failed = GetBMPinfo(FileName);
        const bool quickOk = !failed && ImageWidth >= 2 && ImageHeight >= 2 && ImageBitCount % 4 == 0 &&
                             ImageBitCount > 0 && ImageWidth <= 65535 && ImageHeight <= 65535;
        if (!quickOk) {
            // One-bit, top-down, very wide or unreadable headers: the codec measures them.
            try {
                TBmpGraphic& bmp = Codec(DibImage);
                bmp.ReadFileInfo(FileName);
                ImageWidth = bmp.InfoWidth;
                ImageHeight = bmp.InfoHeight;
                ImageBitCount = bmp.InfoBitCount;
            } catch (const Exception&) {
                DibImage = std::make_unique<TBmpGraphic>();
                // Rows stored top down: the codec leaves those to the class
                // library's reader, and the header's size stands.
                if (!failed && ImageHeight < -1 && ImageWidth >= 1) {
                    ImageHeight = -ImageHeight;
                } else {
                    result = -1;
                }
            }
        }
        ImageBitCount = HeaderBitCount(ImageBitCount);
        return result;
    }
    auto readCodec = [&](auto& holder, auto read) {
        try {
            auto& codec = Codec(holder);
            read(codec);
            ImageWidth = codec.InfoWidth;
            ImageHeight = codec.InfoHeight;
            ImageBitCount = HeaderBitCount(codec.InfoBitCount);
            return 1;
        } catch (const Exception&) {
            holder = std::make_unique<std::remove_reference_t<decltype(*holder)>>();
            return -1;
        }
    };
    if (FileExt == ".TGA")
        return readCodec(TgaGraphic, [](TTgaGraphic& c) { c.ReadFileInfo(FileName); });
    if (FileExt == ".PNG")
        return readCodec(PngGraphic, [](TPngGraphic& c) { c.ReadFileInfo(FileName, true); });
    if (FileExt == ".PCX")
        return readCodec(PcxGraphic, [](TPcxGraphic& c) { c.ReadFileInfo(FileName); });
    if (FileExt == ".PSD" || FileExt == ".GIF") {
        std::unique_ptr<TGraphicX> reader = NewHeaderReader(FileExt == ".GIF");
        try {
            if (!reader->IsValidFile(FileName))
                return -1;
            reader->LoadFromFile(FileName);
        } catch (const Exception&) {
            return -1;
        }
        ImageWidth = reader->Info.Width;
        ImageHeight = reader->Info.Height;
        const int bits = reader->Info.BitsPerPixel;
        ImageBitCount = FileExt == ".GIF" ? GifHeaderBitCount(bits) : HeaderBitCount(bits);
        return 1;
    }
    if (FileExt == ".TIF") {
        int compression = 0;
        try {
            TTiffGraphic& tiff = Codec(TiffGraphic);
            tiff.ReadFileInfo(FileName, -1);
            ImageWidth = tiff.InfoWidth;
            ImageHeight = tiff.InfoHeight;
            ImageBitCount = HeaderBitCount(tiff.InfoBitCount);
            compression = tiff.InfoCompressionTag;
            const bool deflate = compression == 32946 || compression == 8;
            // LZW and JPEG pages are beyond our own codec: the library reads them.
            const bool foreign = compression == 5 || compression == 6 || compression == 7;
            if (foreign) {
                ImgLibDecode = true;
            } else if (!deflate) {
                if (ImageWidth == 0 || ImageHeight == 0 || ImageBitCount == 0)
                    ImgLibDecode = true;
                else if (ImageBitCount < 2)
                    ImgLibDecode = true;
            }
        } catch (const Exception&) {
            TiffGraphic = std::make_unique<TTiffGraphic>();
            ImgLibDecode = true;
        }
        if (!ImgLibDecode)
            return 1;
    }
    if (ExtInString(FileExt, LibraryList) || ImgLibDecode) {
        if (ImgHandle != 0) {
            ImgClose(ImgHandle);
            ImgHandle = 0;
        }
        const int handle = ImgOpenSolo(FileName, 0);
        if (handle == 0)
            return -1;
        ImgPageCount(handle, &PageCount);
        ReadLibraryInfo(handle);
        ImageBitCount = HeaderBitCount(ImageBitCount);
        ImgClose(handle);
        return 1;
    }
    return -1;
}

// ---- Photo CD

bool TWebForm::ImportPCD(TBitmap*, bool) {
    TickStart = GetTickCount();
    HPCD pcd = 0;
    if (PCDopen(FileName.c_str(), pcd) != pcdOK || pcd == 0)
        return true;
    PCDattributes attributes;
    uint16_t turn = 0;
    PCDgetAttributes(pcd, attributes, turn);
    uint32_t mask = 0;
    uint16_t count = 0;
    PCDgetCount(pcd, mask, count);
    const int levels = std::max<int>(count, 1);
    const int allowed = PhotoCDUsableLevels(attributes.EncryptedLevels, mask, levels);
    if (SlideshowRunning)
        PhotoCDCurrentResolution = 3;
    int r = PhotoCDCurrentResolution;
    if (r > levels - 1)
        r = levels - 1;
    if (r > allowed - 1)
        r = allowed - 1;
    r = std::max(r, 0);
    PCDsetResolution(pcd, static_cast<int16_t>(r));
    PCDrect rect;
    PCDgetSize(pcd, rect);
    const int width = rect.Right - rect.Left;
    const int height = rect.Bottom - rect.Top;
    if (!SlideshowRunning) {
        auto res = [](int k) {
            const int s = 1 << (k + 6);
            return IntToStr(s) + " x " + IntToStr(s + s / 2) + "\n";
        };
        std::string text = std::string("Orientation: ") + (width > height ? "Landscape" : "Portrait") + "\n\n";
        text += "Maximum res: " + res(levels - 1);
        text += "Allowed res: " + res(allowed - 1);
        text += "Current res: " + res(r);
        text += std::string("\nEncrypted: ") + (attributes.EncryptedLevels != 0 ? "Yes" : "No");
        text += std::string("   Watermark: ") + (attributes.Watermarked != 0 ? "Yes" : "No") + "\n";
        PCDphotoInfo info;
        PCDreadImageInfo(pcd, info);
        auto field = [&](int at, int length) { return std::string(reinterpret_cast<const char*>(info.Bytes + at), length); };
        if (info.Bytes[pcdInfoMedium] < 9) {
            text += "Media Type: " + field(pcdInfoMediumName, 20) + field(pcdInfoProductType, 20) + "\n";
            text += "Scanner: " + field(pcdInfoScanner, 16) + "\n";
            if (info.Bytes[pcdInfoPhotofinisher] != 0xFF)
                text += "Photofinisher: " + field(pcdInfoPhotofinisher, 60) + "\n";
        }
        if (info.Bytes[pcdInfoHasCopyright] == 1) {
            text += std::string("Read Copyright file?") + "\n";
            std::string name = field(pcdInfoCopyrightFile, 30);
            name = name.substr(0, name.find('\0'));
            std::string root;
            GetPathRoot(FileName, root);
            PhotoCDRightsFile = root + "photo_cd/rights/" + Trim(name);
        } else {
            PhotoCDRightsFile.clear();
        }
        PhotoCDInfoText = text;
    }
    PCDsetFormat(pcd, pcdFormatDibWithTable);
    ImageBitCount = 24;
    Screen.SetCursor(crHourGlass);
    ImageWidth = width;
    ImageHeight = height;
    TPackedDib dib;
    PCDloadImage(pcd, 0, dib);
    CloseImgHandle();
    if (!dib.Empty())
        ImgHandle = ImgFromDIB(dib);
    PCDfreeBitmap(dib);
    PCDclose(pcd);
    // A picture that did not load is a failure like a file that did not open.
    return ImgHandle == 0;
}

// ---- The open command

// The warning for a file that did not open, by what is wrong with it.
static std::string FailedOpenText(const std::string& name) {
    // A folder, named pipe, device or socket is named for what it is.
    const std::string special = SpecialFileProblem(name);
    if (!special.empty())
        return special;
    TOpenFailure reason = TOpenFailure::NotReadable;
    std::error_code error;
    const std::filesystem::path path(name);
    if (FileKindOf(UpperCase(ExtractFileExt(name))) != TFileKind::Picture)
        reason = TOpenFailure::Unsupported;
    else if (!std::filesystem::is_regular_file(path, error))
        reason = TOpenFailure::Missing;
    else if (::access(name.c_str(), R_OK) != 0)
        reason = TOpenFailure::NoPermission;
    else if (std::filesystem::file_size(path, error) == 0 && !error)
        reason = TOpenFailure::Empty;
    return OpenFailureText(name, reason);
}

void TWebForm::BtnOpenEx(QObject*) {
    const std::string attempted = FileName;
    const int r = ReadImageHeader(true);
    if (r == -10) {
        DecodeMemo();
        return;
    }
    if (r == -11) {
        DecodeVector();
        return;
    }
    if (r == 2) {
        OpenMediaKind();
        return;
    }
    // A file whose header cannot be read replaces nothing: it is reported,
    // and the open dialog is not offered in its place.
    if (r < 0) {
        KeepCurrentPicture(FailedOpenText(attempted));
        return;
    }
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    BtnOpenClick(OpenDialog);
}

void TWebForm::KeepCurrentPicture(const std::string& Message) {
    if (!ShownFileName.empty())
        FileName = ShownFileName;
    else if (!PreviousFileName.empty() && PreviousFileName != "*")
        FileName = PreviousFileName;
    FileExt = UpperCase(ExtractFileExt(FileName));
    Screen.SetCursor(crDefault);
    StatusText(Message);
    voMessageDlg("", "", Message, mtWarning, mbOKOnly, AutoDefaultButton, 0);
    if (!ImageLoaded) {
        // Nothing was shown yet (a file named on the command line).
        NewBlankImage(true);
        return;
    }
    UpdateHistoryEdit();
}

void TWebForm::BtnOpenClick(QObject* Sender) {
    Daz95->SetPaintLock(false);
    Daz95->show();
    if (MediaMode) {
        AV_UI(false);
        Application.ProcessMessages();
    }
    chkHandToolClick(this);
    const bool changedBefore = ImageChanged;
    if (ImageChanged && CloseNow(Sender) == mrNo)
        return;
    WorkStream.Clear();
    UndoValid = false;
    if (UndoBitmap)
        UndoBitmap->SetSize(0, 0);
    SetUndoControls(false);

    // The application (or the window itself) opens FileName reading its
    // header; the dialog hands over a file whose header was read.
    const bool fromProgram = Sender == this || Sender == QCoreApplication::instance();
    const bool fromDialog = Sender == static_cast<QObject*>(OpenDialog);
    enum { ReadHeader, Decode, Finish } step = fromDialog ? Decode : ReadHeader;
    if (!fromProgram && !fromDialog) {
        bool chosen = false;
        for (;;) {
            OpenDialog->SetFileName("");
            OpenDialog->SetConversionStream(&WorkStream);
            chosen = OpenDialog->Execute();
            if (chosen || !OpenDialog->ExecuteRecent)
                break;
            if (RecentPath.empty())
                RecentPath = AppDir + "recent";
            ForceDirectories(RecentPath);
            OpenDialog->SetInitialDir(RecentPath);
        }
        if (!chosen)
            return;
        const int previewHandle = OpenDialog->ImageManHandle();
        bool previewTaken = false;
        if (OpenDialog->Files.Count() > 1) {
            for (int i = OpenDialog->Files.Count() - 1; i >= 1; --i)
                ImageHistoryList.Add(OpenDialog->Files[i]);
            PreviousFileName = FileName;
            FileName = OpenDialog->Files[0];
            FileExt = UpperCase(ExtractFileExt(FileName));
        } else {
            PreviousFileName = FileName;
            FileName = OpenDialog->FileName();
            FileExt = UpperCase(ExtractFileExt(FileName));
            if (ExtInList(FileExt, TextList, "")) {
                DecodeMemo();
                return;
            }
            if (ExtInList(FileExt, VectorList, "")) {
                try {
                    DecodeVector();
                } catch (const Exception&) {
                }
                return;
            }
            if (FileExt == ".AVL") {
                DragOpen(FileName);
                return;
            }
            const bool previewMatches = ExtInString(FileExt, OwnCodecList) && OpenDialog->ImageBitsPixel() != -1 &&
                                        OpenDialog->ImageFilename() == FileName && !AspectChanged;
            if (previewMatches && OpenDialog->ImagePreload() && previewHandle != 0) {
                // The preview's picture is taken over instead of decoding the file again.
                OriginalBitCount = ImageBitCount;
                CloseImgHandle();
                ImgHandle = previewHandle;
                previewTaken = true;
                PageCount = 1;
                ImgPageCount(ImgHandle, &PageCount);
                PageIndex = 0;
                ImgLibDecode = false;
                DisplayBitmap().SetSize(0, 0);
                ImageLoaded = ImportImgToBitmap(true, false);
                ProcessDone();
                step = Finish;
            }
        }
        // A preview picture that is not taken over is released.
        if (!previewTaken && previewHandle != 0)
            ImgClose(previewHandle);
    }

    const std::string attempted = FileName;
    if (step == ReadHeader) {
        const int r = ReadImageHeader(true);
        if (r == 2) {
            OpenMediaKind();
            Screen.SetCursor(crDefault);
            return;
        }
        if (r < 0) {
            // Nothing was replaced yet: the picture shown stays, as it was.
            ImageChanged = changedBefore;
            KeepCurrentPicture(FailedOpenText(attempted));
            return;
        } else {
            step = Decode;
        }
    }
    if (step == Decode) {
        ImageLoaded = false;
        if (PageCount > 1)
            AspectChanged = false;
        if (AspectChanged && !MediaMode)
            OpenImageResized(-1);
        else
            OpenImage(-1);
        Application.ProcessMessages();
    }
    if (step != ReadHeader || ImageLoaded) {
        ImageChanged = false;
        EnableControls();
        UpdateCaption();
        if (FileExists(FileName))
            OpenDialog->SetInitialDir(ExtractFilePath(FileName));
    }

    Screen.SetCursor(crDefault);
    Application.ProcessMessages();
    if (!ImageLoaded) {
        // The decode failed after the picture was emptied: said so, then a blank.
        if (step == Decode && !SlideshowRunning)
            voMessageDlg("", "", FailedOpenText(attempted), mtWarning, mbOKOnly, AutoDefaultButton, 0);
        NewBlankImage(true);
        ScrollBox->setFocus();
        return;
    }
    ShownFileName = FileName;
    UpdateHistory(true);
    PageMenusShown = PageCount > 1;
    if (PageMenusShown) {
        StatusText("Page " + IntToStr(PageIndex + 1) + " of " + IntToStr(PageCount));
        StatusBar->repaint();
    }
    if (btnPageNext)
        btnPageNext->setEnabled(PageMenusShown);
    for (TMenuItem* item : {mnuPage, mnuPage1})
        if (item)
            item->setVisible(PageMenusShown);
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    ScrollBox->setFocus();
    AddToAppRecent(ExtractFilePath(FileName));
    if (!SlideshowRunning && !IsBusy && !MediaMode && FitWindow)
        btnZoomToolClick(this);
}

// ---- Decoding by extension

// The first steps of every open: the previous picture's handle closed,
// "Loading..." and the header's size remembered.
static void BeginOpen(TWebForm& form) {
    WorkStream.Clear();
    form.CloseImgHandle();
    form.StatusText("Loading...");
    form.StatusBar->repaint();
    PrevImageWidth = ImageWidth;
    PrevImageHeight = ImageHeight;
    JPEGReduced = false;
    FaxReduced = false;
    form.RefitViewSize = QSize();
}

// The last steps of a successful open: gamma, the view, caption and status;
// the zoom is reset to 100 when asked (resetZoom for pictures other than
// JPEG, zoomBack for reduced or retried pictures without fit-to-window).
static void FinishOpen(TWebForm& form, int color, bool resetZoom, bool zoomBack) {
    if (form.mnuViewGamma->Tag != 100 && form.mnuViewGamma->Tag != 0)
        form.DoGamma();
    ImageLoaded = true;
    form.Daz95->SetPaintLock(false);
    if (!FitWindow) {
        form.Daz95->update();
        if (resetZoom)
            ZoomPercent = 100;
    } else {
        if (SlideshowRunning && color != -1) {
            QPalette palette = form.ScrollBox->palette();
            palette.setColor(QPalette::Window, QColor(color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF));
            form.ScrollBox->setPalette(palette);
        }
        form.ChangeView();
    }
    Application.ProcessMessages();
    form.UpdateCaption();
    form.StatusBar->repaint();
    for (TMenuItem* item : {form.mnuReload, form.mnuReload3})
        if (item)
            item->setEnabled(true);
    if (!SlideshowRunning && zoomBack && !FitWindow) {
        ZoomPercent = 100;
        if (form.NeedSetBounds())
            form.ApplyZoom();
    }
    if (!FitWindow)
        form.SetStatusZoom(IntToStr(ZoomPercent) + "%");
    JPEGRetry = false;
}

// A failed decode: the bit count and the name go back to what they were.
static void OpenFailed(TWebForm& form) {
    LayoutPending = false;
    ImageBitCount = OriginalBitCount;
    FileName = PreviousFileName;
    FileExt = UpperCase(ExtractFileExt(FileName));
    form.Daz95->SetPaintLock(false);
    Screen.SetCursor(crDefault);
    if (!SlideshowRunning)
        form.StatusBar->repaint();
    JPEGRetry = false;
}

void TWebForm::OpenImage(int Color) {
    BeginOpen(*this);
    const bool jpeg = IsJpeg(FileExt);
    if (LayoutPending) {
        // The first open lays the window out for the picture; the resize
        // reaction lets the resizes of this layout pass, and only those.
        LayoutPending = false;
        OpenLayoutRunning = true;
        FitSavedBounds();
        if (WindowedView) {
            FitWindowToPicture();
        } else {
            SetBoundsEx();
            ZoomPercent = 100;
            SetScrollRanges();
        }
        Application.ProcessMessages();
        OpenLayoutRunning = false;
        LayoutScrollBox();
    } else {
        Screen.SetCursor(SlideshowRunning ? crAppStart : crHourGlass);
        if (!FitWindow && WindowedView)
            FitWindowToPicture();
        if (!jpeg) {
            DisplayBitmap().SetSize(0, 0);
            if (!FitWindow) {
                ZoomPercent = 100;
                ResetSkyScrollPos();
                SetBoundsEx();
                SetScrollRanges();
                if (!SlideshowRunning)
                    LayoutScrollBox();
            }
            Application.ProcessMessages();
        }
    }
    Daz95->SetPaintLock(true);


    if (jpeg) {
        ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        TickStart = GetTickCount();
        try {
            if (FitWindow || SlideshowRunning || JPEGScaleOn) {
                LoadJPEGScaled();
                if (JPEGScaleOn)
                    SetBoundsEx();
            } else {
                LoadJPEGFull();
                SetBoundsEx();
            }
        } catch (...) {
            // The retry failed too: the open ends here and the exception is reported.
            OpenFailed(*this);
            throw;
        }
        if (!FitWindow) {
            ZoomPercent = 100;
            ScrollBox->horizontalScrollBar()->setValue(0);
            ScrollBox->verticalScrollBar()->setValue(0);
            if (!SlideshowRunning) {
                ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            }
            Application.ProcessMessages();
        }
    } else {
        StatusText("Ready.");
        bool ok = false;
        if (ExtInString(FileExt, LibraryList) || ImgLibDecode) {
            EnsureStretch();
            Daz95->SetPaintLock(true);
            ok = LoadPicture(true, 0);
            if (ok && FaxQuality != 0 && !FitWindow) {
                ZoomPercent = 100;
                ResetSkyScrollPos();
                SetBoundsEx();
                SetScrollRanges();
                if (!SlideshowRunning)
                    LayoutScrollBox();
            }
        } else if (FileExt == ".PCD") {
            Daz95->SetPaintLock(true);
            try {
                ok = !ImportPCD(&DisplayBitmap(), true) && ImportImgToBitmap(false, false);
            } catch (const Exception&) {
                ok = false;
            }
        } else if (ExtInString(FileExt, OwnCodecList)) {
            Daz95->SetPaintLock(true);
            ok = LoadPicture(false, 0);
        }
        // A file no decoder took produced no picture: that is a failed open.
        if (!ok) {
            OpenFailed(*this);
            return;
        }
    }

    FinishOpen(*this, Color, !jpeg, FileExt == ".FPX" || JPEGRetry || JPEGReduced);
}

void TWebForm::OpenImageResized(int Color) {
    BeginOpen(*this);
    Daz95->SetPaintLock(true);
    Screen.SetCursor(SlideshowRunning ? crAppStart : crHourGlass);
    int width = ViewWidth(), height = ViewHeight();
    if (width > ImageWidth && height > ImageHeight && !AspectChanged) {
        width = ImageWidth;
        height = ImageHeight;
    }
    bool opened = false;
    try {
        opened = SlideImage(width, height);
    } catch (const Exception&) {
        opened = false;
    }
    if (!opened) {
        // Nothing to draw: a failed open, not an empty success.
        CloseImgHandle();
        OpenFailed(*this);
        return;
    }
    if (PreparedWidth != ImageWidth || PreparedHeight != ImageHeight || PreparedWidth == 0) {
        DisplayBitmap().SetPixelFormat(pf24bit);
        DisplayBitmap().SetSize(ImageWidth, ImageHeight);
        PreparedWidth = ImageWidth;
        PreparedHeight = ImageHeight;
    }
    SetBoundsEx();
    ImgRect = Rect(0, 0, ImageWidth - 1, ImageHeight - 1);
    if (ImgPrintImage(ImgHandle, DisplayBitmap().Canvas(), ImgRect, 0) != 1)
        ShowImgError();
    StatusText("Ready.");
    FinishOpen(*this, Color, false, FileExt == ".FPX" || (IsJpeg(FileExt) && JPEGScaleOn));
}

// Shows a decoded codec picture: deeper than 8 bits as it is, palette
// pictures through the imaging library, which keeps their colour table.
static bool ShowCodecPicture(TWebForm& form, TDibGraphic& picture) {
    if (picture.IsEmpty())
        return false;
    if (picture.InfoHeader().biBitCount > 8) {
        form.DisplayBitmap().Assign(&picture);
        return !form.DisplayBitmap().GetEmpty();
    }
    form.CloseImgHandle();
    ImgHandle = ImgFromDIB(picture.ExportDIB());
    if (ImgHandle == 0)
        return false;
    ImageWidth = picture.GetWidth();
    ImageHeight = picture.GetHeight();
    ImageBitCount = picture.InfoHeader().biBitCount;
    return form.ImportImgToBitmap(false, false);
}

bool TWebForm::LoadPicture(bool UseImagingLibrary, int Page) {
    FaxReduced = false;
    if (!UseImagingLibrary && !ImgLibDecode)
        CloseImgHandle();
    TBitmap& display = DisplayBitmap();

    if (!UseImagingLibrary && ExtInList(FileExt, BitmapList, "")) {
        const bool direct = !ViewerControls.Flag(vc::FastBmp) || ImageDataSize() > DirectBitmapBytes ||
                            ImageBitCount == 4 || ImageWidth <= xplr8900::ThumbWidth ||
                            ImageHeight <= xplr8900::ThumbHeight;
        if (direct) {
            Screen.SetCursor(crHourGlass);
            if (UndoBitmap)
                UndoBitmap->SetSize(0, 0);
            UndoValid = false;
            WorkStream.Clear();
            PcxGraphic = std::make_unique<TPcxGraphic>();
            CloseImgHandle();
            for (auto* bitmap : {&WorkBitmap, &BackupBitmap})
                if (*bitmap)
                    (*bitmap)->SetSize(0, 0);
            if (MemoryRunningLow()) {
                UserInterrupt = true;
                CancelPressed = 1;
                return false;
            }
            ImageViewInfo = "BMP direct load";
            try {
                TBitmap loaded;
                loaded.LoadFromFile(FileName);
                display.Assign(&loaded);
            } catch (const Exception&) {
                display.SetSize(0, 0);
            }
            Screen.SetCursor(crDefault);
            if (!display.GetEmpty())
                return true;
        }
        display.SetSize(0, 0);
        CloseImgHandle();
        ImgHandle = ImgOpenSolo(FileName, 0);
        if (ImgHandle != 0 && ImportImgToBitmap(false, false))
            return true;
        CloseImgHandle();
        try {
            TBmpGraphic& bmp = Codec(DibImage);
            bmp.LoadFromFile(FileName);
            if (ShowCodecPicture(*this, bmp))
                return true;
        } catch (const Exception&) {
            DibImage = std::make_unique<TBmpGraphic>();
        }
        display.SetSize(0, 0);
        return false;
    }
    if (!UseImagingLibrary && FileExt == ".TGA") {
        bool ok = false;
        try {
            TTgaGraphic& tga = Codec(TgaGraphic);
            tga.LoadFromFile(FileName);
            ok = ShowCodecPicture(*this, tga);
        } catch (const Exception&) {
            CloseImgHandle();
            ok = false;
        }
        TgaGraphic = std::make_unique<TTgaGraphic>();
        return ok;
    }
    if (!UseImagingLibrary && FileExt == ".PNG") {
        bool ok = false;
        try {
            TPngGraphic& png = Codec(PngGraphic);
            const auto rgb = static_cast<uint32_t>(ColorToRGB(BackgroundColor));
            png.BackgroundColor = rgb & 0xFFFFFF;
            png.UseBackground = true;
            png.ReadFileInfo(FileName, false);
            ImageWidth = png.InfoWidth;
            ImageHeight = png.InfoHeight;
            ImageBitCount = HeaderBitCount(png.InfoBitCount);
            if (png.InfoHeader().biBitCount == 24 && png.GetWidth() > 128 && png.GetHeight() > 128) {
                display.Assign(&png);
                ok = !display.GetEmpty();
            } else {
                ok = ShowCodecPicture(*this, png);
            }
        } catch (const Exception&) {
            CloseImgHandle();
            PngGraphic = std::make_unique<TPngGraphic>();
            return false;
        }
        PngGraphic = std::make_unique<TPngGraphic>();
        return ok;
    }
    if (!UseImagingLibrary && FileExt == ".PCX") {
        bool ok = false;
        try {
            TPcxGraphic& pcx = Codec(PcxGraphic);
            pcx.LoadFromFile(FileName);
            if (pcx.InfoHeader().biBitCount > 8) {
                display.Assign(&pcx);
                ok = !display.GetEmpty();
            } else {
                CloseImgHandle();
                ImgHandle = ImgOpenSolo(FileName, 0);
                ok = ImgHandle != 0 && ImportImgToBitmap(true, false);
            }
        } catch (const Exception&) {
            ok = false;
        }
        PcxGraphic = std::make_unique<TPcxGraphic>();
        return ok;
    }
    if (!UseImagingLibrary && (FileExt == ".PSD" || FileExt == ".GIF")) {
        std::unique_ptr<TGraphicX> reader;
        if (FileExt == ".GIF")
            reader = std::make_unique<TGIFGraphic>();
        else
            reader = std::make_unique<TPSDGraphic>();
        try {
            reader->LoadFromFile(FileName);
            display.Assign(reader.get());
        } catch (const Exception&) {
            display.SetSize(0, 0);
            return false;
        }
        return !display.GetEmpty();
    }
    if (!UseImagingLibrary && FileExt == ".TIF" && !ImgLibDecode) {
        bool ok = false;
        try {
            TTiffGraphic& tiff = Codec(TiffGraphic);
            tiff.ReadFileInfo(FileName, 1);
            ImageWidth = tiff.InfoWidth;
            ImageHeight = tiff.InfoHeight;
            ImageBitCount = HeaderBitCount(tiff.InfoBitCount);
            ok = ShowCodecPicture(*this, tiff);
        } catch (const Exception&) {
            CloseImgHandle();
            ok = false;
        }
        TiffGraphic = std::make_unique<TTiffGraphic>();
        return ok;
    }
    if (!UseImagingLibrary && !ImgLibDecode)
        return false;

    // The imaging library: the page of the open picture, or of the file.
    const bool fpx = FileExt == ".FPX";
    if (ImgHandle == 0) {
        ImgHandle = ImgOpenSolo(FileName, 0);
        if (ImgHandle == 0)
            return false;
        ImgPageCount(ImgHandle, &PageCount);
        if (fpx && Page == 0 && PageCount > 2)
            Page = PageCount - 2;
    } else if (fpx && Page == 0) {
        Page = 1;
    }
    ImgSetPage(ImgHandle, Page);
    ImgGetPage(ImgHandle, &PageIndex);
    ImagemanInfo(false);
    if (FaxQuality != 0 && ImageBitCount == 1) {
        // A bilevel page shown reduced with grey levels.
        const TFaxReduction fax = FaxReduction(ImageWidth, ImageHeight, FaxQuality);
        const int copy = fax.Width > 0 && fax.Height > 0
                             ? ImgCopy(ImgHandle, fax.Width, fax.Height, &fax.Source, IMG_COPY_GRAY)
                             : 0;
        if (copy == 0) {
            ShowImgError();
        } else {
            PrevImageWidth = ImageWidth;
            PrevImageHeight = ImageHeight;
            FaxReduced = true;
            ImageBitCount = 8;
            ImageWidth = fax.Width;
            ImageHeight = fax.Height;
            const int page = ImgHandle;
            ImgHandle = copy;
            const bool ok = ImportImgToBitmap(false, true);
            ImgHandle = page;
            ImgClose(copy);
            return ok;
        }
    }
    ImportImgToBitmap(false, true);
    return ImageBitCount != 0 && !display.GetEmpty();
}

// ---- The imaging library's picture

bool TWebForm::ImportImgToBitmap(bool ReadInfo, bool KeepHandle) {
    if (ReadInfo)
        ImagemanInfo(false);
    if (ImageBitCount != 1 && ImageBitCount != 4 && ImageBitCount != 8)
        ImageBitCount = 24;
    TBitmap& display = DisplayBitmap();
    try {
        display.SetSize(0, 0);
        display.SetPixelFormat(DepthPixelFormat(ImageBitCount));
        display.SetSize(ImageWidth, ImageHeight);
    } catch (const Exception&) {
        display.SetSize(0, 0);
    }
    if (display.GetWidth() != ImageWidth || display.GetHeight() != ImageHeight || display.GetEmpty()) {
        if (!KeepHandle)
            CloseImgHandle();
        return false;
    }
    if (ImageBitCount < 15)
        if (HPALETTE palette = ImgGetPalette(ImgHandle))
            display.SetPalette(palette);
    ImgRect = Rect(0, 0, ImageWidth - 1, ImageHeight - 1);
    if (ImgPrintImage(ImgHandle, display.Canvas(), ImgRect, 0) != 1)
        ShowImgError();
    if (!KeepHandle)
        CloseImgHandle();
    return true;
}

bool TWebForm::ImagemanInfo(bool OpenFromFile) {
    if (OpenFromFile) {
        CloseImgHandle();
        ImgHandle = ImgOpenSolo(FileName, 0);
        Application.ProcessMessages();
        if (ImgHandle != 0)
            ImgPageCount(ImgHandle, &PageCount);
    }
    if (ImgHandle == 0)
        return false;
    ReadLibraryInfo(ImgHandle);
    ImageBitCount = HeaderBitCount(ImageBitCount);
    if (OpenFromFile)
        CloseImgHandle();
    return true;
}

void TWebForm::CloseImgHandle() {
    if (ImgHandle != 0)
        ImgClose(ImgHandle);
    ImgHandle = 0;
}

void TWebForm::ShowImgError() {
    ImgErrBox(this);
    Screen.SetCursor(crDefault);
}

void TWebForm::ImageErr() {
    ImageLoaded = false;
    ImageBitCount = OriginalBitCount;
    FileName = PreviousFileName;
    Screen.SetCursor(crDefault);
}

// ---- Caption and bitmap formats

void TWebForm::UpdateCaption() {
    if (MediaMode) {
        OpenDialog->SetInitialDir(ExtractFilePath(MediaFileName));
        FileName = MediaFileName;
    }
    setWindowTitle(QString::fromStdString(ExtractFileName(FileName) + " - " + AppVersionName));
    ShowSizeText();
}

static void SetDisplayDepth(TWebForm& form, int bits, bool updateCaption) {
    TBitmap& display = form.DisplayBitmap();
    const TPixelFormat format = DepthPixelFormat(bits);
    if (display.PixelFormat() != format)
        display.SetPixelFormat(format);
    ImageBitCount = bits;
    if (updateCaption)
        form.UpdateCaption();
}

void TWebForm::SetBitmap24() { SetDisplayDepth(*this, 24, !SlideshowRunning && !batch_8900::BatchRunning); }
void TWebForm::SetBitmap8() { SetDisplayDepth(*this, 8, !SlideshowRunning); }
void TWebForm::SetBitmap4() { SetDisplayDepth(*this, 4, !SlideshowRunning); }

// ---- Pages

void TWebForm::mnuPageChange(QObject* Sender) {
    const bool fromButton = Sender != nullptr && Sender == static_cast<QObject*>(btnPageNext);
    int move = 1;
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        move = item->Tag;
    if (History && History->hasFocus() && !fromButton) {
        // In the path box the first and last page commands select its text.
        const int key = move == 999 ? Qt::Key_End : move == 0 ? Qt::Key_Home : 0;
        if (key != 0) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
            QCoreApplication::sendEvent(History, &press);
        }
        return;
    }
    PageChange(move);
}

void TWebForm::PageChange(int Move) {
    if (!(mnuPage ? mnuPage->isVisible() : PageMenusShown))
        return;
    if (ImageChanged && CloseNow(this) == mrNo)
        return;
    EnsureStretch();
    Screen.SetCursor(crHourGlass);
    if (ImgHandle != 0) {
        ImgPageCount(ImgHandle, &PageCount);
        ImgGetPage(ImgHandle, &PageIndex);
    }
    PageIndex = PageStep(PageIndex, PageCount, Move);
    Daz95->SetPaintLock(true);
    LoadPicture(true, PageIndex);
    Daz95->SetPaintLock(false);
    if (!FitWindow)
        ApplyZoom();
    else
        ChangeView();
    StatusText("Page " + IntToStr(PageIndex + 1) + " of " + IntToStr(PageCount));
    ShowSizeText();
    Screen.SetCursor(crDefault);
    StatusBar->repaint();
    Daz95->update();
}

// ---- Scaled JPEG decoding

int TWebForm::ComputeJPEGScale() {
    int areaWidth = ScrollBox->viewport()->width();
    int areaHeight = ScrollBox->viewport()->height();
    if (SlideshowRunning) {
        areaWidth = centralWidget()->width() + centralWidget()->width() / 4;
        areaHeight = centralWidget()->height() + centralWidget()->height() / 4;
    }
    const int threshold = JPEGScaleOn ? ViewerControls.Int(vc::JpegScale) : 67;
    JPEGScaleDivisor = ComputeJPEGScaleDivisor(ImageWidth, ImageHeight, areaWidth, areaHeight, threshold);
    return JPEGScaleDivisor;
}

int TWebForm::GetJPEGScale() {
    int divisor = ComputeJPEGScale();
    if (!mnuScaleJPEG->isChecked())
        divisor = 1;
    JPEGScaleDivisor = divisor;
    return divisor;
}

namespace {

// The display bitmap in its final format and size, allocated once.
void PrepareJpegTarget(TBitmap& bitmap, bool reuse) {
    const TPixelFormat format = ImageBitCount == 8 ? pf8bit : pf24bit;
    if (reuse && bitmap.PixelFormat() == format && bitmap.GetWidth() == ImageWidth &&
        bitmap.GetHeight() == ImageHeight)
        return;
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(ImageWidth, ImageHeight);
}

// Loads FileName into the shared decoder; a failure is retried once at full
// size with the decoder's retry mode (the retry's own failure passes on).
void LoadJpegWithRetry(int scaleCode) {
    EnsureJpegImage();
    try {
        if (JPEGImage->Scale() != scaleCode)
            JPEGImage->SetScale(static_cast<TJPEGScale>(scaleCode));
        JPEGImage->LoadFromFile(FileName);
        ImageWidth = JPEGImage->ScaledWidth();
        ImageHeight = JPEGImage->ScaledHeight();
        return;
    } catch (const Exception&) {
        JPEGRetry = true;
    }
    const int code = JPEGImage->LastJpegError();
    if (code == jpegcode::NotJpeg || code == jpegcode::PreviewFailed)
        JPEGImage = std::make_unique<TJPEGImage>();
    JPEGImage->SetRetryRead(true);
    JPEGReduced = false;
    JPEGImage->SetScale(jsFullSize);
    JPEGImage->LoadFromFile(FileName);
    ImageWidth = JPEGImage->Width();
    ImageHeight = JPEGImage->Height();
    ImageBitCount = JPEGImage->BitCount();
}

}  // namespace

// Decodes the loaded JPEG into the display bitmap. With progress the bar on
// the status bar grows and the load time is shown; a decode that fails part
// way leaves the rows decoded so far.
static void DecodeJpegIntoDisplay(TWebForm& form, bool progress) {
    TBitmap& display = form.DisplayBitmap();
    if (progress) {
        Application.ProcessMessages();
        form.ProgressReset();
        form.ProgressUpdate(5);
        JPEGImage->OnProgress = [&form](int percent) { form.ProgressUpdate(percent); };
    }
    try {
        JPEGImage->DecodeInto(display);
    } catch (const Exception&) {
    }
    JPEGImage->OnProgress = nullptr;
    if (progress) {
        JPEGImage->SetRetryRead(false);
        form.ShowLoadTime();
        Application.ProcessMessages();
    }
}

void TWebForm::LoadJPEGScaled() {
    JPEGRetry = false;
    JPEGReduced = true;
    const int divisor = GetJPEGScale();
    if (divisor == 1)
        JPEGReduced = false;
    LoadJpegWithRetry(JPEGScaleCode(divisor));
    JPEGScaleDivisor = JPEGReduced ? AppliedJPEGDivisor(JPEGImage->Scale()) : 1;
    PrepareJpegTarget(DisplayBitmap(), false);
    JPEGImage->SetPixelFormat(ImageBitCount == 8 ? jf8Bit : jf24Bit);
    JPEGImage->SetPerformance(jpBestSpeed);
    DecodeJpegIntoDisplay(*this, !SlideshowRunning);
    ImageWidth = DisplayBitmap().GetWidth();
    ImageHeight = DisplayBitmap().GetHeight();
}

void TWebForm::LoadJPEGFull() {
    JPEGRetry = false;
    JPEGReduced = false;
    JPEGScaleDivisor = 1;
    EnsureJpegImage();
    JPEGImage->SetPixelFormat(ImageBitCount == 8 ? jf8Bit : jf24Bit);
    JPEGImage->SetPerformance(jpBestSpeed);
    LoadJpegWithRetry(jsFullSize);
    JPEGImage->SetPixelFormat(ImageBitCount == 8 ? jf8Bit : jf24Bit);
    PrepareJpegTarget(DisplayBitmap(), true);
    DecodeJpegIntoDisplay(*this, true);
}

void TWebForm::ShowLoadTime() {
    if (batch_8900::BatchRunning)
        return;
    StatusText(LoadTimeText(GetTickCount() - TickStart));
}

void TWebForm::ProgressReset() {
    LastProgress = 0;
    ProgressWidth = 0;
    StatusBar->update();
}

void TWebForm::ProgressUpdate(int Percent) {
    if (Percent < 2 || Percent % 5 != 0 || Percent == LastProgress)
        return;
    ProgressWidth = ProgressBarWidth(ProgressRect, Percent);
    LastProgress = Percent;
    StatusBar->repaint();
}

}  // namespace lumvor
