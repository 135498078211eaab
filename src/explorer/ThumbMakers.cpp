#include "explorer/ThumbMakers.h"

#include "explorer/ThumbFiles.h"
#include "explorer/ThumbScale.h"
#include "imaging/Helpers.h"
#include "imaging/vo_BMP.h"
#include "imaging/vo_GraphicX.h"
#include "imaging/vo_PCD.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imaging/vo_TIF.h"
#include "imgman/imgman.h"
#include "platform/Jpeg.h"
#include "platform/PackedDib.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "platform/pcd/PcdLib.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace lumvor {

namespace {

constexpr uint32_t White = 0xFFFFFF;
// TIFF compressions the own codec reads whatever the page's depth.
constexpr int TiffDeflate = 32946;
constexpr int TiffAdobeDeflate = 8;
constexpr int TiffLzw = 5;
// Pictures larger than twice the cell both ways are reduced by the imaging
// library in quarters before the fitted copy.
constexpr int32_t PreReduceWidth = 2 * ThumbCellWidth;
constexpr int32_t PreReduceHeight = 2 * ThumbCellHeight;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// True when ext (upper-cased, with its dot) is one of the dot-separated list's entries.
bool ExtIn(const std::string& ext, std::string_view list) {
    if (ext.size() < 2) return false;
    for (size_t at = list.find(ext); at != std::string_view::npos; at = list.find(ext, at + 1)) {
        const size_t end = at + ext.size();
        if (end == list.size() || list[end] == '.') return true;
    }
    return false;
}

bool IsPhotoCDName(const std::string& path) {
    return LowerCase(ExtractFileName(path)).find("img") != std::string::npos;
}

// Beyond what the makers load: both sides over 32000, or more pixels than any
// picture the program builds.
bool SizeTooLarge(int64_t width, int64_t height) {
    return (width > ThumbMaxSide && height > ThumbMaxSide) || !PictureSizeAllowed(width, height);
}

// PNG depth: bits per sample times samples per pixel.
int32_t PngBits(const TPngGraphic& png) {
    int samples = 1;
    switch (png.InfoColorType) {
    case 2: samples = 3; break;  // RGB
    case 4: samples = 2; break;  // grey and alpha
    case 6: samples = 4; break;  // RGB and alpha
    default: break;
    }
    return png.InfoBitCount / (png.InfoColorType == 2 || png.InfoColorType == 6 ? 3 : 1) * samples;
}

// GIF depth as the makers count it: 2 and 3 bits count as 4, above 4 as 8.
int32_t GifBits(int32_t bits) {
    if (bits > 4) return 8;
    if (bits >= 2) return 4;
    return bits;
}

int32_t ReportedBits(int32_t bits) { return bits > 15 ? 24 : bits; }

// ---- Header reads per format

void SetSize(TThumbMaker& m, int32_t width, int32_t height, int32_t bits) {
    m.ThumbSrcWidth = width;
    m.ThumbSrcHeight = height;
    m.ThumbSrcBits = bits;
}

int ReadBmpHeader(TThumbMaker& m) {
    TPictureSize size;
    if (GetBmpDimensions(m.ItemFile, size)) return -1;
    SetSize(m, size.Width, size.Height, size.Bits);
    const int64_t width = std::abs(int64_t(size.Width)), height = std::abs(int64_t(size.Height));
    m.BigBitmap = width * height * 3 > BigBitmapBytes;
    if (SizeTooLarge(width, height)) {
        m.TooLarge = true;
        return 1;
    }
    const bool unusual = size.Width < 0 || size.Height < 0 || size.Bits % 4 != 0 || width > 65535 || height > 65535;
    if (m.BigBitmap) return 1;
    if (unusual) {
        m.Bmp->LoadFromFile(m.ItemFile);
        SetSize(m, m.Bmp->GetWidth(), m.Bmp->GetHeight(), m.Bmp->Pixels()->BitsPerPixel());
    } else if (width < ThumbMaxSide && height < ThumbMaxSide) {
        m.Bmp->LoadFromFile(m.ItemFile);
    }
    return 1;
}

int ReadPngHeader(TThumbMaker& m) {
    TPngGraphic& png = *m.Png;
    png.ReadFileInfo(m.ItemFile, true);
    SetSize(m, png.InfoWidth, png.InfoHeight, PngBits(png));
    if (SizeTooLarge(png.InfoWidth, png.InfoHeight)) {
        m.TooLarge = true;
        return 1;
    }
    png.UseBackground = true;
    png.BackgroundColor = White;
    png.ReadFileInfo(m.ItemFile, false);
    return 1;
}

template <class Codec>
int ReadCodecHeader(TThumbMaker& m, Codec& codec) {
    codec.ReadFileInfo(m.ItemFile);
    SetSize(m, codec.InfoWidth, codec.InfoHeight, codec.InfoBitCount);
    if (SizeTooLarge(codec.InfoWidth, codec.InfoHeight)) {
        m.TooLarge = true;
        return 1;
    }
    codec.LoadFromFile(m.ItemFile);
    return 1;
}

// GIF and Photoshop files: the signature, the header, then the whole picture
// into PictureBitmap.
template <class Reader>
int ReadGraphicXHeader(TThumbMaker& m, bool gif) {
    Reader reader;
    if (!reader.IsValidFile(m.ItemFile)) return -1;
    reader.HeaderOnly = true;
    reader.LoadFromFile(m.ItemFile);
    const TImageInfo info = reader.Info;
    const int32_t bits = gif ? GifBits(info.BitsPerPixel) : info.BitsPerPixel;
    SetSize(m, info.Width, info.Height, bits);
    if (info.Width <= 0 || info.Height <= 0) return -1;
    if (SizeTooLarge(info.Width, info.Height)) {
        m.TooLarge = true;
        return 1;
    }
    Reader full;
    full.LoadFromFile(m.ItemFile);
    m.PictureBitmap.Assign(&full);
    if (gif) SetSize(m, m.PictureBitmap.GetWidth(), m.PictureBitmap.GetHeight(), bits);
    return 1;
}

int ReadImgLibHeader(TThumbMaker& m) {
    m.UseImgLib = true;
    m.CloseImgHandle();
    m.ImgHandle = ImgOpenSolo(m.ItemFile, 0);
    if (m.ImgHandle == 0) return -1;
    ImgPageCount(m.ImgHandle, &m.PageCount);
    IMGINFO info;
    if (!ImgGetInfoStruct(m.ImgHandle, &info)) return -1;
    SetSize(m, info.Header.biWidth, info.Header.biHeight, info.Header.biBitCount);
    m.TooLarge = SizeTooLarge(info.Header.biWidth, info.Header.biHeight);
    return 1;
}

int ReadTiffHeader(TThumbMaker& m) {
    TTiffGraphic& tiff = *m.Tiff;
    try {
        tiff.ReadFileInfo(m.ItemFile, -1);
    } catch (const Exception&) {
        // Pages the codec refuses (LZW) are the imaging library's.
        m.RenewCodecs();
        return ReadImgLibHeader(m);
    }
    SetSize(m, tiff.InfoWidth, tiff.InfoHeight, tiff.InfoBitCount);
    const bool ownCodec = tiff.InfoCompressionTag == TiffDeflate || tiff.InfoCompressionTag == TiffAdobeDeflate;
    if (!ownCodec && (tiff.InfoWidth == 0 || tiff.InfoHeight == 0 || tiff.InfoBitCount < 2))
        return ReadImgLibHeader(m);
    if (tiff.InfoWidth <= 0 || tiff.InfoHeight <= 0) return -1;
    m.TooLarge = SizeTooLarge(tiff.InfoWidth, tiff.InfoHeight);
    return 1;
}

int ReadPhotoCDHeader(TThumbMaker& m) {
    if (!IsPhotoCDName(m.ItemFile)) return -1;
    TPhotoCDSize size;
    LoadPhotoCD(m.ItemFile, 1, size);
    if (size.Resolution == PhotoCDOpenFailed || size.Width <= 0 || size.Height <= 0) return -1;
    SetSize(m, size.Width, size.Height, 24);
    return 1;
}

int ReadHeaderByExtension(TThumbMaker& m) {
    const std::string& ext = m.CurrExt;
    if (ext == ".PCD") return ReadPhotoCDHeader(m);
    if (ext == ".BMP" || ext == ".DIB") return ReadBmpHeader(m);
    if (ext == ".PNG") return ReadPngHeader(m);
    if (ext == ".PCX") return ReadCodecHeader(m, *m.Pcx);
    if (ext == ".TGA") return ReadCodecHeader(m, *m.Tga);
    if (ext == ".PSD") return ReadGraphicXHeader<TPSDGraphic>(m, false);
    if (ext == ".GIF") return ReadGraphicXHeader<TGIFGraphic>(m, true);
    if (ext == ".TIF") return ReadTiffHeader(m);
    if (ext == ".DCX" || ext == ".FPX") return ReadImgLibHeader(m);
    return 1;  // JPEG files: their maker reads the header
}

// ---- Drawing

// Fits the picture into the cell: pictures of 8 bits or more that are larger
// than the cell both ways are shrunk in place and copied, all others stretched.
bool DrawFitted(TPixelBuffer& picture, TBitmap& cell) {
    if (picture.Empty()) return false;
    const TRect place = ThumbFitRect(picture.Width(), picture.Height());
    if (place.Width() <= 0) return false;
    TPixelBuffer& target = *cell.Handle();
    if (picture.BitsPerPixel() >= 8 && picture.Width() > ThumbCellWidth && picture.Height() > ThumbCellHeight &&
        ShrinkDibInPlace(picture, place.Width(), place.Height())) {
        CopyUnscaled(picture, place.Width(), place.Height(), target, place.Left, place.Top);
    } else {
        StretchNearest(picture, target, place);
    }
    return true;
}

// A BMP too large for the codec: read as a plain bitmap, shrunk in place.
bool DrawBigBitmap(TThumbMaker& m, TBitmap& cell) {
    TBitmap big;
    big.LoadFromFile(m.ItemFile);
    if (big.GetEmpty()) return false;
    const int32_t width = big.GetWidth(), height = big.GetHeight();
    TRect place;
    if (width > ThumbCellWidth || height > ThumbCellHeight) {
        place = ThumbFitRect(width, height);
        if (!ShrinkBitmapInPlace(big, place.Width(), place.Height())) return false;
    } else {
        const int32_t x = (ThumbCellWidth - width) / 2, y = (ThumbCellHeight - height) / 2;
        place = {x, y, x + width, y + height};
    }
    CopyUnscaled(*big.Handle(), place.Width(), place.Height(), *cell.Handle(), place.Left, place.Top);
    return true;
}

TDibGraphic* CodecOf(TThumbMaker& m) {
    const std::string& ext = m.CurrExt;
    if (ext == ".BMP" || ext == ".DIB") return m.Bmp.get();
    if (ext == ".PNG") return m.Png.get();
    if (ext == ".PCX") return m.Pcx.get();
    if (ext == ".TGA") return m.Tga.get();
    if (ext == ".TIF") return m.Tiff.get();
    return nullptr;
}

bool DrawOwnCodec(TThumbMaker& m, TBitmap& cell) {
    const std::string& ext = m.CurrExt;
    if ((ext == ".BMP" || ext == ".DIB") && m.BigBitmap) return DrawBigBitmap(m, cell);
    if (TDibGraphic* codec = CodecOf(m)) {
        if (ext == ".TIF") m.Tiff->ReadFileInfo(m.ItemFile, 1);
        return !codec->IsEmpty() && DrawFitted(*codec->Pixels(), cell);
    }
    if (m.PictureBitmap.GetEmpty()) return false;
    TPixelBuffer& picture = *m.PictureBitmap.Handle();
    if (ext == ".GIF") {
        StretchNearest(picture, *cell.Handle(), ThumbFitRect(picture.Width(), picture.Height()));
        return true;
    }
    if (ext == ".PSD") {
        if (m.ThumbSrcWidth <= 0 || m.ThumbSrcHeight <= 0 || picture.Width() != m.ThumbSrcWidth ||
            picture.Height() != m.ThumbSrcHeight)
            return false;
        return DrawFitted(picture, cell);
    }
    return false;
}

// A Photo CD picture at resolution 1 as an imaging-library picture; 0 on failure.
int OpenPhotoCDImage(const std::string& path) {
    HPCD pcd{};
    if (PCDopen(path.c_str(), pcd) != pcdOK) return 0;
    PCDsetResolution(pcd, pcdBase16);
    PCDsetFormat(pcd, pcdFormatDib);
    TPackedDib dib;
    PCDloadImage(pcd, 0, dib);
    PCDclose(pcd);
    if (dib.Empty()) return 0;
    StripDIBPalette(dib);
    const int handle = ImgFromDIB(dib);
    PCDfreeBitmap(dib);
    return handle;
}

// Replaces the maker's picture by the library's copy of it at width x height.
bool CopyImgTo(TThumbMaker& m, int32_t width, int32_t height, int32_t flags) {
    if (width < 1 || height < 1) return false;
    const int copy = ImgCopy(m.ImgHandle, width, height, nullptr, flags);
    if (copy == 0) return false;
    m.CloseImgHandle();
    m.ImgHandle = copy;
    return true;
}

bool RenderViaImagingLibrary(TThumbMaker& m, TBitmap& cell) {
    const bool photoCD = m.CurrExt == ".PCD";
    if (photoCD) {
        m.CloseImgHandle();
        m.ImgHandle = OpenPhotoCDImage(m.ItemFile);
    }
    IMGINFO info;
    if (m.ImgHandle == 0 || !ImgGetInfoStruct(m.ImgHandle, &info)) return false;
    int32_t width = info.Header.biWidth, height = info.Header.biHeight;
    if (photoCD || m.CurrExt == ".FPX" || (width > PreReduceWidth && height > PreReduceHeight)) {
        width = (width - 1) & ~7;
        height = (height - 1) & ~7;
        while (height > PreReduceHeight && width > PreReduceWidth) {
            width /= 4;
            height /= 4;
        }
        const int32_t flags = info.Header.biBitCount < 4 ? IMG_COPY_GRAY : IMG_COPY_NEAREST;
        if (!CopyImgTo(m, width, height, flags) || !ImgGetInfoStruct(m.ImgHandle, &info)) return false;
    }
    const TRect place = ThumbFitRect(info.Header.biWidth, info.Header.biHeight);
    if (place.Width() <= 0 || !CopyImgTo(m, place.Width(), place.Height(), IMG_COPY_NEAREST)) return false;

    TBitmap drawn;
    drawn.SetPixelFormat(pf24bit);
    drawn.SetSize(place.Width(), place.Height());
    const TRect whole{0, 0, place.Width(), place.Height()};
    if (!ImgDrawImage(m.ImgHandle, drawn.Canvas(), whole, whole)) return false;
    FillWhiteCell(cell);
    CopyUnscaled(*drawn.Handle(), place.Width(), place.Height(), *cell.Handle(), place.Left, place.Top);
    return true;
}

// ---- JPEG

// Loads the maker's JPEG stream into its decoder from the start; the decoder's code.
int LoadJpeg(TThumbMaker& m, bool preview) {
    m.Jpeg->SetEmbeddedPreview(preview);
    m.JpegStream.SetPosition(0);
    try {
        m.Jpeg->LoadFromStream(m.JpegStream);
    } catch (const Exception&) {
        // The code says what failed.
    }
    return m.Jpeg->LastJpegError();
}

void TakeJpegHeader(TThumbMaker& m) {
    SetSize(m, m.Jpeg->Width(), m.Jpeg->Height(), m.Jpeg->BitCount());
}

// The second chance for a stream that does not start as a JPEG: a fresh
// decoder skips leading bytes up to the JFIF signature.
int RetryPlainRead(TThumbMaker& m) {
    m.RenewJpeg();
    m.Jpeg->SetPlainRead(true);
    const int code = LoadJpeg(m, false);
    m.Jpeg->SetPlainRead(false);
    if (code == jpegcode::None) TakeJpegHeader(m);
    return code;
}

// Loads the header (and the preview when asked for); the decoder's code.
int LoadJpegForThumbnail(TThumbMaker& m, bool embeddedPreview, bool& retried) {
    int code = LoadJpeg(m, false);
    if (code == jpegcode::None) TakeJpegHeader(m);
    bool previewTaken = false;
    if (embeddedPreview) {
        code = LoadJpeg(m, true);
        previewTaken = m.Jpeg->PreviewTaken();
        if (code == jpegcode::PreviewFailed) {
            code = jpegcode::NotJpeg;
            previewTaken = false;
        }
    }
    if (!previewTaken && code == jpegcode::NotJpeg) {
        retried = true;
        code = RetryPlainRead(m);
    }
    return code;
}

int DecodeJpeg(TThumbMaker& m) {
    SetThumbDecodeLimits(*m.Jpeg);
    try {
        m.Jpeg->DecodeToBitmap(m.PictureBitmap);
    } catch (const Exception&) {
        // The code says what failed; rows decoded before a damaged marker stand.
    }
    int code = m.Jpeg->LastJpegError();
    if ((code == jpegcode::None || code == jpegcode::UnknownMarker) &&
        (m.PictureBitmap.GetEmpty() || m.PictureBitmap.GetWidth() == 0 || m.PictureBitmap.GetHeight() == 0))
        code = jpegcode::PreviewFailed;
    return code;
}

// The icon at `size`: drawn from its largest image, so that a theme without a
// large size still fills the square.
QImage IconImage(const QIcon& icon, const QSize& size) {
    QSize largest = size;
    for (const QSize& available : icon.availableSizes())
        if (available.width() > largest.width()) largest = available;
    QImage image = icon.pixmap(largest).toImage();
    if (image.size() != size) image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace

// ---- TThumbMaker

TThumbMaker::TThumbMaker() {
    RenewCodecs();
    RenewJpeg();
}

TThumbMaker::~TThumbMaker() { CloseImgHandle(); }

void TThumbMaker::RenewCodecs() {
    Bmp = std::make_unique<TBmpGraphic>();
    Png = std::make_unique<TPngGraphic>();
    Pcx = std::make_unique<TPcxGraphic>();
    Tga = std::make_unique<TTgaGraphic>();
    Tiff = std::make_unique<TTiffGraphic>();
    EmptyBitmap(PictureBitmap);
}

void TThumbMaker::RenewJpeg() {
    Jpeg = std::make_unique<TJPEGImage>();
    Jpeg->SetGrayscale(false);
    Jpeg->SetPerformance(jpBestSpeed);
    Jpeg->SetPixelFormat(jf24Bit);
}

void TThumbMaker::CloseImgHandle() {
    if (ImgHandle != 0) ImgClose(ImgHandle);
    ImgHandle = 0;
}

// ---- The makers

int ReadPictureHeader(TThumbMaker& Maker) {
    TThumbMaker& m = Maker;
    m.CurrExt = UpperCase(ExtractFileExt(m.ItemFile));
    SetSize(m, 0, 0, 0);
    m.BigBitmap = m.UseImgLib = m.TooLarge = false;
    if (!ExtIn(m.CurrExt, ThumbPictureExtensions) || !IsRegularFile(m.ItemFile)) return -1;
    int result = -1;
    try {
        result = ReadHeaderByExtension(m);
    } catch (const std::exception&) {
        result = -1;
    }
    if (result != 1) {
        m.RenewCodecs();
        return -1;
    }
    m.ThumbSrcBits = ReportedBits(m.ThumbSrcBits);
    return 1;
}

bool MakePictureThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix) {
    TThumbMaker& m = Maker;
    bool drawn = false;
    if (!m.TooLarge) {
        try {
            const bool imgLib = m.CurrExt == ".PCD" || (m.UseImgLib && ExtIn(m.CurrExt, ".DCX.FPX.TIF"));
            if (imgLib) {
                drawn = RenderViaImagingLibrary(m, ThumbPix);
            } else {
                FillWhiteCell(ThumbPix);
                drawn = DrawOwnCodec(m, ThumbPix);
            }
        } catch (const std::exception&) {
            drawn = false;
        }
    }
    m.RenewCodecs();
    return drawn;
}

int MakeJpegThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix, bool EmbeddedPreview) {
    TThumbMaker& m = Maker;
    SetSize(m, 0, 0, 0);
    m.JpegStream.Clear();
    EmptyBitmap(m.PictureBitmap);
    try {
        if (!IsRegularFile(m.ItemFile)) throw EFOpenError("Not a regular file");
        m.JpegStream.LoadFromFile(m.ItemFile);
    } catch (const std::exception&) {
        m.JpegError = jpegcode::PreviewFailed;
        return -1;
    }
    bool retried = false;
    int code = LoadJpegForThumbnail(m, EmbeddedPreview, retried);
    const bool loaded = code == jpegcode::None;
    if (loaded) code = DecodeJpeg(m);
    m.JpegError = code;
    m.JpegStream.Clear();
    const bool success = loaded && (code == jpegcode::None || code == jpegcode::UnknownMarker);
    if (!success || retried) m.RenewJpeg();
    if (!success) return -1;
    try {
        FillWhiteCell(ThumbPix);
        TPixelBuffer& picture = *m.PictureBitmap.Handle();
        StretchNearest(picture, *ThumbPix.Handle(), ThumbFitRect(picture.Width(), picture.Height()));
    } catch (const std::exception&) {
        return -1;
    }
    return 0;
}

void InitBlankBitmap(TBitmap& ThumbCell) { FillWhiteCell(ThumbCell); }

bool MakeIconThumbnail(TThumbMaker& Maker, TBitmap& ThumbPix, int Index) {
    TThumbMaker& m = Maker;
    InitBlankBitmap(m.ThumbCell);
    QIcon icon;
    if (Index == -2) {
        icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    } else if (Index == -1) {
        icon = m.OwnIcon.isNull() ? QApplication::windowIcon() : m.OwnIcon;
    } else {
        icon = SystemIcon(Index);
    }
    if (icon.isNull()) icon = QIcon::fromTheme("image-x-generic");
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    TFitSize size;
    FitSizeInBoxEx(256, 256, ThumbCellWidth / 2, ThumbCellHeight / 2, size);
    m.IconDrawWidth = size.Width;
    m.IconDrawHeight = size.Height;
    EmptyBitmap(ThumbPix);
    const QRect place((ThumbCellWidth - size.Width) / 2, (ThumbCellHeight - size.Height) / 2, size.Width,
                      size.Height);
    QImage image = IconImage(icon, place.size());
    {
        QImage view = m.ThumbCell.Handle()->View();
        QPainter painter(&view);
        painter.drawImage(place.topLeft() + QPoint((place.width() - image.width()) / 2,
                                                   (place.height() - image.height()) / 2),
                          image);
    }
    ThumbPix.Assign(&m.ThumbCell);
    InitBlankBitmap(m.ThumbCell);
    return true;
}

bool GetBmpDimensions(const std::string& Path, TPictureSize& Size) {
    const int fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return true;
    struct stat st {};
    uint8_t header[54];
    const bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                      ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header);
    ::close(fd);
    if (!read || header[0] != 'B' || header[1] != 'M') return true;
    auto le32 = [&](int at) {
        return int32_t(uint32_t(header[at]) | uint32_t(header[at + 1]) << 8 | uint32_t(header[at + 2]) << 16 |
                       uint32_t(header[at + 3]) << 24);
    };
    auto le16 = [&](int at) { return int32_t(header[at] | header[at + 1] << 8); };
    const int32_t planes = le16(26);
    Size.Width = le32(18);
    Size.Height = le32(22);
    Size.Bits = le16(28) * (planes > 1 ? planes : 1);
    return false;
}

int ReadPictureInfo(const std::string& Path, TPictureHeaderInfo& Info) {
    Info = {};
    const std::string ext = UpperCase(ExtractFileExt(Path));
    if (!ExtIn(ext, ThumbPictureExtensions) || !IsRegularFile(Path)) return -1;
    try {
        if (ext == ".JPG" || ext == ".JPEG") {
            TJPEGImage jpeg;
            jpeg.LoadFromFile(Path);
            Info = {jpeg.Width(), jpeg.Height(), jpeg.BitCount(), {}};
        } else if (ext == ".PNG") {
            TPngGraphic png;
            png.ReadFileInfo(Path, true);
            Info = {png.InfoWidth, png.InfoHeight, PngBits(png), {}};
        } else if (ext == ".BMP" || ext == ".DIB") {
            TBmpGraphic bmp;
            bmp.ReadFileInfo(Path);
            Info = {bmp.InfoWidth, bmp.InfoHeight, bmp.InfoBitCount, {}};
        } else if (ext == ".PCX" || ext == ".TGA") {
            std::unique_ptr<TCodecGraphic> codec;
            if (ext == ".PCX") {
                auto pcx = std::make_unique<TPcxGraphic>();
                pcx->ReadFileInfo(Path);
                codec = std::move(pcx);
            } else {
                auto tga = std::make_unique<TTgaGraphic>();
                tga->ReadFileInfo(Path);
                codec = std::move(tga);
            }
            Info = {codec->InfoWidth, codec->InfoHeight, codec->InfoBitCount, {}};
        } else if (ext == ".GIF" || ext == ".PSD") {
            std::unique_ptr<TGraphicX> reader = NewHeaderReader(ext == ".GIF");
            if (!reader->IsValidFile(Path)) return -1;
            reader->LoadFromFile(Path);
            const int32_t bits = ext == ".GIF" ? GifBits(reader->Info.BitsPerPixel) : reader->Info.BitsPerPixel;
            Info = {reader->Info.Width, reader->Info.Height, bits, {}};
        } else if (ext == ".TIF") {
            TTiffGraphic tiff;
            try {
                tiff.ReadFileInfo(Path, -1);
            } catch (const Exception&) {
                // The codec refuses LZW pages after reading their header.
                if (tiff.InfoCompressionTag != TiffLzw) throw;
            }
            Info = {tiff.InfoWidth, tiff.InfoHeight, tiff.InfoBitCount, tiff.CompressionName()};
        } else if (ext == ".PCD") {
            if (!IsPhotoCDName(Path)) return -1;
            TPhotoCDSize size;
            LoadPhotoCD(Path, 1, size);
            if (size.Resolution == PhotoCDOpenFailed) return -1;
            Info = {size.Width, size.Height, 24, {}};
        } else {  // DCX, FPX
            const int handle = ImgOpenSolo(Path, 0);
            if (handle == 0) return -1;
            IMGINFO img;
            const bool got = ImgGetInfoStruct(handle, &img);
            ImgClose(handle);
            if (!got) return -1;
            Info = {img.Header.biWidth, img.Header.biHeight, img.Header.biBitCount, {}};
        }
    } catch (const std::exception&) {
        Info = {};
        return -1;
    }
    if (Info.Width <= 0 || Info.Height <= 0) {
        Info = {};
        return -1;
    }
    Info.Bits = ReportedBits(Info.Bits);
    return 1;
}

void SetBrushBitmap(TBitmap& Brush) {
    Brush.SetPixelFormat(pf1bit);
    Brush.SetSize(ThumbCellWidth, ThumbCellHeight);
    TPixelBuffer& pixels = *Brush.Handle();
    pixels.ColorTable = {0x000000, White};
    // Index 1 white everywhere, index 0 (black) at odd columns of odd rows.
    for (int y = 0; y < pixels.Height(); ++y)
        std::memset(pixels.ScanLine(y), (y & 1) ? 0xAA : 0xFF, static_cast<size_t>(pixels.RowBytes()));
}

}  // namespace lumvor
