// The program's own icons: small SVG pictures in the resources under
// ":/icons/", one per tool bar and side bar button and one for the window.
// Where a freedesktop icon name fits, the desktop's icon theme is asked first
// and ours stands in when the theme has none.
#pragma once

#include <QIcon>

#include <string>

namespace lumvor {

// The icon of a button by its picture's name ("open", "zoomin", ...); null for
// a name the resources do not hold.
QIcon ProgramIcon(const std::string& Name);
// The freedesktop name tried first for a picture, "" when none fits.
std::string ThemeIconName(const std::string& Name);

}  // namespace lumvor
