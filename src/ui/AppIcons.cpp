#include "ui/AppIcons.h"

#include <QFile>

#include <map>

namespace lumvor {

std::string ThemeIconName(const std::string& Name) {
    static const std::map<std::string, std::string> names = {
        {"open", "document-open"},
        {"save", "document-save"},
        {"copy", "edit-copy"},
        {"trash", "user-trash"},
        {"info", "dialog-information"},
        {"print", "document-print"},
        {"fit", "zoom-fit-best"},
        {"fullscreen", "view-fullscreen"},
        {"run", "media-playback-start"},
        {"zoomout", "zoom-out"},
        {"zoomin", "zoom-in"},
        {"bookmarks", "user-bookmarks"},
        {"previous", "go-previous"},
        {"next", "go-next"},
        {"undo", "edit-undo"},
        {"rotate", "object-rotate-right"},
        {"rotateccw", "object-rotate-left"},
        {"mirrorvert", "object-flip-vertical"},
        {"mirrorhorz", "object-flip-horizontal"},
    };
    const auto found = names.find(Name);
    return found == names.end() ? std::string() : found->second;
}

QIcon ProgramIcon(const std::string& Name) {
    const QString file = QString(":/icons/%1.svg").arg(QString::fromStdString(Name));
    if (!QFile::exists(file))
        return QIcon();
    const QIcon own(file);
    const std::string theme = ThemeIconName(Name);
    return theme.empty() ? own : QIcon::fromTheme(QString::fromStdString(theme), own);
}

}  // namespace lumvor
