#include "app/FileAssociations.h"

#include "platform/SysUtils.h"
#include "ui/FormParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace lumvor {

namespace {

constexpr const char* kOwnTypePrefix = "application/x-lumvor-";
constexpr const char* kDefaultSection = "[Default Applications]";

std::string DataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
}

std::string ConfigHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
}

// Writes a text file whole through a temporary file; false when it failed
// (the old file then stays).
bool WriteText(const std::string& file, const std::string& text) {
    QDir().mkpath(QFileInfo(Q(file)).absolutePath());
    QSaveFile out(Q(file));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(text.data(), qint64(text.size()));
    return out.commit();
}

std::vector<std::string> ReadLines(const std::string& file) {
    QFile in(Q(file));
    std::vector<std::string> lines;
    if (!in.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : in.readAll().split('\n'))
        lines.push_back(line.trimmed().toStdString());
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Joined(const std::vector<std::string>& parts, char separator) {
    std::string text;
    for (const std::string& part : parts)
        text += part + separator;
    return text;
}

void AddUnique(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

// ---- mimeapps.list

// The file's lines with the [Default Applications] section's keys as a
// changeable map; every other line is kept as it was.
class TMimeAppsList {
public:
    TMimeAppsList() : lines_(ReadLines(MimeAppsListFile())) {}

    std::vector<std::string> Defaults(const std::string& type) const {
        const int line = KeyLine(type);
        return line < 0 ? std::vector<std::string>{} : Split(lines_[line].substr(type.size() + 1), ';');
    }

    void Set(const std::string& type, const std::vector<std::string>& ids) {
        const int line = KeyLine(type);
        if (ids.empty()) {
            if (line >= 0)
                lines_.erase(lines_.begin() + line);
            return;
        }
        const std::string text = type + "=" + Joined(ids, ';');
        if (line >= 0) {
            lines_[line] = text;
            return;
        }
        const int section = SectionLine();
        if (section < 0) {
            if (!lines_.empty())
                lines_.push_back("");
            lines_.push_back(kDefaultSection);
            lines_.push_back(text);
        } else {
            lines_.insert(lines_.begin() + section + 1, text);
        }
    }

    bool Save() const { return WriteText(MimeAppsListFile(), Joined(lines_, '\n')); }

private:
    int SectionLine() const {
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i] == kDefaultSection)
                return int(i);
        return -1;
    }
    int KeyLine(const std::string& type) const {
        const int section = SectionLine();
        if (section < 0)
            return -1;
        for (size_t i = section + 1; i < lines_.size() && (lines_[i].empty() || lines_[i][0] != '['); ++i)
            if (lines_[i].compare(0, type.size() + 1, type + "=") == 0)
                return int(i);
        return -1;
    }

    std::vector<std::string> lines_;
};

// ---- Desktop files

// A value of a desktop file's key from the file's [Desktop Entry] section.
std::string DesktopValue(const std::string& file, const std::string& key) {
    for (const std::string& line : ReadLines(file))
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    return "";
}

// A text as a desktop file's string value (backslashes doubled, line breaks escaped).
std::string DesktopString(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string DesktopEntry(const std::string& name, const std::string& comment, const std::string& exec,
                         const std::string& icon, const std::vector<std::string>& types, bool hidden) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=" + DesktopString(name) + "\n";
    if (!comment.empty())
        text += "Comment=" + DesktopString(comment) + "\n";
    text += "Exec=" + exec + "\n";
    if (!icon.empty())
        text += "Icon=" + icon + "\n";
    text += "Terminal=false\n";
    if (hidden)
        text += "NoDisplay=true\n";
    else
        text += "Categories=Graphics;Viewer;2DGraphics;RasterGraphics;\n";
    text += "MimeType=" + Joined(types, ';') + "\n";
    return text;
}

// The program's icon in the user's icon theme, so that "Icon=lumvor" finds it.
void InstallProgramIcon() {
    const QString target = Q(DataHome() + "/icons/hicolor/scalable/apps/lumvor.svg");
    if (QFileInfo::exists(target))
        return;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::copy(":/icons/lumvor.svg", target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

// ---- Own types

std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Declares the program's own type of every listed extension the shared
// database does not know, and has the database rebuilt.
bool DeclareOwnTypes() {
    std::string types;
    std::vector<std::string> done;
    for (const std::string& entry : AssociationEntries())
        for (const std::string& extension : AssociationExtensions(entry)) {
            const std::string type = AssociationMimeType(extension);
            if (type.rfind(kOwnTypePrefix, 0) != 0 || std::find(done.begin(), done.end(), type) != done.end())
                continue;
            done.push_back(type);
            types += "  <mime-type type=\"" + XmlText(type) + "\">\n"
                     "    <comment>" + XmlText(entry.substr(entry.find('(') + 1, entry.rfind(')') - entry.find('(') - 1)) +
                     "</comment>\n"
                     "    <glob pattern=\"*" + XmlText(extension) + "\"/>\n"
                     "  </mime-type>\n";
        }
    const std::string package = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
                                types + "</mime-info>\n";
    if (!WriteText(MimePackageFile(), package))
        return false;
    return QProcess::execute("update-mime-database", {Q(DataHome() + "/mime")}) == 0;
}

// The desktop files' folders the desktop searches, the user's first.
std::vector<std::string> ApplicationsFolders() {
    std::vector<std::string> folders;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        folders.push_back(QDir::cleanPath(folder).toStdString());
    return folders;
}

}  // namespace

const std::vector<std::string>& AssociationEntries() {
    static const std::vector<std::string> entries{
        ".AVL (Vo Slideshow)",       ".BMP and .DIB (Windows Bitmaps)",  ".DCX (Intel DCX Fax)",
        ".FPX (Kodak FlashPix)",      ".JPG (JPEG images)",               ".PCD (Kodak Photo-CD)",
        ".PCX (ZSoft Paintbrush)",    ".PNG (Portable Network Graphics)", ".PSD (Adobe Photoshop)",
        ".TGA (Targa Truevision)",    ".TIF (Tagged Image File Format)",  ".WMF and .EMF (Windows MetaFile)"};
    return entries;
}

std::vector<std::string> AssociationExtensions(const std::string& Entry) {
    const std::string own = UpperCase(Entry.substr(0, 4));
    std::vector<std::string> extensions{LowerCase(own)};
    if (own == ".BMP")
        extensions.push_back(".dib");
    else if (own == ".JPG")
        extensions.insert(extensions.end(), {".jpe", ".jpeg"});
    else if (own == ".TIF")
        extensions.push_back(".tiff");
    else if (own == ".WMF" || own == ".EMF")
        AddUnique(extensions, ".emf");
    return extensions;
}

std::string AssociationMimeType(const std::string& Extension) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile("x" + Q(Extension), QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault())
        return type.name().toStdString();
    return kOwnTypePrefix + LowerCase(Extension.substr(Extension.rfind('.') + 1));
}

std::vector<std::string> AssociationMimeTypes(const std::vector<std::string>& Entries) {
    std::vector<std::string> types;
    for (const std::string& entry : Entries)
        for (const std::string& extension : AssociationExtensions(entry))
            AddUnique(types, AssociationMimeType(extension));
    return types;
}

std::string AssociationTypeName(const std::string& Entry) { return UpperCase(Entry.substr(1, 3)) + " file"; }

std::string UserApplicationsFolder() { return DataHome() + "/applications"; }
std::string MimeAppsListFile() { return ConfigHome() + "/mimeapps.list"; }
std::string MimePackageFile() { return DataHome() + "/mime/packages/lumvor.xml"; }

std::vector<std::string> DefaultApplications(const std::string& MimeType) { return TMimeAppsList().Defaults(MimeType); }

bool SetDefaultApplication(const std::vector<std::string>& MimeTypes, const std::string& DesktopId) {
    TMimeAppsList list;
    for (const std::string& type : MimeTypes)
        list.Set(type, {DesktopId});
    return list.Save();
}

bool RemoveDefaultApplication(const std::vector<std::string>& MimeTypes, const std::string& DesktopId) {
    TMimeAppsList list;
    for (const std::string& type : MimeTypes) {
        std::vector<std::string> ids = list.Defaults(type);
        ids.erase(std::remove(ids.begin(), ids.end(), DesktopId), ids.end());
        list.Set(type, ids);
    }
    return list.Save();
}

std::string DesktopExecLine(const std::string& Program) {
    // Reserved characters force quoting; inside quotes four characters take a backslash.
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string path;
    for (char c : Program)
        path += c == '%' ? std::string("%%") : std::string(1, c);
    if (path.find_first_of(reserved) != std::string::npos) {
        std::string quoted = "\"";
        for (char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        path = quoted + "\"";
    }
    return DesktopString(path) + " %f";
}

bool AssociateLumvor(const std::vector<std::string>& Entries, const std::string& ProgramPath) {
    const std::string file = UserApplicationsFolder() + "/" + kLumvorDesktopId;
    // Types associated before stay listed: their defaults may still name the program.
    std::vector<std::string> types = Split(DesktopValue(file, "MimeType"), ';');
    const std::vector<std::string> kept = AssociationMimeTypes(Entries);
    for (const std::string& type : kept)
        AddUnique(types, type);
    InstallProgramIcon();
    if (!WriteText(file, DesktopEntry("Lumvor", "Browse, view and edit pictures", DesktopExecLine(ProgramPath),
                                      "lumvor", types, false)))
        return false;
    const bool declared = DeclareOwnTypes();
    return SetDefaultApplication(kept, kLumvorDesktopId) && declared;
}

std::string DesktopIdForChoice(const std::string& Chosen, const std::vector<std::string>& MimeTypes) {
    const QFileInfo chosen(Q(Chosen));
    if (chosen.suffix() == "desktop") {
        const std::string folder = QDir::cleanPath(chosen.absolutePath()).toStdString();
        const std::vector<std::string> known = ApplicationsFolders();
        const std::string id = chosen.fileName().toStdString();
        if (std::find(known.begin(), known.end(), folder) != known.end())
            return id;
        // Outside every applications folder the desktop would not find it.
        const std::string copy = UserApplicationsFolder() + "/" + id;
        QDir().mkpath(Q(UserApplicationsFolder()));
        QFile::remove(Q(copy));
        return QFile::copy(chosen.absoluteFilePath(), Q(copy)) ? id : std::string();
    }
    const std::string name = chosen.completeBaseName().toStdString();
    std::string safeName;
    for (char c : name)
        safeName += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    const std::string id = "lumvor-open-" + safeName + ".desktop";
    const std::string text =
        DesktopEntry(name, "", DesktopExecLine(chosen.absoluteFilePath().toStdString()), "", MimeTypes, true);
    return WriteText(UserApplicationsFolder() + "/" + id, text) ? id : std::string();
}

}  // namespace lumvor
