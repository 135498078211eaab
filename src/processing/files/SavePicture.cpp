// Writing the image window's picture to a file, without the window.
#include "processing/files/SavePicture.h"

#include "imaging/vo_DIB.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imaging/vo_TIF.h"
#include "platform/Jpeg.h"
#include "platform/PackedDib.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace lumvor {

using namespace SavePicture;

namespace {

struct TSaveType {
    const char* Entry;
    const char* Ext;
};

// In filter order; the last three only for 1-bit pictures.
constexpr TSaveType SaveTypes[SaveTypeCount] = {
    {"BMP (Windows Bitmap)|*.bmp", "bmp"},
    {"PCX (Zsoft Paintbrush)|*.pcx", "pcx"},
    {"PNG (Portable Network Graphics)|*.png", "png"},
    {"JPG (JPEG 8-bit gray)|*.jpg", "jpg"},
    {"JPG (JPEG 24-bit color)|*.jpg", "jpg"},
    {"TGA (Uncompressed Targa)|*.tga", "tga"},
    {"TIF (Uncompressed TIFF)|*.tif", "tif"},
    {"TIF (Deflated TIFF)|*.tif", "tif"},
    {"TIF (Deflated Adobe TIFF)|*.tif", "tif"},
    {"TIF (Fax-Group3 TIFF)|*.tif", "tif"},
    {"TIF (Fax-Group4 TIFF)|*.tif", "tif"},
    {"TIF (Packbits TIFF)|*.tif", "tif"},
};

// TIFF compression code of the TIFF types (index 7 to 12).
uint8_t TiffCompressionOf(int filterIndex) {
    switch (filterIndex) {
    case stTifZLib: return vo_TIF::tcZLib;
    case stTifAdobe: return vo_TIF::tcZLibAdobe;
    case stTifFax3: return vo_TIF::tcFaxGroup3_1D;
    case stTifFax4: return vo_TIF::tcFaxGroup4;
    case stTifPackbits: return vo_TIF::tcPackbits;
    default: return vo_TIF::tcNone;
    }
}

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Writes the codec's file image of the bitmap into out; prepare sets the
// codec's options that depend on the picture.
void EncodeWithCodec(TDibGraphic& codec, TBitmap& bitmap, TMemoryStream& out,
                     const std::function<void()>& prepare = nullptr) {
    codec.FreeImage();
    CodecFromBitmap(codec, bitmap);
    if (prepare)
        prepare();
    codec.SaveToStream(out);
    codec.FreeImage();
}

void EncodeJpeg(TBitmap& bitmap, const TSaveOptions& options, TMemoryStream& out) {
    TJPEGImage jpeg;
    const bool gray = options.FilterIndex == stJpegGray;
    jpeg.SetPixelFormat(gray ? jf8Bit : jf24Bit);
    jpeg.SetGrayscale(gray);
    jpeg.SetCompressionQuality(std::clamp(options.Quality, 1, 99));
    jpeg.SetProgressiveEncoding(options.Progressive);
    jpeg.Assign(bitmap);
    jpeg.Compress();
    if (!options.WithComment) {
        jpeg.SaveToStream(out);
        return;
    }
    TMemoryStream encoded;
    jpeg.SaveToStream(encoded);
    InsertJpegComment(encoded, options.Comment, out);
}

}  // namespace

std::string SaveDialogFilter(int BitCount) {
    std::string filter;
    const int count = BitCount == 1 ? SaveTypeCount : 9;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            filter += "|";
        filter += SaveTypes[i].Entry;
    }
    return filter;
}

std::string SaveDefaultExt(int FilterIndex) {
    if (FilterIndex < 1 || FilterIndex > 6)
        return "tif";
    return SaveTypes[FilterIndex - 1].Ext;
}

std::string ForceSaveExtension(const std::string& Name, const std::string& DefaultExt) {
    const std::string wanted = "." + LowerCase(DefaultExt);
    const std::string ext = ExtractFileExt(Name);
    if (LowerCase(ext) == wanted)
        return Name;
    std::string stem = Name.substr(0, Name.size() - ext.size());
    return stem + wanted;
}

std::string ComposeJpegComment(const std::string& Script) {
    std::string text = std::string("Encoder: Lumvor 8.9 (") + MakerWebAddress + ")\n\nLab Commands:\n\n" + Script;
    text.append(2, '\0');
    return text;
}

std::string JpegCommentToWrite(const std::string& CommentText) {
    // The text ends at its first NUL (a composed comment carries two).
    const std::string text = CommentText.substr(0, CommentText.find('\0'));
    if (text.size() > JpegCommentLimit)
        return std::string("Encoded with Lumvor - ") + MakerWebAddress;
    return text;
}

void InsertJpegComment(const TMemoryStream& Jpeg, const std::string& Comment, TMemoryStream& Out) {
    const int64_t size = const_cast<TMemoryStream&>(Jpeg).Size();
    const uint8_t* in = Jpeg.Memory();
    if (size < 6 || in[0] != 0xFF || in[1] != 0xD8 || in[2] != 0xFF)
        throw EInvalidGraphic("JPEG image has no first segment");
    const int64_t first = (int64_t(in[4]) << 8) | in[5];
    if (first < 2 || first + 4 > size)
        throw EInvalidGraphic("JPEG image has a truncated first segment");
    const size_t length = Comment.size();
    if (length + 2 > 0xFFFF)
        throw EInvalidGraphic("JPEG comment too long");
    Out.Clear();
    Out.SetSize(size + 4 + int64_t(length));
    Out.SetPosition(0);
    Out.WriteBuffer(in, first + 4);
    const uint8_t marker[4] = {0xFF, 0xFE, uint8_t((length + 2) >> 8), uint8_t((length + 2) & 0xFF)};
    Out.WriteBuffer(marker, 4);
    Out.WriteBuffer(Comment.data(), int64_t(length));
    Out.WriteBuffer(in + first + 4, size - first - 4);
    Out.SetPosition(0);
}

bool FixBitmapStream(TMemoryStream& Stream) {
    const int64_t size = Stream.Size();
    constexpr int64_t headers = BitmapFileHeaderSize + BitmapInfoHeaderSize;
    if (size < headers)
        return false;
    uint8_t* bytes = Stream.Memory();
    if (bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const int64_t offBits = Get32(bytes + 10);
    const int64_t sizeImage = Get32(bytes + BitmapFileHeaderSize + 20);
    // Without a pixel size, or with one the stream cannot hold, nothing can be placed.
    if (sizeImage == 0 || sizeImage > size - headers || offBits < headers || offBits + sizeImage > size)
        return false;
    const int64_t pixelsAt = size - sizeImage;
    if (pixelsAt == offBits)
        return false;
    Put32(bytes + BitmapFileHeaderSize + 32, 0);  // biClrUsed
    Put32(bytes + BitmapFileHeaderSize + 36, 0);  // biClrImportant
    std::memmove(bytes + offBits, bytes + pixelsAt, size_t(sizeImage));
    Stream.SetSize(offBits + sizeImage);
    return true;
}

void CodecFromBitmap(TDibGraphic& Codec, TBitmap& Bitmap) {
    if (HPALETTE palette = Bitmap.GetPalette()) {
        Codec.Assign(&Bitmap);
        Codec.ImportPalette(palette);
    } else {
        Codec.ImportNewBitmap(Bitmap);
    }
}

void BitmapFromCodec(TBitmap& Bitmap, const TDibGraphic& Codec) {
    const TPackedDib dib = Codec.ExportDIB();
    if (dib.Empty())
        throw EInvalidGraphic(SBitmapNotValid);
    Bitmap.SetHandle(std::make_shared<TPixelBuffer>(dib.ToPixels()));
}

void WidenToEightBits(TBitmap& Bitmap) {
    if (Bitmap.GetEmpty() || PixelFormatDepth(Bitmap.PixelFormat()) >= 8) {
        Bitmap.SetPixelFormat(pf8bit);
        return;
    }
    const TPixelBuffer& source = *Bitmap.Handle();
    Bitmap.SetHandle(std::make_shared<TPixelBuffer>(ConvertPixels(source, 8, source.ColorTable)));
}

void EncodePicture(TBitmap& Bitmap, const TSaveOptions& Options, TMemoryStream& Out) {
    Out.Clear();
    if (Bitmap.GetEmpty())
        throw EInvalidGraphic("There is no picture to save");
    switch (Options.FilterIndex) {
    case stBmp:
        Bitmap.SaveToStream(Out);
        FixBitmapStream(Out);
        break;
    case stPcx: {
        TPcxGraphic pcx;
        EncodeWithCodec(pcx, Bitmap, Out);
        break;
    }
    case stPng: {
        TPngGraphic png;
        png.Interlaced = Options.Progressive;
        png.CompressionLevel = 1;
        EncodeWithCodec(png, Bitmap, Out);
        break;
    }
    case stJpegGray:
    case stJpegColor: EncodeJpeg(Bitmap, Options, Out); break;
    case stTga: {
        TTgaGraphic tga;
        if (PixelFormatDepth(Bitmap.PixelFormat()) < 8) {
            // Targa files hold 8 or more bits per pixel.
            TBitmap eight;
            eight.Assign(&Bitmap);
            WidenToEightBits(eight);
            EncodeWithCodec(tga, eight, Out);
        } else {
            EncodeWithCodec(tga, Bitmap, Out);
        }
        break;
    }
    case stTif:
    case stTifZLib:
    case stTifAdobe:
    case stTifFax3:
    case stTifFax4:
    case stTifPackbits: {
        TTiffGraphic tiff;
        EncodeWithCodec(tiff, Bitmap, Out, [&] { tiff.SetCompression(TiffCompressionOf(Options.FilterIndex)); });
        break;
    }
    default: throw EInvalidGraphic("Unknown save format " + std::to_string(Options.FilterIndex));
    }
    if (Out.Size() == 0)
        throw EWriteError("Nothing was written");
    Out.SetPosition(0);
}

std::string SaveFailureReason(const std::string& FileName, int ErrorCode) {
    const std::string name = ExtractFileName(FileName);
    const std::string folder = ExcludeTrailingPathDelimiter(ExtractFilePath(FileName));
    switch (ErrorCode) {
    case ENOENT:
    case ENOTDIR: return "The folder " + folder + " does not exist.";
    case EACCES:
    case EPERM: return "You have no permission to write into the folder " + folder + ".";
    case EROFS: return "The folder " + folder + " is on a disk that cannot be written to.";
    case ENOSPC:
    case EDQUOT: return "The disk that holds " + folder + " is full.";
    case EFBIG: return name + " is too large for the disk that holds " + folder + ".";
    case EISDIR: return name + " is a folder.";
    case ENAMETOOLONG: return "The name " + name + " is too long.";
    case 0: return name + " could not be written.";
    default: return name + " could not be written: " + std::strerror(ErrorCode) + ".";
    }
}

}  // namespace lumvor
