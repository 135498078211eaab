// The rows of the 3 x 3 window filters whose sums fit 16 bits: the threshold
// blur and the convolution with an exact multiplier in place of the division.
// Sixteen bytes at a time where the processor has AVX2, else the plain loop;
// the results are the same, bit for bit.
//
// A row works on the bytes q = 0 .. Count - 1 of Out; the three window rows
// Top, Middle and Bottom are read at q - 3, q and q + 3 (the pixel before, the
// pixel itself and the pixel after), so they must hold three bytes more on
// each side. Out (the Middle row's own memory, or another row) is only
// written, and its bytes past Count are left alone. Headless; any thread.
#pragma once

#include <array>
#include <cstdint>

namespace lumvor {

// The multiplier m < 2^16 for which min((sum x m) >> 16, 255) equals
// min(sum div Divisor, 255) for every sum 0 .. MaxSum; 0 when none does
// (Divisor below 2 or MaxSum too large).
uint16_t ExactMultiplier(int Divisor, int MaxSum);

struct TWindowRow {
    const uint8_t* Top = nullptr;
    const uint8_t* Middle = nullptr;
    const uint8_t* Bottom = nullptr;
    uint8_t* Out = nullptr;
    int Count = 0;
};

// Each byte of Out becomes its window's mean, min((sum x Multiplier) >> 16,
// 255), the centre counted CentreWeight (0 or 1) times, where the mean and the
// Middle row's byte differ by more than Threshold (-1 .. 255), else that byte.
struct TBlurSettings {
    uint16_t CentreWeight = 1;
    uint16_t Multiplier = 0;
    int16_t Threshold = 0;
};
void BlurRow(const TWindowRow& Row, const TBlurSettings& Settings);

// Each byte becomes min((max(sum, 0) x Multiplier) >> 16, 255) of its
// weighted window sum; the weights by window column, then row:
// Weights[3 c + r] multiplies row r (0 top) at the pixel c - 1 from q. Every
// sum must fit 16 signed bits.
struct TConvolveSettings {
    std::array<int16_t, 9> Weights{};
    uint16_t Multiplier = 0;
};
void ConvolveRow(const TWindowRow& Row, const TConvolveSettings& Settings);

namespace filter_rows {
// The forms the rows choose between, for the tests.
void BlurRowPortable(const TWindowRow& Row, const TBlurSettings& Settings);
void BlurRowAvx2(const TWindowRow& Row, const TBlurSettings& Settings);
void ConvolveRowPortable(const TWindowRow& Row, const TConvolveSettings& Settings);
void ConvolveRowAvx2(const TWindowRow& Row, const TConvolveSettings& Settings);
}  // namespace filter_rows

}  // namespace lumvor
