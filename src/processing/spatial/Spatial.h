// The neighbourhood filters of the image routines, on 24-bit pictures shown in
// a picture control (the viewer picture or a dialog's preview).
#pragma once

namespace lumvor {

class TPix;

// Blurs the picture with the 3 x 3 kernel 1 b 1 / b c b / 1 b 1, where b is
// Amount div 25 limited to 1..12 and c the smallest weight not below b x b
// with c x 100 div (4 x b) >= Amount.
void DeFocus(TPix* Pix, int Amount);

// Edge-preserving 5 x 5 smoothing: a pixel whose lightness (0..3600) differs
// from its window mean's by less than Threshold moves towards the mean by
// Amount / 255.
void SharpGaussianBlur5x5(TPix* Pix, int Threshold, int Amount);

}  // namespace lumvor
