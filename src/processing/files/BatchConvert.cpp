// Batch conversion's file work, without windows.
#include "processing/files/BatchConvert.h"

#include "imaging/Helpers.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "processing/files/SavePicture.h"

#include <sys/stat.h>

namespace lumvor {

using namespace batchconvert;

namespace {

// Any directory entry counts, a dangling link too: it is never written through.
bool NameTaken(const std::string& Path) {
    struct stat info {};
    return ::lstat(Path.c_str(), &info) == 0;
}

int SaveTypeOf(TBatchFormat Format) {
    switch (Format) {
    case TBatchFormat::Png: return SavePicture::stPng;
    case TBatchFormat::Tif: return SavePicture::stTifZLib;
    case TBatchFormat::Tga: return SavePicture::stTga;
    case TBatchFormat::Pcx: return SavePicture::stPcx;
    case TBatchFormat::Jpeg: return SavePicture::stJpegColor;
    case TBatchFormat::Bmp: break;
    }
    return SavePicture::stBmp;
}

}  // namespace

TBatchFormat BatchFormatOfTag(int Tag) {
    return Tag >= 0 && Tag <= 5 ? static_cast<TBatchFormat>(Tag) : TBatchFormat::Bmp;
}

std::string BatchExtension(TBatchFormat Format) {
    switch (Format) {
    case TBatchFormat::Jpeg: return ".jpg";
    case TBatchFormat::Png: return ".png";
    case TBatchFormat::Tif: return ".tif";
    case TBatchFormat::Tga: return ".tga";
    case TBatchFormat::Pcx: return ".pcx";
    case TBatchFormat::Bmp: break;
    }
    return ".bmp";
}

bool IsBatchSource(const std::string& FileName) {
    return ExtInList(UpperCase(ExtractFileExt(FileName)), SourceExtensions, "");
}

std::string BatchOutputName(const std::string& Source, const std::string& Ext, const std::string& Folder) {
    const std::string name = ExtractFileName(Source);
    const std::string stem = name.substr(0, name.size() - ExtractFileExt(name).size());
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    if (!NameTaken(folder + stem + Ext))
        return stem + Ext;
    for (int number = 1; number <= MaxNameNumber; ++number) {
        const std::string candidate = stem + "-" + std::to_string(number) + Ext;
        if (!NameTaken(folder + candidate))
            return candidate;
    }
    return "";
}

void SetBatchJpegDefaults(TJpegWizardSettings& Settings) {
    Settings = TJpegWizardSettings{};
    Settings.SetByte(2, 1);
    Settings.SetByte(3, 1);
    Settings.SetQuality(DefaultQuality);
}

void LoadBatchJpegSettings(TJpegWizardSettings& Settings) {
    if (Settings.Quality() != -1)
        return;
    TJpegWizardSettings stored;
    SetBatchJpegDefaults(stored);
    TRegistry registry;
    if (registry.OpenKey(SettingsKey, false))
        ReadSettingsRecord(registry, JpegRecordName, stored);
    Settings = stored;
}

QThread::Priority EncodePriority(int32_t Setting) {
    switch (Setting) {
    case 1: return QThread::LowPriority;
    case 2: return QThread::NormalPriority;
    case 3: return QThread::HighPriority;
    case 4: return QThread::HighestPriority;
    default: return QThread::LowestPriority;
    }
}

int64_t FreeSpace(const std::string& Folder) { return FreeSpaceHook ? FreeSpaceHook(Folder) : GetDiskFree(Folder); }

bool TooLittleSpace(int64_t Free, int64_t Needed) { return Free > 0 && Free < Needed; }

void EncodeBatchPicture(TBitmap& Bitmap, TBatchFormat Format, TMemoryStream& Out) {
    TSaveOptions options;
    options.FilterIndex = SaveTypeOf(Format);
    options.Progressive = false;
    try {
        EncodePicture(Bitmap, options, Out);
    } catch (...) {
        Out.Clear();
        throw;
    }
}

void WriteBatchFile(const std::string& Path, TMemoryStream& Stream) {
    WriteNewFile(Path, Stream.Memory(), Stream.Size());
}

std::string SkippedLine(const std::string& Source, const std::string& Reason) {
    return SkippedPrefix + Source + (Reason.empty() ? std::string() : " - " + Reason);
}

}  // namespace lumvor
