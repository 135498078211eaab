// The slide show's script rules that need no window: the folder directory of
// a script, the search for a slide file that moved, and where a video slide
// goes in the window.
#pragma once

#include "platform/Classes.h"
#include "platform/Graphics.h"

#include <functional>
#include <string>
#include <vector>

namespace lumvor {

// Fills Folders from the decoded "[Directory]" lines: line i is "i=folder" or
// just a folder; an empty folder is the root folder "/". False when a line's
// number before its "=" is not i.
bool ReadScriptFolders(const TStrings& DirLines, TStrings& Folders);

// The mount points of the mounted volumes, in a stable order. Tests put their
// own list here; empty: the real drive list.
inline std::function<std::vector<std::string>()> ShowVolumeRoots;
std::vector<std::string> MountedVolumeRoots();

// Where the slide file File, missing, is now: File with its volume root
// replaced by the script's volume root; the script's own folder with File's
// name; File's path under each mounted volume root, there only when its
// folder exists. "" when none exists.
std::string FindMovedSlide(const std::string& File, const std::string& Script,
                           const std::vector<std::string>& VolumeRoots);

// How far a Width x Height slide moves into a WindowWidth x WindowHeight
// window: a script slide's position (Left, Top both 0 or more) when the
// slide fits there, else centred; each axis moves only where the slide is
// smaller than the window.
TPoint SlideOffset(int WindowWidth, int WindowHeight, int Width, int Height, int Left, int Top);

// A video slide's place in a Width x Height window.
struct TVideoSlide {
    int Width = 0, Height = 0;               // the window's client area
    int NaturalWidth = 0, NaturalHeight = 0;  // the video's own size
    bool AutoSize = false;                   // the "Auto size video" option
    bool Script = false;                     // a slide of a script show
    int PanelWidth = 0, PanelHeight = 0;     // the slide's panel (0: none)
    int Zoom = 100;                          // the slide's zoom in per cent
    int Left = -1, Top = -1;                 // the slide's position (-1: centred)
};
TRect VideoSlideBounds(const TVideoSlide& Slide);

}  // namespace lumvor
