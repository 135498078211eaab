// The help viewer: opens a page of the program's help in the desktop's browser.
//
// The help is not shipped with the program. When it is installed, the help
// "file" is either a folder of HTML pages, in which the page of a context number
// N is "N.html" (the folder's "index.html" when there is no such page or N is
// 0), or a single document that is opened as it is.
#pragma once

#include <QUrl>

#include <functional>
#include <string>

namespace lumvor {

// Opens the help at a context number (0 or below: its first page). False when
// the help is not installed or the desktop could not open the page.
bool ShowHelp(const std::string& helpFile, long context);

// The page ShowHelp would open; empty when the help is not installed.
QUrl HelpPageUrl(const std::string& helpFile, long context);

// How pages are opened: QDesktopServices by default; tests put a recorder here.
inline std::function<bool(const QUrl&)> OpenHelpPage;

}  // namespace lumvor
