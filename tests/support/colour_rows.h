// Rows of 24-bit colours for the tests of the row loops that have a vector
// form: every one of the 2^24 colours goes through them a row at a time.
#pragma once

#include <cstdint>

namespace lumvor::test {

// The pixels of one row of colours: 2^24 colours are 4096 such rows.
inline constexpr int kColourRowPixels = 4096;

// A 24-bit colour as blue, green, red bytes.
inline void PutColour(uint8_t* Pixel, uint32_t Colour) {
    Pixel[0] = uint8_t(Colour);
    Pixel[1] = uint8_t(Colour >> 8);
    Pixel[2] = uint8_t(Colour >> 16);
}

}  // namespace lumvor::test
