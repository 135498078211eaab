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
#include <array>
#include <utility>
#include <vector>
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

// The collator's weights of the printable ASCII characters (equal weights for
// characters it does not tell apart, such as a letter's two cases). They are
// usable when the collator orders every string of two such characters, and
// each character before itself followed by a blank, exactly as the weights
// do: no contraction and no ignorable character then, so two names of these
// characters compare as their weight sequences (a shorter prefix first),
// without a collation key per name.
struct TAsciiWeights {
    bool Usable = false;
    std::array<uint8_t, 128> Weight{};
};

constexpr char kFirstPrintable = 0x20;
constexpr char kLastPrintable = 0x7E;

TAsciiWeights MeasureAsciiWeights() {
    TAsciiWeights table;
    QCollator& collator = CaselessCollator();
    std::vector<char> chars;
    for (char ch = kFirstPrintable; ch <= kLastPrintable; ++ch)
        chars.push_back(ch);
    std::vector<QCollatorSortKey> single;
    for (char ch : chars)
        single.push_back(collator.sortKey(QString(QChar(ch))));
    const QCollatorSortKey empty = collator.sortKey(QString());
    std::vector<size_t> order(chars.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return single[a].compare(single[b]) < 0; });
    uint8_t weight = 1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (single[order[i]].compare(empty) == 0)
            return table;  // an ignorable character
        if (i > 0 && single[order[i]].compare(single[order[i - 1]]) != 0)
            ++weight;
        table.Weight[size_t(chars[order[i]])] = weight;
    }
    // Every pair, in the weights' order, must come out in the collator's.
    std::vector<std::pair<char, char>> pairs;
    for (char a : chars)
        for (char b : chars)
            pairs.emplace_back(a, b);
    const auto w = [&table](char ch) { return table.Weight[size_t(ch)]; };
    std::stable_sort(pairs.begin(), pairs.end(), [&](const auto& x, const auto& y) {
        return w(x.first) != w(y.first) ? w(x.first) < w(y.first) : w(x.second) < w(y.second);
    });
    const auto key = [&collator](std::pair<char, char> p) { return collator.sortKey(QString(QChar(p.first)) + QChar(p.second)); };
    QCollatorSortKey previous = key(pairs.front());
    for (size_t i = 1; i < pairs.size(); ++i) {
        QCollatorSortKey current = key(pairs[i]);
        const bool sameWeights = w(pairs[i].first) == w(pairs[i - 1].first) && w(pairs[i].second) == w(pairs[i - 1].second);
        const int byCollator = previous.compare(current);
        if (sameWeights ? byCollator != 0 : byCollator >= 0)
            return table;
        previous = current;
    }
    for (size_t i = 0; i < chars.size(); ++i)
        if (single[i].compare(collator.sortKey(QString(QChar(chars[i])) + QChar(kFirstPrintable))) >= 0)
            return table;
    table.Usable = true;
    return table;
}

const TAsciiWeights& AsciiWeights() {
    static const TAsciiWeights table = MeasureAsciiWeights();
    return table;
}

bool PrintableAscii(std::string_view Name) {
    return std::all_of(Name.begin(), Name.end(), [](char ch) { return ch >= kFirstPrintable && ch <= kLastPrintable; });
}

// The collator's order of two printable ASCII names through the weights.
int AsciiWeightOrder(const TAsciiWeights& Table, std::string_view A, std::string_view B) {
    const size_t common = std::min(A.size(), B.size());
    for (size_t i = 0; i < common; ++i) {
        const uint8_t a = Table.Weight[size_t(A[i])];
        const uint8_t b = Table.Weight[size_t(B[i])];
        if (a != b)
            return a < b ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : A.size() < B.size() ? -1 : 1;
}

// The weights of a printable ASCII name's first eight characters, the first in
// the highest byte, zero past its end: two names whose prefixes differ compare
// as these numbers do (every weight is at least 1, so a shorter name comes
// first), and only names with equal prefixes need comparing whole.
uint64_t AsciiPrefixKey(const TAsciiWeights& Table, std::string_view Name) {
    uint64_t key = 0;
    const size_t count = std::min<size_t>(Name.size(), 8);
    for (size_t i = 0; i < count; ++i)
        key |= uint64_t(Table.Weight[size_t(Name[i])]) << (56 - 8 * i);
    return key;
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

std::vector<size_t> TreeNameSortOrder(std::span<const std::string_view> Names) {
    std::vector<size_t> order(Names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const TAsciiWeights& table = AsciiWeights();
    if (table.Usable && std::all_of(Names.begin(), Names.end(), PrintableAscii)) {
        std::vector<uint64_t> prefixes(Names.size());
        for (size_t i = 0; i < Names.size(); ++i)
            prefixes[i] = AsciiPrefixKey(table, Names[i]);
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            if (prefixes[a] != prefixes[b])
                return prefixes[a] < prefixes[b];
            const int byWeights = AsciiWeightOrder(table, Names[a], Names[b]);
            return byWeights != 0 ? byWeights < 0 : Names[a] < Names[b];
        });
        return order;
    }
    // One collation key per name, then comparisons of keys only.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(Names.size());
    for (std::string_view name : Names)
        keys.push_back(CaselessCollator().sortKey(QString::fromUtf8(name.data(), qsizetype(name.size()))));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : Names[a] < Names[b];
    });
    return order;
}

std::vector<size_t> TreeNameSortOrder(const std::vector<std::string>& Names) {
    const std::vector<std::string_view> views(Names.begin(), Names.end());
    return TreeNameSortOrder(std::span<const std::string_view>(views));
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
