#include "album/SlideListing.h"

#include "app/OpenPicture.h"
#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <cstring>

namespace lumvor {

namespace {

// Copies Text into a short string of N bytes (length byte first).
template <size_t N>
void SetShortString(uint8_t (&Field)[N], const std::string& Text) {
    const size_t length = std::min(Text.size(), N - 1);
    std::memset(Field, 0, N);
    Field[0] = uint8_t(length);
    std::memcpy(Field + 1, Text.data(), length);
}

// The system icon of the file's type: shortcuts, programs, icons and cursors
// have their own; every other extension is asked once and kept in ExtIconCache.
int SlideIconIndex(const std::string& Path, const std::string& Ext) {
    if (ExtInList(Ext, ".LNK.EXE.ICO.CUR", ""))
        return SystemIconIndex(Path);
    TStringList& cache = lumv8900::ExtIconCache;
    const int at = cache.IndexOf(Ext);
    if (at >= 0)
        return int(reinterpret_cast<intptr_t>(cache.GetObject(at)));
    const int icon = SystemIconIndex(Path);
    cache.AddObject(Ext, reinterpret_cast<void*>(intptr_t(icon)));
    return icon;
}

}  // namespace

bool IsListableFile(const std::string& Name) {
    // The extension test of ExtInList without building strings: folder lists
    // ask it of every file of a tree.
    const size_t dot = Name.find_last_of("./");
    if (dot == std::string::npos || Name[dot] != '.')
        return false;
    const std::string_view ext(Name.data() + dot, Name.size() - dot);
    char upper[8];
    if (ext.size() <= 2 || ext.size() > sizeof upper)
        return false;  // no entry of the lists is that long
    for (size_t i = 0; i < ext.size(); ++i)
        upper[i] = char(std::toupper(static_cast<unsigned char>(ext[i])));
    const std::string_view key(upper, ext.size());
    if (std::string_view(ListableExtensions).find(key) == std::string_view::npos)
        return false;
    return key.size() != 3 || std::string_view(OpenPicture::ShortMediaList).find(key) != std::string_view::npos;
}

void FillListedSlideRecord(TSlideRec& Rec, const std::string& Path, int64_t Size, int64_t Seconds, int32_t Index,
                           int32_t Kind) {
    std::memset(&Rec, 0, sizeof Rec);
    const std::string ext = UpperCase(ExtractFileExt(Path));
    SetShortString(Rec.FileExt, ext);
    Rec.DimState = 1;
    Rec.IconIndex = uint16_t(SlideIconIndex(Path, ext));
    Rec.NameIndex = Index;
    Rec.FolderIndex = Index;
    Rec.Sequence = Index;
    Rec.Tag = Kind;
    Rec.FileSize = uint32_t(Size);
    PackFileStamp(Seconds, 0, Rec.FileDate, Rec.FileTime);
    Rec.FileCrc = 0xFFFFFFFFu;
    Rec.Wait = 1;
    const auto listed = [&ext](const char* list) { return (std::string(list) + ".").find(ext + ".") != std::string::npos; };
    if (ext.size() >= 2 && listed(SoundSlideExtensions)) {
        Rec.BackColor = -1;
        Rec.Effect = Rec.Gamma = Rec.Zoom = 65535;
        Rec.PosX = Rec.PosY = Rec.PanelW = Rec.PanelH = 65535;
        Rec.Rotate = 65535;
        return;
    }
    const bool picture = ext.size() >= 2 && listed(PictureSlideExtensions);
    Rec.BackColor = -2;
    Rec.Effect = picture ? 0 : 65535;
    Rec.Gamma = picture ? 100 : 65535;
    Rec.Zoom = 100;
    Rec.PosX = Rec.PosY = Rec.PanelW = Rec.PanelH = 65534;
    Rec.Rotate = 0;
}

}  // namespace lumvor
