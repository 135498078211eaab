#include "processing/lab/AutoFix.h"

#include "processing/tonal/Histogram.h"

#include <algorithm>
#include <cmath>

namespace lumvor {

double MidtoneTarget(double Mean, double Deviation) {
    int k = 0;
    while (Mean + Deviation + 2 * k < 255 && Mean - Deviation - 2 * k > 1)
        ++k;
    return Mean + k;
}

double GammaMovedLevel(double Mean, int Gamma) { return 255 * std::exp(std::log(Mean / 255) / (Gamma / 100.0)); }

std::optional<int> MidtoneGamma(double Mean, double Target) {
    // The logarithm of 0 (or of a negative mean) does not exist: no gamma.
    if (!(Mean > 0))
        return std::nullopt;
    int best = AutoGammaFirst;
    double bestDistance = INFINITY;
    for (int gamma = AutoGammaFirst; gamma <= AutoGammaLast; ++gamma) {
        const double distance = std::fabs(GammaMovedLevel(Mean, gamma) - Target);
        if (distance < 2) {
            best = gamma;
            break;
        }
        if (distance < bestDistance) {
            best = gamma;
            bestDistance = distance;
        }
    }
    return std::clamp(best, AutoGammaLow, AutoGammaHigh);
}

std::optional<int> AutoGammaFor(double Mean, double Deviation) {
    return MidtoneGamma(Mean, MidtoneTarget(Mean, Deviation));
}

TMidtoneStats MidtoneStats() {
    return {StatMean(HistSumMax, HistCount), StatDeviation(HistSumMax, HistSumSqMax, HistCount)};
}

int PackedWhiteLuminance(int32_t Packed) {
    const int red = Packed & 0xFF, green = Packed >> 8 & 0xFF, blue = Packed >> 16 & 0xFF;
    return 3 * red / 10 + 6 * green / 10 + blue / 10;
}

}  // namespace lumvor
