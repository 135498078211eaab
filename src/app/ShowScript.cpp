#include "app/ShowScript.h"

#include "platform/SysUtils.h"
#include "platform/Volumes.h"
#include "ui/Pix.h"

#include <cstdlib>

namespace lumvor {

namespace {

// The longest root of Roots that is a leading folder of Path, else the mount
// point of the volume that holds it.
std::string VolumeRootOf(const std::string& Path, const std::vector<std::string>& Roots) {
    std::string best;
    for (const std::string& root : Roots) {
        const std::string folder = IncludeTrailingPathDelimiter(root);
        if (Path.compare(0, folder.size(), folder) == 0 && folder.size() > best.size())
            best = folder;
    }
    return best.empty() ? IncludeTrailingPathDelimiter(MountPointOf(Path)) : best;
}

// Path with its volume root Root (ending in "/") replaced by NewRoot.
std::string UnderRoot(const std::string& Path, const std::string& Root, const std::string& NewRoot) {
    return IncludeTrailingPathDelimiter(NewRoot) + Path.substr(Root.size());
}

bool Inside(const TSize& size, int width, int height) { return size.cx < width && size.cy < height; }

}  // namespace

bool ReadScriptFolders(const TStrings& DirLines, TStrings& Folders) {
    Folders.Clear();
    for (int i = 0; i < DirLines.Count(); ++i) {
        std::string line = DirLines[i];
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            int32_t number = -1;
            if (!TryStrToInt(line.substr(0, equals), number) || number != i)
                return false;
            line = line.substr(equals + 1);
        }
        Folders.Add(line.empty() ? std::string("/") : line);
    }
    return true;
}

std::vector<std::string> MountedVolumeRoots() {
    if (ShowVolumeRoots)
        return ShowVolumeRoots();
    std::vector<std::string> roots;
    for (const TVolumeInfo& volume : DriveList())
        roots.push_back(volume.MountPoint);
    return roots;
}

std::string FindMovedSlide(const std::string& File, const std::string& Script,
                           const std::vector<std::string>& VolumeRoots) {
    const std::string fileRoot = VolumeRootOf(File, VolumeRoots);
    const std::string onScriptVolume = UnderRoot(File, fileRoot, VolumeRootOf(Script, VolumeRoots));
    if (FileExists(onScriptVolume))
        return onScriptVolume;
    const std::string besideScript = ExtractFilePath(Script) + ExtractFileName(File);
    if (FileExists(besideScript))
        return besideScript;
    for (const std::string& root : VolumeRoots) {
        const std::string moved = UnderRoot(File, fileRoot, root);
        if (DirectoryExists(ExtractFilePath(moved)) && FileExists(moved))
            return moved;
    }
    return "";
}

TPoint SlideOffset(int WindowWidth, int WindowHeight, int Width, int Height, int Left, int Top) {
    const bool fitsThere = Left >= 0 && Top >= 0 && Left + Width <= WindowWidth && Top + Height <= WindowHeight;
    if (!fitsThere) {
        Left = std::abs(WindowWidth - Width) / 2;
        Top = std::abs(WindowHeight - Height) / 2;
    }
    return Point(Width < WindowWidth ? Left : 0, Height < WindowHeight ? Top : 0);
}

TRect VideoSlideBounds(const TVideoSlide& Slide) {
    const int W = Slide.Width, H = Slide.Height;
    const int w0 = Slide.NaturalWidth, h0 = Slide.NaturalHeight;
    TSize size{w0, h0};
    if (Slide.Script || Slide.AutoSize || w0 > W || h0 > H)
        FitSizeInBox(w0, h0, W, H, size);
    bool panelUsed = false;
    if (Slide.Script && Slide.PanelWidth != 0 && Slide.PanelHeight != 0 && Slide.PanelWidth < W &&
        Slide.PanelHeight < H) {
        TSize panel{};
        FitSizeInBox(w0, h0, Slide.PanelWidth, Slide.PanelHeight, panel);
        if (Inside(panel, W, H)) {
            size = panel;
            panelUsed = true;
        }
    }
    if (Slide.Script && Slide.Zoom > 0) {
        const TSize zoomed{int(int64_t(size.cx) * Slide.Zoom / 100), int(int64_t(size.cy) * Slide.Zoom / 100)};
        if (!panelUsed && Inside(zoomed, W, H))
            size = zoomed;
    } else {
        for (const int times : {8, 4, 2}) {
            const TSize larger{w0 * times, h0 * times};
            if (Inside(larger, W, H)) {
                size = larger;
                break;
            }
        }
    }
    const TPoint at = SlideOffset(W, H, size.cx, size.cy, Slide.Script ? Slide.Left : -1, Slide.Script ? Slide.Top : -1);
    return Rect(at.X, at.Y, at.X + size.cx, at.Y + size.cy);
}

}  // namespace lumvor
