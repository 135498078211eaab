// The desktop's wallpaper on Linux desktops.
//
// Each desktop keeps its wallpaper in its own settings: GNOME and its
// relatives, Cinnamon and MATE in gsettings keys, KDE Plasma in its shell
// (reached through its D-Bus scripting call with gdbus), Xfce in xfconf. The
// desktop is told apart by XDG_CURRENT_DESKTOP. Every command goes through one
// runner, which tests replace.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumvor {

enum class TDesktopKind { Gnome, Cinnamon, Mate, Plasma, Xfce, Unknown };

// The desktop a XDG_CURRENT_DESKTOP value names (a list separated by ":",
// the first known name wins; case is ignored).
TDesktopKind DesktopKindOf(const std::string& CurrentDesktop);
// The desktop of this session.
TDesktopKind CurrentDesktopKind();

struct TDesktopCommand {
    std::string Program;
    std::vector<std::string> Arguments;
    bool operator==(const TDesktopCommand&) const = default;
};

// Runs a command and answers its exit code (-1 when it could not start), its
// standard output in Output. Tests put a recorder here; by default the
// program is started and waited for.
inline std::function<int(const TDesktopCommand& Command, std::string& Output)> RunDesktopCommand;

// The commands that make File (a picture's absolute path; "" clears it) the
// wallpaper of every screen of a desktop; Xfce's properties are listed first
// through the runner. Empty for an unknown desktop.
std::vector<TDesktopCommand> WallpaperCommands(TDesktopKind Desktop, const std::string& File);

// Sets (or with "" clears) the wallpaper of this session's desktop. False when
// the desktop is not known or a command failed.
bool SetDesktopWallpaper(const std::string& File);

}  // namespace lumvor
