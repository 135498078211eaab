// Where "&Tile" puts the explorer and the image window: side by side or one
// over the other, on the part of the screen the desktop's panels leave free.
//
// The rectangles are a pure function of the screen, its available part, the
// arrangement and the explorer's width, so they can be checked without a
// screen. Placing the windows is best effort: X11 window managers honour it,
// Wayland compositors place windows themselves.
#pragma once

#include <QRect>

namespace lumvor {

// The four arrangements, in the order of the "&Tile" items.
enum class TTileArrangement {
    ExplorerRight = 0,    // "Viewer left - &Explorer right"
    ExplorerLeft = 1,     // "Explorer left - &Viewer right"
    OverlappedRight = 2,  // "Overlapped &right"
    OverlappedLeft = 3,   // "Overlapped &left"
};

struct TTileInput {
    QRect Screen;     // the whole screen
    QRect Available;  // the screen less the panels (each panel reserves its side)
    TTileArrangement Arrangement = TTileArrangement::ExplorerRight;
    bool IgnoreReserves = false;  // Shift: the windows cover the panels
    bool KeepWidth = false;       // Ctrl: the explorer keeps its width
    int ExplorerWidth = 0;        // the explorer's width now (for KeepWidth)
};

struct TTileRects {
    QRect Explorer;
    QRect Viewer;
};

// The explorer takes a full-height column at the left or the right edge: half
// the width between the reserves, or with KeepWidth its own width, at most
// that width less 160. The image window takes the explorer's own rectangle
// when overlapped, else the rest of the width.
TTileRects TileRects(const TTileInput& Input);

}  // namespace lumvor
