#include "processing/script/ScriptParser.h"

#include "imaging/Helpers.h"
#include "platform/SysUtils.h"

#include <limits>

namespace lumvor {

namespace {

// Markers of the lines whose argument is a text.
constexpr const char* TextMarkers[] = {"TEXTMARK", "SAVE", "STRING", "LOADFILE"};

bool HasTextMarker(const std::string& UpperLine) {
    for (const char* marker : TextMarkers)
        if (UpperLine.find(marker) != std::string::npos)
            return true;
    return false;
}

int DigitValue(char c, int Base) {
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (Base == 16 && c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    else if (Base == 16 && c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    return digit < Base ? digit : -1;
}

}  // namespace

bool ScriptFieldToInt(const std::string& Field, int32_t& Value) {
    std::string text;
    TrimLeadingBlanks(Field, text);
    if (text.empty()) {
        Value = 0;
        return true;
    }
    size_t i = 0;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return false;
    // Magnitudes up to 2^31 are kept; only a negative one may reach it.
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    if (!negative && magnitude == limit)
        return false;
    Value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

TScriptLine ParseScriptLine(const std::string& Line) {
    TScriptLine parsed;
    parsed.Text = Line;
    if (Line.empty())
        return parsed;
    const std::string upper = UpperCase(Line);
    parsed.Keyword = upper;
    // "=" as the first character does not separate a keyword.
    const size_t equals = Line.find('=');
    if (equals == std::string::npos || equals == 0)
        return parsed;
    parsed.Keyword = upper.substr(0, equals);
    parsed.HasArgument = true;
    if (HasTextMarker(upper)) {
        parsed.Text = Line.substr(equals + 1);
        return parsed;
    }
    // Fields 1 to 3 end at a comma; field 4 is all the rest.
    std::string rest = Line.substr(equals + 1);
    for (size_t field = 0; field < parsed.Values.size(); ++field) {
        std::string text;
        const size_t comma = rest.find(',');
        if (field + 1 < parsed.Values.size() && comma != std::string::npos) {
            text = rest.substr(0, comma);
            rest.erase(0, comma + 1);
        } else {
            text.swap(rest);
        }
        if (!ScriptFieldToInt(text, parsed.Values[field])) {
            parsed.Keyword.clear();
            parsed.Values = {};
            return parsed;
        }
    }
    return parsed;
}

}  // namespace lumvor
