// The sizes a slide picture is prepared at before the slide show draws it.
//
// A slide goes through up to three size changes, each a resampled copy made by
// the imaging library:
//   1. the target of the window's aspect mode and, for a slide of a script
//      show, of the slide's panel or zoom (SlideResizeTarget);
//   2. for a script slide, a turn by the slide's rotation (SlideRotation);
//   3. a final fit into the window (SlideFinalFit).
// Plain functions over numbers, so the window's SlideImage and the tests share
// them. All sizes are in pixels; every result is at least 1 x 1.
#pragma once

#include "platform/Graphics.h"

#include <cstdint>

namespace lumvor::slidesize {

// The aspect modes, held in the Tag of the window's mnuAspect item.
inline constexpr int AspectNatural = 1;     // the picture as it is
inline constexpr int AspectFitWidth = 100;  // never wider than the window
inline constexpr int AspectCustom = 8;      // width x the custom factor
inline constexpr int AspectFourThree = 4;   // width = height x 4 / 3
inline constexpr int AspectSixteenNine = 9;  // width = height x 16 / 9, as every other value

// What the first size change depends on.
struct TSlideSizing {
    int Width = 0, Height = 0;              // the picture as loaded
    int WindowWidth = 0, WindowHeight = 0;  // the area the slide is shown in
    int AspectMode = AspectNatural;
    int AspectFactor = 1000;     // the custom factor, in thousandths
    bool AspectChanged = false;  // the user chose the aspect: its result is fitted at once
    bool ScriptSlide = false;    // a slide of a script show (panel, zoom and rotation apply)
    bool ShowRunning = false;
    int PanelWidth = 0, PanelHeight = 0;  // the script slide's panel; 0 = none
    int Zoom = 100;                       // the script slide's zoom in per cent
};

// A size and whether the picture must be resampled to it.
struct TSlideTarget {
    TSize Size;
    bool Resample = false;
};

// The first size change:
// - aspect mode 1 keeps the size; mode 100 scales a picture wider than the
//   window down to the window's width, the height in proportion; mode 8 takes
//   the width x factor / 1000, mode 4 the height x 4 / 3 and any other mode
//   the height x 16 / 9 as the width, the height staying; for these three the
//   result is fitted into the window when AspectChanged is set;
// - a script slide with a panel (both sides non-zero) smaller than the window
//   in both directions is fitted into the panel (enlarged when smaller); a
//   panel as large as the window is ignored and so is the zoom; without a
//   panel a zoom above 0 other than 100 scales the size by zoom / 100;
// - outside a show, with any aspect mode but 100, a result larger than the
//   window is fitted into it.
// Resample is false when the target equals the picture's size: a copy at the
// same size would change nothing but the depth of palette pictures.
TSlideTarget SlideResizeTarget(const TSlideSizing& sizing);

// The last size change: with an aspect mode other than 100, or during a show,
// a picture larger than the window (in either direction) is fitted into it.
// Mode 100 outside a show keeps the height, which the user scrolls.
TSlideTarget SlideFinalFit(int width, int height, int windowWidth, int windowHeight, int aspectMode,
                           bool showRunning);

// width x height reduced with its proportions so that it lies inside the box;
// unchanged when it fits already or the box is empty.
TSize ShrinkIntoBox(int width, int height, int boxWidth, int boxHeight);

// The imaging library's angle for a script slide's rotation Y in degrees
// clockwise: 36000 - 100 x Y hundredths of a degree anticlockwise.
int SlideRotation(int degrees);

// The ImgCopy method for a picture of bitCount bits per pixel: smooth above 3
// bits, the grey reduction (which keeps thin strokes as grey) for 1 to 3 bits.
// Shrinking averages whole source areas, so no intermediate copy is needed to
// keep the quality of large reductions.
int32_t SlideCopyFlags(int bitCount);

}  // namespace lumvor::slidesize
