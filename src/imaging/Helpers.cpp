#include "imaging/Helpers.h"

#include "platform/FileOps.h"
#include "platform/Graphics.h"
#include "platform/Folders.h"
#include "platform/MessageHook.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace lumvor {

namespace {
constexpr int64_t SizeUnit = 2147483647;  // the High unit of a size pair (2^31 - 1)

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::vector<std::string> SplitNulList(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}
}  // namespace

// ---- Texts and numbers

namespace {
// The pair's High decides the form; the tenths come from the whole size, so a
// negative Low (High is rounded) and sizes of 2 GiB and more come out right.
std::string SizeText(int32_t high, int64_t size) {
    if (high >= 1) return FormatFloat("######.00 MB", static_cast<double>(size) / 1048576.0);
    if (size >= 1048576) return Format("%d.%d MB", size >> 20, ((size % 1048576) * 10) / 1048576);
    if (size >= 1024) return Format("%d.%d KB", size >> 10, ((size % 1024) * 10) / 1024);
    return IntToStr(size);
}
}  // namespace

void FormatFileSizeText(int32_t High, int32_t Low, std::string& Text) { Text = SizeText(High, JoinSize64(High, Low)); }

std::string FormatFileSizeText(int64_t size) {
    TSizePair pair;
    SplitSize64(pair, size);
    return SizeText(pair.High, size);
}

void SplitSize64(TSizePair& Pair, int64_t Size) {
    // A count that fits Low alone keeps High 0, as a file record below 2^31
    // bytes does; rounding would raise High from half a unit (1 GiB) on.
    if (Size >= 0 && Size <= INT32_MAX) {
        Pair = {0, static_cast<int32_t>(Size)};
        return;
    }
    const int64_t high = Round(static_cast<double>(Size) / static_cast<double>(SizeUnit));
    const int64_t low = Size - high * SizeUnit;
    if (high < INT32_MIN || high > INT32_MAX || low < INT32_MIN || low > INT32_MAX) {
        Pair = {};
        return;
    }
    Pair.High = static_cast<int32_t>(high);
    Pair.Low = static_cast<int32_t>(low);
}

int64_t JoinSize64(int32_t High, int32_t Low) { return static_cast<int64_t>(High) * SizeUnit + Low; }

// ---- File dates

void PackFileStamp(int64_t Seconds, int64_t Nanoseconds, int32_t& FileDate, int32_t& TimeMs) {
    constexpr uint32_t earliest = 0x00210000u;  // 1980-01-01 00:00:00
    constexpr uint32_t latest = 127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u;  // 2107-12-31 23:59:58
    const time_t moment = static_cast<time_t>(Seconds);
    struct tm local {};
    const bool known = localtime_r(&moment, &local) != nullptr;
    const int64_t year = known ? local.tm_year + 1900LL : (Seconds < 0 ? 0 : 9999);
    uint32_t dosDate;
    if (year < 1980)
        dosDate = earliest;
    else if (year > 2107)
        dosDate = latest;
    else
        dosDate = static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(local.tm_mon + 1) << 21 |
                  static_cast<uint32_t>(local.tm_mday) << 16 | static_cast<uint32_t>(local.tm_hour) << 11 |
                  static_cast<uint32_t>(local.tm_min) << 5 | static_cast<uint32_t>(std::min(local.tm_sec, 59) / 2);
    FileDate = static_cast<int32_t>(dosDate);
    const int64_t secondOfDay = known ? (local.tm_hour * 60 + local.tm_min) * 60 + std::min(local.tm_sec, 59) : 0;
    const int64_t milliseconds = Nanoseconds >= 0 && Nanoseconds < 1000000000 ? Nanoseconds / 1000000 : 0;
    TimeMs = static_cast<int32_t>(secondOfDay * 1000 + milliseconds);
}

void ColorToHexRGB(TColor Color, std::string& Text) {
    Text = IntToHex(static_cast<uint32_t>(GetRValue(Color)), 2) + IntToHex(static_cast<uint32_t>(GetGValue(Color)), 2) +
           IntToHex(static_cast<uint32_t>(GetBValue(Color)), 2);
}

int32_t HexToInt(const std::string& Text) { return StrToInt("$" + Text); }

uint16_t SwapHiWord(uint32_t Value) {
    return static_cast<uint16_t>(((Value >> 16) & 0xFF) << 8 | ((Value >> 24) & 0xFF));
}

void TrimLeadingBlanks(const std::string& Text, std::string& Out) {
    const size_t first = Text.find_first_not_of(' ');
    Out = first == std::string::npos ? std::string() : Text.substr(first);
}

// ---- Extension lists

bool ExtInList(const std::string& Ext, const std::string& List, const std::string& ShortList) {
    try {
        if (Ext.size() <= 2) return false;
        const std::string ext = UpperCase(Ext);
        if (List.find(ext) == std::string::npos) return false;
        return ext.size() != 3 || ShortList.find(ext) != std::string::npos;
    } catch (...) {
        return false;
    }
}

// ---- Paths

void AddBackslash(const std::string& Path, std::string& Out) {
    Out = Path.empty() || Path.back() == '/' ? Path : Path + "/";
}

std::string AddBackslash(const std::string& Path) {
    std::string out;
    AddBackslash(Path, out);
    return out;
}

void RemoveBackslash(const std::string& Path, std::string& Out) {
    Out = Path.size() > 1 && Path.back() == '/' ? Path.substr(0, Path.size() - 1) : Path;
}

std::string RemoveBackslash(const std::string& Path) {
    std::string out;
    RemoveBackslash(Path, out);
    return out;
}

void AddSlash(const std::string& Url, std::string& Out) { Out = Url.empty() || Url.back() == '/' ? Url : Url + "/"; }

void StripDrive(const std::string& Path, std::string& Out) {
    if (Path.empty()) {
        Out = "/";
        return;
    }
    const std::string normal = NormalizePath(Path);
    const std::string mount = MountPointOf(normal);
    Out = mount == "/" ? normal : normal.substr(mount.size());
    if (Out.empty() || Out[0] != '/') Out = "/" + Out;
}

void GetPathRoot(const std::string& Path, std::string& Out) {
    Out = AddBackslash(MountPointOf(Path.empty() ? std::string("/") : Path));
}

bool IsRootPath(const std::string& Path) {
    if (Path.empty()) return false;
    std::string root;
    GetPathRoot(Path, root);
    return AddBackslash(NormalizePath(Path)) == root;
}

void GetParentFolder(const std::string& Path, std::string& Out) {
    const std::string path = AddBackslash(Path);
    if (path.empty() || IsRootPath(path)) {
        Out = path;
        return;
    }
    const std::string trimmed = path.substr(0, path.size() - 1);
    const size_t slash = trimmed.rfind('/');
    Out = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
}

int DriveIndex(const std::string& Path) {
    const std::string mount = MountPointOf(Path.empty() ? std::string("/") : Path);
    const auto drives = DriveList();
    for (size_t i = 0; i < drives.size(); ++i) {
        if (drives[i].MountPoint == mount) return static_cast<int>(i);
    }
    return -1;
}

void ExtractLongFileName(const std::string& Path, std::string& Out) { Out = ExtractFileName(WithoutTrailingSlash(Path)); }

void ExpandLongPath(const std::string& Path, std::string& Out) { Out = Path; }

void GetDataFolder(std::string& Out) {
    Out = ProgramFolder() + "data/";
    ForceDirectories(Out);
}

bool FolderExists(const std::string& Path) {
    try {
        if (Path.empty()) return false;
        return DirectoryExists(WithoutTrailingSlash(Path));
    } catch (...) {
        return false;
    }
}

// ---- Files and disks

bool ShellFileOperation(const std::string& From, const std::string& To, const std::string& Title, uint32_t Flags,
                        uint32_t Func) {
    (void)Title;  // no progress window: the engine runs in one go
    const TFileOpResult result =
        RunFileOperation(static_cast<TFileOpFunc>(Func), SplitNulList(From), SplitNulList(To), Flags);
    return !result.Succeeded;
}

void DeleteFileNow(const std::string& Name) { ShellFileOperation(Name, Name, "", fofSilent | fofNoConfirmation, foDelete); }

bool RecycleFile(const std::string& Name) {
    return !ShellFileOperation(Name, Name, "", fofSilent | fofNoConfirmation | fofAllowUndo, foDelete);
}

int64_t GetDiskSize(const std::string& Path) {
    const int64_t size = VolumeTotalBytes(Path);
    return size > 0 ? size : 0;
}

int64_t GetDiskFree(const std::string& Path) {
    const int64_t size = VolumeFreeBytes(Path);
    return size > 0 ? size : 0;
}

bool DriveIsReady(const std::string& Path) { return GetDiskSize(Path) >= 1; }

std::string DiskSpaceErrorText(int64_t Required, int64_t Free, const std::string& Extra) {
    return "Insufficient disk space.\nReq.: " + IntToStr(Required / 1024) + " Kb\nFree: " + IntToStr(Free / 1024) +
           " Kb\n\n" + Extra;
}

void ShowDiskSpaceError(int64_t Required, int64_t Free, const std::string& Extra) {
    StopHookedLongRun();
    ShowHookedMessage(DiskSpaceErrorText(Required, Free, Extra), TMessageKind::Warning);
}

void GetVolumeTag(const std::string& Path, std::string& Tag) {
    uint32_t serial = 0;
    if (!VolumeSerial(Path, serial)) {
        Tag.clear();
        return;
    }
    Tag = VolumeLabel(Path) + "." + IntToHex(serial, 8);
}

void GetDriveCaption(std::string& Caption) {
    const std::string dir = ExploreDir.empty() ? std::string("/") : ExploreDir;
    std::string name = VolumeLabel(dir);
    if (name.empty()) name = MountPointOf(dir);
    std::string below;
    StripDrive(dir, below);
    Caption = name + " .. " + below.substr(0, below.size() - 1);
}

// ---- Bitmaps

void FitSizeInBoxEx(int32_t W, int32_t H, int32_t BW, int32_t BH, TFitSize& Size) {
    if (W <= 0 || H <= 0 || BW <= 0 || BH <= 0) {
        Size = {};
        return;
    }
    int32_t rw = BW;
    int32_t rh = BH;
    if (H < W) {
        rh = MulDiv(H, BW, W);
    } else {
        rw = MulDiv(W, BH, H);
    }
    if (BW < rw) {
        rh = MulDiv(rh, BW, rw);
        rw = BW;
    }
    if (rh <= BH) {
        Size = {rw, rh};
    } else {
        Size = {MulDiv(rw, BH, rh), BH};
    }
}

void EmptyBitmap(TBitmap& Bitmap) {
    Bitmap.ReleaseHandle();
    Bitmap.SetSize(0, 0);
}

int32_t GetRowBytesDIB(int32_t Width, int32_t Bits, int32_t Alignment) {
    const int64_t bits = static_cast<int64_t>(Width) * Bits + Alignment - 1;
    return static_cast<int32_t>((bits & ~static_cast<int64_t>(Alignment - 1)) / 8);
}

HBITMAP CreateDIBitmapFromBits(int32_t Width, int32_t Height, int32_t BitCount,
                               std::span<const uint8_t> Bits) {
    const int bits = (BitCount == 1 || BitCount == 4 || BitCount == 8) ? BitCount : 24;
    std::vector<uint32_t> greys;
    if (bits <= 8) {
        const uint32_t steps = (1u << bits) - 1;
        for (uint32_t i = 0; i <= steps; ++i) {
            const uint32_t v = i * 255 / steps;
            greys.push_back(v | (v << 8) | (v << 16));
        }
    }
    if (Bits.empty()) {
        auto pixels = std::make_shared<TPixelBuffer>(Width, Height, bits);
        pixels->ColorTable = greys;
        return pixels;
    }
    // Read the rows as a DIB with this header, which also checks the size and
    // that Bits holds every row.
    BITMAPINFOHEADER header;
    header.biWidth = Width;
    header.biHeight = Height;
    header.biBitCount = static_cast<uint16_t>(bits);
    std::vector<uint8_t> headerBlock(BitmapInfoHeaderSize + greys.size() * 4);
    WriteInfoHeader(headerBlock.data(), header);
    for (size_t i = 0; i < greys.size(); ++i)
        for (int b = 0; b < 4; ++b)
            headerBlock[BitmapInfoHeaderSize + 4 * i + size_t(b)] = static_cast<uint8_t>(greys[i] >> (8 * b));
    return std::make_shared<TPixelBuffer>(DecodeDib(headerBlock, Bits));
}

int32_t ConvertBitmapDepth(TBitmap& /*Bitmap*/, int32_t /*Width*/, int32_t /*Height*/, int32_t BitCount) {
    return BitCount;
}

TPackedDib CreatePackedDIB(const TBitmap& Bitmap) {
    return TPackedDib::FromPixelsOrNone(Bitmap.Handle().get());
}

void StripDIBPalette(TPackedDib& Block) {
    constexpr size_t TableBytes = 1024;
    const std::vector<uint8_t>& bytes = Block.Bytes();
    if (bytes.size() < BitmapInfoHeaderSize + TableBytes)
        return;
    BITMAPINFOHEADER header = ReadInfoHeader(bytes.data());
    if (header.biSize != BitmapInfoHeaderSize || header.biBitCount <= 8)
        return;  // an indexed picture's table holds its colours
    // The header no longer announces a table, so readers find the rows behind it.
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    std::vector<uint8_t> moved(BitmapInfoHeaderSize);
    WriteInfoHeader(moved.data(), header);
    moved.insert(moved.end(), bytes.begin() + BitmapInfoHeaderSize + TableBytes, bytes.end());
    Block = TPackedDib(std::move(moved));
}

}  // namespace lumvor
