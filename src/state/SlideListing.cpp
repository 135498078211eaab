#include "state/SlideListing.h"

#include "imaging/OpenPicture.h"
#include "state/ViewerState.h"
#include "imaging/Helpers.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

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

// An extension of at most eight bytes, its dot first, upper-cased (ASCII
// letters only: no listed extension has others) into one number.
uint64_t PackedUpperExtension(std::string_view Ext) {
    uint64_t packed = 0;
    for (size_t i = 0; i < Ext.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(Ext[i]);
        packed |= uint64_t(ch >= 'a' && ch <= 'z' ? ch - ('a' - 'A') : ch) << (8 * i);
    }
    return packed;
}

// Every extension the lists take, packed, in a small open-addressing table
// (an empty slot holds 0, which no extension packs to). The extension test
// finds an extension anywhere in ListableExtensions: each entry and each of
// its beginnings of two letters or more counts, one of two letters only when
// it is also one of the short media types (".AU").
class TListableExtensions {
public:
    TListableExtensions() {
        const std::string_view list(ListableExtensions);
        const std::string_view shortMedia(OpenPicture::ShortMediaList);
        for (size_t at = list.find('.'); at != std::string_view::npos;) {
            const size_t next = list.find('.', at + 1);
            const std::string_view entry = list.substr(at, next == std::string_view::npos ? next : next - at);
            for (size_t length = 3; length <= std::min(entry.size(), sizeof(uint64_t)); ++length) {
                const std::string_view beginning = entry.substr(0, length);
                if (length > 3 || shortMedia.find(beginning) != std::string_view::npos)
                    Add(PackedUpperExtension(beginning));
            }
            at = next;
        }
    }

    bool Holds(uint64_t key) const {
        for (size_t slot = Slot(key);; slot = (slot + 1) % Slots.size()) {
            if (Slots[slot] == key)
                return true;
            if (Slots[slot] == 0)
                return false;
        }
    }

private:
    static size_t Slot(uint64_t key) { return size_t((key * 0x9E3779B97F4A7C15ull) >> 55); }

    void Add(uint64_t key) {
        size_t slot = Slot(key);
        while (Slots[slot] != 0 && Slots[slot] != key)
            slot = (slot + 1) % Slots.size();
        Slots[slot] = key;
    }

    std::array<uint64_t, 512> Slots{};  // a few times the extensions there are, so probes stay short
};

const TListableExtensions& ListableKeys() {
    static const TListableExtensions keys;
    return keys;
}

}  // namespace

bool IsListableFile(const std::string& Name) {
    const size_t dot = Name.find_last_of("./");
    if (dot == std::string::npos || Name[dot] != '.')
        return false;
    return IsListableName(std::string_view(Name).substr(dot));
}

bool IsListableName(std::string_view Name) {
    const size_t dot = Name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = Name.substr(dot);
    if (ext.size() <= 2 || ext.size() > sizeof(uint64_t))
        return false;  // no entry of the lists is that long
    return ListableKeys().Holds(PackedUpperExtension(ext));
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
