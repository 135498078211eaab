#include "explorer/FolderTree.h"

#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <numeric>

namespace lumvor {

namespace {

QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QCollator& CaselessCollator() {
    static QCollator collator = [] {
        QCollator c(CollationLocale());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

struct TDirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

// Opens a folder for reading its entries; Parent is -1 for an absolute path.
TDirHandle OpenFolder(int parent, const char* name, int extraFlags = 0) {
    const int fd = ::openat(parent < 0 ? AT_FDCWD : parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | extraFlags);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return TDirHandle(dir);
}

bool IsDotEntry(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// Whether an entry of an open folder is a folder, or (FollowLinks) a link to one.
bool EntryIsFolder(int folder, const dirent& entry, bool followLinks) {
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type == DT_LNK && !followLinks)
        return false;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    struct stat info {};
    return ::fstatat(folder, entry.d_name, &info, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

// The probe: stops at the first folder or link to a folder.
bool ProbeSubFolders(DIR* dir) {
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsDotEntry(entry->d_name) && EntryIsFolder(fd, *entry, true))
            return true;
    }
    return false;
}

bool ProbeChild(int parent, const char* name) {
    TDirHandle dir = OpenFolder(parent, name, O_NOFOLLOW);
    if (!dir)
        return errno == EACCES;
    return ProbeSubFolders(dir.get());
}

}  // namespace

bool ReadSubFolders(const std::string& Folder, std::vector<TSubFolder>& Out) {
    Out.clear();
    TDirHandle dir = OpenFolder(-1, Folder.c_str());
    if (!dir)
        return false;
    if (FolderTree::OnFolderRead)
        FolderTree::OnFolderRead(Folder);
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (IsDotEntry(entry->d_name) || !EntryIsFolder(fd, *entry, false))
            continue;
        struct stat info {};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode))
            continue;
        TSubFolder sub;
        sub.Name = entry->d_name;
        int32_t timeMs = 0;
        PackFileStamp(info.st_mtim.tv_sec, info.st_mtim.tv_nsec, sub.Date, timeMs);
        sub.HasSubFolders = ProbeChild(fd, entry->d_name);
        Out.push_back(std::move(sub));
    }
    std::vector<std::string> names;
    names.reserve(Out.size());
    for (const TSubFolder& sub : Out)
        names.push_back(sub.Name);
    std::vector<TSubFolder> sorted;
    sorted.reserve(Out.size());
    for (size_t at : TreeNameSortOrder(names))
        sorted.push_back(std::move(Out[at]));
    Out = std::move(sorted);
    return true;
}

std::vector<size_t> TreeNameSortOrder(const std::vector<std::string>& Names) {
    // One collation key per name, then comparisons of keys only.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(Names.size());
    for (const std::string& name : Names)
        keys.push_back(CaselessCollator().sortKey(ToQString(name)));
    std::vector<size_t> order(Names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : Names[a] < Names[b];
    });
    return order;
}

bool FolderHasSubFolders(const std::string& Folder) {
    TDirHandle dir = OpenFolder(-1, Folder.c_str());
    if (!dir)
        return errno == EACCES;
    return ProbeSubFolders(dir.get());
}

int TreeNameOrder(const std::string& A, const std::string& B) {
    const int byCollation = CaselessCollator().compare(ToQString(A), ToQString(B));
    if (byCollation != 0)
        return byCollation;
    return A.compare(B);
}

std::vector<int> TreeSortOrder(const std::vector<TTreeSortEntry>& Entries, TTreeSortKey Key) {
    const bool byDate = Key == TTreeSortKey::DateAscending || Key == TTreeSortKey::DateDescending;
    const bool descending = Key == TTreeSortKey::NameDescending || Key == TTreeSortKey::DateDescending;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(Entries.size());
    for (const TTreeSortEntry& entry : Entries) {
        const std::string text = byDate                      ? IntToHex(uint32_t(entry.Data), 8)
                                 : Key == TTreeSortKey::Family ? FamilyKey(entry.Text)
                                                               : entry.Text;
        keys.push_back(CaselessCollator().sortKey(ToQString(text)));
    }
    std::vector<int> order(Entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        int result = keys[size_t(a)].compare(keys[size_t(b)]);
        // Names differing only in case keep one fixed order both ways.
        if (result == 0 && !byDate && Key != TTreeSortKey::Family)
            result = Entries[size_t(a)].Text.compare(Entries[size_t(b)].Text);
        return descending ? result > 0 : result < 0;
    });
    return order;
}

int MatchChildName(const std::vector<std::string>& Names, const std::string& Name) {
    const auto exact = std::find(Names.begin(), Names.end(), Name);
    if (exact != Names.end())
        return int(exact - Names.begin());
    const QString wanted = ToQString(Name);
    for (size_t i = 0; i < Names.size(); ++i)
        if (ToQString(Names[i]).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

std::vector<std::string> FolderNames(const std::string& Path) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at < Path.size()) {
        size_t slash = Path.find('/', at);
        if (slash == std::string::npos)
            slash = Path.size();
        if (slash > at)
            names.emplace_back(Path.substr(at, slash - at));
        at = slash + 1;
    }
    return names;
}

bool HasIllegalNameCharacters(const std::string& Name) {
    return Name.find_first_of(IllegalNameCharacters) != std::string::npos;
}

}  // namespace lumvor
