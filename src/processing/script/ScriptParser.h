// Parsing one line of a Lab script into its keyword and values.
//
// A line is a keyword alone ("NEGATIVE"), a keyword with up to four integers
// ("GAMMA=120,100,80"), or a keyword with a text ("SAVE=_web"). Lines that
// contain "TEXTMARK", "SAVE", "STRING" or "LOADFILE" anywhere take the text
// form; every other line the integer form. Keywords are compared in upper
// case and never trimmed: a blank before the keyword or before "=" makes the
// line match no keyword, which is how remarks are written.
//
// Headless; no state.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumvor {

struct TScriptLine {
    // Upper case; empty for a blank line and for a line whose values failed to
    // convert (such a line does nothing).
    std::string Keyword;
    // The text after "=" of a text line in its own case, untrimmed; the whole
    // line as written when there is no text part.
    std::string Text;
    // The line has "=" after its first character (a text or values follow).
    bool HasArgument = false;
    // a, b, c, d: 0 where missing.
    std::array<int32_t, 4> Values{};
};

// Splits Line as the interpreter reads it.
TScriptLine ParseScriptLine(const std::string& Line);

// One integer field of a line: leading blanks dropped, empty gives 0, else a
// signed decimal integer ("$" before the digits: hexadecimal) that fits in 32
// bits, with nothing after it. False on any other text.
bool ScriptFieldToInt(const std::string& Field, int32_t& Value);

}  // namespace lumvor
