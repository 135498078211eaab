#include "processing/lab/ChannelPeaks.h"

#include "imaging/HLS.h"
#include "processing/lab/Pixels24.h"

#include <algorithm>

namespace lumvor {

int ChannelTop(const THistogram& Counts) {
    for (int i = 254; i >= 1; --i)
        if (Counts[size_t(i)] >= 5 && Counts[size_t(i)] < Counts[size_t(i - 1)])
            return i;
    return 0;
}

int ChannelPeak(const THistogram& Counts, int Low, int High) {
    int peak = 0;
    int64_t best = 0;
    for (int i = Low; i <= High; ++i) {
        const int64_t sum = int64_t(Counts[size_t(i - 1)]) + Counts[size_t(i)] + Counts[size_t(i + 1)];
        if (sum > best) {
            best = sum;
            peak = i;
        }
    }
    return peak;
}

std::array<int, 3> CentreShifts(const THistogram& Red, const THistogram& Green, const THistogram& Blue) {
    const std::array<const THistogram*, 3> channels{&Red, &Green, &Blue};
    std::array<int, 3> tops{}, shifts{};
    for (size_t c = 0; c < 3; ++c)
        tops[c] = ChannelTop(*channels[c]);
    auto fits = [&] {
        for (size_t c = 0; c < 3; ++c)
            if (shifts[c] + tops[c] > 255)
                return false;
        return true;
    };
    for (int low = 16, high = 240; low < 96; low += 8, high -= 8) {
        std::array<int, 3> peaks{};
        for (size_t c = 0; c < 3; ++c)
            peaks[c] = ChannelPeak(*channels[c], low, high);
        const int highest = *std::max_element(peaks.begin(), peaks.end());
        for (size_t c = 0; c < 3; ++c)
            shifts[c] = highest - peaks[c];
        if (fits())
            break;
    }
    for (size_t c = 0; c < 3; ++c)
        shifts[c] = std::min(shifts[c], 255 - tops[c]);
    return shifts;
}

void WhiteProfileBitmap(TBitmap& Picture) {
    ForEachPixel24(Picture, [](uint8_t* p) {
        THLS hls;
        RGBToHLS(p[2], p[1], p[0], hls);
        if (hls.Saturation >= 901)
            p[0] = p[1] = p[2] = 0;
    });
}

}  // namespace lumvor
