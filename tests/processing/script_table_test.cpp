// The Lab script's line parser and keyword table, without the image window:
// how a line splits into keyword, values and text, and the rows' order, forms
// and checks. The handlers bound to the rows are tested with the interpreter
// (tests/app/processing/script_test.cpp).
#include "processing/script/ScriptParser.h"
#include "processing/script/ScriptTable.h"
#include "support/script_lines.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

using namespace lumvor;
using namespace lumvor::test;

namespace {

// ---- The parser

struct ParseCase {
    std::string line;
    std::string keyword;  // "" = the line does nothing
    std::array<int32_t, 4> values;
    std::string text;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.line; }

class ScriptParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ScriptParse, SplitsKeywordValuesAndText) {
    const ParseCase& c = GetParam();
    const TScriptLine parsed = ParseScriptLine(c.line);
    EXPECT_EQ(parsed.Keyword, c.keyword);
    EXPECT_EQ(parsed.Values, c.values);
    EXPECT_EQ(parsed.Text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptParse,
    ::testing::Values(
        ParseCase{"negative", "NEGATIVE", {}, "negative"},
        // Blanks around the keyword are kept, so it matches nothing.
        ParseCase{" NEGATIVE", " NEGATIVE", {}, " NEGATIVE"},
        ParseCase{"NEGATIVE ", "NEGATIVE ", {}, "NEGATIVE "},
        ParseCase{"GAMMA=120, 120,120", "GAMMA", {120, 120, 120, 0}, "GAMMA=120, 120,120"},
        ParseCase{"GAMMA=120 ,120,120", "", {}, "GAMMA=120 ,120,120"},
        ParseCase{"GAMMA=12a", "", {}, "GAMMA=12a"},
        ParseCase{"GAMMA =1,2,3", "GAMMA ", {1, 2, 3, 0}, "GAMMA =1,2,3"},
        ParseCase{"CROP_EX=1,2,3,4,5", "", {}, "CROP_EX=1,2,3,4,5"},
        ParseCase{"CROP_EX=1,2,3,4", "CROP_EX", {1, 2, 3, 4}, "CROP_EX=1,2,3,4"},
        ParseCase{"BRIGHTNESS=,10,10", "BRIGHTNESS", {0, 10, 10, 0}, "BRIGHTNESS=,10,10"},
        ParseCase{"SHIFT=$1F,-$10,+7", "SHIFT", {31, -16, 7, 0}, "SHIFT=$1F,-$10,+7"},
        ParseCase{"SHIFT=$", "", {}, "SHIFT=$"},
        ParseCase{"SHIFT=-", "", {}, "SHIFT=-"},
        ParseCase{"SHIFT=2147483647,-2147483648", "SHIFT", {2147483647, INT32_MIN, 0, 0},
                  "SHIFT=2147483647,-2147483648"},
        ParseCase{"SHIFT=2147483648", "", {}, "SHIFT=2147483648"},
        ParseCase{"SHIFT=-2147483649", "", {}, "SHIFT=-2147483649"},
        ParseCase{"SHIFT=99999999999999999999", "", {}, "SHIFT=99999999999999999999"},
        ParseCase{"SHIFT=$80000000", "", {}, "SHIFT=$80000000"},
        ParseCase{"TEXTMARK_TOPLEFT=Hello, World", "TEXTMARK_TOPLEFT", {}, "Hello, World"},
        ParseCase{"TEXTMARK_TOPLEFT", "TEXTMARK_TOPLEFT", {}, "TEXTMARK_TOPLEFT"},
        ParseCase{"Save= _Web,1 ", "SAVE", {}, " _Web,1 "},
        ParseCase{"loadfile=a=b.jpg", "LOADFILE", {}, "a=b.jpg"},
        // A remark: ">" before a keyword makes it another word.
        ParseCase{">RESIZE%%=5000", ">RESIZE%%", {5000, 0, 0, 0}, ">RESIZE%%=5000"},
        // "=" as the first character separates nothing.
        ParseCase{"=5", "=5", {}, "=5"}, ParseCase{"", "", {}, ""}),
    [](const auto& info) { return "L" + std::to_string(info.index) + "_" + ScriptLineName(info.param.line); });

// ---- The table

TEST(ScriptTable, HoldsTheKeywordsOnceInComparisonOrderWithTextKeywordsMarked) {
    const auto& table = KeywordTable();
    EXPECT_EQ(table.size(), 177u);
    std::set<std::string_view> names;
    for (const TKeywordRow& row : table) {
        EXPECT_TRUE(names.insert(row.Keyword).second) << row.Keyword;
        // A keyword is a text keyword exactly when the parser reads it in the text form.
        const bool textForm = ParseScriptLine(std::string(row.Keyword) + "=1,2").Values[0] == 0;
        EXPECT_EQ(row.Arity == TextArgument, textForm) << row.Keyword;
    }
    const auto position = [&](std::string_view k) { return FindKeyword(k) - table.data(); };
    EXPECT_EQ(table.front().Keyword, "TEXTMARK_TOPLEFT");
    EXPECT_EQ(table.back().Keyword, "ROTATE_FINE");
    EXPECT_LT(position("NEGATIVE"), position("PROMPT"));
    EXPECT_LT(position("PROMPT"), position("TRACE"));
    EXPECT_LT(position("PROMPT"), position("FLIP_VERTICAL"));
    EXPECT_EQ(FindKeyword("STRING"), nullptr);
    EXPECT_EQ(FindKeyword("negative"), nullptr);
}

TEST(ScriptTable, TheSevenAliasPairsShareTheirChecksAndRoutine) {
    for (const auto& [first, second] : KeywordAliasPairs) {
        const TKeywordRow* a = FindKeyword(first);
        const TKeywordRow* b = FindKeyword(second);
        ASSERT_TRUE(a && b) << first;
        EXPECT_EQ(a->Routine, b->Routine) << first;
        EXPECT_EQ(a->Arity, b->Arity) << first;
        EXPECT_EQ(b - a, 1) << first;  // side by side in the order
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(a->Rules[i].Check, b->Rules[i].Check) << first;
            EXPECT_EQ(a->Rules[i].Low, b->Rules[i].Low) << first;
            EXPECT_EQ(a->Rules[i].High, b->Rules[i].High) << first;
        }
    }
}

}  // namespace
