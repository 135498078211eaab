#include "explorer/ShellVerbs.h"

#include "explorer/ShellProperties.h"
#include "platform/SysUtils.h"
#include "ui/DragDrop.h"
#include "ui/voMsgBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <sys/stat.h>

namespace lumvor {

namespace {

const QString kCopiedFilesType = QStringLiteral("x-special/gnome-copied-files");

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string PasteFolder(const std::string& path) {
    if (DirectoryExists(path))
        return IncludeTrailingPathDelimiter(path);
    return ExtractFilePath(ExcludeTrailingPathDelimiter(path));
}

}  // namespace

void PutFilesOnClipboard(const std::vector<std::string>& Paths, bool Cut) {
    QByteArray copied = Cut ? "cut" : "copy";
    for (const std::string& path : Paths)
        copied += "\n" + QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded();
    auto* data = new QMimeData;
    data->setData(UriListMimeType, UriListOf(Paths));
    data->setData(kCopiedFilesType, copied);
    QGuiApplication::clipboard()->setMimeData(data);
}

TClipboardFiles ClipboardFiles() {
    TClipboardFiles files;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return files;
    files.Paths = DroppedFileNames(data);
    const QByteArray copied = data->data(kCopiedFilesType);
    files.Cut = copied.startsWith("cut\n") || copied == "cut";
    return files;
}

TFileOpResult PasteClipboardFiles(const std::string& Folder) {
    const TClipboardFiles clipboard = ClipboardFiles();
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    std::vector<std::string> sources;
    for (const std::string& path : clipboard.Paths) {
        const std::string source = ExcludeTrailingPathDelimiter(path);
        if (source.empty() || !Exists(source))
            continue;
        // A cut file already in the folder has arrived.
        if (clipboard.Cut && ExtractFilePath(source) == folder)
            continue;
        sources.push_back(source);
    }
    TFileOpResult result;
    if (sources.empty())
        return result;
    result = RunFileOperation(clipboard.Cut ? foMove : foCopy, sources, {folder},
                              fofRenameOnCollision | fofNoConfirmMkdir | fofSilent);
    if (!result.Succeeded && !result.Aborted) {
        std::string text = result.Error;
        if (!result.Done.empty())
            text += "\n\n" + std::to_string(result.Done.size()) + " of " + std::to_string(sources.size()) +
                    " items were done before the failure.";
        voMessageDlg("", "Error", text, mtError, mbOKOnly, mbOK, 0);
    }
    if (clipboard.Cut && result.Succeeded)
        QGuiApplication::clipboard()->clear();
    return result;
}

bool InvokeShellVerb(const std::string& Path, int Verb, QWidget* Owner) {
    const std::string path = Path == "/" ? Path : ExcludeTrailingPathDelimiter(Path);
    if (path.empty() || !Exists(path))
        return false;
    switch (Verb) {
    case svCopy:
    case svCut:
        PutFilesOnClipboard({path}, Verb == svCut);
        return true;
    case svPaste:
        return PasteClipboardFiles(PasteFolder(path)).Succeeded;
    case svProperties:
        return ShowShellProperties(path, Owner);
    default:
        return false;
    }
}

}  // namespace lumvor
