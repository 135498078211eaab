#include "shell/StShellItems.h"

#include "platform/ShellIcons.h"
#include "platform/Volumes.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace lumvor {

namespace fs = std::filesystem;

namespace {

// The shell's numbers, in the order of TStSpecialRootFolder.
constexpr int kCSIDL[] = {29, 26, 10, 30, 25, 31, 23, 22, 24, 3, 33, 0, 16, 17, 6, 20,
                          34, 1,  32, 19, 18, 0,  5,  4,  27, 2, 8,  9, 11, 7, 21};
static_assert(sizeof(kCSIDL) / sizeof(kCSIDL[0]) == sfTemplates + 1);

std::string WithSlash(const QString& path) {
    if (path.isEmpty()) return {};
    return IncludeTrailingPathDelimiter(QDir::cleanPath(path).toStdString());
}

std::string StandardFolder(QStandardPaths::StandardLocation location) {
    return WithSlash(QStandardPaths::writableLocation(location));
}

// The templates folder of the user's XDG folder list ("$HOME/Templates" when the
// list does not name it).
std::string TemplatesFolder() {
    const std::string home = QDir::homePath().toStdString();
    std::ifstream in(StandardFolder(QStandardPaths::GenericConfigLocation) + "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_TEMPLATES_DIR=\"";
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/') return WithSlash(QString::fromStdString(value));
    }
    return IncludeTrailingPathDelimiter(home) + "Templates/";
}

bool IsHiddenName(const std::string& name) { return !name.empty() && name[0] == '.'; }

std::string Trimmed(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The shell's order of two items: folders first, then display names ignoring
// case, then exact names so that the order is total.
int CompareItems(const TStShellItem& a, const TStShellItem& b) {
    if (a.IsFolder != b.IsFolder) return a.IsFolder ? -1 : 1;
    const int byText = CompareText(a.DisplayName, b.DisplayName);
    if (byText != 0) return byText;
    return a.DisplayName.compare(b.DisplayName);
}

}  // namespace

int SpecialFolderCSIDL(TStSpecialRootFolder Folder) { return Folder <= sfTemplates ? kCSIDL[Folder] : 0; }

std::string SpecialFolderPath(TStSpecialRootFolder Folder) {
    std::string path;
    switch (Folder) {
    case sfDesktop:
    case sfDesktopDir: path = StandardFolder(QStandardPaths::DesktopLocation); break;
    case sfPersonal: path = StandardFolder(QStandardPaths::DocumentsLocation); break;
    case sfAppData: path = StandardFolder(QStandardPaths::GenericConfigLocation); break;
    case sfFonts: path = StandardFolder(QStandardPaths::FontsLocation); break;
    case sfPrograms:
    case sfStartMenu: path = StandardFolder(QStandardPaths::ApplicationsLocation); break;
    case sfCommonPrograms:
    case sfCommonStartMenu: path = "/usr/share/applications/"; break;
    case sfStartup: path = StandardFolder(QStandardPaths::GenericConfigLocation) + "autostart/"; break;
    case sfCommonStartup: path = "/etc/xdg/autostart/"; break;
    case sfBitBucket: path = StandardFolder(QStandardPaths::GenericDataLocation) + "Trash/files/"; break;
    case sfTemplates: path = TemplatesFolder(); break;
    default: break;  // no counterpart here
    }
    return !path.empty() && DirectoryExists(path) ? path : std::string();
}

void CheckSpecialFolderVersion(TStSpecialRootFolder Folder, double ShellVersion) {
    const int csidl = SpecialFolderCSIDL(Folder);
    if ((csidl == 1 || (csidl >= 29 && csidl <= 34)) && ShellVersion < 4.7)
        RaiseStError<EStShellError>(StConst::stscShellVersionError);
}

// ---- Items

std::unique_ptr<TStShellItem> TStShellItem::CreateFromPath(const std::string& Path) {
    struct stat st {};
    if (Path.empty() || ::lstat(Path.c_str(), &st) != 0) RaiseStError<EStInvalidFolder>(StConst::stscInvalidFolder);
    auto item = std::make_unique<TStShellItem>();
    item->Fill(Path);
    return item;
}

void TStShellItem::Fill(const std::string& path) {
    Path = Trimmed(path);
    if (Path == MountPointOf(Path)) {
        const std::string label = VolumeLabel(Path);
        DisplayName = label.empty() ? Path : label;
    } else {
        DisplayName = ExtractFileName(Path);
    }
    struct stat st {};
    IsFileSystem = true;
    IsFolder = ::stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    ImageIndex = SystemIconIndex(Path);
    OpenImageIndex = IsFolder ? SystemIconIndex(Path, true) : ImageIndex;
    OverlayIndex = GetIsLink() ? 1 : -1;
}

bool TStShellItem::GetHasPropSheet() const {
    struct stat st {};
    return !IsDesktop && IsFileSystem && ::lstat(Path.c_str(), &st) == 0;
}

bool TStShellItem::GetHasSubFolder() const {
    if (IsDesktop || Path.empty()) return false;
    std::error_code ec;
    for (fs::directory_iterator it(Path, ec), end; !ec && it != end; it.increment(ec)) {
        if (IsHiddenName(it->path().filename().string())) continue;
        std::error_code statError;
        if (it->is_directory(statError)) return true;
    }
    return false;
}

bool TStShellItem::GetIsLink() const {
    if (IsDesktop || Path.empty()) return false;
    struct stat st {};
    if (::lstat(Path.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return true;
    // A Windows shortcut file: ".lnk" with the link header's size field (76).
    if (!S_ISREG(st.st_mode) || !SameText(ExtractFileExt(Path), ".lnk")) return false;
    std::ifstream in(Path, std::ios::binary);
    char head[4] = {};
    return in.read(head, 4) && std::memcmp(head, "L\0\0\0", 4) == 0;
}

TStShellItem* TStShellItemList::GetItem(int Index) const {
    return Index >= 0 && Index < GetCount() ? items_[size_t(Index)].get() : nullptr;
}

// ---- Controller and enumerator

TStCustomShellController::TStCustomShellController(QObject* Owner)
    : TStComponent(Owner), SmallImages(SystemSmallImages()), LargeImages(SystemLargeImages()) {}

TStShellEnumerator::TStShellEnumerator(QObject* Owner)
    : TStCustomShellController(Owner), shellVersion_(ReadShellVersion()) {}

void TStShellEnumerator::SetRootFolder(const std::string& Value) {
    rootFolder_ = Value;
    if (!Value.empty()) {
        specialRootFolder_ = sfNone;
        rootCached_ = false;
    }
}

void TStShellEnumerator::SetSpecialRootFolder(TStSpecialRootFolder Value) {
    CheckSpecialFolderVersion(Value, shellVersion_);
    if (Value == specialRootFolder_) return;
    specialRootFolder_ = Value;
    if (Value != sfNone) rootFolder_.clear();
    rootCached_ = false;
}

void TStShellEnumerator::SetSorted(bool Value) {
    sorted_ = Value;
    if (sorted_) Sort();
}

void TStShellEnumerator::SetSortDirection(TStSortDirection Value) {
    if (Value == sortDirection_) return;
    sortDirection_ = Value;
    if (sorted_) Sort();
}

void TStShellEnumerator::Sort() {
    // Descending swaps the operands of the comparison (folders then come last).
    const bool descending = sortDirection_ == sdDescending;
    std::stable_sort(Items.items_.begin(), Items.items_.end(), [descending](const auto& a, const auto& b) {
        return descending ? CompareItems(*b, *a) < 0 : CompareItems(*a, *b) < 0;
    });
}

void TStShellEnumerator::Enumerate() {
    if (specialRootFolder_ == sfNone && rootFolder_.empty() && !rootCached_) return;
    rootItem_.reset();
    Items.Clear();

    rootItem_ = std::make_unique<TStShellFolder>();
    std::vector<std::string> children;  // full paths
    if (!rootFolder_.empty()) {
        struct stat st {};
        if (::stat(rootFolder_.c_str(), &st) != 0) RaiseStError<EStInvalidFolder>(StConst::stscInvalidFolder);
        rootItem_->Fill(rootFolder_);
    } else {
        rootCached_ = true;
        const std::string path = SpecialFolderPath(specialRootFolder_);
        if (!path.empty()) {
            rootItem_->Fill(path);
        } else if (specialRootFolder_ == sfDrives) {
            rootItem_->DisplayName = "Computer";
            for (const TVolumeInfo& volume : DriveList()) children.push_back(volume.MountPoint);
        }
        rootItem_->IsDesktop = specialRootFolder_ == sfDesktop || specialRootFolder_ == sfNone;
    }

    if (rootItem_->IsFolder) {
        std::error_code ec;
        for (fs::directory_iterator it(rootItem_->Path, ec), end; !ec && it != end; it.increment(ec)) {
            children.push_back(it->path().string());
        }
    }

    for (const std::string& child : children) {
        struct stat st {};
        if (::lstat(child.c_str(), &st) != 0) continue;  // vanished meanwhile
        const bool hidden = IsHiddenName(ExtractFileName(child));
        if (hidden && !(Options & eoIncludeHidden)) continue;
        auto item = std::make_unique<TStShellItem>();
        item->Fill(child);
        if (!(Options & (item->IsFolder ? eoIncludeFolders : eoIncludeNonFolders))) continue;
        bool accept = true;
        if (OnEnumItem) OnEnumItem(this, item.get(), accept);
        item->ItemList = &Items;
        if (accept) Items.Add(std::move(item));
    }
    if (sorted_ && Items.GetCount() > 0) Sort();
}

}  // namespace lumvor
