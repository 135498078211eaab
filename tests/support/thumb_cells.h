// A thumbnail cell for the cache tests: 168 x 126 pixels of 24 bits with a
// pattern in every channel, so a row or channel out of place shows.
#pragma once

#include "platform/Graphics.h"

#include <cstdint>

namespace lumvor::test {

inline void FillThumbCell(TBitmap& cell, int seed) {
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(168, 126);
    for (int y = 0; y < 126; ++y) {
        uint8_t* row = cell.ScanLine(y);
        for (int x = 0; x < 168 * 3; ++x) row[x] = static_cast<uint8_t>(x * 3 + y * 7 + seed);
    }
}

}  // namespace lumvor::test
