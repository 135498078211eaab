// The vocabulary of the Lab script: every keyword the interpreter accepts, in
// the order it compares them, as data.
//
// A row says which values the keyword reads, how each is checked (clamped into
// a range, or the line does nothing unless the value lies in a range or is not
// zero), which of FilterCustom1..3 it sets from them once they passed, and the
// name of the routine it stands for. Keywords that are two names of one command
// are rows of their own, in their places, sharing one routine name.
//
// The handlers that run the rows work on the image window, so they live with
// it: app/script/ScriptHandlers.h binds one handler to each row, in the rows'
// order. The table itself needs no window.
//
// GUI thread only (ApplySets writes the shared FilterCustom values).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

// How a value is checked before the handler sees it.
enum class TValueCheck : uint8_t {
    Any,           // taken as it is
    Clamp,         // moved into Low..High
    Within,        // the line does nothing unless Low <= value <= High
    NonZero,       // the line does nothing when the value is 0
    NonZeroClamp,  // the line does nothing when it is 0; else moved into Low..High
};

struct TValueRule {
    TValueCheck Check = TValueCheck::Any;
    int32_t Low = 0;
    int32_t High = 0;
};

// What a handler receives: the row's routine name, the checked values and the
// text of a text keyword.
struct TScriptArgs {
    std::string_view Keyword;
    std::string_view Routine;
    // How many of a..d the keyword reads.
    int8_t Arity = 0;
    int32_t a = 0, b = 0, c = 0, d = 0;
    std::string Text;
};

// Arity of the keywords that take a text in place of integers.
inline constexpr int8_t TextArgument = -1;
// "Sets" entry of a FilterCustom the row leaves alone.
inline constexpr int8_t SetsNothing = -1;

struct TKeywordRow {
    std::string_view Keyword;
    // How many integers it reads (0..4), or TextArgument.
    int8_t Arity = 0;
    // The checks of a, b, c, d.
    std::array<TValueRule, 4> Rules{};
    // For FilterCustom1, FilterCustom2, FilterCustom3: the value (0 = a .. 3 = d)
    // it is set to once the checks passed, or SetsNothing.
    std::array<int8_t, 3> Sets{SetsNothing, SetsNothing, SetsNothing};
    // The image routine (or flow step) the keyword stands for.
    std::string_view Routine;
};

// How many rows the table has; the handler bindings have as many.
inline constexpr size_t KeywordCount = 177;

// The rows in comparison order.
const std::vector<TKeywordRow>& KeywordTable();

// The row of Keyword (upper case, exact), or null.
const TKeywordRow* FindKeyword(std::string_view Keyword);

// Applies the row's checks to Values in place; false when the line does nothing.
bool CheckValues(const TKeywordRow& Row, std::array<int32_t, 4>& Values);

// Sets the row's FilterCustom values from checked Values.
void ApplySets(const TKeywordRow& Row, const std::array<int32_t, 4>& Values);

}  // namespace lumvor
