#include "explorer/ThumbFiles.h"

#include "state/AlbumState.h"
#include "state/ViewerState.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace lumvor {

namespace {

using namespace xplr8900;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

// The CRC and length of a key fed piece by piece, so no key is ever put
// together in memory.
class TKeyCrc {
public:
    void Add(std::string_view bytes) {
        crc_ = UpdateCrc32(bytes.data(), static_cast<int64_t>(bytes.size()), crc_);
        length_ += bytes.size();
    }
    void AddUpper(std::string_view bytes) {
        char block[256];
        while (!bytes.empty()) {
            const size_t count = std::min(bytes.size(), sizeof block);
            for (size_t i = 0; i < count; ++i) block[i] = AsciiUpper(bytes[i]);
            Add({block, count});
            bytes.remove_prefix(count);
        }
    }
    void EndLine() { Add("\r\n"); }
    void AddNumberLine(int32_t value) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        Add({digits, static_cast<size_t>(end - digits)});
        EndLine();
    }
    uint32_t Crc() const { return crc_; }
    uint64_t Length() const { return length_; }

private:
    uint32_t crc_ = 0xFFFFFFFFu;
    uint64_t length_ = 0;
};

// The upper-cased extension, with its dot, of the name Name + Ext (the text
// after its last dot; empty when it has none), written into Out.
void UpperExtension(std::string_view name, std::string_view ext, std::string& out) {
    out.clear();
    const size_t dotInExt = ext.rfind('.');
    if (dotInExt != std::string_view::npos) {
        for (char c : ext.substr(dotInExt)) out += AsciiUpper(c);
        return;
    }
    const size_t dotInName = name.rfind('.');
    if (dotInName == std::string_view::npos) return;
    for (char c : name.substr(dotInName)) out += AsciiUpper(c);
    for (char c : ext) out += AsciiUpper(c);
}

// The extension-list test for an upper-cased extension, as ExtInList makes it
// with no short list: 4 characters or more, found in the list.
bool HasOwnCacheFile(std::string_view upperExt) {
    return upperExt.size() > 3 && std::string_view(ThumbFileExtensions).find(upperExt) != std::string_view::npos;
}

// Extensions that would name the root itself, a sub-folder or a stock file.
bool NeedsOtherFile(std::string_view upperExt) {
    if (upperExt.size() <= 1) return true;
    if (upperExt.size() != 9) return false;
    for (char c : upperExt.substr(1))
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

void CreateFolder(const std::string& path) { ::mkdir(path.c_str(), 0777); }

// Writes the blank file and measures the length of a cell's bitmap image,
// where every cache file of this run has its trailer.
void MeasureRecordOffset() {
    TBitmap blank;
    blank.SetPixelFormat(pf24bit);
    blank.SetSize(ThumbWidth, ThumbHeight);
    for (int y = 0; y < blank.Height(); ++y) std::memset(blank.ScanLine(y), 0xFF, static_cast<size_t>(blank.Width()) * 3);
    const FileRec zero;
    SaveThumbFile(zero.Bytes.data(), blank, ThumbRoot + ThumbBlankFileName);
    KeyStream.Clear();
    blank.SaveToStream(KeyStream);
    ThumbRecOffset = static_cast<int32_t>(KeyStream.Size());
    KeyStream.Clear();
}

}  // namespace

void SetThumbDecodeLimits(TJPEGImage& Jpeg) {
    Jpeg.SetDecodeLimits(32000, 32000, 2 * ThumbDecodeWidth, 2 * ThumbDecodeHeight, 2);
}

void PrepareThumbFolder(TJPEGImage* Jpeg) {
    if (ListingBusy) return;
    std::string& cacheDir = lumv8900::ThumbCacheDir;
    if (!FolderExists(cacheDir)) GetDataFolder(cacheDir);
    ThumbRoot = AddBackslash(cacheDir);
    ForceDirectories(ThumbRoot);
    show8900::ThumbPath = ThumbRoot;

    KeyStream.Clear();
    GetVolumeTag(ExploreDir, VolumeTag);
    StripDrive(AddBackslash(ExploreDir), ThumbKeyFolder);
    ThumbFolderName = ThumbFolderKeyName(VolumeTag, ThumbKeyFolder);
    CreateFolder(ThumbRoot + ThumbFolderName);

    if (Jpeg) SetThumbDecodeLimits(*Jpeg);
    if (ThumbRecOffset == 0) MeasureRecordOffset();
}

std::string ThumbFolderKeyName(std::string_view Tag, std::string_view KeyFolder) {
    TKeyCrc key;
    key.Add(Tag);
    key.EndLine();
    key.AddUpper(KeyFolder);
    key.EndLine();
    return IntToHex(key.Crc(), 8);
}

void ThumbKeyName(uint32_t Crc, uint64_t Length, std::string& Name) {
    Name.clear();
    if (Length <= 32767) {
        Name += IntToHex(Crc, 8);
        Name.append(IntToBase32(static_cast<uint32_t>(Length)), 3, 3);
        Name += ".rec";
    } else {
        Name += IntToHex(static_cast<uint32_t>(Length), 8);
        Name += IntToHex(Crc, 8);
    }
}

void ThumbKeyName(std::string_view Key, std::string& Name) {
    TKeyCrc key;
    key.Add(Key);
    ThumbKeyName(key.Crc(), key.Length(), Name);
}

TThumbFileKind ThumbRecName(std::string_view Tag, std::string_view KeyFolder, const FileRec& Rec, std::string& Name) {
    std::string& ext = Name;  // the extension first, then the name built from it
    UpperExtension(Rec.Name(), Rec.Ext(), ext);
    const bool addLnk = Rec.Ext() == ".LNK" && ext != ".LNK";
    if (addLnk) ext = ".LNK";

    if (HasOwnCacheFile(ext)) {
        TKeyCrc key;
        key.Add(Tag);
        key.EndLine();
        key.AddUpper(KeyFolder);
        key.AddUpper(Rec.Name());
        key.AddUpper(Rec.Ext());
        if (addLnk) key.Add(".LNK");
        key.EndLine();
        key.AddNumberLine(static_cast<int32_t>(Rec.SizeLow()));
        key.AddNumberLine(Rec.FileDate());
        key.AddNumberLine(Rec.TimeMs());
        ThumbKeyName(key.Crc(), key.Length(), Name);
        return TThumbFileKind::PerFile;
    }
    if (NeedsOtherFile(ext))
        Name = ThumbOtherFileName;
    else
        Name.erase(0, 1);
    return TThumbFileKind::Shared;
}

TThumbFile ThumbFileAt(TThumbFileKind Kind, const std::string& Name) {
    if (Kind == TThumbFileKind::PerFile) return {ThumbRoot + ThumbFolderName + "/" + Name, Kind};
    return {ThumbRoot + Name, Kind};
}

TThumbFile ThumbRecFile(const FileRec& Rec) {
    if (!Rec.CacheName().empty()) {
        TThumbFile stored = ThumbFileAt(TThumbFileKind::PerFile, std::string(Rec.CacheName()));
        if (FileHasData(stored.Path)) return stored;
    }
    std::string name;
    const TThumbFileKind kind = ThumbRecName(VolumeTag, ThumbKeyFolder, Rec, name);
    return ThumbFileAt(kind, name);
}

FileRec PictureThumbTrailer(FileRec Base, int32_t Width, int32_t Height) {
    Base.SetWidth(uint16_t(std::clamp(Width, 0, 65535)));
    Base.SetHeight(uint16_t(std::clamp(Height, 0, 65535)));
    Base.SetBitsPerPixel(24);
    return Base;
}

TThumbFile ThumbStockFile(int32_t Position) {
    const int64_t index = Position < 0 ? -static_cast<int64_t>(Position) : Position;
    return {ThumbRoot + IntToHex(static_cast<uint32_t>(index), 8), TThumbFileKind::Stock};
}

}  // namespace lumvor
