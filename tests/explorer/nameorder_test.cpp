// The tree's name order of a whole list (one pass for many names) against the
// collator's own comparison of two names, on names of printable ASCII (the
// quick path) and on names with other characters.
#include "explorer/FolderTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace lumvor {
namespace {

std::vector<std::string> InListOrder(const std::vector<std::string>& names) {
    std::vector<std::string> sorted;
    for (size_t at : TreeNameSortOrder(names))
        sorted.push_back(names[at]);
    return sorted;
}

std::vector<std::string> InPairOrder(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return TreeNameOrder(a, b) < 0; });
    return names;
}

TEST(TreeNameSortOrderTest, AgreesWithTheCollatorOnNamesThatDifferInPunctuationCaseAndLength) {
    const std::vector<std::string> names = {
        "IMG_1.jpg", "IMG11.jpg", "img-2.JPG", "Img 2.jpg", "IMG_1.JPG", "a.b",  "a",    "A",   "aa",   "ab",
        "AB",        "_x",        "-x",        ".x",        "x~",        "x!",   "x?",   "x(",  "Zeta", "beta",
        "Beta",      "2",         "10",        "1a",        "a1",        "a b",  "a-b",  "a_b", "a.b.c", "~",
        "photo 10",  "photo 9",   "Photo 9",   "",          "x=y",       "x+y",  "x@y",  "#1",  "$2",   "[a]"};
    EXPECT_EQ(InListOrder(names), InPairOrder(names));
}

TEST(TreeNameSortOrderTest, AgreesWithTheCollatorOnRandomAsciiNames) {
    std::mt19937 random(17);
    const std::string alphabet = "aAbBzZ019 _-.,;!~()[]'&+=#";
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        for (int n = int(random() % 6); n >= 0; --n)
            name += alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    EXPECT_EQ(InListOrder(names), InPairOrder(names));
}

// Names that share their first eight characters, or differ only past them,
// in case or in length, as camera files do ("DSC_00012.JPG", "DSC_0001.JPG").
TEST(TreeNameSortOrderTest, AgreesWithTheCollatorOnLongNamesWithCommonBeginnings) {
    std::mt19937 random(29);
    const std::string alphabet = "aAbB09_-. ";
    std::vector<std::string> names = {"abcdefgh", "abcdefghi", "ABCDEFGH", "abcdefg", "abcdefgh.jpg", "abcdefgH.jpg"};
    for (int i = 0; i < 2000; ++i) {
        std::string name = i % 2 ? "DSC_000" : "dsc_000";
        for (int n = int(random() % 8); n >= 0; --n)
            name += alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    EXPECT_EQ(InListOrder(names), InPairOrder(names));
}

TEST(TreeNameSortOrderTest, AgreesWithTheCollatorWhenANameIsNotAscii) {
    const std::vector<std::string> names = {"Äpfel", "apfel", "Apfel", "Zucker", "äb", "ab", "Œuvre", "oeuvre", "é", "e"};
    EXPECT_EQ(InListOrder(names), InPairOrder(names));
}

}  // namespace
}  // namespace lumvor
