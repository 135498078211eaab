// Lab script lines in tests: names of parameterised cases made from them, and
// the keywords that are two names of one command.
#pragma once

#include <cctype>
#include <string>
#include <utility>

namespace lumvor::test {

// A readable test name from a script line: letters and digits kept, "-" as
// "minus", "%" as "pc", anything else "_"; an empty line is "empty".
inline std::string ScriptLineName(const std::string& line) {
    std::string name;
    for (char c : line) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
        else if (c == '-')
            name += "minus";
        else if (c == '%')
            name += "pc";
        else
            name += '_';
    }
    return name.empty() ? "empty" : name;
}

// The seven pairs of keywords that are two names of one command, each pair
// side by side in the keyword table.
inline constexpr std::pair<const char*, const char*> KeywordAliasPairs[] = {
    {"ZERO", "ZEROSHIFT"},  {"SUPRESS", "SUPPRESS"},       {"GAMMA_SUPRESS", "GAMMA_SUPPRESS"},
    {"ENHANCE", "LEVELS"},  {"HIGHPASS", "HIGHPASSMEDIUM"}, {"OPTIMIZE", "OPTIMIZE_EX"},
    {"MAP_EQ", "MAP_EQ_EX"}};

}  // namespace lumvor::test
