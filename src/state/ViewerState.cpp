#include "state/ViewerState.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "platform/Folders.h"
#include "platform/SysUtils.h"

namespace lumvor {

const std::string& lumv8900::EnsureRecentPath() {
    if (RecentPath.empty())
        RecentPath = IncludeTrailingPathDelimiter(AppDir.empty() ? ProgramFolder() : AppDir) + "recent";
    QDir().mkpath(QString::fromStdString(RecentPath));
    return RecentPath;
}

bool lumv8900::OpenWithDesktop(const std::string& Path) {
    if (ShellOpenDocument)
        return ShellOpenDocument(Path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(Path)));
}

}  // namespace lumvor
