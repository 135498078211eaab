#include "explorer/TileLayout.h"

#include <algorithm>

namespace lumvor {

TTileRects TileRects(const TTileInput& Input) {
    const QRect& screen = Input.Screen;
    // The reserves of the four sides; a panel lies along one of them.
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!Input.IgnoreReserves && Input.Available.isValid()) {
        left = std::max(Input.Available.left() - screen.left(), 0);
        top = std::max(Input.Available.top() - screen.top(), 0);
        right = std::max(screen.right() - Input.Available.right(), 0);
        bottom = std::max(screen.bottom() - Input.Available.bottom(), 0);
    }
    const int usableWidth = screen.width() - left - right;
    const int height = screen.height() - top - bottom;
    int width = usableWidth / 2;
    if (Input.KeepWidth) width = std::max(std::min(Input.ExplorerWidth, usableWidth - 160), 0);

    const bool overlapped = Input.Arrangement == TTileArrangement::OverlappedRight ||
                            Input.Arrangement == TTileArrangement::OverlappedLeft;
    const bool explorerLeft = Input.Arrangement == TTileArrangement::ExplorerLeft ||
                              Input.Arrangement == TTileArrangement::OverlappedLeft;
    const int x0 = screen.left() + left;
    const int y0 = screen.top() + top;

    TTileRects rects;
    rects.Explorer = QRect(explorerLeft ? x0 : x0 + usableWidth - width, y0, width, height);
    if (overlapped) {
        rects.Viewer = rects.Explorer;
    } else {
        const int viewerWidth = Input.KeepWidth ? usableWidth - width : width;
        rects.Viewer = QRect(explorerLeft ? x0 + width : x0, y0, viewerWidth, height);
    }
    return rects;
}

}  // namespace lumvor
