#include "platform/ShellIcons.h"

#include "platform/Volumes.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <sys/stat.h>

#include <map>
#include <vector>

namespace lumvor {

namespace {

std::map<std::string, int>& IconKeys() {
    static std::map<std::string, int> keys;
    return keys;
}

// The icons by index, beside the two lists of fixed sizes.
std::vector<QIcon>& Icons() {
    static std::vector<QIcon> icons;
    return icons;
}

int AddIcon(const std::string& key, const QIcon& icon) {
    auto& keys = IconKeys();
    if (auto it = keys.find(key); it != keys.end()) return it->second;
    const int index = SystemSmallImages().Add(icon.pixmap(16, 16));
    SystemLargeImages().Add(icon.pixmap(32, 32));
    Icons().resize(size_t(index) + 1);
    Icons()[size_t(index)] = icon;
    keys[key] = index;
    return index;
}

}  // namespace

TImageList& SystemSmallImages() {
    static TImageList list(16, 16);
    return list;
}

TImageList& SystemLargeImages() {
    static TImageList list(32, 32);
    return list;
}

int SystemIconIndex(const std::string& path, bool open) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
    static const QFileIconProvider provider;
    const QString name = QString::fromStdString(path);
    if (S_ISDIR(st.st_mode)) {
        std::string trimmed = path;
        while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
        if (MountPointOf(trimmed) == trimmed) return AddIcon("volume", provider.icon(QFileIconProvider::Drive));
        const QIcon folder = provider.icon(QFileIconProvider::Folder);
        return open ? AddIcon("folder-open", QIcon::fromTheme("folder-open", folder)) : AddIcon("folder", folder);
    }
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return AddIcon(type.name().toStdString(), provider.icon(QFileInfo(name)));
}

QIcon SystemIcon(int index) {
    return index >= 0 && size_t(index) < Icons().size() ? Icons()[size_t(index)] : QIcon();
}

}  // namespace lumvor
