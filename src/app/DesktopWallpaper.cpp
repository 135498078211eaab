#include "app/DesktopWallpaper.h"

#include "platform/SysUtils.h"

#include <QProcess>
#include <QUrl>

#include <cstdlib>

namespace lumvor {

namespace {

// A text as a GVariant string literal, which gsettings reads as it is.
std::string VariantString(const std::string& text) {
    std::string literal = "'";
    for (char c : text) {
        if (c == '\\' || c == '\'')
            literal += '\\';
        literal += c;
    }
    return literal + "'";
}

std::string FileUri(const std::string& file) {
    return file.empty() ? std::string() : QUrl::fromLocalFile(QString::fromStdString(file)).toString(QUrl::FullyEncoded).toStdString();
}

TDesktopCommand GSettings(const std::string& schema, const std::string& key, const std::string& value) {
    return {"gsettings", {"set", schema, key, VariantString(value)}};
}

// Plasma's script setting the image of every desktop; the URI is fully
// encoded, so it holds no quote or backslash.
TDesktopCommand PlasmaScript(const std::string& file) {
    const std::string script =
        "var all = desktops();"
        "for (var i = 0; i < all.length; i++) {"
        "var d = all[i];"
        "d.wallpaperPlugin = \"org.kde.image\";"
        "d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");"
        "d.writeConfig(\"Image\", \"" + FileUri(file) + "\");"
        "}";
    return {"gdbus",
            {"call", "--session", "--dest", "org.kde.plasmashell", "--object-path", "/PlasmaShell", "--method",
             "org.kde.PlasmaShell.evaluateScript", script}};
}

int Run(const TDesktopCommand& command, std::string& output) {
    if (RunDesktopCommand)
        return RunDesktopCommand(command, output);
    QProcess process;
    QStringList arguments;
    for (const std::string& argument : command.Arguments)
        arguments << QString::fromStdString(argument);
    process.start(QString::fromStdString(command.Program), arguments);
    if (!process.waitForStarted(5000))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    output = process.readAllStandardOutput().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Xfce keeps one "last-image" property per monitor and workspace.
std::vector<TDesktopCommand> XfceCommands(const std::string& file) {
    std::string listing;
    std::vector<TDesktopCommand> commands;
    if (Run({"xfconf-query", {"-c", "xfce4-desktop", "-l"}}, listing) != 0)
        return commands;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos)
            end = listing.size();
        const std::string property = Trim(listing.substr(start, end - start));
        const std::string suffix = "/last-image";
        if (property.size() > suffix.size() && property.compare(property.size() - suffix.size(), suffix.size(), suffix) == 0)
            commands.push_back({"xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-s", file}});
        start = end + 1;
    }
    return commands;
}

}  // namespace

TDesktopKind DesktopKindOf(const std::string& CurrentDesktop) {
    size_t start = 0;
    while (start <= CurrentDesktop.size()) {
        size_t end = CurrentDesktop.find(':', start);
        if (end == std::string::npos)
            end = CurrentDesktop.size();
        const std::string name = UpperCase(Trim(CurrentDesktop.substr(start, end - start)));
        if (name == "GNOME" || name == "UNITY" || name == "BUDGIE" || name == "PANTHEON")
            return TDesktopKind::Gnome;
        if (name == "X-CINNAMON" || name == "CINNAMON")
            return TDesktopKind::Cinnamon;
        if (name == "MATE")
            return TDesktopKind::Mate;
        if (name == "KDE")
            return TDesktopKind::Plasma;
        if (name == "XFCE")
            return TDesktopKind::Xfce;
        start = end + 1;
    }
    return TDesktopKind::Unknown;
}

TDesktopKind CurrentDesktopKind() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return DesktopKindOf(desktop ? desktop : "");
}

std::vector<TDesktopCommand> WallpaperCommands(TDesktopKind Desktop, const std::string& File) {
    switch (Desktop) {
    case TDesktopKind::Gnome:
        return {GSettings("org.gnome.desktop.background", "picture-uri", FileUri(File)),
                GSettings("org.gnome.desktop.background", "picture-uri-dark", FileUri(File))};
    case TDesktopKind::Cinnamon:
        return {GSettings("org.cinnamon.desktop.background", "picture-uri", FileUri(File))};
    case TDesktopKind::Mate:
        return {GSettings("org.mate.background", "picture-filename", File)};
    case TDesktopKind::Plasma:
        return {PlasmaScript(File)};
    case TDesktopKind::Xfce:
        return XfceCommands(File);
    case TDesktopKind::Unknown:
        break;
    }
    return {};
}

bool SetDesktopWallpaper(const std::string& File) {
    const std::vector<TDesktopCommand> commands = WallpaperCommands(CurrentDesktopKind(), File);
    bool done = !commands.empty();
    for (const TDesktopCommand& command : commands) {
        std::string output;
        if (Run(command, output) != 0)
            done = false;
    }
    return done;
}

}  // namespace lumvor
