// What a command hands the filter dialog and what the dialog answers: the
// setup record, the seven result integers and the method-group codes. The
// dialog's model (FilterDlgModel.h) and the form (app/dialogs/filter_8900.h)
// both read them; nothing here needs a widget.
#pragma once

#include "platform/Colors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lumvor {

// How a command sets up the filter dialog. Callers start from a
// value-initialised record (zeros and empty labels) and set what they need.
struct TFilterDlgParam {
    // Slider 1: range, start position, large and small step.
    int32_t Min1 = 0;
    int32_t Max1 = 0;
    int32_t Position1 = 0;
    int32_t PageSize1 = 0;
    int32_t LineSize1 = 0;
    // Sliders 2 and 3, the same five fields each.
    int32_t Min2 = 0;
    int32_t Max2 = 0;
    int32_t Position2 = 0;
    int32_t PageSize2 = 0;
    int32_t LineSize2 = 0;
    int32_t Min3 = 0;
    int32_t Max3 = 0;
    int32_t Position3 = 0;
    int32_t PageSize3 = 0;
    int32_t LineSize3 = 0;
    int32_t Unused1 = 0;
    // Start positions of sliders 1..3 for "RGB Brightness" and "RGB Shifting".
    int32_t PresetR = 0;
    int32_t PresetG = 0;
    int32_t PresetB = 0;
    int32_t Unused2[3] = {0, 0, 0};
    // A method code, or a method-group code 999xxxx.
    int32_t MethodCode = 0;
    // Index of the group item selected when the dialog opens (some groups only).
    int32_t StartChoice = 0;
    // 0: the three sliders share slider 1's fields and the call's end labels;
    // non-zero: each slider has its own fields and the end labels below.
    uint8_t CustomSliders = 0;
    // Start positions for the level and saturation methods.
    int32_t PresetLevel1 = 0;
    int32_t PresetLevel2 = 0;
    int32_t PresetSat1 = 0;
    int32_t PresetSat2 = 0;
    // Shown in the "Selected" panel of the colour-picking methods.
    TColor SelectedColor{};
    // Texts under the ends of the three sliders.
    std::string MinLabel1;
    std::string MaxLabel1;
    std::string MinLabel2;
    std::string MaxLabel2;
    std::string MinLabel3;
    std::string MaxLabel3;
};

// What the dialog answers: seven integers.
using TFilterDlgResult = std::array<int32_t, 7>;
// Indexes into TFilterDlgResult.
inline constexpr size_t ResultMethod = 0;   // the method in force at Apply
inline constexpr size_t ResultValue = 1;    // slider 1 at Apply; -999 when cancelled
inline constexpr size_t ResultCustom1 = 2;  // FilterCustom1..3 at Apply
inline constexpr size_t ResultCustom2 = 3;
inline constexpr size_t ResultCustom3 = 4;
inline constexpr size_t ResultExtra1 = 5;   // see filter_8900::LastExtras
inline constexpr size_t ResultExtra2 = 6;

// Method codes of 9990033 and more name a group of methods.
inline constexpr int32_t FirstMethodGroup = 9990033;

namespace filter_8900 {
// The two further integers of the result, as the last preview of a remap
// method left them (0 until one ran).
inline std::array<int32_t, 2> LastExtras{0, 0};
}  // namespace filter_8900

}  // namespace lumvor
