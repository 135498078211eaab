#include "processing/lab/ExposureFixes.h"

#include "processing/lab/Conform.h"
#include "processing/script/LabState.h"

namespace lumvor {

THistRange SuggestedExposureLevels() { return OccupiedRange(HistLum, LuminanceScan); }

void MapRGBBitmap(TBitmap& Picture, int32_t MeanOffset, int32_t SpreadOffset) {
    for (int channel = 0; channel < 3; ++channel) {
        const TRoundedStats stats = ChannelStats(channel);
        NormalizeBitmap(Picture, channel, stats.Mean + MeanOffset, stats.Deviation + SpreadOffset);
    }
}

std::string MaskedExposureLine(int32_t Method, const TExposureValues& v) {
    const int32_t a = RemapMeanOffset(v.C1), b = RemapSpreadOffset(v.C2);
    switch (Method) {
    case 105: return LabLine("GAMMA_SUPPRESS_EX", {v.C3, v.C1});
    case 134: return LabLine("SUPPRESS_EX", {v.C1, v.C2, v.C3});
    case 42: return LabLine("ATTENUATE_EX", {v.C1});
    case 40: return LabLine("UNWASH_EX", {v.C1});
    case 421: return LabLine("MAP_RGB_LOW", {a, b, v.C3});
    case 8110: return LabLine("BRIGHTNESS_LOW", {v.C1, v.C2, v.C3});
    case 8120: return LabLine("CONTRAST_LOW", {v.C1, v.C2, v.C3});
    case 9110: return LabLine("BRIGHTNESS_HIGH", {v.C1, v.C2, v.C3});
    case 9120: return LabLine("CONTRAST_HIGH", {v.C1, v.C2, v.C3});
    case 420: return LabLine("MAP_RGB_HIGH", {a, b, v.C3});
    case 9130: return LabLine("BACK_FILL", {v.C2, v.C3, v.C1});
    case 106: return LabLine("FLASH_FILL", {v.C2, v.C3, v.C1});
    case 139: return LabLine("OPTIMIZE_EX", {v.C1});
    case 422: return LabLine("MAP_RGB_EX", {a, b, v.C3});
    case 423: return LabLine("MAP_LIT_EX", {v.Extra1, v.Extra2, v.C3});
    default: return {};
    }
}

}  // namespace lumvor
