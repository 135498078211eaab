#include "platform/Folders.h"

#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace lumvor {

namespace {

std::string LumvorHome() {
    const char* home = std::getenv("LUMVOR_HOME");
    return home && *home ? std::string(home) : std::string();
}

// A folder we may keep private files in: a real directory (not a link), ours,
// closed to everybody else.
bool IsPrivateFolder(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string ProgramFolder() {
    std::string folder = LumvorHome();
    if (folder.empty()) {
        QString data = QDir::homePath() + "/.local/share/Lumvor";
        folder = data.toStdString();
    }
    QDir().mkpath(QString::fromStdString(folder));
    return IncludeTrailingPathDelimiter(folder);
}

std::string RuntimeFolder() {
    std::string home = LumvorHome();
    std::string folder;
    if (!home.empty())
        folder = IncludeTrailingPathDelimiter(home) + "run";
    else
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
    if (folder.empty())
        return TempFolder();
    QDir().mkpath(QString::fromStdString(folder));
    return IncludeTrailingPathDelimiter(folder);
}

std::string TempFolder() {
    std::string home = LumvorHome();
    if (!home.empty()) {
        std::string folder = IncludeTrailingPathDelimiter(home) + "tmp";
        QDir().mkpath(QString::fromStdString(folder));
        return IncludeTrailingPathDelimiter(folder);
    }
    // A shared temp folder: anybody may have created our folder name first, so
    // only a private folder of ours is used; otherwise a fresh one is made.
    static std::mutex mutex;
    static std::string fallback;
    std::lock_guard lock(mutex);
    if (!fallback.empty() && IsPrivateFolder(fallback))
        return IncludeTrailingPathDelimiter(fallback);
    std::string base = QDir::tempPath().toStdString();
    std::string folder = base + "/lumvor-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    if (IsPrivateFolder(folder))
        return IncludeTrailingPathDelimiter(folder);
    std::string pattern = folder + "-XXXXXX";
    if (mkdtemp(pattern.data())) {
        fallback = pattern;
        return IncludeTrailingPathDelimiter(fallback);
    }
    return IncludeTrailingPathDelimiter(base);
}

std::string ExeFileName() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath().toStdString();
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    return std::string(buf, static_cast<size_t>(n));
}

std::string HomeFolder() {
    const QString home = QDir::homePath();
    if (home.isEmpty() || !QDir(home).exists() || home == "/")
        return "/";
    return home.toStdString() + "/";
}

std::string ExeFolder() {
    return ExtractFilePath(ExeFileName());
}

}  // namespace lumvor
