// The filter dialog's method groups and the set-up of each method: the
// working record's slider fields, the check boxes, the row places, the tip and
// the help context. The record's fields are then shown by SetupFilterInterface.
#include "processing/dialogs/FilterDlgModel.h"

#include "processing/tonal/Histogram.h"

#include <map>

namespace lumvor {

namespace {

// The fields of one slider of a record.
struct TSliderFields {
    int32_t& Min;
    int32_t& Max;
    int32_t& Position;
    int32_t& PageSize;
    int32_t& LineSize;
    std::string& MinLabel;
    std::string& MaxLabel;
};

TSliderFields FieldsOf(TFilterDlgParam& p, int row) {
    switch (row) {
        case 0: return {p.Min1, p.Max1, p.Position1, p.PageSize1, p.LineSize1, p.MinLabel1, p.MaxLabel1};
        case 1: return {p.Min2, p.Max2, p.Position2, p.PageSize2, p.LineSize2, p.MinLabel2, p.MaxLabel2};
        default: return {p.Min3, p.Max3, p.Position3, p.PageSize3, p.LineSize3, p.MinLabel3, p.MaxLabel3};
    }
}

// Range and start; the steps stay.
void Range(TFilterDlgParam& p, int row, int min, int max, int start) {
    TSliderFields f = FieldsOf(p, row);
    f.Min = min;
    f.Max = max;
    f.Position = start;
}

// Range, start and the large and small steps.
void Slider(TFilterDlgParam& p, int row, int min, int max, int start, int page, int line) {
    Range(p, row, min, max, start);
    TSliderFields f = FieldsOf(p, row);
    f.PageSize = page;
    f.LineSize = line;
}

void Start(TFilterDlgParam& p, int row, int start) { FieldsOf(p, row).Position = start; }

void Labels(TFilterDlgParam& p, int row, const char* min, const char* max) {
    TSliderFields f = FieldsOf(p, row);
    f.MinLabel = min;
    f.MaxLabel = max;
}

void SetupControls_BlankLabels(TFilterDlgParam& p) {
    for (int row = 0; row < 3; ++row)
        Labels(p, row, "", "");
}

void SetupControls_HLS(TFilterDlgParam& p) {
    Slider(p, 0, 0, 1800, 120, 60, 1);
    Slider(p, 1, 0, 1800, 1200, 60, 1);
    Slider(p, 2, 0, 1800, 1500, 60, 1);
    p.CustomSliders = 1;
}

void SetupControls_UnsharpMask(TFilterDlgParam& p) {
    Slider(p, 0, 1, 255, 128, 16, 1);
    Slider(p, 1, 1, 255, 128, 16, 1);
    p.CustomSliders = 1;
}

void SetupControls_Levels(TFilterDlgParam& p) {
    Slider(p, 0, 0, 255, 128, 8, 1);
    Range(p, 1, 0, 255, 128);
    Range(p, 2, 1, 500, 100);
    p.CustomSliders = 1;
}

void SetupControls_New(TFilterDlgParam& p) {
    for (int row = 0; row < 3; ++row)
        Slider(p, row, 1, 255, 128, 8, 1);
    SetupControls_BlankLabels(p);
    p.CustomSliders = 1;
}

// Mean and standard deviation of a channel from the last histogram's sums.
TRoundedStats Stats(int64_t sum, int64_t sumSq) { return RoundedStats(sum, sumSq, HistCount); }

// The brightness and contrast starts from a channel's statistics.
void StatStarts(TFilterDlgParam& p, const TRoundedStats& stats) {
    Start(p, 0, stats.Mean);
    Start(p, 1, stats.Deviation);
}

// The brightness and contrast set-up shared by the remap methods.
void RemapSliders(TFilterDlgParam& p) {
    Slider(p, 0, 8, 240, 128, 8, 1);
    Range(p, 1, 3, 127, 64);
}

const std::vector<TFilterGroup>& Groups() {
    static const std::vector<TFilterGroup> groups{
        {9990033, "Sharpening Filters", 421, nullptr, false,
         {{"Unsharp Mask", 230}, {"Mean Removal", 32}, {"High Pass (Medium)", 33}, {"High Pass (Light)", 34}}},
        {9990110, "Fix/Improve UnderExposure and Contrast", 410, "Histogram", true,
         {{"Midtones, Flash Fill", 106},
          {"Levels, Back Fill", 9130},
          {"Remap Brightness and Contrast", 420},
          {"Linear Brightness, Curvilinear Contrast", 9120},
          {"Linear Brightness, Linear Contrast", 9110},
          {"Boost Brightness", 116}}},
        {9990111, "Fix/Improve OverExposure", 411, "Histogram", true,
         {{"Remap Brightness and Contrast", 421},
          {"Gamma Suppression", 105},
          {"Contrast Compression", 134},
          {"UnWash", 40},
          {"UnEqualize", 43},
          {"Attenuate", 42},
          {"Linear Brightness, Linear Contrast", 8110},
          {"Linear Brightness, Curvilinear Contrast", 8120}}},
        {9990120, "Fix/Improve Contrast Levels", 412, "Histogram", true,
         {{"Contrast levels", 130},
          {"Luminance levels", 133},
          {"Remap Brightness and Contrast", 422},
          {"Remap Lighting", 423},
          {"Optimize", 139}}},
        {9990140, "Parametric Equalizer", 423, "E&Q Curve", false,
         {{"All planes", 140}, {"Red plane", 141}, {"Green plane", 142}, {"Blue plane", 143}}},
        {9990150, "Create Black and White Mask", 456, nullptr, false,
         {{"HLS foreground colors", 153},
          {"HLS background colors", 154},
          {"RGB foreground color", 156},
          {"RGB background color", 157}}},
        {9990151, "Combine Bitmaps: Masked Color Selection", 456, nullptr, false,
         {{"Background", 152}, {"Foreground", 151}}},
        {9990160, "Color Balancing and Equalization", 413, "Histogram", true,
         {{"White Balance (Customize)", 160}, {"Normalize", 499}, {"Reference", 499}, {"RGB Remap", 429}}},
        {9990170, "Color Temperature, Hues and Tints", 415, "Histogram", true,
         {{"HLS Color Model", 170},
          {"RGB Brightness", 110},
          {"RGB Shifting", 113},
          {"RGB Contrast", 120},
          {"RGB Gamma Fill", 104},
          {"RGB Gamma", 100},
          {"RGB Gamma Suppression", 102}}},
        {9990230, "Noise Removal and Cleaning filters", 420, nullptr, false,
         {{"Clean", 231},
          {"Airbrush", 155},
          {"Despeckle", 4},
          {"UnSpot", 36},
          {"Outlier", 1},
          {"Gaussian", 30},
          {"DeFocus", 31},
          {"Soften", 3}}},
        {9990240, "Color Saturation", 414, "Histogram", true,
         {{"Saturation levels", 135},
          {"Remap Saturation", 414},
          {"Naturalize CCD", 243},
          {"Naturalize RGB", 242},
          {"DeFog", 241},
          {"True gray", 244},
          {"Pseudo gray", 246}}},
        {9990400, "Posterization and Hard (Contrast) Limiting", 400, "Histogram", false,
         {{"Posterize", 251},
          {"Limit: All planes", 400},
          {"Limit: Red plane", 401},
          {"Limit: Green plane", 402},
          {"Limit: Blue plane", 403}}},
        {9990501, "Combine Bitmaps: Masked Levels", 455, nullptr, false,
         {{"Highlights", 503}, {"Midtones", 501}, {"Shadows", 502}, {"Contrast", 531}, {"Grayscale", 532}}},
        {9990600, "RGB Levels", 422, "Histogram", true,
         {{"RGB Highlights", 132},
          {"RGB Shadows", 131},
          {"Remap Red levels", 411},
          {"Remap Green levels", 412},
          {"Remap Blue levels", 413}}},
    };
    return groups;
}

// The methods opened on their own: tip and help context (0: the form's 400).
struct TSingleMethod {
    const char* Tip;
    int Help;
};

const std::map<int32_t, TSingleMethod>& SingleMethods() {
    static const std::map<int32_t, TSingleMethod> methods{
        {115, {"Add random dots (e.g., to test compression or noise removal).", 0}},
        {250,
         {"Reduce resolution by tiling. Use this function for smoother downsamples.\n"
          "Example: 2x2 tile for 50% downsample, 3x3 tile for 33% downsample, and so on.",
          401}},
        {260,
         {"Descreening blurs unsightly \"moire\" patterns from newspaper or magazine scans.\n"
          "After descreening, resize the image (downsample) to appropriate resolution.",
          401}},
        {500,
         {"Combine duplicate and original image by averaging pixel color values.\n"
          "At minimum value, right pane shows original image; maximum value shows duplicate image.\n"
          "In-between values combine both images.",
          450}},
        {510,
         {"Combine duplicate and original image by interlacing (e.g., video captures).\n"
          "Odd or Even fields can be set.  You can also Blend selected fields by percentage.",
          450}},
        {520, {"Combine duplicate and edge details of original image.", 455}},
    };
    return methods;
}

constexpr int kFormHelp = 400;

const char* const kClickColorMaskTip =
    "1) Click a color in original image pane. Selected color mask shows range of colors affected.\n"
    "2) Adjust HLS bands to modify color selection range; wider bands select more colors.\n";
const char* const kInverseMapTip = "Check \"Inverse map\" to preserve more highlights.\n";
const char* const kRemapTip = "1) Adjust Brightness and Contrast sliders to taste.\n2)";
const char* const kRgbTintTip = "Independent RGB sliders affect overall tint.";
const char* const kPresetShiftsTip = "Defaults are preset with detected RGB shifts (see Help).\n";
const char* const kGammaSliderTip =
    "Independent RGB sliders affect tint and tonal quality.\nValues less than 100 ";

}  // namespace

const TFilterGroup* FindFilterGroup(int32_t Code) {
    for (const TFilterGroup& group : Groups())
        if (group.Code == Code)
            return &group;
    return nullptr;
}

void TFilterDlgModel::SetupSingleMethod() {
    CurveVisible = false;
    HelpContext = kFormHelp;
    Tip.clear();
    const auto found = SingleMethods().find(Method);
    if (found != SingleMethods().end()) {
        Tip = found->second.Tip;
        if (found->second.Help != 0)
            HelpContext = found->second.Help;
    }
    if (Method == 115)
        SyncEnabled = true;
}

void TFilterDlgModel::SetupGroupMethod(const TFilterGroup& Group) {
    TFilterDlgParam& p = Param;
    Method = Group.Items[size_t(GroupIndex)].Method;
    const std::string item = Group.Items[size_t(GroupIndex)].Text;
    Caption = Group.Title;
    HelpContext = Group.Help;
    CurveVisible = Group.Curve != nullptr;
    if (Group.Curve)
        CurveCaption = Group.Curve;
    SaturationHistogram = Group.Code == 9990240;
    const auto inverseMap = [this] {
        AlternateVisible = true;
        AlternateCaption = "Inverse map";
        AlternateChecked = AlternateEnabled = false;
    };
    const auto maskView = [this](bool checked) {
        MaskEnabled = true;
        MaskChecked = checked;
    };

    switch (Group.Code) {
        case 9990033: {
            AlternateVisible = true;
            AlternateCaption = "Fine edges";
            AlternateChecked = AlternateEnabled = false;
            TSliderFields third = FieldsOf(p, 2);
            third.Min = 1;
            third.Max = 255;
            third.PageSize = 4;
            third.LineSize = 1;
            Labels(p, 2, "", "");
            const std::string common = "Classic image sharpening filter that uses spatial maps.";
            if (Method == 230) {
                SetupControls_UnsharpMask(p);
                Start(p, 0, 255);
                Start(p, 1, 63);
                AlternateEnabled = true;
                Tip = "1) Adjust Filter to enhance edge details.\n2) Adjust Effect to fade exagerrated contours.\n"
                      "Check \"Fine edges\" for subtle enhancements.";
            } else if (Method == 32) {
                Slider(p, 0, 1, 5, 3, 1, 1);
                Tip = common + " Sharpening results are pronounced.";
            } else if (Method == 33) {
                Slider(p, 0, 1, 3, 2, 1, 1);
                Tip = common + " Sharpening results are moderate.";
            } else {
                Tip = common + " Sharpening results are subtle.";
            }
            break;
        }
        case 9990110: {
            inverseMap();
            SetupControls_BlankLabels(p);
            Slider(p, 0, -255, 255, 0, 8, 1);
            Slider(p, 1, -255, 255, 0, 8, 1);
            Range(p, 2, 0, 999, 1);
            const std::string common = " Adjust Mask to change amount of original highlights and midtones to combine.";
            switch (Method) {
                case 106:
                    Slider(p, 0, 100, 300, 100, 10, 1);
                    Range(p, 1, 100, 300, 100);
                    Range(p, 2, 0, 500, 1);
                    Tip = "1) Adjust Gamma to lighten dark shadows and midtones.\n"
                          "2) Adjust Saturation to boost washed colors, if any.\n3)" + common;
                    break;
                case 9130:
                    SetupControls_Levels(p);
                    Range(p, 0, 0, 500, 1);
                    resetOverrides_[0] = 0;
                    Range(p, 1, 0, 255, p.PresetLevel2);
                    Range(p, 2, 100, 500, 100);
                    RowPlaces = {2, 0, 1};
                    Tip = "1) Adjust Highlights to lighten image; ease back when midtones appear \"flooded\".\n"
                          "2) Adjust Gamma to lighten intermediate levels that were stretched in-between.\n3)" + common;
                    break;
                case 420:
                    RemapSliders(p);
                    Range(p, 2, 0, 500, 1);
                    Tip = "1) Set average Brightness level. Adjust Contrast, if required.\n2)" + common;
                    break;
                case 9120:
                case 9110:
                    Start(p, 0, 0);
                    Start(p, 2, 1);
                    Tip = "1) Adjust Brightness to lighten overall image uniformly.\n"
                          "2) Reduce Contrast to further lighten shadows and midtones, if required.\n3)" + common;
                    break;
                default:  // 116
                    AlternateEnabled = true;
                    Range(p, 2, 0, 500, 500);
                    RowPlaces = {1, 2, 0};
                    Tip = kInverseMapTip + common;
                    break;
            }
            break;
        }
        case 9990111: {
            Param = Original;
            inverseMap();
            SetupControls_BlankLabels(p);
            Slider(p, 0, 0, 255, 0, 8, 1);
            Slider(p, 1, -255, 255, 0, 8, 1);
            Range(p, 2, 0, 999, 1);
            const std::string common = "Adjust Mask to change amount of original shadows and midtones to combine.";
            switch (Method) {
                case 421:
                    RemapSliders(p);
                    Range(p, 2, 0, 999, 500);
                    Tip = "1) Lower Contrast to soften highlights.\n2) Lower Brightness to dampen contrast further.\n3) " +
                          common;
                    break;
                case 105:
                    Slider(p, 0, 100, 300, 120, 10, 1);
                    Range(p, 2, 0, 999, 500);
                    RowPlaces = {0, 2, 1};
                    Tip = "1) Adjust Gamma to darken highlights.\n2) " + common;
                    break;
                case 134:
                    Start(p, 0, 0);
                    Start(p, 1, 240);
                    Range(p, 2, 0, 999, 500);
                    Tip = "1) Adjust Highlights to darken.\n2) Adjust Shadows for more contrast reduction.\n3) " + common;
                    break;
                case 40:
                case 42:
                    Range(p, 2, 0, 999, 500);
                    RowPlaces = {1, 2, 0};
                    Tip = common;
                    break;
                case 43:
                    AlternateEnabled = true;
                    Range(p, 2, 0, 500, 500);
                    RowPlaces = {1, 2, 0};
                    Tip = kInverseMapTip + common;
                    break;
                default:  // 8110, 8120
                    Slider(p, 0, -255, 255, 0, 8, 1);
                    Slider(p, 1, -255, 255, 0, 8, 1);
                    Range(p, 2, 0, 999, 500);
                    Tip = "1) Adjust Brightness to darken overall image uniformly.\n"
                          "2) Reduce Contrast to dampen highlights, if required.\n3) " + common;
                    break;
            }
            break;
        }
        case 9990120: {
            SetupControls_BlankLabels(p);
            Slider(p, 0, -255, 255, 0, 8, 1);
            Slider(p, 1, -255, 255, 0, 8, 1);
            Range(p, 2, 0, 999, 1);
            const std::string common = " Adjust Mask to change amount of original image to combine.";
            if (Method == 130 || Method == 133) {
                SetupControls_Levels(p);
                Start(p, 0, p.PresetLevel1);
                Start(p, 1, p.PresetLevel2);
                RowPlaces = {0, 2, 1};
                Tip = "1) Adjust overall contrast by making Shadows darker and Highlights lighter.\n"
                      "2) Adjust Gamma to lighten or darken intermediate levels that were stretched in-between.";
            } else if (Method == 422 || Method == 423) {
                RemapSliders(p);
                Range(p, 2, 0, 99, 0);
                if (Method == 423)
                    StatStarts(p, Stats(HistSumLum, HistSumSqLum));
                Tip = kRemapTip + common;
            } else {  // 139
                Range(p, 2, 0, 500, 0);
                Tip = common;
            }
            break;
        }
        case 9990140:
            maskView(true);
            Tip = "1) Click a color in original image pane. Selected color mask shows range of colors affected.\n"
                  "2) Adjust Center and Band sliders to increase or decrease range of colors affected.\n"
                  "3) Uncheck \"Modified image (show mask only)\" to preview effect; Adjust Gain to lighten or darken.";
            break;
        case 9990150:
            SetupControls_HLS(p);
            if (Method == 153 || Method == 154) {
                maskView(false);
            } else {
                SetupControls_New(p);
                for (int row = 0; row < 3; ++row)
                    Range(p, row, 1, 128, 64);
                SyncEnabled = true;
                SyncChecked = false;
            }
            Tip = "1) Click a color in original image pane. Selected color range will be \"masked\".\n"
                  "2) Adjust bands to modify color selection range; wider bands select more colors.";
            break;
        case 9990151:
            SetupControls_HLS(p);
            maskView(true);
            Tip = std::string(kClickColorMaskTip) +
                  "3) Uncheck \"Modified image (show mask only)\" to preview combined images.";
            break;
        case 9990160:
            SetupControls_BlankLabels(p);
            RemapSliders(p);
            Range(p, 2, 0, 99, 0);
            SyncEnabled = false;
            Tip = "1) Adjust Brightness and Contrast to desired levels.\n"
                  "2) Adjust Mask to change amount of original image to combine.";
            if (Method == 160) {
                Slider(p, 0, -255, 255, 0, 8, 1);
                Start(p, 1, 0);
                Tip = "1) Click a color in original image pane that should be \"pure white\" or \"pure gray\".\n"
                      "2) Adjust Brightness to desired level.";
            } else if (Method == 499) {
                StatStarts(p, item == "Reference" ? Stats(HistSumLum, HistSumSqLum)
                                                  : Stats(HistSumMax, HistSumSqMax));
            } else {  // 429
                SetupControls_New(p);
                SyncEnabled = true;
                for (int channel = 0; channel < 3; ++channel)
                    Start(p, channel, ChannelStats(channel).Mean);
                Tip = "1) Synchronize RGB sliders for force colors to be \"white balanced\".\n"
                      "2) Adjust RGB sliders to desired level of brightness.\n"
                      "Optionally, adjust individual RGB sliders to manually balance colors.";
            }
            break;
        case 9990170:
            SetupControls_BlankLabels(p);
            for (int row = 0; row < 3; ++row)
                Slider(p, row, -255, 255, 0, 8, 1);
            switch (Method) {
                case 170:
                    Slider(p, 0, -180, 180, 0, 10, 1);
                    Labels(p, 0, "-180 (mag)", "+180 (yel)");
                    for (int row = 1; row < 3; ++row) {
                        Slider(p, row, -500, 500, 0, 10, 1);
                        Labels(p, row, "-500 (less)", "+500 (more)");
                    }
                    Tip = "Hue-Luminance-Saturation (HLS) model.";
                    break;
                case 110:
                case 113:
                    SyncEnabled = Method == 110;
                    Start(p, 0, p.PresetR);
                    Start(p, 1, p.PresetG);
                    Start(p, 2, p.PresetB);
                    Tip = std::string(kPresetShiftsTip) +
                          (Method == 110 ? "Syncronized adjustments modify brightness.\n"
                                         : "Shifting increments or decrements brightness in equal steps.\n") +
                          kRgbTintTip;
                    break;
                case 120:
                    SyncEnabled = true;
                    Tip = "Syncronized adjustments modify overall contrast.\n"
                          "Independent RGB sliders tint shadows and highlights.";
                    break;
                default:  // 104, 100, 102
                    SyncEnabled = true;
                    for (int row = 0; row < 3; ++row)
                        Slider(p, row, 1, 300, 100, 10, 1);
                    Tip = Method == 102 ? std::string("Syncronized adjustments suppress over-exposed highlights and "
                                                      "midtones.\n") + kGammaSliderTip +
                                              "boost highlights and upper midtones."
                                        : std::string("Syncronized adjustments lighten or darken midtone color "
                                                      "components.\n") + kGammaSliderTip +
                                              "reduce strength of color component midtones.";
                    break;
            }
            break;
        case 9990230: {
            TSliderFields third = FieldsOf(p, 2);
            third.Min = 1;
            third.Max = 255;
            third.PageSize = 4;
            third.LineSize = 1;
            SetupControls_BlankLabels(p);
            switch (Method) {
                case 231:
                    SetupControls_UnsharpMask(p);
                    Start(p, 0, 255);
                    Start(p, 1, 128);
                    Tip = "1) Adjust Filter to smoothe everything and leave edges defined.\n2) Adjust Effect to fade "
                          "blurring.";
                    break;
                case 155:
                    maskView(true);
                    SetupControls_HLS(p);
                    Tip = std::string(kClickColorMaskTip) +
                          "3) Uncheck \"Modified image (show mask only)\" to preview smoothing effect.";
                    break;
                case 4:
                    Slider(p, 0, 1, 9, 3, 1, 1);
                    Labels(p, 0, "1 (mild)", "9 (strong)");
                    Tip = "Remove all spots.  All \"salt and pepper\" details are replaced with neighboring colors.";
                    break;
                case 36:
                    Slider(p, 0, -8, 8, 0, 1, 1);
                    Labels(p, 0, "-8 (pepper)", "+8 (salt)");
                    Tip = "Remove spots.  Dark or light spots are replaced with neighboring colors.";
                    break;
                case 1:
                    SetupControls_UnsharpMask(p);
                    Start(p, 0, 192);
                    Tip = "Remove spots and smoothe image. Strong filter settings may blur image.";
                    break;
                case 30:
                    SetupControls_UnsharpMask(p);
                    Tip = "Smoothe everything. Edge details are minimally affected with weak settings.";
                    break;
                case 31:
                    SetupControls_UnsharpMask(p);
                    Tip = "Smoothe everything. This spatial filter has a uniform smoothing effect.";
                    break;
                default:  // 3
                    Slider(p, 0, 1, 10, 7, 1, 1);
                    Tip = "Classic spatial filter for uniform smoothing effect and some noise removal.";
                    break;
            }
            break;
        }
        case 9990240: {
            SetupControls_BlankLabels(p);
            Range(p, 0, 0, 255, 255);
            Range(p, 1, 0, 255, p.Position2);
            FieldsOf(p, 1).PageSize = p.PageSize1;
            FieldsOf(p, 1).LineSize = p.LineSize1;
            const char* const filmNoir = "2) Adjust Effect for \"film noir\" output. Color saturation is removed at "
                                         "maximum setting.";
            switch (Method) {
                case 135:
                    SetupControls_Levels(p);
                    Start(p, 0, p.PresetSat1);
                    Start(p, 1, p.PresetSat2);
                    RowPlaces = {0, 2, 1};
                    Tip = "1) Adjust Highlights to boost color levels. Luminosity is isolated.\n"
                          "2) Adjust Gamma to modify color levels that were stretched in-between.\n"
                          "3) Adjust Shadows to dampen color levels in dark areas.";
                    break;
                case 414:
                    RemapSliders(p);
                    StatStarts(p, Stats(HistSumSat, HistSumSqSat));
                    Tip = "1) Adjust Saturation to increase or decrease overall color levels. Luminosity is "
                          "isolated.\n"
                          "2) Increase Contrast to extend color levels to highlights and dampen color levels in "
                          "shadows.\n"
                          "    Decrease Contrast to limit color levels in highlights and boosts colors in shadows.";
                    break;
                case 243:
                    Start(p, 0, 128);
                    Start(p, 1, 52);
                    Tip = std::string("1) Adjust Filter to correct unnatural \"color harshness\" generated by common "
                                      "CCD camera matrices.\n") + filmNoir;
                    break;
                case 242:
                    Start(p, 0, 128);
                    Start(p, 1, 52);
                    Tip = std::string("1) Adjust Filter to set gray scale values between minimum and maximum RGB "
                                      "components.\n") + filmNoir;
                    break;
                case 241:
                    Start(p, 0, 255);
                    Start(p, 1, 64);
                    Tip = "1) Adjust Filter to minimize ambient \"white haze\"\n"
                          "2) Adjust Effect to boost color saturation. Color casts may appear at extreme settings.";
                    break;
                case 244:
                    Tip = "True 24-bit gray shades.";
                    break;
                default:  // 246
                    resetOverrides_[0] = 255;
                    Tip = "Adjust Filter to select gray scale values between minimum and maximum RGB components.";
                    break;
            }
            break;
        }
        case 9990400:
            SetupControls_New(p);
            Range(p, 0, 0, 255, 0);
            Start(p, 2, 255);
            if (Method == 251) {
                Slider(p, 0, 2, 7, 3, 1, 1);
                Tip = "Reduce color depth by setting desired bits per pixel.";
            } else {
                Tip = "1) Click a color in original image pane. Median changes with color selection.\n"
                      "2) Adjust Highlights to lighten.  Adjust Shadows slider to darken.";
            }
            break;
        case 9990501:
            Slider(p, 0, 1, 500, 100, 10, 1);
            Slider(p, 1, 0, 99, 99, 10, 1);
            Slider(p, 2, 1, 500, 100, 10, 1);
            SetupControls_BlankLabels(p);
            Tip = Method == 532
                      ? "Combine duplicate with luminance values of original image.\n"
                        "Color hues and saturation are essentially imported from (hidden) duplicate image."
                      : "1) Adjust Band to retain a wider range of pixels from original image.\n"
                        "2) Adjust Mask to blend gray scale values used to combine original and duplicate images.\n"
                        "   \"0\" uses gray shades of (hidden) duplicate image, while \"99\" uses original image only.";
            break;
        default: {  // 9990600
            SetupControls_New(p);
            for (int row = 0; row < 3; ++row)
                FieldsOf(p, row).Min = 0;
            const std::string common =
                "2) Increase Band to extend color levels to highlights and dampen color levels in shadows.\n"
                "    Decrease Band to limit color levels in highlights and boosts colors in shadows.";
            if (Method == 132 || Method == 131) {
                SyncEnabled = SyncChecked = true;
                for (int row = 0; row < 3; ++row)
                    Start(p, row, Method == 132 ? p.Max1 : 0);
                Tip = std::string(Method == 132 ? "1) Lighten image by adjusting RGB sliders; midtones are stretched "
                                                  "towards highlights.\n"
                                                : "1) Darken image by adjusting RGB sliders; midtones are stretched "
                                                  "towards shadows.\n") +
                      "2) Adjust individual RGB sliders to change tint and color temperature.";
            } else {
                const int channel = Method - 411;
                StatStarts(p, ChannelStats(channel));
                const char* const names[3] = {"Red", "Green", "Blue"};
                Tip = std::string("1) Adjust ") + names[channel] + " levels for entire image.\n" + common;
            }
            break;
        }
    }
}

}  // namespace lumvor
