#include "imaging/OpenPicture.h"

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

#include <cstdlib>

namespace lumvor {

using namespace OpenPicture;

bool ExtInString(const std::string& upperExt, const std::string& list) {
    return !upperExt.empty() && list.find(upperExt) != std::string::npos;
}

TFileKind FileKindOf(const std::string& upperExt) {
    if (ExtInList(upperExt, PictureList, ""))
        return TFileKind::Picture;
    if (ExtInList(upperExt, MediaList, ShortMediaList))
        return TFileKind::Media;
    if (ExtInList(upperExt, TextList, ""))
        return TFileKind::Text;
    if (ExtInList(upperExt, VectorList, ""))
        return TFileKind::Vector;
    return TFileKind::Unsupported;
}

namespace {

// The picture kind a user knows the extension by.
std::string PictureKindName(const std::string& upperExt) {
    static const struct {
        const char* Ext;
        const char* Name;
    } kinds[] = {{".JPG", "JPEG"}, {".JPEG", "JPEG"}, {".PNG", "PNG"},      {".BMP", "BMP"},
                 {".DIB", "BMP"},  {".TIF", "TIFF"},  {".TGA", "TGA"},      {".PCX", "PCX"},
                 {".DCX", "DCX"},  {".GIF", "GIF"},   {".PSD", "Photoshop"}, {".PCD", "Photo CD"},
                 {".FPX", "FlashPix"}};
    for (const auto& kind : kinds)
        if (upperExt == kind.Ext)
            return kind.Name;
    return "";
}

}  // namespace

std::string OpenFailureText(const std::string& fileName, TOpenFailure reason) {
    const std::string name = ExtractFileName(fileName);
    const std::string asKind = " could not be read as a " + PictureKindName(UpperCase(ExtractFileExt(fileName))) +
                               " picture: ";
    switch (reason) {
    case TOpenFailure::Missing: return name + " could not be opened: the file does not exist.";
    case TOpenFailure::NoPermission: return name + " could not be opened: you have no permission to read it.";
    case TOpenFailure::Empty: return name + asKind + "the file is empty.";
    case TOpenFailure::NotReadable: return name + asKind + "the file is damaged or is not what its name says.";
    case TOpenFailure::Unsupported: break;
    }
    return name + ": this type of file cannot be shown.";
}

int ComputeJPEGScaleDivisor(int width, int height, int areaWidth, int areaHeight, int threshold) {
    if (areaWidth <= 0 || areaHeight <= 0)
        return 1;
    int64_t w = width, h = height;
    int divisor = 1;
    for (int step = 0; step < 5; ++step) {
        const bool larger = h > areaHeight || w > areaWidth;
        const bool halfFills = (h / 2) * 100 / areaHeight > threshold || (w / 2) * 100 / areaWidth > threshold;
        if (!(larger && halfFills))
            break;
        h /= 2;
        w /= 2;
        divisor *= 2;
    }
    return divisor;
}

int JPEGScaleCode(int divisor) {
    switch (divisor) {
        case 1: return 0;
        case 2: return 1;
        case 4: return 2;
        case 8: return 3;
        default: return 4;
    }
}

int AppliedJPEGDivisor(int scaleCode) { return 1 << std::min(std::max(scaleCode, 0), 3); }

std::string LoadTimeText(uint32_t milliseconds) {
    uint32_t t = milliseconds;
    if (t > 200)
        t -= 100;
    return "Loaded " + Format("%d.%ds", {static_cast<int>(t / 1000), static_cast<int>((t % 1000) / 100)});
}

int PageStep(int index, int count, int move) {
    if (count <= 0)
        return 0;
    switch (move) {
        case 1: return index + 1 >= count ? 0 : index + 1;
        case -1: return index <= 0 ? count - 1 : index - 1;
        case 0: return 0;
        case 999: return count - 1;
        default: return index;
    }
}

TFaxReduction FaxReduction(int width, int height, int quality) {
    TFaxReduction r;
    const int w = std::max(width - 1, 0) / 8 * 8;
    const int h = std::max(height - 1, 0) / 8 * 8;
    r.Source = Rect(0, 0, w, h);
    switch (quality) {
        case 1: r.Width = w / 2; r.Height = h / 2; break;
        case 2: r.Width = static_cast<int>(int64_t(w) * 3333 / 10000); r.Height = static_cast<int>(int64_t(h) * 3333 / 10000); break;
        case 3: r.Width = w / 4; r.Height = h / 4; break;
        default: r.Width = w; r.Height = h; break;
    }
    return r;
}

int FaxDivisor(int quality) { return quality >= 1 && quality <= 3 ? quality + 1 : 1; }

int HeaderBitCount(int bits) { return bits > 15 ? 24 : bits; }

int GifHeaderBitCount(int bits) {
    if (bits > 4)
        return 8;
    if (bits == 2 || bits == 3)
        return 4;
    return bits;
}

int ProgressBarWidth(const TRect& rect, int percent) {
    return std::abs(rect.Left - rect.Right) * percent / 100;
}

}  // namespace lumvor
