#include "processing/script/ScriptTable.h"

#include "processing/script/LabState.h"
#include "processing/script/ScriptHandlers.h"

#include <algorithm>

namespace lumvor {

namespace {

using namespace script;

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

std::vector<TKeywordRow> MakeTable() {
    return {
        {"TEXTMARK_TOPLEFT", Text, NoChecks, NoSets, "TextMark", TextMark},
        {"TEXTMARK_TOPRIGHT", Text, NoChecks, NoSets, "TextMark", TextMark},
        {"TEXTMARK_BOTTOMLEFT", Text, NoChecks, NoSets, "TextMark", TextMark},
        {"TEXTMARK_BOTTOMRIGHT", Text, NoChecks, NoSets, "TextMark", TextMark},
        {"DELACE", 0, NoChecks, NoSets, "mnuDelaceClick", Delace},
        {"BENCHMARK_START", 0, NoChecks, NoSets, "BenchmarkStart", BenchmarkStart},
        {"BENCHMARK_END", 0, NoChecks, NoSets, "BenchmarkEnd", BenchmarkEnd},
        {"ZEROMAP", 0, NoChecks, NoSets, "mnuInitialize1Click", ZeroMap},
        {"CENTER", 0, NoChecks, NoSets, "mnuCenter1Click", Centre},
        {"EQUALIZE", 0, NoChecks, NoSets, "Equalize", Equalize},
        {"WHITEBALANCE", 3, NoChecks, NoSets, "WhiteBalance", WhiteBalance},
        {"NEGATIVE", 0, NoChecks, NoSets, "mnuNegativeClick", Negative},
        {"MAP_RGB", 3, NoChecks, NoSets, "MapRGB", MapRGBPlain},
        {"MAP_RGB_EX", 3, NoChecks, NoSets, "MapRGBAverage", MapRGBAverage},
        {"MAP_RGB_HIGH", 3, {Any, Any, Clamp(1, 999), Any}, NoSets, "MapRGBBlend", BlendHighLow},
        {"MAP_RGB_LOW", 3, {Any, Any, Clamp(1, 999), Any}, NoSets, "MapRGBBlend", BlendHighLow},
        {"BRIGHTNESS_HIGH", 3, Blended, NoSets, "BrightnessBlend", BlendBack},
        {"BRIGHTNESS_LOW", 3, Blended, NoSets, "BrightnessBlend", BlendBack},
        {"CONTRAST_HIGH", 3, Blended, NoSets, "ContrastBlend", BlendBack},
        {"CONTRAST_LOW", 3, Blended, NoSets, "ContrastBlend", BlendBack},
        {"MAP_RED", 2, NoChecks, NoSets, "MapChannel", ChannelFamily},
        {"MAP_GRN", 2, NoChecks, NoSets, "MapChannel", ChannelFamily},
        {"MAP_BLU", 2, NoChecks, NoSets, "MapChannel", ChannelFamily},
        {"CONFORM_RED", 2, Conform2, SetsAB, "ConformChannel", ChannelFamily},
        {"CONFORM_GRN", 2, Conform2, SetsAB, "ConformChannel", ChannelFamily},
        {"CONFORM_BLU", 2, Conform2, SetsAB, "ConformChannel", ChannelFamily},
        {"CONFORM_GAMMA_RGB", 3, NoChecks, SetsABC, "DoConformGammaRGB", ConformGamma},
        {"CONFORM_GAMMA", 1, {Within(1, 254), Any, Any, Any}, SetsA, "DoConformGamma", ConformGamma},
        {"CONFORM_LIT", 2, Conform2, SetsAB, "ConformLightness", ConformTone},
        {"CONFORM_SAT", 2, Conform2, SetsAB, "ConformSaturation", ConformTone},
        {"NORMALIZE", 0, NoChecks, NoSets, "ConformNormalize", ConformDataLine},
        {"USE_CONFORM_DATA", 0, NoChecks, NoSets, "UseConformData", ConformDataLine},
        {"USE_CONFORM_SAT_DATA", 0, NoChecks, NoSets, "UseConformSatData", ConformDataLine},
        {"GET_CONFORM_DATA", 0, NoChecks, NoSets, "GetConformData", ConformDataLine},
        {"GET_CONFORM_DATA_EX", 0, NoChecks, NoSets, "GetConformDataEx", ConformDataLine},
        {"MAP_EQ", 3, NoChecks, NoSets, "MapEqualize", MapEqualize},
        {"MAP_EQ_EX", 3, NoChecks, NoSets, "MapEqualize", MapEqualize},
        {"MAP_LIT_EX", 3, {Any, Any, Clamp(0, 99), Any}, NoSets, "MapLightness", MapLightness},
        {"MAP_LIT", 3, {Any, Any, Clamp(0, 99), Any}, NoSets, "MapLightness", MapLightness},
        {"AUTO_SATURATE", 0, NoChecks, NoSets, "AutoSaturation", AutoEqualize},
        {"AUTO_REFERENCE", 0, NoChecks, NoSets, "DoAutoReference", AutoReference},
        {"REFERENCE", 1, NoChecks, NoSets, "DoReference", Reference},
        {"AUTO_LIGHTING", 0, NoChecks, NoSets, "AutoLighting", AutoEqualize},
        {"AUTO_CONTRAST", 0, NoChecks, NoSets, "AutoContrast", AutoEqualize},
        {"AUTO_FLASH", 1, NoChecks, NoSets, "DoAutoFlash", AutoFlash},
        {"AUTO_GAMMA", 1, NoChecks, NoSets, "DoAutoGamma", AutoGamma},
        {"AUTO_BALANCE", 0, NoChecks, NoSets, "AutoBalanceClick", AutoBalance},
        {"AUTO_WHITE", 0, NoChecks, NoSets, "DoAutoWhite", AutoWhite},
        {"MAP_SAT", 2, NoChecks, NoSets, "MapSaturation", MapSaturation},
        {"LIMIT_RED", 3, NoChecks, SetsABC, "DoHardLimitimg", Limit},
        {"LIMIT_GRN", 3, NoChecks, SetsABC, "DoHardLimitimg", Limit},
        {"LIMIT_BLU", 3, NoChecks, SetsABC, "DoHardLimitimg", Limit},
        {"LIMIT_ALL", 3, NoChecks, SetsABC, "DoHardLimitimg", Limit},
        {"RELOAD", 0, NoChecks, NoSets, "mnuReloadClick", Reload},
        {"NOMODIFYFLAG", 0, NoChecks, NoSets, "NoModifyFlag", NoModifyFlag},
        {"NEXT", 0, NoChecks, NoSets, "btnNextImageClick", NextImage},
        {"PREVIOUS", 0, NoChecks, NoSets, "btnPrevImageClick", PreviousImage},
        // The trace point: see TScriptRun.
        {"PROMPT", 0, NoChecks, NoSets, "Prompt", nullptr},
        {"TRACE", 0, NoChecks, NoSets, "Trace", Trace},
        {"PROMPTSTRING", Text, NoChecks, NoSets, "PromptString", PromptString},
        {"LOADFILE", Text, NoChecks, NoSets, "LoadFile", LoadFile},
        {"PROMPT_NOT_FILESTRING", Text, NoChecks, NoSets, "PromptFileName", PromptFileName},
        {"PROMPT_HAS_FILESTRING", Text, NoChecks, NoSets, "PromptFileName", PromptFileName},
        {"DELETE", 0, NoChecks, NoSets, "DeleteFileNow", DeleteFile},
        {"LOOP", 0, NoChecks, NoSets, "Loop", Loop},
        {"CROP", 2, NoChecks, NoSets, "mnuCopyMaskClick", Crop},
        {"CROP_EX", 4, NoChecks, NoSets, "mnuCopyMaskClick", CropEx},
        {"SAVE", Text, NoChecks, NoSets, "mnuSaveClick", Save},
        {"ARTIFACT", 1, NoChecks, NoSets, "AddArtifact", Artifact},
        {"DUPLICATE", 0, NoChecks, NoSets, "mnuDuplicateClick", Duplicate},
        {"SWAP", 0, NoChecks, NoSets, "mnuSwapClick", Swap},
        {"COPYTOBACKUP", 0, NoChecks, NoSets, "CopyToBackUp", CopyToBackUp},
        {"COPYFROMBACKUP", 0, NoChecks, NoSets, "CopyFromBackUp", CopyFromBackUp},
        {"CLEARBUFFERS", 0, NoChecks, NoSets, "ClearBuffers", ClearBuffers},
        {"AVERAGE", 1, {Clamp(1, 255), Any, Any, Any}, SetsSecondA, "DoAverageBitmap", Average},
        {"MULTIPLY", 0, NoChecks, NoSets, "mnuMultiply1Click", TwoImage},
        {"MINIMUM", 0, NoChecks, NoSets, "mnuMinimum1Click", TwoImage},
        {"MAXIMUM", 0, NoChecks, NoSets, "mnuMaximum1Click", TwoImage},
        {"DIFFERENCE", 0, NoChecks, NoSets, "mnuDifference1Click", TwoImage},
        {"SUBTRACT", 0, NoChecks, NoSets, "mnuSubtractClick", TwoImage},
        {"MOSAIC", 1, {Within(2, 16), Any, Any, Any}, NoSets, "Tile", Mosaic},
        {"DESCREEN_LIGHT", 0, NoChecks, NoSets, "Soften", Descreen},
        {"DESCREEN_MEDIUM", 0, NoChecks, NoSets, "DeScreen5x5", Descreen},
        {"DESCREEN_STRONG", 0, NoChecks, NoSets, "DeScreen5x5", Descreen},
        {"DESCREEN_HIGH", 0, NoChecks, NoSets, "DeScreen5x5", Descreen},
        {"DEFOCUS", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "DeFocus", Blur},
        {"GAUSSIAN", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "GaussianBlur3x3", Blur},
        {"OUTLIER", 1, {Clamp(1, 255), Any, Any, Any}, NoSets, "GaussianBlur3x3", Blur},
        {"SOFTEN", 1, {Clamp(1, 10), Any, Any, Any}, NoSets, "Soften", Soften},
        {"DESPECKLE", 1, {Clamp(1, 9), Any, Any, Any}, NoSets, "Median", Median},
        {"UNSPOT", 1, {Within(-127, 127), Any, Any, Any}, NoSets, "Median", Median},
        {"MEANREMOVAL", 1, {Clamp(1, 5), Any, Any, Any}, NoSets, "MeanRemoval", Sharpen},
        {"HIGHPASS", 1, {Clamp(1, 3), Any, Any, Any}, NoSets, "HighPassMedium", Sharpen},
        {"HIGHPASSMEDIUM", 1, {Clamp(1, 3), Any, Any, Any}, NoSets, "HighPassMedium", Sharpen},
        {"HIGHPASSLIGHT", 0, NoChecks, NoSets, "HighPassLight", Sharpen},
        {"BORDER", 3, Border, NoSets, "MergeBorder", BorderBands},
        {"BORDER_LETTERBOX", 3, Border, NoSets, "MergeBorder_TopBot", BorderBands},
        {"INTERLACE", 2, NoChecks, SetsSecondA, "DoAverageField", Interlace},
        {"MASK_HLS", 3, NoChecks, SetsABC, "DoColorMask", ColourMask},
        {"MASK_HLSINV", 3, NoChecks, SetsABC, "DoColorMask", ColourMask},
        {"REPLACE_RGB", 3, NoChecks, NoSets, "MaskRGBex", ColourMask},
        {"REPLACE_RGBINV", 3, NoChecks, NoSets, "MaskRGBex", ColourMask},
        {"REPLACE_HLSINV", 3, NoChecks, SetsABC, "MaskColors", ColourMask},
        {"REPLACE_HLS", 3, NoChecks, SetsABC, "MaskColors", ColourMask},
        {"AIRBRUSH", 3, NoChecks, SetsABC, "AirBrush", AirBrush},
        {"MASK_GRAYSCALE", 0, NoChecks, NoSets, "DoCompositeGray", CompositeMask},
        {"MASK_CONTRAST", 2, MaskLevels, SetsAB, "DoCompositeContrast", CompositeMask},
        {"MASK_MIDTONES", 2, MaskLevels, SetsAB, "DoCompositeMidTones", CompositeMask},
        {"MASK_SHADOWS", 2, MaskLevels, SetsAB, "DoCompositeMask", CompositeMask},
        {"MASK_HIGHLIGHTS", 2, MaskLevels, SetsAB, "DoCompositeMask", CompositeMask},
        {"GAMMA", 3, GammaRange3, NoSets, "SetGammaLUT", Gamma},
        {"BACK_FILL", 3, {Clamp(1, 255), Clamp(1, 500), NonZeroClamp(1, 999), Any}, NoSets, "BackFill", BlendBack},
        {"FLASH_FILL", 3, {Clamp(1, 500), Clamp(100, 500), NonZeroClamp(1, 999), Any}, NoSets, "FlashFill",
         BlendBack},
        {"GAMMA_SUPPRESS_EX", 2, {Clamp(0, 255), Clamp(1, 999), Any, Any}, NoSets, "GammaSuppressBlend", BlendBack},
        {"SUPPRESS_EX", 3, {Clamp(0, 255), Clamp(0, 255), Clamp(1, 999), Any}, NoSets, "SuppressBlend", BlendBack},
        {"GAMMA_FILL", 3, GammaRange3, NoSets, "SetGammaLUT", Gamma},
        {"ATTENUATE_EX", 1, {Clamp(1, 999), Any, Any, Any}, NoSets, "AttenuateBlend", BlendBack},
        {"UNWASH_EX", 1, {Clamp(1, 999), Any, Any, Any}, SetsA, "MultiplyMask", MultiplyMask},
        {"BOOST", 2, {Clamp(1, 999), Any, Any, Any}, SetsA, "BoostMultiplyMask", MultiplyMask},
        {"UNEQUALIZE", 2, {Clamp(1, 999), Any, Any, Any}, SetsA, "MultiplyMask", MultiplyMask},
        {"UNCOOK_EX", 1, {Clamp(1, 500), Any, Any, Any}, NoSets, "UnCookBlend", BlendBack},
        {"OPTIMIZE", 1, {Clamp(0, 999), Any, Any, Any}, NoSets, "DoOptimize", Optimize},
        {"OPTIMIZE_EX", 1, {Clamp(0, 999), Any, Any, Any}, NoSets, "DoOptimize", Optimize},
        {"GAMMA_SUPRESS", 3, Each(Clamp(0, 255), 3), NoSets, "NegColorFilter", GammaSuppress},
        {"GAMMA_SUPPRESS", 3, Each(Clamp(0, 255), 3), NoSets, "NegColorFilter", GammaSuppress},
        {"BRIGHTNESS", 3, SignedByte3, NoSets, "SetBrightLUT", ToneMaps},
        {"SHIFT", 3, SignedByte3, NoSets, "SetShiftLUT", ToneMaps},
        {"ZERO", 0, NoChecks, NoSets, "DoZeroShift", ZeroShift},
        {"ZEROSHIFT", 0, NoChecks, NoSets, "DoZeroShift", ZeroShift},
        {"CONTRAST", 3, SignedByte3, NoSets, "SetContrastLUT", ToneMaps},
        {"CONTRAST_CURVE", 3, Each(Clamp(-255, 255), 3), NoSets, "SetGammaContrastLUT", ToneMaps},
        {"UNCOOK", 0, NoChecks, NoSets, "DoUnCook", PixFilter},
        {"UNWASH", 0, NoChecks, NoSets, "MultiplyRGB", PixFilter},
        {"ATTENUATE", 0, NoChecks, NoSets, "MultiplyLuminance", PixFilter},
        {"SUPRESS", 2, Each(Clamp(0, 255), 2), NoSets, "SetSupressLUT", ToneMaps},
        {"SUPPRESS", 2, Each(Clamp(0, 255), 2), NoSets, "SetSupressLUT", ToneMaps},
        {"ENHANCE", 2, ByteRange2, NoSets, "SetStretchLUT", ToneMaps},
        {"LEVELS", 2, ByteRange2, NoSets, "SetStretchLUT", ToneMaps},
        {"LIGHTING", 2, ByteRange2, NoSets, "LuminanceFilter", Lighting},
        {"SATURATION", 2, {Within(1, 255), Within(0, 254), Any, Any}, NoSets, "SaturationFilter", Saturation},
        {"GAMMA_SATURATION", 1, {Within(0, 500), Any, Any, Any}, NoSets, "SaturationFilter", GammaSaturation},
        {"UNSHARPMASK", 3, ByteRange2, NoSets, "UnSharpMask", UnsharpMask},
        {"CLEAN", 2, ByteRange2, NoSets, "SharpGaussianBlur5x5", Clean},
        {"MASK_EDGES", 2, ByteRange2, SetsSecondB, "DoMaskEdges", MaskEdges},
        {"DEFOG", 2, ByteRange2, NoSets, "DoDefog", Defog},
        {"NATURALIZE_RGB", 2, ByteRange2, NoSets, "DoFilmNoir", FilmNoir},
        {"NATURALIZE_CCD", 2, ByteRange2, NoSets, "DoFilmNoir", FilmNoir},
        {"SHADOWS", 3, ByteRange3, NoSets, "SetStretchLUT", ToneMaps},
        {"HIGHLIGHTS", 3, ByteRange3, NoSets, "SetStretchLUT", ToneMaps},
        {"HLS", 3, Each(Within(-999, 999), 3), NoSets, "ColorTuneHLS", Hls},
        {"RGBMAX", 0, NoChecks, NoSets, "DoFilmNoir", FilmNoir},
        {"RGBMIN", 0, NoChecks, NoSets, "DoFilmNoir", FilmNoir},
        {"GRAYSCALE", 0, NoChecks, NoSets, "DoGray", Gray},
        {"TRUECOLOR", 0, NoChecks, NoSets, "SetBitmap24", TrueColor},
        {"REFRESH", 0, NoChecks, NoSets, "RefreshImage", Refresh},
        {"POSTERIZE", 1, {Within(2, 7), Any, Any, Any}, NoSets, "LowRes", Posterize},
        {"QUANTIZE16", 0, NoChecks, NoSets, "DoPosterize", Quantize},
        {"QUANTIZE256", 0, NoChecks, NoSets, "DoPosterize", Quantize},
        {"PARAMETRIC_EQ_ALL", 3, Equaliser, NoSets, "SetEqLUT", ParametricEq},
        {"PARAMETRIC_EQ_RED", 3, Equaliser, NoSets, "SetEqLUT", ParametricEq},
        {"PARAMETRIC_EQ_GRN", 3, Equaliser, NoSets, "SetEqLUT", ParametricEq},
        {"PARAMETRIC_EQ_BLU", 3, Equaliser, NoSets, "SetEqLUT", ParametricEq},
        {"DISTILL%", 2, PerCent, NoSets, "mnuDistillClick", SizeByPerCent},
        {"RESIZE%", 2, PerCent, NoSets, "mnuResizeClick", SizeByPerCent},
        {"RESAMPLE%", 2, PerCent, NoSets, "mnuResampleClick", SizeByPerCent},
        {"DISTILL%%", 2, PerTenThousand, NoSets, "mnuDistillClick", SizeByPerCent},
        {"RESIZE%%", 2, PerTenThousand, NoSets, "mnuResizeClick", SizeByPerCent},
        {"RESAMPLE%%", 2, PerTenThousand, NoSets, "mnuResampleClick", SizeByPerCent},
        {"DISTILL", 2, Sides, NoSets, "mnuDistillClick", SizeBySides},
        {"RESIZE", 2, Sides, NoSets, "mnuResizeClick", SizeBySides},
        {"RESAMPLE", 2, Sides, NoSets, "mnuResampleClick", SizeBySides},
        {"DEPIXELATE", 1, NoChecks, NoSets, "DeMosaic2x2", Depixelate},
        {"DOWNSAMPLE", 2, Sides, NoSets, "mnuResampleClick", Downsample},
        {"FLIP_VERTICAL", 0, NoChecks, NoSets, "ImgMirror", Flip},
        {"FLIP_HORIZONTAL", 0, NoChecks, NoSets, "ImgMirror", Flip},
        {"ROTATE", 1, {Within(1, 359), Any, Any, Any}, NoSets, "ImgRotate", Rotate},
        {"ROTATE_FINE", 1, {Within(1, 35999), Any, Any, Any}, NoSets, "ImgRotate", Rotate},
    };
}

}  // namespace

const std::vector<TKeywordRow>& KeywordTable() {
    static const std::vector<TKeywordRow> table = MakeTable();
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
