// The view tools' mouse cursors, drawn by the program: 1 "Hand", 3 "Select",
// 4 "Target", 5 "ZoomRegion" (zoom in), 6 "ZoomDn" (zoom out). Each is a
// 32 x 32 picture in black with a white rim, so it shows on dark and light
// pictures alike, with its hot spot where the tool acts.
#pragma once

#include <QCursor>

#include "platform/Forms.h"

namespace lumvor {

inline constexpr TCursor HandCursor = 1;
inline constexpr TCursor SelectCursor = 3;
inline constexpr TCursor TargetCursor = 4;
inline constexpr TCursor ZoomRegionCursor = 5;
inline constexpr TCursor ZoomDnCursor = 6;

// The cursor of one of the numbers above; the arrow for any other.
QCursor ToolCursor(TCursor Index);
// Registers the five cursors with the screen under their numbers.
void RegisterToolCursors();

}  // namespace lumvor
