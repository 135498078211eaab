#include "ui/OpenDialogPlus.h"

#include "platform/Streams.h"

#include "imaging/vo_GraphicX.h"
#include "imaging/vo_PCD.h"
#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "platform/PackedDib.h"
#include "platform/SysUtils.h"
#include "platform/pcd/PcdLib.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>

namespace lumvor {

namespace {

// Matches no file, so that the first selection always counts as new.
const char* const NoFileYet = "\x01";

const char* const SClickForPreview = "Click for preview.";

bool ExtensionListed(const std::string& upperExt) {
    if (upperExt.size() < 2)
        return false;
    // Whole entries only: ".JP" alone is no entry.
    const std::string list = std::string(OpenDialogPlus::PictureExtensions) + ".";
    return list.find(upperExt + ".") != std::string::npos;
}

bool IsJpegExtension(const std::string& upperExt) { return upperExt.find(".JP") != std::string::npos; }

// The bitmap file's header: 14 bytes, then the information header (a 12-byte
// core header of OS/2 files, or 40 bytes and more).
bool ReadBmpHeader(const std::string& name, int& width, int& height, int& bits) {
    std::ifstream in(name, std::ios::binary);
    uint8_t b[54] = {};
    if (!in.read(reinterpret_cast<char*>(b), 26))
        return false;
    auto u16 = [&](int at) { return int(b[at] | b[at + 1] << 8); };
    auto i32 = [&](int at) { return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                            uint32_t(b[at + 3]) << 24); };
    if (b[0] != 'B' || b[1] != 'M')
        return false;
    const int32_t headerSize = i32(14);
    int planes = 0;
    if (headerSize == 12) {
        width = u16(18);
        height = u16(20);
        planes = u16(22);
        bits = u16(24);
    } else {
        if (headerSize < 40 || !in.read(reinterpret_cast<char*>(b + 26), 28))
            return false;
        width = i32(18);
        // A negative height marks rows stored top down; the most negative
        // value has no positive twin and is no picture.
        if (i32(22) == INT32_MIN)
            return false;
        height = std::abs(i32(22));
        planes = u16(26);
        bits = u16(28);
    }
    const int64_t bitCount = planes > 1 ? int64_t(bits) * planes : bits;
    if (bitCount > 32)
        return false;
    bits = int(bitCount);
    return width > 0 && height > 0 && bits > 0;
}

// The GIF or Photoshop reader for an upper-case extension.
std::unique_ptr<TGraphicX> NewGraphicX(const std::string& upperExt, bool headerOnly) {
    if (upperExt == ".GIF") {
        auto gif = std::make_unique<TGIFGraphic>();
        gif->HeaderOnly = headerOnly;
        return gif;
    }
    auto psd = std::make_unique<TPSDGraphic>();
    psd->HeaderOnly = headerOnly;
    return psd;
}

TPixelFormat BitmapFormatForBits(int bits) {
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    default: return pf24bit;
    }
}

}  // namespace

std::string PictureFilter() {
    static const char* const kinds[][2] = {
        {"JPEG Image File", "*.jpg;*.jpeg"}, {"Portable Network Graphics", "*.png"},
        {"Bitmaps", "*.bmp;*.dib"},          {"TIFF Image File", "*.tif;*.tiff"},
        {"PCX Image File", "*.pcx"},         {"Multi-page PCX", "*.dcx"},
        {"Targa Image File", "*.tga"},       {"GIF Image File", "*.gif"},
        {"Photoshop Image File", "*.psd"},   {"Photo CD Image", "*.pcd"},
        {"FlashPix Image File", "*.fpx"}};
    std::string all;
    std::string each;
    for (const auto& kind : kinds) {
        all += (all.empty() ? "" : ";") + std::string(kind[1]);
        each += "|" + std::string(kind[0]) + " (" + kind[1] + ")|" + kind[1];
    }
    return "All (" + all + ")|" + all + each;
}

// ---- TPreviewPaintBox

TPreviewPaintBox::TPreviewPaintBox(TOpenDialogPlus& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setObjectName("PaintBox");
}

void TPreviewPaintBox::paintEvent(QPaintEvent*) {
    Guarded([&] { owner_.PaintPreview(*this); });
}

void TPreviewPaintBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Guarded([&] { owner_.Preview(); });
}

// ---- TOpenDialogPlus

TOpenDialogPlus::TOpenDialogPlus(QObject* owner)
    : TMeOpenDialog(owner),
      PicturePanel(std::make_unique<QFrame>()),
      NavPanel(NewExtraPanel("NavPanel")),
      buttons_(*this, NavPanel.get(), &ExecuteRecent) {
    Filter = PictureFilter();
    PicturePanel->setObjectName("PicturePanel");
    PicturePanel->setFrameShape(QFrame::NoFrame);
    PicturePanel->setFixedWidth(200);
    auto* column = new QVBoxLayout(PicturePanel.get());
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto* top = new QHBoxLayout;
    PreviewButton = new QToolButton(PicturePanel.get());
    PreviewButton->setObjectName("PreviewButton");
    PreviewButton->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView));
    PreviewButton->setToolTip("Automatic preview");
    PreviewButton->setCheckable(true);
    PreviewButton->setChecked(true);
    PreviewButton->setAutoRaise(true);
    PreviewButton->setEnabled(false);
    PictureLabel = new QLabel(PicturePanel.get());
    PictureLabel->setObjectName("PictureLabel");
    PictureLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    top->addWidget(PreviewButton);
    top->addWidget(PictureLabel, 1);
    column->addLayout(top);

    PaintPanel = new QFrame(PicturePanel.get());
    PaintPanel->setObjectName("PaintPanel");
    PaintPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* paintLayout = new QVBoxLayout(PaintPanel);
    paintLayout->setContentsMargins(1, 1, 1, 1);
    PaintBox = new TPreviewPaintBox(*this, PaintPanel);
    paintLayout->addWidget(PaintBox);
    column->addWidget(PaintPanel, 1);

    NavPanel->setFixedHeight(60);

    // Turning automatic preview on previews the selection at once.
    ConnectGuarded(PreviewButton, &QToolButton::clicked, this, [this](bool down) {
        if (down)
            Preview();
    });
}

TOpenDialogPlus::~TOpenDialogPlus() = default;

bool TOpenDialogPlus::Execute() {
    ExecuteRecent = false;
    TemplateName = ShowRecent98 ? "PLS_DLGTEMPLATE" : "XP2_DLGTEMPLATE";
    // The handle of the last run belongs to the caller now.
    imageManHandle_ = 0;
    return TMeOpenDialog::Execute();
}

int TOpenDialogPlus::ImageBitsPixel() const {
    if (ext_ == ".PCD" || reducedMono_)
        return -1;
    return bitsPixel_;
}

bool TOpenDialogPlus::ImageClear() {
    previewBitmap_.SetSize(0, 0);
    previewName_.clear();
    return true;
}

void TOpenDialogPlus::CustomizeDialog(THookedFileDialog& dialog) {
    AddPanelRight(dialog, *PicturePanel);
    AddPanelBelow(dialog, *NavPanel);
}

void TOpenDialogPlus::ReleaseDialog(THookedFileDialog&) {
    TakePanelBack(*PicturePanel);
    TakePanelBack(*NavPanel);
}

void TOpenDialogPlus::DialogResized() {
    if (Handle())
        buttons_.Place(*Handle(), *NavPanel);
}

void TOpenDialogPlus::DoShow() {
    if (Handle())
        buttons_.Place(*Handle(), *NavPanel);
    // The size of the last run's preview goes with its picture.
    EmptyPreview("");
    PictureLabel->clear();
    OpenDialogPlus::BoxWidth = PaintBox->width();
    OpenDialogPlus::BoxHeight = PaintBox->height();
    lastPreviewed_ = NoFileYet;
    TMeOpenDialog::DoShow();
}

void TOpenDialogPlus::DoClose() {
    TMeOpenDialog::DoClose();
    HideHintWindow();
}

void TOpenDialogPlus::DoFolderChange() {
    PaintBox->update();
    TMeOpenDialog::DoFolderChange();
    if (Handle())
        ClearShortcutName(*Handle(), FileName());
}

void TOpenDialogPlus::EmptyPreview(const std::string& text) {
    previewBitmap_.SetSize(0, 0);
    previewText_ = text;
    PaintBox->update();
}

void TOpenDialogPlus::ReplaceLibraryHandle(int handle) {
    // Only the picture of the last preview is handed to the caller.
    if (imageManHandle_ != 0 && imageManHandle_ != handle)
        ImgClose(imageManHandle_);
    imageManHandle_ = handle;
}

void TOpenDialogPlus::DoSelectionChange() {
    if (busy_)
        return;
    // Names are taken as they are: a four-letter extension such as ".jpeg"
    // or ".tiff" names the file itself.
    selected_ = currentPath_;
    if (selected_ == lastPreviewed_)
        return;
    ext_ = UpperCase(ExtractFileExt(selected_));
    const QFileInfo info(QString::fromStdString(selected_));
    if (selected_.empty() || !info.exists()) {
        EmptyPreview("");
        PictureLabel->clear();
        imageFilename_ = "-";
        previewName_.clear();
        selected_.clear();
        SetFileName("");
        PreviewButton->setEnabled(false);
    } else {
        PreviewButton->setEnabled(true);
        bool good = false;
        Guarded([&] { good = ReadHeader(); });
        if (!good) {
            PreviewButton->setEnabled(false);
            ShowUnreadable();
        } else {
            const int width = OpenDialogPlus::ImageWidth;
            const int height = OpenDialogPlus::ImageHeight;
            if (ext_ == ".PCD") {
                PictureLabel->setText(width > height ? "768x512 base" : "512x768 base");
            } else {
                if (bitsPixel_ > 8)
                    bitsPixel_ = 24;
                PictureLabel->setText(QString("%1x%2 (%3bpp)").arg(width).arg(height).arg(bitsPixel_));
            }
            if (!PreviewButton->isChecked()) {
                EmptyPreview(SClickForPreview);
            } else if (bitsPixel_ > 8 && (width > 2048 || height >= 3073)) {
                EmptyPreview(SClickForPreview);
            } else {
                Preview();
            }
            if (imageFilename_ != "-")
                imageFilename_ = selected_;
        }
    }
    TMeOpenDialog::DoSelectionChange();
}

void TOpenDialogPlus::ShowUnreadable() {
    ShowFileIcon(ExtensionListed(ext_));
    PictureLabel->clear();
    imageFilename_ = "-";
    previewName_.clear();
    SetFileName("");
}

bool TOpenDialogPlus::ReadHeaderByLibrary(const std::string& name) {
    const int handle = ImgOpenSolo(name, 0);
    if (handle == 0)
        return false;
    IMGINFO info;
    const bool good = ImgGetInfoStruct(handle, &info) != 0;
    ImgClose(handle);
    if (!good)
        return false;
    const int64_t bits = info.Header.biPlanes > 1 ? int64_t(info.Header.biBitCount) * info.Header.biPlanes
                                                  : info.Header.biBitCount;
    if (bits > 32 || info.Header.biHeight == INT32_MIN)
        return false;
    OpenDialogPlus::ImageWidth = info.Header.biWidth;
    OpenDialogPlus::ImageHeight = std::abs(info.Header.biHeight);
    bitsPixel_ = int16_t(bits > 15 ? 24 : bits);
    return true;
}

bool TOpenDialogPlus::ReadHeader() {
    tiffByLibrary_ = false;
    if (!ExtensionListed(ext_) || (ext_ == ".FPX" && !AllowFlashpix))
        return false;
    // Named pipes, devices and sockets are never read: a read could wait for ever.
    if (!SpecialFileProblem(selected_).empty())
        return false;
    int& width = OpenDialogPlus::ImageWidth;
    int& height = OpenDialogPlus::ImageHeight;
    try {
        if (ext_ == ".PCD") {
            // Photo CD packs are named img0001.pcd and so on.
            if (LowerCase(ExtractFileName(selected_)).find("img") == std::string::npos)
                return false;
            TPhotoCDSize size;
            ReadPhotoCDSize(selected_, pcdBase, size);
            if (size.Resolution == PhotoCDOpenFailed || size.Width <= 0 || size.Height <= 0)
                return false;
            width = size.Width;
            height = size.Height;
            bitsPixel_ = 24;
            return true;
        }
        if (IsJpegExtension(ext_)) {
            jpeg_.LoadFromFile(selected_);
            width = jpeg_.Width();
            height = jpeg_.Height();
            bitsPixel_ = int16_t(jpeg_.BitCount());
            return width > 0 && height > 0;
        }
        if (ext_ == ".BMP" || ext_ == ".DIB") {
            int bits = 0;
            if (!ReadBmpHeader(selected_, width, height, bits))
                return false;
            bitsPixel_ = int16_t(bits);
            return true;
        }
        auto takeCodecInfo = [&](const TCodecGraphic& codec) {
            width = codec.InfoWidth;
            height = codec.InfoHeight;
            bitsPixel_ = int16_t(codec.InfoBitCount > 15 ? 24 : codec.InfoBitCount);
            return width > 0 && height > 0 && bitsPixel_ > 0;
        };
        if (ext_ == ".PNG") {
            png_.ReadFileInfo(selected_, true);
            return takeCodecInfo(png_);
        }
        if (ext_ == ".PCX") {
            pcx_.ReadFileInfo(selected_);
            return takeCodecInfo(pcx_);
        }
        if (ext_ == ".TGA") {
            tga_.ReadFileInfo(selected_);
            return takeCodecInfo(tga_);
        }
        if (ext_ == ".PSD" || ext_ == ".GIF") {
            std::unique_ptr<TGraphicX> reader = NewGraphicX(ext_, true);
            if (!reader->IsValidFile(selected_))
                return false;
            reader->LoadFromFile(selected_);
            width = reader->Info.Width;
            height = reader->Info.Height;
            int bits = reader->Info.BitsPerPixel;
            if (bits > 15)
                bits = 24;
            if (ext_ == ".GIF") {
                if (bits > 4)
                    bits = 8;
                else if (bits == 2 || bits == 3)
                    bits = 4;
            }
            bitsPixel_ = int16_t(bits);
            return width > 0 && height > 0 && bits > 0;
        }
        if (ext_ == ".TIF" || ext_ == ".TIFF") {
            try {
                tiff_.ReadFileInfo(selected_, -1);
            } catch (const std::exception&) {
                // Pages our reader refuses (LZW among them) are read by the library.
                tiffByLibrary_ = true;
                return ReadHeaderByLibrary(selected_);
            }
            width = tiff_.InfoWidth;
            height = tiff_.InfoHeight;
            int bits = tiff_.InfoBitCount > 15 ? 24 : tiff_.InfoBitCount;
            bitsPixel_ = int16_t(bits);
            if (tiff_.InfoCompressionTag == 8 || tiff_.InfoCompressionTag == 32946)
                return width > 0 && height > 0;
            if (width == 0 || height == 0 || bits == 0) {
                tiffByLibrary_ = true;
                return ReadHeaderByLibrary(selected_);
            }
            if (bits == 1) {
                tiffByLibrary_ = true;
                return true;
            }
            if (bits == 2)
                return ReadHeaderByLibrary(selected_);
            return true;
        }
        // DCX and FlashPix.
        return ReadHeaderByLibrary(selected_);
    } catch (const std::exception&) {
        return false;
    }
}

int TOpenDialogPlus::LoadPreviewPicture() {
    const std::string& name = selected_;
    if (ext_ == ".FPX" && !AllowFlashpix)
        return 0;
    auto fromDib = [&](TDibGraphic& codec) {
        codec.LoadFromFile(name);
        return ImgFromDIB(codec.ExportDIB());
    };
    TMemoryStream localStream;
    TMemoryStream& stream = conversionStream_ ? *conversionStream_ : localStream;
    if (ext_ == ".PCD") {
        HPCD pcd = 0;
        if (PCDopen(name.c_str(), pcd) != pcdOK || pcd == 0)
            return 0;
        TPackedDib dib;
        PCDsetResolution(pcd, pcdBase16);
        PCDsetFormat(pcd, pcdFormatDibWithTable);
        const PCDstatus status = PCDloadImage(pcd, 0, dib);
        PCDclose(pcd);
        const int handle = status == pcdOK ? ImgFromDIB(dib) : 0;
        PCDfreeBitmap(dib);
        bitsPixel_ = 24;
        return handle;
    }
    if (ext_ == ".BMP" || ext_ == ".DIB")
        return fromDib(bmp_);
    if (ext_ == ".PCX")
        return fromDib(pcx_);
    if (ext_ == ".TGA")
        return fromDib(tga_);
    if (ext_ == ".PNG") {
        png_.LoadFromFile(name);
        if (png_.ImageFormat() == ifTrueColor)
            return ImgFromDIB(png_.ExportDIB());
        // Other depths go to the library as a TIFF file image with their palette.
        tiff_.Assign(&png_);
        stream.Clear();
        tiff_.SaveToStream(stream);
        return ImgOpenMem(stream.Memory(), stream.Size(), "TIF");
    }
    if (ext_ == ".PSD" || ext_ == ".GIF") {
        std::unique_ptr<TGraphicX> reader = NewGraphicX(ext_, false);
        reader->LoadFromFile(name);
        int bits = reader->Info.BitsPerPixel;
        if (ext_ == ".PSD")
            bits = bits == 16 ? 8 : std::min(bits, 24);
        reader->SetPixelFormat(bits < 15 ? pf8bit : pf24bit);
        stream.Clear();
        WriteBmpFile(stream, *reader->CanvasPixels());
        bitsPixel_ = int16_t(reader->PixelFormat() == pf8bit ? 8 : 24);
        return ImgOpenMem(stream.Memory(), stream.Size(), "BMP");
    }
    if ((ext_ == ".TIF" || ext_ == ".TIFF") && !tiffByLibrary_) {
        try {
            return fromDib(tiff_);
        } catch (const std::exception&) {
            // Pages our reader refuses (LZW among them) are read by the library.
        }
    }
    // DCX, FlashPix and the TIFF files the library reads.
    const int handle = ImgOpenSolo(name, 0);
    if (handle != 0 && ext_ == ".FPX") {
        int32_t pages = 0;
        ImgPageCount(handle, &pages);
        ImgSetPage(handle, pages < 4 ? 1 : 2);
        IMGINFO info;
        if (ImgGetInfoStruct(handle, &info)) {
            OpenDialogPlus::ImageWidth = info.Header.biWidth;
            OpenDialogPlus::ImageHeight = std::abs(info.Header.biHeight);
            bitsPixel_ = int16_t(info.Header.biBitCount);
        }
    }
    return handle;
}

void TOpenDialogPlus::DrawPreviewFrom(int handle) {
    IMGINFO info;
    if (!ImgGetInfoStruct(handle, &info))
        throw EInvalidGraphic("Invalid image handle.");
    int width = info.Header.biWidth;
    int height = std::abs(info.Header.biHeight);
    int source = handle;
    int reduced = 0;
    if (info.Header.biBitCount == 1) {
        // Black-and-white pages are reduced to grey first, so their strokes survive.
        int w = std::max(8, (width - 1) / 8 * 8);
        int h = std::max(8, (height - 1) / 8 * 8);
        while (w > 2 * OpenDialogPlus::BoxWidth && h > 2 * OpenDialogPlus::BoxHeight && w >= 32 && h >= 32) {
            w /= 4;
            h /= 4;
        }
        reduced = ImgCopy(handle, w, h, nullptr, IMG_COPY_GRAY);
        if (reduced == 0)
            throw EInvalidGraphic(imgman::LastErrorText());
        source = reduced;
        width = w;
        height = h;
        bitsPixel_ = 8;
        reducedMono_ = true;
    }
    const int boxWidth = std::max(1, OpenDialogPlus::BoxWidth - 2);
    const int boxHeight = std::max(1, OpenDialogPlus::BoxHeight - 2);
    int64_t w = 0, h = 0;
    if (height >= width) {
        w = int64_t(width) * boxHeight / height;
        h = boxHeight;
    } else {
        h = int64_t(height) * boxWidth / width;
        w = boxWidth;
    }
    if (w > boxWidth) {
        h = h * boxWidth / w;
        w = boxWidth;
    }
    if (h > boxHeight) {
        w = w * boxHeight / h;
        h = boxHeight;
    }
    w = std::max<int64_t>(1, w);
    h = std::max<int64_t>(1, h);
    const int copy = ImgCopy(source, int(w), int(h), nullptr, IMG_COPY_NEAREST);
    if (reduced)
        ImgClose(reduced);
    if (copy == 0)
        throw EInvalidGraphic(imgman::LastErrorText());
    IMGINFO copyInfo;
    ImgGetInfoStruct(copy, &copyInfo);
    const int bits = copyInfo.Header.biBitCount;
    previewBitmap_.SetSize(0, 0);
    previewBitmap_.SetPixelFormat(BitmapFormatForBits(bits));
    if (bits <= 8)
        previewBitmap_.SetPalette(ImgGetPalette(copy));
    else
        bitsPixel_ = 24;
    previewBitmap_.SetSize(int(w), int(h));
    ImgPrintImage(copy, previewBitmap_.Canvas(), Rect(0, 0, int(w) - 1, int(h) - 1), 0);
    ImgClose(copy);
}

void TOpenDialogPlus::Preview() {
    if (busy_ || !PreviewButton->isEnabled())
        return;
    busy_ = true;
    Screen.SetCursor(crHourGlass);
    lastPreviewed_ = selected_;
    reducedMono_ = false;
    bool done = false;
    try {
        if (IsJpegExtension(ext_)) {
            jpeg_.LoadFromFile(selected_);
            int scale = jsFullSize;
            while (scale < jsEighth &&
                   ((jpeg_.Width() >> (scale + 1)) > OpenDialogPlus::BoxWidth ||
                    (jpeg_.Height() >> (scale + 1)) > OpenDialogPlus::BoxHeight))
                ++scale;
            jpeg_.SetScale(TJPEGScale(scale));
            jpeg_.DecodeInto(previewBitmap_);
            imageFilename_ = previewName_ = selected_;
            done = true;
        } else {
            const int handle = LoadPreviewPicture();
            if (handle != 0) {
                ReplaceLibraryHandle(handle);
                if (ext_ != ".DCX" && ext_ != ".FPX" && ext_ != ".PCD")
                    imageFilename_ = previewName_ = selected_;
                DrawPreviewFrom(handle);
                done = true;
            }
        }
    } catch (const std::exception&) {
        done = false;
    }
    if (!done)
        ShowUnreadable();
    PaintBox->update();
    busy_ = false;
    Screen.SetCursor(crDefault);
}

void TOpenDialogPlus::ShowFileIcon(bool pictureExtension) {
    QIcon icon = pictureExtension
                     ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)
                     : QFileIconProvider().icon(QFileInfo(QString::fromStdString(selected_)));
    QImage image(64, 64, QImage::Format_RGB888);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        icon.paint(&painter, QRect(16, 16, 32, 32));
    }
    previewBitmap_.SetSize(0, 0);
    previewBitmap_.SetPixelFormat(pf24bit);
    previewBitmap_.SetSize(64, 64);
    previewBitmap_.Canvas().DrawImage(Rect(0, 0, 64, 64), image, Rect(0, 0, 64, 64), false);
    OpenDialogPlus::ImageWidth = 64;
    OpenDialogPlus::ImageHeight = 64;
    previewText_.clear();
    PaintBox->update();
    busy_ = false;
    Screen.SetCursor(crDefault);
}

void TOpenDialogPlus::PaintPreview(QWidget& box) {
    QPainter painter(&box);
    const QRect area = box.rect();
    painter.fillRect(area, Qt::white);
    if (previewBitmap_.Empty()) {
        if (!previewText_.empty())
            painter.drawText(area, Qt::AlignCenter, QString::fromStdString(previewText_));
        return;
    }
    const QImage image = previewBitmap_.ToQImage();
    const int pw = image.width(), ph = image.height();
    const int bw = area.width(), bh = area.height();
    QRect target;
    if (pw <= bw && ph <= bh) {
        target = QRect((bw - pw) / 2, (bh - ph) / 2, pw, ph);
    } else if (pw <= ph) {
        const int w = int(int64_t(pw) * bh / ph);
        target = QRect(bw - w > 1 ? (bw - w) / 2 : 0, 0, w, bh);
    } else {
        const int h = int(int64_t(ph) * bw / pw);
        target = QRect(0, bh - h > 1 ? (bh - h) / 2 : 0, bw, h);
    }
    painter.drawImage(target, image);
}

}  // namespace lumvor
