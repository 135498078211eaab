#include "processing/script/ScriptTable.h"

#include "processing/script/LabState.h"

#include <algorithm>
#include <iterator>

namespace lumvor {

namespace {

constexpr TValueRule Any{};
constexpr TValueRule Clamp(int32_t Low, int32_t High) { return {TValueCheck::Clamp, Low, High}; }
constexpr TValueRule Within(int32_t Low, int32_t High) { return {TValueCheck::Within, Low, High}; }
constexpr TValueRule NonZero{TValueCheck::NonZero, 0, 0};
constexpr TValueRule NonZeroClamp(int32_t Low, int32_t High) { return {TValueCheck::NonZeroClamp, Low, High}; }

using TRules = std::array<TValueRule, 4>;
using TSets = std::array<int8_t, 3>;

constexpr TRules NoChecks{};
constexpr TSets NoSets{SetsNothing, SetsNothing, SetsNothing};
// FilterCustom1..3 := a, b, c.
constexpr TSets SetsABC{0, 1, 2};
// FilterCustom1 := a, FilterCustom2 := b.
constexpr TSets SetsAB{0, 1, SetsNothing};
constexpr TSets SetsA{0, SetsNothing, SetsNothing};
// FilterCustom2 := a.
constexpr TSets SetsSecondA{SetsNothing, 0, SetsNothing};
// FilterCustom2 := b.
constexpr TSets SetsSecondB{SetsNothing, 1, SetsNothing};

constexpr int8_t Text = TextArgument;

constexpr TRules Each(TValueRule Rule, int Count) {
    TRules rules{};
    for (int i = 0; i < Count; ++i) rules[size_t(i)] = Rule;
    return rules;
}

// Value checks shared by several rows.
constexpr TRules ByteRange2 = Each(Within(0, 255), 2);
constexpr TRules ByteRange3 = Each(Within(0, 255), 3);
constexpr TRules GammaRange3 = Each(Within(1, 500), 3);
constexpr TRules SignedByte3 = Each(Within(-255, 255), 3);
constexpr TRules Conform2 = Each(Within(1, 254), 2);
constexpr TRules Blended{Clamp(-255, 255), Clamp(-255, 255), NonZero, Any};
constexpr TRules MaskLevels{Clamp(1, 500), Clamp(0, 99), Any, Any};
constexpr TRules Border{Any, Within(1, 239), Within(1, 239), Any};
constexpr TRules Equaliser{Within(0, 255), Within(7, 127), Within(-127, 127), Any};
constexpr TRules Sides = Each(Within(1, 16384), 2);
constexpr TRules PerCent{Within(1, 799), Any, Any, Any};
constexpr TRules PerTenThousand{Within(1, 79999), Any, Any, Any};

// The rows in comparison order. The handler each row runs is bound in the
// image window's library, in this same order (KeywordCount rows).
constexpr TKeywordRow Rows[] = {
    {"TEXTMARK_TOPLEFT", Text, NoChecks, NoSets, "TextMark"},
    {"TEXTMARK_TOPRIGHT", Text, NoChecks, NoSets, "TextMark"},
    {"TEXTMARK_BOTTOMLEFT", Text, NoChecks, NoSets, "TextMark"},
    {"TEXTMARK_BOTTOMRIGHT", Text, NoChecks, NoSets, "TextMark"},
    {"DELACE", 0, NoChecks, NoSets, "mnuDelaceClick"},
    {"BENCHMARK_START", 0, NoChecks, NoSets, "BenchmarkStart"},
    {"BENCHMARK_END", 0, NoChecks, NoSets, "BenchmarkEnd"},
    {"ZEROMAP", 0, NoChecks, NoSets, "mnuInitialize1Click"},
    {"CENTER", 0, NoChecks, NoSets, "mnuCenter1Click"},
    {"EQUALIZE", 0, NoChecks, NoSets, "Equalize"},
    {"WHITEBALANCE", 3, NoChecks, NoSets, "WhiteBalance"},
    {"NEGATIVE", 0, NoChecks, NoSets, "mnuNegativeClick"},
    {"MAP_RGB", 3, NoChecks, NoSets, "MapRGB"},
    {"MAP_RGB_EX", 3, NoChecks, NoSets, "MapRGBAverage"},
    {"MAP_RGB_HIGH", 3, {Any, Any, Clamp(1, 999), Any}, NoSets, "MapRGBBlend"},
    {"MAP_RGB_LOW", 3, {Any, Any, Clamp(1, 999), Any}, NoSets, "MapRGBBlend"},
    {"BRIGHTNESS_HIGH", 3, Blended, NoSets, "BrightnessBlend"},
    {"BRIGHTNESS_LOW", 3, Blended, NoSets, "BrightnessBlend"},
    {"CONTRAST_HIGH", 3, Blended, NoSets, "ContrastBlend"},
    {"CONTRAST_LOW", 3, Blended, NoSets, "ContrastBlend"},
    {"MAP_RED", 2, NoChecks, NoSets, "MapChannel"},
    {"MAP_GRN", 2, NoChecks, NoSets, "MapChannel"},
    {"MAP_BLU", 2, NoChecks, NoSets, "MapChannel"},
    {"CONFORM_RED", 2, Conform2, SetsAB, "ConformChannel"},
    {"CONFORM_GRN", 2, Conform2, SetsAB, "ConformChannel"},
    {"CONFORM_BLU", 2, Conform2, SetsAB, "ConformChannel"},
    {"CONFORM_GAMMA_RGB", 3, NoChecks, SetsABC, "DoConformGammaRGB"},
    {"CONFORM_GAMMA", 1, {Within(1, 254), Any, Any, Any}, SetsA, "DoConformGamma"},
    {"CONFORM_LIT", 2, Conform2, SetsAB, "ConformLightness"},
    {"CONFORM_SAT", 2, Conform2, SetsAB, "ConformSaturation"},
    {"NORMALIZE", 0, NoChecks, NoSets, "ConformNormalize"},
    {"USE_CONFORM_DATA", 0, NoChecks, NoSets, "UseConformData"},
    {"USE_CONFORM_SAT_DATA", 0, NoChecks, NoSets, "UseConformSatData"},
    {"GET_CONFORM_DATA", 0, NoChecks, NoSets, "GetConformData"},
    {"GET_CONFORM_DATA_EX", 0, NoChecks, NoSets, "GetConformDataEx"},
    {"MAP_EQ", 3, NoChecks, NoSets, "MapEqualize"},
    {"MAP_EQ_EX", 3, NoChecks, NoSets, "MapEqualize"},
    {"MAP_LIT_EX", 3, {Any, Any, Clamp(0, 99), Any}, NoSets, "MapLightness"},
    {"MAP_LIT", 3, {Any, Any, Clamp(0, 99), Any}, NoSets, "MapLightness"},
    {"AUTO_SATURATE", 0, NoChecks, NoSets, "AutoSaturation"},
    {"AUTO_REFERENCE", 0, NoChecks, NoSets, "DoAutoReference"},
    {"REFERENCE", 1, NoChecks, NoSets, "DoReference"},
    {"AUTO_LIGHTING", 0, NoChecks, NoSets, "AutoLighting"},
    {"AUTO_CONTRAST", 0, NoChecks, NoSets, "AutoContrast"},
    {"AUTO_FLASH", 1, NoChecks, NoSets, "DoAutoFlash"},
    {"AUTO_GAMMA", 1, NoChecks, NoSets, "DoAutoGamma"},
    {"AUTO_BALANCE", 0, NoChecks, NoSets, "AutoBalanceClick"},
    {"AUTO_WHITE", 0, NoChecks, NoSets, "DoAutoWhite"},
    {"MAP_SAT", 2, NoChecks, NoSets, "MapSaturation"},
    {"LIMIT_RED", 3, NoChecks, SetsABC, "DoHardLimitimg"},
    {"LIMIT_GRN", 3, NoChecks, SetsABC, "DoHardLimitimg"},
    {"LIMIT_BLU", 3, NoChecks, SetsABC, "DoHardLimitimg"},
    {"LIMIT_ALL", 3, NoChecks, SetsABC, "DoHardLimitimg"},
    {"RELOAD", 0, NoChecks, NoSets, "mnuReloadClick"},
    {"NOMODIFYFLAG", 0, NoChecks, NoSets, "NoModifyFlag"},
    {"NEXT", 0, NoChecks, NoSets, "btnNextImageClick"},
    {"PREVIOUS", 0, NoChecks, NoSets, "btnPrevImageClick"},
    // The trace point: see TScriptRun.
    {"PROMPT", 0, NoChecks, NoSets, "Prompt"},
    {"TRACE", 0, NoChecks, NoSets, "Trace"},
    {"PROMPTSTRING", Text, NoChecks, NoSets, "PromptString"},
    {"LOADFILE", Text, NoChecks, NoSets, "LoadFile"},
    {"PROMPT_NOT_FILESTRING", Text, NoChecks, NoSets, "PromptFileName"},
    {"PROMPT_HAS_FILESTRING", Text, NoChecks, NoSets, "PromptFileName"},
    {"DELETE", 0, NoChecks, NoSets, "DeleteFileNow"},
    {"LOOP", 0, NoChecks, NoSets, "Loop"},
    {"CROP", 2, NoChecks, NoSets, "mnuCopyMaskClick"},
    {"CROP_EX", 4, NoChecks, NoSets, "mnuCopyMaskClick"},
    {"SAVE", Text, NoChecks, NoSets, "mnuSaveClick"},
    {"ARTIFACT", 1, NoChecks, NoSets, "AddArtifact"},
    {"DUPLICATE", 0, NoChecks, NoSets, "mnuDuplicateClick"},
    {"SWAP", 0, NoChecks, NoSets, "mnuSwapClick"},
    {"COPYTOBACKUP", 0, NoChecks, NoSets, "CopyToBackUp"},
    {"COPYFROMBACKUP", 0, NoChecks, NoSets, "CopyFromBackUp"},
    {"CLEARBUFFERS", 0, NoChecks, NoSets, "ClearBuffers"},
    {"AVERAGE", 1, {Clamp(1, 255), Any, Any, Any}, SetsSecondA, "DoAverageBitmap"},
    {"MULTIPLY", 0, NoChecks, NoSets, "mnuMultiply1Click"},
    {"MINIMUM", 0, NoChecks, NoSets, "mnuMinimum1Click"},
    {"MAXIMUM", 0, NoChecks, NoSets, "mnuMaximum1Click"},
    {"DIFFERENCE", 0, NoChecks, NoSets, "mnuDifference1Click"},
    {"SUBTRACT", 0, NoChecks, NoSets, "mnuSubtractClick"},
    {"MOSAIC", 1, {Within(2, 16), Any, Any, Any}, NoSets, "Tile"},
    {"DESCREEN_LIGHT", 0, NoChecks, NoSets, "Soften"},
    {"DESCREEN_MEDIUM", 0, NoChecks, NoSets, "DeScreen5x5"},
    {"DESCREEN_STRONG", 0, NoChecks, NoSets, "DeScreen5x5"},
    {"DESCREEN_HIGH", 0, NoChecks, NoSets, "DeScreen5x5"},
    {"DEFOCUS", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "DeFocus"},
    {"GAUSSIAN", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "GaussianBlur3x3"},
    {"OUTLIER", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "GaussianBlur3x3"},
    {"SOFTEN", 1, {Clamp(1, 10), Any, Any, Any}, NoSets, "Soften"},
    {"DESPECKLE", 1, {Clamp(1, 9), Any, Any, Any}, NoSets, "Median"},
    {"UNSPOT", 1, {Within(-127, 127), Any, Any, Any}, NoSets, "Median"},
    {"MEANREMOVAL", 1, {Clamp(1, 5), Any, Any, Any}, NoSets, "MeanRemoval"},
    {"HIGHPASS", 1, {Clamp(1, 3), Any, Any, Any}, NoSets, "HighPassMedium"},
    {"HIGHPASSMEDIUM", 1, {Clamp(1, 3), Any, Any, Any}, NoSets, "HighPassMedium"},
    {"HIGHPASSLIGHT", 0, NoChecks, NoSets, "HighPassLight"},
    {"BORDER", 3, Border, NoSets, "MergeBorder"},
    {"BORDER_LETTERBOX", 3, Border, NoSets, "MergeBorder_TopBot"},
    {"INTERLACE", 2, NoChecks, SetsSecondA, "DoAverageField"},
    {"MASK_HLS", 3, NoChecks, SetsABC, "DoColorMask"},
    {"MASK_HLSINV", 3, NoChecks, SetsABC, "DoColorMask"},
    {"REPLACE_RGB", 3, NoChecks, NoSets, "MaskRGBex"},
    {"REPLACE_RGBINV", 3, NoChecks, NoSets, "MaskRGBex"},
    {"REPLACE_HLSINV", 3, NoChecks, SetsABC, "MaskColors"},
    {"REPLACE_HLS", 3, NoChecks, SetsABC, "MaskColors"},
    {"AIRBRUSH", 3, NoChecks, SetsABC, "AirBrush"},
    {"MASK_GRAYSCALE", 0, NoChecks, NoSets, "DoCompositeGray"},
    {"MASK_CONTRAST", 2, MaskLevels, SetsAB, "DoCompositeContrast"},
    {"MASK_MIDTONES", 2, MaskLevels, SetsAB, "DoCompositeMidTones"},
    {"MASK_SHADOWS", 2, MaskLevels, SetsAB, "DoCompositeMask"},
    {"MASK_HIGHLIGHTS", 2, MaskLevels, SetsAB, "DoCompositeMask"},
    {"GAMMA", 3, GammaRange3, NoSets, "SetGammaLUT"},
    {"BACK_FILL", 3, {Clamp(1, 255), Clamp(1, 500), NonZeroClamp(1, 999), Any}, NoSets, "BackFill"},
    {"FLASH_FILL", 3, {Clamp(1, 500), Clamp(100, 500), NonZeroClamp(1, 999), Any}, NoSets, "FlashFill"},
    {"GAMMA_SUPPRESS_EX", 2, {Clamp(0, 255), Clamp(1, 999), Any, Any}, NoSets, "GammaSuppressBlend"},
    {"SUPPRESS_EX", 3, {Clamp(0, 255), Clamp(0, 255), Clamp(1, 999), Any}, NoSets, "SuppressBlend"},
    {"GAMMA_FILL", 3, GammaRange3, NoSets, "SetGammaLUT"},
    {"ATTENUATE_EX", 1, {Clamp(1, 999), Any, Any, Any}, NoSets, "AttenuateBlend"},
    {"UNWASH_EX", 1, {Clamp(1, 999), Any, Any, Any}, SetsA, "MultiplyMask"},
    {"BOOST", 2, {Clamp(1, 999), Any, Any, Any}, SetsA, "BoostMultiplyMask"},
    {"UNEQUALIZE", 2, {Clamp(1, 999), Any, Any, Any}, SetsA, "MultiplyMask"},
    {"UNCOOK_EX", 1, {Clamp(1, 500), Any, Any, Any}, NoSets, "UnCookBlend"},
    {"OPTIMIZE", 1, {Clamp(0, 999), Any, Any, Any}, NoSets, "DoOptimize"},
    {"OPTIMIZE_EX", 1, {Clamp(0, 999), Any, Any, Any}, NoSets, "DoOptimize"},
    {"GAMMA_SUPRESS", 3, Each(Clamp(0, 255), 3), NoSets, "NegColorFilter"},
    {"GAMMA_SUPPRESS", 3, Each(Clamp(0, 255), 3), NoSets, "NegColorFilter"},
    {"BRIGHTNESS", 3, SignedByte3, NoSets, "SetBrightLUT"},
    {"SHIFT", 3, SignedByte3, NoSets, "SetShiftLUT"},
    {"ZERO", 0, NoChecks, NoSets, "DoZeroShift"},
    {"ZEROSHIFT", 0, NoChecks, NoSets, "DoZeroShift"},
    {"CONTRAST", 3, SignedByte3, NoSets, "SetContrastLUT"},
    {"CONTRAST_CURVE", 3, Each(Clamp(-255, 255), 3), NoSets, "SetGammaContrastLUT"},
    {"UNCOOK", 0, NoChecks, NoSets, "DoUnCook"},
    {"UNWASH", 0, NoChecks, NoSets, "MultiplyRGB"},
    {"ATTENUATE", 0, NoChecks, NoSets, "MultiplyLuminance"},
    {"SUPRESS", 2, Each(Clamp(0, 255), 2), NoSets, "SetSupressLUT"},
    {"SUPPRESS", 2, Each(Clamp(0, 255), 2), NoSets, "SetSupressLUT"},
    {"ENHANCE", 2, ByteRange2, NoSets, "SetStretchLUT"},
    {"LEVELS", 2, ByteRange2, NoSets, "SetStretchLUT"},
    {"LIGHTING", 2, ByteRange2, NoSets, "LuminanceFilter"},
    {"SATURATION", 2, {Within(1, 255), Within(0, 254), Any, Any}, NoSets, "SaturationFilter"},
    {"GAMMA_SATURATION", 1, {Within(0, 500), Any, Any, Any}, NoSets, "SaturationFilter"},
    {"UNSHARPMASK", 3, ByteRange2, NoSets, "UnSharpMask"},
    {"CLEAN", 2, ByteRange2, NoSets, "SharpGaussianBlur5x5"},
    {"MASK_EDGES", 2, ByteRange2, SetsSecondB, "DoMaskEdges"},
    {"DEFOG", 2, ByteRange2, NoSets, "DoDefog"},
    {"NATURALIZE_RGB", 2, ByteRange2, NoSets, "DoFilmNoir"},
    {"NATURALIZE_CCD", 2, ByteRange2, NoSets, "DoFilmNoir"},
    {"SHADOWS", 3, ByteRange3, NoSets, "SetStretchLUT"},
    {"HIGHLIGHTS", 3, ByteRange3, NoSets, "SetStretchLUT"},
    {"HLS", 3, Each(Within(-999, 999), 3), NoSets, "ColorTuneHLS"},
    {"RGBMAX", 0, NoChecks, NoSets, "DoFilmNoir"},
    {"RGBMIN", 0, NoChecks, NoSets, "DoFilmNoir"},
    {"GRAYSCALE", 0, NoChecks, NoSets, "DoGray"},
    {"TRUECOLOR", 0, NoChecks, NoSets, "SetBitmap24"},
    {"REFRESH", 0, NoChecks, NoSets, "RefreshImage"},
    {"POSTERIZE", 1, {Within(2, 7), Any, Any, Any}, NoSets, "LowRes"},
    {"QUANTIZE16", 0, NoChecks, NoSets, "DoPosterize"},
    {"QUANTIZE256", 0, NoChecks, NoSets, "DoPosterize"},
    {"PARAMETRIC_EQ_ALL", 3, Equaliser, NoSets, "SetEqLUT"},
    {"PARAMETRIC_EQ_RED", 3, Equaliser, NoSets, "SetEqLUT"},
    {"PARAMETRIC_EQ_GRN", 3, Equaliser, NoSets, "SetEqLUT"},
    {"PARAMETRIC_EQ_BLU", 3, Equaliser, NoSets, "SetEqLUT"},
    {"DISTILL%", 2, PerCent, NoSets, "mnuDistillClick"},
    {"RESIZE%", 2, PerCent, NoSets, "mnuResizeClick"},
    {"RESAMPLE%", 2, PerCent, NoSets, "mnuResampleClick"},
    {"DISTILL%%", 2, PerTenThousand, NoSets, "mnuDistillClick"},
    {"RESIZE%%", 2, PerTenThousand, NoSets, "mnuResizeClick"},
    {"RESAMPLE%%", 2, PerTenThousand, NoSets, "mnuResampleClick"},
    {"DISTILL", 2, Sides, NoSets, "mnuDistillClick"},
    {"RESIZE", 2, Sides, NoSets, "mnuResizeClick"},
    {"RESAMPLE", 2, Sides, NoSets, "mnuResampleClick"},
    {"DEPIXELATE", 1, NoChecks, NoSets, "DeMosaic2x2"},
    {"DOWNSAMPLE", 2, Sides, NoSets, "mnuResampleClick"},
    {"FLIP_VERTICAL", 0, NoChecks, NoSets, "ImgMirror"},
    {"FLIP_HORIZONTAL", 0, NoChecks, NoSets, "ImgMirror"},
    {"ROTATE", 1, {Within(1, 359), Any, Any, Any}, NoSets, "ImgRotate"},
    {"ROTATE_FINE", 1, {Within(1, 35999), Any, Any, Any}, NoSets, "ImgRotate"},
};
static_assert(std::size(Rows) == KeywordCount, "KeywordCount is the number of rows");

}  // namespace

const std::vector<TKeywordRow>& KeywordTable() {
    static const std::vector<TKeywordRow> table(std::begin(Rows), std::end(Rows));
    return table;
}

const TKeywordRow* FindKeyword(std::string_view Keyword) {
    const auto& table = KeywordTable();
    const auto row =
        std::find_if(table.begin(), table.end(), [&](const TKeywordRow& r) { return r.Keyword == Keyword; });
    return row == table.end() ? nullptr : &*row;
}

bool CheckValues(const TKeywordRow& Row, std::array<int32_t, 4>& Values) {
    for (size_t i = 0; i < Values.size(); ++i) {
        const TValueRule& rule = Row.Rules[i];
        int32_t& value = Values[i];
        switch (rule.Check) {
        case TValueCheck::Any:
            break;
        case TValueCheck::Clamp:
            value = std::clamp(value, rule.Low, rule.High);
            break;
        case TValueCheck::Within:
            if (value < rule.Low || value > rule.High)
                return false;
            break;
        case TValueCheck::NonZero:
            if (value == 0)
                return false;
            break;
        case TValueCheck::NonZeroClamp:
            if (value == 0)
                return false;
            value = std::clamp(value, rule.Low, rule.High);
            break;
        }
    }
    return true;
}

void ApplySets(const TKeywordRow& Row, const std::array<int32_t, 4>& Values) {
    int32_t* targets[] = {&FilterCustom1, &FilterCustom2, &FilterCustom3};
    for (size_t i = 0; i < Row.Sets.size(); ++i)
        if (Row.Sets[i] != SetsNothing)
            *targets[i] = Values[size_t(Row.Sets[i])];
}

}  // namespace lumvor
