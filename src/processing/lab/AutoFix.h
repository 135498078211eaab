// The measuring rules of the one-click fixes: the mid-tone target and the
// gamma that moves the mid-tone mean onto it, the white colour's luminance,
// and the stretch methods of the automatic equalisation.
//
// The statistics come from the shared histogram (Histogram.h) that the caller
// computed; nothing here touches a picture. Headless, pure functions.
#pragma once

#include <cstdint>
#include <optional>

namespace lumvor {

// The gamma search runs over these gammas in hundredths (0.25 to 5.00) ...
inline constexpr int AutoGammaFirst = 25;
inline constexpr int AutoGammaLast = 500;
// ... and its result is then held inside these (the fix never darkens).
inline constexpr int AutoGammaLow = 100;
inline constexpr int AutoGammaHigh = 500;

// The level the mid-tone mean should reach: k := 0; while Mean + Deviation +
// 2k < 255 and Mean - Deviation - 2k > 1, k := k + 1; then Mean + k.
double MidtoneTarget(double Mean, double Deviation);

// The level to which a mean moves under a gamma of Gamma hundredths:
// 255 x exp(ln(Mean / 255) / (Gamma / 100)). Mean must be above 0.
double GammaMovedLevel(double Mean, int Gamma);

// The gamma in hundredths that moves Mean onto Target: the first gamma of
// 25..500 whose level lands within 2 of the target, else the one whose level
// comes closest (the first of equals); then held inside 100..500. None when
// Mean is 0 or below (its logarithm does not exist).
std::optional<int> MidtoneGamma(double Mean, double Target);

// The gamma of the automatic gamma and flash fixes for the mid-tone
// statistics: MidtoneGamma towards MidtoneTarget.
std::optional<int> AutoGammaFor(double Mean, double Deviation);

// The mid-tone mean and standard deviation of the last CalcMidtones.
struct TMidtoneStats {
    double Mean = 0;
    double Deviation = 0;
};
TMidtoneStats MidtoneStats();

// The luminance of a packed white colour (red in bits 0..7, green 8..15,
// blue 16..23): (3 R) div 10 + (6 G) div 10 + B div 10.
int PackedWhiteLuminance(int32_t Packed);

// How the automatic equalisation stretches the picture's occupied range.
enum class TEqualizeMethod : int {
    Contrast = 130,    // all three channels through the colour maps
    Lighting = 133,    // the HLS lightness
    Saturation = 135,  // the HLS saturation
};

}  // namespace lumvor
