// Transition effects of the imaging library: the new picture is drawn over
// what a surface holds, inside an area, in steps.
//
// Effect codes and variants (the transition record's bytes 0 and 1):
//   1-4    wipe from right, left, bottom, top
//   5-8    curtains out vertical, in vertical, out horizontal, in horizontal
//   18-21  blinds from right, left, bottom, top
//          variant (motion mode): 0 the new picture scrolls in and pushes the
//          old one out; 1 the old picture is pulled away over the new one,
//          which stays in place; 2 the new picture scrolls in over the old one,
//          which stays; 3 the new picture is uncovered in place. Variants
//          above 3 count modulo 4.
//   9      mosaic: blocks of the new picture appear in random order; variant 3
//          (random lines) takes the block's width from the parameter's low word
//          and its height from the high word, other variants square blocks of
//          the low word
//   10-13  tiles from right, left, bottom, top: square tiles (low word) appear
//          in a ragged front that sweeps from that side; the high word is not used
//   14     blur intro: the old picture fades into a blurred new one, which then
//          comes into focus
//   16, 17 implode, explode: variant 4 rectangle, 5 rounded rectangle,
//          6 ellipse. Explode uncovers the new picture inside a shape that
//          grows from the centre; implode keeps the old picture inside a shape
//          that shrinks into the centre
//   32, 33 random horizontal, vertical lines (mosaic of whole lines)
// Any other code draws the new picture at once, in one step.
//
// Granularity g (byte 2; 0 counts as 1) and parameter (low word w, high word h):
//   wipes, curtains   each moving edge advances g x w pixels per step (w >= 1)
//   blinds            slats of h pixels (w when h is 0) across the motion; each
//                     slat's edge advances w pixels per step (1 when h is 0)
//   mosaics, tiles    g blocks per step
//   blur intro        g steps
//   implode, explode  4 x g / w steps
// Every effect has at most 256 steps and at least 8 (fewer only when there
// are fewer pixels or blocks to uncover); the last step shows the whole new
// picture. The pause between steps is the caller's (see ImgDrawImageFX).
//
// A step redraws only what changes in it (the strips, blocks, slats or shape
// rings that move), except the blur intro and the motion modes 0 to 2, which
// move whole pictures. Mode 3 of wipes, curtains and blinds, the tiles,
// mosaics and random lines, implode and explode show in every step only old
// and new pixels, each at its own place.
//
// Surfaces of 24 and 32 bits per pixel. GUI thread only.
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <cstdint>
#include <memory>

namespace lumvor::imgman {

// One transition in progress.
class TImgTransition {
public:
    virtual ~TImgTransition() = default;
    int StepCount() const { return steps_; }
    // Draws step k (1 .. StepCount) after step k - 1; answers the changed
    // rectangle in surface coordinates (empty when nothing changed).
    virtual TRect Step(int k) = 0;
    // Shows the whole new picture at once; answers the area.
    TRect Finish();

protected:
    TImgTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels);
    // Copies `count` pixels of row `row` of a layer from column `from` to the
    // surface's area at (x, y) (area coordinates).
    void CopyPixels(const TPixelBuffer& layer, int from, int row, int x, int y, int count);
    // Copies the rectangle (area coordinates) of a layer to the same place.
    void CopyBlock(const TPixelBuffer& layer, const TRect& r);
    // The rectangle in area coordinates as surface coordinates.
    TRect ToSurface(const TRect& r) const;

    TPixelBuffer& surface_;
    TRect area_;
    int bytesPerPixel_;
    TPixelBuffer old_;  // the area as it was
    TPixelBuffer new_;  // the new picture for the area
    int steps_ = 1;
};

// The transition for an effect. `surface` is a 24- or 32-bit picture; `area`
// lies inside it and is not empty; `newPixels` has the surface's depth and the
// area's size. The area's present pixels are the old picture.
std::unique_ptr<TImgTransition> MakeTransition(TPixelBuffer& surface, const TRect& area, TPixelBuffer newPixels,
                                               int effect, int variant, int parameter, int granularity);

}  // namespace lumvor::imgman
