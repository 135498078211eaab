#include "platform/HtmlHelp.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>

namespace lumvor {

QUrl HelpPageUrl(const std::string& helpFile, long context) {
    const QString help = QString::fromStdString(helpFile);
    const QFileInfo info(help);
    if (help.isEmpty() || !info.exists())
        return QUrl();
    if (!info.isDir())
        return QUrl::fromLocalFile(info.absoluteFilePath());
    if (context > 0) {
        const QFileInfo page(help + "/" + QString::number(context) + ".html");
        if (page.isFile())
            return QUrl::fromLocalFile(page.absoluteFilePath());
    }
    const QFileInfo index(help + "/index.html");
    return index.isFile() ? QUrl::fromLocalFile(index.absoluteFilePath()) : QUrl();
}

bool ShowHelp(const std::string& helpFile, long context) {
    const QUrl page = HelpPageUrl(helpFile, context);
    if (page.isEmpty())
        return false;
    return OpenHelpPage ? OpenHelpPage(page) : QDesktopServices::openUrl(page);
}

}  // namespace lumvor
