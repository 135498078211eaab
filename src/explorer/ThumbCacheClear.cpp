#include "explorer/ThumbCacheClear.h"

#include "explorer/ThumbFiles.h"
#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"
#include "platform/SysUtils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace lumvor {

namespace {

constexpr std::string_view OldScratchEnd = ".lumvor-tmp";
constexpr std::string_view ScratchMark = ".lumvor-";
constexpr std::string_view ScratchEnd = ".part";

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool IsBase32Digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllOf(std::string_view text, bool (*test)(char)) { return std::all_of(text.begin(), text.end(), test); }

// The cache name whose interrupted write left Name behind; "" when Name is no
// scratch file.
std::string_view ScratchBase(std::string_view Name) {
    if (Name.size() > OldScratchEnd.size() && Name.ends_with(OldScratchEnd))
        return Name.substr(0, Name.size() - OldScratchEnd.size());
    if (Name.size() < 2 || Name[0] != '.' || !Name.ends_with(ScratchEnd)) return {};
    const size_t mark = Name.rfind(ScratchMark);
    if (mark == std::string_view::npos || mark < 2) return {};
    const std::string_view tail =
        Name.substr(mark + ScratchMark.size(), Name.size() - mark - ScratchMark.size() - ScratchEnd.size());
    const size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == tail.size()) return {};
    if (!AllOf(tail.substr(0, dash), IsDigit) || !AllOf(tail.substr(dash + 1), IsDigit)) return {};
    return Name.substr(1, mark - 1);
}

// A name the cache gives a shared per-extension file: an upper-cased
// extension without its dot.
bool IsExtensionFileName(std::string_view Name) {
    return !Name.empty() && Name.find('.') == std::string_view::npos &&
           std::none_of(Name.begin(), Name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool IsFixedRootFileName(std::string_view Name) {
    return Name == ThumbBlankFileName || Name == ThumbOtherFileName || Name == "00000001" || Name == "00000002" ||
           Name == "00000003" || Name == "00000004";
}

struct TEntry {
    std::string Name;
    mode_t Mode = 0;
};

// The folder's entries, links not followed.
std::vector<TEntry> FolderEntries(const std::string& Folder) {
    std::vector<TEntry> entries;
    DIR* dir = ::opendir(Folder.c_str());
    if (!dir) return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        entries.push_back({name, st.st_mode});
    }
    ::closedir(dir);
    return entries;
}

bool RemoveFile(const std::string& Path) { return ::unlink(Path.c_str()) == 0; }

int ClearSubFolder(const std::string& Folder) {
    int removed = 0;
    for (const TEntry& entry : FolderEntries(Folder)) {
        if (!S_ISREG(entry.Mode)) continue;
        const std::string_view scratch = ScratchBase(entry.Name);
        if (IsThumbSubFolderFileName(entry.Name) || (!scratch.empty() && IsThumbSubFolderFileName(scratch)))
            removed += RemoveFile(Folder + entry.Name) ? 1 : 0;
    }
    if (::rmdir(Folder.c_str()) == 0) ++removed;
    return removed;
}

bool IsOwnedRootFile(const std::string& Root, const std::string& Name) {
    if (IsFixedRootFileName(Name)) return true;
    const std::string_view scratch = ScratchBase(Name);
    if (!scratch.empty()) return IsFixedRootFileName(scratch) || IsExtensionFileName(scratch);
    return IsExtensionFileName(Name) && !IsThumbSubFolderName(Name) &&
           ThumbFilePresent(TThumbFile{Root + Name, TThumbFileKind::Shared}, FileRec());
}

}  // namespace

bool IsThumbSubFolderFileName(std::string_view Name) {
    if (Name.size() == 16) return AllOf(Name, IsUpperHex);
    return Name.size() == 15 && Name.ends_with(".rec") && AllOf(Name.substr(0, 8), IsUpperHex) &&
           AllOf(Name.substr(8, 3), IsBase32Digit);
}

bool IsThumbSubFolderName(std::string_view Name) { return Name.size() == 8 && AllOf(Name, IsUpperHex); }

int ClearThumbCache(const std::string& Root) {
    const std::string root = IncludeTrailingPathDelimiter(Root);
    int removed = 0;
    for (const TEntry& entry : FolderEntries(root)) {
        if (S_ISDIR(entry.Mode) && IsThumbSubFolderName(entry.Name))
            removed += ClearSubFolder(root + entry.Name + "/");
        else if (S_ISREG(entry.Mode) && IsOwnedRootFile(root, entry.Name))
            removed += RemoveFile(root + entry.Name) ? 1 : 0;
    }
    return removed;
}

}  // namespace lumvor
