// The shell verbs of the explorer's items: copy and cut put files on the
// desktop's clipboard, paste copies or moves the clipboard's files into a
// folder, and properties opens the properties dialog (ShellProperties.h).
//
// Files travel on the clipboard as file managers exchange them: "text/uri-list"
// with "x-special/gnome-copied-files" ("copy" or "cut", then one file: URL a
// line). Paste goes through the file-operation engine (platform/FileOps.h): a
// name that is taken gets a free one ("name (2).ext"), nothing is ever
// replaced, and a move that fails leaves its source where it was. GUI thread
// only.
#pragma once

#include "platform/FileOps.h"

#include <string>
#include <vector>

class QWidget;

namespace lumvor {

// The verbs by their numbers.
enum TShellVerb : int { svCopy = 0, svCut = 1, svPaste = 2, svProperties = 3 };

// Runs verb Verb on the item at Path: copy and cut put it on the clipboard,
// paste puts the clipboard's files into the item's folder (the item itself when
// it is a folder), properties shows its properties dialog. False when the verb
// is unknown, the item does not exist or the verb failed.
bool InvokeShellVerb(const std::string& Path, int Verb, QWidget* Owner = nullptr);

// Copy and cut of several items at once.
void PutFilesOnClipboard(const std::vector<std::string>& Paths, bool Cut);

// The files of the clipboard, and whether they were cut.
struct TClipboardFiles {
    std::vector<std::string> Paths;
    bool Cut = false;
};
TClipboardFiles ClipboardFiles();

// Copies (or, when they were cut, moves) the clipboard's files into Folder. A
// cut file that is in Folder already stays as it is; after a whole move the
// clipboard is emptied, as its files are elsewhere now. A failure shows the error and ends
// the paste. Done and Targets of the result say what went where.
TFileOpResult PasteClipboardFiles(const std::string& Folder);

}  // namespace lumvor
