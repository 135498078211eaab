#include "processing/lab/Conform.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/lab/TonalComposites.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumvor {

namespace {

struct TChannelSums {
    int64_t Sum = 0;
    int64_t SumSq = 0;
};

TChannelSums SumsOf(int Channel) {
    switch (Channel) {
        case 0: return {HistSumR, HistSumSqR};
        case 1: return {HistSumG, HistSumSqG};
        case 2: return {HistSumB, HistSumSqB};
        case NormalizeLightness: return {HistSumLum, HistSumSqLum};
        case NormalizeSaturation: return {HistSumSat, HistSumSqSat};
        default: return {HistSumB, HistSumSqB};
    }
}

TColorMap& NormalizeMapOf(int Channel) { return Channel < 0 ? GreenMap : ChannelMap(Channel); }

int LimitTarget(int32_t Value) { return std::clamp<int32_t>(Value, 1, 255); }

void FillChannelMap(int Channel, double TargetMean, double TargetDeviation) {
    const TChannelSums sums = SumsOf(Channel);
    FillNormalizeMap(NormalizeMapOf(Channel), StatMean(sums.Sum, HistCount),
                     StatDeviation(sums.Sum, sums.SumSq, HistCount), TargetMean, TargetDeviation);
}

}  // namespace

TConformData ConformDataFromHistogram() {
    TConformData data;
    const int channels[5] = {0, 1, 2, NormalizeLightness, NormalizeSaturation};
    for (int k = 0; k < 5; ++k) {
        const TRoundedStats stats = NormalizeChannelStats(channels[k]);
        data.Values[k] = stats.Mean;
        data.Values[5 + k] = stats.Deviation;
    }
    return data;
}

TRoundedStats NormalizeChannelStats(int Channel) {
    const TChannelSums sums = SumsOf(Channel);
    return RoundedStats(sums.Sum, sums.SumSq, HistCount);
}

void FillNormalizeMap(TColorMap& Map, double Mean, double Deviation, double TargetMean, double TargetDeviation) {
    const long double spread = Deviation == 0 ? 1.0L : static_cast<long double>(Deviation);
    for (int i = 1; i < 256; ++i) {
        const long double v = (i - static_cast<long double>(Mean)) / spread * TargetDeviation + TargetMean;
        Map[i] = static_cast<uint8_t>(std::clamp<long double>(v, 0, 255));
    }
    Map[0] = 0;
}

void NormalizeBitmap(TBitmap& Picture, int Channel, int32_t TargetMean, int32_t TargetDeviation) {
    Require24Bit(Picture);
    ResetMaps();
    FillChannelMap(Channel, LimitTarget(TargetMean), LimitTarget(TargetDeviation));
    if (Channel == NormalizeLightness)
        LuminanceFilterBitmap(Picture);
    else if (Channel == NormalizeSaturation)
        SaturationFilterBitmap(Picture);
    else
        ColorFilterBitmap(Picture);
}

void NormalizeRGBBitmap(TBitmap& Picture, const TConformData& Data) {
    Require24Bit(Picture);
    ResetMaps();
    for (int channel = 0; channel < 3; ++channel)
        FillChannelMap(channel, Data.Mean(channel), Data.Deviation(channel));
    ColorFilterBitmap(Picture);
}

void NormalizeToBrightestBitmap(TBitmap& Picture) {
    const TRoundedStats stats = RoundedStats(HistSumMax, HistSumSqMax, HistCount);
    for (int channel = 0; channel < 3; ++channel)
        NormalizeBitmap(Picture, channel, stats.Mean, stats.Deviation);
}

TNormalizeTarget OptimizeBitmap(TBitmap& Picture) {
    TNormalizeTarget target;
    for (int channel = 0; channel < 3; ++channel) {
        const TChannelSums sums = SumsOf(channel);
        HistSumMax = sums.Sum;
        HistSumSqMax = sums.SumSq;
        const double mean = StatMean(sums.Sum, HistCount);
        const double spread = StatDeviation(sums.Sum, sums.SumSq, HistCount);
        double shift = 0;
        int widen = 0;
        // Each pass widens the reach by at least 1, so the loop ends within 256 passes.
        for (;;) {
            const double reach = shift + spread + widen;
            if (mean + reach >= 255 || mean - reach <= 1)
                break;
            shift = widen * 0.5;
            ++widen;
        }
        target = {int32_t(std::nearbyint(mean + shift)), int32_t(std::nearbyint(spread + widen))};
        NormalizeBitmap(Picture, channel, target.Mean, target.Deviation);
    }
    return target;
}

namespace {

int NextGamma(int Gamma, bool Darker) { return Darker ? Gamma - (Gamma >> 2) : Gamma + (Gamma >> 2); }

bool GammaInRange(int Gamma) { return Gamma > 25 && Gamma < 250; }

int MidtoneMean(const TBitmap& Picture) {
    ResetMaps();
    CalcMidtones(Picture);
    return int(std::trunc(StatMean(HistSumMax, HistCount)));
}

void ApplyBalanceGamma(TBitmap& Picture, int Gamma) {
    SetGammaLUT(Gamma, 1, false);
    BalanceGammaFilterBitmap(Picture);
}

std::array<int, 3> RoundedMeans(const TBitmap& Picture) {
    ResetMaps();
    CalcHistogram(Picture, false, true, false);
    const int64_t sums[3] = {HistSumR, HistSumG, HistSumB};
    std::array<int, 3> means{};
    for (int k = 0; k < 3; ++k)
        means[k] = int(std::nearbyint(StatMean(sums[k], HistCount)));
    return means;
}

void ApplyChannelGammas(TBitmap& Picture, const std::array<int, 3>& Gammas) {
    for (int k = 0; k < 3; ++k)
        SetGammaLUT(Gammas[k], k, false);
    ColorFilterBitmap(Picture);
}

}  // namespace

void ConformGammaBitmap(TBitmap& Picture, int32_t Target, const TGammaPassLog& Log) {
    Require24Bit(Picture);
    if (LabEmpty(Picture))
        return;
    TBitmap original;
    original.Assign(&Picture);
    const int target = LimitTarget(Target);
    int mean = MidtoneMean(Picture);
    int gamma = target > mean ? 150 : 75;
    ApplyBalanceGamma(Picture, gamma);
    mean = MidtoneMean(Picture);
    if (Log)
        Log({gamma, gamma, gamma}, {mean, mean, mean});
    while (std::abs(mean - target) > 2 && GammaInRange(gamma)) {
        Picture.Assign(&original);
        gamma = NextGamma(gamma, target < mean);
        ApplyBalanceGamma(Picture, gamma);
        mean = MidtoneMean(Picture);
        if (Log)
            Log({gamma, gamma, gamma}, {mean, mean, mean});
    }
}

void ConformGammaRGBBitmap(TBitmap& Picture, std::array<int32_t, 3> Targets, const TGammaPassLog& Log) {
    Require24Bit(Picture);
    if (LabEmpty(Picture))
        return;
    TBitmap original;
    original.Assign(&Picture);
    for (int32_t& target : Targets)
        target = LimitTarget(target);
    std::array<int, 3> means = RoundedMeans(Picture);
    std::array<int, 3> gammas{};
    for (int k = 0; k < 3; ++k)
        gammas[k] = means[k] < Targets[k] ? 150 : 75;
    ApplyChannelGammas(Picture, gammas);
    means = RoundedMeans(Picture);
    if (Log)
        Log(gammas, means);
    std::array<bool, 3> finished{};
    for (;;) {
        for (int k = 0; k < 3; ++k) {
            if (finished[k])
                continue;
            if (std::abs(means[k] - Targets[k]) > 2 && GammaInRange(gammas[k]))
                gammas[k] = NextGamma(gammas[k], means[k] > Targets[k]);
            else
                finished[k] = true;
        }
        if (finished[0] && finished[1] && finished[2])
            return;
        Picture.Assign(&original);
        ApplyChannelGammas(Picture, gammas);
        means = RoundedMeans(Picture);
        if (Log)
            Log(gammas, means);
    }
}

void BalanceGammaFilterBitmap(TBitmap& Picture) {
    ForEachPixel24(Picture, [](uint8_t* pixel) {
        const int y = MaskLuminance(pixel[2], pixel[1], pixel[0]);
        for (int k = 0; k < 3; ++k)
            pixel[k] = uint8_t(std::min(255, LabBlend(pixel[k], GreenMap[pixel[k]], y, 255)));
    });
}

void BalanceFilterBitmap(TBitmap& Picture) {
    ForEachPixel24(Picture, [](uint8_t* pixel) {
        int r = RedLUT[pixel[2]], g = GreenLUT[pixel[1]], b = BlueLUT[pixel[0]];
        const int brightest = std::max({r, g, b});
        if (brightest != 0) {
            r = std::min(255, r * 255 / brightest);
            g = std::min(255, g * 255 / brightest);
            b = std::min(255, b * 255 / brightest);
        }
        THLS hls;
        RGBToHLS(r, g, b, hls);
        TRGBTriple balanced;
        HLSToRGB(hls.Hue, hls.Lightness, hls.Saturation, balanced);
        const int y = MaskLuminance(pixel[2], pixel[1], pixel[0]);
        const int mixed[3] = {balanced.Blue, balanced.Green, balanced.Red};
        for (int k = 0; k < 3; ++k)
            pixel[k] = uint8_t(std::clamp(y * mixed[k] / 255 + pixel[k] * (255 - y) / 255, 0, 255));
    });
}

void HardLimitBitmap(TBitmap& Picture, int Method, int32_t Black, int32_t Pivot, int32_t White) {
    Require24Bit(Picture);
    ResetMaps();
    const auto eachSelected = [Method](auto setter) {
        for (int channel = 0; channel < 3; ++channel)
            if (Method == 400 || Method == 401 + channel || Method < 400 || Method > 403)
                setter(channel);
    };
    if (Pivot - Black > 3) {
        eachSelected([&](int channel) { SetLoRemap(Black, Pivot, channel); });
        ColorFilterBitmap(Picture);
    }
    if (White - Pivot > 3) {
        eachSelected([&](int channel) { SetHiRemap(White, Pivot, channel); });
        ColorFilterBitmap(Picture);
    }
}

void SetParametricEqMaps(int Centre, int Width, int Gain, int Channel) {
    SetEqLUT(Centre, Width, 0, 0);
    for (int k = 0; k < 3; ++k)
        if (Channel == 3 || Channel == k)
            SetEqLUT(Centre, Width, Gain, k);
}

}  // namespace lumvor
