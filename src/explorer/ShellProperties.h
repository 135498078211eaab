// The properties dialog of one file or folder: where it is, its type, its size
// (with the files and folders a folder holds), its dates and its permissions.
//
// The explorer's property commands, the thumbnail cache's "Info" and the folder
// tree's "Properties" all open it through ShowShellProperties. A folder's
// totals are counted on a worker thread while the dialog shows; closing the
// dialog stops the count. GUI thread only, except CountFolder.
#pragma once

#include <QDateTime>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace lumvor {

// What the dialog shows of a path, read once (a folder's totals apart).
struct TPathProperties {
    std::string Path;         // as given, without a trailing "/" (a root keeps it)
    std::string Name;         // the last name of the path; the path itself for "/"
    std::string Location;     // the folder that holds it, with a trailing "/"
    std::string TypeText;     // "JPEG image (image/jpeg)"
    std::string LinkTarget;   // a symbolic link's target as stored; else ""
    bool IsFolder = false;
    int64_t Size = 0;         // bytes of a file; a folder's come from CountFolder
    QDateTime Created;        // invalid when the file system does not keep it
    QDateTime Modified;
    QDateTime Accessed;
    std::string Permissions;  // "-rw-r--r-- (644)"
    std::string Owner;        // "user, group"
};

// Reads the properties of an existing path (a symbolic link is described as
// itself, with its target); false when nothing is at Path.
bool ReadPathProperties(const std::string& Path, TPathProperties& Properties);

// A folder's content: every file (symbolic links included, not followed) and
// every folder below it, on the folder's own volume; volumes mounted inside are
// not entered. Folders that cannot be read count themselves only.
struct TFolderTotals {
    int64_t Bytes = 0;
    int64_t Files = 0;
    int64_t Folders = 0;
};

// Counts Folder's content. Runs on any thread; stops early when Cancel becomes
// true, and calls Progress (when given) with the totals so far every few
// thousand entries.
TFolderTotals CountFolder(const std::string& Folder, const std::atomic<bool>& Cancel,
                          const std::function<void(const TFolderTotals&)>& Progress = {});

// "1.5 KB (1,536 bytes)"; "0 bytes" for nothing.
std::string PropertiesSizeText(int64_t Bytes);
// "12 Files, 3 Folders".
std::string PropertiesContentText(const TFolderTotals& Totals);

// Shows the properties dialog of Path (a trailing "/" is ignored) modally;
// false, with no dialog, when nothing is at Path.
bool ShowShellProperties(const std::string& Path, QWidget* Owner = nullptr);

}  // namespace lumvor
